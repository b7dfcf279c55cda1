#ifndef TARNIS_MAILLAGE_TOPOLOGIE_H
#define TARNIS_MAILLAGE_TOPOLOGIE_H

#include <array>
#include <cstddef>
#include <vector>

class Maillage;

/// The kind of surface a triangle mesh makes: its parts (faces joined through shared vertices)
/// and their genus, from V - E + F of each part. A part with edges met by one face only (a rim)
/// counts its rims: V - E + F = 2 - 2g - rims.
struct TopologieSurface
{
    int parties = 0;
    int genre = 0;            ///< summed over the parts
    bool fermee = false;      ///< every edge between exactly two faces
    long sommets = 0;         ///< vertices used by a face
    long aretes = 0;
    long faces = 0;
    long caracteristique = 0; ///< V - E + F
};

TopologieSurface topologie(const std::vector<std::array<int, 3>> &faces, std::size_t nbSommets);
TopologieSurface topologie(const Maillage &m);

#endif
