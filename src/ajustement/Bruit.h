#ifndef TARNIS_AJUSTEMENT_BRUIT_H
#define TARNIS_AJUSTEMENT_BRUIT_H

#include "point3.h"

#include <cstddef>
#include <vector>

class ArbrePoints;

/// The axes of a symmetric 3x3 matrix `a` by Jacobi rotations (`a` is worked on): `axes[k]` of
/// eigenvalue `valeurs[k]`, the smallest first.
void axesPropres(double a[3][3], double valeurs[3], point3 axes[3]);

/// How noisy a cloud is, from the quadrics fitted round its points. A smooth surface, sampled
/// finely or coarsely, lies on its local quadrics up to what they cannot follow (ridges,
/// corners), and the residual shrinks fast with the neighbourhood; noise leaves a residual that
/// does not depend on the neighbourhood's size.
struct MesureBruit
{
    /// Median over the points of the residual about the quadric of their 64 nearest, over their
    /// distance to their 7th neighbour.
    double residu = 0;
    /// Median over the points of the residual about the quadric of their 24 nearest over that
    /// of their 64 nearest (each residual per degree of freedom left: near one for noise).
    double rapport = 0;
    /// Noise enough to be smoothed out. Measured on the shared clouds: clean ones give `rapport`
    /// 0.26-0.59 (coarse meshes' vertices included), but a fine single scan 0.69 with `residu`
    /// 0.06 (its own scanner noise, which the fit's settling already absorbs: smoothing a noise
    /// of 0.05 % of the diagonal made the bunny's fit worse); the bunny with a noise of 0.1 to
    /// 1 % of its diagonal 0.75-0.92 with `residu` 0.16-0.70. But the faces of a plate thinner
    /// than the neighbourhood look the same to both: `milieu` tells them apart.
    bool bruite() const { return residu >= 0.12 && rapport >= 0.7 && milieu >= MILIEU_D_UNE_COUCHE; }
    /// Median over the points of the share of their 64 nearest within a quarter of the residual
    /// of their quadric. A noisy layer holds points across its thickness, its middle included (a
    /// normal law puts 20 % of them within a quarter of its deviation); the two faces of a thin
    /// part, each smooth, leave a gap between them where the quadric runs, and few points near it.
    double milieu = 0;
    /// The least share of a noisy layer's points in its middle. Measured: a plate 2 x 1.4 x 0.03
    /// (20,000 points on its faces) 0.06, a shell (two spheres 2 % of their radius apart) 0; the
    /// bunny and a sphere with a noise of 0.25 % of their diagonal 0.20.
    static constexpr double MILIEU_D_UNE_COUCHE = 0.1;
};

/// The figures over at most `echantillons` points of the tree, evenly spread through its slots
/// (`fils` threads; the figures do not depend on their number). Zero for fewer than 32 points.
MesureBruit mesurerBruit(const ArbrePoints &arbre, std::size_t echantillons, int fils);

/// Each point brought onto the quadric fitted to its `voisins` nearest (at most
/// ArbrePoints::K_MAXIMUM), weighted by a Gaussian of their distance, `passes` times over: the
/// middle of a noisy layer without the flattening of a plane. A point whose neighbours do not
/// span a surface stays where it is. `fils` threads; the result does not depend on their number.
void ramenerSurLesQuadriques(std::vector<point3> &points, int voisins, int passes, int fils);

#endif
