// The mode tabs, the command buttons, the lock, the two copy options and the program
// run after a backup.
#include "app/Settings.h"
#include "app/frmAbout.h"
#include "app/UiService.h"
#include "app/Utils.h"
#include "dialogs/BstF3.h"
#include "dialogs/VisuErrFrm.h"
#include "mainwindow/BstF1.h"
#include "mainwindow/ToolTips.h"

#include <commctrl.h>

namespace {

int CheckValue(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0; }

const wchar_t* CompareCaption() {
    return CompareReverse ? L"Comparaison Destination -> Source" : L"Comparaison Source -> Destination";
}

}  // namespace

void BstF1::OnCmdClick(int i) {
    SetFocus(onglet_);
    switch (i) {
        case 0:
            Unload();
            break;
        case 1:
            OnStartClick();
            break;
        case 2:
            ShowAboutBox(hwnd_);
            break;
        case 3:
            ApplyConfigChoice(ChooseConfiguration(hwnd_));
            break;
        case 4:
            CompareReverse = !CompareReverse;
            ResetComparisonPanel();
            break;
        case 5:
            DisplayConfiguration();
            break;
        case 6:
            locked_ = !locked_;
            ShowLock();
            break;
        case 7:
            ChangeAllDestinations();
            break;
        case 8:
            OnTaskSchedulerClick();
            break;
        case 9:
            ShowErrorViewer(hwnd_, CurrentConfigName, RunMode);
            break;
        default:
            break;
    }
}

void BstF1::OnOngletClick() {
    int tab = static_cast<int>(SendMessageW(onglet_, TCM_GETCURSEL, 0, 0));
    SetModeFromTab(tab);
    ShowModeControls();
    DisplayConfiguration();
}

void BstF1::SetModeFromTab(int tab) {
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    if (tab < 0 || !SendMessageW(onglet_, TCM_GETITEMW, tab, reinterpret_cast<LPARAM>(&item))) return;
    switch (item.lParam) {
        case L'S': RunMode = 0; break;
        case L'R': RunMode = 1; break;
        case L'C': RunMode = 2; break;
    }
}

void BstF1::ShowModeControls() {
    static const wchar_t* captions[3] = {L"Lancer la Sauvegarde", L"Lancer la Restauration", L"Lancer la Comparaison"};
    static const wchar_t* tips[3] = {L"Cliquez ici pour lancer la sauvegarde", L"Cliquez ici pour lancer la restauration",
                                     L"Cliquez ici pour lancer la comparaison"};
    int mode = RunMode >= 0 && RunMode <= 2 ? RunMode : 0;
    if (SendMessageW(onglet_, TCM_GETCURSEL, 0, 0) != mode) SendMessageW(onglet_, TCM_SETCURSEL, mode, 0);
    SetText(cmd_[1], captions[mode]);
    SetToolTipText(cmd_[1], tips[mode]);
    ShowWindow(cadre_[0], mode != 2 ? SW_SHOW : SW_HIDE);
    ShowWindow(cadre_[3], mode == 2 ? SW_SHOW : SW_HIDE);
    bool scheduling = mode == 0;
    for (HWND control : {cadrePla_, opt_[2], lblH_, autoHr_, cmd_[8]}) EnableWindow(control, scheduling);
    if (mode == 0) EnableProgramControls(true);
    if (mode == 2) SetText(cmd_[4], CompareCaption());
    SetPicture(cmd_[1], ImgB(mode));
}

void BstF1::ShowLock() {
    SetPicture(cmd_[6], LockImg(locked_ ? 0 : 1));
    SetToolTipText(cmd_[6], locked_ ? L"Configuration verrouillée" : L"Configuration déverrouillée");
    for (HWND control : {cadre_[0], cmd_[7], opt_[0], opt_[1]}) EnableWindow(control, !locked_);
    // The row buttons grey out with their frame, so that the lock shows on the rows.
    for (const Row& row : rows_) {
        for (HWND button : {row.cmdS, row.cmdD, row.cmdEx}) EnableWindow(button, !locked_);
    }
    EnableProgramControls(RunMode == 0 && !locked_);
}

void BstF1::EnableProgramControls(bool on) {
    for (HWND control : {chkProg_, progToRunTxt_, prmToRunTxt_, cmdP_, cmdPOff_, prmLabel_}) {
        EnableWindow(control, on);
    }
}

void BstF1::OnOptClick(int i) {
    int value = CheckValue(opt_[i]);
    switch (i) {
        case 0:
            Config.Confirmation = value;
            WriteSetting(CurrentConfigName, L"Confirmation", std::to_wstring(value));
            break;
        case 1:
            Config.Modifie = value;
            WriteSetting(CurrentConfigName, L"Modifie", std::to_wstring(value));
            break;
        case 2:
            Config.AutoSave = value;
            WriteSetting(CurrentConfigName, L"AutoSave", std::to_wstring(value));
            EnableTimer1(value != 0);
            break;
    }
}

void BstF1::OnChkProgClick() {
    int value = CheckValue(chkProg_);
    Config.RunProgramAfter = static_cast<short>(value);
    WriteSetting(CurrentConfigName, L"SelectP", std::to_wstring(value));
}

void BstF1::OnCmdPClick() {
    OpenFileRequest request;
    request.owner = hwnd_;
    request.title = L"Programme à exécuter automatiquement";
    request.filter = L"Applications (*.exe)|*.exe|Fichier de commandes (*.bat)|*.bat|Tous les fichiers (*.*)|*.*";
    request.initialFile = GetText(progToRunTxt_);
    std::wstring chosen = Ui().AskOpenFile(request);
    if (!chosen.empty()) {
        SetText(progToRunTxt_, chosen);
        Config.ProgToRun = chosen;
        WriteSetting(CurrentConfigName, L"ProgToRun", chosen);
    }
    SetFocus(progToRunTxt_);
}

void BstF1::OnCmdPOffClick() {
    int answer = Ui().ShowMessage(hwnd_, L"Confirmez-vous la suppression du programme à exécuter après la Sauvegarde ?",
                                  L"Suppression", MB_OKCANCEL | MB_ICONQUESTION);
    if (answer != IDOK) return;
    SetText(progToRunTxt_, L"");
    SetText(prmToRunTxt_, L"");
    SendMessageW(chkProg_, BM_SETCHECK, BST_UNCHECKED, 0);
    Config.ProgToRun.clear();
    Config.PrmToRun.clear();
    Config.RunProgramAfter = 0;
    WriteSetting(CurrentConfigName, L"ProgToRun", L"");
    WriteSetting(CurrentConfigName, L"PrmToRun", L"");
    WriteSetting(CurrentConfigName, L"SelectP", std::to_wstring(CheckValue(chkProg_)));
}

void BstF1::OnPrmToRunLostFocus() {
    std::wstring parameters = Trim(GetText(prmToRunTxt_));
    Config.PrmToRun = parameters;
    SetText(prmToRunTxt_, parameters);
    WriteSetting(CurrentConfigName, L"PrmToRun", parameters);
}
