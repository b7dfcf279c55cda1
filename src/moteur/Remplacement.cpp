#include "Remplacement.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The process's file-creation mask, read without changing it (umask() cannot read it without
// setting it, which would touch files other threads create meanwhile).
mode_t masqueDeCreation()
{
    std::ifstream etat("/proc/self/status");
    for (std::string ligne; std::getline(etat, ligne);)
        if (ligne.rfind("Umask:", 0) == 0) {
            char *fin = nullptr;
            const unsigned long m = std::strtoul(ligne.c_str() + 6, &fin, 8);
            if (fin != ligne.c_str() + 6)
                return static_cast<mode_t>(m & 0777);
        }
    const mode_t masque = umask(022);
    umask(masque);
    return masque;
}

} // namespace

EcritureRemplacante::EcritureRemplacante(const std::string &c)
{
    // The file a link leads to, through links to links (as many as the system follows), even when
    // it does not exist yet.
    fs::path vraie = c;
    std::error_code ec;
    for (int saut = 0; saut < 40 && fs::is_symlink(vraie, ec); ++saut) {
        const fs::path lien = fs::read_symlink(vraie, ec);
        if (ec)
            break;
        vraie = lien.is_absolute() ? lien : vraie.parent_path() / lien;
    }
    cible = vraie.string();
    ecrit = cible;
    struct stat avant;
    const bool existe = ::stat(cible.c_str(), &avant) == 0;
    if (existe && !S_ISREG(avant.st_mode)) {
        enPlace = true;
        return;
    }
    std::string modele = cible + ".partiel-XXXXXX";
    const int fd = mkstemp(modele.data());
    if (fd < 0) {
        enPlace = true;
        return;
    }
    // mkstemp makes the file private.
    fchmod(fd, existe ? (avant.st_mode & 07777) : (0666 & ~masqueDeCreation()));
    close(fd);
    ecrit = modele;
}

EcritureRemplacante::~EcritureRemplacante()
{
    if (!enPlace && !fini)
        std::remove(ecrit.c_str());
}

bool EcritureRemplacante::remplacer()
{
    if (enPlace || fini)
        return true;
    fini = true;
    if (std::rename(ecrit.c_str(), cible.c_str()) == 0)
        return true;
    std::remove(ecrit.c_str());
    return false;
}
