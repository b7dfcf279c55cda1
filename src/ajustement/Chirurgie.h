#ifndef TARNIS_AJUSTEMENT_CHIRURGIE_H
#define TARNIS_AJUSTEMENT_CHIRURGIE_H

#include "Croisements.h"
#include "ListesSimplexe.h"
#include "Voiles.h"

#include <functional>
#include <utility>
#include <vector>

class Maillage;

/// Changes of topology on a closed simplex mesh, made on its dual triangles (one per point,
/// one vertex per cell) and brought back. `coupe` marks the points taken out. Kept points keep
/// their index order and positions; a new point sits at the centre of its three cells.
///
/// Every change is checked: the result is one closed oriented surface without singular
/// vertices (each point three neighbours), no new triangle crosses another triangle, V - E + F
/// and the part count change as they must. A change that fails a check is not made: false, and
/// `resultat` is left as it was.

/// Opens a handle: `coupe` is two disks, each with one rim; both go and their rims are joined by
/// a tube (a band of triangles from rim to rim), its waist drawn in towards the rims' centre as far
/// as it can be without the tube crossing itself or the surface. V - E + F drops by 2.
bool ouvrirAnse(const ListesSimplexe &maillage, const std::vector<char> &coupe, ListesSimplexe &resultat);

/// Cuts a neck: `coupe` is a band with two rims; it goes and each rim is closed by the patch of
/// least area on it. V - E + F rises by 2 and the surface falls into one more part.
bool couperCol(const ListesSimplexe &maillage, const std::vector<char> &coupe, ListesSimplexe &resultat);

/// Where a ring of the cloud is cut (a C-shaped ring, a horseshoe): round the line through the
/// middle of the hole (`centre`, unit `axe`, `e1` and `e2` across it), the widest turn without a
/// point of the cloud, from the angle `debut` (from `e1` towards `e2`) over `largeur`; `rayon`, the
/// hole's radius. `largeur` 0: none.
struct Fente
{
    point3 centre, axe, e1, e2;
    double rayon = 0, debut = 0, largeur = 0;
};

/// Handles across holes. Where the surface was drawn over a hole, a sheet spans it on each side
/// and the two come face to face with nothing of the cloud between them: the region of a web
/// (see couperVoiles: `candidats`, `epaisseur`, `tires`), but in two pieces, each a disk. Each
/// piece is grown over the points off the data round it (not in `appuis`: undrawn, with the
/// nearest cloud point to their side) down to the wall of the hole; the two must not meet, the
/// cloud must ring the hole (anneauFerme), and the handle is then opened (ouvrirAnse). Pairs of
/// pieces are tried the most facing first; at most one handle is opened. Returns the points
/// taken out (0: none; `resultat` is then left as it was).
///
/// With `fente`: where no ring is closed but one is cut (a C-shaped ring), the sheets over its
/// middle are taken out all the same and the handle opened across the cut, which `fente` then
/// tells (else its `largeur` is 0): the surface over the cut is to be cut next (couperFente),
/// which gives the ring's own surface, of the genus it had.
int ouvrirAnses(const ListesSimplexe &maillage, const std::vector<point3> &normales,
                const std::vector<char> &candidats, double epaisseur, const std::vector<char> &tires,
                const std::vector<char> &appuis, const std::vector<point3> &nuage, double espacement,
                ListesSimplexe &resultat, Fente *fente = nullptr);

/// Handles across narrow holes (a bore). There the sheet drawn in from each end of the hole ends
/// in a few cells as wide as the hole: the wall draws their points, and only the cells' middles
/// lie off the data, so ouvrirAnses finds nothing. `lointaines` marks such cells: 2 where the
/// middle is farther than `loin` from the cloud (`distance`) with the nearest point of it to its
/// side, 1 where it is farther than half that. Joined by their edges, the cells marked 2 and the
/// cells marked 1 next to them make pieces. Two pieces span a hole when:
/// - each lies behind the other (the segment between their middles leaves each through its
///   inside), and that segment stays farther than `loin` from the cloud and crosses no other cell;
/// - the line through the hole (from that segment: the direction in which a line stays clear of
///   the cloud longest, through the point farthest from it) runs clear past both pieces and on
///   (through the inside of a solid, it would meet the cloud where the pieces lie);
/// - the cloud rings that line (anneauAutourDe, or no turn round it without a point of the cloud
///   as wide as the links of its ring).
/// The pieces' cells over the hole are taken out, with the surface between them near the line
/// that joins them (the hole's wall), and the two rims joined by a straight tube along the line: a
/// collar from each rim in to a ring round the line, and between the rings a tube checked as
/// ouvrirAnse checks (the collars, which start on the crumpled wall, are not). The nearest pairs
/// are tried first; at most one handle is opened.
/// Nothing holds the two sheets apart: drawn in from both ends of a hole narrower than `loin`,
/// they meet inside it and pass through each other, and then neither lies behind the other.
/// Failing pairs as above, two pieces grown from cells marked 1 span a hole when:
/// - their outsides are opposite and their middles within `loin` of each other;
/// - halfway between, the cloud is farther than three quarters of `loin` (closer, the void is
///   no wider than the gaps of a sparse sampling, where the sheets of a thin part cross);
/// - the line through there (the direction within 60 degrees of their normals along which it
///   stays clear of the cloud longest) runs clear of the cloud both ways until it is out in the
///   open (twice as far from the cloud), crossing no other cell, and the cloud rings it.
/// Both sheets are then taken out, from the pieces on through the cells near the line, and the
/// rims joined as above. Returns the points taken out (0: none; `resultat` is then left as it
/// was).
int ouvrirBouchons(const ListesSimplexe &maillage, const std::vector<char> &lointaines, double loin,
                   const std::function<double(const point3 &)> &distance, const std::vector<point3> &nuage,
                   double espacement, ListesSimplexe &resultat);

/// Cuts the surface across the cut of a ring (see ouvrirAnses): the band of its points within the
/// cut, or a cell and a half of the mesh each side of its middle, out on the ring's side of the
/// line; each rim closed by the patch of least area. V - E + F rises by 2, the parts stay: the
/// genus drops by one. False when the band is not one tube round the ring (`resultat` then left
/// as it was).
bool couperFente(const ListesSimplexe &maillage, const Fente &fente, ListesSimplexe &resultat);

/// Whether the cloud rings a hole: round the line through the middle of the two rims along
/// `axe`, the cloud within four times the hole's radius (its distance to that middle) and one and
/// a half times it above and below goes all the way round, its points linked when closer than a few times
/// `espacement` (a C-shaped ring, a horseshoe or a slot breaks the links); the nearest point lies
/// round the line, not along it (a slot between two faces); and none lies over or under the
/// middle (a hollow, or the inside of a solid).
bool anneauFerme(const std::vector<point3> &bordA, const std::vector<point3> &bordB, const point3 &axe,
                 const std::vector<point3> &nuage, double espacement);

/// The same, and whether a ring that is not closed is cut (`Ouvert`: every other condition holds,
/// no loop winds round the line) and where (`fente`, when given and the ring is cut).
enum class Anneau { Ferme, Ouvert, Aucun };
Anneau anneauAutour(const std::vector<point3> &bordA, const std::vector<point3> &bordB, const point3 &axe,
                    const std::vector<point3> &nuage, double espacement, Fente *fente);
/// The same round the line through `centre` along `axe`.
Anneau anneauAutourDe(const point3 &centre, const point3 &axe, const std::vector<point3> &nuage, double espacement,
                      Fente *fente);

/// Whether two triangles that share no vertex cross (an edge of one through the other).
/// Unlike trianglesSeCroisent (Croisements.h), a touch is no crossing, an edge parallel to the
/// other triangle's plane crosses nothing, and the test is in doubles: the changes above are
/// decided by this one. The exact test would refuse a tube whose new triangles merely touch the
/// surface, and accept one the near-parallel cut-off here refuses.
bool trianglesSeCoupent(const point3 a[3], const point3 b[3]);

#endif
