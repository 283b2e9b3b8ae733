// setupcheck: finds a package's mistakes before it ships, or shows what installing it would do.
// Exit status: 0 clean, 1 errors found (or warnings with --strict), 2 the package could not be read.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "check/cp932_unicode.h"
#include "check/install_plan.h"
#include "check/pack_contents.h"
#include "check/package_rules.h"
#include "check/sample_folders.h"

namespace {

constexpr int kClean = 0, kFound = 1, kUnreadable = 2;

// The findings' lines: the script's own Shift-JIS bytes, or UTF-8 for a UTF-8 terminal.
enum class Encoding { kCp932, kUtf8 };

// The Windows build writes to the console in its code page; the native one follows the
// locale as POSIX resolves it (LC_ALL, then LC_CTYPE, then LANG).
Encoding LocaleEncoding() {
#ifdef KELVO_ENCODING_FROM_LOCALE
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value) continue;
        std::string set = value;
        for (char& c : set) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        return set.find("utf-8") != std::string::npos || set.find("utf8") != std::string::npos ? Encoding::kUtf8
                                                                                               : Encoding::kCp932;
    }
#endif
    return Encoding::kCp932;
}

struct Arguments {
    bool plan = false, json = false, strict = false, version = false;
    Encoding encoding = LocaleEncoding();
    SampleMachine machine;
    std::string folder;
    std::string pack;  // --pack: the one-file program to write
};

int Usage() {
    std::string systems;
    for (const std::string& name : SampleSystemNames()) systems += (systems.empty() ? "" : "|") + name;
    std::fprintf(stderr,
                 "usage: setupcheck --version\n"
                 "       setupcheck [--strict] [--json] [--os SYSTEM] [--folder (Xxx)=PATH]... PACKAGE_FOLDER\n"
                 "       setupcheck --plan [--json] [--os SYSTEM] [--folder (Xxx)=PATH]... PACKAGE_FOLDER\n"
                 "       setupcheck --pack OUT.exe [--os SYSTEM] [--folder (Xxx)=PATH]... PACKAGE_FOLDER\n"
                 "SYSTEM: %s (default winxp); --folder replaces one folder of the sample machine\n"
                 "--encoding cp932|utf-8: the findings' lines (JSON is always UTF-8)\n",
                 systems.c_str());
    return kUnreadable;
}

std::optional<Arguments> Parse(int argc, char** argv) {
    Arguments a;
    a.machine.system = FindSampleSystem("winxp");
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--version") a.version = true;
        else if (arg == "--plan") a.plan = true;
        else if (arg == "--json") a.json = true;
        else if (arg == "--strict") a.strict = true;
        else if (arg == "--pack" && hasValue) a.pack = argv[++i];
        else if (arg == "--os" && hasValue) a.machine.system = FindSampleSystem(argv[++i]);
        else if (arg == "--encoding" && hasValue) {
            const std::string name = argv[++i];
            if (name == "cp932") a.encoding = Encoding::kCp932;
            else if (name == "utf-8") a.encoding = Encoding::kUtf8;
            else return std::nullopt;
        } else if (arg == "--folder" && hasValue) {
            const std::string value = argv[++i];
            const std::size_t equals = value.find('=');
            if (equals == std::string::npos) return std::nullopt;
            a.machine.folders.emplace_back(value.substr(0, equals),
                                           PackageFolder::ScriptName(value.substr(equals + 1)));
        } else if (!arg.empty() && arg[0] != '-' && a.folder.empty()) a.folder = arg;
        else return std::nullopt;
    }
    if (a.version) return a;
    if (a.folder.empty() || a.machine.system.name.empty()) return std::nullopt;
    return a;
}

std::string Encoded(const std::string& text, Encoding encoding) {
    return encoding == Encoding::kUtf8 ? Cp932ToUtf8(text) : text;
}

int Check(const Arguments& a) {
    const CheckResult result = CheckPackage(a.folder, a.machine);
    const std::string out = a.json ? FindingsJson(result.findings, kScriptName)
                                   : Encoded(FindingsText(result.findings, kScriptName), a.encoding);
    std::fwrite(out.data(), 1, out.size(), result.readable ? stdout : stderr);
    if (!result.readable) return kUnreadable;
    const bool found = result.findings.HasErrors() || (a.strict && result.findings.HasWarnings());
    return found ? kFound : kClean;
}

int Plan(const Arguments& a) {
    PackageFolder package;
    const std::optional<std::string> bytes = package.Open(a.folder) ? package.ReadScript() : std::nullopt;
    if (!bytes) {
        const std::string folder = Encoded(PackageFolder::ScriptName(a.folder), a.encoding);
        std::fprintf(stderr, "setupcheck: no readable SETUP.INI in \"%s\"\n", folder.c_str());
        return kUnreadable;
    }
    const InstallPlan plan = BuildInstallPlan(ScriptFile(*bytes), package, a.machine);
    const std::string out = a.json ? PlanJson(plan) : Encoded(PlanText(plan), a.encoding);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return kClean;
}

// Writes the packed program, a program like setup.exe itself; the reason it could not, or empty.
std::string WritePacked(const std::string& path, const std::string& bytes) {
    std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(path.c_str(), "wb"), std::fclose);
    const bool written =
        out && std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size() && std::fflush(out.get()) == 0;
    const bool opened = out != nullptr;
    out.reset();
    if (opened && !written) std::remove(path.c_str());  // a cut program is no program
#ifndef _WIN32
    if (written) chmod(path.c_str(), 0755);
#endif
    return written ? "" : "cannot write \"" + path + "\"";
}

// Packs only a package without errors: a mistake shipped inside one file is as shipped.
int Pack(const Arguments& a) {
    const CheckResult result = CheckPackage(a.folder, a.machine);
    const std::string findings = Encoded(FindingsText(result.findings, kScriptName), a.encoding);
    std::fwrite(findings.data(), 1, findings.size(), result.readable ? stdout : stderr);
    if (!result.readable) return kUnreadable;
    if (result.findings.HasErrors()) return kFound;
    std::string error;
    const std::optional<PackContents> contents = CollectPackContents(a.folder, error);
    const std::string packed = contents ? PackPackage(contents->program, contents->files) : "";
    if (contents && packed.empty()) error = "setup.exe is no setup program that can carry a package";
    // Never over the package's own files: the distributor's setup.exe would be lost.
    std::error_code failed;
    for (const std::string& path : contents ? contents->paths : std::vector<std::string>{})
        if (error.empty() && std::filesystem::equivalent(a.pack, path, failed))
            error = "\"" + a.pack + "\" is a file of the package itself";
    if (error.empty()) error = WritePacked(a.pack, packed);
    if (!error.empty()) {
        std::fprintf(stderr, "setupcheck: %s\n", Encoded(error, a.encoding).c_str());
        return kUnreadable;
    }
    for (const std::string& name : contents->leftOut) std::printf("left out: %s\n", Encoded(name, a.encoding).c_str());
    std::printf("packed %zu files into %s (%zu bytes)\n", contents->files.size(), a.pack.c_str(), packed.size());
    return kClean;
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Arguments> arguments = Parse(argc, argv);
    if (!arguments) return Usage();
    if (arguments->version) {
        std::printf("setupcheck %s\n", KELVO_VERSION);
        return kClean;
    }
    if (!arguments->pack.empty()) return Pack(*arguments);
    return arguments->plan ? Plan(*arguments) : Check(*arguments);
}
