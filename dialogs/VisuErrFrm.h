#pragma once
// The error viewer: shows the error log of one configuration and run mode (for a
// comparison, the list of the files it found to copy), with the error count of that
// mode's last run.
#include "app/Dialog.h"

#include <string>

class VisuErrFrm : public Dialog {
public:
    // Creates the window (hidden) over owner and loads the log of configName for mode
    // from the given folder.
    bool Load(HWND owner, const std::wstring& directory, const std::wstring& configName, int mode);

    const std::wstring& LogPath() const { return logPath_; }

    // ---- Controls, by the names of the form ----
    HWND TitreLbl() const { return titreLbl_; }
    HWND TotalErrLbl() const { return totalErrLbl_; }
    HWND ListeTxt() const { return listeTxt_; }
    HWND Bouton() const { return bouton_; }

    // The Bouton click: closes the viewer.
    void OnBoutonClick();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    const wchar_t* ClassName() const override { return L"BastideVisuErrFrm"; }

private:
    void CreateControls();
    void Layout();
    void FillTexts(const std::wstring& configName, int mode);
    void ShowLogText();

    std::wstring logPath_;
    HWND titreLbl_ = nullptr;
    HWND totalErrLbl_ = nullptr;
    HWND listeTxt_ = nullptr;
    HWND bouton_ = nullptr;
};

// Shows, modally over owner, the log of configName for mode kept in the program's folder.
void ShowErrorViewer(HWND owner, const std::wstring& configName, int mode);
