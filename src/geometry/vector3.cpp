#include "vector3.h"
#include "Erreur.h"

#include <iostream>

vector3 &vector3::operator/=(double d)
{
    try {
        if (d == 0)
            throw Erreur(4);
        x /= d;
        y /= d;
        z /= d;
    } catch (const Erreur &e) {
        std::cerr << "ERREUR: Operation:vector3/=reel. " << e.getMessage() << std::endl;
    }
    return *this;
}
