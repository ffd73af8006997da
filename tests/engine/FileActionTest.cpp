#include "engine/FileAction.h"

#include "app/Settings.h"
#include "engine/FileOps.h"
#include "engine/RunState.h"
#include "common/TempName.h"
#include "engine/SafeCopy.h"
#include "engine/Walk.h"
#include "tests/engine/EngineTestSupport.h"

namespace {
const FILETIME Noon = TimeAt(2021, 6, 15, 12, 0, 0);
const FILETIME OneOClock = TimeAt(2021, 6, 15, 13, 0, 0);
const FILETIME Earlier = TimeAt(2021, 6, 14, 8, 30, 0);
const FILETIME Later = TimeAt(2021, 6, 15, 14, 30, 0);

bool NoTemporaryIn(const std::wstring& directory) {
    for (const std::wstring& name : NamesIn(directory))
        if (IsTemporaryName(name)) return false;
    return true;
}
}  // namespace

class FileActionTest : public EngineTest {
protected:
    FileActionTest() {
        MakeDirs(Src());
        MakeDirs(Copy());
    }
    std::wstring Src() { return temp / L"src\\Docs"; }
    std::wstring Copy() { return temp / L"dst\\Docs"; }
    std::wstring Dst() { return temp / L"dst"; }

    void Pair(const std::wstring& name, const std::string& source, const FILETIME& sourceTime,
              const std::string& copy, const FILETIME& copyTime) {
        WriteFileAt(Src() + L"\\" + name, source, sourceTime);
        WriteFileAt(Copy() + L"\\" + name, copy, copyTime);
    }

    std::vector<std::wstring> Compare() {
        RunMode = 2;
        ProcessLine(Src(), Dst(), true);
        RunMode = 0;
        std::vector<std::wstring> lines = view.comparison;
        view.comparison.clear();
        return lines;
    }
};

TEST_F(FileActionTest, DecisionByTimeOnly) {
    Pair(L"meme.txt", "abc", Noon, "abcdef", Noon);       // same time, other size: left alone
    Pair(L"neuf.txt", "new", Later, "old", Noon);         // source newer
    Pair(L"vieux.txt", "old", Earlier, "new", Noon);      // source older
    WriteFileAt(Src() + L"\\absent.txt", "a", Noon);

    std::wstring d = Copy() + L"\\";
    EXPECT_EQ((std::vector<std::wstring>{d + L"absent.txt n'existe pas", d + L"neuf.txt est plus ancien",
                                         d + L"vieux.txt est plus récent"}),
              Compare());

    Options.RecentSeul = -1;
    EXPECT_EQ((std::vector<std::wstring>{d + L"absent.txt n'existe pas", d + L"neuf.txt est plus ancien"}),
              Compare());

    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ("abcdef", ReadBytes(d + L"meme.txt"));
    EXPECT_EQ("new", ReadBytes(d + L"neuf.txt"));
    EXPECT_EQ("new", ReadBytes(d + L"vieux.txt"));  // the newer copy is kept
    EXPECT_EQ("a", ReadBytes(d + L"absent.txt"));

    CurrentRun = RunState{};
    Options.RecentSeul = 0;
    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ("old", ReadBytes(d + L"vieux.txt"));
}

TEST_F(FileActionTest, OneHourAheadCountsAsEqualWithRecentSeul) {
    Pair(L"ete.txt", "same", OneOClock, "same", Noon);
    std::wstring line = Copy() + L"\\ete.txt est plus ancien";

    EXPECT_EQ(std::vector<std::wstring>{line}, Compare());  // RecentSeul off: no correction
    Options.RecentSeul = -1;
    EXPECT_TRUE(Compare().empty());
    Options.CorrectEteOff = -1;
    EXPECT_EQ(std::vector<std::wstring>{line}, Compare());

    // Only exactly one hour on the clock: one second more is a difference.
    Options.CorrectEteOff = 0;
    WriteFileAt(Src() + L"\\ete.txt", "same", TimeAt(2021, 6, 15, 13, 0, 1));
    EXPECT_EQ(std::vector<std::wstring>{line}, Compare());
}

TEST_F(FileActionTest, ModifieZeroCopiesEverythingAndAsksForExistingCopies) {
    Config.Modifie = 0;
    CurrentRun.AskConfirmation = true;
    Pair(L"a.txt", "a2", Noon, "a1", Noon);  // up to date by the comparison rules
    WriteFileAt(Src() + L"\\b.txt", "b", Noon);
    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ(3, CurrentRun.TotalBytes);
    EXPECT_EQ("a2", ReadBytes(Copy() + L"\\a.txt"));
    EXPECT_EQ("b", ReadBytes(Copy() + L"\\b.txt"));
    EXPECT_EQ(std::vector<std::wstring>{L"a.txt"}, view.questions);  // a new copy needs no question

    // A comparison still compares.
    EXPECT_TRUE(Compare().empty());
}

TEST_F(FileActionTest, AllStopsTheQuestions) {
    for (const wchar_t* name : {L"1.txt", L"2.txt", L"3.txt"}) Pair(name, "new", OneOClock, "old", Noon);
    CurrentRun.AskConfirmation = true;
    view.answers = {ConfirmAnswer::No, ConfirmAnswer::All};
    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ((std::vector<std::wstring>{L"1.txt", L"2.txt"}), view.questions);
    EXPECT_EQ("old", ReadBytes(Copy() + L"\\1.txt"));
    EXPECT_EQ("new", ReadBytes(Copy() + L"\\2.txt"));
    EXPECT_EQ("new", ReadBytes(Copy() + L"\\3.txt"));
    EXPECT_FALSE(CurrentRun.AskConfirmation);
}

TEST_F(FileActionTest, CancelLeavesTheFileAndEndsTheRun) {
    for (const wchar_t* name : {L"1.txt", L"2.txt", L"3.txt"}) Pair(name, "new", OneOClock, "old", Noon);
    CurrentRun.AskConfirmation = true;
    view.answers = {ConfirmAnswer::Yes, ConfirmAnswer::Cancel};
    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ("new", ReadBytes(Copy() + L"\\1.txt"));
    EXPECT_EQ("old", ReadBytes(Copy() + L"\\2.txt"));
    EXPECT_EQ("old", ReadBytes(Copy() + L"\\3.txt"));
    EXPECT_EQ(2u, view.questions.size());
    EXPECT_TRUE(CurrentRun.Aborted);
    EXPECT_EQ(0, CurrentRun.ErrorCount);
}

TEST_F(FileActionTest, InterruptionTakesEffectAfterTheCurrentFile) {
    WriteFileAt(Src() + L"\\1.txt", "1", Noon);
    WriteFileAt(Src() + L"\\2.txt", "2", Noon);
    ProcessLine(Src(), Dst(), true);
    view.onEvents = [] {
        if (!CurrentRun.AnalysisOnly && CurrentRun.CopiedBytes > 0) CurrentRun.Aborted = true;
    };
    ProcessLine(Src(), Dst(), false);
    EXPECT_TRUE(Exists(Copy() + L"\\1.txt"));
    EXPECT_FALSE(Exists(Copy() + L"\\2.txt"));
}

TEST_F(FileActionTest, CopyKeepsTimeAndAttributesAndShowsProgress) {
    WriteFileAt(Src() + L"\\cache.txt", std::string(100, 'c'), Earlier);
    WriteFileAt(Src() + L"\\plein.txt", std::string(300, 'p'), Noon);
    SetFileAttributesW((Src() + L"\\cache.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    AnalyseAndCopy(Src(), Dst());

    FILETIME copied = LastWriteOf(Copy() + L"\\cache.txt");
    EXPECT_EQ(0, CompareFileTime(&Earlier, &copied));
    EXPECT_TRUE(AttributesOf(Copy() + L"\\cache.txt") & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(L"100% copiés (400 octets de 400 octets)", view.labels[3]);
    EXPECT_EQ(L"De: " + Src() + L"\\", view.labels[0]);
    EXPECT_EQ(L"Vers: " + Copy() + L"\\", view.labels[1]);
    EXPECT_EQ(L"plein.txt", view.labels[4]);
    EXPECT_EQ(100, view.progress.back());
    EXPECT_TRUE(NoTemporaryIn(Copy()));
}

TEST_F(FileActionTest, ReadOnlySourceAndDelReadOnly) {
    WriteFileAt(Src() + L"\\lecture.txt", "r", Noon);
    SetFileAttributesW((Src() + L"\\lecture.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    AnalyseAndCopy(Src(), Dst());
    EXPECT_TRUE(AttributesOf(Copy() + L"\\lecture.txt") & FILE_ATTRIBUTE_READONLY);

    SetFileAttributesW((Copy() + L"\\lecture.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW((Copy() + L"\\lecture.txt").c_str());
    CurrentRun = RunState{};
    Options.DelReadOnly = -1;
    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ("r", ReadBytes(Copy() + L"\\lecture.txt"));
    EXPECT_FALSE(AttributesOf(Copy() + L"\\lecture.txt") & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW((Src() + L"\\lecture.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileActionTest, SynchroDateGivesTheCopyTheSourceTimes) {
    std::wstring source = Src() + L"\\t.txt";
    WriteFileAt(source, "t", Noon);
    HANDLE file = CreateFileW(source.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, &Earlier, nullptr);
    CloseHandle(file);
    Options.SynchroDate = -1;
    AnalyseAndCopy(Src(), Dst());
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW((Copy() + L"\\t.txt").c_str(), GetFileExInfoStandard, &data);
    EXPECT_EQ(0, CompareFileTime(&Earlier, &data.ftLastAccessTime));
    EXPECT_EQ(0, CompareFileTime(&Noon, &data.ftLastWriteTime));
}

struct FailureCase {
    FileOps::Op op;
    DWORD error;
};

class CopyFailureTest : public FileActionTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(CopyFailureTest, FailedTwiceIsCountedLoggedAndStopsTheRun) {
    Pair(L"a.txt", "new", OneOClock, "old", Noon);
    WriteFileAt(Src() + L"\\b.txt", "b", Noon);
    std::wstring source = Src() + L"\\a.txt";
    const FailureCase& failure = GetParam();
    bool throughSource = failure.op == FileOps::Op::OpenRead || failure.op == FileOps::Op::Read;
    FileOps::InjectFault(failure.op, throughSource ? source : Copy() + L"\\*", failure.error);

    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ(1, CurrentRun.ErrorCount);
    EXPECT_EQ(1, view.firstErrors);
    EXPECT_EQ(std::vector<std::wstring>{L"Erreur: " + std::to_wstring(failure.error) + L" - Fichier: " + source},
              view.log);
    EXPECT_TRUE(CurrentRun.Aborted);
    EXPECT_EQ(static_cast<int32_t>(failure.error), CurrentRun.LastCopyError);
    EXPECT_EQ(L"", CurrentRun.BusyFile);
    // The old copy is untouched, nothing half-written is left, and the size still counts.
    EXPECT_EQ("old", ReadBytes(Copy() + L"\\a.txt"));
    EXPECT_TRUE(NoTemporaryIn(Copy()));
    EXPECT_FALSE(Exists(Copy() + L"\\b.txt"));
    EXPECT_EQ(3, CurrentRun.CopiedBytes);
}

INSTANTIATE_TEST_SUITE_P(ErrorCodes, CopyFailureTest,
                         testing::Values(FailureCase{FileOps::Op::CreateWrite, ERROR_PATH_NOT_FOUND},
                                         FailureCase{FileOps::Op::CreateWrite, ERROR_ACCESS_DENIED},
                                         FailureCase{FileOps::Op::CreateWrite, ERROR_WRITE_PROTECT},
                                         FailureCase{FileOps::Op::CreateWrite, ERROR_NOT_READY},
                                         FailureCase{FileOps::Op::CreateWrite, ERROR_GEN_FAILURE},
                                         FailureCase{FileOps::Op::OpenRead, ERROR_LOCK_VIOLATION},
                                         FailureCase{FileOps::Op::Write, ERROR_DISK_FULL},
                                         FailureCase{FileOps::Op::Rename, ERROR_ACCESS_DENIED},
                                         FailureCase{FileOps::Op::Read, ERROR_IO_DEVICE}));

TEST_F(FileActionTest, FileInUseNamesTheBusyFile) {
    WriteFileAt(Src() + L"\\ouvert.doc", "doc", Noon);
    HeldFile held(Src() + L"\\ouvert.doc");
    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ(32, CurrentRun.LastCopyError);
    EXPECT_EQ(L"ouvert.doc", CurrentRun.BusyFile);
    EXPECT_EQ(std::vector<std::wstring>{L"Erreur: 32 - Fichier: " + Src() + L"\\ouvert.doc"}, view.log);
    EXPECT_FALSE(Exists(Copy() + L"\\ouvert.doc"));
    EXPECT_TRUE(NoTemporaryIn(Copy()));
}

TEST_F(FileActionTest, ContinueOnErrorKeepsGoingWithoutAnOutcomeCode) {
    Options.ContinueOnError = -1;
    WriteFileAt(Src() + L"\\1.doc", "1", Noon);
    WriteFileAt(Src() + L"\\2.doc", "2", Noon);
    WriteFileAt(Src() + L"\\3.doc", "3", Noon);
    HeldFile held1(Src() + L"\\1.doc");
    HeldFile held2(Src() + L"\\2.doc");
    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ(2, CurrentRun.ErrorCount);
    EXPECT_EQ(1, view.firstErrors);
    EXPECT_EQ(2u, view.log.size());
    EXPECT_FALSE(CurrentRun.Aborted);
    EXPECT_EQ(0, CurrentRun.LastCopyError);
    EXPECT_EQ(L"", CurrentRun.BusyFile);
    EXPECT_EQ("3", ReadBytes(Copy() + L"\\3.doc"));
    EXPECT_EQ(L"100% copiés (3 octets de 3 octets)", view.labels[3]);
}

TEST_F(FileActionTest, FirstFailureIsRetriedOverANormalFile) {
    Pair(L"a.txt", "new", OneOClock, "old", Noon);
    SetFileAttributesW((Copy() + L"\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    FileOps::InjectFault(FileOps::Op::Rename, Copy() + L"\\*", ERROR_ACCESS_DENIED, 1);
    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ(0, CurrentRun.ErrorCount);
    EXPECT_EQ("new", ReadBytes(Copy() + L"\\a.txt"));
    EXPECT_FALSE(AttributesOf(Copy() + L"\\a.txt") & FILE_ATTRIBUTE_HIDDEN);
}

TEST_F(FileActionTest, CopyInterruptedHalfWayLeavesTheOldCopy) {
    std::string big(3 * 1024 * 1024 + 17, 'n');
    Pair(L"gros.bin", big, OneOClock, "old", Noon);
    // The second block fails, at the first attempt and at the retry: the disk is full.
    FileOps::InjectFault(FileOps::Op::Write, Copy() + L"\\*", ERROR_DISK_FULL, 2);
    FileOps::InjectFault(FileOps::Op::Write, Copy() + L"\\*", ERROR_DISK_FULL, 4);
    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ(112, CurrentRun.LastCopyError);
    EXPECT_EQ("old", ReadBytes(Copy() + L"\\gros.bin"));
    EXPECT_TRUE(NoTemporaryIn(Copy()));

    // Cancelled from the progress of the first block: the same.
    FileOps::ClearFaults();
    CurrentRun = RunState{};
    view.log.clear();
    ProcessLine(Src(), Dst(), true);
    view.onEvents = [] {
        if (!CurrentRun.AnalysisOnly && CurrentRun.PercentDone > 0) CurrentRun.CopyCancel = 1;
    };
    ProcessLine(Src(), Dst(), false);
    EXPECT_EQ(static_cast<int32_t>(ERROR_REQUEST_ABORTED), CurrentRun.LastCopyError);
    EXPECT_EQ("old", ReadBytes(Copy() + L"\\gros.bin"));
    EXPECT_TRUE(NoTemporaryIn(Copy()));

    // And the block copy shows each block's progress.
    view.onEvents = nullptr;
    CurrentRun = RunState{};
    view.progress.clear();
    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ(big, ReadBytes(Copy() + L"\\gros.bin"));
    EXPECT_GE(view.progress.size(), 4u);
}

TEST_F(FileActionTest, PlainSystemCopyIsAlsoFailSafe) {
    Options.AltCopie = -1;
    Pair(L"a.txt", "new", OneOClock, "old", Noon);
    FileOps::InjectFault(FileOps::Op::Move, Copy() + L"\\a.txt", ERROR_ACCESS_DENIED);
    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ(5, CurrentRun.LastCopyError);
    EXPECT_EQ("old", ReadBytes(Copy() + L"\\a.txt"));
    EXPECT_TRUE(NoTemporaryIn(Copy()));

    FileOps::ClearFaults();
    CurrentRun = RunState{};
    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ("new", ReadBytes(Copy() + L"\\a.txt"));
    FILETIME copied = LastWriteOf(Copy() + L"\\a.txt");
    EXPECT_EQ(0, CompareFileTime(&OneOClock, &copied));
}

TEST_F(FileActionTest, SurplusBranchDeletesWithoutLogging) {
    // The walk runs over the copy, compared with the source.
    WriteFileAt(Copy() + L"\\orphelin.txt", "o", Noon);
    Pair(L"taille.txt", "12", Noon, "1", Noon);  // equal times: kept
    CurrentRun.SurplusPass = true;
    ProcessLine(Copy(), temp / L"src", true);
    EXPECT_FALSE(Exists(Copy() + L"\\orphelin.txt"));
    EXPECT_TRUE(Exists(Copy() + L"\\taille.txt"));
    EXPECT_EQ(1, CurrentRun.FilesDeleted);
    EXPECT_EQ(L"1 fichier(s) effacé(s) sur la destination ", view.labels[3]);
    EXPECT_TRUE(view.log.empty());
}

TEST_F(FileActionTest, NamesOutsideTheAnsiCodePageAndLongNames) {
    std::wstring longName(200, L'l');
    longName += L".txt";
    std::vector<std::wstring> names = {L"Noël à l'été.txt", L"日本語のファイル.txt", L"Ελληνικά.doc",
                                       L"Ёжик.txt", longName};
    MakeDirs(Src() + L"\\Società");
    for (const std::wstring& name : names) WriteFileAt(Src() + L"\\Società\\" + name, Utf8(name), Noon);
    // A path far past the classic limit of 260 characters.
    std::wstring deep = Src() + L"\\" + std::wstring(120, L'p') + L"\\" + std::wstring(120, L'q');
    MakeDirs(L"\\\\?\\" + deep);
    WriteFileAt(L"\\\\?\\" + deep + L"\\" + longName, "deep", Noon);

    AnalyseAndCopy(Src(), Dst());
    EXPECT_EQ(0, CurrentRun.ErrorCount);
    for (const std::wstring& name : names) {
        EXPECT_EQ(Utf8(name), ReadBytes(Copy() + L"\\Società\\" + name)) << Utf8(name);
    }
    std::wstring deepCopy = Copy() + deep.substr(Src().size()) + L"\\" + longName;
    EXPECT_GT(deepCopy.size(), 300u);
    EXPECT_EQ("deep", ReadBytes(L"\\\\?\\" + deepCopy));

    // Everything is up to date afterwards.
    CurrentRun = RunState{};
    ProcessLine(Src(), Dst(), true);
    EXPECT_EQ(0, CurrentRun.TotalBytes);
    RemoveTree(L"\\\\?\\" + Src() + L"\\" + std::wstring(120, L'p'));
    RemoveTree(L"\\\\?\\" + Copy() + L"\\" + std::wstring(120, L'p'));
}
