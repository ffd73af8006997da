#include "engine/FileOps.h"

#include <cwchar>
#include <vector>

namespace FileOps {

namespace {

struct Fault {
    Op op;
    std::wstring path;
    DWORD error;
    unsigned nth;
    unsigned seen = 0;
};

std::vector<Fault> g_faults;
bool g_armed = false;  // the only cost of the fault table when it is empty
unsigned g_calls[static_cast<int>(Op::Count)] = {};

// Handles opened while faults are armed, with their paths, so that reads and writes
// can be matched by path.
std::vector<std::pair<HANDLE, std::wstring>> g_handles;

bool SamePathIgnoringCase(const std::wstring& a, const std::wstring& b, size_t length) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(length), b.c_str(), static_cast<int>(length),
                                TRUE) == CSTR_EQUAL;
}

bool PathMatches(const std::wstring& pattern, const std::wstring& path) {
    if (pattern.empty()) return true;
    if (pattern.back() == L'*') {
        size_t length = pattern.size() - 1;
        return path.size() >= length && SamePathIgnoringCase(pattern, path, length);
    }
    return pattern.size() == path.size() && SamePathIgnoringCase(pattern, path, path.size());
}

// The error the call must fail with, or 0. Every matching fault counts the call.
DWORD FaultFor(Op op, const std::wstring& path) {
    DWORD error = 0;
    for (Fault& fault : g_faults) {
        if (fault.op != op || !PathMatches(fault.path, path)) continue;
        ++fault.seen;
        if (error == 0 && (fault.nth == 0 || fault.nth == fault.seen)) error = fault.error;
    }
    return error;
}

std::wstring PathOfHandle(HANDLE handle) {
    for (const auto& entry : g_handles)
        if (entry.first == handle) return entry.second;
    return {};
}

// Counts the call; true when an armed fault makes it fail (last error set).
bool Fails(Op op, const std::wstring& path) {
    ++g_calls[static_cast<int>(op)];
    if (!g_armed) return false;
    DWORD error = FaultFor(op, path);
    if (error == 0) return false;
    SetLastError(error);
    return true;
}

bool Fails(Op op, HANDLE handle) {
    if (!g_armed) {
        ++g_calls[static_cast<int>(op)];
        return false;
    }
    return Fails(op, PathOfHandle(handle));
}

HANDLE Track(HANDLE handle, const std::wstring& path) {
    if (g_armed && handle != INVALID_HANDLE_VALUE) g_handles.emplace_back(handle, path);
    return handle;
}

void Untrack(HANDLE handle) {
    for (size_t i = 0; i < g_handles.size(); ++i) {
        if (g_handles[i].first == handle) {
            g_handles.erase(g_handles.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, wcslen(prefix), prefix) == 0;
}

// The name of a path in the system's own form, for a rename through a handle.
std::wstring NtPath(const std::wstring& path) {
    std::wstring full = SystemPath(path);
    if (StartsWith(full, L"\\\\?\\")) return L"\\??\\" + full.substr(4);
    if (StartsWith(full, L"\\\\")) return L"\\??\\UNC\\" + full.substr(2);
    return L"\\??\\" + full;
}

}  // namespace

std::wstring SystemPath(const std::wstring& path) {
    if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) return path;
    if (StartsWith(path, L"\\\\")) return L"\\\\?\\UNC\\" + path.substr(2);
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
    return path;
}

HANDLE FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW& data) {
    if (Fails(Op::FindFirst, pattern)) return INVALID_HANDLE_VALUE;
    return Track(FindFirstFileExW(SystemPath(pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                  nullptr, FIND_FIRST_EX_LARGE_FETCH),
                 pattern);
}

bool FindNext(HANDLE find, WIN32_FIND_DATAW& data) {
    if (Fails(Op::FindNext, find)) return false;
    return FindNextFileW(find, &data) != FALSE;
}

void FindClose(HANDLE find) {
    if (find == INVALID_HANDLE_VALUE) return;
    if (g_armed) Untrack(find);
    ::FindClose(find);
}

DWORD GetAttributes(const std::wstring& path) {
    if (Fails(Op::GetAttributes, path)) return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesW(SystemPath(path).c_str());
}

bool GetAttributesEx(const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    if (Fails(Op::GetAttributes, path)) return false;
    return GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data) != FALSE;
}

bool SetAttributes(const std::wstring& path, DWORD attributes) {
    if (Fails(Op::SetAttributes, path)) return false;
    return SetFileAttributesW(SystemPath(path).c_str(), attributes) != FALSE;
}

bool CreateDir(const std::wstring& path) {
    if (Fails(Op::CreateDir, path)) return false;
    return CreateDirectoryW(SystemPath(path).c_str(), nullptr) != FALSE;
}

bool Move(const std::wstring& from, const std::wstring& to) {
    if (Fails(Op::Move, to)) return false;
    return MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool Delete(const std::wstring& path) {
    if (Fails(Op::Delete, path)) return false;
    return DeleteFileW(SystemPath(path).c_str()) != FALSE;
}

bool Copy(const std::wstring& from, const std::wstring& to) {
    if (Fails(Op::Copy, from)) return false;
    return CopyFileW(SystemPath(from).c_str(), SystemPath(to).c_str(), TRUE) != FALSE;
}

HANDLE OpenRead(const std::wstring& path) {
    if (Fails(Op::OpenRead, path)) return INVALID_HANDLE_VALUE;
    return Track(CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr),
                 path);
}

HANDLE CreateWrite(const std::wstring& path) {
    if (Fails(Op::CreateWrite, path)) return INVALID_HANDLE_VALUE;
    return Track(CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr),
                 path);
}

HANDLE OpenWrite(const std::wstring& path) {
    if (Fails(Op::OpenWrite, path)) return INVALID_HANDLE_VALUE;
    return Track(CreateFileW(SystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                 path);
}

HANDLE OpenDirectory(const std::wstring& path) {
    if (Fails(Op::OpenDir, path)) return INVALID_HANDLE_VALUE;
    return Track(CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr),
                 path);
}

bool RemoveDir(const std::wstring& path) {
    if (Fails(Op::Delete, path)) return false;
    return RemoveDirectoryW(SystemPath(path).c_str()) != FALSE;
}

bool Read(HANDLE file, void* buffer, DWORD size, DWORD& got) {
    got = 0;
    if (Fails(Op::Read, file)) return false;
    return ReadFile(file, buffer, size, &got, nullptr) != FALSE;
}

bool Write(HANDLE file, const void* buffer, DWORD size) {
    if (Fails(Op::Write, file)) return false;
    DWORD written = 0;
    if (!WriteFile(file, buffer, size, &written, nullptr)) return false;
    if (written != size) {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    return true;
}

bool SetInfo(HANDLE file, const FILE_BASIC_INFO& info) {
    if (Fails(Op::SetInfo, file)) return false;
    FILE_BASIC_INFO copy = info;
    return SetFileInformationByHandle(file, FileBasicInfo, &copy, sizeof copy) != FALSE;
}

bool Rename(HANDLE file, const std::wstring& path) {
    if (Fails(Op::Rename, file)) return false;
    // The full name in the system's own form: a plain name would be taken by Wine as
    // relative to the current directory.
    std::wstring name = NtPath(path);
    size_t bytes = sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(bytes, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
    wmemcpy(info->FileName, name.c_str(), name.size());
    return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(bytes)) != FALSE;
}

void Close(HANDLE file) {
    if (file == INVALID_HANDLE_VALUE) return;
    if (g_armed) Untrack(file);
    CloseHandle(file);
}

void InjectFault(Op op, const std::wstring& path, DWORD error, unsigned nth) {
    g_faults.push_back(Fault{op, path, error, nth});
    g_armed = true;
}

void ClearFaults() {
    g_faults.clear();
    g_handles.clear();
    g_armed = false;
}

unsigned CallCount(Op op) { return g_calls[static_cast<int>(op)]; }

void ResetCallCounts() {
    for (unsigned& count : g_calls) count = 0;
}

}  // namespace FileOps
