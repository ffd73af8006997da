#pragma once
// The drive list: every drive of the machine with its volume name, total size and free
// space, from which the user picks the drive that all destinations move to. OK hands
// back the chosen drive root ("F:\").
#include "app/Dialog.h"

#include <commctrl.h>

#include <map>
#include <string>

class DriveListFrm : public DialogResult<std::wstring> {
public:
    // Creates the window (hidden) over owner and fills the list.
    bool Load(HWND owner);

    // One row per drive root, in the system's order.
    void FillDriveList();
    // The index of the root's icon in the list's images; each root's icon is added once.
    int DriveIcon(const std::wstring& root);
    bool HasSelectedDrive() const;
    // Selects the rows whose root is on drive ("E:", any letter case).
    void SelectDrive(const std::wstring& drive);

    int RowCount() const;
    std::wstring CellText(int row, int column) const;
    int ImageCount() const;

    // ---- Controls, by the names of the form ----
    HWND ListDrive() const { return listDrive_; }
    HWND Cmd(int i) const { return cmd_[i]; }

protected:
    bool OnOk() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    const wchar_t* ClassName() const override { return L"BastideDriveListFrm"; }

private:
    void CreateControls();
    void AddColumns();
    int SelectedRow() const;

    HWND listDrive_ = nullptr;
    HWND cmd_[2] = {};
    HIMAGELIST images_ = nullptr;  // owned by the list view, which destroys it
    std::map<std::wstring, int> iconIndex_;
};

// A drive's size in bytes as the list shows it: "1 octet", "1023 octets", "1,00 Ko",
// "15,9 Ko", "2,00 To", with decimals cut rather than rounded and the user's separator.
std::wstring FormatDriveSize(unsigned long long bytes);
