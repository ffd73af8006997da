#pragma once
// The decision, file by file, between a source directory and its target directory, and
// what follows from it in each pass: measuring, listing a difference, deleting a surplus
// file, or copying with confirmation, retry, error accounting and progress display.
#include <windows.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// What a directory listing tells of one file.
struct FileRecord {
    std::wstring name;
    DWORD attributes = 0;
    uint64_t size = 0;
    FILETIME creation{};
    FILETIME access{};
    FILETIME lastWrite{};
};

FileRecord RecordFrom(const WIN32_FIND_DATAW& data);

// The copies in a target directory, looked up by name with letter case ignored, as the
// file system does. Never one directory search per file: for a directory of a few files
// one attribute query per file, for a larger one a single listing kept in a table.
class TargetIndex {
public:
    // Prepares the lookups in directory (with its trailing backslash) for fileCount source
    // files; false when the directory does not exist.
    bool Open(const std::wstring& directory, size_t fileCount);

    // What a listing of a directory found: its entries, no such directory, or a directory
    // that exists but cannot be read (access denied, device error, no medium).
    enum class State { Present, Missing, Unreadable };
    // Lists the whole directory, whatever its size, so that every lookup answers from a
    // listing that succeeded.
    State OpenListing(const std::wstring& directory);

    const FileRecord* Find(const std::wstring& name);
    void Clear();

    // Up to this many files, the copies are queried one by one.
    static constexpr size_t QueryLimit = 40;

private:
    bool List();

    std::wstring directory_;
    bool exists_ = false;
    bool listed_ = false;
    std::unordered_map<std::wstring, FileRecord> entries_;
    FileRecord queried_;
};

// The key under which a name is looked up: letter case folded.
std::wstring FoldName(const std::wstring& name);

// Every file of files (one source directory, in listing order) against the target index.
// sourceDir and targetDir end with a backslash.
void ProcessDirectoryFiles(const std::vector<FileRecord>& files, const std::wstring& sourceDir,
                           const std::wstring& targetDir, TargetIndex& target);

// A line that names a single file: copied into writeDir without comparison or question.
void CopySingleFileLine(const std::wstring& readPath, const std::wstring& writeDir, const FileRecord& record);

// 1: the source is newer, 0: same time, -1: the source is older (last-write times; a copy
// exactly one hour behind counts as equal when RecentSeul is on and CorrectEteOff off).
int CompareFileTimes(const FileRecord& source, const FileRecord& copy);

// Copies source over copy; on failure error holds the system error code.
bool CopyOneFile(const std::wstring& source, const std::wstring& copy, DWORD& error);
void ClearReadOnly(const std::wstring& path, DWORD attributes);
void CopyTimeStamps(const std::wstring& copy, const FileRecord& source);

// A failure of the run: counted, logged as "Erreur: " + code + " - " + logLine, the
// first-error marks shown; with ContinueOnError off it stops the run with that code.
void RecordRunError(DWORD error, const std::wstring& logLine);

// The copy progress labels: file name, source and target directories, percentage.
void ShowProgress(const std::wstring& name, const std::wstring& sourceDir, const std::wstring& targetDir);
