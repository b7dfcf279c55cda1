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
    int a, b; // a < b: the points run from a to b, whichever face met the edge first
    double longueur;
};

// Points along the edges longer than 2 s, and inside the faces of area s² or more, for spacing s.
std::size_t compter(const std::vector<AreteLongue> &aretes, const std::vector<double> &aires, double s)
{
    std::size_t n = 0;
    for (const AreteLongue &e : aretes)
        if (e.longueur > 2 * s)
            n += static_cast<std::size_t>(std::ceil(e.longueur / s)) - 1;
    for (double a : aires)
        if (a >= s * s)
            n += static_cast<std::size_t>(std::floor(a / (s * s)));
    return n;
}

} // namespace

std::vector<point3> nuageDeSurface(const std::vector<point3> &sommets, const std::vector<Face> &faces)
{
    std::vector<point3> nuage(sommets);
    const std::size_t n = sommets.size();
    auto valide = [n](int i) { return i >= 0 && static_cast<std::size_t>(i) < n; };

    // The edges, each once, in the order the faces meet them; the faces' areas.
    std::vector<AreteLongue> aretes;
    std::vector<double> aires(faces.size(), 0);
    std::unordered_set<std::uint64_t> vues;
    std::vector<char> utilise(n, 0);
    double aire = 0;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const int c[3] = {faces[f].s1, faces[f].s2, faces[f].s3};
        if (!valide(c[0]) || !valide(c[1]) || !valide(c[2]))
            continue;
        for (int k = 0; k < 3; ++k) {
            utilise[static_cast<std::size_t>(c[k])] = 1;
            const int a = std::min(c[k], c[(k + 1) % 3]), b = std::max(c[k], c[(k + 1) % 3]);
            if (a == b || !vues.insert(static_cast<std::uint64_t>(a) << 32 | static_cast<std::uint32_t>(b)).second)
                continue;
            aretes.push_back({a, b, norme(sommets[static_cast<std::size_t>(b)] - sommets[static_cast<std::size_t>(a)])});
        }
        const point3 &p = sommets[static_cast<std::size_t>(c[0])];
        aires[f] = 0.5 * norme(vect(sommets[static_cast<std::size_t>(c[1])] - p, sommets[static_cast<std::size_t>(c[2])] - p));
        if (std::isfinite(aires[f]))
            aire += aires[f];
        else
            aires[f] = 0;
    }
    const std::size_t utilises = static_cast<std::size_t>(std::count(utilise.begin(), utilise.end(), 1));
    const std::size_t cible = std::max(utilises, POINTS_DE_SURFACE_MINIMUM);
    if (!(aire > 0) || !std::isfinite(aire) || utilises == 0)
        return nuage;
    double s = std::sqrt(aire / static_cast<double>(cible));
    // Long thin faces would put many points along their edges: the spacing grows until they fit.
    while (compter(aretes, aires, s) > 4 * cible)
        s *= 1.25;

    nuage.reserve(n + compter(aretes, aires, s));
    for (const AreteLongue &e : aretes) {
        if (!(e.longueur > 2 * s))
            continue;
        const std::size_t m = static_cast<std::size_t>(std::ceil(e.longueur / s));
        const point3 &a = sommets[static_cast<std::size_t>(e.a)], &b = sommets[static_cast<std::size_t>(e.b)];
        for (std::size_t i = 1; i < m; ++i)
            nuage.push_back(a + fois(b - a, static_cast<double>(i) / static_cast<double>(m)));
    }
    // Inside a face, the additive recurrence of the plastic number spreads the points evenly over
    // the unit square; the half beyond the diagonal folds back onto the triangle.
    constexpr double ALPHA1 = 0.7548776662466927, ALPHA2 = 0.5698402909980532;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        if (!(aires[f] >= s * s))
            continue;
        const point3 &a = sommets[static_cast<std::size_t>(faces[f].s1)];
        const point3 ab = sommets[static_cast<std::size_t>(faces[f].s2)] - a;
        const point3 ac = sommets[static_cast<std::size_t>(faces[f].s3)] - a;
        const std::size_t m = static_cast<std::size_t>(std::floor(aires[f] / (s * s)));
        for (std::size_t k = 1; k <= m; ++k) {
            double u = std::fmod(0.5 + ALPHA1 * static_cast<double>(k), 1.0);
            double v = std::fmod(0.5 + ALPHA2 * static_cast<double>(k), 1.0);
            if (u + v > 1) {
                u = 1 - u;
                v = 1 - v;
            }
            nuage.push_back(a + fois(ab, u) + fois(ac, v));
        }
    }
    return nuage;
}
