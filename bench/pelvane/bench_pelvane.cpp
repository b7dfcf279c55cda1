// Cost of the fit figures: the distance from every cloud point to a fitted
// triangulated surface. Ours (bounding-volume tree, queries in spatial order,
// on every core) against the plain scan of every triangle, measured in the same
// run; the per-query ratio is printed as the counter "scan/ours".
//
// The surface: a 12,000-triangle sphere of radius 50; the queries: points
// within 1 of it, in random order, as a scanned cloud gives them.

#include "distance.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <limits>
#include <random>

namespace {

struct Surface
{
    std::vector<point3> sommets;
    std::vector<std::array<int, 3>> faces;
};

Surface sphere(int anneaux, int secteurs, double r)
{
    Surface s;
    const double pi = 3.141592653589793;
    s.sommets.push_back(point3(0, 0, r));
    for (int i = 1; i < anneaux; ++i)
        for (int j = 0; j < secteurs; ++j) {
            double t = pi * i / anneaux, p = 2 * pi * j / secteurs;
            s.sommets.push_back(point3(r * std::sin(t) * std::cos(p), r * std::sin(t) * std::sin(p), r * std::cos(t)));
        }
    s.sommets.push_back(point3(0, 0, -r));
    const int bas = static_cast<int>(s.sommets.size()) - 1;
    auto v = [&](int i, int j) { return 1 + (i - 1) * secteurs + (j % secteurs); };
    for (int j = 0; j < secteurs; ++j) {
        s.faces.push_back({0, v(1, j), v(1, j + 1)});
        s.faces.push_back({bas, v(anneaux - 1, j + 1), v(anneaux - 1, j)});
    }
    for (int i = 1; i + 1 < anneaux; ++i)
        for (int j = 0; j < secteurs; ++j) {
            s.faces.push_back({v(i, j), v(i + 1, j), v(i + 1, j + 1)});
            s.faces.push_back({v(i, j), v(i + 1, j + 1), v(i, j + 1)});
        }
    return s;
}

std::vector<point3> nuage(std::size_t n, double r)
{
    std::mt19937_64 g(4242);
    std::vector<point3> p;
    p.reserve(n);
    while (p.size() < n) {
        double x = (g() >> 11) * 0x1.0p-53 * 2 - 1, y = (g() >> 11) * 0x1.0p-53 * 2 - 1,
               z = (g() >> 11) * 0x1.0p-53 * 2 - 1;
        double l = std::sqrt(x * x + y * y + z * z);
        if (l < 1e-3 || l > 1)
            continue;
        double rr = r + ((g() >> 11) * 0x1.0p-53 * 2 - 1);
        p.push_back(point3(x / l * rr, y / l * rr, z / l * rr));
    }
    return p;
}

const Surface &laSurface()
{
    static const Surface s = sphere(61, 100, 50); // 12,000 triangles
    return s;
}

// Seconds per query of the plain scan, over a sample of the queries.
double secondesParRequeteBalayage(const std::vector<point3> &points)
{
    const Surface &s = laSurface();
    const std::size_t n = std::min<std::size_t>(points.size(), 300);
    auto debut = std::chrono::steady_clock::now();
    double somme = 0;
    for (std::size_t i = 0; i < n; ++i) {
        double d = std::numeric_limits<double>::infinity();
        for (const auto &f : s.faces)
            d = std::min(d, distancePointTriangle(points[i], s.sommets[f[0]], s.sommets[f[1]], s.sommets[f[2]]));
        somme += d;
    }
    benchmark::DoNotOptimize(somme);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count() / n;
}

// Runs `requetes` over the points at each iteration and reports ns per query
// for it and for the scan, with their ratio.
template <class Requetes> void mesurer(benchmark::State &etat, const std::vector<point3> &points, Requetes requetes)
{
    const double balayage = secondesParRequeteBalayage(points);
    double total = 0;
    for (auto _ : etat) {
        auto debut = std::chrono::steady_clock::now();
        requetes();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    }
    const double nous = total / (static_cast<double>(etat.iterations()) * static_cast<double>(points.size()));
    etat.counters["ours ns/query"] = nous * 1e9;
    etat.counters["scan ns/query"] = balayage * 1e9;
    etat.counters["scan/ours"] = balayage / nous;
}

void Ours_DistancesOfACloud(benchmark::State &etat)
{
    const Surface &s = laSurface();
    const ArbreTriangles arbre(s.sommets, s.faces);
    const std::vector<point3> points = nuage(static_cast<std::size_t>(etat.range(0)), 50);
    mesurer(etat, points, [&] { benchmark::DoNotOptimize(arbre.distances(points)); });
}

void Ours_OneByOneInCloudOrder(benchmark::State &etat)
{
    const Surface &s = laSurface();
    const ArbreTriangles arbre(s.sommets, s.faces);
    const std::vector<point3> points = nuage(static_cast<std::size_t>(etat.range(0)), 50);
    mesurer(etat, points, [&] {
        double somme = 0;
        for (const point3 &p : points)
            somme += arbre.distance(p);
        benchmark::DoNotOptimize(somme);
    });
}

} // namespace

BENCHMARK(Ours_DistancesOfACloud)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Ours_OneByOneInCloudOrder)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
