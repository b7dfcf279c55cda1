#ifndef TARNIS_AJUSTEMENT_POINTSISOLES_H
#define TARNIS_AJUSTEMENT_POINTSISOLES_H

#include "ArbrePoints.h"
#include "TableAjustement.h"
#include "point3.h"

#include <cstddef>
#include <cstdint>
#include <vector>

/// Whether p, far from its neighbours, still lies on the surface the points round it describe
/// (`arbre`, which holds p itself): when another point holds its very place, or half of its
/// PLACES_REPETEES nearest distinct places are each held by several points (a mesh's vertices, listed once for
/// each cell), or when its VOISINS_DU_SUPPORT nearest distinct places lie on a plane or along a
/// line that passes by p, among them (p no farther from their centre than their deviation along
/// their longest axis, and near the nearest of them). Stray points in the air see round them
/// either the surface they hang over, far under them or past its edge, or other strays scattered
/// in space. On the vertices of a chair (2,382 points, dense at its corners, long empty edges)
/// 519 of the 530 points far from their neighbours pass; of the 746 of the 1,079 strays added to
/// the bunny that are far from theirs, none.
bool surLaSurfaceDesAutres(const point3 &p, const ArbrePoints &arbre);

/// Which of the points far from their neighbours (`candidats`, slots of `arbre`, increasing;
/// `loin`, one flag per slot) belong to a sparse part of the cloud: held by at least
/// VOISINS_EPARS_TENUS of their VOISIN_DE_DENSITE nearest, each held itself (not far from its
/// own, or so found in an earlier round) and its distance to its own within EPARSE_EN_VOISINS
/// times the point's. A part sampled far more coarsely than the rest has such points wherever its
/// sampling thins out, held from the points round them; a stray beside a denser surface finds
/// its neighbours much closer to theirs, and one among other strays finds them far as well.
/// The answer does not depend on the number of threads `fils`.
std::vector<std::uint8_t> dansDesPartiesEparses(const std::vector<std::size_t> &candidats,
                                                const std::vector<std::uint8_t> &loin, const ArbrePoints &arbre,
                                                int fils);

/// Indices (increasing) of the points isolated from the surface the rest of the cloud describes:
/// those whose VOISIN_DE_DENSITE-th neighbour lies farther than FACTEUR_ISOLEMENT times the median
/// of that distance over the cloud, and that are neither of a sparse part (dansDesPartiesEparses)
/// nor on the surface of the points round them (surLaSurfaceDesAutres). On a scanned surface the
/// distance varies little from point to point (within twice the median on the bunny, the
/// armadillo or a noisy scan); a stray point in the empty space around the object sees its
/// neighbours many spacings away; so do the points of a sparse part, but they are held by the
/// part's others and lie on its surface. `nuage` is the tree's own list (arbre.points()); the
/// answer does not depend on the number of threads. A box of 500 points beside a sphere of
/// 20,000 (bench/jugements.sh) lost 54 of them to the surface rule alone, none now; the bunny with
/// 3 % of strays keeps setting the same 746 aside.
/// `mediane`, when given, receives the median of the squared distance to that neighbour.
std::vector<std::size_t> pointsIsoles(const std::vector<point3> &nuage, const ArbrePoints &arbre, int fils,
                                      double *mediane = nullptr);

/// Which of the isolated points `isoles` (in the frame of `gardes`, the tree of the points kept)
/// carry a sheet of the scan on beyond its edge: a lone point seen past the rim of a single view,
/// where the scanner caught the surface at a grazing angle, rather than dust in the air. Such a
/// point lies outwards from the nearest dense point of the sheet (its VOISIN_DE_DENSITE-th
/// neighbour within DENSE_EN_MEDIANES times the median, `mediane` being that median squared),
/// within PORTEE_BORD times the median of it, which is on the sheet's edge (the centre of its
/// VOISINS_DU_BORD nearest lies, in their plane, more than BORD_DU_PLAN of their mean distance
/// from it), and within ANGLE_DU_BORD degrees of the sheet's plane there. None passes when the isolated points are more than PART_ISOLES_BORD of
/// the cloud. On the single view of the bunny 7 of its 15 isolated points pass, the farthest
/// among them; with 20 stray points added in its box, the same 7; with 60 or more, none.
std::vector<char> prolongentUnBord(const std::vector<point3> &isoles, const ArbrePoints &gardes, double mediane);

/// The cloud without the points whose indices (increasing) are given.
std::vector<point3> sansLesPoints(const std::vector<point3> &nuage, const std::vector<std::size_t> &ecartes);
/// The same, with no copy when none is set aside: the cloud itself then, else `copie` filled.
const std::vector<point3> &pointsGardes(const std::vector<point3> &nuage, const std::vector<std::size_t> &ecartes,
                                        std::vector<point3> &copie);

#endif
