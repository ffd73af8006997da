#pragma once
// The settings file Bastide.ini beside the program, the in-memory current configuration
// and the program-wide options. Every change is written at once, key by key.
#include <windows.h>

#include <string>
#include <vector>

// ---- Access to the settings file ----
// With an empty key: the names of the section's keys, each followed by a NUL.
std::wstring ReadSetting(const std::wstring& section, const std::wstring& key);
// Empty section: nothing written. Empty key: deletes the section. Empty value: deletes the key.
// Failures are ignored: the program goes on with its in-memory values.
void WriteSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value);
long ReadSettingLong(const std::wstring& section, const std::wstring& key);
short ReadSettingShort(const std::wstring& section, const std::wstring& key);
void WriteSettingNumber(const std::wstring& section, const std::wstring& key, long value);

extern const wchar_t* const PositionSection;  // "Position"
constexpr int MaxLines = 12;                  // lines of a configuration, at most

// ---- In-memory types ----
struct BackupLine {
    std::wstring Source;       // directory, drive root or file; empty = line not in use
    std::wstring Destination;  // directory receiving the copy; empty = line not in use
    short Selected = 0;        // 1 = takes part in runs
};

struct LastResult {            // one kind of run: backup, restore or comparison
    std::wstring Date;         // last run without error, "dd/mm/yyyy hh:nn:ss"
    std::wstring DateErr;      // last run with errors
    long NbErr = 0;            // error count (comparison: files to copy) of that run
    std::wstring Duration;     // duration of the last run without error
    std::wstring DurationErr;  // duration of the last run with errors
};

struct Configuration {
    std::wstring Description;
    std::vector<std::wstring> Sources;       // indexed 0..MaxLineIndex
    std::vector<std::wstring> Destinations;
    std::vector<short> Selected;
    short RunProgramAfter = 0;               // "SelectP"
    std::wstring ProgToRun;
    std::wstring PrmToRun;
    long Confirmation = 0;
    long Modifie = 0;
    long AutoSave = 0;
    std::wstring AutoTime = L"00:00";
    LastResult Last[3];                      // [RunMode]: 0 backup, 1 restore, 2 comparison
};

// The program-wide copy options (stored "-1" on, "0" off).
struct GeneralOptions {
    long RecentSeul = 0;
    short CorrectEteOff = 0;
    long DelReadOnly = 0;
    long ContinueOnError = 0;
    long SynchroCopie = 0;
    short AltCopie = 0;
    long SynchroDate = 0;
    long ArbreMode = 0;
    long SignalSonore = 0;
    long SuiviAnalyse = 0;
};

// One line's excluded directories, loaded on demand.
struct LineExclusions {
    long Mode = 0;                       // 0 none, 1 every subdirectory, 2 the listed ones
    long Count = 0;
    std::vector<std::wstring> List{L""}; // 1-based: List[1..Count]
};

// ---- Process-wide state ----
extern std::wstring AppTitle;
extern bool AutoLaunch;
extern short ExtendedCopyAvailable;
extern std::wstring IniPath;
extern std::wstring CurrentConfigName;
extern short MaxLineIndex;
extern std::wstring SoundNames[2];
extern short AutoStartFlag;
extern Configuration Config;
extern GeneralOptions Options;
extern LineExclusions Exclusions;
// The mode shown by the main window: 0 backup (S), 1 restore (R), 2 comparison (C);
// the engine reads it during a run.
extern short RunMode;
// Direction of a comparison: true runs from the destination to the source.
extern bool CompareReverse;

// ---- Operations ----
// The argument text of the process, without the program path.
std::wstring ProcessArguments();
void ParseCommandLine(const std::wstring& arguments);
// Sizes the line arrays to 0..MaxLineIndex, all empty.
void SizeLineArrays();
void LoadGeneralSettings(const std::wstring& programDirectory, const std::wstring& arguments);
void LoadConfiguration();

void LoadExclusions(int line);
std::wstring GetExclusionsText(int line);
void SetExclusionsFromText(const std::wstring& text, int line);
// The value stored for an excluded directory: between quotes when the file would otherwise
// drop the blanks or the quotes around it on reading; as it is otherwise.
std::wstring ExclusionValue(const std::wstring& entry);
void ClearExclusions(int line);

// Every configuration name of the file, in file order ("Position" left out).
std::vector<std::wstring> ConfigurationNames();
// Adds them to a list box (LB_ADDSTRING) or combo box (CB_ADDSTRING).
void ListConfigurations(HWND list);
short LastUsedLine();

// "Bastide Version " + major + "." + minor as two digits.
std::wstring BuildAppTitle(int major, int minor);
// Reads the version resource of the running executable; false when there is none.
bool ReadProgramVersion(int& major, int& minor);
