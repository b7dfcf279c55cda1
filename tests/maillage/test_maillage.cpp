// The mesh and cloud container: box and centre, edge lookup, points of interest, and
// the sharing of the kd-tree and centre between copies.
#include "Maillage.h"
#include "kdtree.h"
#include "support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <stdexcept>

using tarnis_test::captureStderr;
using tarnis_test::captureStdout;

TEST(MaillageBoite, BuiltFromListsMatchesBruteForceSilently)
{
    std::mt19937 gen(1);
    std::uniform_real_distribution<double> u(-50, 50);
    std::vector<point3> sommets;
    for (int i = 0; i < 500; ++i)
        sommets.emplace_back(u(gen), u(gen), u(gen));
    std::vector<Face> faces(7);

    std::unique_ptr<Maillage> m;
    const std::string sortie = captureStdout([&] { m = std::make_unique<Maillage>(sommets, faces); });
    EXPECT_EQ(sortie, "");
    EXPECT_EQ(m->nbSommets, 500);
    EXPECT_EQ(m->nbFaces, 7);

    point3 somme, mini = sommets[0], maxi = sommets[0];
    for (const point3 &s : sommets) {
        somme += s;
        mini = point3(std::min(mini.x, s.x), std::min(mini.y, s.y), std::min(mini.z, s.z));
        maxi = point3(std::max(maxi.x, s.x), std::max(maxi.y, s.y), std::max(maxi.z, s.z));
    }
    EXPECT_EQ(m->boiteMin, mini);
    EXPECT_EQ(m->boiteMax, maxi);
    EXPECT_EQ(m->centre, somme / 500.0);
}

TEST(MaillageBoite, SingleVertexAndEmptyLists)
{
    Maillage un({point3(3, -1, 2)}, {});
    EXPECT_EQ(un.boiteMin, point3(3, -1, 2));
    EXPECT_EQ(un.boiteMax, point3(3, -1, 2));
    EXPECT_EQ(un.centre, point3(3, -1, 2));

    std::unique_ptr<Maillage> vide;
    const std::string erreurs =
        captureStderr([&] { vide = std::make_unique<Maillage>(std::vector<point3>{}, std::vector<Face>{}); });
    EXPECT_NE(erreurs.find("point3/reel"), std::string::npos) << erreurs;
    EXPECT_EQ(vide->centre, point3(0, 0, 0));
    EXPECT_EQ(vide->nbSommets, 0);
    EXPECT_EQ(vide->nbFaces, 0);
}

TEST(MaillageAretes, FirstEdgeInEitherOrder)
{
    Maillage m;
    EXPECT_EQ(m.chercherArete(3, 5), -1);
    m.listeAretes = {Arete{1, 2, 0, 1}, Arete{3, 5, 0, -1}, Arete{5, 3, 2, 3}};
    EXPECT_EQ(m.chercherArete(3, 5), 1);
    EXPECT_EQ(m.chercherArete(5, 3), 1);
    EXPECT_EQ(m.chercherArete(2, 1), 0);
    EXPECT_EQ(m.chercherArete(1, 3), -1);
    EXPECT_EQ(m.chercherArete(5, 5), -1);
}

TEST(MaillagePointsInterets, CentreUsesSinglePrecisionBoxAndTranslationOneAxis)
{
    Maillage m;
    m.calculerCentrePointsInterets();
    EXPECT_EQ(*m.centrePointsInterets, point3(0, 0, 0));
    m.ListePointsInterets = {point3(0.1, -3, 5), point3(0.1, 7, -5), point3(0.1, 0, 0)};
    m.calculerCentrePointsInterets();
    EXPECT_EQ(*m.centrePointsInterets, point3(static_cast<double>(0.1f), 2, 0));
    // Emptying the cloud leaves the last centre.
    m.viderPointsInterets();
    EXPECT_TRUE(m.ListePointsInterets.empty());
    m.calculerCentrePointsInterets();
    EXPECT_EQ(*m.centrePointsInterets, point3(static_cast<double>(0.1f), 2, 0));

    m.ListePointsInterets = {point3(1, 1, 1), point3(-2, 0, 3)};
    m.translaterPointsInterets('y', 2);
    EXPECT_EQ(m.ListePointsInterets, (std::vector<point3>{point3(1, 3, 1), point3(-2, 2, 3)}));
    m.translaterPointsInterets('x', -1);
    m.translaterPointsInterets('z', 0.5);
    for (char autre : {'w', 'X'})
        m.translaterPointsInterets(autre, 100);
    EXPECT_EQ(m.ListePointsInterets, (std::vector<point3>{point3(0, 3, 1.5), point3(-3, 2, 3.5)}));
}

TEST(MaillageCopie, SharesTreeAndCentreButNotLists)
{
    std::weak_ptr<kd_tree> arbre;
    std::weak_ptr<point3> centre;
    {
        Maillage copie;
        {
            Maillage source;
            source.ListePointsInterets = {point3(1, 2, 3)};
            copie = source;
            EXPECT_EQ(copie.kd.get(), source.kd.get());
            EXPECT_EQ(copie.centrePointsInterets.get(), source.centrePointsInterets.get());
            ASSERT_EQ(kd_insert3(source.kd.get(), 4, 5, 6, nullptr), 0);

            source.ListePointsInterets.push_back(point3(7, 7, 7));
            EXPECT_EQ(copie.ListePointsInterets.size(), 1u);
            source.calculerCentrePointsInterets();
            EXPECT_EQ(*copie.centrePointsInterets, point3(4, 4.5, 5));

            Maillage construite(source);
            EXPECT_EQ(construite.kd.get(), source.kd.get());
            arbre = source.kd;
            centre = source.centrePointsInterets;
        }
        // The source is gone; the copy still uses the same tree.
        EXPECT_FALSE(arbre.expired());
        EXPECT_EQ(kd_size(copie.kd.get()), 1u);
        ASSERT_TRUE(copie.reconstruireKd());
        EXPECT_EQ(kd_size(copie.kd.get()), 1u);
    }
    EXPECT_TRUE(arbre.expired());
    EXPECT_TRUE(centre.expired());
}
