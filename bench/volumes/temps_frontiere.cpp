// The phases of a volume's boundary, timed on a file: the reading into real values, the count
// of the boundary points, their placing, on every core and on one. Usage:
//   temps_frontiere VOLUME LEVEL
// (not a Google Benchmark program: one volume of hundreds of megabytes is one measure).
#include "Frontiere.h"
#include "VolumeReel.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

double depuis(std::chrono::steady_clock::time_point t)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: temps_frontiere VOLUME LEVEL\n");
        return 2;
    }
    auto t = std::chrono::steady_clock::now();
    VolumeReel v;
    const Resultat lu = lireVolumeReel(argv[1], v);
    std::printf("lecture %.2f s (%d x %d x %d)%s%s\n", depuis(t), v.nx, v.ny, v.nz, lu ? "" : " : ",
                lu ? "" : lu.texte().c_str());
    if (!lu)
        return 1;
    const Region region{std::atof(argv[2]), 1e300};
    t = std::chrono::steady_clock::now();
    const std::size_t n = compterPointsFrontiere(v, region);
    std::printf("compte %.2f s (%zu points)\n", depuis(t), n);
    for (const int fils : {0, 1}) {
        t = std::chrono::steady_clock::now();
        const std::size_t places = pointsFrontiere(v, region, true, fils).size();
        std::printf("points %.2f s (%zu, %s)\n", depuis(t), places, fils == 0 ? "tous les coeurs" : "un fil");
    }
    return 0;
}
