// Clouds from PLY, XYZ-like text and PCD files, PLY meshes: byte-exact small files, the same
// cloud as the PTS of the same points, the same cloud on one thread and on several, refusals.
#include "Maillage.h"
#include "NuageCommun.h"
#include "NuageDeSurface.h"
#include "NuageFichiers.h"
#include "Ouverture.h"
#include "Simplex.h"
#include "Vecteurs.h"
#include "kdtree.h"

#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarnis_test;

namespace {

/// The bytes of v stored as the PLY type named, in either byte order.
std::string octets(double v, const std::string &type, bool grand)
{
    char o[8];
    std::size_t n = 0;
    auto mettre = [&](auto x) {
        n = sizeof x;
        std::memcpy(o, &x, n);
    };
    if (type == "char" || type == "int8")
        mettre(static_cast<std::int8_t>(v));
    if (type == "uchar" || type == "uint8")
        mettre(static_cast<std::uint8_t>(v));
    if (type == "short" || type == "int16")
        mettre(static_cast<std::int16_t>(v));
    if (type == "ushort" || type == "uint16")
        mettre(static_cast<std::uint16_t>(v));
    if (type == "int" || type == "int32")
        mettre(static_cast<std::int32_t>(v));
    if (type == "uint" || type == "uint32")
        mettre(static_cast<std::uint32_t>(v));
    if (type == "float" || type == "float32")
        mettre(static_cast<float>(v));
    if (type == "double" || type == "float64")
        mettre(v);
    if (grand)
        std::reverse(o, o + n);
    return std::string(o, n);
}

const std::vector<point3> POINTS = {{1.5, -2.25, 3}, {-0.125, 100.5, 7.75}, {0, 0, 0}, {12.5, -8, 0.5}};

std::vector<point3> lire(const std::string &chemin, Resultat *r = nullptr)
{
    Maillage m;
    const Resultat lu = ouvrirNuage(chemin, m);
    EXPECT_EQ(kd_size(m.kd.get()), m.ListePointsInterets.size()) << chemin;
    if (r)
        *r = lu;
    else
        EXPECT_TRUE(lu) << lu.texte();
    return m.ListePointsInterets;
}

} // namespace

TEST(Nuages, EveryFormatAndTypeGivesThePointsOfThePTS)
{
    TempDir d;
    ASSERT_TRUE(ecrirePTS(d.file("ref.pts"), POINTS));
    const std::vector<point3> attendus = lire(d.file("ref.pts"));
    ASSERT_EQ(attendus, POINTS);

    std::string ascii = "ply\r\nformat ascii 1.0\r\ncomment c\r\nelement vertex 4\r\nproperty float x\r\n"
                        "property double y\r\nproperty float z\r\nproperty uchar red\r\nelement face 1\r\n"
                        "property list uchar int vertex_indices\r\nelement vide 0\r\nend_header\r\n";
    std::string lists = "ply\nformat binary_little_endian 1.0\nelement vertex 4\nproperty list uchar int16 n\n"
                        "property float64 z\nproperty float32 y\nproperty float32 x\nend_header\n";
    std::string grand = "ply\nformat binary_big_endian 1.0\nelement info 1\nproperty list int uchar t\n"
                        "element vertex 4\nproperty float y\nproperty double x\nproperty uint16 r\n"
                        "property float z\nend_header\n" +
                        octets(2, "int", true) + "ab";
    std::string xyz = "x;y;z\r\n# one\r\n// two\r\n\r\n; three\r\n";
    // Neither HEIGHT nor POINTS: one row of WIDTH points. Points not finite, in any spelling, are
    // dropped.
    std::string pcd = "# .PCD\nVERSION .7\nFIELDS x y z rgb\nSIZE 4 4 4 4\nTYPE F F F U\nCOUNT 1 1 1 1\n"
                      "WIDTH 10\nVIEWPOINT 0 0 0 1 0 0 0\nDATA ascii\nnan nan nan 0\n"
                      "5 nan 5 0\n5 5 nan 0\nNaN 1 1 0\n1 inf 1 0\n1 1 -Inf 0\n";
    std::string pcdBin = "VERSION .7\nFIELDS normal z y x\nSIZE 4 8 4 4\nTYPE F F F I\nCOUNT 3 1 1 1\n"
                         "WIDTH 2\nHEIGHT 2\nDATA binary\n";
    for (const point3 &p : POINTS) {
        ascii += std::to_string(p.x) + " " + std::to_string(p.y) + "  " + std::to_string(p.z) + " 255\r\n";
        lists += octets(2, "uint8", false) + octets(-1, "int16", false) + octets(9, "int16", false) +
                 octets(p.z, "float64", false) + octets(p.y, "float32", false) + octets(p.x, "float32", false);
        grand += octets(p.y, "float", true) + octets(p.x, "double", true) + octets(7, "uint16", true) +
                 octets(p.z, "float", true);
        xyz += std::to_string(p.x) + ",\t" + std::to_string(p.y) + " ;" + std::to_string(p.z) + ",9,x\r\n";
        pcd += std::to_string(p.x) + " " + std::to_string(p.y) + " " + std::to_string(p.z) + " 4\n";
        pcdBin += std::string(12, '\x7f') + octets(p.z, "double", false) + octets(p.y, "float", false) +
                  octets(p.x == 12.5 ? -2 : 1, "int", false);
    }
    ascii += "3 0 1 2\r\n";
    xyz += "//"; // a comment that ends the file, with no end of line
    for (const auto &[nom, contenu] :
         {std::pair{"a.ply", ascii}, {"l.ply", lists}, {"g.ply", grand}, {"p.csv", xyz}, {"p.pcd", pcd}}) {
        writeFile(d.file(nom), contenu);
        const std::vector<point3> lu = lire(d.file(nom));
        if (std::string(nom) != "a.ply") {
            EXPECT_EQ(lu, attendus) << nom;
            continue;
        }
        // Its one face makes it a mesh: the cloud of its surface, its vertices first, the rest
        // in the plane of that face.
        ASSERT_GT(lu.size(), attendus.size());
        EXPECT_TRUE(std::equal(attendus.begin(), attendus.end(), lu.begin()));
        const point3 n = vect(lu[1] - lu[0], lu[2] - lu[0]);
        for (std::size_t i = attendus.size(); i < lu.size(); ++i)
            ASSERT_LT(std::abs(scal(lu[i] - lu[0], n)), 1e-9 * carre(n)) << lu[i];
    }
    writeFile(d.file("b.pcd"), pcdBin);
    const std::vector<point3> entiers = lire(d.file("b.pcd"));
    ASSERT_EQ(entiers.size(), 4u);
    EXPECT_EQ(entiers[1], point3(1, 100.5, 7.75));
    EXPECT_EQ(entiers[3], point3(-2, -8, 0.5)); // a negative 4-byte integer
    // Unsigned fields of 2, 4 and 1 bytes, each past what a byte less holds.
    writeFile(d.file("u.pcd"), "FIELDS x y z\nSIZE 2 4 1\nTYPE U U U\nCOUNT 1 1 1\nWIDTH 1\nHEIGHT 1\nDATA binary\n" +
                                   octets(300, "uint16", false) + octets(70000, "uint32", false) +
                                   octets(200, "uint8", false));
    EXPECT_EQ(lire(d.file("u.pcd")), std::vector<point3>{point3(300, 70000, 200)});
    Maillage m;
    ASSERT_TRUE(ouvrirNuage(d.file("p.pcd"), m));
    EXPECT_EQ(m.pointsNonFinis, 6); // one coordinate not finite is enough

    // Every numeric type under both its names, in both byte orders.
    const char *types[][2] = {{"char", "int8"}, {"uchar", "uint8"}, {"short", "int16"},   {"ushort", "uint16"},
                              {"int", "int32"}, {"uint", "uint32"}, {"float", "float32"}, {"double", "float64"}};
    for (const auto &paire : types)
        for (const char *type : paire)
            for (const bool gr : {false, true}) {
                const std::string t = type;
                const double x = t[0] == 'u' ? 200 : -100, y = t[0] == 'f' || t[0] == 'd' ? 0.5 : 3;
                std::string f = std::string("ply\nformat binary_") + (gr ? "big" : "little") + "_endian 1.0\n" +
                                "element vertex 1\nproperty " + t + " z\nproperty " + t + " y\nproperty " + t +
                                " x\nend_header\n" + octets(-1 + (t[0] == 'u') * 65, t, gr) + octets(y, t, gr) +
                                octets(x, t, gr);
                std::vector<point3> p;
                ASSERT_TRUE(lireNuagePLY(f.data(), f.size(), "t", p)) << t;
                EXPECT_EQ(p, std::vector<point3>{point3(x, y, t[0] == 'u' ? 64 : -1)}) << t << gr;
            }
}

TEST(Nuages, TheSameCloudOnOneThreadAndOnSeveralWithLinesAcrossBlocks)
{
    std::string xyz = "nom x y z\n", ply, bin, pts;
    std::vector<point3> attendus;
    for (int i = 0; i < 5000; ++i) {
        const point3 p(i * 0.5, -i / 4.0, (i % 37) * 0.125);
        attendus.push_back(p);
        xyz += (i % 7 ? "" : "# c\n") + std::string(i % 5, ' ') + std::to_string(p.x) + "\t" + std::to_string(p.y) +
               "," + std::to_string(p.z) + "\n";
        ply += std::to_string(p.x) + " " + std::to_string(p.y) + " " + std::to_string(p.z) + "\n";
        pts += (i % 3 == 1 ? " " : "") + std::to_string(p.x) + " " + std::to_string(p.y) + " " + std::to_string(p.z) +
               "\n";
        bin += octets(p.x, "double", true) + octets(p.y, "double", true) + octets(p.z, "double", true);
    }
    ply = "ply\nformat ascii 1.0\nelement vertex 5000\nproperty double x\nproperty double y\nproperty double z\n"
          "end_header\n" +
          ply;
    bin = "ply\nformat binary_big_endian 1.0\nelement vertex 5000\nproperty double x\nproperty double y\n"
          "property double z\nend_header\n" +
          bin;
    for (const OptionsLecture o : {OptionsLecture{1, 1 << 30}, OptionsLecture{3, 7}, OptionsLecture{2, 100}}) {
        for (const std::string *t : {&xyz, &ply, &bin}) {
            std::vector<point3> p;
            const Resultat r = t == &xyz ? lireNuageXYZ(t->data(), t->size(), "n", p, o)
                                         : lireNuagePLY(t->data(), t->size(), "n", p, o);
            EXPECT_TRUE(r) << r.texte();
            EXPECT_EQ(p, attendus) << o.fils << " " << o.octetsParBloc;
        }
        // PTS: numbers may run across lines; those beyond the count are counted; a token that
        // is not exactly one number leaves the file to the sequential reader.
        std::vector<point3> p(1);
        long long auDela = 0;
        pts += "1 2\t3 4\n"; // some lines start with a blank
        EXPECT_TRUE(tarnis_nuage::lirePointsPTSEnBlocs(pts.data(), pts.data() + pts.size(), 5000, p, auDela, o));
        EXPECT_EQ(std::vector<point3>(p.begin() + 1, p.end()), attendus);
        EXPECT_EQ(auDela, 4);
        p.resize(1);
        EXPECT_TRUE(tarnis_nuage::lirePointsPTSEnBlocs(pts.data(), pts.data() + pts.size() - 8, 4999, p, auDela, o));
        EXPECT_EQ(std::vector<point3>(p.begin() + 1, p.end()),
                  std::vector<point3>(attendus.begin(), attendus.end() - 1));
        EXPECT_EQ(auDela, 3);
        const std::string tordu = "1 2 3\n4 5-6\n";
        EXPECT_FALSE(tarnis_nuage::lirePointsPTSEnBlocs(tordu.data(), tordu.data() + tordu.size(), 2, p, auDela, o));
        EXPECT_EQ(p.size(), 5000u);
        pts.resize(pts.size() - 8);
        // A fault far in the file is reported at its line whatever the blocks.
        std::string faux = xyz;
        faux.insert(faux.find("\n2000.000000"), "\n1 2 x");
        EXPECT_EQ(lireNuageXYZ(faux.data(), faux.size(), "n", p, o).texte(),
                  "« n », ligne 4574 : « x » n'est pas un nombre");
        EXPECT_TRUE(p.empty());
    }
    // A line may start its number with a sign or with the decimal point; before the first
    // point such a line is a point, not the line of names.
    for (const char *debut : {"+", ".", "-."}) {
        const std::string t = std::string(debut) + "5 .5 +2\n" + debut + "25 -3 4e1\n";
        const double x = debut[0] == '-' ? -0.5 : debut[0] == '.' ? 0.5 : 5;
        std::vector<point3> p;
        const Resultat r = lireNuageXYZ(t.data(), t.size(), "s", p);
        EXPECT_TRUE(r) << debut << " " << r.texte();
        EXPECT_EQ(p, (std::vector<point3>{{x, 0.5, 2}, {x * (debut[0] == '+' ? 5 : 0.5), -3, 40}})) << debut;
    }
}

TEST(Nuages, EveryRefusalSaysWhyAndWhere)
{
    TempDir d;
    const std::string entete = "ply\nformat ascii 1.0\nelement vertex 2\nproperty float x\nproperty float y\n"
                               "property float z\n";
    const std::string pcd = "FIELDS x y z\nSIZE 4 4 4\nTYPE F F F\nCOUNT 1 1 1\nWIDTH 2\nHEIGHT 1\nPOINTS 2\n";
    const std::string binaire = "ply\nformat binary_little_endian 1.0\n";
    const std::string xyzFloat = "property float x\nproperty float y\nproperty float z\n";
    const std::string uchar = "ply\nformat ascii 1.0\nelement vertex 2\nproperty uchar x\nproperty uchar y\n"
                              "property uchar z\n";
    const std::pair<std::string, const char *> cas[] = {
        {"PLY\nformat ascii 1.0\nend_header\n", "n'est pas un fichier PLY"},
        {entete, "en-tête sans fin (« end_header » attendu"},
        {"ply\nformat ascii 2\nend_header\n", "ligne 2 de l'en-tête : « format ascii 2 » n'est pas compris"},
        {"ply\nformat ascii 1.0\nelement vertex 1\nproperty float128 x\nend_header\n", "type « float128 » inconnu"},
        {"ply\nformat ascii 1.0\nelement vertex -1\nend_header\n", "« -1 » n'est pas un nombre entier"},
        {"ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nend_header\n1\n", "pas de propriétés x, y et z"},
        {"ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nproperty float y\nend_header\n1 2\n",
         "pas de propriétés x, y et z"},
        {entete + "end_header\n1 2 3\n4 5\n", "ligne 9 : 2 nombres trouvés, 3 attendus"},
        {entete + "end_header\n1 2 3\n4 5 6  7\t8\n", "ligne 9 : 5 nombres trouvés, 3 attendus"},
        {entete + "end_header\n1 2 3\n4 nan 6\n", "ligne 9 : « nan » n'est pas un nombre"},
        {entete + "end_header\n1 2 3\n4 5 6\n7\n", "ligne 10 : « 7 » après le dernier élément"},
        {entete + "end_header\n1 2 3\n", "s'arrête à l'octet 106, dans vertex n° 2 sur 2"},
        {entete + "element face 1\nproperty list uchar int vertex_indices\nend_header\n1 2 3\n4 5 6\n3 0 1x 1\n",
         "ligne 12 : « 1x » n'est pas un nombre"},
        {"ply\nformat binary_little_endian 1.0\nelement vertex 900000000\nproperty float x\nproperty float y\n"
         "property float z\nend_header\n" +
             std::string(40, '\0'),
         "900000000 vertex annoncés, plus que les 40 octets"},
        {"ply\nformat binary_little_endian 1.0\nelement vertex 2\nproperty float x\nproperty float y\n"
         "property float z\nend_header\n" +
             std::string(20, '\0'),
         "s'arrête à l'octet 135, dans vertex n° 2 sur 2"},
        {"ply\nformat binary_big_endian 1.0\nelement vertex 1\nproperty list uint uchar n\nproperty uchar x\n"
         "property uchar y\nproperty uchar z\nend_header\n\xff\xff\xff\xff\1\2",
         "octet 139 : liste de 4294967295 éléments"},
        {"\x01\x7f\xee\x02\x03 1 2\n", "ligne 1 : des octets de contrôle"},
        {"1 2 3\n4 5 6\nabc 1 2\n", "ligne 3 : « abc » n'est pas un nombre"},
        {"# c\n1,2\n", "ligne 2 : 2 nombres trouvés, 3 attendus"},
        {"1 2 1e999\n", "« 1e999 » sort des limites de la double précision"},
        {"# rien\n", "aucun point"},
        {"0 0 0\n", "n'est pas un fichier PCD : « 0 » trouvé"},
        {pcd + "DATA binary_compressed\n", "« binary_compressed » ne sont pas lues"},
        {pcd + "DATA binary\n" + std::string(13, '\0'), "s'arrête à l'octet 98, dans point n° 2 sur 2"},
        {"FIELDS x y\nSIZE 4 4\nTYPE F F\nCOUNT 1 1\nPOINTS 1\nDATA ascii\n1 2\n", "pas de propriétés x, y et z"},
        {"FIELDS y z\nSIZE 4 4\nTYPE F F\nCOUNT 1 1\nPOINTS 1\nDATA ascii\n1 2\n", "pas de propriétés x, y et z"},
        {"FIELDS x z\nSIZE 4 4\nTYPE F F\nCOUNT 1 1\nPOINTS 1\nDATA ascii\n1 2\n", "pas de propriétés x, y et z"},
        {"FIELDS x y z\nSIZE 4 4\nDATA ascii\n", "ligne 2 de l'en-tête : 2 nombres trouvés, 3 attendus"},
        {"FIELDS x y z\nSIZE 4 4 4\nTYPE F FLOAT F\n", "ligne 3 de l'en-tête : type « FLOAT » inconnu"},
        {"FIELDS x y z\nCOLOUR red\n", "ligne 2 de l'en-tête : « COLOUR » n'est pas compris ici"},
        // Counts that do not match the data, bodies that are not what the header says, values
        // that the declared type cannot hold.
        {binaire + "element vertex 1\n" + xyzFloat + "end_header\n" + std::string(12 + 5, '\0'),
         "octet 127 : 5 octets après le dernier élément annoncé"},
        {binaire + "element vertex 2\n" + xyzFloat + "end_header\n0.12 0.5 0.75\n1.5 2.5 3.5\n",
         "octet 115 : les données annoncées « binary_little_endian » sont du texte"},
        {binaire + "element vertex 16\n" + xyzFloat + "end_header\n" + std::string(16 * 12, '\xff'),
         "octet 116 : 48 des 48 premières coordonnées ne sont pas finies"},
        {uchar + "end_header\n1 2 3\n4 -300 6\n", "ligne 9 : « -300 » ne tient pas dans le type « uchar »"},
        {uchar + "end_header\n1 2 3\n4 0.5 6\n", "ligne 9 : « 0.5 » ne tient pas dans le type « uchar »"},
        {entete + "element rien 9223372036854775807\nend_header\n1 2 3\n4 5 6\n",
         "9223372036854775807 rien annoncés sans aucune propriété"},
        {entete + "element vertex 1\nproperty float x\nend_header\n", "ligne 7 de l'en-tête : « element vertex » déclaré deux fois"},
        {"ply\nformat ascii 1.0\nelement vertex 1\nproperty list uchar float x\nproperty float y\nproperty float z\n"
         "end_header\n1 1 2 3\n", "la coordonnée « x » de « vertex » est une liste"},
        {"FIELDS x y z\nWIDTH 4611686018427387904\nHEIGHT 4\nDATA binary\n" + std::string(24, '\0'),
         "WIDTH 4611686018427387904 × HEIGHT 4, plus que"},
        {"FIELDS x y z\nWIDTH 3\nPOINTS 2\nDATA ascii\n1 2 3\n4 5 6\n", "POINTS 2, mais WIDTH × HEIGHT = 3"},
        {"FIELDS x y z\nPOINTS 1\nDATA ascii\n1 2 3\n4 5 6\n", "ligne 5 : « 4 » après le dernier élément"},
        {"FIELDS x y z\nPOINTS 0\nDATA ascii\n1 2 3\n", "ligne 4 : « 1 » après le dernier élément"},
        {pcd + "DATA binary\n" + std::string(36, '\0'), "octet 109 : 12 octets après le dernier élément"},
        {pcd + "DATA binary\n0.5 1.5 2.5\n3.5 4.5 5.5\n", "octet 85 : les données annoncées « binary » sont du texte"},
        {"FIELDS x y z x\nPOINTS 1\nDATA ascii\n1 2 3 4\n", "ligne 1 de l'en-tête : « x » déclaré deux fois"},
        {"FIELDS x y z\nSIZE 1 4 4\nTYPE U F F\nPOINTS 1\nDATA ascii\n300 2 3\n",
         "ligne 6 : « 300 » ne tient pas dans le type « U »"},
    };
    for (const auto &[contenu, motif] : cas) {
        const std::string suffixe = contenu.compare(0, 3, "ply") == 0 || contenu.compare(0, 3, "PLY") == 0 ? ".ply"
                                    : contenu.find("FIELDS") != std::string::npos || contenu[0] == '0'     ? ".pcd"
                                                                                                           : ".xyz";
        const std::string chemin = d.file("n" + suffixe);
        writeFile(chemin, contenu);
        Resultat r;
        EXPECT_TRUE(lire(chemin, &r).empty()) << motif;
        EXPECT_EQ(r.statut, Statut::NuageIllisible) << motif;
        EXPECT_NE(r.texte().find("« " + chemin + " »"), std::string::npos) << r.texte();
        EXPECT_NE(r.texte().find(motif), std::string::npos) << r.texte();
    }
    Simplex s;
    writeFile(d.file("f.ply"), entete + "element face 1\nproperty list uchar int vertex_indices\nend_header\n"
                                        "0 0 0\n1 0 0\n3 0 1 7\n");
    EXPECT_EQ(ouvrirMaillage(d.file("f.ply"), s).texte(),
              "« " + d.file("f.ply") + " » : face n° 1 désigne le sommet 7, hors des 2 sommets");
    EXPECT_TRUE(s.maillageOrigine.listeFaces.empty());
}

TEST(Nuages, PLYFacesAreFansAndStripsRestartAtMinusOne)
{
    TempDir d;
    std::string f = "ply\nformat binary_little_endian 1.0\nelement vertex 6\nproperty uchar x\nproperty uchar y\n"
                    "property uchar z\nelement tristrips 1\nproperty list int int vertex_indices\nend_header\n";
    for (int i = 0; i < 6; ++i)
        f += octets(i, "uchar", false) + octets(i * i, "uchar", false) + octets(1, "uchar", false);
    for (const int v : {9, 0, 1, 2, 3, -1, 3, 4, 4, 5})
        f += octets(v, "int", false);
    const std::string quad = "ply\nformat ascii 1.0\nelement vertex 5\nproperty float x\nproperty float y\n"
                             "property float z\nelement face 2\nproperty list uchar int vertex_index\nend_header\n"
                             "0 0 0\n1 0 0\n1 1 0\n0 1 0\n0 0 1\n4 0 1 2 3\n3 4 1 0\n";
    writeFile(d.file("s.ply"), f);
    writeFile(d.file("q.ply"), quad);
    auto triangles = [](const Maillage &m) {
        std::vector<std::vector<int>> t;
        for (const Face &face : m.listeFaces)
            t.push_back({face.s1, face.s2, face.s3});
        return t;
    };
    Simplex s, q;
    ASSERT_TRUE(ouvrirMaillage(d.file("s.ply"), s));
    ASSERT_TRUE(ouvrirMaillage(d.file("q.ply"), q));
    EXPECT_EQ(triangles(s.maillageOrigine), (std::vector<std::vector<int>>{{0, 1, 2}, {2, 1, 3}}));
    EXPECT_EQ(triangles(q.maillageTriangule), (std::vector<std::vector<int>>{{0, 1, 2}, {0, 2, 3}, {4, 1, 0}}));
    EXPECT_EQ(s.maillageOrigine.listeSommets[5], point3(5, 25, 1));
    EXPECT_EQ(q.maillageOrigine.nbSommets, 5);

    // Opened as clouds, both stand for their surfaces: vertices first, then points on the quad
    // (z = 0) or the triangle (y = 0); on the strip's two triangles (z = 1, x within 0..3).
    const std::vector<point3> nq = lire(d.file("q.ply")), ns = lire(d.file("s.ply"));
    ASSERT_GE(nq.size(), POINTS_DE_SURFACE_MINIMUM);
    ASSERT_GE(ns.size(), POINTS_DE_SURFACE_MINIMUM);
    EXPECT_TRUE(std::equal(q.maillageOrigine.listeSommets.begin(), q.maillageOrigine.listeSommets.end(), nq.begin()));
    EXPECT_TRUE(std::equal(s.maillageOrigine.listeSommets.begin(), s.maillageOrigine.listeSommets.end(), ns.begin()));
    EXPECT_TRUE(std::all_of(nq.begin(), nq.end(), [](const point3 &p) {
        return (p.z == 0 || p.y == 0) && std::min({p.x, p.y, p.z}) >= 0 && std::max({p.x, p.y, p.z}) <= 1;
    }));
    EXPECT_TRUE(
        std::all_of(ns.begin() + 6, ns.end(), [](const point3 &p) { return p.z == 1 && p.x >= 0 && p.x <= 3; }));

    // A face naming a vertex the file does not have: refused as a cloud too, nothing kept.
    writeFile(d.file("b.ply"), quad.substr(0, quad.size() - 2) + "9\n");
    Resultat r;
    EXPECT_TRUE(lire(d.file("b.ply"), &r).empty());
    EXPECT_NE(r.texte().find("désigne le sommet 9"), std::string::npos) << r.texte();
}

TEST(Nuages, EverySharedPLYAndPCDOpens)
{
    const std::string racine = sharedDataDir();
    if (racine.empty() || !std::filesystem::exists(racine))
        GTEST_SKIP() << "no shared data";
    int vus = 0;
    for (const auto &e : std::filesystem::recursive_directory_iterator(racine)) {
        const std::string chemin = e.path().string(), suffixe = e.path().extension().string();
        if (suffixe != ".ply" && suffixe != ".pcd")
            continue;
        ++vus;
        Resultat r;
        const std::vector<point3> points = lire(chemin, &r);
        if (chemin.find("/bad/") != std::string::npos) {
            EXPECT_NE(r.texte().find("le fichier s'arrête à l'octet 75670, dans face"), std::string::npos) << r.texte();
            continue;
        }
        EXPECT_TRUE(r) << r.texte();
        EXPECT_GT(points.size(), 100u) << chemin;
        Simplex s;
        if (suffixe == ".ply" && chemin.find("stanford-scan") == std::string::npos) {
            // A mesh: its faces, and as a cloud its surface, its vertices first.
            ASSERT_TRUE(ouvrirMaillage(chemin, s)) << chemin;
            const std::vector<point3> &v = s.maillageOrigine.listeSommets;
            EXPECT_GT(s.maillageOrigine.listeFaces.size(), v.size()) << chemin;
            EXPECT_GE(points.size(), std::max(v.size(), POINTS_DE_SURFACE_MINIMUM)) << chemin;
            EXPECT_TRUE(points.size() >= v.size() && std::equal(v.begin(), v.end(), points.begin())) << chemin;
        }
    }
    EXPECT_GE(vus, 10);
}

TEST(Nuages, AFileCutShorterWhileMappedIsRefusedNotASignal)
{
    // Cut to one page after the mapping and before the reading: the pages past it are gone, and
    // reading them would raise SIGBUS without the guard.
    TempDir d;
    const std::size_t n = 100000;
    std::string ply = "ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(n) +
                      "\nproperty float x\nproperty float y\nproperty float z\nend_header\n";
    std::string xyz, pcd = "FIELDS x y z\nPOINTS " + std::to_string(n) + "\nDATA ascii\n";
    for (std::size_t i = 0; i < n; ++i) {
        const float v[3] = {float(i), float(i % 7), float(i % 13)};
        ply.append(reinterpret_cast<const char *>(v), sizeof v);
        const std::string ligne = std::to_string(i) + " " + std::to_string(i % 7) + " " + std::to_string(i % 13) + "\n";
        xyz += ligne;
        pcd += ligne;
    }
    for (const auto &[nom, contenu] : {std::pair{"c.ply", ply}, {"c.xyz", xyz}, {"c.pcd", pcd}}) {
        const std::string chemin = d.file(nom);
        writeFile(chemin, contenu);
        for (const bool coupe : {false, true}) {
            tarnis_nuage::Projection fichier;
            ASSERT_TRUE(fichier.ouvrir(chemin, Statut::NuageIllisible, false));
            if (coupe) {
                ASSERT_EQ(::truncate(chemin.c_str(), 4096), 0);
            }
            std::vector<point3> points;
            long long nonFinis = 0;
            const Resultat r = tarnis_nuage::lireNuageProjete(fichier, chemin, points, nonFinis);
            if (!coupe) {
                EXPECT_TRUE(r) << r.texte();
                EXPECT_EQ(points.size(), n) << nom;
                continue;
            }
            EXPECT_EQ(r.raison.code, CodeRaison::FichierChange) << r.texte();
            EXPECT_EQ(r.statut, Statut::NuageIllisible);
            EXPECT_TRUE(points.empty()) << nom;
        }
    }
}

TEST(Nuages, TextCloudsWithAMarkDecimalCommasOrCREndsAndUpperCaseSuffixes)
{
    TempDir d;
    std::string bom = "\xEF\xBB\xBF", virgules = "x;y;z\n", cr, majuscules;
    for (const point3 &p : POINTS) {
        const std::string x = std::to_string(p.x), y = std::to_string(p.y), z = std::to_string(p.z);
        bom += x + " " + y + " " + z + "\n";
        std::string ligne = x + ";" + y + "; " + z + "\n";
        std::replace(ligne.begin(), ligne.end(), '.', ',');
        virgules += ligne;
        cr += x + " " + y + " " + z + "\r";
        majuscules += x + "," + y + "," + z + "\n";
    }
    for (const auto &[nom, contenu] :
         {std::pair{"bom.xyz", bom}, {"virgules.csv", virgules}, {"cr.txt", cr}, {"haut.XYZ", majuscules}}) {
        writeFile(d.file(nom), contenu);
        EXPECT_EQ(lire(d.file(nom)), POINTS) << nom;
    }
    // A CR-only file names its lines as they show.
    writeFile(d.file("cr2.xyz"), "1 2 3\r4 5 6\r7 x 9\r");
    Resultat r;
    EXPECT_TRUE(lire(d.file("cr2.xyz"), &r).empty());
    EXPECT_NE(r.texte().find("ligne 3 : « x » n'est pas un nombre"), std::string::npos) << r.texte();
}

TEST(Nuages, LargeHostileFilesAreRefusedWithinACappedAddressSpace)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizers' shadow memory does not fit a capped address space";
#endif
    // Sparse files of 1 GiB of zeros: a count a little beyond the bytes (a cut file), and a count
    // that fits them but whose cloud (2 GB) does not fit the 1.5 GB left to the reader.
    TempDir d;
    const std::size_t taille = std::size_t(1) << 30;
    const std::string tete = "ply\nformat binary_little_endian 1.0\nelement vertex ";
    const std::string proprietes = "\nproperty float x\nproperty float y\nproperty float z\nend_header\n";
    const std::size_t justes = (taille - tete.size() - 8 - proprietes.size()) / 12;
    for (const auto &[compte, code] : {std::pair{justes + 10, CodeRaison::FichierCoupe}, {justes, CodeRaison::MemoireLecture}}) {
        std::string entete = tete + std::to_string(compte) + proprietes;
        const std::string chemin = d.file("zeros.ply");
        writeFile(chemin, entete);
        ASSERT_EQ(::truncate(chemin.c_str(), static_cast<off_t>(entete.size() + 12 * justes)), 0);
        const pid_t enfant = ::fork();
        if (enfant == 0) {
            const rlimit plafond{std::size_t(1536) << 20, std::size_t(1536) << 20};
            ::setrlimit(RLIMIT_AS, &plafond);
            std::vector<point3> points;
            long long nonFinis = 0;
            const Resultat r = lireNuageFichier(chemin, points, nonFinis, {}, OptionsLecture{1, 1 << 20});
            std::_Exit(r.raison.code == code && points.empty() ? 0 : 1);
        }
        int statut = -1;
        ASSERT_EQ(::waitpid(enfant, &statut, 0), enfant);
        EXPECT_TRUE(WIFEXITED(statut) && WEXITSTATUS(statut) == 0) << static_cast<int>(code) << " " << statut;
    }
}
