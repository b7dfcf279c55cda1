#ifndef TARNIS_AJUSTEMENT_VOILES_H
#define TARNIS_AJUSTEMENT_VOILES_H

#include "ListesSimplexe.h"
#include "TableAjustement.h"
#include "point3.h"

#include <array>
#include <set>
#include <utility>
#include <vector>

/// Webs: where a shrinking surface met itself across a gap (between two legs, an arm and the
/// head, two ears), two sheets lie face to face with nothing of the cloud between them. No
/// force takes such a web away: its rim is held by the limbs it joins. It is cut out instead.
///
/// `candidats` marks the points that may belong to a web (far from the cloud, drawn by none of
/// it); a candidate with a point facing the other way less than `epaisseur` behind it is in a
/// web. The region is then rounded out (notches filled, what it encloses taken in), the
/// surface over it removed and each hole closed by the surface of least area on its rim, which
/// sews the two sheets of the web's root together. Kept points keep their index order and
/// positions; a new point sits at the centre of its three cells.
///
/// `normales`: the outward unit normal of each point. Returns the points cut (0: nothing to cut,
/// a cut whose patches would not be less than half the surface removed, or one that would not
/// leave one closed surface of the same kind; `resultat` is then left as it was). `maximum`
/// bounds the share of the points a cut may take.
///
/// `tires` (when not empty): the points the cloud draws. A part the region would cut off from the
/// rest and that holds at least PART_TIREE of them is data, not the inside of a web: the region
/// round it is not cut.
int couperVoiles(const ListesSimplexe &maillage, const std::vector<point3> &normales,
                 const std::vector<char> &candidats, double epaisseur, double maximum, ListesSimplexe &resultat,
                 const std::vector<char> &tires = {});

/// Points of a web: the candidates with a point facing the other way less than `epaisseur`
/// behind them, found through a grid of that step (`enFace`, when given: that point, or -1).
std::vector<char> pointsMinces(const std::vector<point3> &X, const std::vector<point3> &N,
                               const std::vector<char> &candidats, double epaisseur, std::vector<int> *enFace);
/// Rounds the region out so that it is a disk, or several: notches are filled, a cell the rim
/// would pass twice is taken whole, and every kept part but the largest (of each part of the mesh:
/// a part the region does not touch is left whole) is taken in, unless the
/// cloud draws it (`tires`: at least PART_TIREE of its points): the region round such a part is
/// no web but what joins a limb of the data to the rest (an ear seen from one side), and is kept.
void arrondir(std::vector<char> &region, const ListesSimplexe &m, const std::vector<char> &tires);

/// An edge between two vertices, the smaller index first when it names an undirected edge.
using PaireSommets = std::pair<int, int>;

/// The dual triangle of each point: its three cells, in the order the cells run. False when a
/// point is not in exactly three cells that go round it.
bool trianglesDuaux(const ListesSimplexe &m, std::vector<std::array<int, 3>> &triangles);
/// The rims left when the triangles marked in `coupe` are taken out: each a cycle of vertices,
/// running the way a patch over it runs (what `bords` held before is dropped). False when a rim
/// would pass a vertex twice, or when the triangles are not one closed oriented surface.
bool rebords(const std::vector<std::array<int, 3>> &triangles, const std::vector<char> &coupe,
             std::vector<std::vector<int>> &bords);
/// The twin of each half-edge: at 3t + k, the triangle that holds edge k of triangle t (from its
/// k-th vertex to the next) the other way, -1 when none. False when a half-edge is in two
/// triangles. For cuts tried one after another on the same triangles.
bool jumeauxDesAretes(const std::vector<std::array<int, 3>> &triangles, std::vector<int> &jumeaux);
/// rebords, the twins given (jumeauxDesAretes of the same triangles).
bool rebords(const std::vector<std::array<int, 3>> &triangles, const std::vector<int> &jumeaux,
             const std::vector<char> &coupe, std::vector<std::vector<int>> &bords);
/// The centre of each cell of the mesh (the mean of its points).
std::vector<point3> centresDesMailles(const ListesSimplexe &maillage);
std::vector<point3> centresDesMailles(const std::vector<point3> &positions,
                                      const std::vector<std::vector<int>> &mailles);
/// The undirected edges of the triangles not marked in `coupe`.
std::set<PaireSommets> aretesGardees(const std::vector<std::array<int, 3>> &triangles, const std::vector<char> &coupe);
/// The triangulation of least area of the polygon P, without a diagonal in `aretes`.
bool boucher(const std::vector<int> &P, const std::vector<point3> &sommets, const std::set<PaireSommets> &aretes,
             std::vector<std::array<int, 3>> &ajout);
/// The simplex mesh dual to a closed triangle mesh (positions left empty): one point per
/// triangle, one cell per vertex. False when the triangles are not a closed oriented surface
/// without singular vertices.
bool dual(const std::vector<std::array<int, 3>> &triangles, std::size_t nbSommets, ListesSimplexe &m);

#endif
