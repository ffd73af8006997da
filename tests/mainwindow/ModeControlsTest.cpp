// The mode tabs, the lock, the command buttons, the options, the program run after a
// backup and the keyboard of the main window.
#include "tests/mainwindow/MainWindowFixture.h"

#include <commctrl.h>

#include <vector>

#include "mainwindow/ToolTips.h"

namespace {

const char* const OneLine =
    "[Position]\r\nConfig=Bureau\r\n"
    "[Bureau]\r\n"
    "Source0=\"C:\\Data\"\r\nDestination0=\"E:\\Copies\\\"\r\nSelect0=1\r\n"
    "ProgToRun=C:\\Outils\\rapport.exe\r\nPrmToRun=/q\r\nSelectP=1\r\n";

// Sends a keystroke with Alt through the dialog keyboard handling of the window.
void AltKey(HWND window, wchar_t key) {
    HWND focus = GetFocus();
    MSG message{};
    message.hwnd = focus ? focus : window;
    message.message = WM_SYSCHAR;
    message.wParam = key;
    message.lParam = 1 | (1 << 29);
    IsDialogMessageW(window, &message);
}

}  // namespace

TEST_F(MainWindowTest, LockRulesFollowTheMode) {
    Open(OneLine);
    auto programControls = [&] {
        return std::vector<HWND>{window->ChkProg(), window->ProgToRunTxt(), window->PrmToRunTxt(), window->CmdP(),
                                 window->CmdPOff()};
    };
    auto scheduling = [&] {
        return std::vector<HWND>{window->CadrePla(), window->Opt(2), window->LblH(), window->AutoHr(), window->Cmd(8)};
    };
    // Backup, locked after the display: the lines and the options are closed to edits.
    EXPECT_TRUE(window->Locked());
    for (HWND control : {window->Cadre(0), window->Cmd(7), window->Opt(0), window->Opt(1)}) {
        EXPECT_FALSE(IsWindowEnabled(control));
    }
    for (HWND control : programControls()) EXPECT_FALSE(IsWindowEnabled(control));
    for (HWND control : scheduling()) EXPECT_TRUE(IsWindowEnabled(control));
    EXPECT_TRUE(IsWindowEnabled(window->Onglet()));
    EXPECT_TRUE(IsWindowEnabled(window->Cmd(1)));
    EXPECT_EQ(BstF1::LockImg(0), ButtonPicture(window->Cmd(6)));
    EXPECT_EQ(L"Configuration verrouillée", GetToolTipText(window->Cmd(6)));

    Click(window->Cmd(6));
    EXPECT_FALSE(window->Locked());
    for (HWND control : {window->Cadre(0), window->Cmd(7), window->Opt(0), window->Opt(1)}) {
        EXPECT_TRUE(IsWindowEnabled(control));
    }
    for (HWND control : programControls()) EXPECT_TRUE(IsWindowEnabled(control));
    EXPECT_EQ(BstF1::LockImg(1), ButtonPicture(window->Cmd(6)));
    EXPECT_EQ(L"Configuration déverrouillée", GetToolTipText(window->Cmd(6)));

    // Restore: the tab locks again; unlocking opens the lines but not the program.
    ClickTab(1);
    EXPECT_TRUE(window->Locked());
    for (HWND control : scheduling()) EXPECT_FALSE(IsWindowEnabled(control));
    Click(window->Cmd(6));
    EXPECT_TRUE(IsWindowEnabled(window->Cadre(0)));
    for (HWND control : programControls()) EXPECT_FALSE(IsWindowEnabled(control));

    ClickTab(2);
    for (HWND control : scheduling()) EXPECT_FALSE(IsWindowEnabled(control));

    ClickTab(0);
    EXPECT_TRUE(window->Locked());
    for (HWND control : scheduling()) EXPECT_TRUE(IsWindowEnabled(control));
    for (HWND control : programControls()) EXPECT_FALSE(IsWindowEnabled(control));

    // Refreshing locks an unlocked view.
    Click(window->Cmd(6));
    Click(window->Cmd(5));
    EXPECT_TRUE(window->Locked());
    EXPECT_FALSE(IsWindowEnabled(window->Cadre(0)));
}

TEST_F(MainWindowTest, StartButtonAndFramesFollowTheTabs) {
    Open(OneLine);
    struct Expected {
        const wchar_t* caption;
        const wchar_t* tip;
    };
    const Expected expected[3] = {{L"Lancer la Sauvegarde", L"Cliquez ici pour lancer la sauvegarde"},
                                  {L"Lancer la Restauration", L"Cliquez ici pour lancer la restauration"},
                                  {L"Lancer la Comparaison", L"Cliquez ici pour lancer la comparaison"}};
    for (int mode : {1, 2, 0}) {
        ClickTab(mode);
        EXPECT_EQ(mode, RunMode);
        EXPECT_EQ(expected[mode].caption, Text(window->Cmd(1)));
        EXPECT_EQ(expected[mode].tip, GetToolTipText(window->Cmd(1)));
        EXPECT_EQ(BstF1::ImgB(mode), ButtonPicture(window->Cmd(1)));
        EXPECT_EQ(mode != 2, IsWindowVisible(window->Cadre(0)) != FALSE);
        EXPECT_EQ(mode == 2, IsWindowVisible(window->Cadre(3)) != FALSE);
    }
    EXPECT_NE(BstF1::ImgB(0), BstF1::ImgB(1));
    EXPECT_EQ(L"Sortie du programme", GetToolTipText(window->Cmd(0)));
    EXPECT_EQ(L"Modif Tous", Text(window->Cmd(7)));
    EXPECT_EQ(L"Nom de la configuration sélectionnée", GetToolTipText(window->ConfigLbl(1)));
}

TEST_F(MainWindowTest, CopyOptionsAreStoredAtOnce) {
    Open(OneLine);
    Click(window->Opt(0));  // locked: nothing happens
    EXPECT_FALSE(HasKey(L"Confirmation"));
    Unlock();
    Click(window->Opt(0));
    EXPECT_TRUE(Checked(window->Opt(0)));
    EXPECT_EQ(L"1", Setting(L"Confirmation"));
    EXPECT_EQ(1, Config.Confirmation);
    Click(window->Opt(1));
    EXPECT_EQ(L"1", Setting(L"Modifie"));
    Click(window->Opt(1));
    EXPECT_EQ(L"0", Setting(L"Modifie"));
    EXPECT_EQ(0, Config.Modifie);
    // A click moves the focus to the tabs.
    SetFocus(window->Opt(0));
    Click(window->Cmd(5));
    EXPECT_EQ(window->Onglet(), GetFocus());
    // The display shows what is stored.
    EXPECT_TRUE(Checked(window->Opt(0)));
    EXPECT_FALSE(Checked(window->Opt(1)));
}

TEST_F(MainWindowTest, ProgramToRunIsChosenStoredAndRemoved) {
    Open(OneLine);
    EXPECT_TRUE(Checked(window->ChkProg()));
    EXPECT_EQ(L"C:\\Outils\\rapport.exe", Text(window->ProgToRunTxt()));
    EXPECT_EQ(L"/q", Text(window->PrmToRunTxt()));
    Unlock();

    Click(window->ChkProg());
    EXPECT_EQ(L"0", Setting(L"SelectP"));
    EXPECT_EQ(0, Config.RunProgramAfter);

    ui.openFileAnswers.push_back(L"C:\\Outils\\fin.bat");
    Click(window->CmdP());
    ASSERT_EQ(1u, ui.openFileRequests.size());
    const OpenFileRequest& request = ui.openFileRequests[0];
    EXPECT_EQ(L"Programme à exécuter automatiquement", request.title);
    EXPECT_EQ(L"Applications (*.exe)|*.exe|Fichier de commandes (*.bat)|*.bat|Tous les fichiers (*.*)|*.*",
              request.filter);
    EXPECT_EQ(L"C:\\Outils\\rapport.exe", request.initialFile);
    EXPECT_EQ(L"C:\\Outils\\fin.bat", Text(window->ProgToRunTxt()));
    EXPECT_EQ(L"C:\\Outils\\fin.bat", Setting(L"ProgToRun"));
    EXPECT_NE(std::string::npos, IniText().find("ProgToRun=C:\\Outils\\fin.bat\r\n"));
    EXPECT_EQ(window->ProgToRunTxt(), GetFocus());

    Click(window->CmdP());  // cancelled
    EXPECT_EQ(L"C:\\Outils\\fin.bat", Setting(L"ProgToRun"));
    EXPECT_EQ(window->ProgToRunTxt(), GetFocus());

    // The parameters are stored trimmed when the box loses the focus.
    SetFocus(window->PrmToRunTxt());
    SetWindowTextW(window->PrmToRunTxt(), L"  /v /x  ");
    SetFocus(window->ProgToRunTxt());
    EXPECT_EQ(L"/v /x", Setting(L"PrmToRun"));
    EXPECT_EQ(L"/v /x", Text(window->PrmToRunTxt()));

    ui.messageAnswers.push_back(IDCANCEL);
    Click(window->CmdPOff());
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(L"Confirmez-vous la suppression du programme à exécuter après la Sauvegarde ?", ui.messages[0].text);
    EXPECT_EQ(L"Suppression", ui.messages[0].title);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL), ui.messages[0].Buttons());
    EXPECT_EQ(static_cast<UINT>(MB_ICONQUESTION), ui.messages[0].Icon());
    EXPECT_EQ(L"C:\\Outils\\fin.bat", Setting(L"ProgToRun"));

    Click(window->ChkProg());
    Click(window->CmdPOff());
    EXPECT_FALSE(HasKey(L"ProgToRun"));
    EXPECT_FALSE(HasKey(L"PrmToRun"));
    EXPECT_EQ(L"0", Setting(L"SelectP"));
    EXPECT_FALSE(Checked(window->ChkProg()));
    EXPECT_EQ(L"", Text(window->ProgToRunTxt()));
    EXPECT_EQ(L"", Text(window->PrmToRunTxt()));
}

TEST_F(MainWindowTest, ExclusionsOfALineWithoutSourceAreRefused) {
    Open(OneLine);
    Unlock();
    Click(window->CmdEx(4));
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(L"Sélectionnez d'abord un disque ou répertoire à sauvegarder !", ui.messages[0].text);
    EXPECT_EQ(L"Bastide Version 1.00", ui.messages[0].title);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), ui.messages[0].Icon());
    EXPECT_EQ(static_cast<UINT>(MB_OK), ui.messages[0].Buttons());
}

TEST_F(MainWindowTest, AltKeysOfTheCaptionsWork) {
    Open(OneLine);
    SetForegroundWindow(window->Handle());
    SetFocus(window->Onglet());
    AltKey(window->Handle(), L'r');
    EXPECT_EQ(1, RunMode);
    EXPECT_EQ(1, SendMessageW(window->Onglet(), TCM_GETCURSEL, 0, 0));
    AltKey(window->Handle(), L'C');
    EXPECT_EQ(2, RunMode);
    AltKey(window->Handle(), L's');
    EXPECT_EQ(0, RunMode);
    EXPECT_EQ(window->Onglet(), GetFocus());

    AltKey(window->Handle(), L'e');  // locked: the option does not move
    EXPECT_FALSE(HasKey(L"Confirmation"));
    Unlock();
    AltKey(window->Handle(), L'e');
    EXPECT_EQ(L"1", Setting(L"Confirmation"));
    AltKey(window->Handle(), L'm');
    EXPECT_EQ(L"1", Setting(L"Modifie"));
}

TEST_F(MainWindowTest, TabKeyGoesThroughTheWindowInReadingOrder) {
    Open(OneLine);
    Unlock();
    HWND form = window->Handle();
    auto next = [&](HWND from) { return GetNextDlgTabItem(form, from, FALSE); };
    EXPECT_EQ(window->Cmd(3), next(window->Cmd(7)));
    EXPECT_EQ(window->Cmd(2), next(window->Cmd(6)));
    EXPECT_EQ(window->Onglet(), next(window->Cmd(2)));
    EXPECT_EQ(window->ChkS(0), next(window->Onglet()));
    EXPECT_EQ(window->CmdS(0), next(window->ChkS(0)));
    EXPECT_EQ(window->CmdD(0), next(window->CmdS(0)));
    EXPECT_EQ(window->CmdEx(0), next(window->CmdD(0)));
    EXPECT_EQ(window->CmdS(1), next(window->CmdEx(0)));  // the box of an empty line is skipped
    EXPECT_EQ(window->ChkProg(), next(window->CmdEx(5)));
    EXPECT_EQ(window->Opt(0), next(window->PrmToRunTxt()));
    EXPECT_EQ(window->Opt(2), next(window->Opt(1)));
    EXPECT_EQ(window->Cmd(1), next(window->Cmd(8)));
    EXPECT_EQ(window->Cmd(0), next(window->Cmd(1)));
    // Locked, the lines are passed over.
    Click(window->Cmd(6));
    EXPECT_EQ(window->Opt(2), next(window->Onglet()));
}

TEST_F(MainWindowTest, QuitClosesTheWindowAndStoresTheConfiguration) {
    Open(OneLine);
    HWND form = window->Handle();
    Click(window->Cmd(0));
    EXPECT_FALSE(IsWindow(form));
    EXPECT_EQ(L"Bureau", ReadSetting(L"Position", L"Config"));
    EXPECT_EQ(L"0", ReadSetting(L"Position", L"WindowState"));
}
