#ifndef TARNIS_PELVANE_STATUT_H
#define TARNIS_PELVANE_STATUT_H

#include <string>

namespace pelvane {

/// Outcome of a run of the console tool; the value is the process exit status.
enum class Statut : int {
    Reussite = 0,
    ArgumentsIncorrects = 2,
    MaillageIllisible = 3,
    NuageIllisible = 4,
    SortieImpossible = 5,
    EchecAjustement = 6,
};

/// A status with the one-line reason shown to the user (empty on success).
struct Resultat
{
    Statut statut = Statut::Reussite;
    std::string raison;

    bool reussi() const { return statut == Statut::Reussite; }
    static Resultat echec(Statut s, std::string r) { return Resultat{s, std::move(r)}; }
};

/// The process exit status of a result.
inline int codeSortie(const Resultat &r) { return static_cast<int>(r.statut); }

/// The line written on standard error for a failed run (no end of line).
inline std::string ligneErreur(const Resultat &r) { return "Pelvane : erreur : " + r.raison; }

} // namespace pelvane

#endif
