#ifndef TARNIS_VOLUMENIFTI_H
#define TARNIS_VOLUMENIFTI_H

#include <cstddef>
#include <string>

#include "Progression.h"
#include "Resultat.h"
#include "VolumeReel.h"

/// NIfTI-1 and NIfTI-2 volumes (".nii", ".nii.gz" and ".hdr"/".img" pairs carrying the NIfTI
/// magic), in either byte order. The header is interpreted by the NIfTI reference library
/// (libnifti2: data types, scaling, qform and sform); the bytes are read here, so that a bad
/// file is refused with its reason and the library never allocates from an unchecked header.
///
/// The voxels become real values: 8, 16 and 32-bit integers (signed or not) and 32 or 64-bit
/// reals, then scl_slope * v + scl_inter when the slope is not 0. A file of several volumes
/// gives its first one, and says so in VolumeReel::remarque. The frame is the sform when its
/// code is set, else the qform, else the voxel sizes, converted to millimetres (metres and
/// microns are scaled; no unit is taken as millimetres).

/// True when the file starts with a NIfTI-1 or NIfTI-2 header (sizes and magic), in either
/// byte order; false for an Analyze header or a file that cannot be read.
bool enteteNifti(const std::string &nomEntete);

/// Reads a NIfTI volume from its file (".nii", ".nii.gz", or either file of a pair). Failures:
/// Statut::NuageIllisible, the reason naming the file and what is wrong (a header that is not
/// NIfTI, an impossible size, a data type not taken, a file cut short, compressed data that
/// cannot be decompressed). indice picks the volume of a 4-D file (0 the first); -1 reads the
/// first and says so in VolumeReel::remarque when there are others.
Resultat lireNifti(const std::string &nom, VolumeReel &volume, int indice = -1);

/// Same over the bytes of a single-file volume (".nii" layout, uncompressed) held in memory;
/// nom names it in the reasons.
Resultat lireNiftiOctets(const unsigned char *octets, std::size_t taille, const std::string &nom,
                         VolumeReel &volume);

class VolumeAnalyze;

/// Reads a volume file for the thresholding into a cloud: an Analyze pair through its own
/// reader, any other volume (lireVolumeReel) converted to the 16-bit voxels that thresholding
/// takes (rounded and clamped to the signed 16-bit range). The Analyze reading reports to
/// progression and stops when asked.
Resultat lireVolumeSeuillable(const std::string &nom, VolumeAnalyze &volume, const Progression &progression = {});

#endif
