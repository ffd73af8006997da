#include "tests/support/ScriptedUi.h"

#include "tests/support/TestSupport.h"

int ScriptedUi::ShowMessage(HWND, const std::wstring& text, const std::wstring& title, UINT flags) {
    messages.push_back({text, title, flags});
    if (pumpWhileShown) PumpMessagesFor(50);
    if (!messageAnswers.empty()) {
        int answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }
    switch (flags & MB_TYPEMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL: return IDYES;
        case MB_RETRYCANCEL: return IDRETRY;
        case MB_ABORTRETRYIGNORE: return IDABORT;
        default: return IDOK;
    }
}

std::wstring ScriptedUi::BrowseForFolder(HWND, const std::wstring& title, UINT flags,
                                         const std::wstring& startPath) {
    browseTitles.push_back(title);
    browseFlags.push_back(flags);
    browseStartPaths.push_back(startPath);
    if (browseAnswers.empty()) return L"";
    std::wstring answer = browseAnswers.front();
    browseAnswers.pop_front();
    return answer;
}

std::wstring ScriptedUi::AskOpenFile(const OpenFileRequest& request) {
    openFileRequests.push_back(request);
    if (openFileAnswers.empty()) return L"";
    std::wstring answer = openFileAnswers.front();
    openFileAnswers.pop_front();
    return answer;
}

INT_PTR ScriptedUi::ShellRun(HWND, const std::wstring& verb, const std::wstring& file,
                             const std::wstring& parameters, const std::wstring& directory, int show) {
    launches.push_back({verb, file, parameters, directory, show});
    return shellResult;
}

bool ScriptedUi::ShowProperties(HWND, const std::wstring& path) {
    properties.push_back(path);
    return true;
}

bool ScriptedUi::Play(const std::wstring& sound, DWORD flags) {
    sounds.emplace_back(sound, flags);
    return true;
}
