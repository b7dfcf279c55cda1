#ifndef TARNIS_AJUSTEMENT_ARBREPOINTS_H
#define TARNIS_AJUSTEMENT_ARBREPOINTS_H

#include "point3.h"

#include <cstddef>
#include <cstdint>
#include <vector>

/// Nearest-point queries over a fixed set of points: a balanced 3-d tree stored
/// in one array. Immutable after construction; queries may run side by side.
/// Ties between points at the same distance go to the lowest index, so the
/// answer does not depend on the order the tree was built in.
class ArbrePoints
{
public:
    ArbrePoints() = default;
    /// `fils` threads share the building; the tree does not depend on their number.
    explicit ArbrePoints(const std::vector<point3> &points, int fils = 1);

    std::size_t taille() const { return ordre.size(); }

    /// Index of the point nearest to p (squared distance into d2); -1 when empty.
    long plusProche(const point3 &p, double &d2) const;
    /// The same answer, found faster when `indice` (an index into the caller's list, or -1) is
    /// near p: its distance bounds the search from the start. Any index gives the same result.
    long plusProche(const point3 &p, double &d2, long indice) const;
    /// Squared distance from p to its k-th nearest point (1 <= k <= 32; p itself counts when it
    /// is one of the points); 1e300 when there are fewer than k points.
    double distanceAuKieme(const point3 &p, int k) const;

private:
    void construire(std::size_t debut, std::size_t fin, int fils);
    void essayer(std::size_t k, const double q[3], long &meilleur, double &d2) const;
    void chercherK(std::size_t debut, std::size_t fin, const double q[3], double *meilleurs, int k) const;
    void chercher(std::size_t debut, std::size_t fin, const double q[3], long &meilleur, double &d2) const;

    std::vector<double> coord;        // x, y, z of the points in tree order
    std::vector<std::uint32_t> ordre; // index in the caller's list of each tree slot
    std::vector<std::uint8_t> axe;    // split axis of the node whose median sits at that slot
    std::vector<std::uint32_t> place; // tree slot of each point of the caller's list
};

#endif
