// One deformation step of a simplex mesh of about 10k points over a cloud of 1M points, timed
// against the target searches that the same step makes, measured in the same run on the same
// positions. Reported per step:
//   step_ms     the whole step (deformer)
//   search_ms   the step's target searches alone (nearest queries; with the cone, the searches in
//               the vision cone, each a nearest query and a radius query)
//   ratio       step_ms / search_ms
// Times are the thread's CPU time (this machine is shared: wall time swings with the load).
//
//   build/bench/bench_deformation
//
// The mesh is the dual of a geodesic sphere (9680 points) stretched onto an ellipsoid 3% inside an
// ellipsoid cloud sampled evenly on its surface, as a mesh is in the middle of a run; each
// benchmark starts from a fresh mesh and runs steps with the default weights (alpha 1, beta 0.05,
// gamma 0, retention on). With the cone, the cone's radius is 5 cloud units (the built-in 2000
// would take the whole cloud into every radius query).

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "Maillage.h"
#include "Simplex.h"
#include "kdtree.h"

namespace {

const int FREQUENCE = 22; // 20 * 22² = 9680 triangles, so 9680 simplex points
const int POINTS_NUAGE = 1000000;
const double A = 130, B = 100, C = 80; // semi-axes of the cloud's ellipsoid
const double RAYON_CONE = 5;           // search radius behind the point, in cloud units

/// Silences the engine's console lines while the scene is built.
class Silence
{
public:
    Silence() : out(std::cout.rdbuf(tampon.rdbuf())), err(std::cerr.rdbuf(tampon.rdbuf())) {}
    ~Silence()
    {
        std::cout.rdbuf(out);
        std::cerr.rdbuf(err);
    }

private:
    std::ostringstream tampon;
    std::streambuf *out;
    std::streambuf *err;
};

point3 surSphere(const point3 &p, double r)
{
    const double n = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    return point3(p.x * r / n, p.y * r / n, p.z * r / n);
}

/// Geodesic sphere: each icosahedron face split into FREQUENCE² triangles, counter-clockwise from
/// outside.
void sphereGeodesique(double rayon, std::vector<point3> &sommets, std::vector<Face> &faces)
{
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    const point3 ico[12] = {point3(-1, t, 0), point3(1, t, 0), point3(-1, -t, 0), point3(1, -t, 0),
                            point3(0, -1, t), point3(0, 1, t), point3(0, -1, -t), point3(0, 1, -t),
                            point3(t, 0, -1), point3(t, 0, 1), point3(-t, 0, -1), point3(-t, 0, 1)};
    const int tri[20][3] = {{0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
                            {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
                            {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    std::map<std::tuple<long long, long long, long long>, int> indice;
    auto sommet = [&](const point3 &p) {
        const point3 q = surSphere(p, rayon);
        const auto cle = std::make_tuple(std::llround(q.x * 1e6), std::llround(q.y * 1e6), std::llround(q.z * 1e6));
        auto it = indice.find(cle);
        if (it != indice.end())
            return it->second;
        sommets.push_back(q);
        indice.emplace(cle, static_cast<int>(sommets.size()) - 1);
        return static_cast<int>(sommets.size()) - 1;
    };
    const int n = FREQUENCE;
    for (const auto &f : tri) {
        const point3 a = surSphere(ico[f[0]], 1), b = surSphere(ico[f[1]], 1), c = surSphere(ico[f[2]], 1);
        auto grille = [&](int i, int j) { // i along a->b, j along a->c
            return sommet(point3(a.x + (b.x - a.x) * i / n + (c.x - a.x) * j / n,
                                 a.y + (b.y - a.y) * i / n + (c.y - a.y) * j / n,
                                 a.z + (b.z - a.z) * i / n + (c.z - a.z) * j / n));
        };
        for (int i = 0; i < n; ++i)
            for (int j = 0; i + j < n; ++j) {
                const int p00 = grille(i, j), p10 = grille(i + 1, j), p01 = grille(i, j + 1);
                faces.push_back({p00, p10, p01});
                if (i + j + 1 < n)
                    faces.push_back({p10, grille(i + 1, j + 1), p01});
            }
    }
}

struct Scene
{
    std::vector<point3> nuage;
    kd_tree *kd = nullptr;
    std::vector<point3> sommets;
    std::vector<Face> faces;

    Scene()
    {
        nuage.reserve(POINTS_NUAGE);
        const double orDor = (1.0 + std::sqrt(5.0)) / 2.0;
        for (int i = 0; i < POINTS_NUAGE; ++i) {
            const double z = 1.0 - (2.0 * i + 1.0) / POINTS_NUAGE;
            const double r = std::sqrt(std::max(0.0, 1.0 - z * z));
            const double phi = 2.0 * 3.141592653589793 * i / orDor;
            nuage.emplace_back(A * r * std::cos(phi), B * r * std::sin(phi), C * z);
        }
        kd = kd_make(3);
        kd_build3(kd, nuage);
        // The mesh as it is in the middle of a run: on an ellipsoid 3% inside the cloud's.
        sphereGeodesique(1, sommets, faces);
        for (point3 &p : sommets)
            p = point3(p.x * A * 0.97, p.y * B * 0.97, p.z * C * 0.97);
    }
    ~Scene() { kd_destroy(kd); }
};

Scene &scene()
{
    static Scene s;
    return s;
}

std::unique_ptr<Simplex> nouveauMaillage()
{
    Silence silence;
    auto s = std::make_unique<Simplex>();
    s->maillageOrigine = Maillage(scene().sommets, scene().faces);
    if (const Resultat r = s->convertirTriangles(); !r)
        throw std::runtime_error(r.texte());
    s->setConeDeVision(45, RAYON_CONE);
    s->deformer(scene().kd, 0, 1.0f, 0.05f, 0.0f, 2, false); // the first step, without retention
    return s;
}

double tempsCpu()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

/// The target searches of one step, alone.
void recherches(Simplex &s, bool cone)
{
    kd_tree *kd = scene().kd;
    for (const PointSimplex *p : s.ListePointsSimplex) {
        const point3 &P = p->Position;
        if (cone) {
            benchmark::DoNotOptimize(s.plusProcheDansCone(kd, P, s.RayonCone, p->Ni, s.AngleCone));
        } else {
            kd_result *r = kd_closest3f(kd, arrondiFloat(P.x), arrondiFloat(P.y), arrondiFloat(P.z));
            double pos[3];
            kd_result_point(r, pos);
            benchmark::DoNotOptimize(pos);
            kd_result_release(r);
        }
    }
}

void BM_Pas(benchmark::State &state)
{
    const int rigid = static_cast<int>(state.range(0));
    const bool cone = state.range(1) != 0;
    std::unique_ptr<Simplex> s = nouveauMaillage();
    double totalPas = 0, totalRecherches = 0;
    for (auto _ : state) {
        const double t0 = tempsCpu();
        recherches(*s, cone);
        const double t1 = tempsCpu();
        s->deformer(scene().kd, 1, 1.0f, 0.05f, 0.0f, rigid, cone);
        const double t2 = tempsCpu();
        totalPas += t2 - t1;
        totalRecherches += t1 - t0;
        state.SetIterationTime(t2 - t1);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["points"] = static_cast<double>(s->ListePointsSimplex.size());
    state.counters["step_ms"] = totalPas / n * 1e3;
    state.counters["search_ms"] = totalRecherches / n * 1e3;
    state.counters["ratio"] = totalPas / totalRecherches;
}

} // namespace

BENCHMARK(BM_Pas)
    ->ArgNames({"rigid", "cone"})
    ->Args({2, 0})
    ->Args({10, 0})
    ->Args({2, 1})
    ->Args({10, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

BENCHMARK_MAIN();
