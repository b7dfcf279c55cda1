// The only translation unit that includes ITK: its headers are heavy, so they stay here, behind
// VolumeFormats.h.
#include "VolumeFormats.h"

#include <itkGDCMImageIO.h>
#include <itkGDCMImageIOFactory.h>
#include <itkGDCMSeriesFileNames.h>
#include <itkImage.h>
#include <itkImageFileReader.h>
#include <itkImageFileWriter.h>
#include <itkImageIOFactory.h>
#include <itkImageSeriesReader.h>
#include <itkMINCImageIOFactory.h>
#include <itkMetaDataObject.h>
#include <itkMetaImageIOFactory.h>
#include <itkNrrdImageIOFactory.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <system_error>
#include <cstdint>

namespace {

namespace fs = std::filesystem;

using Image4 = itk::Image<float, 4>;
using Image3 = itk::Image<float, 3>;

/// ITK's factories for the formats read here, registered once; its warnings (uneven slices,
/// unknown tags) are not printed: what matters is checked here and said in the reason.
void preparerITK()
{
    static const bool fait = [] {
        itk::NrrdImageIOFactory::RegisterOneFactory();
        itk::MetaImageIOFactory::RegisterOneFactory();
        itk::MINCImageIOFactory::RegisterOneFactory();
        itk::GDCMImageIOFactory::RegisterOneFactory();
        itk::Object::GlobalWarningDisplayOff();
        return true;
    }();
    (void)fait;
}

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

/// The same with the library's own words.
Resultat refus(const std::string &nom, const std::string &texte)
{
    return Resultat::echec(Statut::NuageIllisible,
                           Raison(CodeRaison::VolumeFichierIllisible, {::nom(nom), litteral(texte)}));
}

/// ITK's description of a failure, on one line and without the source file it names.
std::string description(const itk::ExceptionObject &e)
{
    std::string t = e.GetDescription() ? e.GetDescription() : "";
    for (char &c : t)
        if (c == '\n' || c == '\r')
            c = ' ';
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    return t.empty() ? "ITK" : t;
}

/// Whether the file starts with the DICOM preamble ("DICM" after 128 bytes).
bool preambuleDicom(const std::string &nom)
{
    // Only a regular file is opened: a pipe would block the open.
    std::error_code e;
    if (!fs::is_regular_file(nom, e))
        return false;
    std::ifstream f(nom, std::ios::binary);
    char o[132] = {};
    return f.read(o, sizeof o) && std::memcmp(o + 128, "DICM", 4) == 0;
}

bool estDossier(const std::string &nom)
{
    std::error_code e;
    return fs::is_directory(nom, e);
}

std::string reel(double v)
{
    char t[32];
    std::snprintf(t, sizeof t, "%.9g", v);
    return t;
}

/// The frame from ITK's LPS geometry (direction columns, spacing, origin) into RAS: the first
/// two rows negated. False when the axes are not usable (not finite, zero, or flat).
bool poserRepere(const double direction[3][3], const double espacement[3], const double origine[3],
                 VolumeReel &v)
{
    for (int r = 0; r < 3; ++r) {
        const double signe = r < 2 ? -1.0 : 1.0;
        for (int c = 0; c < 3; ++c)
            v.repere[r][c] = signe * direction[r][c] * espacement[c];
        v.repere[r][3] = signe * origine[r];
    }
    const double(*m)[4] = v.repere;
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    const double echelle = espacement[0] * espacement[1] * espacement[2];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            if (!std::isfinite(m[r][c]))
                return false;
    return std::isfinite(det) && echelle > 0 && std::fabs(det) > 1e-6 * echelle;
}

/// The frame of an image's first three axes (see poserRepere).
template <class Image> bool reperer(const Image &image, VolumeReel &v)
{
    double direction[3][3], espacement[3], origine[3];
    for (unsigned r = 0; r < 3; ++r) {
        for (unsigned c = 0; c < 3; ++c)
            direction[r][c] = image.GetDirection()[r][c];
        espacement[r] = image.GetSpacing()[r];
        origine[r] = image.GetOrigin()[r];
    }
    return poserRepere(direction, espacement, origine, v);
}

/// The volume indice (0 the first, -1 the first said when there are others) of a 4-D image.
Resultat copier(const Image4 &image, const std::string &nom, int indice, VolumeReel &v)
{
    const Image4::SizeType taille = image.GetLargestPossibleRegion().GetSize();
    for (int a = 0; a < 3; ++a)
        if (taille[static_cast<unsigned>(a)] > 2147483647u)
            return refus(nom, Raison(CodeRaison::NiftiTropGrand, {taille[0], taille[1], taille[2]}));
    const std::size_t volumes = taille[3];
    if (indice >= 0 && static_cast<std::size_t>(indice) >= volumes)
        return refus(nom, Raison(CodeRaison::VolumeHorsDuFichier, {indice + 1, volumes}));
    v.nx = static_cast<int>(taille[0]);
    v.ny = static_cast<int>(taille[1]);
    v.nz = static_cast<int>(taille[2]);
    const std::size_t n = static_cast<std::size_t>(v.nx) * static_cast<std::size_t>(v.ny) * static_cast<std::size_t>(v.nz);
    const std::size_t debut = n * static_cast<std::size_t>(std::max(0, indice));
    const float *q = image.GetBufferPointer();
    v.valeurs.assign(q + debut, q + debut + n);
    if (!reperer(image, v))
        return refus(nom, CodeRaison::VolumeAxesImpossibles);
    v.origineRepere = CodeRaison::RepereFichier;
    if (indice < 0 && volumes > 1)
        v.remarque = Raison(CodeRaison::NiftiPremierVolume, {volumes});
    else if (indice >= 0 && volumes > 1)
        v.remarque = Raison(CodeRaison::VolumeChoisi, {indice + 1, volumes});
    return Resultat::succes();
}

/// MetaImage's reader says a cut file on standard error and goes on: the size its header
/// announces is checked here first (uncompressed data, in the header's file or one beside it).
Resultat verifierMeta(const std::string &nom)
{
    std::ifstream f(nom, std::ios::binary);
    std::string ligne, donnees, type;
    std::uint64_t voxels = 1, canaux = 1, saut = 0;
    bool compresse = false;
    while (donnees.empty() && std::getline(f, ligne)) {
        const std::size_t egal = ligne.find('=');
        if (egal == std::string::npos)
            continue;
        std::string cle = ligne.substr(0, egal);
        cle.erase(cle.find_last_not_of(" \t") + 1);
        std::istringstream valeur(ligne.substr(egal + 1));
        if (cle == "DimSize") {
            for (std::uint64_t d; valeur >> d;)
                voxels *= d;
        } else if (cle == "ElementNumberOfChannels") {
            valeur >> canaux;
        } else if (cle == "HeaderSize") {
            valeur >> saut;
        } else if (cle == "CompressedData") {
            std::string v;
            valeur >> v;
            compresse = ::strcasecmp(v.c_str(), "true") == 0;
        } else if (cle == "ElementType") {
            valeur >> type;
        } else if (cle == "ElementDataFile") {
            valeur >> donnees;
        }
    }
    const int taille = type == "MET_UCHAR" || type == "MET_CHAR"                               ? 1
                       : type == "MET_SHORT" || type == "MET_USHORT"                           ? 2
                       : type == "MET_INT" || type == "MET_UINT" || type == "MET_FLOAT"        ? 4
                       : type == "MET_DOUBLE" || type == "MET_LONG_LONG" || type == "MET_ULONG_LONG" ? 8
                                                                                                 : 0;
    if (compresse || taille == 0 || donnees.empty() || donnees == "LIST" || donnees.find('%') != std::string::npos)
        return Resultat::succes();
    std::uint64_t presents = 0;
    std::error_code e;
    if (donnees == "LOCAL") {
        const std::streamoff debut = f.tellg();
        const std::uint64_t total = fs::file_size(nom, e);
        presents = debut >= 0 && !e && total > static_cast<std::uint64_t>(debut) ? total - static_cast<std::uint64_t>(debut) : 0;
    } else {
        const fs::path fichier = fs::path(nom).parent_path() / donnees;
        const std::uint64_t total = fs::file_size(fichier, e);
        presents = !e && total > saut ? total - saut : 0;
    }
    const std::uint64_t attendus = voxels * canaux * static_cast<std::uint64_t>(taille);
    if (presents < attendus)
        return refus(nom, Raison(CodeRaison::VolumeCoupe, {presents, attendus}));
    return Resultat::succes();
}

/// Reads a single file (NRRD, MetaImage, MINC, or one DICOM file that is a whole volume).
Resultat lireFichier(const std::string &nom, int indice, VolumeReel &v)
{
    if (finitPar(nom, ".mha") || finitPar(nom, ".mhd"))
        if (const Resultat r = verifierMeta(nom); !r)
            return r;
    itk::ImageIOBase::Pointer io = itk::ImageIOFactory::CreateImageIO(nom.c_str(), itk::IOFileModeEnum::ReadMode);
    if (!io)
        return refus(nom, CodeRaison::VolumeSansLecteur);
    io->SetFileName(nom);
    io->ReadImageInformation();
    const unsigned rang = io->GetNumberOfDimensions();
    if (rang < 2 || rang > 4)
        return refus(nom, Raison(CodeRaison::VolumeRang, {rang}));
    if (io->GetNumberOfComponents() != 1)
        return refus(nom, Raison(CodeRaison::VolumeComposantes, {io->GetNumberOfComponents()}));
    auto lecteur = itk::ImageFileReader<Image4>::New();
    lecteur->SetImageIO(io);
    lecteur->SetFileName(nom);
    lecteur->Update();
    return copier(*lecteur->GetOutput(), nom, indice, v);
}

/// Numbers of a DICOM multi-valued string ("a\b\c").
std::vector<double> nombres(const std::string &texte)
{
    std::vector<double> n;
    std::string t = texte;
    std::replace(t.begin(), t.end(), '\\', ' ');
    std::istringstream mots(t);
    double x;
    while (mots >> x)
        n.push_back(x);
    return n;
}

std::string etiquette(const itk::MetaDataDictionary &d, const std::string &cle)
{
    std::string valeur;
    itk::ExposeMetaData<std::string>(d, cle, valeur);
    return valeur;
}

/// Checks what the slices' own tags say: the orientation vectors (0020,0037) of unit length and
/// square to each other, the same on every slice, and positions (0020,0032) evenly spaced along
/// the normal. A slice missing from a series shows as a gap twice the others.
Resultat verifierTranches(const itk::ImageSeriesReader<Image3>::DictionaryArrayType &tranches,
                          const std::string &nom)
{
    std::vector<double> normales;
    double n[3] = {0, 0, 1};
    std::string orientation0;
    for (std::size_t i = 0; i < tranches.size(); ++i) {
        const std::string orientation = etiquette(*tranches[i], "0020|0037");
        const std::vector<double> o = nombres(orientation);
        if (i == 0) {
            orientation0 = orientation;
            if (o.size() != 6)
                return refus(nom, Raison(CodeRaison::DicomOrientation, {litteral(orientation)}));
            const double lr = std::sqrt(o[0] * o[0] + o[1] * o[1] + o[2] * o[2]);
            const double lc = std::sqrt(o[3] * o[3] + o[4] * o[4] + o[5] * o[5]);
            const double pscal = o[0] * o[3] + o[1] * o[4] + o[2] * o[5];
            if (!(std::fabs(lr - 1) < 1e-3 && std::fabs(lc - 1) < 1e-3 && std::fabs(pscal) < 1e-3))
                return refus(nom, Raison(CodeRaison::DicomOrientation, {litteral(orientation)}));
            n[0] = o[1] * o[5] - o[2] * o[4];
            n[1] = o[2] * o[3] - o[0] * o[5];
            n[2] = o[0] * o[4] - o[1] * o[3];
        } else if (!orientation.empty() && nombres(orientation) != nombres(orientation0)) {
            return refus(nom, Raison(CodeRaison::DicomOrientationsDiverses, {litteral(orientation0), litteral(orientation)}));
        }
        const std::vector<double> p = nombres(etiquette(*tranches[i], "0020|0032"));
        if (p.size() == 3)
            normales.push_back(p[0] * n[0] + p[1] * n[1] + p[2] * n[2]);
    }
    if (normales.size() < 3 || normales.size() != tranches.size())
        return Resultat::succes();
    std::sort(normales.begin(), normales.end());
    double petit = normales[1] - normales[0], grand = petit;
    for (std::size_t i = 2; i < normales.size(); ++i) {
        petit = std::min(petit, normales[i] - normales[i - 1]);
        grand = std::max(grand, normales[i] - normales[i - 1]);
    }
    if (!(petit > 0) || grand - petit > 1e-3 * grand + 1e-4)
        return refus(nom, Raison(CodeRaison::DicomTranchesInegales, {litteral(reel(petit)), litteral(reel(grand))}));
    return Resultat::succes();
}

/// A DICOM series: the folder's, or the one holding the file nom.
Resultat lireSerie(const std::string &nom, int indice, VolumeReel &v)
{
    const bool dossier = estDossier(nom);
    const std::string lieu = dossier ? nom : fs::path(nom).parent_path().string();
    auto series = itk::GDCMSeriesFileNames::New();
    series->SetUseSeriesDetails(false);
    series->SetDirectory(lieu.empty() ? "." : lieu);
    const std::vector<std::string> uids = series->GetSeriesUIDs();
    if (uids.empty())
        return refus(nom, CodeRaison::DicomSansSerie);
    std::vector<std::string> fichiers;
    std::size_t choisie = 0;
    std::error_code e;
    for (std::size_t s = 0; s < uids.size() && fichiers.empty(); ++s) {
        const std::vector<std::string> ceux = series->GetFileNames(uids[s]);
        if (dossier)
            fichiers = ceux;
        else
            for (const std::string &f : ceux)
                if (fs::equivalent(f, nom, e))
                    fichiers = ceux;
        choisie = s;
    }
    if (fichiers.empty())
        return refus(nom, CodeRaison::DicomSansSerie);
    if (fichiers.size() == 1) {
        Resultat r = lireFichier(fichiers.front(), indice, v);
        v.origineRepere = CodeRaison::RepereDicom;
        return r;
    }
    auto io = itk::GDCMImageIO::New();
    auto lecteur = itk::ImageSeriesReader<Image3>::New();
    lecteur->SetImageIO(io);
    lecteur->SetFileNames(fichiers);
    lecteur->Update();
    if (const Resultat r = verifierTranches(*lecteur->GetMetaDataDictionaryArray(), nom); !r)
        return r;
    if (indice > 0)
        return refus(nom, Raison(CodeRaison::VolumeHorsDuFichier, {indice + 1, 1}));
    const Image3 &image = *lecteur->GetOutput();
    const Image3::SizeType taille = image.GetLargestPossibleRegion().GetSize();
    v.nx = static_cast<int>(taille[0]);
    v.ny = static_cast<int>(taille[1]);
    v.nz = static_cast<int>(taille[2]);
    const float *q = image.GetBufferPointer();
    v.valeurs.assign(q, q + static_cast<std::size_t>(v.nx) * static_cast<std::size_t>(v.ny) * static_cast<std::size_t>(v.nz));
    if (!reperer(image, v))
        return refus(nom, CodeRaison::VolumeAxesImpossibles);
    v.origineRepere = CodeRaison::RepereDicom;
    if (uids.size() > 1)
        v.remarque = Raison(CodeRaison::DicomSeries, {uids.size(), choisie + 1, litteral(uids[choisie])});
    return Resultat::succes();
}

/// The ITK image of a volume: its RAS frame back into LPS direction, spacing and origin.
template <typename T> typename itk::Image<T, 3>::Pointer imageDe(const VolumeReel &v)
{
    using Image = itk::Image<T, 3>;
    auto image = Image::New();
    typename Image::SizeType taille;
    taille[0] = static_cast<itk::SizeValueType>(v.nx);
    taille[1] = static_cast<itk::SizeValueType>(v.ny);
    taille[2] = static_cast<itk::SizeValueType>(v.nz);
    image->SetRegions(typename Image::RegionType(taille));
    typename Image::SpacingType espacement;
    typename Image::DirectionType direction;
    typename Image::PointType origine;
    for (unsigned c = 0; c < 3; ++c)
        espacement[c] = v.tailleVoxel(static_cast<int>(c));
    for (unsigned r = 0; r < 3; ++r) {
        const double signe = r < 2 ? -1.0 : 1.0;
        for (unsigned c = 0; c < 3; ++c)
            direction[r][c] = signe * v.repere[r][c] / espacement[c];
        origine[r] = signe * v.repere[r][3];
    }
    image->SetSpacing(espacement);
    image->SetDirection(direction);
    image->SetOrigin(origine);
    image->Allocate();
    T *q = image->GetBufferPointer();
    for (std::size_t i = 0; i < v.valeurs.size(); ++i)
        q[i] = std::is_integral<T>::value ? static_cast<T>(std::lround(v.valeurs[i])) : static_cast<T>(v.valeurs[i]);
    return image;
}

/// A DICOM series of 16-bit slices into the folder: each slice written as a volume one voxel
/// thick, so that its position and orientation tags are its own, as a scanner writes them.
void ecrireSerie(const VolumeReel &v, const std::string &dossier)
{
    fs::create_directories(dossier);
    using Image = itk::Image<short, 3>;
    const Image::Pointer image = imageDe<short>(v);
    const std::size_t parTranche = static_cast<std::size_t>(v.nx) * static_cast<std::size_t>(v.ny);
    for (int k = 0; k < v.nz; ++k) {
        auto tranche = Image::New();
        Image::SizeType taille = image->GetLargestPossibleRegion().GetSize();
        taille[2] = 1;
        tranche->SetRegions(Image::RegionType(taille));
        tranche->SetSpacing(image->GetSpacing());
        tranche->SetDirection(image->GetDirection());
        Image::PointType origine;
        image->TransformIndexToPhysicalPoint(Image::IndexType{{0, 0, k}}, origine);
        tranche->SetOrigin(origine);
        tranche->Allocate();
        const short *debut = image->GetBufferPointer() + parTranche * static_cast<std::size_t>(k);
        std::copy(debut, debut + parTranche, tranche->GetBufferPointer());
        itk::MetaDataDictionary &t = tranche->GetMetaDataDictionary();
        itk::EncapsulateMetaData<std::string>(t, "0020|0013", std::to_string(k + 1));
        // An MR image: a secondary capture would carry no position or orientation.
        itk::EncapsulateMetaData<std::string>(t, "0008|0016", "1.2.840.10008.5.1.4.1.1.4");
        itk::EncapsulateMetaData<std::string>(t, "0008|0060", "MR");
        itk::EncapsulateMetaData<std::string>(t, "0020|000e", "1.2.826.0.1.3680043.2.1125.7.1");
        itk::EncapsulateMetaData<std::string>(t, "0020|000d", "1.2.826.0.1.3680043.2.1125.7");
        itk::EncapsulateMetaData<std::string>(t, "0018|0050", reel(v.tailleVoxel(2)));
        auto io = itk::GDCMImageIO::New();
        io->KeepOriginalUIDOn();
        auto ecrivain = itk::ImageFileWriter<Image>::New();
        char nomTranche[32];
        std::snprintf(nomTranche, sizeof nomTranche, "/tranche%04d.dcm", k + 1);
        ecrivain->SetFileName(dossier + nomTranche);
        ecrivain->SetImageIO(io);
        ecrivain->SetInput(tranche);
        ecrivain->Update();
    }
}

} // namespace

bool estVolumeITK(const std::string &nom)
{
    for (const char *s : {".nrrd", ".nhdr", ".mha", ".mhd", ".mnc", ".dcm"})
        if (finitPar(nom, s))
            return true;
    return estDossier(nom) || preambuleDicom(nom);
}

Resultat lireVolumeITK(const std::string &nom, VolumeReel &volume, int indice)
{
    volume = VolumeReel();
    preparerITK();
    Resultat r;
    try {
        const bool dicom = estDossier(nom) || finitPar(nom, ".dcm") || preambuleDicom(nom);
        r = dicom ? lireSerie(nom, indice, volume) : lireFichier(nom, indice, volume);
    } catch (const itk::ExceptionObject &e) {
        r = refus(nom, description(e));
    } catch (const std::exception &e) {
        r = refus(nom, std::string(e.what()));
    }
    if (!r)
        volume = VolumeReel();
    return r;
}

Resultat ecrireVolumeITK(const VolumeReel &volume, const std::string &nom)
{
    preparerITK();
    try {
        if (fs::path(nom).extension().empty()) {
            ecrireSerie(volume, nom);
        } else {
            auto ecrivain = itk::ImageFileWriter<Image3>::New();
            ecrivain->SetFileName(nom);
            ecrivain->SetInput(imageDe<float>(volume));
            ecrivain->Update();
        }
    } catch (const itk::ExceptionObject &e) {
        return Resultat::echec(Statut::SortieImpossible,
                               Raison(CodeRaison::Contexte, {::nom(nom), litteral(description(e))}));
    } catch (const std::exception &e) {
        return Resultat::echec(Statut::SortieImpossible, Raison(CodeRaison::Contexte, {::nom(nom), litteral(e.what())}));
    }
    return Resultat::succes();
}
