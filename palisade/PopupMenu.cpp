#include "palisade/PopupMenu.h"

#include "palisade/Access.h"
#include "palisade/Control.h"
#include "palisade/Hooks.h"
#include "palisade/MenuWindow.h"
#include "palisade/Module.h"

#include <mmsystem.h>

#include <cmath>

namespace palisade {

const wchar_t kControlProp[] = L"PlControlProp";

namespace {

constexpr long kMenuType = 7, kSeparatorType = 8, kComboType = 4, kEditType = 5;
constexpr long kDefaultFlags = 1;  // plPopupMenuLeftButton
constexpr DWORD kLoopWaitMs = 200;

// Flags: absent, not a number, below 0 or above 8 all mean plPopupMenuLeftButton.
long FlagsOf(VARIANT* arg) {
    const VARIANT* v = bastide::com::Deref(arg);
    if (bastide::com::IsMissing(v)) return kDefaultFlags;
    Variant n;
    if (FAILED(VariantChangeType(n.Ptr(), const_cast<VARIANT*>(v), 0, VT_I4))) return kDefaultFlags;
    long flags = V_I4(n.Ptr());
    return flags < 0 || flags > 8 ? kDefaultFlags : flags;
}

// A position argument; false when it is absent, not a number, or -1 (the cursor).
bool PositionOf(VARIANT* arg, float* out) {
    const VARIANT* v = bastide::com::Deref(arg);
    if (bastide::com::IsMissing(v)) return false;
    Variant n;
    if (FAILED(VariantChangeType(n.Ptr(), const_cast<VARIANT*>(v), 0, VT_R4))) return false;
    *out = V_R4(n.Ptr());
    return std::isfinite(*out) && *out != -1.0f;
}

// The form a popup belongs to counts as disabled when it or its top window is.
bool FormDisabled(HWND host) {
    if (!host) return false;
    return !IsWindowEnabled(host) || !IsWindowEnabled(GetAncestor(host, GA_ROOT));
}

bool CanAct(const Tool& placement) {
    long type = placement.Def().type;
    return type != kSeparatorType && type != kMenuType;
}

} // namespace

PopupHost::PopupHost(Control& control) : control_(control), thread_(GetCurrentThreadId()) {}

PopupHost::~PopupHost() { Deactivate(); }

HWND PopupHost::HostWindow() const {
    if (control_.attachedWindow_ && IsWindow(control_.attachedWindow_)) return control_.attachedWindow_;
    HWND host = nullptr;
    if (control_.inPlaceSite_ && SUCCEEDED(control_.inPlaceSite_->GetWindow(&host)) && host) return host;
    if (control_.window_) return GetParent(control_.window_);
    if (control_.clientSite_) {
        ComPtr<IOleWindow> window;
        if (SUCCEEDED(control_.clientSite_->QueryInterface(IID_IOleWindow, window.PutVoid())) &&
            SUCCEEDED(window->GetWindow(&host)))
            return host;
    }
    return nullptr;
}

// ---- Activation ----------------------------------------------------------------------------

void PopupHost::Activate() {
    if (active_) return;
    JoinLiveControls(this);
    active_ = true;
    messageWindow_ = CreateWindowExW(0, kMessageWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Module(), this);
    event_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    stop_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    StartWorker();
    HWND host = HostWindow();
    if (host && !GetPropW(host, kControlProp) && SetPropW(host, kControlProp, &control_)) propertyWindow_ = host;
}

void PopupHost::Deactivate() {
    if (!active_) return;
    CloseMenus();
    // A host may let the control go from inside ToolClick: the running loop still
    // looks at its menu windows, which go when it ends.
    if (useCount_ == 0) levels_.clear();
    if (propertyWindow_ && IsWindow(propertyWindow_) && GetPropW(propertyWindow_, kControlProp) == &control_)
        RemovePropW(propertyWindow_, kControlProp);
    propertyWindow_ = nullptr;
    if (worker_) {
        SetEvent(stop_.Get());
        WaitForSingleObject(worker_.Get(), INFINITE);
        worker_.Reset();
    }
    event_.Reset();
    stop_.Reset();
    if (messageWindow_) DestroyWindow(messageWindow_);
    messageWindow_ = nullptr;
    LeaveLiveControls(this);
    active_ = false;
}

void PopupHost::StartWorker() {
    if (!event_ || !stop_) return;
    worker_.Reset(CreateThread(nullptr, 0, &PopupHost::Worker, this, 0, nullptr));
}

// The worker watches, while a menu is shown, for another program taking the
// foreground (the user went elsewhere): the menu then closes, as the system's do.
// The mouse hook's signals wake it so it looks at once.
DWORD WINAPI PopupHost::Worker(void* param) {
    auto* self = static_cast<PopupHost*>(param);
    HANDLE waits[] = {self->stop_.Get(), self->event_.Get()};
    for (;;) {
        DWORD r = WaitForMultipleObjects(2, waits, FALSE, self->menuShown_ ? kLoopWaitMs : INFINITE);
        if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) return 0;
        if (!self->menuShown_) continue;
        HWND foreground = GetForegroundWindow();
        DWORD process = 0;
        if (foreground && foreground != self->foregroundAtOpen_.load()) {
            GetWindowThreadProcessId(foreground, &process);
            if (process != GetCurrentProcessId()) PostMessageW(self->messageWindow_, kMsgCloseMenus, 0, 0);
        }
    }
}

void PopupHost::Signal() {
    if (event_) SetEvent(event_.Get());
}

// ---- PopupMenu -----------------------------------------------------------------------------

void PopupHost::Popup(VARIANT* toolArg, VARIANT* flagsArg, VARIANT* xArg, VARIANT* yArg) {
    HWND host = HostWindow();
    if (!control_.props_.enabled || FormDisabled(host)) Raise(kFormDisabled);
    Tool* tool = control_.tools_->Resolve(toolArg);
    if (!tool || tool->Def().type != kMenuType) Raise(kNotAMenu);
    for (const auto& level : levels_)
        if (level->IsOpen() && level->MenuTool() == tool) Raise(kPopupAlreadyShown);

    long flags = FlagsOf(flagsArg);
    POINT anchor;
    float x = 0, y = 0;
    if (PositionOf(xArg, &x) && PositionOf(yArg, &y)) {
        // Host coordinates: the container's units when it can convert them, else pixels.
        POINTL himetric;
        POINTF container = {x, y};
        ComPtr<IOleControlSite> site;
        if (control_.clientSite_ &&
            SUCCEEDED(control_.clientSite_->QueryInterface(IID_IOleControlSite, site.PutVoid())) &&
            SUCCEEDED(site->TransformCoords(&himetric, &container, XFORMCOORDS_POSITION | XFORMCOORDS_CONTAINERTOHIMETRIC))) {
            int dpi = ScreenDpi();
            anchor = {MulDiv(himetric.x, dpi, 2540), MulDiv(himetric.y, dpi, 2540)};
        } else {
            anchor = {std::lround(x), std::lround(y)};
        }
        if (host) ClientToScreen(host, &anchor);
    } else {
        GetCursorPos(&anchor);
    }

    Activate();
    ComPtr<Control> keep(&control_);  // the host may let go of the control while its menu runs
    ++useCount_;
    struct Done {
        PopupHost& self;
        ~Done() {
            self.current_ = self.followUp_ = nullptr;
            self.rightButton_ = false;
            self.menuShown_ = false;
            if (--self.useCount_ == 0 && !self.active_) self.levels_.clear();
        }
    } done{*this};
    rightButton_ = (flags & 2) != 0;

    // The click that made the host open the menu must not choose from it.
    MSG pending;
    while (PeekMessageW(&pending, nullptr, WM_LBUTTONDOWN, WM_LBUTTONUP, PM_REMOVE)) {}
    while (PeekMessageW(&pending, nullptr, WM_RBUTTONDOWN, WM_RBUTTONUP, PM_REMOVE)) {}
    if (MenuOpen()) CloseMenus();
    CloseMenusOfOtherControls(this);
    if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
    ReleaseCapture();
    PlaySoundW(L"menupopup", nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT | SND_NOSTOP);

    MenuWindow& top = Level(0);
    top.OpenAt(*tool, anchor, flags);
    current_ = &top;
    foregroundAtOpen_ = GetForegroundWindow();
    menuShown_ = true;
    Signal();
    RunLoop(&top);
    CloseMenus();
}

void PopupHost::RunLoop(MenuWindow* popup) {
    try {
        while (popup) {
            while (popup->IsOpen() && current_ == popup) {
                MsgWaitForMultipleObjectsEx(0, nullptr, kLoopWaitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
                MSG msg;
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                    if (msg.message == WM_QUIT) {  // the host is ending: leave the menu, keep the quit
                        PostQuitMessage(static_cast<int>(msg.wParam));
                        CloseMenus();
                        break;
                    }
                    TranslateMessage(&msg);
                    DispatchMessageW(&msg);
                    if (!popup->IsOpen() || current_ != popup) break;
                }
            }
            // A sub-menu opened, or a parent returned to, takes the loop on.
            popup = std::exchange(followUp_, nullptr);
            if (popup && !popup->IsOpen()) popup = nullptr;
            if (popup) current_ = popup;
        }
    } catch (...) {
        // A failure inside the loop ends the menu; PopupMenu still returns normally.
    }
}

MenuWindow& PopupHost::Level(int depth) {
    while (static_cast<int>(levels_.size()) <= depth) {
        MenuWindow* parent = levels_.empty() ? nullptr : levels_.back().get();
        levels_.push_back(std::make_unique<MenuWindow>(*this, static_cast<int>(levels_.size()), parent));
    }
    return *levels_[static_cast<size_t>(depth)];
}

bool PopupHost::MenuOpen() const {
    return !levels_.empty() && levels_.front()->IsOpen();
}

bool PopupHost::OwnsMenuWindow(HWND window) const {
    for (const auto& level : levels_)
        if (level->Window() == window) return true;
    return false;
}

void PopupHost::CloseMenus() {
    for (auto it = levels_.rbegin(); it != levels_.rend(); ++it) (*it)->Close();
    current_ = followUp_ = nullptr;
    menuShown_ = false;
}

void PopupHost::CloseFrom(MenuWindow& menu) {
    for (size_t i = levels_.size(); i-- > static_cast<size_t>(menu.Depth());) levels_[i]->Close();
    MenuWindow* parent = menu.Parent();
    if (parent && parent->IsOpen()) {
        current_ = followUp_ = parent;
        PostMessageW(messageWindow_, kMsgBackToParent, 0, 0);
    } else {
        CloseMenus();
    }
}

void PopupHost::OpenSubMenu(MenuWindow& from, Tool& placement, bool highlightFirst) {
    Tool& menuTool = placement.PoolTool();
    if (!placement.Def().enabled || !menuTool.Def().menu) return;
    MenuWindow& sub = Level(from.Depth() + 1);
    if (sub.IsOpen() && sub.MenuTool() == &menuTool) {
        if (highlightFirst) sub.HighlightFirst();
        current_ = followUp_ = &sub;
        return;
    }
    for (size_t i = levels_.size(); i-- > static_cast<size_t>(from.Depth() + 1);) levels_[i]->Close();
    // A menu that holds itself is not dropped again inside itself.
    for (MenuWindow* m = &from; m; m = m->Parent())
        if (m->MenuTool() == &menuTool) return;
    from.Highlight(&placement);
    sub.OpenBeside(menuTool, from.HighlightedScreenRect());
    if (highlightFirst) sub.HighlightFirst();
    current_ = followUp_ = &sub;
}

void PopupHost::Choose(Tool& placement) {
    if (!placement.Def().enabled || !CanAct(placement)) return;
    ComPtr<Tool> keep(&placement);
    // The menus close first, so whatever the host shows for the choice is not under them.
    CloseMenus();
    ActivateTool(placement);
}

// The tool activation routine: the host hears ToolClick with the placement.
void PopupHost::ActivateTool(Tool& placement) {
    if (!CanAct(placement) || inToolClick_) return;
    inToolClick_ = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{inToolClick_};
    placement.Def().recentlyUsed = true;  // personalised menus show recently used tools first
    ComPtr<Control> keepControl(&control_);
    ComPtr<Tool> keepTool(&placement);
    control_.Fire(Event::ToolClick, {Variant::FromDispatch(placement.Dispatch())});
}

namespace {

// The Constants_ShortcutKeys value of a key press with the modifiers held now; 0 for none.
long ShortcutOfKey(UINT vk) {
    bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
    if (vk >= 'A' && vk <= 'Z' && ctrl && !shift && !alt) return 1 + static_cast<long>(vk - 'A');
    if (vk >= VK_F1 && vk <= VK_F12 && !alt) {
        long f = static_cast<long>(vk - VK_F1);
        return (shift && ctrl) ? 63 + f : shift ? 51 + f : ctrl ? 39 + f : 27 + f;
    }
    if (vk == VK_INSERT && ctrl && !shift && !alt) return 75;
    if (vk == VK_INSERT && shift && !ctrl && !alt) return 76;
    if (vk == VK_DELETE && !ctrl && !alt) return shift ? 78 : 77;
    if (vk == VK_BACK && alt && !ctrl && !shift) return 79;
    if (vk == VK_DOWN && ctrl && !shift && !alt) return 80;
    return 0;
}

} // namespace

bool PopupHost::PostShortcut(UINT vk) {
    long shortcut = ShortcutOfKey(vk);
    if (shortcut == 0 || !control_.props_.enabled || !messageWindow_) return false;
    Tool* tool = control_.ToolWithShortcut(shortcut, nullptr);
    if (!tool || !tool->Def().enabled || !tool->Def().visible || !CanAct(*tool)) return false;
    return PostMessageW(messageWindow_, kMsgShortcut, static_cast<WPARAM>(shortcut), 0) != FALSE;
}

// ---- Keys ----------------------------------------------------------------------------------

void PopupHost::MenuKey(UINT vk) {
    MenuWindow* menu = current_;
    if (!menu || !menu->IsOpen()) return;
    bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (vk) {
    case VK_BACK: menu->MoveHighlight(-1); return;
    case VK_TAB: menu->MoveHighlight(shift ? -1 : 1); return;
    case VK_UP: menu->MoveHighlight(-1); return;
    case VK_DOWN: menu->MoveHighlight(1); return;
    case VK_HOME: case VK_PRIOR: menu->HighlightFirst(); return;
    case VK_END: case VK_NEXT: menu->HighlightLast(); return;
    case VK_RIGHT:
        if (Tool* t = menu->Highlighted(); t && t->Def().type == kMenuType) OpenSubMenu(*menu, *t, true);
        return;
    case VK_LEFT:
        if (menu->Parent()) CloseFrom(*menu);
        return;
    case VK_RETURN: EnterKey(*menu); return;
    case VK_ESCAPE: CloseFrom(*menu); return;
    case VK_MENU: case VK_LMENU: case VK_RMENU: CloseMenus(); return;
    case VK_SHIFT: case VK_CONTROL: case VK_LSHIFT: case VK_RSHIFT: case VK_LCONTROL: case VK_RCONTROL:
    case VK_CAPITAL: case VK_NUMLOCK: case VK_LWIN: case VK_RWIN: return;
    default: break;
    }
    if (GetKeyState(VK_CONTROL) < 0) return;  // Ctrl with a character: ignored
    UINT key = KeypadAsDigit(vk);
    wchar_t ch = key >= '0' && key <= '9' ? static_cast<wchar_t>(key)
                                          : static_cast<wchar_t>(MapVirtualKeyW(key, MAPVK_VK_TO_CHAR) & 0x7FFF);
    if (ch > L' ') AccessKey(*menu, UpperCase(ch));
}

void PopupHost::EnterKey(MenuWindow& menu) {
    Tool* t = menu.Highlighted();
    if (!t) return;
    long type = t->Def().type;
    if (type == kMenuType) {
        MenuWindow* sub = static_cast<size_t>(menu.Depth() + 1) < levels_.size() ? levels_[menu.Depth() + 1].get() : nullptr;
        if (sub && sub->IsOpen() && sub->MenuTool() == &t->PoolTool()) CloseMenus();
        else OpenSubMenu(menu, *t, true);
    } else if (type == kEditType || type == kComboType) {
        CloseMenus();
        control_.Fire(Event::ToolGotFocus, {Variant::FromDispatch(t->Dispatch())});
    } else {
        Choose(*t);
    }
}

void PopupHost::AccessKey(MenuWindow& menu, wchar_t key) {
    std::vector<Tool*> matches = menu.WithAccessKey(key);
    if (matches.empty()) {
        Beep(0, 100);
        return;
    }
    // Several items sharing a key: the highlight goes from one to the next, nothing is chosen.
    if (matches.size() > 1) {
        menu.Highlight(matches.front());
        return;
    }
    Tool& t = *matches.front();
    menu.Highlight(&t);
    long type = t.Def().type;
    if (type == kMenuType) {
        OpenSubMenu(menu, t, true);
    } else if (type == kEditType || type == kComboType) {
        CloseMenus();
        control_.Fire(Event::ToolGotFocus, {Variant::FromDispatch(t.Dispatch())});
    } else {
        Choose(t);
    }
}

// ---- Message window ------------------------------------------------------------------------

LRESULT PopupHost::OnPrivateMessage(UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case kMsgBackToParent:
        if (current_ && current_->IsOpen()) current_->ShowHighlight();
        return 0;
    case kMsgCloseMenus:
        CloseMenus();
        return 0;
    case kMsgMenuKey:
        MenuKey(static_cast<UINT>(wp));
        return 0;
    case kMsgShortcut:
        if (Tool* tool = control_.ToolWithShortcut(static_cast<long>(wp), nullptr); tool && tool->Def().enabled)
            ActivateTool(*tool);
        return 0;
    default:
        return 0;
    }
}

} // namespace palisade
