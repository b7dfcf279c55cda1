#ifndef TARNIS_PROGRESSION_H
#define TARNIS_PROGRESSION_H

#include <algorithm>
#include <cstddef>
#include <functional>
#include <utility>

#include "Raison.h"

/// Progress of long engine work: called with the share done (0 to 1) and the phase under way
/// (a code of the catalogue: texte() writes it in French); returns whether to go on. An empty function is allowed and
/// never stops anything. Operations that are told to stop end at their next check with Statut::Interrompu and say in
/// their header which state they leave.
using Progression = std::function<bool(double fraction, const Raison &etape)>;

/// Progression of one phase that covers [debut, fin] of the caller's range: the phase's own
/// 0..1 is mapped into that range, so nested work reports one rising figure.
inline Progression sousProgression(const Progression &parent, double debut, double fin)
{
    if (!parent)
        return Progression();
    return [parent, debut, fin](double f, const Raison &etape) {
        return parent(debut + (fin - debut) * std::clamp(f, 0.0, 1.0), etape);
    };
}

/// Reports a loop of `total` units through a Progression at most about `appels` times, and
/// remembers a refusal: once the callback said stop, continuer() stays false.
class SuiviProgression
{
public:
    SuiviProgression(const Progression &p, Raison etape, std::size_t unites, std::size_t appels = 100)
        : progression(p), nom(std::move(etape)), total(unites),
          pasAppel(std::max<std::size_t>(1, unites / std::max<std::size_t>(1, appels)))
    {}

    /// Reports `fait` units done (every unit may be passed: only some reach the callback).
    /// Returns whether to go on.
    bool avancer(std::size_t fait)
    {
        if (!arret && progression && (fait % pasAppel == 0 || fait >= total))
            arret = !progression(total ? double(fait) / double(total) : 1.0, nom);
        return !arret;
    }

    /// Reports the phase finished; returns whether to go on.
    bool terminer() { return avancer(total); }

    bool continuer() const { return !arret; }

private:
    Progression progression;
    Raison nom;
    std::size_t total;
    std::size_t pasAppel;
    bool arret = false;
};

#endif
