// The package's files: measuring them, then copying or expanding each [CopyFile] entry.
#include <windows.h>
#include <lzexpand.h>

#include <vector>

#include "engine/code_page.h"
#include "engine/environment.h"
#include "engine/file_copy_win.h"
#include "engine/file_delete_win.h"
#include "engine/files_win.h"
#include "owned_win.h"
#include "engine/ini_file_win.h"
#include "engine/messages_win.h"
#include "engine/paths.h"
#include "engine/payload_win.h"
#include "engine/restart_files_win.h"
#include "engine/shared_dll_win.h"
#include "engine/strings.h"
#include "install/copy_entry.h"
#include "install/installation_win.h"
#include "system_dll_win.h"
#include "system_files_win.h"
#include "system_text_win.h"

namespace {

// A component that did not register is named in a box of its own over its entry; the copy stands.
void ReportRegistration(RunView& view, const std::string& path, ComponentRegistration result) {
    switch (result) {
        case ComponentRegistration::NotLoaded:
            view.Ask(path + "の読み込みに失敗しました。", "OCX/DLL登録エラー(LoadLibrary)", 48);
            break;
        case ComponentRegistration::NoEntryPoint:
            view.Ask(path + "のDllRegisterServerエントリが見つかりません。", "OCX/DLL登録エラー(GetProcAddress)", 48);
            break;
        case ComponentRegistration::EntryFailed:
            view.Ask(path + "のDllRegisterServer関数が失敗しました。", "OCX/DLL登録エラー(Procedure)", 48);
            break;
        case ComponentRegistration::Registered:
        case ComponentRegistration::Unregistered: break;
    }
}

// The entry with its source where this run finds it: a package taken out of the program keeps
// a later disk's files below DISKn, as the distributor kept them, or beside the script.
CopyEntry EntryOnDisk(const std::string& value, int disk) {
    CopyEntry entry = ParseCopyEntry(value, Environment().SourceFolder);
    if (!Environment().FromPayload) return entry;
    const std::string name = NameOfPath(entry.source);
    std::string path = disk >= 2 ? PackagedFile("DISK" + std::to_string(disk) + "\\" + name) : "";
    if (path.empty()) path = PackagedFile(name);
    if (!path.empty()) entry.source = path;
    return entry;
}

// The LZ expansion service, from the system folder. It reads and writes files this program
// opened, so that no name passes through it: its names are the system code page's alone.
struct LzService {
    decltype(&GetExpandedNameA) expandedName =
        SystemFunction<decltype(&GetExpandedNameA)>("LZ32.DLL", "GetExpandedNameA");
    decltype(&LZInit) init = SystemFunction<decltype(&LZInit)>("LZ32.DLL", "LZInit");
    decltype(&LZCopy) copy = SystemFunction<decltype(&LZCopy)>("LZ32.DLL", "LZCopy");
    decltype(&LZClose) close = SystemFunction<decltype(&LZClose)>("LZ32.DLL", "LZClose");
    bool Loaded() const { return expandedName && init && copy && close; }
};

const LzService& Lz() {
    static const LzService service;
    return service;
}

// A file the LZ service opened: a handle of 0 or more.
struct LzFileKind {
    using Type = INT;
    static INT Empty() { return -1; }
    static bool Valid(INT file) { return file >= 0; }
    static void Release(INT file) {
        if (file >= 0) Lz().close(file);
    }
};

// A file handle as the service's file number, as the system's own file calls give it.
HFILE AsServiceFile(HANDLE file) { return static_cast<HFILE>(reinterpret_cast<INT_PTR>(file)); }

// Expands source into temporary; the service's count of bytes written or its negative error.
LONG ExpandInto(const std::string& source, const std::string& temporary) {
    const LzService& lz = Lz();
    if (!lz.Loaded()) return LZERROR_BADINHANDLE;
    // Readers may share it (a one-file package's own files are held open for reading).
    OwnedHandle in(CreateFile932(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    const OwnedHandle out(
        CreateFile932(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in.valid() || !out.valid()) return LZERROR_BADINHANDLE;
    const Owned<LzFileKind> expanding(lz.init(AsServiceFile(in.get())));
    if (!expanding.valid()) return expanding.get();
    in.release();  // the service closes it with its own handle
    return lz.copy(expanding.get(), AsServiceFile(out.get()));
}

// One search of the source, or for a file still in the payload its record there.
FileStamp SourceStamp(const std::string& path) {
    const PayloadFile* file = CopiedPackageFile(path);
    if (!file) return ReadFileStamp(path);
    return {true, FileTimeAge(file->writeTime), static_cast<std::int64_t>(file->size)};
}

std::vector<std::string> CopyFileEntries() { return ReadNumberedValues("CopyFile", "File", Environment().ScriptPath); }

// The first bytes of a file, as many as it has up to n.
std::string ReadFileStart(const std::string& path, std::size_t n) {
    OwnedHandle file(CreateFile932(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes(n, '\0');
    DWORD got = 0;
    if (!file.valid() || !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(n), &got, nullptr)) return "";
    bytes.resize(got);
    return bytes;
}

// The service's negative results as the system's errors; a short expansion ends the file too soon.
unsigned long ExpansionError(LONG written, std::int64_t expected) {
    switch (written) {
        case LZERROR_READ: return ERROR_READ_FAULT;
        case LZERROR_WRITE: return ERROR_WRITE_FAULT;
        case LZERROR_GLOBALLOC: return ERROR_NOT_ENOUGH_MEMORY;
        default: break;
    }
    if (written < 0) return ERROR_INVALID_DATA;
    return expected >= 0 && written != expected ? ERROR_HANDLE_EOF : 0;
}

struct Expansion {
    std::string temporary;    // EXPAND.BST in the work folder
    std::string destination;  // the stored name decided
    unsigned long error = 0;  // a cut or damaged package file: nothing of it is installed
};

// Expands an LZ-compressed source into EXPAND.BST in the work folder, checked against the
// size the compressed file's header gives.
Expansion ExpandCompressedFile(const std::string& source, std::string destination) {
    if (NameOfPath(destination) == "AUTO.EXT") {
        std::string expanded;
        if (!CurrentTextBoundary().systemCodePage) {
            // Off code page 932 the service cannot open the file by its name: the name is made
            // as the service makes it, from the letter the header stores.
            expanded = ExpandedNameInHeader(ReadFileStart(source, kCompressedHeaderSize), source);
        } else if (Lz().Loaded()) {
            // The service writes a name as long as the source's path, without a size limit.
            std::vector<char> name(source.size() + MAX_PATH, '\0');
            Lz().expandedName(const_cast<char*>(source.c_str()), name.data());
            expanded = name.data();
        }
        destination =
            RemovePathDelimiter(FolderOfPath(destination), "B") + "\\" + MapString(NameOfPath(expanded), kMapUpperCase);
    }
    // In the folder start-up made, not loose in the temporary folder, where another program
    // could have left a link under that name for an elevated setup to write through.
    Expansion result{Environment().WorkFolder + "EXPAND.BST", destination};
    const std::string& temporary = result.temporary;
    if (FileExists(temporary)) (void)ShellDeleteFile(temporary);  // the expansion's open then fails and says so
    const LONG written = ExpandInto(source, temporary);
    result.error = ExpansionError(written, ExpandedSizeInHeader(ReadFileStart(source, kCompressedHeaderSize)));
    // The service gives the copy the compressed file's time; the expanded file is new, so
    // that with automatic overwrite it replaces whatever is installed.
    OwnedHandle file(
        CreateFile932(temporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid()) {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        SetFileTime(file.get(), nullptr, nullptr, &now);
    }
    return result;
}

enum class Outcome { Copied, Scheduled, Failed, SourceMissing };
// An entry between its decision and its result, while the copy may still be under way.
struct FileJob {
    bool missing = false;
    bool copying = false;
    long sourceAge = -1;
    unsigned long error = 0;       // the entry failed before any copy: a cut compressed file
    std::string compressedSource;  // the package file, when the copy is of its expansion
};

void AskForDisk(Installation& run, const std::string& source) {
    // The question comes at least once, even when the file is already there.
    ++run.state.diskNumber;
    ShowPendingEntry(run);
    if (Environment().FromPayload) return;  // every disk came inside the program
    if (!run.view.AskForDisk(run.state.diskNumber, source))
        FatalStop(run, run.context.setupString + "を続行できませんでした。", "致命的エラー");
}

FileJob StartFile(Installation& run, CopyEntry& entry, const FileStamp& source) {
    FileJob job;
    if (!source.exists) {
        ShowEntry(run, MissingSourceText(entry.source, entry.destination));
        job.missing = true;
        return job;
    }
    job.sourceAge = source.age;
    if (entry.compressed) {
        job.compressedSource = entry.source;
        const Expansion expansion = ExpandCompressedFile(entry.source, entry.destination);
        entry.source = expansion.temporary;
        entry.destination = expansion.destination;
        job.sourceAge = FileAge(entry.source);
        job.error = expansion.error;
    }
    ShowEntry(run, CopyEntryText(entry.source, entry.destination));
    if (job.error) return job;  // nothing of a cut file is installed, the installed copy stays

    const FolderListing::Entry existing = run.destinations.Find(entry.destination);
    bool copy = true;
    switch (DecideOverwrite(existing.exists, run.context.choices.overwrite, job.sourceAge, existing.age)) {
        case OverwriteAction::Ask:
            ShowPendingEntry(run);
            copy = run.view.Ask(
                       entry.destination + "\r\n\r\nこのファイルは既に存在します。\r\n上書きしてもよろしいですか？",
                       "上書き確認", MB_YESNO | MB_ICONQUESTION,
                       {IDNO, "上書きの選択がないので、既存のファイルを残します"}) == IDYES;
            break;
        case OverwriteAction::Keep: copy = false; break;
        case OverwriteAction::Copy: break;
    }
    // Raised before it is written down: a crash between the two leaves one count too many,
    // which keeps a file, never one too few, which would remove another program's.
    const bool counted =
        !run.takenOver.counted.empty() && run.takenOver.counted.count(MapString(entry.destination, kMapUpperCase)) != 0;
    if (HasOption(entry.options, "/S") && !counted) ChangeSharedCount(entry.destination, true);
    Journal(run, JournalKind::File, entry.destination + entry.options);
    job.copying = copy || HasOption(entry.options, "/W");
    if (job.copying) run.copier.Start(entry.source, entry.destination, run.staging.For(entry.destination));
    else run.staging.Note(entry.destination);
    return job;
}

Outcome FinishFile(Installation& run, CopyEntry& entry, const FileJob& job, unsigned long& error) {
    if (job.missing) return Outcome::SourceMissing;
    error = job.copying ? run.copier.Finish() : job.error;
    // A copy keeps the source's time; after a failure the folder has to be asked.
    if (job.copying && error == 0) run.destinations.Record(entry.destination, job.sourceAge);
    else if (job.copying) run.destinations.Update(entry.destination);
    if (HasOption(entry.options, "/R") && !job.error && run.destinations.Find(entry.destination).exists) {
        ShowPendingEntry(run);  // a registration problem is shown over its entry
        ReportRegistration(run.view, entry.destination, RegisterComponent(entry.destination, true));
    }

    Outcome outcome = Outcome::Copied;
    if (error == ERROR_SHARING_VIOLATION) {
        // From the staged copy, which a source still in the payload has nowhere else.
        const std::string staged = StagedPath(run.staging.For(entry.destination), entry.destination);
        ReportRestartFailure(run.view, ReplaceFileAtRestart(staged, entry.destination));
        outcome = Outcome::Scheduled;
    } else if (error != 0) {
        outcome = Outcome::Failed;
    }
    if (entry.compressed) {
        (void)ShellDeleteFile(entry.source);  // the work folder goes at the end in any case
        entry.source = job.compressedSource;
    }
    return outcome;
}

void CopyOne(Installation& run, int n, const std::string& value) {
    CopyEntry entry = ParseCopyEntry(value, Environment().SourceFolder);
    if (entry.diskChange) AskForDisk(run, entry.source);
    if (Environment().FromPayload) entry = EntryOnDisk(value, run.state.diskNumber);
    // One search of the source serves the copy decision and the progress in bytes.
    const FileStamp source = SourceStamp(entry.source);
    const FileJob job = StartFile(run, entry, source);
    Pause(run);  // the copy goes on meanwhile
    unsigned long error = 0;
    const Outcome outcome = FinishFile(run, entry, job, error);
    switch (outcome) {
        case Outcome::Scheduled: run.state.lockedFile = true; [[fallthrough]];
        case Outcome::Copied: run.state.lists.files.current.push_back(entry.destination + entry.options); break;
        case Outcome::Failed:
            run.status.AddFailure("<File> " + entry.destination + "\r\n" + SystemErrorText(error));
            break;
        case Outcome::SourceMissing:
            run.status.AddFailure("<File> " + entry.source + "\r\nコピー元のファイルが見つかりません。\r\n\r\n");
            break;
    }
    ++run.state.doneCount;
    if (run.state.sizeProgress && outcome != Outcome::SourceMissing) {
        const std::int64_t size = source.size;
        if (size < 0) {
            run.state.sizeProgress = false;
            run.view.Ask("ファイルサイズの取得に失敗したため、進行状況の表示方法を変更します。", "内部エラー",
                         MB_ICONEXCLAMATION);
        } else {
            run.state.doneBytes += CountedSize(size, run.state.sizeProgress);
        }
    }
    // Thousands of small files would otherwise spend their time repainting: the bar moves
    // as often as the eye can follow, and always for the last entry.
    run.progressPending = true;
    run.progressPercent = CopyProgressPercent(run.state, n);
    if (DisplayDue(run) || n == run.state.entryCount) ShowPendingEntry(run);
    Checkpoint(run);
}

}  // namespace

void MeasurePackage(Installation& run) {
    BeginStep(run, run.context.setupString + "に必要な容量を調べています．．．", StepResult::Done);
    Checkpoint(run);
    Pause(run);
    // The same source the copy step will take, so "(App)NAME" entries are measured too;
    // the install folder is the one the folder step will confirm.
    FolderMacros().Set("(App)", AddPathDelimiter(run.context.choices.folder, "B"));
    int disk = 1;
    for (const std::string& value : CopyFileEntries()) {
        ++run.state.entryCount;
        if (ParseCopyEntry(value, "").diskChange) ++disk;
        const std::int64_t size = SourceStamp(EntryOnDisk(value, disk).source).size;
        if (size < 0) run.state.sizeProgress = false;  // e.g. on a later disk: progress by entries
        else run.state.totalBytes += CountedSize(size, run.state.sizeProgress);
    }
    EndStep(run);
}

void CopyFiles(Installation& run) {
    run.view.ShowProgressBar(true);
    BeginStep(run, "ファイルをコピーしています．．．", StepResult::Done);
    run.state.doneCount = 0;
    run.view.ShowProgress(0, 0, run.state.entryCount);
    const std::vector<std::string> entries = CopyFileEntries();
    for (std::size_t i = 0; i < entries.size(); ++i) CopyOne(run, static_cast<int>(i + 1), entries[i]);
    if (run.state.lockedFile)
        run.status.StepStatus =
            run.status.StepStatus == StepResult::PartFailed ? StepResult::PartFailedLocked : StepResult::Locked;
    run.staging.RemoveAll();
    EndStep(run);
    run.view.ShowProgressBar(false);
    run.state.lists.files.current.push_back(LogPath());
}
