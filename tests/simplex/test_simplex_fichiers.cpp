// SMM and SM files: exact written layout, read-back, the hand-off of OFF / OBJ files, and refused
// files that leave the mesh as it was. How the simplex operations end: the status and the reason
// of each refusal, and the state a stop through the progression leaves.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>
#include <fcntl.h>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include "Maillage.h"

#include "refine_fixtures.h"
#include "Resultat.h"
#include "Simplex.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;

namespace {

/// Four points, each the neighbour of the three others, with coordinates that exercise the
/// stream's default formatting.
void construireK4(Simplex &s)
{
    captureSorties([&] {
        ASSERT_TRUE(s.construire({point3(1, 0.5, -2), point3(1234567, 0, 0.0001), point3(0.00001, -3.25, 100),
                                  point3(0.1 + 0.2, 7, -0.0)},
                                 {{{1, 2, 3}}, {{2, 0, 3}}, {{0, 1, 3}}, {{0, 2, 1}}},
                                 {{0, 1, 2}, {0, 3, 1}, {1, 3, 2}, {0, 2, 3}})
                        .reussi());
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
    captureSorties([&] { r = s.charger(nom); });
    return r;
}

void exporter(Simplex &s, const std::string &nom, int format)
{
    captureStdout([&] { EXPECT_TRUE(s.exporter(nom, format)); });
}

/// A progression that says stop at its call number `arret` (from 1) and records the fractions.
struct Arret
{
    int arret;
    std::vector<double> fractions;
    Progression fonction()
    {
        return [this](double f, const Raison &) {
            fractions.push_back(f);
            return static_cast<int>(fractions.size()) < arret;
        };
    }
};

Resultat silencieux(const std::function<Resultat()> &f)
{
    Resultat r;
    captureSorties([&] { r = f(); });
    return r;
}

} // namespace

// Exact bytes, read back; a neighbour or cell point is written as the index of the first equal
// record, or -1.
TEST(Exporter, WritesTheSmmAndSmLayoutsByteForByteAndReadsThemBack)
{
    TempDir dir;
    Simplex s;
    construireK4(s);
    exporter(s, dir.file("k4.smm"), 2);
    EXPECT_EQ(readFile(dir.file("k4.smm")), smmK4);
    exporter(s, dir.file("k4.sm"), 1);
    EXPECT_EQ(readFile(dir.file("k4.sm")), "SM\n4\n" + lignesPointsK4);
    // Read back (a leading '+' as the streams accept it): the order of neighbours and cells is kept;
    // the initial records keep null neighbours.
    ASSERT_TRUE(writeFile(dir.file("k4.smm"), "SMM\n4 4\n+" + smmK4.substr(8)));
    Simplex lu;
    ASSERT_EQ(chargerSilencieux(lu, dir.file("k4.smm")), 1);
    EXPECT_EQ(topologie(lu), topologie(s));
    EXPECT_EQ(lu.ListePointsInitiaux.size(), 4u); // companion sizes: see the reload below
    EXPECT_EQ(lu.ListePointsInitiaux[0]->Voisin1, nullptr);

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
        const point3 &a = source.ListePointsSimplex[i]->Position, &b = lu.ListePointsSimplex[i]->Position;
        // Six significant digits, read as single precision.
        EXPECT_EQ(b.x, static_cast<double>(arrondiFloat(a.x > 0 ? 0.333333 : -0.333333)));
        EXPECT_LT(vector3(a, b).norme(), 1e-6);
    }
    attendreInvariants(lu);
    // Geometry computed on read: outward normals of the cube's corners.
    for (const PointSimplex *p : lu.ListePointsSimplex)
        EXPECT_NEAR(p->Ni * vector3(point3(0, 0, 0), p->Position), std::sqrt(3.0) / 3, 1e-5);
    // Writing the read mesh again gives the same bytes.
    exporter(lu, dir.file("encore.smm"), 2);
    EXPECT_EQ(readFile(dir.file("encore.smm")), readFile(dir.file("cube.smm")));
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
    const OptionsInvariants sansGenre{true, false, false}; // K4 has 4 cells for 4 points

    // Straight reload over a deformed mesh.
    Simplex s;
    ASSERT_EQ(chargerSilencieux(s, dir.file("cube.smm")), 1);
    captureStdout([&] { s.deformer(kd.get(), 0, 0.5f, 0.5f, 0, 2, false); });
    ASSERT_EQ(chargerSilencieux(s, dir.file("k4.smm")), 1);
    attendreInvariants(s, sansGenre);
    EXPECT_EQ(positions(s.ListePointsPrecedents), positions(s.ListePointsSimplex));

    // Read again over the K4: a retention step now pulls each point along its own last move only:
    // none, after a read.
    ASSERT_EQ(chargerSilencieux(s, dir.file("cube.smm")), 1);
    Simplex reference;
    ASSERT_EQ(chargerSilencieux(reference, dir.file("cube.smm")), 1);
    captureStdout([&] {
        s.deformer(kd.get(), 1, 0.5f, 0.5f, 0.9f, 2, false);
        reference.deformer(kd.get(), 0, 0.5f, 0.5f, 0.9f, 2, false);
    });
    EXPECT_EQ(positions(s.ListePointsSimplex), positions(reference.ListePointsSimplex));
}

TEST(Charger, RefusesBadFilesAndKeepsTheMesh)
{
    TempDir dir;
    Simplex s;
    cubeDual(s, 1.0);
    const std::string avant = empreinte(s);
    const std::vector<PointSimplex *> points = s.ListePointsSimplex;

    const std::vector<std::pair<std::string, std::string>> fichiers = {
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
        ASSERT_TRUE(f.first == "absent" || writeFile(nom, f.second));
        EXPECT_EQ(chargerSilencieux(s, nom), 0);
        EXPECT_EQ(s.ListePointsSimplex, points); // the very records, as they were
        EXPECT_EQ(empreinte(s), avant);
        EXPECT_TRUE(s.maillageOrigine.listeSommets.empty());
    }
    EXPECT_TRUE(verifierInvariants(s).empty());
    exporter(s, dir.file("bon.smm"), 2);
    EXPECT_EQ(chargerSilencieux(s, dir.file("bon.smm")), 1);
}

// Every refusal has its status and a reason naming what is at fault, and changes nothing.
TEST(Resultats, RefusalsNameTheirCauseAndLeaveTheMesh)
{
    TempDir dir;
    const Statut illisible = Statut::MaillageIllisible, arguments = Statut::ArgumentsIncorrects;
    using Operation = std::function<Resultat(Simplex &)>;
    auto lire = [&dir](const std::string &nom, const std::string &texte) -> Operation {
        writeFile(dir.file(nom), texte);
        return [&dir, nom](Simplex &s) { return s.lire(dir.file(nom)); };
    };
    auto construire = [](std::vector<point3> p, std::vector<std::array<int, 3>> v,
                         std::vector<std::vector<int>> m) -> Operation {
        return [=](Simplex &s) { return s.construire(p, v, m); };
    };
    // The operation, its status, the words its reason holds.
    const std::vector<std::tuple<Operation, Statut, std::vector<std::string>>> cas = {
        {lire("voisin.smm", "SMM\n2 0\n0 0 0 1 1 1\n0 0 0 0 0 7\n"), illisible, {"voisin.smm, ligne 4", "voisin 7"}},
        {lire("maille.smm", "SMM\n1 1\n0 0 0 0 0 0\n\n2 0 -3\n"), illisible, {"maille.smm, ligne 5", "-3 hors de 0..0"}},
        {lire("entete.txt", "PLY\n"), illisible, {"entete.txt, ligne 1", "format"}},
        {lire("vide.smm", "SMM\n0 0\n"), illisible, {"ligne 2 : le fichier annonce 0 point (et 0 mailles)"}},
        {lire("grand.smm", "SMM\n5 0\n0 0 0 1 1 1\n"), illisible, {"5 points annoncés, mais le fichier ne fait que 16"}},
        {lire("court.smm", "SMM\n4 0\n" + lignesPointsK4.substr(0, 60)), illisible, {"4 points annoncés, 2 présents"}},
        {lire("mailles.smm", "SMM\n4 6\n" + lignesPointsK4 + "3 0 1 2\n"), illisible,
         {"ligne 8 : 6 mailles annoncées, 1 présentes : le fichier s'arrête là"}},
        {[&](Simplex &s) { return s.ecrire(dir.file("non/la.smm"), 2); }, Statut::SortieImpossible, {"non/la.smm"}},
        {[&](Simplex &s) { return s.ecrire(dir.file("f.smm"), 3); }, arguments, {"f.smm", "format 3"}},
        {[](Simplex &s) { return s.raffinerT26(8); }, arguments, {"8", "0..7"}},
        {[](Simplex &s) { return s.raffinerT22(6); }, arguments, {"6", "0..5"}},
        {construire({point3(), point3()}, {{0, 1, 1}, {0, 0, 2}}, {}), arguments, {"point 1", "voisin 2"}},
        {construire({point3()}, {{0, 0, 0}}, {{0, -1}}), arguments, {"maille 0", "-1"}},
    };
    for (const auto &c : cas) {
        Simplex s;
        cubeDual(s);
        const std::string avant = empreinte(s);
        const Resultat r = silencieux([&] { return std::get<0>(c)(s); });
        EXPECT_EQ(r.statut, std::get<1>(c)) << r.texte();
        for (const std::string &mot : std::get<2>(c))
            EXPECT_NE(r.texte().find(mot), std::string::npos) << r.texte() << " / " << mot;
        EXPECT_EQ(empreinte(s), avant) << r.texte();
    }
}

// A stopped pass over the points or cells leaves a whole mesh holding the work done so far:
// more points than before, fewer than the full pass, and every invariant of a refined mesh.
TEST(Resultats, AStoppedRefinementLeavesAWholePartlyRefinedMesh)
{
    using Passe = Resultat (Simplex::*)(const Progression &);
    for (Passe passe : {&Simplex::raffinerT26Global, &Simplex::raffinerT26Angles, &Simplex::raffinerT22Surfaces,
                        &Simplex::raffinerT22PointsParMaille}) {
        Simplex complet, arrete;
        for (Simplex *s : {&complet, &arrete}) {
            ASSERT_TRUE(chargerGabarit(*s));
            // A first T26 pass gives the cells unequal sizes and areas for the T22 passes.
            ASSERT_TRUE(silencieux([&] { return s->raffinerT26(0); }).reussi());
        }
        Arret arret{30, {}};
        ASSERT_TRUE(silencieux([&] { return (complet.*passe)(Progression()); }).reussi());
        EXPECT_EQ(silencieux([&] { return (arrete.*passe)(arret.fonction()); }).statut, Statut::Interrompu);
        EXPECT_GT(arrete.ListePointsSimplex.size(), 320u + 2); // the template and the first split
        EXPECT_LT(arrete.ListePointsSimplex.size(), complet.ListePointsSimplex.size());
        attendreInvariants(arrete, invariantsRaffinage);
        EXPECT_TRUE(std::is_sorted(arret.fractions.begin(), arret.fractions.end()));
    }
}

// Reading and the conversions build aside: a stop leaves the mesh as it was. A stopped run of
// deformation steps leaves exactly the steps done.
TEST(Resultats, StoppedReadsConversionsAndRunsLeaveWhatTheySay)
{
    Simplex s;
    cubeDual(s);
    const std::string cube = empreinte(s), gabarit = std::string(TARNIS_SOURCE_DIR) + "/SMM_/icosa.smm";
    Arret lecture{2, {}};
    EXPECT_EQ(silencieux([&] { return s.lire(gabarit, lecture.fonction()); }).statut, Statut::Interrompu);
    EXPECT_EQ(empreinte(s), cube);

    std::vector<point3> sommets;
    std::vector<Face> faces;
    icosaedreSubdivise(1, 1.0, sommets, faces);
    s.maillageOrigine = Maillage(sommets, faces);
    for (int appel : {2, 60}) {
        Arret conversion{appel, {}};
        EXPECT_EQ(silencieux([&] { return s.convertirTriangles(conversion.fonction()); }).statut, Statut::Interrompu);
        EXPECT_EQ(empreinte(s), cube);
    }
    s.maillageTriangule = Maillage(sommets, faces);
    Arret triangulation{3, {}};
    EXPECT_EQ(silencieux([&] { return s.trianguler(triangulation.fonction()); }).statut, Statut::Interrompu);
    EXPECT_EQ(empreinte(s.maillageTriangule), empreinte(Maillage(sommets, faces)));

    const std::vector<point3> nuage = nuageEllipsoide(400, 12, 9, 7);
    KdPtr kd = kdSur(nuage);
    Simplex pasAPas, run;
    for (Simplex *x : {&pasAPas, &run})
        ASSERT_TRUE(chargerGabarit(*x));
    for (int k = 0; k < 3; ++k)
        pasAPas.deformer(kd.get(), 1, 1.0f, 0.05f, 0.0f, 2, false);
    Arret deformation{4, {}};
    EXPECT_EQ(run.deformerPas(10, kd.get(), 1, 1.0f, 0.05f, 0.0f, 2, false, deformation.fonction()).statut,
              Statut::Interrompu);
    EXPECT_EQ(empreinte(run), empreinte(pasAPas));
}

// A gigabyte that begins like a text file is refused from its first bytes: each reading runs in a
// child process limited to 2 s of processor time and, outside AddressSanitizer (whose shadow
// memory defeats the limit), to 64 MB of address space more than it has.
TEST(LectureBornee, AGigabyteAfterAHeaderIsRefusedFromItsFirstBytes)
{
    TempDir dir;
    const std::pair<std::string, std::string> cas[] = {
        {"SMM\n", "nombres de points et de mailles illisibles (des octets de contrôle"},
        {"SMM\n4 4\n", "ligne 3 : point 0 : des octets de contrôle"},
        {"SM", "la première ligne dépasse 4096 caractères"},
        {"OFF", "la ligne 1 dépasse 4096 caractères"},
        {"OFF\n", "ligne 2 : nombres de sommets, de faces et d'arêtes attendus, des octets de contrôle"},
        {"PTS", "la ligne 1 dépasse 4096 caractères"},
        {"PTS\n", "ligne 2 : nombre de points illisible (des octets de contrôle"},
        {"PTS\n400\n", "400 points annoncés, 0 lus ; la lecture s'est arrêtée ligne 3 (point 1) : des octets de "
                       "contrôle"},
    };
    for (const auto &[debut, motif] : cas) {
        const std::string nom = dir.file(debut.substr(0, 3) == "PTS" ? "g.pts" : "g.smm");
        ASSERT_TRUE(writeFile(nom, debut));
        ASSERT_EQ(truncate(nom.c_str(), off_t(1) << 30), 0);
        std::fflush(nullptr);
        const pid_t fils = fork();
        if (fils == 0) {
            const rlimit cpu{2, 2};
            setrlimit(RLIMIT_CPU, &cpu);
#ifndef __SANITIZE_ADDRESS__
            long pages = 0;
            std::ifstream("/proc/self/statm") >> pages;
            const rlim_t plafond = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(64) << 20);
            const rlimit memoire{plafond, plafond};
            setrlimit(RLIMIT_AS, &memoire);
#endif
            const int nul = open("/dev/null", O_WRONLY);
            dup2(nul, 1);
            dup2(nul, 2);
            Simplex s;
            Maillage m;
            const Resultat r = nom.back() == 's' ? m.lirePTS(nom) : debut[1] == 'F' ? m.lireOFF(nom) : s.lire(nom);
            _exit(r.statut != Statut::Reussite && r.texte().find(motif) != std::string::npos ? 0 : 1);
        }
        int etat = 0;
        ASSERT_EQ(waitpid(fils, &etat, 0), fils);
        EXPECT_TRUE(WIFEXITED(etat) && WEXITSTATUS(etat) == 0) << debut << (WIFSIGNALED(etat) ? " : signal" : "");
    }
}
