#include "commandelot.h"
#include "arguments.h"
#include "execution.h"
#include "langue.h"
#include "statut.h"

#include "Lot.h"
#include "Ouverture.h"
#include "Remplacement.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include <strings.h>

namespace fs = std::filesystem;

namespace pelvane {

namespace {

// The batch command's name in its messages: this program is its data side.
const char *const commande = "tarnis-lot";

// Absolute and lexically normal, without a trailing separator (realpath -s -m).
std::string normal(const fs::path &chemin)
{
    return lot::cheminNormal(chemin.string());
}

// Whatever the case of its letters: "SCAN.XYZ" is a cloud as "scan.xyz" is.
bool finitPar(const std::string &s, const std::string &suffixe)
{
    return s.size() >= suffixe.size() &&
           ::strncasecmp(s.c_str() + s.size() - suffixe.size(), suffixe.c_str(), suffixe.size()) == 0;
}

// The suffixes of the clouds and volumes the opener takes, a volume's .img left to its .hdr and a
// DICOM slice to its series (a folder is not a batch entry).
std::vector<std::string> suffixesDesNuages()
{
    std::vector<std::string> s;
    for (const SuffixeOuvert &o : suffixesOuverts())
        if ((o.genre == GenreFichier::Nuage || o.genre == GenreFichier::Volume) && std::string(o.suffixe) != "img" &&
            std::string(o.suffixe) != "dcm")
            s.push_back(std::string(".") + o.suffixe);
    return s;
}

bool estUnNomDeNuage(const std::string &nom)
{
    for (const std::string &s : suffixesDesNuages())
        if (finitPar(nom, s))
            return true;
    return false;
}

// Every cloud or volume regular file (suffixesDesNuages) under the folder racine, links inside it not
// followed, the folder sortie left out. Each entry passed over for what it is (a link, a pipe...)
// gets a line in sautes, when given, with why.
void chercherNuages(const std::string &racine, const std::string &sortie, std::vector<std::string> &nuages,
                    std::ostream *sautes)
{
    std::error_code ec;
    fs::recursive_directory_iterator it(racine, fs::directory_options::skip_permission_denied, ec), fin;
    for (; !ec && it != fin; it.increment(ec)) {
        const std::string chemin = it->path().string();
        if (chemin == sortie) {
            it.disable_recursion_pending();
            continue;
        }
        std::error_code e;
        const std::string nom = it->path().filename().string();
        const bool nomDeNuage = estUnNomDeNuage(nom);
        if (const std::string pourquoi = lot::raisonDeSaut(chemin, nomDeNuage, langue() == Langue::Anglais);
            !pourquoi.empty()) {
            if (sautes)
                *sautes << selon("PelvaneLot : passé : ", "PelvaneLot: skipped: ") << chemin << " (" << pourquoi << ")\n";
            continue;
        }
        if (it->symlink_status(e).type() == fs::file_type::regular && nomDeNuage)
            nuages.push_back(chemin);
    }
}

// The lines of a list of clouds, made absolute from the list's folder.
bool lireListe(const std::string &liste, std::vector<std::string> &nuages)
{
    std::ifstream f(liste, std::ios::binary);
    if (!f)
        return false;
    const fs::path dossier = fs::path(normal(liste)).parent_path();
    std::string ligne;
    while (std::getline(f, ligne)) {
        if (!ligne.empty() && ligne.back() == '\r')
            ligne.pop_back();
        if (ligne.empty() || ligne[0] == '#')
            continue;
        nuages.push_back(normal(ligne[0] == '/' ? fs::path(ligne) : dossier / ligne));
    }
    return true;
}

// The lines of SORTIE/.lot/nuages; false when the folder holds no batch.
bool lireLot(const std::string &sortie, std::vector<NuageDuLot> &nuages)
{
    std::ifstream f(fs::path(sortie) / ".lot" / "nuages", std::ios::binary);
    if (!f)
        return false;
    std::string ligne;
    while (std::getline(f, ligne)) {
        const std::size_t tab = ligne.find('\t');
        if (tab != std::string::npos)
            nuages.push_back({ligne.substr(0, tab), ligne.substr(tab + 1)});
    }
    return true;
}

// The first line of tarnis-lot.statut: the exit status and the seconds; false without the file.
bool lireStatut(const std::string &dossier, std::string &code, std::string &duree)
{
    std::ifstream f(fs::path(dossier) / "tarnis-lot.statut", std::ios::binary);
    if (!f)
        return false;
    std::string ligne;
    std::getline(f, ligne);
    const std::size_t tab = ligne.find('\t');
    code = ligne.substr(0, tab);
    duree = tab == std::string::npos ? "" : ligne.substr(tab + 1);
    return true;
}

// Why the tool failed: its last error line without the prefix, else the journal's last line.
std::string messageDEchec(const std::string &dossier)
{
    std::ifstream f(fs::path(dossier) / "tarnis-lot.journal", std::ios::binary);
    std::string ligne, erreur, derniere;
    while (std::getline(f, ligne)) {
        derniere = ligne;
        for (const std::string prefixe : {prefixeErreur, prefixeErreurAnglais})
            if (ligne.find(prefixe) != std::string::npos)
                erreur = ligne.rfind(prefixe, 0) == 0 ? ligne.substr(prefixe.size()) : ligne;
    }
    return !erreur.empty() ? erreur : derniere;
}

std::string enUneLigne(std::string s)
{
    std::replace_if(
        s.begin(), s.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return s;
}

std::string champCsv(const std::string &s)
{
    if (s.find_first_of("\",\n") == std::string::npos)
        return s;
    std::string q = "\"";
    for (char c : s)
        q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

std::string html(const std::string &s)
{
    std::string h;
    for (char c : s)
        h += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    return h;
}

// The larger of the two 95th percentiles, in % of the diagonal.
double pire(const LigneResume &l)
{
    const auto valeur = [&](std::size_t i) { return i < l.chiffres.size() ? std::atof(l.chiffres[i].c_str()) : 0.0; };
    return std::max(valeur(3), valeur(6));
}

// Writes SORTIE/NOM through a new file that replaces it once complete.
bool ecrire(const std::string &sortie, const std::string &nom, const std::string &texte)
{
    EcritureRemplacante remplacante((fs::path(sortie) / nom).string());
    {
        std::ofstream f(remplacante.chemin(), std::ios::binary | std::ios::trunc);
        f << texte;
        f.close();
        if (!f)
            return false;
    }
    return remplacante.remplacer();
}

int erreur(std::ostream &erreurs, const Raison &raison)
{
    erreurs << commande << selon(" : erreur : ", ": error: ") << texteLocal(raison) << std::endl;
    return 2;
}

/// A figure of a report as a JSON number, null when the report lacks it.
std::string nombreJson(const std::string &chiffre)
{
    char *fin = nullptr;
    const double v = std::strtod(chiffre.c_str(), &fin);
    return chiffre.empty() || *fin != '\0' || !std::isfinite(v) ? "null" : chiffre;
}

const char *statutAnglais(const std::string &statut)
{
    static const std::pair<const char *, const char *> statuts[] = {{"réussi", "succeeded"},
                                                                    {"se croise", "crosses itself"},
                                                                    {"échec", "failed"},
                                                                    {"absent", "missing"},
                                                                    {"incomplet", "incomplete"},
                                                                    {"à vérifier", "to check"}};
    for (const auto &[fr, en] : statuts)
        if (statut == fr)
            return en;
    return "unknown";
}

} // namespace

Resultat listerNuages(const std::string &entree, const std::string &sortie, std::vector<NuageDuLot> &nuages,
                      std::ostream *sautes)
{
    std::error_code ec;
    std::vector<std::string> chemins;
    std::string racine;
    if (!fs::exists(entree, ec)) {
        return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::EntreeDuLotIntrouvable, {litteral(entree)}));
    }
    if (fs::is_directory(entree, ec)) {
        racine = normal(entree);
        chercherNuages(racine, normal(sortie), chemins, sautes);
    } else if (estUnNomDeNuage(entree) && !finitPar(entree, ".txt")) {
        // A cloud itself, not a list of them: a batch of one (a .txt is a list, as ever).
        chemins.push_back(normal(entree));
    } else if (!lireListe(entree, chemins)) {
        return Resultat::echec(Statut::NuageIllisible, Raison(CodeRaison::ListeDuLotIllisible, {litteral(entree)}));
    }
    std::sort(chemins.begin(), chemins.end());
    chemins.erase(std::unique(chemins.begin(), chemins.end()), chemins.end());
    if (chemins.empty()) {
        std::string suffixes;
        for (const std::string &x : suffixesDesNuages())
            suffixes += (suffixes.empty() ? "" : ", ") + x;
        return Resultat::echec(Statut::NuageIllisible,
                               Raison(CodeRaison::AucunNuageDansLeLot, {litteral(suffixes), litteral(entree)}));
    }
    if (racine.empty())
        racine = lot::racineCommune(chemins);
    nuages.clear();
    for (const std::string &c : chemins)
        nuages.push_back({c, lot::dossierResultats(racine, c, "")});
    return {};
}

// The exit status of a run whose surface crosses itself, as the status file holds it.
const std::string codeSeCroise = std::to_string(static_cast<int>(Statut::SurfaceQuiSeCroise));

bool resultatsComplets(const std::string &nuage, const std::string &dossier)
{
    std::string code, duree;
    // A surface that crosses itself was written all the same: done, not to be run again.
    if (!lireStatut(dossier, code, duree) || (code != "0" && code != codeSeCroise))
        return false;
    // The report is written last, and names the mesh files written before it (--format).
    std::ifstream rapport(fs::path(dossier) / (nomDuNuage(nuage) + ".rapport.txt"), std::ios::binary);
    std::string ligne;
    int fichiers = 0;
    std::error_code ec;
    while (std::getline(rapport, ligne))
        for (const char *cle : {"maillage simplexe = ", "triangulation = "})
            if (ligne.rfind(cle, 0) == 0) {
                // A result folder moved as a whole keeps its files beside the report.
                const fs::path f = fs::path(dossier) / fs::path(ligne.substr(std::strlen(cle))).filename();
                if (!fs::is_regular_file(f, ec))
                    return false;
                ++fichiers;
            }
    return fichiers > 0;
}

std::vector<LigneResume> lignesResume(const std::string &sortie, const std::vector<NuageDuLot> &nuages)
{
    std::vector<LigneResume> lignes;
    for (const NuageDuLot &n : nuages) {
        LigneResume l;
        l.relatif = n.relatif;
        l.nuage = n.nuage;
        l.chiffres.assign(17, "");
        const std::string dossier = (fs::path(sortie) / n.relatif).string();
        if (!lireStatut(dossier, l.code, l.duree)) {
            l.statut = "absent";
            l.message = "pas de résultat : nuage pas encore traité ou traitement interrompu";
            l.messageAnglais = "no result: cloud not fitted yet or its run interrupted";
        } else if (l.code != "0" && l.code != codeSeCroise) {
            l.statut = "échec";
            // The tool's own line, in the language it ran in.
            l.message = l.messageAnglais = messageDEchec(dossier);
        } else if (resultatsComplets(n.nuage, dossier)) {
            l.statut = l.code == "0" ? "réussi" : "se croise";
            std::ifstream rapport(fs::path(dossier) / (nomDuNuage(n.nuage) + ".rapport.txt"), std::ios::binary);
            const FiguresRapport f = lireFiguresRapport(rapport);
            l.chiffres = {f.pointsNuage, f.pointsSimplexes};
            for (const auto &sens : f.ecarts)
                l.chiffres.insert(l.chiffres.end(), std::begin(sens), std::end(sens));
            l.chiffres.push_back(f.pointsEcartes);
            l.chiffres.insert(l.chiffres.end(), std::begin(f.ecartsEntiers), std::end(f.ecartsEntiers));
            l.chiffres.push_back(f.parties);
            l.chiffres.push_back(f.genre);
            l.chiffres.push_back(f.croisements);
            l.chiffres.push_back(f.volume);
            l.chiffres.push_back(f.aire);
            if (l.code == codeSeCroise) {
                l.message = "la surface passe au travers d'elle-même (" + f.croisements +
                            " paires de triangles se croisent) : elle ne borne pas un solide";
                l.messageAnglais = "the surface passes through itself (" + f.croisements +
                                   " pairs of triangles cross): it bounds no solid";
            }
            // The fit set much of the cloud aside, or smoothed it: written, but to be looked at.
            if (!f.avertissement.empty()) {
                if (l.statut == "réussi")
                    l.statut = "à vérifier";
                l.message += (l.message.empty() ? "" : " ; ") + f.avertissement;
                l.messageAnglais += (l.messageAnglais.empty() ? "" : "; ") + f.avertissementAnglais;
            }
        } else {
            l.statut = "incomplet";
            l.message = "résultat incomplet dans " + dossier;
            l.messageAnglais = "incomplete result in " + dossier;
        }
        l.signification = significationSortie(l.code);
        l.message = enUneLigne(l.message);
        l.messageAnglais = enUneLigne(l.messageAnglais);
        lignes.push_back(l);
    }
    return lignes;
}

std::string texteCsv(const std::vector<LigneResume> &lignes, Langue langue)
{
    const bool en = langue == Langue::Anglais;
    std::string t =
        en ? "cloud,path,status,exit status,meaning,cloud points,simplex points,"
             "cloud->surface mean (%),cloud->surface 95th percentile (%),cloud->surface maximum (%),"
             "surface->cloud mean (%),surface->cloud 95th percentile (%),surface->cloud maximum (%),"
             "points set aside,whole cloud->surface mean (%),whole cloud->surface 95th percentile (%),"
             "whole cloud->surface maximum (%),parts,genus,pairs of crossing triangles,enclosed volume,area,"
             "time (s),message\n"
           : "nuage,chemin,statut,code,signification,points du nuage,points simplexes,"
             "nuage->surface moyenne (%),nuage->surface centile 95 (%),nuage->surface maximum (%),"
             "surface->nuage moyenne (%),surface->nuage centile 95 (%),surface->nuage maximum (%),"
             "points écartés,nuage entier->surface moyenne (%),nuage entier->surface centile 95 (%),"
             "nuage entier->surface maximum (%),parties,genre,paires de triangles qui se croisent,volume enclos,aire,"
             "durée (s),message\n";
    for (const LigneResume &l : lignes) {
        std::vector<std::string> champs = {l.relatif, l.nuage, en ? statutAnglais(l.statut) : l.statut, l.code,
                                           en ? significationSortie(l.code, Langue::Anglais) : l.signification};
        champs.insert(champs.end(), l.chiffres.begin(), l.chiffres.end());
        champs.push_back(l.duree);
        champs.push_back(en ? l.messageAnglais : l.message);
        for (std::size_t i = 0; i < champs.size(); ++i)
            t += (i ? "," : "") + champCsv(champs[i]);
        t += "\n";
    }
    return t;
}

std::string texteJson(const std::vector<LigneResume> &lignes)
{
    static const char *const cles[] = {"cloud_points",
                                       "simplex_points",
                                       "cloud_to_surface_mean_percent",
                                       "cloud_to_surface_p95_percent",
                                       "cloud_to_surface_max_percent",
                                       "surface_to_cloud_mean_percent",
                                       "surface_to_cloud_p95_percent",
                                       "surface_to_cloud_max_percent",
                                       "points_set_aside",
                                       "whole_cloud_to_surface_mean_percent",
                                       "whole_cloud_to_surface_p95_percent",
                                       "whole_cloud_to_surface_max_percent",
                                       "parts",
                                       "genus",
                                       "crossings",
                                       "volume",
                                       "area"};
    std::string t = "[";
    for (const LigneResume &l : lignes) {
        t += std::string(t.size() > 1 ? ",\n " : "\n ") + "{\"path\": " + chaineJson(l.relatif) +
             ", \"cloud\": " + chaineJson(l.nuage) + ", \"status\": " + chaineJson(statutAnglais(l.statut)) +
             ", \"exit_status\": " + nombreJson(l.code) +
             ", \"meaning\": " + chaineJson(significationSortie(l.code, Langue::Anglais));
        for (std::size_t i = 0; i < std::size(cles); ++i)
            t += std::string(", \"") + cles[i] + "\": " + nombreJson(i < l.chiffres.size() ? l.chiffres[i] : "");
        t += ", \"seconds\": " + nombreJson(l.duree) + ", \"message\": " + chaineJson(l.messageAnglais) + "}";
    }
    return t + "\n]\n";
}

std::string texteHtml(const std::string &titre, const std::vector<LigneResume> &lignes, Langue langue)
{
    const bool en = langue == Langue::Anglais;
    const auto dire = [en](const char *francais, const char *anglais) { return en ? anglais : francais; };
    std::vector<const LigneResume *> ordre;
    for (const LigneResume &l : lignes)
        ordre.push_back(&l);
    std::stable_sort(ordre.begin(), ordre.end(), [](const LigneResume *a, const LigneResume *b) {
        const bool ra = a->statut == "réussi", rb = b->statut == "réussi";
        if (ra != rb)
            return rb;
        if (ra && pire(*a) != pire(*b))
            return pire(*a) > pire(*b);
        return a->relatif < b->relatif;
    });
    std::ostringstream o;
    o << "<!DOCTYPE html>\n<html lang=\"" << dire("fr", "en") << "\"><head><meta charset=\"utf-8\"><title>"
      << dire("Lot ", "Batch ") << html(titre) << "</title>\n"
      << "<style>body{font-family:sans-serif}table{border-collapse:collapse}td,th{border:1px solid "
         "#999;padding:2px 6px}td.n{text-align:right}tr.echec{background:#fdd}tr.absent,tr.incomplet{background:#ffd}tr.croise{background:#fdb}tr.averti{background:#eef}"
         "</style></head><body>\n"
      << "<h1>" << dire("Lot ", "Batch ") << html(titre) << "</h1>\n"
      << dire("<p>Écarts en % de la diagonale de la boîte englobante du nuage ; les échecs d’abord, puis les moins bons "
              "ajustements.</p>\n",
              "<p>Distances in % of the diagonal of the cloud's bounding box; the failures first, then the worst "
              "fits.</p>\n")
      << dire("<table><tr><th>nuage</th><th>statut</th><th>code</th><th>points du nuage</th><th>points simplexes</th>"
              "<th>nuage→surface moyenne</th><th>centile 95</th><th>maximum</th><th>surface→nuage moyenne</th>"
              "<th>centile 95</th><th>maximum</th><th>points écartés</th><th>nuage entier→surface moyenne</th>"
              "<th>centile 95</th><th>maximum</th><th>parties</th><th>genre</th>"
              "<th>paires de triangles qui se croisent</th><th>volume enclos</th><th>aire</th><th>durée (s)</th>"
              "<th>message</th></tr>\n",
              "<table><tr><th>cloud</th><th>status</th><th>exit status</th><th>cloud points</th><th>simplex points</th>"
              "<th>cloud→surface mean</th><th>95th percentile</th><th>maximum</th><th>surface→cloud mean</th>"
              "<th>95th percentile</th><th>maximum</th><th>points set aside</th><th>whole cloud→surface mean</th>"
              "<th>95th percentile</th><th>maximum</th><th>parts</th><th>genus</th>"
              "<th>pairs of crossing triangles</th><th>enclosed volume</th><th>area</th><th>time (s)</th>"
              "<th>message</th></tr>\n");
    for (const LigneResume *l : ordre) {
        const std::string classe = l->statut == "échec"       ? "echec"
                                   : l->statut == "réussi"    ? "ok"
                                   : l->statut == "se croise" ? "croise"
                                   : l->statut == "à vérifier" ? "averti"
                                                              : l->statut;
        const std::string signification = en ? significationSortie(l->code, Langue::Anglais) : l->signification;
        o << "<tr class=\"" << classe << "\"><td>" << html(l->relatif) << "</td><td>"
          << html(en ? statutAnglais(l->statut) : l->statut) << "</td><td class=\"n\">"
          << html(l->code + (signification.empty() ? "" : " (" + signification + ")")) << "</td>";
        for (const std::string &c : l->chiffres)
            o << "<td class=\"n\">" << html(c) << "</td>";
        o << "<td class=\"n\">" << html(l->duree) << "</td><td>" << html(en ? l->messageAnglais : l->message)
          << "</td></tr>\n";
    }
    o << "</table>\n<p>";
    for (const char *statut : {"échec", "se croise", "à vérifier", "absent", "incomplet", "réussi"}) {
        const auto n = std::count_if(lignes.begin(), lignes.end(), [&](const LigneResume &l) { return l.statut == statut; });
        if (n > 0)
            o << (en ? statutAnglais(statut) : statut) << dire(" : ", ": ") << n << ". ";
    }
    o << "</p></body></html>\n";
    return o.str();
}

int commandeLot(const std::vector<std::string> &arguments, std::ostream &sortie, std::ostream &erreurs)
{
    std::vector<std::string> a = arguments;
    Langue langue = Langue::Francais;
    if (a.size() >= 2 && a[0] == "--lang" && lireLangue(a[1], langue)) {
        choisirLangue(langue);
        a.erase(a.begin(), a.begin() + 2);
    }
    bool csvAnglais = pelvane::langue() == Langue::Anglais;
    if (!a.empty() && a[0] == "--english-csv") {
        csvAnglais = true;
        a.erase(a.begin());
    }
    const std::string mode = a.empty() ? "" : a[0];
    if (mode == "--version" && a.size() == 1) {
        sortie << texteVersion("PelvaneLot.exe");
        return sortie.flush() ? 0 : 2;
    }
    if (mode == "--nuages" && a.size() == 3) {
        std::vector<NuageDuLot> nuages;
        if (const Resultat r = listerNuages(a[1], a[2], nuages, &erreurs); !r)
            return erreur(erreurs, r.raison);
        for (const NuageDuLot &n : nuages)
            sortie << n.nuage << '\t' << n.relatif << '\n';
        return sortie.flush() ? 0 : 2;
    }
    if (mode == "--complet" && a.size() == 3)
        return resultatsComplets(a[1], a[2]) ? 0 : 1;
    if ((mode == "--a-faire" || mode == "--resume") && a.size() == 2) {
        const std::string dossier = normal(a[1]);
        std::vector<NuageDuLot> nuages;
        if (!lireLot(dossier, nuages))
            return erreur(erreurs, Raison(CodeRaison::PasUnDossierDeLot, {litteral(dossier)}));
        if (mode == "--a-faire") {
            for (const NuageDuLot &n : nuages)
                if (!resultatsComplets(n.nuage, (fs::path(dossier) / n.relatif).string()))
                    sortie << n.nuage << '\t' << n.relatif << '\n';
            return sortie.flush() ? 0 : 2;
        }
        const std::vector<LigneResume> lignes = lignesResume(dossier, nuages);
        if (!ecrire(dossier, "resume.csv", texteCsv(lignes)) || !ecrire(dossier, "resume.json", texteJson(lignes)) ||
            !ecrire(dossier, "resume.html", texteHtml(dossier, lignes, pelvane::langue())) ||
            (csvAnglais && !ecrire(dossier, fichierCsvAnglais, texteCsv(lignes, Langue::Anglais))))
            return erreur(erreurs, Raison(CodeRaison::ResumeDuLotImpossible, {litteral(dossier)}));
        const auto reussis =
            std::count_if(lignes.begin(), lignes.end(), [](const LigneResume &l) { return l.statut == "réussi"; });
        // Those the fit set much aside from, or smoothed, are written but to be looked at: said apart.
        const auto aVerifier =
            std::count_if(lignes.begin(), lignes.end(), [](const LigneResume &l) { return l.statut == "à vérifier"; });
        erreurs << commande << selon(" : ", ": ") << reussis
                << selon(" nuage(s) réussi(s) sur ", " cloud(s) succeeded of ") << lignes.size();
        if (aVerifier > 0)
            erreurs << ", " << aVerifier
                    << selon(" à vérifier (points écartés ou nuage lissé : voir le message)",
                             " to check (points set aside or cloud smoothed: see the message)");
        erreurs << selon(" ; résumé : ", "; summary: ") << dossier << "/resume.csv, ";
        if (csvAnglais)
            erreurs << dossier << "/" << fichierCsvAnglais << ", ";
        erreurs << dossier << "/resume.json, " << dossier << "/resume.html" << std::endl;
        return reussis == static_cast<long>(lignes.size()) ? 0 : 1;
    }
    return erreur(erreurs, Raison(CodeRaison::UsageDuLot));
}

} // namespace pelvane
