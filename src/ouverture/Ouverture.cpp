#include "Ouverture.h"

#include "Maillage.h"
#include "NuageDeSurface.h"
#include "NuageFichiers.h"
#include "Simplex.h"
#include "VolumeAnalyze.h"
#include "VolumeFormats.h"
#include "VolumeNifti.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <fstream>
#include <optional>
#include <sstream>

namespace {

/// Signed 16-bit range of the voxels (as niveauDeGris takes them); 0..0 for an empty volume.
void plageDe(const VolumeAnalyze &volume, int &minimum, int &maximum)
{
    minimum = maximum = 0;
    bool premier = true;
    for (const std::uint16_t v : volume.voxels) {
        const int s = static_cast<std::int16_t>(v);
        minimum = premier ? s : std::min(minimum, s);
        maximum = premier ? s : std::max(maximum, s);
        premier = false;
    }
}

/// The higher value of a volume that holds exactly two (a mask), as the voxels store it.
std::optional<std::uint16_t> valeurDuMasque(const VolumeAnalyze &volume)
{
    if (volume.voxels.empty())
        return std::nullopt;
    const std::uint16_t a = volume.voxels.front();
    std::optional<std::uint16_t> b;
    for (const std::uint16_t v : volume.voxels) {
        if (v == a)
            continue;
        if (!b)
            b = v;
        else if (v != *b)
            return std::nullopt;
    }
    if (!b)
        return std::nullopt;
    // Compared as niveauDeGris compares them: signed.
    return static_cast<std::int16_t>(a) > static_cast<std::int16_t>(*b) ? a : *b;
}

std::string baseVolume(const std::string &nom)
{
    return sansSuffixeVolume(nom);
}

Resultat lireVolume(const std::string &nom, Maillage &m, const ReglagesVolume &r, std::vector<point3> &points,
                    const Progression &progression)
{
    const std::string base = baseVolume(nom);
    VolumeAnalyze volume(0, 0, 0);
    Resultat lu = lireVolumeSeuillable(nom, volume, progression);
    if (!lu)
        return lu;
    // The grey levels are whole numbers: both thresholds are kept themselves.
    seuillerVolume(volume, points, r.seuilMin - 1, r.seuilMax + 1, static_cast<std::uint16_t>(r.fenetreMin),
                   static_cast<std::uint16_t>(r.fenetreMax));
    // A mask says which voxels are in by itself, whatever window suits the scans: with a window of
    // its single value, its voxels are grey level 255 and the others 0.
    if (const std::optional<std::uint16_t> haut = points.empty() ? valeurDuMasque(volume) : std::nullopt)
        seuillerVolume(volume, points, 254, 256, *haut, *haut);
    if (points.empty()) {
        int minimum = 0, maximum = 0;
        plageDe(volume, minimum, maximum);
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::VolumeSansPoint, {::nom(base), r.seuilMin, r.seuilMax, r.fenetreMin,
                                                                    r.fenetreMax, minimum, maximum}));
    }
    m.ListePointsInterets = points;
    return Resultat::succes();
}

} // namespace

Resultat plageVolume(const std::string &nom, int &minimum, int &maximum)
{
    if (genreFichier(nom) != GenreFichier::Volume)
        return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::PasUnVolume, {::nom(nom)}));
    VolumeAnalyze volume(0, 0, 0);
    Resultat lu;
    try {
        lu = lireVolumeSeuillable(nom, volume);
    } catch (const std::exception &e) {
        lu = Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::Contexte, {::nom(nom), litteral(e.what())}));
    }
    if (lu)
        plageDe(volume, minimum, maximum);
    return lu;
}

const std::vector<SuffixeOuvert> &suffixesOuverts()
{
    static const std::vector<SuffixeOuvert> liste = {
        {"pts", GenreFichier::Nuage},       {"ply", GenreFichier::Nuage},      {"xyz", GenreFichier::Nuage},
        {"asc", GenreFichier::Nuage},       {"csv", GenreFichier::Nuage},      {"txt", GenreFichier::Nuage},
        {"pcd", GenreFichier::Nuage},       {"hdr", GenreFichier::Volume},     {"img", GenreFichier::Volume},
        {"nii", GenreFichier::Volume},      {"nii.gz", GenreFichier::Volume},  {"nrrd", GenreFichier::Volume},
        {"nhdr", GenreFichier::Volume},     {"mha", GenreFichier::Volume},     {"mhd", GenreFichier::Volume},
        {"mnc", GenreFichier::Volume},      {"mgh", GenreFichier::Volume},     {"mgz", GenreFichier::Volume},
        {"dcm", GenreFichier::Volume},      {"smm", GenreFichier::Simplex},
        {"sm", GenreFichier::Simplex},      {"off", GenreFichier::Triangles},  {"obj", GenreFichier::Triangles},
        {"stl", GenreFichier::Triangles},
    };
    return liste;
}

GenreFichier genreFichier(const std::string &nom)
{
    const std::string s = suffixeDe(nom);
    if (s == "gz")
        return estNomDeVolume(nom) ? GenreFichier::Volume : GenreFichier::Inconnu;
    for (const SuffixeOuvert &o : suffixesOuverts())
        if (s == o.suffixe)
            return o.genre;
    // A folder, or a file with the DICOM preamble whatever its name, is a DICOM series.
    return estVolumeITK(nom) ? GenreFichier::Volume : GenreFichier::Inconnu;
}

GenreFichier genreOuverture(const std::string &nom)
{
    const GenreFichier genre = genreFichier(nom);
    if (genre != GenreFichier::Nuage || suffixeDe(nom) != "ply")
        return genre;
    std::ifstream f(nom, std::ios::binary);
    std::string ligne;
    // The header is text lines up to end_header; a few kilobytes at most.
    for (int n = 0; n < 1000 && std::getline(f, ligne); ++n) {
        if (!ligne.empty() && ligne.back() == '\r')
            ligne.pop_back();
        if (ligne == "end_header")
            break;
        std::istringstream mots(ligne);
        std::string mot, element;
        long long nombre = 0;
        if (mots >> mot >> element >> nombre && mot == "element" && (element == "face" || element == "tristrips") &&
            nombre > 0)
            return GenreFichier::Triangles;
    }
    return genre;
}

std::string listeSuffixes(bool nuages)
{
    std::string liste;
    for (const SuffixeOuvert &o : suffixesOuverts()) {
        // A triangle mesh opens as a cloud too (its surface); a simplex mesh never does.
        const bool nuage = o.genre == GenreFichier::Nuage || o.genre == GenreFichier::Volume ||
                           o.genre == GenreFichier::Triangles;
        // A PLY file opens as a triangle mesh too.
        const bool maillage = o.genre == GenreFichier::Simplex || o.genre == GenreFichier::Triangles ||
                              std::string(o.suffixe) == "ply";
        if (nuages ? nuage : maillage)
            liste += (liste.empty() ? "." : ", .") + std::string(o.suffixe);
    }
    return liste;
}

static bool estSTL(const std::string &nom)
{
    return suffixeDe(nom) == "stl";
}

Resultat accepterNuage(const std::string &nom, const Maillage &m)
{
    const std::vector<point3> &points = m.ListePointsInterets;
    if (points.empty() && m.pointsNonFinis > 0)
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::NuageTousNonFinis, {::nom(nom), m.pointsNonFinis}));
    // A count of 0 before points: what the file holds beyond its count is the reason.
    if (points.empty() && m.pointsAuDela > 0)
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::NuageAuDelaDuCompte, {litteral(nom), 0, m.pointsAuDela}));
    if (points.empty())
        return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::NuageSansPoint, {litteral(nom)}));
    for (std::size_t i = 0; i < points.size(); ++i)
        if (!std::isfinite(points[i].x) || !std::isfinite(points[i].y) || !std::isfinite(points[i].z))
            return Resultat::echec(Statut::NuageIllisible,
                                   Raison(CodeRaison::NuagePointNonFini, {litteral(nom), i + 1}));
    return Resultat::succes();
}

Resultat ouvrirNuage(const std::string &nom, Maillage &m, const ReglagesVolume &reglages,
                     const Progression &progression, std::vector<point3> *pointsVolume)
{
    m.viderPointsInterets();
    std::vector<point3> points;
    Resultat r;
    try {
        switch (genreFichier(nom)) {
        case GenreFichier::Nuage:
            if (estNuageAutreFormat(nom)) {
                r = lireNuageFichier(nom, m.ListePointsInterets, m.pointsNonFinis, sousProgression(progression, 0, 0.9));
                m.nbPointsInterets = static_cast<int>(m.ListePointsInterets.size());
            } else {
                // The reader would index the cloud too: it is indexed once, below.
                struct SansArbre
                {
                    Maillage &m;
                    bool avant;
                    ~SansArbre() { m.sansArbre = avant; }
                } garde{m, m.sansArbre};
                m.sansArbre = true;
                r = m.lirePTS(nom, sousProgression(progression, 0, 0.9));
            }
            break;
        case GenreFichier::Volume:
            r = lireVolume(nom, m, reglages, points, sousProgression(progression, 0, 0.9));
            break;
        case GenreFichier::Triangles: {
            // A triangle mesh opens as the cloud of its surface: its vertices (an STL file repeats
            // them in every triangle; its reader merges them), and points over its faces where
            // they are too far apart to describe it.
            Maillage lu;
            const Progression sous = sousProgression(progression, 0, 0.9);
            const std::string suffixe = suffixeDe(nom);
            r = suffixe == "stl" ? lu.lireSTL(nom, sous) : suffixe == "obj" ? lu.lireOBJ(nom, sous) : lu.lireOFF(nom, sous);
            if (r) {
                m.ListePointsInterets = nuageDeSurface(std::move(lu.listeSommets), lu.listeFaces);
                m.nbPointsInterets = static_cast<int>(m.ListePointsInterets.size());
            } else if (r.statut == Statut::MaillageIllisible)
                r.statut = Statut::NuageIllisible;
            break;
        }
        default: {
            // A volume of a kind known but not read is named, with how to convert it.
            const Raison pasLu = formatNonLu(nom);
            r = Resultat::echec(Statut::NuageIllisible,
                                pasLu.code != CodeRaison::Aucune
                                    ? pasLu
                                    : Raison(CodeRaison::NuageNonReconnu, {::nom(nom), litteral(listeSuffixes(true))}));
        }
        }
    } catch (const std::exception &e) {
        r = Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::Contexte, {::nom(nom), litteral(e.what())}));
    }
    // A cloud with nothing to fit, or with a coordinate that is not a number, is refused here, for
    // the application and the console tool alike.
    if (r.reussi() && genreFichier(nom) != GenreFichier::Volume)
        r = accepterNuage(nom, m);
    bool garde = r.reussi() || (r.statut == Statut::NuageIllisible && genreFichier(nom) == GenreFichier::Nuage &&
                                !estNuageAutreFormat(nom) && !m.ListePointsInterets.empty() &&
                                r.raison.code != CodeRaison::NuagePointNonFini);
    if (!garde)
        m.viderPointsInterets();
    // The tree always covers exactly the cloud held, whatever happened above; a stop while it is
    // built leaves no cloud.
    const Resultat arbre = m.construireKd(garde ? sousProgression(progression, 0.9, 1) : Progression());
    if (arbre.statut == Statut::Interrompu) {
        m.viderPointsInterets();
        garde = false;
        r = arbre;
    }
    if (pointsVolume)
        *pointsVolume = garde ? std::move(points) : std::vector<point3>();
    if (arbre.statut == Statut::Echec && r.reussi()) {
        // A cloud without its index is no document: nothing is kept.
        m.viderPointsInterets();
        if (pointsVolume)
            pointsVolume->clear();
        return Resultat::echec(Statut::Echec, Raison(CodeRaison::MemoireIndexNuage, {::nom(nom)}));
    }
    if (garde)
        m.calculerCentrePointsInterets();
    return r;
}

Resultat ouvrirMaillage(const std::string &nom, Simplex &s, const Progression &progression)
{
    const GenreFichier genre = genreFichier(nom);
    const bool ply = suffixeDe(nom) == "ply";
    if (ply) {
        if (progression && !progression(0.0, Raison(CodeRaison::LectureDuMaillage)))
            return Resultat::interrompu(Raison(CodeRaison::LectureDe, {::nom(nom)}));
        Maillage lu;
        Resultat r;
        try {
            r = lireMaillagePLYFichier(nom, lu);
        } catch (const std::exception &e) {
            r = Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::Contexte, {::nom(nom), litteral(e.what())}));
        }
        if (!r)
            return r;
        if (lu.listeFaces.empty())
            return Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::SansAucuneFace, {::nom(nom)}));
        s.maillageOrigine.listeSommets = std::move(lu.listeSommets);
        s.maillageOrigine.listeFaces = std::move(lu.listeFaces);
        s.maillageOrigine.listeAretes.clear();
        s.maillageOrigine.nbSommets = lu.nbSommets;
        s.maillageOrigine.nbFaces = lu.nbFaces;
        s.maillageOrigine.nbAretes = 0;
        s.maillageOrigine.calculerBoiteEtCentre();
        s.maillageTriangule = s.maillageOrigine;
        return Resultat::succes();
    }
    if (genre != GenreFichier::Simplex && genre != GenreFichier::Triangles)
        return Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::MaillageNonReconnu, {::nom(nom), litteral(listeSuffixes(false))}));
    if (progression && !progression(0.0, Raison(CodeRaison::LectureDuMaillage)))
        return Resultat::interrompu(Raison(CodeRaison::LectureDe, {::nom(nom)}));
    try {
        if (estSTL(nom)) {
            const Resultat r = s.maillageOrigine.lireSTL(nom, progression);
            s.maillageTriangule = s.maillageOrigine;
            if (!r)
                return r;
        } else {
            const Resultat r = s.lire(nom, progression);
            if (!r)
                return r;
        }
    } catch (const std::exception &e) {
        return Resultat::echec(Statut::MaillageIllisible,
                               Raison(CodeRaison::Contexte, {::nom(nom), litteral(e.what())}));
    }
    if (genre == GenreFichier::Triangles && s.maillageOrigine.listeFaces.empty())
        return Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::SansAucuneFace, {::nom(nom)}));
    return Resultat::succes();
}
