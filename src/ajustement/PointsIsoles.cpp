#include "PointsIsoles.h"
#include "Parallele.h"

#include <algorithm>

std::vector<std::size_t> pointsIsoles(const std::vector<point3> &nuage, const ArbrePoints &arbre, int fils)
{
    std::vector<std::size_t> isoles;
    if (nuage.size() <= 2 * VOISIN_DE_DENSITE)
        return isoles;
    // The point itself is its own nearest: its k-th neighbour is the (k+1)-th nearest.
    std::vector<double> d2(nuage.size());
    enParallele(nuage.size(), filsEffectifs(fils), [&](std::size_t debut, std::size_t fin) {
        for (std::size_t i = debut; i < fin; ++i)
            d2[i] = arbre.distanceAuKieme(nuage[i], VOISIN_DE_DENSITE + 1);
    });
    std::vector<double> tri = d2;
    std::nth_element(tri.begin(), tri.begin() + tri.size() / 2, tri.end());
    const double seuil = FACTEUR_ISOLEMENT * FACTEUR_ISOLEMENT * tri[tri.size() / 2];
    for (std::size_t i = 0; i < nuage.size(); ++i)
        if (d2[i] > seuil)
            isoles.push_back(i);
    return isoles;
}

std::vector<point3> sansLesPoints(const std::vector<point3> &nuage, const std::vector<std::size_t> &ecartes)
{
    std::vector<point3> gardes;
    gardes.reserve(nuage.size() - std::min(nuage.size(), ecartes.size()));
    for (std::size_t i = 0, k = 0; i < nuage.size(); ++i)
        if (k < ecartes.size() && ecartes[k] == i)
            ++k;
        else
            gardes.push_back(nuage[i]);
    return gardes;
}
