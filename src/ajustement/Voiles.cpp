#include "Voiles.h"
#include "Vecteurs.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>

std::vector<char> pointsMinces(const std::vector<point3> &X, const std::vector<point3> &N,
                               const std::vector<char> &candidats, double epaisseur, std::vector<int> *enFace)
{
    const std::size_t n = X.size();
    auto cellule = [&](const point3 &p) {
        return std::array<long long, 3>{static_cast<long long>(std::floor(p.x / epaisseur)),
                                        static_cast<long long>(std::floor(p.y / epaisseur)),
                                        static_cast<long long>(std::floor(p.z / epaisseur))};
    };
    auto cle = [](const std::array<long long, 3> &c) {
        return static_cast<std::uint64_t>(c[0] * 73856093LL ^ c[1] * 19349663LL ^ c[2] * 83492791LL);
    };
    std::unordered_map<std::uint64_t, std::vector<int>> grille;
    for (std::size_t i = 0; i < n; ++i)
        grille[cle(cellule(X[i]))].push_back(static_cast<int>(i));

    std::vector<char> mince(n, 0);
    if (enFace)
        enFace->assign(n, -1);
    for (std::size_t i = 0; i < n; ++i) {
        if (!candidats[i])
            continue;
        const std::array<long long, 3> c = cellule(X[i]);
        for (int d = 0; d < 27 && !mince[i]; ++d) {
            auto it = grille.find(cle({c[0] + d % 3 - 1, c[1] + d / 3 % 3 - 1, c[2] + d / 9 - 1}));
            if (it == grille.end())
                continue;
            for (int q : it->second) {
                const point3 u = X[q] - X[i];
                if (scal(u, u) <= epaisseur * epaisseur && scal(u, N[i]) < 0 && scal(N[q], N[i]) < -0.5) {
                    mince[i] = 1;
                    if (enFace)
                        (*enFace)[i] = q;
                    break;
                }
            }
        }
    }
    return mince;
}

namespace {

/// The mesh's own parts: each point's part (by its neighbours); returns their count.
std::size_t partiesDuMaillage(const ListesSimplexe &m, std::size_t n, std::vector<int> &composante)
{
    composante.assign(n, -1);
    std::size_t composantes = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (composante[i] < 0) {
            std::vector<int> pile{static_cast<int>(i)};
            composante[i] = static_cast<int>(composantes);
            while (!pile.empty()) {
                const int a = pile.back();
                pile.pop_back();
                for (int b : m.voisins[a])
                    if (composante[b] < 0) {
                        composante[b] = static_cast<int>(composantes);
                        pile.push_back(b);
                    }
            }
            ++composantes;
        }
    return composantes;
}

/// Notches filled (a point with two neighbours in the region joins it) and a cell the rim would
/// pass twice taken whole, until nothing changes.
void remplirLesEncoches(std::vector<char> &region, const ListesSimplexe &m)
{
    const std::size_t n = region.size();
    for (bool change = true; change;) {
        change = false;
        for (std::size_t i = 0; i < n; ++i) {
            const auto &v = m.voisins[i];
            if (!region[i] && region[v[0]] + region[v[1]] + region[v[2]] >= 2) {
                region[i] = 1;
                change = true;
            }
        }
        for (const std::vector<int> &c : m.mailles) {
            int passages = 0;
            for (std::size_t k = 0; k < c.size(); ++k)
                passages += region[c[k]] != region[c[(k + 1) % c.size()]];
            if (passages > 2) {
                for (int i : c)
                    region[i] = 1;
                change = true;
            }
        }
    }
}

/// The parts left out of the region: each point's (-1 in the region), each part's size and the
/// points of it the cloud draws, and per part of the mesh its largest such part (`gardee`).
struct PartiesGardees
{
    std::vector<int> partie;
    std::vector<std::size_t> tailles, tirees;
    std::vector<int> gardee;
};

PartiesGardees partiesHorsRegion(const std::vector<char> &region, const ListesSimplexe &m,
                                 const std::vector<char> &tires, const std::vector<int> &composante,
                                 std::size_t composantes)
{
    const std::size_t n = region.size();
    PartiesGardees r;
    r.partie.assign(n, -1);
    r.gardee.assign(composantes, -1);
    for (std::size_t i = 0; i < n; ++i) {
        if (region[i] || r.partie[i] >= 0)
            continue;
        const int p = static_cast<int>(r.tailles.size());
        std::size_t taille = 0, tiree = 0;
        std::vector<int> pile{static_cast<int>(i)};
        r.partie[i] = p;
        while (!pile.empty()) {
            const int a = pile.back();
            pile.pop_back();
            ++taille;
            tiree += !tires.empty() && tires[static_cast<std::size_t>(a)];
            for (int b : m.voisins[a])
                if (!region[b] && r.partie[b] < 0) {
                    r.partie[b] = p;
                    pile.push_back(b);
                }
        }
        r.tailles.push_back(taille);
        r.tirees.push_back(tiree);
        int &g = r.gardee[static_cast<std::size_t>(composante[i])];
        if (g < 0 || taille > r.tailles[static_cast<std::size_t>(g)])
            g = p;
    }
    return r;
}

/// The stretches of region that touch a part the cloud draws (other than the kept one) given
/// back, whole. False when there is none.
bool rendreLesPartiesTirees(std::vector<char> &region, const ListesSimplexe &m, const PartiesGardees &g,
                            const std::vector<int> &composante)
{
    std::vector<int> pile;
    for (std::size_t i = 0; i < region.size(); ++i)
        if (g.partie[i] >= 0 && g.partie[i] != g.gardee[static_cast<std::size_t>(composante[i])] &&
            g.tirees[static_cast<std::size_t>(g.partie[i])] >= PART_TIREE)
            for (int b : m.voisins[i])
                if (region[b]) {
                    region[b] = 0;
                    pile.push_back(b);
                }
    if (pile.empty())
        return false;
    while (!pile.empty()) {
        const int a = pile.back();
        pile.pop_back();
        for (int b : m.voisins[a])
            if (region[b]) {
                region[b] = 0;
                pile.push_back(b);
            }
    }
    return true;
}

} // namespace

void arrondir(std::vector<char> &region, const ListesSimplexe &m, const std::vector<char> &tires)
{
    const std::size_t n = region.size();
    // The mesh's own parts: what is kept is judged within each, the others left whole.
    std::vector<int> composante;
    const std::size_t composantes = partiesDuMaillage(m, n, composante);
    for (;;) {
        remplirLesEncoches(region, m);
        const PartiesGardees g = partiesHorsRegion(region, m, tires, composante, composantes);
        if (g.tailles.empty())
            return;
        // The stretches of region that touch a part the cloud draws are given back, whole; the
        // rounding then starts again on what is left. (The parts are those found above: a point
        // given back here has none.)
        if (!rendreLesPartiesTirees(region, m, g, composante)) {
            for (std::size_t i = 0; i < n; ++i)
                region[i] = region[i] || g.partie[i] != g.gardee[static_cast<std::size_t>(composante[i])];
            return;
        }
    }
}

/// The dual triangle of each point: its three cells, in the order the cells run.
bool trianglesDuaux(const ListesSimplexe &m, std::vector<std::array<int, 3>> &triangles)
{
    const std::size_t n = m.positions.size();
    std::vector<std::vector<std::pair<int, int>>> autour(n); // (cell, rank of the point in it)
    for (std::size_t c = 0; c < m.mailles.size(); ++c)
        for (std::size_t k = 0; k < m.mailles[c].size(); ++k)
            autour[m.mailles[c][k]].push_back({static_cast<int>(c), static_cast<int>(k)});
    auto voisinDans = [&](const std::pair<int, int> &ck, int sens) {
        const std::vector<int> &c = m.mailles[ck.first];
        return c[(ck.second + c.size() + sens) % c.size()];
    };
    triangles.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (autour[i].size() != 3)
            return false;
        // Round the point: the cell after one is the one that leaves the point towards the
        // neighbour the first one comes from.
        std::pair<int, int> courante = autour[i][0];
        triangles[i][0] = courante.first;
        for (int k = 1; k < 3; ++k) {
            const int venu = voisinDans(courante, -1);
            auto it = std::find_if(autour[i].begin(), autour[i].end(),
                                   [&](const std::pair<int, int> &ck) { return voisinDans(ck, +1) == venu; });
            if (it == autour[i].end() || it->first == courante.first)
                return false;
            courante = *it;
            triangles[i][k] = courante.first;
        }
    }
    return true;
}

bool jumeauxDesAretes(const std::vector<std::array<int, 3>> &triangles, std::vector<int> &jumeaux)
{
    // The half-edges from each vertex (their far end and triangle), in the triangles' order: the
    // same half-edge twice is an edge used twice the same way; a twin is among the far end's.
    int sommets = 0;
    for (const std::array<int, 3> &t : triangles)
        for (int v : t) {
            if (v < 0)
                return false;
            sommets = std::max(sommets, v + 1);
        }
    std::vector<std::size_t> debut(static_cast<std::size_t>(sommets) + 1, 0);
    for (const std::array<int, 3> &t : triangles)
        for (int v : t)
            ++debut[static_cast<std::size_t>(v) + 1];
    for (std::size_t v = 0; v < static_cast<std::size_t>(sommets); ++v)
        debut[v + 1] += debut[v];
    std::vector<std::pair<int, int>> depuis(debut.back()); // far end, triangle
    std::vector<std::size_t> place(debut.begin(), debut.end() - 1);
    for (std::size_t t = 0; t < triangles.size(); ++t)
        for (int k = 0; k < 3; ++k)
            depuis[place[static_cast<std::size_t>(triangles[t][k])]++] = {triangles[t][(k + 1) % 3],
                                                                          static_cast<int>(t)};
    jumeaux.assign(3 * triangles.size(), -1);
    for (std::size_t t = 0; t < triangles.size(); ++t)
        for (int k = 0; k < 3; ++k) {
            const std::size_t a = static_cast<std::size_t>(triangles[t][k]),
                              b = static_cast<std::size_t>(triangles[t][(k + 1) % 3]);
            int memes = 0;
            for (std::size_t e = debut[a]; e < debut[a + 1]; ++e)
                memes += depuis[e].first == static_cast<int>(b);
            if (memes > 1)
                return false;
            for (std::size_t e = debut[b]; e < debut[b + 1]; ++e)
                if (depuis[e].first == static_cast<int>(a))
                    jumeaux[3 * t + static_cast<std::size_t>(k)] = depuis[e].second;
        }
    return true;
}

/// The rims of the cut: each a cycle of vertices, running against the kept triangles' edges.
bool rebords(const std::vector<std::array<int, 3>> &triangles, const std::vector<char> &coupe,
             std::vector<std::vector<int>> &bords)
{
    bords.clear();
    std::vector<int> jumeaux;
    return jumeauxDesAretes(triangles, jumeaux) && rebords(triangles, jumeaux, coupe, bords);
}

bool rebords(const std::vector<std::array<int, 3>> &triangles, const std::vector<int> &jumeaux,
             const std::vector<char> &coupe, std::vector<std::vector<int>> &bords)
{
    bords.clear();
    if (jumeaux.size() != 3 * triangles.size())
        return false;
    std::map<int, int> suivant; // along the kept triangles' edges whose twin is cut
    for (std::size_t t = 0; t < triangles.size(); ++t) {
        if (coupe[t])
            continue;
        for (int k = 0; k < 3; ++k) {
            const int a = triangles[t][k], b = triangles[t][(k + 1) % 3];
            const int jumeau = jumeaux[3 * t + static_cast<std::size_t>(k)];
            if (jumeau < 0)
                return false;
            if (coupe[static_cast<std::size_t>(jumeau)] && !suivant.emplace(a, b).second)
                return false; // the rim would pass this vertex twice
        }
    }
    std::set<int> vus;
    for (const auto &depart : suivant) {
        if (vus.count(depart.first))
            continue;
        std::vector<int> bord;
        for (int v = depart.first; vus.insert(v).second;) {
            bord.push_back(v);
            const auto it = suivant.find(v);
            if (it == suivant.end())
                return false;
            v = it->second;
        }
        if (bord.empty() || suivant.at(bord.back()) != depart.first)
            return false;
        // The patch runs the other way, so that its edges are the twins of the rim's.
        std::reverse(bord.begin(), bord.end());
        bords.push_back(std::move(bord));
    }
    return true;
}

std::vector<point3> centresDesMailles(const std::vector<point3> &positions,
                                      const std::vector<std::vector<int>> &mailles)
{
    std::vector<point3> centres(mailles.size(), point3(0, 0, 0));
    for (std::size_t c = 0; c < centres.size(); ++c) {
        for (int i : mailles[c])
            centres[c] += positions[i];
        centres[c] = fois(centres[c], 1.0 / static_cast<double>(std::max<std::size_t>(1, mailles[c].size())));
    }
    return centres;
}

std::vector<point3> centresDesMailles(const ListesSimplexe &maillage)
{
    return centresDesMailles(maillage.positions, maillage.mailles);
}

std::set<PaireSommets> aretesGardees(const std::vector<std::array<int, 3>> &triangles, const std::vector<char> &coupe)
{
    std::set<PaireSommets> gardees;
    for (std::size_t t = 0; t < triangles.size(); ++t)
        if (!coupe[t])
            for (int k = 0; k < 3; ++k)
                gardees.insert(std::minmax(triangles[t][k], triangles[t][(k + 1) % 3]));
    return gardees;
}

bool boucher(const std::vector<int> &P, const std::vector<point3> &sommets, const std::set<PaireSommets> &aretes,
             std::vector<std::array<int, 3>> &ajout)
{
    const std::size_t m = P.size();
    if (m < 3 || m > 400) // the search grows with the cube of the rim's length
        return false;
    const double infini = std::numeric_limits<double>::infinity();
    std::vector<double> W(m * m, 0);
    std::vector<int> K(m * m, -1);
    for (std::size_t l = 2; l < m; ++l)
        for (std::size_t a = 0; a + l < m; ++a) {
            const std::size_t b = a + l;
            double &w = W[a * m + b];
            w = infini;
            if (b - a < m - 1 && aretes.count(std::minmax(P[a], P[b])))
                continue;
            for (std::size_t k = a + 1; k < b; ++k) {
                const double aire = norme(vect(sommets[P[k]] - sommets[P[a]], sommets[P[b]] - sommets[P[a]]));
                const double total = W[a * m + k] + W[k * m + b] + aire;
                if (total < w) {
                    w = total;
                    K[a * m + b] = static_cast<int>(k);
                }
            }
        }
    if (!std::isfinite(W[m - 1]))
        return false;
    std::vector<std::pair<std::size_t, std::size_t>> pile{{0, m - 1}};
    while (!pile.empty()) {
        const auto [a, b] = pile.back();
        pile.pop_back();
        if (b - a < 2)
            continue;
        const std::size_t k = static_cast<std::size_t>(K[a * m + b]);
        ajout.push_back({P[a], P[k], P[b]});
        pile.push_back({a, k});
        pile.push_back({k, b});
    }
    return true;
}

/// The simplex mesh dual to a closed triangle mesh: one point per triangle, one cell per vertex
/// (the triangles round it, in order). False when the triangles do not make one closed surface
/// without singular vertices.
bool dual(const std::vector<std::array<int, 3>> &triangles, std::size_t nbSommets, ListesSimplexe &m)
{
    std::vector<int> jumeaux;
    if (!jumeauxDesAretes(triangles, jumeaux))
        return false;
    std::vector<int> unTriangle(nbSommets, -1);
    m.voisins.assign(triangles.size(), {-1, -1, -1});
    for (std::size_t t = 0; t < triangles.size(); ++t)
        for (int k = 0; k < 3; ++k) {
            const int a = triangles[t][k], jumeau = jumeaux[3 * t + static_cast<std::size_t>(k)];
            if (jumeau < 0 || static_cast<std::size_t>(a) >= nbSommets)
                return false;
            m.voisins[t][k] = jumeau;
            unTriangle[static_cast<std::size_t>(a)] = static_cast<int>(t);
        }
    std::vector<int> parSommet(nbSommets, 0);
    for (const auto &t : triangles)
        for (int v : t)
            ++parSommet[v];
    m.mailles.assign(nbSommets, {});
    for (std::size_t v = 0; v < nbSommets; ++v) {
        std::vector<int> &cycle = m.mailles[v];
        for (int t = unTriangle[v]; t >= 0;) {
            cycle.push_back(t);
            // Past the edge that leaves v in triangle t: the next triangle round v.
            const auto &f = triangles[t];
            const int k = static_cast<int>(std::find(f.begin(), f.end(), static_cast<int>(v)) - f.begin());
            t = m.voisins[t][k];
            if (t == unTriangle[v] || static_cast<int>(cycle.size()) > parSommet[v])
                break;
        }
        if (static_cast<int>(cycle.size()) != parSommet[v] || cycle.size() < 3)
            return false;
    }
    return true;
}

int couperVoiles(const ListesSimplexe &maillage, const std::vector<point3> &normales,
                 const std::vector<char> &candidats, double epaisseur, double maximum, ListesSimplexe &resultat,
                 const std::vector<char> &tires)
{
    const std::size_t n = maillage.positions.size();
    std::vector<char> coupe = pointsMinces(maillage.positions, normales, candidats, epaisseur, nullptr);
    if (std::count(coupe.begin(), coupe.end(), 1) < 10)
        return 0;
    arrondir(coupe, maillage, tires);
    const long nombre = std::count(coupe.begin(), coupe.end(), 1);
    if (nombre == 0 || static_cast<double>(nombre) > maximum * static_cast<double>(n))
        return 0;

    std::vector<std::array<int, 3>> triangles;
    std::vector<std::vector<int>> bords;
    if (!trianglesDuaux(maillage, triangles) || !rebords(triangles, coupe, bords))
        return 0;
    const std::vector<point3> centres = centresDesMailles(maillage);
    const std::set<PaireSommets> gardees = aretesGardees(triangles, coupe);
    std::vector<std::array<int, 3>> ajout;
    for (const std::vector<int> &bord : bords)
        if (!boucher(bord, centres, gardees, ajout))
            return 0;

    // A web's two sheets give way to the narrow strips that sew its root: far less surface. A
    // patch about as large as what it replaces took out a stretch of one sheet, which would
    // only grow back.
    auto aire = [&](const std::array<int, 3> &t) {
        return norme(vect(centres[t[1]] - centres[t[0]], centres[t[2]] - centres[t[0]]));
    };
    double enlevee = 0, posee = 0;
    for (std::size_t t = 0; t < n; ++t)
        if (coupe[t])
            enlevee += aire(triangles[t]);
    for (const auto &t : ajout)
        posee += aire(t);
    if (!(posee < 0.5 * enlevee))
        return 0;

    // The kept triangles first, in their order, then the patches; vertices numbered as met.
    std::vector<int> numero(centres.size(), -1);
    std::vector<point3> sommets;
    std::vector<std::array<int, 3>> faces;
    std::vector<point3> positions;
    auto sommet = [&](int c) {
        if (numero[c] < 0) {
            numero[c] = static_cast<int>(sommets.size());
            sommets.push_back(centres[c]);
        }
        return numero[c];
    };
    for (std::size_t t = 0; t < n; ++t)
        if (!coupe[t]) {
            faces.push_back({sommet(triangles[t][0]), sommet(triangles[t][1]), sommet(triangles[t][2])});
            positions.push_back(maillage.positions[t]);
        }
    for (const auto &t : ajout) {
        faces.push_back({sommet(t[0]), sommet(t[1]), sommet(t[2])});
        positions.push_back(fois(centres[t[0]] + centres[t[1]] + centres[t[2]], 1.0 / 3));
    }
    // Same kind of surface as before: V - E + F unchanged (E = 3F / 2 on a closed mesh).
    const long avant = static_cast<long>(maillage.mailles.size()) - static_cast<long>(n) / 2;
    const long apres = static_cast<long>(sommets.size()) - static_cast<long>(faces.size()) / 2;
    ListesSimplexe nouveau;
    if (avant != apres || !dual(faces, sommets.size(), nouveau))
        return 0;
    nouveau.positions = std::move(positions);
    resultat = std::move(nouveau);
    return static_cast<int>(nombre);
}
