// Volumes with their geometry: NIfTI files written here byte by byte (data types, scaling, byte
// order, 4-D, qform and sform, pairs, cut and lying files), the boundary of a region against a
// sphere of known radius, Otsu's level, and the opener by suffix on NIfTI names.

#include "Frontiere.h"
#include "Maillage.h"
#include "Ouverture.h"
#include "VolumeNifti.h"
#include "VolumeReel.h"
#include "nifti_essai.h"
#include "support.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <tuple>
#include <zlib.h>

using tarnis_test::Nifti;
using tarnis_test::TempDir;
using tarnis_test::writeFile;

namespace {

Resultat lire(const std::string &octets, VolumeReel &v)
{
    return lireNiftiOctets(reinterpret_cast<const unsigned char *>(octets.data()), octets.size(), "essai.nii", v);
}

std::string gzip(const std::string &octets)
{
    uLongf taille = compressBound(octets.size()) + 32;
    std::string sortie(taille, '\0');
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY); // gzip wrapper
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(octets.data()));
    z.avail_in = static_cast<uInt>(octets.size());
    z.next_out = reinterpret_cast<Bytef *>(&sortie[0]);
    z.avail_out = static_cast<uInt>(taille);
    deflate(&z, Z_FINISH);
    sortie.resize(z.total_out);
    deflateEnd(&z);
    return sortie;
}

/// A volume of nx * ny * nz voxels whose value is f(i, j, k).
template <class F> VolumeReel volumeDe(int nx, int ny, int nz, F f)
{
    VolumeReel v;
    v.nx = nx;
    v.ny = ny;
    v.nz = nz;
    for (int k = 0; k < nz; ++k)
        for (int j = 0; j < ny; ++j)
            for (int i = 0; i < nx; ++i)
                v.valeurs.push_back(static_cast<float>(f(i, j, k)));
    return v;
}

double norme(const point3 &p, const point3 &c)
{
    return std::sqrt((p.x - c.x) * (p.x - c.x) + (p.y - c.y) * (p.y - c.y) + (p.z - c.z) * (p.z - c.z));
}

} // namespace

TEST(Nifti, EachDataTypeIsReadAsRealValuesScaledAndInEitherByteOrder)
{
    // Values chosen outside the 16-bit range where the type allows it.
    struct Cas
    {
        int type, bits;
        double bruts[2];
    };
    const Cas cas[] = {{2, 8, {0, 255}},           {256, 8, {-128, 127}},        {4, 16, {-32768, 32767}},
                       {512, 16, {0, 65535}},      {8, 32, {-2000000, 70000}},   {768, 32, {0, 4000000000.0}},
                       {16, 32, {-1.5, 1e30}},     {64, 64, {-2.25, 1e-300}}};
    for (const Cas &c : cas)
        for (const bool inverse : {false, true}) {
            Nifti n(2, 1, 1, 1, c.type, c.bits);
            n.poser<float>(112, 2.0f);  // scl_slope
            n.poser<float>(116, -1.0f); // scl_inter
            for (const double b : c.bruts) {
                const std::size_t avant = n.o.size();
                switch (c.type) {
                case 2: n.ajouter<std::uint8_t>(static_cast<std::uint8_t>(b)); break;
                case 256: n.ajouter<std::int8_t>(static_cast<std::int8_t>(b)); break;
                case 4: n.ajouter<std::int16_t>(static_cast<std::int16_t>(b)); break;
                case 512: n.ajouter<std::uint16_t>(static_cast<std::uint16_t>(b)); break;
                case 8: n.ajouter<std::int32_t>(static_cast<std::int32_t>(b)); break;
                case 768: n.ajouter<std::uint32_t>(static_cast<std::uint32_t>(b)); break;
                case 16: n.ajouter<float>(static_cast<float>(b)); break;
                default: n.ajouter<double>(b);
                }
                if (inverse)
                    std::reverse(n.o.begin() + static_cast<long>(avant), n.o.end());
            }
            if (inverse) // every header field this file sets, in the other byte order
                for (const auto &[debut, taille, nombre] : {std::tuple<int, int, int>{0, 4, 1}, {40, 2, 8}, {70, 2, 2},
                                                           {76, 4, 8}, {108, 4, 3}})
                    for (int i = 0; i < nombre; ++i)
                        std::reverse(n.o.begin() + debut + i * taille, n.o.begin() + debut + (i + 1) * taille);
            VolumeReel v;
            ASSERT_TRUE(lire(n.o, v)) << c.type << " " << lire(n.o, v).texte();
            ASSERT_EQ(v.valeurs.size(), 2u);
            for (int i = 0; i < 2; ++i)
                EXPECT_FLOAT_EQ(v.valeurs[static_cast<std::size_t>(i)], static_cast<float>(2 * c.bruts[i] - 1))
                    << "type " << c.type << (inverse ? " swapped" : "");
        }
}

TEST(Nifti, AFourDimensionalFileGivesItsFirstVolumeAndSaysSo)
{
    Nifti n(2, 2, 1, 3, 2, 8);
    for (int i = 0; i < 12; ++i)
        n.ajouter<std::uint8_t>(static_cast<std::uint8_t>(10 + i));
    VolumeReel v;
    ASSERT_TRUE(lire(n.o, v));
    EXPECT_EQ(v.valeurs, (std::vector<float>{10, 11, 12, 13}));
    EXPECT_EQ(texte(v.remarque), "fichier de 3 volumes : seul le premier est lu");
    // Only the first volume has to be there.
    n.o.resize(352 + 4);
    EXPECT_TRUE(lire(n.o, v));
}

TEST(Nifti, TheSecondVersionWithItsWideFieldsIsReadAndCheckedLikeTheFirst)
{
    std::string n2(544, '\0'); // 540-byte header, 64-bit dimensions, voxels from 544
    auto poser = [&](std::size_t p, auto v) { std::memcpy(&n2[p], &v, sizeof v); };
    poser(0, std::int32_t{540});
    std::memcpy(&n2[4], "n+2\0\r\n\032\n", 8);
    poser(12, std::array<std::int16_t, 2>{4, 16});       // 16-bit integers
    poser(16, std::array<std::int64_t, 4>{3, 1, 2, 3}); // 1 x 2 x 3
    poser(104, std::array<double, 4>{1, 1, 1, 1});      // pixdim
    poser(168, std::int64_t{544});
    for (std::int16_t i = 0; i < 6; ++i)
        n2.append(reinterpret_cast<const char *>(&i), 2);
    VolumeReel v;
    ASSERT_TRUE(lire(n2, v)) << lire(n2, v).texte();
    EXPECT_TRUE(v.nx == 1 && v.ny == 2 && v.nz == 3 && v.valeurs == (std::vector<float>{0, 1, 2, 3, 4, 5}));
    poser(16, std::int64_t{9});
    EXPECT_NE(lire(n2, v).texte().find("nombre de dimensions impossible (dim[0] = 9)"), std::string::npos);
}

TEST(Nifti, BadFilesAreRefusedWithTheirReason)
{
    TempDir t;
    Nifti bon(4, 4, 4, 1, 16, 32);
    for (int i = 0; i < 64; ++i)
        bon.ajouter<float>(static_cast<float>(i));
    auto avec = [&](std::size_t position, auto valeur) {
        Nifti n = bon;
        n.poser(position, valeur);
        return n.o;
    };
    const float unReel = 1.0f;
    char un[4];
    std::memcpy(un, &unReel, 4);
    const std::pair<std::string, std::string> cas[] = {
        {bon.o.substr(0, 200), "en-tête incomplet (200 octets"},
        {avec(344, std::int32_t{0}), "sans la signature NIfTI"},
        {avec(40, std::int16_t{9}), "nombre de dimensions impossible (dim[0] = 9)"},
        {avec(40, std::int16_t{8}), "nombre de dimensions impossible (dim[0] = 8)"},
        {avec(40, std::int16_t{0}), "nombre de dimensions impossible (dim[0] = 0)"},
        {avec(44, std::int16_t{-4}), "dimension 2 impossible (-4)"},
        {avec(70, std::int16_t{32}), "type de voxel non pris en charge (32)"},
        {avec(108, 100.0f), "début des voxels impossible"},
        {bon.o.substr(0, 352 + 100), "fichier trop court"},
        {avec(42, std::int16_t{32767}), "fichier trop court"},
        // Scaling that cannot be applied, or that carries a voxel beyond single precision.
        {avec(112, std::numeric_limits<float>::infinity()), "facteur d'échelle non fini (scl_slope = inf"},
        {avec(116, std::numeric_limits<float>::quiet_NaN()).replace(112, 4, std::string(un, 4)),
         "facteur d'échelle non fini (scl_slope = 1, scl_inter = nan)"},
        {avec(112, 1e38f), "voxel (0, 1, 0) : 4 x scl_slope 9.99999968e+37 + scl_inter 0 sort de la simple précision"},
    };
    Nifti reels(2, 1, 1, 1, 64, 64);
    reels.ajouter<double>(1.0);
    reels.ajouter<double>(-1e300);
    std::vector<std::pair<std::string, std::string>> tous(std::begin(cas), std::end(cas));
    tous.emplace_back(reels.o, "voxel (1, 0, 0) : la valeur -1e+300 sort de la simple précision");
    for (const auto &[octets, motif] : tous) {
        VolumeReel v;
        const Resultat r = lire(octets, v);
        EXPECT_EQ(r.statut, Statut::NuageIllisible) << motif;
        EXPECT_NE(r.texte().find(motif), std::string::npos) << r.texte();
    }
    // Seven dimensions, the most a file may have, the four after the third of size 1: read.
    Nifti sept = bon;
    sept.poser(40, std::int16_t{7});
    sept.poser(48, std::array<std::int16_t, 4>{1, 1, 1, 1});
    VolumeReel v7;
    ASSERT_TRUE(lire(sept.o, v7)) << lire(sept.o, v7).texte();
    EXPECT_EQ(v7.valeurs.size(), 64u);
    // Compressed: cut short, and a small file announcing more than it can hold.
    Nifti grand(20, 20, 20, 1, 16, 32);
    for (int i = 0; i < 8000; ++i)
        grand.ajouter<float>(std::sin(0.37f * static_cast<float>(i)));
    const std::string gz = gzip(grand.o);
    ASSERT_TRUE(writeFile(t.file("coupe.nii.gz"), gz.substr(0, gz.size() / 2)));
    Nifti enorme(2000, 2000, 500, 1, 64, 64);
    ASSERT_TRUE(writeFile(t.file("enorme.nii.gz"), gzip(enorme.o + std::string(1000, '\0'))));
    const std::string messages = tarnis_test::captureSorties([&] {
        for (const auto &[nom, motif] :
             {std::pair<std::string, std::string>{"coupe.nii.gz", "données compressées coupées ou corrompues"},
              {"enorme.nii.gz", "ne peut pas contenir les 16000000352 octets annoncés"}}) {
            VolumeReel v;
            const Resultat r = lireVolumeReel(t.file(nom), v);
            EXPECT_EQ(r.statut, Statut::NuageIllisible);
            EXPECT_NE(r.texte().find("« " + t.file(nom) + " »"), std::string::npos) << r.texte();
            EXPECT_NE(r.texte().find(motif), std::string::npos) << r.texte();
        }
    });
    EXPECT_EQ(messages, "") << "the library stays quiet";
    // A slope of 0 means no scaling, whatever the intercept.
    VolumeReel sansEchelle;
    ASSERT_TRUE(lire(avec(116, std::numeric_limits<float>::quiet_NaN()), sansEchelle));
    EXPECT_EQ(sansEchelle.valeurs[63], 63.0f);
    // The whole file, compressed, reads.
    ASSERT_TRUE(writeFile(t.file("bon.nii.gz"), gz));
    VolumeReel v;
    ASSERT_TRUE(lireVolumeReel(t.file("bon.nii.gz"), v));
    EXPECT_EQ(v.valeurs[7999], std::sin(0.37f * 7999.0f));
}

TEST(Nifti, AFileIsReadInRoundsAsInMemoryAndACutOneSaysWhereItStops)
{
    // More voxels than one round takes, their start at an offset that leaves part of a voxel
    // in the first bytes read with the header.
    TempDir t;
    const int cote = 170;
    Nifti n(cote, cote, cote, 1, 16, 32);
    n.poser<float>(108, 355.0f);
    n.o.resize(355, '\7');
    for (int i = 0; i < cote * cote * cote; ++i)
        n.ajouter<float>(static_cast<float>(i % 1009) - 300.5f);
    ASSERT_TRUE(writeFile(t.file("v.nii"), n.o));
    VolumeReel enMemoire, lu;
    ASSERT_TRUE(lire(n.o, enMemoire));
    ASSERT_TRUE(lireVolumeReel(t.file("v.nii"), lu)) << lireVolumeReel(t.file("v.nii"), lu).texte();
    EXPECT_TRUE(lu.valeurs == enMemoire.valeurs);
    EXPECT_EQ(lu.valeurs.back(), static_cast<float>((cote * cote * cote - 1) % 1009) - 300.5f);
    // Cut after the first round: the compressed stream ends where the rounds find it.
    const std::string gz = gzip(n.o);
    ASSERT_TRUE(writeFile(t.file("coupe.nii.gz"), gz.substr(0, gz.size() * 9 / 10)));
    const Resultat r = lireVolumeReel(t.file("coupe.nii.gz"), lu);
    EXPECT_NE(r.texte().find("données compressées coupées ou corrompues"), std::string::npos) << r.texte();
    EXPECT_NE(r.texte().find("octets lus sur les 19652355 attendus"), std::string::npos) << r.texte();
    EXPECT_TRUE(lu.valeurs.empty());
}

TEST(Nifti, TheFrameIsTheSformElseTheQformElseTheVoxelSizesInMillimetres)
{
    // One bright voxel at (2, 3, 1): its boundary points lie half a voxel from it along each axis.
    Nifti n(5, 6, 3, 1, 2, 8);
    for (int k = 0; k < 3; ++k)
        for (int j = 0; j < 6; ++j)
            for (int i = 0; i < 5; ++i)
                n.ajouter<std::uint8_t>(i == 2 && j == 3 && k == 1 ? 100 : 0);
    n.poser(80, std::array<float, 3>{0.5f, 1, 3}); // pixdim
    const Region region{50, std::numeric_limits<double>::infinity()};
    auto verifier = [&](const std::string &octets, const std::function<point3(double, double, double)> &attendu,
                        CodeRaison origine) {
        VolumeReel v;
        ASSERT_TRUE(lire(octets, v));
        EXPECT_EQ(v.origineRepere.code, origine);
        const std::vector<point3> indices = pointsFrontiere(v, region, false), mm = pointsFrontiere(v, region, true);
        ASSERT_TRUE(indices.size() == 6 && mm.size() == 6);
        for (std::size_t q = 0; q < 6; ++q) {
            EXPECT_NEAR(norme(indices[q], point3(2, 3, 1)), 0.5, 1e-9);
            const point3 a = attendu(indices[q].x, indices[q].y, indices[q].z);
            EXPECT_NEAR(norme(mm[q], a), 0, 1e-3) << motifRaison(origine) << " point " << q;
        }
    };
    // No frame code: the voxel sizes.
    verifier(
        n.o, [](double i, double j, double k) { return point3(0.5 * i, j, 3 * k); }, CodeRaison::RepereTaillesVoxels);
    // qform: a quarter turn about z (quaternion d = sin 45°), qfac -1 flips k, offsets, in metres.
    Nifti q = n;
    q.poser<std::int16_t>(252, 1);
    q.poser<float>(76, -1.0f); // pixdim[0] = qfac
    q.poser(264, std::array<float, 4>{static_cast<float>(std::sqrt(0.5)), 0.010f, 0.020f, -0.030f});
    q.poser<char>(123, 1); // NIFTI_UNITS_METER
    verifier(
        q.o,
        [](double i, double j, double k) {
            return point3(1000 * (-j + 0.010), 1000 * (0.5 * i + 0.020), 1000 * (-3 * k - 0.030));
        },
        CodeRaison::RepereQform);
    // sform wins over the qform: x flipped and the axes mixed, as the affine says.
    const double m[3][4] = {{-2, 0, 0, 90}, {0, 0.6, 0.8, -126}, {0, -0.8, 0.6, -72}};
    q.sform(m);
    q.poser<char>(123, 2); // millimetres
    verifier(
        q.o,
        [&](double i, double j, double k) {
            return point3(m[0][0] * i + m[0][3], m[1][1] * j + m[1][2] * k + m[1][3],
                          m[2][1] * j + m[2][2] * k + m[2][3]);
        },
        CodeRaison::RepereSform);
    // An affine with every term used, each row's voxel steps mixed.
    Nifti plein = q;
    const double g[3][4] = {{-2, 0.1, 0.2, 90}, {0.3, 0.6, 0.8, -126}, {0.4, -0.8, 0.6, -72}};
    plein.sform(g);
    verifier(
        plein.o,
        [&](double i, double j, double k) {
            auto ligne = [&](int r) { return g[r][0] * i + g[r][1] * j + g[r][2] * k + g[r][3]; };
            return point3(ligne(0), ligne(1), ligne(2));
        },
        CodeRaison::RepereSform);
    // An affine without its code, or a code over an affine that maps every voxel to one plane or
    // has an offset that is not a number, is no frame: the qform again (in millimetres now).
    // The flatness is that of the axes alone, whatever the offsets (the third row here the sum
    // of the first two: every voxel on one plane).
    Nifti sansCode = q, plat = q, platDecale = q, decalageNaN = q;
    sansCode.poser<std::int16_t>(254, 0);
    const double aplati[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 0, 0}};
    plat.sform(aplati);
    const double lie[3][4] = {{1, 2, 3, 7}, {4, 5, 6, 11}, {5, 7, 9, 13}};
    platDecale.sform(lie);
    const double nan[3][4] = {{1, 0, 0, std::nan("")}, {0, 1, 0, 0}, {0, 0, 1, 0}};
    decalageNaN.sform(nan);
    for (const Nifti *f : {&sansCode, &plat, &platDecale, &decalageNaN})
        verifier(
            f->o,
            [](double i, double j, double k) { return point3(-j + 0.010, 0.5 * i + 0.020, -3 * k - 0.030); },
            CodeRaison::RepereQform);
}

TEST(Nifti, APairAndTheOpenerBySuffixReadNiftiLikeAnalyze)
{
    TempDir t;
    Nifti n(3, 3, 3, 1, 4, 16);
    std::memcpy(&n.o[344], "ni1", 4);
    n.poser<float>(108, 0.0f);
    std::string image;
    for (int i = 0; i < 27; ++i) {
        const std::int16_t v = i == 13 ? 900 : 0;
        image.append(reinterpret_cast<const char *>(&v), 2);
    }
    ASSERT_TRUE(writeFile(t.file("paire.hdr"), n.o.substr(0, 348)));
    ASSERT_TRUE(writeFile(t.file("paire.img"), image));
    VolumeReel v;
    ASSERT_TRUE(lireVolumeReel(t.file("paire.img"), v)) << lireVolumeReel(t.file("paire.img"), v).texte();
    EXPECT_EQ(v.valeurs[13], 900.0f);
    // Without the magic it is an Analyze pair; its 32-bit integers are read whole, beyond 16 bits.
    Nifti analyze(3, 3, 3, 1, 8, 32);
    std::memset(&analyze.o[344], 0, 4);
    analyze.poser<float>(108, 0.0f);
    std::string entiers;
    for (int i = 0; i < 27; ++i) {
        const std::int32_t x = i == 13 ? 100000 : i == 0 ? -5 : 0;
        entiers.append(reinterpret_cast<const char *>(&x), 4);
    }
    ASSERT_TRUE(writeFile(t.file("analyze.hdr"), analyze.o.substr(0, 348)));
    ASSERT_TRUE(writeFile(t.file("analyze.img"), entiers));
    VolumeReel a;
    ASSERT_TRUE(lireVolumeReel(t.file("analyze.hdr"), a)) << lireVolumeReel(t.file("analyze.hdr"), a).texte();
    EXPECT_EQ(a.valeurs[13], 100000.0f);
    EXPECT_EQ(a.valeurs[0], -5.0f);
    EXPECT_EQ(a.remarque.code, CodeRaison::Aucune) << "its three voxel sizes are given";
    // Pairs in capitals, either file named, NIfTI or Analyze.
    for (const auto &[entete, octets, suffixes] :
         {std::make_tuple(n.o.substr(0, 348), image, "PAIRE"), std::make_tuple(analyze.o.substr(0, 348), entiers, "ANA")}) {
        const std::string base = t.file(suffixes);
        ASSERT_TRUE(writeFile(base + ".HDR", entete) && writeFile(base + ".IMG", octets));
        for (const char *suffixe : {".HDR", ".IMG"}) {
            VolumeReel c;
            ASSERT_TRUE(lireVolumeReel(base + suffixe, c)) << lireVolumeReel(base + suffixe, c).texte();
            EXPECT_EQ(c.valeurs[13], std::string(suffixes) == "ANA" ? 100000.0f : 900.0f) << suffixes << suffixe;
        }
        Maillage m;
        EXPECT_TRUE(ouvrirNuage(base + ".IMG", m)) << base;
    }
    // 16-bit samples keep their sign as the header gives it: unsigned above 32767, signed below 0.
    for (const auto &[type, attendu] : {std::make_pair(512, 40000.0f), std::make_pair(4, -25536.0f)}) {
        Nifti court(3, 3, 3, 1, type, 16);
        std::memset(&court.o[344], 0, 4);
        court.poser<float>(108, 0.0f);
        std::string mots(54, '\0');
        const std::uint16_t x = 40000;
        std::memcpy(&mots[26], &x, 2);
        ASSERT_TRUE(writeFile(t.file("court.hdr"), court.o.substr(0, 348)) && writeFile(t.file("court.img"), mots));
        VolumeReel c;
        ASSERT_TRUE(lireVolumeReel(t.file("court.hdr"), c)) << lireVolumeReel(t.file("court.hdr"), c).texte();
        EXPECT_EQ(c.valeurs[13], attendu) << type;
    }
    // A single file: thresholded into a cloud by the opener, like an Analyze volume.
    Nifti seul(3, 3, 3, 1, 4, 16);
    seul.poser<float>(80, 2.0f); // 2 mm along x: the opener keeps voxel indices, versMillimetres does not
    seul.o += image;
    ASSERT_TRUE(writeFile(t.file("seul.nii"), seul.o));
    ASSERT_TRUE(writeFile(t.file("seul.nii.gz"), gzip(seul.o)));
    for (const std::string nom : {"seul.nii", "seul.nii.gz", "paire.hdr"}) {
        EXPECT_EQ(genreFichier(t.file(nom)), GenreFichier::Volume) << nom;
        Maillage m;
        std::vector<point3> points;
        ASSERT_TRUE(ouvrirNuage(t.file(nom), m, ReglagesVolume(), {}, &points)) << nom;
        ASSERT_EQ(m.ListePointsInterets.size(), 1u) << nom;
        EXPECT_EQ(norme(m.ListePointsInterets[0], point3(1, 1, 1)), 0) << nom;
    }
    EXPECT_EQ(genreFichier("a.gz"), GenreFichier::Inconnu);
    std::vector<point3> p{point3(1, 1, 1)};
    Raison origine;
    EXPECT_TRUE(versMillimetres(t.file("seul.nii.gz"), p, origine) && p[0].x == 2 && p[0].y == 1 &&
                origine.code == CodeRaison::RepereTaillesVoxels);
}

TEST(Frontiere, SphereCrossingsLieWithinATenthOfAVoxelOfTheRadius)
{
    // A smooth image of a ball of radius 6.3 mm: 1 inside, 0 outside, the 0.5 level on the
    // sphere; on voxels of 1 mm, then of 1 x 1 x 2 mm, the points taken in millimetres.
    const double rayon = 6.3;
    const point3 centre(10.2, 9.7, 10.1);
    for (const double dz : {1.0, 2.0}) {
        VolumeReel v = volumeDe(21, 21, static_cast<int>(21 / dz), [&](int i, int j, int k) {
            return 1.0 / (1.0 + std::exp((norme(point3(i, j, dz * k), centre) - rayon) * 1.5));
        });
        v.reperePixdim(1, 1, dz);
        const std::vector<point3> points = pointsFrontiere(v, Region{0.5, 1e9}, true);
        ASSERT_GT(points.size(), 300u);
        double pire = 0;
        for (const point3 &p : points)
            pire = std::max(pire, std::fabs(norme(p, centre) - rayon));
        EXPECT_LT(pire, 0.1 * dz) << dz;
        // Band: 0.25 to 0.75 is a shell; its two sides are both boundary.
        std::size_t dedans = 0;
        for (const point3 &p : pointsFrontiere(v, Region{0.25, 0.75}, true))
            dedans += norme(p, centre) < rayon ? 1 : 0;
        EXPECT_GT(dedans, 100u) << dz;
    }
    // A region touching the volume's side is closed there, on the voxels' outer faces.
    const VolumeReel bloc = volumeDe(3, 3, 3, [](int, int, int) { return 1.0; });
    const std::vector<point3> faces = pointsFrontiere(bloc, Region{0.5, 1e9}, false);
    EXPECT_EQ(faces.size(), 54u);
    for (const point3 &p : faces)
        EXPECT_EQ(std::max({std::fabs(p.x - 1), std::fabs(p.y - 1), std::fabs(p.z - 1)}), 1.5);
}

TEST(Frontiere, OtsuSplitsTwoModesAndAVolumeWithoutTheLevelIsRefused)
{
    // 30 % of the voxels around 20, the rest around 200.
    const VolumeReel v = volumeDe(10, 10, 10, [](int i, int j, int k) { return (i < 3 ? 20 : 200) + (j + k) % 5; });
    double niveau = 0;
    ASSERT_TRUE(niveauOtsu(v, niveau));
    // Every level from 24.5 to 199.5 splits the modes alike: the middle one, rounded down to a
    // half integer (the bins count from the lowest value, 20).
    EXPECT_EQ(niveau, 111.5);
    EXPECT_FALSE(niveauOtsu(volumeDe(2, 2, 2, [](int, int, int) { return 7; }), niveau));
    // A mask of two values is split in the middle of the gap, integers or reals.
    ASSERT_TRUE(niveauOtsu(volumeDe(4, 4, 4, [](int i, int j, int) { return i + j < 3 ? 800 : 0; }), niveau));
    EXPECT_EQ(niveau, 399.5);
    ASSERT_TRUE(niveauOtsu(volumeDe(4, 4, 4, [](int i, int, int) { return i < 2 ? 0.0 : 0.9; }), niveau));
    EXPECT_NEAR(niveau, 0.45, 0.9 / 1024);
    // A band takes only the voxels inside it: two voxels on either side of it give no point.
    EXPECT_TRUE(
        pointsFrontiere(volumeDe(2, 1, 1, [](int i, int, int) { return 0.5 + 3.0 * i; }), Region{1, 2}, false).empty());

    TempDir t;
    Nifti n(2, 2, 2, 1, 16, 32);
    for (int i = 0; i < 8; ++i)
        n.ajouter<float>(0.25f * static_cast<float>(i));
    ASSERT_TRUE(writeFile(t.file("v.nii"), n.o));
    ReglagesFrontiere r;
    r.regionDonnee = true;
    r.region = Region{5, std::numeric_limits<double>::infinity()};
    std::vector<point3> points;
    BilanFrontiere b;
    const Resultat res = frontiereVolume(t.file("v.nii"), r, points, b);
    EXPECT_EQ(res.statut, Statut::NuageIllisible);
    EXPECT_NE(res.texte().find("n'a aucun voxel au niveau 5 ou au-dessus : ses valeurs vont de 0 à 1.75"),
              std::string::npos)
        << res.texte();
    r.regionDonnee = false;
    ASSERT_TRUE(frontiereVolume(t.file("v.nii"), r, points, b));
    EXPECT_EQ(b.pointsFrontiere, points.size());
    EXPECT_TRUE(b.automatique);
    EXPECT_GT(b.voxelsRegion, 0u);
    EXPECT_LT(b.voxelsRegion, 8u);
}

TEST(Frontiere, LabelMapsAreRecognisedAndALabelsBoundaryLiesHalfwayAroundItsOwnVoxelsOnly)
{
    // Labels 36 and 38 touch across x = 5.5; label 37 is a 2 x 2 x 2 block beside 36.
    const VolumeReel carte = volumeDe(12, 9, 8, [](int i, int j, int k) {
        if (j >= 2 && j <= 5 && k >= 2 && k <= 5 && i >= 2 && i <= 9)
            return i <= 5 ? 36 : 38;
        return j >= 6 && j <= 7 && k >= 2 && k <= 3 && i >= 2 && i <= 3 ? 37 : 0;
    });
    std::vector<double> labels;
    double fond = -1;
    ASSERT_TRUE(estCarteDeLabels(carte, &labels, &fond));
    EXPECT_EQ(labels, (std::vector<double>{36, 37, 38}));
    EXPECT_EQ(fond, 0);
    auto demiEntiers = [](const point3 &p) {
        int demis = 0;
        for (double c : {p.x, p.y, p.z})
            demis += std::fabs(c - std::floor(c) - 0.5) < 1e-12 ? 1 : c == std::floor(c) ? 0 : 10;
        return demis == 1;
    };
    std::vector<point3> points;
    BilanFrontiere bilan;
    ReglagesFrontiere bande;
    bande.regionDonnee = true;
    bande.region = Region{37, 37};
    bande.millimetres = false;
    ASSERT_TRUE(frontiereVolume(carte, "carte", bande, points, bilan));
    // The six faces of the block of 37, four points each, halfway: none between 36 and 38.
    ASSERT_EQ(points.size(), 24u);
    EXPECT_EQ(bilan.voxelsRegion, 8u);
    for (const point3 &p : points) {
        EXPECT_TRUE(demiEntiers(p) && p.x >= 1.5 && p.x <= 3.5 && p.y >= 5.5 && p.y <= 7.5 && p.z >= 1.5 && p.z <= 3.5)
            << p.x << " " << p.y << " " << p.z;
    }
    // No region given: the union of the labels, said, and no Otsu level (which would split 36 from 38).
    ReglagesFrontiere automatique;
    automatique.millimetres = false;
    ASSERT_TRUE(frontiereVolume(carte, "carte", automatique, points, bilan));
    EXPECT_EQ(texte(bilan.carteDeLabels), "carte de labels (3 labels entiers, fond 0) : sans niveau d'Otsu, la région "
                                          "est la réunion des labels ; --label N pour un seul, --labels all pour chacun");
    EXPECT_EQ(bilan.voxelsRegion, 8u + 128u);
    for (const point3 &p : points)
        EXPECT_TRUE(demiEntiers(p) && !(p.x == 5.5 && p.y > 2 && p.y < 5 && p.z > 2 && p.z < 5))
            << p.x << " " << p.y << " " << p.z;
    // Scans are not label maps, nor are masks (Otsu's level splits them alike).
    EXPECT_FALSE(estCarteDeLabels(volumeDe(12, 9, 8, [](int i, int j, int k) { return (i * 7 + j * 13 + k * 5) % 50; })));
    EXPECT_FALSE(estCarteDeLabels(volumeDe(12, 9, 8, [](int i, int, int) { return i < 6 ? 0 : 1; })));
    EXPECT_FALSE(estCarteDeLabels(volumeDe(12, 9, 8, [](int i, int j, int) { return i < 6 ? 0.5 * j : 1; })));
}

TEST(Frontiere, TheBoundaryIsCountedBeforeItIsPlacedAndOneLargerThanAllowedIsRefused)
{
    // A checkerboard: every voxel is boundary, six points about each voxel of the region.
    const VolumeReel damier = volumeDe(12, 10, 9, [](int i, int j, int k) { return (i + j + k) % 2; });
    const Region region{0.5, std::numeric_limits<double>::infinity()};
    EXPECT_EQ(compterPointsFrontiere(damier, region), 3u * 12 * 10 * 9);
    // Placed in blocks on several threads, as on one.
    EXPECT_TRUE(pointsFrontiere(damier, region, true, 1) == pointsFrontiere(damier, region, true, 3));
    ReglagesFrontiere reglages;
    reglages.regionDonnee = true;
    reglages.region = region;
    reglages.pointsMax = 3u * 12 * 10 * 9 - 1;
    std::vector<point3> points;
    BilanFrontiere bilan;
    const Resultat r = frontiereVolume(damier, "damier.nii", reglages, points, bilan);
    EXPECT_EQ(r.statut, Statut::NuageIllisible);
    EXPECT_EQ(r.raison.code, CodeRaison::FrontiereTropGrande);
    EXPECT_NE(r.texte().find("a 3240 points de frontière, plus que les 3239 que cette machine peut tenir"),
              std::string::npos)
        << r.texte();
    EXPECT_TRUE(points.empty());
    EXPECT_EQ(bilan.pointsFrontiere, 3240u);
    reglages.pointsMax = 3240;
    ASSERT_TRUE(frontiereVolume(damier, "damier.nii", reglages, points, bilan));
    EXPECT_EQ(points.size(), 3240u);
    // A large checkerboard is scattered voxels, refused before anything is placed.
    const VolumeReel grand = volumeDe(120, 120, 120, [](int i, int j, int k) { return (i + j + k) % 2; });
    reglages.pointsMax = 0;
    const Resultat eparse = frontiereVolume(grand, "grand.nii", reglages, points, bilan);
    EXPECT_EQ(eparse.raison.code, CodeRaison::FrontiereEparse) << eparse.texte();
    EXPECT_NE(eparse.texte().find("5184000 points de frontière pour 864000 voxels, plus de 4 par voxel"),
              std::string::npos)
        << eparse.texte();
    EXPECT_TRUE(points.empty());
    // The machine's own limit leaves room for a few million points and shrinks with what is already held.
    EXPECT_GT(pointsFrontiereAdmissibles(0), 1000000u);
    EXPECT_LE(pointsFrontiereAdmissibles(0), POINTS_FRONTIERE_MAX);
    EXPECT_EQ(pointsFrontiereAdmissibles(std::numeric_limits<std::size_t>::max() / 2), 0u);
}
