// The view on objects of any size and place: framing, the wheel, the depth cue, the idle timer and
// the reduced cloud while the camera moves, all judged on the pictures the view draws.
#include "MaillageGL.h"
#include "SimplexGL.h"
#include "glwidget.h"

#include "outils_qt.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <QTest>
#include <QWheelEvent>

#include <random>

using namespace tarnis_test;

namespace {

/// Points spread over the faces of the box [c - h, c + h].
std::vector<point3> boite(point3 c, point3 h, int n)
{
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<point3> p;
    for (int i = 0; i < n; ++i) {
        double v[3] = {u(gen), u(gen), u(gen)};
        v[i % 3] = (i / 3) % 2 ? 1.0 : -1.0;
        p.emplace_back(c.x + h.x * v[0], c.y + h.y * v[1], c.z + h.z * v[2]);
    }
    return p;
}

/// Bounding rectangle of the bluish pixels (the cloud, darkened or not), and their number.
QRect rectangleBleu(const QImage &image, int *nombre = nullptr)
{
    QRect r;
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() > 40 && c.red() < 30 && c.green() < 30) {
                r |= QRect(x, y, 1, 1);
                ++n;
            }
        }
    if (nombre)
        *nombre = n;
    return r;
}

void molette(GLWidget &v, int crans)
{
    QWheelEvent e(QPointF(150, 150), v.mapToGlobal(QPointF(150, 150)), QPoint(), QPoint(0, 120 * crans), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&v, &e);
}

} // namespace

class TestCadrage : public QObject
{
    Q_OBJECT

    TempDir dossier;

    std::unique_ptr<GLWidget> vue(const std::vector<point3> &nuage)
    {
        const std::string f = dossier.file("nuage.pts");
        if (!ecrireFichierPTS(f, nuage))
            return nullptr;
        auto v = std::make_unique<GLWidget>(QString::fromStdString(f), QString());
        v->resize(300, 300);
        v->show();
        return QTest::qWaitForWindowExposed(v.get()) ? std::move(v) : nullptr;
    }

private slots:
    void cadrageEtMolette()
    {
        // The box is 0.6 as high as wide: framed, its width fills the view, its height 0.6 of it.
        for (const double cote : {0.25, 25000.0}) {
            const point3 c(12 * cote, -8 * cote, 4 * cote);
            auto v = vue(boite(c, point3(cote / 2, 0.3 * cote, 0.2 * cote), 6000));
            QVERIFY(v);
            QRect r = rectangleBleu(v->grabFramebuffer());
            QVERIFY2(r.width() > 0.85 * 300 && r.width() <= 300, qPrintable(QString::number(r.width())));
            QVERIFY(std::abs(r.height() - 0.6 * r.width()) < 0.05 * r.width());
            QVERIFY(std::abs(r.center().x() - 150) < 6 && std::abs(r.center().y() - 150) < 6);

            // Turned, then framed again: the turned box fills the view again.
            v->setYRotation(40 * 16);
            v->setXRotation(30 * 16);
            v->instanceSimplex = std::make_unique<SimplexGL>(); // the template, far away, would be framed too
            v->cadrer();
            r = rectangleBleu(v->grabFramebuffer());
            QVERIFY(std::max(r.width(), r.height()) > 0.85 * 300);

            // The wheel: 1.2 per notch about the centre, never through zero, never mirrored.
            for (const int crans : {3, -3, 40, -80}) {
                const double attendu = v->zoom / std::pow(1.2, crans);
                molette(*v, crans);
                QVERIFY(v->zoom > 0 && std::abs(v->zoom - attendu) <= 1e-4 * attendu);
            }
        }
        // Unmirrored: a cloud on the left of its box's centre stays on the left after zooming.
        std::vector<point3> gauche = boite(point3(-1, 0, 0), point3(1, 1, 1), 3000);
        gauche.emplace_back(3, 0, 0); // the box reaches x = 3, the picture's right side stays empty
        auto v = vue(gauche);
        QVERIFY(v);
        for (const int crans : {2, -6}) {
            molette(*v, crans);
            QVERIFY(rectangleBleu(v->grabFramebuffer()).center().x() < 150);
        }
    }

    void profondeurEtOmbrage()
    {
        // Two clusters side by side, one near the eye (z = +1), one far (z = -1), away from the axes.
        std::vector<point3> nuage = boite(point3(49, 50, 1), point3(0.2, 0.2, 0.01), 500);
        const std::vector<point3> loin = boite(point3(51, 50, -1), point3(0.2, 0.2, 0.01), 500);
        nuage.insert(nuage.end(), loin.begin(), loin.end());
        auto v = vue(nuage);
        QVERIFY(v);
        v->instanceSimplex = std::make_unique<SimplexGL>(); // the cloud alone
        for (const bool ombrage : {true, false}) {
            v->setOmbrage(ombrage);
            const QImage image = v->grabFramebuffer();
            int bleuGauche = 0, bleuDroite = 0;
            for (int y = 0; y < 300; ++y)
                for (int x = 0; x < 300; ++x) {
                    const QColor c = image.pixelColor(x, y);
                    QVERIFY(c.red() == 0 && c.green() == 0); // the hue stays blue
                    (x < 150 ? bleuGauche : bleuDroite) = std::max(x < 150 ? bleuGauche : bleuDroite, c.blue());
                }
            QVERIFY2(ombrage ? bleuGauche > bleuDroite + 60 : bleuGauche == bleuDroite,
                     qPrintable(QStringLiteral("%1 %2").arg(bleuGauche).arg(bleuDroite)));
        }

        // Triangles: shaded, many levels of red and nothing but red; without shading, the wire frame.
        std::vector<point3> s;
        std::vector<Face> f;
        icosaedreSubdivise(3, 1.0, s, f);
        for (point3 &p : s)
            p = point3(p.x + 50, p.y + 50, p.z);
        v->instanceSimplex->maillageTriangule = Maillage(s, f);
        v->setModeDisplayMaille(3);
        v->nomPts.clear();
        v->instanceMaillage->ListePointsInterets.clear();
        v->cadrer();
        for (const bool ombrage : {true, false}) {
            v->setOmbrage(ombrage);
            const QImage image = v->grabFramebuffer();
            QSet<int> rouges;
            for (int y = 0; y < 300; ++y)
                for (int x = 0; x < 300; ++x) {
                    const QColor c = image.pixelColor(x, y);
                    if (c.red() > 0 && c.green() == 0 && c.blue() == 0)
                        rouges.insert(c.red());
                }
            QVERIFY2(ombrage ? rouges.size() > 40 : rouges.size() < 10, qPrintable(QString::number(rouges.size())));
        }
    }

    void peinturesEtNuageReduit()
    {
        std::vector<point3> nuage = nuageEllipsoide(40000, 3, 2, 1);
        auto v = vue(nuage);
        QVERIFY(v);
        v->setModeDisplayMaille(0);
        // Idle: once drawn, the timer draws nothing more until something changes.
        QTest::qWait(300);
        int avant = v->peintures;
        QTest::qWait(500);
        QCOMPARE(v->peintures, avant);
        v->setYRotation(v->yRot + 80);
        QTRY_VERIFY(v->peintures > avant);

        // Turning: an even subset covering the whole cloud; still again: the same picture as a view
        // that never reduces.
        auto entiere = vue(nuage);
        QVERIFY(entiere);
        entiere->setModeDisplayMaille(0);
        entiere->seuilNuageReduit = std::size_t(-1);
        v->seuilNuageReduit = 1000;
        v->budgetNuageReduit = 1000;
        const int y = v->yRot;
        const QImage fixe = v->grabFramebuffer();
        v->setYRotation(y + 800);
        const QImage reduite = v->grabFramebuffer();
        QVERIFY(v->imageReduite());
        v->setYRotation(y);
        QVERIFY(v->grabFramebuffer() != fixe); // reduced again: the camera moved back
        const QImage encore = v->grabFramebuffer();
        QVERIFY(!v->imageReduite());
        QCOMPARE(encore, fixe);
        entiere->setYRotation(y);
        entiere->grabFramebuffer();
        QCOMPARE(entiere->grabFramebuffer(), fixe);
        entiere->setYRotation(y + 800);
        const QImage tournee = entiere->grabFramebuffer();
        QVERIFY(!entiere->imageReduite());
        const QRect a = rectangleBleu(reduite), b = rectangleBleu(tournee);
        QVERIFY2((a.topLeft() - b.topLeft()).manhattanLength() < 8 && (a.bottomRight() - b.bottomRight()).manhattanLength() < 8,
                 "the subset spans the cloud");
        int nReduite = 0, nEntiere = 0;
        rectangleBleu(reduite, &nReduite);
        rectangleBleu(tournee, &nEntiere);
        QVERIFY(nReduite < nEntiere * 3 / 4);
    }
};

TARNIS_QTEST_MAIN(TestCadrage)
#include "test_cadrage.moc"
