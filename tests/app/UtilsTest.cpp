#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>
#include <shlobj.h>

#include "app/Utils.h"
#include "common/Text.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestSupport.h"

#include <string>

using namespace std::string_literals;

// ---- Text and paths ----

TEST(UtilsText, AddBackslashAddsOnlyWhenMissing) {
    EXPECT_EQ(L"C:\\", AddBackslash(L"C:"));
    EXPECT_EQ(L"C:\\", AddBackslash(L"C:\\"));
    EXPECT_EQ(L"C:\\Data\\", AddBackslash(L"C:\\Data"));
    EXPECT_EQ(L"\\", AddBackslash(L""));
}

TEST(UtilsText, SplitPathDropsOneTrailingBackslash) {
    using Parts = std::pair<std::wstring, std::wstring>;
    EXPECT_EQ((Parts{L"C:\\Data\\", L"Docs"}), SplitPath(L"C:\\Data\\Docs"));
    EXPECT_EQ((Parts{L"C:\\", L"Data"}), SplitPath(L"C:\\Data\\"));
    EXPECT_EQ((Parts{L"C:", L""}), SplitPath(L"C:\\"));
    EXPECT_EQ((Parts{L"", L""}), SplitPath(L""));
    EXPECT_EQ((Parts{L"Fichier.txt", L""}), SplitPath(L"Fichier.txt"));
    EXPECT_EQ((Parts{L"\\\\serveur\\partage\\", L"Été 2020"}), SplitPath(L"\\\\serveur\\partage\\Été 2020"));
}

TEST(UtilsText, StripQuoteCutTrim) {
    EXPECT_EQ(L"Ok.fin", StripExtension(L"Ok.fin.wav"));
    EXPECT_EQ(L"Erreur", StripExtension(L"Erreur"));
    EXPECT_EQ(L"\"C:\\Mes documents\"", Quote(L"C:\\Mes documents"));
    EXPECT_EQ(L"", Quote(L""));
    EXPECT_EQ(L"ab", CutAtNul(L"ab\0cd"s));
    EXPECT_EQ(L"", CutAtNul(L"\0cd"s));
    EXPECT_EQ(L"abc", CutAtNul(L"abc"));
    EXPECT_EQ(L"a b", Trim(L"  a b  "));
    EXPECT_EQ(L"\ta\t", Trim(L" \ta\t "));  // spaces only, as the labels are trimmed
    EXPECT_EQ(L"", Trim(L"   "));
}

TEST(UtilsText, CaseFollowsTheLocaleLetters) {
    EXPECT_EQ(L"été à noël", ToLower(L"ÉTÉ À NOËL"));
    EXPECT_EQ(L"ÉTÉ À NOËL", ToUpper(L"été à noël"));
    EXPECT_EQ(L"Écoles du soir", Capitalize(L"écoles du SOIR"));
    EXPECT_EQ(L"Sauvegarde", Capitalize(L"SAUVEGARDE"));
    EXPECT_EQ(L"", Capitalize(L""));
}

TEST(UtilsText, SanitizeNameReplacesTheNineCharactersThenTrims) {
    EXPECT_EQ(L"Photos_ Noël_2020", SanitizeName(L"Photos: Noël/2020", L"_"));
    EXPECT_EQ(L"a-b-c-d-e-f-g-h-i-j", SanitizeName(L"a<b>c|d\\e/f*g:h?i\"j", L"-"));
    EXPECT_EQ(L"Config", SanitizeName(L"  Config?  ", L""));
    EXPECT_EQ(L"a", SanitizeName(L"*a*", L" "));
    EXPECT_EQ(L"a__b", SanitizeName(L"a<>b", L"_"));
}

TEST(UtilsText, AnsiConversionUsesTheAnsiCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs the Western European code page";
    EXPECT_EQ("No\xEBl \xE9t\xE9", text::ToAnsi(L"Noël été"));
    EXPECT_EQ(L"Noël été", text::FromAnsi("No\xEBl \xE9t\xE9"));
    EXPECT_EQ("", text::ToAnsi(L""));
    EXPECT_EQ(L"", text::FromAnsi(""));
}

// ---- Existence tests ----

TEST(UtilsFiles, FileExistsSeesFilesNotDirectories) {
    TempDir dir;
    MakeDirs(dir / L"Sous-dossier");
    WriteBytes(dir / L"Noël.txt", "x");

    EXPECT_TRUE(FileExists(dir / L"Noël.txt"));
    EXPECT_TRUE(FileExists(dir / L"*.txt"));
    EXPECT_TRUE(FileExists(dir / L"*"));  // skips ".", ".." and the folder to reach the file
    EXPECT_FALSE(FileExists(dir / L"Sous-dossier"));
    EXPECT_FALSE(FileExists(dir / L"Sous-dossier\\*"));
    EXPECT_FALSE(FileExists(dir / L"absent.txt"));
    EXPECT_FALSE(FileExists(dir / L"absent\\x.txt"));
    EXPECT_FALSE(FileExists(L""));
    EXPECT_FALSE(FileExists(L"a<b>|"));
}

TEST(UtilsFiles, PathExistsSeesFilesAndDirectories) {
    TempDir dir;
    MakeDirs(dir / L"Été");
    WriteBytes(dir / L"Été\\a.txt", "x");

    EXPECT_TRUE(PathExists(dir / L"Été"));
    EXPECT_TRUE(PathExists(dir / L"Été\\a.txt"));
    EXPECT_FALSE(PathExists(dir / L"Hiver"));
    EXPECT_FALSE(PathExists(L""));
}

TEST(UtilsFiles, ProgramDirectoryHoldsTheExecutable) {
    std::wstring dir = ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(L'\\', dir.back());
    EXPECT_TRUE(FileExists(dir + L"\\test_app.exe"));
}

// ---- Volume text ----

namespace {

// A removable drive of the Wine prefix: a link in dosdevices to a folder of C: that plays
// the medium. Removing the folder leaves a link to a missing folder, which Wine treats as
// a drive without a medium.
class WineRemovableDrive {
public:
    WineRemovableDrive() {
        wchar_t prefix[MAX_PATH] = {};
        if (!GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH)) return;
        std::wstring name = L"bastide-medium-" + std::to_wstring(GetCurrentProcessId());
        medium_ = L"C:\\" + name;
        MakeDirs(medium_);
        WriteBytes(medium_ + L"\\marker", "x");
        DWORD used = GetLogicalDrives();
        for (wchar_t letter = L'y'; letter >= L'm' && !letter_; --letter) {
            if (used & (1u << (letter - L'a'))) continue;
            link_ = std::wstring(prefix) + L"/dosdevices/" + letter + L":";
            // Without -f, ln leaves alone a letter somebody else has linked.
            StartUnix(L"/bin/ln -sn " + std::wstring(prefix) + L"/drive_c/" + name + L" " + link_);
            if (WaitForMarker(letter)) letter_ = static_cast<wchar_t>(letter - L'a' + L'A');
        }
    }
    ~WineRemovableDrive() {
        RemoveMedium();
        if (letter_) StartUnix(L"/bin/rm -f " + link_);
    }
    WineRemovableDrive(const WineRemovableDrive&) = delete;
    WineRemovableDrive& operator=(const WineRemovableDrive&) = delete;

    std::wstring Root() const { return letter_ ? std::wstring(1, letter_) + L":\\" : L""; }
    void RemoveMedium() {
        if (!medium_.empty()) RemoveTree(medium_);
    }

private:
    // Wine starts a Unix program given by its path but hands back no handle to wait on.
    static void StartUnix(std::wstring commandLine) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }

    static bool WaitForMarker(wchar_t letter) {
        std::wstring marker = std::wstring(1, letter) + L":\\marker";
        for (int i = 0; i < 100; ++i) {
            if (GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
            Sleep(20);
        }
        return false;
    }

    std::wstring medium_;
    std::wstring link_;
    wchar_t letter_ = 0;
};

}  // namespace

TEST(UtilsVolume, RealDriveWithoutLabel) {
    // The test prefix's C: drive carries no label.
    EXPECT_EQ(L"Pas de label", VolumeText(L"C:\\", false));
    EXPECT_EQ(L"Pas de label  (C:)", VolumeText(L"c:\\", true));
}

TEST(UtilsVolume, DriveWithoutMedium) {
    WineRemovableDrive drive;
    if (drive.Root().empty()) GTEST_SKIP() << "needs a free drive letter of a Wine prefix";
    std::wstring lowerRoot = ToLower(drive.Root());
    std::wstring suffix = L"  (" + drive.Root().substr(0, 2) + L")";

    // A letter linked while the Wine server runs may take a moment to answer as a volume,
    // longer on a loaded machine.
    std::wstring withMedium;
    for (int i = 0; i < 250; ++i) {
        withMedium = VolumeText(lowerRoot, true);
        if (withMedium == L"Pas de label" + suffix) break;
        Sleep(40);
    }
    EXPECT_EQ(L"Pas de label" + suffix, withMedium);
    drive.RemoveMedium();
    EXPECT_EQ(L"Pas de disque", VolumeText(drive.Root(), false));
    EXPECT_EQ(L"Pas de disque" + suffix, VolumeText(lowerRoot, true));
}

TEST(UtilsVolume, DriveThatDoesNotExist) {
    DWORD used = GetLogicalDrives();
    wchar_t letter = 0;
    for (wchar_t candidate = L'Y'; candidate >= L'D' && !letter; --candidate) {
        std::wstring device(1, candidate);
        device += L":";
        wchar_t target[MAX_PATH];
        if (!(used & (1u << (candidate - L'A'))) && !QueryDosDeviceW(device.c_str(), target, MAX_PATH)) {
            letter = candidate;
        }
    }
    ASSERT_NE(0, letter);
    EXPECT_EQ(L"Pas de disque  ("s + letter + L":)", VolumeText(std::wstring(1, letter) + L":\\", true));
}

// ---- Sounds ----

TEST(UtilsSound, NothingWithoutAWaveDevice) {
    ScopedUi ui;
    ui.waveDevices = 0;
    std::wstring wav = ProgramDirectory() + L"\\UtilsTestSilence.wav";
    WriteBytes(wav, "RIFF");
    PlaySoundAlias(L"SystemStart");
    PlayNamedSound(L"UtilsTestSilence");
    DeleteFileW(wav.c_str());
    EXPECT_TRUE(ui.sounds.empty());
}

TEST(UtilsSound, AliasUsesTheDefaultLookup) {
    ScopedUi ui;
    PlaySoundAlias(L"SystemStart");
    ASSERT_EQ(1u, ui.sounds.size());
    EXPECT_EQ(L"SystemStart", ui.sounds[0].first);
    EXPECT_EQ(static_cast<DWORD>(SND_ASYNC), ui.sounds[0].second);
}

TEST(UtilsSound, NamedSoundPlaysOnlyAnExistingFile) {
    ScopedUi ui;
    PlayNamedSound(L"UtilsTestAbsent");
    EXPECT_TRUE(ui.sounds.empty());

    std::wstring wav = ProgramDirectory() + L"\\UtilsTestOk.wav";
    WriteBytes(wav, "RIFF");
    PlayNamedSound(L"UtilsTestOk");
    DeleteFileW(wav.c_str());
    ASSERT_EQ(1u, ui.sounds.size());
    EXPECT_EQ(wav, ui.sounds[0].first);
    EXPECT_EQ(static_cast<DWORD>(SND_ASYNC | SND_FILENAME | SND_NODEFAULT), ui.sounds[0].second);
}

// ---- Shell ----

TEST(UtilsShell, OpenWithDefaultVerbAndProperties) {
    ScopedUi ui;
    ShellOpen(L"C:\\Outils\\Rangement.exe", L"");
    ShellOpen(L"taskschd.msc", L"/s");
    ShowFileProperties(L"C:\\Données", nullptr);

    ASSERT_EQ(2u, ui.launches.size());
    EXPECT_EQ(L"", ui.launches[0].verb);
    EXPECT_EQ(L"C:\\Outils\\Rangement.exe", ui.launches[0].file);
    EXPECT_EQ(L"", ui.launches[0].parameters);
    EXPECT_EQ(L"", ui.launches[0].directory);
    EXPECT_EQ(SW_SHOWNORMAL, ui.launches[0].show);
    EXPECT_EQ(L"/s", ui.launches[1].parameters);
    ASSERT_EQ(1u, ui.properties.size());
    EXPECT_EQ(L"C:\\Données", ui.properties[0]);
}

// ---- Registry ----

namespace {

const wchar_t* const TestKey = L"Software\\BastideTest";

class UtilsRegistry : public testing::Test {
protected:
    void SetUp() override {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, TestKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &key, nullptr));
        RegCloseKey(key);
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, TestKey); }

    // Type and raw bytes of a value; type 0 when it is missing.
    static std::pair<DWORD, std::string> Raw(const std::wstring& name) {
        BYTE data[1024] = {};
        DWORD type = 0;
        DWORD size = sizeof data;
        if (RegGetValueW(HKEY_CURRENT_USER, TestKey, name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size) !=
            ERROR_SUCCESS) {
            return {0, ""};
        }
        return {type, std::string(reinterpret_cast<char*>(data), size)};
    }
};

}  // namespace

TEST_F(UtilsRegistry, TextRoundTripStoresTheTerminator) {
    std::wstring command = L"\"C:\\Programmes\\Bastide été\\Bastide.exe\"";
    SetRegistryValue(HKEY_CURRENT_USER, TestKey, L"Bastide", command, 0, REG_SZ);
    EXPECT_EQ(command, ReadRegistryText(HKEY_CURRENT_USER, TestKey, L"Bastide"));

    auto [type, bytes] = Raw(L"Bastide");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ((command.size() + 1) * sizeof(wchar_t), bytes.size());

    DeleteRegistryValue(HKEY_CURRENT_USER, TestKey, L"Bastide");
    EXPECT_EQ(0u, Raw(L"Bastide").first);
    EXPECT_EQ(L"", ReadRegistryText(HKEY_CURRENT_USER, TestKey, L"Bastide"));
}

TEST_F(UtilsRegistry, NumberIsFourBytes) {
    SetRegistryValue(HKEY_CURRENT_USER, TestKey, L"Compte", L"ignoré", 0x01020304, REG_DWORD);
    auto [type, bytes] = Raw(L"Compte");
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(std::string("\x04\x03\x02\x01", 4), bytes);
    EXPECT_EQ(L"", ReadRegistryText(HKEY_CURRENT_USER, TestKey, L"Compte"));  // not a text
}

TEST_F(UtilsRegistry, LongTextAndMissingKeys) {
    std::wstring longText(1000, L'é');
    SetRegistryValue(HKEY_CURRENT_USER, TestKey, L"Long", longText, 0, REG_SZ);
    EXPECT_EQ(longText, ReadRegistryText(HKEY_CURRENT_USER, TestKey, L"Long"));

    // The key is opened, never created; failures are silent.
    std::wstring absent = std::wstring(TestKey) + L"\\Absent";
    SetRegistryValue(HKEY_CURRENT_USER, absent, L"Bastide", L"x", 0, REG_SZ);
    DeleteRegistryValue(HKEY_CURRENT_USER, absent, L"Bastide");
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, absent.c_str(), 0, KEY_READ, &key));
    EXPECT_EQ(L"", ReadRegistryText(HKEY_CURRENT_USER, absent, L"Bastide"));
}

// ---- Folder or file chooser ----

TEST(UtilsBrowse, FlagsTitleAndStartPath) {
    ScopedUi ui;
    ui.browseAnswers = {L"D:\\Sauvegardes", L"C:\\Docs\\lettre.txt"};
    EXPECT_EQ(L"D:\\Sauvegardes", BrowseFolder(nullptr, false, L"Répertoire destination", L"D:\\"));
    EXPECT_EQ(L"C:\\Docs\\lettre.txt", BrowseFolder(nullptr, true, L"Source", L""));
    EXPECT_EQ(L"", BrowseFolder(nullptr, true, L"Source", L"C:\\Docs"));  // cancelled

    ASSERT_EQ(3u, ui.browseFlags.size());
    EXPECT_EQ(1u, ui.browseFlags[0]);
    EXPECT_EQ(16385u, ui.browseFlags[1]);
    EXPECT_EQ(L"Répertoire destination", ui.browseTitles[0]);
    EXPECT_EQ(L"D:\\", ui.browseStartPaths[0]);
    EXPECT_EQ(L"", ui.browseStartPaths[1]);
}

TEST(UtilsBrowse, ResultCutAtNulAndAtMaxPath) {
    ScopedUi ui;
    ui.browseAnswers = {L"C:\\Data\0garbage"s, L"C:\\" + std::wstring(400, L'x')};
    EXPECT_EQ(L"C:\\Data", BrowseFolder(nullptr, false, L"", L""));
    EXPECT_EQ(260u, BrowseFolder(nullptr, false, L"", L"").size());
}

// ---- Display ----

namespace {

// A hidden top-level window with a static control and a list box, as the forms use them.
class UtilsDisplay : public testing::Test {
protected:
    void SetUp() override {
        window_ = CreateWindowExW(0, L"STATIC", L"Fenêtre", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                                  nullptr, nullptr);
        ASSERT_NE(nullptr, window_);
        smallFont_ = MakeFont(14);
        bigFont_ = MakeFont(28);
        SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(smallFont_), FALSE);
    }
    void TearDown() override {
        if (window_) DestroyWindow(window_);
        DeleteObject(smallFont_);
        DeleteObject(bigFont_);
    }

    static HFONT MakeFont(int height) {
        return CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    }

    HWND Child(const wchar_t* className, DWORD style, int width, HFONT font) {
        HWND child = CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, width, 100, window_,
                                     nullptr, nullptr, nullptr);
        if (font) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return child;
    }

    LONG TextWidth(const std::wstring& text, HFONT font) {
        HDC dc = GetDC(window_);
        HGDIOBJ old = SelectObject(dc, font);
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(window_, dc);
        return size.cx;
    }

    HWND window_ = nullptr;
    HFONT smallFont_ = nullptr;
    HFONT bigFont_ = nullptr;
};

const std::wstring LongPath =
    L"C:\\Documents and Settings\\Utilisateur\\Mes documents\\Comptabilité\\Exercice 2020\\Rapport final.docx";

}  // namespace

TEST_F(UtilsDisplay, CompactPathKeepsTheLastElementWithinTheWidth) {
    HWND label = Child(L"STATIC", 0, 300, smallFont_);
    std::wstring compact = CompactPath(window_, label, LongPath, DT_PATH_ELLIPSIS);

    EXPECT_NE(std::wstring::npos, compact.find(L"...")) << Utf8(compact);
    EXPECT_EQ(0u, compact.rfind(L"C:\\", 0)) << Utf8(compact);
    const std::wstring last = L"\\Rapport final.docx";
    ASSERT_GE(compact.size(), last.size());
    EXPECT_EQ(last, compact.substr(compact.size() - last.size())) << Utf8(compact);
    EXPECT_LE(TextWidth(compact, smallFont_), 285);  // 95 % of 300
    EXPECT_EQ(compact.find(L'\0'), std::wstring::npos);

    EXPECT_EQ(L"C:\\Data\\Été", CompactPath(window_, label, L"C:\\Data\\Été", DT_PATH_ELLIPSIS));
}

TEST_F(UtilsDisplay, CompactPathMeasuresWithTheControlFont) {
    HWND small = Child(L"STATIC", 0, 400, smallFont_);
    HWND big = Child(L"STATIC", 0, 400, bigFont_);
    std::wstring withSmall = CompactPath(window_, small, LongPath, DT_PATH_ELLIPSIS);
    std::wstring withBig = CompactPath(window_, big, LongPath, DT_PATH_ELLIPSIS);
    EXPECT_LT(withBig.size(), withSmall.size());
    EXPECT_LE(TextWidth(withBig, bigFont_), 380) << Utf8(withBig);
}

TEST_F(UtilsDisplay, ListExtentFitsTheWidestEntry) {
    HWND list = Child(L"LISTBOX", WS_HSCROLL | WS_VSCROLL, 150, bigFont_);
    int scrollBar = GetSystemMetrics(SM_CXVSCROLL);

    SetListExtent(window_, list);
    EXPECT_EQ(scrollBar, SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0));

    for (const wchar_t* entry : {L"C:\\Temp", LongPath.c_str(), L"D:\\Photos"}) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    }
    SetListExtent(window_, list);
    EXPECT_EQ(TextWidth(LongPath, bigFont_) + scrollBar, SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0));
}

// ---- Windows version ----

TEST(UtilsVersion, VistaAndXpRules) {
    using bastide::OsVersion;
    EXPECT_TRUE(bastide::IsXP(OsVersion{VER_PLATFORM_WIN32_NT, 5, 1, 2600}));
    EXPECT_FALSE(bastide::IsXP(OsVersion{VER_PLATFORM_WIN32_NT, 5, 1, 2599}));
    EXPECT_FALSE(bastide::IsXP(OsVersion{VER_PLATFORM_WIN32_NT, 5, 2, 3790}));
    EXPECT_FALSE(bastide::IsXP(OsVersion{VER_PLATFORM_WIN32_WINDOWS, 5, 1, 2600}));
    EXPECT_FALSE(bastide::IsVistaOrLater(OsVersion{VER_PLATFORM_WIN32_NT, 5, 2, 3790}));
    EXPECT_TRUE(bastide::IsVistaOrLater(OsVersion{VER_PLATFORM_WIN32_NT, 6, 0, 6000}));
    EXPECT_TRUE(bastide::IsVistaOrLater(OsVersion{VER_PLATFORM_WIN32_NT, 10, 0, 19045}));
    EXPECT_FALSE(bastide::IsVistaOrLater(OsVersion{VER_PLATFORM_WIN32_WINDOWS, 6, 0, 0}));
}

TEST(UtilsVersion, RunningSystemIsQueried) {
    auto version = bastide::QueryOsVersion();
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(static_cast<DWORD>(VER_PLATFORM_WIN32_NT), version->platformId);
    EXPECT_GE(version->major, 6u);  // the program needs Windows 7 or later
    EXPECT_TRUE(IsVistaOrLater());
    EXPECT_FALSE(IsXP());
}
