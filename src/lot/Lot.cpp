#include "Lot.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace lot {

std::string cheminNormal(const std::string &chemin)
{
    std::error_code ec;
    fs::path p = fs::absolute(chemin, ec);
    if (ec)
        p = chemin;
    p = p.lexically_normal();
    if (p.has_relative_path() && p.filename().empty())
        p = p.parent_path();
    return p.string();
}

std::string racineCommune(const std::vector<std::string> &nuages)
{
    if (nuages.empty())
        return {};
    fs::path racine = fs::path(cheminNormal(nuages.front())).parent_path();
    for (std::size_t i = 1; i < nuages.size(); ++i) {
        const fs::path dossier = fs::path(cheminNormal(nuages[i])).parent_path();
        fs::path commun;
        for (auto a = racine.begin(), b = dossier.begin(); a != racine.end() && b != dossier.end() && *a == *b;
             ++a, ++b)
            commun /= *a;
        racine = commun;
    }
    return racine.string();
}

std::string dossierResultats(const std::string &racine, const std::string &nuage, const std::string &sortie)
{
    const fs::path n = cheminNormal(nuage);
    fs::path relatif = n.lexically_relative(fs::path(cheminNormal(racine)));
    if (relatif.empty() || *relatif.begin() == ".." || relatif == ".")
        relatif = n.filename();
    return (fs::path(sortie) / relatif).string();
}

std::string raisonDeSaut(const std::string &chemin, bool nomDeNuage, bool anglais)
{
    const auto dire = [anglais](const char *francais, const char *english) { return anglais ? english : francais; };
    std::error_code ec;
    const fs::file_status propre = fs::symlink_status(chemin, ec);
    if (ec)
        return dire("illisible (", "unreadable (") + ec.message() + ")";
    switch (propre.type()) {
    case fs::file_type::regular:
    case fs::file_type::directory:
        return {};
    case fs::file_type::symlink: {
        const fs::file_status cible = fs::status(chemin, ec);
        if (ec || !fs::exists(cible))
            return dire("lien symbolique sans cible", "symbolic link without a target");
        if (fs::is_directory(cible))
            return dire("lien symbolique vers un dossier, non suivi", "symbolic link to a folder, not followed");
        return nomDeNuage ? dire("lien symbolique, non suivi : donnez sa cible ou une liste de nuages",
                                 "symbolic link, not followed: give its target or a list of clouds")
                          : "";
    }
    case fs::file_type::fifo:
        return dire("tube, pas un fichier ordinaire", "pipe, not a regular file");
    case fs::file_type::socket:
        return dire("socket, pas un fichier ordinaire", "socket, not a regular file");
    case fs::file_type::block:
    case fs::file_type::character:
        return dire("périphérique, pas un fichier ordinaire", "device, not a regular file");
    default:
        return dire("pas un fichier ordinaire", "not a regular file");
    }
}

} // namespace lot
