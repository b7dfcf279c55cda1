#ifndef TARNIS_VECTOR3_H
#define TARNIS_VECTOR3_H

#include "point3.h"

#include <cmath>

/// A displacement or direction, double precision. Plain value type.
class vector3
{
public:
    vector3() : x(0), y(0), z(0) {}
    vector3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
    /// The vector from a to b (b - a).
    vector3(const point3 &a, const point3 &b) : x(b.x - a.x), y(b.y - a.y), z(b.z - a.z) {}
    vector3(const vector3 &) = default;
    vector3 &operator=(const vector3 &) = default;

    vector3 operator+(const vector3 &v) const { return vector3(x + v.x, y + v.y, z + v.z); }
    vector3 operator*(double d) const { return vector3(x * d, y * d, z * d); }
    vector3 &operator*=(double d)
    {
        x *= d;
        y *= d;
        z *= d;
        return *this;
    }
    /// Division by zero (or -0) is reported on standard error and leaves the vector unchanged.
    vector3 &operator/=(double d);

    /// Dot product.
    double operator*(const vector3 &v) const { return x * v.x + y * v.y + z * v.z; }
    /// Cross product.
    vector3 operator^(const vector3 &v) const
    {
        return vector3(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
    }
    vector3 &operator^=(const vector3 &v)
    {
        *this = *this ^ v;
        return *this;
    }

    double norme() const { return std::sqrt(x * x + y * y + z * z); }

    double x, y, z;
};

#endif
