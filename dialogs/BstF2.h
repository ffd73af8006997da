#pragma once
// The description of the current configuration, opened by a click on its name.
#include "dialogs/OneFieldDialog.h"

class BstF2 : public OneFieldDialog {
public:
    // Creates the dialog (hidden) over owner, showing the current description.
    bool Load(HWND owner);

protected:
    // Stores the text as typed, in memory and in the configuration's section.
    bool OnOk() override;
    const wchar_t* ClassName() const override { return L"BastideBstF2"; }
};

// Lets the user edit the description of the current configuration over owner; true when
// a text was stored (the caller then shows the configuration's name again).
bool EditDescription(HWND owner);
