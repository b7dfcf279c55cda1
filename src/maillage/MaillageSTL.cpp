// Triangle meshes in STL files (text and binary, read; binary, written) and in binary PLY
// (written, coordinates in double), and the move of a six-significant-digit writing.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <limits>
#include <new>
#include <string>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "Maillage.h"
#include "MaillageTexte.h"
#include "Remplacement.h"

using tarnis_texte::Lecteur;

namespace {

constexpr std::size_t ENTETE_BINAIRE = 84;
constexpr std::size_t OCTETS_TRIANGLE = 50;
/// A mesh indexes its vertices with int: three new vertices a triangle at most.
constexpr std::uint64_t TRIANGLES_MAXIMUM = static_cast<std::uint64_t>(std::numeric_limits<int>::max()) / 3;

/// Joins vertices of equal coordinates (exact equality; -0 and +0 are one) into one index.
class Soudure
{
public:
    explicit Soudure(Maillage &m) : maillage(m) {}

    int indice(double x, double y, double z)
    {
        const Cle c{x + 0.0, y + 0.0, z + 0.0};
        const auto [it, nouveau] = indices.try_emplace(c, static_cast<int>(maillage.listeSommets.size()));
        if (nouveau)
            maillage.listeSommets.emplace_back(c.x, c.y, c.z);
        return it->second;
    }

    /// Adds the triangle; one whose corners are joined (a sliver of no area) is counted, not kept.
    void triangle(const int c[3])
    {
        if (c[0] == c[1] || c[1] == c[2] || c[0] == c[2])
            ++degeneres;
        else
            maillage.listeFaces.push_back(Face{c[0], c[1], c[2]});
    }

    long long degeneres = 0;

private:
    struct Cle
    {
        double x, y, z;
        bool operator==(const Cle &o) const { return x == o.x && y == o.y && z == o.z; }
    };
    struct Hachage
    {
        std::size_t operator()(const Cle &c) const
        {
            std::uint64_t h = 0x9E3779B97F4A7C15ull;
            for (double v : {c.x, c.y, c.z}) {
                std::uint64_t b;
                std::memcpy(&b, &v, sizeof b);
                h = (h ^ b) * 0xFF51AFD7ED558CCDull;
                h ^= h >> 32;
            }
            return static_cast<std::size_t>(h);
        }
    };
    Maillage &maillage;
    std::unordered_map<Cle, int, Hachage> indices;
};

/// Bytes from a file or from memory, read in order; never past the end.
class Source
{
public:
    Source(std::FILE *f, std::size_t taille) : fichier(f), total(taille) {}
    Source(const char *d, std::size_t taille) : memoire(d), total(taille) {}

    /// Copies n bytes at the position into dst; false when fewer remain.
    bool lire(void *dst, std::size_t n)
    {
        if (n > total - position)
            return false;
        if (fichier) {
            if (std::fread(dst, 1, n, fichier) != n)
                return false;
        } else {
            std::memcpy(dst, memoire + position, n);
        }
        position += n;
        return true;
    }
    std::size_t taille() const { return total; }
    std::FILE *fichier = nullptr;
    const char *memoire = nullptr;

private:
    std::size_t total = 0;
    std::size_t position = 0;
};

std::uint32_t entier32(const unsigned char *o)
{
    return std::uint32_t(o[0]) | std::uint32_t(o[1]) << 8 | std::uint32_t(o[2]) << 16 | std::uint32_t(o[3]) << 24;
}

float reel32(const unsigned char *o)
{
    const std::uint32_t b = entier32(o);
    float v;
    std::memcpy(&v, &b, sizeof v);
    return v;
}

Resultat illisible(Raison r)
{
    return Resultat::echec(Statut::MaillageIllisible, std::move(r));
}

struct Suivi
{
    const Progression &progression;
    std::size_t taille;
    bool arret = false;
    bool continuer(std::size_t triangle, std::size_t position)
    {
        if (!arret && (triangle & 0xFFFF) == 0xFFFF && progression && taille > 0)
            arret = !progression(std::min(1.0, double(position) / double(taille)),
                                 Raison(CodeRaison::LectureDuMaillage));
        return !arret;
    }
};

Resultat lireBinaire(Maillage &m, Source &source, std::uint32_t annonces, const std::string &nom, Suivi &suivi)
{
    if (annonces > TRIANGLES_MAXIMUM)
        return illisible(
            Raison(CodeRaison::STLTropDeTriangles, {::nom(nom), static_cast<unsigned long long>(annonces),
                                                    static_cast<unsigned long long>(TRIANGLES_MAXIMUM)}));
    // The count is checked against the size, but a sparse file holds as many bytes as it
    // claims without holding triangles: the lists are sized for a first part only and grow with
    // what is read.
    constexpr std::size_t RESERVE_MAX = std::size_t(1) << 22;
    m.listeFaces.reserve(std::min<std::size_t>(annonces, RESERVE_MAX));
    m.listeSommets.reserve(std::min<std::size_t>(annonces / 2 + 3, RESERVE_MAX));
    Soudure soudure(m);
    constexpr std::size_t PAR_BLOC = 4096;
    std::vector<unsigned char> bloc(PAR_BLOC * OCTETS_TRIANGLE);
    for (std::size_t debut = 0; debut < annonces; debut += PAR_BLOC) {
        const std::size_t n = std::min<std::size_t>(PAR_BLOC, annonces - debut);
        if (!source.lire(bloc.data(), n * OCTETS_TRIANGLE))
            return illisible(Raison(CodeRaison::STLTailleIncoherente,
                                    {::nom(nom), static_cast<unsigned long long>(annonces),
                                     ENTETE_BINAIRE + OCTETS_TRIANGLE * std::size_t(annonces), source.taille()}));
        // A first block of triangles whose corners are all zero bytes is a blank or sparse file
        // the size of its count, not a mesh: refused at once, not after reading all of it.
        if (debut == 0 && n >= 64 && std::all_of(bloc.begin(), bloc.begin() + static_cast<long>(n * OCTETS_TRIANGLE),
                                                 [](unsigned char c) { return c == 0; }))
            return illisible(Raison(CodeRaison::STLTrianglesNuls, {::nom(nom), n, ENTETE_BINAIRE}));
        for (std::size_t t = 0; t < n; ++t) {
            const unsigned char *o = bloc.data() + t * OCTETS_TRIANGLE + 12; // the normal is recomputed
            int c[3];
            for (int k = 0; k < 3; ++k, o += 12) {
                const float x = reel32(o), y = reel32(o + 4), z = reel32(o + 8);
                if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
                    const std::size_t octet =
                        ENTETE_BINAIRE + (debut + t) * OCTETS_TRIANGLE + 12 + 12 * std::size_t(k) +
                        (!std::isfinite(x) ? 0 : !std::isfinite(y) ? 4 : 8);
                    return illisible(Raison(CodeRaison::STLCoordonneeNonFinie, {::nom(nom), debut + t + 1, octet}));
                }
                c[k] = soudure.indice(x, y, z);
            }
            soudure.triangle(c);
        }
        if (!suivi.continuer(debut + PAR_BLOC - 1, ENTETE_BINAIRE + (debut + n) * OCTETS_TRIANGLE))
            return Resultat::interrompu(Raison(CodeRaison::LectureDe, {::nom(nom)}));
    }
    if (soudure.degeneres > 0)
        std::cout << "Triangles sans aire passés (sommets confondus) : " << soudure.degeneres << std::endl;
    return Resultat::succes();
}

/// The next token, compared with mot; the reason when it is not there.
bool attendre(Lecteur &l, const char *mot, const std::string &nom, Resultat &r)
{
    const char *d = nullptr, *f = nullptr;
    // Lines are counted only for a reason: ligneCourante() scans the window.
    if (!l.lireJeton(d, f)) {
        r = illisible(Raison(CodeRaison::STLFinAttendu, {::nom(nom), l.ligneCourante(), litteral(mot)}));
        return false;
    }
    if (std::string(d, f) != mot) {
        r = illisible(Raison(CodeRaison::STLMotAttendu,
                             {::nom(nom), l.ligneCourante(), litteral(mot), ::nom(std::string(d, std::min(f, d + 24)))}));
        return false;
    }
    return true;
}

/// "solid name", then facets ("facet normal n n n / outer loop / vertex x y z (three or more) /
/// endloop / endfacet") up to "endsolid"; several solids may follow each other. A loop of more
/// than three vertices becomes a fan round its first.
Resultat lireTexte(Maillage &m, Lecteur &l, const std::string &nom, Suivi &suivi)
{
    Soudure soudure(m);
    Resultat r;
    std::string ligne;
    std::vector<int> coins;
    std::size_t facettes = 0;
    // l stands after "solid" and before the name.
    for (;;) {
        l.lireLigne(ligne, tarnis_texte::LIGNE_PLAUSIBLE);
        for (;;) {
            const char *d = nullptr, *f = nullptr;
            if (!l.lireJeton(d, f))
                return illisible(Raison(CodeRaison::STLFinAttendu, {::nom(nom), l.ligneCourante(), litteral("endsolid")}));
            const std::string mot(d, std::min(f, d + 24));
            if (mot == "endsolid")
                break;
            if (mot != "facet")
                return illisible(Raison(CodeRaison::STLMotAttendu,
                                        {::nom(nom), l.ligneCourante(), litteral("facet"), ::nom(mot)}));
            if (!attendre(l, "normal", nom, r))
                return r;
            for (int k = 0; k < 3; ++k)
                if (!l.lireJeton(d, f))
                    return illisible(Raison(CodeRaison::STLFinAttendu, {::nom(nom), l.ligneCourante(), litteral("outer")}));
            if (!attendre(l, "outer", nom, r) || !attendre(l, "loop", nom, r))
                return r;
            coins.clear();
            for (;;) {
                if (!l.lireJeton(d, f))
                    return illisible(Raison(CodeRaison::STLFinAttendu, {::nom(nom), l.ligneCourante(), litteral("endloop")}));
                const std::string v(d, std::min(f, d + 24));
                if (v == "endloop" && coins.size() >= 3)
                    break;
                if (v != "vertex")
                    return illisible(Raison(CodeRaison::STLMotAttendu, {::nom(nom), l.ligneCourante(),
                                                                        litteral(coins.size() >= 3 ? "endloop" : "vertex"),
                                                                        ::nom(v)}));
                double x[3];
                for (double &c : x)
                    if (!l.lireDouble(c)) {
                        const std::size_t ligneNombre = l.ligneCourante();
                        if (l.finDesDonnees())
                            return illisible(
                                Raison(CodeRaison::STLFinAttendu, {::nom(nom), ligneNombre, litteral("vertex x y z")}));
                        return illisible(
                            Raison(CodeRaison::STLNombreIllisible, {::nom(nom), ligneNombre, ::nom(l.jetonSuivant())}));
                    }
                coins.push_back(soudure.indice(x[0], x[1], x[2]));
            }
            if (!attendre(l, "endfacet", nom, r))
                return r;
            for (std::size_t k = 1; k + 1 < coins.size(); ++k) {
                const int c[3] = {coins[0], coins[k], coins[k + 1]};
                soudure.triangle(c);
            }
            if (m.listeFaces.size() > TRIANGLES_MAXIMUM)
                return illisible(Raison(CodeRaison::STLTropDeTriangles,
                                        {::nom(nom), m.listeFaces.size(), static_cast<unsigned long long>(TRIANGLES_MAXIMUM)}));
            if (!suivi.continuer(facettes++, l.position()))
                return Resultat::interrompu(Raison(CodeRaison::LectureDe, {::nom(nom)}));
        }
        l.lireLigne(ligne, tarnis_texte::LIGNE_PLAUSIBLE); // the name after endsolid
        const char *d = nullptr, *f = nullptr;
        if (!l.lireJeton(d, f))
            break;
        if (std::string(d, f) != "solid")
            return illisible(Raison(CodeRaison::STLMotAttendu, {::nom(nom), l.ligneCourante(), litteral("solid"),
                                                                ::nom(std::string(d, std::min(f, d + 24)))}));
    }
    if (soudure.degeneres > 0)
        std::cout << "Triangles sans aire passés (sommets confondus) : " << soudure.degeneres << std::endl;
    return Resultat::succes();
}

/// Tells text from binary by the size: a binary file is exactly 84 + 50 n bytes long (and may
/// start with "solid" all the same); a text one starts with "solid".
Resultat analyserSTL(Maillage &m, Source &source, const std::string &nom, const Progression &progression)
{
    m.listeSommets.clear();
    m.listeFaces.clear();
    Suivi suivi{progression, source.taille()};
    unsigned char entete[ENTETE_BINAIRE] = {};
    const std::size_t lus = std::min(source.taille(), ENTETE_BINAIRE);
    if (!source.lire(entete, lus))
        return illisible(Raison(CodeRaison::STLTropCourt, {::nom(nom), source.taille()}));
    std::size_t blancs = 0;
    while (blancs < lus && tarnis_texte::estBlanc(static_cast<char>(entete[blancs])))
        ++blancs;
    const bool solid = lus - blancs >= 5 && std::memcmp(entete + blancs, "solid", 5) == 0 &&
                       (lus - blancs == 5 || tarnis_texte::estBlanc(static_cast<char>(entete[blancs + 5])));
    // A binary header may start with "solid" too: control bytes (the count's, at least) betray it.
    const bool octetsDeControle = std::any_of(entete, entete + lus, [](unsigned char c) {
        return (c < ' ' && !tarnis_texte::estBlanc(static_cast<char>(c))) || c == 0x7F;
    });
    const std::uint32_t annonces = lus == ENTETE_BINAIRE ? entier32(entete + 80) : 0;
    const bool binaire =
        lus == ENTETE_BINAIRE && ENTETE_BINAIRE + OCTETS_TRIANGLE * std::uint64_t(annonces) == source.taille();
    Resultat r;
    if (binaire) {
        try {
            r = lireBinaire(m, source, annonces, nom, suivi);
        } catch (const std::bad_alloc &) {
            // What the lists would have reached: a face and half a vertex per triangle.
            const std::size_t octets = std::size_t(annonces) * (sizeof(Face) + sizeof(point3) / 2);
            r = illisible(Raison(CodeRaison::MemoireLecture, {::nom(nom), Raison(CodeRaison::LectureDuMaillage), octets}));
        }
    } else if (solid && !octetsDeControle) {
        // Text: read again from the start, "solid" consumed.
        if (source.fichier) {
            std::rewind(source.fichier);
            Lecteur l(source.fichier);
            l.bornerJetons(tarnis_texte::LIGNE_PLAUSIBLE);
            const char *d, *f;
            static_cast<void>(l.lireJeton(d, f));
            r = lireTexte(m, l, nom, suivi);
        } else {
            Lecteur l(source.memoire, source.taille());
            l.bornerJetons(tarnis_texte::LIGNE_PLAUSIBLE);
            const char *d, *f;
            static_cast<void>(l.lireJeton(d, f));
            r = lireTexte(m, l, nom, suivi);
        }
    } else if (lus < ENTETE_BINAIRE) {
        r = illisible(Raison(CodeRaison::STLTropCourt, {::nom(nom), source.taille()}));
    } else {
        r = illisible(Raison(CodeRaison::STLTailleIncoherente,
                             {::nom(nom), static_cast<unsigned long long>(annonces),
                              ENTETE_BINAIRE + OCTETS_TRIANGLE * std::uint64_t(annonces), source.taille()}));
    }
    // Never half-used: a refused or stopped reading leaves an empty mesh.
    if (!r) {
        m.listeSommets.clear();
        m.listeFaces.clear();
    }
    m.nbSommets = static_cast<int>(m.listeSommets.size());
    m.nbFaces = static_cast<int>(m.listeFaces.size());
    m.nbAretes = 3;
    if (r)
        m.calculerBoiteEtCentre();
    return r;
}

// --- writers -------------------------------------------------------------------------

void poser32(unsigned char *o, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        o[k] = static_cast<unsigned char>(v >> (8 * k));
}

void poser64(unsigned char *o, std::uint64_t v)
{
    for (int k = 0; k < 8; ++k)
        o[k] = static_cast<unsigned char>(v >> (8 * k));
}

/// Buffered binary writing; remembers whether any write failed.
class Sortie
{
public:
    explicit Sortie(std::FILE *f) : fichier(f) { tampon.reserve(1 << 20); }
    void octets(const unsigned char *o, std::size_t n)
    {
        tampon.insert(tampon.end(), o, o + n);
        if (tampon.size() >= (1 << 20))
            vider();
    }
    bool vider()
    {
        if (!tampon.empty() && std::fwrite(tampon.data(), 1, tampon.size(), fichier) != tampon.size())
            echec = true;
        tampon.clear();
        return !echec;
    }

private:
    std::FILE *fichier;
    std::vector<unsigned char> tampon;
    bool echec = false;
};

/// Checks the faces, lets contenu write the file; a stop or a failure leaves what the file held.
template <typename F>
Resultat ecrireBinaire(const Maillage &m, const std::string &nom, const Progression &progression, F &&contenu)
{
    const std::size_t n = m.listeSommets.size();
    for (std::size_t i = 0; i < m.listeFaces.size(); ++i) {
        const Face &f = m.listeFaces[i];
        for (int s : {f.s1, f.s2, f.s3})
            if (s < 0 || static_cast<std::size_t>(s) >= n)
                return Resultat::echec(Statut::SortieImpossible,
                                       Raison(CodeRaison::EcritureFaceHorsSommets, {::nom(nom), i}));
    }
    EcritureRemplacante remplacante(nom);
    std::FILE *f = std::fopen(remplacante.chemin().c_str(), "wb");
    if (!f)
        return Resultat::echec(Statut::SortieImpossible, Raison(CodeRaison::CreationImpossible, {::nom(nom)}));
    const Raison phase(CodeRaison::EcritureDe, {::nom(nom)});
    SuiviProgression suivi(progression, phase, n + m.listeFaces.size());
    bool ok;
    {
        Sortie s(f);
        contenu(s, suivi);
        ok = s.vider();
    }
    if (std::fclose(f) != 0)
        ok = false;
    if (!suivi.continuer())
        return Resultat::interrompu(phase);
    if (!ok || !remplacante.remplacer())
        return Resultat::echec(Statut::SortieImpossible, Raison(CodeRaison::EcritureEchouee, {::nom(nom)}));
    return Resultat::succes();
}

} // namespace

Resultat Maillage::lireSTL(const std::string &nomFichier, const Progression &progression)
{
    Raison raison;
    std::FILE *f = tarnis_texte::ouvrirLecture(nomFichier, raison);
    if (!f) {
        listeSommets.clear();
        listeFaces.clear();
        nbSommets = nbFaces = 0;
        return Resultat::echec(Statut::MaillageIllisible, raison);
    }
    std::error_code erreur;
    const auto taille = std::filesystem::file_size(nomFichier, erreur);
    Source source(f, erreur ? 0 : static_cast<std::size_t>(taille));
    const Resultat r = analyserSTL(*this, source, nomFichier, progression);
    std::fclose(f);
    return r;
}

Resultat Maillage::lireSTLDepuisMemoire(const char *octets, std::size_t taille, const std::string &nom)
{
    Source source(octets, taille);
    return analyserSTL(*this, source, nom, Progression());
}

Resultat Maillage::ecrireSTL(const std::string &nomFichier, const Progression &progression) const
{
    // Single precision: a vertex beyond it cannot be written.
    for (std::size_t i = 0; i < listeSommets.size(); ++i) {
        const point3 &p = listeSommets[i];
        for (double v : {p.x, p.y, p.z})
            if (!(std::fabs(v) <= std::numeric_limits<float>::max())) {
                char t[32];
                std::snprintf(t, sizeof t, "%g", v);
                return Resultat::echec(Statut::SortieImpossible,
                                       Raison(CodeRaison::EcritureHorsSimplePrecision, {::nom(nomFichier), i, litteral(t)}));
            }
    }
    return ecrireBinaire(*this, nomFichier, progression, [this](Sortie &s, SuiviProgression &suivi) {
        // 80 bytes of header that do not start with "solid", then the count.
        unsigned char entete[ENTETE_BINAIRE];
        std::memset(entete, ' ', 80);
        std::memcpy(entete, "binary STL, Tarnis", 18);
        poser32(entete + 80, static_cast<std::uint32_t>(listeFaces.size()));
        s.octets(entete, sizeof entete);
        unsigned char t[OCTETS_TRIANGLE] = {};
        auto reel = [](unsigned char *o, double v) {
            const float f = static_cast<float>(v);
            std::uint32_t b;
            std::memcpy(&b, &f, sizeof b);
            poser32(o, b);
        };
        for (std::size_t i = 0; i < listeFaces.size() && suivi.avancer(i); ++i) {
            const Face &fa = listeFaces[i];
            const point3 &a = listeSommets[fa.s1], &b = listeSommets[fa.s2], &c = listeSommets[fa.s3];
            const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
            const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
            double n[3] = {uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
            const double l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            for (double &x : n)
                x = l > 0 ? x / l : 0.0;
            unsigned char *o = t;
            for (double x : n)
                reel(o, x), o += 4;
            for (const point3 *p : {&a, &b, &c})
                for (double x : {p->x, p->y, p->z})
                    reel(o, x), o += 4;
            s.octets(t, sizeof t);
        }
    });
}

Resultat Maillage::ecrirePLY(const std::string &nomFichier, const Progression &progression) const
{
    return ecrireBinaire(*this, nomFichier, progression, [this](Sortie &s, SuiviProgression &suivi) {
        const std::string entete = "ply\nformat binary_little_endian 1.0\ncomment Tarnis\nelement vertex " +
                                   std::to_string(listeSommets.size()) +
                                   "\nproperty double x\nproperty double y\nproperty double z\nelement face " +
                                   std::to_string(listeFaces.size()) +
                                   "\nproperty list uchar int vertex_indices\nend_header\n";
        s.octets(reinterpret_cast<const unsigned char *>(entete.data()), entete.size());
        const std::size_t n = listeSommets.size();
        unsigned char o[24];
        for (std::size_t i = 0; i < n && suivi.avancer(i); ++i) {
            const point3 &p = listeSommets[i];
            const double c[3] = {p.x, p.y, p.z};
            for (int k = 0; k < 3; ++k) {
                std::uint64_t b;
                std::memcpy(&b, &c[k], sizeof b);
                poser64(o + 8 * k, b);
            }
            s.octets(o, 24);
        }
        for (std::size_t i = 0; i < listeFaces.size() && suivi.avancer(n + i); ++i) {
            const Face &fa = listeFaces[i];
            o[0] = 3;
            poser32(o + 1, static_cast<std::uint32_t>(fa.s1));
            poser32(o + 5, static_cast<std::uint32_t>(fa.s2));
            poser32(o + 9, static_cast<std::uint32_t>(fa.s3));
            s.octets(o, 13);
        }
    });
}

namespace {

// A coordinate as the text writers write it (six significant digits, general notation), read back.
double sixChiffres(double v)
{
    char t[32];
    const auto fin = std::to_chars(t, t + sizeof t, v, std::chars_format::general, 6);
    double relu = 0;
    std::from_chars(t, fin.ptr, relu);
    return relu;
}

} // namespace

double ecartSixChiffres(const std::vector<point3> &points)
{
    double ecart = 0;
    for (const point3 &p : points)
        for (double v : {p.x, p.y, p.z})
            ecart = std::max(ecart, std::fabs(v - sixChiffres(v)));
    return ecart;
}

std::vector<point3> commeEcrits(const std::vector<point3> &points, PrecisionEcrite precision)
{
    if (precision == PrecisionEcrite::Double)
        return points;
    const auto relire = [precision](double v) {
        return precision == PrecisionEcrite::Simple ? static_cast<double>(static_cast<float>(v)) : sixChiffres(v);
    };
    std::vector<point3> r(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        r[i] = point3(relire(points[i].x), relire(points[i].y), relire(points[i].z));
    return r;
}
