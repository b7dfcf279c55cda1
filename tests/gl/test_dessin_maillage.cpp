// Drawing of clouds and triangle meshes, checked against the picture of a literal
// one-primitive-per-element drawing made in the same context.
#include "MaillageGL.h"

#include "contexte_gl.h"
#include "support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <random>

using namespace tarnis_test;

namespace {

// 80 pixels over [-10, 10]: 4 pixels per unit, integer coordinates fall on pixel corners.
class DessinMaillage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!gl.valide())
            GTEST_SKIP() << "pas de contexte OpenGL (lancer sous xvfb-run)";
    }
    ContexteGL gl{80, 10.0};
};

void pointsImmediats(const std::vector<point3> &points)
{
    for (const point3 &p : points) {
        glBegin(GL_POINTS);
        glVertex3f(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
        glEnd();
    }
}

void trianglesImmediats(const Maillage &m)
{
    for (const Face &f : m.listeFaces) {
        glColor3f(1, 0, 0);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        glBegin(GL_TRIANGLES);
        for (int s : {f.s1, f.s2, f.s3}) {
            const point3 &p = m.listeSommets.at(s);
            glVertex3f(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
        }
        glEnd();
    }
}

MaillageGL deuxTriangles()
{
    std::vector<point3> sommets{{-8, -8, 0}, {6, -7, 0}, {-7, 7, 0}, {7, 8, 1}};
    std::vector<Face> faces{{0, 1, 2}, {1, 3, 2}};
    return MaillageGL(sommets, faces);
}

std::vector<point3> nuageAleatoire(int n, unsigned graine)
{
    std::mt19937 gen(graine);
    std::uniform_real_distribution<double> u(-9.5, 9.5);
    std::vector<point3> points;
    for (int i = 0; i < n; ++i)
        points.emplace_back(u(gen), u(gen), u(gen));
    return points;
}

} // namespace

TEST_F(DessinMaillage, NuageEnPointsBleusDeTaille4)
{
    MaillageGL m;
    m.ListePointsInterets = {{-5, -5, 0}, {0, 0, 3}, {6, 2, -1}};
    const QImage image = gl.dessiner([&] { m.afficherPtInteret(0); });
    sauverArtefact(image, "maillage_nuage_bleu");

    // Three separate 4 x 4 squares of pure blue, nothing else.
    EXPECT_EQ(compterCouleur(image, 0, 0, 255), 3 * 16);
    EXPECT_EQ(compterAllumes(image), 3 * 16);
    for (const point3 &p : m.ListePointsInterets) {
        const QPoint c = gl.pixel(p.x, p.y);
        EXPECT_EQ(image.pixel(c), qRgb(0, 0, 255)) << p.x << ' ' << p.y;
    }
    // Colour and point size stay as the drawing set them.
    GLfloat taille = 0, couleur[4] = {0, 0, 0, 0};
    glGetFloatv(GL_POINT_SIZE, &taille);
    glGetFloatv(GL_CURRENT_COLOR, couleur);
    EXPECT_EQ(taille, 4.0f);
    EXPECT_EQ(couleur[0], 0.0f);
    EXPECT_EQ(couleur[1], 0.0f);
    EXPECT_EQ(couleur[2], 1.0f);
}

TEST_F(DessinMaillage, NuageAleatoireMemeImageQuUnPointParPrimitive)
{
    MaillageGL m;
    m.ListePointsInterets = nuageAleatoire(5000, 12345);
    const QImage image = gl.dessiner([&] { m.afficherPtInteret(0); });
    const QImage reference = gl.dessiner([&] {
        glPointSize(4);
        glColor3f(0, 0, 1);
        pointsImmediats(m.ListePointsInterets);
    });
    EXPECT_GT(compterAllumes(reference), 1000);
    EXPECT_TRUE(image == reference);
}

TEST_F(DessinMaillage, AutresModesDuNuageNeDessinentRien)
{
    MaillageGL m;
    m.ListePointsInterets = {{0, 0, 0}, {1, 1, 1}};
    for (int mode : {1, 2, -1}) {
        const QImage image = gl.dessiner([&] { m.afficherPtInteret(mode); });
        EXPECT_EQ(compterAllumes(image), 0) << "mode " << mode;
        GLfloat taille = 0;
        glGetFloatv(GL_POINT_SIZE, &taille);
        EXPECT_EQ(taille, 1.0f) << "mode " << mode;
    }
    MaillageGL vide;
    EXPECT_EQ(compterAllumes(gl.dessiner([&] { vide.afficherPtInteret(0); })), 0);
}

TEST_F(DessinMaillage, TrianglesEnFilDeFerRougeQuelQueSoitLeModeAuDelaDe1)
{
    MaillageGL m = deuxTriangles();
    const QImage reference = gl.dessiner([&] { trianglesImmediats(m); });
    sauverArtefact(reference, "maillage_triangles_reference");
    EXPECT_GT(compterCouleur(reference, 255, 0, 0), 100);
    EXPECT_EQ(compterAllumes(reference), compterCouleur(reference, 255, 0, 0));
    // The inside of the triangles stays black: a wire frame, not filled faces.
    EXPECT_EQ(reference.pixel(gl.pixel(-3, -2)), qRgb(0, 0, 0));

    for (int mode : {2, 5, -3}) {
        const QImage image = gl.dessiner([&] { m.afficher(mode); });
        EXPECT_TRUE(image == reference) << "mode " << mode;
        GLint modes[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, modes);
        EXPECT_EQ(modes[0], GL_LINE);
        EXPECT_EQ(modes[1], GL_LINE);
    }
    sauverArtefact(gl.dessiner([&] { m.afficher(2); }), "maillage_triangles");
}

TEST_F(DessinMaillage, SansFaceUnMessageAChaqueDessinEtRienDAutre)
{
    MaillageGL m;
    m.listeSommets = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    QImage image;
    const std::string sortie = captureStdout([&] {
        image = gl.dessiner([&] {
            m.afficher(2);
            m.afficher(2);
        });
    });
    EXPECT_EQ(sortie, "Liste de faces Vide\nListe de faces Vide\n");
    EXPECT_EQ(compterAllumes(image), 0);
    GLint modes[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
}

TEST_F(DessinMaillage, SommetsEtAretes)
{
    MaillageGL m = deuxTriangles();
    // Mode 0: the vertices with the colour and size already current.
    const QImage sommets = gl.dessiner([&] {
        glColor3f(0, 1, 0);
        glPointSize(2);
        m.afficher(0);
    });
    const QImage sommetsReference = gl.dessiner([&] {
        glColor3f(0, 1, 0);
        glPointSize(2);
        pointsImmediats(m.listeSommets);
    });
    EXPECT_EQ(compterCouleur(sommets, 0, 255, 0), 4 * 4);
    EXPECT_TRUE(sommets == sommetsReference);

    // Mode 1 with no edge: nothing, colour untouched.
    const QImage sansArete = gl.dessiner([&] {
        glColor3f(0, 1, 0);
        m.afficher(1);
    });
    EXPECT_EQ(compterAllumes(sansArete), 0);
    GLfloat couleur[4];
    glGetFloatv(GL_CURRENT_COLOR, couleur);
    EXPECT_EQ(couleur[1], 1.0f);

    // Mode 1: each edge in red, from a1 to a2.
    m.listeAretes = {{0, 1, 0, -1}, {1, 3, 1, -1}, {2, 0, 0, -1}};
    const QImage aretes = gl.dessiner([&] { m.afficher(1); });
    const QImage aretesReference = gl.dessiner([&] {
        for (const Arete &a : m.listeAretes) {
            glColor3f(1, 0, 0);
            glBegin(GL_LINES);
            const point3 &p = m.listeSommets[a.a1];
            const point3 &q = m.listeSommets[a.a2];
            glVertex3f(float(p.x), float(p.y), float(p.z));
            glVertex3f(float(q.x), float(q.y), float(q.z));
            glEnd();
        }
    });
    EXPECT_GT(compterCouleur(aretes, 255, 0, 0), 50);
    EXPECT_TRUE(aretes == aretesReference);
}

TEST_F(DessinMaillage, IndicesHorsDeLaListeLaissesDeCoteSansException)
{
    MaillageGL valide = deuxTriangles();
    MaillageGL abime = deuxTriangles();
    abime.listeFaces.push_back({0, 2, 9});
    abime.listeFaces.push_back({-1, 0, 1});
    abime.listeAretes = {{0, 1, 0, -1}, {3, 17, 1, -1}};

    QImage image;
    const std::string erreurs = captureStderr([&] {
        EXPECT_NO_THROW(image = gl.dessiner([&] { abime.afficher(2); }));
        EXPECT_NO_THROW(gl.dessiner([&] { abime.afficher(1); }));
    });
    EXPECT_FALSE(erreurs.empty());
    EXPECT_TRUE(image == gl.dessiner([&] { valide.afficher(2); }));

    MaillageGL uneArete = deuxTriangles();
    uneArete.listeAretes = {{0, 1, 0, -1}};
    EXPECT_TRUE(gl.dessiner([&] { abime.afficher(1); }) == gl.dessiner([&] { uneArete.afficher(1); }));
}
