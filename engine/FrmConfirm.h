#pragma once
// The question asked before an existing copy is replaced.
#include "app/Dialog.h"
#include "engine/RunView.h"

#include <string>

class frmConfirm : public Dialog {
public:
    static constexpr int ButtonCount = 4;

    // Creates the dialog (hidden) over owner for the given file name.
    bool Load(HWND owner, const std::wstring& fileName);
    // Shows it modally; the index of the button pressed (Annuler when closed otherwise).
    ConfirmAnswer Ask(HWND owner);

    HWND Lbl(int i) const { return lbl_[i]; }
    HWND Cmd(int i) const { return cmd_[i]; }
    // What a click on button index does: keeps the index and hides the window.
    void OnCmdClick(int index);

protected:
    // Escape and the frame's close button answer "Annuler": the file is left alone.
    int CancelResult() const override { return static_cast<int>(ConfirmAnswer::Cancel); }
    bool OnCommand(int id, int code, HWND control) override;
    const wchar_t* ClassName() const override { return L"BastideFrmConfirm"; }

private:
    HWND lbl_[2] = {};
    HWND cmd_[ButtonCount] = {};
    HWND icon_ = nullptr;
    int tag_ = static_cast<int>(ConfirmAnswer::Cancel);
};

// Asks the question in frmConfirm and returns the answer.
ConfirmAnswer ConfirmReplace(HWND owner, const std::wstring& fileName);
