// Benchmark baseline: copies each "source|destination" pair of a list file with a
// plain CopyFileA (overwriting) and reports how long the copies took together; with
// --delete, deletes each listed path with a plain DeleteFileA instead.
// Only the loop is timed; the list is read beforehand. Creates no folders.
// Output (stdout):  elapsed_ms N / copied N (or deleted N) / failed N. Each failure goes to stderr.
// Exit code 0 when every file was handled, 1 when any failed, 2 on a usage error.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Pair {
    std::string source;
    std::string destination;
    int line;
};

// Lines end in LF or CR LF; blank lines are skipped. A line without "|" or with an
// empty side is kept as a failure rather than dropped, so the counts always add up.
bool ReadList(const char* path, bool pairsWanted, std::vector<Pair>& pairs, int& malformed) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    std::string line;
    int number = 0;
    auto finish = [&]() {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) return;
        std::size_t bar = line.find('|');
        if (!pairsWanted) {
            pairs.push_back({line, "", number});
        } else if (bar == std::string::npos || bar == 0 || bar + 1 == line.size()) {
            std::fprintf(stderr, "copyloop: line %d: expected source|destination\n", number);
            ++malformed;
        } else {
            pairs.push_back({line.substr(0, bar), line.substr(bar + 1), number});
        }
        line.clear();
    };
    for (int c; (c = std::fgetc(f)) != EOF;) {
        if (c == '\n') finish();
        else line += static_cast<char>(c);
    }
    if (!line.empty()) finish();
    std::fclose(f);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool deleting = argc == 3 && std::string(argv[1]) == "--delete";
    if (argc != 2 && !deleting) {
        std::fprintf(stderr,
                     "usage: copyloop LISTFILE          (one source|destination per line)\n"
                     "       copyloop --delete LISTFILE (one path per line)\n");
        return 2;
    }
    const char* list = argv[argc - 1];
    std::vector<Pair> pairs;
    int malformed = 0;
    if (!ReadList(list, !deleting, pairs, malformed)) {
        std::fprintf(stderr, "copyloop: cannot read %s\n", list);
        return 2;
    }

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    int copied = 0, failed = malformed;
    for (const Pair& p : pairs) {
        const BOOL ok =
            deleting ? DeleteFileA(p.source.c_str()) : CopyFileA(p.source.c_str(), p.destination.c_str(), FALSE);
        if (ok) {
            ++copied;
        } else {
            ++failed;
            std::fprintf(stderr, "copyloop: line %d: %s -> %s failed, error %lu\n", p.line, p.source.c_str(),
                         p.destination.c_str(), GetLastError());
        }
    }
    QueryPerformanceCounter(&end);

    const double ms = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
    std::printf("elapsed_ms %.1f\n%s %d\nfailed %d\n", ms, deleting ? "deleted" : "copied", copied, failed);
    std::fflush(stdout);
    return failed ? 1 : 0;
}
