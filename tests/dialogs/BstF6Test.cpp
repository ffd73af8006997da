// The excluded directories of a line on a real window: what "Ajouter" accepts and refuses,
// the removals, and the keys "Ok" leaves in the settings file.
#include "dialogs/BstF6.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Settings.h"
#include "app/Utils.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestSupport.h"

namespace {

class BstF6Test : public testing::Test {
protected:
    BstF6Test() : savedIni_(IniPath), savedName_(CurrentConfigName) {
        IniPath = dir / L"Bastide.ini";
        CurrentConfigName = L"Test";
        MakeDirs(dir / L"Docs\\Photos\\2006");
        MakeDirs(dir / L"Docs\\photos");
        MakeDirs(dir / L"Autre");
    }
    ~BstF6Test() override {
        IniPath = savedIni_;
        CurrentConfigName = savedName_;
    }

    std::wstring Docs() const { return dir / L"Docs\\"; }
    bool Load(const std::wstring& source, int line = 1) { return dialog.Load(nullptr, source, line); }
    std::vector<std::wstring> Entries() const {
        std::vector<std::wstring> entries;
        int count = static_cast<int>(SendMessageW(dialog.Liste(), LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[MAX_PATH] = {};
            SendMessageW(dialog.Liste(), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        return entries;
    }
    int Selection() const { return static_cast<int>(SendMessageW(dialog.Liste(), LB_GETCURSEL, 0, 0)); }
    void Select(int i) {
        SendMessageW(dialog.Liste(), LB_SETCURSEL, i, 0);
        dialog.UpdateExclButtons();
    }
    std::wstring Key(const std::wstring& key) const { return ReadSetting(L"Test", key); }

    TempDir dir;
    ScopedUi ui;
    BstF6 dialog;

private:
    std::wstring savedIni_, savedName_;
};

TEST_F(BstF6Test, AddingKeepsOnlyNewFoldersInsideTheSource) {
    const std::wstring outside = L"Le répertoire à exclure doit se trouver dans le disque ou répertoire à sauvegarder !";
    const std::wstring twice = L"Ce répertoire est déjà dans la liste !";
    std::wstring docs = dir / L"Docs\\";
    std::wstring root = docs.substr(0, 3);
    struct Case {
        const char* what;
        std::wstring source;
        std::vector<std::wstring> chosen;
        std::vector<std::wstring> entries;
        std::vector<std::wstring> messages;
        int mode;
    } cases[] = {
        {"another letter case", docs, {ToLower(docs) + L"Photos\\2006"}, {L"Photos\\2006"}, {}, 2},
        {"the source itself", docs, {dir / L"Docs"}, {}, {outside}, 0},
        {"the root of a whole drive", root, {root}, {}, {}, 0},
        {"a folder beside the source", docs, {dir / L"Autre"}, {}, {outside}, 0},
        {"twice, then in another case", docs, {docs + L"Photos", docs + L"Photos", docs + L"photos"},
         {L"Photos", L"photos"}, {twice}, 2},
        {"cancelled", docs, {L""}, {}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.messages.clear();
        BstF6 form;
        ASSERT_TRUE(form.Load(nullptr, c.source, 1));
        for (const std::wstring& answer : c.chosen) {
            ui.browseAnswers = {answer};
            form.OnCmdClick(2);
        }
        EXPECT_EQ(c.source, ui.browseStartPaths.back());
        std::vector<std::wstring> entries;
        for (int i = 0, n = static_cast<int>(SendMessageW(form.Liste(), LB_GETCOUNT, 0, 0)); i < n; ++i) {
            wchar_t text[MAX_PATH] = {};
            SendMessageW(form.Liste(), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            entries.push_back(text);
        }
        EXPECT_EQ(c.entries, entries);
        std::vector<std::wstring> messages;
        for (const ShownMessage& m : ui.messages) {
            messages.push_back(m.text);
            EXPECT_EQ(L"Que faire des sous-répertoires ?", m.title);
            EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), m.Icon());
        }
        EXPECT_EQ(c.messages, messages);
        EXPECT_EQ(c.mode, form.SelectedMode());
        EXPECT_EQ(!c.entries.empty(), IsWindowEnabled(form.Cmd(4)) != FALSE);
        form.Close();
    }
    EXPECT_FALSE(PathExists(IniPath));  // nothing stored without "Ok"
}

TEST_F(BstF6Test, FolderWithoutSubfoldersIsRefusedBeforeAnyChoice) {
    ASSERT_TRUE(Load(dir / L"Autre\\"));
    dialog.OnCmdClick(2);
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(L"Pas de sous-répertoire dans le disque/répertoire à sauvegarder !", ui.messages[0].text);
    EXPECT_TRUE(ui.browseStartPaths.empty());
}

TEST_F(BstF6Test, RemovingMovesTheSelectionUpAndEmptyingAsksFirst) {
    WriteBytes(IniPath, "[Test]\r\nRepExclu1_Mode=2\r\nRepExclu1_Rep1=A\r\nRepExclu1_Rep2=B\r\nRepExclu1_Rep3=C\r\n");
    ASSERT_TRUE(Load(Docs()));
    EXPECT_EQ(2, dialog.SelectedMode());
    EXPECT_EQ((std::vector<std::wstring>{L"A", L"B", L"C"}), Entries());
    EXPECT_FALSE(IsWindowEnabled(dialog.Cmd(3)));  // nothing selected yet
    EXPECT_TRUE(IsWindowEnabled(dialog.Cmd(4)));

    Select(2);
    dialog.OnCmdClick(3);
    EXPECT_EQ((std::vector<std::wstring>{L"A", L"B"}), Entries());
    EXPECT_EQ(1, Selection());
    Select(0);
    dialog.OnCmdClick(3);
    EXPECT_EQ(std::vector<std::wstring>{L"B"}, Entries());
    EXPECT_EQ(0, Selection());

    ui.messageAnswers = {IDCANCEL};
    dialog.OnCmdClick(4);
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(L"Voulez-vous supprimer la liste des répertoires exclus ?", ui.messages[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION), ui.messages[0].flags);
    EXPECT_EQ(std::vector<std::wstring>{L"B"}, Entries());
    ui.messageAnswers = {IDOK};
    dialog.OnCmdClick(4);
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(2, dialog.SelectedMode());
    EXPECT_FALSE(IsWindowEnabled(dialog.Cmd(3)));
    EXPECT_FALSE(IsWindowEnabled(dialog.Cmd(4)));

    // Stored: the mode stays 2, without any directory.
    dialog.OnCmdClick(0);
    EXPECT_EQ(L"2", Key(L"RepExclu1_Mode"));
    EXPECT_EQ(L"", Key(L"RepExclu1_Rep1"));
}

TEST_F(BstF6Test, OkWritesTheListInOrderAndRemovesEveryOlderKeyOfTheLine) {
    WriteBytes(IniPath,
               "[Test]\r\nRepExclu1_Mode=2\r\nRepExclu1_Rep1=A\r\nRepExclu1_Rep2=B\r\nRepExclu1_Rep3=C\r\n"
               "RepExclu1_Rep4=D\r\nRepExclu1_Rep6=F\r\nRepExclu10_Rep4=Autre ligne\r\n");
    ASSERT_TRUE(Load(Docs()));
    Select(0);
    dialog.OnCmdClick(3);  // A goes
    ui.browseAnswers = {Docs() + L"Photos"};
    dialog.OnCmdClick(2);
    dialog.OnCmdClick(0);
    EXPECT_EQ(nullptr, dialog.Handle());
    EXPECT_EQ("[Test]\r\nRepExclu1_Mode=2\r\nRepExclu10_Rep4=Autre ligne\r\nRepExclu1_Rep1=B\r\n"
              "RepExclu1_Rep2=C\r\nRepExclu1_Rep3=D\r\nRepExclu1_Rep4=Photos\r\n",
              ReadBytes(IniPath));

    // "Annuler" stores nothing.
    std::string before = ReadBytes(IniPath);
    BstF6 again;
    ASSERT_TRUE(again.Load(nullptr, Docs(), 1));
    SendMessageW(again.OptExclu(1), BM_CLICK, 0, 0);
    again.OnCmdClick(1);
    EXPECT_EQ(before, ReadBytes(IniPath));
}

}  // namespace
