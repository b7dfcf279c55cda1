// Data model of the simplex mesh: records, refused copies and drawing, reset, whole-mesh moves.

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "Simplex.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;


TEST(PointSimplex, CopiesCarryPositionAndNeighboursOnly)
{
    PointSimplex a, b;
    PointSimplex p(point3(1, 2, 3), &a, &b, &a);
    p.Ni = vector3(0, 0, 1);
    p.Rayon = 2;
    p.Phi = 0.5f;
    p.Epsilon3 = 0.25;
    const PointSimplex copie(p);
    EXPECT_TRUE(copie == p);
    EXPECT_FALSE(copie != p);
    EXPECT_EQ(copie.Ni.norme(), 0);
    EXPECT_EQ(copie.Rayon, 0);
    EXPECT_EQ(copie.Phi, 0);
    EXPECT_EQ(copie.Epsilon3, 0);

    PointSimplex autreVoisin(point3(1, 2, 3), &a, &b, &b);
    PointSimplex autrePosition(point3(1, 2, 3.5), &a, &b, &a);
    EXPECT_TRUE(autreVoisin != p);
    EXPECT_TRUE(autrePosition != p);

    const PointSimplex vide;
    EXPECT_TRUE(vide.Position == point3(0, 0, 0));
    EXPECT_EQ(vide.Voisin1, nullptr);
    EXPECT_FALSE(vide.aSesVoisins());
}

TEST(Simplex, ReinitialiserSharesTheInitialRecords)
{
    TempDir dir;
    Simplex source;
    cubeDual(source);
    captureStdout([&] { source.exporter(dir.file("cube.smm"), 2); });

    Simplex s;
    captureStdout([&] { ASSERT_EQ(s.charger(dir.file("cube.smm")), 1); });
    s.setConeDeVision(10, 5);
    s.calculerCentre();
    captureStdout([&] { s.deplacer('x', 4); });
    s.calculerCentre();
    EXPECT_NE(s.Centre->x, 0);

    s.reinitialiser();
    EXPECT_EQ(s.ListePointsSimplex, s.ListePointsInitiaux);
    EXPECT_EQ(s.ListePointsSuivants, s.ListePointsInitiaux);
    EXPECT_EQ(s.ListePointsPrecedents, s.ListePointsInitiaux);
    EXPECT_TRUE(s.ListeMailles.empty());
    EXPECT_TRUE(s.ListeMaillesSuivantes.empty());
    EXPECT_TRUE(*s.Centre == point3(0, 0, 0));
    EXPECT_EQ(s.RayonCone, 2000);
    EXPECT_EQ(s.AngleCone, 45);
    // The initial records hold the positions as read, before the move.
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_NEAR(s.ListePointsSimplex[i]->Position.x, source.ListePointsSimplex[i]->Position.x, 1e-6);
    // Destruction releases each shared record once (checked by the sanitiser builds).
}

TEST(Simplex, CentreIsTheMiddleOfTheSinglePrecisionBox)
{
    Simplex s;
    cubeDual(s, 3.0);
    s.ListePointsSimplex[0]->Position = point3(0.1, -7, 2);
    s.calculerCentre();
    // Cube corners at +-1 after the octahedron of radius 3; x spans [-1, 1], y [-7, 1], z [-1, 2].
    EXPECT_EQ(s.Centre->x, 0);
    EXPECT_EQ(s.Centre->y, -3);
    EXPECT_EQ(s.Centre->z, 0.5);

    Simplex t;
    t.ListePointsInitiaux = {new PointSimplex(point3(0.1, 0.1, 0.1), nullptr, nullptr, nullptr)};
    t.ListePointsSimplex = t.ListePointsInitiaux;
    t.calculerCentre();
    EXPECT_EQ(t.Centre->x, static_cast<double>(0.1f)); // 0.100000001490116...
    EXPECT_NE(t.Centre->x, 0.1);
}

TEST(Simplex, CentrerMovesTheBoxCentreOntoTheTargetOnly)
{
    Simplex s;
    cubeDual(s, 3.0);
    std::vector<point3> positions;
    std::vector<vector3> normales;
    std::vector<float> angles;
    for (const PointSimplex *p : s.ListePointsSimplex)
    {
        positions.push_back(p->Position);
        normales.push_back(p->Ni);
        angles.push_back(p->Phi);
    }
    const point3 precedent0 = s.ListePointsPrecedents[0]->Position;
    s.centrer(point3(10, -2, 0.5));
    s.calculerCentre();
    EXPECT_TRUE(*s.Centre == point3(10, -2, 0.5));
    for (std::size_t i = 0; i < 8; ++i)
    {
        const PointSimplex &p = *s.ListePointsSimplex[i];
        EXPECT_TRUE(p.Position == positions[i] + point3(10, -2, 0.5));
        EXPECT_EQ(p.Ni.x, normales[i].x); // nothing recomputed
        EXPECT_EQ(p.Phi, angles[i]);
    }
    EXPECT_TRUE(s.ListePointsPrecedents[0]->Position == precedent0);
}

TEST(Simplex, DilatationScalesAboutTheMeanPoint)
{
    Simplex s;
    cubeDual(s, 3.0);
    for (PointSimplex *p : s.ListePointsSimplex)
        p->Position = p->Position + point3(2, 0, 0);
    captureStdout([&] { s.initialiserParametres(); });
    const float rayon = s.ListePointsSimplex[0]->Rayon;
    std::vector<point3> avant;
    for (const PointSimplex *p : s.ListePointsSimplex)
        avant.push_back(p->Position);

    // Factor 1: positions unchanged, still recorded as previous, geometry recomputed.
    for (PointSimplex *p : s.ListePointsSimplex)
        p->Phi = 9;
    EXPECT_TRUE(s.dilatation(1.0));
    for (std::size_t i = 0; i < 8; ++i)
    {
        EXPECT_TRUE(s.ListePointsSimplex[i]->Position == avant[i]);
        EXPECT_TRUE(s.ListePointsPrecedents[i]->Position == avant[i]);
        EXPECT_NE(s.ListePointsSimplex[i]->Phi, 9);
    }

    // Factor 2 about the mean (2, 0, 0): distances to it double, radii follow, normals stay.
    EXPECT_TRUE(s.dilatation(2.0));
    for (std::size_t i = 0; i < 8; ++i)
    {
        const point3 &p = s.ListePointsSimplex[i]->Position;
        EXPECT_NEAR(p.x - 2, 2 * (avant[i].x - 2), 1e-12);
        EXPECT_NEAR(p.y, 2 * avant[i].y, 1e-12);
        EXPECT_NEAR(p.z, 2 * avant[i].z, 1e-12);
        EXPECT_TRUE(s.ListePointsPrecedents[i]->Position == avant[i]);
    }
    EXPECT_NEAR(s.ListePointsSimplex[0]->Rayon, 2 * rayon, 1e-5);
}

TEST(Simplex, DeplacerMovesAlongOneAxisOnly)
{
    Simplex s;
    cubeDual(s, 3.0);
    std::vector<point3> avant;
    for (const PointSimplex *p : s.ListePointsSimplex)
        avant.push_back(p->Position);

    EXPECT_FALSE(s.deplacer('w', 5));
    EXPECT_FALSE(s.deplacer('X', 5));
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_TRUE(s.ListePointsSimplex[i]->Position == avant[i]);

    // Level 2 keeps the radius: make it recognisable first.
    for (PointSimplex *p : s.ListePointsSimplex)
        p->Rayon = 123;
    EXPECT_TRUE(s.deplacer('y', -1.5));
    for (std::size_t i = 0; i < 8; ++i)
    {
        const PointSimplex &p = *s.ListePointsSimplex[i];
        EXPECT_TRUE(p.Position == point3(avant[i].x, avant[i].y - 1.5, avant[i].z));
        EXPECT_TRUE(s.ListePointsPrecedents[i]->Position == avant[i]);
        EXPECT_EQ(p.Rayon, 123);
    }
    EXPECT_TRUE(s.deplacer('z', 2));
    EXPECT_EQ(s.ListePointsSimplex[0]->Position.z, avant[0].z + 2);
}
