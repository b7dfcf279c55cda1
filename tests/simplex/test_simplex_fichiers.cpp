// SMM and SM files: exact written layout, read-back, the hand-off of OFF / OBJ files, and refused
// files that leave the mesh as it was.

#include <gtest/gtest.h>

#include "Simplex.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;

namespace {

/// Four points, each the neighbour of the three others, with coordinates that exercise the
/// stream's default formatting. Built by hand, without the geometry (the writer does not need it).
void construireK4(Simplex &s)
{
    const point3 positions[4] = {point3(1, 0.5, -2), point3(1234567, 0, 0.0001),
                                 point3(0.00001, -3.25, 100), point3(0.1 + 0.2, 7, -0.0)};
    const int voisins[4][3] = {{1, 2, 3}, {2, 0, 3}, {0, 1, 3}, {0, 2, 1}};
    const int cellules[4][3] = {{0, 1, 2}, {0, 3, 1}, {1, 3, 2}, {0, 2, 3}};
    for (auto *liste : {&s.ListePointsSimplex, &s.ListePointsSuivants, &s.ListePointsPrecedents})
        for (const point3 &p : positions)
            liste->push_back(new PointSimplex(p, nullptr, nullptr, nullptr));
    for (auto *liste : {&s.ListePointsSimplex, &s.ListePointsSuivants})
        for (int i = 0; i < 4; ++i)
        {
            (*liste)[i]->Voisin1 = (*liste)[voisins[i][0]];
            (*liste)[i]->Voisin2 = (*liste)[voisins[i][1]];
            (*liste)[i]->Voisin3 = (*liste)[voisins[i][2]];
        }
    for (const auto &c : cellules)
    {
        s.ListeMailles.push_back(new Maille{s.ListePointsSimplex[c[0]], s.ListePointsSimplex[c[1]],
                                            s.ListePointsSimplex[c[2]]});
        s.ListeMaillesSuivantes.push_back(new Maille{
            s.ListePointsSuivants[c[0]], s.ListePointsSuivants[c[1]], s.ListePointsSuivants[c[2]]});
    }
}

const std::string lignesPointsK4 = "1 0.5 -2 1 2 3\n"
                                   "1.23457e+06 0 0.0001 2 0 3\n"
                                   "1e-05 -3.25 100 0 1 3\n"
                                   "0.3 7 -0 0 2 1\n";

const std::string smmK4 = "SMM\n4 4\n" + lignesPointsK4 + "3 0 1 2 \n3 0 3 1 \n3 1 3 2 \n3 0 2 3 \n";

/// Neighbour indices and cell indices of a mesh, the part of it that a file must carry exactly.
struct Topologie
{
    std::vector<std::array<int, 3>> voisins;
    std::vector<std::vector<int>> mailles;
    bool operator==(const Topologie &o) const { return voisins == o.voisins && mailles == o.mailles; }
};

Topologie topologie(const Simplex &s)
{
    auto indice = [&s](const PointSimplex *p) {
        for (std::size_t i = 0; i < s.ListePointsSimplex.size(); ++i)
            if (s.ListePointsSimplex[i] == p)
                return static_cast<int>(i);
        return -1;
    };
    Topologie t;
    for (const PointSimplex *p : s.ListePointsSimplex)
        t.voisins.push_back({indice(p->Voisin1), indice(p->Voisin2), indice(p->Voisin3)});
    for (const Maille *m : s.ListeMailles)
    {
        t.mailles.emplace_back();
        for (const PointSimplex *p : *m)
            t.mailles.back().push_back(indice(p));
    }
    return t;
}

int chargerSilencieux(Simplex &s, const std::string &nom)
{
    int r = -1;
    captureStdout([&] { r = s.charger(nom); });
    return r;
}

} // namespace

// --- writer --------------------------------------------------------------------------------------------

TEST(Exporter, WritesTheSmmLayoutByteForByte)
{
    TempDir dir;
    Simplex s;
    construireK4(s);
    bool ok = false;
    const std::string sortie = captureStdout([&] { ok = s.exporter(dir.file("k4.smm"), 2); });
    EXPECT_TRUE(ok);
    EXPECT_EQ(readFile(dir.file("k4.smm")), smmK4);
    EXPECT_EQ(sortie, "Exportation terminee avec Succes\n");
}

TEST(Exporter, WritesTheSmLayoutWithoutCells)
{
    TempDir dir;
    Simplex s;
    construireK4(s);
    captureStdout([&] { EXPECT_TRUE(s.exporter(dir.file("k4.sm"), 1)); });
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
    captureStdout([&] { s.exporter(dir.file("k4.smm"), 2); });
    EXPECT_EQ(readFile(dir.file("k4.smm")),
              "SMM\n5 4\n"
              "1 0.5 -2 1 2 3\n"
              "1.23457e+06 0 0.0001 2 0 3\n"
              "1e-05 -3.25 100 0 1 3\n"
              "0.3 7 -0 0 2 -1\n"
              "1.23457e+06 0 0.0001 2 0 3\n"
              "4 0 1 2 -1 \n3 0 3 1 \n3 1 3 2 \n3 0 2 3 \n");
}

TEST(Exporter, ReportsAFileThatCannotBeCreated)
{
    TempDir dir;
    Simplex s;
    construireK4(s);
    bool ok = true;
    const std::string erreurs =
        captureStderr([&] { ok = s.exporter(dir.file("absent/k4.smm"), 2); });
    EXPECT_FALSE(ok);
    EXPECT_EQ(erreurs, "Dans exporter creation impossible !\n");
}

// --- reader --------------------------------------------------------------------------------------------

TEST(Charger, ReadsBackWhatWasWritten)
{
    TempDir dir;
    Simplex source;
    cubeDual(source, 1.0);
    captureStdout([&] { source.exporter(dir.file("cube.smm"), 2); });

    Simplex lu;
    std::string sortie;
    int r = 0;
    sortie = captureStdout([&] { r = lu.charger(dir.file("cube.smm")); });
    ASSERT_EQ(r, 1);
    EXPECT_EQ(sortie, "Simplex::charger :  " + dir.file("cube.smm") + "\nInitialisation paramètres\n");
    EXPECT_TRUE(topologie(lu) == topologie(source));
    for (std::size_t i = 0; i < 8; ++i)
    {
        const point3 &a = source.ListePointsSimplex[i]->Position;
        const point3 &b = lu.ListePointsSimplex[i]->Position;
        // Six significant digits, read as single precision.
        EXPECT_EQ(b.x, static_cast<double>(arrondiFloat(a.x > 0 ? 0.333333 : -0.333333)));
        EXPECT_NEAR(b.y, a.y, 1e-6);
        EXPECT_NEAR(b.z, a.z, 1e-6);
    }
    const auto fautes = verifierInvariants(lu);
    EXPECT_TRUE(fautes.empty()) << fautes.front();
    // Geometry computed on read: outward normals of the cube's corners.
    for (const PointSimplex *p : lu.ListePointsSimplex)
        EXPECT_NEAR(p->Ni * vector3(point3(0, 0, 0), p->Position), std::sqrt(3.0) / 3, 1e-5);

    // Writing the read mesh again gives the same bytes.
    captureStdout([&] { lu.exporter(dir.file("encore.smm"), 2); });
    EXPECT_EQ(readFile(dir.file("encore.smm")), readFile(dir.file("cube.smm")));
}

TEST(Charger, KeepsTheOrderOfNeighboursAndCells)
{
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("k4.smm"), smmK4));
    Simplex s;
    ASSERT_EQ(chargerSilencieux(s, dir.file("k4.smm")), 1);
    Simplex attendu;
    construireK4(attendu);
    EXPECT_TRUE(topologie(s) == topologie(attendu));
    EXPECT_EQ(s.ListePointsSuivants.size(), 4u);
    EXPECT_EQ(s.ListePointsPrecedents.size(), 4u);
    EXPECT_EQ(s.ListePointsInitiaux.size(), 4u);
    // Records of the initial list keep null neighbours.
    EXPECT_EQ(s.ListePointsInitiaux[0]->Voisin1, nullptr);
}

TEST(Charger, SmFilesAreNotRead)
{
    TempDir dir;
    Simplex s;
    construireK4(s);
    captureStdout([&] { s.exporter(dir.file("k4.sm"), 1); });
    Simplex lu;
    std::string sortie, erreurs;
    int r = -1;
    sortie = captureStdout([&] { erreurs = captureStderr([&] { r = lu.charger(dir.file("k4.sm")); }); });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(sortie, "Simplex::charger :  " + dir.file("k4.sm") + "\n");
    EXPECT_EQ(erreurs, "");
    EXPECT_TRUE(lu.ListePointsSimplex.empty());
}

TEST(Charger, MissingEmptyAndForeignFiles)
{
    TempDir dir;
    Simplex s;
    std::string sortie, erreurs;
    int r = -1;

    sortie = captureStdout([&] { erreurs = captureStderr([&] { r = s.charger(dir.file("absent.smm")); }); });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(erreurs, "Problème au chargement du fichier\n");

    ASSERT_TRUE(writeFile(dir.file("vide.smm"), "\nSMM\n"));
    erreurs = captureStderr([&] { captureStdout([&] { r = s.charger(dir.file("vide.smm")); }); });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(erreurs, "Problème au chargement du fichier\n");

    // An upper-case ".OBJ" is opened like any other name and must start with OFF, SM or SMM.
    ASSERT_TRUE(writeFile(dir.file("tri.OBJ"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    sortie = captureStdout([&] { erreurs = captureStderr([&] { r = s.charger(dir.file("tri.OBJ")); }); });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(erreurs, "Simplex::charger : Format incorrect\n");
    EXPECT_EQ(sortie, "Simplex::charger :  " + dir.file("tri.OBJ") + "\nFormat incorrect\n");
    EXPECT_TRUE(s.maillageOrigine.listeSommets.empty());
}

TEST(Charger, TriangleMeshesGoToTheTriangleMeshReaders)
{
    TempDir dir;
    Simplex s;
    cubeDual(s);
    // A name ending in ".obj" goes to the OBJ reader whatever it holds; the simplex mesh stays.
    ASSERT_TRUE(writeFile(dir.file("tri.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
    std::string sortie;
    int r = 0;
    sortie = captureStdout([&] { r = s.charger(dir.file("tri.obj")); });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(s.maillageOrigine.listeSommets.size(), 3u);
    EXPECT_EQ(s.maillageTriangule.listeFaces.size(), 1u);
    EXPECT_EQ(s.ListePointsSimplex.size(), 8u);
    EXPECT_EQ(sortie.rfind("fin chargement et construction\n"),
              sortie.size() - std::string("fin chargement et construction\n").size());

    // Content starting with OFF goes to the OFF reader, whatever the name.
    Simplex t;
    ASSERT_TRUE(writeFile(dir.file("tetra.txt"), "OFF with a comment\n4 4 6\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n"
                                                 "3 0 2 1\n3 0 1 3\n3 0 3 2\n3 1 2 3\n"));
    sortie = captureStdout([&] { r = t.charger(dir.file("tetra.txt")); });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(t.maillageOrigine.listeSommets.size(), 4u);
    EXPECT_EQ(t.maillageTriangule.listeFaces.size(), 4u);
    EXPECT_TRUE(t.ListePointsSimplex.empty());
}

// --- mended faults: lists emptied on reload, bad files refused --------------------------------------

TEST(Charger, ReloadLinesUpEveryCompanionList)
{
    TempDir dir;
    {
        Simplex k4;
        construireK4(k4);
        captureStdout([&] { k4.exporter(dir.file("k4.smm"), 2); });
        Simplex cube;
        cubeDual(cube, 2.0);
        captureStdout([&] { cube.exporter(dir.file("cube.smm"), 2); });
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
    auto fautes = verifierInvariants(s, sansGenre);
    EXPECT_TRUE(fautes.empty()) << fautes.front();
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_TRUE(s.ListePointsPrecedents[i]->Position == s.ListePointsSimplex[i]->Position);

    // The view's reset: reinitialiser, then the same read again.
    captureStdout([&] { s.reinitialiser(); });
    ASSERT_EQ(chargerSilencieux(s, dir.file("cube.smm")), 1);
    fautes = verifierInvariants(s);
    EXPECT_TRUE(fautes.empty()) << fautes.front();
    EXPECT_EQ(s.ListePointsInitiaux.size(), 8u);

    // A retention step now pulls each point along its own last move only: none, after a read.
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
    const Topologie avant = topologie(s);
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
    };
    for (const auto &f : fichiers)
    {
        SCOPED_TRACE(f.first);
        ASSERT_TRUE(writeFile(dir.file("mauvais.smm"), f.second));
        int r = -1;
        std::string erreurs;
        EXPECT_NO_THROW(captureStdout(
            [&] { erreurs = captureStderr([&] { r = s.charger(dir.file("mauvais.smm")); }); }));
        EXPECT_EQ(r, 0);
        EXPECT_EQ(erreurs.rfind("Simplex::charger : fichier SMM refusé (" + s.getRaisonChargement() + ")", 0), 0u)
            << erreurs;
        EXPECT_FALSE(s.getRaisonChargement().empty());
        EXPECT_EQ(s.ListePointsSimplex, points);
        EXPECT_EQ(s.ListePointsPrecedents, precedents);
        EXPECT_TRUE(topologie(s) == avant);
    }
    EXPECT_TRUE(verifierInvariants(s).empty());
    // A good read clears the reason.
    captureStdout([&] { s.exporter(dir.file("bon.smm"), 2); });
    EXPECT_EQ(chargerSilencieux(s, dir.file("bon.smm")), 1);
    EXPECT_EQ(s.getRaisonChargement(), "");
}
