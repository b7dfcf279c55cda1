#ifndef TARNIS_SIMPLEX_LISTESSIMPLEXE_H
#define TARNIS_SIMPLEX_LISTESSIMPLEXE_H

#include "point3.h"

#include <array>
#include <vector>

class Simplex;

/// A closed simplex mesh as index lists: point i at positions[i] with neighbours voisins[i],
/// each cell a cycle of point indices, every cell running the same way round the surface.
struct ListesSimplexe
{
    std::vector<point3> positions;
    std::vector<std::array<int, 3>> voisins;
    std::vector<std::vector<int>> mailles;
};

/// The lists of a simplex mesh, point i being s.ListePointsSimplex[i], each cell as the mesh
/// holds it. A neighbour that is not one of its points (a mesh being built) stands for the point
/// itself; such a point in a cell is left out of it.
ListesSimplexe listesDe(const Simplex &s);

#endif
