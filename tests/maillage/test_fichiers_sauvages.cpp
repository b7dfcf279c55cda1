// Files from the wild: the OBJ and OFF constructs of other tools read with every face, what
// cannot be read refused with its line, folders, pipes and devices refused without blocking,
// and cloud counts that do not match what the file holds.
#include "Maillage.h"
#include "Ouverture.h"
#include "Simplex.h"
#include "support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <fstream>
#include <future>
#include <sstream>
#include <sys/stat.h>
#include <thread>

using tarnis_test::captureStderr;
using tarnis_test::captureStdout;
using tarnis_test::readFile;
using tarnis_test::TempDir;
using tarnis_test::writeFile;

namespace {

/// The faces as "a b c;" triples, for comparing whole lists in one line.
std::string faces(const Maillage &m)
{
    std::string s;
    for (const Face &f : m.listeFaces)
        s += std::to_string(f.s1) + " " + std::to_string(f.s2) + " " + std::to_string(f.s3) + ";";
    return s;
}

Resultat lireTexte(Maillage &m, const TempDir &t, const std::string &nom, const std::string &texte)
{
    writeFile(t.file(nom), texte);
    Resultat r;
    captureStdout([&] { r = nom.size() > 4 && nom.substr(nom.size() - 4) == ".off" ? m.lireOFF(t.file(nom))
                                                                                      : m.lireOBJ(t.file(nom)); });
    return r;
}

} // namespace

TEST(FichiersSauvages, ObjAndOffConstructsOfOtherTools)
{
    const std::string carre = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
    const std::string carreOff = "0 0 0\n1 0 0\n1 1 0\n0 1 0\n";
    struct Cas
    {
        const char *nom;
        std::string texte;
        std::string faces; ///< expected faces
        const char *refus; ///< part of the reason, or null when read whole
    };
    const Cas cas[] = {
        {"a.obj", "mtllib m.mtl\nusemtl rouge\n" + carre + "f 1 2 3\n", "0 1 2;", nullptr},
        {"b.obj", "s off\ng default\no chose\n" + carre + "f 1//1 2//2 3//3\n", "0 1 2;", nullptr},
        {"c.obj", carre + "vt 0 0\nf 1/1 2/1 3/1\nvt 1 0\nvn 0 0 1\nvp 0.5\nf 1/2/1 3/2/1 4/1/1\n", "0 1 2;0 2 3;",
         nullptr},
        {"d.obj", carre + "f 1 2 3 4\n", "0 1 2;0 2 3;", nullptr},
        {"e.obj", "#" + std::string(5000, 'c') + "\n" + carre + "l 1 2\n#\nf -4 -3 -1\n", "0 1 3;", nullptr},
        {"f.obj", carre + "f 1 2\nf 2 3 4\n", "1 2 3;", "face de moins de trois sommets ligne 5"},
        {"g.obj", carre + "f 1 2 x\n", "", "sommet de face illisible ligne 5"},
        {"a.off", "OFF 4 2 0\n" + carreOff + "3 0 1 2\n3 0 2 3\n", "0 1 2;0 2 3;", nullptr},
        {"b.off", "OFF\n4 1 0\n" + carreOff + "4 0 1 2 3 255 0 0\n", "0 1 2;0 2 3;", nullptr},
        {"c.off", "OFF\n5 1 0\n" + carreOff + "0 0 1\n5 0 1 2 3 4\n", "0 1 2;0 2 3;0 3 4;", nullptr},
        {"d.off", "OFF\n4 2 0\n" + carreOff + "2 0 1\n3 0 1 2\n", "", "face de 2 sommets (trois au moins) ligne 7"},
    };
    TempDir t;
    for (const Cas &c : cas) {
        Maillage m;
        const Resultat r = lireTexte(m, t, c.nom, c.texte);
        EXPECT_EQ(faces(m), c.faces) << c.nom;
        EXPECT_EQ(m.nbFaces, int(m.listeFaces.size())) << c.nom;
        EXPECT_EQ(r.reussi(), c.refus == nullptr) << c.nom << " " << r.raison;
        if (c.refus) {
            EXPECT_NE(r.raison.find(c.refus), std::string::npos) << r.raison;
            EXPECT_NE(r.raison.find(t.file(c.nom)), std::string::npos) << r.raison;
        }
    }
}

TEST(FichiersSauvages, RealObjFilesKeepEveryFaceAsAFan)
{
    const std::string dossier = tarnis_test::sharedDataDir() + "/meshes/common3d";
    struct stat st;
    if (stat(dossier.c_str(), &st) != 0)
        GTEST_SKIP() << dossier << " absent";
    for (const char *nom : {"cow.obj", "spot_quadrangulated.obj", "suzanne.obj", "teapot.obj"}) {
        // Triangles a fan gives: the corners of each face less two.
        std::ifstream in(dossier + "/" + nom);
        std::string ligne, mot;
        std::size_t sommets = 0, triangles = 0;
        while (std::getline(in, ligne)) {
            std::istringstream l(ligne);
            std::size_t n = 0;
            mot.clear();
            l >> mot;
            sommets += mot == "v";
            while (mot == "f" && l >> ligne)
                ++n;
            triangles += n >= 3 ? n - 2 : 0;
        }
        Maillage m;
        Resultat r;
        captureStdout([&] { r = m.lireOBJ(dossier + "/" + nom); });
        EXPECT_TRUE(r.reussi()) << r.raison;
        EXPECT_EQ(m.listeSommets.size(), sommets) << nom;
        EXPECT_EQ(m.listeFaces.size(), triangles) << nom;
    }
}

TEST(FichiersSauvages, WrittenFilesReadBackByteForByte)
{
    TempDir t;
    Maillage m({point3(0, 0, 0), point3(1.5, 0, 0), point3(0, 1234567, 0), point3(-0.25, 1e-7, 2)},
               {Face{0, 1, 2}, Face{0, 3, 1}, Face{1, 3, 2}, Face{2, 3, 0}});
    m.nbAretes = 3;
    for (const char *nom : {"a.off", "a.obj"}) {
        const bool off = std::string(nom) == "a.off";
        ASSERT_TRUE(off ? m.exporterOFF(t.file(nom)) : m.exporterOBJ(t.file(nom)));
        Maillage relu;
        captureStdout([&] { ASSERT_TRUE((off ? relu.lireOFF(t.file(nom)) : relu.lireOBJ(t.file(nom))).reussi()); });
        relu.nbAretes = 3;
        ASSERT_TRUE(off ? relu.exporterOFF(t.file("b")) : relu.exporterOBJ(t.file("b")));
        EXPECT_EQ(readFile(t.file("b")), readFile(t.file(nom))) << nom;
    }
}

TEST(FichiersSauvages, FoldersPipesAndDevicesAreRefusedWithoutBlocking)
{
    TempDir t;
    ASSERT_EQ(mkfifo(t.file("tube.pts").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(t.file("tube.smm").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(t.file("dossier.off").c_str(), 0700), 0);
    ASSERT_EQ(mkdir(t.file("dossier.smm").c_str(), 0700), 0);
    ASSERT_EQ(mkdir(t.file("v.img").c_str(), 0700), 0);
    writeFile(t.file("v.hdr"), std::string(348, '\0'));
    struct Cas
    {
        std::string nom;
        const char *motif;
    };
    const Cas cas[] = {{t.file("tube.pts"), "est un tube"},          {t.file("tube.smm"), "est un tube"},
                       {t.file("dossier.off"), "est un dossier"},    {t.file("dossier.smm"), "est un dossier"},
                       {t.file("v.hdr"), "est un dossier"}};
    for (const Cas &c : cas) {
        // Read on a thread of its own: a reader that blocks fails the test after a bounded wait.
        auto fin = std::make_shared<std::promise<Resultat>>();
        std::future<Resultat> resultat = fin->get_future();
        std::thread([fin, nom = c.nom] {
            Maillage m;
            Simplex s;
            Resultat r;
            captureStderr([&] {
                captureStdout([&] {
                    r = genreFichier(nom) == GenreFichier::Simplex || genreFichier(nom) == GenreFichier::Triangles
                            ? ouvrirMaillage(nom, s)
                            : ouvrirNuage(nom, m);
                });
            });
            fin->set_value(r);
        }).detach();
        ASSERT_EQ(resultat.wait_for(std::chrono::seconds(20)), std::future_status::ready) << c.nom << " blocks";
        const Resultat r = resultat.get();
        EXPECT_FALSE(r.reussi()) << c.nom;
        EXPECT_NE(r.raison.find(c.motif), std::string::npos) << r.raison;
    }
    // A character device read directly is refused too (it would never end).
    Maillage m;
    captureStdout([&] { EXPECT_NE(m.lireOBJ("/dev/zero").raison.find("périphérique"), std::string::npos); });
}

TEST(FichiersSauvages, CloudCountsSayWhatHappened)
{
    std::string points;
    for (int i = 0; i < 400; ++i)
        points += std::to_string(i) + " 1 2\n";
    std::size_t fin48 = 0; // after point 48
    for (int i = 0; i < 48; ++i)
        fin48 = points.find('\n', fin48) + 1;
    struct Cas
    {
        std::string texte;
        const char *motif;
    };
    const Cas cas[] = {
        {"PTS\n1000000000000\n" + points, "1000000000000 points annoncés, 400 lus"},
        {"PTS\n1e12\n" + points, "ligne 2 : nombre de points illisible (« 1e12 » n'est pas un nombre entier)"},
        {"PTS\n-4\n" + points, "nombre de points négatif"},
        {"PTS\n400\n" + points.substr(0, fin48) + "nan 0 0\n", "ligne 51 (point 49) : « nan » n'est pas un nombre"},
        {"PTS\n400\n" + points.substr(0, fin48) + "1e39 0 0\n", "« 1e39 » sort des limites de la simple précision"},
        {"PTS\n400\n" + points.substr(0, fin48 + 3), "point 49) : le fichier s'arrête là"},
    };
    TempDir t;
    for (const Cas &c : cas) {
        Maillage m;
        // A count left from an earlier cloud is never taken for this one's.
        m.nbPointsInterets = 77;
        writeFile(t.file("n.pts"), c.texte);
        Resultat r;
        captureStdout([&] { r = m.lirePTS(t.file("n.pts")); });
        EXPECT_EQ(r.statut, Statut::NuageIllisible) << c.motif;
        EXPECT_NE(r.raison.find(c.motif), std::string::npos) << r.raison;
        EXPECT_EQ(m.nbPointsInterets, int(m.ListePointsInterets.size())) << c.motif;
    }
}

TEST(FichiersSauvages, AnEmptyThresholdSaysTheVolumesRangeAndTheWindowFromItKeepsPoints)
{
    TempDir t;
    std::string entete(348, '\0');
    entete[0] = 92; // sizeof_hdr = 348, little-endian
    entete[1] = 1;
    const std::int16_t champs[] = {3, 2, 2, 2}; // dim[0..3]
    std::memcpy(&entete[40], champs, sizeof champs);
    entete[70] = 2; // unsigned 8-bit
    writeFile(t.file("v.hdr"), entete);
    writeFile(t.file("v.img"), std::string("\x0a\x14\x1e\x28\x32\x3c\x46\x50", 8)); // 10, 20 ... 80
    std::string volumeReel = tarnis_test::sharedDataDir() + "/volumes/spm99/avg152T1.hdr";
    struct stat st;
    for (const std::string &nom : {t.file("v.hdr"), volumeReel}) {
        if (stat(nom.c_str(), &st) != 0) {
            std::cout << "skipped: " << nom << " absent\n";
            continue;
        }
        Maillage m;
        Resultat r;
        captureStderr([&] { captureStdout([&] { r = ouvrirNuage(nom, m); }); });
        EXPECT_EQ(r.statut, Statut::NuageIllisible) << nom;
        int minimum = -1, maximum = -1;
        captureStderr([&] { captureStdout([&] { ASSERT_TRUE(plageVolume(nom, minimum, maximum).reussi()); }); });
        const std::string plage = "ses valeurs vont de " + std::to_string(minimum) + " à " + std::to_string(maximum);
        EXPECT_NE(r.raison.find(plage), std::string::npos) << r.raison;
        EXPECT_NE(r.raison.find("seuils 150 à 255 et la fenêtre 0 à 1000"), std::string::npos) << r.raison;
        EXPECT_NE(r.raison.find("« Fenêtre du volume »"), std::string::npos) << r.raison;
        ReglagesVolume fenetre;
        fenetre.fenetreMin = minimum;
        fenetre.fenetreMax = maximum;
        captureStderr([&] { captureStdout([&] { r = ouvrirNuage(nom, m, fenetre); }); });
        EXPECT_TRUE(r.reussi()) << r.raison;
        if (nom == t.file("v.hdr")) {
            // Grey levels (v - 10) * 255 / 70: only 60 and 70 fall strictly between 150 and 255.
            EXPECT_EQ(minimum, 10);
            EXPECT_EQ(maximum, 80);
            EXPECT_EQ(m.ListePointsInterets, (std::vector<point3>{point3(1, 0, 1), point3(0, 1, 1)}));
        }
    }
}
