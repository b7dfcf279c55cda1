// The fit's spatial indexes: point to triangle against dense sampling, the triangle tree and the
// point tree against brute force (ties, k nearest, any start, any thread count and frame), and
// the summaries of distances.

#include "ArbrePoints.h"
#include "Vecteurs.h"
#include "distance.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace {

// Upper bound by dense sampling of the triangle: the nearest of (n+1)(n+2)/2
// barycentric grid points. The true distance lies within the grid spacing below.
double echantillonnee(const point3 &p, const point3 &a, const point3 &b, const point3 &c, int n)
{
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i <= n; ++i)
        for (int j = 0; i + j <= n; ++j) {
            const double u = double(i) / n, v = double(j) / n;
            best = std::min(best, norme(p - (fois(a, u) + fois(b, v) + fois(c, 1 - u - v))));
        }
    return best;
}

double uni(std::mt19937 &g, double a, double b)
{
    return a + (b - a) * (g() / 4294967296.0);
}

point3 aleatoire(std::mt19937 &g, double e)
{
    return point3(uni(g, -e, e), uni(g, -e, e), uni(g, -e, e));
}

// Flat triangles give the distance to their segment or point; others agree with dense sampling.
TEST(DistancePointTriangle, FlatTrianglesAndDenseSamplingOnRandomTriangles)
{
    const point3 p(1, 1, 1), o(0, 0, 0), x4(4, 0, 0), x2(2, 0, 0), q(1, 1, 4);
    // Collinear corners, middle one last: the segment from (0,0,0) to (4,0,0); past its end.
    EXPECT_DOUBLE_EQ(distancePointTriangle(p, o, x4, x2), std::sqrt(2.0));
    EXPECT_DOUBLE_EQ(distancePointTriangle(point3(7, 4, 0), o, x4, x2), 5);
    // Three coincident corners: a point.
    EXPECT_DOUBLE_EQ(distancePointTriangle(p, q, q, q), 3);
    EXPECT_FALSE(std::isnan(distancePointTriangle(p, point3(), point3(), point3(1e-300, 0, 0))));
    std::mt19937 g(12345);
    const int n = 120;
    for (int essai = 0; essai < 300; ++essai) {
        point3 a = aleatoire(g, 1), b = aleatoire(g, 1), c = aleatoire(g, 1);
        point3 p = aleatoire(g, 2);
        if (essai % 5 == 0) // points in the triangle's plane, where the regions meet
            p = point3(2 * a.x - b.x, 2 * a.y - b.y, 2 * a.z - b.z);
        const double d = distancePointTriangle(p, a, b, c);
        const double haut = echantillonnee(p, a, b, c, n);
        const double pas = std::max({norme(a - b), norme(b - c), norme(c - a)}) / n;
        ASSERT_LE(d, haut + 1e-12) << essai;
        ASSERT_GE(d, haut - pas) << essai;
    }
}

TEST(ArbreTriangles, NearestTriangleMatchesBruteForce)
{
    std::mt19937 g(777);
    std::vector<point3> sommets;
    std::vector<std::array<int, 3>> faces;
    // A triangle soup of very different sizes, some flat ones among them.
    for (int i = 0; i < 600; ++i) {
        point3 o = aleatoire(g, 10);
        double e = i % 7 == 0 ? 3 : 0.3;
        int k = static_cast<int>(sommets.size());
        sommets.push_back(o);
        sommets.push_back(point3(o.x + uni(g, -e, e), o.y + uni(g, -e, e), o.z + uni(g, -e, e)));
        sommets.push_back(i % 11 == 0 ? o : point3(o.x + uni(g, -e, e), o.y + uni(g, -e, e), o.z));
        faces.push_back({k, k + 1, k + 2});
    }
    // A face with a corner that is not a number is left out.
    sommets.push_back(point3(std::nan(""), 0, 0));
    faces.push_back({0, 1, static_cast<int>(sommets.size()) - 1});
    // So are faces with an index out of range, the first one past the end included: not read.
    const int n = static_cast<int>(sommets.size());
    for (const std::array<int, 3> &f : {std::array<int, 3>{0, 1, n}, {n, 0, 1}, {1, n, 0}, {-1, 1, 2}})
        faces.push_back(f);
    ArbreTriangles arbre(sommets, faces);
    EXPECT_EQ(arbre.taille(), 600u);

    for (int q = 0; q < 2000; ++q) {
        point3 p = q % 10 == 0 ? sommets[g() % sommets.size()] : aleatoire(g, q % 3 == 0 ? 40 : 12);
        double brute = std::numeric_limits<double>::infinity();
        for (std::size_t f = 0; f < 600; ++f) // the 600 valid faces
            brute = std::min(
                brute, distancePointTriangle(p, sommets[faces[f][0]], sommets[faces[f][1]], sommets[faces[f][2]]));
        ASSERT_EQ(arbre.distance(p), brute) << q;
    }
    // Many points at once (enough for the work to be shared, a handful, none): the same values.
    for (std::size_t n : {50000u, 7u, 0u}) {
        std::vector<point3> points;
        for (std::size_t i = 0; i < n; ++i)
            points.push_back(aleatoire(g, 12));
        const std::vector<double> d = arbre.distances(points);
        ASSERT_EQ(d.size(), n);
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_EQ(d[i], arbre.distance(points[i])) << i;
    }
    // Runs as they come: some of points close together along a path (each run then measured
    // against the few triangles within its reach), some scattered, one with a point that is not a
    // number; on one thread and on three, each value is distance()'s.
    std::vector<point3> chemin;
    for (int i = 0; i < 9000; ++i) {
        if (i % 1000 < 600) {
            const double t = 1e-3 * i;
            chemin.push_back(point3(8 * std::cos(t), 8 * std::sin(1.3 * t), 6 * std::sin(t)) + aleatoire(g, 0.01));
        } else {
            chemin.push_back(aleatoire(g, 15));
        }
    }
    chemin[4321] = point3(0, std::nan(""), 0);
    for (int fils : {1, 3}) {
        std::vector<double> d(chemin.size(), -1);
        arbre.distances(chemin.data(), chemin.size(), d.data(), fils);
        for (std::size_t i = 0; i < chemin.size(); ++i)
            ASSERT_EQ(d[i], arbre.distance(chemin[i])) << i << " " << fils;
    }
    double sansSurface = 0;
    ArbreTriangles({}, {}).distances(chemin.data(), 1, &sansSurface, 1);
    EXPECT_TRUE(std::isinf(sansSurface));
    EXPECT_TRUE(std::isinf(ArbreTriangles({}, {}).distance(point3(1, 2, 3))));
}

TEST(ArbreTriangles, TheTreeBuiltOnSeveralThreadsAnswersAsTheOneBuiltOnOne)
{
    // Enough triangles for the building to be shared several levels down.
    std::mt19937 g(2027);
    std::vector<point3> sommets;
    std::vector<std::array<int, 3>> faces;
    for (int i = 0; i < 40000; ++i) {
        const point3 o = aleatoire(g, 10);
        const int k = static_cast<int>(sommets.size());
        sommets.push_back(o);
        sommets.push_back(o + aleatoire(g, 0.2));
        sommets.push_back(o + aleatoire(g, 0.2));
        faces.push_back({k, k + 1, k + 2});
    }
    const ArbreTriangles un(sommets, faces, 1);
    std::vector<point3> requetes;
    for (int q = 0; q < 3000; ++q)
        requetes.push_back(q % 4 == 0 ? sommets[g() % sommets.size()] : aleatoire(g, 14));
    for (int fils : {3, 0}) {
        const ArbreTriangles plusieurs(sommets, faces, fils);
        ASSERT_EQ(plusieurs.taille(), un.taille());
        for (std::size_t q = 0; q < requetes.size(); ++q) {
            std::size_t a = un.taille(), b = plusieurs.taille();
            const double da = un.distance(requetes[q], a), db = plusieurs.distance(requetes[q], b);
            ASSERT_EQ(da, db) << q << " " << fils;
            ASSERT_EQ(a, b) << q << " " << fils; // the same triangle, at the same place in the tree
            ASSERT_EQ(un.face(a), plusieurs.face(b)) << q;
            ASSERT_EQ(plusieurs.indiceDeFace(plusieurs.face(b)), b);
        }
    }
    // And the right answer: every face at its least distance, for a few of them.
    for (std::size_t q = 0; q < 40; ++q) {
        double brute = std::numeric_limits<double>::infinity();
        for (const std::array<int, 3> &f : faces)
            brute = std::min(brute, distancePointTriangle(requetes[q], sommets[f[0]], sommets[f[1]], sommets[f[2]]));
        ASSERT_EQ(un.distance(requetes[q]), brute) << q;
    }
}

TEST(ArbrePoints, NearestIsTheLowestIndexAtTheLeastDistanceFromAnyStart)
{
    // Points on a coarse lattice, many of them repeated, so that ties are everywhere.
    std::mt19937 g(99);
    std::vector<point3> points;
    for (int i = 0; i < 3000; ++i)
        points.push_back(point3(g() % 9, g() % 9, g() % 5));
    // Split by the cells or by the points' boxes: another tree, the same answers.
    const ArbrePoints arbres[2] = {ArbrePoints(points), ArbrePoints(points, 1, true, ArbrePoints::Decoupe::Points)};
    for (int q = 0; q < 3000; ++q) {
        const ArbrePoints &arbre = arbres[q % 4 / 2];
        const point3 p = q % 2 ? points[g() % points.size()] : point3(g() % 19 * 0.5, g() % 19 * 0.5, g() % 11 * 0.5);
        std::vector<double> d(points.size());
        for (std::size_t i = 0; i < points.size(); ++i)
            d[i] = scal(p - points[i], p - points[i]);
        const long attendu = std::min_element(d.begin(), d.end()) - d.begin(); // the first of the least
        double d2;
        ASSERT_EQ(arbre.plusProche(p, d2), attendu) << q;
        ASSERT_EQ(arbre.plusProche(p, d2, static_cast<long>(g() % points.size())), attendu) << q;
        ASSERT_EQ(d2, d[attendu]);
        const int k = 1 + q % 12; // and the k-th nearest, p itself counted
        // The k nearest: by distance, then by slot.
        std::vector<std::pair<double, std::uint32_t>> parCase;
        for (std::size_t c = 0; c < points.size(); ++c)
            parCase.push_back({scal(p - arbre.points()[c], p - arbre.points()[c]), static_cast<std::uint32_t>(c)});
        std::partial_sort(parCase.begin(), parCase.begin() + 3 * k, parCase.end());
        std::uint32_t cases[ArbrePoints::K_MAXIMUM];
        double d2k[ArbrePoints::K_MAXIMUM];
        ASSERT_EQ(arbre.plusProches(p, 3 * k, cases, d2k), 3 * k);
        for (int j = 0; j < 3 * k; ++j)
            ASSERT_TRUE(cases[j] == parCase[j].second && d2k[j] == parCase[j].first) << q << " " << j;
        std::nth_element(d.begin(), d.begin() + k - 1, d.end());
        ASSERT_EQ(arbre.distanceAuKieme(p, k), d[k - 1]) << q;
    }
}

// Built on one thread or several, in the caller's frame or another: the same slots, the same answers.
TEST(ArbrePoints, TheSameTreeWhateverTheThreadsAndTheFrame)
{
    std::mt19937 g(7);
    std::vector<point3> points;
    for (int i = 0; i < 150000; ++i)
        points.push_back(point3(g() % 1000 * 0.25, g() % 1000 * 0.25, g() % 40 * 0.5));
    const ArbrePoints un(points, 1), trois(points, 3, false), decale(points, {point3(8, -4, 2), 0.5}, 2, false);
    ASSERT_EQ(un.points(), trois.points());
    for (int q = 0; q < 3000; ++q) {
        const point3 p(g() % 2100 * 0.125 - 5, g() % 2100 * 0.125 - 5, g() % 250 * 0.125 - 5);
        double a, b, c;
        long place = q % 2 ? -1 : static_cast<long>(g() % points.size());
        const long i = un.plusProche(p, a, static_cast<long>(g() % points.size()));
        ASSERT_EQ(trois.plusProcheDepuis(p, b, place), i);
        ASSERT_TRUE(a == b && trois.points()[static_cast<std::size_t>(place)] == points[static_cast<std::size_t>(i)]);
        ASSERT_EQ(decale.plusProche(fois(p - point3(8, -4, 2), 0.5), c), i);
        ASSERT_EQ(c, a / 4);
    }
}

TEST(Resumer, MeanNearestRankPercentileAndMaximum)
{
    std::vector<double> d;
    for (int i = 100; i >= 1; --i) // unsorted on purpose
        d.push_back(i);
    const auto s = resumer(d); // 95th percentile: rank ceil(0.95 * 100) = 95
    EXPECT_EQ(std::vector<double>({double(s.nombre), s.moyenne, s.centile95, s.maximum}),
              (std::vector<double>{100, 50.5, 95, 100}));

    // 20 values: rank 19; 21 values: rank ceil(19.95) = 20.
    EXPECT_EQ(resumer(std::vector<double>(d.end() - 20, d.end())).centile95, 19);
    EXPECT_EQ(resumer(std::vector<double>(d.end() - 21, d.end())).centile95, 20);
    const auto un = resumer({2.5}), rien = resumer({});
    EXPECT_EQ(std::vector<double>({un.moyenne, un.centile95, un.maximum}), std::vector<double>(3, 2.5));
    EXPECT_EQ(std::vector<double>({double(rien.nombre), rien.moyenne, rien.maximum}), std::vector<double>(3, 0));
}

} // namespace
