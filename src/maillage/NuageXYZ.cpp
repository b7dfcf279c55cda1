// Text clouds (.xyz, .asc, .csv, .txt): the first three numbers of each line.

#include "Memoire.h"
#include "NuageCommun.h"
#include "NuageFichiers.h"
#include "Parallele.h"

#include <algorithm>
#include <cstring>
#include <string>

using namespace tarnis_nuage;

namespace {

bool estSeparateur(char c)
{
    return c == ',' || c == ';';
}

bool commenceUnNombre(char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
}

/// First byte of the line that is not blank.
const char *premierNonBlanc(const char *p, const char *e)
{
    while (p < e && estBlancLigne(*p))
        ++p;
    return p;
}

bool estCommentaire(const char *p, const char *e)
{
    return p < e && (*p == '#' || *p == ';' || (*p == '/' && p + 1 < e && p[1] == '/'));
}

/// Whether the line [p, e) writes its decimals with commas: semicolons between the values, no
/// decimal point, and a comma between two digits ("1,5;2,5;3,5"). The first point's line
/// decides for the file.
bool virgulesDecimales(const char *p, const char *e)
{
    const std::size_t n = static_cast<std::size_t>(e - p);
    if (!std::memchr(p, ';', n) || std::memchr(p, '.', n))
        return false;
    for (const char *q = p + 1; q + 1 < e; ++q)
        if (*q == ',' && q[-1] >= '0' && q[-1] <= '9' && q[1] >= '0' && q[1] <= '9')
            return true;
    return false;
}

/// A real at p whose decimal separator is a comma: read from a copy with a point instead.
const char *lireReelVirgule(const char *p, const char *e, double &v)
{
    char copie[64];
    std::size_t n = 0;
    while (p + n < e && n < sizeof copie && !estBlancLigne(p[n]) && p[n] != ';')
        ++n;
    if (n == sizeof copie)
        return nullptr;
    for (std::size_t i = 0; i < n; ++i)
        copie[i] = p[i] == ',' ? '.' : p[i];
    const char *s = lireReel(copie, copie + n, v);
    return s ? p + (s - copie) : nullptr;
}

/// Reads three numbers from the line [p, e); false with the reason otherwise. virgules: the
/// decimals are written with commas, and only semicolons or blanks separate the values.
bool lireTriplet(const char *p, const char *e, point3 &pt, Raison &raison, bool virgules)
{
    double v[3];
    for (int c = 0; c < 3; ++c) {
        p = premierNonBlanc(p, e);
        if (c > 0 && p < e && (virgules ? *p == ';' : estSeparateur(*p)))
            p = premierNonBlanc(p + 1, e);
        const char *s = p < e ? (virgules ? lireReelVirgule(p, e, v[c]) : lireReel(p, e, v[c])) : nullptr;
        if (!s || (s < e && !estBlancLigne(*s) && (virgules ? *s != ';' : !estSeparateur(*s)))) {
            raison = (p >= e) ? Raison(CodeRaison::NombresParLigne, {c, 3}) : ceQuiArrete(p, e);
            return false;
        }
        p = s;
    }
    pt = point3(v[0], v[1], v[2]);
    return true;
}

} // namespace

Resultat lireNuageXYZ(const char *donnees, std::size_t taille, const std::string &nom, std::vector<point3> &points,
                      const OptionsLecture &options)
{
    points.clear();
    // Lines ended by CR alone (old Mac files): read as a copy with LF ends, the same length, so
    // that the lines and bytes named stay those of the file.
    const std::size_t debutTeste = std::min<std::size_t>(taille, 1 << 16);
    if (std::memchr(donnees, '\r', debutTeste) && !std::memchr(donnees, '\n', taille)) {
        std::string copie(donnees, taille);
        std::replace(copie.begin(), copie.end(), '\r', '\n');
        return lireNuageXYZ(copie.data(), copie.size(), nom, points, options);
    }
    const char *fin = donnees + taille;
    // Before the first point: a byte-order mark, empty and comment lines, and one line of names.
    const char *p = donnees;
    if (taille >= 3 && std::memcmp(donnees, "\xEF\xBB\xBF", 3) == 0)
        p += 3;
    std::size_t ligne = 1;
    bool entete = false;
    while (p < fin) {
        const void *nl = std::memchr(p, '\n', static_cast<std::size_t>(fin - p));
        const char *e = nl ? static_cast<const char *>(nl) : fin;
        const char *q = premierNonBlanc(p, e);
        if (q < e && !estCommentaire(q, e)) {
            if (commenceUnNombre(*q) || entete)
                break;
            // A header holds names: text, never control bytes.
            for (const char *c = q; c < e; ++c)
                if (static_cast<unsigned char>(*c) < ' ' && !estBlancLigne(*c))
                    return Resultat::echec(
                        Statut::NuageIllisible,
                        Raison(CodeRaison::FichierLigne, {::nom(nom), ligne, Raison(CodeRaison::OctetsDeControle)}));
            entete = true;
        }
        p = e + (e < fin);
        ++ligne;
    }
    const int fils = filsEffectifs(options.fils);
    const void *finPremiere = std::memchr(p, '\n', static_cast<std::size_t>(fin - p));
    const bool virgules = virgulesDecimales(p, finPremiere ? static_cast<const char *>(finPremiere) : fin);
    std::vector<Bloc> blocs = decouperEnLignes(p, fin, options.octetsParBloc, fils);
    // First the points of each block (lines that start with a number), then each block writes
    // its points from its own first index.
    chaqueBloc(blocs.size(), fils, [&](std::size_t k) {
        Bloc &b = blocs[k];
        for (const char *q = b.debut; q < b.fin;) {
            const void *nl = std::memchr(q, '\n', static_cast<std::size_t>(b.fin - q));
            const char *e = nl ? static_cast<const char *>(nl) : b.fin;
            const char *d = premierNonBlanc(q, e);
            b.points += d < e && commenceUnNombre(*d);
            q = e + 1;
        }
    });
    std::size_t total = 0;
    for (Bloc &b : blocs) {
        b.premierPoint = total;
        total += b.points;
    }
    if (total > static_cast<std::size_t>(POINTS_MAX))
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::TropDePoints, {::nom(nom), total, POINTS_MAX}));
    if (total == 0 && blocs.empty())
        return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::SansPoint, {::nom(nom)}));
    points.clear();
    if (Resultat r = agrandirPoints(points, total, fils, nom); !r)
        return r;
    chaqueBloc(blocs.size(), fils, [&](std::size_t k) {
        Bloc &b = blocs[k];
        std::size_t i = b.premierPoint, l = 1;
        for (const char *q = b.debut; q < b.fin; ++l) {
            const void *nl = std::memchr(q, '\n', static_cast<std::size_t>(b.fin - q));
            const char *e = nl ? static_cast<const char *>(nl) : b.fin;
            const char *d = premierNonBlanc(q, e);
            q = e + 1;
            if (d == e || estCommentaire(d, e))
                continue;
            if (!commenceUnNombre(*d) || !lireTriplet(d, e, points[i++], b.raison, virgules)) {
                if (!commenceUnNombre(*d))
                    b.raison = ceQuiArrete(d, e);
                b.ligneEchec = l;
                return;
            }
        }
    });
    Resultat r = premierEchec(blocs, nom, ligne);
    if (r && total == 0)
        r = Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::SansPoint, {::nom(nom)}));
    if (!r)
        points.clear();
    return r;
}
