#ifndef TARNIS_MAILLAGE_H
#define TARNIS_MAILLAGE_H

#include <cstddef>
#include <memory>
#include <array>
#include <string>
#include <vector>

#include "Progression.h"
#include "Resultat.h"
#include "point3.h"

struct kd_tree;

/// A triangle: zero-based indices of its three vertices in listeSommets.
struct Face
{
    int s1 = 0;
    int s2 = 0;
    int s3 = 0;
};

/// An edge between vertices a1 and a2; face1 is the face in which it runs from a1 to a2,
/// face2 the one in which it runs from a2 to a1 (-1 when there is none).
struct Arete
{
    int a1 = 0;
    int a2 = 0;
    int face1 = -1;
    int face2 = -1;
};

/// A triangle mesh and, beside it, a point cloud with its kd-tree.
///
/// Copies (construction or assignment) copy the lists and share the centre of the points
/// of interest and the kd-tree: both are released with the last copy that uses them.
/// Readers return whether they read the file; writers return whether they wrote it.
/// Malformed input never throws: the readers print their message and keep what is valid.
class Maillage
{
public:
    Maillage();
    /// Copies both lists, computes box and centre silently, sets the counters to the sizes.
    Maillage(const std::vector<point3> &sommets, const std::vector<Face> &faces);
    Maillage(const Maillage &) = default;
    Maillage &operator=(const Maillage &) = default;
    virtual ~Maillage();

    /// Drawing belongs to MaillageGL: on a plain Maillage both throw std::runtime_error.
    virtual void afficher(int mode);
    virtual void afficherPtInteret(int mode);

    // --- triangle mesh -------------------------------------------------------------
    int getNbFaces() const;
    std::vector<Face> getListeFaces() const;
    /// Index of the first edge joining a and b (either order), -1 when none.
    int chercherArete(int a, int b) const;
    /// Box, mean of the vertices and the three console lines on standard output.
    void calculerBoiteEtCentre();

    /// OFF reader. False (with "Format incorrect") when unopenable or not an OFF file.
    /// Faces with an index outside the vertex list are dropped with a message.
    bool chargerOFF(const std::string &nomFichier);
    /// OBJ reader (v, vt, vn, f with a, a/b or a/b/c groups). False only when the file
    /// cannot be opened (an empty mesh is produced, as for an unreadable file).
    bool chargerOBJ(const std::string &nomFichier);
    /// The same readers and writers with their outcome (same console lines). A reading that
    /// kept what it could (short file, faces refused) returns Statut::MaillageIllisible with the
    /// counts and the line where it stopped; the mesh then holds what was read. The progression
    /// follows the bytes read, or the vertices and faces written: a reading stopped (Interrompu)
    /// leaves an empty mesh, a writing stopped leaves no file.
    Resultat lireOFF(const std::string &nomFichier, const Progression &progression = {});
    Resultat lireOBJ(const std::string &nomFichier, const Progression &progression = {});
    Resultat ecrireOFF(const std::string &nomFichier, const Progression &progression = {}) const;
    Resultat ecrireOBJ(const std::string &nomFichier, const Progression &progression = {}) const;
    /// STL reader, text or binary: a file of exactly 84 + 50 n bytes whose header counts n
    /// triangles is binary (even when it starts with "solid"), else it must be text starting
    /// with "solid". Vertices of equal coordinates are joined into one, so the mesh is closed
    /// when the object is; a triangle left with two corners joined is passed over (counted on
    /// standard output). Anything else (cut, a count the size belies, a coordinate that is not
    /// finite, a word out of place) is refused with the byte or line, leaving an empty mesh.
    Resultat lireSTL(const std::string &nomFichier, const Progression &progression = {});
    Resultat lireSTLDepuisMemoire(const char *octets, std::size_t taille, const std::string &nom = "(mémoire)");
    /// Binary STL (single precision; normals from the corners' order, zero for a triangle of
    /// no area). A vertex beyond single precision is refused.
    Resultat ecrireSTL(const std::string &nomFichier, const Progression &progression = {}) const;
    /// Binary little-endian PLY: `vertex` x y z as double (nothing lost), `face` as a list uchar
    /// int. Both writers refuse a face naming a vertex outside the list, and leave no file when
    /// they fail or are stopped.
    Resultat ecrirePLY(const std::string &nomFichier, const Progression &progression = {}) const;
    /// Same readers over text already in memory (no file involved).
    bool chargerOFFDepuisTexte(const char *texte, std::size_t taille);
    void chargerOBJDepuisTexte(const char *texte, std::size_t taille);
    /// Writers; false (nothing written) when the file cannot be created or written.
    bool exporterOFF(const std::string &nomFichier) const;
    bool exporterOBJ(const std::string &nomFichier) const;

    // --- point cloud ---------------------------------------------------------------
    /// Empties ListePointsInterets (and pointsAuDela); the kd-tree is left as it is.
    void viderPointsInterets();
    /// Reads a PTS file, appends its points, then rebuilds the shared kd-tree over exactly
    /// ListePointsInterets and updates the centre of the points of interest.
    bool lecture_pt_interet(const std::string &nomFichier);
    /// lecture_pt_interet with its outcome; the same console lines. The reason names the file
    /// and, for a short file, the counts announced and read and the line where reading stopped
    /// (Statut::NuageIllisible; the points read are kept, as lecture_pt_interet keeps them).
    /// A stop through the progression leaves the points as they were (Statut::Interrompu).
    Resultat lirePTS(const std::string &nomFichier, const Progression &progression = {});
    /// Same over PTS text already in memory.
    bool lecturePTSDepuisTexte(const char *texte, std::size_t taille);
    /// Midpoint of the single-precision bounding box of the points; unchanged when empty.
    void calculerCentrePointsInterets();
    /// Moves every point of interest by pas along 'x', 'y' or 'z'; other axes: no-op.
    void translaterPointsInterets(char axe, double pas);
    /// Empties the shared kd-tree (making one if kd is null) and bulk-builds it over
    /// ListePointsInterets. Echec, with a message on standard error, when memory runs out. The
    /// progression is asked before the build and told its end; a stop before it (Interrompu)
    /// leaves the tree empty. With sansArbre set, the tree is only emptied.
    Resultat construireKd(const Progression &progression = {});
    /// The cloud's user needs no kd-tree (a fit builds its own): the readers leave it empty,
    /// saving its time and memory.
    bool sansArbre = false;

    point3 centre;
    point3 boiteMin;
    point3 boiteMax;
    std::shared_ptr<point3> centrePointsInterets;
    /// Shared with every copy; use kd.get() where a kd_tree* is expected.
    std::shared_ptr<kd_tree> kd;
    std::vector<point3> listeSommets;
    std::vector<Face> listeFaces;
    std::vector<point3> ListePointsInterets;
    std::vector<Arete> listeAretes;
    int nbFaces;
    int nbSommets;
    int nbAretes;
    int nbPointsInterets;
    /// Points the last PTS file read holds beyond its count (counted, not read): the reader
    /// reads what the count announces, its callers say what is left.
    long long pointsAuDela = 0;
    /// Points of the last PCD file read passed over for a coordinate that is not finite.
    long long pointsNonFinis = 0;

private:
    void calculerBoite(bool avecMessages);
};

/// Writes points as PTS ("PTS", the count, one "x y z" line per point, six significant
/// digits). False, with "Impossible d'ouvrir le fichier !" on standard error, when the file
/// cannot be created; false as well when writing fails.
bool exporterPTS(const std::string &nomFichier, const std::vector<point3> &points);
/// exporterPTS with its outcome (Statut::SortieImpossible and the file's name on failure). The
/// progression follows the points written; a stop (Interrompu) leaves no file.
Resultat ecrirePTS(const std::string &nomFichier, const std::vector<point3> &points,
                   const Progression &progression = {});

/// Largest move of a coordinate of the points when written with six significant digits, as the
/// OFF, OBJ, PTS and SMM writers write them.
double ecartSixChiffres(const std::vector<point3> &points);

/// The triangles of a triangle mesh as index triples (the engine's geometry works on these).
std::vector<std::array<int, 3>> trianglesDe(const Maillage &m);

/// How a file writes its coordinates: six significant digits (OFF, OBJ, PTS, SMM), single
/// precision (binary STL), or every digit of a double (PLY).
enum class PrecisionEcrite { SixChiffres, Simple, Double };
/// The points as a file with that precision writes them, read back.
std::vector<point3> commeEcrits(const std::vector<point3> &points, PrecisionEcrite precision);

#endif
