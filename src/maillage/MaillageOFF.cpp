// Triangle meshes in OFF and OBJ text files.

#include <algorithm>
#include <charconv>
#include <limits>
#include <vector>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <iostream>
#include <string>

#include "Maillage.h"
#include "MaillageTexte.h"
#include "Remplacement.h"

using tarnis_texte::Ecrivain;
using tarnis_texte::Lecteur;

namespace {

struct FermerFichier
{
    std::FILE *f;
    ~FermerFichier()
    {
        if (f)
            std::fclose(f);
    }
};

bool dansLaListe(int i, std::size_t n)
{
    return i >= 0 && static_cast<std::size_t>(i) < n;
}

/// Drops the faces that name a vertex outside the list and says how many went.
long refuserFacesHorsLimites(Maillage &m)
{
    const std::size_t n = m.listeSommets.size();
    const auto debut = std::remove_if(m.listeFaces.begin(), m.listeFaces.end(), [n](const Face &f) {
        return !dansLaListe(f.s1, n) || !dansLaListe(f.s2, n) || !dansLaListe(f.s3, n);
    });
    const auto refusees = std::distance(debut, m.listeFaces.end());
    if (refusees > 0) {
        m.listeFaces.erase(debut, m.listeFaces.end());
        std::cout << "Faces refusées (indice de sommet hors de la liste des sommets) : " << refusees << std::endl;
    }
    return static_cast<long>(refusees);
}

/// Outcome of a reading that kept what it could: the first fault found, or success.
Resultat bilanLecture(const std::string &nom, const Raison &incomplet, long refusees)
{
    if (incomplet.code != CodeRaison::Aucune)
        return Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::Incomplet, {::nom(nom), incomplet}));
    if (refusees > 0)
        return Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::FacesRefusees, {::nom(nom), refusees}));
    return Resultat::succes();
}

/// Longest first line kept (the signature and, perhaps, the counts).
constexpr std::size_t LONGUEUR_ENTETE = 99;

/// Asks the progression, every 65536 records, how far into the file of `taille` bytes the
/// reading is; remembers a refusal.
struct SuiviLecture
{
    const Progression &progression;
    std::size_t taille = 0;
    std::size_t enregistrements = 0;
    bool arret = false;

    bool continuer(const Lecteur &lecteur)
    {
        if (!arret && (++enregistrements & 0xFFFF) == 0 && progression && taille > 0)
            arret = !progression(std::min(1.0, double(lecteur.position()) / double(taille)),
                                 Raison(CodeRaison::LectureDuMaillage));
        return !arret;
    }
};

/// Reads an OFF text; refuse tells a file that is not OFF (nothing read) from one read in
/// whole or in part.
Resultat analyserOFF(Maillage &m, Lecteur &lecteur, const std::string &nom, bool &refuse, SuiviLecture &suivi)
{
    std::string ligne;
    bool tropLongue = false;
    lecteur.lireLigneBornee(ligne, tarnis_texte::LIGNE_PLAUSIBLE, tropLongue);
    refuse = ligne.compare(0, 3, "OFF") != 0 || tropLongue;
    if (refuse) {
        std::cout << "Format incorrect" << std::endl;
        if (tropLongue)
            return Resultat::echec(Statut::MaillageIllisible,
                                   Raison(CodeRaison::OFFLigneTropLongue, {::nom(nom), tarnis_texte::LIGNE_PLAUSIBLE}));
        return Resultat::echec(Statut::MaillageIllisible, Raison(CodeRaison::PasUnFichierOFF, {::nom(nom)}));
    }
    // No number is longer than a line may plausibly be; '#' starts a comment anywhere.
    lecteur.bornerJetons(tarnis_texte::LIGNE_PLAUSIBLE);
    lecteur.sauterCommentaires();
    // The counts may follow "OFF" on its own line; elsewhere they come after it.
    int annonces[3] = {0, 0, 0};
    int surEntete = 0;
    Lecteur resteEntete(ligne.data() + 3, ligne.size() - 3);
    resteEntete.sauterCommentaires();
    while (surEntete < 3 && resteEntete.lireEntier(annonces[surEntete]))
        ++surEntete;
    bool entete = true;
    for (int k = surEntete; k < 3; ++k)
        entete = entete && lecteur.lireEntier(annonces[k]);
    for (int k = 0; entete && k < 3; ++k)
        if (annonces[k] < 0) {
            const CodeRaison quoi[] = {CodeRaison::SommetsNegatifs, CodeRaison::FacesNegatives,
                                       CodeRaison::AretesNegatives};
            const std::size_t ligneCompte = surEntete > k ? 1 : lecteur.ligneCourante();
            return Resultat::echec(Statut::MaillageIllisible, Raison(quoi[k], {::nom(nom), ligneCompte, annonces[k]}));
        }
    m.nbSommets = annonces[0];
    m.nbFaces = annonces[1];
    m.nbAretes = annonces[2];
    std::cout << "Nombre de sommets = " << m.nbSommets << std::endl;
    std::cout << "Nombre de faces = " << m.nbFaces << std::endl;
    std::cout << "Lecture des coordonnees des sommets" << std::endl;

    // Read what is there: the counts bound the loops but never size an allocation.
    long long sommetsLus = 0;
    bool suite = entete;
    while (suite && sommetsLus < m.nbSommets && suivi.continuer(lecteur)) {
        double x, y, z;
        suite = lecteur.lireDouble(x) && lecteur.lireDouble(y) && lecteur.lireDouble(z);
        if (suite) {
            m.listeSommets.emplace_back(x, y, z);
            ++sommetsLus;
        }
    }
    std::cout << "Lecture des nbAretess des faces" << std::endl;
    long long facesLues = 0;
    Raison mauvaiseFace;
    std::vector<int> coins;
    while (suite && facesLues < m.nbFaces && suivi.continuer(lecteur)) {
        int nbCotes = 0;
        suite = lecteur.lireEntier(nbCotes);
        if (suite && nbCotes < 3) {
            mauvaiseFace = Raison(CodeRaison::FaceTropPetite, {nbCotes, lecteur.ligneCourante()});
            break;
        }
        coins.clear();
        for (int k = 0; suite && k < nbCotes; ++k) {
            int c = 0;
            suite = lecteur.lireEntier(c);
            coins.push_back(c);
        }
        if (suite) {
            // A polygon becomes a fan of triangles round its first corner; what follows the
            // corners on the line (a colour) is passed over.
            std::string reste;
            lecteur.lireLigne(reste, 0);
            m.nbAretes = nbCotes;
            for (std::size_t k = 1; k + 1 < coins.size(); ++k)
                m.listeFaces.push_back(Face{coins[0], coins[k], coins[k + 1]});
            ++facesLues;
        }
    }
    if (suivi.arret)
        return Resultat::interrompu(Raison(CodeRaison::LectureDe, {::nom(nom)}));
    Raison incomplet;
    const std::size_t arret = lecteur.ligneCourante();
    const bool faceRefusee = mauvaiseFace.code != CodeRaison::Aucune;
    if (faceRefusee) {
        std::cout << "Face illisible : " << texte(mauvaiseFace) << std::endl;
        incomplet = mauvaiseFace;
    }
    if (!entete) {
        std::cout << "Fichier incomplet : nombres de sommets, de faces et d'arêtes absents" << std::endl;
        if (lecteur.finDesDonnees()) {
            incomplet = Raison(CodeRaison::ComptesOFFAbsents, {arret});
        } else {
            // Something is there, but not the counts: say what.
            const std::string jeton = lecteur.jetonSuivant();
            const bool binaire = std::any_of(jeton.begin(), jeton.end(), [](char b) { return b >= 0 && b < ' '; });
            m.nbSommets = m.nbFaces = m.nbAretes = 0;
            const std::size_t ici = lecteur.ligneCourante();
            return Resultat::echec(Statut::MaillageIllisible,
                                   binaire ? Raison(CodeRaison::ComptesOFFAttendusBinaire, {::nom(nom), ici})
                                           : Raison(CodeRaison::ComptesOFFAttendus, {::nom(nom), ici, ::nom(jeton)}));
        }
    }
    if (sommetsLus < m.nbSommets && incomplet.code == CodeRaison::Aucune) {
        std::cout << "Fichier incomplet : " << m.nbSommets << " sommets annoncés, " << sommetsLus << " lus"
                  << std::endl;
        incomplet = Raison(CodeRaison::SommetsManquants, {m.nbSommets, sommetsLus, arret});
    }
    if (facesLues < m.nbFaces && !faceRefusee) {
        std::cout << "Fichier incomplet : " << m.nbFaces << " faces annoncées, " << facesLues << " lues" << std::endl;
        if (incomplet.code == CodeRaison::Aucune)
            incomplet = Raison(CodeRaison::FacesManquantes, {m.nbFaces, facesLues, arret});
    }
    const long refusees = refuserFacesHorsLimites(m);
    m.nbSommets = static_cast<int>(m.listeSommets.size());
    m.nbFaces = static_cast<int>(m.listeFaces.size());

    m.calculerBoiteEtCentre();
    std::cout << "chargement termine!" << std::endl;
    return bilanLecture(nom, incomplet, refusees);
}

/// One corner of an OBJ face ("v", "v/t", "v//n", "v/t/n"): its vertex, zero-based. A negative
/// index counts back from the last vertex read so far. False when the corner is not one.
bool lireCoin(const char *debut, const char *fin, int sommetsLus, int &indice)
{
    if (debut < fin && *debut == '+')
        ++debut;
    long long v = 0;
    const auto r = std::from_chars(debut, fin, v);
    if (r.ec != std::errc() || (r.ptr != fin && *r.ptr != '/') || v == 0)
        return false;
    const long long i = v > 0 ? v - 1 : sommetsLus + v;
    indice = (i < 0 || i > std::numeric_limits<int>::max()) ? -1 : static_cast<int>(i);
    return true;
}

/// Longest statement line kept; a longer comment is skipped whole, a longer statement is cut.
constexpr std::size_t LONGUEUR_INSTRUCTION = std::size_t(1) << 20;

/// Reads an OBJ text statement by statement. Vertices ("v") and faces ("f") are kept; a face
/// of more than three corners becomes a fan of triangles round its first corner; every other
/// statement (vt, vn, vp, g, o, s, l, mtllib, usemtl, comments...) is passed over. The first
/// line that cannot be read is reported and passed over too.
Resultat analyserOBJ(Maillage &m, Lecteur &lecteur, const std::string &nom, SuiviLecture &suivi)
{
    Raison incomplet;
    std::string ligne;
    std::vector<int> coins;
    auto signaler = [&](CodeRaison quoi, std::size_t numero) {
        if (incomplet.code == CodeRaison::Aucune) {
            incomplet = Raison(quoi, {numero});
            std::cout << "Ligne illisible : " << texte(incomplet) << std::endl;
        }
    };
    std::size_t numero = 0;
    while (suivi.continuer(lecteur) && lecteur.lireLigne(ligne, LONGUEUR_INSTRUCTION)) {
        ++numero;
        const char *p = ligne.data();
        const char *fin = p + ligne.size();
        while (p < fin && tarnis_texte::estBlanc(*p))
            ++p;
        const char *motFin = p;
        while (motFin < fin && !tarnis_texte::estBlanc(*motFin))
            ++motFin;
        const std::string mot(p, motFin);
        if (mot == "v") {
            double c[3];
            Lecteur valeurs(motFin, static_cast<std::size_t>(fin - motFin));
            if (!(valeurs.lireDouble(c[0]) && valeurs.lireDouble(c[1]) && valeurs.lireDouble(c[2]))) {
                signaler(CodeRaison::SommetIllisible, numero);
                continue;
            }
            m.listeSommets.emplace_back(c[0], c[1], c[2]);
            ++m.nbSommets;
        } else if (mot == "f") {
            coins.clear();
            bool ok = true;
            for (const char *q = motFin; ok && q < fin;) {
                while (q < fin && tarnis_texte::estBlanc(*q))
                    ++q;
                const char *jetonFin = q;
                while (jetonFin < fin && !tarnis_texte::estBlanc(*jetonFin))
                    ++jetonFin;
                if (q == jetonFin)
                    break;
                int i = -1;
                ok = lireCoin(q, jetonFin, m.nbSommets, i);
                coins.push_back(i);
                q = jetonFin;
            }
            if (!ok) {
                signaler(CodeRaison::CoinIllisible, numero);
                continue;
            }
            if (coins.size() < 3) {
                signaler(CodeRaison::FaceDeMoinsDeTrois, numero);
                continue;
            }
            for (std::size_t k = 1; k + 1 < coins.size(); ++k) {
                m.listeFaces.push_back(Face{coins[0], coins[k], coins[k + 1]});
                ++m.nbFaces;
            }
        }
    }
    if (suivi.arret)
        return Resultat::interrompu(Raison(CodeRaison::LectureDe, {::nom(nom)}));
    const long refusees = refuserFacesHorsLimites(m);
    m.nbFaces = static_cast<int>(m.listeFaces.size());
    m.calculerBoiteEtCentre();
    std::cout << "chargement termine!" << std::endl;
    return bilanLecture(nom, incomplet, refusees);
}

void viderMaillage(Maillage &m)
{
    m.listeSommets.clear();
    m.listeFaces.clear();
}

/// Size of the file in bytes, 0 when unknown.
std::size_t tailleDe(const std::string &nom)
{
    std::error_code erreur;
    const auto taille = std::filesystem::file_size(nom, erreur);
    return erreur ? 0 : static_cast<std::size_t>(taille);
}

/// A reading stopped leaves an empty mesh.
Resultat viderSiInterrompu(Maillage &m, Resultat r)
{
    if (r.statut == Statut::Interrompu) {
        viderMaillage(m);
        m.nbSommets = m.nbFaces = 0;
    }
    return r;
}

Resultat lireFichierOFF(Maillage &m, const std::string &nom, bool &refuse, const Progression &progression = {})
{
    viderMaillage(m);
    Raison raison;
    FermerFichier fichier{tarnis_texte::ouvrirLecture(nom, raison)};
    refuse = !fichier.f;
    if (refuse) {
        std::cout << "Format incorrect" << std::endl;
        return Resultat::echec(Statut::MaillageIllisible, raison);
    }
    Lecteur lecteur(fichier.f);
    SuiviLecture suivi{progression, tailleDe(nom)};
    return viderSiInterrompu(m, analyserOFF(m, lecteur, nom, refuse, suivi));
}

/// An unreadable file yields an empty mesh, with the usual console lines.
Resultat lireFichierOBJ(Maillage &m, const std::string &nom, bool &ouvert, const Progression &progression = {})
{
    viderMaillage(m);
    m.nbSommets = 0;
    m.nbFaces = 0;
    Raison raison;
    FermerFichier fichier{tarnis_texte::ouvrirLecture(nom, raison)};
    ouvert = fichier.f != nullptr;
    Lecteur lecteur(fichier.f);
    SuiviLecture suivi{progression, ouvert ? tailleDe(nom) : 0};
    Resultat r = viderSiInterrompu(m, analyserOBJ(m, lecteur, nom, suivi));
    if (!ouvert)
        return Resultat::echec(Statut::MaillageIllisible, raison);
    return r;
}

/// Creates the file, lets contenu write it (reporting `total` units to the SuiviProgression it
/// is given), and says whether every byte reached it. A stop removes the file.
template <typename F>
Resultat ecrireTexte(const std::string &nom, const Progression &progression, std::size_t total, F &&contenu)
{
    EcritureRemplacante remplacante(nom);
    std::FILE *f = std::fopen(remplacante.chemin().c_str(), "w");
    if (!f)
        return Resultat::echec(Statut::SortieImpossible, Raison(CodeRaison::CreationImpossible, {::nom(nom)}));
    const Raison phase(CodeRaison::EcritureDe, {::nom(nom)});
    SuiviProgression suivi(progression, phase, total);
    bool ok;
    {
        Ecrivain e(f);
        contenu(e, suivi);
        ok = e.vider();
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

Resultat Maillage::lireOFF(const std::string &nomFichier, const Progression &progression)
{
    bool refuse = false;
    return lireFichierOFF(*this, nomFichier, refuse, progression);
}

bool Maillage::chargerOFF(const std::string &nomFichier)
{
    bool refuse = false;
    static_cast<void>(lireFichierOFF(*this, nomFichier, refuse));
    return !refuse;
}

bool Maillage::chargerOFFDepuisTexte(const char *texte, std::size_t taille)
{
    viderMaillage(*this);
    Lecteur lecteur(texte, taille);
    bool refuse = false;
    const Progression aucune;
    SuiviLecture suivi{aucune};
    static_cast<void>(analyserOFF(*this, lecteur, "(texte)", refuse, suivi));
    return !refuse;
}

Resultat Maillage::lireOBJ(const std::string &nomFichier, const Progression &progression)
{
    bool ouvert = false;
    return lireFichierOBJ(*this, nomFichier, ouvert, progression);
}

bool Maillage::chargerOBJ(const std::string &nomFichier)
{
    bool ouvert = false;
    static_cast<void>(lireFichierOBJ(*this, nomFichier, ouvert));
    return ouvert;
}

void Maillage::chargerOBJDepuisTexte(const char *texte, std::size_t taille)
{
    viderMaillage(*this);
    nbSommets = 0;
    nbFaces = 0;
    Lecteur lecteur(texte, taille);
    const Progression aucune;
    SuiviLecture suivi{aucune};
    static_cast<void>(analyserOBJ(*this, lecteur, "(texte)", suivi));
}

Resultat Maillage::ecrireOFF(const std::string &nomFichier, const Progression &progression) const
{
    const std::size_t n = listeSommets.size();
    return ecrireTexte(nomFichier, progression, n + listeFaces.size(), [this, n](Ecrivain &e, SuiviProgression &suivi) {
        e.texte("OFF\n").entier(nbSommets).caractere(' ').entier(nbFaces).caractere(' ').entier(nbAretes);
        e.caractere('\n');
        for (std::size_t i = 0; i < n && suivi.avancer(i); ++i)
            tarnis_texte::ecrirePoint(e, listeSommets[i]).caractere('\n');
        for (std::size_t i = 0; i < listeFaces.size() && suivi.avancer(n + i); ++i) {
            const Face &fa = listeFaces[i];
            e.texte("3 ").entier(fa.s1).caractere(' ').entier(fa.s2).caractere(' ').entier(fa.s3);
            e.caractere('\n');
        }
    });
}

Resultat Maillage::ecrireOBJ(const std::string &nomFichier, const Progression &progression) const
{
    const std::size_t n = listeSommets.size();
    return ecrireTexte(nomFichier, progression, n + listeFaces.size(), [this, n](Ecrivain &e, SuiviProgression &suivi) {
        e.texte("#\n#  OBJ generated by VELMORAXE\n#\n\n");
        for (std::size_t i = 0; i < n && suivi.avancer(i); ++i)
            tarnis_texte::ecrirePoint(e.texte("v "), listeSommets[i]).caractere('\n');
        for (std::size_t i = 0; i < listeFaces.size() && suivi.avancer(n + i); ++i) {
            const Face &fa = listeFaces[i];
            e.texte("f ").entier(static_cast<long long>(fa.s1) + 1).caractere(' ');
            e.entier(static_cast<long long>(fa.s2) + 1).caractere(' ');
            e.entier(static_cast<long long>(fa.s3) + 1).texte(" \n");
        }
        e.caractere('\n');
    });
}

bool Maillage::exporterOFF(const std::string &nomFichier) const
{
    return ecrireOFF(nomFichier).reussi();
}

bool Maillage::exporterOBJ(const std::string &nomFichier) const
{
    return ecrireOBJ(nomFichier).reussi();
}
