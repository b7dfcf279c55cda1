// Triangle meshes in OFF and OBJ text files.

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

#include "Maillage.h"
#include "MaillageTexte.h"

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

std::string nomCite(const std::string &nom)
{
    return "« " + nom + " »";
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
Resultat bilanLecture(const std::string &nom, const std::string &incomplet, long refusees)
{
    if (!incomplet.empty())
        return Resultat::echec(Statut::MaillageIllisible, nomCite(nom) + " incomplet : " + incomplet);
    if (refusees > 0)
        return Resultat::echec(Statut::MaillageIllisible,
                               nomCite(nom) + " : " + std::to_string(refusees) +
                                   " faces refusées (indice de sommet hors de la liste des sommets)");
    return Resultat::succes();
}

/// One-based index of a file to a zero-based one; anything below 1 becomes -1.
int versIndice(int lu)
{
    return lu >= 1 ? lu - 1 : -1;
}

/// Reads an OFF text; refuse tells a file that is not OFF (nothing read) from one read in
/// whole or in part.
Resultat analyserOFF(Maillage &m, Lecteur &lecteur, const std::string &nom, bool &refuse)
{
    std::string ligne;
    lecteur.lireLigne(ligne);
    refuse = ligne.compare(0, 3, "OFF") != 0;
    if (refuse) {
        std::cout << "Format incorrect" << std::endl;
        return Resultat::echec(Statut::MaillageIllisible,
                               nomCite(nom) + " n'est pas un fichier OFF : la ligne 1 ne commence pas par « OFF »");
    }
    int annonces[3] = {0, 0, 0};
    bool entete = true;
    for (int &a : annonces)
        entete = entete && lecteur.lireEntier(a);
    m.nbSommets = annonces[0];
    m.nbFaces = annonces[1];
    m.nbAretes = annonces[2];
    std::cout << "Nombre de sommets = " << m.nbSommets << std::endl;
    std::cout << "Nombre de faces = " << m.nbFaces << std::endl;
    std::cout << "Lecture des coordonnees des sommets" << std::endl;

    // Read what is there: the counts bound the loops but never size an allocation.
    long long sommetsLus = 0;
    bool suite = entete;
    while (suite && sommetsLus < m.nbSommets) {
        double x, y, z;
        suite = lecteur.lireDouble(x) && lecteur.lireDouble(y) && lecteur.lireDouble(z);
        if (suite) {
            m.listeSommets.emplace_back(x, y, z);
            ++sommetsLus;
        }
    }
    std::cout << "Lecture des nbAretess des faces" << std::endl;
    long long facesLues = 0;
    while (suite && facesLues < m.nbFaces) {
        int nbCotes;
        Face f;
        suite = lecteur.lireEntier(nbCotes) && lecteur.lireEntier(f.s1) && lecteur.lireEntier(f.s2) &&
                lecteur.lireEntier(f.s3);
        if (suite) {
            m.nbAretes = nbCotes;
            m.listeFaces.push_back(f);
            ++facesLues;
        }
    }
    std::string incomplet;
    const std::string arret = " ; la lecture s'est arrêtée ligne " + std::to_string(lecteur.ligneCourante());
    if (!entete) {
        std::cout << "Fichier incomplet : nombres de sommets, de faces et d'arêtes absents" << std::endl;
        incomplet = "nombres de sommets, de faces et d'arêtes absents" + arret;
    }
    if (sommetsLus < m.nbSommets) {
        std::cout << "Fichier incomplet : " << m.nbSommets << " sommets annoncés, " << sommetsLus << " lus"
                  << std::endl;
        if (incomplet.empty())
            incomplet =
                std::to_string(m.nbSommets) + " sommets annoncés, " + std::to_string(sommetsLus) + " lus" + arret;
    }
    if (facesLues < m.nbFaces) {
        std::cout << "Fichier incomplet : " << m.nbFaces << " faces annoncées, " << facesLues << " lues" << std::endl;
        if (incomplet.empty())
            incomplet = std::to_string(m.nbFaces) + " faces annoncées, " + std::to_string(facesLues) + " lues" + arret;
    }
    const long refusees = refuserFacesHorsLimites(m);
    m.nbSommets = static_cast<int>(m.listeSommets.size());
    m.nbFaces = static_cast<int>(m.listeFaces.size());

    m.calculerBoiteEtCentre();
    std::cout << "chargement termine!" << std::endl;
    return bilanLecture(nom, incomplet, refusees);
}

/// After a '#': skips the rest of the line. A rest of 128 characters or more fails, and
/// the reading ends there.
bool sauterCommentaire(Lecteur &lecteur)
{
    int longueur = 0;
    for (;;) {
        int c = lecteur.lireCaractere();
        if (c < 0 || c == '\n')
            return true;
        if (++longueur >= 128)
            return false;
    }
}

/// One separator character, white space skipped before it.
bool lireSeparateur(Lecteur &lecteur)
{
    return lecteur.sauterBlancs() && lecteur.lireCaractere() >= 0;
}

Resultat analyserOBJ(Maillage &m, Lecteur &lecteur, const std::string &nom)
{
    std::string incomplet;
    bool texture = false;
    bool normales = false;
    for (;;) {
        const int c = lecteur.lireCaractere();
        if (c < 0)
            break;
        if (c == '#') {
            if (!sauterCommentaire(lecteur)) {
                incomplet = "commentaire trop long ligne " + std::to_string(lecteur.ligneCourante());
                break;
            }
        } else if (c == 'v') {
            const int d = lecteur.lireCaractere();
            if (d < 0)
                break;
            if (d == 't') {
                texture = true;
            } else if (d == 'n') {
                normales = true;
            } else {
                double x, y, z;
                if (!(lecteur.lireDouble(x) && lecteur.lireDouble(y) && lecteur.lireDouble(z))) {
                    incomplet = "sommet illisible ligne " + std::to_string(lecteur.ligneCourante());
                    break;
                }
                m.listeSommets.emplace_back(x, y, z);
                ++m.nbSommets;
            }
        } else if (c == 'f') {
            // Per vertex group: the vertex index, then one more index per flag set.
            const int extras = (texture ? 1 : 0) + (normales ? 1 : 0);
            int indices[3];
            bool ok = true;
            for (int k = 0; k < 3 && ok; ++k) {
                ok = lecteur.lireEntier(indices[k]);
                for (int e = 0; e < extras && ok; ++e) {
                    int ignore;
                    ok = lireSeparateur(lecteur) && lecteur.lireEntier(ignore);
                }
            }
            if (!ok) {
                incomplet = "face illisible ligne " + std::to_string(lecteur.ligneCourante());
                break;
            }
            Face f;
            f.s1 = versIndice(indices[0]);
            f.s2 = versIndice(indices[1]);
            f.s3 = versIndice(indices[2]);
            m.listeFaces.push_back(f);
            ++m.nbFaces;
        }
    }
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

Resultat lireFichierOFF(Maillage &m, const std::string &nom, bool &refuse)
{
    viderMaillage(m);
    FermerFichier fichier{std::fopen(nom.c_str(), "r")};
    refuse = !fichier.f;
    if (refuse) {
        std::cout << "Format incorrect" << std::endl;
        return Resultat::echec(Statut::MaillageIllisible, nomCite(nom) + " ne peut pas être ouvert");
    }
    Lecteur lecteur(fichier.f);
    return analyserOFF(m, lecteur, nom, refuse);
}

/// An unreadable file yields an empty mesh, with the usual console lines.
Resultat lireFichierOBJ(Maillage &m, const std::string &nom, bool &ouvert)
{
    viderMaillage(m);
    m.nbSommets = 0;
    m.nbFaces = 0;
    FermerFichier fichier{std::fopen(nom.c_str(), "r")};
    ouvert = fichier.f != nullptr;
    Lecteur lecteur(fichier.f);
    Resultat r = analyserOBJ(m, lecteur, nom);
    if (!ouvert)
        return Resultat::echec(Statut::MaillageIllisible, nomCite(nom) + " ne peut pas être ouvert");
    return r;
}

/// Creates the file, lets contenu write it, and says whether every byte reached it.
template <typename F> Resultat ecrireTexte(const std::string &nom, F &&contenu)
{
    std::FILE *f = std::fopen(nom.c_str(), "w");
    if (!f)
        return Resultat::echec(Statut::SortieImpossible, nomCite(nom) + " ne peut pas être créé");
    bool ok;
    {
        Ecrivain e(f);
        contenu(e);
        ok = e.vider();
    }
    if (std::fclose(f) != 0)
        ok = false;
    if (!ok)
        return Resultat::echec(Statut::SortieImpossible, "l'écriture de " + nomCite(nom) + " a échoué");
    return Resultat::succes();
}

} // namespace

Resultat Maillage::lireOFF(const std::string &nomFichier)
{
    bool refuse = false;
    return lireFichierOFF(*this, nomFichier, refuse);
}

bool Maillage::chargerOFF(const std::string &nomFichier)
{
    bool refuse = false;
    lireFichierOFF(*this, nomFichier, refuse);
    return !refuse;
}

bool Maillage::chargerOFFDepuisTexte(const char *texte, std::size_t taille)
{
    viderMaillage(*this);
    Lecteur lecteur(texte, taille);
    bool refuse = false;
    analyserOFF(*this, lecteur, "(texte)", refuse);
    return !refuse;
}

Resultat Maillage::lireOBJ(const std::string &nomFichier)
{
    bool ouvert = false;
    return lireFichierOBJ(*this, nomFichier, ouvert);
}

bool Maillage::chargerOBJ(const std::string &nomFichier)
{
    bool ouvert = false;
    lireFichierOBJ(*this, nomFichier, ouvert);
    return ouvert;
}

void Maillage::chargerOBJDepuisTexte(const char *texte, std::size_t taille)
{
    viderMaillage(*this);
    nbSommets = 0;
    nbFaces = 0;
    Lecteur lecteur(texte, taille);
    analyserOBJ(*this, lecteur, "(texte)");
}

Resultat Maillage::ecrireOFF(const std::string &nomFichier) const
{
    return ecrireTexte(nomFichier, [this](Ecrivain &e) {
        e.texte("OFF\n").entier(nbSommets).caractere(' ').entier(nbFaces).caractere(' ').entier(nbAretes);
        e.caractere('\n');
        for (const point3 &s : listeSommets)
            tarnis_texte::ecrirePoint(e, s).caractere('\n');
        for (const Face &fa : listeFaces) {
            e.texte("3 ").entier(fa.s1).caractere(' ').entier(fa.s2).caractere(' ').entier(fa.s3);
            e.caractere('\n');
        }
    });
}

Resultat Maillage::ecrireOBJ(const std::string &nomFichier) const
{
    return ecrireTexte(nomFichier, [this](Ecrivain &e) {
        e.texte("#\n#  OBJ generated by VELMORAXE\n#\n\n");
        for (const point3 &s : listeSommets)
            tarnis_texte::ecrirePoint(e.texte("v "), s).caractere('\n');
        for (const Face &fa : listeFaces) {
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
