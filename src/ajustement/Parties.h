#ifndef TARNIS_AJUSTEMENT_PARTIES_H
#define TARNIS_AJUSTEMENT_PARTIES_H

#include "Ajustement.h"
#include "ArbrePoints.h"
#include "TableAjustement.h"

/// The separate clusters of a cloud: points joined through the cells of a grid four times the
/// cloud's spacing (the median distance from a point to the second nearest of the others) on a
/// side, neighbouring occupied cells joined. Clusters come in the order of their first point,
/// each one the indices of its points, increasing. None (the cloud is one part) unless there
/// are several and every one holds at least PART_MINIMALE of the points: a few stray points
/// never make a part. `fils` threads share the work (0: every core); the answer does not depend
/// on their number.
std::vector<std::vector<std::size_t>> partiesDuNuage(const ArbrePoints &arbre, int fils = 0);
/// The same, the tree built on every core.
std::vector<std::vector<std::size_t>> partiesDuNuage(const std::vector<point3> &nuage);

/// The fit of a cloud of several clusters: a copy of s fitted to each (ajuster, the progression
/// shared out by their sizes), the meshes put together into s, one closed part per cluster.
/// A part that fails or is stopped ends the run with its result; s then holds the parts fitted
/// so far and that one. The points each part's fit set aside are given back as indices into
/// the whole cloud (bilan.ecartes, increasing).
Resultat ajusterParParties(Simplex &s, const std::vector<point3> &nuage,
                           const std::vector<std::vector<std::size_t>> &parties,
                           const ReglagesAjustement &reglages, const Progression &progression,
                           BilanAjustement &bilan);

#endif
