#ifndef TARNIS_SIMPLEX_LISTESSIMPLEXE_H
#define TARNIS_SIMPLEX_LISTESSIMPLEXE_H

#include "point3.h"

#include <array>
#include <vector>

/// A closed simplex mesh as index lists: point i at positions[i] with neighbours voisins[i],
/// each cell a cycle of point indices, every cell running the same way round the surface.
struct ListesSimplexe
{
    std::vector<point3> positions;
    std::vector<std::array<int, 3>> voisins;
    std::vector<std::vector<int>> mailles;
};

#endif
