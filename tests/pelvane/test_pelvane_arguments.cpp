#include "arguments.h"

#include <gtest/gtest.h>

using pelvane::analyserArguments;
using pelvane::LigneDeCommande;
using pelvane::Statut;

namespace {

const std::string Gabarit = "/gabarit/icosa.smm";

LigneDeCommande lire(const std::vector<std::string> &a) { return analyserArguments(a, Gabarit); }

// The launcher's defaults, in its order.
std::vector<std::string> lanceur()
{
    return {"1.00", "0.05", "0.00", "2", "2000", "20", "0", "ref.smm", "nuage.pts", "sortie"};
}

void refuse(const std::vector<std::string> &a, const std::string &motif)
{
    LigneDeCommande l = lire(a);
    EXPECT_FALSE(l.aide);
    EXPECT_EQ(l.resultat.statut, Statut::ArgumentsIncorrects) << motif;
    EXPECT_NE(l.resultat.raison.find(motif), std::string::npos) << l.resultat.raison;
    EXPECT_EQ(l.resultat.raison.find('\n'), std::string::npos) << "one line only";
}

} // namespace

TEST(ArgumentsPositionnels, LauncherOrderIsKept)
{
    LigneDeCommande l = lire({"1.50", "0.25", "0.10", "3", "1234", "17", "1", "ref.smm", "nuage.pts", "sortie"});
    ASSERT_TRUE(l.resultat.reussi()) << l.resultat.raison;
    EXPECT_FALSE(l.aide);
    const auto &p = l.parametres;
    EXPECT_EQ(p.alpha, 1.5f);
    EXPECT_EQ(p.beta, 0.25f);
    EXPECT_EQ(p.gamma, 0.1f);
    EXPECT_EQ(p.rigid, 3);
    EXPECT_EQ(p.pointsMinimum, 1234);
    EXPECT_EQ(p.iterations, 17);
    EXPECT_TRUE(p.sauvegardeAuto);
    EXPECT_EQ(p.maillage, "ref.smm");
    EXPECT_EQ(p.nuage, "nuage.pts");
    EXPECT_EQ(p.sortie, "sortie");

    l = lire(lanceur());
    ASSERT_TRUE(l.resultat.reussi());
    EXPECT_EQ(l.parametres.alpha, 1.0f);
    EXPECT_EQ(l.parametres.beta, 0.05f);
    EXPECT_EQ(l.parametres.gamma, 0.0f);
    EXPECT_FALSE(l.parametres.sauvegardeAuto);
}

TEST(ArgumentsPositionnels, DecimalCommaAsShownByAFrenchLocale)
{
    auto a = lanceur();
    a[0] = "1,00";
    a[1] = "0,05";
    a[2] = "12,5";
    LigneDeCommande l = lire(a);
    ASSERT_TRUE(l.resultat.reussi()) << l.resultat.raison;
    EXPECT_EQ(l.parametres.alpha, 1.0f);
    EXPECT_EQ(l.parametres.beta, 0.05f);
    EXPECT_EQ(l.parametres.gamma, 12.5f);
    a[0] = "1,0,0";
    refuse(a, "force interne");
}

TEST(ArgumentsPositionnels, EachBadValueIsRefusedWithItsName)
{
    refuse({}, "aucun argument");
    auto court = lanceur();
    court.pop_back();
    refuse(court, "10 arguments attendus");
    auto long_ = lanceur();
    long_.push_back("x");
    refuse(long_, "11 reçus");

    struct Cas
    {
        int indice;
        std::string valeur, motif;
    };
    const Cas cas[] = {
        {0, "abc", "force interne"},        {0, "-1", "force interne"},
        {0, "1.0x", "force interne"},       {0, "", "force interne"},
        {1, "nan", "force externe"},        {1, "inf", "force externe"},
        {2, "100.5", "force de retenue"},   {3, "2.5", "rigidité"},
        {3, "-1", "rigidité"},              {3, "100", "rigidité"},
        {4, "0", "nombre minimum de points"}, {4, "1000000", "nombre minimum de points"},
        {5, "-3", "itérations"},            {5, "1e3", "itérations"},
        {6, "2", "sauvegarde automatique"}, {6, "oui", "sauvegarde automatique"},
        {7, "", "maillage de référence"},   {8, "", "nuage de points"},
        {9, "", "dossier de sortie"},
    };
    for (const Cas &c : cas) {
        auto a = lanceur();
        a[c.indice] = c.valeur;
        refuse(a, c.motif);
    }
}

TEST(ArgumentsPositionnels, RangeLimitsAreAccepted)
{
    LigneDeCommande l = lire({"0", "100", "0.00", "0", "1", "0", "1", "m", "n", "o"});
    ASSERT_TRUE(l.resultat.reussi()) << l.resultat.raison;
    EXPECT_EQ(l.parametres.beta, 100.0f);
    EXPECT_EQ(l.parametres.rigid, 0);
    EXPECT_EQ(l.parametres.pointsMinimum, 1);
    EXPECT_EQ(l.parametres.iterations, 0);
    l = lire({"0", "0", "0", "99", "999999", "99999", "0", "m", "n", "o"});
    ASSERT_TRUE(l.resultat.reussi()) << l.resultat.raison;
    EXPECT_EQ(l.parametres.rigid, 99);
    EXPECT_EQ(l.parametres.pointsMinimum, 999999);
}

TEST(ArgumentsNommes, DefaultsAreTheLaunchersAndTheTemplate)
{
    LigneDeCommande l = lire({"--cloud", "c.pts"});
    ASSERT_TRUE(l.resultat.reussi()) << l.resultat.raison;
    const auto &p = l.parametres;
    EXPECT_EQ(p.nuage, "c.pts");
    EXPECT_EQ(p.maillage, Gabarit);
    EXPECT_EQ(p.sortie, ".");
    EXPECT_EQ(p.alpha, 1.0f);
    EXPECT_EQ(p.beta, 0.05f);
    EXPECT_EQ(p.gamma, 0.0f);
    EXPECT_EQ(p.rigid, 2);
    EXPECT_EQ(p.pointsMinimum, 2000);
    EXPECT_EQ(p.iterations, 20);
    EXPECT_FALSE(p.sauvegardeAuto);
}

TEST(ArgumentsNommes, EveryOptionInBothSpellings)
{
    LigneDeCommande l = lire({"--out=res", "--cloud", "c.pts", "--mesh=m.smm", "--internal", "0,5", "--external=0.2",
                              "--retention", "0.3", "--rigidity=4", "--min-points", "500", "--iterations=7",
                              "--autosave"});
    ASSERT_TRUE(l.resultat.reussi()) << l.resultat.raison;
    const auto &p = l.parametres;
    EXPECT_EQ(p.sortie, "res");
    EXPECT_EQ(p.nuage, "c.pts");
    EXPECT_EQ(p.maillage, "m.smm");
    EXPECT_EQ(p.alpha, 0.5f);
    EXPECT_EQ(p.beta, 0.2f);
    EXPECT_EQ(p.gamma, 0.3f);
    EXPECT_EQ(p.rigid, 4);
    EXPECT_EQ(p.pointsMinimum, 500);
    EXPECT_EQ(p.iterations, 7);
    EXPECT_TRUE(p.sauvegardeAuto);
    // A value that looks like a path with '=' after the first '=' is kept whole.
    l = lire({"--cloud=a=b.pts"});
    ASSERT_TRUE(l.resultat.reussi());
    EXPECT_EQ(l.parametres.nuage, "a=b.pts");
}

TEST(ArgumentsNommes, MistakesAreRefused)
{
    refuse({"--out", "x"}, "--cloud est obligatoire");
    refuse({"--cloud"}, "--cloud : valeur manquante");
    refuse({"--cloud", "c.pts", "--bogus", "1"}, "option inconnue \"--bogus\"");
    refuse({"--cloud", "c.pts", "extra"}, "argument inattendu \"extra\"");
    refuse({"--cloud", "c.pts", "--autosave=1"}, "--autosave ne prend pas de valeur");
    refuse({"--cloud", "c.pts", "--rigidity", "x"}, "--rigidity");
    refuse({"--cloud", "c.pts", "--min-points=0"}, "--min-points");
    refuse({"--cloud="}, "--cloud : chemin vide");
}

TEST(Aide, AskedAnywhereAndListsEveryExitStatus)
{
    EXPECT_TRUE(lire({"--help"}).aide);
    EXPECT_TRUE(lire({"-h"}).aide);
    EXPECT_TRUE(lire({"--cloud", "c.pts", "--help"}).aide);
    EXPECT_FALSE(lire({"--cloud", "c.pts"}).aide);

    const std::string aide = pelvane::texteAide();
    for (Statut s : {Statut::Reussite, Statut::ArgumentsIncorrects, Statut::MaillageIllisible, Statut::NuageIllisible,
                     Statut::SortieImpossible, Statut::Echec})
        EXPECT_NE(aide.find("\n  " + std::to_string(static_cast<int>(s)) + "  "), std::string::npos)
            << static_cast<int>(s);
    for (const char *o : {"--cloud", "--mesh", "--out", "--internal", "--external", "--retention", "--rigidity",
                          "--min-points", "--iterations", "--autosave", "--help"})
        EXPECT_NE(aide.find(o), std::string::npos) << o;
}
