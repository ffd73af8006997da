#pragma once
// Whole files: read in one piece, and replaced in one step. A replace writes the new
// bytes to a temporary file beside the old one (a name of the program's own, see
// TempName.h), puts them on the disk and moves the file over the old one, so a reader
// never sees a file half written and a failure leaves the old file as it was.
#include <windows.h>

#include <string>

namespace files {

enum class ReadResult { Read, Missing, Failed };

// Missing: the file or its folder does not exist; Failed: any other error.
ReadResult ReadWhole(const std::wstring& path, std::string& bytes);

// The calls a replace makes on the temporary file, so that a layer with a fault table of
// its own (the copy engine's) can route them through it.
struct Operations {
    HANDLE (*createNew)(const std::wstring& path);  // fails when the file exists
    bool (*write)(HANDLE file, const void* data, DWORD size);
    void (*close)(HANDLE file);
    bool (*remove)(const std::wstring& path);
};
const Operations& SystemOperations();

bool Replace(const std::wstring& path, const std::string& bytes, const Operations& operations = SystemOperations());

}  // namespace files
