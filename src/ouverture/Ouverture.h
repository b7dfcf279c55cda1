#ifndef TARNIS_OUVERTURE_H
#define TARNIS_OUVERTURE_H

#include "Defauts.h"
#include "Progression.h"
#include "Resultat.h"
#include "point3.h"

#include <string>
#include <vector>

class Maillage;
class Simplex;

/// What a file holds, told by its suffix (the text after the last '.', compared as given:
/// "pts", "ply", "xyz", "asc", "csv", "txt", "pcd", "hdr", "img", "nii", "nii.gz", "nrrd", "nhdr", "mha",
/// "mhd", "mnc", "mgh", "mgz", "dcm", "sm", "smm", "off", "obj", "stl"); a folder, or a file starting with
/// the DICOM preamble, is a volume (a DICOM series). A PLY file is a cloud here; ouvrirMaillage also
/// reads it as a triangle mesh.
enum class GenreFichier {
    Nuage,     ///< point cloud: PTS, PLY (its vertices), XYZ/ASC/CSV/TXT text, PCD
    Volume,    ///< Analyze, NIfTI, NRRD, MetaImage, MINC, MGH or DICOM volume, thresholded into a cloud
    Simplex,   ///< simplex mesh: SMM (SM is written only, and refused with its reason)
    Triangles, ///< OFF, OBJ or STL triangle mesh (opens as the cloud of its surface too)
    Inconnu,
};

GenreFichier genreFichier(const std::string &nom);

/// What the file opens as in a new document: genreFichier, except that a PLY file whose header
/// announces faces or triangle strips is a triangle mesh (one without is a cloud). Only the
/// header is read; a file that cannot be read keeps its suffix's kind, and its reader says why.
GenreFichier genreOuverture(const std::string &nom);

/// A suffix the opener accepts (without its '.') and what it holds: the one list the dialogs
/// and the batch tools show.
struct SuffixeOuvert
{
    const char *suffixe;
    GenreFichier genre;
};
const std::vector<SuffixeOuvert> &suffixesOuverts();
/// The suffixes accepted where a cloud (nuages) or a mesh is asked, as ".pts, .hdr, ...".
std::string listeSuffixes(bool nuages);

/// Thresholds of the volume import: the voxel-value window [fenetreMin, fenetreMax] is spread
/// over grey levels 0..255 (values below it are 0, above it 255), and the voxels whose grey level
/// lies in [seuilMin, seuilMax], both ends included, are kept.
struct ReglagesVolume
{
    int seuilMin = defauts::seuilMin;
    int seuilMax = defauts::seuilMax;
    int fenetreMin = defauts::fenetreMin;
    int fenetreMax = defauts::fenetreMax;
};

/// Replaces the cloud of m by the one in the file (PTS, PLY, XYZ-like text, PCD, a volume
/// thresholded with reglages, or the surface of an OFF, OBJ, STL or PLY mesh: nuageDeSurface) and
/// rebuilds its kd-tree over exactly the cloud. For a volume, the thresholded
/// points are also left in pointsVolume when given; a volume of two values (a mask) that keeps
/// no point with those thresholds keeps the voxels of its higher value. A short PTS file keeps what it held and
/// returns Statut::NuageIllisible with the counts (the other cloud formats keep nothing of a
/// refused file; a PCD's points that are not finite are passed over and counted in
/// m.pointsNonFinis); a cloud accepterNuage refuses is refused; a volume that keeps no point is refused
/// with the thresholds used, the volume's value range and where to change them. On any other
/// failure, and when stopped, m holds no cloud.
/// Whether the cloud read from the file can be fitted: refused (Statut::NuageIllisible) when it
/// holds no point (with the count of those passed over as not finite, when all were), or a point
/// with a coordinate that is not finite (its rank named).
Resultat accepterNuage(const std::string &nom, const Maillage &m);

Resultat ouvrirNuage(const std::string &nom, Maillage &m, const ReglagesVolume &reglages = ReglagesVolume(),
                     const Progression &progression = {}, std::vector<point3> *pointsVolume = nullptr);

/// Smallest and largest voxel values of an Analyze volume (.hdr or .img), as the thresholding
/// takes them (signed 16-bit): the window that spreads the whole volume over grey levels 0..255.
Resultat plageVolume(const std::string &nom, int &minimum, int &maximum);

/// Reads a mesh file into s: an SMM file into the simplex mesh (a refused file leaves it as
/// it was), an OFF, OBJ, PLY or STL file into s.maillageOrigine and s.maillageTriangule. A triangle
/// file with no face is refused.
Resultat ouvrirMaillage(const std::string &nom, Simplex &s, const Progression &progression = {});

#endif
