#ifndef TARNIS_AJUSTEMENT_PLIS_H
#define TARNIS_AJUSTEMENT_PLIS_H

#include "ListesSimplexe.h"

#include <array>
#include <cstddef>
#include <functional>
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

/// The forms in which files hold a written surface's vertices (see demeler).
using FormesEcrites = std::function<std::vector<std::vector<point3>>(const std::vector<point3> &)>;

/// What an untangling did (see demeler).
struct BilanDemelage
{
    std::size_t avant = 0;  ///< crossing pairs of the written surface on entry
    std::size_t apres = 0;  ///< left: 0, unless no zone round them could be made clean
    std::size_t tenus = 0;  ///< points held short of where they were on entry
    std::size_t zone = 0;   ///< points of the last zone smoothed
};

/// Makes the written surface of a closed simplex mesh (each cell fanned round the mean of its
/// points) pass through itself nowhere, moving only points round the crossings.
///
/// First a clean surface: the points of the cells of the crossing triangles, and a few rings of
/// points round them, are smoothed (each drawn halfway to its neighbours' mean, the points round
/// the zone where they are) until no triangle of the zone's cells crosses another triangle (an
/// exact test, see trianglesQuiSeCroisent); a zone that stays tangled grows, to the whole mesh at
/// most. Then each point goes back towards where it was on entry, in rounds, under a guard: after
/// each round the triangles of the cells of the points that moved are tested, and the points of
/// the cells of every crossing triangle go back to where they were before the round, until none
/// crosses. Every state so accepted passes through itself nowhere; the points the guard holds are
/// those of folds, which stay smoothed.
///
/// `commeEcrits`, when given, turns the written surface's vertices (the points, then the cells'
/// centres) into each form the files will hold them in (another frame, rounded digits): a pair
/// crosses when it crosses in any of them, so that the surface as written passes through itself
/// nowhere either.
///
/// `viser`, when given, moves the points of a clean surface where the data would have them (a
/// settling); the points of the zone then go there as they went back, under the guard, a few times.
///
/// `fils` threads share the work; the result does not depend on their number. `continuer`, asked
/// between checks, may stop the work: the mesh is then left as it was on entry.
BilanDemelage demeler(ListesSimplexe &maillage, int fils, const std::function<bool()> &continuer = {},
                      const FormesEcrites &commeEcrits = {},
                      const std::function<void(std::vector<point3> &)> &viser = {});

#endif
