// The automatic run of the main window: cycles of deformation and refinement
// of the active document's simplex mesh, reported in a LoadingDialog.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "glwidget.h"
#include "loadingdialog.h"
#include "settingwindow.h"

#include <QCoreApplication>
#include <QIcon>
#include <QPointer>
#include <QTimer>

namespace {

const char *const iconeStop = ":/Icons/Menu_Fichier/rsc/stop.png";
const char *const iconeLecture = ":/Icons/Menu_Fichier/rsc/play.png";

void traiterEvenements()
{
    QCoreApplication::processEvents();
}

} // namespace

void MainWindow::on_actionDeformation_automatis_triggered()
{
    loadingDialog = new LoadingDialog();
    // A window of its own, released with the main window.
    loadingDialog->setParent(this, loadingDialog->windowFlags() | Qt::Window);
    loadingDialog->setModeListe();
    loadingDialog->setTitre(tr("Automatisation"));
    loadingDialog->setBarreVisible(true);
    loadingDialog->show();

    ui->actionDeformation_automatis->setIcon(QIcon(QString::fromLatin1(iconeStop)));

    QTimer::singleShot(100, this, &MainWindow::Deformation_auto);
    traiterEvenements();
}

void MainWindow::Deformation_auto()
{
    QPointer<GLWidget> vue = getActiveSubWin();
    QPointer<LoadingDialog> L = loadingDialog;
    QAction *action = ui->actionDeformation_automatis;

    if (!action->isChecked()) {
        // A stop request: the flag pulse ends a step loop that is still running.
        action->setIcon(QIcon(QString::fromLatin1(iconeLecture)));
        if (vue) {
            vue->setAffichGraf(true);
            vue->setOperationEnabled(false);
            vue->setOperationEnabled(true);
        }
        // The dialog opened by this trigger would otherwise stay modal for good.
        if (L)
            L->terminer(tr("Operations interrompues"));
        traiterEvenements();
        qWarning("else");
        qWarning("end");
        return;
    }

    if (!vue || !L) {
        // No document to work on: nothing starts.
        action->setIcon(QIcon(QString::fromLatin1(iconeLecture)));
        action->setChecked(false);
        if (L)
            L->terminer(tr("Aucun document actif"));
        qWarning("end");
        return;
    }

    // "Arrêter" clears the view's flag, so that a step loop still running ends
    // at its next step, and unchecks the action, which ends the cycles below.
    L->setArretPossible(true);
    const QMetaObject::Connection arret =
        connect(L, &LoadingDialog::arretDemande, this, [vue, action]() {
            if (vue)
                vue->setOperationEnabled(false);
            action->setChecked(false);
        });
    auto arrete = [&]() { return !vue || !L || L->isArretDemande() || !action->isChecked(); };

    int cycle = 0;
    auto montrer = [&](const QString &phase) {
        if (vue && L)
            L->setCompteurs(tr("Cycle %1 / %2 · %3 · %4 points simplex")
                                .arg(cycle + 1)
                                .arg(settingWindow->getIterationAutomatisme())
                                .arg(phase)
                                .arg(vue->getNbPtSimplex()));
    };
    // One refinement series of the cycle: its line, then the passes in one call.
    auto raffiner = [&](const QString &ligne, int passes, bool t26, int critere) {
        if (passes <= 0 || arrete())
            return;
        L->ajouterLigne(ligne);
        montrer(ligne);
        traiterEvenements();
        if (arrete())
            return;
        if (t26)
            vue->RaffinageT26(passes, critere);
        else
            vue->RaffinageT22Auto(passes, critere);
        L->avancer(passes);
        loadInformation(vue.data());
        montrer(ligne);
    };

    vue->setAffichGraf(!settingWindow->isAffichageCoupe());
    vue->setOperationEnabled(true);

    L->setMaximum((settingWindow->getIterationT26Global() + settingWindow->getIterationDeformation()
                   + settingWindow->getIterationT26Angles() + settingWindow->getIterationT22Surfaces()
                   + settingWindow->getIterationT22PointParMaille())
                  * settingWindow->getIterationAutomatisme());

    bool phaseT26 = true;
    for (cycle = 0; cycle < settingWindow->getIterationAutomatisme() && !arrete(); ++cycle) {
        L->ajouterLigne(QStringLiteral("Deformation du maillage (x")
                        + QString::number(settingWindow->getIterationDeformation()) + QStringLiteral(")"));
        ui->actionDeformer_le_maillage->setChecked(false);
        vue->setBoucleDeform(false, settingWindow->isConeDeVision());
        montrer(tr("déformation 0 / %1").arg(settingWindow->getIterationDeformation()));
        traiterEvenements();

        // Events are processed after every step so that "Arrêter" and the
        // counts are live during long series.
        for (int i = 0; !arrete() && i < settingWindow->getIterationDeformation(); ++i) {
            vue->deformationMaillage(1);
            L->avancer(1);
            montrer(tr("déformation %1 / %2").arg(i + 1).arg(settingWindow->getIterationDeformation()));
            traiterEvenements();
        }
        if (arrete())
            break;

        const int t26g = settingWindow->getIterationT26Global();
        const int t26a = settingWindow->getIterationT26Angles();
        if (phaseT26 && (t26g > 0 || t26a > 0)) {
            raffiner(QStringLiteral("Raffinage T26 Global"), t26g, true, 0);
            raffiner(QStringLiteral("Raffinage T26 par angles"), settingWindow->getIterationT26Angles(), true, 1);
            phaseT26 = false;
        } else {
            raffiner(QStringLiteral("Raffinage T22 par surfaces"), settingWindow->getIterationT22Surfaces(), false, 0);
            raffiner(QStringLiteral("Raffinage T22 Point par maille"),
                     settingWindow->getIterationT22PointParMaille(), false, 1);
            phaseT26 = true;
        }
    }

    // The final deformation series, step by step for the same reason.
    bool interrompu = arrete();
    if (!interrompu) {
        const int D = settingWindow->getIterationDeformation();
        if (D <= 0)
            vue->deformationMaillage(D);
        for (int i = 0; i < D && !arrete(); ++i) {
            vue->deformationMaillage(1);
            if (L)
                L->setCompteurs(tr("Déformation finale %1 / %2 · %3 points simplex")
                                    .arg(i + 1)
                                    .arg(D)
                                    .arg(vue->getNbPtSimplex()));
            traiterEvenements();
        }
        interrompu = arrete();
    }
    disconnect(arret);
    if (vue) {
        loadInformation(vue.data());
        vue->setAffichGraf(true);
        vue->setOperationEnabled(false);
    }

    action->setIcon(QIcon(QString::fromLatin1(iconeLecture)));
    action->setChecked(false);

    if (L)
        L->terminer(interrompu ? tr("Operations interrompues") : tr("Operations terminées"));

    if (vue)
        vue->setOperationEnabled(true);
    traiterEvenements();
    qWarning("endif");
    qWarning("end");
}
