// Removal of surplus files before a mirrored run.
#include "engine/Surplus.h"
#include "engine/Walk.h"

#include "app/Settings.h"
#include "engine/FileOps.h"
#include "engine/RunState.h"
#include "tests/engine/EngineTestSupport.h"

namespace {

// A file with its folders, contents and last-write time.
void Put(const std::wstring& path, const std::string& bytes, const FILETIME& time) {
    MakeDirs(path.substr(0, path.find_last_of(L'\\')));
    WriteFileAt(path, bytes, time);
}

class SurplusTest : public RunTest {
protected:
    SurplusTest() {
        MakeDirs(temp / L"src\\docs");
        MakeDirs(temp / L"dst\\src\\docs\\vieux");
        SetLine(0, temp / L"src", temp / L"dst");
    }
    // A file of the source and its copy, with their own times and contents.
    void Pair(const std::wstring& relative, const std::string& source, const FILETIME& sourceTime,
              const std::string& copy, const FILETIME& copyTime) {
        Put(temp / (L"src\\" + relative), source, sourceTime);
        Put(temp / (L"dst\\src\\" + relative), copy, copyTime);
    }
    std::wstring Copy(const std::wstring& relative) { return temp / (L"dst\\src\\" + relative); }

    const FILETIME noon = TimeAt(2026, 3, 1, 12, 0, 0);
    const FILETIME later = TimeAt(2026, 3, 2, 12, 0, 0);
};

TEST_F(SurplusTest, DeletesOnlyWhatHasNoCounterpartAndKeepsFolders) {
    Pair(L"docs\\pareil.txt", "abc", noon, "abcdef", noon);        // equal times, sizes differ
    Pair(L"docs\\ancien.txt", "neuf", later, "vieux", noon);        // copy older: left to the copy pass
    Pair(L"docs\\recent.txt", "vieux", noon, "neuf", later);        // copy newer: left to the copy pass
    Put(Copy(L"docs\\vieux\\orphelin.txt"), "x", noon);     // no counterpart: deleted
    Put(Copy(L"docs\\Thumbs.db"), "x", noon);               // never touched
    Config.Modifie = 0;  // "copy everything" does not make the copies surplus either
    RemoveSurplusFiles(host);
    for (const wchar_t* kept : {L"docs\\pareil.txt", L"docs\\ancien.txt", L"docs\\recent.txt", L"docs\\vieux",
                                L"docs\\Thumbs.db"}) {
        EXPECT_TRUE(Exists(Copy(kept))) << Utf8(kept);
    }
    EXPECT_FALSE(Exists(Copy(L"docs\\vieux\\orphelin.txt")));
    EXPECT_EQ(1, CurrentRun.FilesDeleted);
    EXPECT_FALSE(CurrentRun.SurplusPass);
    EXPECT_FALSE(CurrentRun.Aborted);
    EXPECT_TRUE(view.log.empty());  // deletions are not logged
}

// The copy pass of a mirrored run brings every copy back to its source, a newer one too,
// and a copy that fails then leaves the previous copy in place.
TEST_F(SurplusTest, MirroredRunReplacesOutdatedCopiesAndKeepsThemWhenTheCopyFails) {
    Options.SynchroCopie = -1;
    Options.RecentSeul = -1;
    Options.ContinueOnError = -1;
    Pair(L"docs\\ancien.txt", "neuf", later, "vieux", noon);
    Pair(L"docs\\recent.txt", "vieux", noon, "neuf", later);
    Pair(L"docs\\tenu.txt", "neuf", later, "vieux", noon);
    HeldFile held(temp / L"src\\docs\\tenu.txt");
    RemoveSurplusFiles(host);
    AnalyseAndCopy(temp / L"src", temp / L"dst");
    EXPECT_EQ("neuf", ReadBytes(Copy(L"docs\\ancien.txt")));
    EXPECT_EQ("vieux", ReadBytes(Copy(L"docs\\recent.txt")));
    EXPECT_EQ("vieux", ReadBytes(Copy(L"docs\\tenu.txt")));
    EXPECT_EQ(1, CurrentRun.ErrorCount);
    EXPECT_EQ(0, CurrentRun.FilesDeleted);
}

TEST_F(SurplusTest, ExcludedFoldersAreLeftAloneOnTheDestinationToo) {
    Put(Copy(L"docs\\vieux\\orphelin.txt"), "x", noon);
    WriteBytes(temp / L"Bastide.ini", "[Test]\r\nRepExclu0_Mode=2\r\nRepExclu0_Rep1=docs\\vieux\r\n");
    RemoveSurplusFiles(host);
    EXPECT_TRUE(Exists(Copy(L"docs\\vieux\\orphelin.txt")));
}

TEST_F(SurplusTest, AMissingOrUnreadableSourceLeavesTheBackupWhole) {
    Put(Copy(L"docs\\lettre.txt"), "x", noon);
    RemoveTree(temp / L"src");  // the disk was unplugged, the folder renamed...
    RemoveSurplusFiles(host);
    EXPECT_TRUE(Exists(Copy(L"docs\\lettre.txt")));
    EXPECT_TRUE(CurrentRun.Aborted);
    ASSERT_EQ(1u, view.critical.size());
    EXPECT_EQ(L"Répertoire source '" + (temp / L"src") + L"\\' non trouvé.", view.critical[0]);

    // A source subfolder that exists but cannot be read protects its copy; one that is gone
    // is mirrored.
    CurrentRun = RunState{};
    view.critical.clear();
    MakeDirs(temp / L"src\\docs");
    MakeDirs(temp / L"src\\verrou");
    Put(Copy(L"verrou\\garde.txt"), "x", noon);
    Put(Copy(L"disparu\\parti.txt"), "x", noon);
    FileOps::InjectFault(FileOps::Op::FindFirst, temp / L"src\\verrou\\*", ERROR_ACCESS_DENIED);
    RemoveSurplusFiles(host);
    EXPECT_TRUE(Exists(Copy(L"verrou\\garde.txt")));
    EXPECT_FALSE(Exists(Copy(L"disparu\\parti.txt")));
    EXPECT_TRUE(Exists(Copy(L"disparu")));
    EXPECT_FALSE(Exists(Copy(L"docs\\lettre.txt")));
    EXPECT_FALSE(CurrentRun.Aborted);
    EXPECT_TRUE(view.critical.empty());
}

TEST_F(SurplusTest, AFailedDeletionIsLoggedAndNotCounted) {
    Put(Copy(L"docs\\tenu.txt"), "x", noon);
    Put(Copy(L"docs\\libre.txt"), "x", noon);
    FileOps::InjectFault(FileOps::Op::Delete, Copy(L"docs\\tenu.txt"), ERROR_ACCESS_DENIED);
    RemoveSurplusFiles(host);
    EXPECT_TRUE(Exists(Copy(L"docs\\tenu.txt")));
    EXPECT_FALSE(Exists(Copy(L"docs\\libre.txt")));
    EXPECT_EQ(1, CurrentRun.FilesDeleted);
    EXPECT_EQ(1, CurrentRun.ErrorCount);
    EXPECT_EQ(1, view.firstErrors);
    ASSERT_EQ(1u, view.log.size());
    EXPECT_EQ(L"Erreur: 5 - Fichier non effacé: " + Copy(L"docs\\tenu.txt"), view.log[0]);
}

TEST_F(SurplusTest, ADriveRootLineCleansOnlyItsOwnFolder) {
    MakeDirs(temp / L"disque\\photos");
    MappedDrive drive(temp / L"disque");
    if (!drive.Letter()) GTEST_SKIP() << "no drive letter could be mapped";
    std::wstring letter(1, drive.Letter());
    SetLine(0, drive.Root(), temp / L"Sauv");
    Put(temp / L"disque\\photos\\ete.jpg", "jpg", noon);
    Put(temp / (L"Sauv\\" + letter + L"\\photos\\ete.jpg"), "jpg", noon);
    Put(temp / (L"Sauv\\" + letter + L"\\photos\\efface.jpg"), "x", noon);
    Put(temp / L"Sauv\\autre\\garde.txt", "x", noon);
    RemoveSurplusFiles(host);
    EXPECT_TRUE(Exists(temp / (L"Sauv\\" + letter + L"\\photos\\ete.jpg")));
    EXPECT_FALSE(Exists(temp / (L"Sauv\\" + letter + L"\\photos\\efface.jpg")));
    EXPECT_TRUE(Exists(temp / L"Sauv\\autre\\garde.txt"));
}

TEST_F(SurplusTest, AReadOnlyCopyIsMadeNormalBeforeItIsDeleted) {
    Put(Copy(L"docs\\protege.txt"), "x", noon);
    SetFileAttributesW(Copy(L"docs\\protege.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    FileOps::InjectFault(FileOps::Op::Delete, Copy(L"docs\\protege.txt"), ERROR_ACCESS_DENIED, 1);
    RemoveSurplusFiles(host);
    EXPECT_FALSE(Exists(Copy(L"docs\\protege.txt")));
    EXPECT_EQ(1, CurrentRun.FilesDeleted);
    EXPECT_EQ(0, CurrentRun.ErrorCount);
}

TEST(ShareRoot, OnlyAServerAndAShareName) {
    EXPECT_TRUE(IsShareRoot(L"\\\\serveur\\partage"));
    EXPECT_TRUE(IsShareRoot(L"\\\\serveur\\partage\\"));
    EXPECT_FALSE(IsShareRoot(L"\\\\serveur\\partage\\dossier"));
    EXPECT_FALSE(IsShareRoot(L"\\\\serveur\\"));
    EXPECT_FALSE(IsShareRoot(L"C:\\partage"));
}

}  // namespace
