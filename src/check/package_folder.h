#pragma once
// The package as the distributor keeps it: the script, the files beside it and, for a
// package on several disks, optional subfolders DISK2, DISK3, ... with each later disk's files.
#include <map>
#include <optional>
#include <string>
#include <vector>

class PackageFolder {
public:
    // A file of the package: its path, its name relative to the package as the script writes
    // it (Shift-JIS, "DISK2\" before a later disk's files), and whether the folder holds it
    // twice: once named in UTF-8, once in Shift-JIS (the Shift-JIS one is taken).
    struct Entry {
        std::string path;
        std::string name;
        bool twin = false;
    };

    // Lists the folder and its disk subfolders; false when the folder cannot be read.
    bool Open(const std::string& folder);
    // The path of a file of the package (letter case ignored, as on the user's system), or nullopt.
    std::optional<std::string> Find(const std::string& name, int disk = 1) const;
    const Entry* FindEntry(const std::string& name, int disk = 1) const;
    // The same for a name with subfolders, relative to the package ("TOOLS\CHECK.EXE").
    std::optional<std::string> FindRelative(const std::string& relativePath) const;
    // Every file and folder beside the script and on the later disks' folders.
    std::vector<Entry> Entries() const;
    // The script's bytes, or nullopt when the package has no readable script.
    std::optional<std::string> ReadScript() const;
    // The whole file, or nullopt when it cannot be read.
    static std::optional<std::string> Read(const std::string& path);
    // The first bytes of a file (for headers); empty when it cannot be read.
    static std::string Head(const std::string& path, std::size_t count);
    // A name or path of this system as the script writes it: Shift-JIS. The native build also
    // takes UTF-8, as Linux tools and terminals write it; Windows hands over Shift-JIS.
    static std::string ScriptName(const std::string& name);

private:
    using Listing = std::map<std::string, Entry>;  // upper-case Shift-JIS name -> file
    static bool List(const std::string& folder, const std::string& prefix, Listing& listing);
    std::string folder_;
    Listing files_;
    std::map<int, Listing> disks_;
};
