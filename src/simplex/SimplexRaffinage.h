#ifndef TARNIS_SIMPLEX_RAFFINAGE_H
#define TARNIS_SIMPLEX_RAFFINAGE_H

// Lookups shared by the refinement and conversion operations of Simplex.
//
// The operations are written once; the point and cell lookups they make inside their loops go
// either through the index maps below or through the plain scans of the lists that the maps
// replace, as the mesh's `recherche` says.

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Resultat.h"
#include "Simplex.h"

namespace raffinage {

using ::Recherche;

/// A sorted set of indices, held in place up to four (the common case: one record per content,
/// three or four cells per point), on the heap beyond.
class Indices
{
public:
    std::size_t taille() const { return deborde.empty() ? n : deborde.size(); }
    bool vide() const { return taille() == 0; }
    int operator[](std::size_t k) const { return deborde.empty() ? t[k] : deborde[k]; }
    /// Adds i unless present.
    void inserer(int i);
    /// Removes i when present.
    void enlever(int i);

private:
    std::size_t n = 0;
    int t[4] = {0, 0, 0, 0};
    std::vector<int> deborde;
};

/// First index of a point list whose record compares equal (PointSimplex ==: same three neighbour
/// pointers, same position) to a given record: the answer of a scan of the list, in constant
/// expected time. A record whose position or neighbours are about to change must be taken out
/// (retirer) before the change and put back (remettre) after it.
class IndexContenu
{
public:
    explicit IndexContenu(const std::vector<PointSimplex *> &liste);

    /// -1 when no record of the list equals *p (always for a position that is not a number).
    int premier(const PointSimplex *p) const;
    /// Record p was appended at index `indice` (its content already set).
    void ajouter(const PointSimplex *p, int indice);
    void retirer(const PointSimplex *p);
    void remettre(const PointSimplex *p);

private:
    struct Cle
    {
        double x, y, z;
        const PointSimplex *v1, *v2, *v3;
        bool operator==(const Cle &c) const
        {
            return x == c.x && y == c.y && z == c.z && v1 == c.v1 && v2 == c.v2 && v3 == c.v3;
        }
    };
    struct HachageCle
    {
        std::size_t operator()(const Cle &c) const;
    };
    static bool indexable(const PointSimplex *p);
    static Cle cle(const PointSimplex *p);
    void inserer(const PointSimplex *p, int indice);
    void enlever(const PointSimplex *p, int indice);

    std::unordered_map<Cle, Indices, HachageCle> parContenu;
    std::unordered_map<const PointSimplex *, Indices> parPointeur;
};

/// The cells of a cell list (its first `limite` cells) that hold each point, by increasing index.
class IndexMailles
{
public:
    IndexMailles(const std::vector<Maille *> &mailles, std::size_t limite);

    /// Cells holding p (empty when none).
    const Indices &mailles(const PointSimplex *p) const;
    /// Brings the entries of cell `indice` up to date with its content `maille`, for the points
    /// of `concernes` only (the points that may have entered or left it).
    void actualiser(const Maille &maille, int indice, const std::vector<PointSimplex *> &concernes);
    /// A cell appended at `indice`.
    void ajouterMaille(const Maille &maille, int indice);

private:
    std::unordered_map<const PointSimplex *, Indices> parPoint;
    Indices vide;
};

/// Optional maps kept up to date across a sequence of refinements (null: scans).
struct Index
{
    IndexContenu *points = nullptr;           ///< over ListePointsSimplex
    IndexMailles *mailles = nullptr;          ///< over ListeMailles
    IndexMailles *maillesSuivantes = nullptr; ///< over ListeMaillesSuivantes
};

/// Index of the first record of `liste` equal to *p, by scan.
int indiceParParcours(const std::vector<PointSimplex *> &liste, const PointSimplex *p);
/// In q, the first of Voisin1, Voisin2, Voisin3 that points to `ancien` now points to `nouveau`.
void remplacerVoisin(PointSimplex *q, const PointSimplex *ancien, PointSimplex *nouveau);

/// One T26 split at point i of the mesh and of the companion mesh. Prints its console lines and
/// returns the fault it met, if any.
Resultat t26(Simplex &s, unsigned int i, const Index &index);
/// One T22 cut of cell c of the mesh and of the companion mesh; the same.
Resultat t22(Simplex &s, unsigned int c, const Index &index);

/// The maps of a pass over the mesh, built when its search is indexed (none when scanning).
struct IndexPasse
{
    explicit IndexPasse(Simplex &s);
    Index index() const { return Index{points.get(), mailles.get(), suivantes.get()}; }

    std::unique_ptr<IndexContenu> points;
    std::unique_ptr<IndexMailles> mailles, suivantes;
};

/// The first fault of a pass: keeps r when nothing failed before.
inline void retenir(Resultat &premier, const Resultat &r)
{
    if (premier.reussi() && !r.reussi())
        premier = r;
}

/// Outcome of the edit of one cell around a split point.
enum class EditionMaille { Faite, NonConsecutifs, UnSeulVoisin, AucunVoisin, OrdreIncoherent };
/// Edits a cell holding P at position iP for the split of P into P, A, B (neighbours N1, N2, N3).
EditionMaille modifierMaille(Simplex &s, Maille &maille, PointSimplex *P, PointSimplex *N1, PointSimplex *N2,
                             PointSimplex *N3, PointSimplex *A, PointSimplex *B);
/// The reason of a failed edit; `operation` names the refinement in the text.
Raison raisonEdition(EditionMaille e, const char *operation);

} // namespace raffinage

#endif
