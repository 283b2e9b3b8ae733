#include "install/programs_win.h"

#include <windows.h>
#include <shellapi.h>

#include "engine/files_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "owned_win.h"
#include "system_files_win.h"

namespace {

std::string WorkingFolderOrTemp(const std::string& folder) {
    return FolderExists(folder) ? folder : FolderMacros().Get("(Tmp)");
}

}  // namespace

std::string StartFailureText(const std::string& file, const std::string& parameters, unsigned long code) {
    return "プログラム実行失敗\r\n" + file + " " + parameters + "\r\n\r\n" + SystemErrorText(code);
}

unsigned long RunByShell(const std::string& file, const std::string& parameters, const std::string& workingFolder) {
    const std::string folder = WorkingFolderOrTemp(workingFolder);
    const auto result = reinterpret_cast<INT_PTR>(ShellExecute932(GetDesktopWindow(), "open", file.c_str(),
                                                                  parameters.empty() ? nullptr : parameters.c_str(),
                                                                  folder.c_str(), SW_SHOWNORMAL));
    return result <= 32 ? static_cast<unsigned long>(result) : 0;
}

unsigned long RunByCreateProcess(const std::string& file, const std::string& parameters,
                                 const std::string& workingFolder) {
    const std::string folder = WorkingFolderOrTemp(workingFolder);
    // The program goes in as the application name, so a path with spaces needs no quotes.
    std::string commandLine = parameters.empty() ? "" : " " + parameters;
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    startup.dwFlags |= STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcess932(file.c_str(), commandLine.empty() ? nullptr : commandLine.data(), nullptr, nullptr, FALSE,
                          CREATE_DEFAULT_ERROR_MODE, nullptr, folder.c_str(), &startup, &process))
        return GetLastError();
    const OwnedHandle thread(process.hThread), processHandle(process.hProcess);  // not waited for
    return 0;
}
