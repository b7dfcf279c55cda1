// The automatic run of the main window: cycles of deformation and refinement
// of the active document's simplex mesh, reported in a LoadingDialog.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "glwidget.h"
#include "loadingdialog.h"
#include "raisons.h"
#include "settingwindow.h"

#include "SimplexAutomatique.h"

#include <QCoreApplication>
#include <QIcon>
#include <QPointer>
#include <QTimer>

#include <utility>

namespace {

const char *const iconeStop = ":/Icons/Menu_Fichier/rsc/stop.png";
const char *const iconeLecture = ":/Icons/Menu_Fichier/rsc/play.png";

void traiterEvenements()
{
    QCoreApplication::processEvents();
}

/// Whether the automatic mode's phase is one of its refinements.
bool estUnRaffinage(const Raison &etape)
{
    switch (etape.code) {
    case CodeRaison::PhaseT26Global:
    case CodeRaison::RaffinageT26Angles:
    case CodeRaison::RaffinageT22Surfaces:
    case CodeRaison::PhaseT22PointsParMaille:
        return true;
    default:
        return false;
    }
}

/// The dialog's side of an automatic run: a list line per new phase, the bar over the rounds'
/// units, and the count line.
class SuiviAutomatique
{
public:
    SuiviAutomatique(LoadingDialog &dialogue, GLWidget &document, const ReglagesAutomatiques &reglages)
        : L(dialogue), vue(document), r(reglages), total(unitesAutomatiques(reglages))
    {
        // The bar counts the rounds' units; the final series has a count line of its own.
        L.setMaximum(total - r.pasDeformation);
    }

    /// etape as the engine names it; the dialog shows it in the interface's language.
    void rapporter(double fraction, const Raison &etape)
    {
        const bool finale = etape.code == CodeRaison::DeformationFinale;
        const QString ligne = traduireRaison(etape);
        if (ligne != phase) {
            phase = ligne;
            if (etape.code == CodeRaison::DeformationDuMaillage)
                ++cycle;
            if (!finale)
                L.ajouterLigne(ligne);
        }
        if (finale) {
            L.setCompteurs(MainWindow::tr("Déformation finale %1 / %2 · %3 points simplex")
                               .arg(++pasFinaux)
                               .arg(r.pasDeformation)
                               .arg(vue.getNbPtSimplex()));
            return;
        }
        L.setCompteurs(MainWindow::tr("Cycle %1 / %2 · %3 · %4 points simplex")
                           .arg(cycle)
                           .arg(r.tours)
                           .arg(ligne)
                           .arg(vue.getNbPtSimplex()));
        const int fait = static_cast<int>(fraction * total + 0.5);
        if (fait > montre) {
            L.avancer(fait - montre);
            montre = fait;
        }
    }

private:
    LoadingDialog &L;
    GLWidget &vue;
    const ReglagesAutomatiques &r;
    const int total;
    QString phase;
    int montre = 0;
    int cycle = 0;
    int pasFinaux = 0;
};

} // namespace

ReglagesAutomatiques MainWindow::reglagesAutomatiques(const GLWidget &vue) const
{
    ReglagesAutomatiques r;
    r.tours = settingWindow->getIterationAutomatisme();
    r.pasDeformation = settingWindow->getIterationDeformation();
    r.t26Global = settingWindow->getIterationT26Global();
    r.t26Angles = settingWindow->getIterationT26Angles();
    r.t22Surfaces = settingWindow->getIterationT22Surfaces();
    r.t22PointsParMaille = settingWindow->getIterationT22PointParMaille();
    r.alpha = vue.deformSetting.alpha;
    r.beta = vue.deformSetting.beta;
    r.gamma = vue.deformSetting.gamma;
    r.rigid = vue.deformSetting.rigid;
    r.cone = settingWindow->isConeDeVision();
    return r;
}

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
            L->terminer(tr("Operations interrompues"), true);
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
            L->terminer(tr("Aucun document actif"), true);
        qWarning("end");
        return;
    }

    // "Arrêter" unchecks the action; the engine hears it at its next step or pass.
    L->setArretPossible(true);
    const QMetaObject::Connection arret =
        connect(L, &LoadingDialog::arretDemande, this, [action]() { action->setChecked(false); });
    auto arrete = [&]() { return !vue || !L || L->isArretDemande() || !action->isChecked(); };

    const ReglagesAutomatiques r = reglagesAutomatiques(*vue);
    SuiviAutomatique suivi(*L, *vue, r);
    const Progression progression = [&](double fraction, const Raison &etape) {
        if (arrete())
            return false;
        suivi.rapporter(fraction, etape);
        if (estUnRaffinage(etape))
            loadInformation(vue.data());
        // Events are processed after every step so that "Arrêter" and the counts are live.
        traiterEvenements();
        return !arrete();
    };

    vue->setAffichGraf(!settingWindow->isAffichageCoupe());
    vue->setOperationEnabled(true);
    ui->actionDeformer_le_maillage->setChecked(false);
    vue->setBoucleDeform(false, settingWindow->isConeDeVision());
    traiterEvenements();

    // The whole run is one step of the document's history.
    vue->commencerEtape();
    majHistorique();
    const Resultat resultat = arrete() ? Resultat::interrompu(Raison(CodeRaison::ModeAutomatique))
                                       : vue->operationMoteur([&](Simplex &s, kd_tree *kd, int &retention) {
                                             return deformationAutomatique(s, kd, r, retention, progression);
                                         });
    if (vue)
        vue->terminerEtape(ui->actionDeformation_automatis->text());
    majHistorique();
    const bool interrompu = resultat.statut == Statut::Interrompu;
    disconnect(arret);
    if (vue) {
        loadInformation(vue.data());
        vue->setAffichGraf(true);
    }

    action->setIcon(QIcon(QString::fromLatin1(iconeLecture)));
    action->setChecked(false);

    if (L)
        L->terminer(interrompu ? tr("Operations interrompues")
                    : resultat ? tr("Operations terminées")
                               : tr("Operations interrompues : %1").arg(traduireRaison(resultat.raison)),
                    !resultat || interrompu);
    if (vue)
        vue->setOperationEnabled(true);
    traiterEvenements();
    qWarning("endif");
    qWarning("end");
}

void MainWindow::on_actionAjustement_precis_triggered()
{
    QPointer<GLWidget> vue = getActiveSubWin();
    if (!vue || ajustementLance)
        return;
    QPointer<LoadingDialog> L = new LoadingDialog();
    L->setParent(this, L->windowFlags() | Qt::Window);
    L->setAttribute(Qt::WA_DeleteOnClose);
    L->setModeListe();
    L->setTitre(ui->actionAjustement_precis->text());
    L->setBarreVisible(true);
    L->setMaximum(1000);
    L->setArretPossible(true);
    L->show();
    ui->actionDeformer_le_maillage->setChecked(false);
    vue->setBoucleDeform(false, false);

    // The fit runs off this thread; its phases come here as list lines, its share done on the
    // bar, about every 50 ms. A window closed or the application quit meanwhile stops it.
    QString phase;
    int montre = 0;
    bool arretFenetre = false;
    const QMetaObject::Connection arret =
        connect(this, &MainWindow::arretAjustementDemande, this, [&arretFenetre]() { arretFenetre = true; });
    bool premier = true;
    const Progression progression = [&](double fraction, const Raison &etape) {
        if (premier) {
            // The document is busy from now: the menus say so.
            premier = false;
            checkMenu();
        }
        if (!vue || !L || L->isArretDemande() || arretFenetre)
            return false;
        const QString ligne = traduireRaison(etape);
        if (ligne != phase) {
            phase = ligne;
            L->ajouterLigne(ligne);
        }
        const int fait = static_cast<int>(fraction * 1000 + 0.5);
        if (fait > montre) {
            L->avancer(fait - montre);
            montre = fait;
        }
        L->setCompteurs(tr("%1 points simplex").arg(vue->getNbPtSimplex()));
        majHistorique();
        return vue && L && !L->isArretDemande();
    };
    traiterEvenements();
    ajustementLance = true;
    const bool reussi = vue && vue->ajustementPrecis(progression);
    ajustementLance = false;
    disconnect(arret);
    majHistorique();
    checkMenu();
    // The closes asked while it ran, now that the document is free.
    const QList<QPointer<QMdiSubWindow>> fermer = std::exchange(fermeturesEnAttente, {});
    const bool quitter = std::exchange(quitterEnAttente, false);
    if (!fermer.isEmpty() || quitter)
        QTimer::singleShot(0, this, [this, fermer, quitter]() {
            if (quitter)
                close();
            else
                for (const QPointer<QMdiSubWindow> &f : fermer)
                    if (f)
                        f->close();
        });
    if (vue) {
        loadInformation(vue.data());
        vue->update();
    }
    if (!L)
        return;
    if (reussi) {
        const GLWidget::FiguresVue &f = vue->figuresAjustement;
        L->terminer(tr("Ajustement terminé : moyenne %1 %, p95 %2 %, max %3 % de la diagonale")
                        .arg(f.moyenne, 0, 'f', 2)
                        .arg(f.centile95, 0, 'f', 2)
                        .arg(f.maximum, 0, 'f', 2));
    } else {
        // A stop asked here is said as such; another reason is given whole.
        const QString raison = vue && !L->isArretDemande() && !arretFenetre ? vue->derniereErreur() : QString();
        L->terminer(raison.isEmpty() ? tr("Ajustement interrompu") : tr("Ajustement interrompu : %1").arg(raison), true);
    }
}
