#ifndef TARNIS_AJUSTEMENT_PLIS_H
#define TARNIS_AJUSTEMENT_PLIS_H

#include "ListesSimplexe.h"

#include <array>
#include <cstddef>
#include <vector>

/// The surface a closed simplex mesh stands for, as it is written: the points, then the centre
/// (the mean of the points) of each cell of three points or more; each such cell fanned round its
/// centre, cell after cell.
void triangulerEnEventail(const std::vector<point3> &positions, const std::vector<std::vector<int>> &mailles,
                          std::vector<point3> &sommets, std::vector<std::array<int, 3>> &faces);

/// Folds: where a point was drawn past its neighbours, the written surface of a closed simplex
/// mesh (each cell fanned round the mean of its points) passes through itself there.
///
/// Each round, the points of every two triangles that cross (see trianglesQuiSeCroisent) are
/// drawn halfway to the mean of their three neighbours, all from the same state; the rounds go
/// on, at most `tours`, while each leaves fewer crossing pairs, and one that does not is undone
/// and ends them. Only the triangles round a moved point are tested again.
///
/// The data is kept: each point of `nuage` lies on the cell of its nearest triangle (as the
/// surface was on entry), and a point moves only so far (half the way, else a quarter, an eighth,
/// or not at all) as leaves every cloud point on its three cells no farther from that cell's fan
/// than it was, the point's neighbours taken where they are. A thin shell turning back at a rim,
/// or a spike drawn out to a lone point, is a fold the data asks for: it stays.
///
/// `fils` threads share the work; the result does not depend on their number. Returns the pairs
/// left.
std::size_t deplisser(ListesSimplexe &maillage, int tours, int fils, const std::vector<point3> &nuage = {});

#endif
