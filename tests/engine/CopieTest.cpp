// The run window driving real runs on temporary trees.
#include "engine/Copie.h"

#include "app/Settings.h"
#include "common/TempName.h"
#include "engine/FileOps.h"
#include "engine/RunState.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/ScriptedUi.h"

#include <functional>

namespace {

// A run window whose events can play the user's part during a pass.
class WatchedCopie : public Copie {
public:
    using Copie::Copie;
    std::function<void(WatchedCopie&)> duringRun;
    void ProcessEvents() override {
        if (duringRun) duringRun(*this);
        Copie::ProcessEvents();
    }
};

class CopieTest : public RunTest {
protected:
    CopieTest() {
        AutoLaunch = false;
        MakeDirs(temp / L"src\\docs\\vides");
        MakeDirs(temp / L"dst");
        WriteBytes(temp / L"src\\docs\\a.txt", "alpha");
        WriteBytes(temp / L"src\\docs\\b.txt", "bravo!");
        WriteBytes(temp / L"src\\racine.txt", "r");
        SetLine(0, temp / L"src", temp / L"dst");
    }
    ~CopieTest() override { AutoLaunch = false; }


    ScopedUi ui;
};

TEST_F(CopieTest, RunWithoutErrorsCopiesTheTreeAndClosesByItself) {
    WatchedCopie window(host, true);
    ASSERT_TRUE(window.Load(nullptr));
    window.Run(nullptr);
    EXPECT_EQ(nullptr, window.Handle());
    EXPECT_EQ("alpha", ReadBytes(temp / L"dst\\src\\docs\\a.txt"));
    EXPECT_EQ("r", ReadBytes(temp / L"dst\\src\\racine.txt"));
    EXPECT_TRUE(Exists(temp / L"dst\\src\\docs\\vides"));
    EXPECT_EQ(0, CurrentRun.ErrorCount);
    EXPECT_TRUE(CurrentRun.WorkStarted);
    EXPECT_FALSE(CurrentRun.Aborted);
    EXPECT_EQ(std::vector<int>{0}, host.done);
    EXPECT_EQ(0u, window.LogText().find(L"Début de la Sauvegarde ...\r\n"));
    EXPECT_EQ(8u, RunDurationText.size());
    EXPECT_EQ(L"0", ReadSetting(L"Position", L"SuiviAnalyse"));
}

TEST_F(CopieTest, RunWithErrorsWaitsForFermerUnlessAutomatic) {
    FileOps::InjectFault(FileOps::Op::OpenRead, temp / L"src\\docs\\b.txt", ERROR_ACCESS_DENIED);
    Options.ContinueOnError = -1;
    {
        WatchedCopie window(host, true);
        std::wstring caption;
        bool sawFinished = false;
        ASSERT_TRUE(window.Load(nullptr));
        // Presses "Fermer" once the window waits for it.
        struct Closer { WatchedCopie* w; std::wstring* caption; bool* saw; } closer{&window, &caption, &sawFinished};
        static Closer* active;
        active = &closer;
        UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
            if (active->w->Handle() && active->w->Finished() && !*active->saw) {
                *active->saw = true;
                *active->caption = Form::GetText(active->w->Cmd());
                PostMessageW(active->w->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(active->w->Cmd()), BN_CLICKED),
                             reinterpret_cast<LPARAM>(active->w->Cmd()));
            }
        });
        window.Run(nullptr);
        KillTimer(nullptr, timer);
        EXPECT_TRUE(sawFinished);
        EXPECT_EQ(L"Fermer", caption);
        EXPECT_EQ(1, CurrentRun.ErrorCount);
        EXPECT_NE(std::wstring::npos, window.LogText().find(L"Erreur: 5 - Fichier: " + (temp / L"src\\docs\\b.txt")));
        EXPECT_NE(std::wstring::npos, window.LogText().find(L"Fin de la Sauvegarde ... 1 erreur(s).\r\n"));
        EXPECT_NE(std::wstring::npos, window.LogText().find(L"Durée de la Sauvegarde ... : "));
    }
    {
        AutoLaunch = true;
        CurrentRun = RunState{};
        WatchedCopie window(host, false);
        ASSERT_TRUE(window.Load(nullptr));
        window.Run(nullptr);  // returns by itself
        EXPECT_EQ(1, CurrentRun.ErrorCount);
        EXPECT_FALSE(window.Finished());
        EXPECT_TRUE(ui.messages.empty());
    }
}

TEST_F(CopieTest, TreeOnlyRunCreatesDirectoriesAndCopiesNothing) {
    Options.ArbreMode = -1;
    WatchedCopie window(host, true);
    ASSERT_TRUE(window.Load(nullptr));
    window.Run(nullptr);
    EXPECT_TRUE(Exists(temp / L"dst\\src\\docs\\vides"));
    EXPECT_FALSE(Exists(temp / L"dst\\src\\docs\\a.txt"));
    EXPECT_FALSE(Exists(temp / L"dst\\src\\racine.txt"));
    EXPECT_FALSE(CurrentRun.WorkStarted);
    EXPECT_GE(CurrentRun.DirsCreated, 3);
}

TEST_F(CopieTest, InterruptionDuringAnalysisCopiesNothing) {
    WatchedCopie window(host, true);
    ui.messageAnswers.push_back(IDYES);
    window.duringRun = [](WatchedCopie& w) {
        if (!CurrentRun.Aborted && Form::GetText(w.Lbl(1)) == L"Analyse de la copie...") w.OnCmdClick();
    };
    ASSERT_TRUE(window.Load(nullptr));
    window.Run(nullptr);
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(L"Voulez-vous interrompre la sauvegarde ?", ui.messages[0].text);
    EXPECT_EQ(L"Sauvegarde ...", ui.messages[0].title);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), ui.messages[0].flags);
    EXPECT_TRUE(CurrentRun.Aborted);
    EXPECT_FALSE(CurrentRun.WorkStarted);
    EXPECT_FALSE(Exists(temp / L"dst\\src\\docs\\a.txt"));
    EXPECT_TRUE(Exists(temp / L"dst\\src\\docs"));  // the tree pass had run
}

TEST_F(CopieTest, UnattendedRunReplacesWithoutAsking) {
    Config.Confirmation = 0;  // ask before replacing
    MakeDirs(temp / L"dst\\src\\docs");
    WriteFileAt(temp / L"dst\\src\\docs\\a.txt", "old", TimeAt(2001, 1, 1, 0, 0, 0));
    WatchedCopie window(host, false);
    ASSERT_TRUE(window.Load(nullptr));
    window.Run(nullptr);
    EXPECT_EQ("alpha", ReadBytes(temp / L"dst\\src\\docs\\a.txt"));
    EXPECT_EQ(0, CurrentRun.ErrorCount);
}

TEST_F(CopieTest, ComparisonListsDifferencesOrNothing) {
    RunMode = 2;
    {
        WatchedCopie window(host, true);
        ASSERT_TRUE(window.Load(nullptr));
        window.Run(nullptr);
        EXPECT_EQ(1, host.begun);
        EXPECT_EQ(1, host.ended);
        ASSERT_EQ(5u, host.comparison.size());
        EXPECT_EQ(L"***** Sauvegarde n°1", host.comparison[0]);
        EXPECT_EQ(L"***** Fin de la comparaison", host.comparison.back());
        EXPECT_EQ(3, CurrentRun.ErrorCount);
        EXPECT_EQ(0u, host.comparisonLabel.find(L"3 fichier(s) à copier soit "));
        EXPECT_NE(std::wstring::npos, host.comparisonLabel.find(L" (12 octets)"));
        EXPECT_FALSE(Exists(temp / L"dst\\src\\racine.txt"));
    }
    // Once copied, nothing is left to compare.
    RunMode = 0;
    CurrentRun = RunState{};
    {
        WatchedCopie window(host, true);
        ASSERT_TRUE(window.Load(nullptr));
        window.Run(nullptr);
    }
    RunMode = 2;
    CurrentRun = RunState{};
    {
        WatchedCopie window(host, true);
        ASSERT_TRUE(window.Load(nullptr));
        window.Run(nullptr);
        EXPECT_EQ(L"Aucun fichier à sauvegarder", host.comparisonLabel);
        EXPECT_EQ(0, CurrentRun.ErrorCount);
    }
}

TEST_F(CopieTest, ReplaceQuestionAnsweredInTheConfirmationDialog) {
    Config.Confirmation = 0;
    Config.Modifie = 0;  // every file is copied, existing copies announced for replacement
    MakeDirs(temp / L"dst\\src\\docs");
    WriteBytes(temp / L"dst\\src\\docs\\a.txt", "old a");
    WriteBytes(temp / L"dst\\src\\docs\\b.txt", "old b");
    WriteBytes(temp / L"dst\\src\\racine.txt", "old r");
    WatchedCopie window(host, true);
    std::vector<std::wstring> asked;
    // Answers the dialog when it is up: "&Tous" to the first question.
    static std::vector<std::wstring>* seen;
    seen = &asked;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND dialog = FindWindowW(L"BastideFrmConfirm", nullptr);
        if (!dialog || !IsWindowVisible(dialog)) return;
        seen->push_back(Form::GetText(dialog) + L"|" + Form::GetText(GetDlgItem(dialog, 91)));
        HWND all = GetDlgItem(dialog, 101);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(101, BN_CLICKED), reinterpret_cast<LPARAM>(all));
    });
    ASSERT_TRUE(window.Load(nullptr));
    window.Run(nullptr);
    KillTimer(nullptr, timer);
    ASSERT_EQ(1u, asked.size());
    EXPECT_EQ(L"Confirmation du remplacement du fichier|Ce dossier contient déjà un fichier appelé 'racine.txt'",
              asked[0]);
    EXPECT_EQ("alpha", ReadBytes(temp / L"dst\\src\\docs\\a.txt"));
    EXPECT_EQ("bravo!", ReadBytes(temp / L"dst\\src\\docs\\b.txt"));
    EXPECT_EQ("r", ReadBytes(temp / L"dst\\src\\racine.txt"));
}

TEST_F(CopieTest, EmptyFilesAreCopiedAndListed) {
    RemoveTree(temp / L"src");
    MakeDirs(temp / L"src");
    WriteBytes(temp / L"src\\vide.txt", "");
    {
        WatchedCopie window(host, true);
        ASSERT_TRUE(window.Load(nullptr));
        RunMode = 2;
        window.Run(nullptr);
        EXPECT_EQ(1, CurrentRun.ErrorCount);
        EXPECT_EQ(0u, host.comparisonLabel.find(L"1 fichier(s) à copier soit "));
    }
    RunMode = 0;
    CurrentRun = RunState{};
    WatchedCopie window(host, true);
    ASSERT_TRUE(window.Load(nullptr));
    window.Run(nullptr);
    EXPECT_TRUE(CurrentRun.WorkStarted);
    EXPECT_TRUE(Exists(temp / L"dst\\src\\vide.txt"));
}

TEST_F(CopieTest, ADestinationInsideTheSourceIsNotCopiedIntoItself) {
    SetLine(0, temp / L"src", temp / L"src\\Sauv");
    MakeDirs(temp / L"src\\Sauv");
    for (int run = 0; run < 2; ++run) {
        CurrentRun = RunState{};
        WatchedCopie window(host, true);
        ASSERT_TRUE(window.Load(nullptr));
        window.Run(nullptr);
    }
    EXPECT_EQ("alpha", ReadBytes(temp / L"src\\Sauv\\src\\docs\\a.txt"));
    EXPECT_FALSE(Exists(temp / L"src\\Sauv\\src\\Sauv"));
}

TEST_F(CopieTest, LeftoversOfACutCopyAreRemovedAndLookAlikeUserFilesBackedUp) {
    Options.SynchroCopie = -1;
    const std::wstring leftover = NewTemporaryName();
    const std::wstring lookAlike = L"~bst00001234.7.tmp";  // a user's file, not one of ours
    WriteBytes(temp / (L"src\\docs\\" + leftover), "moitié");
    WriteBytes(temp / (L"src\\docs\\" + lookAlike), "à moi");
    MakeDirs(temp / L"dst\\src\\docs");
    WriteBytes(temp / (L"dst\\src\\docs\\" + leftover), "moiti");
    WatchedCopie window(host, true);
    ASSERT_TRUE(window.Load(nullptr));
    window.Run(nullptr);
    EXPECT_EQ("alpha", ReadBytes(temp / L"dst\\src\\docs\\a.txt"));
    EXPECT_FALSE(Exists(temp / (L"dst\\src\\docs\\" + leftover)));
    EXPECT_EQ("à moi", ReadBytes(temp / (L"dst\\src\\docs\\" + lookAlike)));
    EXPECT_EQ(0, CurrentRun.ErrorCount);
}

}  // namespace

