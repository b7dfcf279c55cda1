#ifndef TARNIS_RAISON_H
#define TARNIS_RAISON_H

#include <cstddef>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

// The engine's failure reasons and progress phases as codes with their arguments. Each code has
// one French pattern in the catalogue (Raison.cpp), %1, %2... standing for the arguments; texte()
// writes a reason in French for the console tool and the logs, and the interface translates the
// same pattern (context "Moteur") and fills it in with the arguments translated in turn.

/// Every reason and phase the engine can give, in the catalogue's order.
enum class CodeRaison : int {
    Aucune, ///< no reason: a success
    Cite,   ///< a name between quotes: what nom() makes
    Contexte,
    Interrompu,
    // Files
    OuvertureImpossibleCar,
    FichierAbsent,
    AccesRefuse,
    OuvertureImpossible,
    EstUnDossier,
    EstUnTube,
    EstUnPeripherique,
    PasUnFichierOrdinaire,
    CreationImpossible,
    EcritureEchouee,
    Incomplet,
    NuageNonReconnu,
    MaillageNonReconnu,
    SansAucuneFace,
    MemoireIndexNuage,
    MemoireArbrePoints,
    // Clouds (PTS)
    PasUnFichierPTS,
    NombrePointsIllisible,
    NombrePointsNegatif,
    PointsManquants,
    FinDuFichier,
    PasUnNombre,
    PasUnEntier,
    HorsDesEntiers,
    HorsDeLaSimplePrecision,
    PTSLigneTropLongue,
    OctetsDeControle,
    PointsManquantsSuiteLigne2,
    PasUnFichierPLY,
    PasUnFichierPCD,
    EnteteSansFin,
    EnteteLigne,
    MotIncompris,
    TypeInconnu,
    SansCoordonnees,
    CompteTropGrand,
    FichierCoupe,
    PCDCompresse,
    NombresParLigne,
    HorsDesReels,
    ListeImpossible,
    FaceHorsSommets,
    TropDePoints,
    SansPoint,
    FichierOctet,
    DonneesApres,
    FichierChange,
    OctetsApres,
    ComptesContradictoires,
    ProduitTropGrand,
    CorpsTexte,
    CorpsImplausible,
    HorsDuType,
    ElementSansPropriete,
    EnDouble,
    CoordonneeListe,
    MemoireLecture,
    // Triangle meshes (OFF, OBJ)
    PasUnFichierOFF,
    FacesRefusees,
    FaceTropPetite,
    ComptesOFFAbsents,
    SommetsManquants,
    FacesManquantes,
    SommetIllisible,
    CoinIllisible,
    FaceDeMoinsDeTrois,
    OFFLigneTropLongue,
    SommetsNegatifs,
    FacesNegatives,
    AretesNegatives,
    ComptesOFFAttendus,
    ComptesOFFAttendusBinaire,
    STLTailleIncoherente,
    STLTropCourt,
    STLCoordonneeNonFinie,
    STLMotAttendu,
    STLFinAttendu,
    STLNombreIllisible,
    STLTropDeTriangles,
    STLTrianglesNuls,
    EcritureHorsSimplePrecision,
    EcritureFaceHorsSommets,
    // Analyze volumes
    VolumeIllisible,
    EnTete,
    Image,
    PasUnVolume,
    DimensionsInvalides,
    VolumeTropGrand,
    MemoireVolume,
    EnteteVide,
    EnteteTronque,
    TypeDeVoxel,
    ImageTropCourte,
    LectureImage,
    VolumeSansPoint,
    // NIfTI volumes, real-valued volumes, their frame and the boundary of a region
    NiftiIllisible,
    NiftiOuverture,
    NiftiNonOuvert,
    NiftiEnteteIncomplet,
    NiftiSansSignature,
    NiftiDeuxIncomplet,
    NiftiEnteteRefuse,
    NiftiRang,
    NiftiDimension,
    NiftiType,
    NiftiTropGrand,
    NiftiDecalage,
    NiftiMemoireVoxels,
    NiftiMemoireOctets,
    NiftiCompresseCorrompu,
    NiftiCompresseCoupe,
    NiftiFichierCourt,
    NiftiLus,
    NiftiCompresseTropPetit,
    NiftiFichierTropPetit,
    NiftiTropCourt,
    NiftiPaireEnMemoire,
    NiftiUniqueDansHdr,
    NiftiPaireDansUnique,
    NiftiPremierVolume,
    NiftiEchelleNonFinie,
    NiftiEchelleHorsSimple,
    NiftiValeurHorsSimple,
    AnalyzeImageIllisible,
    AnalyzeSansTailleVoxel,
    RepereIndices,
    RepereTaillesVoxels,
    RepereQform,
    RepereSform,
    FrontiereSansNiveau,
    FrontiereSansVoxel,
    RegionAuNiveau,
    RegionEntre,
    PlageValeurs,
    SansValeurFinie,
    VolumeFichierIllisible,
    VolumeSansLecteur,
    VolumeRang,
    VolumeComposantes,
    VolumeAxesImpossibles,
    VolumeHorsDuFichier,
    VolumeChoisi,
    DicomOrientation,
    DicomOrientationsDiverses,
    DicomTranchesInegales,
    DicomSansSerie,
    DicomSeries,
    MghEnteteIncomplet,
    MghVersion,
    MghType,
    VolumeCoupe,
    FormatParRec,
    FormatAfni,
    FormatEcat,
    RepereFichier,
    RepereDicom,
    RepereMgh,
    CarteDeLabels,
    RegionLabels,
    FrontiereTropGrande,
    FrontiereEparse,
    // Simplex meshes (SMM, SM)
    FichierLigne,
    SimplexIllisible,
    PremiereLigneVide,
    FormatIncorrect,
    SMNonRelisible,
    ComptesIllisibles,
    ComptesHorsLimites,
    PointIllisible,
    Point,
    IndiceDeVoisin,
    Maille,
    MailleIllisible,
    TailleIllisible,
    IndiceDePoint,
    EnteteSMMTropLong,
    ComptesIllisiblesCar,
    ComptesHorsLimitesLus,
    AucunPointAnnonce,
    FichierTropCourtPourLesPoints,
    FinDansLePoint,
    PasUnReelFini,
    MaillesManquantes,
    TailleIllisibleCar,
    TailleNegative,
    MailleIncomplete,
    PointsPourTriplets,
    FormatInconnu,
    // Refinements, conversion, triangulation, deformation
    IndiceDeMaille,
    TropPeuDePointsPourCouper,
    MailleSuivanteDifferente,
    PointHorsDeLaListe,
    VoisinesIntrouvables,
    PremiereVoisineIntrouvable,
    SecondeVoisineIntrouvable,
    MaillageSuivant,
    OrdreIncoherent,
    T26Point,
    T26GlobalPoint,
    EditionNonConsecutifs,
    EditionUnSeulVoisin,
    EditionAucunVoisin,
    EditionOrdreIncoherent,
    SansSesTroisVoisins,
    ListesSuivantesCourtes,
    TrianglesSansFace,
    FaceSommetInexistant,
    FaceSommetsConfondus,
    MaillageOuvert,
    AretePartagee,
    FacesMalOrientees,
    SommetIsole,
    PasUnCycle,
    PointDeMailleHorsListe,
    PasNegatifs,
    // Fit and placement
    PlacementImpossible,
    CentreSurLaSurface,
    PasUnSimplexeFerme,
    TropPeuDePointsSimplexes,
    ListesCompagnesCourtes,
    PointEnDouble,
    PasTroisVoisins,
    PropreVoisin,
    VoisinageAsymetrique,
    VoisinEnDouble,
    PositionNonFinie,
    SansMaille,
    NuageVide,
    NuageNonFini,
    NuagePonctuel,
    NuageTropPetit,
    NuageSurUneDroite,
    NuageDansUnPlan,
    Divergence,
    ErreurInterne,
    ErreurInterneInconnue,
    // Operations and phases
    LectureDe,
    LectureDuMaillage,
    LectureDuNuage,
    LectureDuSimplex,
    ModeAutomatique,
    DeformationDuMaillage,
    DeformationFinale,
    Deformation,
    PhaseT26Global,
    RaffinageT26Global,
    EclatementDesPoints,
    RecopieT26Global,
    RaffinageT26Angles,
    RaffinageT22Surfaces,
    PhaseT22PointsParMaille,
    RaffinageT22PointsParMaille,
    ConversionEnSimplexe,
    CreationDesPointsSimplexes,
    CreationDesMaillesSimplexes,
    MaillesSimplexesCreees,
    Triangularisation,
    TriangularisationDesMailles,
    Ajustement,
    AjustementNiveau,
    LectureDuVolume,
    ConstructionDeLArbre,
    EcritureDe,
    MesureDesDistances,
    RaffinageLocal,
    ReposSurLeNuage,
    DemelageDeLaSurface,
    LissageDuBruit,
    // The console tool
    ArgumentsRefuses,
    ReelAttendu,
    HorsDeZeroACent,
    EntierAttendu,
    EntierHorsBornes,
    CheminVide,
    NombreDArguments,
    SauvegardeAutomatique,
    ArgumentInattendu,
    AutosaveSansValeur,
    OptionInconnue,
    ValeurManquante,
    MethodeInconnue,
    ChoixInconnu,
    ToleranceNonPositive,
    CloudObligatoire,
    AucunArgument,
    NuageSansPoint,
    NuageCoordonneeNonFinie,
    NuagePointNonFini,
    NuageTousNonFinis,
    NuageReduitAUnPoint,
    NuageNommeTropPetit,
    NuageNommeSurUneDroite,
    NuageNommeDansUnPlan,
    NuageAuDelaDuCompte,
    ArreteParSignal,
    ReferenceTriangulaire,
    DossierDeSortie,
    DossierDeSortieEcriture,
    SortieSurEntree,
    SmmAttendu,
    ReferenceIllisible,
    ReferenceNonFermee,
    EcritureImpossible,
    FormatDeSortieInconnu,
    FormatDeSortieVide,
    PrecisionSixChiffres,
    // The console tool's volume options
    NiveauEtBande,
    OptionsDeVolumeSurNuage,
    BandeDeuxValeurs,
    BandeInversee,
    LabelsAttendus,
    LabelsTous,
    RegionEtLabels,
    VolumeIndiceAttendu,
    LabelsSansVolume,
    PasUneCarteDeLabels,
    EcritureImpossibleCar,
    // The batch command
    EntreeDuLotIntrouvable,
    ListeDuLotIllisible,
    AucunNuageDansLeLot,
    PasUnDossierDeLot,
    ResumeDuLotImpossible,
    UsageDuLot,
    // The console tool's language and report
    LangueInconnue,
    RapportInconnu,
    Nombre_ ///< the count of codes, not a code
};

/// How many codes there are (Aucune included).
constexpr std::size_t nombreDeCodes = static_cast<std::size_t>(CodeRaison::Nombre_);

struct Raison;

/// One argument of a reason: a text written as it is, a number, or a reason of its own (a name
/// between quotes is the reason Cite around its text).
struct Argument
{
    enum class Genre { Texte, Nombre, Raison };
    Genre genre = Genre::Texte;
    std::string texte;          ///< the text, or the number in decimal digits
    std::vector<::Raison> sous; ///< the nested reason (one) for Genre::Raison

    Argument() = default;
    template <typename T, typename = std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>>>
    Argument(T n) : genre(Genre::Nombre), texte(std::to_string(n)) // implicit: a number goes in as it is
    {}
    Argument(::Raison r); // implicit: a nested reason goes in as it is
};

struct Raison
{
    CodeRaison code = CodeRaison::Aucune;
    std::vector<Argument> arguments;

    Raison() = default;
    Raison(CodeRaison c, std::vector<Argument> a = {}) : code(c), arguments(std::move(a)) {}
};

inline Argument::Argument(::Raison r) : genre(Genre::Raison), sous{std::move(r)} {}

/// A text written as it is (a system message, a file name the text writes without quotes).
inline Argument litteral(std::string t)
{
    Argument a;
    a.texte = std::move(t);
    return a;
}

/// A name between quotes (« nom » in French).
inline Raison nom(std::string n)
{
    return Raison(CodeRaison::Cite, {litteral(std::move(n))});
}

/// The French pattern of a code ("" for Aucune and for a value that is no code).
const char *motifRaison(CodeRaison code);

/// The reason in French on one line, as the console tool prints it ("" for Aucune).
std::string texte(const Raison &r);

/// The phase a progress step belongs to, as a progress line names it: the fit (Ajustement) for
/// its levels, refinements, smoothing and settling; the whole-mesh T26 refinement for its two
/// stages; the first part of a step in context (Contexte); the step itself otherwise.
Raison phaseDe(const Raison &etape);

/// Writes a pattern with each %N replaced by valeurs[N - 1], in one pass (a value holding "%2"
/// stays as it is; a %N without its value stays as written). Shared by the French and the
/// interface's formatting.
std::string remplirMotif(const std::string &motif, const std::vector<std::string> &valeurs);

#endif
