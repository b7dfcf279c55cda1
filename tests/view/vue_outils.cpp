#include "vue_outils.h"

#include "MaillageGL.h"
#include "SimplexGL.h"
#include "glwidget.h"
#include "kdtree.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <QDir>

#include <cstring>
#include <sstream>

namespace tarnis_test {

bool ecrirePTS(const std::string &chemin, const std::vector<point3> &points)
{
    std::ostringstream texte;
    texte.precision(17);
    texte << "PTS\n" << points.size() << "\n";
    for (const point3 &p : points)
        texte << p.x << ' ' << p.y << ' ' << p.z << '\n';
    return writeFile(chemin, texte.str());
}

bool ecrireAnalyze(const std::string &base, int dimX, int dimY, int dimZ,
                   const std::vector<std::uint16_t> &voxels)
{
    unsigned char entete[348];
    std::memset(entete, 0, sizeof entete);
    const std::int32_t taille = 348;
    std::memcpy(entete, &taille, 4);
    const std::int16_t dim[8] = {4, static_cast<std::int16_t>(dimX), static_cast<std::int16_t>(dimY),
                                 static_cast<std::int16_t>(dimZ), 1, 0, 0, 0};
    std::memcpy(entete + 40, dim, sizeof dim);
    const std::int16_t type = 4, bits = 16;
    std::memcpy(entete + 70, &type, 2);
    std::memcpy(entete + 72, &bits, 2);
    std::string image(voxels.size() * 2, '\0');
    std::memcpy(&image[0], voxels.data(), image.size());
    return writeFile(base + ".hdr", std::string(reinterpret_cast<const char *>(entete), sizeof entete))
           && writeFile(base + ".img", image);
}

int niveauAttendu(int v, int a, int b)
{
    if (v < a)
        return 0;
    if (v > b)
        return 255;
    return ((v - a) * 255 / (b - a)) & 0xff;
}

bool ecrireOctaedreOFF(const std::string &chemin, double rayon)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    octaedre(rayon, sommets, faces);
    std::ostringstream texte;
    texte << "OFF\n" << sommets.size() << ' ' << faces.size() << " 0\n";
    for (const point3 &p : sommets)
        texte << p.x << ' ' << p.y << ' ' << p.z << '\n';
    for (const Face &f : faces)
        texte << "3 " << f.s1 << ' ' << f.s2 << ' ' << f.s3 << '\n';
    return writeFile(chemin, texte.str());
}

bool ecrireOctaedreOBJ(const std::string &chemin, double rayon)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    octaedre(rayon, sommets, faces);
    std::ostringstream texte;
    for (const point3 &p : sommets)
        texte << "v " << p.x << ' ' << p.y << ' ' << p.z << '\n';
    for (const Face &f : faces)
        texte << "f " << f.s1 + 1 << ' ' << f.s2 + 1 << ' ' << f.s3 + 1 << '\n';
    return writeFile(chemin, texte.str());
}

bool ecrireCubeSMM(const std::string &chemin, double rayon)
{
    Simplex s;
    cubeDual(s, rayon);
    return s.exporter(chemin, 2);
}

std::vector<point3> positionsSimplex(const GLWidget &vue)
{
    std::vector<point3> positions;
    for (const PointSimplex *p : vue.instanceSimplex->ListePointsSimplex)
        positions.push_back(p->Position);
    return positions;
}

point3 plusProcheDansLArbre(const GLWidget &vue, const point3 &p)
{
    kd_result *r = kd_closest3(vue.instanceMaillage->kd.get(), p.x, p.y, p.z);
    point3 trouve = p;
    if (r && !kd_result_at_end(r)) {
        double pos[3];
        kd_result_point(r, pos);
        trouve = point3(pos[0], pos[1], pos[2]);
    }
    kd_result_release(r);
    return trouve;
}

std::size_t tailleArbre(const GLWidget &vue)
{
    return kd_size(vue.instanceMaillage->kd.get());
}

void sauverArtefact(const QImage &image, const QString &nom)
{
    QDir().mkpath(QStringLiteral(TARNIS_ARTEFACTS_DIR));
    image.save(QStringLiteral(TARNIS_ARTEFACTS_DIR "/") + nom + QStringLiteral(".png"));
}

} // namespace tarnis_test
