// OFF reader over arbitrary text: never crashes, keeps only faces inside the vertex list.
#include <cstdint>
#include <cstdlib>
#include <iostream>

#include <string>
#include <unistd.h>

#include "Maillage.h"

static std::string cheminTemporaire;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
    cheminTemporaire = "/tmp/tarnis-fuzz-off-" + std::to_string(getpid()) + ".off";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    Maillage m;
    if (!m.chargerOFFDepuisTexte(reinterpret_cast<const char *>(donnees), taille))
        return 0;
    const int n = static_cast<int>(m.listeSommets.size());
    if (m.nbSommets != n || m.nbFaces != static_cast<int>(m.listeFaces.size()))
        std::abort();
    for (const Face &f : m.listeFaces)
        if (f.s1 < 0 || f.s1 >= n || f.s2 < 0 || f.s2 >= n || f.s3 < 0 || f.s3 >= n)
            std::abort();

    // The file reader (regular file, capped header line) reads what the memory reader reads.
    std::FILE *f = std::fopen(cheminTemporaire.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(donnees, 1, taille, f);
    std::fclose(f);
    Maillage parFichier;
    if (!parFichier.chargerOFF(cheminTemporaire) || parFichier.listeSommets.size() != m.listeSommets.size() ||
        parFichier.listeFaces.size() != m.listeFaces.size())
        std::abort();
    for (std::size_t i = 0; i < m.listeFaces.size(); ++i) {
        const Face &x = m.listeFaces[i], &y = parFichier.listeFaces[i];
        if (x.s1 != y.s1 || x.s2 != y.s2 || x.s3 != y.s3)
            std::abort();
    }
    return 0;
}
