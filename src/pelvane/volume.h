#ifndef TARNIS_PELVANE_VOLUME_H
#define TARNIS_PELVANE_VOLUME_H

#include "Frontiere.h"
#include "statut.h"

#include <cstddef>
#include <string>
#include <vector>

class Maillage;

namespace pelvane {

struct Parametres;
struct Bilan;

/// Reads the volume option at a[i] (--level X, --band BAS HAUT, --voxels), moving i past its
/// values. False when a[i] is none of them; otherwise true, with r the refusal of a bad value.
bool lireOptionVolume(const std::vector<std::string> &a, std::size_t &i, ReglagesFrontiere &reglages, Resultat &r);

/// The help lines of the volume options.
std::string aideVolume();

/// The boundary cloud of a volume into m (its points and kd-tree), as the settings say; one
/// progress line on prog says the level, the frame and the point count.
Resultat lireFrontiere(const std::string &chemin, const ReglagesFrontiere &reglages, Maillage &m,
                       BilanFrontiere &bilan, std::ostream &prog);

/// --labels all: one fit per label of the volume (ajuster on the region of that label, its outputs
/// named NOM.labelN.*), one after another (each fit takes every core), then the table
/// NOM.labels.txt: label, voxels, their volume, the surface's enclosed volume and area, cloud ->
/// surface and surface -> cloud mean and 95th percentile, crossing pairs, and the outcome. The
/// first failure, when a fit failed (the table is written all the same); refused when the file
/// is not a volume or not a label map.
Resultat ajusterChaqueLabel(const Parametres &p, std::ostream &prog);

/// The report lines about the volume ("" for a point cloud).
std::string rapportVolume(const Bilan &bilan);
/// The report's lines on the solid the surface of a volume's region bounds, in millimetres: its
/// volume and area (the area only where the frame is the millimetres' or the voxels are cubes),
/// beside the region's own volume (its voxels times a voxel's volume) and their ratio; "" for
/// a cloud.
std::string rapportSolideDuVolume(const Bilan &bilan);

} // namespace pelvane

#endif
