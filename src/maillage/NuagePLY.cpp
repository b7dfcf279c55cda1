// PLY files: the header (format, elements and their properties), then each element's records in
// ASCII or binary of either byte order. A cloud keeps x y z of element vertex; a mesh also its
// faces (fans) or triangle strips.

#include "Memoire.h"
#include "NuageCommun.h"
#include "NuageDeSurface.h"
#include "NuageFichiers.h"
#include "Parallele.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

using namespace tarnis_nuage;

namespace {

/// Longest header looked at: comments and object information included, no header is longer.
constexpr std::size_t ENTETE_MAX = std::size_t(1) << 20;

enum class Type { I8, U8, I16, U16, I32, U32, F32, F64, Aucun };
enum class Format { Ascii, Petit, Grand };

std::size_t tailleDe(Type t)
{
    switch (t) {
    case Type::I8:
    case Type::U8:
        return 1;
    case Type::I16:
    case Type::U16:
        return 2;
    case Type::I32:
    case Type::U32:
    case Type::F32:
        return 4;
    case Type::F64:
        return 8;
    case Type::Aucun:
        break;
    }
    return 0;
}

/// What an ASCII value of type t may be: the integers of its size, or any real.
Plage plageDe(Type t)
{
    switch (t) {
    case Type::I8:
        return plageEntiere(1, true, "char");
    case Type::U8:
        return plageEntiere(1, false, "uchar");
    case Type::I16:
        return plageEntiere(2, true, "short");
    case Type::U16:
        return plageEntiere(2, false, "ushort");
    case Type::I32:
        return plageEntiere(4, true, "int");
    case Type::U32:
        return plageEntiere(4, false, "uint");
    default:
        return Plage{};
    }
}

Type typeDe(const std::string &s)
{
    static const struct
    {
        const char *a, *b;
        Type t;
    } noms[] = {{"char", "int8", Type::I8},      {"uchar", "uint8", Type::U8},    {"short", "int16", Type::I16},
                {"ushort", "uint16", Type::U16}, {"int", "int32", Type::I32},     {"uint", "uint32", Type::U32},
                {"float", "float32", Type::F32}, {"double", "float64", Type::F64}};
    for (const auto &n : noms)
        if (s == n.a || s == n.b)
            return n.t;
    return Type::Aucun;
}

/// A binary value of type t at p, in the file's byte order.
double valeurBinaire(const char *p, Type t, bool inverse)
{
    unsigned char o[8];
    const std::size_t n = tailleDe(t);
    std::memcpy(o, p, n);
    if (inverse)
        for (std::size_t i = 0; i < n / 2; ++i)
            std::swap(o[i], o[n - 1 - i]);
    switch (t) {
    case Type::I8:
        return static_cast<std::int8_t>(o[0]);
    case Type::U8:
        return o[0];
    case Type::I16: {
        std::int16_t v;
        std::memcpy(&v, o, 2);
        return v;
    }
    case Type::U16: {
        std::uint16_t v;
        std::memcpy(&v, o, 2);
        return v;
    }
    case Type::I32: {
        std::int32_t v;
        std::memcpy(&v, o, 4);
        return v;
    }
    case Type::U32: {
        std::uint32_t v;
        std::memcpy(&v, o, 4);
        return v;
    }
    case Type::F32: {
        float v;
        std::memcpy(&v, o, 4);
        return static_cast<double>(v);
    }
    case Type::F64: {
        double v;
        std::memcpy(&v, o, 8);
        return v;
    }
    case Type::Aucun:
        break;
    }
    return 0;
}

struct Propriete
{
    std::string nom;
    Type type = Type::Aucun;
    Type typeCompte = Type::Aucun; ///< a list: the type of its count
};

struct Element
{
    std::string nom;
    long long nombre = 0;
    std::vector<Propriete> proprietes;
    bool avecListes() const
    {
        for (const Propriete &p : proprietes)
            if (p.typeCompte != Type::Aucun)
                return true;
        return false;
    }
    std::size_t tailleFixe() const
    {
        std::size_t n = 0;
        for (const Propriete &p : proprietes)
            n += tailleDe(p.type);
        return n;
    }
    int indice(const char *n) const
    {
        for (std::size_t i = 0; i < proprietes.size(); ++i)
            if (proprietes[i].nom == n)
                return static_cast<int>(i);
        return -1;
    }
};

struct Entete
{
    Format format = Format::Ascii;
    std::vector<Element> elements;
    std::size_t debutDonnees = 0;
    std::size_t lignes = 0; ///< lines of the header
};

Resultat refus(const std::string &, Raison r)
{
    return Resultat::echec(Statut::NuageIllisible, std::move(r));
}

Resultat lireEntete(const char *d, std::size_t taille, const std::string &nom, Entete &entete)
{
    const char *fin = d + std::min(taille, ENTETE_MAX);
    const char *p = d;
    std::size_t ligne = 0;
    auto incompris = [&](const std::string &mot) {
        return refus(nom, Raison(CodeRaison::EnteteLigne,
                                 {::nom(nom), ligne, Raison(CodeRaison::MotIncompris, {::nom(mot.substr(0, 40))})}));
    };
    bool format = false;
    for (;;) {
        const void *nl = std::memchr(p, '\n', static_cast<std::size_t>(fin - p));
        if (!nl) {
            if (ligne == 0 && !(taille >= 3 && std::memcmp(d, "ply", 3) == 0 && taille <= 4))
                return refus(nom, Raison(CodeRaison::PasUnFichierPLY, {::nom(nom)}));
            return refus(nom, Raison(CodeRaison::EnteteSansFin, {::nom(nom), ::nom("end_header"), ENTETE_MAX}));
        }
        const char *e = static_cast<const char *>(nl);
        ++ligne;
        std::string texte(p, e);
        p = e + 1;
        if (!texte.empty() && texte.back() == '\r')
            texte.pop_back();
        if (ligne == 1) {
            if (texte != "ply")
                return refus(nom, Raison(CodeRaison::PasUnFichierPLY, {::nom(nom)}));
            continue;
        }
        std::vector<std::string> mots;
        for (std::size_t i = 0; i < texte.size();) {
            while (i < texte.size() && (texte[i] == ' ' || texte[i] == '\t'))
                ++i;
            std::size_t j = i;
            while (j < texte.size() && texte[j] != ' ' && texte[j] != '\t')
                ++j;
            if (j > i)
                mots.emplace_back(texte, i, j - i);
            i = j;
        }
        if (mots.empty() || mots[0] == "comment" || mots[0] == "obj_info")
            continue;
        if (mots[0] == "end_header") {
            if (!format)
                return incompris("end_header");
            entete.debutDonnees = static_cast<std::size_t>(p - d);
            entete.lignes = ligne;
            return Resultat::succes();
        }
        if (mots[0] == "format") {
            if (mots.size() != 3 || mots[2] != "1.0" || format || !entete.elements.empty())
                return incompris(texte);
            if (mots[1] == "ascii")
                entete.format = Format::Ascii;
            else if (mots[1] == "binary_little_endian")
                entete.format = Format::Petit;
            else if (mots[1] == "binary_big_endian")
                entete.format = Format::Grand;
            else
                return incompris(mots[1]);
            format = true;
        } else if (mots[0] == "element") {
            Element el;
            if (mots.size() != 3)
                return incompris(texte);
            el.nom = mots[1];
            const auto r = std::from_chars(mots[2].data(), mots[2].data() + mots[2].size(), el.nombre);
            if (r.ec != std::errc() || r.ptr != mots[2].data() + mots[2].size() || el.nombre < 0)
                return refus(nom, Raison(CodeRaison::EnteteLigne,
                                         {::nom(nom), ligne, Raison(CodeRaison::PasUnEntier, {::nom(mots[2])})}));
            // A second element of the same name would be read as something else or not at all.
            for (const Element &avant : entete.elements)
                if (avant.nom == el.nom)
                    return refus(nom, Raison(CodeRaison::EnteteLigne,
                                             {::nom(nom), ligne,
                                              Raison(CodeRaison::EnDouble, {::nom("element " + el.nom)})}));
            entete.elements.push_back(std::move(el));
        } else if (mots[0] == "property") {
            if (entete.elements.empty())
                return incompris(texte);
            Propriete pr;
            const bool liste = mots.size() == 5 && mots[1] == "list";
            if (!liste && mots.size() != 3)
                return incompris(texte);
            for (std::size_t k = liste ? 2 : 1; k + 1 < mots.size(); ++k) {
                const Type t = typeDe(mots[k]);
                if (t == Type::Aucun)
                    return refus(nom, Raison(CodeRaison::EnteteLigne,
                                             {::nom(nom), ligne, Raison(CodeRaison::TypeInconnu, {::nom(mots[k])})}));
                (liste && k == 2 ? pr.typeCompte : pr.type) = t;
            }
            pr.nom = mots.back();
            if (entete.elements.back().indice(pr.nom.c_str()) >= 0)
                return refus(nom, Raison(CodeRaison::EnteteLigne,
                                         {::nom(nom), ligne,
                                          Raison(CodeRaison::EnDouble, {::nom("property " + pr.nom)})}));
            entete.elements.back().proprietes.push_back(pr);
        } else {
            return incompris(mots[0]);
        }
    }
}

/// Reading of records one by one, ASCII tokens or binary values, never past the end.
struct Lecture
{
    const char *debut;
    const char *p;
    const char *fin;
    Format format;
    const std::string &nom;
    Raison raison; ///< set when a reading fails

    bool valeur(Type t, double &v, const Element &el, long long i)
    {
        if (format == Format::Ascii) {
            while (p < fin && tarnis_texte_blanc(*p))
                ++p;
            const char *s = p < fin ? lireReel(p, fin, v) : nullptr;
            if (!s || (s < fin && !tarnis_texte_blanc(*s))) {
                const Raison pourquoi = p < fin ? ceQuiArrete(p, fin) : Raison(CodeRaison::FinDuFichier);
                raison = Raison(CodeRaison::FichierLigne, {::nom(nom), ligneDe(debut, p), pourquoi});
                return false;
            }
            if (const Plage plage = plageDe(t); !plage.contient(v)) {
                raison = Raison(CodeRaison::FichierLigne,
                                {::nom(nom), ligneDe(debut, p),
                                 Raison(CodeRaison::HorsDuType, {::nom(std::string(p, s)), ::nom(plage.nom)})});
                return false;
            }
            p = s;
            return true;
        }
        const std::size_t n = tailleDe(t);
        if (static_cast<std::size_t>(fin - p) < n) {
            raison = Raison(CodeRaison::FichierCoupe,
                            {::nom(nom), static_cast<std::size_t>(fin - debut), litteral(el.nom), i + 1, el.nombre});
            return false;
        }
        v = valeurBinaire(p, t, format == Format::Grand);
        p += n;
        return true;
    }
    static bool tarnis_texte_blanc(char c) { return c == '\n' || estBlancLigne(c); }

    /// One record of el: scalars to valeurs (when given), the list of property `liste` to lst.
    bool enregistrement(const Element &el, long long i, double *valeurs, int liste, std::vector<long long> *lst)
    {
        for (std::size_t k = 0; k < el.proprietes.size(); ++k) {
            const Propriete &pr = el.proprietes[k];
            if (pr.typeCompte == Type::Aucun) {
                double v;
                if (!valeur(pr.type, v, el, i))
                    return false;
                if (valeurs)
                    valeurs[k] = v;
                continue;
            }
            const char *avant = p;
            double n;
            if (!valeur(pr.typeCompte, n, el, i))
                return false;
            const std::size_t reste = static_cast<std::size_t>(fin - p);
            const std::size_t unite = format == Format::Ascii ? 2 : tailleDe(pr.type);
            if (!(n >= 0) || n != std::floor(n) || n > double(reste / unite) + (format == Format::Ascii)) {
                const Raison pourquoi(
                    CodeRaison::ListeImpossible,
                    {litteral(n == std::floor(n) && std::fabs(n) < 9e18 ? std::to_string(static_cast<long long>(n))
                                                                        : std::to_string(n))});
                raison = format == Format::Ascii
                             ? Raison(CodeRaison::FichierLigne, {::nom(nom), ligneDe(debut, avant), pourquoi})
                             : Raison(CodeRaison::FichierOctet,
                                      {::nom(nom), static_cast<std::size_t>(avant - debut), pourquoi});
                return false;
            }
            const long long compte = static_cast<long long>(n);
            const bool garder = lst && static_cast<int>(k) == liste;
            if (garder)
                lst->clear();
            if (format != Format::Ascii && !garder) {
                p += static_cast<std::size_t>(compte) * unite;
                continue;
            }
            for (long long j = 0; j < compte; ++j) {
                double v;
                if (!valeur(pr.type, v, el, i))
                    return false;
                if (garder)
                    lst->push_back(v == std::floor(v) && std::fabs(v) < 9e15 ? static_cast<long long>(v) : -2);
            }
        }
        return true;
    }
};

/// Reads the vertices of el at l.p into points (x y z), in parallel where the layout allows.
Resultat lireSommets(Lecture &l, const Element &el, std::vector<point3> &points, const OptionsLecture &options)
{
    const int ix[3] = {el.indice("x"), el.indice("y"), el.indice("z")};
    if (ix[0] < 0 || ix[1] < 0 || ix[2] < 0)
        return refus(l.nom, Raison(CodeRaison::SansCoordonnees, {::nom(l.nom), ::nom(el.nom)}));
    for (int a = 0; a < 3; ++a)
        if (el.proprietes[static_cast<std::size_t>(ix[a])].typeCompte != Type::Aucun)
            return refus(l.nom, Raison(CodeRaison::CoordonneeListe,
                                       {::nom(l.nom), ::nom(std::string(1, char('x' + a))), ::nom(el.nom)}));
    const std::size_t debutOctets = static_cast<std::size_t>(l.p - l.debut);
    if (l.format != Format::Ascii && ressembleATexte(l.p, static_cast<std::size_t>(l.fin - l.p)))
        return refus(l.nom, Raison(CodeRaison::CorpsTexte,
                                   {::nom(l.nom), debutOctets,
                                    ::nom(l.format == Format::Petit ? "binary_little_endian" : "binary_big_endian")}));
    if (el.nombre > POINTS_MAX)
        return refus(l.nom, Raison(CodeRaison::TropDePoints, {::nom(l.nom), el.nombre, POINTS_MAX}));
    const std::size_t reste = static_cast<std::size_t>(l.fin - l.p);
    const std::size_t n = static_cast<std::size_t>(el.nombre);
    if (l.format != Format::Ascii && !el.avecListes()) {
        const std::size_t taille = el.tailleFixe();
        if (n > reste / std::max<std::size_t>(taille, 1)) {
            // Far more than the file holds: a lying count; a little more: a file cut short.
            if (n / 4 > reste / std::max<std::size_t>(taille, 1) + 1024)
                return refus(l.nom,
                             Raison(CodeRaison::CompteTropGrand, {::nom(l.nom), el.nombre, litteral(el.nom), reste}));
            return refus(l.nom,
                         Raison(CodeRaison::FichierCoupe, {::nom(l.nom), static_cast<std::size_t>(l.fin - l.debut),
                                                           litteral(el.nom), reste / taille + 1, el.nombre}));
        }
        std::size_t decalage[3];
        for (int a = 0; a < 3; ++a) {
            decalage[a] = 0;
            for (int k = 0; k < ix[a]; ++k)
                decalage[a] += tailleDe(el.proprietes[static_cast<std::size_t>(k)].type);
        }
        const Type t[3] = {el.proprietes[static_cast<std::size_t>(ix[0])].type,
                           el.proprietes[static_cast<std::size_t>(ix[1])].type,
                           el.proprietes[static_cast<std::size_t>(ix[2])].type};
        const bool inverse = l.format == Format::Grand;
        // Coordinates that are mostly NaN, infinite or denormal are bytes of something else
        // (text, another layout), not a cloud.
        std::size_t implausibles = 0, vus = 0;
        for (int a = 0; a < 3; ++a)
            if (t[a] == Type::F32) {
                const std::size_t k = std::min<std::size_t>(n, 1024);
                implausibles += flottantsImplausibles(l.p + decalage[a], k, taille, inverse);
                vus += k;
            }
        if (vus >= 16 && 2 * implausibles > vus)
            return refus(l.nom, Raison(CodeRaison::CorpsImplausible,
                                       {::nom(l.nom), debutOctets, implausibles, vus,
                                        ::nom(inverse ? "binary_big_endian" : "binary_little_endian")}));
        points.clear();
        if (Resultat r = agrandirPoints(points, n, filsEffectifs(options.fils), l.nom); !r)
            return r;
        const char *base = l.p;
        enParallele(n, filsEffectifs(options.fils), [&](std::size_t a, std::size_t b) {
            for (std::size_t i = a; i < b; ++i) {
                const char *r = base + i * taille;
                points[i] =
                    point3(valeurBinaire(r + decalage[0], t[0], inverse), valeurBinaire(r + decalage[1], t[1], inverse),
                           valeurBinaire(r + decalage[2], t[2], inverse));
            }
        });
        l.p += n * taille;
        return Resultat::succes();
    }
    if (l.format == Format::Ascii && !el.avecListes()) {
        while (l.p < l.fin && Lecture::tarnis_texte_blanc(*l.p))
            ++l.p;
        const char *finLignes = l.p;
        std::vector<Plage> plages;
        for (const Propriete &pr : el.proprietes)
            plages.push_back(plageDe(pr.type));
        const Resultat r = lireLignesFixes(l.p, l.fin, n, static_cast<int>(el.proprietes.size()), ix, false, points,
                                           options, l.nom, el.nom.c_str(), ligneDe(l.debut, l.p),
                                           static_cast<std::size_t>(l.p - l.debut), finLignes, plages.data());
        l.p = finLignes;
        return r;
    }
    // Lists among the vertex properties: record by record.
    if (n > reste / 2 + 1)
        return refus(l.nom, Raison(CodeRaison::CompteTropGrand, {::nom(l.nom), el.nombre, litteral(el.nom), reste}));
    points.clear();
    std::vector<double> v(el.proprietes.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (!l.enregistrement(el, static_cast<long long>(i), v.data(), -1, nullptr))
            return refus(l.nom, l.raison);
        points.emplace_back(v[static_cast<std::size_t>(ix[0])], v[static_cast<std::size_t>(ix[1])],
                            v[static_cast<std::size_t>(ix[2])]);
    }
    return Resultat::succes();
}

/// Passes over the records of el (checked, not kept); faces, when given, gets el's triangles.
Resultat passerElement(Lecture &l, const Element &el, std::vector<Face> *faces, std::size_t sommets)
{
    const std::size_t reste = static_cast<std::size_t>(l.fin - l.p);
    const std::size_t minimum = l.format == Format::Ascii ? 2 * el.proprietes.size() : el.tailleFixe();
    if (minimum > 0 && static_cast<std::size_t>(el.nombre) > reste / minimum)
        return refus(l.nom, Raison(CodeRaison::CompteTropGrand, {::nom(l.nom), el.nombre, litteral(el.nom), reste}));
    // Records of no property take no byte: announced, they cannot be told present or absent.
    if (el.proprietes.empty())
        return el.nombre == 0 ? Resultat::succes()
                              : refus(l.nom, Raison(CodeRaison::ElementSansPropriete,
                                                    {::nom(l.nom), el.nombre, litteral(el.nom)}));
    if (l.format != Format::Ascii && !el.avecListes()) {
        l.p += static_cast<std::size_t>(el.nombre) * minimum;
        return Resultat::succes();
    }
    const bool bande = el.nom == "tristrips";
    int liste = -1;
    if (faces && (el.nom == "face" || bande)) {
        liste = el.indice("vertex_indices");
        if (liste < 0)
            liste = el.indice("vertex_index");
        if (liste < 0 || el.proprietes[static_cast<std::size_t>(liste)].typeCompte == Type::Aucun)
            liste = -1;
    }
    std::vector<long long> lst;
    for (long long i = 0; i < el.nombre; ++i) {
        const char *avant = l.p;
        if (!l.enregistrement(el, i, nullptr, liste, liste >= 0 ? &lst : nullptr))
            return refus(l.nom, l.raison);
        if (liste < 0)
            continue;
        auto lieu = [&]() {
            return l.format == Format::Ascii ? ligneDe(l.debut, avant) : static_cast<std::size_t>(avant - l.debut);
        };
        for (const long long s : lst)
            if ((s < 0 || static_cast<std::size_t>(s) >= sommets) && !(bande && s == -1))
                return refus(l.nom,
                             Raison(CodeRaison::FaceHorsSommets, {::nom(l.nom), litteral(el.nom), i + 1, s, sommets}));
        if (!bande) {
            if (lst.size() < 3)
                return refus(l.nom,
                             Raison(l.format == Format::Ascii ? CodeRaison::FichierLigne : CodeRaison::FichierOctet,
                                    {::nom(l.nom), lieu(), Raison(CodeRaison::ListeImpossible, {lst.size()})}));
            for (std::size_t k = 1; k + 1 < lst.size(); ++k)
                faces->push_back({int(lst[0]), int(lst[k]), int(lst[k + 1])});
            continue;
        }
        // Strips: each new vertex makes a triangle with the two before it, every other one
        // turned back; -1 starts a new strip; repeated vertices make no triangle.
        std::size_t debut = 0;
        for (std::size_t k = 0; k <= lst.size(); ++k) {
            if (k < lst.size() && lst[k] != -1)
                continue;
            for (std::size_t j = debut; j + 2 < k; ++j) {
                int a = int(lst[j]), b = int(lst[j + 1]);
                const int c = int(lst[j + 2]);
                if ((j - debut) % 2)
                    std::swap(a, b);
                if (a != b && b != c && a != c)
                    faces->push_back({a, b, c});
            }
            debut = k + 1;
        }
    }
    return Resultat::succes();
}

Resultat lirePLY(const char *donnees, std::size_t taille, const std::string &nom, std::vector<point3> &points,
                 std::vector<Face> *faces, const OptionsLecture &options)
{
    points.clear();
    if (faces)
        faces->clear();
    Entete entete;
    if (Resultat r = lireEntete(donnees, taille, nom, entete); !r)
        return r;
    Lecture l{donnees, donnees + entete.debutDonnees, donnees + taille, entete.format, nom, Raison()};
    bool sommets = false;
    for (const Element &el : entete.elements) {
        Resultat r = (el.nom == "vertex" && !sommets) ? lireSommets(l, el, points, options)
                                                      : passerElement(l, el, faces, points.size());
        sommets = sommets || el.nom == "vertex";
        if (!r) {
            points.clear();
            if (faces)
                faces->clear();
            return r;
        }
    }
    if (!sommets)
        return refus(nom, Raison(CodeRaison::SansCoordonnees, {::nom(nom), ::nom("vertex")}));
    if (entete.format != Format::Ascii && l.p < l.fin) {
        // Bytes past the last element: the counts of the header are wrong, and what they leave
        // out would be lost.
        points.clear();
        if (faces)
            faces->clear();
        return refus(nom, Raison(CodeRaison::OctetsApres, {::nom(nom), static_cast<std::size_t>(l.p - donnees),
                                                           static_cast<std::size_t>(l.fin - l.p)}));
    }
    if (entete.format == Format::Ascii) {
        while (l.p < l.fin && Lecture::tarnis_texte_blanc(*l.p))
            ++l.p;
        if (l.p < l.fin) {
            const char *e = l.p;
            while (e < l.fin && !Lecture::tarnis_texte_blanc(*e) && e - l.p < 24)
                ++e;
            const Raison quoi = std::any_of(l.p, e, [](char c) { return c >= 0 && c < ' '; })
                                    ? Raison(CodeRaison::OctetsDeControle)
                                    : ::nom(std::string(l.p, e));
            const std::size_t ligne = ligneDe(donnees, l.p);
            points.clear();
            if (faces)
                faces->clear();
            return refus(nom, Raison(CodeRaison::DonneesApres, {::nom(nom), ligne, quoi}));
        }
    }
    return Resultat::succes();
}

} // namespace

Resultat lireNuagePLY(const char *donnees, std::size_t taille, const std::string &nom, std::vector<point3> &points,
                      const OptionsLecture &options)
{
    return lirePLY(donnees, taille, nom, points, nullptr, options);
}

Resultat lireSurfacePLY(const char *donnees, std::size_t taille, const std::string &nom, std::vector<point3> &points,
                        const OptionsLecture &options)
{
    std::vector<Face> faces;
    Resultat r = lirePLY(donnees, taille, nom, points, &faces, options);
    if (!r) {
        // A cut or corrupt file is refused for what it is, not for the first face its bytes past
        // the cut would make: read as a cloud, it tells which.
        std::vector<point3> sommets;
        Resultat commeNuage = lirePLY(donnees, taille, nom, sommets, nullptr, options);
        return commeNuage ? r : commeNuage;
    }
    if (!faces.empty())
        points = nuageDeSurface(std::move(points), faces);
    return r;
}

Resultat lireMaillagePLY(const char *donnees, std::size_t taille, const std::string &nom, std::vector<point3> &sommets,
                         std::vector<Face> &faces)
{
    Resultat r = lirePLY(donnees, taille, nom, sommets, &faces, OptionsLecture());
    if (!r)
        r.statut = Statut::MaillageIllisible;
    return r;
}
