// The description of the configuration, edited from a click on its name, and the About
// box opened from its button: what the window shows afterwards and what the settings
// file keeps.
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/WhenShown.h"

#include <functional>

namespace {

constexpr char MaisonIni[] =
    "[Position]\r\nConfig=Maison\r\n[Maison]\r\nDescription=\"Poste du salon\"\r\nSource0=\"C:\\Photos\"\r\n";
constexpr int IdTxt = 101;
constexpr int IdClear = 102;

class DescriptionTest : public MainWindowTest {
protected:
    // Clicks the configuration name; the user acts on the description dialog.
    void EditDescription(std::function<void(HWND)> user) {
        WhenShown(L"BastideBstF2", [this, user](HWND dialog) {
            EXPECT_EQ(L"Configuration : Maison", Text(dialog));
            EXPECT_EQ(L"Poste du salon", Text(GetDlgItem(dialog, IdTxt)));
            user(dialog);
        });
        HWND name = window->ConfigLbl(1);
        SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(name), STN_CLICKED),
                     reinterpret_cast<LPARAM>(name));
    }
};

TEST_F(DescriptionTest, LeadingAndTrailingSpacesSurviveTheFile) {
    Open(MaisonIni);
    EditDescription([](HWND dialog) {
        SetWindowTextW(GetDlgItem(dialog, IdTxt), L"  au bureau ");
        ClickId(dialog, IDOK);
    });
    EXPECT_EQ(L"Maison (  au bureau )", Text(window->ConfigLbl(1)));
    EXPECT_NE(std::string::npos, IniText().find("Description=\"  au bureau \"\r\n"));
    Config.Description.clear();
    LoadConfiguration();
    EXPECT_EQ(L"  au bureau ", Config.Description);
}

TEST_F(DescriptionTest, AnEmptiedDescriptionRemovesTheKey) {
    Open(MaisonIni);
    EditDescription([](HWND dialog) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IdClear, BN_CLICKED), 0);
        ClickId(dialog, IDOK);
    });
    EXPECT_EQ(L"Maison", Text(window->ConfigLbl(1)));
    EXPECT_FALSE(HasKey(L"Description"));
    EXPECT_EQ(L"C:\\Photos", Setting(L"Source0"));
}

TEST_F(DescriptionTest, CancelledStoresNothing) {
    Open(MaisonIni);
    std::string before = IniText();
    EditDescription([](HWND dialog) {
        SetWindowTextW(GetDlgItem(dialog, IdTxt), L"");
        ClickId(dialog, IDCANCEL);
    });
    EXPECT_EQ(before, IniText());
    EXPECT_EQ(L"Maison (Poste du salon)", Text(window->ConfigLbl(1)));
}

}  // namespace

namespace {

TEST_F(MainWindowTest, AboutButtonOpensTheAboutBox) {
    Open(MaisonIni);
    std::string before = IniText();
    bool shown = false;
    WhenShown(L"BastideFrmAbout", [&](HWND box) {
        shown = true;
        ClickId(box, IDOK);
    });
    Click(window->Cmd(2));
    EXPECT_TRUE(shown);
    EXPECT_EQ(before, IniText());
}

}  // namespace
