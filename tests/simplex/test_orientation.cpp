// After every refinement and conversion each cell of a closed mesh runs counter-clockwise seen
// from outside, so that the triangulation, and every export, faces outward.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <random>

#include "orientation.h"
#include "refine_fixtures.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;

TEST(OrientationApresRaffinage, RandomSequencesLeaveEveryCellFacingOutward)
{
    for (unsigned graine = 1; graine <= 4; ++graine) {
        std::mt19937 alea(graine);
        auto tirer = [&alea](std::size_t n) { return static_cast<unsigned>(alea() % n); };
        Simplex s;
        std::vector<point3> sommets;
        std::vector<Face> faces;
        octaedre(1.0, sommets, faces);
        for (Face &f : faces) // turned inward: the conversion must turn its cells outward
            std::swap(f.s2, f.s3);
        ASSERT_TRUE(graine % 2 ? chargerGabarit(s) : convertir(s, sommets, faces));
        const std::function<void()> operations[] = {[&] { s.RaffinageT26(tirer(s.ListePointsSimplex.size())); },
                                                    [&] { s.RaffinageT26Global(); },
                                                    [&] { s.RaffinageT26Angles(); },
                                                    [&] { s.RaffinageT22(tirer(s.ListeMailles.size())); },
                                                    [&] { s.RaffinageT22Surfaces(); },
                                                    [&] { s.RaffinageT22PointsParMaille(); },
                                                    [] {}};
        for (int etape = 0; etape < 7 && s.ListePointsSimplex.size() < 3000; ++etape) {
            const unsigned k = etape == 0 ? 6 : tirer(6);
            captureStderr([&] { captureStdout([&] { operations[k](); }); });
            const auto fautes = verifierInvariants(s);
            ASSERT_TRUE(fautes.empty()) << graine << "/" << k << ": " << fautes.front();
            // Consistent cells face outward when the triangles enclose a positive volume.
            captureStdout([&] { s.Triangularisation(); });
            const Maillage &m = s.maillageTriangule;
            double v = 0;
            for (const Face &f : m.listeFaces) {
                const point3 &a = m.listeSommets[f.s1], &b = m.listeSommets[f.s2], &c = m.listeSommets[f.s3];
                v += a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) + a.z * (b.x * c.y - b.y * c.x);
            }
            ASSERT_GT(v / 6, 0) << graine << "/" << k;
            EXPECT_NEAR(volumeSigne(s), v / 6, 1e-9 * v); // the same fans round the cell centres
        }
    }
}

TEST(Orientation, CellsRunningBothWaysAreTurnedOutwardAndCanBeTurnedBack)
{
    Simplex s;
    icosaedreDual(s, 1, 1.0);
    // The refinements leave every cell facing outward; a third of them turned by hand mixes them.
    s.RaffinageT26Global();
    s.RaffinageT26Global();
    std::vector<std::size_t> melange;
    for (std::size_t c = 1; c < s.ListeMailles.size(); c += 3)
        melange.push_back(c);
    inverserMailles(s, melange);
    ASSERT_FALSE(verifierInvariants(s).empty());
    std::vector<Maille> ordre;
    for (const Maille *m : s.ListeMailles)
        ordre.push_back(*m);

    const std::vector<std::size_t> inversees = orienterVersExterieur(s);
    EXPECT_EQ(verifierInvariants(s), std::vector<std::string>{});
    EXPECT_GT(volumeSigne(s), 0);
    for (std::size_t c = 0; c < ordre.size(); ++c) {
        // Same points in each cell; reversed exactly when listed.
        Maille attendu = ordre[c];
        if (std::binary_search(inversees.begin(), inversees.end(), c))
            std::reverse(attendu.begin(), attendu.end());
        ASSERT_EQ(*s.ListeMailles[c], attendu) << c;
    }
    inverserMailles(s, inversees);
    for (std::size_t c = 0; c < ordre.size(); ++c)
        ASSERT_EQ(*s.ListeMailles[c], ordre[c]) << c;

    // A consistent mesh facing inward is turned round whole.
    Simplex r;
    icosaedreDual(r, 1, 1.0);
    const double v = volumeSigne(r);
    std::vector<std::size_t> toutes(r.ListeMailles.size());
    std::iota(toutes.begin(), toutes.end(), 0);
    inverserMailles(r, toutes);
    EXPECT_EQ(orienterVersExterieur(r), toutes);
    EXPECT_NEAR(volumeSigne(r), v, 1e-12 * std::fabs(v));

    // One cell on its own and the same cell reversed end the same way round, that of its first
    // point's normal; a cell with a point missing is left as it is.
    for (PointSimplex *p : r.ListePointsSimplex)
        r.calculeNormaleNi(*p);
    Maille cellule = *r.ListeMailles[0], inverse(cellule.rbegin(), cellule.rend());
    r.orienterMaille(cellule);
    r.orienterMaille(inverse);
    EXPECT_EQ(inverse, cellule);
    std::reverse(inverse.begin(), inverse.end());
    inverse[1] = nullptr;
    const Maille trouee = inverse;
    r.orienterMaille(inverse);
    EXPECT_EQ(inverse, trouee);
}
