#ifndef TARNIS_PELVANE_ARGUMENTS_H
#define TARNIS_PELVANE_ARGUMENTS_H

#include "Ajustement.h"
#include "Defauts.h"
#include "Frontiere.h"
#include "langue.h"
#include "statut.h"

#include <optional>
#include <string>
#include <vector>

namespace pelvane {

/// Everything a fitting run needs. Defaults are those the batch launcher shows.
struct Parametres
{
    float alpha = defauts::alpha;                ///< weight of the internal force
    float beta = defauts::beta;                  ///< weight of the external force
    float gamma = defauts::gamma;                ///< weight of the retention force
    int rigid = defauts::rigidite;               ///< rigidity (depth of the simplex-angle average)
    long pointsMinimum = defauts::pointsMinimum; ///< the cycles stop once the mesh has this many points
    int iterations = defauts::pasParCycle;       ///< deformation steps per cycle
    bool sauvegardeAuto = false;                 ///< also save the mesh after each cycle
    std::string maillage;                        ///< reference simplex mesh (SMM)
    std::string nuage;                           ///< point cloud (PTS, or Analyze .hdr/.img)
    std::string sortie;                          ///< output folder
    bool cycles = false;                         ///< run the automatic mode's cycles only, not the fit
    int fils = 0;                                ///< threads of the fit (0: every core)
    /// Local refinement beyond this distance, % of the cloud's diagonal.
    float tolerance = static_cast<float>(100 * defauts::tolerance);
    long pointsMaximum = defauts::pointsMaximum; ///< no local refinement beyond this many simplex points
    /// a volume: the region (--level, --band, --label, --labels), the frame (--voxels), the volume
    /// of a 4-D file (--volume)
    ReglagesFrontiere volume;
    std::string suffixeNom; ///< after the cloud's name in the outputs' names (".label37" for --labels all)
    /// The mesh files to write (--format), in the order of formatsDeSortie.
    std::vector<std::string> formats = {"smm", "off"};
    /// --report json: NOM.rapport.json beside NOM.rapport.txt (on failure, alone, with the reason).
    bool rapportJson = false;
    /// --lang: the language of the messages, when forced (the locale's otherwise).
    std::optional<Langue> langue;
    /// The fit's judgements on the data (--strays auto|off, --noise auto|on|off).
    Jugement isoles = Jugement::Auto;
    Jugement bruit = Jugement::Auto;
};

/// The word of a judgement's choice on the command line and in the report: auto, on, off.
const char *motDuJugement(Jugement j);
/// Reads a choice among `permis` (some of auto, on, off) for `option`; ArgumentsIncorrects else.
Resultat lireJugement(const std::string &valeur, const std::string &option, const std::vector<Jugement> &permis,
                      Jugement &j);

/// Every format --format accepts, in the order the files are written: smm and sm (the simplex
/// mesh), off, obj, ply and stl (its triangulation).
extern const std::vector<std::string> formatsDeSortie;

/// Reads the value of --format ("off,ply,stl": comma-separated, any order, repeats ignored).
Resultat lireFormats(const std::string &valeur, std::vector<std::string> &formats);

/// Result of reading the command line.
struct LigneDeCommande
{
    Resultat resultat; ///< ArgumentsIncorrects with the reason, or success
    bool aide = false;    ///< --help was asked: print texteAide() and stop
    bool version = false; ///< --version was asked: print texteVersion() and stop
    Parametres parametres;
};

/// Reads the arguments (without the program name). Two forms:
/// - positional, exactly ten arguments in the launcher's order: internal force,
///   external force, retention force, rigidity, minimum number of simplex
///   points, deformation iterations per cycle, automatic-save flag (1 or 0),
///   reference mesh, cloud, output folder;
/// - named options (--cloud, --mesh, --out, --internal, --external,
///   --retention, --rigidity, --min-points, --iterations, --autosave, --format, --strays, --noise,
///   --help, and the
///   volume options --level, --band, --voxels),
///   each value either as the next argument or after '='.
/// maillageParDefaut is the reference mesh of the named form when --mesh is
/// not given. Real numbers accept a decimal comma as well as a point.
LigneDeCommande analyserArguments(const std::vector<std::string> &arguments, const std::string &maillageParDefaut);

/// Reads named options (the form above, without --cloud) over the settings `base`: the
/// Python module's keyword arguments go through it, so both take the same values and refuse the
/// same ones.
LigneDeCommande analyserOptions(const std::vector<std::string> &options, const Parametres &base);

/// Every long option of the named form (those of the volumes and --autosave included; not --help
/// nor --version), as the parser takes them: the Python module's keywords follow this list.
const std::vector<std::string> &optionsNommees();

/// The --help text (several lines, ends with an end of line), in the language of the messages.
std::string texteAide();

/// Tarnis's version ("0.1.0"), the one of the project.
const char *versionTarnis();
/// The --version line of a program ("Pelvane.exe (Tarnis) 0.1.0", end of line included).
std::string texteVersion(const std::string &programme);

/// The language a --lang option among the arguments forces, read before anything else so that
/// every message, those about the arguments included, comes in it.
std::optional<Langue> langueDemandee(const std::vector<std::string> &arguments);

} // namespace pelvane

#endif
