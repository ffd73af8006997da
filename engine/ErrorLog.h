#pragma once
// The error logs: one file per configuration and run mode beside the program, holding the
// run log of the last run of that mode that had errors (for a comparison: differences).
// The file holds the log's text in the ANSI code page, each line ended by CR LF.
#include <string>

// "S", "R" or "C" for the run modes 0, 1 and 2; empty for any other value.
std::wstring ModeLetter(int mode);

// Mode letter + "_" + the configuration name made fit for a file name + ".err".
// Empty for an unknown mode.
std::wstring ErrorLogName(const std::wstring& configName, int mode);

// The log's full path in the given folder; empty for an unknown mode.
std::wstring ErrorLogPathIn(const std::wstring& directory, const std::wstring& configName, int mode);
// The log's full path in the program's folder.
std::wstring ErrorLogPath(const std::wstring& configName, int mode);

// Replaces the file at path with logText in the ANSI code page. The new text goes to a
// temporary file in the same folder first and takes the old file's place only once it is
// completely written, so a failed write keeps the previous log. Returns success.
bool WriteErrorLog(const std::wstring& path, const std::wstring& logText);
// The log of the current configuration for mode, in the program's folder.
bool WriteErrorLog(int mode, const std::wstring& logText);

// The text of the log at path; empty when the file does not exist or cannot be read.
std::wstring ReadErrorLog(const std::wstring& path);
