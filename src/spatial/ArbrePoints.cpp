#include "ArbrePoints.h"

#include "Parallele.h"
#include "Vecteurs.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {
// Ranges of at most this many points are leaves, searched point by point.
constexpr std::size_t feuille = 16;
// Ranges this large are worth a thread of their own while building.
constexpr std::size_t rangeeParallele = 1 << 16;

inline double composante(const point3 &p, int a)
{
    return a == 0 ? p.x : a == 1 ? p.y : p.z;
}
} // namespace

ArbrePoints::ArbrePoints(const std::vector<point3> &points, int fils, bool placesParIndice, Decoupe decoupe)
    : ArbrePoints(points, Repere(), fils, placesParIndice, decoupe)
{}

ArbrePoints::ArbrePoints(const std::vector<point3> &points, const Repere &repere, int fils, bool placesParIndice,
                         Decoupe decoupe)
{
    const std::size_t n = points.size();
    coord.resize(n);
    ordre.resize(n);
    enParallele(n, fils, [&](std::size_t debut, std::size_t fin) {
        for (std::size_t i = debut; i < fin; ++i) {
            coord[i] = fois(points[i] - repere.centre, repere.facteur);
            ordre[i] = static_cast<std::uint32_t>(i);
        }
    });
    double boite[6] = {1e300, 1e300, 1e300, -1e300, -1e300, -1e300};
    for (const point3 &p : coord)
        for (int a = 0; a < 3; ++a) {
            boite[a] = std::min(boite[a], composante(p, a));
            boite[3 + a] = std::max(boite[3 + a], composante(p, a));
        }
    // The largest range at each depth is the leftmost: the inner nodes are below 2^profondeur - 1.
    int profondeur = 0;
    for (std::size_t s = n; s > feuille; s /= 2)
        ++profondeur;
    axe.assign((std::size_t(1) << profondeur) - 1, 0);
    coupe.assign(axe.size(), 0);
    construire(0, n, 0, boite, std::max(1, fils), decoupe);
    if (placesParIndice) {
        place.resize(n);
        for (std::size_t k = 0; k < n; ++k)
            place[ordre[k]] = static_cast<std::uint32_t>(k);
    }
}

// Puts at k the point of rank k - debut in [debut, fin) by (coordinate a, index), the smaller
// ones before it and the larger after: the order is total, so each side holds the same points
// whatever the path taken.
namespace {

/// The selection of a rank in a range of the tree's slots by (coordinate a, index): the slots'
/// points and indices moved together.
struct Selection
{
    std::vector<point3> &coord;
    std::vector<std::uint32_t> &ordre;
    int a;

    struct Cle
    {
        double v;
        std::uint32_t o;
        bool operator<(const Cle &c) const { return v < c.v || (v == c.v && o < c.o); }
    };

    bool moindre(std::size_t i, std::size_t j) const
    {
        const double u = composante(coord[i], a), v = composante(coord[j], a);
        return u < v || (u == v && ordre[i] < ordre[j]);
    }
    void echanger(std::size_t i, std::size_t j)
    {
        std::swap(coord[i], coord[j]);
        std::swap(ordre[i], ordre[j]);
    }
    Cle cleDe(long i) const
    {
        return Cle{composante(coord[static_cast<std::size_t>(i)], a), ordre[static_cast<std::size_t>(i)]};
    }
    /// Moves the slots of [d, f] for which garder holds to the front; returns the first other.
    template <class Garder> long partager(long d, long f, const Garder &garder)
    {
        long i = d, j = f;
        for (;;) {
            while (i <= j && garder(cleDe(i)))
                ++i;
            while (i <= j && !garder(cleDe(j)))
                --j;
            if (i >= j)
                return i;
            echanger(static_cast<std::size_t>(i), static_cast<std::size_t>(j));
        }
    }

    /// A large range [bas, haut] shrinks to the points between two of an even sample that
    /// bracket the rank sought (with a margin of some standard deviations): one pass splits it
    /// into the points before the first, those between, and those after the second.
    void resserrer(long &bas, long &haut, long cible);

    /// The rank `cible` of [bas, haut] selected through an index list (after a run of bad pivots).
    void parIndices(long bas, long haut, long cible);

    /// One partition of [bas, haut]: median of three at the middle, then Hoare's partition around
    /// its value; the range narrowed to the side that holds `cible`.
    void partitionner(long &bas, long &haut, long cible);
};

void Selection::resserrer(long &bas, long &haut, long cible)
{
    constexpr long grand = 1 << 15, nEchantillon = 1024, marge = 64;
    while (haut - bas + 1 > grand) {
        const long n = haut - bas + 1;
        std::vector<Cle> e(nEchantillon);
        for (long i = 0; i < nEchantillon; ++i)
            e[static_cast<std::size_t>(i)] = cleDe(bas + i * n / nEchantillon + n / (2 * nEchantillon));
        std::sort(e.begin(), e.end());
        const long r = (cible - bas) * nEchantillon / n;
        const Cle b = e[static_cast<std::size_t>(std::clamp(r - marge, 0L, nEchantillon - 1))];
        const Cle h = e[static_cast<std::size_t>(std::clamp(r + marge, 0L, nEchantillon - 1))];
        const long u = partager(bas, haut, [&](const Cle &c) { return c < b; });
        const long w = partager(u, haut, [&](const Cle &c) { return !(h < c); });
        const long avant = n;
        if (cible < u)
            haut = u - 1;
        else if (cible < w)
            bas = u, haut = w - 1;
        else
            bas = w;
        if (haut - bas + 1 == avant)
            break; // nothing narrowed
    }
}

void Selection::parIndices(long bas, long haut, long cible)
{
    std::vector<std::uint32_t> indices(static_cast<std::size_t>(haut - bas + 1));
    std::iota(indices.begin(), indices.end(), static_cast<std::uint32_t>(bas));
    std::nth_element(indices.begin(), indices.begin() + (cible - bas), indices.end(),
                     [&](std::uint32_t i, std::uint32_t j) { return moindre(i, j); });
    std::vector<point3> c(indices.size());
    std::vector<std::uint32_t> o(indices.size());
    for (std::size_t t = 0; t < indices.size(); ++t) {
        c[t] = coord[indices[t]];
        o[t] = ordre[indices[t]];
    }
    std::copy(c.begin(), c.end(), coord.begin() + bas);
    std::copy(o.begin(), o.end(), ordre.begin() + bas);
}

void Selection::partitionner(long &bas, long &haut, long cible)
{
    const long milieu = bas + (haut - bas) / 2;
    if (moindre(milieu, bas))
        echanger(milieu, bas);
    if (moindre(haut, bas))
        echanger(haut, bas);
    if (moindre(haut, milieu))
        echanger(haut, milieu);
    const double pv = composante(coord[milieu], a);
    const std::uint32_t pi = ordre[milieu];
    long i = bas - 1, j = haut + 1;
    for (;;) {
        do
            ++i;
        while (composante(coord[i], a) < pv || (composante(coord[i], a) == pv && ordre[i] < pi));
        do
            --j;
        while (composante(coord[j], a) > pv || (composante(coord[j], a) == pv && ordre[j] > pi));
        if (i >= j)
            break;
        echanger(i, j);
    }
    // [bas, j] holds the points up to the pivot, (j, haut] those from it.
    if (cible <= j)
        haut = j;
    else
        bas = j + 1;
}

} // namespace

void ArbrePoints::selectionner(std::size_t debut, std::size_t fin, std::size_t k, int a)
{
    Selection s{coord, ordre, a};
    long bas = static_cast<long>(debut), haut = static_cast<long>(fin) - 1;
    const long cible = static_cast<long>(k);
    s.resserrer(bas, haut, cible);
    for (int tours = 0; haut - bas > 8; ++tours) {
        if (tours > 100) {
            s.parIndices(bas, haut, cible);
            return;
        }
        s.partitionner(bas, haut, cible);
    }
    for (long i = bas + 1; i <= haut; ++i)
        for (long j = i; j > bas && s.moindre(j, j - 1); --j)
            s.echanger(j, j - 1);
}

void ArbrePoints::construire(std::size_t debut, std::size_t fin, std::size_t noeud, const double boite[6], int fils,
                             Decoupe decoupe)
{
    if (fin - debut <= feuille)
        return;
    // Split the range's cell (or its points' box) along its longest side, at the median point.
    double points[6] = {1e300, 1e300, 1e300, -1e300, -1e300, -1e300};
    if (decoupe == Decoupe::Points)
        for (std::size_t k = debut; k < fin; ++k)
            for (int b = 0; b < 3; ++b) {
                points[b] = std::min(points[b], composante(coord[k], b));
                points[3 + b] = std::max(points[3 + b], composante(coord[k], b));
            }
    const double *cote = decoupe == Decoupe::Points ? points : boite;
    int a = 0;
    for (int b = 1; b < 3; ++b)
        if (cote[3 + b] - cote[b] > cote[3 + a] - cote[a])
            a = b;
    const std::size_t milieu = debut + (fin - debut) / 2;
    selectionner(debut, fin, milieu, a);
    axe[noeud] = static_cast<std::uint8_t>(a);
    coupe[noeud] = composante(coord[milieu], a);
    double gauche[6], droite[6];
    std::copy(boite, boite + 6, gauche);
    std::copy(boite, boite + 6, droite);
    gauche[3 + a] = droite[a] = composante(coord[milieu], a);
    // The two halves touch disjoint slots and nodes: another thread may build one of them.
    if (fils > 1 && fin - debut > rangeeParallele) {
        coteACote([&] { construire(debut, milieu, 2 * noeud + 1, gauche, fils / 2, decoupe); },
                  [&] { construire(milieu + 1, fin, 2 * noeud + 2, droite, fils - fils / 2, decoupe); });
    } else {
        construire(debut, milieu, 2 * noeud + 1, gauche, 1, decoupe);
        construire(milieu + 1, fin, 2 * noeud + 2, droite, 1, decoupe);
    }
}

// Keeps the point at slot k when it is nearer, or as near with a lower index.
inline void ArbrePoints::essayer(std::size_t k, const double q[3], long &meilleur, long &case_, double &d2) const
{
    const point3 &c = coord[k];
    const double dx = q[0] - c.x, dy = q[1] - c.y, dz = q[2] - c.z;
    const double d = dx * dx + dy * dy + dz * dz;
    if (d < d2 || (d == d2 && static_cast<long>(ordre[k]) < meilleur)) {
        d2 = d;
        meilleur = static_cast<long>(ordre[k]);
        case_ = static_cast<long>(k);
    }
}

void ArbrePoints::chercher(std::size_t debut, std::size_t fin, std::size_t noeud, const double q[3], Ecarts e,
                           long &meilleur, long &case_, double &d2) const
{
    while (fin - debut > feuille) {
        const std::size_t m = debut + (fin - debut) / 2;
        const int a = axe[noeud];
        const double ecart = q[a] - coupe[noeud];
        // The node's point lies on its plane: no nearer than the plane, whose offset is summed
        // as essayer sums it, so a plane beyond reach puts the point beyond reach. The descent
        // then reads only the nodes' planes, a small array, and not the points.
        if (ecart * ecart <= d2)
            essayer(m, q, meilleur, case_, d2);
        // Nearer side first; the far side only when its cell is within reach. The cell's
        // distance is summed as essayer sums a point's, each term no larger than the point's:
        // no point at the best distance is passed over, in floating point too.
        if (ecart < 0) {
            chercher(debut, m, 2 * noeud + 1, q, e, meilleur, case_, d2);
            debut = m + 1;
            noeud = 2 * noeud + 2;
        } else {
            chercher(m + 1, fin, 2 * noeud + 2, q, e, meilleur, case_, d2);
            fin = m;
            noeud = 2 * noeud + 1;
        }
        // The plane alone, most often enough, before the cell's three offsets.
        if (ecart * ecart > d2)
            return;
        e.d[a] = ecart;
        if (e.d[0] * e.d[0] + e.d[1] * e.d[1] + e.d[2] * e.d[2] > d2)
            return;
    }
    for (std::size_t k = debut; k < fin; ++k)
        essayer(k, q, meilleur, case_, d2);
}

long ArbrePoints::chercherDepuis(const point3 &p, double &d2, long &case_) const
{
    long meilleur = -1;
    d2 = 1e300;
    const double q[3] = {p.x, p.y, p.z};
    // The search keeps the lowest index among points at the same distance, so starting from any
    // of them ends on the same one.
    if (case_ >= 0 && static_cast<std::size_t>(case_) < coord.size())
        essayer(static_cast<std::size_t>(case_), q, meilleur, case_, d2);
    chercher(0, ordre.size(), 0, q, Ecarts{{0, 0, 0}}, meilleur, case_, d2);
    return meilleur;
}

// meilleurs: the k smallest squared distances met so far, in increasing order.
void ArbrePoints::chercherK(std::size_t debut, std::size_t fin, std::size_t noeud, const double q[3], double *meilleurs,
                            std::uint32_t *cases, int k) const
{
    // Kept sorted by distance, then by slot: the answer is the same whatever the path taken.
    auto garder = [&](std::size_t s) {
        const point3 &c = coord[s];
        const double dx = q[0] - c.x, dy = q[1] - c.y, dz = q[2] - c.z;
        double d = dx * dx + dy * dy + dz * dz;
        std::uint32_t slot = static_cast<std::uint32_t>(s);
        if (d > meilleurs[k - 1] || (d == meilleurs[k - 1] && slot >= cases[k - 1]))
            return;
        for (int i = 0; i < k; ++i)
            if (d < meilleurs[i] || (d == meilleurs[i] && slot < cases[i])) {
                std::swap(d, meilleurs[i]);
                std::swap(slot, cases[i]);
            }
    };
    while (fin - debut > feuille) {
        const std::size_t m = debut + (fin - debut) / 2;
        const int a = axe[noeud];
        const double ecart = q[a] - coupe[noeud];
        if (ecart * ecart <= meilleurs[k - 1])
            garder(m);
        if (ecart < 0) {
            chercherK(debut, m, 2 * noeud + 1, q, meilleurs, cases, k);
            if (ecart * ecart > meilleurs[k - 1])
                return;
            debut = m + 1;
            noeud = 2 * noeud + 2;
        } else {
            chercherK(m + 1, fin, 2 * noeud + 2, q, meilleurs, cases, k);
            if (ecart * ecart > meilleurs[k - 1])
                return;
            fin = m;
            noeud = 2 * noeud + 1;
        }
    }
    for (std::size_t s = debut; s < fin; ++s)
        garder(s);
}

int ArbrePoints::plusProches(const point3 &p, int k, std::uint32_t *cases, double *d2) const
{
    k = std::clamp(k, 1, K_MAXIMUM);
    std::fill(d2, d2 + k, 1e300);
    std::fill(cases, cases + k, UINT32_MAX);
    const double q[3] = {p.x, p.y, p.z};
    chercherK(0, ordre.size(), 0, q, d2, cases, k);
    return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(k), ordre.size()));
}

double ArbrePoints::distanceAuKieme(const point3 &p, int k) const
{
    k = std::clamp(k, 1, 32);
    double meilleurs[32];
    std::uint32_t cases[32];
    plusProches(p, k, cases, meilleurs);
    return meilleurs[k - 1];
}

long ArbrePoints::plusProche(const point3 &p, double &d2) const
{
    long case_ = -1;
    return chercherDepuis(p, d2, case_);
}

long ArbrePoints::plusProche(const point3 &p, double &d2, long indice) const
{
    long case_ = indice >= 0 && static_cast<std::size_t>(indice) < place.size() ? static_cast<long>(place[indice]) : -1;
    return chercherDepuis(p, d2, case_);
}

long ArbrePoints::plusProcheDepuis(const point3 &p, double &d2, long &case_) const
{
    return chercherDepuis(p, d2, case_);
}

double ArbrePoints::espacementMedian(int k, std::size_t echantillons) const
{
    const std::size_t n = coord.size();
    std::vector<double> d;
    const std::size_t pas = std::max<std::size_t>(1, n / std::max<std::size_t>(1, echantillons));
    for (std::size_t i = pas / 2; i < n; i += pas)
        if (const double d2 = distanceAuKieme(coord[i], k); d2 < 1e300)
            d.push_back(std::sqrt(d2));
    if (d.empty())
        return 0;
    std::nth_element(d.begin(), d.begin() + d.size() / 2, d.end());
    return d[d.size() / 2];
}
