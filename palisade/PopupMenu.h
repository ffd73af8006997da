#pragma once
// The popup menus of one control: PopupMenu's arguments and refusals, the modal
// loop that runs while a menu is open, the keys and choices made in it, and the
// activation of the chosen placement (ToolClick). It also holds what an active
// control keeps beside its window: a hidden message window, an auto-reset event
// signalled by the mouse hook, and a worker thread.

#include "palisade/Model.h"

#include "common/Handles.h"

#include <atomic>
#include <memory>
#include <vector>

namespace palisade {

class MenuWindow;

// Private messages of the hidden message window.
constexpr UINT kMsgBackToParent = 4038;  // a sub-menu closed by Escape: its parent is current again
constexpr UINT kMsgCloseMenus = 4039;    // close without a choice (from the worker or another thread)
constexpr UINT kMsgMenuKey = 4040;       // a key pressed while a menu is open (wParam: virtual key)
constexpr UINT kMsgShortcut = 4041;      // a tool shortcut pressed (wParam: Constants_ShortcutKeys)
constexpr UINT kFirstPrivateMessage = kMsgBackToParent, kLastPrivateMessage = kMsgShortcut;

// The window property set on the host window, pointing at its control.
extern const wchar_t kControlProp[];

class PopupHost {
public:
    explicit PopupHost(Control& control);
    ~PopupHost();
    PopupHost(const PopupHost&) = delete;
    PopupHost& operator=(const PopupHost&) = delete;

    // Joins the process's live controls (the shared hooks come with the first) and
    // makes the message window, the event and the worker thread; sets the host
    // window's property. Deactivate undoes it all.
    void Activate();
    void Deactivate();

    // PopupMenu(Tool, [Flags], [X], [Y]): returns once the menu has closed.
    void Popup(VARIANT* tool, VARIANT* flags, VARIANT* x, VARIANT* y);

    Control& Owner() { return control_; }
    DWORD Thread() const { return thread_; }
    HWND HostWindow() const;
    HWND MessageWindow() const { return messageWindow_; }
    bool MenuOpen() const;
    bool RightButton() const { return rightButton_; }
    // The menu keys go to (the deepest open one).
    MenuWindow* Current() const { return current_; }
    // True for the windows of this control's menus.
    bool OwnsMenuWindow(HWND window) const;

    // Closes every open menu of the control; nothing is chosen.
    void CloseMenus();
    // Opens the sub-menu of a menu placement of an open menu.
    void OpenSubMenu(MenuWindow& from, Tool& placement, bool highlightFirst);
    // Closes a menu and those below it; its parent, if any, becomes current.
    void CloseFrom(MenuWindow& menu);
    // A placement chosen with the mouse or a key: the menus close, then it acts.
    void Choose(Tool& placement);
    // Mouse traffic over the host window (from the mouse hook).
    void Signal();
    // The shortcut of a key press (keyboard hook) when one of the control's tools
    // has it; the tool acts once the message window receives it. True when taken.
    bool PostShortcut(UINT vk);
    // The message window's messages.
    LRESULT OnPrivateMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    void RunLoop(MenuWindow* first);
    MenuWindow& Level(int depth);
    void ActivateTool(Tool& placement);
    void MenuKey(UINT vk);
    void EnterKey(MenuWindow& menu);
    void AccessKey(MenuWindow& menu, wchar_t key);
    void StartWorker();
    static DWORD WINAPI Worker(void* self);

    Control& control_;
    DWORD thread_;
    bool active_ = false;
    std::vector<std::unique_ptr<MenuWindow>> levels_;
    MenuWindow* current_ = nullptr;
    MenuWindow* followUp_ = nullptr;
    bool rightButton_ = false, inToolClick_ = false;
    int useCount_ = 0;  // PopupMenu calls running (a ToolClick handler may open another)
    HWND messageWindow_ = nullptr;
    HWND propertyWindow_ = nullptr;
    win::Kernel event_, stop_, worker_;
    std::atomic<bool> menuShown_{false};
    std::atomic<HWND> foregroundAtOpen_{nullptr};
};

} // namespace palisade
