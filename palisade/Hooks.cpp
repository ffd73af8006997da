#include "palisade/Hooks.h"

#include "palisade/Control.h"
#include "palisade/Module.h"
#include "palisade/PopupMenu.h"

#include <algorithm>
#include <vector>

namespace palisade {

const wchar_t kMessageWindowClass[] = L"PlMessageWnd";

namespace {

// Never destroyed: a hook may still run while the process ends.
std::vector<PopupHost*>& live = *new std::vector<PopupHost*>;
HHOOK keyboardHook = nullptr, getMessageHook = nullptr, callWindowHook = nullptr, mouseHook = nullptr;

class ControlsGuard {
public:
    ControlsGuard() { EnterCriticalSection(&ControlsLock()); }
    ~ControlsGuard() { LeaveCriticalSection(&ControlsLock()); }
    ControlsGuard(const ControlsGuard&) = delete;
    ControlsGuard& operator=(const ControlsGuard&) = delete;
};

// A live control found by a hook, kept alive while the hook acts on it outside
// the critical section.
struct Found {
    PopupHost* host = nullptr;
    ComPtr<Control> keep;
    explicit operator bool() const { return host != nullptr; }
};

Found Take(PopupHost* host) {
    Found f;
    if (host) {
        f.host = host;
        f.keep = ComPtr<Control>(&host->Owner());
    }
    return f;
}

// The control of this thread whose menu is open (at most one: opening a menu closes the others).
Found OpenMenuOfThisThread() {
    ControlsGuard guard;
    DWORD thread = GetCurrentThreadId();
    for (PopupHost* host : live)
        if (host->Thread() == thread && host->MenuOpen()) return Take(host);
    return {};
}

// The live control a host window's property points at.
Found ControlOfHostWindow(HWND window) {
    void* control = window ? GetPropW(window, kControlProp) : nullptr;
    if (!control) return {};
    ControlsGuard guard;
    for (PopupHost* host : live)
        if (&host->Owner() == control && host->Thread() == GetCurrentThreadId()) return Take(host);
    return {};
}

bool IsKeyMessage(UINT msg) { return msg >= WM_KEYFIRST && msg <= WM_KEYLAST; }

// Button presses in a client area or on a frame (the non-client messages 160-169).
bool IsButtonDown(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN: case WM_XBUTTONDOWN:
    case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: case WM_NCRBUTTONDBLCLK: case WM_NCMBUTTONDBLCLK:
        return true;
    default:
        return false;
    }
}

// A press outside the control's own windows closes its open menu; the press
// itself goes nowhere, as with the system's menus.
bool CloseOnPressOutside(HWND target) {
    if (IsControlWindow(target)) return false;
    Found open = OpenMenuOfThisThread();
    if (!open) return false;
    open.host->CloseMenus();
    return true;
}

// Shortcuts reach the controls shown in the active window; in a multiple-document
// host, only those of the active child.
bool VisibleInActiveWindow(HWND window, HWND active) {
    if (!window || !active || !IsWindowVisible(window) || GetAncestor(window, GA_ROOT) != active) return false;
    for (HWND w = GetParent(window); w && w != active; w = GetParent(w)) {
        if (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_MDICHILD)
            return reinterpret_cast<HWND>(SendMessageW(GetParent(w), WM_MDIGETACTIVE, 0, 0)) == w;
    }
    return true;
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM wp, LPARAM lp) {
    bool pressed = (lp & 0x80000000) == 0;
    if (code == HC_ACTION && pressed) {
        // While a menu is open its keys are read from the thread's messages (get-message hook).
        if (!OpenMenuOfThisThread()) {
            std::vector<Found> candidates;
            {
                ControlsGuard guard;
                HWND active = GetActiveWindow();
                for (PopupHost* host : live) {
                    HWND window = host->Owner().Window() ? host->Owner().Window() : host->HostWindow();
                    if (host->Thread() == GetCurrentThreadId() && VisibleInActiveWindow(window, active))
                        candidates.push_back(Take(host));
                }
            }
            UINT vk = KeypadAsDigit(static_cast<UINT>(wp));
            for (Found& c : candidates)
                if (c.host->PostShortcut(vk)) return 1;
        }
    }
    return CallNextHookEx(keyboardHook, code, wp, lp);
}

LRESULT CALLBACK GetMessageHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && wp == PM_REMOVE) {
        MSG* msg = reinterpret_cast<MSG*>(lp);
        if (IsKeyMessage(msg->message)) {
            // No key reaches the host while its menu is open: presses go to the
            // control's message window, the rest nowhere.
            if (Found open = OpenMenuOfThisThread()) {
                if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
                    msg->hwnd = open.host->MessageWindow();
                    msg->message = kMsgMenuKey;
                } else {
                    msg->message = WM_NULL;
                }
            }
        } else if (IsButtonDown(msg->message)) {
            // Presses posted to a window (no mouse hook sees them) close the menu as real ones do.
            if (CloseOnPressOutside(msg->hwnd)) msg->message = WM_NULL;
        }
    }
    return CallNextHookEx(getMessageHook, code, wp, lp);
}

LRESULT CALLBACK CallWindowHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lp);
        bool closes = false;
        switch (call->message) {
        case WM_ACTIVATEAPP: closes = call->wParam == FALSE; break;
        case WM_ENABLE: closes = call->wParam == FALSE; break;
        case WM_DESTROY: closes = true; break;
        case WM_WINDOWPOSCHANGED: {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(call->lParam);
            closes = (pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE);
            break;
        }
        default: break;
        }
        // The host window moved, sized, disabled, closing or left: its menu goes.
        if (closes) {
            Found control = ControlOfHostWindow(call->hwnd);
            if (control && control.host->MenuOpen()) control.host->CloseMenus();
        }
    }
    return CallNextHookEx(callWindowHook, code, wp, lp);
}

LRESULT CALLBACK MouseHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION) {
        const MOUSEHOOKSTRUCT* mouse = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lp);
        if (Found control = ControlOfHostWindow(mouse->hwnd)) control.host->Signal();
        if (IsButtonDown(static_cast<UINT>(wp)) && CloseOnPressOutside(mouse->hwnd)) return 1;
    }
    return CallNextHookEx(mouseHook, code, wp, lp);
}

void InstallHooks() {
    DWORD thread = GetCurrentThreadId();
    if (!keyboardHook) keyboardHook = SetWindowsHookExW(WH_KEYBOARD, KeyboardHook, nullptr, thread);
    if (!getMessageHook) getMessageHook = SetWindowsHookExW(WH_GETMESSAGE, GetMessageHook, nullptr, thread);
    if (!callWindowHook) callWindowHook = SetWindowsHookExW(WH_CALLWNDPROC, CallWindowHook, nullptr, thread);
    if (!mouseHook) mouseHook = SetWindowsHookExW(WH_MOUSE, MouseHook, nullptr, thread);
}

void RemoveHooksLocked() {
    for (HHOOK* hook : {&keyboardHook, &getMessageHook, &callWindowHook, &mouseHook}) {
        if (*hook) UnhookWindowsHookEx(*hook);
        *hook = nullptr;
    }
}

} // namespace

UINT KeypadAsDigit(UINT vk) {
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9 && (GetKeyState(VK_NUMLOCK) & 1)) return '0' + (vk - VK_NUMPAD0);
    return vk;
}

void JoinLiveControls(PopupHost* host) {
    ControlsGuard guard;
    if (std::find(live.begin(), live.end(), host) == live.end()) live.push_back(host);
    InstallHooks();
}

void LeaveLiveControls(PopupHost* host) {
    ControlsGuard guard;
    live.erase(std::remove(live.begin(), live.end(), host), live.end());
    if (live.empty()) RemoveHooksLocked();
}

void RemoveSharedHooks() {
    ControlsGuard guard;
    RemoveHooksLocked();
}

void CloseMenusOfOtherControls(const PopupHost* except) {
    std::vector<Found> open;
    {
        ControlsGuard guard;
        for (PopupHost* host : live) {
            if (host == except || !host->MenuOpen()) continue;
            if (host->Thread() == GetCurrentThreadId()) open.push_back(Take(host));
            else PostMessageW(host->MessageWindow(), kMsgCloseMenus, 0, 0);  // its own thread closes it
        }
    }
    for (Found& f : open) f.host->CloseMenus();
}

bool IsControlWindow(HWND window) {
    if (!window) return false;
    for (const wchar_t* prop : {L"plToolsProp", L"PlFloatProp", L"PlMenuProp", L"PlDockProp"})
        if (GetPropW(window, prop)) return true;
    return false;
}

LRESULT CALLBACK MessageWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* host = reinterpret_cast<PopupHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (host && msg >= kFirstPrivateMessage && msg <= kLastPrivateMessage) {
        try {
            return host->OnPrivateMessage(msg, wp, lp);
        } catch (...) {
            return 0;  // nothing leaves a window procedure
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace palisade
