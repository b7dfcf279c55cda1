// Fits the template simplex mesh to points on a sphere of radius 2 and prints the figures: the
// engine's fit, triangulation, topology and distances, called from a program of one's own.

#include "Ajustement.h"
#include "Ouverture.h"
#include "Simplex.h"
#include "Topologie.h"
#include "orientation.h"

#include <cmath>
#include <iostream>
#include <vector>

int main()
{
    // A Fibonacci lattice on the sphere: points spread evenly, no two alike.
    std::vector<point3> nuage;
    const int n = 2000;
    const double orDuNombre = M_PI * (3.0 - std::sqrt(5.0));
    for (int i = 0; i < n; ++i) {
        const double z = 1 - 2 * (i + 0.5) / n, r = std::sqrt(1 - z * z);
        nuage.emplace_back(2 * r * std::cos(orDuNombre * i), 2 * r * std::sin(orDuNombre * i), 2 * z);
    }

    Simplex s;
    if (const Resultat lu = ouvrirMaillage(TARNIS_TEMPLATE, s); !lu) {
        std::cerr << "template: " << lu.texte() << "\n";
        return 1;
    }
    ReglagesAjustement reglages;
    reglages.pointsMinimum = 300;
    if (const Resultat r = ajuster(s, nuage, reglages); !r) {
        std::cerr << "fit: " << r.texte() << "\n";
        return 1;
    }
    orienterVersExterieur(s);
    if (const Resultat r = s.trianguler(); !r) {
        std::cerr << "triangulation: " << r.texte() << "\n";
        return 1;
    }
    const TopologieSurface topo = topologie(s.maillageTriangule);
    const FiguresAjustement f = mesurerAjustement(s, nuage);
    std::cout << "simplex points " << s.getNbPointsSimplex() << ", parts " << topo.parties << ", genus " << topo.genre
              << ", closed " << topo.fermee << ", cloud -> surface mean " << f.nuageVersSurface.moyenne << "\n";
    // A sphere of radius 2 fitted: one closed part of genus 0, within 1 % of the radius.
    return topo.parties == 1 && topo.genre == 0 && topo.fermee && f.nuageVersSurface.moyenne < 0.02 ? 0 : 1;
}
