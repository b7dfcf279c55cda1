#include "PointsIsoles.h"
#include "Bruit.h"
#include "Parallele.h"
#include "Vecteurs.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// The VOISIN_DE_DENSITE nearest others of a point far from its own (their slots), the squared
// distance from each to its own such neighbour, and the point's.
struct Entourage
{
    std::uint32_t cases[VOISIN_DE_DENSITE];
    double densites[VOISIN_DE_DENSITE];
    double ici = 0;
    int nombre = 0;
};

Entourage entourageDe(std::size_t place, const ArbrePoints &arbre)
{
    constexpr int K = VOISIN_DE_DENSITE + 1;
    std::uint32_t cases[K];
    double d2[K];
    const int m = arbre.plusProches(arbre.points()[place], K, cases, d2);
    Entourage e;
    e.ici = m > 0 ? d2[m - 1] : 0;
    for (int k = 0; k < m && e.nombre < VOISIN_DE_DENSITE; ++k)
        if (cases[k] != place) {
            e.cases[e.nombre] = cases[k];
            e.densites[e.nombre++] = arbre.distanceAuKieme(arbre.points()[cases[k]], K);
        }
    return e;
}

} // namespace

std::vector<std::uint8_t> dansDesPartiesEparses(const std::vector<std::size_t> &candidats,
                                                const std::vector<std::uint8_t> &loin, const ArbrePoints &arbre,
                                                int fils)
{
    std::vector<Entourage> autour(candidats.size());
    enParallele(candidats.size(), fils, [&](std::size_t debut, std::size_t fin) {
        for (std::size_t k = debut; k < fin; ++k)
            autour[k] = entourageDe(candidats[k], arbre);
    });
    // Held: not far from its neighbours, or a point of a sparse part found so far. Each round
    // reads the last one's, so that the answer does not depend on the order of the points.
    std::vector<std::uint8_t> tenu(loin.size()), porte(candidats.size()), nouveau(candidats.size());
    for (std::size_t i = 0; i < loin.size(); ++i)
        tenu[i] = !loin[i];
    for (int tour = 0; tour < TOURS_DES_PARTIES_EPARSES; ++tour) {
        enParallele(candidats.size(), fils, [&](std::size_t debut, std::size_t fin) {
            for (std::size_t k = debut; k < fin; ++k) {
                const Entourage &e = autour[k];
                int tenus = 0;
                for (int j = 0; j < e.nombre; ++j)
                    tenus += tenu[e.cases[j]] && e.ici <= EPARSE_EN_VOISINS * EPARSE_EN_VOISINS * e.densites[j];
                nouveau[k] = !porte[k] && tenus >= VOISINS_EPARS_TENUS;
            }
        });
        bool encore = false;
        for (std::size_t k = 0; k < candidats.size(); ++k)
            if (nouveau[k]) {
                porte[k] = tenu[candidats[k]] = 1;
                encore = true;
            }
        if (!encore)
            break;
    }
    return porte;
}

std::vector<std::size_t> pointsIsoles(const std::vector<point3> &nuage, const ArbrePoints &arbre, int fils,
                                      double *mediane)
{
    std::vector<std::size_t> isoles;
    const std::size_t n = nuage.size();
    if (n <= POINTS_MINIMUM_DES_ISOLES)
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
    if (mediane)
        *mediane = tri[tri.size() / 2];
    const double seuil = FACTEUR_ISOLEMENT * FACTEUR_ISOLEMENT * tri[tri.size() / 2];
    // Enough points within the threshold among the ones beside it in the list (the tree's slots
    // run through space) settle that a point is not isolated, with no search: its neighbour of
    // rank VOISIN_DE_DENSITE is then no farther than they are.
    auto entoure = [&](std::size_t i) {
        int proches = 0;
        for (std::size_t j = i > VOISINAGE_DANS_L_ARBRE ? i - VOISINAGE_DANS_L_ARBRE : 0,
                         fin = std::min(n, i + VOISINAGE_DANS_L_ARBRE + 1);
             j < fin; ++j)
            if (carre(nuage[i] - nuage[j]) <= seuil && ++proches > VOISIN_DE_DENSITE)
                return true;
        return false;
    };
    std::vector<std::uint8_t> loin(n);
    enParallele(n, fils, [&](std::size_t debut, std::size_t fin) {
        for (std::size_t i = debut; i < fin; ++i)
            loin[i] = pas == 1 ? d2[i] > seuil : !entoure(i) && densite(i) > seuil;
    });
    std::vector<std::size_t> candidats;
    for (std::size_t i = 0; i < n; ++i)
        if (loin[i])
            candidats.push_back(i);
    std::vector<std::uint8_t> porte = dansDesPartiesEparses(candidats, loin, arbre, fils);
    // Far from its neighbours is not yet away from the surface: the points of a sparse part lie
    // on it, in the plane or along the line of the sparse points round them.
    enParallele(candidats.size(), fils, [&](std::size_t debut, std::size_t fin) {
        for (std::size_t k = debut; k < fin; ++k)
            if (!porte[k])
                porte[k] = surLaSurfaceDesAutres(nuage[candidats[k]], arbre);
    });
    for (std::size_t k = 0; k < candidats.size(); ++k)
        if (!porte[k])
            isoles.push_back(candidats[k]);
    return isoles;
}

bool surLaSurfaceDesAutres(const point3 &p, const ArbrePoints &arbre)
{
    constexpr int K = ArbrePoints::K_MAXIMUM;
    std::uint32_t cases[K];
    double d2[K];
    const int n = arbre.plusProches(p, K, cases, d2);
    const std::vector<point3> &q = arbre.points();
    // The nearest distinct places but its own, with the points each holds: a mesh's vertices
    // come once for each cell they bound, and a place held by several points is never a stray,
    // nor is a point among such places.
    point3 places[K];
    int tenants[K];
    int m = 0, memePlace = 0;
    for (int k = 0; k < n; ++k) {
        const point3 &x = q[cases[k]];
        if (carre(x - p) == 0) {
            if (++memePlace > 1)
                return true;
            continue;
        }
        int j = 0;
        while (j < m && carre(places[j] - x) != 0)
            ++j;
        if (j == m) {
            places[m] = x;
            tenants[m++] = 0;
        }
        ++tenants[j];
    }
    int repetees = 0;
    const int premieres = std::min(m, PLACES_REPETEES);
    for (int j = 0; j < premieres; ++j)
        repetees += tenants[j] > 1;
    if (2 * repetees >= premieres && m >= PLACES_REPETEES_MINIMUM)
        return true;
    m = std::min(m, VOISINS_DU_SUPPORT);
    if (m < PLACES_DU_SUPPORT_MINIMUM)
        return false;
    point3 centre;
    for (int k = 0; k < m; ++k)
        centre += places[k];
    centre = fois(centre, 1.0 / m);
    double cov[3][3] = {};
    for (int k = 0; k < m; ++k) {
        const point3 d = places[k] - centre;
        const double e[3] = {d.x, d.y, d.z};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                cov[r][c] += e[r] * e[c] / m;
    }
    double valeurs[3];
    point3 axes[3];
    axesPropres(cov, valeurs, axes);
    if (!(valeurs[2] > 0) || valeurs[0] > PLATITUDE_DU_SUPPORT * valeurs[2])
        return false;
    // Across their plane near it, and among them rather than past their edge: a stray beyond
    // the rim of a thin part lies in its plane, but far out of it.
    const double hauteur = scal(p - centre, axes[0]);
    return hauteur * hauteur <= HAUTEUR_DU_SUPPORT * HAUTEUR_DU_SUPPORT * valeurs[2] &&
           carre(p - centre) <= valeurs[2] && carre(places[0] - p) <= PROCHE_DU_SUPPORT * valeurs[2];
}

std::vector<char> prolongentUnBord(const std::vector<point3> &isoles, const ArbrePoints &gardes, double mediane)
{
    constexpr int PROCHES = ArbrePoints::K_MAXIMUM, PLAN = VOISINS_DU_BORD;
    const double sinusMaximum = std::sin(ANGLE_DU_BORD * M_PI / 180.0);
    std::vector<char> bord(isoles.size(), 0);
    // Where isolated points are many, the scan is dusty, and a lone point past an edge is dust
    // as likely as the scan's own: none is taken.
    if (gardes.taille() <= PLAN || static_cast<double>(isoles.size()) >
                                       PART_ISOLES_BORD * static_cast<double>(gardes.taille() + isoles.size()))
        return bord;
    const std::vector<point3> &q = gardes.points();
    std::uint32_t cases[PROCHES];
    double d2[PROCHES];
    for (std::size_t i = 0; i < isoles.size(); ++i) {
        const point3 &p = isoles[i];
        // The nearest dense point of the sheet.
        const int n = gardes.plusProches(p, PROCHES, cases, d2);
        long dense = -1;
        for (int k = 0; k < n && dense < 0; ++k)
            if (gardes.distanceAuKieme(q[cases[k]], VOISIN_DE_DENSITE + 1) <= DENSE_EN_MEDIANES * DENSE_EN_MEDIANES * mediane)
                dense = cases[k];
        if (dense < 0)
            continue;
        const point3 &a = q[static_cast<std::size_t>(dense)];
        const int m = gardes.plusProches(a, PLAN + 1, cases, d2);
        if (m < PLAN + 1)
            continue;
        point3 centre;
        double moyenne = 0;
        for (int k = 1; k <= PLAN; ++k) {
            centre += q[cases[k]];
            moyenne += std::sqrt(d2[k]);
        }
        centre = fois(centre, 1.0 / PLAN);
        moyenne /= PLAN;
        double cov[3][3] = {};
        for (int k = 1; k <= PLAN; ++k) {
            const point3 d = q[cases[k]] - centre;
            const double e[3] = {d.x, d.y, d.z};
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c)
                    cov[r][c] += e[r] * e[c];
        }
        double valeurs[3];
        point3 axes[3];
        axesPropres(cov, valeurs, axes);
        const point3 &normale = axes[0];
        point3 versCentre = centre - a;
        versCentre = versCentre - fois(normale, scal(versCentre, normale));
        const point3 v = p - a;
        const double l = norme(v);
        bord[i] = norme(versCentre) > BORD_DU_PLAN * moyenne && l > 0 && l * l <= PORTEE_BORD * PORTEE_BORD * mediane &&
                  std::abs(scal(v, normale)) < sinusMaximum * l && scal(v, versCentre) < 0;
    }
    return bord;
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
