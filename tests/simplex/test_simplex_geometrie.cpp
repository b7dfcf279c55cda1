// Geometry of one simplex point: normal, circumcircle, metric parameters, simplex angle, and the
// diagnostics each computation prints.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

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
        if (!p)
        {
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

    std::string majSortie()
    {
        return captureStdout([&] { s.majParametres(0, 0); });
    }
};

} // namespace

TEST_F(Etoile, NormalFollowsTheNeighbourOrder)
{
    equilateral(point3(0, 0, 0.3));
    majSortie();
    EXPECT_NEAR(p->Ni.z, 1.0, 1e-7);
    EXPECT_NEAR(p->Ni.x, 0.0, 1e-7);
    std::swap(p->Voisin2, p->Voisin3);
    majSortie();
    EXPECT_NEAR(p->Ni.z, -1.0, 1e-7);
}

TEST_F(Etoile, CoincidingNeighboursGiveTheZeroNormalAndWarnEveryTime)
{
    placer(point3(0, 0, 1), point3(2, 2, 2), point3(2, 2, 2), point3(2, 2, 2));
    const std::string ligne = "Erreur : La norme = 0 dans la fonction calculeNormaleNi de la classe "
                              "Simplexe. Ceci est le dernier avertissement de ce type.\n";
    for (int fois = 0; fois < 2; ++fois)
    {
        std::string erreurs = captureStderr([&] { majSortie(); });
        EXPECT_EQ(erreurs.substr(0, ligne.size()), ligne);
        EXPECT_EQ(p->Ni.norme(), 0);
    }
}

TEST_F(Etoile, EquilateralNeighboursCentreOnTheirCentroid)
{
    equilateral(point3(0.2, -0.1, 0.5), 2.0);
    const point3 c = s.centreCercleCirconscrit(v[0]->Position, v[1]->Position, v[2]->Position);
    EXPECT_NEAR(c.x, 0, 1e-6);
    EXPECT_NEAR(c.y, 0, 1e-6);
    EXPECT_NEAR(c.z, 0, 1e-6);
    majSortie();
    EXPECT_NEAR(p->Rayon, 2.0, 1e-6);
}

TEST_F(Etoile, PointAtTheCentreOfItsNeighboursPlaneIsFlat)
{
    equilateral(point3(0, 0, 0));
    const std::string sortie = majSortie();
    EXPECT_EQ(sortie, "");
    EXPECT_EQ(p->Phi, 0);
    EXPECT_EQ(p->SinPhi, 0);
    EXPECT_EQ(p->CosPhi, 1);
    EXPECT_NEAR(p->DistanceCentre, 0, 1e-6);
    EXPECT_NEAR(p->Epsilon1, 1.0 / 3, 1e-6);
    EXPECT_NEAR(p->Epsilon2, 1.0 / 3, 1e-6);
    EXPECT_NEAR(p->Epsilon3, 1.0 / 3, 1e-6);
}

TEST_F(Etoile, MetricParametersAreTheBarycentricCoordinatesOfTheProjection)
{
    // Generic triangle, point above it; projection inside and outside the triangle.
    const point3 a(0, 0, 0), b(3, 0, 0), c(0, 2, 0);
    for (const point3 &pos : {point3(1, 0.5, 0.7), point3(-1, 3, -2)})
    {
        placer(pos, a, b, c);
        majSortie();
        // Barycentric coordinates of (pos.x, pos.y) in the triangle, by hand.
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

    std::string sortie = captureStdout([&] { s.sinusAngle(point3(0, 0, 0), point3(0, 0, 0), point3(1, 0, 0)); });
    EXPECT_EQ(sortie, "Error ! Norm is null fo the sinus of the angle (0, 0,0)/(0, 0,0)/(1, 0,0)\n");
    sortie = captureStdout([&] { s.cosinusAngle(point3(1, 2, 3), point3(1, 2, 3), point3(1, 0, 0)); });
    EXPECT_EQ(sortie, "Error ! Norm is null fo the cosinus of the angle (1, 2,3)/(1, 2,3)/(1, 0,0)\n");
}

TEST_F(Etoile, RadiusMismatchIsReportedAndTheFirstKept)
{
    placer(point3(0, 0, 1), point3(1, 0, 0), point3(0, 2, 0), point3(0, 0, 3));
    p->CentreCercle = point3(0, 0, 0);
    float r = 0;
    const std::string sortie = captureStdout([&] { r = s.rayonCercleCirconscrit(*p); });
    EXPECT_EQ(r, 1.0f);
    EXPECT_EQ(sortie, "Erreur dans le calcul du rayon du cercle circonscrit\nRayon : 1 2 3\n");
}

TEST_F(Etoile, AngleAndHeightInvertEachOther)
{
    // Random neighbour triangles and points above and below them, near and far: the angle that
    // calculAngleSimplexe stores gives back the height through CalculParametre_L.
    std::mt19937 gen(2024);
    std::uniform_real_distribution<double> coord(-1, 1), hauteur(-3, 3);
    int auDelaDeLAngleDroit = 0, verifies = 0;
    for (int essai = 0; essai < 400; ++essai)
    {
        const point3 a(coord(gen) + 1, coord(gen), 0.2 * coord(gen));
        const point3 b(coord(gen) - 1, coord(gen) + 1, 0.2 * coord(gen));
        const point3 c(coord(gen), coord(gen) - 1.5, 0.2 * coord(gen));
        const double bx = (a.x + b.x + c.x) / 3, by = (a.y + b.y + c.y) / 3;
        placer(point3(bx + 0.3 * coord(gen), by + 0.3 * coord(gen), hauteur(gen)), a, b, c);
        const std::string sortie = majSortie();
        if (!sortie.empty())
            continue; // a diagnostic was printed: checked elsewhere
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

TEST_F(Etoile, HeightBeyondARightAngleUsesTheOtherRoot)
{
    // r = 1, d = 0.5, phi = 1.8: eps = -1, t = tan(1.8).
    const double t = std::tan(static_cast<double>(1.8f)), a = 0.75;
    const float attendu = static_cast<float>(a * t / (-std::sqrt(a * t * t + 1) + 1));
    EXPECT_EQ(s.CalculParametre_L(1.0f, 0.5f, 1.8f), attendu);
    EXPECT_GT(attendu, 0); // a point above its neighbours, far above the circle
    // Flat angle, flat point.
    EXPECT_EQ(s.CalculParametre_L(2.0f, 0.5f, 0.0f), 0.0f);

    std::string sortie;
    float h = 1;
    sortie = captureStdout([&] { h = s.CalculParametre_L(1.0f, 2.0f, 1.0f); });
    EXPECT_EQ(h, 0);
    EXPECT_EQ(sortie, "Erreur dans CalculParametre_L, racine < 0\n");
}

TEST_F(Etoile, UnitHeightOverAUnitCircleGivesTheHundredAngle)
{
    // Radius 1, projection on the centre, height 1: c = r² - d² - L² = 0 exactly.
    placer(point3(0, 0, 1), point3(1, 0, 0), point3(-0.5, 0.8, 0), point3(-0.5, -0.8, 0));
    p->Ni = vector3(0, 0, 1);
    p->CentreCercle = point3(0, 0, 0);
    p->Rayon = 1;
    int drapeau = 9;
    const std::string sortie = captureStdout([&] { drapeau = s.calculAngleSimplexe(*p); });
    EXPECT_EQ(p->Phi, 100);
    EXPECT_EQ(drapeau, 0);
    const float T = std::tan(100.0f);
    const float racine = std::sqrt(T * T + 1.0f);
    const float lPos = T / (racine + 1), lNeg = T / (1 - racine);
    std::ostringstream attendu;
    attendu << "Error in L computation : L = 1 Lpos = " << lPos << " Lneg = " << lNeg
            << " Ni.x = 0 Ni.y = 0 Ni.z = 1\n";
    EXPECT_EQ(sortie, attendu.str());
}

TEST_F(Etoile, DegenerateTriangleReportsItsArea)
{
    placer(point3(0, 0, 1), point3(0, 0, 0), point3(1, 0, 0), point3(2, 0, 0));
    p->Ni = vector3(0, 0, 1);
    const std::string sortie = captureStdout([&] { s.calculEpsilon(*p); });
    EXPECT_EQ(sortie.rfind("Erreur dans le calcul de l'aire signée du triangle\n", 0), 0u) << sortie;
}

TEST_F(Etoile, UpdateLevelsKeepWhatAMoveCannotChange)
{
    equilateral(point3(0, 0, 0.5));
    majSortie();
    const vector3 normale = p->Ni;
    const float rayon = p->Rayon;

    p->Ni = vector3(1, 0, 0);
    p->Rayon = 7;
    captureStdout([&] { s.majParametres(0, 2); });
    EXPECT_EQ(p->Ni.x, 1); // kept
    EXPECT_EQ(p->Rayon, 7);
    captureStdout([&] { s.majParametres(0, 1); });
    EXPECT_EQ(p->Ni.x, 1); // kept
    EXPECT_NEAR(p->Rayon, rayon, 1e-6);
    captureStdout([&] { s.majParametres(0, 0); });
    EXPECT_EQ(p->Ni.z, normale.z);
}

TEST_F(Etoile, MissingNeighbourIsReportedAndItsGeometryCleared)
{
    equilateral(point3(0, 0, 0.5));
    majSortie();
    p->Voisin2 = nullptr;
    EXPECT_EQ(majSortie(), "probleme de voisin\n");
    EXPECT_EQ(p->Ni.norme(), 0);
    EXPECT_EQ(p->Rayon, 0);
    EXPECT_EQ(p->Phi, 0);
    EXPECT_EQ(p->Epsilon3, 0);

    // The whole-mesh update has its own rule: Epsilon3 and Phi keep their values.
    p->Phi = 0.75f;
    p->Epsilon3 = 0.5;
    p->Rayon = 3;
    const std::string sortie = captureStdout([&] { s.initialiserParametres(); });
    EXPECT_EQ(sortie, "Initialisation paramètres\nerreur de voisin\n");
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
    for (const PointSimplex *p : s.ListePointsSimplex)
    {
        EXPECT_NEAR(p->Phi, phi, 1e-6);
        float m = 0;
        s.angleMoyen(PointSimplex(*p), 1, m);
        EXPECT_NEAR(m, p->Phi, 1e-6);
        const vector3 f = s.forceInterne(*p, 1);
        const vector3 tangentiel = f + p->Ni * -(f * p->Ni);
        EXPECT_NEAR(tangentiel.norme(), 0, 1e-5);
    }
}
