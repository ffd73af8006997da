#include "mainwindow/BstF1.h"

#include "app/Events.h"
#include "app/Settings.h"
#include "app/Utils.h"

namespace {
BstF1* g_mainWindow = nullptr;

constexpr int FormWidthTw = 9600;
constexpr int FormHeightTw = 6600;
}  // namespace

BstF1* MainWindow() { return g_mainWindow; }

BstF1::BstF1() {
    // Initialize: the common controls must be ready before any control is created.
    bastide::InitCommonControls();
}

BstF1::~BstF1() {
    if (g_mainWindow == this) g_mainWindow = nullptr;
}

bool BstF1::Load() {
    windowActivated_ = false;
    int left = ReadSettingLong(PositionSection, L"Left");
    int top = ReadSettingLong(PositionSection, L"Top");
    storedWindowState_ = ReadSettingLong(PositionSection, L"WindowState");
    AutoStartFlag = ReadSettingShort(PositionSection, L"AutoStart");
    if (!CreateForm(nullptr, AppTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, 0,
                    left, top, FormWidthTw, FormHeightTw)) {
        return false;
    }
    g_mainWindow = this;
    RunMode = 0;
    CompareReverse = false;
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

void BstF1::OnFirstActivation() {}

LRESULT BstF1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) PostMessageW(hwnd_, WM_APP, 0, 0);
            break;
        case WM_APP:
            // Activation is handled once the activation messages are done, as a form's
            // Activate event comes after the window is shown.
            OnActivate();
            return 0;
        case WM_CLOSE:
            Unload();
            return 0;
        case WM_DESTROY:
            if (g_mainWindow == this) g_mainWindow = nullptr;
            PostQuitMessage(0);
            return 0;
    }
    return DefaultHandling(message, wParam, lParam);
}
