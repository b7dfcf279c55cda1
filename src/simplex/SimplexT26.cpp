// T26 refinement: a simplex point becomes a three-point cell, the cells around it grow by one.

#include <cmath>
#include <iostream>
#include <memory>
#include <unordered_set>

#include "SimplexRaffinage.h"
#include "orientation.h"

namespace raffinage {

namespace {

const char *const messageIndiceT26 = "Erreur dans RaffinageT26 : L'indice passé en paramètre est incohérent\n";

vector3 demiVers(const PointSimplex *depuis, const PointSimplex *vers)
{
    vector3 d(depuis->Position, vers->Position);
    d /= 2.0;
    return d;
}

point3 decale(const point3 &p, const vector3 &d)
{
    return point3(p.x + d.x, p.y + d.y, p.z + d.z);
}

/// Splits X into X, A, B: positions halfway to the first two neighbours for A and B, X halfway
/// to its third; neighbours A = (X, N1, B), B = (X, N2, A), X = (A, B, N3).
void eclater(PointSimplex *X, PointSimplex *A, PointSimplex *B, const vector3 &d1, const vector3 &d2, const vector3 &d3,
             PointSimplex *N1, PointSimplex *N2, PointSimplex *N3)
{
    A->Position = decale(X->Position, d1);
    B->Position = decale(X->Position, d2);
    X->Position = decale(X->Position, d3);
    A->Voisin1 = X;
    A->Voisin2 = N1;
    A->Voisin3 = B;
    B->Voisin1 = X;
    B->Voisin2 = N2;
    B->Voisin3 = A;
    X->Voisin1 = A;
    X->Voisin2 = B;
    X->Voisin3 = N3;
}

/// Edits the cells holding P among the first `limite` cells of `liste` (limite < 0: all of them,
/// counted again at each step), at most three, in list order. Returns the first failed edit.
Resultat editerAutour(Simplex &s, std::vector<Maille *> &liste, long limite, IndexMailles *index, PointSimplex *P,
                      PointSimplex *N1, PointSimplex *N2, PointSimplex *N3, PointSimplex *A, PointSimplex *B,
                      const char *operation)
{
    Resultat premier;
    auto editer = [&](std::size_t j) {
        const EditionMaille r = modifierMaille(s, *liste[j], P, N1, N2, N3, A, B);
        if (r != EditionMaille::Faite) {
            const Raison message = raisonEdition(r, operation);
            std::cout << texte(message) << "\n";
            retenir(premier, Resultat::echec(Statut::Echec, Raison(CodeRaison::Maille, {j, message})));
        } else if (index)
            index->actualiser(*liste[j], static_cast<int>(j), {P, A, B});
    };
    if (index) {
        // Editing a cell changes no other cell: the cells met by the walk are the first three
        // that hold P now.
        const Indices &tenant = index->mailles(P);
        int cellules[3];
        std::size_t nb = 0;
        for (std::size_t k = 0; k < tenant.taille() && nb < 3; ++k) {
            if (limite >= 0 && tenant[k] >= limite)
                break;
            cellules[nb++] = tenant[k];
        }
        for (std::size_t k = 0; k < nb; ++k)
            editer(static_cast<std::size_t>(cellules[k]));
        return premier;
    }
    int rencontrees = 0;
    for (std::size_t j = 0; rencontrees < 3; ++j) {
        const std::size_t fin = limite >= 0 ? static_cast<std::size_t>(limite) : liste.size();
        if (j >= fin || j >= liste.size())
            break;
        if (s.indiceDansMaille(P, *liste[j]) == -1)
            continue;
        ++rencontrees;
        editer(j);
    }
    return premier;
}

/// Phase 1 of the global T26: every point of the companion mesh present at the start is split,
/// the progression asked before each. False when it said stop (the points before are split).
bool eclaterSuivants(Simplex &s, const Progression &progression, Resultat &premier)
{
    const std::size_t K = s.ListePointsSuivants.size();
    const std::size_t L = s.ListeMaillesSuivantes.size();
    std::unique_ptr<IndexMailles> autour;
    if (s.recherche == Recherche::Indexee)
        autour.reset(new IndexMailles(s.ListeMaillesSuivantes, L));
    auto remplacerEgal = [](PointSimplex *q, const PointSimplex *S, PointSimplex *nouveau) {
        if (!q)
            return;
        if (q->Voisin1 && *q->Voisin1 == *S)
            q->Voisin1 = nouveau;
        else if (q->Voisin2 && *q->Voisin2 == *S)
            q->Voisin2 = nouveau;
        else if (q->Voisin3 && *q->Voisin3 == *S)
            q->Voisin3 = nouveau;
    };
    ::Avancement avancement(progression, Raison(CodeRaison::EclatementDesPoints), K);
    for (std::size_t i = 0; i < K; ++i) {
        if (!avancement.avancer(i))
            return false;
        PointSimplex *S = s.ListePointsSuivants[i];
        if (!S || !S->aSesVoisins())
            continue;
        PointSimplex *M1 = S->Voisin1, *M2 = S->Voisin2, *M3 = S->Voisin3;
        const vector3 d1 = demiVers(S, M1), d2 = demiVers(S, M2), d3 = demiVers(S, M3);
        PointSimplex *AS = new PointSimplex(), *BS = new PointSimplex();
        remplacerEgal(M1, S, AS);
        remplacerEgal(M2, S, BS);
        s.ListePointsSuivants.push_back(AS);
        s.ListePointsSuivants.push_back(BS);
        eclater(S, AS, BS, d1, d2, d3, M1, M2, M3);
        s.ListeMaillesSuivantes.push_back(new Maille{S, AS, BS});
        s.orienterMaille(*s.ListeMaillesSuivantes.back());
        Resultat r = editerAutour(s, s.ListeMaillesSuivantes, static_cast<long>(L), autour.get(), S, M1, M2, M3, AS, BS,
                                  "RaffinageT26Global");
        if (!r.reussi())
            r.raison = Raison(CodeRaison::T26GlobalPoint, {i, r.raison});
        retenir(premier, r);
    }
    avancement.terminer();
    return true;
}

/// Phase 2 of the global T26: the mesh becomes a copy of the companion mesh, the previous
/// positions restart from the current ones. Returns the old previous records for release.
std::vector<PointSimplex *> recopierSuivants(Simplex &s)
{
    const bool indexe = s.recherche == Recherche::Indexee;
    const std::size_t n = s.ListePointsSimplex.size();
    const std::size_t c = s.ListeMailles.size();
    std::unique_ptr<IndexContenu> contenuSimplex, contenuSuivants;
    if (indexe) {
        contenuSimplex.reset(new IndexContenu(s.ListePointsSimplex));
        contenuSuivants.reset(new IndexContenu(s.ListePointsSuivants));
    }
    auto indiceSimplex = [&](const PointSimplex *p) { return indexe ? contenuSimplex->premier(p) : s.indicePoint(p); };
    auto indiceSuivant = [&](const PointSimplex *p) {
        return indexe ? contenuSuivants->premier(p) : s.indicePointSuivant(p);
    };
    auto entree = [](std::vector<PointSimplex *> &liste, int k) -> PointSimplex * {
        return k < 0 || static_cast<std::size_t>(k) >= liste.size() ? nullptr : liste[k];
    };

    std::vector<PointSimplex *> &precedents = s.ListePointsPrecedents;
    std::vector<PointSimplex *> &points = s.ListePointsSimplex;
    const std::vector<PointSimplex *> anciensPrecedents = precedents;
    precedents.clear();
    for (std::size_t i = 0; i < n; ++i)
        precedents.push_back(new PointSimplex(points[i]->Position, nullptr, nullptr, nullptr));
    for (std::size_t i = 0; i < precedents.size(); ++i) {
        const PointSimplex *p = points[i];
        PointSimplex *q = precedents[i];
        q->Voisin1 = entree(precedents, indiceSimplex(p->Voisin1));
        q->Voisin2 = entree(precedents, indiceSimplex(p->Voisin2));
        q->Voisin3 = entree(precedents, indiceSimplex(p->Voisin3));
    }

    for (std::size_t i = n; i < s.ListePointsSuivants.size(); ++i)
        points.push_back(new PointSimplex(*s.ListePointsSuivants[i]));
    for (std::size_t i = 0; i < points.size(); ++i) {
        PointSimplex *p = points[i];
        const PointSimplex *q = s.ListePointsSuivants[i];
        p->Position = q->Position;
        p->Voisin1 = entree(points, indiceSuivant(q->Voisin1));
        p->Voisin2 = entree(points, indiceSuivant(q->Voisin2));
        p->Voisin3 = entree(points, indiceSuivant(q->Voisin3));
    }
    for (std::size_t i = precedents.size(); i < points.size(); ++i)
        precedents.push_back(new PointSimplex(points[i]->Position, nullptr, nullptr, nullptr));

    auto traduire = [&](const Maille &suivante, Maille &cible) {
        cible.resize(suivante.size());
        for (std::size_t q = 0; q < suivante.size(); ++q)
            cible[q] = entree(points, indiceSuivant(suivante[q]));
    };
    for (std::size_t j = 0; j < c; ++j)
        traduire(*s.ListeMaillesSuivantes[j], *s.ListeMailles[j]);
    for (std::size_t j = c; j < s.ListeMaillesSuivantes.size(); ++j) {
        s.ListeMailles.push_back(new Maille());
        traduire(*s.ListeMaillesSuivantes[j], *s.ListeMailles.back());
    }

    for (std::size_t i = 0; i < points.size(); ++i)
        s.majParametres(static_cast<int>(i), 0);
    return anciensPrecedents;
}

} // namespace

Resultat t26(Simplex &s, unsigned int i, const Index &index)
{
    if (i >= s.ListePointsSimplex.size()) {
        std::cout << messageIndiceT26;
        return Resultat::echec(
            Statut::ArgumentsIncorrects,
            Raison(CodeRaison::Contexte,
                   {litteral("RaffinageT26"),
                    Raison(CodeRaison::IndiceDePoint, {i, static_cast<long>(s.ListePointsSimplex.size()) - 1})}));
    }
    PointSimplex *P = s.ListePointsSimplex[i];
    PointSimplex *S = s.ListePointsSuivants.at(i);
    if (!P || !S || !P->aSesVoisins() || !S->aSesVoisins()) {
        // A point without its three neighbours cannot be split.
        std::cout << messageIndiceT26;
        return Resultat::echec(
            Statut::Echec,
            Raison(CodeRaison::Contexte, {litteral("RaffinageT26"), Raison(CodeRaison::SansSesTroisVoisins, {i})}));
    }
    PointSimplex *N1 = P->Voisin1, *N2 = P->Voisin2, *N3 = P->Voisin3;
    PointSimplex *M1 = S->Voisin1, *M2 = S->Voisin2, *M3 = S->Voisin3;
    const vector3 d1 = demiVers(P, N1), d2 = demiVers(P, N2), d3 = demiVers(P, N3);

    std::unique_ptr<PointSimplex> a(new PointSimplex()), b(new PointSimplex());
    std::unique_ptr<PointSimplex> as(new PointSimplex()), bs(new PointSimplex());
    PointSimplex *A = a.get(), *B = b.get(), *AS = as.get(), *BS = bs.get();

    std::unordered_set<PointSimplex *> modifies{P, N1, N2};
    if (index.points)
        for (PointSimplex *q : modifies)
            index.points->retirer(q);

    remplacerVoisin(N1, P, A);
    remplacerVoisin(N2, P, B);
    remplacerVoisin(M1, S, AS);
    remplacerVoisin(M2, S, BS);

    const std::size_t n = s.ListePointsSimplex.size();
    s.ListePointsSimplex.push_back(a.release());
    s.ListePointsSimplex.push_back(b.release());
    s.ListePointsSuivants.push_back(as.release());
    s.ListePointsSuivants.push_back(bs.release());

    eclater(P, A, B, d1, d2, d3, N1, N2, N3);
    eclater(S, AS, BS, d1, d2, d3, M1, M2, M3);
    if (index.points) {
        for (PointSimplex *q : modifies)
            index.points->remettre(q);
        index.points->ajouter(A, static_cast<int>(n));
        index.points->ajouter(B, static_cast<int>(n + 1));
    }

    s.ListeMailles.push_back(new Maille{P, A, B});
    s.orienterMaille(*s.ListeMailles.back());
    if (index.mailles)
        index.mailles->ajouterMaille(*s.ListeMailles.back(), static_cast<int>(s.ListeMailles.size() - 1));
    // The companion cell takes the order of its cell (its records carry no normal of their own),
    // so that both are read alike position by position.
    if (s.ListeMailles.back()->front() == P)
        s.ListeMaillesSuivantes.push_back(new Maille{S, AS, BS});
    else
        s.ListeMaillesSuivantes.push_back(new Maille{BS, AS, S});
    if (index.maillesSuivantes)
        index.maillesSuivantes->ajouterMaille(*s.ListeMaillesSuivantes.back(),
                                              static_cast<int>(s.ListeMaillesSuivantes.size() - 1));

    Resultat faute = editerAutour(s, s.ListeMailles, -1, index.mailles, P, N1, N2, N3, A, B, "RaffinageT26");
    retenir(faute, editerAutour(s, s.ListeMaillesSuivantes, -1, index.maillesSuivantes, S, M1, M2, M3, AS, BS,
                                "RaffinageT26"));
    if (!faute.reussi())
        faute.raison = Raison(CodeRaison::T26Point, {i, faute.raison});

    s.majParametres(static_cast<int>(i), 0);
    s.majParametres(static_cast<int>(n), 0);
    s.majParametres(static_cast<int>(n + 1), 0);

    s.ListePointsPrecedents.push_back(new PointSimplex(A->Position, nullptr, nullptr, nullptr));
    s.ListePointsPrecedents.push_back(new PointSimplex(B->Position, nullptr, nullptr, nullptr));
    return faute;
}

} // namespace raffinage

using namespace raffinage;

void Simplex::RaffinageT26(unsigned int indice)
{
    raffinerT26(indice);
}

void Simplex::RaffinageT26Angles()
{
    raffinerT26Angles();
}

void Simplex::RaffinageT26Global()
{
    raffinerT26Global();
}

Resultat Simplex::raffinerT26(unsigned int indice)
{
    const Resultat r = t26(*this, indice, Index());
    orienterVersExterieur(*this);
    return r;
}

Resultat Simplex::raffinerT26Angles(const Progression &progression)
{
    if (ListeMailles.empty())
        return Resultat::succes();

    float somme = 0, compte = 0;
    for (const Maille *m : ListeMailles)
        for (const PointSimplex *p : *m) {
            somme = static_cast<float>(somme + p->Phi * 180 / M_PI);
            compte = compte + 1;
        }
    const float moyenne = somme / compte;

    const bool indexe = recherche == Recherche::Indexee;
    const IndexPasse passe(*this);

    // The walk keeps to the cells and points present when it started, each point once per cell:
    // the points that the splits create take angles of their own, and a split inserts its new
    // points beside the point split, so a walk that follows them with the first mean may never end.
    const std::unordered_set<const PointSimplex *> presents(ListePointsSimplex.begin(), ListePointsSimplex.end());
    const std::size_t nbMailles = ListeMailles.size();
    ::Avancement avancement(progression, Raison(CodeRaison::RaffinageT26Angles), nbMailles);
    Resultat premier;
    for (std::size_t j = 0; j < nbMailles; ++j) {
        if (!avancement.avancer(j)) {
            orienterVersExterieur(*this);
            return Resultat::interrompu(Raison(CodeRaison::RaffinageT26Angles));
        }
        const Maille instantane = *ListeMailles[j];
        for (const PointSimplex *p : instantane) {
            if (!presents.count(p))
                continue;
            if (p->Phi * 180 / M_PI >= moyenne) {
                const int k = indexe ? passe.points->premier(p) : indicePoint(p);
                retenir(premier, t26(*this, static_cast<unsigned int>(k), passe.index()));
            }
        }
    }
    avancement.terminer();
    // The splits keep the link order of each cell; the pass then turns every cell outward.
    orienterVersExterieur(*this);
    return premier;
}

Resultat Simplex::raffinerT26Global(const Progression &progression)
{
    // The companion mesh must cover the mesh; otherwise there is nothing sound to copy back.
    if (ListePointsSuivants.size() < ListePointsSimplex.size() || ListeMaillesSuivantes.size() < ListeMailles.size())
        return Resultat::echec(Statut::Echec, Raison(CodeRaison::Contexte,
                                                     {litteral("RaffinageT26Global"),
                                                      Raison(CodeRaison::ListesSuivantesCourtes,
                                                             {ListePointsSuivants.size(), ListeMaillesSuivantes.size(),
                                                              ListePointsSimplex.size(), ListeMailles.size()})}));
    Resultat premier;
    const bool complet = eclaterSuivants(*this, sousProgression(progression, 0, 0.8), premier);
    // Even after a stop the copy is made: the mesh and its companion stay alike.
    libererOrphelins(recopierSuivants(*this), {});
    orienterVersExterieur(*this);
    if (!complet)
        return Resultat::interrompu(Raison(CodeRaison::RaffinageT26Global));
    if (progression)
        progression(1.0, Raison(CodeRaison::RecopieT26Global));
    return premier;
}
