#ifndef TARNIS_PELVANE_STATUT_H
#define TARNIS_PELVANE_STATUT_H

#include "Resultat.h"

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

/// The line written on standard error for a failed run (no end of line).
inline std::string ligneErreur(const Resultat &r)
{
    return prefixeErreur + r.texte();
}

/// What each exit status of the tool means: the batch summary shows the name, the help adds the
/// detail after it. The one list of them; the help and the summary read it.
struct SensStatut
{
    Statut statut;
    const char *nom;
    const char *detail; ///< "" or the end of the help's line
};

inline constexpr SensStatut sensStatuts[] = {
    {Statut::Reussite, "succès", ""},
    {Statut::ArgumentsIncorrects, "arguments incorrects", ""},
    {Statut::MaillageIllisible, "maillage de référence illisible", " ou invalide"},
    {Statut::NuageIllisible, "nuage illisible ou vide",
     ", plat (sur une droite ou un plan) ou plus long que son nombre de points"},
    {Statut::SortieImpossible, "dossier de sortie inutilisable",
     " : impossible à créer ou à écrire, ou sortie qui écraserait une entrée"},
    {Statut::Echec, "échec de l'ajustement", ""},
    {Statut::Interrompu, "arrêté par un signal",
     " : SIGINT (Ctrl+C) ou SIGTERM ; les fichiers du calcul sont supprimés"},
    {Statut::SurfaceQuiSeCroise, "surface qui se croise",
     " : les fichiers sont écrits, mais la surface passe au travers d'elle-même (elle ne borne pas un solide)"},
};

/// What an exit status of the tool's process means, as the batch summary shows it: the tool's
/// own statuses, the shell's for a tool it could not start, a signal's ("" for no status).
inline std::string significationSortie(const std::string &code)
{
    if (code.empty())
        return "";
    char *fin = nullptr;
    const long n = std::strtol(code.c_str(), &fin, 10);
    if (*fin != '\0')
        return "statut inattendu";
    for (const SensStatut &s : sensStatuts)
        if (n == static_cast<int>(s.statut))
            return s.nom;
    if (n == 126 || n == 127)
        return "outil introuvable ou non exécutable";
    return n > 128 ? "interrompu (signal " + std::to_string(n - 128) + ")" : "statut inattendu";
}

} // namespace pelvane

#endif
