// Console tool: fits a reference simplex mesh onto one point cloud and writes
// the result beside a short report. See --help for the arguments and the exit
// statuses.

#include "Memoire.h"
#include "execution.h"
#include "volume.h"
#include "arguments.h"
#include "Defauts.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <optional>
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
// the first SORTIE_MOTEUR_MAXIMUM bytes pass, then one line says the rest is left out. They are
// French diagnostics: in English none passes (the tool's own lines say what matters, in English).
constexpr std::streamsize SORTIE_MOTEUR_MAXIMUM = 256 * 1024;

class SortieBornee : public std::streambuf
{
public:
    SortieBornee(std::streambuf *s, std::streamsize m) : suite(s), maximum(m), tronque(m == 0) {}

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
        const std::streamsize passe = std::min(n, maximum - ecrits);
        if (passe > 0 && suite->sputn(s, passe) != passe)
            return 0;
        ecrits += passe;
        if (passe < n && !tronque) {
            tronque = true;
            const std::string ligne =
                pelvane::selon("\nPelvane : la suite des messages du moteur est omise (",
                               "\nPelvane: the rest of the engine's messages is left out (") +
                std::to_string(SORTIE_MOTEUR_MAXIMUM / 1024) + pelvane::selon(" Ko écrits)\n", " KB written)\n");
            suite->sputn(ligne.data(), static_cast<std::streamsize>(ligne.size()));
        }
        return n;
    }
    int sync() override { return suite->pubsync(); }

private:
    std::streambuf *suite;
    std::streamsize maximum;
    std::streamsize ecrits = 0;
    bool tronque;
};

} // namespace

int main(int argc, char **argv)
{
    garderLaMemoireLiberee();
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (const std::optional<pelvane::Langue> langue = pelvane::langueDemandee(arguments))
        pelvane::choisirLangue(*langue);
    const pelvane::LigneDeCommande l = pelvane::analyserArguments(arguments, gabaritParDefaut(argv[0]));
    if (l.aide) {
        std::cout << pelvane::texteAide() << std::flush;
        return 0;
    }
    if (l.version) {
        std::cout << pelvane::texteVersion("Pelvane.exe") << std::flush;
        return 0;
    }
    if (!l.resultat.reussi()) {
        std::cerr << pelvane::ligneErreur(l.resultat) << std::endl;
        return pelvane::codeSortie(l.resultat);
    }
    interceptionDesSignaux();
    SortieBornee bornee(std::cout.rdbuf(), pelvane::langue() == pelvane::Langue::Anglais ? 0 : SORTIE_MOTEUR_MAXIMUM);
    std::streambuf *const sortie = std::cout.rdbuf(&bornee);
    if (l.parametres.volume.tousLesLabels) {
        const Resultat r = pelvane::ajusterChaqueLabel(l.parametres, std::cerr);
        std::cout.flush();
        std::cout.rdbuf(sortie);
        if (!r)
            std::cerr << pelvane::ligneErreur(r) << std::endl;
        return pelvane::codeSortie(r);
    }
    const pelvane::Bilan b = pelvane::ajuster(l.parametres, std::cerr);
    std::cout.flush();
    std::cout.rdbuf(sortie);
    if (!b.resultat.reussi()) {
        std::cerr << pelvane::ligneErreur(b.resultat) << std::endl;
        return pelvane::codeSortie(b.resultat);
    }
    using pelvane::selon;
    // The figures over the points the surface was drawn to, and over every point when some were
    // set aside; then what the fit decided on its own that the user should know.
    auto pourcent = [&](double d) { return 100.0 * d / b.diagonale; };
    std::cerr << selon("Pelvane : écart nuage -> surface (% de la diagonale) : moyenne ",
                       "Pelvane: cloud -> surface distance (% of the diagonal): mean ")
              << pourcent(b.nuageVersSurface.moyenne) << selon(", centile 95 ", ", 95th percentile ")
              << pourcent(b.nuageVersSurface.centile95) << ", maximum " << pourcent(b.nuageVersSurface.maximum);
    if (b.pointsEcartes > 0)
        std::cerr << selon(" ; sur tous les points, ", "; over every point, ") << b.pointsEcartes
                  << selon(" écartés compris : moyenne ", " set aside included: mean ")
                  << pourcent(b.nuageEntierVersSurface.moyenne) << selon(", centile 95 ", ", 95th percentile ")
                  << pourcent(b.nuageEntierVersSurface.centile95) << ", maximum "
                  << pourcent(b.nuageEntierVersSurface.maximum);
    std::cerr << std::endl;
    for (const std::string &a : pelvane::avertissementsDesJugements(b, pelvane::langue() == pelvane::Langue::Anglais))
        std::cerr << selon("Pelvane : attention : ", "Pelvane: warning: ") << a << std::endl;
    if (b.croisements > 0)
        std::cerr << selon("Pelvane : attention : la surface passe au travers d'elle-même (",
                           "Pelvane: warning: the surface passes through itself (")
                  << b.croisements
                  << (b.croisements > 1 ? selon(" paires de triangles se croisent", " pairs of triangles cross")
                                        : selon(" paire de triangles se croise", " pair of triangles crosses"))
                  << selon(") : elle ne borne pas un solide, son volume n'a pas de sens",
                           "): it bounds no solid, its volume has no meaning")
                  << std::endl;
    else
        std::cerr << selon("Pelvane : solide : volume enclos ", "Pelvane: solid: enclosed volume ") << b.volumeEnclos
                  << selon(", aire ", ", area ") << b.aire << selon(" (unités du nuage)", " (cloud units)") << std::endl;
    std::string fichiers;
    for (const std::string &f : b.fichiersMaillage)
        fichiers += (fichiers.empty() ? "" : (&f == &b.fichiersMaillage.back() ? selon(" et ", " and ") : ", ")) + f;
    std::cerr << selon("Pelvane : résultat : ", "Pelvane: result: ") << fichiers << " (" << b.parties
              << (b.parties > 1 ? selon(" parties", " parts") : selon(" partie", " part")) << selon(", genre ", ", genus ")
              << b.genre << ")" << std::endl;
    std::cerr << selon("Pelvane : rapport : ", "Pelvane: report: ") << b.fichierRapport << std::endl;
    if (l.parametres.rapportJson)
        std::cerr << selon("Pelvane : rapport JSON : ", "Pelvane: JSON report: ")
                  << pelvane::fichierRapportJson(l.parametres) << std::endl;
    // Written, but not a solid: never the status of a clean success.
    return b.croisements > 0 ? static_cast<int>(Statut::SurfaceQuiSeCroise) : 0;
}
