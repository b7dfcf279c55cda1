#include "ListesSimplexe.h"
#include "Simplex.h"

#include <unordered_map>

ListesSimplexe listesDe(const Simplex &s)
{
    const std::size_t n = s.ListePointsSimplex.size();
    std::unordered_map<const PointSimplex *, int> indice;
    indice.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i)
        indice.emplace(s.ListePointsSimplex[i], static_cast<int>(i));
    ListesSimplexe l;
    l.positions.resize(n);
    l.voisins.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const PointSimplex *p = s.ListePointsSimplex[i];
        l.positions[i] = p->Position;
        const PointSimplex *v[3] = {p->Voisin1, p->Voisin2, p->Voisin3};
        for (int k = 0; k < 3; ++k) {
            auto it = indice.find(v[k]);
            l.voisins[i][k] = it == indice.end() ? static_cast<int>(i) : it->second;
        }
    }
    l.mailles.reserve(s.ListeMailles.size());
    for (const Maille *m : s.ListeMailles) {
        std::vector<int> c;
        c.reserve(m->size());
        for (const PointSimplex *p : *m) {
            auto it = indice.find(p);
            if (it != indice.end())
                c.push_back(it->second);
        }
        l.mailles.push_back(std::move(c));
    }
    return l;
}
