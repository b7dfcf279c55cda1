#ifndef TARNIS_AJUSTEMENT_TABLEAJUSTEMENT_H
#define TARNIS_AJUSTEMENT_TABLEAJUSTEMENT_H

/// The tuning values of the fit (Ajustement.cpp), in the order of its stages. Each says its unit
/// and what it decides, and, where a measurement chose it, which. The fit works in a frame of its
/// own: the cloud centred, its bounding-box diagonal 1, so that "diagonal" below is that unit.
/// The settings a user gives (ReglagesAjustement, from moteur/Defauts.h) are not here: these are
/// the values those settings are read against.
/// The measurements name the shapes of bench/ajustement_formes.sh and bench/ajustement_scans.sh.

#include <cstddef>

// ---- Deformation steps -----------------------------------------------------------------------

/// The external weight (ReglagesAjustement::externe) at which a step moves each point half way to
/// its data target (PAS_VERS_LES_DONNEES); twice it or more, all the way (FORCE_MAXIMUM).
constexpr double EXTERNE_DE_REFERENCE = 0.05;
constexpr double PAS_VERS_LES_DONNEES = 0.5; ///< share of the way to the data target, per step
constexpr double FORCE_MAXIMUM = 2.0;        ///< the external weight counts up to this many references
/// Share of the way to the neighbours' mean, along the surface, a point moves per step: spreads
/// the points evenly.
constexpr double GLISSEMENT = 0.6;
/// Share of the way to the neighbours' mean, across the surface, per step (smoothing): strong on
/// the coarse levels (fewer than POINTS_D_UN_MAILLAGE_GROSSIER points), lighter on the middle ones,
/// light once refined locally. Scaled by internal weight × rigidity / RIGIDITE_DE_REFERENCE (the
/// settings' own meaning: rigidity 2 is the reference), and never past LISSAGE_MAXIMUM.
constexpr double LISSAGE_GROSSIER = 0.3;
constexpr double LISSAGE_MOYEN = 0.15;
constexpr double LISSAGE_LOCAL = 0.05;
constexpr std::size_t POINTS_D_UN_MAILLAGE_GROSSIER = 1000;
constexpr double RIGIDITE_DE_REFERENCE = 2.0;
constexpr double LISSAGE_MAXIMUM = 0.9;
/// A point over a gap (drawn by no cloud point, the nearest one farther than LIBRE_EN_TOLERANCES
/// tolerances and to its side) moves across the surface by this share of the way, under its
/// curvature alone.
constexpr double COURBURE_SUR_UN_VIDE = 0.5;
constexpr double LIBRE_EN_TOLERANCES = 4.0;
/// "To its side": the nearest cloud point lies less than this share of its distance ahead or behind.
constexpr double COTE_DU_VIDE = 0.5;

// ---- A level ---------------------------------------------------------------------------------

/// A level runs at least the settings' steps (ReglagesAjustement::iterations) and at most this
/// many times them.
constexpr int PAS_MAXIMUM_EN_MINIMUMS = 4;
/// A level is still once the mean move is below the convergence share of the spacing, unless a
/// point still moves by more than this many times that share (a part drawn in late, as a neck);
/// then a level's worth of steps more at most.
constexpr double MOUVEMENT_ISOLE = 100;
/// Handles over holes are looked for every so many steps while the sheets close in: once met,
/// they pass through each other and no tube fits between them.
constexpr int PAS_ENTRE_ANSES = 10;
/// Handles a fit opens at most.
constexpr int ANSES_MAXIMUM = 8;
/// Webs cut out at most.
constexpr int COUPES_MAXIMUM = 6;

// ---- Refinement between levels ---------------------------------------------------------------

/// The local refinement ends once this percentile of the sample points lies within the tolerance
/// of the surface, and every one within REPRISE_DE_TOLERANCE tolerances.
constexpr std::size_t CENTILE_DE_TOLERANCE = 95;
constexpr double REPRISE_DE_TOLERANCE = 2.0;
/// At most this share of the points is split per level, so that the level after can settle them.
constexpr std::size_t PART_SCINDEE_INVERSE = 3; ///< one point in this many
/// Cells of more than this many points are cut in two (T22) after the splits.
constexpr std::size_t MAILLE_ENCOMBREE = 7;
/// After a local refinement, the points are spread along the surface this many rounds, each a
/// move of this share of the way to the mean of their cells' middles, across their normal only. A
/// split leaves three points in a small triangle, twice as close as before; splits side by side
/// leave them closer still, and the steps of a level, pulled by the data, do not spread them:
/// the cells round them fold, and the written surface crosses itself. On a generated ellipsoid
/// (30,000 points), the triangle pairs that cross went from 789 to 6, on the pebble sample from
/// 1,481 to 121, on the bunny from 12,488 to 4,224, the distances to the cloud within the tolerance.
constexpr int TOURS_DE_DETENTE = 30;
constexpr double PART_DE_DETENTE = 0.5;

// ---- Topology: webs, handles ------------------------------------------------------------------

/// The surface lies over no data when farther from the cloud than this many tolerances and than
/// ESPACEMENTS_LOINTAINS spacings of its own points (the surface between the points of a sparse
/// cloud is that far from them).
constexpr double TOLERANCES_LOINTAINES = 4.0;
constexpr double ESPACEMENTS_LOINTAINS = 1.5;
/// Sheets of the surface face to face, with nothing of the cloud between them, closer than this
/// share of the diagonal: a web, cut out.
constexpr double EPAISSEUR_VOILE = 0.04;
/// Up to this share apart, sheets are cut on trial (Ajusteur::couperVoiles). A sheet can sink
/// into the solid under a blind hole's floor, pulled by the floor's points while it rises from
/// below on the coarse levels, and stay there as a pit with nothing of the cloud round it (on a
/// generated block of 40,000 points, 0.12 finds it; of 20,000 points, 0.16 does not, 0.2 does).
constexpr double EPAISSEUR_VOILE_LARGE = 0.2;
/// A wide cut is tried when it takes more than this many times the points of the web cut.
constexpr double FACTEUR_VOILE_LARGE = 1.5;
/// A trial cut stays when, a level later, the surface lies closer to the cloud (the mean distance
/// from points spread over it falls by this share at least)...
constexpr double GAIN_VOILE_LARGE = 0.03;
/// ... and has left no point of the cloud much farther from it (the largest distance from the
/// cloud to the surface grows by this share at most). Measured a level after the cut: over the
/// pits of blind blocks and the webs of a statue, the first fell by 5 to 22 %, the second moved
/// by -9 to +11 %; where the cut left data behind (two brain volumes, a cow), the second grew by
/// 25 to 110 %.
constexpr double RECUL_VOILE_LARGE = 0.2;
/// A cut takes at most this share of the points.
constexpr double PART_COUPEE_MAXIMUM = 0.125;
/// Points spread over the surface to measure it against the cloud, about.
constexpr std::size_t ECHANTILLONS_VOILE = 100000;
/// Sheets over a hole, up to this share of the diagonal apart, get a handle between them.
constexpr double ECART_DES_ANSES = 0.1;
/// A cell's middle lies over a narrow hole when as far off the cloud as a point of a web, or
/// this share of that (the two are counted).
constexpr double PART_DU_BOUCHON = 0.5;
/// The cloud's spacing (median distance from a point to its nearest other) is measured on this
/// many points, with this many neighbours asked.
constexpr std::size_t ECHANTILLON_ESPACEMENT = 4000;
constexpr int VOISINS_ESPACEMENT = 2;

// ---- Noise ------------------------------------------------------------------------------------

/// The noise of a cloud: measured round so many of its points; smoothed over so many
/// neighbours, so many times (measured on the noisy bunny: 48 and 3 put the points at 0.065 %
/// of the diagonal from the true surface, from 0.199 %; 32 nearest unweighted, 0.070 %).
constexpr std::size_t ECHANTILLON_BRUIT = 3000;
constexpr int VOISINS_DU_BRUIT = 48;
constexpr int PASSES_DU_BRUIT = 3;

// ---- The last settling and unfolding ------------------------------------------------------------

/// Cloud points farther than this many tolerances from the surface pull less in the settling.
constexpr double PORTEE_DU_REPOS = 2.0;
/// A part of the cloud farther than this from the settled surface (a share of the diagonal)
/// is reached by rounds more of the last settling, at most so many (one open view of the bunny:
/// its grazing edges, missed by up to 3 %, are all within 1 % after 4 rounds).
constexpr double PARTIE_LOINTAINE = 0.01;
constexpr int TOURS_LOINTAINS = 20;
/// The folds of the written surface: rounds of each undoing (see deplisser), and the settlings
/// between.
constexpr int TOURS_DE_PLIS = 5;
constexpr int REPRISES_DES_PLIS = 2;

// ---- Progress ---------------------------------------------------------------------------------

/// Each level takes this share of what is left of the levels' part of the work; the last settling
/// and unfolding take what the levels leave. On the bundled pebble's 6 levels: 38, 61, 75, 83, 88,
/// 91, then 100 %.
constexpr double PART_PAR_NIVEAU = 0.4;
constexpr double PART_DES_NIVEAUX = 0.95;

#endif
