// Writes the template simplex mesh that a point cloud is opened with: the dual of an icosahedron
// whose triangles were split in four `niveaux` times, on a sphere centred at the origin.
//
//   make_icosa [output.smm [niveaux [rayon]]]      defaults: SMM_/icosa.smm 2 10
//
// Each triangle gives one simplex point (its centre pushed out onto the sphere), whose neighbours
// are the triangles across its edges (s1,s2), (s2,s3), (s3,s1); each vertex gives one cell, the
// triangles around it counter-clockwise seen from outside. With outward triangles the normals of
// the simplex points point outwards too. The file is written with the mesh's own SMM writer.

#include <array>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Resultat.h"
#include "Simplex.h"

namespace {

struct Triangle
{
    int a, b, c;
};

point3 surSphere(const point3 &p, double rayon)
{
    const double n = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    return point3(p.x * rayon / n, p.y * rayon / n, p.z * rayon / n);
}

void icosaedre(int niveaux, double rayon, std::vector<point3> &sommets, std::vector<Triangle> &triangles)
{
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    sommets = {point3(-1, t, 0), point3(1, t, 0), point3(-1, -t, 0), point3(1, -t, 0),
               point3(0, -1, t), point3(0, 1, t), point3(0, -1, -t), point3(0, 1, -t),
               point3(t, 0, -1), point3(t, 0, 1), point3(-t, 0, -1), point3(-t, 0, 1)};
    for (point3 &p : sommets)
        p = surSphere(p, rayon);
    // Counter-clockwise seen from outside.
    triangles = {{0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
                 {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
                 {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (int n = 0; n < niveaux; ++n) {
        std::map<std::pair<int, int>, int> milieux;
        auto milieu = [&](int a, int b) {
            const std::pair<int, int> cle(std::min(a, b), std::max(a, b));
            auto it = milieux.find(cle);
            if (it != milieux.end())
                return it->second;
            sommets.push_back(surSphere(sommets[a] + sommets[b], rayon));
            const int indice = static_cast<int>(sommets.size()) - 1;
            milieux.emplace(cle, indice);
            return indice;
        };
        std::vector<Triangle> nouveaux;
        for (const Triangle &f : triangles) {
            const int ab = milieu(f.a, f.b), bc = milieu(f.b, f.c), ca = milieu(f.c, f.a);
            nouveaux.push_back({f.a, ab, ca});
            nouveaux.push_back({ab, f.b, bc});
            nouveaux.push_back({ca, bc, f.c});
            nouveaux.push_back({ab, bc, ca});
        }
        triangles.swap(nouveaux);
    }
}

/// Fills the mesh with the dual of the closed triangle mesh.
Resultat dual(Simplex &s, const std::vector<point3> &sommets, const std::vector<Triangle> &triangles, double rayon)
{
    const int nf = static_cast<int>(triangles.size());
    std::map<std::pair<int, int>, int> faceDeLArete; // directed edge -> its triangle
    for (int i = 0; i < nf; ++i) {
        const Triangle &f = triangles[i];
        faceDeLArete[{f.a, f.b}] = i;
        faceDeLArete[{f.b, f.c}] = i;
        faceDeLArete[{f.c, f.a}] = i;
    }
    std::vector<point3> centres;
    std::vector<std::array<int, 3>> voisins;
    for (const Triangle &f : triangles) {
        centres.push_back(surSphere(sommets[f.a] + sommets[f.b] + sommets[f.c], rayon));
        voisins.push_back({{faceDeLArete.at({f.b, f.a}), faceDeLArete.at({f.c, f.b}), faceDeLArete.at({f.a, f.c})}});
    }
    std::vector<int> premiere(sommets.size(), -1);
    for (int i = 0; i < nf; ++i)
        for (int v : {triangles[i].a, triangles[i].b, triangles[i].c})
            if (premiere[v] < 0)
                premiere[v] = i;
    std::vector<std::vector<int>> mailles(sommets.size());
    for (int v = 0; v < static_cast<int>(sommets.size()); ++v) {
        int f = premiere[v];
        do {
            mailles[v].push_back(f);
            const Triangle &t = triangles[f];
            const int suivant = t.a == v ? t.c : t.b == v ? t.a : t.b;
            f = faceDeLArete.at({v, suivant}); // the triangle in which v is followed by `suivant`
        } while (f != premiere[v]);
    }
    return s.construire(centres, voisins, mailles);
}

} // namespace

int main(int argc, char **argv)
{
    const std::string sortie = argc > 1 ? argv[1] : "SMM_/icosa.smm";
    const int niveaux = argc > 2 ? std::atoi(argv[2]) : 2;
    const double rayon = argc > 3 ? std::atof(argv[3]) : 10.0;
    if (niveaux < 0 || niveaux > 6 || !(rayon > 0)) {
        std::cerr << "usage: make_icosa [sortie.smm [niveaux 0..6 [rayon > 0]]]" << std::endl;
        return 2;
    }

    std::vector<point3> sommets;
    std::vector<Triangle> triangles;
    icosaedre(niveaux, rayon, sommets, triangles);

    Simplex s;
    Resultat r = dual(s, sommets, triangles, rayon);
    if (r)
        r = s.ecrire(sortie, 2);
    if (!r) {
        std::cerr << r.texte() << std::endl;
        return 1;
    }
    std::cout << s.ListePointsSimplex.size() << " points, " << s.ListeMailles.size() << " mailles -> " << sortie
              << std::endl;
    return 0;
}
