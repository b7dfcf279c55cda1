#include "support.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tarnis_test {

TempDir::TempDir()
{
    chemin = (fs::temp_directory_path() / "tarnis-test-XXXXXX").string();
    if (!mkdtemp(chemin.data())) // fills in the X's
        std::abort();
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(chemin, ec);
}

namespace {

// Redirects both the C++ stream and the C file descriptor so that text written
// by either route is captured, in order.
std::string capture(int fd, std::ostream &os, const std::function<void()> &f)
{
    std::fflush(nullptr);
    os.flush();
    char modele[] = "/tmp/tarnis-capture-XXXXXX";
    int tmp = mkstemp(modele);
    if (tmp < 0)
        std::abort();
    int sauvegarde = dup(fd);
    dup2(tmp, fd);
    // Puts both routes back, also when f throws.
    struct Retour
    {
        std::ostream &os;
        std::streambuf *ancien;
        int fd, sauvegarde, tmp;
        ~Retour()
        {
            os.rdbuf(ancien);
            std::fflush(nullptr);
            dup2(sauvegarde, fd);
            close(sauvegarde);
            close(tmp);
        }
    };
    std::ostringstream tampon;
    {
        const Retour retour{os, os.rdbuf(tampon.rdbuf()), fd, sauvegarde, tmp};
        f();
    }
    std::string cfichier = readFile(modele);
    unlink(modele);
    // C++ stream text first is not guaranteed to be the real order when both
    // routes are mixed; tests that care use only one route.
    return tampon.str() + cfichier;
}

} // namespace

std::string captureStderr(const std::function<void()> &f)
{
    return capture(2, std::cerr, f);
}
std::string captureStdout(const std::function<void()> &f)
{
    return capture(1, std::cout, f);
}
std::string captureSorties(const std::function<void()> &f)
{
    std::string sortie;
    const std::string erreurs = captureStderr([&] { sortie = captureStdout(f); });
    return sortie + erreurs;
}

bool writeFile(const std::string &path, const std::string &text)
{
    std::ofstream o(path, std::ios::binary);
    return bool(o << text);
}

std::string readFile(const std::string &path)
{
    std::ifstream i(path, std::ios::binary); // unopened: nothing is read
    return std::string(std::istreambuf_iterator<char>(i), {});
}

std::string sharedDataDir()
{
    std::error_code ec;
    if (fs::is_directory(TARNIS_TEST_DATA_DIR, ec))
        return TARNIS_TEST_DATA_DIR;
    return "";
}

std::vector<std::string> folderNames(const std::string &folder)
{
    std::vector<std::string> noms;
    for (const auto &e : std::filesystem::directory_iterator(folder))
        noms.push_back(e.path().filename().string());
    std::sort(noms.begin(), noms.end());
    return noms;
}

} // namespace tarnis_test
