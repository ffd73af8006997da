// The error log files: their names, their bytes, and their replacement.
#include "engine/ErrorLog.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "app/Utils.h"
#include "engine/FileOps.h"
#include "engine/RunState.h"
#include "engine/Walk.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::wstring Joined(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const auto& line : lines) text += line + L"\r\n";
    return text;
}

class ErrorLogTest : public EngineTest {
protected:
    std::wstring Logs() { return temp / L"prog"; }
    ErrorLogTest() { MakeDirs(Logs()); }
};

TEST(ErrorLogName, ModeLetterThenTheConfigurationNameFitForAFile) {
    EXPECT_EQ(L"S_Docs_ bureau.err", ErrorLogName(L"Docs: bureau", 0));
    EXPECT_EQ(L"R_Docs_ bureau.err", ErrorLogName(L"Docs: bureau", 1));
    EXPECT_EQ(L"C_Docs_ bureau.err", ErrorLogName(L"Docs: bureau", 2));
    EXPECT_EQ(L"S_Photos_ Noël_2020.err", ErrorLogName(L"  Photos: Noël/2020 ", 0));
    EXPECT_EQ(L"C:\\Bastide\\S_Maison.err", ErrorLogPathIn(L"C:\\Bastide", L"Maison", 0));
    // No file for a mode that does not exist.
    EXPECT_EQ(L"", ErrorLogName(L"Maison", 3));
    EXPECT_EQ(L"", ErrorLogPathIn(L"C:\\Bastide", L"Maison", -1));
    EXPECT_FALSE(WriteErrorLog(ErrorLogPathIn(L"C:\\Bastide", L"Maison", 3), L"x\r\n"));
}

TEST_F(ErrorLogTest, ConfigurationsDifferingInAReplacedCharacterShareTheirLogs) {
    for (wchar_t c : std::wstring(L"<>|\\/*:?\"")) {
        std::wstring name = std::wstring(L"Docs") + c + L"bureau";
        EXPECT_EQ(ErrorLogPathIn(Logs(), L"Docs_bureau", 0), ErrorLogPathIn(Logs(), name, 0)) << Utf8(name);
    }
    ASSERT_TRUE(WriteErrorLog(ErrorLogPathIn(Logs(), L"Docs:bureau", 0), L"Début de la Sauvegarde ...\r\n"));
    EXPECT_EQ(L"Début de la Sauvegarde ...\r\n", ReadErrorLog(ErrorLogPathIn(Logs(), L"Docs?bureau", 0)));
    ASSERT_TRUE(WriteErrorLog(ErrorLogPathIn(Logs(), L"Docs?bureau", 0), L"autre\r\n"));
    EXPECT_EQ(L"autre\r\n", ReadErrorLog(ErrorLogPathIn(Logs(), L"Docs:bureau", 0)));
    EXPECT_EQ(std::vector<std::wstring>{L"S_Docs_bureau.err"}, NamesIn(Logs()));
}

TEST_F(ErrorLogTest, FileHoldsTheRunLogInTheAnsiCodePageAndNothingElse) {
    std::wstring path = ErrorLogPathIn(Logs(), L"Maison", 0);
    std::wstring log =
        L"Début de la Sauvegarde ...\r\n"
        L"Erreur: 5 - Fichier: C:\\Noël\\été.txt\r\n"
        L"Fin de la Sauvegarde ... 1 erreur(s).\r\n";
    ASSERT_TRUE(WriteErrorLog(path, log));
    EXPECT_EQ(std::string("D\xE9""but de la Sauvegarde ...\r\n"
                          "Erreur: 5 - Fichier: C:\\No\xEBl\\\xE9t\xE9.txt\r\n"
                          "Fin de la Sauvegarde ... 1 erreur(s).\r\n"),
              ReadBytes(path));
    EXPECT_EQ(log, ReadErrorLog(path));
    // The temporary file is gone once the log is in place.
    EXPECT_EQ(std::vector<std::wstring>{L"S_Maison.err"}, NamesIn(Logs()));

    // A shorter log leaves nothing of the longer one behind.
    ASSERT_TRUE(WriteErrorLog(path, L"Début\r\n"));
    EXPECT_EQ(std::string("D\xE9""but\r\n"), ReadBytes(path));
}

TEST_F(ErrorLogTest, FailedWriteKeepsThePreviousLog) {
    std::wstring path = ErrorLogPathIn(Logs(), L"Maison", 1);
    ASSERT_TRUE(WriteErrorLog(path, L"ancien\r\n"));
    std::wstring bigLog(200000, L'x');

    struct Case { FileOps::Op op; DWORD error; const char* what; } cases[] = {
        {FileOps::Op::Write, ERROR_DISK_FULL, "disk full while writing"},
        {FileOps::Op::CreateWrite, ERROR_WRITE_PROTECT, "write-protected folder"},
    };
    for (const auto& c : cases) {
        FileOps::InjectFault(c.op, Logs() + L"\\*", c.error);
        EXPECT_FALSE(WriteErrorLog(path, bigLog)) << c.what;
        FileOps::ClearFaults();
        EXPECT_EQ("ancien\r\n", ReadBytes(path)) << c.what;
        EXPECT_EQ(std::vector<std::wstring>{L"R_Maison.err"}, NamesIn(Logs())) << c.what;
    }

    {
        // Another program holds the old log without sharing: it cannot be replaced.
        HeldFile held(path);
        EXPECT_FALSE(WriteErrorLog(path, L"nouveau\r\n"));
    }
    EXPECT_EQ("ancien\r\n", ReadBytes(path));
    EXPECT_EQ(std::vector<std::wstring>{L"R_Maison.err"}, NamesIn(Logs()));

    EXPECT_FALSE(WriteErrorLog(ErrorLogPathIn(temp / L"absent", L"Maison", 1), L"x\r\n"));
}

TEST_F(ErrorLogTest, MissingOrUnreadableLogReadsAsEmpty) {
    EXPECT_EQ(L"", ReadErrorLog(ErrorLogPathIn(Logs(), L"Maison", 2)));
    // A folder carrying the log's name is no log.
    MakeDirs(ErrorLogPathIn(Logs(), L"Maison", 2));
    EXPECT_EQ(L"", ReadErrorLog(ErrorLogPathIn(Logs(), L"Maison", 2)));
    EXPECT_EQ(L"", ReadErrorLog(ErrorLogPathIn(L"Q:\\nulle\\part", L"Maison", 2)));
}

TEST_F(ErrorLogTest, WriteByModeUsesTheCurrentConfigurationInTheProgramFolder) {
    std::wstring saved = CurrentConfigName;
    CurrentConfigName = L"Essai \"journal\" " + std::to_wstring(GetCurrentProcessId());
    std::wstring path = ErrorLogPath(CurrentConfigName, 2);
    EXPECT_EQ(ProgramDirectory() + L"\\C_Essai _journal_ " + std::to_wstring(GetCurrentProcessId()) + L".err",
              path);
    bool written = WriteErrorLog(2, L"une ligne\r\n");
    std::string bytes = ReadBytes(path);
    DeleteFileW(path.c_str());
    CurrentConfigName = saved;
    ASSERT_TRUE(written);
    EXPECT_EQ("une ligne\r\n", bytes);
}

// The log of a comparison as the run window builds it from the engine's lines: one line
// per differing file between the "*****" headers, none for a file up to date.
TEST_F(ErrorLogTest, ComparisonLogHasOneLinePerDifferingFile) {
    std::wstring src = temp / L"src\\Docs";
    std::wstring copy = temp / L"dst\\Docs";
    MakeDirs(src);
    MakeDirs(copy);
    FILETIME noon = TimeAt(2023, 6, 1, 12, 0, 0);
    FILETIME later = TimeAt(2023, 6, 2, 12, 0, 0);
    WriteFileAt(src + L"\\nouveau.txt", "n", noon);
    WriteFileAt(src + L"\\Noël.txt", "new", later);
    WriteFileAt(copy + L"\\Noël.txt", "old", noon);
    WriteFileAt(src + L"\\égal.txt", "same", noon);
    WriteFileAt(copy + L"\\égal.txt", "same", noon);
    WriteFileAt(src + L"\\vieux.txt", "v", noon);
    WriteFileAt(copy + L"\\vieux.txt", "v", later);

    view.log.push_back(L"Début de la Comparaison ...");
    view.log.push_back(L"***** Sauvegarde n°1");
    RunMode = 2;
    ProcessLine(src, temp / L"dst", true);
    RunMode = 0;
    view.log.push_back(L"***** Fin de la comparaison");

    std::wstring path = ErrorLogPathIn(Logs(), L"Maison", 2);
    ASSERT_TRUE(WriteErrorLog(path, Joined(view.log)));
    std::vector<std::wstring> lines = SplitLines(text::FromAnsi(ReadBytes(path)));
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ(L"***** Sauvegarde n°1", lines[1]);
    EXPECT_EQ(L"***** Fin de la comparaison", lines[5]);
    std::vector<std::wstring> files(lines.begin() + 2, lines.begin() + 5);
    std::sort(files.begin(), files.end());
    std::vector<std::wstring> expected = {
        copy + L"\\Noël.txt est plus ancien",
        copy + L"\\nouveau.txt n'existe pas",
        copy + L"\\vieux.txt est plus récent",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, files);
    EXPECT_EQ(3, CurrentRun.FilesToCopy);
}

}  // namespace
