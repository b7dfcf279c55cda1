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

std::string raisonDeSaut(const std::string &chemin, bool nomDeNuage)
{
    std::error_code ec;
    const fs::file_status propre = fs::symlink_status(chemin, ec);
    if (ec)
        return "illisible (" + ec.message() + ")";
    switch (propre.type()) {
    case fs::file_type::regular:
    case fs::file_type::directory:
        return {};
    case fs::file_type::symlink: {
        const fs::file_status cible = fs::status(chemin, ec);
        if (ec || !fs::exists(cible))
            return "lien symbolique sans cible";
        if (fs::is_directory(cible))
            return "lien symbolique vers un dossier, non suivi";
        return nomDeNuage ? "lien symbolique, non suivi : donnez sa cible ou une liste de nuages" : "";
    }
    case fs::file_type::fifo:
        return "tube, pas un fichier ordinaire";
    case fs::file_type::socket:
        return "socket, pas un fichier ordinaire";
    case fs::file_type::block:
    case fs::file_type::character:
        return "périphérique, pas un fichier ordinaire";
    default:
        return "pas un fichier ordinaire";
    }
}

} // namespace lot
