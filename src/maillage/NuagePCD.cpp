// PCD clouds: a header of KEY value lines (VERSION, FIELDS, SIZE, TYPE, COUNT, WIDTH, HEIGHT,
// VIEWPOINT, POINTS, DATA), then the points as ASCII lines or binary records.

#include "Memoire.h"
#include "NuageCommun.h"
#include "NuageFichiers.h"
#include "Parallele.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

using namespace tarnis_nuage;

namespace {

constexpr std::size_t ENTETE_MAX = 1 << 16;

struct Champ
{
    std::string nom;
    std::size_t taille = 4;
    char type = 'F';
    std::size_t compte = 1;
    std::size_t decalage = 0; ///< bytes before it in a binary record
    std::size_t colonne = 0;  ///< numbers before it on an ASCII line
};

double valeurBinaire(const char *p, const Champ &c)
{
    unsigned char o[8] = {};
    std::memcpy(o, p, c.taille);
    auto lire = [&](auto v) {
        std::memcpy(&v, o, sizeof v);
        return static_cast<double>(v);
    };
    if (c.type == 'F')
        return c.taille == 4 ? lire(float()) : lire(double());
    if (c.type == 'I')
        return c.taille == 1   ? lire(std::int8_t())
               : c.taille == 2 ? lire(std::int16_t())
               : c.taille == 4 ? lire(std::int32_t())
                               : lire(std::int64_t());
    return c.taille == 1   ? lire(std::uint8_t())
           : c.taille == 2 ? lire(std::uint16_t())
           : c.taille == 4 ? lire(std::uint32_t())
                           : lire(std::uint64_t());
}

bool tailleValide(const Champ &c)
{
    if (c.type == 'F')
        return c.taille == 4 || c.taille == 8;
    return (c.type == 'I' || c.type == 'U') && (c.taille == 1 || c.taille == 2 || c.taille == 4 || c.taille == 8);
}

/// Drops the points with a coordinate that is not finite, keeping the order; returns how many.
long long garderFinis(std::vector<point3> &points)
{
    std::size_t j = 0;
    for (const point3 &p : points)
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z))
            points[j++] = p;
    const long long passes = static_cast<long long>(points.size() - j);
    points.resize(j);
    return passes;
}

} // namespace

Resultat lireNuagePCD(const char *donnees, std::size_t taille, const std::string &nom, std::vector<point3> &points,
                      long long &nonFinis, const OptionsLecture &options)
{
    points.clear();
    nonFinis = 0;
    const char *fin = donnees + taille;
    const char *limite = donnees + std::min(taille, ENTETE_MAX);
    std::vector<Champ> champs;
    long long largeur = -1, hauteur = 1, annonces = -1;
    std::string donneesGenre;
    std::size_t ligne = 0;
    const char *p = donnees;
    auto refus = [&](Raison r) { return Resultat::echec(Statut::NuageIllisible, std::move(r)); };
    auto ligneRefusee = [&](Raison r) {
        return refus(Raison(CodeRaison::EnteteLigne, {::nom(nom), ligne, std::move(r)}));
    };
    bool vuCle = false;
    while (donneesGenre.empty()) {
        const void *nl = std::memchr(p, '\n', static_cast<std::size_t>(limite - p));
        if (!nl)
            return refus(Raison(CodeRaison::EnteteSansFin, {::nom(nom), ::nom("DATA"), ENTETE_MAX}));
        const char *e = static_cast<const char *>(nl);
        ++ligne;
        std::vector<std::string> mots;
        for (const char *q = p; q < e;) {
            while (q < e && estBlancLigne(*q))
                ++q;
            const char *r = q;
            while (r < e && !estBlancLigne(*r))
                ++r;
            if (r > q)
                mots.emplace_back(q, r);
            q = r;
        }
        p = e + 1;
        if (mots.empty() || mots[0][0] == '#')
            continue;
        const std::string &cle = mots[0];
        static const char *const connues[] = {"VERSION", "FIELDS", "SIZE",      "TYPE",   "COUNT",
                                              "WIDTH",   "HEIGHT", "VIEWPOINT", "POINTS", "DATA"};
        if (std::none_of(std::begin(connues), std::end(connues), [&](const char *c) { return cle == c; })) {
            if (!vuCle)
                return refus(Raison(CodeRaison::PasUnFichierPCD,
                                    {::nom(nom), ::nom(std::string(cle, 0, std::min<std::size_t>(cle.size(), 24)))}));
            return ligneRefusee(Raison(CodeRaison::MotIncompris, {::nom(cle.substr(0, 40))}));
        }
        vuCle = true;
        auto entier = [&](const std::string &s, long long &v) {
            const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
            return r.ec == std::errc() && r.ptr == s.data() + s.size() && v >= 0;
        };
        if (cle == "FIELDS") {
            champs.clear();
            for (std::size_t k = 1; k < mots.size(); ++k) {
                // A repeated coordinate would leave one of its columns unread.
                const bool coordonnee = mots[k] == "x" || mots[k] == "y" || mots[k] == "z";
                if (coordonnee && std::find(mots.begin() + 1, mots.begin() + static_cast<long>(k), mots[k]) !=
                                      mots.begin() + static_cast<long>(k))
                    return ligneRefusee(Raison(CodeRaison::EnDouble, {::nom(mots[k])}));
                champs.push_back({mots[k], 4, 'F', 1, 0, 0});
            }
        } else if (cle == "SIZE" || cle == "TYPE" || cle == "COUNT") {
            if (mots.size() != champs.size() + 1)
                return ligneRefusee(Raison(CodeRaison::NombresParLigne, {mots.size() - 1, champs.size()}));
            for (std::size_t k = 0; k < champs.size(); ++k) {
                long long v = 0;
                if (cle == "TYPE") {
                    if (mots[k + 1].size() != 1)
                        return ligneRefusee(Raison(CodeRaison::TypeInconnu, {::nom(mots[k + 1].substr(0, 24))}));
                    champs[k].type = mots[k + 1][0];
                } else if (!entier(mots[k + 1], v) || v > 4096 || (cle == "SIZE" && v == 0)) {
                    return ligneRefusee(Raison(CodeRaison::PasUnEntier, {::nom(mots[k + 1].substr(0, 24))}));
                } else {
                    (cle == "SIZE" ? champs[k].taille : champs[k].compte) = static_cast<std::size_t>(v);
                }
            }
        } else if (cle == "WIDTH" || cle == "HEIGHT" || cle == "POINTS") {
            long long v = 0;
            if (mots.size() != 2 || !entier(mots[1], v))
                return ligneRefusee(
                    Raison(CodeRaison::PasUnEntier, {::nom(mots.size() > 1 ? mots[1].substr(0, 24) : "")}));
            (cle == "WIDTH" ? largeur : cle == "HEIGHT" ? hauteur : annonces) = v;
        } else if (cle == "DATA") {
            if (mots.size() != 2)
                return ligneRefusee(Raison(CodeRaison::MotIncompris, {::nom("DATA")}));
            donneesGenre = mots[1];
        }
    }
    if (donneesGenre == "binary_compressed")
        return refus(Raison(CodeRaison::PCDCompresse, {::nom(nom)}));
    if (donneesGenre != "ascii" && donneesGenre != "binary")
        return ligneRefusee(Raison(CodeRaison::MotIncompris, {::nom(donneesGenre.substr(0, 40))}));
    std::size_t octets = 0, colonnes = 0;
    int ix[3] = {-1, -1, -1};
    const Champ *xyz[3] = {nullptr, nullptr, nullptr};
    // What each ASCII column may hold: integer fields hold the integers of their size.
    std::vector<Plage> plages;
    for (Champ &c : champs) {
        if (!tailleValide(c))
            return refus(Raison(CodeRaison::TypeInconnu, {::nom(std::string(1, c.type) + std::to_string(c.taille))}));
        c.decalage = octets;
        c.colonne = colonnes;
        octets += c.taille * c.compte;
        colonnes += c.compte;
        const Plage plage = c.type == 'F' ? Plage{} : plageEntiere(c.taille, c.type == 'I', c.type == 'I' ? "I" : "U");
        plages.insert(plages.end(), c.compte, plage);
        for (int a = 0; a < 3; ++a)
            if (c.nom == std::string(1, char('x' + a)) && c.compte > 0) {
                ix[a] = static_cast<int>(c.colonne);
                xyz[a] = &c;
            }
    }
    if (!xyz[0] || !xyz[1] || !xyz[2])
        return refus(Raison(CodeRaison::SansCoordonnees, {::nom(nom), ::nom("FIELDS")}));
    // WIDTH x HEIGHT in checked arithmetic: both may be as large as a long long.
    long long produit = 0;
    if (largeur >= 0 && (__builtin_mul_overflow(largeur, hauteur, &produit) || produit > POINTS_MAX))
        return refus(Raison(CodeRaison::ProduitTropGrand, {::nom(nom), largeur, hauteur, POINTS_MAX}));
    if (annonces >= 0 && largeur >= 0 && annonces != produit)
        return refus(Raison(CodeRaison::ComptesContradictoires, {::nom(nom), annonces, produit}));
    if (annonces < 0)
        annonces = largeur < 0 ? 0 : produit;
    if (annonces > POINTS_MAX)
        return refus(Raison(CodeRaison::TropDePoints, {::nom(nom), annonces, POINTS_MAX}));
    const std::size_t n = static_cast<std::size_t>(annonces);
    const std::size_t reste = static_cast<std::size_t>(fin - p);
    if (donneesGenre == "ascii") {
        const char *finLignes = p;
        const Resultat r =
            lireLignesFixes(p, fin, n, static_cast<int>(colonnes), ix, true, points, options, nom, "point", ligne + 1,
                            static_cast<std::size_t>(p - donnees), finLignes, plages.data());
        if (!r)
            return r;
        // More lines than announced: a count that is wrong, not points to leave out.
        if (Resultat apres = rienApres(donnees, finLignes, fin, nom); !apres) {
            points.clear();
            return apres;
        }
    } else {
        const std::size_t debut = static_cast<std::size_t>(p - donnees);
        if (ressembleATexte(p, reste))
            return refus(Raison(CodeRaison::CorpsTexte, {::nom(nom), debut, ::nom("binary")}));
        if (n > reste / std::max<std::size_t>(octets, 1)) {
            if (n / 4 > reste / std::max<std::size_t>(octets, 1) + 1024)
                return refus(Raison(CodeRaison::CompteTropGrand, {::nom(nom), annonces, litteral("points"), reste}));
            return refus(Raison(CodeRaison::FichierCoupe,
                                {::nom(nom), taille, litteral("point"), reste / octets + 1, annonces}));
        }
        if (reste > n * octets)
            return refus(Raison(CodeRaison::OctetsApres, {::nom(nom), debut + n * octets, reste - n * octets}));
        // Floats that are denormal in bulk are no coordinates (NaN is how organised clouds mark
        // their holes: it is counted, not taken as a sign of garbage).
        std::size_t denormaux = 0, vus = 0;
        for (int a = 0; a < 3; ++a)
            if (xyz[a]->type == 'F' && xyz[a]->taille == 4) {
                const std::size_t k = std::min<std::size_t>(n, 1024);
                for (std::size_t i = 0; i < k; ++i) {
                    float v;
                    std::memcpy(&v, p + i * octets + xyz[a]->decalage, 4);
                    denormaux += std::fpclassify(v) == FP_SUBNORMAL;
                }
                vus += k;
            }
        if (vus >= 16 && 2 * denormaux > vus)
            return refus(Raison(CodeRaison::CorpsImplausible, {::nom(nom), debut, denormaux, vus, ::nom("binary")}));
        points.clear();
        if (Resultat r = agrandirPoints(points, n, filsEffectifs(options.fils), nom); !r)
            return r;
        enParallele(n, filsEffectifs(options.fils), [&](std::size_t a, std::size_t b) {
            for (std::size_t i = a; i < b; ++i) {
                const char *r = p + i * octets;
                points[i] =
                    point3(valeurBinaire(r + xyz[0]->decalage, *xyz[0]), valeurBinaire(r + xyz[1]->decalage, *xyz[1]),
                           valeurBinaire(r + xyz[2]->decalage, *xyz[2]));
            }
        });
    }
    nonFinis = garderFinis(points);
    return Resultat::succes();
}
