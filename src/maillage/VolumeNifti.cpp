#include "VolumeNifti.h"
#include "MaillageTexte.h"
#include "VolumeAnalyze.h"

#include <nifti2_io.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

/// Largest volume accepted: voxel indices stay within a signed 32-bit range.
constexpr std::uint64_t MAX_VOXELS = 2147483647ULL;
/// Deflate never compresses more than about 1032 to 1: a compressed file announcing more
/// data than that is refused before anything is allocated.
constexpr std::uint64_t TAUX_DEFLATE_MAX = 1032;

Resultat refus(const std::string &nom, Raison pourquoi)
{
    return Resultat::echec(Statut::NuageIllisible,
                           Raison(CodeRaison::NiftiIllisible, {::nom(nom), std::move(pourquoi)}));
}

/// A real as the reasons write it (at most nine significant digits).
std::string reel(double v)
{
    char texte[32];
    std::snprintf(texte, sizeof texte, "%.9g", v);
    return texte;
}

/// Whether s ends with the suffix fin, whatever the case of its letters (".NII" as ".nii").
bool finitPar(const std::string &s, const std::string &fin)
{
    return s.size() >= fin.size() && ::strncasecmp(s.c_str() + s.size() - fin.size(), fin.c_str(), fin.size()) == 0;
}

template <typename T> T lireBrut(const unsigned char *q, bool inverse)
{
    unsigned char b[sizeof(T)];
    std::memcpy(b, q, sizeof(T));
    if (inverse)
        std::reverse(b, b + sizeof(T));
    T v;
    std::memcpy(&v, b, sizeof(T));
    return v;
}

/// The library is told once to keep quiet (its messages would reach standard error).
void faireTaireLaBibliotheque()
{
    static const bool fait = [] {
        nifti_set_debug_level(0);
        return true;
    }();
    (void)fait;
}

std::int32_t inverse32(std::int32_t v)
{
    return lireBrut<std::int32_t>(reinterpret_cast<const unsigned char *>(&v), true);
}

/// What the first bytes announce: 1 or 2 for a NIfTI header (with inverse set when it is in
/// the other byte order), 0 otherwise.
int versionEntete(const unsigned char *o, std::size_t n, bool &inverse)
{
    inverse = false;
    if (n < 4)
        return 0;
    std::int32_t taille;
    std::memcpy(&taille, o, 4);
    for (int essai = 0; essai < 2; ++essai) {
        const std::int32_t t = essai == 0 ? taille : inverse32(taille);
        if (t == 348 && n >= 348 && (std::memcmp(o + 344, "n+1", 4) == 0 || std::memcmp(o + 344, "ni1", 4) == 0)) {
            inverse = essai == 1;
            return 1;
        }
        if (t == 540 && n >= 12 && (std::memcmp(o + 4, "n+2", 4) == 0 || std::memcmp(o + 4, "ni2", 4) == 0)) {
            inverse = essai == 1;
            return 2;
        }
    }
    return 0;
}

using ImageNifti = std::unique_ptr<nifti_image, void (*)(nifti_image *)>;

/// A header checked field by field, then interpreted by the library.
struct Entete
{
    ImageNifti nim{nullptr, nifti_image_free};
    bool inverse = false;
    bool paire = false;          ///< "ni1"/"ni2": the voxels are in the .img file
    std::uint64_t decalage = 0;  ///< where the voxels start
    std::uint64_t octets = 0;    ///< bytes of the first volume
    std::uint64_t volumes = 1;   ///< volumes in the file (dimensions 4 to 7)
    int nx = 0, ny = 0, nz = 0;
    /// scl_slope and scl_inter as the file holds them (the library turns a value that is not
    /// finite into 0, which would pass an infinite slope over without a word).
    double pente = 0, ordonnee = 0;
};

bool typePrisEnCharge(int type)
{
    switch (type) {
    case DT_UINT8:
    case DT_INT8:
    case DT_INT16:
    case DT_UINT16:
    case DT_INT32:
    case DT_UINT32:
    case DT_FLOAT32:
    case DT_FLOAT64:
        return true;
    default:
        return false;
    }
}

int octetsParVoxel(int type)
{
    return type == DT_UINT8 || type == DT_INT8 ? 1 : type == DT_INT16 || type == DT_UINT16 ? 2 : type == DT_FLOAT64 ? 8 : 4;
}

/// Checks sizes, data type and offset before the library sees the header (it prints on standard
/// error about a bad dim[0] or data type, and would trust any size).
template <typename H>
Resultat verifier(const H &h, int version, const std::string &nom, Entete &e)
{
    const long long rang = h.dim[0];
    if (rang < 1 || rang > 7)
        return refus(nom, Raison(CodeRaison::NiftiRang, {rang}));
    long long dims[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    for (long long a = 1; a <= rang; ++a) {
        dims[a] = h.dim[a];
        if (dims[a] < 1)
            return refus(nom, Raison(CodeRaison::NiftiDimension, {a, dims[a]}));
    }
    if (!typePrisEnCharge(h.datatype))
        return refus(nom, Raison(CodeRaison::NiftiType, {static_cast<int>(h.datatype)}));
    std::uint64_t voxels = 1;
    for (int a = 1; a <= 3; ++a) {
        if (static_cast<std::uint64_t>(dims[a]) > MAX_VOXELS / voxels)
            return refus(nom, Raison(CodeRaison::NiftiTropGrand, {dims[1], dims[2], dims[3]}));
        voxels *= static_cast<std::uint64_t>(dims[a]);
    }
    e.volumes = 1;
    for (int a = 4; a <= 7; ++a)
        e.volumes = dims[a] > 0 && e.volumes <= MAX_VOXELS ? e.volumes * static_cast<std::uint64_t>(dims[a]) : e.volumes;
    e.nx = static_cast<int>(dims[1]);
    e.ny = static_cast<int>(dims[2]);
    e.nz = static_cast<int>(dims[3]);
    e.octets = voxels * static_cast<std::uint64_t>(octetsParVoxel(h.datatype));
    e.paire = h.magic[1] == 'i';
    const double decalage = static_cast<double>(h.vox_offset);
    const double minimum = e.paire ? 0.0 : (version == 1 ? 348.0 : 540.0);
    if (!(decalage >= minimum) || decalage > 1e15)
        return refus(nom, Raison(CodeRaison::NiftiDecalage, {litteral(reel(decalage))}));
    e.decalage = static_cast<std::uint64_t>(decalage);
    e.pente = static_cast<double>(h.scl_slope);
    e.ordonnee = static_cast<double>(h.scl_inter);
    return Resultat::succes();
}

/// Reads and checks the header at the start of the bytes; on success e.nim holds the library's
/// interpretation of it.
Resultat lireEntete(const unsigned char *o, std::size_t n, const std::string &nom, Entete &e)
{
    faireTaireLaBibliotheque();
    const int version = versionEntete(o, n, e.inverse);
    if (version == 0) {
        if (n < 348)
            return refus(nom, Raison(CodeRaison::NiftiEnteteIncomplet, {n}));
        return refus(nom, CodeRaison::NiftiSansSignature);
    }
    if (version == 2 && n < 540)
        return refus(nom, Raison(CodeRaison::NiftiDeuxIncomplet, {n}));
    Resultat r;
    if (version == 1) {
        nifti_1_header h;
        std::memcpy(&h, o, sizeof h);
        if (e.inverse)
            nifti_swap_as_nifti1(&h);
        if (!(r = verifier(h, 1, nom, e)))
            return r;
        e.nim.reset(nifti_convert_n1hdr2nim(h, nom.c_str()));
    } else {
        nifti_2_header h;
        std::memcpy(&h, o, sizeof h);
        if (e.inverse)
            nifti_swap_as_nifti2(&h);
        if (!(r = verifier(h, 2, nom, e)))
            return r;
        e.nim.reset(nifti_convert_n2hdr2nim(h, nom.c_str()));
    }
    if (!e.nim)
        return refus(nom, CodeRaison::NiftiEnteteRefuse);
    return Resultat::succes();
}

bool matriceUtilisable(const nifti_dmat44 &m)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            if (!std::isfinite(m.m[r][c]))
                return false;
    const double det = m.m[0][0] * (m.m[1][1] * m.m[2][2] - m.m[1][2] * m.m[2][1]) -
                       m.m[0][1] * (m.m[1][0] * m.m[2][2] - m.m[1][2] * m.m[2][0]) +
                       m.m[0][2] * (m.m[1][0] * m.m[2][1] - m.m[1][1] * m.m[2][0]);
    return std::isfinite(det) && det != 0;
}

void poserRepere(const nifti_image &nim, VolumeReel &v)
{
    double echelle = 1;
    switch (XYZT_TO_SPACE(nim.xyz_units)) {
    case NIFTI_UNITS_METER:
        echelle = 1000;
        break;
    case NIFTI_UNITS_MICRON:
        echelle = 0.001;
        break;
    default:
        break;
    }
    const nifti_dmat44 *m = nullptr;
    if (nim.sform_code > 0 && matriceUtilisable(nim.sto_xyz)) {
        m = &nim.sto_xyz;
        v.origineRepere = CodeRaison::RepereSform;
    } else if (nim.qform_code > 0 && matriceUtilisable(nim.qto_xyz)) {
        m = &nim.qto_xyz;
        v.origineRepere = CodeRaison::RepereQform;
    }
    if (m) {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                v.repere[r][c] = m->m[r][c] * echelle;
        return;
    }
    auto taille = [&](double d) { return std::isfinite(d) && d != 0 ? std::fabs(d) * echelle : 1.0; };
    v.reperePixdim(taille(nim.dx), taille(nim.dy), taille(nim.dz));
}

/// Voxels decoded in one round of a streamed reading: 4 M voxels, at most 32 MB of bytes.
constexpr std::size_t VOXELS_PAR_MORCEAU = std::size_t(1) << 22;

/// Turns the first volume's bytes into real values, scaled as the header says, in rounds:
/// preparer checks the scaling and allocates, decoderMorceau turns voxels [debut, debut + compte)
/// (their bytes at q), terminer sets the geometry.
Resultat preparer(const Entete &e, const std::string &nom, VolumeReel &v)
{
    // A slope of 0 means no scaling; a slope or an intercept that is not finite cannot be applied.
    if (e.pente != 0 && (!std::isfinite(e.pente) || !std::isfinite(e.ordonnee)))
        return refus(nom, Raison(CodeRaison::NiftiEchelleNonFinie, {litteral(reel(e.pente)), litteral(reel(e.ordonnee))}));
    const std::size_t n = static_cast<std::size_t>(e.nx) * static_cast<std::size_t>(e.ny) * static_cast<std::size_t>(e.nz);
    try {
        v.valeurs.assign(n, 0.0f);
    } catch (const std::bad_alloc &) {
        return refus(nom, Raison(CodeRaison::NiftiMemoireVoxels, {n}));
    }
    return Resultat::succes();
}

Resultat decoderMorceau(const Entete &e, const unsigned char *q, std::size_t debut, std::size_t compte,
                        const std::string &nom, VolumeReel &v)
{
    const nifti_image &nim = *e.nim;
    const bool inv = e.inverse;
    auto valeur = [&](std::size_t i) -> double {
        switch (nim.datatype) {
        case DT_UINT8:
            return q[i];
        case DT_INT8:
            return static_cast<std::int8_t>(q[i]);
        case DT_INT16:
            return lireBrut<std::int16_t>(q + 2 * i, inv);
        case DT_UINT16:
            return lireBrut<std::uint16_t>(q + 2 * i, inv);
        case DT_INT32:
            return lireBrut<std::int32_t>(q + 4 * i, inv);
        case DT_UINT32:
            return lireBrut<std::uint32_t>(q + 4 * i, inv);
        case DT_FLOAT32:
            return lireBrut<float>(q + 4 * i, inv);
        default:
            return lireBrut<double>(q + 8 * i, inv);
        }
    };
    const bool echelle = e.pente != 0;
    constexpr double plusGrand = std::numeric_limits<float>::max();
    for (std::size_t i = 0; i < compte; ++i) {
        const double brut = valeur(i);
        const double x = echelle ? e.pente * brut + e.ordonnee : brut;
        // A value the volume's single precision cannot hold (a real beyond it, or a scaling that
        // carries a voxel there) is refused, not turned into an infinity.
        if (std::isfinite(brut) && !(std::fabs(x) <= plusGrand)) {
            const std::size_t p = debut + i, plan = static_cast<std::size_t>(e.nx) * static_cast<std::size_t>(e.ny);
            const Argument ijk[3] = {p % static_cast<std::size_t>(e.nx), p % plan / static_cast<std::size_t>(e.nx),
                                     p / plan};
            return refus(nom, echelle ? Raison(CodeRaison::NiftiEchelleHorsSimple,
                                               {ijk[0], ijk[1], ijk[2], litteral(reel(brut)),
                                                litteral(reel(e.pente)), litteral(reel(e.ordonnee))})
                                      : Raison(CodeRaison::NiftiValeurHorsSimple,
                                               {ijk[0], ijk[1], ijk[2], litteral(reel(brut))}));
        }
        v.valeurs[debut + i] = static_cast<float>(x);
    }
    return Resultat::succes();
}

void terminer(const Entete &e, VolumeReel &v, int indice = -1)
{
    v.nx = e.nx;
    v.ny = e.ny;
    v.nz = e.nz;
    poserRepere(*e.nim, v);
    v.remarque = e.volumes <= 1 ? Raison()
                 : indice < 0 ? Raison(CodeRaison::NiftiPremierVolume, {e.volumes})
                              : Raison(CodeRaison::VolumeChoisi, {indice + 1, e.volumes});
}

Resultat decoder(const Entete &e, const unsigned char *q, const std::string &nom, VolumeReel &v)
{
    Resultat r = preparer(e, nom, v);
    if (r && (r = decoderMorceau(e, q, 0, v.valeurs.size(), nom, v)))
        terminer(e, v);
    if (!r)
        v = VolumeReel();
    return r;
}

/// A file read through zlib, compressed or not.
class Flux
{
public:
    ~Flux()
    {
        if (gz)
            gzclose(gz);
    }
    Resultat ouvrir(const std::string &nom)
    {
        Raison pourquoi;
        std::FILE *f = tarnis_texte::ouvrirLecture(nom, pourquoi);
        if (!f)
            return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::NiftiOuverture, {std::move(pourquoi)}));
        struct stat st;
        taille = ::fstat(fileno(f), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
        unsigned char signature[2] = {0, 0};
        compresse = std::fread(signature, 1, 2, f) == 2 && signature[0] == 0x1f && signature[1] == 0x8b;
        // The copy shares the file position, which the peek above moved.
        const int fd = ::dup(fileno(f));
        std::fclose(f);
        if (fd >= 0)
            ::lseek(fd, 0, SEEK_SET);
        gz = fd >= 0 ? gzdopen(fd, "rb") : nullptr;
        if (!gz) {
            if (fd >= 0)
                ::close(fd);
            return refus(nom, CodeRaison::NiftiNonOuvert);
        }
        return Resultat::succes();
    }
    /// Appends up to n bytes to o; the count appended.
    std::size_t lire(std::vector<unsigned char> &o, std::size_t n)
    {
        const std::size_t avant = o.size();
        o.resize(avant + n);
        std::size_t lus = 0;
        while (lus < n) {
            const unsigned morceau = static_cast<unsigned>(std::min<std::size_t>(n - lus, 1u << 30));
            const int r = gzread(gz, o.data() + avant + lus, morceau);
            if (r <= 0)
                break;
            lus += static_cast<std::size_t>(r);
        }
        o.resize(avant + lus);
        return lus;
    }
    /// The decompressed size a file of this size can hold at most.
    std::uint64_t contenuMaximal() const { return compresse ? taille * TAUX_DEFLATE_MAX + 4096 : taille; }
    /// Why a reading stopped early: zlib's error for a compressed file.
    Raison pourquoiCourt() const
    {
        int code = Z_OK;
        const char *message = gz ? gzerror(gz, &code) : nullptr;
        if (compresse && code != Z_OK && message && *message) {
            // zlib names the stream first ("<fd:4>: unexpected end of file").
            std::string texte = message;
            const std::size_t deuxPoints = texte.rfind(": ");
            if (deuxPoints != std::string::npos)
                texte = texte.substr(deuxPoints + 2);
            return Raison(CodeRaison::NiftiCompresseCorrompu, {litteral(texte)});
        }
        return compresse ? CodeRaison::NiftiCompresseCoupe : CodeRaison::NiftiFichierCourt;
    }

    std::uint64_t taille = 0;
    bool compresse = false;

private:
    gzFile gz = nullptr;
};

/// Reads volume indice (0 the first; -1 the first, said when there are others) from the file in
/// rounds of bounded size, decoding each as it comes:
/// the memory is that of the real values, not twice the file. deja holds the first bytes of the
/// file, already read. nomFichier names the file read in the reasons of a short file, nom the volume.
Resultat lireVoxels(Flux &f, std::vector<unsigned char> deja, const Entete &e, const std::string &nomFichier,
                    const std::string &nom, VolumeReel &v, int indice)
{
    const std::uint64_t debut = e.decalage + e.octets * static_cast<std::uint64_t>(std::max(0, indice));
    const std::uint64_t fin = debut + e.octets;
    if (fin > f.contenuMaximal())
        return refus(nomFichier, Raison(f.compresse ? CodeRaison::NiftiCompresseTropPetit
                                                    : CodeRaison::NiftiFichierTropPetit,
                                        {f.taille, fin}));
    Resultat r = preparer(e, nom, v);
    if (!r)
        return r;
    const std::size_t parVoxel = static_cast<std::size_t>(octetsParVoxel(e.nim->datatype));
    std::uint64_t lus = deja.size(); // bytes of the file taken so far
    std::vector<unsigned char> tampon;
    if (deja.size() > debut)
        tampon.assign(deja.begin() + static_cast<long>(debut), deja.end());
    deja = {};
    auto court = [&]() { return refus(nomFichier, Raison(CodeRaison::NiftiLus, {f.pourquoiCourt(), lus, fin})); };
    // The bytes before the volume's voxels, dropped a round at a time.
    while (lus < debut) {
        tampon.clear();
        const std::size_t pris =
            f.lire(tampon, static_cast<std::size_t>(std::min<std::uint64_t>(debut - lus, VOXELS_PAR_MORCEAU)));
        if (pris == 0)
            return court();
        lus += pris;
        if (lus == debut)
            tampon.clear(); // skipped bytes, not voxels
    }
    const std::size_t n = v.valeurs.size();
    std::size_t faits = 0;
    while (faits < n) {
        const std::size_t voulus = std::min(n - faits, VOXELS_PAR_MORCEAU) * parVoxel;
        if (tampon.size() < voulus) {
            const std::size_t pris = f.lire(tampon, voulus - tampon.size());
            lus += pris;
            if (tampon.size() < parVoxel || (pris == 0 && tampon.size() < voulus))
                return court();
        }
        const std::size_t compte = std::min(n - faits, tampon.size() / parVoxel);
        if (!(r = decoderMorceau(e, tampon.data(), faits, compte, nom, v)))
            return r;
        tampon.erase(tampon.begin(), tampon.begin() + static_cast<long>(compte * parVoxel));
        faits += compte;
    }
    terminer(e, v, indice);
    return Resultat::succes();
}

std::string sansSuffixe(const std::string &nom, std::size_t longueur)
{
    return nom.substr(0, nom.size() - longueur);
}

} // namespace

bool enteteNifti(const std::string &nomEntete)
{
    Flux f;
    if (!f.ouvrir(nomEntete))
        return false;
    std::vector<unsigned char> o;
    f.lire(o, 540);
    bool inverse = false;
    return versionEntete(o.data(), o.size(), inverse) != 0;
}

Resultat lireNiftiOctets(const unsigned char *octets, std::size_t taille, const std::string &nom, VolumeReel &volume)
{
    Entete e;
    Resultat r = lireEntete(octets, taille, nom, e);
    if (!r)
        return r;
    if (e.paire)
        return refus(nom, CodeRaison::NiftiPaireEnMemoire);
    if (e.decalage > taille || e.octets > taille - e.decalage)
        return refus(nom, Raison(CodeRaison::NiftiTropCourt, {taille, e.decalage + e.octets}));
    return decoder(e, octets + e.decalage, nom, volume);
}

Resultat lireNifti(const std::string &nom, VolumeReel &volume, int indice)
{
    const bool paire = finitPar(nom, ".hdr") || finitPar(nom, ".img");
    const std::string nomEntete = paire ? nomDePaire(sansSuffixe(nom, 4), ".hdr") : nom;
    Flux f;
    Resultat r = f.ouvrir(nomEntete);
    if (!r)
        return r;
    std::vector<unsigned char> o;
    f.lire(o, 540);
    Entete e;
    if (!(r = lireEntete(o.data(), o.size(), nomEntete, e)))
        return r;
    if (e.paire != paire)
        return refus(nomEntete, paire ? CodeRaison::NiftiUniqueDansHdr : CodeRaison::NiftiPaireDansUnique);
    if (indice >= 0 && static_cast<std::uint64_t>(indice) >= e.volumes)
        return refus(nom, Raison(CodeRaison::VolumeHorsDuFichier, {indice + 1, e.volumes}));
    if (!paire) {
        r = lireVoxels(f, std::move(o), e, nom, nom, volume, indice);
    } else {
        const std::string nomImage = nomDePaire(sansSuffixe(nom, 4), ".img");
        Flux image;
        if ((r = image.ouvrir(nomImage)))
            r = lireVoxels(image, {}, e, nomImage, nom, volume, indice);
    }
    if (!r)
        volume = VolumeReel();
    return r;
}

Resultat lireVolumeSeuillable(const std::string &nom, VolumeAnalyze &volume, const Progression &progression)
{
    const bool paire = finitPar(nom, ".hdr") || finitPar(nom, ".img");
    if (paire && !enteteNifti(nomDePaire(sansSuffixe(nom, 4), ".hdr")))
        return volume.lire(sansSuffixe(nom, 4), progression);
    VolumeReel v;
    Resultat r = lireVolumeReel(nom, v);
    if (!r || !volume.allouer(v.nx, v.ny, v.nz))
        return r ? refus(nom, Raison(CodeRaison::NiftiTropGrand, {v.nx, v.ny, v.nz})) : r;
    for (std::size_t i = 0; i < v.valeurs.size(); ++i) {
        const double x = v.valeurs[i];
        const double borne = std::isnan(x) ? 0.0 : std::round(std::min(32767.0, std::max(-32768.0, x)));
        volume.voxels[i] = static_cast<std::uint16_t>(static_cast<std::int16_t>(borne));
    }
    return Resultat::succes();
}
