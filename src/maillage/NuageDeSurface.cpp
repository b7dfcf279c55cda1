#include "NuageDeSurface.h"

#include "Vecteurs.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>
#include <utility>

namespace {

struct AreteLongue
{
    int a, b; // a < b: the points run from a to b
    double longueur;
};

bool valide(const Face &f, std::size_t n)
{
    auto dans = [n](int i) { return i >= 0 && static_cast<std::size_t>(i) < n; };
    return dans(f.s1) && dans(f.s2) && dans(f.s3);
}

// The area of a face whose vertices are in range; 0 when it is not finite.
double aireDe(const std::vector<point3> &p, const Face &f)
{
    const point3 &a = p[static_cast<std::size_t>(f.s1)];
    const double aire =
        0.5 * norme(vect(p[static_cast<std::size_t>(f.s2)] - a, p[static_cast<std::size_t>(f.s3)] - a));
    return std::isfinite(aire) ? aire : 0.0;
}

// The side of the lattice a face is covered with: k * k points for an area of about k² s²; none
// for a face smaller than s², which its corners cover. In double: a sliver of a bad file may ask
// for more than any integer holds, and is then counted, not made.
double cote(double aire, double s)
{
    return aire >= s * s ? std::round(std::sqrt(aire) / s) : 0;
}

// Points along the edges longer than 2 s, and inside the faces of area s² or more, for spacing s.
double compter(const std::vector<point3> &p, std::size_t n, const std::vector<Face> &faces,
               const std::vector<AreteLongue> &aretes, double s)
{
    double total = 0;
    for (const AreteLongue &e : aretes)
        if (e.longueur > 2 * s)
            total += std::ceil(e.longueur / s) - 1;
    for (const Face &f : faces)
        if (valide(f, n)) {
            const double k = cote(aireDe(p, f), s);
            total += k * k;
        }
    return total;
}

} // namespace

std::vector<point3> nuageDeSurface(std::vector<point3> nuage, const std::vector<Face> &faces)
{
    // The vertices stay first, in their order; the points added follow. Nothing is kept per face
    // or per edge but the long edges, so a scan of millions of faces costs a few passes over them.
    const std::size_t n = nuage.size();
    std::vector<char> utilise(n, 0);
    double aire = 0;
    for (const Face &f : faces)
        if (valide(f, n)) {
            utilise[static_cast<std::size_t>(f.s1)] = utilise[static_cast<std::size_t>(f.s2)] =
                utilise[static_cast<std::size_t>(f.s3)] = 1;
            aire += aireDe(nuage, f);
        }
    const std::size_t utilises = static_cast<std::size_t>(std::count(utilise.begin(), utilise.end(), 1));
    const std::size_t cible = std::max(utilises, POINTS_DE_SURFACE_MINIMUM);
    if (!(aire > 0) || !std::isfinite(aire) || utilises == 0)
        return nuage;
    double s = std::sqrt(aire / static_cast<double>(cible));

    // The edges longer than 2 s, each once, in the order the faces meet them.
    std::vector<AreteLongue> aretes;
    std::unordered_set<std::uint64_t> vues;
    for (const Face &f : faces) {
        if (!valide(f, n))
            continue;
        const int c[3] = {f.s1, f.s2, f.s3};
        for (int k = 0; k < 3; ++k) {
            const int a = std::min(c[k], c[(k + 1) % 3]), b = std::max(c[k], c[(k + 1) % 3]);
            const double l = norme(nuage[static_cast<std::size_t>(b)] - nuage[static_cast<std::size_t>(a)]);
            if (a == b || !(l > 2 * s) || !std::isfinite(l) ||
                !vues.insert(static_cast<std::uint64_t>(a) << 32 | static_cast<std::uint32_t>(b)).second)
                continue;
            aretes.push_back({a, b, l});
        }
    }
    // Long thin faces would put many points along their edges: the spacing grows until they fit.
    const double plafond = 4.0 * static_cast<double>(cible);
    for (double total = compter(nuage, n, faces, aretes, s); total > plafond; total = compter(nuage, n, faces, aretes, s))
        s *= std::max(1.25, std::sqrt(total / plafond));

    nuage.reserve(n + static_cast<std::size_t>(compter(nuage, n, faces, aretes, s)));
    for (const AreteLongue &e : aretes) {
        if (!(e.longueur > 2 * s))
            continue;
        const std::size_t m = static_cast<std::size_t>(std::ceil(e.longueur / s));
        const point3 a = nuage[static_cast<std::size_t>(e.a)], b = nuage[static_cast<std::size_t>(e.b)];
        for (std::size_t i = 1; i < m; ++i)
            nuage.push_back(a + fois(b - a, static_cast<double>(i) / static_cast<double>(m)));
    }
    // Inside a face, the centroids of a lattice as fine as the spacing.
    for (const Face &f : faces) {
        if (!valide(f, n))
            continue;
        const int k = static_cast<int>(cote(aireDe(nuage, f), s));
        if (k == 0)
            continue;
        const point3 a = nuage[static_cast<std::size_t>(f.s1)];
        const point3 ab = nuage[static_cast<std::size_t>(f.s2)] - a, ac = nuage[static_cast<std::size_t>(f.s3)] - a;
        centresDuReseau(a, ab, ac, k, [&nuage](const point3 &p) { nuage.push_back(p); });
    }
    return nuage;
}
