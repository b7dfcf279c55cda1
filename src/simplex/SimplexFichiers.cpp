// Simplex mesh files: SMM read and write, SM write, and the hand-off of OFF / OBJ files to the
// triangle-mesh readers.

#include "Simplex.h"

#include <charconv>
#include <cmath>
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

    bool lireFloat(float &valeur)
    {
        const char *d, *f;
        if (!jeton(d, f))
            return false;
        auto res = std::from_chars(d, f, valeur, std::chars_format::general);
        return res.ec == std::errc() && res.ptr == f && std::isfinite(valeur);
    }

private:
    static bool blanc(char c)
    {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }

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

struct PointLu
{
    float x, y, z;
    int voisins[3];
};

/// The content of an SMM file after its header line, checked before anything is built.
struct ContenuSMM
{
    std::vector<PointLu> points;
    std::vector<std::vector<int>> mailles;
};

/// Parses and validates; on failure returns false with the reason.
bool lireSMM(const char *debut, const char *fin, ContenuSMM &contenu, std::string &raison)
{
    LecteurNombres lecteur(debut, fin);
    long long n = 0, m = 0;
    if (!lecteur.lireEntier(n) || !lecteur.lireEntier(m))
    {
        raison = "nombres de points et de mailles illisibles";
        return false;
    }
    if (n < 0 || m < 0 || n > 0x7fffffff || m > 0x7fffffff)
    {
        raison = "nombre de points ou de mailles négatif ou trop grand";
        return false;
    }
    // Every record takes at least two characters per number: never reserve more than that.
    const std::size_t plafond = static_cast<std::size_t>(fin - debut) / 12 + 1;
    contenu.points.reserve(std::min<std::size_t>(static_cast<std::size_t>(n), plafond));
    for (long long i = 0; i < n; ++i)
    {
        PointLu p;
        long long j[3];
        if (!lecteur.lireFloat(p.x) || !lecteur.lireFloat(p.y) || !lecteur.lireFloat(p.z) ||
            !lecteur.lireEntier(j[0]) || !lecteur.lireEntier(j[1]) || !lecteur.lireEntier(j[2]))
        {
            raison = "point " + std::to_string(i) + " incomplet ou illisible";
            return false;
        }
        for (int k = 0; k < 3; ++k)
        {
            if (j[k] < 0 || j[k] >= n)
            {
                raison = "point " + std::to_string(i) + " : indice de voisin " +
                         std::to_string(j[k]) + " hors de 0.." + std::to_string(n - 1);
                return false;
            }
            p.voisins[k] = static_cast<int>(j[k]);
        }
        contenu.points.push_back(p);
    }
    contenu.mailles.reserve(std::min<std::size_t>(static_cast<std::size_t>(m), plafond));
    for (long long c = 0; c < m; ++c)
    {
        long long k = 0;
        if (!lecteur.lireEntier(k) || k < 0)
        {
            raison = "maille " + std::to_string(c) + " : taille illisible ou négative";
            return false;
        }
        std::vector<int> maille;
        maille.reserve(std::min<std::size_t>(static_cast<std::size_t>(k), plafond));
        for (long long e = 0; e < k; ++e)
        {
            long long idx = 0;
            if (!lecteur.lireEntier(idx))
            {
                raison = "maille " + std::to_string(c) + " incomplète ou illisible";
                return false;
            }
            if (idx < 0 || idx >= n)
            {
                raison = "maille " + std::to_string(c) + " : indice de point " +
                         std::to_string(idx) + " hors de 0.." + std::to_string(n - 1);
                return false;
            }
            maille.push_back(static_cast<int>(idx));
        }
        contenu.mailles.push_back(std::move(maille));
    }
    return true;
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
        for (std::size_t v : {hp(c.p->Voisin2), hp(c.p->Voisin3), hd(c.p->Position.x + 0.0),
                              hd(c.p->Position.y + 0.0), hd(c.p->Position.z + 0.0)})
            h = h * 1000003u ^ v;
        return h;
    }
};

} // namespace

int Simplex::charger(const std::string &nomFichier)
{
    std::cout << "Simplex::charger :  " << nomFichier << std::endl;
    raisonChargement.clear();

    if (finitPar(nomFichier, ".obj"))
    {
        maillageOrigine.chargerOBJ(nomFichier);
        maillageTriangule = maillageOrigine;
        std::cout << "fin chargement et construction\n";
        return 1;
    }

    std::string texte;
    {
        std::ifstream fichier(nomFichier, std::ios::binary);
        if (fichier)
            texte.assign(std::istreambuf_iterator<char>(fichier), std::istreambuf_iterator<char>());
    }
    const std::size_t finLigne = std::min(texte.find('\n'), texte.size());
    const std::string entete = texte.substr(0, std::min<std::size_t>(finLigne, 99));
    if (entete.empty())
    {
        std::cerr << "Problème au chargement du fichier" << std::endl;
        raisonChargement = "fichier absent, illisible ou vide";
        return 0;
    }
    const bool off = entete.compare(0, 3, "OFF") == 0;
    const bool smm = entete.compare(0, 3, "SMM") == 0;
    const bool sm = entete.compare(0, 2, "SM") == 0;
    if (!off && !sm)
    {
        std::cerr << "Simplex::charger : Format incorrect" << std::endl;
        std::cout << "Format incorrect" << std::endl;
        raisonChargement = "format incorrect (la première ligne doit commencer par OFF, SM ou SMM)";
        return 0;
    }
    if (off)
    {
        maillageOrigine.chargerOFF(nomFichier);
        maillageTriangule = maillageOrigine;
        std::cout << "fin chargement et construction\n";
        return 1;
    }
    if (!smm)
    {
        raisonChargement = "un fichier SM ne se relit pas (il ne contient pas les mailles)";
        return 0;
    }

    const char *debut = texte.data() + std::min(finLigne + 1, texte.size());
    ContenuSMM contenu;
    std::string raison;
    if (!lireSMM(debut, texte.data() + texte.size(), contenu, raison))
    {
        std::cerr << "Simplex::charger : fichier SMM refusé (" << raison
                  << "), le maillage reste inchangé" << std::endl;
        raisonChargement = raison;
        return 0;
    }

    // Every list the read refills is emptied, so that the companion lists line up with the
    // new mesh; records and cells no list refers to any more are released.
    std::vector<PointSimplex *> anciens;
    for (auto *liste : {&ListePointsSimplex, &ListePointsSuivants, &ListePointsInitiaux,
                        &ListePointsPrecedents})
        anciens.insert(anciens.end(), liste->begin(), liste->end());
    std::vector<Maille *> anciennes(ListeMailles);
    anciennes.insert(anciennes.end(), ListeMaillesSuivantes.begin(), ListeMaillesSuivantes.end());
    ListePointsSimplex.clear();
    ListePointsSuivants.clear();
    ListePointsInitiaux.clear();
    ListeMailles.clear();
    ListePointsPrecedents.clear();
    ListeMaillesSuivantes.clear();
    libererOrphelins(anciens, anciennes);

    const std::size_t n = contenu.points.size();
    for (auto *liste : {&ListePointsInitiaux, &ListePointsSimplex, &ListePointsSuivants,
                        &ListePointsPrecedents})
        liste->reserve(n);
    for (const PointLu &p : contenu.points)
    {
        const point3 position(p.x, p.y, p.z);
        ListePointsInitiaux.push_back(new PointSimplex(position, nullptr, nullptr, nullptr));
        ListePointsSimplex.push_back(new PointSimplex(position, nullptr, nullptr, nullptr));
        ListePointsSuivants.push_back(new PointSimplex(position, nullptr, nullptr, nullptr));
        ListePointsPrecedents.push_back(new PointSimplex(position, nullptr, nullptr, nullptr));
    }
    for (std::size_t i = 0; i < n; ++i)
    {
        const int *j = contenu.points[i].voisins;
        PointSimplex *p = ListePointsSimplex[i];
        p->Voisin1 = ListePointsSimplex.at(static_cast<std::size_t>(j[0]));
        p->Voisin2 = ListePointsSimplex.at(static_cast<std::size_t>(j[1]));
        p->Voisin3 = ListePointsSimplex.at(static_cast<std::size_t>(j[2]));
        PointSimplex *s = ListePointsSuivants[i];
        s->Voisin1 = ListePointsSuivants.at(static_cast<std::size_t>(j[0]));
        s->Voisin2 = ListePointsSuivants.at(static_cast<std::size_t>(j[1]));
        s->Voisin3 = ListePointsSuivants.at(static_cast<std::size_t>(j[2]));
    }
    for (const std::vector<int> &indices : contenu.mailles)
    {
        Maille *maille = new Maille;
        Maille *suivante = new Maille;
        maille->reserve(indices.size());
        suivante->reserve(indices.size());
        for (int idx : indices)
        {
            maille->push_back(ListePointsSimplex.at(static_cast<std::size_t>(idx)));
            suivante->push_back(ListePointsSuivants.at(static_cast<std::size_t>(idx)));
        }
        ListeMailles.push_back(maille);
        ListeMaillesSuivantes.push_back(suivante);
    }

    initialiserParametres();
    return 1;
}

bool Simplex::exporter(const std::string &nomFichier, int format)
{
    std::ofstream fichier(nomFichier, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!fichier)
    {
        std::cerr << "Dans exporter creation impossible !" << std::endl;
        return false;
    }
    if (format != 1 && format != 2)
        return false;

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

    std::ostringstream sortie;
    if (format == 1)
        sortie << "SM\n" << ListePointsSimplex.size() << "\n";
    else
        sortie << "SMM\n" << ListePointsSimplex.size() << " " << ListeMailles.size() << "\n";
    for (const PointSimplex *p : ListePointsSimplex)
        sortie << p->Position.x << " " << p->Position.y << " " << p->Position.z << " "
               << indice(p->Voisin1) << " " << indice(p->Voisin2) << " " << indice(p->Voisin3)
               << "\n";
    if (format == 2)
        for (const Maille *maille : ListeMailles)
        {
            sortie << maille->size() << " ";
            for (const PointSimplex *p : *maille)
                sortie << indice(p) << " ";
            sortie << "\n";
        }

    const std::string texte = sortie.str();
    fichier.write(texte.data(), static_cast<std::streamsize>(texte.size()));
    fichier.close();
    if (!fichier)
    {
        std::cerr << "Dans exporter ecriture impossible !" << std::endl;
        return false;
    }
    std::cout << "Exportation terminee avec Succes" << std::endl;
    return true;
}
