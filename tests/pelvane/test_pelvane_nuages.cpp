// The console tool on clouds cut short or corrupt: exit status 4, one line naming the file, the
// line and what was wrong, and nothing written.
#include "support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

using tarnis_test::readFile;
using tarnis_test::TempDir;
using tarnis_test::writeFile;

TEST(PelvaneNuages, TruncatedNanAndOverAnnouncedCloudsAreRefused)
{
    TempDir t;
    std::string points;
    for (int i = 0; i < 400; ++i)
        points += std::to_string(i % 7) + " " + std::to_string(i % 11) + " " + std::to_string(i % 13) + "\n";
    std::size_t fin48 = 0;
    for (int i = 0; i < 48; ++i)
        fin48 = points.find('\n', fin48) + 1;
    struct Cas
    {
        const char *nom;
        std::string texte;
        const char *motif;
    };
    const Cas cas[] = {
        {"coupe.pts", "PTS\n400\n" + points.substr(0, fin48 + 3), "ligne 51 (point 49) : le fichier s'arrête là"},
        {"nan.pts", "PTS\n400\n" + points.substr(0, fin48) + "nan 1 2\n" + points.substr(fin48),
         "ligne 51 (point 49) : « nan » n'est pas un nombre"},
        {"annonce.pts", "PTS\n500\n" + points, "500 points annoncés, 400 lus"},
    };
    for (const Cas &c : cas) {
        writeFile(t.file(c.nom), c.texte);
        const std::string sortie = t.file(std::string("sortie-") + c.nom);
        const std::string commande = std::string(PELVANE_EXE) + " --cloud '" + t.file(c.nom) + "' --out '" + sortie +
                                     "' > '" + t.file("out") + "' 2> '" + t.file("err") + "'";
        const int etat = std::system(commande.c_str());
        ASSERT_TRUE(WIFEXITED(etat)) << c.nom;
        EXPECT_EQ(WEXITSTATUS(etat), 4) << c.nom;
        const std::string erreurs = readFile(t.file("err"));
        const std::string ligne = "Pelvane : erreur : « " + t.file(c.nom) + " » incomplet";
        EXPECT_EQ(erreurs.rfind(ligne, 0) == 0 || erreurs.find("\n" + ligne) != std::string::npos, true) << erreurs;
        EXPECT_NE(erreurs.find(c.motif), std::string::npos) << erreurs;
        EXPECT_TRUE(!std::filesystem::exists(sortie) || std::filesystem::is_empty(sortie)) << c.nom;
    }
}
