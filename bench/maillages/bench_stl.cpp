// One STL file read by the engine's reader or by the Open Asset Import Library, vertices joined
// in both: bench_stl tarnis|assimp FICHIER [REPETITIONS]. Prints the best time in ms, the
// vertices and triangles; bench/stl.sh runs it under /usr/bin/time for the peak memory.
#include "Maillage.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::cerr << "usage : bench_stl tarnis|assimp FICHIER [REPETITIONS]\n";
        return 2;
    }
    const std::string qui = argv[1], nom = argv[2];
    const int repetitions = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::cout.setstate(std::ios::failbit);
    double meilleur = 1e300;
    std::size_t sommets = 0, triangles = 0;
    for (int k = 0; k < repetitions; ++k) {
        const auto debut = std::chrono::steady_clock::now();
        if (qui == "tarnis") {
            Maillage m;
            if (!m.lireSTL(nom))
                return 1;
            sommets = m.listeSommets.size();
            triangles = m.listeFaces.size();
        } else {
            Assimp::Importer importer;
            const aiScene *scene = importer.ReadFile(nom, aiProcess_JoinIdenticalVertices);
            if (!scene)
                return 1;
            sommets = triangles = 0;
            for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
                sommets += scene->mMeshes[i]->mNumVertices;
                triangles += scene->mMeshes[i]->mNumFaces;
            }
        }
        meilleur = std::min(meilleur, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - debut).count());
    }
    std::printf("%s %.3f ms %zu sommets %zu triangles\n", qui.c_str(), meilleur, sommets, triangles);
    return 0;
}
