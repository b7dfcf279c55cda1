// Pictures drawn by the view, read back from its framebuffer: axes, cloud, simplex points,
// slices, and the last picture kept while drawing is off. Saved as test artefacts.
#include "MaillageGL.h"
#include "SimplexGL.h"
#include "glwidget.h"

#include "support.h"
#include "vue_outils.h"

#include <QTest>

#include <algorithm>
#include <cmath>

using namespace tarnis_test;

namespace {

// 200 x 200 pixels over [-100, 100] (the start zoom): one pixel per unit.
const int cote = 200;

enum class Teinte { Noir, Rouge, Vert, Bleu, Blanc, Autre };

Teinte teinte(QRgb c)
{
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    if (r < 40 && g < 40 && b < 40)
        return Teinte::Noir;
    // Lines on a pixel boundary are shared by two rows of the multisampled picture: half
    // intensity counts.
    if (r > 100 && g > 100 && b > 100 && std::max({r, g, b}) - std::min({r, g, b}) < 40)
        return Teinte::Blanc;
    if (r > 100 && g < 40 && b < 40)
        return Teinte::Rouge;
    if (g > 100 && r < 40 && b < 40)
        return Teinte::Vert;
    if (b > 100 && r < 40 && g < 40)
        return Teinte::Bleu;
    return Teinte::Autre;
}

/// Image pixel at the scene point (x, y) seen without rotation.
QPoint pixelDe(const QImage &image, double x, double y)
{
    const double echelle = image.width() / 200.0;
    return QPoint(int((100 + x) * echelle), int((100 - y) * echelle));
}

/// Number of pixels of the given tint inside the rectangle.
int compter(const QImage &image, const QRect &zone, Teinte t)
{
    int n = 0;
    const QRect z = zone.intersected(image.rect());
    for (int y = z.top(); y <= z.bottom(); ++y)
        for (int x = z.left(); x <= z.right(); ++x)
            if (teinte(image.pixel(x, y)) == t)
                ++n;
    return n;
}

QImage voir(GLWidget &v, const char *nom)
{
    QImage image = v.grabFramebuffer().convertToFormat(QImage::Format_RGB32);
    sauverArtefact(image, QString("vue_") + nom);
    return image;
}

void montrer(GLWidget &v)
{
    v.resize(cote, cote);
    v.show();
    QVERIFY(QTest::qWaitForWindowExposed(&v));
}

} // namespace

class VueImage : public QObject
{
    Q_OBJECT

private slots:
    void sceneVideLesTroisAxes();
    void nuageBleuEtPointsSimplexRouges();
    void filDeFerEtTriangles();
    void seuleLaTrancheEstDessinee();
    void sansDessinLaDerniereImageReste();
    void coucheDuNuageMemeImage();
};

void VueImage::sceneVideLesTroisAxes()
{
    GLWidget v;
    montrer(v);
    const QImage image = voir(v, "axes");
    const QPoint o = pixelDe(image, 0, 0);
    // Green up along y, red right along x, 20 units each; nothing anywhere else.
    QVERIFY(compter(image, QRect(o.x() - 2, o.y() - 19, 5, 16), Teinte::Vert) >= 16);
    QVERIFY(compter(image, QRect(o.x() + 3, o.y() - 2, 16, 5), Teinte::Rouge) >= 16);
    const QRect croix = QRect(o.x() - 3, o.y() - 23, 27, 27);
    int ailleurs = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!croix.contains(x, y) && teinte(image.pixel(x, y)) != Teinte::Noir)
                ++ailleurs;
    QCOMPARE(ailleurs, 0);
    QCOMPARE(compter(image, image.rect(), Teinte::Bleu), 0);

    // A quarter turn about y brings the blue z axis to the right, in place of x.
    v.setYRotation(90 * 16);
    const QImage tourne = voir(v, "axes_tournes");
    QVERIFY(compter(tourne, QRect(o.x() + 3, o.y() - 2, 16, 5), Teinte::Bleu) >= 16);
    QCOMPARE(compter(tourne, QRect(o.x() + 3, o.y() - 2, 16, 5), Teinte::Rouge), 0);
    QVERIFY(compter(tourne, QRect(o.x() - 2, o.y() - 19, 5, 16), Teinte::Vert) >= 16);
}

void VueImage::nuageBleuEtPointsSimplexRouges()
{
    TempDir dossier;
    const std::vector<point3> nuage{{-70, 30, 0}, {40, -75, 10}, {75, 75, -20}};
    QVERIFY(ecrirePTS(dossier.file("nuage.pts"), nuage));
    QVERIFY(ecrireCubeSMM(dossier.file("cube.smm"), 150)); // corners at +-50
    GLWidget v(QString::fromStdString(dossier.file("nuage.pts")),
               QString::fromStdString(dossier.file("cube.smm")));
    QCOMPARE(v.getNbPtSimplex(), 8);
    v.setModeDisplayMaille(0);
    montrer(v);
    const QImage image = voir(v, "nuage_et_points");
    for (const point3 &p : nuage) {
        const QPoint c = pixelDe(image, p.x, p.y);
        QVERIFY2(compter(image, QRect(c.x() - 1, c.y() - 1, 2, 2), Teinte::Bleu) == 4,
                 qPrintable(QString("nuage %1 %2").arg(p.x).arg(p.y)));
    }
    for (double x : {-50.0, 50.0})
        for (double y : {-50.0, 50.0}) {
            const QPoint c = pixelDe(image, x, y);
            QVERIFY2(compter(image, QRect(c.x() - 1, c.y() - 1, 2, 2), Teinte::Rouge) == 4,
                     qPrintable(QString("simplex %1 %2").arg(x).arg(y)));
        }
    // Points of size 4: about 16 pixels each, and no wire frame in mode 0.
    const int bleus = compter(image, image.rect(), Teinte::Bleu);
    QVERIFY(bleus >= 3 * 12 && bleus <= 3 * 25);
    QCOMPARE(compter(image, image.rect(), Teinte::Blanc), 0);

    // Without the cloud, no blue at all.
    v.setAffichePT(false);
    QCOMPARE(compter(voir(v, "sans_nuage"), QRect(0, 0, cote, cote), Teinte::Bleu), 0);
}

void VueImage::filDeFerEtTriangles()
{
    TempDir dossier;
    QVERIFY(ecrireCubeSMM(dossier.file("cube.smm"), 150));
    GLWidget v{QString(), QString::fromStdString(dossier.file("cube.smm"))};
    montrer(v);
    // Seen along z the cube's edges are the square of side 100 around the centre.
    const QImage fil = voir(v, "fil_de_fer");
    const QPoint coin = pixelDe(fil, -50, 50);
    QVERIFY(compter(fil, QRect(coin.x() + 10, coin.y() - 1, 80, 3), Teinte::Blanc) >= 70);
    QCOMPARE(compter(fil, QRect(coin.x() + 10, coin.y() + 10, 30, 30), Teinte::Blanc), 0);

    QVERIFY(v.Triangularisation());
    const QImage triangles = voir(v, "triangles");
    QVERIFY(compter(triangles, QRect(coin.x() + 10, coin.y() - 1, 80, 3), Teinte::Rouge) >= 70);
    QCOMPARE(compter(triangles, triangles.rect(), Teinte::Blanc), 0);
    // The fan of each face runs through its centre: red on the diagonals, inside the square.
    QVERIFY(compter(triangles, QRect(coin.x() + 10, coin.y() + 10, 80, 80), Teinte::Rouge) > 40);
}

void VueImage::seuleLaTrancheEstDessinee()
{
    TempDir dossier;
    const std::vector<point3> nuage{{2, -60, 0}, {40, -75, 0}, {-3, 60, 0}, {-70, 30, 0}};
    QVERIFY(ecrirePTS(dossier.file("nuage.pts"), nuage));
    GLWidget v(QString::fromStdString(dossier.file("nuage.pts")), QString());
    v.setModeDisplayMaille(5); // the mesh out of the picture
    v.setCoupe(1);
    montrer(v);
    const QImage image = voir(v, "tranche_x");
    auto bleu = [&](const point3 &p) {
        const QPoint c = pixelDe(image, p.x, p.y);
        return compter(image, QRect(c.x() - 1, c.y() - 1, 2, 2), Teinte::Bleu);
    };
    QCOMPARE(bleu(nuage[0]), 4);
    QCOMPARE(bleu(nuage[2]), 4);
    QCOMPARE(bleu(nuage[1]), 0);
    QCOMPARE(bleu(nuage[3]), 0);
    v.setCoupe(0);
    const QImage tout = voir(v, "tranche_aucune");
    for (const point3 &p : nuage) {
        const QPoint c = pixelDe(tout, p.x, p.y);
        QCOMPARE(compter(tout, QRect(c.x() - 1, c.y() - 1, 2, 2), Teinte::Bleu), 4);
    }
}

void VueImage::sansDessinLaDerniereImageReste()
{
    TempDir dossier;
    const std::vector<point3> nuage{{-70, 30, 0}, {40, -75, 0}};
    QVERIFY(ecrirePTS(dossier.file("nuage.pts"), nuage));
    GLWidget v(QString::fromStdString(dossier.file("nuage.pts")), QString());
    montrer(v);
    const QImage avant = voir(v, "derniere_avant");
    QVERIFY(compter(avant, avant.rect(), Teinte::Bleu) > 0);

    v.setAffichGraf(false);
    v.setAffichePT(false);
    v.setYRotation(45 * 16);
    const QImage pendant = voir(v, "derniere_pendant");
    QVERIFY(pendant == avant);

    v.setAffichGraf(true);
    const QImage apres = voir(v, "derniere_apres");
    QCOMPARE(compter(apres, apres.rect(), Teinte::Bleu), 0);
}

void VueImage::coucheDuNuageMemeImage()
{
    TempDir dossier;
    std::vector<point3> nuage;
    for (int i = 0; i < 3000; ++i)
        nuage.emplace_back(90 * std::sin(i * 0.37), 90 * std::cos(i * 0.11), 90 * std::sin(i * 0.05));
    QVERIFY(ecrirePTS(dossier.file("nuage.pts"), nuage));
    QVERIFY(ecrireCubeSMM(dossier.file("cube.smm"), 150));
    GLWidget v(QString::fromStdString(dossier.file("nuage.pts")),
               QString::fromStdString(dossier.file("cube.smm")));
    montrer(v);
    v.setModeDisplayMaille(2); // cells in the current colour: the colour the cloud leaves behind

    // Each picture through the kept layer must be the picture drawn from scratch.
    auto comparer = [&](const char *nom) {
        v.seuilCoucheNuage = static_cast<std::size_t>(-1);
        const QImage direct = v.grabFramebuffer();
        v.seuilCoucheNuage = 0;
        const QImage premiere = v.grabFramebuffer();
        const QImage reprise = v.grabFramebuffer();
        sauverArtefact(reprise, QString("vue_couche_") + nom);
        // A failed copy would have turned the layer off for good.
        return direct == premiere && direct == reprise && v.seuilCoucheNuage == 0;
    };
    QVERIFY(comparer("depart"));
    QVERIFY(compter(v.grabFramebuffer(), QRect(0, 0, cote, cote), Teinte::Bleu) > 500);

    // The mesh moves, the layer stays right.
    v.seuilCoucheNuage = 0;
    v.grabFramebuffer();
    QTest::keyClick(&v, Qt::Key_W);
    const QImage avecCouche = v.grabFramebuffer();
    v.seuilCoucheNuage = static_cast<std::size_t>(-1);
    QVERIFY(avecCouche == v.grabFramebuffer());

    // The cloud changed behind the view's back, the camera turned, the size changed.
    v.seuilCoucheNuage = 0;
    v.grabFramebuffer();
    v.instanceMaillage->ListePointsInterets[7].x += 30;
    const QImage change = v.grabFramebuffer();
    v.seuilCoucheNuage = static_cast<std::size_t>(-1);
    QVERIFY(change == v.grabFramebuffer());
    v.setYRotation(300);
    QVERIFY(comparer("tournee"));
    v.Zoom(-20);
    QVERIFY(comparer("zoom"));
    v.resize(160, 120);
    QVERIFY(comparer("taille"));
}

TARNIS_VUE_TEST_MAIN(VueImage)
#include "test_vue_image.moc"
