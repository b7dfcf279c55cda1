// Drawing, camera and input of the view.
#include "glwidget.h"

#include "Boite.h"
#include "Morton.h"

#include "MaillageGL.h"
#include "SimplexGL.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLFramebufferObject>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <utility>

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
    /// Size, place in memory and about `echantillons` points taken evenly: a cheap fingerprint
    /// for lists that are replaced or moved as a whole.
    void ajouterEchantillon(const std::vector<point3> &points, std::size_t echantillons)
    {
        ajouter(static_cast<std::uint64_t>(points.size()));
        ajouter(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(points.data())));
        if (points.empty())
            return;
        const std::size_t pas = std::max<std::size_t>(1, points.size() / echantillons);
        for (std::size_t i = 0; i < points.size(); i += pas)
            ajouterPoint(points[i]);
        ajouterPoint(points.back());
    }
    void ajouterPoint(const point3 &p)
    {
        ajouter(p.x);
        ajouter(p.y);
        ajouter(p.z);
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

/// v turned as the camera turns it: xRot, then yRot, then zRot (sixteenths of a degree), the
/// matrix product glRotate builds.
point3 tourner(point3 v, int xRot, int yRot, int zRot)
{
    const double pi = 3.14159265358979323846;
    const double c = std::cos(zRot / 16.0 * pi / 180.0), s = std::sin(zRot / 16.0 * pi / 180.0);
    v = point3(c * v.x - s * v.y, s * v.x + c * v.y, v.z);
    const double cy = std::cos(yRot / 16.0 * pi / 180.0), sy = std::sin(yRot / 16.0 * pi / 180.0);
    v = point3(cy * v.x + sy * v.z, v.y, -sy * v.x + cy * v.z);
    const double cx = std::cos(xRot / 16.0 * pi / 180.0), sx = std::sin(xRot / 16.0 * pi / 180.0);
    return point3(v.x, cx * v.y - sx * v.z, sx * v.y + cx * v.z);
}

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
    // The view volume is deep enough for the framed scene, whatever its unit.
    const double profondeur = std::max(1500.0, 4.0 * rayonVue + 40.0);
    glOrtho(-zoom, zoom, -zoom, zoom, -profondeur, profondeur);
    glMatrixMode(GL_MODELVIEW);
}

void GLWidget::animate()
{
    // An unchanged scene is not drawn again; a reduced picture is followed by the whole one.
    if (boucleDeform || derniereImageReduite || coucheIncomplete || signatureScene() != signatureDessinee)
        update();
    // Whatever changed the mesh or the cloud, the document's mark follows it here.
    if (estModifie() != modifieAnnonce)
        emit modificationChangee(modifieAnnonce = !modifieAnnonce);
}

std::uint64_t GLWidget::signatureDocument() const
{
    Empreinte e;
    e.ajouter(signatureMaillage());
    e.ajouter(static_cast<std::uint64_t>(instanceSimplex->ListeMailles.size()));
    e.ajouter(signatureNuage());
    return e.valeur();
}

bool GLWidget::estModifie() const
{
    return signatureDocument() != signatureEnregistree;
}

void GLWidget::marquerEnregistre()
{
    historique.setClean();
    signatureEnregistree = signatureDocument();
    if (modifieAnnonce)
        emit modificationChangee(modifieAnnonce = false);
}

std::uint64_t GLWidget::signatureCamera() const
{
    Empreinte e;
    for (int v : {xRot, yRot, zRot, width(), height(), static_cast<int>(conservProp)})
        e.ajouter(static_cast<std::uint64_t>(static_cast<std::uint32_t>(v)));
    e.ajouter(static_cast<double>(zoom));
    e.ajouterPoint(centreVue);
    e.ajouter(rayonVue);
    return e.valeur();
}

std::uint64_t GLWidget::signatureNuage() const
{
    Empreinte e;
    e.ajouterEchantillon(instanceMaillage->ListePointsInterets, 4096);
    return e.valeur();
}

std::uint64_t GLWidget::signatureMaillage() const
{
    // The mesh is small beside the cloud: every point counts.
    Empreinte e;
    if (ajustementEnCours) {
        e.ajouter(static_cast<std::uint64_t>(maillageFige.size()));
        for (const point3 &p : maillageFige)
            e.ajouterPoint(p);
        return e.valeur();
    }
    e.ajouter(static_cast<std::uint64_t>(instanceSimplex->ListePointsSimplex.size()));
    for (const PointSimplex *p : instanceSimplex->ListePointsSimplex)
        if (p)
            e.ajouterPoint(p->Position);
    return e.valeur();
}

bool GLWidget::figuresAJour() const
{
    return figuresAjustement.valide && figuresAjustement.maillage == signatureMaillage() &&
           !nuageChangeDepuisFigures();
}

bool GLWidget::nuageChangeDepuisFigures() const
{
    return figuresAjustement.valide && figuresAjustement.nuage != signatureNuage();
}

std::uint64_t GLWidget::signatureScene() const
{
    Empreinte e;
    e.ajouter(signatureCamera());
    e.ajouter(signatureNuage());
    for (int v : {modeDisplayMaille, coupe, static_cast<int>(affichePT), static_cast<int>(affichGraf),
                  static_cast<int>(ombrage), static_cast<int>(estTriangule)})
        e.ajouter(static_cast<std::uint64_t>(static_cast<std::uint32_t>(v)));
    e.ajouter(signatureMaillage());
    if (!ajustementEnCours) {
        e.ajouter(static_cast<std::uint64_t>(instanceSimplex->ListeMailles.size()));
        e.ajouterEchantillon(instanceSimplex->maillageTriangule.listeSommets, 4096);
        e.ajouter(static_cast<std::uint64_t>(instanceSimplex->maillageTriangule.listeFaces.size()));
    }
    for (const MaillageGL *c : {coupeX.get(), coupeY.get(), coupeZ.get()})
        e.ajouterEchantillon(c->ListePointsInterets, 256);
    return e.valeur();
}

void GLWidget::appliquerCamera()
{
    glLoadIdentity();
    // The framed scene lies wholly in front of the eye, so that its depth reads from near to far.
    glTranslated(0.0, 0.0, -10.0 - rayonVue);
    glRotatef(static_cast<float>(xRot) * 0.0625f, 1.0f, 0.0f, 0.0f);
    glRotatef(static_cast<float>(yRot) * 0.0625f, 0.0f, 1.0f, 0.0f);
    glRotatef(static_cast<float>(zRot) * 0.0625f, 0.0f, 0.0f, 1.0f);
    glTranslated(-centreVue.x, -centreVue.y, -centreVue.z);
}

void GLWidget::paintGL()
{
    const qreal ratio = devicePixelRatioF();
    if (affichGraf) {
        QElapsedTimer chrono;
        chrono.start();
        signatureDessinee = signatureScene();
        const std::uint64_t camera = signatureCamera();
        // The camera moved since the last picture: the cloud may be drawn reduced.
        const bool bouge = peintures > 0 && camera != cameraDessinee;
        cameraDessinee = camera;
        derniereImageReduite =
            bouge && coupe == 0 && affichePT && instanceMaillage->ListePointsInterets.size() >= seuilNuageReduit;
        ++peintures;
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        setupViewport(static_cast<int>(width() * ratio), static_cast<int>(height() * ratio));
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        appliquerCamera();
        try {
            drawScene();
        } catch (const std::exception &e) {
            echec(tr("Le dessin a échoué : %1").arg(QString::fromLocal8Bit(e.what())));
        }
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        // The order of the reduced pictures is made while the camera is still, after a whole
        // picture (which takes longer anyway), so that the first move does not wait for it.
        if (!derniereImageReduite && instanceMaillage->ListePointsInterets.size() >= seuilNuageReduit)
            preparerNuageReduit();
        if (derniereImageReduite) {
            // The next subset is sized from the time this picture took, aiming at 20 ms.
            glFinish();
            const double ms = std::max(1.0, static_cast<double>(chrono.nsecsElapsed()) / 1e6);
            const double tout = static_cast<double>(instanceMaillage->ListePointsInterets.size());
            const double n = static_cast<double>(budgetNuageReduit) * std::clamp(20.0 / ms, 0.5, 1.5);
            budgetNuageReduit = static_cast<std::size_t>(std::clamp(n, std::min(10000.0, tout), tout));
        }
    }
    // Without drawing the framebuffer is left as it was: the last picture stays on screen.
    if (boucleDeform && !deformationMaillage(1))
        setBoucleDeform(false, cone);
}

void GLWidget::ordonnerNuage(const std::vector<point3> &nuage, std::vector<float> &ordonne,
                             std::vector<std::uint32_t> &ordre)
{
    // Points sorted along a Morton curve over the cloud's box: every k-th point of this order
    // is a subset spread over the whole cloud, without clusters or holes.
    const std::size_t n = nuage.size();
    const Boite boite = boiteDe(nuage);
    const point3 &bas = boite.min, &haut = boite.max;
    const double etendue = std::max({haut.x - bas.x, haut.y - bas.y, haut.z - bas.z, 1e-300});
    const double echelle = 2097151.0 / etendue;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> cles(n);
    for (std::size_t i = 0; i < n; ++i) {
        const point3 &p = nuage[i];
        auto q = [&](double v, double b) {
            return static_cast<std::uint64_t>(std::clamp((v - b) * echelle, 0.0, 2097151.0));
        };
        cles[i] = {etalerBits(q(p.x, bas.x)) | etalerBits(q(p.y, bas.y)) << 1 | etalerBits(q(p.z, bas.z)) << 2,
                   static_cast<std::uint32_t>(i)};
    }
    std::sort(cles.begin(), cles.end());
    ordonne.resize(3 * n);
    ordre.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        ordre[i] = cles[i].second;
        const point3 &p = nuage[cles[i].second];
        ordonne[3 * i] = static_cast<float>(p.x);
        ordonne[3 * i + 1] = static_cast<float>(p.y);
        ordonne[3 * i + 2] = static_cast<float>(p.z);
    }
}

void GLWidget::preparerNuageReduit()
{
    const std::vector<point3> &nuage = instanceMaillage->ListePointsInterets;
    const std::size_t n = nuage.size();
    const std::uint64_t cle = signatureNuage();
    if (n > 0 && (cle != cleNuageOrdonne || nuageOrdonne.size() != 3 * n)) {
        ordonnerNuage(nuage, nuageOrdonne, ordreNuageReduit);
        couleursOrdonnees.clear();
        cleNuageOrdonne = cle;
    }
}

void GLWidget::dessinerNuageReduit()
{
    preparerNuageReduit();
    const std::size_t n = instanceMaillage->ListePointsInterets.size();
    const std::size_t pas =
        std::max<std::size_t>(1, (n + budgetNuageReduit - 1) / std::max<std::size_t>(1, budgetNuageReduit));
    glPointSize(4.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    // The distance colours, put in the subset's order the first time they are drawn so.
    const bool couleurs = afficheEcarts && ecartsNuage.couleurs.size() == 3 * n && ecartsNuage.nuage == cleNuageOrdonne;
    if (couleurs && couleursOrdonnees.size() != 3 * n) {
        couleursOrdonnees.resize(3 * n);
        for (std::size_t i = 0; i < n; ++i)
            std::copy_n(ecartsNuage.couleurs.begin() + 3 * ordreNuageReduit[i], 3, couleursOrdonnees.begin() + 3 * i);
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    if (couleurs) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(3, GL_FLOAT, static_cast<GLsizei>(pas * 3 * sizeof(float)), couleursOrdonnees.data());
    }
    glVertexPointer(3, GL_FLOAT, static_cast<GLsizei>(pas * 3 * sizeof(float)), nuageOrdonne.data());
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>((n - 1) / pas + 1));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glColor3f(0.0f, 0.0f, 1.0f);
}

void GLWidget::dessinerNuage(bool reduit)
{
    const std::vector<point3> &nuage = instanceMaillage->ListePointsInterets;
    if (reduit && !nuage.empty()) {
        dessinerNuageReduit();
        return;
    }
    if (nuage.size() < seuilCoucheNuage || nuage.empty() || !QOpenGLFramebufferObject::hasOpenGLFramebufferBlit()) {
        dessinerPointsDuNuage();
        return;
    }

    // The framebuffer holds only the clear colour here: with the cloud drawn on it, it is the
    // layer. Its fingerprint: what decides where the points fall, and the points themselves.
    GLint echantillons = 0;
    glGetIntegerv(GL_SAMPLES, &echantillons);
    const QSize taille(static_cast<int>(width() * devicePixelRatioF()),
                       static_cast<int>(height() * devicePixelRatioF()));
    Empreinte e;
    for (int v : {viewport.x(), viewport.y(), viewport.width(), viewport.height(), taille.width(), taille.height(),
                  static_cast<int>(echantillons), static_cast<int>(ombrage), static_cast<int>(afficheEcarts)})
        e.ajouter(static_cast<std::uint64_t>(static_cast<std::uint32_t>(v)));
    e.ajouter(signatureCamera());
    e.ajouter(signatureNuage());
    e.ajouter(afficheEcarts ? ecartsNuage.nuage : 0);
    const std::uint64_t cle = e.valeur();
    const QRect tout(QPoint(0, 0), taille);
    if (nuage.size() >= seuilNuageParParts) {
        dessinerNuageParParts(cle, taille, echantillons);
        return;
    }

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
        dessinerPointsDuNuage();
        return;
    }

    dessinerPointsDuNuage();
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

void GLWidget::dessinerNuageParParts(std::uint64_t cle, const QSize &taille, int echantillons)
{
    const std::vector<point3> &nuage = instanceMaillage->ListePointsInterets;
    const std::size_t n = nuage.size();
    const QRect tout(QPoint(0, 0), taille);
    QOpenGLFunctions *f = context()->functions();
    if (!coucheNuage || coucheNuage->size() != taille || coucheNuage->format().samples() != echantillons) {
        QOpenGLFramebufferObjectFormat format;
        format.setSamples(echantillons);
        coucheNuage = std::make_unique<QOpenGLFramebufferObject>(taille, format);
        f->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
        cleCoucheNuage = cle + 1;
        if (!coucheNuage->isValid() || coucheNuage->format().samples() != echantillons) {
            coucheNuage.reset();
            seuilCoucheNuage = seuilNuageParParts = static_cast<std::size_t>(-1);
            dessinerPointsDuNuage();
            return;
        }
    }
    // The parts: every K-th point from the k-th, each an even share of the whole cloud. K is
    // such that a part is about pointsParPart points.
    const std::size_t parts = std::max<std::size_t>(1, n / std::max<std::size_t>(1, pointsParPart));
    if (cle != cleCoucheNuage || partsDessinees > parts) {
        coucheNuage->bind();
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        f->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
        cleCoucheNuage = cle;
        partsDessinees = 0;
    }
    if (partsDessinees < parts) {
        const bool couleurs =
            afficheEcarts && ecartsNuage.couleurs.size() == 3 * n && ecartsNuage.nuage == signatureNuage();
        coucheNuage->bind();
        glPointSize(4.0f);
        glColor3f(0.0f, 0.0f, 1.0f);
        glEnableClientState(GL_VERTEX_ARRAY);
        if (couleurs)
            glEnableClientState(GL_COLOR_ARRAY);
        QElapsedTimer chrono;
        chrono.start();
        // As many parts as fit in msParImage, one at least: the window stays live however large the cloud.
        do {
            const std::size_t k = partsDessinees++;
            if (k >= n)
                continue;
            if (couleurs)
                glColorPointer(3, GL_FLOAT, static_cast<GLsizei>(parts * 3 * sizeof(float)),
                               ecartsNuage.couleurs.data() + 3 * k);
            glVertexPointer(3, GL_DOUBLE, static_cast<GLsizei>(parts * sizeof(point3)), &nuage[k].x);
            glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>((n - k + parts - 1) / parts));
            glFinish();
        } while (partsDessinees < parts && chrono.elapsed() < msParImage);
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        f->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
    }
    coucheIncomplete = partsDessinees < parts;
    QOpenGLFramebufferObject::blitFramebuffer(nullptr, tout, coucheNuage.get(), tout, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glPointSize(4.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
}

void GLWidget::dessinerTrianglesOmbres()
{
    const Maillage &m = instanceSimplex->maillageTriangule;
    const std::vector<point3> &sommets = m.listeSommets;
    const std::size_t nb = sommets.size();
    std::vector<GLuint> indices;
    indices.reserve(3 * m.listeFaces.size());
    // Normals at the vertices: the sum of the normals of their faces, weighted by area.
    std::vector<float> normales(3 * nb, 0.0f);
    for (const Face &f : m.listeFaces) {
        const int s[3] = {f.s1, f.s2, f.s3};
        if (std::any_of(s, s + 3, [nb](int i) { return i < 0 || static_cast<std::size_t>(i) >= nb; }))
            continue;
        const point3 &a = sommets[s[0]], &b = sommets[s[1]], &c = sommets[s[2]];
        const double u[3] = {b.x - a.x, b.y - a.y, b.z - a.z}, v[3] = {c.x - a.x, c.y - a.y, c.z - a.z};
        const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        for (int i : s) {
            indices.push_back(static_cast<GLuint>(i));
            for (int k = 0; k < 3; ++k)
                normales[3 * i + k] += static_cast<float>(n[k]);
        }
    }
    if (indices.empty())
        return;

    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_POLYGON_BIT | GL_DEPTH_BUFFER_BIT);
    // A light from the eye: set with the identity, it follows the camera.
    glPushMatrix();
    glLoadIdentity();
    const GLfloat direction[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    const GLfloat ambiante[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    const GLfloat diffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    const GLfloat aucune[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    glPopMatrix();
    glLightfv(GL_LIGHT0, GL_AMBIENT, aucune);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambiante);
    // Either side may face the eye: a triangle file says nothing of its orientation.
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    // Only the triangles write depth: they hide one another, and the cloud drawn before them.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor3f(1.0f, 0.0f, 0.0f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_DOUBLE, sizeof(point3), &sommets[0].x);
    glNormalPointer(GL_FLOAT, 0, normales.data());
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, indices.data());
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glPopAttrib();
}

void GLWidget::drawScene()
{
    glPushMatrix();
    // The cloud darkens with depth: from its colour at the nearest point of the framed scene to
    // 40 % of it at the farthest.
    const bool profondeur = ombrage && rayonVue > 0.0;
    if (profondeur) {
        const GLfloat noir[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogfv(GL_FOG_COLOR, noir);
        glFogf(GL_FOG_START, 10.0f);
        glFogf(GL_FOG_END, static_cast<float>(10.0 + 2.0 * rayonVue / 0.6));
    }
    if (coupe == 0 && affichePT) {
        if (profondeur)
            glEnable(GL_FOG);
        dessinerNuage(derniereImageReduite);
        glDisable(GL_FOG);
    }
    if (ajustementEnCours) {
        if (!maillageFige.empty()) {
            glColor3f(1.0f, 1.0f, 1.0f);
            glEnableClientState(GL_VERTEX_ARRAY);
            glVertexPointer(3, GL_DOUBLE, sizeof(point3), &maillageFige[0].x);
            glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(maillageFige.size()));
            glDisableClientState(GL_VERTEX_ARRAY);
        }
    } else if (ombrage && modeDisplayMaille == 3 && !instanceSimplex->maillageTriangule.listeFaces.empty())
        dessinerTrianglesOmbres();
    else
        instanceSimplex->afficher(modeDisplayMaille);
    if (profondeur)
        glEnable(GL_FOG);
    if (coupe == 1)
        coupeX->afficherPtInteret(0);
    else if (coupe == 2)
        coupeY->afficherPtInteret(0);
    else if (coupe == 3)
        coupeZ->afficherPtInteret(0);
    glDisable(GL_FOG);

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

void GLWidget::cadrer()
{
    std::vector<point3> maillage = maillageFige;
    if (!ajustementEnCours)
        for (const PointSimplex *p : instanceSimplex->ListePointsSimplex)
            if (p)
                maillage.push_back(p->Position);
    // The triangles count only when they are what is drawn (the reader leaves a triangulation of
    // the mesh as read, which the mesh's moves leave behind).
    std::vector<const std::vector<point3> *> listes = {&instanceMaillage->ListePointsInterets, &maillage};
    if (modeDisplayMaille == 3 && !ajustementEnCours)
        listes.push_back(&instanceSimplex->maillageTriangule.listeSommets);
    cadrerSur(listes);
}

bool GLWidget::cadrageNecessaire() const
{
    Boite boite;
    const auto ajouter = [&boite](const point3 &p) {
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))
            boite.ajouter(p);
    };
    for (const point3 &p : instanceMaillage->ListePointsInterets)
        ajouter(p);
    for (const point3 &p : maillageFige)
        ajouter(p);
    if (!ajustementEnCours)
        for (const PointSimplex *p : instanceSimplex->ListePointsSimplex)
            if (p)
                ajouter(p->Position);
    if (boite.vide())
        return false;
    const double demi = std::abs(static_cast<double>(zoom));
    if (!(demi > 0.0))
        return true;
    // The box's corners as the camera sees them, about the centre of the view.
    double bas[2] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    double haut[2] = {-bas[0], -bas[1]};
    for (int coin = 0; coin < 8; ++coin) {
        const point3 v((coin & 1 ? boite.max.x : boite.min.x) - centreVue.x,
                       (coin & 2 ? boite.max.y : boite.min.y) - centreVue.y,
                       (coin & 4 ? boite.max.z : boite.min.z) - centreVue.z);
        const point3 w = tourner(v, xRot, yRot, zRot);
        bas[0] = std::min(bas[0], w.x), bas[1] = std::min(bas[1], w.y);
        haut[0] = std::max(haut[0], w.x), haut[1] = std::max(haut[1], w.y);
    }
    // Out of the view, even in part, or smaller than a twentieth of it.
    const bool dehors = std::max({-bas[0], -bas[1], haut[0], haut[1]}) > demi * 1.001;
    const bool point = std::max(haut[0] - bas[0], haut[1] - bas[1]) < 0.1 * demi;
    return dehors || point;
}

void GLWidget::cadrerSiBesoin()
{
    if (cadrageNecessaire()) {
        cadrer();
        update();
    }
}

void GLWidget::cadrerSur(const std::vector<const std::vector<point3> *> &listes)
{
    Boite boite;
    for (const std::vector<point3> *liste : listes)
        for (const point3 &p : *liste)
            if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))
                boite.ajouter(p);
    if (boite.vide())
        return;
    const point3 &bas = boite.min, &haut = boite.max;
    centreVue = boite.centre();
    // The half-width that holds the box's corners as the camera sees them, with a small margin.
    double demi = 0.0;
    for (int coin = 0; coin < 8; ++coin) {
        const point3 v((coin & 1 ? haut.x : bas.x) - centreVue.x, (coin & 2 ? haut.y : bas.y) - centreVue.y,
                       (coin & 4 ? haut.z : bas.z) - centreVue.z);
        const point3 w = tourner(v, xRot, yRot, zRot);
        demi = std::max({demi, std::abs(w.x), std::abs(w.y)});
    }
    rayonVue = boite.diagonale() / 2;
    if (demi <= 0.0)
        demi = rayonVue > 0.0 ? rayonVue : 1.0;
    zoom = static_cast<float>(demi * 1.08);
}

void GLWidget::zoomMolette(double crans)
{
    double demi = std::abs(static_cast<double>(zoom));
    if (demi < 1e-12)
        demi = rayonVue > 0.0 ? rayonVue : 1.0;
    demi /= std::pow(facteurMolette, crans);
    zoom = static_cast<float>(std::clamp(demi, 1e-9, 1e15));
}

void GLWidget::wheelEvent(QWheelEvent *event)
{
    const double crans = event->angleDelta().y() / 120.0;
    if (crans != 0.0) {
        zoomMolette(crans);
        update();
    }
    event->accept();
}

void GLWidget::setOmbrage(bool actif)
{
    ombrage = actif;
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
    // Ctrl+W and the like are the window's, not moves.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QOpenGLWidget::keyPressEvent(event);
        return;
    }
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
    if (ajustementEnCours)
        return; // the fit owns the mesh until it ends
    // The moves that follow each other make one step of the history.
    commencerEtape();
    try {
        if (deplaceSimplex) {
            instanceSimplex->deplacer(axe, pas);
            triangulationAJour = false;
        } else {
            // A new cloud moved, with its own tree: the history keeps the old one.
            auto deplace = std::make_shared<MaillageGL>();
            deplace->ListePointsInterets = instanceMaillage->ListePointsInterets;
            deplace->translaterPointsInterets(axe, pas);
            deplace->calculerCentrePointsInterets();
            instanceMaillage = std::move(deplace);
            if (coupe != 0)
                calculCoupes();
            remplisKDTree();
        }
    } catch (const std::exception &e) {
        echec(tr("Le déplacement a échoué : %1").arg(QString::fromLocal8Bit(e.what())));
    }
    terminerEtape(tr("Déplacement"), 1);
}

void GLWidget::showEvent(QShowEvent *event)
{
    QOpenGLWidget::showEvent(event);
}
