// Drawing, camera and input of the view.
#include "glwidget.h"

#include "MaillageGL.h"
#include "SimplexGL.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <GL/gl.h>

#include <algorithm>
#include <exception>

#ifndef GL_MULTISAMPLE
#define GL_MULTISAMPLE 0x809D
#endif

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

void GLWidget::drawScene()
{
    glPushMatrix();
    if (coupe == 0 && affichePT)
        instanceMaillage->afficherPtInteret(0);
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
    case Qt::Key_W: axe = 'x'; break;
    case Qt::Key_X: axe = 'x'; pas = -pas; break;
    case Qt::Key_C: axe = 'y'; break;
    case Qt::Key_V: axe = 'y'; pas = -pas; break;
    case Qt::Key_B: axe = 'z'; break;
    case Qt::Key_N: axe = 'z'; pas = -pas; break;
    default: return;
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
