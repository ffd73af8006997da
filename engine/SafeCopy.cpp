#include "engine/SafeCopy.h"

#include <cwchar>
#include <vector>

#include "common/TempName.h"
#include "engine/FileOps.h"

namespace {

constexpr DWORD BlockSize = 1 << 20;
constexpr DWORD CopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr int NameAttempts = 100;

std::wstring DirectoryOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring TemporaryPath(const std::wstring& copy) { return DirectoryOf(copy) + NewTemporaryName(); }

// A new temporary file beside the copy; an existing file of that name is left alone.
HANDLE CreateTemporary(const std::wstring& copy, std::wstring& path) {
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        path = TemporaryPath(copy);
        HANDLE file = FileOps::CreateWrite(path);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

void RemoveTemporary(const std::wstring& path) {
    FileOps::SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
    FileOps::Delete(path);
}

std::vector<char>& Buffer() {
    static std::vector<char> buffer(BlockSize);
    return buffer;
}

// Source data into the temporary file, block by block.
bool TransferBlocks(HANDLE source, HANDLE target, CopyProgressRoutine progress, const volatile int32_t* cancel) {
    std::vector<char>& buffer = Buffer();
    int64_t transferred = 0;
    for (;;) {
        DWORD got = 0;
        if (!FileOps::Read(source, buffer.data(), BlockSize, got)) return false;
        if (got == 0) break;
        if (!FileOps::Write(target, buffer.data(), got)) return false;
        transferred += got;
        if (progress) progress(transferred);
        if (cancel && *cancel != 0) {
            SetLastError(ERROR_REQUEST_ABORTED);
            return false;
        }
    }
    if (transferred == 0 && progress) progress(0);
    return true;
}

// What the system copy gives the new file: the source's last-write time and attributes.
bool StampAsSource(HANDLE source, HANDLE target) {
    // Not GetFileInformationByHandle: the volume serial number it also fetches costs more
    // under Wine than the whole copy of a small file.
    FILE_BASIC_INFO info{};
    if (!GetFileInformationByHandleEx(source, FileBasicInfo, &info, sizeof info)) return false;
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime = info.LastWriteTime;
    basic.FileAttributes = info.FileAttributes & CopiedAttributes;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return FileOps::SetInfo(target, basic);
}

}  // namespace

bool CopyInBlocks(const std::wstring& source, const std::wstring& copy, CopyProgressRoutine progress,
                  const volatile int32_t* cancel, DWORD& error) {
    error = 0;
    FileOps::File in(FileOps::OpenRead(source));
    if (!in) {
        error = GetLastError();
        return false;
    }
    std::wstring temporary;
    FileOps::File out(CreateTemporary(copy, temporary));
    if (!out) {
        error = GetLastError();
        return false;
    }
    bool done = TransferBlocks(in.Get(), out.Get(), progress, cancel) && StampAsSource(in.Get(), out.Get()) &&
                FileOps::Rename(out.Get(), copy);
    if (!done) error = GetLastError();
    out.Reset();
    if (!done) {
        RemoveTemporary(temporary);
        if (error == 0) error = ERROR_GEN_FAILURE;
    }
    return done;
}

bool CopyWithSystem(const std::wstring& source, const std::wstring& copy, DWORD& error) {
    error = 0;
    std::wstring temporary;
    bool copied = false;
    for (int attempt = 0; attempt < NameAttempts && !copied; ++attempt) {
        temporary = TemporaryPath(copy);
        copied = FileOps::Copy(source, temporary);
        if (!copied && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    bool done = copied && FileOps::Move(temporary, copy);
    if (!done) {
        error = GetLastError();
        // Never remove a file of that name that the copy did not make.
        if (copied || error != ERROR_FILE_EXISTS) RemoveTemporary(temporary);
        if (error == 0) error = ERROR_GEN_FAILURE;
    }
    return done;
}

