#pragma once
// What a host of the control gives it in tests: a container site on a window,
// and a hand that answers the next dialog or message box.

#include "PalisadeTest.h"

#include "common/com/ComObject.h"

namespace palisade::test {

// Answers the next dialog box of this thread: reads its texts, lets a test act
// on it, then presses a button.
class DialogAnswer {
public:
    using Action = void (*)(HWND dialog);
    DialogAnswer(int button, Action action = nullptr) {
        current = this;
        button_ = button;
        action_ = action;
        hook_ = SetWindowsHookExW(WH_CBT, &DialogAnswer::Hook, nullptr, GetCurrentThreadId());
    }
    ~DialogAnswer() {
        UnhookWindowsHookEx(hook_);
        current = nullptr;
    }
    std::wstring caption, text;
    bool seen = false;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
        if (code == HCBT_ACTIVATE && current && !current->seen) {
            HWND dialog = reinterpret_cast<HWND>(wp);
            wchar_t buf[512];
            GetWindowTextW(dialog, buf, 512);
            current->caption = buf;
            // The text of a message box is its static control 0xFFFF.
            if (GetDlgItemTextW(dialog, 0xFFFF, buf, 512)) current->text = buf;
            current->seen = true;
            PostMessageW(dialog, WM_APP + 1, 0, 0);  // act once the dialog is set up
            SetTimer(dialog, 1, 10, &DialogAnswer::Act);
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static void CALLBACK Act(HWND dialog, UINT, UINT_PTR id, DWORD) {
        KillTimer(dialog, id);
        if (!current) return;
        if (current->action_) current->action_(dialog);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(current->button_, BN_CLICKED), 0);
    }
    static inline DialogAnswer* current = nullptr;
    HHOOK hook_;
    int button_;
    Action action_;
};

// The smallest container site: a host window, in-place activation allowed.
class Site : public bastide::com::ComObject<Site, IOleClientSite, IOleInPlaceSite> {
public:
    explicit Site(HWND host) : host_(host) {}
    static const bastide::com::QiEntry* Interfaces() {
        static const bastide::com::QiEntry table[] = {
            bastide::com::QiEntry::Of<Site, IOleClientSite>(IID_IOleClientSite),
            bastide::com::QiEntry::Of<Site, IOleInPlaceSite>(IID_IOleInPlaceSite),
            bastide::com::QiEntry::Of<Site, IOleInPlaceSite>(IID_IOleWindow),
            {}};
        return table;
    }
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow, IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* out) override {
        *out = host_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override {
        ++activations;
        return S_OK;
    }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO) override {
        *frame = nullptr;
        *doc = nullptr;
        SetRect(pos, 0, 0, 300, 40);
        *clip = *pos;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override {
        ++deactivations;
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
    int activations = 0, deactivations = 0;

private:
    HWND host_;
};

} // namespace palisade::test
