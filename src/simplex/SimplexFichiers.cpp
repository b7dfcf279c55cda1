// Simplex mesh files: SMM read and write, SM write, and the hand-off of OFF / OBJ files to the
// triangle-mesh readers.

#include "Simplex.h"

#include "MaillageTexte.h"
#include "Remplacement.h"
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
#include <memory>
#include <sstream>
#include <unordered_map>

namespace {

/// Whitespace-separated numbers read one by one from a file; every token must be a whole number.
/// Remembers the last token, for the reason of a refusal.
class LecteurNombres
{
public:
    explicit LecteurNombres(tarnis_texte::Lecteur &l) : lecteur(l) {}

    bool lireEntier(long long &valeur)
    {
        const char *d, *f;
        if (!jeton(d, f))
            return false;
        auto res = std::from_chars(d, f, valeur);
        return res.ec == std::errc() && res.ptr == f;
    }

    bool lireFloat(float &valeur)
    {
        const char *d, *f;
        if (!jeton(d, f))
            return false;
        auto res = std::from_chars(d, f, valeur, std::chars_format::general);
        return res.ec == std::errc() && res.ptr == f && std::isfinite(valeur);
    }

    /// Line (from 1, counted from the first line read) of the last token read.
    std::size_t ligne() const { return lecteur.ligneCourante(); }

    /// What stopped the last reading: the end of the file or the token that is not what was
    /// expected (`attendu` says so with the token as its argument).
    Raison arret(CodeRaison attendu) const
    {
        if (finie)
            return Raison(CodeRaison::FinDuFichier);
        if (std::any_of(dernier.begin(), dernier.end(), [](char b) { return b >= 0 && b < ' '; }))
            return Raison(CodeRaison::OctetsDeControle);
        return Raison(attendu, {nom(dernier)});
    }

private:
    bool jeton(const char *&d, const char *&f)
    {
        finie = !lecteur.lireJeton(d, f);
        if (finie)
            return false;
        dernier.assign(d, std::min<std::size_t>(static_cast<std::size_t>(f - d), 24));
        // A leading '+' is accepted as the formatted streams accept it.
        if (*d == '+' && f - d > 1 && d[1] != '-' && d[1] != '+')
            ++d;
        return true;
    }

    tarnis_texte::Lecteur &lecteur;
    std::string dernier;
    bool finie = false;
};

/// The content of an SMM file after its header line, checked before anything is built.
struct ContenuSMM
{
    std::vector<point3> positions;
    std::vector<std::array<int, 3>> voisins;
    std::vector<std::vector<int>> mailles;
};

/// Parses and validates the text after the header line as it reads it, and stops at the first
/// record that cannot be right; on failure returns false with the reason and, in `ligne`, the
/// line of the file where the reading stopped. `taille` is what is left of the file (bytes, or
/// -1 when unknown): counts it cannot hold are refused before any record is read. Asks the
/// progression once in a while (points, then cells); false with `interrompu` set when it says
/// stop.
bool lireSMM(tarnis_texte::Lecteur &texte, long long taille, ContenuSMM &contenu, Raison &raison, std::size_t &ligne,
             const Progression &progression, bool &interrompu)
{
    LecteurNombres lecteur(texte);
    auto refuser = [&](Raison r) {
        raison = std::move(r);
        ligne = 1 + lecteur.ligne();
        return false;
    };
    const CodeRaison entier = CodeRaison::PasUnEntier, reel = CodeRaison::PasUnReelFini;
    long long n = 0, m = 0;
    if (!lecteur.lireEntier(n) || !lecteur.lireEntier(m))
        return refuser(Raison(CodeRaison::ComptesIllisiblesCar, {lecteur.arret(entier)}));
    if (n < 0 || m < 0 || n > 0x7fffffff || m > 0x7fffffff)
        return refuser(Raison(CodeRaison::ComptesHorsLimitesLus, {n, m}));
    if (n == 0)
        return refuser(Raison(CodeRaison::AucunPointAnnonce, {m}));
    // A point record takes eleven bytes at least ("0 0 0 1 2 3" and a blank).
    if (taille >= 0 && n > taille / 11)
        return refuser(Raison(CodeRaison::FichierTropCourtPourLesPoints, {n, taille}));
    const std::size_t attendus = static_cast<std::size_t>(n);
    contenu.positions.reserve(attendus);
    contenu.voisins.reserve(attendus);
    SuiviProgression avancement(progression, Raison(CodeRaison::LectureDuSimplex), static_cast<std::size_t>(n + m));
    for (long long i = 0; i < n; ++i) {
        if (!avancement.avancer(static_cast<std::size_t>(i)))
            return !(interrompu = true);
        float c[3];
        long long j[3];
        for (int k = 0; k < 6; ++k) {
            const bool lu = k < 3 ? lecteur.lireFloat(c[k]) : lecteur.lireEntier(j[k - 3]);
            if (lu)
                continue;
            if (texte.finDesDonnees())
                return refuser(Raison(CodeRaison::FinDansLePoint, {n, i, i}));
            return refuser(Raison(CodeRaison::Point, {i, lecteur.arret(k < 3 ? reel : entier)}));
        }
        std::array<int, 3> voisins;
        for (int k = 0; k < 3; ++k) {
            if (j[k] < 0 || j[k] >= n)
                return refuser(Raison(CodeRaison::Point, {i, Raison(CodeRaison::IndiceDeVoisin, {j[k], n - 1})}));
            voisins[k] = static_cast<int>(j[k]);
        }
        contenu.positions.emplace_back(c[0], c[1], c[2]);
        contenu.voisins.push_back(voisins);
    }
    for (long long c = 0; c < m; ++c) {
        if (!avancement.avancer(static_cast<std::size_t>(n + c)))
            return !(interrompu = true);
        long long k = 0;
        if (!lecteur.lireEntier(k)) {
            if (texte.finDesDonnees())
                return refuser(Raison(CodeRaison::MaillesManquantes, {m, c}));
            return refuser(
                Raison(CodeRaison::Maille, {c, Raison(CodeRaison::TailleIllisibleCar, {lecteur.arret(entier)})}));
        }
        if (k < 0)
            return refuser(Raison(CodeRaison::Maille, {c, Raison(CodeRaison::TailleNegative, {k})}));
        if (contenu.mailles.size() == contenu.mailles.capacity())
            contenu.mailles.reserve(std::min<std::size_t>(static_cast<std::size_t>(m), 2 * contenu.mailles.size() + 16));
        std::vector<int> maille;
        // A cell of distinct points holds no more than the mesh has: no more is reserved.
        maille.reserve(static_cast<std::size_t>(std::min(k, n)));
        for (long long e = 0; e < k; ++e) {
            long long idx = 0;
            if (!lecteur.lireEntier(idx))
                return refuser(Raison(CodeRaison::MailleIncomplete, {c, k, e, lecteur.arret(entier)}));
            if (idx < 0 || idx >= n)
                return refuser(Raison(CodeRaison::Maille, {c, Raison(CodeRaison::IndiceDePoint, {idx, n - 1})}));
            maille.push_back(static_cast<int>(idx));
        }
        contenu.mailles.push_back(std::move(maille));
    }
    avancement.terminer();
    return true;
}

/// Opens the file (a regular file only) and reads its first line, at most 99 characters kept
/// and LIGNE_PLAUSIBLE looked at (tropLongue when it has no end within them); the rest of the
/// file is read only when the header asks for it. Null, with the reason, when the file cannot
/// be opened.
std::FILE *ouvrirAvecEntete(const std::string &nomFichier, std::string &entete, bool &tropLongue, Raison &raison,
                            bool &nonOrdinaire)
{
    std::FILE *f = tarnis_texte::ouvrirLecture(nomFichier, raison, &nonOrdinaire);
    if (!f)
        return nullptr;
    entete.clear();
    tropLongue = true;
    int c = 0;
    for (std::size_t lus = 0; lus <= tarnis_texte::LIGNE_PLAUSIBLE && (c = std::fgetc(f)) != EOF; ++lus) {
        if (c == '\n')
            break;
        if (entete.size() < 99)
            entete.push_back(static_cast<char>(c));
        else if (entete.compare(0, 2, "SM") != 0 && entete.compare(0, 3, "OFF") != 0)
            break; // not a mesh file: the rest of the line does not matter
    }
    tropLongue = c != '\n' && c != EOF;
    return f;
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
    bool nonOrdinaire = false, tropLongue = false;
    std::FILE *fichier = ouvrirAvecEntete(nomFichier, entete, tropLongue, raisonOuverture, nonOrdinaire);
    if (!fichier) {
        if (!nonOrdinaire)
            return illisible(Raison(CodeRaison::SimplexIllisible));
        return Resultat::echec(Statut::MaillageIllisible, raisonOuverture);
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> ferme(fichier, &std::fclose);
    const bool off = entete.compare(0, 3, "OFF") == 0;
    const bool smm = entete.compare(0, 3, "SMM") == 0;
    const bool sm = entete.compare(0, 2, "SM") == 0;
    if (entete.empty() && !off && !sm) {
        return illisible(Raison(CodeRaison::PremiereLigneVide));
    }
    if (!off && !sm) {
        std::cout << "Format incorrect" << std::endl;
        return illisible(Raison(CodeRaison::FormatIncorrect), 1);
    }
    if (off)
        return versLecteurTriangles(maillageOrigine.lireOFF(nomFichier, progression));
    if (tropLongue)
        return illisible(Raison(CodeRaison::EnteteSMMTropLong, {tarnis_texte::LIGNE_PLAUSIBLE}), 1);
    if (!smm)
        return illisible(Raison(CodeRaison::SMNonRelisible));

    // Only an SMM file is read further here, as it goes, in a window of the file.
    long long reste = -1;
    const long ici = std::ftell(fichier);
    if (ici >= 0 && std::fseek(fichier, 0, SEEK_END) == 0) {
        reste = std::ftell(fichier) - ici;
        std::fseek(fichier, ici, SEEK_SET);
    }
    tarnis_texte::Lecteur texte(fichier);
    texte.bornerJetons(tarnis_texte::LIGNE_PLAUSIBLE);
    ContenuSMM contenu;
    Raison raison;
    std::size_t ligne = 0;
    bool interrompu = false;
    if (!lireSMM(texte, reste, contenu, raison, ligne, progression, interrompu)) {
        if (interrompu)
            return Resultat::interrompu(Raison(CodeRaison::LectureDe, {litteral(nomFichier)}));
        return illisible(raison, ligne);
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
    if (format != 1 && format != 2)
        return Resultat::echec(Statut::ArgumentsIncorrects,
                               Raison(CodeRaison::FormatInconnu, {litteral(nomFichier), format}));
    EcritureRemplacante remplacante(nomFichier);
    std::ofstream fichier(remplacante.chemin(), std::ios::out | std::ios::trunc | std::ios::binary);
    if (!fichier) {
        return Resultat::echec(Statut::SortieImpossible,
                               Raison(CodeRaison::CreationImpossible, {nom(nomFichier)}));
    }

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

    if (!suivi.continuer())
        return Resultat::interrompu(phase);
    const std::string texte = sortie.str();
    fichier.write(texte.data(), static_cast<std::streamsize>(texte.size()));
    fichier.close();
    if (!fichier || !remplacante.remplacer()) {
        return Resultat::echec(Statut::SortieImpossible,
                               Raison(CodeRaison::EcritureEchouee, {nom(nomFichier)}));
    }
    std::cout << "Exportation terminee avec Succes" << std::endl;
    return Resultat::succes();
}
