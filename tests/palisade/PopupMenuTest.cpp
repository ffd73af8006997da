// Popup menus driven as a user drives them: mouse and key messages posted to the
// thread from a timer while PopupMenu's own loop runs, the menu window read from
// the screen.

#include "PalisadeTest.h"

#include <functional>

namespace palisade::test {
namespace {

VARIANT Missing() {
    VARIANT v;
    V_VT(&v) = VT_ERROR;
    V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
    return v;
}

// Records the IDs of ToolClick, and whether PopupMenu had already returned then.
class ClickLog : public DispatchSink<ClickLog> {
public:
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        if (id == 1071 && params->cArgs == 1 && V_VT(&params->rgvarg[0]) == VT_DISPATCH) {
            CallResult toolId = Get(V_DISPATCH(&params->rgvarg[0]), L"ID");
            clicked.push_back(toolId.value.Type() == VT_BSTR ? V_BSTR(toolId.value.Ptr()) : L"?");
            if (popupReturned) clickedAfterReturn = true;
        }
        return S_OK;
    }
    std::vector<std::wstring> clicked;
    bool popupReturned = false, clickedAfterReturn = false;
};

// What a timer does while a menu is open; one at a time.
std::function<void()> whileOpen;
void CALLBACK RunWhileOpen(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (whileOpen) std::exchange(whileOpen, nullptr)();
}
void WhenOpen(std::function<void()> action) {
    whileOpen = std::move(action);
    SetTimer(nullptr, 0, 60, &RunWhileOpen);
}

// The visible menu windows of this thread, outermost first.
std::vector<HWND> OpenMenus() {
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM p) -> BOOL {
            wchar_t cls[32] = {};
            GetClassNameW(w, cls, 32);
            if (std::wstring(cls) == L"PlMenu" && IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void Key(HWND target, UINT vk) {
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
}

void Click(HWND target, POINT at, bool right = false) {
    LPARAM lp = MAKELPARAM(at.x, at.y);
    PostMessageW(target, WM_MOUSEMOVE, 0, lp);
    PostMessageW(target, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, lp);
    PostMessageW(target, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, lp);
}

// A click of the real mouse at a point of the screen.
void RealClick(POINT screen, bool right = false) {
    auto mouse = [&](DWORD flags) {
        INPUT in = {};
        in.type = INPUT_MOUSE;
        in.mi.dx = MulDiv(screen.x, 65536, GetSystemMetrics(SM_CXSCREEN));
        in.mi.dy = MulDiv(screen.y, 65536, GetSystemMetrics(SM_CYSCREEN));
        in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        return in;
    };
    INPUT clicks[] = {mouse(0), mouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN),
                      mouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP)};
    SendInput(3, clicks, sizeof(INPUT));
}

// The middle of a menu window: the middle one of three items.
POINT Middle(HWND menu) {
    RECT r;
    GetClientRect(menu, &r);
    return {r.right / 2, r.bottom / 2};
}

int hostPresses = 0;
LRESULT CALLBACK HostProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_LBUTTONDOWN) ++hostPresses;
    return DefWindowProcW(w, msg, wp, lp);
}

// A form at (100, 100) without a frame, so its client area starts there.
HWND NewHost() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.lpszClassName = L"PopupTestHost";
    RegisterClassW(&wc);
    return CreateWindowExW(0, L"PopupTestHost", L"hôte", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                           nullptr, nullptr);
}

// A control with the menu "MenuPop" of "Modifier", "Editer", "Propriétés" (with access
// keys), a disabled "Supprimer" after a separator, and a sub-menu "Plus" holding "Autre".
class PopupMenuTest : public testing::Test {
protected:
    void SetUp() override {
        SetCursorPos(300, 200);
        host = NewHost();
        ASSERT_EQ(S_OK, control->AttachWindow(static_cast<OLE_HANDLE>(reinterpret_cast<UINT_PTR>(host))));
        ComPtr<IPlToolImpl> menu = AddTool(pool.Get(), L"MenuPop", plTypeMenu);
        ComPtr<IPlToolsCollectionImpl> items = MenuToolsOf(menu.Get());
        for (auto [id, caption] : {std::pair{L"ModifRep", L"&Modifier"}, {L"Editer", L"&Editer"}, {L"Prop", L"&Propriétés"}}) {
            AddTool(pool.Get(), id);
            AddTool(items.Get(), id)->put_Name(Bstr(caption).Get());
        }
        ComPtr<IPlToolImpl> sub = AddTool(pool.Get(), L"Plus", plTypeMenu);
        AddTool(pool.Get(), L"Autre");
        AddTool(MenuToolsOf(sub.Get()).Get(), L"Autre")->put_Name(Bstr(L"&Autre").Get());
        // A second menu without the sub-menu: three items only, for the mouse.
        ComPtr<IPlToolImpl> three = AddTool(pool.Get(), L"Trois", plTypeMenu);
        for (const wchar_t* id : {L"ModifRep", L"Editer", L"Prop"}) AddTool(MenuToolsOf(three.Get()).Get(), id);
        AddTool(items.Get(), L"separator", plTypeSeparator);
        AddTool(pool.Get(), L"DeleteLigne")->put_Enabled(VARIANT_FALSE);
        AddTool(items.Get(), L"DeleteLigne")->put_Name(Bstr(L"&Supprimer").Get());
        AddTool(items.Get(), L"Plus")->put_Name(Bstr(L"P&lus").Get());
        ComPtr<IConnectionPointContainer> container =
            Query<IConnectionPointContainer>(control.Get(), IID_IConnectionPointContainer);
        container->FindConnectionPoint(DIID_DPlToolBarsEvents, point.Put());
        ComPtr<IUnknown> unknown = ComPtr<IUnknown>::Adopt(log->UnknownRef());
        point->Advise(unknown.Get(), &cookie);
    }
    void TearDown() override {
        point->Unadvise(cookie);
        DestroyWindow(host);
    }
    HRESULT Popup(Variant tool, Variant flags = Variant(), Variant x = Variant(), Variant y = Variant()) {
        VARIANT missing = Missing();
        auto arg = [&](Variant& v) { return v.IsEmpty() ? &missing : v.Ptr(); };
        HRESULT hr = control->PopupMenu(arg(tool), arg(flags), arg(x), arg(y));
        log->popupReturned = true;
        return hr;
    }
    ComPtr<IPlToolBarControlImpl> control = NewControl();
    ComPtr<IPlToolsCollectionImpl> pool = ToolsOf(control.Get());
    ComPtr<ClickLog> log = bastide::com::MakeObject<ClickLog>();
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    HWND host = nullptr;
};

TEST_F(PopupMenuTest, RefusesADisabledFormAndAToolThatIsNoMenu) {
    struct Row {
        const char* what;
        Variant tool;
        bool disableForm;
        long number;
        const wchar_t* text;
    };
    Row rows[] = {
        {"a button", Str(L"ModifRep"), false, 40007, L"The tool is not a valid menu"},
        {"an unknown ID", Str(L"Nope"), false, 40007, L"The tool is not a valid menu"},
        {"index 0", Long(0), false, 40007, L"The tool is not a valid menu"},
        {"index past the end", Long(99), false, 40007, L"The tool is not a valid menu"},
        {"a disabled form", Str(L"MenuPop"), true, 40018, L"Can not display a popup menu if form is disabled."},
    };
    for (Row& row : rows) {
        EnableWindow(host, !row.disableForm);
        EXPECT_EQ(ErrorOf(row.number), Popup(row.tool)) << row.what;
        EXPECT_EQ(row.text, LastErrorText()) << row.what;
        EXPECT_TRUE(OpenMenus().empty()) << row.what;
    }
    EnableWindow(host, TRUE);
    EXPECT_TRUE(log->clicked.empty());
}

TEST_F(PopupMenuTest, OpensWhereTheArgumentsSay) {
    ComPtr<IPlToolImpl> byObject = ItemOf(pool.Get(), Str(L"Trois").Get());
    Variant object = Variant::FromDispatch(byObject.Get());
    Variant byIndex = Long(7);  // "Trois" is the seventh tool of the pool
    POINT cursor;
    struct Row {
        const char* what;
        Variant tool, flags, x, y;
        bool atCursor;
        int align;  // 0 left edge at X, 1 centred, 2 right edge
    };
    Row rows[] = {
        {"object only: at the cursor", object, {}, {}, {}, true, 0},
        {"ID, X and Y of -1: at the cursor", Str(L"Trois"), Long(0), Long(-1), Long(-1), true, 0},
        {"index, left edge at X", byIndex, Long(0), Long(50), Long(60), false, 0},
        {"centred", Str(L"Trois"), Long(4), Long(50), Long(60), false, 1},
        {"right-aligned", Str(L"Trois"), Long(8), Long(50), Long(60), false, 2},
        {"flags 9 mean 1", Str(L"Trois"), Long(9), Long(50), Long(60), false, 0},
        {"flags -1 mean 1", Str(L"Trois"), Long(-1), Long(50), Long(60), false, 0},
        {"flags that are no number mean 1", Str(L"Trois"), Str(L"x"), Long(50), Long(60), false, 0},
    };
    for (Row& row : rows) {
        RECT shown = {};
        size_t menus = 0;
        WhenOpen([&] {
            std::vector<HWND> open = OpenMenus();
            menus = open.size();
            if (!open.empty()) GetWindowRect(open[0], &shown);
            Key(open.empty() ? host : open[0], VK_ESCAPE);
        });
        GetCursorPos(&cursor);
        ASSERT_EQ(S_OK, Popup(row.tool, row.flags, row.x, row.y)) << row.what;
        ASSERT_EQ(1u, menus) << row.what;
        LONG width = shown.right - shown.left;
        POINT anchor = row.atCursor ? cursor : POINT{100 + 50, 100 + 60};  // host client origin + (X, Y)
        LONG left = row.align == 0 ? anchor.x : row.align == 1 ? anchor.x - width / 2 : anchor.x - width;
        EXPECT_EQ(left, shown.left) << row.what;
        EXPECT_EQ(anchor.y, shown.top) << row.what;
    }
    EXPECT_TRUE(log->clicked.empty()) << "Escape chooses nothing";
}

TEST_F(PopupMenuTest, TheClickThatOpenedTheMenuChoosesNothing) {
    HWND menu = nullptr;
    WhenOpen([&] {
        menu = OpenMenus().at(0);
        Key(menu, VK_ESCAPE);
    });
    ASSERT_EQ(S_OK, Popup(Str(L"Trois"), {}, Long(10), Long(10)));
    ASSERT_NE(nullptr, menu);
    // The press and release the host saw are still queued when it asks for the menu again.
    Click(menu, Middle(menu));
    Click(menu, Middle(menu), true);
    WhenOpen([&] { Key(menu, VK_ESCAPE); });
    ASSERT_EQ(S_OK, Popup(Str(L"Trois"), Long(2), Long(10), Long(10)));
    EXPECT_TRUE(log->clicked.empty());
}

TEST_F(PopupMenuTest, AClickChoosesTheItemUnderTheMouseBeforePopupMenuReturns) {
    struct Row {
        const char* what;
        Variant flags;
        bool right, real;
        std::vector<std::wstring> clicked;
    };
    Row rows[] = {
        {"left button", {}, false, false, {L"Editer"}},
        {"right button, allowed", Long(plPopupMenuRightButton), true, false, {L"Editer"}},
        {"right button, not allowed", Long(plPopupMenuLeftButton), true, false, {}},
        {"left button of the real mouse", {}, false, true, {L"Editer"}},
        {"right button of the real mouse, not allowed", {}, true, true, {}},
    };
    for (Row& row : rows) {
        log->clicked.clear();
        log->popupReturned = false;
        WhenOpen([&] {
            HWND menu = OpenMenus().at(0);
            POINT middle = Middle(menu);
            if (row.real) {
                ClientToScreen(menu, &middle);
                RealClick(middle, row.right);
            } else {
                Click(menu, middle, row.right);
            }
            if (row.clicked.empty()) Key(menu, VK_ESCAPE);  // the menu is still open
        });
        ASSERT_EQ(S_OK, Popup(Str(L"Trois"), row.flags, Long(10), Long(10))) << row.what;
        EXPECT_EQ(row.clicked, log->clicked) << row.what;
        EXPECT_FALSE(log->clickedAfterReturn) << row.what;
        EXPECT_TRUE(OpenMenus().empty()) << row.what;
    }
}

TEST_F(PopupMenuTest, KeysMoveTheHighlightAndChoose) {
    struct Row {
        const char* what;
        std::vector<UINT> keys;
        std::vector<std::wstring> clicked;
    };
    Row rows[] = {
        {"Down Down Enter", {VK_DOWN, VK_DOWN, VK_RETURN}, {L"Editer"}},
        {"Tab Tab Backspace Enter", {VK_TAB, VK_TAB, VK_BACK, VK_RETURN}, {L"ModifRep"}},
        {"Up wraps to the last, then skips the separator", {VK_UP, VK_UP, VK_UP, VK_RETURN}, {L"Prop"}},
        {"Home, End", {VK_END, VK_HOME, VK_RETURN}, {L"ModifRep"}},
        {"access key", {'P'}, {L"Prop"}},
        {"keypad digits and unknown keys beep", {VK_NUMPAD1, 'Z', 'E'}, {L"Editer"}},
        {"access key of a disabled item", {'S', VK_ESCAPE}, {}},
        {"Enter on a disabled item", {VK_END, VK_UP, VK_RETURN, VK_ESCAPE}, {}},
        {"Escape", {VK_DOWN, VK_ESCAPE}, {}},
        {"Alt", {VK_DOWN, VK_MENU}, {}},
        {"into the sub-menu", {VK_END, VK_RIGHT, VK_RETURN}, {L"Autre"}},
        {"sub-menu by its access key", {'L', 'A'}, {L"Autre"}},
        {"Escape in the sub-menu goes back", {VK_END, VK_RIGHT, VK_ESCAPE, VK_UP, VK_UP, VK_RETURN}, {L"Prop"}},
    };
    for (Row& row : rows) {
        log->clicked.clear();
        log->popupReturned = false;
        WhenOpen([&] {
            HWND menu = OpenMenus().at(0);
            for (UINT vk : row.keys) Key(menu, vk);
        });
        ASSERT_EQ(S_OK, Popup(Str(L"MenuPop"), {}, Long(10), Long(10))) << row.what;
        EXPECT_EQ(row.clicked, log->clicked) << row.what;
        EXPECT_FALSE(log->clickedAfterReturn) << row.what;
        EXPECT_TRUE(OpenMenus().empty()) << row.what;
    }
}

TEST_F(PopupMenuTest, APressOutsideClosesTheMenuAndGoesNowhere) {
    for (bool real : {false, true}) {
        hostPresses = 0;
        WhenOpen([&] {
            if (real) RealClick({450, 350});  // on the form, away from the menu
            else PostMessageW(host, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        });
        ASSERT_EQ(S_OK, Popup(Str(L"MenuPop"), {}, Long(10), Long(10))) << real;
        EXPECT_TRUE(log->clicked.empty()) << real;
        EXPECT_EQ(0, hostPresses) << real;
        EXPECT_TRUE(OpenMenus().empty()) << real;
    }
}

TEST_F(PopupMenuTest, AMenuOfAnotherControlClosesThisOneAndTheSameMenuCannotOpenTwice) {
    ComPtr<IPlToolBarControlImpl> other = NewControl();
    ComPtr<IPlToolImpl> otherMenu = AddTool(ToolsOf(other.Get()).Get(), L"Autre", plTypeMenu);
    AddTool(ToolsOf(other.Get()).Get(), L"Ligne");
    AddTool(MenuToolsOf(otherMenu.Get()).Get(), L"Ligne");
    HRESULT again = S_OK, otherResult = E_FAIL;
    std::wstring againText;
    HWND first = nullptr;
    bool firstHiddenMeanwhile = false;
    WhenOpen([&] {
        first = OpenMenus().at(0);
        again = Popup(Str(L"MenuPop"));
        againText = LastErrorText();
        // The other control's menu opens from inside this one's loop.
        WhenOpen([&] {
            std::vector<HWND> open = OpenMenus();
            firstHiddenMeanwhile = !IsWindowVisible(first) && open.size() == 1;
            Key(open.at(0), VK_ESCAPE);
        });
        Variant which = Str(L"Autre");
        VARIANT missing = Missing();
        otherResult = other->PopupMenu(which.Ptr(), &missing, &missing, &missing);
    });
    log->popupReturned = false;
    ASSERT_EQ(S_OK, Popup(Str(L"MenuPop"), {}, Long(10), Long(10)));
    EXPECT_EQ(ErrorOf(40017), again);
    EXPECT_EQ(L"Popup menu is already expanded.", againText);
    EXPECT_EQ(S_OK, otherResult);
    EXPECT_TRUE(firstHiddenMeanwhile);
    EXPECT_TRUE(log->clicked.empty());
    EXPECT_TRUE(OpenMenus().empty());
}

TEST_F(PopupMenuTest, AToolsShortcutTypedInItsFormFiresToolClick) {
    ItemOf(pool.Get(), Str(L"Editer").Get())->put_Shortcut(plCtrlE);
    SetForegroundWindow(host);
    SetFocus(host);
    auto key = [](WORD vk, bool up) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        return in;
    };
    INPUT typed[] = {key(VK_CONTROL, false), key('E', false), key('E', true), key(VK_CONTROL, true)};
    ASSERT_EQ(4u, SendInput(4, typed, sizeof(INPUT)));
    MSG msg;
    for (DWORD until = GetTickCount() + 1000; GetTickCount() < until && log->clicked.empty();) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    EXPECT_EQ(std::vector<std::wstring>{L"Editer"}, log->clicked);
}

} // namespace
} // namespace palisade::test
