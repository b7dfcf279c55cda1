// STL reader over arbitrary bytes (text or binary): never crashes or reads past the end; a
// refusal leaves an empty mesh, a success faces of three distinct vertices inside the list, each
// vertex once; the file reader reads what the memory reader reads.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <set>
#include <string>
#include <tuple>
#include <unistd.h>

#include "Maillage.h"

static std::string cheminTemporaire;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
    cheminTemporaire = "/tmp/tarnis-fuzz-stl-" + std::to_string(getpid()) + ".stl";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    Maillage m;
    const Resultat r = m.lireSTLDepuisMemoire(reinterpret_cast<const char *>(donnees), taille);
    const int n = static_cast<int>(m.listeSommets.size());
    if (!r && (n != 0 || !m.listeFaces.empty()))
        std::abort();
    if (m.nbSommets != n || m.nbFaces != static_cast<int>(m.listeFaces.size()))
        std::abort();
    for (const Face &f : m.listeFaces)
        if (f.s1 < 0 || f.s1 >= n || f.s2 < 0 || f.s2 >= n || f.s3 < 0 || f.s3 >= n || f.s1 == f.s2 ||
            f.s2 == f.s3 || f.s1 == f.s3)
            std::abort();
    std::set<std::tuple<double, double, double>> vus;
    for (const point3 &p : m.listeSommets)
        if (!vus.insert({p.x + 0.0, p.y + 0.0, p.z + 0.0}).second)
            std::abort();

    std::FILE *f = std::fopen(cheminTemporaire.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(donnees, 1, taille, f);
    std::fclose(f);
    Maillage parFichier;
    const Resultat rf = parFichier.lireSTL(cheminTemporaire);
    if (rf.statut != r.statut || parFichier.listeSommets.size() != m.listeSommets.size() ||
        parFichier.listeFaces.size() != m.listeFaces.size())
        std::abort();
    for (std::size_t i = 0; i < m.listeFaces.size(); ++i) {
        const Face &x = m.listeFaces[i], &y = parFichier.listeFaces[i];
        if (x.s1 != y.s1 || x.s2 != y.s2 || x.s3 != y.s3)
            std::abort();
    }
    return 0;
}
