#include "execution.h"
#include "volume.h"

#include <iomanip>
#include <sstream>

namespace pelvane {

namespace {

void statistiques(std::ostream &o, const std::string &nom, const Statistiques &s, double diagonale)
{
    o << nom << ", moyenne = " << s.moyenne << "\n";
    o << nom << ", centile 95 = " << s.centile95 << "\n";
    o << nom << ", maximum = " << s.maximum << "\n";
    o << nom << ", moyenne (% de la diagonale) = " << 100.0 * s.moyenne / diagonale << "\n";
    o << nom << ", centile 95 (% de la diagonale) = " << 100.0 * s.centile95 / diagonale << "\n";
    o << nom << ", maximum (% de la diagonale) = " << 100.0 * s.maximum / diagonale << "\n";
}

} // namespace

std::string texteRapport(const Parametres &p, const Bilan &b)
{
    std::ostringstream o;
    // Parameters as given (six significant digits: 0.05 reads 0.05, not the
    // float's 0.0500000007); measured figures with nine.
    o << "Pelvane : rapport d'ajustement\n";
    o << "nuage = " << p.nuage << "\n";
    o << "maillage de référence = " << p.maillage << "\n";
    o << "dossier de sortie = " << p.sortie << "\n";
    o << "force interne = " << p.alpha << "\n";
    o << "force externe = " << p.beta << "\n";
    o << "force de retenue = " << p.gamma << "\n";
    o << "rigidité = " << p.rigid << "\n";
    o << "points simplexes minimum = " << p.pointsMinimum << "\n";
    o << "itérations par cycle = " << p.iterations << "\n";
    o << "sauvegarde automatique = " << (p.sauvegardeAuto ? 1 : 0) << "\n";
    o << "méthode = " << (p.cycles ? "cycles" : "ajustement") << "\n";
    if (!p.cycles) {
        o << "tolérance du raffinage local (% de la diagonale) = " << p.tolerance << "\n";
        o << "points simplexes maximum = " << p.pointsMaximum << "\n";
    }
    o << rapportVolume(b);
    o << std::setprecision(9);
    o << "points du nuage = " << b.pointsNuage << "\n";
    o << "diagonale de la boîte englobante du nuage = " << b.diagonale << "\n";
    o << "points simplexes au départ = " << b.pointsInitiaux << "\n";
    o << "cycles = " << b.cycles << "\n";
    o << "points simplexes après chaque cycle =";
    for (int n : b.pointsParCycle)
        o << " " << n;
    o << "\n";
    o << "pas de la série finale = " << b.pasFinaux << "\n";
    o << "pas prévus pour la série finale = " << b.pasFinauxPrevus << "\n";
    o << "arrêt anticipé de la série finale = " << (b.arretAnticipe ? 1 : 0) << "\n";
    o << "déplacement moyen selon les normales au dernier pas = " << b.deplacementFinal << "\n";
    o << "points simplexes = " << b.pointsFinaux << "\n";
    o << "mailles = " << b.mailles << "\n";
    o << "sommets de la triangulation = " << b.sommetsTriangulation << "\n";
    o << "triangles = " << b.triangles << "\n";
    o << std::setprecision(4);
    o << "durée (s) = " << b.duree << "\n";
    o << "durée de la lecture (s) = " << b.dureeLecture << "\n";
    o << "durée du placement et des cycles (s) = " << b.dureeCycles << "\n";
    o << "durée de la série finale (s) = " << b.dureeFinale << "\n";
    o << "durée des mesures (s) = " << b.dureeMesures << "\n";
    o << std::setprecision(9);
    statistiques(o, "écart nuage -> surface", b.nuageVersSurface, b.diagonale);
    statistiques(o, "écart points simplexes -> nuage", b.maillageVersNuage, b.diagonale);
    o << "points échantillonnés sur la surface = " << b.echantillonsSurface << "\n";
    statistiques(o, "écart surface -> nuage", b.surfaceVersNuage, b.diagonale);
    o << "maillage simplexe = " << b.fichierSmm << "\n";
    o << "triangulation = " << b.fichierOff << "\n";
    for (const std::string &f : b.sauvegardes)
        o << "sauvegarde = " << f << "\n";
    return o.str();
}

} // namespace pelvane
