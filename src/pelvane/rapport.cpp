#include "execution.h"
#include "volume.h"

#include "langue.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <map>
#include <sstream>
#include <type_traits>

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
const char *const cleBruitLisse = "nuage bruité, lissé avant l'ajustement";
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
    std::string sans = chemin;
    // A folder (a DICOM series) named with a final '/' is named by the folder.
    while (sans.size() > 1 && sans.back() == '/')
        sans.pop_back();
    std::string nom = std::filesystem::path(sans).filename().string();
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
    if (!f.avertissement.empty()) {
        // The figures the warnings name, as the report holds them (in % of the diagonal).
        Bilan b;
        b.pointsNuage = std::strtoul(f.pointsNuage.c_str(), nullptr, 10);
        b.pointsEcartes = std::strtoul(f.pointsEcartes.c_str(), nullptr, 10);
        b.bruitLisse = valeurs[cleBruitLisse] == "1";
        b.diagonale = 100;
        b.nuageEntierVersSurface.moyenne = std::strtod(f.ecartsEntiers[0].c_str(), nullptr);
        b.nuageEntierVersSurface.centile95 = std::strtod(f.ecartsEntiers[1].c_str(), nullptr);
        for (const std::string &a : avertissementsDesJugements(b, true))
            f.avertissementAnglais += (f.avertissementAnglais.empty() ? "" : "; ") + a;
    }
    return f;
}

std::vector<std::string> avertissementsDesJugements(const Bilan &b, bool anglais)
{
    std::vector<std::string> a;
    const auto dire = [anglais](const char *francais, const char *english) { return anglais ? english : francais; };
    if (b.pointsNuage > 0 &&
        static_cast<double>(b.pointsEcartes) > PART_ECARTEE_SIGNALEE * static_cast<double>(b.pointsNuage)) {
        std::ostringstream o;
        o << std::setprecision(3) << b.pointsEcartes << dire(" points du nuage (", " points of the cloud (")
          << 100.0 * static_cast<double>(b.pointsEcartes) / static_cast<double>(b.pointsNuage)
          << dire(" %) écartés comme isolés ne tirent pas la surface ; sur tous les points, l'écart nuage -> surface est "
                  "en moyenne de ",
                  " %) set aside as isolated do not pull the surface; over every point, the cloud -> surface distance "
                  "is on average ")
          << 100.0 * b.nuageEntierVersSurface.moyenne / b.diagonale
          << dire(" % de la diagonale (centile 95 ", " % of the diagonal (95th percentile ")
          << 100.0 * b.nuageEntierVersSurface.centile95 / b.diagonale
          << dire(" %) : s'ils font partie de l'objet, relancer avec --strays off",
                  " %): if they belong to the object, run again with --strays off");
        a.push_back(o.str());
    }
    if (b.bruitLisse)
        a.push_back(dire("le nuage, trouvé bruité, a été lissé : les points qui tirent la surface ont été ramenés au "
                         "milieu de leur couche ; si ses faces sont proches (une pièce mince), relancer avec --noise off",
                         "the cloud, found noisy, was smoothed: the points that pull the surface were brought to the "
                         "middle of their layer; if its faces are close (a thin part), run again with --noise off"));
    return a;
}

std::string texteRapport(const Parametres &p, const Bilan &b)
{
    std::ostringstream o;
    // Parameters as given (six significant digits: 0.05 reads 0.05, not the
    // float's 0.0500000007); measured figures with nine.
    o << "Pelvane : rapport d'ajustement\n";
    o << "version de Tarnis = " << versionTarnis() << "\n";
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
        o << cleBruitLisse << egal << (b.bruitLisse ? 1 : 0) << "\n";
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
        o << "attention = l'arrondi à six chiffres dépasse le dixième de l'écart moyen : écrire en PLY (--format "
             "ply)\n";
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

namespace pelvane {

std::string chaineJson(const std::string &s)
{
    std::string o = "\"";
    for (const char c : s) {
        switch (c) {
        case '"':
            o += "\\\"";
            break;
        case '\\':
            o += "\\\\";
            break;
        case '\n':
            o += "\\n";
            break;
        case '\t':
            o += "\\t";
            break;
        case '\r':
            o += "\\r";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char t[8];
                std::snprintf(t, sizeof t, "\\u%04x", c);
                o += t;
            } else {
                o += c;
            }
        }
    }
    return o + "\"";
}

namespace {

/// Every digit a double (or a float, as the options are held) needs to be read back the same
/// (null when not finite).
template <class Reel> std::string nombreJson(Reel v)
{
    if (!std::isfinite(v))
        return "null";
    char t[32];
    const auto fin = std::to_chars(t, t + sizeof t, v).ptr;
    return std::string(t, fin);
}

/// A JSON object written member by member, in order.
class Objet
{
public:
    Objet &brut(const char *cle, const std::string &valeur)
    {
        texte += (texte.empty() ? "{" : ", ") + chaineJson(cle) + ": " + valeur;
        return *this;
    }
    Objet &nombre(const char *cle, double v) { return brut(cle, nombreJson(v)); }
    Objet &reel(const char *cle, float v) { return brut(cle, nombreJson(v)); }
    template <class Entier, class = std::enable_if_t<std::is_integral_v<Entier>>>
    Objet &entier(const char *cle, Entier v)
    {
        return brut(cle, std::to_string(v));
    }
    Objet &booleen(const char *cle, bool v) { return brut(cle, v ? "true" : "false"); }
    Objet &chaine(const char *cle, const std::string &v) { return brut(cle, chaineJson(v)); }
    /// {"value": v, "unit": unite}
    Objet &mesure(const char *cle, double v, const std::string &unite)
    {
        return brut(cle, Objet().nombre("value", v).chaine("unit", unite).fin());
    }
    std::string fin() const { return texte.empty() ? "{}" : texte + "}"; }

private:
    std::string texte;
};

std::string raisonJson(const Resultat &r)
{
    std::string codes;
    std::vector<const Raison *> pile = {&r.raison};
    while (!pile.empty()) {
        const Raison *x = pile.back();
        pile.pop_back();
        if (x->code != CodeRaison::Aucune && x->code != CodeRaison::Cite)
            codes += (codes.empty() ? "" : ", ") + chaineJson(nomDuCode(x->code));
        for (auto a = x->arguments.rbegin(); a != x->arguments.rend(); ++a)
            if (a->genre == Argument::Genre::Raison && !a->sous.empty())
                pile.push_back(&a->sous.front());
    }
    return Objet()
        .chaine("code", nomDuCode(r.raison.code))
        .brut("codes", "[" + codes + "]")
        .chaine("text", texteDansLaLangue(r.raison, Langue::Anglais))
        .chaine("text_fr", texte(r.raison))
        .fin();
}

std::string distancesJson(const Statistiques &s, double diagonale, const std::string &unite)
{
    Objet o;
    o.entier("count", s.nombre);
    const char *noms[3] = {"mean", "p95", "max"};
    const double valeurs[3] = {s.moyenne, s.centile95, s.maximum};
    for (int m = 0; m < 3; ++m)
        o.brut(noms[m], Objet()
                            .nombre("value", valeurs[m])
                            .chaine("unit", unite)
                            .nombre("percent_of_diagonal", 100.0 * valeurs[m] / diagonale)
                            .fin());
    return o.fin();
}

} // namespace

std::string texteRapportJson(const Parametres &p, const Bilan &b)
{
    const std::string unite = b.volume && b.frontiere.millimetres ? "mm" : b.volume ? "voxel" : "cloud unit";
    Objet o;
    o.chaine("program", "Pelvane").chaine("version", versionTarnis());
    o.entier("status", static_cast<int>(b.resultat.statut));
    o.brut("reason", b.resultat.reussi() ? "null" : raisonJson(b.resultat));
    std::string formats;
    for (const std::string &f : p.formats)
        formats += (formats.empty() ? "" : ", ") + chaineJson(f);
    o.brut("parameters",
           Objet()
               .chaine("cloud", p.nuage)
               .chaine("mesh", p.maillage)
               .chaine("out", p.sortie)
               .reel("internal", p.alpha)
               .reel("external", p.beta)
               .reel("retention", p.gamma)
               .entier("rigidity", p.rigid)
               .entier("min_points", p.pointsMinimum)
               .entier("iterations", p.iterations)
               .booleen("autosave", p.sauvegardeAuto)
               .chaine("method", p.cycles ? "cycles" : "ajustement")
               .brut("tolerance", Objet().reel("value", p.tolerance).chaine("unit", "% of diagonal").fin())
               .entier("max_points", p.pointsMaximum)
               .entier("threads", p.fils)
               .brut("format", "[" + formats + "]")
               .chaine("strays", motDuJugement(p.isoles))
               .chaine("noise", motDuJugement(p.bruit))
               .fin());
    if (!b.resultat.reussi())
        return o.fin() + "\n";
    // What the fit decided on its own about the data that the user should know, in English.
    std::string avertissements;
    for (const std::string &w : avertissementsDesJugements(b, true))
        avertissements += (avertissements.empty() ? "" : ", ") + chaineJson(w);
    avertissements = "[" + avertissements + "]";
    o.brut("cloud", Objet()
                        .entier("points", b.pointsNuage)
                        .entier("points_set_aside", b.pointsEcartes)
                        .booleen("noise_smoothed", b.bruitLisse)
                        .mesure("diagonal", b.diagonale, unite)
                        .brut("warnings", avertissements)
                        .fin());
    std::string parNiveau;
    for (int n : b.pointsParCycle)
        parNiveau += (parNiveau.empty() ? "" : ", ") + std::to_string(n);
    o.brut("fit", Objet()
                      .entier("initial_simplex_points", b.pointsInitiaux)
                      .entier("levels", b.cycles)
                      .brut("simplex_points_per_level", "[" + parNiveau + "]")
                      .entier("steps", b.pasFinaux)
                      .entier("planned_final_steps", b.pasFinauxPrevus)
                      .booleen("converged", b.arretAnticipe)
                      .mesure("final_move", b.deplacementFinal, unite)
                      .fin());
    o.brut("surface", Objet()
                          .entier("simplex_points", b.pointsFinaux)
                          .entier("cells", b.mailles)
                          .entier("vertices", b.sommetsTriangulation)
                          .entier("triangles", b.triangles)
                          .entier("parts", b.parties)
                          .entier("genus", b.genre)
                          .entier("crossings", b.croisements)
                          .mesure("volume", b.volumeEnclos, unite + "^3")
                          .mesure("area", b.aire, unite + "^2")
                          .mesure("six_digit_rounding", b.ecartSixChiffres, unite)
                          .booleen("six_digit_warning", b.avertissementPrecision)
                          .fin());
    o.brut("distances", Objet()
                            .brut("cloud_to_surface", distancesJson(b.nuageVersSurface, b.diagonale, unite))
                            .brut("surface_to_cloud", distancesJson(b.surfaceVersNuage, b.diagonale, unite))
                            .brut("simplex_to_cloud", distancesJson(b.maillageVersNuage, b.diagonale, unite))
                            .fin());
    o.brut("times", Objet()
                        .mesure("total", b.duree, "s")
                        .mesure("reading", b.dureeLecture, "s")
                        .mesure("fit", b.dureeCycles, "s")
                        .mesure("final_series", b.dureeFinale, "s")
                        .mesure("measures", b.dureeMesures, "s")
                        .fin());
    std::string fichiers;
    for (const std::string &f : b.fichiersMaillage)
        fichiers += (fichiers.empty() ? "" : ", ") + chaineJson(f);
    o.brut("files", "[" + fichiers + "]");
    if (b.volume)
        o.brut("volume", Objet()
                             .chaine("frame", texteDansLaLangue(b.frontiere.repere(), Langue::Anglais))
                             .nombre("level", b.frontiere.region.bas)
                             .nombre("high", b.frontiere.region.haut)
                             .booleen("automatic_level", b.frontiere.automatique)
                             .brut("dimensions", "[" + std::to_string(b.frontiere.dimensions[0]) + ", " +
                                                     std::to_string(b.frontiere.dimensions[1]) + ", " +
                                                     std::to_string(b.frontiere.dimensions[2]) + "]")
                             .brut("voxel_sizes_mm", "[" + nombreJson(b.frontiere.taillesVoxel[0]) + ", " +
                                                         nombreJson(b.frontiere.taillesVoxel[1]) + ", " +
                                                         nombreJson(b.frontiere.taillesVoxel[2]) + "]")
                             .entier("region_voxels", b.frontiere.voxelsRegion)
                             .fin());
    return o.fin() + "\n";
}

std::string fichierRapportJson(const Parametres &p)
{
    return (std::filesystem::path(p.sortie) / (nomDuNuage(p.nuage) + p.suffixeNom + ".rapport.json")).string();
}

} // namespace pelvane
