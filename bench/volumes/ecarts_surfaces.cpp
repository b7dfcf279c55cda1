// Compares two triangle meshes (OFF) for bench/volumes.sh:
//   ecarts_surfaces A.off [B.off [UNITE]]
// prints, for each mesh, its connected parts and whether it is closed (every edge shared by two
// faces exactly); with B, the distances from points spread evenly over A to B's triangles and
// from B's to A's (mean, 95th percentile, maximum), divided by UNITE (default 1).

#include "Ajustement.h"
#include "Maillage.h"
#include "distance.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Surface
{
    std::vector<point3> sommets;
    std::vector<std::array<int, 3>> faces;
};

bool lire(const char *nom, Surface &s)
{
    Maillage m;
    const Resultat r = m.lireOFF(nom);
    if (!r) {
        std::fprintf(stderr, "%s\n", r.texte().c_str());
        return false;
    }
    s.sommets = m.listeSommets;
    s.faces = trianglesDe(m);
    return true;
}

int racine(std::vector<int> &parent, int i)
{
    while (parent[static_cast<std::size_t>(i)] != i)
        i = parent[static_cast<std::size_t>(i)] = parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(i)])];
    return i;
}

/// Connected parts (through shared vertices) and closedness.
std::pair<int, bool> parties(const Surface &s)
{
    std::vector<int> parent(s.sommets.size());
    std::iota(parent.begin(), parent.end(), 0);
    std::map<std::pair<int, int>, int> aretes;
    for (const auto &f : s.faces)
        for (int k = 0; k < 3; ++k) {
            const int a = f[static_cast<std::size_t>(k)], b = f[static_cast<std::size_t>((k + 1) % 3)];
            ++aretes[{std::min(a, b), std::max(a, b)}];
            parent[static_cast<std::size_t>(racine(parent, a))] = racine(parent, b);
        }
    std::vector<bool> utilise(s.sommets.size(), false);
    for (const auto &f : s.faces)
        for (const int v : f)
            utilise[static_cast<std::size_t>(v)] = true;
    int n = 0;
    for (std::size_t i = 0; i < parent.size(); ++i)
        n += utilise[i] && racine(parent, static_cast<int>(i)) == static_cast<int>(i) ? 1 : 0;
    bool ferme = !s.faces.empty();
    for (const auto &[arete, compte] : aretes)
        ferme = ferme && compte == 2;
    return {n, ferme};
}

void ecarts(const Surface &de, const Surface &vers, double unite, const char *titre)
{
    const std::vector<point3> points = echantillonnerSurface(de.sommets, de.faces, 300000);
    const ArbreTriangles arbre(vers.sommets, vers.faces);
    std::vector<double> d = arbre.distances(points);
    for (double &x : d)
        x /= unite;
    const Statistiques s = resumer(d);
    std::printf("%s moyenne %.4f p95 %.4f max %.4f\n", titre, s.moyenne, s.centile95, s.maximum);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage : ecarts_surfaces A.off [B.off [UNITE]]\n");
        return 2;
    }
    Surface a, b;
    if (!lire(argv[1], a) || (argc > 2 && !lire(argv[2], b)))
        return 1;
    const auto [pa, fa] = parties(a);
    std::printf("A parties %d fermee %d\n", pa, fa ? 1 : 0);
    if (argc < 3)
        return 0;
    const auto [pb, fb] = parties(b);
    std::printf("B parties %d fermee %d\n", pb, fb ? 1 : 0);
    const double unite = argc > 3 ? std::atof(argv[3]) : 1.0;
    ecarts(a, b, unite > 0 ? unite : 1.0, "A->B");
    ecarts(b, a, unite > 0 ? unite : 1.0, "B->A");
    return 0;
}
