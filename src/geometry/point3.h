#ifndef TARNIS_POINT3_H
#define TARNIS_POINT3_H

#include <ostream>

/// A position in space, double precision. Plain value type.
class point3
{
public:
    point3() : x(0), y(0), z(0) {}
    point3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}
    point3(const point3 &) = default;
    point3 &operator=(const point3 &) = default;

    bool operator==(const point3 &p) const { return x == p.x && y == p.y && z == p.z; }
    point3 operator+(const point3 &p) const { return point3(x + p.x, y + p.y, z + p.z); }
    point3 operator-(const point3 &p) const { return point3(x - p.x, y - p.y, z - p.z); }
    point3 &operator+=(const point3 &p)
    {
        x += p.x;
        y += p.y;
        z += p.z;
        return *this;
    }
    /// Division by zero (or -0) is reported on standard error and yields the point unchanged.
    point3 operator/(double d) const;
    point3 &operator/=(double d);

    double x, y, z;
};

/// The step `pas` along axis 'x', 'y' or 'z' in d; false (d untouched) for any other axis.
bool pasSelonAxe(char axe, double pas, point3 &d);

/// Writes "(x, y,z)" in the stream's current formatting, no end of line.
std::ostream &operator<<(std::ostream &os, const point3 &p);

#endif
