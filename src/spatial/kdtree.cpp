// kd-tree: singly inserted points (unbalanced tree of nodes), bulk-built blocks,
// queries over both, and result sets.
//
// Walks over the node tree use explicit stacks: a tree filled in sorted order is a
// chain as long as the cloud, far deeper than the call stack allows.

#include "kdinterne.h"

#include "Parallele.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace {

double distance2(const double *a, const double *b, int k)
{
    double s = 0;
    for (int i = 0; i < k; ++i) {
        const double d = a[i] - b[i];
        s += d * d;
    }
    return s;
}

void liberer_boite(kd_box *boite)
{
    if (!boite)
        return;
    delete[] boite->minimum;
    delete[] boite->maximum;
    delete boite;
}

/// Widens the tree's box to hold the point (creates it when there is none).
/// Returns false when memory runs out; the box is then unchanged.
bool etendre_boite(kd_tree *arbre, const double *p)
{
    const int k = arbre->dimension;
    if (!arbre->box) {
        kd_box *b = new (std::nothrow) kd_box{k, nullptr, nullptr};
        if (!b)
            return false;
        b->minimum = new (std::nothrow) double[k];
        b->maximum = new (std::nothrow) double[k];
        if (!b->minimum || !b->maximum) {
            liberer_boite(b);
            return false;
        }
        // Seeded empty, not with the first point: a coordinate of it that is not a number would
        // stay in the box for good (no comparison with it ever holds).
        std::fill(b->minimum, b->minimum + k, std::numeric_limits<double>::infinity());
        std::fill(b->maximum, b->maximum + k, -std::numeric_limits<double>::infinity());
        arbre->box = b;
    }
    for (int i = 0; i < k; ++i) {
        if (p[i] < arbre->box->minimum[i])
            arbre->box->minimum[i] = p[i];
        if (p[i] > arbre->box->maximum[i])
            arbre->box->maximum[i] = p[i];
    }
    return true;
}

void liberer_noeuds(kd_node *racine)
{
    kd_node *n = racine;
    // Rotates each left child up until the node has none, so the tree unrolls into a
    // chain along right links: no stack, no allocation.
    while (n) {
        if (n->left) {
            kd_node *g = n->left;
            n->left = g->right;
            g->right = n;
            n = g;
            continue;
        }
        kd_node *suivant = n->right;
        delete[] n->position;
        delete n;
        n = suivant;
    }
}

/// Visits every node (preorder).
template <class F> void parcourir(const kd_node *racine, std::vector<const kd_node *> &pile, F f)
{
    pile.clear();
    if (racine)
        pile.push_back(racine);
    while (!pile.empty()) {
        const kd_node *n = pile.back();
        pile.pop_back();
        f(n);
        if (n->right)
            pile.push_back(n->right);
        if (n->left)
            pile.push_back(n->left);
    }
}

/// Nearest node to q: box pruning, near side first, a node replacing the best only when
/// strictly nearer.
const kd_node *plus_proche_noeud(const kd_tree *arbre, const double *q, double *meilleure)
{
    const int k = arbre->dimension;
    std::vector<double> bas(arbre->box->minimum, arbre->box->minimum + k);
    std::vector<double> haut(arbre->box->maximum, arbre->box->maximum + k);
    const kd_node *best = arbre->root;
    *meilleure = distance2(q, best->position, k);

    auto distance_boite = [&]() {
        double s = 0;
        for (int i = 0; i < k; ++i) {
            if (q[i] < bas[i])
                s += (bas[i] - q[i]) * (bas[i] - q[i]);
            else if (q[i] > haut[i])
                s += (q[i] - haut[i]) * (q[i] - haut[i]);
        }
        return s;
    };

    // One frame per node being visited: stage 0 before the near side, 1 after it,
    // 2 after the far side; sauve is the box coordinate to put back.
    struct Cadre
    {
        const kd_node *n;
        int etape;
        double sauve;
    };
    std::vector<Cadre> pile;
    pile.push_back(Cadre{arbre->root, 0, 0});
    while (!pile.empty()) {
        Cadre &c = pile.back();
        const kd_node *n = c.n;
        const int a = n->axis;
        const bool gauche = q[a] - n->position[a] <= 0;
        const kd_node *pres = gauche ? n->left : n->right;
        const kd_node *loin = gauche ? n->right : n->left;
        double &coordPres = gauche ? haut[a] : bas[a];
        double &coordLoin = gauche ? bas[a] : haut[a];
        if (c.etape == 0) {
            c.etape = 1;
            if (pres) {
                c.sauve = coordPres;
                coordPres = n->position[a];
                pile.push_back(Cadre{pres, 0, 0});
            }
            continue;
        }
        if (c.etape == 1) {
            if (pres)
                coordPres = c.sauve;
            const double d = distance2(q, n->position, k);
            if (d < *meilleure) {
                *meilleure = d;
                best = n;
            }
            if (loin) {
                const double sauve = coordLoin;
                coordLoin = n->position[a];
                if (distance_boite() < *meilleure) {
                    c.etape = 2;
                    c.sauve = sauve;
                    pile.push_back(Cadre{loin, 0, 0});
                    continue;
                }
                coordLoin = sauve;
            }
            pile.pop_back();
            continue;
        }
        coordLoin = c.sauve;
        pile.pop_back();
    }
    return best;
}

/// Nodes within the radius, in the order found: a node, then its near side, then its
/// far side when the splitting plane is strictly nearer than the radius.
void noeuds_dans_rayon(const kd_tree *arbre, const double *q, double rayon, std::vector<kd_entree> &sortie)
{
    const int k = arbre->dimension;
    const double rayon2 = rayon * rayon;
    std::vector<const kd_node *> pile;
    pile.push_back(arbre->root);
    while (!pile.empty()) {
        const kd_node *n = pile.back();
        pile.pop_back();
        if (distance2(q, n->position, k) <= rayon2)
            sortie.push_back(kd_entree{n->position, n->data});
        const int a = n->axis;
        const double d = q[a] - n->position[a];
        const kd_node *pres = d <= 0 ? n->left : n->right;
        const kd_node *loin = d <= 0 ? n->right : n->left;
        if (loin && std::fabs(d) < rayon)
            pile.push_back(loin);
        if (pres)
            pile.push_back(pres);
    }
}

/// The last set released on this thread, kept for the next query: a nearest query then
/// allocates nothing.
thread_local std::unique_ptr<kd_result> libre;

kd_result *nouveau_resultat(const kd_tree *arbre)
{
    kd_result *r = libre.release();
    if (!r)
        r = new (std::nothrow) kd_result;
    if (r)
        r->tree = arbre;
    return r;
}

/// Builds a block over the block's own points plus the given ones, and puts it in the
/// tree in place of the old one. Throws std::bad_alloc, leaving the tree unchanged.
void reconstruire_bloc(kd_tree *arbre, const double *positions, size_t n, void *const *data, int fils)
{
    const int k = arbre->dimension;
    const kd_bloc *ancien = arbre->bloc;
    const size_t m = ancien ? ancien->n : 0;
    if (m + n >= UINT32_MAX)
        throw std::bad_alloc();
    kd_bloc *nouveau;
    if (m == 0)
        nouveau = kd_bloc_construire(k, positions, n, data, fils);
    else {
        std::vector<double> tout;
        std::vector<void *> donnees;
        tout.reserve((m + n) * k);
        donnees.reserve(m + n);
        for (size_t j = 0; j < m; ++j) {
            const double *p = kd_bloc_point(*ancien, j);
            tout.insert(tout.end(), p, p + k);
            donnees.push_back(kd_bloc_donnee(*ancien, j));
        }
        tout.insert(tout.end(), positions, positions + n * k);
        if (data)
            donnees.insert(donnees.end(), data, data + n);
        else
            donnees.resize(m + n, nullptr);
        nouveau = kd_bloc_construire(k, tout.data(), m + n, donnees.data(), fils);
    }
    // The box grows with the new points (the old ones are in it already).
    for (size_t i = 0; i < n; ++i)
        if (!etendre_boite(arbre, positions + i * k)) {
            delete nouveau;
            throw std::bad_alloc();
        }
    delete arbre->bloc;
    arbre->bloc = nouveau;
}

} // namespace

kd_tree *kd_make(int k)
{
    if (k < 1)
        return nullptr;
    return new (std::nothrow) kd_tree{k, nullptr, nullptr, nullptr};
}

void kd_destroy(kd_tree *tree)
{
    if (!tree)
        return;
    kd_empty(tree);
    delete tree;
}

void kd_empty(kd_tree *tree)
{
    if (!tree)
        return;
    liberer_noeuds(tree->root);
    tree->root = nullptr;
    liberer_boite(tree->box);
    tree->box = nullptr;
    delete tree->bloc;
    tree->bloc = nullptr;
}

int kd_insert(kd_tree *tree, const double *position, void *data)
{
    if (!tree || !position)
        return -1;
    const int k = tree->dimension;
    kd_node **place = &tree->root;
    int axe = 0;
    while (*place) {
        kd_node *n = *place;
        place = position[n->axis] < n->position[n->axis] ? &n->left : &n->right;
        axe = (n->axis + 1) % k;
    }
    kd_node *nouveau = new (std::nothrow) kd_node{nullptr, axe, data, nullptr, nullptr};
    if (!nouveau)
        return -1;
    nouveau->position = new (std::nothrow) double[k];
    if (!nouveau->position) {
        delete nouveau;
        return -1;
    }
    std::memcpy(nouveau->position, position, sizeof(double) * k);
    if (!etendre_boite(tree, position)) {
        delete[] nouveau->position;
        delete nouveau;
        return -1;
    }
    *place = nouveau;
    return 0;
}

int kd_insert3(kd_tree *tree, double x, double y, double z, void *data)
{
    const double p[3] = {x, y, z};
    return kd_insert(tree, p, data);
}

int kd_build(kd_tree *tree, const double *positions, size_t n, void *const *data, int threads)
{
    if (!tree)
        return -1;
    if (n == 0)
        return 0;
    if (!positions)
        return -1;
    try {
        reconstruire_bloc(tree, positions, n, data, filsEffectifs(threads));
    } catch (...) {
        return -1;
    }
    return 0;
}

int kd_build3(kd_tree *tree, const std::vector<point3> &points, int threads)
{
    if (!tree || tree->dimension != 3)
        return -1;
    if (points.empty())
        return 0;
    try {
        if (!tree->bloc) {
            // Nothing to merge with: the block is made from the list itself, without copies.
            if (points.size() >= UINT32_MAX)
                throw std::bad_alloc();
            kd_bloc *nouveau = kd_bloc_construire3(points, filsEffectifs(threads));
            // With no NaN the block's box is the box of the points, as extending it point by
            // point would make it.
            const bool dejaFaite = !nouveau->nan && etendre_boite(tree, nouveau->racine.data()) &&
                                   etendre_boite(tree, nouveau->racine.data() + 3);
            for (std::size_t i = 0; i < points.size() && !dejaFaite; ++i) {
                const double c[3] = {points[i].x, points[i].y, points[i].z};
                if (!etendre_boite(tree, c)) {
                    delete nouveau;
                    throw std::bad_alloc();
                }
            }
            tree->bloc = nouveau;
            return 0;
        }
        std::vector<double> xyz(points.size() * 3);
        std::vector<void *> data(points.size());
        for (size_t i = 0; i < points.size(); ++i) {
            xyz[3 * i] = points[i].x;
            xyz[3 * i + 1] = points[i].y;
            xyz[3 * i + 2] = points[i].z;
            data[i] = const_cast<point3 *>(&points[i]);
        }
        reconstruire_bloc(tree, xyz.data(), points.size(), data.data(), filsEffectifs(threads));
    } catch (...) {
        return -1;
    }
    return 0;
}

int kd_rebuild(kd_tree *tree)
{
    if (!tree)
        return -1;
    if (!tree->root)
        return 0;
    try {
        const int k = tree->dimension;
        std::vector<double> xyz;
        std::vector<void *> data;
        std::vector<const kd_node *> pile;
        parcourir(tree->root, pile, [&](const kd_node *n) {
            xyz.insert(xyz.end(), n->position, n->position + k);
            data.push_back(n->data);
        });
        reconstruire_bloc(tree, xyz.data(), data.size(), data.data(), filsEffectifs(0));
    } catch (...) {
        return -1;
    }
    liberer_noeuds(tree->root);
    tree->root = nullptr;
    return 0;
}

size_t kd_size(const kd_tree *tree)
{
    if (!tree)
        return 0;
    size_t n = tree->bloc ? tree->bloc->n : 0;
    // Counting walks the nodes; without memory for the walk, count what the block holds.
    try {
        std::vector<const kd_node *> pile;
        parcourir(tree->root, pile, [&n](const kd_node *) { ++n; });
    } catch (...) {
    }
    return n;
}

kd_result *kd_closest(const kd_tree *tree, const double *position)
{
    if (!tree || !tree->box || !position)
        return nullptr;
    kd_result *r = nouveau_resultat(tree);
    if (!r)
        return nullptr;
    try {
        double meilleure = std::numeric_limits<double>::infinity();
        kd_entree trouve{nullptr, nullptr};
        if (tree->root) {
            const kd_node *n = plus_proche_noeud(tree, position, &meilleure);
            trouve = kd_entree{n->position, n->data};
        }
        if (tree->bloc)
            kd_bloc_plus_proche(*tree->bloc, position, &meilleure, &trouve);
        if (!trouve.position) {
            // Only points with NaN coordinates: none is nearer than any other.
            trouve = tree->root ? kd_entree{tree->root->position, tree->root->data}
                                : kd_entree{kd_bloc_point(*tree->bloc, 0), kd_bloc_donnee(*tree->bloc, 0)};
        }
        r->seul = trouve;
        r->tableau = &r->seul;
        r->taille = 1;
    } catch (...) {
        delete r;
        return nullptr;
    }
    return r;
}

kd_result *kd_closest3(const kd_tree *tree, double x, double y, double z)
{
    const double p[3] = {x, y, z};
    return kd_closest(tree, p);
}

kd_result *kd_closest3f(const kd_tree *tree, float x, float y, float z)
{
    const double p[3] = {x, y, z};
    return kd_closest(tree, p);
}

kd_result *kd_within(const kd_tree *tree, const double *position, double radius)
{
    if (!tree || !position)
        return nullptr;
    kd_result *r = nouveau_resultat(tree);
    if (!r)
        return nullptr;
    try {
        if (tree->root)
            noeuds_dans_rayon(tree, position, radius, r->trouves);
        if (tree->bloc)
            kd_bloc_dans_rayon(*tree->bloc, position, radius * radius, r->trouves);
        if (r->trouves.size() > size_t(std::numeric_limits<int>::max()))
            throw std::bad_alloc();
    } catch (...) {
        delete r;
        return nullptr;
    }
    r->tableau = r->trouves.data();
    r->taille = int(r->trouves.size());
    return r;
}

kd_result *kd_within3(const kd_tree *tree, double x, double y, double z, double radius)
{
    const double p[3] = {x, y, z};
    return kd_within(tree, p, radius);
}

void kd_result_release(kd_result *set)
{
    // A set that held many points gives its memory back.
    if (!set || libre || set->trouves.capacity() > 4096) {
        delete set;
        return;
    }
    set->trouves.clear();
    set->seul = kd_entree{nullptr, nullptr};
    set->tableau = nullptr;
    set->taille = 0;
    set->curseur = 0;
    libre.reset(set);
}

int kd_result_size(const kd_result *set)
{
    return set ? set->taille : 0;
}

bool kd_result_at_end(const kd_result *set)
{
    return !set || set->curseur >= set->taille;
}

bool kd_result_advance(kd_result *set)
{
    if (!set || set->curseur >= set->taille)
        return false;
    ++set->curseur;
    return set->curseur < set->taille;
}

void *kd_result_point(const kd_result *set, double *position)
{
    if (kd_result_at_end(set))
        return nullptr;
    // The set lists the entries in the reverse of the order found.
    const kd_entree &e = set->tableau[set->taille - 1 - set->curseur];
    if (position)
        std::memcpy(position, e.position, sizeof(double) * set->tree->dimension);
    return e.data;
}
