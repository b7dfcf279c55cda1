#ifndef TARNIS_KDTREE_H
#define TARNIS_KDTREE_H

// kd-tree of k-dimensional points (the system uses k = 3) with nearest and
// radius queries, and result sets walked with a cursor.
//
// Contract
// - Distances are Euclidean; radius tests are inclusive (squared distance <= radius^2).
// - The tree copies the coordinates it is given. User pointers are stored as given
//   and never released by the tree.
// - Failures are reported by the results: null from kd_make and the queries,
//   -1 from the insertions and builds. Nothing here throws or exits.
// - Queries do not change the tree: several may run at once on one tree.
// - A result set refers to the tree's points: release it before the tree is
//   emptied, rebuilt, built into or destroyed.
//
// Two ways to fill a tree, which may be mixed:
// - kd_insert / kd_insert3 add one point to an unbalanced tree whose shape follows the
//   insertion order (equal coordinates go right). Sorted input makes long chains.
// - kd_build / kd_build3 / kd_rebuild store points in a balanced block (median split,
//   contiguous storage). Queries on such a block return a point at the same nearest
//   distance and the same radius sets as a search over every point; which of several
//   equally near points wins, and the order of a radius set, follow the block's shape.

#include <cstddef>
#include <vector>

#include "point3.h"

/// Bounding box of the points of a tree (k minima, k maxima).
struct kd_box
{
    int dimension;
    double *minimum;
    double *maximum;
};

/// One singly inserted point.
struct kd_node
{
    double *position; ///< own heap copy of the k coordinates
    int axis;         ///< splitting coordinate, 0 to k - 1
    void *data;       ///< user pointer given at insertion
    kd_node *left;    ///< coordinate on axis smaller than ours
    kd_node *right;   ///< coordinate on axis greater or equal
};

/// Balanced block of bulk-built points (private to the module).
struct kd_bloc;

struct kd_tree
{
    int dimension; ///< k
    kd_node *root; ///< singly inserted points, null when there are none
    kd_box *box;   ///< bounding box of every point, null while the tree is empty
    kd_bloc *bloc; ///< bulk-built points, null when there are none
};

/// A result set (opaque). Release with kd_result_release.
struct kd_result;

/// New empty tree of dimension k (k >= 1); null when memory runs out or k < 1.
kd_tree *kd_make(int k);
/// Empties then releases the tree. A null tree is accepted.
void kd_destroy(kd_tree *tree);
/// Releases every point and the box; the tree is empty again.
void kd_empty(kd_tree *tree);

/// Adds one point (k coordinates, copied) with its user pointer.
/// Returns 0, or -1 when memory runs out (the tree is then unchanged).
int kd_insert(kd_tree *tree, const double *position, void *data);
/// kd_insert for trees of dimension 3.
int kd_insert3(kd_tree *tree, double x, double y, double z, void *data);

/// Bulk construction: adds n points, given as n * k consecutive coordinates, in a
/// balanced block. data holds one user pointer per point, or is null (all user
/// pointers null). Points already in a block are rebuilt together with the new ones;
/// singly inserted points stay where they are.
/// Returns 0, or -1 (the tree unchanged) when memory runs out, the tree is null,
/// positions is null while n > 0, or the block would pass 2^32 - 2 points. `threads` share
/// the building (0: one per core); the block, and so every answer, is the same whatever
/// their number.
int kd_build(kd_tree *tree, const double *positions, size_t n, void *const *data, int threads = 0);
/// Bulk construction over a list of points, for trees of dimension 3. The user pointer
/// of points[i] is its address, &points[i] (cast to void*): it stays meaningful while
/// the list is not changed, and (point3 *)data - points.data() gives back the index i.
int kd_build3(kd_tree *tree, const std::vector<point3> &points, int threads = 0);
/// Moves every point of the tree (singly inserted and bulk-built) into one balanced
/// block, keeping their user pointers. Returns 0, or -1 when memory runs out (the tree
/// is then unchanged).
int kd_rebuild(kd_tree *tree);
/// Number of points in the tree (0 for a null tree); walks the singly inserted points.
size_t kd_size(const kd_tree *tree);

/// Result set holding the one nearest point (cursor on it), or null when the tree is
/// null or empty, or memory runs out. Among singly inserted points, of equally near
/// points the first met wins (the root first); a bulk-built point replaces it only
/// when strictly nearer.
kd_result *kd_closest(const kd_tree *tree, const double *position);
/// kd_closest for trees of dimension 3.
kd_result *kd_closest3(const kd_tree *tree, double x, double y, double z);
/// kd_closest3 with single-precision coordinates, converted to double.
kd_result *kd_closest3f(const kd_tree *tree, float x, float y, float z);

/// Result set of the points within the radius (squared distance <= radius^2), cursor on
/// the first; an empty set for an empty tree; null when the tree is null or memory runs
/// out. Among singly inserted points the search descends to the near side of each node
/// and crosses to the other side only when the distance to the splitting plane is
/// strictly below the radius (so a radius-0 search finds a point but not a later
/// duplicate of it); in a bulk-built block every point within the radius is found.
/// The set lists the points in the reverse of the order in which they were found.
kd_result *kd_within(const kd_tree *tree, const double *position, double radius);
/// kd_within for trees of dimension 3.
kd_result *kd_within3(const kd_tree *tree, double x, double y, double z, double radius);

/// Releases the set (not the tree's points). A null set is accepted.
void kd_result_release(kd_result *set);
/// Number of points in the set (0 for a null set).
int kd_result_size(const kd_result *set);
/// True when the cursor is past the last entry (or the set is null).
bool kd_result_at_end(const kd_result *set);
/// Moves the cursor on; true while it is on an entry.
bool kd_result_advance(kd_result *set);
/// Copies the current point's k coordinates into position (when not null) and returns
/// its user pointer. Past the end: returns null and copies nothing.
void *kd_result_point(const kd_result *set, double *position);

#endif
