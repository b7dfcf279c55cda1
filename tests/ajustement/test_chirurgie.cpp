// Parts and genus of triangle meshes; the handle and the neck cut on a small closed simplex mesh
// with exact counts, neighbours and orientation, and the changes they refuse; a surface settled
// on its cloud; its folds undone.

#include "ArbrePoints.h"
#include "Chirurgie.h"
#include "Plis.h"
#include "Reposer.h"
#include "distance.h"
#include "Topologie.h"
#include "Vecteurs.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <random>

namespace {

using Triangles = std::vector<std::array<int, 3>>;

// A closed surface of revolution: an apex, rings of k vertices (radius, height), an apex. The
// triangles of the top fan come first, then each band (2k), then the bottom fan.
struct Anneaux
{
    std::vector<point3> sommets;
    Triangles triangles;
    Anneaux(const std::vector<std::pair<double, double>> &anneaux, int k)
    {
        const int n = static_cast<int>(anneaux.size());
        sommets.push_back(point3(0, 0, anneaux.front().second + 1));
        for (const auto &[r, z] : anneaux)
            for (int i = 0; i < k; ++i)
                sommets.push_back(point3(r * std::cos(2 * M_PI * i / k), r * std::sin(2 * M_PI * i / k), z));
        sommets.push_back(point3(0, 0, anneaux.back().second - 1));
        auto v = [&](int j, int i) { return 1 + j * k + (i % k); };
        for (int i = 0; i < k; ++i)
            triangles.push_back({0, v(0, i), v(0, i + 1)});
        for (int j = 0; j + 1 < n; ++j)
            for (int i = 0; i < k; ++i) {
                triangles.push_back({v(j, i), v(j + 1, i), v(j + 1, i + 1)});
                triangles.push_back({v(j, i), v(j + 1, i + 1), v(j, i + 1)});
            }
        for (int i = 0; i < k; ++i)
            triangles.push_back({static_cast<int>(sommets.size()) - 1, v(n - 1, i + 1), v(n - 1, i)});
    }
    // The simplex mesh dual to it, each point at its triangle's centroid.
    ListesSimplexe simplexe() const
    {
        ListesSimplexe m;
        EXPECT_TRUE(dual(triangles, sommets.size(), m));
        for (const auto &t : triangles)
            m.positions.push_back(fois(sommets[t[0]] + sommets[t[1]] + sommets[t[2]], 1.0 / 3));
        return m;
    }
};

// Three distinct symmetric neighbours per point; every edge of a cell run once each way by two
// cells; the cells' cycles are made of neighbours. Returns the parts and genus of its dual.
TopologieSurface verifier(const ListesSimplexe &m)
{
    const int n = static_cast<int>(m.positions.size());
    for (int i = 0; i < n; ++i)
        for (int q : m.voisins[i]) // distinct (the cells below count each edge once each way), symmetric
            EXPECT_TRUE(q != i && std::count(m.voisins[q].begin(), m.voisins[q].end(), i) == 1) << i << " " << q;
    std::map<std::pair<int, int>, int> sens;
    for (const auto &c : m.mailles)
        for (std::size_t k = 0; k < c.size(); ++k) {
            const int a = c[k], b = c[(k + 1) % c.size()];
            EXPECT_EQ(std::count(m.voisins[a].begin(), m.voisins[a].end(), b), 1);
            ++sens[{a, b}];
        }
    EXPECT_EQ(sens.size(), 3u * n); // each of the 3n / 2 edges, both ways
    for (const auto &[e, fois] : sens)
        EXPECT_TRUE(fois == 1 && sens.count({e.second, e.first})) << e.first << " " << e.second;
    Triangles t;
    return trianglesDuaux(m, t) ? topologie(t, m.mailles.size()) : TopologieSurface();
}

std::vector<char> marques(std::size_t n, const std::vector<std::pair<int, int>> &plages)
{
    std::vector<char> c(n, 0);
    for (const auto &[debut, fin] : plages)
        std::fill(c.begin() + debut, c.begin() + fin, 1);
    return c;
}

} // namespace

TEST(Topologie, PartsGenusAndRimsOfTriangleMeshes)
{
    const Triangles tetra{{0, 2, 1}, {0, 1, 3}, {1, 2, 3}, {0, 3, 2}};
    Triangles deux = tetra, ouvert(tetra.begin(), tetra.end() - 1), tore;
    for (const auto &f : tetra)
        deux.push_back({f[0] + 4, f[1] + 4, f[2] + 4});
    for (int i = 0; i < 4; ++i) // a 4 x 3 grid with both pairs of opposite sides glued
        for (int j = 0; j < 3; ++j) {
            auto v = [](int a, int b) { return (a % 4) * 3 + b % 3; };
            tore.push_back({v(i, j), v(i + 1, j), v(i + 1, j + 1)});
            tore.push_back({v(i, j), v(i + 1, j + 1), v(i, j + 1)});
        }
    Triangles perce = tore; // a torus with a hole whose rim misses vertex 0: still genus 1
    perce.erase(perce.begin() + 7);
    const struct { Triangles f; std::size_t sommets; int parties, genre; bool fermee; long chi; } cas[] = {{tetra, 4, 1, 0, true, 2}, {deux, 9, 2, 0, true, 4}, {ouvert, 4, 1, 0, false, 1}, {tore, 12, 1, 1, true, 0}, {perce, 12, 1, 1, false, -1}};
    for (const auto &c : cas) {
        const TopologieSurface t = topologie(c.f, c.sommets);
        EXPECT_EQ(std::make_tuple(t.parties, t.genre, t.fermee, t.caracteristique, t.faces),
                  std::make_tuple(c.parties, c.genre, c.fermee, c.chi, static_cast<long>(c.f.size())));
    }
}

TEST(Chirurgie, AHandleAndANeckCutWithExactCounts)
{
    const int k = 4;
    // Apex, rings (radius 1, 2, 2, 1), apex: the fans are two facing disks across the axis.
    const Anneaux forme({{1, 1}, {2, 0.3}, {2, -0.3}, {1, -1}}, k);
    const ListesSimplexe m = forme.simplexe();
    ASSERT_EQ(m.positions.size(), 8u * k);
    EXPECT_EQ(verifier(m).genre, 0);

    ListesSimplexe anse;
    ASSERT_TRUE(ouvrirAnse(m, marques(m.positions.size(), {{0, k}, {7 * k, 8 * k}}), anse));
    // 6k kept and 3 x 2k on the tube (2k triangles each cut in three at its waist); the cells of
    // the 4k ring vertices and of the 2k vertices of the waist.
    EXPECT_EQ(anse.positions.size(), 12u * k);
    EXPECT_EQ(anse.mailles.size(), 6u * k);
    for (int i = 0; i < 6 * k; ++i)
        EXPECT_EQ(anse.positions[i], m.positions[k + i]);
    const TopologieSurface ta = verifier(anse);
    EXPECT_EQ(std::make_pair(ta.parties, ta.genre), std::make_pair(1, 1));
    // The tube runs inside the inner rings (radius 1), its waist drawn in a quarter of the way
    // towards the axis: its points then lie within 0.5 of it (a straight tube reaches 0.59, a waist
    // drawn from 10 % beyond the middle of each pair of rim vertices 0.55).
    for (int i = 6 * k; i < 12 * k; ++i)
        EXPECT_LT(std::hypot(anse.positions[i].x, anse.positions[i].y), 0.51);

    // The smallest disks: one point each (a rim of three vertices on either side; one in the top
    // fan, one in the lowest band). The band of least area from rim to rim may step along both
    // rims at one end and again at the other, passing an edge across it twice; the band that goes
    // once round is taken.
    ListesSimplexe petite;
    ASSERT_TRUE(ouvrirAnse(m, marques(m.positions.size(), {{0, 1}, {6 * k + 2, 6 * k + 3}}), petite));
    EXPECT_EQ(petite.positions.size(), 8u * k - 2 + 18); // 6 triangles on the tube, each cut in three
    EXPECT_EQ(petite.mailles.size(), 4u * k + 2 + 6);    // and the 6 vertices of its waist
    const TopologieSurface tp = verifier(petite);
    EXPECT_EQ(std::make_pair(tp.parties, tp.genre), std::make_pair(1, 1));

    ListesSimplexe col;
    ASSERT_TRUE(couperCol(m, marques(m.positions.size(), {{3 * k, 5 * k}}), col));
    EXPECT_EQ(col.positions.size(), 6u * k + 2 * (k - 2)); // each rim closed by k - 2 triangles
    EXPECT_EQ(col.mailles.size(), 4u * k + 2);
    const TopologieSurface tc = verifier(col);
    EXPECT_EQ(std::make_pair(tc.parties, tc.genre), std::make_pair(2, 0));

    // Refused, the result untouched: one disk; a band for a handle; two disks for a neck; a tube
    // that would cross the surface (a shelf pinched in to the axis between its rims).
    const Anneaux croise({{1, 1}, {2, 0.3}, {0.3, 0}, {2, -0.3}, {1, -1}}, k);
    const ListesSimplexe mc = croise.simplexe();
    ListesSimplexe r = col;
    EXPECT_FALSE(ouvrirAnse(m, marques(m.positions.size(), {{0, k}}), r));
    EXPECT_FALSE(ouvrirAnse(m, marques(m.positions.size(), {{3 * k, 5 * k}}), r));
    EXPECT_FALSE(couperCol(m, marques(m.positions.size(), {{0, k}, {7 * k, 8 * k}}), r));
    EXPECT_FALSE(ouvrirAnse(mc, marques(mc.positions.size(), {{0, k}, {9 * k, 10 * k}}), r));
    EXPECT_EQ(r.positions, col.positions);
    EXPECT_TRUE(ouvrirAnse(forme.simplexe(), marques(8 * k, {{0, k}, {7 * k, 8 * k}}), r));

    // A second part in the hole, a spindle round the axis, 0.3 thick at the rims' height and 1 at
    // the middle: the waist drawn in a quarter of the way would cross it (refused so, checked by
    // hand); a straighter tube clears it and is taken.
    const Anneaux fuseau({{0.3, 0.9}, {1, 0.2}, {1, -0.2}, {0.3, -0.9}}, k);
    Triangles tous = forme.triangles;
    std::vector<point3> sommets = forme.sommets;
    for (const auto &t : fuseau.triangles)
        tous.push_back({t[0] + static_cast<int>(sommets.size()), t[1] + static_cast<int>(sommets.size()),
                        t[2] + static_cast<int>(sommets.size())});
    sommets.insert(sommets.end(), fuseau.sommets.begin(), fuseau.sommets.end());
    ListesSimplexe avecFuseau;
    ASSERT_TRUE(dual(tous, sommets.size(), avecFuseau));
    for (const auto &t : tous)
        avecFuseau.positions.push_back(fois(sommets[t[0]] + sommets[t[1]] + sommets[t[2]], 1.0 / 3));
    ListesSimplexe contourne;
    ASSERT_TRUE(ouvrirAnse(avecFuseau, marques(avecFuseau.positions.size(), {{0, k}, {7 * k, 8 * k}}), contourne));
    const TopologieSurface tt = verifier(contourne);
    EXPECT_EQ(std::make_pair(tt.parties, tt.genre), std::make_pair(2, 1));
    EXPECT_EQ(contourne.positions.size(), 12u * k + 8u * k); // the spindle's 8k points kept
}

TEST(Chirurgie, TheSurfaceOverARingsCutIsCutAcrossItBackToGenusZero)
{
    // A torus (R 3, r 1) round the z axis, 24 x 8 quads cut in two, outward; its dual.
    const int nu = 24, nv = 8;
    std::vector<point3> sommets;
    Triangles triangles;
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) {
            const double u = 2 * M_PI * (i + 0.5) / nu, v = 2 * M_PI * j / nv;
            sommets.push_back(point3((3 + std::cos(v)) * std::cos(u), (3 + std::cos(v)) * std::sin(u), std::sin(v)));
        }
    auto s = [&](int i, int j) { return (i % nu) * nv + j % nv; };
    for (int i = 0; i < nu; ++i)
        for (int j = 0; j < nv; ++j) {
            triangles.push_back({s(i, j), s(i + 1, j), s(i + 1, j + 1)});
            triangles.push_back({s(i, j), s(i + 1, j + 1), s(i, j + 1)});
        }
    ListesSimplexe tore;
    ASSERT_TRUE(dual(triangles, sommets.size(), tore));
    for (const auto &t : triangles)
        tore.positions.push_back(fois(sommets[t[0]] + sommets[t[1]] + sommets[t[2]], 1.0 / 3));
    ASSERT_EQ(verifier(tore).genre, 1);

    // The cut round the x axis, a tenth of a radian wide, of a hole of radius 2.
    Fente fente{point3(0, 0, 0), point3(0, 0, 1), point3(1, 0, 0), point3(0, 1, 0), 2, -0.05, 0.1};
    ListesSimplexe coupe;
    ASSERT_TRUE(couperFente(tore, fente, coupe));
    const TopologieSurface t = verifier(coupe);
    EXPECT_EQ(std::make_tuple(t.parties, t.genre, t.fermee), std::make_tuple(1, 0, true));
    // Only points at the cut go (the quads either side of the x axis and their neighbours), and
    // the others keep their order and places.
    std::size_t k = 0;
    for (const point3 &p : tore.positions)
        if (k < coupe.positions.size() && coupe.positions[k] == p)
            ++k;
        else
            EXPECT_TRUE(p.x > 1.5 && std::abs(p.y) < 1) << p.x << " " << p.y;
    EXPECT_LT(coupe.positions.size(), tore.positions.size());
    EXPECT_GE(coupe.positions.size(), tore.positions.size() - 4u * 2 * nv);
    // A cut wider than the cells: as wide a strip goes (1.2 radian at radius 2), more points.
    Fente large = fente;
    large.debut = -0.6;
    large.largeur = 1.2;
    ListesSimplexe coupeLarge;
    ASSERT_TRUE(couperFente(tore, large, coupeLarge));
    EXPECT_EQ(verifier(coupeLarge).genre, 0);
    EXPECT_LT(coupeLarge.positions.size(), coupe.positions.size());

    // Refused, the result untouched: no cut; a cut whose half-plane misses the surface; a cut of
    // a sphere (no handle to take away).
    ListesSimplexe r = coupe;
    EXPECT_FALSE(couperFente(tore, Fente{}, r));
    Fente loin = fente;
    loin.centre = point3(10, 0, 0);
    EXPECT_FALSE(couperFente(tore, loin, r));
    const Anneaux boule({{1, 0.5}, {1, -0.5}}, 8);
    Fente autour = fente;
    autour.rayon = 0.2;
    EXPECT_FALSE(couperFente(boule.simplexe(), autour, r));
    EXPECT_EQ(r.positions, coupe.positions);
}

namespace {

// Points spread over a torus round the z axis (radius R, tube r) on a grid of angles; those whose
// angle round the axis falls in (-demiFente, demiFente) left out.
std::vector<point3> torePoints(double R, double r, int nu, int nv, double demiFente)
{
    std::vector<point3> p;
    for (int i = 0; i < nu; ++i) {
        const double u = -M_PI + 2 * M_PI * (i + 0.5) / nu;
        if (std::abs(u) < demiFente)
            continue;
        for (int j = 0; j < nv; ++j) {
            const double v = 2 * M_PI * j / nv;
            p.push_back(point3((R + r * std::cos(v)) * std::cos(u), (R + r * std::cos(v)) * std::sin(u), r * std::sin(v)));
        }
    }
    return p;
}

} // namespace

TEST(Chirurgie, TrianglesCrossWhicheverEdgesPassThrough)
{
    // b stands across a: its edge b0 b1 passes through a, and a's edge a1 a2 through b; no other
    // edge crosses. Every order of the corners of each must find it, whichever edges carry it.
    const point3 a[3] = {point3(0, 0, 0), point3(2, 0, 0), point3(0, 2, 0)};
    const point3 b[3] = {point3(0.5, 0.5, -1), point3(0.5, 0.5, 1), point3(5, 5, 1)};
    const point3 loin[3] = {point3(0.5, 0.5, 0.2), point3(0.5, 0.5, 1), point3(5, 5, 1)}; // above a
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const point3 ta[3] = {a[i], a[(i + 1) % 3], a[(i + 2) % 3]};
            const point3 tb[3] = {b[j], b[(j + 1) % 3], b[(j + 2) % 3]};
            const point3 tl[3] = {loin[j], loin[(j + 1) % 3], loin[(j + 2) % 3]};
            EXPECT_TRUE(trianglesSeCoupent(ta, tb)) << i << " " << j;
            EXPECT_TRUE(trianglesSeCoupent(tb, ta)) << i << " " << j;
            EXPECT_FALSE(trianglesSeCoupent(ta, tl)) << i << " " << j;
        }
}

TEST(Chirurgie, TheRimsOfACutRunRoundItAndABadSurfaceGivesNone)
{
    // A tetrahedron, each edge once each way.
    const Triangles t = {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}};
    std::vector<std::vector<int>> bords;
    ASSERT_TRUE(rebords(t, {0, 0, 0, 0}, bords));
    EXPECT_TRUE(bords.empty());
    ASSERT_TRUE(rebords(t, {0, 0, 0, 1}, bords));
    EXPECT_EQ(bords, (std::vector<std::vector<int>>{{2, 3, 1}})); // as the cut triangle ran
    ASSERT_TRUE(rebords(t, {1, 0, 0, 1}, bords));
    EXPECT_EQ(bords, (std::vector<std::vector<int>>{{2, 3, 1, 0}})); // the rims found before are gone
    // A second tetrahedron on the edge 0 1: every edge has its twin, but 0 1 runs the same way
    // in two triangles. No one surface, no rims.
    Triangles deux = t;
    for (const std::array<int, 3> &f : t)
        deux.push_back({f[0] < 2 ? f[0] : f[0] + 2, f[1] < 2 ? f[1] : f[1] + 2, f[2] < 2 ? f[2] : f[2] + 2});
    EXPECT_FALSE(rebords(deux, std::vector<char>(8, 0), bords));
    // An edge with no twin: not closed.
    EXPECT_FALSE(rebords(Triangles(t.begin(), t.end() - 1), {0, 0, 0}, bords));
    // The twin of each half-edge holds that edge the other way; the three edges of a triangle
    // taken away have none.
    std::vector<int> jumeaux;
    EXPECT_FALSE(jumeauxDesAretes(deux, jumeaux));
    for (const Triangles &u : {t, Triangles(t.begin(), t.end() - 1)}) {
        ASSERT_TRUE(jumeauxDesAretes(u, jumeaux));
        ASSERT_EQ(jumeaux.size(), 3 * u.size());
        int sans = 0;
        for (std::size_t f = 0; f < u.size(); ++f)
            for (int k = 0; k < 3; ++k) {
                const int j = jumeaux[3 * f + static_cast<std::size_t>(k)], a = u[f][k], b = u[f][(k + 1) % 3];
                sans += j < 0;
                if (j >= 0) {
                    const std::array<int, 3> &g = u[static_cast<std::size_t>(j)];
                    EXPECT_TRUE((g[0] == b && g[1] == a) || (g[1] == b && g[2] == a) || (g[2] == b && g[0] == a));
                }
            }
        EXPECT_EQ(sans, u.size() == t.size() ? 0 : 3);
    }
    // Its dual: one point per triangle; refused when a vertex is past the count given, or an
    // edge has no twin.
    ListesSimplexe m;
    EXPECT_TRUE(dual(t, 4, m));
    EXPECT_EQ(m.mailles.size(), 4u);
    EXPECT_FALSE(dual(t, 3, m));
    EXPECT_FALSE(dual(Triangles(t.begin(), t.end() - 1), 4, m));
}

TEST(Chirurgie, TheCloudRingsAHoleOnlyWhenClosedRoundItAndEmptyOverIt)
{
    // Rims of the two sheets over the hole of a torus (R 3, r 1): circles of radius 2 at z = +-0.5.
    auto rim = [](double z, const point3 &decale) {
        std::vector<point3> r;
        for (int k = 0; k < 24; ++k)
            r.push_back(point3(2 * std::cos(2 * M_PI * k / 24), 2 * std::sin(2 * M_PI * k / 24), z) + decale);
        return r;
    };
    const point3 zero(0, 0, 0);
    const std::vector<point3> haut = rim(0.5, zero), bas = rim(-0.5, zero);
    const point3 axe(0, 0, 2);
    // 360 steps round the axis: 0.017 rad apart, 0.07 at the outer points (radius 4).
    const std::vector<point3> tore = torePoints(3, 1, 360, 24, 0);
    EXPECT_TRUE(anneauFerme(haut, bas, axe, tore, 0.05));
    EXPECT_TRUE(anneauFerme(haut, bas, fois(axe, -1), tore, 0.05));
    EXPECT_TRUE(anneauFerme(haut, bas, point3(0.1, 0, 1), tore, 0.05)); // a line askew
    EXPECT_FALSE(anneauFerme(haut, bas, point3(0, 0, 0), tore, 0.05));  // no line through
    // A cut of 0.1 rad (a C-shaped ring; 0.21 wide at the inner points, 0.42 at the outer ones):
    // open at a spacing of 0.05 and of 0.065 (links up to 0.195), not at 0.12 (0.36).
    const std::vector<point3> c = torePoints(3, 1, 360, 24, 0.05);
    EXPECT_FALSE(anneauFerme(haut, bas, axe, c, 0.05));
    EXPECT_FALSE(anneauFerme(haut, bas, axe, c, 0.065));
    EXPECT_TRUE(anneauFerme(haut, bas, axe, c, 0.12));
    // ... and where it is cut: towards +x, 0.1 wide up to a step of the grid (0.017) each side.
    Fente f;
    ASSERT_EQ(anneauAutour(haut, bas, axe, c, 0.05, &f), Anneau::Ouvert);
    const double milieu = f.debut + 0.5 * f.largeur;
    const point3 versLaFente = fois(f.e1, std::cos(milieu)) + fois(f.e2, std::sin(milieu));
    EXPECT_NEAR(versLaFente.x, 1, 1e-9);
    EXPECT_GE(f.largeur, 0.1);
    EXPECT_LT(f.largeur, 0.1 + 2 * 2 * M_PI / 360);
    EXPECT_NEAR(f.rayon, 2, 0.01);
    EXPECT_EQ(anneauAutour(haut, bas, axe, tore, 0.05, &f), Anneau::Ferme);
    // A cut just past the first angle measured round the line (from e1 towards e2), with one
    // point alone below it: the widest turn without a point may be the first one.
    std::vector<point3> seul;
    bool garde = false;
    for (const point3 &p : tore) {
        const double theta = std::atan2(scal(p, f.e2), scal(p, f.e1));
        if (theta > -M_PI + 0.12 || theta < -M_PI + 0.001 || (theta < -M_PI + 0.02 && !garde)) {
            garde = garde || (theta > -M_PI + 0.001 && theta < -M_PI + 0.02);
            seul.push_back(p);
        }
    }
    ASSERT_EQ(anneauAutour(haut, bas, axe, seul, 0.05, &f), Anneau::Ouvert);
    EXPECT_LT(f.debut, -M_PI + 0.02);
    EXPECT_GT(f.largeur, 0.1);
    // Seen from off the hole's middle (the rims moved 0.5 towards the cut and 0.3 to its side)
    // along a line askew by a tenth of a radian: the cut still open, the torus still closed.
    const point3 cote(0.5, 0.3, 0);
    EXPECT_FALSE(anneauFerme(rim(0.5, cote), rim(-0.5, cote), point3(0, -0.2, 2), c, 0.065));
    EXPECT_TRUE(anneauFerme(rim(0.5, cote), rim(-0.5, cote), point3(0, -0.2, 2), tore, 0.05));
    // The middle between two parallel faces 0.4 apart (a slot), each with a round opening of
    // radius 0.15 facing the other: each face's points go round the line, but the nearest ones lie
    // along it, not round it.
    std::vector<point3> fente;
    for (int i = -20; i <= 20; ++i)
        for (int j = -20; j <= 20; ++j)
            for (double z : {-0.2, 0.2})
                if (std::hypot(i, j) * 0.05 >= 0.15)
                    fente.push_back(point3(0.05 * i, 0.05 * j, z));
    EXPECT_FALSE(anneauFerme(rim(0, zero), rim(0, zero), axe, fente, 0.05));
    // Past a hundred thousand points round the hole (115,200 here), one in two is walked: the
    // same answers.
    EXPECT_TRUE(anneauFerme(haut, bas, axe, torePoints(3, 1, 720, 160, 0), 0.02));
    EXPECT_FALSE(anneauFerme(haut, bas, axe, torePoints(3, 1, 720, 160, 0.05), 0.02));
    // Data over the middle (the floor of a blind hole, a solid's far side): no hole through.
    std::vector<point3> fond = tore;
    fond.push_back(point3(0.2, 0, -2.5));
    EXPECT_FALSE(anneauFerme(haut, bas, axe, fond, 0.05));
    std::vector<point3> fondC = c;
    fondC.push_back(fond.back());
    EXPECT_EQ(anneauAutour(haut, bas, axe, fondC, 0.05, nullptr), Anneau::Aucun); // no cut ring either
    // ... but not when it lies beyond one and a half times the hole's radius along the line (an
    // arm of the object passing across it on the far side).
    fond.back() = point3(0.2, 0, -3.3);
    EXPECT_TRUE(anneauFerme(haut, bas, axe, fond, 0.05));
    EXPECT_FALSE(anneauFerme(haut, bas, axe, {}, 0.05));
    // The same anywhere: the whole scene moved away from the origin.
    const point3 ailleurs(10, -3, 2);
    auto deplace = [&](std::vector<point3> v) {
        for (point3 &p : v)
            p += ailleurs;
        return v;
    };
    const std::vector<point3> hautLoin = deplace(haut), basLoin = deplace(bas);
    EXPECT_TRUE(anneauFerme(hautLoin, basLoin, axe, deplace(tore), 0.05));
    EXPECT_FALSE(anneauFerme(hautLoin, basLoin, axe, deplace(c), 0.05));
    fond.back() = point3(0.2, 0, -2.5);
    EXPECT_FALSE(anneauFerme(hautLoin, basLoin, axe, deplace(fond), 0.05));
}

namespace {

// A profile through the corners, points `pas` apart (the first corner included, the last not).
std::vector<std::pair<double, double>> profil(const std::vector<std::pair<double, double>> &coins, double pas)
{
    std::vector<std::pair<double, double>> p;
    for (std::size_t k = 0; k + 1 < coins.size(); ++k) {
        const auto [r0, z0] = coins[k];
        const auto [r1, z1] = coins[k + 1];
        const int n = static_cast<int>(std::ceil(std::hypot(r1 - r0, z1 - z0) / pas));
        for (int i = k == 0; i < n; ++i)
            p.emplace_back(r0 + (r1 - r0) * i / n, z0 + (z1 - z0) * i / n);
    }
    return p;
}

// A block with a bore of radius 0.3 through it, as a surface shrinking onto it leaves it: the
// bore plugged by a sheet from each end, its middle at `bas` and `haut` (crossed when the lower
// sheet's middle lies above the upper one's). A surface of revolution, its rings 0.05 apart, and
// the block's points, 0.04 apart down its sides, 80 round the axis. Then the handle opened with
// `loin` (cells marked 2 farther than it from the cloud, 1 farther than half of it).
struct Alesage
{
    std::vector<point3> nuage;
    ListesSimplexe maillage, resultat;
    int ouvrir(double bas, double haut, double loin, const std::vector<point3> &ajout = {}, bool couvercle = false)
    {
        Anneaux a(profil({{0, bas}, {0.3, -0.1}, {0.3, -1}, {1, -1}, {1, 1}, {0.3, 1}, {0.3, 0.1}, {0, haut}}, 0.05),
                  24);
        a.sommets.front() = point3(0, 0, bas);
        a.sommets.back() = point3(0, 0, haut);
        if (couvercle) { // a flat part of its own across the bore, higher up
            Anneaux c(profil({{0, 0.55}, {0.2, 0.55}, {0.2, 0.5}, {0, 0.5}}, 0.05), 24);
            c.sommets.front() = point3(0, 0, 0.55);
            c.sommets.back() = point3(0, 0, 0.5);
            const int d = static_cast<int>(a.sommets.size());
            a.sommets.insert(a.sommets.end(), c.sommets.begin(), c.sommets.end());
            for (const auto &t : c.triangles)
                a.triangles.push_back({t[0] + d, t[1] + d, t[2] + d});
        }
        maillage = a.simplexe();
        nuage = ajout;
        for (const auto &[r, z] : profil({{0.3, -1}, {0.3, 1}, {1, 1}, {1, -1}, {0.3, -1}}, 0.04))
            for (int k = 0; k < 80; ++k)
                nuage.push_back(point3(r * std::cos(2 * M_PI * k / 80), r * std::sin(2 * M_PI * k / 80), z));
        const ArbrePoints arbre(nuage);
        const auto distance = [&](const point3 &p) {
            double d2 = 0;
            long j = -1;
            arbre.plusProcheDepuis(p, d2, j);
            return std::sqrt(d2);
        };
        std::vector<char> lointaines;
        for (const point3 &c : centresDesMailles(maillage))
            lointaines.push_back(static_cast<char>((distance(c) > 0.5 * loin) + (distance(c) > loin)));
        return ouvrirBouchons(maillage, lointaines, loin, distance, nuage, 0.04, resultat);
    }
};

} // namespace

TEST(Chirurgie, ABorePluggedBySheetsGetsAStraightTubeBetweenThem)
{
    // Only the cells over the bore lie farther than 0.075 from the block's points. The handle
    // opened, its tube between the sheets: nothing in the bore beyond them.
    Alesage a;
    ASSERT_GT(a.ouvrir(-0.1, 0.1, 0.15), 0);
    const TopologieSurface t = verifier(a.resultat);
    EXPECT_EQ(std::make_pair(t.parties, t.genre), std::make_pair(1, 1));
    for (const point3 &p : a.resultat.positions)
        EXPECT_TRUE(std::hypot(p.x, p.y) > 0.28 || std::abs(p.z) <= 0.1 + 1e-12) << p.x << " " << p.y << " " << p.z;
    // A part of its own beside it is left whole.
    ASSERT_GT(a.ouvrir(-0.1, 0.1, 0.15, {}, true), 0);
    const TopologieSurface deux = verifier(a.resultat);
    EXPECT_EQ(std::make_pair(deux.parties, deux.genre), std::make_pair(2, 1));
    const auto couvercle = [](const ListesSimplexe &m) {
        return std::count_if(m.positions.begin(), m.positions.end(),
                             [](const point3 &p) { return p.z > 0.45 && std::hypot(p.x, p.y) < 0.25; });
    };
    EXPECT_EQ(couvercle(a.resultat), couvercle(a.maillage));
    EXPECT_GT(couvercle(a.maillage), 0);
}

TEST(Chirurgie, SheetsThatPassedThroughEachOtherInABoreGetATube)
{
    // The sheets' middles at z = 0.1 and -0.1 the wrong way round: they cross halfway out. No
    // longer facing each other, both are taken out all the same, where they cross with them.
    Alesage a;
    ASSERT_GT(a.ouvrir(0.1, -0.1, 0.15), 0);
    const TopologieSurface t = verifier(a.resultat);
    EXPECT_EQ(std::make_pair(t.parties, t.genre), std::make_pair(1, 1));
    for (const point3 &p : a.resultat.positions)
        EXPECT_TRUE(std::hypot(p.x, p.y) > 0.2) << p.x << " " << p.y << " " << p.z;
    // Not where the void between the sheets is no wider than a gap between the points of a sparse
    // cloud (the bore's radius under three quarters of `loin`), nor where the cloud closes the
    // bore further down (past the sheets, the line meets it), nor where a sheet spans it further
    // up (the line meets that one).
    EXPECT_EQ(a.ouvrir(0.1, -0.1, 0.41), 0);
    std::vector<point3> fond;
    for (int i = -7; i <= 7; ++i)
        for (int j = -7; j <= 7; ++j)
            fond.push_back(point3(0.04 * i, 0.04 * j, -0.6));
    EXPECT_EQ(a.ouvrir(0.1, -0.1, 0.15, fond), 0);
    EXPECT_EQ(a.ouvrir(0.1, -0.1, 0.15, {}, true), 0);
    EXPECT_EQ(verifier(a.maillage).parties, 2);
}

TEST(Reposer, TheNearestPointOfATriangleAsWeightsOfItsCorners)
{
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> u(-1, 1);
    auto hasard = [&] { return point3(u(gen), u(gen), u(gen)); };
    int dedans = 0, bords = 0;
    for (int k = 0; k < 3000; ++k) {
        point3 a = hasard(), b = hasard(), c = hasard();
        if (k % 10 == 0)
            c = a + fois(b - a, 0.3); // flat: a point of its edges
        const point3 p = fois(hasard(), 1.5);
        double w[3];
        const double d2 = plusProcheSurTriangle(p, a, b, c, w);
        EXPECT_NEAR(w[0] + w[1] + w[2], 1, 1e-12);
        EXPECT_GE(std::min({w[0], w[1], w[2]}), 0);
        const point3 q = fois(a, w[0]) + fois(b, w[1]) + fois(c, w[2]);
        EXPECT_NEAR(carre(p - q), d2, 1e-12) << k;
        // No point of a fine lattice over the triangle is nearer, and the nearest of them is
        // within the lattice's step.
        double treillis = std::numeric_limits<double>::infinity();
        for (int i = 0; i <= 40; ++i)
            for (int j = 0; i + j <= 40; ++j) {
                const point3 x = a + fois(b - a, i / 40.0) + fois(c - a, j / 40.0);
                treillis = std::min(treillis, carre(p - x));
            }
        EXPECT_GE(treillis, d2 - 1e-12) << k;
        EXPECT_LT(std::sqrt(treillis) - std::sqrt(d2), 0.1) << k;
        const int nuls = (w[0] == 0) + (w[1] == 0) + (w[2] == 0);
        dedans += nuls == 0;
        bords += nuls > 0;
    }
    // Both the inside and the edges and corners were met.
    EXPECT_GT(dedans, 100);
    EXPECT_GT(bords, 100);
}

namespace {

// The cloud points' mean distance to the surface the simplex mesh stands for (each cell fanned
// round the mean of its points).
double ecartMoyen(const ListesSimplexe &m, const std::vector<point3> &nuage)
{
    std::vector<point3> sommets = m.positions;
    Triangles faces;
    for (const std::vector<int> &c : m.mailles) {
        point3 g(0, 0, 0);
        for (int i : c)
            g += m.positions[i];
        sommets.push_back(fois(g, 1.0 / static_cast<double>(c.size())));
        for (std::size_t j = 0; j < c.size(); ++j)
            faces.push_back({static_cast<int>(sommets.size()) - 1, c[j], c[(j + 1) % c.size()]});
    }
    const ArbreTriangles arbre(sommets, faces);
    double somme = 0;
    for (const point3 &p : nuage)
        somme += arbre.distance(p);
    return somme / static_cast<double>(nuage.size());
}

// The largest distance from the points to the surface of m, each cell fanned round its centre.
double ecartMaximum(const ListesSimplexe &m, const std::vector<point3> &points)
{
    double pire = 0;
    for (const point3 &p : points)
        pire = std::max(pire, ecartMoyen(m, {p}));
    return pire;
}

// The dual of a sphere of `rangs` rings of `parRang` vertices, its points on the unit sphere: the
// centres of its cells lie inside it.
ListesSimplexe sphereUnite(int rangs, int parRang)
{
    std::vector<std::pair<double, double>> anneaux;
    for (int j = 1; j <= rangs; ++j)
        anneaux.emplace_back(std::sin(M_PI * j / (rangs + 1)), std::cos(M_PI * j / (rangs + 1)));
    ListesSimplexe sphere = Anneaux(anneaux, parRang).simplexe();
    for (point3 &p : sphere.positions)
        p = fois(p, 1.0 / norme(p));
    return sphere;
}

// n points spread at random over the unit sphere.
std::vector<point3> surLaSphere(std::size_t n, unsigned graine)
{
    std::mt19937 gen(graine);
    std::normal_distribution<double> g(0, 1);
    std::vector<point3> nuage;
    while (nuage.size() < n) {
        const point3 d(g(gen), g(gen), g(gen));
        nuage.push_back(fois(d, 1.0 / norme(d)));
    }
    return nuage;
}

} // namespace

TEST(Reposer, TheFannedSurfaceSettlesOnTheCloudTheSameOnAnyThreads)
{
    // The cloud on the sphere lies outside the surface the cells span.
    const ListesSimplexe sphere = sphereUnite(12, 24);
    const std::vector<point3> nuage = surLaSphere(20000, 3);
    std::vector<point3> haut;
    for (const point3 &p : nuage)
        if (p.z > 0.3)
            haut.push_back(p);
    const double avant = ecartMoyen(sphere, nuage);
    std::vector<point3> un = sphere.positions, trois = sphere.positions;
    reposerSurLeNuage(un, sphere.mailles, sphere.voisins, nuage, ReglagesRepos(), 1);
    reposerSurLeNuage(trois, sphere.mailles, sphere.voisins, nuage, ReglagesRepos(), 3);
    EXPECT_EQ(un, trois);
    ListesSimplexe apres = sphere;
    apres.positions = un;
    const double ecart = ecartMoyen(apres, nuage);
    EXPECT_LT(ecart, 0.5 * avant); // 0.0067 to 0.0023

    // Only the top of the sphere in the cloud: the points under it, which no cloud point draws,
    // keep the sphere's shape (smoothed to the mean of their neighbours, they would shrink it).
    std::vector<point3> partiel = sphere.positions;
    reposerSurLeNuage(partiel, sphere.mailles, sphere.voisins, haut, ReglagesRepos(), 2);
    double pire = 0;
    for (std::size_t i = 0; i < partiel.size(); ++i)
        if (partiel[i].z < -0.3)
            pire = std::max(pire, std::abs(norme(partiel[i]) - 1));
    EXPECT_LT(pire, 0.01);
    apres.positions = partiel;
    EXPECT_LT(ecartMoyen(apres, haut), 0.5 * ecartMoyen(sphere, haut));
}

TEST(Reposer, APartOfTheScanOffTheSurfaceIsReachedStrayPointsAreNot)
{
    const ListesSimplexe sphere = sphereUnite(24, 48);
    std::vector<point3> nuage = surLaSphere(10000, 5);
    // A scan line seen apart, 0.12 off the sphere (on its side, as a grazing edge of a view), and
    // on the other side three strays as far off, as far from each other as from the sphere.
    std::vector<point3> ligne;
    for (int k = 0; k < 12; ++k) {
        const double a = 0.01 * k;
        ligne.push_back(point3(1.12 * std::cos(a), 1.12 * std::sin(a), 0.05));
    }
    nuage.insert(nuage.end(), ligne.begin(), ligne.end());
    const std::vector<point3> seuls{point3(-1.12, 0, 0.05), point3(-1.12, 0.1, 0.05), point3(-1.12, 0.05, 0.14)};
    nuage.insert(nuage.end(), seuls.begin(), seuls.end());

    ReglagesRepos reglages;
    reglages.portee = 0.02;
    reglages.lointain = 0.04;
    std::vector<point3> sans = sphere.positions;
    reposerSurLeNuage(sans, sphere.mailles, sphere.voisins, nuage, reglages, 2);
    reglages.toursLointains = 20;
    std::vector<point3> un = sphere.positions, trois = sphere.positions;
    reposerSurLeNuage(un, sphere.mailles, sphere.voisins, nuage, reglages, 1);
    reposerSurLeNuage(trois, sphere.mailles, sphere.voisins, nuage, reglages, 3);
    EXPECT_EQ(un, trois);

    ListesSimplexe avant = sphere, apres = sphere;
    avant.positions = sans;
    apres.positions = un;
    EXPECT_GT(ecartMaximum(avant, ligne), reglages.lointain); // the usual rounds leave it out
    EXPECT_LE(ecartMaximum(apres, ligne), reglages.lointain);
    // The strays pull no more than before: the surface stays on the sphere there.
    for (const point3 &p : seuls) {
        EXPECT_GT(ecartMaximum(apres, {p}), 0.1);
        EXPECT_NEAR(ecartMaximum(apres, {p}), ecartMaximum(avant, {p}), 0.005);
    }
    // The rest of the sphere is not pulled off the cloud on its way.
    std::vector<point3> sur(nuage.begin(), nuage.begin() + 10000);
    EXPECT_LT(ecartMoyen(apres, sur), 1.2 * ecartMoyen(avant, sur));
}

namespace {

// The crossing pairs of the surface m stands for, each cell fanned round the mean of its points.
std::size_t croisementsDe(const ListesSimplexe &m)
{
    std::vector<point3> sommets;
    Triangles faces;
    triangulerEnEventail(m.positions, m.mailles, sommets, faces);
    return pairesQuiSeCroisent(sommets, faces);
}

} // namespace

TEST(Plis, AFoldIsUndoneWhereItIsTheSameOnAnyThreads)
{
    // A surface that does not pass through itself is left as it is.
    const ListesSimplexe sphere = sphereUnite(12, 24);
    ListesSimplexe lisse = sphere;
    EXPECT_EQ(deplisser(lisse, 20, 2), 0u);
    EXPECT_EQ(lisse.positions, sphere.positions);

    // A point drawn past one of its neighbours: the surface folds there.
    ListesSimplexe plie = sphere;
    const std::size_t i = 150;
    const point3 &v = sphere.positions[static_cast<std::size_t>(sphere.voisins[i][0])];
    plie.positions[i] = v + fois(v - sphere.positions[i], 1.5);
    ASSERT_GT(croisementsDe(plie), 0u);
    ListesSimplexe un = plie, trois = plie;
    EXPECT_EQ(deplisser(un, 20, 1), 0u);
    EXPECT_EQ(deplisser(trois, 20, 3), 0u);
    EXPECT_EQ(un.positions, trois.positions);
    EXPECT_EQ(croisementsDe(un), 0u);
    // The point is drawn back, and only round the fold does anything move.
    EXPECT_LT(norme(un.positions[i] - sphere.positions[i]), 0.5 * norme(plie.positions[i] - sphere.positions[i]));
    std::size_t bouges = 0;
    for (std::size_t k = 0; k < sphere.positions.size(); ++k)
        if (!(un.positions[k] == plie.positions[k])) {
            ++bouges;
            EXPECT_LT(norme(sphere.positions[k] - sphere.positions[i]), 0.5) << k;
        }
    EXPECT_GT(bouges, 1u);
    // After one round: fewer pairs, and the count returned is the surface's own.
    ListesSimplexe unTour = plie;
    const std::size_t reste = deplisser(unTour, 1, 1);
    EXPECT_EQ(reste, croisementsDe(unTour));
    EXPECT_LT(reste, croisementsDe(plie));
    // With no cloud to hold them, the points of the crossing pairs went halfway to the mean of
    // their three neighbours.
    std::size_t mis = 0;
    for (std::size_t k = 0; k < plie.positions.size(); ++k)
        if (!(unTour.positions[k] == plie.positions[k])) {
            const std::array<int, 3> &w = plie.voisins[k];
            const point3 moyenne = fois(plie.positions[w[0]] + plie.positions[w[1]] + plie.positions[w[2]], 1.0 / 3);
            EXPECT_LT(norme(unTour.positions[k] - fois(plie.positions[k] + moyenne, 0.5)), 1e-12) << k;
            ++mis;
        }
    EXPECT_GT(mis, 0u);

    // A cloud point where the folded point is: the fold is the data's, and stays. One far off
    // the fold holds nothing there.
    ListesSimplexe tenu = plie, libre = plie;
    EXPECT_EQ(deplisser(tenu, 20, 1, {plie.positions[i]}), croisementsDe(plie));
    EXPECT_EQ(tenu.positions[i], plie.positions[i]);
    EXPECT_EQ(deplisser(libre, 20, 1, {fois(plie.positions[i], -1)}), 0u);
    EXPECT_EQ(libre.positions, un.positions);

    // Folds over a finer mesh, with data on it, the points' moves shared among threads: the
    // same surface on one thread and on three.
    const ListesSimplexe fine = sphereUnite(60, 120);
    ASSERT_GT(fine.positions.size(), 5000u);
    ListesSimplexe plis = fine;
    for (const std::size_t k : {1000u, 2500u, 4000u}) {
        const point3 &w = fine.positions[static_cast<std::size_t>(fine.voisins[k][0])];
        plis.positions[k] = w + fois(w - fine.positions[k], 1.5);
    }
    std::vector<point3> nuage;
    for (std::size_t k = 0; k < fine.positions.size(); k += 5)
        nuage.push_back(fine.positions[k]);
    const std::size_t avant = croisementsDe(plis);
    ListesSimplexe seul = plis, partage = plis;
    const std::size_t resteSeul = deplisser(seul, 20, 1, nuage);
    EXPECT_EQ(deplisser(partage, 20, 3, nuage), resteSeul);
    EXPECT_EQ(seul.positions, partage.positions);
    EXPECT_LT(resteSeul, avant);
}

TEST(Plis, UntanglingLeavesNoCrossingTheSameOnAnyThreadsAndAStopLeavesTheMeshAsItWas)
{
    // A clean surface is left as it is.
    const ListesSimplexe sphere = sphereUnite(30, 60);
    ListesSimplexe lisse = sphere;
    const BilanDemelage rien = demeler(lisse, 2);
    EXPECT_EQ(rien.avant, 0u);
    EXPECT_EQ(lisse.positions, sphere.positions);

    // The cap above z = 0.6 pushed down through the bottom of the sphere: two sheets through each
    // other, far apart along the mesh, and a fold round the cap's rim.
    ListesSimplexe pousse = sphere;
    for (point3 &p : pousse.positions)
        if (p.z > 0.6)
            p.z -= 1.5;
    const std::size_t avant = croisementsDe(pousse);
    ASSERT_GT(avant, 50u);
    ListesSimplexe un = pousse, trois = pousse;
    const BilanDemelage b = demeler(un, 1);
    EXPECT_EQ(b.avant, avant);
    EXPECT_EQ(b.apres, 0u);
    EXPECT_EQ(croisementsDe(un), 0u);
    EXPECT_EQ(demeler(trois, 3).apres, 0u);
    EXPECT_EQ(un.positions, trois.positions);
    // Only round the crossings did anything move: the band round the equator stays.
    std::size_t bouges = 0;
    for (std::size_t k = 0; k < sphere.positions.size(); ++k) {
        bouges += !(un.positions[k] == pousse.positions[k]);
        if (std::abs(sphere.positions[k].z) < 0.3) {
            EXPECT_EQ(un.positions[k], sphere.positions[k]) << k;
        }
    }
    EXPECT_EQ(b.zone > 0, bouges > 0);
    EXPECT_LT(bouges, sphere.positions.size() / 2);

    // Settled towards the unit sphere afterwards, under the guard: still clean, and closer to it
    // than without.
    ListesSimplexe vise = pousse;
    const auto versLaSphere = [](std::vector<point3> &x) {
        for (point3 &p : x)
            p = fois(p, 1.0 / norme(p));
    };
    EXPECT_EQ(demeler(vise, 2, {}, {}, versLaSphere).apres, 0u);
    EXPECT_EQ(croisementsDe(vise), 0u);
    const auto ecart = [&](const ListesSimplexe &m) {
        double e = 0;
        for (const point3 &p : m.positions)
            e += std::abs(norme(p) - 1);
        return e;
    };
    EXPECT_LT(ecart(vise), ecart(un));

    // The tests are made on every form the files hold: one where a point of the bottom is written
    // through the origin, onto the top, crosses wherever the point is; nothing can untangle it,
    // and the mesh is left as it was, with the pairs left counted.
    ListesSimplexe ecrit = un;
    std::size_t bas = 0;
    for (std::size_t k = 0; k < un.positions.size(); ++k)
        if (un.positions[k].z < un.positions[bas].z)
            bas = k;
    const FormesEcrites deuxFormes = [bas](const std::vector<point3> &v) {
        std::vector<std::vector<point3>> f(2, v);
        f[1][bas] = fois(v[bas], -1.0);
        return f;
    };
    const BilanDemelage retourne = demeler(ecrit, 1, {}, deuxFormes);
    EXPECT_GT(retourne.avant, 0u);
    EXPECT_EQ(retourne.apres, retourne.avant);
    EXPECT_EQ(ecrit.positions, un.positions);

    // A stop asked: the mesh as it was, the pairs left as they were.
    ListesSimplexe arrete = pousse;
    const BilanDemelage stop = demeler(arrete, 1, [] { return false; });
    EXPECT_EQ(stop.apres, avant);
    EXPECT_EQ(arrete.positions, pousse.positions);
}
