#include "Bruit.h"

#include "ArbrePoints.h"
#include "Parallele.h"
#include "Vecteurs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

void axesPropres(double a[3][3], double valeurs[3], point3 axes[3])
{
    double v[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int balayage = 0; balayage < BALAYAGES_DE_JACOBI; ++balayage) {
        const double horsDiagonale = a[0][1] * a[0][1] + a[0][2] * a[0][2] + a[1][2] * a[1][2];
        const double diagonale = a[0][0] * a[0][0] + a[1][1] * a[1][1] + a[2][2] * a[2][2];
        if (!(horsDiagonale > DIAGONALE_DE_JACOBI * diagonale))
            break;
        for (int p = 0; p < 2; ++p)
            for (int q = p + 1; q < 3; ++q) {
                if (a[p][q] == 0)
                    continue;
                const double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
                const double t = (theta >= 0 ? 1.0 : -1.0) / (std::abs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1), s = t * c;
                for (int k = 0; k < 3; ++k) { // columns p and q
                    const double akp = a[k][p], akq = a[k][q];
                    a[k][p] = c * akp - s * akq;
                    a[k][q] = s * akp + c * akq;
                }
                for (int k = 0; k < 3; ++k) { // rows p and q
                    const double apk = a[p][k], aqk = a[q][k];
                    a[p][k] = c * apk - s * aqk;
                    a[q][k] = s * apk + c * aqk;
                }
                for (int k = 0; k < 3; ++k) {
                    const double vkp = v[k][p], vkq = v[k][q];
                    v[k][p] = c * vkp - s * vkq;
                    v[k][q] = s * vkp + c * vkq;
                }
            }
    }
    std::array<int, 3> ordre{0, 1, 2};
    std::sort(ordre.begin(), ordre.end(), [&](int i, int j) { return a[i][i] < a[j][j]; });
    for (int k = 0; k < 3; ++k) {
        valeurs[k] = a[ordre[k]][ordre[k]];
        axes[k] = point3(v[0][ordre[k]], v[1][ordre[k]], v[2][ordre[k]]);
    }
}

namespace {

// Solves the 6x6 symmetric positive system m x = b by Cholesky; false when it is not positive
// enough to trust (the points span no surface).
bool resoudre6(double m[6][6], double b[6], double x[6])
{
    double l[6][6] = {};
    for (int j = 0; j < 6; ++j) {
        double d = m[j][j];
        for (int k = 0; k < j; ++k)
            d -= l[j][k] * l[j][k];
        if (!(d > PIVOT_DE_CHOLESKY * m[j][j]) || !(d > 0))
            return false;
        l[j][j] = std::sqrt(d);
        for (int i = j + 1; i < 6; ++i) {
            double s = m[i][j];
            for (int k = 0; k < j; ++k)
                s -= l[i][k] * l[j][k];
            l[i][j] = s / l[j][j];
        }
    }
    double y[6];
    for (int i = 0; i < 6; ++i) {
        double s = b[i];
        for (int k = 0; k < i; ++k)
            s -= l[i][k] * y[k];
        y[i] = s / l[i][i];
    }
    for (int i = 5; i >= 0; --i) {
        double s = y[i];
        for (int k = i + 1; k < 6; ++k)
            s -= l[k][i] * x[k];
        x[i] = s / l[i][i];
    }
    return true;
}

// The quadric h(u, v) = c0 + c1 u + c2 v + c3 u² + c4 uv + c5 v² over the tangent plane of the
// weighted points: its frame (origin, two tangents, normal, the unit of u and v) and its
// coefficients. `n` points, weights `w` (none: all one).
struct Quadrique
{
    point3 origine, t1, t2, normale;
    double unite = 1;
    double c[6] = {};

    static void monomes(double u, double v, double a[6])
    {
        a[0] = 1;
        a[1] = u;
        a[2] = v;
        a[3] = u * u;
        a[4] = u * v;
        a[5] = v * v;
    }

    bool ajuster(const point3 *p, const double *w, int n)
    {
        double somme = 0;
        point3 g;
        for (int k = 0; k < n; ++k) {
            const double wk = w ? w[k] : 1.0;
            g += fois(p[k], wk);
            somme += wk;
        }
        if (!(somme > 0))
            return false;
        origine = fois(g, 1 / somme);
        double a[3][3] = {};
        double rayon = 0;
        for (int k = 0; k < n; ++k) {
            const point3 d = p[k] - origine;
            const double wk = w ? w[k] : 1.0;
            const double e[3] = {d.x, d.y, d.z};
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    a[i][j] += wk * e[i] * e[j];
            rayon = std::max(rayon, carre(d));
        }
        if (!(rayon > 0))
            return false;
        unite = std::sqrt(rayon);
        double valeurs[3];
        point3 axes[3];
        axesPropres(a, valeurs, axes);
        normale = axes[0];
        t1 = axes[2];
        t2 = axes[1];
        double m[6][6] = {}, b[6] = {};
        for (int k = 0; k < n; ++k) {
            const point3 d = p[k] - origine;
            double mono[6];
            monomes(scal(d, t1) / unite, scal(d, t2) / unite, mono);
            const double h = scal(d, normale), wk = w ? w[k] : 1.0;
            for (int i = 0; i < 6; ++i) {
                b[i] += wk * mono[i] * h;
                for (int j = 0; j < 6; ++j)
                    m[i][j] += wk * mono[i] * mono[j];
            }
        }
        return resoudre6(m, b, c);
    }

    double hauteur(double u, double v) const
    {
        double mono[6];
        monomes(u, v, mono);
        double h = 0;
        for (int i = 0; i < 6; ++i)
            h += c[i] * mono[i];
        return h;
    }

    point3 projete(const point3 &q) const
    {
        const point3 d = q - origine;
        const double u = scal(d, t1), v = scal(d, t2);
        return origine + fois(t1, u) + fois(t2, v) + fois(normale, hauteur(u / unite, v / unite));
    }
};

// The residual per degree of freedom left about the quadric of the n first points; -1 when it
// cannot be fitted. `milieu`, when given, receives the share of the points within a quarter of
// that residual of the quadric.
double residuParDegre(const point3 *p, int n, double *milieu = nullptr)
{
    Quadrique q;
    if (n <= 6 || !q.ajuster(p, nullptr, n))
        return -1;
    double r[ArbrePoints::K_MAXIMUM];
    double somme = 0;
    for (int k = 0; k < n; ++k) {
        const point3 d = p[k] - q.origine;
        r[k] = scal(d, q.normale) - q.hauteur(scal(d, q.t1) / q.unite, scal(d, q.t2) / q.unite);
        somme += r[k] * r[k];
    }
    const double residu = std::sqrt(somme / (n - 6));
    if (milieu) {
        int dedans = 0;
        for (int k = 0; k < n; ++k)
            dedans += std::abs(r[k]) <= MILIEU_EN_RESIDUS * residu;
        *milieu = static_cast<double>(dedans) / n;
    }
    return residu;
}

double mediane(std::vector<double> v)
{
    v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return !(x >= 0); }), v.end());
    if (v.empty())
        return 0;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

} // namespace

MesureBruit mesurerBruit(const ArbrePoints &arbre, std::size_t echantillons, int fils)
{
    constexpr int large = VOISINS_LARGES_DU_BRUIT, etroit = VOISINS_ETROITS_DU_BRUIT,
                  espacement = ESPACEMENT_DU_BRUIT;
    const std::vector<point3> &points = arbre.points();
    const std::size_t n = points.size();
    MesureBruit m;
    if (n < static_cast<std::size_t>(large) || echantillons == 0)
        return m;
    const std::size_t e = std::min(n, echantillons);
    std::vector<double> residus(e, -1), rapports(e, -1), milieux(e, -1);
    enParallele(e, fils, [&](std::size_t debut, std::size_t fin) {
        std::uint32_t cases[large];
        double d2[large];
        point3 proches[large];
        for (std::size_t k = debut; k < fin; ++k) {
            const point3 &p = points[k * n / e];
            arbre.plusProches(p, large, cases, d2);
            for (int i = 0; i < large; ++i)
                proches[i] = points[cases[i]];
            double milieu = -1;
            const double a = residuParDegre(proches, large, &milieu), b = residuParDegre(proches, etroit);
            const double pas = std::sqrt(d2[espacement - 1]);
            if (a >= 0 && pas > 0)
                residus[k] = a / pas;
            if (a > 0 && b >= 0)
                rapports[k] = b / a;
            if (a > 0)
                milieux[k] = milieu;
        }
    });
    m.residu = mediane(std::move(residus));
    m.rapport = mediane(std::move(rapports));
    m.milieu = mediane(std::move(milieux));
    return m;
}

void ramenerSurLesQuadriques(std::vector<point3> &points, int voisins, int passes, int fils)
{
    const int k = std::clamp(voisins, VOISINS_MINIMUM_DU_LISSAGE, ArbrePoints::K_MAXIMUM);
    if (points.size() < static_cast<std::size_t>(k))
        return;
    std::vector<point3> ramenes(points.size());
    for (int passe = 0; passe < passes; ++passe) {
        const ArbrePoints arbre(points, fils, false);
        enParallele(points.size(), fils, [&](std::size_t debut, std::size_t fin) {
            std::uint32_t cases[ArbrePoints::K_MAXIMUM];
            double d2[ArbrePoints::K_MAXIMUM], w[ArbrePoints::K_MAXIMUM];
            point3 proches[ArbrePoints::K_MAXIMUM];
            for (std::size_t i = debut; i < fin; ++i) {
                arbre.plusProches(points[i], k, cases, d2);
                // Weights falling with the distance over a share of that of the farthest neighbour.
                const double echelle = d2[k - 1] * (PORTEE_DES_POIDS * PORTEE_DES_POIDS);
                for (int j = 0; j < k; ++j) {
                    proches[j] = arbre.points()[cases[j]];
                    w[j] = echelle > 0 ? std::exp(-d2[j] / echelle) : 1.0;
                }
                Quadrique q;
                ramenes[i] = q.ajuster(proches, w, k) ? q.projete(points[i]) : points[i];
            }
        });
        points.swap(ramenes);
    }
}
