// The main window's side of every run: the questions before it, the run window, the
// message at its end, the recording of its outcome and the program launched after it.
#include "app/Clock.h"
#include "app/Settings.h"
#include "app/RunModes.h"
#include "app/UiService.h"
#include "app/Utils.h"
#include "common/Handles.h"
#include "dialogs/VisuErrFrm.h"
#include "engine/Copie.h"
#include "engine/RunState.h"
#include "engine/Walk.h"
#include "mainwindow/BstF1.h"

namespace {

// What an unattended run tells the task scheduler; stopped until a run has said otherwise.
int g_unattendedExitCode = ExitStopped;

bool AnyLineSelected() {
    for (int i = 0; i <= MaxLineIndex; ++i)
        if (IsLineSelected(i)) return true;
    return false;
}

// 0: completed without error (everything already up to date included); 1: completed with
// errors; 2: stopped (interrupted, destination or source missing) or nothing to run.
// A run that met an error did something, even when nothing was left to copy (a surplus
// file that could not be deleted, a folder that could not be created).
bool RunReachedWork(const RunState& run) { return run.WorkStarted || run.ErrorCount > 0; }

int ExitCodeOf(const RunState& run) {
    if (run.Aborted) return ExitStopped;
    if (!RunReachedWork(run)) return AnyLineSelected() ? ExitClean : ExitStopped;
    return run.ErrorCount == 0 ? ExitClean : ExitWithErrors;
}

}  // namespace

int UnattendedExitCode() { return g_unattendedExitCode; }

// ---- The start button ----

void BstF1::OnStartClick() {
    switch (RunMode) {
        case 0:
            StartRun(1);
            // The program after the backup runs whatever the outcome.
            LaunchProgramAfter();
            break;
        case 1: {
            std::wstring caption = GetText(hwnd_);
            if (Ui().ShowMessage(hwnd_, L"Confirmez-vous la restauration des fichiers ?", caption,
                                 MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
                return;
            }
            if (Ui().ShowMessage(hwnd_, L"Vous êtes bien sûr de vous ?\n(Restauration des fichiers)", caption,
                                 MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
                return;
            }
            StartRun(1);
            break;
        }
        case 2:
            StartComparison();
            break;
    }
    // Once the end message is read and the program after the backup launched.
    CloseIfAskedDuringRun();
}

void BstF1::OnFirstActivation() {
    if (!AutoLaunch) return;
    // The run window is modal: this returns when the run has ended, whatever its outcome.
    StartRun(0);
    Unload();
}

void BstF1::ShowRunWindow(bool manual) {
    runActive_ = true;
    Copie runWindow(*this, manual);
    if (runWindow.Load(hwnd_)) runWindow.Run(hwnd_);
    runActive_ = false;
}

void BstF1::CloseIfAskedDuringRun() {
    if (closeAfterRun_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

// ---- Backup and restore ----

std::wstring BstF1::InterruptionDetail() const {
    switch (CurrentRun.LastCopyError) {
        case 0: return L"";
        case 3: return L"Répertoire non trouvé.";
        case 5: return L"Accès disque destination refusé.";
        case 19: return L"Ce disque est protégé en écriture.\nRetirez la protection en écriture ou utilisez un autre disque.";
        case 21: return L"Il n'y a pas de disque dans le lecteur destination.";
        case 31: return L"Le disque destination n'est pas formaté.";
        case 32:
        case 33:
            return L"Impossible de copier: " + CurrentRun.BusyFile +
                   L", Violation de partage.\nLe fichier source ou destination est peut-être en cours d'utilisation.";
        case 55: return L"Le disque destination n'existe pas.";
        case 112: return L"Le disque destination est plein.";
        default: return L"Erreur " + std::to_wstring(CurrentRun.LastCopyError);
    }
}

void BstF1::StartRun(short manual) {
    EnableTimer1(false);
    EnableWindow(cmd_[1], FALSE);
    RunState& run = CurrentRun;
    bool showRun = true;
    if (manual == 1 && Options.ArbreMode) {
        showRun = Ui().ShowMessage(hwnd_,
                                   L"Seule l'arborescence des répertoires sera copiée sur le disque destination.\n"
                                   L"Confirmez-vous la copie ?",
                                   AppTitle, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
    }
    if (showRun) {
        run.WorkStarted = false;
        run.LastCopyError = 0;
        run.BusyFile.clear();
        run.ErrorCount = 0;
        ShowRunWindow(manual == 1);
        if (manual == 0) g_unattendedExitCode = ExitCodeOf(run);
        std::wstring message;
        UINT icon = MB_ICONINFORMATION;
        if (!RunReachedWork(run)) {
            if (manual == 1 && Options.ArbreMode) {
                message = L"Copie de l'arborescence terminée !\n\n" + std::to_wstring(run.DirsRead) +
                          L" répertoire(s) lu(s), " + std::to_wstring(run.DirsCreated) + L" répertoire(s) créé(s).";
            } else if (manual == 1) {
                message = modes::Of(RunMode).nothingToDo;
                icon = MB_ICONEXCLAMATION;
            }
        } else {
            if (run.Aborted) {
                // Only a backup says why: a restore stops with its title alone.
                message = modes::Of(RunMode).interrupted;
                if (RunMode != 1) message += L"\n\n" + InterruptionDetail();
            } else {
                RecordLastResult(run.ErrorCount == 0);
                message = std::wstring(modes::Of(RunMode).completed) +
                          (run.ErrorCount == 0 ? L" sans erreur."
                                               : L", nombre d'erreur(s): " + std::to_wstring(run.ErrorCount)) +
                          L"\r\n\r\nDurée : " + RunDurationText;
            }
            if (manual == 1 && Options.SignalSonore) PlayNamedSound(SoundNames[0]);
        }
        if (manual == 1 && !message.empty()) Ui().ShowMessage(hwnd_, message, AppTitle, MB_OK | icon);
        for (int i = 0; i < RowCount(); ++i) ShowWindow(ImgOk(i), SW_HIDE);
    }
    EnableWindow(cmd_[1], TRUE);
    EnableTimer1(Config.AutoSave != 0);
}

void BstF1::StartComparison() {
    EnableWindow(cmd_[1], FALSE);
    CurrentRun.ErrorCount = 0;
    ShowRunWindow(true);
    // An interrupted comparison has not looked at everything: recording it as one
    // "sans copie" would tell the user the copies are up to date.
    if (!CurrentRun.Aborted) RecordLastResult(CurrentRun.ErrorCount == 0);
    EnableWindow(cmd_[1], TRUE);
}

void BstF1::LaunchProgramAfter() {
    if (Config.ProgToRun.empty() || SendMessageW(chkProg_, BM_GETCHECK, 0, 0) != BST_CHECKED) return;
    ShellOpen(Config.ProgToRun, Config.PrmToRun);
}

// ---- The last result ----

void BstF1::RecordLastResult(bool ok) {
    int mode = RunMode >= 0 && RunMode <= 2 ? RunMode : 0;
    LastResult& last = Config.Last[mode];
    std::wstring kind = modes::Of(mode).resultKey;
    std::wstring now = moments::ToText(moments::Now());
    if (ok) {
        last.Date = now;
        last.Duration = RunDurationText;
        WriteSetting(CurrentConfigName, L"Last" + kind, last.Date);
        WriteSetting(CurrentConfigName, L"LastDuree" + kind, last.Duration);
    } else {
        last.DateErr = now;
        last.DurationErr = RunDurationText;
        last.NbErr = CurrentRun.ErrorCount;
        WriteSetting(CurrentConfigName, L"Last" + kind + L"Err", last.DateErr);
        WriteSetting(CurrentConfigName, L"LastDuree" + kind + L"Err", last.DurationErr);
        WriteSetting(CurrentConfigName, L"Last" + kind + L"NbErr", std::to_wstring(last.NbErr));
    }
    ShowLastResult();
    // After a comparison the first line names the comparison that just ended, with or
    // without copies.
    if (mode == 2) SetText(lastSaveLbl_[0], L"Dernière comparaison le " + FormatMoment(now));
}

// ---- What the run window reads and marks here ----

void BstF1::ShowLineDone(int line) {
    if (line >= 0 && line < RowCount()) ShowWindow(ImgOk(line), SW_SHOW);
}

void BstF1::BeginComparisonList() {
    SendMessageW(txtCp_, LB_RESETCONTENT, 0, 0);
    SendMessageW(txtCp_, LB_SETHORIZONTALEXTENT, 0, 0);
    SetText(lblComp_, L"");
    longestComparisonLine_ = 0;
    longestComparisonText_.clear();
    // Thousands of lines are added without a repaint each.
    SendMessageW(txtCp_, WM_SETREDRAW, FALSE, 0);
}

void BstF1::AddComparisonLine(const std::wstring& line) {
    SendMessageW(txtCp_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (line.size() > longestComparisonLine_) {
        longestComparisonLine_ = line.size();
        longestComparisonText_ = line;
    }
}

void BstF1::SetComparisonLabel(const std::wstring& text) { SetText(lblComp_, text); }

void BstF1::EndComparisonList() {
    // The list scrolls sideways as far as its longest line.
    SIZE size{};
    {
        win::WindowDc dc(txtCp_);
        win::Selection font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(txtCp_, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32W(dc.Get(), longestComparisonText_.c_str(),
                              static_cast<int>(longestComparisonText_.size()), &size);
    }
    SendMessageW(txtCp_, LB_SETHORIZONTALEXTENT, size.cx + GetSystemMetrics(SM_CXVSCROLL), 0);
    SendMessageW(txtCp_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(txtCp_, nullptr, TRUE);
}
