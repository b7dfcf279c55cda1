#ifndef TARNIS_AJUSTEMENT_REPOSER_H
#define TARNIS_AJUSTEMENT_REPOSER_H

#include "point3.h"

#include <array>
#include <vector>

/// How the surface settles on the cloud (see reposerSurLeNuage).
struct ReglagesRepos
{
    int tours = 3;              ///< rounds: nearest triangles found again, then the moves solved
    double lissage = 0.4;       ///< weight of each point lying at the mean of its neighbours, against the data
    double amortissement = 0.01; ///< weight of no move at all, where neither says anything
    /// A cloud point farther than this from the surface pulls with a weight falling as one over
    /// its distance (0: every point pulls fully).
    double portee = 0;
    /// Rounds more, at most this many, while a part of the cloud lies farther than `lointain`
    /// from the surface (0: none). Such a part is a few points far off the surface together (the
    /// edge of a scanner's view seen at a grazing angle), not a lone point beside it: each of its
    /// points pulls the surface fully and straight towards itself, with moves of up to a whole
    /// spacing, until all of them are within reach.
    int toursLointains = 0;
    double lointain = 0;
    /// The last this many points of the cloud are lone points the surface is to reach all the
    /// same (see prolongentUnBord): they pull only in the rounds that reach far parts, as points
    /// of such a part.
    std::size_t seuls = 0;
};

/// Settles the surface a closed simplex mesh stands for (each cell fanned round the mean of its
/// points, as the triangulation is written) on the cloud. Each round finds every cloud point's
/// nearest triangle and moves the points X[i] by the least-squares solution of: each cloud point
/// on the plane of its triangle, each point the cloud draws at the mean of its neighbours, each
/// other point keeping its offset from that mean (`voisins`: each point's three neighbours,
/// symmetric; otherwise nothing is done). No point moves by more than half its mean distance to
/// its neighbours in a round (a whole one in the rounds that reach far parts). The work is shared
/// among `fils` threads and the result does not depend on their number.
void reposerSurLeNuage(std::vector<point3> &X, const std::vector<std::vector<int>> &mailles,
                       const std::vector<std::array<int, 3>> &voisins, const std::vector<point3> &nuage,
                       const ReglagesRepos &reglages, int fils);

#endif
