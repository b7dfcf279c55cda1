// The document view through real events: pictures read back from its framebuffer, mouse and keys,
// the slices, the continuous deformation driven by the repaint timer, and failures reported with
// the file at fault.
#include "MaillageGL.h"
#include "SimplexGL.h"
#include "glwidget.h"

#include "outils_qt.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace tarnis_test;

namespace {

point3 plusProcheDansLArbre(const GLWidget &v, const point3 &p)
{
    kd_result *r = kd_closest3(v.instanceMaillage->kd.get(), p.x, p.y, p.z);
    point3 trouve = p;
    if (r && !kd_result_at_end(r)) {
        double pos[3];
        kd_result_point(r, pos);
        trouve = point3(pos[0], pos[1], pos[2]);
    }
    kd_result_release(r);
    return trouve;
}

std::vector<point3> deplaces(std::vector<point3> points, int axe, double pas)
{
    for (point3 &p : points)
        (axe == 0 ? p.x : axe == 1 ? p.y : p.z) += pas;
    return points;
}

std::vector<point3> tranche(const std::vector<point3> &points, int axe, float lo, float hi)
{
    std::vector<point3> r;
    for (const point3 &p : points) {
        const double c = axe == 0 ? p.x : axe == 1 ? p.y : p.z;
        if (c > lo && c < hi)
            r.push_back(p);
    }
    return r;
}

// Values a single-precision reader gives back exactly, some just inside or outside 5.
const std::vector<point3> nuageDeTest = {{5, 0, 0}, {-5, 1, 1}, {4.9375, 2, 2}, {-4.9375, 3, -5}, {0, 0, 100},
                                         {7, 4.5, 4.9921875}, {1, -6, 5.0078125}, {-2, 5, -4}, {3, -4.5, 0.5}};

bool bleu(QRgb c) { return qBlue(c) > 100 && qRed(c) < 40 && qGreen(c) < 40; }
bool rouge(QRgb c) { return qRed(c) > 100 && qGreen(c) < 40 && qBlue(c) < 40; }

/// Pixels around the scene point (x, y) seen without rotation (200 x 200 pixels over [-100, 100]).
int autour(const QImage &image, double x, double y, bool (*teinte)(QRgb))
{
    int n = 0;
    for (int dy = -1; dy < 1; ++dy)
        for (int dx = -1; dx < 1; ++dx)
            n += teinte(image.pixel(int(100 + x) + dx, int(100 - y) + dy));
    return n;
}

} // namespace

class TestVue : public QObject
{
    Q_OBJECT

    TempDir dossier;
    QString chemin(const char *nom) { return QString::fromStdString(dossier.file(nom)); }

private slots:
    void nuageBleuEtPointsSimplexRouges()
    {
        const std::vector<point3> nuage{{-70, 30, 0}, {40, -75, 10}, {75, 75, -20}};
        QVERIFY(ecrireFichierPTS(dossier.file("trois.pts"), nuage));
        Simplex cube;
        cubeDual(cube, 150); // corners at +-50
        QVERIFY(cube.exporter(dossier.file("cube.smm"), 2));
        GLWidget v(chemin("trois.pts"), chemin("cube.smm"));
        v.setModeDisplayMaille(0);
        v.resize(200, 200);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        const QImage image = v.grabFramebuffer().convertToFormat(QImage::Format_RGB32);
        sauverArtefact(image, "vue_nuage_et_points");
        for (const point3 &p : nuage)
            QCOMPARE(autour(image, p.x, p.y, bleu), 4);
        for (double x : {-50.0, 50.0})
            for (double y : {-50.0, 50.0})
                QCOMPARE(autour(image, x, y, rouge), 4);
        // Only the x slab is drawn when it is chosen.
        v.setCoupe(1);
        const QImage coupe = v.grabFramebuffer().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(autour(coupe, -70, 30, bleu), 0);
        // Without drawing the last picture stays.
        v.setAffichGraf(false);
        v.setCoupe(0);
        v.setYRotation(45 * 16);
        QVERIFY(v.grabFramebuffer().convertToFormat(QImage::Format_RGB32) == coupe);
    }

    // The cached cloud layer gives the picture drawn from scratch whatever changed.
    void coucheDuNuageMemeImage()
    {
        std::vector<point3> nuage;
        for (int i = 0; i < 3000; ++i)
            nuage.emplace_back(90 * std::sin(i * 0.37), 90 * std::cos(i * 0.11), 90 * std::sin(i * 0.05));
        QVERIFY(ecrireFichierPTS(dossier.file("spirale.pts"), nuage));
        GLWidget v(chemin("spirale.pts"), QString());
        v.resize(200, 200);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        v.setModeDisplayMaille(2);
        auto comparer = [&]() {
            v.seuilCoucheNuage = static_cast<std::size_t>(-1);
            const QImage direct = v.grabFramebuffer();
            v.seuilCoucheNuage = 0;
            const QImage premiere = v.grabFramebuffer();
            return direct == premiere && direct == v.grabFramebuffer() && v.seuilCoucheNuage == 0;
        };
        QVERIFY(comparer());
        QTest::keyClick(&v, Qt::Key_W);
        QVERIFY(comparer());
        v.instanceMaillage->ListePointsInterets[7].x += 30;
        QVERIFY(comparer());
        v.setYRotation(300);
        QVERIFY(comparer());
        v.Zoom(-20);
        QVERIFY(comparer());
        v.resize(160, 120);
        QVERIFY(comparer());
    }

    void glisserALaSouris()
    {
        GLWidget v;
        v.resize(200, 200);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        // Left button, 10 pixels to the right: 80 sixteenths about y; 3 up: x wraps below zero.
        QTest::mousePress(&v, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QTest::mouseMove(&v, QPoint(60, 50));
        QCOMPARE(v.yRot, 80);
        QCOMPARE(v.xRot, 0);
        QTest::mouseMove(&v, QPoint(60, 47));
        QCOMPARE(v.xRot, 5760 - 24);
        QTest::mouseRelease(&v, Qt::LeftButton, Qt::NoModifier, QPoint(60, 47));
        // Right button: about z.
        QTest::mousePress(&v, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
        QTest::mouseMove(&v, QPoint(30, 22));
        QCOMPARE(v.zRot, 80);
        QCOMPARE(v.xRot, 5760 - 24 + 16);
        QTest::mouseRelease(&v, Qt::RightButton, Qt::NoModifier, QPoint(30, 22));
    }

    // Slabs with strict bounds, then the keys: they move the mesh, or the cloud with its slabs
    // and the tree the deformation searches.
    void tranchesEtTouches()
    {
        QVERIFY(ecrireFichierPTS(dossier.file("test.pts"), nuageDeTest));
        GLWidget v(chemin("test.pts"), QString());
        // Without an axis the controls store their values and compute nothing.
        v.setTailleTrancheCoupe(8);
        v.setCoordCoupe(-1);
        QVERIFY(v.coupeY->ListePointsInterets.empty());
        v.setCoupe(2);
        QVERIFY(v.coupeY->ListePointsInterets == tranche(nuageDeTest, 1, -9.0f, 7.0f));
        v.setTailleTrancheCoupe(2);
        v.setCoordCoupe(3);
        v.setCoupe(1);
        QVERIFY(v.coupeX->ListePointsInterets == tranche(nuageDeTest, 0, 1.0f, 5.0f));
        v.setTailleTrancheCoupe(5);
        v.setCoordCoupe(0);

        const struct { Qt::Key touche; int axe; double signe; } touches[] = {
            {Qt::Key_W, 0, 1}, {Qt::Key_X, 0, -1}, {Qt::Key_C, 1, 1}, {Qt::Key_V, 1, -1}, {Qt::Key_B, 2, 1},
            {Qt::Key_N, 2, -1}};
        std::vector<point3> attendu = positions(*v.instanceSimplex);
        for (const auto &t : touches) {
            QTest::keyClick(&v, t.touche);
            attendu = deplaces(attendu, t.axe, t.signe * 1.25);
            QVERIFY(positions(*v.instanceSimplex) == attendu);
        }
        QTest::keyClick(&v, 'w'); // the lower-case letter is the same key
        for (Qt::Key k : {Qt::Key_A, Qt::Key_Z, Qt::Key_Left, Qt::Key_Space})
            QTest::keyClick(&v, k);
        QVERIFY(positions(*v.instanceSimplex) == deplaces(attendu, 0, 1.25));
        QVERIFY(v.instanceMaillage->ListePointsInterets == nuageDeTest);

        v.setCoupe(3);
        v.setDeplaceSimplex(false);
        QTest::keyClick(&v, Qt::Key_B);
        const std::vector<point3> bouge = deplaces(nuageDeTest, 2, 1.25);
        QVERIFY(v.instanceMaillage->ListePointsInterets == bouge);
        QVERIFY(v.coupeZ->ListePointsInterets == tranche(bouge, 2, -5.0f, 5.0f));
        QVERIFY(v.coupeZ->ListePointsInterets.size() >= 3);
        QCOMPARE(kd_size(v.instanceMaillage->kd.get()), bouge.size());
        for (const point3 &p : bouge)
            QVERIFY(plusProcheDansLArbre(v, p) == p);
    }

    void deformationContinueParLeMinuteur()
    {
        std::vector<point3> nuage;
        for (int i = 0; i < 200; ++i)
            nuage.emplace_back(60 * std::cos(i * 0.7), 60 * std::sin(i * 1.3), 60 * std::cos(i * 0.2));
        QVERIFY(ecrireFichierPTS(dossier.file("boucle.pts"), nuage));
        GLWidget v(chemin("boucle.pts"), QString());
        v.resize(120, 120);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        const std::vector<point3> avant = positions(*v.instanceSimplex);
        v.setBoucleDeform(true);
        QTRY_VERIFY_WITH_TIMEOUT(positions(*v.instanceSimplex) != avant, 3000);
        // Once stopped, no step is left waiting.
        v.setBoucleDeform(false);
        QTest::qWait(60);
        const std::vector<point3> arret = positions(*v.instanceSimplex);
        QTest::qWait(150);
        QVERIFY(positions(*v.instanceSimplex) == arret);
        // Without drawing the steps go on.
        v.setAffichGraf(false);
        v.setBoucleDeform(true);
        QTRY_VERIFY_WITH_TIMEOUT(positions(*v.instanceSimplex) != arret, 3000);
        v.setBoucleDeform(false);

        // A step that fails inside the repaint is reported once and stops the loop.
        QSignalSpy echecs(&v, &GLWidget::operationEchouee);
        v.setAffichGraf(true);
        PointSimplex *dernier = v.instanceSimplex->ListePointsSuivants.back();
        v.instanceSimplex->ListePointsSuivants.pop_back();
        v.setBoucleDeform(true);
        QTRY_VERIFY_WITH_TIMEOUT(!v.boucleDeform, 3000);
        QCOMPARE(echecs.count(), 1);
        QVERIFY(!v.derniereErreur().isEmpty());
        v.instanceSimplex->ListePointsSuivants.push_back(dernier);
    }

    // Exports by suffix, one that reads back; exports and readings refused with the file's name.
    void echecsNommentLeFichier()
    {
        GLWidget v{QString(), QStringLiteral("./SMM_/icosa.smm")};
        captureStdout([&] { QVERIFY(v.ExportMaillageWithLoading(chemin("sortie.off"))); });
        Maillage relu;
        captureStdout([&] { QVERIFY(relu.chargerOFF(dossier.file("sortie.off"))); });
        QVERIFY(!relu.listeFaces.empty());
        QCOMPARE(relu.listeFaces.size(), v.instanceSimplex->maillageTriangule.listeFaces.size());
        QVERIFY(!v.ExportMaillageWithLoading(chemin("absent/x.smm")));
        QVERIFY(v.derniereErreur().contains("x.smm"));
        QVERIFY(!v.ExportMaillageWithLoading(chemin("sortie.txt")));
        QVERIFY(v.derniereErreur().contains("sortie.txt"));
        QVERIFY(!QFileInfo::exists(chemin("sortie.txt")));

        QSignalSpy echecs(&v, &GLWidget::operationEchouee);
        QVERIFY(writeFile(dossier.file("faux.smm"), "SMM\nceci n'est pas un maillage\n"));
        for (const char *nom : {"absent.pts", "faux.smm", "absent.off"}) {
            QVERIFY(!(QString(nom).endsWith("pts") ? v.setPTS(chemin(nom)) : v.setMaillage(chemin(nom))));
            QVERIFY2(v.derniereErreur().contains(nom), qPrintable(v.derniereErreur()));
        }
        QCOMPARE(echecs.count(), 3);
        QVERIFY(ecrireFichierPTS(dossier.file("bon.pts"), nuageDeTest));
        QVERIFY(v.setPTS(chemin("bon.pts")));
        QCOMPARE(v.derniereErreur(), QString());
    }
};

TARNIS_QTEST_MAIN(TestVue)
#include "test_vue.moc"
