// The main window on the screen: the lines frame keeps its height (480 twips a line), and
// on a screen too small for the whole window only part of the lines is shown at a time,
// so that the program, options and start groups below them stay on the screen. A window
// stored at a place that no monitor shows any more comes back onto the nearest one.
#include "app/Settings.h"
#include "mainwindow/BstF1.h"
#include "mainwindow/Layout.h"
#include "mainwindow/LinesView.h"

#include <algorithm>

namespace {

using namespace layout;

// At least this much of the lines stays shown, however small the screen.
constexpr int LeastLinesShown = RowPitch + LinesBottom;

int LinesHeight() { return (MaxLineIndex + 1) * RowPitch + LinesBottom; }

// The title bar of a window at rect whose client area begins clientTop pixels lower.
RECT TitleBar(const RECT& rect, int clientTop) {
    return RECT{rect.left, rect.top, rect.right, rect.top + std::max(clientTop, 1)};
}

// A window can be moved by the mouse when enough of its title bar lies on the work area
// to be grabbed: a caption's height down and twice that across.
bool CanBeGrabbed(const RECT& titleBar, const RECT& work) {
    RECT shown{};
    if (!IntersectRect(&shown, &titleBar, &work)) return false;
    int caption = GetSystemMetrics(SM_CYCAPTION);
    return shown.right - shown.left >= 2 * caption && shown.bottom - shown.top >= std::min(caption, 
               static_cast<int>(titleBar.bottom - titleBar.top)) / 2;
}

// The least move that brings rect onto work; its top-left corner first when it is larger.
POINT MovedOnto(const RECT& rect, const RECT& work) {
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    POINT place{rect.left, rect.top};
    place.x = std::max<LONG>(work.left, std::min<LONG>(place.x, work.right - width));
    place.y = std::max<LONG>(work.top, std::min<LONG>(place.y, work.bottom - height));
    return place;
}

}  // namespace

RECT BstF1::NearestWorkArea() const {
    RECT rect{};
    GetWindowRect(hwnd_, &rect);
    POINT clientTop{0, 0};
    ClientToScreen(hwnd_, &clientTop);
    RECT titleBar = TitleBar(rect, clientTop.y - rect.top);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromRect(&titleBar, MONITOR_DEFAULTTONEAREST), &monitor)) return monitor.rcWork;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

void BstF1::FitIntoWorkArea(const RECT& work) {
    // Laid out at the logical places, then scrolled back to where the user was.
    int shownColumn = hScroll_;
    ScrollClientTo(0);

    const int linesHeight = LinesHeight();
    const int fullHeight = OngletTop + linesHeight + OngletExtra + ProgramTopGap + ProgramHeight + BottomHeight +
                           WindowExtra;
    const int workWidth = work.right - work.left;
    const int workHeight = work.bottom - work.top;
    const int fullWidthPx = TwipsToPixels(FormWidthTw());
    const bool wide = fullWidthPx > workWidth;
    const int barPx = wide ? GetSystemMetrics(SM_CYHSCROLL) : 0;

    // The lines give up what the window has too much.
    int hidden = 0;
    if (TwipsToPixels(fullHeight) + barPx > workHeight) {
        hidden = std::max(0, fullHeight - PixelsToTwips(workHeight - barPx));
        while (TwipsToPixels(fullHeight - hidden) + barPx > workHeight) ++hidden;
        hidden = std::min(hidden, std::max(0, linesHeight - LeastLinesShown));
    }
    const int linesShown = linesHeight - hidden;

    MoveControl(linesView_, LinesLeft, LinesTop, LinesWidth, linesShown);
    MoveControl(cadre_[0], 0, 0, LinesWidth, linesHeight);
    MoveControl(cadre_[3], 0, 0, LinesWidth, linesHeight);
    int listWidth = LinesWidth - 240 - CompareButtonWidth - 120;
    int listHeight = linesHeight - TxtCpShorter;
    MoveControl(txtCp_, 120, TxtCpTop, listWidth, listHeight);
    MoveControl(lblComp_, 120, listHeight + LblCompBelow, listWidth, 255);
    linesview::SetContent(linesView_, TwipsToPixels(linesHeight), TwipsToPixels(RowPitch));

    int ongletHeight = linesShown + OngletExtra;
    MoveControl(onglet_, OngletLeft, OngletTop, OngletWidth, ongletHeight);
    int programTop = OngletTop + ongletHeight + ProgramTopGap;
    MoveControl(cadre_[1], FrameLeft, programTop, FrameWidth, ProgramHeight);
    int bottomTop = programTop + ProgramHeight;
    MoveControl(cadre_[2], FrameLeft, bottomTop, FrameWidth, BottomHeight);
    int windowHeight = TwipsToPixels(bottomTop + BottomHeight + WindowExtra) + barPx;

    ShowScrollBar(hwnd_, SB_HORZ, wide);
    RECT outer{};
    GetWindowRect(hwnd_, &outer);
    int windowWidth = wide ? workWidth : fullWidthPx;
    SetWindowPos(hwnd_, nullptr, 0, 0, windowWidth, windowHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CutTabHole();

    if (wide) {
        RECT client{};
        GetClientRect(hwnd_, &client);
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE;
        info.nMax = TwipsToPixels(ClientWidth) - 1;
        info.nPage = static_cast<UINT>(client.right);
        SetScrollInfo(hwnd_, SB_HORZ, &info, TRUE);
        ScrollClientTo(shownColumn);
    }

    // A window that had to be cut to the work area is moved onto it whole; one that lies
    // where it can be grabbed stays where it was put.
    RECT rect{};
    GetWindowRect(hwnd_, &rect);
    POINT clientTop{0, 0};
    ClientToScreen(hwnd_, &clientTop);
    if (hidden > 0 || wide || !CanBeGrabbed(TitleBar(rect, clientTop.y - rect.top), work)) {
        POINT place = MovedOnto(rect, work);
        if (place.x != rect.left || place.y != rect.top) {
            SetWindowPos(hwnd_, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
}

void BstF1::ScrollClientTo(int x) {
    RECT client{};
    GetClientRect(hwnd_, &client);
    x = std::clamp(x, 0, std::max(0, TwipsToPixels(ClientWidth) - static_cast<int>(client.right)));
    int shift = hScroll_ - x;
    hScroll_ = x;
    const bool wide = GetWindowLongW(hwnd_, GWL_STYLE) & WS_HSCROLL;
    if (wide) SetScrollPos(hwnd_, SB_HORZ, x, TRUE);
    if (shift != 0) {
        for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT rect{};
            GetWindowRect(child, &rect);
            MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rect), 2);
            SetWindowPos(child, nullptr, rect.left + shift, rect.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

    // The scroll bar of the lines stays on the screen: the lines view ends at the right
    // edge of what the window shows, and reaches its whole width once scrolled there.
    RECT view{};
    GetWindowRect(linesView_, &view);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&view), 2);
    int width = TwipsToPixels(LinesWidth);
    if (wide) width = std::clamp(static_cast<int>(client.right - view.left) - TwipsToPixels(OngletLeft), 1, width);
    if (view.right - view.left != width) {
        SetWindowPos(linesView_, nullptr, 0, 0, width, view.bottom - view.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        CutTabHole();
    }
    if (shift != 0) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void BstF1::ShowControl(HWND control) {
    if (!control || !hwnd_) return;
    RECT rect{};
    GetWindowRect(control, &rect);
    if (linesView_ && IsChild(linesView_, control)) {
        linesview::Show(linesView_, rect);
        GetWindowRect(control, &rect);
    }
    if (!(GetWindowLongW(hwnd_, GWL_STYLE) & WS_HSCROLL)) return;
    // Sideways, the control comes inside what the window shows, and inside the lines
    // view, left of its scroll bar, for a control of the lines.
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&rect), 2);
    RECT shown{};
    GetClientRect(hwnd_, &shown);
    if (linesView_ && IsChild(linesView_, control)) {
        RECT view{};
        GetClientRect(linesView_, &view);
        MapWindowPoints(linesView_, hwnd_, reinterpret_cast<POINT*>(&view), 2);
        // While the view widens with the scrolling, its right edge stays where it is; at
        // its whole width every control of the lines lies inside it.
        shown.right = std::min(shown.right, view.right);
    }
    if (rect.left < 0 || rect.right - rect.left > shown.right) {
        ScrollClientTo(hScroll_ + rect.left);
    } else if (rect.right > shown.right) {
        ScrollClientTo(hScroll_ + rect.right - shown.right);
    }
}
