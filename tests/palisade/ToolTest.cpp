// Tools of the pool and their placements, early bound through the vtable twins
// of the dispinterfaces.

#include "PalisadeTest.h"

namespace palisade::test {
namespace {

class Tools : public testing::Test {
protected:
    ComPtr<IPlToolBarControlImpl> control = NewControl();
    ComPtr<IPlToolsCollectionImpl> pool = ToolsOf(control.Get());
};

VARIANT_BOOL BoolOf(HRESULT (STDMETHODCALLTYPE IPlToolImpl::*get)(VARIANT_BOOL*), IPlToolImpl* t) {
    VARIANT_BOOL v = 2;
    EXPECT_EQ(S_OK, (t->*get)(&v));
    return v;
}

template <class T>
T ValueOf(HRESULT (STDMETHODCALLTYPE IPlToolImpl::*get)(T*), IPlToolImpl* t) {
    T v{};
    EXPECT_EQ(S_OK, (t->*get)(&v));
    return v;
}

std::wstring TextOf(HRESULT (STDMETHODCALLTYPE IPlToolImpl::*get)(BSTR*), IPlToolImpl* t) {
    Bstr v;
    EXPECT_EQ(S_OK, (t->*get)(v.Put()));
    return v.Str();
}

// Defaults of a new tool; separators and menus differ in three values.
struct DefaultsRow {
    long type;
    const wchar_t* id;           // as read back
    VARIANT_BOOL autoWrap;
    long menuVisibility;
};

TEST_F(Tools, NewToolsStartWithTheDefaultsOfTheirType) {
    const DefaultsRow rows[] = {
        {plTypeButton, L"Tool0", VARIANT_FALSE, plVisibleAlways},
        {plTypeStateButton, L"Tool1", VARIANT_FALSE, plVisibleAlways},
        {plTypeComboBox, L"Tool4", VARIANT_FALSE, plVisibleAlways},
        {plTypeEdit, L"Tool5", VARIANT_FALSE, plVisibleAlways},
        {plTypeLabel, L"Tool6", VARIANT_FALSE, plVisibleAlways},
        {plTypeMenu, L"Tool7", VARIANT_TRUE, plVisibleAlways},
        {plTypeSeparator, L"separator", VARIANT_TRUE, plVisibleIfRecent},
    };
    for (const DefaultsRow& row : rows) {
        std::wstring asked = L"Tool" + std::to_wstring(row.type);
        ComPtr<IPlToolImpl> t = AddTool(pool.Get(), asked.c_str(), row.type);
        ASSERT_TRUE(t);
        SCOPED_TRACE(row.type);
        EXPECT_EQ(row.id, IdOf(t.Get()));
        EXPECT_EQ(row.type, ValueOf(&IPlToolImpl::get_Type, t.Get()));
        EXPECT_EQ(row.autoWrap, BoolOf(&IPlToolImpl::get_AutoWrap, t.Get()));
        EXPECT_EQ(row.menuVisibility, ValueOf(&IPlToolImpl::get_MenuVisibility, t.Get()));
        EXPECT_EQ(L"General", TextOf(&IPlToolImpl::get_Category, t.Get()));
        EXPECT_EQ(16, ValueOf(&IPlToolImpl::get_PictureSize, t.Get()));
        EXPECT_EQ(75, ValueOf(&IPlToolImpl::get_CtlWidth, t.Get()));
        EXPECT_EQ(plUnchecked, ValueOf(&IPlToolImpl::get_State, t.Get()));
        EXPECT_EQ(plShortcutNone, ValueOf(&IPlToolImpl::get_Shortcut, t.Get()));
        for (auto get : {&IPlToolImpl::get_Enabled, &IPlToolImpl::get_Visible, &IPlToolImpl::get_GroupAllowAllUp,
                         &IPlToolImpl::get_UseMaskColor, &IPlToolImpl::get_Customizable})
            EXPECT_EQ(VARIANT_TRUE, BoolOf(get, t.Get()));
        EXPECT_EQ(VARIANT_FALSE, BoolOf(&IPlToolImpl::get_RecentlyUsed, t.Get()));
        for (auto get : {&IPlToolImpl::get_Description, &IPlToolImpl::get_Group, &IPlToolImpl::get_ToolTipText,
                         &IPlToolImpl::get_Name})
            EXPECT_EQ(L"", TextOf(get, t.Get()));
        ComPtr<IPictureDisp> picture;
        EXPECT_EQ(S_OK, t->get_Picture(picture.Put()));
        EXPECT_FALSE(picture);
        Variant tag;
        EXPECT_EQ(S_OK, t->get_TagVariant(tag.Ptr()));
        EXPECT_EQ(VT_EMPTY, tag.Type());
    }
}

TEST_F(Tools, AnExistingIdIsRefusedAndTheCollectionStaysAsItWas) {
    AddTool(pool.Get(), L"ModifRep");
    Bstr id(L"ModifRep");
    Variant type = Long(0);
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    ComPtr<IPlTool> tool;
    EXPECT_EQ(ErrorOf(40009), pool->Add(id.Get(), type.Ptr(), &missing, tool.Put()));
    EXPECT_EQ(L"Tool ID already exists", LastErrorText());
    Bstr other(L"modifrep");  // IDs are case-sensitive
    EXPECT_EQ(S_OK, pool->Add(other.Get(), type.Ptr(), &missing, tool.Put()));
    LONG count = 0;
    pool->get_Count(&count);
    EXPECT_EQ(2, count);
}

TEST_F(Tools, AddChecksTheIdTypeAndPosition) {
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    ComPtr<IPlTool> tool;
    Bstr empty(L""), id(L"X");
    Variant button = Long(0), badType = Long(9), position = Long(3);
    EXPECT_EQ(ErrorOf(40011), pool->Add(empty.Get(), button.Ptr(), &missing, tool.Put()));
    EXPECT_EQ(ErrorOf(380), pool->Add(id.Get(), badType.Ptr(), &missing, tool.Put()));
    EXPECT_EQ(ErrorOf(40002), pool->Add(id.Get(), button.Ptr(), position.Ptr(), tool.Put()));
    AddTool(pool.Get(), L"A");
    AddTool(pool.Get(), L"B");
    Variant first = Long(1);
    ASSERT_EQ(S_OK, pool->Add(id.Get(), button.Ptr(), first.Ptr(), tool.Put()));
    EXPECT_EQ(L"X", IdOf(ItemOf(pool.Get(), Long(1).Get()).Get()));
    EXPECT_EQ(L"B", IdOf(ItemOf(pool.Get(), Long(3).Get()).Get()));
}

// Tool references: an ID, a tool object, or a 1-based number (converted to single
// precision and truncated).
TEST_F(Tools, ItemResolvesIdsObjectsAndNumbers) {
    AddTool(pool.Get(), L"A");
    ComPtr<IPlToolImpl> b = AddTool(pool.Get(), L"B");
    Bstr byRefText(L"B");
    VARIANT byRef;
    V_VT(&byRef) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&byRef) = byRefText.Put();
    *V_BSTRREF(&byRef) = SysAllocString(L"B");
    struct Row {
        const char* what;
        Variant index;
        const wchar_t* expected;  // null: fails with 40002
    } rows[] = {
        {"id", Str(L"A"), L"A"},
        {"id by reference", Variant(byRef), L"B"},
        {"object", Variant::FromDispatch(b.Get()), L"B"},
        {"number", Long(2), L"B"},
        {"number as text", Str(L"2"), nullptr},
        {"fraction truncated", Double(1.9), L"A"},
        {"zero", Long(0), nullptr},
        {"past the end", Long(3), nullptr},
        {"negative", Long(-1), nullptr},
        {"unknown id", Str(L"C"), nullptr},
        {"id in another case", Str(L"a"), nullptr},
        {"huge number", Double(1e9), nullptr},
    };
    for (Row& row : rows) {
        HRESULT hr = S_OK;
        ComPtr<IPlToolImpl> t = ItemOf(pool.Get(), row.index.Get(), &hr);
        if (row.expected) {
            EXPECT_EQ(S_OK, hr) << row.what;
            if (t) {
                EXPECT_EQ(row.expected, IdOf(t.Get())) << row.what;
            }
        } else {
            EXPECT_EQ(ErrorOf(40002), hr) << row.what;
            EXPECT_EQ(L"Invalid Index value was passed in", LastErrorText()) << row.what;
        }
    }
}

TEST_F(Tools, ItemReturnsTheSameObjectEachTime) {
    AddTool(pool.Get(), L"A");
    ComPtr<IPlToolImpl> one = ItemOf(pool.Get(), Long(1).Get()), two = ItemOf(pool.Get(), Long(1).Get());
    EXPECT_EQ(one.Get(), two.Get());
}

TEST_F(Tools, PropertiesRefuseValuesOutOfRange) {
    ComPtr<IPlToolImpl> t = AddTool(pool.Get(), L"T");
    EXPECT_EQ(ErrorOf(380), t->put_Type(static_cast<Constants_Type>(9)));
    EXPECT_EQ(ErrorOf(380), t->put_State(static_cast<Constants_State>(2)));
    EXPECT_EQ(ErrorOf(380), t->put_DisplayStyle(static_cast<Constants_DisplayStyle>(4)));
    EXPECT_EQ(ErrorOf(380), t->put_MenuVisibility(static_cast<Constants_MenuVisibility>(-1)));
    EXPECT_EQ(ErrorOf(380), t->put_ForeColorSource(static_cast<Constants_ForeColorSource>(2)));
    EXPECT_EQ(ErrorOf(380), t->put_Shortcut(static_cast<Constants_ShortcutKeys>(81)));
    EXPECT_EQ(ErrorOf(380), t->put_PictureSize(0));
    EXPECT_EQ(L"Invalid property value", LastErrorText());
    EXPECT_EQ(plTypeButton, ValueOf(&IPlToolImpl::get_Type, t.Get())) << "a refused value leaves the old one";
    EXPECT_EQ(S_OK, t->put_State(plChecked));
    EXPECT_EQ(plChecked, ValueOf(&IPlToolImpl::get_State, t.Get()));
}

TEST_F(Tools, CtlWidthIsForEditAndComboToolsWithinScrollBarAndScreenWidths) {
    ComPtr<IPlToolImpl> button = AddTool(pool.Get(), L"B"), edit = AddTool(pool.Get(), L"E", plTypeEdit),
                        combo = AddTool(pool.Get(), L"C", plTypeComboBox);
    EXPECT_EQ(ErrorOf(40016), button->put_CtlWidth(100));
    EXPECT_EQ(L"Property is not available, either its not a control tool level property or  the tool type does "
              L"not support it.",
              LastErrorText());
    short narrow = static_cast<short>(GetSystemMetrics(SM_CXVSCROLL) - 1);
    short wide = static_cast<short>(GetSystemMetrics(SM_CXSCREEN) + 1);
    EXPECT_EQ(ErrorOf(380), edit->put_CtlWidth(narrow));
    EXPECT_EQ(ErrorOf(380), combo->put_CtlWidth(wide));
    EXPECT_EQ(S_OK, edit->put_CtlWidth(static_cast<short>(narrow + 1)));
    EXPECT_EQ(S_OK, combo->put_CtlWidth(120));
    EXPECT_EQ(120, ValueOf(&IPlToolImpl::get_CtlWidth, combo.Get()));
}

TEST_F(Tools, PartsExistOnlyForTheirToolType) {
    ComPtr<IPlToolImpl> button = AddTool(pool.Get(), L"B"), menu = AddTool(pool.Get(), L"M", plTypeMenu),
                        edit = AddTool(pool.Get(), L"E", plTypeEdit), combo = AddTool(pool.Get(), L"C", plTypeComboBox);
    ComPtr<IPlMenu> m;
    ComPtr<IPlEdit> e;
    ComPtr<IPlComboBox> c;
    EXPECT_EQ(ErrorOf(40007), button->get_Menu(m.Put()));
    EXPECT_EQ(L"The tool is not a valid menu", LastErrorText());
    EXPECT_EQ(ErrorOf(40016), button->get_Edit(e.Put()));
    EXPECT_EQ(ErrorOf(40016), button->get_ComboBox(c.Put()));
    EXPECT_EQ(S_OK, menu->get_Menu(m.Put()));
    EXPECT_EQ(S_OK, edit->get_Edit(e.Put()));
    EXPECT_EQ(S_OK, combo->get_ComboBox(c.Put()));
}

TEST_F(Tools, AShortcutBelongsToOneToolOnly) {
    ComPtr<IPlToolImpl> a = AddTool(pool.Get(), L"A"), b = AddTool(pool.Get(), L"B");
    ASSERT_EQ(S_OK, a->put_Shortcut(plCtrlC));
    EXPECT_EQ(S_OK, a->put_Shortcut(plCtrlC)) << "its own shortcut again";
    EXPECT_EQ(ErrorOf(40010), b->put_Shortcut(plCtrlC));
    EXPECT_EQ(L"Shortcut already in use", LastErrorText());
    EXPECT_EQ(S_OK, b->put_Shortcut(plShortcutNone)) << "no shortcut is never in use";
    EXPECT_EQ(S_OK, a->put_Shortcut(plShortcutNone));
    EXPECT_EQ(S_OK, b->put_Shortcut(plCtrlC)) << "freed by A";
}

TEST_F(Tools, RenamingChecksTheNewId) {
    ComPtr<IPlToolImpl> a = AddTool(pool.Get(), L"A");
    AddTool(pool.Get(), L"B");
    ComPtr<IPlToolImpl> separator = AddTool(pool.Get(), L"separator");
    Bstr b(L"B"), empty(L""), c(L"C"), sep(L"separator");
    EXPECT_EQ(ErrorOf(40009), a->put_ID(b.Get()));
    EXPECT_EQ(ErrorOf(40011), a->put_ID(empty.Get()));
    EXPECT_EQ(ErrorOf(40011), a->put_ID(sep.Get())) << "only the separator is called separator";
    EXPECT_EQ(ErrorOf(40011), separator->put_ID(c.Get()));
    EXPECT_EQ(ErrorOf(380), a->put_Type(plTypeSeparator));
    EXPECT_EQ(ErrorOf(380), separator->put_Type(plTypeButton));
    EXPECT_EQ(S_OK, a->put_ID(c.Get()));
    EXPECT_EQ(L"C", IdOf(ItemOf(pool.Get(), Str(L"C").Get()).Get()));
}

// ---- Placements ----------------------------------------------------------------------------

TEST_F(Tools, APlacementReadsThePoolToolsIdNotItsCaption) {
    ComPtr<IPlToolImpl> menu = AddTool(pool.Get(), L"MenuPop", plTypeMenu);
    ComPtr<IPlToolImpl> modif = AddTool(pool.Get(), L"ModifRep");
    Bstr caption(L"Modifier le répertoire");
    modif->put_Name(caption.Get());
    ComPtr<IPlToolsCollectionImpl> items = MenuToolsOf(menu.Get());
    ComPtr<IPlToolImpl> placed = AddTool(items.Get(), L"ModifRep");
    ASSERT_TRUE(placed);
    EXPECT_EQ(L"ModifRep", IdOf(placed.Get()));
    EXPECT_EQ(L"Modifier le répertoire", NameOf(placed.Get())) << "a placement starts with the pool tool's caption";
    LONG count = 0;
    pool->get_Count(&count);
    EXPECT_EQ(2, count) << "placing an existing tool adds none to the pool";
}

TEST_F(Tools, EnabledSetThroughThePoolReachesEveryPlacement) {
    ComPtr<IPlToolImpl> menu = AddTool(pool.Get(), L"MenuPop", plTypeMenu);
    AddTool(pool.Get(), L"Editer");
    ComPtr<IPlToolImpl> inMenu = AddTool(MenuToolsOf(menu.Get()).Get(), L"Editer");
    ComPtr<IPlToolImpl> onBar = AddTool(BarToolsOf(AddBar(BarsOf(control.Get()).Get(), L"Bar").Get()).Get(), L"Editer");
    ASSERT_EQ(S_OK, ItemOf(pool.Get(), Str(L"Editer").Get())->put_Enabled(VARIANT_FALSE));
    EXPECT_EQ(VARIANT_FALSE, BoolOf(&IPlToolImpl::get_Enabled, inMenu.Get()));
    EXPECT_EQ(VARIANT_FALSE, BoolOf(&IPlToolImpl::get_Enabled, onBar.Get()));
    ASSERT_EQ(S_OK, onBar->put_Enabled(VARIANT_TRUE));
    EXPECT_EQ(VARIANT_TRUE, BoolOf(&IPlToolImpl::get_Enabled, inMenu.Get())) << "shared by all placements";
}

TEST_F(Tools, EachPlacementKeepsItsOwnCaptionColourStyleAndWidth) {
    AddTool(pool.Get(), L"E", plTypeEdit);
    ComPtr<IPlToolBarImpl> bar = AddBar(BarsOf(control.Get()).Get(), L"Bar");
    ComPtr<IPlToolImpl> first = AddTool(BarToolsOf(bar.Get()).Get(), L"E");
    ComPtr<IPlToolImpl> second = AddTool(BarToolsOf(bar.Get()).Get(), L"E");
    Bstr name(L"Premier");
    first->put_Name(name.Get());
    first->put_ForeColor(0x0000FF);
    first->put_DisplayStyle(plDisplayImageAndText);
    first->put_CtlWidth(150);
    EXPECT_EQ(L"", NameOf(second.Get()));
    EXPECT_EQ(0x80000012u, ValueOf(&IPlToolImpl::get_ForeColor, second.Get()));
    EXPECT_EQ(plDisplayDefaultStyle, ValueOf(&IPlToolImpl::get_DisplayStyle, second.Get()));
    EXPECT_EQ(75, ValueOf(&IPlToolImpl::get_CtlWidth, second.Get()));
    EXPECT_EQ(L"", NameOf(ItemOf(pool.Get(), Str(L"E").Get()).Get()));
}

TEST_F(Tools, PlacingAnUnknownIdMakesThePoolTool) {
    ComPtr<IPlToolBarImpl> bar = AddBar(BarsOf(control.Get()).Get(), L"Bar");
    AddTool(BarToolsOf(bar.Get()).Get(), L"New", plTypeStateButton);
    ComPtr<IPlToolImpl> made = ItemOf(pool.Get(), Str(L"New").Get());
    ASSERT_TRUE(made);
    EXPECT_EQ(plTypeStateButton, ValueOf(&IPlToolImpl::get_Type, made.Get()));
}

TEST_F(Tools, SeparatorsShareOnePoolToolWithNoCaption) {
    ComPtr<IPlToolImpl> menu = AddTool(pool.Get(), L"M", plTypeMenu);
    ComPtr<IPlToolsCollectionImpl> items = MenuToolsOf(menu.Get());
    ComPtr<IPlToolImpl> one = AddTool(items.Get(), L"separator");
    ComPtr<IPlToolImpl> two = AddTool(items.Get(), L"anything", plTypeSeparator);
    EXPECT_EQ(L"separator", IdOf(two.Get()));
    EXPECT_EQ(L"", NameOf(one.Get()));
    EXPECT_EQ(plTypeSeparator, ValueOf(&IPlToolImpl::get_Type, one.Get())) << "the ID alone makes a separator";
    LONG placed = 0, pooled = 0;
    items->get_Count(&placed);
    pool->get_Count(&pooled);
    EXPECT_EQ(2, placed);
    EXPECT_EQ(2, pooled) << "the menu and one separator";
}

TEST_F(Tools, IndexIsThePositionInItsOwnCollection) {
    ComPtr<IPlToolImpl> menu = AddTool(pool.Get(), L"M", plTypeMenu);
    AddTool(pool.Get(), L"A");
    AddTool(pool.Get(), L"B");
    ComPtr<IPlToolsCollectionImpl> items = MenuToolsOf(menu.Get());
    AddTool(items.Get(), L"B");
    ComPtr<IPlToolImpl> a = AddTool(items.Get(), L"A");
    EXPECT_EQ(2, ValueOf(&IPlToolImpl::get_Index, a.Get()));
    EXPECT_EQ(2, ValueOf(&IPlToolImpl::get_Index, ItemOf(pool.Get(), Str(L"A").Get()).Get()));
    // In a placement list an ID finds the placement of that tool.
    EXPECT_EQ(a.Get(), ItemOf(items.Get(), Str(L"A").Get()).Get());
}

TEST_F(Tools, RemovingAPoolToolRemovesItsPlacementsAndDetachesThem) {
    ComPtr<IPlToolImpl> menu = AddTool(pool.Get(), L"M", plTypeMenu);
    AddTool(pool.Get(), L"A");
    ComPtr<IPlToolsCollectionImpl> items = MenuToolsOf(menu.Get());
    ComPtr<IPlToolImpl> placed = AddTool(items.Get(), L"A");
    AddTool(items.Get(), L"separator");
    Variant a = Str(L"A");
    ASSERT_EQ(S_OK, pool->Remove(a.Ptr()));
    LONG count = 0;
    items->get_Count(&count);
    EXPECT_EQ(1, count);
    Bstr id;
    EXPECT_EQ(ErrorOf(42805), placed->get_ID(id.Put()));
    EXPECT_EQ(L"This object is no longer active", LastErrorText());
    EXPECT_EQ(ErrorOf(40002), pool->Remove(a.Ptr())) << "already gone";
}

TEST_F(Tools, RemovingAPlacementKeepsThePoolTool) {
    ComPtr<IPlToolImpl> menu = AddTool(pool.Get(), L"M", plTypeMenu);
    ComPtr<IPlToolsCollectionImpl> items = MenuToolsOf(menu.Get());
    AddTool(items.Get(), L"A");
    Variant first = Long(1);
    ASSERT_EQ(S_OK, items->Remove(first.Ptr()));
    EXPECT_TRUE(ItemOf(pool.Get(), Str(L"A").Get()));
}

TEST_F(Tools, ClearingThePoolEmptiesMenusAndBars) {
    ComPtr<IPlToolImpl> menu = AddTool(pool.Get(), L"M", plTypeMenu);
    ComPtr<IPlToolBarImpl> bar = AddBar(BarsOf(control.Get()).Get(), L"Bar");
    AddTool(BarToolsOf(bar.Get()).Get(), L"A");
    ASSERT_EQ(S_OK, pool->Clear());
    LONG onBar = -1;
    BarToolsOf(bar.Get())->get_Count(&onBar);
    EXPECT_EQ(0, onBar);
    Bstr id;
    EXPECT_EQ(ErrorOf(42805), menu->get_ID(id.Put()));
}

TEST_F(Tools, ChangeAllSetsAPropertyOnEveryPlacement) {
    AddTool(pool.Get(), L"C", plTypeComboBox);
    ComPtr<IPlToolBarImpl> bar = AddBar(BarsOf(control.Get()).Get(), L"Bar");
    ComPtr<IPlToolImpl> one = AddTool(BarToolsOf(bar.Get()).Get(), L"C");
    ComPtr<IPlToolImpl> two = AddTool(BarToolsOf(bar.Get()).Get(), L"C");
    Variant name = Str(L"Choix"), width = Long(140), style = Long(plDisplayTextOnlyAlways), hidden = Long(0);
    ASSERT_EQ(S_OK, one->ChangeAll(plChangeAllName, name.Ptr()));
    ASSERT_EQ(S_OK, one->ChangeAll(plChangeAllCtlWidth, width.Ptr()));
    ASSERT_EQ(S_OK, one->ChangeAll(plChangeAllDisplayStyle, style.Ptr()));
    ASSERT_EQ(S_OK, one->ChangeAll(plChangeAllVisible, hidden.Ptr()));
    for (IPlToolImpl* t : {one.Get(), two.Get(), ItemOf(pool.Get(), Str(L"C").Get()).Get()}) {
        EXPECT_EQ(L"Choix", NameOf(t));
        EXPECT_EQ(140, ValueOf(&IPlToolImpl::get_CtlWidth, t));
        EXPECT_EQ(plDisplayTextOnlyAlways, ValueOf(&IPlToolImpl::get_DisplayStyle, t));
        EXPECT_EQ(VARIANT_FALSE, BoolOf(&IPlToolImpl::get_Visible, t));
    }
    Variant bad = Long(99);
    EXPECT_EQ(ErrorOf(380), one->ChangeAll(static_cast<Constants_ChangeAll>(6), name.Ptr()));
    EXPECT_EQ(ErrorOf(380), one->ChangeAll(plChangeAllDisplayStyle, bad.Ptr()));
    Variant notANumber = Str(L"large");
    EXPECT_EQ(ErrorOf(380), one->ChangeAll(plChangeAllCtlWidth, notANumber.Ptr()));
}

TEST_F(Tools, ResetUsageClearsRecentlyUsedOnEveryTool) {
    ComPtr<IPlToolImpl> a = AddTool(pool.Get(), L"A"), b = AddTool(pool.Get(), L"B");
    a->put_RecentlyUsed(VARIANT_TRUE);
    b->put_RecentlyUsed(VARIANT_TRUE);
    ASSERT_EQ(S_OK, control->ResetUsage());
    EXPECT_EQ(VARIANT_FALSE, BoolOf(&IPlToolImpl::get_RecentlyUsed, a.Get()));
    EXPECT_EQ(VARIANT_FALSE, BoolOf(&IPlToolImpl::get_RecentlyUsed, b.Get()));
}

TEST_F(Tools, ABitmapHandleBecomesAPictureOfItsOwn) {
    ComPtr<IPlToolImpl> t = AddTool(pool.Get(), L"P");
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(S_OK, t->put_PictureBmp(static_cast<OLE_HANDLE>(reinterpret_cast<UINT_PTR>(bitmap))));
    DeleteObject(bitmap);  // the tool keeps a copy
    ComPtr<IPictureDisp> picture;
    ASSERT_EQ(S_OK, t->get_Picture(picture.Put()));
    ASSERT_TRUE(picture);
    ComPtr<IPicture> pic = Query<IPicture>(picture.Get(), IID_IPicture);
    OLE_HANDLE handle = 0;
    pic->get_Handle(&handle);
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(handle))));
    EXPECT_EQ(ErrorOf(380), t->put_PictureDownBmp(0x1234)) << "not a bitmap";
}

TEST_F(Tools, ObjectsOfAGoneControlAnswerNoLongerActive) {
    ComPtr<IPlToolImpl> t = AddTool(pool.Get(), L"A");
    ComPtr<IPlToolsCollectionImpl> keptPool = pool;
    pool = nullptr;
    control = nullptr;
    Bstr id;
    EXPECT_EQ(ErrorOf(42805), t->get_ID(id.Put()));
    LONG count = 0;
    EXPECT_EQ(ErrorOf(42805), keptPool->get_Count(&count));
}

} // namespace
} // namespace palisade::test
