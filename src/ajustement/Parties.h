#ifndef TARNIS_AJUSTEMENT_PARTIES_H
#define TARNIS_AJUSTEMENT_PARTIES_H

#include "Ajustement.h"

/// The separate clusters of a cloud: points joined through the cells of a grid four times the
/// cloud's spacing (the median distance from a point to the nearest of the others) on a side,
/// neighbouring occupied cells joined. Clusters come in the order of their first point, each one
/// the list of its points in the cloud's order. One cluster (the whole cloud) unless every
/// cluster holds at least PART_MINIMALE of the points: a few stray points never make a part.
std::vector<std::vector<point3>> partiesDuNuage(const std::vector<point3> &nuage);

/// Share of the cloud below which a cluster is not a part of its own.
constexpr double PART_MINIMALE = 0.05;

/// The fit of a cloud of several clusters: a copy of s fitted to each (ajuster, the progression
/// shared out by their sizes), the meshes put together into s, one closed part per cluster.
/// A part that fails or is stopped ends the run with its result; s then holds the parts fitted
/// so far and that one.
Resultat ajusterParParties(Simplex &s, const std::vector<std::vector<point3>> &parties,
                           const ReglagesAjustement &reglages, const Progression &progression,
                           BilanAjustement &bilan);

#endif
