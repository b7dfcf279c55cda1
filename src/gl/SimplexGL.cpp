#include "SimplexGL.h"

#include "MaillageGL.h"

#include <GL/gl.h>

#include <cmath>
#include <functional>
#include <stdexcept>

namespace {

void pousser(std::vector<double> &sommets, const point3 &p)
{
    sommets.push_back(p.x);
    sommets.push_back(p.y);
    sommets.push_back(p.z);
}

/// Coordinates go as doubles and are narrowed to single precision by OpenGL.
void dessinerTableau(const std::vector<double> &sommets, GLenum primitive)
{
    if (sommets.empty())
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_DOUBLE, 0, sommets.data());
    glDrawArrays(primitive, 0, static_cast<GLsizei>(sommets.size() / 3));
    glDisableClientState(GL_VERTEX_ARRAY);
}

const double deuxPi = 6.283185307179586;

/// True when the drawing goes to a multisampled buffer with multisampling on. Lines are then
/// rasterised by coverage of the segment, the same whichever end it starts from.
bool multiechantillonnage()
{
    const GLenum multisample = 0x809D, sampleBuffers = 0x80A8, samples = 0x80A9;
    GLint tampons = 0, echantillons = 0;
    glGetIntegerv(sampleBuffers, &tampons);
    glGetIntegerv(samples, &echantillons);
    return tampons > 0 && echantillons > 1 && glIsEnabled(multisample);
}

bool estVoisin(const PointSimplex *de, const PointSimplex *p)
{
    return de->Voisin1 == p || de->Voisin2 == p || de->Voisin3 == p;
}

} // namespace

SimplexGL::SimplexGL() = default;

SimplexGL::SimplexGL(const SimplexGL &) : Simplex()
{
    throw std::runtime_error("Constructeur de recopie");
}

SimplexGL &SimplexGL::operator=(const SimplexGL &)
{
    throw std::runtime_error("Operateur= lancée.");
}

SimplexGL::~SimplexGL() = default;

void SimplexGL::afficher(int modeAffichage)
{
    std::vector<double> sommets;
    switch (modeAffichage) {
    case 0:
        if (ListePointsSimplex.empty())
            return;
        glColor3f(1.0f, 0.0f, 0.0f);
        sommets.reserve(3 * ListePointsSimplex.size());
        for (const PointSimplex *p : ListePointsSimplex)
            if (p)
                pousser(sommets, p->Position);
        dessinerTableau(sommets, GL_POINTS);
        return;

    case 1: {
        if (ListePointsSimplex.empty())
            return;
        glColor3f(1.0f, 1.0f, 1.0f);
        glPolygonMode(GL_FRONT, GL_FILL);
        // Every edge is met from both ends. Multisampled, the second segment covers exactly the
        // samples of the first and is left out; otherwise both are drawn, as the ends may differ.
        const bool uneFois = multiechantillonnage();
        const std::less<const PointSimplex *> avant;
        sommets.reserve(18 * ListePointsSimplex.size());
        for (const PointSimplex *p : ListePointsSimplex) {
            if (!p)
                continue;
            for (const PointSimplex *v : {p->Voisin1, p->Voisin2, p->Voisin3}) {
                if (!v)
                    continue;
                if (uneFois && avant(v, p) && estVoisin(v, p))
                    continue;
                pousser(sommets, p->Position);
                pousser(sommets, v->Position);
            }
        }
        dessinerTableau(sommets, GL_LINES);
        return;
    }

    case 2: {
        std::vector<GLint> debuts;
        std::vector<GLsizei> tailles;
        for (const Maille *m : ListeMailles) {
            if (!m || m->empty())
                continue;
            debuts.push_back(static_cast<GLint>(sommets.size() / 3));
            GLsizei n = 0;
            for (const PointSimplex *p : *m) {
                if (!p)
                    continue;
                pousser(sommets, p->Position);
                ++n;
            }
            tailles.push_back(n);
        }
        if (sommets.empty())
            return;
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_DOUBLE, 0, sommets.data());
        for (std::size_t c = 0; c < debuts.size(); ++c)
            glDrawArrays(GL_LINE_LOOP, debuts[c], tailles[c]);
        glDisableClientState(GL_VERTEX_ARRAY);
        return;
    }

    case 3:
        MaillageGL::dessiner(maillageTriangule, 2);
        return;

    default:
        return;
    }
}

bool SimplexGL::dansCone(const point3 &P, const vector3 &direction, double angleDegres, double rayon, const point3 &Q)
{
    const vector3 v(P, Q);
    const double dq = v.norme();
    const double nd = direction.norme();
    if (nd == 0.0 || dq > rayon)
        return false;
    const double proj = (v * direction) / nd;
    const double theta = angleDegres * deuxPi / 180.0;
    const double t = theta == 0.0 ? 0.0 : proj / std::cos(theta);
    return (t > dq && t > 0.0) || (t < -dq && t < 0.0);
}

void SimplexGL::afficherPi(std::vector<point3> ListePI, int pt)
{
    if (pt < 0 || static_cast<std::size_t>(pt) >= ListePointsSimplex.size() || !ListePointsSimplex[pt])
        return;
    const PointSimplex &p = *ListePointsSimplex[pt];
    std::vector<double> sommets;
    for (const point3 &q : ListePI)
        if (dansCone(p.Position, p.Ni, AngleCone, RayonCone, q))
            pousser(sommets, q);
    if (sommets.empty())
        return;
    glPointSize(6.0f);
    glColor3f(0.0f, 1.0f, 0.0f);
    dessinerTableau(sommets, GL_POINTS);
}

void SimplexGL::afficherCone(int pt)
{
    if (pt < 0 || static_cast<std::size_t>(pt) >= ListePointsSimplex.size() || !ListePointsSimplex[pt])
        return;
    const PointSimplex &p = *ListePointsSimplex[pt];
    const double n = p.Ni.norme();
    if (n == 0.0)
        return;
    const vector3 axe = p.Ni * (1.0 / n);
    // Two unit vectors across the axis.
    vector3 u = std::fabs(axe.x) < 0.9 ? axe ^ vector3(1, 0, 0) : axe ^ vector3(0, 1, 0);
    u *= 1.0 / u.norme();
    const vector3 w = axe ^ u;
    const double theta = AngleCone * deuxPi / 180.0;
    const point3 &P = p.Position;

    std::vector<double> sommets;
    pousser(sommets, P);
    pousser(sommets, point3(P.x + axe.x * RayonCone, P.y + axe.y * RayonCone, P.z + axe.z * RayonCone));
    for (int k = 0; k < 8; ++k) {
        const double phi = k * deuxPi / 8.0;
        const vector3 g = axe * std::cos(theta) + (u * std::cos(phi) + w * std::sin(phi)) * std::sin(theta);
        pousser(sommets, P);
        pousser(sommets, point3(P.x + g.x * RayonCone, P.y + g.y * RayonCone, P.z + g.z * RayonCone));
    }
    glColor3f(1.0f, 1.0f, 0.0f);
    dessinerTableau(sommets, GL_LINES);
}
