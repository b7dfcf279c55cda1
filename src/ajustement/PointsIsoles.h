#ifndef TARNIS_AJUSTEMENT_POINTSISOLES_H
#define TARNIS_AJUSTEMENT_POINTSISOLES_H

#include "ArbrePoints.h"
#include "point3.h"

#include <cstddef>
#include <vector>

/// Neighbour whose distance measures the local density of a cloud around each of its points.
constexpr int VOISIN_DE_DENSITE = 8;
/// A point is isolated when that neighbour is farther than this many times the cloud's median.
constexpr double FACTEUR_ISOLEMENT = 5.0;
/// The median is taken over at most about this many points, evenly spread through the cloud.
constexpr std::size_t ECHANTILLON_DENSITE = 1 << 16;

/// Indices (increasing) of the points isolated from the surface the rest of the cloud describes:
/// those whose VOISIN_DE_DENSITE-th neighbour lies farther than FACTEUR_ISOLEMENT times the median
/// of that distance over the cloud. On a scanned surface the distance varies little from point
/// to point (within twice the median on the bunny, the armadillo or a noisy scan); a stray point
/// in the empty space around the object sees its neighbours many spacings away. `arbre` holds
/// the same points; the answer does not depend on the number of threads.
std::vector<std::size_t> pointsIsoles(const std::vector<point3> &nuage, const ArbrePoints &arbre, int fils);

/// The cloud without the points whose indices (increasing) are given.
std::vector<point3> sansLesPoints(const std::vector<point3> &nuage, const std::vector<std::size_t> &ecartes);
/// The same, with no copy when none is set aside: the cloud itself then, else `copie` filled.
const std::vector<point3> &pointsGardes(const std::vector<point3> &nuage, const std::vector<std::size_t> &ecartes,
                                        std::vector<point3> &copie);

#endif
