#include "Parties.h"
#include "ArbrePoints.h"
#include "Boite.h"
#include "Parallele.h"
#include "Simplex.h"
#include "TableAjustement.h"
#include "ListesSimplexe.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <iterator>
#include <mutex>

namespace {

// Appends the lists b to a, its indices shifted.
void ajouter(ListesSimplexe &a, const ListesSimplexe &b)
{
    const int decalage = static_cast<int>(a.positions.size());
    a.positions.insert(a.positions.end(), b.positions.begin(), b.positions.end());
    for (auto v : b.voisins)
        a.voisins.push_back({v[0] + decalage, v[1] + decalage, v[2] + decalage});
    for (auto c : b.mailles) {
        for (int &i : c)
            i += decalage;
        a.mailles.push_back(std::move(c));
    }
}

using Cellule = std::array<std::int32_t, 3>;

/// The grid of a cloud's clusters: cells `cote` on a side from the corner `origine` of its box.
struct GrilleDesParties
{
    point3 origine;
    double cote = 0;
    Cellule celluleDe(const point3 &q) const
    {
        return Cellule{static_cast<std::int32_t>((q.x - origine.x) / cote),
                       static_cast<std::int32_t>((q.y - origine.y) / cote),
                       static_cast<std::int32_t>((q.z - origine.z) / cote)};
    }
};

/// The grid over the box of the cloud, its cells four spacings a side. False when the cloud has
/// no spacing, when the box is more than 2^30 cells on a side (points spread over a billion
/// spacings: far strays) or a coordinate is not finite: the cloud is then left whole.
bool grilleDesParties(const ArbrePoints &arbre, GrilleDesParties &grille)
{
    const std::vector<point3> &p = arbre.points();
    // Spacing: the median distance to the second nearest of the others, over at most 4000 points.
    const double cote = ESPACEMENTS_DES_PARTIES * arbre.espacementMedian(VOISIN_DES_PARTIES, ECHANTILLON_DES_PARTIES);
    if (!(cote > 0))
        return false;
    const Boite boite = boiteDe(p);
    const double cotes[3] = {(boite.max.x - boite.min.x) / cote, (boite.max.y - boite.min.y) / cote,
                             (boite.max.z - boite.min.z) / cote};
    for (const double c : cotes)
        if (!(c < double(1 << 30)))
            return false;
    for (const point3 &q : p)
        if (!std::isfinite(q.x) || !std::isfinite(q.y) || !std::isfinite(q.z))
            return false;
    grille.origine = boite.min;
    grille.cote = cote;
    return true;
}

/// An occupied cell, with its number of points and the first of them (in the caller's list).
struct Occupee
{
    Cellule c;
    std::uint32_t nombre, premier; // the tree's indices are 32-bit
};

bool avant(const Occupee &a, const Occupee &b)
{
    return a.c < b.c;
}

/// Sorted lists merged into a, the entries of one cell put together; b left empty.
void fusionner(std::vector<Occupee> &a, std::vector<Occupee> &b)
{
    std::vector<Occupee> f;
    f.reserve(a.size() + b.size());
    std::merge(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(f), avant);
    std::size_t k = 0;
    for (std::size_t i = 0; i < f.size(); ++i)
        if (k > 0 && f[k - 1].c == f[i].c) {
            f[k - 1].nombre += f[i].nombre;
            f[k - 1].premier = std::min(f[k - 1].premier, f[i].premier);
        } else {
            f[k++] = f[i];
        }
    f.resize(k);
    a.swap(f);
    b.clear();
}

/// The occupied cells, sorted, found by `t` threads. The slots of the tree run through space:
/// most points fall in the cell of the one before, which then only counts one more.
std::vector<Occupee> cellulesOccupees(const ArbrePoints &arbre, const GrilleDesParties &grille, int t)
{
    const std::vector<point3> &p = arbre.points();
    std::vector<Occupee> occupees;
    std::mutex verrou;
    std::vector<std::vector<Occupee>> parFil;
    enParallele(p.size(), t, [&](std::size_t debut, std::size_t fin) {
        std::vector<Occupee> vues, lot;
        auto verser = [&] {
            std::sort(lot.begin(), lot.end(), avant);
            fusionner(vues, lot);
        };
        for (std::size_t s = debut; s < fin; ++s) {
            const Cellule c = grille.celluleDe(p[s]);
            const auto i = static_cast<std::uint32_t>(arbre.indice(s));
            if (lot.empty() || c != lot.back().c)
                lot.push_back({c, 1, i});
            else {
                ++lot.back().nombre;
                lot.back().premier = std::min(lot.back().premier, i);
            }
            if (lot.size() >= (std::size_t(1) << 18))
                verser();
        }
        verser();
        const std::lock_guard<std::mutex> garde(verrou);
        parFil.push_back(std::move(vues));
    });
    for (std::vector<Occupee> &v : parFil)
        fusionner(occupees, v);
    return occupees;
}

/// The root of each cell's cluster, neighbouring cells joined (`cellules` sorted): for each
/// offset, the cells moved by it stay sorted, and one walk through both lists finds the occupied
/// ones (half the offsets: the joins go both ways).
std::vector<std::size_t> racinesDesAmas(const std::vector<Cellule> &cellules)
{
    const std::size_t m = cellules.size();
    std::vector<std::size_t> racine(m);
    std::iota(racine.begin(), racine.end(), std::size_t(0));
    auto trouver = [&](std::size_t a) {
        while (racine[a] != a)
            a = racine[a] = racine[racine[a]];
        return a;
    };
    for (int v = 14; v < 27; ++v) {
        const Cellule o{v % 3 - 1, v / 3 % 3 - 1, v / 9 - 1};
        std::size_t j = 0;
        for (std::size_t i = 0; i < m && j < m; ++i) {
            const Cellule c{cellules[i][0] + o[0], cellules[i][1] + o[1], cellules[i][2] + o[2]};
            while (j < m && cellules[j] < c)
                ++j;
            if (j < m && cellules[j] == c)
                racine[trouver(i)] = trouver(j);
        }
    }
    for (std::size_t k = 0; k < m; ++k)
        racine[k] = trouver(k);
    return racine;
}

/// Each point of the tree given to its cluster (`amas`: the clusters' roots in order), each
/// cluster the increasing indices of its points.
std::vector<std::vector<std::size_t>> pointsDesAmas(const ArbrePoints &arbre, const GrilleDesParties &grille,
                                                    const std::vector<Cellule> &cellules,
                                                    const std::vector<std::size_t> &racine,
                                                    const std::vector<std::size_t> &amas,
                                                    const std::vector<std::size_t> &taille)
{
    const std::vector<point3> &p = arbre.points();
    const std::size_t m = cellules.size();
    // Cell number of a point, looked up again only when it leaves the cell of the one before.
    auto numeroDe = [&](const point3 &q, Cellule &derniere, std::size_t &numero) {
        const Cellule c = grille.celluleDe(q);
        if (numero == m || c != derniere) {
            derniere = c;
            numero = static_cast<std::size_t>(std::lower_bound(cellules.begin(), cellules.end(), c) - cellules.begin());
        }
        return numero;
    };
    std::vector<std::size_t> rang(m, 0);
    for (std::size_t k = 0; k < amas.size(); ++k)
        rang[amas[k]] = k;
    std::vector<std::vector<std::size_t>> parties(amas.size());
    for (std::size_t k = 0; k < amas.size(); ++k)
        parties[k].reserve(taille[amas[k]]);
    Cellule derniere{};
    std::size_t numero = m;
    for (std::size_t s = 0; s < p.size(); ++s)
        parties[rang[racine[numeroDe(p[s], derniere, numero)]]].push_back(arbre.indice(s));
    for (auto &partie : parties)
        std::sort(partie.begin(), partie.end());
    return parties;
}

} // namespace

std::vector<std::vector<std::size_t>> partiesDuNuage(const ArbrePoints &arbre, int fils)
{
    const std::size_t n = arbre.points().size();
    if (n < POINTS_MINIMUM_DES_PARTIES)
        return {};
    GrilleDesParties grille;
    if (!grilleDesParties(arbre, grille))
        return {};
    std::vector<Occupee> occupees = cellulesOccupees(arbre, grille, filsEffectifs(fils));
    std::vector<Cellule> cellules(occupees.size());
    for (std::size_t k = 0; k < occupees.size(); ++k)
        cellules[k] = occupees[k].c;
    const std::size_t m = cellules.size();
    const std::vector<std::size_t> racine = racinesDesAmas(cellules);
    // Size and first index (in the caller's list) of each cluster, by its root.
    std::vector<std::size_t> taille(m, 0), premier(m, n);
    for (std::size_t k = 0; k < m; ++k) {
        taille[racine[k]] += occupees[k].nombre;
        premier[racine[k]] = std::min<std::size_t>(premier[racine[k]], occupees[k].premier);
    }
    occupees = std::vector<Occupee>();
    std::vector<std::size_t> amas; // the clusters' roots, in the order of their first point
    for (std::size_t r = 0; r < m; ++r)
        if (taille[r] > 0) {
            if (static_cast<double>(taille[r]) < PART_MINIMALE * static_cast<double>(n))
                return {};
            amas.push_back(r);
        }
    if (amas.size() < 2)
        return {};
    std::sort(amas.begin(), amas.end(), [&](std::size_t a, std::size_t b) { return premier[a] < premier[b]; });
    return pointsDesAmas(arbre, grille, cellules, racine, amas, taille);
}

std::vector<std::vector<std::size_t>> partiesDuNuage(const std::vector<point3> &nuage)
{
    return partiesDuNuage(ArbrePoints(nuage, filsEffectifs(0), false), 0);
}

Resultat ajusterParParties(Simplex &s, const std::vector<point3> &nuage,
                           const std::vector<std::vector<std::size_t>> &parties, const ReglagesAjustement &reglages,
                           const Progression &progression, BilanAjustement &bilan)
{
    const ListesSimplexe gabarit = listesDe(s);
    std::size_t total = 0;
    for (const auto &p : parties)
        total += p.size();
    bilan = BilanAjustement();
    bilan.pointsInitiaux = s.getNbPointsSimplex();
    bilan.diagonale = boiteDe(nuage).diagonale();
    bilan.converge = true;
    ListesSimplexe ensemble;
    Resultat r;
    double fait = 0;
    for (const auto &indices : parties) {
        Simplex t;
        if (!(r = t.construire(gabarit.positions, gabarit.voisins, gabarit.mailles)))
            break;
        std::vector<point3> partie;
        partie.reserve(indices.size());
        for (const std::size_t i : indices)
            partie.push_back(nuage[i]);
        const double part = static_cast<double>(partie.size()) / static_cast<double>(total);
        BilanAjustement b;
        r = ajuster(t, partie, reglages, sousProgression(progression, fait, fait + part), &b);
        for (const std::size_t k : b.ecartes)
            bilan.ecartes.push_back(indices[k]);
        bilan.lisse = bilan.lisse || b.lisse;
        // The figures of a part smoothed, if one was: the report says the cloud was.
        if ((b.bruit.bruite() && !bilan.bruit.bruite()) ||
            (b.bruit.bruite() == bilan.bruit.bruite() && b.bruit.residu > bilan.bruit.residu))
            bilan.bruit = b.bruit;
        fait += part;
        ajouter(ensemble, listesDe(t));
        bilan.niveaux = std::max(bilan.niveaux, b.niveaux);
        bilan.pas += b.pas;
        bilan.converge = bilan.converge && b.converge;
        bilan.pointsParNiveau.resize(std::max(bilan.pointsParNiveau.size(), b.pointsParNiveau.size()));
        for (std::size_t k = 0; k < b.pointsParNiveau.size(); ++k)
            bilan.pointsParNiveau[k] += b.pointsParNiveau[k];
        if (!r)
            break;
    }
    if (!ensemble.positions.empty()) {
        const Resultat construit = s.construire(ensemble.positions, ensemble.voisins, ensemble.mailles);
        if (!construit && r)
            r = construit;
        s.calculerCentre();
    }
    std::sort(bilan.ecartes.begin(), bilan.ecartes.end());
    bilan.pointsFinaux = s.getNbPointsSimplex();
    return r;
}
