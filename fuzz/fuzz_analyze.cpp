// Analyze import: the first 348 bytes are the header, the rest the image. A loaded
// volume must hold exactly its announced voxels, and thresholding must stay inside it.
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "VolumeAnalyze.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    const std::size_t tailleEntete = taille < 348 ? taille : 348;
    VolumeAnalyze v;
    if (!v.chargerDepuisMemoire(donnees, tailleEntete, donnees + tailleEntete, taille - tailleEntete, "fuzz"))
        return 0;
    const std::size_t attendu =
        static_cast<std::size_t>(v.dimX) * static_cast<std::size_t>(v.dimY) * static_cast<std::size_t>(v.dimZ);
    if (v.voxels.size() != attendu)
        std::abort();
    std::vector<point3> points;
    seuillerVolume(v, points, 150, 255, 0, 1000);
    for (const point3 &p : points)
        if (p.x < 0 || p.x >= v.dimX || p.y < 0 || p.y >= v.dimY || p.z < 0 || p.z >= v.dimZ)
            std::abort();
    return 0;
}
