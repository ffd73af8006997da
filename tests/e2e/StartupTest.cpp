// Bastide.exe started as a process in a scratch folder with its own Bastide.ini.
#include <gtest/gtest.h>

#include "common/TempName.h"
#include "tests/support/TestSupport.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

const wchar_t* const Title = L"Bastide Version 1.00";

class Program {
public:
    Program(const std::wstring& folder, const std::wstring& arguments) {
        std::wstring exe = folder + L"\\Bastide.exe";
        std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
        std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
        buffer.push_back(L'\0');
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                                  &startup, &info_) != FALSE;
    }
    ~Program() {
        if (!started_) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 1);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    bool Started() const { return started_; }
    DWORD Id() const { return info_.dwProcessId; }
    // Exit code, or -1 when the process still runs after timeoutMs.
    int WaitExit(DWORD timeoutMs) {
        if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        return static_cast<int>(code);
    }
    // A visible top-level window of this process with the given class ("" = any).
    HWND FindWindowOf(const std::wstring& className, DWORD timeoutMs) {
        DWORD start = GetTickCount();
        do {
            HWND found = Lookup(className);
            if (found) return found;
            Sleep(50);
        } while (GetTickCount() - start < timeoutMs);
        return nullptr;
    }

private:
    HWND Lookup(const std::wstring& className) {
        struct Search { DWORD pid; std::wstring cls; HWND found; } search{Id(), className, nullptr};
        EnumWindows(
            [](HWND hwnd, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                DWORD pid = 0;
                GetWindowThreadProcessId(hwnd, &pid);
                if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
                wchar_t cls[64] = {};
                GetClassNameW(hwnd, cls, 64);
                if (!s->cls.empty() && s->cls != cls) return TRUE;
                s->found = hwnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

std::wstring WindowText(HWND hwnd) {
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    return text;
}

// The text of a message box's static control.
std::wstring MessageBoxText(HWND box) {
    std::wstring text;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM data) -> BOOL {
            wchar_t cls[32] = {};
            GetClassNameW(child, cls, 32);
            if (lstrcmpiW(cls, L"Static") == 0 && GetWindowTextLengthW(child) > 0) {
                *reinterpret_cast<std::wstring*>(data) = WindowText(child);
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
    return text;
}

std::wstring MainWindowClass() { return L"BastideBstF1"; }

// Every file under root, by its path relative to root, with its last-write time.
void ListFiles(const std::wstring& root, const std::wstring& relative, std::map<std::wstring, FILETIME>& files) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((root + L"\\" + relative + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(root, relative + name + L"\\", files);
        } else {
            files[relative + name] = data.ftLastWriteTime;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

class StartupTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyFileW((ExeDirectory() + L"\\Bastide.exe").c_str(), (dir / L"Bastide.exe").c_str(), FALSE));
    }
    std::wstring Ini() { return dir / L"Bastide.ini"; }
    void Close(HWND window, Program& program) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(0, program.WaitExit(15000));
    }
    TempDir dir;
};

TEST_F(StartupTest, SecondInstanceByHandShowsBoxAndTouchesNothingAutomaticOneLeavesSilently) {
    const std::string settings = "; réglages\r\n[Position]\r\nLeft=1500\r\nTop=900\r\nConfig=Bureau\r\n";
    WriteBytes(Ini(), settings);
    Program first(dir.Path(), L"");
    ASSERT_TRUE(first.Started());
    HWND main = first.FindWindowOf(MainWindowClass(), 20000);
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(Title, WindowText(main));

    {
        Program second(dir.Path(), L"/Bureau");
        ASSERT_TRUE(second.Started());
        HWND box = second.FindWindowOf(L"#32770", 20000);
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(Title, WindowText(box));
        EXPECT_EQ(L"LE PROGRAMME EST DEJA EN MEMOIRE !\r\n     (Regardez la barre des taches)", MessageBoxText(box));
        EXPECT_EQ(nullptr, second.FindWindowOf(MainWindowClass(), 0));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(0, second.WaitExit(15000));
    }
    {
        // A scheduled run must never wait on a box nobody will answer, and tells the
        // scheduler that it did not back up.
        Program automatic(dir.Path(), L"/Bureau /Auto");
        ASSERT_TRUE(automatic.Started());
        EXPECT_EQ(2, automatic.WaitExit(15000));
    }
    EXPECT_EQ(settings, ReadBytes(Ini()));

    Close(main, first);
    std::string stored = ReadBytes(Ini());
    EXPECT_NE(std::string::npos, stored.find("Config=Bureau")) << stored;
    EXPECT_NE(std::string::npos, stored.find("WindowState=0")) << stored;
    EXPECT_NE(std::string::npos, stored.find("; réglages")) << stored;
}

// Leftovers of writes cut short go at start; files that only look alike stay, and so does
// the temporary of a running instance when a second one is refused.
TEST_F(StartupTest, StrayTemporariesAreRemovedAtStartAndNothingElse) {
    std::wstring stray = NewTemporaryName();
    std::wstring forged = stray;
    forged[4] = forged[4] == L'0' ? L'1' : L'0';  // the check value no longer matches
    const std::wstring kept[] = {L"bst1A2B.tmp", L"~bstnotes.tmp", L"~err1234.1.tmp", forged};
    for (const std::wstring& name : kept) WriteBytes(dir / name, "à moi");
    WriteBytes(dir / stray, "[Position]\r\n");
    Program first(dir.Path(), L"");
    ASSERT_TRUE(first.Started());
    HWND main = first.FindWindowOf(MainWindowClass(), 20000);
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((dir / stray).c_str()));
    for (const std::wstring& name : kept) EXPECT_EQ("à moi", ReadBytes(dir / name)) << Utf8(name);

    std::wstring running = NewTemporaryName();
    WriteBytes(dir / running, "en cours");
    {
        Program refused(dir.Path(), L"/Auto");
        ASSERT_TRUE(refused.Started());
        EXPECT_EQ(2, refused.WaitExit(15000));
    }
    EXPECT_EQ("en cours", ReadBytes(dir / running));
    Close(main, first);
}

TEST_F(StartupTest, PlacementIsRestoredAndStoredInTwips) {
    WriteBytes(Ini(), "[Position]\r\nLeft=1500\r\nTop=1200\r\n");
    Program program(dir.Path(), L"maison");
    ASSERT_TRUE(program.Started());
    HWND main = program.FindWindowOf(MainWindowClass(), 20000);
    ASSERT_NE(nullptr, main);
    RECT rect{};
    GetWindowRect(main, &rect);
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(MulDiv(1500, dpi, 1440), rect.left);
    EXPECT_EQ(MulDiv(1200, dpi, 1440), rect.top);

    SetWindowPos(main, nullptr, MulDiv(3000, dpi, 1440), MulDiv(450, dpi, 1440), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Close(main, program);
    std::string stored = ReadBytes(Ini());
    EXPECT_NE(std::string::npos, stored.find("Left=3000")) << stored;
    EXPECT_NE(std::string::npos, stored.find("Top=450")) << stored;
    EXPECT_NE(std::string::npos, stored.find("Config=Maison")) << stored;
}

TEST_F(StartupTest, EndOfTheWindowsSessionStoresPlacementAndConfiguration) {
    WriteBytes(Ini(), "[Position]\r\nLeft=1500\r\nTop=1200\r\n");
    Program program(dir.Path(), L"/Bureau");
    ASSERT_TRUE(program.Started());
    HWND main = program.FindWindowOf(MainWindowClass(), 20000);
    ASSERT_NE(nullptr, main);
    // The session ends: the program is stopped without being closed.
    SendMessageW(main, WM_QUERYENDSESSION, 0, 0);
    SendMessageW(main, WM_ENDSESSION, TRUE, 0);
    std::string stored = ReadBytes(Ini());
    EXPECT_NE(std::string::npos, stored.find("Config=Bureau")) << stored;
    EXPECT_NE(std::string::npos, stored.find("WindowState=0")) << stored;
    Close(main, program);
}

TEST_F(StartupTest, ClosingWhileMinimisedKeepsThePreviousPlace) {
    WriteBytes(Ini(), "[Position]\r\nLeft=1500\r\nTop=1200\r\nWindowState=1\r\n");
    Program program(dir.Path(), L"");
    ASSERT_TRUE(program.Started());
    HWND main = program.FindWindowOf(MainWindowClass(), 20000);
    ASSERT_NE(nullptr, main);
    EXPECT_TRUE(IsIconic(main));
    Close(main, program);
    std::string stored = ReadBytes(Ini());
    EXPECT_NE(std::string::npos, stored.find("Left=1500\r\n")) << stored;
    EXPECT_NE(std::string::npos, stored.find("Top=1200\r\n")) << stored;
    EXPECT_NE(std::string::npos, stored.find("WindowState=1\r\n")) << stored;
    EXPECT_NE(std::string::npos, stored.find("Config=General")) << stored;
}

TEST_F(StartupTest, AutoSwitchBacksUpAndQuitsWithoutABox) {
    MakeDirs(dir / L"Docs\\sous");
    MakeDirs(dir / L"Sauv");
    WriteBytes(dir / L"Docs\\lettre.txt", "cher ami");
    WriteBytes(dir / L"Docs\\sous\\Noël.txt", "joyeux");
    std::string source = Utf8(dir / L"Docs"), destination = Utf8(dir / L"Sauv");
    // Line 1 names a destination on a drive that is not there: the run stops, silently.
    std::string missing = std::string(1, static_cast<char>('A' + 25)) + ":\\Sauv";
    for (char letter = 'Z'; letter > 'D'; --letter) {
        std::wstring root = std::wstring(1, static_cast<wchar_t>(letter)) + L":\\";
        if (GetDriveTypeW(root.c_str()) == DRIVE_NO_ROOT_DIR) {
            missing = std::string(1, letter) + ":\\Sauv";
            break;
        }
    }
    WriteBytes(Ini(), "[Bureau]\r\nSource0=\"" + source + "\"\r\nDestination0=\"" + destination +
                          "\"\r\nSelect0=1\r\nModifie=1\r\n[Ailleurs]\r\nSource0=\"" + source +
                          "\"\r\nDestination0=\"" + missing + "\"\r\nSelect0=1\r\n");
    {
        Program program(dir.Path(), L"/bureau /auto");
        ASSERT_TRUE(program.Started());
        EXPECT_EQ(0, program.WaitExit(30000));
    }
    EXPECT_EQ("cher ami", ReadBytes(dir / L"Sauv\\Docs\\lettre.txt"));
    EXPECT_EQ("joyeux", ReadBytes(dir / L"Sauv\\Docs\\sous\\Noël.txt"));
    std::string stored = ReadBytes(Ini());
    EXPECT_NE(std::string::npos, stored.find("LastSave=")) << stored;
    EXPECT_NE(std::string::npos, stored.find("Config=Bureau")) << stored;

    {
        Program program(dir.Path(), L"/Ailleurs/Auto");
        ASSERT_TRUE(program.Started());
        EXPECT_EQ(nullptr, program.FindWindowOf(L"#32770", 3000));
        EXPECT_EQ(2, program.WaitExit(30000));
    }
    stored = ReadBytes(Ini());
    size_t section = stored.find("[Ailleurs]");
    ASSERT_NE(std::string::npos, section);
    EXPECT_EQ(std::string::npos, stored.find("LastSave", section)) << stored;
}

TEST_F(StartupTest, MirroredAutoRunLeavesExactlyTheSourceFiles) {
    MakeDirs(dir / L"Docs\\sous");
    MakeDirs(dir / L"Docs\\exclu");
    MakeDirs(dir / L"Sauv\\Docs\\sous");
    MakeDirs(dir / L"Sauv\\Docs\\ancien");
    WriteBytes(dir / L"Docs\\lettre.txt", "cher ami");
    WriteBytes(dir / L"Docs\\sous\\Noël.txt", "joyeux noël");
    WriteBytes(dir / L"Docs\\Thumbs.db", "vignettes");
    WriteBytes(dir / L"Docs\\exclu\\brouillon.txt", "non");
    WriteBytes(dir / L"Sauv\\Docs\\sous\\Noël.txt", "une version plus ancienne");
    WriteBytes(dir / L"Sauv\\Docs\\ancien\\parti.txt", "supprimé depuis");
    WriteBytes(dir / L"Sauv\\Docs\\surplus.txt", "en trop");
    std::string source = Utf8(dir / L"Docs"), destination = Utf8(dir / L"Sauv");
    WriteBytes(Ini(), "[Position]\r\nSynchroCopie=-1\r\n[Miroir]\r\nSource0=\"" + source + "\"\r\nDestination0=\"" +
                          destination + "\"\r\nSelect0=1\r\nModifie=1\r\nRepExclu0_Mode=2\r\nRepExclu0_Rep1=exclu\r\n");
    Program program(dir.Path(), L"/miroir /auto");
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(0, program.WaitExit(30000));

    std::map<std::wstring, FILETIME> expected, copied;
    ListFiles(dir / L"Docs", L"", expected);
    expected.erase(L"Thumbs.db");
    expected.erase(L"exclu\\brouillon.txt");
    ListFiles(dir / L"Sauv\\Docs", L"", copied);
    ASSERT_EQ(expected.size(), copied.size());
    for (const auto& [name, time] : expected) {
        auto found = copied.find(name);
        ASSERT_NE(copied.end(), found) << Utf8(name);
        EXPECT_EQ(ReadBytes(dir / (L"Docs\\" + name)), ReadBytes(dir / (L"Sauv\\Docs\\" + name))) << Utf8(name);
        EXPECT_EQ(0, CompareFileTime(&time, &found->second)) << Utf8(name);
    }
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((dir / L"Sauv\\Docs\\ancien").c_str()));
    EXPECT_NE(std::string::npos, ReadBytes(Ini()).find("LastSave="));
}

}  // namespace

// What the task scheduler's history shows: 0 clean, 1 completed with errors, 2 stopped or
// nothing to run. A missing source is an error of the run, in its log and its last result.
TEST_F(StartupTest, UnattendedRunTellsItsOutcomeByItsExitCode) {
    MakeDirs(dir / L"Docs");
    MakeDirs(dir / L"Sauv");
    WriteBytes(dir / L"Docs\\lettre.txt", "cher ami");
    WriteBytes(dir / L"Docs\\tenu.txt", "ouvert");
    std::string docs = Utf8(dir / L"Docs"), gone = Utf8(dir / L"Parti"), sauv = Utf8(dir / L"Sauv");
    auto line = [](int i, const std::string& source, const std::string& destination) {
        std::string n = std::to_string(i);
        return "Source" + n + "=\"" + source + "\"\r\nDestination" + n + "=\"" + destination + "\"\r\nSelect" + n +
               "=1\r\n";
    };
    struct Case {
        const char* name;
        std::string position;
        std::string lines;
        bool holdFile;
        int exitCode;
    };
    const Case cases[] = {
        {"Propre", "", line(0, docs, sauv), false, 0},
        {"Tenu", "ContinueOnError=-1\r\n", line(0, docs, sauv), true, 1},
        {"Manquant", "ContinueOnError=-1\r\n", line(0, gone, sauv) + line(1, docs, sauv), false, 1},
        {"Arret", "ContinueOnError=0\r\n", line(0, gone, sauv) + line(1, docs, sauv), false, 2},
        {"Vide", "", "", false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveTree(dir / L"Sauv");
        MakeDirs(dir / L"Sauv");
        WriteBytes(Ini(), "[Position]\r\n" + c.position + "[" + c.name + "]\r\nModifie=1\r\n" + c.lines);
        // Held open without sharing, as another program using it would.
        HANDLE held = c.holdFile ? CreateFileW((dir / L"Docs\\tenu.txt").c_str(), GENERIC_READ, 0, nullptr,
                                               OPEN_EXISTING, 0, nullptr)
                                 : INVALID_HANDLE_VALUE;
        const std::wstring name(c.name, c.name + strlen(c.name));
        Program program(dir.Path(), L"/" + name + L" /Auto");
        ASSERT_TRUE(program.Started());
        EXPECT_EQ(c.exitCode, program.WaitExit(30000));
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        std::string stored = ReadBytes(Ini());
        if (c.exitCode == 1) {
            EXPECT_NE(std::string::npos, stored.find("LastSaveErr=")) << stored;
            std::string log = ReadBytes(dir / (L"S_" + name + L".err"));
            EXPECT_NE(std::string::npos, log.find("Erreur: ")) << log;
        }
        if (std::string(c.name) == "Manquant") {
            EXPECT_EQ("cher ami", ReadBytes(dir / L"Sauv\\Docs\\lettre.txt"));
        }
        if (c.exitCode == 2) {
            EXPECT_EQ(std::string::npos, stored.find("LastSave")) << stored;
        }
    }
}
