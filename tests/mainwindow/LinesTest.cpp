// The lines of the main window: rows and heights, the display of paths in each mode, the
// selection boxes, and the saving of edited rows.
#include "tests/mainwindow/MainWindowFixture.h"

#include <shlobj.h>

#include "app/Utils.h"
#include "mainwindow/PathLabel.h"
#include "mainwindow/ToolTips.h"

namespace {

const char* const SixLines =
    "[Position]\r\nConfig=Bureau\r\n"
    "[Bureau]\r\n"
    "Source0=\"C:\\Data\\Docs\"\r\nDestination0=\"E:\\Copies\\\"\r\nSelect0=1\r\n"
    "Source1=\"C:\\\"\r\nDestination1=\"E:\\Copies\\\"\r\nSelect1=0\r\n";

// A drive letter that names no drive of the system.
std::wstring MissingDriveRoot() {
    DWORD drives = GetLogicalDrives();
    for (int letter = 25; letter >= 3; --letter) {
        if (!(drives & (1u << letter))) return std::wstring(1, static_cast<wchar_t>(L'A' + letter)) + L":\\";
    }
    return L"";
}

}  // namespace

TEST_F(MainWindowTest, RowsAndTheWindowGrowWithTheNumberOfLines) {
    Open(SixLines);
    ASSERT_EQ(6, window->RowCount());
    // Cadre(0) is (MaxLineIndex + 1) * 480 + 360 high; the rest of the window follows it.
    EXPECT_EQ(Form::TwipsToPixels(3240), HeightPx(window->Cadre(0)));
    EXPECT_EQ(Form::TwipsToPixels(3240), HeightPx(window->Cadre(3)));
    EXPECT_EQ(Form::TwipsToPixels(3240 + 560), HeightPx(window->Onglet()));
    RECT tabs = TwipsRect(window->Onglet());
    RECT program = TwipsRect(window->Cadre(1));
    RECT bottom = TwipsRect(window->Cadre(2));
    EXPECT_NEAR(tabs.bottom + 120, program.top, 15);
    EXPECT_NEAR(program.bottom, bottom.top, 15);
    EXPECT_EQ(L"6.", Text(window->Lbl(5)));
    int heightBefore = HeightPx(window->Handle());

    window->RebuildLines(9);
    ASSERT_EQ(10, window->RowCount());
    EXPECT_EQ(9, MaxLineIndex);
    EXPECT_EQ(L"10", ReadSetting(L"Position", L"RepertMax"));
    EXPECT_EQ(10u, Config.Sources.size());
    EXPECT_EQ(L"", Config.Sources[0]);  // emptied until the configuration is loaded again
    EXPECT_EQ(Form::TwipsToPixels(5160), HeightPx(window->Cadre(0)));
    EXPECT_EQ(Form::TwipsToPixels(1920), HeightPx(window->Handle()) - heightBefore);
    EXPECT_EQ(L"10.", Text(window->Lbl(9)));
    // Row 9 lies 9 rows below row 0, its buttons 120 twips above its labels.
    RECT row0 = TwipsRect(window->LblS(0));
    RECT row9 = TwipsRect(window->LblS(9));
    EXPECT_NEAR(9 * 480, row9.top - row0.top, 15);
    EXPECT_NEAR(120, row9.top - TwipsRect(window->CmdS(9)).top, 15);
    EXPECT_FALSE(IsWindowVisible(window->ImgOk(9)));
    EXPECT_TRUE(IsWindowVisible(window->ChkS(9)));

    HWND oldRow = window->LblS(7);
    window->RebuildLines(2);
    EXPECT_EQ(3, window->RowCount());
    EXPECT_FALSE(IsWindow(oldRow));
    EXPECT_EQ(L"3", ReadSetting(L"Position", L"RepertMax"));
    EXPECT_EQ(Form::TwipsToPixels(3 * 480 + 360), HeightPx(window->Cadre(0)));
}

TEST_F(MainWindowTest, TooManyLinesAreCutToTwelve) {
    Open(SixLines);
    window->RebuildLines(40);
    EXPECT_EQ(12, window->RowCount());
    EXPECT_EQ(L"12", ReadSetting(L"Position", L"RepertMax"));
}

TEST_F(MainWindowTest, PathLabelsKeepTheFullPathInTheirToolTip) {
    Open(SixLines);
    HWND label = window->LblS(0);
    EXPECT_EQ(L"C:\\Data\\Docs", Text(label));
    EXPECT_EQ(L"", GetToolTipText(label));

    std::wstring longPath = L"C:\\Documents partagés\\" + std::wstring(60, L'x') + L"\\Projets & rapports\\2026";
    SetPathLabel(window->Handle(), label, longPath);
    EXPECT_NE(longPath, Text(label));
    EXPECT_NE(std::wstring::npos, Text(label).find(L"..."));
    EXPECT_EQ(longPath, GetToolTipText(label));
    EXPECT_EQ(longPath, GetPathLabel(label));
    EXPECT_EQ(longPath, window->SourcePath(0));

    // A drive root shows its volume and keeps the root as the path.
    EXPECT_EQ(VolumeText(L"C:\\", true), Text(window->LblS(1)));
    EXPECT_EQ(L"C:\\", GetPathLabel(window->LblS(1)));

    std::wstring missing = MissingDriveRoot();
    ASSERT_FALSE(missing.empty());
    SetPathLabel(window->Handle(), label, missing);
    EXPECT_EQ(L"Pas de disque  (" + missing.substr(0, 2) + L")", Text(label));
    EXPECT_EQ(missing, GetPathLabel(label));

    SetPathLabel(window->Handle(), label, L"");
    EXPECT_EQ(L"", Text(label));
    EXPECT_EQ(L"", GetPathLabel(label));
}

TEST_F(MainWindowTest, RestoreAndReversedComparisonShowEveryLineReversed) {
    Open(SixLines);
    ClickTab(1);
    ASSERT_EQ(1, RunMode);
    EXPECT_EQ(L"E:\\Copies\\Docs", window->SourcePath(0));
    EXPECT_EQ(L"C:\\Data\\", window->DestinationPath(0));
    // A drive root: the copy lies in the destination itself, and goes back to the drive.
    EXPECT_EQ(L"E:\\Copies\\", window->SourcePath(1));
    EXPECT_EQ(L"C:\\", window->DestinationPath(1));
    EXPECT_EQ(VolumeText(L"C:\\", true), Text(window->LblD(1)));
    EXPECT_EQ(L"", window->SourcePath(2));

    ClickTab(2);
    EXPECT_EQ(2, RunMode);
    EXPECT_FALSE(IsWindowVisible(window->Cadre(0)));
    EXPECT_TRUE(IsWindowVisible(window->Cadre(3)));
    EXPECT_EQ(L"C:\\Data\\Docs", window->SourcePath(0));
    EXPECT_EQ(L"Comparaison Source -> Destination", Text(window->Cmd(4)));

    SendMessageW(window->TxtCp(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"C:\\Data\\Docs\\a.txt"));
    SetWindowTextW(window->LblComp(), L"1 fichier");
    Click(window->Cmd(4));
    EXPECT_TRUE(CompareReverse);
    EXPECT_EQ(L"Comparaison Destination -> Source", Text(window->Cmd(4)));
    EXPECT_EQ(L"E:\\Copies\\Docs", window->SourcePath(0));
    EXPECT_EQ(0, SendMessageW(window->TxtCp(), LB_GETCOUNT, 0, 0));
    EXPECT_EQ(L"Aucune comparaison effectuée.", Text(window->LblComp()));

    Click(window->Cmd(4));
    EXPECT_FALSE(CompareReverse);
    EXPECT_EQ(L"C:\\Data\\Docs", window->SourcePath(0));
}

TEST_F(MainWindowTest, DisplayUnticksAndStoresLinesWithAMissingSide) {
    Open(std::string(SixLines) + "Source3=\"C:\\Seul\"\r\nSelect3=1\r\n");
    EXPECT_FALSE(Checked(window->ChkS(3)));
    EXPECT_FALSE(IsWindowEnabled(window->ChkS(3)));
    EXPECT_EQ(L"0", Setting(L"Select3"));
    EXPECT_EQ(0, Config.Selected[3]);

    EXPECT_TRUE(Checked(window->ChkS(0)));
    EXPECT_TRUE(IsWindowEnabled(window->ChkS(0)));
    EXPECT_EQ(BstF1::FlecheImg(1), StaticPicture(window->Img(0)));
    EXPECT_EQ(BstF1::FlecheImg(0), StaticPicture(window->Img(1)));
    // The display itself writes nothing else.
    EXPECT_FALSE(HasKey(L"Confirmation"));
    EXPECT_FALSE(HasKey(L"SelectP"));
}

TEST_F(MainWindowTest, TickingALineNeedsTheUnlockedViewAndIsStoredAtOnce) {
    Open(SixLines);
    Click(window->ChkS(1));  // locked: the frame of the lines is disabled
    EXPECT_FALSE(Checked(window->ChkS(1)));
    EXPECT_EQ(L"0", Setting(L"Select1"));

    Unlock();
    Click(window->ChkS(1));
    EXPECT_TRUE(Checked(window->ChkS(1)));
    EXPECT_EQ(L"1", Setting(L"Select1"));
    EXPECT_EQ(1, Config.Selected[1]);
    EXPECT_EQ(BstF1::FlecheImg(1), StaticPicture(window->Img(1)));
    Click(window->ChkS(1));
    EXPECT_EQ(L"0", Setting(L"Select1"));
    EXPECT_EQ(BstF1::FlecheImg(0), StaticPicture(window->Img(1)));

    // An empty line cannot be ticked.
    Click(window->ChkS(4));
    EXPECT_FALSE(Checked(window->ChkS(4)));
    EXPECT_FALSE(HasKey(L"Select4"));
}

TEST_F(MainWindowTest, ClearingASourceUnticksTheLineAndDeletesTheKey) {
    Open(SixLines);
    SetPathLabel(window->Handle(), window->LblS(0), L"");
    window->SaveSource(0);
    EXPECT_FALSE(HasKey(L"Source0"));
    EXPECT_EQ(L"", Config.Sources[0]);
    EXPECT_EQ(L"0", Setting(L"Select0"));
    EXPECT_FALSE(Checked(window->ChkS(0)));
    EXPECT_FALSE(IsWindowEnabled(window->ChkS(0)));
    EXPECT_EQ(L"E:\\Copies\\", Setting(L"Destination0"));
}

TEST_F(MainWindowTest, BrowseButtonsAskForFoldersAndStoreTheChoiceQuoted) {
    Open(SixLines);
    Unlock();
    ui.browseAnswers.push_back(L"D:\\Photos 2026");
    Click(window->CmdS(2));
    ASSERT_EQ(1u, ui.browseTitles.size());
    EXPECT_EQ(L"Sélectionnez le répertoire source:", ui.browseTitles[0]);
    EXPECT_EQ(0u, ui.browseFlags[0] & BIF_BROWSEINCLUDEFILES);
    EXPECT_EQ(L"D:\\Photos 2026", window->SourcePath(2));
    EXPECT_EQ(L"D:\\Photos 2026", Config.Sources[2]);
    EXPECT_NE(std::string::npos, IniText().find("Source2=\"D:\\Photos 2026\"\r\n"));

    // The right button also offers files, and opens on the current path.
    ui.browseAnswers.push_back(L"D:\\Photos 2026\\liste.txt");
    SendMessageW(window->CmdS(2), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
    SendMessageW(window->CmdS(2), WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
    ASSERT_EQ(2u, ui.browseTitles.size());
    EXPECT_EQ(L"Sélectionnez le répertoire (ou le fichier) source:", ui.browseTitles[1]);
    EXPECT_NE(0u, ui.browseFlags[1] & BIF_BROWSEINCLUDEFILES);
    EXPECT_EQ(L"D:\\Photos 2026", ui.browseStartPaths[1]);
    EXPECT_EQ(L"D:\\Photos 2026\\liste.txt", Setting(L"Source2"));

    ui.browseAnswers.push_back(L"F:\\Sauve");
    Click(window->CmdD(2));
    EXPECT_EQ(L"Sélectionnez le répertoire destination:", ui.browseTitles[2]);
    EXPECT_EQ(0u, ui.browseFlags[2] & BIF_BROWSEINCLUDEFILES);
    EXPECT_EQ(L"F:\\Sauve", Setting(L"Destination2"));
    EXPECT_TRUE(IsWindowEnabled(window->ChkS(2)));

    // A cancelled browse changes nothing.
    Click(window->CmdD(2));
    EXPECT_EQ(L"F:\\Sauve", Setting(L"Destination2"));
    EXPECT_EQ(L"F:\\Sauve", window->DestinationPath(2));
}

TEST_F(MainWindowTest, RestoreModeSavesTheInverseOfTheDisplay) {
    Open(SixLines);
    ClickTab(1);
    Unlock();
    // The row shows E:\Copies\Docs -> C:\Data\; a new place to restore to.
    ui.browseAnswers.push_back(L"D:\\Retour\\");
    Click(window->CmdD(0));
    EXPECT_EQ(L"D:\\Retour\\Docs", Setting(L"Source0"));
    EXPECT_EQ(L"E:\\Copies\\", Setting(L"Destination0"));
    EXPECT_NE(std::string::npos, IniText().find("Source0=\"D:\\Retour\\Docs\"\r\n"));

    // Another place for the copy: the source keeps its name under the shown destination.
    ui.browseAnswers.push_back(L"F:\\Archives\\Docs");
    Click(window->CmdS(0));
    EXPECT_EQ(L"D:\\Retour\\Docs", Setting(L"Source0"));
    EXPECT_EQ(L"F:\\Archives\\", Setting(L"Destination0"));
    EXPECT_EQ(L"F:\\Archives\\", Config.Destinations[0]);

    // The line C:\ -> E:\Copies\ shows E:\Copies\ -> C:\: restoring to D:\ keeps the
    // copy's place instead of reading E:\Copies\ as a folder "Copies" of E:\.
    ui.browseAnswers.push_back(L"D:\\");
    Click(window->CmdD(1));
    EXPECT_EQ(L"D:\\", Setting(L"Source1"));
    EXPECT_EQ(L"E:\\Copies\\", Setting(L"Destination1"));
    // Moving the copy of a whole drive keeps it a drive line.
    ui.browseAnswers.push_back(L"F:\\Copies\\");
    Click(window->CmdS(1));
    EXPECT_EQ(L"D:\\", Setting(L"Source1"));
    EXPECT_EQ(L"F:\\Copies\\", Setting(L"Destination1"));

    ClickTab(0);
    EXPECT_EQ(L"D:\\Retour\\Docs", window->SourcePath(0));
    EXPECT_EQ(L"F:\\Archives\\", window->DestinationPath(0));
}

TEST_F(MainWindowTest, ResetLineAsksWithTheLineNumberThenEmptiesTheLine) {
    Open(std::string(SixLines) +
         "Source3=\"C:\\Trois\"\r\nDestination3=\"E:\\\"\r\nSelect3=1\r\n"
         "RepExclu3_Mode=2\r\nRepExclu3_Rep1=Temp\r\nRepExclu3_Rep2=Cache\r\n");
    ASSERT_TRUE(Checked(window->ChkS(3)));
    ui.messageAnswers.push_back(IDCANCEL);
    window->ResetLine(3);
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(L"Remise à zéro de la sauvegarde 4 ?", ui.messages[0].text);
    EXPECT_EQ(L"Bastide Version 1.00", ui.messages[0].title);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL), ui.messages[0].Buttons());
    EXPECT_EQ(static_cast<UINT>(MB_ICONQUESTION), ui.messages[0].Icon());
    EXPECT_EQ(L"C:\\Trois", Setting(L"Source3"));

    window->ResetLine(3);
    EXPECT_FALSE(HasKey(L"Source3"));
    EXPECT_FALSE(HasKey(L"Destination3"));
    EXPECT_EQ(L"0", Setting(L"Select3"));
    EXPECT_EQ(L"0", Setting(L"RepExclu3_Mode"));
    EXPECT_FALSE(HasKey(L"RepExclu3_Rep1"));
    EXPECT_FALSE(HasKey(L"RepExclu3_Rep2"));
    EXPECT_EQ(L"", Text(window->LblS(3)));
    EXPECT_FALSE(IsWindowEnabled(window->ChkS(3)));
    // The other lines stay where they are.
    EXPECT_EQ(L"C:\\Data\\Docs", Setting(L"Source0"));

    window->ResetLine(0);
    EXPECT_EQ(L"Remise à zéro de la sauvegarde 1 ?", ui.messages[2].text);
}

TEST_F(MainWindowTest, ConfigurationNameShowsItsDescription) {
    Open(std::string(SixLines) + "Description=\"Poste du bureau\"\r\n");
    EXPECT_EQ(L"Bureau (Poste du bureau)", Text(window->ConfigLbl(1)));
    EXPECT_EQ(L"Configuration :", Text(window->ConfigLbl(0)));
    Config.Description.clear();
    window->ShowConfigName();
    EXPECT_EQ(L"Bureau", Text(window->ConfigLbl(1)));
}

TEST_F(MainWindowTest, LastResultPanelShowsTheRunsOfTheModeShown) {
    Open(std::string(SixLines) +
         "LastSave=07/12/2026 21:00:05\r\nLastDureeSave=00:01:12\r\n"
         "LastSaveErr=07/12/2026 20:00:05\r\nLastSaveNbErr=3\r\n"
         "LastComp=06/12/2026 10:00:00\r\nLastCompErr=07/12/2026 10:30:00\r\nLastCompNbErr=12\r\n");
    std::wstring clean = Text(window->LastSaveLbl(0));
    EXPECT_EQ(0u, clean.find(L"Dernière sauvegarde sans erreur le "));
    EXPECT_NE(std::wstring::npos, clean.find(L"2026 à 21:00"));
    EXPECT_TRUE(IsWindowVisible(window->OkImg()));
    // A clean run after the failed one hides the failure.
    EXPECT_EQ(L"", Text(window->LastSaveLbl(1)));
    EXPECT_EQ(L"", Text(window->LastSaveLbl(2)));
    EXPECT_FALSE(IsWindowVisible(window->Cmd(9)));
    EXPECT_FALSE(IsWindowVisible(window->ErrImg()));

    ClickTab(2);
    EXPECT_EQ(L"12 copie(s)", Text(window->LastSaveLbl(2)));
    EXPECT_EQ(0u, Text(window->LastSaveLbl(1)).find(L"Dernière comparaison avec copie le "));
    EXPECT_TRUE(IsWindowVisible(window->Cmd(9)));
    EXPECT_EQ(L"Voir les copies", Text(window->Cmd(9)));

    ClickTab(1);  // never run
    EXPECT_EQ(L"", Text(window->LastSaveLbl(0)));
    EXPECT_EQ(L"", Text(window->LastSaveLbl(1)));
    EXPECT_EQ(L"", Text(window->LastSaveLbl(2)));
    EXPECT_FALSE(IsWindowVisible(window->OkImg()));
    EXPECT_FALSE(IsWindowVisible(window->Cmd(9)));
}
