#include "engine/ErrorLog.h"

#include <windows.h>

#include <algorithm>

#include "app/Settings.h"
#include "app/RunModes.h"
#include "common/TempName.h"
#include "app/Utils.h"
#include "common/Files.h"
#include "common/Text.h"
#include "engine/FileOps.h"

namespace {

// The temporary file of a new log goes through the engine's file layer, so tests can make
// its creation or its writes fail.
HANDLE CreateNewLog(const std::wstring& path) { return FileOps::CreateWrite(path); }
void CloseLog(HANDLE file) { FileOps::Close(file); }

const files::Operations& LogOperations() {
    static const files::Operations operations{&CreateNewLog, &FileOps::Write, &CloseLog, &FileOps::Delete};
    return operations;
}

}  // namespace

std::wstring ModeLetter(int mode) { return modes::IsValid(mode) ? modes::Of(mode).letter : L""; }

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
    return files::Replace(path, text::ToAnsi(logText), LogOperations());
}

bool WriteErrorLog(int mode, const std::wstring& logText) {
    return WriteErrorLog(ErrorLogPath(CurrentConfigName, mode), logText);
}

std::wstring ReadErrorLog(const std::wstring& path) {
    // Any failure of the lookup counts as no log at all.
    if (!FileExists(path)) return L"";
    std::string bytes;
    if (files::ReadWhole(path, bytes) != files::ReadResult::Read) return L"";
    return text::FromAnsi(bytes);
}
