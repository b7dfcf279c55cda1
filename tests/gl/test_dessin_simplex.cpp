// Drawing of simplex meshes in each display mode, checked against a literal
// one-primitive-per-element drawing made in the same context.
#include "MaillageGL.h"
#include "SimplexGL.h"

#include "contexte_gl.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace tarnis_test;

namespace {

class DessinSimplex : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!gl.valide())
            GTEST_SKIP() << "pas de contexte OpenGL (lancer sous xvfb-run)";
        cubeDual(cube, 21.0); // corners at +-7
    }
    ContexteGL gl{80, 10.0};
    SimplexGL cube;
};

void sommet(const point3 &p)
{
    glVertex3f(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
}

void pointsReference(const Simplex &s)
{
    for (const PointSimplex *p : s.ListePointsSimplex) {
        glColor3f(1, 0, 0);
        glBegin(GL_POINTS);
        sommet(p->Position);
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
            if (!v)
                continue;
            sommet(p->Position);
            sommet(v->Position);
        }
        glEnd();
    }
}

void maillesReference(const Simplex &s)
{
    for (const Maille *m : s.ListeMailles) {
        glBegin(GL_LINE_LOOP);
        for (const PointSimplex *p : *m)
            sommet(p->Position);
        glEnd();
    }
}

} // namespace

TEST_F(DessinSimplex, Mode0PointsRouges)
{
    const QImage image = gl.dessiner([&] {
        glPointSize(4);
        cube.afficher(0);
    });
    sauverArtefact(image, "simplex_mode0");
    const QImage reference = gl.dessiner([&] {
        glPointSize(4);
        pointsReference(cube);
    });
    // Eight points, seen along z they fall in pairs on four places.
    EXPECT_EQ(compterCouleur(image, 255, 0, 0), 4 * 16);
    EXPECT_EQ(compterAllumes(image), compterCouleur(image, 255, 0, 0));
    EXPECT_TRUE(image == reference);
}

TEST_F(DessinSimplex, Mode1AretesBlanchesEtFacesAvantPleines)
{
    const QImage image = gl.dessiner([&] {
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        cube.afficher(1);
    });
    GLint modes[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
    EXPECT_EQ(modes[1], GL_LINE);
    sauverArtefact(image, "simplex_mode1");

    const QImage reference = gl.dessiner([&] { aretesReference(cube); });
    EXPECT_GT(compterCouleur(image, 255, 255, 255), 100);
    EXPECT_EQ(compterAllumes(image), compterCouleur(image, 255, 255, 255));
    EXPECT_TRUE(image == reference);

    // A missing neighbour only drops its segment. Tilt the cube so that every edge is seen.
    for (PointSimplex *p : cube.ListePointsSimplex)
        p->Position = point3(p->Position.x + 0.3 * p->Position.z, p->Position.y + 0.2 * p->Position.z,
                             p->Position.z);
    PointSimplex *p0 = cube.ListePointsSimplex[0];
    PointSimplex *retire = p0->Voisin3;
    // The edge is drawn from its other end too: remove it there as well.
    for (PointSimplex **v : {&retire->Voisin1, &retire->Voisin2, &retire->Voisin3})
        if (*v == p0)
            *v = nullptr;
    p0->Voisin3 = nullptr;
    const QImage troue = gl.dessiner([&] { cube.afficher(1); });
    EXPECT_TRUE(troue == gl.dessiner([&] { aretesReference(cube); }));
    EXPECT_LT(compterAllumes(troue), compterAllumes(gl.dessiner([&] {
                  p0->Voisin3 = retire;
                  aretesReference(cube);
              })));
    p0->Voisin3 = retire;
    for (PointSimplex **v : {&retire->Voisin1, &retire->Voisin2, &retire->Voisin3})
        if (!*v)
            *v = p0;
}

TEST(DessinSimplexMultiechantillonne, Mode1MemeImageQueChaqueAreteDesDeuxBouts)
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
    ASSERT_EQ(s.getNbPointsSimplex(), 320);
    for (int echantillons : {4, 0}) {
        ContexteGL gl(160, 10.0, echantillons);
        if (!gl.valide())
            GTEST_SKIP() << "pas de contexte OpenGL multiéchantillonné";
        const QImage image = gl.dessiner([&] { s.afficher(1); });
        const QImage reference = gl.dessiner([&] { aretesReference(s); });
        sauverArtefact(image, QString("simplex_mode1_%1_echantillons").arg(echantillons));
        EXPECT_GT(compterAllumes(reference), 2000) << echantillons;
        EXPECT_TRUE(image == reference) << echantillons << " échantillons";
    }
}

TEST_F(DessinSimplex, Mode2MaillesEnBouclesDansLaCouleurCourante)
{
    for (PointSimplex *p : cube.ListePointsSimplex)
        p->Position = point3(p->Position.x + 0.3 * p->Position.z, p->Position.y + 0.2 * p->Position.z,
                             p->Position.z);
    const QImage image = gl.dessiner([&] {
        glColor3f(1, 1, 0);
        cube.afficher(2);
    });
    sauverArtefact(image, "simplex_mode2");
    const QImage reference = gl.dessiner([&] {
        glColor3f(1, 1, 0);
        maillesReference(cube);
    });
    EXPECT_GT(compterCouleur(image, 255, 255, 0), 100);
    EXPECT_EQ(compterAllumes(image), compterCouleur(image, 255, 255, 0));
    EXPECT_TRUE(image == reference);

    SimplexGL sansMaille;
    sansMaille.ListePointsSimplex = {};
    EXPECT_EQ(compterAllumes(gl.dessiner([&] { sansMaille.afficher(2); })), 0);
}

TEST_F(DessinSimplex, Mode3TriangulationEnFilDeFerRouge)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    octaedre(8.0, sommets, faces);
    cube.maillageTriangule = Maillage(sommets, faces);
    const QImage image = gl.dessiner([&] { cube.afficher(3); });
    sauverArtefact(image, "simplex_mode3");
    MaillageGL memeTriangles(sommets, faces);
    EXPECT_GT(compterCouleur(image, 255, 0, 0), 100);
    EXPECT_TRUE(image == gl.dessiner([&] { memeTriangles.afficher(2); }));

    SimplexGL sansTriangle;
    QImage vide;
    EXPECT_EQ(captureStdout([&] { vide = gl.dessiner([&] { sansTriangle.afficher(3); }); }),
              "Liste de faces Vide\n");
    EXPECT_EQ(compterAllumes(vide), 0);
}

TEST_F(DessinSimplex, ModesInconnusNeDessinentRien)
{
    for (int mode : {4, 5, -1}) {
        const QImage image = gl.dessiner([&] {
            glPointSize(4);
            cube.afficher(mode);
        });
        EXPECT_EQ(compterAllumes(image), 0) << "mode " << mode;
    }
}

TEST(SimplexGLCopie, RefuseeAvecLesMessagesDeLaClasse)
{
    SimplexGL a;
    SimplexGL b;
    try {
        SimplexGL c(a);
        FAIL() << "la copie aurait dû être refusée";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "Constructeur de recopie");
    }
    try {
        b = a;
        FAIL() << "l'affectation aurait dû être refusée";
    } catch (const std::runtime_error &e) {
        EXPECT_EQ(std::string(e.what()), "Operateur= lancée.");
    }
}

TEST(SimplexGLCone, AppartenanceAuConeDeVision)
{
    const point3 P(0, 0, 0);
    const vector3 axe(0, 0, 2);
    // An angle of 22.5 opens the cone 45 degrees around its axis.
    EXPECT_TRUE(SimplexGL::dansCone(P, axe, 22.5, 10, point3(0, 0, 5)));
    EXPECT_TRUE(SimplexGL::dansCone(P, axe, 22.5, 10, point3(2, 0, 5)));
    EXPECT_FALSE(SimplexGL::dansCone(P, axe, 22.5, 10, point3(5, 0, 1)));
    // Behind, within the angle of the opposite direction and the radius.
    EXPECT_TRUE(SimplexGL::dansCone(P, axe, 22.5, 10, point3(0, 0, -5)));
    EXPECT_FALSE(SimplexGL::dansCone(P, axe, 22.5, 10, point3(0, 0, -11)));
    EXPECT_FALSE(SimplexGL::dansCone(P, axe, 22.5, 10, point3(0, 0, 11)));
    // A closed cone or no axis holds nothing.
    EXPECT_FALSE(SimplexGL::dansCone(P, axe, 0.0, 10, point3(0, 0, 5)));
    EXPECT_FALSE(SimplexGL::dansCone(P, vector3(0, 0, 0), 22.5, 10, point3(0, 0, 5)));
}

TEST_F(DessinSimplex, PointsDansLeConeEtConeDeVision)
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
    sauverArtefact(image, "simplex_cone_points");
    EXPECT_EQ(image.pixel(gl.pixel(5, 1)), qRgb(0, 255, 0));
    EXPECT_EQ(compterCouleur(image, 0, 255, 0), 36); // one 6 x 6 point
    EXPECT_EQ(compterAllumes(gl.dessiner([&] { s.afficherPi(nuage, 1); })), 0);
    EXPECT_EQ(compterAllumes(gl.dessiner([&] { s.afficherPi(nuage, -1); })), 0);

    const QImage cone = gl.dessiner([&] { s.afficherCone(0); });
    sauverArtefact(cone, "simplex_cone");
    EXPECT_EQ(cone.pixel(gl.pixel(4.1, 0.125)), qRgb(255, 255, 0)); // on the axis
    EXPECT_EQ(cone.pixel(gl.pixel(-4.1, 0.125)), qRgb(0, 0, 0));
    EXPECT_EQ(compterAllumes(gl.dessiner([&] { s.afficherCone(3); })), 0);
}
