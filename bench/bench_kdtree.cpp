// kd-tree against nanoflann on the same cloud, in the same run.
//
// Cloud: about 1M voxels of a thick spherical shell in a 256^3 grid, in volume order
// (x fastest, as a thresholded volume yields them) and shuffled. Measured per order:
// bulk build, 100k nearest queries near the shell, nearest queries from inside the
// hollow (where a template mesh starts; the expensive ones), and 10k radius queries.
// Each measure is repeated (the short ones more: the shortest time is kept, the one least
// disturbed by other work on the machine); at the end the ratios ours / nanoflann of the
// shortest times are printed (below 1: ours is faster): CPU times of the queries, and wall
// times of the builds, ours on every core (nanoflann's builds on one).
//
// Run: build/bench/bench_kdtree   (about a minute and a half on two cores)

#include "kdtree.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#ifdef TARNIS_HAVE_NANOFLANN
#include <nanoflann.hpp>
#endif

namespace {

constexpr int kGrille = 256;
constexpr double kCentre = 127.5;
constexpr double kRayonExterieur = 100.0;
constexpr size_t kPointsVoulus = 1000000;
constexpr size_t kRequetesProches = 100000;
constexpr size_t kRequetesCreux = 100000;
constexpr size_t kRequetesRayon = 10000;
constexpr double kRayonRecherche = 3.0;

struct Donnees
{
    double rayonInterieur = 0;
    std::vector<point3> volume;  ///< x fastest
    std::vector<point3> melange; ///< the same points, shuffled
    std::vector<point3> proches; ///< queries within a few voxels of the shell
    std::vector<point3> creux;   ///< queries inside the hollow
    std::vector<point3> rayon;   ///< centres of the radius queries, near the shell
};

/// Voxels whose squared distance to the centre lies in [r2min, R^2], the inner radius
/// chosen so that about kPointsVoulus voxels qualify.
Donnees preparer()
{
    Donnees d;
    const double R2 = kRayonExterieur * kRayonExterieur;
    // Squared distances from the centre are k/4 + integers: count them per quarter.
    std::vector<size_t> parQuart(size_t(R2 * 4) + 1, 0);
    auto quart = [](int x, int y, int z) {
        const int a = 2 * x - 255, b = 2 * y - 255, c = 2 * z - 255; // twice the offsets
        return size_t(a * a + b * b + c * c);                        // 4 * squared distance
    };
    for (int z = 0; z < kGrille; ++z)
        for (int y = 0; y < kGrille; ++y)
            for (int x = 0; x < kGrille; ++x) {
                const size_t q = quart(x, y, z);
                if (q < parQuart.size())
                    ++parQuart[q];
            }
    size_t total = 0, seuil = parQuart.size();
    while (seuil > 0 && total < kPointsVoulus)
        total += parQuart[--seuil];
    d.rayonInterieur = std::sqrt(seuil / 4.0);
    d.volume.reserve(total);
    for (int z = 0; z < kGrille; ++z)
        for (int y = 0; y < kGrille; ++y)
            for (int x = 0; x < kGrille; ++x) {
                const size_t q = quart(x, y, z);
                if (q >= seuil && q < parQuart.size())
                    d.volume.emplace_back(x, y, z);
            }
    std::mt19937_64 g(20261206);
    d.melange = d.volume;
    std::shuffle(d.melange.begin(), d.melange.end(), g);

    std::normal_distribution<double> n01;
    std::uniform_real_distribution<double> u01;
    auto direction = [&]() {
        double x, y, z, l;
        do {
            x = n01(g), y = n01(g), z = n01(g);
            l = std::sqrt(x * x + y * y + z * z);
        } while (l < 1e-9);
        return point3(x / l, y / l, z / l);
    };
    auto pres = [&](std::vector<point3> &v, size_t n) {
        std::uniform_real_distribution<double> r(d.rayonInterieur - 3, kRayonExterieur + 3);
        for (size_t i = 0; i < n; ++i) {
            const point3 u = direction();
            const double l = r(g);
            v.emplace_back(kCentre + l * u.x, kCentre + l * u.y, kCentre + l * u.z);
        }
    };
    pres(d.proches, kRequetesProches);
    pres(d.rayon, kRequetesRayon);
    // Uniform in the ball of half the inner radius.
    for (size_t i = 0; i < kRequetesCreux; ++i) {
        const point3 u = direction();
        const double l = 0.5 * d.rayonInterieur * std::cbrt(u01(g));
        d.creux.emplace_back(kCentre + l * u.x, kCentre + l * u.y, kCentre + l * u.z);
    }
    return d;
}

Donnees &donnees()
{
    static Donnees d = preparer();
    return d;
}

const std::vector<point3> &nuage(int ordre)
{
    return ordre == 0 ? donnees().volume : donnees().melange;
}
const char *nomOrdre(int ordre)
{
    return ordre == 0 ? "volume" : "random";
}

struct ArbreTarnis
{
    explicit ArbreTarnis(const std::vector<point3> &pts) : t(kd_make(3))
    {
        if (kd_build3(t, pts) != 0)
            std::fprintf(stderr, "kd_build3 failed\n");
    }
    ~ArbreTarnis() { kd_destroy(t); }
    kd_tree *t;
};

double plusProcheTarnis(const kd_tree *t, const point3 &q)
{
    kd_result *r = kd_closest3(t, q.x, q.y, q.z);
    double p[3];
    kd_result_point(r, p);
    kd_result_release(r);
    return (p[0] - q.x) * (p[0] - q.x) + (p[1] - q.y) * (p[1] - q.y) + (p[2] - q.z) * (p[2] - q.z);
}

double rayonTarnis(const kd_tree *t, const point3 &q)
{
    kd_result *r = kd_within3(t, q.x, q.y, q.z, kRayonRecherche);
    double s = 0, p[3];
    for (; !kd_result_at_end(r); kd_result_advance(r)) {
        kd_result_point(r, p);
        s += p[0];
    }
    kd_result_release(r);
    return s;
}

#ifdef TARNIS_HAVE_NANOFLANN
struct Adaptateur
{
    const std::vector<point3> &pts;
    size_t kdtree_get_point_count() const { return pts.size(); }
    double kdtree_get_pt(size_t i, size_t dim) const { return dim == 0 ? pts[i].x : dim == 1 ? pts[i].y : pts[i].z; }
    template <class BBOX> bool kdtree_get_bbox(BBOX &) const { return false; }
};
using Nano = nanoflann::KDTreeSingleIndexAdaptor<nanoflann::L2_Simple_Adaptor<double, Adaptateur>, Adaptateur, 3>;
using Trouves = std::vector<std::pair<uint32_t, double>>;

struct ArbreNano
{
    explicit ArbreNano(const std::vector<point3> &pts)
        : a{pts}, index(3, a, nanoflann::KDTreeSingleIndexAdaptorParams(10))
    {}
    Adaptateur a;
    Nano index;
};

double plusProcheNano(const Nano &index, const point3 &q)
{
    uint32_t i;
    double d2;
    nanoflann::KNNResultSet<double, uint32_t> r(1);
    r.init(&i, &d2);
    const double p[3] = {q.x, q.y, q.z};
    index.findNeighbors(r, p, nanoflann::SearchParams());
    return d2;
}

double rayonNano(const Nano &index, const std::vector<point3> &pts, const point3 &q, Trouves &trouves)
{
    const double p[3] = {q.x, q.y, q.z};
    // Unsorted, like our result sets.
    index.radiusSearch(p, kRayonRecherche * kRayonRecherche, trouves, nanoflann::SearchParams(32, 0, false));
    double s = 0;
    for (const auto &t : trouves)
        s += pts[t.first].x;
    return s;
}
#endif

// Trees built once per order, for the query benchmarks.
std::map<int, std::unique_ptr<ArbreTarnis>> arbresTarnis;
ArbreTarnis &arbreTarnis(int ordre)
{
    auto &a = arbresTarnis[ordre];
    if (!a)
        a.reset(new ArbreTarnis(nuage(ordre)));
    return *a;
}

void BuildTarnis(benchmark::State &s, int ordre)
{
    const std::vector<point3> &pts = nuage(ordre);
    for (auto _ : s) {
        ArbreTarnis a(pts);
        benchmark::DoNotOptimize(a.t);
    }
    s.counters["points"] = double(pts.size());
}

void RequetesTarnis(benchmark::State &s, int ordre, const std::vector<point3> *requetes, bool rayon)
{
    const kd_tree *t = arbreTarnis(ordre).t;
    for (auto _ : s) {
        double somme = 0;
        for (const point3 &q : *requetes)
            somme += rayon ? rayonTarnis(t, q) : plusProcheTarnis(t, q);
        benchmark::DoNotOptimize(somme);
    }
    s.SetItemsProcessed(int64_t(s.iterations() * requetes->size()));
}

#ifdef TARNIS_HAVE_NANOFLANN
std::map<int, std::unique_ptr<ArbreNano>> arbresNano;
ArbreNano &arbreNano(int ordre)
{
    auto &a = arbresNano[ordre];
    if (!a)
        a.reset(new ArbreNano(nuage(ordre)));
    return *a;
}

void BuildNano(benchmark::State &s, int ordre)
{
    const std::vector<point3> &pts = nuage(ordre);
    for (auto _ : s) {
        ArbreNano a(pts);
        benchmark::DoNotOptimize(&a.index);
    }
}

void RequetesNano(benchmark::State &s, int ordre, const std::vector<point3> *requetes, bool rayon)
{
    const std::vector<point3> &pts = nuage(ordre);
    const Nano &index = arbreNano(ordre).index;
    Trouves trouves;
    for (auto _ : s) {
        double somme = 0;
        for (const point3 &q : *requetes)
            somme += rayon ? rayonNano(index, pts, q, trouves) : plusProcheNano(index, q);
        benchmark::DoNotOptimize(somme);
    }
    s.SetItemsProcessed(int64_t(s.iterations() * requetes->size()));
}

/// Both trees must agree on every nearest distance and radius-set size of a sample.
bool verifierAccord(int ordre)
{
    const kd_tree *t = arbreTarnis(ordre).t;
    const Nano &index = arbreNano(ordre).index;
    Trouves trouves;
    size_t desaccords = 0;
    for (const std::vector<point3> *v : {&donnees().proches, &donnees().creux})
        for (size_t i = 0; i < v->size(); i += 97)
            if (plusProcheTarnis(t, (*v)[i]) != plusProcheNano(index, (*v)[i]))
                ++desaccords;
    for (size_t i = 0; i < donnees().rayon.size(); i += 97) {
        const point3 &q = donnees().rayon[i];
        kd_result *r = kd_within3(t, q.x, q.y, q.z, kRayonRecherche);
        const double p[3] = {q.x, q.y, q.z};
        if (size_t(kd_result_size(r)) !=
            index.radiusSearch(p, kRayonRecherche * kRayonRecherche, trouves, nanoflann::SearchParams(32, 0, false)))
            ++desaccords;
        kd_result_release(r);
    }
    if (desaccords)
        std::fprintf(stderr, "%s order: %zu answers differ from nanoflann's\n", nomOrdre(ordre), desaccords);
    return desaccords == 0;
}
#endif

/// Console output as usual, plus the times kept to print the ratios at the end.
class Rapporteur : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        // Shortest of the repetitions: the one least disturbed by other work on the machine.
        for (const Run &r : runs) {
            if (r.run_type != Run::RT_Iteration)
                continue;
            // Builds on every core: wall time.
            const bool mur = r.run_name.function_name.find("/build/") != std::string::npos;
            const double duree = mur ? r.GetAdjustedRealTime() : r.GetAdjustedCPUTime();
            auto t = temps.find(r.run_name.function_name);
            if (t == temps.end() || duree < t->second)
                temps[r.run_name.function_name] = duree;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> temps;
};

const char *const kMesures[] = {"build", "nearest_near_surface", "nearest_in_hollow", "radius"};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    const Donnees &d = donnees();
    std::printf("cloud: %zu voxels of the shell %.2f..%.0f around (%.1f, %.1f, %.1f) in a %d^3 grid\n", d.volume.size(),
                d.rayonInterieur, kRayonExterieur, kCentre, kCentre, kCentre, kGrille);
    std::printf("queries: %zu near the shell, %zu in the hollow, %zu radius %.1f\n", d.proches.size(), d.creux.size(),
                d.rayon.size(), kRayonRecherche);

    for (int ordre : {0, 1}) {
        const std::string o = nomOrdre(ordre);
        struct Lot
        {
            const char *nom;
            const std::vector<point3> *requetes;
            bool rayon;
            int repetitions;
        };
        const Lot lots[] = {
            {kMesures[1], &d.proches, false, 6}, {kMesures[2], &d.creux, false, 1}, {kMesures[3], &d.rayon, true, 3}};
        benchmark::RegisterBenchmark((o + "/build/tarnis").c_str(), BuildTarnis, ordre)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(5)
            ->UseRealTime();
#ifdef TARNIS_HAVE_NANOFLANN
        benchmark::RegisterBenchmark((o + "/build/nanoflann").c_str(), BuildNano, ordre)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(5)
            ->UseRealTime();
#endif
        for (const Lot &l : lots) {
            benchmark::RegisterBenchmark((o + "/" + l.nom + "/tarnis").c_str(), RequetesTarnis, ordre, l.requetes,
                                         l.rayon)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1)
                ->Repetitions(l.repetitions);
#ifdef TARNIS_HAVE_NANOFLANN
            benchmark::RegisterBenchmark((o + "/" + l.nom + "/nanoflann").c_str(), RequetesNano, ordre, l.requetes,
                                         l.rayon)
                ->Unit(benchmark::kMillisecond)
                ->Iterations(1)
                ->Repetitions(l.repetitions);
#endif
        }
    }

#ifdef TARNIS_HAVE_NANOFLANN
    const bool accord = verifierAccord(0) && verifierAccord(1);
    std::printf("answers agree with nanoflann on a sample: %s\n", accord ? "yes" : "NO");
#endif

    Rapporteur rapport;
    benchmark::RunSpecifiedBenchmarks(&rapport);

#ifdef TARNIS_HAVE_NANOFLANN
    std::printf("\nratio ours / nanoflann (below 1: ours is faster; target 0.9 or below)\n");
    std::printf("build: wall time, ours on %u threads, nanoflann on 1; queries: CPU time, one thread\n",
                std::max(1u, std::thread::hardware_concurrency()));
    std::printf("%-24s %10s %10s\n", "", "volume", "random");
    bool atteints = true;
    for (const char *m : kMesures) {
        std::printf("%-24s", m);
        for (int ordre : {0, 1}) {
            const std::string base = std::string(nomOrdre(ordre)) + "/" + m;
            auto a = rapport.temps.find(base + "/tarnis"), b = rapport.temps.find(base + "/nanoflann");
            if (a != rapport.temps.end() && b != rapport.temps.end() && b->second > 0) {
                std::printf(" %10.2f", a->second / b->second);
                atteints = atteints && a->second <= 0.9 * b->second;
            }
            else
                std::printf(" %10s", "-");
        }
        std::printf("\n");
    }
    std::printf("all ratios at most 0.9: %s\n", atteints ? "yes" : "NO");
#else
    std::printf("\nnanoflann not found: no ratios\n");
#endif
    benchmark::Shutdown();
    return 0;
}
