#pragma once
// The About box: the program's title, version and description, and the switch that
// starts the program with Windows.
#include "app/Dialog.h"
#include "common/Handles.h"

#include <string>

class frmAbout : public Dialog {
public:
    static constexpr int LabelCount = 5;

    // Creates the box (hidden) over owner and plays the start-up sound. programPath is
    // the program that the start with Windows launches (this one when empty).
    bool Load(HWND owner, const std::wstring& programPath = L"");

    // ---- Controls, by the names of the form ----
    // Lbl(0) version, Lbl(1) title, Lbl(2) description, Lbl(3) and Lbl(4) the warning.
    HWND Lbl(int i) const { return lbl_[i]; }
    HWND AutoCheck() const { return autoCheck_; }
    HWND Cadre() const { return cadre_; }
    HWND PicIcon() const { return picIcon_; }
    HWND CmdOK() const { return cmdOK_; }

    // Closes the box; the start with Windows is applied as the box goes.
    void OnCmdOKClick();

protected:
    // Escape acts as OK.
    int CancelResult() const override { return Accepted; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    const wchar_t* ClassName() const override { return L"BastideFrmAbout"; }

private:
    // Stores the state of AutoCheck when it differs from the AutoStart flag, in the
    // settings file and in the Run key of Windows.
    void ApplyAutoStart();

    std::wstring programPath_;
    HWND lbl_[LabelCount] = {};
    HWND autoCheck_ = nullptr;
    HWND cadre_ = nullptr;
    HWND picIcon_ = nullptr;
    HWND cmdOK_ = nullptr;
    win::Icon icon_;
};

// The Run key of Windows, under the current user's and the machine's hive.
extern const wchar_t* const RunKey;

// Shows the About box modally over owner.
void ShowAboutBox(HWND owner);
