// T26 refinement: one split, the cell edits, the global pass and the pass by angles.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "SimplexRaffinage.h"
#include "refine_fixtures.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;

namespace {

point3 milieu(const point3 &a, const point3 &b)
{
    return point3((a.x + b.x) / 2, (a.y + b.y) / 2, (a.z + b.z) / 2);
}

void attendreProche(const point3 &a, const point3 &b)
{
    EXPECT_NEAR(a.x, b.x, 1e-12);
    EXPECT_NEAR(a.y, b.y, 1e-12);
    EXPECT_NEAR(a.z, b.z, 1e-12);
}

} // namespace

TEST(T26, SplitAtEveryPointOfTheCubeKeepsTheMeshSound)
{
    for (unsigned int i = 0; i < 8; ++i) {
        SCOPED_TRACE("point " + std::to_string(i));
        Simplex s;
        cubeDual(s);
        PointSimplex *P = s.ListePointsSimplex[i];
        const point3 p0 = P->Position, n1 = P->Voisin1->Position, n2 = P->Voisin2->Position, n3 = P->Voisin3->Position;
        std::vector<std::size_t> taillesAutour;
        std::vector<Maille *> autour;
        for (Maille *m : s.ListeMailles)
            if (std::count(m->begin(), m->end(), P)) {
                autour.push_back(m);
                taillesAutour.push_back(m->size());
            }
        ASSERT_EQ(autour.size(), 3u);

        const std::string sortie = captureStdout([&] { s.RaffinageT26(i); });
        EXPECT_EQ(sortie.find("Erreur"), std::string::npos) << sortie;

        ASSERT_EQ(s.ListePointsSimplex.size(), 10u);
        EXPECT_EQ(s.ListeMailles.size(), 7u);
        EXPECT_EQ(s.ListePointsPrecedents.size(), 10u);
        attendreInvariants(s);

        // P moved halfway to its third neighbour, A and B lie halfway to the first two.
        attendreProche(P->Position, milieu(p0, n3));
        attendreProche(s.ListePointsSimplex[8]->Position, milieu(p0, n1));
        attendreProche(s.ListePointsSimplex[9]->Position, milieu(p0, n2));
        for (std::size_t k = 0; k < autour.size(); ++k)
            EXPECT_EQ(autour[k]->size(), taillesAutour[k] + 1);
        // Links: A = (P, N1, B), B = (P, N2, A), P = (A, B, N3). B's order turns the other way
        // round from P's, so its normal points to the other side of the surface and a later split
        // at B orients its new cell accordingly: the refinements keep the cells cycles of
        // neighbours but not one orientation.
        PointSimplex *A = s.ListePointsSimplex[8], *B = s.ListePointsSimplex[9];
        EXPECT_EQ(A->Voisin1, P);
        EXPECT_EQ(A->Voisin3, B);
        EXPECT_EQ(B->Voisin1, P);
        EXPECT_EQ(B->Voisin3, A);
        EXPECT_EQ(P->Voisin1, A);
        EXPECT_EQ(P->Voisin2, B);
        EXPECT_LT(B->Ni * P->Ni, 0);
        EXPECT_GT(A->Ni * P->Ni, 0);
        EXPECT_EQ(s.ListeMailles.back()->size(), 3u);
    }
}

// The cell edit table, case by case, on cells written by hand. P splits into P, A, B; N1, N2, N3
// are its neighbours, X and Y other points.
TEST(T26, CellEditTable)
{
    Simplex s;
    PointSimplex P, A, B, N1, N2, N3, X, Y;
    using raffinage::EditionMaille;
    struct Cas
    {
        Maille avant;
        EditionMaille resultat;
        Maille apres;
    };
    const std::vector<Cas> cas = {
        {{&X, &N1, &P, &N3}, EditionMaille::Faite, {&X, &N1, &A, &P, &N3}},
        {{&N3, &P, &N1}, EditionMaille::Faite, {&N3, &P, &A, &N1}},
        {{&P, &N3, &X, &N1}, EditionMaille::Faite, {&A, &P, &N3, &X, &N1}},
        {{&N1, &X, &P, &N3, &Y}, EditionMaille::NonConsecutifs, {}},
        {{&N3, &P, &Y}, EditionMaille::UnSeulVoisin, {}},
        {{&N2, &P, &N3}, EditionMaille::Faite, {&N2, &B, &P, &N3}},
        {{&N3, &P, &N2, &X}, EditionMaille::Faite, {&N3, &P, &B, &N2, &X}},
        {{&N2, &X, &P, &N3}, EditionMaille::NonConsecutifs, {}},
        {{&N1, &P, &X}, EditionMaille::AucunVoisin, {}},
        {{&X, &P, &Y}, EditionMaille::AucunVoisin, {}},
        {{&N1, &P, &N2, &X}, EditionMaille::Faite, {&N1, &A, &B, &N2, &X}},
        {{&N2, &P, &N1}, EditionMaille::Faite, {&N2, &B, &A, &N1}},
        {{&P, &N2, &X, &N1}, EditionMaille::Faite, {&A, &B, &N2, &X, &N1}},
        {{&N1, &N2, &P, &X}, EditionMaille::OrdreIncoherent, {}},
    };
    for (std::size_t k = 0; k < cas.size(); ++k) {
        SCOPED_TRACE("case " + std::to_string(k));
        Maille m = cas[k].avant;
        const EditionMaille r = raffinage::modifierMaille(s, m, &P, &N1, &N2, &N3, &A, &B);
        EXPECT_EQ(static_cast<int>(r), static_cast<int>(cas[k].resultat));
        EXPECT_EQ(m, r == EditionMaille::Faite ? cas[k].apres : cas[k].avant);
    }
}

// A cell whose order was broken is left as it is, with its message; the split still takes place.
TEST(T26, BrokenCellIsLeftWithItsMessage)
{
    Simplex s;
    cubeDual(s);
    PointSimplex *P = s.ListePointsSimplex[0];
    // The cell around P that holds its first two neighbours but not the third.
    Maille *cassee = nullptr;
    for (Maille *m : s.ListeMailles)
        if (std::count(m->begin(), m->end(), P) && !std::count(m->begin(), m->end(), P->Voisin3))
            cassee = m;
    ASSERT_NE(cassee, nullptr);
    ASSERT_EQ(cassee->size(), 4u);
    // [P, a, x, b] becomes [a, P, x, b]: P no longer lies between its two neighbours.
    std::rotate(cassee->begin(), std::find(cassee->begin(), cassee->end(), P), cassee->end());
    std::swap((*cassee)[0], (*cassee)[1]);
    const Maille copie = *cassee;
    EXPECT_NE(captureStdout([&] { s.RaffinageT26(0); }).find("Erreur"), std::string::npos);
    EXPECT_EQ(*cassee, copie);
    EXPECT_EQ(s.ListePointsSimplex.size(), 10u);
    EXPECT_EQ(s.ListeMailles.size(), 7u);
}

TEST(T26Global, TriplesThePointsAndAddsOneCellPerPoint)
{
    Simplex cube;
    cubeDual(cube);
    Simplex gabarit;
    ASSERT_TRUE(chargerGabarit(gabarit));
    for (Simplex *s : {&cube, &gabarit}) {
        const std::size_t N = s->ListePointsSimplex.size(), M = s->ListeMailles.size();
        const std::string sortie = captureStdout([&] { s->RaffinageT26Global(); });
        EXPECT_EQ(sortie.find("Erreur"), std::string::npos) << sortie;
        EXPECT_EQ(s->ListePointsSimplex.size(), 3 * N);
        EXPECT_EQ(s->ListeMailles.size(), M + N);
        EXPECT_EQ(s->ListePointsPrecedents.size(), 3 * N);
        attendreInvariants(*s);
        // The mesh is a copy of the companion mesh, point for point.
        for (std::size_t i = 0; i < 3 * N; ++i)
            EXPECT_TRUE(s->ListePointsSimplex[i]->Position == s->ListePointsSuivants[i]->Position);
    }
    // ListePointsPrecedents holds the cube as it was, with its links.
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_NE(cube.ListePointsPrecedents[i]->Voisin1, nullptr);
}

// A mesh whose mean angle lies below every angle that a new point can take (here one point's
// angle stands far below the others): every point that a split creates is at least the mean, so a
// walk that followed the new cells would never end. The walk keeps to the cells and points present
// at the start.
TEST(T26Angles, WalkEndsWhenNewPointsStayAboveTheMean)
{
    Simplex s;
    cubeDual(s);
    s.ListePointsSimplex[0]->Phi = -1e6f;
    const std::string sortie = captureStdout([&] { s.RaffinageT26Angles(); });
    EXPECT_EQ(sortie.find("Erreur"), std::string::npos) << sortie;
    // Each of the 7 points above the mean is split at most once per cell it started in.
    EXPECT_GT(s.ListePointsSimplex.size(), 8u);
    EXPECT_LE(s.ListePointsSimplex.size(), 8u + 2 * 3 * 7);
    attendreInvariants(s);
    Simplex vide;
    captureStdout([&] { vide.RaffinageT26Angles(); });
    EXPECT_TRUE(vide.ListePointsSimplex.empty());
}
