// Without libFuzzer the fuzz targets are replay programs: every file named
// on the command line, and every file of a folder named there, goes once
// through the target's LLVMFuzzerTestOneInput. A broken invariant aborts;
// otherwise the program prints how many inputs it ran.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "replay: cannot read %s\n", path.string().c_str());
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <file or folder>...\n", argv[0]);
        return 2;
    }
    int runs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        std::error_code ec;
        if (std::filesystem::is_directory(arg, ec)) {
            // In name order, so that a run is repeatable.
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::directory_iterator(arg, ec))
                if (entry.is_regular_file()) files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            if (files.empty()) {
                std::fprintf(stderr, "replay: no inputs in %s\n", arg.string().c_str());
                return 1;
            }
            for (const auto& file : files) {
                if (!RunFile(file)) return 1;
                ++runs;
            }
        } else {
            if (!RunFile(arg)) return 1;
            ++runs;
        }
    }
    std::printf("replay: %d inputs, no invariant broken\n", runs);
    return 0;
}
