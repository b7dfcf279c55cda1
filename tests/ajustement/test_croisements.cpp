// Where a surface passes through itself, decided exactly, and the solid a closed surface bounds.

#include "Croisements.h"
#include "Vecteurs.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {

using Triangles = std::vector<std::array<int, 3>>;

// The pairs every pair test finds: the vertices shared by index, then the exact test.
std::size_t parToutesLesPaires(const std::vector<point3> &sommets, const Triangles &t)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < t.size(); ++i)
        for (std::size_t j = i + 1; j < t.size(); ++j) {
            bool fini = true;
            for (int k = 0; k < 3; ++k)
                for (const point3 &p : {sommets[t[i][k]], sommets[t[j][k]]})
                    fini = fini && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
            if (!fini)
                continue;
            std::vector<std::pair<int, int>> communs;
            for (int a = 0; a < 3; ++a)
                for (int b = 0; b < 3; ++b)
                    if (t[i][a] == t[j][b]) {
                        communs.push_back({a, b});
                        break;
                    }
            const point3 a[3] = {sommets[t[i][0]], sommets[t[i][1]], sommets[t[i][2]]};
            const point3 b[3] = {sommets[t[j][0]], sommets[t[j][1]], sommets[t[j][2]]};
            n += trianglesSeCroisent(a, b, communs);
        }
    return n;
}

// Whether the two triangles (corner indices into p) cross, both ways round and for every turn of
// the corners of each; the answer must not depend on the order.
bool croisent(const std::vector<point3> &p, std::array<int, 3> u, std::array<int, 3> v)
{
    std::size_t oui = 0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const std::array<int, 3> a = {u[i], u[(i + 1) % 3], u[(i + 2) % 3]};
            const std::array<int, 3> b = {v[j], v[(j + 1) % 3], v[(j + 2) % 3]};
            oui += pairesQuiSeCroisent(p, Triangles{a, b}) + pairesQuiSeCroisent(p, Triangles{b, a});
        }
    EXPECT_TRUE(oui == 0 || oui == 18) << oui << " of 18";
    return oui == 18;
}

} // namespace

TEST(Croisements, PairsThatMeetOnlyAtWhatTheyShareDoNotCross)
{
    // a: the unit right triangle in z = 0.
    std::vector<point3> p = {point3(0, 0, 0), point3(1, 0, 0), point3(0, 1, 0)};
    auto ajout = [&](const point3 &q) {
        p.push_back(q);
        return static_cast<int>(p.size()) - 1;
    };
    const std::array<int, 3> a = {0, 1, 2};
    // Sharing the edge 0-1: a hinge out of the plane, or flat on the other side, meets a on it only;
    // flat on the same side, it lies over a.
    EXPECT_FALSE(croisent(p, a, {0, 1, ajout(point3(0.5, 0.5, 1))}));
    EXPECT_FALSE(croisent(p, a, {0, 1, ajout(point3(0.5, -1, 0))}));
    EXPECT_TRUE(croisent(p, a, {0, 1, ajout(point3(0.2, 0.5, 0))}));
    // Nearly flat on the same side: out of the plane by the least a double holds, it still meets a
    // on the edge only.
    EXPECT_FALSE(croisent(p, a, {0, 1, ajout(point3(0.2, 0.5, 1e-300))}));
    // Sharing the corner 0: apart, through a, touching a along a ray from the corner, and flat
    // over a, or flat beside it.
    EXPECT_FALSE(croisent(p, a, {0, ajout(point3(-1, -1, 1)), ajout(point3(-1, -2, 1))}));
    EXPECT_TRUE(croisent(p, a, {0, ajout(point3(0.3, 0.3, -1)), ajout(point3(0.3, 0.3, 1))}));
    EXPECT_TRUE(croisent(p, a, {0, ajout(point3(0.5, 0, 0)), ajout(point3(0.5, 0, 1))}));
    EXPECT_TRUE(croisent(p, a, {0, ajout(point3(2, 1, 0)), ajout(point3(1, 2, 0))}));
    EXPECT_FALSE(croisent(p, a, {0, ajout(point3(-1, 0.5, 0)), ajout(point3(-1, -0.5, 0))}));
    // The same triangle twice.
    EXPECT_TRUE(croisent(p, a, {2, 0, 1}));
}

TEST(Croisements, NearlyCoplanarAndTouchingTrianglesGetTheExactAnswer)
{
    std::vector<point3> p = {point3(0, 0, 0), point3(1, 0, 0), point3(0, 1, 0)};
    auto triangle = [&](const point3 &q, const point3 &r, const point3 &s) {
        const int k = static_cast<int>(p.size());
        p.insert(p.end(), {q, r, s});
        return std::array<int, 3>{k, k + 1, k + 2};
    };
    const std::array<int, 3> a = {0, 1, 2};
    // Across a by the least of angles: one corner a hair below the plane, two a hair above. An
    // orientation in doubles with a tolerance calls them parallel and misses it.
    EXPECT_TRUE(croisent(p, a, triangle(point3(0.2, 0.2, 1e-30), point3(0.3, 0.2, -1e-30), point3(0.2, 0.3, 1e-30))));
    // The same a hair above a altogether: apart.
    EXPECT_FALSE(croisent(p, a, triangle(point3(0.2, 0.2, 1e-30), point3(0.3, 0.2, 2e-30), point3(0.2, 0.3, 1e-30))));
    // A corner exactly on a's inside, the rest above: they touch, the surface is not a solid's.
    EXPECT_TRUE(croisent(p, a, triangle(point3(0.25, 0.25, 0), point3(0.3, 0.2, 1), point3(0.2, 0.3, 1))));
    // An edge lying on a's edge, beyond a: they touch at a point.
    EXPECT_TRUE(croisent(p, a, triangle(point3(1, 0, 0), point3(2, 0, 0), point3(2, 0, 1))));
    EXPECT_FALSE(croisent(p, a, triangle(point3(1 + 1e-15, 0, 0), point3(2, 0, 0), point3(2, 0, 1))));
    // Coplanar and overlapping with no corner in common, coplanar and apart.
    EXPECT_TRUE(croisent(p, a, triangle(point3(0.1, 0.1, 0), point3(2, 0.1, 0), point3(0.1, 2, 0))));
    EXPECT_FALSE(croisent(p, a, triangle(point3(0.6, 0.6, 0), point3(2, 0.6, 0), point3(0.6, 2, 0))));
    // A flat triangle (its corners on one line) through a, and one beside it.
    EXPECT_TRUE(croisent(p, a, triangle(point3(0.2, 0.2, -1), point3(0.2, 0.2, 0), point3(0.2, 0.2, 1))));
    EXPECT_FALSE(croisent(p, a, triangle(point3(2, 2, -1), point3(2, 2, 0), point3(2, 2, 1))));
}

TEST(Croisements, TheCrossingPairsOfASurfaceAreThoseEveryPairTestFinds)
{
    // Small random triangles in a box, a few long slivers across it, fans sharing corners and edges,
    // flat triangles: the grid finds what testing every pair finds, on any threads.
    std::mt19937 g(5);
    std::uniform_real_distribution<double> u(0, 6), petit(-0.3, 0.3);
    std::vector<point3> sommets;
    Triangles t;
    for (int i = 0; i < 1500; ++i) {
        const point3 c(u(g), u(g), u(g));
        const int s = static_cast<int>(sommets.size());
        for (int k = 0; k < 3; ++k)
            sommets.push_back(c + point3(petit(g), petit(g), petit(g)));
        t.push_back({s, s + 1, s + 2});
        // Every third one has a neighbour on its first edge, every fifth one on its first corner.
        if (i % 3 == 0) {
            sommets.push_back(c + point3(petit(g), petit(g), petit(g)));
            t.push_back({s, s + 1, static_cast<int>(sommets.size()) - 1});
        }
        if (i % 5 == 0) {
            sommets.push_back(c + point3(petit(g), petit(g), petit(g)));
            sommets.push_back(c + point3(petit(g), petit(g), petit(g)));
            t.push_back({s, static_cast<int>(sommets.size()) - 2, static_cast<int>(sommets.size()) - 1});
        }
    }
    for (int i = 0; i < 4; ++i) {
        const int s = static_cast<int>(sommets.size());
        const point3 a(0, u(g), u(g) / 6), b(6, 6 - a.y, 6 - a.z);
        sommets.push_back(a);
        sommets.push_back(b);
        sommets.push_back(b + point3(0, 0.01, -0.02));
        t.push_back({s, s + 1, s + 2});
    }
    // A flat one: its corners on a line through the box.
    {
        const int s = static_cast<int>(sommets.size());
        sommets.insert(sommets.end(), {point3(0, 0, 0), point3(3, 3, 3), point3(6, 6, 6)});
        t.push_back({s, s + 1, s + 2});
    }
    const std::size_t attendus = parToutesLesPaires(sommets, t);
    ASSERT_GT(attendus, 100u);
    EXPECT_EQ(pairesQuiSeCroisent(sommets, t, 1), attendus);
    EXPECT_EQ(pairesQuiSeCroisent(sommets, t, 3), attendus);
    // With marks: the pairs of which one at least is marked.
    std::vector<char> marques(t.size(), 0);
    for (std::size_t i = 0; i < t.size(); i += 7)
        marques[i] = 1;
    const std::vector<std::pair<int, int>> toutes = trianglesQuiSeCroisent(sommets, t, 2);
    std::vector<std::pair<int, int>> attendues;
    for (const auto &pr : toutes)
        if (marques[static_cast<std::size_t>(pr.first)] || marques[static_cast<std::size_t>(pr.second)])
            attendues.push_back(pr);
    EXPECT_EQ(trianglesQuiSeCroisent(sommets, t, 2, &marques), attendues);
    // A corner that is not a number: that triangle crosses nothing, the others as before.
    sommets.push_back(point3(std::nan(""), 3, 3));
    t.push_back({t[5][0], t[5][1], static_cast<int>(sommets.size()) - 1});
    EXPECT_EQ(pairesQuiSeCroisent(sommets, t, 3), attendus);
}

namespace {

// A sphere of radius r: n rings of 2n points between its poles, joined by triangles facing out.
void sphere(double r, int n, std::vector<point3> &p, Triangles &t)
{
    const double pi = std::acos(-1.0);
    p = {point3(0, 0, r), point3(0, 0, -r)};
    for (int i = 1; i <= n; ++i)
        for (int j = 0; j < 2 * n; ++j) {
            const double a = pi * i / (n + 1), b = pi * j / n;
            p.push_back(point3(r * std::sin(a) * std::cos(b), r * std::sin(a) * std::sin(b), r * std::cos(a)));
        }
    const auto v = [n](int i, int j) { return 2 + (i - 1) * 2 * n + (j % (2 * n)); };
    for (int j = 0; j < 2 * n; ++j) {
        t.push_back({0, v(1, j), v(1, j + 1)});
        t.push_back({1, v(n, j + 1), v(n, j)});
        for (int i = 1; i < n; ++i) {
            t.push_back({v(i, j), v(i + 1, j), v(i + 1, j + 1)});
            t.push_back({v(i, j), v(i + 1, j + 1), v(i, j + 1)});
        }
    }
}

} // namespace

TEST(Croisements, TheSolidOfASphereAndOfACubeFarFromTheOrigin)
{
    std::vector<point3> p;
    Triangles t;
    sphere(2, 120, p, t);
    const double pi = std::acos(-1.0);
    MesureSolide m = mesurerSolide(p, t);
    // A polyhedron inscribed in the sphere: a little less, by the share its flat faces leave.
    EXPECT_NEAR(m.volume / (4 * pi * 8 / 3), 1, 2e-3);
    EXPECT_LT(m.volume, 4 * pi * 8 / 3);
    EXPECT_NEAR(m.aire / (4 * pi * 4), 1, 2e-3);
    EXPECT_EQ(pairesQuiSeCroisent(p, t, 2), 0u);
    // Facing inward, the volume is negative.
    for (auto &f : t)
        std::swap(f[1], f[2]);
    EXPECT_NEAR(mesurerSolide(p, t).volume, -m.volume, 1e-9 * m.volume);

    // A 3 x 2 x 1 box a million units from the origin, each face two triangles: exact.
    const point3 o(1e6, -2e6, 3e6);
    std::vector<point3> c;
    for (int k = 0; k < 8; ++k)
        c.push_back(o + point3(3.0 * (k & 1), 2.0 * ((k >> 1) & 1), 1.0 * ((k >> 2) & 1)));
    const Triangles boite = {{0, 2, 1}, {1, 2, 3}, {4, 5, 6}, {5, 7, 6}, {0, 1, 4}, {1, 5, 4},
                             {2, 6, 3}, {3, 6, 7}, {0, 4, 2}, {2, 4, 6}, {1, 3, 5}, {3, 7, 5}};
    m = mesurerSolide(c, boite);
    EXPECT_DOUBLE_EQ(m.volume, 6);
    EXPECT_DOUBLE_EQ(m.aire, 22);
    EXPECT_EQ(pairesQuiSeCroisent(c, boite, 1), 0u);
}
