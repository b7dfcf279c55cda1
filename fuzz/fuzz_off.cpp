// OFF reader over arbitrary text: never crashes, keeps only faces inside the vertex list.
#include <cstdint>
#include <cstdlib>
#include <iostream>

#include "Maillage.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    Maillage m;
    if (!m.chargerOFFDepuisTexte(reinterpret_cast<const char *>(donnees), taille))
        return 0;
    const int n = static_cast<int>(m.listeSommets.size());
    if (m.nbSommets != n || m.nbFaces != static_cast<int>(m.listeFaces.size()))
        std::abort();
    for (const Face &f : m.listeFaces)
        if (f.s1 < 0 || f.s1 >= n || f.s2 < 0 || f.s2 >= n || f.s3 < 0 || f.s3 >= n)
            std::abort();
    return 0;
}
