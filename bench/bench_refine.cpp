// Refinement and conversion costs on large meshes.
//
//   T26Global/<points>          RaffinageT26Global on the dual of a geodesic sphere
//   Triangularisation/<points>  Triangularisation of that simplex mesh
//   TriangleToSimplex/<faces>   triangleToSimplex of the geodesic sphere itself
//
// Each runs with the index maps and, at small sizes, with the plain list scans they replace (the
// "Lineaire" peers); the summary at the end prints scans / maps at equal size and how the time
// with maps grows from about 10k to about 100k (1.0 per x1 of size is linear growth). Times are
// wall-clock of the operation alone (mesh building excluded); the cpu_s counter is its processor
// time.

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cmath>
#include <ctime>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <tuple>

#include "Simplex.h"
#include "SimplexRaffinage.h"

namespace {

/// Drops what the engine writes on the standard streams while it lives.
class Silence
{
public:
    Silence() : sortie(std::cout.rdbuf(&vide)), erreurs(std::cerr.rdbuf(&vide)) {}
    ~Silence()
    {
        std::cout.rdbuf(sortie);
        std::cerr.rdbuf(erreurs);
    }

private:
    struct Vide : std::streambuf
    {
        int overflow(int c) override { return c; }
    } vide;
    std::streambuf *sortie;
    std::streambuf *erreurs;
};

/// Geodesic sphere: every face of the icosahedron split into n * n triangles, vertices pushed onto
/// the unit sphere. 20 n^2 faces, closed, counter-clockwise seen from outside.
void sphereGeodesique(int n, std::vector<point3> &sommets, std::vector<Face> &faces)
{
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    const double ico[12][3] = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
                               {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    const int tri[20][3] = {{0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
                            {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
                            {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    sommets.clear();
    faces.clear();
    std::map<std::tuple<long long, long long, long long>, int> deja;
    auto sommet = [&](double x, double y, double z) {
        const auto cle = std::make_tuple(std::llround(x * 1e9), std::llround(y * 1e9), std::llround(z * 1e9));
        auto it = deja.find(cle);
        if (it != deja.end())
            return it->second;
        const double r = std::sqrt(x * x + y * y + z * z);
        sommets.push_back(point3(x / r, y / r, z / r));
        deja.emplace(cle, static_cast<int>(sommets.size() - 1));
        return static_cast<int>(sommets.size() - 1);
    };
    for (const auto &f : tri) {
        const double *A = ico[f[0]], *B = ico[f[1]], *C = ico[f[2]];
        std::vector<std::vector<int>> grille(n + 1);
        for (int i = 0; i <= n; ++i)
            for (int j = 0; i + j <= n; ++j) {
                const double u = static_cast<double>(i) / n, v = static_cast<double>(j) / n;
                grille[i].push_back(sommet(A[0] + u * (B[0] - A[0]) + v * (C[0] - A[0]),
                                           A[1] + u * (B[1] - A[1]) + v * (C[1] - A[1]),
                                           A[2] + u * (B[2] - A[2]) + v * (C[2] - A[2])));
            }
        for (int i = 0; i < n; ++i)
            for (int j = 0; i + j < n; ++j) {
                faces.push_back(Face{grille[i][j], grille[i + 1][j], grille[i][j + 1]});
                if (i + j + 1 < n)
                    faces.push_back(Face{grille[i + 1][j], grille[i + 1][j + 1], grille[i][j + 1]});
            }
    }
    // Turn every face outwards (the table above is not consistent by itself).
    for (Face &f : faces) {
        const point3 &a = sommets[f.s1], &b = sommets[f.s2], &c = sommets[f.s3];
        const vector3 normale = vector3(a, b) ^ vector3(a, c);
        if (normale * vector3(point3(0, 0, 0), a) < 0)
            std::swap(f.s2, f.s3);
    }
}

/// Frequency of the geodesic sphere with about `faces` faces.
int frequence(long faces)
{
    return static_cast<int>(std::lround(std::sqrt(static_cast<double>(faces) / 20.0)));
}

void preparerTriangles(Simplex &s, long faces)
{
    std::vector<point3> sommets;
    std::vector<Face> lf;
    sphereGeodesique(frequence(faces), sommets, lf);
    s.maillageOrigine = Maillage(sommets, lf);
}

void preparerSimplex(Simplex &s, long points)
{
    preparerTriangles(s, points);
    Silence silence;
    if (const Resultat r = s.convertirTriangles(); !r)
        throw std::runtime_error(r.texte());
}

using Operation = void (*)(Simplex &);

void mesurer(benchmark::State &state, bool avecScans, bool triangles, Operation op)
{
    double points = 0, processeur = 0;
    for (auto _ : state) {
        std::unique_ptr<Simplex> s(new Simplex());
        if (triangles)
            preparerTriangles(*s, state.range(0));
        else
            preparerSimplex(*s, state.range(0));
        s->recherche = avecScans ? Recherche::Lineaire : Recherche::Indexee;
        double duree;
        {
            Silence silence;
            const auto t0 = std::chrono::steady_clock::now();
            const std::clock_t c0 = std::clock();
            op(*s);
            processeur += static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
            duree = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        }
        state.SetIterationTime(duree);
        points = static_cast<double>(triangles ? s->maillageOrigine.listeFaces.size() : s->ListePointsSimplex.size());
    }
    state.counters["taille"] = points;
    // Processor time of the operation alone, per run: the wall time above also counts the waits of
    // a busy machine.
    state.counters["cpu_s"] = processeur / static_cast<double>(state.iterations());
}

void global(Simplex &s)
{
    if (const Resultat r = s.raffinerT26Global(); !r)
        throw std::runtime_error(r.texte());
}
void triangulariser(Simplex &s)
{
    if (const Resultat r = s.trianguler(); !r)
        throw std::runtime_error(r.texte());
}
void convertir(Simplex &s)
{
    if (const Resultat r = s.convertirTriangles(); !r)
        throw std::runtime_error(r.texte());
}

void T26Global(benchmark::State &st)
{
    mesurer(st, false, false, global);
}
void T26GlobalLineaire(benchmark::State &st)
{
    mesurer(st, true, false, global);
}
void Triangularisation(benchmark::State &st)
{
    mesurer(st, false, false, triangulariser);
}
void TriangularisationLineaire(benchmark::State &st)
{
    mesurer(st, true, false, triangulariser);
}
void TriangleToSimplex(benchmark::State &st)
{
    mesurer(st, false, true, convertir);
}
void TriangleToSimplexLineaire(benchmark::State &st)
{
    mesurer(st, true, true, convertir);
}

BENCHMARK(T26Global)->Arg(2000)->Arg(4000)->Arg(10000)->Arg(100000)->Iterations(2)->UseManualTime()->Unit(
    benchmark::kMillisecond);
BENCHMARK(T26GlobalLineaire)->Arg(2000)->Arg(4000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Triangularisation)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(TriangularisationLineaire)
    ->Arg(2000)
    ->Arg(4000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(TriangleToSimplex)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(500000)
    ->Iterations(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(TriangleToSimplexLineaire)
    ->Arg(2000)
    ->Arg(4000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

/// Keeps the wall time, the processor time and the size of every run for the summary.
class Releve : public benchmark::ConsoleReporter
{
public:
    struct Mesure
    {
        double ms, cpu, taille;
    };
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs) {
            auto compteur = [&r](const char *nom) {
                auto it = r.counters.find(nom);
                return it == r.counters.end() ? 0.0 : double(it->second);
            };
            mesures[r.benchmark_name()] = {r.GetAdjustedRealTime(), compteur("cpu_s"), compteur("taille")};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, Mesure> mesures;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    Releve releve;
    benchmark::RunSpecifiedBenchmarks(&releve);

    auto cle = [](const std::string &nom, long taille) {
        return nom + "/" + std::to_string(taille) +
               "/iterations:" + (nom.find("Lineaire") == std::string::npos ? "2" : "1") + "/manual_time";
    };
    std::cout << "\nscans / index maps at equal size (same results), wall and processor time:\n";
    for (const std::string nom : {"T26Global", "Triangularisation", "TriangleToSimplex"})
        for (long taille : {2000L, 4000L}) {
            auto a = releve.mesures.find(cle(nom + "Lineaire", taille));
            auto b = releve.mesures.find(cle(nom, taille));
            if (a == releve.mesures.end() || b == releve.mesures.end() || b->second.ms <= 0 || b->second.cpu <= 0)
                continue;
            std::cout << "  " << nom << " " << taille << ": wall " << a->second.ms << " / " << b->second.ms << " ms = x"
                      << a->second.ms / b->second.ms << ", cpu " << a->second.cpu << " / " << b->second.cpu << " s = x"
                      << a->second.cpu / b->second.cpu << "\n";
        }
    std::cout << "growth with index maps, about 10k -> 100k (time ratio / size ratio; 1 is "
                 "linear):\n";
    for (const std::string nom : {"T26Global", "Triangularisation", "TriangleToSimplex"}) {
        auto a = releve.mesures.find(cle(nom, 10000));
        auto b = releve.mesures.find(cle(nom, 100000));
        if (a == releve.mesures.end() || b == releve.mesures.end() || a->second.ms <= 0 || a->second.cpu <= 0 ||
            a->second.taille <= 0)
            continue;
        const double taille = b->second.taille / a->second.taille;
        std::cout << "  " << nom << ": size " << a->second.taille << " -> " << b->second.taille << " (x" << taille
                  << "); wall " << a->second.ms << " -> " << b->second.ms << " ms (x" << b->second.ms / a->second.ms
                  << ", " << b->second.ms / a->second.ms / taille << " per size); cpu " << a->second.cpu << " -> "
                  << b->second.cpu << " s (x" << b->second.cpu / a->second.cpu << ", "
                  << b->second.cpu / a->second.cpu / taille << " per size)\n";
    }
    benchmark::Shutdown();
    return 0;
}
