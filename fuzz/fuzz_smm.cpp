// SMM reader over arbitrary bytes: never crashes, and a file it accepts gives a mesh whose
// neighbour pointers and cells all point into the point list, with companion lists that line up.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>
#include <unordered_set>

#include "Simplex.h"

static std::string cheminTemporaire;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
    cheminTemporaire = "/tmp/tarnis-fuzz-smm-" + std::to_string(getpid()) + ".smm";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    std::FILE *f = std::fopen(cheminTemporaire.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(donnees, 1, taille, f);
    std::fclose(f);

    Simplex s;
    if (!s.charger(cheminTemporaire))
        return 0;
    std::unordered_set<const PointSimplex *> points(s.ListePointsSimplex.begin(), s.ListePointsSimplex.end());
    for (const PointSimplex *p : s.ListePointsSimplex) {
        for (const PointSimplex *v : {p->Voisin1, p->Voisin2, p->Voisin3})
            if (v && !points.count(v))
                std::abort();
    }
    for (const Maille *m : s.ListeMailles)
        for (const PointSimplex *p : *m)
            if (!points.count(p))
                std::abort();
    if (s.ListePointsPrecedents.size() != s.ListePointsSimplex.size() ||
        s.ListePointsSuivants.size() != s.ListePointsSimplex.size() ||
        s.ListeMaillesSuivantes.size() != s.ListeMailles.size())
        std::abort();
    return 0;
}
