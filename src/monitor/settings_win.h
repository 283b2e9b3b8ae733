#pragma once
// The monitor's settings, kept in "Tovra.ini" beside the program.
#include <string>

struct MonitorSettings {
    std::string IniPath;
    int WindowTop = 0;
    int WindowLeft = 0;
    int ScanMinutes = 0;
    bool WriteOutputFile = false;
    std::string OutputFolder;
    bool SoundOnFetch = false;
    bool SoundOnChangeOnly = false;
    bool AlwaysOnTop = false;
};

extern MonitorSettings Settings;

// The running program's folder, without a trailing "\" unless it is a drive root.
std::string ProgramFolder();
// A file beside the running program.
std::string ProgramFile(const char* name);

// Fills Settings from the file, writing the default of every missing key.
void LoadSettings();
// Stores the panel's values; an interval below one minute is stored as 1.
void SaveSettings(const std::string& intervalText, bool writeOutputFile, const std::string& folderText,
                  bool soundOnFetch, bool soundOnChangeOnly, bool alwaysOnTop);
// Window position in twips.
void SavePosition(int top, int left);
