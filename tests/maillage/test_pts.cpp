// PTS point clouds: exact bytes written, values read as the C library reads them, short and
// refused files, and the kd-tree built over the cloud.
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
        pts.emplace_back(mantisse(gen) * std::pow(10.0, exposant(gen)), mantisse(gen), std::round(mantisse(gen) * 1e6));
    return pts;
}

/// Reads the text as a PTS file into m; returns what was said on standard output.
std::string lire(Maillage &m, const std::string &texte, bool attendu = true)
{
    TempDir dossier;
    writeFile(dossier.file("n.pts"), texte);
    return captureStdout([&] { EXPECT_EQ(m.lecture_pt_interet(dossier.file("n.pts")), attendu) << texte; });
}

} // namespace

TEST(PtsEcriture, ExactBytesAsAnOutputStreamWritesThem)
{
    TempDir dossier;
    const std::string chemin = dossier.file("a.pts");
    EXPECT_TRUE(exporterPTS(chemin, {point3(0.5, 1234567, -2), point3(1e-7, 100, 0.1)}));
    EXPECT_EQ(readFile(chemin), "PTS\n2\n0.5 1.23457e+06 -2\n1e-07 100 0.1\n");
    EXPECT_TRUE(exporterPTS(chemin, {}));
    EXPECT_EQ(readFile(chemin), "PTS\n0\n");

    captureStderr([&] { EXPECT_FALSE(exporterPTS(dossier.file("absent/c.pts"), {point3()})); });
}

TEST(PtsLecture, SinglePrecisionValuesAsTheCLibraryReadsThemInAnyLayout)
{
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> u(-1, 1);
    std::uniform_int_distribution<int> e(-40, 37), forme(0, 4), entier(-2000000000, 2000000000);
    std::vector<std::string> jetons = {"0.1", "-0",   "1e-45", "3.4028235e38", "16777217", "0.30000001192092896",
                                       ".5",  "+2.5", "7.",    "1E3"};
    const char *formats[] = {"%.9g", "%.17e", "%.3f", "%d", "%.25f"};
    char tampon[64];
    while (jetons.size() < 3000) {
        const int f = forme(gen);
        if (f == 3)
            std::snprintf(tampon, sizeof tampon, formats[f], entier(gen));
        else
            std::snprintf(tampon, sizeof tampon, formats[f], u(gen) * std::pow(10.0, e(gen)));
        jetons.emplace_back(tampon);
    }
    // Any blank separates numbers; the signature is only the first three letters.
    const char *blancs[] = {" ", "\n", "\t", "\r\n", "   "};
    std::string texte = "PTSX whatever\n" + std::to_string(jetons.size() / 3) + "\n";
    for (std::size_t i = 0; i < jetons.size(); ++i)
        texte += jetons[i] + blancs[i % 5];
    Maillage m;
    lire(m, texte);
    ASSERT_EQ(m.ListePointsInterets.size(), jetons.size() / 3);
    EXPECT_EQ(m.nbPointsInterets, 1000);
    for (std::size_t i = 0; i < m.ListePointsInterets.size(); ++i) {
        const point3 &p = m.ListePointsInterets[i];
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ((k == 0   ? p.x
                       : k == 1 ? p.y
                                : p.z),
                      double(std::strtof(jetons[3 * i + k].c_str(), nullptr)))
                << jetons[3 * i + k];
    }
    EXPECT_EQ(m.ListePointsInterets[0].x, 0.100000001490116119384765625);
}

TEST(PtsLecture, FileReaderAgreesWithMemoryReaderAcrossWindowRefills)
{
    // More than one read window, and one token longer than a window.
    std::string texte = "PTS\n200002\n";
    std::mt19937 gen(5);
    std::uniform_int_distribution<int> d(-99999, 99999);
    for (int i = 0; i < 200000; ++i)
        texte += std::to_string(d(gen)) + "." + std::to_string(i % 97) + " " + std::to_string(d(gen)) + "e-3 " +
                 std::to_string(i) + "\n";
    texte += std::string(1 << 21, '0') + "1.5 2 3\n4 5 6\n";
    Maillage parFichier, enMemoire;
    lire(parFichier, texte);
    captureStdout([&] { EXPECT_TRUE(enMemoire.lecturePTSDepuisTexte(texte.data(), texte.size())); });
    ASSERT_EQ(parFichier.ListePointsInterets.size(), 200002u);
    EXPECT_EQ(parFichier.ListePointsInterets, enMemoire.ListePointsInterets);
    EXPECT_EQ(parFichier.ListePointsInterets[200000], point3(1.5, 2, 3));
    EXPECT_EQ(parFichier.ListePointsInterets[200001], point3(4, 5, 6));
}

TEST(PtsLecture, RefusedAndShortFilesKeepWhatIsThereAndSaySo)
{
    const std::string incorrect = "Erreur dans la fonction lecture_pt_interet\nFormat incorrect\n";
    struct Cas
    {
        std::string texte;
        bool ok;
        std::vector<point3> points;
        std::string sortie;
    };
    const Cas cas[] = {
        {"", false, {}, incorrect},
        // Lower case is refused.
        {"pts\n1\n1 2 3\n", false, {}, "Format incorrect\n"},
        // A missing count is reported and the previous count, 0, is kept.
        {"PTS\n", true, {}, "Erreur dans la fonction lecture_pt_interet\n"},
        // Fewer numbers than announced: no invented repeats of the last point.
        {"PTS\n3\n1 2 3\n", true, {{1, 2, 3}}, "Fichier incomplet : 3 points annoncés, 1 lus\n"},
        // Reading stops at the first thing that is not a number; a half point is dropped.
        {"PTS\n4\n1 2 3\n4 5 x 7 8 9\n10 11 12\n", true, {{1, 2, 3}}, "Fichier incomplet : 4 points annoncés, 1 lus\n"},
        // A huge count allocates nothing on its own strength.
        {"PTS\n2000000000\n1 2 3\n4 5 6\n",
         true,
         {{1, 2, 3}, {4, 5, 6}},
         "Fichier incomplet : 2000000000 points annoncés, 2 lus\n"},
        // More points than announced: only the announced ones, silently.
        {"PTS\n1\n1 2 3\n4 5 6\n", true, {{1, 2, 3}}, ""},
    };
    for (const Cas &c : cas) {
        Maillage m;
        // What was there before a refused file stays.
        m.ListePointsInterets = {point3(9, 9, 9)};
        m.nbPointsInterets = 1;
        std::vector<point3> attendu = {point3(9, 9, 9)};
        attendu.insert(attendu.end(), c.points.begin(), c.points.end());
        EXPECT_EQ(lire(m, c.texte, c.ok), c.sortie) << c.texte;
        EXPECT_EQ(m.ListePointsInterets, attendu) << c.texte;
        EXPECT_LT(m.ListePointsInterets.capacity(), 1000u);
        if (!c.points.empty()) {
            EXPECT_EQ(kd_size(m.kd.get()), attendu.size()) << c.texte;
        }
    }
    TempDir dossier;
    Maillage m;
    std::string sortie = captureStdout([&] { EXPECT_FALSE(m.lecture_pt_interet(dossier.file("absent.pts"))); });
    EXPECT_EQ(sortie, "Impossible de charger le fichier des points d interet\n");
    sortie = captureStdout([&] { EXPECT_FALSE(m.lecture_pt_interet(dossier.path())); });
    EXPECT_EQ(sortie, "Impossible de charger le fichier des points d interet\n");
}

TEST(PtsLecture, ZeroPointsLeavesTheCentreAndReadingAppendsToCloudAndTree)
{
    Maillage m;
    *m.centrePointsInterets = point3(7, 8, 9);
    lire(m, "PTS\n0\n");
    EXPECT_TRUE(m.ListePointsInterets.empty());
    EXPECT_EQ(*m.centrePointsInterets, point3(7, 8, 9));
    lire(m, "PTS\n2\n0 0 0\n1 2 4\n");
    lire(m, "PTS\n1\n3 3 3\n");
    EXPECT_EQ(m.ListePointsInterets, (std::vector<point3>{point3(0, 0, 0), point3(1, 2, 4), point3(3, 3, 3)}));
    EXPECT_EQ(*m.centrePointsInterets, point3(1.5, 1.5, 2));
    EXPECT_EQ(kd_size(m.kd.get()), 3u);
}

TEST(PtsLecture, KdTreeHoldsExactlyTheCloud)
{
    TempDir dossier;
    const std::string chemin = dossier.file("j.pts");
    Maillage m;
    // Points that were in the tree before the cloud was emptied do not survive a load.
    kd_insert3(m.kd.get(), 100, 100, 100, nullptr);
    ASSERT_TRUE(exporterPTS(chemin, pointsAleatoires(3000, 9)));
    captureStdout([&] { ASSERT_TRUE(m.lecture_pt_interet(chemin)); });
    ASSERT_EQ(kd_size(m.kd.get()), m.ListePointsInterets.size());
    for (const point3 &p : m.ListePointsInterets) {
        kd_result *r = kd_closest3(m.kd.get(), p.x, p.y, p.z);
        double pos[3] = {100, 100, 100};
        kd_result_point(r, pos);
        kd_result_release(r);
        ASSERT_EQ(point3(pos[0], pos[1], pos[2]), p);
    }
}
