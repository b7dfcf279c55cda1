// The view as a document: start values, loading, the display state machine, the step loops,
// exports and the cloud made from the mesh.
#include "MaillageGL.h"
#include "SimplexGL.h"
#include "glwidget.h"
#include "kdtree.h"

#include "support.h"
#include "vue_outils.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace tarnis_test;

namespace {

const char *const gabarit = "./SMM_/icosa.smm";

int pointsDuGabarit()
{
    Simplex s;
    s.charger(gabarit);
    return s.getNbPointsSimplex();
}

std::vector<point3> petitNuage()
{
    return {{1, 2, 3}, {-4, 0.5, 2}, {10, -3, 7}, {0, 0, 0}, {2.25, 8, -6}};
}

/// Bounding-box half-diagonal of a list of points.
double etendue(const std::vector<point3> &points)
{
    point3 lo = points.at(0), hi = points.at(0);
    for (const point3 &p : points) {
        lo = point3(std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z));
        hi = point3(std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z));
    }
    return std::sqrt((hi.x - lo.x) * (hi.x - lo.x) + (hi.y - lo.y) * (hi.y - lo.y)
                     + (hi.z - lo.z) * (hi.z - lo.z));
}

/// Voxel values around the default window's thresholds (window 0..1000, 150 < g < 255).
std::vector<std::uint16_t> voxelsDeTest()
{
    return {0, 600, 1000, 590, 999, 700, 588, 592, 300, 65535, 1200, 800,
            650, 0, 0, 999, 1000, 591, 610, 620, 630, 640, 5, 998};
}

} // namespace

class VueDocument : public QObject
{
    Q_OBJECT

private slots:
    void vueVideValeursDeDepart();
    void nuageSeulRecoitLeGabarit();
    void volumeParNomDeBase_data();
    void volumeParNomDeBase();
    void suffixesSensiblesALaCasse();
    void maillageTriangleALaConstruction_data();
    void maillageTriangleALaConstruction();
    void chargementsEnEchecRapportes();
    void chaqueNuageAUnArbreExact();
    void automateDesEtats();
    void deformationZeroEnModeTriangles();
    void bouclesArreteesParOperationEnabled();
    void exportsParTerminaison_data();
    void exportsParTerminaison();
    void exportApresDeformationRetriangule();
    void exportDuNuage();
    void nuageFaitDuMaillage();
    void modesDAffichage();
    void conversionSeulementDepuisOFF();
    void exceptionDuMoteurRapportee();
};

void VueDocument::vueVideValeursDeDepart()
{
    GLWidget v;
    QVERIFY(!v.getCurentSimplexName().isNull());
    QVERIFY(!v.getCurentPtsName().isNull());
    QCOMPARE(v.getCurentSimplexName(), QString(""));
    QCOMPARE(v.getCurentPtsName(), QString(""));
    QCOMPARE(v.getNbPts(), 0);
    QCOMPARE(v.getNbPtSimplex(), 0);
    QCOMPARE(v.derniereErreur(), QString());
    // The cone goes straight into the mesh; the repaint timer runs; the buffer is multisampled.
    QCOMPARE(v.instanceSimplex->AngleCone, 45.0);
    QCOMPARE(v.instanceSimplex->RayonCone, 2000.0);
    QVERIFY(v.timer.isActive());
    QCOMPARE(v.timer.interval(), 25);
    QVERIFY(!v.timer.isSingleShot());
    QCOMPARE(v.format().samples(), 4);
    QCOMPARE(v.parentWidget(), nullptr);
}

void VueDocument::nuageSeulRecoitLeGabarit()
{
    TempDir dossier;
    const std::string nuage = dossier.file("nuage.pts");
    QVERIFY(ecrirePTS(nuage, petitNuage()));
    GLWidget v(QString::fromStdString(nuage), QString());
    QCOMPARE(v.derniereErreur(), QString());
    QCOMPARE(v.nomSimplex, QString(gabarit));
    QCOMPARE(v.suffixeSimplex, QString("smm"));
    QCOMPARE(v.suffixePts, QString("pts"));
    QVERIFY(pointsDuGabarit() > 0);
    QCOMPARE(v.getNbPtSimplex(), pointsDuGabarit());
    QCOMPARE(v.getNbPts(), 5);
    QCOMPARE(tailleArbre(v), std::size_t(5));
    QCOMPARE(v.modeDisplayMaille, 1);
    QVERIFY(!v.estTriangule);
}

void VueDocument::volumeParNomDeBase_data()
{
    QTest::addColumn<QString>("terminaison");
    QTest::newRow("hdr") << ".hdr";
    QTest::newRow("img") << ".img";
}

void VueDocument::volumeParNomDeBase()
{
    QFETCH(QString, terminaison);
    TempDir dossier;
    const std::vector<std::uint16_t> voxels = voxelsDeTest();
    QVERIFY(ecrireAnalyze(dossier.file("scan"), 4, 3, 2, voxels));

    // What the thresholding must keep, in x-fastest order.
    std::vector<point3> attendus;
    for (int z = 0; z < 2; ++z)
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                const int g = niveauAttendu(voxels[x + 4 * y + 12 * z], 0, 1000);
                if (g > 150 && g < 255)
                    attendus.emplace_back(x, y, z);
            }
    QVERIFY(attendus.size() > 3 && attendus.size() < voxels.size());

    GLWidget v(QString::fromStdString(dossier.file("scan")) + terminaison, QString());
    QCOMPARE(v.derniereErreur(), QString());
    QCOMPARE(v.nomPts, QString::fromStdString(dossier.file("scan")));
    QCOMPARE(v.suffixePts, terminaison.mid(1));
    QCOMPARE(v.getNbPts(), int(attendus.size()));
    QVERIFY(v.pointsVolume == attendus);
    QVERIFY(v.instanceMaillage->ListePointsInterets == attendus);
    // The deformation searches this tree: it holds the volume's points.
    QCOMPARE(tailleArbre(v), attendus.size());
    for (const point3 &p : attendus)
        QVERIFY(plusProcheDansLArbre(v, p) == p);
    QCOMPARE(v.nomSimplex, QString(gabarit));
}

void VueDocument::suffixesSensiblesALaCasse()
{
    TempDir dossier;
    const std::string nuage = dossier.file("nuage.PTS");
    QVERIFY(ecrirePTS(nuage, petitNuage()));
    GLWidget v(QString::fromStdString(nuage), QString());
    QCOMPARE(v.nomPts, QString::fromStdString(nuage));
    QCOMPARE(v.suffixePts, QString("PTS"));
    QCOMPARE(v.getNbPts(), 0);
    QVERIFY(!v.derniereErreur().isEmpty());
    // The template still came with the (unread) cloud.
    QCOMPARE(v.nomSimplex, QString(gabarit));
}

void VueDocument::maillageTriangleALaConstruction_data()
{
    QTest::addColumn<QString>("nom");
    QTest::newRow("off") << "octa.off";
    QTest::newRow("obj") << "octa.obj";
}

void VueDocument::maillageTriangleALaConstruction()
{
    QFETCH(QString, nom);
    TempDir dossier;
    const std::string chemin = dossier.file(nom.toStdString());
    QVERIFY(nom.endsWith("off") ? ecrireOctaedreOFF(chemin, 10) : ecrireOctaedreOBJ(chemin, 10));
    GLWidget v(QString(), QString::fromStdString(chemin));
    QCOMPARE(v.derniereErreur(), QString());
    QVERIFY(v.estTriangule);
    QCOMPARE(v.modeDisplayMaille, 3);
    QCOMPARE(v.dejaDeforme, 0);
    QCOMPARE(v.instanceSimplex->maillageOrigine.listeFaces.size(), std::size_t(8));
    QCOMPARE(v.getNbPts(), 0);
}

void VueDocument::chargementsEnEchecRapportes()
{
    TempDir dossier;
    GLWidget v;
    QSignalSpy echecs(&v, &GLWidget::operationEchouee);

    QVERIFY(!v.setPTS(QString::fromStdString(dossier.file("absent.pts"))));
    QVERIFY(v.derniereErreur().contains("absent.pts"));
    QCOMPARE(echecs.count(), 1);
    QCOMPARE(v.getNbPts(), 0);

    QVERIFY(writeFile(dossier.file("faux.smm"), "SMM\nceci n'est pas un maillage\n"));
    QVERIFY(!v.setMaillage(QString::fromStdString(dossier.file("faux.smm"))));
    QVERIFY(v.derniereErreur().contains("faux.smm"));
    QCOMPARE(echecs.count(), 2);

    // An OFF name that reads nothing is a failure too, and the reason names the file.
    QVERIFY(!v.setMaillage(QString::fromStdString(dossier.file("absent.off"))));
    QVERIFY(v.derniereErreur().contains("absent.off"));

    // A success clears the reason.
    QVERIFY(ecrirePTS(dossier.file("bon.pts"), petitNuage()));
    QVERIFY(v.setPTS(QString::fromStdString(dossier.file("bon.pts"))));
    QCOMPARE(v.derniereErreur(), QString());
    QCOMPARE(v.getNbPts(), 5);

    // A constructor that cannot read its cloud says so.
    GLWidget w(QString::fromStdString(dossier.file("absent.pts")), QString());
    QVERIFY(w.derniereErreur().contains("absent.pts"));
    QCOMPARE(w.getNbPtSimplex(), pointsDuGabarit());
}

void VueDocument::chaqueNuageAUnArbreExact()
{
    TempDir dossier;
    const std::vector<point3> a{{100, 0, 0}, {101, 1, 0}, {102, 0, 1}};
    const std::vector<point3> b{{-100, 0, 0}, {-101, 2, 0}};
    QVERIFY(ecrirePTS(dossier.file("a.pts"), a));
    QVERIFY(ecrirePTS(dossier.file("b.pts"), b));
    QVERIFY(ecrireAnalyze(dossier.file("vol"), 4, 3, 2, voxelsDeTest()));

    GLWidget v(QString::fromStdString(dossier.file("a.pts")), QString());
    QCOMPARE(tailleArbre(v), a.size());
    QVERIFY(v.setPTS(QString::fromStdString(dossier.file("b.pts"))));
    QCOMPARE(tailleArbre(v), b.size());
    // Near the first cloud, the tree answers with a point of the second.
    QVERIFY(plusProcheDansLArbre(v, point3(101, 1, 0)) == b[0]);

    QVERIFY(v.setPTS(QString::fromStdString(dossier.file("vol.hdr"))));
    QCOMPARE(tailleArbre(v), v.instanceMaillage->ListePointsInterets.size());
    QVERIFY(plusProcheDansLArbre(v, point3(-100, 0, 0)).x >= 0);

    // A second volume replaces the first rather than adding to it.
    const std::size_t nbVolume = v.pointsVolume.size();
    QVERIFY(v.setPTS(QString::fromStdString(dossier.file("vol.img"))));
    QCOMPARE(v.pointsVolume.size(), nbVolume);

    QVERIFY(v.setPTS(QString()));
    QCOMPARE(v.getNbPts(), 0);
    QCOMPARE(tailleArbre(v), std::size_t(0));
    QVERIFY(v.pointsVolume.empty());
}

void VueDocument::automateDesEtats()
{
    TempDir dossier;
    QVERIFY(ecrirePTS(dossier.file("nuage.pts"), petitNuage()));
    GLWidget v(QString::fromStdString(dossier.file("nuage.pts")), QString());
    auto etat = [&] { return std::make_tuple(v.dejaDeforme, v.estTriangule, v.modeDisplayMaille); };
    using Etat = std::tuple<int, bool, int>;
    QCOMPARE(etat(), Etat(0, false, 1));

    QVERIFY(v.deformationMaillage(1));
    QCOMPARE(etat(), Etat(1, false, 1));
    QVERIFY(v.Triangularisation());
    QCOMPARE(etat(), Etat(1, true, 3));
    QVERIFY(v.deformationMaillage(1));
    QCOMPARE(etat(), Etat(1, false, 1));

    QVERIFY(v.Triangularisation());
    QVERIFY(v.RaffinageT26(1, 0));
    QCOMPARE(etat(), Etat(0, false, 1));
    QVERIFY(v.deformationMaillage(2));
    QCOMPARE(etat(), Etat(1, false, 1));
    QVERIFY(v.RaffinageT22Auto(1, 1));
    QCOMPARE(etat(), Etat(0, false, 1));

    QVERIFY(v.deformationMaillage(1));
    QVERIFY(v.Triangularisation());
    QVERIFY(v.resetMaillage());
    QCOMPARE(etat(), Etat(1, false, 1));
    QCOMPARE(v.getNbPtSimplex(), pointsDuGabarit());

    // Reset outside mode 3 leaves the display as it is.
    v.setModeDisplayMaille(0);
    QVERIFY(v.resetMaillage());
    QCOMPARE(etat(), Etat(1, false, 0));
}

void VueDocument::deformationZeroEnModeTriangles()
{
    GLWidget v{QString(), QString(gabarit)};
    QVERIFY(v.Triangularisation());
    const std::vector<point3> avant = positionsSimplex(v);
    QVERIFY(v.deformationMaillage(0));
    QCOMPARE(v.modeDisplayMaille, 1);
    QVERIFY(!v.estTriangule);
    QCOMPARE(v.dejaDeforme, 0);
    QVERIFY(positionsSimplex(v) == avant);
}

void VueDocument::bouclesArreteesParOperationEnabled()
{
    TempDir dossier;
    std::vector<point3> nuage;
    for (int i = -20; i <= 20; ++i)
        nuage.emplace_back(i, 0.5 * i, 30 * std::sin(i * 0.3));
    QVERIFY(ecrirePTS(dossier.file("nuage.pts"), nuage));
    GLWidget v(QString::fromStdString(dossier.file("nuage.pts")), QString());
    v.setCoupe(1);
    const std::vector<point3> tranche = v.coupeX->ListePointsInterets;
    QVERIFY(!tranche.empty());
    // Move the cloud behind the view's back: only a recomputation would change the slab.
    v.instanceMaillage->translaterPointsInterets('x', 3.0);

    v.setOperationEnabled(false);
    const std::vector<point3> avant = positionsSimplex(v);
    const int nb = v.getNbPtSimplex();
    QVERIFY(v.deformationMaillage(3));
    QVERIFY(v.RaffinageT26(3));
    QVERIFY(v.RaffinageT22Auto(2, 1));
    QVERIFY(positionsSimplex(v) == avant);
    QCOMPARE(v.getNbPtSimplex(), nb);
    QCOMPARE(v.dejaDeforme, 0);
    QVERIFY(v.coupeX->ListePointsInterets == tranche);

    v.setOperationEnabled(true);
    QVERIFY(v.RaffinageT26(1));
    QVERIFY(v.getNbPtSimplex() > nb);
    QVERIFY(v.coupeX->ListePointsInterets != tranche);
}

void VueDocument::exportsParTerminaison_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("debut");
    QTest::addColumn<bool>("triangule");
    QTest::newRow("smm") << "sortie.smm" << "SMM\n" << false;
    QTest::newRow("sm") << "sortie.sm" << "SM\n" << false;
    QTest::newRow("off") << "sortie.off" << "OFF" << true;
    QTest::newRow("obj") << "sortie.obj" << "\nv " << true;
}

void VueDocument::exportsParTerminaison()
{
    QFETCH(QString, nom);
    QFETCH(QString, debut);
    QFETCH(bool, triangule);
    TempDir dossier;
    GLWidget v{QString(), QString(gabarit)};
    const std::string chemin = dossier.file(nom.toStdString());
    bool ok = false;
    const std::string sortie = captureStdout([&] { ok = v.ExportMaillageWithLoading(QString::fromStdString(chemin)); });
    QVERIFY(ok);
    QCOMPARE(v.derniereErreur(), QString());
    QVERIFY(v.nomSortieMaillage.isEmpty());
    const std::string contenu = readFile(chemin);
    if (nom.endsWith(".obj"))
        QVERIFY(("\n" + contenu).find(debut.toStdString()) != std::string::npos);
    else
        QVERIFY(contenu.rfind(debut.toStdString(), 0) == 0);
    QCOMPARE(v.estTriangule, triangule);
    QCOMPARE(v.modeDisplayMaille, triangule ? 3 : 1);
    if (nom.endsWith(".off")) {
        // The lines in this order (the engines may print their own between them).
        std::size_t d = 0;
        for (const char *ligne : {"Début triangulation smm\n", "fin triangulation smm\n",
                                   "Begin Exportation OFF\n", "Fin Exportation OFF\n"}) {
            d = sortie.find(ligne, d);
            QVERIFY2(d != std::string::npos, ligne);
        }
        Maillage relu;
        QVERIFY(relu.chargerOFF(chemin));
        QCOMPARE(relu.listeFaces.size(), v.instanceSimplex->maillageTriangule.listeFaces.size());
        QVERIFY(!relu.listeFaces.empty());
    }
    if (nom.endsWith(".obj"))
        QVERIFY(sortie.find("fin exportation obj\n") != std::string::npos);
    if (nom.endsWith(".smm")) {
        Simplex relu;
        QCOMPARE(relu.charger(chemin), 1);
        QCOMPARE(relu.getNbPointsSimplex(), v.getNbPtSimplex());
    }

    // An unknown ending writes nothing, says so, and still empties the output name.
    QSignalSpy echecs(&v, &GLWidget::operationEchouee);
    QVERIFY(!v.ExportMaillageWithLoading(QString::fromStdString(dossier.file("sortie.txt"))));
    QVERIFY(!QFileInfo::exists(QString::fromStdString(dossier.file("sortie.txt"))));
    QVERIFY(v.nomSortieMaillage.isEmpty());
    QVERIFY(!v.derniereErreur().isEmpty());
    QCOMPARE(echecs.count(), 1);

    // A folder that does not exist cannot be written to.
    QVERIFY(!v.ExportMaillageWithLoading(QString::fromStdString(dossier.file("absent/x.smm"))));
    QVERIFY(v.derniereErreur().contains("x.smm"));
}

void VueDocument::exportApresDeformationRetriangule()
{
    TempDir dossier;
    GLWidget v{QString(), QString(gabarit)};
    QVERIFY(v.ExportMaillageWithLoading(QString::fromStdString(dossier.file("avant.off"))));
    // Back to the wire frame, then the mesh changes: the next export must show the change.
    v.setModeDisplayMaille(1);
    v.dilatation(2.0);
    QVERIFY(v.estTriangule);
    QVERIFY(v.ExportMaillageWithLoading(QString::fromStdString(dossier.file("apres.off"))));
    Maillage avant, apres;
    QVERIFY(avant.chargerOFF(dossier.file("avant.off")));
    QVERIFY(apres.chargerOFF(dossier.file("apres.off")));
    QVERIFY(!avant.listeSommets.empty());
    QVERIFY(std::fabs(etendue(apres.listeSommets) / etendue(avant.listeSommets) - 2.0) < 1e-3);
}

void VueDocument::exportDuNuage()
{
    TempDir dossier;
    QVERIFY(ecrirePTS(dossier.file("nuage.pts"), petitNuage()));
    GLWidget v(QString::fromStdString(dossier.file("nuage.pts")), QString());
    QVERIFY(v.ExportPTSWithLoading(dossier.file("copie.pts")));
    QVERIFY(v.nomSortiePts.empty());
    Maillage relu;
    QVERIFY(relu.lecture_pt_interet(dossier.file("copie.pts")));
    QVERIFY(relu.ListePointsInterets == v.instanceMaillage->ListePointsInterets);

    // A volume exports its points as extracted, without the moves of the cloud.
    QVERIFY(ecrireAnalyze(dossier.file("vol"), 4, 3, 2, voxelsDeTest()));
    GLWidget w(QString::fromStdString(dossier.file("vol.img")), QString());
    w.setDeplaceSimplex(false);
    QTest::keyClick(&w, Qt::Key_W);
    QVERIFY(w.instanceMaillage->ListePointsInterets != w.pointsVolume);
    QVERIFY(w.ExportPTSWithLoading(dossier.file("vol.pts")));
    Maillage volume;
    QVERIFY(volume.lecture_pt_interet(dossier.file("vol.pts")));
    QVERIFY(volume.ListePointsInterets == w.pointsVolume);

    // Nothing to write: a failure with its reason.
    GLWidget vide;
    QVERIFY(!vide.ExportPTSWithLoading(dossier.file("rien.pts")));
    QVERIFY(!vide.derniereErreur().isEmpty());
    QVERIFY(!QFileInfo::exists(QString::fromStdString(dossier.file("rien.pts"))));
    QVERIFY(vide.nomSortiePts.empty());
}

void VueDocument::nuageFaitDuMaillage()
{
    TempDir dossier;
    QVERIFY(ecrirePTS(dossier.file("nuage.pts"), petitNuage()));
    GLWidget v(QString::fromStdString(dossier.file("nuage.pts")), QString());
    bool ok = false;
    const std::string sortie = captureStdout([&] { ok = v.maillageToPts(); });
    QVERIFY(ok);
    QVERIFY(sortie.rfind("0\n", 0) == 0);
    QCOMPARE(v.nomPts, QString("./SMM_/icosa.smm(pts).pts"));
    QCOMPARE(v.nomSimplex, QString(gabarit));
    QCOMPARE(v.suffixePts, QString("pts"));
    QCOMPARE(v.getNbPts(), v.getNbPtSimplex());
    QVERIFY(v.instanceMaillage->ListePointsInterets == positionsSimplex(v));
    QCOMPARE(tailleArbre(v), std::size_t(v.getNbPtSimplex()));

    // From a triangle mesh: its vertices; a view without cloud has no suffix to remove.
    const std::string off = dossier.file("octa.off");
    QVERIFY(ecrireOctaedreOFF(off, 4));
    GLWidget w(QString(), QString::fromStdString(off));
    const std::string sortieOff = captureStdout([&] { ok = w.maillageToPts(); });
    QVERIFY(ok);
    QVERIFY(sortieOff.rfind("6\n", 0) == 0);
    QCOMPARE(w.nomPts, QString::fromStdString(off) + "(pts).pts");
    QVERIFY(w.instanceMaillage->ListePointsInterets == w.instanceSimplex->maillageTriangule.listeSommets);
    QCOMPARE(tailleArbre(w), std::size_t(6));

    // The suffix of the previous cloud is removed wherever it occurs in the mesh name.
    GLWidget x(QString::fromStdString(dossier.file("nuage.pts")), QString::fromStdString(off));
    x.suffixePts = "octa";
    QVERIFY(x.maillageToPts());
    QCOMPARE(x.nomPts, QString::fromStdString(dossier.file(".off")) + "(pts).pts");
}

void VueDocument::modesDAffichage()
{
    GLWidget v;
    v.setModeDisplayMaille(0);
    QCOMPARE(v.modeDisplayMaille, 0);
    v.setModeDisplayMaille(4);
    QCOMPARE(v.modeDisplayMaille, 0);
    v.setModeDisplayMaille(40);
    QCOMPARE(v.modeDisplayMaille, 0);

    // The forms with fewer arguments take false.
    v.setBoucleDeform(true, true);
    v.setBoucleDeform(true);
    QVERIFY(v.boucleDeform && !v.cone);
    v.setBoucleDeform();
    QVERIFY(!v.boucleDeform);
}

void VueDocument::conversionSeulementDepuisOFF()
{
    TempDir dossier;
    QVERIFY(ecrireOctaedreOBJ(dossier.file("octa.obj"), 5));
    QVERIFY(ecrireOctaedreOFF(dossier.file("octa.off"), 5));

    GLWidget obj(QString(), QString::fromStdString(dossier.file("octa.obj")));
    QVERIFY(!obj.triangleToSimplex());
    QCOMPARE(obj.suffixeSimplex, QString("obj"));
    QCOMPARE(obj.modeDisplayMaille, 3);
    QCOMPARE(obj.getNbPtSimplex(), 0);

    GLWidget off(QString(), QString::fromStdString(dossier.file("octa.off")));
    QVERIFY(off.triangleToSimplex());
    QCOMPARE(off.suffixeSimplex, QString("smm"));
    QCOMPARE(off.modeDisplayMaille, 1);
    QVERIFY(off.estTriangule);
    // One simplex point per face of the octahedron.
    QCOMPARE(off.getNbPtSimplex(), 8);

    // An open triangle mesh cannot be converted: reported, nothing changes.
    QVERIFY(writeFile(dossier.file("ouvert.off"), "OFF\n4 2 0\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n3 0 1 2\n3 1 3 2\n"));
    GLWidget ouvert(QString(), QString::fromStdString(dossier.file("ouvert.off")));
    QVERIFY(!ouvert.triangleToSimplex());
    QVERIFY(!ouvert.derniereErreur().isEmpty());
    QCOMPARE(ouvert.suffixeSimplex, QString("off"));
    QCOMPARE(ouvert.modeDisplayMaille, 3);
}

void VueDocument::exceptionDuMoteurRapportee()
{
    GLWidget v{QString(), QString(gabarit)};
    QSignalSpy echecs(&v, &GLWidget::operationEchouee);
    // A companion list shorter than the mesh makes the step read out of range.
    PointSimplex *dernier = v.instanceSimplex->ListePointsSuivants.back();
    v.instanceSimplex->ListePointsSuivants.pop_back();
    bool ok = true;
    QVERIFY_THROWS_NO_EXCEPTION(ok = v.deformationMaillage(1));
    QVERIFY(!ok);
    QVERIFY(!v.derniereErreur().isEmpty());
    QCOMPARE(echecs.count(), 1);
    v.instanceSimplex->ListePointsSuivants.push_back(dernier);
    QVERIFY(v.deformationMaillage(1));
    QCOMPARE(v.derniereErreur(), QString());
}

TARNIS_VUE_TEST_MAIN(VueDocument)
#include "test_vue_document.moc"
