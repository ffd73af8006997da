// Editing lines from the main window: the line menu of the control TB opened with the
// right mouse button on a path label and answered with the keyboard, the tools it
// dispatches, moving lines, and paths dropped on the labels.
#include "tests/mainwindow/MainWindowFixture.h"

#include "app/Clock.h"
#include "app/Schedule.h"
#include "app/Utils.h"
#include "common/com/Bstr.h"
#include "common/com/ComObject.h"
#include "mainwindow/ControlHost.h"
#include "mainwindow/DragDrop.h"
#include "mainwindow/LineMenu.h"
#include "mainwindow/PathLabel.h"
#include "engine/RunState.h"

#include <functional>
#include <vector>

using bastide::com::ComPtr;

namespace {

const char* const FourLines =
    "[Position]\r\nConfig=Bureau\r\n"
    "[Bureau]\r\n"
    "Source0=\"C:\\Data\\Docs\"\r\nDestination0=\"E:\\Copies\\\"\r\nSelect0=0\r\n"
    "Source1=\"C:\\Data\\Photos\"\r\nDestination1=\"F:\\Archives\\\"\r\nSelect1=1\r\n"
    "RepExclu1_Mode=2\r\nRepExclu1_Rep1=\"C:\\Data\\Photos\\Cache\"\r\nRepExclu1_Rep2=\"C:\\Data\\Photos\\Tmp\"\r\n"
    "Source2=\"C:\\Data\\Mail\"\r\nDestination2=\"E:\\Copies\\\"\r\nSelect2=1\r\n"
    "Source4=\"C:\\Data\\Music\"\r\nDestination4=\"E:\\Copies\\\"\r\nSelect4=0\r\n";

// What happens while the line menu is open, from inside its modal loop: a look at the
// control, then keys typed into the menu as a user would.
struct MenuScript {
    std::function<void()> whileOpen;
    std::vector<WPARAM> keys;
    bool menuSeen = false;
};
MenuScript* script = nullptr;

BOOL CALLBACK FindMenuWindow(HWND window, LPARAM found) {
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (IsWindowVisible(window) && (lstrcmpW(name, L"#32768") == 0 || lstrcmpW(name, L"PlMenu") == 0)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND OpenMenuWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMenuWindow, reinterpret_cast<LPARAM>(&found));
    if (!found) found = FindWindowW(L"#32768", nullptr);
    return found;
}

void CALLBACK TypeIntoMenu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND menu = OpenMenuWindow();
    if (!script || !menu) return;
    script->menuSeen = true;
    if (script->whileOpen) script->whileOpen();
    HWND target = GetFocus() ? GetFocus() : menu;
    if (FindWindowW(L"#32768", nullptr)) target = FindWindowW(L"#32768", nullptr);
    for (WPARAM key : script->keys) {
        PostMessageW(target, WM_KEYDOWN, key, 1);
        PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    }
}

// A menu left open by a failing test is closed, so the test ends.
void CALLBACK CloseForgottenMenu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND menu = OpenMenuWindow()) {
        EndMenu();
        PostMessageW(menu, WM_CANCELMODE, 0, 0);
    }
}

// Items of the menu counted from its top, separators left out.
constexpr int ModifRep = 1;
// On a source label; a destination label has no "ModifRepFich" and counts one less
// below "ModifRep".
constexpr int ModifRepFich = 2, Editer = 3, Prop = 4, LigneUp = 5, LigneDown = 6, DeleteLigne = 7;

std::vector<WPARAM> Choose(int item, int side) {
    if (side == 1 && item > ModifRep) --item;
    std::vector<WPARAM> keys(item, VK_DOWN);
    keys.push_back(VK_RETURN);
    return keys;
}

class LineMenuTest : public MainWindowTest {
protected:
    void TearDown() override { script = nullptr; }

    void OpenUnlocked(const char* ini = FourLines) {
        Open(ini);
        Unlock();
    }

    ControlHost& TB() { return window->LineEditing().TB(); }

    // A right click on a path label (side 0 source, 1 destination) of line i: the button
    // messages the label receives, then the window's own loop until they are handled.
    void RightClick(int side, int i, MenuScript& menu) {
        script = &menu;
        HWND label = side == 0 ? window->LblS(i) : window->LblD(i);
        RECT client{};
        GetClientRect(label, &client);
        POINT centre{client.right / 2, client.bottom / 2};
        POINT screen = centre;
        ClientToScreen(label, &screen);
        SetCursorPos(screen.x, screen.y);
        SetTimer(nullptr, 0, 100, TypeIntoMenu);
        UINT_PTR watchdog = SetTimer(nullptr, 0, 8000, CloseForgottenMenu);
        PostMessageW(label, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(centre.x, centre.y));
        PostMessageW(label, WM_RBUTTONUP, 0, MAKELPARAM(centre.x, centre.y));
        Pump(300);
        KillTimer(nullptr, watchdog);
    }

    // Handles the thread's messages for a while (the timers of a right click included).
    static void Pump(DWORD milliseconds) {
        DWORD end = GetTickCount() + milliseconds;
        while (static_cast<int>(end - GetTickCount()) > 0) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            Sleep(10);
        }
    }
};

TEST_F(LineMenuTest, TheMenuOffersWhatFitsTheLabel) {
    struct Case {
        int side, line;
        bool fileVariant, up, down;
    };
    const Case cases[] = {
        {0, 0, true, false, true},   // first row, source: no move up
        {1, 5, false, true, false},  // last row, destination: no move down, no file variant
        {0, 5, true, true, false},
        {1, 0, false, false, true},
    };
    OpenUnlocked();
    std::string before = IniText();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "side " << c.side << ", line " << c.line);
        bool fileVariant = false, up = false, down = false;
        MenuScript menu;
        menu.whileOpen = [&] {
            fileVariant = TB().ToolVisible(L"ModifRepFich");
            up = TB().ToolEnabled(L"LigneUp");
            down = TB().ToolEnabled(L"LigneDown");
        };
        menu.keys = {VK_ESCAPE};
        RightClick(c.side, c.line, menu);
        ASSERT_TRUE(menu.menuSeen);
        EXPECT_EQ(c.fileVariant, fileVariant);
        EXPECT_EQ(c.up, up);
        EXPECT_EQ(c.down, down);
        EXPECT_EQ(c.side, window->LineEditing().PopupSide());
        EXPECT_EQ(c.line, window->LineEditing().PopupLine());
    }
    // Escape chose nothing.
    EXPECT_EQ(before, IniText());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LineMenuTest, NoMenuOnALockedViewNorInComparison) {
    Open(FourLines);
    MenuScript locked;
    locked.keys = {VK_ESCAPE};
    RightClick(0, 1, locked);
    EXPECT_FALSE(locked.menuSeen);

    Unlock();
    ClickTab(2);
    Unlock();
    MenuScript comparison;
    comparison.keys = {VK_ESCAPE};
    RightClick(0, 1, comparison);
    EXPECT_FALSE(comparison.menuSeen);
}

// The daily backup's tick that falls while the menu is open waits for the menu to close: a
// run window started from inside the menu's loop would have the menu over it, taking the
// mouse and the keys.
TEST_F(LineMenuTest, TheDailyBackupWaitsWhileTheMenuIsOpen) {
    struct FixedClock {
        FixedClock() { moments::SetClock(moments::At(2026, 12, 9, 19, 0)); }
        ~FixedClock() { moments::SetClock(std::nullopt); }
    } clock;
    AutoLaunch = false;
    CurrentRun = RunState{};
    MakeDirs(dir / L"src");
    MakeDirs(dir / L"dst");
    WriteBytes(dir / L"src\\a.txt", "a");
    std::string ini = "[Position]\r\nConfig=Test\r\n[Test]\r\nSource0=\"" + Utf8(dir / L"src") + "\"\r\nDestination0=\"" +
                      Utf8(dir / L"dst") + "\"\r\nSelect0=1\r\nAutoSave=1\r\nAutoTime=20:00\r\n";
    OpenUnlocked(ini.c_str());
    moments::SetClock(moments::At(2026, 12, 9, 20, 0, 5));
    const std::wstring copy = dir / L"dst\\src\\a.txt";
    bool copiedWhileOpen = false;
    MenuScript menu;
    menu.whileOpen = [&] {
        SendMessageW(window->Handle(), WM_TIMER, BstF1::Timer1Id, 0);
        copiedWhileOpen = FileExists(copy);
    };
    menu.keys = {VK_ESCAPE};
    RightClick(0, 0, menu);
    ASSERT_TRUE(menu.menuSeen);
    EXPECT_FALSE(copiedWhileOpen);
    EXPECT_EQ(L"09/12/2026", NextRunDate);

    SendMessageW(window->Handle(), WM_TIMER, BstF1::Timer1Id, 0);
    EXPECT_TRUE(FileExists(copy));
    EXPECT_EQ(L"10/12/2026", NextRunDate);
}

TEST_F(LineMenuTest, MovingTheSecondLineUpExchangesTheTwoLines) {
    OpenUnlocked();
    MenuScript menu;
    menu.keys = Choose(LigneUp, 0);
    RightClick(0, 1, menu);
    ASSERT_TRUE(menu.menuSeen);

    // In memory.
    EXPECT_EQ(L"C:\\Data\\Photos", Config.Sources[0]);
    EXPECT_EQ(L"F:\\Archives\\", Config.Destinations[0]);
    EXPECT_EQ(1, Config.Selected[0]);
    EXPECT_EQ(L"C:\\Data\\Docs", Config.Sources[1]);
    EXPECT_EQ(0, Config.Selected[1]);
    // In the file, the exclusions with their line.
    EXPECT_EQ(L"C:\\Data\\Photos", Setting(L"Source0"));
    EXPECT_EQ(L"F:\\Archives\\", Setting(L"Destination0"));
    EXPECT_EQ(L"1", Setting(L"Select0"));
    EXPECT_EQ(L"C:\\Data\\Docs", Setting(L"Source1"));
    EXPECT_EQ(L"E:\\Copies\\", Setting(L"Destination1"));
    EXPECT_EQ(L"0", Setting(L"Select1"));
    EXPECT_EQ(L"2", Setting(L"RepExclu0_Mode"));
    EXPECT_EQ(L"C:\\Data\\Photos\\Cache", Setting(L"RepExclu0_Rep1"));
    EXPECT_EQ(L"C:\\Data\\Photos\\Tmp", Setting(L"RepExclu0_Rep2"));
    // The line that had no exclusions gives its new place none.
    EXPECT_EQ(L"0", Setting(L"RepExclu1_Mode"));
    EXPECT_FALSE(HasKey(L"RepExclu1_Rep1"));
    EXPECT_FALSE(HasKey(L"RepExclu1_Rep2"));
    // On the screen, and the view stays unlocked.
    EXPECT_EQ(L"C:\\Data\\Photos", GetPathLabel(window->LblS(0)));
    EXPECT_EQ(L"C:\\Data\\Docs", GetPathLabel(window->LblS(1)));
    EXPECT_TRUE(Checked(window->ChkS(0)));
    EXPECT_FALSE(Checked(window->ChkS(1)));
    EXPECT_FALSE(window->Locked());
    EXPECT_TRUE(IsWindowEnabled(window->Cadre(0)));
}

TEST_F(LineMenuTest, EachToolActsOnTheLabelItWasOpenedOn) {
    struct Case {
        int side, line, item;
        std::function<void()> check;
    };
    const Case cases[] = {
        {0, 2, ModifRep,
         [this] {
             ASSERT_EQ(1u, ui.browseTitles.size());
             EXPECT_EQ(L"Sélectionnez le répertoire source:", ui.browseTitles[0]);
             EXPECT_EQ(L"C:\\Data\\Mail", ui.browseStartPaths[0]);
         }},
        {0, 2, ModifRepFich,
         [this] {
             ASSERT_EQ(1u, ui.browseTitles.size());
             EXPECT_EQ(L"Sélectionnez le répertoire (ou le fichier) source:", ui.browseTitles[0]);
         }},
        {1, 2, ModifRep,
         [this] {
             ASSERT_EQ(1u, ui.browseTitles.size());
             EXPECT_EQ(L"Sélectionnez le répertoire destination:", ui.browseTitles[0]);
             EXPECT_EQ(L"E:\\Copies\\", ui.browseStartPaths[0]);
         }},
        {1, 1, Prop,
         [this] { EXPECT_EQ(std::vector<std::wstring>{L"F:\\Archives\\"}, ui.properties); }},
        {0, 3, Prop, [this] { EXPECT_TRUE(ui.properties.empty()); }},  // an empty label
        {1, 2, DeleteLigne,
         [this] {
             ASSERT_EQ(1u, ui.messages.size());
             EXPECT_EQ(L"Remise à zéro de la sauvegarde 3 ?", ui.messages[0].text);
             EXPECT_FALSE(HasKey(L"Source2"));
             EXPECT_FALSE(HasKey(L"Destination2"));
             EXPECT_EQ(L"C:\\Data\\Music", Setting(L"Source4"));  // the lines below stay
         }},
        {1, 2, LigneDown,
         [this] {
             EXPECT_EQ(L"C:\\Data\\Mail", Setting(L"Source3"));
             EXPECT_FALSE(HasKey(L"Source2"));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "side " << c.side << ", line " << c.line << ", item " << c.item);
        ui.browseTitles.clear();
        ui.browseStartPaths.clear();
        ui.properties.clear();
        ui.messages.clear();
        OpenUnlocked();
        MenuScript menu;
        menu.keys = Choose(c.item, c.side);
        RightClick(c.side, c.line, menu);
        ASSERT_TRUE(menu.menuSeen);
        c.check();
        CloseWindow();
    }
}

// Types text into the path edit dialog once it shows, and confirms it.
std::wstring typedPath;
std::wstring shownPath, shownCaption;
void CALLBACK TypeIntoEditDialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = FindWindowW(L"BastideBstF5", nullptr);
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, id);
    shownCaption = Form::GetText(dialog);
    shownPath = Form::GetText(GetDlgItem(dialog, 101));
    SetWindowTextW(GetDlgItem(dialog, 101), typedPath.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST_F(LineMenuTest, TheEditDialogChangesTheSideUnlessItAnswersTheCancelMark) {
    struct Case {
        int side, line;
        const wchar_t* typed;
        const wchar_t* caption;
        const wchar_t* key;
        const wchar_t* stored;  // null: the file is left as it was
    };
    const Case cases[] = {
        {0, 1, L"  D:\\Photos ", L"Répertoire source", L"Source1", L"D:\\Photos"},
        {1, 2, L"G:\\Copies\\", L"Répertoire destination", L"Destination2", L"G:\\Copies\\"},
        {0, 2, L"@", L"Répertoire source", L"Source2", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "side " << c.side << ", line " << c.line);
        OpenUnlocked();
        std::string before = IniText();
        std::wstring previous = GetPathLabel(c.side == 0 ? window->LblS(c.line) : window->LblD(c.line));
        typedPath = c.typed;
        shownPath.clear();
        SetTimer(nullptr, 0, 20, TypeIntoEditDialog);
        MenuScript menu;
        menu.keys = Choose(Editer, c.side);
        RightClick(c.side, c.line, menu);
        EXPECT_EQ(c.caption, shownCaption);
        EXPECT_EQ(previous, shownPath);
        HWND label = c.side == 0 ? window->LblS(c.line) : window->LblD(c.line);
        if (c.stored) {
            EXPECT_EQ(c.stored, Setting(c.key));
            EXPECT_EQ(c.stored, GetPathLabel(label));
        } else {
            EXPECT_EQ(before, IniText());
            EXPECT_EQ(previous, GetPathLabel(label));
        }
        CloseWindow();
    }
}

// A drag of data over the window, from a source that holds the button down for a few
// steps, then releases it over the label.
class HeldButton : public bastide::com::ComObject<HeldButton, IDropSource> {
public:
    static const bastide::com::QiEntry* Interfaces() {
        static const bastide::com::QiEntry table[] = {
            bastide::com::QiEntry::Of<HeldButton, IDropSource>(IID_IDropSource), {}};
        return table;
    }
    STDMETHODIMP QueryContinueDrag(BOOL, DWORD) override { return ++steps_ < 3 ? S_OK : DRAGDROP_S_DROP; }
    STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    int steps_ = 0;
};

DWORD DropOn(HWND label, IDataObject* data) {
    RECT rect{};
    GetWindowRect(label, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    auto source = bastide::com::MakeObject<HeldButton>();
    DWORD effect = DROPEFFECT_NONE;
    DoDragDrop(data, source.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    return effect;
}

// Data in a format the window does not take.
ComPtr<IDataObject> OtherData() {
    ComPtr<IDataObject> data = dragdrop::NewData();
    FORMATETC format{static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"Bastide test format")), nullptr,
                     DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4);
    data->SetData(&format, &medium, TRUE);
    return data;
}

TEST_F(LineMenuTest, APathDroppedOnALabelBecomesThatSide) {
    OpenUnlocked();
    // Three files from the shell: the first one is taken.
    ComPtr<IDataObject> files =
        dragdrop::FileListData({L"D:\\Depot\\un.txt", L"D:\\Depot\\deux.txt", L"D:\\Depot\\trois.txt"});
    EXPECT_EQ(DWORD{DROPEFFECT_COPY}, DropOn(window->LblD(4), files.Get()));
    EXPECT_EQ(L"D:\\Depot\\un.txt", GetPathLabel(window->LblD(4)));
    EXPECT_EQ(L"D:\\Depot\\un.txt", Config.Destinations[4]);
    EXPECT_EQ(L"D:\\Depot\\un.txt", Setting(L"Destination4"));

    // Text: its first line.
    ComPtr<IDataObject> text = dragdrop::TextData(L"G:\\Sauvegardes\r\n");
    EXPECT_EQ(DWORD{DROPEFFECT_COPY}, DropOn(window->LblS(3), text.Get()));
    EXPECT_EQ(L"G:\\Sauvegardes", Setting(L"Source3"));
}

TEST_F(LineMenuTest, APathDraggedFromOneLabelToAnotherIsCopied) {
    OpenUnlocked();
    HWND from = window->LblS(1);
    RECT target{};
    GetWindowRect(window->LblD(3), &target);
    // The button goes down on LblS(1), the mouse moves away with it and is released over
    // LblD(3).
    SetCursorPos((target.left + target.right) / 2, (target.top + target.bottom) / 2);
    PostMessageW(from, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(from, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 5));
    Pump(300);
    EXPECT_EQ(L"C:\\Data\\Photos", GetPathLabel(window->LblD(3)));
    EXPECT_EQ(L"C:\\Data\\Photos", Setting(L"Destination3"));
    EXPECT_EQ(L"C:\\Data\\Photos", Setting(L"Source1")) << "the dragged side stays";
}

TEST_F(LineMenuTest, WhatCannotBeTakenShowsNoEffectAndChangesNothing) {
    OpenUnlocked();
    std::string before = IniText();
    ComPtr<IDataObject> text = dragdrop::TextData(L"G:\\Sauvegardes");
    EXPECT_EQ(DWORD{DROPEFFECT_NONE}, DropOn(window->LblD(0), OtherData().Get())) << "neither text nor files";
    EXPECT_EQ(DWORD{DROPEFFECT_NONE}, DropOn(window->Lbl(0), text.Get())) << "not a path label";
    Click(window->Cmd(6));  // locked again
    EXPECT_EQ(DWORD{DROPEFFECT_NONE}, DropOn(window->LblD(0), text.Get())) << "locked";
    EXPECT_EQ(before, IniText());
}

TEST_F(LineMenuTest, WithoutItsControlTheWindowStillWorks) {
    struct Case {
        bool libraryBeside;
        ControlHost::Origin origin;
    };
    // The ProgID is not registered: the library beside the program, else nothing.
    const Case cases[] = {{true, ControlHost::Origin::ProgramFolder}, {false, ControlHost::Origin::None}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.libraryBeside ? "library beside the program" : "no library");
        OpenUnlocked();
        std::wstring folder = c.libraryBeside ? ControlHost::ProgramFolder() : dir.Path();
        window->LineEditing().Create(L"Bastide.Essai.NonInscrit", folder);
        EXPECT_EQ(c.origin, TB().CreatedFrom());
        MenuScript menu;
        menu.keys = {VK_ESCAPE};
        RightClick(0, 1, menu);
        EXPECT_EQ(c.libraryBeside, menu.menuSeen);
        EXPECT_TRUE(ui.messages.empty()) << "no box about the missing menu";
        // The rest of the window goes on: drops still edit the lines.
        ComPtr<IDataObject> text = dragdrop::TextData(L"H:\\Copies");
        EXPECT_EQ(DWORD{DROPEFFECT_COPY}, DropOn(window->LblD(1), text.Get()));
        EXPECT_EQ(L"H:\\Copies", Setting(L"Destination1"));
        CloseWindow();
    }
}

}  // namespace
