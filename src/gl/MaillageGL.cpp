#include "MaillageGL.h"

#include <GL/gl.h>

#include <iostream>
#include <type_traits>

// Points and faces go to OpenGL straight from the lists: the layouts must match what the
// vertex and index pointers say.
static_assert(sizeof(point3) == 3 * sizeof(double) && std::is_standard_layout<point3>::value,
              "point3 must be three packed doubles");
static_assert(sizeof(Face) == 3 * sizeof(GLuint) && std::is_standard_layout<Face>::value,
              "Face must be three packed integers");

namespace {

/// Draws the points of a list as one vertex array; coordinates are read as doubles and narrowed
/// to single precision by OpenGL, as glVertex3f would have them.
void dessinerPoints(const std::vector<point3> &points)
{
    if (points.empty())
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_DOUBLE, sizeof(point3), &points[0].x);
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(points.size()));
    glDisableClientState(GL_VERTEX_ARRAY);
}

void dessinerIndices(const std::vector<point3> &sommets, GLenum primitive, const GLuint *indices, std::size_t nbIndices)
{
    if (nbIndices == 0)
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_DOUBLE, sizeof(point3), &sommets[0].x);
    glDrawElements(primitive, static_cast<GLsizei>(nbIndices), GL_UNSIGNED_INT, indices);
    glDisableClientState(GL_VERTEX_ARRAY);
}

bool dansListe(int indice, std::size_t taille)
{
    return indice >= 0 && static_cast<std::size_t>(indice) < taille;
}

/// Faces or edges naming a vertex outside the list come only from a mesh built in memory (the
/// readers drop them); they are left out of the picture and reported once.
void signalerIndicesInvalides(const char *quoi, std::size_t combien)
{
    static bool dejaSignale = false;
    if (dejaSignale)
        return;
    dejaSignale = true;
    std::cerr << combien << ' ' << quoi << " hors de la liste des sommets ne sont pas dessinées" << std::endl;
}

} // namespace

MaillageGL::MaillageGL() = default;

MaillageGL::MaillageGL(const std::vector<point3> &sommets, const std::vector<Face> &faces) : Maillage(sommets, faces) {}

MaillageGL::~MaillageGL() = default;

void MaillageGL::afficher(int mode)
{
    dessiner(*this, mode);
}

void MaillageGL::afficherPtInteret(int mode)
{
    dessinerPtInteret(*this, mode);
}

void MaillageGL::dessinerPtInteret(const Maillage &maillage, int mode)
{
    if (mode != 0)
        return;
    glPointSize(4.0f);
    glColor3f(0.0f, 0.0f, 1.0f);
    dessinerPoints(maillage.ListePointsInterets);
}

void MaillageGL::dessiner(const Maillage &maillage, int mode)
{
    const std::vector<point3> &listeSommets = maillage.listeSommets;
    const std::vector<Face> &listeFaces = maillage.listeFaces;
    const std::vector<Arete> &listeAretes = maillage.listeAretes;
    const std::size_t nbSommetsListe = listeSommets.size();

    if (mode == 0) {
        dessinerPoints(listeSommets);
        return;
    }

    if (mode == 1) {
        if (listeAretes.empty())
            return;
        glColor3f(1.0f, 0.0f, 0.0f);
        std::vector<GLuint> indices;
        indices.reserve(2 * listeAretes.size());
        std::size_t invalides = 0;
        for (const Arete &a : listeAretes) {
            if (!dansListe(a.a1, nbSommetsListe) || !dansListe(a.a2, nbSommetsListe)) {
                ++invalides;
                continue;
            }
            indices.push_back(static_cast<GLuint>(a.a1));
            indices.push_back(static_cast<GLuint>(a.a2));
        }
        if (invalides > 0)
            signalerIndicesInvalides("aretes", invalides);
        dessinerIndices(listeSommets, GL_LINES, indices.data(), indices.size());
        return;
    }

    if (listeFaces.empty()) {
        std::cout << "Liste de faces Vide" << std::endl;
        return;
    }
    glColor3f(1.0f, 0.0f, 0.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);

    // Faces whose indices are all valid go as they are; otherwise the valid ones are gathered.
    std::size_t invalides = 0;
    for (const Face &f : listeFaces) {
        if (!dansListe(f.s1, nbSommetsListe) || !dansListe(f.s2, nbSommetsListe) || !dansListe(f.s3, nbSommetsListe))
            ++invalides;
    }
    if (invalides == 0) {
        dessinerIndices(listeSommets, GL_TRIANGLES, reinterpret_cast<const GLuint *>(listeFaces.data()),
                        3 * listeFaces.size());
        return;
    }
    signalerIndicesInvalides("faces", invalides);
    std::vector<GLuint> indices;
    indices.reserve(3 * (listeFaces.size() - invalides));
    for (const Face &f : listeFaces) {
        if (!dansListe(f.s1, nbSommetsListe) || !dansListe(f.s2, nbSommetsListe) || !dansListe(f.s3, nbSommetsListe))
            continue;
        indices.push_back(static_cast<GLuint>(f.s1));
        indices.push_back(static_cast<GLuint>(f.s2));
        indices.push_back(static_cast<GLuint>(f.s3));
    }
    dessinerIndices(listeSommets, GL_TRIANGLES, indices.data(), indices.size());
}
