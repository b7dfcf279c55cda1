#ifndef TARNIS_GEOMETRY_VECTEURS_H
#define TARNIS_GEOMETRY_VECTEURS_H

#include "point3.h"

#include <cmath>

// Small vector helpers over point3, in double precision, for the geometry of the fit, the distance
// figures and the console tool. (The simplex geometry rounds to float at fixed steps and has its
// own.)

inline point3 fois(const point3 &a, double k)
{
    return point3(a.x * k, a.y * k, a.z * k);
}
inline double scal(const point3 &a, const point3 &b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline point3 vect(const point3 &a, const point3 &b)
{
    return point3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
inline double carre(const point3 &a)
{
    return scal(a, a);
}
inline double norme(const point3 &a)
{
    return std::sqrt(carre(a));
}
inline double distance(const point3 &a, const point3 &b)
{
    return norme(a - b);
}

/// Points spread evenly over the triangle (a, a + ab, a + ac): the centroids of the k * k
/// triangles of its lattice of step 1/k, each given to g in order.
template <class G> void centresDuReseau(const point3 &a, const point3 &ab, const point3 &ac, int k, G g)
{
    for (int i = 0; i < k; ++i)
        for (int j = 0; i + j < k; ++j) {
            g(a + fois(ab, (i + 1.0 / 3) / k) + fois(ac, (j + 1.0 / 3) / k));
            if (i + j <= k - 2)
                g(a + fois(ab, (i + 2.0 / 3) / k) + fois(ac, (j + 2.0 / 3) / k));
        }
}

#endif
