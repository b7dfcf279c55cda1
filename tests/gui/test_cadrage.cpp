// The view on objects of any size and place: framing, the wheel, the idle timer and the reduced
// cloud while the camera moves, judged on the pictures the view draws.
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

} // namespace

class TestCadrage : public QObject
{
    Q_OBJECT

    TempDir dossier;

    std::unique_ptr<GLWidget> vue(const std::vector<point3> &nuage)
    {
        const std::string f = dossier.file("nuage.pts");
        ecrireFichierPTS(f, nuage);
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

            // The wheel: 1.2 per notch about the centre, never through zero (a negative half-width
            // would mirror the picture).
            for (const int crans : {3, -3, 40, -80}) {
                const double attendu = v->zoom / std::pow(1.2, crans);
                QWheelEvent e(QPointF(150, 150), QPointF(), QPoint(), QPoint(0, 120 * crans), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(v.get(), &e);
                QVERIFY(v->zoom > 0 && std::abs(v->zoom - attendu) <= 1e-4 * attendu);
            }
        }
    }

    void placementCadre()
    {
        // Zoomed into the cloud, the template far away: out of the view. Placed: the view frames
        // the mesh, which then spans most of the view, whole (white wire frame).
        auto v = vue(boite(point3(9000, -300, 40), point3(20, 12, 8), 3000));
        QVERIFY(v);
        v->zoomMolette(8);
        QVERIFY(v->cadrageNecessaire());
        QVERIFY(v->placerAutourDuNuage());
        QVERIFY(!v->cadrageNecessaire());
        const QImage image = v->grabFramebuffer();
        QRect blanc;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) > 150)
                    blanc |= QRect(x, y, 1, 1);
        QVERIFY2(blanc.width() > 0.6 * 300 && blanc.left() > 0 && blanc.right() < 299,
                 qPrintable(QString::number(blanc.width())));
    }

    void peinturesEtNuageReduit()
    {
        const std::vector<point3> nuage = nuageEllipsoide(40000, 3, 2, 1);
        auto v = vue(nuage), entiere = vue(nuage);
        QVERIFY(v && entiere);
        // Idle: once drawn, the timer draws nothing more until something changes.
        QTest::qWait(300);
        const int avant = v->peintures;
        QTest::qWait(500);
        QCOMPARE(v->peintures, avant);
        v->setYRotation(v->yRot + 80);
        QTRY_VERIFY(v->peintures > avant);

        // Turning: a subset; still again: the very picture of a view that never reduces.
        entiere->seuilNuageReduit = std::size_t(-1);
        v->seuilNuageReduit = v->budgetNuageReduit = 1000;
        QImage images[2][2]; // [view][still, turned]
        for (GLWidget *w : {v.get(), entiere.get()}) {
            const int i = w == entiere.get();
            w->setModeDisplayMaille(0);
            w->setYRotation(80);
            w->grabFramebuffer();
            images[i][0] = w->grabFramebuffer();
            w->setYRotation(880);
            images[i][1] = w->grabFramebuffer();
            QCOMPARE(w->imageReduite(), i == 0);
            w->setYRotation(80);
            w->grabFramebuffer();
            QCOMPARE(w->grabFramebuffer(), images[i][0]);
        }
        QCOMPARE(images[0][0], images[1][0]);
        int nReduite = 0, nEntiere = 0;
        rectangleBleu(images[0][1], &nReduite);
        rectangleBleu(images[1][1], &nEntiere);
        QVERIFY(nReduite < nEntiere * 3 / 4);
    }

    // A still cloud drawn a few parts a picture fills in to the very picture drawn whole, and a
    // move starts it again.
    void nuageParPartsCommeEntier()
    {
        const std::vector<point3> nuage = nuageEllipsoide(40000, 3, 2, 1);
        auto parParts = vue(nuage), entier = vue(nuage);
        QVERIFY(parParts && entier);
        QImage images[2];
        for (GLWidget *w : {parParts.get(), entier.get()}) {
            w->setOmbrage(false); // one colour: the picture does not depend on the order of the points
            w->setModeDisplayMaille(0);
            w->seuilNuageReduit = std::size_t(-1);
            if (w == parParts.get()) {
                w->seuilCoucheNuage = 0;
                w->seuilNuageParParts = 1000;
                w->pointsParPart = 97; // 412 parts, which do not divide the cloud evenly
                w->msParImage = 0;      // one part a picture
            }
            const QImage premiere = w->grabFramebuffer();
            QImage &derniere = images[w == entier.get()];
            derniere = premiere;
            int pictures = 0;
            while (w->nuageEnCours() && ++pictures < 1000)
                derniere = w->grabFramebuffer();
            QVERIFY(!w->nuageEnCours());
            QCOMPARE(pictures, w == parParts.get() ? 411 : 0);
            int bleusPremiere = 0, bleus = 0;
            rectangleBleu(premiere, &bleusPremiere);
            rectangleBleu(derniere, &bleus);
            QVERIFY(w == entier.get() ? bleusPremiere == bleus : bleusPremiere < bleus / 4);
        }
        QCOMPARE(images[0], images[1]);
        parParts->setYRotation(300);
        parParts->grabFramebuffer();
        parParts->setYRotation(0);
        while (parParts->nuageEnCours())
            parParts->grabFramebuffer();
        QCOMPARE(parParts->grabFramebuffer(), images[1]);
    }
};

TARNIS_QTEST_MAIN(TestCadrage)
#include "test_cadrage.moc"
