#pragma once
// The skeleton of every pass over a backup line: where the line lands under its
// destination, which directories are entered, which destination directories are created,
// and the depth-first walk that hands each directory's files to the per-file decision.
#include <string>

// A line takes part in a pass when it is selected and both its sides are filled in.
bool IsLineSelected(int line);

// One line of a pass: readPath is a file, a directory or a drive root ("X:\"), writeDir
// the directory under which its copy is placed. The line's exclusions must be loaded.
void ProcessLine(const std::wstring& readPath, const std::wstring& writeDir, bool analysisOnly);

// The tree pass keeps its source listings for the analysis pass that follows; the run
// forgets them when it starts and once its analysis is over.
void ForgetTreeListings();

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
// Creates path and its missing parents; whether the directory exists afterwards.
bool CreateDirectoryChain(const std::wstring& path);
