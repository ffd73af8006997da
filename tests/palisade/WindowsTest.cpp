// The windows the control shows: the About box and the customisation dialog, each
// answered from inside its own modal loop as a user would. (Popup menus: PopupMenuTest.)

#include "PalisadeTest.h"

#include "common/com/ComObject.h"

#include <commctrl.h>

namespace palisade::test {
namespace {

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

VARIANT Missing() {
    VARIANT v;
    V_VT(&v) = VT_ERROR;
    V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
    return v;
}

TEST(Windows, AboutBoxNamesTheControlAndItsVersion) {
    ComPtr<IPlToolBarControlImpl> control = NewControl();
    DialogAnswer answer(IDOK);
    ASSERT_EQ(S_OK, control->AboutBox());
    ASSERT_TRUE(answer.seen);
    EXPECT_EQ(L"About Palisade", answer.caption);
    EXPECT_NE(std::wstring::npos, answer.text.find(L"Palisade Plus control"));
    EXPECT_NE(std::wstring::npos, answer.text.find(L"Version 5.0"));
}

// A sink that counts events and lets the dialog open.
class Recorder : public DispatchSink<Recorder> {
public:
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        events.push_back(id);
        if (id == 1071 && params->cArgs == 1 && V_VT(&params->rgvarg[0]) == VT_DISPATCH) {  // ToolClick
            CallResult toolId = Get(V_DISPATCH(&params->rgvarg[0]), L"ID");
            if (toolId.value.Type() == VT_BSTR) clicked = V_BSTR(toolId.value.Ptr());
        }
        return S_OK;
    }
    std::vector<DISPID> events;
    std::wstring clicked;
};

ComPtr<Recorder> Listen(IPlToolBarControlImpl* control, ComPtr<IConnectionPoint>& point) {
    ComPtr<Recorder> recorder = bastide::com::MakeObject<Recorder>();
    Query<IConnectionPointContainer>(control, IID_IConnectionPointContainer)
        ->FindConnectionPoint(DIID_DPlToolBarsEvents, point.Put());
    DWORD cookie = 0;
    ComPtr<IUnknown> unknown = ComPtr<IUnknown>::Adopt(recorder->UnknownRef());
    EXPECT_EQ(S_OK, point->Advise(unknown.Get(), &cookie));
    return recorder;
}

TEST(Windows, TheCustomizeDialogShowsAndHidesToolbars) {
    ComPtr<IPlToolBarControlImpl> control = NewControl();
    ComPtr<IPlToolBarImpl> first = AddBar(BarsOf(control.Get()).Get(), L"Standard");
    AddBar(BarsOf(control.Get()).Get(), L"Format");
    ComPtr<IConnectionPoint> point;
    ComPtr<Recorder> recorder = Listen(control.Get(), point);
    DialogAnswer answer(IDOK, [](HWND dialog) {
        HWND list = FindWindowExW(dialog, nullptr, WC_LISTVIEWW, nullptr);
        ListView_SetCheckState(list, 0, FALSE);  // the user unticks "Standard"
    });
    ASSERT_EQ(S_OK, control->Customize(Missing()));
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(L"Customize", answer.caption);
    EXPECT_EQ((std::vector<DISPID>{1074, 1121}), recorder->events) << "OnCustomize, then AfterCustomize";
    VARIANT_BOOL visible = VARIANT_TRUE;
    first->get_Visible(&visible);
    EXPECT_EQ(VARIANT_FALSE, visible);
}

} // namespace
} // namespace palisade::test

namespace palisade::test {
namespace {

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

TEST(Windows, AContainerActivatesTheControlInPlaceInItsWindow) {
    HWND host = CreateWindowExW(0, L"STATIC", L"hôte", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(nullptr, host);
    ComPtr<IPlToolBarControlImpl> control = NewControl();
    ComPtr<Site> site = bastide::com::MakeObject<Site>(host);
    ComPtr<IOleObject> ole = Query<IOleObject>(control.Get(), IID_IOleObject);
    ComPtr<IOleClientSite> clientSite(static_cast<IOleClientSite*>(site.Get()));
    ASSERT_EQ(S_OK, ole->SetClientSite(clientSite.Get()));
    RECT pos = {0, 0, 300, 40};
    ASSERT_EQ(S_OK, ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite.Get(), 0, host, &pos));
    EXPECT_EQ(1, site->activations);

    ComPtr<IOleInPlaceObject> inPlace = Query<IOleInPlaceObject>(control.Get(), IID_IOleInPlaceObject);
    HWND window = nullptr;
    ASSERT_EQ(S_OK, inPlace->GetWindow(&window));
    EXPECT_EQ(host, GetParent(window));
    wchar_t cls[64];
    GetClassNameW(window, cls, 64);
    EXPECT_EQ(std::wstring(L"PlBarsWndClass"), cls);
    RECT moved = {10, 20, 210, 60};
    ASSERT_EQ(S_OK, inPlace->SetObjectRects(&moved, &moved));
    RECT r;
    GetClientRect(window, &r);
    EXPECT_EQ(200, r.right);
    short width = 0;
    control->GetDockWidth(plDockedTop, &width);
    EXPECT_EQ(200, width) << "the dock areas follow the window";

    // A click on a state button of a bar presses it and tells the host.
    ComPtr<IPlToolsCollectionImpl> pool = ToolsOf(control.Get());
    ComPtr<IPlToolImpl> bold = AddTool(pool.Get(), L"Gras", plTypeStateButton);
    AddTool(BarToolsOf(AddBar(BarsOf(control.Get()).Get(), L"Format").Get()).Get(), L"Gras");
    ComPtr<IConnectionPoint> point;
    ComPtr<Recorder> recorder = Listen(control.Get(), point);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 10));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(15, 10));
    EXPECT_EQ(L"Gras", recorder->clicked);
    Constants_State state{};
    bold->get_State(&state);
    EXPECT_EQ(plChecked, state);
    recorder->clicked.clear();
    bold->put_Enabled(VARIANT_FALSE);
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(15, 10));
    EXPECT_EQ(L"", recorder->clicked) << "a disabled tool is not clicked";

    ASSERT_EQ(S_OK, inPlace->InPlaceDeactivate());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(1, site->deactivations);
    ole->SetClientSite(nullptr);
    DestroyWindow(host);
}

} // namespace
} // namespace palisade::test
