// Balanced blocks of the kd-tree: median-split construction and exact queries.
//
// Pruning uses the distance from the query to the box of a subtree, kept per axis along
// the path and summed in the same order as point distances. Every per-axis term is a
// difference rounded no larger than the point's own difference, so the box distance is
// never above the distance to any point inside it, in floating point too: no point at
// the searched distance can be pruned away.

#include "kdinterne.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

/// A point being sorted during construction (dimension 3): coordinates and its index in the input.
struct Element3
{
    double p[3];
    uint32_t id;
};

struct Acces3
{
    static double cle(const Element3 &e, int axe) { return e.p[axe]; }
    static uint32_t id(const Element3 &e) { return e.id; }
};

/// Any dimension: the elements are input indices.
struct AccesK
{
    const double *positions;
    int k;
    double cle(uint32_t e, int axe) const { return positions[size_t(e) * k + axe]; }
    static uint32_t id(uint32_t e) { return e; }
};

template <class Element, class Acces>
class Constructeur
{
public:
    Constructeur(std::vector<Element> &elements_, const Acces &acces_, int k_, bool nan_,
                 std::vector<kd_bnoeud> &noeuds_)
        : elements(elements_), acces(acces_), k(k_), nan(nan_), noeuds(noeuds_)
    {
    }

    /// Splits [debut, fin) whose points lie in the box [bas, haut] (may be loose).
    void diviser(uint32_t debut, uint32_t fin, double *bas, double *haut)
    {
        const size_t ici = noeuds.size();
        noeuds.push_back(kd_bnoeud{0, 0, -1, 0, debut, fin});
        if (fin - debut <= KD_TAILLE_FEUILLE)
            return;
        int axe = 0;
        for (int a = 1; a < k; ++a)
            if (haut[a] - bas[a] > haut[axe] - bas[axe])
                axe = a;
        const uint32_t milieu = debut + (fin - debut) / 2;
        const Acces &ac = acces;
        if (nan)
            // A NaN coordinate sorts after every number, so the order stays strict and weak.
            std::nth_element(elements.begin() + debut, elements.begin() + milieu, elements.begin() + fin,
                             [&ac, axe](const Element &a, const Element &b) {
                                 const double x = ac.cle(a, axe), y = ac.cle(b, axe);
                                 return x < y || (y != y && x == x);
                             });
        else
            std::nth_element(elements.begin() + debut, elements.begin() + milieu, elements.begin() + fin,
                             [&ac, axe](const Element &a, const Element &b) { return ac.cle(a, axe) < ac.cle(b, axe); });
        const double minDroite = ac.cle(elements[milieu], axe);
        double maxGauche = ac.cle(elements[debut], axe);
        for (uint32_t i = debut + 1; i < milieu; ++i)
            maxGauche = std::max(maxGauche, ac.cle(elements[i], axe));

        const double ancienHaut = haut[axe];
        haut[axe] = maxGauche;
        diviser(debut, milieu, bas, haut);
        haut[axe] = ancienHaut;
        const double ancienBas = bas[axe];
        bas[axe] = minDroite;
        const size_t droit = noeuds.size();
        diviser(milieu, fin, bas, haut);
        bas[axe] = ancienBas;

        kd_bnoeud &n = noeuds[ici];
        n.maxGauche = maxGauche;
        n.minDroite = minDroite;
        n.axe = axe;
        n.droit = uint32_t(droit);
    }

private:
    std::vector<Element> &elements;
    Acces acces;
    int k;
    bool nan;
    std::vector<kd_bnoeud> &noeuds;
};

template <class Element, class Acces>
void ranger(kd_bloc &b, std::vector<Element> &elements, const Acces &acces, bool nan, const double *positions,
            void *const *data)
{
    std::vector<double> bas(b.minimum), haut(b.maximum);
    b.noeuds.reserve(2 * (b.n / KD_TAILLE_FEUILLE + 1));
    Constructeur<Element, Acces>(elements, acces, b.k, nan, b.noeuds).diviser(0, uint32_t(b.n), bas.data(), haut.data());
    b.positions.resize(b.n * b.k);
    b.donnees.assign(b.n, nullptr);
    for (size_t i = 0; i < b.n; ++i)
    {
        const uint32_t id = acces.id(elements[i]);
        std::memcpy(&b.positions[i * b.k], positions + size_t(id) * b.k, sizeof(double) * b.k);
        if (data)
            b.donnees[i] = data[id];
    }
}

/// Queries over one block. K is the dimension when known at compile time, 0 otherwise.
template <int K>
class Recherche
{
public:
    Recherche(const kd_bloc &b_, const double *q_) : b(b_), q(q_), k(K ? K : b_.k), ecarts(k) {}

    /// Distance from q to the block's box, per axis, and its squared sum.
    double initialiser()
    {
        for (int a = 0; a < k; ++a)
        {
            double e = 0;
            if (q[a] < b.minimum[a])
                e = b.minimum[a] - q[a];
            else if (q[a] > b.maximum[a])
                e = q[a] - b.maximum[a];
            ecarts[a] = e;
        }
        return borne();
    }

    void plusProche(uint32_t i, double &meilleure, long &indice)
    {
        const kd_bnoeud &n = b.noeuds[i];
        if (n.axe < 0)
        {
            for (uint32_t j = n.debut; j < n.fin; ++j)
            {
                const double d = distance(&b.positions[size_t(j) * k]);
                if (d < meilleure)
                {
                    meilleure = d;
                    indice = long(j);
                }
            }
            return;
        }
        uint32_t pres, loin;
        double ecart;
        const int a = n.axe;
        if ((q[a] - n.maxGauche) + (q[a] - n.minDroite) < 0)
        {
            pres = i + 1;
            loin = n.droit;
            ecart = n.minDroite - q[a];
        }
        else
        {
            pres = n.droit;
            loin = i + 1;
            ecart = q[a] - n.maxGauche;
        }
        plusProche(pres, meilleure, indice);
        const double ancien = ecarts[a];
        if (ecart > ancien)
            ecarts[a] = ecart;
        if (borne() < meilleure)
            plusProche(loin, meilleure, indice);
        ecarts[a] = ancien;
    }

    void dansRayon(uint32_t i, double rayon2, std::vector<kd_entree> &sortie)
    {
        const kd_bnoeud &n = b.noeuds[i];
        if (n.axe < 0)
        {
            for (uint32_t j = n.debut; j < n.fin; ++j)
            {
                const double *p = &b.positions[size_t(j) * k];
                if (distance(p) <= rayon2)
                    sortie.push_back(kd_entree{p, b.donnees[j]});
            }
            return;
        }
        uint32_t pres, loin;
        double ecart;
        const int a = n.axe;
        if ((q[a] - n.maxGauche) + (q[a] - n.minDroite) < 0)
        {
            pres = i + 1;
            loin = n.droit;
            ecart = n.minDroite - q[a];
        }
        else
        {
            pres = n.droit;
            loin = i + 1;
            ecart = q[a] - n.maxGauche;
        }
        dansRayon(pres, rayon2, sortie);
        const double ancien = ecarts[a];
        if (ecart > ancien)
            ecarts[a] = ecart;
        if (borne() <= rayon2)
            dansRayon(loin, rayon2, sortie);
        ecarts[a] = ancien;
    }

    /// Squared distance from q to p, summed axis after axis.
    double distance(const double *p) const
    {
        double s = 0;
        for (int a = 0; a < k; ++a)
        {
            const double d = p[a] - q[a];
            s += d * d;
        }
        return s;
    }

private:
    double borne() const
    {
        double s = 0;
        for (int a = 0; a < k; ++a)
            s += ecarts[a] * ecarts[a];
        return s;
    }

    /// Per-axis distances, on the stack for a known dimension.
    struct Ecarts
    {
        explicit Ecarts(int k)
        {
            if (!K)
                tas.resize(k);
        }
        double &operator[](int a) { return K ? pile[a] : tas[a]; }
        double operator[](int a) const { return K ? pile[a] : tas[a]; }
        double pile[K ? K : 1] = {};
        std::vector<double> tas;
    };

    const kd_bloc &b;
    const double *q;
    const int k;
    Ecarts ecarts;
};

template <int K>
bool plusProche(const kd_bloc &b, const double *q, double *meilleure, kd_entree *trouve)
{
    Recherche<K> r(b, q);
    if (!(r.initialiser() < *meilleure))
        return false;
    long indice = -1;
    r.plusProche(0, *meilleure, indice);
    if (indice < 0)
        return false;
    trouve->position = &b.positions[size_t(indice) * b.k];
    trouve->data = b.donnees[size_t(indice)];
    return true;
}

template <int K>
void dansRayon(const kd_bloc &b, const double *q, double rayon2, std::vector<kd_entree> &sortie)
{
    Recherche<K> r(b, q);
    if (r.initialiser() <= rayon2)
        r.dansRayon(0, rayon2, sortie);
}

} // namespace

kd_bloc *kd_bloc_construire(int k, const double *positions, size_t n, void *const *data)
{
    kd_bloc *b = new kd_bloc;
    try
    {
        b->k = k;
        b->n = n;
        // Box of the points; NaN coordinates stay out of it (such points are never found).
        b->minimum.assign(k, std::numeric_limits<double>::infinity());
        b->maximum.assign(k, -std::numeric_limits<double>::infinity());
        bool nan = false;
        for (size_t i = 0; i < n; ++i)
            for (int a = 0; a < k; ++a)
            {
                const double c = positions[i * k + a];
                if (c < b->minimum[a])
                    b->minimum[a] = c;
                if (c > b->maximum[a])
                    b->maximum[a] = c;
                if (c != c)
                    nan = true;
            }
        if (k == 3)
        {
            std::vector<Element3> elements(n);
            for (size_t i = 0; i < n; ++i)
            {
                std::memcpy(elements[i].p, positions + 3 * i, sizeof elements[i].p);
                elements[i].id = uint32_t(i);
            }
            ranger(*b, elements, Acces3(), nan, positions, data);
        }
        else
        {
            std::vector<uint32_t> elements(n);
            for (size_t i = 0; i < n; ++i)
                elements[i] = uint32_t(i);
            ranger(*b, elements, AccesK{positions, k}, nan, positions, data);
        }
    }
    catch (...)
    {
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
