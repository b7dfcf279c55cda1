#include "Simplex.h"
#include "Boite.h"
#include "Parallele.h"
#include "Defauts.h"

#include "Resultat.h"

#include <stdexcept>
#include <unordered_set>

// --- PointSimplex -------------------------------------------------------------------------------

PointSimplex::PointSimplex() : PointSimplex(point3(0, 0, 0), nullptr, nullptr, nullptr) {}

PointSimplex::PointSimplex(const point3 &position, PointSimplex *voisin1, PointSimplex *voisin2, PointSimplex *voisin3)
    : Position(position), Voisin1(voisin1), Voisin2(voisin2), Voisin3(voisin3), Ni(), CentreCercle(), Rayon(0),
      SinPhi(0), CosPhi(0), Phi(0), DistanceCentre(0), Epsilon1(0), Epsilon2(0), Epsilon3(0)
{}

PointSimplex::PointSimplex(const PointSimplex &autre)
    : PointSimplex(autre.Position, autre.Voisin1, autre.Voisin2, autre.Voisin3)
{}

bool PointSimplex::operator!=(const PointSimplex &autre) const
{
    if (Voisin1 != autre.Voisin1 || Voisin2 != autre.Voisin2 || Voisin3 != autre.Voisin3)
        return true;
    return !(Position == autre.Position);
}

// --- Simplex: construction, copies refused, drawing refused --------------------------------------

Simplex::Simplex() : Centre(nullptr), Avancement(0), RayonCone(defauts::rayonCone), AngleCone(defauts::angleCone)
{
    reinitialiser();
}

Simplex::Simplex(const Simplex &)
    : Centre(nullptr), Avancement(0), RayonCone(defauts::rayonCone), AngleCone(defauts::angleCone)
{
    throw std::runtime_error("Constructeur de recopie");
}

Simplex &Simplex::operator=(const Simplex &)
{
    throw std::runtime_error("Operateur= lancée(simplex)");
}

Simplex::~Simplex()
{
    // After reinitialiser one record may sit in several lists: release each once.
    std::unordered_set<PointSimplex *> points;
    for (auto *liste : {&ListePointsSimplex, &ListePointsPrecedents, &ListePointsSuivants, &ListePointsInitiaux})
        points.insert(liste->begin(), liste->end());
    for (PointSimplex *p : points)
        delete p;
    std::unordered_set<Maille *> mailles(ListeMailles.begin(), ListeMailles.end());
    mailles.insert(ListeMaillesSuivantes.begin(), ListeMaillesSuivantes.end());
    for (Maille *m : mailles)
        delete m;
    delete Centre;
}

void Simplex::afficher(int)
{
    throw std::runtime_error("Cette fonction n'est pas implantée dans void Simplex::afficher(int) "
                             "mais l'est dans void SimplexGL::afficher(int modeAffichage).");
}

void Simplex::afficherPi(std::vector<point3>, int)
{
    throw std::runtime_error("Cette fonction n'est pas implantée dans void Simplex::afficherPi(vector<point3>, int) "
                             "mais l'est dans void SimplexGL::afficherPi(vector<point3> ListePI, int pt).");
}

void Simplex::afficherCone(int)
{
    throw std::runtime_error("Cette fonction n'est pas implantée dans void Simplex::afficherCone(int) "
                             "mais l'est dans void SimplexGL::afficherCone(int pt).");
}

// --- lists and ownership -----------------------------------------------------------------------

void Simplex::libererOrphelins(const std::vector<PointSimplex *> &points, const std::vector<Maille *> &mailles)
{
    std::unordered_set<PointSimplex *> vivants;
    for (auto *liste : {&ListePointsSimplex, &ListePointsPrecedents, &ListePointsSuivants, &ListePointsInitiaux})
        vivants.insert(liste->begin(), liste->end());
    std::unordered_set<PointSimplex *> liberes;
    for (PointSimplex *p : points)
        if (p && !vivants.count(p) && liberes.insert(p).second)
            delete p;

    std::unordered_set<Maille *> cellules(ListeMailles.begin(), ListeMailles.end());
    cellules.insert(ListeMaillesSuivantes.begin(), ListeMaillesSuivantes.end());
    std::unordered_set<Maille *> liberees;
    for (Maille *m : mailles)
        if (m && !cellules.count(m) && liberees.insert(m).second)
            delete m;
}

void Simplex::reinitialiser()
{
    std::vector<PointSimplex *> anciens;
    for (auto *liste : {&ListePointsSimplex, &ListePointsSuivants, &ListePointsPrecedents})
        anciens.insert(anciens.end(), liste->begin(), liste->end());
    std::vector<Maille *> anciennes(ListeMailles);
    anciennes.insert(anciennes.end(), ListeMaillesSuivantes.begin(), ListeMaillesSuivantes.end());

    ListeMailles.clear();
    ListeMaillesSuivantes.clear();
    ListePointsSimplex.clear();
    ListePointsSuivants.clear();
    ListePointsPrecedents.clear();

    ListePointsSimplex = ListePointsInitiaux;
    ListePointsSuivants = ListePointsInitiaux;
    ListePointsPrecedents = ListePointsInitiaux;

    delete Centre;
    Centre = new point3(0, 0, 0);

    RayonCone = defauts::rayonCone;
    AngleCone = defauts::angleCone;

    libererOrphelins(anciens, anciennes);
}

// --- whole-mesh moves ----------------------------------------------------------------------------

void Simplex::calculerCentre()
{
    if (ListePointsSimplex.empty())
        return;
    // The box of the positions rounded to float, its midpoint in float.
    const Boite b = boiteDe(ListePointsSimplex, [](const PointSimplex *p) { return p->Position; }, true);
    if (!Centre)
        Centre = new point3();
    *Centre = b.centreEnFloat();
}

void Simplex::centrer(point3 cible)
{
    if (ListePointsSimplex.empty())
        return;
    calculerCentre();
    const point3 c = *Centre;
    for (PointSimplex *p : ListePointsSimplex)
        p->Position = p->Position - c + cible;
}

void Simplex::appliquerSuivants(int niveau)
{
    for (std::size_t i = 0; i < ListePointsSimplex.size(); ++i)
        ListePointsPrecedents.at(i)->Position = ListePointsSimplex.at(i)->Position;
    for (std::size_t i = 0; i < ListePointsSuivants.size(); ++i)
        ListePointsSimplex.at(i)->Position = ListePointsSuivants.at(i)->Position;
    // Each point's parameters come from the new positions and are written on that point alone.
    enParallele(ListePointsSuivants.size(), filsEffectifs(fils), [&](std::size_t debut, std::size_t fin) {
        for (std::size_t i = debut; i < fin; ++i)
            majParametres(static_cast<int>(i), niveau);
    });
}

bool Simplex::dilatation(double coef)
{
    point3 somme(0, 0, 0);
    for (const PointSimplex *p : ListePointsSimplex)
        somme += p->Position;
    const point3 g = somme / static_cast<double>(ListePointsSimplex.size());
    for (std::size_t i = 0; i < ListePointsSimplex.size(); ++i) {
        const point3 &p = ListePointsSimplex.at(i)->Position;
        ListePointsSuivants.at(i)->Position =
            point3(g.x + coef * (p.x - g.x), g.y + coef * (p.y - g.y), g.z + coef * (p.z - g.z));
    }
    appliquerSuivants(1);
    return true;
}

bool Simplex::deplacer(char axe, double pas)
{
    point3 decalage;
    if (!pasSelonAxe(axe, pas, decalage))
        return false;
    for (std::size_t i = 0; i < ListePointsSimplex.size(); ++i)
        ListePointsSuivants.at(i)->Position = ListePointsSimplex.at(i)->Position + decalage;
    appliquerSuivants(2);
    return true;
}

// --- building from index lists -------------------------------------------------------------------

Resultat Simplex::construire(const std::vector<point3> &positions, const std::vector<std::array<int, 3>> &voisins,
                             const std::vector<std::vector<int>> &mailles)
{
    const std::size_t n = positions.size();
    const long long dernier = static_cast<long long>(n) - 1;
    if (voisins.size() != n)
        return Resultat::echec(Statut::ArgumentsIncorrects,
                               Raison(CodeRaison::PointsPourTriplets, {n, voisins.size()}));
    for (std::size_t i = 0; i < n; ++i)
        for (int j : voisins[i])
            if (j < 0 || static_cast<std::size_t>(j) >= n)
                return Resultat::echec(
                    Statut::ArgumentsIncorrects,
                    Raison(CodeRaison::Point, {i, Raison(CodeRaison::IndiceDeVoisin, {j, dernier})}));
    for (std::size_t c = 0; c < mailles.size(); ++c)
        for (int j : mailles[c])
            if (j < 0 || static_cast<std::size_t>(j) >= n)
                return Resultat::echec(
                    Statut::ArgumentsIncorrects,
                    Raison(CodeRaison::Maille, {c, Raison(CodeRaison::IndiceDePoint, {j, dernier})}));

    // Every list is refilled, so that the companion lists line up with the new mesh; records and
    // cells no list refers to any more are released.
    std::vector<PointSimplex *> anciens;
    for (auto *liste : {&ListePointsSimplex, &ListePointsSuivants, &ListePointsInitiaux, &ListePointsPrecedents}) {
        anciens.insert(anciens.end(), liste->begin(), liste->end());
        liste->clear();
        liste->reserve(n);
    }
    std::vector<Maille *> anciennes(ListeMailles);
    anciennes.insert(anciennes.end(), ListeMaillesSuivantes.begin(), ListeMaillesSuivantes.end());
    ListeMailles.clear();
    ListeMaillesSuivantes.clear();
    libererOrphelins(anciens, anciennes);

    for (const point3 &position : positions) {
        ListePointsInitiaux.push_back(new PointSimplex(position, nullptr, nullptr, nullptr));
        ListePointsSimplex.push_back(new PointSimplex(position, nullptr, nullptr, nullptr));
        ListePointsSuivants.push_back(new PointSimplex(position, nullptr, nullptr, nullptr));
        ListePointsPrecedents.push_back(new PointSimplex(position, nullptr, nullptr, nullptr));
    }
    for (auto *liste : {&ListePointsSimplex, &ListePointsSuivants})
        for (std::size_t i = 0; i < n; ++i) {
            PointSimplex *p = (*liste)[i];
            p->Voisin1 = (*liste)[voisins[i][0]];
            p->Voisin2 = (*liste)[voisins[i][1]];
            p->Voisin3 = (*liste)[voisins[i][2]];
        }
    ListeMailles.reserve(mailles.size());
    ListeMaillesSuivantes.reserve(mailles.size());
    for (const std::vector<int> &indices : mailles) {
        Maille *maille = new Maille;
        Maille *suivante = new Maille;
        maille->reserve(indices.size());
        suivante->reserve(indices.size());
        for (int j : indices) {
            maille->push_back(ListePointsSimplex[j]);
            suivante->push_back(ListePointsSuivants[j]);
        }
        ListeMailles.push_back(maille);
        ListeMaillesSuivantes.push_back(suivante);
    }

    initialiserParametres();
    return Resultat::succes();
}
