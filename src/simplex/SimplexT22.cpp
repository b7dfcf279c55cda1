// T22 refinement: a cell is cut in two along a new edge between the middles of two of its edges.

#include <algorithm>
#include <iostream>
#include <memory>
#include <unordered_set>

#include "SimplexRaffinage.h"
#include "orientation.h"

namespace raffinage {

namespace {

const char *const messageIndiceT22 = "Erreur dans RaffinageT22 : L'indice passé en paramètre est incohérent\n";

point3 milieu(const PointSimplex *p, const PointSimplex *q)
{
    return (p->Position + q->Position) / 2.0;
}

void lier(PointSimplex *x, PointSimplex *v1, PointSimplex *v2, PointSimplex *v3)
{
    x->Voisin1 = v1;
    x->Voisin2 = v2;
    x->Voisin3 = v3;
}

bool tient(const Maille &m, const PointSimplex *p)
{
    return std::find(m.begin(), m.end(), p) != m.end();
}

/// The two cells across the cut edges a-b and e-f: walking the cells from the first, a cell other
/// than D holding a and b is the first, otherwise one holding e and f is the second, until two
/// have been found. -1 for a cell not found.
void voisines(const std::vector<Maille *> &liste, const Maille *D, const IndexMailles *index, const PointSimplex *a,
              const PointSimplex *b, const PointSimplex *e, const PointSimplex *f, int &F1, int &F2)
{
    F1 = F2 = -1;
    int trouvees = 0;
    auto examiner = [&](std::size_t j) {
        const Maille *m = liste[j];
        if (m == D)
            return;
        if (tient(*m, a) && tient(*m, b)) {
            F1 = static_cast<int>(j);
            ++trouvees;
        } else if (tient(*m, e) && tient(*m, f)) {
            F2 = static_cast<int>(j);
            ++trouvees;
        }
    };
    if (!index) {
        for (std::size_t j = 0; j < liste.size() && trouvees < 2; ++j)
            examiner(j);
        return;
    }
    // Only a cell holding a (or e) can match: walk those, in list order.
    std::vector<int> candidates;
    for (const Indices *autour : {&index->mailles(a), &index->mailles(e)})
        for (std::size_t k = 0; k < autour->taille(); ++k)
            candidates.push_back((*autour)[k]);
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    for (std::size_t k = 0; k < candidates.size() && trouvees < 2; ++k)
        examiner(static_cast<std::size_t>(candidates[k]));
}

/// Whether a point can go between the points at positions pa and pb of a cell of `taille` points.
bool consecutifs(int taille, int pa, int pb)
{
    return taille > 0 && (pb == (pa + 1) % taille || pa == (pb + 1) % taille);
}

/// Puts x between the points at positions pa and pb of m, which `consecutifs` has accepted.
void insererEntre(Maille &m, int pa, int pb, PointSimplex *x)
{
    const int taille = static_cast<int>(m.size());
    m.insert(m.begin() + (pb == (pa + 1) % taille ? pb : pa), x);
}

/// Cuts D (positions i1 < i2, size k) into D = [X1, D[i1+1] .. D[i2], X2] and the returned cell
/// [X2, D[i2+1] .. D[i1], X1] (round the end of the list).
Maille *couper(Maille &D, std::size_t i1, std::size_t i2, PointSimplex *X1, PointSimplex *X2)
{
    const std::size_t k = D.size();
    Maille *autre = new Maille{X2};
    for (std::size_t j = (i2 + 1) % k;; j = (j + 1) % k) {
        autre->push_back(D[j]);
        if (j == i1)
            break;
    }
    autre->push_back(X1);
    Maille moitie{X1};
    moitie.insert(moitie.end(), D.begin() + static_cast<long>(i1) + 1, D.begin() + static_cast<long>(i2) + 1);
    moitie.push_back(X2);
    D.swap(moitie);
    return autre;
}

/// A cut of cell c across its edges a-b and e-f, the same edges in the companion cell (aS..fS)
/// and in the previous points (Pa..Pf), and the middles put on them.
struct Coupe
{
    unsigned int c;
    std::size_t i1, i2;
    PointSimplex *a, *b, *e, *f;
    PointSimplex *aS, *bS, *eS, *fS;
    PointSimplex *Pa, *Pb, *Pe, *Pf;
    PointSimplex *X1 = nullptr, *X2 = nullptr, *XS1 = nullptr, *XS2 = nullptr;
};

/// "RaffinageT22 : <quoi>", the refinement's failures.
Raison enT22(Raison quoi)
{
    return Raison(CodeRaison::Contexte, {litteral("RaffinageT22"), std::move(quoi)});
}

Resultat refus(unsigned int c, Raison pourquoi)
{
    std::cerr << messageIndiceT22;
    return Resultat::echec(Statut::Echec, enT22(Raison(CodeRaison::Maille, {c, std::move(pourquoi)})));
}

/// Checks that cell c can be cut and picks its two edges; nothing is changed.
Resultat choisirCoupe(Simplex &s, unsigned int c, const Index &index, Coupe &coupe)
{
    if (c >= s.ListeMailles.size()) {
        std::cerr << messageIndiceT22;
        return Resultat::echec(
            Statut::ArgumentsIncorrects,
            enT22(Raison(CodeRaison::IndiceDeMaille, {c, static_cast<long>(s.ListeMailles.size()) - 1})));
    }
    Maille &D = *s.ListeMailles[c];
    Maille &DS = *s.ListeMaillesSuivantes.at(c);
    const std::size_t k = D.size();
    if (k < 3)
        return refus(c, Raison(CodeRaison::TropPeuDePointsPourCouper, {k}));
    if (DS.size() != k)
        return refus(c, Raison(CodeRaison::MailleSuivanteDifferente, {DS.size(), k}));
    coupe.c = c;
    coupe.i1 = k / 2 - 1;
    coupe.i2 = 2 * (k / 2) - 1;
    coupe.a = D[coupe.i1], coupe.b = D[coupe.i1 + 1], coupe.e = D[coupe.i2];
    coupe.f = D[(coupe.i2 + 1) % k];
    coupe.aS = DS[coupe.i1], coupe.bS = DS[coupe.i1 + 1], coupe.eS = DS[coupe.i2];
    coupe.fS = DS[(coupe.i2 + 1) % k];

    auto indice = [&](const PointSimplex *p) { return index.points ? index.points->premier(p) : s.indicePoint(p); };
    const int j[4] = {indice(coupe.a), indice(coupe.b), indice(coupe.e), indice(coupe.f)};
    const long nbPrecedents = static_cast<long>(s.ListePointsPrecedents.size());
    for (int q : j)
        if (q < 0 || q >= nbPrecedents)
            return refus(c, Raison(CodeRaison::PointHorsDeLaListe));
    coupe.Pa = s.ListePointsPrecedents[j[0]], coupe.Pb = s.ListePointsPrecedents[j[1]];
    coupe.Pe = s.ListePointsPrecedents[j[2]], coupe.Pf = s.ListePointsPrecedents[j[3]];
    return Resultat::succes();
}

/// Adds the middles of the two edges to the three point lists and links them in place of the
/// edges: X1 = (a, b, X2), X2 = (e, f, X1), the same in the companion and previous points.
void creerMilieux(Simplex &s, Coupe &k, const Index &index)
{
    PointSimplex *Y1 = new PointSimplex(), *Y2 = new PointSimplex();
    k.X1 = new PointSimplex(), k.X2 = new PointSimplex();
    k.XS1 = new PointSimplex(), k.XS2 = new PointSimplex();
    const std::size_t n = s.ListePointsSimplex.size();
    s.ListePointsSimplex.push_back(k.X1);
    s.ListePointsSimplex.push_back(k.X2);
    s.ListePointsSuivants.push_back(k.XS1);
    s.ListePointsSuivants.push_back(k.XS2);
    s.ListePointsPrecedents.push_back(Y1);
    s.ListePointsPrecedents.push_back(Y2);

    k.X1->Position = milieu(k.a, k.b);
    k.X2->Position = milieu(k.e, k.f);
    k.XS1->Position = milieu(k.aS, k.bS);
    k.XS2->Position = milieu(k.eS, k.fS);
    Y1->Position = milieu(k.Pa, k.Pb);
    Y2->Position = milieu(k.Pe, k.Pf);
    lier(k.X1, k.a, k.b, k.X2);
    lier(k.X2, k.e, k.f, k.X1);
    lier(k.XS1, k.aS, k.bS, k.XS2);
    lier(k.XS2, k.eS, k.fS, k.XS1);
    lier(Y1, k.Pa, k.Pb, Y2);
    lier(Y2, k.Pe, k.Pf, Y1);

    const std::unordered_set<PointSimplex *> relies{k.a, k.b, k.e, k.f};
    if (index.points)
        for (PointSimplex *p : relies)
            index.points->retirer(p);
    remplacerVoisin(k.a, k.b, k.X1);
    remplacerVoisin(k.b, k.a, k.X1);
    remplacerVoisin(k.e, k.f, k.X2);
    remplacerVoisin(k.f, k.e, k.X2);
    remplacerVoisin(k.aS, k.bS, k.XS1);
    remplacerVoisin(k.bS, k.aS, k.XS1);
    remplacerVoisin(k.eS, k.fS, k.XS2);
    remplacerVoisin(k.fS, k.eS, k.XS2);
    remplacerVoisin(k.Pa, k.Pb, Y1);
    remplacerVoisin(k.Pb, k.Pa, Y1);
    remplacerVoisin(k.Pe, k.Pf, Y2);
    remplacerVoisin(k.Pf, k.Pe, Y2);
    if (index.points) {
        for (PointSimplex *p : relies)
            index.points->remettre(p);
        index.points->ajouter(k.X1, static_cast<int>(n));
        index.points->ajouter(k.X2, static_cast<int>(n + 1));
    }
}

/// The cells across the two cut edges, in the mesh (F[0], F[1]) and the companion (F[2], F[3]).
Resultat trouverVoisines(Simplex &s, const Coupe &k, const Index &index, int F[4])
{
    const Maille *D = s.ListeMailles[k.c], *DS = s.ListeMaillesSuivantes[k.c];
    voisines(s.ListeMailles, D, index.mailles, k.a, k.b, k.e, k.f, F[0], F[1]);
    const char *compagnon = "";
    if (F[0] >= 0 && F[1] >= 0) {
        voisines(s.ListeMaillesSuivantes, DS, index.maillesSuivantes, k.aS, k.bS, k.eS, k.fS, F[2], F[3]);
        compagnon = " - C";
        if (F[2] >= 0 && F[3] >= 0)
            return Resultat::succes();
    }
    const int G1 = *compagnon ? F[2] : F[0], G2 = *compagnon ? F[3] : F[1];
    const Raison quoi(G1 < 0 && G2 < 0 ? CodeRaison::VoisinesIntrouvables
                      : G1 < 0         ? CodeRaison::PremiereVoisineIntrouvable
                                       : CodeRaison::SecondeVoisineIntrouvable);
    std::cerr << "Erreur dans RaffinageT22 : " << texte(quoi) << compagnon << "\n";
    return Resultat::echec(
        Statut::Echec,
        enT22(Raison(CodeRaison::Maille, {k.c, *compagnon ? Raison(CodeRaison::MaillageSuivant, {quoi}) : quoi})));
}

/// Positions of a, b in the first cell across and of e, f in the second: the middles go between
/// them, in the companion cells too.
struct Places
{
    int pa, pb, pe, pf;
};

/// Checks that each middle can go between its two points in the four cells across the cut
/// edges (the companion cells read at the positions found in the mesh's cells).
Resultat verifierInsertions(Simplex &s, const Coupe &k, const int F[4], Places &places)
{
    const Maille &mF1 = *s.ListeMailles[F[0]], &mF2 = *s.ListeMailles[F[1]];
    places = {s.indiceDansMaille(k.a, mF1), s.indiceDansMaille(k.b, mF1), s.indiceDansMaille(k.e, mF2),
              s.indiceDansMaille(k.f, mF2)};
    const struct
    {
        const Maille &m;
        int indice, p, q;
        const char *quelle, *compagnon;
    } cas[] = {{mF1, F[0], places.pa, places.pb, "première", ""},
               {*s.ListeMaillesSuivantes[F[2]], F[2], places.pa, places.pb, "première", " - C"},
               {mF2, F[1], places.pe, places.pf, "seconde", ""},
               {*s.ListeMaillesSuivantes[F[3]], F[3], places.pe, places.pf, "seconde", " - C"}};
    Resultat premier;
    for (const auto &c : cas) {
        if (consecutifs(static_cast<int>(c.m.size()), c.p, c.q))
            continue;
        std::cerr << "Erreur dans RaffinageT22 : Ordre des points incohérents dans la " << c.quelle << " maille voisine"
                  << c.compagnon << "\n";
        retenir(premier,
                Resultat::echec(Statut::Echec,
                                enT22(Raison(CodeRaison::Maille, {c.indice, Raison(CodeRaison::OrdreIncoherent)}))));
    }
    return premier;
}

/// Puts the middles into the cells across the cut edges.
void insererMilieux(Simplex &s, const Coupe &k, const Index &index, const int F[4], const Places &places)
{
    auto inserer = [](std::vector<Maille *> &liste, int indice, IndexMailles *im, int p, int q, PointSimplex *x) {
        insererEntre(*liste[indice], p, q, x);
        if (im)
            im->actualiser(*liste[indice], indice, {x});
    };
    inserer(s.ListeMailles, F[0], index.mailles, places.pa, places.pb, k.X1);
    inserer(s.ListeMaillesSuivantes, F[2], index.maillesSuivantes, places.pa, places.pb, k.XS1);
    inserer(s.ListeMailles, F[1], index.mailles, places.pe, places.pf, k.X2);
    inserer(s.ListeMaillesSuivantes, F[3], index.maillesSuivantes, places.pe, places.pf, k.XS2);
}

/// Cuts the cell and its companion in two along X1-X2; the second halves are appended.
void couperEnDeux(Simplex &s, const Coupe &k, const Index &index)
{
    auto couperDans = [&](std::vector<Maille *> &liste, IndexMailles *im, PointSimplex *x1, PointSimplex *x2) {
        Maille &D = *liste[k.c];
        const Maille ancien = D;
        liste.push_back(couper(D, k.i1, k.i2, x1, x2));
        if (!im)
            return;
        std::vector<PointSimplex *> concernes(ancien);
        concernes.push_back(x1);
        concernes.push_back(x2);
        im->actualiser(D, static_cast<int>(k.c), concernes);
        im->ajouterMaille(*liste.back(), static_cast<int>(liste.size() - 1));
    };
    couperDans(s.ListeMailles, index.mailles, k.X1, k.X2);
    couperDans(s.ListeMaillesSuivantes, index.maillesSuivantes, k.XS1, k.XS2);
}

} // namespace

Resultat t22(Simplex &s, unsigned int c, const Index &index)
{
    // Every check comes before the first change, so a cut that cannot be made leaves the mesh as
    // it was instead of half-linked middles.
    Coupe coupe;
    Resultat r = choisirCoupe(s, c, index, coupe);
    if (!r)
        return r;
    int F[4];
    r = trouverVoisines(s, coupe, index, F);
    if (!r)
        return r;
    Places places;
    r = verifierInsertions(s, coupe, F, places);
    if (!r)
        return r;
    creerMilieux(s, coupe, index);
    insererMilieux(s, coupe, index, F, places);
    couperEnDeux(s, coupe, index);
    s.majParametres(static_cast<int>(s.ListePointsSimplex.size() - 2), 0);
    s.majParametres(static_cast<int>(s.ListePointsSimplex.size() - 1), 0);
    return r;
}

} // namespace raffinage

using namespace raffinage;

void Simplex::RaffinageT22(unsigned int indice)
{
    raffinerT22(indice);
}

void Simplex::RaffinageT22PointsParMaille()
{
    raffinerT22PointsParMaille();
}

void Simplex::RaffinageT22Surfaces()
{
    raffinerT22Surfaces();
}

Resultat Simplex::raffinerT22(unsigned int indice)
{
    const Resultat r = t22(*this, indice, Index());
    if (r)
        orienterVersExterieur(*this);
    return r;
}

namespace {

/// Cuts the cells c (in increasing order) of the pass whose criterion `couper(c)` holds,
/// the progression asked before each cell.
template <class Critere>
Resultat passeT22(Simplex &s, std::size_t n, Critere couper, const Progression &progression, CodeRaison nom)
{
    IndexPasse passe(s);
    ::Avancement avancement(progression, Raison(nom), n);
    Resultat premier;
    for (std::size_t c = 0; c < n; ++c) {
        if (!avancement.avancer(c)) {
            orienterVersExterieur(s);
            return Resultat::interrompu(Raison(nom));
        }
        if (couper(c))
            retenir(premier, t22(s, static_cast<unsigned int>(c), passe.index()));
    }
    avancement.terminer();
    // The cuts keep the link order of each cell; the pass then turns every cell outward.
    orienterVersExterieur(s);
    return premier;
}

} // namespace

Resultat Simplex::raffinerT22PointsParMaille(const Progression &progression)
{
    std::cout << "Nombre de points par maille \n";
    const std::size_t n = ListeMaillesSuivantes.size();
    if (n == 0)
        return Resultat::succes();
    std::size_t total = 0;
    for (const Maille *m : ListeMaillesSuivantes)
        total += m->size();
    const std::size_t moyenne = total / n;
    return passeT22(
        *this, n, [&](std::size_t c) { return ListeMaillesSuivantes.at(c)->size() > moyenne; }, progression,
        CodeRaison::RaffinageT22PointsParMaille);
}

Resultat Simplex::raffinerT22Surfaces(const Progression &progression)
{
    if (ListeMailles.empty())
        return Resultat::succes();
    std::vector<float> aires;
    aires.reserve(ListeMaillesSuivantes.size());
    float total = 0;
    for (const Maille *m : ListeMaillesSuivantes) {
        point3 somme(0, 0, 0);
        for (const PointSimplex *p : *m)
            somme += p->Position;
        const point3 G = somme / static_cast<double>(m->size());
        float aire = 0;
        for (std::size_t j = 0; j < m->size(); ++j) {
            const point3 &pj = (*m)[j]->Position;
            const point3 &suivant = (*m)[(j + 1) % m->size()]->Position;
            aire = static_cast<float>(aire + 0.5 * (vector3(pj, G) ^ vector3(suivant, pj)).norme());
        }
        aires.push_back(aire);
        total = total + aire;
    }
    const float moyenne = total / static_cast<float>(ListeMailles.size());
    return passeT22(
        *this, aires.size(), [&](std::size_t c) { return aires[c] > moyenne; }, progression,
        CodeRaison::RaffinageT22Surfaces);
}
