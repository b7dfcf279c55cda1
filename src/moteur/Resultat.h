#ifndef TARNIS_RESULTAT_H
#define TARNIS_RESULTAT_H

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
};

/// A status and, on failure, one line that names the file, the line or the value at fault
/// (French, no end of line). What the view shows in its box and the console tool prints.
struct [[nodiscard]] Resultat
{
    Statut statut = Statut::Reussite;
    std::string raison;

    bool reussi() const { return statut == Statut::Reussite; }
    explicit operator bool() const { return reussi(); }

    static Resultat succes() { return Resultat{}; }
    static Resultat echec(Statut s, std::string r) { return Resultat{s, std::move(r)}; }
    static Resultat interrompu(const std::string &operation)
    {
        return Resultat{Statut::Interrompu, operation + " : interrompu à la demande"};
    }
};

#endif
