#ifndef TARNIS_AJUSTEMENT_CROISEMENTS_H
#define TARNIS_AJUSTEMENT_CROISEMENTS_H

#include "point3.h"

#include <array>
#include <cstddef>
#include <utility>
#include <vector>

class Maillage;

/// Where a triangulated surface passes through itself, decided by exact predicates: the
/// orientation of four points is taken in exact arithmetic (filtered: in doubles when the sign is
/// certain), so nearly coplanar and touching triangles get the right answer. A pair of triangles
/// crosses when they meet anywhere else than at what they share: two triangles with no vertex in
/// common that meet at all, two sharing one vertex that meet elsewhere (the edge opposite that
/// vertex in one meets the other), two sharing an edge that overlap in their common plane.

/// Whether the triangles a and b cross; `communs` pairs each vertex of a shared with b with its
/// place in b (at most three pairs; as many as the vertices they share, by index, not position).
bool trianglesSeCroisent(const point3 a[3], const point3 b[3], const std::vector<std::pair<int, int>> &communs);

/// The pairs of triangles of the surface that cross (indices into `triangles`, the smaller first),
/// in increasing order; with `parmi` (a mark for each triangle), only the pairs of which one at
/// least is marked. A triangle with a corner that is not a number crosses nothing; a triangle
/// repeating a vertex is a segment or a point and is tested as it stands. Each pair is tested
/// once, in the first cell of a grid (twice the mean edge a side) where both triangles' boxes
/// lie. `fils` threads share the work (0: every core); the result does not depend on their number.
std::vector<std::pair<int, int>> trianglesQuiSeCroisent(const std::vector<point3> &sommets,
                                                        const std::vector<std::array<int, 3>> &triangles, int fils = 1,
                                                        const std::vector<char> *parmi = nullptr);
/// How many such pairs.
std::size_t pairesQuiSeCroisent(const std::vector<point3> &sommets, const std::vector<std::array<int, 3>> &triangles,
                                int fils = 1);
/// The same on a triangle mesh.
std::size_t pairesQuiSeCroisent(const Maillage &m, int fils = 1);

/// The volume a closed oriented triangulated surface encloses (the sum of the signed volumes of
/// the tetrahedra from the origin to its triangles: positive when they face outward) and its
/// area, in the units of its coordinates (cubed, squared). The sums are taken about the centre of
/// the vertices' box, which keeps them exact to the last digits far from the origin.
struct MesureSolide
{
    double volume = 0;
    double aire = 0;
};
MesureSolide mesurerSolide(const std::vector<point3> &sommets, const std::vector<std::array<int, 3>> &triangles);
MesureSolide mesurerSolide(const Maillage &m);

#endif
