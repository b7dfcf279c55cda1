#ifndef TARNIS_AJUSTEMENT_ORIENTATION_H
#define TARNIS_AJUSTEMENT_ORIENTATION_H

#include <cstddef>
#include <vector>

class Simplex;

/// Orders the cells of a closed simplex mesh so that they all run the same way
/// round the surface, counter-clockwise seen from outside (the triangulation
/// then faces outward). Refinements can leave cells running both ways; the
/// points, their neighbours and the cells' contents are not changed, only the
/// order of some cells is reversed. Cell c of ListeMaillesSuivantes is reversed
/// with cell c of ListeMailles, so the two lists keep pairing.
/// Returns the indices of the cells reversed.
std::vector<std::size_t> orienterVersExterieur(Simplex &s);

/// Reverses the given cells (in both cell lists): undoes orienterVersExterieur.
void inverserMailles(Simplex &s, const std::vector<std::size_t> &mailles);

/// Signed volume enclosed by the cells fanned round their centres: positive
/// when they run counter-clockwise seen from outside.
double volumeSigne(const Simplex &s);

#endif
