#include "SimplexAutomatique.h"

#include "Divergence.h"
#include "Simplex.h"
#include "Vecteurs.h"
#include "kdtree.h"

#include <cmath>
#include <exception>
#include <limits>
#include <string>

namespace {

class Execution
{
public:
    Execution(Simplex &maillage, kd_tree *arbre, const ReglagesAutomatiques &reglages, int &retenue,
              const Progression &p, BilanAutomatique &b)
        : s(maillage), kd(arbre), r(reglages), retention(retenue), progression(p), bilan(b),
          total(unitesAutomatiques(reglages)), region(maillage.regionDeformation(arbre))
    {}

    /// One unit done under `phase`; false once the run must end.
    bool rapporter(const Raison &phase)
    {
        ++faites;
        if (progression && !progression(total > 0 ? double(faites) / double(total) : 1.0, phase)) {
            resultat = Resultat::interrompu(Raison(CodeRaison::ModeAutomatique));
            return false;
        }
        return true;
    }

    bool deformer(int pas, const Raison &phase)
    {
        for (int i = 0; i < pas; ++i) {
            if (!garder(phase, [&] {
                    s.deformer(kd, retention, r.alpha, r.beta, r.gamma, r.rigid, r.cone);
                    retention = 1;
                    ++bilan.pas;
                }))
                return false;
            if (!s.dansLaRegion(region)) {
                resultat = RegionDeformation::divergence(bilan.pas);
                return false;
            }
        }
        return true;
    }

    bool raffiner(int passes, Resultat (Simplex::*operation)(const Progression &), const Raison &phase)
    {
        for (int i = 0; i < passes; ++i) {
            Resultat passe;
            if (!garder(phase, [&] {
                    passe = (s.*operation)(Progression());
                    retention = 0;
                }))
                return false;
            if (!passe) {
                resultat = Resultat::echec(passe.statut, Raison(CodeRaison::Contexte, {phase, passe.raison}));
                return false;
            }
        }
        return true;
    }

    Resultat resultat;

private:
    template <typename F> bool garder(const Raison &phase, F &&travail)
    {
        try {
            travail();
        } catch (const std::exception &e) {
            resultat = Resultat::echec(Statut::Echec, Raison(CodeRaison::Contexte, {phase, litteral(e.what())}));
            return false;
        }
        return rapporter(phase);
    }

    Simplex &s;
    kd_tree *kd;
    const ReglagesAutomatiques &r;
    int &retention;
    const Progression &progression;
    BilanAutomatique &bilan;
    const int total;
    const RegionDeformation region;
    int faites = 0;
};

} // namespace

int unitesAutomatiques(const ReglagesAutomatiques &r)
{
    const int parTour = r.t26Global + r.pasDeformation + r.t26Angles + r.t22Surfaces + r.t22PointsParMaille;
    return parTour * r.tours + (r.pasFinaux < 0 ? r.pasDeformation : r.pasFinaux);
}

Resultat deformationAutomatique(Simplex &s, kd_tree *kd, const ReglagesAutomatiques &r, int &retention,
                                const Progression &progression, BilanAutomatique *bilan,
                                const std::function<void(Simplex &, const TourAutomatique &)> &apresTour)
{
    BilanAutomatique local;
    BilanAutomatique &b = bilan ? *bilan : local;
    b = BilanAutomatique();
    Execution e(s, kd, r, retention, progression, b);
    const Raison deformation(CodeRaison::DeformationDuMaillage, {r.pasDeformation});
    bool phaseT26 = true;
    int sansCroissance = 0;
    for (int tour = 0; tour < r.tours; ++tour) {
        if (r.pointsMinimum > 0 && s.getNbPointsSimplex() >= r.pointsMinimum)
            break;
        if (!e.deformer(r.pasDeformation, deformation))
            return e.resultat;
        TourAutomatique t;
        t.tour = tour + 1;
        t.pointsAvant = s.getNbPointsSimplex();
        if (apresTour) {
            const std::vector<double> d = distancesAuNuage(s, kd);
            double somme = 0;
            for (double x : d)
                somme += x;
            t.distanceMoyenne = d.empty() ? 0 : somme / static_cast<double>(d.size());
        }
        bool ok;
        t.t26 = phaseT26 && (r.t26Global > 0 || r.t26Angles > 0);
        if (t.t26) {
            ok = e.raffiner(r.t26Global, &Simplex::raffinerT26Global, Raison(CodeRaison::PhaseT26Global)) &&
                 e.raffiner(r.t26Angles, &Simplex::raffinerT26Angles, Raison(CodeRaison::RaffinageT26Angles));
            phaseT26 = false;
        } else {
            ok = e.raffiner(r.t22Surfaces, &Simplex::raffinerT22Surfaces, Raison(CodeRaison::RaffinageT22Surfaces)) &&
                 e.raffiner(r.t22PointsParMaille, &Simplex::raffinerT22PointsParMaille,
                            Raison(CodeRaison::PhaseT22PointsParMaille));
            phaseT26 = true;
        }
        if (!ok)
            return e.resultat;
        ++b.tours;
        t.pointsApres = s.getNbPointsSimplex();
        if (apresTour)
            apresTour(s, t);
        if (r.pointsMinimum > 0) {
            // Two refinements in a row that add nothing (T26 then T22 or the reverse): the mesh
            // can no longer grow.
            sansCroissance = t.pointsApres > t.pointsAvant ? 0 : sansCroissance + 1;
            if (sansCroissance >= 2) {
                b.sansCroissance = true;
                break;
            }
        }
    }
    const int finaux = r.pasFinaux < 0 ? r.pasDeformation : r.pasFinaux;
    for (int i = 0; i < finaux; ++i) {
        if (!e.deformer(1, Raison(CodeRaison::DeformationFinale)))
            return e.resultat;
        ++b.pasFinaux;
        b.deplacementFinal = deplacementNormalMoyen(s);
        if (r.arretFinal > 0 && b.deplacementFinal < r.arretFinal) {
            b.arretAnticipe = i + 1 < finaux;
            break;
        }
    }
    return e.resultat;
}

std::vector<double> distancesAuNuage(const Simplex &s, const kd_tree *kd)
{
    std::vector<double> d;
    d.reserve(s.ListePointsSimplex.size());
    for (const PointSimplex *p : s.ListePointsSimplex) {
        kd_result *r = kd ? kd_closest3(kd, p->Position.x, p->Position.y, p->Position.z) : nullptr;
        double q[3];
        if (r && !kd_result_at_end(r)) {
            kd_result_point(r, q);
            d.push_back(distance(p->Position, point3(q[0], q[1], q[2])));
        } else {
            d.push_back(std::numeric_limits<double>::infinity());
        }
        if (r)
            kd_result_release(r);
    }
    return d;
}

double deplacementNormalMoyen(const Simplex &s)
{
    const std::size_t n = std::min(s.ListePointsSimplex.size(), s.ListePointsPrecedents.size());
    if (n == 0)
        return 0;
    double somme = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const PointSimplex *p = s.ListePointsSimplex[i];
        const point3 &a = p->Position, &b = s.ListePointsPrecedents[i]->Position;
        somme += std::fabs((a.x - b.x) * p->Ni.x + (a.y - b.y) * p->Ni.y + (a.z - b.z) * p->Ni.z);
    }
    return somme / static_cast<double>(s.ListePointsSimplex.size());
}
