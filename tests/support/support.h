#ifndef TARNIS_TEST_SUPPORT_H
#define TARNIS_TEST_SUPPORT_H

#include <functional>
#include <string>
#include <vector>

namespace tarnis_test {

/// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::string &path() const { return chemin; }
    /// path() + "/" + name
    std::string file(const std::string &name) const { return chemin + "/" + name; }

private:
    std::string chemin;
};

/// Runs f and returns what it wrote on standard error (std::cerr and stderr).
std::string captureStderr(const std::function<void()> &f);
/// Runs f and returns what it wrote on standard output (std::cout and stdout).
std::string captureStdout(const std::function<void()> &f);
/// Runs f and returns what it wrote on standard output, then what it wrote on standard error.
std::string captureSorties(const std::function<void()> &f);

/// Writes text to a file (binary, exact bytes). Returns false on failure.
bool writeFile(const std::string &path, const std::string &text);
/// Reads a whole file; empty string when it cannot be read.
std::string readFile(const std::string &path);
/// The names in a folder, sorted.
std::vector<std::string> folderNames(const std::string &folder);

/// Folder of the third-party data beside the repository ("" when absent).
std::string sharedDataDir();

} // namespace tarnis_test

#endif
