// T22 refinement: a cell is cut in two along a new edge between the middles of two of its edges.

#include <algorithm>
#include <iostream>
#include <memory>
#include <unordered_set>

#include "SimplexRaffinage.h"

namespace raffinage {

namespace {

const char *const messageIndiceT22 =
    "Erreur dans RaffinageT22 : L'indice passé en paramètre est incohérent\n";

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
void voisines(const std::vector<Maille *> &liste, const Maille *D, const IndexMailles *index,
              const PointSimplex *a, const PointSimplex *b, const PointSimplex *e,
              const PointSimplex *f, int &F1, int &F2)
{
    F1 = F2 = -1;
    int trouvees = 0;
    auto examiner = [&](std::size_t j) {
        const Maille *m = liste[j];
        if (m == D)
            return;
        if (tient(*m, a) && tient(*m, b))
        {
            F1 = static_cast<int>(j);
            ++trouvees;
        }
        else if (tient(*m, e) && tient(*m, f))
        {
            F2 = static_cast<int>(j);
            ++trouvees;
        }
    };
    if (!index)
    {
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

/// Inserts x between the points at positions pa and pb of m when they are consecutive.
bool insererEntre(Maille &m, int pa, int pb, PointSimplex *x)
{
    const int taille = static_cast<int>(m.size());
    if (taille == 0)
        return false;
    if (pb == (pa + 1) % taille)
        m.insert(m.begin() + pb, x);
    else if (pa == (pb + 1) % taille)
        m.insert(m.begin() + pa, x);
    else
        return false;
    return true;
}

/// Cuts D (positions i1 < i2, size k) into D = [X1, D[i1+1] .. D[i2], X2] and the returned cell
/// [X2, D[i2+1] .. D[i1], X1] (round the end of the list).
Maille *couper(Maille &D, std::size_t i1, std::size_t i2, PointSimplex *X1, PointSimplex *X2)
{
    const std::size_t k = D.size();
    Maille *autre = new Maille{X2};
    for (std::size_t j = (i2 + 1) % k;; j = (j + 1) % k)
    {
        autre->push_back(D[j]);
        if (j == i1)
            break;
    }
    autre->push_back(X1);
    Maille moitie{X1};
    moitie.insert(moitie.end(), D.begin() + static_cast<long>(i1) + 1,
                  D.begin() + static_cast<long>(i2) + 1);
    moitie.push_back(X2);
    D.swap(moitie);
    return autre;
}

} // namespace

void t22(Simplex &s, unsigned int c, const Index &index)
{
    if (c >= s.ListeMailles.size())
    {
        std::cerr << messageIndiceT22;
        return;
    }
    Maille &D = *s.ListeMailles[c];
    Maille &DS = *s.ListeMaillesSuivantes.at(c);
    const std::size_t k = D.size();
    if (k < 3 || DS.size() != k)
    {
        // Not a cell that can be cut, or its companion does not line up with it.
        std::cerr << messageIndiceT22;
        return;
    }
    const std::size_t i1 = k / 2 - 1;
    const std::size_t i2 = 2 * (k / 2) - 1;
    PointSimplex *a = D[i1], *b = D[i1 + 1], *e = D[i2], *f = D[(i2 + 1) % k];
    PointSimplex *aS = DS[i1], *bS = DS[i1 + 1], *eS = DS[i2], *fS = DS[(i2 + 1) % k];

    auto indice = [&](const PointSimplex *p) {
        return index.points ? index.points->premier(p) : s.indicePoint(p);
    };
    const int ia = indice(a), ib = indice(b), ie = indice(e), jf = indice(f);
    const long nbPrecedents = static_cast<long>(s.ListePointsPrecedents.size());
    for (int j : {ia, ib, ie, jf})
        if (j < 0 || j >= nbPrecedents)
        {
            // A point of the cell that the mesh does not hold: the cell is not cut.
            std::cerr << messageIndiceT22;
            return;
        }
    PointSimplex *Pa = s.ListePointsPrecedents[ia], *Pb = s.ListePointsPrecedents[ib];
    PointSimplex *Pe = s.ListePointsPrecedents[ie], *Pf = s.ListePointsPrecedents[jf];

    PointSimplex *X1 = new PointSimplex(), *X2 = new PointSimplex();
    PointSimplex *XS1 = new PointSimplex(), *XS2 = new PointSimplex();
    PointSimplex *Y1 = new PointSimplex(), *Y2 = new PointSimplex();
    const std::size_t n = s.ListePointsSimplex.size();
    s.ListePointsSimplex.push_back(X1);
    s.ListePointsSimplex.push_back(X2);
    s.ListePointsSuivants.push_back(XS1);
    s.ListePointsSuivants.push_back(XS2);
    s.ListePointsPrecedents.push_back(Y1);
    s.ListePointsPrecedents.push_back(Y2);

    X1->Position = milieu(a, b);
    X2->Position = milieu(e, f);
    XS1->Position = milieu(aS, bS);
    XS2->Position = milieu(eS, fS);
    Y1->Position = milieu(Pa, Pb);
    Y2->Position = milieu(Pe, Pf);
    lier(X1, a, b, X2);
    lier(X2, e, f, X1);
    lier(XS1, aS, bS, XS2);
    lier(XS2, eS, fS, XS1);
    lier(Y1, Pa, Pb, Y2);
    lier(Y2, Pe, Pf, Y1);

    const std::unordered_set<PointSimplex *> relies{a, b, e, f};
    if (index.points)
        for (PointSimplex *p : relies)
            index.points->retirer(p);
    remplacerVoisin(a, b, X1);
    remplacerVoisin(b, a, X1);
    remplacerVoisin(e, f, X2);
    remplacerVoisin(f, e, X2);
    remplacerVoisin(aS, bS, XS1);
    remplacerVoisin(bS, aS, XS1);
    remplacerVoisin(eS, fS, XS2);
    remplacerVoisin(fS, eS, XS2);
    remplacerVoisin(Pa, Pb, Y1);
    remplacerVoisin(Pb, Pa, Y1);
    remplacerVoisin(Pe, Pf, Y2);
    remplacerVoisin(Pf, Pe, Y2);
    if (index.points)
    {
        for (PointSimplex *p : relies)
            index.points->remettre(p);
        index.points->ajouter(X1, static_cast<int>(n));
        index.points->ajouter(X2, static_cast<int>(n + 1));
    }

    int F1, F2, FS1, FS2;
    voisines(s.ListeMailles, &D, index.mailles, a, b, e, f, F1, F2);
    if (F1 < 0 && F2 < 0)
    {
        std::cerr << "Erreur dans RaffinageT22 : les mailles voisines n'ont pas été trouvées\n";
        return;
    }
    if (F1 < 0)
    {
        std::cerr << "Erreur dans RaffinageT22 : la première maille voisine n'a pas été trouvée\n";
        return;
    }
    if (F2 < 0)
    {
        std::cerr << "Erreur dans RaffinageT22 : la seconde maille voisine n'a pas été trouvée\n";
        return;
    }
    voisines(s.ListeMaillesSuivantes, &DS, index.maillesSuivantes, aS, bS, eS, fS, FS1, FS2);
    if (FS1 < 0 && FS2 < 0)
    {
        std::cerr
            << "Erreur dans RaffinageT22 : les mailles voisines n'ont pas été trouvées - C\n";
        return;
    }
    if (FS1 < 0)
    {
        std::cerr
            << "Erreur dans RaffinageT22 : la première maille voisine n'a pas été trouvée - C\n";
        return;
    }
    if (FS2 < 0)
    {
        std::cerr
            << "Erreur dans RaffinageT22 : la seconde maille voisine n'a pas été trouvée - C\n";
        return;
    }

    // The companion cells are read at the positions found in the mesh's cells.
    Maille &mF1 = *s.ListeMailles[F1], &mF2 = *s.ListeMailles[F2];
    Maille &mFS1 = *s.ListeMaillesSuivantes[FS1], &mFS2 = *s.ListeMaillesSuivantes[FS2];
    const int pa = s.indiceDansMaille(a, mF1), pb = s.indiceDansMaille(b, mF1);
    if (insererEntre(mF1, pa, pb, X1))
    {
        if (index.mailles)
            index.mailles->actualiser(mF1, F1, {X1});
    }
    else
        std::cerr << "Erreur dans RaffinageT22 : Ordre des points incohérents dans la première "
                     "maille voisine\n";
    if (insererEntre(mFS1, pa, pb, XS1))
    {
        if (index.maillesSuivantes)
            index.maillesSuivantes->actualiser(mFS1, FS1, {XS1});
    }
    else
        std::cerr << "Erreur dans RaffinageT22 : Ordre des points incohérents dans la première "
                     "maille voisine - C\n";
    const int pe = s.indiceDansMaille(e, mF2), pf = s.indiceDansMaille(f, mF2);
    if (insererEntre(mF2, pe, pf, X2))
    {
        if (index.mailles)
            index.mailles->actualiser(mF2, F2, {X2});
    }
    else
        std::cerr << "Erreur dans RaffinageT22 : Ordre des points incohérents dans la seconde "
                     "maille voisine\n";
    if (insererEntre(mFS2, pe, pf, XS2))
    {
        if (index.maillesSuivantes)
            index.maillesSuivantes->actualiser(mFS2, FS2, {XS2});
    }
    else
        std::cerr << "Erreur dans RaffinageT22 : Ordre des points incohérents dans la seconde "
                     "maille voisine - C\n";

    const Maille ancienD = D, ancienDS = DS;
    s.ListeMailles.push_back(couper(D, i1, i2, X1, X2));
    s.ListeMaillesSuivantes.push_back(couper(DS, i1, i2, XS1, XS2));
    if (index.mailles)
    {
        std::vector<PointSimplex *> concernes(ancienD);
        concernes.push_back(X1);
        concernes.push_back(X2);
        index.mailles->actualiser(D, static_cast<int>(c), concernes);
        index.mailles->ajouterMaille(*s.ListeMailles.back(),
                                     static_cast<int>(s.ListeMailles.size() - 1));
    }
    if (index.maillesSuivantes)
    {
        std::vector<PointSimplex *> concernes(ancienDS);
        concernes.push_back(XS1);
        concernes.push_back(XS2);
        index.maillesSuivantes->actualiser(DS, static_cast<int>(c), concernes);
        index.maillesSuivantes->ajouterMaille(*s.ListeMaillesSuivantes.back(),
                                              static_cast<int>(s.ListeMaillesSuivantes.size() - 1));
    }

    s.majParametres(static_cast<int>(s.ListePointsSimplex.size() - 2), 0);
    s.majParametres(static_cast<int>(s.ListePointsSimplex.size() - 1), 0);
}

} // namespace raffinage

using namespace raffinage;

namespace {

/// Maps over the mesh kept up to date across the cuts of one pass (none when scanning).
struct IndexPasse
{
    explicit IndexPasse(Simplex &s)
    {
        if (rechercheCourante() != Recherche::Indexee)
            return;
        points.reset(new IndexContenu(s.ListePointsSimplex));
        mailles.reset(new IndexMailles(s.ListeMailles, s.ListeMailles.size()));
        suivantes.reset(new IndexMailles(s.ListeMaillesSuivantes, s.ListeMaillesSuivantes.size()));
    }
    Index index() const { return Index{points.get(), mailles.get(), suivantes.get()}; }

    std::unique_ptr<IndexContenu> points;
    std::unique_ptr<IndexMailles> mailles, suivantes;
};

} // namespace

void Simplex::RaffinageT22(unsigned int indice)
{
    t22(*this, indice, Index());
}

void Simplex::RaffinageT22PointsParMaille()
{
    std::cout << "Nombre de points par maille \n";
    const std::size_t n = ListeMaillesSuivantes.size();
    if (n == 0)
        return;
    std::size_t total = 0;
    for (const Maille *m : ListeMaillesSuivantes)
        total += m->size();
    const std::size_t moyenne = total / n;
    IndexPasse passe(*this);
    for (std::size_t c = 0; c < n; ++c)
        if (ListeMaillesSuivantes.at(c)->size() > moyenne)
            t22(*this, static_cast<unsigned int>(c), passe.index());
}

void Simplex::RaffinageT22Surfaces()
{
    if (ListeMailles.empty())
        return;
    std::vector<float> aires;
    aires.reserve(ListeMaillesSuivantes.size());
    float total = 0;
    for (const Maille *m : ListeMaillesSuivantes)
    {
        point3 somme(0, 0, 0);
        for (const PointSimplex *p : *m)
            somme += p->Position;
        const point3 G = somme / static_cast<double>(m->size());
        float aire = 0;
        for (std::size_t j = 0; j < m->size(); ++j)
        {
            const point3 &pj = (*m)[j]->Position;
            const point3 &suivant = (*m)[(j + 1) % m->size()]->Position;
            aire = static_cast<float>(aire +
                                      0.5 * (vector3(pj, G) ^ vector3(suivant, pj)).norme());
        }
        aires.push_back(aire);
        total = total + aire;
    }
    const float moyenne = total / static_cast<float>(ListeMailles.size());
    IndexPasse passe(*this);
    for (std::size_t c = 0; c < aires.size(); ++c)
        if (aires[c] > moyenne)
            t22(*this, static_cast<unsigned int>(c), passe.index());
}
