#include "dialogs/BstF5.h"

#include "app/Utils.h"

bool BstF5::Load(HWND owner, const std::wstring& sideAndPath) {
    bool source = !sideAndPath.empty() && sideAndPath[0] == L'1';
    std::wstring path = sideAndPath.empty() ? L"" : sideAndPath.substr(1);
    return CreateOneField(owner, source ? L"Répertoire source" : L"Répertoire destination", L"Nom du répertoire :",
                          L"Effacer le texte", path);
}

bool BstF5::OnOk() {
    value_ = Trim(GetText(Txt()));
    return true;
}

std::wstring EditPath(HWND owner, const std::wstring& sideAndPath) {
    BstF5 dialog;
    if (!dialog.Load(owner, sideAndPath)) return PathEditCancelled;
    return dialog.Ask(owner).value_or(PathEditCancelled);
}
