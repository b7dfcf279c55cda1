// The console tool on volumes: the options of the region and the frame, the fit on the boundary
// in millimetres or in voxel indices with the report saying which, the automatic level, and the
// exit status of a volume with no voxel in the band.

#include "arguments.h"
#include "execution.h"
#include "volume.h"

#include "Maillage.h"
#include "Simplex.h"
#include "nifti_essai.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace pelvane;
using tarnis_test::readFile;
using tarnis_test::TempDir;

namespace {

/// A NIfTI-1 file of a ball of radius r mm centred in a 16 x 16 x 10 grid of 1 x 1 x 2 mm
/// voxels: values 1 inside, 0 outside, the 0.5 level on the sphere. No frame code.
std::string ecrireBoule(const TempDir &t, double r)
{
    tarnis_test::Nifti n(16, 16, 10, 1, 16, 32);
    n.poser<float>(88, 2.0f); // pixdim[3]
    for (int k = 0; k < 10; ++k)
        for (int j = 0; j < 16; ++j)
            for (int i = 0; i < 16; ++i) {
                const double d = std::sqrt((i - 7.5) * (i - 7.5) + (j - 7.5) * (j - 7.5) + (2 * k - 9.0) * (2 * k - 9.0));
                n.ajouter<float>(static_cast<float>(1 / (1 + std::exp(2 * (d - r)))));
            }
    const std::string f = t.file("boule.nii");
    EXPECT_TRUE(tarnis_test::writeFile(f, n.o));
    return f;
}

Parametres parametres(const TempDir &t, const std::string &volume, std::vector<std::string> options)
{
    Simplex s;
    tarnis_test::icosaedreDual(s, 1, 1.0);
    EXPECT_TRUE(s.ecrire(t.file("ref.smm"), 2).reussi());
    options.insert(options.begin(), {"--cloud", volume, "--mesh", t.file("ref.smm"), "--out", t.file("sortie"),
                                     "--min-points", "300", "--max-points", "1500", "--threads", "1"});
    const LigneDeCommande l = analyserArguments(options, "");
    EXPECT_TRUE(l.resultat) << l.resultat.texte();
    return l.parametres;
}

/// Mean distance of the fitted triangulation's vertices to the point c, with z scaled by sz.
double rayonMoyen(const std::string &off, double cx, double cy, double cz, double sz)
{
    Maillage m;
    EXPECT_TRUE(m.lireOFF(off));
    double somme = 0;
    for (const point3 &p : m.listeSommets)
        somme += std::sqrt((p.x - cx) * (p.x - cx) + (p.y - cy) * (p.y - cy) + (p.z * sz - cz) * (p.z * sz - cz));
    return somme / static_cast<double>(m.listeSommets.size());
}

} // namespace

TEST(ArgumentsVolume, LevelBandAndFrameAreReadAndBadValuesRefused)
{
    auto lu = [](std::vector<std::string> a) {
        const LigneDeCommande l = analyserArguments(a, "g.smm");
        EXPECT_TRUE(l.resultat) << l.resultat.texte();
        return l.parametres.volume;
    };
    ReglagesFrontiere r = lu({"--cloud", "v.nii", "--level", "-0,5"});
    EXPECT_TRUE(r.regionDonnee);
    EXPECT_EQ(r.region.bas, -0.5);
    EXPECT_TRUE(std::isinf(r.region.haut));
    EXPECT_TRUE(r.millimetres);
    r = lu({"--band", "10", "2e3", "--voxels", "--cloud=v.nii"});
    EXPECT_EQ(r.region.bas, 10);
    EXPECT_EQ(r.region.haut, 2000);
    EXPECT_FALSE(r.millimetres);
    r = lu({"1", "0.05", "0", "2", "300", "10", "0", "r.smm", "v.nii.gz", "s", "--level=128"});
    EXPECT_EQ(r.region.bas, 128);
    EXPECT_FALSE(lu({"--cloud", "v.nii"}).regionDonnee);
    r = lu({"--cloud", "v.nii", "--label", "38,36,38", "--volume", "3"});
    EXPECT_EQ(r.region.labels, (std::vector<double>{36, 38}));
    EXPECT_TRUE(r.region.milieu && r.regionDonnee && !r.region.contient(37));
    EXPECT_EQ(r.volume, 2);
    EXPECT_TRUE(lu({"--cloud", "v.nii", "--labels=all"}).tousLesLabels);
    EXPECT_TRUE(lu({"--cloud", "V.HDR", "--level", "3"}).regionDonnee);
    const std::pair<std::vector<std::string>, std::string> refus[] = {
        {{"--cloud", "v.nii", "--label", "3,x"}, "--label : un ou plusieurs labels entiers attendus"},
        {{"--cloud", "v.nii", "--labels", "tous"}, "--labels : « all » attendu, reçu « tous »"},
        {{"--cloud", "v.nii", "--labels", "all", "--band", "1", "2"}, "une seule région"},
        {{"--cloud", "v.nii", "--level", "1", "--label", "2"}, "une seule région"},
        {{"--cloud", "v.nii", "--volume", "0"}, "--volume : un entier à partir de 1 attendu"},
        {{"--cloud", "v.nii", "--level", "haut"}, "--level : nombre réel attendu, reçu \"haut\""},
        {{"--cloud", "v.nii", "--level"}, "--level : valeur manquante"},
        {{"--cloud", "v.nii", "--band", "3"}, "--band : deux valeurs attendues"},
        {{"--cloud", "v.nii", "--band", "5", "1"}, "BAS doit être au plus HAUT"},
        {{"--cloud", "v.nii", "--level", "1", "--band", "0", "2"}, "un seul niveau ou une seule bande"},
        {{"--cloud", "c.PTS", "--level", "1"}, "--voxels valent pour un volume (.nii, .nii.gz, .hdr/.img) ; c.PTS n'en"},
        {{"--voxels", "--cloud", "c.ply"}, "c.ply n'en est pas un"},
    };
    for (const auto &[a, motif] : refus) {
        const LigneDeCommande l = analyserArguments(a, "g.smm");
        EXPECT_EQ(l.resultat.statut, Statut::ArgumentsIncorrects) << motif;
        EXPECT_NE(l.resultat.texte().find(motif), std::string::npos) << l.resultat.texte();
    }
}

TEST(AjustementVolume, TheBoundaryIsFittedInMillimetresOrVoxelsAndTheReportSaysWhich)
{
    TempDir t;
    const std::string volume = ecrireBoule(t, 5.0);
    std::ostringstream progression;
    // Millimetres (default) at the given level: a ball of radius 5 mm about (7.5, 7.5, 9).
    Bilan b = ajuster(parametres(t, volume, {"--level", "0.5"}), progression);
    ASSERT_TRUE(b.resultat) << b.resultat.texte();
    EXPECT_NEAR(rayonMoyen(b.fichierOff, 7.5, 7.5, 9, 1), 5.0, 0.15);
    std::string rapport = readFile(b.fichierRapport);
    for (const char *ligne : {"repère = millimètres (tailles des voxels)\n", "région du volume = niveau 0.5 (donné)\n",
                              "tailles des voxels (mm) = 1 x 1 x 2\n", "dimensions du volume = 16 x 16 x 10\n"})
        EXPECT_NE(rapport.find(ligne), std::string::npos) << ligne << rapport;
    EXPECT_NE(progression.str().find("Pelvane : volume : niveau 0.5 (donné)"), std::string::npos);
    // Voxel indices at the automatic level: the same ball, its z halved.
    b = ajuster(parametres(t, volume, {"--voxels"}), progression);
    ASSERT_TRUE(b.resultat) << b.resultat.texte();
    EXPECT_NEAR(rayonMoyen(b.fichierOff, 7.5, 7.5, 9, 2), 5.0, 0.3);
    rapport = readFile(b.fichierRapport);
    EXPECT_NE(rapport.find("repère = indices de voxels\n"), std::string::npos) << rapport;
    EXPECT_NE(rapport.find("(automatique, méthode d'Otsu)\n"), std::string::npos) << rapport;
    EXPECT_EQ(b.fichierOff, t.file("sortie") + "/boule.off");
}

TEST(AjustementVolume, AVolumeWithNoVoxelInTheBandEndsWithStatus4)
{
    TempDir t;
    const std::string volume = ecrireBoule(t, 5.0);
    // The tool's exit status and its one line.
    Simplex s;
    tarnis_test::icosaedreDual(s, 1, 1.0);
    ASSERT_TRUE(s.ecrire(t.file("ref.smm"), 2).reussi());
    const std::string commande = std::string(PELVANE_EXE) + " --cloud " + volume + " --mesh " + t.file("ref.smm") +
                                 " --out " + t.file("x") + " --band 3 4 2> " + t.file("err.txt");
    const int etat = std::system(commande.c_str());
    EXPECT_EQ(WIFEXITED(etat) ? WEXITSTATUS(etat) : -1, 4);
    EXPECT_NE(readFile(t.file("err.txt")).find("Pelvane : erreur : le volume « " + volume + " » n'a aucun voxel entre 3 et 4"),
              std::string::npos)
        << readFile(t.file("err.txt"));
}

TEST(AjustementVolume, EveryLabelOfALabelMapGetsItsSurfaceAndALineOfTheTable)
{
    TempDir t;
    // Boxes of labels 2 and 5 touching across x = 7.5, of 6 x 6 x 6 and 5 x 6 x 6 voxels of 1 mm.
    tarnis_test::Nifti n(16, 12, 12, 1, 4, 16);
    for (int k = 0; k < 12; ++k)
        for (int j = 0; j < 12; ++j)
            for (int i = 0; i < 16; ++i) {
                const bool dedans = j >= 3 && j <= 8 && k >= 3 && k <= 8 && i >= 2 && i <= 12;
                n.ajouter<std::int16_t>(static_cast<std::int16_t>(!dedans ? 0 : i <= 7 ? 2 : 5));
            }
    ASSERT_TRUE(tarnis_test::writeFile(t.file("carte.nii"), n.o));
    std::ostringstream progression;
    ASSERT_TRUE(ajusterChaqueLabel(parametres(t, t.file("carte.nii"), {"--labels", "all"}), progression))
        << progression.str();
    std::istringstream table(readFile(t.file("sortie/carte.labels.txt")));
    std::string ligne;
    std::getline(table, ligne);
    EXPECT_EQ(ligne, "# " + t.file("carte.nii") + " : 2 labels, fond 0 ; unités : mm, mm2, mm3");
    std::getline(table, ligne);
    const double voxels[2] = {216, 180};
    for (int l = 0; l < 2; ++l) {
        ASSERT_TRUE(std::getline(table, ligne));
        std::istringstream champs(ligne);
        double label = 0, compte = 0, volumeVoxels = 0, volumeSurface = 0;
        champs >> label >> compte >> volumeVoxels >> volumeSurface;
        EXPECT_EQ(label, l == 0 ? 2 : 5);
        EXPECT_EQ(compte, voxels[l]);
        EXPECT_EQ(volumeVoxels, voxels[l]);
        // The surface encloses its label's box (corners rounded off), not its neighbour's.
        EXPECT_NEAR(volumeSurface, voxels[l], 0.15 * voxels[l]) << ligne;
        EXPECT_EQ(ligne.substr(ligne.size() - 3), "\tok");
        EXPECT_FALSE(readFile(t.file("sortie/carte.label" + std::to_string(l == 0 ? 2 : 5) + ".off")).empty());
    }
    // A scan is not a label map.
    const Resultat r = ajusterChaqueLabel(parametres(t, ecrireBoule(t, 5.0), {"--labels", "all"}), progression);
    EXPECT_NE(r.texte().find("n'est pas une carte de labels"), std::string::npos) << r.texte();
}
