#pragma once
// The skeleton of every pass over a backup line: where the line lands under its
// destination, which directories are entered, which destination directories are created,
// and the depth-first walk that hands each directory's files to the per-file decision.
#include <windows.h>

#include <string>

// A line takes part in a pass when it is selected and both its sides are filled in.
bool IsLineSelected(int line);

// One line of a pass: readPath is a file, a directory or a drive root ("X:\"), writeDir
// the directory under which its copy is placed. The line's exclusions must be loaded.
void ProcessLine(const std::wstring& readPath, const std::wstring& writeDir, bool analysisOnly);

// The tree pass keeps its source listings for the analysis pass that follows; the run
// forgets them once its analysis is over.
void ForgetTreeListings();

// A new run: forgets the kept listings and what the last run reported (folders that could
// not be created, missing sources, links passed over), which each run reports once.
void BeginEngineRun();

// Whether a copy into directory is the run's first there and the folder is older than the
// run: only then can it hold what an earlier run left.
bool FirstCopyInto(const std::wstring& directory);

// The two paths a pass uses for a line. read is what is read, write where its copy goes:
// under write in a folder of read's name, or, with intoWriteDir, into write itself (the
// copy of a whole drive restored onto the drive).
struct LinePaths {
    std::wstring read;
    std::wstring write;
    bool intoWriteDir = false;
};

// The paths of selected line `line` from what the window shows for it, made full (no "."
// or ".." left, "/" read as "\"); a restore of a whole drive reads the drive's copy folder.
LinePaths PathsOfLine(int line, const std::wstring& shownRead, const std::wstring& shownWrite);

// One line in a pass. A source that is missing or cannot be read is an error of the run,
// reported once a run, and nothing of the line is walked or created.
void RunLine(const LinePaths& paths, bool analysisOnly);

// Whether the side a line reads from is there: a file, or a folder or drive that can be
// listed.
bool SourceOfLineReadable(const LinePaths& paths);

// path with "/" read as "\" and its "." and ".." names resolved; a relative path is kept.
std::wstring FullPath(const std::wstring& path);

// The first steps of ProcessLine (the pass's state, the check that writeDir exists), then a
// walk of readPath against writeDir itself. The surplus pass walks the copy of a whole drive
// or network share this way, against the drive or share.
void WalkLineAgainst(const std::wstring& readPath, const std::wstring& writeDir, bool analysisOnly);

// "\\server\share", with or without a trailing backslash.
bool IsShareRoot(const std::wstring& path);

// Files of sourceDir first, then its subdirectories, depth first, in listing order.
void WalkDirectory(const std::wstring& sourceDir, const std::wstring& targetDir);

// Where the copy of readPath goes under writeDir: writeDir\X for the drive root X:\,
// else writeDir\ + the last name of readPath.
std::wstring LineTarget(const std::wstring& readPath, const std::wstring& writeDir);

bool IsDriveRoot(const std::wstring& path);            // "X:\" (or "X:")
bool DestinationExists(const std::wstring& writeDir);
bool IsSkippedSystemFile(const std::wstring& name);    // pagefile.sys, thumbs.db, ...
bool IsSpecialFolder(const std::wstring& path);        // "Mes vidéos", "Mes images", "Ma musique"
bool IsSkippedDirectory(const std::wstring& parentDir, const std::wstring& name);
bool IsExcludedDirectory(const std::wstring& path);
// Creates path and its missing parents; whether the directory exists afterwards. When it
// does not, *error (when given) holds the system error of the last creation that failed.
bool CreateDirectoryChain(const std::wstring& path, DWORD* error = nullptr);
