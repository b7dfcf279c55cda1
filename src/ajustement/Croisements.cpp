#include "Croisements.h"
#include "Maillage.h"
#include "Parallele.h"
#include "Vecteurs.h"

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/intersections.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_set>

namespace {

using Noyau = CGAL::Exact_predicates_inexact_constructions_kernel;
using Point = Noyau::Point_3;
using Segment = Noyau::Segment_3;
using Triangle = Noyau::Triangle_3;

Point versCgal(const point3 &p)
{
    return Point(p.x, p.y, p.z);
}

// A triangle as it stands: a triangle, or, when its corners lie on one line, the segment between
// the two farthest apart (a point when they coincide).
enum class Forme { EnTriangle, EnSegment, EnPoint };
struct Primitive
{
    Forme forme;
    Point p[3];
};

Primitive primitive(const point3 t[3])
{
    Primitive r{Forme::EnTriangle, {versCgal(t[0]), versCgal(t[1]), versCgal(t[2])}};
    if (!CGAL::collinear(r.p[0], r.p[1], r.p[2]))
        return r;
    // On one line: the two ends are the least and the greatest in the lexicographic order.
    std::sort(std::begin(r.p), std::end(r.p));
    r.p[1] = r.p[2];
    r.forme = r.p[0] == r.p[1] ? Forme::EnPoint : Forme::EnSegment;
    return r;
}

bool seRencontrent(const Primitive &a, const Primitive &b)
{
    if (a.forme == Forme::EnPoint && b.forme == Forme::EnPoint)
        return a.p[0] == b.p[0];
    if (a.forme == Forme::EnPoint || b.forme == Forme::EnPoint) {
        const Primitive &point = a.forme == Forme::EnPoint ? a : b, &autre = a.forme == Forme::EnPoint ? b : a;
        if (autre.forme == Forme::EnSegment)
            return Segment(autre.p[0], autre.p[1]).has_on(point.p[0]);
        return Triangle(autre.p[0], autre.p[1], autre.p[2]).has_on(point.p[0]);
    }
    if (a.forme == Forme::EnSegment && b.forme == Forme::EnSegment)
        return CGAL::do_intersect(Segment(a.p[0], a.p[1]), Segment(b.p[0], b.p[1]));
    if (a.forme == Forme::EnSegment || b.forme == Forme::EnSegment) {
        const Primitive &s = a.forme == Forme::EnSegment ? a : b, &t = a.forme == Forme::EnSegment ? b : a;
        return CGAL::do_intersect(Segment(s.p[0], s.p[1]), Triangle(t.p[0], t.p[1], t.p[2]));
    }
    return CGAL::do_intersect(Triangle(a.p[0], a.p[1], a.p[2]), Triangle(b.p[0], b.p[1], b.p[2]));
}

// Whether the segment pq meets the triangle t as it stands, p and q not both its corners.
bool segmentRencontre(const point3 &p, const point3 &q, const point3 t[3])
{
    const point3 s[3] = {p, q, q};
    return seRencontrent(primitive(s), primitive(t));
}

} // namespace

bool trianglesSeCroisent(const point3 a[3], const point3 b[3], const std::vector<std::pair<int, int>> &communs)
{
    if (communs.empty())
        return seRencontrent(primitive(a), primitive(b));
    if (communs.size() >= 3)
        return true; // the same triangle twice
    if (communs.size() == 1) {
        // Sharing the vertex v: they meet elsewhere when the edge opposite v in one meets the
        // other (their common part is a segment from v, which ends on such an edge).
        const int i = communs[0].first, j = communs[0].second;
        return segmentRencontre(a[(i + 1) % 3], a[(i + 2) % 3], b) ||
               segmentRencontre(b[(j + 1) % 3], b[(j + 2) % 3], a);
    }
    // Sharing the edge uv: out of one plane they meet on uv only; in one plane, when their third
    // corners lie on the same side of uv.
    const int i0 = communs[0].first, i1 = communs[1].first;
    const int j0 = communs[0].second, j1 = communs[1].second;
    const Point u = versCgal(a[i0]), v = versCgal(a[i1]);
    const Point p = versCgal(a[3 - i0 - i1]), q = versCgal(b[3 - j0 - j1]);
    if (CGAL::collinear(u, v, p) || CGAL::collinear(u, v, q))
        return false; // a flat triangle along the edge covers nothing beyond it
    return CGAL::coplanar(u, v, p, q) && CGAL::coplanar_orientation(u, v, p, q) == CGAL::POSITIVE;
}

namespace {

using Cellule = std::array<std::int64_t, 3>;

/// A cell's key: 21 bits an axis.
std::uint64_t cle(const Cellule &c)
{
    return static_cast<std::uint64_t>(c[0]) << 42 ^ static_cast<std::uint64_t>(c[1]) << 21 ^
           static_cast<std::uint64_t>(c[2]);
}

/// A triangle over more cells than this (a long sliver) is kept out of the grid and tested
/// against the triangles whose boxes meet its own.
constexpr double GRANDE_BOITE = 64;

/// The triangles in a grid of cells: which have finite corners, each one's box (in cells and in
/// space), and those too large for the grid. `parmi`, when given, marks the triangles a pair
/// must hold one of.
struct GrilleDeTriangles
{
    const std::vector<point3> &sommets;
    const std::vector<std::array<int, 3>> &triangles;
    const std::vector<char> *parmi;
    std::size_t n;
    std::vector<char> fini;
    point3 bas;
    double cote = 0;
    std::vector<std::array<Cellule, 2>> boites;
    std::vector<std::array<point3, 2>> coins;
    std::vector<std::size_t> grands;
    std::vector<char> grand;

    GrilleDeTriangles(const std::vector<point3> &s, const std::vector<std::array<int, 3>> &t,
                      const std::vector<char> *p)
        : sommets(s), triangles(t), parmi(p), n(t.size())
    {}
    bool garde(std::size_t i) const { return !parmi || (*parmi)[i]; }
    Cellule celluleDe(const point3 &p) const
    {
        return Cellule{static_cast<std::int64_t>((p.x - bas.x) / cote), static_cast<std::int64_t>((p.y - bas.y) / cote),
                       static_cast<std::int64_t>((p.z - bas.z) / cote)};
    }
    /// Calls faire with the key of each cell of triangle i's box.
    template <class Faire> void parcourir(std::size_t i, const Faire &faire) const
    {
        for (std::int64_t x = boites[i][0][0]; x <= boites[i][1][0]; ++x)
            for (std::int64_t y = boites[i][0][1]; y <= boites[i][1][1]; ++y)
                for (std::int64_t z = boites[i][0][2]; z <= boites[i][1][2]; ++z)
                    faire(cle({x, y, z}));
    }

    /// The cell size: twice the mean edge, and no more than 2^20 cells along the box (a key
    /// holds 21 bits an axis). False when there is no such size (no finite triangle).
    bool dimensionner();
    /// Each finite triangle's box, in space and in cells; the large ones set apart.
    void encadrer();
    /// Whether triangles i and j cross, by exact predicates once their boxes meet.
    bool croisent(std::size_t i, std::size_t j) const;
};

bool GrilleDeTriangles::dimensionner()
{
    // A triangle with a corner that is not a number crosses nothing.
    fini.assign(n, 1);
    double aretes = 0;
    bas = point3(std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                 std::numeric_limits<double>::infinity());
    point3 haut = fois(bas, -1);
    for (std::size_t i = 0; i < n; ++i) {
        for (int k = 0; k < 3; ++k) {
            const point3 &p = sommets[static_cast<std::size_t>(triangles[i][k])];
            fini[i] = fini[i] && std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
        }
        for (int k = 0; k < 3 && fini[i]; ++k) {
            const point3 &p = sommets[static_cast<std::size_t>(triangles[i][k])];
            aretes += norme(sommets[static_cast<std::size_t>(triangles[i][(k + 1) % 3])] - p);
            bas = point3(std::min(bas.x, p.x), std::min(bas.y, p.y), std::min(bas.z, p.z));
            haut = point3(std::max(haut.x, p.x), std::max(haut.y, p.y), std::max(haut.z, p.z));
        }
    }
    const double etendue = std::max({haut.x - bas.x, haut.y - bas.y, haut.z - bas.z});
    cote = std::max(2 * aretes / static_cast<double>(3 * n), etendue / double(1 << 20));
    return cote > 0 && std::isfinite(cote) && std::isfinite(etendue);
}

void GrilleDeTriangles::encadrer()
{
    boites.resize(n);
    coins.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (!fini[i])
            continue;
        const std::array<int, 3> &t = triangles[i];
        point3 a = sommets[static_cast<std::size_t>(t[0])], b = a;
        for (int k = 1; k < 3; ++k) {
            const point3 &p = sommets[static_cast<std::size_t>(t[k])];
            a = point3(std::min(a.x, p.x), std::min(a.y, p.y), std::min(a.z, p.z));
            b = point3(std::max(b.x, p.x), std::max(b.y, p.y), std::max(b.z, p.z));
        }
        boites[i] = {celluleDe(a), celluleDe(b)};
        coins[i] = {a, b};
        double couvertes = 1;
        for (int k = 0; k < 3; ++k)
            couvertes *= static_cast<double>(boites[i][1][k] - boites[i][0][k] + 1);
        if (couvertes > GRANDE_BOITE)
            grands.push_back(i);
    }
    grand.assign(n, 0);
    for (std::size_t g : grands)
        grand[g] = 1;
}

bool GrilleDeTriangles::croisent(std::size_t i, std::size_t j) const
{
    const std::array<point3, 2> &u = coins[i], &w = coins[j];
    if (u[1].x < w[0].x || w[1].x < u[0].x || u[1].y < w[0].y || w[1].y < u[0].y || u[1].z < w[0].z || w[1].z < u[0].z)
        return false;
    const std::array<int, 3> &ti = triangles[i], &tj = triangles[j];
    std::vector<std::pair<int, int>> communs;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
            if (ti[static_cast<std::size_t>(a)] == tj[static_cast<std::size_t>(b)]) {
                communs.push_back({a, b});
                break;
            }
    const point3 a[3] = {sommets[static_cast<std::size_t>(ti[0])], sommets[static_cast<std::size_t>(ti[1])],
                         sommets[static_cast<std::size_t>(ti[2])]};
    const point3 b[3] = {sommets[static_cast<std::size_t>(tj[0])], sommets[static_cast<std::size_t>(tj[1])],
                         sommets[static_cast<std::size_t>(tj[2])]};
    return trianglesSeCroisent(a, b, communs);
}

/// The grid itself: (cell, triangle) pairs sorted, so that the triangles of a cell follow one
/// another, in their order; `cellules`, the [first, end) run of each cell that holds two
/// triangles or more, one of them kept, and `cles` its key. With marks, a pair is tested in a
/// cell of the marked triangle's box: only the cells of the marked ones are filled.
void remplir(const GrilleDeTriangles &g, std::vector<std::pair<std::uint64_t, int>> &grille,
             std::vector<std::pair<std::size_t, std::size_t>> &cellules, std::vector<std::uint64_t> &cles)
{
    std::unordered_set<std::uint64_t> marquees;
    if (g.parmi)
        for (std::size_t i = 0; i < g.n; ++i)
            if (g.fini[i] && !g.grand[i] && g.garde(i))
                g.parcourir(i, [&](std::uint64_t c) { marquees.insert(c); });
    for (std::size_t i = 0; i < g.n; ++i)
        if (g.fini[i] && !g.grand[i])
            g.parcourir(i, [&](std::uint64_t c) {
                if (!g.parmi || marquees.count(c))
                    grille.push_back({c, static_cast<int>(i)});
            });
    std::sort(grille.begin(), grille.end());
    for (std::size_t d = 0, f; d < grille.size(); d = f) {
        bool gardee = false;
        for (f = d; f < grille.size() && grille[f].first == grille[d].first; ++f)
            gardee = gardee || g.garde(static_cast<std::size_t>(grille[f].second));
        if (f - d > 1 && gardee) {
            cles.push_back(grille[d].first);
            cellules.push_back({d, f});
        }
    }
}

/// The crossing pairs among the triangles of the grid's cells, each looked at only in the first
/// cell the two boxes share; the cells shared out between `fils` threads.
std::vector<std::pair<int, int>> croisementsDansLaGrille(const GrilleDeTriangles &g, int fils)
{
    std::vector<std::pair<std::uint64_t, int>> grille;
    std::vector<std::pair<std::size_t, std::size_t>> cellules;
    std::vector<std::uint64_t> cles;
    remplir(g, grille, cellules, cles);
    std::vector<std::vector<std::pair<int, int>>> parCellule(cellules.size());
    enParallele(cellules.size(), filsEffectifs(fils), [&](std::size_t debut, std::size_t fin) {
        for (std::size_t c = debut; c < fin; ++c) {
            for (std::size_t u = cellules[c].first; u < cellules[c].second; ++u)
                for (std::size_t v = u + 1; v < cellules[c].second; ++v) {
                    const std::size_t i = static_cast<std::size_t>(grille[u].second);
                    const std::size_t j = static_cast<std::size_t>(grille[v].second);
                    const Cellule premiere{std::max(g.boites[i][0][0], g.boites[j][0][0]),
                                           std::max(g.boites[i][0][1], g.boites[j][0][1]),
                                           std::max(g.boites[i][0][2], g.boites[j][0][2])};
                    if ((g.garde(i) || g.garde(j)) && cle(premiere) == cles[c] && g.croisent(i, j))
                        parCellule[c].push_back(std::minmax(grille[u].second, grille[v].second));
                }
        }
    });
    std::vector<std::pair<int, int>> paires;
    for (const std::vector<std::pair<int, int>> &ici : parCellule)
        paires.insert(paires.end(), ici.begin(), ici.end());
    return paires;
}

} // namespace

std::vector<std::pair<int, int>> trianglesQuiSeCroisent(const std::vector<point3> &sommets,
                                                        const std::vector<std::array<int, 3>> &triangles, int fils,
                                                        const std::vector<char> *parmi)
{
    std::vector<std::pair<int, int>> paires;
    if (triangles.size() < 2)
        return paires;
    GrilleDeTriangles g{sommets, triangles, parmi};
    if (!g.dimensionner())
        return paires;
    g.encadrer();
    paires = croisementsDansLaGrille(g, fils);
    // The large triangles against every other one whose box meets theirs.
    const std::size_t n = g.n;
    for (std::size_t a : g.grands)
        for (std::size_t j = 0; j < n; ++j) {
            if (j == a || !g.fini[j] || (g.grand[j] && j < a) || !(g.garde(a) || g.garde(j)))
                continue;
            bool loin = false;
            for (int k = 0; k < 3; ++k)
                loin = loin || g.boites[j][0][k] > g.boites[a][1][k] || g.boites[j][1][k] < g.boites[a][0][k];
            if (!loin && g.croisent(a, j))
                paires.push_back(std::minmax(static_cast<int>(a), static_cast<int>(j)));
        }
    std::sort(paires.begin(), paires.end());
    return paires;
}

std::size_t pairesQuiSeCroisent(const std::vector<point3> &sommets, const std::vector<std::array<int, 3>> &triangles,
                                int fils)
{
    return trianglesQuiSeCroisent(sommets, triangles, fils).size();
}

std::size_t pairesQuiSeCroisent(const Maillage &m, int fils)
{
    return pairesQuiSeCroisent(m.listeSommets, trianglesDe(m), fils);
}

MesureSolide mesurerSolide(const std::vector<point3> &sommets, const std::vector<std::array<int, 3>> &triangles)
{
    MesureSolide r;
    if (sommets.empty())
        return r;
    point3 bas = sommets[0], haut = sommets[0];
    for (const point3 &p : sommets) {
        bas = point3(std::min(bas.x, p.x), std::min(bas.y, p.y), std::min(bas.z, p.z));
        haut = point3(std::max(haut.x, p.x), std::max(haut.y, p.y), std::max(haut.z, p.z));
    }
    const point3 c = fois(bas + haut, 0.5);
    const auto n = static_cast<int>(sommets.size());
    for (const std::array<int, 3> &t : triangles) {
        if (t[0] < 0 || t[1] < 0 || t[2] < 0 || t[0] >= n || t[1] >= n || t[2] >= n)
            continue;
        const point3 a = sommets[static_cast<std::size_t>(t[0])] - c, b = sommets[static_cast<std::size_t>(t[1])] - c,
                     d = sommets[static_cast<std::size_t>(t[2])] - c;
        r.volume += scal(a, vect(b, d)) / 6;
        r.aire += 0.5 * norme(vect(b - a, d - a));
    }
    return r;
}

MesureSolide mesurerSolide(const Maillage &m)
{
    return mesurerSolide(m.listeSommets, trianglesDe(m));
}
