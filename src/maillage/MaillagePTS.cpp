// PTS point clouds: a line beginning with "PTS", the point count, then x y z triples
// separated by any white space.

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cstdio>
#include <iostream>
#include <limits>
#include <string>

#include "Maillage.h"
#include "MaillageTexte.h"
#include "NuageCommun.h"
#include "Remplacement.h"

using tarnis_texte::Ecrivain;
using tarnis_texte::Lecteur;

namespace {

const char *const ERREUR_LECTURE = "Erreur dans la fonction lecture_pt_interet";

/// Longest first line kept: the signature is looked at before anything else is read.
constexpr std::size_t LONGUEUR_ENTETE = 99;

/// What a failed number reading stopped at, for the reason: the end of the file, or the text
/// found where a number was expected.
Raison ceQuiArrete(Lecteur &lecteur, CodeRaison horsLimites = CodeRaison::HorsDeLaSimplePrecision)
{
    if (lecteur.finDesDonnees())
        return Raison(CodeRaison::FinDuFichier);
    const std::string jeton = lecteur.jetonSuivant();
    if (std::any_of(jeton.begin(), jeton.end(), [](char b) { return b >= 0 && b < ' '; }))
        return Raison(CodeRaison::OctetsDeControle);
    const char c = jeton.empty() ? ' ' : jeton[jeton[0] == '-' || jeton[0] == '+' ? 1 : 0];
    if ((c >= '0' && c <= '9') || c == '.')
        return Raison(horsLimites, {nom(jeton)});
    return Raison(CodeRaison::PasUnNombre, {nom(jeton)});
}

/// First pass: signature and announced count. A refusal when the signature is missing.
/// The count is the one of this file only: an unreadable count leaves 0, never a previous one.
/// suiteLigne2 gets what follows the count on its line (the format reads the points from line 3).
Resultat lireEntetePTS(Maillage &m, Lecteur &lecteur, const std::string &nom, bool &refuse, long long &annonces,
                       std::string &suiteLigne2)
{
    std::string ligne;
    bool tropLongue = false;
    lecteur.bornerJetons(tarnis_texte::LIGNE_PLAUSIBLE);
    if (!lecteur.lireLigneBornee(ligne, tarnis_texte::LIGNE_PLAUSIBLE, tropLongue))
        std::cout << ERREUR_LECTURE << std::endl;
    refuse = ligne.compare(0, 3, "PTS") != 0 || tropLongue;
    m.nbPointsInterets = 0;
    m.pointsAuDela = 0;
    annonces = 0;
    if (refuse) {
        std::cout << "Format incorrect" << std::endl;
        if (tropLongue)
            return Resultat::echec(Statut::NuageIllisible,
                                   Raison(CodeRaison::PTSLigneTropLongue, {::nom(nom), tarnis_texte::LIGNE_PLAUSIBLE}));
        return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::PasUnFichierPTS, {::nom(nom)}));
    }
    // The count is a whole token: "1e12" or "400abc" is not read as 1 or 400.
    const std::string jeton = lecteur.jetonSuivant(40);
    const char *debut = jeton.c_str() + (jeton.size() > 1 && jeton[0] == '+' ? 1 : 0);
    const auto entier = std::from_chars(debut, jeton.c_str() + jeton.size(), annonces);
    if (!jeton.empty() && entier.ec == std::errc() && entier.ptr != jeton.c_str() + jeton.size()) {
        annonces = 0;
        return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::NombrePointsIllisible,
                                                              {::nom(nom), lecteur.ligneCourante(),
                                                               Raison(CodeRaison::PasUnEntier, {::nom(jeton)})}));
    }
    if (!lecteur.lireEntier(annonces)) {
        annonces = 0;
        if (lecteur.finDesDonnees())
            std::cout << ERREUR_LECTURE << std::endl;
        return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::NombrePointsIllisible,
                                                              {::nom(nom), lecteur.ligneCourante(),
                                                               ceQuiArrete(lecteur, CodeRaison::HorsDesEntiers)}));
    }
    if (annonces < 0) {
        const long long lu = annonces;
        annonces = 0;
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::NombrePointsNegatif, {::nom(nom), lecteur.ligneCourante(), lu}));
    }
    m.nbPointsInterets = static_cast<int>(std::min<long long>(annonces, std::numeric_limits<int>::max()));
    bool suiteTropLongue = false;
    lecteur.lireLigneBornee(suiteLigne2, 40, suiteTropLongue);
    const auto blanc = suiteLigne2.find_last_not_of(" \t\r\v\f");
    suiteLigne2.resize(blanc == std::string::npos ? 0 : blanc + 1);
    suiteLigne2.erase(0, std::min(suiteLigne2.size(), suiteLigne2.find_first_not_of(" \t\r\v\f")));
    return Resultat::succes();
}

/// Second pass: the points, after the first two lines. Reads at most the announced count
/// and stops at the end of the data or at the first thing that is not a number; a short
/// file is reported and keeps the points actually read. Never allocates on the strength
/// of the count alone: capacite bounds the reservation (0 when unknown). A stop asked
/// through the progression takes the list back to what it held before. Numbers beyond the
/// count are counted, not read: m.pointsAuDela.
Resultat lirePointsPTS(Maillage &m, Lecteur &lecteur, long long annonces, long long capacite, long long tailleFichier,
                       const std::string &nom, const Progression &progression, const std::string &suiteLigne2 = "")
{
    std::string ligne;
    lecteur.lireLigne(ligne, LONGUEUR_ENTETE);
    lecteur.lireLigne(ligne, LONGUEUR_ENTETE);

    const std::size_t avant = m.ListePointsInterets.size();
    if (capacite > 0)
        m.ListePointsInterets.reserve(avant + static_cast<std::size_t>(std::min(annonces, capacite)));
    long long lus = 0;
    double x, y, z;
    // Kept in double, as written; the range stays the single precision one PTS has always had.
    const double limite = tarnis_nuage::limiteSimplePrecision();
    while (lus < annonces && lecteur.lireDouble(x, limite) && lecteur.lireDouble(y, limite) &&
           lecteur.lireDouble(z, limite)) {
        m.ListePointsInterets.emplace_back(x, y, z);
        ++lus;
        if ((lus & 0xFFFF) == 0 && progression && tailleFichier > 0 &&
            !progression(double(lecteur.position()) / double(tailleFichier), Raison(CodeRaison::LectureDuNuage))) {
            m.ListePointsInterets.resize(avant);
            return Resultat::interrompu(Raison(CodeRaison::LectureDe, {::nom(nom)}));
        }
    }
    if (lus < annonces) {
        std::cout << "Fichier incomplet : " << annonces << " points annoncés, " << lus << " lus" << std::endl;
        m.nbPointsInterets = static_cast<int>(std::min<long long>(lus, std::numeric_limits<int>::max()));
        const std::size_t ligneArret = lecteur.ligneCourante();
        Raison manquants =
            suiteLigne2.empty()
                ? Raison(CodeRaison::PointsManquants, {annonces, lus, ligneArret, lus + 1, ceQuiArrete(lecteur)})
                : Raison(CodeRaison::PointsManquantsSuiteLigne2,
                         {annonces, lus, ligneArret, lus + 1, ceQuiArrete(lecteur), ::nom(suiteLigne2)});
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::Incomplet, {::nom(nom), std::move(manquants)}));
    }
    // What follows the count, on its line or after the points, is there but not read: it is
    // counted, for the caller to say so.
    long long nombres = 0;
    Lecteur ligne2(suiteLigne2.data(), suiteLigne2.size());
    for (float v; ligne2.lireFloat(v);)
        ++nombres;
    for (float v; lecteur.lireFloat(v);)
        if ((++nombres & 0xFFFFF) == 0 && progression && tailleFichier > 0 &&
            !progression(double(lecteur.position()) / double(tailleFichier), Raison(CodeRaison::LectureDuNuage))) {
            m.ListePointsInterets.resize(avant);
            return Resultat::interrompu(Raison(CodeRaison::LectureDe, {::nom(nom)}));
        }
    m.pointsAuDela = (nombres + 2) / 3;
    return Resultat::succes();
}

Resultat terminerLecturePTS(Maillage &m, Resultat r, const Progression &progression = {})
{
    if (r.statut == Statut::Interrompu)
        return r;
    if (const Resultat arbre = m.construireKd(progression); !arbre) {
        if (arbre.statut == Statut::Interrompu)
            m.viderPointsInterets();
        return arbre;
    }
    m.calculerCentrePointsInterets();
    return r;
}

struct FermerFichier
{
    std::FILE *f;
    ~FermerFichier()
    {
        if (f)
            std::fclose(f);
    }
};

} // namespace

/// The points of a regular file, by blocks on every core: Echec (nothing changed) when the file
/// is not regular enough for it (a token that is not exactly one number, fewer points than
/// announced, no mapping), and the sequential reader then reads it and says why.
static Resultat lirePTSEnBlocs(Maillage &m, const std::string &nomFichier, long long annonces,
                               const std::string &suiteLigne2, const Progression &progression)
{
    // Line 3 must start as the usual file does before the whole file is read in: a header
    // followed by a gigabyte of anything else is refused from its first bytes, by the other reader.
    auto donnees = [](const tarnis_nuage::Projection &f) {
        const char *p = f.donnees, *fin = p + f.taille;
        for (int ligne = 0; ligne < 2 && p < fin; ++ligne) {
            const void *nl = std::memchr(p, '\n', static_cast<std::size_t>(fin - p));
            p = nl ? static_cast<const char *>(nl) + 1 : fin;
        }
        return p;
    };
    {
        tarnis_nuage::Projection essai;
        if (!essai.ouvrir(nomFichier, Statut::NuageIllisible, false) ||
            !tarnis_nuage::debutPTSRegulier(donnees(essai), essai.donnees + essai.taille))
            return Resultat::echec(Statut::Echec, Raison());
    }
    tarnis_nuage::Projection fichier;
    if (!fichier.ouvrir(nomFichier, Statut::NuageIllisible))
        return Resultat::echec(Statut::Echec, Raison());
    const char *p = donnees(fichier), *fin = fichier.donnees + fichier.taille;
    long long auDela = 0;
    const std::size_t avant = m.ListePointsInterets.size();
    const bool lus = tarnis_nuage::lirePointsPTSEnBlocs(p, fin, annonces, m.ListePointsInterets, auDela);
    if (fichier.change()) {
        m.ListePointsInterets.resize(avant);
        m.nbPointsInterets = 0;
        return tarnis_nuage::fichierChange(nomFichier, Statut::NuageIllisible);
    }
    if (!lus)
        return Resultat::echec(Statut::Echec, Raison());
    Lecteur ligne2(suiteLigne2.data(), suiteLigne2.size());
    for (float v; ligne2.lireFloat(v);)
        ++auDela;
    m.pointsAuDela = (auDela + 2) / 3;
    if (progression && !progression(0.9, Raison(CodeRaison::LectureDuNuage))) {
        m.ListePointsInterets.resize(m.ListePointsInterets.size() - static_cast<std::size_t>(annonces));
        return Resultat::interrompu(Raison(CodeRaison::LectureDe, {::nom(nomFichier)}));
    }
    return Resultat::succes();
}

/// refuse tells a file that cannot be opened or is not PTS (false from the specified reader)
/// from one read in whole or in part.
static Resultat lireFichierPTS(Maillage &m, const std::string &nomFichier, const Progression &progression, bool &refuse)
{
    refuse = true;
    Raison raison;
    FermerFichier premier{tarnis_texte::ouvrirLecture(nomFichier, raison)};
    if (!premier.f) {
        std::cout << "Impossible de charger le fichier des points d interet" << std::endl;
        return Resultat::echec(Statut::NuageIllisible, raison);
    }
    long long annonces = 0;
    std::string suiteLigne2;
    {
        // A small window: a file that is not PTS is refused after its first bytes.
        Lecteur entete(premier.f, 4096);
        Resultat r = lireEntetePTS(m, entete, nomFichier, refuse, annonces, suiteLigne2);
        if (!r)
            return r;
    }
    long long taille = -1;
    if (std::fseek(premier.f, 0, SEEK_END) == 0)
        taille = std::ftell(premier.f);
    if (Resultat r = lirePTSEnBlocs(m, nomFichier, annonces, suiteLigne2, progression); r.statut != Statut::Echec) {
        refuse = false;
        return r.statut == Statut::Interrompu ? r : terminerLecturePTS(m, r, sousProgression(progression, 0.9, 1));
    }

    FermerFichier second{tarnis_texte::ouvrirLecture(nomFichier, raison)};
    if (!second.f) {
        refuse = true;
        return Resultat::echec(Statut::NuageIllisible, raison);
    }
    Resultat r;
    {
        // A point takes at least six bytes ("0 0 0\n").
        Lecteur donnees(second.f);
        r = lirePointsPTS(m, donnees, annonces, taille > 0 ? taille / 6 + 1 : 0, taille, nomFichier,
                          sousProgression(progression, 0, 0.9), suiteLigne2);
    }
    refuse = false;
    return terminerLecturePTS(m, std::move(r), sousProgression(progression, 0.9, 1));
}

Resultat Maillage::lirePTS(const std::string &nomFichier, const Progression &progression)
{
    bool refuse = false;
    return lireFichierPTS(*this, nomFichier, progression, refuse);
}

bool Maillage::lecture_pt_interet(const std::string &nomFichier)
{
    bool refuse = false;
    static_cast<void>(lireFichierPTS(*this, nomFichier, {}, refuse));
    return !refuse;
}

bool Maillage::lecturePTSDepuisTexte(const char *texte, std::size_t taille)
{
    const std::string nom = "(texte)";
    Lecteur entete(texte, taille);
    bool refuse = false;
    long long annonces = 0;
    std::string suiteLigne2;
    Resultat r = lireEntetePTS(*this, entete, nom, refuse, annonces, suiteLigne2);
    if (!r)
        return !refuse;
    Lecteur donnees(texte, taille);
    r = lirePointsPTS(*this, donnees, annonces, static_cast<long long>(taille / 6 + 1), -1, nom, {}, suiteLigne2);
    static_cast<void>(terminerLecturePTS(*this, std::move(r)));
    return true;
}

Resultat ecrirePTS(const std::string &nomFichier, const std::vector<point3> &points, const Progression &progression)
{
    EcritureRemplacante remplacante(nomFichier);
    std::FILE *f = std::fopen(remplacante.chemin().c_str(), "w");
    if (!f) {
        return Resultat::echec(Statut::SortieImpossible, Raison(CodeRaison::CreationImpossible, {nom(nomFichier)}));
    }
    bool ok;
    SuiviProgression suivi(progression, Raison(CodeRaison::EcritureDe, {nom(nomFichier)}), points.size());
    {
        Ecrivain e(f);
        e.texte("PTS\n").entier(static_cast<long long>(points.size())).caractere('\n');
        for (std::size_t i = 0; i < points.size() && suivi.avancer(i); ++i)
            tarnis_texte::ecrirePoint(e, points[i]).caractere('\n');
        ok = e.vider();
    }
    if (std::fclose(f) != 0)
        ok = false;
    if (!suivi.continuer())
        return Resultat::interrompu(Raison(CodeRaison::EcritureDe, {nom(nomFichier)}));
    if (!ok || !remplacante.remplacer())
        return Resultat::echec(Statut::SortieImpossible, Raison(CodeRaison::EcritureEchouee, {nom(nomFichier)}));
    return Resultat::succes();
}

bool exporterPTS(const std::string &nomFichier, const std::vector<point3> &points)
{
    return ecrirePTS(nomFichier, points).reussi();
}
