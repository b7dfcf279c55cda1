// Distance from a cloud to a mesh file, as the report measures it (each cloud point to the
// nearest triangle): ecart_maillage NUAGE MAILLAGE (.off, .obj, .stl, or the binary PLY the
// console tool writes). Prints the mean and the maximum.
#include "Maillage.h"
#include "Ouverture.h"
#include "distance.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

// The PLY the writer makes: header, then x y z as little-endian doubles, then "3 a b c" faces.
bool lirePLYBinaire(const std::string &nom, Maillage &m)
{
    std::ifstream f(nom, std::ios::binary);
    std::string ligne;
    std::size_t sommets = 0, faces = 0;
    while (std::getline(f, ligne) && ligne != "end_header") {
        std::sscanf(ligne.c_str(), "element vertex %zu", &sommets);
        std::sscanf(ligne.c_str(), "element face %zu", &faces);
    }
    for (std::size_t i = 0; i < sommets; ++i) {
        double c[3];
        if (!f.read(reinterpret_cast<char *>(c), sizeof c))
            return false;
        m.listeSommets.emplace_back(c[0], c[1], c[2]);
    }
    for (std::size_t i = 0; i < faces; ++i) {
        unsigned char n = 0;
        std::int32_t s[3];
        if (!f.read(reinterpret_cast<char *>(&n), 1) || n != 3 || !f.read(reinterpret_cast<char *>(s), sizeof s))
            return false;
        m.listeFaces.push_back(Face{s[0], s[1], s[2]});
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage : ecart_maillage NUAGE MAILLAGE\n";
        return 2;
    }
    std::cout.setstate(std::ios::failbit); // the readers' console lines
    Maillage nuage, m;
    if (!ouvrirNuage(argv[1], nuage)) {
        std::cerr << "nuage illisible : " << argv[1] << "\n";
        return 1;
    }
    const std::string nom = argv[2];
    const std::string suffixe = nom.substr(nom.find_last_of('.') + 1);
    const bool lu = suffixe == "ply"   ? lirePLYBinaire(nom, m)
                    : suffixe == "stl" ? m.lireSTL(nom).reussi()
                    : suffixe == "obj" ? m.lireOBJ(nom).reussi()
                                       : m.lireOFF(nom).reussi();
    if (!lu) {
        std::cerr << "maillage illisible : " << nom << "\n";
        return 1;
    }
    const ArbreTriangles arbre(m.listeSommets, trianglesDe(m));
    const Statistiques s = resumer(arbre.distances(nuage.ListePointsInterets));
    std::cout.clear();
    std::printf("%s : %zu points, %zu triangles : écart nuage -> surface moyen %.6g, maximum %.6g\n", nom.c_str(),
                s.nombre, m.listeFaces.size(), s.moyenne, s.maximum);
    return 0;
}
