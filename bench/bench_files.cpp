// Cloud files and volume thresholding, each against a plain peer measured in the same run.
//
// - read:  a generated 5M-point PTS file read by lirePTS (parsing and the
//          kd-tree over the cloud) against a formatted-stream reader followed by the
//          same kd-tree construction; the kd-tree construction alone is measured too,
//          so that the parsing rate can be told apart.
// - write: ecrirePTS against a formatted output stream writing the same bytes.
// - threshold: seuillerVolume over a 256^3 volume against a voxel-by-voxel loop
//          calling getVoxel and niveauDeGris.
// - parse: the same cloud as PTS, XYZ text and ASCII PLY parsed from a mapping of the file by
//          blocks on every core (wall time: the work is spread over the threads), in MB/s with
//          the thread count.
// - ply10M: the 10M-point make_sample cloud (made by tools/make_sample, written here as a binary
//          PLY of doubles) read whole (wall time).
// The reading with its kd-tree is given in wall time too: both run on every core.
// Rates are printed by Google Benchmark (bytes_per_second, items_per_second); at the end
// the ratios peer time / our time of the shortest CPU times (above 1: ours is faster).
// CPU time of every thread, not wall time: on a loaded machine the wall time mostly measures the
// others.
//
// Run: build/bench/bench_files   (about two minutes; writes ~900 MB in the temp folder)
//      build/bench/bench_files --lecture FILE   reads one cloud file only (PTS, PLY, XYZ, PCD) and
//      prints its points and time: run under /usr/bin/time -v for the reading's peak memory.

#include "Maillage.h"
#include "NuageCommun.h"
#include "NuageFichiers.h"
#include "Parallele.h"
#include "VolumeAnalyze.h"
#include "kdtree.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sys/resource.h>
#include <unistd.h>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kPoints = 5000000;
constexpr int kCote = 256;

std::string lireTout(const std::string &chemin);

struct Donnees
{
    std::string dossier;
    std::string fichierPTS;
    std::size_t octetsPTS = 0;
    std::vector<point3> nuage;
    VolumeAnalyze volume;
    std::string fichierXYZ, fichierPLYTexte, fichierPLY10M;
    std::size_t octetsXYZ = 0, octetsPLYTexte = 0, octetsPLY10M = 0, points10M = 0;

    Donnees()
    {
        dossier =
            (std::filesystem::temp_directory_path() / ("tarnis-bench-files-" + std::to_string(::getpid()))).string();
        std::filesystem::create_directories(dossier);
        fichierPTS = dossier + "/nuage.pts";

        // Scanner-like coordinates: a noisy ellipsoid around 100 units wide.
        std::mt19937 gen(42);
        std::normal_distribution<double> n(0, 1);
        std::uniform_real_distribution<double> bruit(-0.05, 0.05);
        nuage.reserve(kPoints);
        for (std::size_t i = 0; i < kPoints; ++i) {
            double x = n(gen), y = n(gen), z = n(gen);
            const double r = std::sqrt(x * x + y * y + z * z) + 1e-12;
            nuage.emplace_back(60 * x / r + bruit(gen), 45 * y / r + bruit(gen), 30 * z / r + bruit(gen));
        }
        if (const Resultat r = ecrirePTS(fichierPTS, nuage); !r)
            throw std::runtime_error(r.texte());
        octetsPTS = static_cast<std::size_t>(std::filesystem::file_size(fichierPTS));

        // The same points as XYZ text and as ASCII PLY (six significant digits, as the PTS).
        fichierXYZ = dossier + "/nuage.xyz";
        fichierPLYTexte = dossier + "/nuage.ply";
        {
            std::string corps = lireTout(fichierPTS);
            corps.erase(0, corps.find('\n', corps.find('\n') + 1) + 1);
            std::ofstream(fichierXYZ, std::ios::binary) << "x y z\n" << corps;
            std::ofstream(fichierPLYTexte, std::ios::binary)
                << "ply\nformat ascii 1.0\nelement vertex " << kPoints
                << "\nproperty float x\nproperty float y\nproperty float z\nend_header\n"
                << corps;
            octetsXYZ = static_cast<std::size_t>(std::filesystem::file_size(fichierXYZ));
            octetsPLYTexte = static_cast<std::size_t>(std::filesystem::file_size(fichierPLYTexte));
        }
        // The 10M-point sample cloud as a binary PLY of doubles.
        fichierPLY10M = dossier + "/galet10M.ply";
        const std::string pts10M = dossier + "/galet10M.pts";
        if (std::system(("'" TARNIS_MAKE_SAMPLE "' '" + pts10M + "' 10000000 > /dev/null").c_str()) != 0)
            throw std::runtime_error("make_sample failed");
        {
            Maillage m;
            std::streambuf *ancien = std::cout.rdbuf(nullptr);
            const Resultat r = m.lirePTS(pts10M);
            std::cout.rdbuf(ancien);
            if (!r)
                throw std::runtime_error(r.texte());
            points10M = m.ListePointsInterets.size();
            std::ofstream f(fichierPLY10M, std::ios::binary);
            f << "ply\nformat binary_little_endian 1.0\nelement vertex " << points10M
              << "\nproperty double x\nproperty double y\nproperty double z\nend_header\n";
            f.write(reinterpret_cast<const char *>(m.ListePointsInterets.data()),
                    static_cast<std::streamsize>(points10M * sizeof(point3)));
        }
        std::filesystem::remove(pts10M);
        octetsPLY10M = static_cast<std::size_t>(std::filesystem::file_size(fichierPLY10M));

        // A thick spherical shell of values around 600..1000 in a noisy background.
        if (!volume.allouer(kCote, kCote, kCote))
            throw std::runtime_error("volume refused");
        std::uniform_int_distribution<int> fond(0, 400);
        for (int z = 0; z < kCote; ++z)
            for (int y = 0; y < kCote; ++y)
                for (int x = 0; x < kCote; ++x) {
                    const double r =
                        std::sqrt((x - 127.5) * (x - 127.5) + (y - 127.5) * (y - 127.5) + (z - 127.5) * (z - 127.5));
                    const int v = (r > 90 && r < 100) ? 800 + fond(gen) / 2 : fond(gen);
                    volume.setVoxel(x, y, z, static_cast<std::uint16_t>(v));
                }
    }
    ~Donnees() { std::filesystem::remove_all(dossier); }
};

std::string lireTout(const std::string &chemin)
{
    std::ifstream f(chemin, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

Donnees &donnees()
{
    static Donnees d;
    return d;
}

/// Silences the reader's console lines during a measure.
struct Silence
{
    std::streambuf *ancien = std::cout.rdbuf(nullptr);
    ~Silence()
    {
        std::cout.clear();
        std::cout.rdbuf(ancien);
    }
};

void LectureTarnis(benchmark::State &s)
{
    Donnees &d = donnees();
    for (auto _ : s) {
        Silence silence;
        Maillage m;
        if (!m.lirePTS(d.fichierPTS) || m.ListePointsInterets.size() != kPoints)
            s.SkipWithError("read failed");
        benchmark::DoNotOptimize(m.ListePointsInterets.data());
    }
    s.SetBytesProcessed(static_cast<int64_t>(s.iterations() * d.octetsPTS));
}

void LecturePair(benchmark::State &s)
{
    Donnees &d = donnees();
    for (auto _ : s) {
        std::ifstream f(d.fichierPTS);
        std::string ligne;
        std::getline(f, ligne);
        int n = 0;
        f >> n;
        std::getline(f, ligne);
        std::vector<point3> pts;
        float x, y, z;
        for (int i = 0; i < n && (f >> x >> y >> z); ++i)
            pts.emplace_back(x, y, z);
        kd_tree *arbre = kd_make(3);
        kd_build3(arbre, pts);
        if (pts.size() != kPoints)
            s.SkipWithError("read failed");
        kd_destroy(arbre);
    }
    s.SetBytesProcessed(static_cast<int64_t>(s.iterations() * d.octetsPTS));
}

void ConstructionKd(benchmark::State &s)
{
    Donnees &d = donnees();
    for (auto _ : s) {
        kd_tree *arbre = kd_make(3);
        kd_build3(arbre, d.nuage);
        kd_destroy(arbre);
    }
    s.SetItemsProcessed(static_cast<int64_t>(s.iterations() * kPoints));
}

void EcritureTarnis(benchmark::State &s)
{
    Donnees &d = donnees();
    const std::string chemin = d.dossier + "/ecrit.pts";
    for (auto _ : s)
        if (!ecrirePTS(chemin, d.nuage))
            s.SkipWithError("write failed");
    s.SetBytesProcessed(static_cast<int64_t>(s.iterations() * d.octetsPTS));
}

void EcriturePair(benchmark::State &s)
{
    Donnees &d = donnees();
    const std::string chemin = d.dossier + "/ecrit-flux.pts";
    for (auto _ : s) {
        std::ofstream f(chemin);
        f << "PTS\n" << d.nuage.size() << "\n";
        for (const point3 &p : d.nuage)
            f << p.x << ' ' << p.y << ' ' << p.z << '\n';
    }
    s.SetBytesProcessed(static_cast<int64_t>(s.iterations() * d.octetsPTS));
}

void SeuillageTarnis(benchmark::State &s)
{
    Donnees &d = donnees();
    std::vector<point3> points;
    for (auto _ : s) {
        points.clear();
        seuillerVolume(d.volume, points, 150, 255, 0, 1000);
        benchmark::DoNotOptimize(points.data());
    }
    s.counters["points"] = static_cast<double>(points.size());
    s.SetItemsProcessed(static_cast<int64_t>(s.iterations() * d.volume.voxels.size()));
}

void SeuillagePair(benchmark::State &s)
{
    Donnees &d = donnees();
    const VolumeAnalyze &v = d.volume;
    std::vector<point3> points;
    for (auto _ : s) {
        points.clear();
        for (int z = 0; z < v.dimZ; ++z)
            for (int y = 0; y < v.dimY; ++y)
                for (int x = 0; x < v.dimX; ++x) {
                    const int g = niveauDeGris(v.getVoxel(x, y, z), 0, 1000);
                    if (g < 255 && g > 150)
                        points.emplace_back(x, y, z);
                }
        benchmark::DoNotOptimize(points.data());
    }
    s.counters["points"] = static_cast<double>(points.size());
    s.SetItemsProcessed(static_cast<int64_t>(s.iterations() * v.voxels.size()));
}

/// User and system time of every thread of the process, in seconds.
double cpuProcessus()
{
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

/// Parses one of the files from its mapping (the page cache warm after the first run).
void Analyse(benchmark::State &s, int genre)
{
    Donnees &d = donnees();
    const std::string &chemin = genre == 0 ? d.fichierPTS : genre == 1 ? d.fichierXYZ : d.fichierPLYTexte;
    tarnis_nuage::Projection fichier;
    if (!fichier.ouvrir(chemin, Statut::NuageIllisible))
        s.SkipWithError("mapping failed");
    double cpu = 1e300;
    for (auto _ : s) {
        const double avant = cpuProcessus();
        std::vector<point3> points;
        bool lu;
        if (genre == 0) {
            const char *p = std::strchr(std::strchr(fichier.donnees, '\n') + 1, '\n') + 1;
            long long auDela = 0;
            lu = tarnis_nuage::lirePointsPTSEnBlocs(p, fichier.donnees + fichier.taille, kPoints, points, auDela);
        } else {
            lu = genre == 1 ? lireNuageXYZ(fichier.donnees, fichier.taille, chemin, points).reussi()
                            : lireNuagePLY(fichier.donnees, fichier.taille, chemin, points).reussi();
        }
        if (!lu || points.size() != kPoints)
            s.SkipWithError("parse failed");
        benchmark::DoNotOptimize(points.data());
        cpu = std::min(cpu, cpuProcessus() - avant);
    }
    s.counters["threads"] = filsEffectifs(0);
    // Every thread's time: on a machine shared with other work, the wall time measures the others.
    s.counters["MB_per_cpu_s"] = fichier.taille / 1e6 / cpu;
    s.SetBytesProcessed(static_cast<int64_t>(s.iterations() * fichier.taille));
}

void LecturePLY10M(benchmark::State &s)
{
    Donnees &d = donnees();
    for (auto _ : s) {
        std::vector<point3> points;
        long long nonFinis = 0;
        if (!lireNuageFichier(d.fichierPLY10M, points, nonFinis) || points.size() != d.points10M)
            s.SkipWithError("read failed");
        benchmark::DoNotOptimize(points.data());
    }
    s.counters["threads"] = filsEffectifs(0);
    s.SetBytesProcessed(static_cast<int64_t>(s.iterations() * d.octetsPLY10M));
}

/// --lecture FILE: one reading, for /usr/bin/time -v.
int lectureSeule(const std::string &chemin)
{
    const auto debut = std::chrono::steady_clock::now();
    std::vector<point3> points;
    Resultat r;
    if (estNuageAutreFormat(chemin)) {
        long long nonFinis = 0;
        r = lireNuageFichier(chemin, points, nonFinis);
    } else {
        Maillage m;
        std::streambuf *ancien = std::cout.rdbuf(nullptr);
        // The PTS reader's own path without the kd-tree: the mapping parsed by blocks.
        tarnis_nuage::Projection fichier;
        r = fichier.ouvrir(chemin, Statut::NuageIllisible);
        const char *p = r ? static_cast<const char *>(std::memchr(fichier.donnees, '\n', fichier.taille)) : nullptr;
        long long annonces = p ? std::atoll(p + 1) : 0, auDela = 0;
        p = p ? static_cast<const char *>(std::memchr(p + 1, '\n', fichier.taille - (p + 1 - fichier.donnees))) : nullptr;
        if (!p || !tarnis_nuage::lirePointsPTSEnBlocs(p + 1, fichier.donnees + fichier.taille, annonces, points, auDela))
            r = Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::Contexte, {nom(chemin), litteral("lecture")}));
        std::cout.rdbuf(ancien);
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    if (!r) {
        std::printf("%s\n", r.texte().c_str());
        return 1;
    }
    std::printf("%zu points in %.3f s on %d threads (the points: %zu bytes)\n", points.size(), s, filsEffectifs(0),
                points.size() * sizeof(point3));
    return 0;
}

class Rapporteur : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred)
                continue;
            const std::string nom = r.run_name.function_name;
            auto t = temps.find(nom);
            if (t == temps.end() || r.GetAdjustedCPUTime() < t->second)
                temps[nom] = r.GetAdjustedCPUTime();
            if (r.counters.count("MB_per_cpu_s"))
                compteurs[nom] = std::max(compteurs[nom], static_cast<double>(r.counters.at("MB_per_cpu_s")));
            auto m = murs.find(nom);
            if (m == murs.end() || r.GetAdjustedRealTime() < m->second)
                murs[nom] = r.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> temps;
    std::map<std::string, double> murs;
    std::map<std::string, double> compteurs;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::string(argv[1]) == "--lecture")
        return lectureSeule(argv[2]);
    benchmark::Initialize(&argc, argv);
    Donnees &d = donnees();
    std::printf("PTS file: %zu points, %.1f MB; volume %d^3\n", kPoints, d.octetsPTS / 1e6, kCote);

    const auto enregistrer = [](const char *nom, void (*f)(benchmark::State &), int repetitions) {
        benchmark::RegisterBenchmark(nom, f)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(repetitions)
            ->MeasureProcessCPUTime()
            ->ReportAggregatesOnly(false);
    };
    enregistrer("read/tarnis", LectureTarnis, 3);
    enregistrer("read/stream", LecturePair, 2);
    enregistrer("read/kd_build_only", ConstructionKd, 3);
    for (const auto &[nom, genre] : {std::pair{"parse/pts", 0}, {"parse/xyz", 1}, {"parse/ply_ascii", 2}})
        benchmark::RegisterBenchmark(nom, Analyse, genre)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();
    benchmark::RegisterBenchmark("read/ply_binary_10M", LecturePLY10M)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(3)
        ->UseRealTime();
    enregistrer("write/tarnis", EcritureTarnis, 3);
    enregistrer("write/stream", EcriturePair, 2);
    enregistrer("threshold/tarnis", SeuillageTarnis, 3);
    enregistrer("threshold/voxel_loop", SeuillagePair, 2);

    Rapporteur rapport;
    benchmark::RunSpecifiedBenchmarks(&rapport);

    auto &t = rapport.temps;
    const auto mo = [&](const char *nom) { return d.octetsPTS / 1e6 / (t[nom] / 1e3); };
    std::printf("\nshortest CPU times (ms) and rates\n");
    if (t.count("read/tarnis") && t.count("read/kd_build_only")) {
        std::printf("read + kd-tree:   %.0f ms, %.0f MB/s\n", t["read/tarnis"], mo("read/tarnis"));
        const double parse = t["read/tarnis"] - t["read/kd_build_only"];
        std::printf("  of which parse: %.0f ms, %.0f MB/s (kd-tree alone %.0f ms)\n", parse,
                    d.octetsPTS / 1e6 / (parse / 1e3), t["read/kd_build_only"]);
    }
    if (rapport.murs.count("read/tarnis"))
        std::printf("read + kd-tree on %d threads, wall time: %.0f ms, %.0f MB/s (target 150 MB/s)\n",
                    filsEffectifs(0), rapport.murs["read/tarnis"],
                    d.octetsPTS / 1e6 / (rapport.murs["read/tarnis"] / 1e3));
    if (t.count("write/tarnis"))
        std::printf("write:            %.0f ms, %.0f MB/s\n", t["write/tarnis"], mo("write/tarnis"));
    if (t.count("threshold/tarnis"))
        std::printf("threshold:        %.0f ms, %.0f Mvoxels/s\n", t["threshold/tarnis"],
                    d.volume.voxels.size() / 1e6 / (t["threshold/tarnis"] / 1e3));
    std::printf("\nparsing by blocks on %d threads (wall time, shortest of 3; target 400 MB/s on 2 cores)\n",
                filsEffectifs(0));
    for (const auto &[nom, octets] : {std::pair<const char *, std::size_t>{"parse/pts", d.octetsPTS},
                                      {"parse/xyz", d.octetsXYZ},
                                      {"parse/ply_ascii", d.octetsPLYTexte}})
        if (rapport.murs.count(nom))
            std::printf("%-22s %6.0f ms, %5.0f MB/s wall, %5.0f MB per CPU second of all threads\n", nom,
                        rapport.murs[nom], octets / 1e6 / (rapport.murs[nom] / 1e3), rapport.compteurs[nom]);
    if (rapport.murs.count("read/ply_binary_10M"))
        std::printf("%-22s %6.3f s for %zu points, %.1f MB (target 0.5 s)\n", "read/ply_binary_10M",
                    rapport.murs["read/ply_binary_10M"] / 1e3, d.points10M, d.octetsPLY10M / 1e6);
    std::printf("\nratio peer / ours (CPU time; above 1: ours is faster)\n");
    for (const auto &paire : {std::pair<const char *, const char *>{"read/stream", "read/tarnis"},
                              {"write/stream", "write/tarnis"},
                              {"threshold/voxel_loop", "threshold/tarnis"}})
        if (t.count(paire.first) && t.count(paire.second))
            std::printf("%-22s %6.2f\n", paire.first, t[paire.first] / t[paire.second]);
    if (t.count("read/stream") && t.count("read/tarnis") && t.count("read/kd_build_only"))
        std::printf("%-22s %6.2f  (parsing only: both minus the kd-tree construction)\n", "read/stream parse",
                    (t["read/stream"] - t["read/kd_build_only"]) / (t["read/tarnis"] - t["read/kd_build_only"]));
    return 0;
}
