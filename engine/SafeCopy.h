#pragma once
// Copying one file without ever leaving a truncated copy under its real name: the data
// goes to a temporary file in the target directory, which takes the source's time stamp
// and attributes and then replaces the old copy in one rename. Whatever goes wrong (a
// full disk, a file in use, an interruption), the old copy stays as it was and the
// temporary file is removed. Temporary names come from app/TempName.h.
#include <windows.h>

#include <cstdint>
#include <string>

// Called after each block written with the bytes of this file written so far.
using CopyProgressRoutine = void (*)(int64_t transferred);

// The block-by-block copy: progress after each block; stops with ERROR_REQUEST_ABORTED
// when *cancel becomes non-zero. On failure error holds the system error code.
bool CopyInBlocks(const std::wstring& source, const std::wstring& copy, CopyProgressRoutine progress,
                  const volatile int32_t* cancel, DWORD& error);

// The plain system copy (CopyFileW) into the temporary file, then the same rename.
bool CopyWithSystem(const std::wstring& source, const std::wstring& copy, DWORD& error);
