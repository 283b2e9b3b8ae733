// Building the uninstall log (UNSETUP.INI) when a large package is installed again into
// the same folder: N new [DeleteFile] entries of this run plus N carried over from the
// previous log, half of which name files of this run again (in other letter case, some
// with "/S"). Measures N = 10,000 and N = 20,000 and prints the medians and their ratio.
// Target: 10k + 10k under 1 s, and doubling at most 2.5 times as long.
// Built by cmake/native.cmake (bench/*_bench.cpp); run build/native/log_merge_bench [repetitions].
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <time.h>

#include "install/uninstall_log.h"

namespace {

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

std::string Number(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%06d", n);
    return buffer;
}

UninstallLogContent Content(int n) {
    UninstallLogContent c;
    c.unSetupTitle = "Kelvo Bench";
    c.setupFolder = "C:\\Program Files\\Kelvo\\";
    c.setupString = "Install";
    c.unSetupString = "Uninstall";
    c.registryKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelvo Bench";
    auto& files = c.lists.files;
    files.current.reserve(static_cast<std::size_t>(n));
    files.carried.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        // Every fifth new file is shared, every third has other options.
        std::string entry = "C:\\Program Files\\Kelvo\\Data\\Folder" + Number(i % 97) + "\\file" + Number(i) + ".dat";
        if (i % 5 == 0) entry += ",/S";
        else if (i % 3 == 0) entry += ",/W";
        files.current.push_back(entry);
    }
    for (int i = 0; i < n; ++i) {
        if (i % 2 == 0) {
            // A file of this run again, written in upper case; every fourth carries "/S".
            std::string entry =
                "C:\\PROGRAM FILES\\KELVO\\DATA\\FOLDER" + Number(i % 97) + "\\FILE" + Number(i) + ".DAT";
            if (i % 4 == 0) entry += ",/S";
            files.carried.push_back(entry);
        } else {
            files.carried.push_back("C:\\Program Files\\Kelvo\\Old\\old" + Number(i) + ".dat");
        }
    }
    c.lists.files.current.push_back("C:\\Program Files\\Kelvo\\UNSETUP.INI");
    c.lists.files.carried.push_back("C:\\Program Files\\Kelvo\\UNSETUP.INI");
    return c;
}

// The number of [DeleteFile] lines and of "/S" marks in them, as a check of the result.
void Count(const std::string& log, int& lines, int& marks) {
    lines = marks = 0;
    const std::size_t start = log.find("[DeleteFile]\r\n");
    const std::size_t end = log.find("\r\n\r\n", start);
    for (std::size_t p = start; p < end; ++p) {
        if (log.compare(p, 6, "\r\nFile") == 0) ++lines;
        if (log.compare(p, 2, "/S") == 0) ++marks;
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double Measure(int n, int repetitions) {
    const UninstallLogContent content = Content(n);
    std::vector<double> times;
    std::size_t size = 0;
    int lines = 0, marks = 0;
    for (int r = 0; r < repetitions; ++r) {
        const double t0 = Now();
        const std::string log = BuildUninstallLog(content);
        times.push_back(Now() - t0);
        size = log.size();
        Count(log, lines, marks);
    }
    const double median = Median(times);
    std::printf(
        "%dk new + %dk carried: median %.3f s (min %.3f, max %.3f, %d runs), %zu bytes, %d [DeleteFile] lines, "
        "%d /S marks\n",
        n / 1000, n / 1000, median, *std::min_element(times.begin(), times.end()),
        *std::max_element(times.begin(), times.end()), repetitions, size, lines, marks);
    // n new + n/2 carried paths that are not duplicates + the log's own path.
    if (lines != n + n / 2 + 1) {
        std::printf("unexpected line count: %d, expected %d\n", lines, n + n / 2 + 1);
        std::exit(2);
    }
    return median;
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const double small = Measure(10000, repetitions);
    const double large = Measure(20000, repetitions);
    const double ratio = large / small;
    const bool met = small < 1.0 && ratio <= 2.5;
    std::printf("ratio 20k/10k: %.2f\n", ratio);
    std::printf("target (10k+10k under 1 s, ratio at most 2.5): %s\n", met ? "met" : "MISSED");
    return met ? 0 : 1;
}
