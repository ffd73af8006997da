#include "engine/ErrorLog.h"

#include <windows.h>

#include <algorithm>

#include "app/Settings.h"
#include "app/TempName.h"
#include "app/Utils.h"
#include "engine/FileOps.h"

namespace {

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

// A name of the program's own beside the log, so that the leftover of a write cut short is
// recognised and removed at the next start. A file that already has the name (left by an
// earlier process with the same id) is skipped, never reused.
HANDLE CreateTemporary(const std::wstring& folder, std::wstring& name) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = folder + L"\\" + NewTemporaryName();
        HANDLE file = FileOps::CreateWrite(name);
        if (file != INVALID_HANDLE_VALUE) return file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    name.clear();
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    constexpr size_t block = 1 << 20;
    for (size_t done = 0; done < bytes.size();) {
        DWORD size = static_cast<DWORD>(std::min(block, bytes.size() - done));
        if (!FileOps::Write(file, bytes.data() + done, size)) return false;
        done += size;
    }
    // On disk before the rename, so a crash cannot leave an empty log in the old one's place.
    return FlushFileBuffers(file) != FALSE;
}

// A virus scanner or an editor may hold the old log for a moment: a few short retries.
bool ReplaceWith(const std::wstring& temporary, const std::wstring& path) {
    std::wstring from = FileOps::SystemPath(temporary);
    std::wstring to = FileOps::SystemPath(path);
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        DWORD error = GetLastError();
        bool transient = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
                         error == ERROR_LOCK_VIOLATION;
        if (!transient || attempt == 2) return false;
        Sleep(30);
    }
}

bool ReadAll(const std::wstring& path, std::string& bytes) {
    HANDLE file = CreateFileW(FileOps::SystemPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return ok;
}

}  // namespace

std::wstring ModeLetter(int mode) {
    switch (mode) {
        case 0: return L"S";
        case 1: return L"R";
        case 2: return L"C";
        default: return L"";
    }
}

std::wstring ErrorLogName(const std::wstring& configName, int mode) {
    std::wstring letter = ModeLetter(mode);
    if (letter.empty()) return L"";
    return letter + L"_" + SanitizeName(configName, L"_") + L".err";
}

std::wstring ErrorLogPathIn(const std::wstring& directory, const std::wstring& configName, int mode) {
    std::wstring name = ErrorLogName(configName, mode);
    if (name.empty()) return L"";
    return directory + L"\\" + name;
}

std::wstring ErrorLogPath(const std::wstring& configName, int mode) {
    return ErrorLogPathIn(ProgramDirectory(), configName, mode);
}

bool WriteErrorLog(const std::wstring& path, const std::wstring& logText) {
    if (path.empty()) return false;
    std::wstring temporary;
    HANDLE file = CreateTemporary(FolderOf(path), temporary);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = WriteAll(file, ToAnsi(logText));
    FileOps::Close(file);
    if (written && ReplaceWith(temporary, path)) return true;
    FileOps::Delete(temporary);
    return false;
}

bool WriteErrorLog(int mode, const std::wstring& logText) {
    return WriteErrorLog(ErrorLogPath(CurrentConfigName, mode), logText);
}

std::wstring ReadErrorLog(const std::wstring& path) {
    // Any failure of the lookup counts as no log at all.
    if (!FileExists(path)) return L"";
    std::string bytes;
    if (!ReadAll(path, bytes)) return L"";
    return FromAnsi(bytes);
}
