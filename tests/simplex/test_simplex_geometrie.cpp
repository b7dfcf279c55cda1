// Geometry of one simplex point: normal, circumcircle, metric parameters and simplex angle.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "Simplex.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;

namespace {

const double PI = 3.141592653589793;

/// A point and its three neighbours owned by a Simplex (point 0 of ListePointsSimplex).
class Etoile : public ::testing::Test
{
protected:
    Simplex s;
    PointSimplex *p = nullptr;
    PointSimplex *v[3] = {nullptr, nullptr, nullptr};

    void placer(const point3 &position, const point3 &a, const point3 &b, const point3 &c)
    {
        if (!p) {
            for (auto &w : v)
                w = new PointSimplex;
            p = new PointSimplex(point3(), v[0], v[1], v[2]);
            s.ListePointsSimplex = {p};
            s.ListePointsInitiaux = {v[0], v[1], v[2]};
        }
        p->Position = position;
        v[0]->Position = a;
        v[1]->Position = b;
        v[2]->Position = c;
    }

    /// Equilateral neighbours on the circle of radius r in the plane z = 0, counter-clockwise.
    void equilateral(const point3 &position, double r = 1.0)
    {
        placer(position, point3(r, 0, 0), point3(-r / 2, r * std::sqrt(3.0) / 2, 0),
               point3(-r / 2, -r * std::sqrt(3.0) / 2, 0));
    }

    std::string majSortie(int niveau = 0)
    {
        std::string sortie;
        const std::string erreurs = captureStderr([&] { sortie = captureStdout([&] { s.majParametres(0, niveau); }); });
        return sortie + erreurs;
    }
};

} // namespace

TEST_F(Etoile, EquilateralNeighboursGiveNormalCircleAndThirds)
{
    equilateral(point3(0, 0, 0), 2.0);
    EXPECT_EQ(captureStdout([&] { s.majParametres(0, 0); }), "");
    EXPECT_NEAR(p->Ni.z, 1.0, 1e-7);
    EXPECT_NEAR(p->Ni.x, 0.0, 1e-7);
    EXPECT_NEAR(vector3(point3(), p->CentreCercle).norme(), 0, 1e-6);
    EXPECT_NEAR(p->Rayon, 2.0, 1e-6);
    EXPECT_NEAR(p->DistanceCentre, 0, 1e-6);
    // A point in its neighbours' plane is flat.
    EXPECT_EQ(p->Phi, 0);
    EXPECT_EQ(p->SinPhi, 0);
    EXPECT_EQ(p->CosPhi, 1);
    for (double e : {p->Epsilon1, p->Epsilon2, p->Epsilon3})
        EXPECT_NEAR(e, 1.0 / 3, 1e-6);
    // The normal follows the neighbour order.
    std::swap(p->Voisin2, p->Voisin3);
    majSortie();
    EXPECT_NEAR(p->Ni.z, -1.0, 1e-7);
    // Coinciding neighbours give the zero normal.
    placer(point3(0, 0, 1), point3(2, 2, 2), point3(2, 2, 2), point3(2, 2, 2));
    EXPECT_NE(majSortie(), "");
    EXPECT_EQ(p->Ni.norme(), 0);
}

TEST_F(Etoile, MetricParametersAreTheBarycentricCoordinatesOfTheProjection)
{
    // Generic triangle, point above it; projection inside and outside the triangle.
    const point3 a(0, 0, 0), b(3, 0, 0), c(0, 2, 0);
    for (const point3 &pos : {point3(1, 0.5, 0.7), point3(-1, 3, -2)}) {
        placer(pos, a, b, c);
        majSortie();
        const double l2 = pos.x / 3, l3 = pos.y / 2, l1 = 1 - l2 - l3;
        EXPECT_NEAR(p->Epsilon1, l1, 1e-6);
        EXPECT_NEAR(p->Epsilon2, l2, 1e-6);
        EXPECT_NEAR(p->Epsilon3, l3, 1e-6);
    }
}

TEST_F(Etoile, SineAndCosineOfTheAngleAtB)
{
    EXPECT_NEAR(s.sinusAngle(point3(1, 0, 0), point3(0, 0, 0), point3(0, 5, 0)), 1.0f, 1e-7);
    EXPECT_NEAR(s.cosinusAngle(point3(1, 0, 0), point3(0, 0, 0), point3(0, 5, 0)), 0.0f, 1e-7);
    EXPECT_NEAR(s.cosinusAngle(point3(2, 0, 0), point3(1, 0, 0), point3(0, 0, 0)), -1.0f, 1e-7);
    EXPECT_NEAR(s.sinusAngle(point3(1, 1, 0), point3(0, 0, 0), point3(1, 0, 0)), std::sqrt(0.5), 1e-7);
}

TEST_F(Etoile, AngleAndHeightInvertEachOther)
{
    // Random neighbour triangles and points above and below them, near and far: the angle that
    // calculAngleSimplexe stores gives back the height through CalculParametre_L.
    std::mt19937 gen(2024);
    std::uniform_real_distribution<double> coord(-1, 1), hauteur(-3, 3);
    int auDelaDeLAngleDroit = 0, verifies = 0;
    for (int essai = 0; essai < 400; ++essai) {
        const point3 a(coord(gen) + 1, coord(gen), 0.2 * coord(gen));
        const point3 b(coord(gen) - 1, coord(gen) + 1, 0.2 * coord(gen));
        const point3 c(coord(gen), coord(gen) - 1.5, 0.2 * coord(gen));
        const double bx = (a.x + b.x + c.x) / 3, by = (a.y + b.y + c.y) / 3;
        placer(point3(bx + 0.3 * coord(gen), by + 0.3 * coord(gen), hauteur(gen)), a, b, c);
        if (!majSortie().empty())
            continue; // a diagnostic was printed
        const float L = static_cast<float>(vector3(a, p->Position) * p->Ni);
        if (p->DistanceCentre >= p->Rayon)
            continue; // projection outside the circle: the angle does not describe the height
        ++verifies;
        if (std::fabs(p->Phi) >= PI / 2)
            ++auDelaDeLAngleDroit;
        EXPECT_NEAR(s.CalculParametre_L(p->Rayon, p->DistanceCentre, p->Phi), L, 1e-4)
            << "trial " << essai << " phi " << p->Phi;
        EXPECT_EQ(p->Phi > 0, L > 0) << "trial " << essai;
        EXPECT_NEAR(p->SinPhi, std::sin(p->Phi), 1e-6);
        EXPECT_NEAR(p->CosPhi, std::cos(p->Phi), 1e-6);
    }
    EXPECT_GT(verifies, 200);
    EXPECT_GT(auDelaDeLAngleDroit, 10); // the half-turn branch was exercised
}

TEST_F(Etoile, UpdateLevelsKeepWhatAMoveCannotChange)
{
    equilateral(point3(0, 0, 0.5));
    majSortie();
    const vector3 normale = p->Ni;
    const float rayon = p->Rayon;

    p->Ni = vector3(1, 0, 0);
    p->Rayon = 7;
    majSortie(2);
    EXPECT_EQ(p->Ni.x, 1); // kept
    EXPECT_EQ(p->Rayon, 7);
    majSortie(1);
    EXPECT_EQ(p->Ni.x, 1); // kept
    EXPECT_NEAR(p->Rayon, rayon, 1e-6);
    majSortie(0);
    EXPECT_EQ(p->Ni.z, normale.z);

    // A missing neighbour clears the point's geometry ...
    p->Voisin2 = nullptr;
    EXPECT_NE(majSortie(), "");
    EXPECT_EQ(p->Ni.norme(), 0);
    EXPECT_EQ(p->Rayon, 0);
    EXPECT_EQ(p->Phi, 0);
    EXPECT_EQ(p->Epsilon3, 0);
    // ... but the whole-mesh update keeps Epsilon3 and Phi.
    p->Phi = 0.75f;
    p->Epsilon3 = 0.5;
    p->Rayon = 3;
    captureStdout([&] { s.initialiserParametres(); });
    EXPECT_EQ(p->Phi, 0.75f);
    EXPECT_EQ(p->Epsilon3, 0.5);
    EXPECT_EQ(p->Rayon, 0);
}

TEST(Geometrie, UniformMeshesHaveEqualAnglesAndMeansToMatch)
{
    // Every point of the cube sees the same configuration: one angle for all, and the internal
    // force of a point is then purely along its normal (no tangential pull).
    Simplex s;
    cubeDual(s, 3.0);
    const float phi = s.ListePointsSimplex[0]->Phi;
    EXPECT_GT(phi, 0);
    for (const PointSimplex *p : s.ListePointsSimplex) {
        EXPECT_NEAR(p->Phi, phi, 1e-6);
        float m = 0;
        s.angleMoyen(PointSimplex(*p), 1, m);
        EXPECT_NEAR(m, p->Phi, 1e-6);
        const vector3 f = s.forceInterne(*p, 1);
        EXPECT_NEAR((f + p->Ni * -(f * p->Ni)).norme(), 0, 1e-5);
    }
}
