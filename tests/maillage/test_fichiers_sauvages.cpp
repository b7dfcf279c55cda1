// Files from the wild: the OBJ and OFF constructs of other tools read with every face, what
// cannot be read refused with its line, folders and pipes refused without blocking, and a
// volume that yields no point.
#include "Maillage.h"
#include "Ouverture.h"
#include "Simplex.h"
#include "support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <future>
#include <sstream>
#include <sys/stat.h>
#include <thread>

using namespace tarnis_test;

namespace {

/// Runs f with both streams captured.
template <class F> void silence(F f)
{
    captureStderr([&] { captureStdout(f); });
}

std::string faces(const Maillage &m)
{
    std::string s;
    for (const Face &f : m.listeFaces)
        s += std::to_string(f.s1) + " " + std::to_string(f.s2) + " " + std::to_string(f.s3) + ";";
    return s;
}

} // namespace

TEST(FichiersSauvages, ObjAndOffConstructsOfOtherTools)
{
    const std::string v = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n", o = "0 0 0\n1 0 0\n1 1 0\n0 1 0\n";
    const struct
    {
        const char *nom;
        std::string texte, faces;
        const char *refus; ///< part of the reason; null when read whole
    } cas[] = {
        {"a.obj", "mtllib m.mtl\nusemtl r\ns off\ng default\no x\n" + v + "f 1//1 2//2 3//3\n", "0 1 2;", nullptr},
        {"b.obj", v + "vt 0 0\nf 1/1 2/1 3/1\nvt 1 0\nvn 0 0 1\nvp 1\nl 1 2\nf 1/2/1 3/2/1 4/1/1\n", "0 1 2;0 2 3;",
         nullptr},
        {"c.obj", "#" + std::string(5000, 'c') + "\n" + v + "f 1 2 3 4\nf -4 -3 -1\n", "0 1 2;0 2 3;0 1 3;", nullptr},
        {"d.obj", v + "f 1 2\nf 2 3 4\nf 1 2 x\n", "1 2 3;", "face de moins de trois sommets ligne 5"},
        {"a.off", "OFF 4 2 0\n" + o + "3 0 1 2\n4 0 1 2 3 255 0 0\n", "0 1 2;0 1 2;0 2 3;", nullptr},
        {"b.off", "OFF\n4 2 0\n" + o + "2 0 1\n3 0 1 2\n", "", "face de 2 sommets (trois au moins) ligne 7"},
    };
    TempDir t;
    for (const auto &c : cas) {
        writeFile(t.file(c.nom), c.texte);
        Maillage m;
        Resultat r;
        silence([&] { r = std::strstr(c.nom, ".off") ? m.lireOFF(t.file(c.nom)) : m.lireOBJ(t.file(c.nom)); });
        EXPECT_EQ(faces(m), c.faces) << c.nom;
        EXPECT_EQ(r.reussi(), c.refus == nullptr) << c.nom << " " << r.raison;
        if (c.refus) {
            EXPECT_NE(r.raison.find(t.file(c.nom) + " » incomplet : " + c.refus), std::string::npos) << r.raison;
        }
    }
    // Real files: the triangles of a fan, the corners of each face less two.
    for (const char *nom : {"cow.obj", "spot_quadrangulated.obj", "suzanne.obj", "teapot.obj"}) {
        std::ifstream in(sharedDataDir() + "/meshes/common3d/" + nom);
        if (!in) {
            std::cout << "skipped: " << nom << " absent\n";
            continue;
        }
        std::size_t sommets = 0, triangles = 0;
        for (std::string ligne, mot; std::getline(in, ligne);) {
            std::istringstream l(ligne);
            std::size_t n = 0;
            for (l >> mot; mot == "f" && l >> ligne;)
                ++n;
            sommets += ligne.rfind("v ", 0) == 0;
            triangles += n > 2 ? n - 2 : 0;
        }
        Maillage m;
        silence([&] { EXPECT_TRUE(m.lireOBJ(sharedDataDir() + "/meshes/common3d/" + nom).reussi()); });
        EXPECT_EQ(m.listeSommets.size(), sommets) << nom;
        EXPECT_EQ(m.listeFaces.size(), triangles) << nom;
    }
}

TEST(FichiersSauvages, FoldersPipesAndDevicesAreRefusedWithoutBlocking)
{
    TempDir t;
    ASSERT_EQ(mkfifo(t.file("tube.pts").c_str(), 0600) | mkfifo(t.file("tube.smm").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(t.file("d.off").c_str(), 0700) | mkdir(t.file("v.img").c_str(), 0700), 0);
    for (const char *nom : {"tube.pts", "tube.smm", "d.off", "v.img", "/dev/zero"}) {
        const std::string chemin = nom[0] == '/' ? nom : t.file(nom);
        // Read on a thread of its own: a reader that blocks fails here after a bounded wait.
        auto fin = std::make_shared<std::promise<Resultat>>();
        std::future<Resultat> lu = fin->get_future();
        std::thread([fin, chemin] {
            Maillage m;
            Simplex s;
            Resultat r;
            silence([&] {
                const GenreFichier g = genreFichier(chemin);
                r = g == GenreFichier::Inconnu                              ? m.lireOBJ(chemin)
                    : g == GenreFichier::Nuage || g == GenreFichier::Volume ? ouvrirNuage(chemin, m)
                                                                            : ouvrirMaillage(chemin, s);
            });
            fin->set_value(r);
        }).detach();
        ASSERT_EQ(lu.wait_for(std::chrono::seconds(20)), std::future_status::ready) << chemin << " blocks";
        const std::string raison = lu.get().raison;
        EXPECT_NE(raison.find("« " + chemin + " » est un"), std::string::npos) << raison;
        EXPECT_NE(raison.find(", pas un fichier"), std::string::npos) << raison;
    }
    // A count that cannot be read leaves none, not the one of an earlier cloud.
    Maillage m;
    m.nbPointsInterets = 77;
    writeFile(t.file("c.pts"), "PTS\nx\n1 2 3\n");
    silence([&] { EXPECT_NE(m.lirePTS(t.file("c.pts")).raison.find("« x » n'est pas un nombre"), std::string::npos); });
    EXPECT_EQ(m.nbPointsInterets, 0);
}

TEST(FichiersSauvages, AVolumeWithNoPointSaysItsRangeAndTheWindowFromItKeepsPoints)
{
    TempDir t;
    std::string entete(348, '\0');
    const std::int16_t champs[] = {348, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 2, 2, 2};
    std::memcpy(&entete[0], champs, sizeof champs); // sizeof_hdr, then dim[0..3] at byte 40
    entete[70] = 2;                                 // unsigned 8-bit
    writeFile(t.file("v.hdr"), entete);
    writeFile(t.file("v.img"), "\x0a\x14\x1e\x28\x32\x3c\x46\x50"); // 10, 20 ... 80
    for (const std::string &nom : {t.file("v.hdr"), sharedDataDir() + "/volumes/spm99/avg152T1.hdr"}) {
        if (!std::ifstream(nom)) {
            std::cout << "skipped: " << nom << " absent\n";
            continue;
        }
        Maillage m;
        Resultat r;
        ReglagesVolume f;
        silence([&] { r = ouvrirNuage(nom, m); });
        silence([&] { ASSERT_TRUE(plageVolume(nom, f.fenetreMin, f.fenetreMax).reussi()); });
        EXPECT_NE(r.raison.find("seuils 150 à 255 et la fenêtre 0 à 1000 : ses valeurs vont de " +
                                std::to_string(f.fenetreMin) + " à " + std::to_string(f.fenetreMax)),
                  std::string::npos)
            << r.raison;
        silence([&] { EXPECT_TRUE(ouvrirNuage(nom, m, f).reussi()); });
        // Here grey levels (v - 10) * 255 / 70: only 60 and 70 fall strictly between 150 and 255.
        if (nom == t.file("v.hdr")) {
            EXPECT_EQ(m.ListePointsInterets, (std::vector<point3>{point3(1, 0, 1), point3(0, 1, 1)}));
        }
    }
}
