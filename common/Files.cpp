#include "common/Files.h"

#include <algorithm>

#include "common/Handles.h"
#include "common/TempName.h"

namespace files {

namespace {

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L"";
    return path.substr(0, slash + 1);
}

HANDLE CreateNewFile(const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteToFile(HANDLE file, const void* data, DWORD size) {
    DWORD written = 0;
    if (!WriteFile(file, data, size, &written, nullptr)) return false;
    if (written != size) {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    return true;
}

void CloseFile(HANDLE file) { CloseHandle(file); }
bool RemoveFile(const std::wstring& path) { return DeleteFileW(path.c_str()) != FALSE; }

// A new temporary file beside path; a name already taken is skipped, never reused.
HANDLE CreateTemporary(const std::wstring& path, const Operations& operations, std::wstring& name) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = FolderOf(path) + NewTemporaryName();
        HANDLE file = operations.createNew(name);
        if (file != INVALID_HANDLE_VALUE) return file;
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    name.clear();
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, const std::string& bytes, const Operations& operations) {
    constexpr size_t block = 1 << 20;
    for (size_t done = 0; done < bytes.size();) {
        DWORD size = static_cast<DWORD>(std::min(block, bytes.size() - done));
        if (!operations.write(file, bytes.data() + done, size)) return false;
        done += size;
    }
    // On the disk before the move, so a power cut cannot leave an empty file in the old
    // one's place.
    return FlushFileBuffers(file) != FALSE;
}

// A scanner or another program may hold the old file for a moment: a few short retries.
bool MoveOver(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
        DWORD error = GetLastError();
        bool transient =
            error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
        if (!transient || attempt == 2) return false;
        Sleep(30);
    }
}

}  // namespace

ReadResult ReadWhole(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    win::File file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                                : ReadResult::Failed;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF) return ReadResult::Failed;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr)) {
            bytes.clear();
            return ReadResult::Failed;
        }
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return ReadResult::Read;
}

const Operations& SystemOperations() {
    static const Operations operations{&CreateNewFile, &WriteToFile, &CloseFile, &RemoveFile};
    return operations;
}

bool Replace(const std::wstring& path, const std::string& bytes, const Operations& operations) {
    if (path.empty()) return false;
    std::wstring temporary;
    HANDLE file = CreateTemporary(path, operations, temporary);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = WriteAll(file, bytes, operations);
    operations.close(file);
    if (written && MoveOver(temporary, path)) return true;
    operations.remove(temporary);
    return false;
}

}  // namespace files
