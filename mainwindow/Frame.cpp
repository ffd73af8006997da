#include "mainwindow/Frame.h"

#include "app/Form.h"

#include <string>
#include <vector>

namespace frame {
namespace {

constexpr int FontSlot = 0;  // window extra bytes: the font set by WM_SETFONT

std::wstring TextOf(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, buffer.data(), length + 1);
    return buffer.data();
}

void PaintGroup(HWND window, HDC dc) {
    RECT client{};
    GetClientRect(window, &client);
    auto font = reinterpret_cast<HFONT>(GetWindowLongPtrW(window, FontSlot));
    HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);

    // The border runs through the middle of the caption, or along the top without one.
    std::wstring caption = TextOf(window);
    RECT border = client;
    if (!caption.empty()) border.top += metrics.tmHeight / 2;
    DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);

    if (!caption.empty()) {
        int indent = Form::TwipsToPixels(120);
        SIZE size{};
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
        int gap = metrics.tmAveCharWidth / 2 + 1;
        RECT textArea{indent - gap, 0, indent + size.cx + gap, metrics.tmHeight};
        FillRect(dc, &textArea, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(IsWindowEnabled(window) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        RECT textRect{indent, 0, indent + size.cx, metrics.tmHeight};
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &textRect,
                  DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOPREFIX);
    }
    if (previous) SelectObject(dc, previous);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX: {
            HWND root = GetAncestor(window, GA_ROOT);
            if (root && root != window) return SendMessageW(root, message, wParam, lParam);
            break;
        }
        case WM_SETFONT:
            SetWindowLongPtrW(window, FontSlot, static_cast<LONG_PTR>(wParam));
            if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_GETFONT:
            return GetWindowLongPtrW(window, FontSlot);
        case WM_SETTEXT: {
            LRESULT result = DefWindowProcW(window, message, wParam, lParam);
            InvalidateRect(window, nullptr, TRUE);
            return result;
        }
        case WM_ENABLE:
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            HDC dc = BeginPaint(window, &paint);
            if (GetWindowLongW(window, GWL_STYLE) & GroupStyle) PaintGroup(window, dc);
            EndPaint(window, &paint);
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterClass() {
    WNDCLASSEXW windowClass{};
    windowClass.lpfnWndProc = FrameProc;
    windowClass.cbWndExtra = sizeof(LONG_PTR);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = ClassName;
    return RegisterWindowClass(windowClass);
}

}  // namespace frame
