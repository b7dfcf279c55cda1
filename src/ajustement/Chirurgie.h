#ifndef TARNIS_AJUSTEMENT_CHIRURGIE_H
#define TARNIS_AJUSTEMENT_CHIRURGIE_H

#include "Voiles.h"

#include <vector>

/// Changes of topology on a closed simplex mesh, made on its dual triangles (one per point,
/// one vertex per cell) and brought back. `coupe` marks the points taken out. Kept points keep
/// their index order and positions; a new point sits at the centre of its three cells.
///
/// Every change is checked: the result is one closed oriented surface without singular
/// vertices (each point three neighbours), no new triangle crosses another triangle, V - E + F
/// and the part count change as they must. A change that fails a check is not made: false, and
/// `resultat` is left as it was.

/// Opens a handle: `coupe` is two disks, each with one rim; both go and their rims are joined by
/// a tube (a band of triangles from rim to rim). V - E + F drops by 2.
bool ouvrirAnse(const ListesSimplexe &maillage, const std::vector<char> &coupe, ListesSimplexe &resultat);

/// Cuts a neck: `coupe` is a band with two rims; it goes and each rim is closed by the patch of
/// least area on it. V - E + F rises by 2 and the surface falls into one more part.
bool couperCol(const ListesSimplexe &maillage, const std::vector<char> &coupe, ListesSimplexe &resultat);

/// Whether two triangles that share no vertex cross (an edge of one through the other).
bool trianglesSeCoupent(const point3 a[3], const point3 b[3]);

#endif
