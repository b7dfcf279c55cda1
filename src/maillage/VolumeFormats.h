#ifndef TARNIS_VOLUMEFORMATS_H
#define TARNIS_VOLUMEFORMATS_H

#include <string>

#include "Resultat.h"
#include "VolumeReel.h"

// The volume formats read beside NIfTI and Analyze: NRRD, MetaImage, MINC and DICOM through
// ITK's image IO (one translation unit, VolumeITK.cpp, holds every ITK include), MGH/MGZ by a
// reader of its own (ITK 5.2 as Debian ships it has no MGH module).
//
// Frame: every reader gives the index -> millimetre affine in the NIfTI reader's convention,
// RAS+ (x grows towards the subject's right, y anterior, z superior, as NIfTI's sform reads
// them): ITK holds its images in LPS+ (DICOM's patient frame), so its first two axes are negated;
// an MGH file's vox2ras is RAS+ already. The surface of the same volume saved in any of these
// formats lands on the same millimetres.

/// True for a name ITK reads here: ".nrrd", ".nhdr", ".mha", ".mhd", ".mnc", ".dcm", a folder
/// (taken as holding a DICOM series), or a file starting with the DICOM preamble.
bool estVolumeITK(const std::string &nom);

/// Reads a volume through ITK's IO factories (NRRD, MetaImage, MINC, DICOM). A DICOM file is
/// read with the other files of its series in its folder, a folder as its series (the first one
/// when it holds several, said in VolumeReel::remarque), the slices sorted along their normal and
/// checked: orientation vectors of unit length and square to each other, slices evenly spaced.
/// indice picks the volume of a 4-D file (0 the first; -1 the first, said in remarque when there
/// are others). Failures: Statut::NuageIllisible, the reason naming the file and what is wrong.
Resultat lireVolumeITK(const std::string &nom, VolumeReel &volume, int indice = -1);

/// Writes the volume (frame included) as NRRD, MetaImage or MINC by the name's suffix, or as a
/// DICOM series of 16-bit slices (values rounded) into the folder nom when it has no suffix.
Resultat ecrireVolumeITK(const VolumeReel &volume, const std::string &nom);

/// True for ".mgh" and ".mgz".
bool estVolumeMGH(const std::string &nom);

/// Reads an MGH volume (".mgh", or ".mgz" compressed): big-endian header, voxels of 8-bit,
/// 16-bit, 32-bit integers or 32-bit reals, frame from its vox2ras (its direction cosines, voxel
/// sizes and centre) when the header says it is good, voxel sizes otherwise. indice as
/// lireVolumeITK.
Resultat lireMGH(const std::string &nom, VolumeReel &volume, int indice = -1);

/// The reason a volume file of a kind known but not read here is refused (PAR/REC, AFNI,
/// ECAT), naming what it is and how to convert it; Aucune for any other name.
Raison formatNonLu(const std::string &nom);

#endif
