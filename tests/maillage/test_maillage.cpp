// The mesh and cloud container and its files. OFF and OBJ triangle meshes: exact bytes written,
// round trips, the console lines, files as other tools write them, short files and faces outside
// the vertex list; folders and pipes refused without blocking. PTS point clouds: exact bytes
// written, values read as the C library reads them, short and refused files, and the kd-tree
// built over the cloud. The container: box and centre, edge lookup, points of interest, and the
// sharing of the kd-tree and centre between copies. Analyze 7.5 volumes: header byte order, voxel
// types, refused files, grey levels and thresholding, checked against files built byte by byte
// here and against real data.
#include "Boite.h"
#include "Maillage.h"
#include "MaillageTexte.h"
#include "NuageCommun.h"
#include "NuageDeSurface.h"
#include "Ouverture.h"
#include "Simplex.h"
#include "VolumeAnalyze.h"
#include "VolumeReel.h"
#include "kdtree.h"
#include "support.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <iomanip>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <tuple>
#include <vector>

using namespace tarnis_test;

// Found by argument lookup: Face lives in the global namespace.
static bool operator==(const Face &a, const Face &b)
{
    return a.s1 == b.s1 && a.s2 == b.s2 && a.s3 == b.s3;
}
static std::ostream &operator<<(std::ostream &os, const Face &f)
{
    return os << "[" << f.s1 << " " << f.s2 << " " << f.s3 << "]";
}

namespace {

/// Runs f with both streams captured.
template <class F> void silence(F f)
{
    captureStderr([&] { captureStdout(f); });
}

// Byte-level writer, independent of the reader's own swapping.
void poser(std::string &s, std::size_t pos, std::uint64_t v, int octets, bool grand)
{
    for (int i = 0; i < octets; ++i)
        s[pos + static_cast<std::size_t>(grand ? octets - 1 - i : i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The bits of a float (U = uint32) or of a double (U = uint64).
template <class U, class T> std::uint64_t bits(T f)
{
    U b;
    std::memcpy(&b, &f, sizeof b);
    return b;
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
    poser(h, 84, bits<std::uint32_t>(3.0f), 4, grand); // pixdim[2]; none along x and z
    poser(h, 108, bits<std::uint32_t>(decalage), 4, grand);
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

bool depuisMemoire(VolumeAnalyze &v, const std::string &entete, const std::string &image)
{
    bool ok = false;
    captureStderr([&] {
        captureStdout([&] {
            ok = v.chargerDepuisMemoire(reinterpret_cast<const unsigned char *>(entete.data()), entete.size(),
                                        reinterpret_cast<const unsigned char *>(image.data()), image.size(), "vol");
        });
    });
    return ok;
}

std::vector<int> valeurs(const VolumeAnalyze &v)
{
    return std::vector<int>(v.voxels.begin(), v.voxels.end());
}

/// Reads the text as a PTS, OFF or OBJ file (by the suffix); returns what was said on standard output.
std::string lire(Maillage &m, const std::string &texte, const std::string &suffixe = "pts", bool attendu = true)
{
    TempDir dossier;
    const std::string chemin = dossier.file("m." + suffixe);
    writeFile(chemin, texte);
    return captureStdout([&] {
        EXPECT_EQ(suffixe == "pts"   ? m.lecture_pt_interet(chemin)
                  : suffixe == "off" ? m.chargerOFF(chemin)
                                     : m.chargerOBJ(chemin),
                  attendu)
            << texte;
    });
}

const std::vector<point3> SOMMETS = {point3(0, 0, 0), point3(1.5, 0, 0), point3(0, 1234567, 0), point3(-0.25, 1e-7, 2)};
const std::vector<Face> FACES = {Face{0, 1, 2}, Face{0, 3, 1}, Face{1, 3, 2}, Face{2, 3, 0}};

} // namespace

TEST(MeshEcriture, ExactBytesReadBackAndUncreatableFiles)
{
    TempDir dossier;
    Maillage m(SOMMETS, FACES);
    ASSERT_TRUE(m.exporterOFF(dossier.file("a.off")));
    EXPECT_EQ(readFile(dossier.file("a.off")), "OFF\n4 4 0\n0 0 0\n1.5 0 0\n0 1.23457e+06 0\n-0.25 1e-07 2\n"
                                               "3 0 1 2\n3 0 3 1\n3 1 3 2\n3 2 3 0\n");
    // The header tells the counters, not the list sizes.
    m.nbSommets = 9;
    m.nbAretes = 6;
    ASSERT_TRUE(m.exporterOFF(dossier.file("b.off")));
    EXPECT_EQ(readFile(dossier.file("b.off")).substr(0, 10), "OFF\n9 4 6\n");
    // Read back with the six digits written; written again, the third header number is the face
    // size read last and the others the counts read.
    Maillage r;
    lire(r, readFile(dossier.file("a.off")), "off");
    EXPECT_EQ(r.listeFaces, FACES);
    ASSERT_EQ(r.listeSommets.size(), 4u);
    EXPECT_EQ(r.listeSommets[2], point3(0, 1234570, 0));
    EXPECT_EQ(r.centre, point3(1.25 / 4, (1234570 + 1e-7) / 4, 0.5));
    ASSERT_TRUE(r.exporterOFF(dossier.file("u.off")));
    EXPECT_EQ(readFile(dossier.file("u.off")).substr(0, 10), "OFF\n4 4 3\n");

    Maillage o(SOMMETS, {Face{0, 1, 2}, Face{3, 2, 1}});
    ASSERT_TRUE(o.exporterOBJ(dossier.file("a.obj")));
    EXPECT_EQ(readFile(dossier.file("a.obj")), "#\n#  OBJ generated by VELMORAXE\n#\n\n"
                                               "v 0 0 0\nv 1.5 0 0\nv 0 1.23457e+06 0\nv -0.25 1e-07 2\n"
                                               "f 1 2 3 \nf 4 3 2 \n\n");
    const std::string grand(3 << 20, 'x'); // longer than the writer's buffer: straight to the file, in its place
    std::FILE *f = std::fopen(dossier.file("t").c_str(), "wb");
    EXPECT_TRUE(tarnis_texte::Ecrivain(f).texte("<").texte(grand.c_str()).texte(">").vider());
    EXPECT_TRUE(std::fclose(f) == 0 && readFile(dossier.file("t")) == "<" + grand + ">");
    // A device that takes nothing: the failure shows when the buffer is handed over.
    if (std::FILE *plein = std::fopen("/dev/full", "wb")) {
        EXPECT_FALSE(tarnis_texte::Ecrivain(plein).texte("x").vider());
        std::fclose(plein);
    }

    // Refused silently: the caller reports it.
    std::string sortie;
    const std::string erreurs = captureStderr([&] {
        sortie = captureStdout([&] {
            EXPECT_FALSE(m.exporterOFF(dossier.file("absent/a.off")));
            EXPECT_FALSE(m.exporterOBJ(dossier.file("absent/a.obj")));
            EXPECT_FALSE(m.exporterOFF(dossier.path()));
        });
    });
    EXPECT_EQ(sortie + erreurs, "");
}

TEST(OffLecture, VariantsShortFilesAndFacesOutsideTheList)
{
    // Text, vertices and faces read, and lines said.
    const std::tuple<std::string, std::size_t, std::vector<Face>, std::vector<std::string>> cas[] = {
        {"OFF trailing comment\n3\n  1\n\n 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n", 3, {{0, 1, 2}}, {}},
        // A four-sided face is split as a fan round its first corner.
        {"OFF\n4 2 0\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n4 0 1 2 3\n3 0 2 1\n", 4, {{0, 1, 2}, {0, 2, 3}, {0, 2, 1}}, {}},
        {"OFF\r\n3 1 0\r\n0 0 0\r\n1 0 0\r\n0 1 0\r\n3 0 1 2\r\n", 3, {{0, 1, 2}}, {}},
        {"OFF\n4 1 0\n0 0 0\n1 0 0\n", 2, {},
         {"Fichier incomplet : 4 sommets annoncés, 2 lus\n", "Fichier incomplet : 1 faces annoncées, 0 lues\n"}},
        // A word where a number belongs stops the reading; the complete faces before it stay.
        {"OFF\n3 3 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n3 0 two 1\n3 2 1 0\n", 3, {{0, 1, 2}},
         {"Fichier incomplet : 3 faces annoncées, 1 lues\n"}},
        {"OFF\n# made by hand\n3 1 0 # counts\n0 0 0\n1 0 0 # a vertex\n0 1 0\n#\n3 0 1 2\n", 3, {{0, 1, 2}}, {}},
        {"OFF\n+3 +1 0\n0 0 0\n1 0 0\n0 1 0\n+3 0 1 +2\n", 3, {{0, 1, 2}}, {}}, // signed counts and indices
        // Huge announced counts do not allocate.
        {"OFF\n2000000000 2000000000 0\n0 0 0\n1 0 0\n0 1 0\n", 3, {}, {}},
        {"OFF\n3 5 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n3 0 1 3\n3 -1 0 1\n3 2 1 0\n3 0 2147483647 1\n", 3,
         {{0, 1, 2}, {2, 1, 0}}, {"Faces refusées (indice de sommet hors de la liste des sommets) : 3\n"}},
    };
    for (const auto &[texte, sommets, faces, messages] : cas) {
        Maillage m;
        const std::string sortie = lire(m, texte, "off");
        EXPECT_EQ(m.listeSommets.size(), sommets) << texte;
        EXPECT_EQ(m.nbSommets, int(sommets)) << texte;
        EXPECT_EQ(m.listeFaces, faces) << texte;
        EXPECT_EQ(m.nbFaces, int(faces.size())) << texte;
        EXPECT_LT(m.listeSommets.capacity(), 1000u);
        for (const std::string &message : messages)
            EXPECT_NE(sortie.find(message), std::string::npos) << sortie;
    }
    // Refused files: the lists are emptied, the counters stay.
    for (const char *texte : {"COFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n", "NOFF\n", "", "of\n", "3 1 0\n"}) {
        Maillage m(SOMMETS, FACES);
        EXPECT_EQ(lire(m, texte, "off", false), "Format incorrect\n") << texte;
        EXPECT_TRUE(m.listeSommets.empty() && m.listeFaces.empty()) << texte;
        EXPECT_EQ(std::make_pair(m.nbSommets, m.nbFaces), std::make_pair(4, 4)) << texte;
    }
    Maillage m;
    EXPECT_EQ(captureStdout([&] { EXPECT_FALSE(m.chargerOFF("/nonexistent/x.off")); }), "Format incorrect\n");
}

// Indices outside the list (0 is no index; negative ones count back from the last vertex) are
// refused and counted; the other faces stay.
TEST(ObjLecture, RoundTripAndFacesOutsideTheListCounted)
{
    Maillage hors;
    const std::string refus = lire(
        hors, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf -1 -2 -3\nf 0 1 2\nf 2 3 4\nf 3 2 1\nf 1 2 -2147483648\n", "obj");
    EXPECT_EQ(hors.listeFaces, (std::vector<Face>{{0, 1, 2}, {2, 1, 0}, {2, 1, 0}}));
    EXPECT_EQ(hors.nbFaces, 3);
    EXPECT_NE(refus.find("Faces refusées (indice de sommet hors de la liste des sommets) : 2\n"), std::string::npos);

    TempDir dossier;
    std::mt19937 gen(4);
    std::uniform_int_distribution<int> d(-4000, 4000), idx(0, 299);
    std::vector<point3> sommets;
    for (int i = 0; i < 300; ++i)
        sommets.emplace_back(d(gen) / 4.0, d(gen) / 2.0, d(gen)); // six digits suffice
    std::vector<Face> faces;
    for (int i = 0; i < 500; ++i)
        faces.push_back(Face{idx(gen), idx(gen), idx(gen)});
    ASSERT_TRUE(Maillage(sommets, faces).exporterOBJ(dossier.file("r.obj")));
    Maillage m;
    const std::string sortie = captureStdout([&] { EXPECT_TRUE(m.chargerOBJ(dossier.file("r.obj"))); });
    std::ostringstream os;
    os << "Valeur centre maillage=" << m.centre << "\nValeur min de la boite englobante=" << m.boiteMin
       << "\nValeur max de la boite englobante=" << m.boiteMax << "\nchargement termine!\n";
    EXPECT_EQ(sortie, os.str());
    EXPECT_EQ(m.listeSommets, sommets);
    EXPECT_EQ(m.listeFaces, faces);
}

TEST(MeshLecture, RealFilesAgreeWithTheirPointFiles)
{
    const std::string donnees = tarnis_test::sharedDataDir();
    if (donnees.empty())
        GTEST_SKIP() << "third-party data folder absent";
    // Each mesh beside its vertices as a cloud (same name, .pts).
    for (const auto &[fichier, sommets, faces] :
         {std::tuple<std::string, std::size_t, std::size_t>{"bunny.off", 3485, 6966},
          {"armadillo.obj", 43243, 86482}}) {
        const std::string nom = donnees + "/meshes/libigl/" + fichier;
        Maillage m, nuage;
        captureStdout([&] {
            EXPECT_TRUE(nom.substr(nom.size() - 3) == "off" ? m.chargerOFF(nom) : m.chargerOBJ(nom));
            EXPECT_TRUE(nuage.lecture_pt_interet(nom.substr(0, nom.size() - 3) + "pts"));
        });
        EXPECT_EQ(m.listeSommets.size(), sommets) << fichier;
        EXPECT_EQ(m.listeFaces.size(), faces) << fichier;
        // The vertices are the cloud's points, one for one, in double precision both.
        EXPECT_TRUE(m.listeSommets == nuage.ListePointsInterets) << fichier;
    }
}

TEST(FichiersSauvages, ObjAndOffConstructsOfOtherTools)
{
    const std::string v = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n", o = "0 0 0\n1 0 0\n1 1 0\n0 1 0\n";
    const struct
    {
        const char *nom;
        std::string texte;
        std::vector<Face> faces;
        const char *refus; ///< part of the reason; null when read whole
    } cas[] = {
        {"a.obj", "mtllib m.mtl\nusemtl r\ns off\ng default\no x\n" + v + "f 1//1 2//2 3//3\n", {{0, 1, 2}}, nullptr},
        {"b.obj", v + "vt 0 0\nf 1/1 2/1 3/1\nvt 1 0\nvn 0 0 1\nvp 1\nl 1 2\nf 1/2/1 3/2/1 4/1/1\n",
         {{0, 1, 2}, {0, 2, 3}}, nullptr},
        {"c.obj", "#" + std::string(5000, 'c') + "\n" + v + "f 1 2 3 4\nf -4 -3 -1\n",
         {{0, 1, 2}, {0, 2, 3}, {0, 1, 3}}, nullptr},
        {"d.obj", v + "f 1 2\nf 2 3 4\nf 1 2 x\nf 1 2 3x\n", {{1, 2, 3}}, "face de moins de trois sommets ligne 5"},
        {"a.off", "OFF 4 2 0\n" + o + "3 0 1 2\n4 0 1 2 3 255 0 0\n", {{0, 1, 2}, {0, 1, 2}, {0, 2, 3}}, nullptr},
        {"b.off", "OFF\n4 2 0\n" + o + "2 0 1\n3 0 1 2\n", {}, "face de 2 sommets (trois au moins) ligne 7"},
    };
    TempDir t;
    for (const auto &c : cas) {
        writeFile(t.file(c.nom), c.texte);
        Maillage m;
        Resultat r;
        silence([&] { r = std::strstr(c.nom, ".off") ? m.lireOFF(t.file(c.nom)) : m.lireOBJ(t.file(c.nom)); });
        EXPECT_EQ(m.listeFaces, c.faces) << c.nom;
        EXPECT_EQ(r.reussi(), c.refus == nullptr) << c.nom << " " << r.texte();
        if (c.refus) {
            EXPECT_NE(r.texte().find(t.file(c.nom) + " » incomplet : " + c.refus), std::string::npos) << r.texte();
        }
    }
}

// Real files from modellers: the triangles of a fan, the corners of each face less two.
TEST(FichiersSauvages, EveryObjFileOfTheModellersIsReadWhole)
{
    const std::string dossier = sharedDataDir() + "/meshes/common3d";
    std::vector<std::string> reels;
    std::error_code e;
    for (const auto &f : std::filesystem::directory_iterator(dossier, e))
        if (f.path().extension() == ".obj")
            reels.push_back(f.path().filename().string());
    if (reels.empty())
        GTEST_SKIP() << "no OBJ file in " << dossier;
    for (const std::string &nom : reels) {
        std::ifstream in(dossier + "/" + nom);
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
        silence([&] { EXPECT_TRUE(m.lireOBJ(dossier + "/" + nom).reussi()); });
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
        const std::string raison = lu.get().texte();
        EXPECT_NE(raison.find("« " + chemin + " » est un"), std::string::npos) << raison;
        EXPECT_NE(raison.find(", pas un fichier"), std::string::npos) << raison;
    }
    // A count that cannot be read leaves none, not the one of an earlier cloud.
    Maillage m;
    m.nbPointsInterets = 77;
    writeFile(t.file("c.pts"), "PTS\nx\n1 2 3\n");
    silence(
        [&] { EXPECT_NE(m.lirePTS(t.file("c.pts")).texte().find("« x » n'est pas un nombre"), std::string::npos); });
    EXPECT_EQ(m.nbPointsInterets, 0);
}

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

TEST(PtsLecture, DoublePrecisionValuesAsTheCLibraryReadsThemInAnyLayout)
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
    std::vector<point3> attendu;
    for (std::size_t i = 0; i < jetons.size(); i += 3)
        attendu.emplace_back(std::strtod(jetons[i].c_str(), nullptr), std::strtod(jetons[i + 1].c_str(), nullptr),
                             std::strtod(jetons[i + 2].c_str(), nullptr));
    EXPECT_EQ(m.ListePointsInterets, attendu);
    EXPECT_EQ(m.nbPointsInterets, 1000);
}

// The reader by blocks is taken only for data that starts with three numbers on one line (the
// others go to the reader that follows the line breaks): signs, points and blanks as the reader
// takes them, nothing else.
TEST(PtsLecture, TheBlockReaderIsTakenOnlyForThreeNumbersOnTheFirstLine)
{
    for (const std::string t : {"1 2 3\n4 5 6\n", "  -1.5\t+2 .5e3\r\n7 8 9\n", "1 2 3", "-0 -0 -0\n", "1e3 2 3 4\n"})
        EXPECT_TRUE(tarnis_nuage::debutPTSRegulier(t.data(), t.data() + t.size())) << t;
    for (const std::string t : {"1 2\n3\n", "1 2 3x\n", "a 1 2\n", "", "+-1 2 3\n", "- 1 2 3\n", "1 2 -\n", "\n1 2 3\n"})
        EXPECT_FALSE(tarnis_nuage::debutPTSRegulier(t.data(), t.data() + t.size())) << t;
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
    // The last two points across two lines: the file is read token by token, not by blocks of lines.
    texte += std::string(1 << 21, '0') + "1.5 2\n3 4 5 6\n";
    Maillage parFichier, enMemoire;
    lire(parFichier, texte);
    captureStdout([&] { EXPECT_TRUE(enMemoire.lecturePTSDepuisTexte(texte.data(), texte.size())); });
    ASSERT_EQ(parFichier.ListePointsInterets.size(), 200002u);
    EXPECT_EQ(parFichier.ListePointsInterets, enMemoire.ListePointsInterets);
    EXPECT_EQ(parFichier.ListePointsInterets[200000], point3(1.5, 2, 3));
    EXPECT_EQ(parFichier.ListePointsInterets[200001], point3(4, 5, 6));
}

TEST(LecteurTexte, NumbersAcrossWindowsOfAFewBytesAreReadWhole)
{
    // Every number here is longer than the 3-byte window, with signs, points and exponents.
    const std::string texte = "  -12.5e+3 7\t+0.25\n1234567.875 -.5E-2 98765";
    std::FILE *f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(texte.data(), 1, texte.size(), f), texte.size());
    std::rewind(f);
    tarnis_texte::Lecteur parFenetres(f, 3);
    std::vector<double> lus;
    double v = 0;
    while (parFenetres.lireDouble(v))
        lus.push_back(v);
    std::fclose(f);
    EXPECT_EQ(lus, (std::vector<double>{-12500, 7, 0.25, 1234567.875, -0.005, 98765}));
}

TEST(PtsLecture, RefusedAndShortFilesKeepWhatIsThereAndSaySo)
{
    const std::string incorrect = "Erreur dans la fonction lecture_pt_interet\nFormat incorrect\n";
    // Text, outcome, points read and lines said.
    const std::tuple<std::string, bool, std::vector<point3>, std::string> cas[] = {
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
        {"PTS\n2000000000\n1 2 3\n4 5 6\n", true, {{1, 2, 3}, {4, 5, 6}},
         "Fichier incomplet : 2000000000 points annoncés, 2 lus\n"},
        // More points than announced: only the announced ones, silently.
        {"PTS\n1\n1 2 3\n4 5 6\n", true, {{1, 2, 3}}, ""},
    };
    for (const auto &[texte, ok, points, sortie] : cas) {
        Maillage m;
        // What was there before a refused file stays.
        m.ListePointsInterets = {point3(9, 9, 9)};
        m.nbPointsInterets = 1;
        std::vector<point3> attendu = {point3(9, 9, 9)};
        attendu.insert(attendu.end(), points.begin(), points.end());
        EXPECT_EQ(lire(m, texte, "pts", ok), sortie) << texte;
        EXPECT_EQ(m.ListePointsInterets, attendu) << texte;
        EXPECT_LT(m.ListePointsInterets.capacity(), 1000u);
        if (!points.empty()) {
            EXPECT_EQ(kd_size(m.kd.get()), attendu.size()) << texte;
        }
    }
    TempDir dossier;
    Maillage m;
    for (const std::string &chemin : {dossier.file("absent.pts"), dossier.path()})
        EXPECT_EQ(captureStdout([&] { EXPECT_FALSE(m.lecture_pt_interet(chemin)); }),
                  "Impossible de charger le fichier des points d interet\n");
}

// The reader reads what the count announces; what lies beyond is counted for its callers, the
// points of the count's line are named, a negative OFF count is refused with its line.
TEST(LectureComptes, BeyondTheCountOnItsLineAndNegative)
{
    TempDir d;
    const std::string f = d.file("n.pts"), o = d.file("n.off");
    const std::tuple<std::string, std::size_t, long long> cas[] = {
        {"PTS\n1\n1 2 3\n4 5 6\n7 8 9\n", 1, 2}, {"PTS\n0\n1 2 3\n4 5 6\n7 8\n", 0, 3}, {"PTS\n2\n1 2 3\n4 5 6\n", 2, 0},
        {"PTS\n1 7 8 9\n1 2 3\n", 1, 1}};
    Maillage m;
    Resultat r;
    for (const auto &[texte, lus, auDela] : cas) {
        ASSERT_TRUE(writeFile(f, texte));
        captureStdout([&] { r = ouvrirNuage(f, m); });
        if (lus == 0) { // nothing within the count: refused, as the console tool refuses it
            EXPECT_EQ(r.statut, Statut::NuageIllisible) << texte;
            EXPECT_NE(r.texte().find("annonce 0 points (ligne 2) mais en contient 3 de plus"), std::string::npos)
                << r.texte();
            EXPECT_TRUE(m.ListePointsInterets.empty());
            continue;
        }
        EXPECT_TRUE(r.reussi() && m.ListePointsInterets.size() == lus && m.pointsAuDela == auDela) << texte;
    }
    // The progress said on the way stays a share of the work, by either reader (a file with
    // fewer points than it announces goes to the one that reads token by token).
    for (const char *texte : {"PTS\n2\n1 2 3\n4 5 6\n", "PTS\n3\n1 2 3\n4 5 6\n"}) {
        std::vector<double> parts;
        ASSERT_TRUE(writeFile(f, texte));
        Maillage lu;
        captureStdout([&] { r = lu.lirePTS(f, [&](double x, const Raison &) { return parts.push_back(x), true; }); });
        EXPECT_TRUE(lu.ListePointsInterets.size() == 2 && !parts.empty()) << texte;
        EXPECT_TRUE(std::all_of(parts.begin(), parts.end(), [](double x) { return x >= 0 && x <= 1; })) << texte;
    }
    ASSERT_TRUE(writeFile(f, "PTS\n2 1 2 3\n4 5 6\n"));
    captureStdout([&] { r = m.lirePTS(f); });
    EXPECT_NE(r.texte().find("1 lus ; la lecture s'est arrêtée ligne 4 (point 2) : le fichier s'arrête là ; « 1 2 3 », "
                             "après le nombre de points sur la ligne 2, n'est pas lu : les points commencent ligne 3"),
              std::string::npos);
    ASSERT_TRUE(writeFile(o, "OFF\n# comment\n3 -1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n"));
    captureStdout([&] { r = m.lireOFF(o); });
    EXPECT_EQ(r.texte(), "« " + o + " », ligne 3 : nombre de faces négatif (-1)");
    EXPECT_TRUE(r.statut == Statut::MaillageIllisible && m.listeSommets.empty());
}

TEST(PtsLecture, ZeroPointsLeaveTheCentreAndReadingAppendsToACloudTheTreeHoldsExactly)
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

    // The tree holds exactly the cloud: points that were in it before the cloud was emptied
    // do not survive a load, and each point read is found where it is.
    TempDir dossier;
    const std::string chemin = dossier.file("j.pts");
    m.viderPointsInterets();
    kd_insert3(m.kd.get(), 100, 100, 100, nullptr);
    std::mt19937 gen(9);
    std::uniform_real_distribution<double> u(-10, 10);
    std::vector<point3> pts;
    for (int i = 0; i < 3000; ++i)
        pts.emplace_back(u(gen) * std::pow(10.0, std::round(u(gen) * 0.8)), u(gen), std::round(u(gen) * 1e6));
    ASSERT_TRUE(exporterPTS(chemin, pts));
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

TEST(MaillageBoite, BuiltFromListsMatchesBruteForceSilentlyAndEmptyListsSaySo)
{
    std::mt19937 gen(1);
    std::uniform_real_distribution<double> u(-50, 50);
    std::vector<point3> sommets;
    for (int i = 0; i < 500; ++i)
        sommets.emplace_back(u(gen), u(gen), u(gen));
    std::vector<Face> faces(7);

    std::unique_ptr<Maillage> m;
    const std::string sortie = captureStdout([&] { m = std::make_unique<Maillage>(sommets, faces); });
    EXPECT_EQ(sortie, "");
    EXPECT_EQ(std::make_pair(m->nbSommets, m->nbFaces), std::make_pair(500, 7));

    point3 somme, mini = sommets[0], maxi = sommets[0];
    for (const point3 &s : sommets) {
        somme += s;
        mini = point3(std::min(mini.x, s.x), std::min(mini.y, s.y), std::min(mini.z, s.z));
        maxi = point3(std::max(maxi.x, s.x), std::max(maxi.y, s.y), std::max(maxi.z, s.z));
    }
    EXPECT_EQ((std::vector<point3>{m->boiteMin, m->boiteMax, m->centre}),
              (std::vector<point3>{mini, maxi, somme / 500.0}));

    Maillage un({point3(3, -1, 2)}, {});
    EXPECT_EQ((std::vector<point3>{un.boiteMin, un.boiteMax, un.centre}), std::vector<point3>(3, point3(3, -1, 2)));

    std::unique_ptr<Maillage> vide;
    const std::string erreurs =
        captureStderr([&] { vide = std::make_unique<Maillage>(std::vector<point3>{}, std::vector<Face>{}); });
    EXPECT_NE(erreurs.find("point3/reel"), std::string::npos) << erreurs;
    EXPECT_EQ(vide->centre, point3(0, 0, 0));
    EXPECT_EQ(std::make_pair(vide->nbSommets, vide->nbFaces), std::make_pair(0, 0));
}

TEST(MaillageAretes, FirstEdgeInEitherOrder)
{
    Maillage m;
    EXPECT_EQ(m.chercherArete(3, 5), -1);
    m.listeAretes = {Arete{1, 2, 0, 1}, Arete{3, 5, 0, -1}, Arete{5, 3, 2, 3}};
    for (const auto &[a, b, i] : {std::array<int, 3>{3, 5, 1}, {5, 3, 1}, {2, 1, 0}, {1, 3, -1}, {5, 5, -1}})
        EXPECT_EQ(m.chercherArete(a, b), i) << a << " " << b;
}

// A large cloud's centre is taken by slices on every core: it is the one a single pass over the
// list gives, NaN coordinates included (one at the very start sticks, any other is passed over).
TEST(MaillagePointsInterets, TheCentreOfALargeCloudIsTheSinglePassOne)
{
    std::vector<point3> nuage;
    for (int i = 0; i < 100000; ++i)
        nuage.push_back(point3(i * 1e-3 + std::sin(i), std::cos(i * 0.7) - 8, -i * 1e-3)); // extremes at the end
    const double nan = std::nan("");
    auto unePasse = [](const std::vector<point3> &v) { return boiteDe(v, [](const point3 &p) { return p; }, true).centre(); };
    auto memes = [](const point3 &a, const point3 &b) {
        return std::memcmp(&a.x, &b.x, sizeof a.x) == 0 && std::memcmp(&a.y, &b.y, sizeof a.y) == 0 &&
               std::memcmp(&a.z, &b.z, sizeof a.z) == 0;
    };
    Maillage m;
    for (int cas = 0; cas < 3; ++cas) {
        std::vector<point3> v = nuage;
        if (cas == 1) // NaN points through the list, where the slices of any even thread count start
            for (std::size_t i = 625; i < v.size(); i += 625)
                v[i].x = nan;
        if (cas == 2)
            v[0].y = nan;
        m.ListePointsInterets = v;
        m.calculerCentrePointsInterets();
        EXPECT_TRUE(memes(*m.centrePointsInterets, unePasse(v))) << "cas " << cas;
    }
    EXPECT_TRUE(std::isnan(m.centrePointsInterets->y));
}

TEST(MaillagePointsInterets, CentreUsesSinglePrecisionBoxAndTranslationOneAxis)
{
    Maillage m;
    m.calculerCentrePointsInterets();
    EXPECT_EQ(*m.centrePointsInterets, point3(0, 0, 0));
    m.ListePointsInterets = {point3(0.1, -3, 5), point3(0.1, 7, -5), point3(0.1, 0, 0)};
    m.calculerCentrePointsInterets();
    EXPECT_EQ(*m.centrePointsInterets, point3(static_cast<double>(0.1f), 2, 0));
    // Emptying the cloud leaves the last centre.
    m.viderPointsInterets();
    EXPECT_TRUE(m.ListePointsInterets.empty());
    m.calculerCentrePointsInterets();
    EXPECT_EQ(*m.centrePointsInterets, point3(static_cast<double>(0.1f), 2, 0));

    m.ListePointsInterets = {point3(1, 1, 1), point3(-2, 0, 3)};
    m.translaterPointsInterets('y', 2);
    EXPECT_EQ(m.ListePointsInterets, (std::vector<point3>{point3(1, 3, 1), point3(-2, 2, 3)}));
    m.translaterPointsInterets('x', -1);
    m.translaterPointsInterets('z', 0.5);
    for (char autre : {'w', 'X'})
        m.translaterPointsInterets(autre, 100);
    EXPECT_EQ(m.ListePointsInterets, (std::vector<point3>{point3(0, 3, 1.5), point3(-3, 2, 3.5)}));
}

TEST(MaillageCopie, SharesTreeAndCentreButNotLists)
{
    std::weak_ptr<kd_tree> arbre;
    std::weak_ptr<point3> centre;
    {
        Maillage copie;
        {
            Maillage source;
            source.ListePointsInterets = {point3(1, 2, 3)};
            copie = source;
            EXPECT_EQ(copie.kd.get(), source.kd.get());
            EXPECT_EQ(copie.centrePointsInterets.get(), source.centrePointsInterets.get());
            ASSERT_EQ(kd_insert3(source.kd.get(), 4, 5, 6, nullptr), 0);

            source.ListePointsInterets.push_back(point3(7, 7, 7));
            EXPECT_EQ(copie.ListePointsInterets.size(), 1u);
            source.calculerCentrePointsInterets();
            EXPECT_EQ(*copie.centrePointsInterets, point3(4, 4.5, 5));

            Maillage construite(source);
            EXPECT_EQ(construite.kd.get(), source.kd.get());
            arbre = source.kd;
            centre = source.centrePointsInterets;
        }
        // The source is gone; the copy still uses the same tree.
        EXPECT_FALSE(arbre.expired());
        EXPECT_EQ(kd_size(copie.kd.get()), 1u);
        ASSERT_TRUE(copie.construireKd().reussi());
        EXPECT_EQ(kd_size(copie.kd.get()), 1u);
    }
    EXPECT_TRUE(arbre.expired());
    EXPECT_TRUE(centre.expired());
}

TEST(VolumeMemoire, BoundsOfSetAndGetAndImpossibleSizes)
{
    VolumeAnalyze v(3, 2, 4);
    v.setVoxel(2, 1, 3, 77);
    EXPECT_EQ(v.getVoxel(2, 1, 3), 77);
    v.setVoxel(0, 1, 0, 9); // where (3, 0, 0) would land if the bounds let it through
    v.setVoxel(1, 0, 2, 4);
    EXPECT_TRUE(v.getVoxel(0, 1, 0) == 9 && v.getVoxel(1, 0, 2) == 4) << "a coordinate of 0 is inside";
    for (const auto &p : {std::vector<int>{-1, 0, 0}, {3, 0, 0}, {0, 2, 0}, {0, 0, 4}, {0, -1, 0}}) {
        v.setVoxel(p[0], p[1], p[2], 5);
        EXPECT_EQ(v.getVoxel(p[0], p[1], p[2]), 0);
    }
    std::vector<int> attendu(24, 0);
    attendu[2 + 1 * 3 + 3 * 6] = 77;
    attendu[3] = 9;
    attendu[1 + 2 * 6] = 4;
    EXPECT_EQ(valeurs(v), attendu);

    ASSERT_TRUE(v.allouer(2, 2, 2));
    EXPECT_EQ(valeurs(v), std::vector<int>(8, 0));
    // A negative size is said as such whichever axis carries it, not as a volume too large.
    const std::string erreurs = captureStderr([&] {
        EXPECT_FALSE(v.allouer(2, -1, 2));
        EXPECT_FALSE(v.allouer(2, 2, -1));
        EXPECT_FALSE(v.allouer(100000, 100000, 100000));
    });
    EXPECT_NE(erreurs.find("invalides : 2 x -1 x 2\n"), std::string::npos) << erreurs;
    EXPECT_NE(erreurs.find("invalides : 2 x 2 x -1\n"), std::string::npos) << erreurs;
    EXPECT_TRUE(v.voxels.empty());
}

TEST(AnalyzeVoxels, EveryTypeInBothByteOrders)
{
    const std::vector<float> reels = {700.4f, 700.5f, -2.5f, 1e9f, -1e9f, NAN};
    std::vector<std::uint64_t> r32, r64;
    for (float f : reels) {
        r32.push_back(bits<std::uint32_t>(f));
        r64.push_back(bits<std::uint64_t>(static_cast<double>(f)));
    }
    // Rounded, bounded to 16 bits, and kept as their 16-bit patterns (-3 and -32768).
    const std::vector<int> attenduReels = {700, 701, 65533, 32767, 32768, 0};
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
        // -70000 and -5 as 32-bit words.
        {"entier32", {3, 2, 2, 1}, 8, 32, 0, {70000, 0xFFFEEE90, 123, 0xFFFFFFFB}, 4, {32767, 32768, 123, 65531}, true},
        {"reel32", {3, 6, 1, 1}, 16, 32, 0, r32, 4, attenduReels, true},
        {"reel64", {3, 6, 1, 1}, 64, 64, 0, r64, 8, attenduReels, true},
        // An infinite voxel is bounded, and none of its neighbours' bytes end up in it.
        {"infini", {3, 3, 1, 1}, 64, 64, 0, {bits<std::uint64_t>(1 + 1e-12), bits<std::uint64_t>(HUGE_VAL),
         bits<std::uint64_t>(1 + 1e-12)}, 8, {1, 32767, 1}, true},
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
            VolumeReel reel; // read as real values, the voxel sizes missing from the header are 1 mm
            captureSorties([&] { EXPECT_TRUE(lireVolumeReel(base + ".hdr", reel)); });
            EXPECT_TRUE(reel.tailleVoxel(0) == 1 && reel.tailleVoxel(1) == 3 && reel.tailleVoxel(2) == 1 &&
                        reel.remarque.code == CodeRaison::AnalyzeSansTailleVoxel);
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
    const std::optional<std::string> absent;
    // Header and image (absent: no file), and the message.
    const std::tuple<std::optional<std::string>, std::optional<std::string>, std::string> cas[] = {
        {absent, absent, "Impossible de charger le fichier Analyse : " + base + "\n"},
        {absent, "", "Can't open:<" + hdr + ">\n"},
        {"", "", "En-tête Analyze vide : <" + hdr + ">\n"},
        {std::string(100, '\0'), "", "En-tête Analyze incomplet (100 octets sur 348) : <" + hdr + ">\n"},
        {entete({3, -2, 2, 1}, 4, 16, false), std::string(8, '\0'), "Dimensions de volume invalides : -2 x 2 x 1\n"},
        {entete({3, 2, 2, 1}, 4, 16, true), std::string(6, '\0'),
         "Fichier image Analyze trop court : " + img + " (8 octets attendus, 6 présents)\n"},
        {entete({3, 2, 1, 1}, 4, 16, false, 100), std::string(8, '\0'),
         "Fichier image Analyze trop court : " + img + " (104 octets attendus, 8 présents)\n"},
        {entete({3, 2, 1, 1}, 32, 64, false), std::string(16, '\0'),
         "Type de voxel Analyze non pris en charge (32) : " + base + "\n"},
    };
    for (const auto &[h, i, message] : cas) {
        std::filesystem::remove_all(hdr);
        std::filesystem::remove_all(img);
        if (h)
            writeFile(hdr, *h);
        if (i)
            writeFile(img, *i);
        VolumeAnalyze v(2, 2, 2);
        const Chargement c = charger(v, base);
        EXPECT_FALSE(c.ok) << message;
        EXPECT_EQ(c.erreurs, message);
        // Returned as a reason, it is not said as well: the caller says it, once.
        Resultat r;
        const std::string dit = captureStderr([&] { captureStdout([&] { r = v.lire(base, Progression()); }); });
        EXPECT_FALSE(r.reussi()) << message;
        EXPECT_EQ(dit, "") << message;
        // The same bytes from memory are refused as well.
        if (h && i && h->size() == 348) {
            EXPECT_FALSE(depuisMemoire(v, *h, *i)) << message;
        }
    }
    VolumeAnalyze v;
    ASSERT_TRUE(depuisMemoire(v, entete({3, 2, 1, 1}, 4, 16, false), image({7, 300}, 2, false)));
    EXPECT_EQ(valeurs(v), (std::vector<int>{7, 300}));
    // A size of zero along any axis is an empty volume, not invalid dimensions.
    for (const std::vector<int> &d : {std::vector<int>{3, 0, 2, 1}, {3, 2, 0, 1}, {3, 2, 2, 0}}) {
        EXPECT_TRUE(depuisMemoire(v, entete(d, 4, 16, false), "")) << d[1] << d[2] << d[3];
        EXPECT_TRUE(v.voxels.empty());
    }
}

TEST(NiveauDeGris, WindowMappingOnSignedValues)
{
    // Value, window and grey level; the last three, an empty window: below 0, at it and above 255.
    const int cas[][4] = {{592, 0, 1000, 150}, {593, 0, 1000, 151},  {1000, 0, 1000, 255}, {40000, 0, 1000, 0},
                          {-50, -100, 100, 63}, {499, 500, 500, 0}, {500, 500, 500, 255}, {501, 500, 500, 255}};
    const auto u = [](int x) { return static_cast<std::uint16_t>(x); };
    for (const auto &c : cas)
        EXPECT_EQ(niveauDeGris(u(c[0]), u(c[1]), u(c[2])), c[3]) << c[0] << " in " << c[1] << ".." << c[2];
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
    EXPECT_TRUE(irmf.estInverse() && !irmfLe.estInverse());
    EXPECT_EQ(std::vector<int>({irmf.dimX, irmf.dimY, irmf.dimZ}), std::vector<int>({64, 64, 21}));
    for (const auto &c : {std::vector<int>{29, 29, 9, 8046}, {29, 30, 9, 7552}, {38, 21, 9, 14553}})
        EXPECT_EQ(irmf.getVoxel(c[0], c[1], c[2]), c[3]);
    EXPECT_EQ(*std::max_element(irmf.voxels.begin(), irmf.voxels.end()), 14553);
    EXPECT_EQ(irmf.voxels, irmfLe.voxels);
}

// A volume that keeps no point with the defaults says its range, and the window taken from that
// range keeps points; m is left with them.
void laPlageDonneLaFenetre(const std::string &nom, Maillage &m)
{
    Resultat r;
    ReglagesVolume f;
    silence([&] { r = ouvrirNuage(nom, m); });
    silence([&] { ASSERT_TRUE(plageVolume(nom, f.fenetreMin, f.fenetreMax).reussi()); });
    EXPECT_NE(r.texte().find("seuils 150 à 255 et la fenêtre 0 à 1000 : ses valeurs vont de " +
                             std::to_string(f.fenetreMin) + " à " + std::to_string(f.fenetreMax)),
              std::string::npos)
        << r.texte();
    silence([&] { EXPECT_TRUE(ouvrirNuage(nom, m, f).reussi()); });
}

TEST(AnalyzeNuage, AVolumeWithNoPointSaysItsRangeAndTheWindowFromItKeepsPoints)
{
    TempDir t;
    writeFile(t.file("v.hdr"), entete({3, 2, 2, 2}, 2, 8, false));
    writeFile(t.file("v.img"), image({10, 20, 30, 40, 50, 60, 70, 80}, 1, false));
    Maillage m;
    laPlageDonneLaFenetre(t.file("v.hdr"), m);
    // Grey levels (v - 10) * 255 / 70: 60, 70 and 80 (the window's top, 255) lie from 150 to 255.
    EXPECT_EQ(m.ListePointsInterets, (std::vector<point3>{point3(1, 0, 1), point3(0, 1, 1), point3(1, 1, 1)}));

    const std::string reel = tarnis_test::sharedDataDir() + "/volumes/spm99/avg152T1.hdr";
    if (!std::ifstream(reel))
        GTEST_SKIP() << reel << " absent";
    laPlageDonneLaFenetre(reel, m);
}

namespace {

// A tetrahedron as binary STL, normals left at zero, its header first.
std::string stlBinaire(const std::string &entete, std::uint32_t annonces, const std::vector<std::array<float, 9>> &t)
{
    std::string s = entete;
    s.resize(84, ' ');
    poser(s, 80, annonces, 4, false);
    for (const auto &c : t) {
        std::string o(50, '\0');
        for (std::size_t k = 0; k < 9; ++k)
            poser(o, 12 + 4 * k, bits<std::uint32_t>(c[k]), 4, false);
        s += o;
    }
    return s;
}

const std::vector<std::array<float, 9>> TETRA = {
    {0, 0, 0, 0, 1, 0, 1, 0, 0}, {0, 0, 0, 1, 0, 0, 0, 0, 1}, {0, 0, 0, 0, 0, 1, 0, 1, 0}, {1, 0, 0, 0, 1, 0, 0, 0, 1}};

// Each edge in exactly two faces, once each way: closed and consistently oriented.
bool fermeEtOriente(const Maillage &m)
{
    std::map<std::pair<int, int>, int> aretes;
    for (const Face &f : m.listeFaces)
        for (auto [a, b] : {std::pair{f.s1, f.s2}, std::pair{f.s2, f.s3}, std::pair{f.s3, f.s1}})
            ++aretes[{a, b}];
    for (const auto &[a, n] : aretes)
        if (n != 1 || aretes.count({a.second, a.first}) != 1)
            return false;
    return !aretes.empty();
}

} // namespace

TEST(StlLecture, TextAndBinaryGiveTheSameJoinedClosedMeshAndEveryFaultIsRefusedWithItsPlace)
{
    // The faces in two solids, and a third, empty one that ends the file right after its word.
    std::string texte = "  solid tétraèdre\r\n";
    for (const auto &c : TETRA) {
        if (&c == &TETRA[2])
            texte += "endsolid tétraèdre\nsolid deux\n";
        texte += "facet normal 0 0 0\nouter loop\n";
        for (int k = 0; k < 3; ++k)
            texte += " vertex " + std::to_string(c[3 * k]) + (c[3 * k + 1] ? " 1" : " -0") + " " +
                     std::to_string(c[3 * k + 2]) + "\n";
        texte += "endloop\nendfacet\n";
    }
    texte += "endsolid deux\nsolid\nendsolid";
    // Binary, though it starts with "solid": its size is 84 + 50 n.
    const std::string binaire = stlBinaire("solid but binary", 4, TETRA);
    Maillage t, b;
    silence([&] {
        EXPECT_TRUE(t.lireSTLDepuisMemoire(texte.data(), texte.size()).reussi());
        EXPECT_TRUE(b.lireSTLDepuisMemoire(binaire.data(), binaire.size()).reussi());
    });
    for (const Maillage *m : {&t, &b}) {
        EXPECT_EQ(m->listeSommets,
                  (std::vector<point3>{point3(0, 0, 0), point3(0, 1, 0), point3(1, 0, 0), point3(0, 0, 1)}));
        EXPECT_EQ(m->listeFaces, (std::vector<Face>{{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {2, 1, 3}}));
        EXPECT_TRUE(fermeEtOriente(*m));
        EXPECT_EQ(m->nbFaces, 4);
    }

    std::string nan = binaire;
    poser(nan, 84 + 50 + 12 + 12 + 4, bits<std::uint32_t>(std::numeric_limits<float>::quiet_NaN()), 4, false);
    const std::string coupe = texte.substr(0, texte.find("endloop"));
    std::string mot = texte, nombre = texte;
    mot.replace(mot.find("outer"), 5, "outre");
    nombre.replace(nombre.find(" -0", 100), 3, " 0x");
    const std::pair<std::string, std::string> refus[] = {
        {binaire.substr(0, 184), "« m » n'est ni un STL texte (« solid » au début) ni un STL binaire : l'en-tête "
                                 "annonce 4 triangles, soit 284 octets, le fichier en a 184"},
        {"OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n",
         "« m » n'est pas un fichier STL : 36 octets, sans « solid » au début, moins que les 84 d'un en-tête binaire"},
        {nan, "« m » : triangle 2 : coordonnée non finie à l'octet 162"},
        {coupe, "« m », ligne 7 : « endloop » attendu, fin du fichier trouvée"},
        {mot, "« m », ligne 3 : « outer » attendu, « outre » trouvé"},
        {nombre, "« m », ligne 6 : coordonnée illisible, « x » trouvé"},
        {"solid\n", "« m », ligne 2 : « endsolid » attendu, fin du fichier trouvée"},
    };
    for (const auto &[contenu, raison] : refus) {
        Maillage m = t;
        const Resultat r = m.lireSTLDepuisMemoire(contenu.data(), contenu.size(), "m");
        EXPECT_EQ(r.statut, Statut::MaillageIllisible) << raison;
        EXPECT_EQ(r.texte(), raison);
        EXPECT_TRUE(m.listeSommets.empty() && m.listeFaces.empty()) << raison;
    }

    // Through the opener: a mesh where a mesh is asked, the cloud of its vertices where a cloud is.
    TempDir dossier;
    writeFile(dossier.file("t.stl"), binaire);
    writeFile(dossier.file("faux.stl"), "PTS\n1\n0 0 0\n");
    Simplex s;
    Maillage nuage;
    silence([&] {
        EXPECT_TRUE(ouvrirMaillage(dossier.file("t.stl"), s).reussi());
        EXPECT_TRUE(ouvrirNuage(dossier.file("t.stl"), nuage).reussi());
        EXPECT_EQ(ouvrirNuage(dossier.file("faux.stl"), nuage).statut, Statut::NuageIllisible);
    });
    EXPECT_EQ(s.maillageTriangule.listeFaces, b.listeFaces);
    EXPECT_EQ(nuage.ListePointsInterets.size(), 0u); // the refused one left nothing
    EXPECT_EQ(genreFichier("a.stl"), GenreFichier::Triangles);
    EXPECT_EQ(listeSuffixes(false), ".ply, .smm, .sm, .off, .obj, .stl");
    EXPECT_EQ(listeSuffixes(true), ".pts, .ply, .xyz, .asc, .csv, .txt, .pcd, .hdr, .img, .nii, .nii.gz, .nrrd, .nhdr, .mha, .mhd, "
              ".mnc, .mgh, .mgz, .dcm, .off, .obj, .stl");

    // OFF and OBJ meshes open as clouds the same way, and a file that is not what its suffix
    // says leaves no cloud behind (not the one held before either).
    ASSERT_TRUE(b.ecrireOFF(dossier.file("t.off")).reussi());
    ASSERT_TRUE(b.ecrireOBJ(dossier.file("t.obj")).reussi());
    writeFile(dossier.file("faux.off"), "PTS\n1\n0 0 0\n");
    writeFile(dossier.file("faux.obj"), "v 0 0 0\nf 1 2 3\n");
    const std::vector<point3> surface = nuageDeSurface(b.listeSommets, b.listeFaces);
    for (const char *nom : {"t.stl", "t.off", "t.obj"}) {
        Maillage lu;
        silence([&] { EXPECT_TRUE(ouvrirNuage(dossier.file(nom), lu).reussi()) << nom; });
        EXPECT_EQ(lu.ListePointsInterets, surface) << nom;
        EXPECT_EQ(lu.nbPointsInterets, static_cast<int>(surface.size())) << nom;
        for (const char *faux : {"faux.off", "faux.obj"}) {
            Resultat r;
            silence([&] { r = ouvrirNuage(dossier.file(faux), lu); });
            EXPECT_EQ(r.statut, Statut::NuageIllisible) << faux;
            EXPECT_TRUE(lu.ListePointsInterets.empty()) << faux;
        }
    }
}

// A triangle mesh given as a cloud stands for its surface.
TEST(NuageDeSurface, AScanKeepsItsVerticesAndAMachinedPartIsCoveredAllOver)
{
    // A fine even mesh of more than POINTS_DE_SURFACE_MINIMUM vertices: its vertices alone.
    const int c = 150;
    std::vector<point3> grille;
    std::vector<Face> carres;
    for (int i = 0; i < c; ++i)
        for (int j = 0; j < c; ++j)
            grille.emplace_back(i / double(c - 1), j / double(c - 1), 0.0);
    for (int i = 0; i + 1 < c; ++i)
        for (int j = 0; j + 1 < c; ++j) {
            const int a = i * c + j;
            carres.push_back({a, a + c, a + c + 1});
            carres.push_back({a, a + c + 1, a + 1});
        }
    EXPECT_EQ(nuageDeSurface(grille, carres), grille);

    // A unit cube of twelve faces: its corners first, then points all over its faces, none off
    // them; a face naming a vertex that is not there adds nothing.
    const std::vector<point3> coins{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    std::vector<Face> faces{{0, 2, 1}, {0, 3, 2}, {4, 5, 6}, {4, 6, 7}, {0, 1, 5}, {0, 5, 4},
                            {1, 2, 6}, {1, 6, 5}, {2, 3, 7}, {2, 7, 6}, {3, 0, 4}, {3, 4, 7}};
    const std::vector<point3> cube = nuageDeSurface(coins, faces);
    faces.push_back({0, 1, 8});
    EXPECT_EQ(nuageDeSurface(coins, faces), cube);
    faces.pop_back();
    ASSERT_GE(cube.size(), POINTS_DE_SURFACE_MINIMUM);
    EXPECT_LE(cube.size(), 4 * POINTS_DE_SURFACE_MINIMUM + coins.size());
    EXPECT_TRUE(std::equal(coins.begin(), coins.end(), cube.begin()));
    std::size_t horsDuCube = 0;
    for (const point3 &p : cube) {
        const double x[3] = {p.x, p.y, p.z};
        bool surUneFace = false, dedans = true;
        for (double v : x) {
            surUneFace = surUneFace || std::abs(v) < 1e-12 || std::abs(v - 1) < 1e-12;
            dedans = dedans && v > -1e-12 && v < 1 + 1e-12;
        }
        horsDuCube += !(surUneFace && dedans);
    }
    EXPECT_EQ(horsDuCube, 0u);
    // Through the opener, as an OFF file: every place on the faces has a point of the cloud
    // within one and a half times the spacing the points were spread at.
    TempDir dossier;
    ASSERT_TRUE(Maillage(coins, faces).ecrireOFF(dossier.file("cube.off")).reussi());
    Maillage m;
    silence([&] { ASSERT_TRUE(ouvrirNuage(dossier.file("cube.off"), m).reussi()); });
    ASSERT_EQ(m.ListePointsInterets, cube);
    const double s = std::sqrt(6.0 / POINTS_DE_SURFACE_MINIMUM);
    double pire = 0;
    for (int axe = 0; axe < 3; ++axe)
        for (double cote : {0.0, 1.0})
            for (int i = 0; i <= 40; ++i)
                for (int j = 0; j <= 40; ++j) {
                    double q[3];
                    q[axe] = cote;
                    q[(axe + 1) % 3] = i / 40.0;
                    q[(axe + 2) % 3] = j / 40.0;
                    kd_result *r = kd_closest(m.kd.get(), q);
                    ASSERT_NE(r, nullptr);
                    double pos[3];
                    kd_result_point(r, pos);
                    kd_result_release(r);
                    pire = std::max(pire, std::hypot(pos[0] - q[0], pos[1] - q[1], pos[2] - q[2]));
                }
    EXPECT_LT(pire, 1.5 * s);

    // Long thin faces (a needle of 400 facets, 100 long and 0.01 across): the spacing grows
    // rather than the count.
    std::vector<point3> aiguille;
    std::vector<Face> facettes;
    const int k = 200;
    for (int h = 0; h < 2; ++h)
        for (int i = 0; i < k; ++i)
            aiguille.emplace_back(0.01 * std::cos(2 * M_PI * i / k), 0.01 * std::sin(2 * M_PI * i / k), 100.0 * h);
    for (int i = 0; i < k; ++i) {
        facettes.push_back({i, (i + 1) % k, k + i});
        facettes.push_back({(i + 1) % k, k + (i + 1) % k, k + i});
    }
    const std::vector<point3> long_ = nuageDeSurface(aiguille, facettes);
    EXPECT_GT(long_.size(), aiguille.size() + POINTS_DE_SURFACE_MINIMUM / 2);
    EXPECT_LE(long_.size(), aiguille.size() + 4 * POINTS_DE_SURFACE_MINIMUM);
    // A sliver a bad file may hold, 1e12 long and of next to no area, the whole mesh: bounded too.
    const std::vector<point3> eclat = nuageDeSurface({{0, 0, 0}, {1e12, 0, 0}, {1e12, 1e-100, 0}}, {{0, 1, 2}});
    EXPECT_GT(eclat.size(), 3u);
    EXPECT_LE(eclat.size(), 3 + 4 * POINTS_DE_SURFACE_MINIMUM);
}

TEST(MeshEcriture, PlyKeepsEveryBitAndStlReadsBackAsFloats)
{
    TempDir dossier;
    const std::vector<point3> sommets = {point3(1e7 + 0.123456789, -2.5, 3), point3(1, 2, 1e-9), point3(0, 0, 1),
                                         point3(4, 5, 6)};
    const Maillage m(sommets, FACES);
    ASSERT_TRUE(m.ecrirePLY(dossier.file("a.ply")).reussi());
    const std::string ply = readFile(dossier.file("a.ply"));
    const std::string entete = "ply\nformat binary_little_endian 1.0\ncomment Tarnis\nelement vertex 4\n"
                               "property double x\nproperty double y\nproperty double z\nelement face 4\n"
                               "property list uchar int vertex_indices\nend_header\n";
    ASSERT_EQ(ply.size(), entete.size() + 4 * 24 + 4 * 13);
    EXPECT_EQ(ply.substr(0, entete.size()), entete);
    // A minimal reader of what follows the header: the doubles bit for bit, the faces as listed.
    std::string attendu;
    for (const point3 &p : sommets)
        for (double v : {p.x, p.y, p.z}) {
            std::string o(8, '\0');
            poser(o, 0, bits<std::uint64_t>(v), 8, false);
            attendu += o;
        }
    for (const Face &f : FACES) {
        std::string o(13, '\3');
        for (int k = 0; k < 3; ++k)
            poser(o, 1 + 4 * static_cast<std::size_t>(k), static_cast<std::uint32_t>((&f.s1)[k]), 4, false);
        attendu += o;
    }
    EXPECT_EQ(ply.substr(entete.size()), attendu);

    ASSERT_TRUE(m.ecrireSTL(dossier.file("a.stl")).reussi());
    const std::string stl = readFile(dossier.file("a.stl"));
    ASSERT_EQ(stl.size(), 84u + 4 * 50);
    EXPECT_NE(stl.compare(0, 5, "solid"), 0);
    Maillage relu;
    silence([&] { EXPECT_TRUE(relu.lireSTL(dossier.file("a.stl")).reussi()); });
    EXPECT_EQ(relu.listeFaces, FACES);
    const auto f32 = [](double v) { return static_cast<double>(static_cast<float>(v)); };
    for (std::size_t i = 0; i < sommets.size(); ++i)
        EXPECT_TRUE(relu.listeSommets[i].x == f32(sommets[i].x) && relu.listeSommets[i].y == f32(sommets[i].y) &&
                    relu.listeSommets[i].z == f32(sommets[i].z))
            << i;
    // Each face's unit normal, from its corners' order.
    for (std::size_t f = 0; f < FACES.size(); ++f) {
        float n[3];
        std::memcpy(n, stl.data() + 84 + 50 * f, sizeof n);
        const point3 a = sommets[FACES[f].s1], u = sommets[FACES[f].s2] - a, v = sommets[FACES[f].s3] - a;
        const double c[3] = {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
        const double l = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
        for (int k = 0; k < 3; ++k)
            EXPECT_FLOAT_EQ(n[k], float(c[k] / l)) << f << " " << k;
    }

    // Six digits move 1e7 + 0.123456789 to 1e7; refusals leave no file.
    EXPECT_NEAR(ecartSixChiffres(sommets), 0.123456789, 1e-8);
    const Maillage horsFloat({point3(1e39, 0, 0), point3(0, 1, 0), point3(0, 0, 1)}, {Face{0, 1, 2}});
    const Maillage faceHors(sommets, {Face{0, 1, 4}});
    EXPECT_EQ(horsFloat.ecrireSTL(dossier.file("f.stl")).texte(),
              "« " + dossier.file("f.stl") + " » : le sommet 0 sort de la simple précision du STL (1e+39)");
    EXPECT_EQ(faceHors.ecrirePLY(dossier.file("f.ply")).statut, Statut::SortieImpossible);
    EXPECT_FALSE(std::filesystem::exists(dossier.file("f.stl")) || std::filesystem::exists(dossier.file("f.ply")));
}
