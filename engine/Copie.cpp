#include "engine/Copie.h"

#include "app/Events.h"
#include "app/RunModes.h"
#include "app/Settings.h"
#include "app/UiService.h"
#include "app/Utils.h"
#include "engine/ErrorLog.h"
#include "engine/FrmConfirm.h"
#include "engine/RunState.h"
#include "engine/Statistics.h"
#include "engine/Surplus.h"
#include "engine/Walk.h"
#include "res/resource.h"

#include <commctrl.h>
#include <shellapi.h>

std::wstring RunDurationText;

namespace {

constexpr int LblBaseId = 200;
constexpr int ProgBarId = 210;
constexpr int ECTxtId = 211;
constexpr int AnalyseChkId = 212;
constexpr int CmdId = 213;
constexpr UINT_PTR LogTimerId = 1;
constexpr DWORD LogFlushIntervalMs = 250;
constexpr UINT StartRunMessage = WM_APP + 1;

constexpr int FormWidthTw = 8400;
constexpr int FormHeightTw = 7650;
constexpr int MarginTw = 240;
constexpr int InnerWidthTw = FormWidthTw - 2 * MarginTw - 120;

const wchar_t* ModeWord(int mode) { return modes::Of(mode).word; }

// "hh:nn:ss" of a duration in milliseconds.
std::wstring FormatDuration(ULONGLONG milliseconds) {
    ULONGLONG seconds = milliseconds / 1000;
    wchar_t text[32];
    swprintf(text, 32, L"%02llu:%02llu:%02llu", (seconds / 3600) % 24, (seconds / 60) % 60, seconds % 60);
    return text;
}

// 1234567 as "1 234 567".
std::wstring GroupDigits(long long value) {
    std::wstring digits = std::to_wstring(value < 0 ? -value : value);
    std::wstring grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += L' ';
        grouped += digits[i];
    }
    return value < 0 ? L"-" + grouped : grouped;
}

// Shared with the system: loaded once, never destroyed by a run window.
HICON ProgramIcon(int id) {
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32, LR_SHARED));
}

// The folder (3) and drive (8) pictures of the shell, extracted once for the process.
HICON ShellIcon(int index) {
    static HICON folder = nullptr, drive = nullptr;
    HICON& icon = index == 3 ? folder : drive;
    if (!icon) {
        HICON extracted = ExtractIconW(GetModuleHandleW(nullptr), L"shell32.dll", index);
        icon = reinterpret_cast<UINT_PTR>(extracted) > 1 ? extracted : LoadIconW(nullptr, IDI_APPLICATION);
    }
    return icon;
}

HICON DirectionIcon(int mode) {
    static const int ids[3] = {IDI_START_BACKUP, IDI_START_RESTORE, IDI_START_COMPARE};
    return ProgramIcon(ids[mode < 0 || mode > 2 ? 0 : mode]);
}

}  // namespace

Copie::Copie(RunHost& host, bool manual) : host_(host), manual_(manual) {}

Copie::~Copie() {
    if (hwnd_) KillTimer(hwnd_, LogTimerId);
}

std::wstring Copie::Caption() const { return modes::Of(RunMode).caption; }

bool Copie::Load(HWND owner) {
    if (!CreateForm(owner, Caption(), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME, 0,
                    0, FormWidthTw, FormHeightTw)) {
        return false;
    }
    CreateControls();
    SendMessageW(analyseChk_, BM_SETCHECK, Options.SuiviAnalyse ? BST_CHECKED : BST_UNCHECKED, 0);
    ShowProgressValue(0);
    ForgetShownTexts();
    AppendLog(L"Début de la " + Caption());
    startTime_ = static_cast<double>(GetTickCount64());

    CenterOver(owner);
    return true;
}

void Copie::CreateControls() {
    auto picture = [this](int leftTw, HICON icon, bool visible) {
        HWND control = AddControl(L"STATIC", L"", SS_ICON | SS_CENTERIMAGE | (visible ? WS_VISIBLE : 0), leftTw, 120,
                                  480, 480, 0);
        SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
        return control;
    };
    imgSrc_ = picture(MarginTw, ShellIcon(RunMode == 1 ? 8 : 3), true);
    imgSens_ = picture(FormWidthTw / 2 - 360, DirectionIcon(RunMode), true);
    imgAtt_ = picture(FormWidthTw / 2 + 240, LoadIconW(nullptr, IDI_WARNING), false);
    imgDest_ = picture(FormWidthTw - MarginTw - 120 - 480, ShellIcon(RunMode == 1 ? 3 : 8), true);

    const int labelTop[LabelCount] = {780, 1050, 1320, 1590, 1860, 2130};
    for (int i = 0; i < LabelCount; ++i) {
        DWORD style = WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS;
        lbl_[i] = AddControl(L"STATIC", L"", style, MarginTw, labelTop[i], InnerWidthTw, 255, LblBaseId + i);
    }
    SendMessageW(lbl_[1], WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont()), FALSE);

    progBar_ = AddControl(PROGRESS_CLASSW, L"", WS_VISIBLE, MarginTw, 2460, InnerWidthTw, 300, ProgBarId);
    SendMessageW(progBar_, PBM_SETRANGE32, 0, 100);

    analyseChk_ = AddControl(L"BUTTON", L"Suivi de l'analyse", WS_TABSTOP | BS_AUTOCHECKBOX, MarginTw, 2880, 3000, 270,
                             AnalyseChkId);

    ecTxt_ = AddControl(L"EDIT", L"",
                        WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                            ES_AUTOHSCROLL | WS_TABSTOP,
                        MarginTw, 3240, InnerWidthTw, 3300, ECTxtId, WS_EX_CLIENTEDGE);
    // The log holds every line of a run, however many.
    SendMessageW(ecTxt_, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);

    cmd_ = AddControl(L"BUTTON", L"Annuler", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, (FormWidthTw - 1500) / 2 - 60,
                      6660, 1500, 375, CmdId);

    tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                            0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (int i = 0; i < 3; ++i) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(lbl_[i]);
        tool.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, 600);
}

void Copie::Run(HWND owner) {
    if (!hwnd_ && !Load(owner)) return;
    SetTimer(hwnd_, LogTimerId, LogFlushIntervalMs, nullptr);
    ScopedRunView shownHere(*this);
    ShowModal(owner);
}

// ---- RunView ----

void Copie::SetSourceLabel(int index, const std::wstring& text) {
    std::wstring shown = CompactPath(hwnd_, lbl_[index], text, DT_PATH_ELLIPSIS);
    SetText(lbl_[index], shown);
    if (!tips_) return;
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(lbl_[index]);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Copie::ShowLabel(int index, const std::wstring& text, bool isPath) {
    if (!hwnd_) return;
    if (isPath && index < 3) SetSourceLabel(index, text);
    else SetText(lbl_[index], text);
}

void Copie::ShowProgressValue(int percent) {
    if (progBar_) SendMessageW(progBar_, PBM_SETPOS, percent, 0);
}

void Copie::ShowProgressStyle(int style) {
    progressStyle_ = style;
    if (!progBar_) return;
    // Style 2 (a preparatory pass of unknown length) runs as a marquee.
    LONG_PTR bits = GetWindowLongPtrW(progBar_, GWL_STYLE);
    if (style == 2) {
        SetWindowLongPtrW(progBar_, GWL_STYLE, bits | PBS_MARQUEE);
        SendMessageW(progBar_, PBM_SETMARQUEE, TRUE, 40);
    } else {
        SendMessageW(progBar_, PBM_SETMARQUEE, FALSE, 0);
        SetWindowLongPtrW(progBar_, GWL_STYLE, bits & ~static_cast<LONG_PTR>(PBS_MARQUEE));
    }
}

void Copie::AppendLog(const std::wstring& line) {
    logText_ += line;
    logText_ += L"\r\n";
    pendingLog_ += line;
    pendingLog_ += L"\r\n";
    ProcessEvents();
}

void Copie::FlushLog() {
    lastLogFlush_ = GetTickCount();
    if (pendingLog_.empty() || !ecTxt_) return;
    // Appended at the end in one piece, the caret left after it.
    int length = GetWindowTextLengthW(ecTxt_);
    SendMessageW(ecTxt_, EM_SETSEL, length, length);
    SendMessageW(ecTxt_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(pendingLog_.c_str()));
    pendingLog_.clear();
}

void Copie::AddComparisonLine(const std::wstring& line) { host_.AddComparisonLine(line); }

void Copie::ShowFirstError() {
    // The direction picture takes its error variant and the warning mark appears.
    SendMessageW(imgSens_, STM_SETICON, reinterpret_cast<WPARAM>(ProgramIcon(IDI_RESULT_ERROR)), 0);
    ShowWindow(imgAtt_, SW_SHOW);
}

void Copie::ProcessEvents() {
    if (GetTickCount() - lastLogFlush_ >= LogFlushIntervalMs) FlushLog();
    ProcessPendingEvents();
}

ConfirmAnswer Copie::ConfirmReplace(const std::wstring& fileName) {
    FlushLog();
    return ::ConfirmReplace(hwnd_, fileName);
}

void Copie::ShowCriticalMessage(const std::wstring& text, const std::wstring& title) {
    // A run nobody watches shows no box: it would wait forever for an answer.
    if (!manual_ || AutoLaunch) return;
    FlushLog();
    Ui().ShowMessage(hwnd_, text, title, MB_OK | MB_ICONSTOP);
}

// ---- The run ----

void Copie::OnFirstActivation() {
    if (started_) return;
    started_ = true;
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ProcessPendingEventsNow();
    if (RunMode == 2) ComparePass();
    else CopyRun();
}

void Copie::RunSelectedLines(bool analysisOnly, bool copyPass) {
    for (int i = 0; i <= MaxLineIndex; ++i) {
        if (!IsLineSelected(i)) continue;
        if (copyPass) CurrentRun.WorkStarted = true;
        LoadExclusions(i);
        RunLine(PathsOfLine(i, host_.SourcePath(i), host_.DestinationPath(i)), analysisOnly);
        if (CurrentRun.Aborted) return;
        if (copyPass) {
            host_.ShowLineDone(i);
            ProcessEvents();
        }
    }
}

void Copie::CopyRun() {
    RunState& run = CurrentRun;
    // A run nobody watches never asks: an existing copy is replaced as "&Tous" would.
    run.AskConfirmation = Config.Confirmation != 1 && manual_ && !AutoLaunch;
    run.StartTimer = WholeSecondsSinceMidnight();
    run.Aborted = false;
    run.TotalBytes = 0;
    BeginEngineRun();

    SetProgressStyle(2);
    SetLabel(1, L"Copie de l'arborescence...");
    SetLabel(3, L"Aucun répertoire créé");
    run.DirsRead = 0;
    run.DirsCreated = 0;
    if (!Options.ArbreMode) {
        // The tree pass creates every missing destination directory first.
        Options.ArbreMode = -1;
        RunSelectedLines(true, false);
        Options.ArbreMode = 0;

        // A mirrored run first removes what the copy would not leave as it is.
        if (Options.SynchroCopie && !run.Aborted) RemoveSurplusFiles(host_);
        run.TotalBytes = 0;
        if (!run.Aborted) {
            SetProgressStyle(2);
            ShowWindow(analyseChk_, SW_SHOW);
            SetLabel(1, L"Analyse de la copie...");
            SetLabel(3, L"Analyse de :");
        }
    }
    ProcessEvents();
    run.FilesToCopy = 0;
    if (!run.Aborted) RunSelectedLines(true, false);
    ForgetTreeListings();

    if (!run.Aborted && !Options.ArbreMode) {
        SetProgress(0);
        SetProgressStyle(0);
        ShowWindow(analyseChk_, SW_HIDE);
        SetLabel(2, L"Temps restant: Calcul en cours ...");
        run.StartTimer = WholeSecondsSinceMidnight();
        run.CopiedBytes = 0;
        run.RateBaseBytes = 0;
        // Files to copy that hold no byte (empty files) are copied all the same.
        if ((run.TotalBytes > 0 || run.FilesToCopy > 0) && !run.Aborted) RunSelectedLines(false, true);
    }
    EndOfRun();
}

void Copie::ComparePass() {
    RunState& run = CurrentRun;
    run.Aborted = false;
    run.TotalBytes = 0;
    BeginEngineRun();
    SetProgressStyle(2);
    run.FilesToCopy = 0;
    SetLabel(1, L"Comparaison en cours...");
    SetLabel(0, L"");
    SetLabel(2, L"");
    SetLabel(5, L"");
    host_.BeginComparisonList();
    ProcessEvents();

    for (int i = 0; i <= MaxLineIndex; ++i) {
        if (!IsLineSelected(i)) continue;
        std::wstring header = std::wstring(L"***** ") + modes::Of(CompareReverse ? 1 : 0).name + L" n°" +
                              std::to_wstring(i + 1);
        host_.AddComparisonLine(header);
        AppendLog(header);
        LoadExclusions(i);
        RunLine(PathsOfLine(i, host_.SourcePath(i), host_.DestinationPath(i)), true);
        if (run.Aborted) break;
    }

    if (run.Aborted) {
        host_.AddComparisonLine(L"***** Comparaison interrompue");
        AppendLog(L"***** Comparaison interrompue");
    } else {
        RecordDuration();
        run.ErrorCount = run.FilesToCopy;
        host_.AddComparisonLine(L"***** Fin de la comparaison");
        AppendLog(L"***** Fin de la comparaison");
    }
    if (run.TotalBytes != 0 || run.FilesToCopy > 0) {
        std::wstring summary = std::to_wstring(run.FilesToCopy) + L" fichier(s) à copier soit " +
                               FormatSize(static_cast<double>(run.TotalBytes)) + L" (" + GroupDigits(run.TotalBytes) +
                               L" octets)";
        host_.SetComparisonLabel(summary);
        AppendLog(summary);
        AppendLog(L"Durée de la " + Caption() + L" : " + RunDurationText);
    } else {
        host_.SetComparisonLabel(std::wstring(L"Aucun fichier à ") + modes::Of(CompareReverse ? 1 : 0).noFileTo);
    }
    host_.EndComparisonList();
    FlushLog();
    OnUnload();
    Close();
}

void Copie::RecordDuration() {
    RunDurationText = FormatDuration(GetTickCount64() - static_cast<ULONGLONG>(startTime_));
}

void Copie::EndOfRun() {
    RunState& run = CurrentRun;
    RecordDuration();
    if (run.ErrorCount == 0 || AutoLaunch) {
        FlushLog();
        OnUnload();
        Close();
        return;
    }
    finished_ = true;
    AppendLog(L"Fin de la " + Caption() + L" " + std::to_wstring(run.ErrorCount) + L" erreur(s).");
    AppendLog(L"Durée de la " + Caption() + L" : " + RunDurationText);
    FlushLog();
    SetWindowTextW(cmd_, L"Fermer");
    EnableWindow(cmd_, TRUE);
    SetFocus(cmd_);
}

// ---- Events ----

void Copie::OnCmdClick() {
    if (finished_) {
        OnUnload();
        Close();
        return;
    }
    std::wstring question = std::wstring(L"Voulez-vous interrompre la ") + ModeWord(RunMode) + L" ?";
    if (Ui().ShowMessage(hwnd_, question, GetText(hwnd_), MB_YESNO | MB_ICONQUESTION) == IDYES) {
        EnableWindow(cmd_, FALSE);
        CurrentRun.Aborted = true;
    }
}

void Copie::OnAnalyseChkClick() {
    Options.SuiviAnalyse = SendMessageW(analyseChk_, BM_GETCHECK, 0, 0) == BST_CHECKED ? -1 : 0;
}

void Copie::OnUnload() {
    if (unloaded_) return;
    unloaded_ = true;
    WriteSetting(PositionSection, L"SuiviAnalyse", Options.SuiviAnalyse ? L"-1" : L"0");
    if (CurrentRun.ErrorCount > 0) {
        // The logs live beside the settings file, that is in the program's directory.
        std::wstring directory = SplitPath(IniPath).first;
        if (!directory.empty() && directory.back() == L'\\') directory.pop_back();
        WriteErrorLog(ErrorLogPathIn(directory, CurrentConfigName, RunMode), logText_);
    }
}

LRESULT Copie::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && !started_) PostMessageW(hwnd_, StartRunMessage, 0, 0);
            break;
        case StartRunMessage:
            OnFirstActivation();
            return 0;
        case WM_TIMER:
            if (wParam == LogTimerId) {
                if (GetTickCount() - lastLogFlush_ >= LogFlushIntervalMs) FlushLog();
                return 0;
            }
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == CmdId || LOWORD(wParam) == IDCANCEL) {
                if (IsWindowEnabled(cmd_)) OnCmdClick();
                return 0;
            }
            if (LOWORD(wParam) == AnalyseChkId && HIWORD(wParam) == BN_CLICKED) {
                OnAnalyseChkClick();
                return 0;
            }
            break;
        case WM_CLOSE:
            // The window's close box acts as its button: it asks before interrupting.
            if (IsWindowEnabled(cmd_)) OnCmdClick();
            return 0;
        case WM_DESTROY:
            KillTimer(hwnd_, LogTimerId);
            break;
    }
    return DefaultHandling(message, wParam, lParam);
}
