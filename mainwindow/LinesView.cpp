#include "mainwindow/LinesView.h"

#include "app/Form.h"

#include <algorithm>

namespace linesview {
namespace {

constexpr int ContentSlot = 0;           // window extra bytes: the frames' height
constexpr int LineSlot = sizeof(LONG_PTR);  // and the step of the arrows

int ViewHeight(HWND view) {
    RECT client{};
    GetClientRect(view, &client);
    return client.bottom - client.top;
}

int Content(HWND view) { return static_cast<int>(GetWindowLongPtrW(view, ContentSlot)); }

int Line(HWND view) { return std::max(1, static_cast<int>(GetWindowLongPtrW(view, LineSlot))); }

int Farthest(HWND view) { return std::max(0, Content(view) - ViewHeight(view)); }

void UpdateBar(HWND view) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMin = 0;
    info.nMax = std::max(0, Content(view) - 1);
    info.nPage = static_cast<UINT>(std::max(0, ViewHeight(view)));
    SetScrollInfo(view, SB_VERT, &info, TRUE);
}

void OnScroll(HWND view, int request) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(view, SB_VERT, &info);
    int position = info.nPos;
    switch (request) {
        case SB_LINEUP: position -= Line(view); break;
        case SB_LINEDOWN: position += Line(view); break;
        case SB_PAGEUP: position -= std::max(Line(view), ViewHeight(view) - Line(view)); break;
        case SB_PAGEDOWN: position += std::max(Line(view), ViewHeight(view) - Line(view)); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: position = info.nTrackPos; break;
        case SB_TOP: position = 0; break;
        case SB_BOTTOM: position = Farthest(view); break;
        default: return;
    }
    ScrollTo(view, position);
}

LRESULT CALLBACK ViewProc(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX: {
            HWND root = GetAncestor(view, GA_ROOT);
            if (root && root != view) return SendMessageW(root, message, wParam, lParam);
            break;
        }
        case WM_MOUSEMOVE: {
            HWND root = GetAncestor(view, GA_ROOT);
            if (root && root != view) {
                POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                MapWindowPoints(view, root, &point, 1);
                SendMessageW(root, message, wParam, MAKELPARAM(point.x, point.y));
            }
            return 0;
        }
        case WM_VSCROLL:
            OnScroll(view, LOWORD(wParam));
            return 0;
        case WM_MOUSEWHEEL: {
            // One line a notch: a few lines are shown at a time.
            int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
            if (notches == 0) notches = GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? 1 : -1;
            ScrollTo(view, Position(view) - notches * Line(view));
            return 0;
        }
        case WM_SIZE:
            UpdateBar(view);
            ScrollTo(view, Position(view));
            return 0;
    }
    return DefWindowProcW(view, message, wParam, lParam);
}

}  // namespace

bool RegisterClass() {
    WNDCLASSEXW windowClass{};
    windowClass.lpfnWndProc = ViewProc;
    windowClass.cbWndExtra = 2 * sizeof(LONG_PTR);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = ClassName;
    return RegisterWindowClass(windowClass);
}

void SetContent(HWND view, int contentHeight, int line) {
    SetWindowLongPtrW(view, ContentSlot, std::max(0, contentHeight));
    SetWindowLongPtrW(view, LineSlot, std::max(1, line));
    UpdateBar(view);
    ScrollTo(view, Position(view));
}

int Position(HWND view) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    if (!GetScrollInfo(view, SB_VERT, &info)) return 0;
    return info.nPos;
}

void ScrollTo(HWND view, int position) {
    position = std::clamp(position, 0, Farthest(view));
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(view, SB_VERT, &info, TRUE);
    for (HWND frame = GetWindow(view, GW_CHILD); frame; frame = GetWindow(frame, GW_HWNDNEXT)) {
        RECT rect{};
        GetWindowRect(frame, &rect);
        MapWindowPoints(nullptr, view, reinterpret_cast<POINT*>(&rect), 2);
        if (rect.top != -position) {
            SetWindowPos(frame, nullptr, rect.left, -position, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
}

void Show(HWND view, const RECT& screenRect) {
    RECT rect = screenRect;
    MapWindowPoints(nullptr, view, reinterpret_cast<POINT*>(&rect), 2);
    int height = ViewHeight(view);
    int position = Position(view);
    if (rect.top < 0 || rect.bottom - rect.top > height) {
        position += rect.top;
    } else if (rect.bottom > height) {
        position += rect.bottom - height;
    }
    ScrollTo(view, position);
}

}  // namespace linesview
