#pragma once
// The package a setup program may carry inside itself (engine/payload.h): checked before
// anything else runs, taken out into a folder the program makes and holds, removed at the end.
#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/payload.h"

// The running program's payload state; the first call reads the whole file once.
PayloadState OwnPayloadState();

// Takes the files the run needs before it starts out into folder, which must not exist yet:
// each file is written, given its time and attributes, and held against writing, renaming and
// deleting once its bytes are read back whole. The [CopyFile] sources stay in the payload for
// the copy step. False when anything fails.
[[nodiscard]] bool UnpackOwnPackage(const std::string& folder);

// Where a file of the package is, by its name in the package ("README.TXT", "DISK2\\B.TXT",
// letter case ignored): in a program that carried its package, where it was taken out to (or
// for a file still in the payload, would be), or empty when it carried no such file; else
// beside the program.
std::string PackagedFile(const std::string& name);
std::string PackageFilePath(const std::string& name);

// A file the copy step takes straight from the payload, by the path PackagedFile gives it;
// null for any other path.
const PayloadFile* CopiedPackageFile(const std::string& path);
// Writes that file's bytes into staged, made anew, with its time and the archive mark alone,
// checked against its CRC. The payload is read forward once, in the order the run asks for
// files: those passed over on the way are kept in the work folder till asked for, and a file
// asked for again is copied from where it was put while that still holds its bytes, else read
// again from the start. 0 or the system's error (ERROR_CRC when the payload is damaged).
[[nodiscard]] unsigned long WriteCopiedFile(const std::string& source, const std::string& staged,
                                            const std::string& destination);

// The setup program as the uninstaller must be: the running file itself, or for a packed one
// the program that was packed (its signature of then included), known once UnpackOwnPackage
// has run. Empty when it cannot be read.
std::string RunningSetupProgram();
// Its time as FILETIME; for a plain program 0 (the copy keeps the file's own).
std::uint64_t PackedProgramTime();

// Writes bytes as a new file with the given time (FILETIME, 0 for now), then holds it once
// what it reads back is those bytes. False when any step fails.
[[nodiscard]] bool WriteAndHoldFile(const std::string& path, const std::string& bytes, std::uint64_t writeTime,
                                    std::uint32_t attributes = FILE_ATTRIBUTE_NORMAL);

// Lets go of the package's files and deletes them with their folders, and of the payload.
void RemoveUnpackedPackage();
