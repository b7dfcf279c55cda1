// PTS point clouds: a line beginning with "PTS", the point count, then x y z triples
// separated by any white space.

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>

#include "Maillage.h"
#include "MaillageTexte.h"

using tarnis_texte::Ecrivain;
using tarnis_texte::Lecteur;

namespace {

const char *const ERREUR_LECTURE = "Erreur dans la fonction lecture_pt_interet";

/// First pass: signature and announced count. False when the signature is missing.
bool lireEntetePTS(Maillage &m, Lecteur &lecteur)
{
    std::string ligne;
    if (!lecteur.lireLigne(ligne))
        std::cout << ERREUR_LECTURE << std::endl;
    if (ligne.compare(0, 3, "PTS") != 0) {
        std::cout << "Format incorrect" << std::endl;
        return false;
    }
    int annonces = 0;
    if (lecteur.lireEntier(annonces))
        m.nbPointsInterets = annonces;
    else if (lecteur.finDesDonnees())
        std::cout << ERREUR_LECTURE << std::endl;
    return true;
}

/// Second pass: the points, after the first two lines. Reads at most the announced count
/// and stops at the end of the data or at the first thing that is not a number; a short
/// file is reported and keeps the points actually read. Never allocates on the strength
/// of the count alone: capacite bounds the reservation (0 when unknown).
void lirePointsPTS(Maillage &m, Lecteur &lecteur, long long capacite)
{
    std::string ligne;
    lecteur.lireLigne(ligne);
    lecteur.lireLigne(ligne);

    const long long annonces = std::max(m.nbPointsInterets, 0);
    if (capacite > 0)
        m.ListePointsInterets.reserve(m.ListePointsInterets.size() +
                                      static_cast<std::size_t>(std::min(annonces, capacite)));
    long long lus = 0;
    float x, y, z;
    while (lus < annonces && lecteur.lireFloat(x) && lecteur.lireFloat(y) && lecteur.lireFloat(z)) {
        m.ListePointsInterets.emplace_back(static_cast<double>(x), static_cast<double>(y),
                                           static_cast<double>(z));
        ++lus;
    }
    if (lus < annonces) {
        std::cout << "Fichier incomplet : " << annonces << " points annoncés, " << lus << " lus"
                  << std::endl;
        m.nbPointsInterets = static_cast<int>(lus);
    }
}

bool terminerLecturePTS(Maillage &m)
{
    if (!m.reconstruireKd())
        return false;
    m.calculerCentrePointsInterets();
    return true;
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

bool Maillage::lecture_pt_interet(const std::string &nomFichier)
{
    FermerFichier premier{std::fopen(nomFichier.c_str(), "r")};
    if (!premier.f) {
        std::cout << "Impossible de charger le fichier des points d interet" << std::endl;
        return false;
    }
    {
        Lecteur entete(premier.f);
        if (!lireEntetePTS(*this, entete))
            return false;
    }
    long long taille = -1;
    if (std::fseek(premier.f, 0, SEEK_END) == 0)
        taille = std::ftell(premier.f);

    FermerFichier second{std::fopen(nomFichier.c_str(), "r")};
    if (!second.f) {
        std::cerr << "Impossible d'ouvrir le fichier !" << std::endl;
        return false;
    }
    {
        // A point takes at least six bytes ("0 0 0\n").
        Lecteur donnees(second.f);
        lirePointsPTS(*this, donnees, taille > 0 ? taille / 6 + 1 : 0);
    }
    return terminerLecturePTS(*this);
}

bool Maillage::lecturePTSDepuisTexte(const char *texte, std::size_t taille)
{
    Lecteur entete(texte, taille);
    if (!lireEntetePTS(*this, entete))
        return false;
    Lecteur donnees(texte, taille);
    lirePointsPTS(*this, donnees, static_cast<long long>(taille / 6 + 1));
    return terminerLecturePTS(*this);
}

bool exporterPTS(const std::string &nomFichier, const std::vector<point3> &points)
{
    std::FILE *f = std::fopen(nomFichier.c_str(), "w");
    if (!f) {
        std::cerr << "Impossible d'ouvrir le fichier !" << std::endl;
        return false;
    }
    bool ok;
    {
        Ecrivain e(f);
        e.texte("PTS\n").entier(static_cast<long long>(points.size())).caractere('\n');
        for (const point3 &p : points)
            tarnis_texte::ecrirePoint(e, p).caractere('\n');
        ok = e.vider();
    }
    if (std::fclose(f) != 0)
        ok = false;
    return ok;
}
