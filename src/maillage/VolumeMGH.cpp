// MGH/MGZ volumes, and the volume kinds known but not read.
#include "VolumeFormats.h"

#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <strings.h>
#include <vector>

namespace {

/// The header's fixed part: version, sizes, frames, type, dof, the RAS flag, voxel sizes,
/// direction cosines and centre; the voxels start at byte 284.
constexpr std::size_t ENTETE_MGH = 90;
constexpr std::size_t DEBUT_VOXELS = 284;

bool finitPar(const std::string &s, const char *fin)
{
    const std::size_t n = std::strlen(fin);
    return s.size() >= n && ::strncasecmp(s.c_str() + s.size() - n, fin, n) == 0;
}

Resultat refus(const std::string &nom, Raison pourquoi)
{
    return Resultat::echec(Statut::NuageIllisible,
                           Raison(CodeRaison::VolumeFichierIllisible, {::nom(nom), std::move(pourquoi)}));
}

std::uint32_t mot32(const unsigned char *q)
{
    return (std::uint32_t(q[0]) << 24) | (std::uint32_t(q[1]) << 16) | (std::uint32_t(q[2]) << 8) | q[3];
}

std::int32_t entier(const unsigned char *q)
{
    return static_cast<std::int32_t>(mot32(q));
}

float reel(const unsigned char *q)
{
    const std::uint32_t b = mot32(q);
    float f;
    std::memcpy(&f, &b, 4);
    return f;
}

/// Reads n bytes; the count read.
std::size_t lire(gzFile f, unsigned char *o, std::size_t n)
{
    std::size_t lus = 0;
    while (lus < n) {
        const int r = gzread(f, o + lus, static_cast<unsigned>(std::min<std::size_t>(n - lus, 1u << 30)));
        if (r <= 0)
            break;
        lus += static_cast<std::size_t>(r);
    }
    return lus;
}

struct Fichier
{
    gzFile f = nullptr;
    ~Fichier()
    {
        if (f)
            gzclose(f);
    }
};

} // namespace

bool estVolumeMGH(const std::string &nom)
{
    return finitPar(nom, ".mgh") || finitPar(nom, ".mgz");
}

Resultat lireMGH(const std::string &nom, VolumeReel &v, int indice)
{
    v = VolumeReel();
    Fichier fichier;
    fichier.f = gzopen(nom.c_str(), "rb");
    if (!fichier.f)
        return refus(nom, CodeRaison::NiftiNonOuvert);
    unsigned char h[DEBUT_VOXELS] = {};
    const std::size_t lus = lire(fichier.f, h, DEBUT_VOXELS);
    if (lus < ENTETE_MGH)
        return refus(nom, Raison(CodeRaison::MghEnteteIncomplet, {lus}));
    if (entier(h) != 1)
        return refus(nom, Raison(CodeRaison::MghVersion, {entier(h)}));
    std::int64_t dims[4];
    for (int a = 0; a < 4; ++a) {
        dims[a] = entier(h + 4 + 4 * a);
        if (dims[a] < 1)
            return refus(nom, Raison(CodeRaison::NiftiDimension, {a + 1, dims[a]}));
    }
    const std::int32_t type = entier(h + 20);
    const std::size_t parVoxel = type == 0 ? 1 : type == 4 ? 2 : type == 1 || type == 3 ? 4 : 0;
    if (parVoxel == 0)
        return refus(nom, Raison(CodeRaison::MghType, {type}));
    if (dims[0] * dims[1] > 2147483647LL / dims[2])
        return refus(nom, Raison(CodeRaison::NiftiTropGrand, {dims[0], dims[1], dims[2]}));
    if (indice >= 0 && indice >= dims[3])
        return refus(nom, Raison(CodeRaison::VolumeHorsDuFichier, {indice + 1, dims[3]}));
    const std::size_t n = static_cast<std::size_t>(dims[0] * dims[1] * dims[2]);
    const std::size_t choisi = static_cast<std::size_t>(indice < 0 ? 0 : indice);
    std::vector<unsigned char> o;
    try {
        o.resize(n * parVoxel);
        v.valeurs.resize(n);
    } catch (const std::bad_alloc &) {
        return refus(nom, Raison(CodeRaison::NiftiMemoireVoxels, {n}));
    }
    // The volumes before the chosen one are passed over (a compressed file cannot seek back).
    const std::size_t attendus = DEBUT_VOXELS + (choisi + 1) * n * parVoxel;
    std::size_t total = lus;
    for (std::size_t k = 0; k <= choisi && total == DEBUT_VOXELS + k * n * parVoxel; ++k)
        total += lire(fichier.f, o.data(), o.size());
    if (total < attendus)
        return refus(nom, Raison(CodeRaison::VolumeCoupe, {total, attendus}));
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char *q = o.data() + i * parVoxel;
        v.valeurs[i] = type == 0   ? static_cast<float>(q[0])
                       : type == 4 ? static_cast<float>(static_cast<std::int16_t>((q[0] << 8) | q[1]))
                       : type == 1 ? static_cast<float>(entier(q))
                                   : reel(q);
    }
    v.nx = static_cast<int>(dims[0]);
    v.ny = static_cast<int>(dims[1]);
    v.nz = static_cast<int>(dims[2]);
    double taille[3], mdc[3][3], centre[3];
    for (int a = 0; a < 3; ++a) {
        taille[a] = reel(h + 30 + 4 * a);
        centre[a] = reel(h + 78 + 4 * a);
        for (int r = 0; r < 3; ++r)
            mdc[r][a] = reel(h + 42 + 12 * a + 4 * r); // column a: the RAS direction of voxel axis a
    }
    const bool rasBon = static_cast<std::int16_t>((h[28] << 8) | h[29]) > 0;
    bool utilisable = rasBon;
    for (int a = 0; a < 3; ++a)
        utilisable = utilisable && std::isfinite(taille[a]) && taille[a] > 0;
    if (utilisable) {
        // vox2ras: the direction columns scaled by the voxel sizes; the centre is voxel dims / 2.
        for (int r = 0; r < 3; ++r) {
            double p = centre[r];
            for (int a = 0; a < 3; ++a) {
                v.repere[r][a] = mdc[r][a] * taille[a];
                p -= v.repere[r][a] * static_cast<double>(dims[a]) / 2.0;
            }
            v.repere[r][3] = p;
        }
        const double(*m)[4] = v.repere;
        const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
        if (!std::isfinite(det) || std::fabs(det) <= 1e-6 * taille[0] * taille[1] * taille[2])
            return refus(nom, CodeRaison::VolumeAxesImpossibles);
        v.origineRepere = CodeRaison::RepereMgh;
    } else {
        auto t = [](double d) { return std::isfinite(d) && d > 0 ? d : 1.0; };
        v.reperePixdim(t(taille[0]), t(taille[1]), t(taille[2]));
    }
    if (indice < 0 && dims[3] > 1)
        v.remarque = Raison(CodeRaison::NiftiPremierVolume, {dims[3]});
    else if (indice >= 0 && dims[3] > 1)
        v.remarque = Raison(CodeRaison::VolumeChoisi, {indice + 1, dims[3]});
    return Resultat::succes();
}

Raison formatNonLu(const std::string &nom)
{
    if (finitPar(nom, ".par") || finitPar(nom, ".rec"))
        return Raison(CodeRaison::FormatParRec, {::nom(nom)});
    if (finitPar(nom, ".head") || finitPar(nom, ".brik") || finitPar(nom, ".brik.gz"))
        return Raison(CodeRaison::FormatAfni, {::nom(nom)});
    if (finitPar(nom, ".v"))
        return Raison(CodeRaison::FormatEcat, {::nom(nom)});
    return Raison();
}
