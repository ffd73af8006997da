#pragma once
// The layout shared by the program's one-field dialogs: a label, the text box Txt, and the
// buttons Cmd(0) (confirm), Cmd(1) (cancel) and Cmd(2) (empty the text box). What OK
// hands back (Ask) is the dialog's own.
#include "app/Dialog.h"

#include <string>

// The text that the options dialog and the line menu carry to and from BstF4 and BstF5:
// they set it from what AskNewConfigurationName and EditPath return.
extern std::wstring EditBuffer;

class OneFieldDialog : public DialogResult<std::wstring> {
public:
    HWND Label() const { return label_; }
    HWND Txt() const { return txt_; }
    HWND Cmd(int i) const { return cmd_[i]; }
    // A click on Cmd(i): 0 confirms (as Enter), 1 cancels (as Escape), 2 empties the box.
    void OnCmdClick(int i);

protected:
    // Creates the window (hidden) with its controls; Txt shows text, selected, and has
    // the focus when the dialog shows.
    bool CreateOneField(HWND owner, const std::wstring& caption, const std::wstring& label,
                        const std::wstring& clearTip, const std::wstring& text);
    bool OnCommand(int id, int code, HWND control) override;

private:
    HWND label_ = nullptr;
    HWND txt_ = nullptr;
    HWND cmd_[3] = {};
};
