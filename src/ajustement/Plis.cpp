#include "Plis.h"
#include "Voiles.h"
#include "Croisements.h"
#include "Parallele.h"
#include "TableAjustement.h"
#include "distance.h"
#include "Vecteurs.h"

#include <algorithm>
#include <array>
#include <utility>

void triangulerEnEventail(const std::vector<point3> &positions, const std::vector<std::vector<int>> &mailles,
                          std::vector<point3> &sommets, std::vector<std::array<int, 3>> &faces)
{
    sommets = positions;
    faces.clear();
    const std::vector<point3> centres = centresDesMailles(positions, mailles);
    for (std::size_t c = 0; c < mailles.size(); ++c) {
        const std::vector<int> &cellule = mailles[c];
        if (cellule.size() < 3)
            continue;
        const int centre = static_cast<int>(sommets.size());
        sommets.push_back(centres[c]);
        for (std::size_t k = 0; k < cellule.size(); ++k)
            faces.push_back({centre, cellule[k], cellule[(k + 1) % cellule.size()]});
    }
}

namespace {

/// Whether every index of the cells and the neighbours names a point of the mesh.
bool indicesValides(const ListesSimplexe &maillage)
{
    const std::size_t n = maillage.positions.size();
    for (const std::vector<int> &c : maillage.mailles)
        for (int i : c)
            if (i < 0 || static_cast<std::size_t>(i) >= n)
                return false;
    for (const std::array<int, 3> &v : maillage.voisins)
        for (int j : v)
            if (j < 0 || static_cast<std::size_t>(j) >= n)
                return false;
    return true;
}

/// What holds the points to the data while the folds are undone: the cells of each point, the
/// first triangle of each cell's fan, and the cloud points on each cell (their nearest triangle
/// is of its fan) with their distance to it on entry.
struct Tenue
{
    const ListesSimplexe &maillage;
    const std::vector<point3> &nuage;
    std::vector<std::size_t> premier;
    std::vector<std::vector<int>> cellulesDe;
    std::vector<std::vector<std::size_t>> surLaCellule;
    std::vector<double> ecart;

    Tenue(const ListesSimplexe &m, const std::vector<point3> &c) : maillage(m), nuage(c) {}

    /// The first triangle of each cell, the cells of each point.
    void compter()
    {
        premier.assign(maillage.mailles.size() + 1, 0);
        cellulesDe.assign(maillage.positions.size(), {});
        for (std::size_t c = 0; c < maillage.mailles.size(); ++c) {
            const std::vector<int> &cellule = maillage.mailles[c];
            premier[c + 1] = premier[c];
            if (cellule.size() < 3)
                continue;
            premier[c + 1] += cellule.size();
            for (int i : cellule)
                cellulesDe[static_cast<std::size_t>(i)].push_back(static_cast<int>(c));
        }
    }

    /// The cloud points on each cell of the written surface (`sommets`, `faces`), and their
    /// distances.
    void poser(const std::vector<point3> &sommets, const std::vector<std::array<int, 3>> &faces, int fils);

    /// Point i at x, the others where they are: every cloud point on its cells no farther from
    /// the cell's fan than it was (`coins`: room for the work).
    bool tient(std::size_t i, const point3 &x, std::vector<point3> &coins) const;

    /// The triangles of the cells round a point that moved from `avant` (none: false).
    bool toucher(const std::vector<point3> &avant, std::vector<char> &touches) const;
};

void Tenue::poser(const std::vector<point3> &sommets, const std::vector<std::array<int, 3>> &faces, int fils)
{
    surLaCellule.assign(maillage.mailles.size(), {});
    ecart.assign(nuage.size(), 0);
    if (nuage.empty() || faces.empty())
        return;
    const ArbreTriangles arbre(sommets, faces, fils);
    std::vector<std::size_t> face(nuage.size(), faces.size());
    enParallele(nuage.size(), fils, [&](std::size_t debut, std::size_t fin) {
        std::size_t t = arbre.taille();
        for (std::size_t r = debut; r < fin; ++r) {
            ecart[r] = arbre.distance(nuage[r], t);
            if (t < arbre.taille())
                face[r] = arbre.face(t);
        }
    });
    std::vector<std::size_t> celluleDe(faces.size());
    for (std::size_t c = 0; c < maillage.mailles.size(); ++c)
        std::fill(celluleDe.begin() + static_cast<std::ptrdiff_t>(premier[c]),
                  celluleDe.begin() + static_cast<std::ptrdiff_t>(premier[c + 1]), c);
    for (std::size_t r = 0; r < nuage.size(); ++r)
        if (face[r] < faces.size())
            surLaCellule[celluleDe[face[r]]].push_back(r);
}

bool Tenue::tient(std::size_t i, const point3 &x, std::vector<point3> &coins) const
{
    for (const int c : cellulesDe[i]) {
        const std::vector<int> &cellule = maillage.mailles[static_cast<std::size_t>(c)];
        coins.clear();
        point3 g(0, 0, 0);
        for (int k : cellule) {
            coins.push_back(static_cast<std::size_t>(k) == i ? x : maillage.positions[static_cast<std::size_t>(k)]);
            g += coins.back();
        }
        g = fois(g, 1.0 / static_cast<double>(cellule.size()));
        for (std::size_t r : surLaCellule[static_cast<std::size_t>(c)]) {
            bool proche = false;
            for (std::size_t k = 0; k < coins.size() && !proche; ++k)
                proche = distanceCarreePointTriangle(nuage[r], g, coins[k], coins[(k + 1) % coins.size()]) <=
                         ecart[r] * ecart[r];
            if (!proche)
                return false;
        }
    }
    return true;
}

bool Tenue::toucher(const std::vector<point3> &avant, std::vector<char> &touches) const
{
    bool bouges = false;
    for (std::size_t i = 0; i < avant.size(); ++i)
        if (!(maillage.positions[i] == avant[i])) {
            bouges = true;
            for (const int c : cellulesDe[i]) {
                const std::size_t m = static_cast<std::size_t>(c);
                std::fill(touches.begin() + static_cast<std::ptrdiff_t>(premier[m]),
                          touches.begin() + static_cast<std::ptrdiff_t>(premier[m + 1]), 1);
            }
        }
    return bouges;
}

/// The points of the triangles in `croisees` drawn towards the mean of their neighbours, each as
/// far (half the way, a quarter, an eighth) as `tenue` allows, all from the same state.
void rapprocher(ListesSimplexe &maillage, const std::vector<std::array<int, 3>> &faces,
                const std::vector<std::pair<int, int>> &croisees, const Tenue &tenue, int fils)
{
    const std::size_t n = maillage.positions.size();
    std::vector<char> bouge(n, 0);
    for (const auto &[a, b] : croisees)
        for (const int f : {a, b}) {
            const std::array<int, 3> &t = faces[static_cast<std::size_t>(f)];
            bouge[static_cast<std::size_t>(t[1])] = bouge[static_cast<std::size_t>(t[2])] = 1;
        }
    const std::vector<point3> &avant = maillage.positions;
    std::vector<point3> nouvelles = avant;
    // Each point's move is written at its own index: the threads share them freely.
    enParallele(n, fils, [&](std::size_t debut, std::size_t fin) {
        std::vector<point3> coins;
        for (std::size_t i = debut; i < fin; ++i)
            if (bouge[i]) {
                const std::array<int, 3> &v = maillage.voisins[i];
                const point3 moyenne = fois(avant[v[0]] + avant[v[1]] + avant[v[2]], 1.0 / 3);
                for (double part = 0.5; part > PART_DE_DEPLI_MINIMALE; part *= 0.5)
                    if (const point3 x = avant[i] + fois(moyenne - avant[i], part); tenue.tient(i, x, coins)) {
                        nouvelles[i] = x;
                        break;
                    }
            }
    });
    maillage.positions.swap(nouvelles);
}

} // namespace

std::size_t deplisser(ListesSimplexe &maillage, int tours, int fils, const std::vector<point3> &nuage)
{
    const std::size_t n = maillage.positions.size();
    if (n == 0 || maillage.voisins.size() != n || !indicesValides(maillage))
        return 0;
    Tenue tenue(maillage, nuage);
    tenue.compter();
    std::vector<point3> sommets;
    std::vector<std::array<int, 3>> faces;
    triangulerEnEventail(maillage.positions, maillage.mailles, sommets, faces);
    tenue.poser(sommets, faces, fils);
    std::vector<std::pair<int, int>> croisees = trianglesQuiSeCroisent(sommets, faces, fils);
    for (int tour = 0; tour < tours && !croisees.empty(); ++tour) {
        std::vector<char> touches(faces.size(), 0);
        const std::vector<point3> avant = maillage.positions;
        rapprocher(maillage, faces, croisees, tenue, fils);
        if (!tenue.toucher(avant, touches))
            break;
        // Only the triangles round a moved point are tested again.
        triangulerEnEventail(maillage.positions, maillage.mailles, sommets, faces);
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
