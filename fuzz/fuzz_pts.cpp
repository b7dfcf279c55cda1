// PTS reader over arbitrary text. Also checks that the file reader, with a window small
// enough to split tokens, parses the same numbers as the in-memory reader.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "Maillage.h"
#include "MaillageTexte.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::cout.rdbuf(nullptr);
    std::cerr.rdbuf(nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    const char *texte = reinterpret_cast<const char *>(donnees);
    Maillage m;
    if (m.lecturePTSDepuisTexte(texte, taille)) {
        if (m.nbPointsInterets >= 0 && m.ListePointsInterets.size() > static_cast<std::size_t>(m.nbPointsInterets))
            std::abort();
    }

    if (taille == 0)
        return 0;
    std::FILE *f = fmemopen(const_cast<char *>(texte), taille, "r");
    if (!f)
        return 0;
    tarnis_texte::Lecteur enMemoire(texte, taille);
    tarnis_texte::Lecteur parFenetre(f, 1 + donnees[0] % 7);
    for (;;) {
        float a = 0, b = 0;
        const bool okA = enMemoire.lireFloat(a);
        const bool okB = parFenetre.lireFloat(b);
        if (okA != okB || (okA && !(a == b || (a != a && b != b))))
            std::abort();
        if (!okA) {
            if (enMemoire.finDesDonnees() != parFenetre.finDesDonnees())
                std::abort();
            // Step over the offending character and carry on.
            if (enMemoire.lireCaractere() != parFenetre.lireCaractere())
                std::abort();
            if (enMemoire.finDesDonnees())
                break;
        }
    }
    std::fclose(f);
    return 0;
}
