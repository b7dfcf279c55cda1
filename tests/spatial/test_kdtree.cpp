// The kd-tree: behaviour on small hand-made trees (insertion rule, box, ties, inclusive radius,
// result order, the cursor, empty and null trees, deep chains), and queries checked against a
// search over every point on seeded random clouds, for every way of filling a tree: one by one,
// bulk-built, both mixed, and rebuilt.

#include "kdtree.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <vector>

namespace {

void *tag(uintptr_t i)
{
    return reinterpret_cast<void *>(i);
}

/// User pointer of the nearest point (its position in p when given); null when none.
void *plusProche(const kd_tree *t, double x, double y, double z, double *p = nullptr)
{
    kd_result *r = kd_closest3(t, x, y, z);
    void *d = r ? kd_result_point(r, p) : nullptr;
    EXPECT_TRUE(!r || kd_result_size(r) == 1);
    kd_result_release(r);
    return d;
}

/// User pointers within the radius, in the order the cursor lists them.
std::vector<void *> dansRayon(const kd_tree *t, double x, double y, double z, double rayon)
{
    kd_result *r = kd_within3(t, x, y, z, rayon);
    EXPECT_NE(r, nullptr);
    std::vector<void *> v;
    for (; !kd_result_at_end(r); kd_result_advance(r))
        v.push_back(kd_result_point(r, nullptr));
    EXPECT_EQ(kd_result_size(r), int(v.size()));
    kd_result_release(r);
    return v;
}

struct Arbre
{
    explicit Arbre(std::vector<point3> pts = {}) : t(kd_make(3))
    {
        for (std::size_t i = 0; i < pts.size(); ++i)
            kd_insert3(t, pts[i].x, pts[i].y, pts[i].z, tag(i + 1));
    }
    ~Arbre() { kd_destroy(t); }
    kd_tree *t;
};

TEST(KdQueries, ExactHitsTiesSinglePrecisionInclusiveRadiusAndFoundOrder)
{
    Arbre a({{0, 0, 0}, {2, 0, 0}, {-2, 0, 0}, {5, 5, 5}});
    double p[3];
    EXPECT_EQ(plusProche(a.t, 5, 5, 5, p), tag(4));
    EXPECT_EQ(std::vector<double>(p, p + 3), std::vector<double>(3, 5.0));
    // (1, 0, 0) ties the root and (2, 0, 0), (-1, 0, 0) the root and (-2, 0, 0): the root wins;
    // (0, 3, 0) is nearer the root (3 against sqrt(13)).
    for (double x : {1.0, -1.0})
        EXPECT_EQ(plusProche(a.t, x, 0, 0), tag(1)) << x;
    EXPECT_EQ(plusProche(a.t, 0, 3, 0), tag(1));

    // Far from the root, (9, 0, 0) and (11, 0, 0) tie: the first met, (9, 0, 0), wins,
    // although (11, 0, 0) is checked after it.
    Arbre c({{0, 0, 0}, {9, 0, 0}, {11, 0, 0}});
    EXPECT_EQ(plusProche(c.t, 10, 0, 0), tag(2));

    // Two points one float rounding apart: the float query finds the rounded one.
    Arbre b({{0.1, 0, 0}, {double(0.1f), 0, 0}});
    kd_result *r = kd_closest3f(b.t, 0.1f, 0.f, 0.f);
    EXPECT_EQ(kd_result_point(r, nullptr), tag(2));
    kd_result_release(r);
    EXPECT_EQ(plusProche(b.t, 0.1, 0, 0), tag(1));

    // Radius sets: inclusive, in reverse found order.
    Arbre w({{0, 0, 0}, {-1, 0, 0}, {1, 0, 0}, {3, 4, 0}});
    // Found: the root, its near (left) side, then the right side with (3, 4, 0) at exactly 5.
    EXPECT_EQ(dansRayon(w.t, 0, 0, 0, 5), (std::vector<void *>{tag(4), tag(3), tag(2), tag(1)}));
    EXPECT_EQ(dansRayon(w.t, 0, 0, 0, 4.999999), (std::vector<void *>{tag(3), tag(2), tag(1)}));

    // Radius 0 misses a later duplicate in inserted trees only; a small positive radius crosses to
    // the duplicates.
    const std::vector<point3> pts{{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {0, 0, 0}};
    Arbre d(pts);
    EXPECT_EQ(dansRayon(d.t, 1, 1, 1, 0), std::vector<void *>{tag(1)});
    EXPECT_EQ(dansRayon(d.t, 1, 1, 1, 1e-9).size(), 3u);

    // A point-list build with a point that is not a number in one coordinate only (x, then y,
    // then z): never found, and the box, hence every other answer, as without it.
    for (int k = 0; k < 3; ++k) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        std::vector<point3> avecNan = {point3(k == 0 ? nan : 0, k == 1 ? nan : 0, k == 2 ? nan : 0),
                                       point3(5, 5, 5), point3(-2, 1, 0)};
        Arbre f;
        ASSERT_EQ(kd_build3(f.t, avecNan), 0);
        EXPECT_EQ(plusProche(f.t, 0.1, 0.1, 0.1), (void *)&avecNan[2]) << k;
        EXPECT_EQ(plusProche(f.t, 9, 9, 9), (void *)&avecNan[1]) << k;
        EXPECT_EQ(f.t->box->minimum[0], -2) << k;
        EXPECT_EQ(f.t->box->maximum[1], 5) << k;
    }

    // A bulk-built tree finds every point at distance 0; user pointers are the elements.
    Arbre e;
    ASSERT_EQ(kd_build3(e.t, pts), 0);
    std::vector<void *> v = dansRayon(e.t, 1, 1, 1, 0);
    std::sort(v.begin(), v.end());
    EXPECT_EQ(v, (std::vector<void *>{(void *)&pts[0], (void *)&pts[1], (void *)&pts[2]}));

    // Built a second time, the tree keeps the first list and gains the second, each point of it
    // at its place with its own pointer.
    const std::vector<point3> suite = {point3(10, 0, 0), point3(20, 0, 0), point3(30, 0, 0)};
    ASSERT_EQ(kd_build3(e.t, suite), 0);
    EXPECT_EQ(kd_size(e.t), pts.size() + suite.size());
    for (const point3 &p : suite)
        EXPECT_EQ(plusProche(e.t, p.x, p.y + 0.1, p.z), (void *)&p) << p.x;
    EXPECT_EQ(plusProche(e.t, 0, 0, -0.1), (void *)&pts[3]);
}

TEST(KdTree, EmptyNullAndEmptiedTrees)
{
    EXPECT_TRUE(!kd_make(0) && !kd_closest3(nullptr, 0, 0, 0) && !kd_within3(nullptr, 0, 0, 0, 1));
    EXPECT_TRUE(kd_insert3(nullptr, 0, 0, 0, nullptr) == -1 && kd_build3(nullptr, {point3()}) == -1);
    EXPECT_TRUE(kd_result_at_end(nullptr) && !kd_result_advance(nullptr) && !kd_result_point(nullptr, nullptr));
    kd_destroy(nullptr);
    kd_result_release(nullptr);

    Arbre a;
    EXPECT_EQ(kd_closest3(a.t, 0, 0, 0), nullptr);
    kd_result *r = kd_within3(a.t, 0, 0, 0, 1e9);
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(kd_result_at_end(r) && !kd_result_point(r, nullptr));
    kd_result_release(r);
    EXPECT_TRUE(kd_build3(a.t, {}) == 0 && !kd_closest3(a.t, 0, 0, 0) && kd_rebuild(a.t) == 0 && kd_size(a.t) == 0);
    EXPECT_EQ(kd_rebuild(nullptr), -1);
    EXPECT_EQ(kd_build(a.t, nullptr, 3, nullptr), -1); // points announced, none given

    // Filled both ways, emptied, then used again.
    kd_insert3(a.t, 1, 2, 3, tag(1));
    ASSERT_EQ(kd_build3(a.t, {point3(4, 5, 6)}), 0);
    EXPECT_EQ(kd_size(a.t), 2u);
    kd_empty(a.t);
    EXPECT_TRUE(!a.t->root && !a.t->box && !a.t->bloc && kd_size(a.t) == 0);
    EXPECT_EQ(kd_closest3(a.t, 0, 0, 0), nullptr);
    kd_insert3(a.t, 9, 9, 9, tag(9));
    EXPECT_EQ(plusProche(a.t, 0, 0, 0), tag(9));
    EXPECT_EQ(a.t->box->minimum[0], 9);

    // A dimension other than 3 is refused by the point-list build.
    kd_tree *t2 = kd_make(2);
    EXPECT_EQ(kd_build3(t2, {point3(1, 2, 3)}), -1);
    EXPECT_EQ(kd_size(t2), 0u);
    kd_destroy(t2);
}

// A block built on one thread or several is the same: the same nearest points, and radius sets
// listed in the same order (which follows the block's shape), with the user pointers of kd_build3.
TEST(KdBuild, TheSameBlockWhateverTheThreads)
{
    std::mt19937 g(5);
    std::vector<point3> pts;
    for (int i = 0; i < 140000; ++i)
        pts.push_back(point3(g() % 400, g() % 400, g() % 30 * 0.5));
    std::vector<double> plan;
    for (int i = 0; i < 140000; ++i)
        plan.insert(plan.end(), {double(g() % 400), double(g() % 400)});
    Arbre un, trois;
    kd_tree *plans[2] = {kd_make(2), kd_make(2)};
    ASSERT_TRUE(kd_build3(un.t, pts, 1) == 0 && kd_build3(trois.t, pts, 3) == 0);
    for (int k = 0; k < 2; ++k)
        ASSERT_EQ(kd_build(plans[k], plan.data(), 140000, nullptr, 1 + 2 * k), 0);
    for (int q = 0; q < 500; ++q) {
        const double x = g() % 4000 * 0.1, y = g() % 4000 * 0.1, z = g() % 150 * 0.1, c[2] = {x, y};
        double p[3];
        void *d = plusProche(trois.t, x, y, z, p);
        ASSERT_EQ(plusProche(un.t, x, y, z), d);
        ASSERT_EQ(*static_cast<point3 *>(d), point3(p[0], p[1], p[2]));
        ASSERT_EQ(dansRayon(un.t, x, y, z, 4), dansRayon(trois.t, x, y, z, 4));
        std::vector<double> v[2];
        for (int k = 0; k < 2; ++k) {
            kd_result *r = kd_within(plans[k], c, 3);
            for (; !kd_result_at_end(r); kd_result_advance(r))
                v[k].push_back(kd_result_point(r, p) ? -1 : p[0] + 1000 * p[1]);
            kd_result_release(r);
        }
        ASSERT_TRUE(v[0] == v[1] && !v[0].empty());
    }
    kd_destroy(plans[0]);
    kd_destroy(plans[1]);
}

// A large block where one point is repeated: the median split meets only equal keys, on every
// axis; the build ends and the queries see every copy.
TEST(KdBuild, ALargeBlockOfOnePointRepeated)
{
    std::vector<point3> pts(100000, point3(1, 2, 3));
    pts.push_back(point3(5, 2, 3));
    Arbre a;
    ASSERT_EQ(kd_build3(a.t, pts, 2), 0);
    EXPECT_EQ(plusProche(a.t, 6, 2, 3), &pts.back());
    EXPECT_EQ(dansRayon(a.t, 1, 2, 3, 0.5).size(), 100000u);
}

// Builds add to the block: points keep their own user pointers (null when none were given),
// and single insertions keep theirs.
TEST(KdBuild, LaterBuildsAddToTheBlock)
{
    Arbre a;
    const double p1[] = {0, 0, 0, 10, 0, 0};
    void *const d1[] = {tag(1), tag(2)};
    const double p2[] = {20, 0, 0, 30, 0, 0};
    ASSERT_EQ(kd_build(a.t, p1, 2, d1), 0);
    ASSERT_EQ(kd_insert3(a.t, 40, 0, 0, tag(5)), 0);
    ASSERT_EQ(kd_build(a.t, p2, 2, nullptr), 0);
    EXPECT_TRUE(kd_size(a.t) == 5 && a.t->box->maximum[0] == 40);
    const double attendu[][2] = {{0, 1}, {10, 2}, {20, 0}, {30, 0}, {40, 5}};
    for (const auto &e : attendu) {
        double p[3];
        EXPECT_EQ(plusProche(a.t, e[0] + 1, 1, 0, p), e[1] == 0 ? nullptr : tag(uintptr_t(e[1]))) << e[0];
        EXPECT_EQ(p[0], e[0]);
    }
    ASSERT_EQ(kd_rebuild(a.t), 0);
    std::vector<void *> v = dansRayon(a.t, 0, 0, 0, 100);
    std::sort(v.begin(), v.end());
    EXPECT_EQ(v, (std::vector<void *>{nullptr, nullptr, tag(1), tag(2), tag(5)}));
}

// A tree filled in sorted order is one long chain: every walk over it must not
// depend on the depth of the call stack.
TEST(KdTree, DeepChainIsQueriedAndFreed)
{
    const int n = 400000;
    // Built by hand (inserting n sorted points costs n^2 / 2 steps); the same shape
    // kd_insert gives for increasing x.
    const auto chaine = [n] {
        kd_tree *t = kd_make(3);
        kd_node **place = &t->root;
        for (int i = 0; i < n; ++i) {
            *place = new kd_node{new double[3]{double(i), 0, 0}, i % 3, tag(uintptr_t(i) + 1), nullptr, nullptr};
            place = &(*place)->right;
        }
        t->box = new kd_box{3, new double[3]{0, 0, 0}, new double[3]{double(n - 1), 0, 0}};
        return t;
    };
    kd_tree *t = chaine();
    EXPECT_EQ(plusProche(t, n - 0.7, 1, 0), tag(n));
    EXPECT_EQ(dansRayon(t, n - 1, 0, 0, 2.5), (std::vector<void *>{tag(n), tag(n - 1), tag(n - 2)}));
    ASSERT_TRUE(kd_size(t) == size_t(n) && kd_rebuild(t) == 0 && !t->root);
    EXPECT_EQ(plusProche(t, 1234.4, 0, 0), tag(1235));
    kd_destroy(t);
    // The same chain freed straight away.
    kd_destroy(chaine());
}

enum class Remplissage { Insertion, Bloc, Mixte, Reconstruit };

/// Points of dimension k, flat.
struct Nuage
{
    int k;
    std::vector<double> c;
    size_t n() const { return c.size() / k; }
    const double *p(size_t i) const { return &c[i * k]; }
};

/// Index of the point whose user pointer is d (user pointer of point i: tag(i + 1)).
size_t indice(void *d)
{
    return size_t(reinterpret_cast<uintptr_t>(d)) - 1;
}

double d2(const double *a, const double *b, int k)
{
    double s = 0;
    for (int i = 0; i < k; ++i)
        s += (a[i] - b[i]) * (a[i] - b[i]);
    return s;
}

kd_tree *remplir(const Nuage &nu, Remplissage r)
{
    kd_tree *t = kd_make(nu.k);
    std::vector<void *> tags(nu.n());
    for (size_t i = 0; i < nu.n(); ++i)
        tags[i] = tag(i + 1);
    // The points before `fin` go to the block: the mixed tree gets half in two builds, then single
    // insertions.
    const bool mixte = r == Remplissage::Mixte;
    const size_t fin = r == Remplissage::Bloc ? nu.n() : mixte ? nu.n() / 2 : 0, tiers = mixte ? fin / 3 : 0;
    if (r == Remplissage::Bloc || mixte) {
        EXPECT_EQ(kd_build(t, nu.c.data(), tiers, tags.data()), 0);
        EXPECT_EQ(kd_build(t, nu.p(tiers), fin - tiers, tags.data() + tiers), 0);
    }
    for (size_t i = fin; i < nu.n(); ++i)
        EXPECT_EQ(kd_insert(t, nu.p(i), tags[i]), 0);
    if (r == Remplissage::Reconstruit) {
        EXPECT_EQ(kd_rebuild(t), 0);
        EXPECT_EQ(t->root, nullptr);
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
                SCOPED_TRACE(testing::Message() << "k=" << k << " n=" << n << " filling " << int(r));
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
        SCOPED_TRACE(int(r));
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
    kd_tree *t = remplir(nu, Remplissage::Bloc);
    verifier(nu, t, aleatoire(g, 3, 100, 6).c, {1.0, 3.0}, true);
    kd_destroy(t);
}
