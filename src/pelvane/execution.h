#ifndef TARNIS_PELVANE_EXECUTION_H
#define TARNIS_PELVANE_EXECUTION_H

#include "Ajustement.h"
#include "AjusterEtMesurer.h"
#include "Progression.h"
#include "arguments.h"
#include "distance.h"
#include "statut.h"
#include "SimplexAutomatique.h"

#include <functional>

#include <istream>
#include <ostream>
#include <string>
#include <vector>

class Maillage;
class Simplex;

namespace pelvane {

/// Fine settings of a run that the command line does not expose.
struct Reglages
{
    /// The final series runs at most this many times the steps of a cycle
    /// (at least finaleMinimum steps, unless the cycles have no step at all).
    int facteurFinale = 10;
    int finaleMinimum = 50;
    /// A step of the final series "no longer moves the mesh" when the mean move
    /// of the simplex points along their normals (the change of shape; sliding
    /// along the surface is left out) is below this share of the cloud's
    /// bounding-box diagonal.
    double seuilArret = 1e-5;
    /// Margin of the placement: the mesh encloses the cloud scaled by this factor.
    double marge = defauts::marge;
    /// Safety bound on the number of cycles.
    int cyclesMaximum = 200;
};

/// What a run did and measured. Distances are in the cloud's units; the
/// relative figures divide them by diagonale.
struct Bilan
{
    Resultat resultat;
    std::string nom; ///< the cloud's name without folder or extension
    std::string fichierSmm, fichierOff, fichierRapport; ///< "" for a format not asked
    /// Every mesh file asked (--format), in the order of formatsDeSortie.
    std::vector<std::string> fichiersMaillage;
    /// Largest move of a coordinate of the simplex points and the triangulation's vertices when
    /// written with six significant digits; warned of when a six-digit file is asked and it is
    /// more than a tenth of the mean cloud -> surface distance.
    double ecartSixChiffres = 0;
    bool avertissementPrecision = false;
    std::vector<std::string> sauvegardes; ///< meshes saved after each cycle

    std::size_t pointsNuage = 0;
    std::size_t pointsEcartes = 0; ///< cloud points set aside by the fit (isolated); not measured
    bool bruitLisse = false; ///< the points that pull were smoothed first (found noisy, or --noise on)
    double bruit[3] = {};    ///< the measure of its noise (MesureBruit: residu, rapport, milieu)
    double diagonale = 0;
    int pointsInitiaux = 0; ///< simplex points of the reference mesh
    int pointsFinaux = 0;
    int mailles = 0;
    int sommetsTriangulation = 0;
    int parties = 0; ///< parts of the triangulation
    int genre = 0;   ///< its genus, summed over the parts
    /// Pairs of its triangles that cross (the surface passes through itself), decided exactly on
    /// the coordinates as the files asked write them (the most over those files).
    std::size_t croisements = 0;
    double volumeEnclos = 0; ///< the volume the triangulation encloses, in the cloud's units cubed
    double aire = 0;         ///< its area, in the cloud's units squared
    int triangles = 0;
    int cycles = 0;
    std::vector<int> pointsParCycle; ///< simplex points after each cycle's refinement
    int pasFinaux = 0;               ///< steps run in the final series
    int pasFinauxPrevus = 0;         ///< its length when it does not end early
    bool arretAnticipe = false;      ///< the final series stopped because the mesh no longer moved
    double deplacementFinal = 0;     ///< mean move along the normals in the last step
    double duree = 0;                ///< seconds, from the start to the report
    double dureeLecture = 0;         ///< seconds spent reading the mesh and the cloud
    double dureeCycles = 0;          ///< placement and cycles
    double dureeFinale = 0;          ///< final series
    double dureeMesures = 0;         ///< triangulation and fit figures

    Statistiques nuageVersSurface;  ///< each cloud point the fit drew on to the triangulated surface
    Statistiques nuageEntierVersSurface; ///< every cloud point, those set aside included
    Statistiques maillageVersNuage; ///< each simplex point to its nearest cloud point
    Statistiques surfaceVersNuage;  ///< points spread evenly over the triangles to their nearest cloud point
    std::size_t echantillonsSurface = 0;

    bool volume = false;         ///< the cloud is the boundary of a volume's region
    BilanFrontiere frontiere;    ///< its level or band, frame and sizes
};

/// Progress lines of a run at most (the level and cycle lines aside).
constexpr int LIGNES_DE_PROGRESSION = 500;
/// The point counts asked (--min-points, --max-points) are bounded by this many times the
/// cloud's size (and never below the default maximum).
constexpr std::size_t POINTS_PAR_POINT_DU_NUAGE = 10;

/// Asks the run under way to stop, from a signal handler (async-signal-safe: it only sets a
/// flag): the run stops at its next check, removes what it wrote, temporary files included, and
/// ends with Statut::Interrompu naming the signal.
void demanderArret(int signal);
/// Whether a stop was asked.
bool arretDemande();

/// Runs the whole job: reads the reference mesh and the cloud, places the mesh
/// around the cloud, runs the refine-and-deform cycles and the final series,
/// writes NOM.smm, NOM.off and NOM.rapport.txt into the output folder (created
/// when missing) and, with automatic save, NOM.cycleK.smm after cycle K.
/// Progress lines go to progression. Never throws and never exits: failures
/// come back in Bilan::resultat, and no output file of a failed run is left.
Bilan ajuster(const Parametres &parametres, std::ostream &progression, const Reglages &reglages = Reglages());

// The pieces of a run that the Python module takes as well, so that both give the same figures.

/// Reads the cloud into m (points and kd-tree) through the engine's opener, with the thresholds
/// of a new document for a volume. A cloud that is short, cut or corrupt is refused
/// (NuageIllisible), with the engine's reason naming the file and the line: a batch must not
/// take a part of a cloud for the whole. Points beyond the announced count, no point or a
/// coordinate not finite are refused as well.
Resultat lireNuage(const std::string &chemin, Maillage &m, const Progression &progression);
/// Reads the reference simplex mesh (SMM): MaillageIllisible when it is no readable closed
/// simplex mesh.
Resultat lireReference(const std::string &chemin, Simplex &s);
/// The most simplex points asked of a cloud of this size (--min-points and --max-points are
/// bounded by it): POINTS_PAR_POINT_DU_NUAGE times its size, never below the default maximum.
long plafondDesPoints(std::size_t pointsNuage);
/// The engine's fit settings of a run.
ReglagesAjustement reglagesDuFit(const Parametres &parametres, const Reglages &reglages = Reglages());
/// The figures of a run's surface, from the engine's measure of it.
void prendreMesureSurface(Bilan &bilan, const MesureSurface &m);
/// The figures of a fit (`ajusterEtMesurer`); those of its surface when it was measured.
void prendreMesureAjustement(Bilan &bilan, const MesureAjustement &m, bool mesuree);

/// The automatic mode's cycles (--method cycles) on a mesh placed around the cloud whose kd-tree
/// is kd: rounds of ITERATIONS steps and one refinement, T26 global and T22 by surfaces in turn,
/// until the mesh has POINTS_MIN points, then a final series that ends once the shape no longer
/// changes (Reglages). The cycles' figures go into bilan (its diagonale set before), the mode's own
/// into b; apresTour hears each cycle once refined. The console tool and the Python module run this.
Resultat cyclesAutomatiques(Simplex &simplex, kd_tree *kd, const Parametres &parametres, const Reglages &reglages,
                            Bilan &bilan, const Progression &progression,
                            const std::function<void(Simplex &, const TourAutomatique &)> &apresTour,
                            BilanAutomatique &b);

/// The name of a cloud's outputs: its file name without folder and extension ("nuage" when that
/// leaves nothing).
std::string nomDuNuage(const std::string &chemin);

/// A share of the cloud set aside beyond which the run warns.
constexpr double PART_ECARTEE_SIGNALEE = 0.01;

/// The warnings on what the fit decided on its own about the data: more than
/// PART_ECARTEE_SIGNALEE of the cloud set aside as strays, the cloud smoothed as noisy. Each a
/// plain sentence naming the count and what to do; none when neither.
std::vector<std::string> avertissementsDesJugements(const Bilan &bilan, bool anglais = false);

/// The report text of a run (what NOM.rapport.txt holds).
std::string texteRapport(const Parametres &parametres, const Bilan &bilan);

/// The report as JSON (what NOM.rapport.json holds): stable English keys, each measure with its
/// unit, every digit of the doubles; on failure the status and the reason (its code, the codes
/// it holds, its English and French texts) after the parameters.
std::string texteRapportJson(const Parametres &parametres, const Bilan &bilan);
/// A text as a JSON string, between its quotes.
std::string chaineJson(const std::string &texte);
/// Where --report json writes it: NOM.rapport.json in the output folder.
std::string fichierRapportJson(const Parametres &parametres);

/// The figures of a report that a batch summary shows, as the report writes them ("" for a
/// figure the report lacks).
struct FiguresRapport
{
    std::string pointsNuage, pointsSimplexes, pointsEcartes, parties, genre, croisements, volume, aire;
    /// Every cloud point -> surface (the set-aside ones included): mean, 95th percentile, maximum.
    std::string ecartsEntiers[3];
    /// The run's warnings on the fit's judgements (avertissementsDesJugements), joined; and the same
    /// in English, made again by that rule from the report's figures.
    std::string avertissement, avertissementAnglais;
    /// [0]: cloud -> surface, [1]: surface -> cloud; mean, 95th percentile, maximum, in % of the diagonal.
    std::string ecarts[2][3];
};

/// Reads those figures back from a report's text ("clé = valeur" lines; the last one of a key wins).
FiguresRapport lireFiguresRapport(std::istream &rapport);

} // namespace pelvane

#endif
