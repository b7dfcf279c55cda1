// One deformation step: neighbourhood mean of the simplex angle, forces, target search, the moves.

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "Simplex.h"
#include "kdtree.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;

namespace {

/// The neighbourhood mean as a literal walk over every path (3^profondeur visits): the reference
/// the engine's linear-cost mean is held to.
void angleMoyenLitteral(PointSimplex p, int profondeur, float &moyenne)
{
    const float entree = moyenne;
    int k = 0;
    std::vector<PointSimplex *> comptes;
    for (PointSimplex *v : {p.Voisin1, p.Voisin2, p.Voisin3})
        if (*v != p) {
            moyenne = moyenne + v->Phi;
            ++k;
            comptes.push_back(v);
        }
    if (entree == 0)
        moyenne = arrondiFloat(static_cast<double>(moyenne) / k);
    else
        moyenne = arrondiFloat(static_cast<double>(moyenne) / (k + 1));
    if (profondeur - 1 < 1)
        return;
    for (PointSimplex *v : comptes)
        angleMoyenLitteral(PointSimplex(*v), profondeur - 1, moyenne);
}

/// A template-sized mesh (dual of a once-split icosahedron, 80 points) with seeded random angles.
void maillageAnglesAleatoires(Simplex &s, unsigned graine, bool avecSignes)
{
    icosaedreDual(s, 1, 10.0);
    std::mt19937 gen(graine);
    std::uniform_real_distribution<float> loi(avecSignes ? -1.2f : 0.05f, 1.2f);
    for (PointSimplex *p : s.ListePointsSimplex)
        p->Phi = loi(gen);
}

std::vector<point3> positions(const std::vector<PointSimplex *> &liste)
{
    std::vector<point3> r;
    for (const PointSimplex *p : liste)
        r.push_back(p->Position);
    return r;
}

} // namespace

// --- neighbourhood mean ------------------------------------------------------------------------------

TEST(AngleMoyen, EqualsTheLiteralWalkExactlyUpToRigidityTwo)
{
    for (unsigned graine : {1u, 2u, 3u}) {
        Simplex s;
        maillageAnglesAleatoires(s, graine, true);
        for (int profondeur : {-1, 0, 1, 2})
            for (const PointSimplex *p : s.ListePointsSimplex)
                for (float depart : {0.0f, 0.37f}) {
                    float attendu = depart, obtenu = depart;
                    angleMoyenLitteral(PointSimplex(*p), profondeur, attendu);
                    s.angleMoyen(PointSimplex(*p), profondeur, obtenu);
                    ASSERT_EQ(obtenu, attendu) << "depth " << profondeur << " seed " << graine;
                }
    }
}

TEST(AngleMoyen, AgreesWithTheLiteralWalkWithinSinglePrecisionAboveTwo)
{
    Simplex s;
    maillageAnglesAleatoires(s, 7, false);
    for (int profondeur = 3; profondeur <= 9; ++profondeur)
        for (std::size_t i = 0; i < s.ListePointsSimplex.size(); i += 7) {
            const PointSimplex *p = s.ListePointsSimplex[i];
            float attendu = 0, obtenu = 0;
            angleMoyenLitteral(PointSimplex(*p), profondeur, attendu);
            s.angleMoyen(PointSimplex(*p), profondeur, obtenu);
            ASSERT_NEAR(obtenu, attendu, 4e-7f * std::fabs(attendu) + 1e-7f)
                << "depth " << profondeur << " point " << i;
        }
    // Neighbour angles that cancel: the running mean is exactly 0 when the summarised walk starts.
    PointSimplex *q = s.ListePointsSimplex[0];
    q->Voisin1->Phi = 0.5f;
    q->Voisin2->Phi = -0.5f;
    q->Voisin3->Phi = 0.0f;
    for (int profondeur = 3; profondeur <= 5; ++profondeur) {
        float attendu = 0, obtenu = 0;
        angleMoyenLitteral(PointSimplex(*q), profondeur, attendu);
        s.angleMoyen(PointSimplex(*q), profondeur, obtenu);
        ASSERT_NEAR(obtenu, attendu, 4e-7f * std::fabs(attendu) + 1e-7f) << "depth " << profondeur;
    }
    // 3^60 paths would never finish; the mean of equal angles is that angle at any depth.
    for (PointSimplex *p : s.ListePointsSimplex)
        p->Phi = 0.25f;
    float m = 0;
    s.angleMoyen(PointSimplex(*s.ListePointsSimplex[0]), 60, m);
    EXPECT_NEAR(m, 0.25f, 1e-6f);
}

TEST(AngleMoyen, DeformationUsesTheSameMeanAsTheWalk)
{
    // With alpha = 1 and beta = 0 the step moves each point by its internal force, which depends
    // on the mean only through CalculParametre_L: compare against forces built from the literal
    // walk at a depth where the engine summarises (rigidity 5).
    Simplex s;
    maillageAnglesAleatoires(s, 11, false);
    std::vector<point3> attendues;
    for (const PointSimplex *p : s.ListePointsSimplex) {
        float moyenne = 0;
        angleMoyenLitteral(PointSimplex(*p), 5, moyenne);
        const float cible = (moyenne + p->Phi) * 0.5f;
        const float h = s.CalculParametre_L(p->Rayon, p->DistanceCentre, cible);
        const double w = 0.33333334f;
        const point3 &v1 = p->Voisin1->Position, &v2 = p->Voisin2->Position, &v3 = p->Voisin3->Position;
        const point3 c(arrondiFloat(v3.x * w + v1.x * w + v2.x * w), arrondiFloat(v3.y * w + v1.y * w + v2.y * w),
                       arrondiFloat(v3.z * w + v1.z * w + v2.z * w));
        attendues.push_back(point3(c.x + h * p->Ni.x, c.y + h * p->Ni.y, c.z + h * p->Ni.z));
    }
    captureStdout([&] { s.deformer(nullptr, 0, 1.0f, 0.0f, 0.0f, 5, false); });
    for (std::size_t i = 0; i < attendues.size(); ++i) {
        const point3 &q = s.ListePointsSimplex[i]->Position;
        EXPECT_NEAR(q.x, attendues[i].x, 1e-4);
        EXPECT_NEAR(q.y, attendues[i].y, 1e-4);
        EXPECT_NEAR(q.z, attendues[i].z, 1e-4);
    }
}

// --- forces -------------------------------------------------------------------------------------------

TEST(Forces, ExternalForceKeepsOnlyTheNormalComponent)
{
    Simplex s;
    PointSimplex p(point3(1, 2, 3), nullptr, nullptr, nullptr);
    p.Ni = vector3(0, 0, 1);
    const vector3 f = s.forceExterne(p, point3(5, -4, 7.5));
    EXPECT_EQ(f.x, 0);
    EXPECT_EQ(f.y, 0);
    EXPECT_EQ(f.z, 4.5);
}

// --- the step -----------------------------------------------------------------------------------------

TEST(Deformer, ForcesAreComputedBeforeAnyPointMoves)
{
    // Compute every point's expected new position from the start state, then step.
    Simplex s;
    icosaedreDual(s, 1, 5.0);
    const std::vector<point3> nuage = nuageEllipsoide(500, 8, 6, 5);
    KdPtr kd = kdSur(nuage);

    const float alpha = 0.7f, beta = 0.4f, gamma = 0.3f;
    for (std::size_t i = 0; i < s.ListePointsPrecedents.size(); ++i)
        s.ListePointsPrecedents[i]->Position = s.ListePointsSimplex[i]->Position + point3(0.1, -0.05 * (i % 3), 0.02);

    std::vector<point3> attendues;
    for (std::size_t i = 0; i < s.ListePointsSimplex.size(); ++i) {
        const PointSimplex &p = *s.ListePointsSimplex[i];
        const point3 P = p.Position;
        // Nearest cloud point by brute force, from the float-rounded position.
        const point3 Pf(arrondiFloat(P.x), arrondiFloat(P.y), arrondiFloat(P.z));
        std::size_t plusProche = 0;
        for (std::size_t j = 1; j < nuage.size(); ++j)
            if (vector3(Pf, nuage[j]).norme() < vector3(Pf, nuage[plusProche]).norme())
                plusProche = j;
        const point3 &N = nuage[plusProche];
        const point3 T(arrondiFloat(N.x), arrondiFloat(N.y), arrondiFloat(N.z));
        const vector3 fe = s.forceExterne(p, T);
        const vector3 fi = s.forceInterne(p, 2);
        const point3 &Q = s.ListePointsPrecedents[i]->Position;
        attendues.emplace_back(((P.x + gamma * (P.x - Q.x)) + alpha * fi.x) + beta * fe.x,
                               ((P.y + gamma * (P.y - Q.y)) + alpha * fi.y) + beta * fe.y,
                               ((P.z + gamma * (P.z - Q.z)) + alpha * fi.z) + beta * fe.z);
    }
    const std::vector<point3> avant = positions(s.ListePointsSimplex);
    captureStdout([&] { s.deformer(kd.get(), 1, alpha, beta, gamma, 2, false); });
    for (std::size_t i = 0; i < attendues.size(); ++i) {
        EXPECT_TRUE(s.ListePointsSimplex[i]->Position == attendues[i]) << i;
        EXPECT_TRUE(s.ListePointsPrecedents[i]->Position == avant[i]) << i;
    }
}

// Only the internal force acts, as in a step with beta = 0, when the cloud is empty or missing or
// its points lie beyond the cut-off.
TEST(Deformer, EmptyMissingOrFarCloudAppliesNoExternalForce)
{
    KdPtr vide(kd_make(3));
    const std::vector<point3> loin = {point3(1e7, 0, 0)};
    KdPtr kdLoin = kdSur(loin);
    Simplex reference;
    cubeDual(reference, 2.0);
    captureStdout([&] { reference.deformer(nullptr, 0, 0.5f, 0.0f, 0.0f, 2, false); });
    for (const auto &cas : {std::make_pair(vide.get(), false), std::make_pair<kd_tree *>(nullptr, true),
                            std::make_pair(kdLoin.get(), false)}) {
        Simplex s;
        cubeDual(s, 2.0);
        captureStdout([&] { s.deformer(cas.first, 0, 0.5f, 1.0f, 0.0f, 2, cas.second); });
        for (std::size_t i = 0; i < 8; ++i)
            EXPECT_TRUE(s.ListePointsSimplex[i]->Position == reference.ListePointsSimplex[i]->Position);
    }
}

// --- vision cone --------------------------------------------------------------------------------------

class Cone : public ::testing::Test
{
protected:
    Simplex s;
    point3 P{0, 0, 0};
    vector3 axe{0, 0, 1};
};

TEST_F(Cone, APointOnACloudPointStaysThere)
{
    const std::vector<point3> nuage = {point3(0, 0, 0), point3(0, 0, 1)};
    KdPtr kd = kdSur(nuage);
    EXPECT_TRUE(s.plusProcheDansCone(kd.get(), P, 2000, axe, 45) == P);
}

TEST_F(Cone, FortyFiveDegreesTakeTheHalfSpaceAheadAndTheNearPartBehind)
{
    // AngleCone 45 gives a half-angle of pi/2: ahead of the plane through P normal to the axis
    // everything counts; behind it, only points within the radius; on the plane, nothing.
    {
        // The search radius is the nearest point's distance plus the cone radius.
        const std::vector<point3> nuage = {point3(0.5, 0, 0), point3(3, 0, 0.01), point3(0, 0, -5)};
        KdPtr kd = kdSur(nuage);
        EXPECT_TRUE(s.plusProcheDansCone(kd.get(), P, 6, axe, 45) == nuage[1]);
        EXPECT_TRUE(s.plusProcheDansCone(kd.get(), P, 2, axe, 45) == P);
    }
    {
        const std::vector<point3> nuage = {point3(0, 0, -1.5), point3(0, 0.5, 2)};
        KdPtr kd = kdSur(nuage);
        EXPECT_TRUE(s.plusProcheDansCone(kd.get(), P, 2, axe, 45) == nuage[0]);
        EXPECT_TRUE(s.plusProcheDansCone(kd.get(), P, 1.2, axe, 45) == nuage[1]);
    }
    {
        // Narrow cone (AngleCone 10: half-angle 20 degrees): a point 30 degrees off the axis is out.
        const double r = 2;
        const point3 dedans(r * std::sin(0.3), 0, r * std::cos(0.3));
        const point3 dehors(std::sin(0.52), 0, std::cos(0.52));
        const std::vector<point3> nuage = {dehors, dedans};
        KdPtr kd = kdSur(nuage);
        EXPECT_TRUE(s.plusProcheDansCone(kd.get(), P, 10, axe, 10) == dedans);
    }
    // No cloud: the point itself.
    KdPtr vide(kd_make(3));
    EXPECT_TRUE(s.plusProcheDansCone(vide.get(), point3(1, 2, 3), 10, axe, 45) == point3(1, 2, 3));
    EXPECT_TRUE(s.plusProcheDansCone(nullptr, point3(1, 2, 3), 10, axe, 45) == point3(1, 2, 3));
}
