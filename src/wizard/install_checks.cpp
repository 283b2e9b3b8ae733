#include "wizard/install_checks.h"

#include "engine/paths.h"
#include "engine/strings.h"
#include "wizard/script_reading.h"

namespace {

const char kCrLf[] = "\r\n";

struct Resolution {
    enum { NotFound, File, Identifier } kind = NotFound;
    std::string title;  // the installed program's title, when found by identifier
};

Resolution Resolve(const SetupSources& sources, const CheckContext& c, const std::string& value) {
    if (ContainsText("IDCheck", value)) {
        const std::string folder =
            sources.Ini(GetField(value, ":", 2), "Folder", "", InstalledProgramsFile(c.windowsFolder));
        if (folder.empty()) return {};
        const std::string log = RemovePathDelimiter(folder, "B") + "\\UNSETUP.INI";
        return {Resolution::Identifier, sources.Ini("Title", "UnSetup", "不明なタイトル", log)};
    }
    if (sources.FileExists(c.installFolderText + RemovePathDelimiter(value, "T"))) return {Resolution::File, ""};
    return {};
}

std::string Detected(const Resolution& r) {
    if (r.kind == Resolution::File) return std::string("インストーラはチェック対象プログラムを検出しました。") + kCrLf;
    return std::string("インストーラはチェック対象プログラム識別子を検出しました。") + kCrLf + "【" + r.title + "】" +
           kCrLf;
}

CheckFinding StopFor(const Resolution& r, const CheckContext& c) {
    const std::string what = r.kind == Resolution::File ? "前バージョンの" : "上記プログラムの";
    return {CheckSeverity::Stop, "エラー",
            Detected(r) + c.s + "を続行するためには、" + what + c.u + "を行う必要があります。"};
}

CheckFinding WarningFor(const Resolution& r, const CheckContext& c) {
    const std::string what = r.kind == Resolution::File ? "前バージョンのプログラムの" : "上記プログラムの";
    return {CheckSeverity::Warning, "警告",
            Detected(r) + "パッケージ配布者は、" + what + c.u + "を推奨しています。" + kCrLf + c.s +
                "はこのまま続行できますが、予期せぬ結果を招く可能性があります。" + kCrLf +
                "できる限り中断して、前バージョンの" + c.u + "を行うことをお勧めします。"};
}

}  // namespace

CheckFinding RunInstallChecks(const SetupSources& sources, const CheckContext& c) {
    if (ContainsText(c.osName, sources.Ini("Extend", "RejectOS", "", c.scriptPath)))
        return {CheckSeverity::Stop, "警告",
                "このオペレーティングシステムへの" + c.s + "は、プログラム配布者により認められていません。" + kCrLf +
                    "詳細については、プログラム配布者へご確認ください。" + kCrLf + c.s +
                    "を続行することはできません。"};
    const Resolution stop = Resolve(sources, c, sources.Ini("Caution", "UnInstallCheckEx", "NoData", c.scriptPath));
    if (stop.kind != Resolution::NotFound) return StopFor(stop, c);
    const Resolution warn = Resolve(sources, c, sources.Ini("Caution", "UnInstallCheck", "NoData", c.scriptPath));
    if (warn.kind != Resolution::NotFound) return WarningFor(warn, c);
    return {};
}
