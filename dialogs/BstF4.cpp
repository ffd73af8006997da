#include "dialogs/BstF4.h"

#include "app/IniFile.h"
#include "app/Settings.h"
#include "app/UiService.h"
#include "app/Utils.h"

namespace {

// A configuration is a section of the settings file: its name has to survive being
// written between brackets on a line of its own and read back. Characters that file
// names cannot hold are fine, the error logs replace them in their names.
bool FitsAsSectionName(const std::wstring& name) {
    if (Trim(name).empty()) return false;
    for (wchar_t c : name) {
        if (c == L'[' || c == L']' || c < L' ' || c == 0x7F) return false;
    }
    return true;
}

}  // namespace

bool BstF4::Load(HWND owner) {
    value_.clear();
    return CreateOneField(owner, L"Nouvelle configuration", L"Nom de la configuration :", L"Effacer le texte", L"");
}

bool BstF4::OnOk() {
    // The settings file drops the blanks around a section name: " position" would be
    // the general settings, and "  maison" is stored as "maison".
    std::wstring name = Capitalize(Trim(GetText(Txt())));
    const wchar_t* refusal = nullptr;
    // A letter the settings file cannot hold would be written as "?": two names would then
    // share one section, and the name typed would never find its own again.
    if (!FitsAsSectionName(name) || !ini::CanHold(IniPath, name)) refusal = L"Impossible, nom non valide !";
    else if (name == PositionSection) refusal = L"Impossible, nom réservé !";
    if (refusal) {
        Ui().ShowMessage(hwnd_, refusal, AppTitle, MB_OK | MB_ICONINFORMATION);
        name.clear();
    }
    value_ = name;
    return true;
}

std::wstring AskNewConfigurationName(HWND owner) {
    BstF4 dialog;
    if (!dialog.Load(owner)) return L"";
    return dialog.Ask(owner).value_or(L"");
}
