#include "VolumeReel.h"

#include <filesystem>
#include "VolumeAnalyze.h"
#include "VolumeFormats.h"
#include "VolumeNifti.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>

#include <strings.h>

namespace {

/// Whether s ends with the suffix fin, whatever the case of its letters (".NII" as ".nii").
bool finitPar(const std::string &s, const std::string &fin)
{
    return s.size() >= fin.size() && ::strncasecmp(s.c_str() + s.size() - fin.size(), fin.c_str(), fin.size()) == 0;
}

/// Reads an Analyze pair through the project's Analyze reader. 8 and 16-bit voxels are taken
/// as stored; 32-bit and real ones, which that reader clamps to 16 bits, are read again from
/// the image as real values (the reader has checked the sizes).
Resultat lireAnalyze(const std::string &base, VolumeReel &v, int indice)
{
    if (indice > 0)
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::VolumeFichierIllisible,
                                      {nom(base + ".hdr"), Raison(CodeRaison::VolumeHorsDuFichier, {indice + 1, 1})}));
    VolumeAnalyze a(0, 0, 0);
    Resultat r = a.lire(base);
    if (!r)
        return r;
    const EnteteAnalyze &h = a.entete;
    v.nx = a.dimX;
    v.ny = a.dimY;
    v.nz = a.dimZ;
    const std::size_t n = a.voxels.size();
    v.valeurs.assign(n, 0.0f);
    const int type = h.datatype;
    if (type == VolumeAnalyze::ENTIER_32 || type == VolumeAnalyze::REEL_32 || type == VolumeAnalyze::REEL_64) {
        const std::size_t parVoxel = type == VolumeAnalyze::REEL_64 ? 8 : 4;
        std::vector<unsigned char> o(n * parVoxel);
        std::ifstream f(nomDePaire(base, ".img"), std::ios::binary);
        f.seekg(h.vox_offset > 0 ? static_cast<std::streamoff>(std::llround(h.vox_offset)) : 0);
        if (!f.read(reinterpret_cast<char *>(o.data()), static_cast<std::streamsize>(o.size())))
            return Resultat::echec(
                Statut::NuageIllisible,
                Raison(CodeRaison::VolumeIllisible, {nom(base), Raison(CodeRaison::AnalyzeImageIllisible)}));
        const bool inverser = a.estInverse();
        for (std::size_t i = 0; i < n; ++i) {
            unsigned char b[8];
            std::memcpy(b, &o[i * parVoxel], parVoxel);
            if (inverser)
                for (std::size_t k = 0; k < parVoxel / 2; ++k)
                    std::swap(b[k], b[parVoxel - 1 - k]);
            if (type == VolumeAnalyze::ENTIER_32) {
                std::int32_t x;
                std::memcpy(&x, b, 4);
                v.valeurs[i] = static_cast<float>(x);
            } else if (type == VolumeAnalyze::REEL_32) {
                std::memcpy(&v.valeurs[i], b, 4);
            } else {
                double x;
                std::memcpy(&x, b, 8);
                v.valeurs[i] = static_cast<float>(x);
            }
        }
    } else {
        const bool nonSigne = type == VolumeAnalyze::OCTET_NON_SIGNE || type == VolumeAnalyze::ENTIER_16_NON_SIGNE;
        for (std::size_t i = 0; i < n; ++i)
            v.valeurs[i] = nonSigne ? static_cast<float>(a.voxels[i])
                                    : static_cast<float>(static_cast<std::int16_t>(a.voxels[i]));
    }
    double d[3];
    v.remarque = Raison();
    for (int k = 0; k < 3; ++k) {
        d[k] = std::fabs(static_cast<double>(h.pixdim[k + 1]));
        if (!std::isfinite(d[k]) || d[k] == 0) {
            d[k] = 1;
            v.remarque = CodeRaison::AnalyzeSansTailleVoxel;
        }
    }
    v.reperePixdim(d[0], d[1], d[2]);
    return Resultat::succes();
}

} // namespace

point3 VolumeReel::versMonde(double i, double j, double k) const
{
    const double *r0 = repere[0], *r1 = repere[1], *r2 = repere[2];
    return point3(r0[0] * i + r0[1] * j + r0[2] * k + r0[3], r1[0] * i + r1[1] * j + r1[2] * k + r1[3],
                  r2[0] * i + r2[1] * j + r2[2] * k + r2[3]);
}

double VolumeReel::tailleVoxel(int a) const
{
    return std::sqrt(repere[0][a] * repere[0][a] + repere[1][a] * repere[1][a] + repere[2][a] * repere[2][a]);
}

void VolumeReel::reperePixdim(double dx, double dy, double dz)
{
    const double d[3] = {dx, dy, dz};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            repere[r][c] = r == c ? d[r] : 0.0;
    origineRepere = CodeRaison::RepereTaillesVoxels;
}

bool estNomDeVolume(const std::string &nom)
{
    return finitPar(nom, ".nii") || finitPar(nom, ".nii.gz") || finitPar(nom, ".hdr") || finitPar(nom, ".img") ||
           estVolumeMGH(nom) || estVolumeITK(nom);
}

std::string nomDePaire(const std::string &base, const std::string &suffixe)
{
    std::string capitales = suffixe;
    for (char &c : capitales)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    std::error_code e;
    if (!std::filesystem::exists(base + suffixe, e) && std::filesystem::exists(base + capitales, e))
        return base + capitales;
    return base + suffixe;
}

std::string sansSuffixeVolume(const std::string &nom)
{
    for (const char *s : {".nii.gz", ".nii", ".hdr", ".img", ".nrrd", ".nhdr", ".mha", ".mhd", ".mnc", ".mgh", ".mgz"})
        if (finitPar(nom, s))
            return nom.substr(0, nom.size() - std::strlen(s));
    return nom;
}

Resultat lireVolumeReel(const std::string &nom, VolumeReel &volume, int indice)
{
    volume = VolumeReel();
    if (const Raison pasLu = formatNonLu(nom); pasLu.code != CodeRaison::Aucune)
        return Resultat::echec(Statut::NuageIllisible, pasLu);
    if (!estNomDeVolume(nom))
        return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::PasUnVolume, {::nom(nom)}));
    if (estVolumeMGH(nom)) {
        Resultat r = lireMGH(nom, volume, indice);
        if (!r)
            volume = VolumeReel();
        return r;
    }
    const bool paire = finitPar(nom, ".hdr") || finitPar(nom, ".img");
    const bool nifti = finitPar(nom, ".nii") || finitPar(nom, ".nii.gz");
    if (!paire && !nifti)
        return lireVolumeITK(nom, volume, indice);
    if (!paire || enteteNifti(nomDePaire(sansSuffixeVolume(nom), ".hdr")))
        return lireNifti(nom, volume, indice);
    return lireAnalyze(sansSuffixeVolume(nom), volume, indice);
}
