// The volume formats beside NIfTI: the same oblique, anisotropic volume saved as NIfTI (its
// sform), NRRD and MGH written here byte by byte, MetaImage, MINC and a DICOM series written
// through ITK, gives the same boundary in the same millimetres; cut files, missing slices and
// impossible orientations are refused with their reason; 4-D files give the volume asked for.

#include "Frontiere.h"
#include "Maillage.h"
#include "Ouverture.h"
#include "VolumeFormats.h"
#include "VolumeReel.h"
#include "nifti_essai.h"
#include "support.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <zlib.h>

using tarnis_test::Nifti;
using tarnis_test::TempDir;
using tarnis_test::writeFile;

namespace {

constexpr int NX = 7, NY = 6, NZ = 5;

/// An integer blob (16-bit values, for DICOM), in a frame rotated 30 degrees about z, with
/// voxels of 0.8 x 1.1 x 2.5 mm, off the origin.
VolumeReel blob(int volumes = 1)
{
    VolumeReel v;
    v.nx = NX;
    v.ny = NY;
    for (int t = 0; t < volumes; ++t)
        for (int k = 0; k < NZ; ++k)
            for (int j = 0; j < NY; ++j)
                for (int i = 0; i < NX; ++i)
                    v.valeurs.push_back(static_cast<float>(
                        std::lround(200 - 10 * ((i - 3) * (i - 3) + (j - 2.5) * (j - 2.5) + (k - 2) * (k - 2))) + 7 * t));
    v.nz = NZ;
    const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6), d[3] = {0.8, 1.1, 2.5};
    const double r[3][3] = {{c, -s, 0}, {s, c, 0}, {0, 0, 1}}, o[3] = {-10.25, 20.5, 3.125};
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b)
            v.repere[a][b] = r[a][b] * d[b];
        v.repere[a][3] = o[a];
    }
    return v;
}

std::string lecture(const std::string &chemin)
{
    std::ifstream f(chemin, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

std::string enFlottants(const std::vector<float> &valeurs, bool grandBoutiste)
{
    std::string o;
    for (float x : valeurs) {
        unsigned char b[4];
        std::memcpy(b, &x, 4);
        if (grandBoutiste)
            std::swap(b[0], b[3]), std::swap(b[1], b[2]);
        o.append(reinterpret_cast<const char *>(b), 4);
    }
    return o;
}

/// The NRRD header of the volume in its LPS space: RAS axes with their first two rows negated.
std::string enteteNrrd(const VolumeReel &v, const std::string &fichierDonnees)
{
    std::ostringstream h;
    h.precision(17);
    h << "NRRD0004\ntype: float\ndimension: 3\nspace: left-posterior-superior\nsizes: " << v.nx << " " << v.ny << " "
      << v.nz << "\nspace directions:";
    for (int c = 0; c < 3; ++c)
        h << " (" << -v.repere[0][c] << "," << -v.repere[1][c] << "," << v.repere[2][c] << ")";
    h << "\nkinds: domain domain domain\nendian: little\nencoding: raw\nspace origin: (" << -v.repere[0][3] << ","
      << -v.repere[1][3] << "," << v.repere[2][3] << ")\n";
    if (!fichierDonnees.empty())
        h << "data file: " << fichierDonnees << "\n";
    return h.str() + "\n";
}

/// An MGH file: big-endian header, then the frames' voxels as big-endian reals.
std::string mgh(const VolumeReel &v, int frames, const std::vector<float> &valeurs)
{
    std::string o(284, '\0');
    auto mot = [&](std::size_t p, std::uint32_t x) {
        for (int b = 0; b < 4; ++b)
            o[p + static_cast<std::size_t>(b)] = static_cast<char>((x >> (24 - 8 * b)) & 0xff);
    };
    auto reelEn = [&](std::size_t p, double x) {
        const float f = static_cast<float>(x);
        std::uint32_t b;
        std::memcpy(&b, &f, 4);
        mot(p, b);
    };
    const int dims[5] = {1, v.nx, v.ny, v.nz, frames};
    for (int i = 0; i < 5; ++i)
        mot(4 * static_cast<std::size_t>(i), static_cast<std::uint32_t>(dims[i]));
    mot(20, 3);
    o[29] = 1; // good RAS
    for (int a = 0; a < 3; ++a) {
        const double t = v.tailleVoxel(a);
        reelEn(30 + 4 * static_cast<std::size_t>(a), t);
        for (int r = 0; r < 3; ++r)
            reelEn(42 + 12 * static_cast<std::size_t>(a) + 4 * static_cast<std::size_t>(r), v.repere[r][a] / t);
    }
    const point3 centre = v.versMonde(v.nx / 2.0, v.ny / 2.0, v.nz / 2.0);
    reelEn(78, centre.x), reelEn(82, centre.y), reelEn(86, centre.z);
    return o + enFlottants(valeurs, true);
}

std::string gzip(const std::string &chemin, const std::string &octets)
{
    gzFile f = gzopen(chemin.c_str(), "wb");
    gzwrite(f, octets.data(), static_cast<unsigned>(octets.size()));
    gzclose(f);
    return chemin;
}

std::vector<point3> frontiere(const std::string &nom, Raison *origine = nullptr)
{
    VolumeReel v;
    const Resultat r = lireVolumeReel(nom, v);
    EXPECT_TRUE(r) << nom << " : " << texte(r.raison);
    if (origine)
        *origine = v.origineRepere;
    return pointsFrontiere(v, Region{150}, true);
}

std::string refus(const std::string &nom, int indice = -1)
{
    VolumeReel v;
    const Resultat r = lireVolumeReel(nom, v, indice);
    EXPECT_FALSE(r) << nom;
    EXPECT_EQ(r.statut, Statut::NuageIllisible);
    EXPECT_TRUE(v.valeurs.empty());
    return texte(r.raison);
}

} // namespace

TEST(FormatsVolumes, EachFormatGivesTheSameBoundaryInTheSameMillimetres)
{
    TempDir t;
    const VolumeReel v = blob();
    Nifti n(NX, NY, NZ, 1, 16, 32);
    n.sform(v.repere);
    for (float x : v.valeurs)
        n.ajouter(x);
    ASSERT_TRUE(writeFile(t.file("v.nii"), n.o));
    const std::vector<point3> reference = frontiere(t.file("v.nii"));
    // The sform's reals are single precision: the frame of the other files is the one it holds.
    VolumeReel lu;
    ASSERT_TRUE(lireVolumeReel(t.file("v.nii"), lu));
    ASSERT_GT(reference.size(), 50u);

    ASSERT_TRUE(writeFile(t.file("v.nrrd"), enteteNrrd(lu, "") + enFlottants(lu.valeurs, false)));
    ASSERT_TRUE(writeFile(t.file("v.nhdr"), enteteNrrd(lu, "v.raw")));
    ASSERT_TRUE(writeFile(t.file("v.raw"), enFlottants(lu.valeurs, false)));
    ASSERT_TRUE(writeFile(t.file("v.mgh"), mgh(lu, 1, lu.valeurs)));
    gzip(t.file("v.mgz"), mgh(lu, 1, lu.valeurs));
    for (const char *nom : {"v.mha", "v.mhd", "v.mnc", "serie"})
        ASSERT_TRUE(ecrireVolumeITK(lu, t.file(nom))) << nom;

    for (const char *nom : {"v.nrrd", "v.nhdr", "v.mgh", "v.mgz", "v.mha", "v.mhd", "v.mnc", "serie",
                            "serie/tranche0003.dcm"}) {
        Raison origine;
        const std::vector<point3> p = frontiere(t.file(nom), &origine);
        ASSERT_EQ(p.size(), reference.size()) << nom;
        double ecart = 0;
        for (std::size_t i = 0; i < p.size(); ++i)
            ecart = std::max(ecart, std::hypot(p[i].x - reference[i].x, p[i].y - reference[i].y, p[i].z - reference[i].z));
        // MGH keeps its centre and cosines as single-precision reals.
        EXPECT_LT(ecart, std::string(nom).rfind("v.mg", 0) == 0 ? 2e-5 : 1e-6) << nom;
        EXPECT_EQ(genreFichier(t.file(nom)), GenreFichier::Volume) << nom;
        EXPECT_NE(origine.code, CodeRaison::RepereTaillesVoxels) << nom;
    }
    // The opener thresholds them as it does NIfTI.
    Maillage m;
    ASSERT_TRUE(ouvrirNuage(t.file("serie"), m, ReglagesVolume{1, 255, 150, 150}));
    EXPECT_EQ(m.ListePointsInterets.size(), static_cast<std::size_t>(std::count_if(
                                                 lu.valeurs.begin(), lu.valeurs.end(), [](float x) { return x >= 150; })));
}

TEST(FormatsVolumes, CutFilesMissingSlicesAndImpossibleOrientationsAreRefusedWithTheirReason)
{
    TempDir t;
    const VolumeReel v = blob();
    // A series with a slice gone: the gap between the slices around it is twice the others.
    ASSERT_TRUE(ecrireVolumeITK(v, t.file("serie")));
    std::filesystem::remove(t.file("serie/tranche0003.dcm"));
    EXPECT_NE(refus(t.file("serie")).find("tranches inégalement espacées (de 2.5 à 5 mm"), std::string::npos);
    EXPECT_NE(refus(t.file("serie/tranche0001.dcm")).find("une tranche manque"), std::string::npos);

    // Orientation vectors that are not perpendicular, written over the slices' own tags.
    VolumeReel droit = blob();
    droit.reperePixdim(1, 1, 2);
    ASSERT_TRUE(ecrireVolumeITK(droit, t.file("penche")));
    for (const auto &f : std::filesystem::directory_iterator(t.file("penche"))) {
        std::string o = lecture(f.path().string());
        const std::size_t p = o.find("-1\\-0\\0\\-0\\-1\\0");
        const std::size_t q = p == std::string::npos ? o.find("-1\\0\\0\\0\\-1\\0") : p;
        ASSERT_NE(q, std::string::npos) << f.path();
        o[o.find("\\", o.find("\\", q) + 1) + 1] = '1';
        ASSERT_TRUE(writeFile(f.path().string(), o));
    }
    EXPECT_NE(refus(t.file("penche")).find("ImageOrientationPatient"), std::string::npos);

    // NRRD axes of which two are the same: no frame.
    std::string h = enteteNrrd(v, "");
    const std::size_t axes = h.find("space directions:");
    h.replace(axes, h.find('\n', axes) - axes, "space directions: (1,0,0) (1,0,0) (0,0,1)");
    ASSERT_TRUE(writeFile(t.file("plat.nrrd"), h + enFlottants(v.valeurs, false)));
    EXPECT_NE(refus(t.file("plat.nrrd")).find("plat.nrrd"), std::string::npos);

    // Voxels cut short in every format that carries them.
    const std::string nrrd = enteteNrrd(v, "") + enFlottants(v.valeurs, false);
    ASSERT_TRUE(writeFile(t.file("court.nrrd"), nrrd.substr(0, nrrd.size() - 40)));
    EXPECT_NE(refus(t.file("court.nrrd")).find("« " + t.file("court.nrrd") + " »"), std::string::npos);
    const std::string m = mgh(v, 1, v.valeurs);
    gzip(t.file("court.mgz"), m.substr(0, m.size() - 4));
    EXPECT_EQ(refus(t.file("court.mgz")), "volume « " + t.file("court.mgz") + " » : données coupées : " +
                                                 std::to_string(m.size() - 4) + " octets sur les " +
                                                 std::to_string(m.size()) + " attendus");
    ASSERT_TRUE(writeFile(t.file("entete.mgh"), m.substr(0, 60)));
    EXPECT_NE(refus(t.file("entete.mgh")).find("en-tête MGH incomplet (60 octets"), std::string::npos);
    ASSERT_TRUE(ecrireVolumeITK(v, t.file("court.mha")));
    const std::string mha = lecture(t.file("court.mha"));
    ASSERT_TRUE(writeFile(t.file("court.mha"), mha.substr(0, mha.size() - 100)));
    EXPECT_NE(refus(t.file("court.mha")).find("données coupées : 740 octets sur les 840 attendus"), std::string::npos);

    // Kinds known but not read are named, here and through the opener, instead of the cloud reader's line.
    ASSERT_TRUE(writeFile(t.file("scan.PAR"), "# === DATA DESCRIPTION FILE ===\n"));
    EXPECT_EQ(refus(t.file("scan.PAR")), "« " + t.file("scan.PAR") +
                                             " » est un fichier PAR/REC (Philips) : non lu ; convertissez-le en "
                                             "NIfTI (dcm2niix, ou parrec2nii de nibabel)");
    Maillage nuage;
    for (const char *nom : {"scan.PAR", "anat+orig.HEAD", "pet.v"}) {
        const Resultat r = ouvrirNuage(t.file(nom), nuage);
        EXPECT_NE(texte(r.raison).find(" : non lu ; convertissez-le en NIfTI"), std::string::npos) << nom;
    }
}

TEST(FormatsVolumes, FourDimensionalFilesGiveTheVolumeAskedFor)
{
    TempDir t;
    const VolumeReel v = blob(3);
    std::vector<float> trois = v.valeurs;
    ASSERT_TRUE(writeFile(t.file("v.mgh"), mgh(v, 3, trois)));
    Nifti n(NX, NY, NZ, 3, 16, 32);
    for (float x : trois)
        n.ajouter(x);
    ASSERT_TRUE(writeFile(t.file("v.nii"), n.o));
    const std::size_t parVolume = static_cast<std::size_t>(NX * NY * NZ);
    for (const char *nom : {"v.mgh", "v.nii"}) {
        VolumeReel lu;
        ASSERT_TRUE(lireVolumeReel(t.file(nom), lu));
        EXPECT_EQ(texte(lu.remarque), "fichier de 3 volumes : seul le premier est lu") << nom;
        EXPECT_EQ(lu.valeurs, std::vector<float>(trois.begin(), trois.begin() + static_cast<long>(parVolume)));
        ASSERT_TRUE(lireVolumeReel(t.file(nom), lu, 2));
        EXPECT_EQ(texte(lu.remarque), "volume 3 sur 3") << nom;
        EXPECT_EQ(lu.valeurs, std::vector<float>(trois.begin() + static_cast<long>(2 * parVolume), trois.end())) << nom;
        EXPECT_NE(refus(t.file(nom), 3).find("le volume 4 est demandé, le fichier en a 3"), std::string::npos);
    }
}
