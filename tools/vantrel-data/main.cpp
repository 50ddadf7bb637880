// vantrel-data: makes the game's whole data directory from code (terrain, missions, models,
// textures, sounds), checks a data directory, or draws previews of one.
#include <cstdio>
#include <string>

#include "tools/vantrel-data/datadir.h"
#include "tools/vantrel-data/preview.h"

namespace {

constexpr int EXIT_OK = 0, EXIT_PROBLEMS = 1, EXIT_BAD_USE = 2;

int usage() {
    std::fprintf(stderr,
                 "usage: vantrel-data OUTDIR            write the data directory\n"
                 "       vantrel-data --check DIR       report every missing or damaged file\n"
                 "       vantrel-data --preview DIR OUT write PNG pictures of textures and meshes\n");
    return EXIT_BAD_USE;
}

int check(const std::string& dir) {
    const auto problems = vantrel::data::checkDataDirectory(dir);
    for (const std::string& p : problems) std::printf("%s\n", p.c_str());
    if (problems.empty())
        std::printf("%s: all %zu files present and loadable\n", dir.c_str(), vantrel::data::dataFiles().size());
    return problems.empty() ? EXIT_OK : EXIT_PROBLEMS;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    std::string error;
    if (first == "--help" || first == "-h") return usage(), EXIT_OK;
    if (first == "--check" && argc == 3) return check(argv[2]);
    if (first == "--preview" && argc == 4) {
        if (vantrel::data::writePreviews(argv[2], argv[3], error)) return EXIT_OK;
        std::fprintf(stderr, "vantrel-data: %s\n", error.c_str());
        return EXIT_PROBLEMS;
    }
    if (argc != 2 || first.starts_with("-")) return usage();
    if (vantrel::data::writeDataDirectory(first, error)) return EXIT_OK;
    std::fprintf(stderr, "vantrel-data: %s\n", error.c_str());
    return EXIT_BAD_USE;
}
