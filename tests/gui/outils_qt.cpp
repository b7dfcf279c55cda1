#include "outils_qt.h"
#include "Simplex.h"

#include <QAbstractButton>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include <GL/gl.h>
#include <cstring>
#include <dlfcn.h>
#include <link.h>

namespace tarnis_test {

namespace {

int garder(struct dl_phdr_info *info, size_t, void *)
{
    const char *nom = info->dlpi_name;
    if (nom && (std::strstr(nom, "_dri.so") || std::strstr(nom, "libGLX_mesa")))
        dlopen(nom, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

} // namespace

void garderPiloteOpenGL()
{
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext contexte;
    if (!surface.isValid() || !contexte.create() || !contexte.makeCurrent(&surface))
        return;
    dl_iterate_phdr(garder, nullptr);
    contexte.doneCurrent();
}

ContexteGL::ContexteGL(int taille_, double demiLargeur_) : taille(taille_), demiLargeur(demiLargeur_)
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    surface = std::make_unique<QOffscreenSurface>();
    surface->setFormat(format);
    surface->create();
    contexte = std::make_unique<QOpenGLContext>();
    contexte->setFormat(format);
    if (!surface->isValid() || !contexte->create() || !contexte->makeCurrent(surface.get()))
        return;
    tampon = std::make_unique<QOpenGLFramebufferObject>(taille, taille);
    pret = tampon->isValid() && tampon->bind();
}

ContexteGL::~ContexteGL()
{
    if (contexte && contexte->isValid()) {
        contexte->makeCurrent(surface.get());
        tampon.reset();
        contexte->doneCurrent();
    }
}

QImage ContexteGL::dessiner(const std::function<void()> &dessin)
{
    contexte->makeCurrent(surface.get());
    tampon->bind();
    glViewport(0, 0, taille, taille);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-demiLargeur, demiLargeur, -demiLargeur, demiLargeur, -100.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glColor3f(1.0f, 1.0f, 1.0f);
    glPointSize(1.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    dessin();
    glFinish();
    return tampon->toImage().convertToFormat(QImage::Format_RGB32);
}

int compterCouleur(const QImage &image, int r, int g, int b)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == qRgb(r, g, b);
    return n;
}

Repondeur::Repondeur()
{
    connect(&minuterie, &QTimer::timeout, this, [this]() { examiner(); });
    minuterie.start(20);
}

void Repondeur::bouton(QMessageBox::StandardButton b)
{
    reponses.enqueue(b);
}

void Repondeur::examiner()
{
    auto *boite = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (boite == nullptr || !boite->isVisible())
        return;
    boites.append({boite->windowTitle(), boite->text(), boite->icon()});
    if (reponses.isEmpty()) {
        ++imprevus;
        boite->reject();
        return;
    }
    const QMessageBox::StandardButton b = reponses.dequeue();
    if (QAbstractButton *bouton = boite->button(b) ? boite->button(b) : boite->escapeButton())
        bouton->click();
    else
        boite->done(b);
}

bool GestionnaireFenetres::demarrer()
{
    processus.start(QStringLiteral("openbox"), {});
    if (!processus.waitForStarted())
        return false;
    QTest::qWait(1000);
    return true;
}

GestionnaireFenetres::~GestionnaireFenetres()
{
    processus.terminate();
    processus.waitForFinished(5000);
}

bool activer(QWidget *fenetre)
{
    return QTest::qWaitFor(
        [&]() {
            fenetre->activateWindow();
            return QApplication::activeWindow() == fenetre;
        },
        5000);
}

} // namespace tarnis_test
