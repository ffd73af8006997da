#pragma once
// The name of a new configuration, asked by the options dialog's "Ajouter".
#include "dialogs/OneFieldDialog.h"

#include <string>

class BstF4 : public OneFieldDialog {
public:
    // Creates the dialog (hidden) over owner, with an empty box.
    bool Load(HWND owner);

protected:
    // The typed name, capitalised; a name the settings file cannot take as a
    // configuration is refused with an information box and hands back "".
    bool OnOk() override;
    const wchar_t* ClassName() const override { return L"BastideBstF4"; }
};

// Asks the name of a new configuration over owner. Returns it capitalised ("mAISON"
// gives "Maison"), or "" when the dialog was cancelled or the name refused: the caller
// then adds no configuration.
std::wstring AskNewConfigurationName(HWND owner);
