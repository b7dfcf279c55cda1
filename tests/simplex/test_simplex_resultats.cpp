// How the simplex operations end: the status and the reason of each refusal, and the state a
// stop through the progression leaves.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Resultat.h"
#include "Simplex.h"
#include "refine_fixtures.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;

namespace {

/// A progression that says stop at its call number `arret` (from 1) and records the fractions.
struct Arret
{
    int arret;
    std::vector<double> fractions;
    Progression fonction()
    {
        return [this](double f, const std::string &) {
            fractions.push_back(f);
            return static_cast<int>(fractions.size()) < arret;
        };
    }
};

Resultat silencieux(const std::function<Resultat()> &f)
{
    Resultat r;
    captureStderr([&] { captureStdout([&] { r = f(); }); });
    return r;
}

} // namespace

// Every refusal has its status and a reason naming what is at fault, and changes nothing.
TEST(Resultats, RefusalsNameTheirCauseAndLeaveTheMesh)
{
    TempDir dir;
    writeFile(dir.file("voisin.smm"), "SMM\n2 0\n0 0 0 1 1 1\n0 0 0 0 0 7\n");
    writeFile(dir.file("maille.smm"), "SMM\n1 1\n0 0 0 0 0 0\n\n2 0 -3\n");
    writeFile(dir.file("entete.txt"), "PLY\n");
    writeFile(dir.file("simple.sm"), "SM\n0\n");
    const struct
    {
        std::function<Resultat(Simplex &)> operation;
        Statut statut;
        std::vector<std::string> nomme;
    } cas[] = {
        {[&](Simplex &s) { return s.lire(dir.file("absent.smm")); },
         Statut::MaillageIllisible,
         {"absent.smm", "absent"}},
        {[&](Simplex &s) { return s.lire(dir.file("voisin.smm")); },
         Statut::MaillageIllisible,
         {"voisin.smm, ligne 4", "voisin 7"}},
        {[&](Simplex &s) { return s.lire(dir.file("maille.smm")); },
         Statut::MaillageIllisible,
         {"maille.smm, ligne 5", "-3"}},
        {[&](Simplex &s) { return s.lire(dir.file("entete.txt")); },
         Statut::MaillageIllisible,
         {"entete.txt, ligne 1", "format"}},
        {[&](Simplex &s) { return s.lire(dir.file("simple.sm")); }, Statut::MaillageIllisible, {"simple.sm", "SM"}},
        {[&](Simplex &s) { return s.ecrire(dir.file("non/la.smm"), 2); }, Statut::SortieImpossible, {"non/la.smm"}},
        {[&](Simplex &s) { return s.ecrire(dir.file("f.smm"), 3); },
         Statut::ArgumentsIncorrects,
         {"f.smm", "format 3"}},
        {[](Simplex &s) { return s.raffinerT26(8); }, Statut::ArgumentsIncorrects, {"8", "0..7"}},
        {[](Simplex &s) { return s.raffinerT22(6); }, Statut::ArgumentsIncorrects, {"6", "0..5"}},
        {[](Simplex &s) {
             return s.construire({point3(), point3()}, {{0, 1, 1}, {0, 0, 2}}, {});
         },
         Statut::ArgumentsIncorrects,
         {"point 1", "voisin 2"}},
        {[](Simplex &s) {
             return s.construire({point3()}, {{0, 0, 0}}, {{0, -1}});
         },
         Statut::ArgumentsIncorrects,
         {"maille 0", "-1"}},
    };
    for (const auto &c : cas) {
        Simplex s;
        cubeDual(s);
        const std::string avant = empreinte(s);
        const Resultat r = silencieux([&] { return c.operation(s); });
        EXPECT_EQ(r.statut, c.statut) << r.raison;
        for (const std::string &mot : c.nomme)
            EXPECT_NE(r.raison.find(mot), std::string::npos) << r.raison << " / " << mot;
        EXPECT_EQ(empreinte(s), avant) << r.raison;
    }
}

// A stopped pass over the points or cells leaves a whole mesh holding the work done so far:
// more points than before, fewer than the full pass, and every invariant of a refined mesh.
TEST(Resultats, AStoppedRefinementLeavesAWholePartlyRefinedMesh)
{
    using Passe = Resultat (Simplex::*)(const Progression &);
    for (Passe passe : {&Simplex::raffinerT26Global, &Simplex::raffinerT26Angles, &Simplex::raffinerT22Surfaces,
                        &Simplex::raffinerT22PointsParMaille}) {
        Simplex complet, arrete;
        ASSERT_TRUE(chargerGabarit(complet));
        ASSERT_TRUE(chargerGabarit(arrete));
        const std::size_t depart = arrete.ListePointsSimplex.size();
        // A first T26 pass gives the cells unequal sizes and areas for the T22 passes.
        silencieux([&] { return complet.raffinerT26(0); });
        silencieux([&] { return arrete.raffinerT26(0); });
        Arret arret{30, {}};
        ASSERT_TRUE(silencieux([&] { return (complet.*passe)(Progression()); }).reussi());
        const Resultat r = silencieux([&] { return (arrete.*passe)(arret.fonction()); });
        EXPECT_EQ(r.statut, Statut::Interrompu);
        EXPECT_GT(arrete.ListePointsSimplex.size(), depart + 2);
        EXPECT_LT(arrete.ListePointsSimplex.size(), complet.ListePointsSimplex.size());
        attendreInvariants(arrete, invariantsRaffinage);
        for (std::size_t k = 1; k < arret.fractions.size(); ++k)
            EXPECT_LE(arret.fractions[k - 1], arret.fractions[k]);
    }
}

// Reading and the conversions build aside: a stop leaves the mesh as it was. A stopped run of
// deformation steps leaves exactly the steps done.
TEST(Resultats, StoppedReadsConversionsAndRunsLeaveWhatTheySay)
{
    TempDir dir;
    Simplex gabarit;
    ASSERT_TRUE(chargerGabarit(gabarit));
    ASSERT_TRUE(silencieux([&] { return gabarit.ecrire(dir.file("g.smm"), 2); }).reussi());

    Simplex s;
    cubeDual(s);
    const std::string cube = empreinte(s);
    Arret lecture{2, {}};
    EXPECT_EQ(silencieux([&] { return s.lire(dir.file("g.smm"), lecture.fonction()); }).statut, Statut::Interrompu);
    EXPECT_EQ(empreinte(s), cube);

    std::vector<point3> sommets;
    std::vector<Face> faces;
    icosaedreSubdivise(1, 1.0, sommets, faces);
    s.maillageOrigine = Maillage(sommets, faces);
    for (int appel : {2, 60}) {
        Arret conversion{appel, {}};
        EXPECT_EQ(silencieux([&] { return s.convertirTriangles(conversion.fonction()); }).statut, Statut::Interrompu);
        EXPECT_EQ(empreinte(s), cube);
    }
    s.maillageTriangule = Maillage(sommets, faces);
    Arret triangulation{3, {}};
    EXPECT_EQ(silencieux([&] { return s.trianguler(triangulation.fonction()); }).statut, Statut::Interrompu);
    EXPECT_EQ(empreinte(s.maillageTriangule), empreinte(Maillage(sommets, faces)));

    const std::vector<point3> nuage = nuageEllipsoide(400, 12, 9, 7);
    KdPtr kd = kdSur(nuage);
    Simplex pasAPas, run;
    ASSERT_TRUE(chargerGabarit(pasAPas));
    ASSERT_TRUE(chargerGabarit(run));
    for (int k = 0; k < 3; ++k)
        pasAPas.deformer(kd.get(), 1, 1.0f, 0.05f, 0.0f, 2, false);
    Arret deformation{4, {}};
    EXPECT_EQ(run.deformerPas(10, kd.get(), 1, 1.0f, 0.05f, 0.0f, 2, false, deformation.fonction()).statut,
              Statut::Interrompu);
    EXPECT_EQ(empreinte(run), empreinte(pasAPas));
}
