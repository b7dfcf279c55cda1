// A large cloud in the document view, as a user meets it: the time to open it (read and tree,
// off the window's thread, up to the first picture), the frames a second while the camera turns
// (a mouse drag: the cloud drawn as an even subset) and once it is still (the whole cloud), the
// peak memory in bytes a point, and how soon a stop asked during the precise fit takes effect,
// in each of its phases.
//   xvfb-run -a -s "-screen 0 1280x1024x24" ./bench/bench_grand_nuage cloud.pts [seconds turning] [stops]
// `stops`: how many fits to start and stop, each a little later than the one before (0: none).
#include "demarrage.h"
#include "glwidget.h"
#include "raisons.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

namespace {

/// The peak resident memory of the process, in bytes (VmHWM).
double memoireMaximale()
{
    std::ifstream statut("/proc/self/status");
    std::string ligne;
    while (std::getline(statut, ligne))
        if (ligne.rfind("VmHWM:", 0) == 0)
            return std::stod(ligne.substr(6)) * 1024.0;
    return 0;
}

/// The view, counting its pictures and the reduced ones.
class VueComptee : public GLWidget
{
public:
    using GLWidget::GLWidget;
    int images = 0;
    int reduites = 0;

protected:
    void paintGL() override
    {
        GLWidget::paintGL();
        ++images;
        if (imageReduite())
            ++reduites;
    }
};

void attendre(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

/// Frames drawn in `secondes` with the mouse dragging 8 pixels every 10 ms (or still).
double imagesParSeconde(VueComptee &vue, double secondes, bool tourner)
{
    const QPoint depart(vue.width() / 2, vue.height() / 2);
    if (tourner) {
        QMouseEvent appui(QEvent::MouseButtonPress, depart, vue.mapToGlobal(depart), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&vue, &appui);
    }
    const int avant = vue.images;
    QElapsedTimer t;
    t.start();
    int pas = 0;
    while (t.elapsed() < secondes * 1000) {
        if (tourner) {
            const QPoint p = depart + QPoint((++pas * 8) % 400, 0);
            QMouseEvent deplacement(QEvent::MouseMove, p, vue.mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                                    Qt::NoModifier);
            QCoreApplication::sendEvent(&vue, &deplacement);
        } else {
            vue.update();
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return (vue.images - avant) / (static_cast<double>(t.elapsed()) / 1000.0);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::cerr << "usage: bench_grand_nuage cloud.pts [seconds turning] [stops]\n";
        return 2;
    }
    const QString fichier = QString::fromLocal8Bit(argv[1]);
    const double secondes = argc > 2 ? std::stod(argv[2]) : 10.0;
    const int arrets = argc > 3 ? std::stoi(argv[3]) : 0;

    // As the application does: no multisampling where OpenGL draws in software (ECHANTILLONS=n
    // sets it by hand).
    GLWidget::echantillonsVoulus = qEnvironmentVariableIsSet("ECHANTILLONS")
                                       ? qEnvironmentVariableIntValue("ECHANTILLONS")
                                       : renduLogiciel() ? 0 : 4;
    QElapsedTimer chrono;
    chrono.start();
    VueComptee vue(fichier, QString());
    if (vue.fichierRefuse()) {
        std::cerr << "refused: " << vue.derniereErreur().toStdString() << "\n";
        return 1;
    }
    const double lu = static_cast<double>(chrono.nsecsElapsed()) / 1e9;
    vue.resize(800, 600);
    vue.show();
    while (vue.images == 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double ouvert = static_cast<double>(chrono.nsecsElapsed()) / 1e9;
    const double points = vue.getNbPts();
    vue.makeCurrent();
    const std::string rendu = reinterpret_cast<const char *>(glGetString(GL_RENDERER));
    vue.doneCurrent();

    // A first still picture makes the order of the reduced pictures, as after opening.
    attendre(500);
    const double fixe = imagesParSeconde(vue, std::min(secondes, 5.0), false);
    const int reduitesAvant = vue.reduites;
    const double tourne = imagesParSeconde(vue, secondes, true);
    const int reduites = vue.reduites - reduitesAvant;
    const double memoire = memoireMaximale();

    std::printf("cloud: %s, %.0f points; renderer: %s\n", argv[1], points, rendu.c_str());
    std::printf("open (read, tree, first picture): %.2f s (read and tree %.2f s)\n", ouvert, lu);
    std::printf("frames a second turning: %.1f (%d reduced pictures, %zu points each at the end)\n", tourne, reduites,
                vue.budgetNuageReduit);
    std::printf("frames a second still: %.1f\n", fixe);
    std::printf("peak memory: %.0f bytes, %.1f bytes a point\n", memoire, memoire / std::max(points, 1.0));

    // Stops asked during the fit, ever later: how long from the stop to the fit's end, and in
    // which phase the stop came.
    std::map<std::string, double> pire;
    for (int k = 0; k < arrets; ++k) {
        const double apres = 0.5 + 2.0 * k;
        QElapsedTimer depuis;
        depuis.start();
        QElapsedTimer arret;
        std::string phase;
        vue.placerAutourDuNuage();
        const bool fini = vue.ajustementPrecis([&](double, const Raison &etape) {
            if (arret.isValid())
                return false;
            if (static_cast<double>(depuis.elapsed()) / 1000.0 < apres)
                return true;
            phase = traduireRaison(etape).toStdString();
            arret.start();
            return false;
        });
        if (!arret.isValid()) {
            std::printf("stop after %.1f s: the fit ended first (%s)\n", apres, fini ? "done" : "failed");
            break;
        }
        const double latence = static_cast<double>(arret.nsecsElapsed()) / 1e9;
        std::printf("stop after %.1f s, in \"%s\": took effect in %.2f s\n", apres, phase.c_str(), latence);
        pire[phase] = std::max(pire[phase], latence);
    }
    double pireTout = 0;
    for (const auto &[phase, latence] : pire)
        pireTout = std::max(pireTout, latence);
    if (!pire.empty())
        std::printf("longest stop: %.2f s over %zu phases\n", pireTout, pire.size());
    std::printf("peak memory with the fits: %.1f bytes a point\n", memoireMaximale() / std::max(points, 1.0));
    GLWidget::attendreTravauxAbandonnes();
    return 0;
}
