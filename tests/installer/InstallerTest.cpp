// The setup program and its uninstaller, run silently as an administrator deploying
// Bastide would run them. CTest runs these tests in a Wine prefix of their own
// (installer), whose registry holds nothing but what the setup program wrote.
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

#include <shlobj.h>

#include <optional>
#include <string>
#include <vector>

namespace {

const wchar_t* const UninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bastide";
const wchar_t* const RunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* const ControlKey = L"CLSID\\{41E6DDD6-FBD6-4718-80F7-9B160533C2F5}";
const wchar_t* const TypeLibKey = L"TypeLib\\{85202277-6C76-4228-BC56-7B3E69E8D5CA}";
const wchar_t* const Uninstaller = L"Désinstaller Bastide.exe";
const wchar_t* const ProgramFiles[] = {L"Bastide.exe", L"Palisade50.dll", Uninstaller};

std::wstring SetupProgram() { return ExeDirectory() + L"\\..\\dist\\" BASTIDE_SETUP_NAME; }

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const wchar_t* name) {
    wchar_t buffer[2048];
    DWORD size = sizeof buffer;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

std::optional<DWORD> ReadNumber(HKEY root, const std::wstring& key, const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool KeyExists(HKEY root, const std::wstring& key) {
    HKEY handle;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

void SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(root, key.c_str(), name, REG_SZ, value.c_str(),
                                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring StartMenuShortcut() { return KnownFolder(CSIDL_PROGRAMS) + L"\\Bastide.lnk"; }
std::wstring DefaultFolder() { return KnownFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Bastide"; }
std::wstring CommonStartMenuShortcut() { return KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\Bastide.lnk"; }
std::wstring MachineFolder() { return KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Bastide"; }

// A block of a program's version resource ("\\" is the fixed part), or null.
class VersionResource {
public:
    explicit VersionResource(const std::wstring& path) {
        DWORD ignored = 0;
        data_.resize(GetFileVersionInfoSizeW(path.c_str(), &ignored));
        if (!data_.empty() && !GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data_.size()), data_.data()))
            data_.clear();
    }
    const void* Block(const wchar_t* name) const {
        void* block = nullptr;
        UINT size = 0;
        if (data_.empty() || !VerQueryValueW(data_.data(), name, &block, &size)) return nullptr;
        return block;
    }

private:
    std::vector<char> data_;
};

// "major.minor" of a program's version resource.
std::wstring FileVersion(const std::wstring& path) {
    VersionResource resource(path);
    auto info = static_cast<const VS_FIXEDFILEINFO*>(resource.Block(L"\\"));
    if (!info) return L"?";
    return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(info->dwFileVersionMS));
}

std::wstring CompanyName(const std::wstring& path) {
    VersionResource resource(path);
    auto text = static_cast<const wchar_t*>(resource.Block(L"\\StringFileInfo\\040C04B0\\CompanyName"));
    return text ? text : L"?";
}

// A configuration of one line, backed up by the program of folder as the task scheduler
// would start it.
void ExpectScheduledBackupRuns(const std::wstring& folder, const TempDir& scratch) {
    MakeDirs(scratch / L"Documents\\Lettres");
    MakeDirs(scratch / L"Sauvegarde");
    WriteBytes(scratch / L"Documents\\notes.txt", "liste de courses");
    WriteBytes(scratch / L"Documents\\Lettres\\Noël.txt", "cher Père Noël");
    WriteBytes(folder + L"\\Bastide.ini", "[Maison]\r\nSource0=\"" + Utf8(scratch / L"Documents") +
                                              "\"\r\nDestination0=\"" + Utf8(scratch / L"Sauvegarde") +
                                              "\"\r\nSelect0=1\r\n");
    EXPECT_EQ(0, RunProcess(folder + L"\\Bastide.exe", L"/Maison /Auto", folder, 60000));
    EXPECT_EQ("liste de courses", ReadBytes(scratch / L"Sauvegarde\\Documents\\notes.txt"));
    EXPECT_EQ("cher Père Noël", ReadBytes(scratch / L"Sauvegarde\\Documents\\Lettres\\Noël.txt"));
    EXPECT_NE(std::string::npos, ReadBytes(folder + L"\\Bastide.ini").find("LastSave="));
}

int Install(const std::wstring& arguments) { return RunProcess(SetupProgram(), arguments, L"", 120000); }

// Runs the uninstall command of "Apps and features" as a deployment tool would. The
// uninstaller hands over to a copy of itself in the temporary folder (so that it can
// delete its own file) and returns at once; the entry goes last, when all is done.
bool UninstallSilently(HKEY root = HKEY_CURRENT_USER) {
    std::optional<std::wstring> command = ReadString(root, UninstallKey, L"QuietUninstallString");
    if (!command || command->size() < 2 || (*command)[0] != L'"') return false;
    size_t close = command->find(L'"', 1);
    std::wstring exe = command->substr(1, close - 1);
    std::wstring arguments = command->substr(close + 1);
    if (!arguments.empty() && arguments[0] == L' ') arguments.erase(0, 1);
    if (RunProcess(exe, arguments, L"", 60000) != 0) return false;
    for (int waited = 0; waited < 600; ++waited) {
        if (!KeyExists(root, UninstallKey)) return true;
        Sleep(100);
    }
    return false;
}

class Installer : public testing::Test {
protected:
    // Starts from a machine without Bastide, whatever an interrupted run left.
    void SetUp() override {
        ASSERT_TRUE(Exists(SetupProgram())) << Utf8(SetupProgram());
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            if (KeyExists(root, UninstallKey)) UninstallSilently(root);
            RegDeleteKeyW(root, UninstallKey);
        }
        RemoveTree(DefaultFolder());
        RemoveTree(MachineFolder());
        DeleteFileW(StartMenuShortcut().c_str());
        DeleteFileW(CommonStartMenuShortcut().c_str());
    }
    void TearDown() override {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            if (KeyExists(root, UninstallKey)) UninstallSilently(root);
    }
    TempDir scratch;
};

TEST_F(Installer, SilentInstallIntoAFolderGivesAProgramThatBacksUp) {
    const std::wstring folder = scratch / L"Logiciels de l'été\\Bastide";
    ASSERT_EQ(0, Install(L"/S /D=" + folder));

    for (const wchar_t* name : ProgramFiles)
        EXPECT_TRUE(Exists(folder + L"\\" + name)) << Utf8(name);
    EXPECT_EQ(ReadBytes(ExeDirectory() + L"\\Bastide.exe"), ReadBytes(folder + L"\\Bastide.exe"));
    EXPECT_EQ(ReadBytes(ExeDirectory() + L"\\Palisade50.dll"), ReadBytes(folder + L"\\Palisade50.dll"));
    EXPECT_TRUE(Exists(StartMenuShortcut()));
    EXPECT_FALSE(Exists(folder + L"\\Bastide.ini")) << "the program writes its settings itself";

    // The entry of "Apps and features" shows the program's own version and publisher.
    EXPECT_EQ(L"Bastide", ReadString(HKEY_CURRENT_USER, UninstallKey, L"DisplayName"));
    EXPECT_EQ(FileVersion(folder + L"\\Bastide.exe"), ReadString(HKEY_CURRENT_USER, UninstallKey, L"DisplayVersion"));
    EXPECT_EQ(CompanyName(folder + L"\\Bastide.exe"), ReadString(HKEY_CURRENT_USER, UninstallKey, L"Publisher"));
    EXPECT_GT(ReadNumber(HKEY_CURRENT_USER, UninstallKey, L"EstimatedSize").value_or(0),
              ReadBytes(folder + L"\\Bastide.exe").size() / 1024);
    EXPECT_EQ(L"\"" + folder + L"\\" + Uninstaller + L"\"",
              ReadString(HKEY_CURRENT_USER, UninstallKey, L"UninstallString"));
    EXPECT_EQ(folder, ReadString(HKEY_CURRENT_USER, UninstallKey, L"InstallLocation"));

    // Run with the rights to, the setup registered the control of this folder.
    std::optional<std::wstring> server =
        ReadString(HKEY_CLASSES_ROOT, std::wstring(ControlKey) + L"\\InprocServer32", nullptr);
    ASSERT_TRUE(server);
    EXPECT_EQ(0, _wcsicmp((folder + L"\\Palisade50.dll").c_str(), server->c_str())) << Utf8(*server);
    CLSID clsid;
    EXPECT_EQ(S_OK, CLSIDFromProgID(L"Palisade.PalisadeCtl", &clsid));

    ExpectScheduledBackupRuns(folder, scratch);
}

// An update needs no folder: it goes where the installed version is, replaces the
// program and leaves the user's settings and logs exactly as they were.
TEST_F(Installer, UpdateReplacesTheProgramAndKeepsTheSettingsByteForByte) {
    ASSERT_EQ(0, Install(L"/S"));
    const std::wstring folder = DefaultFolder();
    ASSERT_TRUE(Exists(folder + L"\\Bastide.exe")) << "per user by default: " << Utf8(folder);
    EXPECT_EQ(folder, ReadString(HKEY_CURRENT_USER, UninstallKey, L"InstallLocation"));

    const std::string settings =
        "; mes réglages, écrits à la main\r\n[Position]\r\nAutoStart=0\r\nConfig=Bureau\r\n\r\n"
        "[Bureau]\r\n  Description = \"  Photos d'été \"\r\nSource0=\"D:\\Photos\"\r\nDestination0=\"E:\\\"\r\n"
        "Select0=1\r\nRepExclu0_Mode=2\r\nRepExclu0_Rep1=Brouillons";  // no line break at the end
    const std::string log = "Erreur 32 : D:\\Photos\\verrou.jpg\r\n";
    WriteBytes(folder + L"\\Bastide.ini", settings);
    WriteBytes(folder + L"\\S_Bureau.err", log);
    WriteBytes(folder + L"\\Bastide.exe", "version précédente");

    ASSERT_EQ(0, Install(L"/S"));
    EXPECT_EQ(ReadBytes(ExeDirectory() + L"\\Bastide.exe"), ReadBytes(folder + L"\\Bastide.exe"));
    EXPECT_EQ(settings, ReadBytes(folder + L"\\Bastide.ini"));
    EXPECT_EQ(log, ReadBytes(folder + L"\\S_Bureau.err"));
}

TEST_F(Installer, SilentUninstallRemovesTheProgramAndKeepsTheSettings) {
    const std::wstring folder = scratch / L"Bastide";
    ASSERT_EQ(0, Install(L"/S /D=" + folder));
    const std::string settings = "[Position]\r\nAutoStart=-1\r\n";
    WriteBytes(folder + L"\\Bastide.ini", settings);
    WriteBytes(folder + L"\\R_Bureau.err", "journal");
    WriteBytes(folder + L"\\OkFanfare.wav", "RIFF");
    // Start with Windows as the program sets it; another copy's value is not ours.
    SetString(HKEY_CURRENT_USER, RunKey, L"Bastide", folder + L"\\Bastide.exe");
    SetString(HKEY_LOCAL_MACHINE, RunKey, L"Bastide", L"C:\\Autre\\Bastide.exe");

    ASSERT_TRUE(UninstallSilently());
    for (const wchar_t* name : ProgramFiles)
        EXPECT_FALSE(Exists(folder + L"\\" + name)) << Utf8(name);
    EXPECT_FALSE(Exists(StartMenuShortcut()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ControlKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"Palisade.PalisadeCtl"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, TypeLibKey));
    EXPECT_FALSE(ReadString(HKEY_CURRENT_USER, RunKey, L"Bastide"));
    EXPECT_EQ(L"C:\\Autre\\Bastide.exe", ReadString(HKEY_LOCAL_MACHINE, RunKey, L"Bastide"));
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, RunKey, L"Bastide");

    EXPECT_EQ(settings, ReadBytes(folder + L"\\Bastide.ini"));
    EXPECT_EQ("journal", ReadBytes(folder + L"\\R_Bureau.err"));
    EXPECT_EQ("RIFF", ReadBytes(folder + L"\\OkFanfare.wav"));
}

// An administrator deploying for every user of the machine: Program Files, the shortcut
// of every user's Start menu, the machine's entry; the uninstaller finds its mode alone.
TEST_F(Installer, ForEveryUserTheProgramAndItsEntryAreTheMachines) {
    ASSERT_EQ(0, Install(L"/S /ALLUSERS"));
    const std::wstring folder = MachineFolder();
    for (const wchar_t* name : ProgramFiles)
        EXPECT_TRUE(Exists(folder + L"\\" + name)) << Utf8(name);
    EXPECT_TRUE(Exists(CommonStartMenuShortcut()));
    EXPECT_FALSE(Exists(StartMenuShortcut()));
    EXPECT_EQ(folder, ReadString(HKEY_LOCAL_MACHINE, UninstallKey, L"InstallLocation"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UninstallKey));

    ASSERT_TRUE(UninstallSilently(HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(Exists(folder)) << "nothing of the user's was in it";
    EXPECT_FALSE(Exists(CommonStartMenuShortcut()));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ControlKey));
}

// Files of a running program cannot be replaced or removed: the setup and the
// uninstaller say so by their exit code and change nothing, instead of leaving an old
// program behind an "updated" or "removed" entry.
TEST_F(Installer, NeitherSetupNorUninstallTouchesARunningProgram) {
    const std::wstring folder = scratch / L"Bastide";
    ASSERT_EQ(0, Install(L"/S /D=" + folder));
    const std::string program = ReadBytes(folder + L"\\Bastide.exe");

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION running{};
    std::wstring exe = folder + L"\\Bastide.exe";
    std::wstring line = L"\"" + exe + L"\"";
    ASSERT_TRUE(CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                               &running));
    for (int waited = 0; waited < 200 && !FindWindowW(L"BastideBstF1", nullptr); ++waited)
        Sleep(100);
    ASSERT_NE(nullptr, FindWindowW(L"BastideBstF1", nullptr));

    WriteBytes(folder + L"\\Palisade50.dll", "ancienne");
    EXPECT_EQ(2, Install(L"/S /D=" + folder));
    EXPECT_EQ("ancienne", ReadBytes(folder + L"\\Palisade50.dll")) << "nothing replaced while the program runs";
    // The uninstaller run in place (the switch it gives its own temporary copy), to get its code.
    EXPECT_EQ(2, RunProcess(folder + L"\\" + Uninstaller, L"/S _?=" + folder, L"", 60000));
    EXPECT_EQ(program, ReadBytes(folder + L"\\Bastide.exe"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, UninstallKey));
    // The uninstall at tear-down needs a library it can load to unregister.
    CopyFileW((ExeDirectory() + L"\\Palisade50.dll").c_str(), (folder + L"\\Palisade50.dll").c_str(), FALSE);

    PostMessageW(FindWindowW(L"BastideBstF1", nullptr), WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(running.hProcess, 20000));
    CloseHandle(running.hThread);
    CloseHandle(running.hProcess);
}

}  // namespace

// The zip unpacked by CTest (portable_unpack) beside the build's programs.
TEST(Portable, RunsWhereItIsUnpackedWithoutInstallation) {
    const std::wstring folder = ExeDirectory() + L"\\..\\installer\\unpacked\\Bastide-" BASTIDE_VERSION_TEXT;
    EXPECT_EQ(ReadBytes(ExeDirectory() + L"\\Bastide.exe"), ReadBytes(folder + L"\\Bastide.exe"));
    EXPECT_EQ(ReadBytes(ExeDirectory() + L"\\Palisade50.dll"), ReadBytes(folder + L"\\Palisade50.dll"));
    std::string readme = ReadBytes(folder + L"\\LISEZMOI.txt");
    EXPECT_EQ(0u, readme.find("\xEF\xBB\xBF")) << "marked UTF-8, for the Notepad of older Windows";
    EXPECT_NE(std::string::npos, readme.find("Bastide.exe /<configuration> /Auto"));
    ASSERT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ControlKey)) << "the control is not registered";

    TempDir scratch;
    ExpectScheduledBackupRuns(folder, scratch);
    DeleteFileW((folder + L"\\Bastide.ini").c_str());
}
