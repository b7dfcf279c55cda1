#include "Maillage.h"
#include "Boite.h"
#include "Parallele.h"

#include <algorithm>
#include <iostream>
#include <mutex>
#include <new>
#include <stdexcept>

#include "kdtree.h"

namespace {
std::shared_ptr<kd_tree> nouvelArbre()
{
    kd_tree *arbre = kd_make(3);
    if (!arbre)
        throw std::bad_alloc();
    return std::shared_ptr<kd_tree>(arbre, kd_destroy);
}
} // namespace

Maillage::Maillage()
    : centrePointsInterets(std::make_shared<point3>(0, 0, 0)), kd(nouvelArbre()), nbFaces(0), nbSommets(0), nbAretes(0),
      nbPointsInterets(0)
{}

Maillage::Maillage(const std::vector<point3> &sommets, const std::vector<Face> &faces) : Maillage()
{
    listeSommets = sommets;
    listeFaces = faces;
    calculerBoite(false);
    nbFaces = static_cast<int>(listeFaces.size());
    nbSommets = static_cast<int>(listeSommets.size());
}

Maillage::~Maillage() = default;

void Maillage::afficher(int)
{
    throw std::runtime_error("Cette fonction n'est pas implantée au niveau de Maillage::afficher(int) "
                             "mais l'est au niveau de MaillageGL::afficher(int).");
}

void Maillage::afficherPtInteret(int)
{
    throw std::runtime_error("Cette fonction n'est pas implantée au niveau de "
                             "Maillage::afficherPtInteret(int) mais de MaillageGL::afficherPtInteret(int).");
}

int Maillage::getNbFaces() const
{
    return static_cast<int>(listeFaces.size());
}

std::vector<Face> Maillage::getListeFaces() const
{
    return listeFaces;
}

int Maillage::chercherArete(int a, int b) const
{
    for (std::size_t i = 0; i < listeAretes.size(); ++i) {
        const Arete &ar = listeAretes[i];
        if ((ar.a1 == a && ar.a2 == b) || (ar.a1 == b && ar.a2 == a))
            return static_cast<int>(i);
    }
    return -1;
}

void Maillage::calculerBoiteEtCentre()
{
    calculerBoite(true);
}

void Maillage::calculerBoite(bool avecMessages)
{
    centre = point3(0, 0, 0);
    if (!listeSommets.empty()) {
        const Boite b = boiteDe(listeSommets);
        boiteMin = b.min;
        boiteMax = b.max;
    }
    for (const point3 &s : listeSommets)
        centre += s;
    // An empty list reports the division by zero and leaves the centre at the origin.
    centre = centre / static_cast<double>(listeSommets.size());
    if (avecMessages) {
        std::cout << "Valeur centre maillage=" << centre << std::endl;
        std::cout << "Valeur min de la boite englobante=" << boiteMin << std::endl;
        std::cout << "Valeur max de la boite englobante=" << boiteMax << std::endl;
    }
}

void Maillage::viderPointsInterets()
{
    ListePointsInterets.clear();
    pointsAuDela = 0;
    pointsNonFinis = 0;
}

void Maillage::calculerCentrePointsInterets()
{
    if (ListePointsInterets.empty())
        return;
    // The box of the coordinates rounded to float, its midpoint in double. By slices on every
    // core, put together in order: the first slice starts from the first point as the box of the
    // whole list does (a NaN there stays), the others from an empty box (a NaN is passed over),
    // so the box is the one a single pass would make.
    const std::vector<point3> &v = ListePointsInterets;
    std::mutex verrou;
    std::vector<std::pair<std::size_t, Boite>> tranches;
    enParallele(v.size(), filsEffectifs(0), [&](std::size_t debut, std::size_t fin) {
        Boite b;
        if (debut == 0)
            b.min = b.max = arrondiEnFloat(v[0]);
        for (std::size_t i = debut; i < fin; ++i)
            b.ajouter(arrondiEnFloat(v[i]));
        const std::lock_guard<std::mutex> garde(verrou);
        tranches.emplace_back(debut, b);
    });
    std::sort(tranches.begin(), tranches.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    Boite b = tranches.front().second;
    for (std::size_t t = 1; t < tranches.size(); ++t) {
        const Boite &o = tranches[t].second;
        const double bas[3] = {o.min.x, o.min.y, o.min.z}, haut[3] = {o.max.x, o.max.y, o.max.z};
        double *min[3] = {&b.min.x, &b.min.y, &b.min.z}, *max[3] = {&b.max.x, &b.max.y, &b.max.z};
        for (int a = 0; a < 3; ++a) {
            if (bas[a] < *min[a])
                *min[a] = bas[a];
            if (haut[a] > *max[a])
                *max[a] = haut[a];
        }
    }
    *centrePointsInterets = b.centre();
}

void Maillage::translaterPointsInterets(char axe, double pas)
{
    point3 d;
    if (!pasSelonAxe(axe, pas, d))
        return;
    for (point3 &p : ListePointsInterets)
        p = p + d;
}

Resultat Maillage::construireKd(const Progression &progression)
{
    if (!kd)
        kd = nouvelArbre();
    kd_empty(kd.get());
    if (sansArbre)
        return Resultat::succes();
    const Raison phase(CodeRaison::ConstructionDeLArbre);
    if (progression && !progression(0.0, phase))
        return Resultat::interrompu(phase);
    if (kd_build3(kd.get(), ListePointsInterets) != 0) {
        return Resultat::echec(Statut::Echec, Raison(CodeRaison::MemoireArbrePoints));
    }
    if (progression)
        static_cast<void>(progression(1.0, phase)); // the tree is whole: nothing left to stop
    return Resultat::succes();
}

std::vector<std::array<int, 3>> trianglesDe(const Maillage &m)
{
    std::vector<std::array<int, 3>> triangles;
    triangles.reserve(m.listeFaces.size());
    for (const Face &f : m.listeFaces)
        triangles.push_back({f.s1, f.s2, f.s3});
    return triangles;
}
