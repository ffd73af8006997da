#pragma once
// The configurations and program-wide options: choosing the configuration to work with,
// creating or deleting one, the nine copy options, the number of lines of every
// configuration and the end-of-run sounds. Options and sounds are stored on "Ok"; the
// configuration and line count chosen are handed back to the main window, which applies
// them once the dialog has closed.
#include "app/Dialog.h"

#include <functional>
#include <string>
#include <vector>

// What the main window applies after the dialog.
struct ConfigChoice {
    std::wstring ChosenConfigName;
    short PendingMaxLineIndex = 0;
};

class BstF3 : public DialogResult<ConfigChoice> {
public:
    static constexpr int OptionCount = 9;
    static constexpr int ButtonCount = 6;

    // Creates the dialog (hidden) over owner. The sound files and the error logs are those
    // of directory (the program's folder).
    bool Load(HWND owner, const std::wstring& directory);

    // ---- Operations ----
    void FillConfigList();
    void FillLineCountList();
    void FillSoundLists();
    // The configuration of the selected item; empty when none is selected.
    std::wstring SelectedConfigName() const;
    // Adds a configuration to the list (nothing is written before it is used).
    void AddConfig(const std::wstring& name);
    // Deletes the selected configuration: its section, then its error logs (no question).
    void DeleteConfig();
    // Stores the options and sounds and ends the dialog with the choice.
    void StoreOptions();

    // The choice as it stands: set on load, taken from the controls by StoreOptions.
    const ConfigChoice& Choice() const { return value_; }

    // Asks the name of a new configuration (empty: none); the new-name dialog by default.
    std::function<std::wstring(HWND owner)> askNewName;

    // ---- Controls, by the names of the form ----
    HWND Liste() const { return liste_; }
    HWND Cadre() const { return cadre_; }
    HWND Opt(int i) const { return opt_[i]; }
    HWND RepMaxCb() const { return repMaxCb_; }
    HWND FichSonCb(int i) const { return fichSonCb_[i]; }
    HWND Lbl(int i) const { return lbl_[i]; }
    HWND Cmd(int i) const { return cmd_[i]; }

    void OnCmdClick(int i);

protected:
    bool OnOk() override;
    bool OnCommand(int id, int code, HWND control) override;
    const wchar_t* ClassName() const override { return L"BastideBstF3"; }

private:
    void CreateControls();
    void ShowOptions();
    void SelectItem(int index);
    void Message(const std::wstring& text, UINT flags) const;
    std::wstring ComboText(HWND combo) const;

    std::wstring directory_;
    // The configuration of each item of Liste, in item order: an item's text also shows
    // the description, so the name is never read back from it.
    std::vector<std::wstring> names_;
    HWND liste_ = nullptr;
    HWND cadre_ = nullptr;
    HWND opt_[OptionCount] = {};
    HWND repMaxCb_ = nullptr;
    HWND fichSonCb_[2] = {};
    HWND lbl_[3] = {};
    HWND cmd_[ButtonCount] = {};
};

// Shows the dialog modally over owner; the choice to apply (the current configuration and
// line count when it was cancelled).
ConfigChoice ChooseConfiguration(HWND owner);
