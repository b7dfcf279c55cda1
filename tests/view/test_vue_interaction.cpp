// Camera, mouse and keyboard through real events, the viewport, the slices and the
// continuous deformation driven by the repaint timer.
#include "MaillageGL.h"
#include "SimplexGL.h"
#include "glwidget.h"

#include "support.h"
#include "vue_outils.h"

#include <QSignalSpy>
#include <algorithm>
#include <cmath>
#include <QTest>

using namespace tarnis_test;

Q_DECLARE_METATYPE(Qt::Key)

namespace {

const char *const gabarit = "./SMM_/icosa.smm";

std::vector<point3> deplaces(const std::vector<point3> &points, int axe, double pas)
{
    std::vector<point3> r;
    for (point3 p : points) {
        if (axe == 0)
            p.x += pas;
        else if (axe == 1)
            p.y += pas;
        else
            p.z += pas;
        r.push_back(p);
    }
    return r;
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

std::vector<point3> nuageDeTest()
{
    // Values a single-precision reader gives back exactly, some just inside or outside 5.
    return {{5, 0, 0}, {-5, 1, 1}, {4.9375, 2, 2}, {-4.9375, 3, -5}, {0, 0, 100}, {7, 4.5, 4.9921875},
            {1, -6, 5.0078125}, {-2, 5, -4}, {3, -4.5, 0.5}};
}

} // namespace

class VueInteraction : public QObject
{
    Q_OBJECT

private slots:
    void normalisationDesAngles_data();
    void normalisationDesAngles();
    void glisserALaSouris();
    void zoomAlterneEnZero();
    void viewportAvecEtSansProportions();
    void touchesDeplacentLeMaillage_data();
    void touchesDeplacentLeMaillage();
    void touchesDeplacentLeNuage();
    void autresTouchesSansEffet();
    void tranchesAuxBornesStrictes();
    void choixDeLAxeCalculeLesTranches();
    void tranchesDUnVolumeDeplace();
    void vueSansNuage();
    void deformationContinueParLeMinuteur();
    void echecPendantLeDessinRetenu();
};

void VueInteraction::normalisationDesAngles_data()
{
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("attendu");
    QTest::newRow("-16") << -16 << 5744;
    QTest::newRow("5760 garde") << 5760 << 5760;
    QTest::newRow("5776") << 5776 << 16;
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("-5760") << -5760 << 0;
    QTest::newRow("deux tours et un") << 11521 << 1;
    QTest::newRow("-11600") << -11600 << 5680;
}

void VueInteraction::normalisationDesAngles()
{
    QFETCH(int, angle);
    QFETCH(int, attendu);
    GLWidget v;
    v.setXRotation(angle);
    v.setYRotation(angle);
    v.setZRotation(angle);
    QCOMPARE(v.xRot, attendu);
    QCOMPARE(v.yRot, attendu);
    QCOMPARE(v.zRot, attendu);
}

void VueInteraction::glisserALaSouris()
{
    GLWidget v;
    v.resize(200, 200);
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));

    // Left button, 10 pixels to the right: 80 sixteenths (5 degrees) about y.
    QTest::mousePress(&v, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
    QCOMPARE(v.lastPos, QPoint(50, 50));
    QTest::mouseMove(&v, QPoint(60, 50));
    QCOMPARE(v.yRot, 80);
    QCOMPARE(v.xRot, 0);
    QCOMPARE(v.lastPos, QPoint(60, 50));
    // Then 3 pixels up: x turns back by 24, below zero, so it wraps.
    QTest::mouseMove(&v, QPoint(60, 47));
    QCOMPARE(v.xRot, 5760 - 24);
    QTest::mouseRelease(&v, Qt::LeftButton, Qt::NoModifier, QPoint(60, 47));

    // Right button: 10 pixels to the right turn about z.
    QTest::mousePress(&v, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
    QTest::mouseMove(&v, QPoint(30, 22));
    QCOMPARE(v.zRot, 80);
    QCOMPARE(v.yRot, 80);
    QCOMPARE(v.xRot, 5760 - 24 + 16);
    QTest::mouseRelease(&v, Qt::RightButton, Qt::NoModifier, QPoint(30, 22));
}

void VueInteraction::zoomAlterneEnZero()
{
    GLWidget v;
    for (int i = 0; i < 20; ++i)
        v.Zoom(-5.0f);
    QCOMPARE(v.zoom, 0.0f);
    v.Zoom(-5.0f);
    QCOMPARE(v.zoom, 5.0f);
    v.Zoom(-5.0f);
    QCOMPARE(v.zoom, 0.0f);
    // From zero "Zoom -" goes negative, and "Zoom +" comes back towards zero.
    v.Zoom(5.0f);
    QCOMPARE(v.zoom, -5.0f);
    v.Zoom(5.0f);
    QCOMPARE(v.zoom, -10.0f);
    v.Zoom(-5.0f);
    QCOMPARE(v.zoom, -5.0f);
    v.Zoom(-5.0f);
    QCOMPARE(v.zoom, 0.0f);
}

void VueInteraction::viewportAvecEtSansProportions()
{
    QCOMPARE(GLWidget::calculViewport(800, 600, true), QRect(100, 0, 600, 600));
    QCOMPARE(GLWidget::calculViewport(600, 800, true), QRect(0, 100, 600, 600));
    QCOMPARE(GLWidget::calculViewport(801, 600, true), QRect(100, 0, 600, 600));
    QCOMPARE(GLWidget::calculViewport(800, 600, false), QRect(0, 0, 800, 600));

    GLWidget v;
    v.resize(800, 600);
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    const qreal r = v.devicePixelRatioF();
    v.grabFramebuffer();
    QCOMPARE(v.viewportCourant(), QRect(int(100 * r), 0, int(600 * r), int(600 * r)));
    v.setConservProp(false);
    v.grabFramebuffer();
    QCOMPARE(v.viewportCourant(), QRect(0, 0, int(800 * r), int(600 * r)));
}

void VueInteraction::touchesDeplacentLeMaillage_data()
{
    QTest::addColumn<Qt::Key>("touche");
    QTest::addColumn<char>("lettre");
    QTest::addColumn<int>("axe");
    QTest::addColumn<double>("signe");
    QTest::newRow("W") << Qt::Key_W << 'w' << 0 << 1.0;
    QTest::newRow("X") << Qt::Key_X << 'x' << 0 << -1.0;
    QTest::newRow("C") << Qt::Key_C << 'c' << 1 << 1.0;
    QTest::newRow("V") << Qt::Key_V << 'v' << 1 << -1.0;
    QTest::newRow("B") << Qt::Key_B << 'b' << 2 << 1.0;
    QTest::newRow("N") << Qt::Key_N << 'n' << 2 << -1.0;
}

void VueInteraction::touchesDeplacentLeMaillage()
{
    QFETCH(Qt::Key, touche);
    QFETCH(char, lettre);
    QFETCH(int, axe);
    QFETCH(double, signe);
    TempDir dossier;
    QVERIFY(ecrirePTS(dossier.file("nuage.pts"), nuageDeTest()));
    GLWidget v(QString::fromStdString(dossier.file("nuage.pts")), QString());
    const std::vector<point3> maillage = positionsSimplex(v);
    const std::vector<point3> nuage = v.instanceMaillage->ListePointsInterets;

    QTest::keyClick(&v, touche);
    const std::vector<point3> unPas = deplaces(maillage, axe, signe * 1.25);
    QVERIFY(positionsSimplex(v) == unPas);
    // The lower-case letter is the same key.
    QTest::keyClick(&v, lettre);
    QVERIFY(positionsSimplex(v) == deplaces(unPas, axe, signe * 1.25));
    QVERIFY(v.instanceMaillage->ListePointsInterets == nuage);
}

void VueInteraction::touchesDeplacentLeNuage()
{
    TempDir dossier;
    QVERIFY(ecrirePTS(dossier.file("nuage.pts"), nuageDeTest()));
    GLWidget v(QString::fromStdString(dossier.file("nuage.pts")), QString());
    const std::vector<point3> maillage = positionsSimplex(v);
    const std::vector<point3> nuage = v.instanceMaillage->ListePointsInterets;
    v.setCoupe(3);
    v.setDeplaceSimplex(false);

    QTest::keyClick(&v, Qt::Key_B);
    const std::vector<point3> bouge = deplaces(nuage, 2, 1.25);
    QVERIFY(v.instanceMaillage->ListePointsInterets == bouge);
    QVERIFY(positionsSimplex(v) == maillage);
    // The slabs follow the moved cloud, and so does the tree the deformation searches.
    QVERIFY(v.coupeZ->ListePointsInterets == tranche(bouge, 2, -5.0f, 5.0f));
    QVERIFY(v.coupeZ->ListePointsInterets != tranche(nuage, 2, -5.0f, 5.0f));
    QCOMPARE(tailleArbre(v), bouge.size());
    for (const point3 &p : bouge)
        QVERIFY(plusProcheDansLArbre(v, p) == p);

    QTest::keyClick(&v, 'x');
    QVERIFY(v.instanceMaillage->ListePointsInterets == deplaces(bouge, 0, -1.25));
}

void VueInteraction::autresTouchesSansEffet()
{
    TempDir dossier;
    QVERIFY(ecrirePTS(dossier.file("nuage.pts"), nuageDeTest()));
    GLWidget v(QString::fromStdString(dossier.file("nuage.pts")), QString());
    const std::vector<point3> maillage = positionsSimplex(v);
    for (Qt::Key k : {Qt::Key_A, Qt::Key_Z, Qt::Key_Left, Qt::Key_Space, Qt::Key_Plus})
        QTest::keyClick(&v, k);
    v.setDeplaceSimplex(false);
    for (Qt::Key k : {Qt::Key_A, Qt::Key_M, Qt::Key_Up})
        QTest::keyClick(&v, k);
    QVERIFY(positionsSimplex(v) == maillage);
    QVERIFY(v.instanceMaillage->ListePointsInterets == nuageDeTest());
}

void VueInteraction::tranchesAuxBornesStrictes()
{
    TempDir dossier;
    const std::vector<point3> nuage = nuageDeTest();
    QVERIFY(ecrirePTS(dossier.file("nuage.pts"), nuage));
    GLWidget v(QString::fromStdString(dossier.file("nuage.pts")), QString());
    v.setCoupe(1);
    // Default half-thickness 5 around 0: x = 5 and x = -5 are out, 4.9375 in.
    QVERIFY(v.coupeX->ListePointsInterets == tranche(nuage, 0, -5.0f, 5.0f));
    const auto &x = v.coupeX->ListePointsInterets;
    QVERIFY(std::find(x.begin(), x.end(), point3(5, 0, 0)) == x.end());
    QVERIFY(std::find(x.begin(), x.end(), point3(-5, 1, 1)) == x.end());
    QVERIFY(std::find(x.begin(), x.end(), point3(4.9375, 2, 2)) != x.end());
    // (0, 0, 100) is in the x and y slabs, not in the z slab.
    const point3 haut(0, 0, 100);
    QVERIFY(std::find(x.begin(), x.end(), haut) != x.end());
    const auto &y = v.coupeY->ListePointsInterets;
    const auto &z = v.coupeZ->ListePointsInterets;
    QVERIFY(std::find(y.begin(), y.end(), haut) != y.end());
    QVERIFY(std::find(z.begin(), z.end(), haut) == z.end());
    QVERIFY(z == tranche(nuage, 2, -5.0f, 5.0f));
    QVERIFY(z.size() >= 3);

    v.setTailleTrancheCoupe(2);
    v.setCoordCoupe(3);
    QVERIFY(v.coupeX->ListePointsInterets == tranche(nuage, 0, 1.0f, 5.0f));
    QVERIFY(v.coupeY->ListePointsInterets == tranche(nuage, 1, 1.0f, 5.0f));
}

void VueInteraction::choixDeLAxeCalculeLesTranches()
{
    TempDir dossier;
    const std::vector<point3> nuage = nuageDeTest();
    QVERIFY(ecrirePTS(dossier.file("nuage.pts"), nuage));
    GLWidget v(QString::fromStdString(dossier.file("nuage.pts")), QString());
    // Without an axis the controls store their values and compute nothing.
    v.setTailleTrancheCoupe(8);
    v.setCoordCoupe(-1);
    QCOMPARE(v.tailleTrancheCoupe, 8);
    QCOMPARE(v.coordCoupe, -1);
    QVERIFY(v.coupeY->ListePointsInterets.empty());
    // Choosing an axis shows the slab of the current cloud at once.
    v.setCoupe(2);
    QCOMPARE(v.coupe, 2);
    QVERIFY(v.coupeY->ListePointsInterets == tranche(nuage, 1, -9.0f, 7.0f));
    v.setCoupe(4);
    QCOMPARE(v.coupe, 2);
    v.setCoupe(0);
    QCOMPARE(v.coupe, 0);
    // Turned off, the slabs stay as they were.
    QVERIFY(v.coupeY->ListePointsInterets == tranche(nuage, 1, -9.0f, 7.0f));
}

void VueInteraction::tranchesDUnVolumeDeplace()
{
    TempDir dossier;
    std::vector<std::uint16_t> voxels(8 * 8 * 8, 0);
    for (std::size_t i = 0; i < voxels.size(); i += 3)
        voxels[i] = 700;
    QVERIFY(ecrireAnalyze(dossier.file("vol"), 8, 8, 8, voxels));
    GLWidget v(QString::fromStdString(dossier.file("vol.hdr")), QString());
    QVERIFY(v.getNbPts() > 0);
    v.setDeplaceSimplex(false);
    v.setCoupe(1);
    v.setTailleTrancheCoupe(2);
    v.setCoordCoupe(3);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(&v, Qt::Key_W);
    QVERIFY(v.instanceMaillage->ListePointsInterets == deplaces(v.pointsVolume, 0, 5.0));
    // Cut from the extracted points, which the keys do not move.
    QVERIFY(v.coupeX->ListePointsInterets == tranche(v.pointsVolume, 0, 1.0f, 5.0f));
}

void VueInteraction::vueSansNuage()
{
    GLWidget v{QString(), QString(gabarit)};
    for (unsigned short axe : {1, 2, 3}) {
        v.setCoupe(axe);
        v.setTailleTrancheCoupe(20);
        v.setCoordCoupe(0);
        QVERIFY(v.coupeX->ListePointsInterets.empty());
        QVERIFY(v.coupeY->ListePointsInterets.empty());
        QVERIFY(v.coupeZ->ListePointsInterets.empty());
    }
    // The cloud made from the mesh is then cut like any other.
    QVERIFY(v.maillageToPts());
    v.calculCoupes();
    QVERIFY(v.coupeZ->ListePointsInterets
            == tranche(v.instanceMaillage->ListePointsInterets, 2, -20.0f, 20.0f));
}

void VueInteraction::deformationContinueParLeMinuteur()
{
    TempDir dossier;
    std::vector<point3> nuage;
    for (int i = 0; i < 200; ++i)
        nuage.emplace_back(60 * std::cos(i * 0.7), 60 * std::sin(i * 1.3), 60 * std::cos(i * 0.2));
    QVERIFY(ecrirePTS(dossier.file("nuage.pts"), nuage));
    GLWidget v(QString::fromStdString(dossier.file("nuage.pts")), QString());
    v.resize(120, 120);
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));

    const std::vector<point3> avant = positionsSimplex(v);
    v.setBoucleDeform(true);
    QTRY_VERIFY_WITH_TIMEOUT(v.dejaDeforme == 1, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(positionsSimplex(v) != avant, 3000);

    // Once stopped, no step is left waiting.
    v.setBoucleDeform(false);
    QTest::qWait(60);
    const std::vector<point3> arret = positionsSimplex(v);
    QTest::qWait(150);
    QVERIFY(positionsSimplex(v) == arret);

    // Without drawing the steps go on.
    v.setAffichGraf(false);
    v.setBoucleDeform(true);
    QTRY_VERIFY_WITH_TIMEOUT(positionsSimplex(v) != arret, 3000);
    v.setBoucleDeform(false);
}

void VueInteraction::echecPendantLeDessinRetenu()
{
    GLWidget v{QString(), QString(gabarit)};
    v.resize(120, 120);
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
    QSignalSpy echecs(&v, &GLWidget::operationEchouee);
    PointSimplex *dernier = v.instanceSimplex->ListePointsSuivants.back();
    v.instanceSimplex->ListePointsSuivants.pop_back();
    v.setBoucleDeform(true);
    // The failing step is reported from the repaint and the loop stops; nothing escapes.
    QTRY_VERIFY_WITH_TIMEOUT(!v.boucleDeform, 3000);
    QCOMPARE(echecs.count(), 1);
    QVERIFY(!v.derniereErreur().isEmpty());
    v.instanceSimplex->ListePointsSuivants.push_back(dernier);
}

TARNIS_VUE_TEST_MAIN(VueInteraction)
#include "test_vue_interaction.moc"
