#include "distance.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

namespace {

double dist(const point3 &a, const point3 &b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// Upper bound by dense sampling of the triangle: the nearest of (n+1)(n+2)/2
// barycentric grid points. The true distance lies within the grid spacing below.
double echantillonnee(const point3 &p, const point3 &a, const point3 &b, const point3 &c, int n)
{
    double best = std::numeric_limits<double>::infinity();
    for (int i = 0; i <= n; ++i)
        for (int j = 0; i + j <= n; ++j) {
            double u = double(i) / n, v = double(j) / n, w = 1 - u - v;
            point3 q(u * a.x + v * b.x + w * c.x, u * a.y + v * b.y + w * c.y, u * a.z + v * b.z + w * c.z);
            best = std::min(best, dist(p, q));
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

} // namespace

TEST(DistancePointTriangle, FlatTrianglesGiveTheDistanceToTheirSegmentOrPoint)
{
    const point3 p(1, 1, 1);
    // Collinear corners, middle one last: the segment from (0,0,0) to (4,0,0).
    double d = distancePointTriangle(p, point3(0, 0, 0), point3(4, 0, 0), point3(2, 0, 0));
    EXPECT_DOUBLE_EQ(d, std::sqrt(2.0));
    // Past the end of that segment.
    d = distancePointTriangle(point3(7, 4, 0), point3(0, 0, 0), point3(4, 0, 0), point3(2, 0, 0));
    EXPECT_DOUBLE_EQ(d, 5);
    // Three coincident corners: a point.
    d = distancePointTriangle(p, point3(1, 1, 4), point3(1, 1, 4), point3(1, 1, 4));
    EXPECT_DOUBLE_EQ(d, 3);
    EXPECT_FALSE(std::isnan(distancePointTriangle(p, point3(), point3(), point3(1e-300, 0, 0))));
}

TEST(DistancePointTriangle, AgreesWithDenseSamplingOnRandomTriangles)
{
    std::mt19937 g(12345);
    const int n = 120;
    for (int essai = 0; essai < 300; ++essai) {
        point3 a = aleatoire(g, 1), b = aleatoire(g, 1), c = aleatoire(g, 1);
        point3 p = aleatoire(g, 2);
        if (essai % 5 == 0) // points in the triangle's plane, where the regions meet
            p = point3(2 * a.x - b.x, 2 * a.y - b.y, 2 * a.z - b.z);
        const double d = distancePointTriangle(p, a, b, c);
        const double haut = echantillonnee(p, a, b, c, n);
        const double pas = std::max({dist(a, b), dist(b, c), dist(c, a)}) / n;
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
    // Faces with an index out of range are left out, not read.
    faces.push_back({0, 1, static_cast<int>(sommets.size())});
    faces.push_back({-1, 1, 2});
    // So is a face with a corner that is not a number.
    sommets.push_back(point3(std::nan(""), 0, 0));
    faces.push_back({0, 1, static_cast<int>(sommets.size()) - 1});
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
    EXPECT_TRUE(std::isinf(ArbreTriangles({}, {}).distance(point3(1, 2, 3))));
}

TEST(Resumer, MeanNearestRankPercentileAndMaximum)
{
    std::vector<double> d;
    for (int i = 100; i >= 1; --i) // unsorted on purpose
        d.push_back(i);
    auto s = resumer(d);
    EXPECT_EQ(s.nombre, 100u);
    EXPECT_DOUBLE_EQ(s.moyenne, 50.5);
    EXPECT_EQ(s.centile95, 95); // rank ceil(0.95 * 100) = 95
    EXPECT_EQ(s.maximum, 100);

    // 20 values: rank 19; 21 values: rank ceil(19.95) = 20.
    EXPECT_EQ(resumer(std::vector<double>(d.end() - 20, d.end())).centile95, 19);
    EXPECT_EQ(resumer(std::vector<double>(d.end() - 21, d.end())).centile95, 20);
    auto un = resumer({2.5});
    EXPECT_EQ(un.moyenne, 2.5);
    EXPECT_EQ(un.centile95, 2.5);
    EXPECT_EQ(un.maximum, 2.5);

    auto rien = resumer({});
    EXPECT_EQ(rien.nombre, 0u);
    EXPECT_EQ(rien.moyenne, 0);
    EXPECT_EQ(rien.maximum, 0);
}

TEST(ArbreTriangles, ManyPointsAtOnceGiveTheSameValuesInOrder)
{
    std::mt19937 g(31);
    std::vector<point3> sommets;
    std::vector<std::array<int, 3>> faces;
    for (int i = 0; i < 300; ++i) {
        sommets.push_back(aleatoire(g, 5));
        sommets.push_back(aleatoire(g, 5));
        sommets.push_back(aleatoire(g, 5));
        faces.push_back({3 * i, 3 * i + 1, 3 * i + 2});
    }
    const ArbreTriangles arbre(sommets, faces);
    // Enough points for the work to be shared, and a handful (done in one go).
    for (std::size_t n : {50000u, 7u, 0u}) {
        std::vector<point3> points;
        for (std::size_t i = 0; i < n; ++i)
            points.push_back(aleatoire(g, 8));
        const std::vector<double> d = arbre.distances(points);
        ASSERT_EQ(d.size(), n);
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_EQ(d[i], arbre.distance(points[i])) << i;
    }
}
