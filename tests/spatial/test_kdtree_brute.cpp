// kd-tree queries checked against a search over every point, on seeded random clouds,
// for every way of filling a tree: one by one, bulk-built, both mixed, and rebuilt.

#include "kdtree.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <vector>

namespace {

enum class Remplissage { Insertion, Bloc, Mixte, Reconstruit };
const char *const noms[] = {"insertion", "bloc", "mixte", "reconstruit"};
const char *nom(Remplissage r)
{
    return noms[int(r)];
}

/// Points of dimension k, flat; user pointer of point i is i + 1.
struct Nuage
{
    int k;
    std::vector<double> c;
    size_t n() const { return c.size() / k; }
    const double *p(size_t i) const { return &c[i * k]; }
};

void *tag(size_t i)
{
    return reinterpret_cast<void *>(uintptr_t(i) + 1);
}
size_t indice(void *d)
{
    return size_t(reinterpret_cast<uintptr_t>(d)) - 1;
}

double d2(const double *a, const double *b, int k)
{
    double s = 0;
    for (int i = 0; i < k; ++i) {
        const double d = a[i] - b[i];
        s += d * d;
    }
    return s;
}

kd_tree *remplir(const Nuage &nu, Remplissage r)
{
    kd_tree *t = kd_make(nu.k);
    std::vector<void *> tags(nu.n());
    for (size_t i = 0; i < nu.n(); ++i)
        tags[i] = tag(i);
    const size_t moitie = r == Remplissage::Mixte ? nu.n() / 2 : 0;
    if (r == Remplissage::Bloc || r == Remplissage::Mixte) {
        // The mixed tree gets its block in two builds, then single insertions.
        const size_t tiers = moitie / 3;
        const size_t fin = r == Remplissage::Bloc ? nu.n() : moitie;
        EXPECT_EQ(kd_build(t, nu.c.data(), tiers, tags.data()), 0);
        EXPECT_EQ(kd_build(t, nu.p(tiers), fin - tiers, tags.data() + tiers), 0);
        for (size_t i = fin; i < nu.n(); ++i)
            EXPECT_EQ(kd_insert(t, nu.p(i), tags[i]), 0);
    } else {
        for (size_t i = 0; i < nu.n(); ++i)
            EXPECT_EQ(kd_insert(t, nu.p(i), tags[i]), 0);
        if (r == Remplissage::Reconstruit) {
            EXPECT_EQ(kd_rebuild(t), 0);
            EXPECT_EQ(t->root, nullptr);
        }
    }
    EXPECT_EQ(kd_size(t), nu.n());
    return t;
}

/// Checks nearest and radius queries at the given positions. exact: the radius sets
/// must equal the full search's; otherwise (single insertions, where the search does not
/// cross a splitting plane at exactly the radius) they must be contained in it, and
/// equal whenever no point lies on a splitting plane at exactly the radius.
void verifier(const Nuage &nu, kd_tree *t, const std::vector<double> &requetes, const std::vector<double> &rayons,
              bool exact)
{
    const int k = nu.k;
    std::vector<double> lu(k);
    for (size_t j = 0; j * k < requetes.size(); ++j) {
        const double *q = &requetes[j * k];
        double meilleure = std::numeric_limits<double>::infinity();
        for (size_t i = 0; i < nu.n(); ++i)
            meilleure = std::min(meilleure, d2(q, nu.p(i), k));

        kd_result *r = kd_closest(t, q);
        ASSERT_NE(r, nullptr);
        void *d = kd_result_point(r, lu.data());
        ASSERT_LT(indice(d), nu.n());
        EXPECT_TRUE(std::equal(lu.begin(), lu.end(), nu.p(indice(d)))) << "position and user pointer disagree";
        EXPECT_EQ(d2(q, lu.data(), k), meilleure) << "query " << j;
        EXPECT_FALSE(kd_result_advance(r));
        kd_result_release(r);

        const double rayon = rayons[j % rayons.size()];
        std::vector<size_t> attendu;
        for (size_t i = 0; i < nu.n(); ++i)
            if (d2(q, nu.p(i), k) <= rayon * rayon)
                attendu.push_back(i);
        r = kd_within(t, q, rayon);
        ASSERT_NE(r, nullptr);
        std::vector<size_t> obtenu;
        for (; !kd_result_at_end(r); kd_result_advance(r)) {
            obtenu.push_back(indice(kd_result_point(r, lu.data())));
            EXPECT_TRUE(std::equal(lu.begin(), lu.end(), nu.p(obtenu.back())));
        }
        EXPECT_EQ(int(obtenu.size()), kd_result_size(r));
        kd_result_release(r);
        std::sort(obtenu.begin(), obtenu.end());
        EXPECT_TRUE(std::adjacent_find(obtenu.begin(), obtenu.end()) == obtenu.end()) << "a point listed twice";
        if (exact)
            EXPECT_EQ(obtenu, attendu) << "query " << j << " radius " << rayon;
        else
            EXPECT_TRUE(std::includes(attendu.begin(), attendu.end(), obtenu.begin(), obtenu.end()))
                << "query " << j << " radius " << rayon;
    }
}

Nuage aleatoire(std::mt19937 &g, int k, size_t n, double etendue)
{
    std::uniform_real_distribution<double> u(-etendue, etendue);
    Nuage nu{k, std::vector<double>(n * k)};
    for (double &c : nu.c)
        c = u(g);
    return nu;
}

const Remplissage tous[] = {Remplissage::Insertion, Remplissage::Bloc, Remplissage::Mixte, Remplissage::Reconstruit};

} // namespace

TEST(KdBrute, UniformCloudsInEveryDimension)
{
    std::mt19937 g(20261206);
    for (int k : {3, 1, 2, 5})
        for (size_t n : {size_t(1), size_t(2), size_t(9), size_t(2000)}) {
            const Nuage nu = aleatoire(g, k, n, 10);
            // Queries inside the cloud, on its points and far outside it.
            std::vector<double> q = aleatoire(g, k, 150, 14).c;
            q.insert(q.end(), nu.c.begin(), nu.c.begin() + k * std::min<size_t>(n, 20));
            const std::vector<double> far = aleatoire(g, k, 10, 1000).c;
            q.insert(q.end(), far.begin(), far.end());
            for (Remplissage r : tous) {
                SCOPED_TRACE(testing::Message() << "k=" << k << " n=" << n << " " << nom(r));
                kd_tree *t = remplir(nu, r);
                verifier(nu, t, q, {0.5, 2.0, 6.0, 0.0, 30.0}, true);
                kd_destroy(t);
            }
        }
}

// Integer grid points, many duplicates, and queries on grid points with integer radii:
// points lie exactly on the radius and on splitting planes.
TEST(KdBrute, DuplicatesAndPointsOnTheRadius)
{
    std::mt19937 g(7);
    std::uniform_int_distribution<int> u(0, 4);
    Nuage nu{3, std::vector<double>(3 * 1500)};
    for (double &c : nu.c)
        c = u(g);
    std::vector<double> q(3 * 200);
    std::uniform_int_distribution<int> uq(-2, 6);
    for (double &c : q)
        c = uq(g);
    for (Remplissage r : tous) {
        SCOPED_TRACE(nom(r));
        kd_tree *t = remplir(nu, r);
        const bool bloc = r == Remplissage::Bloc || r == Remplissage::Reconstruit;
        verifier(nu, t, q, {0.0, 1.0, 2.0, 3.0}, bloc);
        // Off the grid's distances the inserted tree finds every point too.
        verifier(nu, t, q, {0.5, 1.7, 2.9}, true);
        kd_destroy(t);
    }
}

// Coordinates no float holds (beyond its range, infinite) and NaN: NaN points are never
// found, the others as usual.
TEST(KdBuild, HugeInfiniteAndNaNCoordinates)
{
    std::mt19937 g(11);
    Nuage nu = aleatoire(g, 3, 600, 5);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < nu.n(); i += 7)
        nu.c[i * 3 + i % 3] = nan;
    nu.c[1] = nan; // the first point too
    const double enormes[] = {1e300, -1e300, 1e39, -1e39, 3.4028235677973366e38, inf, -inf};
    for (size_t i = 0; i < 7; ++i)
        nu.c[(10 * i + 3) * 3 + i % 3] = enormes[i];
    kd_tree *t = kd_make(3);
    std::vector<void *> tags(nu.n());
    for (size_t i = 0; i < nu.n(); ++i)
        tags[i] = tag(i);
    ASSERT_EQ(kd_build(t, nu.c.data(), nu.n(), tags.data()), 0);
    EXPECT_EQ(kd_size(t), nu.n());
    verifier(nu, t, aleatoire(g, 3, 100, 6).c, {1.0, 3.0}, true);
    kd_destroy(t);
}
