#ifndef TARNIS_AJUSTEMENT_TABLEAJUSTEMENT_H
#define TARNIS_AJUSTEMENT_TABLEAJUSTEMENT_H

/// The tuning values of the fit (Ajustement.cpp, in the order of its stages, then the pieces it
/// calls: the changes of topology, webs, clusters, the settling, folds, the stray points and the
/// noise). Each says its unit and what it decides, and, where a measurement chose it, which. The fit works in a frame of its
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

// ---- Changes of topology: the tube of a handle (Chirurgie.cpp) ------------------------------

/// Shares of the way from the middle of the tube to the rims' centre its waist is drawn in, tried
/// in turn: a waist drawn in a quarter of the way clears a wall that bulges between the rims; on
/// rims askew to each other it may fold the tube onto itself, and a straighter one is tried.
constexpr double RETRAITS_DE_LA_TAILLE[] = {0.25, 0.1, 0};
/// A straight tube through a hole keeps this share of the hole's radius from its line: clear of
/// the wall, which the fit then draws it onto.
constexpr double TUBE_DANS_LE_TROU = 0.8;
/// Each ring of a straight tube lies this many radii of the hole past the farthest vertex of its
/// rim towards the other: the collars then lie behind the rings, the tube between them.
constexpr double AVANCE_DE_L_ANNEAU = 0.25;
/// Round the line, each vertex of such a ring turns with its rim vertex, but never back: it takes
/// the farthest turn of the rim so far, and this share of a turn in proportion to the rim's
/// length up to it, which keeps vertices apart where the rim doubles back.
constexpr double PART_DE_LA_LONGUEUR = 0.1;
/// The rims a straight tube is joined to lie on the hole's wall: within this many radii of its line.
constexpr double BORD_DU_TROU = 2.5;
/// The largest tube sought between two rims of m and n vertices, as m n^2 (the work of trying every
/// pairing of their starts): beyond, no handle is opened there.
constexpr std::size_t TUBE_TRAVAIL_MAXIMUM = 30000000;
/// Sheets over a hole with fewer points of a web than this get no handle.
constexpr long POINTS_D_ANSE_MINIMUM = 4;

// ---- Changes of topology: whether the cloud rings a hole (Chirurgie.cpp) ------------------------

/// Links between the cloud's points round a hole, in spacings of the cloud (median distance
/// between neighbours): long enough that an evenly sampled wall is one linked piece, short enough
/// that the cut of a C-shaped ring four spacings wide breaks the links round it.
constexpr double ECART_DANS_UN_ANNEAU = 3;
/// How far above and below the middle of a hole its ring is looked for, and data over the middle
/// tells a hollow, in radii of the hole. The floor of a hollow or a blind hole lies within it;
/// one and a half, not two: through a hole of a statue, its arm passes 1.9 radii beyond the
/// middle, across the line, and hid the hole.
constexpr double HAUTEUR_AUTOUR = 1.5;
/// The ring is looked for within this many radii of the hole's middle.
constexpr double RAYONS_AUTOUR = 4;
/// Data within this share of the radius of the line, above or below the middle, is a hollow's
/// floor or the inside of a solid: no hole.
constexpr double MILIEU_LIBRE = 0.5;
/// The nearest point of the cloud lies round the line, not along it: less than this share of its
/// distance along the line (else a wall faces the middle: a slot between two faces, a floor).
constexpr double PLUS_PROCHE_EN_LONG = 0.5;
/// Fewer points of the cloud round a hole than this ring nothing.
constexpr std::size_t POINTS_AUTOUR_MINIMUM = 16;
/// The most points of the cloud round a hole its ring is walked through.
constexpr std::size_t POINTS_AUTOUR_MAXIMUM = 100000;
/// The widest cut of a ring a handle is opened across (to be cut again there), in radians. Two
/// limbs side by side (legs under a torso) leave 2 atan(1/4) = 0.49 of the turn open round the
/// line between them, whatever their size (the ring is looked for within four times the gap's
/// half-width); the C-shaped rings measured, 0.05 to 0.1. A cloud missing more of the turn is no
/// cut ring but limbs or an arc, or a ring that closes farther out than it is looked for.
constexpr double FENTE_MAXIMALE = 0.25;
/// Across such a cut, the surface within this many mean edges each side of the cut's middle goes
/// (or half the cut, when wider), out from this share of the hole's radius from the line.
constexpr double CELLULES_DE_LA_FENTE = 1.5;
constexpr double DEHORS_DE_LA_FENTE = 0.5;

// ---- Changes of topology: narrow holes (Chirurgie.cpp) ------------------------------------------

/// Between the two sheets over a hole, the surface within this many radii of its line goes, the
/// hole's wall with it: the sheets' rims on the wall are then about as far apart as the sheets.
constexpr double PAROI_DU_TROU = 1.3;
/// The most pairs of sheets clear of the cloud between them a search for narrow holes looks at
/// further (each costs a pass over the surface), the nearest first.
constexpr int PAIRES_ESSAYEES = 16;
/// Two pieces of cells off the cloud lie each behind the other when the segment between their
/// middles leaves each within 60 degrees of its inward normal (this cosine).
constexpr double DERRIERE_L_AUTRE = 0.5;
/// That segment is checked clear of the cloud at steps of this share of `loin`.
constexpr double PAS_ENTRE_LES_PIECES = 0.25;
/// The line through a hole: looked for among this many directions spread over the cap within 60
/// degrees of the first guess (the cap's height, 1 - cos 60 degrees, is CALOTTE_DE_L_AXE), followed
/// at steps of PAS_LE_LONG_DU_TROU radii and clear while farther than LIBRE_EN_RAYONS radii from
/// the cloud.
constexpr int DIRECTIONS_DE_L_AXE = 400;
constexpr double CALOTTE_DE_L_AXE = 0.5;
constexpr double PAS_LE_LONG_DU_TROU = 0.25;
constexpr double LIBRE_EN_RAYONS = 0.5;
/// Its point: the farthest from the cloud of so many steps along the segment between the pieces,
/// then moved across the line towards the middle of the hole, by steps of PAS_VERS_LE_MILIEU radii
/// halved down to PAS_MINIMAL_VERS_LE_MILIEU; it is sought up to PORTEE_DU_SEGMENT times the
/// segment's length.
constexpr int ECHANTILLONS_DU_SEGMENT = 16;
constexpr double PAS_VERS_LE_MILIEU = 0.25;
constexpr double PAS_MINIMAL_VERS_LE_MILIEU = 0.01;
constexpr double PORTEE_DU_SEGMENT = 4;
/// Sheets that met inside a narrow hole lie this far from the cloud at their middle, in `loin`,
/// at least: a void wider than the gaps of a sparse sampling (on a chess knight of 500 points, the
/// sheets of its thin parts cross in such gaps, 0.44 to 0.66 `loin` from its points; the sheets
/// in a hole of the statue of genus 4, 0.83).
constexpr double VIDE_DES_FEUILLETS = 0.75;
/// Such sheets face each other when their outward normals are opposite within this cosine.
constexpr double OPPOSITION_DES_FEUILLETS = 0.7;
/// How far a line through such a hole is followed, and how far it is sought clear, in radii.
constexpr double PORTEE_DU_TROU = 20;
constexpr double PORTEE_DE_L_AXE = 8;
/// Out in the open: this many radii from the cloud.
constexpr double EN_PLEIN_AIR = 2;
/// The cells of such sheets taken out lie within this share of the hole's radius of its line,
/// within two radii along it.
constexpr double FEUILLETS_DANS_LE_TROU = 0.85;
constexpr double FEUILLETS_LE_LONG = 2;

// ---- Webs (Voiles.cpp) -------------------------------------------------------------------------

/// A part a web's region would cut off from the rest and that holds at least this many of the
/// points the cloud draws is data, not the inside of a web: the region round it is not cut.
constexpr std::size_t PART_TIREE = 3;

// ---- Clusters of the cloud (Parties.cpp) -----------------------------------------------------

/// Share of the cloud below which a cluster is not a part of its own.
constexpr double PART_MINIMALE = 0.05;
/// A cloud of fewer points is one part.
constexpr std::size_t POINTS_MINIMUM_DES_PARTIES = 40;
/// The grid the clusters are joined through: cells of this many spacings a side, the spacing the
/// median distance to the VOISIN_DES_PARTIES-th nearest (the point itself first), over at most
/// ECHANTILLON_DES_PARTIES points.
constexpr double ESPACEMENTS_DES_PARTIES = 4;
constexpr int VOISIN_DES_PARTIES = 3;
constexpr std::size_t ECHANTILLON_DES_PARTIES = 4000;

// ---- The settling (Reposer.cpp) ----------------------------------------------------------------

/// A cloud point far off the surface is of a far part when at least two of its this many nearest
/// points are off the surface by more than PARTIE_SERREE of the far distance and closer to it than
/// that share of its own distance to the surface.
constexpr int VOISINS_DES_PARTIES_LOINTAINES = 8;
constexpr double PARTIE_SERREE = 0.5;
/// Conjugate-gradient iterations of a round, and of a round that reaches far parts; a round's
/// solve ends sooner once the squared residual falls by this share.
constexpr int ITERATIONS_DU_REPOS = 30;
constexpr int ITERATIONS_DU_REPOS_LOINTAIN = 50;
constexpr double RESIDU_DU_REPOS = 1e-6;
/// A point moves by at most its mean distance to its neighbours over this in a round (a whole one
/// in the rounds that reach far parts).
constexpr int FRACTION_DU_PAS_DU_REPOS = 2;

// ---- Folds (Plis.cpp) --------------------------------------------------------------------------

/// A point of a fold moves half the way to its neighbours' mean, else a quarter, and so on while
/// the share stays above this.
constexpr double PART_DE_DEPLI_MINIMALE = 0.1;
/// Untangling (see demeler): the points of the cells of the crossing triangles, and this many
/// rings of points round them, one more every so many tries, are smoothed (each halfway to its
/// neighbours' mean) so many passes a try, at most so many tries. Then the points go back to where
/// the fit put them in so many rounds at most.
constexpr int RAYON_DU_DEMELAGE = 0;
constexpr int ESSAIS_PAR_ANNEAU = 4;
constexpr int LISSAGES_PAR_ESSAI = 2;
constexpr int ESSAIS_DU_DEMELAGE = 100;
/// A point held goes back half as far the next round, while the share stays above this.
constexpr double PART_DE_RETOUR_MINIMALE = 1.0 / 64;
/// Settlings of the zone on the data after it, under the guard.
constexpr int REPRISES_DU_DEMELAGE = 2;
constexpr int RETOURS_DU_DEMELAGE = 12;

// ---- Stray points (PointsIsoles.cpp) ------------------------------------------------------------

/// Neighbour whose distance measures the local density of a cloud round each of its points, in
/// neighbours (the point itself not counted). Not measured.
constexpr int VOISIN_DE_DENSITE = 8;
/// A cloud of at most this many points has no stray: too few for a median density. Not measured.
constexpr std::size_t POINTS_MINIMUM_DES_ISOLES = 2 * VOISIN_DE_DENSITE;
/// A point is far from its neighbours when that neighbour lies farther than this many times the
/// cloud's median of the same distance. On a scanned surface the distance varies little from
/// point to point: within twice the median on the bunny, the armadillo or a noisy scan.
constexpr double FACTEUR_ISOLEMENT = 5.0;
/// The median is taken over at most about this many points, evenly spread through the cloud, in
/// points. A cost bound, not measured.
constexpr std::size_t ECHANTILLON_DENSITE = 1 << 16;
/// Points each side of a point in the tree's slot order (which runs through space) counted within
/// the threshold before its neighbours are searched for: enough of them settle that it is not far
/// from them. A shortcut with the same answer as the search; not measured.
constexpr std::size_t VOISINAGE_DANS_L_ARBRE = 16;

/// A point far from its neighbours belongs to a sparse part when at least this many of them are
/// held (not far from theirs, or of a sparse part themselves) and its own distance is within
/// EPARSE_EN_VOISINS times theirs; found in rounds, at most TOURS_DES_PARTIES_EPARSES. Measured
/// (bench/jugements.sh): a box of 500 points beside a sphere of 20,000 lost 54 of them to the
/// surface rule alone, none now (4 to 8 held neighbours alike; in one round, 9 left, from its
/// corners); the bunny with 3 % of strays sets aside the same 746; a sphere with 600 strays in its
/// box 289 where 300 (11 of the dust inside it, reached from strays near its surface, are held).
constexpr int VOISINS_EPARS_TENUS = 4;
constexpr double EPARSE_EN_VOISINS = 2.0;
constexpr int TOURS_DES_PARTIES_EPARSES = 8;
/// A point far from its neighbours is on a mesh's vertices, never a stray, when at least half of
/// its this many nearest distinct places are each held by several points (a mesh's vertices come
/// once for each cell they bound), and it has at least PLACES_REPETEES_MINIMUM of them. Chosen on
/// the vertices of a chair (2,382 points); not measured further.
constexpr int PLACES_REPETEES = 8;
constexpr int PLACES_REPETEES_MINIMUM = 4;
/// Distinct places round a point far from its neighbours that tell whether it lies on the surface
/// they describe, in places; fewer than PLACES_DU_SUPPORT_MINIMUM span no plane.
constexpr int VOISINS_DU_SUPPORT = 24;
constexpr int PLACES_DU_SUPPORT_MINIMUM = 3;
/// They describe a surface (or a line) when their variance across it is at most this share of
/// their variance along their longest axis...
constexpr double PLATITUDE_DU_SUPPORT = 0.08;
/// ...and the point lies on it when it is no farther from their plane than this many times their
/// deviation along that axis...
constexpr double HAUTEUR_DU_SUPPORT = 0.3;
/// ...and its nearest such place lies within this share of that variance (squared distance). The
/// three together: on the vertices of the chair, 519 of the 530 points far from their neighbours
/// lie on the surface of the others; of the 746 of the 1,079 strays added to the bunny that are
/// far from theirs, none.
constexpr double PROCHE_DU_SUPPORT = 0.1;

/// A lone point past a sheet's edge is taken within this many times the median distance to the
/// VOISIN_DE_DENSITE-th neighbour of the dense point it carries on (the bunny's single view: its
/// lone points lie 6 to 12 such distances out).
constexpr double PORTEE_BORD = 14.0;
/// And only while the points far from the surface are at most this share of the cloud: a scan
/// where they are many is dusty, and dust passes the rule as often as the scan's own points do
/// (the single view of the bunny: 0.04 %; with 20 strays added, 0.08 %, the same 7 taken and none
/// of the strays; with 60 or more strays, 38 would be taken).
constexpr double PART_ISOLES_BORD = 0.001;
/// The dense point it carries on: the nearest whose VOISIN_DE_DENSITE-th neighbour lies within
/// this many times the median distance to it. Not measured.
constexpr double DENSE_EN_MEDIANES = 2;
/// The sheet there: the plane of the dense point's this many nearest, in neighbours; its edge,
/// where their centre lies, in that plane, more than BORD_DU_PLAN of their mean distance from the
/// dense point. Chosen on the single view of the bunny (7 of its 15 isolated points taken, the
/// farthest among them); not measured further.
constexpr int VOISINS_DU_BORD = 24;
constexpr double BORD_DU_PLAN = 0.3;
/// The lone point lies within this angle of the sheet's plane, in degrees. Not measured.
constexpr double ANGLE_DU_BORD = 20.0;

// ---- Noise (Bruit.cpp) --------------------------------------------------------------------------

/// The noise of a cloud: measured round so many of its points; smoothed over so many
/// neighbours, so many times (measured on the noisy bunny: 48 and 3 put the points at 0.065 %
/// of the diagonal from the true surface, from 0.199 %; 32 nearest unweighted, 0.070 %).
constexpr std::size_t ECHANTILLON_BRUIT = 3000;
constexpr int VOISINS_DU_BRUIT = 48;
constexpr int PASSES_DU_BRUIT = 3;
/// The quadrics round a point its noise is read from: over its this many nearest (the point
/// itself first) and over the first VOISINS_ETROITS_DU_BRUIT of them; the residual counted in
/// distances to the ESPACEMENT_DU_BRUIT-th nearest (its 7th neighbour). A cloud of fewer than
/// VOISINS_LARGES_DU_BRUIT points is not measured. Not measured beyond the thresholds below.
constexpr int VOISINS_LARGES_DU_BRUIT = 64;
constexpr int VOISINS_ETROITS_DU_BRUIT = 24;
constexpr int ESPACEMENT_DU_BRUIT = 8;
/// Noise enough to be smoothed out: the median residual at least RESIDU_BRUITE spacings and the
/// median ratio of the narrow residual to the wide one at least RAPPORT_BRUITE. Measured on the
/// shared clouds: clean ones give a ratio of 0.26-0.59 (coarse meshes' vertices included), but a
/// fine single scan 0.69 with a residual of 0.06 (its own scanner noise, which the fit's settling
/// already absorbs: smoothing a noise of 0.05 % of the diagonal made the bunny's fit worse); the
/// bunny with a noise of 0.1 to 1 % of its diagonal 0.75-0.92 with a residual of 0.16-0.70.
constexpr double RESIDU_BRUITE = 0.12;
constexpr double RAPPORT_BRUITE = 0.7;
/// A point is in the middle of its layer when within this many residuals of its quadric: a
/// normal law puts 20 % of a noisy layer's points within a quarter of its deviation.
constexpr double MILIEU_EN_RESIDUS = 0.25;
/// The least share of a noisy layer's points in its middle (the faces of a plate thinner than the
/// neighbourhood give the same residual and ratio as noise). Measured: a plate 2 x 1.4 x 0.03
/// (20,000 points on its faces) 0.06, a shell (two spheres 2 % of their radius apart) 0; the
/// bunny and a sphere with a noise of 0.25 % of their diagonal 0.20.
constexpr double MILIEU_D_UNE_COUCHE = 0.1;
/// The smoothing: never fewer neighbours than this (a quadric has six coefficients), and their
/// weights a Gaussian of their distance over this share of the farthest one's. Not measured.
constexpr int VOISINS_MINIMUM_DU_LISSAGE = 7;
constexpr double PORTEE_DES_POIDS = 0.5;

/// Numerical safeguards of the judgements' small solvers, not tuning: the most Jacobi sweeps for
/// the axes of a 3 x 3 matrix, and the off-diagonal share (squared) below which it is diagonal;
/// the least pivot, as a share of the diagonal term, of the Cholesky solve of a quadric.
constexpr int BALAYAGES_DE_JACOBI = 32;
constexpr double DIAGONALE_DE_JACOBI = 1e-30;
constexpr double PIVOT_DE_CHOLESKY = 1e-12;

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
