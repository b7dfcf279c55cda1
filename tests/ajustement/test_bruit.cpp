// The noise of a cloud: told from shape on clean clouds fine and coarse, smooth and edged; a
// noisy layer brought onto its middle without shrinking, the same on any threads.

#include "ArbrePoints.h"
#include "Bruit.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {

double rayon(const point3 &p)
{
    return std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
}

// n points spread evenly over the sphere of radius r (a spiral of equal areas), each moved along
// its radius by a normal law of deviation `bruit`.
std::vector<point3> sphere(int n, double r, double bruit, unsigned graine = 3)
{
    std::mt19937 g(graine);
    std::normal_distribution<double> loi(0, 1);
    std::vector<point3> points;
    const double or_ = M_PI * (3 - std::sqrt(5.0));
    for (int i = 0; i < n; ++i) {
        const double z = 1 - (2 * i + 1.0) / n, s = std::sqrt(1 - z * z), a = or_ * i;
        const double k = r + (bruit > 0 ? bruit * loi(g) : 0);
        points.push_back(point3(k * s * std::cos(a), k * s * std::sin(a), k * z));
    }
    return points;
}

// The surface of the unit cube on a lattice of m x m points a face: flat faces, sharp edges.
std::vector<point3> cube(int m)
{
    std::vector<point3> points;
    for (int f = 0; f < 6; ++f)
        for (int i = 0; i < m; ++i)
            for (int j = 0; j < m; ++j) {
                const double u = (i + 0.5) / m, v = (j + 0.5) / m, w = f % 2;
                const double c[3][3] = {{w, u, v}, {u, w, v}, {u, v, w}};
                const double *q = c[f / 2];
                points.push_back(point3(q[0], q[1], q[2]));
            }
    return points;
}

MesureBruit mesurer(const std::vector<point3> &points, int fils)
{
    return mesurerBruit(ArbrePoints(points, fils, false), 3000, fils);
}

} // namespace

TEST(Bruit, NoiseIsToldFromShapeOnFineAndCoarseClouds)
{
    // Clean: a fine and a coarse sphere (the quadrics follow them), a cube (its edges and
    // corners leave residuals that shrink with the neighbourhood), a sphere with bumps about
    // as wide as four spacings.
    std::vector<point3> bosses = sphere(4000, 1, 0);
    for (point3 &p : bosses) {
        const double k = 1 + 0.03 * std::sin(14 * std::atan2(p.y, p.x)) * std::sin(14 * std::acos(p.z));
        p = point3(p.x * k, p.y * k, p.z * k);
    }
    for (const auto &propre : {sphere(20000, 1, 0), sphere(300, 1, 0), cube(30), bosses}) {
        const MesureBruit m = mesurer(propre, 2);
        EXPECT_FALSE(m.bruite()) << propre.size() << " points: " << m.residu << " " << m.rapport;
    }
    // Noisy: a fine sphere with noise of a third and of one spacing (0.025); the cube with a
    // third of its spacing.
    std::mt19937 g(11);
    std::normal_distribution<double> loi(0, 1);
    std::vector<point3> cubeBruite = cube(30);
    for (point3 &p : cubeBruite)
        p = p + point3(0.011 * loi(g), 0.011 * loi(g), 0.011 * loi(g));
    for (const auto &bruite : {sphere(20000, 1, 0.008), sphere(20000, 1, 0.025), cubeBruite}) {
        const MesureBruit m = mesurer(bruite, 2);
        EXPECT_TRUE(m.bruite()) << bruite.size() << " points: " << m.residu << " " << m.rapport;
        const MesureBruit un = mesurer(bruite, 1);
        EXPECT_TRUE(un.residu == m.residu && un.rapport == m.rapport);
    }
    // A thin plate (two faces of the cube, 2 x 1.4 and 0.03 apart) and a thin shell look noisy to
    // the residuals, their two faces within one neighbourhood, but leave a gap between them.
    std::vector<point3> coque = sphere(15000, 1, 0), dedans = sphere(15000, 0.98, 0, 5), plaque;
    coque.insert(coque.end(), dedans.begin(), dedans.end());
    for (const point3 &p : cube(60))
        if (p.z == 0 || p.z == 1)
            plaque.push_back(point3(2 * p.x, 1.4 * p.y, 0.03 * p.z));
    for (const auto &mince : {plaque, coque}) {
        const MesureBruit m = mesurer(mince, 2);
        EXPECT_FALSE(m.bruite()) << m.residu << " " << m.rapport << " " << m.milieu;
    }
    // Too few points to say: nothing.
    const MesureBruit rien = mesurer(sphere(20, 1, 0.1), 1);
    EXPECT_TRUE(rien.residu == 0 && rien.rapport == 0 && !rien.bruite());
}

TEST(Bruit, ANoisyLayerComesToItsMiddleTheSameOnAnyThreads)
{
    // 20000 points on the unit sphere (spacing 0.025), moved along the radius by 0.01 (deviation).
    const std::vector<point3> bruite = sphere(20000, 1, 0.01);
    std::vector<point3> un = bruite, trois = bruite;
    ramenerSurLesQuadriques(un, 48, 3, 1);
    ramenerSurLesQuadriques(trois, 48, 3, 3);
    ASSERT_EQ(un, trois);
    double avant = 0, apres = 0, moyen = 0;
    for (std::size_t i = 0; i < un.size(); ++i) {
        avant += std::abs(rayon(bruite[i]) - 1);
        apres += std::abs(rayon(un[i]) - 1);
        moyen += rayon(un[i]);
    }
    const double n = static_cast<double>(un.size());
    // The mean distance to the sphere, 0.008 in the layer, falls under a third of it; the radius
    // keeps its mean within a tenth of the deviation (a plane through 48 neighbours spanning
    // 0.1 of a radius would sit inside the sphere by a quarter of it).
    EXPECT_LT(apres, avant / 3) << avant / n << " -> " << apres / n;
    EXPECT_NEAR(moyen / n, 1, 0.001);
    // A clean sphere is left where it is, to the quadrics' departure from it.
    std::vector<point3> propre = sphere(20000, 1, 0);
    ramenerSurLesQuadriques(propre, 48, 3, 2);
    for (const point3 &p : propre)
        ASSERT_NEAR(rayon(p), 1, 1e-4);
    // Points on a line span no surface: they stay.
    std::vector<point3> droite;
    for (int i = 0; i < 100; ++i)
        droite.push_back(point3(0.01 * i, 0.02 * i, 0));
    const std::vector<point3> avantDroite = droite;
    ramenerSurLesQuadriques(droite, 48, 1, 1);
    EXPECT_EQ(droite, avantDroite);
}
