#ifndef TARNIS_SPATIAL_DISTANCE_H
#define TARNIS_SPATIAL_DISTANCE_H

#include "point3.h"

#include <array>
#include <cstddef>
#include <utility>
#include <vector>

/// Euclidean distance from p to the closed triangle (a, b, c). Degenerate
/// triangles (a segment or a single point) give the distance to that set.
double distancePointTriangle(const point3 &p, const point3 &a, const point3 &b, const point3 &c);

/// The point of the triangle (a, b, c) nearest to p, as weights of its corners (w[0] for a, w[1]
/// for b, w[2] for c; none negative, their sum 1). A flat triangle gives a point of its edges.
/// Returns the squared distance from p to it.
double plusProcheSurTriangle(const point3 &p, const point3 &a, const point3 &b, const point3 &c, double w[3]);

/// Squared form of distancePointTriangle.
double distanceCarreePointTriangle(const point3 &p, const point3 &a, const point3 &b, const point3 &c);

/// Nearest-triangle queries over a fixed triangle mesh: a bounding-volume tree
/// over the triangles, queried with branch and bound. The mesh is copied; the
/// object is immutable after construction and queries may run side by side.
class ArbreTriangles
{
public:
    /// faces: zero-based vertex indices. A face with an index out of range or a
    /// corner that is not finite is left out. `fils` threads share the building (0: one per
    /// core); the tree, and so every answer, does not depend on their number.
    ArbreTriangles(const std::vector<point3> &sommets, const std::vector<std::array<int, 3>> &faces, int fils = 1);

    /// Number of triangles kept.
    std::size_t taille() const { return triangles.size(); }

    /// The index in `faces` of the triangle an answer of distance(p, indice) names.
    std::size_t face(std::size_t indice) const { return triangles[indice].face; }
    /// The other way: the index distance(p, indice) takes for face f (taille() when left out).
    std::size_t indiceDeFace(std::size_t f) const { return f < indices.size() ? indices[f] : taille(); }

    /// Distance from p to the nearest triangle; +infinity when there is none.
    double distance(const point3 &p) const;

    /// distance(), starting the search from the triangle `indice` (an index
    /// of a previous answer, or any value out of range for none) and leaving
    /// there the index of the nearest triangle. Same value as distance(p);
    /// faster when p lies near the previous point.
    double distance(const point3 &p, std::size_t &indice) const;

    /// distance() of every point, in order, the work shared among the
    /// machine's cores (the values are those of distance() one by one).
    std::vector<double> distances(const std::vector<point3> &points) const;

    /// distance() of p[0], ..., p[n - 1] into d[0], ..., d[n - 1]: the same values, found far
    /// sooner when the points come in runs that lie close together (a tree's slot order, a
    /// space-filling order). `fils` threads (0: one per core) share runs fixed by n alone.
    void distances(const point3 *p, std::size_t n, double *d, int fils) const;

private:
    /// A triangle within reach of a run of points, with its bounding box.
    struct Candidat
    {
        double min[3], max[3];
        double auCentre; // distance from the run's centre to the box
        std::size_t indice;
    };
    void distancesDUneSerie(const point3 *p, std::size_t n, double *d, std::size_t &indice,
                            std::vector<Candidat> &candidats) const;
    /// The triangles whose boxes lie within `portee` of q, into `candidats`; false as soon as
    /// there are more than `limite` of them.
    bool candidatsAPortee(const double q[3], double portee, std::size_t limite, std::vector<Candidat> &candidats) const;
    /// distance() of each point of the run, from the candidates of the run round `centre`
    /// (sorted nearest to it first); `indice`, the triangle nearest to the last point.
    void auPlusProcheDesCandidats(const point3 *p, std::size_t n, double *d, const point3 &centre,
                                  const std::vector<Candidat> &candidats, std::size_t &indice) const;
    template <class Point, class Ecrire> void parSeries(std::size_t n, int fils, Point point, Ecrire ecrire) const;

    struct Triangle
    {
        point3 a, b, c;
        std::size_t face;
    };
    struct Noeud
    {
        double min[3], max[3];
        // Leaf: triangles [premier, premier + nombre); inner node: nombre = 0 and
        // the children are this node + 1 and droite.
        std::size_t premier, droite;
        std::size_t nombre;
    };

    void construire(std::size_t debut, std::size_t fin, std::size_t indice, std::vector<std::size_t> &ordre,
                    const std::vector<point3> &centres, const std::vector<std::pair<std::size_t, std::size_t>> &table,
                    int fils);

    std::vector<Triangle> triangles;
    std::vector<std::size_t> indices; // of each face among the triangles
    std::vector<Noeud> noeuds;
};

/// Summary of a list of distances: mean, 95th percentile (nearest rank: the
/// value at rank ceil(0.95 n) in increasing order) and maximum. All zero for
/// an empty list.
struct Statistiques
{
    std::size_t nombre = 0;
    double moyenne = 0;
    double centile95 = 0;
    double maximum = 0;
};

Statistiques resumer(std::vector<double> distances);

/// The indices of the points in a space-filling (Morton) order of their positions in their
/// bounding box, so that each point lies near the one before it.
std::vector<std::size_t> ordreSpatial(const std::vector<point3> &points);

#endif
