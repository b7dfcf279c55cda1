#ifndef TARNIS_MAILLAGEGL_H
#define TARNIS_MAILLAGEGL_H

#ifdef TARNIS_MOTEUR
#error "le moteur ne dessine pas : cet en-tête appartient au dessin ou à la vue"
#endif

#include <vector>

#include "Maillage.h"

/// The drawable Maillage: fixed-function OpenGL 1.1 drawing of the point cloud and of the
/// triangle mesh. Needs a current OpenGL context. Neither operation touches the matrices or the
/// lighting, and neither restores the colour, point size or polygon mode it sets. The geometry
/// goes to OpenGL through client-side vertex arrays, one draw call per operation.
class MaillageGL : public Maillage
{
public:
    MaillageGL();
    MaillageGL(const std::vector<point3> &sommets, const std::vector<Face> &faces);
    ~MaillageGL() override;

    /// Mode 0: the vertices as points (current colour and size); mode 1: the edges in red;
    /// any other mode: the faces as a red wire frame (polygon mode GL_LINE for both sides), or
    /// "Liste de faces Vide" on standard output when there is no face. Faces and edges that
    /// name a vertex outside listeSommets are left out (the first time, with a line on
    /// standard error).
    void afficher(int mode) override;
    /// Mode 0: the points of interest in blue, size 4; any other mode draws nothing.
    void afficherPtInteret(int mode) override;

    /// The same drawings for any Maillage (a simplex mesh keeps its triangulation in a plain one).
    static void dessiner(const Maillage &maillage, int mode);
    static void dessinerPtInteret(const Maillage &maillage, int mode);
};

#endif
