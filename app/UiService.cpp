#include "app/UiService.h"

#include <commdlg.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace {

// Hands the start path to the browser once it is ready, so it opens there.
int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0) {
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    }
    return 0;
}

class WindowsUi final : public UiService {
public:
    int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title, UINT flags) override {
        return MessageBoxW(owner, text.c_str(), title.c_str(), flags);
    }

    std::wstring BrowseForFolder(HWND owner, const std::wstring& title, UINT flags,
                                 const std::wstring& startPath) override {
        BROWSEINFOW info{};
        info.hwndOwner = owner;
        info.lpszTitle = title.c_str();
        info.ulFlags = flags;
        info.lpfn = BrowseCallback;
        // An empty start path is not handed over: the browser then opens on its default.
        info.lParam = startPath.empty() ? 0 : reinterpret_cast<LPARAM>(startPath.c_str());
        PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
        if (!item) return L"";
        wchar_t path[MAX_PATH + 1] = {};
        std::wstring result;
        if (SHGetPathFromIDListW(item, path)) result = path;
        CoTaskMemFree(item);
        return result;
    }

    std::wstring AskOpenFile(const OpenFileRequest& request) override {
        std::wstring filter = request.filter;
        for (auto& c : filter) if (c == L'|') c = L'\0';
        filter.push_back(L'\0');
        std::vector<wchar_t> file(32768, L'\0');
        request.initialFile.copy(file.data(), std::min(request.initialFile.size(), file.size() - 1));
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = request.owner;
        ofn.lpstrFilter = filter.c_str();
        ofn.lpstrFile = file.data();
        ofn.nMaxFile = static_cast<DWORD>(file.size());
        ofn.lpstrInitialDir = request.initialDir.empty() ? nullptr : request.initialDir.c_str();
        ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
        if (!GetOpenFileNameW(&ofn)) return L"";
        return file.data();
    }

    INT_PTR ShellRun(HWND owner, const std::wstring& verb, const std::wstring& file,
                     const std::wstring& parameters, const std::wstring& directory, int show) override {
        auto orNull = [](const std::wstring& s) { return s.empty() ? nullptr : s.c_str(); };
        return reinterpret_cast<INT_PTR>(ShellExecuteW(owner, orNull(verb), file.c_str(), orNull(parameters),
                                                       orNull(directory), show));
    }

    bool ShowProperties(HWND owner, const std::wstring& path) override {
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_INVOKEIDLIST;
        info.hwnd = owner;
        info.lpVerb = L"properties";
        info.lpFile = path.c_str();
        info.nShow = SW_SHOW;
        return ShellExecuteExW(&info) != FALSE;
    }

    bool Play(const std::wstring& sound, DWORD flags) override {
        return PlaySoundW(sound.c_str(), nullptr, flags) != FALSE;
    }

    unsigned WaveOutDeviceCount() override { return waveOutGetNumDevs(); }
};

WindowsUi g_windowsUi;
UiService* g_current = &g_windowsUi;

}  // namespace

UiService& Ui() { return *g_current; }

UiService* SetUi(UiService* service) {
    UiService* previous = g_current;
    g_current = service ? service : &g_windowsUi;
    return previous;
}
