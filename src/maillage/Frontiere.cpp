#include "Frontiere.h"

#include <algorithm>
#include <new>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <unordered_map>

#include <sys/resource.h>
#include <unistd.h>

#include "Parallele.h"

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

namespace {

/// The crossings of block k (0 to nz): those of the pairs along x, then along y, in slice k (when
/// k < nz), then those of the pairs along z between slices k - 1 and k, the voxels just outside
/// the volume included. A block reads one or two slices in the order of memory, so the blocks
/// run side by side without wandering through the whole volume. place(i, j, k) receives each
/// point in voxel indices.
template <class Placer> void frontiereDuBloc(const VolumeReel &volume, const Region &region, int k, Placer place)
{
    const int nx = volume.nx, ny = volume.ny, nz = volume.nz;
    const std::size_t tranche = static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny);
    const float *dessus = k < nz ? volume.valeurs.data() + tranche * static_cast<std::size_t>(k) : nullptr;
    const float *dessous = k > 0 ? volume.valeurs.data() + tranche * static_cast<std::size_t>(k - 1) : nullptr;
    double t[2];
    int nombre = 0;
    if (dessus) {
        for (int j = 0; j < ny; ++j) {
            const float *ligne = dessus + static_cast<std::size_t>(j) * static_cast<std::size_t>(nx);
            for (int p = -1; p < nx; ++p) {
                croisements(p >= 0 ? ligne[p] : 0.0, p >= 0, p + 1 < nx ? ligne[p + 1] : 0.0, p + 1 < nx, region, t,
                            nombre);
                for (int q = 0; q < nombre; ++q)
                    place(p + t[q], j, k);
            }
        }
        for (int p = -1; p < ny; ++p) {
            const float *a = p >= 0 ? dessus + static_cast<std::size_t>(p) * static_cast<std::size_t>(nx) : nullptr;
            const float *b = p + 1 < ny ? dessus + static_cast<std::size_t>(p + 1) * static_cast<std::size_t>(nx) : nullptr;
            for (int i = 0; i < nx; ++i) {
                croisements(a ? a[i] : 0.0, a != nullptr, b ? b[i] : 0.0, b != nullptr, region, t, nombre);
                for (int q = 0; q < nombre; ++q)
                    place(i, p + t[q], k);
            }
        }
    }
    for (std::size_t v = 0; v < tranche; ++v) {
        croisements(dessous ? dessous[v] : 0.0, dessous != nullptr, dessus ? dessus[v] : 0.0, dessus != nullptr,
                    region, t, nombre);
        for (int q = 0; q < nombre; ++q)
            place(static_cast<double>(v % static_cast<std::size_t>(nx)), static_cast<double>(v / static_cast<std::size_t>(nx)),
                  k - 1 + t[q]);
    }
}

bool volumeComplet(const VolumeReel &volume)
{
    return !volume.valeurs.empty() &&
           volume.valeurs.size() == static_cast<std::size_t>(volume.nx) * static_cast<std::size_t>(volume.ny) *
                                        static_cast<std::size_t>(volume.nz);
}

/// Points of each block, counted on every core.
std::vector<std::size_t> compterParBloc(const VolumeReel &volume, const Region &region)
{
    std::vector<std::size_t> comptes(static_cast<std::size_t>(volume.nz) + 1, 0);
    chaqueBloc(comptes.size(), filsEffectifs(0), [&](std::size_t b) {
        std::size_t n = 0;
        frontiereDuBloc(volume, region, static_cast<int>(b), [&](double, double, double) { ++n; });
        comptes[b] = n;
    });
    return comptes;
}

} // namespace

std::size_t compterPointsFrontiere(const VolumeReel &volume, const Region &region)
{
    if (!volumeComplet(volume))
        return 0;
    std::size_t total = 0;
    for (const std::size_t c : compterParBloc(volume, region))
        total += c;
    return total;
}

std::size_t pointsFrontiereAdmissibles(std::size_t octetsDejaPris)
{
    std::uint64_t memoire = 0;
    const long pages = ::sysconf(_SC_PHYS_PAGES), taillePage = ::sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && taillePage > 0)
        memoire = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(taillePage);
    struct rlimit limite;
    if (::getrlimit(RLIMIT_AS, &limite) == 0 && limite.rlim_cur != RLIM_INFINITY)
        memoire = memoire == 0 ? limite.rlim_cur : std::min<std::uint64_t>(memoire, limite.rlim_cur);
    // What the program, its libraries and the volume already hold stays out of the count.
    const std::uint64_t reserve = (std::uint64_t(256) << 20) + octetsDejaPris;
    if (memoire <= reserve)
        return 0;
    return static_cast<std::size_t>(std::min<std::uint64_t>((memoire - reserve) / OCTETS_PAR_POINT_FRONTIERE,
                                                            POINTS_FRONTIERE_MAX));
}

namespace {

/// The points of the blocks counted in comptes, each block writing its points where the count
/// puts them: the list is the same on any number of threads.
std::vector<point3> placerFrontiere(const VolumeReel &volume, const Region &region, bool millimetres, int fils,
                                    const std::vector<std::size_t> &comptes)
{
    std::vector<std::size_t> debuts(comptes.size() + 1, 0);
    for (std::size_t b = 0; b < comptes.size(); ++b)
        debuts[b + 1] = debuts[b] + comptes[b];
    std::vector<point3> points(debuts.back());
    chaqueBloc(comptes.size(), filsEffectifs(fils), [&](std::size_t b) {
        point3 *q = points.data() + debuts[b];
        frontiereDuBloc(volume, region, static_cast<int>(b), [&](double i, double j, double k) {
            *q++ = millimetres ? volume.versMonde(i, j, k) : point3(i, j, k);
        });
    });
    return points;
}

} // namespace

std::vector<point3> pointsFrontiere(const VolumeReel &volume, const Region &region, bool millimetres, int fils)
{
    if (!volumeComplet(volume))
        return {};
    return placerFrontiere(volume, region, millimetres, fils, compterParBloc(volume, region));
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
    // Counted before anything is placed: a boundary larger than the memory can hold is refused
    // with its size, never left to fail in an allocation.
    const std::vector<std::size_t> comptes =
        volumeComplet(volume) ? compterParBloc(volume, bilan.region) : std::vector<std::size_t>();
    std::size_t compte = 0;
    for (const std::size_t c : comptes)
        compte += c;
    const std::size_t admis =
        reglages.pointsMax > 0 ? reglages.pointsMax : pointsFrontiereAdmissibles(volume.valeurs.size() * sizeof(float));
    bilan.pointsFrontiere = compte;
    // Voxels in the region each with their own boundary on most sides (a checkerboard, speckle)
    // are noise, not a surface to fit: refused at once, whatever the memory.
    if (compte >= FRONTIERE_EPARSE_MIN && compte > POINTS_PAR_VOXEL_EPARS * bilan.voxelsRegion)
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::FrontiereEparse,
                                      {::nom(nom), compte, bilan.voxelsRegion, POINTS_PAR_VOXEL_EPARS}));
    if (compte > admis)
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::FrontiereTropGrande,
                                      {::nom(nom), compte, admis, OCTETS_PAR_POINT_FRONTIERE}));
    try {
        points = placerFrontiere(volume, bilan.region, reglages.millimetres, 0, comptes);
    } catch (const std::bad_alloc &) {
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::FrontiereTropGrande,
                                      {::nom(nom), compte, admis, OCTETS_PAR_POINT_FRONTIERE}));
    }
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
