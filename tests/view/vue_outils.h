#ifndef TARNIS_VUE_OUTILS_H
#define TARNIS_VUE_OUTILS_H

#include <QApplication>
#include <QImage>
#include <QString>
#include <QTest>

#include <cstdint>
#include <string>
#include <vector>

#include "pilote_gl.h"
#include "point3.h"

class GLWidget;

namespace tarnis_test {

/// A PTS file with the points, one per line.
bool ecrirePTS(const std::string &chemin, const std::vector<point3> &points);
/// An Analyze pair base.hdr / base.img of 16-bit voxels, x fastest, in the machine's byte order.
bool ecrireAnalyze(const std::string &base, int dimX, int dimY, int dimZ,
                   const std::vector<std::uint16_t> &voxels);
/// The grey level of a voxel value in the window [a, b] (0 below, 255 above, linear between).
int niveauAttendu(int v, int a, int b);
/// An OFF file of the regular octahedron of the given radius (6 vertices, 8 faces).
bool ecrireOctaedreOFF(const std::string &chemin, double rayon);
/// The same octahedron as an OBJ file.
bool ecrireOctaedreOBJ(const std::string &chemin, double rayon);
/// An SMM file of the simplex cube (dual of the octahedron of the given radius: 8 points).
bool ecrireCubeSMM(const std::string &chemin, double rayon);

/// Positions of the simplex points of a view, in order.
std::vector<point3> positionsSimplex(const GLWidget &vue);
/// The cloud point that the view's kd-tree gives as nearest to p (p itself when none).
point3 plusProcheDansLArbre(const GLWidget &vue, const point3 &p);
/// Number of points in the view's kd-tree.
std::size_t tailleArbre(const GLWidget &vue);

/// Saves a picture in the artefacts folder of the build (.png).
void sauverArtefact(const QImage &image, const QString &nom);

} // namespace tarnis_test

/// QTEST_MAIN, with the OpenGL driver kept loaded to the end (see garderPiloteOpenGL).
#define TARNIS_VUE_TEST_MAIN(Classe)                                                               \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        QApplication application(argc, argv);                                                      \
        tarnis_test::garderPiloteOpenGL();                                                         \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        Classe tests;                                                                              \
        return QTest::qExec(&tests, argc, argv);                                                   \
    }

#endif
