// Drawing of triangle meshes and simplex meshes, checked against the picture of a literal
// one-primitive-per-element drawing made in the same context.
#include "MaillageGL.h"
#include "SimplexGL.h"

#include "outils_qt.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <GL/gl.h>
#include <QGuiApplication>
#include <gtest/gtest.h>

using namespace tarnis_test;

namespace {

void sommet(const point3 &p)
{
    glVertex3f(float(p.x), float(p.y), float(p.z));
}

} // namespace

TEST(Dessin, TrianglesEnFilDeFerRougeSansLesFacesHorsListe)
{
    ContexteGL gl{80, 10.0};
    if (!gl.valide())
        GTEST_SKIP() << "no OpenGL context (run under xvfb-run)";
    MaillageGL m({{-8, -8, 0}, {6, -7, 0}, {-7, 7, 0}, {7, 8, 1}}, {{0, 1, 2}, {1, 3, 2}});
    const QImage reference = gl.dessiner([&] {
        for (const Face &f : m.listeFaces) {
            glColor3f(1, 0, 0);
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
            glBegin(GL_TRIANGLES);
            for (int s : {f.s1, f.s2, f.s3})
                sommet(m.listeSommets.at(s));
            glEnd();
        }
    });
    EXPECT_GT(compterCouleur(reference, 255, 0, 0), 100);
    EXPECT_EQ(reference.pixel(28, 47), qRgb(0, 0, 0)); // a wire frame, not filled faces
    // Faces with indices outside the list are left out without an exception.
    m.listeFaces.push_back({0, 2, 9});
    m.listeFaces.push_back({-1, 0, 1});
    captureStderr([&] { EXPECT_TRUE(gl.dessiner([&] { m.afficher(2); }) == reference); });
}

TEST(Dessin, SimplexMode1MemeImageQueChaqueAreteDesDeuxBouts)
{
    // A dense mesh, turned so that its edges run in every direction.
    ContexteGL gl(160, 10.0);
    if (!gl.valide())
        GTEST_SKIP() << "no OpenGL context (run under xvfb-run)";
    SimplexGL s;
    std::vector<point3> sommets;
    std::vector<Face> faces;
    icosaedreSubdivise(2, 9.0, sommets, faces);
    for (point3 &p : sommets)
        p = point3(p.x + 0.31 * p.z, p.y - 0.17 * p.z, p.z);
    construireDual(s, sommets, faces);
    const QImage reference = gl.dessiner([&] {
        for (const PointSimplex *p : s.ListePointsSimplex) {
            glColor3f(1, 1, 1);
            glPolygonMode(GL_FRONT, GL_FILL);
            glBegin(GL_LINES);
            for (const PointSimplex *v : {p->Voisin1, p->Voisin2, p->Voisin3}) {
                sommet(p->Position);
                sommet(v->Position);
            }
            glEnd();
        }
    });
    EXPECT_GT(compterCouleur(reference, 255, 255, 255), 2000);
    EXPECT_TRUE(gl.dessiner([&] { s.afficher(1); }) == reference);
}

int main(int argc, char **argv)
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    garderPiloteOpenGL();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
