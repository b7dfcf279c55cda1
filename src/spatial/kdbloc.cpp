// Balanced blocks of the kd-tree: median-split construction and exact queries.
//
// Every inner node keeps the boxes of its two children, in floats rounded outwards.
// Pruning uses the distance from the query to a child's box, summed axis after axis like
// point distances: each per-axis term is a difference rounded no larger than the point's
// own difference, so the box distance is never above the distance to any point inside
// it, in floating point too, and no point at the searched distance can be pruned away.
// The same holds, the other way round, for the distance to the farthest corner that lets
// a radius query take a whole subtree without testing its points.

#include "kdinterne.h"

#include <sys/mman.h>

#include "Parallele.h"

#include <algorithm>
#include <type_traits>
#include <atomic>
#include <iterator>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <map>
#include <thread>

void *kd_allouer(size_t octets)
{
    constexpr size_t grande = size_t(2) << 20;
    if (octets < grande) {
        void *p = std::malloc(octets ? octets : 1);
        if (!p)
            throw std::bad_alloc();
        return p;
    }
    const size_t arrondi = (octets + grande - 1) / grande * grande;
    void *p = std::aligned_alloc(grande, arrondi);
    if (!p)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(p, arrondi, MADV_HUGEPAGE); // a hint: refused, the pages stay small
#endif
    return p;
}

void kd_liberer(void *p, size_t)
{
    std::free(p);
}

namespace {

/// A point being sorted during construction (dimension 3): coordinates and its index in the
/// input. The list sorted is kept as the block's points.
using Element3 = kd_point3;

struct Acces3
{
    static double cle(const Element3 &e, int axe) { return e.p[axe]; }
    static uint32_t id(const Element3 &e) { return e.id; }
    static const double *coordonnees(const Element3 &e) { return e.p; }
};

/// Any dimension: the elements are input indices.
struct AccesK
{
    const double *positions;
    int k;
    double cle(uint32_t e, int axe) const { return positions[size_t(e) * k + axe]; }
    static uint32_t id(uint32_t e) { return e; }
    const double *coordonnees(uint32_t e) const { return positions + size_t(e) * k; }
};

double valeur(double v)
{
    return v;
}
double valeur(const kd_mot &m)
{
    return m.f;
}

/// The largest float not above v (v not NaN).
float arrondiBas(double v)
{
    const double max = std::numeric_limits<float>::max();
    if (v > max)
        return float(max);
    if (v < -max)
        return -std::numeric_limits<float>::infinity();
    float f = float(v);
    if (double(f) > v)
        f = std::nextafter(f, -std::numeric_limits<float>::infinity());
    return f;
}

/// The smallest float not below v (v not NaN).
float arrondiHaut(double v)
{
    return -arrondiBas(-v);
}

/// std::nth_element, in fewer passes over a large range: two elements of an even sample that
/// bracket the rank sought split the range in one pass into the smaller ones, the ones between
/// (few) and the larger ones; the selection then goes on in the middle part only. When the
/// sample misses (the rank falls outside the middle part), that part is the one it falls in.
template <class It, class Moindre> void selectionner(It debut, It nieme, It fin, Moindre moindre)
{
    using Element = typename std::iterator_traits<It>::value_type;
    constexpr std::ptrdiff_t grand = 1 << 15, echantillon = 1024;
    while (fin - debut > grand) {
        const std::ptrdiff_t n = fin - debut;
        std::vector<Element> e(echantillon);
        for (std::ptrdiff_t i = 0; i < echantillon; ++i)
            e[size_t(i)] = debut[i * n / echantillon + (n / echantillon) / 2];
        std::sort(e.begin(), e.end(), moindre);
        // The rank in the sample, with a margin of about three standard deviations.
        const double r = double(nieme - debut) / double(n) * echantillon;
        const std::ptrdiff_t marge = 3 * 16 + 16;
        const Element bas = e[size_t(std::clamp<std::ptrdiff_t>(std::ptrdiff_t(r) - marge, 0, echantillon - 1))];
        const Element haut = e[size_t(std::clamp<std::ptrdiff_t>(std::ptrdiff_t(r) + marge, 0, echantillon - 1))];
        // [debut, a): below bas; [a, c): from bas to haut; [c, fin): above haut.
        const It a = std::partition(debut, fin, [&](const Element &x) { return moindre(x, bas); });
        const It c = std::partition(a, fin, [&](const Element &x) { return !moindre(haut, x); });
        if (a == debut && c == fin)
            break; // all between (equal keys, many of them): no pass would shrink the range
        if (nieme < a)
            fin = a;
        else if (nieme < c)
            debut = a, fin = c;
        else
            debut = c;
    }
    std::nth_element(debut, nieme, fin, moindre);
}

/// Node records of a subtree over m points, for every size a build meets: a function of m
/// alone, so each subtree's place in the records is known before it is built, whoever builds it.
class Comptes
{
public:
    explicit Comptes(size_t n) { compter(n); }
    size_t operator()(size_t m) const { return m <= KD_TAILLE_FEUILLE ? 1 : table.at(m); }

private:
    size_t compter(size_t m)
    {
        if (m <= KD_TAILLE_FEUILLE)
            return 1;
        const auto t = table.find(m);
        if (t != table.end())
            return t->second;
        const size_t c = 1 + compter(m / 2) + compter(m - m / 2);
        table.emplace(m, c);
        return c;
    }
    std::map<size_t, size_t> table;
};

/// Ranges this large are worth a thread of their own.
constexpr uint32_t KD_RANGEE_PARALLELE = 1u << 16;

template <class Element> using Liste = std::vector<Element, kd_liste<Element>>;

template <class Element, class Acces> class Constructeur
{
public:
    Constructeur(Liste<Element> &elements_, const Acces &acces_, kd_bloc &b_, const Comptes &comptes_)
        : elements(elements_), acces(acces_), k(b_.k), b(b_), comptes(comptes_),
          brouillon(kProfondeurMax * 4 * size_t(b_.k))
    {}

    /// Halving from below 2^32 points, the depth stays under 33.
    static constexpr size_t kProfondeurMax = 40;

    /// Makes the node ici of [debut, fin) and the nodes below it, `fils` threads sharing the
    /// work; writes the exact box of its points to boite (k minima, k maxima). profondeur
    /// indexes the scratch boxes. The records and points touched are the subtree's own.
    void diviser(uint32_t debut, uint32_t fin, size_t ici, double *boite, size_t profondeur, int fils)
    {
        b.noeuds[ici * b.mots + 1].u = debut;
        b.noeuds[ici * b.mots + 2].u = fin;
        if (fin - debut <= KD_TAILLE_FEUILLE) {
            boiteDe(debut, fin, 1, boite);
            return;
        }
        // Split across the widest spread, estimated on at most about 64 of the points.
        boiteDe(debut, fin, std::max<uint32_t>(1, (fin - debut) / 64), boite);
        int axe = 0;
        for (int a = 1; a < k; ++a)
            if (boite[k + a] - boite[a] > boite[k + axe] - boite[axe])
                axe = a;
        const uint32_t milieu = debut + (fin - debut) / 2;
        const Acces &ac = acces;
        if (b.nan)
            // A NaN coordinate sorts after every number, so the order stays strict and weak.
            selectionner(elements.begin() + debut, elements.begin() + milieu, elements.begin() + fin,
                         [&ac, axe](const Element &x, const Element &y) {
                             const double u = ac.cle(x, axe), v = ac.cle(y, axe);
                             return u < v || (v != v && u == u);
                         });
        else
            selectionner(elements.begin() + debut, elements.begin() + milieu, elements.begin() + fin,
                         [&ac, axe](const Element &x, const Element &y) { return ac.cle(x, axe) < ac.cle(y, axe); });

        const size_t droit = ici + 1 + comptes(milieu - debut);
        if (fils > 1 && fin - debut > KD_RANGEE_PARALLELE) {
            // The left half on a thread of its own, with scratch boxes of its own.
            coteACote(
                [&] {
                    Constructeur(elements, acces, b, comptes)
                        .diviser(debut, milieu, ici + 1, &brouillon[profondeur * 4 * k], 0, fils / 2);
                },
                [&] {
                    diviser(milieu, fin, droit, &brouillon[profondeur * 4 * k + 2 * k], profondeur + 1,
                            fils - fils / 2);
                });
        } else {
            diviser(debut, milieu, ici + 1, &brouillon[profondeur * 4 * k], profondeur + 1, 1);
            diviser(milieu, fin, droit, &brouillon[profondeur * 4 * k + 2 * k], profondeur + 1, 1);
        }
        b.noeuds[ici * b.mots].u = uint32_t(droit);
        const double *enfants = &brouillon[profondeur * 4 * k];
        kd_mot *boites = &b.noeuds[ici * b.mots + 4];
        for (int c = 0; c < 2; ++c)
            for (int a = 0; a < k; ++a) {
                boites[c * 2 * k + a].f = arrondiBas(enfants[c * 2 * k + a]);
                boites[c * 2 * k + k + a].f = arrondiHaut(enfants[c * 2 * k + k + a]);
            }
        // This node's box is the union of its children's.
        for (int a = 0; a < k; ++a) {
            boite[a] = std::min(enfants[a], enfants[2 * k + a]);
            boite[k + a] = std::max(enfants[k + a], enfants[3 * k + a]);
        }
    }

    /// Box of the points debut, debut + pas, ... below fin (NaN coordinates left out).
    void boiteDe(uint32_t debut, uint32_t fin, uint32_t pas, double *boite) const
    {
        double *bas = boite, *haut = boite + k;
        std::fill(bas, haut, std::numeric_limits<double>::infinity());
        std::fill(haut, haut + k, -std::numeric_limits<double>::infinity());
        // Without branches: a NaN compares false and leaves the bound as it was.
        for (uint32_t i = debut; i < fin; i += pas)
            for (int a = 0; a < k; ++a) {
                const double c = acces.cle(elements[i], a);
                bas[a] = c < bas[a] ? c : bas[a];
                haut[a] = c > haut[a] ? c : haut[a];
            }
    }

private:
    Liste<Element> &elements;
    Acces acces;
    int k;
    kd_bloc &b;
    const Comptes &comptes;
    /// Children's boxes, four boxes' worth per depth; never resized (boxes are written
    /// through pointers into it).
    std::vector<double> brouillon;
};

/// Builds the block over the elements (the points in any order), `fils` threads sharing the
/// work; donnee(id) gives the user pointer of the input point id.
template <class Element, class Acces, class Donnee>
void ranger(kd_bloc &b, Liste<Element> &elements, const Acces &acces, Donnee donnee, int fils)
{
    b.mots = 4 + 4 * uint32_t(b.k);
    const Comptes comptes(b.n);
    b.noeuds.assign(comptes(b.n) * b.mots, kd_mot{0});
    b.racine.resize(2 * b.k);
    Constructeur<Element, Acces>(elements, acces, b, comptes).diviser(0, uint32_t(b.n), 0, b.racine.data(), 0, fils);
    if (!b.base)
        b.donnees.resize(b.n);
    if constexpr (std::is_same_v<Element, Element3>) {
        if (!b.base)
            enParallele(b.n, fils, [&](size_t debut, size_t fin) {
                for (size_t i = debut; i < fin; ++i)
                    b.donnees[i] = donnee(elements[i].id);
            });
        b.points3 = std::move(elements);
        static_assert(sizeof(Element3) == 32, "a point of a block fills half a cache line");
    } else {
        b.positions.resize(b.n * b.k);
        enParallele(b.n, fils, [&](size_t debut, size_t fin) {
            for (size_t i = debut; i < fin; ++i) {
                std::memcpy(&b.positions[i * b.k], acces.coordonnees(elements[i]), sizeof(double) * b.k);
                b.donnees[i] = donnee(acces.id(elements[i]));
            }
        });
    }
}

/// Queries over one block. K is the dimension when known at compile time, 0 otherwise.
template <int K> class Recherche
{
public:
    Recherche(const kd_bloc &b_, const double *q_) : b(b_), q(q_), kDyn(b_.k) {}

    /// The dimension: a constant for K > 0, so that the loops over it unroll.
    int dim() const { return K ? K : kDyn; }

    void plusProche(uint32_t i, double &meilleure, long &indice) const
    {
        const int k = dim();
        const kd_mot *n = &b.noeuds[size_t(i) * b.mots];
        if (n[0].u == 0) {
            // The leaf's coordinates are asked for all at once: their cache misses then overlap.
            const char *debut = reinterpret_cast<const char *>(point(n[1].u));
            const char *fin = reinterpret_cast<const char *>(point(n[2].u - 1) + k);
            for (const char *c = debut; c < fin; c += 64)
                __builtin_prefetch(c);
            for (uint32_t j = n[1].u; j < n[2].u; ++j) {
                const double d = distance(point(j));
                if (d < meilleure) {
                    meilleure = d;
                    indice = long(j);
                }
            }
            return;
        }
        const kd_mot *boites = n + 4;
        uint32_t pres = i + 1, loin = n[0].u;
        double dPres = distanceBoite(boites), dLoin = distanceBoite(boites + 2 * k);
        if (dLoin < dPres) {
            std::swap(pres, loin);
            std::swap(dPres, dLoin);
        }
        if (dPres < meilleure)
            plusProche(pres, meilleure, indice);
        if (dLoin < meilleure)
            plusProche(loin, meilleure, indice);
    }

    /// Node i, whose box is boite (floats: k minima, k maxima; null for the root).
    void dansRayon(uint32_t i, const kd_mot *boite, double rayon2, std::vector<kd_entree> &sortie) const
    {
        const int k = dim();
        const kd_mot *n = &b.noeuds[size_t(i) * b.mots];
        const bool dedans = !b.nan && boite && distanceMaxBoite(boite) <= rayon2;
        if (n[0].u == 0 || dedans) {
            // A leaf, or a subtree wholly inside the ball (then no test is needed).
            for (uint32_t j = n[1].u; j < n[2].u; ++j) {
                const double *p = point(j);
                if (dedans || distance(p) <= rayon2)
                    sortie.push_back(kd_entree{p, kd_bloc_donnee(b, j)});
            }
            return;
        }
        const kd_mot *boites = n + 4;
        if (distanceBoite(boites) <= rayon2)
            dansRayon(i + 1, boites, rayon2, sortie);
        if (distanceBoite(boites + 2 * k) <= rayon2)
            dansRayon(n[0].u, boites + 2 * k, rayon2, sortie);
    }

    /// Coordinates of the point j (leaf order).
    const double *point(uint32_t j) const
    {
        if constexpr (K == 3)
            return b.points3[j].p;
        else
            return kd_bloc_point(b, j);
    }

    /// Squared distance from q to p, summed axis after axis.
    double distance(const double *p) const
    {
        const int k = dim();
        double s = 0;
        for (int a = 0; a < k; ++a) {
            const double d = p[a] - q[a];
            s += d * d;
        }
        return s;
    }

    /// Squared distance from q to a box (k minima, k maxima), 0 inside.
    template <class T> double distanceBoite(const T *bas) const
    {
        const int k = dim();
        const T *haut = bas + k;
        double s = 0;
        for (int a = 0; a < k; ++a) {
            const double lo = valeur(bas[a]), hi = valeur(haut[a]);
            double e = 0;
            if (q[a] < lo)
                e = lo - q[a];
            else if (q[a] > hi)
                e = q[a] - hi;
            s += e * e;
        }
        return s;
    }

    /// Squared distance from q to the farthest corner of a box.
    double distanceMaxBoite(const kd_mot *bas) const
    {
        const int k = dim();
        const kd_mot *haut = bas + k;
        double s = 0;
        for (int a = 0; a < k; ++a) {
            const double e = std::max(q[a] - double(bas[a].f), double(haut[a].f) - q[a]);
            s += e * e;
        }
        return s;
    }

private:
    const kd_bloc &b;
    const double *q;
    const int kDyn;
};

template <int K> bool plusProche(const kd_bloc &b, const double *q, double *meilleure, kd_entree *trouve)
{
    Recherche<K> r(b, q);
    if (!(r.distanceBoite(b.racine.data()) < *meilleure))
        return false;
    long indice = -1;
    r.plusProche(0, *meilleure, indice);
    if (indice < 0)
        return false;
    trouve->position = kd_bloc_point(b, size_t(indice));
    trouve->data = kd_bloc_donnee(b, size_t(indice));
    return true;
}

template <int K> void dansRayon(const kd_bloc &b, const double *q, double rayon2, std::vector<kd_entree> &sortie)
{
    Recherche<K> r(b, q);
    if (r.distanceBoite(b.racine.data()) <= rayon2)
        r.dansRayon(0, nullptr, rayon2, sortie);
}

} // namespace

kd_bloc *kd_bloc_construire(int k, const double *positions, size_t n, void *const *data, int fils)
{
    kd_bloc *b = new kd_bloc;
    try {
        b->k = k;
        b->n = n;
        for (size_t i = 0; i < n * k && !b->nan; ++i)
            b->nan = positions[i] != positions[i];
        auto donnee = [data](uint32_t id) { return data ? data[id] : nullptr; };
        if (k == 3) {
            Liste<Element3> elements(n);
            enParallele(n, fils, [&](size_t debut, size_t fin) {
                for (size_t i = debut; i < fin; ++i) {
                    std::memcpy(elements[i].p, positions + 3 * i, sizeof elements[i].p);
                    elements[i].id = uint32_t(i);
                }
            });
            ranger(*b, elements, Acces3(), donnee, fils);
        } else {
            Liste<uint32_t> elements(n);
            for (size_t i = 0; i < n; ++i)
                elements[i] = uint32_t(i);
            ranger(*b, elements, AccesK{positions, k}, donnee, fils);
        }
    } catch (...) {
        delete b;
        throw;
    }
    return b;
}

kd_bloc *kd_bloc_construire3(const std::vector<point3> &points, int fils)
{
    kd_bloc *b = new kd_bloc;
    try {
        b->k = 3;
        b->n = points.size();
        Liste<Element3> elements(b->n);
        std::atomic<bool> nan{false};
        enParallele(b->n, fils, [&](size_t debut, size_t fin) {
            bool vu = false;
            for (size_t i = debut; i < fin; ++i) {
                const point3 &p = points[i];
                elements[i] = Element3{{p.x, p.y, p.z}, uint32_t(i)};
                vu = vu || p.x != p.x || p.y != p.y || p.z != p.z;
            }
            if (vu)
                nan = true;
        });
        b->nan = nan;
        b->base = points.data();
        ranger(*b, elements, Acces3(), [](uint32_t) -> void * { return nullptr; }, fils);
    } catch (...) {
        delete b;
        throw;
    }
    return b;
}

bool kd_bloc_plus_proche(const kd_bloc &b, const double *q, double *meilleure, kd_entree *trouve)
{
    return b.k == 3 ? plusProche<3>(b, q, meilleure, trouve) : plusProche<0>(b, q, meilleure, trouve);
}

void kd_bloc_dans_rayon(const kd_bloc &b, const double *q, double rayon2, std::vector<kd_entree> &sortie)
{
    if (b.k == 3)
        dansRayon<3>(b, q, rayon2, sortie);
    else
        dansRayon<0>(b, q, rayon2, sortie);
}
