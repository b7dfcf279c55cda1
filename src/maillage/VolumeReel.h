#ifndef TARNIS_VOLUMEREEL_H
#define TARNIS_VOLUMEREEL_H

#include <cstddef>
#include <string>
#include <vector>

#include "Resultat.h"
#include "point3.h"

/// A volume of real values with its geometry, for the boundary of a region: voxel (i, j, k)
/// at i + nx * (j + ny * k). The frame maps voxel indices to world millimetres:
/// (x, y, z) = repere * (i, j, k, 1). Read from NIfTI (its sform, else its qform, else its
/// voxel sizes) or from Analyze (its voxel sizes, origin at voxel 0).
class VolumeReel
{
public:
    int nx = 0, ny = 0, nz = 0;
    std::vector<float> valeurs; ///< in the volume's own values (NIfTI scaling applied)
    double repere[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
    /// The millimetre frame and where it comes from: RepereSform, RepereQform or RepereTaillesVoxels.
    Raison origineRepere = CodeRaison::RepereTaillesVoxels;
    /// What was left out or assumed (a 4-D file's other volumes); Aucune when nothing.
    Raison remarque;

    float valeur(int i, int j, int k) const
    {
        return valeurs[static_cast<std::size_t>(i) +
                       static_cast<std::size_t>(nx) * (static_cast<std::size_t>(j) + static_cast<std::size_t>(ny) * k)];
    }
    /// World position (mm) of a point given in voxel indices (sub-voxel allowed).
    point3 versMonde(double i, double j, double k) const;
    /// Length in mm of one step along voxel axis a (0, 1, 2).
    double tailleVoxel(int a) const;
    /// Sets the frame to voxel sizes only: x = i * dx, y = j * dy, z = k * dz.
    void reperePixdim(double dx, double dy, double dz);
};

/// Reads a volume by its suffix: ".nii", ".nii.gz", or an ".hdr"/".img" pair (NIfTI when its
/// header carries the NIfTI magic, Analyze 7.5 otherwise); ".mgh", ".mgz"; NRRD, MetaImage, MINC
/// and DICOM (a folder, or a file of a series) through ITK (VolumeFormats.h). Analyze voxels keep
/// their stored values (8 and 16-bit as stored, signed or not by the data type; 32-bit and real
/// types read as real values). indice picks the volume of a 4-D file (0 the first; -1 the first,
/// said in remarque when there are others). Failures: Statut::NuageIllisible with a reason naming
/// the file; a kind known but not read (PAR/REC, AFNI, ECAT) is named with how to convert it.
Resultat lireVolumeReel(const std::string &nom, VolumeReel &volume, int indice = -1);

/// True for the names a volume is read from: ".nii", ".nii.gz", ".hdr", ".img", ".mgh", ".mgz",
/// ".nrrd", ".nhdr", ".mha", ".mhd", ".mnc", ".dcm", a folder or a file with the DICOM preamble.
bool estNomDeVolume(const std::string &nom);

/// The file of a pair: base + suffixe (".hdr", ".img"), or the same in capitals (".HDR") when
/// only that one exists.
std::string nomDePaire(const std::string &base, const std::string &suffixe);

/// The name without its volume suffix (".nii.gz", ".nii", ".hdr", ".img", ".nrrd", ...); the name itself otherwise.
std::string sansSuffixeVolume(const std::string &nom);

#endif
