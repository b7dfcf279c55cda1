// PLY reader over arbitrary bytes, as a cloud and as a mesh. Checks that a refusal leaves nothing,
// that the cloud does not depend on the blocks or threads, that every face names a vertex, and that
// the cloud of a mesh's surface starts with its vertices.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "NuageFichiers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille)
{
    // The input is allocated to its exact size: a read one byte past it is caught.
    const char *texte = reinterpret_cast<const char *>(donnees);
    std::vector<point3> a, b, sommets, surface;
    std::vector<Face> faces;
    const Resultat ra = lireNuagePLY(texte, taille, "f", a, OptionsLecture{1, 1 << 30});
    const Resultat rb = lireNuagePLY(texte, taille, "f", b, OptionsLecture{3, 5});
    if (ra.reussi() != rb.reussi() || ra.texte() != rb.texte() || !(a.size() == b.size()))
        std::abort();
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(point3)) != 0)
            std::abort();
    if (!ra && !a.empty())
        std::abort();
    const Resultat rm = lireMaillagePLY(texte, taille, "f", sommets, faces);
    if (!rm && (!sommets.empty() || !faces.empty()))
        std::abort();
    for (const Face &f : faces)
        for (const int s : {f.s1, f.s2, f.s3})
            if (s < 0 || static_cast<std::size_t>(s) >= sommets.size())
                std::abort();
    const Resultat rs = lireSurfacePLY(texte, taille, "f", surface, OptionsLecture{2, 7});
    if (rs.reussi() != rm.reussi() || (!rs && !surface.empty()) || surface.size() < sommets.size())
        std::abort();
    for (std::size_t i = 0; i < sommets.size(); ++i)
        if (std::memcmp(&surface[i], &sommets[i], sizeof(point3)) != 0)
            std::abort();
    return 0;
}
