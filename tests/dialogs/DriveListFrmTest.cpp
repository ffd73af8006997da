// The drive list: its rows for each kind of drive, the sizes it shows, and how the user
// leaves it with or without a drive.
#include "dialogs/DriveListFrm.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <functional>

#include "tests/support/FakeDrives.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestSupport.h"
#include "tests/support/UserSteps.h"

namespace {

constexpr unsigned long long Go = 1024ull * 1024 * 1024;
constexpr unsigned long long To = Go * 1024;

TEST(FormatDriveSizeTest, ShowsBytesInTheLargestFittingUnitWithDecimalsCut) {
    struct Case {
        unsigned long long bytes;
        const wchar_t* text;
    } cases[] = {
        {0, L"0 octet"},
        {1, L"1 octet"},
        {1023, L"1023 octets"},
        {1024, L"1,00 Ko"},
        {16353, L"15,9 Ko"},     // 15,97: cut, not rounded up
        {10239, L"9,99 Ko"},     // 9,999
        {1023999, L"1 000 Ko"},  // whole units are rounded
        {5 * Go + Go / 2, L"5,50 Go"},
        {2 * To, L"2,00 To"},
        {1536 * To, L"1 536 To"},
        {~0ull, L"16 777 216 To"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.text, FormatDriveSize(c.bytes)) << c.bytes;
    }
}

// The system's own list, however long, whatever letters the machine has.
TEST(DrivesTest, SystemRootsAreTheDrivesTheSystemHas) {
    std::vector<std::wstring> expected;
    DWORD mask = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if (mask & (1u << letter)) expected.push_back(std::wstring(1, static_cast<wchar_t>(L'A' + letter)) + L":\\");
    }
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(expected, Drives().Roots());

    std::wstring all;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter)
        all += std::wstring(1, letter) + L":\\" + L'\0';
    EXPECT_EQ(26u, SplitDriveStrings(all).size());
    EXPECT_EQ(L"Z:\\", SplitDriveStrings(all).back());
}

TEST(DriveListFrmTest, RowsShowEachDriveWithItsSizesOrNA) {
    ScopedDrives drives({{L"C:\\", L"Système", {2 * To, 300 * Go}},
                         {L"E:\\", L"Pas de disque", {}},
                         {L"F:\\", L"Pas de label", {16353, 1}}});
    DriveListFrm list;
    ASSERT_TRUE(list.Load(nullptr));
    const wchar_t* expected[][4] = {
        {L"C:\\", L"Système", L"2,00 To", L"300 Go"},
        {L"E:\\", L"Pas de disque", L"N.A.", L"N.A."},
        {L"F:\\", L"Pas de label", L"15,9 Ko", L"1 octet"},
    };
    ASSERT_EQ(3, list.RowCount());
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(expected[row][column], list.CellText(row, column));
    }
    EXPECT_FALSE(list.HasSelectedDrive());
}

// With the system's own drives: each root's icon is asked once and stays with its row.
TEST(DriveListFrmTest, EachDriveHasOneIconKeptAcrossRefills) {
    DriveListFrm list;
    ASSERT_TRUE(list.Load(nullptr));
    list.FillDriveList();
    std::vector<std::wstring> roots = Drives().Roots();
    ASSERT_EQ(static_cast<int>(roots.size()), list.RowCount());
    EXPECT_EQ(list.RowCount(), list.ImageCount());
    for (int row = 0; row < list.RowCount(); ++row) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        SendMessageW(list.ListDrive(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(row, item.iImage);
        EXPECT_EQ(row, list.DriveIcon(roots[row]));
    }
}

class DriveListChoiceTest : public testing::Test {
protected:
    DriveListChoiceTest()
        : drives({{L"C:\\", L"Système", {To, Go}},
                  {L"E:\\", L"Sauvegardes", {To, Go}},
                  {L"F:\\", L"Nouveau disque", {To, To}}}) {}

    static void SelectRow(HWND list, int row) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = row >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
        SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    }
    static void DoubleClickRow(HWND list, int row) {
        RECT rect{};
        rect.left = LVIR_LABEL;
        SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(list, WM_LBUTTONUP, 0, point);
        SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        SendMessageW(list, WM_LBUTTONUP, 0, point);
    }

    ScopedUi ui;
    ScopedDrives drives;
    UserSteps steps;
};

TEST_F(DriveListChoiceTest, OkWithoutADriveIsRefusedThenADoubleClickChoosesOne) {
    DriveListFrm list;
    ASSERT_TRUE(list.Load(nullptr));
    HWND view = list.ListDrive();
    steps = {[&] { PostMessageW(list.Handle(), WM_COMMAND, IDOK, 0); },
             [&] { EXPECT_TRUE(IsWindowVisible(list.Handle())); }, [&] { DoubleClickRow(view, 2); }};
    std::optional<std::wstring> chosen = list.Ask(nullptr);
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(L"Sélectionnez d'abord un lecteur !", ui.messages[0].text);
    EXPECT_EQ(L"Choisissez un lecteur pour toutes les destinations", ui.messages[0].title);
    EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), ui.messages[0].Icon());
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(L"F:\\", *chosen);
}

// With a drive selected, "Annuler" chooses nothing; a double click beside the rows neither
// chooses nor closes.
TEST_F(DriveListChoiceTest, AnnulerAndADoubleClickBesideTheRowsChooseNothing) {
    struct Case {
        const char* how;
        std::function<void(DriveListFrm&)> leave;
    } cases[] = {
        {"Annuler", [](DriveListFrm& l) { PostMessageW(l.Cmd(1), BM_CLICK, 0, 0); }},
        {"double click on no row",
         [](DriveListFrm& l) {
             SelectRow(l.ListDrive(), -1);
             SendMessageW(l.ListDrive(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 150));
             EXPECT_TRUE(IsWindowVisible(l.Handle()));
             PostMessageW(l.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        DriveListFrm list;
        ASSERT_TRUE(list.Load(nullptr));
        list.SelectDrive(L"F:");
        steps = {[&] { c.leave(list); }};
        EXPECT_FALSE(list.Ask(nullptr).has_value());
    }
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
