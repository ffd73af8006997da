#include "engine/Walk.h"

#include "app/Settings.h"
#include "engine/FileOps.h"
#include "engine/RunState.h"
#include "tests/engine/EngineTestSupport.h"

namespace {
const FILETIME Monday = TimeAt(2021, 3, 1, 10, 0, 0);
}

TEST(WalkRules, SkippedSystemFilesAnyLetterCase) {
    for (const wchar_t* name : {L"pagefile.sys", L"HIBERFIL.SYS", L"Thumbs.db", L"NTUSER.DAT", L"ntuser.dat.LOG",
                                L"UsrClass.dat", L"usrclass.dat.log"}) {
        EXPECT_TRUE(IsSkippedSystemFile(name)) << Utf8(name);
    }
    for (const wchar_t* name : {L"thumbs.db.bak", L"ntuser", L"pagefile.sy", L"Thumbs"}) {
        EXPECT_FALSE(IsSkippedSystemFile(name)) << Utf8(name);
    }
}

TEST(WalkRules, SpecialFoldersByExactName) {
    EXPECT_TRUE(IsSpecialFolder(L"C:\\Users\\Jean\\Documents\\Mes vidéos\\"));
    EXPECT_TRUE(IsSpecialFolder(L"C:\\Users\\Jean\\Documents\\Mes images"));
    EXPECT_TRUE(IsSpecialFolder(L"D:\\Ma musique\\"));
    EXPECT_FALSE(IsSpecialFolder(L"D:\\ma musique\\"));
    EXPECT_FALSE(IsSpecialFolder(L"D:\\Ma musique\\Jazz\\"));
}

TEST(WalkRules, SkippedDirectories) {
    CurrentRun = RunState{};
    Exclusions = LineExclusions{};
    CurrentRun.WindowsDirectory = L"C:\\windows";
    EXPECT_TRUE(IsSkippedDirectory(L"C:\\", L"windows"));
    EXPECT_FALSE(IsSkippedDirectory(L"C:\\", L"WINDOWS"));  // compared letter case included
    EXPECT_FALSE(IsSkippedDirectory(L"D:\\", L"windows"));
    EXPECT_TRUE(IsSkippedDirectory(L"D:\\", L"Recycled"));
    EXPECT_TRUE(IsSkippedDirectory(L"D:\\", L"System Volume Information"));
    EXPECT_TRUE(IsSkippedDirectory(L"D:\\", L"."));
    EXPECT_TRUE(IsSkippedDirectory(L"D:\\", L".."));
    EXPECT_FALSE(IsSkippedDirectory(L"D:\\", L"RECYCLER"));
    EXPECT_FALSE(IsSkippedDirectory(L"D:\\", L"$Recycle.Bin"));
}

TEST(WalkRules, ExclusionModes) {
    CurrentRun = RunState{};
    CurrentRun.LineRoot = L"C:\\Data\\";
    Exclusions = LineExclusions{};
    EXPECT_FALSE(IsExcludedDirectory(L"C:\\Data\\Photos"));
    Exclusions.Mode = 1;
    EXPECT_TRUE(IsExcludedDirectory(L"C:\\Data\\Photos"));
    Exclusions.Mode = 2;
    Exclusions.Count = 2;
    Exclusions.List = {L"", L"Photos", L"Docs\\Vieux"};
    EXPECT_TRUE(IsExcludedDirectory(L"C:\\Data\\Photos"));
    EXPECT_TRUE(IsExcludedDirectory(L"C:\\Data\\Docs\\Vieux"));
    EXPECT_FALSE(IsExcludedDirectory(L"C:\\Data\\photos"));
    EXPECT_FALSE(IsExcludedDirectory(L"C:\\Data\\Docs"));
    EXPECT_FALSE(IsExcludedDirectory(L"C:\\Data\\Photos\\2020"));
    Exclusions.Mode = 3;
    EXPECT_FALSE(IsExcludedDirectory(L"C:\\Data\\Photos"));
    Exclusions = LineExclusions{};
}

TEST(WalkRules, LineTargets) {
    EXPECT_EQ(L"E:\\Sauv\\C", LineTarget(L"C:\\", L"E:\\Sauv"));
    EXPECT_EQ(L"E:\\Sauv\\Docs", LineTarget(L"C:\\Data\\Docs\\", L"E:\\Sauv\\"));
    EXPECT_EQ(L"E:\\Docs", LineTarget(L"C:\\Data\\Docs", L"E:\\"));
}

TEST(WalkRules, LineSelection) {
    Config = Configuration{};
    Config.Sources = {L"C:\\A", L"C:\\B", L"", L"C:\\D"};
    Config.Destinations = {L"E:\\", L"E:\\", L"E:\\", L""};
    Config.Selected = {1, 0, 1, 1};
    EXPECT_TRUE(IsLineSelected(0));
    EXPECT_FALSE(IsLineSelected(1));
    EXPECT_FALSE(IsLineSelected(2));
    EXPECT_FALSE(IsLineSelected(3));
    EXPECT_FALSE(IsLineSelected(4));
    Config = Configuration{};
}

class WalkTest : public EngineTest {
protected:
    WalkTest() {
        MakeDirs(temp / L"src\\Top\\sub1");
        MakeDirs(temp / L"src\\Top\\sub2\\deep");
        MakeDirs(temp / L"dst");
        WriteFileAt(temp / L"src\\Top\\z.txt", "zz", Monday);
        WriteFileAt(temp / L"src\\Top\\a.txt", "a", Monday);
        WriteFileAt(temp / L"src\\Top\\sub1\\f1.txt", "f1", Monday);
        WriteFileAt(temp / L"src\\Top\\sub2\\f2.txt", "f2", Monday);
        WriteFileAt(temp / L"src\\Top\\sub2\\deep\\f3.txt", "f3", Monday);
    }
    std::wstring Src() { return temp / L"src\\Top"; }
    std::wstring Dst() { return temp / L"dst"; }
};

TEST_F(WalkTest, ComparisonListsFilesBeforeSubdirectoriesDepthFirst) {
    RunMode = 2;
    Options.ArbreMode = -1;  // a comparison never creates directories
    ProcessLine(Src(), Dst(), true);
    std::wstring top = Dst() + L"\\Top\\";
    std::vector<std::wstring> expected = {
        top + L"a.txt n'existe pas", top + L"z.txt n'existe pas", top + L"sub1\\f1.txt n'existe pas",
        top + L"sub2\\f2.txt n'existe pas", top + L"sub2\\deep\\f3.txt n'existe pas"};
    EXPECT_EQ(expected, view.comparison);
    EXPECT_EQ(expected, view.log);
    EXPECT_EQ(5, CurrentRun.FilesToCopy);
    EXPECT_EQ(9, CurrentRun.TotalBytes);
    EXPECT_EQ(L"5 fichier(s) à copier ", view.labels[2]);
    EXPECT_FALSE(Exists(top));
}

TEST_F(WalkTest, BackupCreatesTheTreeAndCopiesThenFindsNothingMore) {
    AnalyseAndCopy(Src(), Dst());
    EXPECT_FALSE(CurrentRun.Aborted);
    EXPECT_EQ("f3", ReadBytes(Dst() + L"\\Top\\sub2\\deep\\f3.txt"));
    EXPECT_EQ("zz", ReadBytes(Dst() + L"\\Top\\z.txt"));
    FILETIME copied = LastWriteOf(Dst() + L"\\Top\\a.txt");
    EXPECT_EQ(0, CompareFileTime(&Monday, &copied));
    EXPECT_EQ(9, CurrentRun.CopiedBytes);

    CurrentRun = RunState{};
    ProcessLine(Src(), Dst(), true);
    EXPECT_EQ(0, CurrentRun.TotalBytes);
}

TEST_F(WalkTest, TreePassCreatesDirectoriesOnly) {
    Options.ArbreMode = -1;
    ProcessLine(Src(), Dst(), true);
    EXPECT_TRUE(Exists(Dst() + L"\\Top\\sub2\\deep"));
    EXPECT_TRUE(Exists(Dst() + L"\\Top\\sub1"));
    EXPECT_TRUE(NamesIn(Dst() + L"\\Top\\sub1").empty());
    EXPECT_EQ(4, CurrentRun.DirsRead);
    EXPECT_EQ(4, CurrentRun.DirsCreated);
    EXPECT_EQ(L"4 répertoire(s) lu(s), 4 répertoire(s) créé(s)", view.labels[3]);

    // A second tree pass reads the same directories and creates none.
    CurrentRun = RunState{};
    ProcessLine(Src(), Dst(), true);
    EXPECT_EQ(L"4 répertoire(s) lu(s), 0 répertoire(s) créé(s)", view.labels[3]);
}

TEST_F(WalkTest, AnalysisAfterTheTreePassWalksItsListingsWithoutListingAgain) {
    Options.ArbreMode = -1;
    ProcessLine(Src(), Dst(), true);  // the tree pass of a run
    Options.ArbreMode = 0;
    // A file that appears between the passes only escapes the byte total: the copy pass
    // lists every directory again.
    WriteFileAt(Src() + L"\\sub1\\nouveau.txt", "new", Monday);
    FileOps::ResetCallCounts();
    ProcessLine(Src(), Dst(), true);
    EXPECT_EQ(9, CurrentRun.TotalBytes);
    EXPECT_EQ(2u, FileOps::CallCount(FileOps::Op::FindFirst));  // the destination and the line itself

    CurrentRun = RunState{};
    ProcessLine(Src(), Dst(), true);  // the listings serve once
    EXPECT_EQ(12, CurrentRun.TotalBytes);
}

TEST_F(WalkTest, ACopyFolderThatCannotBeListedIsQueriedFileByFile) {
    // Newer copies of more files than are queried one by one: the listing is the usual way.
    Options.RecentSeul = -1;
    MakeDirs(Dst() + L"\\Top");
    FILETIME newer = TimeAt(2030, 1, 1, 0, 0, 0);
    for (int i = 0; i < 45; ++i) {
        std::wstring name = L"\\n" + std::to_wstring(i) + L".txt";
        WriteFileAt(Src() + name, "s", Monday);
        WriteFileAt(Dst() + L"\\Top" + name, "c", newer);
    }
    FileOps::InjectFault(FileOps::Op::FindFirst, Dst() + L"\\Top\\*", ERROR_UNEXP_NET_ERR);
    ProcessLine(Src(), Dst(), true);
    // Only the five files of the fixture are to copy: no newer copy is taken for missing.
    EXPECT_EQ(9, CurrentRun.TotalBytes);
}

TEST_F(WalkTest, ExclusionModeOneKeepsOnlyTheTopFiles) {
    Exclusions.Mode = 1;
    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"z.txt"}), NamesIn(Dst() + L"\\Top"));
}

TEST_F(WalkTest, ListedExclusionsAreRelativeToTheLineAndExact) {
    Exclusions.Mode = 2;
    Exclusions.Count = 2;
    Exclusions.List = {L"", L"sub2\\deep", L"SUB1"};
    AnalyseAndCopy(Src(), Dst());
    EXPECT_TRUE(Exists(Dst() + L"\\Top\\sub1\\f1.txt"));  // "SUB1" differs by letter case
    EXPECT_TRUE(Exists(Dst() + L"\\Top\\sub2\\f2.txt"));
    EXPECT_FALSE(Exists(Dst() + L"\\Top\\sub2\\deep"));
}

TEST_F(WalkTest, SystemNamesAndRecycledAreLeftOutButRecyclerIsWalked) {
    MakeDirs(Src() + L"\\Recycled");
    MakeDirs(Src() + L"\\RECYCLER");
    WriteFileAt(Src() + L"\\Recycled\\r.txt", "r", Monday);
    WriteFileAt(Src() + L"\\RECYCLER\\r.txt", "r", Monday);
    WriteFileAt(Src() + L"\\Thumbs.DB", "t", Monday);
    WriteFileAt(Src() + L"\\sub1\\pagefile.sys", "p", Monday);
    AnalyseAndCopy(Src(), Dst());
    EXPECT_TRUE(Exists(Dst() + L"\\Top\\RECYCLER\\r.txt"));
    EXPECT_FALSE(Exists(Dst() + L"\\Top\\Recycled"));
    EXPECT_FALSE(Exists(Dst() + L"\\Top\\Thumbs.DB"));
    EXPECT_FALSE(Exists(Dst() + L"\\Top\\sub1\\pagefile.sys"));
}

TEST_F(WalkTest, TargetThatCannotBeCreatedIsAnErrorOfTheRun) {
    Options.ContinueOnError = -1;
    FileOps::InjectFault(FileOps::Op::CreateDir, Dst() + L"\\Top\\sub2*", ERROR_ACCESS_DENIED);
    Options.ArbreMode = -1;  // the tree pass, then the analysis and the copy
    ProcessLine(Src(), Dst(), true);
    Options.ArbreMode = 0;
    AnalyseAndCopy(Src(), Dst());
    EXPECT_TRUE(Exists(Dst() + L"\\Top\\sub1\\f1.txt"));
    EXPECT_FALSE(Exists(Dst() + L"\\Top\\sub2"));
    EXPECT_EQ(1, CurrentRun.ErrorCount);  // once for the folder, not per file nor per pass
    EXPECT_EQ(std::vector<std::wstring>{L"Erreur: 5 - Répertoire non créé: " + Dst() + L"\\Top\\sub2\\"}, view.log);
    EXPECT_FALSE(CurrentRun.Aborted);

    // A file standing where the folder goes, with errors stopping the run.
    BeginEngineRun();
    CurrentRun = RunState{};
    view.log.clear();
    FileOps::ClearFaults();
    Options.ContinueOnError = 0;
    WriteBytes(Dst() + L"\\Top\\sub2", "un fichier");
    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ(1, CurrentRun.ErrorCount);
    EXPECT_TRUE(CurrentRun.Aborted);
    EXPECT_NE(0, CurrentRun.LastCopyError);
}

TEST_F(WalkTest, MissingDestinationStopsTheRunWithCode55) {
    FileOps::ResetCallCounts();
    ProcessLine(Src(), temp / L"absent", true);
    EXPECT_EQ(55, CurrentRun.LastCopyError);
    EXPECT_TRUE(CurrentRun.Aborted);
    EXPECT_TRUE(CurrentRun.WorkStarted);
    EXPECT_FALSE(Exists(temp / L"absent"));

    // A drive that is not there: nothing of the source is read.
    CurrentRun = RunState{};
    wchar_t letter = UnusedDriveLetter();
    ASSERT_NE(0, letter);
    FileOps::ResetCallCounts();
    ProcessLine(Src(), std::wstring(1, letter) + L":\\", false);
    EXPECT_EQ(55, CurrentRun.LastCopyError);
    EXPECT_EQ(0u, FileOps::CallCount(FileOps::Op::FindFirst));
}

TEST_F(WalkTest, UnreadableSourceIsSilentInAnalysisAndStopsTheCopy) {
    std::wstring missing = temp / L"src\\Parti";
    ProcessLine(missing, Dst(), true);
    EXPECT_TRUE(view.critical.empty());
    EXPECT_FALSE(CurrentRun.Aborted);

    ProcessLine(missing, Dst(), false);
    ASSERT_EQ(1u, view.critical.size());
    EXPECT_EQ(L"Répertoire source '" + missing + L"\\' non trouvé.", view.critical[0]);
    EXPECT_TRUE(CurrentRun.Aborted);
}

TEST_F(WalkTest, UnreadableSubdirectoryStopsTheCopyBeforeTheNextOne) {
    FileOps::InjectFault(FileOps::Op::FindFirst, Src() + L"\\sub1\\*", ERROR_ACCESS_DENIED);
    AnalyseAndCopy(Src(), Dst());
    ASSERT_EQ(1u, view.critical.size());
    EXPECT_EQ(L"Répertoire source '" + Src() + L"\\sub1\\' non trouvé.", view.critical[0]);
    EXPECT_TRUE(Exists(Dst() + L"\\Top\\a.txt"));
    EXPECT_FALSE(Exists(Dst() + L"\\Top\\sub2\\f2.txt"));
}

TEST_F(WalkTest, UnreadableSpecialFolderIsSkippedSilently) {
    MakeDirs(Src() + L"\\Mes images");
    FileOps::InjectFault(FileOps::Op::FindFirst, Src() + L"\\Mes images\\*", ERROR_ACCESS_DENIED);
    AnalyseAndCopy(Src(), Dst());
    EXPECT_TRUE(view.critical.empty());
    EXPECT_FALSE(CurrentRun.Aborted);
    EXPECT_TRUE(Exists(Dst() + L"\\Top\\sub2\\deep\\f3.txt"));
}

TEST_F(WalkTest, SingleFileLineIsAlwaysCopied) {
    FILETIME same = Monday;
    WriteFileAt(Dst() + L"\\a.txt", "X", same);  // same size and time, other content
    AnalyseAndCopy(Src() + L"\\a.txt", Dst());
    EXPECT_EQ(1, CurrentRun.TotalBytes);
    EXPECT_EQ("a", ReadBytes(Dst() + L"\\a.txt"));

    // A single-file line counts in a comparison but is never listed.
    CurrentRun = RunState{};
    RunMode = 2;
    ProcessLine(Src() + L"\\z.txt", Dst(), true);
    EXPECT_EQ(2, CurrentRun.TotalBytes);
    EXPECT_TRUE(view.comparison.empty());

    // Even a name that walks leave out.
    RunMode = 0;
    WriteFileAt(Src() + L"\\thumbs.db", "t", Monday);
    ProcessLine(Src() + L"\\thumbs.db", Dst(), false);
    EXPECT_TRUE(Exists(Dst() + L"\\thumbs.db"));
}

TEST_F(WalkTest, CopiesAreLookedUpWithoutOneSearchPerFile) {
    // sub1 is large enough to be listed once; the other directories are queried file by file.
    for (int i = 0; i < 60; ++i) WriteFileAt(Src() + L"\\sub1\\n" + std::to_wstring(i), "n", Monday);
    AnalyseAndCopy(Src(), Dst());
    // Copies whose names differ by letter case are the same files, in both ways of looking.
    MoveFileW((Dst() + L"\\Top\\sub1\\n7").c_str(), (Dst() + L"\\Top\\sub1\\N7").c_str());
    MoveFileW((Dst() + L"\\Top\\a.txt").c_str(), (Dst() + L"\\Top\\A.TXT").c_str());

    CurrentRun = RunState{};
    FileOps::ResetCallCounts();
    ProcessLine(Src(), Dst(), true);
    EXPECT_EQ(0, CurrentRun.TotalBytes);
    // Destination check, line lookup, four source listings and the listing of sub1.
    EXPECT_EQ(7u, FileOps::CallCount(FileOps::Op::FindFirst));
    // The three small target directories and their four files.
    EXPECT_EQ(7u, FileOps::CallCount(FileOps::Op::GetAttributes));
}

TEST_F(WalkTest, DriveRootLandsInAFolderNamedAfterTheLetter) {
    MakeDirs(temp / L"disque\\Photos");
    WriteFileAt(temp / L"disque\\racine.txt", "root", Monday);
    WriteFileAt(temp / L"disque\\Photos\\p.jpg", "jpg", Monday);
    MappedDrive drive(temp / L"disque");
    if (!drive.Letter()) GTEST_SKIP() << "no drive letter could be mapped";
    AnalyseAndCopy(drive.Root(), Dst() + L"\\Sauv");
    EXPECT_EQ(55, CurrentRun.LastCopyError);  // the destination must exist first

    CurrentRun = RunState{};
    MakeDirs(Dst() + L"\\Sauv");
    Options.ArbreMode = -1;
    ProcessLine(drive.Root(), Dst() + L"\\Sauv", true);
    EXPECT_EQ(2, CurrentRun.DirsCreated);
    CurrentRun.DirsCreated = 0;
    ProcessLine(drive.Root(), Dst() + L"\\Sauv", true);
    EXPECT_EQ(0, CurrentRun.DirsCreated);  // nothing is counted that was there already
    Options.ArbreMode = 0;

    AnalyseAndCopy(drive.Root(), Dst() + L"\\Sauv");
    std::wstring copy = Dst() + L"\\Sauv\\" + std::wstring(1, drive.Letter());
    EXPECT_EQ("root", ReadBytes(copy + L"\\racine.txt"));
    EXPECT_EQ("jpg", ReadBytes(copy + L"\\Photos\\p.jpg"));
    EXPECT_EQ((std::vector<std::wstring>{std::wstring(1, drive.Letter())}), NamesIn(Dst() + L"\\Sauv"));
}

TEST(CreateDirectoryChain, CreatesEveryMissingLevel) {
    TempDir temp;
    EXPECT_TRUE(CreateDirectoryChain(temp / L"a\\b\\c"));
    EXPECT_TRUE(Exists(temp / L"a\\b\\c"));
    EXPECT_TRUE(CreateDirectoryChain(temp / L"a\\b\\c\\"));
    WriteBytes(temp / L"fichier", "x");
    EXPECT_FALSE(CreateDirectoryChain(temp / L"fichier\\d"));
}
