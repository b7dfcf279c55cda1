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
    switch (n) {
    case static_cast<int>(Statut::Reussite):
        return "succès";
    case static_cast<int>(Statut::ArgumentsIncorrects):
        return "arguments incorrects";
    case static_cast<int>(Statut::MaillageIllisible):
        return "maillage de référence illisible";
    case static_cast<int>(Statut::NuageIllisible):
        return "nuage illisible ou vide";
    case static_cast<int>(Statut::SortieImpossible):
        return "dossier de sortie inutilisable";
    case static_cast<int>(Statut::Echec):
        return "échec de l'ajustement";
    case 126:
    case 127:
        return "outil introuvable ou non exécutable";
    default:
        return n > 128 ? "interrompu (signal " + std::to_string(n - 128) + ")" : "statut inattendu";
    }
}

} // namespace pelvane

#endif
