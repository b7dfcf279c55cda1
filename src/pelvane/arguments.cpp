#include "arguments.h"
#include "volume.h"

#include "VolumeReel.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>

namespace pelvane {

namespace {

constexpr double ReelMax = 100.0;
constexpr long RigiditeMax = 99;
constexpr long PointsMax = 999999;
constexpr long IterationsMax = 99999;

Resultat refus(Raison raison)
{
    return Resultat::echec(Statut::ArgumentsIncorrects, Raison(CodeRaison::ArgumentsRefuses, {std::move(raison)}));
}

// A non-negative real written with a decimal point or a decimal comma (the
// launcher passes what its spin boxes show, which follows the user's locale).
Resultat lireReel(const std::string &texte, const std::string &nom, float &valeur)
{
    std::string t = texte;
    if (t.find('.') == std::string::npos) {
        auto virgule = t.find(',');
        if (virgule != std::string::npos && t.find(',', virgule + 1) == std::string::npos)
            t[virgule] = '.';
    }
    double v = 0;
    const char *debut = t.data(), *fin = t.data() + t.size();
    auto [reste, erreur] = std::from_chars(debut, fin, v);
    if (t.empty() || erreur != std::errc() || reste != fin || !std::isfinite(v))
        return refus(Raison(CodeRaison::ReelAttendu, {litteral(nom), litteral(texte)}));
    if (v < 0 || v > ReelMax)
        return refus(Raison(CodeRaison::HorsDeZeroACent, {litteral(nom), litteral(texte)}));
    valeur = static_cast<float>(v);
    return {};
}

Resultat lireEntier(const std::string &texte, const std::string &nom, long min, long max, long &valeur)
{
    long v = 0;
    const char *debut = texte.data(), *fin = texte.data() + texte.size();
    auto [reste, erreur] = std::from_chars(debut, fin, v);
    if (texte.empty() || erreur != std::errc() || reste != fin)
        return refus(Raison(CodeRaison::EntierAttendu, {litteral(nom), litteral(texte)}));
    if (v < min || v > max)
        return refus(Raison(CodeRaison::EntierHorsBornes, {litteral(nom), min, max, litteral(texte)}));
    valeur = v;
    return {};
}

Resultat lireChemin(const std::string &texte, const std::string &nom, std::string &valeur)
{
    if (texte.empty())
        return refus(Raison(CodeRaison::CheminVide, {litteral(nom)}));
    valeur = texte;
    return {};
}

LigneDeCommande nommee(const std::vector<std::string> &a, const std::string &maillageParDefaut,
                       const Parametres *base = nullptr);

// The named options that take a value (as the next argument or after '=').
const char *const optionsAvecValeur[] = {"--cloud",      "--mesh",       "--out",        "--internal", "--external",
                                         "--retention",  "--rigidity",   "--min-points", "--iterations",
                                         "--method",     "--threads",    "--tolerance",  "--max-points",
                                         "--format",     "--lang",       "--report",     "--strays",
                                         "--noise"};

std::string formatsValides()
{
    std::string t;
    for (const std::string &f : formatsDeSortie)
        t += (t.empty() ? "" : ", ") + f;
    return t;
}

LigneDeCommande positionnelle(const std::vector<std::string> &arguments)
{
    // The ten arguments of the launcher, then optionally named options of the fit.
    std::vector<std::string> a = arguments, options;
    for (std::size_t i = 10; i < arguments.size() && arguments[10].rfind("--", 0) == 0; ++i)
        options.push_back(arguments[i]);
    if (!options.empty())
        a.resize(10);
    LigneDeCommande l;
    Parametres &p = l.parametres;
    if (a.size() != 10) {
        l.resultat = refus(Raison(CodeRaison::NombreDArguments, {a.size()}));
        return l;
    }
    long rigid = 0, points = 0, iterations = 0;
    Resultat r;
    // The arguments are named in the language of the messages, as the help names them.
    if (!(r = lireReel(a[0], selon("force interne", "internal force"), p.alpha)).reussi() ||
        !(r = lireReel(a[1], selon("force externe", "external force"), p.beta)).reussi() ||
        !(r = lireReel(a[2], selon("force de retenue", "retention force"), p.gamma)).reussi() ||
        !(r = lireEntier(a[3], selon("rigidité", "rigidity"), 0, RigiditeMax, rigid)).reussi() ||
        !(r = lireEntier(a[4], selon("nombre minimum de points simplexes", "minimum number of simplex points"), 1,
                         PointsMax, points))
             .reussi() ||
        !(r = lireEntier(a[5], selon("itérations de déformation", "deformation iterations"), 0, IterationsMax,
                         iterations))
             .reussi()) {
        l.resultat = r;
        return l;
    }
    if (a[6] != "1" && a[6] != "0") {
        l.resultat = refus(Raison(CodeRaison::SauvegardeAutomatique, {litteral(a[6])}));
        return l;
    }
    p.sauvegardeAuto = a[6] == "1";
    if (!(r = lireChemin(a[7], selon("maillage de référence", "reference mesh"), p.maillage)).reussi() ||
        !(r = lireChemin(a[8], selon("nuage de points", "point cloud"), p.nuage)).reussi() ||
        !(r = lireChemin(a[9], selon("dossier de sortie", "output folder"), p.sortie)).reussi()) {
        l.resultat = r;
        return l;
    }
    p.rigid = static_cast<int>(rigid);
    p.pointsMinimum = points;
    p.iterations = static_cast<int>(iterations);
    if (!options.empty())
        return nommee(options, p.maillage, &p);
    return l;
}

LigneDeCommande nommee(const std::vector<std::string> &a, const std::string &maillageParDefaut, const Parametres *base)
{
    LigneDeCommande l;
    Parametres &p = l.parametres;
    if (base) {
        p = *base;
    } else {
        p.maillage = maillageParDefaut;
        p.sortie = ".";
    }
    bool nuageDonne = base != nullptr;
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::string option = a[i], valeur;
        bool avecEgal = false;
        if (option.rfind("--", 0) != 0) {
            l.resultat = refus(Raison(CodeRaison::ArgumentInattendu, {litteral(option)}));
            return l;
        }
        Resultat optionVolume;
        if (lireOptionVolume(a, i, p.volume, optionVolume)) {
            if (!optionVolume) {
                l.resultat = optionVolume;
                return l;
            }
            continue;
        }
        auto egal = option.find('=');
        if (egal != std::string::npos) {
            valeur = option.substr(egal + 1);
            option = option.substr(0, egal);
            avecEgal = true;
        }
        if (option == "--autosave") {
            if (avecEgal) {
                l.resultat = refus(Raison(CodeRaison::AutosaveSansValeur));
                return l;
            }
            p.sauvegardeAuto = true;
            continue;
        }
        bool connue = false;
        for (const char *o : optionsAvecValeur)
            connue = connue || option == o;
        if (!connue) {
            l.resultat = refus(Raison(CodeRaison::OptionInconnue, {litteral(option)}));
            return l;
        }
        if (!avecEgal) {
            if (i + 1 >= a.size()) {
                l.resultat = refus(Raison(CodeRaison::ValeurManquante, {litteral(option)}));
                return l;
            }
            valeur = a[++i];
        }
        Resultat r;
        long entier = 0;
        if (option == "--cloud") {
            r = lireChemin(valeur, "--cloud", p.nuage);
            nuageDonne = true;
        } else if (option == "--mesh") {
            r = lireChemin(valeur, "--mesh", p.maillage);
        } else if (option == "--out") {
            r = lireChemin(valeur, "--out", p.sortie);
        } else if (option == "--internal") {
            r = lireReel(valeur, "--internal", p.alpha);
        } else if (option == "--external") {
            r = lireReel(valeur, "--external", p.beta);
        } else if (option == "--retention") {
            r = lireReel(valeur, "--retention", p.gamma);
        } else if (option == "--rigidity") {
            if ((r = lireEntier(valeur, "--rigidity", 0, RigiditeMax, entier)).reussi())
                p.rigid = static_cast<int>(entier);
        } else if (option == "--min-points") {
            if ((r = lireEntier(valeur, "--min-points", 1, PointsMax, entier)).reussi())
                p.pointsMinimum = entier;
        } else if (option == "--iterations") {
            if ((r = lireEntier(valeur, "--iterations", 0, IterationsMax, entier)).reussi())
                p.iterations = static_cast<int>(entier);
        } else if (option == "--method") {
            if (valeur == "ajustement" || valeur == "cycles")
                p.cycles = valeur == "cycles";
            else
                r = refus(Raison(CodeRaison::MethodeInconnue, {litteral(valeur)}));
        } else if (option == "--threads") {
            if ((r = lireEntier(valeur, "--threads", 0, 256, entier)).reussi())
                p.fils = static_cast<int>(entier);
        } else if (option == "--tolerance") {
            float t = 0;
            if ((r = lireReel(valeur, "--tolerance", t)).reussi()) {
                if (t > 0)
                    p.tolerance = t;
                else
                    r = refus(Raison(CodeRaison::ToleranceNonPositive));
            }
        } else if (option == "--format") {
            r = lireFormats(valeur, p.formats);
        } else if (option == "--lang") {
            Langue langue = Langue::Francais;
            if (lireLangue(valeur, langue))
                p.langue = langue;
            else
                r = refus(Raison(CodeRaison::LangueInconnue, {litteral(valeur)}));
        } else if (option == "--report") {
            if (valeur == "text" || valeur == "json")
                p.rapportJson = valeur == "json";
            else
                r = refus(Raison(CodeRaison::RapportInconnu, {litteral(valeur)}));
        } else if (option == "--strays") {
            r = lireJugement(valeur, option, {Jugement::Auto, Jugement::Non}, p.isoles);
        } else if (option == "--noise") {
            r = lireJugement(valeur, option, {Jugement::Auto, Jugement::Oui, Jugement::Non}, p.bruit);
        } else {
            if ((r = lireEntier(valeur, "--max-points", 1, PointsMax, entier)).reussi())
                p.pointsMaximum = entier;
        }
        if (!r.reussi()) {
            l.resultat = r;
            return l;
        }
    }
    if (!nuageDonne)
        l.resultat = refus(Raison(CodeRaison::CloudObligatoire));
    // A level, a band or voxel indices on a cloud file would be passed over without a word (a
    // volume given in memory, from Python, has no name).
    else if ((p.volume.regionDonnee || !p.volume.millimetres) && !p.nuage.empty() && !estNomDeVolume(p.nuage))
        l.resultat = refus(Raison(CodeRaison::OptionsDeVolumeSurNuage, {litteral(p.nuage)}));
    return l;
}

} // namespace

const char *motDuJugement(Jugement j)
{
    return j == Jugement::Auto ? "auto" : j == Jugement::Oui ? "on" : "off";
}

Resultat lireJugement(const std::string &valeur, const std::string &option, const std::vector<Jugement> &permis,
                      Jugement &j)
{
    std::string mots;
    for (const Jugement p : permis) {
        if (valeur == motDuJugement(p)) {
            j = p;
            return {};
        }
        mots += (mots.empty() ? "" : "|") + std::string(motDuJugement(p));
    }
    return refus(Raison(CodeRaison::ChoixInconnu, {litteral(option), litteral(mots), litteral(valeur)}));
}

const std::vector<std::string> formatsDeSortie = {"smm", "sm", "off", "obj", "ply", "stl"};

Resultat lireFormats(const std::string &valeur, std::vector<std::string> &formats)
{
    std::vector<bool> choisis(formatsDeSortie.size(), false);
    std::size_t debut = 0;
    for (;;) {
        const std::size_t virgule = valeur.find(',', debut);
        const std::string f = valeur.substr(debut, virgule == std::string::npos ? std::string::npos : virgule - debut);
        const auto it = std::find(formatsDeSortie.begin(), formatsDeSortie.end(), f);
        if (it == formatsDeSortie.end())
            return refus(f.empty() && valeur.find_first_not_of(',') == std::string::npos
                             ? Raison(CodeRaison::FormatDeSortieVide, {litteral(formatsValides())})
                             : Raison(CodeRaison::FormatDeSortieInconnu, {litteral(f), litteral(formatsValides())}));
        choisis[static_cast<std::size_t>(it - formatsDeSortie.begin())] = true;
        if (virgule == std::string::npos)
            break;
        debut = virgule + 1;
    }
    formats.clear();
    for (std::size_t i = 0; i < formatsDeSortie.size(); ++i)
        if (choisis[i])
            formats.push_back(formatsDeSortie[i]);
    return {};
}

const char *versionTarnis()
{
    return TARNIS_VERSION;
}

std::string texteVersion(const std::string &programme)
{
    return programme + " (Tarnis) " + versionTarnis() + "\n";
}

std::optional<Langue> langueDemandee(const std::vector<std::string> &arguments)
{
    std::optional<Langue> l;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string valeur;
        if (arguments[i] == "--lang" && i + 1 < arguments.size())
            valeur = arguments[i + 1];
        else if (arguments[i].rfind("--lang=", 0) == 0)
            valeur = arguments[i].substr(7);
        else
            continue;
        Langue langue = Langue::Francais;
        if (lireLangue(valeur, langue))
            l = langue;
    }
    return l;
}

const std::vector<std::string> &optionsNommees()
{
    static const std::vector<std::string> options = [] {
        std::vector<std::string> o(std::begin(optionsAvecValeur), std::end(optionsAvecValeur));
        for (const char *x : {"--autosave", "--level", "--band", "--voxels"})
            o.push_back(x);
        return o;
    }();
    return options;
}

LigneDeCommande analyserOptions(const std::vector<std::string> &options, const Parametres &base)
{
    return nommee(options, base.maillage, &base);
}

LigneDeCommande analyserArguments(const std::vector<std::string> &arguments, const std::string &maillageParDefaut)
{
    for (const std::string &a : arguments)
        if (a == "--help" || a == "-h" || a == "--version") {
            LigneDeCommande l;
            l.aide = a != "--version";
            l.version = !l.aide;
            return l;
        }
    if (arguments.empty()) {
        LigneDeCommande l;
        l.resultat = refus(Raison(CodeRaison::AucunArgument));
        return l;
    }
    if (arguments[0].rfind("--", 0) == 0)
        return nommee(arguments, maillageParDefaut);
    return positionnelle(arguments);
}

namespace {

std::string reel(double x)
{
    char t[32];
    std::snprintf(t, sizeof t, "%.2f", x);
    return std::string(t);
}

std::string texteAideAnglais()
{
    const Parametres d;
    std::string aide =
        "Pelvane: fits a reference simplex mesh onto a point cloud, without an interface.\n"
        "\n"
        "Positional form (the batch launcher's), exactly ten arguments:\n"
        "  Pelvane.exe INTERNAL_FORCE EXTERNAL_FORCE RETENTION_FORCE RIGIDITY MIN_POINTS ITERATIONS\n"
        "              AUTOSAVE MESH CLOUD OUT\n"
        "  (reals with a decimal point or comma; AUTOSAVE is 1 or 0)\n"
        "\n"
        "Named form:\n"
        "  --cloud FILE        point cloud .pts, .ply (without faces), .pcd, or text .xyz, .csv, .txt,\n"
        "                      .asc; volume NIfTI .nii/.nii.gz, Analyze .hdr/.img, NRRD, MetaImage,\n"
        "                      MINC, MGH or a DICOM series' folder (see Volumes); or mesh .stl, .off,\n"
        "                      .obj or .ply (with faces) taken as the cloud of its surface\n"
        "                      (required; suffixes in either case)\n"
        "  --mesh FILE         reference simplex mesh .smm (default: the template SMM_/icosa.smm)\n"
        "  --out FOLDER        output folder, created when missing (default: current folder)\n"
        "  --internal X        internal force, 0 to 100 (default " + reel(d.alpha) + ")\n"
        "  --external X        external force, 0 to 100 (default " + reel(d.beta) + ")\n"
        "  --retention X       retention force, 0 to 100 (default " + reel(d.gamma) + ")\n"
        "  --rigidity N        rigidity of the mesh, 0 to 99 (default " + std::to_string(d.rigid) + ")\n"
        "  --min-points N      minimum number of simplex points, 1 to 999999 (default " +
        std::to_string(d.pointsMinimum) + "); bounded,\n"
        "                      with --max-points, by 10 times the size of the cloud (" +
        std::to_string(d.pointsMaximum) + " at least)\n"
        "  --iterations N      deformation iterations per cycle, 0 to 99999 (default " +
        std::to_string(d.iterations) + ")\n"
        "  --autosave          also saves the mesh after each cycle (or level)\n"
        "  --method M          ajustement (the fit, default) or cycles (the automatic mode alone)\n"
        "  --threads N         threads, 0 = every core (default 0); the result does not depend on it\n"
        "  --tolerance X       distance, in % of the cloud's diagonal, beyond which the fit refines\n"
        "                      locally (default " + reel(d.tolerance) + ")\n"
        "  --max-points N      number of simplex points beyond which it no longer refines (default " +
        std::to_string(d.pointsMaximum) + ")\n"
        "  --format F,G...     mesh files to write, among " + formatsValides() + "\n"
        "                      (default smm,off): smm and sm for the simplex mesh; off, obj, ply and\n"
        "                      stl for its triangulation. OFF, OBJ, SMM and SM write six significant\n"
        "                      digits, PLY (binary) keeps double precision, STL (binary) single; a\n"
        "                      warning says when six-digit rounding exceeds a tenth of the fit's mean\n"
        "                      distance\n"
        "  --report json       also writes NOM.rapport.json: the report as JSON, English keys, units,\n"
        "                      and, on failure, alone, with the reason's code and text\n"
        "  --lang en|fr        language of the messages (default: that of LC_ALL, LC_MESSAGES or LANG;\n"
        "                      English when it is English, French otherwise)\n"
        "  --strays M          stray points: auto (default) sets aside those far from the surface the\n"
        "                      rest of the cloud describes; off keeps them all\n"
        "  --noise M           noise: auto (default) brings the points of a cloud found noisy to the\n"
        "                      middle of their layer; on always does, off never\n"
        "  --version           prints the version\n"
        "  -h, --help          prints this help\n"
        "  A value follows its option (--out res) or is joined to it by an equals sign (--out=res).\n"
        "  The options --method, --threads, --tolerance, --max-points and the others may also follow\n"
        "  the ten arguments of the positional form.\n"
        "\n" +
        aideVolume() +
        "\n"
        "Course: the mesh is centred on the centre of the cloud's bounding box and scaled, axis by\n"
        "axis, to enclose it. The fit (the default) runs in levels, from coarse to fine: each level\n"
        "moves the points, drawn by the cloud and drawing the nearest cloud points to them (at least\n"
        "ITERATIONS steps, at most 4 x ITERATIONS, until they no longer move), then refines: global\n"
        "T26 while the mesh has fewer than MIN_POINTS points, then T26 at points and T22 at cells\n"
        "where the cloud stays far from the surface; it stops when the distance no longer falls.\n"
        "With --method cycles, each cycle deforms the mesh ITERATIONS times and refines it, T26\n"
        "(global) and T22 (by surfaces) in turn, until it has at least MIN_POINTS points; a final\n"
        "series of at most 10 x ITERATIONS deformations (at least 50; none when ITERATIONS is 0)\n"
        "stops as soon as the shape of the mesh no longer changes.\n"
        "\n"
        "Outputs, NOM being the cloud's name without its extension: NOM.smm (simplex mesh), NOM.off\n"
        "(its triangulation), or those of --format, and NOM.rapport.txt (parameters, point counts,\n"
        "times, distances; its keys are French and stay so); with the automatic save, NOM.cycleK.smm\n"
        "after cycle K. Input files are never overwritten. Progress goes to standard error.\n"
        "\n"
        "Exit statuses:\n";
    for (const SensStatut &s : sensStatuts)
        aide += "  " + std::to_string(static_cast<int>(s.statut)) + "  " + s.nomAnglais + s.detailAnglais + "\n";
    return aide;
}

} // namespace

std::string texteAide()
{
    if (langue() == Langue::Anglais)
        return texteAideAnglais();
    // The defaults shown are those of Parametres, which takes them from Defauts.h.
    const Parametres d;
    std::string aide =
        "Pelvane : ajuste un maillage simplexe de référence sur un nuage de points, sans interface.\n"
        "\n"
        "Forme positionnelle (celle du lanceur de lots), exactement dix arguments :\n"
        "  Pelvane.exe FORCE_INTERNE FORCE_EXTERNE FORCE_RETENUE RIGIDITE POINTS_MIN ITERATIONS\n"
        "              SAUVEGARDE MAILLAGE NUAGE SORTIE\n"
        "  (réels avec un point ou une virgule décimale ; SAUVEGARDE vaut 1 ou 0)\n"
        "\n"
        "Forme nommée :\n"
        "  --cloud FICHIER     nuage de points .pts, .ply (sans faces), .pcd, ou texte .xyz, .csv, .txt,\n"
        "                      .asc ; volume NIfTI .nii/.nii.gz, Analyze .hdr/.img, NRRD, MetaImage,\n"
        "                      MINC, MGH ou dossier d'une série DICOM (voir Volumes) ; ou maillage\n"
        "                      .stl, .off, .obj ou .ply (avec faces) pris comme le nuage de sa surface\n"
        "                      (obligatoire ; suffixes en minuscules ou majuscules)\n"
        "  --mesh FICHIER      maillage simplexe de référence .smm (défaut : le gabarit SMM_/icosa.smm)\n"
        "  --out DOSSIER       dossier de sortie, créé s'il manque (défaut : dossier courant)\n"
        "  --internal X        force interne, 0 à 100 (défaut " +
        reel(d.alpha) +
        ")\n"
        "  --external X        force externe, 0 à 100 (défaut " +
        reel(d.beta) +
        ")\n"
        "  --retention X       force de retenue, 0 à 100 (défaut " +
        reel(d.gamma) +
        ")\n"
        "  --rigidity N        rigidité du maillage, 0 à 99 (défaut " +
        std::to_string(d.rigid) +
        ")\n"
        "  --min-points N      nombre minimum de points simplexes, 1 à 999999 (défaut " +
        std::to_string(d.pointsMinimum) +
        ") ; ramené,\n"
        "                      avec --max-points, à 10 fois la taille du nuage (" +
        std::to_string(d.pointsMaximum) + " au moins)\n"
        "  --iterations N      itérations de déformation par cycle, 0 à 99999 (défaut " +
        std::to_string(d.iterations) +
        ")\n"
        "  --autosave          enregistre aussi le maillage après chaque cycle (ou niveau)\n"
        "  --method M          ajustement (défaut) ou cycles (le mode automatique seul)\n"
        "  --threads N         fils de calcul, 0 = tous les cœurs (défaut 0) ; le résultat n'en dépend pas\n"
        "  --tolerance X       écart, en % de la diagonale du nuage, au-delà duquel l'ajustement\n"
        "                      raffine localement (défaut " +
        reel(d.tolerance) +
        ")\n"
        "  --max-points N      nombre de points simplexes au-delà duquel il ne raffine plus (défaut " +
        std::to_string(d.pointsMaximum) +
        ")\n"
        "  --format F,G...     fichiers du maillage à écrire, parmi " +
        formatsValides() +
        "\n"
        "                      (défaut smm,off) : smm et sm pour le maillage simplexe ; off, obj, ply et\n"
        "                      stl pour sa triangulation. OFF, OBJ, SMM et SM écrivent six chiffres\n"
        "                      significatifs, PLY (binaire) garde la double précision, STL (binaire) la\n"
        "                      simple ; un avertissement dit quand l'arrondi à six chiffres dépasse le\n"
        "                      dixième de l'écart moyen de l'ajustement\n"
        "  --report json       écrit aussi NOM.rapport.json : le rapport en JSON, clés anglaises, unités,\n"
        "                      et, en cas d'échec, seul, avec le code et le texte de la raison\n"
        "  --lang en|fr        langue des messages (défaut : celle de LC_ALL, LC_MESSAGES ou LANG ;\n"
        "                      anglais si elle est anglaise, français sinon)\n"
        "  --version           affiche la version\n"
        "  --strays M          points isolés : auto (défaut) écarte ceux qui sont loin de la surface que\n"
        "                      décrit le reste du nuage ; off les garde tous\n"
        "  --noise M           bruit : auto (défaut) ramène au milieu de leur couche les points d'un\n"
        "                      nuage trouvé bruité ; on le fait toujours, off jamais\n"
        "  -h, --help          affiche cette aide\n"
        "  Une valeur suit son option (--out res) ou s'y colle après un signe égal (--out=res).\n"
        "  Les options --method, --threads, --tolerance, --max-points et les autres peuvent aussi suivre\n"
        "  les dix arguments de la forme positionnelle.\n"
        "\n" +
        aideVolume() +
        "\n"
        "Déroulement : le maillage est centré sur le centre de la boîte englobante du nuage et mis à\n"
        "l'échelle, axe par axe, pour l'envelopper. L'ajustement (par défaut) procède par niveaux, du\n"
        "grossier au fin : chaque niveau déplace les points, attirés par le nuage et attirant à eux les\n"
        "points du nuage les plus proches (au moins ITERATIONS pas, au plus 4 × ITERATIONS, jusqu'à ce\n"
        "qu'ils ne bougent plus), puis raffine : T26 global tant que le maillage a moins de POINTS_MIN\n"
        "points, puis T26 aux points et T22 aux mailles là où le nuage reste loin de la surface ; il\n"
        "s'arrête quand l'écart ne diminue plus. Avec --method cycles, chaque cycle déforme le maillage ITERATIONS "
        "fois\n"
        "et le raffine, en alternant T26 (global) et T22 (par surfaces), jusqu'à ce qu'il ait au moins\n"
        "POINTS_MIN points ; une série finale d'au plus 10 × ITERATIONS déformations (au moins 50 ;\n"
        "aucune si ITERATIONS vaut 0) s'arrête dès que la forme du maillage ne change plus.\n"
        "\n"
        "Sorties, NOM étant le nom du nuage sans extension : NOM.smm (maillage simplexe), NOM.off\n"
        "(sa triangulation), ou ceux de --format, et NOM.rapport.txt (paramètres, nombres de points,\n"
        "durée, écarts) ; avec la sauvegarde automatique, NOM.cycleK.smm après le cycle K. Les\n"
        "fichiers d'entrée ne sont jamais écrasés. La progression s'affiche sur la sortie d'erreur.\n"
        "\n"
        "Codes de sortie :\n";
    for (const SensStatut &s : sensStatuts)
        aide += "  " + std::to_string(static_cast<int>(s.statut)) + "  " + s.nom + s.detail + "\n";
    return aide;
}

} // namespace pelvane
