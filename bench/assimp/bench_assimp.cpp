// One reading of a file by our readers or by the Open Asset Import Library, for
// bench/ply_assimp.sh (which runs both on the same files and prints the ratios).
//
//   bench_assimp faire DOSSIER N        writes the test files for N points
//   bench_assimp tarnis|assimp FICHIER   reads it once: seconds, vertices, faces, peak memory

#include "NuageFichiers.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

void ecrireFloat(std::ofstream &f, float v)
{
    f.write(reinterpret_cast<const char *>(&v), 4);
}

/// A wavy sheet of about n vertices (side × side): binary clouds and mesh, ASCII PLY and PCD.
void faire(const std::string &dossier, long n)
{
    const long cote = static_cast<long>(std::sqrt(double(n)));
    auto z = [](long i, long j) { return static_cast<float>(std::sin(i * 0.01) * std::cos(j * 0.013)); };
    for (const bool faces : {false, true}) {
        std::ofstream f(dossier + (faces ? "/maillage_binaire.ply" : "/nuage_binaire.ply"), std::ios::binary);
        f << "ply\nformat binary_little_endian 1.0\nelement vertex " << cote * cote
          << "\nproperty float x\nproperty float y\nproperty float z\n";
        if (faces)
            f << "element face " << 2 * (cote - 1) * (cote - 1) << "\nproperty list uchar int vertex_indices\n";
        f << "end_header\n";
        for (long i = 0; i < cote; ++i)
            for (long j = 0; j < cote; ++j) {
                ecrireFloat(f, static_cast<float>(i));
                ecrireFloat(f, static_cast<float>(j));
                ecrireFloat(f, z(i, j));
            }
        for (long i = 0; faces && i + 1 < cote; ++i)
            for (long j = 0; j + 1 < cote; ++j) {
                const int a = int(i * cote + j), b = a + 1, c = a + int(cote), d = c + 1;
                const int t[2][3] = {{a, b, d}, {a, d, c}};
                for (const auto &tri : t) {
                    f.put(3);
                    f.write(reinterpret_cast<const char *>(tri), 12);
                }
            }
    }
    std::ofstream a(dossier + "/nuage_ascii.ply"), p(dossier + "/nuage.pcd");
    a << "ply\nformat ascii 1.0\nelement vertex " << cote * cote
      << "\nproperty float x\nproperty float y\nproperty float z\nend_header\n";
    p << "VERSION .7\nFIELDS x y z\nSIZE 4 4 4\nTYPE F F F\nCOUNT 1 1 1\nWIDTH " << cote * cote << "\nHEIGHT 1\nPOINTS "
      << cote * cote << "\nDATA ascii\n";
    for (long i = 0; i < cote; ++i)
        for (long j = 0; j < cote; ++j) {
            a << i << ' ' << j << ' ' << z(i, j) << '\n';
            p << i << ' ' << j << ' ' << z(i, j) << '\n';
        }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "faire") == 0) {
        faire(argv[2], std::atol(argv[3]));
        return 0;
    }
    if (argc != 3)
        return 2;
    const std::string qui = argv[1], chemin = argv[2];
    const auto debut = std::chrono::steady_clock::now();
    std::size_t sommets = 0, faces = 0;
    std::string erreur;
    if (qui == "assimp") {
        Assimp::Importer importeur;
        const aiScene *scene = importeur.ReadFile(chemin, 0);
        if (!scene)
            erreur = importeur.GetErrorString();
        for (unsigned k = 0; scene && k < scene->mNumMeshes; ++k) {
            sommets += scene->mMeshes[k]->mNumVertices;
            faces += scene->mMeshes[k]->mNumFaces;
        }
    } else {
        const bool maillage = chemin.find("maillage") != std::string::npos;
        Resultat r;
        if (maillage) {
            Maillage m;
            r = lireMaillagePLYFichier(chemin, m);
            sommets = m.listeSommets.size();
            faces = m.listeFaces.size();
        } else {
            std::vector<point3> points;
            long long nonFinis = 0;
            r = lireNuageFichier(chemin, points, nonFinis);
            sommets = points.size();
        }
        if (!r)
            erreur = r.texte();
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    std::printf("mesure %.3f %zu %zu %ld %s\n", s, sommets, faces, u.ru_maxrss, erreur.empty() ? "ok" : erreur.c_str());
    return erreur.empty() ? 0 : 1;
}
