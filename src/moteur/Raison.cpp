#include "Raison.h"

// The patterns are marked for the interface's translation (context "Moteur"): lupdate reads this
// file. The engine builds without Qt, so the mark is then the text itself.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(contexte, texte) texte
#endif

namespace {

struct Entree
{
    CodeRaison code;
    const char *motif;
};

// One line per code, in the order of CodeRaison.
constexpr Entree catalogue[] = {
    {CodeRaison::Aucune, ""},
    {CodeRaison::Cite, QT_TRANSLATE_NOOP("Moteur", "« %1 »")},
    {CodeRaison::Contexte, QT_TRANSLATE_NOOP("Moteur", "%1 : %2")},
    {CodeRaison::Interrompu, QT_TRANSLATE_NOOP("Moteur", "%1 : interrompu à la demande")},
    // Files
    {CodeRaison::OuvertureImpossibleCar, QT_TRANSLATE_NOOP("Moteur", "%1 ne peut pas être ouvert (%2)")},
    {CodeRaison::FichierAbsent, QT_TRANSLATE_NOOP("Moteur", "fichier absent")},
    {CodeRaison::AccesRefuse, QT_TRANSLATE_NOOP("Moteur", "accès refusé")},
    {CodeRaison::OuvertureImpossible, QT_TRANSLATE_NOOP("Moteur", "%1 ne peut pas être ouvert")},
    {CodeRaison::EstUnDossier, QT_TRANSLATE_NOOP("Moteur", "%1 est un dossier, pas un fichier")},
    {CodeRaison::EstUnTube, QT_TRANSLATE_NOOP("Moteur", "%1 est un tube, pas un fichier ordinaire")},
    {CodeRaison::EstUnPeripherique, QT_TRANSLATE_NOOP("Moteur", "%1 est un périphérique, pas un fichier ordinaire")},
    {CodeRaison::PasUnFichierOrdinaire, QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas un fichier ordinaire")},
    {CodeRaison::CreationImpossible, QT_TRANSLATE_NOOP("Moteur", "%1 ne peut pas être créé")},
    {CodeRaison::EcritureEchouee, QT_TRANSLATE_NOOP("Moteur", "l'écriture de %1 a échoué")},
    {CodeRaison::Incomplet, QT_TRANSLATE_NOOP("Moteur", "%1 incomplet : %2")},
    {CodeRaison::NuageNonReconnu,
     QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas un nuage de points reconnu (%2)")},
    {CodeRaison::MaillageNonReconnu,
     QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas un maillage reconnu (%2)")},
    {CodeRaison::SansAucuneFace, QT_TRANSLATE_NOOP("Moteur", "%1 ne contient aucune face")},
    {CodeRaison::MemoireIndexNuage, QT_TRANSLATE_NOOP("Moteur", "mémoire insuffisante pour l'index du nuage %1")},
    {CodeRaison::MemoireArbrePoints, QT_TRANSLATE_NOOP("Moteur", "mémoire insuffisante pour l'arbre des points")},
    // Clouds (PTS)
    {CodeRaison::PasUnFichierPTS,
     QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas un fichier PTS : la ligne 1 ne commence pas par « PTS »")},
    {CodeRaison::NombrePointsIllisible, QT_TRANSLATE_NOOP("Moteur", "%1, ligne %2 : nombre de points illisible (%3)")},
    {CodeRaison::NombrePointsNegatif, QT_TRANSLATE_NOOP("Moteur", "%1, ligne %2 : nombre de points négatif (%3)")},
    {CodeRaison::PointsManquants,
     QT_TRANSLATE_NOOP("Moteur", "%1 points annoncés, %2 lus ; la lecture s'est arrêtée ligne %3 (point %4) : %5")},
    {CodeRaison::FinDuFichier, QT_TRANSLATE_NOOP("Moteur", "le fichier s'arrête là")},
    {CodeRaison::PasUnNombre, QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas un nombre")},
    {CodeRaison::PasUnEntier, QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas un nombre entier")},
    {CodeRaison::HorsDesEntiers, QT_TRANSLATE_NOOP("Moteur", "%1 sort des limites des entiers")},
    {CodeRaison::HorsDeLaSimplePrecision, QT_TRANSLATE_NOOP("Moteur", "%1 sort des limites de la simple précision")},
    {CodeRaison::PTSLigneTropLongue,
     QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas un fichier PTS : la ligne 1 dépasse %2 caractères sans fin de ligne")},
    {CodeRaison::OctetsDeControle,
     QT_TRANSLATE_NOOP("Moteur", "des octets de contrôle, pas du texte (un fichier binaire ?)")},
    {CodeRaison::PointsManquantsSuiteLigne2,
     QT_TRANSLATE_NOOP("Moteur", "%1 points annoncés, %2 lus ; la lecture s'est arrêtée ligne %3 (point %4) : %5 ; %6, "
                                 "après le nombre de points sur la ligne 2, n'est pas lu : les points "
                                 "commencent ligne 3")},
    {CodeRaison::PasUnFichierPLY,
     QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas un fichier PLY : il ne commence pas par une ligne « ply »")},
    {CodeRaison::PasUnFichierPCD,
     QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas un fichier PCD : %2 trouvé où l'en-tête était attendu")},
    {CodeRaison::EnteteSansFin,
     QT_TRANSLATE_NOOP("Moteur", "%1 : en-tête sans fin (%2 attendu dans les %3 premiers octets)")},
    {CodeRaison::EnteteLigne,
     QT_TRANSLATE_NOOP("Moteur", "%1, ligne %2 de l'en-tête : %3")},
    {CodeRaison::MotIncompris,
     QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas compris ici")},
    {CodeRaison::TypeInconnu,
     QT_TRANSLATE_NOOP("Moteur", "type %1 inconnu")},
    {CodeRaison::SansCoordonnees,
     QT_TRANSLATE_NOOP("Moteur", "%1 : pas de propriétés x, y et z dans %2")},
    {CodeRaison::CompteTropGrand,
     QT_TRANSLATE_NOOP("Moteur", "%1 : %2 %3 annoncés, plus que les %4 octets du fichier n'en peuvent tenir")},
    {CodeRaison::FichierCoupe,
     QT_TRANSLATE_NOOP("Moteur", "%1 : le fichier s'arrête à l'octet %2, dans %3 n° %4 sur %5")},
    {CodeRaison::PCDCompresse,
     QT_TRANSLATE_NOOP("Moteur", "%1 : les données « binary_compressed » ne sont pas lues ; enregistrez le nuage en « binary » ou « ascii »")},
    {CodeRaison::NombresParLigne,
     QT_TRANSLATE_NOOP("Moteur", "%1 nombres trouvés, %2 attendus")},
    {CodeRaison::HorsDesReels,
     QT_TRANSLATE_NOOP("Moteur", "%1 sort des limites de la double précision")},
    {CodeRaison::ListeImpossible,
     QT_TRANSLATE_NOOP("Moteur", "liste de %1 éléments impossible")},
    {CodeRaison::FaceHorsSommets,
     QT_TRANSLATE_NOOP("Moteur", "%1 : %2 n° %3 désigne le sommet %4, hors des %5 sommets")},
    {CodeRaison::TropDePoints,
     QT_TRANSLATE_NOOP("Moteur", "%1 : %2 points, plus que les %3 qu'un nuage peut tenir")},
    {CodeRaison::SansPoint,
     QT_TRANSLATE_NOOP("Moteur", "%1 : aucun point (aucune ligne de trois nombres)")},
    {CodeRaison::FichierOctet,
     QT_TRANSLATE_NOOP("Moteur", "%1, octet %2 : %3")},
    {CodeRaison::DonneesApres,
     QT_TRANSLATE_NOOP("Moteur", "%1, ligne %2 : %3 après le dernier élément annoncé")},
    {CodeRaison::FichierChange,
     QT_TRANSLATE_NOOP("Moteur", "%1 : le fichier a changé pendant la lecture")},
    {CodeRaison::OctetsApres,
     QT_TRANSLATE_NOOP("Moteur", "%1, octet %2 : %3 octets après le dernier élément annoncé")},
    {CodeRaison::ComptesContradictoires,
     QT_TRANSLATE_NOOP("Moteur", "%1 : POINTS %2, mais WIDTH × HEIGHT = %3")},
    {CodeRaison::ProduitTropGrand,
     QT_TRANSLATE_NOOP("Moteur", "%1 : WIDTH %2 × HEIGHT %3, plus que les %4 points qu'un nuage peut tenir")},
    {CodeRaison::CorpsTexte,
     QT_TRANSLATE_NOOP("Moteur", "%1, octet %2 : les données annoncées %3 sont du texte")},
    {CodeRaison::CorpsImplausible,
     QT_TRANSLATE_NOOP("Moteur", "%1, octet %2 : %3 des %4 premières coordonnées ne sont pas finies ou sont dénormales ; ce ne sont pas des données %5")},
    {CodeRaison::HorsDuType,
     QT_TRANSLATE_NOOP("Moteur", "%1 ne tient pas dans le type %2")},
    {CodeRaison::ElementSansPropriete,
     QT_TRANSLATE_NOOP("Moteur", "%1 : %2 %3 annoncés sans aucune propriété")},
    {CodeRaison::EnDouble,
     QT_TRANSLATE_NOOP("Moteur", "%1 déclaré deux fois")},
    {CodeRaison::CoordonneeListe,
     QT_TRANSLATE_NOOP("Moteur", "%1 : la coordonnée %2 de %3 est une liste")},
    {CodeRaison::MemoireLecture,
     QT_TRANSLATE_NOOP("Moteur", "%1 : mémoire insuffisante (%2, %3 octets demandés)")},
    // Triangle meshes (OFF, OBJ)
    {CodeRaison::PasUnFichierOFF,
     QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas un fichier OFF : la ligne 1 ne commence pas par « OFF »")},
    {CodeRaison::FacesRefusees,
     QT_TRANSLATE_NOOP("Moteur", "%1 : %2 faces refusées (indice de sommet hors de la liste des sommets)")},
    {CodeRaison::FaceTropPetite, QT_TRANSLATE_NOOP("Moteur", "face de %1 sommets (trois au moins) ligne %2")},
    {CodeRaison::ComptesOFFAbsents,
     QT_TRANSLATE_NOOP("Moteur",
                       "nombres de sommets, de faces et d'arêtes absents ; la lecture s'est arrêtée ligne %1")},
    {CodeRaison::SommetsManquants,
     QT_TRANSLATE_NOOP("Moteur", "%1 sommets annoncés, %2 lus ; la lecture s'est arrêtée ligne %3")},
    {CodeRaison::FacesManquantes,
     QT_TRANSLATE_NOOP("Moteur", "%1 faces annoncées, %2 lues ; la lecture s'est arrêtée ligne %3")},
    {CodeRaison::SommetIllisible, QT_TRANSLATE_NOOP("Moteur", "sommet illisible ligne %1")},
    {CodeRaison::CoinIllisible, QT_TRANSLATE_NOOP("Moteur", "sommet de face illisible ligne %1")},
    {CodeRaison::FaceDeMoinsDeTrois, QT_TRANSLATE_NOOP("Moteur", "face de moins de trois sommets ligne %1")},
    {CodeRaison::OFFLigneTropLongue,
     QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas un fichier OFF : la ligne 1 dépasse %2 caractères sans fin de ligne")},
    {CodeRaison::SommetsNegatifs, QT_TRANSLATE_NOOP("Moteur", "%1, ligne %2 : nombre de sommets négatif (%3)")},
    {CodeRaison::FacesNegatives, QT_TRANSLATE_NOOP("Moteur", "%1, ligne %2 : nombre de faces négatif (%3)")},
    {CodeRaison::AretesNegatives, QT_TRANSLATE_NOOP("Moteur", "%1, ligne %2 : nombre d'arêtes négatif (%3)")},
    {CodeRaison::ComptesOFFAttendus,
     QT_TRANSLATE_NOOP("Moteur", "%1, ligne %2 : nombres de sommets, de faces et d'arêtes attendus, %3 trouvé")},
    {CodeRaison::ComptesOFFAttendusBinaire,
     QT_TRANSLATE_NOOP("Moteur", "%1, ligne %2 : nombres de sommets, de faces et d'arêtes attendus, des octets de "
                                 "contrôle trouvés (un fichier binaire ?)")},
    {CodeRaison::STLTailleIncoherente,
     QT_TRANSLATE_NOOP("Moteur", "%1 n'est ni un STL texte (« solid » au début) ni un STL binaire : l'en-tête "
                                 "annonce %2 triangles, soit %3 octets, le fichier en a %4")},
    {CodeRaison::STLTropCourt,
     QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas un fichier STL : %2 octets, sans « solid » au début, moins que les "
                                 "84 d'un en-tête binaire")},
    {CodeRaison::STLCoordonneeNonFinie,
     QT_TRANSLATE_NOOP("Moteur", "%1 : triangle %2 : coordonnée non finie à l'octet %3")},
    {CodeRaison::STLMotAttendu, QT_TRANSLATE_NOOP("Moteur", "%1, ligne %2 : « %3 » attendu, %4 trouvé")},
    {CodeRaison::STLFinAttendu,
     QT_TRANSLATE_NOOP("Moteur", "%1, ligne %2 : « %3 » attendu, fin du fichier trouvée")},
    {CodeRaison::STLNombreIllisible, QT_TRANSLATE_NOOP("Moteur", "%1, ligne %2 : coordonnée illisible, %3 trouvé")},
    {CodeRaison::STLTropDeTriangles,
     QT_TRANSLATE_NOOP("Moteur", "%1 : %2 triangles, plus que les %3 qu'un maillage peut tenir")},
    {CodeRaison::STLTrianglesNuls,
     QT_TRANSLATE_NOOP("Moteur", "%1 : les %2 premiers triangles, dès l'octet %3, ne sont que des octets nuls (un fichier vide ou creux, pas un maillage)")},
    {CodeRaison::EcritureHorsSimplePrecision,
     QT_TRANSLATE_NOOP("Moteur", "%1 : le sommet %2 sort de la simple précision du STL (%3)")},
    {CodeRaison::EcritureFaceHorsSommets,
     QT_TRANSLATE_NOOP("Moteur", "%1 : la face %2 nomme un sommet hors de la liste des sommets")},
    // Analyze volumes
    {CodeRaison::VolumeIllisible, QT_TRANSLATE_NOOP("Moteur", "volume %1 (.hdr, .img) : %2")},
    {CodeRaison::EnTete, QT_TRANSLATE_NOOP("Moteur", "en-tête : %1")},
    {CodeRaison::Image, QT_TRANSLATE_NOOP("Moteur", "image : %1")},
    {CodeRaison::PasUnVolume,
     QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas un volume Analyze ou NIfTI (.hdr, .img, .nii, .nii.gz)")},
    {CodeRaison::DimensionsInvalides, QT_TRANSLATE_NOOP("Moteur", "Dimensions de volume invalides : %1 x %2 x %3")},
    {CodeRaison::VolumeTropGrand, QT_TRANSLATE_NOOP("Moteur", "Volume trop grand : %1 x %2 x %3")},
    {CodeRaison::MemoireVolume, QT_TRANSLATE_NOOP("Moteur", "Mémoire insuffisante pour le volume %1 x %2 x %3")},
    {CodeRaison::EnteteVide, QT_TRANSLATE_NOOP("Moteur", "En-tête Analyze vide : <%1>")},
    {CodeRaison::EnteteTronque, QT_TRANSLATE_NOOP("Moteur", "En-tête Analyze incomplet (%1 octets sur 348) : <%2>")},
    {CodeRaison::TypeDeVoxel, QT_TRANSLATE_NOOP("Moteur", "Type de voxel Analyze non pris en charge (%1) : %2")},
    {CodeRaison::ImageTropCourte,
     QT_TRANSLATE_NOOP("Moteur", "Fichier image Analyze trop court : %1.img (%2 octets attendus, %3 présents)")},
    {CodeRaison::LectureImage, QT_TRANSLATE_NOOP("Moteur", "Erreur de lecture du fichier Analyze : %1.img")},
    {CodeRaison::VolumeSansPoint,
     QT_TRANSLATE_NOOP("Moteur", "le volume %1 ne donne aucun point avec les seuils %2 à %3 et la fenêtre %4 à %5 : "
                                 "ses valeurs vont de %6 à %7 ; réglez la fenêtre (valeurs de voxel minimum et "
                                 "maximum) dans les préférences, fichiers HDR / IMG, ou prenez-la du volume avec "
                                 "« Fenêtre du volume »")},
    // NIfTI volumes, real-valued volumes, their frame and the boundary of a region
    {CodeRaison::NiftiIllisible, QT_TRANSLATE_NOOP("Moteur", "volume NIfTI %1 : %2")},
    {CodeRaison::NiftiOuverture, QT_TRANSLATE_NOOP("Moteur", "volume NIfTI : %1")},
    {CodeRaison::NiftiNonOuvert, QT_TRANSLATE_NOOP("Moteur", "ne peut pas être ouvert")},
    {CodeRaison::NiftiEnteteIncomplet, QT_TRANSLATE_NOOP("Moteur", "en-tête incomplet (%1 octets, 348 au moins)")},
    {CodeRaison::NiftiSansSignature,
     QT_TRANSLATE_NOOP("Moteur", "en-tête sans la signature NIfTI (n+1, ni1, n+2 ou ni2)")},
    {CodeRaison::NiftiDeuxIncomplet, QT_TRANSLATE_NOOP("Moteur", "en-tête NIfTI-2 incomplet (%1 octets sur 540)")},
    {CodeRaison::NiftiEnteteRefuse, QT_TRANSLATE_NOOP("Moteur", "en-tête refusé par la bibliothèque NIfTI")},
    {CodeRaison::NiftiRang, QT_TRANSLATE_NOOP("Moteur", "nombre de dimensions impossible (dim[0] = %1)")},
    {CodeRaison::NiftiDimension, QT_TRANSLATE_NOOP("Moteur", "dimension %1 impossible (%2)")},
    {CodeRaison::NiftiType,
     QT_TRANSLATE_NOOP("Moteur", "type de voxel non pris en charge (%1) : entiers de 8, 16 ou 32 bits et réels de "
                                 "32 ou 64 bits seulement")},
    {CodeRaison::NiftiTropGrand, QT_TRANSLATE_NOOP("Moteur", "volume trop grand (%1 x %2 x %3)")},
    {CodeRaison::NiftiDecalage, QT_TRANSLATE_NOOP("Moteur", "début des voxels impossible (vox_offset = %1)")},
    {CodeRaison::NiftiMemoireVoxels, QT_TRANSLATE_NOOP("Moteur", "mémoire insuffisante pour %1 voxels")},
    {CodeRaison::NiftiMemoireOctets, QT_TRANSLATE_NOOP("Moteur", "mémoire insuffisante pour %1 octets")},
    {CodeRaison::NiftiCompresseCorrompu, QT_TRANSLATE_NOOP("Moteur", "données compressées coupées ou corrompues (%1)")},
    {CodeRaison::NiftiCompresseCoupe, QT_TRANSLATE_NOOP("Moteur", "données compressées coupées")},
    {CodeRaison::NiftiFichierCourt, QT_TRANSLATE_NOOP("Moteur", "fichier trop court")},
    {CodeRaison::NiftiLus, QT_TRANSLATE_NOOP("Moteur", "%1 : %2 octets lus sur les %3 attendus")},
    {CodeRaison::NiftiCompresseTropPetit,
     QT_TRANSLATE_NOOP("Moteur",
                       "le fichier compressé de %1 octets ne peut pas contenir les %2 octets annoncés par l'en-tête")},
    {CodeRaison::NiftiFichierTropPetit,
     QT_TRANSLATE_NOOP("Moteur", "le fichier de %1 octets ne peut pas contenir les %2 octets annoncés par l'en-tête")},
    {CodeRaison::NiftiTropCourt, QT_TRANSLATE_NOOP("Moteur", "fichier trop court : %1 octets, %2 attendus")},
    {CodeRaison::NiftiPaireEnMemoire,
     QT_TRANSLATE_NOOP("Moteur", "en-tête d'une paire .hdr/.img (ni1, ni2) : les voxels sont dans le fichier .img")},
    {CodeRaison::NiftiUniqueDansHdr,
     QT_TRANSLATE_NOOP("Moteur", "en-tête d'un fichier unique (n+1, n+2) porté par un .hdr")},
    {CodeRaison::NiftiPaireDansUnique,
     QT_TRANSLATE_NOOP("Moteur", "en-tête d'une paire .hdr/.img (ni1, ni2) dans un fichier unique")},
    {CodeRaison::NiftiPremierVolume, QT_TRANSLATE_NOOP("Moteur", "fichier de %1 volumes : seul le premier est lu")},
    {CodeRaison::NiftiEchelleNonFinie,
     QT_TRANSLATE_NOOP("Moteur", "facteur d'échelle non fini (scl_slope = %1, scl_inter = %2)")},
    {CodeRaison::NiftiEchelleHorsSimple,
     QT_TRANSLATE_NOOP("Moteur", "voxel (%1, %2, %3) : %4 x scl_slope %5 + scl_inter %6 sort de la simple précision")},
    {CodeRaison::NiftiValeurHorsSimple,
     QT_TRANSLATE_NOOP("Moteur", "voxel (%1, %2, %3) : la valeur %4 sort de la simple précision")},
    {CodeRaison::AnalyzeImageIllisible, QT_TRANSLATE_NOOP("Moteur", "image illisible")},
    {CodeRaison::AnalyzeSansTailleVoxel,
     QT_TRANSLATE_NOOP("Moteur", "taille de voxel absente de l'en-tête, prise à 1 mm")},
    {CodeRaison::RepereIndices, QT_TRANSLATE_NOOP("Moteur", "indices de voxels")},
    {CodeRaison::RepereTaillesVoxels, QT_TRANSLATE_NOOP("Moteur", "millimètres (tailles des voxels)")},
    {CodeRaison::RepereQform, QT_TRANSLATE_NOOP("Moteur", "millimètres (qform)")},
    {CodeRaison::RepereSform, QT_TRANSLATE_NOOP("Moteur", "millimètres (sform)")},
    {CodeRaison::FrontiereSansNiveau,
     QT_TRANSLATE_NOOP("Moteur", "le volume %1 n'a pas de niveau automatique (%2) : donnez-en un (--level)")},
    {CodeRaison::FrontiereSansVoxel, QT_TRANSLATE_NOOP("Moteur", "le volume %1 n'a aucun voxel %2 : %3")},
    {CodeRaison::RegionAuNiveau, QT_TRANSLATE_NOOP("Moteur", "au niveau %1 ou au-dessus")},
    {CodeRaison::RegionEntre, QT_TRANSLATE_NOOP("Moteur", "entre %1 et %2")},
    {CodeRaison::PlageValeurs, QT_TRANSLATE_NOOP("Moteur", "ses valeurs vont de %1 à %2")},
    {CodeRaison::SansValeurFinie, QT_TRANSLATE_NOOP("Moteur", "aucune valeur finie")},
    {CodeRaison::VolumeFichierIllisible, QT_TRANSLATE_NOOP("Moteur", "volume %1 : %2")},
    {CodeRaison::VolumeSansLecteur, QT_TRANSLATE_NOOP("Moteur", "aucun lecteur de volume ne reconnaît ce fichier")},
    {CodeRaison::VolumeRang, QT_TRANSLATE_NOOP("Moteur", "nombre de dimensions non pris en charge (%1) : 2, 3 ou 4 seulement")},
    {CodeRaison::VolumeComposantes, QT_TRANSLATE_NOOP("Moteur", "voxels à %1 composantes : une seule valeur par voxel attendue")},
    {CodeRaison::VolumeAxesImpossibles, QT_TRANSLATE_NOOP("Moteur", "axes du volume impossibles (direction ou espacement nul, non fini ou plat)")},
    {CodeRaison::VolumeHorsDuFichier, QT_TRANSLATE_NOOP("Moteur", "le volume %1 est demandé, le fichier en a %2")},
    {CodeRaison::VolumeChoisi, QT_TRANSLATE_NOOP("Moteur", "volume %1 sur %2")},
    {CodeRaison::DicomOrientation, QT_TRANSLATE_NOOP("Moteur", "orientation DICOM impossible (ImageOrientationPatient = « %1 ») : deux vecteurs unitaires perpendiculaires attendus")},
    {CodeRaison::DicomOrientationsDiverses, QT_TRANSLATE_NOOP("Moteur", "tranches d'orientations différentes (« %1 », puis « %2 »)")},
    {CodeRaison::DicomTranchesInegales, QT_TRANSLATE_NOOP("Moteur", "tranches inégalement espacées (de %1 à %2 mm le long de la normale) : une tranche manque ou la série est coupée")},
    {CodeRaison::DicomSansSerie, QT_TRANSLATE_NOOP("Moteur", "aucune série DICOM lisible à cet endroit")},
    {CodeRaison::DicomSeries, QT_TRANSLATE_NOOP("Moteur", "dossier de %1 séries DICOM : seule la série %2 est lue (%3)")},
    {CodeRaison::MghEnteteIncomplet, QT_TRANSLATE_NOOP("Moteur", "en-tête MGH incomplet (%1 octets, 90 au moins)")},
    {CodeRaison::MghVersion, QT_TRANSLATE_NOOP("Moteur", "version MGH inconnue (%1, 1 attendue)")},
    {CodeRaison::MghType, QT_TRANSLATE_NOOP("Moteur", "type de voxel MGH non pris en charge (%1) : 0, 1, 3 ou 4 seulement")},
    {CodeRaison::VolumeCoupe, QT_TRANSLATE_NOOP("Moteur", "données coupées : %1 octets sur les %2 attendus")},
    {CodeRaison::FormatParRec, QT_TRANSLATE_NOOP("Moteur", "%1 est un fichier PAR/REC (Philips) : non lu ; convertissez-le en NIfTI (dcm2niix, ou parrec2nii de nibabel)")},
    {CodeRaison::FormatAfni, QT_TRANSLATE_NOOP("Moteur", "%1 est un fichier AFNI (.HEAD/.BRIK) : non lu ; convertissez-le en NIfTI (3dAFNItoNIFTI)")},
    {CodeRaison::FormatEcat, QT_TRANSLATE_NOOP("Moteur", "%1 est un fichier ECAT 7 : non lu ; convertissez-le en NIfTI (nibabel)")},
    {CodeRaison::RepereFichier, QT_TRANSLATE_NOOP("Moteur", "millimètres (origine, axes et espacement du fichier)")},
    {CodeRaison::RepereDicom, QT_TRANSLATE_NOOP("Moteur", "millimètres (position et orientation des tranches DICOM)")},
    {CodeRaison::RepereMgh, QT_TRANSLATE_NOOP("Moteur", "millimètres (vox2ras MGH)")},
    {CodeRaison::CarteDeLabels, QT_TRANSLATE_NOOP("Moteur", "carte de labels (%1 labels entiers, fond %2) : sans niveau d'Otsu, la région est la réunion des labels ; --label N pour un seul, --labels all pour chacun")},
    {CodeRaison::RegionLabels, QT_TRANSLATE_NOOP("Moteur", "de label %1")},
    {CodeRaison::FrontiereTropGrande,
     QT_TRANSLATE_NOOP("Moteur", "le volume %1 a %2 points de frontière, plus que les %3 que cette machine peut tenir (%4 octets par point) : donnez un niveau ou une bande qui en donne moins (--level, --band)")},
    {CodeRaison::FrontiereEparse,
     QT_TRANSLATE_NOOP("Moteur", "la région du volume %1 est faite de voxels épars : %2 points de frontière pour %3 voxels, plus de %4 par voxel (du bruit ou un damier, pas une surface) : donnez un autre niveau ou une bande (--level, --band)")},
    // Simplex meshes (SMM, SM)
    {CodeRaison::FichierLigne, QT_TRANSLATE_NOOP("Moteur", "%1, ligne %2 : %3")},
    {CodeRaison::SimplexIllisible, QT_TRANSLATE_NOOP("Moteur", "fichier absent, illisible ou vide")},
    {CodeRaison::PremiereLigneVide, QT_TRANSLATE_NOOP("Moteur", "fichier vide ou première ligne vide")},
    {CodeRaison::FormatIncorrect,
     QT_TRANSLATE_NOOP("Moteur", "format incorrect (la première ligne doit commencer par OFF, SM ou SMM)")},
    {CodeRaison::SMNonRelisible,
     QT_TRANSLATE_NOOP("Moteur", "un fichier SM ne se relit pas (il ne contient pas les mailles)")},
    {CodeRaison::ComptesIllisibles, QT_TRANSLATE_NOOP("Moteur", "nombres de points et de mailles illisibles")},
    {CodeRaison::ComptesHorsLimites,
     QT_TRANSLATE_NOOP("Moteur", "nombre de points ou de mailles négatif ou trop grand")},
    {CodeRaison::PointIllisible, QT_TRANSLATE_NOOP("Moteur", "point %1 incomplet ou illisible")},
    {CodeRaison::Point, QT_TRANSLATE_NOOP("Moteur", "point %1 : %2")},
    {CodeRaison::IndiceDeVoisin, QT_TRANSLATE_NOOP("Moteur", "indice de voisin %1 hors de 0..%2")},
    {CodeRaison::Maille, QT_TRANSLATE_NOOP("Moteur", "maille %1 : %2")},
    {CodeRaison::MailleIllisible, QT_TRANSLATE_NOOP("Moteur", "maille %1 incomplète ou illisible")},
    {CodeRaison::TailleIllisible, QT_TRANSLATE_NOOP("Moteur", "taille illisible ou négative")},
    {CodeRaison::IndiceDePoint, QT_TRANSLATE_NOOP("Moteur", "indice de point %1 hors de 0..%2")},
    {CodeRaison::EnteteSMMTropLong,
     QT_TRANSLATE_NOOP("Moteur",
                       "la première ligne dépasse %1 caractères sans fin de ligne : ce n'est pas un en-tête SMM")},
    {CodeRaison::ComptesIllisiblesCar, QT_TRANSLATE_NOOP("Moteur", "nombres de points et de mailles illisibles (%1)")},
    {CodeRaison::ComptesHorsLimitesLus,
     QT_TRANSLATE_NOOP("Moteur", "nombre de points ou de mailles négatif ou trop grand (%1 points, %2 mailles)")},
    {CodeRaison::AucunPointAnnonce,
     QT_TRANSLATE_NOOP("Moteur",
                       "le fichier annonce 0 point (et %1 mailles) : un maillage simplexe en a au moins quatre")},
    {CodeRaison::FichierTropCourtPourLesPoints,
     QT_TRANSLATE_NOOP("Moteur",
                       "%1 points annoncés, mais le fichier ne fait que %2 octets après son en-tête (11 au moins "
                       "par point)")},
    {CodeRaison::FinDansLePoint,
     QT_TRANSLATE_NOOP("Moteur", "%1 points annoncés, %2 présents : le fichier s'arrête dans le point %3")},
    {CodeRaison::PasUnReelFini, QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas un nombre réel fini")},
    {CodeRaison::MaillesManquantes,
     QT_TRANSLATE_NOOP("Moteur", "%1 mailles annoncées, %2 présentes : le fichier s'arrête là")},
    {CodeRaison::TailleIllisibleCar, QT_TRANSLATE_NOOP("Moteur", "taille illisible (%1)")},
    {CodeRaison::TailleNegative, QT_TRANSLATE_NOOP("Moteur", "taille négative (%1)")},
    {CodeRaison::MailleIncomplete,
     QT_TRANSLATE_NOOP("Moteur", "maille %1 incomplète : %2 points annoncés, %3 lus ; %4")},
    {CodeRaison::PointsPourTriplets, QT_TRANSLATE_NOOP("Moteur", "%1 points pour %2 triplets de voisins")},
    {CodeRaison::FormatInconnu, QT_TRANSLATE_NOOP("Moteur", "%1 : format %2 inconnu (1 SM, 2 SMM)")},
    // Refinements, conversion, triangulation, deformation
    {CodeRaison::IndiceDeMaille, QT_TRANSLATE_NOOP("Moteur", "indice de maille %1 hors de 0..%2")},
    {CodeRaison::TropPeuDePointsPourCouper, QT_TRANSLATE_NOOP("Moteur", "%1 points, trop peu pour la couper")},
    {CodeRaison::MailleSuivanteDifferente, QT_TRANSLATE_NOOP("Moteur", "sa maille suivante a %1 points pour %2")},
    {CodeRaison::PointHorsDeLaListe,
     QT_TRANSLATE_NOOP("Moteur", "un de ses points n'est pas dans la liste des points")},
    {CodeRaison::VoisinesIntrouvables, QT_TRANSLATE_NOOP("Moteur", "les mailles voisines n'ont pas été trouvées")},
    {CodeRaison::PremiereVoisineIntrouvable,
     QT_TRANSLATE_NOOP("Moteur", "la première maille voisine n'a pas été trouvée")},
    {CodeRaison::SecondeVoisineIntrouvable,
     QT_TRANSLATE_NOOP("Moteur", "la seconde maille voisine n'a pas été trouvée")},
    {CodeRaison::MaillageSuivant, QT_TRANSLATE_NOOP("Moteur", "%1 (maillage suivant)")},
    {CodeRaison::OrdreIncoherent, QT_TRANSLATE_NOOP("Moteur", "ordre des points incohérent")},
    {CodeRaison::T26Point, QT_TRANSLATE_NOOP("Moteur", "RaffinageT26, point %1, %2")},
    {CodeRaison::T26GlobalPoint, QT_TRANSLATE_NOOP("Moteur", "RaffinageT26Global, point %1, %2")},
    {CodeRaison::EditionNonConsecutifs,
     QT_TRANSLATE_NOOP("Moteur", "Erreur dans la modification d'une maille (%1): le point simplex courant et son "
                                 "voisin présent dans la maille ne sont pas consécutifs dans la liste des points "
                                 "simplex constituant la maille")},
    {CodeRaison::EditionUnSeulVoisin,
     QT_TRANSLATE_NOOP("Moteur", "Erreur dans la modification d'une maille (%1): le point simplex courant n'a qu'un "
                                 "seul voisin présent dans la maille courante")},
    {CodeRaison::EditionAucunVoisin,
     QT_TRANSLATE_NOOP("Moteur", "Erreur dans la modification de la maille (%1): aucun des voisin du point simplex "
                                 "courant n'est présent dans la maille courante")},
    {CodeRaison::EditionOrdreIncoherent,
     QT_TRANSLATE_NOOP("Moteur", "Erreur dans la modification d'une maille (%1): les voisins du points simplex "
                                 "courant ne sont pas dans un ordre cohérent dans la maille courante")},
    {CodeRaison::SansSesTroisVoisins, QT_TRANSLATE_NOOP("Moteur", "le point %1 n'a pas ses trois voisins")},
    {CodeRaison::ListesSuivantesCourtes,
     QT_TRANSLATE_NOOP("Moteur", "les listes suivantes (%1 points, %2 mailles) ne couvrent pas le maillage (%3 "
                                 "points, %4 mailles)")},
    {CodeRaison::TrianglesSansFace, QT_TRANSLATE_NOOP("Moteur", "le maillage triangulaire n'a aucune face")},
    {CodeRaison::FaceSommetInexistant, QT_TRANSLATE_NOOP("Moteur", "la face %1 désigne le sommet %2 qui n'existe pas")},
    {CodeRaison::FaceSommetsConfondus, QT_TRANSLATE_NOOP("Moteur", "la face %1 a deux sommets confondus")},
    {CodeRaison::MaillageOuvert,
     QT_TRANSLATE_NOOP("Moteur", "le maillage est ouvert : l'arête %1-%2 n'appartient qu'à une face")},
    {CodeRaison::AretePartagee, QT_TRANSLATE_NOOP("Moteur", "l'arête %1-%2 est partagée par %3 faces")},
    {CodeRaison::FacesMalOrientees,
     QT_TRANSLATE_NOOP("Moteur", "les deux faces de l'arête %1-%2 ne sont pas orientées de façon cohérente")},
    {CodeRaison::SommetIsole, QT_TRANSLATE_NOOP("Moteur", "le sommet %1 n'appartient à aucune face")},
    {CodeRaison::PasUnCycle, QT_TRANSLATE_NOOP("Moteur", "les faces autour du sommet %1 ne forment pas un cycle")},
    {CodeRaison::PointDeMailleHorsListe,
     QT_TRANSLATE_NOOP("Moteur", "le point %1 de la maille %2 n'est pas dans la liste des points")},
    {CodeRaison::PasNegatifs, QT_TRANSLATE_NOOP("Moteur", "nombre de pas de déformation négatif : %1")},
    // Fit and placement
    {CodeRaison::PlacementImpossible,
     QT_TRANSLATE_NOOP("Moteur", "impossible de placer le maillage de référence sur le nuage : %1")},
    {CodeRaison::CentreSurLaSurface,
     QT_TRANSLATE_NOOP("Moteur", "le centre de sa boîte englobante est sur sa surface")},
    {CodeRaison::PasUnSimplexeFerme,
     QT_TRANSLATE_NOOP("Moteur", "le maillage n'est pas un maillage simplexe fermé : %1")},
    {CodeRaison::TropPeuDePointsSimplexes, QT_TRANSLATE_NOOP("Moteur", "il a %1 point(s) simplexe(s)")},
    {CodeRaison::ListesCompagnesCourtes, QT_TRANSLATE_NOOP("Moteur", "ses listes compagnes sont trop courtes")},
    {CodeRaison::PointEnDouble, QT_TRANSLATE_NOOP("Moteur", "un point y figure deux fois")},
    {CodeRaison::PasTroisVoisins, QT_TRANSLATE_NOOP("Moteur", "le point %1 n'a pas trois voisins dans le maillage")},
    {CodeRaison::PropreVoisin, QT_TRANSLATE_NOOP("Moteur", "le point %1 est son propre voisin")},
    {CodeRaison::VoisinageAsymetrique, QT_TRANSLATE_NOOP("Moteur", "le voisinage du point %1 n'est pas symétrique")},
    {CodeRaison::VoisinEnDouble, QT_TRANSLATE_NOOP("Moteur", "le point %1 a deux fois le même voisin")},
    {CodeRaison::PositionNonFinie, QT_TRANSLATE_NOOP("Moteur", "le point %1 a une position non finie")},
    {CodeRaison::SansMaille, QT_TRANSLATE_NOOP("Moteur", "il n'a aucune maille")},
    {CodeRaison::NuageVide, QT_TRANSLATE_NOOP("Moteur", "le nuage ne contient aucun point")},
    {CodeRaison::NuageNonFini, QT_TRANSLATE_NOOP("Moteur", "le nuage contient une coordonnée non finie")},
    {CodeRaison::NuagePonctuel, QT_TRANSLATE_NOOP("Moteur", "le nuage est réduit à un point")},
    {CodeRaison::NuageTropPetit,
     QT_TRANSLATE_NOOP("Moteur", "le nuage n'a que %1 points : il faut au moins quatre points hors d'un même plan pour "
                                 "l'envelopper d'une surface fermée")},
    {CodeRaison::NuageSurUneDroite,
     QT_TRANSLATE_NOOP("Moteur", "le nuage a ses %1 points sur une même droite : il faut au moins quatre points hors "
                                 "d'un même plan pour l'envelopper d'une surface fermée")},
    {CodeRaison::NuageDansUnPlan,
     QT_TRANSLATE_NOOP("Moteur", "le nuage a ses %1 points dans un même plan : il faut au moins quatre points hors "
                                 "d'un même plan pour l'envelopper d'une surface fermée")},
    {CodeRaison::Divergence,
     QT_TRANSLATE_NOOP("Moteur", "le maillage diverge (au pas %1, un point s'éloigne à plus de dix diagonales du "
                                 "nuage) : diminuer les forces")},
    {CodeRaison::ErreurInterne, QT_TRANSLATE_NOOP("Moteur", "erreur interne : %1")},
    {CodeRaison::ErreurInterneInconnue, QT_TRANSLATE_NOOP("Moteur", "erreur interne inconnue")},
    // Operations and phases
    {CodeRaison::LectureDe, QT_TRANSLATE_NOOP("Moteur", "Lecture de %1")},
    {CodeRaison::LectureDuMaillage, QT_TRANSLATE_NOOP("Moteur", "Lecture du maillage")},
    {CodeRaison::LectureDuNuage, QT_TRANSLATE_NOOP("Moteur", "Lecture du nuage de points")},
    {CodeRaison::LectureDuSimplex, QT_TRANSLATE_NOOP("Moteur", "Lecture du maillage simplexe")},
    {CodeRaison::ModeAutomatique, QT_TRANSLATE_NOOP("Moteur", "Le mode automatique")},
    {CodeRaison::DeformationDuMaillage, QT_TRANSLATE_NOOP("Moteur", "Deformation du maillage (x%1)")},
    {CodeRaison::DeformationFinale, QT_TRANSLATE_NOOP("Moteur", "Deformation finale")},
    {CodeRaison::Deformation, QT_TRANSLATE_NOOP("Moteur", "Déformation")},
    {CodeRaison::PhaseT26Global, QT_TRANSLATE_NOOP("Moteur", "Raffinage T26 Global")},
    {CodeRaison::RaffinageT26Global, QT_TRANSLATE_NOOP("Moteur", "Raffinage T26 global")},
    {CodeRaison::EclatementDesPoints, QT_TRANSLATE_NOOP("Moteur", "Raffinage T26 global : éclatement des points")},
    {CodeRaison::RecopieT26Global, QT_TRANSLATE_NOOP("Moteur", "Raffinage T26 global : recopie")},
    {CodeRaison::RaffinageT26Angles, QT_TRANSLATE_NOOP("Moteur", "Raffinage T26 par angles")},
    {CodeRaison::RaffinageT22Surfaces, QT_TRANSLATE_NOOP("Moteur", "Raffinage T22 par surfaces")},
    {CodeRaison::PhaseT22PointsParMaille, QT_TRANSLATE_NOOP("Moteur", "Raffinage T22 Point par maille")},
    {CodeRaison::RaffinageT22PointsParMaille, QT_TRANSLATE_NOOP("Moteur", "Raffinage T22 par points par maille")},
    {CodeRaison::ConversionEnSimplexe, QT_TRANSLATE_NOOP("Moteur", "Conversion en maillage simplexe")},
    {CodeRaison::CreationDesPointsSimplexes, QT_TRANSLATE_NOOP("Moteur", "Création des points simplexes")},
    {CodeRaison::CreationDesMaillesSimplexes, QT_TRANSLATE_NOOP("Moteur", "Création des mailles simplexes")},
    {CodeRaison::MaillesSimplexesCreees, QT_TRANSLATE_NOOP("Moteur", "Création des mailles simplex terminée")},
    {CodeRaison::Triangularisation, QT_TRANSLATE_NOOP("Moteur", "Triangularisation")},
    {CodeRaison::TriangularisationDesMailles, QT_TRANSLATE_NOOP("Moteur", "Triangularisation des mailles")},
    {CodeRaison::Ajustement, QT_TRANSLATE_NOOP("Moteur", "Ajustement")},
    {CodeRaison::AjustementNiveau, QT_TRANSLATE_NOOP("Moteur", "Ajustement : niveau %1")},
    {CodeRaison::LectureDuVolume, QT_TRANSLATE_NOOP("Moteur", "Lecture du volume")},
    {CodeRaison::ConstructionDeLArbre, QT_TRANSLATE_NOOP("Moteur", "Construction de l'arbre des points")},
    {CodeRaison::EcritureDe, QT_TRANSLATE_NOOP("Moteur", "Écriture de %1")},
    {CodeRaison::MesureDesDistances, QT_TRANSLATE_NOOP("Moteur", "Mesure des distances")},
    {CodeRaison::RaffinageLocal, QT_TRANSLATE_NOOP("Moteur", "Ajustement : raffinage du niveau %1")},
    {CodeRaison::ReposSurLeNuage, QT_TRANSLATE_NOOP("Moteur", "Ajustement : surface posée sur le nuage")},
    {CodeRaison::DemelageDeLaSurface, QT_TRANSLATE_NOOP("Moteur", "Ajustement : surface démêlée là où elle se croisait")},
    {CodeRaison::LissageDuBruit, QT_TRANSLATE_NOOP("Moteur", "Ajustement : bruit du nuage lissé")},
    // The console tool
    {CodeRaison::ArgumentsRefuses, QT_TRANSLATE_NOOP("Moteur", "%1 (Pelvane.exe --help pour l'aide)")},
    {CodeRaison::ReelAttendu, QT_TRANSLATE_NOOP("Moteur", "%1 : nombre réel attendu, reçu \"%2\"")},
    {CodeRaison::HorsDeZeroACent, QT_TRANSLATE_NOOP("Moteur", "%1 : doit être entre 0 et 100, reçu \"%2\"")},
    {CodeRaison::EntierAttendu, QT_TRANSLATE_NOOP("Moteur", "%1 : nombre entier attendu, reçu \"%2\"")},
    {CodeRaison::EntierHorsBornes, QT_TRANSLATE_NOOP("Moteur", "%1 : doit être entre %2 et %3, reçu \"%4\"")},
    {CodeRaison::CheminVide, QT_TRANSLATE_NOOP("Moteur", "%1 : chemin vide")},
    {CodeRaison::NombreDArguments, QT_TRANSLATE_NOOP("Moteur", "10 arguments attendus (forme du lanceur), %1 reçus")},
    {CodeRaison::SauvegardeAutomatique,
     QT_TRANSLATE_NOOP("Moteur", "sauvegarde automatique : 1 ou 0 attendu, reçu \"%1\"")},
    {CodeRaison::ArgumentInattendu, QT_TRANSLATE_NOOP("Moteur", "argument inattendu \"%1\"")},
    {CodeRaison::AutosaveSansValeur, QT_TRANSLATE_NOOP("Moteur", "--autosave ne prend pas de valeur")},
    {CodeRaison::OptionInconnue, QT_TRANSLATE_NOOP("Moteur", "option inconnue \"%1\"")},
    {CodeRaison::ValeurManquante, QT_TRANSLATE_NOOP("Moteur", "%1 : valeur manquante")},
    {CodeRaison::MethodeInconnue,
     QT_TRANSLATE_NOOP("Moteur", "--method : \"ajustement\" ou \"cycles\" attendu, reçu \"%1\"")},
    {CodeRaison::ChoixInconnu, QT_TRANSLATE_NOOP("Moteur", "%1 : %2 attendu, reçu \"%3\"")},
    {CodeRaison::ToleranceNonPositive,
     QT_TRANSLATE_NOOP("Moteur", "--tolerance : un réel strictement positif est attendu")},
    {CodeRaison::CloudObligatoire, QT_TRANSLATE_NOOP("Moteur", "--cloud est obligatoire")},
    {CodeRaison::AucunArgument, QT_TRANSLATE_NOOP("Moteur", "aucun argument")},
    {CodeRaison::NuageSansPoint, QT_TRANSLATE_NOOP("Moteur", "le nuage \"%1\" ne contient aucun point")},
    {CodeRaison::NuageCoordonneeNonFinie,
     QT_TRANSLATE_NOOP("Moteur", "le nuage \"%1\" contient une coordonnée non finie")},
    {CodeRaison::NuagePointNonFini,
     QT_TRANSLATE_NOOP("Moteur", "le nuage \"%1\" contient une coordonnée non finie (point %2)")},
    {CodeRaison::NuageTousNonFinis,
     QT_TRANSLATE_NOOP("Moteur", "%1 : ses %2 points ont tous une coordonnée non finie (NaN ou infinie) : aucun point à ajuster")},
    {CodeRaison::NuageReduitAUnPoint, QT_TRANSLATE_NOOP("Moteur", "le nuage \"%1\" est réduit à un point")},
    {CodeRaison::NuageNommeTropPetit,
     QT_TRANSLATE_NOOP("Moteur", "le nuage \"%1\" n'a que %2 points : il faut au moins quatre points hors d'un même "
                                 "plan pour l'envelopper d'une surface fermée")},
    {CodeRaison::NuageNommeSurUneDroite,
     QT_TRANSLATE_NOOP("Moteur", "le nuage \"%1\" a ses %2 points sur une même droite : il faut au moins quatre points "
                                 "hors d'un même plan pour l'envelopper d'une surface fermée")},
    {CodeRaison::NuageNommeDansUnPlan,
     QT_TRANSLATE_NOOP("Moteur", "le nuage \"%1\" a ses %2 points dans un même plan : il faut au moins quatre points "
                                 "hors d'un même plan pour l'envelopper d'une surface fermée")},
    {CodeRaison::NuageAuDelaDuCompte,
     QT_TRANSLATE_NOOP("Moteur",
                       "le nuage \"%1\" annonce %2 points (ligne 2) mais en contient %3 de plus : corrigez le "
                       "nombre de points de la ligne 2")},
    {CodeRaison::ArreteParSignal,
     QT_TRANSLATE_NOOP("Moteur", "arrêté par le signal %1 : les fichiers de ce calcul sont supprimés")},
    {CodeRaison::ReferenceTriangulaire,
     QT_TRANSLATE_NOOP("Moteur", "le maillage de référence \"%1\" est un maillage triangulaire (%2 sommets, %3 faces), "
                                 "pas un maillage simplexe : il faut un fichier SMM")},
    {CodeRaison::DossierDeSortie, QT_TRANSLATE_NOOP("Moteur", "impossible de créer le dossier de sortie \"%1\"")},
    {CodeRaison::DossierDeSortieEcriture,
     QT_TRANSLATE_NOOP("Moteur", "impossible d'écrire dans le dossier de sortie \"%1\"")},
    {CodeRaison::SortieSurEntree,
     QT_TRANSLATE_NOOP("Moteur", "la sortie \"%1\" écraserait le fichier d'entrée \"%2\"")},
    {CodeRaison::SmmAttendu, QT_TRANSLATE_NOOP("Moteur", "un fichier .smm est attendu")},
    {CodeRaison::ReferenceIllisible,
     QT_TRANSLATE_NOOP("Moteur", "le maillage de référence \"%1\" n'est pas un fichier SMM lisible")},
    {CodeRaison::ReferenceNonFermee,
     QT_TRANSLATE_NOOP("Moteur", "le maillage de référence \"%1\" n'est pas un maillage simplexe fermé : %2")},
    {CodeRaison::EcritureImpossible, QT_TRANSLATE_NOOP("Moteur", "impossible d'écrire \"%1\"")},
    {CodeRaison::FormatDeSortieInconnu,
     QT_TRANSLATE_NOOP("Moteur", "--format : format inconnu « %1 » (valides : %2)")},
    {CodeRaison::FormatDeSortieVide, QT_TRANSLATE_NOOP("Moteur", "--format : aucun format donné (valides : %1)")},
    {CodeRaison::PrecisionSixChiffres,
     QT_TRANSLATE_NOOP("Moteur", "l'écriture à six chiffres significatifs (%1) déplace les sommets de %2 au plus, "
                                 "plus du dixième de l'écart moyen de l'ajustement (%3) : le PLY garde la double "
                                 "précision")},
    // The console tool's volume options
    {CodeRaison::NiveauEtBande, QT_TRANSLATE_NOOP("Moteur", "--level et --band : un seul niveau ou une seule bande")},
    {CodeRaison::OptionsDeVolumeSurNuage,
     QT_TRANSLATE_NOOP("Moteur", "--level, --band et --voxels valent pour un volume (.nii, .nii.gz, .hdr/.img) ; %1 n'en est pas un")},
    {CodeRaison::BandeDeuxValeurs, QT_TRANSLATE_NOOP("Moteur", "--band : deux valeurs attendues, BAS et HAUT")},
    {CodeRaison::BandeInversee, QT_TRANSLATE_NOOP("Moteur", "--band : BAS doit être au plus HAUT, reçu %1 et %2")},
    {CodeRaison::LabelsAttendus, QT_TRANSLATE_NOOP("Moteur", "--label : un ou plusieurs labels entiers attendus (N ou N,M,...), reçu « %1 »")},
    {CodeRaison::LabelsTous, QT_TRANSLATE_NOOP("Moteur", "--labels : « all » attendu, reçu « %1 »")},
    {CodeRaison::RegionEtLabels, QT_TRANSLATE_NOOP("Moteur", "--level, --band, --label et --labels : une seule région")},
    {CodeRaison::VolumeIndiceAttendu, QT_TRANSLATE_NOOP("Moteur", "--volume : un entier à partir de 1 attendu, reçu « %1 »")},
    {CodeRaison::LabelsSansVolume, QT_TRANSLATE_NOOP("Moteur", "--labels all : le nuage doit être un volume")},
    {CodeRaison::PasUneCarteDeLabels, QT_TRANSLATE_NOOP("Moteur", "--labels all : le volume %1 n'est pas une carte de labels (valeurs entières, de 3 à %2 valeurs distinctes, par régions d'une valeur)")},
    {CodeRaison::EcritureImpossibleCar, QT_TRANSLATE_NOOP("Moteur", "impossible d'écrire \"%1\" : %2")},
    {CodeRaison::EntreeDuLotIntrouvable, QT_TRANSLATE_NOOP("Moteur", "entrée introuvable : %1")},
    {CodeRaison::ListeDuLotIllisible, QT_TRANSLATE_NOOP("Moteur", "liste illisible : %1")},
    {CodeRaison::AucunNuageDansLeLot, QT_TRANSLATE_NOOP("Moteur", "aucun nuage (%1) dans %2")},
    {CodeRaison::PasUnDossierDeLot, QT_TRANSLATE_NOOP("Moteur", "%1 n'est pas le dossier de sortie d'un lot")},
    {CodeRaison::ResumeDuLotImpossible, QT_TRANSLATE_NOOP("Moteur", "impossible d'écrire le résumé dans %1")},
    {CodeRaison::UsageDuLot,
     QT_TRANSLATE_NOOP("Moteur", "usage : PelvaneLot.exe [--lang en|fr] [--english-csv] --nuages ENTREE SORTIE | --a-faire SORTIE | "
                                 "--complet NUAGE DOSSIER | --resume SORTIE | --version")},
    // The console tool's language and report
    {CodeRaison::LangueInconnue, QT_TRANSLATE_NOOP("Moteur", "--lang : « en » ou « fr » attendu, reçu « %1 »")},
    {CodeRaison::RapportInconnu, QT_TRANSLATE_NOOP("Moteur", "--report : « text » ou « json » attendu, reçu « %1 »")},
};

constexpr bool catalogueEnOrdre()
{
    for (std::size_t i = 0; i < sizeof catalogue / sizeof catalogue[0]; ++i)
        if (static_cast<std::size_t>(catalogue[i].code) != i)
            return false;
    return true;
}

static_assert(sizeof catalogue / sizeof catalogue[0] == nombreDeCodes, "one catalogue line per code");
static_assert(catalogueEnOrdre(), "the catalogue follows the order of CodeRaison");

} // namespace

const char *motifRaison(CodeRaison code)
{
    const auto i = static_cast<std::size_t>(code);
    return i < nombreDeCodes ? catalogue[i].motif : "";
}

std::string remplirMotif(const std::string &motif, const std::vector<std::string> &valeurs)
{
    std::string sortie;
    std::size_t i = 0;
    while (i < motif.size()) {
        std::size_t fin = i + 1;
        while (motif[i] == '%' && fin < motif.size() && motif[fin] >= '0' && motif[fin] <= '9')
            ++fin;
        const std::size_t n = fin > i + 1 ? std::stoul(motif.substr(i + 1, fin - i - 1)) : 0;
        if (n >= 1 && n <= valeurs.size())
            sortie += valeurs[n - 1];
        else
            sortie.append(motif, i, fin - i);
        i = fin;
    }
    return sortie;
}

std::string texte(const Raison &r)
{
    std::vector<std::string> valeurs;
    valeurs.reserve(r.arguments.size());
    for (const Argument &a : r.arguments)
        valeurs.push_back(a.genre == Argument::Genre::Raison && !a.sous.empty() ? texte(a.sous.front()) : a.texte);
    return remplirMotif(motifRaison(r.code), valeurs);
}

Raison phaseDe(const Raison &etape)
{
    switch (etape.code) {
    case CodeRaison::AjustementNiveau:
    case CodeRaison::RaffinageLocal:
    case CodeRaison::ReposSurLeNuage:
    case CodeRaison::DemelageDeLaSurface:
    case CodeRaison::LissageDuBruit:
        return Raison(CodeRaison::Ajustement);
    case CodeRaison::EclatementDesPoints:
    case CodeRaison::RecopieT26Global:
        return Raison(CodeRaison::RaffinageT26Global);
    case CodeRaison::Contexte:
        if (!etape.arguments.empty() && etape.arguments[0].genre == Argument::Genre::Raison)
            return phaseDe(etape.arguments[0].sous.front());
        return etape;
    default:
        return etape;
    }
}
