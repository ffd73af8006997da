#include "app/Utils.h"

#include "app/Events.h"
#include "app/UiService.h"
#include "common/Handles.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <shlobj.h>

#include <cmath>
#include <vector>

namespace bastide {

void InitCommonControls() {
    INITCOMMONCONTROLSEX init{};
    init.dwSize = 8;
    init.dwICC = ICC_PROGRESS_CLASS;  // 32
    InitCommonControlsEx(&init);
}

}  // namespace bastide

// ---- Text and paths ----

std::wstring AddBackslash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\') return path;
    return path + L'\\';
}

std::pair<std::wstring, std::wstring> SplitPath(const std::wstring& path) {
    std::wstring whole = path;
    if (!whole.empty() && whole.back() == L'\\') whole.pop_back();
    size_t slash = whole.rfind(L'\\');
    if (slash == std::wstring::npos) return {whole, L""};
    return {whole.substr(0, slash + 1), whole.substr(slash + 1)};
}

std::wstring StripExtension(const std::wstring& name) {
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring Quote(const std::wstring& text) {
    if (text.empty()) return text;
    return L'"' + text + L'"';
}

std::wstring Capitalize(const std::wstring& text) {
    std::wstring result = ToLower(text);
    if (!result.empty()) result.replace(0, 1, ToUpper(result.substr(0, 1)));
    return result;
}

std::wstring SanitizeName(const std::wstring& text, const std::wstring& replacement) {
    // The order matters when the replacement itself holds one of the characters.
    static const wchar_t forbidden[] = {L'<', L'>', L'|', L'\\', L'/', L'*', L':', L'?', L'"'};
    std::wstring result = text;
    for (wchar_t bad : forbidden) {
        std::wstring replaced;
        replaced.reserve(result.size());
        for (wchar_t c : result) {
            if (c == bad) replaced += replacement;
            else replaced += c;
        }
        result = std::move(replaced);
    }
    return Trim(result);
}

std::wstring CutAtNul(const std::wstring& text) {
    size_t nul = text.find(L'\0');
    return nul == std::wstring::npos ? text : text.substr(0, nul);
}

std::wstring Trim(const std::wstring& text) {
    size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return L"";
    size_t last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
}

std::wstring ToLower(const std::wstring& text) {
    std::wstring result = text;
    if (!result.empty()) CharLowerBuffW(result.data(), static_cast<DWORD>(result.size()));
    return result;
}

std::wstring ToUpper(const std::wstring& text) {
    std::wstring result = text;
    if (!result.empty()) CharUpperBuffW(result.data(), static_cast<DWORD>(result.size()));
    return result;
}

// ---- Existence tests ----

bool FileExists(const std::wstring& path) {
    if (path.empty()) return false;
    WIN32_FIND_DATAW data;
    win::Find find(FindFirstFileW(path.c_str(), &data));
    if (!find) return false;
    bool found = false;
    do {
        found = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    } while (!found && FindNextFileW(find.Get(), &data));
    return found;
}

bool PathExists(const std::wstring& path) {
    if (path.empty()) return false;
    WIN32_FIND_DATAW data;
    return win::Find(FindFirstFileW(path.c_str(), &data)).Valid();
}

// ---- Volume text ----

std::wstring VolumeText(const std::wstring& root, bool withDrive) {
    // Room for any label the system may return: a 32-character buffer is too small for
    // a full-length NTFS label, and the drive would then be reported as missing.
    wchar_t name[MAX_PATH + 1] = {};
    std::wstring text;
    if (GetVolumeInformationW(root.c_str(), name, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) {
        text = CutAtNul(std::wstring(name, MAX_PATH + 1));
        if (Trim(text).empty()) text = L"Pas de label";
    } else {
        text = L"Pas de disque";
    }
    if (withDrive) text += L"  (" + ToUpper(root.substr(0, 2)) + L")";
    return text;
}

// ---- Program location ----

std::wstring ProgramDirectory() {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0) return L"";
        if (length < size) {
            std::wstring path(buffer.data(), length);
            size_t slash = path.rfind(L'\\');
            return slash == std::wstring::npos ? L"" : path.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);
    }
}

// ---- Sounds ----

void PlaySoundAlias(const std::wstring& name) {
    if (Ui().WaveOutDeviceCount() == 0) return;
    Ui().Play(name, SND_ASYNC);
    ProcessPendingEventsNow();
}

void PlayNamedSound(const std::wstring& name) {
    if (Ui().WaveOutDeviceCount() == 0) return;
    std::wstring path = ProgramDirectory() + L"\\" + name + L".wav";
    if (!PathExists(path)) return;
    Ui().Play(path, SND_ASYNC | SND_FILENAME | SND_NODEFAULT);
    ProcessPendingEventsNow();
}

// ---- Shell ----

void ShellOpen(const std::wstring& path, const std::wstring& parameters) {
    // An empty verb is the item's default verb.
    Ui().ShellRun(nullptr, L"", path, parameters, L"", SW_SHOWNORMAL);
}

void ShowFileProperties(const std::wstring& path, HWND owner) {
    Ui().ShowProperties(owner, path);
}

// ---- Registry ----

namespace {

win::Key OpenKey(HKEY root, const std::wstring& subKey, REGSAM access) {
    win::Key key;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, access, key.Put()) != ERROR_SUCCESS) key.Release();
    return key;
}

}  // namespace

void SetRegistryValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                      const std::wstring& textData, DWORD numberData, DWORD type) {
    win::Key key = OpenKey(root, subKey, KEY_ALL_ACCESS);
    if (!key.Get()) return;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        // The terminating NUL is stored too, so that every reader gets a terminated text.
        DWORD bytes = static_cast<DWORD>((textData.size() + 1) * sizeof(wchar_t));
        RegSetValueExW(key.Get(), valueName.c_str(), 0, type, reinterpret_cast<const BYTE*>(textData.c_str()),
                       bytes);
    } else if (type == REG_DWORD) {
        RegSetValueExW(key.Get(), valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&numberData),
                       sizeof numberData);
    }
}

void DeleteRegistryValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName) {
    win::Key key = OpenKey(root, subKey, KEY_ALL_ACCESS);
    if (key.Get()) RegDeleteValueW(key.Get(), valueName.c_str());
}

std::wstring ReadRegistryText(HKEY root, const std::wstring& subKey, const std::wstring& valueName) {
    win::Key key = OpenKey(root, subKey, KEY_READ);
    if (!key.Get()) return L"";
    for (DWORD bytes = 256;;) {
        // One extra character guarantees termination of a value stored without its NUL.
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD type = 0;
        DWORD size = bytes;
        LONG result =
            RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (result == ERROR_MORE_DATA) {
            bytes = size + sizeof(wchar_t);
            continue;
        }
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return L"";
        return CutAtNul(std::wstring(buffer.data(), size / sizeof(wchar_t)));
    }
}

// ---- Folder or file chooser ----

std::wstring BrowseFolder(HWND owner, bool includeFiles, const std::wstring& title, const std::wstring& startPath) {
    UINT flags = BIF_RETURNONLYFSDIRS | (includeFiles ? BIF_BROWSEINCLUDEFILES : 0);
    std::wstring chosen = CutAtNul(Ui().BrowseForFolder(owner, title, flags, startPath));
    if (chosen.size() > MAX_PATH) chosen.resize(MAX_PATH);
    return chosen;
}

// ---- Display ----

namespace {

HFONT FontOf(HWND window) {
    return window ? reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)) : nullptr;
}

LONG ScaledEdge(LONG edge) {
    return static_cast<LONG>(std::lround(edge * 0.95));
}

}  // namespace

std::wstring CompactPath(HWND window, HWND control, const std::wstring& text, UINT flags) {
    RECT bounds{};
    GetWindowRect(control, &bounds);
    RECT area{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
    area.left = ScaledEdge(area.left);
    area.right = ScaledEdge(area.right);

    HFONT font = FontOf(control);
    if (!font) font = FontOf(window);
    win::WindowDc dc(window);
    if (!dc.Get()) return text;
    win::Selection selection(dc.Get(), font);

    // DT_MODIFYSTRING may write up to four characters more than the text holds.
    std::vector<wchar_t> buffer(text.begin(), text.end());
    buffer.resize(text.size() + 5, L'\0');
    const LONG room = area.right - area.left;
    RECT measured = area;
    DrawTextW(dc.Get(), buffer.data(), static_cast<int>(text.size()), &measured,
              flags | DT_CALCRECT | DT_MODIFYSTRING);
    std::wstring fitted = CutAtNul(std::wstring(buffer.data(), buffer.size()));
    if (measured.right - measured.left <= room || fitted.empty()) return fitted;

    // Even the shortest form of a path keeps its last name whole, which may be wider
    // than the control: that name then ends with an ellipsis, on one line.
    buffer.assign(fitted.begin(), fitted.end());
    buffer.resize(fitted.size() + 5, L'\0');
    measured = area;
    DrawTextW(dc.Get(), buffer.data(), static_cast<int>(fitted.size()), &measured,
              (flags & ~(DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS | DT_WORDBREAK)) | DT_END_ELLIPSIS | DT_SINGLELINE |
                  DT_CALCRECT | DT_MODIFYSTRING);
    return CutAtNul(std::wstring(buffer.data(), buffer.size()));
}

void SetListExtent(HWND window, HWND listBox) {
    HWND measured = window ? window : listBox;
    win::WindowDc dc(measured);
    if (!dc.Get()) return;
    win::Selection selection(dc.Get(), FontOf(listBox));

    LONG widest = 0;
    LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length <= 0) continue;
        std::vector<wchar_t> entry(static_cast<size_t>(length) + 1, L'\0');
        LRESULT got = SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry.data()));
        if (got <= 0) continue;
        SIZE size{};
        if (GetTextExtentPoint32W(dc.Get(), entry.data(), static_cast<int>(got), &size) && size.cx > widest) {
            widest = size.cx;
        }
    }
    SendMessageW(listBox, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + GetSystemMetrics(SM_CXVSCROLL)), 0);
}

std::wstring ListItemText(HWND listBox, int index) {
    LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return L"";
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT got = SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    return got > 0 ? std::wstring(text.data(), static_cast<size_t>(got)) : L"";
}

// ---- Windows version ----

namespace bastide {

std::optional<OsVersion> QueryOsVersion() {
    // GetVersionEx reports the version named in the manifest, not the running system.
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return std::nullopt;
    auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    if (!rtlGetVersion) return std::nullopt;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (rtlGetVersion(&info) != 0) return std::nullopt;
    return OsVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

bool IsVistaOrLater(const OsVersion& version) {
    return version.platformId == VER_PLATFORM_WIN32_NT && version.major > 5;
}

bool IsXP(const OsVersion& version) {
    return version.platformId == VER_PLATFORM_WIN32_NT && version.major == 5 && version.minor == 1 &&
           version.build >= 2600;
}

}  // namespace bastide

bool IsVistaOrLater() {
    auto version = bastide::QueryOsVersion();
    return version && bastide::IsVistaOrLater(*version);
}

bool IsXP() {
    auto version = bastide::QueryOsVersion();
    return version && bastide::IsXP(*version);
}
