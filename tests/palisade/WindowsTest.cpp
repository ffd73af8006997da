// The windows the control shows: the About box, the customisation dialog and a
// popup menu, each answered from inside its own modal loop as a user would.

#include "PalisadeTest.h"
#include "TestHost.h"

#include "common/com/ComObject.h"

#include <commctrl.h>

namespace palisade::test {
namespace {

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
class Recorder : public bastide::com::ComObject<Recorder, IDispatch> {
public:
    static const bastide::com::QiEntry* Interfaces() {
        static const bastide::com::QiEntry table[] = {bastide::com::QiEntry::Of<Recorder, IDispatch>(IID_IDispatch),
                                                      {}};
        return table;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
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

// Chooses the second item of the menu that is open, from inside its modal loop.
void CALLBACK ChooseSecondItem(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND menu = FindWindowW(L"#32768", nullptr);
    HWND target = menu ? menu : GetFocus();
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
        PostMessageW(target, WM_KEYDOWN, key, 0);
        PostMessageW(target, WM_KEYUP, key, 0xC0000000);
    }
}

TEST(Windows, APopupMenuFiresToolClickWithTheChosenPlacement) {
    ComPtr<IPlToolBarControlImpl> control = NewControl();
    ComPtr<IPlToolsCollectionImpl> pool = ToolsOf(control.Get());
    ComPtr<IPlToolImpl> menu = AddTool(pool.Get(), L"MenuPop", plTypeMenu);
    ComPtr<IPlToolsCollectionImpl> items = MenuToolsOf(menu.Get());
    for (const wchar_t* id : {L"ModifRep", L"Editer", L"Prop"}) {
        AddTool(pool.Get(), id);
        AddTool(items.Get(), id);
    }
    ComPtr<IConnectionPoint> point;
    ComPtr<Recorder> recorder = Listen(control.Get(), point);
    SetTimer(nullptr, 0, 50, &ChooseSecondItem);
    Variant which = Str(L"MenuPop"), x = Long(10), y = Long(10);
    VARIANT flags = Missing();
    ASSERT_EQ(S_OK, control->PopupMenu(which.Ptr(), &flags, x.Ptr(), y.Ptr()));
    EXPECT_EQ(std::vector<DISPID>{1071}, recorder->events) << "ToolClick before PopupMenu returns";
    EXPECT_EQ(L"Editer", recorder->clicked);
    VARIANT_BOOL recent = VARIANT_FALSE;
    ItemOf(pool.Get(), Str(L"Editer").Get())->get_RecentlyUsed(&recent);
    EXPECT_EQ(VARIANT_TRUE, recent);
}

} // namespace
} // namespace palisade::test

namespace palisade::test {
namespace {

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
