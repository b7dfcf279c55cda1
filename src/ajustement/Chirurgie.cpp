#include "Chirurgie.h"
#include "Maillage.h"
#include "Parallele.h"
#include "TableAjustement.h"
#include "Topologie.h"
#include "Vecteurs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <set>

namespace {

// Two unit directions across the unit direction a, at right angles to it and to each other.
void directionsEnTravers(const point3 &a, point3 &e1, point3 &e2)
{
    const point3 t = std::abs(a.x) < 0.9 ? vect(a, point3(1, 0, 0)) : vect(a, point3(0, 1, 0));
    e1 = fois(t, 1 / norme(t));
    e2 = vect(a, e1);
}

// Whether the segment pq passes through the triangle abc (its inside, ends excluded).
bool segmentTraverse(const point3 &p, const point3 &q, const point3 a[3])
{
    const point3 d = q - p, e1 = a[1] - a[0], e2 = a[2] - a[0];
    const point3 h = vect(d, e2);
    const double det = scal(e1, h);
    const double echelle = norme(d) * norme(e1) * norme(e2);
    if (!(std::abs(det) > 1e-12 * echelle))
        return false; // parallel: the other triangle's edges decide
    const point3 s = p - a[0];
    const double u = scal(s, h) / det;
    const point3 w = vect(s, e1);
    const double v = scal(d, w) / det;
    const double t = scal(e2, w) / det;
    return u > 0 && v > 0 && u + v < 1 && t > 0 && t < 1;
}

// The tube from rim U to rim V: the second rim runs the other way along the tube; of every
// pairing of the rims' starts and every way of stepping along both, the band of least area.
bool tube(const std::vector<int> &U, const std::vector<int> &V, const std::vector<point3> &P,
          std::vector<std::array<int, 3>> &ajout)
{
    const std::size_t m = U.size(), n = V.size();
    if (m < 3 || n < 3 || m * n * n > TUBE_TRAVAIL_MAXIMUM)
        return false;
    auto aire = [&](int a, int b, int c) { return norme(vect(P[b] - P[a], P[c] - P[a])); };
    const double infini = std::numeric_limits<double>::infinity();
    double meilleur = infini;
    std::vector<std::array<int, 3>> retenu;
    std::vector<double> W((m + 1) * (n + 1));
    std::vector<char> pasU((m + 1) * (n + 1));
    for (std::size_t s = 0; s < n; ++s) {
        auto w = [&](std::size_t k) { return V[(s + n - k % n) % n]; };
        auto u = [&](std::size_t i) { return U[i % m]; };
        // W[i, k]: least area of a band from (u0, w0) to (ui, wk).
        for (std::size_t i = 0; i <= m; ++i)
            for (std::size_t k = 0; k <= n; ++k) {
                double &c = W[i * (n + 1) + k];
                c = i + k == 0 ? 0 : infini;
                if (i > 0 && W[(i - 1) * (n + 1) + k] + aire(u(i - 1), u(i), w(k)) < c) {
                    c = W[(i - 1) * (n + 1) + k] + aire(u(i - 1), u(i), w(k));
                    pasU[i * (n + 1) + k] = 1;
                }
                if (k > 0 && W[i * (n + 1) + k - 1] + aire(u(i), w(k), w(k - 1)) < c) {
                    c = W[i * (n + 1) + k - 1] + aire(u(i), w(k), w(k - 1));
                    pasU[i * (n + 1) + k] = 0;
                }
            }
        if (!(W[m * (n + 1) + n] < meilleur))
            continue;
        // The band goes once round: no edge across it twice (a band that steps along both rims
        // at one end and again at the other would meet itself on short rims).
        std::vector<std::array<int, 3>> bande;
        std::set<std::pair<int, int>> travers;
        bool simple = true;
        for (std::size_t i = m, k = n; i + k > 0 && simple;) {
            if (pasU[i * (n + 1) + k]) {
                bande.push_back({u(i - 1), u(i), w(k)});
                --i;
            } else {
                bande.push_back({u(i), w(k), w(k - 1)});
                --k;
            }
            simple = travers.insert({u(i), w(k)}).second;
        }
        if (!simple)
            continue;
        meilleur = W[m * (n + 1) + n];
        retenu = std::move(bande);
    }
    if (retenu.empty())
        return false;
    ajout.insert(ajout.end(), retenu.rbegin(), retenu.rend());
    return true;
}

enum class Operation { Anse, Col, Traverse };

/// The line through a hole: a point of it, its unit direction, and the hole's radius there.
struct Droite
{
    point3 centre, axe;
    double rayon = 0;
};

/// A ring of new vertices (appended to P) round the line `d`, one for each vertex of the rim U,
/// TUBE_DANS_LE_TROU of the hole's radius from the line, AVANCE_DE_L_ANNEAU past the rim's vertex
/// farthest along `vers` (towards the other rim: the collar then turns back over nothing); and the
/// collar of triangles from U to it, which takes the place of a patch over U but for a patch over
/// the ring (see PART_DE_LA_LONGUEUR for where its vertices lie round the line). False when a
/// vertex of U is off the hole's wall or U does not go once round the line.
bool collier(const std::vector<int> &U, const Droite &d, double vers, std::vector<point3> &P, std::vector<int> &anneau,
             std::vector<std::array<int, 3>> &ajout)
{
    const std::size_t m = U.size();
    point3 e1, e2;
    directionsEnTravers(d.axe, e1, e2);
    double hauteur = -std::numeric_limits<double>::infinity();
    std::vector<double> angle(m), tour(m + 1, 0), abscisse(m + 1, 0);
    for (std::size_t k = 0; k < m; ++k) {
        const point3 p = P[U[k]] - d.centre;
        hauteur = std::max(hauteur, vers * scal(p, d.axe));
        const point3 travers = p - fois(d.axe, scal(p, d.axe));
        if (norme(travers) > BORD_DU_TROU * d.rayon)
            return false;
        angle[k] = std::atan2(scal(p, e2), scal(p, e1));
    }
    for (std::size_t k = 0; k < m; ++k) {
        tour[k + 1] = tour[k] + std::remainder(angle[(k + 1) % m] - angle[k], 2 * M_PI);
        abscisse[k + 1] = abscisse[k] + norme(P[U[(k + 1) % m]] - P[U[k]]);
    }
    if (std::abs(std::abs(tour[m]) - 2 * M_PI) > M_PI || !(abscisse[m] > 0))
        return false;
    const double sens = tour[m] > 0 ? 1 : -1;
    const point3 milieu = d.centre + fois(d.axe, vers * (hauteur + AVANCE_DE_L_ANNEAU * d.rayon));
    anneau.clear();
    double avance = 0;
    for (std::size_t k = 0; k < m; ++k) {
        avance = std::min(2 * M_PI, std::max(avance, sens * tour[k]));
        const double a = angle[0] + sens * ((1 - PART_DE_LA_LONGUEUR) * avance +
                                            PART_DE_LA_LONGUEUR * 2 * M_PI * abscisse[k] / abscisse[m]);
        anneau.push_back(static_cast<int>(P.size()));
        P.push_back(milieu + fois(e1, TUBE_DANS_LE_TROU * d.rayon * std::cos(a)) +
                    fois(e2, TUBE_DANS_LE_TROU * d.rayon * std::sin(a)));
    }
    for (std::size_t k = 0; k < m; ++k) {
        const std::size_t l = (k + 1) % m;
        ajout.push_back({U[k], U[l], anneau[l]});
        ajout.push_back({U[k], anneau[l], anneau[k]});
    }
    return true;
}

/// The straight handle along `droite`: a collar from each rim to a ring round the line, a tube
/// between the rings. `colliers` is the number of collar triangles (first in `ajout`).
bool tubeDroit(const std::vector<std::vector<int>> &bords, const Droite &droite, std::vector<point3> &centres,
               std::vector<std::array<int, 3>> &ajout, std::size_t &colliers)
{
    std::vector<int> anneaux[2];
    double hauteurs[2] = {0, 0};
    for (int k = 0; k < 2; ++k)
        for (int v : bords[k])
            hauteurs[k] += scal(centres[v] - droite.centre, droite.axe) / static_cast<double>(bords[k].size());
    for (int k = 0; k < 2; ++k)
        if (!collier(bords[k], droite, hauteurs[1 - k] > hauteurs[k] ? 1 : -1, centres, anneaux[k], ajout))
            return false;
    colliers = ajout.size();
    return tube(anneaux[0], anneaux[1], centres, ajout);
}

/// The handle from rim to rim with a waist halfway along, drawn in by `retrait` of the way
/// towards the rims' centre: a straight tube from rim to rim would cut through a wall that
/// bulges between them (the inside of a ring). False when the rims share a vertex or the tube
/// would run along an edge the surface keeps (`gardees`).
bool tubeATaille(const std::vector<std::vector<int>> &bords, const std::set<PaireSommets> &gardees, double retrait,
                 std::vector<point3> &centres, std::vector<std::array<int, 3>> &ajout)
{
    if (!tube(bords[0], bords[1], centres, ajout))
        return false;
    // The rims apart, and no edge across the tube that is already an edge of the surface.
    const std::set<int> dansU(bords[0].begin(), bords[0].end());
    for (int v : bords[1])
        if (dansU.count(v))
            return false;
    for (const auto &t : ajout)
        for (int k = 0; k < 3; ++k) {
            const int a = t[k], b = t[(k + 1) % 3];
            if (dansU.count(a) != dansU.count(b) && gardees.count(std::minmax(a, b)))
                return false;
        }
    point3 c(0, 0, 0);
    for (const auto &b : bords)
        for (int v : b)
            c += centres[v];
    c = fois(c, 1.0 / static_cast<double>(bords[0].size() + bords[1].size()));
    std::map<PaireSommets, int> milieu;
    auto au = [&](int a, int b) {
        const auto [it, nouveau] = milieu.emplace(std::minmax(a, b), static_cast<int>(centres.size()));
        if (nouveau) {
            const point3 m = fois(centres[a] + centres[b], 0.5);
            centres.push_back(m + fois(c - m, retrait));
        }
        return it->second;
    };
    std::vector<std::array<int, 3>> coupes;
    for (std::array<int, 3> t : ajout) {
        // Turned so that its edge along a rim comes first.
        while (dansU.count(t[0]) != dansU.count(t[1]))
            t = {t[1], t[2], t[0]};
        const int x = au(t[1], t[2]), y = au(t[2], t[0]);
        coupes.push_back({t[0], t[1], x});
        coupes.push_back({t[0], x, y});
        coupes.push_back({y, x, t[2]});
    }
    ajout = std::move(coupes);
    return true;
}

/// The triangles after the change: the kept ones, then `ajout`, on the vertices they use
/// (`sommets`, numbered as met: cells wholly taken out leave none); `positions`, the simplex
/// point of each (a kept point where it was, a new one at the centre of its triangle).
void assembler(const ListesSimplexe &maillage, const std::vector<std::array<int, 3>> &triangles,
               const std::vector<char> &coupe, const std::vector<point3> &centres,
               const std::vector<std::array<int, 3>> &ajout, std::vector<std::array<int, 3>> &faces,
               std::vector<point3> &positions, std::vector<point3> &sommets)
{
    for (std::size_t t = 0; t < coupe.size(); ++t)
        if (!coupe[t]) {
            faces.push_back(triangles[t]);
            positions.push_back(maillage.positions[t]);
        }
    for (const auto &t : ajout) {
        faces.push_back(t);
        positions.push_back(fois(centres[t[0]] + centres[t[1]] + centres[t[2]], 1.0 / 3));
    }
    std::vector<int> numero(centres.size(), -1);
    for (auto &f : faces)
        for (int &v : f) {
            if (numero[v] < 0) {
                numero[v] = static_cast<int>(sommets.size());
                sommets.push_back(centres[v]);
            }
            v = numero[v];
        }
}

/// Whether a triangle from `premier` on crosses another one of `faces` it shares no vertex with.
bool nouveauxSeCroisent(const std::vector<std::array<int, 3>> &faces, const std::vector<point3> &sommets,
                        std::size_t premier)
{
    for (std::size_t a = premier; a < faces.size(); ++a) {
        const point3 A[3] = {sommets[faces[a][0]], sommets[faces[a][1]], sommets[faces[a][2]]};
        point3 amin = A[0], amax = A[0];
        for (const point3 &p : A) {
            amin = point3(std::min(amin.x, p.x), std::min(amin.y, p.y), std::min(amin.z, p.z));
            amax = point3(std::max(amax.x, p.x), std::max(amax.y, p.y), std::max(amax.z, p.z));
        }
        for (std::size_t b = 0; b < faces.size(); ++b) {
            if (b == a)
                continue;
            const auto &fa = faces[a], &fb = faces[b];
            if (std::any_of(fb.begin(), fb.end(), [&](int v) { return v == fa[0] || v == fa[1] || v == fa[2]; }))
                continue;
            const point3 B[3] = {sommets[fb[0]], sommets[fb[1]], sommets[fb[2]]};
            const point3 bmin(std::min({B[0].x, B[1].x, B[2].x}), std::min({B[0].y, B[1].y, B[2].y}),
                              std::min({B[0].z, B[1].z, B[2].z}));
            const point3 bmax(std::max({B[0].x, B[1].x, B[2].x}), std::max({B[0].y, B[1].y, B[2].y}),
                              std::max({B[0].z, B[1].z, B[2].z}));
            const bool loin = bmin.x > amax.x || bmin.y > amax.y || bmin.z > amax.z || bmax.x < amin.x ||
                              bmax.y < amin.y || bmax.z < amin.z;
            if (!loin && trianglesSeCoupent(A, B))
                return true;
        }
    }
    return false;
}

/// One change of topology (see Chirurgie.h): the points marked in `coupe` out, their two rims
/// (or one rim each, closed by a patch) joined as `operation` says; with `droite`, a handle runs
/// straight along that line. False, `resultat` untouched, when a check fails.
bool operer(const ListesSimplexe &maillage, const std::vector<char> &coupe, Operation operation, double retrait,
            ListesSimplexe &resultat, const Droite *droite = nullptr)
{
    const bool anse = operation == Operation::Anse;
    const std::size_t n = maillage.positions.size();
    if (coupe.size() != n || maillage.voisins.size() != n)
        return false;
    std::vector<std::array<int, 3>> triangles;
    std::vector<std::vector<int>> bords;
    if (!trianglesDuaux(maillage, triangles) || !rebords(triangles, coupe, bords) || bords.size() != 2)
        return false;
    std::vector<point3> centres = centresDesMailles(maillage);
    const std::set<PaireSommets> gardees = aretesGardees(triangles, coupe);
    std::vector<std::array<int, 3>> ajout;
    std::size_t colliers = 0; // the new triangles not checked for crossings
    if (anse && droite) {
        if (!tubeDroit(bords, *droite, centres, ajout, colliers))
            return false;
    } else if (anse) {
        if (!tubeATaille(bords, gardees, retrait, centres, ajout))
            return false;
    } else {
        for (const std::vector<int> &bord : bords)
            if (!boucher(bord, centres, gardees, ajout))
                return false;
    }

    std::vector<std::array<int, 3>> faces;
    std::vector<point3> positions, sommets;
    assembler(maillage, triangles, coupe, centres, ajout, faces, positions, sommets);
    const std::size_t gardes = faces.size() - ajout.size();

    const TopologieSurface avant = topologie(triangles, centres.size());
    const TopologieSurface apres = topologie(faces, sommets.size());
    if (!apres.fermee || apres.caracteristique != avant.caracteristique + (anse ? -2 : 2) ||
        apres.parties != avant.parties + (operation == Operation::Col ? 1 : 0))
        return false;

    // No new triangle through another one. The collars of a straight tube run in from rims on the
    // wall of a hole, where the sheets drawn over it lay crumpled (their triangles there may
    // already cross): only the tube between the rings is checked, against the collars too. The fit
    // then draws the collars onto the wall.
    if (nouveauxSeCroisent(faces, sommets, gardes + colliers))
        return false;

    ListesSimplexe nouveau;
    if (!dual(faces, sommets.size(), nouveau))
        return false;
    nouveau.positions = std::move(positions);
    resultat = std::move(nouveau);
    return true;
}

} // namespace

bool trianglesSeCoupent(const point3 a[3], const point3 b[3])
{
    for (int k = 0; k < 3; ++k)
        if (segmentTraverse(a[k], a[(k + 1) % 3], b) || segmentTraverse(b[k], b[(k + 1) % 3], a))
            return true;
    return false;
}

bool ouvrirAnse(const ListesSimplexe &maillage, const std::vector<char> &coupe, ListesSimplexe &resultat)
{
    for (const double retrait : RETRAITS_DE_LA_TAILLE)
        if (operer(maillage, coupe, Operation::Anse, retrait, resultat))
            return true;
    return false;
}

bool couperCol(const ListesSimplexe &maillage, const std::vector<char> &coupe, ListesSimplexe &resultat)
{
    return operer(maillage, coupe, Operation::Col, 0, resultat);
}

Anneau anneauAutour(const std::vector<point3> &bordA, const std::vector<point3> &bordB, const point3 &axe,
                    const std::vector<point3> &nuage, double espacement, Fente *fente)
{
    point3 c(0, 0, 0);
    for (const point3 &p : bordA)
        c += p;
    for (const point3 &p : bordB)
        c += p;
    c = fois(c, 1.0 / static_cast<double>(std::max<std::size_t>(1, bordA.size() + bordB.size())));
    return anneauAutourDe(c, axe, nuage, espacement, fente);
}

namespace {

/// The cloud round a hole, seen from its middle `c` along the unit line `a`: the points within
/// four radii `r0` of the middle and HAUTEUR_AUTOUR radii above or below it, relative to the
/// middle; past POINTS_AUTOUR_MAXIMUM of them, one in every `saut` (their spacing then grows as
/// the square root of the step: a cut that narrow is finer than any fit). False when data lies
/// over or under the middle (a hollow, or the inside of a solid) or too little lies round it.
bool nuageAutour(const point3 &c, const point3 &a, const point3 &e1, const point3 &e2, double r0,
                 const std::vector<point3> &nuage, std::vector<point3> &proches, std::size_t &saut)
{
    auto dedans = [&](const point3 &d) {
        const double h = scal(d, a);
        return scal(d, d) <= RAYONS_AUTOUR * RAYONS_AUTOUR * r0 * r0 &&
               h * h <= HAUTEUR_AUTOUR * HAUTEUR_AUTOUR * r0 * r0;
    };
    std::size_t autour = 0;
    for (const point3 &q : nuage) {
        const point3 d = q - c;
        if (!dedans(d))
            continue;
        const double u = scal(d, e1), v = scal(d, e2);
        if (u * u + v * v < MILIEU_LIBRE * MILIEU_LIBRE * r0 * r0)
            return false;
        ++autour;
    }
    if (autour < POINTS_AUTOUR_MINIMUM)
        return false;
    saut = (autour + POINTS_AUTOUR_MAXIMUM - 1) / POINTS_AUTOUR_MAXIMUM;
    proches.reserve(autour / saut + 1);
    std::size_t rang = 0;
    for (const point3 &q : nuage)
        if (dedans(q - c) && rang++ % saut == 0)
            proches.push_back(q - c);
    return true;
}

/// Whether some loop of links (points closer than `lien`) winds round the line. Walking the
/// links from a first point, each point is given the angle reached on the way, not taken back
/// into a turn; a link between two points already reached whose angles then differ by a turn
/// closes such a loop.
bool boucleAutour(const std::vector<point3> &proches, const std::vector<double> &angle, double lien)
{
    const std::size_t m = proches.size();
    auto cellule = [&](const point3 &p) {
        return std::array<long long, 3>{static_cast<long long>(std::floor(p.x / lien)),
                                        static_cast<long long>(std::floor(p.y / lien)),
                                        static_cast<long long>(std::floor(p.z / lien))};
    };
    std::map<std::array<long long, 3>, std::vector<int>> grille;
    for (std::size_t k = 0; k < m; ++k)
        grille[cellule(proches[k])].push_back(static_cast<int>(k));
    std::vector<double> atteint(m, std::numeric_limits<double>::quiet_NaN());
    std::vector<int> file;
    for (std::size_t depart = 0; depart < m; ++depart) {
        if (!std::isnan(atteint[depart]))
            continue;
        atteint[depart] = angle[depart];
        file.assign(1, static_cast<int>(depart));
        for (std::size_t f = 0; f < file.size(); ++f) {
            const std::size_t p = static_cast<std::size_t>(file[f]);
            const std::array<long long, 3> cp = cellule(proches[p]);
            for (int d = 0; d < 27; ++d) {
                const auto it = grille.find({cp[0] + d % 3 - 1, cp[1] + d / 3 % 3 - 1, cp[2] + d / 9 - 1});
                if (it == grille.end())
                    continue;
                for (int qi : it->second) {
                    const std::size_t q = static_cast<std::size_t>(qi);
                    if (q == p || carre(proches[q] - proches[p]) > lien * lien)
                        continue;
                    const double pas = std::remainder(angle[q] - angle[p], 2 * M_PI);
                    if (std::isnan(atteint[q])) {
                        atteint[q] = atteint[p] + pas;
                        file.push_back(qi);
                    } else if (std::abs(atteint[q] - atteint[p] - pas) > M_PI) {
                        return true;
                    }
                }
            }
        }
    }
    return false;
}

/// The widest turn round the line without a point of the cloud: its first angle `debut` and
/// its width.
double trouLePlusLarge(const std::vector<double> &angle, double &debut)
{
    std::vector<double> tri(angle);
    std::sort(tri.begin(), tri.end());
    double large = 2 * M_PI - (tri.back() - tri.front());
    debut = tri.back();
    for (std::size_t k = 1; k < tri.size(); ++k)
        if (tri[k] - tri[k - 1] > large) {
            large = tri[k] - tri[k - 1];
            debut = tri[k - 1];
        }
    return large;
}

} // namespace

Anneau anneauAutourDe(const point3 &c, const point3 &axe, const std::vector<point3> &nuage, double espacement,
                      Fente *fente)
{
    const double la = norme(axe);
    if (!(la > 0))
        return Anneau::Aucun;
    const point3 a = fois(axe, 1 / la);
    // Two directions across the line.
    point3 e1, e2;
    directionsEnTravers(a, e1, e2);
    // The hole's radius: how far the data is from its middle. The nearest point lies across the
    // line, on the hole's wall; one along it is a wall facing the middle (a slot between two
    // faces, the floor of a hollow).
    double r0 = std::numeric_limits<double>::infinity();
    point3 plusProche(0, 0, 0);
    for (const point3 &q : nuage)
        if (const double d = norme(q - c); d < r0) {
            r0 = d;
            plusProche = q - c;
        }
    if (!(r0 > 0) || !std::isfinite(r0) || std::abs(scal(plusProche, a)) > PLUS_PROCHE_EN_LONG * r0)
        return Anneau::Aucun;
    std::vector<point3> proches;
    std::size_t saut = 1;
    if (!nuageAutour(c, a, e1, e2, r0, nuage, proches, saut))
        return Anneau::Aucun;
    // The ring is closed when the cloud goes round the line: linking its points closer than a
    // few spacings, some loop of links winds round it. A cut through the ring wider than the
    // links leaves none, however the line is askew or off the hole's middle.
    const double lien = ECART_DANS_UN_ANNEAU * espacement * std::sqrt(static_cast<double>(saut));
    if (!(lien > 0))
        return Anneau::Aucun;
    std::vector<double> angle(proches.size());
    for (std::size_t k = 0; k < proches.size(); ++k)
        angle[k] = std::atan2(scal(proches[k], e2), scal(proches[k], e1));
    if (boucleAutour(proches, angle, lien))
        return Anneau::Ferme;
    // No loop: the ring is cut. Where: the widest turn round the line without a point of it.
    if (fente) {
        double debut = 0;
        const double large = trouLePlusLarge(angle, debut);
        *fente = Fente{c, a, e1, e2, r0, debut, large};
    }
    return Anneau::Ouvert;
}

bool anneauFerme(const std::vector<point3> &bordA, const std::vector<point3> &bordB, const point3 &axe,
                 const std::vector<point3> &nuage, double espacement)
{
    return anneauAutour(bordA, bordB, axe, nuage, espacement, nullptr) == Anneau::Ferme;
}

namespace {

/// The pieces of `region` joined by neighbours: each point's piece (-1 off the region), and the
/// piece count.
int piecesDe(const std::vector<char> &region, const ListesSimplexe &maillage, std::vector<int> &piece)
{
    const std::size_t n = region.size();
    piece.assign(n, -1);
    int pieces = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!region[i] || piece[i] >= 0)
            continue;
        std::vector<int> pile{static_cast<int>(i)};
        piece[i] = pieces;
        while (!pile.empty()) {
            const int a = pile.back();
            pile.pop_back();
            for (int b : maillage.voisins[a])
                if (region[b] && piece[b] < 0) {
                    piece[b] = pieces;
                    pile.push_back(b);
                }
        }
        ++pieces;
    }
    return pieces;
}

/// The pairs of pieces face to face (a point of one facing a point of the other, `enFace`), the
/// pair with the most facing points first.
std::vector<std::pair<int, std::pair<int, int>>> piecesFaceAFace(const std::vector<int> &piece,
                                                                 const std::vector<int> &enFace)
{
    std::map<std::pair<int, int>, int> faceAFace;
    for (std::size_t i = 0; i < piece.size(); ++i) {
        const int q = enFace[i];
        if (q >= 0 && piece[i] >= 0 && piece[q] >= 0 && piece[i] != piece[q])
            ++faceAFace[std::minmax(piece[i], piece[q])];
    }
    std::vector<std::pair<int, std::pair<int, int>>> paires;
    for (const auto &[p, c] : faceAFace)
        paires.push_back({-c, p});
    std::sort(paires.begin(), paires.end());
    return paires;
}

/// The cut over a hole between the pieces `pa` and `pb`: each grown over the points off the data
/// round it (not in `appuis`, or in `nappes`), down to where the surface rests on the data (the
/// wall of the hole). False when the two meet so: they are one, no hole.
bool grandirVersLaParoi(const ListesSimplexe &maillage, const std::vector<int> &piece, int pa, int pb,
                        const std::vector<char> &appuis, const std::vector<char> &nappes, std::vector<char> &coupe)
{
    const std::size_t n = piece.size();
    coupe.assign(n, 0);
    std::vector<int> file;
    for (std::size_t i = 0; i < n; ++i)
        if (piece[i] == pa || piece[i] == pb) {
            coupe[i] = piece[i] == pa ? 1 : 2;
            file.push_back(static_cast<int>(i));
        }
    for (std::size_t k = 0; k < file.size(); ++k) {
        const int a = file[k];
        for (int b : maillage.voisins[a]) {
            if (coupe[b] && coupe[b] != coupe[a])
                return false;
            else if (!coupe[b] && (!appuis[b] || nappes[b]) && piece[b] < 0) {
                coupe[b] = coupe[a];
                file.push_back(b);
            }
        }
    }
    for (char &c : coupe)
        c = c != 0;
    return true;
}

} // namespace

int ouvrirAnses(const ListesSimplexe &maillage, const std::vector<point3> &normales, const std::vector<char> &candidats,
                double epaisseur, const std::vector<char> &tires, const std::vector<char> &appuis,
                const std::vector<point3> &nuage, double espacement, ListesSimplexe &resultat, Fente *fente)
{
    if (fente)
        *fente = Fente{};
    const std::size_t n = maillage.positions.size();
    std::vector<int> enFace;
    std::vector<char> region = pointsMinces(maillage.positions, normales, candidats, epaisseur, &enFace);
    if (std::count(region.begin(), region.end(), 1) < POINTS_D_ANSE_MINIMUM)
        return 0;
    arrondir(region, maillage, tires);
    std::vector<int> piece;
    piecesDe(region, maillage, piece);
    const auto paires = piecesFaceAFace(piece, enFace);

    std::vector<std::array<int, 3>> triangles;
    std::vector<int> jumeaux; // the same for every pair tried
    if (paires.empty() || !trianglesDuaux(maillage, triangles) || !jumeauxDesAretes(triangles, jumeaux))
        return 0;
    const std::vector<point3> centres = centresDesMailles(maillage);
    // The two sheets face to face over the whole hole: the undrawn points with a point facing
    // them closer than the thickness, candidates or not.
    std::vector<char> libres(n);
    for (std::size_t i = 0; i < n; ++i)
        libres[i] = !tires[i];
    const std::vector<char> nappes = pointsMinces(maillage.positions, normales, libres, epaisseur, nullptr);
    std::vector<char> ouvert; // the first pair over a ring that is cut
    for (const auto &paire : paires) {
        const auto [pa, pb] = paire.second;
        std::vector<char> coupe;
        if (!grandirVersLaParoi(maillage, piece, pa, pb, appuis, nappes, coupe))
            continue;
        arrondir(coupe, maillage, tires);
        std::vector<std::vector<int>> bords;
        if (!rebords(triangles, jumeaux, coupe, bords) || bords.size() != 2)
            continue;
        std::vector<point3> rims[2];
        for (int k = 0; k < 2; ++k)
            for (int v : bords[k])
                rims[k].push_back(centres[v]);
        // Through the hole: from the one piece's outside to the other's.
        point3 axe(0, 0, 0);
        for (std::size_t i = 0; i < n; ++i)
            if (piece[i] == pa)
                axe += normales[i];
            else if (piece[i] == pb)
                axe = axe - normales[i];
        Fente ici;
        const Anneau anneau = anneauAutour(rims[0], rims[1], axe, nuage, espacement, &ici);
        if (anneau == Anneau::Ferme && ouvrirAnse(maillage, coupe, resultat))
            return static_cast<int>(std::count(coupe.begin(), coupe.end(), 1));
        if (anneau == Anneau::Ouvert && fente && ouvert.empty() && ici.largeur <= FENTE_MAXIMALE) {
            ouvert = coupe;
            *fente = ici;
        }
    }
    // No hole through, but a ring cut: across it.
    if (!ouvert.empty() && ouvrirAnse(maillage, ouvert, resultat))
        return static_cast<int>(std::count(ouvert.begin(), ouvert.end(), 1));
    if (fente)
        *fente = Fente{};
    return 0;
}

namespace {

/// The direction within 60 degrees of u along which a line through `centre` stays clear of the
/// cloud the longest both ways, up to `portee` (then the one that keeps farthest from it): clear
/// while farther than half r from it. Returns that direction; `libre` is how far it stays clear.
point3 axeDuTrou(const point3 &centre, const point3 &u, double r, double portee,
                 const std::function<double(const point3 &)> &distance, double &libre)
{
    point3 e1, e2;
    directionsEnTravers(u, e1, e2);
    const double pas = PAS_LE_LONG_DU_TROU * r;
    std::pair<double, double> meilleur(-1, -1);
    point3 axe = u;
    constexpr double ANGLE_D_OR = 2.399963229728653; // radians: the turn between two directions of a spiral
    for (int i = 0; i < DIRECTIONS_DE_L_AXE; ++i) {
        // Spread evenly over the cap within 60 degrees of u.
        const double z = 1 - CALOTTE_DE_L_AXE * (i + 0.5) / DIRECTIONS_DE_L_AXE, rho = std::sqrt(1 - z * z);
        const double phi = i * ANGLE_D_OR;
        const point3 v = fois(u, z) + fois(e1, rho * std::cos(phi)) + fois(e2, rho * std::sin(phi));
        double clair = portee, somme = 0;
        for (const double sens : {1.0, -1.0}) {
            // Short of `sur`, the cloud is farther than r (a point at distance ici leaves none
            // nearer than ici - r to one within ici - r of it): such a step adds r unasked.
            double sur = 0;
            for (double l = pas; l <= portee; l += pas) {
                if (l < sur) {
                    somme += r;
                    continue;
                }
                const double ici = distance(centre + fois(v, sens * l));
                if (ici < LIBRE_EN_RAYONS * r) {
                    clair = std::min(clair, l);
                    break;
                }
                somme += std::min(ici, r);
                sur = l + (ici - r) * (1 - 1e-9);
            }
        }
        if (std::make_pair(clair, somme) > meilleur) {
            meilleur = {clair, somme};
            axe = v;
        }
    }
    libre = meilleur.first;
    return axe;
}

/// The line through a hole between the points a and b: from the point of the segment farthest
/// from the cloud, the direction within 60 degrees of it along which a line stays clear of the
/// cloud the longest both ways (axeDuTrou, as far as four times the segment); the point moved
/// across the line to where the cloud is farthest, and the direction sought again from there. The
/// tube keeps within half the hole's radius of it.
Droite ligneDuTrou(const point3 &a, const point3 &b, const std::function<double(const point3 &)> &distance,
                   double &libreMinimal)
{
    Droite d;
    double r = -1;
    for (int k = 0; k <= ECHANTILLONS_DU_SEGMENT; ++k)
        if (const point3 p = a + fois(b - a, k / static_cast<double>(ECHANTILLONS_DU_SEGMENT)); distance(p) > r) {
            r = distance(p);
            d.centre = p;
        }
    const point3 u = fois(b - a, 1 / norme(b - a));
    const double portee = PORTEE_DU_SEGMENT * norme(b - a);
    d.axe = axeDuTrou(d.centre, u, r, portee, distance, libreMinimal);
    // Across the line, towards the middle of the hole.
    point3 f1, f2;
    directionsEnTravers(d.axe, f1, f2);
    for (double h = PAS_VERS_LE_MILIEU * r; h > PAS_MINIMAL_VERS_LE_MILIEU * r;) {
        point3 mieux = d.centre;
        for (int k = 0; k < 8; ++k)
            if (const point3 p = d.centre + fois(f1, h * std::cos(k * M_PI / 4)) + fois(f2, h * std::sin(k * M_PI / 4));
                distance(p) > r) {
                r = distance(p);
                mieux = p;
            }
        if (mieux == d.centre)
            h *= 0.5;
        d.centre = mieux;
    }
    d.axe = axeDuTrou(d.centre, u, r, portee, distance, libreMinimal);
    d.rayon = r;
    return d;
}

/// The pieces of cells off the cloud: each grown from a cell marked at least `graine` in
/// `lointaines` through the marked cells joined to it, with its middle (its cells' middles weighted
/// by their area) and its outward normal (its cells' area vectors summed).
struct Morceaux
{
    std::vector<int> piece; // per cell, -1 for none
    std::vector<std::vector<int>> cellules;
    std::vector<point3> milieu, normale;
};

Morceaux morceaux(const ListesSimplexe &maillage, const std::vector<std::vector<int>> &autour,
                  const std::vector<point3> &centres, const std::vector<char> &lointaines, char graine)
{
    const std::size_t nc = maillage.mailles.size();
    Morceaux m;
    m.piece.assign(nc, -1);
    for (std::size_t c = 0; c < nc; ++c) {
        if (lointaines[c] < graine || m.piece[c] >= 0)
            continue;
        const int p = static_cast<int>(m.cellules.size());
        m.cellules.push_back({static_cast<int>(c)});
        m.piece[c] = p;
        for (std::size_t k = 0; k < m.cellules[p].size(); ++k)
            for (int i : maillage.mailles[static_cast<std::size_t>(m.cellules[p][k])])
                for (int d : autour[static_cast<std::size_t>(i)])
                    if (lointaines[static_cast<std::size_t>(d)] && m.piece[static_cast<std::size_t>(d)] < 0) {
                        m.piece[static_cast<std::size_t>(d)] = p;
                        m.cellules[p].push_back(d);
                    }
    }
    m.milieu.assign(m.cellules.size(), point3(0, 0, 0));
    m.normale.assign(m.cellules.size(), point3(0, 0, 0));
    for (std::size_t p = 0; p < m.cellules.size(); ++p) {
        double aire = 0;
        for (int c : m.cellules[p]) {
            const std::vector<int> &cellule = maillage.mailles[static_cast<std::size_t>(c)];
            point3 a(0, 0, 0);
            for (std::size_t k = 0; k < cellule.size(); ++k)
                a += vect(maillage.positions[cellule[k]], maillage.positions[cellule[(k + 1) % cellule.size()]]);
            m.normale[p] += a;
            aire += norme(a);
            m.milieu[p] += fois(centres[static_cast<std::size_t>(c)], norme(a));
        }
        m.milieu[p] = aire > 0 ? fois(m.milieu[p], 1 / aire) : centres[static_cast<std::size_t>(m.cellules[p][0])];
    }
    return m;
}

/// Whether the cloud rings the line. Round the middle of a hole the cloud may also close the ring
/// with its links too few to go round (a random sampling at about its spacing): no turn round the
/// line without a point of it is then as wide as a link.
bool cerneParLeNuage(const Droite &droite, const std::vector<point3> &nuage, double espacement)
{
    Fente ici;
    const Anneau anneau = anneauAutourDe(droite.centre, droite.axe, nuage, espacement, &ici);
    return anneau == Anneau::Ferme ||
           (anneau == Anneau::Ouvert && ici.largeur * ici.rayon < ECART_DANS_UN_ANNEAU * espacement);
}

/// Whether the segment ab passes through none of the cells, but those `horsJeu` says (each
/// cell seen as the fan of triangles from its centre to its edges).
template <class HorsJeu>
bool segmentLibre(const ListesSimplexe &maillage, const std::vector<point3> &centres, const point3 &a, const point3 &b,
                  HorsJeu horsJeu)
{
    for (std::size_t c = 0; c < maillage.mailles.size(); ++c) {
        if (horsJeu(c))
            continue;
        const std::vector<int> &cellule = maillage.mailles[c];
        for (std::size_t k = 0; k < cellule.size(); ++k) {
            const point3 t[3] = {centres[c], maillage.positions[cellule[k]],
                                 maillage.positions[cellule[(k + 1) % cellule.size()]]};
            if (segmentTraverse(a, b, t))
                return false;
        }
    }
    return true;
}

/// The triangles and their edges' twins, the same for every pair tried: made for the first one
/// whose cut is looked at (most searches end before). False when the mesh has none.
bool jumeauxPrets(const ListesSimplexe &maillage, std::vector<std::array<int, 3>> &triangles, std::vector<int> &jumeaux)
{
    return !jumeaux.empty() || (trianglesDuaux(maillage, triangles) && jumeauxDesAretes(triangles, jumeaux));
}

/// Pairs of pieces whose outsides are opposite and whose middles lie within `loin`, the closest
/// first.
std::vector<std::pair<double, std::pair<int, int>>> piecesOpposees(const Morceaux &m, double loin)
{
    std::vector<std::pair<double, std::pair<int, int>>> paires;
    for (std::size_t p = 0; p < m.cellules.size(); ++p)
        for (std::size_t q = p + 1; q < m.cellules.size(); ++q) {
            const double np = norme(m.normale[p]), nq = norme(m.normale[q]), l = norme(m.milieu[q] - m.milieu[p]);
            if (np > 0 && nq > 0 && scal(m.normale[p], m.normale[q]) < -OPPOSITION_DES_FEUILLETS * np * nq && l <= loin)
                paires.push_back({l, {static_cast<int>(p), static_cast<int>(q)}});
        }
    std::sort(paires.begin(), paires.end());
    return paires;
}

/// Whether the line through a hole of radius r runs clear of the cloud both ways until it is out
/// in the open (twice as far from it); `bouts`, where it comes out.
bool dehorsDesDeuxCotes(const Droite &droite, double r, const std::function<double(const point3 &)> &distance,
                        point3 bouts[2])
{
    bool dehors = true;
    for (int k = 0; k < 2 && dehors; ++k) {
        dehors = false;
        for (double l = PAS_LE_LONG_DU_TROU * r; l <= PORTEE_DU_TROU * r && !dehors; l += PAS_LE_LONG_DU_TROU * r) {
            bouts[k] = droite.centre + fois(droite.axe, k == 0 ? l : -l);
            const double ici = distance(bouts[k]);
            if (ici < LIBRE_EN_RAYONS * r)
                break;
            dehors = ici > EN_PLEIN_AIR * r;
        }
    }
    return dehors;
}

/// The cells of both sheets that go: the pieces p and q, and on from them the cells near the line
/// (within FEUILLETS_DANS_LE_TROU of the radius r of it, two radii along it). `prise` marks them;
/// returns them.
std::vector<int> feuilletsPris(const ListesSimplexe &maillage, const std::vector<std::vector<int>> &autour,
                               const std::vector<point3> &centres, const Morceaux &m, int p, int q,
                               const Droite &droite, double r, std::vector<char> &prise)
{
    const std::size_t nc = maillage.mailles.size();
    prise.assign(nc, 0);
    std::vector<int> file;
    for (std::size_t c = 0; c < nc; ++c)
        if (m.piece[c] == p || m.piece[c] == q) {
            prise[c] = 1;
            file.push_back(static_cast<int>(c));
        }
    for (std::size_t k = 0; k < file.size(); ++k)
        for (int i : maillage.mailles[static_cast<std::size_t>(file[k])])
            for (int e : autour[static_cast<std::size_t>(i)]) {
                const point3 d = centres[static_cast<std::size_t>(e)] - droite.centre;
                const double h = scal(d, droite.axe);
                if (!prise[static_cast<std::size_t>(e)] && std::abs(h) < FEUILLETS_LE_LONG * r &&
                    norme(d - fois(droite.axe, h)) < FEUILLETS_DANS_LE_TROU * r) {
                    prise[static_cast<std::size_t>(e)] = 1;
                    file.push_back(e);
                }
            }
    return file;
}

/// Handles across narrow holes whose two sheets met inside and passed through each other (see
/// ouvrirBouchons).
int ouvrirFeuilletsCroises(const ListesSimplexe &maillage, const std::vector<std::vector<int>> &autour,
                           const std::vector<point3> &centres, const std::vector<char> &lointaines, double loin,
                           const std::function<double(const point3 &)> &distance, const std::vector<point3> &nuage,
                           double espacement, std::vector<std::array<int, 3>> &triangles, std::vector<int> &jumeaux,
                           ListesSimplexe &resultat)
{
    const std::size_t n = maillage.positions.size();
    const Morceaux m = morceaux(maillage, autour, centres, lointaines, 1);
    int essais = 0;
    for (const auto &paire : piecesOpposees(m, loin)) {
        const auto [p, q] = paire.second;
        Droite droite;
        droite.centre = fois(m.milieu[static_cast<std::size_t>(p)] + m.milieu[static_cast<std::size_t>(q)], 0.5);
        const double r = distance(droite.centre);
        if (!(r > VIDE_DES_FEUILLETS * loin))
            continue;
        if (++essais > PAIRES_ESSAYEES)
            break;
        droite.rayon = r;
        point3 u = fois(m.normale[static_cast<std::size_t>(p)], 1 / norme(m.normale[static_cast<std::size_t>(p)])) -
                   fois(m.normale[static_cast<std::size_t>(q)], 1 / norme(m.normale[static_cast<std::size_t>(q)]));
        u = fois(u, 1 / norme(u));
        double clair = 0;
        droite.axe = axeDuTrou(droite.centre, u, r, PORTEE_DE_L_AXE * r, distance, clair);
        point3 bouts[2];
        if (!dehorsDesDeuxCotes(droite, r, distance, bouts) || !cerneParLeNuage(droite, nuage, espacement))
            continue;
        std::vector<char> prise;
        const std::vector<int> file = feuilletsPris(maillage, autour, centres, m, p, q, droite, r, prise);
        // The line out both ways through no other cell: the sheets were all that closed the hole.
        if (!segmentLibre(maillage, centres, bouts[0], bouts[1], [&](std::size_t c) { return prise[c] != 0; }))
            continue;
        std::vector<char> coupe(n, 0);
        for (int c : file)
            for (int i : maillage.mailles[static_cast<std::size_t>(c)])
                coupe[static_cast<std::size_t>(i)] = 1;
        arrondir(coupe, maillage, {});
        if (!jumeauxPrets(maillage, triangles, jumeaux))
            return 0;
        std::vector<std::vector<int>> bords;
        if (rebords(triangles, jumeaux, coupe, bords) && bords.size() == 2 &&
            operer(maillage, coupe, Operation::Anse, 0, resultat, &droite))
            return static_cast<int>(std::count(coupe.begin(), coupe.end(), 1));
    }
    return 0;
}

/// Pairs of pieces each behind the other (the segment between their middles leaves each through
/// its inside), the nearest first.
std::vector<std::pair<double, std::pair<int, int>>> piecesDosADos(const Morceaux &m)
{
    const std::vector<point3> &milieu = m.milieu, &normale = m.normale;
    std::vector<std::pair<double, std::pair<int, int>>> paires;
    for (std::size_t p = 0; p < milieu.size(); ++p)
        for (std::size_t q = p + 1; q < milieu.size(); ++q) {
            const point3 u = milieu[q] - milieu[p];
            const double l = norme(u);
            if (l > 0 && scal(u, normale[p]) < -DERRIERE_L_AUTRE * l * norme(normale[p]) &&
                scal(u, normale[q]) > DERRIERE_L_AUTRE * l * norme(normale[q]))
                paires.push_back({l, {static_cast<int>(p), static_cast<int>(q)}});
        }
    std::sort(paires.begin(), paires.end());
    return paires;
}

/// What goes for a handle through the hole along `droite` between the pieces p and q (their
/// sheets at heights ha and hb along it): the cells of both pieces over the hole (their middle
/// within its radius of the line; two pieces share no point, or they would be one), and between
/// them, the surface within PAROI_DU_TROU of the line; of the wall, only what joins the pieces: a
/// bit of it on its own would leave a rim more.
std::vector<char> coupeDuBouchon(const ListesSimplexe &maillage, const std::vector<point3> &centres,
                                 const std::vector<int> &piece, int p, int q, const Droite &droite, double ha,
                                 double hb)
{
    std::vector<char> coupe(maillage.positions.size(), 0);
    std::vector<int> file;
    for (std::size_t c = 0; c < maillage.mailles.size(); ++c) {
        const point3 d = centres[c] - droite.centre;
        const double h = scal(d, droite.axe), r = norme(d - fois(droite.axe, h));
        const bool surLeTrou = (piece[c] == p || piece[c] == q) && r < droite.rayon;
        if (surLeTrou || ((h - ha) * (h - hb) < 0 && r < PAROI_DU_TROU * droite.rayon))
            for (int i : maillage.mailles[c]) {
                coupe[static_cast<std::size_t>(i)] = surLeTrou ? 2 : std::max<char>(coupe[i], 1);
                if (surLeTrou)
                    file.push_back(i);
            }
    }
    for (std::size_t k = 0; k < file.size(); ++k)
        for (int v : maillage.voisins[static_cast<std::size_t>(file[k])])
            if (coupe[static_cast<std::size_t>(v)] == 1) {
                coupe[static_cast<std::size_t>(v)] = 2;
                file.push_back(v);
            }
    for (char &c : coupe)
        c = c == 2;
    return coupe;
}

} // namespace

int ouvrirBouchons(const ListesSimplexe &maillage, const std::vector<char> &lointaines, double loin,
                   const std::function<double(const point3 &)> &distance, const std::vector<point3> &nuage,
                   double espacement, ListesSimplexe &resultat)
{
    const std::size_t nc = maillage.mailles.size();
    const std::size_t n = maillage.positions.size();
    if (lointaines.size() != nc || !(loin > 0) ||
        nc - static_cast<std::size_t>(std::count(lointaines.begin(), lointaines.end(), 0)) < 2)
        return 0;
    // The cells round each point; in a 2-simplex mesh, two cells that share a point share an edge.
    std::vector<std::vector<int>> autour(n);
    for (std::size_t c = 0; c < nc; ++c)
        for (int i : maillage.mailles[c])
            autour[static_cast<std::size_t>(i)].push_back(static_cast<int>(c));
    const std::vector<point3> centres = centresDesMailles(maillage);
    const Morceaux m = morceaux(maillage, autour, centres, lointaines, 2);
    const std::vector<int> &piece = m.piece;
    std::vector<std::array<int, 3>> triangles;
    std::vector<int> jumeaux;
    int essais = 0;
    for (const auto &paire : piecesDosADos(m)) {
        const int p = paire.second.first, q = paire.second.second;
        const point3 a = m.milieu[static_cast<std::size_t>(p)], b = m.milieu[static_cast<std::size_t>(q)];
        // Through nothing but the hole: clear of the cloud, and of every other cell.
        const int pas = static_cast<int>(std::ceil(paire.first / (PAS_ENTRE_LES_PIECES * loin)));
        bool libre = true;
        for (int k = 1; k < pas && libre; ++k)
            libre = distance(a + fois(b - a, double(k) / pas)) > loin;
        if (libre && ++essais > PAIRES_ESSAYEES)
            break;
        if (!libre ||
            !segmentLibre(maillage, centres, a, b, [&](std::size_t c) { return piece[c] == p || piece[c] == q; }))
            continue;
        double libreMinimal = 0;
        const Droite droite = ligneDuTrou(a, b, distance, libreMinimal);
        // Through the hole the line runs clear of the cloud past both sheets and on; through the
        // inside of a solid, it meets the cloud where the sheets lie.
        const double ha = scal(a - droite.centre, droite.axe), hb = scal(b - droite.centre, droite.axe);
        if (libreMinimal < std::max(std::abs(ha), std::abs(hb)) + droite.rayon)
            continue;
        std::vector<char> coupe = coupeDuBouchon(maillage, centres, piece, p, q, droite, ha, hb);
        arrondir(coupe, maillage, {});
        if (!jumeauxPrets(maillage, triangles, jumeaux))
            return 0;
        std::vector<std::vector<int>> bords;
        if (!rebords(triangles, jumeaux, coupe, bords) || bords.size() != 2)
            continue;
        if (cerneParLeNuage(droite, nuage, espacement) &&
            operer(maillage, coupe, Operation::Anse, 0, resultat, &droite))
            return static_cast<int>(std::count(coupe.begin(), coupe.end(), 1));
    }
    return ouvrirFeuilletsCroises(maillage, autour, centres, lointaines, loin, distance, nuage, espacement, triangles,
                                  jumeaux, resultat);
}

bool couperFente(const ListesSimplexe &maillage, const Fente &fente, ListesSimplexe &resultat)
{
    const std::size_t n = maillage.positions.size();
    if (!(fente.largeur > 0) || n == 0)
        return false;
    double arete = 0;
    for (std::size_t i = 0; i < n; ++i)
        arete += norme(maillage.positions[maillage.voisins[i][0]] - maillage.positions[i]);
    arete /= static_cast<double>(n);
    // The middle of the cut: a half-plane from the line.
    const double milieu = fente.debut + 0.5 * fente.largeur;
    const point3 dehors = fois(fente.e1, std::cos(milieu)) + fois(fente.e2, std::sin(milieu));
    const point3 travers = vect(fente.axe, dehors);
    const double demi = std::max(0.5 * fente.largeur * fente.rayon, CELLULES_DE_LA_FENTE * arete);
    std::vector<char> coupe(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const point3 d = maillage.positions[i] - fente.centre;
        coupe[i] = scal(d, dehors) > DEHORS_DE_LA_FENTE * fente.rayon && std::abs(scal(d, travers)) <= demi;
    }
    return operer(maillage, coupe, Operation::Traverse, 0, resultat);
}
