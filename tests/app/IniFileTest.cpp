#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/IniFile.h"
#include "tests/support/TestSupport.h"

namespace {

using Query = std::pair<std::wstring, std::wstring>;  // section, key

// The system's own reader, with the 1024-character buffer the program has always used.
std::wstring SystemRead(const std::wstring& path, const std::wstring& section, const std::wstring& key) {
    wchar_t buffer[1024];
    DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer, 1024, path.c_str());
    return std::wstring(buffer, length);
}

std::wstring SystemKeyList(const std::wstring& path, const std::wstring& section) {
    wchar_t buffer[1024];
    DWORD length = GetPrivateProfileStringW(section.c_str(), nullptr, L"", buffer, 1024, path.c_str());
    return std::wstring(buffer, length);
}

std::wstring SystemSectionList(const std::wstring& path) {
    wchar_t buffer[1024];
    DWORD length = GetPrivateProfileSectionNamesW(buffer, 1024, path.c_str());
    return std::wstring(buffer, length);
}

std::string Ansi(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// The text behind a UTF-16 byte order mark, in either byte order.
std::string Utf16(const std::wstring& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : text) {
        char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

std::string Shown(const std::wstring& text) {
    std::wstring visible;
    for (wchar_t c : text) visible += c == L'\0' ? std::wstring(L"\\0") : std::wstring(1, c);
    return Utf8(visible);
}

std::vector<std::wstring> SplitList(const std::wstring& list) {
    std::vector<std::wstring> names;
    size_t start = 0;
    while (start < list.size()) {
        size_t nul = list.find(L'\0', start);
        if (nul == std::wstring::npos) nul = list.size();
        names.push_back(list.substr(start, nul - start));
        start = nul + 1;
    }
    return names;
}

// Both readers on one file: every query, the section list and the key list of every
// section the file names.
void ExpectSameAsSystem(const std::wstring& path, const std::vector<Query>& queries, const std::string& label) {
    for (const Query& query : queries) {
        EXPECT_EQ(Shown(SystemRead(path, query.first, query.second)),
                  Shown(ini::ReadString(path, query.first, query.second)))
            << label << ": [" << Utf8(query.first) << "] " << Utf8(query.second);
    }
    std::wstring sections = SystemSectionList(path);
    EXPECT_EQ(Shown(sections), Shown(ini::ReadSectionList(path))) << label;
    for (const std::wstring& section : SplitList(sections)) {
        EXPECT_EQ(Shown(SystemKeyList(path, section)), Shown(ini::ReadKeyList(path, section)))
            << label << ": keys of [" << Utf8(section) << "]";
    }
}

std::vector<Query> AllPairs(const std::vector<std::wstring>& sections, const std::vector<std::wstring>& keys) {
    std::vector<Query> queries;
    for (const auto& section : sections)
        for (const auto& key : keys) queries.emplace_back(section, key);
    return queries;
}

struct CorpusCase {
    const char* label;
    std::string text;
    std::vector<Query> queries;
};

std::vector<CorpusCase> Corpus() {
    std::string x1500(1500, 'x');
    std::string y1022(1022, 'y');
    std::string z1030(1030, 'z');
    return {
        {"settings file as written by the program",
         "[Position]\r\nRepertMax=6\r\nConfig=Travail\r\nLeft=1200\r\nRecentSeul=-1\r\n"
         "[Travail]\r\nDescription=\"Mes documents\"\r\nSource0=\"C:\\Data\"\r\nDestination0=\"E:\\Sauve\"\r\n"
         "Select0=1\r\nRepExclu0_Mode=2\r\nRepExclu0_Rep1=Temp\r\nAutoTime=08:30\r\n",
         {{L"Position", L"RepertMax"}, {L"position", L"config"}, {L"Position", L"Top"},
          {L"Travail", L"Description"}, {L"Travail", L"Source0"}, {L"TRAVAIL", L"destination0"},
          {L"Travail", L"RepExclu0_Rep1"}, {L"Travail", L"RepExclu0_Rep2"}, {L"Maison", L"Source0"}}},
        {"line feeds only, no final line end", "[S]\nk=v\nl=w\n[T]\nk=t", {{L"S", L"k"}, {L"S", L"l"}, {L"T", L"k"}}},
        {"carriage returns only", "[a]\rk=1\rj=2\r[b]\rk=3\r", {{L"a", L"k"}, {L"a", L"j"}, {L"b", L"k"}}},
        {"doubled carriage returns", "[S]\r\r\nk=v\r\r\nm=w", {{L"S", L"k"}, {L"S", L"m"}}},
        {"blanks around names, sign and value",
         "  [ Sec ]  \r\n  key  =  value  \r\n\ttab\t=\tx y\t\r\nempty=   \r\n",
         {{L"Sec", L"key"}, {L"sec", L"KEY"}, {L" Sec ", L" key "}, {L"Sec", L"tab"}, {L"Sec", L"empty"}}},
        {"first of duplicate keys and sections",
         "[S]\r\na=1\r\na=2\r\n[T]\r\nx=1\r\n[s]\r\na=3\r\nb=4\r\n",
         {{L"S", L"a"}, {L"S", L"b"}, {L"T", L"x"}, {L"s", L"a"}}},
        {"quotes",
         "[S]\r\nq1=\"  C:\\Data  \"\r\nq2='single'\r\nq3=\"half\r\nq4=\"\r\nq5=\"\"\r\nq6=\"a\"b\"\r\n"
         "q7='mixed\"\r\nq8= \"spaced\" \r\nq9=half\"\r\n",
         AllPairs({L"S"}, {L"q1", L"q2", L"q3", L"q4", L"q5", L"q6", L"q7", L"q8", L"q9"})},
        {"comments and blank lines",
         ";head comment\r\n\r\n[S]\r\n; a=1\r\nb=2\r\n\r\n   \r\n;c=3\r\nd=4\r\n\r\n[T]\r\n;only a comment\r\n",
         {{L"S", L"a"}, {L"S", L"b"}, {L"S", L"d"}, {L"T", L"x"}}},
        {"lines without an equal sign",
         "[S]\r\nnoequals\r\nk=v\r\nnoequals2\r\n", {{L"S", L"noequals"}, {L"S", L"k"}, {L"S", L"noequals2"}}},
        {"a bare word hides a later key of its name", "[S]\r\nk\r\nk=v\r\n", {{L"S", L"k"}}},
        {"long values", "[S]\r\nlong=" + x1500 + "\r\nq1022=\"" + y1022 + "\"\r\nq1030=\"" + z1030 + "\"\r\n",
         {{L"S", L"long"}, {L"S", L"q1022"}, {L"S", L"q1030"}}},
        {"keys before any section and an empty section name",
         "orphan=1\r\n[]\r\nk=2\r\n[S]\r\nk=v\r\n", {{L"S", L"orphan"}, {L"S", L"k"}, {L"", L"k"}}},
        {"section headers with text after them or no closing bracket",
         "[S] ; note\r\nk=1\r\n[a]b]\r\nk=2\r\n[T\r\nk=3\r\nm=4\r\n",
         {{L"S", L"k"}, {L"a]b", L"k"}, {L"a]b", L"m"}, {L"T", L"k"}}},
        {"equal signs inside values", "[S]\r\nk=a=b\r\nl==c\r\n", {{L"S", L"k"}, {L"S", L"l"}}},
        {"end-of-file mark", "[S]\r\nk=v\r\n\x1a", {{L"S", L"k"}}},
        {"accented names and values in the ANSI code page",
         Ansi(L"[Général]\r\nRépertoire=Données élève ç\r\nÉté=oui\r\n"),
         {{L"Général", L"Répertoire"}, {L"général", L"répertoire"}, {L"Général", L"Été"}}},
        {"UTF-8 text behind its byte order mark", "\xEF\xBB\xBF[G\xC3\xA9n\xC3\xA9ral]\r\nk=\xC3\xA7" "a\r\n",
         {{L"Général", L"k"}}},
        {"empty file", "", {{L"S", L"k"}}},
    };
}

TEST(IniRead, CorpusReadsAsTheSystemReadsIt) {
    TempDir dir;
    int index = 0;
    for (const CorpusCase& corpus : Corpus()) {
        std::wstring path = dir / (L"corpus" + std::to_wstring(index++) + L".ini");
        WriteBytes(path, corpus.text);
        ExpectSameAsSystem(path, corpus.queries, corpus.label);
    }
}

// Files assembled from the shapes real files take (spacing, quoting, comments, bare
// words, duplicates, line-end styles, a missing final line end), read by both readers.
class FileMaker {
public:
    explicit FileMaker(unsigned seed) : state_(seed) {}

    std::wstring Make() {
        static const wchar_t* const ends[] = {L"\r\n", L"\n", L"\r"};
        std::wstring end = ends[Pick(5) < 3 ? 0 : Pick(3)];
        bool mixed = Pick(6) == 0;
        std::wstring text;
        int count = 3 + static_cast<int>(Pick(14));
        for (int i = 0; i < count; ++i) {
            text += NextLine();
            text += mixed ? ends[Pick(3)] : end;
        }
        if (Pick(4) == 0) text.resize(text.find_last_not_of(L"\r\n") + 1);
        return text;
    }

    static const std::vector<std::wstring>& Sections() {
        static const std::vector<std::wstring> names = {L"Position", L"Travail", L"travail", L"Général", L"A b"};
        return names;
    }
    static const std::vector<std::wstring>& Keys() {
        static const std::vector<std::wstring> names = {L"Source0", L"source0", L"Select0", L"Description",
                                                        L"RepExclu0_Rep1", L"Clé", L"Auto Time"};
        return names;
    }

private:
    unsigned Pick(unsigned range) {
        state_ = state_ * 1103515245u + 12345u;
        return (state_ >> 16) % range;
    }

    const std::wstring& Any(const std::vector<std::wstring>& names) { return names[Pick(static_cast<unsigned>(names.size()))]; }

    std::wstring Value() {
        static const std::vector<std::wstring> values = {L"C:\\Data", L"1", L"-1", L"Données", L"a b", L"x=y", L"é"};
        std::wstring value = Any(values);
        switch (Pick(7)) {
            case 0: return L"\"" + value + L"\"";
            case 1: return L"'  " + value + L"  '";
            case 2: return L"\"" + value;
            case 3: return L"";
            default: return value;
        }
    }

    std::wstring NextLine() {
        const std::wstring& section = Any(Sections());
        const std::wstring& key = Any(Keys());
        switch (Pick(12)) {
            case 0: return L"[" + section + L"]";
            case 1: return L"  [ " + section + L" ]\t";
            case 2: return L"[" + section + L"] ; note";
            case 3: return L";" + key + L"=" + Value();
            case 4: return Pick(2) ? L"" : L"   ";
            case 5: return key;
            case 6: return L"  " + key + L" =\t" + Value() + L"  ";
            default: return key + L"=" + Value();
        }
    }

    unsigned state_;
};

TEST(IniRead, GeneratedFilesReadAsTheSystemReadsThem) {
    TempDir dir;
    std::vector<Query> queries = AllPairs(FileMaker::Sections(), FileMaker::Keys());
    for (unsigned seed = 1; seed <= 120; ++seed) {
        std::wstring text = FileMaker(seed).Make();
        std::wstring path = dir / (L"generated" + std::to_wstring(seed) + L".ini");
        WriteBytes(path, Ansi(text));
        ExpectSameAsSystem(path, queries, "seed " + std::to_string(seed) + ":\n" + Utf8(text));
        if (HasFailure()) break;
    }
}

TEST(IniRead, ListsAreCutAsTheSystemBufferCutsThem) {
    TempDir dir;
    for (int extra = 0; extra < 12; ++extra) {
        // Lengths around the end of the buffer: the cut falls inside a name, on its NUL
        // and just after it.
        std::string keys = "[Many]\r\n";
        std::string sections;
        for (int i = 0; i < 150; ++i) {
            std::string name = "Name" + std::string(static_cast<size_t>(extra), '_') + std::to_string(1000 + i);
            keys += name + "=1\r\n";
            sections += "[" + name + "]\r\n";
        }
        std::wstring keyPath = dir / (L"keys" + std::to_wstring(extra) + L".ini");
        std::wstring sectionPath = dir / (L"sections" + std::to_wstring(extra) + L".ini");
        WriteBytes(keyPath, keys);
        WriteBytes(sectionPath, sections);
        std::wstring keyList = ini::ReadKeyList(keyPath, L"Many");
        std::wstring sectionList = ini::ReadSectionList(sectionPath);
        EXPECT_EQ(1022u, keyList.size());
        EXPECT_EQ(Shown(SystemKeyList(keyPath, L"Many")), Shown(keyList)) << extra;
        EXPECT_EQ(Shown(SystemSectionList(sectionPath)), Shown(sectionList)) << extra;
    }
}

// Cases where the program keeps the documented rules rather than the system reader
// that runs these tests.
TEST(IniRead, DocumentedRulesWhereTheSystemReaderDiffers) {
    TempDir dir;
    std::wstring path = dir / L"rules.ini";
    WriteBytes(path, "[S]\r\nq=\"" + std::string(1023, 'q') + "\"\r\n;c=3\r\n=nameless\r\nk=v\r\n");
    // Quotes come off before the cut at 1023 characters: a quoted value of exactly 1023
    // characters reads back whole.
    EXPECT_EQ(std::wstring(1023, L'q'), ini::ReadString(path, L"S", L"q"));
    // A line starting with ';' is a comment, never a key.
    EXPECT_EQ(L"", ini::ReadString(path, L"S", L";c"));
    // A line "=value" has no name: it is not listed, so the list does not end at it.
    EXPECT_EQ(std::wstring(L"q\0k\0", 4), ini::ReadKeyList(path, L"S"));

    // Names match without regard to case, accented capitals included.
    std::wstring accents = dir / L"accents.ini";
    WriteBytes(accents, Ansi(L"[Général]\r\nÉté=oui\r\n"));
    EXPECT_EQ(L"oui", ini::ReadString(accents, L"GÉNÉRAL", L"été"));
}

TEST(IniRead, MissingFileOrSectionReadsEmpty) {
    TempDir dir;
    std::wstring path = dir / L"absent.ini";
    EXPECT_EQ(L"", ini::ReadString(path, L"Position", L"RepertMax"));
    EXPECT_EQ(L"", ini::ReadKeyList(path, L"Position"));
    EXPECT_EQ(L"", ini::ReadSectionList(path));
    EXPECT_EQ(L"", ini::ReadString(dir / L"no folder\\absent.ini", L"Position", L"RepertMax"));
}

// ---- Writes ----

const std::string Original =
    "; Bastide settings\r\n"
    "\r\n"
    "[Position]\r\n"
    "RepertMax = 6\r\n"
    "  Left=1200\r\n"
    "; window\r\n"
    "Top=300\r\n"
    "\r\n"
    "[Travail]\r\n"
    "Source0=\"C:\\Data\"\r\n"
    "odd line\r\n"
    "Select0=1\r\n"
    "; end of Travail\r\n"
    "\r\n"
    "[Maison]\r\n"
    "Source0=\"D:\\Photos\"";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

class IniWrite : public testing::Test {
protected:
    void SetUp() override { WriteBytes(path_, Original); }

    // Whatever was written, the system reads the file as the program does.
    void TearDown() override {
        std::vector<std::wstring> sections = SplitList(SystemSectionList(path_));
        sections.push_back(L"Nouvelle");
        ExpectSameAsSystem(path_, AllPairs(sections, {L"RepertMax", L"Left", L"Top", L"Source0", L"Select0", L"Cle"}),
                           "after the write");
    }

    bool Write(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
        return ini::WriteString(path_, section, key, value);
    }
    std::string File() const { return ReadBytes(path_); }

    TempDir dir_;
    std::wstring path_ = dir_ / L"Bastide.ini";
};

TEST_F(IniWrite, ChangesOnlyTheLineOfTheKey) {
    ASSERT_TRUE(Write(L"position", L"repertmax", L"8"));
    EXPECT_EQ(Replaced(Original, "RepertMax = 6\r\n", "RepertMax=8\r\n"), File());
    ASSERT_TRUE(Write(L"Maison", L"Source0", L"\"E:\\Images\""));
    EXPECT_EQ(Replaced(Replaced(Original, "RepertMax = 6\r\n", "RepertMax=8\r\n"), "\"D:\\Photos\"", "\"E:\\Images\""),
              File());
    EXPECT_EQ(L"E:\\Images", ini::ReadString(path_, L"Maison", L"Source0"));
}

TEST_F(IniWrite, NewKeyFollowsTheLastKeyOfItsSection) {
    ASSERT_TRUE(Write(L"Travail", L"Cle", L"valeur"));
    EXPECT_EQ(Replaced(Original, "Select0=1\r\n", "Select0=1\r\nCle=valeur\r\n"), File());
}

TEST_F(IniWrite, NewKeyInLastSectionKeepsTheMissingFinalLineEnd) {
    ASSERT_TRUE(Write(L"Maison", L"Cle", L"1"));
    EXPECT_EQ(Original + "\r\nCle=1", File());
}

TEST_F(IniWrite, NewSectionGoesAtTheEndOfTheFile) {
    ASSERT_TRUE(Write(L"Nouvelle", L"Source0", L"C:\\"));
    EXPECT_EQ(Original + "\r\n[Nouvelle]\r\nSource0=C:\\", File());
}

TEST_F(IniWrite, EmptyValueRemovesTheKeyLine) {
    ASSERT_TRUE(Write(L"Position", L"Left", L""));
    EXPECT_EQ(Replaced(Original, "  Left=1200\r\n", ""), File());
    // Absent key: nothing to do, the file is left as it is.
    ASSERT_TRUE(Write(L"Position", L"Absent", L""));
    EXPECT_EQ(Replaced(Original, "  Left=1200\r\n", ""), File());
}

TEST_F(IniWrite, EmptyKeyRemovesTheWholeSection) {
    ASSERT_TRUE(Write(L"TRAVAIL", L"", L""));
    EXPECT_EQ(Replaced(Original,
                       "[Travail]\r\nSource0=\"C:\\Data\"\r\nodd line\r\nSelect0=1\r\n; end of Travail\r\n\r\n", ""),
              File());
    ASSERT_TRUE(Write(L"Maison", L"", L""));
    EXPECT_EQ("; Bastide settings\r\n\r\n[Position]\r\nRepertMax = 6\r\n  Left=1200\r\n; window\r\nTop=300\r\n\r\n",
              File());
}

TEST_F(IniWrite, EmptySectionNameWritesNothing) {
    EXPECT_TRUE(Write(L"", L"Source0", L"x"));
    EXPECT_EQ(Original, File());
}

TEST_F(IniWrite, LineBreaksInAValueStayOnItsLine) {
    ASSERT_TRUE(Write(L"Position", L"Top", L"1\r\n[Travail]\r\nSource0=piege"));
    EXPECT_EQ(Replaced(Original, "Top=300", "Top=1  [Travail]  Source0=piege"), File());
    EXPECT_EQ(L"C:\\Data", ini::ReadString(path_, L"Travail", L"Source0"));
}

TEST(IniWriteFile, NewFileIsCreatedWithCrLf) {
    TempDir dir;
    std::wstring path = dir / L"Bastide.ini";
    EXPECT_TRUE(ini::WriteString(path, L"Travail", L"Source1", L""));
    EXPECT_TRUE(ini::WriteString(path, L"Travail", L"", L""));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str())) << "a deletion creates no file";
    ASSERT_TRUE(ini::WriteString(path, L"Position", L"RepertMax", L"6"));
    ASSERT_TRUE(ini::WriteString(path, L"Position", L"Config", L"Travail"));
    ASSERT_TRUE(ini::WriteString(path, L"Travail", L"Source0", L"\"C:\\Data\""));
    EXPECT_EQ("[Position]\r\nRepertMax=6\r\nConfig=Travail\r\n[Travail]\r\nSource0=\"C:\\Data\"\r\n", ReadBytes(path));
}

TEST(IniWriteFile, AddedLinesTakeTheLineEndOfTheFile) {
    TempDir dir;
    std::wstring path = dir / L"unix.ini";
    WriteBytes(path, "[S]\nk=1\n\n# other\n");
    ASSERT_TRUE(ini::WriteString(path, L"S", L"m", L"2"));
    ASSERT_TRUE(ini::WriteString(path, L"T", L"n", L"3"));
    EXPECT_EQ("[S]\nk=1\nm=2\n\n# other\n[T]\nn=3\n", ReadBytes(path));
}

TEST(IniWriteFile, DuplicatesAreWrittenWhereTheyAreRead) {
    TempDir dir;
    std::wstring path = dir / L"dup.ini";
    WriteBytes(path, "[S]\r\na=1\r\na=2\r\n[T]\r\n[s]\r\nb=3\r\n");
    // A key of the later duplicate section is not seen: the write goes to the first.
    ASSERT_TRUE(ini::WriteString(path, L"S", L"b", L"4"));
    ASSERT_TRUE(ini::WriteString(path, L"S", L"a", L"5"));
    EXPECT_EQ("[S]\r\na=5\r\na=2\r\nb=4\r\n[T]\r\n[s]\r\nb=3\r\n", ReadBytes(path));
    EXPECT_EQ(L"4", SystemRead(path, L"S", L"b"));
    // Deleted means gone: no duplicate takes the place of the deleted key or section.
    ASSERT_TRUE(ini::WriteString(path, L"S", L"a", L""));
    EXPECT_EQ(L"", SystemRead(path, L"S", L"a"));
    ASSERT_TRUE(ini::WriteString(path, L"s", L"", L""));
    EXPECT_EQ("[T]\r\n", ReadBytes(path));
}

TEST(IniWriteFile, QuotedValueKeepsItsSpaces) {
    TempDir dir;
    std::wstring path = dir / L"quotes.ini";
    ASSERT_TRUE(ini::WriteString(path, L"Travail", L"Source0", L"\"  C:\\Data  \""));
    EXPECT_EQ(L"  C:\\Data  ", ini::ReadString(path, L"Travail", L"Source0"));
    EXPECT_EQ(L"  C:\\Data  ", SystemRead(path, L"Travail", L"Source0"));
}

TEST(IniWriteFile, AccentsAreStoredInTheAnsiCodePage) {
    ASSERT_EQ(1252u, GetACP()) << "the tests run with the French locale";
    TempDir dir;
    std::wstring path = dir / L"accents.ini";
    ASSERT_TRUE(ini::WriteString(path, L"Général", L"Répertoire", L"Données de l'élève, façade"));
    EXPECT_EQ("[G\xE9n\xE9ral]\r\nR\xE9pertoire=Donn\xE9" "es de l'\xE9l\xE8ve, fa\xE7" "ade\r\n", ReadBytes(path));
    EXPECT_EQ(L"Données de l'élève, façade", ini::ReadString(path, L"général", L"RÉPERTOIRE"));
    EXPECT_EQ(L"Données de l'élève, façade", SystemRead(path, L"Général", L"Répertoire"));

    // A file saved as UTF-8 with its mark by an editor stays UTF-8.
    std::wstring utf8 = dir / L"utf8.ini";
    WriteBytes(utf8, "\xEF\xBB\xBF[S]\r\nk=\xC3\xA7" "a\r\n");
    ASSERT_TRUE(ini::WriteString(utf8, L"S", L"m", L"élève"));
    EXPECT_EQ("\xEF\xBB\xBF[S]\r\nk=\xC3\xA7" "a\r\nm=\xC3\xA9l\xC3\xA8ve\r\n", ReadBytes(utf8));
}

// What an ANSI file (or a missing one, which would be created ANSI) cannot hold, a Unicode
// file can.
TEST(IniWriteFile, TextThatTheFileCannotHoldIsTold) {
    TempDir dir;
    std::wstring ansi = dir / L"ansi.ini", utf8 = dir / L"utf8.ini", utf16 = dir / L"utf16.ini";
    WriteBytes(ansi, "[S]\r\n");
    WriteBytes(utf8, "\xEF\xBB\xBF[S]\r\n");
    WriteBytes(utf16, Utf16(L"[S]\r\n", false));
    struct Case {
        std::wstring path;
        const wchar_t* text;
        bool held;
    } cases[] = {
        {ansi, L"Noël", true},      {ansi, L"Maison \u4E2D", false}, {dir / L"missing.ini", L"\u0141\u00F3d\u017A", false},
        {utf8, L"Maison \u4E2D", true}, {utf16, L"Maison \u4E2D", true},
    };
    for (const Case& c : cases) EXPECT_EQ(c.held, ini::CanHold(c.path, c.text)) << Utf8(c.text);
}

// Only the lines written change, in the file's own byte order; a file that holds its mark
// alone takes UTF-16 lines too. U+0D0A and U+010A hold the bytes of a line end.
TEST(IniWriteFile, Utf16FileStaysUtf16InItsByteOrder) {
    TempDir dir;
    const std::wstring original =
        L"; réglages\r\n[Position]\nConfig=Noël\r\n[Noël]\r\nSource0=\"C:\\Données\\Ωmega\"\r\nSelect0=1\r\n\r\n"
        L"[Fin]\rk=ഊĊ";
    for (bool bigEndian : {false, true}) {
        std::wstring path = dir / (bigEndian ? L"be.ini" : L"le.ini");
        WriteBytes(path, Utf16(original, bigEndian));
        EXPECT_EQ(L"Noël", ini::ReadString(path, L"position", L"config"));
        ASSERT_TRUE(ini::WriteString(path, L"Position", L"Config", L"Été"));
        ASSERT_TRUE(ini::WriteString(path, L"Noël", L"Clé", L"ഊ"));
        ASSERT_TRUE(ini::WriteString(path, L"Noël", L"Select0", L""));
        ASSERT_TRUE(ini::WriteString(path, L"Fin", L"m", L"2"));
        EXPECT_EQ(Utf16(L"; réglages\r\n[Position]\nConfig=Été\r\n[Noël]\r\nSource0=\"C:\\Données\\Ωmega\"\r\n"
                        L"Clé=ഊ\r\n\r\n[Fin]\rk=ഊĊ\r\nm=2",
                        bigEndian),
                  ReadBytes(path));
        ExpectSameAsSystem(path, AllPairs({L"Position", L"Noël", L"Fin"}, {L"Config", L"Source0", L"Clé", L"k", L"m"}),
                           bigEndian ? "big endian" : "little endian");

        std::wstring markOnly = dir / (bigEndian ? L"be-mark.ini" : L"le-mark.ini");
        WriteBytes(markOnly, Utf16(L"", bigEndian));
        ASSERT_TRUE(ini::WriteString(markOnly, L"S", L"k", L"Noël"));
        EXPECT_EQ(Utf16(L"[S]\r\nk=Noël\r\n", bigEndian), ReadBytes(markOnly));
    }
}

// Whatever the write, a file that is not valid text in its encoding stays as it is.
TEST(IniWriteFile, FileThatIsNotTextInItsEncodingIsNeverWritten) {
    struct Case {
        const char* label;
        std::string bytes;
    } cases[] = {
        {"UTF-16 LE with an odd byte count", Utf16(L"[S]\r\nk=v\r\n", false) + "\r"},
        {"UTF-16 BE with an odd byte count", Utf16(L"[S]\r\nk=v", true) + "x"},
        {"UTF-8 mark before ANSI letters", "\xEF\xBB\xBF[S]\r\nk=No\xEBl\r\n"},
        {"UTF-32 LE mark", std::string("\xFF\xFE\0\0[\0\0\0S\0\0\0]\0\0\0", 16)},
        {"UTF-32 BE mark", std::string("\0\0\xFE\xFF\0\0\0[\0\0\0S\0\0\0]", 16)},
    };
    TempDir dir;
    std::wstring path = dir / L"Bastide.ini";
    for (const Case& c : cases) {
        WriteBytes(path, c.bytes);
        EXPECT_EQ(L"", ini::ReadString(path, L"S", L"k")) << c.label;
        EXPECT_FALSE(ini::WriteString(path, L"S", L"k", L"w")) << c.label;
        EXPECT_FALSE(ini::WriteString(path, L"S", L"", L"")) << c.label;
        EXPECT_EQ(c.bytes, ReadBytes(path)) << c.label;
    }
}

TEST(IniWriteFile, FileThatCannotBeReplacedStaysAsItWas) {
    TempDir dir;
    std::wstring path = dir / L"Bastide.ini";
    WriteBytes(path, "[Position]\r\nRepertMax=6\r\n");
    {
        // Another program holds the file: it can be read, not replaced.
        HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, holder);
        EXPECT_FALSE(ini::WriteString(path, L"Position", L"RepertMax", L"8"));
        CloseHandle(holder);
    }
    {
        // Held without any sharing: it cannot even be read, so nothing is written over it.
        HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, holder);
        EXPECT_FALSE(ini::WriteString(path, L"Position", L"RepertMax", L"9"));
        CloseHandle(holder);
    }
    EXPECT_EQ("[Position]\r\nRepertMax=6\r\n", ReadBytes(path));
    // The name is a folder: nothing can be written there.
    std::wstring folder = dir / L"dossier.ini";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_FALSE(ini::WriteString(folder, L"Position", L"RepertMax", L"8"));
    // No temporary file is left behind.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir.Path() + L"\\*").c_str(), &found);
    std::vector<std::wstring> names;
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    EXPECT_EQ((std::vector<std::wstring>{L"Bastide.ini", L"dossier.ini"}), names);
}

// ---- Numbers ----

TEST(IniNumber, ParsesAsTheRuntimeDoes) {
    struct Case {
        const wchar_t* text;
        double value;
    } cases[] = {
        {L"", 0},          {L"abc", 0},        {L"12", 12},           {L"  -1", -1},        {L"+7", 7},
        {L" 1 2", 12},     {L"\t3\n4", 34},    {L"- 5", -5},          {L"12abc", 12},       {L"1.5", 1.5},
        {L".5", 0.5},      {L"-.25x", -0.25},  {L"1.2.3", 1.2},       {L"1,5", 1},          {L"1e3", 1000},
        {L"2.5E-1", 0.25}, {L"1d2", 100},      {L"1e", 1},            {L"1e+", 1},          {L"3E 2", 300},
        {L"&HFF", 255},    {L"&hff", 255},     {L"&HFFFF", -1},       {L"&H8000", -32768},  {L"&H10000", 65536},
        {L"&HFFFFFFFF", -1}, {L"&O17", 15},    {L"&O177777", -1},     {L"&H", 0},           {L"&HG", 0},
        {L"-", 0},          {L".", 0},             {L"+-1", 0},          {L"08:30", 8},
        {L"\"5\"", 0},     {L"\r5", 0},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(c.value, ini::ParseNumber(c.text)) << Utf8(c.text);
}

TEST(IniNumber, RoundsHalvesToEvenAndHoldsToTheWidth) {
    EXPECT_EQ(2, ini::ParseLong(L"2.5"));
    EXPECT_EQ(4, ini::ParseLong(L"3.5"));
    EXPECT_EQ(-2, ini::ParseLong(L"-2.5"));
    EXPECT_EQ(3, ini::ParseLong(L"2.51"));
    EXPECT_EQ(-1, ini::ParseLong(L"-1"));
    EXPECT_EQ(2147483647L, ini::ParseLong(L"99999999999"));
    EXPECT_EQ(-2147483647L - 1, ini::ParseLong(L"-1e300"));
    EXPECT_EQ(2147483647L, ini::ParseLong(L"1e999"));
    EXPECT_EQ(0, ini::ParseLong(L"1e-999"));
    EXPECT_EQ(6, ini::ParseShort(L"6"));
    EXPECT_EQ(32767, ini::ParseShort(L"40000"));
    EXPECT_EQ(-32768, ini::ParseShort(L"-40000"));
    EXPECT_EQ(-1, ini::ParseShort(L"&HFFFF"));
    EXPECT_EQ(0, ini::ParseShort(L"0.5"));
}

}  // namespace
