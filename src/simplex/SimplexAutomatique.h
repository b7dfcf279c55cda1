#ifndef TARNIS_SIMPLEXAUTOMATIQUE_H
#define TARNIS_SIMPLEXAUTOMATIQUE_H

#include "Defauts.h"
#include "Progression.h"
#include "Resultat.h"

struct kd_tree;
class Simplex;

/// Settings of the automatic mode: rounds, deformation steps per round, passes of each
/// refinement, and the deformation's weights.
struct ReglagesAutomatiques
{
    int tours = defauts::tours;
    int pasDeformation = defauts::pasDeformation;
    int t26Global = defauts::toursT26Global;
    int t26Angles = defauts::toursT26Angles;
    int t22Surfaces = defauts::toursT22Surfaces;
    int t22PointsParMaille = defauts::toursT22PointsParMaille;
    float alpha = defauts::alpha;
    float beta = defauts::beta;
    float gamma = defauts::gamma;
    int rigid = defauts::rigidite;
    bool cone = false;
};

/// Units of work the run reports over: per round, the steps and the passes of every
/// refinement kind (a round runs only the T26 or the T22 kinds, so the rounds end short of
/// their share), then the final series' steps.
int unitesAutomatiques(const ReglagesAutomatiques &r);

/// The automatic mode. Each round runs pasDeformation steps, then the T26 passes (global, then
/// by angles) or, every other round and whenever no T26 pass is asked, the T22 passes (by
/// surfaces, then by points per cell); a final series of pasDeformation steps ends the run.
/// retention is the retention flag of the deformation (0: no previous move to keep a share
/// of); it is cleared by every refinement, set by every step, and left as the run leaves it.
///
/// The progression hears, after every step and every pass, the share of unitesAutomatiques()
/// done and the phase under way: "Deformation du maillage (xN)", "Raffinage T26 Global",
/// "Raffinage T26 par angles", "Raffinage T22 par surfaces", "Raffinage T22 Point par maille",
/// "Deformation finale". A stop ends the run there with Statut::Interrompu: the mesh keeps the
/// steps and passes done, each of them whole. A refinement or step that throws ends the run
/// with Statut::Echec and the reason, the mesh as that operation left it.
Resultat deformationAutomatique(Simplex &s, kd_tree *kd, const ReglagesAutomatiques &r, int &retention,
                                const Progression &progression = {});

#endif
