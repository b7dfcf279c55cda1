// T22 refinement: the cut of one cell, the passes by points per cell and by surface.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <unordered_map>

#include "refine_fixtures.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;

namespace {

bool tient(const Maille &m, const PointSimplex *p)
{
    return std::find(m.begin(), m.end(), p) != m.end();
}

/// Index of the cell other than `sauf` holding both p and q, -1 when none.
int celluleAvec(const Simplex &s, const PointSimplex *p, const PointSimplex *q, std::size_t sauf)
{
    for (std::size_t j = 0; j < s.ListeMailles.size(); ++j)
        if (j != sauf && tient(*s.ListeMailles[j], p) && tient(*s.ListeMailles[j], q))
            return static_cast<int>(j);
    return -1;
}

void attendreMilieu(const point3 &x, const point3 &a, const point3 &b)
{
    EXPECT_DOUBLE_EQ(x.x, (a.x + b.x) / 2);
    EXPECT_DOUBLE_EQ(x.y, (a.y + b.y) / 2);
    EXPECT_DOUBLE_EQ(x.z, (a.z + b.z) / 2);
}

std::string erreurs(const std::function<void()> &f)
{
    return captureStderr([&] { captureStdout(f); });
}

} // namespace

TEST(T22, CutOfAFourPointCellGivesTwoFourPointCells)
{
    for (unsigned int c = 0; c < 6; ++c) {
        SCOPED_TRACE("cell " + std::to_string(c));
        Simplex s;
        cubeDual(s);
        const Maille D = *s.ListeMailles[c];
        ASSERT_EQ(D.size(), 4u);
        // Cut edges D[1]-D[2] and D[3]-D[0]; the cells across them gain a point each.
        const int F1 = celluleAvec(s, D[1], D[2], c), F2 = celluleAvec(s, D[3], D[0], c);
        ASSERT_GE(F1, 0);
        ASSERT_GE(F2, 0);
        const std::size_t t1 = s.ListeMailles[F1]->size(), t2 = s.ListeMailles[F2]->size();
        EXPECT_EQ(erreurs([&] { s.RaffinageT22(c); }), "");

        ASSERT_EQ(s.ListePointsSimplex.size(), 10u);
        ASSERT_EQ(s.ListeMailles.size(), 7u);
        EXPECT_EQ(s.ListePointsPrecedents.size(), 10u);
        PointSimplex *X1 = s.ListePointsSimplex[8], *X2 = s.ListePointsSimplex[9];
        EXPECT_EQ(*s.ListeMailles[c], (Maille{X1, D[2], D[3], X2}));
        EXPECT_EQ(*s.ListeMailles[6], (Maille{X2, D[0], D[1], X1}));
        EXPECT_EQ(s.ListeMailles[F1]->size(), t1 + 1);
        EXPECT_EQ(s.ListeMailles[F2]->size(), t2 + 1);
        attendreMilieu(X1->Position, D[1]->Position, D[2]->Position);
        attendreMilieu(X2->Position, D[3]->Position, D[0]->Position);
        attendreMilieu(s.ListePointsPrecedents[8]->Position, D[1]->Position, D[2]->Position);
        attendreInvariants(s);
    }
    // A three-point cell.
    Simplex s;
    tetraedreDual(s);
    const Maille D = *s.ListeMailles[0];
    EXPECT_EQ(erreurs([&] { s.RaffinageT22(0); }), "");
    ASSERT_EQ(s.ListePointsSimplex.size(), 6u);
    PointSimplex *X1 = s.ListePointsSimplex[4], *X2 = s.ListePointsSimplex[5];
    EXPECT_EQ(*s.ListeMailles[0], (Maille{X1, D[1], X2}));
    EXPECT_EQ(*s.ListeMailles[4], (Maille{X2, D[2], D[0], X1}));
    attendreInvariants(s);
}

TEST(T22, MissingNeighbourCellsAreReported)
{
    Simplex s;
    cubeDual(s);
    // Only the cells of the mesh hold the cut points: when the cells across cannot be found, the
    // new points stay linked but no cell is cut.
    for (auto *liste : {&s.ListeMailles, &s.ListeMaillesSuivantes}) {
        for (std::size_t c = 1; c < liste->size(); ++c)
            delete (*liste)[c];
        liste->resize(1);
    }
    EXPECT_NE(erreurs([&] { s.RaffinageT22(0); }), "");
    EXPECT_EQ(s.ListeMailles.size(), 1u);
    EXPECT_EQ(s.ListeMailles[0]->size(), 4u);
    EXPECT_EQ(s.ListePointsSimplex.size(), 10u);
}

TEST(T22PointsParMaille, CutsTheCellsAboveTheMeanOnly)
{
    Simplex vide, s;
    captureStdout([&] { vide.RaffinageT22PointsParMaille(); });
    EXPECT_TRUE(vide.ListePointsSimplex.empty());
    // Equal cells are not cut.
    cubeDual(s);
    const std::string avant = empreinte(s);
    captureStdout([&] { s.RaffinageT22PointsParMaille(); });
    EXPECT_EQ(empreinte(s), avant);

    // After one cut of cell 0 the two cells across have 5 points, the others 4 (mean 29 / 7 = 4).
    captureStdout([&] { s.RaffinageT22(0); });
    std::vector<std::size_t> grandes;
    for (std::size_t c = 0; c < s.ListeMaillesSuivantes.size(); ++c)
        if (s.ListeMaillesSuivantes[c]->size() == 5)
            grandes.push_back(c);
    ASSERT_EQ(grandes.size(), 2u);
    EXPECT_EQ(erreurs([&] { s.RaffinageT22PointsParMaille(); }), "");
    // Both were cut: a cut cell keeps its index and starts with the first point of its cut. (Cells
    // that grow past the mean before the pass reaches them are cut as well.)
    std::unordered_map<const PointSimplex *, std::size_t> indice;
    for (std::size_t i = 0; i < s.ListePointsSimplex.size(); ++i)
        indice[s.ListePointsSimplex[i]] = i;
    for (std::size_t c : grandes)
        EXPECT_GE(indice.at(s.ListeMailles[c]->front()), 10u) << "cell " << c;
    EXPECT_GE(s.ListePointsSimplex.size(), 14u);
    EXPECT_EQ(s.ListeMailles.size(), 7 + (s.ListePointsSimplex.size() - 10) / 2);
    attendreInvariants(s);
}

TEST(T22Surfaces, CutsOnlyTheLargeCellsPresentAtTheStart)
{
    // A box three times longer along x: the four cells along it have area 3 times that of the
    // two end cells, the mean lies between, so exactly four cuts.
    Simplex s;
    cubeDual(s);
    for (auto *liste : {&s.ListePointsSimplex, &s.ListePointsSuivants})
        for (PointSimplex *p : *liste)
            p->Position.x *= 3;
    captureStdout([&] { s.initialiserParametres(); });
    EXPECT_EQ(erreurs([&] { s.RaffinageT22Surfaces(); }), "");
    EXPECT_EQ(s.ListePointsSimplex.size(), 16u);
    EXPECT_EQ(s.ListeMailles.size(), 10u);
    attendreInvariants(s);
}
