#include "point3.h"
#include "Erreur.h"

#include <iostream>

point3 point3::operator/(double d) const
{
    try {
        if (d == 0)
            throw Erreur(4);
        return point3(x / d, y / d, z / d);
    } catch (const Erreur &e) {
        std::cerr << "ERREUR: Operation:point3/reel. " << e.getMessage() << std::endl;
        return *this;
    }
}

point3 &point3::operator/=(double d)
{
    try {
        if (d == 0)
            throw Erreur(4);
        x /= d;
        y /= d;
        z /= d;
    } catch (const Erreur &e) {
        std::cerr << "ERREUR: Operation:point3/=reel. " << e.getMessage() << std::endl;
    }
    return *this;
}

std::ostream &operator<<(std::ostream &os, const point3 &p)
{
    return os << "(" << p.x << ", " << p.y << "," << p.z << ")";
}

bool pasSelonAxe(char axe, double pas, point3 &d)
{
    if (axe != 'x' && axe != 'y' && axe != 'z')
        return false;
    d = point3(axe == 'x' ? pas : 0, axe == 'y' ? pas : 0, axe == 'z' ? pas : 0);
    return true;
}
