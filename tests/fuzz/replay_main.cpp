// Replays the corpus of every fuzz target once, without fuzzing: each file of
// CORPUS/NAME/ (tests/fuzz/corpus by default) goes to target NAME, and so does the
// empty input. A property that fails aborts; a target without a corpus folder fails.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct FuzzTarget {
    const char* name;
    int (*run)(const std::uint8_t*, std::size_t);
};
#include "fuzz_targets.inc"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path root = argc > 1 ? argv[1] : "tests/fuzz/corpus";
    int failed = 0;
    std::size_t total = 0;
    for (const FuzzTarget& target : kFuzzTargets) {
        const fs::path folder = root / target.name;
        if (!fs::is_directory(folder)) {
            std::printf("%-16s no corpus folder %s\n", target.name, folder.string().c_str());
            ++failed;
            continue;
        }
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file()) files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        target.run(nullptr, 0);
        for (const fs::path& file : files) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            target.run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        }
        std::printf("%-16s %zu inputs\n", target.name, files.size());
        total += files.size();
    }
    std::printf("fuzz corpus replayed: %zu inputs, %zu targets\n", total, std::size(kFuzzTargets));
    return failed == 0 ? 0 : 1;
}
