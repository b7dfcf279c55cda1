#ifndef TARNIS_TEST_REPONDEUR_H
#define TARNIS_TEST_REPONDEUR_H

#include <QMessageBox>
#include <QObject>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

class QAction;
class QFileDialog;

/// Answers the modal message boxes and file dialogs that the code under test
/// opens, in the order they appear, and records what each box said.
class Repondeur : public QObject
{
    Q_OBJECT

public:
    struct Boite
    {
        QString titre;
        QString texte;
        QMessageBox::Icon icone = QMessageBox::NoIcon;
    };

    Repondeur();
    ~Repondeur() override;

    /// The next message box is answered with this button.
    void bouton(QMessageBox::StandardButton b);
    /// The next file dialog gets this file (and this filter when not empty),
    /// then is accepted; an empty file cancels it.
    void fichier(const QString &chemin, const QString &filtre = QString());

    /// Boxes seen so far, in order.
    QList<Boite> boites;
    /// Number of answers still waiting for their dialog.
    int enAttente() const { return reponses.size(); }
    /// Dialogs that appeared with no answer queued for their kind (they were
    /// closed), or that refused their answer for five seconds.
    int imprevus = 0;

private slots:
    void examiner();

private:
    struct Reponse
    {
        bool boite; ///< for a message box (else a file dialog)
        std::function<bool(QWidget *)> agir; ///< false: try again at the next look
    };
    QQueue<Reponse> reponses;
    int essais = 0;
    QTimer minuterie;
};



#include <QDir>

class MainWindow;
class GLWidget;
class QMdiSubWindow;

namespace donnees {

/// A PTS cloud of n points on a sphere of radius r about the origin
/// (a fixed spiral, so every run sees the same points).
bool ecrirePTS(const QString &chemin, int n, double r = 10.0);
/// A closed octahedron (6 vertices, 8 triangles) as OFF and as OBJ.
bool ecrireOctaedreOFF(const QString &chemin);
bool ecrireOctaedreOBJ(const QString &chemin);
/// Arbitrary bytes.
bool ecrireTexte(const QString &chemin, const QByteArray &contenu);
/// The third-party data folder, or "" when it is absent.
QString dossierDonneesPartagees();

} // namespace donnees

namespace fenetre {

/// Shows the main window and waits until it is the active window.
bool activer(MainWindow &w);
/// The document windows in creation order.
QList<QMdiSubWindow *> documents(MainWindow &w);
/// The view of a document window.
GLWidget *vue(QMdiSubWindow *f);
/// Waits until the enabling rules have enabled the action (they follow the
/// active window, which the window system may hand back late).
bool pret(MainWindow &w, QAction *a);
/// The texts of the object list.
QStringList objets(MainWindow &w);

} // namespace fenetre
#endif
