#ifndef TARNIS_SIMPLEX_H
#define TARNIS_SIMPLEX_H

#include <array>
#include <string>
#include <vector>

#include "Maillage.h"
#include "Progression.h"
#include "point3.h"
#include "vector3.h"

struct kd_tree;
/// Defined in Resultat.h, which the callers of the Resultat-returning operations include.
struct Resultat;
/// The region a deformation must stay in (Divergence.h).
class RegionDeformation;

/// v rounded to single precision. The value goes through a volatile float so that the optimiser
/// cannot fold the narrowing away: GCC 12's vectoriser drops a double -> float -> double round
/// trip done on two neighbouring coordinates at once.
inline float arrondiFloat(double v)
{
    volatile float f = static_cast<float>(v);
    return f;
}

/// How the refinement and conversion operations look points, cells and edges up. Both give the
/// same answers; the scans are the reference the index maps are checked and measured against.
enum class Recherche {
    Indexee, ///< index maps built once per operation and kept up to date (near-linear cost)
    Lineaire ///< scans of the lists
};

/// One simplex point: a position, three ordered neighbours and the geometry computed from them.
/// Always made on the heap and referenced by pointer from the lists of a Simplex.
/// The order of the neighbours is part of the data: the normal is (V2 - V1) x (V3 - V1).
class PointSimplex
{
public:
    /// Position (0, 0, 0), null neighbours, every other field zero.
    PointSimplex();
    /// Position and neighbours from the arguments, every other field zero.
    PointSimplex(const point3 &position, PointSimplex *voisin1, PointSimplex *voisin2, PointSimplex *voisin3);
    /// Copies the position and the three neighbour pointers only; the computed fields of the
    /// copy are zero. Copies are scratch values for computations over a point and its neighbours.
    PointSimplex(const PointSimplex &autre);
    PointSimplex &operator=(const PointSimplex &) = default;

    /// True when a neighbour pointer differs, or else when the positions differ.
    bool operator!=(const PointSimplex &autre) const;
    bool operator==(const PointSimplex &autre) const { return !(*this != autre); }

    /// True when the three neighbour pointers are set.
    bool aSesVoisins() const { return Voisin1 && Voisin2 && Voisin3; }

    point3 Position;
    PointSimplex *Voisin1;
    PointSimplex *Voisin2;
    PointSimplex *Voisin3;
    vector3 Ni;
    point3 CentreCercle;
    float Rayon;
    float SinPhi;
    float CosPhi;
    float Phi;
    float DistanceCentre;
    double Epsilon1;
    double Epsilon2;
    double Epsilon3;
};

/// A cell: a closed cycle of simplex points (consecutive entries, and the last with the first,
/// are neighbours). Made on the heap and referenced by pointer.
using Maille = std::vector<PointSimplex *>;

/// A closed simplex mesh (every point has exactly three neighbours) with the companion lists the
/// deformation uses. Entry i of ListePointsPrecedents and ListePointsSuivants belongs to point i
/// of ListePointsSimplex; cell c of ListeMaillesSuivantes is cell c of ListeMailles over
/// ListePointsSuivants. Lists are read with bounds checks (std::out_of_range on a bad index).
///
/// The records and cells are owned by the mesh: each one still referenced from a list is released
/// once when the mesh goes, and the operations that drop records from the lists (reinitialiser,
/// charger) release those no list refers to any more.
///
/// The long operations come in two forms: one that returns a Resultat (the status and a reason
/// naming the file, line, index or value at fault) and takes a Progression that may stop it, and
/// the older form (charger, exporter, RaffinageT26..., triangleToSimplex, Triangularisation) that
/// calls it and gives the old return value. Both print the same console lines.
class Simplex
{
public:
    Simplex();
    /// Copying is refused: both throw std::runtime_error.
    Simplex(const Simplex &autre);
    Simplex &operator=(const Simplex &autre);
    virtual ~Simplex();

    /// Drawing belongs to SimplexGL: on a plain Simplex the three throw std::runtime_error.
    virtual void afficher(int modeAffichage);
    virtual void afficherPi(std::vector<point3> ListePI, int pt);
    virtual void afficherCone(int pt);

    // --- data model, whole-mesh moves --------------------------------------------------------
    /// Empties the lists, makes the three point lists share ListePointsInitiaux, resets Centre to
    /// (0, 0, 0) and the vision cone to 2000 / 45 degrees.
    void reinitialiser();
    /// Number of simplex points (size of ListePointsSimplex).
    int getNbPointsSimplex() const { return static_cast<int>(ListePointsSimplex.size()); }
    /// Stores the vision cone: angle in degrees, radius in the cloud's units.
    void setConeDeVision(double angle, double rayon)
    {
        AngleCone = angle;
        RayonCone = rayon;
    }
    /// Centre of the single-precision bounding box of the points into *Centre.
    /// An empty mesh leaves Centre as it is.
    void calculerCentre();
    /// Translates every point so that the bounding-box centre lands on cible. Empty mesh: no-op.
    void centrer(point3 cible);
    /// Scales about the mean point by coef (three-phase move, geometry updated at level 1).
    bool dilatation(double coef);
    /// Moves every point by pas along 'x', 'y' or 'z'; false and no change for any other axis.
    bool deplacer(char axe, double pas);
    /// Replaces the mesh by the one given as index lists: point i at positions[i] with neighbours
    /// voisins[i] (in order), each cell a cycle of point indices. Every list gets its records
    /// (initial, current, next and previous points; cells and companion cells), the records no
    /// list refers to any more are released and every point's geometry is computed.
    /// ArgumentsIncorrects, the mesh untouched, when the sizes differ or an index is out of range.
    Resultat construire(const std::vector<point3> &positions, const std::vector<std::array<int, 3>> &voisins,
                        const std::vector<std::vector<int>> &mailles);

    // --- geometry of one point ------------------------------------------------------------------
    /// Unit normal from the three neighbours, stored in p.Ni (zero for a degenerate triangle).
    vector3 calculeNormaleNi(PointSimplex &p);
    /// Projection of p onto the plane through Voisin1 with normal p.Ni.
    point3 projection(const PointSimplex &p);
    /// Half the area of ABC, negative when ABC turns negatively around n.
    float aireSignee(point3 A, point3 B, point3 C, vector3 n);
    /// Barycentric coordinates of the projection in the neighbours' triangle (Epsilon1..3).
    void calculEpsilon(PointSimplex &p);
    /// Sine and cosine of the angle at B between BA and BC.
    float sinusAngle(point3 A, point3 B, point3 C);
    float cosinusAngle(point3 A, point3 B, point3 C);
    point3 centreCercleCirconscrit(point3 A, point3 B, point3 C);
    /// Distance from p.CentreCercle to Voisin1 (the two other distances are only checked).
    float rayonCercleCirconscrit(const PointSimplex &p);
    /// Height over the neighbours' plane given by radius r, centre distance d and angle phi;
    /// 0 (with a message) when the root is negative.
    float CalculParametre_L(float r, float d, float phi);
    /// Stores DistanceCentre and Phi. Returns the check flag: 1 when the height is given back by
    /// the positive root, -1 by the negative one (Phi moved by a half-turn), 0 by neither.
    int calculAngleSimplexe(PointSimplex &p);
    /// Recomputes point i: niveau 0 everything, 1 keeps the normal, 2 keeps normal and radius.
    void majParametres(int i, int niveau);
    /// Recomputes every point of the mesh.
    void initialiserParametres();

    // --- deformation ----------------------------------------------------------------------------
    /// Threads of a deformation step and of the geometry update after it (0: one per core). The
    /// result does not depend on it.
    int fils = 0;
    /// One step: every point moves once under the internal, external and (when avecRetention is
    /// not 0) retention forces, all computed before any point moves. An empty or null kd-tree
    /// gives no target: the step then applies no external force.
    void deformer(kd_tree *kd, int avecRetention, float alpha, float beta, float gamma, int rigid, bool cone);
    /// n steps of deformer with the same parameters. The progression is asked before each step:
    /// a stop leaves the steps done so far (each one leaves a whole mesh). Echec, after the step
    /// that made it, when the mesh diverges (RegionDeformation: around the kd-tree's points and
    /// the mesh as it starts); ArgumentsIncorrects for n < 0.
    Resultat deformerPas(int n, kd_tree *kd, int avecRetention, float alpha, float beta, float gamma, int rigid,
                         bool cone, const Progression &progression = {});
    /// The region of a deformation of this mesh, as it is now, towards the points of kd (the
    /// cloud's box is the tree's; without points, only positions that are not finite diverge).
    RegionDeformation regionDeformation(const kd_tree *kd) const;
    /// Every point is in the region (no divergence).
    bool dansLaRegion(const RegionDeformation &region) const;
    /// Pull towards the neighbours' centroid raised to the height that the target angle (halfway
    /// between the point's angle and its neighbourhood's) gives; zero for a point lacking a
    /// neighbour.
    vector3 forceInterne(const PointSimplex &p, int rigid);
    /// Component along p.Ni of the vector from p to the target T.
    vector3 forceExterne(const PointSimplex &p, point3 T);
    /// Nearest cloud point inside the vision cone around `direction` whose half-angle is twice
    /// `angle` (degrees) taken in radians, within `rayon` behind P; P itself when no point
    /// qualifies or the tree is empty or null.
    point3 plusProcheDansCone(kd_tree *kd, point3 P, double rayon, vector3 direction, double angle);
    /// Mean simplex angle of the neighbourhood of p down to profondeur levels, accumulated into
    /// moyenne, equal to the walk over every path from p: exactly (single precision) up to two
    /// levels, within single-precision rounding beyond. Cost grows linearly with profondeur.
    void angleMoyen(PointSimplex p, int profondeur, float &moyenne);

    // --- files ----------------------------------------------------------------------------------
    /// Reads an SMM file into the mesh, or an OFF / OBJ file into maillageOrigine. 1 when read,
    /// 0 otherwise; a refused SMM file leaves the mesh as it was.
    /// 1 also for a file handed to the OFF / OBJ readers that they could not open.
    int charger(const std::string &nomFichier);
    /// The same, with the reason: MaillageIllisible names the file and, for a refused SMM file,
    /// the line at fault. The progression follows the reading of the points and cells; a stop
    /// (Interrompu) comes before anything is changed, so the mesh stays as it was.
    Resultat lire(const std::string &nomFichier, const Progression &progression = {});
    /// Why the last charger or lire failed, as the console prints it; empty after a success.
    const std::string &getRaisonChargement() const { return raisonChargement; }
    /// Writes the mesh: format 1 SM, 2 SMM, anything else nothing (an empty file).
    /// False when the file could not be created or written, or the format is unknown.
    bool exporter(const std::string &nomFichier, int format);
    /// The same, with the reason: SortieImpossible when the file cannot be created or written,
    /// ArgumentsIncorrects for an unknown format.
    Resultat ecrire(const std::string &nomFichier, int format);

    // --- lookups and cell orientation -----------------------------------------------------------
    /// Reverses the cell when its orientation disagrees with the normal of its first point.
    void orienterMaille(Maille &maille);
    /// Position of the pointer p in the cell, -1 when absent.
    int indiceDansMaille(const PointSimplex *p, const Maille &maille);
    /// Index of the first record of ListePointsSimplex equal to *p (same neighbours and position),
    /// -1 when none.
    int indicePoint(const PointSimplex *p);
    /// The same over ListePointsSuivants.
    int indicePointSuivant(const PointSimplex *p);

    // --- refinement -----------------------------------------------------------------------------
    // Each pass reports the first fault it met (ArgumentsIncorrects for an index out of range,
    // Echec for a point or cell that cannot be refined, naming it) and, as before, goes on with
    // the other points or cells. A pass stopped through the progression ends with Interrompu
    // between two points or cells: the mesh is then a whole closed mesh (three distinct
    // symmetric neighbours per point, cells are cycles, companion lists aligned) in which the
    // points or cells done so far are refined and the others are not.
    void RaffinageT26(unsigned int indice);
    void RaffinageT26Angles();
    void RaffinageT26Global();
    void RaffinageT22(unsigned int indice);
    void RaffinageT22PointsParMaille();
    void RaffinageT22Surfaces();
    /// T26 split of point `indice` of the mesh and its companion.
    Resultat raffinerT26(unsigned int indice);
    /// Splits the points whose simplex angle is at least the mean over the cells.
    Resultat raffinerT26Angles(const Progression &progression = {});
    /// Splits every point: the companion mesh first, point by point (stoppable), then the mesh
    /// becomes its copy. A stop during the splits still makes the copy, so the mesh holds the
    /// points split so far. Echec, nothing changed, when the companion lists are shorter.
    Resultat raffinerT26Global(const Progression &progression = {});
    /// T22 cut of cell `indice` of the mesh and its companion. A cut that cannot be made (no cell
    /// across a cut edge, or its points in another order) is refused with the mesh unchanged.
    Resultat raffinerT22(unsigned int indice);
    /// Cuts the cells that have more points than the mean.
    Resultat raffinerT22PointsParMaille(const Progression &progression = {});
    /// Cuts the cells whose area is above the mean.
    Resultat raffinerT22Surfaces(const Progression &progression = {});

    // --- conversions ----------------------------------------------------------------------------
    /// Builds the edge table of a triangle mesh (a1, a2, face1, face2).
    void construireAretes(Maillage &maillage);
    /// The three faces of maillageOrigine across the edges (s1,s2), (s2,s3), (s3,s1) of face i.
    std::array<int, 3> voisinsFace(int i);
    /// Replaces the mesh by the dual of maillageOrigine. False, with a message and the mesh left
    /// as it was, when the triangle mesh cannot be converted (open, isolated vertices, no face).
    bool triangleToSimplex();
    /// The same, with the reason (Echec naming the face, edge or vertex at fault). The mesh is
    /// built aside from index lists: a stop (Interrompu) leaves the mesh as it was.
    Resultat convertirTriangles(const Progression &progression = {});
    /// Fans every cell around its centre into maillageTriangule.
    void Triangularisation();
    /// The same, with the reason: Echec, maillageTriangule untouched, when a cell holds a point
    /// that is not in ListePointsSimplex. A stop leaves maillageTriangule as it was.
    Resultat trianguler(const Progression &progression = {});

    Maillage maillageOrigine;
    Maillage maillageTriangule;
    std::vector<PointSimplex *> ListePointsSimplex;
    std::vector<PointSimplex *> ListePointsPrecedents;
    std::vector<PointSimplex *> ListePointsSuivants;
    std::vector<PointSimplex *> ListePointsInitiaux;
    std::vector<Maille *> ListeMailles;
    std::vector<Maille *> ListeMaillesSuivantes;
    point3 *Centre;
    int Avancement;
    double RayonCone;
    double AngleCone;
    /// How the refinements and conversions of this mesh look things up.
    Recherche recherche = Recherche::Indexee;

protected:
    /// Releases the records and cells of the given lists that no list of the mesh refers to.
    void libererOrphelins(const std::vector<PointSimplex *> &points, const std::vector<Maille *> &mailles);
    /// The three-phase tail of a whole-mesh move: previous <- current <- next, then majParametres.
    void appliquerSuivants(int niveau);
    /// Internal force of p once the neighbourhood mean angle is known.
    vector3 forceInterneDepuisMoyenne(const PointSimplex &p, float moyenne);
    /// Index in ListePointsSimplex of each point's three neighbours (-1 when null or not in the
    /// list); rebuilt by the deformation whenever it no longer matches the lists.
    std::vector<std::array<int, 3>> cacheVoisins;
    std::string raisonChargement;
    /// lire, and whether the file went to the OFF / OBJ readers.
    Resultat lireFichier(const std::string &nomFichier, const Progression &progression, bool &versTriangles);
    /// Checks cacheVoisins against the lists, rebuilds it when needed; false when some
    /// neighbour is null or outside ListePointsSimplex.
    bool actualiserCacheVoisins();
};

#endif
