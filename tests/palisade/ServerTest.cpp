// The server frame: class objects, unloading, resources and window classes.

#include "PalisadeTest.h"

#include "common/com/ComObject.h"

namespace palisade::test {
namespace {

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();

GetClassObjectFn GetClassObjectOf() {
    return ExportOf<GetClassObjectFn>(Library(), "DllGetClassObject");
}

HRESULT CanUnloadNow() {
    return ExportOf<CanUnloadFn>(Library(), "DllCanUnloadNow")();
}

TEST(Server, ClassObjectNeedsAnOutputPointer) {
    EXPECT_EQ(E_INVALIDARG, GetClassObjectOf()(CLSID_PalisadeCtl, IID_IClassFactory, nullptr));
}

TEST(Server, UnknownAndControlOnlyClassesHaveNoClassObject) {
    const CLSID notOurs = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    for (const CLSID* clsid : {&notOurs, &CLSID_PlTool, &CLSID_PlTools, &CLSID_PlToolBar, &CLSID_PlToolBars,
                               &CLSID_PlMenu, &CLSID_PlComboBox, &CLSID_PlEdit}) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, GetClassObjectOf()(*clsid, IID_IClassFactory, &out));
        EXPECT_EQ(nullptr, out);
    }
}

TEST(Server, CreatableClassesAreMadeThroughTheirFactory) {
    struct Row {
        const CLSID* clsid;
        const IID* iid;
    } rows[] = {{&CLSID_PalisadeCtl, &DIID_IPlToolBarControl}, {&CLSID_PlReturnLong, &DIID_IPlReturnLong},
                {&CLSID_PlReturnShort, &DIID_IPlReturnShort},   {&CLSID_PlReturnBoolean, &DIID_IPlReturnBoolean},
                {&CLSID_PlDataObject, &DIID_IPlDataObject},     {&CLSID_PlDataObjectFiles, &DIID_IPlDataObjectFiles}};
    for (const Row& row : rows) {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, GetClassObjectOf()(*row.clsid, IID_IClassFactory, factory.PutVoid()));
        ComPtr<IDispatch> object;
        EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, *row.iid, object.PutVoid()));
        EXPECT_TRUE(object);
        ComPtr<IUnknown> outer;
        factory.As(IID_IUnknown, outer);
        ComPtr<IUnknown> aggregated;
        EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.Get(), IID_IUnknown, aggregated.PutVoid()));
    }
}

TEST(Server, CanUnloadOnlyWhenNoObjectOrLockRemains) {
    ASSERT_EQ(S_OK, CanUnloadNow()) << "an earlier test leaked an object";
    {
        ComPtr<IPlToolBarControlImpl> control = NewControl();
        ComPtr<IPlToolImpl> tool = AddTool(ToolsOf(control.Get()).Get(), L"Keep");
        control = nullptr;
        EXPECT_EQ(S_FALSE, CanUnloadNow()) << "a tool outlives its control";
    }
    EXPECT_EQ(S_OK, CanUnloadNow());

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, GetClassObjectOf()(CLSID_PalisadeCtl, IID_IClassFactory, factory.PutVoid()));
    EXPECT_EQ(S_FALSE, CanUnloadNow());
    factory->LockServer(TRUE);
    factory = nullptr;
    EXPECT_EQ(S_FALSE, CanUnloadNow()) << "locked";
    ASSERT_EQ(S_OK, GetClassObjectOf()(CLSID_PalisadeCtl, IID_IClassFactory, factory.PutVoid()));
    factory->LockServer(FALSE);
    factory = nullptr;
    EXPECT_EQ(S_OK, CanUnloadNow());
}

// A tree of menus that holds itself (a menu placed in its own menu) is freed
// with its control.
TEST(Server, ATreeThatHoldsItselfIsFreedWithItsControl) {
    {
        ComPtr<IPlToolBarControlImpl> control = NewControl();
        ComPtr<IPlToolImpl> menu = AddTool(ToolsOf(control.Get()).Get(), L"Loop", 7);
        AddTool(MenuToolsOf(menu.Get()).Get(), L"Loop");
    }
    EXPECT_EQ(S_OK, CanUnloadNow());
}

struct TextRow {
    UINT id;
    const wchar_t* text;
};

const TextRow kTexts[] = {
    {5, L"Invalid procedure call"},
    {380, L"Invalid property value"},
    {425, L"Invalid object use"},
    {461, L"Specified format doesn't match format of data"},
    {101, L"Picture"},
    {102, L"Collection"},
    {1000, L"Properties ..."},
    {1005, L"Error accessing passed in object"},
    {1007, L"Invalid Index value was passed in"},
    {1021, L"You can only have one toolbar control per form"},
    {1030, L"A toolbar named '%s' already exists.  Type another name."},
    {2000, L"Cancel"},
    {2003, L"&Customize"},
    {2045, L"Personalized Menus and Toolbars "},
    {2053, L"Suite ... "},
    {2061, L"FadeIn"},
    {3000, L"The tool is not a valid menu"},
    {3003, L"Tool ID already exists"},
    {3004, L"Shortcut already in use"},
    {3009, L"Palisade Plus Error"},
    {3011, L"Property is not available, either its not a control tool level property or  the tool type does not support it."},
    {3013, L"Can not display a popup menu if form is disabled."},
    {9016, L"(Color)"},
    {10017, L"Unable to perform the requested operation."},
    {10380, L"Invalid property value"},
    {10381, L"Invalid property array index"},
    {10500, L"Property is read-only"},
    {10501, L"Property unavailable at design time"},
    {42521, L"Error starting Properties Editor:\n\n"},
    {42805, L"This object is no longer active"},
    {42807, L"ImageList must be initialized before it can be used."},
};

TEST(Server, StringTableHoldsTheQuotedTextsByNumber) {
    for (const TextRow& row : kTexts) {
        const wchar_t* text = nullptr;
        int n = LoadStringW(Library(), row.id, reinterpret_cast<LPWSTR>(&text), 0);
        EXPECT_EQ(std::wstring(row.text), std::wstring(text ? text : L"", n > 0 ? n : 0)) << row.id;
    }
}

TEST(Server, CursorsToolboxBitmapAndTypeLibraryAreResources) {
    for (int group : {111, 112, 113, 132, 1060, 1061, 1062})
        EXPECT_NE(nullptr, LoadCursorW(Library(), MAKEINTRESOURCEW(group))) << group;
    HBITMAP bitmap = LoadBitmapW(Library(), MAKEINTRESOURCEW(102));
    ASSERT_NE(nullptr, bitmap);
    BITMAP info;
    GetObjectW(bitmap, sizeof(info), &info);
    EXPECT_EQ(16, info.bmWidth);
    EXPECT_EQ(15, info.bmHeight);
    DeleteObject(bitmap);
    EXPECT_NE(nullptr, FindResourceW(Library(), MAKEINTRESOURCEW(1), L"TYPELIB"));
}

TEST(Server, WindowClassesAreRegisteredAtLoadAndTheControlsOnFirstUse) {
    for (const wchar_t* name : {L"PlDock", L"PlTracker", L"PlFloater", L"PlToolTip", L"PlEditTool", L"PlComboBox",
                                L"PlMenu"}) {
        WNDCLASSEXW wc = {sizeof(wc)};
        EXPECT_TRUE(GetClassInfoExW(Library(), name, &wc)) << std::string(name, name + wcslen(name));
    }
    WNDCLASSEXW menu = {sizeof(menu)};
    GetClassInfoExW(Library(), L"PlMenu", &menu);
    EXPECT_TRUE(menu.style & CS_SAVEBITS);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), menu.hbrBackground);
    NewControl();
    WNDCLASSEXW control = {sizeof(control)};
    EXPECT_TRUE(GetClassInfoExW(Library(), L"PlBarsWndClass", &control));
}

} // namespace
} // namespace palisade::test
