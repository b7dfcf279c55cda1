#include "outils_qt.h"
#include "Simplex.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QSurfaceFormat>

#include <GL/gl.h>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <link.h>

#ifndef GL_MULTISAMPLE
#define GL_MULTISAMPLE 0x809D
#endif
#ifndef GL_SAMPLES
#define GL_SAMPLES 0x80A9
#endif

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

QPoint ContexteGL::pixel(double x, double y) const
{
    const double echelle = taille / (2.0 * demiLargeur);
    const int px = static_cast<int>(std::floor((x + demiLargeur) * echelle));
    const int py = static_cast<int>(std::floor((y + demiLargeur) * echelle));
    return QPoint(px, taille - 1 - py);
}

std::vector<point3> positions(const Simplex &s)
{
    std::vector<point3> r;
    for (const PointSimplex *p : s.ListePointsSimplex)
        r.push_back(p->Position);
    return r;
}

int compterCouleur(const QImage &image, int r, int g, int b)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == qRgb(r, g, b);
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

Repondeur::Repondeur()
{
    connect(&minuterie, &QTimer::timeout, this, [this]() { examiner(); });
    minuterie.start(20);
}

void Repondeur::bouton(QMessageBox::StandardButton b)
{
    reponses.enqueue({true, [this, b](QWidget *w) {
        auto *boite = qobject_cast<QMessageBox *>(w);
        boites.append({boite->windowTitle(), boite->text(), boite->icon()});
        QAbstractButton *bouton = boite->button(b) ? boite->button(b) : boite->escapeButton();
        if (bouton)
            bouton->click();
        else
            boite->done(b);
        return true;
    }});
}

void Repondeur::fichier(const QString &chemin, const QString &filtre)
{
    reponses.enqueue({false, [chemin, filtre](QWidget *w) {
        auto *dialogue = qobject_cast<QFileDialog *>(w);
        if (chemin.isEmpty()) {
            dialogue->reject();
            return true;
        }
        if (!filtre.isEmpty())
            dialogue->selectNameFilter(filtre);
        // Typed as a user would: the whole path in the name field.
        if (auto *nom = dialogue->findChild<QLineEdit *>("fileNameEdit"))
            nom->setText(QFileInfo(chemin).absoluteFilePath());
        else
            dialogue->selectFile(QFileInfo(chemin).absoluteFilePath());
        QMetaObject::invokeMethod(dialogue, "accept");
        return !dialogue->isVisible();
    }});
}

void Repondeur::examiner()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible())
        return;
    auto *boite = qobject_cast<QMessageBox *>(modal);
    if (boite == nullptr && qobject_cast<QFileDialog *>(modal) == nullptr)
        return;
    if (reponses.isEmpty() || reponses.head().boite != (boite != nullptr)) {
        ++imprevus;
        if (boite)
            boites.append({boite->windowTitle(), boite->text(), boite->icon()});
        qobject_cast<QDialog *>(modal)->reject();
        return;
    }
    if (reponses.head().agir(modal)) {
        reponses.dequeue();
        essais = 0;
    } else if (++essais > 250) {
        ++imprevus;
        qobject_cast<QDialog *>(modal)->reject();
        reponses.dequeue();
        essais = 0;
    }
}

} // namespace tarnis_test
