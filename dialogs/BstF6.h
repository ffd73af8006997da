#pragma once
// The excluded directories of one line: whether a run takes every subdirectory of the
// line's source, none, or all but a list of them. The list is kept in the configuration's
// section, relative to the source; nothing is stored before "Ok".
#include "app/Dialog.h"

#include <string>

class BstF6 : public Dialog {
public:
    static constexpr int ModeCount = 3;
    static constexpr int ButtonCount = 5;

    // Creates the dialog (hidden) over owner for line, whose source is sourcePath with its
    // trailing backslash, and loads the line's stored list.
    bool Load(HWND owner, const std::wstring& sourcePath, int line);

    // ---- Operations ----
    void LoadExclusionList();
    // Asks for a folder inside the source and appends it to the list.
    void AddExcluded();
    // Removes the selected entry; the selection moves to the entry above.
    void RemoveSelected();
    // Empties the list after the user's confirmation; the mode stays.
    void RemoveAll();
    // Writes the mode and the list of the line, replacing whatever the line had.
    void StoreExclusions();
    void UpdateExclButtons();

    // The mode whose option is selected (0 when none is).
    int SelectedMode() const;

    // ---- Controls, by the names of the form ----
    HWND Lbl() const { return lbl_; }
    HWND OptExclu(int i) const { return optExclu_[i]; }
    HWND Liste() const { return liste_; }
    HWND Cmd(int i) const { return cmd_[i]; }

    void OnCmdClick(int i);

protected:
    bool OnOk() override;
    bool OnCommand(int id, int code, HWND control) override;
    const wchar_t* ClassName() const override { return L"BastideBstF6"; }

private:
    void CreateControls();
    void SelectMode(int mode);
    int EntryCount() const;
    std::wstring Entry(int index) const;
    void Message(const std::wstring& text, UINT flags) const;

    std::wstring sourcePath_;
    int line_ = 0;
    HWND lbl_ = nullptr;
    HWND optExclu_[ModeCount] = {};
    HWND liste_ = nullptr;
    HWND cmd_[ButtonCount] = {};
};

// Shows the dialog modally over owner for line, whose source is sourcePath.
void EditExclusions(HWND owner, const std::wstring& sourcePath, int line);
