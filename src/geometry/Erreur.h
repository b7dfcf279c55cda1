#ifndef TARNIS_ERREUR_H
#define TARNIS_ERREUR_H

#include <string>

/// Error raised by the division operators of point3 and vector3.
/// It is always caught inside the operator that raised it.
class Erreur
{
public:
    explicit Erreur(int code);
    Erreur(const Erreur &autre) = default;

    int getCode() const { return code; }
    std::string getMessage() const { return message; }

    int code;
    std::string message;
};

#endif
