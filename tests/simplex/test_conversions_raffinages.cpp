// Conversions between closed triangle meshes and simplex meshes: the edge table, the dual, the
// meshes it refuses, the triangulation and the round trip. Refinements: the T26 split of one
// point, the cell edits, the global pass and the pass by angles; the T22 cut of one cell, the
// passes by points per cell and by surface; random sequences of refinements, from the template
// and from a converted octahedron, after each of which the mesh invariants hold and nothing
// reports an error; the index maps against the scans they replace.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <tuple>

#include "refine_fixtures.h"
#include "simplex_fixtures.h"
#include "SimplexRaffinage.h"
#include "support.h"

using namespace tarnis_test;

namespace {

/// Index of p in the list (its size when absent).
int rang(const std::vector<PointSimplex *> &liste, const PointSimplex *p)
{
    return static_cast<int>(std::find(liste.begin(), liste.end(), p) - liste.begin());
}

/// Checks that a triangle mesh is closed and consistently oriented: every edge runs once each way.
void attendreFermeEtOriente(const std::vector<Face> &faces)
{
    std::multiset<std::pair<int, int>> orientees;
    for (const Face &f : faces)
        for (auto ab : {std::make_pair(f.s1, f.s2), std::make_pair(f.s2, f.s3), std::make_pair(f.s3, f.s1)})
            orientees.insert(ab);
    for (const auto &ab : orientees)
        EXPECT_TRUE(orientees.count(ab) == 1 && orientees.count({ab.second, ab.first}) == 1)
            << ab.first << "-" << ab.second;
}

enum class Depart { Gabarit, Octaedre };

void preparer(Simplex &s, Depart d)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    octaedre(1.0, sommets, faces);
    ASSERT_TRUE(d == Depart::Gabarit ? chargerGabarit(s) : convertir(s, sommets, faces));
}

/// The lines of the refinements' own error messages among what was written. (The geometry's
/// diagnostics about imprecise circles on thin cells are not the refinements' concern.)
std::string erreursDeRaffinage(const std::string &texte)
{
    std::string trouvees, ligne;
    std::istringstream in(texte);
    while (std::getline(in, ligne))
        if (ligne.rfind("Erreur dans RaffinageT2", 0) == 0 || ligne.rfind("Erreur dans la modification d", 0) == 0)
            trouvees += ligne + "\n";
    return trouvees;
}

bool tient(const Maille &m, const PointSimplex *p)
{
    return std::find(m.begin(), m.end(), p) != m.end();
}

/// Index of the cell other than `sauf` holding both p and q, -1 when none.
int celluleAvec(const Simplex &s, const PointSimplex *p, const PointSimplex *q, std::size_t sauf)
{
    for (std::size_t j = 0; j < s.ListeMailles.size(); ++j)
        if (j != sauf && tient(*s.ListeMailles[j], p) && tient(*s.ListeMailles[j], q))
            return static_cast<int>(j);
    return -1;
}

/// x lies halfway between a and b.
void attendreMilieu(const point3 &x, const point3 &a, const point3 &b, double tolerance = 1e-12)
{
    EXPECT_LT(vector3(x, (a + b) / 2.0).norme(), tolerance);
}

std::string erreurs(const std::function<void()> &f)
{
    return captureStderr([&] { captureStdout(f); });
}

} // namespace

TEST(TriangleToSimplex, OctahedronGivesACubeOfEightPointsAndSixSquareCells)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    octaedre(1.0, sommets, faces);
    Simplex s;
    ASSERT_TRUE(convertir(s, sommets, faces));
    ASSERT_EQ(s.ListePointsSimplex.size(), 8u); // and so 6 cells, by the invariants
    for (const Maille *m : s.ListeMailles)
        EXPECT_EQ(m->size(), 4u);
    EXPECT_EQ(s.Avancement, 100);
    attendreInvariants(s);

    // Point i is the centroid of face i, its neighbours the faces across its three edges: as in the
    // dual that the fixtures build on their own.
    Simplex dual;
    construireDual(dual, sommets, faces);
    const auto &pts = s.ListePointsSimplex, &ref = dual.ListePointsSimplex;
    for (std::size_t i = 0; i < faces.size(); ++i) {
        EXPECT_NEAR(vector3(ref[i]->Position, pts[i]->Position).norme(), 0, 1e-15);
        for (auto v : {&PointSimplex::Voisin1, &PointSimplex::Voisin2, &PointSimplex::Voisin3})
            EXPECT_EQ(rang(pts, pts[i]->*v), rang(ref, ref[i]->*v)) << i;
    }
}

TEST(TriangleToSimplex, RefusesMeshesWithoutADualAndLeavesTheMeshAlone)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    octaedre(1.0, sommets, faces);
    std::vector<point3> avecIsole = sommets;
    avecIsole.push_back(point3(5, 5, 5));
    std::vector<Face> retournee = faces, horsLimites = faces;
    std::swap(retournee[0].s1, retournee[0].s2);
    horsLimites[2].s3 = 6;
    const std::tuple<std::vector<point3>, std::vector<Face>, std::string> cas[] = {
        // vertices, faces, reason
        {sommets, std::vector<Face>(faces.begin(), faces.end() - 1), "le maillage est ouvert"},
        {avecIsole, faces, "n'appartient à aucune face"},
        {sommets, {}, "aucune face"},
        {sommets, retournee, "orientées"},
        {sommets, horsLimites, "n'existe pas"},
    };
    for (const auto &[v, f, raison] : cas) {
        Simplex s;
        cubeDual(s);
        const std::string avant = empreinte(s);
        s.maillageOrigine = Maillage(v, f);
        Resultat r;
        captureSorties([&] { r = s.convertirTriangles(); });
        EXPECT_FALSE(r.reussi());
        EXPECT_NE(r.texte().find(raison), std::string::npos) << r.texte();
        EXPECT_EQ(empreinte(s), avant) << raison;
    }
}

// Companion cells must read like their cells position by position, even where the orientation
// reversed a cell; converting in a document that already held a simplex mesh must give companion
// lists that line up with the new mesh.
TEST(TriangleToSimplex, CompanionListsAndCellsLineUpWithTheNewMesh)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    icosaedreSubdivise(1, 2.0, sommets, faces);
    std::mt19937 alea(11);
    std::shuffle(faces.begin(), faces.end(), alea);
    std::vector<Face> tournees = faces;
    for (Face &f : tournees)
        f = Face{f.s2, f.s3, f.s1};

    int inversees = 0;
    for (const auto *lot : {&faces, &tournees}) {
        Simplex s;
        ASSERT_TRUE(chargerGabarit(s));
        ASSERT_TRUE(convertir(s, sommets, *lot));
        ASSERT_EQ(s.ListePointsSimplex.size(), lot->size());
        attendreInvariants(s);
        EXPECT_EQ(s.ListePointsInitiaux.size(), lot->size());

        // How many cells the orientation reversed: a walk starts at face1 of the vertex's first
        // edge, so a reversed cell no longer starts there.
        const Maillage &m = s.maillageOrigine;
        for (std::size_t v = 0; v < sommets.size(); ++v) {
            const auto e = std::find_if(m.listeAretes.begin(), m.listeAretes.end(), [&](const Arete &a) {
                return a.a1 == static_cast<int>(v) || a.a2 == static_cast<int>(v);
            });
            ASSERT_NE(e, m.listeAretes.end());
            if (s.ListeMailles[v]->front() != s.ListePointsSimplex[e->face1])
                ++inversees;
        }
    }
    EXPECT_GT(inversees, 0) << "no cell was reversed: the companion check above proves nothing";
}

TEST(Triangularisation, CubeGivesFourteenPointsAndTwentyFourFaces)
{
    Simplex s;
    cubeDual(s);
    captureStdout([&] { s.Triangularisation(); });
    const Maillage &t = s.maillageTriangule;
    ASSERT_EQ(t.listeSommets.size(), 14u);
    ASSERT_EQ(t.listeFaces.size(), 24u);
    point3 centre(0, 0, 0);
    for (const PointSimplex *p : *s.ListeMailles[0])
        centre += p->Position;
    EXPECT_NEAR(vector3(centre / 4.0, t.listeSommets[8]).norme(), 0, 1e-15);
    EXPECT_EQ(std::vector<point3>(t.listeSommets.begin(), t.listeSommets.begin() + 8), positions(s.ListePointsSimplex));
    attendreFermeEtOriente(t.listeFaces);
}

// A closed triangle mesh, its dual, and the triangulation of the dual: closed again, every edge
// run once each way, and every face turning outwards as the original faces do.
TEST(Conversions, RoundTripGivesAClosedConsistentlyOrientedMesh)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    icosaedreSubdivise(2, 1.0, sommets, faces);
    Simplex s;
    ASSERT_TRUE(convertir(s, sommets, faces));
    captureStdout([&] { s.Triangularisation(); });
    const Maillage &t = s.maillageTriangule;
    EXPECT_EQ(t.listeSommets.size(), faces.size() + sommets.size());
    attendreFermeEtOriente(t.listeFaces);
    for (const Face &f : t.listeFaces) {
        const point3 &a = t.listeSommets[f.s1], &b = t.listeSommets[f.s2], &c = t.listeSommets[f.s3];
        EXPECT_GT((vector3(a, b) ^ vector3(a, c)) * vector3(point3(0, 0, 0), a), 0);
    }
    // Once more through the conversion: the triangulation has a dual of its own.
    Simplex encore;
    ASSERT_TRUE(convertir(encore, t.listeSommets, t.listeFaces));
    attendreInvariants(encore);
}

// The index maps give the same edge tables as the scans, on open, non-manifold and degenerate
// meshes as well, and the same conversions and triangulations.
TEST(Conversions, IndexMapsGiveTheSameMeshesAsScans)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    icosaedreSubdivise(1, 1.0, sommets, faces);
    std::mt19937 alea(7);
    std::shuffle(faces.begin(), faces.end(), alea);
    std::vector<Face> bizarres = faces;
    bizarres.pop_back();                       // an open mesh
    bizarres.push_back(bizarres[3]);           // an edge with three faces
    std::swap(bizarres[5].s1, bizarres[5].s2); // a face turned over
    bizarres.push_back(Face{4, 4, 9});         // repeated corners
    bizarres.push_back(Face{2, 2, 2});
    Maillage aretesIndexees(sommets, bizarres), aretesParcourues(sommets, bizarres);
    Simplex s;
    s.construireAretes(aretesIndexees);
    {
        RechercheLineaire lineaire(s);
        s.construireAretes(aretesParcourues);
    }
    EXPECT_EQ(empreinte(aretesIndexees), empreinte(aretesParcourues));

    icosaedreSubdivise(2, 1.0, sommets, faces);
    std::shuffle(faces.begin(), faces.end(), alea);
    auto derouler = [&](Simplex &s) {
        ASSERT_TRUE(convertir(s, sommets, faces));
        captureStdout([&] { s.Triangularisation(); });
    };
    Simplex indexe, parcouru;
    derouler(indexe);
    {
        RechercheLineaire lineaire(parcouru);
        derouler(parcouru);
    }
    EXPECT_EQ(empreinte(indexe), empreinte(parcouru));
    EXPECT_EQ(empreinte(indexe.maillageOrigine), empreinte(parcouru.maillageOrigine));
    EXPECT_EQ(empreinte(indexe.maillageTriangule), empreinte(parcouru.maillageTriangule));
    // voisinsFace (by the edge table's own lookup) names the faces whose points are the neighbours.
    const auto &pts = indexe.ListePointsSimplex;
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(indexe.voisinsFace(i), (std::array<int, 3>{{rang(pts, pts[i]->Voisin1), rang(pts, pts[i]->Voisin2),
                                                              rang(pts, pts[i]->Voisin3)}}));
}

TEST(T26, SplitAtEveryPointOfTheCubeKeepsTheMeshSound)
{
    for (unsigned int i = 0; i < 8; ++i) {
        SCOPED_TRACE("point " + std::to_string(i));
        Simplex s;
        cubeDual(s);
        PointSimplex *P = s.ListePointsSimplex[i];
        const point3 p0 = P->Position, n1 = P->Voisin1->Position, n2 = P->Voisin2->Position, n3 = P->Voisin3->Position;
        std::vector<std::pair<Maille *, std::size_t>> autour; // the cells around P and their sizes
        for (Maille *m : s.ListeMailles)
            if (tient(*m, P))
                autour.emplace_back(m, m->size());
        ASSERT_EQ(autour.size(), 3u);

        EXPECT_EQ(captureStdout([&] { s.RaffinageT26(i); }).find("Erreur"), std::string::npos);
        // Ten points, and (closed genus 0 with companion lists) seven cells and ten previous records.
        ASSERT_EQ(s.ListePointsSimplex.size(), 10u);
        attendreInvariants(s);

        // P moved halfway to its third neighbour, A and B lie halfway to the first two.
        attendreMilieu(P->Position, p0, n3);
        attendreMilieu(s.ListePointsSimplex[8]->Position, p0, n1);
        attendreMilieu(s.ListePointsSimplex[9]->Position, p0, n2);
        for (const auto &m : autour)
            EXPECT_EQ(m.first->size(), m.second + 1);
        // Links: A = (P, N1, B), B = (P, N2, A), P = (A, B, N3). B's order turns the other way
        // round from P's, so its normal points to the other side of the surface and a later split
        // at B orients its new cell accordingly: the refinements keep the cells cycles of
        // neighbours but not one orientation.
        PointSimplex *A = s.ListePointsSimplex[8], *B = s.ListePointsSimplex[9];
        EXPECT_EQ((std::vector<PointSimplex *>{A->Voisin1, A->Voisin3, B->Voisin1, B->Voisin3, P->Voisin1, P->Voisin2}),
                  (std::vector<PointSimplex *>{P, B, P, A, A, B}));
        EXPECT_TRUE(B->Ni * P->Ni < 0 && A->Ni * P->Ni > 0);
        EXPECT_EQ(s.ListeMailles.back()->size(), 3u);
    }
}

// The cell edit table, case by case, on cells written by hand. P splits into P, A, B; N1, N2, N3
// are its neighbours, X and Y other points.
TEST(T26, CellEditTable)
{
    Simplex s;
    PointSimplex P, A, B, N1, N2, N3, X, Y;
    using raffinage::EditionMaille;
    const std::vector<std::tuple<Maille, EditionMaille, Maille>> cas = {
        // before, outcome, after
        {{&X, &N1, &P, &N3}, EditionMaille::Faite, {&X, &N1, &A, &P, &N3}},
        {{&N3, &P, &N1}, EditionMaille::Faite, {&N3, &P, &A, &N1}},
        {{&P, &N3, &X, &N1}, EditionMaille::Faite, {&A, &P, &N3, &X, &N1}},
        {{&N1, &X, &P, &N3, &Y}, EditionMaille::NonConsecutifs, {}},
        {{&N3, &P, &Y}, EditionMaille::UnSeulVoisin, {}},
        {{&N2, &P, &N3}, EditionMaille::Faite, {&N2, &B, &P, &N3}},
        {{&N3, &P, &N2, &X}, EditionMaille::Faite, {&N3, &P, &B, &N2, &X}},
        {{&N2, &X, &P, &N3}, EditionMaille::NonConsecutifs, {}},
        {{&N1, &P, &X}, EditionMaille::AucunVoisin, {}},
        {{&X, &P, &Y}, EditionMaille::AucunVoisin, {}},
        {{&N1, &P, &N2, &X}, EditionMaille::Faite, {&N1, &A, &B, &N2, &X}},
        {{&N2, &P, &N1}, EditionMaille::Faite, {&N2, &B, &A, &N1}},
        {{&P, &N2, &X, &N1}, EditionMaille::Faite, {&A, &B, &N2, &X, &N1}},
        {{&N1, &N2, &P, &X}, EditionMaille::OrdreIncoherent, {}},
    };
    for (std::size_t k = 0; k < cas.size(); ++k) {
        const auto &[avant, resultat, apres] = cas[k];
        Maille m = avant;
        const EditionMaille r = raffinage::modifierMaille(s, m, &P, &N1, &N2, &N3, &A, &B);
        EXPECT_EQ(static_cast<int>(r), static_cast<int>(resultat)) << "case " << k;
        EXPECT_EQ(m, r == EditionMaille::Faite ? apres : avant) << "case " << k;
    }
}

// A cell whose order was broken is left as it is, with its message; the split still takes place.
TEST(T26, BrokenCellIsLeftWithItsMessage)
{
    Simplex s;
    cubeDual(s);
    PointSimplex *P = s.ListePointsSimplex[0];
    // The cell around P that holds its first two neighbours but not the third.
    Maille *cassee = nullptr;
    for (Maille *m : s.ListeMailles)
        if (std::count(m->begin(), m->end(), P) && !std::count(m->begin(), m->end(), P->Voisin3))
            cassee = m;
    ASSERT_TRUE(cassee && cassee->size() == 4);
    // [P, a, x, b] becomes [a, P, x, b]: P no longer lies between its two neighbours.
    std::rotate(cassee->begin(), std::find(cassee->begin(), cassee->end(), P), cassee->end());
    std::swap((*cassee)[0], (*cassee)[1]);
    const Maille copie = *cassee;
    EXPECT_NE(captureStdout([&] { s.RaffinageT26(0); }).find("Erreur"), std::string::npos);
    EXPECT_EQ(*cassee, copie);
    EXPECT_EQ(s.ListePointsSimplex.size(), 10u);
    EXPECT_EQ(s.ListeMailles.size(), 7u);
}

TEST(T26Global, TriplesThePointsAndAddsOneCellPerPoint)
{
    Simplex cube, gabarit;
    cubeDual(cube);
    ASSERT_TRUE(chargerGabarit(gabarit));
    for (Simplex *s : {&cube, &gabarit}) {
        const std::size_t N = s->ListePointsSimplex.size();
        EXPECT_EQ(captureStdout([&] { s->RaffinageT26Global(); }).find("Erreur"), std::string::npos);
        // Closed genus 0 with 3N points: N more cells.
        EXPECT_EQ(s->ListePointsSimplex.size(), 3 * N);
        attendreInvariants(*s);
        // The mesh is a copy of the companion mesh, point for point.
        EXPECT_EQ(positions(s->ListePointsSimplex), positions(s->ListePointsSuivants));
    }
    // ListePointsPrecedents holds the cube as it was, with its links.
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_NE(cube.ListePointsPrecedents[i]->Voisin1, nullptr);
}

// A mesh whose mean angle lies below every angle that a new point can take (here one point's
// angle stands far below the others): every point that a split creates is at least the mean, so a
// walk that followed the new cells would never end. The walk keeps to the cells and points present
// at the start.
TEST(T26Angles, WalkEndsWhenNewPointsStayAboveTheMean)
{
    Simplex s;
    cubeDual(s);
    s.ListePointsSimplex[0]->Phi = -1e6f;
    EXPECT_EQ(captureStdout([&] { s.RaffinageT26Angles(); }).find("Erreur"), std::string::npos);
    // Each of the 7 points above the mean is split at most once per cell it started in.
    EXPECT_GT(s.ListePointsSimplex.size(), 8u);
    EXPECT_LE(s.ListePointsSimplex.size(), 8u + 2 * 3 * 7);
    attendreInvariants(s);
    Simplex vide;
    captureStdout([&] { vide.RaffinageT26Angles(); });
    EXPECT_TRUE(vide.ListePointsSimplex.empty());
}

TEST(T22, CutOfAFourPointCellGivesTwoFourPointCells)
{
    for (unsigned int c = 0; c < 6; ++c) {
        SCOPED_TRACE("cell " + std::to_string(c));
        Simplex s;
        cubeDual(s);
        const Maille D = *s.ListeMailles[c];
        ASSERT_EQ(D.size(), 4u);
        // Cut edges D[1]-D[2] and D[3]-D[0]; the cells across them gain a point each.
        const int F1 = celluleAvec(s, D[1], D[2], c), F2 = celluleAvec(s, D[3], D[0], c);
        ASSERT_TRUE(F1 >= 0 && F2 >= 0);
        const std::size_t t1 = s.ListeMailles[F1]->size(), t2 = s.ListeMailles[F2]->size();
        EXPECT_EQ(erreurs([&] { s.RaffinageT22(c); }), "");

        ASSERT_EQ(s.ListePointsSimplex.size(), 10u);
        ASSERT_EQ(s.ListeMailles.size(), 7u);
        PointSimplex *X1 = s.ListePointsSimplex[8], *X2 = s.ListePointsSimplex[9];
        EXPECT_EQ(*s.ListeMailles[c], (Maille{X1, D[2], D[3], X2}));
        EXPECT_EQ(*s.ListeMailles[6], (Maille{X2, D[0], D[1], X1}));
        EXPECT_EQ(std::make_pair(s.ListeMailles[F1]->size(), s.ListeMailles[F2]->size()),
                  std::make_pair(t1 + 1, t2 + 1));
        attendreMilieu(X1->Position, D[1]->Position, D[2]->Position, 4e-16);
        attendreMilieu(X2->Position, D[3]->Position, D[0]->Position, 4e-16);
        attendreMilieu(s.ListePointsPrecedents[8]->Position, D[1]->Position, D[2]->Position, 4e-16);
        attendreInvariants(s);
    }
    // A three-point cell.
    Simplex s;
    tetraedreDual(s);
    const Maille D = *s.ListeMailles[0];
    EXPECT_EQ(erreurs([&] { s.RaffinageT22(0); }), "");
    ASSERT_EQ(s.ListePointsSimplex.size(), 6u);
    PointSimplex *X1 = s.ListePointsSimplex[4], *X2 = s.ListePointsSimplex[5];
    EXPECT_EQ(*s.ListeMailles[0], (Maille{X1, D[1], X2}));
    EXPECT_EQ(*s.ListeMailles[4], (Maille{X2, D[2], D[0], X1}));
    attendreInvariants(s);
}

TEST(T22, ACutThatCannotBeMadeLeavesTheMeshAsItWas)
{
    // Cells across the cut edges missing, then present but with the edge's points apart: the
    // message is written and no point is added or relinked.
    for (const bool ordre : {false, true}) {
        Simplex s;
        cubeDual(s);
        PointSimplex *a = (*s.ListeMailles[0])[1], *b = (*s.ListeMailles[0])[2];
        for (auto *liste : {&s.ListeMailles, &s.ListeMaillesSuivantes}) {
            for (std::size_t c = 1; c < liste->size() && ordre; ++c) {
                Maille &m = *(*liste)[c];
                Maille autres;
                std::copy_if(m.begin(), m.end(), std::back_inserter(autres), [&](auto *p) { return p != a && p != b; });
                if (autres.size() == 2) // the cell across a-b, with a and b made opposite corners
                    m = {a, autres[0], b, autres[1]};
            }
            for (std::size_t c = 1; c < liste->size() && !ordre; ++c)
                delete (*liste)[c];
            liste->resize(ordre ? liste->size() : 1);
        }
        // Every link of every point, then every cell.
        auto etat = [&s] {
            std::pair<std::vector<PointSimplex *>, std::vector<Maille>> e;
            for (const PointSimplex *p : s.ListePointsSimplex)
                e.first.insert(e.first.end(), {p->Voisin1, p->Voisin2, p->Voisin3});
            for (const Maille *c : s.ListeMailles)
                e.second.push_back(*c);
            return e;
        };
        const auto avant = etat();
        EXPECT_NE(erreurs([&] { s.RaffinageT22(0); }).find(ordre ? "Ordre des points" : "mailles voisines"),
                  std::string::npos);
        EXPECT_TRUE(etat() == avant) << ordre;
        EXPECT_EQ(s.ListePointsSuivants.size() + s.ListePointsPrecedents.size(), 16u);
    }
}

TEST(T22PointsParMaille, CutsTheCellsAboveTheMeanOnly)
{
    Simplex vide, s;
    captureStdout([&] { vide.RaffinageT22PointsParMaille(); });
    EXPECT_TRUE(vide.ListePointsSimplex.empty());
    // Equal cells are not cut.
    cubeDual(s);
    const std::string avant = empreinte(s);
    captureStdout([&] { s.RaffinageT22PointsParMaille(); });
    EXPECT_EQ(empreinte(s), avant);

    // After one cut of cell 0 the two cells across have 5 points, the others 4 (mean 29 / 7 = 4).
    captureStdout([&] { s.RaffinageT22(0); });
    std::vector<std::size_t> grandes;
    for (std::size_t c = 0; c < s.ListeMaillesSuivantes.size(); ++c)
        if (s.ListeMaillesSuivantes[c]->size() == 5)
            grandes.push_back(c);
    ASSERT_EQ(grandes.size(), 2u);
    EXPECT_EQ(erreurs([&] { s.RaffinageT22PointsParMaille(); }), "");
    // Both were cut: a cut cell keeps its index and starts with the first point of its cut. (Cells
    // that grow past the mean before the pass reaches them are cut as well.)
    const auto &pts = s.ListePointsSimplex;
    for (std::size_t c : grandes)
        EXPECT_GE(std::find(pts.begin(), pts.end(), s.ListeMailles[c]->front()) - pts.begin(), 10) << "cell " << c;
    EXPECT_GE(pts.size(), 14u);
    attendreInvariants(s); // and so N / 2 + 2 cells
}

TEST(T22Surfaces, CutsOnlyTheLargeCellsPresentAtTheStart)
{
    // A box three times longer along x: the four cells along it have area 3 times that of the
    // two end cells, the mean lies between, so exactly four cuts.
    Simplex s;
    cubeDual(s);
    for (auto *liste : {&s.ListePointsSimplex, &s.ListePointsSuivants})
        for (PointSimplex *p : *liste)
            p->Position.x *= 3;
    captureStdout([&] { s.initialiserParametres(); });
    EXPECT_EQ(erreurs([&] { s.RaffinageT22Surfaces(); }), "");
    EXPECT_EQ(s.ListePointsSimplex.size(), 16u);
    attendreInvariants(s); // and so 10 cells
}

class Sequences : public ::testing::TestWithParam<std::tuple<Depart, unsigned>>
{};

TEST_P(Sequences, KeepTheInvariantsAndReportNoError)
{
    std::mt19937 alea(std::get<1>(GetParam()));
    Simplex s;
    preparer(s, std::get<0>(GetParam()));
    auto tirer = [&alea](std::size_t n) {
        return static_cast<unsigned int>(std::uniform_int_distribution<std::size_t>(0, n - 1)(alea));
    };
    // The whole-mesh passes run while the mesh is small enough to stay quick.
    auto siPetit = [&s](void (Simplex::*passe)()) {
        return [&s, passe] { s.ListePointsSimplex.size() < 2500 ? (s.*passe)() : void(); };
    };
    const std::vector<std::pair<std::string, std::function<void()>>> operations = {
        {"RaffinageT26", [&] { s.RaffinageT26(tirer(s.ListePointsSimplex.size())); }},
        {"RaffinageT26Global", siPetit(&Simplex::RaffinageT26Global)},
        {"RaffinageT26Angles", siPetit(&Simplex::RaffinageT26Angles)},
        {"RaffinageT22", [&] { s.RaffinageT22(tirer(s.ListeMailles.size())); }},
        {"RaffinageT22Surfaces", [&] { s.RaffinageT22Surfaces(); }},
        {"RaffinageT22PointsParMaille", [&] { s.RaffinageT22PointsParMaille(); }},
    };
    for (int etape = 0; etape < 10; ++etape) {
        const auto &op = operations[tirer(operations.size())];
        SCOPED_TRACE("step " + std::to_string(etape) + ": " + op.first);
        EXPECT_EQ(erreursDeRaffinage(captureSorties(op.second)), "");
        const auto fautes = verifierInvariants(s, invariantsRaffinage);
        ASSERT_TRUE(fautes.empty()) << fautes.size() << " faults, first: " << fautes.front();
    }
}

INSTANTIATE_TEST_SUITE_P(Graines, Sequences,
                         ::testing::Combine(::testing::Values(Depart::Gabarit, Depart::Octaedre),
                                            ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u)));

// The index maps must give the very meshes that the scans give: same points, links, cells and
// previous positions, in the same order, after every kind of refinement.
TEST(Sequences, IndexMapsAndScansGiveTheSameMeshes)
{
    for (Depart depart : {Depart::Gabarit, Depart::Octaedre}) {
        auto derouler = [depart](Simplex &s) {
            preparer(s, depart);
            captureSorties([&] {
                s.RaffinageT26(5);
                s.RaffinageT22(3);
                s.RaffinageT26Angles();
                s.RaffinageT22Surfaces();
                s.RaffinageT26Global();
                s.RaffinageT22PointsParMaille();
                s.RaffinageT26Angles();
                s.RaffinageT22Surfaces();
            });
        };
        Simplex indexe, parcouru;
        derouler(indexe);
        {
            RechercheLineaire lineaire(parcouru);
            derouler(parcouru);
        }
        EXPECT_GT(indexe.ListePointsSimplex.size(), 3 * (depart == Depart::Gabarit ? 320u : 8u));
        EXPECT_EQ(empreinte(indexe), empreinte(parcouru));
    }
}

// The content index against a scan of the list, through random appends and content changes, with
// few distinct contents so that many records share one (more than the small inline set holds).
TEST(IndexContenu, AnswersAsAScanThroughRandomChanges)
{
    std::mt19937 alea(9);
    PointSimplex voisins[2];
    auto tirer = [&alea](int n) { return std::uniform_int_distribution<int>(0, n - 1)(alea); };
    auto changer = [&](PointSimplex &p) {
        p.Position = point3(tirer(3), tirer(2) == 0 ? -0.0 : 0.0, 1);
        p.Voisin1 = &voisins[tirer(2)];
    };
    std::vector<std::unique_ptr<PointSimplex>> proprietaire;
    std::vector<PointSimplex *> liste;
    raffinage::IndexContenu index(liste);
    for (int etape = 0; etape < 400; ++etape) {
        if (liste.empty() || tirer(3) == 0) {
            liste.push_back(proprietaire.emplace_back(std::make_unique<PointSimplex>()).get());
            changer(*liste.back());
            index.ajouter(liste.back(), static_cast<int>(liste.size()) - 1);
        } else {
            PointSimplex *p = liste[static_cast<std::size_t>(tirer(static_cast<int>(liste.size())))];
            index.retirer(p);
            changer(*p);
            index.remettre(p);
        }
        PointSimplex question;
        changer(question);
        const auto scan =
            std::find_if(liste.begin(), liste.end(), [&](const PointSimplex *p) { return *p == question; });
        ASSERT_EQ(index.premier(&question), scan == liste.end() ? -1 : static_cast<int>(scan - liste.begin())) << etape;
    }
    EXPECT_EQ(index.premier(nullptr), -1); // no record: found nowhere
}
