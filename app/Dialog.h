#pragma once
// Base of the program's modal dialogs, on top of the form base: a modal loop over the
// owner that ends with a result, OK / Cancel / Escape / the frame's close button, a
// control table in twips at the form's dpi, tool tips, and the focus given back to the
// control that had it when the dialog is activated again.
//
// A dialog hands its outcome back to its caller (DialogResult below); the caller sets the
// process-wide variables, in one place, so no dialog writes them by itself.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/Form.h"

// The control of a window that had the focus when the window was deactivated, given back
// to it on the next activation (or to a first control when there is none).
class FocusMemory {
public:
    void Remember(HWND window);
    void Restore(HWND window, HWND fallback) const;

private:
    HWND last_ = nullptr;
};

// One control of a dialog's table: position and size in twips.
struct ControlEntry {
    const wchar_t* className;
    std::wstring text;
    DWORD style;  // WS_CHILD is added
    int leftTw, topTw, widthTw, heightTw;
    int id;
    DWORD exStyle = 0;
    std::wstring tip;  // tool tip, none when empty
};

class Dialog : public Form {
public:
    static constexpr int Cancelled = IDCANCEL;
    static constexpr int Accepted = IDOK;

    // Shows the dialog modally over owner and returns the result it ended with.
    int Run(HWND owner);

protected:
    bool CreateDialogForm(HWND owner, const std::wstring& caption, int widthTw, int heightTw);
    // Creates the controls of the table in order; their windows, in the same order.
    std::vector<HWND> AddControls(const std::vector<ControlEntry>& table);
    void AddToolTip(HWND control, const std::wstring& text);
    void End(int result);

    // OK (the default button, Enter): false keeps the dialog open (a value refused).
    virtual bool OnOk() { return true; }
    // Escape, Cancel and the frame's close button all give this result.
    virtual int CancelResult() const { return Cancelled; }
    // Any other command; true when handled.
    virtual bool OnCommand(int id, int code, HWND control) { return false; }
    // The control that has the focus when the dialog first shows.
    HWND initialFocus_ = nullptr;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    FocusMemory focus_;
    HWND tips_ = nullptr;
};

// A dialog whose OK hands a value back: Ask gives it, or nothing when cancelled.
template <typename Value>
class DialogResult : public Dialog {
public:
    std::optional<Value> Ask(HWND owner) {
        if (Run(owner) != Accepted) return std::nullopt;
        return value_;
    }

protected:
    Value value_{};
};
