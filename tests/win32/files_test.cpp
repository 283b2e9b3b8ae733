#include "engine/file_copy_win.h"
#include "engine/file_delete_win.h"
#include "engine/files_win.h"
#include "engine/system_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/environment.h"
#include "test_support_win.h"

namespace {

int CountEntries(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*").c_str(), &data);
    int n = 0;
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        if (lstrcmpA(data.cFileName, ".") && lstrcmpA(data.cFileName, "..")) ++n;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return n;
}

FILETIME WriteTime(const std::string& path) {
    WIN32_FIND_DATAA data{};
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    return data.ftLastWriteTime;
}

void SetWriteTime(const std::string& path, DWORD low, DWORD high) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const FILETIME time{low, high};
    SetFileTime(h, nullptr, nullptr, &time);
    CloseHandle(h);
}

bool SameTime(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) == 0; }

}  // namespace

TEST(CreateFolderPath, TrailByteBackslashStaysInsideOneFolderName) {
    ScratchFolder dir;
    ASSERT_EQ(CreateFolderPath(dir / "表\\ソ能"), 0u);
    EXPECT_EQ(CountEntries(dir.path()), 1);
    EXPECT_TRUE(FolderExists(dir / "表"));
    EXPECT_TRUE(FolderExists(dir / "表\\ソ能\\"));
    EXPECT_EQ(CountEntries(dir / "表\\"), 1);
    // Every level already there: true, nothing created.
    EXPECT_EQ(CreateFolderPath(dir / "表\\ソ能\\"), 0u);
    EXPECT_EQ(CountEntries(dir / "表\\"), 1);
}

TEST(FolderExists, FilesAreNoFoldersAndEmptyRootsCountAsMissing) {
    ScratchFolder dir;
    WriteFile(dir / "f.txt", "x");
    EXPECT_FALSE(FolderExists(dir / "f.txt"));
    EXPECT_FALSE(FolderExists(dir / "missing"));
    EXPECT_TRUE(FolderExists(dir.path()));
    // The test run maps drive Q: to an empty folder when it can.
    if (GetDriveTypeA("Q:\\") != DRIVE_NO_ROOT_DIR) {
        EXPECT_FALSE(FolderExists("Q:\\"));
    }
}

TEST(NamesFolder, OnlyAFolderItselfAndNoFileOrMissingPath) {
    ScratchFolder dir;
    WriteFile(dir / "f.txt", "x");
    EXPECT_EQ(CreateFolderPath(dir / "sub\\"), 0u);
    EXPECT_TRUE(NamesFolder(dir / "sub"));
    EXPECT_TRUE(NamesFolder(dir / "sub\\"));
    EXPECT_FALSE(NamesFolder(dir / "f.txt"));
    EXPECT_FALSE(NamesFolder(dir / "missing"));
    EXPECT_FALSE(NamesFolder(dir / "s*"));  // a pattern is no folder, even when a folder matches it
}

TEST(CopyOneFile, ReplacesReadOnlyTargetsAndClearsTheMark) {
    ScratchFolder dir;
    WriteFile(dir / "src.txt", "new");
    WriteFile(dir / "dst.txt", "old");
    SetFileAttributesA((dir / "src.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((dir / "dst.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(CopyOneFile(dir / "src.txt", dir / "dst.txt"), 0u);
    EXPECT_EQ(ReadFile(dir / "dst.txt"), "new");
    EXPECT_EQ(GetFileAttributesA((dir / "dst.txt").c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
    EXPECT_EQ(CopyOneFile(dir / "nothing.txt", dir / "x.txt"), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    SetFileAttributesA((dir / "src.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(CopyOneFile, HiddenOrSystemTargetsAreReplacedAndTheSourceTimeKept) {
    ScratchFolder dir;
    WriteFile(dir / "src.txt", "new");
    WriteFile(dir / "dst.txt", "old");
    SetWriteTime(dir / "src.txt", 0x12345600, 0x01c00000);  // a day in 1998
    SetFileAttributesA((dir / "dst.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(CopyOneFile(dir / "src.txt", dir / "dst.txt"), 0u);
    EXPECT_EQ(ReadFile(dir / "dst.txt"), "new");
    EXPECT_EQ(GetFileAttributesA((dir / "dst.txt").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_TRUE(SameTime(WriteTime(dir / "dst.txt"), WriteTime(dir / "src.txt")));
}

TEST(CopyOneFile, EmptyAndMultiChunkFilesArriveWhole) {
    ScratchFolder dir;
    std::string big;
    for (int i = 0; big.size() < 700 * 1024 + 3; ++i) big += std::to_string(i * 7919) + ",";  // crosses chunk ends
    WriteFile(dir / "big.bin", big);
    WriteFile(dir / "empty.bin", "");
    std::vector<char> buffer;
    EXPECT_EQ(CopyOneFile(dir / "big.bin", dir / "big.out", buffer), 0u);
    EXPECT_EQ(ReadFile(dir / "big.out"), big);
    WriteFile(dir / "empty.out", "was longer");
    EXPECT_EQ(CopyOneFile(dir / "empty.bin", dir / "empty.out", buffer), 0u);  // the buffer kept for the next
    EXPECT_EQ(ReadFile(dir / "empty.out"), "");
}

TEST(CopyOneFile, LockedTargetIsASharingViolationAndKeepsItsBytesWhileAWrittenSourceIsRead) {
    ScratchFolder dir;
    WriteFile(dir / "src.txt", "new");
    WriteFile(dir / "dst.txt", "old");
    HANDLE held = CreateFileA((dir / "dst.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CopyOneFile(dir / "src.txt", dir / "dst.txt"), static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
    CloseHandle(held);
    EXPECT_EQ(ReadFile(dir / "dst.txt"), "old");
    // A source that another program has open for writing is read all the same.
    HANDLE writer = CreateFileA((dir / "src.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CopyOneFile(dir / "src.txt", dir / "dst.txt"), 0u);
    CloseHandle(writer);
    EXPECT_EQ(ReadFile(dir / "dst.txt"), "new");
    // A missing source leaves a missing target missing, not created empty.
    EXPECT_EQ(CopyOneFile(dir / "none.txt", dir / "none.out"), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(FileExists(dir / "none.out"));
}

TEST(BackgroundCopy, ResultsComeInOrderAndAPendingCopyIsFinishedOnTheWayOut) {
    ScratchFolder dir;
    WriteFile(dir / "a.txt", "alpha");
    WriteFile(dir / "b.txt", "beta");
    {
        StagingFolders staging;
        BackgroundCopy copier;
        copier.Start(dir / "a.txt", dir / "a.out", staging.For(dir / "a.out"));
        EXPECT_EQ(copier.Finish(), 0u);
        EXPECT_EQ(ReadFile(dir / "a.out"), "alpha");
        copier.Start(dir / "missing.txt", dir / "m.out", staging.For(dir / "m.out"));
        EXPECT_EQ(copier.Finish(), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
        EXPECT_EQ(copier.Finish(), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));  // asked twice, same answer
        copier.Start(dir / "b.txt", dir / "b.out", staging.For(dir / "b.out"));  // not finished: the end waits for it
    }
    EXPECT_EQ(ReadFile(dir / "b.out"), "beta");
    EXPECT_FALSE(FolderExists(dir / "~KSCOPY"));  // the staging folder goes with the run
}

// Both ways of putting a file in place: the replacing move, and the 95 platform's renames.
class CopyIntoPlaceTest : public ::testing::TestWithParam<WindowsFamily> {
protected:
    void SetUp() override {
        saved_ = Environment().OsFamily;
        Environment().OsFamily = GetParam();
    }
    void TearDown() override { Environment().OsFamily = saved_; }
    unsigned long Copy(const std::string& source, const std::string& destination) {
        return CopyIntoPlace(source, destination, staging_.For(destination), buffer_);
    }
    ScratchFolder dir_;
    StagingFolders staging_;
    std::vector<char> buffer_;

private:
    WindowsFamily saved_ = WindowsFamily::Unknown;
};

TEST_P(CopyIntoPlaceTest, NewAndReplacedFilesArriveWholeWithTheSourceTimeAndNothingBeside) {
    WriteFile(dir_ / "src.txt", "version 2");
    SetWriteTime(dir_ / "src.txt", 0x12345600, 0x01c00000);
    EXPECT_EQ(Copy(dir_ / "src.txt", dir_ / "new.txt"), 0u);
    WriteFile(dir_ / "old.txt", "version 1, longer");
    SetFileAttributesA((dir_ / "old.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Copy(dir_ / "src.txt", dir_ / "old.txt"), 0u);
    for (const char* name : {"new.txt", "old.txt"}) {
        EXPECT_EQ(ReadFile(dir_ / name), "version 2") << name;
        EXPECT_EQ(GetFileAttributesA((dir_ / name).c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE)) << name;
        EXPECT_TRUE(SameTime(WriteTime(dir_ / name), WriteTime(dir_ / "src.txt"))) << name;
    }
    EXPECT_EQ(CountEntries(dir_ / "~KSCOPY\\"), 0);
    staging_.RemoveAll();
    EXPECT_EQ(CountEntries(dir_.path()), 3);
}

TEST_P(CopyIntoPlaceTest, AFailedCopyLeavesThePreviousVersionAndAHeldOneIsASharingViolation) {
    WriteFile(dir_ / "dst.txt", "version 1");
    // A source that cannot be read: the destination keeps its bytes, nothing is left beside it.
    EXPECT_EQ(Copy(dir_ / "missing.txt", dir_ / "dst.txt"), static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
    HANDLE source = CreateFileA((dir_ / "locked.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_EQ(Copy(dir_ / "locked.txt", dir_ / "dst.txt"), static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
    CloseHandle(source);
    EXPECT_EQ(ReadFile(dir_ / "dst.txt"), "version 1");
    // A destination another program holds: reported as in use, so that the restart replaces it.
    WriteFile(dir_ / "src.txt", "version 2");
    HANDLE held =
        CreateFileA((dir_ / "dst.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Copy(dir_ / "src.txt", dir_ / "dst.txt"), static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
    CloseHandle(held);
    EXPECT_EQ(ReadFile(dir_ / "dst.txt"), "version 1");
    // The new bytes stay staged for the replacement at restart, until the staging folders go.
    EXPECT_EQ(ReadFile(dir_ / "~KSCOPY\\dst.txt"), "version 2");
    staging_.RemoveAll();
    EXPECT_EQ(CountEntries(dir_.path()), 3);
}

INSTANTIATE_TEST_SUITE_P(Platforms, CopyIntoPlaceTest, ::testing::Values(WindowsFamily::Nt, WindowsFamily::NotNt));

TEST(PutInPlace, A95RunCutBetweenItsRenamesIsUndoneOrFinishedByTheNext) {
    ScratchFolder dir;
    const WindowsFamily saved = Environment().OsFamily;
    Environment().OsFamily = WindowsFamily::NotNt;
    StagingFolders staging;
    std::vector<char> buffer;
    const std::string folder = staging.For(dir / "a.txt");
    WriteFile(dir / "src.txt", "version 2");
    // Cut after the old file went aside: it comes back before anything else happens.
    WriteFile(folder + "a.txt.OLD", "version 1");
    WriteFile(folder + "a.txt", "version 2, cut");
    RecoverPutInPlace(folder + "a.txt", dir / "a.txt");
    EXPECT_EQ(ReadFile(dir / "a.txt"), "version 1");
    // Cut after the new one came in: the old one goes, and a copy goes on as usual.
    WriteFile(folder + "a.txt.OLD", "version 1");
    EXPECT_EQ(CopyIntoPlace(dir / "src.txt", dir / "a.txt", folder, buffer), 0u);
    EXPECT_EQ(ReadFile(dir / "a.txt"), "version 2");
    EXPECT_EQ(CountEntries(folder), 0);
    Environment().OsFamily = saved;
}

TEST(ShellDeleteFile, PlainMissingPathIsTwoAndWildcardsDeleteEveryMatch) {
    ScratchFolder dir;
    EXPECT_EQ(ShellDeleteFile(dir / "missing.txt"), 2u);
    WriteFile(dir / "a.tmp", "a");
    WriteFile(dir / "b.tmp", "b");
    WriteFile(dir / "keep.txt", "k");
    EXPECT_EQ(ShellDeleteFile(dir / "*.tmp"), 0u);
    EXPECT_FALSE(FileExists(dir / "a.tmp"));
    EXPECT_FALSE(FileExists(dir / "b.tmp"));
    EXPECT_TRUE(FileExists(dir / "keep.txt"));
    (void)ShellDeleteFile(dir / "*.none");  // a wildcard that matches nothing goes to the shell and is harmless
    EXPECT_EQ(ShellDeleteFile(dir / "keep.txt"), 0u);
    EXPECT_FALSE(FileExists(dir / "keep.txt"));
}

TEST(ShellDeleteFile, ReadOnlyFilesAndFoldersGoTooAndWhatIsGoneIsTwo) {
    ScratchFolder dir;
    WriteFile(dir / "ro.txt", "r");
    SetFileAttributesA((dir / "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(ShellDeleteFile(dir / "ro.txt"), 0u);
    EXPECT_FALSE(FileExists(dir / "ro.txt"));
    EXPECT_EQ(ShellDeleteFile(dir / "ro.txt"), 2u);
    EXPECT_EQ(CreateFolderPath(dir / "sub\\"), 0u);
    WriteFile(dir / "sub\\in.txt", "i");
    EXPECT_EQ(ShellDeleteFile(dir / "sub"), 0u);  // a folder goes through the shell, with what it holds
    EXPECT_FALSE(NamesFolder(dir / "sub"));
    EXPECT_EQ(ShellDeleteFile(dir / "nofolder\\x.txt"), 2u);
}

TEST(RemoveFolderWithPatterns, EmptiesWithPatternsOrRemovesOnlyEmptyFolders) {
    ScratchFolder dir;
    EXPECT_EQ(CreateFolderPath(dir / "full\\"), 0u);
    WriteFile(dir / "full\\a.txt", "a");
    WriteFile(dir / "full\\表.dat", "b");
    EXPECT_NE(RemoveFolderWithPatterns(dir / "full", ""), 0u);
    EXPECT_TRUE(FolderExists(dir / "full"));
    EXPECT_EQ(RemoveFolderWithPatterns(dir / "full", "*.*|"), 0u);
    EXPECT_FALSE(FolderExists(dir / "full"));
    EXPECT_EQ(CreateFolderPath(dir / "two\\"), 0u);
    WriteFile(dir / "two\\a.txt", "a");
    WriteFile(dir / "two\\b.log", "b");
    EXPECT_EQ(RemoveFolderWithPatterns(dir / "two\\", "*.txt||*.log"), 0u);
    EXPECT_FALSE(FolderExists(dir / "two"));
    EXPECT_EQ(CreateFolderPath(dir / "empty\\"), 0u);
    EXPECT_EQ(RemoveFolderWithPatterns(dir / "empty", ""), 0u);
}

TEST(FreeSpace, BothQueriesAnswerForTheSystemDrive) {
    FreeSpace ex = QueryFreeSpace("C:");
    FreeSpace clusters = QueryFreeSpaceByClusters("C:\\");
    ASSERT_TRUE(ex.ok);
    ASSERT_TRUE(clusters.ok);
    EXPECT_GT(ex.bytes, 0);
    EXPECT_GT(clusters.bytes, 0);
    EXPECT_FALSE(QueryFreeSpace("P:").ok);
    EXPECT_EQ(QueryFreeSpaceByClusters("P:").bytes, -1);
}

TEST(ShortPath, ExistingPathsOnly) {
    ScratchFolder dir;
    WriteFile(dir / "a long file name.text", "x");
    std::string shortName = GetShortPath(dir / "a long file name.text");
    EXPECT_FALSE(shortName.empty());
    EXPECT_TRUE(FileExists(shortName));
    EXPECT_EQ(GetShortPath(dir / "missing file.text"), "");
}

TEST(WholeFile, BytesComeBackUnchangedAndAFailedWriteLeavesNoFile) {
    ScratchFolder dir;
    // Past the read buffer, with NULs, CR LF and a Shift-JIS 0x5C trail byte.
    std::string text = "表\\ソ\r\n";
    text += std::string(1, '\0');
    while (text.size() < 40000) text += static_cast<char>('a' + text.size() % 26);
    EXPECT_EQ(WriteWholeFile(dir / "a.bin", text), 0u);
    EXPECT_EQ(ReadWholeFile(dir / "a.bin"), text);
    EXPECT_EQ(WriteWholeFile(dir / "a.bin", "short"), 0u);  // replaces, never appends
    EXPECT_EQ(ReadWholeFile(dir / "a.bin"), "short");
    EXPECT_EQ(ReadWholeFile(dir / "missing.bin"), "");
    EXPECT_EQ(WriteWholeFile(dir / "no\\such\\folder.bin", text), static_cast<unsigned long>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(FileExists(dir / "no"));
}
