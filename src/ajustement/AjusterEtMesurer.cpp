#include "AjusterEtMesurer.h"

#include "Maillage.h"
#include "Vecteurs.h"
#include "Simplex.h"
#include "orientation.h"

#include <algorithm>
#include <chrono>

namespace {

double secondesDepuis(std::chrono::steady_clock::time_point debut)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
}

} // namespace

std::size_t croisementsCommeEcrits(const Maillage &t, const std::vector<std::string> &formats, int fils)
{
    const std::vector<std::array<int, 3>> triangles = trianglesDe(t);
    if (formats.empty())
        return pairesQuiSeCroisent(t.listeSommets, triangles, fils);
    std::size_t plus = 0;
    bool faits[4] = {false, false, false, false};
    for (const std::string &f : formats) {
        const int k = f == "off" || f == "obj" ? 0 : f == "smm" || f == "sm" ? 1 : f == "stl" ? 2 : 3;
        if (faits[k])
            continue;
        faits[k] = true;
        std::vector<point3> sommets = commeEcrits(
            t.listeSommets, k == 2 ? PrecisionEcrite::Simple : k == 3 ? PrecisionEcrite::Double : PrecisionEcrite::SixChiffres);
        if (k == 1) {
            // A simplex file holds no centres: each fan's first corner is its cell's centre, the
            // mean of the cell's points, which are the second corners of the fan's triangles.
            std::vector<point3> somme(sommets.size(), point3(0, 0, 0));
            std::vector<int> nombre(sommets.size(), 0);
            for (const std::array<int, 3> &f3 : triangles) {
                somme[static_cast<std::size_t>(f3[0])] += sommets[static_cast<std::size_t>(f3[1])];
                ++nombre[static_cast<std::size_t>(f3[0])];
            }
            for (std::size_t i = 0; i < sommets.size(); ++i)
                if (nombre[i] > 0)
                    sommets[i] = fois(somme[i], 1.0 / nombre[i]);
        }
        plus = std::max(plus, pairesQuiSeCroisent(sommets, triangles, fils));
    }
    return plus;
}

Resultat mesurerSurface(Simplex &s, const std::vector<point3> &nuage, const BilanAjustement *bilan,
                        const std::vector<std::string> &formats, int fils, MesureSurface &mesure,
                        const Progression &progression, const std::vector<point3> *ecartes)
{
    const auto debut = std::chrono::steady_clock::now();
    // Refinements leave cells running both ways round the surface: every cell, and so every
    // triangle, is turned outward before anything is measured or written.
    orienterVersExterieur(s);
    const Resultat triangule = s.trianguler(sousProgression(progression, 0, 0.5));
    if (!triangule)
        return triangule;
    const Maillage &t = s.maillageTriangule;
    mesure.points = s.getNbPointsSimplex();
    mesure.mailles = static_cast<int>(s.ListeMailles.size());
    mesure.sommets = static_cast<int>(t.listeSommets.size());
    mesure.triangles = static_cast<int>(t.listeFaces.size());
    mesure.topologie = topologie(t);
    mesure.croisements = croisementsCommeEcrits(t, formats, fils);
    mesure.solide = mesurerSolide(t);
    const Progression distances = sousProgression(progression, 0.5, 1);
    const Resultat r = bilan ? mesurerAjustement(s, nuage, *bilan, mesure.figures, distances, fils, ecartes)
                             : mesurerAjustement(s, nuage, mesure.figures, distances, fils);
    mesure.secondes = secondesDepuis(debut);
    return r;
}

Resultat ajusterEtMesurer(Simplex &s, std::vector<point3> nuage, const ReglagesAjustement &reglages,
                          const std::vector<std::string> &formats, MesureAjustement &mesure,
                          const Progression &progression,
                          const std::function<void(const Simplex &, int)> &apresNiveau)
{
    const auto debut = std::chrono::steady_clock::now();
    const Resultat r = ajuster(s, nuage, reglages, sousProgression(progression, 0, 0.9), &mesure.ajustement, apresNiveau);
    mesure.secondesAjustement = secondesDepuis(debut);
    if (!r)
        return r;
    // The fit's tree holds the cloud it was fitted to: the cloud itself is no longer needed, but for
    // the points set aside, which the figures over every point take in.
    const std::vector<point3> ecartes = pointsEcartes(nuage, mesure.ajustement);
    if (mesure.ajustement.nuageDeTravail)
        std::vector<point3>().swap(nuage);
    const Resultat m = mesurerSurface(s, nuage, &mesure.ajustement, formats, reglages.fils, mesure.surface,
                                      sousProgression(progression, 0.9, 1), &ecartes);
    mesure.ajustement.nuageDeTravail.reset();
    return m;
}
