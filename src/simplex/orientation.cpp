#include "orientation.h"

#include "Simplex.h"
#include "Vecteurs.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <unordered_map>

namespace {

struct CleArete
{
    const PointSimplex *a, *b; // a < b

    bool operator==(const CleArete &o) const { return a == o.a && b == o.b; }
};

struct HachageArete
{
    std::size_t operator()(const CleArete &k) const
    {
        const auto x = reinterpret_cast<std::uintptr_t>(k.a), y = reinterpret_cast<std::uintptr_t>(k.b);
        return std::hash<std::uintptr_t>()(x * 0x9e3779b97f4a7c15ULL ^ y);
    }
};

// One side of an edge: the cell and whether the cell walks it from the lower
// address to the higher.
struct Cote
{
    std::size_t maille;
    bool montant;
};

} // namespace

double volumeSigne(const Simplex &s)
{
    double v = 0;
    for (const Maille *m : s.ListeMailles) {
        const std::size_t k = m->size();
        if (k == 0)
            continue;
        point3 g;
        for (const PointSimplex *p : *m)
            g += p->Position;
        const double nombre = static_cast<double>(k);
        g = point3(g.x / nombre, g.y / nombre, g.z / nombre);
        for (std::size_t j = 0; j < k; ++j) {
            const point3 &a = (*m)[j]->Position, &b = (*m)[(j + 1) % k]->Position;
            v += scal(g, vect(a, b));
        }
    }
    return v / 6;
}

void inverserMailles(Simplex &s, const std::vector<std::size_t> &mailles)
{
    for (std::size_t c : mailles) {
        std::reverse(s.ListeMailles.at(c)->begin(), s.ListeMailles.at(c)->end());
        if (c < s.ListeMaillesSuivantes.size() && s.ListeMaillesSuivantes[c] != s.ListeMailles[c])
            std::reverse(s.ListeMaillesSuivantes[c]->begin(), s.ListeMaillesSuivantes[c]->end());
    }
}

std::vector<std::size_t> orienterVersExterieur(Simplex &s)
{
    const std::size_t n = s.ListeMailles.size();
    std::unordered_map<CleArete, std::vector<Cote>, HachageArete> aretes;
    aretes.reserve(3 * s.ListePointsSimplex.size());
    for (std::size_t c = 0; c < n; ++c) {
        const Maille &m = *s.ListeMailles[c];
        for (std::size_t j = 0; j < m.size(); ++j) {
            const PointSimplex *a = m[j], *b = m[(j + 1) % m.size()];
            if (a == b)
                continue;
            const bool montant = std::less<const PointSimplex *>()(a, b);
            aretes[montant ? CleArete{a, b} : CleArete{b, a}].push_back({c, montant});
        }
    }
    // Walk from cell to cell across shared edges: two cells sharing an edge
    // agree when they walk it in opposite directions.
    std::vector<char> vu(n, 0), inverse(n, 0);
    std::vector<std::size_t> file;
    for (std::size_t depart = 0; depart < n; ++depart) {
        if (vu[depart])
            continue;
        vu[depart] = 1;
        file.assign(1, depart);
        while (!file.empty()) {
            const std::size_t c = file.back();
            file.pop_back();
            const Maille &m = *s.ListeMailles[c];
            for (std::size_t j = 0; j < m.size(); ++j) {
                const PointSimplex *a = m[j], *b = m[(j + 1) % m.size()];
                if (a == b)
                    continue;
                const bool montant = std::less<const PointSimplex *>()(a, b);
                const auto &cotes = aretes[montant ? CleArete{a, b} : CleArete{b, a}];
                if (cotes.size() != 2)
                    continue; // not a manifold edge: nothing to learn from it
                const Cote &autre = cotes[0].maille == c ? cotes[1] : cotes[0];
                if (vu[autre.maille])
                    continue;
                const bool effectif = montant != static_cast<bool>(inverse[c]);
                inverse[autre.maille] = autre.montant == effectif; // must walk it the other way
                vu[autre.maille] = 1;
                file.push_back(autre.maille);
            }
        }
    }
    std::vector<std::size_t> inversees;
    for (std::size_t c = 0; c < n; ++c)
        if (inverse[c])
            inversees.push_back(c);
    inverserMailles(s, inversees);
    // Consistent now; outward when the enclosed volume is positive.
    if (volumeSigne(s) < 0) {
        std::vector<std::size_t> toutes(n);
        for (std::size_t c = 0; c < n; ++c)
            toutes[c] = c;
        inverserMailles(s, toutes);
        inversees.clear();
        for (std::size_t c = 0; c < n; ++c)
            if (!inverse[c])
                inversees.push_back(c);
    }
    return inversees;
}
