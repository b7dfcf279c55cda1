#ifndef TARNIS_SIMPLEX_FIXTURES_H
#define TARNIS_SIMPLEX_FIXTURES_H

#include <memory>
#include <string>
#include <vector>

#include "Maillage.h"
#include "Simplex.h"
#include "kdtree.h"
#include "point3.h"

namespace tarnis_test {

// --- closed triangle meshes (faces counter-clockwise seen from outside) ------------------------

/// Regular tetrahedron inscribed in the sphere of the given radius, centred at the origin.
void tetraedre(double rayon, std::vector<point3> &sommets, std::vector<Face> &faces);
/// Regular octahedron: vertices at +-rayon on each axis.
void octaedre(double rayon, std::vector<point3> &sommets, std::vector<Face> &faces);
/// Icosahedron split `niveaux` times (each triangle into four), vertices on the sphere.
/// 20 * 4^niveaux faces.
void icosaedreSubdivise(int niveaux, double rayon, std::vector<point3> &sommets, std::vector<Face> &faces);

// --- simplex meshes --------------------------------------------------------------------------------

/// Fills an empty Simplex with the dual of a closed, consistently oriented triangle mesh: one point
/// per face (its centroid) whose neighbours are the faces across (s1,s2), (s2,s3), (s3,s1), one
/// cell per vertex (counter-clockwise seen from outside), companion lists and cells in step, then
/// the geometry of every point. Written independently of the engine's own conversion.
void construireDual(Simplex &s, const std::vector<point3> &sommets, const std::vector<Face> &faces);
/// Dual of the tetrahedron: 4 points, 4 cells of 3.
void tetraedreDual(Simplex &s, double rayon = 1.0);
/// Dual of the octahedron (a cube): 8 points, 6 cells of 4.
void cubeDual(Simplex &s, double rayon = 1.0);
/// Dual of the icosahedron split `niveaux` times: 20 * 4^niveaux points (console output dropped).
void icosaedreDual(Simplex &s, int niveaux, double rayon);
/// The positions of the records, in order.
std::vector<point3> positions(const std::vector<PointSimplex *> &liste);

/// What verifierInvariants checks besides the neighbourhood itself.
struct OptionsInvariants
{
    bool compagnons = true;  ///< companion lists and cells line up with the mesh
    bool genre0 = true;      ///< closed genus 0: M = N/2 + 2, every point in three cells
    bool orientation = true; ///< every directed cell edge is met once, its reverse once
};

/// Every violation of the simplex mesh invariants, one line each (empty when the mesh is sound):
/// three distinct non-null neighbours in the list, symmetric neighbourhood, every cell a cycle of
/// neighbours without repeats, and the checks chosen in the options.
std::vector<std::string> verifierInvariants(const Simplex &s, const OptionsInvariants &options = OptionsInvariants());
/// The invariants a refined mesh keeps: all but one orientation of the cells.
const OptionsInvariants invariantsRaffinage{true, true, false};
/// A test failure naming the count and the first of the violations, if any.
void attendreInvariants(const Simplex &s, const OptionsInvariants &options = OptionsInvariants());

// --- clouds ---------------------------------------------------------------------------------------

/// n points spread evenly (Fibonacci lattice) on the ellipsoid x²/a² + y²/b² + z²/c² = 1.
std::vector<point3> nuageEllipsoide(int n, double a, double b, double c);
/// The points as a PTS file, at full precision.
bool ecrireFichierPTS(const std::string &chemin, const std::vector<point3> &points);
/// Distance from p to the ellipsoid along the ray from the centre: an upper bound of the true
/// distance to the surface.
double ecartEllipsoide(const point3 &p, double a, double b, double c);

/// Brute force: distance from p to the nearest triangle of m, and to the nearest of the points.
double distanceBrute(const point3 &p, const Maillage &m);
double plusProcheBrute(const point3 &p, const std::vector<point3> &points);

struct DetruireKd
{
    void operator()(kd_tree *t) const { kd_destroy(t); }
};
using KdPtr = std::unique_ptr<kd_tree, DetruireKd>;
/// A 3-D kd-tree over the points (bulk-built). The points must outlive the tree.
KdPtr kdSur(const std::vector<point3> &points);

} // namespace tarnis_test

#endif
