// Geometry of one simplex point: normal, circumcircle, metric parameters and simplex angle. The
// data model: record copies, reset, centre, whole-mesh moves. One deformation step: neighbourhood
// mean of the simplex angle, forces, target search, the moves.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

#include "kdtree.h"
#include "Simplex.h"
#include "refine_fixtures.h"
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
    PointSimplex *v[3] = {new PointSimplex, new PointSimplex, new PointSimplex};
    PointSimplex *p = new PointSimplex(point3(), v[0], v[1], v[2]);

    Etoile()
    {
        s.ListePointsSimplex = {p};
        s.ListePointsInitiaux = {v[0], v[1], v[2]}; // owned by the mesh, as p
    }

    void placer(const point3 &position, const point3 &a, const point3 &b, const point3 &c)
    {
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
        return captureSorties([&] { s.majParametres(0, niveau); });
    }
};

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
    moyenne = arrondiFloat(static_cast<double>(moyenne) / (entree == 0 ? k : k + 1));
    if (profondeur - 1 < 1)
        return;
    for (PointSimplex *v : comptes)
        angleMoyenLitteral(PointSimplex(*v), profondeur - 1, moyenne);
}

/// A template-sized mesh (dual of a once-split icosahedron, 80 points; built when s is empty)
/// with seeded random angles.
void maillageAnglesAleatoires(Simplex &s, unsigned graine, bool avecSignes)
{
    if (s.ListePointsSimplex.empty())
        icosaedreDual(s, 1, 10.0);
    std::mt19937 gen(graine);
    std::uniform_real_distribution<float> loi(avecSignes ? -1.2f : 0.05f, 1.2f);
    for (PointSimplex *p : s.ListePointsSimplex)
        p->Phi = loi(gen);
}

} // namespace

TEST_F(Etoile, EquilateralNeighboursGiveNormalCircleAndThirdsAndLevelsKeepWhatAMoveCannotChange)
{
    equilateral(point3(0, 0, 0), 2.0);
    EXPECT_EQ(captureStdout([&] { s.majParametres(0, 0); }), "");
    EXPECT_LT((p->Ni + vector3(0, 0, -1)).norme(), 1e-7);
    EXPECT_NEAR(vector3(point3(), p->CentreCercle).norme(), 0, 1e-6);
    EXPECT_NEAR(p->Rayon, 2.0, 1e-6);
    EXPECT_NEAR(p->DistanceCentre, 0, 1e-6);
    // A point in its neighbours' plane is flat.
    EXPECT_EQ(std::vector<double>({p->Phi, p->SinPhi, p->CosPhi}), (std::vector<double>{0, 0, 1}));
    EXPECT_LT(vector3(p->Epsilon1 - 1.0 / 3, p->Epsilon2 - 1.0 / 3, p->Epsilon3 - 1.0 / 3).norme(), 1e-6);
    // The normal follows the neighbour order.
    std::swap(p->Voisin2, p->Voisin3);
    majSortie();
    EXPECT_NEAR(p->Ni.z, -1.0, 1e-7);
    // Coinciding neighbours give the zero normal.
    placer(point3(0, 0, 1), point3(2, 2, 2), point3(2, 2, 2), point3(2, 2, 2));
    EXPECT_NE(majSortie(), "");
    EXPECT_EQ(p->Ni.norme(), 0);
    // Its warning says it is the last of its kind, and it is.
    EXPECT_EQ((majSortie() + majSortie()).find("dernier avertissement"), std::string::npos);

    // The update levels keep what a move cannot change.
    equilateral(point3(0, 0, 0.5));
    majSortie();
    const vector3 normale = p->Ni;
    const float rayon = p->Rayon;

    p->Ni = vector3(1, 0, 0);
    p->Rayon = 7;
    majSortie(2);
    EXPECT_TRUE(p->Ni.x == 1 && p->Rayon == 7); // both kept
    majSortie(1);
    EXPECT_EQ(p->Ni.x, 1); // kept
    EXPECT_NEAR(p->Rayon, rayon, 1e-6);
    majSortie(0);
    EXPECT_EQ(p->Ni.z, normale.z);

    // A missing neighbour clears the point's geometry ...
    p->Voisin2 = nullptr;
    EXPECT_NE(majSortie(), "");
    EXPECT_EQ(std::vector<double>({p->Ni.norme(), p->Rayon, p->Phi, p->Epsilon3}), std::vector<double>(4, 0));
    // ... but the whole-mesh update keeps Epsilon3 and Phi.
    p->Phi = 0.75f;
    p->Epsilon3 = 0.5;
    p->Rayon = 3;
    captureStdout([&] { s.initialiserParametres(); });
    EXPECT_EQ(std::vector<double>({p->Phi, p->Epsilon3, p->Rayon}), (std::vector<double>{0.75, 0.5, 0}));
}

TEST_F(Etoile, MetricParametersAreTheBarycentricCoordinatesOfTheProjectionAndAnglesAtB)
{
    // Generic triangle, point above it; projection inside and outside the triangle.
    const point3 a(0, 0, 0), b(3, 0, 0), c(0, 2, 0);
    for (const point3 &pos : {point3(1, 0.5, 0.7), point3(-1, 3, -2)}) {
        placer(pos, a, b, c);
        majSortie();
        const double l2 = pos.x / 3, l3 = pos.y / 2, l1 = 1 - l2 - l3;
        EXPECT_LT(vector3(p->Epsilon1 - l1, p->Epsilon2 - l2, p->Epsilon3 - l3).norme(), 1e-6);
    }
    // Sine and cosine of the angle at the middle point.
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

// The neighbourhood mean walks copies: a copy carries position and neighbours, not the geometry.
TEST(PointSimplex, CopiesCarryPositionAndNeighboursOnly)
{
    PointSimplex a, b;
    PointSimplex p(point3(1, 2, 3), &a, &b, &a);
    p.Ni = vector3(0, 0, 1);
    p.Phi = 0.5f;
    const PointSimplex copie(p);
    EXPECT_TRUE(copie == p && !(copie != p));
    EXPECT_EQ(std::vector<double>({copie.Ni.norme(), copie.Phi}), std::vector<double>(2, 0));
    EXPECT_TRUE(PointSimplex(point3(1, 2, 3), &a, &b, &b) != p);
    EXPECT_TRUE(PointSimplex(point3(1, 2, 3.5), &a, &b, &a) != p);
    EXPECT_FALSE(PointSimplex().aSesVoisins());
}

TEST(Simplex, ReinitialiserSharesTheInitialRecords)
{
    Simplex source, s; // the template, read twice
    ASSERT_TRUE(chargerGabarit(source) && chargerGabarit(s));
    captureStdout([&] { s.deplacer('x', 4); });
    s.calculerCentre();
    EXPECT_NE(s.Centre->x, 0);

    s.reinitialiser();
    for (const auto *liste : {&s.ListePointsSimplex, &s.ListePointsSuivants, &s.ListePointsPrecedents})
        EXPECT_EQ(*liste, s.ListePointsInitiaux);
    EXPECT_TRUE(s.ListeMailles.empty() && s.ListeMaillesSuivantes.empty());
    EXPECT_TRUE(*s.Centre == point3(0, 0, 0));
    // The initial records hold the positions as read, before the move.
    EXPECT_EQ(positions(s.ListePointsSimplex), positions(source.ListePointsSimplex));
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
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_NEAR(vector3(avant[i] + point3(10, 1, 0), s.ListePointsSimplex[i]->Position).norme(), 0, 1e-12);
    EXPECT_EQ(s.ListePointsSimplex[1]->Phi, phi); // nothing recomputed
    EXPECT_TRUE(s.ListePointsPrecedents[0]->Position == precedent0);
}

TEST(Simplex, DilatationScalesAboutTheMeanPoint)
{
    Simplex s;
    cubeDual(s, 6.0); // corners at +-2: a factor applied by division would show
    for (PointSimplex *p : s.ListePointsSimplex)
        p->Position = p->Position + point3(2, -3, 5);
    captureStdout([&] { s.initialiserParametres(); });
    const float rayon = s.ListePointsSimplex[0]->Rayon;
    const std::vector<point3> avant = positions(s.ListePointsSimplex);
    auto fois2 = [](const point3 &p) { return point3(2 + 2 * (p.x - 2), -3 + 2 * (p.y + 3), 5 + 2 * (p.z - 5)); };

    // Factor 2 about the mean (2, -3, 5), off the origin on every axis: distances to it double,
    // radii follow.
    EXPECT_TRUE(s.dilatation(2.0));
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_NEAR(vector3(s.ListePointsSimplex[i]->Position, fois2(avant[i])).norme(), 0, 1e-12) << i;
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
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_TRUE(s.ListePointsSimplex[i]->Position == avant[i] - point3(0, 1.5, 0) &&
                    s.ListePointsSimplex[i]->Rayon == 123)
            << i;
    EXPECT_EQ(positions(s.ListePointsPrecedents), avant);
}

// --- neighbourhood mean ------------------------------------------------------------------------------

// Exactly the literal walk up to rigidity 2 (signed angles, both starting means); within single
// precision above, where the engine summarises the walk.
TEST(AngleMoyen, AgreesWithTheLiteralWalk)
{
    Simplex s;
    for (unsigned graine : {1u, 2u, 3u}) {
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
    for (std::size_t i = 0; i < attendues.size(); ++i)
        EXPECT_LT(vector3(s.ListePointsSimplex[i]->Position, attendues[i]).norme(), 1e-4) << i;
}

// --- forces -------------------------------------------------------------------------------------------

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

    auto arrondi = [](const point3 &p) { return point3(arrondiFloat(p.x), arrondiFloat(p.y), arrondiFloat(p.z)); };
    std::vector<point3> attendues;
    for (std::size_t i = 0; i < s.ListePointsSimplex.size(); ++i) {
        const PointSimplex &p = *s.ListePointsSimplex[i];
        const point3 P = p.Position, Pf = arrondi(P);
        // Nearest cloud point by brute force, from the float-rounded position.
        std::size_t plusProche = 0;
        for (std::size_t j = 1; j < nuage.size(); ++j)
            if (vector3(Pf, nuage[j]).norme() < vector3(Pf, nuage[plusProche]).norme())
                plusProche = j;
        const vector3 fe = s.forceExterne(p, arrondi(nuage[plusProche]));
        const vector3 fi = s.forceInterne(p, 2);
        const point3 &Q = s.ListePointsPrecedents[i]->Position;
        attendues.emplace_back(((P.x + gamma * (P.x - Q.x)) + alpha * fi.x) + beta * fe.x,
                               ((P.y + gamma * (P.y - Q.y)) + alpha * fi.y) + beta * fe.y,
                               ((P.z + gamma * (P.z - Q.z)) + alpha * fi.z) + beta * fe.z);
    }
    const std::vector<point3> avant = positions(s.ListePointsSimplex);
    captureStdout([&] { s.deformer(kd.get(), 1, alpha, beta, gamma, 2, false); });
    EXPECT_EQ(positions(s.ListePointsSimplex), attendues);
    EXPECT_EQ(positions(s.ListePointsPrecedents), avant);

    // The external force keeps only the normal component.
    PointSimplex q(point3(1, 2, 3), nullptr, nullptr, nullptr);
    q.Ni = vector3(0, 0, 1);
    const vector3 f = s.forceExterne(q, point3(5, -4, 7.5));
    EXPECT_EQ(std::vector<double>({f.x, f.y, f.z}), (std::vector<double>{0, 0, 4.5}));
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
        EXPECT_EQ(positions(s.ListePointsSimplex), positions(reference.ListePointsSimplex));
    }
    // deformerPas makes exactly the steps it is given.
    Simplex pas;
    cubeDual(pas, 2.0);
    captureStdout([&] {
        EXPECT_TRUE(pas.deformerPas(2, nullptr, 0, 0.5f, 0.0f, 0.0f, 2, false).reussi());
        reference.deformer(nullptr, 0, 0.5f, 0.0f, 0.0f, 2, false);
    });
    EXPECT_EQ(positions(pas.ListePointsSimplex), positions(reference.ListePointsSimplex));
}

// --- vision cone --------------------------------------------------------------------------------------

// AngleCone 45 gives a half-angle of pi/2: ahead of the plane through P normal to the axis
// everything counts; behind it, only points within the radius; on the plane, nothing. The search
// radius is the nearest point's distance plus the cone radius.
TEST(Cone, FortyFiveDegreesTakeTheHalfSpaceAheadAndTheNearPartBehind)
{
    Simplex s;
    const point3 P(0, 0, 0);
    const vector3 axe(0, 0, 1);
    // Narrow cone (AngleCone 10: half-angle 20 degrees): a point 30 degrees off the axis is out.
    const point3 dedans(2 * std::sin(0.3), 0, 2 * std::cos(0.3)), dehors(std::sin(0.52), 0, std::cos(0.52));
    const std::vector<point3> devant = {point3(0.5, 0, 0), point3(3, 0, 0.01), point3(0, 0, -5)},
                              derriere = {point3(0, 0, -1.5), point3(0, 0.5, 2)};
    // Cloud, cone radius, AngleCone, the point found (its index in the cloud; -1: P itself).
    const std::vector<std::tuple<std::vector<point3>, double, double, int>> cas = {
        {{P, point3(0, 0, 1)}, 2000, 45, 0}, // a point on a cloud point stays there
        {devant, 6, 45, 1},
        {devant, 2, 45, -1},
        {derriere, 2, 45, 0},
        {derriere, 1.2, 45, 1},
        {{dehors, dedans}, 10, 10, 1},
        {{}, 10, 45, -1}, // no cloud: the point itself
    };
    for (std::size_t k = 0; k < cas.size(); ++k) {
        const auto &[nuage, rayon, angle, trouve] = cas[k];
        const point3 attendu = trouve < 0 ? P : nuage[static_cast<std::size_t>(trouve)];
        EXPECT_TRUE(s.plusProcheDansCone(kdSur(nuage).get(), P, rayon, axe, angle) == attendu) << k;
    }
    EXPECT_TRUE(s.plusProcheDansCone(nullptr, point3(1, 2, 3), 10, axe, 45) == point3(1, 2, 3));
}
