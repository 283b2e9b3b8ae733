// The uninstall run's refusal of dangerous log entries and its per-file decision.
// Input: a selector byte (the Windows and System folders), then a log value
// ("path,options") or a [DeleteRegistry] key.
// Properties: a full path that deletes a drive or share root, the Windows or System
// folder, a folder holding them, or a wildcard in any of those is refused, and so
// never reaches a delete decision; a registry key with fewer than two named levels
// below its root is refused.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/code_page.h"
#include "engine/paths.h"
#include "engine/strings.h"
#include "fuzz_support.h"
#include "uninstall/uninstall_rules.h"

namespace {

struct Folders {
    const char* windows;
    const char* system;
};
const Folders kFolders[] = {
    {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"},
    {"C:\\WINNT\\", "C:\\WINNT\\system32\\"},
    {"D:\\OS\\\x83\x5C\\WIN", "D:\\OS\\\x83\x5C\\WIN\\SYSTEM32"},  // "ソ": a 0x5C trail byte
    {"\\\\SERVER\\SHARE\\WINDOWS", "\\\\SERVER\\SHARE\\WINDOWS\\SYSTEM"},
};

// The path's root ("C:" or "\\server\share") and its named parts, or false when the path
// is not in the form a full path takes: absolute, no empty, "." or ".." parts, no part
// ending in a dot or a blank (the system drops those, so they name another file).
bool FullPath(const std::string& path, std::string& root, std::vector<std::string>& parts) {
    std::vector<std::string> pieces{""};
    for (const std::string& c : fuzz::Characters(path)) {
        if (c == "\\") pieces.emplace_back();
        else pieces.back() += c;
    }
    std::size_t first;
    if (pieces.size() >= 4 && pieces[0].empty() && pieces[1].empty()) {  // \\server\share
        if (pieces[2].empty() || pieces[3].empty()) return false;
        root = "\\\\" + pieces[2] + "\\" + pieces[3];
        first = 4;
    } else if (pieces[0].size() == 2 && pieces[0][1] == ':' && std::isalpha(static_cast<unsigned char>(pieces[0][0])) &&
               pieces.size() >= 2) {
        root = pieces[0];
        first = 1;
    } else {
        return false;
    }
    if (pieces.size() > first && pieces.back().empty()) pieces.pop_back();  // one trailing delimiter
    for (std::size_t i = first; i < pieces.size(); ++i) {
        const std::string& p = pieces[i];
        if (p.empty() || p == "." || p == ".." || p.back() == '.' || p.back() == ' ') return false;
        if (!fuzz::WellFormed(p)) return false;
        parts.push_back(p);
    }
    return true;
}

std::string Upper(const std::string& text) { return MapString(text, kMapUpperCase); }

// Whether folder a is b or holds b (both full paths).
bool Holds(const std::string& aRoot, const std::vector<std::string>& a, const std::string& bRoot,
           const std::vector<std::string>& b) {
    if (Upper(aRoot) != Upper(bRoot) || a.size() > b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

bool Wild(const std::string& part) { return part.find_first_of("*?") != std::string::npos; }

void CheckPath(const std::string& value, const Folders& folders) {
    const std::string path = GetField(value, ",", 1);
    const bool refused = IsRefusedPath(path, folders.windows, folders.system);
    if (!refused) {
        DecideFileAction(0, GetField(value, ",", 2), path, Upper(folders.windows), Upper(folders.system));
        DecideFileAction(1, GetField(value, ",", 2), path, Upper(folders.windows), Upper(folders.system));
    }
    std::string root;
    std::vector<std::string> parts;
    if (!FullPath(path, root, parts)) return;
    // A wildcard in the last part deletes everything its folder holds.
    std::vector<std::string> folder = parts;
    const bool wild = !folder.empty() && Wild(folder.back());
    if (wild) folder.pop_back();
    bool dangerous = parts.empty() || (wild && folder.empty());
    for (const char* system : {folders.windows, folders.system}) {
        std::string systemRoot;
        std::vector<std::string> systemParts;
        FUZZ_CHECK(FullPath(system, systemRoot, systemParts));
        dangerous = dangerous || Holds(root, wild ? folder : parts, systemRoot, systemParts);
    }
    if (dangerous) FUZZ_CHECK(refused);
}

void CheckRegistryKey(const std::string& value) {
    const LogRegistryKey key = SplitLogRegistryKey(value);
    FUZZ_CHECK(key.rootTag.size() == 7 && (key.path == value || key.rootTag + key.path == value));
    int named = 0;
    std::string part;
    for (const std::string& c : fuzz::Characters(key.path)) {
        if (c != "\\") {
            part += c;
        } else {
            named += !part.empty();
            part.clear();
        }
    }
    named += !part.empty();
    if (named < 2) FUZZ_CHECK(IsRefusedRegistryKey(key.path));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string value(reinterpret_cast<const char*>(data + 1), size - 1);
    const Folders& folders = kFolders[data[0] % std::size(kFolders)];
    if (data[0] & 0x80) CheckRegistryKey(value);
    else CheckPath(value, folders);
    IsProtectedInstallFolder(value);
    return 0;
}
