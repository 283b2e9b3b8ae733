#include "monitor/settings_win.h"

#include <windows.h>

#include <algorithm>

#include "engine/ini_file_win.h"
#include "monitor/text_rules.h"
#include "system_files_win.h"

MonitorSettings Settings;

namespace {

const char* const kSection = "Tovra";
const char* const kTopKey = "表示位置Top";
const char* const kLeftKey = "表示位置Left";
const char* const kIntervalKey = "ＩＰ取得間隔";
const char* const kWriteFileKey = "取得IPアドレスをファイルに書き込む";
const char* const kFolderKey = "グローバルＩＰアドレス書込みフォルダ名";
const char* const kSoundKey = "取得時にサウンド音を鳴らす";
const char* const kChangeSoundKey = "変更があった時のみサウンド音を鳴らす";
const char* const kOnTopKey = "常に前面に表示する";

std::string ReadValue(const char* key) { return ReadIniValue(kSection, key, "", Settings.IniPath); }

void WriteValue(const char* key, const std::string& value) {
    (void)WriteIniValue(kSection, key, value, Settings.IniPath);  // settings that cannot be kept are used all the same
}

void LoadNumber(const char* key, int& field, int fallback) {
    std::string value = ReadValue(key);
    if (value.empty()) {
        field = fallback;
        WriteValue(key, std::to_string(fallback));
    } else if (auto number = LeadingNumber(value)) {
        field = *number;
    }
}

void LoadFlag(const char* key, bool& field, bool fallback) {
    std::string value = ReadValue(key);
    if (value.empty()) {
        field = fallback;
        WriteValue(key, FlagText(fallback));
    } else if (auto flag = ParseFlag(value)) {
        field = *flag;
    }
}

void LoadText(const char* key, std::string& field, const std::string& fallback) {
    std::string value = ReadValue(key);
    field = value.empty() ? fallback : value;
    if (value.empty()) WriteValue(key, fallback);
}

void StoreFlag(const char* key, bool& field, bool value) {
    field = value;
    WriteValue(key, FlagText(value));
}

}  // namespace

std::string ProgramFolder() {
    char path[MAX_PATH] = "";
    GetModuleFileName932(nullptr, path, sizeof path);
    std::string folder = path;
    // The last backslash that is not the trail byte of a double-byte character.
    std::size_t cut = std::string::npos;
    for (std::size_t i = 0; i < folder.size(); i += IsCp932LeadByte(static_cast<unsigned char>(folder[i])) ? 2 : 1) {
        if (folder[i] == '\\') cut = i;
    }
    if (cut == std::string::npos) return folder;
    return folder.substr(0, cut == 2 && folder[1] == ':' ? cut + 1 : cut);
}

std::string ProgramFile(const char* name) {
    std::string folder = ProgramFolder();
    return folder + (folder.back() == '\\' ? "" : "\\") + name;
}

void LoadSettings() {
    Settings.IniPath = ProgramFile("Tovra.ini");
    LoadNumber(kTopKey, Settings.WindowTop, -1);
    LoadNumber(kLeftKey, Settings.WindowLeft, -1);
    LoadNumber(kIntervalKey, Settings.ScanMinutes, 1);
    LoadFlag(kWriteFileKey, Settings.WriteOutputFile, true);
    LoadText(kFolderKey, Settings.OutputFolder, ProgramFolder());
    LoadFlag(kSoundKey, Settings.SoundOnFetch, false);
    LoadFlag(kChangeSoundKey, Settings.SoundOnChangeOnly, false);
    LoadFlag(kOnTopKey, Settings.AlwaysOnTop, false);
}

void SaveSettings(const std::string& intervalText, bool writeOutputFile, const std::string& folderText,
                  bool soundOnFetch, bool soundOnChangeOnly, bool alwaysOnTop) {
    // An interval of 0 would scan at every tick of the timer.
    Settings.ScanMinutes = std::max(1, IntervalMinutes(intervalText).value_or(Settings.ScanMinutes));
    WriteValue(kIntervalKey, std::to_string(Settings.ScanMinutes));
    StoreFlag(kWriteFileKey, Settings.WriteOutputFile, writeOutputFile);
    Settings.OutputFolder = TrimBlanks(folderText);
    WriteValue(kFolderKey, Settings.OutputFolder);
    StoreFlag(kSoundKey, Settings.SoundOnFetch, soundOnFetch);
    StoreFlag(kChangeSoundKey, Settings.SoundOnChangeOnly, soundOnChangeOnly);
    StoreFlag(kOnTopKey, Settings.AlwaysOnTop, alwaysOnTop);
}

void SavePosition(int top, int left) {
    WriteValue(kTopKey, std::to_string(top));
    WriteValue(kLeftKey, std::to_string(left));
}
