// One deformation step of a simplex mesh onto a point cloud, and the forces behind it.

#include "Simplex.h"
#include "Parallele.h"

#include "Resultat.h"
#include "Divergence.h"
#include "Vecteurs.h"

#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "kdtree.h"

namespace {

// --- neighbourhood mean of the simplex angle ----------------------------------------------------
//
// The mean is a walk: visiting point q with the running value m replaces m by
// (m + sum of the neighbours' angles) / (k + 1) (by / k when m is 0 on entry), then visits each
// neighbour one level lower. Every visit is an affine map of m, so the whole walk below a point at
// a given depth is one affine map, the same wherever that point is reached from. The maps are
// computed level by level for every point (cost linear in the depth) instead of enumerating the
// 3^depth paths. The first two levels are applied exactly as the walk does, in single precision;
// deeper levels use the maps in double precision, and a running value that lands exactly on 0
// inside a summarised walk is treated like any other value.

struct Affine
{
    double a = 1;
    double b = 0;
};

/// g after f.
Affine composer(const Affine &f, const Affine &g)
{
    return {g.a * f.a, g.a * f.b + g.b};
}

/// Neighbours of q that count in the mean (those that differ from q), in order.
int voisinsComptes(const PointSimplex &q, const PointSimplex *sortie[3])
{
    int k = 0;
    for (const PointSimplex *v : {q.Voisin1, q.Voisin2, q.Voisin3})
        if (v && *v != q)
            sortie[k++] = v;
    return k;
}

/// One visit of q, exactly as the walk makes it (single-precision sums).
void visiteExacte(const PointSimplex &q, float &moyenne)
{
    const float entree = moyenne;
    const PointSimplex *voisins[3];
    const int k = voisinsComptes(q, voisins);
    for (int j = 0; j < k; ++j)
        moyenne = moyenne + voisins[j]->Phi;
    const double diviseur = entree == 0 ? k : k + 1;
    moyenne = arrondiFloat(static_cast<double>(moyenne) / diviseur);
}

/// The points a walk may reach, with their counted neighbours as indices into the same list.
struct Graphe
{
    std::vector<const PointSimplex *> noeuds;
    std::vector<std::array<int, 3>> enfants; // -1 past the counted ones or outside the graph
    std::vector<int> nbComptes;
    std::vector<double> somme; // sum of the counted neighbours' angles

    void ajouterDonnees(const PointSimplex &q)
    {
        const PointSimplex *voisins[3];
        const int k = voisinsComptes(q, voisins);
        double s = 0;
        for (int j = 0; j < k; ++j)
            s += voisins[j]->Phi;
        nbComptes.push_back(k);
        somme.push_back(s);
    }
};

/// The affine map of one visit of node i, before its neighbours are visited (m != 0).
Affine premierPas(const Graphe &g, std::size_t i)
{
    const double d = g.nbComptes[i] + 1;
    return {1.0 / d, g.somme[i] / d};
}

/// For every node: the map of the walk over its counted neighbours at depth `profondeur` - 1,
/// i.e. what follows its own visit when it is reached at depth `profondeur` (>= 3).
std::vector<Affine> cheminsEnfants(const Graphe &g, int profondeur)
{
    const std::size_t n = g.noeuds.size();
    std::vector<Affine> niveau(n), suivant(n);
    for (std::size_t i = 0; i < n; ++i)
        niveau[i] = premierPas(g, i); // whole visits at depth 1
    for (int d = 2; d <= profondeur - 2; ++d) {
        for (std::size_t i = 0; i < n; ++i) {
            Affine f = premierPas(g, i);
            for (int e : g.enfants[i])
                if (e >= 0)
                    f = composer(f, niveau[static_cast<std::size_t>(e)]);
            suivant[i] = f;
        }
        niveau.swap(suivant);
    }
    std::vector<Affine> enfants(n);
    for (std::size_t i = 0; i < n; ++i)
        for (int e : g.enfants[i])
            if (e >= 0)
                enfants[i] = composer(enfants[i], niveau[static_cast<std::size_t>(e)]);
    return enfants;
}

/// The walk from q at depth `profondeur`, whose counted neighbours are the graph nodes
/// `indices` (used only when profondeur >= 3, with `chemins` from cheminsEnfants).
void parcourir(const PointSimplex &q, int profondeur, float &moyenne, const Graphe &g, const int *indices,
               const std::vector<Affine> &chemins)
{
    visiteExacte(q, moyenne);
    if (profondeur - 1 < 1)
        return;
    const PointSimplex *voisins[3];
    const int k = voisinsComptes(q, voisins);
    for (int j = 0; j < k; ++j) {
        if (profondeur - 1 == 1) {
            visiteExacte(*voisins[j], moyenne);
            continue;
        }
        const std::size_t r = static_cast<std::size_t>(indices[j]);
        const double entree = moyenne;
        const double x = entree == 0 ? g.somme[r] / g.nbComptes[r] : (entree + g.somme[r]) / (g.nbComptes[r] + 1);
        moyenne = arrondiFloat(chemins[r].a * x + chemins[r].b);
    }
}

} // namespace

void Simplex::angleMoyen(PointSimplex p, int profondeur, float &moyenne)
{
    if (profondeur < 3) {
        parcourir(p, profondeur, moyenne, Graphe(), nullptr, {});
        return;
    }
    // The points within profondeur - 1 steps of p: those a walk can visit with a depth of 2 or
    // more, plus the last ring, visited at depth 1.
    Graphe g;
    std::unordered_map<const PointSimplex *, int> indice;
    std::vector<int> distance;
    const PointSimplex *voisins[3];
    const int k = voisinsComptes(p, voisins);
    auto ajouter = [&](const PointSimplex *q, int dist) {
        auto res = indice.emplace(q, static_cast<int>(g.noeuds.size()));
        if (res.second) {
            g.noeuds.push_back(q);
            distance.push_back(dist);
        }
        return res.first->second;
    };
    int racines[3] = {-1, -1, -1};
    for (int j = 0; j < k; ++j)
        racines[j] = ajouter(voisins[j], 1);
    for (std::size_t i = 0; i < g.noeuds.size(); ++i) {
        const PointSimplex *q = g.noeuds[i];
        g.ajouterDonnees(*q);
        std::array<int, 3> enfants = {-1, -1, -1};
        const PointSimplex *vq[3];
        const int kq = voisinsComptes(*q, vq);
        if (distance[i] < profondeur - 1)
            for (int j = 0; j < kq; ++j)
                enfants[static_cast<std::size_t>(j)] = ajouter(vq[j], distance[i] + 1);
        g.enfants.push_back(enfants);
    }
    parcourir(p, profondeur, moyenne, g, racines, cheminsEnfants(g, profondeur));
}

vector3 Simplex::forceExterne(const PointSimplex &p, point3 T)
{
    const double projete = vector3(p.Position, T) * p.Ni;
    return p.Ni * projete;
}

vector3 Simplex::forceInterneDepuisMoyenne(const PointSimplex &p, float moyenne)
{
    if (!p.aSesVoisins())
        return vector3();
    const point3 &v1 = p.Voisin1->Position;
    const point3 &v2 = p.Voisin2->Position;
    const point3 &v3 = p.Voisin3->Position;
    const double w = 0.33333334f;
    const float cx = arrondiFloat(v3.x * w + v1.x * w + v2.x * w);
    const float cy = arrondiFloat(v3.y * w + v1.y * w + v2.y * w);
    const float cz = arrondiFloat(v3.z * w + v1.z * w + v2.z * w);
    const float phiCible = (moyenne + p.Phi) * 0.5f;
    const float hauteur = CalculParametre_L(p.Rayon, p.DistanceCentre, phiCible);
    return vector3((cx + hauteur * p.Ni.x) - p.Position.x, (cy + hauteur * p.Ni.y) - p.Position.y,
                   (cz + hauteur * p.Ni.z) - p.Position.z);
}

vector3 Simplex::forceInterne(const PointSimplex &p, int rigid)
{
    if (!p.aSesVoisins())
        return vector3();
    float moyenne = 0;
    angleMoyen(PointSimplex(p), rigid, moyenne);
    return forceInterneDepuisMoyenne(p, moyenne);
}

point3 Simplex::plusProcheDansCone(kd_tree *kd, point3 P, double rayon, vector3 direction, double angle)
{
    const double theta = angle * 6.283185307179586 / 180;
    point3 resultat = P;

    kd_result *proche = kd_closest3(kd, P.x, P.y, P.z);
    if (!proche)
        return resultat;
    double pos[3] = {0, 0, 0};
    const bool trouve = !kd_result_at_end(proche);
    if (trouve)
        kd_result_point(proche, pos);
    kd_result_release(proche);
    if (!trouve)
        return resultat;
    const point3 n(pos[0], pos[1], pos[2]);
    if (n == P)
        return resultat;

    const double R = vector3(P, n).norme() + rayon;
    const double longueurDirection = direction.norme();
    double meilleure = R + 1;
    const double cosTheta = std::cos(theta);

    kd_result *voisinage = kd_within3(kd, P.x, P.y, P.z, R);
    for (; voisinage && !kd_result_at_end(voisinage); kd_result_advance(voisinage)) {
        double q[3];
        kd_result_point(voisinage, q);
        const vector3 v(q[0] - P.x, q[1] - P.y, q[2] - P.z);
        const double dq = v.norme();
        const double proj = (v * direction) / longueurDirection;
        const double t = theta == 0 ? 0 : proj / cosTheta;
        const bool devant = t > dq && t > 0;
        const bool derriere = t < -dq && t < 0 && dq <= rayon;
        if ((devant || derriere) && dq < meilleure) {
            resultat = point3(q[0], q[1], q[2]);
            meilleure = dq;
        }
    }
    kd_result_release(voisinage);
    return resultat;
}

bool Simplex::actualiserCacheVoisins()
{
    const std::size_t n = ListePointsSimplex.size();
    bool valide = cacheVoisins.size() == n;
    for (std::size_t i = 0; valide && i < n; ++i) {
        const PointSimplex *p = ListePointsSimplex[i];
        const PointSimplex *voisins[3] = {p->Voisin1, p->Voisin2, p->Voisin3};
        for (std::size_t j = 0; j < 3 && valide; ++j) {
            const int idx = cacheVoisins[i][j];
            valide = idx >= 0 ? static_cast<std::size_t>(idx) < n &&
                                    ListePointsSimplex[static_cast<std::size_t>(idx)] == voisins[j]
                              : voisins[j] == nullptr;
        }
    }
    if (!valide) {
        std::unordered_map<const PointSimplex *, int> indice;
        indice.reserve(n);
        for (std::size_t i = 0; i < n; ++i)
            indice.emplace(ListePointsSimplex[i], static_cast<int>(i));
        cacheVoisins.assign(n, {-1, -1, -1});
        for (std::size_t i = 0; i < n; ++i) {
            const PointSimplex *p = ListePointsSimplex[i];
            const PointSimplex *voisins[3] = {p->Voisin1, p->Voisin2, p->Voisin3};
            for (std::size_t j = 0; j < 3; ++j) {
                auto it = voisins[j] ? indice.find(voisins[j]) : indice.end();
                cacheVoisins[i][j] = it == indice.end() ? -1 : it->second;
            }
        }
    }
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            if (cacheVoisins[i][j] < 0)
                return false;
    return true;
}

void Simplex::deformer(kd_tree *kd, int avecRetention, float alpha, float beta, float gamma, int rigid, bool cone)
{
    const std::size_t n = ListePointsSimplex.size();

    // Neighbourhood means for the whole step at once, from the angles at the start of the step.
    std::vector<float> moyennes;
    const bool maillageComplet = actualiserCacheVoisins();
    if (rigid >= 3 && maillageComplet) {
        Graphe g;
        g.noeuds.assign(ListePointsSimplex.begin(), ListePointsSimplex.end());
        g.enfants.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const PointSimplex &p = *ListePointsSimplex[i];
            g.ajouterDonnees(p);
            std::array<int, 3> enfants = {-1, -1, -1};
            const PointSimplex *voisins[3] = {p.Voisin1, p.Voisin2, p.Voisin3};
            std::size_t k = 0;
            for (std::size_t j = 0; j < 3; ++j)
                if (*voisins[j] != p)
                    enfants[k++] = cacheVoisins[i][j];
            g.enfants[i] = enfants;
        }
        const std::vector<Affine> chemins = cheminsEnfants(g, rigid);
        moyennes.resize(n);
        enParallele(n, filsEffectifs(fils), [&](std::size_t debut, std::size_t fin) {
            for (std::size_t i = debut; i < fin; ++i) {
                float m = 0;
                parcourir(*ListePointsSimplex[i], rigid, m, g, g.enfants[i].data(), chemins);
                moyennes[i] = m;
            }
        });
    }

    // Every point reads the state at the start of the step and writes only its own next position.
    enParallele(n, filsEffectifs(fils), [&](std::size_t debut, std::size_t fin) {
        for (std::size_t i = debut; i < fin; ++i) {
            const PointSimplex &p = *ListePointsSimplex.at(i);
            const point3 P = p.Position;

            bool aCible = false;
            point3 cible;
            if (!cone) {
                kd_result *res = kd_closest3f(kd, arrondiFloat(P.x), arrondiFloat(P.y), arrondiFloat(P.z));
                if (res && !kd_result_at_end(res)) {
                    double pos[3];
                    kd_result_point(res, pos);
                    cible = point3(arrondiFloat(pos[0]), arrondiFloat(pos[1]), arrondiFloat(pos[2]));
                    aCible = true;
                }
                kd_result_release(res);
            } else {
                cible = plusProcheDansCone(kd, P, RayonCone, p.Ni, AngleCone);
                aCible = true;
            }

            vector3 fExt;
            if (aCible && norme(cible) < 9999999)
                fExt = forceExterne(p, cible);

            vector3 fInt;
            if (!moyennes.empty())
                fInt = forceInterneDepuisMoyenne(p, moyennes[i]);
            else
                fInt = forceInterne(p, rigid);

            point3 &S = ListePointsSuivants.at(i)->Position;
            if (avecRetention == 0) {
                S = point3((alpha * fInt.x + P.x) + beta * fExt.x, (alpha * fInt.y + P.y) + beta * fExt.y,
                           (alpha * fInt.z + P.z) + beta * fExt.z);
            } else {
                const point3 &Q = ListePointsPrecedents.at(i)->Position;
                S = point3(((P.x + gamma * (P.x - Q.x)) + alpha * fInt.x) + beta * fExt.x,
                           ((P.y + gamma * (P.y - Q.y)) + alpha * fInt.y) + beta * fExt.y,
                           ((P.z + gamma * (P.z - Q.z)) + alpha * fInt.z) + beta * fExt.z);
            }
        }
    });

    appliquerSuivants(0);
}

RegionDeformation Simplex::regionDeformation(const kd_tree *kd) const
{
    Boite nuage;
    if (kd && kd->box && kd->box->dimension == 3) {
        nuage.min = point3(kd->box->minimum[0], kd->box->minimum[1], kd->box->minimum[2]);
        nuage.max = point3(kd->box->maximum[0], kd->box->maximum[1], kd->box->maximum[2]);
    }
    std::vector<point3> depart;
    depart.reserve(ListePointsSimplex.size());
    for (const PointSimplex *p : ListePointsSimplex)
        depart.push_back(p->Position);
    return RegionDeformation(nuage, depart);
}

bool Simplex::dansLaRegion(const RegionDeformation &region) const
{
    for (const PointSimplex *p : ListePointsSimplex)
        if (!region.contient(p->Position))
            return false;
    return true;
}

Resultat Simplex::deformerPas(int n, kd_tree *kd, int avecRetention, float alpha, float beta, float gamma, int rigid,
                              bool cone, const Progression &progression)
{
    if (n < 0)
        return Resultat::echec(Statut::ArgumentsIncorrects, Raison(CodeRaison::PasNegatifs, {n}));
    const RegionDeformation region = regionDeformation(kd);
    for (int pas = 0; pas < n; ++pas) {
        if (progression && !progression(double(pas) / n, Raison(CodeRaison::Deformation)))
            return Resultat::interrompu(Raison(CodeRaison::Deformation));
        deformer(kd, avecRetention, alpha, beta, gamma, rigid, cone);
        if (!dansLaRegion(region))
            return RegionDeformation::divergence(pas + 1);
    }
    if (progression)
        progression(1.0, Raison(CodeRaison::Deformation));
    return Resultat::succes();
}
