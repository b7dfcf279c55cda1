#include "volume.h"
#include "execution.h"

#include "Maillage.h"
#include "Ouverture.h"
#include "langue.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
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
    if (!b.region.labels.empty() && b.automatique)
        return (en ? "every label (" : "tous les labels (") + std::to_string(b.region.labels.size()) +
               (en ? ", label map)" : ", carte de labels)");
    if (!b.region.labels.empty()) {
        std::string liste;
        for (const double v : b.region.labels)
            liste += (liste.empty() ? "" : ", ") + nombre(v);
        return (b.region.labels.size() > 1 ? "labels " : "label ") + liste + (en ? " (given)" : " (donné)");
    }
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

namespace {

/// The value of the option at a[i] (after '=' or the next argument, moving i); false when none.
bool valeurDe(const std::vector<std::string> &a, std::size_t &i, std::string &valeur)
{
    const std::size_t egal = a[i].find('=');
    if (egal != std::string::npos) {
        valeur = a[i].substr(egal + 1);
        return true;
    }
    if (i + 1 >= a.size())
        return false;
    valeur = a[++i];
    return true;
}

/// An integer written in decimal digits, with a sign at most.
bool entier(const std::string &t, long long &n)
{
    const char *debut = t.data(), *fin = t.data() + t.size();
    if (!t.empty() && *debut == '+')
        ++debut;
    auto [reste, erreur] = std::from_chars(debut, fin, n);
    return !t.empty() && erreur == std::errc() && reste == fin;
}

/// --label N[,M...], --labels all and --volume K.
bool lireOptionLabels(const std::vector<std::string> &a, std::size_t &i, ReglagesFrontiere &reglages, Resultat &r)
{
    const std::string &option = a[i];
    auto est = [&](const char *nom) { return option == nom || option.rfind(std::string(nom) + "=", 0) == 0; };
    const bool label = est("--label"), labels = est("--labels"), volume = est("--volume");
    if (!label && !labels && !volume)
        return false;
    const std::string nom = label ? "--label" : labels ? "--labels" : "--volume";
    std::string valeur;
    if (!valeurDe(a, i, valeur)) {
        r = refus(Raison(CodeRaison::ValeurManquante, {litteral(nom)}));
        return true;
    }
    if (volume) {
        long long k = 0;
        if (!entier(valeur, k) || k < 1 || k > 1000000000) {
            r = refus(Raison(CodeRaison::VolumeIndiceAttendu, {litteral(valeur)}));
            return true;
        }
        reglages.volume = static_cast<int>(k - 1);
        return true;
    }
    if (reglages.regionDonnee || reglages.tousLesLabels) {
        r = refus(CodeRaison::RegionEtLabels);
        return true;
    }
    if (labels) {
        if (valeur != "all")
            r = refus(Raison(CodeRaison::LabelsTous, {litteral(valeur)}));
        reglages.tousLesLabels = r.reussi();
        return true;
    }
    Region region;
    std::size_t debut = 0;
    for (;;) {
        const std::size_t virgule = valeur.find(',', debut);
        long long n = 0;
        if (!entier(valeur.substr(debut, virgule == std::string::npos ? std::string::npos : virgule - debut), n)) {
            r = refus(Raison(CodeRaison::LabelsAttendus, {litteral(valeur)}));
            return true;
        }
        region.labels.push_back(static_cast<double>(n));
        if (virgule == std::string::npos)
            break;
        debut = virgule + 1;
    }
    std::sort(region.labels.begin(), region.labels.end());
    region.labels.erase(std::unique(region.labels.begin(), region.labels.end()), region.labels.end());
    region.milieu = true;
    reglages.regionDonnee = true;
    reglages.region = region;
    return true;
}

} // namespace

bool lireOptionVolume(const std::vector<std::string> &a, std::size_t &i, ReglagesFrontiere &reglages, Resultat &r)
{
    const std::string &option = a[i];
    if (option == "--voxels") {
        reglages.millimetres = false;
        return true;
    }
    if (lireOptionLabels(a, i, reglages, r))
        return true;
    const bool niveau = option == "--level" || option.rfind("--level=", 0) == 0;
    const bool bande = option == "--band" || option.rfind("--band=", 0) == 0;
    if (!niveau && !bande)
        return false;
    if (reglages.regionDonnee || reglages.tousLesLabels) {
        r = refus(reglages.region.labels.empty() && !reglages.tousLesLabels ? CodeRaison::NiveauEtBande
                                                                             : CodeRaison::RegionEtLabels);
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
        return "Volumes (.nii, .nii.gz, .hdr/.img, ...): the fit is made to the boundary of the chosen region,\n"
               "points where the volume crosses the level, placed between voxel centres by interpolation.\n"
               "  --level X           region of the voxels of value X at least (default: automatic level,\n"
               "                      Otsu's method on the volume's histogram)\n"
               "  --band LOW HIGH     region of the voxels of value between LOW and HIGH\n"
               "  --label N[,M...]    region of the voxels of label N (or M...), its boundary halfway between voxels\n"
               "  --labels all        one surface per label (NOM.labelN.*) and the table NOM.labels.txt\n"
               "  --volume K          the K-th volume of a 4-D file (default: the first, said)\n"
               "  --voxels            results in voxel indices (default: millimetres of the volume's frame)\n"
               "A label map (integer values in regions of one value) is recognised: no Otsu level on it,\n"
               "the default region is every label. Also read: NRRD .nrrd/.nhdr, MetaImage .mha/.mhd, MINC .mnc,\n"
               "MGH .mgh/.mgz, DICOM (a folder holding a series, or a file of it), in NIfTI's RAS millimetres.\n";
    return "Volumes (.nii, .nii.gz, .hdr/.img, ...) : l'ajustement porte sur la frontière de la région choisie,\n"
           "points où le volume franchit le niveau, placés entre les centres des voxels par interpolation.\n"
           "  --level X           région des voxels de valeur au moins X (défaut : niveau automatique,\n"
           "                      méthode d'Otsu sur l'histogramme du volume)\n"
           "  --band BAS HAUT     région des voxels de valeur entre BAS et HAUT\n"
           "  --label N[,M...]    région des voxels de label N (ou M...), sa frontière à mi-chemin des voxels\n"
           "  --labels all        une surface par label (NOM.labelN.*) et la table NOM.labels.txt\n"
           "  --volume K          le K-ième volume d'un fichier 4-D (défaut : le premier, signalé)\n"
           "  --voxels            résultats en indices de voxels (défaut : millimètres du repère du volume)\n"
           "Une carte de labels (valeurs entières par régions d'une valeur) est reconnue : pas de niveau\n"
           "d'Otsu, la région par défaut est la réunion des labels. Lus aussi : NRRD .nrrd/.nhdr, MetaImage\n"
           ".mha/.mhd, MINC .mnc, MGH .mgh/.mgz, DICOM (un dossier de série, ou un de ses fichiers), dans les\n"
           "millimètres RAS de NIfTI.\n";
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
    if (bilan.carteDeLabels.code != CodeRaison::Aucune)
        prog << selon("Pelvane : volume : ", "Pelvane: volume: ") << texteLocal(bilan.carteDeLabels) << std::endl;
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
    if (f.carteDeLabels.code != CodeRaison::Aucune)
        o << "carte de labels = " << texte(f.carteDeLabels) << "\n";
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

Resultat ajusterChaqueLabel(const Parametres &p, std::ostream &prog)
{
    if (genreFichier(p.nuage) != GenreFichier::Volume)
        return refus(CodeRaison::LabelsSansVolume);
    VolumeReel v;
    if (const Resultat lu = lireVolumeReel(p.nuage, v, p.volume.volume); !lu)
        return lu;
    std::vector<double> labels;
    double fond = 0;
    if (!estCarteDeLabels(v, &labels, &fond))
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::PasUneCarteDeLabels, {nom(p.nuage), maxLabels}));
    std::map<float, std::size_t> voxels;
    for (const float x : v.valeurs)
        ++voxels[x];
    const double(*m)[4] = v.repere;
    const double voxel = p.volume.millimetres ? std::fabs(m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                                                          m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                                                          m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]))
                                              : 1.0;
    std::ostringstream table;
    table.precision(9);
    table << "# " << p.nuage << " : " << labels.size() << " labels, fond " << nombre(fond) << " ; unités : "
          << (p.volume.millimetres ? "mm, mm2, mm3" : "voxels") << "\n"
          << "label\tvoxels\tvolume_voxels\tvolume_surface\taire\tnuage_surface_moyenne\tnuage_surface_c95"
             "\tsurface_nuage_moyenne\tsurface_nuage_c95\tcroisements\tresultat\n";
    Resultat premierEchec;
    for (std::size_t n = 0; n < labels.size(); ++n) {
        const double label = labels[n];
        Parametres q = p;
        q.volume.tousLesLabels = false;
        q.volume.regionDonnee = true;
        q.volume.region = Region{};
        q.volume.region.labels = {label};
        q.volume.region.milieu = true;
        q.suffixeNom = p.suffixeNom + ".label" + nombre(label);
        prog << "Pelvane : label " << nombre(label) << " (" << n + 1 << " / " << labels.size() << ")" << std::endl;
        const Bilan b = ajuster(q, prog);
        const std::size_t compte = voxels[static_cast<float>(label)];
        table << nombre(label) << "\t" << compte << "\t" << static_cast<double>(compte) * voxel;
        if (b.resultat) {
            table << "\t" << b.volumeEnclos << "\t" << b.aire << "\t" << b.nuageVersSurface.moyenne << "\t"
                  << b.nuageVersSurface.centile95 << "\t" << b.surfaceVersNuage.moyenne << "\t"
                  << b.surfaceVersNuage.centile95 << "\t" << b.croisements << "\tok\n";
        } else {
            table << "\t\t\t\t\t\t\t\t" << texte(b.resultat.raison) << "\n";
            prog << ligneErreur(b.resultat) << std::endl;
            if (premierEchec)
                premierEchec = b.resultat;
        }
    }
    std::error_code e;
    std::filesystem::create_directories(p.sortie, e);
    const std::string fichier =
        (std::filesystem::path(p.sortie) / (nomDuNuage(p.nuage) + p.suffixeNom + ".labels.txt")).string();
    std::ofstream f(fichier, std::ios::binary);
    if (!(f << table.str()) || !(f.close(), f))
        return Resultat::echec(Statut::SortieImpossible, Raison(CodeRaison::EcritureEchouee, {nom(fichier)}));
    prog << selon("Pelvane : table des labels : ", "Pelvane: table of the labels: ") << fichier << std::endl;
    return premierEchec;
}

} // namespace pelvane
