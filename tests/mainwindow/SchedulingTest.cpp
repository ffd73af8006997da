// The scheduling group of the main window: the time box, the automatic backup and its
// timer, and the Task Scheduler button.
#include "tests/mainwindow/MainWindowFixture.h"

#include "app/Schedule.h"
#include "app/Utils.h"
#include "engine/RunState.h"

namespace {

using moments::At;

class SchedulingTest : public MainWindowTest {
protected:
    SchedulingTest() {
        AutoLaunch = false;
        CurrentRun = RunState{};
        Options = GeneralOptions{};
        moments::SetClock(At(2026, 12, 9, 19, 0));
        MakeDirs(dir / L"src");
        MakeDirs(dir / L"dst");
        WriteBytes(dir / L"src\\a.txt", "a");
    }
    ~SchedulingTest() override {
        CloseWindow();
        moments::SetClock(std::nullopt);
        BstF1::Timer1Interval = 10000;
        AutoLaunch = false;
    }

    // A configuration "Test" backing src up into dst every day at 20:00.
    void OpenScheduled(const std::string& extra = "") {
        Open("[Position]\r\nConfig=Test\r\n[Test]\r\nSource0=\"" + Utf8(dir / L"src") + "\"\r\nDestination0=\"" +
             Utf8(dir / L"dst") + "\"\r\nSelect0=1\r\nAutoSave=1\r\nAutoTime=20:00\r\n" + extra);
    }
    bool Copied() const { return FileExists(dir / L"dst\\src\\a.txt"); }
    void Tick() { SendMessageW(window->Handle(), WM_TIMER, BstF1::Timer1Id, 0); }

    // Keys typed into the time box from a caret position: '>' and '<' are the arrows, '~'
    // the Delete key, '\b' Backspace; every other character is typed as it is.
    void Type(int caret, const std::wstring& keys) {
        HWND box = window->AutoHr();
        SetFocus(box);
        SendMessageW(box, EM_SETSEL, caret, caret);
        for (wchar_t key : keys) {
            UINT virtualKey = key == L'>' ? VK_RIGHT : key == L'<' ? VK_LEFT : key == L'~' ? VK_DELETE : 0;
            if (virtualKey) {
                SendMessageW(box, WM_KEYDOWN, virtualKey, 0);
            } else {
                if (key == L'\b') SendMessageW(box, WM_KEYDOWN, VK_BACK, 0);
                SendMessageW(box, WM_CHAR, key, 0);
            }
        }
    }
    int Caret() const {
        DWORD start = 0;
        SendMessageW(window->AutoHr(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        return static_cast<int>(start);
    }
    // The focus moves on to the tabs, and the box checks its time.
    void LeaveBox() {
        SetFocus(window->Onglet());
        PumpMessagesFor(30);
    }
};

TEST_F(SchedulingTest, TimeBoxIsTypedOverAndStepsOverTheColon) {
    struct Case { const wchar_t* start; int caret; const wchar_t* keys; const wchar_t* text; int caretAfter; } cases[] = {
        {L"00:00", 0, L"1830", L"18:30", 5},
        {L"00:00", 0, L"18", L"18:00", 3},
        {L"00:00", 1, L">", L"00:00", 3},
        {L"00:00", 3, L"<", L"00:00", 1},
        {L"12:34", 0, L"~\bx-", L"12:34", 0},
        {L"12:34", 5, L"9", L"12:34", 5},
        // Over the colon: put back when the box is left.
        {L"12:34", 2, L"5", L"12534", 3},
    };
    OpenScheduled();
    for (const auto& c : cases) {
        SetWindowTextW(window->AutoHr(), c.start);
        Type(c.caret, c.keys);
        EXPECT_EQ(c.text, Text(window->AutoHr())) << Utf8(c.keys);
        EXPECT_EQ(c.caretAfter, Caret()) << Utf8(c.keys);
    }
}

TEST_F(SchedulingTest, LeavingTheBoxStoresAValidTimeOrRestoresThePreviousOne) {
    struct Case { int caret; const wchar_t* keys; const wchar_t* shown; const wchar_t* nextRun; } cases[] = {
        {0, L"7", L"20:00", nullptr},
        {0, L"24", L"20:00", nullptr},
        {0, L"1260", L"20:00", nullptr},
        {0, L"2359", L"23:59", L"09/12/2026"},
        {0, L"1230", L"12:30", L"10/12/2026"},
        {2, L"1", L"20:00", L"09/12/2026"},
        {0, L"2", L"20:00", L"09/12/2026"},
    };
    for (const auto& c : cases) {
        OpenScheduled();
        ASSERT_TRUE(window->Timer1Enabled());
        ui.messages.clear();
        Type(c.caret, c.keys);
        LeaveBox();
        bool accepted = c.nextRun != nullptr;
        EXPECT_EQ(c.shown, Text(window->AutoHr())) << Utf8(c.keys);
        EXPECT_EQ(accepted ? c.shown : L"20:00", Setting(L"AutoTime")) << Utf8(c.keys);
        if (accepted) {
            EXPECT_EQ(c.nextRun, NextRunDate) << Utf8(c.keys);
            EXPECT_TRUE(ui.messages.empty()) << Utf8(c.keys);
        } else {
            ASSERT_EQ(1u, ui.messages.size()) << Utf8(c.keys);
            EXPECT_EQ(L"L'heure de sauvegarde saisie est incorrecte !", ui.messages[0].text);
            EXPECT_EQ(L"Bastide Version 1.00", ui.messages[0].title);
            EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), ui.messages[0].Icon());
            EXPECT_EQ(window->AutoHr(), GetFocus()) << Utf8(c.keys);
        }
        // Any digit typed switches the automatic backup off until it is ticked again.
        EXPECT_FALSE(Checked(window->Opt(2))) << Utf8(c.keys);
        EXPECT_EQ(L"0", Setting(L"AutoSave")) << Utf8(c.keys);
        EXPECT_FALSE(window->Timer1Enabled()) << Utf8(c.keys);
        CloseWindow();
    }
}

TEST_F(SchedulingTest, PassingThroughTheBoxOrTickingTheBoxKeepsTheBackupOn) {
    OpenScheduled();
    SetFocus(window->AutoHr());
    LeaveBox();
    EXPECT_TRUE(Checked(window->Opt(2)));
    EXPECT_TRUE(ui.messages.empty());
    Click(window->Opt(2));
    EXPECT_EQ(L"0", Setting(L"AutoSave"));
    EXPECT_FALSE(window->Timer1Enabled());
    Click(window->Opt(2));
    EXPECT_EQ(L"1", Setting(L"AutoSave"));
    EXPECT_TRUE(window->Timer1Enabled());
}

TEST_F(SchedulingTest, TheCheckWaitsForTheBackupTabAndNeverRunsInAnAutoInstance) {
    OpenScheduled();
    moments::SetClock(At(2026, 12, 9, 20, 0, 5));
    AutoLaunch = true;
    Tick();
    AutoLaunch = false;
    ClickTab(1);
    Tick();
    EXPECT_FALSE(Copied());
    EXPECT_EQ(L"09/12/2026", NextRunDate);

    ClickTab(0);
    Tick();
    EXPECT_TRUE(Copied());
    EXPECT_EQ(L"09/12/2026 20:00:05", Setting(L"LastSave"));
    EXPECT_EQ(L"10/12/2026", NextRunDate);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(window->Timer1Enabled());
}

TEST_F(SchedulingTest, TheWindowTimerStartsTheBackupOnceTheMomentHasPassed) {
    BstF1::Timer1Interval = 50;
    moments::SetClock(At(2026, 12, 9, 19, 59, 59));
    OpenScheduled();
    moments::SetClock(At(2026, 12, 9, 20, 0, 1));
    for (int i = 0; i < 100 && Setting(L"LastSave").empty(); ++i) PumpMessagesFor(50);
    EXPECT_EQ("a", ReadBytes(dir / L"dst\\src\\a.txt"));
    EXPECT_EQ(L"09/12/2026 20:00:01", Setting(L"LastSave"));
    EXPECT_EQ(L"10/12/2026", NextRunDate);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SchedulingTest, TaskSchedulerButtonExplainsThenOpensTheConsole) {
    OpenScheduled();
    ui.shellResult = 2;  // no console, as under Wine
    Click(window->Cmd(8));
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(L"Pour créer une nouvelle planification de Sauvegarde, cliquez sur créer une tâche de base et "
              L"inscrivez les paramétres de planification.\r\n\r\nPour modifier une planification existante, "
              L"cliquez sur son nom, sélectionnez Propriétés, et inscrivez vos modifications.",
              ui.messages[0].text);
    EXPECT_EQ(L"Planificateur de Tâches", ui.messages[0].title);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONINFORMATION), ui.messages[0].flags);
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    ASSERT_EQ(1u, ui.launches.size());
    EXPECT_EQ(L"open", ui.launches[0].verb);
    EXPECT_EQ(std::wstring(windows) + L"\\system32\\taskschd.msc", ui.launches[0].file);
    EXPECT_EQ(L"", ui.launches[0].parameters);
    EXPECT_EQ(window->Onglet(), GetFocus());
}

}  // namespace
