#ifndef TARNIS_PELVANE_STATUT_H
#define TARNIS_PELVANE_STATUT_H

#include "Resultat.h"
#include "langue.h"

#include <cstdlib>
#include <string>

namespace pelvane {

/// The console tool reports the engine's outcome; the status value is the process exit status.
using ::Resultat;
using ::Statut;

/// The process exit status of a result.
inline int codeSortie(const Resultat &r)
{
    return static_cast<int>(r.statut);
}

/// The start of the line written on standard error for a failed run.
constexpr const char *prefixeErreur = "Pelvane : erreur : ";
constexpr const char *prefixeErreurAnglais = "Pelvane: error: ";

/// The line written on standard error for a failed run (no end of line), in the language of the
/// messages.
inline std::string ligneErreur(const Resultat &r)
{
    return selon(prefixeErreur, prefixeErreurAnglais) + texteLocal(r.raison);
}

/// What each exit status of the tool means: the batch summary shows the name, the help adds the
/// detail after it. The one list of them; the help and the summary read it.
struct SensStatut
{
    Statut statut;
    const char *nom;
    const char *detail; ///< "" or the end of the help's line
    const char *nomAnglais;
    const char *detailAnglais;
};

inline constexpr SensStatut sensStatuts[] = {
    {Statut::Reussite, "succès", "", "success", ""},
    {Statut::ArgumentsIncorrects, "arguments incorrects", "", "wrong arguments", ""},
    {Statut::MaillageIllisible, "maillage de référence illisible", " ou invalide", "reference mesh unreadable",
     " or invalid"},
    {Statut::NuageIllisible, "nuage illisible ou vide",
     ", plat (sur une droite ou un plan) ou plus long que son nombre de points", "unreadable or empty cloud",
     ", flat (on a line or a plane) or longer than its point count"},
    {Statut::SortieImpossible, "dossier de sortie inutilisable",
     " : impossible à créer ou à écrire, ou sortie qui écraserait une entrée", "unusable output folder",
     ": cannot be created or written, or an output would overwrite an input"},
    {Statut::Echec, "échec de l'ajustement", "", "fit failed", ""},
    {Statut::Interrompu, "arrêté par un signal",
     " : SIGINT (Ctrl+C) ou SIGTERM ; les fichiers du calcul sont supprimés", "stopped by a signal",
     ": SIGINT (Ctrl+C) or SIGTERM; the run's files are removed"},
    {Statut::SurfaceQuiSeCroise, "surface qui se croise",
     " : les fichiers sont écrits, mais la surface passe au travers d'elle-même (elle ne borne pas un solide)",
     "self-crossing surface", ": the files are written, but the surface passes through itself (it bounds no solid)"},
};

/// What an exit status of the tool's process means, as the batch summary shows it: the tool's
/// own statuses, the shell's for a tool it could not start, a signal's ("" for no status).
inline std::string significationSortie(const std::string &code, Langue l = Langue::Francais)
{
    const bool en = l == Langue::Anglais;
    if (code.empty())
        return "";
    char *fin = nullptr;
    const long n = std::strtol(code.c_str(), &fin, 10);
    if (*fin != '\0')
        return en ? "unexpected status" : "statut inattendu";
    for (const SensStatut &s : sensStatuts)
        if (n == static_cast<int>(s.statut))
            return en ? s.nomAnglais : s.nom;
    if (n == 126 || n == 127)
        return en ? "tool not found or not executable" : "outil introuvable ou non exécutable";
    if (n > 128)
        return (en ? "stopped (signal " : "interrompu (signal ") + std::to_string(n - 128) + ")";
    return en ? "unexpected status" : "statut inattendu";
}

} // namespace pelvane

#endif
