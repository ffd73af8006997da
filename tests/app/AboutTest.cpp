// The About box and the start with Windows, read back through the registry.
#include "app/frmAbout.h"

#include <gtest/gtest.h>

#include "app/Settings.h"
#include "app/Utils.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WhenShown.h"

namespace {

const HKEY Hives[2] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};

std::wstring RunValue(HKEY hive) { return ReadRegistryText(hive, RunKey, L"Bastide"); }
void SetRunValue(HKEY hive, const std::wstring& value) { SetRegistryValue(hive, RunKey, L"Bastide", value, 0, REG_SZ); }
// Left behind, a value would start a program with every session of the test prefix.
void ForgetRunValues() {
    for (HKEY hive : Hives) DeleteRegistryValue(hive, RunKey, L"Bastide");
}

class AboutTest : public testing::Test {
protected:
    AboutTest() : savedIni_(IniPath), savedFlag_(AutoStartFlag) { IniPath = dir / L"Bastide.ini"; }
    ~AboutTest() override {
        ForgetRunValues();
        IniPath = savedIni_;
        AutoStartFlag = savedFlag_;
    }

    // The flag as the program last stored it, and the registry as it was left.
    void Given(const char* flag, const std::wstring& userValue, const std::wstring& machineValue = L"") {
        ForgetRunValues();
        WriteBytes(IniPath, std::string("[Position]\r\nAutoStart=") + flag + "\r\n[Maison]\r\nSource0=\"C:\\A\"\r\n");
        AutoStartFlag = ReadSettingShort(PositionSection, L"AutoStart");
        if (!userValue.empty()) SetRunValue(HKEY_CURRENT_USER, userValue);
        if (!machineValue.empty()) SetRunValue(HKEY_LOCAL_MACHINE, machineValue);
        ASSERT_EQ(machineValue, RunValue(HKEY_LOCAL_MACHINE));
    }
    // Opens the box for program, leaves its check box as ticked says, and closes it.
    void OpenAndClose(const std::wstring& program, bool ticked) {
        frmAbout box;
        ASSERT_TRUE(box.Load(nullptr, program));
        SendMessageW(box.AutoCheck(), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
        box.OnCmdOKClick();
    }

    TempDir dir;
    ScopedUi ui;

private:
    std::wstring savedIni_;
    short savedFlag_;
};

TEST_F(AboutTest, TheSwitchIsStoredAndMirroredInTheRunKey) {
    const wchar_t* outils = L"C:\\Outils\\Bastide.exe";
    const wchar_t* spaced = L"C:\\Program Files\\Bastide\\Bastide.exe";
    struct Case {
        const char* flag;
        const wchar_t *userBefore, *machineBefore, *program;
        bool ticked;
        const wchar_t *stored, *userAfter;
    } cases[] = {
        {"0", L"", L"", outils, true, L"-1", outils},
        // Unquoted, Windows would try C:\Program.exe first.
        {"0", L"", L"", spaced, true, L"-1", L"\"C:\\Program Files\\Bastide\\Bastide.exe\""},
        {"-1", outils, outils, outils, false, L"0", L""},
        // Unchanged: nothing written, not even a program moved since it was registered.
        {"-1", L"C:\\Ancien\\Bastide.exe", L"", outils, true, L"-1", L"C:\\Ancien\\Bastide.exe"},
        {"0", L"", L"", outils, false, L"0", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.program) + (c.ticked ? " ticked" : " cleared") + " from " + c.flag);
        Given(c.flag, c.userBefore, c.machineBefore);
        std::string before = ReadBytes(IniPath);
        OpenAndClose(c.program, c.ticked);
        EXPECT_EQ(c.stored, ReadSetting(PositionSection, L"AutoStart"));
        EXPECT_EQ(c.ticked ? -1 : 0, AutoStartFlag);
        EXPECT_EQ(c.userAfter, RunValue(HKEY_CURRENT_USER));
        EXPECT_EQ(L"", RunValue(HKEY_LOCAL_MACHINE));
        if (c.ticked == (c.flag[0] == '-')) {
            EXPECT_EQ(before, ReadBytes(IniPath));
        }
    }
}

// Escape leaves the box as OK does, and the switch is applied for this very program.
TEST_F(AboutTest, EscapeClosesTheBoxAndAppliesTheSwitch) {
    Given("0", L"");
    WhenShown(L"BastideFrmAbout", [](HWND box) {
        EXPECT_EQ(L"À propos de Bastide", Form::GetText(box));
        SendMessageW(GetDlgItem(box, 101), BM_CLICK, 0, 0);
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    ShowAboutBox(nullptr);
    wchar_t path[MAX_PATH] = {};
    std::wstring program(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    if (program.find(L' ') != std::wstring::npos) program = L'"' + program + L'"';
    EXPECT_EQ(program, RunValue(HKEY_CURRENT_USER));
    EXPECT_EQ(L"-1", ReadSetting(PositionSection, L"AutoStart"));
    ASSERT_FALSE(ui.sounds.empty());
    EXPECT_EQ(L"SystemStart", ui.sounds[0].first);
}

}  // namespace
