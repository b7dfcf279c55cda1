// solide_ecrit FICHIER.off|.obj|.stl: one line "croisements N parties P genre G volume V aire A"
// of the triangle mesh as the file holds it (its coordinates as written).
#include "Croisements.h"
#include "Maillage.h"
#include "Topologie.h"

#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage : solide_ecrit FICHIER.off|.obj|.stl\n");
        return 2;
    }
    const std::string nom = argv[1];
    const std::string suffixe = nom.size() > 4 ? nom.substr(nom.size() - 4) : "";
    Maillage m;
    const Resultat r = suffixe == ".obj" ? m.lireOBJ(nom) : suffixe == ".stl" ? m.lireSTL(nom) : m.lireOFF(nom);
    if (!r) {
        std::fprintf(stderr, "%s\n", r.texte().c_str());
        return 1;
    }
    const TopologieSurface t = topologie(m);
    const MesureSolide s = mesurerSolide(m);
    std::printf("croisements %zu parties %d genre %d volume %.9g aire %.9g\n", pairesQuiSeCroisent(m, 0), t.parties,
                t.genre, s.volume, s.aire);
    return 0;
}
