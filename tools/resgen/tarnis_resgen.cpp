// Draws the application's pictures (icons, splash, progress animation) into a
// folder. Run by scripts/make-resources.sh; the results are committed under
// resources/rsc and resources/loading.gif, so a normal build does not need it.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

const int T = 32; // icon side

QColor bleu(40, 96, 170), vert(46, 150, 70), rouge(190, 50, 40), orange(220, 130, 20), gris(80, 80, 90),
    violet(120, 70, 160);

using Dessin = std::function<void(QPainter &)>;

bool enregistrer(const QImage &img, const QString &chemin)
{
    if (!img.save(chemin, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(chemin));
        return false;
    }
    return true;
}

QImage icone(const Dessin &d, int cote = T)
{
    QImage img(cote, cote, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(cote / 32.0, cote / 32.0);
    d(p);
    return img;
}

QPen stylo(const QColor &c, double w = 2.2)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet of paper with a folded corner.
void feuille(QPainter &p)
{
    QPainterPath f;
    f.moveTo(7, 3);
    f.lineTo(20, 3);
    f.lineTo(26, 9);
    f.lineTo(26, 29);
    f.lineTo(7, 29);
    f.closeSubpath();
    p.setPen(stylo(gris, 1.5));
    p.setBrush(QColor(250, 250, 245));
    p.drawPath(f);
    p.drawLine(QPointF(20, 3), QPointF(20, 9));
    p.drawLine(QPointF(20, 9), QPointF(26, 9));
}

// A folder.
void dossier(QPainter &p)
{
    QPainterPath f;
    f.moveTo(3, 8);
    f.lineTo(12, 8);
    f.lineTo(14, 11);
    f.lineTo(29, 11);
    f.lineTo(29, 27);
    f.lineTo(3, 27);
    f.closeSubpath();
    p.setPen(stylo(QColor(150, 100, 20), 1.5));
    p.setBrush(QColor(245, 200, 90));
    p.drawPath(f);
}

// A small cloud of points.
void nuage(QPainter &p, const QPointF &c, double r, const QColor &col)
{
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    const double pts[][2] = {{0, 0},      {0.6, 0.2},   {-0.5, 0.4}, {0.2, -0.6},  {-0.3, -0.4},
                             {0.7, -0.4}, {-0.7, -0.1}, {0.3, 0.7},  {-0.1, 0.35}, {0.45, -0.05}};
    for (auto &q : pts)
        p.drawEllipse(QPointF(c.x() + q[0] * r, c.y() + q[1] * r), 1.6, 1.6);
}

// A hexagonal wire mesh (three edges at every vertex, like a simplex mesh).
void maille(QPainter &p, const QPointF &c, double r, const QColor &col, double w = 1.6)
{
    p.setPen(stylo(col, w));
    p.setBrush(Qt::NoBrush);
    QPolygonF h;
    for (int i = 0; i < 6; ++i)
        h << QPointF(c.x() + r * std::cos(M_PI / 3 * i + M_PI / 6), c.y() + r * std::sin(M_PI / 3 * i + M_PI / 6));
    p.drawPolygon(h);
    QPointF in[3];
    for (int i = 0; i < 3; ++i) {
        in[i] = QPointF(c.x() + r * 0.45 * std::cos(2 * M_PI / 3 * i - M_PI / 2),
                        c.y() + r * 0.45 * std::sin(2 * M_PI / 3 * i - M_PI / 2));
    }
    for (int i = 0; i < 3; ++i) {
        p.drawLine(in[i], in[(i + 1) % 3]);
        p.drawLine(in[i], h[(4 + 2 * i) % 6]);
    }
}

void signe(QPainter &p, const QPointF &c, bool plus, const QColor &col, double s = 5)
{
    p.setPen(stylo(col, 3));
    p.drawLine(QPointF(c.x() - s, c.y()), QPointF(c.x() + s, c.y()));
    if (plus)
        p.drawLine(QPointF(c.x(), c.y() - s), QPointF(c.x(), c.y() + s));
}

void fleche(QPainter &p, QPointF a, QPointF b, const QColor &col, double w = 2.4)
{
    p.setPen(stylo(col, w));
    p.drawLine(a, b);
    QLineF l(b, a);
    QLineF g = l;
    g.setLength(6);
    g.setAngle(l.angle() + 30);
    QLineF d = l;
    d.setLength(6);
    d.setAngle(l.angle() - 30);
    p.drawLine(g);
    p.drawLine(d);
}

void texte(QPainter &p, const QRectF &r, const QString &t, const QColor &col, int taille, bool gras = true)
{
    QFont f("DejaVu Sans");
    f.setPixelSize(taille);
    f.setBold(gras);
    p.setFont(f);
    p.setPen(col);
    p.drawText(r, Qt::AlignCenter, t);
}

void loupe(QPainter &p, bool plus)
{
    p.setPen(stylo(gris, 3));
    p.drawLine(QPointF(19, 19), QPointF(28, 28));
    p.setPen(stylo(gris, 2));
    p.setBrush(QColor(220, 235, 250));
    p.drawEllipse(QPointF(13, 13), 9, 9);
    signe(p, QPointF(13, 13), plus, bleu, 4.5);
}

void raffinage(QPainter &p, const QString &nom, const QString &variante, const QColor &col)
{
    maille(p, QPointF(16, 12), 10, col, 1.3);
    texte(p, QRectF(0, 19, 32, 13), nom + variante, QColor(20, 20, 20), 9);
}

void triangleRouge(QPainter &p)
{
    p.setPen(stylo(rouge, 1.6));
    p.setBrush(QColor(240, 170, 160));
    QPolygonF a, b;
    a << QPointF(4, 27) << QPointF(16, 5) << QPointF(16, 27);
    b << QPointF(16, 5) << QPointF(28, 27) << QPointF(16, 27);
    p.drawPolygon(a);
    p.drawPolygon(b);
}

void coche(QPainter &p, const QColor &fond)
{
    QRadialGradient g(QPointF(13, 12), 18);
    g.setColorAt(0, fond.lighter(140));
    g.setColorAt(1, fond);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(16, 16), 14, 14);
    p.setPen(stylo(Qt::white, 3.5));
    p.drawPolyline(QPolygonF() << QPointF(9, 16.5) << QPointF(14, 21.5) << QPointF(23, 11));
}

void rond(QPainter &p, const QColor &c)
{
    QRadialGradient g(QPointF(13, 12), 18);
    g.setColorAt(0, c.lighter(150));
    g.setColorAt(1, c);
    p.setPen(stylo(c.darker(130), 1.2));
    p.setBrush(g);
    p.drawEllipse(QPointF(16, 16), 14, 14);
}

void engrenage(QPainter &p, const QPointF &c, double r, const QColor &col)
{
    QPainterPath g;
    const int dents = 8;
    for (int i = 0; i < dents * 2; ++i) {
        double a0 = M_PI * i / dents, a1 = M_PI * (i + 1) / dents;
        double rr = (i % 2 == 0) ? r : r * 0.75;
        QPointF p0(c.x() + rr * std::cos(a0), c.y() + rr * std::sin(a0));
        QPointF p1(c.x() + rr * std::cos(a1), c.y() + rr * std::sin(a1));
        if (i == 0)
            g.moveTo(p0);
        else
            g.lineTo(p0);
        g.lineTo(p1);
    }
    g.closeSubpath();
    g.addEllipse(c, r * 0.3, r * 0.3);
    g.setFillRule(Qt::OddEvenFill);
    p.setPen(stylo(col.darker(140), 1));
    p.setBrush(col);
    p.drawPath(g);
}

// The emblem: a simplex wire mesh over a cloud, on a blue disc.
void embleme(QPainter &p)
{
    QRadialGradient g(QPointF(12, 10), 26);
    g.setColorAt(0, QColor(90, 150, 230));
    g.setColorAt(1, QColor(20, 50, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(16, 16), 15, 15);
    nuage(p, QPointF(16, 16), 10, QColor(120, 200, 255));
    maille(p, QPointF(16, 16), 11, QColor(255, 90, 70), 1.6);
}

struct Icone
{
    const char *fichier;
    Dessin dessin;
};

std::vector<Icone> icones()
{
    return {
        {"nouveau.png",
         [](QPainter &p) {
             feuille(p);
             signe(p, QPointF(16, 18), true, vert);
         }},
        {"ouvrir.png",
         [](QPainter &p) {
             dossier(p);
             fleche(p, QPointF(16, 24), QPointF(16, 4), bleu);
         }},
        {"exporter_maillage.png",
         [](QPainter &p) {
             feuille(p);
             maille(p, QPointF(16, 18), 7, rouge, 1.3);
             fleche(p, QPointF(18, 26), QPointF(30, 26), vert, 2);
         }},
        {"exporter_nuage.png",
         [](QPainter &p) {
             feuille(p);
             nuage(p, QPointF(16, 17), 7, bleu);
             fleche(p, QPointF(18, 26), QPointF(30, 26), vert, 2);
         }},
        {"importer_maillage.png",
         [](QPainter &p) {
             maille(p, QPointF(17, 17), 12, rouge);
             signe(p, QPointF(7, 7), true, vert, 4.5);
         }},
        {"importer_nuage.png",
         [](QPainter &p) {
             nuage(p, QPointF(17, 18), 12, bleu);
             signe(p, QPointF(7, 7), true, vert, 4.5);
         }},
        {"fermer_fenetre.png",
         [](QPainter &p) {
             p.setPen(stylo(gris, 1.5));
             p.setBrush(QColor(235, 240, 250));
             p.drawRect(QRectF(3, 5, 26, 22));
             p.setBrush(bleu);
             p.drawRect(QRectF(3, 5, 26, 5));
             p.setPen(stylo(rouge, 3));
             p.drawLine(QPointF(11, 14), QPointF(21, 24));
             p.drawLine(QPointF(21, 14), QPointF(11, 24));
         }},
        {"quitter.png",
         [](QPainter &p) {
             rond(p, rouge);
             p.setPen(stylo(Qt::white, 3));
             p.drawArc(QRectF(9, 9, 14, 14), 120 * 16, 300 * 16);
             p.drawLine(QPointF(16, 6), QPointF(16, 15));
         }},
        {"operateur_auto.png",
         [](QPainter &p) {
             feuille(p);
             p.setPen(stylo(gris, 1.2));
             for (int i = 0; i < 3; ++i)
                 p.drawLine(QPointF(10, 13 + 5 * i), QPointF(18, 13 + 5 * i));
             engrenage(p, QPointF(23, 23), 7, orange);
         }},
        {"deformer.png",
         [](QPainter &p) {
             nuage(p, QPointF(16, 16), 12, bleu);
             p.setPen(stylo(rouge, 2));
             p.setBrush(Qt::NoBrush);
             QPainterPath c;
             c.moveTo(6, 16);
             c.cubicTo(6, 2, 26, 2, 26, 16);
             c.cubicTo(26, 30, 6, 30, 6, 16);
             p.drawPath(c);
             p.setPen(stylo(vert, 2));
             p.drawArc(QRectF(2, 2, 28, 28), 30 * 16, 120 * 16);
         }},
        {"play.png",
         [](QPainter &p) {
             rond(p, vert);
             p.setPen(Qt::NoPen);
             p.setBrush(Qt::white);
             p.drawPolygon(QPolygonF() << QPointF(12, 9) << QPointF(24, 16) << QPointF(12, 23));
         }},
        {"stop.png",
         [](QPainter &p) {
             rond(p, rouge);
             p.setPen(Qt::NoPen);
             p.setBrush(Qt::white);
             p.drawRoundedRect(QRectF(10, 10, 12, 12), 1.5, 1.5);
         }},
        {"agrandir.png",
         [](QPainter &p) {
             maille(p, QPointF(13, 19), 8, rouge);
             fleche(p, QPointF(18, 14), QPointF(28, 4), vert);
         }},
        {"retrecir.png",
         [](QPainter &p) {
             maille(p, QPointF(13, 19), 8, rouge);
             fleche(p, QPointF(28, 4), QPointF(19, 13), orange);
         }},
        {"t26_global.png", [](QPainter &p) { raffinage(p, "T26", "", rouge); }},
        {"t26_angles.png", [](QPainter &p) { raffinage(p, "T26", QString::fromUtf8("\xe2\x88\xa0"), rouge); }},
        {"t22_surfaces.png", [](QPainter &p) { raffinage(p, "T22", "", violet); }},
        {"t22_points.png", [](QPainter &p) { raffinage(p, "T22", QString::fromUtf8("\xe2\x80\xa2"), violet); }},
        {"trianguler.png", [](QPainter &p) { triangleRouge(p); }},
        {"reset.png",
         [](QPainter &p) {
             p.setPen(stylo(bleu, 3));
             p.setBrush(Qt::NoBrush);
             p.drawArc(QRectF(5, 5, 22, 22), 90 * 16, 270 * 16);
             p.setPen(Qt::NoPen);
             p.setBrush(bleu);
             p.drawPolygon(QPolygonF() << QPointF(16, 0.5) << QPointF(23, 5) << QPointF(16, 10));
         }},
        {"mode_point.png",
         [](QPainter &p) {
             p.setPen(Qt::NoPen);
             p.setBrush(rouge);
             for (int i = 0; i < 3; ++i)
                 for (int j = 0; j < 3; ++j)
                     p.drawEllipse(QPointF(7 + 9 * i, 7 + 9 * j), 2.6, 2.6);
         }},
        {"mode_filaire.png", [](QPainter &p) { maille(p, QPointF(16, 16), 13, rouge, 1.8); }},
        {"mode_triangle.png", [](QPainter &p) { triangleRouge(p); }},
        {"creer_simplex.png",
         [](QPainter &p) {
             p.setPen(stylo(rouge, 1.2));
             p.setBrush(QColor(240, 170, 160));
             p.drawPolygon(QPolygonF() << QPointF(2, 14) << QPointF(9, 2) << QPointF(16, 14));
             fleche(p, QPointF(10, 20), QPointF(18, 20), gris, 2);
             maille(p, QPointF(23, 22), 8, rouge, 1.4);
         }},
        {"creer_nuage.png",
         [](QPainter &p) {
             maille(p, QPointF(9, 9), 7, rouge, 1.3);
             fleche(p, QPointF(10, 20), QPointF(18, 20), gris, 2);
             nuage(p, QPointF(24, 23), 7, bleu);
         }},
        {"onglets.png",
         [](QPainter &p) {
             p.setPen(stylo(gris, 1.3));
             p.setBrush(QColor(200, 215, 235));
             p.drawRect(QRectF(14, 4, 10, 6));
             p.setBrush(bleu.lighter(130));
             p.drawRect(QRectF(3, 4, 11, 6));
             p.setBrush(QColor(240, 244, 250));
             p.drawRect(QRectF(3, 10, 26, 18));
         }},
        {"zoom_plus.png", [](QPainter &p) { loupe(p, true); }},
        {"zoom_moins.png", [](QPainter &p) { loupe(p, false); }},
        {"centrer.png",
         [](QPainter &p) {
             nuage(p, QPointF(16, 16), 12, bleu);
             p.setPen(stylo(rouge, 2));
             p.setBrush(Qt::NoBrush);
             p.drawEllipse(QPointF(16, 16), 6, 6);
             p.drawLine(QPointF(16, 3), QPointF(16, 29));
             p.drawLine(QPointF(3, 16), QPointF(29, 16));
         }},
        {"proportions.png",
         [](QPainter &p) {
             p.setPen(stylo(gris, 1.5));
             p.setBrush(QColor(235, 240, 250));
             p.drawRect(QRectF(4, 8, 24, 16));
             fleche(p, QPointF(8, 16), QPointF(2.5, 16), bleu, 1.8);
             fleche(p, QPointF(24, 16), QPointF(29.5, 16), bleu, 1.8);
             p.setPen(stylo(bleu, 1.8));
             p.drawLine(QPointF(8, 16), QPointF(24, 16));
         }},
        {"points_interet.png",
         [](QPainter &p) {
             p.setPen(stylo(gris, 1.6));
             p.setBrush(Qt::white);
             QPainterPath o;
             o.moveTo(2, 16);
             o.quadTo(16, 2, 30, 16);
             o.quadTo(16, 30, 2, 16);
             p.drawPath(o);
             nuage(p, QPointF(16, 16), 6, bleu);
         }},
        {"a_propos_qt.png",
         [](QPainter &p) {
             rond(p, vert);
             texte(p, QRectF(0, 0, 32, 32), "Qt", Qt::white, 14);
         }},
        {"a_propos.png",
         [](QPainter &p) {
             rond(p, bleu);
             texte(p, QRectF(0, 1, 32, 32), "i", Qt::white, 20);
         }},
        {"General2.png", [](QPainter &p) { engrenage(p, QPointF(16, 16), 13, QColor(150, 155, 165)); }},
        {"3d.png",
         [](QPainter &p) {
             p.setPen(stylo(QColor(30, 30, 30), 1.4));
             QPolygonF avant, dessus, cote;
             avant << QPointF(4, 12) << QPointF(20, 12) << QPointF(20, 28) << QPointF(4, 28);
             dessus << QPointF(4, 12) << QPointF(12, 4) << QPointF(28, 4) << QPointF(20, 12);
             cote << QPointF(20, 12) << QPointF(28, 4) << QPointF(28, 20) << QPointF(20, 28);
             p.setBrush(bleu);
             p.drawPolygon(avant);
             p.setBrush(bleu.lighter(140));
             p.drawPolygon(dessus);
             p.setBrush(bleu.darker(130));
             p.drawPolygon(cote);
         }},
        {"advancedsettings.png",
         [](QPainter &p) {
             engrenage(p, QPointF(12, 12), 10, QColor(150, 155, 165));
             engrenage(p, QPointF(23, 23), 7, orange);
         }},
    };
}

QImage splash()
{
    const int w = 560, h = 260;
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(28, 60, 120));
    g.setColorAt(1, QColor(8, 20, 50));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0, 0, w, h), 28, 28);
    p.save();
    p.translate(20, 20);
    p.scale(220 / 32.0, 220 / 32.0);
    embleme(p);
    p.restore();
    QFont f("DejaVu Sans");
    f.setPixelSize(64);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(250, 40, 300, 90), Qt::AlignLeft | Qt::AlignVCenter, "Tarnis");
    f.setPixelSize(17);
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(190, 210, 240));
    p.drawText(QRectF(252, 130, 300, 60), Qt::AlignLeft | Qt::TextWordWrap,
               QString::fromUtf8("Maillages simplexes déformables"));
    f.setPixelSize(13);
    p.setFont(f);
    p.setPen(QColor(140, 160, 200));
    p.drawText(QRectF(252, 200, 290, 30), Qt::AlignLeft, "v2.1");
    return img;
}

// GIF89a writer for 8-bit indexed frames. The codes are written without
// compression (a clear code before the code table would grow), which keeps
// the encoder to a few lines; the frames are small.
class Gif
{
public:
    Gif(int w, int h, const std::vector<QRgb> &palette) : w(w), h(h)
    {
        ecrire("GIF89a");
        mot(w);
        mot(h);
        octet(0xF7);
        octet(0);
        octet(0); // global table of 256 colours
        for (int i = 0; i < 256; ++i) {
            QRgb c = i < int(palette.size()) ? palette[i] : 0;
            octet(qRed(c));
            octet(qGreen(c));
            octet(qBlue(c));
        }
        // loop for ever
        octet(0x21);
        octet(0xFF);
        octet(11);
        ecrire("NETSCAPE2.0");
        octet(3);
        octet(1);
        mot(0);
        octet(0);
    }
    void image(const std::vector<unsigned char> &indices, int delaiCentiemes)
    {
        octet(0x21);
        octet(0xF9);
        octet(4);
        octet(0x04);
        mot(delaiCentiemes);
        octet(0);
        octet(0);
        octet(0x2C);
        mot(0);
        mot(0);
        mot(w);
        mot(h);
        octet(0);
        octet(8); // minimum code size
        std::vector<unsigned char> flux;
        unsigned acc = 0;
        int nbits = 0;
        auto code = [&](unsigned c) {
            acc |= c << nbits;
            nbits += 9;
            while (nbits >= 8) {
                flux.push_back(acc & 0xFF);
                acc >>= 8;
                nbits -= 8;
            }
        };
        const unsigned clear = 256, fin = 257;
        int depuisClear = 0;
        code(clear);
        for (unsigned char i : indices) {
            if (depuisClear == 250) {
                code(clear);
                depuisClear = 0;
            }
            code(i);
            ++depuisClear;
        }
        code(fin);
        if (nbits > 0)
            flux.push_back(acc & 0xFF);
        for (size_t k = 0; k < flux.size(); k += 255) {
            size_t n = std::min<size_t>(255, flux.size() - k);
            octet(int(n));
            donnees.insert(donnees.end(), flux.begin() + k, flux.begin() + k + n);
        }
        octet(0);
    }
    bool enregistrer(const QString &chemin)
    {
        octet(0x3B);
        QFile f(chemin);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        return f.write(reinterpret_cast<const char *>(donnees.data()), qint64(donnees.size())) ==
               qint64(donnees.size());
    }

private:
    void octet(int b) { donnees.push_back(static_cast<unsigned char>(b)); }
    void mot(int v)
    {
        octet(v & 0xFF);
        octet((v >> 8) & 0xFF);
    }
    void ecrire(const char *s)
    {
        while (*s)
            octet(*s++);
    }
    int w, h;
    std::vector<unsigned char> donnees;
};

// A ring of twelve dots turning, on white: the palette runs from white to blue
// and each pixel takes the shade nearest to its coverage.
bool animation(const QString &chemin)
{
    const int cote = 64, images = 12;
    const QColor fond(Qt::white), encre(30, 80, 170);
    std::vector<QRgb> palette(256);
    for (int i = 0; i < 256; ++i) {
        double t = i / 255.0;
        palette[i] = qRgb(int(fond.red() + t * (encre.red() - fond.red())),
                          int(fond.green() + t * (encre.green() - fond.green())),
                          int(fond.blue() + t * (encre.blue() - fond.blue())));
    }
    Gif gif(cote, cote, palette);
    for (int k = 0; k < images; ++k) {
        QImage img(cote, cote, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < images; ++i) {
            int age = (k - i + images) % images;
            double a = 2 * M_PI * i / images - M_PI / 2;
            p.setBrush(QColor(0, 0, 0, 255 - age * 255 / images));
            p.drawEllipse(QPointF(32 + 22 * std::cos(a), 32 + 22 * std::sin(a)), 5, 5);
        }
        p.end();
        std::vector<unsigned char> indices;
        indices.reserve(cote * cote);
        for (int y = 0; y < cote; ++y)
            for (int x = 0; x < cote; ++x)
                indices.push_back(static_cast<unsigned char>(qAlpha(img.pixel(x, y))));
        gif.image(indices, 8);
    }
    return gif.enregistrer(chemin);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarnis_resgen <resources folder>\n");
        return 2;
    }
    const QString racine = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(racine + "/rsc");
    bool ok = true;
    for (const Icone &i : icones())
        ok = enregistrer(icone(i.dessin), racine + "/rsc/" + i.fichier) && ok;
    ok = enregistrer(icone([](QPainter &p) { coche(p, vert); }, 64), racine + "/rsc/clean.png") && ok;
    ok = enregistrer(icone(embleme, 64), racine + "/rsc/tarnis.png") && ok;
    ok = enregistrer(splash(), racine + "/rsc/splash.png") && ok;
    if (!animation(racine + "/loading.gif")) {
        std::fprintf(stderr, "cannot write loading.gif\n");
        ok = false;
    }
    return ok ? 0 : 1;
}
