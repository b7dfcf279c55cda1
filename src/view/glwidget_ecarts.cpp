// The cloud coloured by its distance to the fitted surface, and the legend of the scale.
#include "glwidget.h"
#include "Boite.h"
#include "MaillageGL.h"
#include "SimplexGL.h"
#include "distance.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

std::array<float, 3> GLWidget::couleurEcart(double t)
{
    // Blue, cyan, green, yellow, red at the quarters.
    static const float paliers[5][3] = {{0, 0, 1}, {0, 1, 1}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    t = std::clamp(t, 0.0, 1.0) * 4;
    const int k = std::min(3, static_cast<int>(t));
    const float f = static_cast<float>(t - k);
    std::array<float, 3> c;
    for (int a = 0; a < 3; ++a)
        c[a] = paliers[k][a] + f * (paliers[k + 1][a] - paliers[k][a]);
    return c;
}

void GLWidget::calculerEcarts(const std::vector<std::size_t> &ecartes)
{
    const std::vector<point3> &nuage = instanceMaillage->ListePointsInterets;
    const Maillage &m = instanceSimplex->maillageTriangule;
    const std::vector<double> d = ArbreTriangles(m.listeSommets, trianglesDe(m)).distances(nuage);
    std::vector<char> ecarte(nuage.size(), 0);
    for (std::size_t i : ecartes)
        if (i < ecarte.size())
            ecarte[i] = 1;
    std::vector<double> gardees;
    for (std::size_t i = 0; i < d.size(); ++i)
        if (!ecarte[i] && std::isfinite(d[i]))
            gardees.push_back(d[i]);
    EcartsNuage e;
    e.diagonale = boiteDe(nuage).diagonale();
    e.fin = 5e-4 * e.diagonale;
    if (!gardees.empty()) {
        const std::size_t rang = (95 * gardees.size() + 99) / 100 - 1;
        std::nth_element(gardees.begin(), gardees.begin() + rang, gardees.end());
        e.fin = std::max(e.fin, gardees[rang]);
    }
    e.couleurs.resize(3 * nuage.size());
    for (std::size_t i = 0; i < nuage.size(); ++i) {
        const std::array<float, 3> c = ecarte[i] ? std::array<float, 3>{0.55f, 0.55f, 0.55f}
                                                 : couleurEcart(e.fin > 0 ? d[i] / e.fin : 0.0);
        std::copy(c.begin(), c.end(), e.couleurs.begin() + 3 * i);
    }
    e.ecartes = ecartes.size();
    e.nuage = signatureNuage();
    ecartsNuage = std::move(e);
    couleursOrdonnees.clear();
    mettreAJourLegende();
    update();
}

void GLWidget::setCouleursEcarts(bool actif)
{
    afficheEcarts = actif;
    mettreAJourLegende();
    update();
}

void GLWidget::dessinerPointsDuNuage()
{
    const std::vector<point3> &nuage = instanceMaillage->ListePointsInterets;
    if (!afficheEcarts || nuage.empty() || ecartsNuage.couleurs.size() != 3 * nuage.size() ||
        ecartsNuage.nuage != signatureNuage()) {
        instanceMaillage->afficherPtInteret(0);
        return;
    }
    // One colour array, computed once per fit: the cloud draws as fast as in its own colour.
    glPointSize(4.0f);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(3, GL_FLOAT, 0, ecartsNuage.couleurs.data());
    glVertexPointer(3, GL_DOUBLE, sizeof(point3), &nuage[0].x);
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(nuage.size()));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glColor3f(0.0f, 0.0f, 1.0f);
}

void GLWidget::mettreAJourLegende()
{
    // The legend of colours that belong to another cloud (before an import, a move) would lie.
    const bool visible = afficheEcarts && !ecartsNuage.couleurs.empty() && ecartsNuage.nuage == signatureNuage();
    if (!visible) {
        if (legendeEcarts)
            legendeEcarts->hide();
        return;
    }
    if (!legendeEcarts) {
        legendeEcarts = new QLabel(this);
        legendeEcarts->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    const EcartsNuage &e = ecartsNuage;
    const double pourcent = e.diagonale > 0 ? 100.0 * e.fin / e.diagonale : 0.0;
    const QString fin = tr("%1 % de la diagonale (%2)").arg(pourcent, 0, 'g', 3).arg(e.fin, 0, 'g', 3);
    const QString titre = tr("Écart au maillage");
    const QString gris = tr("gris : %n point(s) écarté(s)", nullptr, static_cast<int>(e.ecartes));
    const QFontMetrics fm(font());
    const int l = std::max({220, fm.horizontalAdvance(fin) + 12, fm.horizontalAdvance(gris) + 12});
    const int h = fm.height();
    QPixmap image(l, 4 * h + 24);
    image.fill(QColor(255, 255, 255, 220));
    QPainter p(&image);
    p.setPen(Qt::black);
    p.drawText(6, h, titre);
    QLinearGradient degrade(6, 0, l - 6, 0);
    for (int k = 0; k <= 4; ++k) {
        const std::array<float, 3> c = couleurEcart(k / 4.0);
        degrade.setColorAt(k / 4.0, QColor::fromRgbF(c[0], c[1], c[2]));
    }
    p.fillRect(6, h + 6, l - 12, 12, degrade);
    p.drawText(6, 2 * h + 20, QStringLiteral("0"));
    p.drawText(QRect(6, h + 22, l - 12, h), Qt::AlignRight, fin);
    p.drawText(6, 4 * h + 18, gris);
    p.end();
    legendeEcarts->setPixmap(image);
    legendeEcarts->resize(image.size());
    legendeEcarts->move(8, 8);
    legendeEcarts->show();
}
