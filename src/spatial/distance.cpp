#include "distance.h"

#include "Morton.h"
#include "Parallele.h"
#include "Vecteurs.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

double plusProcheSurTriangle(const point3 &p, const point3 &a, const point3 &b, const point3 &c, double w[3])
{
    auto poser = [&](double u, double v, double t) {
        w[0] = u;
        w[1] = v;
        w[2] = t;
    };
    // On the segment from x (weight index i) to y (index j): the squared distance to it.
    auto segment = [&](const point3 &x, const point3 &y, int i, int j) {
        const point3 xy = y - x, xp = p - x;
        const double l2 = carre(xy);
        const double t = l2 > 0 ? std::clamp(scal(xp, xy) / l2, 0.0, 1.0) : 0.0;
        poser(0, 0, 0);
        w[i] = 1 - t;
        w[j] += t;
        return carre(xp - fois(xy, t));
    };
    const point3 ab = b - a, ac = c - a, ap = p - a;
    const double echelle = std::max(carre(ab), carre(ac));
    const point3 n = vect(ab, ac);
    const double n2 = carre(n);
    if (!(n2 > 1e-24 * echelle * echelle)) {
        // Flat (collinear or coincident corners): the nearest of its three edges.
        double meilleur[3] = {0, 0, 0};
        double dMin = std::numeric_limits<double>::infinity();
        const point3 *coins[3] = {&a, &b, &c};
        for (int e = 0; e < 3; ++e) {
            const double d = segment(*coins[e], *coins[(e + 1) % 3], e, (e + 1) % 3);
            if (d < dMin) {
                dMin = d;
                std::copy(w, w + 3, meilleur);
            }
        }
        std::copy(meilleur, meilleur + 3, w);
        return dMin;
    }
    // Voronoi regions of the corners, then of the edges, then the inside.
    const double d1 = scal(ab, ap), d2 = scal(ac, ap);
    if (d1 <= 0 && d2 <= 0) {
        poser(1, 0, 0);
        return carre(ap);
    }
    const point3 bp = p - b;
    const double d3 = scal(ab, bp), d4 = scal(ac, bp);
    if (d3 >= 0 && d4 <= d3) {
        poser(0, 1, 0);
        return carre(bp);
    }
    const double vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0)
        return segment(a, b, 0, 1);
    const point3 cp = p - c;
    const double d5 = scal(ab, cp), d6 = scal(ac, cp);
    if (d6 >= 0 && d5 <= d6) {
        poser(0, 0, 1);
        return carre(cp);
    }
    const double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0)
        return segment(a, c, 0, 2);
    const double va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
        return segment(b, c, 1, 2);
    // Inside: the distance to the plane.
    const double s = 1.0 / (va + vb + vc);
    poser(va * s, vb * s, vc * s);
    const double h = scal(ap, n);
    return h * h / n2;
}

double distanceCarreePointTriangle(const point3 &p, const point3 &a, const point3 &b, const point3 &c)
{
    double w[3];
    return plusProcheSurTriangle(p, a, b, c, w);
}

double distancePointTriangle(const point3 &p, const point3 &a, const point3 &b, const point3 &c)
{
    return std::sqrt(distanceCarreePointTriangle(p, a, b, c));
}

namespace {
// Ranges of at most this many triangles are leaves.
constexpr std::size_t FEUILLE_TRIANGLES = 4;
// Ranges this large are worth a thread of their own while building.
constexpr std::size_t RANGEE_PARALLELE_TRIANGLES = std::size_t(1) << 13;

// The nodes of the tree over m triangles (each range split at its middle down to leaves of at
// most FEUILLE_TRIANGLES), by number of triangles: at each depth the ranges hold one of two
// sizes, so the table stays short.
std::size_t noeudsPour(std::size_t m, std::vector<std::pair<std::size_t, std::size_t>> &table)
{
    if (m <= FEUILLE_TRIANGLES)
        return 1;
    for (const auto &[taille, noeuds] : table)
        if (taille == m)
            return noeuds;
    const std::size_t noeuds = 1 + noeudsPour(m / 2, table) + noeudsPour(m - m / 2, table);
    table.emplace_back(m, noeuds);
    return noeuds;
}

// The same, read from a table noeudsPour filled for the whole tree.
std::size_t noeudsDans(std::size_t m, const std::vector<std::pair<std::size_t, std::size_t>> &table)
{
    if (m <= FEUILLE_TRIANGLES)
        return 1;
    for (const auto &[taille, noeuds] : table)
        if (taille == m)
            return noeuds;
    return 0; // not reached: every range's size is in the table
}
} // namespace

ArbreTriangles::ArbreTriangles(const std::vector<point3> &sommets, const std::vector<std::array<int, 3>> &faces,
                               int fils)
{
    const long n = static_cast<long>(sommets.size());
    triangles.reserve(faces.size());
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const auto &f = faces[i];
        if (f[0] < 0 || f[1] < 0 || f[2] < 0 || f[0] >= n || f[1] >= n || f[2] >= n)
            continue;
        bool fini = true;
        for (int k = 0; k < 3; ++k) {
            const point3 &s = sommets[f[k]];
            fini = fini && std::isfinite(s.x) && std::isfinite(s.y) && std::isfinite(s.z);
        }
        if (!fini)
            continue;
        triangles.push_back({sommets[f[0]], sommets[f[1]], sommets[f[2]], i});
    }
    if (triangles.empty())
        return;
    fils = filsEffectifs(fils);
    const std::size_t m = triangles.size();
    std::vector<point3> centres(m);
    std::vector<std::size_t> ordre(m);
    enParallele(m, fils, [&](std::size_t debut, std::size_t fin) {
        for (std::size_t i = debut; i < fin; ++i) {
            const Triangle &t = triangles[i];
            centres[i] = point3((t.a.x + t.b.x + t.c.x) / 3, (t.a.y + t.b.y + t.c.y) / 3, (t.a.z + t.b.z + t.c.z) / 3);
            ordre[i] = i;
        }
    });
    // Each node's place is fixed by the sizes of the ranges before it: the halves of a range may
    // be built side by side, and the tree is the same whatever the number of threads.
    std::vector<std::pair<std::size_t, std::size_t>> table;
    noeuds.resize(noeudsPour(m, table));
    construire(0, m, 0, ordre, centres, table, fils);
    std::vector<Triangle> ranges(m);
    enParallele(m, fils, [&](std::size_t debut, std::size_t fin) {
        for (std::size_t i = debut; i < fin; ++i)
            ranges[i] = triangles[ordre[i]];
    });
    triangles.swap(ranges);
    indices.assign(faces.size(), triangles.size());
    for (std::size_t t = 0; t < triangles.size(); ++t)
        indices[triangles[t].face] = t;
}

void ArbreTriangles::construire(std::size_t debut, std::size_t fin, std::size_t indice, std::vector<std::size_t> &ordre,
                                const std::vector<point3> &centres,
                                const std::vector<std::pair<std::size_t, std::size_t>> &table, int fils)
{
    Noeud &noeud = noeuds[indice];
    if (fin - debut <= FEUILLE_TRIANGLES) {
        for (int k = 0; k < 3; ++k) {
            noeud.min[k] = std::numeric_limits<double>::infinity();
            noeud.max[k] = -std::numeric_limits<double>::infinity();
        }
        for (std::size_t i = debut; i < fin; ++i) {
            const Triangle &t = triangles[ordre[i]];
            for (const point3 *q : {&t.a, &t.b, &t.c}) {
                const double c[3] = {q->x, q->y, q->z};
                for (int k = 0; k < 3; ++k) {
                    noeud.min[k] = std::min(noeud.min[k], c[k]);
                    noeud.max[k] = std::max(noeud.max[k], c[k]);
                }
            }
        }
        noeud.premier = debut;
        noeud.nombre = fin - debut;
        noeud.droite = 0;
        return;
    }
    // Split along the widest spread of the triangles' middles, at the median.
    double cmin[3], cmax[3];
    for (int k = 0; k < 3; ++k) {
        cmin[k] = std::numeric_limits<double>::infinity();
        cmax[k] = -std::numeric_limits<double>::infinity();
    }
    for (std::size_t i = debut; i < fin; ++i) {
        const point3 &g = centres[ordre[i]];
        const double c[3] = {g.x, g.y, g.z};
        for (int k = 0; k < 3; ++k) {
            cmin[k] = std::min(cmin[k], c[k]);
            cmax[k] = std::max(cmax[k], c[k]);
        }
    }
    int axe = 0;
    for (int k = 1; k < 3; ++k)
        if (cmax[k] - cmin[k] > cmax[axe] - cmin[axe])
            axe = k;
    const std::size_t milieu = debut + (fin - debut) / 2;
    auto coord = [&](std::size_t i) {
        const point3 &g = centres[i];
        return axe == 0 ? g.x : axe == 1 ? g.y : g.z;
    };
    std::nth_element(ordre.begin() + static_cast<std::ptrdiff_t>(debut),
                     ordre.begin() + static_cast<std::ptrdiff_t>(milieu),
                     ordre.begin() + static_cast<std::ptrdiff_t>(fin),
                     [&](std::size_t i, std::size_t j) { return coord(i) < coord(j); });
    const std::size_t gauche = indice + 1;
    const std::size_t droite = gauche + noeudsDans(milieu - debut, table);
    // The two halves touch disjoint ranges and nodes: another thread may build one of them.
    if (fils > 1 && fin - debut > RANGEE_PARALLELE_TRIANGLES) {
        coteACote([&] { construire(debut, milieu, gauche, ordre, centres, table, fils / 2); },
                  [&] { construire(milieu, fin, droite, ordre, centres, table, fils - fils / 2); });
    } else {
        construire(debut, milieu, gauche, ordre, centres, table, 1);
        construire(milieu, fin, droite, ordre, centres, table, 1);
    }
    // The box of the node: those of its halves together.
    Noeud &ici = noeuds[indice];
    const Noeud &a = noeuds[gauche], &b = noeuds[droite];
    for (int k = 0; k < 3; ++k) {
        ici.min[k] = std::min(a.min[k], b.min[k]);
        ici.max[k] = std::max(a.max[k], b.max[k]);
    }
    ici.premier = 0;
    ici.nombre = 0;
    ici.droite = droite;
}

namespace {

inline double distanceCarreeBoite(const double p[3], const double mn[3], const double mx[3])
{
    double s = 0;
    for (int k = 0; k < 3; ++k) {
        double d = p[k] < mn[k] ? mn[k] - p[k] : (p[k] > mx[k] ? p[k] - mx[k] : 0.0);
        s += d * d;
    }
    return s;
}

} // namespace

double ArbreTriangles::distance(const point3 &p) const
{
    std::size_t indice = triangles.size();
    return distance(p, indice);
}

double ArbreTriangles::distance(const point3 &p, std::size_t &indice) const
{
    if (noeuds.empty())
        return std::numeric_limits<double>::infinity();
    const double q[3] = {p.x, p.y, p.z};
    double meilleure = std::numeric_limits<double>::infinity();
    if (indice < triangles.size()) {
        const Triangle &tr = triangles[indice];
        meilleure = distanceCarreePointTriangle(p, tr.a, tr.b, tr.c);
    }
    // (node, squared distance to its box) pairs still to visit.
    std::pair<std::size_t, double> pile[128];
    int haut = 0;
    pile[haut++] = {0, distanceCarreeBoite(q, noeuds[0].min, noeuds[0].max)};
    while (haut > 0) {
        auto [i, db] = pile[--haut];
        if (db >= meilleure)
            continue;
        const Noeud &n = noeuds[i];
        if (n.nombre > 0) {
            for (std::size_t t = n.premier; t < n.premier + n.nombre; ++t) {
                const Triangle &tr = triangles[t];
                const double d = distanceCarreePointTriangle(p, tr.a, tr.b, tr.c);
                if (d < meilleure) {
                    meilleure = d;
                    indice = t;
                }
            }
            continue;
        }
        std::size_t g = i + 1, d = n.droite;
        double dg = distanceCarreeBoite(q, noeuds[g].min, noeuds[g].max);
        double dd = distanceCarreeBoite(q, noeuds[d].min, noeuds[d].max);
        // The nearer child goes on top so that it is visited first.
        if (dg <= dd) {
            pile[haut++] = {d, dd};
            pile[haut++] = {g, dg};
        } else {
            pile[haut++] = {g, dg};
            pile[haut++] = {d, dd};
        }
    }
    return std::sqrt(meilleure);
}

std::vector<std::size_t> ordreSpatial(const std::vector<point3> &points)
{
    double mn[3] = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                    std::numeric_limits<double>::infinity()};
    double mx[3] = {-mn[0], -mn[1], -mn[2]};
    for (const point3 &p : points) {
        const double c[3] = {p.x, p.y, p.z};
        for (int k = 0; k < 3; ++k) {
            mn[k] = std::min(mn[k], c[k]);
            mx[k] = std::max(mx[k], c[k]);
        }
    }
    std::vector<std::pair<std::uint64_t, std::size_t>> cles(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double c[3] = {points[i].x, points[i].y, points[i].z};
        std::uint64_t code = 0;
        for (int k = 0; k < 3; ++k) {
            const double e = mx[k] > mn[k] ? (c[k] - mn[k]) / (mx[k] - mn[k]) : 0.0;
            const double v = std::isfinite(e) ? std::clamp(e, 0.0, 1.0) * 2097151.0 : 0.0;
            code |= etalerBits(static_cast<std::uint64_t>(v)) << k;
        }
        cles[i] = {code, i};
    }
    std::sort(cles.begin(), cles.end());
    std::vector<std::size_t> ordre(points.size());
    for (std::size_t i = 0; i < cles.size(); ++i)
        ordre[i] = cles[i].second;
    return ordre;
}

namespace {
// Points measured together: the triangles within reach of the run are gathered once for all.
constexpr std::size_t serie = 64;
} // namespace

// The k-th point is point(k); its distance goes to ecrire(k, value). Runs of `serie` points are
// copied out one at a time, so a list in another order costs no copy of it.
template <class Point, class Ecrire>
void ArbreTriangles::parSeries(std::size_t n, int fils, Point point, Ecrire ecrire) const
{
    if (n < 4 * triangles.size()) {
        // Fewer points than a few per triangle: a run would share little; one search each, each
        // started from the answer before.
        enParallele(n, filsEffectifs(fils), [&](std::size_t debut, std::size_t fin) {
            std::size_t indice = triangles.size();
            for (std::size_t k = debut; k < fin; ++k)
                ecrire(k, distance(point(k), indice));
        });
        return;
    }
    const std::size_t series = (n + serie - 1) / serie;
    // Each run is cut from the list alone and its values do not depend on the one before it:
    // the result is the same whatever the number of threads.
    enParallele(series, filsEffectifs(fils), [&](std::size_t debut, std::size_t fin) {
        std::vector<Candidat> candidats;
        point3 p[serie];
        double d[serie];
        std::size_t indice = triangles.size();
        for (std::size_t s = debut; s < fin; ++s) {
            const std::size_t a = s * serie, b = std::min(n, a + serie);
            for (std::size_t k = a; k < b; ++k)
                p[k - a] = point(k);
            distancesDUneSerie(p, b - a, d, indice, candidats);
            for (std::size_t k = a; k < b; ++k)
                ecrire(k, d[k - a]);
        }
    });
}

std::vector<double> ArbreTriangles::distances(const std::vector<point3> &points) const
{
    // Points taken in spatial order, so that the runs lie close together.
    const std::vector<std::size_t> ordre = ordreSpatial(points);
    std::vector<double> d(points.size());
    parSeries(
        points.size(), 0, [&](std::size_t k) { return points[ordre[k]]; },
        [&](std::size_t k, double v) { d[ordre[k]] = v; });
    return d;
}

void ArbreTriangles::distances(const point3 *p, std::size_t n, double *d, int fils) const
{
    parSeries(
        n, fils, [&](std::size_t k) { return p[k]; }, [&](std::size_t k, double v) { d[k] = v; });
}

// The nearest triangle to any point of the run lies within dc + 2R of the run's centre c, where
// R bounds every point's distance to c and dc is c's distance to the surface: for a point p,
// its nearest triangle is within |pc| + dc + |pc|. Each point then takes the least distance to
// those triangles, passing over those whose box is no nearer than the best so far.
namespace {

/// The middle of the bounding box of p[0], ..., p[n - 1] and the radius of the sphere round it
/// through the box's corners.
void sphereDeLaSerie(const point3 *p, std::size_t n, point3 &centre, double &rayon)
{
    double mn[3] = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                    std::numeric_limits<double>::infinity()};
    double mx[3] = {-mn[0], -mn[1], -mn[2]};
    for (std::size_t i = 0; i < n; ++i) {
        const double c[3] = {p[i].x, p[i].y, p[i].z};
        for (int k = 0; k < 3; ++k) {
            mn[k] = std::min(mn[k], c[k]);
            mx[k] = std::max(mx[k], c[k]);
        }
    }
    centre = point3(0.5 * (mn[0] + mx[0]), 0.5 * (mn[1] + mx[1]), 0.5 * (mn[2] + mx[2]));
    rayon = 0.5 * std::sqrt((mx[0] - mn[0]) * (mx[0] - mn[0]) + (mx[1] - mn[1]) * (mx[1] - mn[1]) +
                            (mx[2] - mn[2]) * (mx[2] - mn[2]));
}

} // namespace

void ArbreTriangles::distancesDUneSerie(const point3 *p, std::size_t n, double *d, std::size_t &indice,
                                        std::vector<Candidat> &candidats) const
{
    point3 centre;
    double rayon = 0;
    sphereDeLaSerie(p, n, centre, rayon);
    bool fini = !noeuds.empty();
    for (std::size_t i = 0; i < n && fini; ++i)
        fini = std::isfinite(p[i].x) && std::isfinite(p[i].y) && std::isfinite(p[i].z);
    const double dc = fini ? distance(centre, indice) : 0;
    if (!fini || !std::isfinite(rayon) || !std::isfinite(dc)) {
        // A point that is not a number, or no surface: one search each, as distance() does.
        for (std::size_t i = 0; i < n; ++i)
            d[i] = distance(p[i]);
        return;
    }
    if (n == 1) {
        d[0] = dc; // the run's centre is its point
        return;
    }
    // The reach, widened far beyond the rounding of the sums that bound it.
    const double portee = (dc + 2 * rayon) * (1 + 1e-9) + 1e-300;
    const double q[3] = {centre.x, centre.y, centre.z};
    // Points sparse beside the triangles: the run reaches too many of them to share, so it is
    // cut in two, down to single points (the search of distance()).
    if (!candidatsAPortee(q, portee, 4 * n + 32, candidats)) {
        distancesDUneSerie(p, n / 2, d, indice, candidats);
        distancesDUneSerie(p + n / 2, n - n / 2, d + n / 2, indice, candidats);
        return;
    }
    // Nearest to the centre first: a point's search ends at the first triangle whose box is
    // farther from the centre than the point's best distance and the point's own offset.
    for (Candidat &c : candidats)
        c.auCentre = std::sqrt(distanceCarreeBoite(q, c.min, c.max));
    std::sort(candidats.begin(), candidats.end(),
              [](const Candidat &a, const Candidat &b) { return a.auCentre < b.auCentre; });
    auPlusProcheDesCandidats(p, n, d, centre, candidats, indice);
}

bool ArbreTriangles::candidatsAPortee(const double q[3], double portee, std::size_t limite,
                                      std::vector<Candidat> &candidats) const
{
    candidats.clear();
    std::size_t pile[128];
    int haut = 0;
    pile[haut++] = 0;
    while (haut > 0) {
        if (candidats.size() > limite)
            return false;
        const std::size_t i = pile[--haut];
        const Noeud &nd = noeuds[i];
        if (distanceCarreeBoite(q, nd.min, nd.max) > portee * portee)
            continue;
        if (nd.nombre == 0) {
            pile[haut++] = nd.droite;
            pile[haut++] = i + 1;
            continue;
        }
        for (std::size_t t = nd.premier; t < nd.premier + nd.nombre; ++t) {
            const Triangle &tr = triangles[t];
            Candidat c{};
            const point3 *coins[3] = {&tr.a, &tr.b, &tr.c};
            for (int k = 0; k < 3; ++k) {
                c.min[k] = std::numeric_limits<double>::infinity();
                c.max[k] = -std::numeric_limits<double>::infinity();
            }
            for (const point3 *s : coins) {
                const double v[3] = {s->x, s->y, s->z};
                for (int k = 0; k < 3; ++k) {
                    c.min[k] = std::min(c.min[k], v[k]);
                    c.max[k] = std::max(c.max[k], v[k]);
                }
            }
            c.indice = t;
            candidats.push_back(c);
        }
    }
    return true;
}

void ArbreTriangles::auPlusProcheDesCandidats(const point3 *p, std::size_t n, double *d, const point3 &centre,
                                              const std::vector<Candidat> &candidats, std::size_t &indice) const
{
    std::size_t gagnant = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double x[3] = {p[i].x, p[i].y, p[i].z};
        double meilleure = std::numeric_limits<double>::infinity();
        // The triangle nearest to the point before is likely nearest to this one too.
        auto essayer = [&](std::size_t k) {
            const Candidat &c = candidats[k];
            if (distanceCarreeBoite(x, c.min, c.max) >= meilleure)
                return;
            const Triangle &tr = triangles[c.indice];
            const double v = distanceCarreePointTriangle(p[i], tr.a, tr.b, tr.c);
            if (v < meilleure) {
                meilleure = v;
                gagnant = k;
            }
        };
        essayer(gagnant);
        // Widened as the reach was: rounding never ends the search before a nearer triangle.
        const double decalage = norme(p[i] - centre) * (1 + 1e-9) + 1e-300;
        for (std::size_t k = 0; k < candidats.size(); ++k) {
            if (candidats[k].auCentre > (std::sqrt(meilleure) + decalage) * (1 + 1e-9))
                break;
            essayer(k);
        }
        d[i] = std::sqrt(meilleure);
    }
    if (gagnant < candidats.size())
        indice = candidats[gagnant].indice;
}

Statistiques resumer(std::vector<double> distances)
{
    Statistiques s;
    s.nombre = distances.size();
    if (distances.empty())
        return s;
    double somme = 0;
    for (double d : distances)
        somme += d;
    s.moyenne = somme / static_cast<double>(distances.size());
    // ceil(0.95 n) in integers, so that no rounding moves the rank.
    const std::size_t rang = std::max<std::size_t>((95 * distances.size() + 99) / 100, 1);
    std::nth_element(distances.begin(), distances.begin() + (rang - 1), distances.end());
    s.centile95 = distances[rang - 1];
    s.maximum = *std::max_element(distances.begin(), distances.end());
    return s;
}
