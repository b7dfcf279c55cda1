#include "SimplexAutomatique.h"

#include "Simplex.h"

#include <exception>
#include <string>

namespace {

class Execution
{
public:
    Execution(Simplex &s, kd_tree *kd, const ReglagesAutomatiques &r, int &retention, const Progression &p)
        : s(s), kd(kd), r(r), retention(retention), progression(p), total(unitesAutomatiques(r))
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
                }))
                return false;
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
    const int total;
    int faites = 0;
};

} // namespace

int unitesAutomatiques(const ReglagesAutomatiques &r)
{
    const int parTour = r.t26Global + r.pasDeformation + r.t26Angles + r.t22Surfaces + r.t22PointsParMaille;
    return parTour * r.tours + r.pasDeformation;
}

Resultat deformationAutomatique(Simplex &s, kd_tree *kd, const ReglagesAutomatiques &r, int &retention,
                                const Progression &progression)
{
    Execution e(s, kd, r, retention, progression);
    const Raison deformation(CodeRaison::DeformationDuMaillage, {r.pasDeformation});
    bool phaseT26 = true;
    for (int tour = 0; tour < r.tours; ++tour) {
        if (!e.deformer(r.pasDeformation, deformation))
            return e.resultat;
        bool ok;
        if (phaseT26 && (r.t26Global > 0 || r.t26Angles > 0)) {
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
    }
    e.deformer(r.pasDeformation, Raison(CodeRaison::DeformationFinale));
    return e.resultat;
}
