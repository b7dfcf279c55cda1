#ifndef TARNIS_AJUSTEMENT_AJUSTEMENT_H
#define TARNIS_AJUSTEMENT_AJUSTEMENT_H

#include "ArbrePoints.h"
#include "Bruit.h"
#include "Defauts.h"
#include "Plis.h"
#include "Progression.h"
#include "Resultat.h"
#include "distance.h"
#include "point3.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Simplex;

/// Whether a judgement of the fit on the data is made: from the data itself (Auto), always
/// (Oui) or never (Non).
enum class Jugement { Auto, Oui, Non };

/// Settings of a fit, from the built-in defaults (Defauts.h). The first six have the meaning of
/// the automatic mode's settings; the others tune the fit itself and suit scans of any size and
/// unit.
struct ReglagesAjustement
{
    double interne = defauts::alpha;           ///< weight of the internal (smoothing) force; the default is the default schedule
    double externe = defauts::beta;            ///< weight of the data forces; the default is the default schedule
    double retenue = defauts::gamma;           ///< pull back towards the previous position (0 to 1)
    int rigidite = defauts::rigidite;          ///< rigidity: the smoothing grows with it (the default: the default schedule)
    long pointsMinimum = defauts::pointsMinimum; ///< whole-mesh refinements until the mesh has this many points
    int iterations = defauts::pasParCycle;     ///< steps of a level before the convergence test may end it

    /// Refinement where the fit is poor: points whose cloud points stay farther from the surface
    /// than this share of the cloud's bounding-box diagonal are split. The refinement ends once
    /// 95 % of the cloud lies within it of the surface and all of the cloud within twice it.
    double tolerance = defauts::tolerance;
    /// No local refinement beyond this many simplex points.
    long pointsMaximum = defauts::pointsMaximum;
    /// A level ends when a step moves the points by less than this share of their spacing on
    /// average, and none by more than a hundred times this share.
    double seuilConvergence = defauts::seuilConvergence;
    /// The run ends when a level improves the mean cloud-to-surface distance by less than this share.
    double gainMinimum = defauts::gainMinimum;
    /// Levels at most (whole-mesh and local refinements together).
    int niveauxMaximum = defauts::niveauxMaximum;
    /// Cloud points that pull on the surface at most (evenly chosen when the cloud is larger).
    std::size_t echantillonMaximum = defauts::echantillonMaximum;
    /// Margin of the placement: the mesh starts around the cloud scaled by this factor.
    double marge = defauts::marge;
    /// Threads (0: every core). The result does not depend on it.
    int fils = 0;
    /// Stray points set aside (pointsIsoles): Auto or Non (every point pulls; Oui is Auto).
    Jugement isoles = Jugement::Auto;
    /// The points that pull brought onto the middle of their layer: when found noisy
    /// (MesureBruit::bruite, Auto), always (Oui) or never (Non).
    Jugement bruit = Jugement::Auto;
};

/// What a fit did. Distances are in the cloud's units.
struct BilanAjustement
{
    int pointsInitiaux = 0;
    int pointsFinaux = 0;
    int niveaux = 0;                  ///< levels run (each one ends in a refinement but the last)
    int pas = 0;                      ///< steps run in all
    std::vector<int> pointsParNiveau; ///< simplex points during each level
    double diagonale = 0;             ///< of the cloud's bounding box
    bool converge = false;            ///< the run ended because the fit stopped improving
    /// Cloud points set aside (pointsIsoles: stray points away from the surface), indices into the
    /// cloud, increasing. They do not pull on the surface; the cloud itself is left whole. Lone
    /// points past the edge of a sheet (prolongentUnBord) are set aside during the levels, then
    /// drawn by the last settling, and are not counted here once it has run.
    std::vector<std::size_t> ecartes;
    /// How noisy the points that pull were found; when MesureBruit::bruite(), they were brought
    /// onto the middle of their layer (ramenerSurLesQuadriques) before the fit.
    MesureBruit bruit;
    /// They were (after the measure and ReglagesAjustement::bruit).
    bool lisse = false;
    /// The cloud the surface was fitted to (without the points set aside), in the fit's own frame
    /// `repere`, after a fit of one part: mesurerAjustement measures on it with no tree to build.
    std::shared_ptr<const ArbrePoints> nuageDeTravail;
    ArbrePoints::Repere repere;
    /// The last untangling of the written surface (demeler): the pairs crossing before and after,
    /// the points held short of the fit.
    BilanDemelage demelage;
};

/// Fits the closed simplex mesh s onto the cloud: places it around the cloud, then runs levels
/// from coarse to fine. Each step moves every point at once from the same state, pulled by its
/// nearest cloud point, by the cloud points nearer to it than to any other simplex point, and by
/// its neighbours; between levels the mesh is refined, as a whole (T26 at every point) until it
/// has pointsMinimum points, then where the cloud stays far from the surface (T26 at a point,
/// T22 at a crowded cell). The work is done in a frame of its own (the cloud centred, its
/// bounding-box diagonal 1) and mapped back; it is shared among `fils` threads and gives the same
/// result whatever their number. Points isolated from the surface the rest of the cloud describes
/// (pointsIsoles) are set aside: they pull on nothing (bilan->ecartes), but for lone points past
/// the edge of a sheet, which the surface reaches at the end. On success the cells face outward
/// and every point's geometry is up to date. `apresNiveau`, when set, is called after each level with the mesh in the cloud's
/// frame and the level's number (1, 2, ...). A cloud of several separate clusters
/// (partiesDuNuage) gets one closed part fitted to each (ajusterParParties; no apresNiveau).
///
/// Never throws. Failures: MaillageIllisible (not a closed simplex mesh, or one that cannot be
/// placed), NuageIllisible (what defautDuNuage names),
/// Echec (the mesh diverges: with weights too large). When the progression asks to stop, the
/// result is Interrompu and the mesh is the one of the last completed step, in the cloud's frame
/// with its cells facing outward.
Resultat ajuster(Simplex &s, const std::vector<point3> &nuage, const ReglagesAjustement &reglages = {},
                 const Progression &progression = {}, BilanAjustement *bilan = nullptr,
                 const std::function<void(const Simplex &, int)> &apresNiveau = {});

/// Points of a cloud farther than this share of its bounding-box diagonal from a line (a plane)
/// are off it: closer ones, within the rounding of the coordinates, are on it.
constexpr double TOLERANCE_NUAGE_PLAT = 1e-6;

/// Why no closed surface can be fitted to the cloud (none when one can): no point, a coordinate
/// not finite, all its points at one place, on one line (within TOLERANCE_NUAGE_PLAT), on one
/// plane, or fewer than four points.
std::optional<Raison> defautDuNuage(const std::vector<point3> &nuage);

/// Why the mesh is not a closed simplex mesh (none when it is).
std::optional<Raison> defautDuMaillage(const Simplex &s);

/// Places a closed simplex mesh around a cloud: the centre of the mesh's bounding box goes to the
/// centre of the cloud's, and the mesh is scaled axis by axis, about that centre, so that the
/// ball it contains around its centre becomes an ellipsoid shaped after the cloud's extents (none
/// thinner than a twentieth of the largest) that holds every cloud point, enlarged by marge.
/// Every point's geometry is recomputed. Returns none, or the reason it cannot (a mesh whose
/// centre lies on its surface). The mesh is enclosing when it is star-shaped about its centre.
std::optional<Raison> placerAutourDuNuage(Simplex &s, const std::vector<point3> &nuage, double marge);

/// Most points the figures sample on a surface: more add nothing a user would see, and cost time.
constexpr std::size_t ECHANTILLONS_SURFACE_MAX = 1000000;

/// Figures of a fit, in the cloud's units.
struct FiguresAjustement
{
    Statistiques nuageVersSurface; ///< each cloud point to the triangulated surface
    Statistiques surfaceVersNuage; ///< points spread evenly over the triangles to their nearest cloud point
    Statistiques pointsVersNuage;  ///< each simplex point to its nearest cloud point
    std::size_t echantillonsSurface = 0;
    /// Every point of the cloud to the surface, those the fit set aside included (the figures
    /// above are those of the points it drew on); the same as nuageVersSurface when none was.
    Statistiques nuageEntierVersSurface;
    std::size_t pointsEcartes = 0; ///< the points set aside among them
};

/// Measures how well the triangulation of s (s.maillageTriangule, as Triangularisation leaves it)
/// fits the cloud. The surface is sampled with about max(min(cloud size, ECHANTILLONS_SURFACE_MAX),
/// 100000) points spread evenly by area: each triangle gets a lattice of k * k sub-triangles, k growing with the
/// square root of its area, sampled at their centroids.
FiguresAjustement mesurerAjustement(const Simplex &s, const std::vector<point3> &nuage, int fils = 0);
/// The same, the progression asked before each of the three measures (phase MesureDesDistances);
/// a stop (Interrompu) leaves f as it was.
Resultat mesurerAjustement(const Simplex &s, const std::vector<point3> &nuage, FiguresAjustement &f,
                           const Progression &progression, int fils = 0);

/// The same on a cloud held by a tree in the frame `repere` (the figures in the cloud's units);
/// `ecartes`, when given, the points of the cloud set aside from the tree (in the cloud's
/// frame): they count in nuageEntierVersSurface only.
Resultat mesurerAjustement(const Simplex &s, const ArbrePoints &arbre, const ArbrePoints::Repere &repere,
                           FiguresAjustement &f, const Progression &progression, int fils = 0,
                           const std::vector<point3> *ecartes = nullptr);
/// The figures of the points a fit drew on: those of `nuage` it did not set aside, measured on the
/// tree the fit leaves in the bilan when it left one; nuageEntierVersSurface over them and those
/// set aside, taken from `nuage`, or from `ecartes` when given (the cloud may then be gone).
Resultat mesurerAjustement(const Simplex &s, const std::vector<point3> &nuage, const BilanAjustement &bilan,
                           FiguresAjustement &f, const Progression &progression, int fils = 0,
                           const std::vector<point3> *ecartes = nullptr);
/// The points of `nuage` a fit set aside (bilan.ecartes), in order.
std::vector<point3> pointsEcartes(const std::vector<point3> &nuage, const BilanAjustement &bilan);

/// The sample points mesurerAjustement takes on a triangle mesh, about `nombre` of them.
std::vector<point3> echantillonnerSurface(const std::vector<point3> &sommets,
                                          const std::vector<std::array<int, 3>> &faces, std::size_t nombre);

#endif
