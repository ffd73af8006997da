#include "app/Settings.h"

#include "app/IniFile.h"
#include "app/Schedule.h"
#include "app/Utils.h"

#include <vector>

const wchar_t* const PositionSection = L"Position";

std::wstring AppTitle;
bool AutoLaunch = false;
short ExtendedCopyAvailable = 0;
std::wstring IniPath;
std::wstring CurrentConfigName;
short MaxLineIndex = 5;
std::wstring SoundNames[2] = {L"Ok", L"Erreur"};
short AutoStartFlag = 0;
Configuration Config;
GeneralOptions Options;
LineExclusions Exclusions;
short RunMode = 0;
bool CompareReverse = false;

namespace {

// Every piece between separators, empty ones included.
std::vector<std::wstring> SplitText(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> pieces;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        pieces.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos) return pieces;
        start = end + 1;
    }
}

}  // namespace

// ---- Access to the settings file ----

std::wstring ReadSetting(const std::wstring& section, const std::wstring& key) {
    if (key.empty()) return ini::ReadKeyList(IniPath, section);
    return ini::ReadString(IniPath, section, key);
}

void WriteSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    // Nothing is cached on this side, so a flush request has nothing to do.
    if (section.empty()) return;
    ini::WriteString(IniPath, section, key, value);
}

long ReadSettingLong(const std::wstring& section, const std::wstring& key) {
    return ini::ParseLong(ReadSetting(section, key));
}

short ReadSettingShort(const std::wstring& section, const std::wstring& key) {
    return ini::ParseShort(ReadSetting(section, key));
}

void WriteSettingNumber(const std::wstring& section, const std::wstring& key, long value) {
    WriteSetting(section, key, std::to_wstring(value));
}

// ---- Start-up ----

std::wstring BuildAppTitle(int major, int minor) {
    std::wstring twoDigits = L"0" + std::to_wstring(minor);
    return L"Bastide Version " + std::to_wstring(major) + L"." + twoDigits.substr(twoDigits.size() - 2);
}

bool ReadProgramVersion(int& major, int& minor) {
    wchar_t path[MAX_PATH + 1] = {};
    if (!GetModuleFileNameW(nullptr, path, MAX_PATH)) return false;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return false;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path, 0, size, data.data())) return false;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info) return false;
    major = HIWORD(info->dwFileVersionMS);
    minor = LOWORD(info->dwFileVersionMS);
    return true;
}

std::wstring ProcessArguments() {
    // The command line minus the program path, as the system parsed it.
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p == L'"') ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

void ParseCommandLine(const std::wstring& arguments) {
    if (arguments.empty()) return;
    std::vector<std::wstring> pieces = SplitText(arguments, L'/');
    if (pieces.size() == 1) {
        CurrentConfigName = Capitalize(arguments);
        return;
    }
    for (size_t i = 1; i < pieces.size(); ++i) {
        std::wstring piece = Capitalize(Trim(pieces[i]));
        if (piece == L"Auto") {
            AutoLaunch = true;
        } else {
            CurrentConfigName = piece;
        }
    }
}

void SizeLineArrays() {
    size_t count = static_cast<size_t>(MaxLineIndex) + 1;
    Config.Sources.assign(count, L"");
    Config.Destinations.assign(count, L"");
    Config.Selected.assign(count, 0);
}

void LoadGeneralSettings(const std::wstring& programDirectory, const std::wstring& arguments) {
    IniPath = AddBackslash(programDirectory) + L"Bastide.ini";
    long lines = ReadSettingLong(PositionSection, L"RepertMax");
    // A configuration has at most twelve lines: a damaged count must not build thousands of rows.
    if (lines - 1 < 0) {
        MaxLineIndex = 5;
    } else {
        MaxLineIndex = static_cast<short>(lines > MaxLines ? MaxLines - 1 : lines - 1);
    }
    SizeLineArrays();
    ParseCommandLine(arguments);
    if (CurrentConfigName.empty()) CurrentConfigName = ReadSetting(PositionSection, L"Config");
    if (CurrentConfigName.empty()) CurrentConfigName = L"General";
    LoadConfiguration();

    Options.RecentSeul = ReadSettingLong(PositionSection, L"RecentSeul");
    Options.CorrectEteOff = ReadSettingShort(PositionSection, L"CorrectEteOff");
    Options.DelReadOnly = ReadSettingLong(PositionSection, L"DelReadOnly");
    Options.ContinueOnError = ReadSettingLong(PositionSection, L"ContinueOnError");
    Options.SynchroCopie = ReadSettingLong(PositionSection, L"SynchroCopie");
    Options.AltCopie = ReadSettingShort(PositionSection, L"AltCopie");
    Options.SynchroDate = ReadSettingLong(PositionSection, L"SynchroDate");
    Options.ArbreMode = ReadSettingLong(PositionSection, L"ArbreMode");
    Options.SignalSonore = ReadSettingLong(PositionSection, L"SignalSonore");

    const wchar_t* soundKeys[2] = {L"Ok", L"Erreur"};
    for (int i = 0; i < 2; ++i) {
        SoundNames[i] = ReadSetting(PositionSection, std::wstring(L"Signal") + soundKeys[i]);
        if (SoundNames[i].empty()) SoundNames[i] = soundKeys[i];
    }
    Options.SuiviAnalyse = ReadSettingLong(PositionSection, L"SuiviAnalyse");

    ExtendedCopyAvailable = IsVistaOrLater() ? 2 : (IsXP() ? 1 : 0);
}

void LoadConfiguration() {
    const std::wstring& section = CurrentConfigName;
    Config.Description = ReadSetting(section, L"Description");
    SizeLineArrays();
    for (int n = 0; n <= MaxLineIndex; ++n) {
        std::wstring index = std::to_wstring(n);
        Config.Sources[n] = ReadSetting(section, L"Source" + index);
        Config.Destinations[n] = ReadSetting(section, L"Destination" + index);
        Config.Selected[n] = ReadSettingShort(section, L"Select" + index);
    }
    Config.RunProgramAfter = ReadSettingShort(section, L"SelectP");
    Config.ProgToRun = ReadSetting(section, L"ProgToRun");
    Config.PrmToRun = ReadSetting(section, L"PrmToRun");
    Config.Confirmation = ReadSettingLong(section, L"Confirmation");
    Config.Modifie = ReadSettingLong(section, L"Modifie");
    Config.AutoSave = ReadSettingLong(section, L"AutoSave");
    Config.AutoTime = ReadSetting(section, L"AutoTime");
    if (Config.AutoTime.empty()) Config.AutoTime = L"00:00";
    ComputeNextRunDate(false);

    const wchar_t* kinds[3] = {L"Save", L"Rest", L"Comp"};
    for (int k = 0; k < 3; ++k) {
        LastResult& last = Config.Last[k];
        std::wstring kind = kinds[k];
        last.Date = ReadSetting(section, L"Last" + kind);
        last.DateErr = ReadSetting(section, L"Last" + kind + L"Err");
        last.NbErr = ReadSettingLong(section, L"Last" + kind + L"NbErr");
        last.Duration = ReadSetting(section, L"LastDuree" + kind);
        last.DurationErr = ReadSetting(section, L"LastDuree" + kind + L"Err");
    }
}

// ---- Exclusions ----

namespace {
std::wstring ExclusionPrefix(int line) { return L"RepExclu" + std::to_wstring(line) + L"_"; }
std::wstring ExclusionKey(int line, long k) { return ExclusionPrefix(line) + L"Rep" + std::to_wstring(k); }
}  // namespace

void LoadExclusions(int line) {
    Exclusions.Mode = ReadSettingLong(CurrentConfigName, ExclusionPrefix(line) + L"Mode");
    Exclusions.Count = 0;
    Exclusions.List.assign(1, L"");
    for (long k = 1;; ++k) {
        std::wstring value = ReadSetting(CurrentConfigName, ExclusionKey(line, k));
        if (value.empty()) break;
        Exclusions.Count = k;
        Exclusions.List.push_back(value);
    }
}

std::wstring GetExclusionsText(int line) {
    std::wstring text = ReadSetting(CurrentConfigName, ExclusionPrefix(line) + L"Mode");
    for (long k = 1;; ++k) {
        std::wstring value = ReadSetting(CurrentConfigName, ExclusionKey(line, k));
        if (value.empty()) break;
        text += L"|" + value;
    }
    return text;
}

namespace {

// Whether key names a directory of the line's list ("RepExclu3_Rep12"), in any letter case.
bool IsExclusionListKey(const std::wstring& key, int line) {
    std::wstring prefix = ToLower(ExclusionPrefix(line) + L"Rep");
    std::wstring name = ToLower(key);
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (name[i] < L'0' || name[i] > L'9') return false;
    }
    return true;
}

}  // namespace

void ClearExclusions(int line) {
    LoadExclusions(line);
    WriteSetting(CurrentConfigName, ExclusionPrefix(line) + L"Mode", L"0");
    for (long k = 1; k <= Exclusions.Count; ++k) WriteSetting(CurrentConfigName, ExclusionKey(line, k), L"");
    // A list written by hand may have gaps (Rep1, Rep3): the keys past a gap would join the
    // next list written for the line (a line moved here) once it reaches the gap.
    for (const std::wstring& key : ini::KeyNames(IniPath, CurrentConfigName)) {
        if (IsExclusionListKey(key, line)) WriteSetting(CurrentConfigName, key, L"");
    }
}

std::wstring ExclusionValue(const std::wstring& entry) {
    if (entry.empty()) return entry;
    auto blank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    bool quoted = entry.size() >= 2 && (entry.front() == L'"' || entry.front() == L'\'') && entry.back() == entry.front();
    return blank(entry.front()) || blank(entry.back()) || quoted ? Quote(entry) : entry;
}

void SetExclusionsFromText(const std::wstring& text, int line) {
    ClearExclusions(line);
    if (text.empty()) return;
    std::vector<std::wstring> pieces = SplitText(text, L'|');
    WriteSetting(CurrentConfigName, ExclusionPrefix(line) + L"Mode", pieces[0]);
    for (size_t k = 1; k < pieces.size(); ++k) {
        if (pieces[k].empty()) break;
        WriteSetting(CurrentConfigName, ExclusionKey(line, static_cast<long>(k)), ExclusionValue(pieces[k]));
    }
}

// ---- Configurations ----

std::vector<std::wstring> ConfigurationNames() {
    std::wstring list = ini::ReadSectionList(IniPath);
    std::vector<std::wstring> names;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(L'\0', start);
        if (end == std::wstring::npos) end = list.size();
        std::wstring name = list.substr(start, end - start);
        if (name.empty()) break;
        // Section names match without regard to case: "[POSITION]" is the general section too.
        if (CompareStringOrdinal(name.c_str(), -1, PositionSection, -1, TRUE) != CSTR_EQUAL) names.push_back(name);
        start = end + 1;
    }
    return names;
}

void ListConfigurations(HWND list) {
    wchar_t className[32] = {};
    GetClassNameW(list, className, 32);
    bool combo = lstrcmpiW(className, L"ComboBox") == 0;
    for (const auto& name : ConfigurationNames()) {
        SendMessageW(list, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
}

short LastUsedLine() {
    for (int n = MaxLineIndex; n >= 1; --n) {
        if (!Config.Sources[n].empty() || !Config.Destinations[n].empty()) return static_cast<short>(n);
    }
    return 0;
}
