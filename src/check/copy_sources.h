#pragma once
// The [CopyFile] entries with the package file each one takes: the disk it is on, where the
// distributor keeps it, and for a compressed file the name it expands to.
#include <optional>
#include <string>
#include <vector>

#include "check/package_folder.h"
#include "check/script_file.h"
#include "install/copy_entry.h"

struct CopySource {
    const ScriptKey* key = nullptr;
    CopyEntry entry;                  // source is the bare file name of the package file
    int disk = 1;                     // "(Dch)" moves this entry and the following ones to the next disk
    std::optional<std::string> path;  // the package file, when it is there
    std::string packageName;          // its name in the package ("DISK2\\A.TXT"), Shift-JIS
    bool twin = false;                // the package holds it under a UTF-8 and a Shift-JIS name
    // A compressed source: whether its header is the system's compressed format, and the
    // name it expands to (upper case; the "_" kept when the header stores no letter).
    bool validCompressed = false;
    std::string expandedName;
    // The destination as the run reports it: a compressed file without new name gets its stored name.
    std::string Destination() const;
};

// Reads [CopyFile] with the folder macros as they are set now.
std::vector<CopySource> ReadCopySources(const ScriptFile& script, const PackageFolder& package);

// The name a file in the system's compressed format expands to, or nullopt for another format.
std::optional<std::string> ExpandedName(const std::string& header, const std::string& compressedName);
