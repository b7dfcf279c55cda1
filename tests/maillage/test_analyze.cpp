// Analyze 7.5 volumes: header byte order, voxel types, refused files, grey levels and
// thresholding, checked against hand-built files, files written by nibabel and real data.
#include "VolumeAnalyze.h"
#include "support.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

using tarnis_test::captureStderr;
using tarnis_test::captureStdout;
using tarnis_test::readFile;
using tarnis_test::TempDir;
using tarnis_test::writeFile;

namespace {

// Byte-level writers, independent of the reader's own swapping.
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

std::string octets16(const std::vector<int> &valeurs, bool grand)
{
    std::string s(2 * valeurs.size(), '\0');
    for (std::size_t i = 0; i < valeurs.size(); ++i)
        poser(s, 2 * i, static_cast<std::uint16_t>(valeurs[i]), 2, grand);
    return s;
}

struct Paire
{
    TempDir dossier;
    std::string base;
    Paire(const std::string &hdr, const std::string &img) : base(dossier.file("vol"))
    {
        writeFile(base + ".hdr", hdr);
        writeFile(base + ".img", img);
    }
};

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

} // namespace

TEST(VolumeMemoire, BoundsOfSetAndGet)
{
    VolumeAnalyze v(3, 2, 4);
    EXPECT_EQ(v.voxels.size(), 24u);
    v.setVoxel(2, 1, 3, 77);
    EXPECT_EQ(v.getVoxel(2, 1, 3), 77);
    EXPECT_EQ(v.voxels[2 + 1 * 3 + 3 * 6], 77);
    for (int bord : {-1, 3})
        v.setVoxel(bord, 0, 0, 5);
    v.setVoxel(0, 2, 0, 5);
    v.setVoxel(0, 0, 4, 5);
    v.setVoxel(0, -1, 0, 5);
    std::vector<int> attendu(24, 0);
    attendu[23] = 77;
    EXPECT_EQ(valeurs(v), attendu);
    EXPECT_EQ(v.getVoxel(-1, 0, 0), 0);
    EXPECT_EQ(v.getVoxel(3, 0, 0), 0);
    EXPECT_EQ(v.getVoxel(0, 0, 4), 0);

    ASSERT_TRUE(v.allouer(2, 2, 2));
    EXPECT_EQ(valeurs(v), std::vector<int>(8, 0));

    // Impossible sizes are refused with a message instead of allocating.
    std::string erreurs = captureStderr([&] { EXPECT_FALSE(v.allouer(-1, 2, 2)); });
    EXPECT_EQ(erreurs, "Dimensions de volume invalides : -1 x 2 x 2\n");
    EXPECT_EQ(v.dimX, 0);
    erreurs = captureStderr([&] { EXPECT_FALSE(v.allouer(100000, 100000, 100000)); });
    EXPECT_EQ(erreurs, "Volume trop grand : 100000 x 100000 x 100000\n");
    EXPECT_TRUE(v.voxels.empty());
}

TEST(AnalyzeEntete, UnknownTypeIsLittleEndian16BitsAndSizesArePrinted)
{
    Paire p(entete({3, 2, 2, 1}, 0, 0, false), std::string("\x0a\x00\x14\x00\x1e\x00\x28\x00", 8));
    VolumeAnalyze v;
    const Chargement c = charger(v, p.base);
    ASSERT_TRUE(c.ok) << c.erreurs;
    EXPECT_EQ(c.sortie, "2\n2\n1\n");
    EXPECT_EQ(c.erreurs, "");
    EXPECT_EQ(v.getVoxel(0, 0, 0), 10);
    EXPECT_EQ(v.getVoxel(1, 0, 0), 20);
    EXPECT_EQ(v.getVoxel(0, 1, 0), 30);
    EXPECT_EQ(v.getVoxel(1, 1, 0), 40);
    EXPECT_FALSE(v.estInverse());
}

TEST(AnalyzeEntete, OtherByteOrderIsSwappedBeforeUse)
{
    const std::string h = entete({3, 2, 2, 1}, 0, 0, true);
    // Read as is, dim[0] would be 3 << 8.
    EXPECT_EQ(static_cast<unsigned char>(h[40]) | (static_cast<unsigned char>(h[41]) << 8), 768);
    // Type 0 keeps little-endian voxels whatever the header's order.
    Paire p(h, std::string("\x0a\x00\x14\x00\x1e\x00\x28\x01", 8));
    VolumeAnalyze v;
    const Chargement c = charger(v, p.base);
    ASSERT_TRUE(c.ok);
    EXPECT_TRUE(v.estInverse());
    EXPECT_EQ(c.sortie, "2\n2\n1\n");
    EXPECT_EQ(v.entete.sizeof_hdr, 348);
    EXPECT_EQ(valeurs(v), (std::vector<int>{10, 20, 30, 296}));
}

TEST(AnalyzeVoxels, TypesHonourTheHeaderAndItsByteOrder)
{
    for (bool grand : {false, true}) {
        SCOPED_TRACE(grand ? "big-endian" : "little-endian");
        {
            Paire p(entete({3, 4, 1, 1}, 2, 8, grand), std::string("\x00\x07\xff\x80", 4));
            VolumeAnalyze v;
            ASSERT_TRUE(charger(v, p.base).ok);
            EXPECT_EQ(valeurs(v), (std::vector<int>{0, 7, 255, 128}));
        }
        {
            Paire p(entete({3, 2, 2, 1}, 4, 16, grand), octets16({-3, 600, 32767, -32768}, grand));
            VolumeAnalyze v;
            ASSERT_TRUE(charger(v, p.base).ok);
            EXPECT_EQ(valeurs(v), (std::vector<int>{65533, 600, 32767, 32768}));
        }
        {
            Paire p(entete({3, 3, 1, 1}, 512, 16, grand), octets16({40000, 1, 65535}, grand));
            VolumeAnalyze v;
            ASSERT_TRUE(charger(v, p.base).ok);
            EXPECT_EQ(valeurs(v), (std::vector<int>{40000, 1, 65535}));
        }
        {
            // Voxels start at the header's offset.
            Paire p(entete({3, 2, 1, 1}, 4, 16, grand, 6), std::string(6, '\x55') + octets16({1, 2}, grand));
            VolumeAnalyze v;
            ASSERT_TRUE(charger(v, p.base).ok);
            EXPECT_EQ(valeurs(v), (std::vector<int>{1, 2}));
        }
    }
}

TEST(AnalyzeVoxels, WideAndRealTypesAreRoundedAndClampedWithAWarning)
{
    const std::vector<float> reels = {700.4f, 700.5f, -2.5f, 1e9f, -1e9f, NAN};
    std::string img32(4 * reels.size(), '\0'), img64(8 * reels.size(), '\0'), imgEntiers(16, '\0');
    for (std::size_t i = 0; i < reels.size(); ++i) {
        std::uint32_t b32;
        std::memcpy(&b32, &reels[i], 4);
        poser(img32, 4 * i, b32, 4, true);
        const double d = reels[i];
        std::uint64_t b64;
        std::memcpy(&b64, &d, 8);
        poser(img64, 8 * i, b64, 8, false);
    }
    const std::vector<int> entiers = {70000, -70000, 123, -5};
    for (std::size_t i = 0; i < entiers.size(); ++i)
        poser(imgEntiers, 4 * i, static_cast<std::uint32_t>(entiers[i]), 4, true);

    const auto motif = [](int v) { return static_cast<int>(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))); };
    const std::vector<int> attenduReels = {700, 701, motif(-3), 32767, motif(-32768), 0};

    struct Cas
    {
        std::string hdr, img;
        std::vector<int> attendu;
    };
    for (const Cas &c : {Cas{entete({3, 6, 1, 1}, 16, 32, true), img32, attenduReels},
                         Cas{entete({3, 6, 1, 1}, 64, 64, false), img64, attenduReels},
                         Cas{entete({3, 2, 2, 1}, 8, 32, true), imgEntiers,
                             {32767, motif(-32768), 123, motif(-5)}}}) {
        Paire p(c.hdr, c.img);
        VolumeAnalyze v;
        const Chargement r = charger(v, p.base);
        ASSERT_TRUE(r.ok) << r.erreurs;
        EXPECT_EQ(valeurs(v), c.attendu);
        EXPECT_EQ(r.erreurs, "Attention : voxels arrondis et bornés aux entiers 16 bits : " + p.base + "\n");
    }
}

TEST(AnalyzeRefus, MissingOrImpossibleFilesReturnFalseWithTheirMessage)
{
    TempDir dossier;
    const std::string base = dossier.file("rien");
    VolumeAnalyze v;
    Chargement c = charger(v, base);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.erreurs, "Impossible de charger le fichier Analyse : " + base + "\n");

    writeFile(base + ".img", "");
    c = charger(v, base);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.erreurs, "Can't open:<" + base + ".hdr>\n");

    writeFile(base + ".hdr", "");
    c = charger(v, base);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.erreurs, "En-tête Analyze vide : <" + base + ".hdr>\n");

    writeFile(base + ".hdr", std::string(100, '\0'));
    c = charger(v, base);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.erreurs, "En-tête Analyze incomplet (100 octets sur 348) : <" + base + ".hdr>\n");

    struct Cas
    {
        std::string hdr, img, message;
    };
    for (const Cas &k : {
             Cas{entete({3, -2, 2, 1}, 4, 16, false), std::string(8, '\0'), "Dimensions de volume invalides : -2 x 2 x 1\n"},
             Cas{entete({3, 2, 2, 1}, 4, 16, true), std::string(6, '\0'),
                 "Fichier image Analyze trop court : " + base + ".img (8 octets attendus, 6 présents)\n"},
             Cas{entete({3, 32767, 32767, 32767}, 2, 8, false), std::string(16, '\0'),
                 "Fichier image Analyze trop court : " + base + ".img (35181150961663 octets attendus, 16 présents)\n"},
             Cas{entete({3, 2, 1, 1}, 4, 16, false, 100), std::string(8, '\0'),
                 "Fichier image Analyze trop court : " + base + ".img (104 octets attendus, 8 présents)\n"},
             Cas{entete({3, 2, 1, 1}, 32, 64, false), std::string(16, '\0'),
                 "Type de voxel Analyze non pris en charge (32) : " + base + "\n"},
         }) {
        writeFile(base + ".hdr", k.hdr);
        writeFile(base + ".img", k.img);
        VolumeAnalyze w(2, 2, 2);
        c = charger(w, base);
        EXPECT_FALSE(c.ok);
        EXPECT_EQ(c.erreurs, k.message);
    }

    // A folder named like the image opens but holds no voxel.
    const std::string dossierImage = dossier.file("dossier");
    writeFile(dossierImage + ".hdr", entete({3, 2, 2, 1}, 4, 16, false));
    std::filesystem::create_directory(dossierImage + ".img");
    c = charger(v, dossierImage);
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.erreurs, "Fichier image Analyze trop court : " + dossierImage + ".img (8 octets attendus, 0 présents)\n");
}

TEST(NiveauDeGris, WindowMappingOnSignedValues)
{
    EXPECT_EQ(niveauDeGris(600, 0, 1000), 153);
    EXPECT_EQ(niveauDeGris(592, 0, 1000), 150);
    EXPECT_EQ(niveauDeGris(593, 0, 1000), 151);
    EXPECT_EQ(niveauDeGris(999, 0, 1000), 254);
    EXPECT_EQ(niveauDeGris(1000, 0, 1000), 255);
    EXPECT_EQ(niveauDeGris(0, 0, 1000), 0);
    EXPECT_EQ(niveauDeGris(40000, 0, 1000), 0);
    EXPECT_EQ(niveauDeGris(static_cast<std::uint16_t>(-50), static_cast<std::uint16_t>(-100), 100), 63);
    // An empty window gives definite levels: below 0, at it 255, above 255.
    EXPECT_EQ(niveauDeGris(499, 500, 500), 0);
    EXPECT_EQ(niveauDeGris(500, 500, 500), 255);
    EXPECT_EQ(niveauDeGris(501, 500, 500), 255);
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

TEST(Seuillage, LargeVolumeAgreesWithVoxelByVoxelMapping)
{
    // Over 65536 voxels, with every 16-bit value present.
    VolumeAnalyze v(256, 256, 2);
    for (std::size_t i = 0; i < v.voxels.size(); ++i)
        v.voxels[i] = static_cast<std::uint16_t>(i * 40503u);
    std::vector<point3> points;
    seuillerVolume(v, points, 20, 200, static_cast<std::uint16_t>(-1000), 30000);
    std::vector<point3> attendu;
    for (int z = 0; z < 2; ++z)
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const int g = niveauDeGris(v.getVoxel(x, y, z), static_cast<std::uint16_t>(-1000), 30000);
                if (g > 20 && g < 200)
                    attendu.emplace_back(x, y, z);
            }
    EXPECT_FALSE(attendu.empty());
    EXPECT_EQ(points, attendu);
}

namespace {

std::string pythonAvecNibabel()
{
    for (const char *py : {"/usr/bin/python3", "python3"})
        if (std::system((std::string(py) + " -c 'import nibabel, numpy' > /dev/null 2>&1").c_str()) == 0)
            return py;
    return "";
}

const char *const SCRIPT_NIBABEL = R"(
import sys, numpy as np, nibabel as nib
out = sys.argv[1]
rng = np.random.default_rng(1234)
a16 = rng.integers(-400, 1400, size=(9, 7, 5)).astype(np.int16)
a8 = rng.integers(0, 256, size=(6, 5, 4)).astype(np.uint8)
for nom, arr, dtype in (('s16', a16, np.int16), ('u8', a8, np.uint8)):
    for ordre, suffixe in (('<', 'le'), ('>', 'be')):
        h = nib.AnalyzeHeader(endianness=ordre)
        h.set_data_dtype(dtype)
        nib.save(nib.AnalyzeImage(arr, np.eye(4), header=h), '%s/%s_%s.img' % (out, nom, suffixe))
    with open('%s/%s.txt' % (out, nom), 'w') as f:
        f.write(' '.join(str(d) for d in arr.shape) + '\n')
        f.write(' '.join(str(int(v)) for v in arr.flatten(order='F')) + '\n')
# The default settings keep the values 593 to 999, listed x fastest.
with open('%s/points.txt' % out, 'w') as f:
    for z in range(a16.shape[2]):
        for y in range(a16.shape[1]):
            for x in range(a16.shape[0]):
                if 593 <= a16[x, y, z] <= 999:
                    f.write('%d %d %d\n' % (x, y, z))
)";

} // namespace

TEST(AnalyzeNibabel, BothByteOrdersGiveTheWrittenVoxelsAndPoints)
{
    const std::string py = pythonAvecNibabel();
    if (py.empty())
        GTEST_SKIP() << "python3 with nibabel and numpy is not installed";
    TempDir dossier;
    writeFile(dossier.file("ecrire.py"), SCRIPT_NIBABEL);
    ASSERT_EQ(std::system((py + " " + dossier.file("ecrire.py") + " " + dossier.path()).c_str()), 0);

    for (const char *nom : {"s16", "u8"}) {
        std::istringstream attendu(readFile(dossier.file(std::string(nom) + ".txt")));
        int nx, ny, nz;
        attendu >> nx >> ny >> nz;
        std::vector<int> voxels(static_cast<std::size_t>(nx * ny * nz));
        for (int &x : voxels) {
            attendu >> x;
            x = static_cast<std::uint16_t>(x);
        }
        ASSERT_TRUE(attendu) << nom;
        for (const char *ordre : {"le", "be"}) {
            SCOPED_TRACE(std::string(nom) + "_" + ordre);
            VolumeAnalyze v;
            const Chargement c = charger(v, dossier.file(std::string(nom) + "_" + ordre));
            ASSERT_TRUE(c.ok) << c.erreurs;
            EXPECT_EQ(c.sortie, std::to_string(nx) + "\n" + std::to_string(ny) + "\n" + std::to_string(nz) + "\n");
            EXPECT_EQ(v.estInverse(), std::string(ordre) == "be");
            EXPECT_EQ(valeurs(v), voxels);

            if (std::string(nom) == "s16") {
                std::vector<point3> points, lus;
                seuillerVolume(v, points, 150, 255, 0, 1000);
                std::istringstream liste(readFile(dossier.file("points.txt")));
                double x, y, z;
                while (liste >> x >> y >> z)
                    lus.emplace_back(x, y, z);
                EXPECT_FALSE(lus.empty());
                EXPECT_EQ(points, lus);
            }
        }
    }
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
    EXPECT_EQ(irmf.dimX, 64);
    EXPECT_EQ(irmf.dimY, 64);
    EXPECT_EQ(irmf.dimZ, 21);
    EXPECT_EQ(irmf.getVoxel(29, 29, 9), 8046);
    EXPECT_EQ(irmf.getVoxel(29, 30, 9), 7552);
    EXPECT_EQ(irmf.getVoxel(30, 29, 9), 7984);
    EXPECT_EQ(irmf.getVoxel(32, 33, 9), 13735);
    EXPECT_EQ(irmf.getVoxel(39, 39, 9), 6834);
    EXPECT_EQ(*std::max_element(irmf.voxels.begin(), irmf.voxels.end()), 14553);
    EXPECT_EQ(irmf.getVoxel(38, 21, 9), 14553);
    EXPECT_EQ(irmf.voxels, irmfLe.voxels);

    VolumeAnalyze t1, t1Le;
    ASSERT_TRUE(charger(t1, dossier + "spm99/single_subj_T1").ok);
    ASSERT_TRUE(charger(t1Le, dossier + "derived/single_subj_T1_s16le").ok);
    EXPECT_EQ(t1.voxels.size(), 91u * 109u * 91u);
    EXPECT_EQ(t1.voxels, t1Le.voxels);

    VolumeAnalyze reel;
    const Chargement c = charger(reel, dossier + "analyzefmri/test.array");
    ASSERT_TRUE(c.ok);
    EXPECT_NE(c.erreurs.find("Attention"), std::string::npos);
    bool toutJuste = true;
    for (int z = 0; z < 10; ++z)
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                toutJuste = toutJuste && reel.getVoxel(x, y, z) == 1 + x + 10 * y + 100 * z;
    EXPECT_TRUE(toutJuste);

    // The brain mask: its surface makes a sizeable cloud inside the volume.
    VolumeAnalyze masque;
    ASSERT_TRUE(charger(masque, dossier + "spm99/brainmask").ok);
    std::vector<point3> points;
    seuillerVolume(masque, points, 100, 200, 0, 255);
    EXPECT_GT(points.size(), 1000u);
}
