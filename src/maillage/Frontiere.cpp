#include "Frontiere.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

namespace {

/// A value as the reasons write it (at most nine significant digits).
Argument nombre(double v)
{
    char texte[32];
    std::snprintf(texte, sizeof texte, "%.9g", v);
    return litteral(texte);
}

/// The boundary point of the pair of samples a (at 0) and b (at 1) along one axis, as a fraction
/// of the way from a to b, when one is in the region and the other out. An absent sample (outside
/// the volume) or one that is not a number puts it at the middle, as the region's milieu does.
void croisements(double a, bool aPresent, double b, bool bPresent, const Region &r, double t[2], int &n)
{
    n = 0;
    const bool ia = aPresent && r.contient(a), ib = bPresent && r.contient(b);
    if (ia == ib)
        return;
    const double dedans = ia ? a : b, dehors = ia ? b : a;
    const bool dehorsPresent = ia ? bPresent : aPresent;
    if (!dehorsPresent || std::isnan(dehors) || r.milieu) {
        t[n++] = 0.5;
        return;
    }
    const double niveau = dehors < r.bas ? r.bas : r.haut;
    const double u = (niveau - dedans) / (dehors - dedans); // from the inside sample
    const double s = std::isfinite(u) ? std::min(1.0, std::max(0.0, u)) : 0.5;
    t[n++] = ia ? s : 1.0 - s;
}

} // namespace

bool estCarteDeLabels(const VolumeReel &volume, std::vector<double> *labels, double *fond)
{
    std::unordered_map<float, std::size_t> comptes;
    for (const float v : volume.valeurs) {
        if (!std::isfinite(v) || v != std::floor(v))
            return false;
        if (++comptes[v] == 1 && comptes.size() > maxLabels + 1)
            return false;
    }
    if (comptes.size() < 3)
        return false;
    float arriere = comptes.begin()->first;
    for (const auto &[v, n] : comptes)
        if (n > comptes[arriere] || (n == comptes[arriere] && v < arriere))
            arriere = v;
    // Voxels off the background inside the volume, and those that share their value with four neighbours.
    std::size_t hors = 0, uniformes = 0;
    const std::size_t sy = static_cast<std::size_t>(volume.nx), sz = sy * static_cast<std::size_t>(volume.ny);
    for (int k = 1; k + 1 < volume.nz; ++k)
        for (int j = 1; j + 1 < volume.ny; ++j)
            for (int i = 1; i + 1 < volume.nx; ++i) {
                const std::size_t c = static_cast<std::size_t>(i) + sy * static_cast<std::size_t>(j) + sz * static_cast<std::size_t>(k);
                const float v = volume.valeurs[c];
                if (v == arriere)
                    continue;
                ++hors;
                const float *q = volume.valeurs.data() + c;
                const std::ptrdiff_t pas[3] = {1, static_cast<std::ptrdiff_t>(sy), static_cast<std::ptrdiff_t>(sz)};
                int egaux = 0;
                for (const std::ptrdiff_t d : pas)
                    egaux += (q[d] == v ? 1 : 0) + (q[-d] == v ? 1 : 0);
                uniformes += egaux >= 4 ? 1 : 0;
            }
    if (hors == 0 || 2 * uniformes < hors)
        return false;
    if (labels) {
        labels->clear();
        for (const auto &vn : comptes)
            if (vn.first != arriere)
                labels->push_back(vn.first);
        std::sort(labels->begin(), labels->end());
    }
    if (fond)
        *fond = arriere;
    return true;
}

bool niveauOtsu(const VolumeReel &volume, double &niveau)
{
    double mini = 0, maxi = 0;
    bool premier = true, entiers = true;
    for (const float v : volume.valeurs) {
        if (!std::isfinite(v))
            continue;
        mini = premier ? v : std::min(mini, static_cast<double>(v));
        maxi = premier ? v : std::max(maxi, static_cast<double>(v));
        premier = false;
        entiers = entiers && v == std::floor(v);
    }
    if (premier || !(maxi > mini))
        return false;
    const bool parEntier = entiers && maxi - mini <= 65535;
    const std::size_t bacs = parEntier ? static_cast<std::size_t>(maxi - mini) + 1 : 1024;
    const double largeur = parEntier ? 1.0 : (maxi - mini) / static_cast<double>(bacs);
    std::vector<double> histogramme(bacs, 0.0);
    for (const float v : volume.valeurs) {
        if (!std::isfinite(v))
            continue;
        const double position = parEntier ? v - mini : (v - mini) / largeur;
        histogramme[std::min(bacs - 1, static_cast<std::size_t>(position))] += 1;
    }
    double total = 0, sommeTotale = 0;
    for (std::size_t b = 0; b < bacs; ++b) {
        total += histogramme[b];
        sommeTotale += histogramme[b] * static_cast<double>(b);
    }
    // Empty bins between the classes give the same variance: the level goes to the middle of
    // that run of equal best thresholds, not to its low end (a mask of 0 and 255 is split at 127.5).
    double poids0 = 0, somme0 = 0, meilleur = -1;
    std::size_t debutEgaux = 0, finEgaux = 0;
    for (std::size_t b = 0; b + 1 < bacs; ++b) {
        poids0 += histogramme[b];
        somme0 += histogramme[b] * static_cast<double>(b);
        const double poids1 = total - poids0;
        if (poids0 == 0 || poids1 == 0)
            continue;
        const double ecart = somme0 / poids0 - (sommeTotale - somme0) / poids1;
        const double variance = poids0 * poids1 * ecart * ecart;
        if (variance > meilleur) {
            meilleur = variance;
            debutEgaux = finEgaux = b;
        } else if (variance == meilleur && histogramme[b] == 0) {
            finEgaux = b;
        }
    }
    const std::size_t seuil = debutEgaux + (finEgaux - debutEgaux) / 2;
    niveau = parEntier ? mini + static_cast<double>(seuil) + 0.5 : mini + static_cast<double>(seuil + 1) * largeur;
    return true;
}

std::vector<point3> pointsFrontiere(const VolumeReel &volume, const Region &region, bool millimetres)
{
    std::vector<point3> points;
    const int n[3] = {volume.nx, volume.ny, volume.nz};
    if (volume.valeurs.empty() || volume.valeurs.size() != static_cast<std::size_t>(n[0]) * n[1] * n[2])
        return points;
    auto ajouter = [&](double i, double j, double k) {
        points.push_back(millimetres ? volume.versMonde(i, j, k) : point3(i, j, k));
    };
    // For each axis, every pair of samples along it, the voxels just outside included.
    for (int axe = 0; axe < 3; ++axe) {
        const int u = (axe + 1) % 3, w = (axe + 2) % 3;
        int c[3];
        for (c[w] = 0; c[w] < n[w]; ++c[w])
            for (c[u] = 0; c[u] < n[u]; ++c[u]) {
                double precedent = 0;
                for (int p = -1; p < n[axe]; ++p) {
                    const bool aPresent = p >= 0, bPresent = p + 1 < n[axe];
                    double suivant = 0;
                    if (bPresent) {
                        c[axe] = p + 1;
                        suivant = volume.valeur(c[0], c[1], c[2]);
                    }
                    double t[2];
                    int nombreCroisements = 0;
                    croisements(precedent, aPresent, suivant, bPresent, region, t, nombreCroisements);
                    for (int q = 0; q < nombreCroisements; ++q) {
                        double position[3] = {static_cast<double>(c[0]), static_cast<double>(c[1]),
                                              static_cast<double>(c[2])};
                        position[axe] = p + t[q];
                        ajouter(position[0], position[1], position[2]);
                    }
                    precedent = suivant;
                }
            }
    }
    return points;
}

Resultat frontiereVolume(const std::string &nom, const ReglagesFrontiere &reglages, std::vector<point3> &points,
                         BilanFrontiere &bilan)
{
    points.clear();
    bilan = BilanFrontiere();
    VolumeReel volume;
    const Resultat r = lireVolumeReel(nom, volume, reglages.volume);
    if (!r)
        return r;
    return frontiereVolume(volume, nom, reglages, points, bilan);
}

Resultat frontiereVolume(const VolumeReel &volume, const std::string &nom, const ReglagesFrontiere &reglages,
                         std::vector<point3> &points, BilanFrontiere &bilan)
{
    points.clear();
    bilan = BilanFrontiere();
    bilan.millimetres = reglages.millimetres;
    bilan.origineRepere = volume.origineRepere;
    bilan.remarque = volume.remarque;
    bilan.dimensions[0] = volume.nx;
    bilan.dimensions[1] = volume.ny;
    bilan.dimensions[2] = volume.nz;
    for (int a = 0; a < 3; ++a)
        bilan.taillesVoxel[a] = volume.tailleVoxel(a);
    bool premier = true;
    for (const float v : volume.valeurs)
        if (std::isfinite(v)) {
            bilan.minimum = premier ? v : std::min(bilan.minimum, static_cast<double>(v));
            bilan.maximum = premier ? v : std::max(bilan.maximum, static_cast<double>(v));
            premier = false;
        }
    const Raison plage = premier ? Raison(CodeRaison::SansValeurFinie)
                                 : Raison(CodeRaison::PlageValeurs, {nombre(bilan.minimum), nombre(bilan.maximum)});
    bilan.region = reglages.region;
    bilan.automatique = !reglages.regionDonnee;
    std::vector<double> labels;
    double fond = 0;
    const bool carte = estCarteDeLabels(volume, &labels, &fond);
    // The values of a label map name regions: no Otsu level on them, and every boundary halfway.
    bilan.region.milieu = bilan.region.milieu || carte;
    if (bilan.automatique && carte) {
        bilan.region.labels = labels;
        bilan.carteDeLabels = Raison(CodeRaison::CarteDeLabels, {labels.size(), nombre(fond)});
    } else if (bilan.automatique) {
        double niveau = 0;
        if (!niveauOtsu(volume, niveau))
            return Resultat::echec(Statut::NuageIllisible,
                                   Raison(CodeRaison::FrontiereSansNiveau, {::nom(nom), plage}));
        bilan.region = Region{niveau, std::numeric_limits<double>::infinity()};
    }
    for (const float v : volume.valeurs)
        bilan.voxelsRegion += bilan.region.contient(v) ? 1 : 0;
    if (bilan.voxelsRegion == 0) {
        std::string liste;
        for (const double l : bilan.region.labels) {
            char t[32];
            std::snprintf(t, sizeof t, "%.9g", l);
            liste += (liste.empty() ? "" : ", ") + std::string(t);
        }
        const Raison region =
            !bilan.region.labels.empty() ? Raison(CodeRaison::RegionLabels, {litteral(liste)})
            : std::isinf(bilan.region.haut)
                ? Raison(CodeRaison::RegionAuNiveau, {nombre(bilan.region.bas)})
                : Raison(CodeRaison::RegionEntre, {nombre(bilan.region.bas), nombre(bilan.region.haut)});
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::FrontiereSansVoxel, {::nom(nom), region, plage}));
    }
    points = pointsFrontiere(volume, bilan.region, reglages.millimetres);
    return Resultat::succes();
}

Resultat versMillimetres(const std::string &nom, std::vector<point3> &points, Raison &origine)
{
    VolumeReel volume;
    const Resultat r = lireVolumeReel(nom, volume);
    if (!r)
        return r;
    for (point3 &p : points)
        p = volume.versMonde(p.x, p.y, p.z);
    origine = volume.origineRepere;
    return r;
}
