#ifndef AUTOMATICEXEC_H
#define AUTOMATICEXEC_H

#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include "ui_automaticexec.h"

/// Batch launcher: runs the console tool "./Pelvane/Pelvane.exe" (relative to
/// the working folder) once per input cloud, as detached processes, with the
/// reference simplex mesh, the output folder and the deformation parameters.
/// The processes outlive the application; while it runs, the line under the
/// form says how many still run, and when the last one has ended.
///
/// Command line of one file: internal force, external force, retention force,
/// rigidity, minimum number of simplex points, deformation iterations, "1" or
/// "0" for the automatic save, reference mesh, input cloud, output folder.
/// The numbers are the spin boxes' displayed texts. Each cloud's results go to
/// a folder of their own under the output folder, named by the cloud's path
/// relative to the deepest folder holding every listed cloud (see Lot.h), so
/// two clouds of the same name from different folders keep their results apart.
class AutomaticExec : public QWidget, public Ui_AutomaticExec
{
    Q_OBJECT

public:
    /// One start of the tool during the latest launch.
    struct Lancement
    {
        QString fichier;       ///< the input cloud
        QStringList arguments; ///< the ten arguments given to the tool
        bool demarre = false;  ///< the process was started
        qint64 pid = 0;        ///< its process id when started
        QString raison;        ///< why it could not be started
    };

    explicit AutomaticExec(QWidget *parent = nullptr);
    ~AutomaticExec() override;

    /// The tool started for each file, relative to the working folder.
    static QString cheminOutil();

    /// The ten arguments for one input file (reference mesh and output folder
    /// as given, not checked).
    QStringList argumentsPour(const QString &maillageReference, const QString &fichier,
                              const QString &dossierSortie) const;

    /// The results folder of one of the listed files: under dossierSortie, its
    /// path relative to the deepest folder holding every listed file.
    static QString dossierPour(const QStringList &fichiers, const QString &fichier, const QString &dossierSortie);

    /// The starts of the latest launch, in list order.
    const QList<Lancement> &derniersLancements() const { return lancements; }
    /// Whether processes of the latest launch are still running.
    bool traitementsEnCours() const { return suivi.isActive(); }

public slots:
    void on_commandLinkButton_clicked();
    void on_commandLinkButton_2_clicked();
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();
    void on_pushButton_Launch_clicked();
    /// "Annuler": the window goes; what it launched goes on.
    void on_pushButton_Cancel_clicked();

private:
    static QString premiereLigne(const QListWidget *liste);
    Lancement demarrer(const QString &fichier, const QStringList &arguments) const;
    void rapporter();
    /// The line under the form: what runs, then that all have ended.
    void suivre();

    QList<Lancement> lancements;
    QTimer suivi;
};

#endif
