// Analyze 7.5 volumes: header byte order, voxel types, refused files, grey levels and
// thresholding, checked against files built byte by byte here and against real data.
#include "VolumeAnalyze.h"
#include "support.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using tarnis_test::captureStderr;
using tarnis_test::captureStdout;
using tarnis_test::TempDir;
using tarnis_test::writeFile;

namespace {

// Byte-level writer, independent of the reader's own swapping.
void poser(std::string &s, std::size_t pos, std::uint64_t v, int octets, bool grand)
{
    for (int i = 0; i < octets; ++i)
        s[pos + static_cast<std::size_t>(grand ? octets - 1 - i : i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string entete(std::vector<int> dims, int type, int bitpix, bool grand, float decalage = 0)
{
    std::string h(348, '\0');
    poser(h, 0, 348, 4, grand);
    dims.resize(8, 1);
    for (int i = 0; i < 8; ++i)
        poser(h, 40 + 2 * static_cast<std::size_t>(i), static_cast<std::uint16_t>(dims[i]), 2, grand);
    poser(h, 70, static_cast<std::uint16_t>(type), 2, grand);
    poser(h, 72, static_cast<std::uint16_t>(bitpix), 2, grand);
    std::uint32_t bits;
    std::memcpy(&bits, &decalage, 4);
    poser(h, 108, bits, 4, grand);
    return h;
}

/// Voxels of `octets` bytes each, in the given byte order.
std::string image(const std::vector<std::uint64_t> &valeurs, int octets, bool grand)
{
    std::string s(valeurs.size() * static_cast<std::size_t>(octets), '\0');
    for (std::size_t i = 0; i < valeurs.size(); ++i)
        poser(s, i * static_cast<std::size_t>(octets), valeurs[i], octets, grand);
    return s;
}

std::uint64_t bits(float f)
{
    std::uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
}

std::uint64_t bits(double d)
{
    std::uint64_t b;
    std::memcpy(&b, &d, 8);
    return b;
}

struct Chargement
{
    bool ok = false;
    std::string sortie, erreurs;
};

Chargement charger(VolumeAnalyze &v, const std::string &base)
{
    Chargement c;
    c.erreurs = captureStderr([&] { c.sortie = captureStdout([&] { c.ok = v.chargerAnalyze(base); }); });
    return c;
}

std::vector<int> valeurs(const VolumeAnalyze &v)
{
    return std::vector<int>(v.voxels.begin(), v.voxels.end());
}

int motif16(int v)
{
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
}

} // namespace

TEST(VolumeMemoire, BoundsOfSetAndGetAndImpossibleSizes)
{
    VolumeAnalyze v(3, 2, 4);
    v.setVoxel(2, 1, 3, 77);
    EXPECT_EQ(v.getVoxel(2, 1, 3), 77);
    for (const auto &p : {std::vector<int>{-1, 0, 0}, {3, 0, 0}, {0, 2, 0}, {0, 0, 4}, {0, -1, 0}}) {
        v.setVoxel(p[0], p[1], p[2], 5);
        EXPECT_EQ(v.getVoxel(p[0], p[1], p[2]), 0);
    }
    std::vector<int> attendu(24, 0);
    attendu[2 + 1 * 3 + 3 * 6] = 77;
    EXPECT_EQ(valeurs(v), attendu);

    ASSERT_TRUE(v.allouer(2, 2, 2));
    EXPECT_EQ(valeurs(v), std::vector<int>(8, 0));
    captureStderr([&] {
        EXPECT_FALSE(v.allouer(-1, 2, 2));
        EXPECT_FALSE(v.allouer(100000, 100000, 100000));
    });
    EXPECT_TRUE(v.voxels.empty());
}

TEST(AnalyzeVoxels, EveryTypeInBothByteOrders)
{
    const std::vector<float> reels = {700.4f, 700.5f, -2.5f, 1e9f, -1e9f, NAN};
    std::vector<std::uint64_t> r32, r64;
    for (float f : reels) {
        r32.push_back(bits(f));
        r64.push_back(bits(static_cast<double>(f)));
    }
    const std::vector<int> attenduReels = {700, 701, motif16(-3), 32767, motif16(-32768), 0};
    struct Cas
    {
        const char *nom;
        std::vector<int> dims;
        int type, bitpix;
        float decalage;
        std::vector<std::uint64_t> voxels;
        int octets;
        std::vector<int> attendu;
        bool arrondi;
    };
    const Cas cas[] = {
        // Type 0 is read as 16 bits, little-endian whatever the header's order.
        {"inconnu", {3, 2, 2, 1}, 0, 0, 0, {10, 20, 30, 296}, 0, {10, 20, 30, 296}, false},
        {"octet", {3, 4, 1, 1}, 2, 8, 0, {0, 7, 255, 128}, 1, {0, 7, 255, 128}, false},
        {"entier16", {3, 2, 2, 1}, 4, 16, 0, {0xFFFD, 600, 32767, 0x8000}, 2, {65533, 600, 32767, 32768}, false},
        {"non signe16", {3, 3, 1, 1}, 512, 16, 0, {40000, 1, 65535}, 2, {40000, 1, 65535}, false},
        // Voxels start at the header's offset.
        {"decalage", {3, 2, 1, 1}, 4, 16, 6, {0x5555, 0x5555, 0x5555, 1, 2}, 2, {1, 2}, false},
        {"entier32",
         {3, 2, 2, 1},
         8,
         32,
         0,
         {70000, static_cast<std::uint32_t>(-70000), 123, static_cast<std::uint32_t>(-5)},
         4,
         {32767, motif16(-32768), 123, motif16(-5)},
         true},
        {"reel32", {3, 6, 1, 1}, 16, 32, 0, r32, 4, attenduReels, true},
        {"reel64", {3, 6, 1, 1}, 64, 64, 0, r64, 8, attenduReels, true},
    };
    for (bool grand : {false, true})
        for (const Cas &c : cas) {
            SCOPED_TRACE(std::string(c.nom) + (grand ? " big-endian" : " little-endian"));
            TempDir dossier;
            const std::string base = dossier.file("vol");
            writeFile(base + ".hdr", entete(c.dims, c.type, c.bitpix, grand, c.decalage));
            writeFile(base + ".img", c.octets ? image(c.voxels, c.octets, grand) : image(c.voxels, 2, false));
            VolumeAnalyze v;
            const Chargement r = charger(v, base);
            ASSERT_TRUE(r.ok) << r.erreurs;
            EXPECT_EQ(valeurs(v), c.attendu);
            EXPECT_EQ(v.estInverse(), grand);
            EXPECT_EQ(v.entete.sizeof_hdr, 348);
            EXPECT_EQ(r.sortie, std::to_string(c.dims[1]) + "\n" + std::to_string(c.dims[2]) + "\n" +
                                    std::to_string(c.dims[3]) + "\n");
            EXPECT_EQ(r.erreurs,
                      c.arrondi ? "Attention : voxels arrondis et bornés aux entiers 16 bits : " + base + "\n" : "");
        }
}

TEST(AnalyzeRefus, EachRefusedFileWithItsMessage)
{
    TempDir dossier;
    const std::string base = dossier.file("vol");
    const std::string hdr = base + ".hdr", img = base + ".img";
    struct Cas
    {
        std::string hdr, img; ///< "" with absent: no file
        bool hdrAbsent, imgAbsent;
        std::string message;
    };
    const Cas cas[] = {
        {"", "", true, true, "Impossible de charger le fichier Analyse : " + base + "\n"},
        {"", "", true, false, "Can't open:<" + hdr + ">\n"},
        {"", "", false, false, "En-tête Analyze vide : <" + hdr + ">\n"},
        {std::string(100, '\0'), "", false, false, "En-tête Analyze incomplet (100 octets sur 348) : <" + hdr + ">\n"},
        {entete({3, -2, 2, 1}, 4, 16, false), std::string(8, '\0'), false, false,
         "Dimensions de volume invalides : -2 x 2 x 1\n"},
        {entete({3, 2, 2, 1}, 4, 16, true), std::string(6, '\0'), false, false,
         "Fichier image Analyze trop court : " + img + " (8 octets attendus, 6 présents)\n"},
        {entete({3, 2, 1, 1}, 4, 16, false, 100), std::string(8, '\0'), false, false,
         "Fichier image Analyze trop court : " + img + " (104 octets attendus, 8 présents)\n"},
        {entete({3, 2, 1, 1}, 32, 64, false), std::string(16, '\0'), false, false,
         "Type de voxel Analyze non pris en charge (32) : " + base + "\n"},
    };
    for (const Cas &k : cas) {
        std::filesystem::remove_all(hdr);
        std::filesystem::remove_all(img);
        if (!k.hdrAbsent)
            writeFile(hdr, k.hdr);
        if (!k.imgAbsent)
            writeFile(img, k.img);
        VolumeAnalyze v(2, 2, 2);
        const Chargement c = charger(v, base);
        EXPECT_FALSE(c.ok) << k.message;
        EXPECT_EQ(c.erreurs, k.message);
    }
}

TEST(NiveauDeGris, WindowMappingOnSignedValues)
{
    const int cas[][4] = {{592, 0, 1000, 150},
                          {593, 0, 1000, 151},
                          {1000, 0, 1000, 255},
                          {40000, 0, 1000, 0},
                          {-50, -100, 100, 63},
                          // An empty window: below 0, at it and above 255.
                          {499, 500, 500, 0},
                          {500, 500, 500, 255},
                          {501, 500, 500, 255}};
    for (const auto &c : cas)
        EXPECT_EQ(niveauDeGris(static_cast<std::uint16_t>(c[0]), static_cast<std::uint16_t>(c[1]),
                               static_cast<std::uint16_t>(c[2])),
                  c[3])
            << c[0] << " in " << c[1] << ".." << c[2];
    // Monotonic over every value of a window, from 0 to 255.
    int precedent = 0;
    for (int v = -32768; v <= 32767; ++v) {
        const int g = niveauDeGris(static_cast<std::uint16_t>(v), static_cast<std::uint16_t>(-300), 2000);
        ASSERT_GE(g, precedent) << v;
        precedent = g;
    }
    EXPECT_EQ(precedent, 255);
}

TEST(Seuillage, DefaultSettingsKeep593To999InScanOrder)
{
    // Voxel value = its linear index, 0 to 1319, plus one big value read as negative.
    VolumeAnalyze v(12, 11, 10);
    for (std::size_t i = 0; i < v.voxels.size(); ++i)
        v.voxels[i] = static_cast<std::uint16_t>(i);
    v.setVoxel(0, 0, 0, 40000);
    std::vector<point3> points = {point3(-1, -1, -1)};
    EXPECT_TRUE(seuillerVolume(v, points, 150, 255, 0, 1000));
    ASSERT_EQ(points.size(), 1u + (999 - 593 + 1));
    EXPECT_EQ(points[0], point3(-1, -1, -1));
    for (int i = 593; i <= 999; ++i)
        EXPECT_EQ(points[static_cast<std::size_t>(i - 592)], point3(i % 12, (i / 12) % 11, i / 132)) << i;

    // Bounds are strict at both ends of the grey scale.
    VolumeAnalyze w(4, 1, 1);
    w.voxels = {0, 500, 1000, 3};
    std::vector<point3> tous;
    seuillerVolume(w, tous, 0, 255, 0, 1000);
    EXPECT_EQ(tous, (std::vector<point3>{point3(1, 0, 0)}));

    VolumeAnalyze vide(5, 0, 3);
    std::vector<point3> aucun;
    seuillerVolume(vide, aucun, -1, 256, 0, 1000);
    EXPECT_TRUE(aucun.empty());
}

TEST(AnalyzeDonneesReelles, PublishedValuesAndBothByteOrdersAgree)
{
    const std::string donnees = tarnis_test::sharedDataDir();
    if (donnees.empty())
        GTEST_SKIP() << "third-party data folder absent";
    const std::string dossier = donnees + "/volumes/";

    VolumeAnalyze irmf, irmfLe;
    ASSERT_TRUE(charger(irmf, dossier + "analyzefmri/example").ok);
    ASSERT_TRUE(charger(irmfLe, dossier + "derived/example_s16le").ok);
    EXPECT_TRUE(irmf.estInverse());
    EXPECT_FALSE(irmfLe.estInverse());
    EXPECT_EQ(std::vector<int>({irmf.dimX, irmf.dimY, irmf.dimZ}), std::vector<int>({64, 64, 21}));
    for (const auto &c : {std::vector<int>{29, 29, 9, 8046}, {29, 30, 9, 7552}, {38, 21, 9, 14553}})
        EXPECT_EQ(irmf.getVoxel(c[0], c[1], c[2]), c[3]);
    EXPECT_EQ(*std::max_element(irmf.voxels.begin(), irmf.voxels.end()), 14553);
    EXPECT_EQ(irmf.voxels, irmfLe.voxels);
}
