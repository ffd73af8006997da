// The configurations dialog and the excluded directories dialog opened from the main
// window, driven as a user drives them, and what the window does with their results.
#include "tests/mainwindow/MainWindowFixture.h"

#include <deque>
#include <functional>

#include "app/Utils.h"
#include "engine/FileOps.h"
#include "engine/RunState.h"

namespace {

// What the user does in the windows that open, one step per timer tick; a step that finds
// nothing to do yet returns false and is tried again.
std::deque<std::function<bool()>> g_steps;

void CALLBACK NextStep(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_steps.empty() && g_steps.front()()) g_steps.pop_front();
    // A run window that waits for "Fermer" gets it.
    HWND run = FindWindowW(L"BastideCopie", nullptr);
    HWND fermer = run ? FindWindowExW(run, nullptr, L"Button", L"Fermer") : nullptr;
    if (fermer && IsWindowEnabled(fermer)) PostMessageW(fermer, BM_CLICK, 0, 0);
}

// Once a dialog of that class shows, what the user does in it.
std::function<bool()> Do(const wchar_t* className, std::function<void(HWND)> action) {
    return [=] {
        HWND dialog = FindWindowW(className, nullptr);
        if (!dialog || !IsWindowVisible(dialog)) return false;
        action(dialog);
        return true;
    };
}

// A click on one of its buttons.
std::function<bool()> Press(const wchar_t* className, const wchar_t* caption) {
    return Do(className, [caption](HWND dialog) {
        HWND button = FindWindowExW(dialog, nullptr, L"Button", caption);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    });
}

HWND Child(HWND window, const wchar_t* className) { return FindWindowExW(window, nullptr, className, nullptr); }

class ConfigDialogsTest : public MainWindowTest {
protected:
    ConfigDialogsTest() {
        FileOps::ClearFaults();
        CurrentRun = RunState{};
        Options = GeneralOptions{};
        timer_ = SetTimer(nullptr, 0, 40, NextStep);
    }
    ~ConfigDialogsTest() override {
        KillTimer(nullptr, timer_);
        g_steps.clear();
        Options = GeneralOptions{};
    }

    UINT_PTR timer_ = 0;
};

TEST_F(ConfigDialogsTest, ChosenConfigurationDeletedMeanwhileOpensEmpty) {
    Open("[Position]\r\nConfig=Test\r\n[Test]\r\nSource0=\"C:\\Data\"\r\nDestination0=\"E:\\Copies\"\r\n"
         "[Autre]\r\nSource0=\"C:\\Photos\"\r\n");
    g_steps = {Do(L"BastideBstF3",
                  [](HWND dialog) { SendMessageW(Child(dialog, L"ListBox"), LB_SETCURSEL, 1, 0); }),
               Do(L"BastideBstF3",
                  [this](HWND) {
                      // Another copy of the program deletes it meanwhile.
                      WriteBytes(dir / L"Bastide.ini",
                                 "[Position]\r\nConfig=Test\r\n[Test]\r\nSource0=\"C:\\Data\"\r\n");
                  }),
               Press(L"BastideBstF3", L"&Ok")};
    Click(window->Cmd(3));
    EXPECT_TRUE(g_steps.empty());
    EXPECT_EQ(L"Autre", CurrentConfigName);
    EXPECT_EQ(L"Autre", Text(window->ConfigLbl(1)));
    EXPECT_EQ(L"", Text(window->LblS(0)));
    EXPECT_TRUE(window->Locked());
}

TEST_F(ConfigDialogsTest, NewLineCountRebuildsTheRowsAndReloadsTheConfiguration) {
    Open("[Position]\r\nConfig=Test\r\n[Test]\r\nSource0=\"C:\\Data\"\r\nDestination0=\"E:\\Copies\"\r\n"
         "Source7=\"C:\\Huit\"\r\n");
    ClickTab(2);
    Click(window->Cmd(4));  // the comparison goes the other way
    ASSERT_TRUE(CompareReverse);
    g_steps = {Do(L"BastideBstF3",
                  [](HWND dialog) { SendMessageW(Child(dialog, L"ComboBox"), CB_SETCURSEL, 7, 0); }),
               Press(L"BastideBstF3", L"&Ok")};
    Click(window->Cmd(3));
    EXPECT_EQ(8, window->RowCount());
    EXPECT_EQ(7, MaxLineIndex);
    EXPECT_EQ(L"8", ReadSetting(L"Position", L"RepertMax"));
    EXPECT_EQ(L"C:\\Huit", Config.Sources[7]);
    // The same configuration keeps its direction, with an empty comparison panel.
    EXPECT_EQ(L"Comparaison Destination -> Source", Text(window->Cmd(4)));
    EXPECT_EQ(L"Aucune comparaison effectuée.", Text(window->LblComp()));
}

// From the window alone: a new configuration, a line, a folder excluded, then a backup.
TEST_F(ConfigDialogsTest, NewConfigurationBacksUpItsLineWithoutTheExcludedFolder) {
    MakeDirs(dir / L"src\\Garder");
    MakeDirs(dir / L"src\\Cache\\Vieux");
    MakeDirs(dir / L"dst");
    WriteBytes(dir / L"src\\a.txt", "a");
    WriteBytes(dir / L"src\\Garder\\b.txt", "bb");
    WriteBytes(dir / L"src\\Cache\\Vieux\\c.txt", "ccc");
    Open("[Position]\r\nConfig=Test\r\n[Test]\r\nModifie=1\r\n");

    g_steps = {Press(L"BastideBstF3", L"Ajouter"),
               Do(L"BastideBstF4", [](HWND dialog) { SetWindowTextW(GetDlgItem(dialog, 101), L"mAISON"); }),
               Do(L"BastideBstF4", [](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); }),
               Press(L"BastideBstF3", L"&Ok")};
    Click(window->Cmd(3));
    ASSERT_TRUE(g_steps.empty());
    EXPECT_EQ(L"Maison", CurrentConfigName);
    EXPECT_EQ(L"Maison", Text(window->ConfigLbl(1)));

    Unlock();
    ui.browseAnswers = {dir / L"src", dir / L"dst"};
    Click(window->CmdS(0));
    Click(window->CmdD(0));
    Click(window->ChkS(0));
    ASSERT_TRUE(Checked(window->ChkS(0)));

    ui.browseAnswers = {dir / L"src\\Cache"};
    g_steps = {Press(L"BastideBstF6", L"Ajouter"), Press(L"BastideBstF6", L"&Ok")};
    Click(window->CmdEx(0));
    ASSERT_TRUE(g_steps.empty());
    EXPECT_EQ(AddBackslash(dir / L"src"), ui.browseStartPaths.back());
    EXPECT_EQ(L"2", Setting(L"RepExclu0_Mode"));
    EXPECT_EQ(L"Cache", Setting(L"RepExclu0_Rep1"));

    Click(window->Cmd(1));
    EXPECT_EQ("a", ReadBytes(dir / L"dst\\src\\a.txt"));
    EXPECT_EQ("bb", ReadBytes(dir / L"dst\\src\\Garder\\b.txt"));
    EXPECT_FALSE(PathExists(dir / L"dst\\src\\Cache"));
    EXPECT_NE(std::string::npos, IniText().find("[Maison]"));
}

}  // namespace
