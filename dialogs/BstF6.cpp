#include "dialogs/BstF6.h"

#include "app/Settings.h"
#include "app/UiService.h"
#include "app/Utils.h"
#include "mainwindow/PathLabel.h"

#include <shellapi.h>
#include <shlobj.h>


namespace {

constexpr int FormWidth = 7500;
constexpr int FormHeight = 5550;

constexpr int IdLbl = 100;
constexpr int IdOptExclu = 110;
constexpr int IdListe = 120;
constexpr int IdCmd = 130;  // Cmd(2) to Cmd(4); Cmd(0) and Cmd(1) are OK and Cancel

const wchar_t* const Caption = L"Que faire des sous-répertoires ?";

std::wstring ExclusionPrefix(int line) { return L"RepExclu" + std::to_wstring(line) + L"_"; }

// Whether path begins with prefix, letter case aside.
bool StartsWithNoCase(const std::wstring& path, const std::wstring& prefix) {
    if (path.size() < prefix.size()) return false;
    return CompareStringOrdinal(path.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

// Whether the folder holds subfolders. The shell's attribute may be set for any folder
// (Wine sets it always, a network folder may have it on trust), so a listing confirms it.
bool HasSubfolders(const std::wstring& path) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ATTRIBUTES)) return false;
    if (!(info.dwAttributes & SFGAO_HASSUBFOLDER)) return false;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileExW((AddBackslash(path) + L"*").c_str(), FindExInfoBasic, &found,
                                     FindExSearchLimitToDirectories, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool any = false;
    do {
        std::wstring name = found.cFileName;
        any = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..";
    } while (!any && FindNextFileW(search, &found));
    FindClose(search);
    return any;
}

}  // namespace

bool BstF6::Load(HWND owner, const std::wstring& sourcePath, int line) {
    sourcePath_ = sourcePath;
    line_ = line;
    if (!CreateDialogForm(owner, Caption, FormWidth, FormHeight)) return false;
    CreateControls();
    LoadExclusionList();
    return true;
}

void BstF6::CreateControls() {
    constexpr DWORD Visible = WS_VISIBLE;
    constexpr DWORD Button = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    constexpr DWORD Option = WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON;
    auto controls = AddControls({
        {L"BUTTON", L"Disque/Répertoire à sauvegarder", Visible | BS_GROUPBOX, 120, 60, 7080, 720, -1},
        {L"STATIC", L"", Visible | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_ENDELLIPSIS, 300, 360, 6720, 255, IdLbl},
        {L"BUTTON", L"&Sauvegarder tous les sous-répertoires", Option | WS_GROUP, 240, 930, 6900, 270, IdOptExclu},
        {L"BUTTON", L"&Ne pas sauvegarder les sous-répertoires", Option, 240, 1230, 6900, 270, IdOptExclu + 1},
        {L"BUTTON", L"&Exclure de la sauvegarde les sous-répertoires suivants:", Option, 240, 1530, 6900, 270,
         IdOptExclu + 2},
        {L"BUTTON", L"Liste des répertoires exclus de la sauvegarde", Visible | BS_GROUPBOX | WS_GROUP, 120, 1920,
         7080, 2610, -1},
        {L"LISTBOX", L"",
         Visible | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 300, 2220, 5040, 2130,
         IdListe, WS_EX_CLIENTEDGE},
        {L"BUTTON", L"Ajouter", Button, 5520, 2220, 1500, 375, IdCmd + 2, 0, L"Ajouter un répertoire à exclure"},
        {L"BUTTON", L"Supprimer", Button, 5520, 2685, 1500, 375, IdCmd + 3, 0,
         L"Supprimer le répertoire sélectionné de la liste"},
        {L"BUTTON", L"Supprimer Tout", Button, 5520, 3150, 1500, 375, IdCmd + 4, 0,
         L"Supprimer la liste des répertoires exclus"},
        {L"BUTTON", L"&Ok", Button | BS_DEFPUSHBUTTON, 4560, 4710, 1260, 375, IDOK},
        {L"BUTTON", L"&Annuler", Button, 5940, 4710, 1260, 375, IDCANCEL},
    });
    lbl_ = controls[1];
    for (int m = 0; m < ModeCount; ++m) optExclu_[m] = controls[2 + m];
    liste_ = controls[6];
    cmd_[2] = controls[7];
    cmd_[3] = controls[8];
    cmd_[4] = controls[9];
    cmd_[0] = controls[10];
    cmd_[1] = controls[11];
    initialFocus_ = cmd_[0];
}

void BstF6::LoadExclusionList() {
    SetPathLabel(hwnd_, lbl_, sourcePath_);
    LoadExclusions(line_);
    SelectMode(static_cast<int>(Exclusions.Mode));
    SendMessageW(liste_, LB_RESETCONTENT, 0, 0);
    for (long k = 1; k <= Exclusions.Count; ++k) {
        SendMessageW(liste_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Exclusions.List[k].c_str()));
    }
    SetListExtent(hwnd_, liste_);
    UpdateExclButtons();
}

void BstF6::SelectMode(int mode) {
    for (int m = 0; m < ModeCount; ++m) SendMessageW(optExclu_[m], BM_SETCHECK, m == mode ? BST_CHECKED : BST_UNCHECKED, 0);
}

int BstF6::SelectedMode() const {
    for (int m = 0; m < ModeCount; ++m) {
        if (SendMessageW(optExclu_[m], BM_GETCHECK, 0, 0) == BST_CHECKED) return m;
    }
    return 0;
}

int BstF6::EntryCount() const { return static_cast<int>(SendMessageW(liste_, LB_GETCOUNT, 0, 0)); }

std::wstring BstF6::Entry(int index) const { return ListItemText(liste_, index); }

void BstF6::Message(const std::wstring& text, UINT flags) const { Ui().ShowMessage(hwnd_, text, Caption, flags); }

void BstF6::UpdateExclButtons() {
    EnableWindow(cmd_[3], SendMessageW(liste_, LB_GETCURSEL, 0, 0) != LB_ERR);
    EnableWindow(cmd_[4], EntryCount() > 0);
}

void BstF6::AddExcluded() {
    if (!HasSubfolders(sourcePath_)) {
        Message(L"Pas de sous-répertoire dans le disque/répertoire à sauvegarder !", MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::wstring chosen =
        BrowseFolder(hwnd_, false, L"Sélectionnez un répertoire à exclure de la sauvegarde:", sourcePath_);
    if (chosen.empty()) return;
    if (!StartsWithNoCase(chosen, sourcePath_)) {
        Message(L"Le répertoire à exclure doit se trouver dans le disque ou répertoire à sauvegarder !",
                MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::wstring rel = chosen.substr(sourcePath_.size());
    for (int i = 0, count = EntryCount(); i < count && !rel.empty(); ++i) {
        if (Entry(i) == rel) {
            Message(L"Ce répertoire est déjà dans la liste !", MB_OK | MB_ICONINFORMATION);
            rel.clear();
        }
    }
    if (!rel.empty()) {
        SendMessageW(liste_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(rel.c_str()));
        SetListExtent(hwnd_, liste_);
        SelectMode(2);
    }
    UpdateExclButtons();
}

void BstF6::RemoveSelected() {
    LRESULT p = SendMessageW(liste_, LB_GETCURSEL, 0, 0);
    if (p == LB_ERR) return;
    SendMessageW(liste_, LB_DELETESTRING, static_cast<WPARAM>(p), 0);
    SetListExtent(hwnd_, liste_);
    if (EntryCount() > 0) SendMessageW(liste_, LB_SETCURSEL, static_cast<WPARAM>(p > 0 ? p - 1 : 0), 0);
    UpdateExclButtons();
}

void BstF6::RemoveAll() {
    if (Ui().ShowMessage(hwnd_, L"Voulez-vous supprimer la liste des répertoires exclus ?", Caption,
                         MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
        return;
    }
    SendMessageW(liste_, LB_RESETCONTENT, 0, 0);
    SetListExtent(hwnd_, liste_);
    UpdateExclButtons();
}

void BstF6::StoreExclusions() {
    const std::wstring prefix = ExclusionPrefix(line_);
    // Every directory key of the line goes, those past a gap in a list written by hand too.
    ClearExclusions(line_);
    WriteSetting(CurrentConfigName, prefix + L"Mode", std::to_wstring(SelectedMode()));
    for (int k = 1, count = EntryCount(); k <= count; ++k) {
        WriteSetting(CurrentConfigName, prefix + L"Rep" + std::to_wstring(k), ExclusionValue(Entry(k - 1)));
    }
}

void BstF6::OnCmdClick(int i) {
    switch (i) {
        case 0:
            if (OnOk()) End(Accepted);
            break;
        case 1:
            End(Cancelled);
            break;
        case 2:
            AddExcluded();
            break;
        case 3:
            RemoveSelected();
            break;
        case 4:
            RemoveAll();
            break;
        default:
            break;
    }
}

bool BstF6::OnOk() {
    StoreExclusions();
    return true;
}

bool BstF6::OnCommand(int id, int code, HWND) {
    if (id >= IdCmd + 2 && id < IdCmd + ButtonCount) {
        if (code == BN_CLICKED) OnCmdClick(id - IdCmd);
        return true;
    }
    if (id == IdListe) {
        if (code == LBN_SELCHANGE || code == LBN_SELCANCEL) UpdateExclButtons();
        return true;
    }
    return false;
}

void EditExclusions(HWND owner, const std::wstring& sourcePath, int line) {
    BstF6 dialog;
    if (!dialog.Load(owner, sourcePath, line)) return;
    dialog.Run(owner);
}
