// Replays the files of corpus folders through a fuzz target's entry function, without libFuzzer:
// each file is copied to a block of its exact size (a read past it is caught by the sanitizers),
// and a target that aborts fails the run. Usage: rejeu_<target> FOLDER...
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *donnees, std::size_t taille);

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    std::size_t fichiers = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        for (const fs::directory_entry &e : fs::directory_iterator(argv[i], ec)) {
            if (!e.is_regular_file())
                continue;
            std::ifstream f(e.path(), std::ios::binary);
            const std::vector<char> octets((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
            std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[octets.size() + (octets.empty() ? 1 : 0)]);
            std::copy(octets.begin(), octets.end(), exact.get());
            LLVMFuzzerTestOneInput(exact.get(), octets.size());
            ++fichiers;
        }
        if (ec) {
            std::fprintf(stderr, "%s : %s\n", argv[i], ec.message().c_str());
            return 1;
        }
    }
    std::printf("%zu fichiers rejoués\n", fichiers);
    return fichiers > 0 ? 0 : 1;
}
