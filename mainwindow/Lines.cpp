// The lines of the configuration on the main window: their display in each mode, the
// selection boxes, and the saving of a row's paths into the settings file.
#include "app/Settings.h"
#include "app/UiService.h"
#include "app/Utils.h"
#include "dialogs/BstF6.h"
#include "mainwindow/BstF1.h"
#include "mainwindow/Layout.h"
#include "mainwindow/PathLabel.h"
#include "mainwindow/ToolTips.h"

#include <commctrl.h>

#include <algorithm>

namespace {

std::wstring Key(const wchar_t* prefix, int i) { return prefix + std::to_wstring(i); }

// name under dir, as the reversed display joins them. Without a name the dir stands
// alone; without a dir there is nothing to put the name under (a bare "\name" would
// point at the root of whatever drive is current).
std::wstring JoinUnder(const std::wstring& dir, const std::wstring& name) {
    if (name.empty()) return dir;
    if (dir.empty()) return L"";
    return AddBackslash(dir) + name;
}

std::wstring WithBackslashOrEmpty(const std::wstring& dir) { return dir.empty() ? L"" : AddBackslash(dir); }

// The reversed display of a stored line: where its copy lies, then where it came from.
void ReversedLine(const std::wstring& source, const std::wstring& destination, std::wstring& shownSource,
                  std::wstring& shownDestination) {
    auto [dir, name] = SplitPath(source);
    shownSource = JoinUnder(destination, name);
    shownDestination = WithBackslashOrEmpty(dir);
}

bool ValidLine(int i) {
    return i >= 0 && i <= MaxLineIndex && static_cast<size_t>(i) < Config.Sources.size() &&
           static_cast<size_t>(i) < Config.Destinations.size() && static_cast<size_t>(i) < Config.Selected.size();
}

}  // namespace

int BstF1::DisplayMode() const { return (RunMode == 1 || (RunMode == 2 && CompareReverse)) ? 1 : 0; }

void BstF1::ShownLine(int i, std::wstring& shownSource, std::wstring& shownDestination) const {
    const std::wstring& source = Config.Sources[i];
    const std::wstring& destination = Config.Destinations[i];
    if (DisplayMode() == 0) {
        shownSource = source;
        shownDestination = destination;
    } else {
        ReversedLine(source, destination, shownSource, shownDestination);
    }
}

void BstF1::PutLine(int i, const std::wstring& source, const std::wstring& destination) {
    SetPathLabel(hwnd_, LblS(i), source);
    SetPathLabel(hwnd_, LblD(i), destination);
}

std::wstring BstF1::SourcePath(int i) { return GetPathLabel(LblS(i)); }

std::wstring BstF1::DestinationPath(int i) { return GetPathLabel(LblD(i)); }

void BstF1::DisplayConfiguration() {
    configShown_ = false;
    ShowConfigName();
    int lines = std::min(RowCount(), MaxLineIndex + 1);
    for (int i = 0; i < lines; ++i) {
        if (!ValidLine(i)) break;
        std::wstring shownSource, shownDestination;
        ShownLine(i, shownSource, shownDestination);
        PutLine(i, shownSource, shownDestination);
        SetChkSValue(i, Config.Selected[i] != 0 ? 1 : 0);
        UpdateLineCheck(i);
    }
    SendMessageW(chkProg_, BM_SETCHECK, Config.RunProgramAfter ? BST_CHECKED : BST_UNCHECKED, 0);
    SetText(progToRunTxt_, Config.ProgToRun);
    SetText(prmToRunTxt_, Config.PrmToRun);
    SendMessageW(opt_[0], BM_SETCHECK, Config.Confirmation ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(opt_[1], BM_SETCHECK, Config.Modifie ? BST_CHECKED : BST_UNCHECKED, 0);
    // The automatic backup follows its box, also when the display changes it.
    int autoSave = Config.AutoSave ? BST_CHECKED : BST_UNCHECKED;
    if (SendMessageW(opt_[2], BM_GETCHECK, 0, 0) != autoSave) {
        SendMessageW(opt_[2], BM_SETCHECK, autoSave, 0);
        OnOptClick(2);
    }
    SetText(autoHr_, Config.AutoTime);
    ShowLastResult();
    locked_ = true;
    ShowLock();
    configShown_ = true;
}

void BstF1::ResetComparisonPanel() {
    DisplayConfiguration();
    SetText(cmd_[4], CompareReverse ? L"Comparaison Destination -> Source" : L"Comparaison Source -> Destination");
    SendMessageW(txtCp_, LB_RESETCONTENT, 0, 0);
    SetText(lblComp_, L"Aucune comparaison effectuée.");
}

void BstF1::ShowConfigName() {
    std::wstring name = CurrentConfigName;
    if (!Config.Description.empty()) name += L" (" + Config.Description + L")";
    SetText(configLbl_[1], name);
}

void BstF1::UpdateLineCheck(int i) {
    if (!GetPathLabel(LblS(i)).empty() && !GetPathLabel(LblD(i)).empty()) {
        EnableWindow(ChkS(i), TRUE);
    } else {
        SetChkSValue(i, 0);
        EnableWindow(ChkS(i), FALSE);
    }
}

// Changing the value of a line's box runs its Click, as a check box does.
void BstF1::SetChkSValue(int i, int value) {
    int current = SendMessageW(ChkS(i), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    if (current == value) return;
    SendMessageW(ChkS(i), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    OnChkSClick(i);
}

void BstF1::OnChkSClick(int i) {
    int value = SendMessageW(ChkS(i), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    if (ValidLine(i)) Config.Selected[i] = static_cast<short>(value);
    SetPicture(Img(i), FlecheImg(value));
    WriteSetting(CurrentConfigName, Key(L"Select", i), std::to_wstring(value));
}

void BstF1::SaveSource(int i) {
    if (!ValidLine(i)) return;
    // The labels hold the reversed display whenever it is shown, not only in restore mode.
    if (DisplayMode() == 1) {
        SaveLineFromDisplay(GetPathLabel(LblS(i)), GetPathLabel(LblD(i)), i);
    } else {
        Config.Sources[i] = GetPathLabel(LblS(i));
        WriteSetting(CurrentConfigName, Key(L"Source", i), Quote(Config.Sources[i]));
    }
    UpdateLineCheck(i);
}

void BstF1::SaveDestination(int i) {
    if (!ValidLine(i)) return;
    if (DisplayMode() == 1) {
        SaveLineFromDisplay(GetPathLabel(LblS(i)), GetPathLabel(LblD(i)), i);
    } else {
        Config.Destinations[i] = GetPathLabel(LblD(i));
        WriteSetting(CurrentConfigName, Key(L"Destination", i), Quote(Config.Destinations[i]));
    }
    UpdateLineCheck(i);
}

void BstF1::SaveLineFromDisplay(const std::wstring& shownSource, const std::wstring& shownDestination, int i) {
    if (!ValidLine(i)) return;
    std::wstring& source = Config.Sources[i];
    std::wstring& destination = Config.Destinations[i];
    std::wstring storedShownSource, storedShownDestination;
    ReversedLine(source, destination, storedShownSource, storedShownDestination);
    std::wstring storedName = SplitPath(source).second;
    bool sourceSideKept = shownSource == storedShownSource;
    if (!source.empty() && storedName.empty()) {
        // A whole drive is shown as its copy folder, then the drive: each side goes back
        // as it stands, so the line stays a drive line whichever side was changed.
        source = shownDestination;
        destination = shownSource;
    } else if (sourceSideKept && !source.empty() && destination.empty()) {
        // A line without destination cannot be told back from its reversed display; while
        // that side is left as shown, the stored line keeps what the display does not show.
        source = JoinUnder(shownDestination, storedName);
    } else {
        auto [dir, name] = SplitPath(shownSource);
        source = JoinUnder(shownDestination, name);
        destination = WithBackslashOrEmpty(dir);
    }
    WriteSetting(CurrentConfigName, Key(L"Source", i), Quote(source));
    WriteSetting(CurrentConfigName, Key(L"Destination", i), Quote(destination));
}

void BstF1::ResetLine(int n) {
    if (!ValidLine(n) || n >= RowCount()) return;
    std::wstring question = L"Remise à zéro de la sauvegarde " + std::to_wstring(n + 1) + L" ?";
    if (Ui().ShowMessage(hwnd_, question, AppTitle, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return;
    SetPathLabel(hwnd_, LblS(n), L"");
    SetPathLabel(hwnd_, LblD(n), L"");
    SaveSource(n);
    SaveDestination(n);
    ClearExclusions(n);
}

void BstF1::CmdSClick(int n, int button) {
    if (n < 0 || n >= RowCount()) return;
    bool withFiles = button == 2;
    std::wstring prompt = std::wstring(L"Sélectionnez le répertoire ") + (withFiles ? L"(ou le fichier) " : L"") +
                          L"source:";
    std::wstring chosen = BrowseFolder(hwnd_, withFiles, prompt, GetPathLabel(LblS(n)));
    if (chosen.empty()) return;
    SetPathLabel(hwnd_, LblS(n), chosen);
    SaveSource(n);
}

void BstF1::CmdDClick(int n) {
    if (n < 0 || n >= RowCount()) return;
    std::wstring chosen = BrowseFolder(hwnd_, false, L"Sélectionnez le répertoire destination:", GetPathLabel(LblD(n)));
    if (chosen.empty()) return;
    SetPathLabel(hwnd_, LblD(n), chosen);
    SaveDestination(n);
}

void BstF1::OnCmdExClick(int n) {
    if (!ValidLine(n)) return;
    if (Config.Sources[n].empty()) {
        Ui().ShowMessage(hwnd_, L"Sélectionnez d'abord un disque ou répertoire à sauvegarder !", GetText(hwnd_),
                         MB_OK | MB_ICONINFORMATION);
        return;
    }
    EditExclusions(hwnd_, AddBackslash(Config.Sources[n]), n);
}
