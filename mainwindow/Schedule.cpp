// The scheduling group of the main window: the daily automatic backup, its time box and
// the button that opens the Windows Task Scheduler.
#include "app/Schedule.h"

#include "app/Settings.h"
#include "app/UiService.h"
#include "app/Utils.h"
#include "common/Guard.h"
#include "mainwindow/BstF1.h"
#include "mainwindow/LineMenu.h"

#include <commctrl.h>

namespace {

// Posted by the time box to itself when the focus has left it for another control of the
// window: the time is checked once the focus has settled, so that the refusal's message box
// does not interrupt the move of the focus.
constexpr UINT ValidateTime = WM_APP + 1;
constexpr size_t TimeLength = 5;  // "hh:nn"
constexpr DWORD ColonPosition = 2;

DWORD Caret(HWND box) {
    DWORD start = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return start;
}

void SetCaret(HWND box, DWORD position) { SendMessageW(box, EM_SETSEL, position, position); }

}  // namespace

UINT BstF1::Timer1Interval = 10000;

void BstF1::EnableTimer1(bool on) {
    timer1Enabled_ = on;
    if (on) {
        SetTimer(hwnd_, Timer1Id, Timer1Interval, nullptr);
    } else {
        KillTimer(hwnd_, Timer1Id);
    }
}

void BstF1::OnTimer1() {
    // The check waits while another tab is shown, in an "Auto" instance (which makes its one
    // run itself), during a run, while a window is open over this one (a dialog may be
    // changing the configuration the backup would read), and while the line menu or a drag
    // holds the mouse in a loop of its own.
    if (RunMode != 0 || AutoLaunch || runActive_ || !IsWindowEnabled(hwnd_)) return;
    if (lineMenu_ && lineMenu_->Busy()) return;
    moments::Moment now = moments::Now();
    schedule::Tick tick = schedule::Examine(now, NextRunDate, Config.AutoTime, Config.Last[0].Date, lastAutoStart_);
    if (!tick.due) return;
    if (tick.start) {
        lastAutoStart_ = now;
        StartRun(0);
    }
    ComputeNextRunDate(true);
    CloseIfAskedDuringRun();
}

// ---- The time box: five characters, typed over, the colon kept in the middle ----

LRESULT CALLBACK BstF1::AutoHrProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR data) {
    auto* window = reinterpret_cast<BstF1*>(data);
    switch (message) {
        case WM_KEYDOWN:
            // Shift+Insert pastes inside the box's own key handling.
            if (wParam == VK_DELETE || (wParam == VK_INSERT && GetKeyState(VK_SHIFT) < 0)) return 0;
            guard::Call<void>("BstF1::AutoHrProc", [&] { window->OnAutoHrKeyDown(wParam); });
            break;
        case WM_CHAR:
            guard::Call<void>("BstF1::AutoHrProc", [&] { window->OnAutoHrKeyPress(static_cast<wchar_t>(wParam)); });
            return 0;
        case WM_CONTEXTMENU:
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_UNDO:
            // The edit menu and commands would insert or remove characters: the box is
            // typed over only.
            return 0;
        case WM_SETFOCUS: {
            LRESULT result = DefSubclassProc(control, message, wParam, lParam);
            guard::Call<void>("BstF1::AutoHrProc", [&] { window->OnAutoHrGotFocus(); });
            return result;
        }
        case WM_KILLFOCUS: {
            LRESULT result = DefSubclassProc(control, message, wParam, lParam);
            // Leaving the program for another one is no leaving of the box: the check would
            // take the focus back from the other program.
            HWND next = reinterpret_cast<HWND>(wParam);
            if (next && GetAncestor(next, GA_ROOT) == window->hwnd_) PostMessageW(control, ValidateTime, 0, 0);
            return result;
        }
        case ValidateTime:
            guard::Call<void>("BstF1::AutoHrProc", [&] { window->OnAutoHrLostFocus(); });
            return 0;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

void BstF1::OnAutoHrGotFocus() { timeBeforeEdit_ = Config.AutoTime; }

// Runs before the box's own move: the arrows step over the colon.
void BstF1::OnAutoHrKeyDown(WPARAM key) {
    DWORD caret = Caret(autoHr_);
    if (key == VK_RIGHT && caret == ColonPosition - 1) SetCaret(autoHr_, caret + 1);
    if (key == VK_LEFT && caret == ColonPosition + 1) SetCaret(autoHr_, caret - 1);
}

void BstF1::OnAutoHrKeyPress(wchar_t character) {
    if (character < L'0' || character > L'9') return;
    DWORD caret = Caret(autoHr_);
    if (caret >= TimeLength) return;
    std::wstring text = GetText(autoHr_);
    // A shorter time read from the settings file grows to its five characters.
    if (caret < text.size()) {
        text[caret] = character;
    } else {
        text += character;
    }
    // Written back even when it is the same: every digit typed is a change of the time.
    SetWindowTextW(autoHr_, text.c_str());
    SetCaret(autoHr_, caret == ColonPosition - 1 ? caret + 2 : caret + 1);
}

// A new time switches the automatic backup off until the user ticks it again.
void BstF1::OnAutoHrChange() {
    if (!configShown_ || SendMessageW(opt_[2], BM_GETCHECK, 0, 0) != BST_CHECKED) return;
    SendMessageW(opt_[2], BM_SETCHECK, BST_UNCHECKED, 0);
    OnOptClick(2);
}

void BstF1::OnAutoHrLostFocus() {
    std::wstring time = (GetText(autoHr_) + L"00000").substr(0, TimeLength);
    time[ColonPosition] = L':';
    if (schedule::IsValidTime(time)) {
        Config.AutoTime = time;
        WriteSetting(CurrentConfigName, L"AutoTime", Trim(time));
        SetText(autoHr_, time);
        ComputeNextRunDate(false);
        return;
    }
    Ui().ShowMessage(hwnd_, L"L'heure de sauvegarde saisie est incorrecte !", AppTitle, MB_OK | MB_ICONINFORMATION);
    SetText(autoHr_, timeBeforeEdit_);
    // The box may have been disabled meanwhile, by a tab that left the backup mode.
    if (IsWindowEnabled(autoHr_) && IsWindowVisible(autoHr_)) SetFocus(autoHr_);
}

// ---- Cmd(8) ----

void BstF1::OnTaskSchedulerClick() {
    Ui().ShowMessage(hwnd_,
                     L"Pour créer une nouvelle planification de Sauvegarde, cliquez sur créer une tâche de base et "
                     L"inscrivez les paramétres de planification.\r\n\r\n"
                     L"Pour modifier une planification existante, cliquez sur son nom, sélectionnez Propriétés, et "
                     L"inscrivez vos modifications.",
                     L"Planificateur de Tâches", MB_OK | MB_ICONINFORMATION);
    wchar_t windows[MAX_PATH + 1] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    // Where the console does not exist (Wine), the shell's refusal is ignored as any other.
    Ui().ShellRun(hwnd_, L"open", std::wstring(windows) + L"\\system32\\taskschd.msc", L"", L"", SW_SHOWNORMAL);
    SetFocus(onglet_);
}
