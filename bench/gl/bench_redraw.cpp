// Redraw of a 1M-point cloud with a 20k-point simplex mesh in wire frame, 800 x 600, 4 samples.
//   xvfb-run -a -s "-screen 0 1280x1024x24" ./bench/bench_redraw
// Prints frames per second for the drawing through vertex arrays and for the same scene sent one
// primitive per point and per edge (immediate mode), both offscreen; then for the view on screen
// repainted by its 25 ms timer (40 frames per second at most) with the camera turning (the cloud
// drawn as an even subset), with the camera still (the cloud's kept layer) and during the continuous
// deformation, with the time spent in each repaint; then the ratios against immediate mode.
#include "MaillageGL.h"
#include "SimplexGL.h"
#include "glwidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWindow>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <stdexcept>

namespace {

const int largeur = 800;
const int hauteur = 600;
const int nbNuage = 1000000;

/// Icosahedron split `niveaux` times, on the sphere of the given radius (faces outward).
void icosphere(int niveaux, double rayon, std::vector<point3> &s, std::vector<Face> &f)
{
    const double t = (1.0 + std::sqrt(5.0)) / 2.0;
    s = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
         {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    f = {{0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
         {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
         {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    for (int n = 0; n < niveaux; ++n) {
        std::map<std::pair<int, int>, int> milieux;
        auto milieu = [&](int a, int b) {
            const auto cle = std::minmax(a, b);
            auto it = milieux.find(cle);
            if (it != milieux.end())
                return it->second;
            s.emplace_back((s[a].x + s[b].x) / 2, (s[a].y + s[b].y) / 2, (s[a].z + s[b].z) / 2);
            milieux[cle] = int(s.size()) - 1;
            return int(s.size()) - 1;
        };
        std::vector<Face> g;
        for (const Face &x : f) {
            const int ab = milieu(x.s1, x.s2), bc = milieu(x.s2, x.s3), ca = milieu(x.s3, x.s1);
            g.push_back({x.s1, ab, ca});
            g.push_back({x.s2, bc, ab});
            g.push_back({x.s3, ca, bc});
            g.push_back({ab, bc, ca});
        }
        f = g;
    }
    for (point3 &p : s) {
        const double n = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        p = point3(p.x * rayon / n, p.y * rayon / n, p.z * rayon / n);
    }
}

std::vector<point3> nuageSphere(int n)
{
    std::mt19937 gen(20261206);
    std::normal_distribution<double> g(0.0, 1.0);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<point3> points;
    points.reserve(n);
    for (int i = 0; i < n; ++i) {
        double x = g(gen), y = g(gen), z = g(gen);
        const double r = 80.0 * (0.9 + 0.1 * u(gen)) / std::sqrt(x * x + y * y + z * z);
        points.emplace_back(x * r, y * r, z * r);
    }
    return points;
}

struct Scene
{
    MaillageGL nuage;
    SimplexGL simplex;
};

Scene &scene()
{
    static Scene *s = [] {
        auto *sc = new Scene;
        sc->nuage.ListePointsInterets = nuageSphere(nbNuage);
        std::vector<point3> sommets;
        std::vector<Face> faces;
        icosphere(5, 70.0, sommets, faces); // 20480 faces: as many simplex points
        sc->simplex.maillageOrigine = Maillage(sommets, faces);
        if (const Resultat r = sc->simplex.convertirTriangles(); !r)
            throw std::runtime_error(r.texte());
        return sc;
    }();
    return *s;
}

/// Offscreen multisampled framebuffer of the view's size.
struct Contexte
{
    Contexte()
    {
        QSurfaceFormat format;
        format.setProfile(QSurfaceFormat::CompatibilityProfile);
        format.setVersion(2, 1);
        surface.setFormat(format);
        surface.create();
        contexte.setFormat(format);
        ok = contexte.create() && contexte.makeCurrent(&surface);
        if (!ok)
            return;
        QOpenGLFramebufferObjectFormat f;
        f.setSamples(4);
        f.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
        tampon = std::make_unique<QOpenGLFramebufferObject>(largeur, hauteur, f);
        ok = tampon->bind();
    }
    QOffscreenSurface surface;
    QOpenGLContext contexte;
    std::unique_ptr<QOpenGLFramebufferObject> tampon;
    bool ok = false;
};

void camera()
{
    glViewport((largeur - hauteur) / 2, 0, hauteur, hauteur);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-100, 100, -100, 100, -1500, 1500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -10);
    glRotatef(30, 1, 0, 0);
    glRotatef(20, 0, 1, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

/// The same picture, one primitive per point and per edge, coordinates narrowed at each call.
void dessinImmediat(Scene &s)
{
    glPointSize(4);
    glColor3f(0, 0, 1);
    for (const point3 &p : s.nuage.ListePointsInterets) {
        glBegin(GL_POINTS);
        glVertex3f(float(p.x), float(p.y), float(p.z));
        glEnd();
    }
    for (const PointSimplex *p : s.simplex.ListePointsSimplex) {
        glColor3f(1, 1, 1);
        glPolygonMode(GL_FRONT, GL_FILL);
        glBegin(GL_LINES);
        for (const PointSimplex *v : {p->Voisin1, p->Voisin2, p->Voisin3}) {
            if (!v)
                continue;
            glVertex3f(float(p->Position.x), float(p->Position.y), float(p->Position.z));
            glVertex3f(float(v->Position.x), float(v->Position.y), float(v->Position.z));
        }
        glEnd();
    }
}

void BM_Tableaux(benchmark::State &etat)
{
    Scene &s = scene();
    Contexte c;
    if (!c.ok) {
        etat.SkipWithError("pas de contexte OpenGL");
        return;
    }
    for (auto _ : etat) {
        camera();
        s.nuage.afficherPtInteret(0);
        s.simplex.afficher(1);
        glFinish();
    }
    etat.counters["fps"] = benchmark::Counter(double(etat.iterations()), benchmark::Counter::kIsRate);
}

void BM_Immediat(benchmark::State &etat)
{
    Scene &s = scene();
    Contexte c;
    if (!c.ok) {
        etat.SkipWithError("pas de contexte OpenGL");
        return;
    }
    for (auto _ : etat) {
        camera();
        dessinImmediat(s);
        glFinish();
    }
    etat.counters["fps"] = benchmark::Counter(double(etat.iterations()), benchmark::Counter::kIsRate);
}

/// The view, counting its repaints and the time spent in them (drawing finished included).
class VueComptee : public GLWidget
{
public:
    int peintures = 0;
    qint64 nanosecondes = 0;
    bool tourner = false;

protected:
    void paintGL() override
    {
        if (tourner)
            setYRotation(yRot + 8);
        QElapsedTimer chrono;
        chrono.start();
        GLWidget::paintGL();
        glFinish();
        nanosecondes += chrono.nsecsElapsed();
        ++peintures;
    }
};

/// A shown view holding the scene, repainted by its own 25 ms timer as in the application.
std::unique_ptr<VueComptee> vueDeLaScene()
{
    Scene &s = scene();
    auto vue = std::make_unique<VueComptee>();
    vue->instanceMaillage->ListePointsInterets = s.nuage.ListePointsInterets;
    vue->remplisKDTree();
    vue->instanceSimplex->maillageOrigine = s.simplex.maillageOrigine;
    if (const Resultat r = vue->instanceSimplex->convertirTriangles(); !r)
        throw std::runtime_error(r.texte());
    vue->setXRotation(30 * 16);
    vue->setYRotation(20 * 16);
    vue->resize(largeur, hauteur);
    vue->show();
    QElapsedTimer attente;
    attente.start();
    while (attente.elapsed() < 20000 && vue->peintures < 2)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    vue->peintures = 0;
    vue->nanosecondes = 0;
    return vue;
}

/// Asks for a picture and runs the event loop until the view has painted once more (the view's
/// own timer draws nothing while the scene stays the same).
void imageSuivante(VueComptee &vue)
{
    vue.update();
    const int avant = vue.peintures;
    while (vue.peintures == avant)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void compteurs(benchmark::State &etat, const VueComptee &vue)
{
    etat.counters["fps"] = benchmark::Counter(double(etat.iterations()), benchmark::Counter::kIsRate);
    if (vue.peintures > 0)
        etat.counters["ms_paintGL"] = vue.nanosecondes / 1e6 / vue.peintures;
}

/// The camera still (what the timer repaints while nothing moves).
void BM_VueFixe(benchmark::State &etat)
{
    auto vue = vueDeLaScene();
    for (auto _ : etat)
        imageSuivante(*vue);
    compteurs(etat, *vue);
}

/// The camera turning by one step at every repaint (a mouse drag): the cloud is drawn reduced.
void BM_VueRotation(benchmark::State &etat)
{
    auto vue = vueDeLaScene();
    vue->tourner = true;
    for (auto _ : etat)
        imageSuivante(*vue);
    vue->tourner = false;
    compteurs(etat, *vue);
}

/// The continuous deformation: every repaint draws the scene and runs one deformation step.
void BM_VueDeformation(benchmark::State &etat)
{
    auto vue = vueDeLaScene();
    vue->setBoucleDeform(true);
    for (auto _ : etat)
        imageSuivante(*vue);
    vue->setBoucleDeform(false);
    compteurs(etat, *vue);
}

BENCHMARK(BM_Tableaux)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_Immediat)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_VueFixe)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_VueRotation)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_VueDeformation)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

/// Console output as usual, and the time per frame of each run kept for the ratios.
class Rapporteur : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            if (!r.error_occurred && r.iterations > 0)
                secondesParImage[r.benchmark_name()] = r.real_accumulated_time / double(r.iterations);
    }
    std::map<std::string, double> secondesParImage;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    Rapporteur rapporteur;
    benchmark::RunSpecifiedBenchmarks(&rapporteur);
    benchmark::Shutdown();

    auto &t = rapporteur.secondesParImage;
    auto temps = [&](const char *nom) {
        const auto it = t.find(std::string(nom) + "/min_time:3.000/real_time");
        return it == t.end() ? 0.0 : it->second;
    };
    std::cout << "\nScene: " << nbNuage << " cloud points, " << scene().simplex.getNbPointsSimplex()
              << " simplex points in wire frame, " << largeur << " x " << hauteur << ", 4 samples\n";
    for (const char *nom : {"BM_Immediat", "BM_Tableaux", "BM_VueRotation", "BM_VueFixe", "BM_VueDeformation"})
        if (temps(nom) > 0)
            std::cout << "  " << nom << ": " << 1.0 / temps(nom) << " frames per second\n";
    const double imm = temps("BM_Immediat");
    for (const char *nom : {"BM_Tableaux", "BM_VueRotation", "BM_VueFixe", "BM_VueDeformation"})
        if (imm > 0 && temps(nom) > 0)
            std::cout << "  " << nom << " against one primitive per element: " << imm / temps(nom) << "x as fast\n";
    return 0;
}
