// The description of the configuration, edited from a click on its name, and the About
// box opened from its button.
#include "tests/mainwindow/MainWindowFixture.h"
#include "tests/support/WhenShown.h"

namespace {

constexpr char MaisonIni[] =
    "[Position]\r\nConfig=Maison\r\n[Maison]\r\nDescription=\"Poste du salon\"\r\nSource0=\"C:\\Photos\"\r\n";

// The description keeps its spaces through the file, and an emptied one leaves no key.
TEST_F(MainWindowTest, DescriptionEditedFromTheConfigurationName) {
    Open(MaisonIni);
    struct Case {
        const wchar_t* typed;
        const wchar_t* shown;
    } cases[] = {{L"  au bureau ", L"Maison (  au bureau )"}, {L"", L"Maison"}};
    for (const Case& c : cases) {
        WhenShown(L"BastideBstF2", [&](HWND dialog) {
            EXPECT_EQ(L"Configuration : Maison", Text(dialog));
            SetWindowTextW(GetDlgItem(dialog, 101), c.typed);
            ClickId(dialog, IDOK);
        });
        HWND name = window->ConfigLbl(1);
        SendMessageW(window->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(name), STN_CLICKED),
                     reinterpret_cast<LPARAM>(name));
        EXPECT_EQ(c.shown, Text(name));
        Config.Description = L"?";
        LoadConfiguration();
        EXPECT_EQ(c.typed, Config.Description);
    }
    EXPECT_FALSE(HasKey(L"Description"));
    EXPECT_EQ(L"C:\\Photos", Setting(L"Source0"));
}

TEST_F(MainWindowTest, AboutButtonOpensTheAboutBox) {
    Open(MaisonIni);
    bool shown = false;
    WhenShown(L"BastideFrmAbout", [&](HWND box) {
        shown = true;
        ClickId(box, IDOK);
    });
    Click(window->Cmd(2));
    EXPECT_TRUE(shown);
}

}  // namespace
