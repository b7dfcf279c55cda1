// Behaviour of the kd-tree on small hand-made trees: insertion rule, box, ties,
// inclusive radius, result order, the cursor, empty and null trees, deep chains.

#include "kdtree.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
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
    if (r) {
        EXPECT_EQ(kd_result_size(r), 1);
    }
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

} // namespace

TEST(KdClosest, ExactHitsTiesAndSinglePrecision)
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
}

TEST(KdWithin, InclusiveRadiusAndReverseFoundOrder)
{
    Arbre a({{0, 0, 0}, {-1, 0, 0}, {1, 0, 0}, {3, 4, 0}});
    // Found: the root, its near (left) side, then the right side with (3, 4, 0) at exactly 5.
    EXPECT_EQ(dansRayon(a.t, 0, 0, 0, 5), (std::vector<void *>{tag(4), tag(3), tag(2), tag(1)}));
    EXPECT_EQ(dansRayon(a.t, 0, 0, 0, 4.999999), (std::vector<void *>{tag(3), tag(2), tag(1)}));
    // Radius 0 on a stored point finds it.
    EXPECT_EQ(dansRayon(a.t, 1, 0, 0, 0), std::vector<void *>{tag(3)});
    EXPECT_TRUE(dansRayon(a.t, 0.5, 0, 0, 0).empty());
}

TEST(KdWithin, RadiusZeroMissesALaterDuplicateInInsertedTreesOnly)
{
    const std::vector<point3> pts{{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {0, 0, 0}};
    Arbre a(pts);
    EXPECT_EQ(dansRayon(a.t, 1, 1, 1, 0), std::vector<void *>{tag(1)});
    // A small positive radius crosses to the duplicates.
    EXPECT_EQ(dansRayon(a.t, 1, 1, 1, 1e-9).size(), 3u);

    // A bulk-built tree finds every point at distance 0; user pointers are the elements.
    Arbre b;
    ASSERT_EQ(kd_build3(b.t, pts), 0);
    std::vector<void *> v = dansRayon(b.t, 1, 1, 1, 0);
    std::sort(v.begin(), v.end());
    EXPECT_EQ(v, (std::vector<void *>{(void *)&pts[0], (void *)&pts[1], (void *)&pts[2]}));
}

TEST(KdTree, EmptyNullAndEmptiedTrees)
{
    EXPECT_EQ(kd_make(0), nullptr);
    EXPECT_EQ(kd_closest3(nullptr, 0, 0, 0), nullptr);
    EXPECT_EQ(kd_within3(nullptr, 0, 0, 0, 1), nullptr);
    EXPECT_EQ(kd_insert3(nullptr, 0, 0, 0, nullptr), -1);
    EXPECT_EQ(kd_build3(nullptr, {point3()}), -1);
    EXPECT_TRUE(kd_result_at_end(nullptr));
    EXPECT_FALSE(kd_result_advance(nullptr));
    EXPECT_EQ(kd_result_point(nullptr, nullptr), nullptr);
    kd_destroy(nullptr);
    kd_result_release(nullptr);

    Arbre a;
    EXPECT_EQ(kd_closest3(a.t, 0, 0, 0), nullptr);
    kd_result *r = kd_within3(a.t, 0, 0, 0, 1e9);
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(kd_result_at_end(r));
    EXPECT_EQ(kd_result_point(r, nullptr), nullptr);
    kd_result_release(r);
    EXPECT_EQ(kd_build3(a.t, {}), 0);
    EXPECT_EQ(kd_closest3(a.t, 0, 0, 0), nullptr);
    EXPECT_EQ(kd_rebuild(a.t), 0);
    EXPECT_EQ(kd_size(a.t), 0u);

    // Filled both ways, emptied, then used again.
    kd_insert3(a.t, 1, 2, 3, tag(1));
    ASSERT_EQ(kd_build3(a.t, {point3(4, 5, 6)}), 0);
    EXPECT_EQ(kd_size(a.t), 2u);
    kd_empty(a.t);
    EXPECT_EQ(a.t->root, nullptr);
    EXPECT_EQ(a.t->box, nullptr);
    EXPECT_EQ(a.t->bloc, nullptr);
    EXPECT_EQ(kd_size(a.t), 0u);
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
    EXPECT_EQ(kd_size(a.t), 5u);
    EXPECT_EQ(a.t->box->maximum[0], 40);
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
    EXPECT_EQ(kd_size(t), size_t(n));
    ASSERT_EQ(kd_rebuild(t), 0);
    EXPECT_EQ(t->root, nullptr);
    EXPECT_EQ(plusProche(t, 1234.4, 0, 0), tag(1235));
    kd_destroy(t);
    // The same chain freed straight away.
    kd_destroy(chaine());
}
