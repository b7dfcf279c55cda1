// After every refinement and conversion each cell of a closed mesh runs counter-clockwise seen
// from outside, so that the triangulation, and every export, faces outward.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "orientation.h"
#include "refine_fixtures.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;

namespace {

/// Signed volume enclosed by the triangles: positive when they face outward.
double volumeTriangles(const Maillage &m)
{
    double v = 0;
    for (const Face &f : m.listeFaces) {
        const point3 &a = m.listeSommets[f.s1], &b = m.listeSommets[f.s2], &c = m.listeSommets[f.s3];
        v += a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) + a.z * (b.x * c.y - b.y * c.x);
    }
    return v / 6;
}

void attendreVersExterieur(Simplex &s, const std::string &quoi)
{
    const auto fautes = verifierInvariants(s);
    ASSERT_TRUE(fautes.empty()) << quoi << ": " << fautes.size() << " faults, first: " << fautes.front();
    captureStdout([&] { s.Triangularisation(); });
    ASSERT_GT(volumeTriangles(s.maillageTriangule), 0) << quoi;
}

} // namespace

TEST(OrientationApresRaffinage, RandomSequencesLeaveEveryCellFacingOutward)
{
    for (unsigned graine = 1; graine <= 4; ++graine) {
        std::mt19937 alea(graine);
        Simplex s;
        // Every other start: the octahedron given with its faces turned inward.
        std::vector<point3> sommets;
        std::vector<Face> faces;
        if (graine % 2) {
            ASSERT_TRUE(chargerGabarit(s));
        } else {
            octaedre(1.0, sommets, faces);
            for (Face &f : faces)
                std::swap(f.s2, f.s3);
            ASSERT_TRUE(convertir(s, sommets, faces));
            attendreVersExterieur(s, "conversion of an inward octahedron");
        }
        auto tirer = [&alea](std::size_t n) {
            return static_cast<unsigned>(std::uniform_int_distribution<std::size_t>(0, n - 1)(alea));
        };
        const std::vector<std::pair<const char *, std::function<void()>>> operations = {
            {"T26", [&] { s.RaffinageT26(tirer(s.ListePointsSimplex.size())); }},
            {"T26 global", [&] { s.RaffinageT26Global(); }},
            {"T26 angles", [&] { s.RaffinageT26Angles(); }},
            {"T22", [&] { s.RaffinageT22(tirer(s.ListeMailles.size())); }},
            {"T22 surfaces", [&] { s.RaffinageT22Surfaces(); }},
            {"T22 points", [&] { s.RaffinageT22PointsParMaille(); }},
        };
        for (int etape = 0; etape < 6 && s.ListePointsSimplex.size() < 3000; ++etape) {
            const auto &op = operations[tirer(operations.size())];
            captureStderr([&] { captureStdout(op.second); });
            attendreVersExterieur(s, std::to_string(graine) + "/" + std::to_string(etape) + " " + op.first);
        }
    }
}
