#include "contexte_gl.h"

#include <QDir>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include <GL/gl.h>
#include <gtest/gtest.h>

#ifndef GL_MULTISAMPLE
#define GL_MULTISAMPLE 0x809D
#endif
#ifndef GL_SAMPLES
#define GL_SAMPLES 0x80A9
#endif

#include <cmath>
#include <cstdlib>

#include "pilote_gl.h"

namespace tarnis_test {

ContexteGL::ContexteGL(int taille_, double demiLargeur_, int echantillons)
    : taille(taille_), demiLargeur(demiLargeur_)
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
    QOpenGLFramebufferObjectFormat formatTampon;
    formatTampon.setSamples(echantillons);
    tampon = std::make_unique<QOpenGLFramebufferObject>(taille, taille, formatTampon);
    pret = tampon->isValid() && tampon->bind();
    if (pret && echantillons > 0) {
        GLint obtenus = 0;
        glGetIntegerv(GL_SAMPLES, &obtenus);
        pret = obtenus > 1;
        glEnable(GL_MULTISAMPLE);
    }
}

ContexteGL::~ContexteGL()
{
    if (contexte && contexte->isValid()) {
        contexte->makeCurrent(surface.get());
        tampon.reset();
        contexte->doneCurrent();
    }
}

void ContexteGL::activer()
{
    contexte->makeCurrent(surface.get());
    tampon->bind();
}

QImage ContexteGL::dessiner(const std::function<void()> &dessin)
{
    activer();
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

QPoint ContexteGL::pixel(double x, double y) const
{
    const double echelle = taille / (2.0 * demiLargeur);
    const int px = static_cast<int>(std::floor((x + demiLargeur) * echelle));
    const int py = static_cast<int>(std::floor((y + demiLargeur) * echelle));
    return QPoint(px, taille - 1 - py);
}

int compterCouleur(const QImage &image, int r, int g, int b)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qRed(c) == r && qGreen(c) == g && qBlue(c) == b)
                ++n;
        }
    return n;
}

int compterAllumes(const QImage &image)
{
    return image.width() * image.height() - compterCouleur(image, 0, 0, 0);
}

void sauverArtefact(const QImage &image, const QString &nom)
{
    QDir().mkpath(QStringLiteral(TARNIS_ARTEFACTS_DIR));
    image.save(QStringLiteral(TARNIS_ARTEFACTS_DIR "/") + nom + QStringLiteral(".png"));
}

} // namespace tarnis_test

int main(int argc, char **argv)
{
    // Without a display the tests skip (no OpenGL context can be made offscreen here).
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    tarnis_test::garderPiloteOpenGL();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
