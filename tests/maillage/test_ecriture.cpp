// Every writer of the engine, given the name of a file that is already there: the file is only
// replaced once the new one is complete. A write that fails or is stopped leaves it as it was,
// with nothing beside it.
#include "Maillage.h"
#include "Progression.h"
#include "Resultat.h"
#include "Simplex.h"
#include "refine_fixtures.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarnis_test;
namespace fs = std::filesystem;

namespace {

struct Ecrivain
{
    std::string suffixe;
    std::function<Resultat(const std::string &, const Progression &)> ecrire;
};

std::vector<Ecrivain> ecrivains(const Maillage &m, Simplex &s)
{
    return {
        {"off", [&](const std::string &f, const Progression &p) { return m.ecrireOFF(f, p); }},
        {"obj", [&](const std::string &f, const Progression &p) { return m.ecrireOBJ(f, p); }},
        {"stl", [&](const std::string &f, const Progression &p) { return m.ecrireSTL(f, p); }},
        {"ply", [&](const std::string &f, const Progression &p) { return m.ecrirePLY(f, p); }},
        {"pts", [&](const std::string &f, const Progression &p) { return ecrirePTS(f, m.listeSommets, p); }},
        {"smm", [&](const std::string &f, const Progression &p) { return s.ecrire(f, 2, p); }},
        {"sm", [&](const std::string &f, const Progression &p) { return s.ecrire(f, 1, p); }},
    };
}

// A stop on the progression's third call.
Progression arretAuTroisieme()
{
    auto appels = std::make_shared<int>(0);
    return [appels](double, const Raison &) { return ++*appels < 3; };
}

} // namespace

TEST(Ecriture, AFailedOrStoppedWriteLeavesTheFileAsItWas)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    icosaedreSubdivise(4, 1.0, sommets, faces); // 2,562 vertices: every file far above 4 kB
    const Maillage m(sommets, faces);
    Simplex s;
    ASSERT_TRUE(chargerGabarit(s));
    for (const Ecrivain &e : ecrivains(m, s)) {
        TempDir dossier;
        const std::string f = dossier.file("ancien." + e.suffixe);
        ASSERT_TRUE(writeFile(f, "ce qui était là"));

        // Stopped: the status says so, the old file is there, nothing beside it.
        Resultat r;
        captureSorties([&] { r = e.ecrire(f, arretAuTroisieme()); });
        EXPECT_EQ(r.statut, Statut::Interrompu) << e.suffixe;
        EXPECT_EQ(readFile(f), "ce qui était là") << e.suffixe;
        EXPECT_EQ(folderNames(dossier.path()), std::vector<std::string>{"ancien." + e.suffixe}) << e.suffixe;

        // Failed: the disk full after 4 kB (a file size limit, in a child process).
        std::fflush(nullptr);
        const pid_t fils = fork();
        if (fils == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit taille{4096, 4096};
            setrlimit(RLIMIT_FSIZE, &taille);
            Resultat echec;
            captureSorties([&] { echec = e.ecrire(f, Progression()); });
            _exit(echec.statut == Statut::SortieImpossible ? 0 : 1);
        }
        int etat = 0;
        ASSERT_EQ(waitpid(fils, &etat, 0), fils);
        EXPECT_TRUE(WIFEXITED(etat) && WEXITSTATUS(etat) == 0) << e.suffixe << " : échec non signalé";
        EXPECT_EQ(readFile(f), "ce qui était là") << e.suffixe;
        EXPECT_EQ(folderNames(dossier.path()), std::vector<std::string>{"ancien." + e.suffixe}) << e.suffixe;

        // Complete: the new file in its place, with its rights, also through a link to it.
        ASSERT_EQ(chmod(f.c_str(), 0640), 0);
        const std::string lien = dossier.file("lien." + e.suffixe);
        fs::create_symlink(f, lien);
        captureSorties([&] { r = e.ecrire(lien, Progression()); });
        ASSERT_TRUE(r.reussi()) << e.suffixe << " : " << r.texte();
        EXPECT_TRUE(fs::is_symlink(lien)) << e.suffixe;
        EXPECT_GT(readFile(f).size(), 4096u) << e.suffixe;
        struct stat apres;
        ASSERT_EQ(stat(f.c_str(), &apres), 0);
        EXPECT_EQ(apres.st_mode & 07777, 0640u) << e.suffixe;
        EXPECT_EQ(folderNames(dossier.path()), (std::vector<std::string>{"ancien." + e.suffixe, "lien." + e.suffixe}))
            << e.suffixe;
    }
}

TEST(Ecriture, ADeviceIsWrittenInPlaceAndAWrongFormatTouchesNothing)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    icosaedreSubdivise(1, 1.0, sommets, faces);
    const Maillage m(sommets, faces);
    Simplex s;
    ASSERT_TRUE(chargerGabarit(s));
    for (const Ecrivain &e : ecrivains(m, s)) {
        Resultat r;
        captureSorties([&] { r = e.ecrire("/dev/null", Progression()); });
        EXPECT_TRUE(r.reussi()) << e.suffixe << " : " << r.texte();
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    TempDir dossier;
    const std::string f = dossier.file("ancien.smm");
    ASSERT_TRUE(writeFile(f, "ce qui était là"));
    Resultat r;
    captureSorties([&] { r = s.ecrire(f, 3); });
    EXPECT_EQ(r.statut, Statut::ArgumentsIncorrects);
    EXPECT_EQ(readFile(f), "ce qui était là");

    // A link to a link to a file not there yet: the file is made where they lead.
    fs::create_symlink("nouveau.off", dossier.file("lien"));
    fs::create_symlink("lien", dossier.file("lien2"));
    captureSorties([&] { r = m.ecrireOFF(dossier.file("lien2")); });
    EXPECT_TRUE(r.reussi()) << r.texte();
    EXPECT_TRUE(fs::is_symlink(dossier.file("lien2")) && fs::is_symlink(dossier.file("lien")));
    EXPECT_EQ(readFile(dossier.file("nouveau.off")).rfind("OFF\n", 0), 0u);
}
