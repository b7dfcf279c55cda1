#include "Topologie.h"
#include "Maillage.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <utility>

TopologieSurface topologie(const std::vector<std::array<int, 3>> &faces, std::size_t nbSommets)
{
    TopologieSurface t;
    std::vector<int> racine(nbSommets);
    std::iota(racine.begin(), racine.end(), 0);
    auto trouver = [&](int a) {
        while (racine[a] != a)
            a = racine[a] = racine[racine[a]];
        return a;
    };
    std::vector<char> utilise(nbSommets, 0);
    std::map<std::pair<int, int>, int> aretes; // edge -> faces along it
    for (const auto &f : faces) {
        if (std::any_of(f.begin(), f.end(), [&](int v) { return v < 0 || static_cast<std::size_t>(v) >= nbSommets; }))
            continue;
        ++t.faces;
        for (int k = 0; k < 3; ++k) {
            const int a = f[k], b = f[(k + 1) % 3];
            utilise[a] = 1;
            ++aretes[std::minmax(a, b)];
            racine[trouver(a)] = trouver(b);
        }
    }
    // Per part: V - E + F and the edges with one face (their rims counted by walking them).
    std::map<int, long> chi, bordsSeuls;
    std::map<int, std::vector<std::pair<int, int>>> rebords;
    for (std::size_t v = 0; v < nbSommets; ++v)
        if (utilise[v]) {
            ++t.sommets;
            ++chi[trouver(static_cast<int>(v))];
        }
    t.fermee = true;
    for (const auto &[a, n] : aretes) {
        ++t.aretes;
        --chi[trouver(a.first)];
        if (n != 2)
            t.fermee = false;
        if (n == 1)
            rebords[trouver(a.first)].push_back(a);
    }
    for (const auto &f : faces)
        if (std::all_of(f.begin(), f.end(), [&](int v) { return v >= 0 && static_cast<std::size_t>(v) < nbSommets; }))
            ++chi[trouver(f[0])];
    t.caracteristique = t.sommets - t.aretes + t.faces;
    t.parties = static_cast<int>(chi.size());
    for (const auto &[partie, x] : chi) {
        // Rims: the components of the graph of the edges with one face.
        long nbRebords = 0;
        std::map<int, int> r;
        auto haut = [&](int a) {
            if (!r.count(a))
                r[a] = a;
            while (r[a] != a)
                a = r[a] = r[r[a]];
            return a;
        };
        for (const auto &[a, b] : rebords[partie])
            r[haut(a)] = haut(b);
        for (const auto &[v, p] : r)
            nbRebords += v == p;
        t.genre += static_cast<int>((2 - x - nbRebords) / 2);
    }
    return t;
}

TopologieSurface topologie(const Maillage &m)
{
    return topologie(trianglesDe(m), m.listeSommets.size());
}
