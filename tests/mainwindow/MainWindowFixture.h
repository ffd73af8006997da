#pragma once
// The main window on a real window, over a settings file of a scratch folder, with
// message boxes and choosers answered by a script.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "app/Form.h"
#include "app/Settings.h"
#include "mainwindow/BstF1.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestSupport.h"

class MainWindowTest : public testing::Test {
protected:
    MainWindowTest() : savedIni_(IniPath), savedTitle_(AppTitle), savedName_(CurrentConfigName) {
        AppTitle = L"Bastide Version 1.00";
    }

    ~MainWindowTest() override {
        CloseWindow();
        IniPath = savedIni_;
        AppTitle = savedTitle_;
        CurrentConfigName = savedName_;
        RunMode = 0;
        CompareReverse = false;
        Form::UseDpi(0);
    }

    void CloseWindow() {
        window.reset();
        // Closing the main window asks the thread to quit; later windows need a live loop.
        MSG message;
        while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    // The windows opened afterwards are laid out at this dpi (the screen's keeps its own).
    static void AtDpi(int dpi) { Form::UseDpi(dpi); }

    // Writes Bastide.ini (ANSI text), loads the settings as the program does and opens the window.
    void Open(const std::string& ini) {
        WriteBytes(dir / L"Bastide.ini", ini);
        CurrentConfigName.clear();
        LoadGeneralSettings(dir.Path(), L"");
        window = std::make_unique<BstF1>();
        ASSERT_TRUE(window->Load());
        ShowWindow(window->Handle(), SW_SHOWNOACTIVATE);
    }

    std::wstring Setting(const std::wstring& key) const { return ReadSetting(CurrentConfigName, key); }
    // Whether the configuration's section holds the key at all (an empty value deletes it).
    bool HasKey(const std::wstring& key) const {
        std::wstring keys = ReadSetting(CurrentConfigName, L"");
        size_t start = 0;
        while (start < keys.size()) {
            size_t end = keys.find(L'\0', start);
            if (end == std::wstring::npos) end = keys.size();
            if (CompareStringOrdinal(keys.c_str() + start, static_cast<int>(end - start), key.c_str(), -1, TRUE) ==
                CSTR_EQUAL) {
                return true;
            }
            start = end + 1;
        }
        return false;
    }
    std::string IniText() const { return ReadBytes(dir / L"Bastide.ini"); }

    static std::wstring Text(HWND control) { return Form::GetText(control); }
    static bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    static void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
    static HICON StaticPicture(HWND image) { return reinterpret_cast<HICON>(SendMessageW(image, STM_GETICON, 0, 0)); }
    static HICON ButtonPicture(HWND button) {
        return reinterpret_cast<HICON>(SendMessageW(button, BM_GETIMAGE, IMAGE_ICON, 0));
    }

    // Clicks the tab of a mode (0 backup, 1 restore, 2 comparison) as the user would.
    void ClickTab(int tab) { SendMessageW(window->Onglet(), TCM_SETCURFOCUS, tab, 0); }
    void Unlock() {
        if (window->Locked()) Click(window->Cmd(6));
        ASSERT_FALSE(window->Locked());
    }

    // Window rectangle of a control in twips, relative to the client area of the window.
    RECT TwipsRect(HWND control) const {
        RECT rect{};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&rect), 2);
        return {Form::PixelsToTwips(rect.left), Form::PixelsToTwips(rect.top), Form::PixelsToTwips(rect.right),
                Form::PixelsToTwips(rect.bottom)};
    }
    static RECT ScreenRect(HWND control) {
        RECT rect{};
        GetWindowRect(control, &rect);
        return rect;
    }
    static bool Inside(const RECT& inner, const RECT& outer) {
        return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
               inner.bottom <= outer.bottom;
    }
    static int HeightPx(HWND control) {
        RECT rect{};
        GetWindowRect(control, &rect);
        return rect.bottom - rect.top;
    }

    TempDir dir;
    ScopedUi ui;
    std::unique_ptr<BstF1> window;

private:
    std::wstring savedIni_, savedTitle_, savedName_;
};
