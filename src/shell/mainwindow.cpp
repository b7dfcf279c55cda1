#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "automaticexec.h"
#include "fenabout.h"
#include "glwidget.h"
#include "Ouverture.h"
#include "SimplexGL.h"
#include "ressources.h"
#include "settingwindow.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <exception>

namespace {

/// "*.pts *.hdr ..." from the opener's ".pts, .hdr, ..." list.
QString filtreDe(const std::string &liste)
{
    return QStringLiteral("*") + QString::fromStdString(liste).replace(QStringLiteral(", ."), QStringLiteral(" *."));
}

/// Every suffix the opener accepts, as a file dialog's filter.
QString filtreOuvrables()
{
    QStringList l;
    for (const SuffixeOuvert &o : suffixesOuverts())
        l << QStringLiteral("*.") + QString::fromLatin1(o.suffixe);
    return QStringLiteral("(") + l.join(' ') + QStringLiteral(")");
}

/// The local files of a drag that the opener knows by their suffix.
QStringList fichiersDeposes(const QMimeData *donnees)
{
    QStringList fichiers;
    if (donnees == nullptr || !donnees->hasUrls())
        return fichiers;
    for (const QUrl &url : donnees->urls())
        if (url.isLocalFile() &&
            genreFichier(QFile::encodeName(url.toLocalFile()).toStdString()) != GenreFichier::Inconnu)
            fichiers << url.toLocalFile();
    return fichiers;
}

void activerMenu(QMenu *menu, bool actif)
{
    menu->setEnabled(actif);
    menu->menuAction()->setEnabled(actif);
}

QString nomDeBase(const QString &fichier)
{
    return QFileInfo(fichier).baseName();
}

} // namespace

MainWindow::MainWindow(QWidget *parent, const QString &fichier)
    : QMainWindow(parent), ui(new Ui::MainWindow), settingWindow(nullptr), loadingDialog(nullptr),
      automaticExec(nullptr), numeroNouveau(1)
{
    initialiserRessources();
    ui->setupUi(this);
    setAcceptDrops(true);
    settingWindow = new SettingWindow(this);
    settingWindow->setWindowFlags(settingWindow->windowFlags() | Qt::Window | Qt::Tool);
    settingWindow->hide();
    automaticExec = new AutomaticExec(this);
    automaticExec->setWindowFlags(automaticExec->windowFlags() | Qt::Window | Qt::Tool);
    automaticExec->hide();

    connect(ui->mdiArea, &QMdiArea::subWindowActivated, this, &MainWindow::loadCurrentObjectsNames);
    connect(ui->mdiArea, &QMdiArea::subWindowActivated, this, [this]() { loadInformation(); });
    connect(ui->listWidget, &QListWidget::activated, this, &MainWindow::changeCurrentObjectSelected);
    connect(ui->listWidget, &QListWidget::clicked, this, &MainWindow::changeCurrentObjectSelected);
    connect(ui->radioButtonCoupeX, &QRadioButton::clicked, this, &MainWindow::setCurentSplite);
    connect(ui->radioButtonCoupeY, &QRadioButton::clicked, this, &MainWindow::setCurentSplite);
    connect(ui->radioButtonCoupeZ, &QRadioButton::clicked, this, &MainWindow::setCurentSplite);
    connect(ui->groupBoxAfficheCoupe, &QGroupBox::clicked, this, &MainWindow::setCurentSplite);
    connect(settingWindow, &SettingWindow::closing, this, &MainWindow::settingPreferred);
    // The panel's long lines wrap within the width the panel has: they never widen it, so the
    // 3-D view keeps its width when the fit's figures appear.
    for (QLabel *l : {ui->label_Ajustement, ui->label_Repere}) {
        QSizePolicy p = l->sizePolicy();
        p.setHorizontalPolicy(QSizePolicy::Ignored);
        p.setHeightForWidth(true);
        l->setSizePolicy(p);
    }
    ui->actionAnnuler->setShortcut(QKeySequence::Undo);
    ui->actionRetablir->setShortcut(QKeySequence::Redo);
    ui->actionFermer_Quolvex->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    ui->actionFermerVolume3D->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    ui->actionPlacer_autour_du_nuage->setShortcut(QKeySequence(Qt::Key_P));
    ui->actionAjustement_precis->setShortcut(QKeySequence(Qt::Key_A));
    // Keys act on the window that has the focus. The tool windows this window owns (the batch
    // launcher, the preferences) would otherwise pass their keys on to it: a letter typed there
    // must not refine the document. A plain key acts on the document only while its view has the
    // focus; a key with Ctrl anywhere in this window.
    for (QAction *a : findChildren<QAction *>()) {
        if (a->shortcut().isEmpty())
            continue;
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        const bool simple = (a->shortcut()[0].keyboardModifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) ==
                            Qt::NoModifier;
        (simple ? static_cast<QWidget *>(ui->mdiArea) : this)->addAction(a);
    }
    connect(ui->mdiArea, &QMdiArea::subWindowActivated, this, &MainWindow::majHistorique);
    connect(ui->mdiArea, &QMdiArea::subWindowActivated, this, &MainWindow::majTitre);
    connect(ui->menuEdition, &QMenu::aboutToShow, this, &MainWindow::majHistorique);

    // A long read shows its progress in the status bar, with a button that stops it.
    auto *barreLecture = new QProgressBar(this);
    barreLecture->setRange(0, 1000);
    barreLecture->setMaximumWidth(240);
    auto *arretLecture = new QPushButton(tr("Arrêter"), this);
    for (QWidget *w : {static_cast<QWidget *>(barreLecture), static_cast<QWidget *>(arretLecture)}) {
        ui->statusBar->addPermanentWidget(w);
        w->hide();
    }
    arretLecture->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(arretLecture, &QPushButton::clicked, &SuiviLectures::instance(), &SuiviLectures::arreter);
    connect(&SuiviLectures::instance(), &SuiviLectures::avance, this,
            [this, barreLecture, arretLecture](const QString &f, double fraction, bool fin) {
                barreLecture->setVisible(!fin);
                arretLecture->setVisible(!fin);
                barreLecture->setValue(static_cast<int>(fraction * 1000 + 0.5));
                if (fin)
                    ui->statusBar->clearMessage();
                else
                    ui->statusBar->showMessage(tr("Lecture de %1").arg(QFileInfo(f).fileName()));
                checkMenu();
            });

    if (!fichier.isEmpty())
        proteger(tr("Ouvrir"), [&]() { ouvrirParSuffixe(fichier); });

    checkMenu();
    majHistorique();
    loadInformation();
    setCurentSplite();
    // The window is not shown yet, let alone active: the counts of a file given at start-up
    // are filled in here, for the document just opened.
    loadInformation(getActiveSubWin());
}

MainWindow::~MainWindow()
{
    // The base class still hides the children after this destructor, and the
    // document area then reports a change of active window: nothing may reach
    // the slots of this half-destroyed window any more.
    for (QObject *enfant : findChildren<QObject *>())
        enfant->disconnect(this);
    delete ui;
    ui = nullptr;
}

bool MainWindow::fenetrePrincipaleDisponible() const
{
    return isActiveWindow() && !isMinimized();
}

QList<QMdiSubWindow *> MainWindow::fenetresDocuments() const
{
    return ui->mdiArea->subWindowList(QMdiArea::CreationOrder);
}

void MainWindow::proteger(const QString &operation, const std::function<void()> &action)
{
    QString raison;
    try {
        action();
        return;
    } catch (const std::exception &e) {
        raison = QString::fromLocal8Bit(e.what());
    } catch (...) {
        raison = tr("erreur inconnue");
    }
    signalerEchec(QMessageBox::Critical, tr("Erreur"), tr("L'opération « %1 »").arg(operation),
                  raison + QLatin1Char('\n') + tr("Les documents ouverts restent utilisables."));
    loadInformation();
}

void MainWindow::signalerEchec(QMessageBox::Icon icone, const QString &titre, const QString &quoi,
                               const QString &raison)
{
    QMessageBox boite(icone, titre, tr("%1 a échoué : %2").arg(quoi, raison), QMessageBox::Ok, this);
    boite.exec();
}

void MainWindow::signalerEchecChargement(const QString &raison, const QString &nuage, const QString &maillage)
{
    if (raison.isEmpty())
        return;
    QStringList fichiers;
    for (const QString &f : {nuage, maillage})
        if (!f.isEmpty())
            fichiers << f;
    if (fichiers.isEmpty()) // an empty view: the template mesh
        fichiers << QString::fromLatin1(defauts::gabarit);
    signalerEchec(QMessageBox::Warning, tr("Chargement"),
                  tr("Le chargement de %1").arg(fichiers.join(QStringLiteral(", "))), raison);
}

bool MainWindow::ouvrirParSuffixe(const QString &fichier)
{
    switch (genreOuverture(QFile::encodeName(fichier).toStdString())) {
    case GenreFichier::Nuage:
    case GenreFichier::Volume:
        return creerNewSubWindow(fichier, QString(), QString());
    case GenreFichier::Simplex:
    case GenreFichier::Triangles:
        return creerNewSubWindow(QString(), fichier, QString());
    default:
        return false;
    }
}

bool MainWindow::creerNewSubWindow(QString PTSAOuvrir, QString MaillageAOuvrir, QString title)
{
    GLWidget *vue = new GLWidget(PTSAOuvrir, MaillageAOuvrir, settingWindow->reglages());
    // Read now: showing the view may run other operations that reset the reason.
    const QString erreurChargement = vue->derniereErreur();
    if (vue->fichierRefuse()) {
        // Nothing was opened: no tab, no name in the list, the documents as they were.
        delete vue;
        signalerEchecChargement(erreurChargement, PTSAOuvrir, MaillageAOuvrir);
        return false;
    }

    // The shared slice controls act on every view ever opened.
    connect(ui->SliderTrancheCoupe, &QSlider::sliderMoved, vue, &GLWidget::setTailleTrancheCoupe);
    connect(ui->SliderTrancheCoupe, &QSlider::valueChanged, vue, &GLWidget::setTailleTrancheCoupe);
    connect(ui->spinBox, qOverload<int>(&QSpinBox::valueChanged), vue, &GLWidget::setCoordCoupe);
    connect(ui->Slider_Coord, &QSlider::sliderMoved, ui->spinBox, &QSpinBox::setValue, Qt::UniqueConnection);
    // A failure inside a repaint (the continuous deformation) has nobody to
    // return to: stop the loop and tell the user once the repaint is over.
    connect(
        vue, &GLWidget::operationEchouee, this,
        [this, vue](const QString &raison) {
            if (!vue->boucleDeform)
                return;
            vue->setBoucleDeform(false, false);
            if (getActiveSubWin() == vue)
                ui->actionDeformer_le_maillage->setChecked(false);
            QMessageBox::warning(this, tr("Deformation"), tr("La deformation en boucle a ete arretee : %1").arg(raison),
                                 QMessageBox::Ok);
        },
        Qt::QueuedConnection);

    QMdiSubWindow *fenetre = ui->mdiArea->addSubWindow(vue);
    fenetre->setAttribute(Qt::WA_DeleteOnClose);
    // The document window's own menu would take Ctrl+W too, and two owners of a key leave it
    // to neither: "Fermer la fenetre courante" has it.
    if (QMenu *menu = fenetre->systemMenu())
        for (QAction *a : menu->actions())
            if (a->shortcuts().contains(ui->actionFermerVolume3D->shortcut()))
                a->setShortcuts({});
    fenetre->showMaximized();
    ui->mdiArea->setActiveSubWindow(fenetre);

    if (!PTSAOuvrir.isEmpty()) {
        const QString base = nomDeBase(PTSAOuvrir);
        fenetre->setWindowTitle(QCoreApplication::translate("MainWindow", base.toUtf8().constData()));
        ui->listWidget->addItem(base);
    } else if (!MaillageAOuvrir.isEmpty()) {
        const QString base = nomDeBase(MaillageAOuvrir);
        fenetre->setWindowTitle(QCoreApplication::translate("MainWindow", base.toUtf8().constData()));
        ui->listWidget->addItem(base);
    } else if (!title.isEmpty()) {
        fenetre->setWindowTitle(title);
    } else {
        fenetre->setWindowTitle(tr("Nouveau"));
    }
    if (!PTSAOuvrir.isEmpty() && MaillageAOuvrir.isEmpty())
        ui->listWidget->addItem(nomDeBase(vue->getCurentSimplexName()));
    fenetre->setWindowTitle(fenetre->windowTitle() + QStringLiteral("[*]"));
    connect(vue, &GLWidget::modificationChangee, fenetre, &QWidget::setWindowModified);
    connect(vue, &GLWidget::modificationChangee, this, &MainWindow::majTitre);
    connect(&vue->historique, &QUndoStack::indexChanged, this, &MainWindow::majHistorique);
    connect(vue, &GLWidget::documentRestaure, this, [this, vue]() {
        if (getActiveSubWin() == vue) {
            loadInformation(vue);
            checkMenu();
        }
    });
    fenetre->installEventFilter(this);

    ui->mdiArea->setActiveSubWindow(fenetre);
    reloadMenuVue();
    reloadMenuVue();
    QTimer::singleShot(100, this, &MainWindow::checkMenu);
    majTitre();

    signalerEchecChargement(erreurChargement, PTSAOuvrir, MaillageAOuvrir);
    return true;
}

void MainWindow::majTitre()
{
    // A maximised document has no title bar of its own: its name and its mark of changes are
    // in this window's.
    const QMdiSubWindow *fenetre = ui->mdiArea->currentSubWindow();
    if (fenetre == nullptr)
        fenetre = ui->mdiArea->activeSubWindow();
    if (fenetre == nullptr) {
        setWindowTitle(QStringLiteral("Tarnis"));
        setWindowModified(false);
        return;
    }
    // The form the document area itself gives the title of a maximised document while this window
    // shows: whichever of the two sets it last, it reads the same.
    setWindowTitle(QStringLiteral("Tarnis - [%1]").arg(fenetre->windowTitle()));
    setWindowModified(fenetre->isWindowModified());
}

GLWidget *MainWindow::getActiveSubWin()
{
    // currentSubWindow() stays set while another top-level window (a dialog)
    // is active, unlike activeSubWindow().
    QMdiSubWindow *fenetre = ui->mdiArea->currentSubWindow();
    if (fenetre == nullptr)
        fenetre = ui->mdiArea->activeSubWindow();
    return fenetre ? qobject_cast<GLWidget *>(fenetre->widget()) : nullptr;
}

void MainWindow::checkMenu()
{
    if (fenetresDocuments().isEmpty()) {
        for (QAction *a : {ui->actionExporter_le_maillage,
                           ui->actionExporter_le_nuage_de_point,
                           ui->actionFermerVolume3D,
                           ui->actionVue_par_onglets,
                           ui->actionZoom,
                           ui->actionZoom_2,
                           ui->actionCentrer_en_z_ro,
                           ui->actionConserver_les_proportions,
                           ui->actionAfficher_les_points_d_interets,
                           ui->actionCouleurs_des_ecarts,
                           ui->actionDeformation_automatis,
                           ui->actionDeformer_le_maillage,
                           ui->actionAgrandir,
                           ui->actionRetrecir,
                           ui->actionRaffinage_T26,
                           ui->actionRaffinage_T26_2,
                           ui->actionRaffinage_T22,
                           ui->actionRaffinage_T22_2,
                           ui->actionTrianguler,
                           ui->actionReset,
                           ui->actionCr_er_un_nuage_de_point,
                           ui->actionCadrer,
                           ui->actionPlacer_autour_du_nuage,
                           ui->actionAjustement_precis})
            a->setEnabled(false);
        activerMenu(ui->menuImporter, false);
        activerMenu(ui->menuVue, false);
        activerMenu(ui->menuMode_d_affichage, false);
        ui->actionCreer_un_maillage_simplex->setEnabled(false);
        return;
    }
    // Also while another window (a dialog, or none yet at start-up) has the focus: the menus
    // follow the active document whatever window is active.
    if (isMinimized())
        return;
    GLWidget *vue = getActiveSubWin();
    if (vue == nullptr)
        return;

    // While a file is read into it or a fit runs on it, the document takes no operation that
    // would read or change it; the camera still moves.
    const bool libre = !vue->occupe();
    const bool S = !vue->getCurentSimplexName().isEmpty() && libre;
    const bool P = !vue->getCurentPtsName().isEmpty() && libre;

    for (QAction *a : {ui->actionFermerVolume3D, ui->actionVue_par_onglets, ui->actionZoom, ui->actionZoom_2,
                       ui->actionConserver_les_proportions, ui->actionCadrer})
        a->setEnabled(true);
    activerMenu(ui->menuImporter, libre);
    activerMenu(ui->menuVue, true);

    for (QAction *a : {ui->actionExporter_le_maillage, ui->actionAgrandir, ui->actionRetrecir, ui->actionRaffinage_T26,
                       ui->actionRaffinage_T26_2, ui->actionRaffinage_T22, ui->actionRaffinage_T22_2,
                       ui->actionTrianguler, ui->actionReset, ui->actionCr_er_un_nuage_de_point})
        a->setEnabled(S);
    activerMenu(ui->menuMode_d_affichage, S);

    ui->actionExporter_le_nuage_de_point->setEnabled(P);
    ui->actionAfficher_les_points_d_interets->setEnabled(P);
    // The distance colours follow the active document.
    ui->actionCouleurs_des_ecarts->setEnabled(P);
    ui->actionCouleurs_des_ecarts->setChecked(vue->couleursEcarts());

    // The placement and the fit need a simplex mesh (not a triangle file) and a cloud.
    const bool simplex = S && vue->instanceSimplex->getNbPointsSimplex() > 0;
    ui->actionPlacer_autour_du_nuage->setEnabled(simplex && P);
    ui->actionAjustement_precis->setEnabled(simplex && P && !ajustementLance);
    if (S && P) {
        ui->actionCentrer_en_z_ro->setEnabled(true);
        ui->actionDeformer_le_maillage->setEnabled(true);
        ui->actionDeformation_automatis->setEnabled(true);
    } else {
        ui->actionCentrer_en_z_ro->setEnabled(false);
        ui->actionDeformer_le_maillage->setEnabled(false);
    }
    ui->actionCreer_un_maillage_simplex->setEnabled(vue->suffixeSimplex == "off");
}

void MainWindow::loadInformation()
{
    if (fenetresDocuments().isEmpty() || isMinimized())
        return;
    GLWidget *vue = getActiveSubWin();
    if (vue == nullptr)
        return;
    qWarning("loadInformation");
    loadInformation(vue);
}

void MainWindow::loadInformation(GLWidget *vuecourent)
{
    if (vuecourent == nullptr)
        return;
    ui->label_NbPTS->setText(QString::number(vuecourent->getNbPts()));
    ui->label_NbPtSimplex->setText(QString::number(vuecourent->getNbPtSimplex()));
    // The triangles shown, those of a triangle file or of the triangulated mesh.
    const std::size_t triangles = vuecourent->instanceSimplex->maillageTriangule.listeFaces.size();
    ui->label_NbTriangles->setText(QString::number(vuecourent->estTriangule ? triangles : 0));
    const GLWidget::FiguresVue &f = vuecourent->figuresAjustement;
    // Both directions of the last completed fit, in % of the diagonal; kept when the mesh changed since.
    const auto sens = [](const QString &format, double moyenne, double p95, double maximum) {
        return format.arg(moyenne, 0, 'f', 2).arg(p95, 0, 'f', 2).arg(maximum, 0, 'f', 2);
    };
    ui->label_Ajustement->setText(
        !f.valide ? tr("aucun ajustement terminé")
                  : sens(tr("nuage → surface : moyenne %1 %, p95 %2 %, max %3 %"), f.moyenne, f.centile95, f.maximum) +
                        QLatin1Char('\n') +
                        sens(tr("surface → nuage : moyenne %1 %, p95 %2 %, max %3 %"), f.moyenneSurface,
                             f.centile95Surface, f.maximumSurface) +
                        QLatin1Char('\n') + tr("surface : %1 partie(s), genre %2").arg(f.parties).arg(f.genre) +
                        (f.croisements == 0
                             ? QLatin1Char('\n') + tr("solide : volume %1, aire %2 (unités du nuage)")
                                                       .arg(f.volume, 0, 'g', 6)
                                                       .arg(f.aire, 0, 'g', 6)
                             : QLatin1Char('\n') + tr("%n paire(s) de triangles qui se croisent : la surface passe "
                                                       "au travers d'elle-même",
                                                       nullptr, static_cast<int>(f.croisements))) +
                        (f.ecartes == 0 ? QString()
                                        : QLatin1Char('\n') + tr("%n point(s) isolé(s) du nuage écarté(s)", nullptr,
                                                                  static_cast<int>(f.ecartes)) +
                                              QLatin1Char('\n') +
                                              sens(tr("sur tous les points : moyenne %1 %, p95 %2 %, max %3 %"),
                                                   f.moyenneTous, f.centile95Tous, f.maximumTous)) +
                        // Much of the cloud set aside, or the cloud smoothed: said plainly, with what to do.
                        (f.points > 0 && static_cast<double>(f.ecartes) > 0.01 * static_cast<double>(f.points)
                             ? QLatin1Char('\n') + tr("attention : %1 % du nuage écarté ; s'il fait partie de "
                                                       "l'objet, choisir « gardés » pour les points isolés dans les préférences et ajuster à nouveau")
                                                        .arg(100.0 * static_cast<double>(f.ecartes) / static_cast<double>(f.points), 0, 'f', 1)
                             : QString()) +
                        (f.bruitLisse ? QLatin1Char('\n') + tr("nuage bruité : lissé pour l'ajustement") : QString()) +
                        (vuecourent->figuresAJour()               ? QString()
                         : vuecourent->nuageChangeDepuisFigures() ? QLatin1Char('\n') + tr("(nuage changé depuis)")
                                                                  : QLatin1Char('\n') + tr("(maillage modifié depuis)")));
    // The frame only means something for a volume.
    ui->label_RepereTitre->setVisible(!vuecourent->repereVolume.isEmpty());
    ui->label_Repere->setVisible(!vuecourent->repereVolume.isEmpty());
    ui->label_Repere->setText(vuecourent->niveauVolume.isEmpty()
                                  ? vuecourent->repereVolume
                                  : tr("%1 ; %2").arg(vuecourent->repereVolume, vuecourent->niveauVolume));
}

void MainWindow::loadCurrentObjectsNames(QMdiSubWindow *subWin)
{
    checkMenu();
    ui->listWidget->clear();
    if (fenetresDocuments().isEmpty() || !fenetrePrincipaleDisponible() || subWin == nullptr || subWin->isMinimized())
        return;
    GLWidget *vue = qobject_cast<GLWidget *>(subWin->widget());
    if (vue == nullptr)
        return;
    qWarning("loadCurrentObjectsNames");
    const QString maillage = vue->getCurentSimplexName();
    const GenreFichier genre = genreOuverture(QFile::encodeName(maillage).toStdString());
    if (genre == GenreFichier::Simplex || genre == GenreFichier::Triangles)
        ui->listWidget->addItem(nomDeBase(maillage));
    ui->listWidget->addItem(nomDeBase(vue->getCurentPtsName()));
}

void MainWindow::changeCurrentObjectSelected()
{
    if (fenetresDocuments().isEmpty() || !fenetrePrincipaleDisponible())
        return;
    GLWidget *vue = getActiveSubWin();
    if (vue == nullptr)
        return;
    qWarning("changeCurrentObjectSelected");
    QListWidgetItem *maillage = ui->listWidget->item(0);
    QListWidgetItem *nuage = ui->listWidget->item(1);
    if (maillage != nullptr && maillage->isSelected())
        vue->setDeplaceSimplex(true);
    else if (nuage != nullptr && nuage->isSelected())
        vue->setDeplaceSimplex(false);
}

void MainWindow::setCurentSplite()
{
    if (fenetresDocuments().isEmpty() || !fenetrePrincipaleDisponible())
        return;
    GLWidget *vue = getActiveSubWin();
    if (vue == nullptr)
        return;
    qWarning("setCurentSplite");
    proteger(tr("Affichage en coupe"), [&]() {
        if (!ui->groupBoxAfficheCoupe->isChecked()) {
            vue->setCoupe(0);
        } else if (ui->radioButtonCoupeX->isChecked()) {
            vue->setCoupe(1);
        } else if (ui->radioButtonCoupeY->isChecked()) {
            vue->setCoupe(2);
        } else if (ui->radioButtonCoupeZ->isChecked()) {
            vue->setCoupe(3);
        } else {
            ui->radioButtonCoupeX->setChecked(true);
            vue->setCoupe(1);
        }
    });
}

void MainWindow::settingPreferred()
{
    if (fenetresDocuments().isEmpty())
        return;
    qWarning("settingPreferred");
    const ReglagesVue reglages = settingWindow->reglages();
    for (QMdiSubWindow *fenetre : fenetresDocuments())
        if (GLWidget *vue = qobject_cast<GLWidget *>(fenetre->widget()))
            vue->appliquerReglages(reglages);
}

bool MainWindow::warningPtsMaillageTropGrand()
{
    const QMessageBox::StandardButton reponse = QMessageBox::question(
        this, tr("Demande de confirmation"),
        tr("Attention ! Le maillage simplex comporte plus de points qu'il n'y a de points d'interet.\n"
           " Effectuer l'operation demandé pourais faire planter l'application, il est recommandé "
           "d'exporter votre travail.\n Etes vous sur de vouloir continuer ?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton);
    return reponse == QMessageBox::Yes;
}

void MainWindow::reloadMenuVue()
{
    ui->menuVue->clear();
    const QList<QMdiSubWindow *> fenetres = fenetresDocuments();
    for (int i = 0; i < fenetres.size(); ++i) {
        QAction *entree = ui->menuVue->addAction(fenetres[i]->windowTitle().remove(QStringLiteral("[*]")));
        entree->setCheckable(true);
        entree->setChecked(i == fenetres.size() - 1);
    }
    connect(ui->menuVue, &QMenu::triggered, this, &MainWindow::checkMenuVue, Qt::UniqueConnection);
    for (QMdiSubWindow *fenetre : fenetres) {
        fenetre->showMaximized();
        // Queued: the list of windows is read once the closed one has left the area.
        connect(fenetre, &QObject::destroyed, this, &MainWindow::reloadMenuVue,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
    }
}

void MainWindow::checkMenuVue(QAction *vue)
{
    for (QAction *entree : ui->menuVue->actions())
        if (entree != vue)
            entree->setChecked(false);
    selectSubWin(vue);
}

void MainWindow::selectSubWin(QAction *)
{
    const QList<QAction *> entrees = ui->menuVue->actions();
    const QList<QMdiSubWindow *> fenetres = fenetresDocuments();
    for (int i = 0; i < entrees.size() && i < fenetres.size(); ++i) {
        if (entrees[i]->isChecked()) {
            ui->mdiArea->setActiveSubWindow(fenetres[i]);
            fenetres[i]->showMaximized();
        }
    }
}

void MainWindow::on_spinBox_valueChanged(int valeur)
{
    ui->Slider_Coord->setValue(valeur);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    for (QMdiSubWindow *fenetre : fenetresDocuments()) {
        if (!fenetre->close()) {
            // A fit under way is stopped: quitting goes on once it has ended.
            if (auto *vue = qobject_cast<GLWidget *>(fenetre->widget()); vue && vue->ajuste())
                quitterEnAttente = true;
            event->ignore();
            return;
        }
    }
    ui->mdiArea->close();
    event->accept();
}

bool MainWindow::eventFilter(QObject *objet, QEvent *evenement)
{
    auto *fenetre = qobject_cast<QMdiSubWindow *>(objet);
    auto *vue = fenetre ? qobject_cast<GLWidget *>(fenetre->widget()) : nullptr;
    if (evenement->type() == QEvent::Close && vue != nullptr && vue->litEnFond()) {
        // The read is stopped; the window closes once it has ended.
        SuiviLectures::instance().arreter();
        evenement->ignore();
        return true;
    }
    if (evenement->type() == QEvent::Close && vue != nullptr && vue->ajuste()) {
        // The fit is stopped (the document as before it); the window is closed again, asking
        // as usual, once the fit has ended, and the application quits when that was asked.
        fermeturesEnAttente.append(fenetre);
        emit arretAjustementDemande();
        evenement->ignore();
        return true;
    }
    if (evenement->type() == QEvent::Close && fenetre != nullptr && !demanderEnregistrement(fenetre)) {
        evenement->ignore();
        return true;
    }
    return QMainWindow::eventFilter(objet, evenement);
}

bool MainWindow::demanderEnregistrement(QMdiSubWindow *fenetre)
{
    auto *vue = qobject_cast<GLWidget *>(fenetre->widget());
    if (vue == nullptr || !vue->estModifie())
        return true;
    ui->mdiArea->setActiveSubWindow(fenetre);
    QMessageBox boite(QMessageBox::Warning, tr("Fermer"),
                      tr("Le document « %1 » a été modifié.").arg(fenetre->windowTitle().remove(QStringLiteral("[*]"))),
                      QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    boite.setInformativeText(tr("Voulez-vous enregistrer le maillage avant de fermer ?"));
    boite.setDefaultButton(QMessageBox::Save);
    const int reponse = boite.exec();
    if (reponse == QMessageBox::Discard)
        return true;
    if (reponse != QMessageBox::Save)
        return false;
    const QString nom = enregistrerFichier(QStringLiteral("SMM(*.smm)"));
    bool enregistre = false;
    if (!nom.isEmpty())
        proteger(tr("Enregistrer"), [&]() {
            enregistre = vue->ExportMaillageWithLoading(nom);
            if (!enregistre)
                signalerEchec(QMessageBox::Critical, tr("Exportation"), tr("L'exportation vers %1").arg(nom),
                              vue->derniereErreur());
        });
    return enregistre;
}

// ---- File menu ----

QString MainWindow::ouvrirFichier(const QString &filtre)
{
    return QFileDialog::getOpenFileName(this, tr("Ouvrir un fichier"), QDir::currentPath(), filtre);
}

QString MainWindow::enregistrerFichier(const QString &filtre)
{
    QString filtreChoisi;
    QString nom =
        QFileDialog::getSaveFileName(this, tr("Enregistrer un fichier"), QDir::currentPath(), filtre, &filtreChoisi);
    if (nom.isEmpty())
        return nom;
    const qsizetype parenthese = filtreChoisi.indexOf('(');
    const QString libelle = (parenthese >= 0 ? filtreChoisi.left(parenthese) : filtreChoisi).trimmed().toLower();
    // The ending is added only when the name does not carry it already
    // ("scan.smm" stays "scan.smm").
    if (!libelle.isEmpty() && !nom.endsWith("." + libelle))
        nom += "." + libelle;
    return nom;
}

void MainWindow::on_actionNouveau_triggered()
{
    proteger(ui->actionNouveau->text(), [&]() {
        creerNewSubWindow(QString(), QString(), tr("Nouveau (%1)").arg(numeroNouveau));
        ++numeroNouveau;
    });
}

void MainWindow::on_actionOuvrir_triggered()
{
    const QString fichier = ouvrirFichier(filtreOuvrables());
    if (!fichier.isEmpty())
        ouvrirDocument(fichier);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!fichiersDeposes(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QStringList fichiers = fichiersDeposes(event->mimeData());
    if (fichiers.isEmpty())
        return;
    event->acceptProposedAction();
    for (const QString &f : fichiers)
        ouvrirDocument(f);
}

void MainWindow::ouvrirDocument(const QString &fichier)
{
    proteger(tr("Ouvrir"), [&]() {
        if (!ouvrirParSuffixe(fichier))
            return;
        if (genreOuverture(QFile::encodeName(fichier).toStdString()) == GenreFichier::Triangles) {
            ui->actionPoint->setEnabled(false);
            ui->actionFillaire->setEnabled(false);
            ui->actionTriangle->setEnabled(true);
            ui->actionTriangle->trigger();
        }
        if (GLWidget *vue = getActiveSubWin())
            loadInformation(vue);
    });
}

void MainWindow::exporterDepuisLaVueActive(QAction *action, const QString &filtre,
                                           const std::function<bool(GLWidget *, const QString &)> &exporter)
{
    GLWidget *vue = getActiveSubWin();
    if (vue == nullptr)
        return;
    const QString nom = enregistrerFichier(filtre);
    if (nom.isEmpty())
        return;
    proteger(action->text(), [&]() {
        const bool ecrit = exporter(vue, nom);
        if (ecrit && !vue->dernierAvertissement().isEmpty())
            QMessageBox::warning(this, tr("Exportation"),
                                 tr("L'exportation s'est terminée avec succès, mais %1").arg(vue->dernierAvertissement()),
                                 QMessageBox::Ok);
        else if (ecrit)
            QMessageBox::information(this, tr("Exportation"), tr("L'exportation s'est terminée avec succès"),
                                     QMessageBox::Ok);
        else
            signalerEchec(QMessageBox::Critical, tr("Exportation"), tr("L'exportation vers %1").arg(nom),
                          vue->derniereErreur());
    });
}

void MainWindow::on_actionExporter_le_maillage_triggered()
{
    exporterDepuisLaVueActive(ui->actionExporter_le_maillage, QStringLiteral("SMM(*.smm);;OFF(*.off);;OBJ(*.obj);;PLY(*.ply);;STL(*.stl)"),
                              [](GLWidget *vue, const QString &nom) { return vue->ExportMaillageWithLoading(nom); });
}

void MainWindow::on_actionExporter_le_nuage_de_point_triggered()
{
    exporterDepuisLaVueActive(
        ui->actionExporter_le_nuage_de_point, QStringLiteral("PTS(*.pts)"),
        [](GLWidget *vue, const QString &nom) { return vue->ExportPTSWithLoading(nom.toLocal8Bit().toStdString()); });
}

void MainWindow::chargerDansLaVueActive(QAction *action, const QString &filtre, bool (GLWidget::*charger)(QString))
{
    GLWidget *vue = getActiveSubWin();
    if (vue == nullptr)
        return;
    const QString fichier = ouvrirFichier(filtre);
    if (!fichier.isEmpty()) {
        proteger(action->text(), [&]() {
            if (!(vue->*charger)(fichier))
                signalerEchec(QMessageBox::Warning, tr("Chargement"), tr("Le chargement de %1").arg(fichier),
                              vue->derniereErreur());
        });
    }
    vue->activateWindow();
    loadCurrentObjectsNames(ui->mdiArea->currentSubWindow());
    loadInformation(vue);
}

void MainWindow::on_actionNouveau_Maillage_triggered()
{
    chargerDansLaVueActive(ui->actionNouveau_Maillage, tr("Maillage (%1)").arg(filtreDe(listeSuffixes(false))), &GLWidget::setMaillage);
}

void MainWindow::on_actionNouveau_nuage_de_points_triggered()
{
    chargerDansLaVueActive(ui->actionNouveau_nuage_de_points, tr("Nuage de points (%1)").arg(filtreDe(listeSuffixes(true))),
                           &GLWidget::setPTS);
}

void MainWindow::on_actionFermerVolume3D_triggered()
{
    if (QMdiSubWindow *fenetre = ui->mdiArea->currentSubWindow())
        fenetre->close();
}

void MainWindow::on_actionFermer_Quolvex_triggered()
{
    close();
}

// ---- Edit menu ----

void MainWindow::majHistorique()
{
    GLWidget *vue = fenetresDocuments().isEmpty() ? nullptr : getActiveSubWin();
    const bool libre = vue && vue->historiqueDisponible();
    ui->actionAnnuler->setEnabled(libre && vue->historique.canUndo());
    ui->actionRetablir->setEnabled(libre && vue->historique.canRedo());
}

void MainWindow::on_actionAnnuler_triggered()
{
    if (GLWidget *vue = getActiveSubWin())
        proteger(ui->actionAnnuler->text(), [&]() { vue->annuler(); });
    majHistorique();
}

void MainWindow::on_actionRetablir_triggered()
{
    if (GLWidget *vue = getActiveSubWin())
        proteger(ui->actionRetablir->text(), [&]() { vue->retablir(); });
    majHistorique();
}

void MainWindow::on_actionPreference_triggered()
{
    settingWindow->show();
    settingWindow->raise();
}

void MainWindow::on_actionOperateur_Automatique_triggered()
{
    automaticExec->show();
    automaticExec->raise();
}

// ---- Mesh menu ----

void MainWindow::on_actionDeformer_le_maillage_triggered()
{
    GLWidget *vue = getActiveSubWin();
    if (vue == nullptr)
        return;
    if (ui->actionDeformer_le_maillage->isChecked())
        vue->setBoucleDeform(true, settingWindow->isConeDeVision());
    else
        vue->setBoucleDeform(false, false);
    majHistorique();
}

void MainWindow::on_actionAgrandir_triggered()
{
    if (GLWidget *vue = getActiveSubWin())
        proteger(ui->actionAgrandir->text(), [&]() { vue->dilatation(1.3); });
}

void MainWindow::on_actionRetrecir_triggered()
{
    if (GLWidget *vue = getActiveSubWin())
        proteger(ui->actionRetrecir->text(), [&]() { vue->dilatation(0.7692307692307692); });
}

// After an operation the counts are refreshed for the view it ran on: a
// message box may have left the main window inactive for a moment, and the
// counts must not be left stale.
void MainWindow::raffiner(int type, int critere)
{
    GLWidget *vue = getActiveSubWin();
    if (vue == nullptr)
        return;
    const QString nom = type == 26
                            ? (critere == 0 ? ui->actionRaffinage_T26->text() : ui->actionRaffinage_T26_2->text())
                            : (critere == 0 ? ui->actionRaffinage_T22->text() : ui->actionRaffinage_T22_2->text());
    proteger(nom, [&]() {
        bool continuer = true;
        if (vue->getNbPtSimplex() > vue->getNbPts())
            continuer = warningPtsMaillageTropGrand();
        if (continuer) {
            const bool reussi = type == 26 ? vue->RaffinageT26(1, critere) : vue->RaffinageT22Auto(1, critere);
            if (!reussi)
                signalerEchec(QMessageBox::Warning, nom, tr("Le raffinage"), vue->derniereErreur());
        }
        loadInformation(vue);
    });
}

void MainWindow::on_actionRaffinage_T26_triggered()
{
    raffiner(26, 0);
}
void MainWindow::on_actionRaffinage_T26_2_triggered()
{
    raffiner(26, 1);
}
void MainWindow::on_actionRaffinage_T22_triggered()
{
    raffiner(22, 0);
}
void MainWindow::on_actionRaffinage_T22_2_triggered()
{
    raffiner(22, 1);
}

void MainWindow::on_actionTrianguler_triggered()
{
    GLWidget *vue = getActiveSubWin();
    if (vue == nullptr)
        return;
    proteger(ui->actionTrianguler->text(), [&]() {
        const bool reussi = vue->Triangularisation();
        ui->actionTriangle->setEnabled(true);
        if (reussi)
            QMessageBox::information(this, tr("Triangularisation des mailles"),
                                     tr("Le maillage vient d'etre triangulé"), QMessageBox::Ok);
        else
            signalerEchec(QMessageBox::Warning, tr("Triangularisation des mailles"), tr("La triangulation"),
                          vue->derniereErreur());
        loadInformation(vue);
    });
}

void MainWindow::on_actionReset_triggered()
{
    GLWidget *vue = getActiveSubWin();
    if (vue == nullptr)
        return;
    proteger(ui->actionReset->text(), [&]() {
        if (!vue->resetMaillage())
            signalerEchec(QMessageBox::Warning, tr("Chargement"),
                          tr("Le chargement de %1").arg(vue->getCurentSimplexName()), vue->derniereErreur());
        loadInformation(vue);
    });
}

void MainWindow::choisirModeAffichage(QAction *action, int mode)
{
    if (!action->isChecked()) {
        // The checked entry was clicked again: it stays the chosen one.
        action->setChecked(true);
        return;
    }
    for (QAction *a : {ui->actionPoint, ui->actionFillaire, ui->actionTriangle})
        if (a != action)
            a->setChecked(false);
    if (GLWidget *vue = getActiveSubWin())
        vue->setModeDisplayMaille(mode);
}

void MainWindow::on_actionPoint_triggered()
{
    choisirModeAffichage(ui->actionPoint, 0);
}
void MainWindow::on_actionFillaire_triggered()
{
    choisirModeAffichage(ui->actionFillaire, 1);
}
void MainWindow::on_actionTriangle_triggered()
{
    choisirModeAffichage(ui->actionTriangle, 3);
}

void MainWindow::on_actionCreer_un_maillage_simplex_triggered()
{
    if (fenetresDocuments().isEmpty())
        return;
    GLWidget *vue = getActiveSubWin();
    if (vue == nullptr)
        return;
    const QMessageBox::StandardButton reponse =
        QMessageBox::question(this, tr("Demande de confirmation"),
                              tr("La création d'un maillage simplex remplacera le maillage triangulé.\n Etes vous sur "
                                 "de vouloir continuer ?"),
                              QMessageBox::Yes | QMessageBox::No);
    if (reponse == QMessageBox::Yes) {
        proteger(ui->actionCreer_un_maillage_simplex->text(), [&]() {
            if (!vue->triangleToSimplex())
                signalerEchec(QMessageBox::Warning, tr("Conversion"), tr("La conversion"), vue->derniereErreur());
            loadInformation(vue);
            checkMenu();
        });
    } else {
        QMessageBox::critical(this, tr("Attention"), tr("la création d'un maillage simplex a été interompue !"),
                              QMessageBox::Ok);
    }
}

void MainWindow::on_actionCr_er_un_nuage_de_point_triggered()
{
    if (fenetresDocuments().isEmpty())
        return;
    GLWidget *vue = getActiveSubWin();
    if (vue == nullptr)
        return;
    proteger(ui->actionCr_er_un_nuage_de_point->text(), [&]() {
        bool creer = vue->getNbPts() < 1;
        if (!creer) {
            const QMessageBox::StandardButton reponse = QMessageBox::question(
                this, tr("Demande de confirmation"),
                tr("Un nuage de point est deja a l'ecran, la création d'un nouveau nuage de point le remplacera.\n"
                   " Etes vous sur de vouloir continuer ?"),
                QMessageBox::Yes | QMessageBox::No);
            creer = reponse == QMessageBox::Yes;
            if (!creer)
                QMessageBox::critical(this, tr("Attention"),
                                      tr("la création d'un nouveau nuage de point a été interompue !"),
                                      QMessageBox::Ok);
        }
        if (creer) {
            if (!vue->maillageToPts())
                signalerEchec(QMessageBox::Warning, tr("Conversion"), tr("La conversion"), vue->derniereErreur());
            loadInformation(vue);
        }
    });
    loadCurrentObjectsNames(ui->mdiArea->currentSubWindow());
    checkMenu();
}

// ---- View menu ----

void MainWindow::on_actionVue_par_onglets_changed()
{
    if (ui->actionVue_par_onglets->isChecked()) {
        ui->mdiArea->setViewMode(QMdiArea::TabbedView);
        activerMenu(ui->menuVue, false);
    } else {
        ui->mdiArea->setViewMode(QMdiArea::SubWindowView);
        activerMenu(ui->menuVue, true);
    }
}

void MainWindow::on_actionZoom_triggered()
{
    if (GLWidget *vue = getActiveSubWin())
        vue->Zoom(-5.0f);
}

void MainWindow::on_actionZoom_2_triggered()
{
    if (GLWidget *vue = getActiveSubWin())
        vue->Zoom(5.0f);
}

void MainWindow::on_actionCentrer_en_z_ro_triggered()
{
    if (GLWidget *vue = getActiveSubWin())
        proteger(ui->actionCentrer_en_z_ro->text(), [&]() { vue->CenterToZero(); });
}

void MainWindow::on_actionCadrer_triggered()
{
    if (GLWidget *vue = getActiveSubWin()) {
        vue->cadrer();
        vue->update();
    }
}

void MainWindow::on_actionPlacer_autour_du_nuage_triggered()
{
    GLWidget *vue = getActiveSubWin();
    if (vue == nullptr)
        return;
    proteger(ui->actionPlacer_autour_du_nuage->text(), [&]() {
        if (!vue->placerAutourDuNuage())
            signalerEchec(QMessageBox::Warning, ui->actionPlacer_autour_du_nuage->text(), tr("Le placement"),
                          vue->derniereErreur());
        loadInformation(vue);
    });
}

void MainWindow::on_actionConserver_les_proportions_triggered()
{
    if (GLWidget *vue = getActiveSubWin())
        vue->setConservProp(ui->actionConserver_les_proportions->isChecked());
}

void MainWindow::on_actionAfficher_les_points_d_interets_triggered()
{
    if (GLWidget *vue = getActiveSubWin())
        vue->setAffichePT(ui->actionAfficher_les_points_d_interets->isChecked());
}

void MainWindow::on_actionCouleurs_des_ecarts_triggered()
{
    if (GLWidget *vue = getActiveSubWin())
        vue->setCouleursEcarts(ui->actionCouleurs_des_ecarts->isChecked());
}

// ---- Help menu ----

void MainWindow::on_actionA_propos_de_QT_triggered()
{
    QMessageBox::aboutQt(this, tr("A propos de QT"));
}

void MainWindow::on_actionA_propos_de_Quolvex_triggered()
{
    FenAbout *fenetre = new FenAbout();
    fenetre->show();
}
