// Simplex mesh files: SMM read and write, SM write, and the hand-off of OFF / OBJ files to the
// triangle-mesh readers.

#include "Simplex.h"

#include "MaillageTexte.h"
#include "Resultat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <sstream>
#include <unordered_map>

namespace {

/// Whitespace-separated numbers of a text, read one by one; every token must be a whole number.
class LecteurNombres
{
public:
    LecteurNombres(const char *debut, const char *fin) : courant(debut), fin(fin) {}

    bool lireEntier(long long &valeur)
    {
        const char *d, *f;
        if (!jeton(d, f))
            return false;
        auto res = std::from_chars(d, f, valeur);
        return res.ec == std::errc() && res.ptr == f;
    }

    /// Where the reading stands (past the last token read).
    const char *position() const { return courant; }

    bool lireFloat(float &valeur)
    {
        const char *d, *f;
        if (!jeton(d, f))
            return false;
        auto res = std::from_chars(d, f, valeur, std::chars_format::general);
        return res.ec == std::errc() && res.ptr == f && std::isfinite(valeur);
    }

private:
    static bool blanc(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

    bool jeton(const char *&d, const char *&f)
    {
        while (courant < fin && blanc(*courant))
            ++courant;
        if (courant == fin)
            return false;
        d = courant;
        while (courant < fin && !blanc(*courant))
            ++courant;
        f = courant;
        // A leading '+' is accepted as the formatted streams accept it.
        if (*d == '+' && f - d > 1 && d[1] != '-' && d[1] != '+')
            ++d;
        return true;
    }

    const char *courant;
    const char *fin;
};

/// The content of an SMM file after its header line, checked before anything is built.
struct ContenuSMM
{
    std::vector<point3> positions;
    std::vector<std::array<int, 3>> voisins;
    std::vector<std::vector<int>> mailles;
};

/// Parses and validates the text after the header line; on failure returns false with the
/// reason and leaves `faute` where the reading stopped. Asks the progression once in a while
/// (points, then cells); false with `interrompu` set when it says stop.
bool lireSMM(const char *debut, const char *fin, ContenuSMM &contenu, Raison &raison, const char *&faute,
             const Progression &progression, bool &interrompu)
{
    LecteurNombres lecteur(debut, fin);
    auto refuser = [&](Raison r) {
        raison = std::move(r);
        faute = lecteur.position();
        return false;
    };
    long long n = 0, m = 0;
    if (!lecteur.lireEntier(n) || !lecteur.lireEntier(m))
        return refuser(Raison(CodeRaison::ComptesIllisibles));
    if (n < 0 || m < 0 || n > 0x7fffffff || m > 0x7fffffff)
        return refuser(Raison(CodeRaison::ComptesHorsLimites));
    // Every record takes at least two characters per number: never reserve more than that.
    const std::size_t plafond = static_cast<std::size_t>(fin - debut) / 12 + 1;
    const std::size_t attendus = std::min<std::size_t>(static_cast<std::size_t>(n), plafond);
    contenu.positions.reserve(attendus);
    contenu.voisins.reserve(attendus);
    SuiviProgression avancement(progression, Raison(CodeRaison::LectureDuSimplex), static_cast<std::size_t>(n + m));
    for (long long i = 0; i < n; ++i) {
        if (!avancement.avancer(static_cast<std::size_t>(i)))
            return !(interrompu = true);
        float x, y, z;
        long long j[3];
        if (!lecteur.lireFloat(x) || !lecteur.lireFloat(y) || !lecteur.lireFloat(z) || !lecteur.lireEntier(j[0]) ||
            !lecteur.lireEntier(j[1]) || !lecteur.lireEntier(j[2]))
            return refuser(Raison(CodeRaison::PointIllisible, {i}));
        std::array<int, 3> voisins;
        for (int k = 0; k < 3; ++k) {
            if (j[k] < 0 || j[k] >= n)
                return refuser(Raison(CodeRaison::Point, {i, Raison(CodeRaison::IndiceDeVoisin, {j[k], n - 1})}));
            voisins[k] = static_cast<int>(j[k]);
        }
        contenu.positions.emplace_back(x, y, z);
        contenu.voisins.push_back(voisins);
    }
    contenu.mailles.reserve(std::min<std::size_t>(static_cast<std::size_t>(m), plafond));
    for (long long c = 0; c < m; ++c) {
        if (!avancement.avancer(static_cast<std::size_t>(n + c)))
            return !(interrompu = true);
        long long k = 0;
        if (!lecteur.lireEntier(k) || k < 0)
            return refuser(Raison(CodeRaison::Maille, {c, Raison(CodeRaison::TailleIllisible)}));
        std::vector<int> maille;
        maille.reserve(std::min<std::size_t>(static_cast<std::size_t>(k), plafond));
        for (long long e = 0; e < k; ++e) {
            long long idx = 0;
            if (!lecteur.lireEntier(idx))
                return refuser(Raison(CodeRaison::MailleIllisible, {c}));
            if (idx < 0 || idx >= n)
                return refuser(Raison(CodeRaison::Maille, {c, Raison(CodeRaison::IndiceDePoint, {idx, n - 1})}));
            maille.push_back(static_cast<int>(idx));
        }
        contenu.mailles.push_back(std::move(maille));
    }
    avancement.terminer();
    return true;
}

/// Opens the file (a regular file only) and reads its first line, at most 99 characters kept;
/// the rest of the file is read only when the header asks for it. Null, with the reason, when
/// the file cannot be opened.
std::FILE *ouvrirAvecEntete(const std::string &nomFichier, std::string &entete, Raison &raison, bool &nonOrdinaire)
{
    std::FILE *f = tarnis_texte::ouvrirLecture(nomFichier, raison, &nonOrdinaire);
    if (!f)
        return nullptr;
    entete.clear();
    int c;
    while ((c = std::fgetc(f)) != EOF && c != '\n')
        if (entete.size() < 99)
            entete.push_back(static_cast<char>(c));
        else if (entete.compare(0, 2, "SM") != 0 && entete.compare(0, 3, "OFF") != 0)
            break; // not a mesh file: the rest of the line does not matter
    return f;
}

/// The rest of an open file.
std::string lireReste(std::FILE *f)
{
    std::string texte;
    char bloc[1 << 16];
    std::size_t n;
    while ((n = std::fread(bloc, 1, sizeof bloc, f)) > 0)
        texte.append(bloc, n);
    return texte;
}

/// Line number (from 1) of position `ici` in the text.
std::size_t ligneDe(const std::string &texte, const char *ici)
{
    return 1 + static_cast<std::size_t>(std::count(texte.data(), std::min(ici, texte.data() + texte.size()), '\n'));
}

bool finitPar(const std::string &nom, const char *suffixe)
{
    const std::size_t l = std::strlen(suffixe);
    return nom.size() >= l && nom.compare(nom.size() - l, l, suffixe) == 0;
}

/// Key of the record equality of PointSimplex (same neighbour pointers, same position).
struct CleEgalite
{
    const PointSimplex *p;
    bool operator==(const CleEgalite &o) const { return *p == *o.p; }
};

struct HacheEgalite
{
    std::size_t operator()(const CleEgalite &c) const
    {
        std::hash<const void *> hp;
        std::hash<double> hd;
        // + 0.0 folds -0 onto 0, which compare equal.
        std::size_t h = hp(c.p->Voisin1);
        for (std::size_t v : {hp(c.p->Voisin2), hp(c.p->Voisin3), hd(c.p->Position.x + 0.0), hd(c.p->Position.y + 0.0),
                              hd(c.p->Position.z + 0.0)})
            h = h * 1000003u ^ v;
        return h;
    }
};

} // namespace

int Simplex::charger(const std::string &nomFichier)
{
    bool versTriangles = false;
    const Resultat r = lireFichier(nomFichier, Progression(), versTriangles);
    // A file handed to the triangle-mesh readers counts as read, as it always has.
    return r.reussi() || versTriangles ? 1 : 0;
}

Resultat Simplex::lire(const std::string &nomFichier, const Progression &progression)
{
    bool versTriangles = false;
    return lireFichier(nomFichier, progression, versTriangles);
}

Resultat Simplex::lireFichier(const std::string &nomFichier, const Progression &progression, bool &versTriangles)
{
    std::cout << "Simplex::charger :  " << nomFichier << std::endl;
    auto illisible = [&](const Raison &raison, std::size_t ligne = 0) {
        return Resultat::echec(Statut::MaillageIllisible,
                               ligne ? Raison(CodeRaison::FichierLigne, {litteral(nomFichier), ligne, raison})
                                     : Raison(CodeRaison::Contexte, {litteral(nomFichier), raison}));
    };
    // The triangle readers' own outcome, with the file and line they name.
    auto versLecteurTriangles = [&](const Resultat &lu) {
        versTriangles = true;
        maillageTriangule = maillageOrigine;
        std::cout << "fin chargement et construction\n";
        return lu;
    };

    if (finitPar(nomFichier, ".obj"))
        return versLecteurTriangles(maillageOrigine.lireOBJ(nomFichier, progression));

    std::string entete;
    Raison raisonOuverture;
    bool nonOrdinaire = false;
    std::FILE *fichier = ouvrirAvecEntete(nomFichier, entete, raisonOuverture, nonOrdinaire);
    if (!fichier) {
        std::cerr << "Problème au chargement du fichier" << std::endl;
        if (!nonOrdinaire)
            return illisible(Raison(CodeRaison::SimplexIllisible));
        return Resultat::echec(Statut::MaillageIllisible, raisonOuverture);
    }
    const bool off = entete.compare(0, 3, "OFF") == 0;
    const bool smm = entete.compare(0, 3, "SMM") == 0;
    const bool sm = entete.compare(0, 2, "SM") == 0;
    // Only an SMM file is read further here.
    const std::string texte = smm ? lireReste(fichier) : std::string();
    std::fclose(fichier);
    if (entete.empty() && !off && !sm) {
        std::cerr << "Problème au chargement du fichier" << std::endl;
        return illisible(Raison(CodeRaison::PremiereLigneVide));
    }
    if (!off && !sm) {
        std::cerr << "Simplex::charger : Format incorrect" << std::endl;
        std::cout << "Format incorrect" << std::endl;
        return illisible(Raison(CodeRaison::FormatIncorrect), 1);
    }
    if (off)
        return versLecteurTriangles(maillageOrigine.lireOFF(nomFichier, progression));
    if (!smm)
        return illisible(Raison(CodeRaison::SMNonRelisible));

    const char *debut = texte.data();
    ContenuSMM contenu;
    Raison raison;
    const char *faute = debut;
    bool interrompu = false;
    if (!lireSMM(debut, texte.data() + texte.size(), contenu, raison, faute, progression, interrompu)) {
        if (interrompu)
            return Resultat::interrompu(Raison(CodeRaison::LectureDe, {litteral(nomFichier)}));
        std::cerr << "Simplex::charger : fichier SMM refusé (" << ::texte(raison) << "), le maillage reste inchangé"
                  << std::endl;
        return illisible(raison, 1 + ligneDe(texte, faute));
    }
    const Resultat construit = construire(contenu.positions, contenu.voisins, contenu.mailles);
    if (!construit)
        return illisible(construit.raison);
    return Resultat::succes();
}

bool Simplex::exporter(const std::string &nomFichier, int format)
{
    return ecrire(nomFichier, format).reussi();
}

Resultat Simplex::ecrire(const std::string &nomFichier, int format, const Progression &progression)
{
    std::ofstream fichier(nomFichier, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!fichier) {
        std::cerr << "Dans exporter creation impossible !" << std::endl;
        return Resultat::echec(Statut::SortieImpossible,
                               Raison(CodeRaison::SimplexCreationImpossible, {litteral(nomFichier)}));
    }
    if (format != 1 && format != 2)
        return Resultat::echec(Statut::ArgumentsIncorrects,
                               Raison(CodeRaison::FormatInconnu, {litteral(nomFichier), format}));

    // Index of the first record equal to a given one, as the format asks (-1 when none).
    std::unordered_map<CleEgalite, int, HacheEgalite> premier;
    premier.reserve(ListePointsSimplex.size());
    for (std::size_t i = 0; i < ListePointsSimplex.size(); ++i)
        premier.emplace(CleEgalite{ListePointsSimplex[i]}, static_cast<int>(i));
    auto indice = [&premier](const PointSimplex *p) {
        if (!p)
            return -1;
        auto it = premier.find(CleEgalite{p});
        return it == premier.end() ? -1 : it->second;
    };

    const Raison phase(CodeRaison::EcritureDe, {nom(nomFichier)});
    SuiviProgression suivi(progression, phase, ListePointsSimplex.size() + (format == 2 ? ListeMailles.size() : 0));
    std::size_t fait = 0;
    std::ostringstream sortie;
    if (format == 1)
        sortie << "SM\n" << ListePointsSimplex.size() << "\n";
    else
        sortie << "SMM\n" << ListePointsSimplex.size() << " " << ListeMailles.size() << "\n";
    for (const PointSimplex *p : ListePointsSimplex) {
        if (!suivi.avancer(fait++))
            break;
        sortie << p->Position.x << " " << p->Position.y << " " << p->Position.z << " " << indice(p->Voisin1) << " "
               << indice(p->Voisin2) << " " << indice(p->Voisin3) << "\n";
    }
    if (format == 2)
        for (const Maille *maille : ListeMailles) {
            if (!suivi.avancer(fait++))
                break;
            sortie << maille->size() << " ";
            for (const PointSimplex *p : *maille)
                sortie << indice(p) << " ";
            sortie << "\n";
        }

    if (!suivi.continuer()) {
        fichier.close();
        std::remove(nomFichier.c_str());
        return Resultat::interrompu(phase);
    }
    const std::string texte = sortie.str();
    fichier.write(texte.data(), static_cast<std::streamsize>(texte.size()));
    fichier.close();
    if (!fichier) {
        std::cerr << "Dans exporter ecriture impossible !" << std::endl;
        return Resultat::echec(Statut::SortieImpossible,
                               Raison(CodeRaison::SimplexEcritureImpossible, {litteral(nomFichier)}));
    }
    std::cout << "Exportation terminee avec Succes" << std::endl;
    return Resultat::succes();
}
