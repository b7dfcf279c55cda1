#include "Plis.h"
#include "Voiles.h"
#include "Croisements.h"
#include "Parallele.h"
#include "TableAjustement.h"
#include "distance.h"
#include "Vecteurs.h"
#include "Boite.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <unordered_set>
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

/// The first triangle of each cell's fan in the written surface (one more: their count), and the
/// cells of each point.
void compterLesEventails(const ListesSimplexe &m, std::vector<std::size_t> &premier,
                         std::vector<std::vector<int>> &cellulesDe)
{
    premier.assign(m.mailles.size() + 1, 0);
    cellulesDe.assign(m.positions.size(), {});
    for (std::size_t c = 0; c < m.mailles.size(); ++c) {
        const std::vector<int> &cellule = m.mailles[c];
        premier[c + 1] = premier[c];
        if (cellule.size() < 3)
            continue;
        premier[c + 1] += cellule.size();
        for (int i : cellule)
            cellulesDe[static_cast<std::size_t>(i)].push_back(static_cast<int>(c));
    }
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
    void compter() { compterLesEventails(maillage, premier, cellulesDe); }

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

namespace {

/// The written surface of a mesh and where its triangles come from: the first triangle of each
/// cell's fan, the cells of each point.
struct Eventail
{
    const ListesSimplexe &maillage;
    const FormesEcrites &commeEcrits;
    std::vector<std::vector<point3>> formes; // the vertices as each file holds them
    std::vector<point3> sommets;
    std::vector<std::array<int, 3>> faces;
    std::vector<std::size_t> premier;
    std::vector<std::vector<int>> cellulesDe;

    Eventail(const ListesSimplexe &m, const FormesEcrites &ecrits) : maillage(m), commeEcrits(ecrits)
    {
        compterLesEventails(m, premier, cellulesDe);
    }

    /// The written surface as it stands.
    void trianguler()
    {
        triangulerEnEventail(maillage.positions, maillage.mailles, sommets, faces);
        if (commeEcrits)
            formes = commeEcrits(sommets);
    }

    /// The pairs of `f` that cross in the first of the forms where some do (see
    /// trianglesQuiSeCroisent): none, when none crosses in any.
    std::vector<std::pair<int, int>> croiser(const std::vector<std::array<int, 3>> &f, const std::vector<char> *parmi,
                                             int fils) const
    {
        if (formes.empty())
            return trianglesQuiSeCroisent(sommets, f, fils, parmi);
        // The forms one after the other: those after the first that crosses are not needed.
        std::vector<std::pair<int, int>> toutes;
        for (const std::vector<point3> &v : formes) {
            toutes = trianglesQuiSeCroisent(v, f, fils, parmi);
            if (!toutes.empty())
                break;
        }
        return toutes;
    }

    std::size_t celluleDe(int face) const
    {
        return static_cast<std::size_t>(
            std::upper_bound(premier.begin(), premier.end(), static_cast<std::size_t>(face)) - premier.begin() - 1);
    }

    /// The cells holding a point of `points`.
    std::vector<char> cellulesDesPoints(const std::vector<char> &points) const
    {
        std::vector<char> cellules(maillage.mailles.size(), 0);
        for (std::size_t i = 0; i < points.size(); ++i)
            if (points[i])
                for (int c : cellulesDe[i])
                    cellules[static_cast<std::size_t>(c)] = 1;
        return cellules;
    }

    /// The crossing pairs of which one triangle at least is of a marked cell, the triangles tested
    /// being those whose box meets a cell of a grid that a marked triangle's box meets.
    std::vector<std::pair<int, int>> croiseesAutour(const std::vector<char> &cellules, int fils);
};

std::vector<std::pair<int, int>> Eventail::croiseesAutour(const std::vector<char> &cellules, int fils)
{
    trianguler();
    std::vector<char> marques(faces.size(), 0);
    std::size_t nombre = 0;
    double arete = 0;
    for (std::size_t c = 0; c < cellules.size(); ++c)
        if (cellules[c])
            for (std::size_t t = premier[c]; t < premier[c + 1]; ++t) {
                marques[t] = 1;
                ++nombre;
                arete += norme(sommets[static_cast<std::size_t>(faces[t][1])] - sommets[static_cast<std::size_t>(faces[t][2])]);
            }
    if (nombre == 0)
        return {};
    if (2 * nombre > faces.size())
        return croiser(faces, &marques, fils);
    // A grid of cells twice the marked triangles' mean edge: the triangles near them.
    const double h = 2 * arete / static_cast<double>(nombre);
    if (!(h > 0) || !std::isfinite(h))
        return croiser(faces, &marques, fils);
    const auto cases = [&](std::size_t t, auto &&f) {
        Boite b;
        for (int k : faces[t])
            b.ajouter(sommets[static_cast<std::size_t>(k)]);
        const double lo[3] = {b.min.x, b.min.y, b.min.z}, hi[3] = {b.max.x, b.max.y, b.max.z};
        long a[3], z[3];
        for (int d = 0; d < 3; ++d) {
            if (!std::isfinite(lo[d]) || !std::isfinite(hi[d]))
                return;
            a[d] = static_cast<long>(std::floor(lo[d] / h));
            z[d] = static_cast<long>(std::floor(hi[d] / h));
        }
        for (long x = a[0]; x <= z[0]; ++x)
            for (long y = a[1]; y <= z[1]; ++y)
                for (long w = a[2]; w <= z[2]; ++w)
                    if (f((static_cast<std::uint64_t>(x & 0x1fffff) << 42) | (static_cast<std::uint64_t>(y & 0x1fffff) << 21) |
                          static_cast<std::uint64_t>(w & 0x1fffff)))
                        return;
    };
    std::unordered_set<std::uint64_t> occupees;
    for (std::size_t t = 0; t < faces.size(); ++t)
        if (marques[t])
            cases(t, [&](std::uint64_t k) {
                occupees.insert(k);
                return false;
            });
    std::vector<int> proches;
    std::vector<std::array<int, 3>> sous;
    std::vector<char> sousMarques;
    for (std::size_t t = 0; t < faces.size(); ++t) {
        bool pres = marques[t] != 0;
        if (!pres)
            cases(t, [&](std::uint64_t k) { return pres = occupees.count(k) > 0; });
        if (pres) {
            proches.push_back(static_cast<int>(t));
            sous.push_back(faces[t]);
            sousMarques.push_back(marques[t]);
        }
    }
    std::vector<std::pair<int, int>> paires = croiser(sous, &sousMarques, fils);
    for (std::pair<int, int> &p : paires) // the order is kept: proches increases
        p = {proches[static_cast<std::size_t>(p.first)], proches[static_cast<std::size_t>(p.second)]};
    return paires;
}

/// The points marked, and those within `rayon` steps of them along the mesh's edges.
std::vector<char> etendre(std::vector<char> points, const std::vector<std::array<int, 3>> &voisins, int rayon)
{
    std::vector<int> front;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (points[i])
            front.push_back(static_cast<int>(i));
    for (int r = 0; r < rayon && !front.empty(); ++r) {
        std::vector<int> suivant;
        for (int i : front)
            for (int j : voisins[static_cast<std::size_t>(i)])
                if (!points[static_cast<std::size_t>(j)]) {
                    points[static_cast<std::size_t>(j)] = 1;
                    suivant.push_back(j);
                }
        front.swap(suivant);
    }
    return points;
}

/// Each point of the zone halfway to its neighbours' mean, `passes` times, all from the same state.
void lisserLaZone(std::vector<point3> &X, const std::vector<std::array<int, 3>> &voisins, const std::vector<int> &zone,
                  int passes, int fils)
{
    std::vector<point3> nouvelles(zone.size());
    for (int p = 0; p < passes; ++p) {
        enParallele(zone.size(), fils, [&](std::size_t debut, std::size_t fin) {
            for (std::size_t k = debut; k < fin; ++k) {
                const std::size_t i = static_cast<std::size_t>(zone[k]);
                const std::array<int, 3> &v = voisins[i];
                const point3 moyenne = fois(X[static_cast<std::size_t>(v[0])] + X[static_cast<std::size_t>(v[1])] +
                                                X[static_cast<std::size_t>(v[2])],
                                            1.0 / 3);
                nouvelles[k] = fois(X[i] + moyenne, 0.5);
            }
        });
        for (std::size_t k = 0; k < zone.size(); ++k)
            X[static_cast<std::size_t>(zone[k])] = nouvelles[k];
    }
}

/// The points of the cells of the triangles of `paires`.
void marquerLesCellules(const Eventail &e, const std::vector<std::pair<int, int>> &paires, std::vector<char> &points)
{
    for (const auto &[a, b] : paires)
        for (int t : {a, b})
            for (int i : e.maillage.mailles[e.celluleDe(t)])
                points[static_cast<std::size_t>(i)] = 1;
}

} // namespace

BilanDemelage demeler(ListesSimplexe &maillage, int fils, const std::function<bool()> &continuer,
                      const FormesEcrites &commeEcrits, const std::function<void(std::vector<point3> &)> &viser)
{
    BilanDemelage bilan;
    const std::size_t n = maillage.positions.size();
    if (n == 0 || maillage.voisins.size() != n || !indicesValides(maillage))
        return bilan;
    Eventail e(maillage, commeEcrits);
    e.trianguler();
    std::vector<std::pair<int, int>> croisees = e.croiser(e.faces, nullptr, fils);
    bilan.avant = bilan.apres = croisees.size();
    if (croisees.empty())
        return bilan;
    const std::vector<point3> cible = maillage.positions;
    const auto arreter = [&] {
        if (!continuer || continuer())
            return false;
        maillage.positions = cible;
        bilan.apres = bilan.avant;
        return true;
    };

    // A clean surface: the points round the crossings left smoothed, a few passes at a time, the
    // ring round them widening while crossings stay; every cell smoothed so far is tested again.
    std::vector<char> dansLaZone(n, 0);
    for (int essai = 0; !croisees.empty(); ++essai) {
        if (essai == ESSAIS_DU_DEMELAGE) { // given up: the mesh as it came
            maillage.positions = cible;
            return bilan;
        }
        std::vector<char> actifs(n, 0);
        marquerLesCellules(e, croisees, actifs);
        actifs = etendre(std::move(actifs), maillage.voisins, RAYON_DU_DEMELAGE + essai / ESSAIS_PAR_ANNEAU);
        std::vector<int> zone;
        for (std::size_t i = 0; i < n; ++i)
            if (actifs[i]) {
                zone.push_back(static_cast<int>(i));
                dansLaZone[i] = 1;
            }
        lisserLaZone(maillage.positions, maillage.voisins, zone, LISSAGES_PAR_ESSAI, fils);
        if (arreter())
            return bilan;
        // Pairs of cells this try left alone were clean, or their points would be in the zone.
        croisees = e.croiseesAutour(e.cellulesDesPoints(actifs), fils);
    }
    for (std::size_t i = 0; i < n; ++i)
        bilan.zone += dansLaZone[i];
    bilan.apres = 0;

    // Back towards `vers`, under the guard: each point of the zone tries the whole way; one held
    // tries half as far the next round, one that moved the same share again. False: stopped.
    std::vector<point3> propre;
    const auto revenir = [&](const std::vector<point3> &vers) {
    propre = maillage.positions;
    std::vector<double> part(n, 1.0);
    for (int tour = 0; tour < RETOURS_DU_DEMELAGE; ++tour) {
        std::vector<char> bouges(n, 0);
        bool bouge = false;
        for (std::size_t i = 0; i < n; ++i)
            if (dansLaZone[i] && !(propre[i] == vers[i]) && part[i] >= PART_DE_RETOUR_MINIMALE) {
                maillage.positions[i] = part[i] == 1.0 ? vers[i] : propre[i] + fois(vers[i] - propre[i], part[i]);
                bouges[i] = 1;
                bouge = true;
            }
        if (!bouge)
            break;
        for (;;) {
            if (arreter())
                return false;
            const std::vector<std::pair<int, int>> paires = e.croiseesAutour(e.cellulesDesPoints(bouges), fils);
            if (paires.empty())
                break;
            // Back go the moved corners of each crossing triangle; those of its whole cell when
            // none of its corners moved (its centre did).
            bool rendu = false;
            const auto rendre = [&](int i) {
                const std::size_t k = static_cast<std::size_t>(i);
                if (!bouges[k])
                    return false;
                maillage.positions[k] = propre[k];
                bouges[k] = 0;
                part[k] *= 0.5;
                return rendu = true;
            };
            for (const auto &[a, b] : paires)
                for (int t : {a, b}) {
                    const std::array<int, 3> &f = e.faces[static_cast<std::size_t>(t)];
                    const bool coins = rendre(f[1]) | rendre(f[2]);
                    if (!coins)
                        for (int i : maillage.mailles[e.celluleDe(t)])
                            rendre(i);
                }
            if (!rendu) { // cannot be: a pair found has a triangle of a cell that moved
                maillage.positions = propre;
                break;
            }
        }
        propre = maillage.positions;
    }
    return true;
    };
    if (!revenir(cible))
        return bilan;
    // Then the points of the zone settle on the data where the guard lets them.
    for (int reprise = 0; viser && reprise < REPRISES_DU_DEMELAGE; ++reprise) {
        std::vector<point3> vers = maillage.positions;
        viser(vers);
        for (std::size_t i = 0; i < n; ++i)
            if (!dansLaZone[i])
                vers[i] = maillage.positions[i];
        if (!revenir(vers))
            return bilan;
    }
    for (std::size_t i = 0; i < n; ++i)
        bilan.tenus += dansLaZone[i] && !(propre[i] == cible[i]);
    return bilan;
}
