#include "mainwindow/ToolTips.h"

#include "app/Form.h"

#include <commctrl.h>

#include <vector>

namespace {

constexpr const wchar_t* ToolTipProperty = L"BastideToolTips";  // on the top-level window
constexpr const wchar_t* ToolProperty = L"BastideToolTip";      // on a control that has a tool
constexpr const wchar_t* HoverProperty = L"BastideHoverTip";    // ... and a tool of its container
// The tool-tip window returns at most this many characters of a text.
constexpr size_t TextLimit = 1024;

HWND ToolTipWindow(HWND control, bool create) {
    HWND root = GetAncestor(control, GA_ROOT);
    if (!root) return nullptr;
    auto tip = static_cast<HWND>(GetPropW(root, ToolTipProperty));
    if (tip && IsWindow(tip)) return tip;
    if (!create) return nullptr;
    // No prefix handling: a path may hold an "&".
    tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, root, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
    if (!tip) return nullptr;
    SendMessageW(tip, WM_SETFONT, reinterpret_cast<WPARAM>(Form::DefaultFont()), FALSE);
    // Long paths are broken over several lines rather than running off the screen.
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, Form::TwipsToPixels(9000));
    SetPropW(root, ToolTipProperty, tip);
    return tip;
}

TTTOOLINFOW ToolOf(HWND control) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    return tool;
}

// The tool that stands for a control while its container is disabled.
TTTOOLINFOW HoverToolOf(HWND control) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = GetAncestor(control, GA_ROOT);
    tool.uId = static_cast<UINT_PTR>(GetDlgCtrlID(control));
    return tool;
}

}  // namespace

void SetToolTipText(HWND control, const std::wstring& text) {
    HWND tip = ToolTipWindow(control, true);
    if (!tip) return;
    TTTOOLINFOW tool = ToolOf(control);
    std::wstring copy = text.size() < TextLimit ? text : text.substr(0, TextLimit - 1);
    tool.lpszText = copy.data();
    if (GetPropW(control, ToolProperty)) {
        SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    } else if (SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
        SetPropW(control, ToolProperty, reinterpret_cast<HANDLE>(1));
    }
}

void RemoveToolTip(HWND control) {
    HWND tip = ToolTipWindow(control, false);
    if (GetPropW(control, HoverProperty)) {
        RemovePropW(control, HoverProperty);
        TTTOOLINFOW tool = HoverToolOf(control);
        if (tip) SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    if (!GetPropW(control, ToolProperty)) return;
    RemovePropW(control, ToolProperty);
    TTTOOLINFOW tool = ToolOf(control);
    if (tip) SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::wstring GetToolTipText(HWND control) {
    HWND tip = ToolTipWindow(control, false);
    if (!tip || !GetPropW(control, ToolProperty)) return L"";
    std::vector<wchar_t> buffer(TextLimit + 1, L'\0');
    TTTOOLINFOW tool = ToolOf(control);
    tool.lpszText = buffer.data();
    SendMessageW(tip, TTM_GETTEXTW, buffer.size(), reinterpret_cast<LPARAM>(&tool));
    buffer.back() = L'\0';
    return buffer.data();
}

void RelayHover(HWND window, HWND container, POINT point) {
    HWND tip = ToolTipWindow(window, false);
    if (!tip) return;
    POINT inside = point;
    MapWindowPoints(window, container, &inside, 1);
    HWND child = ChildWindowFromPointEx(container, inside, CWP_SKIPINVISIBLE);
    if (child && child != container && GetPropW(child, ToolProperty)) {
        // A tool of the window covers the control: the tool-tip window finds it when it
        // checks what lies under the mouse.
        TTTOOLINFOW tool = HoverToolOf(child);
        GetWindowRect(child, &tool.rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&tool.rect), 2);
        std::wstring text = GetToolTipText(child);
        tool.lpszText = text.data();
        if (GetPropW(child, HoverProperty)) {
            SendMessageW(tip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
            SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
        } else if (SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
            SetPropW(child, HoverProperty, reinterpret_cast<HANDLE>(1));
        }
    }
    MSG message{};
    message.hwnd = window;
    message.message = WM_MOUSEMOVE;
    message.lParam = MAKELPARAM(point.x, point.y);
    message.time = GetMessageTime();
    GetCursorPos(&message.pt);
    SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}
