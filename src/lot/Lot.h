#ifndef TARNIS_LOT_H
#define TARNIS_LOT_H

#include <string>
#include <vector>

/// Names of the results of a batch of clouds. Each cloud's results go into a folder of their
/// own under the output folder, named by the cloud's path relative to the batch's root: with
/// the root /scans, /scans/a/scan.pts gives SORTIE/a/scan.pts/ and /scans/b/scan.pts gives
/// SORTIE/b/scan.pts/, so clouds of the same name never overwrite each other's results, and
/// scan.pts and scan.hdr of one folder neither. The batch command (scripts/tarnis-lot) names them
/// through PelvaneLot.exe, which calls these.
namespace lot {

/// A path made absolute (from the working folder) and lexically normal, without a trailing
/// separator; links are not followed (as realpath -s -m).
std::string cheminNormal(const std::string &chemin);

/// The deepest folder that holds every cloud of the list: absolute and lexically normal (no
/// ".", "..", or trailing separator; links are not followed). Relative names are taken from
/// the working folder. "" for an empty list.
std::string racineCommune(const std::vector<std::string> &nuages);

/// The results folder of one cloud: sortie / (the cloud's path relative to racine). A cloud
/// outside racine (which racineCommune never gives) gets sortie / its file name.
std::string dossierResultats(const std::string &racine, const std::string &nuage, const std::string &sortie);

/// Why the entry at chemin, met while a batch's folder is searched, is passed over rather than
/// taken as a cloud: a symbolic link (not followed: to a cloud, to a folder, or with no target),
/// a pipe, a device or a socket; "" for a regular file or a folder (searched in turn).
/// nomDeNuage: its name has the suffix of a cloud or volume. In French, or in English with anglais.
std::string raisonDeSaut(const std::string &chemin, bool nomDeNuage, bool anglais = false);

} // namespace lot

#endif
