#ifndef TARNIS_KDINTERNE_H
#define TARNIS_KDINTERNE_H

// Private parts of the kd-tree module, shared by kdtree.cpp and kdbloc.cpp.

#include <cstddef>
#include <cstdint>
#include <utility>
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

/// A balanced block. Node i is the record of mots 32-bit words at noeuds[i * mots]:
/// the index of its right child (0 for a leaf; the left child follows the node), the
/// range [debut, fin) of its points, one spare word, then the boxes of its two children
/// as 32-bit floats rounded outwards (left minima, left maxima, right minima, right
/// maxima: k each). A record of dimension 3 is one 64-byte cache line.
/// One word of a node record: an index or a box coordinate.
union kd_mot
{
    uint32_t u;
    float f;
};

/// Allocator of the block's large arrays: those of 2 MB or more are asked for on large pages,
/// which the searches, wandering through tens of megabytes, miss far less often in the address
/// translation caches. Elsewhere (or when the system declines) plain pages, as usual.
template <class T> struct kd_grandes_pages
{
    using value_type = T;
    kd_grandes_pages() = default;
    template <class U> kd_grandes_pages(const kd_grandes_pages<U> &) {}
    T *allocate(size_t n);
    void deallocate(T *p, size_t n);
    template <class U> bool operator==(const kd_grandes_pages<U> &) const { return true; }
    template <class U> bool operator!=(const kd_grandes_pages<U> &) const { return false; }
};

/// Raw storage for the allocator above (kdbloc.cpp).
void *kd_allouer(size_t octets);
void kd_liberer(void *p, size_t octets);

template <class T> T *kd_grandes_pages<T>::allocate(size_t n)
{
    return static_cast<T *>(kd_allouer(n * sizeof(T)));
}
template <class T> void kd_grandes_pages<T>::deallocate(T *p, size_t n)
{
    kd_liberer(p, n * sizeof(T));
}

/// The working list of a build: on large pages, its elements left uninitialised until written.
template <class T> struct kd_liste : kd_grandes_pages<T>
{
    template <class U> struct rebind
    {
        using other = kd_liste<U>;
    };
    template <class U, class... A> void construct(U *p, A &&...a)
    {
        if constexpr (sizeof...(A) == 0)
            ::new (static_cast<void *>(p)) U;
        else
            ::new (static_cast<void *>(p)) U(std::forward<A>(a)...);
    }
};
/// A point of a block of dimension 3: its coordinates and its index in the input.
struct kd_point3
{
    double p[3];
    uint32_t id;
};

struct kd_bloc
{
    int k = 0;
    size_t n = 0;
    /// Dimension 3: the points in leaf order, as the build left them (positions stays empty).
    std::vector<kd_point3, kd_liste<kd_point3>> points3;
    /// Other dimensions: n * k coordinates, in leaf order.
    std::vector<double, kd_grandes_pages<double>> positions;
    /// User pointers: of the leaf-order points, or empty when they are base + id (base set).
    std::vector<void *> donnees;
    const point3 *base = nullptr;
    std::vector<kd_mot, kd_grandes_pages<kd_mot>> noeuds;    ///< node records, root first
    uint32_t mots = 0;             ///< words per record: 4 + 4k
    std::vector<double> racine;    ///< box of every point: k minima, k maxima
    bool nan = false;              ///< some coordinate is NaN (left out of every box)
};

/// Coordinates of the block's point j (leaf order).
inline const double *kd_bloc_point(const kd_bloc &b, size_t j)
{
    return b.k == 3 ? b.points3[j].p : &b.positions[j * size_t(b.k)];
}

/// User pointer of the block's point j (leaf order).
inline void *kd_bloc_donnee(const kd_bloc &b, size_t j)
{
    if (b.base)
        return const_cast<point3 *>(b.base + b.points3[j].id);
    return b.donnees[j];
}

/// Most points a leaf of a block holds.
constexpr uint32_t KD_TAILLE_FEUILLE = 32;

/// Builds a block over n points of k coordinates (data may be null), `fils` threads sharing
/// the work: the block is the same whatever their number. Throws std::bad_alloc when memory
/// runs out; n must be at least 1 and below 2^32.
kd_bloc *kd_bloc_construire(int k, const double *positions, size_t n, void *const *data, int fils);
/// The same over a list of points, the user pointer of points[i] being &points[i].
kd_bloc *kd_bloc_construire3(const std::vector<point3> &points, int fils);

/// Nearest block point to q when strictly nearer than *meilleure (a squared distance):
/// updates *meilleure and *trouve. Returns true when it did.
bool kd_bloc_plus_proche(const kd_bloc &b, const double *q, double *meilleure, kd_entree *trouve);

/// Appends every block point whose squared distance to q is <= rayon2.
void kd_bloc_dans_rayon(const kd_bloc &b, const double *q, double rayon2, std::vector<kd_entree> &sortie);

#endif
