// Drawing of clouds, triangle meshes and simplex meshes in each display mode, checked against the
// picture of a literal one-primitive-per-element drawing made in the same context.
#include "MaillageGL.h"
#include "SimplexGL.h"

#include "outils_qt.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <GL/gl.h>
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <random>

using namespace tarnis_test;

namespace {

// 80 pixels over [-10, 10]: 4 pixels per unit.
class Dessin : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!gl.valide())
            GTEST_SKIP() << "no OpenGL context (run under xvfb-run)";
        cubeDual(cube, 21.0); // corners at +-7
    }
    ContexteGL gl{80, 10.0};
    SimplexGL cube;
};

void sommet(const point3 &p) { glVertex3f(float(p.x), float(p.y), float(p.z)); }

void pointsReference(const std::vector<point3> &points)
{
    for (const point3 &p : points) {
        glBegin(GL_POINTS);
        sommet(p);
        glEnd();
    }
}

void trianglesReference(const Maillage &m)
{
    for (const Face &f : m.listeFaces) {
        glColor3f(1, 0, 0);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glBegin(GL_TRIANGLES);
        for (int s : {f.s1, f.s2, f.s3})
            sommet(m.listeSommets.at(s));
        glEnd();
    }
}

void aretesReference(const Simplex &s)
{
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
}

MaillageGL deuxTriangles()
{
    return MaillageGL({{-8, -8, 0}, {6, -7, 0}, {-7, 7, 0}, {7, 8, 1}}, {{0, 1, 2}, {1, 3, 2}});
}

} // namespace

TEST_F(Dessin, NuageEnPointsBleusDeTaille4)
{
    MaillageGL m;
    std::mt19937 gen(12345);
    std::uniform_real_distribution<double> u(-9.5, 9.5);
    for (int i = 0; i < 5000; ++i)
        m.ListePointsInterets.emplace_back(u(gen), u(gen), u(gen));
    const QImage image = gl.dessiner([&] { m.afficherPtInteret(0); });
    const QImage reference = gl.dessiner([&] {
        glPointSize(4);
        glColor3f(0, 0, 1);
        pointsReference(m.ListePointsInterets);
    });
    EXPECT_GT(compterCouleur(reference, 0, 0, 255), 1000);
    EXPECT_TRUE(image == reference);
    for (int mode : {1, 2, -1})
        EXPECT_EQ(compterAllumes(gl.dessiner([&] { m.afficherPtInteret(mode); })), 0) << mode;
}

TEST_F(Dessin, TrianglesEnFilDeFerRouge)
{
    MaillageGL m = deuxTriangles();
    const QImage reference = gl.dessiner([&] { trianglesReference(m); });
    EXPECT_GT(compterCouleur(reference, 255, 0, 0), 100);
    EXPECT_EQ(reference.pixel(gl.pixel(-3, -2)), qRgb(0, 0, 0)); // a wire frame, not filled faces
    for (int mode : {2, 5, -3})
        EXPECT_TRUE(gl.dessiner([&] { m.afficher(mode); }) == reference) << "mode " << mode;

    // Mode 1: each edge in red; indices outside the lists are left out without an exception.
    m.listeAretes = {{0, 1, 0, -1}, {1, 3, 1, -1}, {2, 0, 0, -1}};
    const QImage aretes = gl.dessiner([&] {
        for (const Arete &a : m.listeAretes) {
            glColor3f(1, 0, 0);
            glBegin(GL_LINES);
            sommet(m.listeSommets[a.a1]);
            sommet(m.listeSommets[a.a2]);
            glEnd();
        }
    });
    EXPECT_GT(compterCouleur(aretes, 255, 0, 0), 50);
    EXPECT_TRUE(gl.dessiner([&] { m.afficher(1); }) == aretes);
    MaillageGL abime = deuxTriangles();
    abime.listeFaces.push_back({0, 2, 9});
    abime.listeFaces.push_back({-1, 0, 1});
    abime.listeAretes = m.listeAretes;
    abime.listeAretes.push_back({3, 17, 1, -1});
    captureStderr([&] {
        EXPECT_TRUE(gl.dessiner([&] { abime.afficher(2); }) == reference);
        EXPECT_TRUE(gl.dessiner([&] { abime.afficher(1); }) == aretes);
    });
}

TEST_F(Dessin, SimplexModes0Et2)
{
    for (PointSimplex *p : cube.ListePointsSimplex)
        p->Position = point3(p->Position.x + 0.3 * p->Position.z, p->Position.y + 0.2 * p->Position.z, p->Position.z);
    const QImage points = gl.dessiner([&] {
        glPointSize(4);
        cube.afficher(0);
    });
    EXPECT_EQ(compterCouleur(points, 255, 0, 0), 8 * 16);
    EXPECT_TRUE(points == gl.dessiner([&] {
        glPointSize(4);
        glColor3f(1, 0, 0);
        pointsReference(positions(cube));
    }));

    const QImage mailles = gl.dessiner([&] {
        glColor3f(1, 1, 0);
        cube.afficher(2);
    });
    sauverArtefact(mailles, "simplex_mode2");
    EXPECT_GT(compterCouleur(mailles, 255, 255, 0), 100);
    EXPECT_TRUE(mailles == gl.dessiner([&] {
        glColor3f(1, 1, 0);
        for (const Maille *m : cube.ListeMailles) {
            glBegin(GL_LINE_LOOP);
            for (const PointSimplex *p : *m)
                sommet(p->Position);
            glEnd();
        }
    }));
    for (int mode : {4, -1})
        EXPECT_EQ(compterAllumes(gl.dessiner([&] { cube.afficher(mode); })), 0) << mode;
}

TEST(DessinSimplex, Mode1MemeImageQueChaqueAreteDesDeuxBouts)
{
    // A denser mesh, turned so that its edges run in every direction, on a multisampled buffer
    // (where each edge is sent once) and on a plain one (where both ends are sent).
    SimplexGL s;
    std::vector<point3> sommets;
    std::vector<Face> faces;
    icosaedreSubdivise(2, 9.0, sommets, faces);
    for (point3 &p : sommets)
        p = point3(p.x + 0.31 * p.z, p.y - 0.17 * p.z, p.z);
    construireDual(s, sommets, faces);
    for (int echantillons : {4, 0}) {
        ContexteGL gl(160, 10.0, echantillons);
        if (!gl.valide())
            GTEST_SKIP() << "no multisampled OpenGL context";
        const QImage image = gl.dessiner([&] { s.afficher(1); });
        const QImage reference = gl.dessiner([&] { aretesReference(s); });
        sauverArtefact(image, QString("simplex_mode1_%1").arg(echantillons));
        EXPECT_GT(compterAllumes(reference), 2000) << echantillons;
        EXPECT_TRUE(image == reference) << echantillons << " samples";
    }
}

TEST_F(Dessin, SimplexMode3EstLaTriangulation)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    octaedre(8.0, sommets, faces);
    cube.maillageTriangule = Maillage(sommets, faces);
    const QImage image = gl.dessiner([&] { cube.afficher(3); });
    EXPECT_GT(compterCouleur(image, 255, 0, 0), 100);
    EXPECT_TRUE(image == gl.dessiner([&] { trianglesReference(cube.maillageTriangule); }));
}

TEST_F(Dessin, PointsDansLeConeEtConeDeVision)
{
    SimplexGL s;
    // On a pixel centre, so that the axis line has one row to fall on.
    auto *p = new PointSimplex(point3(0, 0.125, 0), nullptr, nullptr, nullptr);
    p->Ni = vector3(1, 0, 0);
    s.ListePointsSimplex.push_back(p);
    s.ListePointsPrecedents.push_back(new PointSimplex(*p));
    s.ListePointsSuivants.push_back(new PointSimplex(*p));
    s.setConeDeVision(22.5, 8.0);

    const std::vector<point3> nuage{{5, 1, 0}, {-5, 7, 0}, {0, -6, 0}};
    const QImage image = gl.dessiner([&] { s.afficherPi(nuage, 0); });
    EXPECT_EQ(image.pixel(gl.pixel(5, 1)), qRgb(0, 255, 0));
    EXPECT_EQ(compterCouleur(image, 0, 255, 0), 36); // one 6 x 6 point
    const QImage cone = gl.dessiner([&] { s.afficherCone(0); });
    EXPECT_EQ(cone.pixel(gl.pixel(4.1, 0.125)), qRgb(255, 255, 0)); // on the axis
    EXPECT_EQ(cone.pixel(gl.pixel(-4.1, 0.125)), qRgb(0, 0, 0));

    // Membership: an angle of 22.5 opens the cone 45 degrees; behind, within the radius.
    const struct { double angle; point3 p; bool dedans; } cas[] = {
        {22.5, {2, 0, 5}, true}, {22.5, {5, 0, 1}, false}, {22.5, {0, 0, -5}, true}, {22.5, {0, 0, -11}, false},
        {0.0, {0, 0, 5}, false}};
    for (const auto &c : cas)
        EXPECT_EQ(SimplexGL::dansCone(point3(), vector3(0, 0, 2), c.angle, 10, c.p), c.dedans) << c.p;
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
