#include "mainwindow/BstF1.h"

#include "app/Events.h"
#include "app/Settings.h"
#include "app/Utils.h"
#include "dialogs/BstF2.h"
#include "mainwindow/Layout.h"
#include "mainwindow/ControlHost.h"
#include "mainwindow/LineMenu.h"
#include "mainwindow/Pictures.h"
#include "mainwindow/ToolTips.h"
#include "res/resource.h"

#include <commctrl.h>

namespace {

constexpr DWORD FormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr int FormHeightTw = 6600;  // replaced by the layout of the lines

}  // namespace

// Outer width of the window whose client area is layout::ClientWidth wide.
int BstF1::FormWidthTw() {
    RECT rect{0, 0, Form::TwipsToPixels(layout::ClientWidth), 100};
    AdjustWindowRectEx(&rect, FormStyle, FALSE, WS_EX_CONTROLPARENT);
    return Form::PixelsToTwips(rect.right - rect.left);
}

BstF1::BstF1() {
    // Initialize: the common controls must be ready before any control is created.
    bastide::InitCommonControls();
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_TAB_CLASSES | ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&classes);
}

BstF1::~BstF1() = default;

HICON BstF1::ClassIcon() const { return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_BASTIDE)); }

HICON BstF1::FlecheImg(int value) { return LoadPicture(value ? IDI_ARROW_ON : IDI_ARROW_OFF, 32, 16); }

HICON BstF1::LockImg(int index) { return LoadPicture(index == 0 ? IDI_LOCK_CLOSED : IDI_LOCK_OPEN, 16, 16); }

HICON BstF1::ImgB(int mode) {
    static const int pictures[3] = {IDI_START_BACKUP, IDI_START_RESTORE, IDI_START_COMPARE};
    return LoadPicture(pictures[mode >= 0 && mode <= 2 ? mode : 0], 24, 24);
}

bool BstF1::Load() {
    windowActivated_ = false;
    int left = ReadSettingLong(PositionSection, L"Left");
    int top = ReadSettingLong(PositionSection, L"Top");
    storedWindowState_ = ReadSettingLong(PositionSection, L"WindowState");
    AutoStartFlag = ReadSettingShort(PositionSection, L"AutoStart");
    if (!CreateForm(nullptr, AppTitle, FormStyle, 0, left, top, FormWidthTw(), FormHeightTw)) return false;
    RunMode = 0;
    CompareReverse = false;
    lineMenu_ = std::make_unique<LineMenu>(*this);
    CreateControls();
    ShowModeControls();
    RebuildLines(-1);
    ResetComparisonPanel();
    lineMenu_->Create(ControlHost::ProgId, ControlHost::ProgramFolder());
    return true;
}

void BstF1::Show() {
    int show = SW_SHOWNORMAL;
    if (storedWindowState_ == 1) show = SW_SHOWMINIMIZED;
    if (storedWindowState_ == 2) show = SW_SHOWMAXIMIZED;
    ShowWindow(hwnd_, show);
    UpdateWindow(hwnd_);
    // A window shown minimised is not activated; the first activation still happens.
    if (show == SW_SHOWMINIMIZED && !windowActivated_) PostMessageW(hwnd_, WM_ACTIVATE, WA_ACTIVE, 0);
}

void BstF1::StorePlacement() {
    WriteSetting(PositionSection, L"Config", CurrentConfigName);
    int state = IsIconic(hwnd_) ? 1 : (IsZoomed(hwnd_) ? 2 : 0);
    WriteSetting(PositionSection, L"WindowState", std::to_wstring(state));
    if (state == 1) return;
    RECT rect{};
    if (state == 2) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        GetWindowPlacement(hwnd_, &placement);
        rect = placement.rcNormalPosition;
        // The normal place is given in work-area coordinates: a task bar at the top or on
        // the left shifts it from the screen's.
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor)) {
            OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
        }
    } else {
        GetWindowRect(hwnd_, &rect);
    }
    WriteSetting(PositionSection, L"Left", std::to_wstring(PixelsToTwips(rect.left)));
    WriteSetting(PositionSection, L"Top", std::to_wstring(PixelsToTwips(rect.top)));
}

void BstF1::Unload() {
    if (unloaded_ || !hwnd_) return;
    unloaded_ = true;
    StorePlacement();
    Close();
}

void BstF1::OnActivate() {
    if (windowActivated_) return;
    windowActivated_ = true;
    ProcessPendingEventsNow();
    OnFirstActivation();
}

LRESULT BstF1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY:
            OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                // Keyboard focus comes back to the control that had it.
                focus_.Remember(hwnd_);
                return 0;
            }
            PostMessageW(hwnd_, WM_APP, 0, 0);
            if (!HIWORD(wParam)) focus_.Restore(hwnd_, onglet_);
            return 0;
        case WM_HSCROLL: {
            SCROLLINFO info{};
            info.cbSize = sizeof info;
            info.fMask = SIF_ALL;
            GetScrollInfo(hwnd_, SB_HORZ, &info);
            int x = info.nPos;
            int step = TwipsToPixels(layout::RowPitch);
            switch (LOWORD(wParam)) {
                case SB_LINELEFT: x -= step; break;
                case SB_LINERIGHT: x += step; break;
                case SB_PAGELEFT: x -= static_cast<int>(info.nPage); break;
                case SB_PAGERIGHT: x += static_cast<int>(info.nPage); break;
                case SB_THUMBTRACK:
                case SB_THUMBPOSITION: x = info.nTrackPos; break;
                case SB_LEFT: x = 0; break;
                case SB_RIGHT: x = info.nMax; break;
            }
            ScrollClientTo(x);
            return 0;
        }
        case WM_MOUSEWHEEL: {
            // The wheel over the lines scrolls them, whichever control has the focus.
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            RECT lines{};
            GetWindowRect(linesView_, &lines);
            if (linesView_ && PtInRect(&lines, point)) return SendMessageW(linesView_, message, wParam, lParam);
            break;
        }
        case WM_MOUSEMOVE:
            // Over the locked lines the mouse reaches the window itself, not the rows.
            if (!IsWindowEnabled(cadre_[0]) && IsWindowVisible(cadre_[0])) {
                RelayHover(hwnd_, cadre_[0], POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            }
            break;
        case WM_SETFOCUS:
            if (onglet_) SetFocus(onglet_);
            return 0;
        case WM_TIMER:
            if (wParam == Timer1Id) OnTimer1();
            return 0;
        case WM_APP:
            // Activation is handled once the activation messages are done, as a form's
            // Activate event comes after the window is shown.
            OnActivate();
            return 0;
        case WM_ENDSESSION:
            // Windows is closing the session: the program ends without a close, so the
            // placement and the configuration are stored now.
            if (wParam && !unloaded_) StorePlacement();
            return 0;
        case WM_CLOSE:
            // The run window reads this window's lines until it closes: a close request
            // that reaches the disabled window during a run (from the task bar) waits
            // for the run to end.
            if (runActive_) {
                closeAfterRun_ = true;
                return 0;
            }
            Unload();
            return 0;
        case WM_DESTROY:
            if (lineMenu_) lineMenu_->Close();
            PostQuitMessage(0);
            return 0;
    }
    return DefaultHandling(message, wParam, lParam);
}

void BstF1::OnCommand(int id, int code, HWND control) {
    if (id >= ids::Cmd && id <= ids::Cmd + 9) {
        if (code == BN_CLICKED) OnCmdClick(id - ids::Cmd);
        return;
    }
    if (id >= ids::Opt && id <= ids::Opt + 2) {
        if (code == BN_CLICKED && IsWindowEnabled(control)) {
            ToggleCheck(control);
            OnOptClick(id - ids::Opt);
        }
        return;
    }
    if (id >= ids::TabKey && id < ids::TabKey + 3) {
        // The shortcut of a tab: the tab is clicked and keeps the focus.
        if (code == BN_CLICKED && IsWindowEnabled(onglet_)) {
            // The focus moves first, as a mouse click on the tab does: the box being left
            // (the program's parameters) stores its text before the display is redone.
            SetFocus(onglet_);
            SendMessageW(onglet_, TCM_SETCURFOCUS, id - ids::TabKey, 0);
        }
        return;
    }
    if (id >= ids::ImgOk && id <= ids::RowLast) {
        int kind = (id - ids::ImgOk) / ids::RowStride * ids::RowStride + ids::ImgOk;
        int line = (id - ids::ImgOk) % ids::RowStride;
        if (line >= RowCount() || code != BN_CLICKED) return;
        if (!IsWindowEnabled(cadre_[0]) || !IsWindowEnabled(control)) return;
        if (kind == ids::ChkS) SetChkSValue(line, SendMessageW(ChkS(line), BM_GETCHECK, 0, 0) == BST_CHECKED ? 0 : 1);
        if (kind == ids::CmdS) CmdSClick(line, 1);
        if (kind == ids::CmdD) CmdDClick(line);
        if (kind == ids::CmdEx) OnCmdExClick(line);
        return;
    }
    switch (id) {
        case ids::ChkProg:
            if (code == BN_CLICKED && IsWindowEnabled(control)) {
                ToggleCheck(control);
                OnChkProgClick();
            }
            break;
        case ids::CmdP:
            if (code == BN_CLICKED) OnCmdPClick();
            break;
        case ids::CmdPOff:
            if (code == BN_CLICKED) OnCmdPOffClick();
            break;
        case ids::PrmToRunTxt:
            if (code == EN_KILLFOCUS) OnPrmToRunLostFocus();
            break;
        case ids::AutoHr:
            if (code == EN_CHANGE) OnAutoHrChange();
            break;
        case ids::ConfigLbl + 1:
            if (code == STN_CLICKED && EditDescription(hwnd_)) ShowConfigName();
            break;
    }
}

void BstF1::OnNotify(const NMHDR& header) {
    if (header.hwndFrom == onglet_ && header.code == TCN_SELCHANGE) OnOngletClick();
}

void BstF1::ToggleCheck(HWND box) {
    bool ticked = SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    SendMessageW(box, BM_SETCHECK, ticked ? BST_UNCHECKED : BST_CHECKED, 0);
}

// Cmd(1): starting a run is wired with the run window.
