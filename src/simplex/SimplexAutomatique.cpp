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
    bool rapporter(const std::string &phase)
    {
        ++faites;
        if (progression && !progression(total > 0 ? double(faites) / double(total) : 1.0, phase)) {
            resultat = Resultat::interrompu("Le mode automatique");
            return false;
        }
        return true;
    }

    bool deformer(int pas, const std::string &phase)
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

    bool raffiner(int passes, Resultat (Simplex::*operation)(const Progression &), const std::string &phase)
    {
        for (int i = 0; i < passes; ++i) {
            Resultat passe;
            if (!garder(phase, [&] {
                    passe = (s.*operation)(Progression());
                    retention = 0;
                }))
                return false;
            if (!passe) {
                resultat = Resultat::echec(passe.statut, phase + " : " + passe.raison);
                return false;
            }
        }
        return true;
    }

    Resultat resultat;

private:
    template <typename F> bool garder(const std::string &phase, F &&travail)
    {
        try {
            travail();
        } catch (const std::exception &e) {
            resultat = Resultat::echec(Statut::Echec, phase + " : " + e.what());
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
    const std::string deformation = "Deformation du maillage (x" + std::to_string(r.pasDeformation) + ")";
    bool phaseT26 = true;
    for (int tour = 0; tour < r.tours; ++tour) {
        if (!e.deformer(r.pasDeformation, deformation))
            return e.resultat;
        bool ok;
        if (phaseT26 && (r.t26Global > 0 || r.t26Angles > 0)) {
            ok = e.raffiner(r.t26Global, &Simplex::raffinerT26Global, "Raffinage T26 Global") &&
                 e.raffiner(r.t26Angles, &Simplex::raffinerT26Angles, "Raffinage T26 par angles");
            phaseT26 = false;
        } else {
            ok = e.raffiner(r.t22Surfaces, &Simplex::raffinerT22Surfaces, "Raffinage T22 par surfaces") &&
                 e.raffiner(r.t22PointsParMaille, &Simplex::raffinerT22PointsParMaille,
                            "Raffinage T22 Point par maille");
            phaseT26 = true;
        }
        if (!ok)
            return e.resultat;
    }
    e.deformer(r.pasDeformation, "Deformation finale");
    return e.resultat;
}
