// Cell orientation, point lookups and the index maps behind the refinement and conversions.

#include "SimplexRaffinage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>

namespace raffinage {

// --- Indices ------------------------------------------------------------------------------------

void Indices::inserer(int i)
{
    if (deborde.empty()) {
        int *fin = t + n;
        int *pos = std::lower_bound(t, fin, i);
        if (pos != fin && *pos == i)
            return;
        if (n < 4) {
            std::copy_backward(pos, fin, fin + 1);
            *pos = i;
            ++n;
            return;
        }
        deborde.assign(t, fin);
        n = 0;
    }
    auto pos = std::lower_bound(deborde.begin(), deborde.end(), i);
    if (pos == deborde.end() || *pos != i)
        deborde.insert(pos, i);
}

void Indices::enlever(int i)
{
    if (deborde.empty()) {
        int *fin = t + n;
        int *pos = std::lower_bound(t, fin, i);
        if (pos != fin && *pos == i) {
            std::copy(pos + 1, fin, pos);
            --n;
        }
        return;
    }
    auto pos = std::lower_bound(deborde.begin(), deborde.end(), i);
    if (pos != deborde.end() && *pos == i)
        deborde.erase(pos);
}

// --- IndexContenu -------------------------------------------------------------------------------

bool IndexContenu::indexable(const PointSimplex *p)
{
    // A coordinate that is not a number makes == false against every record, itself included.
    return p && !std::isnan(p->Position.x) && !std::isnan(p->Position.y) && !std::isnan(p->Position.z);
}

IndexContenu::Cle IndexContenu::cle(const PointSimplex *p)
{
    // -0 and +0 compare equal: give them one key.
    auto net = [](double v) { return v == 0 ? 0.0 : v; };
    return Cle{net(p->Position.x), net(p->Position.y), net(p->Position.z), p->Voisin1, p->Voisin2, p->Voisin3};
}

std::size_t IndexContenu::HachageCle::operator()(const Cle &c) const
{
    auto bits = [](double v) {
        std::uint64_t b;
        std::memcpy(&b, &v, sizeof b);
        return b;
    };
    auto melanger = [](std::uint64_t x) {
        x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
        x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
        return x ^ (x >> 31);
    };
    std::uint64_t h = melanger(bits(c.x));
    h = melanger(h ^ bits(c.y));
    h = melanger(h ^ bits(c.z));
    h = melanger(h ^ reinterpret_cast<std::uintptr_t>(c.v1));
    h = melanger(h ^ reinterpret_cast<std::uintptr_t>(c.v2));
    h = melanger(h ^ reinterpret_cast<std::uintptr_t>(c.v3));
    return static_cast<std::size_t>(h);
}

IndexContenu::IndexContenu(const std::vector<PointSimplex *> &liste)
{
    parContenu.reserve(liste.size());
    parPointeur.reserve(liste.size());
    for (std::size_t i = 0; i < liste.size(); ++i)
        ajouter(liste[i], static_cast<int>(i));
}

void IndexContenu::inserer(const PointSimplex *p, int indice)
{
    if (indexable(p))
        parContenu[cle(p)].inserer(indice);
}

void IndexContenu::enlever(const PointSimplex *p, int indice)
{
    if (!indexable(p))
        return;
    auto it = parContenu.find(cle(p));
    if (it == parContenu.end())
        return;
    it->second.enlever(indice);
    if (it->second.vide())
        parContenu.erase(it);
}

void IndexContenu::ajouter(const PointSimplex *p, int indice)
{
    if (!p)
        return;
    parPointeur[p].inserer(indice);
    inserer(p, indice);
}

void IndexContenu::retirer(const PointSimplex *p)
{
    auto it = parPointeur.find(p);
    if (it == parPointeur.end())
        return;
    for (std::size_t k = 0; k < it->second.taille(); ++k)
        enlever(p, it->second[k]);
}

void IndexContenu::remettre(const PointSimplex *p)
{
    auto it = parPointeur.find(p);
    if (it == parPointeur.end())
        return;
    for (std::size_t k = 0; k < it->second.taille(); ++k)
        inserer(p, it->second[k]);
}

int IndexContenu::premier(const PointSimplex *p) const
{
    if (!indexable(p))
        return -1;
    auto it = parContenu.find(cle(p));
    return it == parContenu.end() || it->second.vide() ? -1 : it->second[0];
}

// --- IndexMailles -------------------------------------------------------------------------------

IndexMailles::IndexMailles(const std::vector<Maille *> &mailles, std::size_t limite)
{
    limite = std::min(limite, mailles.size());
    parPoint.reserve(limite * 2);
    for (std::size_t j = 0; j < limite; ++j)
        if (mailles[j])
            ajouterMaille(*mailles[j], static_cast<int>(j));
}

const Indices &IndexMailles::mailles(const PointSimplex *p) const
{
    auto it = parPoint.find(p);
    return it == parPoint.end() ? vide : it->second;
}

void IndexMailles::ajouterMaille(const Maille &maille, int indice)
{
    for (const PointSimplex *p : maille)
        parPoint[p].inserer(indice);
}

void IndexMailles::actualiser(const Maille &maille, int indice, const std::vector<PointSimplex *> &concernes)
{
    for (const PointSimplex *p : concernes) {
        if (std::find(maille.begin(), maille.end(), p) != maille.end())
            parPoint[p].inserer(indice);
        else {
            auto it = parPoint.find(p);
            if (it != parPoint.end())
                it->second.enlever(indice);
        }
    }
}

IndexPasse::IndexPasse(Simplex &s)
{
    if (s.recherche != Recherche::Indexee)
        return;
    points.reset(new IndexContenu(s.ListePointsSimplex));
    mailles.reset(new IndexMailles(s.ListeMailles, s.ListeMailles.size()));
    suivantes.reset(new IndexMailles(s.ListeMaillesSuivantes, s.ListeMaillesSuivantes.size()));
}

// --- helpers ------------------------------------------------------------------------------------

int indiceParParcours(const std::vector<PointSimplex *> &liste, const PointSimplex *p)
{
    if (!p)
        return -1;
    for (std::size_t i = 0; i < liste.size(); ++i)
        if (liste[i] && *liste[i] == *p)
            return static_cast<int>(i);
    return -1;
}

void remplacerVoisin(PointSimplex *q, const PointSimplex *ancien, PointSimplex *nouveau)
{
    if (!q)
        return;
    if (q->Voisin1 == ancien)
        q->Voisin1 = nouveau;
    else if (q->Voisin2 == ancien)
        q->Voisin2 = nouveau;
    else if (q->Voisin3 == ancien)
        q->Voisin3 = nouveau;
}

EditionMaille modifierMaille(Simplex &s, Maille &maille, PointSimplex *P, PointSimplex *N1, PointSimplex *N2,
                             PointSimplex *N3, PointSimplex *A, PointSimplex *B)
{
    const int m = static_cast<int>(maille.size());
    const int iP = s.indiceDansMaille(P, maille);
    const int i1 = s.indiceDansMaille(N1, maille);
    const int i2 = s.indiceDansMaille(N2, maille);
    const int i3 = s.indiceDansMaille(N3, maille);
    auto mod = [m](int v) { return ((v % m) + m) % m; };
    auto inserer = [&maille](int q, PointSimplex *x) { maille.insert(maille.begin() + q, x); };

    if (i3 != -1) {
        if (i1 != -1) {
            if (i1 == mod(iP - 1))
                inserer(iP, A);
            else if (i1 == mod(iP + 1))
                inserer(iP + 1, A);
            else
                return EditionMaille::NonConsecutifs;
            return EditionMaille::Faite;
        }
        if (i2 == -1)
            return EditionMaille::UnSeulVoisin;
        if (i2 == mod(iP - 1))
            inserer(iP, B);
        else if (i2 == mod(iP + 1))
            inserer(iP + 1, B);
        else
            return EditionMaille::NonConsecutifs;
        return EditionMaille::Faite;
    }
    if (i1 == -1 || i2 == -1)
        return EditionMaille::AucunVoisin;
    if (i2 == mod(i1 + 2) && iP == mod(i1 + 1)) {
        maille.erase(maille.begin() + iP);
        inserer(iP, B);
        inserer(iP, A);
        return EditionMaille::Faite;
    }
    if (i1 == mod(i2 + 2) && iP == mod(i2 + 1)) {
        maille.erase(maille.begin() + iP);
        inserer(iP, A);
        inserer(iP, B);
        return EditionMaille::Faite;
    }
    return EditionMaille::OrdreIncoherent;
}

Raison raisonEdition(EditionMaille e, const char *operation)
{
    switch (e) {
    case EditionMaille::NonConsecutifs:
        return Raison(CodeRaison::EditionNonConsecutifs, {litteral(operation)});
    case EditionMaille::UnSeulVoisin:
        return Raison(CodeRaison::EditionUnSeulVoisin, {litteral(operation)});
    case EditionMaille::AucunVoisin:
        return Raison(CodeRaison::EditionAucunVoisin, {litteral(operation)});
    case EditionMaille::OrdreIncoherent:
        return Raison(CodeRaison::EditionOrdreIncoherent, {litteral(operation)});
    case EditionMaille::Faite:
        break;
    }
    return Raison();
}

} // namespace raffinage

// --- Simplex: orientation and lookups -------------------------------------------------------------

void Simplex::orienterMaille(Maille &maille)
{
    if (maille.size() < 2)
        return;
    const PointSimplex *p1 = maille.front();
    const PointSimplex *p2 = maille[1];
    const PointSimplex *pk = maille.back();
    if (!p1 || !p2 || !pk)
        return;
    const vector3 c = vector3(p1->Position, p2->Position) ^ vector3(p1->Position, pk->Position);
    // A product that is not a number is not below 0: the order stays.
    if (static_cast<float>(c * p1->Ni) < 0)
        std::reverse(maille.begin(), maille.end());
}

int Simplex::indiceDansMaille(const PointSimplex *p, const Maille &maille)
{
    for (std::size_t i = 0; i < maille.size(); ++i)
        if (maille[i] == p)
            return static_cast<int>(i);
    return -1;
}

int Simplex::indicePoint(const PointSimplex *p)
{
    return raffinage::indiceParParcours(ListePointsSimplex, p);
}

int Simplex::indicePointSuivant(const PointSimplex *p)
{
    return raffinage::indiceParParcours(ListePointsSuivants, p);
}
