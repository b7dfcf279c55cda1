#ifndef TARNIS_AJUSTEMENT_BRUIT_H
#define TARNIS_AJUSTEMENT_BRUIT_H

#include "TableAjustement.h"
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
    /// Median over the points of the residual about the quadric of their VOISINS_LARGES_DU_BRUIT
    /// nearest, over their distance to their ESPACEMENT_DU_BRUIT-th nearest.
    double residu = 0;
    /// Median over the points of the residual about the quadric of their VOISINS_ETROITS_DU_BRUIT
    /// nearest over that of the wide one (each residual per degree of freedom left: near one for
    /// noise).
    double rapport = 0;
    /// Noise enough to be smoothed out (the thresholds and what chose them: TableAjustement.h).
    /// The faces of a plate thinner than the neighbourhood look the same as noise to `residu`
    /// and `rapport`: `milieu` tells them apart.
    bool bruite() const
    {
        return residu >= RESIDU_BRUITE && rapport >= RAPPORT_BRUITE && milieu >= MILIEU_D_UNE_COUCHE;
    }
    /// Median over the points of the share of their VOISINS_LARGES_DU_BRUIT nearest within
    /// MILIEU_EN_RESIDUS of the residual of their quadric. A noisy layer holds points across its
    /// thickness, its middle included (a normal law puts 20 % of them within a quarter of its
    /// deviation); the two faces of a thin part, each smooth, leave a gap between them where the
    /// quadric runs, and few points near it.
    double milieu = 0;
};

/// The figures over at most `echantillons` points of the tree, evenly spread through its slots
/// (`fils` threads; the figures do not depend on their number). Zero for fewer than
/// VOISINS_LARGES_DU_BRUIT points.
MesureBruit mesurerBruit(const ArbrePoints &arbre, std::size_t echantillons, int fils);

/// Each point brought onto the quadric fitted to its `voisins` nearest (at least
/// VOISINS_MINIMUM_DU_LISSAGE, at most ArbrePoints::K_MAXIMUM), weighted by a Gaussian of their distance, `passes` times over: the
/// middle of a noisy layer without the flattening of a plane. A point whose neighbours do not
/// span a surface stays where it is. `fils` threads; the result does not depend on their number.
void ramenerSurLesQuadriques(std::vector<point3> &points, int voisins, int passes, int fils);

#endif
