#include "app/Instance.h"

#include "app/Settings.h"
#include "common/TempName.h"
#include "app/UiService.h"
#include "app/Utils.h"
#include "common/Handles.h"
#include "version.h"

#include <windows.h>

const wchar_t* const AlreadyRunningText = L"LE PROGRAMME EST DEJA EN MEMOIRE !\r\n     (Regardez la barre des taches)";

bool AnotherInstanceRunning() {
    static const bool another = [] {
        // Held (never closed) for the life of the process; the system frees it at exit.
        HANDLE mutex = CreateMutexW(nullptr, FALSE, BASTIDE_INSTANCE_MUTEX);
        return mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    }();
    return another;
}

// Whether the command line asks for an unattended run, read before any setting is touched.
static bool ArgumentsAskAuto(const std::wstring& arguments) {
    bool savedAuto = AutoLaunch;
    std::wstring savedName = CurrentConfigName;
    AutoLaunch = false;
    ParseCommandLine(arguments);
    bool automatic = AutoLaunch;
    AutoLaunch = savedAuto;
    CurrentConfigName = savedName;
    return automatic;
}

// The temporary files that an earlier process left in folder when it was stopped during a
// write (settings file, error log): only names that pass IsTemporaryName, never a user's file.
static void RemoveStrayTemporaries(const std::wstring& folder) {
    std::wstring prefix = AddBackslash(folder);
    WIN32_FIND_DATAW found;
    win::Find search(FindFirstFileW((prefix + L"~bst*.tmp").c_str(), &found));
    if (!search) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsTemporaryName(found.cFileName))
            DeleteFileW((prefix + found.cFileName).c_str());
    } while (FindNextFileW(search.Get(), &found));
}

bool StartProgram(const std::wstring& arguments) {
    int major = BASTIDE_VERSION_MAJOR;
    int minor = BASTIDE_VERSION_MINOR;
    ReadProgramVersion(major, minor);
    AppTitle = BuildAppTitle(major, minor);

    if (AnotherInstanceRunning()) {
        // An unattended run never shows a box: the scheduled task would wait on it forever.
        if (!ArgumentsAskAuto(arguments)) {
            Ui().ShowMessage(nullptr, AlreadyRunningText, AppTitle, MB_OK | MB_ICONEXCLAMATION);
        }
        return false;
    }
    // Only now: a temporary of the instance that runs must not go when a second one is refused.
    RemoveStrayTemporaries(ProgramDirectory());
    LoadGeneralSettings(ProgramDirectory(), arguments);
    return true;
}
