#include "ArbrePoints.h"

#include <algorithm>
#include <numeric>
#include <thread>

namespace {
// Ranges of at most this many points are leaves, searched point by point.
constexpr std::size_t feuille = 16;
} // namespace

ArbrePoints::ArbrePoints(const std::vector<point3> &points, int fils)
{
    const std::size_t n = points.size();
    ordre.resize(n);
    std::iota(ordre.begin(), ordre.end(), 0u);
    coord.resize(3 * n);
    for (std::size_t i = 0; i < n; ++i) {
        coord[3 * i] = points[i].x;
        coord[3 * i + 1] = points[i].y;
        coord[3 * i + 2] = points[i].z;
    }
    axe.assign(n, 0);
    construire(0, n, fils);
    // Coordinates in tree order, for locality of the searches.
    std::vector<double> rangees(3 * n);
    for (std::size_t k = 0; k < n; ++k)
        for (int a = 0; a < 3; ++a)
            rangees[3 * k + a] = coord[3 * ordre[k] + a];
    coord.swap(rangees);
    place.resize(n);
    for (std::size_t k = 0; k < n; ++k)
        place[ordre[k]] = static_cast<std::uint32_t>(k);
}

void ArbrePoints::construire(std::size_t debut, std::size_t fin, int fils)
{
    if (fin - debut <= feuille)
        return;
    // Split along the longest side of the range's bounding box.
    double mn[3] = {1e300, 1e300, 1e300}, mx[3] = {-1e300, -1e300, -1e300};
    for (std::size_t k = debut; k < fin; ++k)
        for (int a = 0; a < 3; ++a) {
            const double v = coord[3 * ordre[k] + a];
            mn[a] = std::min(mn[a], v);
            mx[a] = std::max(mx[a], v);
        }
    int a = 0;
    for (int b = 1; b < 3; ++b)
        if (mx[b] - mn[b] > mx[a] - mn[a])
            a = b;
    const std::size_t milieu = debut + (fin - debut) / 2;
    std::nth_element(ordre.begin() + debut, ordre.begin() + milieu, ordre.begin() + fin,
                     [&](std::uint32_t i, std::uint32_t j) {
                         const double u = coord[3 * i + a], v = coord[3 * j + a];
                         return u < v || (u == v && i < j);
                     });
    axe[milieu] = static_cast<std::uint8_t>(a);
    // The two halves touch disjoint slots: another thread may build one of them.
    if (fils > 1 && fin - debut > 8192) {
        std::thread gauche([&] { construire(debut, milieu, fils / 2); });
        construire(milieu + 1, fin, fils - fils / 2);
        gauche.join();
    } else {
        construire(debut, milieu, 1);
        construire(milieu + 1, fin, 1);
    }
}

// Keeps the point at slot k when it is nearer, or as near with a lower index.
inline void ArbrePoints::essayer(std::size_t k, const double q[3], long &meilleur, double &d2) const
{
    const double *c = &coord[3 * k];
    const double dx = q[0] - c[0], dy = q[1] - c[1], dz = q[2] - c[2];
    const double d = dx * dx + dy * dy + dz * dz;
    if (d < d2 || (d == d2 && static_cast<long>(ordre[k]) < meilleur)) {
        d2 = d;
        meilleur = static_cast<long>(ordre[k]);
    }
}

void ArbrePoints::chercher(std::size_t debut, std::size_t fin, const double q[3], long &meilleur, double &d2) const
{
    while (fin - debut > feuille) {
        const std::size_t m = debut + (fin - debut) / 2;
        essayer(m, q, meilleur, d2);
        const double *c = &coord[3 * m];
        const int a = axe[m];
        const double ecart = q[a] - c[a];
        // Nearer side first; the far side only when the splitting plane is within reach.
        if (ecart < 0) {
            chercher(debut, m, q, meilleur, d2);
            if (ecart * ecart > d2)
                return;
            debut = m + 1;
        } else {
            chercher(m + 1, fin, q, meilleur, d2);
            if (ecart * ecart > d2)
                return;
            fin = m;
        }
    }
    for (std::size_t k = debut; k < fin; ++k)
        essayer(k, q, meilleur, d2);
}

long ArbrePoints::plusProche(const point3 &p, double &d2) const
{
    return plusProche(p, d2, -1);
}

long ArbrePoints::plusProche(const point3 &p, double &d2, long indice) const
{
    long meilleur = -1;
    d2 = 1e300;
    const double q[3] = {p.x, p.y, p.z};
    // The search keeps the lowest index among points at the same distance, so starting from any
    // of them ends on the same one.
    if (indice >= 0 && static_cast<std::size_t>(indice) < place.size())
        essayer(place[indice], q, meilleur, d2);
    chercher(0, ordre.size(), q, meilleur, d2);
    return meilleur;
}

// meilleurs: the k smallest squared distances met so far, in increasing order.
void ArbrePoints::chercherK(std::size_t debut, std::size_t fin, const double q[3], double *meilleurs, int k) const
{
    auto garder = [&](std::size_t s) {
        const double *c = &coord[3 * s];
        const double dx = q[0] - c[0], dy = q[1] - c[1], dz = q[2] - c[2];
        double d = dx * dx + dy * dy + dz * dz;
        for (int i = 0; i < k && d < meilleurs[k - 1]; ++i)
            if (d < meilleurs[i])
                std::swap(d, meilleurs[i]);
    };
    while (fin - debut > feuille) {
        const std::size_t m = debut + (fin - debut) / 2;
        garder(m);
        const double ecart = q[axe[m]] - coord[3 * m + axe[m]];
        if (ecart < 0) {
            chercherK(debut, m, q, meilleurs, k);
            if (ecart * ecart > meilleurs[k - 1])
                return;
            debut = m + 1;
        } else {
            chercherK(m + 1, fin, q, meilleurs, k);
            if (ecart * ecart > meilleurs[k - 1])
                return;
            fin = m;
        }
    }
    for (std::size_t s = debut; s < fin; ++s)
        garder(s);
}

double ArbrePoints::distanceAuKieme(const point3 &p, int k) const
{
    k = std::clamp(k, 1, 32);
    double meilleurs[32];
    std::fill(meilleurs, meilleurs + k, 1e300);
    const double q[3] = {p.x, p.y, p.z};
    chercherK(0, ordre.size(), q, meilleurs, k);
    return meilleurs[k - 1];
}
