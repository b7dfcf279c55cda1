// Random sequences of refinements, from the template and from a converted octahedron: after every
// operation the mesh invariants hold and nothing reports an error; the index maps and the scans
// they replace give the same meshes all along.

#include <gtest/gtest.h>

#include <random>

#include "refine_fixtures.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;

namespace {

enum class Depart
{
    Gabarit,
    Octaedre
};

void preparer(Simplex &s, Depart d)
{
    if (d == Depart::Gabarit)
    {
        ASSERT_TRUE(chargerGabarit(s));
        return;
    }
    std::vector<point3> sommets;
    std::vector<Face> faces;
    octaedre(1.0, sommets, faces);
    ASSERT_TRUE(convertir(s, sommets, faces));
}

/// Applies one operation drawn from `alea`; returns its name and what it wrote on both streams.
std::string appliquer(Simplex &s, std::mt19937 &alea, std::string &ecrit)
{
    const bool petit = s.ListePointsSimplex.size() < 2500;
    const int op = std::uniform_int_distribution<int>(0, 5)(alea);
    std::string nom;
    ecrit = captureStderr([&] {
        ecrit = captureStdout([&] {
            switch (op)
            {
            case 0:
            {
                const auto i = std::uniform_int_distribution<std::size_t>(
                    0, s.ListePointsSimplex.size() - 1)(alea);
                nom = "RaffinageT26(" + std::to_string(i) + ")";
                s.RaffinageT26(static_cast<unsigned int>(i));
                break;
            }
            case 1:
                nom = "RaffinageT26Global";
                if (petit)
                    s.RaffinageT26Global();
                break;
            case 2:
                nom = "RaffinageT26Angles";
                if (petit)
                    s.RaffinageT26Angles();
                break;
            case 3:
            {
                const auto c =
                    std::uniform_int_distribution<std::size_t>(0, s.ListeMailles.size() - 1)(alea);
                nom = "RaffinageT22(" + std::to_string(c) + ")";
                s.RaffinageT22(static_cast<unsigned int>(c));
                break;
            }
            case 4:
                nom = "RaffinageT22Surfaces";
                s.RaffinageT22Surfaces();
                break;
            default:
                nom = "RaffinageT22PointsParMaille";
                s.RaffinageT22PointsParMaille();
                break;
            }
        }) + ecrit;
    }) + ecrit;
    return nom;
}

/// The lines of the refinements' own error messages among what was written. (The geometry's
/// diagnostics about imprecise circles on thin cells are not the refinements' concern.)
std::string erreursDeRaffinage(const std::string &ecrit)
{
    std::string trouvees;
    std::size_t debut = 0;
    while (debut < ecrit.size())
    {
        std::size_t fin = ecrit.find('\n', debut);
        if (fin == std::string::npos)
            fin = ecrit.size();
        const std::string ligne = ecrit.substr(debut, fin - debut);
        if (ligne.rfind("Erreur dans RaffinageT2", 0) == 0 ||
            ligne.rfind("Erreur dans la modification d", 0) == 0)
            trouvees += ligne + "\n";
        debut = fin + 1;
    }
    return trouvees;
}

/// The invariants of a refined mesh: three distinct symmetric neighbours, cells that are cycles
/// of neighbours, companion lists and cells in step, N/2 + 2 cells. (The orientation of the cells
/// is not kept by the refinements: see the note in the T26 tests.)
OptionsInvariants invariantsRaffinage()
{
    OptionsInvariants o;
    o.orientation = false;
    return o;
}

} // namespace

class Sequences : public ::testing::TestWithParam<std::tuple<Depart, unsigned>>
{
};

TEST_P(Sequences, KeepTheInvariantsAndReportNoError)
{
    const Depart depart = std::get<0>(GetParam());
    std::mt19937 alea(std::get<1>(GetParam()));
    Simplex s;
    preparer(s, depart);
    for (int etape = 0; etape < 10; ++etape)
    {
        std::string ecrit;
        const std::string nom = appliquer(s, alea, ecrit);
        SCOPED_TRACE("step " + std::to_string(etape) + ": " + nom);
        EXPECT_EQ(erreursDeRaffinage(ecrit), "");
        const auto fautes = verifierInvariants(s, invariantsRaffinage());
        ASSERT_TRUE(fautes.empty()) << fautes.size() << " faults, first: " << fautes.front();
    }
}

INSTANTIATE_TEST_SUITE_P(Graines, Sequences,
                         ::testing::Combine(::testing::Values(Depart::Gabarit, Depart::Octaedre),
                                            ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u)));

// The index maps must give the very meshes that the scans give: same points, links, cells and
// previous positions, in the same order, after every kind of refinement.
TEST(Sequences, IndexMapsAndScansGiveTheSameMeshes)
{
    for (Depart depart : {Depart::Gabarit, Depart::Octaedre})
    {
        auto derouler = [depart](Simplex &s) {
            preparer(s, depart);
            captureStderr([&] {
                captureStdout([&] {
                    s.RaffinageT26(5);
                    s.RaffinageT22(3);
                    s.RaffinageT26Angles();
                    s.RaffinageT22Surfaces();
                    s.RaffinageT26Global();
                    s.RaffinageT22PointsParMaille();
                    s.RaffinageT26Angles();
                    s.RaffinageT22Surfaces();
                });
            });
        };
        Simplex indexe, parcouru;
        derouler(indexe);
        {
            RechercheLineaire lineaire(parcouru);
            derouler(parcouru);
        }
        EXPECT_GT(indexe.ListePointsSimplex.size(), 3 * (depart == Depart::Gabarit ? 320u : 8u));
        EXPECT_EQ(empreinte(indexe), empreinte(parcouru));
    }
}
