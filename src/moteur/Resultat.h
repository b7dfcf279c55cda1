#ifndef TARNIS_RESULTAT_H
#define TARNIS_RESULTAT_H

#include "Raison.h"

#include <string>
#include <utility>

/// How an engine operation ended. The values are the console tool's exit statuses, so a
/// failure maps to the same number wherever it is shown.
enum class Statut : int {
    Reussite = 0,
    ArgumentsIncorrects = 2, ///< a parameter or value out of range
    MaillageIllisible = 3,   ///< a mesh file (SMM, OFF, OBJ) that cannot be read or is refused
    NuageIllisible = 4,      ///< a cloud or volume that cannot be read, or is incomplete
    SortieImpossible = 5,    ///< a file that cannot be written
    Echec = 6,               ///< an operation that cannot be done on this input (open mesh, divergence)
    Interrompu = 7,          ///< stopped through the progress callback
    /// Done and written, but the surface written passes through itself: it bounds no solid.
    SurfaceQuiSeCroise = 8,
};

/// A status and, on failure, the reason: a code with the file, the line or the value at fault.
/// texte() gives it in French on one line (no end of line), as the console tool prints it; the
/// view writes the same reason in the interface's language.
struct [[nodiscard]] Resultat
{
    Statut statut = Statut::Reussite;
    Raison raison;

    bool reussi() const { return statut == Statut::Reussite; }
    explicit operator bool() const { return reussi(); }

    /// The reason in French ("" on success).
    std::string texte() const { return ::texte(raison); }

    static Resultat succes() { return Resultat{}; }
    static Resultat echec(Statut s, Raison r) { return Resultat{s, std::move(r)}; }
    /// A stop asked through the progression, during `operation`.
    static Resultat interrompu(Raison operation)
    {
        return Resultat{Statut::Interrompu, Raison(CodeRaison::Interrompu, {std::move(operation)})};
    }
};

#endif
