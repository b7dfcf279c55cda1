// The console tool on clouds cut short, corrupt or miscounted: exit status 4, one line naming
// the file, the line and what was wrong, and nothing written.
#include "support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace tarnis_test;

TEST(PelvaneNuages, CutCorruptAndMiscountedCloudsAreRefused)
{
    TempDir t;
    std::string p48, p;
    for (int i = 0; i < 400; ++i)
        (i < 48 ? p48 : p) += std::to_string(i % 7) + " " + std::to_string(i % 11) + " 1.5\n";
    const std::pair<std::string, const char *> cas[] = {
        {"PTS\n400\n" + p48 + "6 4", "400 points annoncés, 48 lus ; la lecture s'est arrêtée ligne 51 (point 49) : le "
                                     "fichier s'arrête là"},
        {"PTS\n400\n" + p48 + "nan 1 2\n" + p, "ligne 51 (point 49) : « nan » n'est pas un nombre"},
        {"PTS\n400\n" + p48 + "1 1e39 2\n" + p, "« 1e39 » sort des limites de la simple précision"},
        {"PTS\n500\n" + p48 + p, "500 points annoncés, 400 lus ; la lecture s'est arrêtée ligne 403"},
        {"PTS\n1000000000000\n" + p48 + p, "1000000000000 points annoncés, 400 lus"},
        {"PTS\n1e12\n" + p48 + p, "ligne 2 : nombre de points illisible (« 1e12 » n'est pas un nombre entier)"},
    };
    for (const auto &[texte, motif] : cas) {
        writeFile(t.file("n.pts"), texte);
        const int etat = std::system((std::string(PELVANE_EXE) + " --cloud " + t.file("n.pts") + " --out " +
                                      t.file("sortie") + " > /dev/null 2> " + t.file("err"))
                                         .c_str());
        EXPECT_EQ(WIFEXITED(etat) ? WEXITSTATUS(etat) : -1, 4) << motif;
        const std::string attendu = "Pelvane : erreur : « " + t.file("n.pts") + " »";
        const std::string erreurs = readFile(t.file("err"));
        const std::size_t ligne = erreurs.find(attendu);
        ASSERT_NE(ligne, std::string::npos) << erreurs;
        EXPECT_NE(erreurs.find(motif, ligne), std::string::npos) << erreurs;
        EXPECT_TRUE(!std::filesystem::exists(t.file("sortie")) || std::filesystem::is_empty(t.file("sortie")));
    }
    // A pipe as the reference mesh is refused at once (timeout ends a tool that would block: 124).
    ASSERT_EQ(mkfifo(t.file("tube.smm").c_str(), 0600), 0);
    const int etat = std::system(("timeout 20 " + std::string(PELVANE_EXE) + " --cloud " + t.file("n.pts") +
                                  " --mesh " + t.file("tube.smm") + " --out " + t.file("sortie") + " 2> /dev/null")
                                     .c_str());
    EXPECT_EQ(WEXITSTATUS(etat), 3);
}
