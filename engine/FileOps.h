#pragma once
// The file operations of the copy engine, one thin layer over the W functions of the
// system. Tests make a chosen operation fail with a chosen system error code (a full
// disk, a write-protected medium, a file in use...) through the fault table below; when
// no fault is armed each call costs one flag test beyond the system call.
#include <windows.h>

#include "common/Handles.h"

#include <cstdint>
#include <string>

namespace FileOps {

enum class Op {
    FindFirst,      // opening a listing, or looking one path up
    FindNext,
    GetAttributes,
    SetAttributes,
    CreateDir,
    OpenRead,       // the source of a copy
    CreateWrite,    // the temporary file a copy is written to
    OpenWrite,      // an existing file opened to change its time stamps
    Read,
    Write,
    SetInfo,        // time stamps and attributes through a handle
    Rename,         // the temporary file renamed over the copy
    Move,
    Delete,
    Copy,           // the plain system copy
    OpenDir,        // a folder opened to read its identity
    Count
};

// Full paths are passed to the system in their long form (\\?\), which names exactly the
// file of a listing: no device name (AUX, COM1), no trailing dot or space removed, no length
// limit. The caller resolves "." and ".." first; relative paths pass as they are.
std::wstring SystemPath(const std::wstring& path);

// ---- Listings ----
// pattern: a directory + "*", or one path to look up. Invalid handle on failure.
HANDLE FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW& data);
bool FindNext(HANDLE find, WIN32_FIND_DATAW& data);
void FindClose(HANDLE find);

// ---- Paths ----
DWORD GetAttributes(const std::wstring& path);  // INVALID_FILE_ATTRIBUTES on failure
bool GetAttributesEx(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& data);  // counted as GetAttributes
bool SetAttributes(const std::wstring& path, DWORD attributes);
bool CreateDir(const std::wstring& path);
bool Move(const std::wstring& from, const std::wstring& to);  // replaces an existing target
bool Delete(const std::wstring& path);
bool Copy(const std::wstring& from, const std::wstring& to);  // CopyFileW; fails when `to` exists

// ---- Handles ----
HANDLE OpenRead(const std::wstring& path);         // shared for reading only
HANDLE CreateWrite(const std::wstring& path);      // a new file; fails when it exists
HANDLE OpenWrite(const std::wstring& path);        // an existing file, read and write
HANDLE OpenDirectory(const std::wstring& path);    // a folder, for its identity only
bool RemoveDir(const std::wstring& path);          // an empty folder (counted as Delete)
bool Read(HANDLE file, void* buffer, DWORD size, DWORD& got);
bool Write(HANDLE file, const void* buffer, DWORD size);
// Zero fields of info are left unchanged.
bool SetInfo(HANDLE file, const FILE_BASIC_INFO& info);
// Renames the open file (opened by CreateWrite) to path, replacing an existing file.
bool Rename(HANDLE file, const std::wstring& path);
void Close(HANDLE file);

// Owners of the handles of this layer, closed through it.
struct FileTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { FileOps::Close(handle); }
};
struct FindTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { FileOps::FindClose(handle); }
};
using File = win::Unique<FileTraits>;
using Find = win::Unique<FindTraits>;

// ---- Fault injection (tests) ----
// The matching calls of op fail with error. path: empty matches every path, a text
// ending with '*' every path beginning with the rest, else the path itself (letter case
// ignored); calls through a handle match the path the handle was opened with.
// nth = 0: every matching call fails; nth = n: only the n-th matching call.
void InjectFault(Op op, const std::wstring& path, DWORD error, unsigned nth = 0);
void ClearFaults();

// Calls made per operation since the last reset (kept in every build; an increment each).
unsigned CallCount(Op op);
void ResetCallCounts();

}  // namespace FileOps
