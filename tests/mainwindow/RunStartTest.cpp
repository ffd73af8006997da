// Runs started from the main window: the questions, the end messages, the recorded result.
#include "tests/mainwindow/MainWindowFixture.h"

#include "app/Utils.h"
#include "engine/Copie.h"
#include "engine/FileOps.h"
#include "engine/RunState.h"

namespace {

// Presses "Fermer" of a run window that waits for it, as the user would.
void CALLBACK PressFermer(HWND, UINT, UINT_PTR, DWORD) {
    HWND run = FindWindowW(L"BastideCopie", nullptr);
    if (!run) return;
    HWND button = FindWindowExW(run, nullptr, L"Button", L"Fermer");
    if (button && IsWindowEnabled(button)) PostMessageW(button, BM_CLICK, 0, 0);
}

class RunStartTest : public MainWindowTest {
protected:
    RunStartTest() {
        FileOps::ClearFaults();
        CurrentRun = RunState{};
        Options = GeneralOptions{};
        AutoLaunch = false;
        MakeDirs(dir / L"src\\sous");
        MakeDirs(dir / L"dst");
        WriteBytes(dir / L"src\\a.txt", "a");
        WriteBytes(dir / L"src\\b.txt", "bb");
        WriteBytes(dir / L"src\\sous\\c.txt", "ccc");
        fermer = SetTimer(nullptr, 0, 40, PressFermer);
    }
    ~RunStartTest() override {
        KillTimer(nullptr, fermer);
        FileOps::ClearFaults();
        Options = GeneralOptions{};
        AutoLaunch = false;
    }

    // A configuration "Test" whose line 0 backs src up into dst.
    void OpenWithLine(const std::string& extra = "", const std::string& position = "") {
        std::string src = Utf8(dir / L"src"), dst = Utf8(dir / L"dst");
        Open("[Position]\r\nConfig=Test\r\n" + position + "[Test]\r\nSource0=\"" + src + "\"\r\nDestination0=\"" +
             dst + "\"\r\nSelect0=1\r\nModifie=1\r\nConfirmation=1\r\n" + extra);
    }
    const ShownMessage& LastMessage() {
        EXPECT_FALSE(ui.messages.empty());
        static ShownMessage none;
        return ui.messages.empty() ? none : ui.messages.back();
    }

    UINT_PTR fermer = 0;
};

TEST_F(RunStartTest, CleanBackupEndsWithItsMessageAndRecordsTheResult) {
    OpenWithLine("SelectP=1\r\nProgToRun=C:\\outils\\rapport.bat\r\nPrmToRun=-v\r\n");
    Click(window->Cmd(1));
    EXPECT_EQ("ccc", ReadBytes(dir / L"dst\\src\\sous\\c.txt"));
    const ShownMessage& end = LastMessage();
    EXPECT_EQ(0u, end.text.find(L"Sauvegarde terminée sans erreur.\r\n\r\nDurée : "));
    EXPECT_EQ(L"Bastide Version 1.00", end.title);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), end.Icon());
    EXPECT_EQ(19u, Setting(L"LastSave").size());
    EXPECT_EQ(8u, Setting(L"LastDureeSave").size());
    EXPECT_FALSE(HasKey(L"LastSaveErr"));
    EXPECT_EQ(0u, Text(window->LastSaveLbl(0)).find(L"Dernière sauvegarde sans erreur le "));
    ASSERT_EQ(1u, ui.launches.size());
    EXPECT_EQ(L"C:\\outils\\rapport.bat", ui.launches[0].file);
    EXPECT_EQ(L"-v", ui.launches[0].parameters);
    EXPECT_TRUE(IsWindowEnabled(window->Cmd(1)));
    EXPECT_FALSE(IsWindowVisible(window->ImgOk(0)));
}

TEST_F(RunStartTest, NothingSelectedSaysSoAndStillLaunchesTheProgram) {
    OpenWithLine("SelectP=1\r\nProgToRun=C:\\outils\\rapport.bat\r\n");
    Unlock();
    Click(window->ChkS(0));  // untick the only line
    Click(window->Cmd(1));
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(L"Rien à sauvegarder !", ui.messages[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), ui.messages[0].Icon());
    EXPECT_EQ(1u, ui.launches.size());
    EXPECT_TRUE(ui.launches[0].parameters.empty());
}

TEST_F(RunStartTest, TreeOnlyQuestionCancelledRestoresTheWindowAcceptedCountsDirectories) {
    OpenWithLine("AutoSave=1\r\n", "ArbreMode=-1\r\n");
    ui.messageAnswers = {IDCANCEL};
    window->StartRun(1);
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(L"Seule l'arborescence des répertoires sera copiée sur le disque destination.\nConfirmez-vous la copie ?",
              ui.messages[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION), ui.messages[0].flags);
    EXPECT_FALSE(PathExists(dir / L"dst\\src"));
    EXPECT_TRUE(IsWindowEnabled(window->Cmd(1)));
    EXPECT_TRUE(window->Timer1Enabled());

    ui.messageAnswers = {IDOK};
    window->StartRun(1);
    EXPECT_TRUE(PathExists(dir / L"dst\\src\\sous"));
    EXPECT_FALSE(PathExists(dir / L"dst\\src\\a.txt"));
    EXPECT_EQ(0u, LastMessage().text.find(L"Copie de l'arborescence terminée !\n\n"));
    EXPECT_NE(std::wstring::npos, LastMessage().text.find(L" répertoire(s) créé(s)."));
}

TEST_F(RunStartTest, InterruptedRunsNameTheCauseForABackupOnly) {
    OpenWithLine();
    FileOps::InjectFault(FileOps::Op::Write, L"", ERROR_DISK_FULL);
    window->StartRun(1);
    EXPECT_EQ(L"Sauvegarde interrompue !\n\nLe disque destination est plein.", LastMessage().text);
    EXPECT_FALSE(HasKey(L"LastSave"));
    EXPECT_FALSE(HasKey(L"LastSaveErr"));

    FileOps::ClearFaults();
    FileOps::InjectFault(FileOps::Op::Write, L"", 1117);
    window->StartRun(1);
    EXPECT_EQ(L"Sauvegarde interrompue !\n\nErreur 1117", LastMessage().text);

    FileOps::ClearFaults();
    window->StartRun(1);  // a backup to restore from
    WriteBytes(dir / L"src\\a.txt", "changed");
    ClickTab(1);
    ui.messages.clear();
    FileOps::InjectFault(FileOps::Op::Write, L"", ERROR_DISK_FULL);
    Click(window->Cmd(1));  // two questions, both answered OK
    ASSERT_EQ(3u, ui.messages.size());
    EXPECT_EQ(L"Confirmez-vous la restauration des fichiers ?", ui.messages[0].text);
    EXPECT_EQ(L"Vous êtes bien sûr de vous ?\n(Restauration des fichiers)", ui.messages[1].text);
    EXPECT_EQ(L"Restauration interrompue !", ui.messages[2].text);
}

TEST_F(RunStartTest, RestoreDeclinedAtTheSecondQuestionDoesNothing) {
    OpenWithLine();
    window->StartRun(1);  // a backup to restore from
    WriteBytes(dir / L"src\\a.txt", "changed");
    ClickTab(1);
    ui.messages.clear();
    ui.messageAnswers = {IDOK, IDCANCEL};
    Click(window->Cmd(1));
    EXPECT_EQ(2u, ui.messages.size());
    EXPECT_EQ("changed", ReadBytes(dir / L"src\\a.txt"));
}

TEST_F(RunStartTest, CompletedRunWithErrorsCountsThemAndShowsTheFailure) {
    OpenWithLine("", "ContinueOnError=-1\r\n");
    FileOps::InjectFault(FileOps::Op::OpenRead, dir / L"src\\*", ERROR_ACCESS_DENIED);
    window->StartRun(1);
    const ShownMessage& end = LastMessage();
    EXPECT_EQ(0u, end.text.find(L"Sauvegarde terminée, nombre d'erreur(s): 3\r\n\r\nDurée : "));
    EXPECT_EQ(L"3", Setting(L"LastSaveNbErr"));
    EXPECT_EQ(L"3 erreur(s)", Text(window->LastSaveLbl(2)));
    EXPECT_TRUE(IsWindowVisible(window->Cmd(9)));
    EXPECT_EQ(L"Voir les erreurs", Text(window->Cmd(9)));
    // The error log of the run sits beside the settings file.
    EXPECT_NE(std::string::npos, ReadBytes(dir / L"S_Test.err").find("Erreur: 5 - Fichier: "));
}

// Nothing was left to copy, but a surplus file stayed: the run had an error all the same.
TEST_F(RunStartTest, FailedDeletionsAloneMakeARunWithErrors) {
    OpenWithLine("", "SynchroCopie=-1\r\nContinueOnError=-1\r\n");
    window->StartRun(1);
    WriteBytes(dir / L"dst\\src\\en_trop.txt", "x");
    FileOps::InjectFault(FileOps::Op::Delete, dir / L"dst\\src\\en_trop.txt", ERROR_ACCESS_DENIED);
    window->StartRun(1);
    EXPECT_EQ(0u, LastMessage().text.find(L"Sauvegarde terminée, nombre d'erreur(s): 1"));
    EXPECT_EQ(L"1", Setting(L"LastSaveNbErr"));
    EXPECT_TRUE(IsWindowVisible(window->Cmd(9)));
}

TEST_F(RunStartTest, UnattendedRunShowsNoBoxAndPlaysNoSound) {
    OpenWithLine("AutoSave=1\r\n", "SignalSonore=-1\r\nContinueOnError=-1\r\n");
    WriteBytes(dir / L"Ok.wav", "RIFF");
    FileOps::InjectFault(FileOps::Op::OpenRead, dir / L"src\\a.txt", ERROR_ACCESS_DENIED);
    window->StartRun(0);  // the daily timer: the run window still waits for "Fermer"
    // The main window's first activation is over before "Auto" is set, as in the program.
    PumpMessagesFor(100);
    ASSERT_TRUE(window->WindowActivated());
    FileOps::ClearFaults();
    FileOps::InjectFault(FileOps::Op::Write, L"", ERROR_DISK_FULL);
    AutoLaunch = true;
    window->StartRun(0);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.sounds.empty());
    EXPECT_TRUE(window->Timer1Enabled());
    EXPECT_EQ(L"1", Setting(L"LastSaveNbErr"));
}

TEST_F(RunStartTest, ComparisonListsItsDifferencesAndRecordsThem) {
    for (int i = 0; i < 9; ++i) WriteBytes(dir / (L"src\\f" + std::to_wstring(i) + L".txt"), "x");
    OpenWithLine();
    ClickTab(2);
    Click(window->Cmd(1));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(L"12", Setting(L"LastCompNbErr"));
    EXPECT_EQ(L"12 copie(s)", Text(window->LastSaveLbl(2)));
    EXPECT_EQ(L"Voir les copies", Text(window->Cmd(9)));
    EXPECT_EQ(0u, Text(window->LastSaveLbl(0)).find(L"Dernière comparaison le "));
    EXPECT_EQ(14, SendMessageW(window->TxtCp(), LB_GETCOUNT, 0, 0));  // header, 12 files, end
    EXPECT_EQ(0u, Text(window->LblComp()).find(L"12 fichier(s) à copier soit "));
    EXPECT_FALSE(PathExists(dir / L"dst\\src\\a.txt"));
}

TEST_F(RunStartTest, InterruptedComparisonRecordsNothing) {
    OpenWithLine();
    ClickTab(2);
    // The user interrupts as soon as the first file is listed.
    HHOOK hook = SetWindowsHookExW(
        WH_CALLWNDPROC,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            auto* call = reinterpret_cast<CWPSTRUCT*>(lParam);
            if (code == HC_ACTION && call->message == WM_SETTEXT && call->lParam &&
                std::wstring(reinterpret_cast<const wchar_t*>(call->lParam)) == L"1 fichier(s) à copier ") {
                SendMessageW(GetAncestor(call->hwnd, GA_ROOT), WM_COMMAND, IDCANCEL, 0);
            }
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    ui.messageAnswers = {IDYES};
    CurrentRun.Aborted = false;
    std::wstring before = Text(window->LastSaveLbl(0));
    Click(window->Cmd(1));
    UnhookWindowsHookEx(hook);
    ASSERT_TRUE(CurrentRun.Aborted);
    EXPECT_FALSE(HasKey(L"LastComp"));
    EXPECT_FALSE(HasKey(L"LastCompErr"));
    EXPECT_EQ(before, Text(window->LastSaveLbl(0)));
    EXPECT_EQ(L"***** Comparaison interrompue",
              [&] {
                  int last = static_cast<int>(SendMessageW(window->TxtCp(), LB_GETCOUNT, 0, 0)) - 1;
                  wchar_t text[256] = {};
                  SendMessageW(window->TxtCp(), LB_GETTEXT, last, reinterpret_cast<LPARAM>(text));
                  return std::wstring(text);
              }());
}

TEST_F(RunStartTest, ClosingTheMainWindowDuringARunWaitsForItsEnd) {
    static HWND main;
    UINT_PTR closer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        if (FindWindowW(L"BastideCopie", nullptr)) PostMessageW(main, WM_CLOSE, 0, 0);
    });
    OpenWithLine("SelectP=1\r\nProgToRun=C:\\outils\\rapport.bat\r\n");
    main = window->Handle();
    ui.pumpWhileShown = true;
    Click(window->Cmd(1));
    KillTimer(nullptr, closer);
    EXPECT_EQ("ccc", ReadBytes(dir / L"dst\\src\\sous\\c.txt"));
    // The end message was shown and the program after the backup launched first.
    EXPECT_EQ(0u, LastMessage().text.find(L"Sauvegarde terminée"));
    EXPECT_EQ(1u, ui.launches.size());
    PumpMessagesFor(100);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_NE(std::string::npos, IniText().find("WindowState=0"));
}

TEST_F(RunStartTest, AHundredThousandLineComparisonKeepsEveryLine) {
    OpenWithLine();
    Copie runWindow(*window, true);
    ASSERT_TRUE(runWindow.Load(window->Handle()));
    ShowWindow(runWindow.Handle(), SW_SHOWNOACTIVATE);
    ScopedRunView shown(runWindow);
    const int lines = 100000;
    DWORD start = GetTickCount();
    window->BeginComparisonList();
    for (int i = 0; i < lines; ++i) {
        std::wstring line = L"E:\\Sauv\\Docs\\dossier " + std::to_wstring(i / 100) + L"\\fichier " +
                            std::to_wstring(i) + L".txt n'existe pas";
        View().AddComparisonLine(line);
        View().AppendLog(line);
        View().ProcessEvents();
    }
    window->EndComparisonList();
    runWindow.FlushLog();
    DWORD elapsed = GetTickCount() - start;
    RecordProperty("milliseconds", static_cast<int>(elapsed));
    printf("100000 comparison lines shown in %lu ms\n", static_cast<unsigned long>(elapsed));
    EXPECT_EQ(lines, SendMessageW(window->TxtCp(), LB_GETCOUNT, 0, 0));
    int logLines = static_cast<int>(SendMessageW(runWindow.ECTxt(), EM_GETLINECOUNT, 0, 0));
    EXPECT_EQ(lines + 2, logLines);  // the first line of the run, and the empty line after the last
    EXPECT_EQ(static_cast<int>(runWindow.LogText().size()), GetWindowTextLengthW(runWindow.ECTxt()));
}

}  // namespace
