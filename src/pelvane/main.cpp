// Console tool: fits a reference simplex mesh onto one point cloud and writes
// the result beside a short report. See --help for the arguments and the exit
// statuses.

#include "execution.h"
#include "arguments.h"
#include "Defauts.h"

#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

namespace {

// The template read by a new document is "./SMM_/icosa.smm" in the working
// folder; when it is not there, the one of the runnable tree the tool sits in
// (Pelvane/Pelvane.exe beside SMM_/).
std::string gabaritParDefaut(const char *programme)
{
    const std::string local = defauts::gabarit;
    std::error_code ec;
    if (std::filesystem::exists(local, ec))
        return local;
    std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe", ec);
    if (ec)
        exe = std::filesystem::absolute(programme, ec);
    const std::filesystem::path voisin = exe.parent_path().parent_path() / "SMM_" / "icosa.smm";
    if (std::filesystem::exists(voisin, ec))
        return voisin.string();
    return local;
}

void surSignal(int signal)
{
    pelvane::demanderArret(signal);
}

// SIGINT and SIGTERM stop the run at its next check instead of killing it where it stands: what
// it wrote, temporary files included, is then removed and the tool ends with status 7. System
// calls interrupted by the signal are restarted, so a write under way completes first.
void interceptionDesSignaux()
{
    struct sigaction action = {};
    action.sa_handler = surSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const pelvane::LigneDeCommande l = pelvane::analyserArguments(arguments, gabaritParDefaut(argv[0]));
    if (l.aide) {
        std::cout << pelvane::texteAide() << std::flush;
        return 0;
    }
    if (!l.resultat.reussi()) {
        std::cerr << pelvane::ligneErreur(l.resultat) << std::endl;
        return pelvane::codeSortie(l.resultat);
    }
    interceptionDesSignaux();
    const pelvane::Bilan b = pelvane::ajuster(l.parametres, std::cerr);
    if (!b.resultat.reussi()) {
        std::cerr << pelvane::ligneErreur(b.resultat) << std::endl;
        return pelvane::codeSortie(b.resultat);
    }
    std::cerr << "Pelvane : résultat : " << b.fichierSmm << " et " << b.fichierOff << std::endl;
    std::cerr << "Pelvane : rapport : " << b.fichierRapport << std::endl;
    return 0;
}
