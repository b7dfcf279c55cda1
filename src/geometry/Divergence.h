#ifndef TARNIS_GEOMETRY_DIVERGENCE_H
#define TARNIS_GEOMETRY_DIVERGENCE_H

#include "Boite.h"
#include "Resultat.h"
#include "point3.h"

#include <vector>

/// The one divergence rule of every deformation (the fit, the automatic mode, deformerPas, and so
/// the console tool): a step diverges when it leaves a point whose position is not finite, or
/// farther from the centre of the cloud's bounding box than ten times the larger of the box's
/// diagonal and the reach of the mesh when the run began (its farthest point from that centre).
///
/// A mesh that settles stays within about one diagonal of the cloud (the placement puts it there),
/// or within its own start when it was left elsewhere; weights too large make the steps grow
/// geometrically, so the mesh leaves the region within a few steps, long before a coordinate
/// overflows, and the run stops before the console fills with diagnostics and a meaningless result
/// is written. Without a cloud (an empty box) only positions that are not finite diverge.
class RegionDeformation
{
public:
    RegionDeformation(const Boite &nuage, const std::vector<point3> &depart);

    /// True while p is finite and in the region.
    bool contient(const point3 &p) const;

    /// The failure of a run whose step `pas` (1, 2, ... over the run) diverged.
    static Resultat divergence(int pas);

    static constexpr double diagonales = 10;

private:
    point3 centre;
    double rayon2; // squared radius; infinite without a cloud
};

#endif
