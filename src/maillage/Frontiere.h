#ifndef TARNIS_FRONTIERE_H
#define TARNIS_FRONTIERE_H

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "Resultat.h"
#include "VolumeReel.h"
#include "point3.h"

/// The region of a volume: the voxels whose value v satisfies bas <= v <= haut (haut infinite
/// for the region above a level), or, when labels is not empty, whose value is one of them. A
/// value that is not a number lies outside.
struct Region
{
    Region() = default;
    Region(double b, double h = std::numeric_limits<double>::infinity()) : bas(b), haut(h) {}
    double bas = 0;
    double haut = std::numeric_limits<double>::infinity();
    std::vector<double> labels; ///< sorted; the region is these values when not empty
    /// The boundary between a voxel in and one out lies halfway between their centres (label
    /// maps: their values are names, not intensities to interpolate).
    bool milieu = false;
    bool contient(double v) const
    {
        if (!labels.empty())
            return std::binary_search(labels.begin(), labels.end(), v);
        return v >= bas && v <= haut;
    }
};

/// A label map: finite integer values, at least three distinct ones and at most maxLabels, most
/// voxels off the background (the commonest value) sharing their value with four of their six
/// face neighbours at least (regions of one value, where a scan's values change from voxel to
/// voxel). labels
/// receives the distinct values but the background, sorted, and fond the background, when given.
bool estCarteDeLabels(const VolumeReel &volume, std::vector<double> *labels = nullptr, double *fond = nullptr);
constexpr std::size_t maxLabels = 10000;

/// Otsu's level of the volume's finite values: the value that splits their histogram into two
/// classes of largest between-class variance. Integer values spanning at most 65536 get one bin
/// each and a level halfway between two of them; other values 1024 bins and a level on a bin's
/// edge; when several thresholds split alike (empty bins between the classes), the middle one.
/// False when the volume has fewer than two distinct finite values.
bool niveauOtsu(const VolumeReel &volume, double &niveau);

/// The boundary points of the region: between two face-neighbour voxels, one in the region and
/// the other out, where the values interpolated linearly between their centres cross bas or haut,
/// as iso-surface extraction places its vertices (halfway with Region::milieu). Two voxels both
/// out give none, even on either side of a band. Outside the volume counts as out of the
/// region: a region voxel on the border gives a point on its outer face, half a voxel beyond its
/// centre, so the boundary is closed. In voxel indices, or in world millimetres (the volume's
/// frame) when millimetres is set. The points are counted first and placed where the count puts
/// them, on `fils` threads (0: every core): the list is the same on any number of threads.
std::vector<point3> pointsFrontiere(const VolumeReel &volume, const Region &region, bool millimetres, int fils = 0);

/// How many points pointsFrontiere would give, without placing them (memory of a few counts).
std::size_t compterPointsFrontiere(const VolumeReel &volume, const Region &region);

/// Bytes the console tool holds at its peak for each boundary point it fits to (the points, the
/// cloud's index and tree, the fit's lists over the points): 742 MB at the peak for the
/// 12,288,000 points of a 160^3 checkerboard, 60 bytes a point, rounded up.
constexpr std::size_t OCTETS_PAR_POINT_FRONTIERE = 64;
/// A boundary of at least FRONTIERE_EPARSE_MIN points and more than POINTS_PAR_VOXEL_EPARS per
/// voxel of the region is refused as scattered voxels (noise, a checkerboard: 6 a voxel), not a
/// surface (a solid gives far less than one a voxel, a sheet one voxel thick about 2, a line 4).
constexpr std::size_t FRONTIERE_EPARSE_MIN = 1000000;
constexpr std::size_t POINTS_PAR_VOXEL_EPARS = 4;
/// Boundary points taken at most, whatever the memory.
constexpr std::size_t POINTS_FRONTIERE_MAX = 20000000;

/// The boundary points this machine can hold: its memory (the physical memory, or the address
/// space limit when lower), less octetsDejaPris and a reserve for the program, over
/// OCTETS_PAR_POINT_FRONTIERE; at most POINTS_FRONTIERE_MAX.
std::size_t pointsFrontiereAdmissibles(std::size_t octetsDejaPris);

/// How the boundary of a volume file is taken.
struct ReglagesFrontiere
{
    /// region holds the level, band or labels; otherwise Otsu's level, or on a label map the
    /// union of its labels
    bool regionDonnee = false;
    Region region;
    bool millimetres = true;    ///< world millimetres, or voxel indices
    int volume = -1;            ///< the volume of a 4-D file (0 the first; -1 the first, said)
    bool tousLesLabels = false; ///< one surface per label (the console tool's --labels all)
    /// Boundary points taken at most; 0 for what the machine can hold (pointsFrontiereAdmissibles).
    std::size_t pointsMax = 0;
};

/// What frontiereVolume used and found.
struct BilanFrontiere
{
    Region region;
    bool automatique = false;   ///< the level is Otsu's
    bool millimetres = true;
    Raison origineRepere; ///< VolumeReel::origineRepere
    Raison remarque;      ///< VolumeReel::remarque
    int dimensions[3] = {0, 0, 0};
    double taillesVoxel[3] = {0, 0, 0}; ///< mm
    double minimum = 0, maximum = 0;    ///< finite values
    std::size_t voxelsRegion = 0;
    /// A label map recognised (CarteDeLabels, with its count and background) when no region
    /// was given; Aucune otherwise.
    Raison carteDeLabels;
    std::size_t pointsFrontiere = 0; ///< counted, before any refusal

    /// The frame of the points: the volume's millimetres (and where they come from) or RepereIndices.
    Raison repere() const { return millimetres ? origineRepere : Raison(CodeRaison::RepereIndices); }
};

/// Reads the volume (lireVolumeReel, volume reglages.volume) and gives the boundary points of the region. Failures:
/// the reader's, and Statut::NuageIllisible when no automatic level exists (a uniform volume)
/// or no voxel lies in the region (the reason gives the volume's value range), and
/// FrontiereEparse for scattered voxels (POINTS_PAR_VOXEL_EPARS), FrontiereTropGrande when the
/// boundary has more points than reglages.pointsMax (or what the machine can hold): counted
/// before any is placed, the refusal comes in seconds.
Resultat frontiereVolume(const std::string &nom, const ReglagesFrontiere &reglages, std::vector<point3> &points,
                         BilanFrontiere &bilan);

/// The same on a volume in memory; `nom` names it in the reasons.
Resultat frontiereVolume(const VolumeReel &volume, const std::string &nom, const ReglagesFrontiere &reglages,
                         std::vector<point3> &points, BilanFrontiere &bilan);

/// Maps points given in voxel indices of the volume file into its world millimetres (the frame
/// lireVolumeReel gives it); origine receives the frame (VolumeReel::origineRepere). Failures: the reader's.
Resultat versMillimetres(const std::string &nom, std::vector<point3> &points, Raison &origine);

#endif
