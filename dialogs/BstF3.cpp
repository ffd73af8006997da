#include "dialogs/BstF3.h"

#include "app/IniFile.h"
#include "app/Settings.h"
#include "app/UiService.h"
#include "app/Utils.h"
#include "dialogs/BstF4.h"
#include "engine/ErrorLog.h"
#include "mainwindow/Pictures.h"
#include "res/resource.h"

#include <vector>

namespace {

constexpr int FormWidth = 9840;
constexpr int FormHeight = 5700;

constexpr int IdListe = 100;
constexpr int IdOpt = 110;
constexpr int IdRepMaxCb = 130;
constexpr int IdFichSonCb = 140;
constexpr int IdCmd = 150;  // Cmd(2) to Cmd(5); Cmd(0) and Cmd(1) are OK and Cancel

const wchar_t* const Caption = L"Liste des configurations de sauvegarde";

// The program-wide copy options in the order of the boxes; each is held in memory as
// -1 (on) or 0 (off), in a field of 32 or of 16 bits.
struct OptionEntry {
    const wchar_t* caption;
    const wchar_t* key;
    long GeneralOptions::*wide;
    short GeneralOptions::*narrow;
};
const OptionEntry OptionTable[BstF3::OptionCount] = {
    {L"Copie seulement les fichiers plus &récents:", L"RecentSeul", &GeneralOptions::RecentSeul, nullptr},
    {L"Efface l'attribut '&Lecture seule' pendant la copie:", L"DelReadOnly", &GeneralOptions::DelReadOnly, nullptr},
    {L"Copie seulement l'&arborescence des répertoires:", L"ArbreMode", &GeneralOptions::ArbreMode, nullptr},
    {L"Emettre un signal &sonore à la fin de la copie:", L"SignalSonore", &GeneralOptions::SignalSonore, nullptr},
    {L"Synchronise la date des fichiers pendant la copie:", L"SynchroDate", &GeneralOptions::SynchroDate, nullptr},
    {L"Continuer la copie en cas d'erreur:", L"ContinueOnError", &GeneralOptions::ContinueOnError, nullptr},
    {L"Mode de copie alternative:", L"AltCopie", nullptr, &GeneralOptions::AltCopie},
    {L"Désactive la correction Heure d'été:", L"CorrectEteOff", nullptr, &GeneralOptions::CorrectEteOff},
    {L"Efface les fichiers excédentaires sur la destination:", L"SynchroCopie", &GeneralOptions::SynchroCopie,
     nullptr},
};

long OptionValue(const OptionEntry& entry) { return entry.wide ? Options.*entry.wide : Options.*entry.narrow; }

void SetOptionValue(const OptionEntry& entry, long value) {
    if (entry.wide) Options.*entry.wide = value;
    else Options.*entry.narrow = static_cast<short>(value);
}

const wchar_t* const SoundPrefixes[2] = {L"Ok", L"Erreur"};

// The names, without extension, of the files of directory matching prefix*.wav, in the
// order in which the file system lists them.
std::vector<std::wstring> SoundFiles(const std::wstring& directory, const std::wstring& prefix) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((directory + L"\\" + prefix + L"*.wav").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::wstring name = found.cFileName;
        size_t dot = name.rfind(L'.');
        names.push_back(dot == std::wstring::npos ? name : name.substr(0, dot));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

bool SameFileName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

bool BstF3::Load(HWND owner, const std::wstring& directory) {
    directory_ = directory;
    if (!askNewName) askNewName = AskNewConfigurationName;
    if (!CreateDialogForm(owner, Caption, FormWidth, FormHeight)) return false;
    CreateControls();
    value_.PendingMaxLineIndex = MaxLineIndex;
    ShowOptions();
    bool sound = Ui().WaveOutDeviceCount() > 0;
    EnableWindow(opt_[3], sound);
    for (HWND control : {cmd_[4], cmd_[5], fichSonCb_[0], fichSonCb_[1], lbl_[1], lbl_[2]}) {
        EnableWindow(control, IsWindowEnabled(opt_[3]));
    }
    value_.ChosenConfigName = CurrentConfigName;
    FillConfigList();
    FillLineCountList();
    FillSoundLists();
    return true;
}

void BstF3::CreateControls() {
    constexpr DWORD Visible = WS_VISIBLE;
    constexpr DWORD Button = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    constexpr DWORD Box = WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFTTEXT;
    constexpr DWORD Label = WS_VISIBLE | SS_LEFT;
    constexpr DWORD Combo = WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
    std::vector<ControlEntry> table = {
        {L"LISTBOX", L"", Visible | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 120, 120, 3480, 3960,
         IdListe, WS_EX_CLIENTEDGE},
        {L"BUTTON", L"Personnalisation", Visible | BS_GROUPBOX, 3780, 60, 5820, 3120, -1},
    };
    for (int i = 0; i < OptionCount; ++i) {
        table.push_back({L"BUTTON", OptionTable[i].caption, Box, 3960, 330 + i * 300, 5460, 270, IdOpt + i});
    }
    std::vector<ControlEntry> rest = {
        {L"STATIC", L"Nombre maximum de répertoires:", Label, 3960, 3390, 4500, 255, -1},
        {L"COMBOBOX", L"", Combo, 8640, 3330, 900, 2400, IdRepMaxCb},
        {L"STATIC", L"Copie Ok", Label, 3960, 3810, 1200, 255, -1},
        {L"COMBOBOX", L"", Combo, 5220, 3750, 3780, 2400, IdFichSonCb},
        {L"BUTTON", L"", Button | BS_ICON, 9090, 3735, 450, 345, IdCmd + 4, 0, L"Test du signal sonore (Réussi)"},
        {L"STATIC", L"Copie Erreur", Label, 3960, 4230, 1200, 255, -1},
        {L"COMBOBOX", L"", Combo, 5220, 4170, 3780, 2400, IdFichSonCb + 1},
        {L"BUTTON", L"", Button | BS_ICON, 9090, 4155, 450, 345, IdCmd + 5, 0, L"Test du signal sonore (Erreur)"},
        {L"BUTTON", L"Ajouter", Button, 120, 4740, 1200, 375, IdCmd + 2, 0, L"Ajouter une configuration de sauvegarde"},
        {L"BUTTON", L"Effacer", Button, 1440, 4740, 1200, 375, IdCmd + 3, 0,
         L"Supprimer une configuration de sauvegarde"},
        {L"BUTTON", L"&Ok", Button | BS_DEFPUSHBUTTON, 7020, 4740, 1200, 375, IDOK},
        {L"BUTTON", L"&Annuler", Button, 8340, 4740, 1200, 375, IDCANCEL},
    };
    table.insert(table.end(), rest.begin(), rest.end());
    std::vector<HWND> controls = AddControls(table);
    size_t at = 0;
    liste_ = controls[at++];
    cadre_ = controls[at++];
    for (int i = 0; i < OptionCount; ++i) opt_[i] = controls[at++];
    lbl_[0] = controls[at++];
    repMaxCb_ = controls[at++];
    lbl_[1] = controls[at++];
    fichSonCb_[0] = controls[at++];
    cmd_[4] = controls[at++];
    lbl_[2] = controls[at++];
    fichSonCb_[1] = controls[at++];
    cmd_[5] = controls[at++];
    cmd_[2] = controls[at++];
    cmd_[3] = controls[at++];
    cmd_[0] = controls[at++];
    cmd_[1] = controls[at++];
    HICON speaker = LoadPicture(IDI_SOUND, 16, 16);
    for (int i : {4, 5}) SendMessageW(cmd_[i], BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(speaker));
    initialFocus_ = liste_;
}

void BstF3::ShowOptions() {
    for (int i = 0; i < OptionCount; ++i) {
        SendMessageW(opt_[i], BM_SETCHECK, OptionValue(OptionTable[i]) != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void BstF3::SelectItem(int index) { SendMessageW(liste_, LB_SETCURSEL, static_cast<WPARAM>(index), 0); }

void BstF3::Message(const std::wstring& text, UINT flags) const { Ui().ShowMessage(hwnd_, text, Caption, flags); }

std::wstring BstF3::ComboText(HWND combo) const { return GetText(combo); }

void BstF3::FillConfigList() {
    SendMessageW(liste_, LB_RESETCONTENT, 0, 0);
    names_ = ConfigurationNames();
    for (size_t i = 0; i < names_.size(); ++i) {
        std::wstring description = ReadSetting(names_[i], L"Description");
        std::wstring item = description.empty() ? names_[i] : names_[i] + L" (" + description + L")";
        SendMessageW(liste_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        if (names_[i] == CurrentConfigName) SelectItem(static_cast<int>(i));
    }
}

void BstF3::FillLineCountList() {
    SendMessageW(repMaxCb_, CB_RESETCONTENT, 0, 0);
    int used = LastUsedLine();
    for (int count = used + 1; count <= MaxLines; ++count) {
        SendMessageW(repMaxCb_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(count).c_str()));
    }
    SendMessageW(repMaxCb_, CB_SETCURSEL, static_cast<WPARAM>(MaxLineIndex - used), 0);
}

void BstF3::FillSoundLists() {
    for (int i = 0; i < 2; ++i) {
        HWND combo = fichSonCb_[i];
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        std::vector<std::wstring> sounds = SoundFiles(directory_, SoundPrefixes[i]);
        int match = -1;
        for (size_t k = 0; k < sounds.size(); ++k) {
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(sounds[k].c_str()));
            if (match < 0 && SameFileName(sounds[k], SoundNames[i])) match = static_cast<int>(k);
        }
        if (match < 0 && !sounds.empty()) match = 0;
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(match), 0);
    }
}

std::wstring BstF3::SelectedConfigName() const {
    LRESULT index = SendMessageW(liste_, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || static_cast<size_t>(index) >= names_.size()) return L"";
    return names_[static_cast<size_t>(index)];
}

namespace {

bool BeginsWithIgnoringCase(const std::wstring& text, const std::wstring& start) {
    return text.size() >= start.size() &&
           CompareStringOrdinal(text.c_str(), static_cast<int>(start.size()), start.c_str(),
                                static_cast<int>(start.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

void BstF3::AddConfig(const std::wstring& name) {
    LRESULT count = SendMessageW(liste_, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // Sections match without regard to case: "Maison" beside a hand-made "[MAISON]"
        // would open, and could later erase, that configuration.
        if (BeginsWithIgnoringCase(ListItemText(liste_, static_cast<int>(i)), name)) {
            Message(L"Cette configuration existe déjà !", MB_OK | MB_ICONINFORMATION);
            return;
        }
    }
    SendMessageW(liste_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    names_.push_back(name);
    SelectItem(static_cast<int>(names_.size()) - 1);
}

void BstF3::DeleteConfig() {
    std::wstring name = SelectedConfigName();
    if (name.empty()) return;
    // The file matches section names without regard to case: any spelling of the name in
    // use is its section, and erasing it would erase the configuration in use.
    if (SameFileName(name, CurrentConfigName)) {
        Message(L"Impossible d'effacer la configuration en cours !", MB_OK | MB_ICONINFORMATION);
        return;
    }
    // The whole section goes in one rewrite of the file. When it stays (the file cannot be
    // written), the logs stay with it, and so does the item.
    if (!ini::WriteString(IniPath, name, L"", L"")) {
        Message(L"Impossible d'effacer la configuration : le fichier des réglages ne peut pas être modifié.",
                MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    LRESULT index = SendMessageW(liste_, LB_GETCURSEL, 0, 0);
    SendMessageW(liste_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    names_.erase(names_.begin() + index);
    SelectItem(0);
    for (int mode = 0; mode < 3; ++mode) {
        // Names that differ only by a character a file name cannot hold share their logs:
        // a log still used by another configuration is kept.
        std::wstring log = ErrorLogName(name, mode);
        bool shared = false;
        for (const std::wstring& other : names_) shared = shared || SameFileName(ErrorLogName(other, mode), log);
        if (!shared) DeleteFileW(ErrorLogPathIn(directory_, name, mode).c_str());
    }
}

void BstF3::StoreOptions() {
    std::wstring chosen = SelectedConfigName();
    // With no item selected the configuration in use stays: an empty name is no section.
    if (!chosen.empty()) value_.ChosenConfigName = chosen;
    LRESULT line = SendMessageW(repMaxCb_, CB_GETCURSEL, 0, 0);
    if (line != CB_ERR) value_.PendingMaxLineIndex = static_cast<short>(ini::ParseShort(ComboText(repMaxCb_)) - 1);
    for (int i = 0; i < OptionCount; ++i) {
        long boxed = SendMessageW(opt_[i], BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        long value = -boxed;
        if (value == OptionValue(OptionTable[i])) continue;
        SetOptionValue(OptionTable[i], value);
        WriteSetting(PositionSection, OptionTable[i].key, value ? L"-1" : L"0");
    }
    for (int i = 0; i < 2; ++i) {
        SoundNames[i] = ComboText(fichSonCb_[i]);
        WriteSetting(PositionSection, std::wstring(L"Signal") + SoundPrefixes[i], SoundNames[i]);
    }
}

void BstF3::OnCmdClick(int i) {
    switch (i) {
        case 0:
            if (OnOk()) End(Accepted);
            break;
        case 1:
            End(Cancelled);
            break;
        case 2: {
            EditBuffer = askNewName(hwnd_);
            if (!EditBuffer.empty()) AddConfig(EditBuffer);
            break;
        }
        case 3:
            if (SelectedConfigName().empty()) break;
            if (Ui().ShowMessage(hwnd_, L"Voulez-vous effacer cette configuration ?", Caption,
                                 MB_OKCANCEL | MB_ICONQUESTION) == IDOK) {
                DeleteConfig();
            }
            break;
        case 4:
        case 5:
            PlayNamedSound(ComboText(fichSonCb_[i - 4]));
            break;
        default:
            break;
    }
}

bool BstF3::OnOk() {
    StoreOptions();
    return true;
}

bool BstF3::OnCommand(int id, int code, HWND) {
    if (id >= IdCmd + 2 && id < IdCmd + ButtonCount) {
        if (code == BN_CLICKED) OnCmdClick(id - IdCmd);
        return true;
    }
    if (id == IdListe && code == LBN_DBLCLK) {
        if (SendMessageW(liste_, LB_GETCURSEL, 0, 0) != LB_ERR) OnCmdClick(0);
        return true;
    }
    return false;
}

ConfigChoice ChooseConfiguration(HWND owner) {
    BstF3 dialog;
    ConfigChoice unchanged{CurrentConfigName, MaxLineIndex};
    if (!dialog.Load(owner, ProgramDirectory())) return unchanged;
    return dialog.Ask(owner).value_or(unchanged);
}
