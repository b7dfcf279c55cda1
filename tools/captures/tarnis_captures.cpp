// Takes the README screenshots: the main window with a cloud and a fitted
// mesh in each display mode, the preferences and a slice. Run from the build
// folder (it reads ./SMM_/icosa.smm) under a display, by scripts/screenshots.sh.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include <cstdio>

#include "glwidget.h"
#include "mainwindow.h"
#include "settingwindow.h"

namespace {

QString dossierSortie;

bool capturer(QWidget *fenetre, const QString &nom)
{
    // Let the view repaint a few times (its timer runs every 25 ms).
    QTest::qWait(400);
    QPixmap image = fenetre->screen()->grabWindow(fenetre->winId());
    if (image.isNull())
        image = fenetre->grab();
    if (image.width() > 900)
        image = image.scaledToWidth(900, Qt::SmoothTransformation);
    const QString chemin = dossierSortie + "/" + nom;
    if (!image.save(chemin, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(chemin));
        return false;
    }
    std::printf("%s\n", qPrintable(chemin));
    return true;
}

QAction *action(MainWindow &w, const char *nom)
{
    return w.findChild<QAction *>(nom);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: tarnis_captures <output folder> <cloud.pts> [scan.pts]\n");
        return 2;
    }
    dossierSortie = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dossierSortie);

    MainWindow w(nullptr, QString::fromLocal8Bit(argv[2]));
    w.resize(1100, 760);
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w))
        std::fprintf(stderr, "the main window did not become active\n");
    GLWidget *vue = w.getActiveSubWin();
    if (vue == nullptr || vue->getNbPts() == 0) {
        std::fprintf(stderr, "the cloud could not be opened\n");
        return 1;
    }

    // Fit the template onto the cloud: centre, enlarge, deform, refine, deform.
    vue->CenterToZero();
    for (int i = 0; i < 5; ++i)
        vue->dilatation(1.3);
    vue->deformationMaillage(60);
    vue->RaffinageT26(1, 0);
    vue->deformationMaillage(60);
    vue->RaffinageT22Auto(1, 0);
    vue->deformationMaillage(60);
    vue->setXRotation(16 * 25);
    vue->setYRotation(16 * 35);
    w.loadInformation(vue);
    QTest::qWait(200);
    w.checkMenu();

    bool ok = true;
    action(w, "actionFillaire")->trigger();
    ok = capturer(&w, "mode_filaire.png") && ok;
    action(w, "actionPoint")->trigger();
    ok = capturer(&w, "mode_points.png") && ok;
    vue->Triangularisation();
    action(w, "actionTriangle")->setEnabled(true);
    action(w, "actionTriangle")->trigger();
    ok = capturer(&w, "mode_triangles.png") && ok;
    action(w, "actionFillaire")->trigger();

    // A slice across x, 12 units thick about x = 0.
    auto *groupe = w.findChild<QGroupBox *>("groupBoxAfficheCoupe");
    groupe->setChecked(true);
    w.findChild<QRadioButton *>("radioButtonCoupeX")->setChecked(true);
    w.findChild<QSlider *>("SliderTrancheCoupe")->setValue(6);
    w.findChild<QSpinBox *>("spinBox")->setValue(0);
    w.setCurentSplite();
    vue->calculCoupes();
    vue->setYRotation(16 * 90);
    vue->setXRotation(0);
    ok = capturer(&w, "coupe.png") && ok;

    SettingWindow *preferences = w.getSettingWindow();
    preferences->show();
    preferences->raise();
    ok = capturer(preferences, "preferences.png") && ok;
    preferences->hide();

    // A real scan, of whatever size and place: framed when opened, the template placed around it,
    // then the precise fit, shown as shaded triangles.
    if (argc > 3) {
        action(w, "actionFillaire")->trigger();
        groupe->setChecked(false);
        w.setCurentSplite();
        w.creerNewSubWindow(QString::fromLocal8Bit(argv[3]));
        GLWidget *scan = w.getActiveSubWin();
        w.loadInformation(scan);
        w.checkMenu();
        action(w, "actionPlacer_autour_du_nuage")->trigger();
        scan->cadrer();
        ok = capturer(&w, "scan_place.png") && ok;
        action(w, "actionAjustement_precis")->trigger();
        for (QWidget *fenetre : QApplication::topLevelWidgets())
            if (fenetre->inherits("LoadingDialog"))
                fenetre->close();
        scan->Triangularisation();
        action(w, "actionTriangle")->setEnabled(true);
        action(w, "actionTriangle")->trigger();
        scan->setXRotation(0);
        scan->setYRotation(0);
        scan->cadrer();
        ok = capturer(&w, "scan_ajuste.png") && ok;
    }

    return ok ? 0 : 1;
}
