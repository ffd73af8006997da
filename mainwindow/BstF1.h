#pragma once
// The main window: the lines of the current configuration, the mode tabs, the command
// buttons and the last-result panel. The program lives as long as this window.
#include "app/Form.h"

class BstF1 : public Form {
public:
    BstF1();
    ~BstF1() override;

    // Initialize and Load: creates the window (hidden) and its contents, restores the
    // stored placement. Show() then shows it in the stored window state.
    bool Load();
    void Show();

    // Unload: stores the placement and the current configuration, then destroys the window.
    void Unload();

    bool WindowActivated() const { return windowActivated_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    const wchar_t* ClassName() const override { return L"BastideBstF1"; }

private:
    void OnActivate();
    void OnFirstActivation();
    void StorePlacement();

    bool windowActivated_ = false;
    int storedWindowState_ = 0;
    bool unloaded_ = false;
};

// The one main window of the process (null before Load and after Unload).
BstF1* MainWindow();
