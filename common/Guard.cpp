#include "common/Guard.h"

#include <string>

namespace guard {

void EndAfterFailure(const char* where, const char* what) noexcept {
    std::string line = std::string("Bastide: erreur interne dans ") + where + " : " + (what ? what : "") + "\r\n";
    OutputDebugStringA(line.c_str());
    wchar_t path[MAX_PATH + 16] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        std::wstring log(path, length);
        size_t slash = log.find_last_of(L'\\');
        log = (slash == std::wstring::npos ? std::wstring() : log.substr(0, slash + 1)) + L"Bastide-erreur.log";
        HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(file);
        }
    }
    ExitProcess(FailureExitCode);
}

}  // namespace guard
