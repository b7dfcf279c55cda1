// NIfTI import: the input is a single-file volume (".nii" layout). A volume read must hold
// exactly its announced voxels and a frame of finite numbers, and the boundary of its region
// at Otsu's level must stay inside the volume (in voxel indices, half a voxel beyond at most),
// as many points as counted beforehand.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "Frontiere.h"
#include "VolumeNifti.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    VolumeReel v;
    if (!lireNiftiOctets(donnees, taille, "fuzz.nii", v))
        return 0;
    const std::size_t attendu =
        static_cast<std::size_t>(v.nx) * static_cast<std::size_t>(v.ny) * static_cast<std::size_t>(v.nz);
    if (v.valeurs.size() != attendu)
        std::abort();
    for (const auto &ligne : v.repere)
        for (const double x : ligne)
            if (!std::isfinite(x))
                std::abort();
    double niveau = 0;
    if (!niveauOtsu(v, niveau))
        return 0;
    const Region region{niveau, 1e300};
    const std::vector<point3> points = pointsFrontiere(v, region, false);
    // The count that decides a refusal is the count of the points placed.
    if (compterPointsFrontiere(v, region) != points.size())
        std::abort();
    for (const point3 &p : points)
        if (!(p.x >= -0.5 && p.x <= v.nx - 0.5 && p.y >= -0.5 && p.y <= v.ny - 0.5 && p.z >= -0.5 &&
              p.z <= v.nz - 0.5))
            std::abort();
    return 0;
}
