// Test fixture: prints the system's message for an error code the way failure reports
// quote it: mapped to full width by the system locale, ended by CR LF. Raw bytes on stdout.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: errortext CODE\n");
        return 2;
    }
    char* buffer = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length ? std::string(buffer, length) : "";
    if (buffer) LocalFree(buffer);
    if (!text.empty()) {
        int size = LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_FULLWIDTH, text.c_str(), static_cast<int>(text.size()),
                                nullptr, 0);
        std::vector<char> mapped(static_cast<std::size_t>(size > 0 ? size : 0) + 1, '\0');
        if (size > 0 && LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_FULLWIDTH, text.c_str(),
                                     static_cast<int>(text.size()), mapped.data(), size))
            text.assign(mapped.data(), static_cast<std::size_t>(size));
    }
    text += "\r\n";
    _setmode(_fileno(stdout), _O_BINARY);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    return 0;
}
