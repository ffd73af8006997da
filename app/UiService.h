#pragma once
// The one door through which the program shows modal boxes, the folder browser and the
// file-open dialog, launches things through the shell and plays sounds. The real service
// calls Windows; tests install a scripted one that answers questions and records texts.
#include <windows.h>
#include <string>

struct OpenFileRequest {
    HWND owner = nullptr;
    std::wstring title;
    std::wstring filter;       // pairs "Programmes (*.exe)|*.exe|..." separated by '|'
    std::wstring initialDir;
    std::wstring initialFile;
};

class UiService {
public:
    virtual ~UiService() = default;

    // MessageBoxW: returns the button pressed (IDOK, IDCANCEL, IDYES, ...).
    virtual int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title, UINT flags) = 0;

    // The shell's folder browser (SHBrowseForFolderW) with the given BIF_ flags, opening on
    // startPath. Returns the chosen file-system path, or "" when cancelled.
    virtual std::wstring BrowseForFolder(HWND owner, const std::wstring& title, UINT flags,
                                         const std::wstring& startPath) = 0;

    // The file-open dialog. Returns the chosen full path, or "" when cancelled.
    virtual std::wstring AskOpenFile(const OpenFileRequest& request) = 0;

    // ShellExecuteW(owner, verb, file, parameters, directory, show); returns its result.
    virtual INT_PTR ShellRun(HWND owner, const std::wstring& verb, const std::wstring& file,
                                 const std::wstring& parameters, const std::wstring& directory, int show) = 0;

    // The properties sheet of a file or folder (ShellExecuteEx, verb "properties",
    // invoke-ID-list mode).
    virtual bool ShowProperties(HWND owner, const std::wstring& path) = 0;

    // PlaySoundW(sound, nullptr, flags); returns its result.
    virtual bool Play(const std::wstring& sound, DWORD flags) = 0;

    // waveOutGetNumDevs().
    virtual unsigned WaveOutDeviceCount() = 0;
};

// The process-wide service; the real one unless a test installed another.
UiService& Ui();

// Installs a service (nullptr restores the real one); returns the previous one.
UiService* SetUi(UiService* service);
