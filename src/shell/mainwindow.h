#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>

#include "SimplexAutomatique.h"
#include <QString>

#include <functional>

class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QMdiSubWindow;
class GLWidget;
class SettingWindow;
class LoadingDialog;
class AutomaticExec;

namespace Ui {
class MainWindow;
}

/// The single top-level window: a multiple-document area whose document
/// windows each hold one GLWidget, the menus and tool bar acting on the active
/// document, and the "Outils" dock (object list, counts, slice controls).
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    /// fichier: a file to open at once ("" for none); its suffix chooses
    /// whether it is a cloud (pts, hdr, img) or a mesh (sm, smm, off, obj).
    explicit MainWindow(QWidget *parent = nullptr, const QString &fichier = QString());
    ~MainWindow() override;

    SettingWindow *getSettingWindow() const { return settingWindow; }
    AutomaticExec *getAutomaticExec() const { return automaticExec; }
    /// The progress dialog of the latest automatic run (null before the first).
    LoadingDialog *getLoadingDialog() const { return loadingDialog; }

public slots:
    /// New document window; with the default arguments an empty one titled
    /// "NEW". A cloud alone comes with the template mesh. A file that is refused opens no
    /// window (the box says why): false.
    bool creerNewSubWindow(QString PTSAOuvrir = QString(), QString MaillageAOuvrir = QString(),
                           QString title = QString());
    /// The view of the active document window, or null when there is none.
    GLWidget *getActiveSubWin();

    void checkMenu();
    void loadInformation();
    void loadInformation(GLWidget *vuecourent);
    void loadCurrentObjectsNames(QMdiSubWindow *subWin);
    void changeCurrentObjectSelected();
    void setCurentSplite();
    /// Hands the preferences to every open document (connected to the dialog's closing()).
    void settingPreferred();
    /// Asks whether to refine a mesh that has more simplex points than cloud points.
    bool warningPtsMaillageTropGrand();
    void reloadMenuVue();
    void checkMenuVue(QAction *vue);
    void selectSubWin(QAction *vue);
    /// The automatic refine-and-deform run (mainwindow_auto.cpp).
    void Deformation_auto();
    void on_spinBox_valueChanged(int valeur);
    /// Undo and redo follow the active document's history (off while a fit or a loop runs).
    void majHistorique();
    /// This window's title: the active document's name, with its mark of changes.
    void majTitre();

signals:
    /// Asks the precise fit under way to stop (a window closed, or the application quit, meanwhile).
    void arretAjustementDemande();

protected:
    /// Closes every document window; one whose changes the user wants to keep and that could not
    /// be saved, or a Cancel, keeps the application open.
    void closeEvent(QCloseEvent *event) override;
    /// Files dropped on the window open as File -> Open opens them (those the opener knows).
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    /// A document window about to close asks first whether to save its changes.
    bool eventFilter(QObject *objet, QEvent *evenement) override;
    /// Runs an action; an exception escaping from the view or the engines is
    /// shown in an error box instead of reaching the event loop.
    void proteger(const QString &operation, const std::function<void()> &action);

private slots:
    void on_actionNouveau_triggered();
    void on_actionOuvrir_triggered();
    void on_actionExporter_le_maillage_triggered();
    void on_actionExporter_le_nuage_de_point_triggered();
    void on_actionNouveau_Maillage_triggered();
    void on_actionNouveau_nuage_de_points_triggered();
    void on_actionFermerVolume3D_triggered();
    void on_actionFermer_Quolvex_triggered();
    void on_actionPreference_triggered();
    /// Undo and redo on the active document's history.
    void on_actionAnnuler_triggered();
    void on_actionRetablir_triggered();
    void on_actionOperateur_Automatique_triggered();
    void on_actionDeformer_le_maillage_triggered();
    /// Starts or stops an automatic run (mainwindow_auto.cpp).
    void on_actionDeformation_automatis_triggered();
    void on_actionAgrandir_triggered();
    void on_actionRetrecir_triggered();
    void on_actionRaffinage_T26_triggered();
    void on_actionRaffinage_T26_2_triggered();
    void on_actionRaffinage_T22_triggered();
    void on_actionRaffinage_T22_2_triggered();
    void on_actionTrianguler_triggered();
    void on_actionReset_triggered();
    void on_actionPoint_triggered();
    void on_actionFillaire_triggered();
    void on_actionTriangle_triggered();
    void on_actionCreer_un_maillage_simplex_triggered();
    void on_actionCr_er_un_nuage_de_point_triggered();
    void on_actionVue_par_onglets_changed();
    void on_actionZoom_triggered();
    void on_actionZoom_2_triggered();
    void on_actionCentrer_en_z_ro_triggered();
    void on_actionConserver_les_proportions_triggered();
    void on_actionAfficher_les_points_d_interets_triggered();
    void on_actionCouleurs_des_ecarts_triggered();
    void on_actionA_propos_de_QT_triggered();
    void on_actionA_propos_de_Quolvex_triggered();
    void on_actionCadrer_triggered();
    void on_actionPlacer_autour_du_nuage_triggered();
    /// The engine's fit on the active document, with the progress dialog (mainwindow_auto.cpp).
    void on_actionAjustement_precis_triggered();

private:
    QString ouvrirFichier(const QString &filtre);
    /// Asks for a file and loads it into the active view with `charger`; a failure shows a box.
    /// Asks for a file name and writes into it with `exporter`; says whether it worked.
    void exporterDepuisLaVueActive(QAction *action, const QString &filtre,
                                   const std::function<bool(GLWidget *, const QString &)> &exporter);
    void chargerDansLaVueActive(QAction *action, const QString &filtre, bool (GLWidget::*charger)(QString));
    QString enregistrerFichier(const QString &filtre);
    /// One of the four refinement actions: the guard, then the step.
    void raffiner(int type, int critere);
    /// Display mode group: keeps exactly one of Point/Filaire/Triangle checked.
    void choisirModeAffichage(QAction *action, int mode);
    /// Opens a file into a new document window by its suffix; false when the
    /// suffix is not one of a cloud or a mesh, or the file is refused.
    bool ouvrirParSuffixe(const QString &fichier);
    /// File -> Open once the file is chosen (a drop too).
    void ouvrirDocument(const QString &fichier);
    /// Tells the user, naming the files, when a new view could not read what it was given.
    /// The one failure box: "<quoi> a échoué : <raison>", the reason as the engine or the view gave it.
    /// The automatic mode's settings: the preferences' counts, the view's weights.
    ReglagesAutomatiques reglagesAutomatiques(const GLWidget &vue) const;
    void signalerEchec(QMessageBox::Icon icone, const QString &titre, const QString &quoi, const QString &raison);
    void signalerEchecChargement(const QString &raison, const QString &nuage, const QString &maillage);
    bool fenetrePrincipaleDisponible() const;
    /// Save, discard or cancel for a modified document; true when it may close.
    bool demanderEnregistrement(QMdiSubWindow *fenetre);
    QList<QMdiSubWindow *> fenetresDocuments() const;

    Ui::MainWindow *ui;
    SettingWindow *settingWindow;
    LoadingDialog *loadingDialog;
    AutomaticExec *automaticExec;
    int numeroNouveau;
    /// Document windows closed while their fit ran: closed again once it has ended; and whether
    /// the application is to quit then.
    QList<QPointer<QMdiSubWindow>> fermeturesEnAttente;
    bool quitterEnAttente = false;
    /// A fit runs (one at a time: each waits in its own loop of events, the later one inside).
    bool ajustementLance = false;
    /// The document the open preferences will be handed to.
};

#endif
