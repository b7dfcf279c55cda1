// The template mesh shipped in SMM_/, and the engine working end to end in memory: template read,
// cloud sampled from an ellipsoid, mesh placed on it, a few hundred deformation steps; the
// automatic mode against the same operations called one by one, and its stop.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>

#include "kdtree.h"
#include "Simplex.h"
#include "simplex_fixtures.h"
#include "SimplexAutomatique.h"
#include "Divergence.h"
#include "refine_fixtures.h"
#include "support.h"

using namespace tarnis_test;

namespace {

/// The run replayed by hand, `unites` units at most: steps and passes in the documented order.
int rejouer(Simplex &s, kd_tree *kd, const ReglagesAutomatiques &r, int unites, std::vector<std::string> &phases)
{
    // The units in order: the phase and the pass (null: a deformation step).
    std::vector<std::pair<std::string, void (Simplex::*)()>> plan;
    auto ajouter = [&plan](int n, const std::string &phase, void (Simplex::*passe)()) {
        plan.insert(plan.end(), static_cast<std::size_t>(n), {phase, passe});
    };
    bool t26 = true;
    for (int tour = 0; tour < r.tours; ++tour) {
        ajouter(r.pasDeformation, "Deformation du maillage (x" + std::to_string(r.pasDeformation) + ")", nullptr);
        const bool raffinerT26 = t26 && (r.t26Global > 0 || r.t26Angles > 0);
        if (raffinerT26) {
            ajouter(r.t26Global, "Raffinage T26 Global", &Simplex::RaffinageT26Global);
            ajouter(r.t26Angles, "Raffinage T26 par angles", &Simplex::RaffinageT26Angles);
        } else {
            ajouter(r.t22Surfaces, "Raffinage T22 par surfaces", &Simplex::RaffinageT22Surfaces);
            ajouter(r.t22PointsParMaille, "Raffinage T22 Point par maille", &Simplex::RaffinageT22PointsParMaille);
        }
        t26 = !raffinerT26;
    }
    ajouter(r.pasDeformation, "Deformation finale", nullptr);
    int retention = 0;
    for (std::size_t k = 0; k < plan.size() && static_cast<int>(k) < unites; ++k) {
        if (plan[k].second)
            (s.*plan[k].second)();
        else
            s.deformer(kd, retention, r.alpha, r.beta, r.gamma, r.rigid, r.cone);
        retention = plan[k].second ? 0 : 1;
        phases.push_back(plan[k].first);
    }
    return retention;
}

} // namespace

TEST(Gabarit, IsAClosedConsistentlyOrientedSimplexMeshWithOutwardNormals)
{
    Simplex s;
    ASSERT_TRUE(chargerGabarit(s));
    // Twice-split icosahedron: 320 triangles, and so (closed genus 0) 162 vertices.
    EXPECT_EQ(s.ListePointsSimplex.size(), 320u);
    attendreInvariants(s);

    // Centred on the origin: every normal points away from it, and every cell turns positively
    // around the normal of its first point (the orientation the cell operations keep).
    s.calculerCentre();
    EXPECT_LT(vector3(point3(0, 0, 0), *s.Centre).norme(), 1e-4);
    for (const PointSimplex *p : s.ListePointsSimplex) {
        const vector3 radial(point3(0, 0, 0), p->Position);
        EXPECT_GT(p->Ni * radial, 0.9 * radial.norme());
        EXPECT_GT(p->Phi, 0) << "a convex mesh seen along outward normals";
    }
    for (const Maille *m : s.ListeMailles) {
        const point3 &a = m->front()->Position;
        EXPECT_GT((vector3(a, (*m)[1]->Position) ^ vector3(a, m->back()->Position)) * m->front()->Ni, 0);
    }
}

class SurEllipsoide : public ::testing::TestWithParam<std::tuple<bool, int, double>>
{};

TEST_P(SurEllipsoide, EveryPointEndsOnTheSurface)
{
    const bool cone = std::get<0>(GetParam());
    const int rigid = std::get<1>(GetParam());
    const double tolerance = std::get<2>(GetParam());
    const double a = 30, b = 22, c = 16;
    const std::vector<point3> nuage = nuageEllipsoide(20000, a, b, c);
    KdPtr kd = kdSur(nuage);
    auto pireEcart = [&](const Simplex &s) {
        double pire = 0;
        for (const PointSimplex *p : s.ListePointsSimplex)
            pire = std::max(pire, ecartEllipsoide(p->Position, a, b, c));
        return pire;
    };

    Simplex s;
    ASSERT_TRUE(chargerGabarit(s));
    double avant = 0;
    captureStdout([&] {
        s.setConeDeVision(45, 2); // half-space ahead, 2 units behind
        // The cloud's bounding-box centre, as the view's centring computes it.
        s.centrer(point3(0, 0, 0));
        ASSERT_TRUE(s.dilatation(1.8));
        avant = pireEcart(s);
        // External weight 0.3: with the preferences' 0.05 the 320-point template settles about
        // 1.5 units off the sharper ends, held by its smoothness.
        for (int pas = 0; pas < 300; ++pas)
            s.deformer(kd.get(), pas == 0 ? 0 : 1, 1.0f, 0.3f, 0.0f, rigid, cone);
    });

    // The placed template is far from the surface (a sphere of radius 18 in a 30 x 22 x 16
    // ellipsoid); after the run every point lies within a small fraction of the smallest
    // semi-axis (a stiffer mesh keeps further from the sharper ends).
    EXPECT_GT(avant, 10.0);
    EXPECT_LT(pireEcart(s), tolerance * c);
    attendreInvariants(s);
}

INSTANTIATE_TEST_SUITE_P(Deformation, SurEllipsoide,
                         ::testing::Values(std::make_tuple(false, 2, 0.03), std::make_tuple(true, 2, 0.03),
                                           std::make_tuple(false, 10, 0.1)));

TEST(Deformation, OneThreadOrSeveralGiveTheSameMesh)
{
    // 8640 points: the step is shared; rigidity 3 and the cone take their own paths.
    const KdPtr kd = kdSur(nuageEllipsoide(20000, 30, 22, 16));
    for (const auto &[rigid, cone] : {std::make_pair(2, false), std::make_pair(3, true)}) {
        std::string empreintes[2];
        for (int k = 0; k < 2; ++k) {
            Simplex s;
            s.fils = 1 + 2 * k;
            captureStdout([&] {
                ASSERT_TRUE(chargerGabarit(s) && s.raffinerT26Global().reussi() && s.raffinerT26Global().reussi() &&
                            s.raffinerT26Global().reussi() && s.dilatation(1.8));
                s.setConeDeVision(45, 2);
                for (int pas = 0; pas < 3; ++pas)
                    s.deformer(kd.get(), pas == 0 ? 0 : 1, 1.0f, 0.3f, 0.1f, rigid, cone);
            });
            empreintes[k] = empreinte(s);
        }
        EXPECT_EQ(empreintes[0], empreintes[1]) << rigid;
    }
}

TEST(Automatique, RunsTheRoundsInOrderAndStopsAfterTheUnitThatWasRefused)
{
    const std::vector<point3> nuage = nuageEllipsoide(3000, 30, 22, 16);
    const KdPtr kd = kdSur(nuage);
    // Rounds, steps per round, then one pass of each refinement kind; the defaults for the rest.
    const ReglagesAutomatiques r{3, 2, 1, 1, 1, 1};
    EXPECT_EQ(unitesAutomatiques(r), 6 * 3 + 2);

    for (int arret : {1000, 3, 7}) {
        Simplex moteur, main;
        for (Simplex *x : {&moteur, &main})
            icosaedreDual(*x, 1, 40.0);
        std::vector<std::string> attendues, vues;
        std::vector<double> fractions;
        const int retentionAttendue = rejouer(main, kd.get(), r, arret, attendues);
        int retention = 0;
        const Resultat res = deformationAutomatique(moteur, kd.get(), r, retention, [&](double f, const Raison &phase) {
            vues.push_back(texte(phase));
            fractions.push_back(f);
            return int(vues.size()) < arret;
        });
        EXPECT_EQ(res.statut, arret == 1000 ? Statut::Reussite : Statut::Interrompu) << arret;
        EXPECT_EQ(vues, attendues) << arret;
        EXPECT_EQ(retention, retentionAttendue) << arret;
        EXPECT_EQ(positions(moteur.ListePointsSimplex), positions(main.ListePointsSimplex)) << arret;
        // The refinements keep the neighbourhoods whole (the cells' orientation is theirs to mend).
        attendreInvariants(moteur, invariantsRaffinage);
        EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
        EXPECT_DOUBLE_EQ(fractions.back(), double(vues.size()) / unitesAutomatiques(r));
    }

    // No refinement at all, a point count out of reach: two rounds in a row that add nothing
    // end the rounds, and the summary says why.
    ReglagesAutomatiques fige{10, 1, 0, 0, 0, 0};
    fige.pointsMinimum = 100000;
    Simplex s;
    icosaedreDual(s, 1, 40.0);
    int retention = 0;
    BilanAutomatique bilan;
    ASSERT_TRUE(deformationAutomatique(s, kd.get(), fige, retention, {}, &bilan).reussi());
    EXPECT_EQ(bilan.tours, 2);
    EXPECT_TRUE(bilan.sansCroissance);
}

TEST(Automatique, OneDivergenceRuleAroundTheCloudAndWhereTheMeshStarted)
{
    const std::vector<point3> nuage = nuageEllipsoide(3000, 30, 22, 16); // diagonal about 80
    const KdPtr kd = kdSur(nuage);
    // Diagnostics of the geometry far from the cloud or diverging are not the test's business.
    auto silencieux = [](const std::function<Resultat()> &f) {
        Resultat r;
        captureSorties([&] { r = f(); });
        return r;
    };
    // Twenty-five diagonals from the cloud, a mesh that settles is not taken for a diverging one.
    std::vector<point3> sommets;
    std::vector<Face> faces;
    icosaedreSubdivise(1, 40.0, sommets, faces);
    for (point3 &p : sommets)
        p = p + point3(2000, 0, 0);
    Simplex loin;
    construireDual(loin, sommets, faces);
    EXPECT_TRUE(silencieux([&] { return loin.deformerPas(5, kd.get(), 0, 1.0f, 0.05f, 0.0f, 2, false); }).reussi());

    // Weights too large: both paths stop at the same step, the first that leaves the region, with
    // the mesh as that step left it.
    Simplex pasAPas, automatique, temoin;
    for (Simplex *x : {&pasAPas, &automatique, &temoin})
        icosaedreDual(*x, 1, 40.0);
    const RegionDeformation region = temoin.regionDeformation(kd.get());
    const Resultat r = silencieux([&] { return pasAPas.deformerPas(300, kd.get(), 0, 3.0f, 0.05f, 0.0f, 2, false); });
    ASSERT_EQ(r.statut, Statut::Echec);
    ASSERT_EQ(r.raison.code, CodeRaison::Divergence) << r.texte();
    ASSERT_EQ(r.raison.arguments.size(), 1u);
    const int n = std::stoi(r.raison.arguments[0].texte);
    EXPECT_FALSE(pasAPas.dansLaRegion(region));
    for (int k = 1; k < n; ++k)
        ASSERT_TRUE(silencieux([&] { return temoin.deformerPas(1, kd.get(), 0, 3.0f, 0.05f, 0.0f, 2, false); }).reussi());
    EXPECT_TRUE(temoin.dansLaRegion(region)) << "the step before still in the region";

    ReglagesAutomatiques reglages{1, 300, 0, 0, 0, 0};
    reglages.alpha = 3.0f;
    int retention = 0;
    BilanAutomatique bilan;
    EXPECT_EQ(silencieux([&] { return deformationAutomatique(automatique, kd.get(), reglages, retention, {}, &bilan); })
                  .texte(),
              r.texte());
    EXPECT_EQ(bilan.pas, n);
    EXPECT_EQ(positions(automatique.ListePointsSimplex), positions(pasAPas.ListePointsSimplex));

    // A mesh that starts far off the cloud, along any axis, widens the region to its distance:
    // the unit box (centre 0.5 on each axis), a start 100 off along one axis.
    Boite unite;
    unite.ajouter(point3(0, 0, 0));
    unite.ajouter(point3(1, 1, 1));
    for (int a = 0; a < 3; ++a) {
        point3 depart(0.5, 0.5, 0.5), dedans(0.5, 0.5, 0.5), dehors(0.5, 0.5, 0.5);
        const double portee = RegionDeformation::diagonales * 99.5;
        (a == 0 ? depart.x : a == 1 ? depart.y : depart.z) = 100;
        (a == 0 ? dedans.y : a == 1 ? dedans.z : dedans.x) += 0.99 * portee;
        (a == 0 ? dehors.y : a == 1 ? dehors.z : dehors.x) += 1.01 * portee;
        const RegionDeformation large(unite, {depart});
        EXPECT_TRUE(large.contient(dedans)) << a;
        EXPECT_FALSE(large.contient(dehors)) << a;
    }

    // Without a cloud, only positions that are not finite diverge.
    const RegionDeformation partout(Boite(), {point3(0, 0, 0)});
    EXPECT_TRUE(partout.contient(point3(1e300, -1e300, 0)));
    for (double x : {std::nan(""), HUGE_VAL, -HUGE_VAL})
        EXPECT_FALSE(partout.contient(point3(0, x, 0))) << x;
}
