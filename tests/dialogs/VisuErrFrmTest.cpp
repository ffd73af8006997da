// The error viewer on a real window: its texts for a configuration and mode, and closing.
#include "dialogs/VisuErrFrm.h"

#include <gtest/gtest.h>

#include <string>

#include "app/Settings.h"
#include "engine/ErrorLog.h"
#include "tests/support/TestSupport.h"

namespace {

class VisuErrFrmTest : public testing::Test {
protected:
    VisuErrFrmTest() : savedIni_(IniPath) { IniPath = dir / L"Bastide.ini"; }
    ~VisuErrFrmTest() override { IniPath = savedIni_; }

    void WriteIni(const std::string& text) { WriteBytes(IniPath, text); }
    void WriteLog(const std::wstring& config, int mode, const std::wstring& text) {
        ASSERT_TRUE(WriteErrorLog(ErrorLogPathIn(dir.Path(), config, mode), text));
    }

    TempDir dir;

private:
    std::wstring savedIni_;
};

TEST_F(VisuErrFrmTest, ShowsTheLogAndCountOfTheConfigurationForEachMode) {
    WriteIni("[Docs: bureau]\r\nLastSaveNbErr=3\r\nLastRestNbErr=1\r\nLastCompNbErr=12\r\n");
    WriteLog(L"Docs: bureau", 0, L"Début de la Sauvegarde ...\r\nErreur: 5 - Fichier: C:\\Noël.txt\r\n");
    WriteLog(L"Docs: bureau", 1, L"Début de la Restauration ...\r\n");
    WriteLog(L"Docs: bureau", 2, L"***** Sauvegarde n°1\r\nD:\\a.txt n'existe pas\r\n");

    struct Case { int mode; const wchar_t* title; const wchar_t* count; const wchar_t* text; } cases[] = {
        {0, L"Configuration : Docs: bureau (Sauvegarde)", L"Nombre d'erreur(s): 3",
         L"Début de la Sauvegarde ...\r\nErreur: 5 - Fichier: C:\\Noël.txt\r\n"},
        {1, L"Configuration : Docs: bureau (Restauration)", L"Nombre d'erreur(s): 1",
         L"Début de la Restauration ...\r\n"},
        {2, L"Configuration : Docs: bureau (Comparaison)", L"Nombre d'erreur(s): 12",
         L"***** Sauvegarde n°1\r\nD:\\a.txt n'existe pas\r\n"},
    };
    for (const auto& c : cases) {
        VisuErrFrm viewer;
        ASSERT_TRUE(viewer.Load(nullptr, dir.Path(), L"Docs: bureau", c.mode));
        EXPECT_EQ(ErrorLogPathIn(dir.Path(), L"Docs: bureau", c.mode), viewer.LogPath());
        EXPECT_EQ(c.title, Form::GetText(viewer.TitreLbl()));
        EXPECT_EQ(c.count, Form::GetText(viewer.TotalErrLbl()));
        EXPECT_EQ(c.text, Form::GetText(viewer.ListeTxt()));
        EXPECT_EQ(L"Fermer", Form::GetText(viewer.Bouton()));
        viewer.OnBoutonClick();
        EXPECT_EQ(nullptr, viewer.Handle());
    }
}

TEST_F(VisuErrFrmTest, MissingLogGivesAnEmptyListWithTitleAndCount) {
    WriteIni("[Maison]\r\nLastSaveNbErr=2\r\n");
    // Another mode's log is not shown in its place.
    WriteLog(L"Maison", 1, L"restauration\r\n");
    VisuErrFrm viewer;
    ASSERT_TRUE(viewer.Load(nullptr, dir.Path(), L"Maison", 0));
    EXPECT_EQ(L"Configuration : Maison (Sauvegarde)", Form::GetText(viewer.TitreLbl()));
    EXPECT_EQ(L"Nombre d'erreur(s): 2", Form::GetText(viewer.TotalErrLbl()));
    EXPECT_EQ(L"", Form::GetText(viewer.ListeTxt()));
}

// A later backup without errors writes no log: the viewer still shows the last one that
// had errors, which a configuration whose name differs by a replaced character shares.
TEST_F(VisuErrFrmTest, OlderLogStaysAndIsSharedByLookAlikeNames) {
    WriteIni("[Docs:bureau]\r\nLastSave=\"02/06/2023 12:00:00\"\r\nLastSaveErr=\"01/06/2023 12:00:00\"\r\n"
             "LastSaveNbErr=4\r\n[Docs?bureau]\r\nLastSaveNbErr=0\r\n");
    WriteLog(L"Docs:bureau", 0, L"ancien journal\r\n");
    VisuErrFrm viewer;
    ASSERT_TRUE(viewer.Load(nullptr, dir.Path(), L"Docs:bureau", 0));
    EXPECT_EQ(L"Nombre d'erreur(s): 4", Form::GetText(viewer.TotalErrLbl()));
    EXPECT_EQ(L"ancien journal\r\n", Form::GetText(viewer.ListeTxt()));
    viewer.Close();

    VisuErrFrm other;
    ASSERT_TRUE(other.Load(nullptr, dir.Path(), L"Docs?bureau", 0));
    EXPECT_EQ(L"Configuration : Docs?bureau (Sauvegarde)", Form::GetText(other.TitreLbl()));
    EXPECT_EQ(L"Nombre d'erreur(s): 0", Form::GetText(other.TotalErrLbl()));
    EXPECT_EQ(L"ancien journal\r\n", Form::GetText(other.ListeTxt()));
}

TEST_F(VisuErrFrmTest, LongLogIsShownWhole) {
    std::wstring log;
    for (int i = 0; i < 5000; ++i)
        log += L"Erreur: 112 - Fichier: C:\\Données\\fichier n°" + std::to_wstring(i) + L".txt\r\n";
    ASSERT_GT(log.size(), 200000u);
    WriteLog(L"Maison", 0, log);
    VisuErrFrm viewer;
    ASSERT_TRUE(viewer.Load(nullptr, dir.Path(), L"Maison", 0));
    EXPECT_EQ(static_cast<int>(log.size()), GetWindowTextLengthW(viewer.ListeTxt()));
    EXPECT_EQ(5000, SendMessageW(viewer.ListeTxt(), EM_GETLINECOUNT, 0, 0) - 1);
}

HWND g_stuckViewer = nullptr;
void CALLBACK CloseStuckViewer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_stuckViewer && IsWindow(g_stuckViewer)) DestroyWindow(g_stuckViewer);
}

TEST_F(VisuErrFrmTest, ModalViewerClosesOnItsButtonAndOnEscape) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, owner);
    // A viewer that does not close is destroyed after a while, so the test fails instead of hanging.
    UINT_PTR guard = SetTimer(nullptr, 0, 10000, CloseStuckViewer);

    VisuErrFrm viewer;
    ASSERT_TRUE(viewer.Load(owner, dir.Path(), L"Maison", 0));
    g_stuckViewer = viewer.Handle();
    PostMessageW(viewer.Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(viewer.Bouton()));
    DWORD start = GetTickCount();
    viewer.ShowModal(owner);
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(nullptr, viewer.Handle());
    EXPECT_TRUE(IsWindowEnabled(owner));

    VisuErrFrm second;
    ASSERT_TRUE(second.Load(owner, dir.Path(), L"Maison", 0));
    g_stuckViewer = second.Handle();
    PostMessageW(second.Bouton(), WM_KEYDOWN, VK_ESCAPE, 0);
    start = GetTickCount();
    second.ShowModal(owner);
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(nullptr, second.Handle());

    g_stuckViewer = nullptr;
    KillTimer(nullptr, guard);
    DestroyWindow(owner);
}

}  // namespace
