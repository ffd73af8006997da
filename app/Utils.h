#pragma once
// Small shared operations: text and paths, existence tests, volume text, sounds, shell,
// registry, the folder-or-file chooser, fitting text into controls, common controls and
// the Windows version. They hold no state.
#include <windows.h>
#include <optional>
#include <string>
#include <utility>

// ---- Text and paths (no disk access) ----
std::wstring AddBackslash(const std::wstring& path);
std::pair<std::wstring, std::wstring> SplitPath(const std::wstring& path);  // (dir, name)
std::wstring StripExtension(const std::wstring& name);
std::wstring Quote(const std::wstring& text);
std::wstring Capitalize(const std::wstring& text);
std::wstring SanitizeName(const std::wstring& text, const std::wstring& replacement);
std::wstring CutAtNul(const std::wstring& text);
std::wstring Trim(const std::wstring& text);             // spaces at both ends
std::wstring ToLower(const std::wstring& text);          // letters of the user's locale
std::wstring ToUpper(const std::wstring& text);


// ---- Existence tests ----
bool FileExists(const std::wstring& path);   // a listing of path yields a normal file
bool PathExists(const std::wstring& path);   // first-match search finds a file or directory

// ---- Volume text ----
// "label", "Pas de label" or "Pas de disque", followed by "  (X:)" when withDrive.
std::wstring VolumeText(const std::wstring& root, bool withDrive);

// ---- Program location ----
std::wstring ProgramDirectory();   // folder of the executable, without trailing backslash

// ---- Sounds ----
void PlaySoundAlias(const std::wstring& name);
void PlayNamedSound(const std::wstring& name);

// ---- Shell ----
void ShellOpen(const std::wstring& path, const std::wstring& parameters);
void ShowFileProperties(const std::wstring& path, HWND owner);

// ---- Registry ----
void SetRegistryValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName,
                      const std::wstring& textData, DWORD numberData, DWORD type);
void DeleteRegistryValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName);
std::wstring ReadRegistryText(HKEY root, const std::wstring& subKey, const std::wstring& valueName);

// ---- Folder or file chooser ----
std::wstring BrowseFolder(HWND owner, bool includeFiles, const std::wstring& title,
                          const std::wstring& startPath);

// ---- Display ----
// Fits text into 95 % of the control's width, measured with the control's font (else the
// window's); flags as DrawText (the callers pass DT_PATH_ELLIPSIS). A text that is still
// too wide after that (a path whose last name alone is wider) is cut with an ellipsis at
// its end, so that it always fits on one line.
std::wstring CompactPath(HWND window, HWND control, const std::wstring& text, UINT flags);
// Lets the list box scroll sideways far enough to show its widest entry.
void SetListExtent(HWND window, HWND listBox);
// The text of a list box's entry; empty when there is no such entry.
std::wstring ListItemText(HWND listBox, int index);
// Named like the system function it wraps, hence its namespace.
namespace bastide { void InitCommonControls(); }

// ---- Windows version ----
// The running system's version (RtlGetVersion), whatever the manifest says.
bool IsVistaOrLater();
bool IsXP();

namespace bastide {
struct OsVersion {
    DWORD platformId = 0;
    DWORD major = 0;
    DWORD minor = 0;
    DWORD build = 0;
};
std::optional<OsVersion> QueryOsVersion();   // nothing when the query fails
bool IsVistaOrLater(const OsVersion& version);
bool IsXP(const OsVersion& version);
}  // namespace bastide
