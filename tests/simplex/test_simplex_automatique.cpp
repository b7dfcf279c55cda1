// The automatic mode against the same operations called one by one, and its stop.
#include "SimplexAutomatique.h"

#include "simplex_fixtures.h"

#include <gtest/gtest.h>

using namespace tarnis_test;

namespace {

std::vector<point3> positions(const Simplex &s)
{
    std::vector<point3> p;
    for (const PointSimplex *q : s.ListePointsSimplex)
        p.push_back(q->Position);
    return p;
}

/// The run replayed by hand, `unites` units at most: steps and passes in the documented order.
int rejouer(Simplex &s, kd_tree *kd, const ReglagesAutomatiques &r, int unites, std::vector<std::string> &phases)
{
    int retention = 0, faites = 0;
    auto pas = [&](const std::string &phase) {
        if (faites >= unites)
            return false;
        s.deformer(kd, retention, r.alpha, r.beta, r.gamma, r.rigid, r.cone);
        retention = 1;
        ++faites;
        phases.push_back(phase);
        return true;
    };
    auto passe = [&](void (Simplex::*op)(), const std::string &phase) {
        if (faites >= unites)
            return false;
        (s.*op)();
        retention = 0;
        ++faites;
        phases.push_back(phase);
        return true;
    };
    const std::string deformation = "Deformation du maillage (x" + std::to_string(r.pasDeformation) + ")";
    bool t26 = true;
    for (int tour = 0; tour < r.tours; ++tour) {
        for (int i = 0; i < r.pasDeformation; ++i)
            pas(deformation);
        if (t26 && (r.t26Global > 0 || r.t26Angles > 0)) {
            for (int i = 0; i < r.t26Global; ++i)
                passe(&Simplex::RaffinageT26Global, "Raffinage T26 Global");
            for (int i = 0; i < r.t26Angles; ++i)
                passe(&Simplex::RaffinageT26Angles, "Raffinage T26 par angles");
            t26 = false;
        } else {
            for (int i = 0; i < r.t22Surfaces; ++i)
                passe(&Simplex::RaffinageT22Surfaces, "Raffinage T22 par surfaces");
            for (int i = 0; i < r.t22PointsParMaille; ++i)
                passe(&Simplex::RaffinageT22PointsParMaille, "Raffinage T22 Point par maille");
            t26 = true;
        }
    }
    for (int i = 0; i < r.pasDeformation; ++i)
        pas("Deformation finale");
    return retention;
}

} // namespace

TEST(Automatique, RunsTheRoundsInOrderAndStopsAfterTheUnitThatWasRefused)
{
    const std::vector<point3> nuage = nuageEllipsoide(3000, 30, 22, 16);
    const KdPtr kd = kdSur(nuage);
    ReglagesAutomatiques r;
    r.tours = 3;
    r.pasDeformation = 2;
    r.t26Global = 1;
    r.t26Angles = 1;
    r.t22Surfaces = 1;
    r.t22PointsParMaille = 1;
    EXPECT_EQ(unitesAutomatiques(r), 6 * 3 + 2);

    for (int arret : {1000, 3, 7}) {
        Simplex moteur, main;
        icosaedreDual(moteur, 1, 40.0);
        icosaedreDual(main, 1, 40.0);
        std::vector<std::string> attendues, vues;
        std::vector<double> fractions;
        const int retentionAttendue = rejouer(main, kd.get(), r, arret, attendues);
        int retention = 0;
        const Resultat res =
            deformationAutomatique(moteur, kd.get(), r, retention, [&](double f, const std::string &phase) {
                vues.push_back(phase);
                fractions.push_back(f);
                return int(vues.size()) < arret;
            });
        EXPECT_EQ(res.statut, arret == 1000 ? Statut::Reussite : Statut::Interrompu) << arret;
        EXPECT_EQ(vues, attendues) << arret;
        EXPECT_EQ(retention, retentionAttendue) << arret;
        EXPECT_EQ(positions(moteur), positions(main)) << arret;
        // The refinements keep the neighbourhoods whole (the cells' orientation is theirs to mend).
        attendreInvariants(moteur, invariantsRaffinage);
        EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
        EXPECT_DOUBLE_EQ(fractions.back(), double(vues.size()) / unitesAutomatiques(r));
    }
}
