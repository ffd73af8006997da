#include "app/Dialog.h"

#include <commctrl.h>

void FocusMemory::Remember(HWND window) {
    HWND focus = GetFocus();
    if (focus && focus != window && IsChild(window, focus)) last_ = focus;
}

void FocusMemory::Restore(HWND window, HWND fallback) const {
    if (last_ && IsWindow(last_) && IsChild(window, last_) && IsWindowVisible(last_) && IsWindowEnabled(last_)) {
        SetFocus(last_);
    } else if (fallback && IsWindow(fallback)) {
        SetFocus(fallback);
    }
}

bool Dialog::CreateDialogForm(HWND owner, const std::wstring& caption, int widthTw, int heightTw) {
    if (!CreateForm(owner, caption, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, 0, 0, widthTw,
                    heightTw)) {
        return false;
    }
    CenterOver(owner);
    return true;
}

std::vector<HWND> Dialog::AddControls(const std::vector<ControlEntry>& table) {
    std::vector<HWND> controls;
    controls.reserve(table.size());
    for (const ControlEntry& entry : table) {
        HWND control = AddControl(entry.className, entry.text, entry.style, entry.leftTw, entry.topTw, entry.widthTw,
                                  entry.heightTw, entry.id, entry.exStyle);
        if (!entry.tip.empty()) AddToolTip(control, entry.tip);
        controls.push_back(control);
    }
    return controls;
}

void Dialog::AddToolTip(HWND control, const std::wstring& text) {
    if (!tips_) {
        tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0,
                                0, 0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, 600);
    }
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

int Dialog::Run(HWND owner) {
    if (!hwnd_) return CancelResult();
    if (initialFocus_) SetFocus(initialFocus_);
    return ShowModal(owner);
}

void Dialog::End(int result) {
    if (IsModalRunning()) EndModal(result);
    else Close();
}

LRESULT Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            int id = LOWORD(wParam);
            if (OnCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
            if (id == IDOK) {
                if (OnOk()) End(Accepted);
                return 0;
            }
            if (id == IDCANCEL) {
                End(CancelResult());
                return 0;
            }
            break;
        }
        case WM_CLOSE:
            End(CancelResult());
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) focus_.Remember(hwnd_);
            else if (!HIWORD(wParam)) focus_.Restore(hwnd_, initialFocus_);
            return 0;
        default:
            break;
    }
    return DefaultHandling(message, wParam, lParam);
}
