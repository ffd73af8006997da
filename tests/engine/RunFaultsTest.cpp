// Whole runs of the run window on temporary trees, against the faults that could lose a
// backup or let a failure pass for a success.
#include "engine/Copie.h"

#include "app/Settings.h"
#include "engine/FileOps.h"
#include "engine/RunState.h"
#include "engine/Walk.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/ScriptedUi.h"

namespace {

const FILETIME Monday = TimeAt(2026, 3, 2, 9, 0, 0);
const FILETIME Tuesday = TimeAt(2026, 3, 3, 9, 0, 0);

// The long form names exactly the file of a listing (trailing dots, device names).
std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

class RunFaultsTest : public RunTest {
protected:
    RunFaultsTest() { AutoLaunch = true; }  // the window closes by itself, errors or not
    ~RunFaultsTest() override {
        AutoLaunch = false;
        RunMode = 0;
    }

    // One whole run of the selected lines in the given mode, as the main window starts it.
    void Run(short mode) {
        RunMode = mode;
        CurrentRun = RunState{};
        view.log.clear();
        Copie window(host, true);
        ASSERT_TRUE(window.Load(nullptr));
        window.Run(nullptr);
        log = window.LogText();
    }
    // Line i shown as a restore shows it: the copy on the left, the place it came from on the right.
    void ShowReversed(int i, const std::wstring& shownRead, const std::wstring& shownWrite) {
        host.sources[i] = shownRead;
        host.destinations[i] = shownWrite;
    }

    std::wstring log;
    ScopedUi ui;
};

TEST_F(RunFaultsTest, RestoreOfEachKindOfLineWritesBackWhereTheBackupCameFrom) {
    MakeDirs(temp / L"disque\\Photos");
    MappedDrive drive(temp / L"disque");
    if (!drive.Letter()) GTEST_SKIP() << "no drive letter could be mapped";
    Options.SynchroCopie = -1;
    MakeDirs(temp / L"src\\docs");
    MakeDirs(temp / L"E\\Sauv");
    WriteBytes(temp / L"src\\docs\\lettre.txt", "lettre");
    WriteBytes(temp / L"src\\seul.txt", "seul");
    WriteBytes(temp / L"disque\\Photos\\p.jpg", "jpg");
    SetLine(0, temp / L"src\\docs", temp / L"E\\Sauv");
    SetLine(1, drive.Root(), temp / L"E\\Sauv");
    SetLine(2, temp / L"src\\seul.txt", temp / L"E\\Sauv");
    Run(0);
    ASSERT_EQ("jpg", ReadBytes(temp / (L"E\\Sauv\\" + std::wstring(1, drive.Letter()) + L"\\Photos\\p.jpg")));

    // Everything lost on the sources; a file of the drive that the backup never had stays.
    RemoveTree(temp / L"src");
    MakeDirs(temp / L"src");
    RemoveTree(temp / L"disque\\Photos");
    WriteBytes(temp / L"disque\\nouveau.txt", "pas dans la sauvegarde");
    ShowReversed(0, temp / L"E\\Sauv\\docs", temp / L"src\\");
    ShowReversed(1, temp / L"E\\Sauv", drive.Root());
    ShowReversed(2, temp / L"E\\Sauv\\seul.txt", temp / L"src\\");
    Run(1);
    EXPECT_EQ(0, CurrentRun.ErrorCount) << Utf8(log);
    EXPECT_EQ("lettre", ReadBytes(temp / L"src\\docs\\lettre.txt"));
    EXPECT_EQ("seul", ReadBytes(temp / L"src\\seul.txt"));
    EXPECT_EQ("jpg", ReadBytes(temp / L"disque\\Photos\\p.jpg"));
    // Only the drive's own copy folder went onto the drive, and the mirror compared the
    // drive with that folder alone.
    EXPECT_FALSE(Exists(temp / L"disque\\Sauv"));
    EXPECT_FALSE(Exists(temp / L"disque\\docs"));
    EXPECT_FALSE(Exists(temp / L"disque\\nouveau.txt"));
}

TEST_F(RunFaultsTest, AFailedCopyLeavesTheOldCopyAsItWasAndTheNextRunCopiesIt) {
    Options.SynchroDate = -1;
    Options.ContinueOnError = -1;
    MakeDirs(temp / L"src\\docs");
    MakeDirs(temp / L"dst\\docs");
    WriteFileAt(temp / L"src\\docs\\tenu.txt", "nouveau", Tuesday);
    WriteFileAt(temp / L"dst\\docs\\tenu.txt", "ancien", Monday);
    SetFileAttributesW((temp / L"dst\\docs\\tenu.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetLine(0, temp / L"src\\docs", temp / L"dst");
    {
        HeldFile held(temp / L"src\\docs\\tenu.txt");
        Run(0);
    }
    EXPECT_EQ(1, CurrentRun.ErrorCount);
    EXPECT_EQ("ancien", ReadBytes(temp / L"dst\\docs\\tenu.txt"));
    FILETIME kept = LastWriteOf(temp / L"dst\\docs\\tenu.txt");
    EXPECT_EQ(0, CompareFileTime(&Monday, &kept));
    EXPECT_TRUE(AttributesOf(temp / L"dst\\docs\\tenu.txt") & FILE_ATTRIBUTE_HIDDEN);
    Run(0);
    EXPECT_EQ("nouveau", ReadBytes(temp / L"dst\\docs\\tenu.txt"));
}

// The copy folder of a line inside its own source, under every name it can have: the
// same text, a path with "." in it, another drive letter for the same folder.
TEST_F(RunFaultsTest, TheCopyOfALineIsNeverCopiedIntoItself) {
    MakeDirs(temp / L"D\\Bk");
    WriteBytes(temp / L"D\\f.txt", "f");
    MappedDrive alias(temp / L"D");
    struct Case {
        std::wstring destination, nested;
    } cases[] = {
        {temp / L"D", temp / L"D\\D\\D"},
        {temp / L"D\\.\\Bk", temp / L"D\\Bk\\D\\Bk"},
        {alias.Letter() ? alias.Root() + L"Bk" : temp / L"D\\Bk", temp / L"D\\Bk\\D\\Bk"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.destination));
        SetLine(0, temp / L"D", c.destination);
        Run(0);
        Run(0);
        EXPECT_EQ(0, CurrentRun.ErrorCount) << Utf8(log);
        EXPECT_FALSE(Exists(c.nested));
    }
    EXPECT_EQ("f", ReadBytes(temp / L"D\\Bk\\D\\f.txt"));
}

TEST_F(RunFaultsTest, FolderLinksArePassedOverAndSaidOnce) {
    MakeDirs(temp / L"src\\sub");
    MakeDirs(temp / L"dst");
    WriteBytes(temp / L"src\\sub\\f.txt", "f");
    if (!MakeHostLink(L"..", temp / L"src\\sub\\boucle")) GTEST_SKIP() << "no host link";
    ASSERT_TRUE(AttributesOf(temp / L"src\\sub\\boucle") & FILE_ATTRIBUTE_REPARSE_POINT);
    SetLine(0, temp / L"src", temp / L"dst");
    Options.SynchroCopie = -1;
    Run(0);
    EXPECT_EQ("f", ReadBytes(temp / L"dst\\src\\sub\\f.txt"));
    EXPECT_FALSE(Exists(temp / L"dst\\src\\sub\\boucle"));
    std::wstring said = L"Lien non parcouru: " + temp / L"src\\sub\\boucle\\";
    size_t first = log.find(said);
    ASSERT_NE(std::wstring::npos, first) << Utf8(log);
    EXPECT_EQ(std::wstring::npos, log.find(said, first + 1));
}

TEST_F(RunFaultsTest, ADestinationDriveWithoutMediumStopsTheRunWithCode21) {
    MakeDirs(temp / L"lecteur");
    MappedDrive drive(temp / L"lecteur");
    if (!drive.Letter()) GTEST_SKIP() << "no drive letter could be mapped";
    RemoveTree(temp / L"lecteur");  // the medium is taken out
    MakeDirs(temp / L"src");
    WriteBytes(temp / L"src\\f.txt", "f");
    SetLine(0, temp / L"src", drive.Root());
    Run(0);
    EXPECT_TRUE(CurrentRun.Aborted);
    EXPECT_EQ(21, CurrentRun.LastCopyError);
}

TEST_F(RunFaultsTest, AMissingSingleFileIsAnErrorAndNeverBecomesAFolder) {
    Options.ContinueOnError = -1;
    MakeDirs(temp / L"src");
    MakeDirs(temp / L"dst\\vide.txt");  // left by an earlier version for a missing file
    WriteBytes(temp / L"src\\seul.txt", "seul");
    WriteBytes(temp / L"src\\vide.txt", "vide");
    SetLine(0, temp / L"src\\seul.txt", temp / L"dst");
    SetLine(1, temp / L"src\\vide.txt", temp / L"dst");
    Run(0);
    EXPECT_EQ(0, CurrentRun.ErrorCount) << Utf8(log);
    EXPECT_EQ("vide", ReadBytes(temp / L"dst\\vide.txt"));

    DeleteFileW((temp / L"src\\seul.txt").c_str());
    DeleteFileW((temp / L"dst\\seul.txt").c_str());
    WriteBytes(temp / L"dst\\seul.txt", "copie");
    Run(0);
    EXPECT_EQ(1, CurrentRun.ErrorCount);
    EXPECT_NE(std::wstring::npos, log.find(L"Erreur: 2 - Fichier: " + temp / L"src\\seul.txt")) << Utf8(log);
    EXPECT_EQ("copie", ReadBytes(temp / L"dst\\seul.txt"));
}

TEST_F(RunFaultsTest, AMissingSourceFolderIsAnErrorOfTheRunThatOtherLinesOutlive) {
    MakeDirs(temp / L"src");
    MakeDirs(temp / L"dst");
    WriteBytes(temp / L"src\\f.txt", "f");
    SetLine(0, temp / L"parti", temp / L"dst");
    SetLine(1, temp / L"src", temp / L"dst");
    struct Case {
        long continueOnError;
        bool secondLineCopied;
    } cases[] = {{-1, true}, {0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.continueOnError);
        RemoveTree(temp / L"dst\\src");
        Options.ContinueOnError = c.continueOnError;
        Run(0);
        EXPECT_EQ(1, CurrentRun.ErrorCount);
        EXPECT_TRUE(CurrentRun.WorkStarted);  // never "Rien à sauvegarder !"
        EXPECT_EQ(!c.secondLineCopied, CurrentRun.Aborted);
        EXPECT_EQ(c.secondLineCopied, Exists(temp / L"dst\\src\\f.txt"));
        EXPECT_NE(std::wstring::npos, log.find(L"Répertoire source '" + temp / L"parti\\' non trouvé."));
        EXPECT_FALSE(Exists(temp / L"dst\\parti"));
    }
}

TEST_F(RunFaultsTest, NamesWindowsReadsAsDevicesOrTrimsAreBackedUpAndRestored) {
    const std::wstring names[] = {L"AUX", L"COM1", L"pair", L"pair.", L"x.txt.", L"fin "};
    MakeDirs(temp / L"src");
    CreateDirectoryW(Long(temp / L"src\\dossier.").c_str(), nullptr);
    for (const std::wstring& name : names) WriteBytes(Long(temp / (L"src\\" + name)), Utf8(name));
    WriteBytes(Long(temp / L"src\\dossier.\\dedans.txt"), "dedans");
    MakeDirs(temp / L"dst");
    SetLine(0, temp / L"src", temp / L"dst");
    Run(0);
    ASSERT_EQ(0, CurrentRun.ErrorCount) << Utf8(log);
    for (const std::wstring& name : names) EXPECT_EQ(Utf8(name), ReadBytes(Long(temp / (L"dst\\src\\" + name))));
    EXPECT_EQ("dedans", ReadBytes(Long(temp / L"dst\\src\\dossier.\\dedans.txt")));

    for (const std::wstring& name : names) DeleteFileW(Long(temp / (L"src\\" + name)).c_str());
    DeleteFileW(Long(temp / L"src\\dossier.\\dedans.txt").c_str());
    ShowReversed(0, temp / L"dst\\src", temp.Path() + L"\\");
    Run(1);
    EXPECT_EQ(0, CurrentRun.ErrorCount) << Utf8(log);
    for (const std::wstring& name : names) EXPECT_EQ(Utf8(name), ReadBytes(Long(temp / (L"src\\" + name))));
    EXPECT_EQ("dedans", ReadBytes(Long(temp / L"src\\dossier.\\dedans.txt")));
}

}  // namespace
