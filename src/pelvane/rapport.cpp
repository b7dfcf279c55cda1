#include "execution.h"
#include "volume.h"

#include <filesystem>
#include <iomanip>
#include <map>
#include <sstream>

namespace pelvane {

namespace {

// The keys of the report that the batch summary reads back (lireFiguresRapport).
const char *const clePointsNuage = "points du nuage";
const char *const clePointsEcartes = "points du nuage écartés";
const char *const clePointsSimplexes = "points simplexes";
const char *const cleParties = "parties de la surface";
const char *const cleGenre = "genre de la surface";
const char *const cleCroisements = "paires de triangles qui se croisent";
const char *const cleVolume = "volume enclos par la surface";
const char *const cleAire = "aire de la surface";
const char *const cleNuageVersSurface = "écart nuage -> surface";
const char *const cleSurfaceVersNuage = "écart surface -> nuage";
const char *const cleNuageEntierVersSurface = "écart nuage entier -> surface";
const char *const cleAvertissement = "attention";
const char *const mesures[3] = {"moyenne", "centile 95", "maximum"};
const char *const relatif = " (% de la diagonale)";
const char *const egal = " = ";

void statistiques(std::ostream &o, const std::string &nom, const Statistiques &s, double diagonale)
{
    const double valeurs[3] = {s.moyenne, s.centile95, s.maximum};
    for (int m = 0; m < 3; ++m)
        o << nom << ", " << mesures[m] << egal << valeurs[m] << "\n";
    for (int m = 0; m < 3; ++m)
        o << nom << ", " << mesures[m] << relatif << egal << 100.0 * valeurs[m] / diagonale << "\n";
}

} // namespace

std::string nomDuNuage(const std::string &chemin)
{
    std::string nom = std::filesystem::path(chemin).filename().string();
    // A compressed NIfTI volume is named without its two suffixes.
    if (nom.size() > 7 && nom.compare(nom.size() - 7, 7, ".nii.gz") == 0)
        nom.resize(nom.size() - 3);
    auto point = nom.rfind('.');
    if (point != std::string::npos && point > 0)
        nom = nom.substr(0, point);
    return nom.empty() ? "nuage" : nom;
}

FiguresRapport lireFiguresRapport(std::istream &rapport)
{
    std::map<std::string, std::string> valeurs;
    std::string ligne;
    while (std::getline(rapport, ligne)) {
        const std::size_t i = ligne.find(egal);
        if (i == std::string::npos)
            continue;
        const std::size_t j = ligne.find(egal, i + 3);
        valeurs[ligne.substr(0, i)] = ligne.substr(i + 3, j == std::string::npos ? std::string::npos : j - i - 3);
    }
    FiguresRapport f;
    f.pointsNuage = valeurs[clePointsNuage];
    f.pointsSimplexes = valeurs[clePointsSimplexes];
    f.pointsEcartes = valeurs[clePointsEcartes];
    f.parties = valeurs[cleParties];
    f.genre = valeurs[cleGenre];
    f.croisements = valeurs[cleCroisements];
    f.volume = valeurs[cleVolume];
    f.aire = valeurs[cleAire];
    const char *const sens[2] = {cleNuageVersSurface, cleSurfaceVersNuage};
    for (int s = 0; s < 2; ++s)
        for (int m = 0; m < 3; ++m)
            f.ecarts[s][m] = valeurs[std::string(sens[s]) + ", " + mesures[m] + relatif];
    for (int m = 0; m < 3; ++m)
        f.ecartsEntiers[m] = valeurs[std::string(cleNuageEntierVersSurface) + ", " + mesures[m] + relatif];
    f.avertissement = valeurs[cleAvertissement + std::string(" (jugements)")];
    return f;
}

std::vector<std::string> avertissementsDesJugements(const Bilan &b)
{
    std::vector<std::string> a;
    if (b.pointsNuage > 0 &&
        static_cast<double>(b.pointsEcartes) > PART_ECARTEE_SIGNALEE * static_cast<double>(b.pointsNuage)) {
        std::ostringstream o;
        o << std::setprecision(3) << b.pointsEcartes << " points du nuage (" << 100.0 * b.pointsEcartes / b.pointsNuage
          << " %) écartés comme isolés ne tirent pas la surface ; sur tous les points, l'écart nuage -> surface est "
          << "en moyenne de " << 100.0 * b.nuageEntierVersSurface.moyenne / b.diagonale << " % de la diagonale (centile 95 "
          << 100.0 * b.nuageEntierVersSurface.centile95 / b.diagonale
          << " %) : s'ils font partie de l'objet, relancer avec --strays off";
        a.push_back(o.str());
    }
    if (b.bruitLisse)
        a.push_back("le nuage, trouvé bruité, a été lissé : les points qui tirent la surface ont été ramenés au milieu "
                    "de leur couche ; si ses faces sont proches (une pièce mince), relancer avec --noise off");
    return a;
}

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
    o << clePointsNuage << egal << b.pointsNuage << "\n";
    o << clePointsEcartes << egal << b.pointsEcartes << "\n";
    if (!p.cycles) {
        o << "points isolés (--strays) = " << motDuJugement(p.isoles) << "\n";
        o << "bruit (--noise) = " << motDuJugement(p.bruit) << "\n";
        o << "nuage bruité, lissé avant l'ajustement = " << (b.bruitLisse ? 1 : 0) << "\n";
        o << "mesure du bruit (résidu, rapport, milieu) = " << b.bruit[0] << " " << b.bruit[1] << " " << b.bruit[2]
          << "\n";
    }
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
    o << clePointsSimplexes << egal << b.pointsFinaux << "\n";
    o << "mailles = " << b.mailles << "\n";
    o << "sommets de la triangulation = " << b.sommetsTriangulation << "\n";
    o << "triangles = " << b.triangles << "\n";
    o << cleParties << egal << b.parties << "\n";
    o << cleGenre << egal << b.genre << "\n";
    o << cleCroisements << egal << b.croisements << "\n";
    o << cleVolume << egal << b.volumeEnclos << "\n";
    o << cleAire << egal << b.aire << "\n";
    o << rapportSolideDuVolume(b);
    o << std::setprecision(4);
    o << "durée (s) = " << b.duree << "\n";
    o << "durée de la lecture (s) = " << b.dureeLecture << "\n";
    o << "durée du placement et des cycles (s) = " << b.dureeCycles << "\n";
    o << "durée de la série finale (s) = " << b.dureeFinale << "\n";
    o << "durée des mesures (s) = " << b.dureeMesures << "\n";
    o << std::setprecision(9);
    statistiques(o, cleNuageVersSurface, b.nuageVersSurface, b.diagonale);
    // Over every point, those set aside included: the figures above are those of the points kept.
    statistiques(o, cleNuageEntierVersSurface, b.nuageEntierVersSurface, b.diagonale);
    std::string avertissements;
    for (const std::string &a : avertissementsDesJugements(b))
        avertissements += (avertissements.empty() ? "" : " ; ") + a;
    if (!avertissements.empty())
        o << cleAvertissement << " (jugements)" << egal << avertissements << "\n";
    statistiques(o, "écart points simplexes -> nuage", b.maillageVersNuage, b.diagonale);
    o << "points échantillonnés sur la surface = " << b.echantillonsSurface << "\n";
    statistiques(o, cleSurfaceVersNuage, b.surfaceVersNuage, b.diagonale);
    o << "arrondi à six chiffres significatifs (plus grand déplacement) = " << b.ecartSixChiffres << "\n";
    if (b.avertissementPrecision)
        o << "attention = l'arrondi à six chiffres dépasse le dixième de l'écart moyen : écrire en PLY (--format ply)\n";
    for (const std::string &f : b.fichiersMaillage)
        o << (f.size() > 4 && (f.compare(f.size() - 4, 4, ".smm") == 0 || f.compare(f.size() - 3, 3, ".sm") == 0)
                  ? "maillage simplexe = "
                  : "triangulation = ")
          << f << "\n";
    for (const std::string &f : b.sauvegardes)
        o << "sauvegarde = " << f << "\n";
    return o.str();
}

} // namespace pelvane
