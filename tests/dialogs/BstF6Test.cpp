// The excluded directories of a line on a real window: what "Ajouter" accepts and refuses,
// the removals, and the keys "Ok" leaves in the settings file.
#include "dialogs/BstF6.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "app/Utils.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestSupport.h"

namespace {

using Texts = std::vector<std::wstring>;

Texts Entries(const BstF6& dialog) {
    Texts entries;
    for (int i = 0, n = static_cast<int>(SendMessageW(dialog.Liste(), LB_GETCOUNT, 0, 0)); i < n; ++i) {
        entries.push_back(ListItemText(dialog.Liste(), i));
    }
    return entries;
}

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
    void Select(int i) {
        SendMessageW(dialog.Liste(), LB_SETCURSEL, i, 0);
        dialog.UpdateExclButtons();
    }

    TempDir dir;
    std::wstring docs = dir / L"Docs\\";
    ScopedUi ui;
    BstF6 dialog;

private:
    std::wstring savedIni_, savedName_;
};

TEST_F(BstF6Test, AddingKeepsOnlyNewFoldersInsideTheSource) {
    const std::wstring outside = L"Le répertoire à exclure doit se trouver dans le disque ou répertoire à sauvegarder !";
    std::wstring root = docs.substr(0, 3);
    struct Case {
        const char* what;
        std::wstring source;
        Texts chosen, entries, messages;
        int mode;
    } cases[] = {
        {"another letter case", docs, {ToLower(docs) + L"Photos\\2006"}, {L"Photos\\2006"}, {}, 2},
        {"the source itself", docs, {dir / L"Docs"}, {}, {outside}, 0},
        {"the root of a whole drive", root, {root}, {}, {}, 0},
        {"a folder beside the source", docs, {dir / L"Autre"}, {}, {outside}, 0},
        {"twice, then in another case", docs, {docs + L"Photos", docs + L"Photos", docs + L"photos"},
         {L"Photos", L"photos"}, {L"Ce répertoire est déjà dans la liste !"}, 2},
        {"a source without subfolders", dir / L"Autre\\", {}, {},
         {L"Pas de sous-répertoire dans le disque/répertoire à sauvegarder !"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.messages.clear();
        ui.browseStartPaths.clear();
        BstF6 form;
        ASSERT_TRUE(form.Load(nullptr, c.source, 1));
        ui.browseAnswers.assign(c.chosen.begin(), c.chosen.end());
        for (size_t k = 0; k < std::max<size_t>(c.chosen.size(), 1); ++k) form.OnCmdClick(2);
        EXPECT_EQ(c.chosen.empty() ? Texts{} : Texts(c.chosen.size(), c.source), ui.browseStartPaths);
        EXPECT_EQ(c.entries, Entries(form));
        Texts messages;
        for (const ShownMessage& m : ui.messages) {
            messages.push_back(m.text);
            EXPECT_EQ(L"Que faire des sous-répertoires ?", m.title);
        }
        EXPECT_EQ(c.messages, messages);
        EXPECT_EQ(c.mode, form.SelectedMode());
        EXPECT_EQ(!c.entries.empty(), IsWindowEnabled(form.Cmd(4)) != FALSE);
        form.Close();
    }
    EXPECT_FALSE(PathExists(IniPath));  // nothing stored without "Ok"
}

TEST_F(BstF6Test, RemovingMovesTheSelectionUpAndEmptyingAsksFirst) {
    WriteBytes(IniPath, "[Test]\r\nRepExclu1_Mode=2\r\nRepExclu1_Rep1=A\r\nRepExclu1_Rep2=B\r\nRepExclu1_Rep3=C\r\n");
    ASSERT_TRUE(dialog.Load(nullptr, docs, 1));
    EXPECT_EQ((Texts{L"A", L"B", L"C"}), Entries(dialog));
    EXPECT_FALSE(IsWindowEnabled(dialog.Cmd(3)));  // nothing selected yet
    for (int p : {2, 0}) {
        Select(p);
        dialog.OnCmdClick(3);
        EXPECT_EQ(p > 0 ? p - 1 : 0, SendMessageW(dialog.Liste(), LB_GETCURSEL, 0, 0));
    }
    EXPECT_EQ(Texts{L"B"}, Entries(dialog));

    ui.messageAnswers = {IDCANCEL, IDOK};
    dialog.OnCmdClick(4);
    EXPECT_EQ(Texts{L"B"}, Entries(dialog));
    dialog.OnCmdClick(4);
    EXPECT_EQ(L"Voulez-vous supprimer la liste des répertoires exclus ?", ui.messages[1].text);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION), ui.messages[1].flags);
    EXPECT_TRUE(Entries(dialog).empty());
    EXPECT_FALSE(IsWindowEnabled(dialog.Cmd(4)));

    // Stored: the mode stays 2, without any directory.
    dialog.OnCmdClick(0);
    EXPECT_EQ("[Test]\r\nRepExclu1_Mode=2\r\n", ReadBytes(IniPath));
}

TEST_F(BstF6Test, OkWritesTheListInOrderAndRemovesEveryOlderKeyOfTheLine) {
    WriteBytes(IniPath,
               "[Test]\r\nRepExclu1_Mode=2\r\nRepExclu1_Rep1=A\r\nRepExclu1_Rep2=B\r\nRepExclu1_Rep3=C\r\n"
               "RepExclu1_Rep4=D\r\nRepExclu1_Rep6=F\r\nRepExclu10_Rep4=Autre ligne\r\n");
    ASSERT_TRUE(dialog.Load(nullptr, docs, 1));
    Select(0);
    dialog.OnCmdClick(3);  // A goes
    ui.browseAnswers = {docs + L"Photos"};
    dialog.OnCmdClick(2);
    // A folder whose name begins with a blank keeps it.
    ui.browseAnswers = {docs + L" Archives"};
    dialog.OnCmdClick(2);
    dialog.OnCmdClick(0);
    EXPECT_EQ(nullptr, dialog.Handle());
    // Rep6 lay past a gap: it would have come back as an entry once Rep5 was written.
    EXPECT_EQ("[Test]\r\nRepExclu1_Mode=2\r\nRepExclu10_Rep4=Autre ligne\r\nRepExclu1_Rep1=B\r\n"
              "RepExclu1_Rep2=C\r\nRepExclu1_Rep3=D\r\nRepExclu1_Rep4=Photos\r\nRepExclu1_Rep5=\" Archives\"\r\n",
              ReadBytes(IniPath));
    LoadExclusions(1);
    ASSERT_EQ(5, Exclusions.Count);
    EXPECT_EQ(L" Archives", Exclusions.List[5]);
}

}  // namespace
