#pragma once
// One dropped menu of the control: a window of class PlMenu that lists the
// placements of a menu tool, owner-drawn like the system's menus, and never
// takes the activation from the host. The window is made once per menu depth
// and hidden, not destroyed, when its menu closes.

#include "palisade/Model.h"

#include "common/Handles.h"

#include <string>
#include <vector>

namespace palisade {

class PopupHost;

// Pixels per inch of the screen (96 when it cannot be read).
int ScreenDpi();

// Window procedure of the PlMenu class.
LRESULT CALLBACK MenuWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

inline wchar_t UpperCase(wchar_t c) {
    CharUpperBuffW(&c, 1);
    return c;
}
// The access key of a caption ("&Editer" gives 'E'; "&&" is a plain "&"), upper-cased; 0 when none.
wchar_t AccessKeyOf(std::wstring_view caption);
// The text a shortcut shows in a menu ("Ctrl+A", "Shift+F5" ...); empty for none.
std::wstring ShortcutText(long shortcut);

class MenuWindow {
public:
    MenuWindow(PopupHost& host, int depth, MenuWindow* parent);
    ~MenuWindow();
    MenuWindow(const MenuWindow&) = delete;
    MenuWindow& operator=(const MenuWindow&) = delete;

    // Drops the menu of a menu tool. A top menu is anchored at a screen point
    // (align: Constants_PopupMenuFlags); a sub-menu beside its parent's item.
    void OpenAt(Tool& menuTool, POINT anchor, long align);
    void OpenBeside(Tool& menuTool, const RECT& parentItem);
    void Close();
    bool IsOpen() const { return open_; }
    HWND Window() const { return hwnd_; }
    Tool* MenuTool() const { return menuTool_.Get(); }
    MenuWindow* Parent() const { return parent_; }
    int Depth() const { return depth_; }

    // The highlighted placement (null when none) and its rectangle on the screen.
    Tool* Highlighted() const;
    RECT HighlightedScreenRect() const;
    // Keyboard moves of the highlight; separators are skipped, the ends wrap.
    void MoveHighlight(int step);
    void HighlightFirst();
    void HighlightLast();
    void ShowHighlight();
    // The placements whose access key is key, in menu order from the one after the highlight.
    std::vector<Tool*> WithAccessKey(wchar_t key) const;
    void Highlight(const Tool* placement);

    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    struct Item {
        ComPtr<Tool> placement;
        std::wstring caption, shortcut;
        bool separator = false;
        RECT rect{};
    };
    void Build(Tool& menuTool);
    SIZE Measure();
    void Show(RECT where);
    void EnsureWindow();
    int Scaled(int pixels) const;
    int ItemAt(POINT client) const;
    void SetHot(int index);
    void Paint(HDC dc);
    void PaintItem(HDC dc, const Item& item, bool hot);
    void PaintPicture(HDC dc, const Item& item, const RECT& cell, COLORREF back);
    void OnMouseMove(POINT at);
    void OnButtonDown(POINT at);
    void OnButtonUp(POINT at);
    void StartHoverTimer();
    void OnHoverTimer();

    PopupHost& host_;
    const int depth_;
    MenuWindow* parent_;
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    ComPtr<Tool> menuTool_;
    std::vector<Item> items_;
    int hot_ = -1;
    bool open_ = false, pressed_ = false, tracking_ = false;
    POINT lastMouse_{LONG_MIN, LONG_MIN};
    int dpi_ = 96;
    win::GdiObject font_;
    int textHeight_ = 0;
};

} // namespace palisade
