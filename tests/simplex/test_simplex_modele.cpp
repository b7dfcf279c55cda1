// Data model of the simplex mesh: record copies, reset, centre, whole-mesh moves.

#include <gtest/gtest.h>

#include "Simplex.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;

namespace {

std::vector<point3> positions(const std::vector<PointSimplex *> &liste)
{
    std::vector<point3> r;
    for (const PointSimplex *p : liste)
        r.push_back(p->Position);
    return r;
}

} // namespace

// The neighbourhood mean walks copies: a copy carries position and neighbours, not the geometry.
TEST(PointSimplex, CopiesCarryPositionAndNeighboursOnly)
{
    PointSimplex a, b;
    PointSimplex p(point3(1, 2, 3), &a, &b, &a);
    p.Ni = vector3(0, 0, 1);
    p.Phi = 0.5f;
    const PointSimplex copie(p);
    EXPECT_TRUE(copie == p);
    EXPECT_FALSE(copie != p);
    EXPECT_EQ(copie.Ni.norme(), 0);
    EXPECT_EQ(copie.Phi, 0);
    EXPECT_TRUE(PointSimplex(point3(1, 2, 3), &a, &b, &b) != p);
    EXPECT_TRUE(PointSimplex(point3(1, 2, 3.5), &a, &b, &a) != p);
    EXPECT_FALSE(PointSimplex().aSesVoisins());
}

TEST(Simplex, ReinitialiserSharesTheInitialRecords)
{
    TempDir dir;
    Simplex source;
    cubeDual(source);
    ASSERT_TRUE(source.ecrire(dir.file("cube.smm"), 2).reussi());
    Simplex s;
    ASSERT_TRUE(s.lire(dir.file("cube.smm")).reussi());
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
    // The initial records hold the positions as read, before the move.
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_NEAR(s.ListePointsSimplex[i]->Position.x, source.ListePointsSimplex[i]->Position.x, 1e-6);
}

TEST(Simplex, CentreIsTheMiddleOfTheSinglePrecisionBoxAndCentrerMovesItOnly)
{
    Simplex s;
    cubeDual(s, 3.0);
    s.ListePointsSimplex[0]->Position = point3(0.1, -7, 2);
    s.calculerCentre();
    // Cube corners at +-1; x spans [-1, 1], y [-7, 1], z [-1, 2].
    EXPECT_TRUE(*s.Centre == point3(0, -3, 0.5));

    Simplex t;
    t.ListePointsInitiaux = {new PointSimplex(point3(0.1, 0.1, 0.1), nullptr, nullptr, nullptr)};
    t.ListePointsSimplex = t.ListePointsInitiaux;
    t.calculerCentre();
    EXPECT_EQ(t.Centre->x, static_cast<double>(0.1f));

    const std::vector<point3> avant = positions(s.ListePointsSimplex);
    const float phi = s.ListePointsSimplex[1]->Phi;
    const point3 precedent0 = s.ListePointsPrecedents[0]->Position;
    s.centrer(point3(10, -2, 0.5));
    s.calculerCentre();
    EXPECT_TRUE(*s.Centre == point3(10, -2, 0.5));
    for (std::size_t i = 0; i < 8; ++i) {
        const point3 &p = s.ListePointsSimplex[i]->Position;
        EXPECT_NEAR(vector3(avant[i] + point3(10, 1, 0), p).norme(), 0, 1e-12);
    }
    EXPECT_EQ(s.ListePointsSimplex[1]->Phi, phi); // nothing recomputed
    EXPECT_TRUE(s.ListePointsPrecedents[0]->Position == precedent0);
}

TEST(Simplex, DilatationScalesAboutTheMeanPoint)
{
    Simplex s;
    cubeDual(s, 6.0); // corners at +-2: a factor applied by division would show
    for (PointSimplex *p : s.ListePointsSimplex)
        p->Position = p->Position + point3(2, 0, 0);
    captureStdout([&] { s.initialiserParametres(); });
    const float rayon = s.ListePointsSimplex[0]->Rayon;
    const std::vector<point3> avant = positions(s.ListePointsSimplex);

    // Factor 2 about the mean (2, 0, 0): distances to it double, radii follow.
    EXPECT_TRUE(s.dilatation(2.0));
    for (std::size_t i = 0; i < 8; ++i) {
        const point3 &p = s.ListePointsSimplex[i]->Position;
        EXPECT_NEAR(p.x - 2, 2 * (avant[i].x - 2), 1e-12);
        EXPECT_NEAR(p.y, 2 * avant[i].y, 1e-12);
        EXPECT_NEAR(p.z, 2 * avant[i].z, 1e-12);
    }
    EXPECT_EQ(positions(s.ListePointsPrecedents), avant);
    EXPECT_NEAR(s.ListePointsSimplex[0]->Rayon, 2 * rayon, 1e-5);
}

TEST(Simplex, DeplacerMovesAlongOneAxisOnly)
{
    Simplex s;
    cubeDual(s, 3.0);
    const std::vector<point3> avant = positions(s.ListePointsSimplex);
    EXPECT_FALSE(s.deplacer('w', 5));
    EXPECT_EQ(positions(s.ListePointsSimplex), avant);

    // Level 2 keeps the radius: make it recognisable first.
    for (PointSimplex *p : s.ListePointsSimplex)
        p->Rayon = 123;
    EXPECT_TRUE(s.deplacer('y', -1.5));
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_TRUE(s.ListePointsSimplex[i]->Position == point3(avant[i].x, avant[i].y - 1.5, avant[i].z));
        EXPECT_EQ(s.ListePointsSimplex[i]->Rayon, 123);
    }
    EXPECT_EQ(positions(s.ListePointsPrecedents), avant);
}
