#ifndef TARNIS_SIMPLEXAUTOMATIQUE_H
#define TARNIS_SIMPLEXAUTOMATIQUE_H

#include "Defauts.h"
#include "Progression.h"
#include "Resultat.h"

#include <functional>
#include <vector>

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
    /// Above 0: a round runs only while the mesh has fewer points (tours is then the most rounds),
    /// and the rounds end when two refinements in a row add no point.
    long pointsMinimum = 0;
    /// Steps of the final series; below 0, pasDeformation.
    int pasFinaux = -1;
    /// Above 0: the final series ends after a step that moves the simplex points along their
    /// normals by less than this on average (in the cloud's units): the shape no longer changes.
    double arretFinal = 0;
};

/// What a run of the automatic mode did.
struct BilanAutomatique
{
    int tours = 0;               ///< rounds run
    int pas = 0;                 ///< deformation steps in all
    int pasFinaux = 0;           ///< steps of the final series
    bool arretAnticipe = false;  ///< the final series ended on arretFinal before its last step
    double deplacementFinal = 0; ///< mean move along the normals in the last step of the final series
    bool sansCroissance = false; ///< the rounds ended because the refinements no longer add points
};

/// A round, as the automatic mode tells it once its refinement is done.
struct TourAutomatique
{
    int tour = 0;                ///< 1, 2, ...
    bool t26 = false;            ///< the T26 passes ran (else the T22 passes)
    int pointsAvant = 0;         ///< simplex points before the refinement
    int pointsApres = 0;         ///< and after
    double distanceMoyenne = 0;  ///< mean distance from the simplex points to the cloud, before the refinement
};

/// Units of work the run reports over: per round, the steps and the passes of every
/// refinement kind (a round runs only the T26 or the T22 kinds, so the rounds end short of
/// their share), then the final series' steps.
int unitesAutomatiques(const ReglagesAutomatiques &r);

/// The automatic mode. Each round runs pasDeformation steps, then the T26 passes (global, then
/// by angles) or, every other round and whenever no T26 pass is asked, the T22 passes (by
/// surfaces, then by points per cell); a final series of pasFinaux steps ends the run (see
/// ReglagesAutomatiques for the rounds bounded by a number of points and the final series that
/// ends early). retention is the retention flag of the deformation (0: no previous move to keep
/// a share of); it is cleared by every refinement, set by every step, and left as the run leaves
/// it.
///
/// The progression hears, after every step and every pass, the share of unitesAutomatiques()
/// done and the phase under way: "Deformation du maillage (xN)", "Raffinage T26 Global",
/// "Raffinage T26 par angles", "Raffinage T22 par surfaces", "Raffinage T22 Point par maille",
/// "Deformation finale". A stop ends the run there with Statut::Interrompu: the mesh keeps the
/// steps and passes done, each of them whole. A refinement or step that throws ends the run
/// with Statut::Echec and the reason, the mesh as that operation left it; so does a step after
/// which the mesh diverges (RegionDeformation, around the points of kd and the mesh as the run
/// starts). apresTour, when set, hears each round once refined, with the mesh: it may change
/// the mesh for a while (to save it with its cells turned, say) but must leave it as it found it.
Resultat deformationAutomatique(Simplex &s, kd_tree *kd, const ReglagesAutomatiques &r, int &retention,
                                const Progression &progression = {}, BilanAutomatique *bilan = nullptr,
                                const std::function<void(Simplex &, const TourAutomatique &)> &apresTour = {});

/// The distance from each simplex point to its nearest point of kd (infinite without one).
std::vector<double> distancesAuNuage(const Simplex &s, const kd_tree *kd);

/// Mean move of the simplex points along their normals in the last step (from the previous
/// positions to the current ones): the change of shape, without the sliding along the surface.
double deplacementNormalMoyen(const Simplex &s);

#endif
