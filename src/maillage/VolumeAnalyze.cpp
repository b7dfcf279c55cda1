#include "VolumeAnalyze.h"
#include "VolumeReel.h"
#include "MaillageTexte.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <iostream>
#include <limits>
#include <new>

namespace {

/// Largest volume accepted: voxel indices stay within a signed 32-bit range.
constexpr unsigned long long MAX_VOXELS = 2147483647ULL;

bool machineGrandBoutiste()
{
    const std::uint16_t un = 1;
    unsigned char octet;
    std::memcpy(&octet, &un, 1);
    return octet == 0;
}

template <typename T> void inverser(T &v)
{
    unsigned char b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));
    std::reverse(b, b + sizeof(T));
    std::memcpy(&v, b, sizeof(T));
}

template <typename T, std::size_t N> void inverser(T (&tableau)[N])
{
    for (T &v : tableau)
        inverser(v);
}

/// Swaps every numeric field of a header written in the other byte order.
void inverserEntete(EnteteAnalyze &h)
{
    inverser(h.sizeof_hdr);
    inverser(h.extents);
    inverser(h.session_error);
    inverser(h.dim);
    inverser(h.unused1);
    inverser(h.datatype);
    inverser(h.bitpix);
    inverser(h.dim_un0);
    inverser(h.pixdim);
    inverser(h.vox_offset);
    inverser(h.funused1);
    inverser(h.funused2);
    inverser(h.funused3);
    inverser(h.cal_max);
    inverser(h.cal_min);
    inverser(h.compressed);
    inverser(h.verified);
    inverser(h.glmax);
    inverser(h.glmin);
    inverser(h.views);
    inverser(h.vols_added);
    inverser(h.start_field);
    inverser(h.field_skip);
    inverser(h.omax);
    inverser(h.omin);
    inverser(h.smax);
    inverser(h.smin);
}

/// Reads an unsigned value of N bytes in the given byte order.
template <int N> std::uint64_t lireNonSigne(const unsigned char *q, bool grandBoutiste)
{
    std::uint64_t v = 0;
    for (int i = 0; i < N; ++i)
        v |= static_cast<std::uint64_t>(q[grandBoutiste ? N - 1 - i : i]) << (8 * i);
    return v;
}

/// A value rounded and clamped into the signed 16-bit range, kept as its 16-bit pattern
/// (the grey-level mapping reads voxels as signed 16-bit numbers).
std::uint16_t borner16(double v)
{
    if (std::isnan(v))
        return 0;
    const double r = std::round(std::min(32767.0, std::max(-32768.0, v)));
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(r));
}

int octetsParVoxel(int type)
{
    switch (type) {
    case VolumeAnalyze::OCTET_NON_SIGNE:
        return 1;
    case VolumeAnalyze::INCONNU:
    case VolumeAnalyze::ENTIER_16:
    case VolumeAnalyze::ENTIER_16_NON_SIGNE:
        return 2;
    case VolumeAnalyze::ENTIER_32:
    case VolumeAnalyze::REEL_32:
        return 4;
    case VolumeAnalyze::REEL_64:
        return 8;
    default:
        return 0;
    }
}

// The calls that answer true or false say why on standard error, having no other way to: a
// missing file with its own line, any other refusal with its reason. Those that return a
// Resultat say nothing: their caller reports it.
bool direLeRefus(const Resultat &r, const std::string &fichier)
{
    if (r.reussi())
        return true;
    if (r.raison.code == CodeRaison::EnTete)
        std::fprintf(stderr, "Can't open:<%s>\n", fichier.c_str());
    else if (r.raison.code == CodeRaison::Image)
        std::fprintf(stderr, "Impossible de charger le fichier Analyse : %s\n", fichier.c_str());
    else
        std::fprintf(stderr, "%s\n", texte(r.raison).c_str());
    std::fflush(stderr);
    return false;
}

} // namespace

Resultat VolumeAnalyze::refuser(Raison pourquoi)
{
    return Resultat::echec(Statut::NuageIllisible, std::move(pourquoi));
}

VolumeAnalyze::VolumeAnalyze(int x, int y, int z) : entete{}, dimX(0), dimY(0), dimZ(0)
{
    allouer(x, y, z);
}

bool VolumeAnalyze::allouer(int x, int y, int z)
{
    return direLeRefus(dimensionner(x, y, z), "");
}

Resultat VolumeAnalyze::dimensionner(int x, int y, int z)
{
    voxels.clear();
    voxels.shrink_to_fit();
    dimX = dimY = dimZ = 0;
    if (x < 0 || y < 0 || z < 0) {
        return refuser(Raison(CodeRaison::DimensionsInvalides, {x, y, z}));
    }
    const unsigned long long xy = static_cast<unsigned long long>(x) * static_cast<unsigned long long>(y);
    if ((y != 0 && xy / static_cast<unsigned long long>(y) != static_cast<unsigned long long>(x)) ||
        (z != 0 && xy > MAX_VOXELS / static_cast<unsigned long long>(z))) {
        return refuser(Raison(CodeRaison::VolumeTropGrand, {x, y, z}));
    }
    try {
        voxels.assign(static_cast<std::size_t>(xy * static_cast<unsigned long long>(z)), 0);
    } catch (const std::bad_alloc &) {
        return refuser(Raison(CodeRaison::MemoireVolume, {x, y, z}));
    }
    dimX = x;
    dimY = y;
    dimZ = z;
    return Resultat::succes();
}

void VolumeAnalyze::setVoxel(int x, int y, int z, std::uint16_t valeur)
{
    if (x < 0 || x >= dimX || y < 0 || y >= dimY || z < 0 || z >= dimZ)
        return;
    voxels[static_cast<std::size_t>(x) + static_cast<std::size_t>(y) * dimX +
           static_cast<std::size_t>(z) * dimX * dimY] = valeur;
}

std::uint16_t VolumeAnalyze::getVoxel(int x, int y, int z) const
{
    if (x < 0 || x >= dimX || y < 0 || y >= dimY || z < 0 || z >= dimZ)
        return 0;
    return voxels[static_cast<std::size_t>(x) + static_cast<std::size_t>(y) * dimX +
                  static_cast<std::size_t>(z) * dimX * dimY];
}

bool VolumeAnalyze::lireEntete(const std::string &nomEntete)
{
    return direLeRefus(lireFichierEntete(nomEntete), nomEntete);
}

Resultat VolumeAnalyze::lireFichierEntete(const std::string &nomEntete)
{
    Raison pourquoi;
    std::FILE *f = tarnis_texte::ouvrirLecture(nomEntete, pourquoi);
    if (!f)
        return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::EnTete, {pourquoi}));
    unsigned char octets[sizeof(EnteteAnalyze)];
    const std::size_t lus = std::fread(octets, 1, sizeof octets, f);
    std::fclose(f);
    return analyserEntete(octets, lus, nomEntete);
}

bool VolumeAnalyze::lireEnteteOctets(const unsigned char *octets, std::size_t taille)
{
    return direLeRefus(analyserEntete(octets, taille, ""), "");
}

Resultat VolumeAnalyze::analyserEntete(const unsigned char *octets, std::size_t taille, const std::string &nom)
{
    if (taille == 0) {
        return refuser(Raison(CodeRaison::EnteteVide, {litteral(nom)}));
    }
    if (taille < sizeof(EnteteAnalyze)) {
        return refuser(Raison(CodeRaison::EnteteTronque, {taille, litteral(nom)}));
    }
    std::memcpy(&entete, octets, sizeof(EnteteAnalyze));
    inverse = entete.dim[0] < 0 || entete.dim[0] > 15;
    if (inverse)
        inverserEntete(entete);
    std::cout << entete.dim[1] << std::endl << entete.dim[2] << std::endl << entete.dim[3] << std::endl;
    return Resultat::succes();
}

Resultat VolumeAnalyze::preparerVoxels(std::size_t tailleImage, const std::string &nom, std::size_t &debut)
{
    const int type = entete.datatype;
    const int octets = octetsParVoxel(type);
    if (octets == 0) {
        return refuser(Raison(CodeRaison::TypeDeVoxel, {type, litteral(nom)}));
    }
    const int x = entete.dim[1], y = entete.dim[2], z = entete.dim[3];
    if (x < 0 || y < 0 || z < 0) {
        return refuser(Raison(CodeRaison::DimensionsInvalides, {x, y, z}));
    }
    // Sizes are 16-bit, so this product cannot overflow 64 bits.
    const unsigned long long nbVoxels = static_cast<unsigned long long>(x) * y * z;
    // The voxel offset counts for known types only (a NaN or negative offset is none).
    unsigned long long decalage = 0;
    if (type != INCONNU && entete.vox_offset > 0)
        decalage = static_cast<unsigned long long>(std::llround(std::min<double>(entete.vox_offset, 1e18)));
    const unsigned long long requis = nbVoxels * static_cast<unsigned long long>(octets) + decalage;
    if (requis > tailleImage) {
        return refuser(Raison(CodeRaison::ImageTropCourte, {litteral(nom), requis, tailleImage}));
    }
    debut = static_cast<std::size_t>(decalage);
    return dimensionner(x, y, z);
}

void VolumeAnalyze::decoderVoxels(const unsigned char *q, const std::string &nom)
{
    const std::size_t n = voxels.size();
    const bool grandBoutiste = machineGrandBoutiste() != inverse;
    switch (entete.datatype) {
    case INCONNU:
        for (std::size_t i = 0; i < n; ++i)
            voxels[i] = static_cast<std::uint16_t>(q[2 * i] | (q[2 * i + 1] << 8));
        return;
    case OCTET_NON_SIGNE:
        for (std::size_t i = 0; i < n; ++i)
            voxels[i] = q[i];
        return;
    case ENTIER_16:
    case ENTIER_16_NON_SIGNE:
        for (std::size_t i = 0; i < n; ++i)
            voxels[i] = static_cast<std::uint16_t>(lireNonSigne<2>(q + 2 * i, grandBoutiste));
        return;
    default:
        break;
    }
    std::cerr << "Attention : voxels arrondis et bornés aux entiers 16 bits : " << nom << std::endl;
    for (std::size_t i = 0; i < n; ++i) {
        double v;
        if (entete.datatype == ENTIER_32) {
            v = static_cast<std::int32_t>(static_cast<std::uint32_t>(lireNonSigne<4>(q + 4 * i, grandBoutiste)));
        } else if (entete.datatype == REEL_32) {
            const std::uint32_t bits = static_cast<std::uint32_t>(lireNonSigne<4>(q + 4 * i, grandBoutiste));
            float f;
            std::memcpy(&f, &bits, 4);
            v = f;
        } else {
            const std::uint64_t bits = lireNonSigne<8>(q + 8 * i, grandBoutiste);
            std::memcpy(&v, &bits, 8);
        }
        voxels[i] = borner16(v);
    }
}

bool VolumeAnalyze::chargerAnalyze(const std::string &base)
{
    const Resultat r = lireVolume(base, Progression());
    // A missing header is named as the header file, a missing image by the volume's base name.
    return direLeRefus(r, r.raison.code == CodeRaison::EnTete ? base + ".hdr" : base);
}

Resultat VolumeAnalyze::lire(const std::string &base, const Progression &progression)
{
    Resultat r = lireVolume(base, progression);
    if (!r && r.statut != Statut::Interrompu)
        r.raison = Raison(CodeRaison::VolumeIllisible, {nom(base), std::move(r.raison)});
    return r;
}

Resultat VolumeAnalyze::lireVolume(const std::string &base, const Progression &progression)
{
    Raison pourquoi;
    const std::string nomImage = nomDePaire(base, ".img");
    std::FILE *image = tarnis_texte::ouvrirLecture(nomImage, pourquoi);
    if (!image)
        return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::Image, {pourquoi}));
    if (const Resultat r = lireFichierEntete(nomDePaire(base, ".hdr")); !r) {
        std::fclose(image);
        return r;
    }
    // Only a regular file has a size to trust (a folder opens too, with a meaningless one).
    std::error_code erreur;
    std::size_t tailleImage = 0;
    if (std::filesystem::is_regular_file(nomImage, erreur))
        tailleImage = static_cast<std::size_t>(std::filesystem::file_size(nomImage, erreur));
    if (erreur)
        tailleImage = 0;
    std::size_t debut = 0;
    if (const Resultat r = preparerVoxels(tailleImage, base, debut); !r) {
        std::fclose(image);
        return r;
    }
    // The voxels are read by slices of 1 MiB, the progression asked before each.
    constexpr std::size_t tranche = std::size_t(1) << 20;
    const std::size_t utiles = voxels.size() * static_cast<std::size_t>(octetsParVoxel(entete.datatype));
    std::vector<unsigned char> octets(utiles);
    SuiviProgression avancement(progression, Raison(CodeRaison::LectureDuVolume), (utiles + tranche - 1) / tranche);
    bool ok = std::fseek(image, static_cast<long>(debut), SEEK_SET) == 0;
    for (std::size_t lu = 0; ok && lu < utiles; lu += tranche) {
        if (!avancement.avancer(lu / tranche))
            break;
        const std::size_t n = std::min(tranche, utiles - lu);
        ok = std::fread(octets.data() + lu, 1, n, image) == n;
    }
    std::fclose(image);
    if (!avancement.continuer()) {
        allouer(0, 0, 0);
        return Resultat::interrompu(Raison(CodeRaison::LectureDe, {nom(base)}));
    }
    if (!ok) {
        allouer(0, 0, 0);
        return refuser(Raison(CodeRaison::LectureImage, {litteral(base)}));
    }
    decoderVoxels(octets.data(), base);
    return Resultat::succes();
}

bool VolumeAnalyze::chargerDepuisMemoire(const unsigned char *octetsEntete, std::size_t tailleEntete,
                                         const unsigned char *image, std::size_t tailleImage, const std::string &nom)
{
    if (!direLeRefus(analyserEntete(octetsEntete, tailleEntete, nom + ".hdr"), ""))
        return false;
    std::size_t debut = 0;
    if (!direLeRefus(preparerVoxels(tailleImage, nom, debut), ""))
        return false;
    decoderVoxels(image + debut, nom);
    return true;
}

int niveauDeGris(std::uint16_t v, std::uint16_t a, std::uint16_t b)
{
    const int sv = static_cast<std::int16_t>(v);
    const int sa = static_cast<std::int16_t>(a);
    const int sb = static_cast<std::int16_t>(b);
    if (sv < sa)
        return 0;
    if (sv > sb)
        return 255;
    if (sa == sb) // a voxel equal to both bounds of an empty window
        return 255;
    return ((sv - sa) * 255 / (sb - sa)) & 0xFF;
}

bool seuillerVolume(const VolumeAnalyze &volume, std::vector<point3> &points, int seuilMin, int seuilMax,
                    std::uint16_t fenetreMin, std::uint16_t fenetreMax)
{
    // A volume with a zero size has no voxel, however large the other two sizes.
    if (volume.voxels.empty())
        return true;
    // Large volumes: one decision per possible voxel value, computed once.
    std::vector<unsigned char> retenu;
    const bool avecTable = volume.voxels.size() > 65536;
    if (avecTable) {
        retenu.resize(65536);
        for (int v = 0; v < 65536; ++v) {
            const int g = niveauDeGris(static_cast<std::uint16_t>(v), fenetreMin, fenetreMax);
            retenu[static_cast<std::size_t>(v)] = (g < seuilMax && g > seuilMin) ? 1 : 0;
        }
    }
    const std::uint16_t *voxel = volume.voxels.data();
    for (int z = 0; z < volume.dimZ; ++z)
        for (int y = 0; y < volume.dimY; ++y)
            for (int x = 0; x < volume.dimX; ++x, ++voxel) {
                bool garde;
                if (avecTable) {
                    garde = retenu[*voxel] != 0;
                } else {
                    const int g = niveauDeGris(*voxel, fenetreMin, fenetreMax);
                    garde = g < seuilMax && g > seuilMin;
                }
                if (garde)
                    points.emplace_back(static_cast<double>(x), static_cast<double>(y), static_cast<double>(z));
            }
    return true;
}
