// The tool as the batch launcher starts it: a separate process, its exit
// statuses, its streams and the positional contract.

#include "simplex_fixtures.h"
#include "support.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace fs = std::filesystem;
using tarnis_test::readFile;
using tarnis_test::TempDir;
using tarnis_test::writeFile;

namespace {

struct Sortie
{
    int statut = -1;
    std::string out, err;
};

// Runs the tool with the arguments, standard output and error into files.
Sortie lancer(const TempDir &t, const std::vector<std::string> &arguments)
{
    const std::string fo = t.file("stdout.txt"), fe = t.file("stderr.txt");
    std::vector<std::string> tous{PELVANE_EXE};
    tous.insert(tous.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &a : tous)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, fo.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, fe.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    Sortie s;
    if (posix_spawn(&pid, PELVANE_EXE, &actions, nullptr, argv.data(), environ) != 0) {
        ADD_FAILURE() << "cannot start " << PELVANE_EXE;
        return s;
    }
    posix_spawn_file_actions_destroy(&actions);
    int etat = 0;
    waitpid(pid, &etat, 0);
    s.statut = WIFEXITED(etat) ? WEXITSTATUS(etat) : 128 + WTERMSIG(etat);
    s.out = readFile(fo);
    s.err = readFile(fe);
    return s;
}

std::string derniereLigne(const std::string &texte)
{
    std::string t = texte;
    if (!t.empty() && t.back() == '\n')
        t.pop_back();
    return t.substr(t.rfind('\n') == std::string::npos ? 0 : t.rfind('\n') + 1);
}

class Processus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Simplex s;
        tarnis_test::icosaedreDual(s, 1, 1.0);
        reference = t.file("reference.smm");
        ASSERT_TRUE(s.ecrire(reference, 2).reussi());
        nuage = t.file("oeuf.pts");
        ASSERT_TRUE(tarnis_test::ecrireFichierPTS(nuage, tarnis_test::nuageEllipsoide(1200, 3, 2, 1.5)));
    }

    TempDir t;
    std::string reference, nuage;
};

} // namespace

TEST_F(Processus, LauncherArgumentsInTheirOrderGiveTheResults)
{
    const std::string sortie = t.file("lot/resultats");
    // What the launcher passes: the spin boxes' texts, the flag, then mesh, cloud, folder.
    Sortie s = lancer(t, {"1.00", "0.05", "0.00", "2", "250", "6", "0", reference, nuage, sortie});
    ASSERT_EQ(s.statut, 0) << s.err;
    EXPECT_TRUE(fs::exists(sortie + "/oeuf.smm"));
    EXPECT_TRUE(fs::exists(sortie + "/oeuf.off"));
    const std::string rapport = readFile(sortie + "/oeuf.rapport.txt");
    // Each positional value lands in its place.
    for (const char *ligne : {"force externe = 0.05\n", "rigidité = 2\n", "points simplexes minimum = 250\n",
                              "itérations par cycle = 6\n", "sauvegarde automatique = 0\n"})
        EXPECT_NE(rapport.find(ligne), std::string::npos) << ligne << rapport;
    EXPECT_NE(rapport.find("maillage de référence = " + reference + "\n"), std::string::npos);
    EXPECT_NE(rapport.find("nuage = " + nuage + "\n"), std::string::npos);
}

TEST_F(Processus, HelpAndExitStatuses)
{
    Sortie s = lancer(t, {"--help"});
    EXPECT_EQ(s.statut, 0);
    EXPECT_NE(s.out.find("--cloud"), std::string::npos);
    EXPECT_EQ(s.err, "");

    struct Cas
    {
        std::vector<std::string> arguments;
        int statut;
        std::string motif;
    };
    ASSERT_TRUE(writeFile(t.file("fichier"), "x"));
    const std::vector<Cas> cas = {
        {{}, 2, "aucun argument"},
        {{"1.00", "0.05", "0.00", "2", "250", "6", "0", reference, nuage}, 2, "10 arguments attendus"},
        {{"1.00", "abc", "0.00", "2", "250", "6", "0", reference, nuage, t.file("x")}, 2, "force externe"},
        {{"1.00", "0.05", "0.00", "2", "250", "6", "0", t.file("absent.smm"), nuage, t.file("x")},
         3,
         "maillage de référence"},
        {{"1.00", "0.05", "0.00", "2", "250", "6", "0", reference, t.file("absent.pts"), t.file("x")},
         4,
         "absent.pts » ne peut pas être ouvert"},
        {{"1.00", "0.05", "0.00", "2", "250", "6", "0", reference, nuage, t.file("fichier/x")}, 5, "dossier de sortie"},
        {{"--out", t.file("x")}, 2, "--cloud est obligatoire"},
        {{"100", "0.05", "0.00", "2", "250", "6", "0", reference, nuage, t.file("x"), "--method", "cycles"},
         6,
         "le maillage diverge"},
    };
    for (const Cas &c : cas) {
        s = lancer(t, c.arguments);
        EXPECT_EQ(s.statut, c.statut) << c.motif << "\n" << s.err;
        // The tool's own message is one line, the last one on standard error.
        const std::string ligne = derniereLigne(s.err);
        EXPECT_EQ(ligne.rfind("Pelvane : erreur : ", 0), 0u) << s.err;
        EXPECT_NE(ligne.find(c.motif), std::string::npos) << ligne;
        if (c.statut == 2) {
            EXPECT_EQ(s.err, ligne + "\n");
        }
    }
    // Nothing left in the output folder of the failed runs.
    EXPECT_TRUE(!fs::exists(t.file("x")) || fs::is_empty(t.file("x")));
}
