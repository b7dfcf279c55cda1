// The console's language: the locale's rule, the English of every reason of the catalogue, the
// failure line and the help in either language, and the options --lang, --report and --version.

#include "arguments.h"
#include "langue.h"
#include "statut.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

using namespace pelvane;

namespace {

// The %N of a pattern (std::regex is left out: GCC 12 warns inside it under the sanitizers).
std::multiset<std::string> argumentsDu(const std::string &motif)
{
    std::multiset<std::string> a;
    for (std::size_t i = motif.find('%'); i != std::string::npos; i = motif.find('%', i + 1)) {
        std::size_t fin = i + 1;
        while (fin < motif.size() && std::isdigit(static_cast<unsigned char>(motif[fin])))
            ++fin;
        if (fin > i + 1)
            a.insert(motif.substr(i, fin - i));
    }
    return a;
}

} // namespace

TEST(Langue, TheLocaleChoosesEnglishOnlyForAnEnglishLanguage)
{
    struct Cas
    {
        const char *all, *messages, *lang;
        Langue attendue;
    };
    const Cas cas[] = {
        {"", "", "en_US.UTF-8", Langue::Anglais}, {"", "", "fr_FR.UTF-8", Langue::Francais},
        {"", "", "C.UTF-8", Langue::Francais},    {"", "", "", Langue::Francais},
        {"", "en_GB", "fr_FR", Langue::Anglais},  {"fr_CA", "en_GB", "en_US", Langue::Francais},
        {"en", "", "", Langue::Anglais},          {"", "", "eng", Langue::Francais},
    };
    for (const Cas &c : cas) {
        setenv("LC_ALL", c.all, 1);
        setenv("LC_MESSAGES", c.messages, 1);
        setenv("LANG", c.lang, 1);
        EXPECT_EQ(langueDuSysteme(), c.attendue) << c.all << "|" << c.messages << "|" << c.lang;
    }
    setenv("LC_ALL", "C.UTF-8", 1);
}

TEST(Langue, EveryCodeHasItsNameAndAnEnglishPatternWithTheSameArguments)
{
    ASSERT_EQ(nombreNomsDesCodes, nombreDeCodes);
    // The names follow the codes from the first to the last.
    EXPECT_STREQ(nomDuCode(CodeRaison::Cite), "Cite");
    EXPECT_STREQ(nomDuCode(CodeRaison::FichierAbsent), "FichierAbsent");
    EXPECT_STREQ(nomDuCode(CodeRaison::RapportInconnu), "RapportInconnu");
    EXPECT_STREQ(nomDuCode(CodeRaison::Nombre_), "");
    std::set<std::string> noms;
    for (std::size_t i = 1; i < nombreDeCodes; ++i) {
        const auto code = static_cast<CodeRaison>(i);
        EXPECT_TRUE(noms.insert(nomDuCode(code)).second) << i;
        const std::string francais = motifRaison(code);
        const char *anglais = motifAnglais(francais.c_str());
        ASSERT_NE(anglais, nullptr) << francais;
        EXPECT_NE(anglais, francais);
        EXPECT_EQ(argumentsDu(anglais), argumentsDu(francais)) << francais << " / " << anglais;
    }
}

TEST(Langue, AFailureIsWrittenWhollyInTheLanguageOfTheMessages)
{
    const Resultat r =
        Resultat::echec(Statut::NuageIllisible,
                        Raison(CodeRaison::OuvertureImpossibleCar, {nom("/x.pts"), Raison(CodeRaison::FichierAbsent)}));
    EXPECT_EQ(texteDansLaLangue(r.raison, Langue::Francais), r.texte());
    choisirLangue(Langue::Anglais);
    EXPECT_EQ(ligneErreur(r), "Pelvane: error: “/x.pts” cannot be opened (file not found)");
    const std::string aide = texteAide();
    EXPECT_NE(aide.find("Exit statuses:\n  0  success\n"), std::string::npos) << aide;
    EXPECT_NE(aide.find("  8  self-crossing surface: the files are written"), std::string::npos);
    EXPECT_NE(aide.find("--level X           region of the voxels"), std::string::npos);
    EXPECT_EQ(significationSortie("4", langue()), "unreadable or empty cloud");
    choisirLangue(Langue::Francais);
    EXPECT_EQ(ligneErreur(r), "Pelvane : erreur : « /x.pts » ne peut pas être ouvert (fichier absent)");
    EXPECT_NE(texteAide().find("Codes de sortie :\n  0  succès\n"), std::string::npos);
    EXPECT_EQ(significationSortie("4"), "nuage illisible ou vide");
}

TEST(Langue, LangReportAndVersionOptions)
{
    LigneDeCommande l = analyserArguments({"--cloud", "a.pts", "--lang", "en", "--report=json"}, "g.smm");
    ASSERT_TRUE(l.resultat.reussi()) << l.resultat.texte();
    EXPECT_EQ(l.parametres.langue, Langue::Anglais);
    EXPECT_TRUE(l.parametres.rapportJson);
    l = analyserArguments({"--cloud", "a.pts", "--report", "text"}, "g.smm");
    EXPECT_FALSE(l.parametres.langue.has_value());
    EXPECT_FALSE(l.parametres.rapportJson);
    const std::map<std::vector<std::string>, CodeRaison> refus = {
        {{"--cloud", "a.pts", "--lang", "de"}, CodeRaison::LangueInconnue},
        {{"--cloud", "a.pts", "--report", "xml"}, CodeRaison::RapportInconnu},
    };
    for (const auto &[arguments, code] : refus) {
        l = analyserArguments(arguments, "g.smm");
        EXPECT_EQ(l.resultat.statut, Statut::ArgumentsIncorrects);
        ASSERT_EQ(l.resultat.raison.arguments.size(), 1u);
        EXPECT_EQ(l.resultat.raison.arguments[0].sous.at(0).code, code);
    }
    // Read before the rest: the last valid one wins, a bad one is left to the parser.
    EXPECT_EQ(langueDemandee({"--lang=fr", "--cloud", "a", "--lang", "en", "--lang", "de"}), Langue::Anglais);
    EXPECT_FALSE(langueDemandee({"--cloud", "en"}).has_value());
    l = analyserArguments({"--cloud", "a.pts", "--version"}, "g.smm");
    EXPECT_TRUE(l.version && !l.aide);
    EXPECT_EQ(texteVersion("Pelvane.exe"), std::string("Pelvane.exe (Tarnis) ") + versionTarnis() + "\n");
    const std::string version = versionTarnis();
    EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 2) << version;
    EXPECT_EQ(version.find_first_not_of("0123456789."), std::string::npos) << version;
    // Every option the parser takes (the list the Python keywords follow) is in both helps.
    for (const Langue langue : {Langue::Anglais, Langue::Francais}) {
        choisirLangue(langue);
        for (const std::string &o : optionsNommees())
            EXPECT_NE(texteAide().find("  " + o + " "), std::string::npos) << o;
    }
}
