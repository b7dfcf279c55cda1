// Conversions between closed triangle meshes and simplex meshes: the edge table, the dual, the
// meshes it refuses, the triangulation and the round trip.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "refine_fixtures.h"
#include "simplex_fixtures.h"
#include "support.h"

using namespace tarnis_test;

namespace {

/// True when the edge runs from a to b in the face's vertex order.
bool court(const Face &f, int a, int b)
{
    return (f.s1 == a && f.s2 == b) || (f.s2 == a && f.s3 == b) || (f.s3 == a && f.s1 == b);
}

/// Checks that a triangle mesh is closed and consistently oriented: every edge runs once each way.
void attendreFermeEtOriente(const std::vector<Face> &faces)
{
    std::multiset<std::pair<int, int>> orientees;
    for (const Face &f : faces)
        for (auto ab : {std::make_pair(f.s1, f.s2), std::make_pair(f.s2, f.s3), std::make_pair(f.s3, f.s1)})
            orientees.insert(ab);
    for (const auto &ab : orientees) {
        EXPECT_EQ(orientees.count(ab), 1u) << ab.first << "-" << ab.second;
        EXPECT_EQ(orientees.count({ab.second, ab.first}), 1u) << ab.first << "-" << ab.second;
    }
}

} // namespace

// Open, non-manifold and degenerate meshes as well: the edge table by maps equals the table by
// scans, edge for edge.
TEST(ConstruireAretes, IndexMapsGiveTheSameTableAsScans)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    icosaedreSubdivise(1, 1.0, sommets, faces);
    std::mt19937 alea(7);
    std::shuffle(faces.begin(), faces.end(), alea);
    faces.pop_back();                    // an open mesh
    faces.push_back(faces[3]);           // an edge with three faces
    std::swap(faces[5].s1, faces[5].s2); // a face turned over
    faces.push_back(Face{4, 4, 9});      // repeated corners
    faces.push_back(Face{2, 2, 2});
    Simplex s;
    Maillage indexe(sommets, faces), parcouru(sommets, faces);
    s.construireAretes(indexe);
    {
        RechercheLineaire lineaire(s);
        s.construireAretes(parcouru);
    }
    EXPECT_EQ(empreinte(indexe), empreinte(parcouru));
}

TEST(TriangleToSimplex, OctahedronGivesACubeOfEightPointsAndSixSquareCells)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    octaedre(1.0, sommets, faces);
    Simplex s;
    ASSERT_TRUE(convertir(s, sommets, faces));
    ASSERT_EQ(s.ListePointsSimplex.size(), 8u);
    ASSERT_EQ(s.ListeMailles.size(), 6u);
    for (const Maille *m : s.ListeMailles)
        EXPECT_EQ(m->size(), 4u);
    EXPECT_EQ(s.Avancement, 100);
    attendreInvariants(s);

    // Point i is the centroid of face i; its neighbours are the faces across its three edges.
    const auto &pts = s.ListePointsSimplex;
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const Face &f = faces[i];
        const point3 c = (sommets[f.s1] + sommets[f.s2] + sommets[f.s3]) / 3.0;
        EXPECT_NEAR(vector3(c, pts[i]->Position).norme(), 0, 1e-15);
        const PointSimplex *v[3] = {pts[i]->Voisin1, pts[i]->Voisin2, pts[i]->Voisin3};
        const int bords[3][2] = {{f.s1, f.s2}, {f.s2, f.s3}, {f.s3, f.s1}};
        for (int k = 0; k < 3; ++k) {
            const auto it = std::find(pts.begin(), pts.end(), v[k]);
            ASSERT_NE(it, pts.end());
            EXPECT_TRUE(court(faces[it - pts.begin()], bords[k][1], bords[k][0]));
        }
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
    const struct
    {
        std::vector<point3> sommets;
        std::vector<Face> faces;
        std::string raison;
    } cas[] = {
        {sommets, std::vector<Face>(faces.begin(), faces.end() - 1), "le maillage est ouvert"},
        {avecIsole, faces, "n'appartient à aucune face"},
        {sommets, {}, "aucune face"},
        {sommets, retournee, "orientées"},
        {sommets, horsLimites, "n'existe pas"},
    };
    for (const auto &c : cas) {
        Simplex s;
        cubeDual(s);
        const std::string avant = empreinte(s);
        s.maillageOrigine = Maillage(c.sommets, c.faces);
        Resultat r;
        captureStdout([&] { captureStderr([&] { r = s.convertirTriangles(); }); });
        EXPECT_FALSE(r.reussi());
        EXPECT_NE(r.raison.find(c.raison), std::string::npos) << r.raison;
        EXPECT_EQ(empreinte(s), avant) << c.raison;
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
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_TRUE(t.listeSommets[i] == s.ListePointsSimplex[i]->Position);
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

TEST(Conversions, IndexMapsGiveTheSameMeshesAsScans)
{
    std::vector<point3> sommets;
    std::vector<Face> faces;
    icosaedreSubdivise(2, 1.0, sommets, faces);
    std::mt19937 alea(3);
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
    auto rang = [&pts](const PointSimplex *p) {
        return static_cast<int>(std::find(pts.begin(), pts.end(), p) - pts.begin());
    };
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(indexe.voisinsFace(i),
                  (std::array<int, 3>{{rang(pts[i]->Voisin1), rang(pts[i]->Voisin2), rang(pts[i]->Voisin3)}}));
}
