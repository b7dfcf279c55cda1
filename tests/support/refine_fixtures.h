#ifndef TARNIS_REFINE_FIXTURES_H
#define TARNIS_REFINE_FIXTURES_H

#include <string>
#include <vector>

#include "Maillage.h"
#include "Simplex.h"

namespace tarnis_test {

/// Switches the refinement and conversion lookups of s to plain scans while it lives.
class RechercheLineaire
{
public:
    explicit RechercheLineaire(Simplex &s) : s(s), avant(s.recherche) { s.recherche = Recherche::Lineaire; }
    ~RechercheLineaire() { s.recherche = avant; }
    RechercheLineaire(const RechercheLineaire &) = delete;
    RechercheLineaire &operator=(const RechercheLineaire &) = delete;

private:
    Simplex &s;
    Recherche avant;
};

/// Everything the refinement and conversions define about a mesh, written out exactly: each
/// point's position (hexadecimal floats) and neighbour indices, each cell's point indices, the same
/// for the companion mesh and the positions of ListePointsPrecedents. Two meshes with the same
/// text have the same points, links and cells in the same order.
std::string empreinte(const Simplex &s);

/// The same for a triangle mesh: vertices, faces and the edge table.
std::string empreinte(const Maillage &m);

/// Loads the triangle mesh into maillageOrigine and converts it; its console output is dropped.
/// Returns the conversion's result.
bool convertir(Simplex &s, const std::vector<point3> &sommets, const std::vector<Face> &faces);

/// Reads the template mesh shipped in SMM_/ (console output dropped); false when it cannot.
bool chargerGabarit(Simplex &s);

} // namespace tarnis_test

#endif
