#include "Plis.h"
#include "ArbrePoints.h"
#include "Chirurgie.h"
#include "Parallele.h"
#include "Vecteurs.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// The fanned triangulation: the points, then the centre of each cell; the triangles cell by cell.
void triangulerEnEventail(const ListesSimplexe &m, std::vector<point3> &sommets,
                          std::vector<std::array<int, 3>> &faces)
{
    sommets = m.positions;
    faces.clear();
    const std::vector<point3> centres = centresDesMailles(m);
    for (std::size_t c = 0; c < m.mailles.size(); ++c) {
        const std::vector<int> &cellule = m.mailles[c];
        if (cellule.size() < 3)
            continue;
        const int centre = static_cast<int>(sommets.size());
        sommets.push_back(centres[c]);
        for (std::size_t k = 0; k < cellule.size(); ++k)
            faces.push_back({centre, cellule[k], cellule[(k + 1) % cellule.size()]});
    }
}

} // namespace

std::size_t deplisser(ListesSimplexe &maillage, int tours, int fils, const std::vector<point3> &nuage, double portee)
{
    const std::size_t n = maillage.positions.size();
    if (n == 0 || maillage.voisins.size() != n)
        return 0;
    for (const std::vector<int> &c : maillage.mailles)
        for (int i : c)
            if (i < 0 || static_cast<std::size_t>(i) >= n)
                return 0;
    for (const std::array<int, 3> &v : maillage.voisins)
        for (int j : v)
            if (j < 0 || static_cast<std::size_t>(j) >= n)
                return 0;
    // The first triangle of each cell, the cells of each point.
    std::vector<std::size_t> premier(maillage.mailles.size() + 1, 0);
    std::vector<std::vector<int>> cellulesDe(n);
    for (std::size_t c = 0; c < maillage.mailles.size(); ++c) {
        const std::vector<int> &cellule = maillage.mailles[c];
        premier[c + 1] = premier[c];
        if (cellule.size() < 3)
            continue;
        premier[c + 1] += cellule.size();
        for (int i : cellule)
            cellulesDe[static_cast<std::size_t>(i)].push_back(static_cast<int>(c));
    }
    // The cloud points each point holds (those nearest to it), and how far the farthest of them
    // may be once it has moved: as far as it is, or `portee`.
    std::vector<std::vector<std::size_t>> tenus(n);
    std::vector<double> permis(n, portee * portee);
    if (!nuage.empty()) {
        const ArbrePoints arbre(maillage.positions, fils);
        std::vector<long> proche(nuage.size(), -1);
        enParallele(nuage.size(), fils, [&](std::size_t debut, std::size_t fin) {
            double d2;
            for (std::size_t r = debut; r < fin; ++r)
                proche[r] = arbre.plusProche(nuage[r], d2);
        });
        for (std::size_t r = 0; r < nuage.size(); ++r)
            if (proche[r] >= 0) {
                const std::size_t i = static_cast<std::size_t>(proche[r]);
                tenus[i].push_back(r);
                permis[i] = std::max(permis[i], carre(nuage[r] - maillage.positions[i]));
            }
    }
    auto tient = [&](std::size_t i, const point3 &x) {
        for (std::size_t r : tenus[i])
            if (carre(nuage[r] - x) > permis[i])
                return false;
        return true;
    };
    std::vector<point3> sommets;
    std::vector<std::array<int, 3>> faces;
    triangulerEnEventail(maillage, sommets, faces);
    std::vector<std::pair<int, int>> croisees = trianglesQuiSeCroisent(sommets, faces, fils);
    for (int tour = 0; tour < tours && !croisees.empty(); ++tour) {
        std::vector<char> bouge(n, 0), touches(faces.size(), 0);
        for (const auto &[a, b] : croisees)
            for (const int f : {a, b})
                for (int k = 1; k < 3; ++k) {
                    const int i = faces[static_cast<std::size_t>(f)][static_cast<std::size_t>(k)];
                    bouge[static_cast<std::size_t>(i)] = 1;
                    for (const int c : cellulesDe[static_cast<std::size_t>(i)])
                        std::fill(touches.begin() + static_cast<std::ptrdiff_t>(premier[static_cast<std::size_t>(c)]),
                                  touches.begin() + static_cast<std::ptrdiff_t>(premier[static_cast<std::size_t>(c) + 1]),
                                  1);
                }
        const std::vector<point3> avant = maillage.positions;
        for (std::size_t i = 0; i < n; ++i)
            if (bouge[i]) {
                const std::array<int, 3> &v = maillage.voisins[i];
                const point3 moyenne = fois(avant[v[0]] + avant[v[1]] + avant[v[2]], 1.0 / 3);
                for (double part = 0.5; part > 0.1; part *= 0.5)
                    if (const point3 x = avant[i] + fois(moyenne - avant[i], part); tient(i, x)) {
                        maillage.positions[i] = x;
                        break;
                    }
            }
        triangulerEnEventail(maillage, sommets, faces);
        std::vector<std::pair<int, int>> apres = trianglesQuiSeCroisent(sommets, faces, fils, &touches);
        for (const std::pair<int, int> &p : croisees)
            if (!touches[static_cast<std::size_t>(p.first)] && !touches[static_cast<std::size_t>(p.second)])
                apres.push_back(p);
        if (apres.size() >= croisees.size()) {
            maillage.positions = avant;
            break;
        }
        std::sort(apres.begin(), apres.end());
        croisees.swap(apres);
    }
    return croisees.size();
}
