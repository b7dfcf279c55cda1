#ifndef TARNIS_SIMPLEXGL_H
#define TARNIS_SIMPLEXGL_H

#ifdef TARNIS_MOTEUR
#error "le moteur ne dessine pas : cet en-tête appartient au dessin ou à la vue"
#endif

#include <vector>

#include "Simplex.h"

/// The Simplex a document view owns and draws, with fixed-function OpenGL 1.1 (a context must be
/// current). Drawing reads the mesh and never changes it; the geometry goes to OpenGL through
/// client-side vertex arrays.
class SimplexGL : public Simplex
{
public:
    SimplexGL();
    /// Copying is refused: std::runtime_error "Constructeur de recopie" and "Operateur= lancée.".
    SimplexGL(const SimplexGL &autre);
    SimplexGL &operator=(const SimplexGL &autre);
    ~SimplexGL() override;

    /// 0: the points in red; 1: the edges to the non-null neighbours in white (each edge from both
    /// ends; leaves the front polygon mode at GL_FILL); 2: each cell as a closed line in the
    /// current colour; 3: the triangulation as a red wire frame; any other mode: nothing.
    /// In mode 1, when the buffer is multisampled, an edge whose two ends list each other is sent
    /// once: a multisampled segment covers the same samples whichever end it starts from.
    void afficher(int modeAffichage) override;
    /// The points of ListePI inside the vision cone of point pt (axis its normal, AngleCone,
    /// RayonCone), in green, size 6. An index outside the mesh draws nothing.
    void afficherPi(std::vector<point3> ListePI, int pt) override;
    /// The vision cone of point pt: its axis (yellow, length RayonCone) and eight generators.
    /// An index outside the mesh draws nothing.
    void afficherCone(int pt) override;

    /// True when Q lies in the vision cone at P of axis direction (same test as the deformation's
    /// search: ahead within the angle, or behind within the angle and no farther than rayon).
    static bool dansCone(const point3 &P, const vector3 &direction, double angleDegres, double rayon, const point3 &Q);
};

#endif
