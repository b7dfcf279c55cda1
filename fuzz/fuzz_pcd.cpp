// PCD reader over arbitrary bytes. Checks that a refusal leaves nothing and that the
// cloud and the reason do not depend on the blocks or threads.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "NuageFichiers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    // The input is allocated to its exact size: a read one byte past it is caught.
    const char *texte = reinterpret_cast<const char *>(donnees);
    std::vector<point3> a, b;
    long long na = 0, nb = 0;
    const Resultat ra = lireNuagePCD(texte, taille, "f", a, na, OptionsLecture{1, 1 << 30});
    const Resultat rb = lireNuagePCD(texte, taille, "f", b, nb, OptionsLecture{3, 5});
    if (ra.reussi() != rb.reussi() || ra.texte() != rb.texte() || !(a.size() == b.size()) || na != nb)
        std::abort();
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(point3)) != 0)
            std::abort();
    if (!ra && !a.empty())
        std::abort();
    return 0;
}
