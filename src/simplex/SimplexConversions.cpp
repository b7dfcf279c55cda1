// Conversions between a closed triangle mesh and its dual simplex mesh.

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <memory>
#include <unordered_map>

#include "SimplexRaffinage.h"
#include "orientation.h"

using namespace raffinage;

namespace {

std::uint64_t clePaire(int a, int b)
{
    if (a > b)
        std::swap(a, b);
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) | static_cast<std::uint32_t>(b);
}

/// Position (0, 1 or 2) of the first corner of f that is v, -1 when none.
int coin(const Face &f, int v)
{
    return f.s1 == v ? 0 : f.s2 == v ? 1 : f.s3 == v ? 2 : -1;
}

bool tientLes2(const Face &f, int a, int b)
{
    return coin(f, a) != -1 && coin(f, b) != -1;
}

/// Face f is face1 of edge (a1, a2) when the edge runs from a1 to a2 in it, face2 when it runs
/// the other way.
void classer(Arete &ar, const Face &f, int indice)
{
    const int pa = coin(f, ar.a1), pb = coin(f, ar.a2);
    if ((pa == 0 && pb == 1) || (pa == 1 && pb == 2) || (pa == 2 && pb == 0))
        ar.face1 = indice;
    else if ((pa == 1 && pb == 0) || (pa == 2 && pb == 1) || (pa == 0 && pb == 2))
        ar.face2 = indice;
}

void aretesParParcours(Maillage &m)
{
    for (const Face &f : m.listeFaces)
        for (const auto &ab : {std::make_pair(f.s1, f.s2), std::make_pair(f.s2, f.s3), std::make_pair(f.s1, f.s3)})
            if (m.chercherArete(ab.first, ab.second) == -1) {
                Arete ar;
                ar.a1 = ab.first;
                ar.a2 = ab.second;
                m.listeAretes.push_back(ar);
                ++m.nbAretes;
            }
    for (Arete &ar : m.listeAretes) {
        int trouvees = 0;
        for (std::size_t i = 0; i < m.listeFaces.size() && trouvees < 2; ++i)
            if (tientLes2(m.listeFaces[i], ar.a1, ar.a2)) {
                ++trouvees;
                classer(ar, m.listeFaces[i], static_cast<int>(i));
            }
    }
}

void aretesIndexees(Maillage &m)
{
    std::unordered_map<std::uint64_t, int> aretes;
    aretes.reserve(m.listeFaces.size() * 2);
    for (const Face &f : m.listeFaces)
        for (const auto &ab : {std::make_pair(f.s1, f.s2), std::make_pair(f.s2, f.s3), std::make_pair(f.s1, f.s3)})
            if (aretes.emplace(clePaire(ab.first, ab.second), static_cast<int>(m.listeAretes.size())).second) {
                Arete ar;
                ar.a1 = ab.first;
                ar.a2 = ab.second;
                m.listeAretes.push_back(ar);
                ++m.nbAretes;
            }

    // The first two faces holding both ends of each edge, in face order, each face once per pair
    // of distinct corners. An edge whose ends coincide (from a face with a repeated corner) is
    // held by every face that has that corner: those rare edges are looked up by a scan.
    std::unordered_map<std::uint64_t, std::vector<int>> faces;
    faces.reserve(aretes.size());
    for (std::size_t i = 0; i < m.listeFaces.size(); ++i) {
        const Face &f = m.listeFaces[i];
        const int c[3] = {f.s1, f.s2, f.s3};
        for (int u = 0; u < 3; ++u) {
            const int w = c[(u + 1) % 3];
            if (c[u] == w)
                continue;
            std::vector<int> &v = faces[clePaire(c[u], w)];
            if (v.size() < 2 && (v.empty() || v.back() != static_cast<int>(i)))
                v.push_back(static_cast<int>(i));
        }
    }
    for (Arete &ar : m.listeAretes) {
        const std::vector<int> *tenant = nullptr;
        if (ar.a1 == ar.a2) {
            // Every face with that corner, not only the degenerate ones.
            std::vector<int> toutes;
            for (std::size_t i = 0; i < m.listeFaces.size() && toutes.size() < 2; ++i)
                if (coin(m.listeFaces[i], ar.a1) != -1)
                    toutes.push_back(static_cast<int>(i));
            for (int i : toutes)
                classer(ar, m.listeFaces[i], i);
            continue;
        }
        auto it = faces.find(clePaire(ar.a1, ar.a2));
        if (it != faces.end())
            tenant = &it->second;
        if (tenant)
            for (int i : *tenant)
                classer(ar, m.listeFaces[i], i);
    }
}

} // namespace

void Simplex::construireAretes(Maillage &maillage)
{
    maillage.listeAretes.clear();
    maillage.nbAretes = 0;
    if (recherche == Recherche::Indexee)
        aretesIndexees(maillage);
    else
        aretesParParcours(maillage);
}

std::array<int, 3> Simplex::voisinsFace(int i)
{
    std::array<int, 3> g{{-1, -1, -1}};
    const Maillage &m = maillageOrigine;
    if (i < 0 || static_cast<std::size_t>(i) >= m.listeFaces.size())
        return g;
    const Face &f = m.listeFaces[i];
    const int bords[3][2] = {{f.s1, f.s2}, {f.s2, f.s3}, {f.s3, f.s1}};
    for (int k = 0; k < 3; ++k) {
        const int e = m.chercherArete(bords[k][0], bords[k][1]);
        if (e < 0)
            continue;
        const Arete &ar = m.listeAretes[e];
        g[k] = ar.face2 == i ? ar.face1 : ar.face2;
    }
    return g;
}

namespace {

/// Why a triangle mesh has no dual simplex mesh (CodeRaison::Aucune when it has one): every face
/// must have three distinct existing corners, every edge exactly two faces that run along it in
/// opposite directions, and every vertex must lie on a face.
Raison refusConversion(const Maillage &m)
{
    const std::vector<Face> &faces = m.listeFaces;
    const long nbSommets = static_cast<long>(m.listeSommets.size());
    if (faces.empty())
        return Raison(CodeRaison::TrianglesSansFace);
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const Face &f = faces[i];
        for (int s : {f.s1, f.s2, f.s3})
            if (s < 0 || s >= nbSommets)
                return Raison(CodeRaison::FaceSommetInexistant, {i, s});
        if (f.s1 == f.s2 || f.s2 == f.s3 || f.s1 == f.s3)
            return Raison(CodeRaison::FaceSommetsConfondus, {i});
    }
    std::unordered_map<std::uint64_t, int> parArete;
    parArete.reserve(faces.size() * 2);
    for (const Face &f : faces) {
        ++parArete[clePaire(f.s1, f.s2)];
        ++parArete[clePaire(f.s2, f.s3)];
        ++parArete[clePaire(f.s3, f.s1)];
    }
    for (const Arete &ar : m.listeAretes) {
        const int n = parArete[clePaire(ar.a1, ar.a2)];
        if (n == 1)
            return Raison(CodeRaison::MaillageOuvert, {ar.a1, ar.a2});
        if (n > 2)
            return Raison(CodeRaison::AretePartagee, {ar.a1, ar.a2, n});
        if (ar.face1 < 0 || ar.face2 < 0)
            return Raison(CodeRaison::FacesMalOrientees, {ar.a1, ar.a2});
    }
    std::vector<bool> touche(static_cast<std::size_t>(nbSommets), false);
    for (const Face &f : faces)
        touche[f.s1] = touche[f.s2] = touche[f.s3] = true;
    for (long v = 0; v < nbSommets; ++v)
        if (!touche[v])
            return Raison(CodeRaison::SommetIsole, {v});
    return Raison();
}

/// Prints the refusal and gives the failure.
Resultat refuser(const Raison &raison)
{
    std::cerr << "Erreur dans triangleToSimplex : " << texte(raison) << " ; le maillage simplexe n'est pas modifié\n";
    return Resultat::echec(Statut::Echec, Raison(CodeRaison::Contexte, {litteral("triangleToSimplex"), raison}));
}

/// Edge lookups over the edge table of a triangle mesh that passed refusConversion.
class Aretes
{
public:
    Aretes(const Maillage &maillage, bool parIndex) : m(maillage), indexe(parIndex)
    {
        if (!indexe)
            return;
        parPaire.reserve(m.listeAretes.size());
        for (std::size_t e = 0; e < m.listeAretes.size(); ++e)
            parPaire.emplace(clePaire(m.listeAretes[e].a1, m.listeAretes[e].a2), static_cast<int>(e));
        premiere.assign(m.listeSommets.size(), -1);
        for (std::size_t e = m.listeAretes.size(); e-- > 0;) {
            premiere[m.listeAretes[e].a1] = static_cast<int>(e);
            premiere[m.listeAretes[e].a2] = static_cast<int>(e);
        }
    }

    int arete(int a, int b) const
    {
        if (!indexe)
            return m.chercherArete(a, b);
        auto it = parPaire.find(clePaire(a, b));
        return it == parPaire.end() ? -1 : it->second;
    }

    /// The face across edge a-b from face i.
    int traversee(int i, int a, int b) const
    {
        const Arete &ar = m.listeAretes[arete(a, b)];
        return ar.face2 == i ? ar.face1 : ar.face2;
    }

    /// The first edge of the table that ends at v.
    int premiereArete(int v) const
    {
        if (indexe)
            return premiere[v];
        for (std::size_t e = 0; e < m.listeAretes.size(); ++e)
            if (m.listeAretes[e].a1 == v || m.listeAretes[e].a2 == v)
                return static_cast<int>(e);
        return -1;
    }

private:
    const Maillage &m;
    bool indexe;
    std::unordered_map<std::uint64_t, int> parPaire;
    std::vector<int> premiere;
};

/// The faces around vertex v, in turn from the first face of its first edge: the cell of the
/// dual. False when they do not come back to the start (cannot happen after refusConversion).
bool faceAutour(const Maillage &m, const Aretes &aretes, int v, std::vector<int> &cellule)
{
    const std::vector<Face> &faces = m.listeFaces;
    const int e0 = aretes.premiereArete(v);
    const Arete &depart = m.listeAretes[e0];
    int w = depart.a1 == v ? depart.a2 : depart.a1;
    int f = depart.face1;
    cellule.assign(1, f);
    for (std::size_t pas = 0;; ++pas) {
        const Face &fa = faces[f];
        const int u = fa.s1 != v && fa.s1 != w ? fa.s1 : fa.s2 != v && fa.s2 != w ? fa.s2 : fa.s3;
        const int e = aretes.arete(v, u);
        if (e == e0)
            return true;
        if (pas >= faces.size())
            return false;
        const Arete &ae = m.listeAretes[e];
        const int suivante = ae.face1 == f ? ae.face2 : ae.face1;
        cellule.push_back(suivante);
        w = u;
        f = suivante;
    }
}

} // namespace

bool Simplex::triangleToSimplex()
{
    return convertirTriangles().reussi();
}

Resultat Simplex::convertirTriangles(const Progression &progression)
{
    std::cerr << "Creation des points simplexes...\n";
    Maillage &m = maillageOrigine;
    construireAretes(m);
    const Raison raison = refusConversion(m);
    if (raison.code != CodeRaison::Aucune)
        return refuser(raison);
    const std::vector<Face> &faces = m.listeFaces;
    const std::vector<point3> &P = m.listeSommets;
    const std::size_t F = faces.size();
    const Aretes aretes(m, recherche == Recherche::Indexee);

    // Phase 1: one point per face, at its centre, linked to the faces across its edges.
    std::vector<point3> positions;
    positions.reserve(F);
    for (const Face &f : faces)
        positions.push_back((P[f.s1] + P[f.s2] + P[f.s3]) / 3);
    SuiviProgression points(sousProgression(progression, 0, 0.5), Raison(CodeRaison::CreationDesPointsSimplexes), F);
    Avancement = 0;
    std::vector<std::array<int, 3>> voisins(F);
    for (std::size_t i = 0; i < F; ++i) {
        if (!points.avancer(i))
            return Resultat::interrompu(Raison(CodeRaison::ConversionEnSimplexe));
        const Face &f = faces[i];
        const int ii = static_cast<int>(i);
        voisins[i] = {
            {aretes.traversee(ii, f.s1, f.s2), aretes.traversee(ii, f.s2, f.s3), aretes.traversee(ii, f.s3, f.s1)}};
        const int pourcent = static_cast<int>(100LL * static_cast<long long>(i) / static_cast<long long>(F));
        if (Avancement < pourcent)
            std::cout << Avancement << "%... " << std::endl;
        Avancement = pourcent;
    }
    Avancement = 100;
    std::cout << Avancement << "%" << std::endl << "\n" << std::endl;

    // Phase 2: one cell per vertex, the faces around it.
    std::cout << "Creation des mailles simplexes...\n";
    const std::size_t V = P.size();
    SuiviProgression cellules(sousProgression(progression, 0.5, 0.9), Raison(CodeRaison::CreationDesMaillesSimplexes), V);
    std::vector<std::vector<int>> mailles(V);
    for (std::size_t v = 0; v < V; ++v) {
        if (!cellules.avancer(v))
            return Resultat::interrompu(Raison(CodeRaison::ConversionEnSimplexe));
        if (!faceAutour(m, aretes, static_cast<int>(v), mailles[v])) {
            // Cannot happen on a mesh that passed the checks; never loop for ever.
            return refuser(Raison(CodeRaison::PasUnCycle, {v}));
        }
    }

    // Phase 3: the mesh is replaced; from here on nothing stops.
    const Resultat construit = construire(positions, voisins, mailles);
    if (!construit)
        return construit;
    for (std::size_t j = 0; j < ListeMailles.size(); ++j) {
        // The companion cell follows its cell, so that both read alike position by position.
        Maille &cellule = *ListeMailles[j];
        const PointSimplex *premier = cellule.front();
        orienterMaille(cellule);
        if (cellule.size() > 1 && cellule.front() != premier)
            std::reverse(ListeMaillesSuivantes[j]->begin(), ListeMaillesSuivantes[j]->end());
    }
    initialiserParametres();
    orienterVersExterieur(*this);
    std::cout << "Création des mailles simplex terminée\n";
    if (progression)
        progression(1.0, Raison(CodeRaison::MaillesSimplexesCreees));
    return Resultat::succes();
}

void Simplex::Triangularisation()
{
    static_cast<void>(trianguler());
}

Resultat Simplex::trianguler(const Progression &progression)
{
    std::cout << "Debut Triangulation" << std::endl;
    std::vector<point3> sommets;
    sommets.reserve(ListePointsSimplex.size() + ListeMailles.size());
    for (const PointSimplex *p : ListePointsSimplex)
        sommets.push_back(p->Position);
    std::vector<Face> faces;

    std::unique_ptr<IndexContenu> index;
    if (recherche == Recherche::Indexee)
        index.reset(new IndexContenu(ListePointsSimplex));
    auto indice = [&](const PointSimplex *p) { return index ? index->premier(p) : indicePoint(p); };

    SuiviProgression avancement(progression, Raison(CodeRaison::TriangularisationDesMailles), ListeMailles.size());
    for (std::size_t c = 0; c < ListeMailles.size(); ++c) {
        if (!avancement.avancer(c))
            return Resultat::interrompu(Raison(CodeRaison::Triangularisation));
        const Maille *m = ListeMailles[c];
        const std::size_t k = m->size();
        point3 G(0, 0, 0);
        for (const PointSimplex *q : *m)
            G += q->Position;
        G = G / static_cast<double>(k);
        const int g = static_cast<int>(sommets.size());
        sommets.push_back(G);
        for (std::size_t j = 0; j < k; ++j) {
            Face f;
            f.s1 = g;
            f.s2 = indice((*m)[j]);
            f.s3 = indice((*m)[(j + 1) % k]);
            if (f.s2 < 0)
                return Resultat::echec(
                    Statut::Echec, Raison(CodeRaison::Contexte, {Raison(CodeRaison::Triangularisation),
                                                                 Raison(CodeRaison::PointDeMailleHorsListe, {j, c})}));
            faces.push_back(f);
        }
    }
    maillageTriangule = Maillage(sommets, faces);
    avancement.terminer();
    return Resultat::succes();
}
