#ifndef TARNIS_KDINTERNE_H
#define TARNIS_KDINTERNE_H

// Private parts of the kd-tree module, shared by kdtree.cpp and kdbloc.cpp.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kdtree.h"

/// One entry of a result set: where the point's coordinates live, and its user pointer.
struct kd_entree
{
    const double *position;
    void *data;
};

struct kd_result
{
    const kd_tree *tree = nullptr;
    /// Entries in the order they were found; the set lists them in reverse.
    std::vector<kd_entree> trouves;
    /// Storage for a set of one entry, so a nearest query allocates nothing else.
    kd_entree seul{nullptr, nullptr};
    const kd_entree *tableau = nullptr;
    int taille = 0;
    int curseur = 0; ///< position in the listed order, taille when past the end
};

/// Node of a balanced block. Inner nodes: the left child follows the node, the right
/// child is at index droit; every left point has coordinate <= maxGauche on axe, every
/// right point >= minDroite. Leaves (axe < 0): points [debut, fin) of the block.
struct kd_bnoeud
{
    double maxGauche;
    double minDroite;
    int32_t axe;
    uint32_t droit;
    uint32_t debut;
    uint32_t fin;
};

struct kd_bloc
{
    int k = 0;
    size_t n = 0;
    std::vector<double> positions; ///< n * k coordinates, in leaf order
    std::vector<void *> donnees;   ///< n user pointers, same order
    std::vector<kd_bnoeud> noeuds; ///< root first
    std::vector<double> minimum, maximum; ///< box of the block's points
};

/// Most points a leaf of a block holds.
constexpr uint32_t KD_TAILLE_FEUILLE = 8;

/// Builds a block over n points of k coordinates (data may be null). Throws
/// std::bad_alloc when memory runs out; n must be at least 1 and below 2^32.
kd_bloc *kd_bloc_construire(int k, const double *positions, size_t n, void *const *data);

/// Nearest block point to q when strictly nearer than *meilleure (a squared distance):
/// updates *meilleure and *trouve. Returns true when it did.
bool kd_bloc_plus_proche(const kd_bloc &b, const double *q, double *meilleure, kd_entree *trouve);

/// Appends every block point whose squared distance to q is <= rayon2.
void kd_bloc_dans_rayon(const kd_bloc &b, const double *q, double rayon2, std::vector<kd_entree> &sortie);

#endif
