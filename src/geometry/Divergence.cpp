#include "Divergence.h"

#include <algorithm>
#include <cmath>
#include <limits>

RegionDeformation::RegionDeformation(const Boite &nuage, const std::vector<point3> &depart)
    : centre(nuage.vide() ? point3() : nuage.centre()), rayon2(std::numeric_limits<double>::infinity())
{
    if (nuage.vide())
        return;
    double portee2 = 0;
    for (const point3 &p : depart) {
        const double dx = p.x - centre.x, dy = p.y - centre.y, dz = p.z - centre.z;
        const double d2 = dx * dx + dy * dy + dz * dz;
        if (std::isfinite(d2))
            portee2 = std::max(portee2, d2);
    }
    const double rayon = diagonales * std::max(nuage.diagonale(), std::sqrt(portee2));
    rayon2 = rayon * rayon;
}

bool RegionDeformation::contient(const point3 &p) const
{
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
        return false;
    const double dx = p.x - centre.x, dy = p.y - centre.y, dz = p.z - centre.z;
    return dx * dx + dy * dy + dz * dz <= rayon2;
}

Resultat RegionDeformation::divergence(int pas)
{
    return Resultat::echec(Statut::Echec, Raison(CodeRaison::Divergence, {pas}));
}
