// The modal dialog base on real windows: how each way of leaving a dialog ends it, and
// the value handed back.
#include "app/Dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/FrmConfirm.h"
#include "tests/support/UserSteps.h"

namespace {

HWND ActiveDialog(const wchar_t* className) { return FindWindowW(className, nullptr); }

void PressKey(const wchar_t* className, UINT key) {
    HWND dialog = ActiveDialog(className);
    HWND target = GetFocus() ? GetFocus() : dialog;
    PostMessageW(target, WM_KEYDOWN, key, 0);
    PostMessageW(target, WM_KEYUP, key, 0xC0000000);
}

// A name that must not be empty: OK is refused while it is.
class NameDialog : public DialogResult<std::wstring> {
public:
    bool Load() {
        if (!CreateDialogForm(nullptr, L"Nom", 4000, 1800)) return false;
        auto controls = AddControls({
            {L"EDIT", L"", WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 120, 120, 3000, 300, 10, 0,
             L"Le nom"},
            {L"BUTTON", L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 120, 600, 1200, 375, IDOK},
            {L"BUTTON", L"Annuler", WS_VISIBLE | WS_TABSTOP, 1500, 600, 1200, 375, IDCANCEL},
        });
        edit_ = controls[0];
        initialFocus_ = edit_;
        return true;
    }
    HWND Edit() const { return edit_; }
    int refusals = 0;

protected:
    bool OnOk() override {
        value_ = GetText(edit_);
        if (!value_.empty()) return true;
        ++refusals;
        return false;
    }
    const wchar_t* ClassName() const override { return L"BastideTestNameDialog"; }

private:
    HWND edit_ = nullptr;
};

class DialogTest : public testing::Test {
protected:
    UserSteps steps;
};

TEST_F(DialogTest, EveryWayOutButAnAcceptedOkIsACancel) {
    const wchar_t* cls = L"BastideTestNameDialog";
    struct Case {
        const char* how;
        std::function<void()> leave;
    } cases[] = {
        {"Escape", [cls] { PressKey(cls, VK_ESCAPE); }},
        {"frame close", [cls] { PostMessageW(ActiveDialog(cls), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Annuler", [cls] { PostMessageW(ActiveDialog(cls), WM_COMMAND, IDCANCEL, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        NameDialog dialog;
        ASSERT_TRUE(dialog.Load());
        steps = {[&] { SetWindowTextW(dialog.Edit(), L"Bureau"); }, c.leave};
        EXPECT_FALSE(dialog.Ask(nullptr).has_value());
    }
}

TEST_F(DialogTest, OkIsRefusedUntilTheValueIsGoodThenHandsItBack) {
    const wchar_t* cls = L"BastideTestNameDialog";
    NameDialog dialog;
    ASSERT_TRUE(dialog.Load());
    steps = {[cls] { PressKey(cls, VK_RETURN); },  // empty: refused, still open
               [&] { SetWindowTextW(dialog.Edit(), L"Bureau"); }, [cls] { PressKey(cls, VK_RETURN); }};
    std::optional<std::wstring> name = dialog.Ask(nullptr);
    EXPECT_EQ(1, dialog.refusals);
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(L"Bureau", *name);
}

// Closing the replace question by its frame must never replace the file.
TEST_F(DialogTest, ReplaceQuestionClosedByItsFrameAnswersAnnuler) {
    steps = {[] { PostMessageW(ActiveDialog(L"BastideFrmConfirm"), WM_SYSCOMMAND, SC_CLOSE, 0); }};
    EXPECT_EQ(ConfirmAnswer::Cancel, ConfirmReplace(nullptr, L"lettre.doc"));
    steps = {[] { PressKey(L"BastideFrmConfirm", VK_ESCAPE); }};
    EXPECT_EQ(ConfirmAnswer::Cancel, ConfirmReplace(nullptr, L"lettre.doc"));
}

}  // namespace
