#ifndef TARNIS_GEOMETRY_BOITE_H
#define TARNIS_GEOMETRY_BOITE_H

#include "point3.h"

#include <cmath>
#include <limits>
#include <vector>

/// An axis-aligned bounding box. The empty box has its minimum above its maximum.
struct Boite
{
    point3 min{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
               std::numeric_limits<double>::infinity()};
    point3 max{-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
               -std::numeric_limits<double>::infinity()};

    bool vide() const { return !(min.x <= max.x && min.y <= max.y && min.z <= max.z); }
    /// Each coordinate of p below the minimum's or above the maximum's replaces it.
    void ajouter(const point3 &p)
    {
        const double c[3] = {p.x, p.y, p.z};
        double *bas[3] = {&min.x, &min.y, &min.z}, *haut[3] = {&max.x, &max.y, &max.z};
        for (int k = 0; k < 3; ++k) {
            if (c[k] < *bas[k])
                *bas[k] = c[k];
            if (c[k] > *haut[k])
                *haut[k] = c[k];
        }
    }
    /// (min + max) · 0.5 per axis, in double.
    point3 centre() const { return point3((min.x + max.x) * 0.5, (min.y + max.y) * 0.5, (min.z + max.z) * 0.5); }
    /// (min + max) · 0.5 per axis computed in float, for a box of float coordinates (boiteEnFloat).
    point3 centreEnFloat() const
    {
        auto milieu = [](double a, double b) {
            volatile float m = (static_cast<float>(a) + static_cast<float>(b)) * 0.5f;
            return static_cast<double>(m);
        };
        return point3(milieu(min.x, max.x), milieu(min.y, max.y), milieu(min.z, max.z));
    }
    /// Length of the diagonal.
    double diagonale() const
    {
        const double dx = max.x - min.x, dy = max.y - min.y, dz = max.z - min.z;
        return std::sqrt(dx * dx + dy * dy + dz * dz);
    }
};

/// p with each coordinate rounded to a 32-bit float.
inline point3 arrondiEnFloat(const point3 &p)
{
    // Through a volatile float: the compiler may not fold the narrowing away.
    volatile float x = static_cast<float>(p.x), y = static_cast<float>(p.y), z = static_cast<float>(p.z);
    return point3(x, y, z);
}

/// The box of the positions that position(e) gives for the elements of a sequence, each coordinate
/// rounded to a 32-bit float first when enFloat (the simplex mesh's and the cloud's centre are
/// taken on those). Starts from the first position; empty for an empty sequence.
template <class Suite, class Position> Boite boiteDe(const Suite &elements, Position position, bool enFloat)
{
    Boite b;
    bool premier = true;
    for (const auto &e : elements) {
        point3 p = position(e);
        if (enFloat)
            p = arrondiEnFloat(p);
        if (premier) {
            b.min = b.max = p;
            premier = false;
        } else {
            b.ajouter(p);
        }
    }
    return b;
}

/// The box of the points, in double.
inline Boite boiteDe(const std::vector<point3> &points)
{
    return boiteDe(points, [](const point3 &p) { return p; }, false);
}

#endif
