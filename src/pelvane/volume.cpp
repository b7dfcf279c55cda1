#include "volume.h"
#include "execution.h"

#include "Maillage.h"
#include "langue.h"

#include <charconv>
#include <cmath>
#include <ostream>
#include <sstream>

namespace pelvane {

namespace {

Resultat refus(Raison raison)
{
    return Resultat::echec(Statut::ArgumentsIncorrects, Raison(CodeRaison::ArgumentsRefuses, {std::move(raison)}));
}

/// A finite real in the volume's values: any sign, a decimal point or comma.
Resultat lireValeur(const std::string &texte, const std::string &nom, double &valeur)
{
    std::string t = texte;
    if (t.find('.') == std::string::npos && t.find(',') != std::string::npos && t.find(',') == t.rfind(','))
        t[t.find(',')] = '.';
    double v = 0;
    const char *debut = t.data(), *fin = t.data() + t.size();
    if (!t.empty() && *debut == '+')
        ++debut;
    auto [reste, erreur] = std::from_chars(debut, fin, v);
    if (t.empty() || erreur != std::errc() || reste != fin || !std::isfinite(v))
        return refus(Raison(CodeRaison::ReelAttendu, {litteral(nom), litteral(texte)}));
    valeur = v;
    return Resultat::succes();
}

std::string nombre(double v)
{
    std::ostringstream o;
    o.precision(9);
    o << v;
    return o.str();
}

std::string texteRegion(const BilanFrontiere &b, Langue l = Langue::Francais)
{
    const bool en = l == Langue::Anglais;
    if (std::isinf(b.region.haut))
        return (en ? "level " : "niveau ") + nombre(b.region.bas) +
               (b.automatique ? (en ? " (automatic, Otsu's method)" : " (automatique, méthode d'Otsu)")
                              : (en ? " (given)" : " (donné)"));
    return (en ? "band " : "bande ") + nombre(b.region.bas) + (en ? " to " : " à ") + nombre(b.region.haut) +
           (en ? " (given)" : " (donnée)");
}

std::string texteRepere(const BilanFrontiere &b, Langue l = Langue::Francais)
{
    return texteDansLaLangue(b.repere(), l);
}

} // namespace

bool lireOptionVolume(const std::vector<std::string> &a, std::size_t &i, ReglagesFrontiere &reglages, Resultat &r)
{
    const std::string &option = a[i];
    if (option == "--voxels") {
        reglages.millimetres = false;
        return true;
    }
    const bool niveau = option == "--level" || option.rfind("--level=", 0) == 0;
    const bool bande = option == "--band" || option.rfind("--band=", 0) == 0;
    if (!niveau && !bande)
        return false;
    if (reglages.regionDonnee) {
        r = refus(CodeRaison::NiveauEtBande);
        return true;
    }
    std::vector<std::string> valeurs;
    const std::size_t egal = option.find('=');
    if (egal != std::string::npos)
        valeurs.push_back(option.substr(egal + 1));
    const std::size_t attendues = niveau ? 1 : 2;
    while (valeurs.size() < attendues && i + 1 < a.size())
        valeurs.push_back(a[++i]);
    const std::string nom = niveau ? "--level" : "--band";
    if (valeurs.size() < attendues) {
        r = refus(niveau ? Raison(CodeRaison::ValeurManquante, {litteral(nom)}) : Raison(CodeRaison::BandeDeuxValeurs));
        return true;
    }
    double bas = 0, haut = 0;
    if (!(r = lireValeur(valeurs[0], nom, bas)) || (bande && !(r = lireValeur(valeurs[1], nom, haut))))
        return true;
    if (bande && haut < bas) {
        r = refus(Raison(CodeRaison::BandeInversee, {litteral(valeurs[0]), litteral(valeurs[1])}));
        return true;
    }
    reglages.regionDonnee = true;
    reglages.region = Region{bas, niveau ? std::numeric_limits<double>::infinity() : haut};
    return true;
}

std::string aideVolume()
{
    if (langue() == Langue::Anglais)
        return "Volumes (.nii, .nii.gz, .hdr/.img): the fit is made to the boundary of the chosen region,\n"
               "points where the volume crosses the level, placed between voxel centres by interpolation.\n"
               "  --level X           region of the voxels of value X at least (default: automatic level,\n"
               "                      Otsu's method on the volume's histogram)\n"
               "  --band LOW HIGH     region of the voxels of value between LOW and HIGH\n"
               "  --voxels            results in voxel indices (default: millimetres of the volume's frame)\n";
    return "Volumes (.nii, .nii.gz, .hdr/.img) : l'ajustement porte sur la frontière de la région choisie,\n"
           "points où le volume franchit le niveau, placés entre les centres des voxels par interpolation.\n"
           "  --level X           région des voxels de valeur au moins X (défaut : niveau automatique,\n"
           "                      méthode d'Otsu sur l'histogramme du volume)\n"
           "  --band BAS HAUT     région des voxels de valeur entre BAS et HAUT\n"
           "  --voxels            résultats en indices de voxels (défaut : millimètres du repère du volume)\n";
}

Resultat lireFrontiere(const std::string &chemin, const ReglagesFrontiere &reglages, Maillage &m,
                       BilanFrontiere &bilan, std::ostream &prog)
{
    m.viderPointsInterets();
    std::vector<point3> points;
    Resultat r = frontiereVolume(chemin, reglages, points, bilan);
    if (!r)
        return r;
    m.ListePointsInterets = std::move(points);
    if (!(r = m.construireKd()))
        return r;
    m.calculerCentrePointsInterets();
    prog << selon("Pelvane : volume : ", "Pelvane: volume: ") << texteRegion(bilan, langue()) << ", "
         << m.ListePointsInterets.size() << selon(" points de frontière en ", " boundary points in ")
         << texteRepere(bilan, langue()) << std::endl;
    if (bilan.remarque.code != CodeRaison::Aucune)
        prog << selon("Pelvane : volume : ", "Pelvane: volume: ") << texteLocal(bilan.remarque) << std::endl;
    return r;
}

std::string rapportVolume(const Bilan &b)
{
    if (!b.volume)
        return "";
    const BilanFrontiere &f = b.frontiere;
    std::ostringstream o;
    o.precision(9);
    o << "repère = " << texteRepere(f) << "\n";
    o << "région du volume = " << texteRegion(f) << "\n";
    o << "dimensions du volume = " << f.dimensions[0] << " x " << f.dimensions[1] << " x " << f.dimensions[2] << "\n";
    o << "tailles des voxels (mm) = " << f.taillesVoxel[0] << " x " << f.taillesVoxel[1] << " x " << f.taillesVoxel[2]
      << "\n";
    o << "valeurs du volume = " << f.minimum << " à " << f.maximum << "\n";
    o << "voxels de la région = " << f.voxelsRegion << "\n";
    if (f.remarque.code != CodeRaison::Aucune)
        o << "remarque sur le volume = " << texte(f.remarque) << "\n";
    return o.str();
}

std::string rapportSolideDuVolume(const Bilan &b)
{
    if (!b.volume)
        return "";
    const BilanFrontiere &f = b.frontiere;
    const double voxel = f.taillesVoxel[0] * f.taillesVoxel[1] * f.taillesVoxel[2];
    const bool cubes = f.taillesVoxel[0] == f.taillesVoxel[1] && f.taillesVoxel[1] == f.taillesVoxel[2];
    const double volume = f.millimetres ? b.volumeEnclos : b.volumeEnclos * voxel;
    const double region = static_cast<double>(f.voxelsRegion) * voxel;
    std::ostringstream o;
    o.precision(9);
    o << "volume enclos par la surface (mm3) = " << volume << "\n";
    if (f.millimetres || cubes)
        o << "aire de la surface (mm2) = "
          << (f.millimetres ? b.aire : b.aire * f.taillesVoxel[0] * f.taillesVoxel[0]) << "\n";
    o << "volume de la région (voxels x volume d'un voxel, mm3) = " << region << "\n";
    if (region > 0)
        o << "volume enclos / volume de la région = " << volume / region << "\n";
    return o.str();
}

} // namespace pelvane
