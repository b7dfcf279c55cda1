// Names of a batch's results: the common root of the clouds and each cloud's results folder.
#include "Lot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

TEST(Lot, racineCommune)
{
    const std::string ici = std::filesystem::current_path().lexically_normal().string();
    const struct
    {
        std::vector<std::string> nuages;
        std::string racine;
    } cas[] = {
        {{}, ""},
        {{"/s/a/x.pts"}, "/s/a"},
        {{"/s/a/x.pts", "/s/b/x.pts"}, "/s"},
        {{"/s/a/b/x.pts", "/s/a/y.hdr", "/s/a/b/c/z.pts"}, "/s/a"},
        {{"/s/a/x.pts", "/s/a/y.pts", "/s/b/z.pts"}, "/s"}, // the last cloud still counts
        {{"/s/ab/x.pts", "/s/a/x.pts"}, "/s"},              // whole components, not a text prefix
        {{"/s/./a/../b/x.pts", "/s/b//y.pts"}, "/s/b"},
        {{"/x.pts", "/s/y.pts"}, "/"},
        {{"x.pts", "d/y.pts"}, ici},
    };
    for (const auto &c : cas)
        EXPECT_EQ(lot::racineCommune(c.nuages), c.racine) << (c.nuages.empty() ? "" : c.nuages.back());
}

// Every cloud of a tree with repeated names gets a folder of its own under the output, named by
// its relative path; the cloud itself never lands outside the output folder.
TEST(Lot, dossiersDistinctsSousLaSortie)
{
    const std::vector<std::string> nuages = {"/s/a/scan.pts", "/s/b/scan.pts",   "/s/a/scan.hdr",
                                             "/s/scan.pts",   "/s/a/b/scan.pts", "/s/a_b/scan.pts"};
    const std::string racine = lot::racineCommune(nuages);
    std::set<std::string> dossiers;
    for (const std::string &n : nuages)
        dossiers.insert(lot::dossierResultats(racine, n, "/out"));
    EXPECT_EQ(dossiers.size(), nuages.size());
    EXPECT_EQ(lot::dossierResultats(racine, "/s/a/b/scan.pts", "/out"), "/out/a/b/scan.pts");
    EXPECT_EQ(lot::dossierResultats(racine, "/s/scan.pts", "out"), "out/scan.pts");
    EXPECT_EQ(lot::dossierResultats("/s/a", "/s/b/scan.pts", "/out"), "/out/scan.pts");
}
