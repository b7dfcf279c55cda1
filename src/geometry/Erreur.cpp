#include "Erreur.h"

Erreur::Erreur(int c) : code(c)
{
    switch (c) {
    case 0:
        message = "Matrice non carre, operation impossible.";
        break;
    case 1:
        message = "Erreur de dimension, operation impossible.";
        break;
    case 2:
        message = "Erreur de taille, operation impossible.";
        break;
    case 3:
        message = "Division par 0, operation impossible.";
        break;
    case 4:
        message = "Division par 0 (reel), operation impossible.";
        break;
    case 5:
        message = "Division par 0 (point3), operation impossible";
        break;
    default:
        message = "Erreur inconnue";
        break;
    }
}
