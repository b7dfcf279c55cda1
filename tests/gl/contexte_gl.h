#ifndef TARNIS_CONTEXTE_GL_H
#define TARNIS_CONTEXTE_GL_H

#include <QImage>
#include <QString>

#include <functional>
#include <memory>

class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLFramebufferObject;

namespace tarnis_test {

/// An offscreen OpenGL compatibility context drawing into a framebuffer of taille x taille pixels,
/// without multisampling unless echantillons is above 0 (pictures are compared pixel for pixel). The projection is orthographic,
/// x and y from -demiLargeur to demiLargeur, the model-view matrix the identity; the colour,
/// point size and polygon modes are reset to OpenGL's defaults before each drawing.
class ContexteGL
{
public:
    explicit ContexteGL(int taille = 64, double demiLargeur = 10.0, int echantillons = 0);
    ~ContexteGL();

    /// False when no context could be made (no display): the test should skip.
    bool valide() const { return pret; }
    /// Clears to black, resets the state, runs dessin, and returns the picture (top row first).
    QImage dessiner(const std::function<void()> &dessin);
    /// Pixel of the drawing for a point of the scene (x, y), as the projection maps it.
    QPoint pixel(double x, double y) const;
    /// Makes the context current again (to read state after a drawing).
    void activer();

private:
    std::unique_ptr<QOffscreenSurface> surface;
    std::unique_ptr<QOpenGLContext> contexte;
    std::unique_ptr<QOpenGLFramebufferObject> tampon;
    int taille;
    double demiLargeur;
    bool pret = false;
};

/// Number of pixels whose colour is exactly (r, g, b).
int compterCouleur(const QImage &image, int r, int g, int b);
/// Number of pixels that are not black.
int compterAllumes(const QImage &image);
/// Saves the picture in the artefacts folder of the build under the given name (.png).
void sauverArtefact(const QImage &image, const QString &nom);

} // namespace tarnis_test

#endif
