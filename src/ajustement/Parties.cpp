#include "Parties.h"
#include "ArbrePoints.h"
#include "Boite.h"
#include "Simplex.h"
#include "Voiles.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <unordered_map>

namespace {

ListesSimplexe listesDe(const Simplex &s)
{
    ListesSimplexe l;
    std::unordered_map<const PointSimplex *, int> indice;
    for (std::size_t i = 0; i < s.ListePointsSimplex.size(); ++i)
        indice.emplace(s.ListePointsSimplex[i], static_cast<int>(i));
    for (const PointSimplex *p : s.ListePointsSimplex) {
        l.positions.push_back(p->Position);
        l.voisins.push_back({indice.at(p->Voisin1), indice.at(p->Voisin2), indice.at(p->Voisin3)});
    }
    for (const Maille *m : s.ListeMailles) {
        l.mailles.emplace_back();
        for (const PointSimplex *p : *m)
            l.mailles.back().push_back(indice.at(p));
    }
    return l;
}

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

} // namespace

std::vector<std::vector<std::size_t>> partiesDuNuage(const std::vector<point3> &nuage)
{
    const std::size_t n = nuage.size();
    std::vector<std::size_t> tous(n);
    std::iota(tous.begin(), tous.end(), std::size_t(0));
    if (n < 40)
        return {tous};
    // Spacing: from the odd points (at most 2000 of them) to the nearest even one.
    std::vector<point3> pairs;
    for (std::size_t i = 0; i < n; i += 2)
        pairs.push_back(nuage[i]);
    const ArbrePoints arbre(pairs);
    std::vector<double> d;
    const std::size_t pas = std::max<std::size_t>(1, n / 4000);
    for (std::size_t i = 1; i < n; i += 2 * pas) {
        double d2;
        if (arbre.plusProche(nuage[i], d2) >= 0)
            d.push_back(std::sqrt(d2));
    }
    std::nth_element(d.begin(), d.begin() + d.size() / 2, d.end());
    const double cote = 4 * d[d.size() / 2];
    if (!(cote > 0))
        return {tous};
    const point3 origine = boiteDe(nuage).min;
    using Cellule = std::array<long long, 3>;
    std::map<Cellule, int> cellules; // occupied cell -> its number, in the order met
    std::vector<int> cellule(n);
    for (std::size_t i = 0; i < n; ++i) {
        const point3 &p = nuage[i];
        const Cellule c{static_cast<long long>((p.x - origine.x) / cote), static_cast<long long>((p.y - origine.y) / cote),
                        static_cast<long long>((p.z - origine.z) / cote)};
        cellule[i] = cellules.emplace(c, static_cast<int>(cellules.size())).first->second;
    }
    std::vector<int> racine(cellules.size());
    std::iota(racine.begin(), racine.end(), 0);
    auto trouver = [&](int a) {
        while (racine[a] != a)
            a = racine[a] = racine[racine[a]];
        return a;
    };
    for (const auto &[c, k] : cellules)
        for (int v = 0; v < 27; ++v) {
            const auto it = cellules.find({c[0] + v % 3 - 1, c[1] + v / 3 % 3 - 1, c[2] + v / 9 - 1});
            if (it != cellules.end())
                racine[trouver(k)] = trouver(it->second);
        }
    std::map<int, int> numero; // root -> cluster, in the order of the first point
    std::vector<std::vector<std::size_t>> parties;
    for (std::size_t i = 0; i < n; ++i) {
        const auto it = numero.emplace(trouver(cellule[i]), static_cast<int>(parties.size())).first;
        if (it->second == static_cast<int>(parties.size()))
            parties.emplace_back();
        parties[it->second].push_back(i);
    }
    for (const auto &p : parties)
        if (static_cast<double>(p.size()) < PART_MINIMALE * static_cast<double>(n))
            return {tous};
    return parties;
}

Resultat ajusterParParties(Simplex &s, const std::vector<point3> &nuage,
                           const std::vector<std::vector<std::size_t>> &parties,
                           const ReglagesAjustement &reglages, const Progression &progression,
                           BilanAjustement &bilan)
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
        const Resultat fait = s.construire(ensemble.positions, ensemble.voisins, ensemble.mailles);
        if (!fait && r)
            r = fait;
        s.calculerCentre();
    }
    std::sort(bilan.ecartes.begin(), bilan.ecartes.end());
    bilan.pointsFinaux = s.getNbPointsSimplex();
    return r;
}
