#pragma once
// The free-text edit of a line's source or destination path, from the line menu.
#include "dialogs/OneFieldDialog.h"

#include <string>

// What EditPath hands back when the edit was cancelled.
inline constexpr wchar_t PathEditCancelled[] = L"@";

class BstF5 : public OneFieldDialog {
public:
    // Creates the dialog (hidden) over owner. sideAndPath: "1" for a source, any other
    // first character for a destination, followed by the path shown in the box.
    bool Load(HWND owner, const std::wstring& sideAndPath);

protected:
    // The text as typed, trimmed; it is not checked.
    bool OnOk() override;
    const wchar_t* ClassName() const override { return L"BastideBstF5"; }
};

// Edits a path in BstF5 over owner. sideAndPath: "1" (source) or "2" (destination)
// followed by the current full path. Returns the confirmed text trimmed (possibly
// empty), or PathEditCancelled ("@") when the dialog was cancelled.
std::wstring EditPath(HWND owner, const std::wstring& sideAndPath);
