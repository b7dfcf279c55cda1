#ifndef TARNIS_PELVANE_COMMANDELOT_H
#define TARNIS_PELVANE_COMMANDELOT_H

#include "Resultat.h"
#include "langue.h"

#include <ostream>
#include <string>
#include <vector>

/// The data side of the batch command scripts/tarnis-lot, in PelvaneLot.exe beside the tool: which
/// clouds a batch holds and where their results go, whether a cloud's results are complete, and
/// the batch's summary. The script keeps the running (GNU parallel, ssh, Slurm) and the resuming.
///
/// A batch's output folder SORTIE holds .lot/nuages ("cloud<TAB>results folder relative to
/// SORTIE" lines, as --nuages prints them) and, in each results folder, the tool's files and
/// tarnis-lot.statut ("exit status<TAB>seconds") and tarnis-lot.journal (the tool's messages).
namespace pelvane {

/// A cloud of a batch and its results folder, relative to the batch's output folder.
struct NuageDuLot
{
    std::string nuage;   ///< absolute and lexically normal
    std::string relatif; ///< the cloud's path relative to the batch's root
};

/// The clouds of `entree`: a folder searched recursively for .pts and .hdr files (links inside it
/// are not followed, the output folder `sortie` is left out), one cloud (a file with a cloud's
/// suffix but .txt, never read as a list), or a list file (one cloud a line;
/// relative paths start from the list's folder; empty lines and "#" lines skipped). Sorted by
/// path, each once, named by lot::dossierResultats with the folder, or the deepest folder holding
/// every listed cloud, as root. Fails (NuageIllisible) for a missing or unreadable entry or one
/// without a cloud. sautes, when given, gets a line for each entry of the folder passed over that
/// is neither a regular file nor a folder (a link, a pipe...), with why.
Resultat listerNuages(const std::string &entree, const std::string &sortie, std::vector<NuageDuLot> &nuages,
                      std::ostream *sautes = nullptr);

/// The cloud's results in `dossier` are complete: the tool ended with 0 and wrote its three files.
bool resultatsComplets(const std::string &nuage, const std::string &dossier);

/// One line of the summary (the columns of resume.csv).
struct LigneResume
{
    std::string relatif, nuage;
    /// "réussi", "se croise" (written, but passing through itself), "à vérifier" (written, but the
    /// fit set more than 1 % of the cloud aside or smoothed it: avertissementsDesJugements),
    /// "échec", "absent" or "incomplet"
    std::string statut;
    std::string code, signification;
    /// cloud points, simplex points, the six distances, the points set aside, the three distances of
    /// every cloud point, parts, genus, crossings, volume, area
    std::vector<std::string> chiffres;
    std::string duree, message;
    /// The message in English (a failure's is the tool's own line, in the language it ran in).
    std::string messageAnglais;
};

/// The summary of the batch in `sortie` (absolute), one line per cloud of .lot/nuages in its order.
std::vector<LigneResume> lignesResume(const std::string &sortie, const std::vector<NuageDuLot> &nuages);

/// resume.csv: a header and the lines in their order. In English (summary.csv): English header,
/// statuses ("succeeded", "to check"...), meanings and messages; the same columns and figures.
std::string texteCsv(const std::vector<LigneResume> &lignes, Langue langue = Langue::Francais);

/// The English summary's file beside resume.csv, written when the messages are in English or on asking.
inline constexpr const char *fichierCsvAnglais = "summary.csv";

/// resume.json: the same lines for programs, with stable English keys, the figures as numbers
/// (null where missing) and the status in English ("succeeded", "crosses itself", "failed",
/// "missing", "incomplete").
std::string texteJson(const std::vector<LigneResume> &lignes);

/// resume.html: the table, failures and missing results first (by path), then the successes from
/// the worst fit (the larger of the two 95th percentiles) to the best. In French, or in English
/// (the language of the messages when the batch command writes it).
std::string texteHtml(const std::string &titre, const std::vector<LigneResume> &lignes,
                      Langue langue = Langue::Francais);

/// Runs PelvaneLot.exe with its arguments (without the program name); returns the exit status.
///   --nuages ENTREE SORTIE    prints the clouds, "cloud<TAB>relative folder" (2 when there is none)
///   --a-faire SORTIE          prints the lines of SORTIE/.lot/nuages whose results are not complete
///   --complet NUAGE DOSSIER   0 when the cloud's results in DOSSIER are complete, 1 otherwise
///   --resume SORTIE           writes SORTIE/resume.csv, resume.json and resume.html, and summary.csv when
///                             the language is English; 0 when every cloud succeeded
///   --version                 prints the version
/// A first --lang en|fr sets the language of the messages (the locale's otherwise); then
/// --english-csv writes summary.csv whatever the language.
int commandeLot(const std::vector<std::string> &arguments, std::ostream &sortie, std::ostream &erreurs);

} // namespace pelvane

#endif
