#include "engine/Walk.h"

#include <windows.h>

#include <cwctype>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "app/Settings.h"
#include "app/Utils.h"
#include "engine/FileAction.h"
#include "engine/FileOps.h"
#include "engine/RunState.h"
#include "engine/RunView.h"

namespace {

constexpr short ComparisonMode = 2;
constexpr int32_t DestinationMissing = 55;
constexpr int32_t NoMedium = 21;
constexpr size_t EntriesBetweenEvents = 256;

struct SourceListing {
    std::vector<FileRecord> files;
    std::vector<std::pair<std::wstring, DWORD>> directories;  // name, attributes
};

// The text after the last backslash once one trailing backslash is removed.
std::wstring LastComponent(const std::wstring& path) {
    std::wstring trimmed = Trim(path);
    if (!trimmed.empty() && trimmed.back() == L'\\') trimmed.pop_back();
    size_t slash = trimmed.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : trimmed.substr(slash + 1);
}

std::wstring WithoutTrailingBackslash(const std::wstring& path) {
    std::wstring trimmed = Trim(path);
    if (!trimmed.empty() && trimmed.back() == L'\\') trimmed.pop_back();
    return trimmed;
}

std::wstring SystemWindowsDirectory() {
    wchar_t buffer[MAX_PATH + 1] = {};
    UINT length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    return length > 0 && length <= MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

bool CreatesDirectoriesInAnalysis() { return Options.ArbreMode != 0 && RunMode != ComparisonMode; }

// The pass that only builds the destination tree: the files it would compare lead to
// nothing (the byte total it would build is discarded), so they are not looked up.
bool IsTreePass() { return CreatesDirectoriesInAnalysis() && CurrentRun.AnalysisOnly && !CurrentRun.SurplusPass; }

bool IsExistingDirectory(const std::wstring& path) {
    DWORD attributes = FileOps::GetAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ListSource(const std::wstring& sourceDir, SourceListing& listing) {
    WIN32_FIND_DATAW data;
    FileOps::Find find(FileOps::FindFirst(sourceDir + L"*", data));
    if (!find) return false;
    size_t count = 0;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            listing.directories.emplace_back(data.cFileName, data.dwFileAttributes);
        } else {
            listing.files.push_back(RecordFrom(data));
        }
        if (++count % EntriesBetweenEvents == 0) View().ProcessEvents();
    } while (FileOps::FindNext(find.Get(), data));
    return true;
}

// The listings of the tree pass, kept for the analysis pass that follows it in the same
// run: the analysis then walks the source without listing it a second time. What they
// say of the files only feeds the byte total of the progress display; the copy pass lists
// every directory afresh before it decides anything. The number of kept records is capped
// so that a very large tree costs a second listing rather than unbounded memory.
class ListingCache {
public:
    void Keep(const std::wstring& sourceDir, SourceListing& listing) {
        size_t records = listing.files.size() + listing.directories.size();
        if (kept_ + records > MaxRecords) return;
        kept_ += records;
        listings_[sourceDir] = listing;
    }
    bool Take(const std::wstring& sourceDir, SourceListing& listing) {
        auto found = listings_.find(sourceDir);
        if (found == listings_.end()) return false;
        listing = std::move(found->second);
        listings_.erase(found);
        return true;
    }
    void Clear() {
        listings_.clear();
        kept_ = 0;
    }

private:
    static constexpr size_t MaxRecords = 500000;
    std::unordered_map<std::wstring, SourceListing> listings_;
    size_t kept_ = 0;
};

ListingCache g_treeListings;

bool IsAnalysisAfterTreePass() {
    return CurrentRun.AnalysisOnly && !CurrentRun.SurplusPass && !CreatesDirectoriesInAnalysis() &&
           RunMode != ComparisonMode;
}

bool ListSourceOnce(const std::wstring& sourceDir, SourceListing& listing) {
    if (IsAnalysisAfterTreePass() && g_treeListings.Take(sourceDir, listing)) return true;
    if (!ListSource(sourceDir, listing)) return false;
    if (IsTreePass()) g_treeListings.Keep(sourceDir, listing);
    return true;
}

// A source folder that cannot be listed in the copy pass: the user is told (a run nobody
// watches shows no box) and the run counts it, so it never ends "sans erreur".
void ReportUnreadableSource(const std::wstring& sourceDir) {
    if (CurrentRun.AnalysisOnly) return;
    // The compatibility links of a profile ("Mes documents", "Application Data", ...) refuse
    // to be listed; their contents are reached through the real folders.
    if (IsSpecialFolder(sourceDir)) return;
    View().ShowCriticalMessage(L"Répertoire source '" + sourceDir + L"' non trouvé.", AppTitle);
    RecordRunError(ERROR_PATH_NOT_FOUND, L"Répertoire source '" + sourceDir + L"' non trouvé.");
    CurrentRun.WorkStarted = true;
}

void ShowDirectoryCounts() {
    View().SetLabel(3, std::to_wstring(CurrentRun.DirsRead) + L" répertoire(s) lu(s), " +
                           std::to_wstring(CurrentRun.DirsCreated) + L" répertoire(s) créé(s)");
    View().ProcessEvents();
}

// What one run has already said, so that a pass that meets the same fault again does not
// count or report it twice: target folders that could not be created, line sources that
// are missing, folders passed over because they are links.
struct RunMemory {
    std::unordered_set<std::wstring> failedTargets;  // folded paths, with their backslash
    std::unordered_set<std::wstring> missingSources;
    std::unordered_set<std::wstring> linksPassed;
    std::unordered_set<std::wstring> createdTargets;  // folded paths, with their backslash
    std::unordered_set<std::wstring> sweptTargets;
    void Clear() {
        createdTargets.clear();
        sweptTargets.clear();
        failedTargets.clear();
        missingSources.clear();
        linksPassed.clear();
    }
};

RunMemory g_memory;

// The identity of a folder on its volume: what two paths of one folder share (two drive
// letters for one folder, a short and a long name), whatever their text.
struct FolderIdentity {
    DWORD serial = 0;
    uint64_t index = 0;
    bool known = false;
    bool operator==(const FolderIdentity& other) const {
        return known && other.known && serial == other.serial && index == other.index;
    }
};

FolderIdentity IdentityOf(const std::wstring& directory) {
    FolderIdentity identity;
    FileOps::File folder(FileOps::OpenDirectory(directory));
    if (!folder) return identity;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(folder.Get(), &info)) {
        identity.serial = info.dwVolumeSerialNumber;
        identity.index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        identity.known = true;
    }
    return identity;
}

// The folders of the current line's copy: the destination folder and the folder that
// receives the copy (the target of the line's top walk). A destination inside the line's
// own source (D:\ to D:\Sauv, or D:\Docs to D:\Docs) is never walked as part of the source:
// each run would copy the backup into itself one level deeper, and two names for one
// folder would recurse without end. The folders are known by their identity, so another
// drive letter or a short name for them is recognised too.
class CopyFolders {
public:
    void Reset(const std::wstring& writeDir) {
        *this = CopyFolders{};
        writeDir_ = writeDir;
    }
    void Learn(const std::wstring& sourceDir, const std::wstring& targetDir) {
        FolderIdentity source = IdentityOf(sourceDir);
        Add(targetDir, source);
        if (!writeDir_.empty()) Add(writeDir_, source);
    }
    bool Contains(const std::wstring& parentDir, const std::wstring& name) const {
        for (const Folder& folder : folders_) {
            if (!folder.foldedName.empty() && FoldName(name) != folder.foldedName) continue;
            if (IdentityOf(parentDir + name) == folder.identity) return true;
        }
        return false;
    }

private:
    struct Folder {
        FolderIdentity identity;
        std::wstring foldedName;  // its last name; empty: any folder may be it
    };
    // Only a folder on the walked source's volume can be met in the walk.
    void Add(const std::wstring& path, const FolderIdentity& source) {
        Folder folder;
        folder.identity = IdentityOf(path);
        if (!folder.identity.known || !source.known || folder.identity.serial != source.serial) return;
        std::wstring name = LastComponent(AddBackslash(path));
        // A short name (SAUVEG~1) may stand for any long one.
        folder.foldedName = name.find(L'~') == std::wstring::npos ? FoldName(name) : std::wstring();
        folders_.push_back(folder);
    }

    std::wstring writeDir_;
    std::vector<Folder> folders_;
};

CopyFolders g_copyFolders;

std::wstring FoldedPath(const std::wstring& path) { return FoldName(AddBackslash(path)); }

// A target folder that cannot be created (a file in its place, access refused, no medium):
// an error of the run, once; its files and subfolders are not attempted one by one.
void ReportTargetNotCreated(const std::wstring& targetDir, DWORD error) {
    if (!g_memory.failedTargets.insert(FoldedPath(targetDir)).second) return;
    RecordRunError(error == 0 ? ERROR_PATH_NOT_FOUND : error, L"Répertoire non créé: " + targetDir);
}

bool TargetFailedBefore(const std::wstring& targetDir) {
    return !g_memory.failedTargets.empty() && g_memory.failedTargets.count(FoldedPath(targetDir)) != 0;
}

// Symbolic links, junctions and mount points lead elsewhere (often to a parent folder,
// which would be copied into itself without end): they are passed over, said once a run.
void PassOverLink(const std::wstring& path) {
    if (CurrentRun.SurplusPass || RunMode == ComparisonMode) return;
    if (!g_memory.linksPassed.insert(FoldedPath(path)).second) return;
    View().AppendLog(L"Lien non parcouru: " + AddBackslash(path));
}

// Creates a missing target folder when the pass calls for it; false when it is missing
// afterwards and the pass needs it.
bool EnsureTarget(const std::wstring& targetDir, bool exists) {
    if (exists || !(CreatesDirectoriesInAnalysis() || !CurrentRun.AnalysisOnly)) return exists;
    DWORD error = 0;
    if (CreateDirectoryChain(targetDir, &error)) {
        ++CurrentRun.DirsCreated;
        g_memory.createdTargets.insert(FoldedPath(targetDir));
        return true;
    }
    ReportTargetNotCreated(targetDir, error);
    return false;
}

void Walk(const std::wstring& source, const std::wstring& target, int depth) {
    RunState& run = CurrentRun;
    const std::wstring sourceDir = AddBackslash(source);
    const std::wstring targetDir = AddBackslash(target);
    if (!run.SurplusPass && TargetFailedBefore(targetDir)) return;

    SourceListing listing;
    if (!ListSourceOnce(sourceDir, listing)) {
        ReportUnreadableSource(sourceDir);
        return;
    }

    const bool treePass = IsTreePass();
    TargetIndex index;
    bool targetExists = false;
    if (run.SurplusPass) {
        // The walk runs over the copy; the source side decides what is deleted. A source
        // folder that exists but cannot be read protects its whole copy; one that no longer
        // exists is mirrored: the files of its copy go, the folders stay.
        TargetIndex::State state = index.OpenListing(targetDir);
        ++run.DirsRead;
        if (state == TargetIndex::State::Unreadable) return;
        targetExists = state == TargetIndex::State::Present;
    } else {
        targetExists = treePass ? IsExistingDirectory(targetDir) : index.Open(targetDir, listing.files.size());
        ++run.DirsRead;
        targetExists = EnsureTarget(targetDir, targetExists);
        if (!targetExists && (!run.AnalysisOnly || TargetFailedBefore(targetDir))) {
            if (CreatesDirectoriesInAnalysis()) ShowDirectoryCounts();
            return;
        }
    }
    if (depth == 0) g_copyFolders.Learn(sourceDir, targetDir);
    if (CreatesDirectoriesInAnalysis()) ShowDirectoryCounts();
    if ((targetExists || run.AnalysisOnly) && !treePass) {
        ProcessDirectoryFiles(listing.files, sourceDir, targetDir, index);
    }
    std::vector<FileRecord>().swap(listing.files);
    index.Clear();

    for (const auto& [name, attributes] : listing.directories) {
        if (run.Aborted) break;
        if (IsSkippedDirectory(sourceDir, name)) continue;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            PassOverLink(sourceDir + name);
            continue;
        }
        if (g_copyFolders.Contains(sourceDir, name)) continue;
        Walk(sourceDir + name, targetDir + name, depth + 1);
    }
}

void ClearShownTimingTexts() {
    CurrentRun.ShownRemainingText.clear();
    CurrentRun.ShownRateText.clear();
}

}  // namespace

bool IsLineSelected(int line) {
    if (line < 0) return false;
    size_t i = static_cast<size_t>(line);
    return i < Config.Selected.size() && i < Config.Sources.size() && i < Config.Destinations.size() &&
           Config.Selected[i] != 0 && !Config.Sources[i].empty() && !Config.Destinations[i].empty();
}

bool IsDriveRoot(const std::wstring& path) {
    if (path.size() != 2 && path.size() != 3) return false;
    if (!iswalpha(path[0]) || path[1] != L':') return false;
    return path.size() == 2 || path[2] == L'\\';
}

bool IsShareRoot(const std::wstring& path) {
    std::wstring trimmed = WithoutTrailingBackslash(path);
    if (trimmed.size() < 5 || trimmed.compare(0, 2, L"\\\\") != 0) return false;
    size_t serverEnd = trimmed.find(L'\\', 2);
    return serverEnd != std::wstring::npos && serverEnd > 2 && serverEnd + 1 < trimmed.size() &&
           trimmed.find(L'\\', serverEnd + 1) == std::wstring::npos;
}

std::wstring LineTarget(const std::wstring& readPath, const std::wstring& writeDir) {
    if (IsDriveRoot(readPath)) return AddBackslash(writeDir) + readPath.substr(0, 1);
    return AddBackslash(writeDir) + LastComponent(readPath);
}

bool DestinationExists(const std::wstring& writeDir) {
    if (writeDir.size() == 3 && writeDir[1] == L':' && writeDir[2] == L'\\') {
        wchar_t drives[128] = {};
        DWORD length = GetLogicalDriveStringsW(127, drives);
        if (length == 0 || length > 127) return false;
        wchar_t letter = static_cast<wchar_t>(towupper(writeDir[0]));
        for (DWORD i = 0; i < length; ++i)
            if (static_cast<wchar_t>(towupper(drives[i])) == letter) return true;
        return false;
    }
    WIN32_FIND_DATAW data;
    return FileOps::Find(FileOps::FindFirst(AddBackslash(writeDir) + L"*", data)).Valid();
}

namespace {

// Whether the drive root that receives a line can be read: a drive listed by the system may
// hold no medium (an empty card reader, a disconnected network drive).
bool DriveRootReadable(const std::wstring& root) {
    TargetIndex listing;
    return listing.OpenListing(AddBackslash(root)) == TargetIndex::State::Present;
}

// The first steps of every line: the pass's state, and the check that writeDir exists.
bool PrepareLine(const std::wstring& readPath, const std::wstring& writeDir, bool analysisOnly) {
    RunState& run = CurrentRun;
    run.AnalysisOnly = analysisOnly;
    run.CopyCancel = 0;
    run.WindowsDirectory = SystemWindowsDirectory();
    run.LineRoot = AddBackslash(readPath);
    g_copyFolders.Reset(writeDir);
    int32_t missing = 0;
    if (!DestinationExists(writeDir)) missing = DestinationMissing;
    else if (IsDriveRoot(writeDir) && !DriveRootReadable(writeDir)) missing = NoMedium;
    if (missing == 0) return true;
    run.LastCopyError = missing;
    run.Aborted = true;
    run.WorkStarted = true;
    return false;
}

}  // namespace

void WalkLineAgainst(const std::wstring& readPath, const std::wstring& writeDir, bool analysisOnly) {
    if (!PrepareLine(readPath, writeDir, analysisOnly)) return;
    ClearShownTimingTexts();
    WalkDirectory(readPath, writeDir);
}

void ProcessLine(const std::wstring& readPath, const std::wstring& writeDir, bool analysisOnly) {
    RunState& run = CurrentRun;
    if (!PrepareLine(readPath, writeDir, analysisOnly)) return;

    WIN32_FIND_DATAW data;
    FileOps::Find find;
    if (!IsDriveRoot(readPath)) find.Reset(FileOps::FindFirst(WithoutTrailingBackslash(readPath), data));

    if (!find) {
        // A drive or share root (never found by a search of its own), or a path that does
        // not exist: nothing is created for the latter (it may have been a single file),
        // and the walk reports it.
        ClearShownTimingTexts();
        WalkDirectory(readPath, LineTarget(readPath, writeDir));
        return;
    }
    find.Reset();

    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ClearShownTimingTexts();
        WalkDirectory(readPath, LineTarget(readPath, writeDir));
        return;
    }

    FileRecord record = RecordFrom(data);
    if (analysisOnly) {
        run.TotalBytes += static_cast<int64_t>(record.size);
        // A comparison never lists a single-file line; a backup copies it even when empty.
        if (RunMode != ComparisonMode && !run.SurplusPass) ++run.FilesToCopy;
        return;
    }
    CopySingleFileLine(readPath, writeDir, record);
}

void ForgetTreeListings() { g_treeListings.Clear(); }

bool FirstCopyInto(const std::wstring& directory) {
    std::wstring folded = FoldedPath(directory);
    if (g_memory.createdTargets.count(folded) != 0) return false;
    return g_memory.sweptTargets.insert(std::move(folded)).second;
}

void BeginEngineRun() {
    g_treeListings.Clear();
    g_memory.Clear();
}

void WalkDirectory(const std::wstring& sourceDir, const std::wstring& targetDir) { Walk(sourceDir, targetDir, 0); }

bool IsSkippedSystemFile(const std::wstring& name) {
    static const wchar_t* const names[] = {L"pagefile.sys", L"hiberfil.sys", L"thumbs.db", L"ntuser.dat",
                                           L"ntuser.dat.log", L"usrclass.dat", L"usrclass.dat.log"};
    if (name.size() < 9 || name.size() > 16) return false;
    std::wstring lower = ToLower(name);
    for (const wchar_t* skipped : names)
        if (lower == skipped) return true;
    return false;
}

bool IsSpecialFolder(const std::wstring& path) {
    std::wstring last = LastComponent(path);
    return last == L"Mes vidéos" || last == L"Mes images" || last == L"Ma musique";
}

bool IsSkippedDirectory(const std::wstring& parentDir, const std::wstring& name) {
    if (parentDir + name == CurrentRun.WindowsDirectory) return true;
    if (name == L"System Volume Information" || name == L"Recycled" || name == L".." || name == L".") return true;
    return IsExcludedDirectory(parentDir + name);
}

bool IsExcludedDirectory(const std::wstring& path) {
    switch (Exclusions.Mode) {
    case 1:
        return true;
    case 2:
        for (long i = 1; i <= Exclusions.Count && static_cast<size_t>(i) < Exclusions.List.size(); ++i) {
            if (CurrentRun.LineRoot + Exclusions.List[static_cast<size_t>(i)] == path) return true;
        }
        return false;
    default:
        return false;
    }
}

bool CreateDirectoryChain(const std::wstring& path, DWORD* error) {
    const std::wstring full = AddBackslash(path);
    // Most often only the last directory is missing: one call then does it.
    DWORD lastError = 0;
    if (!FileOps::CreateDir(full)) {
        lastError = GetLastError();
        if (lastError != ERROR_ALREADY_EXISTS) {
            size_t end = full.find(L'\\');
            if (end != std::wstring::npos) end = full.find(L'\\', end + 1);
            while (end != std::wstring::npos) {
                if (!FileOps::CreateDir(full.substr(0, end + 1))) lastError = GetLastError();
                end = full.find(L'\\', end + 1);
            }
        }
    }
    if (IsExistingDirectory(full)) return true;
    if (error) *error = lastError;
    return false;
}

// ---- Lines ----

namespace {

bool IsAbsolute(const std::wstring& path) {
    return (path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\') ||
           path.compare(0, 2, L"\\\\") == 0;
}

// The line's side is read in reverse (a restore, or a comparison from the destination):
// the copy of a whole drive X:\ lies in the folder X of the destination.
bool ReadsDriveCopy(int line) {
    bool reversed = RunMode == 1 || (RunMode == ComparisonMode && CompareReverse);
    return reversed && line >= 0 && static_cast<size_t>(line) < Config.Sources.size() &&
           IsDriveRoot(Trim(Config.Sources[static_cast<size_t>(line)]));
}

// Where the copy of a missing read path would be: a file there tells that the line was a
// single file.
bool CopyIsFile(const LinePaths& paths) {
    if (paths.intoWriteDir || IsDriveRoot(paths.read)) return false;
    DWORD attributes = FileOps::GetAttributes(LineTarget(paths.read, paths.write));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

enum class SourceState { Readable, Missing, MissingFile };

SourceState StateOfSource(const LinePaths& paths) {
    std::wstring path = paths.read;
    if (!IsDriveRoot(path)) path = WithoutTrailingBackslash(path);
    DWORD attributes = FileOps::GetAttributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return SourceState::Readable;
    }
    // A share root answers no attribute query of its own: its listing tells, as for a folder.
    if (attributes != INVALID_FILE_ATTRIBUTES || IsShareRoot(path)) {
        TargetIndex listing;
        if (listing.OpenListing(AddBackslash(path)) == TargetIndex::State::Present) return SourceState::Readable;
    }
    return CopyIsFile(paths) ? SourceState::MissingFile : SourceState::Missing;
}

// A line whose source is not there (an unplugged disk, a renamed folder, a deleted file) is
// an error of the run, said once: the box for a watched run, the log and the count always.
void ReportMissingSource(const LinePaths& paths, SourceState state) {
    std::wstring shown = state == SourceState::MissingFile ? WithoutTrailingBackslash(paths.read)
                                                            : AddBackslash(paths.read);
    if (!g_memory.missingSources.insert(FoldedPath(shown)).second) return;
    CurrentRun.WorkStarted = true;
    if (state == SourceState::MissingFile) {
        RecordRunError(ERROR_FILE_NOT_FOUND, L"Fichier: " + shown);
        return;
    }
    std::wstring text = L"Répertoire source '" + shown + L"' non trouvé.";
    View().ShowCriticalMessage(text, AppTitle);
    RecordRunError(ERROR_PATH_NOT_FOUND, text);
}

}  // namespace

std::wstring FullPath(const std::wstring& path) {
    std::wstring text = Trim(path);
    for (wchar_t& c : text)
        if (c == L'/') c = L'\\';
    if (!IsAbsolute(text) || text.compare(0, 4, L"\\\\?\\") == 0) return text;
    bool share = text[0] == L'\\';
    size_t rootEnd = share ? text.find(L'\\', text.find(L'\\', 2) + 1) : 2;
    if (rootEnd == std::wstring::npos) return text;  // "\\server\share" alone
    std::wstring root = text.substr(0, rootEnd);
    std::vector<std::wstring> parts;
    size_t start = rootEnd + 1;
    while (start <= text.size()) {
        size_t end = text.find(L'\\', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring part = text.substr(start, end - start);
        if (part == L"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::wstring full = root + L"\\";
    for (size_t i = 0; i < parts.size(); ++i) full += (i ? L"\\" : L"") + parts[i];
    if (!parts.empty() && text.back() == L'\\') full += L'\\';
    return full;
}

LinePaths PathsOfLine(int line, const std::wstring& shownRead, const std::wstring& shownWrite) {
    LinePaths paths;
    paths.read = FullPath(shownRead);
    paths.write = FullPath(shownWrite);
    if (ReadsDriveCopy(line)) {
        // Exactly the inverse of the backup: the drive's copy folder back onto the drive root.
        std::wstring drive = Trim(Config.Sources[static_cast<size_t>(line)]);
        paths.read = LineTarget(drive, paths.read);
        paths.intoWriteDir = true;
    }
    return paths;
}

bool SourceOfLineReadable(const LinePaths& paths) { return StateOfSource(paths) == SourceState::Readable; }

void RunLine(const LinePaths& paths, bool analysisOnly) {
    if (RunMode != ComparisonMode) {
        SourceState state = StateOfSource(paths);
        if (state != SourceState::Readable) {
            // The destination is checked first, as for any line: a missing destination
            // stops the run with its own message.
            if (PrepareLine(paths.read, paths.write, analysisOnly)) ReportMissingSource(paths, state);
            return;
        }
    }
    if (paths.intoWriteDir) WalkLineAgainst(paths.read, paths.write, analysisOnly);
    else ProcessLine(paths.read, paths.write, analysisOnly);
}
