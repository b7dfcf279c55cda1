#ifndef TARNIS_AJUSTEMENT_AJUSTERETMESURER_H
#define TARNIS_AJUSTEMENT_AJUSTERETMESURER_H

#include "Ajustement.h"
#include "Croisements.h"
#include "Topologie.h"

#include <string>
#include <vector>

/// What a closed surface is, as it is written, against the cloud it was fitted to.
struct MesureSurface
{
    FiguresAjustement figures;   ///< distances between the cloud and the triangulated surface
    TopologieSurface topologie;  ///< its parts and genus
    std::size_t croisements = 0; ///< pairs of triangles that cross (exact), in the precision written
    MesureSolide solide;         ///< enclosed volume and area
    int points = 0;              ///< simplex points
    int mailles = 0;             ///< cells
    int sommets = 0;             ///< vertices of the triangulation
    int triangles = 0;
    double secondes = 0;         ///< spent measuring
};

/// Orients s outward, triangulates it and measures it: topology, crossings, solid, distances to
/// `nuage` (those of the points a fit drew on when `bilan` is a fit's). The crossings are counted
/// on the coordinates each of `formats` writes ("off", "obj", "smm", "sm", "stl", "ply": the most
/// of them), in double precision when the list is empty. `fils` threads (0: every core); the
/// figures do not depend on their number. The progression follows the triangulation, then the
/// distances. Failures: those of the triangulation; Interrompu when asked to stop.
/// `ecartes`: the points the fit set aside, when `nuage` no longer holds them (see mesurerAjustement).
Resultat mesurerSurface(Simplex &s, const std::vector<point3> &nuage, const BilanAjustement *bilan,
                        const std::vector<std::string> &formats, int fils, MesureSurface &mesure,
                        const Progression &progression = {}, const std::vector<point3> *ecartes = nullptr);

/// The crossing pairs of a triangulation as the formats write it (see mesurerSurface).
std::size_t croisementsCommeEcrits(const Maillage &t, const std::vector<std::string> &formats, int fils);

/// A fit and the measure of what it gives.
struct MesureAjustement
{
    BilanAjustement ajustement; ///< its working cloud is given up once measured
    MesureSurface surface;
    double secondesAjustement = 0;
};

/// The fit (ajuster) of s onto the cloud, then mesurerSurface, the one sequence the console tool,
/// the batches, the application and the Python package run. The cloud is taken by value: once
/// fitted it is freed when the fit's own tree holds what the figures need. The progression gives
/// nine tenths to the fit; a stop or a failure of the fit leaves the mesure of the fit only.
Resultat ajusterEtMesurer(Simplex &s, std::vector<point3> nuage, const ReglagesAjustement &reglages,
                          const std::vector<std::string> &formats, MesureAjustement &mesure,
                          const Progression &progression = {},
                          const std::function<void(const Simplex &, int)> &apresNiveau = {});

#endif
