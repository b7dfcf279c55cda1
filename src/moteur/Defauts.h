#ifndef TARNIS_DEFAUTS_H
#define TARNIS_DEFAUTS_H

/// Built-in settings every run starts from: a new document, the preferences' "Valeurs par
/// defaut" buttons, the automatic mode and the console tool all take them from here.
#include <cstddef>

namespace defauts {

/// The simplex template read when a cloud is opened without a mesh (working folder).
constexpr const char *gabarit = "./SMM_/icosa.smm";

// Deformation: weights of the internal, external and retention forces, rigidity.
constexpr float alpha = 1.0f;
constexpr float beta = 0.05f;
constexpr float gamma = 0.0f;
constexpr int rigidite = 2;

// Vision cone: half-angle in degrees, search radius.
constexpr double angleCone = 45.0;
constexpr double rayonCone = 2000.0;

// Volume import: grey-level thresholds and voxel-value window.
constexpr int seuilMin = 150;
constexpr int seuilMax = 255;
constexpr int fenetreMin = 0;
constexpr int fenetreMax = 1000;

// Automatic mode: passes of each refinement per round, steps per round, rounds.
constexpr int toursT26Global = 0;
constexpr int toursT22Surfaces = 1;
constexpr int toursT26Angles = 0;
constexpr int toursT22PointsParMaille = 0;
constexpr int pasDeformation = 5;
constexpr int tours = 10;

// Console tool and fit: the cycles (the fit's whole-mesh refinements) stop at this many simplex
// points; deformation steps per cycle (per level of the fit, before it may end).
constexpr long pointsMinimum = 2000;
constexpr int pasParCycle = 20;

// The fit (src/ajustement/Ajustement.h), which also takes the deformation's weights above:
// local refinement where the cloud stays farther from the surface than this share of its
// bounding-box diagonal, up to this many simplex points; a level ends when the points move by
// less than this share of their spacing; the run ends when a level gains less than this share of
// the mean distance, or after this many levels; at most this many cloud points pull; the mesh is
// placed around the cloud scaled by this margin.
constexpr double tolerance = 0.0015;
constexpr long pointsMaximum = 20000;
constexpr double seuilConvergence = 2e-3;
constexpr double gainMinimum = 0.02;
constexpr int niveauxMaximum = 30;
constexpr std::size_t echantillonMaximum = 60000;
constexpr double marge = 1.05;

} // namespace defauts

#endif
