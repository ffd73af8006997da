#pragma once
// A UiService for tests: records every box, browse, launch and sound, and answers from
// a script. Install it for a scope with ScopedUi.
#include "app/UiService.h"

#include <deque>
#include <string>
#include <vector>

struct ShownMessage {
    std::wstring text;
    std::wstring title;
    UINT flags = 0;
    UINT Icon() const { return flags & MB_ICONMASK; }
    UINT Buttons() const { return flags & MB_TYPEMASK; }
};

struct ShellLaunch {
    std::wstring verb, file, parameters, directory;
    int show = 0;
};

class ScriptedUi : public UiService {
public:
    // Answers given in order; when none is left a box is answered with its default
    // button (IDOK, or IDYES for yes/no boxes) and a chooser is cancelled.
    std::deque<int> messageAnswers;
    std::deque<std::wstring> browseAnswers;
    std::deque<std::wstring> openFileAnswers;
    INT_PTR shellResult = 42;
    // A real box runs a message loop while it is up; set this to do the same.
    bool pumpWhileShown = false;
    unsigned waveDevices = 1;

    std::vector<ShownMessage> messages;
    std::vector<std::wstring> browseStartPaths;
    std::vector<UINT> browseFlags;
    std::vector<std::wstring> browseTitles;
    std::vector<OpenFileRequest> openFileRequests;
    std::vector<ShellLaunch> launches;
    std::vector<std::wstring> properties;
    std::vector<std::pair<std::wstring, DWORD>> sounds;

    int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title, UINT flags) override;
    std::wstring BrowseForFolder(HWND owner, const std::wstring& title, UINT flags,
                                 const std::wstring& startPath) override;
    std::wstring AskOpenFile(const OpenFileRequest& request) override;
    INT_PTR ShellRun(HWND owner, const std::wstring& verb, const std::wstring& file,
                     const std::wstring& parameters, const std::wstring& directory, int show) override;
    bool ShowProperties(HWND owner, const std::wstring& path) override;
    bool Play(const std::wstring& sound, DWORD flags) override;
    unsigned WaveOutDeviceCount() override { return waveDevices; }
};

// Installs a ScriptedUi for the lifetime of the object.
class ScopedUi : public ScriptedUi {
public:
    ScopedUi() : previous_(SetUi(this)) {}
    ~ScopedUi() override { SetUi(previous_); }
    ScopedUi(const ScopedUi&) = delete;
    ScopedUi& operator=(const ScopedUi&) = delete;

private:
    UiService* previous_;
};
