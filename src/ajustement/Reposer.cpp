#include "Reposer.h"

#include "ArbrePoints.h"
#include "Parallele.h"
#include "TableAjustement.h"
#include "Vecteurs.h"
#include "distance.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

// The least-squares system of one round, for a move of every point: rows of the cloud points
// (each the offset along a triangle's normal, on the points of one cell) and rows of the
// neighbours (each point against the mean of its three, as a vector), solved by conjugate
// gradients on the normal equations.
struct Systeme
{
    // Cloud rows, compressed: the entries of row r are [debut[r], debut[r + 1]).
    std::vector<std::size_t> debut;
    std::vector<int> colonne;
    std::vector<double> valeur;
    std::vector<point3> normale; // of each cloud row
    std::vector<double> second;  // right-hand side of each cloud row
    // The same entries by point: those of point i are [parPoint[i], parPoint[i + 1]).
    std::vector<std::size_t> parPoint;
    std::vector<std::size_t> ligneDe, entreeDe;
    const std::vector<std::array<int, 3>> *voisins = nullptr;
    std::vector<point3> secondLisse; // right-hand side of the neighbour rows
    double mu = 0, lambda = 0;
    int fils = 1;

    std::size_t lignes() const { return second.size(); }

    void transposer(std::size_t n)
    {
        parPoint.assign(n + 1, 0);
        for (int c : colonne)
            ++parPoint[static_cast<std::size_t>(c) + 1];
        for (std::size_t i = 0; i < n; ++i)
            parPoint[i + 1] += parPoint[i];
        std::vector<std::size_t> place(parPoint.begin(), parPoint.end() - 1);
        ligneDe.resize(colonne.size());
        entreeDe.resize(colonne.size());
        for (std::size_t r = 0; r < lignes(); ++r)
            for (std::size_t e = debut[r]; e < debut[r + 1]; ++e) {
                const std::size_t k = place[static_cast<std::size_t>(colonne[e])]++;
                ligneDe[k] = r;
                entreeDe[k] = e;
            }
    }

    point3 laplacien(const std::vector<point3> &x, std::size_t i) const
    {
        const std::array<int, 3> &v = (*voisins)[i];
        return fois(x[i] - fois(x[v[0]] + x[v[1]] + x[v[2]], 1.0 / 3.0), mu);
    }

    // The cloud rows and the neighbour rows of A x.
    void produit(const std::vector<point3> &x, std::vector<double> &qd, std::vector<point3> &ql) const
    {
        qd.resize(lignes());
        enParallele(lignes(), fils, [&](std::size_t debutTranche, std::size_t fin) {
            for (std::size_t r = debutTranche; r < fin; ++r) {
                point3 s(0, 0, 0);
                for (std::size_t e = debut[r]; e < debut[r + 1]; ++e)
                    s += fois(x[static_cast<std::size_t>(colonne[e])], valeur[e]);
                qd[r] = scal(s, normale[r]);
            }
        });
        ql.resize(x.size());
        enParallele(x.size(), fils, [&](std::size_t debutTranche, std::size_t fin) {
            for (std::size_t i = debutTranche; i < fin; ++i)
                ql[i] = laplacien(x, i);
        });
    }

    // s = A^T y - lambda^2 x (the neighbour rows are their own transpose: the neighbours of a
    // point are those it is a neighbour of).
    void transpose(const std::vector<double> &yd, const std::vector<point3> &yl, const std::vector<point3> &x,
                   std::vector<point3> &s) const
    {
        s.resize(x.size());
        enParallele(x.size(), fils, [&](std::size_t debutTranche, std::size_t fin) {
            for (std::size_t i = debutTranche; i < fin; ++i) {
                point3 t = laplacien(yl, i);
                for (std::size_t k = parPoint[i]; k < parPoint[i + 1]; ++k)
                    t += fois(normale[ligneDe[k]], valeur[entreeDe[k]] * yd[ligneDe[k]]);
                s[i] = t - fois(x[i], lambda * lambda);
            }
        });
    }
};

double carreDe(const std::vector<double> &v)
{
    double s = 0;
    for (double x : v)
        s += x * x;
    return s;
}

double carreDe(const std::vector<point3> &v)
{
    double s = 0;
    for (const point3 &x : v)
        s += carre(x);
    return s;
}

// Least squares of the system with damping, by conjugate gradients on the normal equations: a
// few tens of iterations bring the residual down a thousandfold, which is all the fit needs; a
// long reach across the surface needs more.
std::vector<point3> resoudre(const Systeme &A, std::size_t n, int iterations)
{
    std::vector<point3> x(n, point3(0, 0, 0)), rl = A.secondLisse, s, p, ql;
    std::vector<double> rd = A.second, qd;
    A.transpose(rd, rl, x, s);
    p = s;
    double gamma = carreDe(s);
    const double gamma0 = gamma;
    for (int it = 0; it < iterations && gamma > RESIDU_DU_REPOS * gamma0 && gamma > 0; ++it) {
        A.produit(p, qd, ql);
        const double delta = carreDe(qd) + carreDe(ql) + A.lambda * A.lambda * carreDe(p);
        if (!(delta > 0))
            break;
        const double alpha = gamma / delta;
        for (std::size_t i = 0; i < n; ++i) {
            x[i] += fois(p[i], alpha);
            rl[i] = rl[i] - fois(ql[i], alpha);
        }
        for (std::size_t r = 0; r < rd.size(); ++r)
            rd[r] -= alpha * qd[r];
        A.transpose(rd, rl, x, s);
        const double suivant = carreDe(s);
        const double beta = suivant / gamma;
        gamma = suivant;
        for (std::size_t i = 0; i < n; ++i)
            p[i] = s[i] + fois(p[i], beta);
    }
    return x;
}

// The points of the cloud farther than `loin` from the surface (ecart: each one's distance) with
// at least two of their VOISINS nearest points closer to them than to the surface, and off it by
// more than half of `loin`: parts of the scan the surface does not follow. A stray point beside
// the surface has the surface's own points for nearest neighbours, or other strays as far off as
// the surface, and is not one of them.
std::vector<char> partiesLointaines(const std::vector<point3> &nuage, const std::vector<double> &ecart, double loin,
                                    int fils)
{
    constexpr int VOISINS = VOISINS_DES_PARTIES_LOINTAINES;
    std::vector<char> partie(nuage.size(), 0);
    std::vector<std::size_t> candidats;
    for (std::size_t r = 0; r < nuage.size(); ++r)
        if (ecart[r] > loin)
            candidats.push_back(r);
    if (candidats.empty())
        return partie;
    const ArbrePoints arbre(nuage, fils, false);
    enParallele(candidats.size(), fils, [&](std::size_t debut, std::size_t fin) {
        std::uint32_t cases[VOISINS + 1];
        double d2[VOISINS + 1];
        for (std::size_t k = debut; k < fin; ++k) {
            const std::size_t r = candidats[k];
            const int trouves = arbre.plusProches(nuage[r], VOISINS + 1, cases, d2);
            int loins = 0;
            for (int e = 0; e < trouves; ++e) {
                const std::size_t v = arbre.indice(cases[e]);
                loins += v != r && ecart[v] > PARTIE_SERREE * loin &&
                         d2[e] < PARTIE_SERREE * PARTIE_SERREE * ecart[r] * ecart[r];
            }
            partie[r] = loins >= 2;
        }
    });
    return partie;
}

/// Whether each point is a neighbour of its neighbours (each neighbour row is then its own
/// transpose), all of them points of the mesh.
bool voisinageSymetrique(const std::vector<std::array<int, 3>> &voisins)
{
    const std::size_t n = voisins.size();
    for (std::size_t i = 0; i < n; ++i)
        for (int k = 0; k < 3; ++k) {
            const int j = voisins[i][k];
            if (j < 0 || static_cast<std::size_t>(j) >= n)
                return false;
            const std::array<int, 3> &w = voisins[static_cast<std::size_t>(j)];
            if (std::find(w.begin(), w.end(), static_cast<int>(i)) == w.end())
                return false;
        }
    return true;
}

/// The surface the points stand for, as triangles: every cell fanned round the mean of its
/// points (appended to the points in `sommets`); `origine`, the cell and rank of the first
/// corner of each face.
void enEventail(const std::vector<point3> &X, const std::vector<std::vector<int>> &mailles,
                std::vector<point3> &sommets, std::vector<std::array<int, 3>> &faces,
                std::vector<std::pair<int, int>> &origine)
{
    sommets = X;
    for (std::size_t c = 0; c < mailles.size(); ++c) {
        const std::vector<int> &m = mailles[c];
        point3 g(0, 0, 0);
        for (int i : m)
            g += X[i];
        const int centre = static_cast<int>(sommets.size());
        sommets.push_back(fois(g, 1.0 / static_cast<double>(m.size())));
        for (std::size_t j = 0; j < m.size(); ++j) {
            faces.push_back({centre, m[j], m[(j + 1) % m.size()]});
            origine.emplace_back(static_cast<int>(c), static_cast<int>(j));
        }
    }
}

/// One round's view of the cloud against the fanned surface: each cloud point's nearest face
/// and its distance, the far parts, and whether the round is one that reaches them.
struct VueDuNuage
{
    const std::vector<point3> &nuage;
    const std::vector<std::size_t> &faceDe;
    const std::vector<double> &ecartFace;
    const std::vector<char> &lointaine;
    bool atteindre;
    std::size_t premierSeul; ///< the lone points from here on pull only in the rounds that reach
};

/// The cloud rows of the system: each cloud point on the plane of its nearest triangle (a point
/// of a far part straight towards itself), spread over the points of that triangle's cell.
/// Returns the largest distance from a cloud point to the surface.
double lignesDuNuage(Systeme &A, const VueDuNuage &vue, const std::vector<std::vector<int>> &mailles,
                     const std::vector<point3> &sommets, const std::vector<std::array<int, 3>> &faces,
                     const std::vector<std::pair<int, int>> &origine, const ReglagesRepos &reglages)
{
    const std::vector<point3> &nuage = vue.nuage;
    A.debut.assign(1, 0);
    A.colonne.clear();
    A.valeur.clear();
    A.normale.clear();
    A.second.clear();
    double plusLoin = 0;
    for (std::size_t r = 0; r < nuage.size(); ++r) {
        const std::size_t f = vue.faceDe[r];
        if (f >= faces.size())
            continue;
        if (!vue.atteindre && r >= vue.premierSeul) {
            plusLoin = std::max(plusLoin, vue.ecartFace[r]);
            continue;
        }
        const auto [c, j] = origine[f];
        const std::vector<int> &m = mailles[static_cast<std::size_t>(c)];
        const point3 &g = sommets[faces[f][0]], &a = sommets[faces[f][1]], &b = sommets[faces[f][2]];
        point3 normale = vect(a - g, b - g);
        const double l = norme(normale);
        if (!(l > 0))
            continue;
        normale = fois(normale, 1.0 / l);
        double w[3];
        plusProcheSurTriangle(nuage[r], g, a, b, w);
        const point3 q = fois(g, w[0]) + fois(a, w[1]) + fois(b, w[2]);
        const double d = norme(nuage[r] - q);
        plusLoin = std::max(plusLoin, d);
        // A point of a far part pulls straight towards itself: off the edge of the surface,
        // the plane of its nearest triangle hardly moves towards it.
        const bool loin = vue.atteindre && vue.lointaine[r] && d > 0;
        if (loin)
            normale = fois(nuage[r] - q, 1.0 / d);
        const double ecart = scal(nuage[r] - q, normale);
        // Far points pull as one over their distance: a point the surface cannot reach does
        // not tear it.
        const double poids = !loin && reglages.portee > 0 && std::abs(ecart) > reglages.portee
                                 ? std::sqrt(reglages.portee / std::abs(ecart))
                                 : 1.0;
        const double k = static_cast<double>(m.size());
        for (std::size_t e = 0; e < m.size(); ++e) {
            double coef = w[0] / k;
            if (e == static_cast<std::size_t>(j))
                coef += w[1];
            if (e == (static_cast<std::size_t>(j) + 1) % m.size())
                coef += w[2];
            A.colonne.push_back(m[e]);
            A.valeur.push_back(poids * coef);
        }
        A.normale.push_back(normale);
        A.second.push_back(poids * ecart);
        A.debut.push_back(A.colonne.size());
    }
    return plusLoin;
}

/// The right-hand side of the neighbour rows: they ask the moved points the cloud draws to lie
/// at the mean of their neighbours: the folds of a rough surface smooth out. Those it does not
/// draw (over a hole, on the back of a thin shell) keep their shape and follow their neighbours:
/// with nothing to hold them, the mean would shrink the surface there.
void lignesDesVoisins(Systeme &A, const std::vector<point3> &X)
{
    const std::size_t n = X.size();
    std::vector<double> appui(n, 0);
    for (std::size_t e = 0; e < A.colonne.size(); ++e)
        appui[static_cast<std::size_t>(A.colonne[e])] += A.valeur[e];
    A.secondLisse.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        A.secondLisse[i] = fois(A.laplacien(X, i), -std::min(1.0, appui[i]));
}

/// Moves each point by its solved move, cut down to its mean distance to its neighbours over
/// `parts`.
void deplacer(std::vector<point3> &X, const std::vector<point3> &delta, const std::vector<std::array<int, 3>> &voisins,
              int parts)
{
    std::vector<point3> nouveau(X);
    for (std::size_t i = 0; i < X.size(); ++i) {
        const double l = norme(delta[i]);
        if (!std::isfinite(l) || l == 0)
            continue;
        const double pas =
            (norme(X[voisins[i][0]] - X[i]) + norme(X[voisins[i][1]] - X[i]) + norme(X[voisins[i][2]] - X[i])) /
            (3 * parts);
        nouveau[i] = X[i] + fois(delta[i], std::min(1.0, pas / l));
    }
    X.swap(nouveau);
}

} // namespace

void reposerSurLeNuage(std::vector<point3> &X, const std::vector<std::vector<int>> &mailles,
                       const std::vector<std::array<int, 3>> &voisins, const std::vector<point3> &nuage,
                       const ReglagesRepos &reglages, int fils)
{
    const std::size_t n = X.size();
    if (n == 0 || mailles.empty() || nuage.empty() || voisins.size() != n || !voisinageSymetrique(voisins))
        return;
    Systeme A;
    A.voisins = &voisins;
    A.mu = reglages.lissage;
    A.lambda = reglages.amortissement;
    A.fils = fils;

    const std::size_t seuls = std::min(reglages.seuls, nuage.size()), premierSeul = nuage.size() - seuls;
    std::vector<std::size_t> faceDe(nuage.size());  // each cloud point's nearest face
    std::vector<double> ecartFace(nuage.size(), 0); // and its distance to it
    std::vector<char> lointaine;                    // each cloud point: of a far part (see partiesLointaines)
    double plusLoin = 0; // of the cloud points from the surface, as the last round found them
    for (int tour = 0; tour < reglages.tours + reglages.toursLointains; ++tour) {
        const bool atteindre = tour >= reglages.tours;
        // No point was that far when the last round began: no search more for far parts.
        if (atteindre && lointaine.empty() && plusLoin <= reglages.lointain)
            break;
        std::vector<point3> sommets;
        std::vector<std::array<int, 3>> faces;
        std::vector<std::pair<int, int>> origine;
        enEventail(X, mailles, sommets, faces, origine);
        const ArbreTriangles arbre(sommets, faces, fils);
        // Each cloud point's nearest triangle, the search started from its own answer of the
        // round before (the faces keep their numbers): the answer among triangles at the same
        // distance does not depend on the order of the work.
        enParallele(nuage.size(), fils, [&](std::size_t debut, std::size_t fin) {
            for (std::size_t r = debut; r < fin; ++r) {
                std::size_t t = tour > 0 ? arbre.indiceDeFace(faceDe[r]) : arbre.taille();
                const double d = arbre.distance(nuage[r], t);
                faceDe[r] = t < arbre.taille() ? arbre.face(t) : faces.size();
                ecartFace[r] = t < arbre.taille() ? d : 0;
            }
        });

        if (atteindre) {
            // The far parts are found once, on the settled surface; the rounds go on until every
            // point of them is within reach.
            if (lointaine.empty()) {
                lointaine = partiesLointaines(nuage, ecartFace, reglages.lointain, fils);
                std::fill(lointaine.end() - static_cast<std::ptrdiff_t>(seuls), lointaine.end(), 1);
            }
            bool atteinte = true;
            for (std::size_t r = 0; r < nuage.size() && atteinte; ++r)
                atteinte = !lointaine[r] || ecartFace[r] <= reglages.lointain;
            if (atteinte)
                break;
        }
        const VueDuNuage vue{nuage, faceDe, ecartFace, lointaine, atteindre, premierSeul};
        plusLoin = lignesDuNuage(A, vue, mailles, sommets, faces, origine, reglages);
        A.transposer(n);
        lignesDesVoisins(A, X);
        const std::vector<point3> delta =
            resoudre(A, n, atteindre ? ITERATIONS_DU_REPOS_LOINTAIN : ITERATIONS_DU_REPOS);
        deplacer(X, delta, voisins, atteindre ? 1 : FRACTION_DU_PAS_DU_REPOS);
    }
}
