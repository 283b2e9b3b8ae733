#pragma once
// One [CopyFile] entry: "(Dch)" destination [ "|" new-name ] [ "," options ].
#include <cstdint>
#include <string>

struct CopyEntry {
    std::string source;       // the package file: source folder + the destination's file name
    std::string destination;  // "...\AUTO.EXT" for a compressed file whose stored name decides
    std::string options;      // empty, or "," + the second field, as the log records it
    bool diskChange = false;  // "(Dch)": the file is on the next disk
    bool compressed = false;  // the source's name ends in "_"
};

// Parses the raw value (folder macros are expanded here).
CopyEntry ParseCopyEntry(const std::string& value, const std::string& sourceFolder);

// Option letters ("/S", "/W", "/R", and at removal "/C", "/L", "/F"), found anywhere, any case.
bool HasOption(const std::string& options, const char* letter);

enum class OverwriteAction { Copy, Ask, Keep };
// What to do with an existing destination: ask when the overwrite choice is off, else copy
// only a newer source (ages are packed file times, compared signed).
OverwriteAction DecideOverwrite(bool destinationExists, bool overwriteChoice, long sourceAge, long destinationAge);

// The texts the copy step shows for an entry.
std::string CopyEntryText(const std::string& source, const std::string& destination);
std::string MissingSourceText(const std::string& source, const std::string& destination);

// The size a compressed package file says its expansion has: the 4 bytes after the magic
// "SZDD", the method and the missing letter. -1 when the bytes start no such header.
std::int64_t ExpandedSizeInHeader(const std::string& firstBytes);
// The name a file of that name and first bytes expands to: the "_" that ends a compressed
// file's name becomes the letter its header stores; any other file keeps its name.
std::string ExpandedNameInHeader(const std::string& firstBytes, const std::string& name);
constexpr std::size_t kCompressedHeaderSize = 14;
