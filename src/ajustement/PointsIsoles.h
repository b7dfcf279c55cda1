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

/// Distinct places round a point far from its neighbours that tell whether it lies on the
/// surface they describe.
constexpr int VOISINS_DU_SUPPORT = 24;
/// They describe a surface (or a line) when their variance across it is at most this share of
/// their variance along their longest axis...
constexpr double PLATITUDE_DU_SUPPORT = 0.08;
/// ...and the point lies on it when it is no farther from their plane than this many times their
/// deviation along that axis.
constexpr double HAUTEUR_DU_SUPPORT = 0.3;
/// Its nearest such place within this share of that variance (squared distance).
constexpr double PROCHE_DU_SUPPORT = 0.1;

/// Whether p, far from its neighbours, still lies on the surface the points round it describe
/// (`arbre`, which holds p itself): when another point holds its very place, or half of its 8
/// nearest distinct places are each held by several points (a mesh's vertices, listed once for
/// each cell), or when its VOISINS_DU_SUPPORT nearest distinct places lie on a plane or along a
/// line that passes by p, among them (p no farther from their centre than their deviation along
/// their longest axis, and near the nearest of them). Stray points in the air see round them
/// either the surface they hang over, far under them or past its edge, or other strays scattered
/// in space. On the vertices of a chair (2,382 points, dense at its corners, long empty edges)
/// 519 of the 530 points far from their neighbours pass; of the 746 of the 1,079 strays added to
/// the bunny that are far from theirs, none.
bool surLaSurfaceDesAutres(const point3 &p, const ArbrePoints &arbre);

/// Indices (increasing) of the points isolated from the surface the rest of the cloud describes:
/// those whose VOISIN_DE_DENSITE-th neighbour lies farther than FACTEUR_ISOLEMENT times the median
/// of that distance over the cloud, and that are not on the surface of the points round them
/// (surLaSurfaceDesAutres). On a scanned surface the distance varies little from point
/// to point (within twice the median on the bunny, the armadillo or a noisy scan); a stray point
/// in the empty space around the object sees its neighbours many spacings away; so do the points
/// of a sparse part, but they lie on its surface. `arbre` holds
/// the same points; the answer does not depend on the number of threads.
/// `mediane`, when given, receives the median of the squared distance to that neighbour.
std::vector<std::size_t> pointsIsoles(const std::vector<point3> &nuage, const ArbrePoints &arbre, int fils,
                                      double *mediane = nullptr);

/// A lone point past a sheet's edge is taken within this many times the median distance to the
/// VOISIN_DE_DENSITE-th neighbour of the dense point it carries on (the bunny's single view: its
/// lone points lie 6 to 12 such distances out).
constexpr double PORTEE_BORD = 14.0;
/// And only while the isolated points are at most this share of the cloud: a scan where they are
/// many is dusty, and dust passes the rule as often as the scan's own points do.
constexpr double PART_ISOLES_BORD = 0.001;

/// Which of the isolated points `isoles` (in the frame of `gardes`, the tree of the points kept)
/// carry a sheet of the scan on beyond its edge: a lone point seen past the rim of a single view,
/// where the scanner caught the surface at a grazing angle, rather than dust in the air. Such a
/// point lies outwards from the nearest dense point of the sheet (its VOISIN_DE_DENSITE-th
/// neighbour within twice the median, `mediane` being that median squared), within PORTEE_BORD
/// times the median of it, which is on the sheet's edge (the centre of its 24 nearest lies, in
/// their plane, more than 0.3 of their mean distance from it), and within 20 degrees of the
/// sheet's plane there. None passes when the isolated points are more than PART_ISOLES_BORD of
/// the cloud. On the single view of the bunny 7 of its 15 isolated points pass, the farthest
/// among them; with 20 stray points added in its box, the same 7; with 60 or more, none.
std::vector<char> prolongentUnBord(const std::vector<point3> &isoles, const ArbrePoints &gardes, double mediane);

/// The cloud without the points whose indices (increasing) are given.
std::vector<point3> sansLesPoints(const std::vector<point3> &nuage, const std::vector<std::size_t> &ecartes);
/// The same, with no copy when none is set aside: the cloud itself then, else `copie` filled.
const std::vector<point3> &pointsGardes(const std::vector<point3> &nuage, const std::vector<std::size_t> &ecartes,
                                        std::vector<point3> &copie);

#endif
