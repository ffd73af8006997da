// The About box and the start with Windows, read back through the registry.
#include "app/frmAbout.h"

#include <gtest/gtest.h>

#include "app/Settings.h"
#include "app/Utils.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WhenShown.h"

namespace {

class AboutTest : public testing::Test {
protected:
    AboutTest() : savedIni_(IniPath), savedFlag_(AutoStartFlag) {
        IniPath = dir / L"Bastide.ini";
        for (int i = 0; i < 2; ++i) saved_[i] = RunValue(Hives[i]);
        // Left behind, a value would start a program with every session of the test prefix.
        ForgetRunValues();
    }
    ~AboutTest() override {
        ForgetRunValues();
        for (int i = 0; i < 2; ++i) {
            if (!saved_[i].empty()) SetRegistryValue(Hives[i], RunKey, L"Bastide", saved_[i], 0, REG_SZ);
        }
        IniPath = savedIni_;
        AutoStartFlag = savedFlag_;
    }

    static std::wstring RunValue(HKEY hive) { return ReadRegistryText(hive, RunKey, L"Bastide"); }
    static void ForgetRunValues() {
        for (HKEY hive : Hives) DeleteRegistryValue(hive, RunKey, L"Bastide");
    }
    // The settings file holds the flag as the program last stored it.
    void StoredFlag(const char* flag) {
        WriteBytes(IniPath, std::string("[Position]\r\nAutoStart=") + flag + "\r\n[Maison]\r\nSource0=\"C:\\A\"\r\n");
        AutoStartFlag = ReadSettingShort(PositionSection, L"AutoStart");
    }
    // Opens the box, leaves its check box ticked or not, and closes it.
    void OpenAndClose(const std::wstring& program, bool ticked) {
        frmAbout box;
        ASSERT_TRUE(box.Load(nullptr, program));
        SendMessageW(box.AutoCheck(), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
        box.OnCmdOKClick();
        ASSERT_EQ(nullptr, box.Handle());
    }

    inline static const HKEY Hives[2] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
    TempDir dir;
    ScopedUi ui;

private:
    std::wstring savedIni_;
    short savedFlag_;
    std::wstring saved_[2];
};

TEST_F(AboutTest, TickingRegistersTheProgramForTheCurrentUserOnly) {
    struct Case {
        const wchar_t* program;
        const wchar_t* runValue;
    } cases[] = {
        {L"C:\\Outils\\Bastide.exe", L"C:\\Outils\\Bastide.exe"},
        // Unquoted, Windows would try C:\Program.exe first.
        {L"C:\\Program Files\\Bastide\\Bastide.exe", L"\"C:\\Program Files\\Bastide\\Bastide.exe\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.program));
        StoredFlag("0");
        OpenAndClose(c.program, true);
        EXPECT_EQ(L"-1", ReadSetting(PositionSection, L"AutoStart"));
        EXPECT_EQ(-1, AutoStartFlag);
        EXPECT_EQ(c.runValue, RunValue(HKEY_CURRENT_USER));
        EXPECT_EQ(L"", RunValue(HKEY_LOCAL_MACHINE));
        ForgetRunValues();
    }
}

TEST_F(AboutTest, UntickingRemovesTheProgramFromBothHives) {
    StoredFlag("-1");
    SetRegistryValue(HKEY_CURRENT_USER, RunKey, L"Bastide", L"C:\\Outils\\Bastide.exe", 0, REG_SZ);
    SetRegistryValue(HKEY_LOCAL_MACHINE, RunKey, L"Bastide", L"C:\\Outils\\Bastide.exe", 0, REG_SZ);
    for (HKEY hive : Hives) ASSERT_EQ(L"C:\\Outils\\Bastide.exe", RunValue(hive));
    OpenAndClose(L"C:\\Outils\\Bastide.exe", false);
    EXPECT_EQ(L"0", ReadSetting(PositionSection, L"AutoStart"));
    EXPECT_EQ(0, AutoStartFlag);
    EXPECT_EQ(L"", RunValue(HKEY_CURRENT_USER));
    EXPECT_EQ(L"", RunValue(HKEY_LOCAL_MACHINE));
}

// The registry is touched only when the switch changes: a program moved since it was
// registered keeps its old path until the box is cleared and ticked again.
TEST_F(AboutTest, ClosingWithoutAChangeWritesNothing) {
    struct Case {
        const char* flag;
        bool ticked;
        const wchar_t* runValue;
    } cases[] = {{"-1", true, L"C:\\Ancien\\Bastide.exe"}, {"0", false, L""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flag);
        StoredFlag(c.flag);
        if (*c.runValue) SetRegistryValue(HKEY_CURRENT_USER, RunKey, L"Bastide", c.runValue, 0, REG_SZ);
        std::string before = ReadBytes(IniPath);
        frmAbout box;
        ASSERT_TRUE(box.Load(nullptr, L"C:\\Nouveau\\Bastide.exe"));
        EXPECT_EQ(c.ticked, SendMessageW(box.AutoCheck(), BM_GETCHECK, 0, 0) == BST_CHECKED);
        box.OnCmdOKClick();
        EXPECT_EQ(before, ReadBytes(IniPath));
        EXPECT_EQ(c.runValue, RunValue(HKEY_CURRENT_USER));
        EXPECT_EQ(L"", RunValue(HKEY_LOCAL_MACHINE));
        ForgetRunValues();
    }
}

// Escape leaves the box as OK does, and the switch is applied for this very program.
TEST_F(AboutTest, EscapeClosesTheBoxAndAppliesTheSwitch) {
    StoredFlag("0");
    WhenShown(L"BastideFrmAbout", [](HWND box) {
        EXPECT_EQ(L"À propos de Bastide", Form::GetText(box));
        SendMessageW(GetDlgItem(box, 101), BM_CLICK, 0, 0);
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    ShowAboutBox(nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program = path;
    if (program.find(L' ') != std::wstring::npos) program = L'"' + program + L'"';
    EXPECT_EQ(program, RunValue(HKEY_CURRENT_USER));
    EXPECT_EQ(L"-1", ReadSetting(PositionSection, L"AutoStart"));
    ASSERT_FALSE(ui.sounds.empty());
    EXPECT_EQ(L"SystemStart", ui.sounds[0].first);
}

}  // namespace
