#ifndef TARNIS_OUTILS_QT_H
#define TARNIS_OUTILS_QT_H

// Support shared by the tests of the drawing layer, the view and the application: an offscreen
// OpenGL context, pictures, and an answerer for the modal dialogs.

#include <QApplication>
#include <QImage>
#include <QMessageBox>
#include <QProcess>
#include <QQueue>
#include <QStandardPaths>
#include <QString>
#include <QTest>
#include <QTimer>

#include "point3.h"

#include <functional>
#include <memory>
#include <vector>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;
class Simplex;

namespace tarnis_test {

/// Loads the OpenGL driver and keeps it mapped until the process ends, so that the leak check at
/// exit can name the driver's own blocks. Does nothing without a display.
void garderPiloteOpenGL();

/// An offscreen OpenGL compatibility context drawing into a taille x taille framebuffer;
/// orthographic projection over [-demiLargeur, demiLargeur], OpenGL's default colour, point size
/// and polygon modes before each drawing.
class ContexteGL
{
public:
    explicit ContexteGL(int taille = 64, double demiLargeur = 10.0);
    ~ContexteGL();
    bool valide() const { return pret; }
    /// Clears to black, resets the state, runs dessin, returns the picture (top row first).
    QImage dessiner(const std::function<void()> &dessin);

private:
    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> contexte;
    std::unique_ptr<QOpenGLFramebufferObject> tampon;
    int taille;
    double demiLargeur;
    bool pret = false;
};

int compterCouleur(const QImage &image, int r, int g, int b);

/// Answers the modal message boxes that the code under test opens, in order,
/// and records what each box said. One that nobody expected is closed and counted, so that a test
/// fails instead of hanging.
class Repondeur : public QObject
{
public:
    struct Boite
    {
        QString titre, texte;
        QMessageBox::Icon icone = QMessageBox::NoIcon;
    };
    Repondeur();
    /// The next message box is answered with this button.
    void bouton(QMessageBox::StandardButton b = QMessageBox::Ok);

    QList<Boite> boites;
    int imprevus = 0;

private:
    void examiner();
    QQueue<QMessageBox::StandardButton> reponses;
    QTimer minuterie;
};

/// A window manager (openbox) for the life of the object, so that the focus moves between
/// top-level windows as a user moves it; false from demarrer() when there is none.
class GestionnaireFenetres
{
public:
    bool demarrer();
    ~GestionnaireFenetres();

private:
    QProcess processus;
};

/// Asks for fenetre to be the active window until it is (at most 5 s).
bool activer(QWidget *fenetre);

} // namespace tarnis_test

void initialiserRessources();

/// main() of a widget test: the toolkit's own dialogs (answerable), numbers in the C locale, the
/// compiled-in pictures, the OpenGL driver kept loaded.
#define TARNIS_QTEST_MAIN(Classe)                                                                                      \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);                                                       \
        QLocale::setDefault(QLocale::c());                                                                             \
        QStandardPaths::setTestModeEnabled(true); /* never the user's own settings */                                  \
        QApplication app(argc, argv);                                                                                  \
        initialiserRessources();                                                                                       \
        tarnis_test::garderPiloteOpenGL();                                                                             \
        Classe test;                                                                                                   \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }

#endif
