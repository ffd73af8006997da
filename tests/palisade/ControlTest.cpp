// The control itself: its properties, methods, toolbars and parts, late-bound
// calls through IDispatch, events through its connection point, and what a
// container uses to site it.

#include "PalisadeTest.h"

#include "common/com/ComObject.h"

#include <olectl.h>

namespace palisade::test {
namespace {

using bastide::com::ComObject;
using bastide::com::QiEntry;

class ControlTest : public testing::Test {
protected:
    ComPtr<IPlToolBarControlImpl> control = NewControl();
    ComPtr<IPlToolsCollectionImpl> pool = ToolsOf(control.Get());
    ComPtr<IPlToolBarsCollectionImpl> bars = BarsOf(control.Get());
};

// ---- Properties -----------------------------------------------------------------------------

struct ControlDefault {
    const wchar_t* name;
    VARTYPE type;
    long value;
};

TEST_F(ControlTest, PropertiesStartWithTheirDefaults) {
    const ControlDefault rows[] = {
        {L"ActiveColors", VT_BOOL, -1},         {L"DisplayContextMenu", VT_BOOL, -1},
        {L"Enabled", VT_BOOL, -1},              {L"Redraw", VT_BOOL, -1},
        {L"ShowToolTips", VT_BOOL, -1},         {L"Visible", VT_BOOL, -1},
        {L"ShowShortcutsInToolTips", VT_BOOL, 0}, {L"LargeIcons", VT_BOOL, 0},
        {L"PictureBackgroundUseMask", VT_BOOL, 0}, {L"FontSource", VT_I4, plUseSystemFont},
        {L"Style", VT_I4, plStyle97},           {L"MenuAnimations", VT_I4, plAnimationNone},
        {L"PersonalizedMenus", VT_I4, plPersonalDisabled}, {L"PictureBackgroundStyle", VT_I4, plPictureCentered},
        {L"DragFullToolBars", VT_I4, plDragFullFollowSystem}, {L"ToolTipDelay", VT_I2, 500},
        {L"FloatingToolbarFadeDelay", VT_I2, 0},
    };
    for (const ControlDefault& row : rows) {
        CallResult r = Get(control.Get(), row.name);
        std::string name(row.name, row.name + wcslen(row.name));
        ASSERT_EQ(S_OK, r.hr) << name;
        EXPECT_EQ(row.type, r.value.Type()) << name;
        Variant asLong;
        VariantChangeType(asLong.Ptr(), r.value.Ptr(), 0, VT_I4);
        EXPECT_EQ(row.value, V_I4(asLong.Ptr())) << name;
    }
    OLE_COLOR back = 0, fore = 0;
    control->get_BackColor(&back);
    control->get_ForeColor(&fore);
    EXPECT_EQ(0x8000000Fu, back);
    EXPECT_EQ(0x80000012u, fore);
    ComPtr<IFontDisp> font;
    ASSERT_EQ(S_OK, control->get_Font(font.Put()));
    EXPECT_TRUE(font);
}

TEST_F(ControlTest, EnumeratedPropertiesRefuseUnknownValues) {
    const std::pair<const wchar_t*, long> rows[] = {
        {L"FontSource", 2},     {L"Style", 3},         {L"MenuAnimations", 6},   {L"PersonalizedMenus", 3},
        {L"DragFullToolBars", 3}, {L"PictureBackgroundStyle", 3}, {L"ToolTipDelay", -1},
        {L"FloatingToolbarFadeDelay", -5},
    };
    for (const auto& [name, bad] : rows) {
        CallResult r = Put(control.Get(), name, Long(bad));
        EXPECT_EQ(DISP_E_EXCEPTION, r.hr) << std::string(name, name + wcslen(name));
        EXPECT_EQ(ErrorOf(380), r.scode);
        EXPECT_EQ(L"Invalid property value", r.description);
    }
}

TEST_F(ControlTest, CustomizationStringsDefaultToTheStringTableAndCanBeChanged) {
    Bstr text;
    ASSERT_EQ(S_OK, control->get_CustomizationStrings(plCancelBtn, text.Put()));
    EXPECT_EQ(L"Cancel", text.Str());
    ASSERT_EQ(S_OK, control->get_CustomizationStrings(plFadeInMenuItem, text.Put()));
    EXPECT_EQ(L"FadeIn", text.Str());
    Bstr french(L"Annuler");
    ASSERT_EQ(S_OK, control->put_CustomizationStrings(plCancelBtn, french.Get()));
    control->get_CustomizationStrings(plCancelBtn, text.Put());
    EXPECT_EQ(L"Annuler", text.Str());
    EXPECT_EQ(ErrorOf(380), control->get_CustomizationStrings(static_cast<Constants_CustomizationStrings>(62), text.Put()));
}

TEST_F(ControlTest, AFontAssignedByValueIsTheControlsOwnCopy) {
    ComPtr<IFontDisp> mine;
    FONTDESC desc = {sizeof(desc), const_cast<LPOLESTR>(L"Arial"), {{100000, 0}}, FW_BOLD, DEFAULT_CHARSET};
    ASSERT_EQ(S_OK, OleCreateFontIndirect(&desc, IID_IFontDisp, mine.PutVoid()));
    ASSERT_EQ(S_OK, control->put_Font(mine.Get()));
    CY larger = {{200000, 0}};
    Query<IFont>(mine.Get(), IID_IFont)->put_Size(larger);
    ComPtr<IFontDisp> held;
    control->get_Font(held.Put());
    CY size = {};
    Query<IFont>(held.Get(), IID_IFont)->get_Size(&size);
    EXPECT_LT(size.int64, 150000) << "still about 10 points, not 20";
    ASSERT_EQ(S_OK, control->putref_Font(mine.Get()));
    control->get_Font(held.Put());
    EXPECT_EQ(mine.Get(), held.Get()) << "by reference, the caller's own object";
}

TEST_F(ControlTest, XpItemColorsAreSystemColoursForEveryElement) {
    for (long i = plXPItemColorToolbar; i <= plXPItemColorStateToolPressed; ++i) {
        OLE_COLOR c = 0;
        ASSERT_EQ(S_OK, control->GetXPItemColor(static_cast<Constants_XPItemColor>(i), &c));
        EXPECT_TRUE(c & 0x80000000u) << i;
    }
    OLE_COLOR c = 0;
    EXPECT_EQ(ErrorOf(380), control->GetXPItemColor(static_cast<Constants_XPItemColor>(14), &c));
}

// ---- Late binding ----------------------------------------------------------------------------

TEST_F(ControlTest, LateBoundCallsFindMembersByNameAndCoerceArguments) {
    CallResult tools = Get(control.Get(), L"tools");  // names are not case-sensitive
    ASSERT_EQ(S_OK, tools.hr);
    ASSERT_EQ(VT_DISPATCH, tools.value.Type());
    IDispatch* collection = V_DISPATCH(tools.value.Ptr());
    ASSERT_EQ(S_OK, Call(collection, L"Add", DISPATCH_METHOD, {Str(L"ModifRep")}).hr);
    // Item is the default member, and a number in text is converted for a short property.
    CallResult item = Call(collection, L"Item", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {Str(L"ModifRep")});
    ASSERT_EQ(S_OK, item.hr);
    IDispatch* tool = V_DISPATCH(item.value.Ptr());
    EXPECT_EQ(S_OK, Put(tool, L"PictureSize", Str(L"32")).hr);
    EXPECT_EQ(32, V_I2(Get(tool, L"PictureSize").value.Ptr()));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Put(tool, L"PictureSize", Str(L"grand")).hr);
    EXPECT_EQ(DISP_E_UNKNOWNNAME, Get(tool, L"Caption").hr);
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Call(collection, L"Remove", DISPATCH_METHOD).hr);
}

TEST_F(ControlTest, LateBoundErrorsArriveAsExceptionsWithTheirText) {
    IDispatch* collection = V_DISPATCH(Get(control.Get(), L"Tools").value.Ptr());
    CallResult r = Call(collection, L"Item", DISPATCH_METHOD, {Long(0)});
    EXPECT_EQ(DISP_E_EXCEPTION, r.hr);
    EXPECT_EQ(ErrorOf(40002), r.scode);
    EXPECT_EQ(L"Invalid Index value was passed in", r.description);
}

TEST_F(ControlTest, GetTypeInfoShowsThePublicDispinterface) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, control->GetTypeInfo(0, 0, info.Put()));
    TYPEATTR* a = nullptr;
    info->GetTypeAttr(&a);
    EXPECT_EQ(DIID_IPlToolBarControl, a->guid);
    EXPECT_EQ(TKIND_DISPATCH, a->typekind);
    info->ReleaseTypeAttr(a);
    EXPECT_EQ(DISP_E_BADINDEX, control->GetTypeInfo(1, 0, info.Put()));
}

TEST_F(ControlTest, EveryCollectionEnumeratesItsItemsInOrder) {
    AddTool(pool.Get(), L"A");
    AddTool(pool.Get(), L"B", plTypeSeparator);
    AddTool(pool.Get(), L"C");
    AddBar(bars.Get(), L"Un");
    AddBar(bars.Get(), L"Deux");
    auto names = [](IUnknown* enumerable, const wchar_t* property) {
        ComPtr<IEnumVARIANT> e = Query<IEnumVARIANT>(enumerable, IID_IEnumVARIANT);
        std::wstring seen;
        VARIANT v;
        while (e && e->Next(1, &v, nullptr) == S_OK) {
            seen += V_BSTR(Get(V_DISPATCH(&v), property).value.Ptr());
            seen += L" ";
            VariantClear(&v);
        }
        return seen;
    };
    ComPtr<IUnknown> toolsEnum, barsEnum;
    ASSERT_EQ(S_OK, pool->get__NewEnum(toolsEnum.Put()));
    ASSERT_EQ(S_OK, bars->get__NewEnum(barsEnum.Put()));
    EXPECT_EQ(L"A separator C ", names(toolsEnum.Get(), L"ID"));
    EXPECT_EQ(L"Un Deux ", names(barsEnum.Get(), L"Name"));
    // The late-bound way For Each asks for it.
    CallResult e = Call(pool.Get(), L"_NewEnum", DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    EXPECT_EQ(S_OK, e.hr);
    EXPECT_EQ(VT_UNKNOWN, e.value.Type());
}

// ---- Toolbars ----------------------------------------------------------------------------------

TEST_F(ControlTest, ToolbarsHaveUniqueNamesAndOneMenuBarAtMost) {
    ComPtr<IPlToolBarImpl> first = AddBar(bars.Get(), L"Standard");
    ComPtr<IPlToolBar> out;
    Variant same = Str(L"Standard"), blank = Str(L""), menuBar = Long(plMenuBar), other = Str(L"Menus"),
            again = Str(L"Menus 2"), badStyle = Long(2);
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    EXPECT_EQ(ErrorOf(40011), bars->Add(same.Ptr(), &missing, out.Put()));
    EXPECT_EQ(ErrorOf(40011), bars->Add(blank.Ptr(), &missing, out.Put()));
    EXPECT_EQ(ErrorOf(380), bars->Add(other.Ptr(), badStyle.Ptr(), out.Put()));
    EXPECT_EQ(S_OK, bars->Add(other.Ptr(), menuBar.Ptr(), out.Put()));
    EXPECT_EQ(ErrorOf(40008), bars->Add(again.Ptr(), menuBar.Ptr(), out.Put()));
    EXPECT_EQ(L"Can only have one menu", LastErrorText());
    EXPECT_EQ(S_OK, bars->Add(&missing, &missing, out.Put())) << "an unnamed bar gets a free name";
    Bstr name;
    Query<IPlToolBarImpl>(out.Get(), IID_IPlToolBarImpl)->get_Name(name.Put());
    EXPECT_EQ(L"ToolBar3", name.Str());
    Bstr taken(L"Menus");
    EXPECT_EQ(ErrorOf(40011), first->put_Name(taken.Get()));
}

TEST_F(ControlTest, ToolbarDefaultsAndDockChecks) {
    ComPtr<IPlToolBarImpl> bar = AddBar(bars.Get(), L"Bar");
    Constants_DockedStatus dock{};
    bar->get_DockedStatus(&dock);
    EXPECT_EQ(plDockedTop, dock);
    VARIANT_BOOL visible = 0;
    bar->get_Visible(&visible);
    EXPECT_EQ(VARIANT_TRUE, visible);
    EXPECT_EQ(ErrorOf(40015), bar->put_DockedStatus(static_cast<Constants_DockedStatus>(3)));
    EXPECT_EQ(L"An Invalid Dock area was specified.", LastErrorText());
    ASSERT_EQ(S_OK, bar->put_DockFlags(plDFTop | plDFBottom));
    EXPECT_EQ(ErrorOf(40015), bar->put_DockedStatus(plDockedLeft)) << "not allowed by its dock flags";
    EXPECT_EQ(S_OK, bar->put_DockedStatus(plDockedBottom));
    EXPECT_EQ(ErrorOf(380), bar->put_Font3D(static_cast<Constants_Font3D>(6)));
}

TEST_F(ControlTest, DockAreasGrowByOneBarThicknessPerRow) {
    short h = -1;
    ASSERT_EQ(S_OK, control->GetDockHeight(plDockedTop, &h));
    EXPECT_EQ(0, h);
    ComPtr<IPlToolBarImpl> one = AddBar(bars.Get(), L"One"), two = AddBar(bars.Get(), L"Two");
    control->GetDockHeight(plDockedTop, &h);
    EXPECT_EQ(24, h) << "two bars on row 0";
    two->put_DockedRow(1);
    control->GetDockHeight(plDockedTop, &h);
    EXPECT_EQ(48, h);
    control->put_LargeIcons(VARIANT_TRUE);
    control->GetDockHeight(plDockedTop, &h);
    EXPECT_EQ(80, h);
    two->put_Visible(VARIANT_FALSE);
    control->GetDockHeight(plDockedTop, &h);
    EXPECT_EQ(40, h);
    EXPECT_EQ(ErrorOf(40015), control->GetDockHeight(plFloating, &h));
    EXPECT_EQ(ErrorOf(40015), control->GetDockWidth(static_cast<Constants_DockedStatus>(0), &h));
}

TEST_F(ControlTest, WhereIsAndToolBarFromPositionReadTheDockAreas) {
    ComPtr<IPlToolBarImpl> bar = AddBar(bars.Get(), L"Top");
    Constants_WhereIs where{};
    ASSERT_EQ(S_OK, control->WhereIs(5, 5, &where));
    EXPECT_EQ(plWhereIsToolBar, where);
    ComPtr<IPlToolBar> found;
    ASSERT_EQ(S_OK, control->ToolBarFromPosition(5, 5, found.Put()));
    EXPECT_EQ(Query<IUnknown>(bar.Get(), IID_IUnknown).Get(), Query<IUnknown>(found.Get(), IID_IUnknown).Get());
    control->WhereIs(5, 40, &where);
    EXPECT_EQ(plWhereIsNone, where);
    control->ToolBarFromPosition(5, 40, found.Put());
    EXPECT_FALSE(found);
    control->WhereIs(-1, 5, &where);
    EXPECT_EQ(plWhereIsNone, where);
}

struct Box {
    short left, top, width, height;
    bool operator==(const Box&) const = default;
};

Box BoxOf(IPlToolImpl* tool) {
    Box b{};
    tool->get_Left(&b.left);
    tool->get_Top(&b.top);
    tool->get_Width(&b.width);
    tool->get_Height(&b.height);
    return b;
}

TEST_F(ControlTest, ToolsOnADockedBarSitOneAfterTheOther) {
    AddTool(pool.Get(), L"E", plTypeEdit);
    AddTool(pool.Get(), L"Hidden");
    ComPtr<IPlToolBarImpl> bar = AddBar(bars.Get(), L"Bar");
    ComPtr<IPlToolsCollectionImpl> tools = BarToolsOf(bar.Get());
    ComPtr<IPlToolImpl> first = AddTool(tools.Get(), L"A");
    ComPtr<IPlToolImpl> hidden = AddTool(tools.Get(), L"Hidden");
    ComPtr<IPlToolImpl> separator = AddTool(tools.Get(), L"separator");
    ComPtr<IPlToolImpl> edit = AddTool(tools.Get(), L"E");
    hidden->put_Visible(VARIANT_FALSE);
    edit->put_CtlWidth(60);
    // A grab handle of 8 pixels, buttons of a 16-pixel picture and 7 of padding,
    // separators of 6, edit boxes as wide as their CtlWidth; a row is 24 high.
    EXPECT_EQ((Box{8, 2, 23, 20}), BoxOf(first.Get()));
    EXPECT_EQ((Box{0, 0, 0, 0}), BoxOf(hidden.Get()));
    EXPECT_EQ((Box{31, 2, 6, 20}), BoxOf(separator.Get()));
    EXPECT_EQ((Box{37, 2, 60, 20}), BoxOf(edit.Get()));
    EXPECT_EQ((Box{0, 0, 0, 0}), BoxOf(ItemOf(pool.Get(), Str(L"A").Get()).Get())) << "the pool tool is not shown";
    bar->put_DisplayGrabHandles(VARIANT_FALSE);
    EXPECT_EQ(0, BoxOf(first.Get()).left);
}

TEST_F(ControlTest, ToolFromPositionAndWhereIsFindTheToolUnderAPoint) {
    ComPtr<IPlToolBarImpl> bar = AddBar(bars.Get(), L"Bar");
    ComPtr<IPlToolsCollectionImpl> tools = BarToolsOf(bar.Get());
    AddTool(tools.Get(), L"A");
    ComPtr<IPlToolImpl> second = AddTool(tools.Get(), L"B");
    AddTool(tools.Get(), L"Fichier", plTypeMenu);
    ComPtr<IPlTool> found;
    ASSERT_EQ(S_OK, control->ToolFromPosition(35, 10, found.Put()));
    EXPECT_EQ(Query<IUnknown>(second.Get(), IID_IUnknown).Get(), Query<IUnknown>(found.Get(), IID_IUnknown).Get());
    Constants_WhereIs where{};
    control->WhereIs(35, 10, &where);
    EXPECT_EQ(plWhereIsTool, where);
    control->WhereIs(60, 10, &where);
    EXPECT_EQ(plWhereIsMenu, where);
    control->WhereIs(3, 10, &where);
    EXPECT_EQ(plWhereIsToolBar, where) << "the grab handle";
    control->WhereIs(95, 10, &where);
    EXPECT_EQ(plWhereIsTopDock, where) << "the dock area beyond the bar";
    control->ToolFromPosition(3, 10, found.Put());
    EXPECT_FALSE(found);
}

TEST_F(ControlTest, ResetBringsAToolbarBackAsCreated) {
    ComPtr<IPlToolBarImpl> bar = AddBar(bars.Get(), L"Bar");
    AddTool(BarToolsOf(bar.Get()).Get(), L"A");
    bar->put_DockedStatus(plDockedBottom);
    bar->put_Visible(VARIANT_FALSE);
    ASSERT_EQ(S_OK, bar->Reset(VARIANT_FALSE));
    Constants_DockedStatus dock{};
    bar->get_DockedStatus(&dock);
    EXPECT_EQ(plDockedTop, dock);
    LONG count = -1;
    BarToolsOf(bar.Get())->get_Count(&count);
    EXPECT_EQ(0, count);
    Bstr name;
    bar->get_Name(name.Put());
    EXPECT_EQ(L"Bar", name.Str());
}

TEST_F(ControlTest, RemovingAToolbarDetachesIt) {
    ComPtr<IPlToolBarImpl> bar = AddBar(bars.Get(), L"Bar");
    Variant byName = Str(L"Bar");
    ASSERT_EQ(S_OK, bars->Remove(byName.Ptr()));
    Bstr name;
    EXPECT_EQ(ErrorOf(42805), bar->get_Name(name.Put()));
    EXPECT_EQ(ErrorOf(40002), bars->Remove(byName.Ptr()));
}

// ---- Combo box and edit parts --------------------------------------------------------------------

ComPtr<IPlComboBoxImpl> ComboOf(IPlToolImpl* tool) {
    ComPtr<IPlComboBox> c;
    EXPECT_EQ(S_OK, tool->get_ComboBox(c.Put()));
    return Query<IPlComboBoxImpl>(c.Get(), IID_IPlComboBoxImpl);
}

TEST_F(ControlTest, ComboBoxKeepsItsListSelectionAndSortOrder) {
    ComPtr<IPlComboBoxImpl> combo = ComboOf(AddTool(pool.Get(), L"C", plTypeComboBox).Get());
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    for (const wchar_t* item : {L"Poire", L"abricot", L"Cerise"}) combo->AddItem(Bstr(item).Get(), &missing);
    Variant front = Long(0);
    combo->AddItem(Bstr(L"Banane").Get(), front.Ptr());
    short count = 0, newIndex = -2;
    combo->get_ListCount(&count);
    combo->get_NewIndex(&newIndex);
    EXPECT_EQ(4, count);
    EXPECT_EQ(0, newIndex);
    ASSERT_EQ(S_OK, combo->put_ListIndex(3));
    Bstr text;
    combo->get_Text(text.Put());
    EXPECT_EQ(L"Cerise", text.Str());
    ASSERT_EQ(S_OK, combo->put_Sorted(VARIANT_TRUE));
    combo->get_List(0, text.Put());
    EXPECT_EQ(L"abricot", text.Str()) << "sorted without regard to case";
    short selected = -2;
    combo->get_ListIndex(&selected);
    combo->get_List(selected, text.Put());
    EXPECT_EQ(L"Cerise", text.Str()) << "the selection follows its item";
    EXPECT_EQ(ErrorOf(381), combo->get_List(4, text.Put()));
    EXPECT_EQ(L"Invalid property array index", LastErrorText());
    EXPECT_EQ(ErrorOf(381), combo->RemoveItem(-1));
    EXPECT_EQ(ErrorOf(380), combo->put_ListIndex(4));
    ASSERT_EQ(S_OK, combo->RemoveItem(selected));
    combo->get_ListIndex(&selected);
    EXPECT_EQ(-1, selected);
}

TEST_F(ControlTest, ADropDownListComboAcceptsOnlyTextOfItsList) {
    ComPtr<IPlComboBoxImpl> combo = ComboOf(AddTool(pool.Get(), L"C", plTypeComboBox).Get());
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    combo->AddItem(Bstr(L"Oui").Get(), &missing);
    combo->put_Style(plComboDropDownList);
    EXPECT_EQ(ErrorOf(383), combo->put_Text(Bstr(L"Peut-être").Get()));
    EXPECT_EQ(L"Property is read-only", LastErrorText());
    EXPECT_EQ(S_OK, combo->put_Text(Bstr(L"Oui").Get()));
    short selected = -1;
    combo->get_ListIndex(&selected);
    EXPECT_EQ(0, selected);
}

TEST_F(ControlTest, EditTextIsCutAtItsMaximumLength) {
    ComPtr<IPlEdit> e;
    AddTool(pool.Get(), L"E", plTypeEdit)->get_Edit(e.Put());
    ComPtr<IPlEditImpl> edit = Query<IPlEditImpl>(e.Get(), IID_IPlEditImpl);
    ASSERT_EQ(S_OK, edit->put_Text(Bstr(L"Sauvegarde").Get()));
    ASSERT_EQ(S_OK, edit->put_MaxLength(4));
    Bstr text;
    edit->get_Text(text.Put());
    EXPECT_EQ(L"Sauv", text.Str());
    edit->put_Text(Bstr(L"Restauration").Get());
    edit->get_Text(text.Put());
    EXPECT_EQ(L"Rest", text.Str());
    EXPECT_EQ(ErrorOf(380), edit->put_MaxLength(-1));
    EXPECT_EQ(ErrorOf(380), edit->put_PasswordChar(Bstr(L"**").Get()));
    EXPECT_EQ(S_OK, edit->put_PasswordChar(Bstr(L"*").Get()));
}

// ---- Methods left to the library -------------------------------------------------------------

TEST_F(ControlTest, ConfigurationAndLayoutFilesAreCheckedBeforeUse) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring existing = std::wstring(temp) + L"palisade-config.bin";
    HANDLE f = CreateFileW(existing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
    Bstr present(existing), missingFile(std::wstring(temp) + L"absent-config.bin"), bad(L"a?b");
    EXPECT_EQ(ErrorOf(40006), control->LoadConfiguration(present.Get())) << "an empty file is no configuration";
    EXPECT_EQ(L"Unable to perform the requested operation.", LastErrorText());
    EXPECT_EQ(ErrorOf(53), control->LoadConfiguration(missingFile.Get()));
    EXPECT_EQ(L"File not found", LastErrorText());
    EXPECT_EQ(ErrorOf(53), control->LoadLayout(missingFile.Get()));
    EXPECT_EQ(ErrorOf(52), control->SaveConfiguration(bad.Get()));
    Variant notBytes = Str(L"configuration"), config;
    EXPECT_EQ(ErrorOf(380), control->LoadConfigurationEx(notBytes.Ptr()));
    ASSERT_EQ(S_OK, control->SaveConfigurationEx(config.Ptr()));
    EXPECT_EQ(VT_ARRAY | VT_UI1, config.Type());
    EXPECT_EQ(S_OK, control->LoadConfigurationEx(config.Ptr()));
    DeleteFileW(existing.c_str());
}

TEST_F(ControlTest, PopupMenuChecksItsToolAndTheControlState) {
    AddTool(pool.Get(), L"Button");
    AddTool(pool.Get(), L"MenuPop", plTypeMenu);
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    Variant button = Str(L"Button"), unknown = Str(L"Nope"), menu = Str(L"MenuPop");
    EXPECT_EQ(ErrorOf(40007), control->PopupMenu(button.Ptr(), &missing, &missing, &missing));
    EXPECT_EQ(ErrorOf(40002), control->PopupMenu(unknown.Ptr(), &missing, &missing, &missing));
    control->put_Enabled(VARIANT_FALSE);
    EXPECT_EQ(ErrorOf(40018), control->PopupMenu(menu.Ptr(), &missing, &missing, &missing));
    EXPECT_EQ(L"Can not display a popup menu if form is disabled.", LastErrorText());
}

TEST_F(ControlTest, AttachWindowTakesOnlyAWindow) {
    EXPECT_EQ(ErrorOf(380), control->AttachWindow(0x7777));
    EXPECT_EQ(S_OK, control->AttachWindow(0));
}

TEST_F(ControlTest, PlaySoundFileReturnsForAMissingFileAndForSilence) {
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    EXPECT_EQ(S_OK, control->PlaySoundFile(Bstr(L"C:\\absent.wav").Get(), missing));
    EXPECT_EQ(S_OK, control->PlaySoundFile(Bstr(L"").Get(), missing));
    Variant wait = Long(1);  // plWaitAndPlay
    EXPECT_EQ(S_OK, control->PlaySoundFile(Bstr(L"C:\\absent.wav").Get(), wait.Get()));
}

// ---- Events ------------------------------------------------------------------------------------------

// A sink that records the events it receives, and can answer OnCustomize.
class Sink : public ComObject<Sink, IDispatch> {
public:
    static const QiEntry* Interfaces() {
        static const QiEntry table[] = {QiEntry::Of<Sink, IDispatch>(IID_IDispatch),
                                        QiEntry::Of<Sink, IDispatch>(DIID_DPlToolBarsEvents), {}};
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
        if (id == 1074 && cancel && params->cArgs == 1 && V_VT(&params->rgvarg[0]) == VT_DISPATCH)
            Put(V_DISPATCH(&params->rgvarg[0]), L"Value", Variant::FromBool(true));
        return S_OK;
    }
    std::vector<DISPID> events;
    bool cancel = true;
};

DWORD Connect(IUnknown* control, IUnknown* sink, ComPtr<IConnectionPoint>& point) {
    ComPtr<IConnectionPointContainer> container =
        Query<IConnectionPointContainer>(control, IID_IConnectionPointContainer);
    EXPECT_EQ(S_OK, container->FindConnectionPoint(DIID_DPlToolBarsEvents, point.Put()));
    DWORD cookie = 0;
    EXPECT_EQ(S_OK, point->Advise(sink, &cookie));
    return cookie;
}

TEST_F(ControlTest, CustomizeAsksOnCustomizeFirstAndACancelStopsIt) {
    ComPtr<Sink> sink = bastide::com::MakeObject<Sink>();
    ComPtr<IConnectionPoint> point;
    DWORD cookie = Connect(control.Get(), sink->UnknownRef(), point);
    sink->Release();  // UnknownRef's reference
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    ASSERT_EQ(S_OK, control->Customize(missing));
    EXPECT_EQ(std::vector<DISPID>{1074}, sink->events) << "cancelled: no dialog, no AfterCustomize";
    ASSERT_EQ(S_OK, point->Unadvise(cookie));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie));
}

TEST_F(ControlTest, ChangingTheIconSizeFiresIconSizeChangedOnce) {
    ComPtr<Sink> sink = bastide::com::MakeObject<Sink>();
    ComPtr<IConnectionPoint> point;
    ComPtr<IUnknown> unknown = ComPtr<IUnknown>::Adopt(sink->UnknownRef());
    Connect(control.Get(), unknown.Get(), point);
    control->put_LargeIcons(VARIANT_TRUE);
    control->put_LargeIcons(VARIANT_TRUE);
    control->put_LargeIcons(VARIANT_FALSE);
    EXPECT_EQ((std::vector<DISPID>{1120, 1120}), sink->events);
}

TEST_F(ControlTest, FrozenEventsAreNotDelivered) {
    ComPtr<Sink> sink = bastide::com::MakeObject<Sink>();
    ComPtr<IConnectionPoint> point;
    ComPtr<IUnknown> unknown = ComPtr<IUnknown>::Adopt(sink->UnknownRef());
    Connect(control.Get(), unknown.Get(), point);
    ComPtr<IOleControl> ole = Query<IOleControl>(control.Get(), IID_IOleControl);
    ole->FreezeEvents(TRUE);
    control->put_LargeIcons(VARIANT_TRUE);
    ole->FreezeEvents(FALSE);
    control->put_LargeIcons(VARIANT_FALSE);
    EXPECT_EQ(std::vector<DISPID>{1120}, sink->events);
}

TEST_F(ControlTest, ASinkWithoutTheEventInterfaceIsRefused) {
    ComPtr<IConnectionPoint> point;
    Query<IConnectionPointContainer>(control.Get(), IID_IConnectionPointContainer)
        ->FindConnectionPoint(DIID_DPlToolBarsEvents, point.Put());
    ComPtr<IUnknown> notASink;
    CreateStreamOnHGlobal(nullptr, TRUE, reinterpret_cast<IStream**>(notASink.Put()));
    DWORD cookie = 7;
    EXPECT_EQ(CONNECT_E_CANNOTCONNECT, point->Advise(notASink.Get(), &cookie));
    EXPECT_EQ(0u, cookie);
}

TEST_F(ControlTest, ClassInfoNamesTheEventInterface) {
    ComPtr<IProvideClassInfo2> info = Query<IProvideClassInfo2>(control.Get(), IID_IProvideClassInfo2);
    ASSERT_TRUE(info);
    GUID events = GUID_NULL;
    ASSERT_EQ(S_OK, info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events));
    EXPECT_EQ(DIID_DPlToolBarsEvents, events);
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, info->GetClassInfo(coclass.Put()));
    TYPEATTR* a = nullptr;
    coclass->GetTypeAttr(&a);
    EXPECT_EQ(CLSID_PalisadeCtl, a->guid);
    coclass->ReleaseTypeAttr(a);
    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(S_OK, Query<IConnectionPointContainer>(control.Get(), IID_IConnectionPointContainer)
                        ->EnumConnectionPoints(points.Put()));
    IConnectionPoint* found[3] = {};
    ULONG n = 0;
    points->Next(3, found, &n);
    EXPECT_EQ(2u, n) << "events and property notifications";
    for (ULONG i = 0; i < n; ++i) found[i]->Release();
}

// ---- Container siting ---------------------------------------------------------------------------

TEST_F(ControlTest, AContainerFindsTheEmbeddingInterfaces) {
    for (const IID* iid : {&IID_IOleObject, &IID_IOleInPlaceObject, &IID_IOleInPlaceActiveObject, &IID_IViewObject2,
                           &IID_IOleControl, &IID_IPersistStreamInit, &IID_IPersistStorage, &IID_IPersistPropertyBag,
                           &IID_IConnectionPointContainer, &IID_IProvideClassInfo2, &IID_ISupportErrorInfo,
                           &IID_IPointerInactive})
        EXPECT_TRUE(Query<IUnknown>(control.Get(), *iid)) << "missing interface";
}

TEST_F(ControlTest, OleObjectReportsItsStatusAndStartsAt100By50Pixels) {
    ComPtr<IOleObject> ole = Query<IOleObject>(control.Get(), IID_IOleObject);
    DWORD status = 0;
    ASSERT_EQ(S_OK, ole->GetMiscStatus(DVASPECT_CONTENT, &status));
    EXPECT_EQ(140689u, status);
    SIZEL size = {};
    ASSERT_EQ(S_OK, ole->GetExtent(DVASPECT_CONTENT, &size));
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(100, MulDiv(size.cx, dpi, 2540));
    EXPECT_EQ(DV_E_DVASPECT, ole->GetExtent(DVASPECT_ICON, &size));
    CLSID clsid = GUID_NULL;
    ole->GetUserClassID(&clsid);
    EXPECT_EQ(CLSID_PalisadeCtl, clsid);
}

TEST_F(ControlTest, APropertyWriteMakesTheControlDirtyAndInitNewCleansIt) {
    ComPtr<IPersistStreamInit> persist = Query<IPersistStreamInit>(control.Get(), IID_IPersistStreamInit);
    ASSERT_EQ(S_OK, persist->InitNew());
    EXPECT_EQ(S_FALSE, persist->IsDirty());
    control->put_ShowToolTips(VARIANT_TRUE);
    EXPECT_EQ(S_FALSE, persist->IsDirty()) << "an unchanged value";
    control->put_ShowToolTips(VARIANT_FALSE);
    EXPECT_EQ(S_OK, persist->IsDirty());
    ComPtr<IStream> stream;
    CreateStreamOnHGlobal(nullptr, TRUE, stream.Put());
    EXPECT_EQ(S_OK, persist->Save(stream.Get(), TRUE));
    EXPECT_EQ(S_FALSE, persist->IsDirty()) << "saved";
}

TEST_F(ControlTest, AnInactiveControlShowsItsSelectionCursor) {
    ComPtr<IPointerInactive> pointer = Query<IPointerInactive>(control.Get(), IID_IPointerInactive);
    RECT bounds = {0, 0, 100, 50};
    SetCursor(nullptr);
    ASSERT_EQ(S_OK, pointer->OnInactiveSetCursor(&bounds, 10, 10, WM_MOUSEMOVE, TRUE));
    EXPECT_EQ(LoadCursorW(Library(), MAKEINTRESOURCEW(111)), GetCursor());
}

// A sink of property change notifications, as a container keeps one.
class PropertyWatch : public ComObject<PropertyWatch, IPropertyNotifySink> {
public:
    static const QiEntry* Interfaces() {
        static const QiEntry table[] = {
            QiEntry::Of<PropertyWatch, IPropertyNotifySink>(IID_IPropertyNotifySink), {}};
        return table;
    }
    STDMETHODIMP OnChanged(DISPID id) override {
        changed.push_back(id);
        return S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
    std::vector<DISPID> changed;
};

TEST_F(ControlTest, TheContainerHearsOfEachChangedPropertyByItsDispid) {
    ComPtr<PropertyWatch> watch = bastide::com::MakeObject<PropertyWatch>();
    ComPtr<IConnectionPoint> point;
    Query<IConnectionPointContainer>(control.Get(), IID_IConnectionPointContainer)
        ->FindConnectionPoint(IID_IPropertyNotifySink, point.Put());
    DWORD cookie = 0;
    ComPtr<IUnknown> unknown = ComPtr<IUnknown>::Adopt(watch->UnknownRef());
    ASSERT_EQ(S_OK, point->Advise(unknown.Get(), &cookie));
    control->put_BackColor(RGB(1, 2, 3));
    control->put_BackColor(RGB(1, 2, 3));  // unchanged: no notice
    control->put_ToolTipDelay(800);
    AddTool(pool.Get(), L"A")->put_Enabled(VARIANT_FALSE);
    EXPECT_EQ((std::vector<DISPID>{-501, 1061, -514}), watch->changed);
    point->Unadvise(cookie);
}

TEST_F(ControlTest, DrawPaintsTheBackColour) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 20, 20);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    control->put_BackColor(RGB(10, 200, 30));
    ComPtr<IViewObject2> view = Query<IViewObject2>(control.Get(), IID_IViewObject2);
    RECTL bounds = {0, 0, 20, 20};
    ASSERT_EQ(S_OK, view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0));
    EXPECT_EQ(RGB(10, 200, 30), GetPixel(dc, 10, 10));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// ---- Auxiliary objects --------------------------------------------------------------------------------

template <class T>
ComPtr<T> Create(const CLSID& clsid, const IID& iid) {
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = ExportOf<GetClassObjectFn>(Library(), "DllGetClassObject");
    ComPtr<IClassFactory> factory;
    ComPtr<T> object;
    if (SUCCEEDED(get(clsid, IID_IClassFactory, factory.PutVoid())))
        factory->CreateInstance(nullptr, iid, object.PutVoid());
    return object;
}

TEST(DataObject, KeepsDataByFormatAndItsFileList) {
    ComPtr<IPlDataObjectImpl> data = Create<IPlDataObjectImpl>(CLSID_PlDataObject, IID_IPlDataObjectImpl);
    ASSERT_TRUE(data);
    VARIANT_BOOL present = VARIANT_TRUE;
    data->GetFormat(1, &present);
    EXPECT_EQ(VARIANT_FALSE, present);
    Variant text = Str(L"C:\\Données"), format = Long(1);
    ASSERT_EQ(S_OK, data->SetData(text.Get(), format.Get()));
    Variant back;
    ASSERT_EQ(S_OK, data->GetData(1, back.Ptr()));
    EXPECT_EQ(L"C:\\Données", std::wstring(V_BSTR(back.Ptr())));
    EXPECT_EQ(ErrorOf(461), data->GetData(2, back.Ptr()));
    EXPECT_EQ(L"Specified format doesn't match format of data", LastErrorText());

    ComPtr<IPlDataObjectFiles> f;
    data->get_Files(f.Put());
    ComPtr<IPlDataObjectFilesImpl> files = Query<IPlDataObjectFilesImpl>(f.Get(), IID_IPlDataObjectFilesImpl);
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    files->Add(Bstr(L"b.txt").Get(), missing);
    files->Add(Bstr(L"a.txt").Get(), Long(0).Get());
    Bstr first;
    ASSERT_EQ(S_OK, files->get_Item(0, first.Put()));
    EXPECT_EQ(L"a.txt", first.Str());
    EXPECT_EQ(ErrorOf(381), files->get_Item(2, first.Put()));
    EXPECT_EQ(ErrorOf(381), files->Remove(Long(5).Get()));
    data->GetFormat(15, &present);
    EXPECT_EQ(VARIANT_TRUE, present) << "a file list is data of plCFFiles";
    ASSERT_EQ(S_OK, data->Clear());
    LONG count = -1;
    files->get_Count(&count);
    EXPECT_EQ(0, count);
}

TEST(ReturnValues, HoldWhatAHandlerHandsBack) {
    ComPtr<IDispatch> value = Create<IDispatch>(CLSID_PlReturnBoolean, DIID_IPlReturnBoolean);
    ASSERT_TRUE(value);
    EXPECT_EQ(0, V_BOOL(Get(value.Get(), L"Value").value.Ptr()));
    EXPECT_EQ(S_OK, Put(value.Get(), L"Value", Variant::FromBool(true)).hr);
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(Get(value.Get(), L"Value").value.Ptr()));
    ComPtr<IDispatch> number = Create<IDispatch>(CLSID_PlReturnShort, DIID_IPlReturnShort);
    EXPECT_EQ(DISP_E_OVERFLOW, Put(number.Get(), L"Value", Long(70000)).hr);
}

} // namespace
} // namespace palisade::test
