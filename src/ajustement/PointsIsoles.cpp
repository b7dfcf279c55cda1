#include "PointsIsoles.h"
#include "Parallele.h"
#include "Vecteurs.h"

#include <algorithm>
#include <cstdint>

std::vector<std::size_t> pointsIsoles(const std::vector<point3> &nuage, const ArbrePoints &arbre, int fils)
{
    std::vector<std::size_t> isoles;
    const std::size_t n = nuage.size();
    if (n <= 2 * VOISIN_DE_DENSITE)
        return isoles;
    fils = filsEffectifs(fils);
    // The point itself is its own nearest: its k-th neighbour is the (k+1)-th nearest.
    auto densite = [&](std::size_t i) { return arbre.distanceAuKieme(nuage[i], VOISIN_DE_DENSITE + 1); };
    // The median over every point, or over an even subset of a large cloud: one value per
    // point is then never held, only one byte.
    const std::size_t pas = (n + ECHANTILLON_DENSITE - 1) / ECHANTILLON_DENSITE;
    std::vector<double> d2((n + pas - 1) / pas);
    enParallele(d2.size(), fils, [&](std::size_t debut, std::size_t fin) {
        for (std::size_t k = debut; k < fin; ++k)
            d2[k] = densite(k * pas);
    });
    std::vector<double> tri = d2;
    std::nth_element(tri.begin(), tri.begin() + tri.size() / 2, tri.end());
    const double seuil = FACTEUR_ISOLEMENT * FACTEUR_ISOLEMENT * tri[tri.size() / 2];
    // Enough points within the threshold among the ones beside it in the list (the tree's slots
    // run through space) settle that a point is not isolated, with no search: its neighbour of
    // rank VOISIN_DE_DENSITE is then no farther than they are.
    constexpr std::size_t voisinage = 16;
    auto entoure = [&](std::size_t i) {
        int proches = 0;
        for (std::size_t j = i > voisinage ? i - voisinage : 0, fin = std::min(n, i + voisinage + 1); j < fin; ++j)
            if (carre(nuage[i] - nuage[j]) <= seuil && ++proches > VOISIN_DE_DENSITE)
                return true;
        return false;
    };
    std::vector<std::uint8_t> loin(n);
    enParallele(n, fils, [&](std::size_t debut, std::size_t fin) {
        for (std::size_t i = debut; i < fin; ++i)
            loin[i] = pas == 1 ? d2[i] > seuil : !entoure(i) && densite(i) > seuil;
    });
    for (std::size_t i = 0; i < n; ++i)
        if (loin[i])
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

const std::vector<point3> &pointsGardes(const std::vector<point3> &nuage, const std::vector<std::size_t> &ecartes,
                                        std::vector<point3> &copie)
{
    if (ecartes.empty())
        return nuage;
    copie = sansLesPoints(nuage, ecartes);
    return copie;
}
