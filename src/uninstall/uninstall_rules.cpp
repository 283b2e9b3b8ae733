#include "uninstall/uninstall_rules.h"

#include "engine/code_page.h"
#include "engine/paths.h"
#include "engine/strings.h"
#include "engine/shared_dll.h"

FileAction DecideFileAction(unsigned long sharedCount, const std::string& options, const std::string& path,
                            const std::string& windowsFolder, const std::string& systemFolder) {
    if (sharedCount != 0 && ContainsText("/S", options)) return FileAction::LowerShared;
    if (sharedCount != 0) return FileAction::KeepShared;
    if (ContainsText("/C", options)) return FileAction::AskCaution;
    if (ContainsText("/L", options)) return FileAction::Keep;
    if (IsComponentFile(path) && (ContainsText(windowsFolder, path) || ContainsText(systemFolder, path)))
        return FileAction::AskComponent;
    return FileAction::Delete;
}

namespace {

bool IsAbsolute(const std::string& path) {
    const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
    const bool network = path.size() >= 3 && path[0] == '\\' && path[1] == '\\';
    return drive || network;
}

// A folder upper-cased and ending in a delimiter, as HoldsFolder compares it.
std::string UpperFolder(const std::string& folder) {
    return folder.empty() ? folder : MapString(AddPathDelimiter(folder, "B"), kMapUpperCase);
}

// Whether outer is inner itself or holds it; both made by UpperFolder.
bool HoldsFolder(const std::string& outer, const std::string& inner) {
    return !outer.empty() && !inner.empty() && inner.compare(0, outer.size(), outer) == 0;
}

}  // namespace

bool IsRefusedPath(const std::string& path, const std::string& windowsFolder, const std::string& systemFolder) {
    if (!IsAbsolute(path) || FindText("\\..\\", AddPathDelimiter(path, "B"))) return true;
    // A wildcard before one trailing delimiter ("C:\*\") is judged as without it.
    const std::string trimmed = RemovePathDelimiter(path, "B");
    const bool wildcard = HasWildcard(NameOfPath(trimmed));
    const std::string folder = wildcard ? FolderOfPath(trimmed) : std::string();
    // A drive or share root itself or anything matched by a wildcard directly in it.
    const std::size_t root = DriveOfPath(path).size();
    if (trimmed.size() <= root) return true;
    if (wildcard && RemovePathDelimiter(folder, "B").size() <= root) return true;
    // The system's folders, a folder that holds them, or a wildcard in any of those. Each is
    // upper-cased once: the uninstaller asks this for every logged file.
    const std::string upperPath = UpperFolder(path);
    const std::string upperFolder = UpperFolder(folder);
    for (const std::string* system : {&windowsFolder, &systemFolder}) {
        const std::string upperSystem = UpperFolder(*system);
        if (HoldsFolder(upperPath, upperSystem) || HoldsFolder(upperFolder, upperSystem)) return true;
    }
    return false;
}

bool IsRefusedRegistryKey(const std::string& keyPath) {
    // Two named levels below the root at least: "SOFTWARE\Vendor", never "SOFTWARE" or the
    // root, however many delimiters stand around them ("\\SOFTWARE" names one level).
    const CodePage& cp = CurrentCodePage();
    int levels = 0;
    bool inName = false;
    for (std::size_t i = 0; i < keyPath.size(); ++i) {
        if (keyPath[i] == '\\') {
            inName = false;
            continue;
        }
        if (!inName) ++levels;
        inName = true;
        if (cp.IsLeadByte(static_cast<unsigned char>(keyPath[i]))) ++i;
    }
    return levels < 2;
}

LogRegistryKey SplitLogRegistryKey(const std::string& text) {
    if (text.size() < 7 || text[0] != '(' || text[6] != ')') return {"(Cuser)", text};
    return {text.substr(0, 7), text.substr(7)};
}

bool IsProtectedInstallFolder(const std::string& folder) {
    if (folder.size() == 3) return true;
    for (const char* token : {"(Win)", "(Sys)", "(Tmp)", "(Smn)", "(Sta)", "(Dsk)", "(Sup)", "(Sen)", "(Myd)",
                              "(C_Smn)", "(C_Sta)", "(C_Dsk)", "(C_Sup)", "(C_Myd)"}) {
        const std::string& value = FolderMacros().Get(token);
        if (!value.empty() && SameText(folder, value)) return true;
    }
    return false;
}

std::string SharedFileQuestion(const std::string& path) {
    return path + "\r\n\r\nこの共有ファイルは、現在、他のどのプログラムからも使われていません。\r\n" +
           "しかし、今後、他のプログラムで使われる可能性があります。\r\nこのファイルを削除してもよろしいですか？";
}

std::string CautionQuestion(const std::string& path) {
    return path + "\r\n\r\nこのファイルを削除してもよろしいですか？\r\n\r\n<<　注意　>>\r\n" +
           "DLL/OCXなどは他のプログラムでも使用される可能性があります。\r\n" +
           "確実に使用されないことがわかっている場合のみ削除してください。";
}

std::string ComponentQuestion(const std::string& path) {
    return path + "\r\n\r\nこのDLL/OCXファイルは、共有登録されていませんが、\r\n" +
           "今後、他のプログラムで使われる可能性があります。\r\nこのファイルを削除してもよろしいですか？";
}

std::string InstallFolderBlock(const std::string& folder, unsigned long result, const std::string& errorText,
                               const std::string& setupString, bool deleteAll) {
    if (result != 145 && result != 5) return "<SetupFolder> " + folder + "\r\n" + errorText + "\r\n";
    const std::string reason = deleteAll ? "全ファイル・フォルダの削除を試みましたが、エラーが発生したため、"
                                         : "ファイル・フォルダが残っているため、";
    return "<SetupFolder> " + folder + "\r\n" + reason + setupString +
           "フォルダを削除できませんでした。エクスプローラなどから、直接削除してください。\r\n\r\n";
}
