// Per-point geometry of a simplex mesh: normal, circumcircle, metric parameters, simplex angle.
// The float conversions below are deliberate: the values are rounded to single precision at these
// steps and nowhere else.

#include "Simplex.h"
#include "Vecteurs.h"

#include <atomic>
#include <cmath>
#include <iostream>
#include <mutex>

namespace {

const double PI = 3.141592653589793;

float versFloat(double v)
{
    return arrondiFloat(v);
}

/// b - a with each coordinate rounded to float.
vector3 differenceFloat(const point3 &a, const point3 &b)
{
    return vector3(versFloat(b.x - a.x), versFloat(b.y - a.y), versFloat(b.z - a.z));
}

/// Cross product with each component rounded to float.
vector3 produitVectorielFloat(const vector3 &u, const vector3 &v)
{
    const vector3 w = u ^ v;
    return vector3(versFloat(w.x), versFloat(w.y), versFloat(w.z));
}

} // namespace

vector3 Simplex::calculeNormaleNi(PointSimplex &p)
{
    if (!p.aSesVoisins()) {
        p.Ni = vector3();
        return p.Ni;
    }
    const point3 &v1 = p.Voisin1->Position;
    const vector3 u = differenceFloat(v1, p.Voisin2->Position);
    const vector3 v = differenceFloat(v1, p.Voisin3->Position);
    const vector3 n = produitVectorielFloat(u, v);
    double longueur = std::sqrt(n * n);
    if (longueur == 0) {
        // It says it is the last of its kind: it is, once in the process.
        static std::atomic<bool> dejaDit{false};
        if (!dejaDit.exchange(true))
            std::cerr << "Erreur : La norme = 0 dans la fonction calculeNormaleNi de la classe Simplexe. "
                         "Ceci est le dernier avertissement de ce type."
                      << std::endl;
        longueur = 1;
    }
    p.Ni = vector3(n.x / longueur, n.y / longueur, n.z / longueur);
    return p.Ni;
}

point3 Simplex::projection(const PointSimplex &p)
{
    const point3 &pos = p.Position;
    const point3 &v1 = p.Voisin1->Position;
    const vector3 &n = p.Ni;
    float h = versFloat((pos.x - v1.x) * n.x);
    h = versFloat(h + (pos.y - v1.y) * n.y);
    h = versFloat(h + (pos.z - v1.z) * n.z);
    return point3(pos.x - h * n.x, pos.y - h * n.y, pos.z - h * n.z);
}

float Simplex::aireSignee(point3 A, point3 B, point3 C, vector3 n)
{
    const vector3 u = differenceFloat(B, A);
    const vector3 v = differenceFloat(B, C);
    const vector3 w = produitVectorielFloat(u, v);
    float aire = versFloat(std::sqrt(w * w) * 0.5);
    if (w * n < 0)
        aire = -aire;
    return aire;
}

void Simplex::calculEpsilon(PointSimplex &p)
{
    const point3 f = projection(p);
    const vector3 n = p.Ni;
    const point3 &v1 = p.Voisin1->Position;
    const point3 &v2 = p.Voisin2->Position;
    const point3 &v3 = p.Voisin3->Position;

    const float a0 = aireSignee(v1, v2, v3, n);
    if (a0 == 0)
        std::cout << "Erreur dans le calcul de l'aire signée du triangle" << std::endl;

    p.Epsilon1 = aireSignee(f, v2, v3, n) / a0;
    p.Epsilon2 = aireSignee(f, v3, v1, n) / a0;
    p.Epsilon3 = aireSignee(f, v1, v2, n) / a0;

    const point3 g(p.Epsilon1 * v1.x + p.Epsilon2 * v2.x + p.Epsilon3 * v3.x,
                   p.Epsilon1 * v1.y + p.Epsilon2 * v2.y + p.Epsilon3 * v3.y,
                   p.Epsilon1 * v1.z + p.Epsilon2 * v2.z + p.Epsilon3 * v3.z);
    if (std::fabs(g.x - f.x) > 0.0001 || std::fabs(g.y - f.y) > 0.0001 || std::fabs(g.z - f.z) > 0.0001) {
        std::cout << "Erreur dans le calcul d'epsilon" << std::endl;
        std::cout << f.x << " " << f.y << " " << f.z << std::endl;
        std::cout << g.x << " " << g.y << " " << g.z << std::endl;
    }
}

float Simplex::sinusAngle(point3 A, point3 B, point3 C)
{
    const vector3 u = differenceFloat(B, A);
    const vector3 v = differenceFloat(B, C);
    const float nu = versFloat(u.norme());
    const float nv = versFloat(v.norme());
    const float nw = versFloat((u ^ v).norme());
    const float produit = nu * nv;
    if (produit == 0)
        std::cout << "Error ! Norm is null fo the sinus of the angle " << A << "/" << B << "/" << C << std::endl;
    return nw / produit;
}

float Simplex::cosinusAngle(point3 A, point3 B, point3 C)
{
    const vector3 u = differenceFloat(B, A);
    const vector3 v = differenceFloat(B, C);
    const float nu = versFloat(u.norme());
    const float nv = versFloat(v.norme());
    const float scalaire = versFloat(u * v);
    const float produit = nu * nv;
    if (produit == 0)
        std::cout << "Error ! Norm is null fo the cosinus of the angle " << A << "/" << B << "/" << C << std::endl;
    return scalaire / produit;
}

point3 Simplex::centreCercleCirconscrit(point3 A, point3 B, point3 C)
{
    const float thetaA = std::atan2(sinusAngle(C, A, B), cosinusAngle(C, A, B));
    const float thetaB = std::atan2(sinusAngle(A, B, C), cosinusAngle(A, B, C));
    const float thetaC = std::atan2(sinusAngle(B, C, A), cosinusAngle(B, C, A));
    const double sA = std::sin(2.0 * thetaA);
    const double sB = std::sin(2.0 * thetaB);
    const double sC = std::sin(2.0 * thetaC);
    const double somme = sA + sB + sC;
    const float wA = versFloat(sA / somme);
    const float wB = versFloat(sB / somme);
    const float wC = versFloat(sC / somme);
    return point3(versFloat(wA * A.x + wB * B.x + wC * C.x), versFloat(wA * A.y + wB * B.y + wC * C.y),
                  versFloat(wA * A.z + wB * B.z + wC * C.z));
}

float Simplex::rayonCercleCirconscrit(const PointSimplex &p)
{
    const float r1 = versFloat(distance(p.CentreCercle, p.Voisin1->Position));
    const float r2 = versFloat(distance(p.CentreCercle, p.Voisin2->Position));
    const float r3 = versFloat(distance(p.CentreCercle, p.Voisin3->Position));
    if (!(std::fabs(r1 - r2) <= 0.0001f && std::fabs(r1 - r3) <= 0.0001f && std::fabs(r2 - r3) <= 0.0001f)) {
        std::cout << "Erreur dans le calcul du rayon du cercle circonscrit" << std::endl;
        std::cout << "Rayon : " << r1 << " " << r2 << " " << r3 << std::endl;
    }
    return r1;
}

float Simplex::CalculParametre_L(float r, float d, float phi)
{
    const double epsilon = std::fabs(phi) >= 1.5707963267948966 ? -1.0 : 1.0;
    const double t = std::tan(static_cast<double>(phi));
    const double rr = static_cast<double>(r) * r;
    const double a = rr - static_cast<double>(d) * d;
    const double racine = a * t * t + rr;
    if (racine < 0) {
        // Called from the threads of a deformation step: one whole line at a time.
        static std::mutex sortie;
        const std::lock_guard<std::mutex> verrou(sortie);
        std::cout << "Erreur dans CalculParametre_L, racine < 0" << std::endl;
        return 0;
    }
    return versFloat(a * t / (epsilon * std::sqrt(racine) + r));
}

int Simplex::calculAngleSimplexe(PointSimplex &p)
{
    const point3 f = projection(p);
    p.DistanceCentre = versFloat(distance(f, p.CentreCercle));

    const float L = versFloat(vector3(p.Voisin1->Position, p.Position) * p.Ni);
    const float r = p.Rayon;
    const float d = p.DistanceCentre;
    const float a = r * r - d * d;
    const float b = 2 * r * L;
    const float c = a - L * L;

    if (c == 0)
        p.Phi = 100;
    else if (c > 0)
        p.Phi = std::atan2(b, c);
    else
        p.Phi = std::atan2(-b, -c);

    const float T = std::tan(p.Phi);
    const float s = std::sqrt(a * T * T + r * r);
    const float lPos = a * T / (s + r);
    const float lNeg = a * T / (r - s);

    int drapeau = 0;
    if (std::fabs(lPos - L) < 0.0001f)
        drapeau = 1;
    if (std::fabs(lNeg - L) < 0.0001f)
        drapeau = -1;

    if (drapeau == 0)
        std::cout << "Error in L computation : L = " << L << " Lpos = " << lPos << " Lneg = " << lNeg
                  << " Ni.x = " << p.Ni.x << " Ni.y = " << p.Ni.y << " Ni.z = " << p.Ni.z << std::endl;
    else if (drapeau == -1)
        p.Phi = versFloat(p.Phi <= 0 ? p.Phi + PI : p.Phi - PI);
    return drapeau;
}

void Simplex::majParametres(int i, int niveau)
{
    PointSimplex *p = ListePointsSimplex.at(static_cast<std::size_t>(i));
    if (p->aSesVoisins()) {
        if (niveau < 1) {
            PointSimplex copie(*p);
            p->Ni = calculeNormaleNi(copie);
        }
        p->CentreCercle = centreCercleCirconscrit(p->Voisin1->Position, p->Voisin2->Position, p->Voisin3->Position);
        if (niveau < 2)
            p->Rayon = rayonCercleCirconscrit(*p);
        calculEpsilon(*p);
        calculAngleSimplexe(*p);
        p->CosPhi = std::cos(p->Phi);
        p->SinPhi = std::sin(p->Phi);
    } else {
        static std::mutex sortie; // called from the threads of a deformation step
        const std::lock_guard<std::mutex> verrou(sortie);
        std::cout << "probleme de voisin" << std::endl;
        p->Ni = vector3();
        p->CentreCercle = point3();
        p->Rayon = 0;
        p->Epsilon1 = p->Epsilon2 = p->Epsilon3 = 0;
        p->CosPhi = p->SinPhi = p->Phi = 0;
    }
}

void Simplex::initialiserParametres()
{
    std::cout << "Initialisation paramètres" << std::endl;
    for (std::size_t i = 0; i < ListePointsSimplex.size(); ++i) {
        PointSimplex *p = ListePointsSimplex[i];
        if (!p->aSesVoisins()) {
            std::cout << "erreur de voisin" << std::endl;
            p->Ni = vector3();
            p->CentreCercle = point3();
            p->Rayon = 0;
            p->CosPhi = p->SinPhi = 0;
            p->Epsilon1 = p->Epsilon2 = 0;
        } else {
            majParametres(static_cast<int>(i), 0);
        }
    }
}
