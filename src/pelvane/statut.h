#ifndef TARNIS_PELVANE_STATUT_H
#define TARNIS_PELVANE_STATUT_H

#include "Resultat.h"

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

/// The line written on standard error for a failed run (no end of line).
inline std::string ligneErreur(const Resultat &r)
{
    return "Pelvane : erreur : " + r.texte();
}

} // namespace pelvane

#endif
