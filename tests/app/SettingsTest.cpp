// The settings store: general settings, configurations, exclusion lists, command line.
#include <gtest/gtest.h>

#include "app/Settings.h"
#include "tests/support/TestSupport.h"

namespace {

class SettingsTest : public testing::Test {
protected:
    void SetUp() override {
        IniPath = dir / L"Bastide.ini";
        CurrentConfigName.clear();
        AutoLaunch = false;
        MaxLineIndex = 5;
        SizeLineArrays();
        Config = Configuration{};
        SizeLineArrays();
    }
    void Write(const std::string& text) { WriteBytes(IniPath, text); }
    std::string Text() { return ReadBytes(IniPath); }
    void Load(const std::wstring& arguments = L"") { LoadGeneralSettings(dir.Path(), arguments); }

    TempDir dir;
};

TEST_F(SettingsTest, LineCountComesFromRepertMaxWithSixAsDefault) {
    struct Case { const char* file; short expected; } cases[] = {
        {"", 5},
        {"[Position]\r\nRepertMax=0\r\n", 5},
        {"[Position]\r\nRepertMax=abc\r\n", 5},
        {"[Position]\r\nRepertMax=-3\r\n", 5},
        {"[Position]\r\nRepertMax=1\r\n", 0},
        {"[Position]\r\nRepertMax=10\r\n", 9},
        {"[Position]\r\nrepertmax= 12\r\n", 11},
        // A damaged count never builds more rows than a configuration can hold.
        {"[Position]\r\nRepertMax=30000\r\n", 11},
    };
    for (const auto& c : cases) {
        Write(c.file);
        CurrentConfigName.clear();
        Load();
        EXPECT_EQ(c.expected, MaxLineIndex) << c.file;
        EXPECT_EQ(static_cast<size_t>(c.expected) + 1, Config.Sources.size());
        EXPECT_EQ(Config.Sources.size(), Config.Destinations.size());
        EXPECT_EQ(Config.Sources.size(), Config.Selected.size());
    }
}

TEST_F(SettingsTest, ConfigurationIsChosenFromCommandLineThenConfigKeyThenGeneral) {
    Write("[Position]\r\nConfig=Maison\r\n[Maison]\r\nDescription=\"chez moi\"\r\n"
          "[Bureau]\r\nSource0=\"C:\\Travail\"\r\n[General]\r\nSource0=\"C:\\Gen\"\r\n");
    Load(L"/bureau /auto");
    EXPECT_EQ(L"Bureau", CurrentConfigName);
    EXPECT_TRUE(AutoLaunch);
    EXPECT_EQ(L"C:\\Travail", Config.Sources[0]);

    CurrentConfigName.clear();
    AutoLaunch = false;
    Load();
    EXPECT_EQ(L"Maison", CurrentConfigName);
    EXPECT_EQ(L"chez moi", Config.Description);
    EXPECT_FALSE(AutoLaunch);

    Write("[General]\r\nSource0=\"C:\\Gen\"\r\n");
    CurrentConfigName.clear();
    Load(L"/Auto/");  // the empty last piece clears the name: "Config", then "General"
    EXPECT_EQ(L"General", CurrentConfigName);
    EXPECT_EQ(L"C:\\Gen", Config.Sources[0]);
}

TEST_F(SettingsTest, UnknownConfigurationLoadsEmptyWithDefaults) {
    Write("[Position]\r\nRepertMax=3\r\n");
    Load(L"Nouvelle");
    EXPECT_EQ(L"Nouvelle", CurrentConfigName);
    EXPECT_EQ(L"00:00", Config.AutoTime);
    EXPECT_EQ(0, Config.Confirmation);
    for (const auto& source : Config.Sources) EXPECT_TRUE(source.empty());
    EXPECT_EQ(L"Ok", SoundNames[0]);
    EXPECT_EQ(L"Erreur", SoundNames[1]);
    // Nothing is written by loading.
    EXPECT_EQ("[Position]\r\nRepertMax=3\r\n", Text());
}

TEST_F(SettingsTest, ConfigurationKeysAreReadAsStored) {
    Write("[Position]\r\nRecentSeul=-1\r\nAltCopie=-1\r\nSignalOk=Cloche\r\nSignalErreur=\r\nSuiviAnalyse=-1\r\n"
          "[Doc]\r\nSource1=\"  C:\\Data  \"\r\nDestination1=\"E:\\Copie\"\r\nSelect1=1\r\n"
          "SelectP=1\r\nProgToRun=C:\\outil.bat\r\nPrmToRun=-x -y\r\nConfirmation=1\r\nModifie=1\r\n"
          "AutoSave=1\r\nAutoTime=\r\nLastSave=01/02/2026 10:11:12\r\nLastCompNbErr=12\r\n"
          "LastDureeRestErr=00:01:02\r\n");
    Load(L"doc");
    EXPECT_EQ(L"  C:\\Data  ", Config.Sources[1]);  // quotes keep the spaces
    EXPECT_EQ(L"E:\\Copie", Config.Destinations[1]);
    EXPECT_EQ(1, Config.Selected[1]);
    EXPECT_EQ(1, Config.RunProgramAfter);
    EXPECT_EQ(L"C:\\outil.bat", Config.ProgToRun);
    EXPECT_EQ(L"-x -y", Config.PrmToRun);
    EXPECT_EQ(1, Config.Confirmation);
    EXPECT_EQ(1, Config.Modifie);
    EXPECT_EQ(1, Config.AutoSave);
    EXPECT_EQ(L"00:00", Config.AutoTime);
    EXPECT_EQ(L"01/02/2026 10:11:12", Config.Last[0].Date);
    EXPECT_EQ(12, Config.Last[2].NbErr);
    EXPECT_EQ(L"00:01:02", Config.Last[1].DurationErr);
    EXPECT_EQ(-1, Options.RecentSeul);
    EXPECT_EQ(-1, Options.AltCopie);
    EXPECT_EQ(0, Options.SynchroCopie);
    EXPECT_EQ(-1, Options.SuiviAnalyse);
    EXPECT_EQ(L"Cloche", SoundNames[0]);
    EXPECT_EQ(L"Erreur", SoundNames[1]);
}

TEST_F(SettingsTest, EmptyValueDeletesKeyAndEmptyKeyDeletesSection) {
    CurrentConfigName = L"Doc";
    WriteSetting(L"Doc", L"Source0", L"\"C:\\A\"");
    WriteSetting(L"Doc", L"Source1", L"\"C:\\B\"");
    EXPECT_EQ(L"C:\\A", ReadSetting(L"Doc", L"Source0"));
    WriteSetting(L"Doc", L"Source0", L"");
    EXPECT_EQ(std::string::npos, Text().find("Source0"));
    EXPECT_EQ(std::wstring(L"Source1\0", 8), ReadSetting(L"Doc", L""));
    WriteSetting(L"", L"x", L"y");  // a flush request writes nothing
    EXPECT_EQ(std::string::npos, Text().find("x=y"));
    WriteSetting(L"Doc", L"", L"");
    EXPECT_EQ(std::string::npos, Text().find("[Doc]"));
}

TEST_F(SettingsTest, LastUsedLineIgnoresLineZero) {
    SizeLineArrays();
    EXPECT_EQ(0, LastUsedLine());
    Config.Sources[0] = L"C:\\A";
    EXPECT_EQ(0, LastUsedLine());
    Config.Sources[1] = L"C:\\B";
    Config.Destinations[4] = L"E:\\D";
    EXPECT_EQ(4, LastUsedLine());
}

TEST_F(SettingsTest, ExclusionListsTravelAsTextBetweenLines) {
    CurrentConfigName = L"Doc";
    Write("[Doc]\r\nRepExclu0_Mode=1\r\nRepExclu0_Rep1=A\r\nRepExclu0_Rep2=B\r\n"
          "RepExclu3_Mode=2\r\nRepExclu3_Rep1=X\r\nRepExclu3_Rep2=Y\r\nRepExclu3_Rep3=Z\r\nRepExclu3_Rep4=W\r\n");
    EXPECT_EQ(L"1|A|B", GetExclusionsText(0));
    EXPECT_EQ(L"", GetExclusionsText(5));

    SetExclusionsFromText(GetExclusionsText(0), 3);
    LoadExclusions(3);
    EXPECT_EQ(1, Exclusions.Mode);
    ASSERT_EQ(2, Exclusions.Count);
    EXPECT_EQ(L"A", Exclusions.List[1]);
    EXPECT_EQ(L"B", Exclusions.List[2]);
    EXPECT_EQ(std::string::npos, Text().find("RepExclu3_Rep3"));
    EXPECT_EQ(std::string::npos, Text().find("RepExclu3_Rep4"));

    SetExclusionsFromText(L"", 3);
    EXPECT_EQ(L"0", ReadSetting(L"Doc", L"RepExclu3_Mode"));
    EXPECT_EQ(L"0", GetExclusionsText(3));

    ClearExclusions(0);
    EXPECT_EQ(L"0", GetExclusionsText(0));
}

// A folder name may begin with a blank or be wrapped in quotes; the file drops both around
// a value unless the value is quoted.
TEST_F(SettingsTest, ExcludedDirectoryKeepsItsBlanksAndQuotes) {
    CurrentConfigName = L"Doc";
    Write("[Doc]\r\n");
    SetExclusionsFromText(L"2| Archives|'Vieux'|Photos\\ 2006", 1);
    EXPECT_EQ(L"2| Archives|'Vieux'|Photos\\ 2006", GetExclusionsText(1));
    EXPECT_NE(std::string::npos, Text().find("RepExclu1_Rep3=Photos\\ 2006\r\n"));
}

TEST_F(SettingsTest, ExclusionListStopsAtFirstGap) {
    CurrentConfigName = L"Doc";
    Write("[Doc]\r\nRepExclu2_Mode=2\r\nRepExclu2_Rep1=Temp\r\nRepExclu2_Rep3=Cache\r\n");
    LoadExclusions(2);
    EXPECT_EQ(2, Exclusions.Mode);
    ASSERT_EQ(1, Exclusions.Count);
    EXPECT_EQ(L"Temp", Exclusions.List[1]);
    EXPECT_EQ(L"2|Temp", GetExclusionsText(2));

    // A list carried onto the line (a line move) or cleared leaves nothing past the gap that
    // would join the new list once its keys reach the gap.
    SetExclusionsFromText(L"2|X|Y", 2);
    EXPECT_EQ(L"2|X|Y", GetExclusionsText(2));
    EXPECT_EQ(std::string::npos, Text().find("Cache"));
    Write("[Doc]\r\nRepExclu2_Mode=2\r\nRepExclu2_Rep1=Temp\r\nRepExclu2_Rep3=Cache\r\nRepExclu21_Rep3=Autre\r\n");
    ClearExclusions(2);
    EXPECT_EQ("[Doc]\r\nRepExclu2_Mode=0\r\nRepExclu21_Rep3=Autre\r\n", Text());
}

TEST_F(SettingsTest, ConfigurationsAreListedInFileOrderWithoutPosition) {
    Write("[Bureau]\r\nA=1\r\n[Position]\r\nRepertMax=6\r\n[Maison]\r\n[POSITION]\r\nB=2\r\n[Photos No\xEBl]\r\n");  // the file is in the ANSI code page
    std::vector<std::wstring> expected = {L"Bureau", L"Maison", L"Photos Noël"};
    EXPECT_EQ(expected, ConfigurationNames());
}

TEST(CommandLine, PiecesAfterSlashesNameTheConfigurationOrAskForAuto) {
    struct Case { const wchar_t* text; const wchar_t* name; bool automatic; } cases[] = {
        {L"/Auto", L"", true},
        {L"/auto", L"", true},
        {L"/AUTO", L"", true},
        {L"/bureau /auto", L"Bureau", true},
        {L"bureau", L"Bureau", false},
        {L"mes photos", L"Mes photos", false},
        {L" bureau ", L" bureau ", false},  // without a slash the text is not trimmed
        {L"x/Auto", L"", true},
        {L"/Auto/", L"", true},
        {L"/Maison/bureau", L"Bureau", false},
        {L"", L"", false},
    };
    for (const auto& c : cases) {
        CurrentConfigName.clear();
        AutoLaunch = false;
        ParseCommandLine(c.text);
        EXPECT_EQ(c.name, CurrentConfigName) << Utf8(c.text);
        EXPECT_EQ(c.automatic, AutoLaunch) << Utf8(c.text);
    }
}

TEST(AppTitle, MinorVersionHasTwoDigits) {
    EXPECT_EQ(L"Bastide Version 1.00", BuildAppTitle(1, 0));
    EXPECT_EQ(L"Bastide Version 1.05", BuildAppTitle(1, 5));
    EXPECT_EQ(L"Bastide Version 2.12", BuildAppTitle(2, 12));
    EXPECT_EQ(L"Bastide Version 3.23", BuildAppTitle(3, 123));
}

TEST(AppTitle, VersionResourceOfTheProgramIsRead) {
    int major = -1, minor = -1;
    ASSERT_TRUE(ReadProgramVersion(major, minor));
    EXPECT_EQ(L"Bastide Version 1.00", BuildAppTitle(major, minor));
}

}  // namespace
