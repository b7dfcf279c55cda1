// SMM and SM files: exact written layout, read-back, the hand-off of OFF / OBJ files, and refused
// files that leave the mesh as it was.

#include <gtest/gtest.h>

#include "Simplex.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;

namespace {

/// Four points, each the neighbour of the three others, with coordinates that exercise the
/// stream's default formatting.
void construireK4(Simplex &s)
{
    captureStdout([&] {
        captureStderr([&] {
            ASSERT_TRUE(s.construire({point3(1, 0.5, -2), point3(1234567, 0, 0.0001), point3(0.00001, -3.25, 100),
                                      point3(0.1 + 0.2, 7, -0.0)},
                                     {{{1, 2, 3}}, {{2, 0, 3}}, {{0, 1, 3}}, {{0, 2, 1}}},
                                     {{0, 1, 2}, {0, 3, 1}, {1, 3, 2}, {0, 2, 3}})
                            .reussi());
        });
    });
}

const std::string lignesPointsK4 = "1 0.5 -2 1 2 3\n"
                                   "1.23457e+06 0 0.0001 2 0 3\n"
                                   "1e-05 -3.25 100 0 1 3\n"
                                   "0.3 7 -0 0 2 1\n";

const std::string smmK4 = "SMM\n4 4\n" + lignesPointsK4 + "3 0 1 2 \n3 0 3 1 \n3 1 3 2 \n3 0 2 3 \n";

/// Neighbour indices and cell indices of a mesh, the part of it that a file must carry exactly.
std::vector<std::vector<int>> topologie(const Simplex &s)
{
    const auto &pts = s.ListePointsSimplex;
    auto indice = [&pts](const PointSimplex *p) {
        return static_cast<int>(std::find(pts.begin(), pts.end(), p) - pts.begin());
    };
    std::vector<std::vector<int>> t;
    for (const PointSimplex *p : pts)
        t.push_back({indice(p->Voisin1), indice(p->Voisin2), indice(p->Voisin3)});
    for (const Maille *m : s.ListeMailles) {
        t.emplace_back();
        for (const PointSimplex *p : *m)
            t.back().push_back(indice(p));
    }
    return t;
}

int chargerSilencieux(Simplex &s, const std::string &nom)
{
    int r = -1;
    captureStderr([&] { captureStdout([&] { r = s.charger(nom); }); });
    return r;
}

void exporter(Simplex &s, const std::string &nom, int format)
{
    captureStdout([&] { EXPECT_TRUE(s.exporter(nom, format)); });
}

} // namespace

TEST(Exporter, WritesTheSmmAndSmLayoutsByteForByte)
{
    TempDir dir;
    Simplex s;
    construireK4(s);
    exporter(s, dir.file("k4.smm"), 2);
    EXPECT_EQ(readFile(dir.file("k4.smm")), smmK4);
    exporter(s, dir.file("k4.sm"), 1);
    EXPECT_EQ(readFile(dir.file("k4.sm")), "SM\n4\n" + lignesPointsK4);
}

TEST(Exporter, IndexIsTheFirstEqualRecordOrMinusOne)
{
    TempDir dir;
    Simplex s;
    construireK4(s);
    // A record equal to point 1 (same neighbours, same position) appended as point 4: references to
    // it are written as 1. A record outside the list is written as -1.
    PointSimplex *egal = new PointSimplex(*s.ListePointsSimplex[1]);
    PointSimplex *ailleurs = new PointSimplex(point3(5, 5, 5), nullptr, nullptr, nullptr);
    s.ListePointsSimplex.push_back(egal);
    s.ListePointsInitiaux.push_back(ailleurs); // owned by the mesh, not part of it
    s.ListePointsSimplex[0]->Voisin1 = egal;
    s.ListePointsSimplex[3]->Voisin3 = ailleurs;
    s.ListeMailles[0]->push_back(ailleurs);
    exporter(s, dir.file("k4.smm"), 2);
    EXPECT_EQ(readFile(dir.file("k4.smm")), "SMM\n5 4\n"
                                            "1 0.5 -2 1 2 3\n"
                                            "1.23457e+06 0 0.0001 2 0 3\n"
                                            "1e-05 -3.25 100 0 1 3\n"
                                            "0.3 7 -0 0 2 -1\n"
                                            "1.23457e+06 0 0.0001 2 0 3\n"
                                            "4 0 1 2 -1 \n3 0 3 1 \n3 1 3 2 \n3 0 2 3 \n");
}

TEST(Charger, ReadsBackWhatWasWritten)
{
    TempDir dir;
    Simplex source;
    cubeDual(source, 1.0);
    exporter(source, dir.file("cube.smm"), 2);

    Simplex lu;
    ASSERT_EQ(chargerSilencieux(lu, dir.file("cube.smm")), 1);
    EXPECT_EQ(topologie(lu), topologie(source));
    for (std::size_t i = 0; i < 8; ++i) {
        const point3 &a = source.ListePointsSimplex[i]->Position;
        const point3 &b = lu.ListePointsSimplex[i]->Position;
        // Six significant digits, read as single precision.
        EXPECT_EQ(b.x, static_cast<double>(arrondiFloat(a.x > 0 ? 0.333333 : -0.333333)));
        EXPECT_NEAR(b.y, a.y, 1e-6);
        EXPECT_NEAR(b.z, a.z, 1e-6);
    }
    attendreInvariants(lu);
    // Geometry computed on read: outward normals of the cube's corners.
    for (const PointSimplex *p : lu.ListePointsSimplex)
        EXPECT_NEAR(p->Ni * vector3(point3(0, 0, 0), p->Position), std::sqrt(3.0) / 3, 1e-5);
    // Writing the read mesh again gives the same bytes.
    exporter(lu, dir.file("encore.smm"), 2);
    EXPECT_EQ(readFile(dir.file("encore.smm")), readFile(dir.file("cube.smm")));

    // The order of neighbours and cells is kept; the initial records keep null neighbours.
    ASSERT_TRUE(writeFile(dir.file("k4.smm"), smmK4));
    Simplex s, attendu;
    ASSERT_EQ(chargerSilencieux(s, dir.file("k4.smm")), 1);
    construireK4(attendu);
    EXPECT_EQ(topologie(s), topologie(attendu));
    EXPECT_EQ(s.ListePointsSuivants.size(), 4u);
    EXPECT_EQ(s.ListePointsPrecedents.size(), 4u);
    EXPECT_EQ(s.ListePointsInitiaux.size(), 4u);
    EXPECT_EQ(s.ListePointsInitiaux[0]->Voisin1, nullptr);
}

TEST(Charger, TriangleMeshesGoToTheTriangleMeshReaders)
{
    TempDir dir;
    Simplex s;
    cubeDual(s);
    // A name ending in ".obj" goes to the OBJ reader whatever it holds; the simplex mesh stays.
    ASSERT_TRUE(writeFile(dir.file("tri.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    EXPECT_EQ(chargerSilencieux(s, dir.file("tri.obj")), 1);
    EXPECT_EQ(s.maillageOrigine.listeSommets.size(), 3u);
    EXPECT_EQ(s.maillageTriangule.listeFaces.size(), 1u);
    EXPECT_EQ(s.ListePointsSimplex.size(), 8u);

    // Content starting with OFF goes to the OFF reader, whatever the name.
    Simplex t;
    ASSERT_TRUE(writeFile(dir.file("tetra.txt"), "OFF with a comment\n4 4 6\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n"
                                                 "3 0 2 1\n3 0 1 3\n3 0 3 2\n3 1 2 3\n"));
    EXPECT_EQ(chargerSilencieux(t, dir.file("tetra.txt")), 1);
    EXPECT_EQ(t.maillageOrigine.listeSommets.size(), 4u);
    EXPECT_EQ(t.maillageTriangule.listeFaces.size(), 4u);
    EXPECT_TRUE(t.ListePointsSimplex.empty());
}

TEST(Charger, ReloadLinesUpEveryCompanionList)
{
    TempDir dir;
    {
        Simplex k4, cube;
        construireK4(k4);
        exporter(k4, dir.file("k4.smm"), 2);
        cubeDual(cube, 2.0);
        exporter(cube, dir.file("cube.smm"), 2);
    }
    const std::vector<point3> nuage = nuageEllipsoide(200, 3, 3, 3);
    KdPtr kd = kdSur(nuage);
    OptionsInvariants sansGenre;
    sansGenre.genre0 = false; // K4 has 4 cells for 4 points
    sansGenre.orientation = false;

    // Straight reload over a deformed mesh.
    Simplex s;
    ASSERT_EQ(chargerSilencieux(s, dir.file("cube.smm")), 1);
    captureStdout([&] { s.deformer(kd.get(), 0, 0.5f, 0.5f, 0, 2, false); });
    ASSERT_EQ(chargerSilencieux(s, dir.file("k4.smm")), 1);
    attendreInvariants(s, sansGenre);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(s.ListePointsPrecedents[i]->Position == s.ListePointsSimplex[i]->Position);

    // Read again over the K4: a retention step now pulls each point along its own last move only:
    // none, after a read.
    ASSERT_EQ(chargerSilencieux(s, dir.file("cube.smm")), 1);
    Simplex reference;
    ASSERT_EQ(chargerSilencieux(reference, dir.file("cube.smm")), 1);
    captureStdout([&] {
        s.deformer(kd.get(), 1, 0.5f, 0.5f, 0.9f, 2, false);
        reference.deformer(kd.get(), 0, 0.5f, 0.5f, 0.9f, 2, false);
    });
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_TRUE(s.ListePointsSimplex[i]->Position == reference.ListePointsSimplex[i]->Position);
}

TEST(Charger, RefusesBadFilesAndKeepsTheMesh)
{
    TempDir dir;
    Simplex s;
    cubeDual(s, 1.0);
    const auto avant = topologie(s);
    const std::vector<PointSimplex *> points = s.ListePointsSimplex;
    const std::vector<PointSimplex *> precedents = s.ListePointsPrecedents;

    const std::vector<std::pair<std::string, std::string>> fichiers = {
        {"neighbour index N", "SMM\n2 0\n0 0 0 1 1 2\n1 1 1 0 0 0\n"},
        {"negative neighbour index", "SMM\n2 0\n0 0 0 1 1 -1\n1 1 1 0 0 0\n"},
        {"cell index out of range", "SMM\n2 1\n0 0 0 1 1 1\n1 1 1 0 0 0\n2 0 5 \n"},
        {"negative point count", "SMM\n-3 0\n"},
        {"negative cell count", "SMM\n0 -1\n"},
        {"negative cell size", "SMM\n1 1\n0 0 0 0 0 0\n-2 0 0\n"},
        {"point record cut short", "SMM\n2 0\n0 0 0 1 1 1\n1 1 1 0\n"},
        {"cell record cut short", "SMM\n2 1\n0 0 0 1 1 1\n1 1 1 0 0 0\n3 0 1\n"},
        {"counts missing", "SMM\n"},
        {"word instead of a number", "SMM\n1 0\n0 zero 0 0 0 0\n"},
        {"number glued to text", "SMM\n1 0\n0 0 0 0 0 0x\n"},
        {"non-finite coordinate", "SMM\n1 0\nnan 0 0 0 0 0\n"},
        {"huge point count", "SMM\n99999999999 0\n"},
        {"empty first line", "\nSMM\n"},
        {"SM files are not read", "SM\n4\n" + lignesPointsK4},
        // An upper-case ".OBJ" is opened like any other name and must start with OFF, SM or SMM.
        {"OBJ", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"},
        {"absent", ""},
    };
    for (const auto &f : fichiers) {
        SCOPED_TRACE(f.first);
        const std::string nom = dir.file(f.first == "OBJ" ? "tri.OBJ" : "mauvais.smm");
        std::remove(nom.c_str());
        if (f.first != "absent") {
            ASSERT_TRUE(writeFile(nom, f.second));
        }
        int r = -1;
        EXPECT_NO_THROW(r = chargerSilencieux(s, nom));
        EXPECT_EQ(r, 0);
        EXPECT_EQ(s.ListePointsSimplex, points);
        EXPECT_EQ(s.ListePointsPrecedents, precedents);
        EXPECT_EQ(topologie(s), avant);
        EXPECT_TRUE(s.maillageOrigine.listeSommets.empty());
    }
    EXPECT_TRUE(verifierInvariants(s).empty());
    // A good read clears the reason of the last refusal.
    ASSERT_TRUE(writeFile(dir.file("mauvais.smm"), "SMM\n-3 0\n"));
    chargerSilencieux(s, dir.file("mauvais.smm"));
    EXPECT_FALSE(s.getRaisonChargement().empty());
    exporter(s, dir.file("bon.smm"), 2);
    EXPECT_EQ(chargerSilencieux(s, dir.file("bon.smm")), 1);
    EXPECT_EQ(s.getRaisonChargement(), "");
}
