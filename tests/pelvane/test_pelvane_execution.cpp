// The console tool: its command line; the fitting run in process (outputs, read-back, the report
// against a recomputation, the placement, the final series and every failure path); and the tool
// as the batch launcher starts it, a separate process with its exit statuses and streams.

#include "Ajustement.h"
#include "arguments.h"
#include "execution.h"

#include "Maillage.h"
#include "Ouverture.h"
#include "Simplex.h"
#include "nifti_essai.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <cmath>
#include <limits>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <map>
#include <numeric>
#include <cstring>
#include <tuple>
#include <sstream>
#include <sys/stat.h>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace pelvane;
using tarnis_test::folderNames;
using tarnis_test::readFile;
using tarnis_test::TempDir;
using tarnis_test::writeFile;

namespace {

const std::string Gabarit = "/gabarit/icosa.smm";

// The launcher's defaults, in its order.
std::vector<std::string> lanceur()
{
    return {"1.00", "0.05", "0.00", "2", "2000", "20", "0", "ref.smm", "nuage.pts", "sortie"};
}

// The parameters read, in the launcher's order, for comparison in one line.
std::string lu(const std::vector<std::string> &a)
{
    const LigneDeCommande l = analyserArguments(a, Gabarit);
    EXPECT_TRUE(l.resultat.reussi()) << l.resultat.texte();
    EXPECT_FALSE(l.aide);
    const auto &p = l.parametres;
    std::ostringstream o;
    o << p.alpha << " " << p.beta << " " << p.gamma << " " << p.rigid << " " << p.pointsMinimum << " " << p.iterations
      << " " << p.sauvegardeAuto << " " << p.maillage << " " << p.nuage << " " << p.sortie;
    return o.str();
}

void refuse(const std::vector<std::string> &a, const std::string &motif)
{
    const LigneDeCommande l = analyserArguments(a, Gabarit);
    EXPECT_FALSE(l.aide);
    EXPECT_EQ(l.resultat.statut, Statut::ArgumentsIncorrects) << motif;
    EXPECT_NE(l.resultat.texte().find(motif), std::string::npos) << l.resultat.texte();
    EXPECT_EQ(l.resultat.texte().find('\n'), std::string::npos) << "one line only";
}

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
    EXPECT_EQ(r.count(cle), 1u) << "missing in the report: " << cle;
    return r.count(cle) ? std::stod(r.at(cle)) : std::nan("");
}

// Corners of the bounding box of the points, and its diagonal.
double boite(const std::vector<point3> &points, point3 &mn, point3 &mx)
{
    mn = mx = points[0];
    for (const point3 &q : points) {
        mn = point3(std::min(mn.x, q.x), std::min(mn.y, q.y), std::min(mn.z, q.z));
        mx = point3(std::max(mx.x, q.x), std::max(mx.y, q.y), std::max(mx.z, q.z));
    }
    return vector3(mn, mx).norme();
}

// Mean, nearest-rank 95th percentile and maximum, computed here on their own.
void attendu(std::vector<double> d, double &moyenne, double &c95, double &max)
{
    std::sort(d.begin(), d.end());
    moyenne = std::accumulate(d.begin(), d.end(), 0.0) / d.size();
    c95 = d[static_cast<std::size_t>(std::ceil(0.95 * d.size() - 1e-9)) - 1];
    max = d.back();
}

struct Sortie
{
    int statut = -1;
    std::string out, err;
};

// Runs the tool with the arguments (each quoted for the shell), standard output and error into files.
Sortie lancer(const TempDir &t, const std::vector<std::string> &arguments)
{
    std::string commande = PELVANE_EXE;
    for (const std::string &a : arguments)
        commande += " '" + a + "'";
    const int etat = std::system((commande + " > " + t.file("stdout.txt") + " 2> " + t.file("stderr.txt")).c_str());
    return {WIFEXITED(etat) ? WEXITSTATUS(etat) : 128 + WTERMSIG(etat), readFile(t.file("stdout.txt")),
            readFile(t.file("stderr.txt"))};
}

std::string derniereLigne(std::string t)
{
    if (!t.empty() && t.back() == '\n')
        t.pop_back();
    return t.substr(t.rfind('\n') + 1); // npos + 1 is 0
}

} // namespace

TEST(Arguments, PositionalAndNamedFormsAreReadInFull)
{
    const std::pair<std::vector<std::string>, std::string> cas[] = {
        {{"1.50", "0.25", "0.10", "3", "1234", "17", "1", "ref.smm", "nuage.pts", "sortie"},
         "1.5 0.25 0.1 3 1234 17 1 ref.smm nuage.pts sortie"},
        {lanceur(), "1 0.05 0 2 2000 20 0 ref.smm nuage.pts sortie"},
        // Decimal commas, as a French locale shows them.
        {{"1,00", "0,05", "12,5", "2", "2000", "20", "0", "m", "n", "o"}, "1 0.05 12.5 2 2000 20 0 m n o"},
        // Limits of the ranges.
        {{"0", "100", "0.00", "0", "1", "0", "1", "m", "n", "o"}, "0 100 0 0 1 0 1 m n o"},
        {{"0", "0", "0", "99", "999999", "99999", "0", "m", "n", "o"}, "0 0 0 99 999999 99999 0 m n o"},
        // Named options: defaults are the launcher's and the template.
        {{"--cloud", "c.pts"}, "1 0.05 0 2 2000 20 0 " + Gabarit + " c.pts ."},
        {{"--out=res", "--cloud", "c.pts", "--mesh=m.smm", "--internal", "0,5", "--external=0.2", "--retention", "0.3",
          "--rigidity=4", "--min-points", "500", "--iterations=7", "--autosave"},
         "0.5 0.2 0.3 4 500 7 1 m.smm c.pts res"},
        // A value with '=' after the first '=' is kept whole.
        {{"--cloud=a=b.pts"}, "1 0.05 0 2 2000 20 0 " + Gabarit + " a=b.pts ."},
    };
    for (const auto &c : cas)
        EXPECT_EQ(lu(c.first), c.second);
}

TEST(Arguments, EachBadValueIsRefusedWithItsName)
{
    refuse({}, "aucun argument");
    auto a = lanceur();
    a.pop_back();
    refuse(a, "10 arguments attendus");
    a.insert(a.end(), {"sortie", "x"});
    refuse(a, "11 reçus");

    // Bad values of each positional argument, in order, with the name the refusal gives it.
    const std::pair<const char *, std::vector<std::string>> mauvais[] = {
        {"force interne", {"abc", "-1", "1.0x", "", "1,0,0"}},
        {"force externe", {"nan", "inf"}},
        {"force de retenue", {"100.5"}},
        {"rigidité", {"2.5", "-1", "100"}},
        {"nombre minimum de points", {"0", "1000000"}},
        {"itérations", {"-3", "1e3"}},
        {"sauvegarde automatique", {"2", "oui"}},
        {"maillage de référence", {""}},
        {"nuage de points", {""}},
        {"dossier de sortie", {""}}};
    for (std::size_t k = 0; k < 10; ++k)
        for (const std::string &valeur : mauvais[k].second) {
            a = lanceur();
            a[k] = valeur;
            refuse(a, mauvais[k].first);
        }
    const std::pair<std::vector<std::string>, std::string> nommes[] = {
        {{"--out", "x"}, "--cloud est obligatoire"},
        {{"--cloud"}, "--cloud : valeur manquante"},
        {{"--cloud", "c.pts", "--bogus", "1"}, "--bogus"},
        {{"--cloud", "c.pts", "extra"}, "extra"},
        {{"--cloud", "c.pts", "--autosave=1"}, "--autosave ne prend pas de valeur"},
        {{"--cloud", "c.pts", "--rigidity", "x"}, "--rigidity"},
        {{"--cloud", "c.pts", "--min-points=0"}, "--min-points"},
        {{"--cloud="}, "--cloud : chemin vide"},
        {{"--cloud", "c.pts", "--format", "off,xyz"}, "--format : format inconnu « xyz » (valides : smm, sm, off, obj, ply, stl)"},
        {{"--cloud", "c.pts", "--format", "off,,ply"}, "--format : format inconnu «  » (valides"},
        {{"--cloud", "c.pts", "--format="}, "--format : aucun format donné (valides : smm, sm, off, obj, ply, stl)"}};
    for (const auto &[arguments, motif] : nommes)
        refuse(arguments, motif);
}

TEST(Arguments, FormatsAreWrittenInOneOrderOnceEachAndDefaultToTodaysFiles)
{
    EXPECT_EQ(analyserArguments({"--cloud", "c.pts"}, Gabarit).parametres.formats,
              (std::vector<std::string>{"smm", "off"}));
    auto a = lanceur();
    a.insert(a.end(), {"--format", "stl,off,ply,off"});
    EXPECT_EQ(analyserArguments(a, Gabarit).parametres.formats, (std::vector<std::string>{"off", "ply", "stl"}));
}

TEST(Arguments, HelpIsAskedAnywhereAndListsEveryExitStatus)
{
    for (const std::vector<std::string> &a :
         {std::vector<std::string>{"--help"}, {"-h"}, {"--cloud", "c.pts", "--help"}})
        EXPECT_TRUE(analyserArguments(a, Gabarit).aide) << a.back();
    EXPECT_FALSE(analyserArguments({"--cloud", "c.pts"}, Gabarit).aide);

    // Each status the tool ends with, under the name the batch summary gives it.
    const std::string aide = pelvane::texteAide();
    for (Statut s : {Statut::Reussite, Statut::ArgumentsIncorrects, Statut::MaillageIllisible, Statut::NuageIllisible,
                     Statut::SortieImpossible, Statut::Echec, Statut::Interrompu}) {
        const std::string code = std::to_string(static_cast<int>(s));
        EXPECT_NE(aide.find("\n  " + code + "  " + pelvane::significationSortie(code)), std::string::npos) << code;
    }
}

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
    ASSERT_TRUE(b.resultat.reussi()) << b.resultat.texte();
    // The console tells how the final series of steps went.
    EXPECT_NE(progression.str().find("Pelvane : série finale : " + std::to_string(b.pasFinaux) + " pas"),
              std::string::npos)
        << progression.str();
    // The report's parts of the time are each positive and add up to no more than the whole.
    EXPECT_GT(std::min({b.dureeLecture, b.dureeCycles, b.dureeMesures}), 0.0);
    EXPECT_LE(b.dureeLecture + b.dureeCycles + b.dureeFinale + b.dureeMesures, b.duree);

    // The three outputs, named after the cloud, and nothing else.
    EXPECT_EQ(folderNames(sortie),
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
    point3 mn, mx;
    const double diag = boite(points, mn, mx);
    EXPECT_NEAR(nombre(r, "diagonale de la boîte englobante du nuage"), diag, 1e-6 * diag);
    EXPECT_GT(nombre(r, "durée (s)"), 0);

    std::vector<double> versSurface, versNuage;
    for (const point3 &q : points)
        versSurface.push_back(tarnis_test::distanceBrute(q, off));
    for (const PointSimplex *q : s.ListePointsSimplex)
        versNuage.push_back(tarnis_test::plusProcheBrute(q->Position, points));
    // The files carry six significant digits: allow for that rounding.
    const double tol = 1e-5 * diag;
    for (int k = 0; k < 2; ++k) {
        double m, c95, max;
        attendu(k ? versNuage : versSurface, m, c95, max);
        const std::string cle = k ? "écart points simplexes -> nuage, " : "écart nuage -> surface, ";
        EXPECT_NEAR(nombre(r, cle + "moyenne"), m, tol);
        EXPECT_NEAR(nombre(r, cle + "centile 95"), c95, tol);
        EXPECT_NEAR(nombre(r, cle + "maximum"), max, tol);
        // The share of the diagonal: of the mean one way, of the maximum the other.
        EXPECT_NEAR(nombre(r, cle + (k ? "maximum" : "moyenne") + " (% de la diagonale)"), 100 * (k ? max : m) / diag,
                    100 * tol / diag);
    }

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

TEST(Ajustement, SixDigitsFarFromTheOriginAreWarnedOfAndThePlyKeepsTheFit)
{
    TempDir t;
    const std::string ref = ecrireReference(t);
    for (const double decalage : {0.0, 1e7}) {
        std::vector<point3> points = tarnis_test::nuageEllipsoide(500, A, B, C);
        for (point3 &q : points)
            q += point3(decalage, decalage, decalage);
        const std::string sortie = t.file("o" + std::to_string(decalage > 0));
        Parametres p = parametresDeTest(ref, ecrireNuage(t.file("e.pts"), points), sortie);
        p.formats = {"off", "ply"};
        p.cycles = false; // the fit works in its own frame, wherever the cloud is
        // Fewer points than the cloud's: with more, the surface passes through each of the 500
        // points, and its distances to them come down to the rounding of six digits.
        p.pointsMaximum = 400;
        std::ostringstream progression;
        const Bilan b = ajuster(p, progression);
        ASSERT_TRUE(b.resultat.reussi()) << b.resultat.texte();
        EXPECT_EQ(folderNames(sortie), (std::vector<std::string>{"e.off", "e.ply", "e.rapport.txt"}));
        const bool averti = progression.str().find("attention : l'écriture à six chiffres significatifs (off) "
                                                   "déplace les sommets de ") != std::string::npos;
        EXPECT_EQ(averti, decalage > 0) << progression.str();
        EXPECT_EQ(b.avertissementPrecision, decalage > 0);
        EXPECT_EQ(lireRapport(b.fichierRapport).count("attention"), decalage > 0 ? 1u : 0u);
        // The rounding, measured between the written OFF and the PLY's doubles (after its header).
        Maillage off;
        ASSERT_TRUE(off.lireOFF(b.fichierOff).reussi());
        const std::string ply = readFile(b.fichiersMaillage[1]);
        const std::size_t debut = ply.find("end_header\n") + 11;
        ASSERT_EQ(ply.size(), debut + 24 * off.listeSommets.size() + 13 * off.listeFaces.size());
        double ecart = 0;
        for (std::size_t i = 0; i < 3 * off.listeSommets.size(); ++i) {
            double v;
            std::memcpy(&v, ply.data() + debut + 8 * i, 8);
            const point3 &o = off.listeSommets[i / 3];
            ecart = std::max(ecart, std::fabs(v - (i % 3 == 0 ? o.x : i % 3 == 1 ? o.y : o.z)));
        }
        EXPECT_LE(ecart, b.ecartSixChiffres);
        EXPECT_GT(ecart, decalage > 0 ? 10 * b.nuageVersSurface.moyenne : 0.0);
        // Near the origin six digits move the vertices by a tenth of the fit's own distances at most.
        EXPECT_LT(ecart, decalage > 0 ? 5.0 : 0.1 * b.nuageVersSurface.moyenne);
    }
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
    ASSERT_TRUE(b.resultat.reussi()) << b.resultat.texte();
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

    // The fit saves one mesh per level, and only when asked.
    for (const bool chaque : {false, true}) {
        const std::string sortie = t.file(chaque ? "f1" : "f0");
        Parametres q = parametresDeTest(ref, nuage, sortie);
        q.cycles = false;
        q.sauvegardeAuto = chaque;
        const Bilan f = ajuster(q, progression);
        ASSERT_TRUE(f.resultat.reussi()) << f.resultat.texte();
        EXPECT_EQ(f.sauvegardes.size(), chaque ? f.pointsParCycle.size() : 0u);
        EXPECT_EQ(folderNames(sortie).size(), 3 + f.sauvegardes.size()) << chaque;
    }
}

TEST(Ajustement, PlacementCentresTheMeshAndEnclosesTheCloud)
{
    TempDir t;
    Simplex s;
    ASSERT_EQ(s.charger(ecrireReference(t)), 1);
    // A cloud far from the origin and much longer along y.
    std::vector<point3> points = tarnis_test::nuageEllipsoide(800, 1, 6, 2);
    points.push_back(point3(0.9, 0, 1.8)); // inside the box, outside the ellipsoid: every axis counts
    for (point3 &q : points)
        q = point3(q.x + 100, q.y - 40, q.z + 7);
    ASSERT_FALSE(placerAutourDuNuage(s, points, 1.05));

    std::vector<point3> positions;
    for (const PointSimplex *q : s.ListePointsSimplex)
        positions.push_back(q->Position);
    point3 mn, mx, cmn, cmx;
    boite(positions, mn, mx);
    boite(points, cmn, cmx);
    EXPECT_LT(vector3((mn + mx) / 2, (cmn + cmx) / 2).norme(), 1e-9);
    // Shaped after the cloud: longest along y, and not far larger than needed.
    EXPECT_GT(mx.y - mn.y, 2.5 * (mx.x - mn.x));
    EXPECT_LT(mx.y - mn.y, 2 * 12 * 1.05);

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
    jamais.finaleMinimum = 10; // below the iterations' share: that share makes the series
    Bilan b = ajuster(p, o1, jamais);
    ASSERT_TRUE(b.resultat.reussi()) << b.resultat.texte();
    EXPECT_EQ(b.pasFinauxPrevus, 4 * jamais.facteurFinale);
    EXPECT_EQ(b.pasFinaux, b.pasFinauxPrevus);
    EXPECT_FALSE(b.arretAnticipe);

    Reglages aussitot;
    aussitot.seuilArret = 1; // any step moves less than the whole diagonal
    b = ajuster(p, o2, aussitot);
    ASSERT_TRUE(b.resultat.reussi()) << b.resultat.texte();
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
    // Clouds of 400 points spoilt after the 48th.
    std::string p48, p352;
    for (int i = 0; i < 400; ++i)
        (i < 48 ? p48 : p352) += std::to_string(i % 7) + " " + std::to_string(i % 11) + " 1.5\n";
    enum Champ { Reference, DuNuage, DeSortie };
    const struct
    {
        Champ champ;
        std::string nom, contenu; // no file written when the content is empty
        Statut statut;
        std::string motif;
    } cas[] = {
        // Valid indices but point 0 names point 1 twice and point 1 ignores point 0.
        {Reference, "asym.smm", "SMM\n4 1\n0 0 0 1 1 2\n1 0 0 2 3 2\n0 1 0 0 1 3\n0 0 1 0 1 2\n4 0 1 2 3 \n",
         Statut::MaillageIllisible, "n'est pas un maillage simplexe fermé"},
        {Reference, "tri.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", Statut::MaillageIllisible, "tri.obj"},
        {DuNuage, "vide.pts", "PTS\n0\n", Statut::NuageIllisible, "ne contient aucun point"},
        {DuNuage, "fin.pts", "PTS\n400\n" + p48 + "6 4", Statut::NuageIllisible,
         "400 points annoncés, 48 lus ; la lecture s'est arrêtée ligne 51 (point 49) : le fichier s'arrête là"},
        {DuNuage, "nan.pts", "PTS\n400\n" + p48 + "nan 1 2\n" + p352, Statut::NuageIllisible,
         "ligne 51 (point 49) : « nan » n'est pas un nombre"},
        {DuNuage, "grand.pts", "PTS\n400\n" + p48 + "1 1e39 2\n" + p352, Statut::NuageIllisible,
         "« 1e39 » sort des limites de la simple précision"},
        {DuNuage, "signe.pts", "PTS\n9\n-1e39", Statut::NuageIllisible, "« -1e39 » sort des limites de la simple"},
        {DuNuage, "trop.pts", "PTS\n1000000000000\n" + p48 + p352, Statut::NuageIllisible,
         "1000000000000 points annoncés, 400 lus"},
        {DuNuage, "e12.pts", "PTS\n1e12\n" + p48 + p352, Statut::NuageIllisible,
         "ligne 2 : nombre de points illisible (« 1e12 » n'est pas un nombre entier)"},
        {DuNuage, "point.pts", "PTS\n3\n1 2 3\n1 2 3\n1 2 3\n", Statut::NuageIllisible, "réduit à un point"},
        {DuNuage, "cent.pts", "PTS\n100\n" + p48 + p352, Statut::NuageIllisible,
         "cent.pts\" annonce 100 points (ligne 2) mais en contient 300 de plus"},
        {DuNuage, "zero.pts", "PTS\n0\n" + p48, Statut::NuageIllisible, "annonce 0 points (ligne 2) mais en contient 48"},
        {DuNuage, "plat.pts", "PTS\n400\n" + p48 + p352, Statut::NuageIllisible, "a ses 400 points dans un même plan"},
        {Reference, "vide.smm", "SMM\n0 0\n", Statut::MaillageIllisible, "ligne 2 : le fichier annonce 0 point"},
        {Reference, "off.smm", "OFF\n# tetra\n4 4 6\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n3 0 2 1\n3 0 1 3\n3 0 3 2\n3 1 2 3\n",
         Statut::MaillageIllisible, "off.smm\" est un maillage triangulaire (4 sommets, 4 faces)"},
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
        EXPECT_EQ(b.resultat.statut, c.statut) << c.nom << " : " << b.resultat.texte();
        EXPECT_NE(b.resultat.texte().find(c.motif), std::string::npos) << b.resultat.texte();
        EXPECT_EQ(b.resultat.texte().find('\n'), std::string::npos);
        EXPECT_TRUE(!fs::exists(sortie) || fs::is_empty(sortie)) << c.nom;
    }

    // The reference mesh sits where the result would go: refused, left as it was.
    fs::create_directories(t.file("ici"));
    const std::string refIci = ecrireReference(t, "ici/e.smm");
    const std::string avant = readFile(refIci);
    Parametres p = parametresDeTest(refIci, nuage, t.file("ici"));
    EXPECT_EQ(ajuster(p, o).resultat.statut, Statut::SortieImpossible);
    EXPECT_EQ(readFile(refIci), avant);
    EXPECT_EQ(folderNames(t.file("ici")), std::vector<std::string>{"e.smm"});
}

TEST(Ajustement, PointCountsFarBeyondTheCloudAreBoundedAndSaidSo)
{
    TempDir t;
    Parametres p = parametresDeTest(ecrireReference(t), ecrireNuage(t.file("e.pts"), tarnis_test::nuageEllipsoide(500, A, B, C)),
                                    t.file("o"));
    p.pointsMinimum = 999999;
    p.pointsMaximum = 6000;
    p.iterations = 0;
    Reglages r;
    r.cyclesMaximum = 0;
    std::ostringstream o;
    ASSERT_TRUE(ajuster(p, o, r).resultat.reussi());
    EXPECT_NE(o.str().find("Pelvane : attention : --min-points 999999 dépasse de loin la taille du nuage (500 points) : "
                           "20000 utilisé\n"),
              std::string::npos);
    EXPECT_EQ(o.str().find("--max-points"), std::string::npos);
    EXPECT_EQ(lireRapport(t.file("o/e.rapport.txt"))["points simplexes minimum"], "20000");
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
    EXPECT_NE(b.resultat.texte().find("e.off"), std::string::npos) << b.resultat.texte();
    EXPECT_EQ(folderNames(t.file("o")), std::vector<std::string>{"e.off"});
    EXPECT_TRUE(fs::is_empty(t.file("o/e.off")));
}

TEST(Processus, LauncherLineGivesTheResultsAndEachFailureItsExitStatus)
{
    TempDir t;
    const std::string reference = ecrireReference(t),
                      nuage = ecrireNuage(t.file("oeuf.pts"), tarnis_test::nuageEllipsoide(1200, A, B, C));
    // What the launcher passes: the spin boxes' texts, the flag, then mesh, cloud, folder.
    const auto commande = [](std::string m, std::string n, std::string o) {
        return std::vector<std::string>{"1.00", "0.05", "0.00", "2", "250", "6", "0", m, n, o};
    };
    const std::string sortie = t.file("lot/resultats");
    Sortie s = lancer(t, commande(reference, nuage, sortie));
    // Six iterations on 250 points may leave a few crossing pairs on the egg (status 8): the
    // count is checked below against the sheet's.
    ASSERT_TRUE(s.statut == 0 || s.statut == static_cast<int>(Statut::SurfaceQuiSeCroise)) << s.err;
    const std::string rapport = readFile(sortie + "/oeuf.rapport.txt");
    // Each positional value lands in its place.
    for (const char *ligne : {"force externe = 0.05\n", "rigidité = 2\n", "points simplexes minimum = 250\n",
                              "itérations par cycle = 6\n", "sauvegarde automatique = 0\n"})
        EXPECT_NE(rapport.find(ligne), std::string::npos) << ligne << rapport;
    EXPECT_NE(rapport.find("maillage de référence = " + reference + "\n"), std::string::npos);
    EXPECT_NE(rapport.find("nuage = " + nuage + "\n"), std::string::npos);
    // The pairs of triangles that cross, in the report and, when there are any, on the summary.
    const auto croisements = [](const std::string &rapport, const std::string &err) {
        const std::string n = lireRapport(rapport).at("paires de triangles qui se croisent");
        const std::string ligne = "Pelvane : attention : la surface passe au travers d'elle-même (" + n +
                                  (n == "1" ? " paire de triangles se croise" : " paires de triangles se croisent") +
                                  ") : elle ne borne pas un solide, son volume n'a pas de sens\n";
        EXPECT_EQ(err.find("au travers d'elle-même") != std::string::npos, n != "0") << err;
        EXPECT_TRUE(n == "0" || err.find(ligne) != std::string::npos) << err;
        return std::stol(n);
    };
    const long oeuf = croisements(sortie + "/oeuf.rapport.txt", s.err);
    // A surface written that does not cross itself: its solid on the summary.
    EXPECT_EQ(oeuf == 0, s.err.find("Pelvane : solide : volume enclos ") != std::string::npos) << s.err;
    // A single sheet of points, wrapped: a thin shell whose two sides pass through each other.
    std::mt19937 g(3);
    std::uniform_real_distribution<double> bruit(-0.01, 0.01);
    std::vector<point3> feuille;
    for (int k = 0; k < 1600; ++k)
        feuille.push_back(point3(0.05 * (k % 40) + bruit(g), 0.05 * (k / 40) + bruit(g), 0.5 * bruit(g)));
    s = lancer(t, commande(reference, ecrireNuage(t.file("feuille.pts"), feuille), sortie));
    // Written, but no solid: never the status of a clean success.
    ASSERT_EQ(s.statut, static_cast<int>(Statut::SurfaceQuiSeCroise)) << s.err;
    EXPECT_GT(croisements(sortie + "/feuille.rapport.txt", s.err), 20 * oeuf + 100);
    EXPECT_TRUE(fs::is_regular_file(sortie + "/feuille.off"));

    s = lancer(t, {"--help"});
    EXPECT_EQ(s.statut, 0);
    EXPECT_NE(s.out.find("--cloud"), std::string::npos);
    for (const char *suffixe : {".pts", ".ply (sans faces)", ".pcd", ".xyz", ".csv", ".nii", ".stl"})
        EXPECT_NE(s.out.find(suffixe), std::string::npos) << suffixe;
    EXPECT_EQ(s.err, "");

    ASSERT_TRUE(writeFile(t.file("fichier"), "x"));
    // Diverging with the cycles saved: they are removed with the rest.
    auto diverge = commande(reference, nuage, t.file("x"));
    diverge[0] = "3";
    diverge[6] = "1";
    diverge.insert(diverge.end(), {"--method", "cycles"});
    // Bad arguments: one case for their status, their reasons are checked in process.
    const std::tuple<std::vector<std::string>, int, std::string> cas[] = {
        {{}, 2, "aucun argument"},
        {commande(t.file("absent.smm"), nuage, t.file("x")), 3, "maillage de référence"},
        {commande(reference, t.file("absent.pts"), t.file("x")), 4, "absent.pts » ne peut pas être ouvert"},
        {commande(reference, nuage, t.file("fichier/x")), 5, "dossier de sortie"},
        {diverge, 6, "le maillage diverge"},
    };
    for (const auto &[arguments, statut, motif] : cas) {
        s = lancer(t, arguments);
        EXPECT_EQ(s.statut, statut) << motif << "\n" << s.err;
        // The tool's own message is one line, the last one on standard error.
        const std::string ligne = derniereLigne(s.err);
        EXPECT_EQ(ligne.rfind("Pelvane : erreur : ", 0), 0u) << s.err;
        EXPECT_NE(ligne.find(motif), std::string::npos) << ligne;
        if (statut == 2) {
            EXPECT_EQ(s.err, ligne + "\n");
        }
    }
    // Nothing left in the output folder of the failed runs.
    EXPECT_TRUE(!fs::exists(t.file("x")) || fs::is_empty(t.file("x")));
}

// SIGTERM or SIGINT, at the first saved level seen (its temporary name or its final one):
// the run ends with status 7, naming the signal, and leaves nothing in its folder.
TEST(Processus, ASignalEndsTheRunWithStatus7AndNoFileLeft)
{
    TempDir t;
    const std::string reference = ecrireReference(t),
                      nuage = ecrireNuage(t.file("oeuf.pts"), tarnis_test::nuageEllipsoide(20000, A, B, C));
    // Both methods: the fit checks the signal through its progression, the cycles between steps.
    for (const auto &[signal, methode] : {std::pair{SIGTERM, "ajustement"}, std::pair{SIGINT, "ajustement"},
                                          std::pair{SIGTERM, "cycles"}, std::pair{SIGINT, "cycles"}}) {
        const std::string sortie = t.file(std::string(methode) + std::to_string(signal));
        fs::create_directories(sortie);
        const std::string erreurs = t.file("err" + std::to_string(signal));
        const pid_t fils = fork();
        if (fils == 0) {
            freopen("/dev/null", "w", stdout);
            freopen(erreurs.c_str(), "w", stderr);
            execl(PELVANE_EXE, PELVANE_EXE, "--cloud", nuage.c_str(), "--mesh", reference.c_str(), "--out",
                  sortie.c_str(), "--autosave", "--min-points", "20000", "--threads", "1", "--method", methode,
                  static_cast<char *>(nullptr));
            _exit(127);
        }
        auto vu = [&] {
            for (const auto &e : fs::directory_iterator(sortie))
                if (e.path().filename().string().find(".cycle") != std::string::npos)
                    return true;
            return false;
        };
        int etat = 0;
        while (waitpid(fils, &etat, WNOHANG) == 0 && !vu())
            usleep(100);
        kill(fils, signal);
        waitpid(fils, &etat, 0);
        ASSERT_TRUE(WIFEXITED(etat)) << signal << methode;
        EXPECT_EQ(WEXITSTATUS(etat), 7) << methode << readFile(erreurs);
        EXPECT_NE(derniereLigne(readFile(erreurs)).find("Pelvane : erreur : arrêté par le signal SIG"), std::string::npos);
        EXPECT_EQ(folderNames(sortie), std::vector<std::string>{});
    }
}

TEST(Ouverture, TheApplicationsOpenerRefusesWhatTheConsoleToolRefusesAndKeepsNoCloud)
{
    TempDir t;
    const std::string reference = ecrireReference(t);
    const std::string entetePLY = "ply\nformat ascii 1.0\nelement vertex 0\nproperty float x\nproperty float y\n"
                                  "property float z\nend_header\n";
    const std::string nans = "FIELDS x y z\nWIDTH 3\nHEIGHT 1\nDATA ascii\nnan nan nan\n1 nan 2\ninf 0 0\n";
    std::string stl(84 + 50 * 64, '\0');
    stl[80] = 64;
    tarnis_test::Nifti pente(2, 2, 2, 1, 16, 32);
    pente.poser<float>(112, std::numeric_limits<float>::infinity());
    for (int i = 0; i < 8; ++i)
        pente.ajouter<float>(static_cast<float>(i));
    // Name, content, words of the reason both give.
    const std::tuple<const char *, std::string, const char *> cas[] = {
        {"zero.ply", entetePLY, "ne contient aucun point"},
        {"nans.pcd", nans, "ses 3 points ont tous une coordonnée non finie"},
        {"nuls.stl", stl, "les 64 premiers triangles, dès l'octet 84, ne sont que des octets nuls"},
        {"pente.nii", pente.o, "facteur d'échelle non fini (scl_slope = inf"},
    };
    for (const auto &[nom, contenu, motif] : cas) {
        const std::string chemin = t.file(nom);
        ASSERT_TRUE(writeFile(chemin, contenu));
        Maillage m;
        m.ListePointsInterets = {point3(1, 2, 3)};
        const Resultat r = ouvrirNuage(chemin, m);
        const Sortie s = lancer(t, {"--cloud", chemin, "--mesh", reference, "--out", t.file("sortie")});
        EXPECT_EQ(r.statut, Statut::NuageIllisible) << nom;
        EXPECT_NE(r.texte().find(motif), std::string::npos) << r.texte();
        EXPECT_TRUE(m.ListePointsInterets.empty()) << nom;
        EXPECT_EQ(s.statut, 4) << nom << "\n" << s.err;
        EXPECT_NE(derniereLigne(s.err).find(motif), std::string::npos) << s.err;
        EXPECT_FALSE(fs::exists(t.file("sortie"))) << nom;
    }
}
