// Drawing, camera and input of the view.
#include "glwidget.h"

#include "MaillageGL.h"
#include "SimplexGL.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLFramebufferObject>

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <exception>

#ifndef GL_MULTISAMPLE
#define GL_MULTISAMPLE 0x809D
#endif
#ifndef GL_SAMPLES
#define GL_SAMPLES 0x80A9
#endif

namespace {

/// Mixes values into a 64-bit fingerprint (four independent lanes for the long lists).
class Empreinte
{
public:
    void ajouter(std::uint64_t v) { voies[0] = (voies[0] ^ v) * premier; }
    void ajouter(double d)
    {
        std::uint64_t v;
        std::memcpy(&v, &d, sizeof v);
        ajouter(v);
    }
    void ajouter(const std::vector<point3> &points)
    {
        const std::size_t n = points.size() * 3;
        const double *d = n ? &points[0].x : nullptr;
        std::uint64_t v[4];
        std::size_t i = 0;
        for (; i + 4 <= n; i += 4) {
            std::memcpy(v, d + i, sizeof v);
            for (int k = 0; k < 4; ++k)
                voies[k] = (voies[k] ^ v[k]) * premier;
        }
        for (; i < n; ++i)
            ajouter(d[i]);
        ajouter(static_cast<std::uint64_t>(points.size()));
    }
    std::uint64_t valeur() const
    {
        std::uint64_t h = voies[0];
        for (int k = 1; k < 4; ++k)
            h = (h ^ voies[k]) * premier;
        return h;
    }

private:
    static constexpr std::uint64_t premier = 1099511628211ull;
    std::uint64_t voies[4] = {1469598103934665603ull, 7809847782465536322ull, 2166136261ull, 14695981039346656037ull};
};

} // namespace

QRect GLWidget::calculViewport(int width, int height, bool conservProp)
{
    if (!conservProp)
        return QRect(0, 0, width, height);
    const int cote = std::min(width, height);
    return QRect((width - cote) / 2, (height - cote) / 2, cote, cote);
}

int GLWidget::normaliserAngle(int angle)
{
    while (angle < 0)
        angle += 360 * 16;
    while (angle > 360 * 16)
        angle -= 360 * 16;
    return angle;
}

void GLWidget::initializeGL()
{
    glEnable(GL_MULTISAMPLE);
    // The kept cloud layer belongs to the context: it goes with it (a new parent makes a new one).
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &GLWidget::libererGL, Qt::UniqueConnection);
}

void GLWidget::libererGL()
{
    if (!coucheNuage)
        return;
    makeCurrent();
    coucheNuage.reset();
    doneCurrent();
}

void GLWidget::resizeGL(int width, int height)
{
    const qreal ratio = devicePixelRatioF();
    setupViewport(static_cast<int>(width * ratio), static_cast<int>(height * ratio));
}

void GLWidget::setupViewport(int width, int height)
{
    viewport = calculViewport(width, std::max(height, 1), conservProp);
    glViewport(viewport.x(), viewport.y(), viewport.width(), viewport.height());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-zoom, zoom, -zoom, zoom, -1500.0, 1500.0);
    glMatrixMode(GL_MODELVIEW);
}

void GLWidget::animate()
{
    update();
}

void GLWidget::paintGL()
{
    const qreal ratio = devicePixelRatioF();
    if (affichGraf) {
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        setupViewport(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, -10.0f);
        glRotatef(xRot * 0.0625f, 1.0f, 0.0f, 0.0f);
        glRotatef(yRot * 0.0625f, 0.0f, 1.0f, 0.0f);
        glRotatef(zRot * 0.0625f, 0.0f, 0.0f, 1.0f);
        try {
            drawScene();
        } catch (const std::exception &e) {
            echec(QStringLiteral("Le dessin a échoué : %1").arg(QString::fromLocal8Bit(e.what())));
        }
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
    }
    // Without drawing the framebuffer is left as it was: the last picture stays on screen.
    if (boucleDeform && !deformationMaillage(1))
        boucleDeform = false;
}

void GLWidget::dessinerNuage()
{
    const std::vector<point3> &nuage = instanceMaillage->ListePointsInterets;
    if (nuage.size() < seuilCoucheNuage || nuage.empty() || !QOpenGLFramebufferObject::hasOpenGLFramebufferBlit()) {
        instanceMaillage->afficherPtInteret(0);
        return;
    }

    // The framebuffer holds only the clear colour here: with the cloud drawn on it, it is the
    // layer. Its fingerprint: what decides where the points fall, and the points themselves.
    GLint echantillons = 0;
    glGetIntegerv(GL_SAMPLES, &echantillons);
    const QSize taille(static_cast<int>(width() * devicePixelRatioF()),
                       static_cast<int>(height() * devicePixelRatioF()));
    Empreinte e;
    for (int v : {xRot, yRot, zRot, viewport.x(), viewport.y(), viewport.width(), viewport.height(), taille.width(),
                  taille.height(), static_cast<int>(echantillons)})
        e.ajouter(static_cast<std::uint64_t>(static_cast<std::uint32_t>(v)));
    e.ajouter(static_cast<double>(zoom));
    e.ajouter(nuage);
    const std::uint64_t cle = e.valeur();
    const QRect tout(QPoint(0, 0), taille);

    if (coucheNuage && cle == cleCoucheNuage && coucheNuage->size() == taille) {
        QOpenGLFramebufferObject::blitFramebuffer(nullptr, tout, coucheNuage.get(), tout, GL_COLOR_BUFFER_BIT,
                                                  GL_NEAREST);
        // The state the cloud's drawing leaves behind, which the mesh's drawing may rely on.
        glPointSize(4.0f);
        glColor3f(0.0f, 0.0f, 1.0f);
        if (glGetError() == GL_NO_ERROR)
            return;
        // The copy did not happen: draw the cloud, and keep no layer from now on.
        coucheNuage.reset();
        seuilCoucheNuage = static_cast<std::size_t>(-1);
        instanceMaillage->afficherPtInteret(0);
        return;
    }

    instanceMaillage->afficherPtInteret(0);
    if (!coucheNuage || coucheNuage->size() != taille || coucheNuage->format().samples() != echantillons) {
        QOpenGLFramebufferObjectFormat format;
        format.setSamples(echantillons);
        coucheNuage = std::make_unique<QOpenGLFramebufferObject>(taille, format);
        context()->functions()->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
        if (!coucheNuage->isValid() || coucheNuage->format().samples() != echantillons) {
            coucheNuage.reset();
            seuilCoucheNuage = static_cast<std::size_t>(-1);
            return;
        }
    }
    QOpenGLFramebufferObject::blitFramebuffer(coucheNuage.get(), tout, nullptr, tout, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    cleCoucheNuage = glGetError() == GL_NO_ERROR ? cle : cle + 1;
}

void GLWidget::drawScene()
{
    glPushMatrix();
    if (coupe == 0 && affichePT)
        dessinerNuage();
    instanceSimplex->afficher(modeDisplayMaille);
    if (coupe == 1)
        coupeX->afficherPtInteret(0);
    else if (coupe == 2)
        coupeY->afficherPtInteret(0);
    else if (coupe == 3)
        coupeZ->afficherPtInteret(0);

    glBegin(GL_LINES);
    glColor3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 20.0f, 0.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 20.0f);
    glColor3f(1.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(20.0f, 0.0f, 0.0f);
    glEnd();
    glPopMatrix();
}

void GLWidget::setXRotation(int angle)
{
    angle = normaliserAngle(angle);
    if (angle != xRot)
        xRot = angle;
}

void GLWidget::setYRotation(int angle)
{
    angle = normaliserAngle(angle);
    if (angle != yRot)
        yRot = angle;
}

void GLWidget::setZRotation(int angle)
{
    angle = normaliserAngle(angle);
    if (angle != zRot)
        zRot = angle;
}

void GLWidget::Zoom(float increment)
{
    if (zoom > 0)
        zoom = zoom + increment;
    else
        zoom = zoom - increment;
}

void GLWidget::mousePressEvent(QMouseEvent *event)
{
    lastPos = event->position().toPoint();
}

void GLWidget::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const int dx = pos.x() - lastPos.x();
    const int dy = pos.y() - lastPos.y();
    if (event->buttons() & Qt::LeftButton) {
        setXRotation(xRot + 8 * dy);
        setYRotation(yRot + 8 * dx);
    } else if (event->buttons() & Qt::RightButton) {
        setXRotation(xRot + 8 * dy);
        setZRotation(zRot + 8 * dx);
    }
    lastPos = pos;
}

void GLWidget::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    char axe = 0;
    double pas = pasDeplacement;
    switch (event->key()) {
    case Qt::Key_W:
        axe = 'x';
        break;
    case Qt::Key_X:
        axe = 'x';
        pas = -pas;
        break;
    case Qt::Key_C:
        axe = 'y';
        break;
    case Qt::Key_V:
        axe = 'y';
        pas = -pas;
        break;
    case Qt::Key_B:
        axe = 'z';
        break;
    case Qt::Key_N:
        axe = 'z';
        pas = -pas;
        break;
    default:
        return;
    }
    try {
        if (deplaceSimplex) {
            instanceSimplex->deplacer(axe, pas);
            triangulationAJour = false;
            return;
        }
        instanceMaillage->translaterPointsInterets(axe, pas);
    } catch (const std::exception &e) {
        echec(QStringLiteral("Le déplacement a échoué : %1").arg(QString::fromLocal8Bit(e.what())));
        return;
    }
    if (coupe != 0)
        calculCoupes();
    remplisKDTree();
}

void GLWidget::showEvent(QShowEvent *event)
{
    QOpenGLWidget::showEvent(event);
}
