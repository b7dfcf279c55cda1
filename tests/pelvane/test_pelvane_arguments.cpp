#include "arguments.h"

#include <gtest/gtest.h>

#include <sstream>

using pelvane::analyserArguments;
using pelvane::LigneDeCommande;
using pelvane::Statut;

namespace {

const std::string Gabarit = "/gabarit/icosa.smm";

LigneDeCommande lire(const std::vector<std::string> &a)
{
    return analyserArguments(a, Gabarit);
}

// The launcher's defaults, in its order.
std::vector<std::string> lanceur()
{
    return {"1.00", "0.05", "0.00", "2", "2000", "20", "0", "ref.smm", "nuage.pts", "sortie"};
}

// The parameters read, in the launcher's order, for comparison in one line.
std::string lu(const std::vector<std::string> &a)
{
    const LigneDeCommande l = lire(a);
    EXPECT_TRUE(l.resultat.reussi()) << l.resultat.raison;
    EXPECT_FALSE(l.aide);
    const auto &p = l.parametres;
    std::ostringstream o;
    o << p.alpha << " " << p.beta << " " << p.gamma << " " << p.rigid << " " << p.pointsMinimum << " " << p.iterations
      << " " << p.sauvegardeAuto << " " << p.maillage << " " << p.nuage << " " << p.sortie;
    return o.str();
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

TEST(Arguments, PositionalAndNamedFormsAreReadInFull)
{
    const std::pair<std::vector<std::string>, std::string> cas[] = {
        {{"1.50", "0.25", "0.10", "3", "1234", "17", "1", "ref.smm", "nuage.pts", "sortie"},
         "1.5 0.25 0.1 3 1234 17 1 ref.smm nuage.pts sortie"},
        {lanceur(), "1 0.05 0 2 2000 20 0 ref.smm nuage.pts sortie"},
        // Decimal commas, as a French locale shows them.
        {{"1,00", "0,05", "12,5", "2", "2000", "20", "0", "m", "n", "o"}, "1 0.05 12.5 2 2000 20 0 m n o"},
        // Limits of the ranges.
        {{"0", "100", "0.00", "0", "1", "0", "1", "m", "n", "o"}, "0 100 0 0 1 0 1 m n o"},
        {{"0", "0", "0", "99", "999999", "99999", "0", "m", "n", "o"}, "0 0 0 99 999999 99999 0 m n o"},
        // Named options: defaults are the launcher's and the template.
        {{"--cloud", "c.pts"}, "1 0.05 0 2 2000 20 0 " + Gabarit + " c.pts ."},
        {{"--out=res", "--cloud", "c.pts", "--mesh=m.smm", "--internal", "0,5", "--external=0.2", "--retention", "0.3",
          "--rigidity=4", "--min-points", "500", "--iterations=7", "--autosave"},
         "0.5 0.2 0.3 4 500 7 1 m.smm c.pts res"},
        // A value with '=' after the first '=' is kept whole.
        {{"--cloud=a=b.pts"}, "1 0.05 0 2 2000 20 0 " + Gabarit + " a=b.pts ."},
    };
    for (const auto &c : cas)
        EXPECT_EQ(lu(c.first), c.second);
}

TEST(Arguments, EachBadValueIsRefusedWithItsName)
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
        {0, "abc", "force interne"},
        {0, "-1", "force interne"},
        {0, "1.0x", "force interne"},
        {0, "", "force interne"},
        {0, "1,0,0", "force interne"},
        {1, "nan", "force externe"},
        {1, "inf", "force externe"},
        {2, "100.5", "force de retenue"},
        {3, "2.5", "rigidité"},
        {3, "-1", "rigidité"},
        {3, "100", "rigidité"},
        {4, "0", "nombre minimum de points"},
        {4, "1000000", "nombre minimum de points"},
        {5, "-3", "itérations"},
        {5, "1e3", "itérations"},
        {6, "2", "sauvegarde automatique"},
        {6, "oui", "sauvegarde automatique"},
        {7, "", "maillage de référence"},
        {8, "", "nuage de points"},
        {9, "", "dossier de sortie"},
    };
    for (const Cas &c : cas) {
        auto a = lanceur();
        a[c.indice] = c.valeur;
        refuse(a, c.motif);
    }
    refuse({"--out", "x"}, "--cloud est obligatoire");
    refuse({"--cloud"}, "--cloud : valeur manquante");
    refuse({"--cloud", "c.pts", "--bogus", "1"}, "--bogus");
    refuse({"--cloud", "c.pts", "extra"}, "extra");
    refuse({"--cloud", "c.pts", "--autosave=1"}, "--autosave ne prend pas de valeur");
    refuse({"--cloud", "c.pts", "--rigidity", "x"}, "--rigidity");
    refuse({"--cloud", "c.pts", "--min-points=0"}, "--min-points");
    refuse({"--cloud="}, "--cloud : chemin vide");
}

TEST(Arguments, HelpIsAskedAnywhereAndListsEveryExitStatus)
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
}
