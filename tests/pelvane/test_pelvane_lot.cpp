// The data side of the batch command (PelvaneLot.exe) in process: the clouds of a folder or a list
// with their results folders, and the summary of a batch whose results folders are laid by hand
// in every state a cloud can be in. The batch run itself is tested by tests/lot/test_lot.sh.

#include "commandelot.h"
#include "execution.h"

#include "support.h"

#include <filesystem>
#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace pelvane;
using tarnis_test::readFile;
using tarnis_test::TempDir;

namespace {

void ecrire(const std::string &chemin, const std::string &texte)
{
    fs::create_directories(fs::path(chemin).parent_path());
    ASSERT_TRUE(tarnis_test::writeFile(chemin, texte)) << chemin;
}

std::string lister(const std::string &entree, const std::string &sortie)
{
    std::vector<NuageDuLot> nuages;
    std::string t;
    if (const Resultat r = listerNuages(entree, sortie, nuages); !r)
        return "refus : " + texte(r.raison);
    for (const NuageDuLot &n : nuages)
        t += n.nuage + " > " + n.relatif + "\n";
    return t;
}

int lancer(const std::vector<std::string> &a, std::string &sortie)
{
    std::ostringstream o, e;
    const int code = commandeLot(a, o, e);
    sortie = o.str();
    return code;
}

std::vector<std::string> lignesDe(const std::string &fichier)
{
    std::istringstream t(readFile(fichier));
    std::vector<std::string> v;
    for (std::string l; std::getline(t, l);)
        v.push_back(l);
    return v;
}

} // namespace

TEST(Lot, CloudsOfAFolderOrOfAListWithTheirResultsFolders)
{
    TempDir t;
    const std::string in = t.file("in");
    for (const char *f : {"a/scan.pts", "b/scan.pts", "b/vol.hdr", "b/vol.img", "c/tete.nii.gz", "notes.md", "in-out/x.pts"})
        ecrire(in + "/" + f, "PTS\n");
    fs::create_symlink(in + "/a/scan.pts", in + "/lien.pts");
    fs::create_symlink(in + "/a", in + "/dossier-lie");
    fs::create_symlink(in + "/absent.pts", in + "/mort.pts");
    ASSERT_EQ(::mkfifo((in + "/tube.xyz").c_str(), 0600), 0);
    ecrire(in + "/d/HAUT.XYZ", "1 2 3\n");
    // The output folder inside the input is left out, and so are links and other files; an
    // upper-case suffix is a cloud's.
    EXPECT_EQ(lister(in + "/./", in + "/in-out"), in + "/a/scan.pts > a/scan.pts\n" + in +
                                                       "/b/scan.pts > b/scan.pts\n" + in + "/b/vol.hdr > b/vol.hdr\n" + in +
                                                       "/c/tete.nii.gz > c/tete.nii.gz\n" + in + "/d/HAUT.XYZ > d/HAUT.XYZ\n");
    // Each link or special file passed over is named with why, the other files are not.
    std::vector<NuageDuLot> nuages;
    std::ostringstream sautes;
    ASSERT_TRUE(listerNuages(in, in + "/in-out", nuages, &sautes).reussi());
    for (const std::string ligne : {"lien.pts (lien symbolique, non suivi", "dossier-lie (lien symbolique vers un dossier",
                                    "mort.pts (lien symbolique sans cible)", "tube.xyz (tube, pas un fichier ordinaire)"})
        EXPECT_NE(sautes.str().find(in + "/" + ligne), std::string::npos) << sautes.str();
    EXPECT_EQ(sautes.str().find("notes.md"), std::string::npos) << sautes.str();
    // A compressed volume's results are named without both suffixes.
    EXPECT_EQ(nomDuNuage(in + "/c/tete.nii.gz"), "tete");

    // A list: relative to its folder, comments, blank lines and CRLF skipped, each cloud once; the
    // root is the deepest folder holding them all.
    ecrire(t.file("listes/l.txt"), "# lot\r\n../in/b/scan.pts\r\n\n" + in + "/a/scan.pts\n../in/a/../a/scan.pts\n");
    EXPECT_EQ(lister(t.file("listes/l.txt"), t.file("out")),
              in + "/a/scan.pts > a/scan.pts\n" + in + "/b/scan.pts > b/scan.pts\n");
    ecrire(t.file("listes/un.txt"), in + "/b/vol.hdr\n");
    EXPECT_EQ(lister(t.file("listes/un.txt"), t.file("out")), in + "/b/vol.hdr > vol.hdr\n");
    // A cloud given alone is a batch of one, not a list of its own lines.
    EXPECT_EQ(lister(in + "/d/HAUT.XYZ", t.file("out")), in + "/d/HAUT.XYZ > HAUT.XYZ\n");

    EXPECT_EQ(lister(t.file("absent"), t.file("out")), "refus : entrée introuvable : " + t.file("absent"));
    ecrire(t.file("listes/vide.txt"), "# rien\n");
    EXPECT_EQ(lister(t.file("listes/vide.txt"), t.file("out")),
              "refus : aucun nuage (.pts, .ply, .xyz, .asc, .csv, .txt, .pcd, .hdr, .nii, .nii.gz, .nrrd, .nhdr, .mha, "
              ".mhd, .mnc, .mgh, .mgz) dans " + t.file("listes/vide.txt"));
    std::string sortie;
    EXPECT_EQ(lancer({"--nuages", t.file("listes/l.txt"), t.file("out")}, sortie), 0);
    EXPECT_EQ(sortie, in + "/a/scan.pts\ta/scan.pts\n" + in + "/b/scan.pts\tb/scan.pts\n");
    EXPECT_EQ(lancer({"--nuages", t.file("listes/vide.txt"), t.file("out")}, sortie), 2);
}

TEST(Lot, SummaryTellsEachCloudsStateAndPutsFailuresThenWorstFitsFirst)
{
    TempDir t;
    const std::string s = t.file("out");
    // Two successes (the second the worse fit), a failure, an incomplete result, a missing one.
    const std::vector<std::string> relatifs = {"a/bon.pts", "b/pire.pts", "c/casse.pts", "d/moitie.pts", "e/<x>.pts"};
    std::string liste;
    for (const std::string &r : relatifs)
        liste += "/scans/" + r + "\t" + r + "\n";
    ecrire(s + "/.lot/nuages", liste);
    for (int k = 0; k < 2; ++k) {
        Bilan b;
        b.pointsNuage = 1500;
        b.pointsFinaux = 400 + k;
        b.pointsEcartes = 7 * k;
        b.diagonale = 10;
        b.nuageVersSurface = {10, 0.01, k ? 1.2 : 0.02, 0.04};
        b.surfaceVersNuage = {10, 0.01, 0.03, 0.05};
        std::tie(b.parties, b.genre) = std::make_pair(1 + k, 2 * k);
        b.croisements = 3 * static_cast<std::size_t>(k);
        const std::string d = s + "/" + relatifs[k] + "/", nom = k ? "pire" : "bon";
        b.fichiersMaillage = {d + nom + ".smm", d + nom + ".off"}; // complete: the files the report names
        ecrire(d + nom + ".rapport.txt", texteRapport(Parametres(), b));
        ecrire(d + nom + ".smm", "x");
        ecrire(d + nom + ".off", "x");
        // The second one's surface crosses itself: written, with its own status.
        ecrire(d + "tarnis-lot.statut", (k ? "8\t1.5" : "0\t1.5") + std::to_string(k) + "\n");
    }
    ecrire(s + "/c/casse.pts/tarnis-lot.statut", "4\t0.05\n");
    ecrire(s + "/c/casse.pts/tarnis-lot.journal", "Pelvane : lecture : 0 %\nPelvane : erreur : « casse.pts » \"x\", "
                                                  "ligne 3\tcoupé\nfin\n");
    ecrire(s + "/d/moitie.pts/tarnis-lot.statut", "0\t2.00\n");
    ecrire(s + "/d/moitie.pts/moitie.smm", "x");

    std::string sortie;
    EXPECT_EQ(lancer({"--a-faire", s}, sortie), 0);
    EXPECT_EQ(sortie, "/scans/c/casse.pts\tc/casse.pts\n/scans/d/moitie.pts\td/moitie.pts\n/scans/e/<x>.pts\te/<x>.pts\n");
    EXPECT_EQ(lancer({"--complet", "/scans/a/bon.pts", s + "/a/bon.pts"}, sortie), 0);
    EXPECT_EQ(lancer({"--complet", "/scans/b/pire.pts", s + "/b/pire.pts"}, sortie), 0) << "written, if not a solid";
    EXPECT_EQ(lancer({"--complet", "/scans/d/moitie.pts", s + "/d/moitie.pts"}, sortie), 1);

    EXPECT_EQ(lancer({"--resume", s + "/"}, sortie), 1) << "not every cloud succeeded";
    const std::string csv = readFile(s + "/resume.csv");
    std::istringstream lignes(csv);
    std::string l;
    std::vector<std::string> v;
    while (std::getline(lignes, l))
        v.push_back(l);
    ASSERT_EQ(v.size(), 6u) << csv;
    EXPECT_EQ(v[1], "a/bon.pts,/scans/a/bon.pts,réussi,0,succès,1500,400,0.1,0.2,0.4,0.1,0.3,0.5,0,0,0,0,1,0,0,0,0,1.50,");
    EXPECT_EQ(v[2], "b/pire.pts,/scans/b/pire.pts,se croise,8,surface qui se croise,1500,401,0.1,12,0.4,0.1,0.3,0.5,7,0,0,0,2,"
                    "2,3,0,0,1.51,la surface passe au travers d'elle-même (3 paires de triangles se croisent) : elle ne "
                    "borne pas un solide");
    EXPECT_EQ(v[3], "c/casse.pts,/scans/c/casse.pts,échec,4,nuage illisible ou vide,,,,,,,,,,,,,,,,,,0.05,"
                    "\"« casse.pts » \"\"x\"\", ligne 3 coupé\"");
    EXPECT_EQ(v[4], "d/moitie.pts,/scans/d/moitie.pts,incomplet,0,succès,,,,,,,,,,,,,,,,,,2.00,résultat incomplet dans " +
                        s + "/d/moitie.pts");
    EXPECT_EQ(v[5], "e/<x>.pts,/scans/e/<x>.pts,absent,,,,,,,,,,,,,,,,,,,,,"
                    "pas de résultat : nuage pas encore traité ou traitement interrompu");

    // In English the same columns are written again under English headers, statuses and messages,
    // beside the French summary, which stays as it was.
    EXPECT_FALSE(fs::exists(s + "/summary.csv"));
    EXPECT_EQ(lancer({"--lang", "en", "--resume", s}, sortie), 1);
    choisirLangue(Langue::Francais);
    EXPECT_EQ(readFile(s + "/resume.csv"), csv);
    const std::vector<std::string> en = lignesDe(s + "/summary.csv");
    ASSERT_EQ(en.size(), 6u);
    EXPECT_EQ(std::count(en[0].begin(), en[0].end(), ','), std::count(v[0].begin(), v[0].end(), ','));
    EXPECT_EQ(en[0].find("cloud,path,status,exit status,meaning,cloud points,simplex points,cloud->surface mean (%),"), 0u);
    EXPECT_EQ(en[2], "b/pire.pts,/scans/b/pire.pts,crosses itself,8,self-crossing surface,1500,401,0.1,12,0.4,0.1,0.3,"
                     "0.5,7,0,0,0,2,2,3,0,0,1.51,the surface passes through itself (3 pairs of triangles cross): it "
                     "bounds no solid");
    EXPECT_EQ(en[3].find("c/casse.pts,/scans/c/casse.pts,failed,4,unreadable or empty cloud,,"), 0u) << en[3];
    EXPECT_EQ(en[4], "d/moitie.pts,/scans/d/moitie.pts,incomplete,0,success,,,,,,,,,,,,,,,,,,2.00,incomplete result in " +
                         s + "/d/moitie.pts");
    EXPECT_EQ(en[5], "e/<x>.pts,/scans/e/<x>.pts,missing,,,,,,,,,,,,,,,,,,,,,no result: cloud not fitted yet or its "
                     "run interrupted");
    const std::string htmlEn = readFile(s + "/resume.html");
    EXPECT_NE(htmlEn.find("<tr class=\"echec\"><td>c/casse.pts</td><td>failed</td><td class=\"n\">4 (unreadable or "
                          "empty cloud)</td>"),
              std::string::npos);
    EXPECT_NE(htmlEn.find("<p>failed: 1. crosses itself: 1. missing: 1. incomplete: 1. succeeded: 1. </p>"),
              std::string::npos);
    EXPECT_EQ(lancer({"--resume", s}, sortie), 1); // in French again

    const std::string html = readFile(s + "/resume.html");
    std::vector<std::string> ordre;
    for (std::size_t i = html.find("<tr class="); i != std::string::npos; i = html.find("<tr class=", i + 1))
        ordre.push_back(html.substr(i + 11, html.find("</td>", i) - i - 11));
    EXPECT_EQ(ordre, (std::vector<std::string>{"croise\"><td>b/pire.pts", "echec\"><td>c/casse.pts",
                                               "incomplet\"><td>d/moitie.pts", "absent\"><td>e/&lt;x&gt;.pts",
                                               "ok\"><td>a/bon.pts"}));
    EXPECT_NE(html.find("<td class=\"n\">4 (nuage illisible ou vide)</td>"), std::string::npos);
    EXPECT_NE(html.find("<p>échec : 1. se croise : 1. absent : 1. incomplet : 1. réussi : 1. </p>"),
              std::string::npos);

    // The same lines for programs: English keys and statuses, the figures as numbers, null where missing.
    const std::string json = readFile(s + "/resume.json");
    const auto npos = std::string::npos;
    EXPECT_NE(json.find("{\"path\": \"a/bon.pts\", \"cloud\": \"/scans/a/bon.pts\", \"status\": \"succeeded\", "
                        "\"exit_status\": 0, \"meaning\": \"success\", \"cloud_points\": 1500, \"simplex_points\": 400, "
                        "\"cloud_to_surface_mean_percent\": 0.1, \"cloud_to_surface_p95_percent\": 0.2,"),
              npos)
        << json;
    EXPECT_NE(json.find("\"status\": \"crosses itself\", \"exit_status\": 8"), npos);
    EXPECT_NE(json.find("\"status\": \"failed\", \"exit_status\": 4, \"meaning\": \"unreadable or empty cloud\", "
                        "\"cloud_points\": null"),
              npos);
    EXPECT_NE(json.find("\"seconds\": 0.05, \"message\": \"« casse.pts » \\\"x\\\", ligne 3 coupé\"}"), npos) << json;
    EXPECT_NE(json.find("\"status\": \"missing\", \"exit_status\": null, \"meaning\": \"\""), npos);
    EXPECT_EQ(std::count(json.begin(), json.end(), '{'), 5);

    EXPECT_EQ(lancer({"--resume", t.file("rien")}, sortie), 2);
    for (const auto &[code, sens] : std::vector<std::pair<std::string, std::string>>{
             {"2", "arguments incorrects"}, {"3", "maillage de référence illisible"},
             {"5", "dossier de sortie inutilisable"}, {"6", "échec de l'ajustement"}, {"7", "arrêté par un signal"},
             {"8", "surface qui se croise"},
             {"127", "outil introuvable ou non exécutable"}, {"137", "interrompu (signal 9)"},
             {"128", "statut inattendu"}, {"x", "statut inattendu"}, {"", ""}})
        EXPECT_EQ(significationSortie(code), sens) << code;
}

TEST(Lot, ARunThatSetMuchOfItsCloudAsideOrSmoothedItIsMarkedToBeChecked)
{
    // 1 % of the cloud set aside passes; 2 %, or a smoothing, is warned of in the report, named
    // with its count and what to do, and the summary marks the run, every-point figures beside.
    TempDir t;
    const std::string s = t.file("out");
    ecrire(s + "/.lot/nuages", "/n/un.pts\tun.pts\n/n/deux.pts\tdeux.pts\n/n/lisse.pts\tlisse.pts\n");
    const std::vector<std::pair<std::size_t, bool>> cas = {{15, false}, {30, false}, {0, true}};
    const char *const noms[] = {"un", "deux", "lisse"};
    for (std::size_t k = 0; k < cas.size(); ++k) {
        Bilan b;
        b.pointsNuage = 1500;
        std::tie(b.pointsEcartes, b.bruitLisse) = cas[k];
        b.diagonale = 10;
        b.nuageVersSurface = {1470, 0.01, 0.02, 0.04};
        b.nuageEntierVersSurface = {1500, 0.5, 3, 4};
        const std::string d = s + "/" + noms[k] + ".pts/";
        b.fichiersMaillage = {d + noms[k] + ".off"};
        ecrire(d + noms[k] + ".rapport.txt", texteRapport(Parametres(), b));
        ecrire(d + noms[k] + ".off", "x");
        ecrire(d + "tarnis-lot.statut", "0\t1\n");
    }
    std::string sortie;
    EXPECT_EQ(lancer({"--resume", s}, sortie), 1) << "a run to check is not a plain success";
    std::istringstream csv(readFile(s + "/resume.csv"));
    std::string l;
    std::vector<std::string> v;
    while (std::getline(csv, l))
        v.push_back(l);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[1].find("un.pts,/n/un.pts,réussi,0,succès,1500,0,0.1,0.2,0.4,0,0,0,15,5,30,40,"), 0u) << v[1];
    EXPECT_EQ(v[2].find("deux.pts,/n/deux.pts,à vérifier,0,"), 0u) << v[2];
    EXPECT_NE(v[2].find(",30,5,30,40,0,0,0,0,0,1,\"30 points du nuage (2 %) écartés"), std::string::npos) << v[2];
    EXPECT_EQ(v[3].find("lisse.pts,/n/lisse.pts,à vérifier,0,"), 0u) << v[3];
    EXPECT_NE(v[3].find("relancer avec --noise off"), std::string::npos) << v[3];
    // Asked for, the English summary carries the same warnings in English, from the same figures.
    EXPECT_EQ(lancer({"--english-csv", "--resume", s}, sortie), 1);
    const std::vector<std::string> en = lignesDe(s + "/summary.csv");
    ASSERT_EQ(en.size(), 4u);
    EXPECT_EQ(en[1].find("un.pts,/n/un.pts,succeeded,0,success,1500,0,0.1,0.2,0.4,0,0,0,15,5,30,40,"), 0u) << en[1];
    EXPECT_NE(en[2].find(",to check,0,success,"), std::string::npos) << en[2];
    EXPECT_NE(en[2].find("\"30 points of the cloud (2 %) set aside as isolated do not pull the surface; over every "
                         "point, the cloud -> surface distance is on average 5 % of the diagonal (95th percentile 30 "
                         "%): if they belong"),
              std::string::npos)
        << en[2];
    EXPECT_NE(en[3].find(",to check,0,success,"), std::string::npos) << en[3];
    EXPECT_NE(en[3].find("the cloud, found noisy, was smoothed"), std::string::npos) << en[3];
}
