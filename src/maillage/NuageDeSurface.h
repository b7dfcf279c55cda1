#ifndef TARNIS_MAILLAGE_NUAGEDESURFACE_H
#define TARNIS_MAILLAGE_NUAGEDESURFACE_H

#include "Maillage.h"
#include "point3.h"

#include <cstddef>
#include <vector>

/// A triangle mesh given where a cloud is asked stands for its surface: at least so many points
/// over it, whatever few vertices it has.
constexpr std::size_t POINTS_DE_SURFACE_MINIMUM = 20000;

/// The cloud of a triangle mesh's surface: its vertices (all of them, in their order), then points
/// spread over the edges and faces that are large for the spacing `s` of the cloud, with s² the
/// mesh's area over the larger of its vertex count and POINTS_DE_SURFACE_MINIMUM: along each edge
/// longer than 2 s, points s apart at most; inside each face of area a >= s², the k * k centroids
/// of its lattice of side k = floor(sqrt(a) / s) (centresDuReseau). A mesh whose vertices are
/// already that close (a scan with enough points) keeps its vertices alone; a part made for a
/// machine, whose long faces have vertices only at their corners, is covered all over. The count
/// is kept within four times that larger count, s growing when the edges would take more (long
/// thin faces). Faces with an index out of range or no area add nothing. The same mesh always gives
/// the same points. Beside the cloud, only the long edges are kept: a scan of millions of faces
/// costs a few passes over them.
std::vector<point3> nuageDeSurface(std::vector<point3> sommets, const std::vector<Face> &faces);

#endif
