// The configurations and options dialog on a real window: the lists it offers, adding and
// deleting configurations, and what "Ok" stores and hands back.
#include "dialogs/BstF3.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Settings.h"
#include "app/Utils.h"
#include "engine/ErrorLog.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestSupport.h"

namespace {

const wchar_t* const Caption = L"Liste des configurations de sauvegarde";

class BstF3Test : public testing::Test {
protected:
    BstF3Test()
        : savedIni_(IniPath), savedName_(CurrentConfigName), savedOptions_(Options), savedMax_(MaxLineIndex),
          savedSounds_{SoundNames[0], SoundNames[1]} {}
    ~BstF3Test() override {
        IniPath = savedIni_;
        CurrentConfigName = savedName_;
        Options = savedOptions_;
        MaxLineIndex = savedMax_;
        SizeLineArrays();
        SoundNames[0] = savedSounds_[0];
        SoundNames[1] = savedSounds_[1];
    }

    // Writes Bastide.ini, loads it as the program does and opens the dialog (hidden).
    void Open(const std::string& ini) {
        WriteBytes(dir / L"Bastide.ini", ini);
        CurrentConfigName.clear();
        Options = GeneralOptions{};
        LoadGeneralSettings(dir.Path(), L"");
        ASSERT_TRUE(dialog.Load(nullptr, dir.Path()));
    }
    // The entries of the list box (LB_ messages) or combo box (CB_ messages).
    static std::vector<std::wstring> Entries(HWND control, UINT countMessage, UINT textMessage) {
        std::vector<std::wstring> entries;
        for (int i = 0, n = static_cast<int>(SendMessageW(control, countMessage, 0, 0)); i < n; ++i) {
            wchar_t text[256] = {};
            SendMessageW(control, textMessage, i, reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }
    std::vector<std::wstring> Items() const { return Entries(dialog.Liste(), LB_GETCOUNT, LB_GETTEXT); }
    static std::vector<std::wstring> ComboItems(HWND combo) { return Entries(combo, CB_GETCOUNT, CB_GETLBTEXT); }
    void SelectItem(int i) { SendMessageW(dialog.Liste(), LB_SETCURSEL, i, 0); }
    static void SetBox(HWND box, bool on) { SendMessageW(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
    static bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::string IniText() const { return ReadBytes(dir / L"Bastide.ini"); }
    std::wstring Log(const std::wstring& config, int mode) const { return ErrorLogPathIn(dir.Path(), config, mode); }

    TempDir dir;
    ScopedUi ui;
    BstF3 dialog;

private:
    std::wstring savedIni_, savedName_;
    GeneralOptions savedOptions_;
    short savedMax_;
    std::wstring savedSounds_[2];
};

TEST_F(BstF3Test, LineCountGoesFromTheLastLineInUseToTwelveAndIsHandedBack) {
    Open("[Position]\r\nConfig=Test\r\n[Test]\r\nSource0=\"C:\\Data\"\r\nDestination3=\"E:\\Copies\"\r\n"
         "[Autre]\r\nModifie=1\r\n");
    EXPECT_EQ((std::vector<std::wstring>{L"4", L"5", L"6", L"7", L"8", L"9", L"10", L"11", L"12"}),
              ComboItems(dialog.RepMaxCb()));
    EXPECT_EQ(L"6", Form::GetText(dialog.RepMaxCb()));
    SendMessageW(dialog.RepMaxCb(), CB_SETCURSEL, 0, 0);
    // A double click on a configuration is an "Ok" that chooses it.
    SelectItem(1);
    SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(dialog.Liste()), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(dialog.Liste()));
    EXPECT_EQ(nullptr, dialog.Handle());
    EXPECT_EQ(3, dialog.Choice().PendingMaxLineIndex);
    EXPECT_EQ(L"Autre", dialog.Choice().ChosenConfigName);
}

TEST_F(BstF3Test, NameThatBeginsAnExistingItemIsRefused) {
    struct Case { const char* ini; const wchar_t* item; const wchar_t* name; } cases[] = {
        {"[Documents]\r\nSource0=\"C:\\Docs\"\r\n", L"Documents", L"Documents"},
        {"[Documents]\r\nDescription=\"Mes papiers\"\r\n", L"Documents (Mes papiers)", L"Documents"},
        // The file matches sections without regard to case.
        {"[DOCUMENTS]\r\nSource0=\"C:\\Docs\"\r\n", L"DOCUMENTS", L"DOCUMENTS"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ini);
        ui.messages.clear();
        BstF3 form;
        WriteBytes(dir / L"Bastide.ini", std::string("[Position]\r\nConfig=Test\r\n[Test]\r\nModifie=1\r\n") + c.ini);
        LoadGeneralSettings(dir.Path(), L"");
        ASSERT_TRUE(form.Load(nullptr, dir.Path()));
        std::string before = ReadBytes(dir / L"Bastide.ini");
        form.askNewName = [](HWND) { return std::wstring(L"Doc"); };
        form.OnCmdClick(2);
        ASSERT_EQ(1u, ui.messages.size());
        EXPECT_EQ(L"Cette configuration existe déjà !", ui.messages[0].text);
        EXPECT_EQ(Caption, ui.messages[0].title);
        EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), ui.messages[0].Icon());
        EXPECT_EQ(2, SendMessageW(form.Liste(), LB_GETCOUNT, 0, 0));

        // A new name is listed and selected, and nothing is written for it.
        form.askNewName = [](HWND) { return std::wstring(L"Maison"); };
        form.OnCmdClick(2);
        EXPECT_EQ(3, SendMessageW(form.Liste(), LB_GETCOUNT, 0, 0));
        EXPECT_EQ(L"Maison", form.SelectedConfigName());
        SendMessageW(form.Liste(), LB_SETCURSEL, 1, 0);
        EXPECT_EQ(c.name, form.SelectedConfigName());
        wchar_t text[64] = {};
        SendMessageW(form.Liste(), LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(std::wstring(c.item), text);
        EXPECT_EQ(before, ReadBytes(dir / L"Bastide.ini"));
        form.Close();
    }
}

TEST_F(BstF3Test, DeletingRemovesTheSectionAndItsLogsOnlyAndNeverTheCurrentOne) {
    const std::string head = "[Position]\r\nConfig=Test\r\nRecentSeul=-1\r\n[Test]\r\nSource0=\"C:\\Data\"\r\n";
    const std::string tail = "[Documents]\r\nDescription=\"Mes papiers\"\r\n";
    Open(head + "[Autre]\r\nSource0=\"D:\\Photos\"\r\nLastSaveNbErr=2\r\n" + tail);
    for (int mode = 0; mode < 3; ++mode) {
        ASSERT_TRUE(WriteErrorLog(Log(L"Autre", mode), L"journal\r\n"));
        ASSERT_TRUE(WriteErrorLog(Log(L"Test", mode), L"journal\r\n"));
    }
    // Refused: the configuration in use, and a cancelled question.
    SelectItem(0);
    ui.messageAnswers = {IDOK};
    dialog.OnCmdClick(3);
    SelectItem(1);
    ui.messageAnswers = {IDCANCEL};
    dialog.OnCmdClick(3);
    ASSERT_EQ(3u, ui.messages.size());
    EXPECT_EQ(L"Voulez-vous effacer cette configuration ?", ui.messages[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION), ui.messages[0].flags);
    EXPECT_EQ(Caption, ui.messages[0].title);
    EXPECT_EQ(L"Impossible d'effacer la configuration en cours !", ui.messages[1].text);
    EXPECT_EQ(Caption, ui.messages[1].title);
    EXPECT_EQ(3u, Items().size());

    ui.messageAnswers = {IDOK};
    dialog.OnCmdClick(3);
    EXPECT_EQ(head + tail, IniText());
    for (int mode = 0; mode < 3; ++mode) {
        EXPECT_FALSE(PathExists(Log(L"Autre", mode)));
        EXPECT_TRUE(PathExists(Log(L"Test", mode)));
    }
    EXPECT_EQ((std::vector<std::wstring>{L"Test", L"Documents (Mes papiers)"}), Items());
    EXPECT_EQ(L"Test", dialog.SelectedConfigName());
}

// Section names match without regard to case: "MAISON" in the file is the configuration in
// use when the program was started on "Maison", and so is a second spelling of it.
TEST_F(BstF3Test, ConfigurationInUseSpelledInAnotherCaseIsNotDeleted) {
    Open("[Position]\r\nConfig=Maison\r\n[MAISON]\r\nSource0=\"C:\\Data\"\r\n[Autre]\r\nModifie=1\r\n"
         "[maison]\r\nModifie=1\r\n");
    ASSERT_EQ(L"Maison", CurrentConfigName);
    std::string before = IniText();
    for (int item : {0, 2}) {
        SCOPED_TRACE(item);
        ui.messages.clear();
        SelectItem(item);
        ui.messageAnswers = {IDOK};
        dialog.OnCmdClick(3);
        ASSERT_EQ(2u, ui.messages.size());
        EXPECT_EQ(L"Impossible d'effacer la configuration en cours !", ui.messages[1].text);
        EXPECT_EQ(before, IniText());
        EXPECT_EQ(3u, Items().size());
    }
}

// Two names that differ only by a character a file name cannot hold share their logs.
TEST_F(BstF3Test, DeletingKeepsTheLogsAnotherConfigurationShares) {
    Open("[Position]\r\nConfig=Test\r\n[Test]\r\nModifie=1\r\n[Docs:bureau]\r\nModifie=1\r\n"
         "[Docs?bureau]\r\nModifie=1\r\n");
    ASSERT_TRUE(WriteErrorLog(Log(L"Docs:bureau", 0), L"journal\r\n"));
    SelectItem(1);
    ui.messageAnswers = {IDOK};
    dialog.OnCmdClick(3);
    EXPECT_EQ((std::vector<std::wstring>{L"Test", L"Docs?bureau"}), Items());
    EXPECT_TRUE(PathExists(Log(L"Docs?bureau", 0)));
}

// A section that cannot be removed keeps its logs and its item: nothing is half deleted.
TEST_F(BstF3Test, DeletionThatCannotBeWrittenKeepsEverything) {
    Open("[Position]\r\nConfig=Test\r\n[Test]\r\nModifie=1\r\n[Autre]\r\nModifie=1\r\n");
    ASSERT_TRUE(WriteErrorLog(Log(L"Autre", 0), L"journal\r\n"));
    std::string before = IniText();
    HANDLE held = CreateFileW((dir / L"Bastide.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    SelectItem(1);
    ui.messageAnswers = {IDOK};
    dialog.OnCmdClick(3);
    CloseHandle(held);
    ASSERT_EQ(2u, ui.messages.size());
    EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), ui.messages[1].Icon());
    EXPECT_EQ(before, IniText());
    EXPECT_TRUE(PathExists(Log(L"Autre", 0)));
    EXPECT_EQ(L"Autre", dialog.SelectedConfigName());
}

TEST_F(BstF3Test, WithoutASoundDeviceTheSoundControlsAreDisabled) {
    for (unsigned devices : {0u, 1u}) {
        SCOPED_TRACE(devices);
        ui.waveDevices = devices;
        WriteBytes(dir / L"Bastide.ini", "[Test]\r\nModifie=1\r\n");
        LoadGeneralSettings(dir.Path(), L"");
        BstF3 form;
        ASSERT_TRUE(form.Load(nullptr, dir.Path()));
        for (HWND control : {form.Opt(3), form.FichSonCb(0), form.FichSonCb(1), form.Lbl(1), form.Lbl(2), form.Cmd(4),
                             form.Cmd(5)}) {
            EXPECT_EQ(devices > 0, IsWindowEnabled(control) != FALSE);
        }
        EXPECT_TRUE(IsWindowEnabled(form.Opt(2)));
        form.Close();
    }
}

TEST_F(BstF3Test, OkStoresChangedOptionsOnlyAndTheSounds) {
    for (const wchar_t* name : {L"Ok.wav", L"OkBis.wav", L"Erreur.wav", L"Erreur2.wav", L"Autre.wav"}) {
        WriteBytes(dir / name, "RIFF");
    }
    Open("[Position]\r\nRecentSeul=\" -1\"\r\nArbreMode=-1\r\nSignalOk=okbis\r\nSignalErreur=Absent\r\n"
         "[General]\r\nModifie=1\r\n");
    EXPECT_TRUE(Checked(dialog.Opt(0)));
    EXPECT_TRUE(Checked(dialog.Opt(2)));
    EXPECT_FALSE(Checked(dialog.Opt(8)));
    EXPECT_EQ((std::vector<std::wstring>{L"Ok", L"OkBis"}), ComboItems(dialog.FichSonCb(0)));
    EXPECT_EQ(L"OkBis", Form::GetText(dialog.FichSonCb(0)));
    EXPECT_EQ(L"Erreur", Form::GetText(dialog.FichSonCb(1)));  // no match: the first

    SetBox(dialog.Opt(2), false);
    SetBox(dialog.Opt(8), true);
    dialog.OnCmdClick(0);
    EXPECT_EQ(0, Options.ArbreMode);
    EXPECT_EQ(-1, Options.SynchroCopie);
    EXPECT_EQ(-1, Options.RecentSeul);
    EXPECT_EQ("[Position]\r\nRecentSeul=\" -1\"\r\nArbreMode=0\r\nSignalOk=OkBis\r\nSignalErreur=Erreur\r\n"
              "SynchroCopie=-1\r\n[General]\r\nModifie=1\r\n",
              IniText());
    EXPECT_EQ(L"OkBis", SoundNames[0]);
    EXPECT_EQ(L"Erreur", SoundNames[1]);
}

}  // namespace
