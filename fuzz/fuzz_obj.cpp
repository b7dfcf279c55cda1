// OBJ reader over arbitrary text: never crashes, keeps only faces inside the vertex list, and
// reads a file as it reads the same bytes in memory. Also checks that capped line reading
// through a window small enough to split lines gives the lines the in-memory reader gives.
#include <cstdint>
#include <cstdlib>
#include <iostream>

#include <string>
#include <unistd.h>

#include "Maillage.h"
#include "MaillageTexte.h"

static std::string cheminTemporaire;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
    cheminTemporaire = "/tmp/tarnis-fuzz-obj-" + std::to_string(getpid()) + ".obj";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    Maillage m;
    m.chargerOBJDepuisTexte(reinterpret_cast<const char *>(donnees), taille);
    const int n = static_cast<int>(m.listeSommets.size());
    if (m.nbSommets != n || m.nbFaces != static_cast<int>(m.listeFaces.size()))
        std::abort();
    for (const Face &f : m.listeFaces)
        if (f.s1 < 0 || f.s1 >= n || f.s2 < 0 || f.s2 >= n || f.s3 < 0 || f.s3 >= n)
            std::abort();

    std::FILE *f = std::fopen(cheminTemporaire.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(donnees, 1, taille, f);
    std::fclose(f);
    Maillage parFichier;
    static_cast<void>(parFichier.lireOBJ(cheminTemporaire));
    if (parFichier.listeSommets.size() != m.listeSommets.size() || parFichier.listeFaces.size() != m.listeFaces.size())
        std::abort();
    for (std::size_t i = 0; i < m.listeFaces.size(); ++i) {
        const Face &x = m.listeFaces[i], &y = parFichier.listeFaces[i];
        if (x.s1 != y.s1 || x.s2 != y.s2 || x.s3 != y.s3)
            std::abort();
    }

    if (taille == 0)
        return 0;
    const char *texte = reinterpret_cast<const char *>(donnees);
    std::FILE *g = fmemopen(const_cast<char *>(texte), taille, "r");
    if (!g)
        return 0;
    const std::size_t plafond = donnees[0] % 13;
    tarnis_texte::Lecteur enMemoire(texte, taille);
    tarnis_texte::Lecteur parFenetre(g, 1 + donnees[taille - 1] % 5);
    std::string a, b;
    for (;;) {
        const bool okA = enMemoire.lireLigne(a, plafond);
        const bool okB = parFenetre.lireLigne(b, plafond);
        if (okA != okB || a != b || a.size() > plafond || enMemoire.position() != parFenetre.position())
            std::abort();
        if (!okA)
            break;
    }
    std::fclose(g);
    return 0;
}
