// The one-field dialogs on real windows, through the functions their callers use: what
// the user types, what comes back, what reaches the settings file.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/Form.h"
#include "app/Settings.h"
#include "dialogs/BstF4.h"
#include "dialogs/BstF5.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestSupport.h"

namespace {

// What the user does once the dialog of a window class is on the screen.
const wchar_t* g_class = nullptr;
std::function<void(HWND)> g_user;

void CALLBACK ActWhenShown(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindWindowW(g_class, nullptr);
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(nullptr, timer);
    g_user(dialog);
}

void WhenShown(const wchar_t* windowClass, std::function<void(HWND)> user) {
    g_class = windowClass;
    g_user = std::move(user);
    SetTimer(nullptr, 0, 20, ActWhenShown);
}

HWND Child(HWND dialog, int id) { return GetDlgItem(dialog, id); }
constexpr int IdTxt = 101;
constexpr int IdClear = 102;

void Click(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Types text into the box and confirms.
std::function<void(HWND)> TypeAndConfirm(const std::wstring& text) {
    return [text](HWND dialog) {
        SetWindowTextW(Child(dialog, IdTxt), text.c_str());
        Click(dialog, IDOK);
    };
}

TEST(SmallDialogsTest, NewConfigurationNameIsCapitalisedOrRefused) {
    const wchar_t* reserved = L"Impossible, nom réservé !";
    const wchar_t* invalid = L"Impossible, nom non valide !";
    struct Case {
        const wchar_t* typed;
        const wchar_t* name;
        const wchar_t* refusal;
    } cases[] = {
        {L"mAISON", L"Maison", nullptr},
        {L"  bureau ", L"Bureau", nullptr},
        // Characters file names cannot hold: the error logs replace them in their names.
        {L"docs: C:\\Travail?", L"Docs: c:\\travail?", nullptr},
        {L"position", L"", reserved},
        {L"POSITION", L"", reserved},
        {L" Position ", L"", reserved},
        // Names the settings file cannot hold as a section.
        {L"[maison]", L"", invalid},
        {L"a]b", L"", invalid},
        {L"a\tb", L"", invalid},
        {L"   ", L"", invalid},
        {L"", L"", invalid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.typed));
        ScopedUi ui;
        WhenShown(L"BastideBstF4", [&](HWND dialog) {
            EXPECT_EQ(L"Nouvelle configuration", Form::GetText(dialog));
            EXPECT_EQ(L"", Form::GetText(Child(dialog, IdTxt)));
            TypeAndConfirm(c.typed)(dialog);
        });
        EXPECT_EQ(c.name, AskNewConfigurationName(nullptr));
        if (c.refusal) {
            ASSERT_EQ(1u, ui.messages.size());
            EXPECT_EQ(c.refusal, ui.messages[0].text);
            EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), ui.messages[0].Icon());
        } else {
            EXPECT_TRUE(ui.messages.empty());
        }
    }
}

TEST(SmallDialogsTest, NewConfigurationCancelledGivesNoName) {
    ScopedUi ui;
    WhenShown(L"BastideBstF4", [](HWND dialog) {
        SetWindowTextW(Child(dialog, IdTxt), L"Maison");
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(L"", AskNewConfigurationName(nullptr));
    EXPECT_TRUE(ui.messages.empty());
}

TEST(SmallDialogsTest, PathEditShowsTheSideAndGivesTheTrimmedTextOrTheCancelMarker) {
    struct Case {
        const char* what;
        const wchar_t* given;
        const wchar_t* caption;
        const wchar_t* shown;
        std::function<void(HWND)> user;
        const wchar_t* result;
    } cases[] = {
        {"confirmed", L"1C:\\Données", L"Répertoire source", L"C:\\Données", TypeAndConfirm(L"  D:\\Mes photos  "),
         L"D:\\Mes photos"},
        {"left as it was", L"2E:\\Copie", L"Répertoire destination", L"E:\\Copie",
         [](HWND dialog) { Click(dialog, IDOK); }, L"E:\\Copie"},
        {"cancelled", L"2E:\\Copie", L"Répertoire destination", L"E:\\Copie",
         [](HWND dialog) {
             SetWindowTextW(Child(dialog, IdTxt), L"F:\\");
             Click(dialog, IDCANCEL);
         },
         L"@"},
        {"emptied by its button", L"1C:\\Données", L"Répertoire source", L"C:\\Données",
         [](HWND dialog) {
             SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IdClear, BN_CLICKED), 0);
             EXPECT_EQ(Child(dialog, IdTxt), GetFocus());
             Click(dialog, IDOK);
         },
         L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WhenShown(L"BastideBstF5", [&](HWND dialog) {
            EXPECT_EQ(c.caption, Form::GetText(dialog));
            EXPECT_EQ(c.shown, Form::GetText(Child(dialog, IdTxt)));
            c.user(dialog);
        });
        EXPECT_EQ(c.result, EditPath(nullptr, c.given));
    }
}

}  // namespace
