// The opener and the engine's outcomes: each refused or short file comes back with the status
// the console tool exits with and a reason that names the file and, where it helps, the line.
#include "Ajustement.h"
#include "Maillage.h"
#include "Ouverture.h"
#include "Simplex.h"
#include "VolumeAnalyze.h"
#include "kdtree.h"

#include "nifti_essai.h"
#include "simplex_fixtures.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

using namespace tarnis_test;

TEST(Ouverture, EveryFailureNamesTheFileAndWhatWasWrong)
{
    TempDir dossier;
    // Name, content (null: no file at all), status, words of the reason beside the file's name.
    const std::tuple<const char *, const char *, Statut, const char *> cas[] = {
        {"absent.pts", nullptr, Statut::NuageIllisible, "ne peut pas être ouvert"},
        {"faux.pts", "XYZ\n1\n0 0 0\n", Statut::NuageIllisible, "la ligne 1 ne commence pas par « PTS »"},
        {"compte.pts", "PTS\ntrois\n0 0 0\n", Statut::NuageIllisible, "ligne 2 : nombre de points illisible"},
        {"court.pts", "PTS\n4\n0 0 0\n1 1 1\n2 nan 2\n3 3 3\n", Statut::NuageIllisible,
         "4 points annoncés, 2 lus ; la lecture s'est arrêtée ligne 5 (point 3)"},
        {"nuage.txt", "PTS\n1\n0 0 0\n", Statut::NuageIllisible, "ligne 2 : 1 nombres trouvés, 3 attendus"},
        {"nuage.las", "PTS\n1\n0 0 0\n", Statut::NuageIllisible, "n'est pas un nuage de points reconnu"},
        {"absent.smm", nullptr, Statut::MaillageIllisible, "absent, illisible ou vide"},
        {"ecrit.sm", "SM\n", Statut::MaillageIllisible, "un fichier SM ne se relit pas"},
        {"court.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n", Statut::MaillageIllisible,
         "3 sommets annoncés, 2 lus ; la lecture s'est arrêtée ligne 5"},
        {"vide.obj", "# rien\n", Statut::MaillageIllisible, "ne contient aucune face"},
        {"sommet.obj", "v 0 0 0\nv 1 x 0\n", Statut::MaillageIllisible, "sommet illisible ligne 2"},
        {"hors.off", "OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 7\n", Statut::MaillageIllisible, "1 faces refusées"},
        {"maillage.dxf", "ply\n", Statut::MaillageIllisible, "n'est pas un maillage reconnu"},
        {"vide.smm", "\nSMM\n", Statut::MaillageIllisible, "fichier vide ou première ligne vide"},
    };
    for (const auto &[nom, contenu, attendu, motif] : cas) {
        const std::string chemin = dossier.file(nom);
        if (contenu)
            writeFile(chemin, contenu);
        Maillage m;
        Simplex s;
        const Resultat r = attendu == Statut::NuageIllisible ? ouvrirNuage(chemin, m) : ouvrirMaillage(chemin, s);
        EXPECT_EQ(r.statut, attendu) << nom;
        EXPECT_NE(r.texte().find(chemin), std::string::npos) << r.texte();
        EXPECT_NE(r.texte().find(motif), std::string::npos) << r.texte();
        // The index always covers exactly the cloud kept: the points before the fault of a cloud
        // cut short (for the view to show), none otherwise.
        EXPECT_EQ(kd_size(m.kd.get()), m.ListePointsInterets.size()) << nom;
        EXPECT_EQ(m.ListePointsInterets.size(), std::string(nom) == "court.pts" ? 2u : 0u) << nom;
    }

    Maillage m;
    EXPECT_EQ(m.ecrireOFF(dossier.file("absent/x.off")).statut, Statut::SortieImpossible);
    EXPECT_EQ(ecrirePTS(dossier.file("absent/x.pts"), {}).statut, Statut::SortieImpossible);
}

TEST(Ouverture, AVolumeIsThresholdedAndAnEmptyResultIsSaid)
{
    TempDir dossier;
    const std::string base = dossier.file("vol");
    // A 2 x 2 x 2 volume of unsigned 8-bit voxels, all 200.
    unsigned char entete[348] = {};
    entete[0] = 92; // sizeof_hdr = 348, little-endian
    entete[1] = 1;
    const std::int16_t dims[4] = {3, 2, 2, 2};
    std::memcpy(entete + 40, dims, sizeof dims);
    const std::int16_t type = 2; // unsigned 8-bit
    std::memcpy(entete + 70, &type, sizeof type);
    writeFile(base + ".hdr", std::string(reinterpret_cast<char *>(entete), sizeof entete));
    writeFile(base + ".img", std::string(8, static_cast<char>(200)));
    Maillage m;
    std::vector<point3> points;
    ReglagesVolume reglages;
    reglages.fenetreMax = 255;
    ASSERT_TRUE(ouvrirNuage(base + ".hdr", m, reglages, {}, &points).reussi());
    EXPECT_EQ((std::vector<std::size_t>{m.ListePointsInterets.size(), points.size(), kd_size(m.kd.get())}),
              std::vector<std::size_t>(3, 8));

    // The defaults suit 16-bit scans: a voxel of 200 in the window 0..1000 is grey level 51.
    const Resultat r = ouvrirNuage(base + ".img", m, ReglagesVolume(), {}, &points);
    EXPECT_EQ(r.statut, Statut::NuageIllisible);
    EXPECT_NE(r.texte().find("ne donne aucun point avec les seuils 150 à 255 et la fenêtre 0 à 1000"),
              std::string::npos)
        << r.texte();
    EXPECT_TRUE(m.ListePointsInterets.empty() && points.empty());

    // A stop asked while the voxels are read leaves no cloud.
    const Progression arret = [](double, const Raison &e) { return e.code != CodeRaison::LectureDuVolume; };
    EXPECT_EQ(ouvrirNuage(base + ".hdr", m, reglages, arret, &points).statut, Statut::Interrompu);
    EXPECT_TRUE(m.ListePointsInterets.empty() && points.empty());

    // Read in slices of 1 MiB, a volume of 2.03 MiB reports its progress rising within 0..1.
    const std::int16_t grandes[4] = {3, 128, 128, 130};
    std::memcpy(entete + 40, grandes, sizeof grandes);
    writeFile(base + ".hdr", std::string(reinterpret_cast<char *>(entete), sizeof entete));
    writeFile(base + ".img", std::string(8, static_cast<char>(200)) + std::string(128 * 128 * 130 - 8, '\0'));
    std::vector<double> vues;
    const Progression suivi = [&vues](double f, const Raison &) { return vues.push_back(f), true; };
    ASSERT_TRUE(ouvrirNuage(base + ".hdr", m, reglages, suivi, &points).reussi());
    EXPECT_EQ(points.size(), 8u);
    EXPECT_TRUE(std::is_sorted(vues.begin(), vues.end()) && vues.front() >= 0 && vues.back() <= 1);
    EXPECT_TRUE(std::any_of(vues.begin(), vues.end(), [](double f) { return f > 0 && f < 0.9; }));

    writeFile(base + ".img", "x");
    EXPECT_NE(ouvrirNuage(base + ".hdr", m, reglages).texte().find("trop court"), std::string::npos);
}

// Both thresholds are kept themselves, so the window taken from a mask (0 to 1) keeps its 1s; a
// mask keeps them with the defaults too (its 1 is grey level 0 in the window 0..1000). A volume
// of three values that keeps nothing is still refused.
TEST(Ouverture, AMaskOpensWithTheDefaultsAndWithItsOwnWindow)
{
    TempDir dossier;
    // Four unsigned 8-bit voxels in a row.
    const auto volume = [&](const std::string &nom, const std::string &voxels) {
        Nifti n(4, 1, 1, 1, 2, 8);
        writeFile(dossier.file(nom + ".nii"), n.o + voxels);
        return dossier.file(nom + ".nii");
    };
    const std::string masque = volume("masque", std::string("\0\1\1\0", 4));
    ReglagesVolume fenetre;
    ASSERT_TRUE(plageVolume(masque, fenetre.fenetreMin, fenetre.fenetreMax).reussi() && fenetre.fenetreMax == 1);
    for (const ReglagesVolume &r : {ReglagesVolume(), fenetre}) {
        Maillage m;
        ASSERT_TRUE(ouvrirNuage(masque, m, r).reussi()) << r.fenetreMax;
        EXPECT_EQ(m.ListePointsInterets, (std::vector<point3>{point3(1, 0, 0), point3(2, 0, 0)})) << r.fenetreMax;
    }
    // The thresholds' own grey levels: 255 (at and past the window's top) and 150 are kept, 149 is not.
    Maillage m;
    ASSERT_TRUE(ouvrirNuage(volume("niveaux", std::string("\x95\x96\xff\xff", 4)), m, {150, 255, 0, 254}).reussi());
    EXPECT_EQ(m.ListePointsInterets, (std::vector<point3>{point3(1, 0, 0), point3(2, 0, 0), point3(3, 0, 0)}));
    EXPECT_EQ(ouvrirNuage(volume("trois", std::string("\0\1\2\2", 4)), m).statut, Statut::NuageIllisible);
    // A brain mask, the same way.
    const std::string cerveau = sharedDataDir() + "/volumes/derived/brainmask.nii.gz";
    if (!std::filesystem::exists(cerveau))
        GTEST_SKIP() << "brainmask.nii.gz absent";
    Maillage defaut, sienne;
    ASSERT_TRUE(plageVolume(cerveau, fenetre.fenetreMin, fenetre.fenetreMax).reussi() && fenetre.fenetreMax == 1);
    ASSERT_TRUE(ouvrirNuage(cerveau, defaut).reussi() && ouvrirNuage(cerveau, sienne, fenetre).reussi());
    EXPECT_TRUE(defaut.ListePointsInterets == sienne.ListePointsInterets && defaut.ListePointsInterets.size() > 1000);
}

TEST(Ouverture, AStoppedReadingLeavesNoCloudAndReportsRisingProgress)
{
    TempDir dossier;
    const std::vector<point3> nuage = nuageEllipsoide(200000, 3, 2, 1);
    const std::string chemin = dossier.file("grand.pts");
    ASSERT_TRUE(ecrireFichierPTS(chemin, nuage));

    std::vector<double> vues;
    int arbres = 0; // reports of the index's construction: its start and its end, once
    Maillage m;
    const Resultat complet = ouvrirNuage(chemin, m, {}, [&](double f, const Raison &r) {
        vues.push_back(f);
        arbres += r.code == CodeRaison::ConstructionDeLArbre;
        return true;
    });
    ASSERT_TRUE(complet.reussi()) << complet.texte();
    EXPECT_EQ(m.ListePointsInterets.size(), nuage.size());
    EXPECT_EQ(kd_size(m.kd.get()), nuage.size());
    EXPECT_EQ(arbres, 2);
    ASSERT_GE(vues.size(), 2u);
    EXPECT_TRUE(std::is_sorted(vues.begin(), vues.end()));
    EXPECT_TRUE(vues.front() > 0 && vues.back() <= 1);

    int appels = 0;
    const Resultat arrete = ouvrirNuage(chemin, m, {}, [&](double, const Raison &) { return ++appels < 2; });
    EXPECT_EQ(arrete.statut, Statut::Interrompu);
    EXPECT_EQ(appels, 2);
    EXPECT_TRUE(m.ListePointsInterets.empty() && kd_size(m.kd.get()) == 0);
}

// A mesh opened with progress reported (as the application opens it) is the mesh opened without;
// a stop at the first report leaves the simplex mesh as it was.
TEST(Ouverture, AMeshOpenedWithProgressIsTheMeshOpenedWithout)
{
    TempDir dossier;
    Simplex modele;
    icosaedreDual(modele, 2, 1.0);
    ASSERT_TRUE(modele.trianguler());
    const std::string smm = dossier.file("m.smm"), off = dossier.file("m.off"), ply = dossier.file("m.ply");
    ASSERT_TRUE(modele.ecrire(smm, 2).reussi());
    ASSERT_TRUE(modele.maillageTriangule.ecrireOFF(off));
    ASSERT_TRUE(modele.maillageTriangule.ecrirePLY(ply));
    for (const std::string &nom : {smm, off, ply}) {
        Simplex sans, avec, arrete;
        ASSERT_TRUE(ouvrirMaillage(nom, sans).reussi()) << nom;
        std::vector<double> vues;
        const Resultat r = ouvrirMaillage(nom, avec, [&](double f, const Raison &) { return vues.push_back(f), true; });
        ASSERT_TRUE(r.reussi()) << nom << " : " << r.texte();
        EXPECT_FALSE(vues.empty()) << nom;
        EXPECT_TRUE(std::is_sorted(vues.begin(), vues.end())) << nom;
        EXPECT_EQ(avec.ListePointsSimplex.size(), sans.ListePointsSimplex.size()) << nom;
        EXPECT_EQ(avec.maillageOrigine.listeSommets.size(), sans.maillageOrigine.listeSommets.size()) << nom;
        EXPECT_EQ(avec.maillageOrigine.listeFaces.size(), sans.maillageOrigine.listeFaces.size()) << nom;
        EXPECT_FALSE(sans.maillageOrigine.listeFaces.empty() && sans.ListePointsSimplex.empty()) << nom;
        EXPECT_EQ(ouvrirMaillage(nom, arrete, [](double, const Raison &) { return false; }).statut, Statut::Interrompu);
        EXPECT_TRUE(arrete.ListePointsSimplex.empty() && arrete.maillageOrigine.listeFaces.empty()) << nom;
    }
}

// Every long operation hears a stop asked through its progression at its first report, under its
// own phase, and leaves nothing half done: no file, an empty mesh or tree, the figures untouched.
TEST(Progression, EveryLongOperationStopsAtItsFirstReport)
{
    TempDir dossier;
    Maillage m; // more vertices than the readers' first report comes after
    for (int i = 0; i < 70000; ++i)
        m.listeSommets.emplace_back(i, i % 7, i % 11);
    m.listeFaces.assign(3, Face{0, 1, 2});
    m.nbSommets = 70000;
    m.nbFaces = 3;
    const std::string off = dossier.file("m.off"), obj = dossier.file("m.obj"), sortie = dossier.file("x");
    ASSERT_TRUE(m.ecrireOFF(off) && m.ecrireOBJ(obj));
    Simplex s;
    icosaedreDual(s, 1, 1.0);
    ASSERT_TRUE(s.trianguler());
    Maillage lu;
    FiguresAjustement figures;
    // The phase, the operation, what it leaves (none: no file at `sortie`).
    using Cas = std::tuple<CodeRaison, std::function<Resultat(const Progression &)>, std::function<bool()>>;
    const Cas cas[] = {
        {CodeRaison::EcritureDe, [&](const Progression &p) { return m.ecrireOFF(sortie, p); }, nullptr},
        {CodeRaison::EcritureDe, [&](const Progression &p) { return m.ecrireOBJ(sortie, p); }, nullptr},
        {CodeRaison::EcritureDe, [&](const Progression &p) { return ecrirePTS(sortie, m.listeSommets, p); }, nullptr},
        {CodeRaison::EcritureDe, [&](const Progression &p) { return s.ecrire(sortie, 2, p); }, nullptr},
        {CodeRaison::LectureDuMaillage, [&](const Progression &p) { return lu.lireOFF(off, p); },
         [&] { return lu.listeSommets.empty() && lu.nbSommets == 0; }},
        {CodeRaison::LectureDuMaillage, [&](const Progression &p) { return lu.lireOBJ(obj, p); },
         [&] { return lu.listeSommets.empty() && lu.listeFaces.empty(); }},
        {CodeRaison::ConstructionDeLArbre,
         [&](const Progression &p) {
             lu.ListePointsInterets = m.listeSommets;
             return lu.construireKd(p);
         },
         [&] { return kd_size(lu.kd.get()) == 0; }},
        {CodeRaison::MesureDesDistances,
         [&](const Progression &p) { return mesurerAjustement(s, m.listeSommets, figures, p); },
         [&] { return figures.echantillonsSurface == 0; }},
    };
    for (const auto &[phase, operation, rienALaisse] : cas) {
        std::vector<CodeRaison> vues;
        const Resultat r = operation([&](double, const Raison &e) { return vues.push_back(e.code), false; });
        EXPECT_EQ(r.statut, Statut::Interrompu) << r.texte();
        EXPECT_EQ(vues, std::vector<CodeRaison>{phase});
        EXPECT_TRUE(rienALaisse ? rienALaisse() : !std::ifstream(sortie)) << r.texte();
    }
}

// A reason is a code with its arguments, nested reasons in turn; in French it reads as the line
// the console tool has always printed.
TEST(Raison, NestedReasonsReadAsTheConsoleLine)
{
    TempDir dossier;
    const std::string pts = dossier.file("court%2.pts"), smm = dossier.file("voisin.smm");
    writeFile(pts, "PTS\n5\n0 0 0\n1 1 1\n");
    writeFile(smm, "SMM\n4 0\n0 0 0 1 2 9\n1 0 0 0 2 3\n0 1 0 0 1 3\n0 0 1 0 1 2\n");
    Maillage m;
    Simplex s;
    const Resultat court = ouvrirNuage(pts, m), voisin = ouvrirMaillage(smm, s);

    // The cloud cut short: the file (a name, quoted), then what is missing and where it stopped.
    ASSERT_EQ(court.raison.code, CodeRaison::Incomplet);
    ASSERT_EQ(court.raison.arguments.size(), 2u);
    EXPECT_EQ(court.raison.arguments[0].sous.at(0).code, CodeRaison::Cite);
    EXPECT_EQ(court.raison.arguments[1].sous.at(0).code, CodeRaison::PointsManquants);
    EXPECT_EQ(court.texte(), "« " + pts +
                                 " » incomplet : 5 points annoncés, 2 lus ; la lecture s'est arrêtée ligne 5 "
                                 "(point 3) : le fichier s'arrête là");
    // The SMM file with a neighbour out of range: the file and line, the point, the index.
    ASSERT_EQ(voisin.raison.code, CodeRaison::FichierLigne);
    EXPECT_EQ(voisin.raison.arguments.at(2).sous.at(0).code, CodeRaison::Point);
    EXPECT_EQ(voisin.texte(), smm + ", ligne 3 : point 0 : indice de voisin 9 hors de 0..3");
    EXPECT_EQ(Resultat::interrompu(Raison(CodeRaison::LectureDe, {nom("x")})).texte(),
              "Lecture de « x » : interrompu à la demande");
    EXPECT_EQ(Resultat::succes().texte(), "");

    // The arguments go in one pass: a value holding "%2" stays as it is, a missing one leaves its mark.
    EXPECT_EQ(remplirMotif("%1 et %2, %3 %", {"a%2", "b"}), "a%2 et b, %3 %");
    // A mark of two digits is one mark, a zero among them too.
    EXPECT_EQ(remplirMotif("%10 puis %1", {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}), "j puis a");
}

TEST(Raison, EachProgressStepNamesItsPhaseByItsCode)
{
    // A progress line names the phase, not the step: the fit's stages are the fit, the whole-mesh
    // refinement's two stages that refinement, a step in context its first part.
    for (const CodeRaison c : {CodeRaison::AjustementNiveau, CodeRaison::RaffinageLocal, CodeRaison::ReposSurLeNuage,
                               CodeRaison::LissageDuBruit})
        EXPECT_EQ(texte(phaseDe(Raison(c, {3}))), "Ajustement") << static_cast<int>(c);
    EXPECT_EQ(texte(phaseDe(Raison(CodeRaison::EclatementDesPoints))), "Raffinage T26 global");
    EXPECT_EQ(texte(phaseDe(Raison(CodeRaison::RecopieT26Global))), "Raffinage T26 global");
    const Raison lecture(CodeRaison::LectureDe, {nom("x.pts")});
    EXPECT_EQ(texte(phaseDe(Raison(CodeRaison::Contexte, {lecture, Raison(CodeRaison::AjustementNiveau, {2})}))),
              "Lecture de « x.pts »");
    EXPECT_EQ(texte(phaseDe(lecture)), "Lecture de « x.pts »");
}

TEST(Progression, NestedRangesAndThrottledLoopsKeepTheRefusal)
{
    std::vector<double> vues;
    const Progression racine = [&](double f, const Raison &) {
        vues.push_back(f);
        return f < 0.7;
    };
    const Progression moitie = sousProgression(racine, 0.5, 1.0);
    SuiviProgression a(moitie, Raison(CodeRaison::Deformation), 1000, 10);
    std::size_t fait = 0;
    while (fait < 1000 && a.avancer(++fait)) {
    }
    // Ten reports at most over the loop, mapped into [0.5, 1]; the one past 0.7 stops it.
    EXPECT_LE(vues.size(), 10u);
    EXPECT_DOUBLE_EQ(vues.front(), 0.55);
    EXPECT_GE(vues.back(), 0.7);
    EXPECT_LT(fait, 1000u);
    EXPECT_FALSE(a.continuer());
    EXPECT_FALSE(a.terminer());

    SuiviProgression sansRapport(Progression(), Raison(CodeRaison::Deformation), 5);
    EXPECT_TRUE(sansRapport.terminer());
}
