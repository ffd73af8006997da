// The one-field dialogs on real windows, through the functions their callers use: what
// the user types and what comes back.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/Form.h"
#include "dialogs/BstF4.h"
#include "dialogs/BstF5.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WhenShown.h"

namespace {

constexpr int IdTxt = 101;
constexpr int IdClear = 102;

// Types text into the box (unless null) and clicks a button.
std::function<void(HWND)> TypeAndClick(const wchar_t* text, int button) {
    return [text, button](HWND dialog) {
        if (text) SetWindowTextW(GetDlgItem(dialog, IdTxt), text);
        if (button == IdClear) SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IdClear, BN_CLICKED), 0);
        ClickId(dialog, button == IdClear ? IDOK : button);
    };
}

TEST(SmallDialogsTest, NewConfigurationNameIsCapitalisedOrRefused) {
    const wchar_t* reserved = L"Impossible, nom réservé !";
    const wchar_t* invalid = L"Impossible, nom non valide !";
    struct Case {
        const wchar_t* typed;
        int button;
        const wchar_t* name;
        const wchar_t* refusal;
    } cases[] = {
        {L"mAISON", IDOK, L"Maison", nullptr},
        {L"  bureau ", IDOK, L"Bureau", nullptr},
        {L"Maison", IDCANCEL, L"", nullptr},
        // Characters file names cannot hold: the error logs replace them in their names.
        {L"docs: C:\\Travail?", IDOK, L"Docs: c:\\travail?", nullptr},
        {L"POSITION", IDOK, L"", reserved},
        {L" position ", IDOK, L"", reserved},
        // Names the settings file cannot hold as a section.
        {L"[maison]", IDOK, L"", invalid},
        {L"a\tb", IDOK, L"", invalid},
        {L"   ", IDOK, L"", invalid},
        // A letter outside the code page of the (ANSI) settings file.
        {L"maison \u4E2D", IDOK, L"", invalid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.typed));
        ScopedUi ui;
        WhenShown(L"BastideBstF4", [&](HWND dialog) {
            EXPECT_EQ(L"Nouvelle configuration", Form::GetText(dialog));
            TypeAndClick(c.typed, c.button)(dialog);
        });
        EXPECT_EQ(c.name, AskNewConfigurationName(nullptr));
        ASSERT_EQ(c.refusal ? 1u : 0u, ui.messages.size());
        if (c.refusal) {
            EXPECT_EQ(c.refusal, ui.messages[0].text);
            EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), ui.messages[0].Icon());
        }
    }
}

TEST(SmallDialogsTest, PathEditShowsTheSideAndGivesTheTrimmedTextOrTheCancelMarker) {
    struct Case {
        const wchar_t* given;
        const wchar_t* caption;
        const wchar_t* typed;
        int button;
        const wchar_t* result;
    } cases[] = {
        {L"1C:\\Données", L"Répertoire source", L"  D:\\Mes photos  ", IDOK, L"D:\\Mes photos"},
        {L"2E:\\Copie", L"Répertoire destination", L"F:\\", IDCANCEL, L"@"},
        {L"2E:\\Copie", L"Répertoire destination", nullptr, IdClear, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.given));
        WhenShown(L"BastideBstF5", [&](HWND dialog) {
            EXPECT_EQ(c.caption, Form::GetText(dialog));
            EXPECT_EQ(c.given + 1, Form::GetText(GetDlgItem(dialog, IdTxt)));
            TypeAndClick(c.typed, c.button)(dialog);
        });
        EXPECT_EQ(c.result, EditPath(nullptr, c.given));
    }
}

}  // namespace
