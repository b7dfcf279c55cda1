#ifndef TARNIS_SPATIAL_ARBREPOINTS_H
#define TARNIS_SPATIAL_ARBREPOINTS_H

#include "point3.h"

#include <cstddef>
#include <cstdint>
#include <vector>

/// Nearest-point queries over a fixed set of points: a balanced 3-d tree stored
/// in one array. Immutable after construction; queries may run side by side.
/// Ties between points at the same distance go to the lowest index, so the
/// answer does not depend on the order the tree was built in.
///
/// Memory: 29 bytes a point (coordinates in tree order, the caller's index of each, the nodes' planes), 4 more
/// with the slots of the caller's indices (`placesParIndice`).
class ArbrePoints
{
public:
    /// The tree may hold the points moved into another frame: q becomes (q - centre) * facteur,
    /// computed as fois(q - centre, facteur) computes it (the default leaves every bit as given).
    struct Repere
    {
        point3 centre;
        double facteur = 1;
    };

    /// How each range picks the axis it is split along. `Cellule`: the longest side of its cell
    /// (the space its ancestors' planes leave it), which keeps the cells round and a search from
    /// far off (inside a hollow shape) cheap. `Points`: the longest side of its own points' box,
    /// which fits the cells to points that lie on a surface: a search that starts near its
    /// answer (plusProche with an index) then meets fewer points, but one from far off may meet
    /// many more. Either way every answer is the same.
    enum class Decoupe { Cellule, Points };

    ArbrePoints() = default;
    /// `fils` threads share the building; the tree (and so every answer) does not depend on
    /// their number. `placesParIndice`: keep what plusProche(p, d2, indice) needs.
    explicit ArbrePoints(const std::vector<point3> &points, int fils = 1, bool placesParIndice = true,
                         Decoupe decoupe = Decoupe::Cellule);
    /// The points in the frame `repere`.
    ArbrePoints(const std::vector<point3> &points, const Repere &repere, int fils, bool placesParIndice,
                Decoupe decoupe = Decoupe::Cellule);

    std::size_t taille() const { return ordre.size(); }

    /// Index of the point nearest to p (squared distance into d2); -1 when empty.
    long plusProche(const point3 &p, double &d2) const;
    /// The same answer, found faster when `indice` (an index into the caller's list, or -1) is
    /// near p: its distance bounds the search from the start. Any index gives the same result.
    /// Needs the tree built with placesParIndice.
    long plusProche(const point3 &p, double &d2, long indice) const;
    /// The same answer, the search started from the slot `place` (a slot of this tree, or -1),
    /// which receives the slot of the answer.
    long plusProcheDepuis(const point3 &p, double &d2, long &place) const;

    /// The points as the tree holds them (in its frame), in slot order.
    const std::vector<point3> &points() const { return coord; }
    /// Index in the caller's list of the point at a slot.
    std::size_t indice(std::size_t slot) const { return ordre[slot]; }

    /// Squared distance from p (in the tree's frame) to its k-th nearest point (1 <= k <= 32; p
    /// itself counts when it is one of the points); 1e300 when there are fewer than k points.
    double distanceAuKieme(const point3 &p, int k) const;
    /// The k nearest points to p (1 <= k <= K_MAXIMUM; p itself counts when it is one of them),
    /// nearest first, ties to the lowest slot: their slots into `cases`, their squared distances
    /// into `d2` (both of k entries). Returns how many there are (fewer than k in a small tree).
    static constexpr int K_MAXIMUM = 64;
    int plusProches(const point3 &p, int k, std::uint32_t *cases, double *d2) const;
    /// The cloud's spacing: the median over at most `echantillons` of its points, evenly spread
    /// through the slots, of the distance to their k-th nearest (the point itself counting); 0
    /// when there is none.
    double espacementMedian(int k, std::size_t echantillons) const;

private:
    void construire(std::size_t debut, std::size_t fin, std::size_t noeud, const double boite[6], int fils,
                    Decoupe decoupe);
    void selectionner(std::size_t debut, std::size_t fin, std::size_t k, int a);
    void essayer(std::size_t k, const double q[3], long &meilleur, long &place, double &d2) const;
    /// Offsets of a query from the cell being searched, axis by axis.
    struct Ecarts
    {
        double d[3];
    };
    void chercher(std::size_t debut, std::size_t fin, std::size_t noeud, const double q[3], Ecarts e,
                  long &meilleur, long &place, double &d2) const;
    long chercherDepuis(const point3 &p, double &d2, long &place) const;
    void chercherK(std::size_t debut, std::size_t fin, std::size_t noeud, const double q[3], double *meilleurs,
                   std::uint32_t *cases, int k) const;

    std::vector<point3> coord;        // the points in tree order
    std::vector<std::uint32_t> ordre; // index in the caller's list of each tree slot
    std::vector<std::uint8_t> axe;    // split axis of each inner node (root 0, children 2i+1, 2i+2)
    std::vector<double> coupe;        // split value of each inner node: its point's coordinate
    std::vector<std::uint32_t> place; // tree slot of each point of the caller's list (may be empty)
};

#endif
