// Random sequences of refinements, from the template and from a converted octahedron: after every
// operation the mesh invariants hold and nothing reports an error; the index maps and the scans
// they replace give the same meshes all along.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <sstream>

#include "SimplexRaffinage.h"
#include "refine_fixtures.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;

namespace {

enum class Depart { Gabarit, Octaedre };

void preparer(Simplex &s, Depart d)
{
    if (d == Depart::Gabarit) {
        ASSERT_TRUE(chargerGabarit(s));
        return;
    }
    std::vector<point3> sommets;
    std::vector<Face> faces;
    octaedre(1.0, sommets, faces);
    ASSERT_TRUE(convertir(s, sommets, faces));
}

/// Runs f and returns what it wrote on both streams.
std::string ecrit(const std::function<void()> &f)
{
    std::string sortie;
    const std::string erreurs = captureStderr([&] { sortie = captureStdout(f); });
    return sortie + erreurs;
}

/// The lines of the refinements' own error messages among what was written. (The geometry's
/// diagnostics about imprecise circles on thin cells are not the refinements' concern.)
std::string erreursDeRaffinage(const std::string &texte)
{
    std::string trouvees, ligne;
    std::istringstream in(texte);
    while (std::getline(in, ligne))
        if (ligne.rfind("Erreur dans RaffinageT2", 0) == 0 || ligne.rfind("Erreur dans la modification d", 0) == 0)
            trouvees += ligne + "\n";
    return trouvees;
}

} // namespace

class Sequences : public ::testing::TestWithParam<std::tuple<Depart, unsigned>>
{};

TEST_P(Sequences, KeepTheInvariantsAndReportNoError)
{
    std::mt19937 alea(std::get<1>(GetParam()));
    Simplex s;
    preparer(s, std::get<0>(GetParam()));
    auto tirer = [&alea](std::size_t n) {
        return static_cast<unsigned int>(std::uniform_int_distribution<std::size_t>(0, n - 1)(alea));
    };
    // The whole-mesh passes run while the mesh is small enough to stay quick.
    const std::vector<std::pair<std::string, std::function<void()>>> operations = {
        {"RaffinageT26", [&] { s.RaffinageT26(tirer(s.ListePointsSimplex.size())); }},
        {"RaffinageT26Global",
         [&] {
             if (s.ListePointsSimplex.size() < 2500)
                 s.RaffinageT26Global();
         }},
        {"RaffinageT26Angles",
         [&] {
             if (s.ListePointsSimplex.size() < 2500)
                 s.RaffinageT26Angles();
         }},
        {"RaffinageT22", [&] { s.RaffinageT22(tirer(s.ListeMailles.size())); }},
        {"RaffinageT22Surfaces", [&] { s.RaffinageT22Surfaces(); }},
        {"RaffinageT22PointsParMaille", [&] { s.RaffinageT22PointsParMaille(); }},
    };
    for (int etape = 0; etape < 10; ++etape) {
        const auto &op = operations[tirer(operations.size())];
        SCOPED_TRACE("step " + std::to_string(etape) + ": " + op.first);
        EXPECT_EQ(erreursDeRaffinage(ecrit(op.second)), "");
        const auto fautes = verifierInvariants(s, invariantsRaffinage);
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
    for (Depart depart : {Depart::Gabarit, Depart::Octaedre}) {
        auto derouler = [depart](Simplex &s) {
            preparer(s, depart);
            ecrit([&] {
                s.RaffinageT26(5);
                s.RaffinageT22(3);
                s.RaffinageT26Angles();
                s.RaffinageT22Surfaces();
                s.RaffinageT26Global();
                s.RaffinageT22PointsParMaille();
                s.RaffinageT26Angles();
                s.RaffinageT22Surfaces();
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

// The content index against a scan of the list, through random appends and content changes, with
// few distinct contents so that many records share one (more than the small inline set holds).
TEST(IndexContenu, AnswersAsAScanThroughRandomChanges)
{
    std::mt19937 alea(9);
    PointSimplex voisins[2];
    auto tirer = [&alea](int n) { return std::uniform_int_distribution<int>(0, n - 1)(alea); };
    auto changer = [&](PointSimplex &p) {
        p.Position = point3(tirer(3), tirer(2) == 0 ? -0.0 : 0.0, 1);
        p.Voisin1 = &voisins[tirer(2)];
    };
    std::vector<std::unique_ptr<PointSimplex>> proprietaire;
    std::vector<PointSimplex *> liste;
    raffinage::IndexContenu index(liste);
    for (int etape = 0; etape < 400; ++etape) {
        if (liste.empty() || tirer(3) == 0) {
            proprietaire.push_back(std::make_unique<PointSimplex>());
            changer(*proprietaire.back());
            liste.push_back(proprietaire.back().get());
            index.ajouter(liste.back(), static_cast<int>(liste.size()) - 1);
        } else {
            PointSimplex *p = liste[static_cast<std::size_t>(tirer(static_cast<int>(liste.size())))];
            index.retirer(p);
            changer(*p);
            index.remettre(p);
        }
        PointSimplex question;
        changer(question);
        const auto scan = std::find_if(liste.begin(), liste.end(), [&](const PointSimplex *p) { return *p == question; });
        ASSERT_EQ(index.premier(&question), scan == liste.end() ? -1 : static_cast<int>(scan - liste.begin())) << etape;
    }
}
