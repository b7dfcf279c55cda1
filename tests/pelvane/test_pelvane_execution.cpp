// The fitting run in process: outputs, read-back, the report against a
// recomputation, the placement, the final series and every failure path.

#include "execution.h"
#include "Ajustement.h"

#include "Maillage.h"
#include "Simplex.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace pelvane;
using tarnis_test::readFile;
using tarnis_test::TempDir;
using tarnis_test::writeFile;

namespace {

const double A = 3, B = 2, C = 1.5; // half axes of the test ellipsoid

// Reference mesh: the dual of a once-subdivided icosahedron (80 points), saved as SMM.
std::string ecrireReference(const TempDir &t, const std::string &nom = "reference.smm")
{
    Simplex s;
    tarnis_test::icosaedreDual(s, 1, 1.0);
    const std::string f = t.file(nom);
    EXPECT_TRUE(s.ecrire(f, 2).reussi());
    return f;
}

std::string ecrireNuage(const std::string &f, const std::vector<point3> &points)
{
    EXPECT_TRUE(tarnis_test::ecrireFichierPTS(f, points));
    return f;
}

Parametres parametresDeTest(const std::string &reference, const std::string &nuage, const std::string &sortie)
{
    Parametres p;
    p.maillage = reference;
    p.nuage = nuage;
    p.sortie = sortie;
    p.pointsMinimum = 300;
    p.iterations = 10;
    // These tests cover the run around the fit (files, report, failures) with the automatic
    // mode's cycles, whose steps they can count; the fit itself is tested in the engine.
    p.cycles = true;
    return p;
}

// "key = value" lines of the report.
std::map<std::string, std::string> lireRapport(const std::string &f)
{
    std::map<std::string, std::string> r;
    std::istringstream in(readFile(f));
    std::string ligne;
    while (std::getline(in, ligne)) {
        auto egal = ligne.find(" = ");
        if (egal != std::string::npos)
            r[ligne.substr(0, egal)] = ligne.substr(egal + 3);
    }
    return r;
}

double nombre(const std::map<std::string, std::string> &r, const std::string &cle)
{
    auto it = r.find(cle);
    if (it == r.end()) {
        ADD_FAILURE() << "missing in the report: " << cle;
        return std::nan("");
    }
    return std::stod(it->second);
}

// Centre and diagonal of the bounding box of the points.
void boite(const std::vector<point3> &points, point3 &centre, double &diagonale)
{
    double mn[3] = {1e300, 1e300, 1e300}, mx[3] = {-1e300, -1e300, -1e300};
    for (const point3 &q : points) {
        const double c[3] = {q.x, q.y, q.z};
        for (int k = 0; k < 3; ++k) {
            mn[k] = std::min(mn[k], c[k]);
            mx[k] = std::max(mx[k], c[k]);
        }
    }
    centre = point3((mn[0] + mx[0]) / 2, (mn[1] + mx[1]) / 2, (mn[2] + mx[2]) / 2);
    diagonale = std::sqrt((mx[0] - mn[0]) * (mx[0] - mn[0]) + (mx[1] - mn[1]) * (mx[1] - mn[1]) +
                          (mx[2] - mn[2]) * (mx[2] - mn[2]));
}

std::vector<std::string> contenu(const std::string &dossier)
{
    std::vector<std::string> noms;
    for (const auto &e : fs::directory_iterator(dossier))
        noms.push_back(e.path().filename().string());
    std::sort(noms.begin(), noms.end());
    return noms;
}

// Mean, nearest-rank 95th percentile and maximum, computed here on their own.
void attendu(std::vector<double> d, double &moyenne, double &c95, double &max)
{
    std::sort(d.begin(), d.end());
    double s = 0;
    for (double x : d)
        s += x;
    moyenne = s / d.size();
    c95 = d[static_cast<std::size_t>(std::ceil(0.95 * d.size() - 1e-9)) - 1];
    max = d.back();
}

} // namespace

TEST(Ajustement, EndToEndOutputsReadBackAndTheReportMatchesARecomputation)
{
    TempDir t;
    const std::string ref = ecrireReference(t);
    const std::vector<point3> points = tarnis_test::nuageEllipsoide(2500, A, B, C);
    const std::string nuage = ecrireNuage(t.file("ellipsoide.pts"), points);
    const std::string sortie = t.file("resultats");
    Parametres p = parametresDeTest(ref, nuage, sortie);
    p.pointsMinimum = 1000;

    std::ostringstream progression;
    const Bilan b = ajuster(p, progression);
    ASSERT_TRUE(b.resultat.reussi()) << b.resultat.raison;

    // The three outputs, named after the cloud, and nothing else.
    EXPECT_EQ(contenu(sortie),
              (std::vector<std::string>{"ellipsoide.off", "ellipsoide.rapport.txt", "ellipsoide.smm"}));
    EXPECT_EQ(b.fichierSmm, sortie + "/ellipsoide.smm");
    // With the rights of any new file, not those of a private temporary one.
    const mode_t masque = umask(0);
    umask(masque);
    for (const std::string &f : {b.fichierSmm, b.fichierOff, b.fichierRapport})
        EXPECT_EQ(static_cast<mode_t>(fs::status(f).permissions()), 0666 & ~masque) << f;

    // The simplex mesh reads back closed and sound, with at least the minimum.
    Simplex s;
    ASSERT_EQ(s.charger(b.fichierSmm), 1);
    // Sound, with every cell running the same way round (default checks).
    EXPECT_EQ(tarnis_test::verifierInvariants(s), std::vector<std::string>{});
    EXPECT_GE(s.getNbPointsSimplex(), p.pointsMinimum);
    EXPECT_EQ(s.getNbPointsSimplex(), b.pointsFinaux);
    ASSERT_FALSE(b.pointsParCycle.empty());
    EXPECT_EQ(b.pointsParCycle.back(), b.pointsFinaux);
    // The cycles stop as soon as the minimum is reached.
    EXPECT_LT(b.pointsInitiaux, p.pointsMinimum);
    for (std::size_t k = 0; k + 1 < b.pointsParCycle.size(); ++k)
        EXPECT_LT(b.pointsParCycle[k], p.pointsMinimum) << k;

    // The triangulation: one vertex per simplex point and per cell, one triangle per cell corner.
    Maillage off;
    ASSERT_TRUE(off.chargerOFF(b.fichierOff));
    EXPECT_EQ(static_cast<int>(off.listeSommets.size()), b.pointsFinaux + b.mailles);
    EXPECT_EQ(static_cast<int>(off.listeFaces.size()), b.triangles);
    EXPECT_EQ(b.triangles, 3 * b.pointsFinaux); // every point is in three cells
    // Its triangles face outward: the volume they enclose is positive, and
    // close to the ellipsoid's (a little less: the cells' chords cut inside).
    double volume = 0;
    for (const Face &f : off.listeFaces) {
        const point3 &a = off.listeSommets[f.s1], &b2 = off.listeSommets[f.s2], &c = off.listeSommets[f.s3];
        volume +=
            (a.x * (b2.y * c.z - b2.z * c.y) - a.y * (b2.x * c.z - b2.z * c.x) + a.z * (b2.x * c.y - b2.y * c.x)) / 6;
    }
    const double ellipsoide = 4.0 / 3 * 3.141592653589793 * A * B * C;
    EXPECT_GT(volume, 0.9 * ellipsoide);
    EXPECT_LT(volume, 1.02 * ellipsoide);

    // The report's figures, recomputed by brute force from the files.
    const auto r = lireRapport(b.fichierRapport);
    EXPECT_EQ(nombre(r, "points du nuage"), 2500);
    EXPECT_EQ(nombre(r, "points simplexes"), s.getNbPointsSimplex());
    EXPECT_EQ(nombre(r, "triangles"), off.listeFaces.size());
    EXPECT_EQ(nombre(r, "cycles"), b.cycles);
    point3 centre;
    double diag = 0;
    boite(points, centre, diag);
    EXPECT_NEAR(nombre(r, "diagonale de la boîte englobante du nuage"), diag, 1e-6 * diag);
    EXPECT_GT(nombre(r, "durée (s)"), 0);

    std::vector<double> versSurface, versNuage;
    for (const point3 &q : points)
        versSurface.push_back(tarnis_test::distanceBrute(q, off));
    for (const PointSimplex *q : s.ListePointsSimplex)
        versNuage.push_back(tarnis_test::plusProcheBrute(q->Position, points));
    // The files carry six significant digits: allow for that rounding.
    const double tol = 1e-5 * diag;
    double m, c95, mx;
    attendu(versSurface, m, c95, mx);
    EXPECT_NEAR(nombre(r, "écart nuage -> surface, moyenne"), m, tol);
    EXPECT_NEAR(nombre(r, "écart nuage -> surface, centile 95"), c95, tol);
    EXPECT_NEAR(nombre(r, "écart nuage -> surface, maximum"), mx, tol);
    EXPECT_NEAR(nombre(r, "écart nuage -> surface, moyenne (% de la diagonale)"), 100 * m / diag, 100 * tol / diag);
    attendu(versNuage, m, c95, mx);
    EXPECT_NEAR(nombre(r, "écart points simplexes -> nuage, moyenne"), m, tol);
    EXPECT_NEAR(nombre(r, "écart points simplexes -> nuage, centile 95"), c95, tol);
    EXPECT_NEAR(nombre(r, "écart points simplexes -> nuage, maximum"), mx, tol);
    EXPECT_NEAR(nombre(r, "écart points simplexes -> nuage, maximum (% de la diagonale)"), 100 * mx / diag,
                100 * tol / diag);

    // The mesh did converge onto the ellipsoid (the radial gap bounds the true distance).
    double pire = 0, somme = 0;
    for (const PointSimplex *q : s.ListePointsSimplex) {
        const double e = tarnis_test::ecartEllipsoide(q->Position, A, B, C);
        pire = std::max(pire, e);
        somme += e;
    }
    EXPECT_LT(somme / s.getNbPointsSimplex(), 0.005 * diag);
    EXPECT_LT(pire, 0.03 * diag);
}

TEST(Ajustement, CreatesTheOutputFolderAndSavesEachCycle)
{
    TempDir t;
    const std::string ref = ecrireReference(t);
    // Far from the origin (many diagonals away): the divergence guard measures from the cloud.
    std::vector<point3> points = tarnis_test::nuageEllipsoide(1500, A, B, C);
    for (point3 &q : points)
        q = q + point3(500, -300, 200);
    const std::string nuage = ecrireNuage(t.file("e.pts"), points);
    Parametres p = parametresDeTest(ref, nuage, t.file("a/b/c"));
    p.pointsMinimum = 600;
    p.iterations = 5;
    p.sauvegardeAuto = true;
    std::ostringstream progression;
    const Bilan b = ajuster(p, progression);
    ASSERT_TRUE(b.resultat.reussi()) << b.resultat.raison;
    ASSERT_TRUE(fs::is_directory(t.file("a/b/c")));
    ASSERT_GE(b.cycles, 2);
    ASSERT_EQ(static_cast<int>(b.sauvegardes.size()), b.cycles);
    for (int k = 1; k <= b.cycles; ++k) {
        const std::string f = t.file("a/b/c/e.cycle" + std::to_string(k) + ".smm");
        EXPECT_EQ(b.sauvegardes[k - 1], f);
        Simplex s;
        ASSERT_EQ(s.charger(f), 1) << f;
        EXPECT_EQ(s.getNbPointsSimplex(), b.pointsParCycle[k - 1]) << f;
        EXPECT_EQ(tarnis_test::verifierInvariants(s), std::vector<std::string>{}) << f;
    }
    // T26 global triples the mesh; T22 by surfaces adds fewer points: the phases alternate.
    EXPECT_EQ(b.pointsParCycle[0], 3 * b.pointsInitiaux);
    EXPECT_LT(b.pointsParCycle[1], 3 * b.pointsParCycle[0]);
    EXPECT_GT(b.pointsParCycle[1], b.pointsParCycle[0]);
}

TEST(Ajustement, PlacementCentresTheMeshAndEnclosesTheCloud)
{
    TempDir t;
    Simplex s;
    ASSERT_EQ(s.charger(ecrireReference(t)), 1);
    // A cloud far from the origin and much longer along y.
    std::vector<point3> points = tarnis_test::nuageEllipsoide(800, 1, 6, 2);
    for (point3 &q : points)
        q = point3(q.x + 100, q.y - 40, q.z + 7);
    ASSERT_EQ(placerAutourDuNuage(s, points, 1.05), "");

    double mn[3] = {1e300, 1e300, 1e300}, mx[3] = {-1e300, -1e300, -1e300};
    for (const PointSimplex *q : s.ListePointsSimplex) {
        const double c[3] = {q->Position.x, q->Position.y, q->Position.z};
        for (int k = 0; k < 3; ++k) {
            mn[k] = std::min(mn[k], c[k]);
            mx[k] = std::max(mx[k], c[k]);
        }
    }
    point3 centre;
    double diag = 0;
    boite(points, centre, diag);
    EXPECT_NEAR((mn[0] + mx[0]) / 2, centre.x, 1e-9);
    EXPECT_NEAR((mn[1] + mx[1]) / 2, centre.y, 1e-9);
    EXPECT_NEAR((mn[2] + mx[2]) / 2, centre.z, 1e-9);
    // Shaped after the cloud: longest along y, and not far larger than needed.
    EXPECT_GT(mx[1] - mn[1], 2.5 * (mx[0] - mn[0]));
    EXPECT_LT(mx[1] - mn[1], 2 * 12 * 1.05);

    // Every cloud point is inside: the placed mesh is convex, its triangles face outward.
    s.Triangularisation();
    const Maillage &m = s.maillageTriangule;
    for (const point3 &q : points)
        for (const Face &f : m.listeFaces) {
            const point3 &a = m.listeSommets[f.s1], &b = m.listeSommets[f.s2], &c = m.listeSommets[f.s3];
            ASSERT_LT((vector3(a, b) ^ vector3(a, c)) * vector3(a, q), 0) << q;
        }
    // The companion lists moved with the mesh.
    for (std::size_t i = 0; i < s.ListePointsSimplex.size(); ++i) {
        EXPECT_EQ(s.ListePointsSuivants[i]->Position, s.ListePointsSimplex[i]->Position);
        EXPECT_EQ(s.ListePointsPrecedents[i]->Position, s.ListePointsSimplex[i]->Position);
    }
}

TEST(Ajustement, FinalSeriesEndsEarlyOnlyWhenTheMeshStopsMoving)
{
    TempDir t;
    const std::string ref = ecrireReference(t);
    const std::string nuage = ecrireNuage(t.file("e.pts"), tarnis_test::nuageEllipsoide(1000, A, B, C));
    Parametres p = parametresDeTest(ref, nuage, t.file("o"));
    p.pointsMinimum = 100;
    p.iterations = 4;
    std::ostringstream o1, o2;

    Reglages jamais;
    jamais.seuilArret = 0; // no step moves less than nothing
    Bilan b = ajuster(p, o1, jamais);
    ASSERT_TRUE(b.resultat.reussi()) << b.resultat.raison;
    EXPECT_EQ(b.pasFinauxPrevus, std::max(4 * jamais.facteurFinale, jamais.finaleMinimum));
    EXPECT_EQ(b.pasFinaux, b.pasFinauxPrevus);
    EXPECT_FALSE(b.arretAnticipe);

    Reglages aussitot;
    aussitot.seuilArret = 1; // any step moves less than the whole diagonal
    b = ajuster(p, o2, aussitot);
    ASSERT_TRUE(b.resultat.reussi()) << b.resultat.raison;
    EXPECT_EQ(b.pasFinaux, 1);
    EXPECT_TRUE(b.arretAnticipe);
    EXPECT_EQ(lireRapport(b.fichierRapport).at("arrêt anticipé de la série finale"), "1");
}

TEST(Ajustement, EachFailureHasItsStatusAndLeavesNoOutput)
{
    TempDir t;
    const std::string ref = ecrireReference(t);
    const std::string nuage = ecrireNuage(t.file("e.pts"), tarnis_test::nuageEllipsoide(500, A, B, C));
    const std::string sortie = t.file("o");
    ASSERT_TRUE(writeFile(t.file("fichier"), "x"));
    enum Champ { Reference, DuNuage, DeSortie };
    const struct
    {
        Champ champ;
        std::string nom, contenu; // no file written when the content is empty
        Statut statut;
        std::string motif;
    } cas[] = {
        {Reference, "absent.smm", "", Statut::MaillageIllisible, "absent.smm"},
        // Valid indices but point 0 names point 1 twice and point 1 ignores point 0.
        {Reference, "asym.smm", "SMM\n4 1\n0 0 0 1 1 2\n1 0 0 2 3 2\n0 1 0 0 1 3\n0 0 1 0 1 2\n4 0 1 2 3 \n",
         Statut::MaillageIllisible, "n'est pas un maillage simplexe fermé"},
        {Reference, "tri.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", Statut::MaillageIllisible, "tri.obj"},
        {DuNuage, "vide.pts", "PTS\n0\n", Statut::NuageIllisible, "ne contient aucun point"},
        // A cloud cut short is refused with where it stops, not fitted as if whole.
        {DuNuage, "court.pts", "PTS\n5\n1 2 3\n4 5 6\n7 8\n", Statut::NuageIllisible, "point 3"},
        {DuNuage, "point.pts", "PTS\n3\n1 2 3\n1 2 3\n1 2 3\n", Statut::NuageIllisible, "réduit à un point"},
        // An output folder that cannot be made: its parent is a file.
        {DeSortie, "fichier/sous", "", Statut::SortieImpossible, "fichier/sous"},
    };
    std::ostringstream o;
    for (const auto &c : cas) {
        Parametres p = parametresDeTest(ref, nuage, sortie);
        const std::string chemin = t.file(c.nom);
        if (!c.contenu.empty()) {
            ASSERT_TRUE(writeFile(chemin, c.contenu));
        }
        (c.champ == Reference ? p.maillage : c.champ == DuNuage ? p.nuage : p.sortie) = chemin;
        const Bilan b = ajuster(p, o);
        EXPECT_EQ(b.resultat.statut, c.statut) << c.nom << " : " << b.resultat.raison;
        EXPECT_NE(b.resultat.raison.find(c.motif), std::string::npos) << b.resultat.raison;
        EXPECT_EQ(b.resultat.raison.find('\n'), std::string::npos);
        EXPECT_TRUE(!fs::exists(sortie) || fs::is_empty(sortie)) << c.nom;
    }

    // The reference mesh sits where the result would go: refused, left as it was.
    fs::create_directories(t.file("ici"));
    const std::string refIci = ecrireReference(t, "ici/e.smm");
    const std::string avant = readFile(refIci);
    Parametres p = parametresDeTest(refIci, nuage, t.file("ici"));
    EXPECT_EQ(ajuster(p, o).resultat.statut, Statut::SortieImpossible);
    EXPECT_EQ(readFile(refIci), avant);
    EXPECT_EQ(contenu(t.file("ici")), std::vector<std::string>{"e.smm"});
}

TEST(Ajustement, ADivergingMeshIsAFailureNotAResult)
{
    TempDir t;
    const std::string ref = ecrireReference(t);
    const std::string nuage = ecrireNuage(t.file("e.pts"), tarnis_test::nuageEllipsoide(500, A, B, C));
    for (float alpha : {100.0f, 3.0f}) {
        Parametres p = parametresDeTest(ref, nuage, t.file("o"));
        p.alpha = alpha;
        p.sauvegardeAuto = true;
        std::ostringstream o;
        const Bilan b = ajuster(p, o);
        EXPECT_EQ(b.resultat.statut, Statut::Echec) << alpha;
        EXPECT_NE(b.resultat.raison.find("le maillage diverge"), std::string::npos) << b.resultat.raison;
        EXPECT_TRUE(!fs::exists(t.file("o")) || fs::is_empty(t.file("o"))) << alpha;
    }
}

TEST(Ajustement, AFailedWriteRemovesWhatTheRunHadWritten)
{
    TempDir t;
    const std::string ref = ecrireReference(t);
    const std::string nuage = ecrireNuage(t.file("e.pts"), tarnis_test::nuageEllipsoide(500, A, B, C));
    Parametres p = parametresDeTest(ref, nuage, t.file("o"));
    p.pointsMinimum = 100;
    p.sauvegardeAuto = true;
    // The triangulation's name is taken by a folder: the SMM is written first,
    // then the OFF cannot be put in place.
    fs::create_directories(t.file("o/e.off"));
    std::ostringstream o;
    const Bilan b = ajuster(p, o);
    EXPECT_EQ(b.resultat.statut, Statut::SortieImpossible);
    EXPECT_NE(b.resultat.raison.find("e.off"), std::string::npos) << b.resultat.raison;
    EXPECT_EQ(contenu(t.file("o")), std::vector<std::string>{"e.off"});
    EXPECT_TRUE(fs::is_empty(t.file("o/e.off")));
}
