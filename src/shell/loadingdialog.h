#ifndef LOADINGDIALOG_H
#define LOADINGDIALOG_H

#include <QWidget>

#include "ui_loadingdialog.h"

class QCloseEvent;
class QMovie;

/// Small application-modal tool window that shows the progress of a long
/// operation: an animation, the list of the steps done, a progress bar, a
/// closing line and, while an automatic run goes on, an "Arrêter" button.
class LoadingDialog : public QWidget
{
    Q_OBJECT

public:
    /// Builds the form, titles the window "Automatisation" and starts the
    /// animation "loading.gif" read from the working folder.
    LoadingDialog();
    ~LoadingDialog() override;

    /// Hides the input/output labels and shows the list of steps.
    void setModeListe();
    /// Title of the window and of its group box.
    void setTitre(const QString &titre);
    void setBarreVisible(bool visible);
    void setMaximum(int maximum);
    /// Appends a line to the list and scrolls to it.
    void ajouterLigne(const QString &ligne);
    /// Adds n to the bar when its maximum is at least n; a value past the
    /// maximum leaves the bar where it is.
    void avancer(int n);
    /// The closing line, the close button, the still picture. Done: the bar full, the line green.
    /// Interrupted (stopped or failed): the bar left where it stands, the line orange, the stop sign.
    void terminer(const QString &texte, bool interrompu = false);

    /// Shows the "Arrêter" button (hidden again by terminer).
    void setArretPossible(bool possible);
    /// True once "Arrêter" has been pressed.
    bool isArretDemande() const { return arret; }
    /// The line of counts under the bar (cycle, steps, points) while a run goes on.
    void setCompteurs(const QString &texte);

    Ui_LoadingDialog ui;

signals:
    void closing();
    /// The user asked the running operation to stop.
    void arretDemande();

public slots:
    void on_ButtonClose_clicked();
    void on_ButtonStop_clicked();

protected:
    /// While a run can be stopped, closing the window asks it to stop instead:
    /// the window stays to show where the run ended.
    void closeEvent(QCloseEvent *event) override;

private:
    QMovie *movie;
    bool arret = false;
};

#endif
