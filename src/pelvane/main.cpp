// Console tool: fits a reference simplex mesh onto one point cloud and writes
// the result beside a short report. See --help for the arguments and the exit
// statuses.

#include "Memoire.h"
#include "execution.h"
#include "arguments.h"
#include "Defauts.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <streambuf>
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

// The engine's own console lines (standard output) may repeat by the thousand on a hard input:
// the first SORTIE_MOTEUR_MAXIMUM bytes pass, then one line says the rest is left out.
constexpr std::streamsize SORTIE_MOTEUR_MAXIMUM = 256 * 1024;

class SortieBornee : public std::streambuf
{
public:
    explicit SortieBornee(std::streambuf *s) : suite(s) {}

protected:
    int overflow(int c) override
    {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        const char x = static_cast<char>(c);
        return xsputn(&x, 1) == 1 ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char *s, std::streamsize n) override
    {
        const std::streamsize passe = std::min(n, SORTIE_MOTEUR_MAXIMUM - ecrits);
        if (passe > 0 && suite->sputn(s, passe) != passe)
            return 0;
        ecrits += passe;
        if (passe < n && !tronque) {
            tronque = true;
            const std::string ligne = "\nPelvane : la suite des messages du moteur est omise (" +
                                      std::to_string(SORTIE_MOTEUR_MAXIMUM / 1024) + " Ko écrits)\n";
            suite->sputn(ligne.data(), static_cast<std::streamsize>(ligne.size()));
        }
        return n;
    }
    int sync() override { return suite->pubsync(); }

private:
    std::streambuf *suite;
    std::streamsize ecrits = 0;
    bool tronque = false;
};

} // namespace

int main(int argc, char **argv)
{
    garderLaMemoireLiberee();
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
    SortieBornee bornee(std::cout.rdbuf());
    std::streambuf *const sortie = std::cout.rdbuf(&bornee);
    const pelvane::Bilan b = pelvane::ajuster(l.parametres, std::cerr);
    std::cout.flush();
    std::cout.rdbuf(sortie);
    if (!b.resultat.reussi()) {
        std::cerr << pelvane::ligneErreur(b.resultat) << std::endl;
        return pelvane::codeSortie(b.resultat);
    }
    // The figures over the points the surface was drawn to, and over every point when some were
    // set aside; then what the fit decided on its own that the user should know.
    auto pourcent = [&](double d) { return 100.0 * d / b.diagonale; };
    std::cerr << "Pelvane : écart nuage -> surface (% de la diagonale) : moyenne " << pourcent(b.nuageVersSurface.moyenne)
              << ", centile 95 " << pourcent(b.nuageVersSurface.centile95) << ", maximum "
              << pourcent(b.nuageVersSurface.maximum);
    if (b.pointsEcartes > 0)
        std::cerr << " ; sur tous les points, " << b.pointsEcartes << " écartés compris : moyenne "
                  << pourcent(b.nuageEntierVersSurface.moyenne) << ", centile 95 "
                  << pourcent(b.nuageEntierVersSurface.centile95) << ", maximum "
                  << pourcent(b.nuageEntierVersSurface.maximum);
    std::cerr << std::endl;
    for (const std::string &a : pelvane::avertissementsDesJugements(b))
        std::cerr << "Pelvane : attention : " << a << std::endl;
    if (b.croisements > 0)
        std::cerr << "Pelvane : attention : la surface passe au travers d'elle-même (" << b.croisements
                  << (b.croisements > 1 ? " paires de triangles se croisent" : " paire de triangles se croise")
                  << ") : elle ne borne pas un solide, son volume n'a pas de sens" << std::endl;
    else
        std::cerr << "Pelvane : solide : volume enclos " << b.volumeEnclos << ", aire " << b.aire
                  << " (unités du nuage)" << std::endl;
    std::string fichiers;
    for (const std::string &f : b.fichiersMaillage)
        fichiers += (fichiers.empty() ? "" : (&f == &b.fichiersMaillage.back() ? " et " : ", ")) + f;
    std::cerr << "Pelvane : résultat : " << fichiers << " (" << b.parties << (b.parties > 1 ? " parties" : " partie")
              << ", genre " << b.genre << ")" << std::endl;
    std::cerr << "Pelvane : rapport : " << b.fichierRapport << std::endl;
    // Written, but not a solid: never the status of a clean success.
    return b.croisements > 0 ? static_cast<int>(Statut::SurfaceQuiSeCroise) : 0;
}
