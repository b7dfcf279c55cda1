#include "simplex_fixtures.h"

#include <gtest/gtest.h>

#include "Resultat.h"
#include "distance.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <unordered_map>
#include <utility>

#include "support.h"

namespace tarnis_test {

namespace {

double norme(const point3 &p)
{
    return std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
}

point3 surSphere(const point3 &p, double rayon)
{
    const double n = norme(p);
    return point3(p.x * rayon / n, p.y * rayon / n, p.z * rayon / n);
}

/// Turns every face of a convex mesh around the origin so that it faces outwards.
void orienterVersExterieur(const std::vector<point3> &sommets, std::vector<Face> &faces)
{
    for (Face &f : faces) {
        const point3 &a = sommets[f.s1], &b = sommets[f.s2], &c = sommets[f.s3];
        const vector3 n = vector3(a, b) ^ vector3(a, c);
        const vector3 centre(a.x + b.x + c.x, a.y + b.y + c.y, a.z + b.z + c.z);
        if (n * centre < 0)
            std::swap(f.s2, f.s3);
    }
}

} // namespace

void tetraedre(double rayon, std::vector<point3> &sommets, std::vector<Face> &faces)
{
    const double k = rayon / std::sqrt(3.0);
    sommets = {point3(k, k, k), point3(k, -k, -k), point3(-k, k, -k), point3(-k, -k, k)};
    faces = {{0, 1, 2}, {0, 1, 3}, {0, 2, 3}, {1, 2, 3}};
    orienterVersExterieur(sommets, faces);
}

void octaedre(double rayon, std::vector<point3> &sommets, std::vector<Face> &faces)
{
    sommets = {point3(rayon, 0, 0),  point3(-rayon, 0, 0), point3(0, rayon, 0),
               point3(0, -rayon, 0), point3(0, 0, rayon),  point3(0, 0, -rayon)};
    faces.clear();
    for (int x : {0, 1})
        for (int y : {2, 3})
            for (int z : {4, 5})
                faces.push_back({x, y, z});
    orienterVersExterieur(sommets, faces);
}

void icosaedreSubdivise(int niveaux, double rayon, std::vector<point3> &sommets, std::vector<Face> &faces)
{
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    sommets = {point3(-1, t, 0), point3(1, t, 0), point3(-1, -t, 0), point3(1, -t, 0),
               point3(0, -1, t), point3(0, 1, t), point3(0, -1, -t), point3(0, 1, -t),
               point3(t, 0, -1), point3(t, 0, 1), point3(-t, 0, -1), point3(-t, 0, 1)};
    for (point3 &p : sommets)
        p = surSphere(p, rayon);
    faces = {{0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
             {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
             {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    orienterVersExterieur(sommets, faces);
    for (int n = 0; n < niveaux; ++n) {
        std::map<std::pair<int, int>, int> milieux;
        auto milieu = [&](int a, int b) {
            const auto ajout = milieux.try_emplace(std::minmax(a, b), static_cast<int>(sommets.size()));
            if (ajout.second)
                sommets.push_back(surSphere((sommets[a] + sommets[b]) / 2.0, rayon));
            return ajout.first->second;
        };
        std::vector<Face> nouvelles;
        for (const Face &f : faces) {
            const int ab = milieu(f.s1, f.s2), bc = milieu(f.s2, f.s3), ca = milieu(f.s3, f.s1);
            nouvelles.insert(nouvelles.end(), {{f.s1, ab, ca}, {ab, f.s2, bc}, {ca, bc, f.s3}, {ab, bc, ca}});
        }
        faces.swap(nouvelles);
    }
}

void construireDual(Simplex &s, const std::vector<point3> &sommets, const std::vector<Face> &faces)
{
    const int nf = static_cast<int>(faces.size());
    // Directed edge a -> b to the face in which it runs that way.
    std::map<std::pair<int, int>, int> arete;
    for (int i = 0; i < nf; ++i) {
        const Face &f = faces[i];
        for (const auto &ab : {std::make_pair(f.s1, f.s2), std::make_pair(f.s2, f.s3), std::make_pair(f.s3, f.s1)})
            arete[ab] = i;
    }
    std::vector<point3> centres;
    std::vector<std::array<int, 3>> voisins;
    for (const Face &f : faces) {
        centres.push_back((sommets[f.s1] + sommets[f.s2] + sommets[f.s3]) / 3.0);
        voisins.push_back({{arete.at({f.s2, f.s1}), arete.at({f.s3, f.s2}), arete.at({f.s1, f.s3})}});
    }
    // Faces around each vertex, counter-clockwise from outside: after face (v, a, b) comes the
    // face in which v is followed by b.
    std::vector<int> uneFace(sommets.size(), -1);
    for (int i = 0; i < nf; ++i)
        for (int v : {faces[i].s1, faces[i].s2, faces[i].s3})
            if (uneFace[v] < 0)
                uneFace[v] = i;
    std::vector<std::vector<int>> mailles;
    for (std::size_t v = 0; v < sommets.size(); ++v) {
        if (uneFace[v] < 0)
            continue;
        mailles.emplace_back();
        int f = uneFace[v];
        do {
            mailles.back().push_back(f);
            const Face &t = faces[f];
            const int b = t.s1 == static_cast<int>(v) ? t.s3 : t.s2 == static_cast<int>(v) ? t.s1 : t.s2;
            f = arete.at({static_cast<int>(v), b});
        } while (f != uneFace[v]);
    }
    const Resultat r = s.construire(centres, voisins, mailles);
    if (!r)
        ADD_FAILURE() << r.texte();
}

namespace {
template <typename Forme, typename... Args> void dualDe(Simplex &s, Forme forme, Args... args)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    forme(args..., sommets, faces);
    captureStdout([&] { construireDual(s, sommets, faces); });
}
} // namespace

void tetraedreDual(Simplex &s, double rayon)
{
    dualDe(s, tetraedre, rayon);
}
void cubeDual(Simplex &s, double rayon)
{
    dualDe(s, octaedre, rayon);
}
void icosaedreDual(Simplex &s, int niveaux, double rayon)
{
    dualDe(s, icosaedreSubdivise, niveaux, rayon);
}

std::vector<point3> positions(const std::vector<PointSimplex *> &liste)
{
    std::vector<point3> r;
    for (const PointSimplex *p : liste)
        r.push_back(p->Position);
    return r;
}

void attendreInvariants(const Simplex &s, const OptionsInvariants &options)
{
    const std::vector<std::string> fautes = verifierInvariants(s, options);
    EXPECT_TRUE(fautes.empty()) << fautes.size() << " faults, first: " << (fautes.empty() ? "" : fautes.front());
}

std::vector<std::string> verifierInvariants(const Simplex &s, const OptionsInvariants &options)
{
    std::vector<std::string> fautes;
    auto faute = [&fautes](const std::string &quoi, std::size_t i) {
        if (fautes.size() < 50)
            fautes.push_back(quoi + " " + std::to_string(i));
    };
    const auto &points = s.ListePointsSimplex;
    const std::size_t n = points.size();
    std::unordered_map<const PointSimplex *, std::size_t> indice;
    for (std::size_t i = 0; i < n; ++i)
        if (!indice.emplace(points[i], i).second)
            faute("record twice in the mesh:", i);
    auto voisins = [](const PointSimplex *p) {
        return std::array<const PointSimplex *, 3>{p->Voisin1, p->Voisin2, p->Voisin3};
    };
    auto estVoisin = [](const PointSimplex *p, const PointSimplex *q) {
        return p->Voisin1 == q || p->Voisin2 == q || p->Voisin3 == q;
    };
    for (std::size_t i = 0; i < n; ++i) {
        const auto v = voisins(points[i]);
        for (const PointSimplex *w : v)
            if (!w || w == points[i] || !indice.count(w) || !estVoisin(w, points[i]))
                faute("null, self, foreign or one-way neighbour at point", i);
        if (v[0] == v[1] || v[0] == v[2] || v[1] == v[2])
            faute("two neighbours the same at point", i);
    }
    std::map<std::pair<const PointSimplex *, const PointSimplex *>, int> aretesOrientees;
    std::unordered_map<const PointSimplex *, int> cellulesParPoint;
    for (std::size_t c = 0; c < s.ListeMailles.size(); ++c) {
        const Maille &m = *s.ListeMailles[c];
        if (m.size() < 3 || std::set<const PointSimplex *>(m.begin(), m.end()).size() != m.size())
            faute("fewer than three points or a repeat in cell", c);
        for (std::size_t j = 0; j < m.size(); ++j) {
            const PointSimplex *a = m[j], *b = m[(j + 1) % m.size()];
            if (!indice.count(a) || !estVoisin(a, b))
                faute("foreign point or non-neighbours in cell", c);
            ++aretesOrientees[{a, b}];
            ++cellulesParPoint[a];
        }
    }
    if (options.orientation)
        for (const auto &e : aretesOrientees)
            if (e.second != 1 || !aretesOrientees.count({e.first.second, e.first.first}))
                faute("cell edge not run once each way, count", e.second);
    if (options.genre0) {
        if (s.ListeMailles.size() != n / 2 + 2 || n % 2 != 0)
            faute("not N/2 + 2 cells for N points; cells:", s.ListeMailles.size());
        for (std::size_t i = 0; i < n; ++i)
            if (cellulesParPoint[points[i]] != 3)
                faute("not in three cells: point", i);
    }
    if (!options.compagnons)
        return fautes;
    const auto &suivants = s.ListePointsSuivants;
    if (suivants.size() != n || s.ListePointsPrecedents.size() != n ||
        s.ListeMaillesSuivantes.size() != s.ListeMailles.size()) {
        faute("companion lists of other sizes than the mesh; points:", n);
        return fautes;
    }
    // The companion of a record of the mesh (null for others).
    auto compagnon = [&](const PointSimplex *p) -> const PointSimplex * {
        const auto it = indice.find(p);
        return it == indice.end() ? nullptr : suivants[it->second];
    };
    for (std::size_t i = 0; i < n; ++i)
        for (int k = 0; k < 3; ++k)
            if (compagnon(voisins(points[i])[k]) && voisins(suivants[i])[k] != compagnon(voisins(points[i])[k]))
                faute("companion neighbours do not match at point", i);
    for (std::size_t c = 0; c < s.ListeMailles.size(); ++c) {
        const Maille &m = *s.ListeMailles[c], &ms = *s.ListeMaillesSuivantes[c];
        bool pareil = m.size() == ms.size();
        for (std::size_t j = 0; pareil && j < m.size(); ++j)
            pareil = compagnon(m[j]) && ms[j] == compagnon(m[j]);
        if (!pareil)
            faute("companion cell does not follow cell", c);
    }
    return fautes;
}

std::vector<point3> nuageEllipsoide(int n, double a, double b, double c)
{
    std::vector<point3> points;
    points.reserve(static_cast<std::size_t>(n));
    const double or_ = (1.0 + std::sqrt(5.0)) / 2.0;
    const double pi = 3.141592653589793;
    for (int i = 0; i < n; ++i) {
        const double z = 1.0 - (2.0 * i + 1.0) / n;
        const double r = std::sqrt(std::max(0.0, 1.0 - z * z));
        const double phi = 2.0 * pi * i / or_;
        points.emplace_back(a * r * std::cos(phi), b * r * std::sin(phi), c * z);
    }
    return points;
}

bool ecrireFichierPTS(const std::string &chemin, const std::vector<point3> &points)
{
    std::ostringstream texte;
    texte.precision(17);
    texte << "PTS\n" << points.size() << "\n";
    for (const point3 &p : points)
        texte << p.x << ' ' << p.y << ' ' << p.z << '\n';
    return writeFile(chemin, texte.str());
}

double ecartEllipsoide(const point3 &p, double a, double b, double c)
{
    const double s = std::sqrt(p.x * p.x / (a * a) + p.y * p.y / (b * b) + p.z * p.z / (c * c));
    return norme(p) * std::fabs(1.0 - 1.0 / s);
}

double distanceBrute(const point3 &p, const Maillage &m)
{
    double d = std::numeric_limits<double>::infinity();
    for (const Face &f : m.listeFaces)
        d = std::min(d, distancePointTriangle(p, m.listeSommets[f.s1], m.listeSommets[f.s2], m.listeSommets[f.s3]));
    return d;
}

double plusProcheBrute(const point3 &p, const std::vector<point3> &points)
{
    double d = std::numeric_limits<double>::infinity();
    for (const point3 &q : points)
        d = std::min(d, vector3(p, q).norme());
    return d;
}

KdPtr kdSur(const std::vector<point3> &points)
{
    KdPtr arbre(kd_make(3));
    kd_build3(arbre.get(), points);
    return arbre;
}

} // namespace tarnis_test
