// PTS point clouds: exact bytes written, values read, every failure path with its
// stream, short files, and the kd-tree built over the cloud.
#include "Maillage.h"
#include "kdtree.h"
#include "support.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using tarnis_test::captureStderr;
using tarnis_test::captureStdout;
using tarnis_test::readFile;
using tarnis_test::TempDir;
using tarnis_test::writeFile;

namespace {

std::vector<point3> pointsAleatoires(std::size_t n, unsigned graine)
{
    std::mt19937 gen(graine);
    std::uniform_real_distribution<double> mantisse(-10, 10);
    std::uniform_int_distribution<int> exposant(-8, 8);
    std::vector<point3> pts;
    for (std::size_t i = 0; i < n; ++i)
        pts.emplace_back(mantisse(gen) * std::pow(10.0, exposant(gen)), mantisse(gen),
                         std::round(mantisse(gen) * 1e6));
    return pts;
}

bool lire(Maillage &m, const std::string &chemin, std::string *sortie = nullptr)
{
    bool ok = false;
    std::string s = captureStdout([&] { ok = m.lecture_pt_interet(chemin); });
    if (sortie)
        *sortie = s;
    return ok;
}

// Independent oracle for one coordinate: what a C library float read gives for the token.
double commeFloat(const std::string &jeton)
{
    return static_cast<double>(std::strtof(jeton.c_str(), nullptr));
}

} // namespace

TEST(PtsEcriture, ExactBytesInDefaultStreamFormatting)
{
    TempDir dossier;
    const std::string chemin = dossier.file("a.pts");
    EXPECT_TRUE(exporterPTS(chemin, {point3(0.5, 1234567, -2), point3(1e-7, 100, 0.1)}));
    EXPECT_EQ(readFile(chemin), "PTS\n2\n0.5 1.23457e+06 -2\n1e-07 100 0.1\n");

    EXPECT_TRUE(exporterPTS(chemin, {}));
    EXPECT_EQ(readFile(chemin), "PTS\n0\n");
}

TEST(PtsEcriture, MatchesAnOutputStreamOnManyValues)
{
    TempDir dossier;
    const std::string chemin = dossier.file("b.pts");
    std::vector<point3> pts = pointsAleatoires(5000, 7);
    pts.emplace_back(-0.0, 1e300, -1e-300);
    pts.emplace_back(999999.5, 0.000123456789, 100000);
    ASSERT_TRUE(exporterPTS(chemin, pts));
    std::ostringstream attendu;
    attendu << "PTS\n" << pts.size() << "\n";
    for (const point3 &p : pts)
        attendu << p.x << ' ' << p.y << ' ' << p.z << "\n";
    EXPECT_EQ(readFile(chemin), attendu.str());
}

TEST(PtsEcriture, UncreatableFileReturnsFalseWithItsMessage)
{
    TempDir dossier;
    const std::string chemin = dossier.file("absent/c.pts");
    bool ok = true;
    std::string sortie;
    std::string erreurs = captureStderr([&] { sortie = captureStdout([&] { ok = exporterPTS(chemin, {point3()}); }); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(erreurs, "Impossible d'ouvrir le fichier !\n");
    EXPECT_EQ(sortie, "");
}

TEST(PtsLecture, PointsInAnyLayoutAndSignatureRule)
{
    TempDir dossier;
    const std::string chemin = dossier.file("d.pts");
    Maillage m;

    writeFile(chemin, "PTS\n3\n1 2 3 4 5 6 7 8 9\n");
    ASSERT_TRUE(lire(m, chemin));
    ASSERT_EQ(m.ListePointsInterets.size(), 3u);
    EXPECT_EQ(m.ListePointsInterets[0], point3(1, 2, 3));
    EXPECT_EQ(m.ListePointsInterets[1], point3(4, 5, 6));
    EXPECT_EQ(m.ListePointsInterets[2], point3(7, 8, 9));
    EXPECT_EQ(m.nbPointsInterets, 3);

    Maillage n;
    writeFile(chemin, "PTSX whatever\n2\n\t1\n2\r\n3   -4 +5 .5e1\n");
    ASSERT_TRUE(lire(n, chemin));
    ASSERT_EQ(n.ListePointsInterets.size(), 2u);
    EXPECT_EQ(n.ListePointsInterets[1], point3(-4, 5, 5));

    // Lower case is refused, and what was already there stays.
    std::string sortie;
    writeFile(chemin, "pts\n1\n1 2 3\n");
    EXPECT_FALSE(lire(n, chemin, &sortie));
    EXPECT_EQ(sortie, "Format incorrect\n");
    EXPECT_EQ(n.ListePointsInterets.size(), 2u);
}

TEST(PtsLecture, SinglePrecisionValuesAsTheCLibraryReadsThem)
{
    TempDir dossier;
    const std::string chemin = dossier.file("e.pts");
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> u(-1, 1);
    std::uniform_int_distribution<int> e(-40, 37), forme(0, 4), entier(-2000000000, 2000000000);
    std::vector<std::string> jetons = {"0.1", "-0", "1e-45", "3.4028235e38", "16777217", "0.30000001192092896",
                                       ".5", "+2.5", "7.", "1E3"};
    char tampon[64];
    while (jetons.size() < 3000) {
        const double v = u(gen) * std::pow(10.0, e(gen));
        switch (forme(gen)) {
        case 0: std::snprintf(tampon, sizeof tampon, "%.9g", v); break;
        case 1: std::snprintf(tampon, sizeof tampon, "%.17e", v); break;
        case 2: std::snprintf(tampon, sizeof tampon, "%.3f", v); break;
        case 3: std::snprintf(tampon, sizeof tampon, "%d", entier(gen)); break;
        default: std::snprintf(tampon, sizeof tampon, "%.25f", v); break;
        }
        jetons.emplace_back(tampon);
    }
    std::string texte = "PTS\n" + std::to_string(jetons.size() / 3) + "\n";
    for (const std::string &j : jetons)
        texte += j + " ";
    writeFile(chemin, texte);
    Maillage m;
    ASSERT_TRUE(lire(m, chemin));
    ASSERT_EQ(m.ListePointsInterets.size(), jetons.size() / 3);
    for (std::size_t i = 0; i < m.ListePointsInterets.size(); ++i) {
        const point3 &p = m.ListePointsInterets[i];
        EXPECT_EQ(p.x, commeFloat(jetons[3 * i])) << jetons[3 * i];
        EXPECT_EQ(p.y, commeFloat(jetons[3 * i + 1])) << jetons[3 * i + 1];
        EXPECT_EQ(p.z, commeFloat(jetons[3 * i + 2])) << jetons[3 * i + 2];
    }
    EXPECT_EQ(m.ListePointsInterets[0].x, 0.100000001490116119384765625);
}

TEST(PtsLecture, FileReaderAgreesWithMemoryReaderAcrossWindowRefills)
{
    // More than one read window, and one token longer than a window.
    TempDir dossier;
    const std::string chemin = dossier.file("g.pts");
    std::string texte = "PTS\n200002\n";
    std::mt19937 gen(5);
    std::uniform_int_distribution<int> d(-99999, 99999);
    for (int i = 0; i < 200000; ++i)
        texte += std::to_string(d(gen)) + "." + std::to_string(i % 97) + " " + std::to_string(d(gen)) + "e-3 " +
                 std::to_string(i) + "\n";
    texte += std::string(1 << 21, '0') + "1.5 2 3\n4 5 6\n";
    writeFile(chemin, texte);

    Maillage parFichier, enMemoire;
    ASSERT_TRUE(lire(parFichier, chemin));
    captureStdout([&] { EXPECT_TRUE(enMemoire.lecturePTSDepuisTexte(texte.data(), texte.size())); });
    ASSERT_EQ(parFichier.ListePointsInterets.size(), 200002u);
    EXPECT_EQ(parFichier.ListePointsInterets, enMemoire.ListePointsInterets);
    EXPECT_EQ(parFichier.ListePointsInterets[200000], point3(1.5, 2, 3));
    EXPECT_EQ(parFichier.ListePointsInterets[200001], point3(4, 5, 6));
}

TEST(PtsLecture, FailurePathsAndTheirStreams)
{
    TempDir dossier;
    Maillage m;
    std::string sortie;
    EXPECT_FALSE(lire(m, dossier.file("absent.pts"), &sortie));
    EXPECT_EQ(sortie, "Impossible de charger le fichier des points d interet\n");

    const std::string vide = dossier.file("vide.pts");
    writeFile(vide, "");
    EXPECT_FALSE(lire(m, vide, &sortie));
    EXPECT_EQ(sortie, "Erreur dans la fonction lecture_pt_interet\nFormat incorrect\n");
    EXPECT_FALSE(lire(m, dossier.path(), &sortie));
    EXPECT_EQ(sortie, "Erreur dans la fonction lecture_pt_interet\nFormat incorrect\n");

    // A missing count is reported and the previous count is kept: here 0, so no point.
    const std::string sansNombre = dossier.file("sansnombre.pts");
    writeFile(sansNombre, "PTS\n");
    EXPECT_TRUE(lire(m, sansNombre, &sortie));
    EXPECT_EQ(sortie, "Erreur dans la fonction lecture_pt_interet\n");
    EXPECT_TRUE(m.ListePointsInterets.empty());
}

TEST(PtsLecture, ShortFilesKeepWhatIsThereAndSaySo)
{
    TempDir dossier;
    const std::string chemin = dossier.file("h.pts");
    std::string sortie;

    // Fewer numbers than announced: no invented repeats of the last point.
    writeFile(chemin, "PTS\n3\n1 2 3\n");
    Maillage a;
    EXPECT_TRUE(lire(a, chemin, &sortie));
    EXPECT_EQ(a.ListePointsInterets, std::vector<point3>{point3(1, 2, 3)});
    EXPECT_EQ(a.nbPointsInterets, 1);
    EXPECT_EQ(sortie, "Fichier incomplet : 3 points annoncés, 1 lus\n");

    // Reading stops at the first thing that is not a number; a half point is dropped.
    writeFile(chemin, "PTS\n4\n1 2 3\n4 5 x 7 8 9\n10 11 12\n");
    Maillage b;
    EXPECT_TRUE(lire(b, chemin, &sortie));
    EXPECT_EQ(b.ListePointsInterets, std::vector<point3>{point3(1, 2, 3)});
    EXPECT_EQ(sortie, "Fichier incomplet : 4 points annoncés, 1 lus\n");

    // A huge count allocates nothing on its own strength.
    writeFile(chemin, "PTS\n2000000000\n1 2 3\n4 5 6\n");
    Maillage c;
    EXPECT_TRUE(lire(c, chemin, &sortie));
    EXPECT_EQ(c.ListePointsInterets.size(), 2u);
    EXPECT_LT(c.ListePointsInterets.capacity(), 1000u);
    EXPECT_EQ(sortie, "Fichier incomplet : 2000000000 points annoncés, 2 lus\n");

    // More points than announced: only the announced ones are taken, silently.
    writeFile(chemin, "PTS\n1\n1 2 3\n4 5 6\n");
    Maillage d;
    EXPECT_TRUE(lire(d, chemin, &sortie));
    EXPECT_EQ(d.ListePointsInterets.size(), 1u);
    EXPECT_EQ(sortie, "");
}

TEST(PtsLecture, ZeroPointsLeavesTheCentreAndReadingAppends)
{
    TempDir dossier;
    const std::string chemin = dossier.file("i.pts");
    Maillage m;
    *m.centrePointsInterets = point3(7, 8, 9);
    writeFile(chemin, "PTS\n0\n");
    EXPECT_TRUE(lire(m, chemin));
    EXPECT_TRUE(m.ListePointsInterets.empty());
    EXPECT_EQ(*m.centrePointsInterets, point3(7, 8, 9));

    writeFile(chemin, "PTS\n2\n0 0 0\n1 2 4\n");
    EXPECT_TRUE(lire(m, chemin));
    EXPECT_TRUE(lire(m, chemin));
    EXPECT_EQ(m.ListePointsInterets,
              (std::vector<point3>{point3(0, 0, 0), point3(1, 2, 4), point3(0, 0, 0), point3(1, 2, 4)}));
    EXPECT_EQ(*m.centrePointsInterets, point3(0.5, 1, 2));
}

TEST(PtsLecture, KdTreeHoldsExactlyTheCloud)
{
    TempDir dossier;
    const std::string chemin = dossier.file("j.pts");
    Maillage m;
    // Points that were in the tree before the cloud was emptied do not survive a load.
    kd_insert3(m.kd.get(), 100, 100, 100, nullptr);
    const std::vector<point3> pts = pointsAleatoires(3000, 9);
    ASSERT_TRUE(exporterPTS(chemin, pts));
    ASSERT_TRUE(lire(m, chemin));
    ASSERT_EQ(kd_size(m.kd.get()), m.ListePointsInterets.size());

    std::mt19937 gen(2);
    std::uniform_real_distribution<double> u(-1e6, 1e6);
    for (int essai = 0; essai < 200; ++essai) {
        const point3 q(u(gen) * 1e-6, u(gen) * 1e-5, u(gen));
        double meilleure = INFINITY;
        for (const point3 &p : m.ListePointsInterets)
            meilleure = std::min(meilleure, (p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y) +
                                                (p.z - q.z) * (p.z - q.z));
        kd_result *r = kd_closest3(m.kd.get(), q.x, q.y, q.z);
        ASSERT_NE(r, nullptr);
        double pos[3];
        kd_result_point(r, pos);
        kd_result_release(r);
        const double d = (pos[0] - q.x) * (pos[0] - q.x) + (pos[1] - q.y) * (pos[1] - q.y) +
                         (pos[2] - q.z) * (pos[2] - q.z);
        EXPECT_EQ(d, meilleure);
    }

    // A second read appends: the tree follows the whole list again.
    ASSERT_TRUE(lire(m, chemin));
    EXPECT_EQ(kd_size(m.kd.get()), 2 * pts.size());
}

TEST(PtsLecture, RealCloudsMatchTheirAnnouncedSizes)
{
    const std::string donnees = tarnis_test::sharedDataDir();
    if (donnees.empty())
        GTEST_SKIP() << "third-party data folder absent";
    struct Cas
    {
        const char *fichier;
        std::size_t n;
    };
    for (const Cas &c : {Cas{"meshes/libigl/bunny.pts", 3485}, Cas{"meshes/libigl/armadillo.pts", 43243},
                         Cas{"points/stanford-scan/bun000.pts", 40256}}) {
        Maillage m;
        std::string sortie;
        EXPECT_TRUE(lire(m, donnees + "/" + c.fichier, &sortie)) << c.fichier;
        EXPECT_EQ(sortie, "") << c.fichier;
        EXPECT_EQ(m.ListePointsInterets.size(), c.n) << c.fichier;
        EXPECT_EQ(kd_size(m.kd.get()), c.n) << c.fichier;
    }
}
