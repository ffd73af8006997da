#include "engine/Walk.h"

#include <windows.h>

#include <cwctype>
#include <unordered_map>
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
    HANDLE find = FileOps::FindFirst(sourceDir + L"*", data);
    if (find == INVALID_HANDLE_VALUE) return false;
    size_t count = 0;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            listing.directories.emplace_back(data.cFileName, data.dwFileAttributes);
        } else {
            listing.files.push_back(RecordFrom(data));
        }
        if (++count % EntriesBetweenEvents == 0) View().ProcessEvents();
    } while (FileOps::FindNext(find, data));
    FileOps::FindClose(find);
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

void ReportUnreadableSource(const std::wstring& sourceDir, bool isLink) {
    if (CurrentRun.AnalysisOnly) return;
    // The compatibility links of a profile ("Mes documents", "Application Data", ...) refuse
    // to be listed; their contents are reached through the real folders.
    if (IsSpecialFolder(sourceDir) || isLink) return;
    View().ShowCriticalMessage(L"Répertoire source '" + sourceDir + L"' non trouvé.", AppTitle);
    CurrentRun.Aborted = true;
}

void ShowDirectoryCounts() {
    View().SetLabel(3, std::to_wstring(CurrentRun.DirsRead) + L" répertoire(s) lu(s), " +
                           std::to_wstring(CurrentRun.DirsCreated) + L" répertoire(s) créé(s)");
    View().ProcessEvents();
}

// The folder that receives the current line's copy. A destination inside the line's own
// source (D:\ to D:\Sauv) is not walked as part of the source: each run would copy the
// backup into itself one level deeper, without end.
std::wstring g_copyRoot;

bool IsCopyRoot(const std::wstring& directory) {
    if (g_copyRoot.empty()) return false;
    std::wstring path = AddBackslash(directory);
    return CompareStringOrdinal(path.c_str(), static_cast<int>(path.size()), g_copyRoot.c_str(),
                                static_cast<int>(g_copyRoot.size()), TRUE) == CSTR_EQUAL;
}

void Walk(const std::wstring& source, const std::wstring& target, bool isLink) {
    RunState& run = CurrentRun;
    const std::wstring sourceDir = AddBackslash(source);
    const std::wstring targetDir = AddBackslash(target);

    SourceListing listing;
    if (!ListSourceOnce(sourceDir, listing)) {
        ReportUnreadableSource(sourceDir, isLink);
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
    }
    if (!targetExists && (CreatesDirectoriesInAnalysis() || !run.AnalysisOnly)) {
        targetExists = CreateDirectoryChain(targetDir);
        if (targetExists) ++run.DirsCreated;
    }
    if (CreatesDirectoriesInAnalysis()) ShowDirectoryCounts();
    if ((targetExists || run.AnalysisOnly) && !treePass) {
        ProcessDirectoryFiles(listing.files, sourceDir, targetDir, index);
    }
    std::vector<FileRecord>().swap(listing.files);
    index.Clear();

    for (const auto& [name, attributes] : listing.directories) {
        if (run.Aborted) break;
        if (IsSkippedDirectory(sourceDir, name) || IsCopyRoot(sourceDir + name)) continue;
        Walk(sourceDir + name, targetDir + name, (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
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
    HANDLE find = FileOps::FindFirst(AddBackslash(writeDir) + L"*", data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FileOps::FindClose(find);
    return true;
}

namespace {

// The first steps of every line: the pass's state, and the check that writeDir exists.
bool PrepareLine(const std::wstring& readPath, const std::wstring& writeDir, bool analysisOnly) {
    RunState& run = CurrentRun;
    run.AnalysisOnly = analysisOnly;
    run.CopyCancel = 0;
    run.WindowsDirectory = SystemWindowsDirectory();
    run.LineRoot = AddBackslash(readPath);
    g_copyRoot = AddBackslash(writeDir);
    if (DestinationExists(writeDir)) return true;
    run.LastCopyError = DestinationMissing;
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
    HANDLE find = INVALID_HANDLE_VALUE;
    if (!IsDriveRoot(readPath)) find = FileOps::FindFirst(WithoutTrailingBackslash(readPath), data);

    if (find == INVALID_HANDLE_VALUE) {
        // A drive root, or a path that does not exist (the walk then reports it).
        std::wstring target = LineTarget(readPath, writeDir);
        if ((CreatesDirectoriesInAnalysis() || !analysisOnly) && !IsExistingDirectory(target) &&
            CreateDirectoryChain(target)) {
            ++run.DirsCreated;  // only what was really created: the count is shown to the user
        }
        ClearShownTimingTexts();
        WalkDirectory(readPath, AddBackslash(target));
        return;
    }
    FileOps::FindClose(find);

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

void WalkDirectory(const std::wstring& sourceDir, const std::wstring& targetDir) {
    Walk(sourceDir, targetDir, false);
}

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

bool CreateDirectoryChain(const std::wstring& path) {
    const std::wstring full = AddBackslash(path);
    // Most often only the last directory is missing: one call then does it.
    if (!FileOps::CreateDir(full) && GetLastError() != ERROR_ALREADY_EXISTS) {
        size_t end = full.find(L'\\');
        if (end != std::wstring::npos) end = full.find(L'\\', end + 1);
        while (end != std::wstring::npos) {
            FileOps::CreateDir(full.substr(0, end + 1));
            end = full.find(L'\\', end + 1);
        }
    }
    return IsExistingDirectory(full);
}
