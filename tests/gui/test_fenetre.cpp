// The main window: the boxes that tell the user which file failed and why, and the automatic run,
// whose list, bar and mesh are checked against the same operations replayed by hand on a second
// view of the same files.
#include "glwidget.h"
#include "loadingdialog.h"
#include "mainwindow.h"
#include "settingwindow.h"
#include "SimplexGL.h"

#include "outils_qt.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using tarnis_test::positions;
using tarnis_test::Repondeur;

namespace {

QAction *action(MainWindow &w, const char *nom)
{
    QAction *a = w.findChild<QAction *>(nom);
    if (a == nullptr)
        qFatal("no action %s", nom);
    return a;
}

bool activer(MainWindow &w)
{
    w.show();
    w.raise();
    w.activateWindow();
    return QTest::qWaitForWindowActive(&w);
}

/// Triggers the action once the enabling rules (which follow the active window) have enabled it.
bool declencher(MainWindow &w, const char *nom)
{
    QAction *a = action(w, nom);
    const bool pret = QTest::qWaitFor(
        [&]() {
            if (!w.isActiveWindow())
                w.activateWindow();
            w.checkMenu();
            return a->isEnabled();
        },
        10000);
    if (pret)
        a->trigger();
    return pret;
}

struct Reglage
{
    int cycles = 0; ///< 0: the cycles radio button is unchecked
    int D = 0, t26g = 0, t26a = 0, t22s = 0, t22p = 0;
};

void appliquer(SettingWindow *s, const Reglage &r)
{
    s->radioButton_2->setAutoExclusive(false);
    s->radioButton_2->setChecked(r.cycles > 0);
    if (r.cycles > 0)
        s->iterationAutomatismeSpinBox->setValue(r.cycles);
    s->iterationDeDeformationSpinBox->setValue(r.D);
    s->iterationDuRafinageT26GlobalSpinBox->setValue(r.t26g);
    s->iterationDuRaffinageT26AnglesSpinBox->setValue(r.t26a);
    s->iterationDuRafinageT22SurfacesSpinBox->setValue(r.t22s);
    s->iterationDuRaffinageT22PointParMailleSpinBox->setValue(r.t22p);
    s->checkBoxAffichGraf->setChecked(false);
    s->checkBoxConeDeVision->setChecked(false);
}

/// The operations a run should make, in order, replayed on a view (stopped after pasMaximum
/// deformation steps when given).
void rejouer(GLWidget &vue, const Reglage &r, int pasMaximum = -1)
{
    int pas = 0;
    bool phaseT26 = true;
    for (int c = 0; c < r.cycles; ++c) {
        for (int i = 0; i < r.D; ++i) {
            if (pas++ == pasMaximum)
                return;
            vue.deformationMaillage(1);
        }
        if (phaseT26 && (r.t26g > 0 || r.t26a > 0)) {
            if (r.t26g > 0)
                vue.RaffinageT26(r.t26g, 0);
            if (r.t26a > 0)
                vue.RaffinageT26(r.t26a, 1);
            phaseT26 = false;
        } else {
            if (r.t22s > 0)
                vue.RaffinageT22Auto(r.t22s, 0);
            if (r.t22p > 0)
                vue.RaffinageT22Auto(r.t22p, 1);
            phaseT26 = true;
        }
    }
    if (pasMaximum < 0)
        vue.deformationMaillage(r.D);
}

QStringList lignes(const LoadingDialog *d)
{
    QStringList l;
    for (int i = 0; i < d->ui.listWidget->count(); ++i)
        l << d->ui.listWidget->item(i)->text();
    return l;
}

} // namespace

class TestFenetre : public QObject
{
    Q_OBJECT

    QTemporaryDir dossier;
    QString pts, ellipsoide;

    /// Runs the automatic mode on a window opened on the ellipsoid and waits for its end.
    LoadingDialog *executer(MainWindow &w, const Reglage &r, const std::function<void(LoadingDialog *)> &pendant = {})
    {
        appliquer(w.getSettingWindow(), r);
        if (!declencher(w, "actionDeformation_automatis"))
            return nullptr;
        LoadingDialog *d = w.getLoadingDialog();
        if (d && pendant)
            pendant(d);
        if (!d || !QTest::qWaitFor([d]() { return !d->ui.ButtonClose->isHidden(); }, 120000))
            return nullptr;
        return d;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dossier.isValid());
        QVERIFY2(QFile::exists("SMM_/icosa.smm"), "the tests run from the runnable tree");
        pts = dossier.filePath("nuage.pts");
        ellipsoide = dossier.filePath("ellipsoide.pts");
        QVERIFY(tarnis_test::ecrireFichierPTS(pts.toStdString(), tarnis_test::nuageEllipsoide(2000, 10, 10, 10)));
        QVERIFY(tarnis_test::ecrireFichierPTS(ellipsoide.toStdString(), tarnis_test::nuageEllipsoide(800, 40, 30, 25)));
    }

    // A file that cannot be read opens no window, cloud or mesh; the box names the file. A cloud
    // cut short opens with the points read, and its box says so.
    void chargementEchoue()
    {
        const QString mauvais = dossier.filePath("mauvais.pts"), maillage = dossier.filePath("mauvais.smm"),
                      court = dossier.filePath("court.pts");
        QVERIFY(tarnis_test::writeFile(mauvais.toStdString(), "XYZ\n3\n1 2 3\n") &&
                tarnis_test::writeFile(maillage.toStdString(), "SMM\n4 0\n0 0 0 1 2 9\n") &&
                tarnis_test::writeFile(court.toStdString(), "PTS\n5\n0 0 0\n1 1 1\n"));
        Repondeur r;
        for (int i = 0; i < 4; ++i)
            r.bouton();
        MainWindow w(nullptr, mauvais);
        w.creerNewSubWindow(mauvais);
        w.creerNewSubWindow(QString(), maillage);
        QCOMPARE(r.boites.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(r.boites[i].titre, QString("Chargement"));
            QCOMPARE(r.boites[i].icone, QMessageBox::Warning);
            QVERIFY2(r.boites[i].texte.contains(i < 2 ? mauvais : maillage), qPrintable(r.boites[i].texte));
        }
        QVERIFY(w.getActiveSubWin() == nullptr && w.findChild<QListWidget *>("listWidget")->count() == 0);
        w.creerNewSubWindow(court);
        QCOMPARE(r.boites.size(), 4);
        QVERIFY(r.boites[3].texte.endsWith("les 2 points lus sont ouverts"));
        QVERIFY(w.getActiveSubWin() != nullptr && w.getActiveSubWin()->getNbPts() == 2);
        QCOMPARE(r.imprevus, 0);
    }

    // T26 by angles, T22 point by cell, back to T26 on the third cycle; each phase runs only its
    // non-zero kinds.
    void automatique()
    {
        const Reglage reglage{3, 1, 0, 1, 0, 1};
        const QString x1 = QStringLiteral("Deformation du maillage (x1)"),
                      ang = QStringLiteral("Raffinage T26 par angles");
        const QStringList attendu{x1, ang, x1, QStringLiteral("Raffinage T22 Point par maille"), x1, ang};
        GLWidget temoin(ellipsoide, QString());
        rejouer(temoin, reglage);
        MainWindow w(nullptr, ellipsoide);
        QVERIFY(activer(w));
        LoadingDialog *d = executer(w, reglage);
        QVERIFY(d != nullptr);
        QCOMPARE(lignes(d), attendu);
        QCOMPARE(d->ui.progressBar->value(), d->ui.progressBar->maximum()); // the final series included
        QVERIFY(d->ui.labelTerminated->text().contains(QStringLiteral(">Operations terminées</span>")));
        // The mesh went through exactly the operations replayed on the witness.
        QVERIFY(positions(w.getActiveSubWin()->instanceSimplex->ListePointsSimplex) == positions(temoin.instanceSimplex->ListePointsSimplex));
        QCOMPARE(w.findChild<QLabel *>(QStringLiteral("label_NbPtSimplex"))->text(),
                 QString::number(temoin.getNbPtSimplex()));
        QVERIFY(w.getActiveSubWin()->affichGraf);
        QVERIFY(!action(w, "actionDeformation_automatis")->isChecked());
    }

    // "Arrêter" at the third step: no further step, no refinement, no final series.
    void arretALEtapeSuivante()
    {
        const Reglage r{5, 200, 0, 0, 1, 0};
        GLWidget temoin(ellipsoide, QString());
        rejouer(temoin, r, 3);
        MainWindow w(nullptr, ellipsoide);
        QVERIFY(activer(w));
        LoadingDialog *d = executer(w, r, [&](LoadingDialog *dialogue) {
            connect(dialogue->ui.progressBar, &QProgressBar::valueChanged, this, [dialogue](int valeur) {
                if (valeur == 3)
                    QTest::mouseClick(dialogue->ui.ButtonStop, Qt::LeftButton);
            });
        });
        QVERIFY(d != nullptr);
        QCOMPARE(d->ui.progressBar->value(), 3);
        QVERIFY(d->ui.labelTerminated->text().contains(QStringLiteral("#ff8c00; font-size:15px;\">Operations interrompues</span>")));
        QVERIFY(positions(w.getActiveSubWin()->instanceSimplex->ListePointsSimplex) == positions(temoin.instanceSimplex->ListePointsSimplex));
        QVERIFY(w.getActiveSubWin()->operationEnabled);
    }
};

TARNIS_QTEST_MAIN(TestFenetre)
#include "test_fenetre.moc"
