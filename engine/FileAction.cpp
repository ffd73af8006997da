#include "engine/FileAction.h"

#include <cmath>

#include "app/Settings.h"
#include "common/TempName.h"
#include "app/Utils.h"
#include "engine/FileOps.h"
#include "engine/RunState.h"
#include "engine/RunView.h"
#include "engine/SafeCopy.h"
#include "engine/Statistics.h"
#include "engine/Walk.h"

namespace {

constexpr short ComparisonMode = 2;
constexpr DWORD SharingViolation = 32;

uint64_t FileTimeValue(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

int32_t PercentOf(int64_t bytes) {
    if (bytes == 0 || CurrentRun.TotalBytes <= 0) return 0;
    return static_cast<int32_t>(std::llround(static_cast<double>(bytes) / CurrentRun.TotalBytes * 100));
}

std::wstring PercentLine(int32_t percent, int64_t copied) {
    return std::to_wstring(percent) + L"% copiés (" + FormatSize(static_cast<double>(copied)) + L" de " +
           FormatSize(static_cast<double>(CurrentRun.TotalBytes)) + L")";
}

// Progress of the block copy. A call that arrives while one is being handled (from the
// events it lets through) only lets events through.
void CopyProgress(int64_t transferred) {
    static bool busy = false;
    if (busy) {
        View().ProcessEvents();
        return;
    }
    busy = true;
    int64_t copied = transferred + CurrentRun.CopiedBytes;
    CurrentRun.PercentDone = PercentOf(copied);
    View().SetProgress(CurrentRun.PercentDone);
    View().SetLabel(3, PercentLine(CurrentRun.PercentDone, copied));
    View().ProcessEvents();
    busy = false;
}

ConfirmAnswer ConfirmReplace(const std::wstring& fileName) {
    ConfirmAnswer answer = View().ConfirmReplace(fileName);
    View().ProcessEvents();
    return answer;
}

// Whether the existing copy may be replaced; a new copy is made without a question.
bool DecideCopy(const std::wstring& name, bool isNew) {
    RunState& run = CurrentRun;
    if (!run.AskConfirmation || isNew) return true;
    switch (ConfirmReplace(name)) {
    case ConfirmAnswer::Yes:
        return true;
    case ConfirmAnswer::All:
        run.AskConfirmation = false;
        return true;
    case ConfirmAnswer::No:
        return false;
    case ConfirmAnswer::Cancel:
        run.Aborted = true;
        return false;
    }
    return false;
}

void RecordCopyFailure(DWORD error, const std::wstring& loggedPath, const std::wstring& name) {
    RecordRunError(error, L"Fichier: " + loggedPath);
    if (Options.ContinueOnError == 0 && error == SharingViolation) CurrentRun.BusyFile = name;
}

// Copy, retry over a normal file, failure accounting, attribute and time fixes, and the
// byte count, which is counted even for a failed copy so the percentage can reach 100.
// After a failed copy the existing copy is left exactly as it was (its data, its time and
// its attributes), so the next run still sees it as outdated and copies the file again.
void CopyAndAccount(const std::wstring& sourcePath, const std::wstring& copyPath, const FileRecord& record,
                    const std::wstring& loggedPath) {
    DWORD error = 0;
    bool copied = CopyOneFile(sourcePath, copyPath, error);
    if (!copied) {
        DWORD before = FileOps::GetAttributes(copyPath);
        ClearReadOnly(copyPath, FILE_ATTRIBUTE_NORMAL);
        copied = CopyOneFile(sourcePath, copyPath, error);
        if (!copied) {
            if (before != INVALID_FILE_ATTRIBUTES) FileOps::SetAttributes(copyPath, before);
            RecordCopyFailure(error, loggedPath, record.name);
        }
    }
    if (copied) {
        if ((record.attributes & FILE_ATTRIBUTE_READONLY) && Options.DelReadOnly != 0) {
            ClearReadOnly(copyPath, record.attributes);
        }
        if (Options.SynchroDate != 0) CopyTimeStamps(copyPath, record);
    }
    CurrentRun.CopiedBytes += static_cast<int64_t>(record.size);
}

// The temporary files that copies cut short (a killed run, a power cut) left in a target
// folder: removed before the first copy into the folder. Only names the copy itself gives
// are taken, never a user's file.
void RemoveLeftovers(const std::wstring& targetDir) {
    if (!FirstCopyInto(targetDir)) return;
    WIN32_FIND_DATAW data;
    std::vector<std::wstring> leftovers;
    {
        FileOps::Find find(FileOps::FindFirst(targetDir + L"~bst*.tmp", data));
        if (!find) return;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsTemporaryName(data.cFileName)) {
                leftovers.emplace_back(data.cFileName);
            }
        } while (FileOps::FindNext(find.Get(), data));
    }
    for (const std::wstring& name : leftovers) {
        FileOps::SetAttributes(targetDir + name, FILE_ATTRIBUTE_NORMAL);
        FileOps::Delete(targetDir + name);
    }
}

void DeleteSurplusFile(const FileRecord& file, const std::wstring& walkedDir) {
    RunState& run = CurrentRun;
    std::wstring path = walkedDir + file.name;
    View().SetPathLabel(2, path);
    bool deleted = FileOps::Delete(path);
    if (!deleted && (file.attributes & FILE_ATTRIBUTE_READONLY)) {
        // A read-only copy is made a normal file first, as the copy pass does before it
        // replaces one.
        ClearReadOnly(path, FILE_ATTRIBUTE_NORMAL);
        deleted = FileOps::Delete(path);
    }
    if (deleted) {
        ++run.FilesDeleted;
        View().SetLabel(3, std::to_wstring(run.FilesDeleted) + L" fichier(s) effacé(s) sur la destination ");
    } else {
        // A file that stays (read-only, in use) leaves the destination unlike the source:
        // the user learns it from the log, and the run counts it as an error.
        DWORD error = GetLastError();
        ++run.ErrorCount;
        if (run.ErrorCount == 1) View().ShowFirstError();
        View().AppendLog(L"Erreur: " + std::to_wstring(error) + L" - " + L"Fichier non effacé: " + path);
    }
    View().ProcessEvents();
}

void ListDifference(const FileRecord& file, const std::wstring& targetDir, const wchar_t* status) {
    RunState& run = CurrentRun;
    ++run.FilesToCopy;
    std::wstring line = targetDir + file.name + status;
    View().AddComparisonLine(line);
    View().AppendLog(line);
    View().SetLabel(2, std::to_wstring(run.FilesToCopy) + L" fichier(s) à copier ");
    View().ProcessEvents();
}

void CopyFileOfDirectory(const FileRecord& file, const std::wstring& sourceDir, const std::wstring& targetDir,
                         bool isNew) {
    RunState& run = CurrentRun;
    run.CopyThisFile = DecideCopy(file.name, isNew);
    if (!run.CopyThisFile) return;
    ShowProgress(file.name, sourceDir, targetDir);
    RemoveLeftovers(targetDir);
    std::wstring sourcePath = sourceDir + file.name;
    CopyAndAccount(sourcePath, targetDir + file.name, file, sourcePath);
    ShowProgress(file.name, sourceDir, targetDir);
    UpdateTiming();
}

// What the pass does with a file that is to be copied.
void FileAction(const FileRecord& file, const std::wstring& sourceDir, const std::wstring& targetDir,
                const wchar_t* status, bool isNew) {
    RunState& run = CurrentRun;
    if (run.AnalysisOnly) {
        run.TotalBytes += static_cast<int64_t>(file.size);
        if (RunMode == ComparisonMode) ListDifference(file, targetDir, status);
        else if (run.SurplusPass) DeleteSurplusFile(file, sourceDir);
        // Counted as well as measured: an empty file to copy adds no byte, yet it must
        // be copied.
        else ++run.FilesToCopy;
        return;
    }
    CopyFileOfDirectory(file, sourceDir, targetDir, isNew);
}

void ShowAnalysedFile(const std::wstring& path) {
    if (CurrentRun.AnalysisOnly && RunMode != ComparisonMode && Options.SuiviAnalyse != 0 &&
        Options.ArbreMode == 0) {
        View().SetPathLabel(2, path);
        View().ProcessEvents();
    }
}

// A mirrored backup or restore brings every copy back to its source's version, a copy
// newer than its source too.
bool MirroredRun() { return Options.SynchroCopie != 0 && RunMode != ComparisonMode; }

void DecideFile(const FileRecord& file, const std::wstring& sourceDir, const std::wstring& targetDir,
                TargetIndex& target) {
    const FileRecord* copy = target.Find(file.name);
    if (CurrentRun.SurplusPass) {
        // Only what has no counterpart in the source is removed. An outdated copy stays until
        // the copy pass replaces it through a temporary file: a copy that then fails (a file
        // in use, a full disk) leaves the previous copy, never none.
        if (!copy) FileAction(file, sourceDir, targetDir, L" n'existe pas", true);
        return;
    }
    if (Config.Modifie == 0 && RunMode != ComparisonMode) {
        // Every file is copied, without comparing.
        if (copy) FileAction(file, sourceDir, targetDir, L" à remplacer", false);
        else FileAction(file, sourceDir, targetDir, L" à copier", true);
        return;
    }
    if (!copy) {
        FileAction(file, sourceDir, targetDir, L" n'existe pas", true);
        return;
    }
    ShowAnalysedFile(sourceDir + file.name);
    int cmp = CompareFileTimes(file, *copy);
    if (file.size == copy->size && file.attributes == copy->attributes && cmp == 0) return;  // up to date
    if (cmp == 1) {
        FileAction(file, sourceDir, targetDir, L" est plus ancien", false);
    } else if (cmp == -1 && (Options.RecentSeul == 0 || MirroredRun())) {
        FileAction(file, sourceDir, targetDir, L" est plus récent", false);
    }
    // Same time with another size or attributes, or a newer copy kept: nothing to do.
}

}  // namespace

FileRecord RecordFrom(const WIN32_FIND_DATAW& data) {
    FileRecord record;
    record.name = data.cFileName;
    record.attributes = data.dwFileAttributes;
    record.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    record.creation = data.ftCreationTime;
    record.access = data.ftLastAccessTime;
    record.lastWrite = data.ftLastWriteTime;
    return record;
}

std::wstring FoldName(const std::wstring& name) {
    std::wstring folded = name;
    bool plain = true;
    for (wchar_t& c : folded) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
        else if (c >= 0x80) plain = false;
    }
    if (!plain) {
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, name.c_str(), static_cast<int>(name.size()),
                      folded.data(), static_cast<int>(folded.size()), nullptr, nullptr, 0);
    }
    return folded;
}

bool TargetIndex::Open(const std::wstring& directory, size_t fileCount) {
    Clear();
    directory_ = directory;
    if (fileCount > QueryLimit && List()) return true;
    // A small directory, or one whose listing failed: its copies are queried one by one, so
    // that a listing error never makes every existing copy look missing.
    DWORD attributes = FileOps::GetAttributes(directory);
    exists_ = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return exists_;
}

bool TargetIndex::List() {
    WIN32_FIND_DATAW data;
    FileOps::Find find(FileOps::FindFirst(directory_ + L"*", data));
    if (!find) return false;
    do {
        FileRecord record = RecordFrom(data);
        std::wstring key = FoldName(record.name);
        entries_.emplace(std::move(key), std::move(record));
    } while (FileOps::FindNext(find.Get(), data));
    exists_ = listed_ = true;
    return true;
}

TargetIndex::State TargetIndex::OpenListing(const std::wstring& directory) {
    Clear();
    directory_ = directory;
    if (List()) return State::Present;
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return State::Unreadable;
    // An empty drive root lists nothing at all, not even ".": it is there all the same.
    DWORD attributes = FileOps::GetAttributes(directory);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return State::Unreadable;
        exists_ = listed_ = true;
        return State::Present;
    }
    error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? State::Missing : State::Unreadable;
}

const FileRecord* TargetIndex::Find(const std::wstring& name) {
    if (!exists_) return nullptr;
    if (listed_) {
        auto found = entries_.find(FoldName(name));
        return found == entries_.end() ? nullptr : &found->second;
    }
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!FileOps::GetAttributesEx(directory_ + name, data)) return nullptr;
    queried_.name = name;
    queried_.attributes = data.dwFileAttributes;
    queried_.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    queried_.creation = data.ftCreationTime;
    queried_.access = data.ftLastAccessTime;
    queried_.lastWrite = data.ftLastWriteTime;
    return &queried_;
}

void TargetIndex::Clear() {
    entries_.clear();
    exists_ = listed_ = false;
}

void ProcessDirectoryFiles(const std::vector<FileRecord>& files, const std::wstring& sourceDir,
                           const std::wstring& targetDir, TargetIndex& target) {
    for (const FileRecord& file : files) {
        // The temporary file of a copy cut short (a killed run) is not the user's: it is
        // neither copied, restored nor listed; only the removal of surplus files takes it.
        bool leftover = !CurrentRun.SurplusPass && IsTemporaryName(file.name);
        if (!(file.attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsSkippedSystemFile(file.name) && !leftover) {
            DecideFile(file, sourceDir, targetDir, target);
        }
        View().ProcessEvents();
        if (CurrentRun.Aborted) return;
    }
}

void CopySingleFileLine(const std::wstring& readPath, const std::wstring& writeDir, const FileRecord& record) {
    std::wstring sourcePath = readPath;
    if (!sourcePath.empty() && sourcePath.back() == L'\\') sourcePath.pop_back();
    std::wstring copyPath = AddBackslash(writeDir) + record.name;
    // An empty folder of the file's name, left where the copy goes by a run that found the
    // file missing, would make every copy fail: it goes. One that holds anything stays.
    DWORD attributes = FileOps::GetAttributes(copyPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) FileOps::RemoveDir(copyPath);
    RemoveLeftovers(AddBackslash(writeDir));
    CopyAndAccount(sourcePath, copyPath, record, readPath);
}

int CompareFileTimes(const FileRecord& source, const FileRecord& copy) {
    FILETIME s = source.lastWrite;
    const FILETIME& d = copy.lastWrite;
    if (Options.CorrectEteOff == 0 && Options.RecentSeul != 0 && CompareFileTime(&s, &d) == 1) {
        // A copy on a disk that keeps local time (FAT) is an hour behind after a daylight
        // saving change; a difference of exactly one hour on the clock counts as none.
        SYSTEMTIME st, dt;
        if (FileTimeToSystemTime(&s, &st) && FileTimeToSystemTime(&d, &dt) && st.wYear == dt.wYear &&
            st.wMonth == dt.wMonth && st.wDay == dt.wDay && st.wMinute == dt.wMinute && st.wSecond == dt.wSecond &&
            st.wHour >= 1 && st.wHour == dt.wHour + 1) {
            st.wHour -= 1;
            SystemTimeToFileTime(&st, &s);
        }
    }
    return CompareFileTime(&s, &d);
}

bool CopyOneFile(const std::wstring& source, const std::wstring& copy, DWORD& error) {
    if (ExtendedCopyAvailable >= 1 && Options.AltCopie == 0) {
        bool done = CopyInBlocks(source, copy, &CopyProgress, &CurrentRun.CopyCancel, error);
        View().ProcessEvents();
        return done;
    }
    return CopyWithSystem(source, copy, error);
}

void ClearReadOnly(const std::wstring& path, DWORD attributes) {
    FileOps::SetAttributes(path, attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

void CopyTimeStamps(const std::wstring& copy, const FileRecord& source) {
    FileOps::File file(FileOps::OpenWrite(copy));
    if (!file) return;
    FILE_BASIC_INFO info{};
    info.CreationTime.QuadPart = static_cast<LONGLONG>(FileTimeValue(source.creation));
    info.LastAccessTime.QuadPart = static_cast<LONGLONG>(FileTimeValue(source.access));
    info.LastWriteTime.QuadPart = static_cast<LONGLONG>(FileTimeValue(source.lastWrite));
    FileOps::SetInfo(file.Get(), info);
}

void ShowProgress(const std::wstring& name, const std::wstring& sourceDir, const std::wstring& targetDir) {
    RunState& run = CurrentRun;
    View().SetLabel(4, name);
    View().SetPathLabel(0, L"De: " + sourceDir);
    View().SetPathLabel(1, L"Vers: " + targetDir);
    run.PercentDone = PercentOf(run.CopiedBytes);
    View().SetProgress(run.PercentDone);
    View().SetLabel(3, PercentLine(run.PercentDone, run.CopiedBytes));
    View().ProcessEvents();
}

void RecordRunError(DWORD error, const std::wstring& logLine) {
    RunState& run = CurrentRun;
    ++run.ErrorCount;
    if (run.ErrorCount == 1) View().ShowFirstError();
    View().AppendLog(L"Erreur: " + std::to_wstring(error) + L" - " + logLine);
    View().ProcessEvents();
    if (Options.ContinueOnError == 0) {
        run.Aborted = true;
        run.LastCopyError = static_cast<int32_t>(error);
    }
}
