#include "dialogs/BstF2.h"

#include "app/IniFile.h"
#include "app/Settings.h"
#include "app/Utils.h"

bool BstF2::Load(HWND owner) {
    if (!CreateOneField(owner, L"Configuration : " + CurrentConfigName, L"Description :", L"Effacer la description",
                        Config.Description)) {
        return false;
    }
    // No longer than the settings file gives back, so that what is stored reads back whole.
    SendMessageW(Txt(), EM_SETLIMITTEXT, ini::ReadLimit, 0);
    return true;
}

bool BstF2::OnOk() {
    value_ = GetText(Txt());
    Config.Description = value_;
    // Between quotes the file keeps leading and trailing spaces; an empty text removes the key.
    WriteSetting(CurrentConfigName, L"Description", Quote(value_));
    return true;
}

bool EditDescription(HWND owner) {
    BstF2 dialog;
    if (!dialog.Load(owner)) return false;
    return dialog.Ask(owner).has_value();
}
