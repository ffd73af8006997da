// "Modif Tous": moving every destination of the configuration to another drive through
// the drive list.
#include "tests/mainwindow/MainWindowFixture.h"

#include <functional>

#include "mainwindow/PathLabel.h"
#include "tests/support/FakeDrives.h"

namespace {

constexpr unsigned long long To = 1024ull * 1024 * 1024 * 1024;

const char* const Lines =
    "[Position]\r\nConfig=Test\r\n"
    "[Test]\r\n"
    "Source0=\"C:\\Docs\"\r\nDestination0=\"E:\\Sauve\\Docs\"\r\nSelect0=1\r\n"
    "Source1=\"C:\\Photos\"\r\nDestination1=\"e:\\Sauve\\Photos\"\r\nSelect1=1\r\n"
    "Source2=\"C:\\Musique\"\r\nDestination2=\"\\\\serveur\\partage\\Musique\"\r\nSelect2=1\r\n";

// What the user does in the drive list once it shows; the list seen, row by row, with the
// rows selected when it opened.
std::function<void(HWND dialog, HWND list)> g_inList;
bool g_listShown = false;
std::vector<std::wstring> g_preselected;

std::wstring RowText(HWND list, int row) {
    wchar_t text[16] = {};
    LVITEMW cell{};
    cell.pszText = text;
    cell.cchTextMax = 16;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
    return text;
}

void CALLBACK WatchDriveList(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = FindWindowW(L"BastideDriveListFrm", nullptr);
    if (!dialog || !IsWindowVisible(dialog) || g_listShown) return;
    g_listShown = true;
    HWND list = FindWindowExW(dialog, nullptr, WC_LISTVIEWW, nullptr);
    for (int row = -1; (row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;) {
        g_preselected.push_back(RowText(list, row));
    }
    if (g_inList)
        g_inList(dialog, list);
    else
        PostMessageW(dialog, WM_CLOSE, 0, 0);
}

void ChooseRow(HWND dialog, HWND list, const std::wstring& root) {
    for (int row = 0; row < SendMessageW(list, LVM_GETITEMCOUNT, 0, 0); ++row) {
        if (RowText(list, row) != root) continue;
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    }
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

class AllDestinationsTest : public MainWindowTest {
protected:
    AllDestinationsTest()
        : drives({{L"C:\\", L"Système", {To, To}},
                  {L"E:\\", L"Sauvegardes", {To, To}},
                  {L"F:\\", L"Nouveau", {2 * To, To}},
                  {L"G:\\", L"Pas de disque", {}}}) {
        g_inList = nullptr;
        g_listShown = false;
        g_preselected.clear();
        watch_ = SetTimer(nullptr, 0, 30, WatchDriveList);
    }
    ~AllDestinationsTest() override {
        KillTimer(nullptr, watch_);
        g_inList = nullptr;
    }

    ScopedDrives drives;
    UINT_PTR watch_ = 0;
};

TEST_F(AllDestinationsTest, EveryDriveDestinationMovesToTheChosenDriveAndIsStored) {
    Open(Lines);
    Unlock();
    g_inList = [](HWND dialog, HWND list) { ChooseRow(dialog, list, L"F:\\"); };
    Click(window->Cmd(7));

    ASSERT_TRUE(g_listShown);
    EXPECT_EQ(std::vector<std::wstring>{L"E:\\"}, g_preselected);
    const wchar_t* expected[] = {L"F:\\Sauve\\Docs", L"F:\\Sauve\\Photos", L"\\\\serveur\\partage\\Musique"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(expected[i], GetPathLabel(window->LblD(i)));
        EXPECT_EQ(expected[i], Config.Destinations[i]);
    }
    std::string ini = IniText();
    EXPECT_NE(std::string::npos, ini.find("Destination0=\"F:\\Sauve\\Docs\"")) << ini;
    EXPECT_NE(std::string::npos, ini.find("Destination1=\"F:\\Sauve\\Photos\"")) << ini;
    EXPECT_NE(std::string::npos, ini.find("Destination2=\"\\\\serveur\\partage\\Musique\"")) << ini;
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(AllDestinationsTest, NothingChangesWhenDrivesDifferNoneIsNamedOrTheListIsLeft) {
    struct Case {
        const char* what;
        std::string destinations;
        bool listShown;
        const wchar_t* message;
    } cases[] = {
        {"E: and G:", "Destination0=\"E:\\Sauve\\Docs\"\r\nDestination1=\"G:\\Photos\"\r\n", false,
         L"Toutes les sauvegardes doivent être sur la même unité disque !"},
        {"network only", "Destination0=\"\\\\serveur\\partage\"\r\n", false, nullptr},
        {"list closed by its frame", "Destination0=\"E:\\Sauve\\Docs\"\r\n", true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_listShown = false;
        ui.messages.clear();
        Open("[Position]\r\nConfig=Test\r\n[Test]\r\nSource0=\"C:\\Docs\"\r\nSource1=\"C:\\Photos\"\r\n" +
             c.destinations);
        Unlock();
        std::string before = IniText();
        Click(window->Cmd(7));
        EXPECT_EQ(c.listShown, g_listShown);
        EXPECT_EQ(before, IniText());
        if (c.message) {
            ASSERT_EQ(1u, ui.messages.size());
            EXPECT_EQ(c.message, ui.messages[0].text);
            EXPECT_EQ(L"Modification de toutes les destinations", ui.messages[0].title);
            EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), ui.messages[0].Icon());
        } else {
            EXPECT_TRUE(ui.messages.empty());
        }
        CloseWindow();
    }
}

}  // namespace
