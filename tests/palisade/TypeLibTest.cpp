// The type library carried by Palisade50.dll, read back through LoadTypeLib and
// ITypeInfo and checked against the published automation surface: hosts bind by
// these identifiers, DISPIDs and names.

#include "PalisadeTest.h"

#include <map>
#include <set>
#include <sstream>

namespace palisade::test {
namespace {

std::wstring GuidString(const GUID& g) {
    wchar_t buf[40];
    StringFromGUID2(g, buf, 40);
    return buf;
}

ComPtr<ITypeInfo> InfoByName(ITypeLib* lib, const wchar_t* name) {
    ComPtr<ITypeInfo> info;
    MEMBERID id = 0;
    USHORT found = 1;
    std::wstring n = name;
    ITypeInfo* raw = nullptr;
    if (SUCCEEDED(lib->FindName(n.data(), 0, &raw, &id, &found)) && found == 1) info = ComPtr<ITypeInfo>::Adopt(raw);
    return info;
}

struct Attr {
    TYPEKIND kind;
    GUID guid;
    WORD flags;
    WORD funcs, vars, implTypes;
};

Attr AttrOf(ITypeInfo* info) {
    TYPEATTR* a = nullptr;
    info->GetTypeAttr(&a);
    Attr r{a->typekind, a->guid, a->wTypeFlags, a->cFuncs, a->cVars, a->cImplTypes};
    info->ReleaseTypeAttr(a);
    return r;
}

// "Name=dispid:kinds" for every member in slot order; kinds: g get, p put,
// r putref, m method.
std::wstring MemberList(ITypeInfo* info) {
    Attr a = AttrOf(info);
    std::vector<std::pair<std::wstring, std::pair<MEMBERID, std::wstring>>> members;
    for (UINT i = 0; i < a.funcs; ++i) {
        FUNCDESC* f = nullptr;
        info->GetFuncDesc(i, &f);
        Bstr name;
        info->GetDocumentation(f->memid, name.Put(), nullptr, nullptr, nullptr);
        wchar_t k = f->invkind == INVOKE_PROPERTYGET      ? L'g'
                    : f->invkind == INVOKE_PROPERTYPUT    ? L'p'
                    : f->invkind == INVOKE_PROPERTYPUTREF ? L'r'
                                                          : L'm';
        if (!members.empty() && members.back().first == name.Str() && members.back().second.first == f->memid)
            members.back().second.second += k;
        else
            members.push_back({name.Str(), {f->memid, std::wstring(1, k)}});
        info->ReleaseFuncDesc(f);
    }
    std::wostringstream out;
    for (size_t i = 0; i < members.size(); ++i)
        out << (i ? L" " : L"") << members[i].first << L"=" << members[i].second.first << L":"
            << members[i].second.second;
    return out.str();
}

// ---- Library ------------------------------------------------------------------------

TEST(TypeLibrary, IsPalisadeVersion5Locale1033WithItsHelpString) {
    ComPtr<ITypeLib> lib = LibraryTypeLib();
    ASSERT_TRUE(lib);
    TLIBATTR* a = nullptr;
    ASSERT_EQ(S_OK, lib->GetLibAttr(&a));
    EXPECT_EQ(L"{85202277-6C76-4228-BC56-7B3E69E8D5CA}", GuidString(a->guid));
    EXPECT_EQ(5, a->wMajorVerNum);
    EXPECT_EQ(0, a->wMinorVerNum);
    EXPECT_EQ(1033u, a->lcid);
    lib->ReleaseTLibAttr(a);
    Bstr name, help;
    ASSERT_EQ(S_OK, lib->GetDocumentation(-1, name.Put(), help.Put(), nullptr, nullptr));
    EXPECT_EQ(L"Palisade", name.Str());
    EXPECT_EQ(L"Palisade Plus control", help.Str());
}

// ---- Classes ---------------------------------------------------------------------------

struct ClassRow {
    const wchar_t* name;
    const wchar_t* clsid;
    const wchar_t* defaultInterface;
    const wchar_t* iid;
    WORD flags;  // of TYPEFLAG_FCANCREATE, FCONTROL, FHIDDEN
};

constexpr WORD kCreate = TYPEFLAG_FCANCREATE, kControl = TYPEFLAG_FCONTROL, kHidden = TYPEFLAG_FHIDDEN;

const ClassRow kClasses[] = {
    {L"PalisadeCtl", L"{41E6DDD6-FBD6-4718-80F7-9B160533C2F5}", L"IPlToolBarControl", L"{A3B9619D-A299-4655-95B2-CABFDB8DB83D}", kCreate | kControl},
    {L"PlTool", L"{595E0343-25E2-4CEC-ABB6-4C1F73E58152}", L"IPlTool", L"{111A9016-53C5-48C8-B360-0ED0FB25FEC7}", 0},
    {L"PlTools", L"{31DC1314-8E86-46FD-B8F1-169E54FA10BF}", L"IPlToolsCollection", L"{E8FD0458-E1A7-4622-88DF-349CD248EAA5}", 0},
    {L"PlToolBar", L"{EE155B6A-EF98-4075-9F7E-543FF2FE4707}", L"IPlToolBar", L"{EC2BFC56-342C-4F0B-BD90-E1368B30D8B4}", 0},
    {L"PlToolBars", L"{F8A30A09-0475-4C3B-84FB-7620E4806C87}", L"IPlToolBarsCollection", L"{40FF3959-54D5-4AA7-AAF5-437F94F05022}", 0},
    {L"PlComboBox", L"{D4B9BE69-E8A0-4621-9E1D-25D1CB43FABE}", L"IPlComboBox", L"{53FE8DCB-9E7A-4528-A559-5A568C8C8C77}", 0},
    {L"PlMenu", L"{F3EA1B91-D4E7-47BC-B866-EB0671BA7886}", L"IPlMenu", L"{2188177A-39A9-488B-A204-59526DAABD92}", 0},
    {L"PlEdit", L"{0EE42E60-A8D1-4757-8652-4B2AF59B2AD5}", L"IPlEdit", L"{FF73AA83-B76D-4F49-93CF-343A00A815FD}", 0},
    {L"PlReturnLong", L"{CDA1CA01-8B5D-11D0-9BC0-0000C0F04C96}", L"IPlReturnLong", L"{CDA1CA00-8B5D-11D0-9BC0-0000C0F04C96}", kCreate},
    {L"PlReturnShort", L"{CDA1CA03-8B5D-11D0-9BC0-0000C0F04C96}", L"IPlReturnShort", L"{CDA1CA02-8B5D-11D0-9BC0-0000C0F04C96}", kCreate},
    {L"PlReturnBoolean", L"{CDA1CA05-8B5D-11D0-9BC0-0000C0F04C96}", L"IPlReturnBoolean", L"{CDA1CA04-8B5D-11D0-9BC0-0000C0F04C96}", kCreate},
    {L"PlDataObject", L"{6B976286-3692-11D0-9B8A-0000C0F04C96}", L"IPlDataObject", L"{6B976287-3692-11D0-9B8A-0000C0F04C96}", kCreate | kHidden},
    {L"PlDataObjectFiles", L"{6B976284-3692-11D0-9B8A-0000C0F04C96}", L"IPlDataObjectFiles", L"{6B976285-3692-11D0-9B8A-0000C0F04C96}", kCreate | kHidden},
};

TEST(TypeLibrary, EveryClassHasItsIdentifierFlagsAndDefaultDispinterface) {
    ComPtr<ITypeLib> lib = LibraryTypeLib();
    for (const ClassRow& row : kClasses) {
        SCOPED_TRACE(testing::Message() << "class " << Bstr(row.name).Str().size() << " " << std::string(row.name, row.name + wcslen(row.name)));
        ComPtr<ITypeInfo> info = InfoByName(lib.Get(), row.name);
        ASSERT_TRUE(info);
        Attr a = AttrOf(info.Get());
        EXPECT_EQ(TKIND_COCLASS, a.kind);
        EXPECT_EQ(row.clsid, GuidString(a.guid));
        EXPECT_EQ(row.flags, a.flags & (kCreate | kControl | kHidden));
        bool sawDefault = false;
        for (UINT i = 0; i < a.implTypes; ++i) {
            INT implFlags = 0;
            info->GetImplTypeFlags(i, &implFlags);
            if ((implFlags & IMPLTYPEFLAG_FDEFAULT) && !(implFlags & IMPLTYPEFLAG_FSOURCE)) {
                HREFTYPE ref;
                ComPtr<ITypeInfo> iface;
                info->GetRefTypeOfImplType(i, &ref);
                info->GetRefTypeInfo(ref, iface.Put());
                Bstr name;
                iface->GetDocumentation(-1, name.Put(), nullptr, nullptr, nullptr);
                EXPECT_EQ(row.defaultInterface, name.Str());
                EXPECT_EQ(row.iid, GuidString(AttrOf(iface.Get()).guid));
                EXPECT_EQ(TKIND_DISPATCH, AttrOf(iface.Get()).kind);
                EXPECT_FALSE(AttrOf(iface.Get()).flags & TYPEFLAG_FDUAL) << "a pure dispinterface";
                sawDefault = true;
            }
        }
        EXPECT_TRUE(sawDefault);
    }
}

TEST(TypeLibrary, ControlSourcesItsEventsAndCarriesTheHelpString) {
    ComPtr<ITypeLib> lib = LibraryTypeLib();
    ComPtr<ITypeInfo> info = InfoByName(lib.Get(), L"PalisadeCtl");
    ASSERT_TRUE(info);
    Bstr help;
    info->GetDocumentation(-1, nullptr, help.Put(), nullptr, nullptr);
    EXPECT_EQ(L"Palisade Plus control", help.Str());
    Attr a = AttrOf(info.Get());
    std::wstring source;
    for (UINT i = 0; i < a.implTypes; ++i) {
        INT flags = 0;
        info->GetImplTypeFlags(i, &flags);
        if (flags == (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) {
            HREFTYPE ref;
            ComPtr<ITypeInfo> events;
            info->GetRefTypeOfImplType(i, &ref);
            info->GetRefTypeInfo(ref, events.Put());
            source = GuidString(AttrOf(events.Get()).guid);
        }
    }
    EXPECT_EQ(L"{242757A9-A5AC-4F35-9E75-6D9D49153B83}", source);
}

// ---- Interfaces: members, DISPIDs and kinds in slot order ----------------------------

struct InterfaceRow {
    const wchar_t* name;
    const wchar_t* members;
};

const InterfaceRow kInterfaces[] = {
{L"IPlToolBarControl", L"ActiveColors=1045:gp BackColor=-501:gp CustomizationStrings=1053:gp DisplayContextMenu=1055:gp Enabled=-514:gp Font=-512:gpr FontSource=1056:gp ForeColor=-513:gp Style=1133:gp MenuAnimations=1057:gp PersonalizedMenus=1127:gp PictureBackground=56:gpr PictureBackgroundMaskColor=1036:gp PictureBackgroundStyle=61:gp PictureBackgroundUseMask=1037:gp Redraw=1009:gp ShowShortcutsInToolTips=1058:gp ShowToolTips=1059:gp LargeIcons=1095:gp TagVariant=39:gpr ToolBars=1060:g Tools=1024:g ToolTipDelay=1061:gp Visible=1025:gp AboutBox=-552:m Customize=1062:m LoadConfigurationEx=1093:m LoadConfiguration=1065:m LoadLayout=1066:m PlaySoundFile=30:m PopupMenu=1067:m Refresh=-550:m SaveConfiguration=1068:m SaveConfigurationEx=1094:m SaveLayout=1069:m ToolBarFromPosition=1070:m ToolFromPosition=1052:m WhereIs=1041:m GetDockHeight=1122:m GetDockWidth=1123:m AttachWindow=1125:m ResetUsage=1131:m DragFullToolBars=1135:gp FloatingToolbarFadeDelay=1136:gp GetXPItemColor=1137:m"},
{L"IPlTool", L"AutoWrap=1027:gp Category=1029:gp ComboBox=1030:g CtlWidth=1116:gp Customizable=1126:gp Description=1031:gp Edit=1032:g Enabled=-514:gp ForeColor=-513:gp ForeColorSource=1001:gp Group=1035:gp GroupAllowAllUp=1038:gp Height=1040:g Index=1005:g ID=1042:gp Left=1092:g Menu=1043:g MenuVisibility=1128:gp Name=1018:gp PictureSize=1088:gp UseMaskColor=1089:gp Picture=-523:gpr PictureBmp=1096:p PictureDisabled=28:gpr PictureDisabledBmp=1098:p PictureDown=1044:gpr PictureDownBmp=1097:p PictureDownDisabled=1046:gpr PictureDownDisabledBmp=1099:p RecentlyUsed=1129:gp Shortcut=1047:gp State=1048:gp DisplayStyle=1090:gp TagVariant=39:gpr ToolTipText=1049:gp Top=1091:g Type=1050:gp Visible=1025:gp Width=1051:g SetFocus=1115:m ChangeAll=1124:m"},
    {L"IPlToolsCollection", L"_NewEnum=-4:g Add=1034:m Count=1033:g Clear=1026:m Item=0:m Remove=1019:m"},
    {L"IPlToolBarsCollection", L"_NewEnum=-4:g Add=1034:m Count=1033:g Clear=1026:m Item=0:m Remove=1019:m"},
    {L"IPlToolBar", L"AllowCustomize=1002:gp AllowHiding=1003:gp CaptionAlignment=1028:gp DisplayGrabHandles=1008:gp "
                    L"DisplayMoreToolsButton=1130:gp DockedColumn=1010:gp DockedRow=1011:gp DockedStatus=1012:gp "
                    L"DockFlags=1013:gp FloatingHeight=1014:gp FloatingLeft=1015:gp FloatingTop=1016:gp "
                    L"FloatingWidth=1017:gp Font3D=9:gp Name=1018:gp Stock=1020:gp Style=1021:g Tools=1024:g "
                    L"Visible=1025:gp Reset=1119:m TagVariant=39:gpr"},
    {L"IPlMenu", L"Tools=1024:g"},
    {L"IPlComboBox", L"ItemData=1104:gpr List=1105:gp ListCount=1106:g ListIndex=1107:gp Locked=1108:gp "
                     L"NewIndex=1109:g Sorted=1110:gp Style=1111:gp Text=1112:gp AddItem=1113:m Clear=1026:m "
                     L"RemoveItem=1114:m"},
    {L"IPlEdit", L"Locked=1101:gp MaxLength=1102:gp Text=1103:gp PasswordChar=1132:gp"},
    {L"IPlReturnLong", L"Value=0:gp"},
    {L"IPlReturnShort", L"Value=0:gp"},
    {L"IPlReturnBoolean", L"Value=0:gp"},
    {L"IPlDataObject", L"Clear=1:m GetData=2:m GetFormat=3:m SetData=4:m Files=5:g"},
    {L"IPlDataObjectFiles", L"Item=0:g Count=1:g Add=2:m Clear=3:m Remove=4:m _NewEnum=-4:g"},
};

TEST(TypeLibrary, EveryDispinterfaceHasItsMembersWithTheirDispidsInSlotOrder) {
    ComPtr<ITypeLib> lib = LibraryTypeLib();
    for (const InterfaceRow& row : kInterfaces) {
        ComPtr<ITypeInfo> info = InfoByName(lib.Get(), row.name);
        ASSERT_TRUE(info) << std::string(row.name, row.name + wcslen(row.name));
        EXPECT_EQ(TKIND_DISPATCH, AttrOf(info.Get()).kind);
        std::wstring expected = row.members;
        // The table writes "put" for the hidden bitmap setters and "get/put" as gp.
        EXPECT_EQ(expected, MemberList(info.Get())) << std::string(row.name, row.name + wcslen(row.name));
    }
}

// A few signatures hosts depend on, argument by argument.
struct SignatureRow {
    const wchar_t* interfaceName;
    const wchar_t* member;
    INVOKEKIND kind;
    std::vector<VARTYPE> params;  // VT_PTR | x for a pointer to x
    int optional;
};

const SignatureRow kSignatures[] = {
    {L"IPlToolBarControl", L"PopupMenu", INVOKE_FUNC, {VT_BYREF | VT_VARIANT, VT_BYREF | VT_VARIANT, VT_BYREF | VT_VARIANT, VT_BYREF | VT_VARIANT}, 3},
    {L"IPlToolBarControl", L"PlaySoundFile", INVOKE_FUNC, {VT_BSTR, VT_VARIANT}, 1},
    {L"IPlToolBarControl", L"ToolBarFromPosition", INVOKE_FUNC, {VT_R4, VT_R4, VT_BYREF | VT_DISPATCH}, 0},
    {L"IPlToolBarControl", L"GetDockHeight", INVOKE_FUNC, {VT_I4, VT_BYREF | VT_I2}, 0},
    {L"IPlToolBarControl", L"AttachWindow", INVOKE_FUNC, {VT_UINT}, 0},
    {L"IPlToolsCollection", L"Add", INVOKE_FUNC, {VT_BSTR, VT_BYREF | VT_VARIANT, VT_BYREF | VT_VARIANT, VT_BYREF | VT_DISPATCH}, 2},
    {L"IPlToolsCollection", L"Item", INVOKE_FUNC, {VT_BYREF | VT_VARIANT, VT_BYREF | VT_DISPATCH}, 0},
    {L"IPlTool", L"ChangeAll", INVOKE_FUNC, {VT_I4, VT_BYREF | VT_VARIANT}, 0},
    {L"IPlTool", L"CtlWidth", INVOKE_PROPERTYPUT, {VT_I2}, 0},
    {L"IPlComboBox", L"List", INVOKE_PROPERTYGET, {VT_I2, VT_BYREF | VT_BSTR}, 0},
    {L"IPlDataObject", L"GetData", INVOKE_FUNC, {VT_I2, VT_BYREF | VT_VARIANT}, 0},
};

// The automation type of a parameter: enumerations read as VT_I4, interfaces as VT_DISPATCH.
VARTYPE Flatten(ITypeInfo* info, const TYPEDESC& t) {
    if (t.vt == VT_PTR) return VT_BYREF | Flatten(info, *t.lptdesc);
    if (t.vt != VT_USERDEFINED) return t.vt;
    ComPtr<ITypeInfo> ref;
    info->GetRefTypeInfo(t.hreftype, ref.Put());
    Attr a = AttrOf(ref.Get());
    if (a.kind == TKIND_ENUM) return VT_I4;
    if (a.kind == TKIND_ALIAS) {
        TYPEATTR* ta = nullptr;
        ref->GetTypeAttr(&ta);
        VARTYPE v = Flatten(ref.Get(), ta->tdescAlias);
        ref->ReleaseTypeAttr(ta);
        return v;
    }
    return VT_DISPATCH;
}

TEST(TypeLibrary, KeyMembersTakeTheirArgumentsAsPublished) {
    ComPtr<ITypeLib> lib = LibraryTypeLib();
    for (const SignatureRow& row : kSignatures) {
        std::string where(row.member, row.member + wcslen(row.member));
        ComPtr<ITypeInfo> info = InfoByName(lib.Get(), row.interfaceName);
        ASSERT_TRUE(info);
        Attr a = AttrOf(info.Get());
        bool found = false;
        for (UINT i = 0; i < a.funcs && !found; ++i) {
            FUNCDESC* f = nullptr;
            info->GetFuncDesc(i, &f);
            Bstr name;
            info->GetDocumentation(f->memid, name.Put(), nullptr, nullptr, nullptr);
            if (name.Str() == row.member && f->invkind == row.kind) {
                found = true;
                std::vector<VARTYPE> params;
                for (SHORT p = 0; p < f->cParams; ++p) params.push_back(Flatten(info.Get(), f->lprgelemdescParam[p].tdesc));
                EXPECT_EQ(row.params, params) << where;
                EXPECT_EQ(row.optional, f->cParamsOpt == -1 ? 0 : [&] {
                    int n = 0;
                    for (SHORT p = 0; p < f->cParams; ++p)
                        n += (f->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FOPT) ? 1 : 0;
                    return n;
                }()) << where;
            }
            info->ReleaseFuncDesc(f);
        }
        EXPECT_TRUE(found) << where;
    }
}

TEST(TypeLibrary, AboutBoxAndBitmapSettersAreHiddenAndNewEnumRestricted) {
    ComPtr<ITypeLib> lib = LibraryTypeLib();
    auto flagsOf = [&](const wchar_t* iface, MEMBERID id, INVOKEKIND kind) -> WORD {
        ComPtr<ITypeInfo> info = InfoByName(lib.Get(), iface);
        Attr a = AttrOf(info.Get());
        for (UINT i = 0; i < a.funcs; ++i) {
            FUNCDESC* f = nullptr;
            info->GetFuncDesc(i, &f);
            WORD flags = f->wFuncFlags;
            bool match = f->memid == id && f->invkind == kind;
            info->ReleaseFuncDesc(f);
            if (match) return flags;
        }
        return 0xFFFF;
    };
    EXPECT_TRUE(flagsOf(L"IPlToolBarControl", -552, INVOKE_FUNC) & FUNCFLAG_FHIDDEN);
    for (MEMBERID id : {1096, 1097, 1098, 1099})
        EXPECT_TRUE(flagsOf(L"IPlTool", id, INVOKE_PROPERTYPUT) & FUNCFLAG_FHIDDEN) << id;
    EXPECT_TRUE(flagsOf(L"IPlToolsCollection", -4, INVOKE_PROPERTYGET) & FUNCFLAG_FRESTRICTED);
    EXPECT_FALSE(flagsOf(L"IPlTool", 1042, INVOKE_PROPERTYGET) & FUNCFLAG_FHIDDEN);
}

// ---- Events --------------------------------------------------------------------------

struct EventRow {
    const wchar_t* name;
    MEMBERID dispid;
    SHORT args;
};

const EventRow kEvents[] = {
{L"ToolClick", 1071, 1},
{L"CtlClick", 1118, 1},
{L"Click", -600, 0},
{L"ComboCloseUp", 1072, 1},
{L"ComboDropDown", 1073, 1},
{L"DblClick", -601, 0},
{L"MouseDown", -605, 4},
{L"MouseMove", -606, 4},
{L"MouseUp", -607, 4},
{L"OnCustomize", 1074, 1},
{L"ToolBarEnter", 1075, 1},
{L"ToolBarExit", 1076, 1},
{L"ToolBarModified", 1077, 3},
{L"ToolChange", 1078, 1},
{L"ToolDblClick", 1079, 1},
{L"ToolDropDown", 1080, 3},
{L"ToolEnter", 1081, 1},
{L"ToolExit", 1082, 1},
{L"ToolGotFocus", 1083, 1},
{L"ToolKeyDown", 1084, 3},
{L"ToolKeyPress", 1085, 2},
{L"ToolKeyUp", 1086, 3},
{L"ToolLostFocus", 1087, 1},
{L"ToolCloseUp", 1100, 1},
{L"IconSizeChanged", 1120, 0},
{L"AfterCustomize", 1121, 0},
{L"BeforeToolKeyDown", 1138, 2},
};

TEST(TypeLibrary, EventsHaveTheirDispidsAndArgumentCounts) {
    ComPtr<ITypeLib> lib = LibraryTypeLib();
    ComPtr<ITypeInfo> info = InfoByName(lib.Get(), L"DPlToolBarsEvents");
    ASSERT_TRUE(info);
    Attr a = AttrOf(info.Get());
    EXPECT_EQ(L"{242757A9-A5AC-4F35-9E75-6D9D49153B83}", GuidString(a.guid));
    EXPECT_EQ(TKIND_DISPATCH, a.kind);
    std::map<std::wstring, std::pair<MEMBERID, SHORT>> seen;
    for (UINT i = 0; i < a.funcs; ++i) {
        FUNCDESC* f = nullptr;
        info->GetFuncDesc(i, &f);
        Bstr name;
        info->GetDocumentation(f->memid, name.Put(), nullptr, nullptr, nullptr);
        seen[name.Str()] = {f->memid, f->cParams};
        EXPECT_EQ(VT_VOID, f->elemdescFunc.tdesc.vt);
        info->ReleaseFuncDesc(f);
    }
    EXPECT_EQ(std::size(kEvents), seen.size());
    for (const EventRow& e : kEvents) {
        auto it = seen.find(e.name);
        ASSERT_NE(it, seen.end()) << std::string(e.name, e.name + wcslen(e.name));
        EXPECT_EQ(e.dispid, it->second.first);
        EXPECT_EQ(e.args, it->second.second);
    }
}

// ---- Enumerations -----------------------------------------------------------------------

struct EnumRow {
    const wchar_t* name;
    std::wstring members;
};

std::wstring EnumMembers(ITypeInfo* info) {
    Attr a = AttrOf(info);
    std::wostringstream out;
    for (UINT i = 0; i < a.vars; ++i) {
        VARDESC* v = nullptr;
        info->GetVarDesc(i, &v);
        Bstr name;
        info->GetDocumentation(v->memid, name.Put(), nullptr, nullptr, nullptr);
        VARIANT value;
        VariantInit(&value);
        VariantChangeType(&value, v->lpvarValue, 0, VT_I4);
        out << (i ? L" " : L"") << name.Str() << L"=" << V_I4(&value);
        info->ReleaseVarDesc(v);
    }
    return out.str();
}

// The two enumerations built by rule.
std::wstring ShortcutKeys() {
    std::wostringstream out;
    out << L"plShortcutNone=0";
    int v = 1;
    for (wchar_t c = L'A'; c <= L'Z'; ++c) out << L" plCtrl" << c << L"=" << v++;
    for (const wchar_t* prefix : {L"pl", L"plCtrl", L"plShift", L"plShiftCtrl"})
        for (int f = 1; f <= 12; ++f) out << L" " << prefix << L"F" << f << L"=" << v++;
    for (const wchar_t* n : {L"plCtrlIns", L"plShiftIns", L"plDel", L"plShiftDel", L"plAltBksp", L"plCtrlDown"})
        out << L" " << n << L"=" << v++;
    return out.str();
}

std::wstring CustomizationStrings() {
    const wchar_t* names =
        L"plCancelBtn plCategoriesList plCloseBtn plCustomizerDlg plDeleteBtn plDescriptionBtn plLargeIconCheck "
        L"plMenuAnimationsLbl plMenubarOption plModifySelectionBtn plNewBtn plNewToolbarDlg plOKBtn plOptionsTab "
        L"plRenameBtn plRenameToolbarDlg plResetBtn plSelectedToolLbl plShowScreenTipsCheck plShowShortcutsCheck "
        L"plToolbarNameLbl plStandardOption plToolbarsList plToolbarsTab plToolsList plToolsTab plConfirmDeleteLbl "
        L"plConfirmResetLbl plResetItem plDeleteItem plNameItem plDefaultItem plTextAlwaysItem plTextInMenuItem "
        L"plImageAndTextItem plBeginAGroupItem plOriginalState plLastLoadedState plResetToolbarDlg plMDIRestore "
        L"plMDIMove plMDISize plMDIMinimize plMDIMaximize plMDIClose plPersonalizedLbl plShowRecentCheck "
        L"plShowAfterDelayCheck plResetUsageBtn plOtherLbl plAddRemoveToolsItem plResetToolbarItem plExpandTip "
        L"plMoreToolsTip plConfirmFlyoutResetLbl plNoneMenuItem plRandomMenuItem plUnfoldMenuItem plSlideMenuItem "
        L"plDeleteToolbarDlg plExplodeMenuItem plFadeInMenuItem";
    std::wistringstream in(names);
    std::wostringstream out;
    std::wstring n;
    for (int v = 0; in >> n; ++v) out << (v ? L" " : L"") << n << L"=" << v;
    return out.str();
}

TEST(TypeLibrary, EveryEnumerationHasItsMembersAndValues) {
    const EnumRow rows[] = {
{L"Constants_Modified", L"plToolBarClosed=0 plToolBarCreated=1 plToolBarDestroyed=2 plToolBarOpened=3 plToolBarResized=4 plToolBarDocked=5 plToolBarUndocked=6 plToolBarToolAdded=7 plToolBarToolRemoved=8 plToolBarStartDrag=9 plToolBarEndDrag=10 plToolSelected=11"},
{L"Constants_MenuAnimations", L"plAnimationNone=0 plAnimationRandom=1 plAnimationUnfold=2 plAnimationSlide=3 plAnimationExplode=4 plAnimationFadeIn=5"},
{L"Constants_FontSource", L"plUseSystemFont=0 plUseControlFont=1"},
{L"Constants_Type", L"plTypeButton=0 plTypeStateButton=1 plTypeDropDown=2 plTypeDropDownState=3 plTypeComboBox=4 plTypeEdit=5 plTypeLabel=6 plTypeMenu=7 plTypeSeparator=8"},
{L"Constants_DisplayStyle", L"plDisplayDefaultStyle=0 plDisplayTextOnlyAlways=1 plDisplayTextOnlyInMenus=2 plDisplayImageAndText=3"},
{L"Constants_State", L"plUnchecked=0 plChecked=1"},
{L"Constants_ForeColorSource", L"plUseControl=0 plUseTool=1"},
{L"Constants_CaptionAlignment", L"plTopOfImage=0 plBottomOfImage=1 plLeftOfImage=2 plRightOfImage=3"},
{L"Constants_DockedStatus", L"plDockedTop=1 plDockedBottom=2 plDockedLeft=4 plDockedRight=8 plFloating=16"},
{L"Constants_DockFlags", L"plDFTop=1 plDFBottom=2 plDFLeft=4 plDFRight=8 plDFFloating=16 plStretched=32 plPositionLocked=64"},
{L"Constants_Font3D", L"plNoneFont3D=0 plRaisedLight=1 plRaisedHeavy=2 plInsetLight=3 plInsetHeavy=4 plDropShadow=5"},
{L"Constants_ToolBarStyle", L"plStandard=0 plMenuBar=1"},
{L"Constants_PictureBackgroundStyle", L"plPictureCentered=0 plPictureStretched=1 plPictureTiled=2"},
{L"Constants_WhereIs", L"plWhereIsTopDock=0 plWhereIsBottomDock=1 plWhereIsLeftDock=2 plWhereIsRightDock=3 plWhereIsToolBar=4 plWhereIsTool=5 plWhereIsMenu=6 plWhereIsNone=7"},
{L"Constants_XPItemColor", L"plXPItemColorToolbar=0 plXPItemColorMenubar=1 plXPItemColorActiveHighlightBorder=2 plXPItemColorActiveHighlightMouseOver=3 plXPItemColorActiveHighlightMouseDown=4 plXPItemColorMenuDroppedBorder=5 plXPItemColorMenuIconArea=6 plXPItemColorMenuIconAreaExpanded=7 plXPItemColorMenuDroppedBackColor=8 plXPItemColorFloaterBorder=9 plXPItemColorFloaterCaption=10 plXPItemColorDisabledToolShadow=11 plXPItemColorToolSeparator=12 plXPItemColorStateToolPressed=13"},
{L"Constants_AsyncSoundFlags", L"plWaitAndPlay=1 plDownload=2 plPlayDefault=4 plPlayIfCached=8 plPlayWhenDownloaded=16 plPlaySystemSound=32"},
{L"Constants_ComboBoxStyle", L"plComboDropDown=0 plComboDropDownList=1"},
{L"Constants_PopupMenuFlags", L"plPopupMenuLeftAlign=0 plPopupMenuLeftButton=1 plPopupMenuRightButton=2 plPopupMenuCenterAlign=4 plPopupMenuRightAlign=8"},
{L"Constants_ChangeAll", L"plChangeAllCtlWidth=0 plChangeAllDisplayStyle=1 plChangeAllForeColor=2 plChangeAllForeColorSource=3 plChangeAllName=4 plChangeAllVisible=5"},
{L"Constants_PersonalizedMenus", L"plPersonalDisabled=0 plPersonalDisplayOnHover=1 plPersonalDisplayOnClick=2"},
{L"Constants_MenuVisibility", L"plVisibleAlways=0 plVisibleIfRecent=1"},
{L"Constants_Style", L"plStyle97=0 plStyle2000=1 plStyleXP=2"},
{L"Constants_DragFullToolBars", L"plDragFullFollowSystem=0 plDragFullTrue=1 plDragFullFalse=2"},
{L"Constants_ClipBoard", L"plCFText=1 plCFBitmap=2 plCFMetafile=3 plCFDIB=8 plCFPalette=9 plCFEMetafile=14 plCFFiles=15 plCFRTF=-16639"},
        {L"Constants_ShortcutKeys", ShortcutKeys()},
        {L"Constants_CustomizationStrings", CustomizationStrings()},
    };
    ComPtr<ITypeLib> lib = LibraryTypeLib();
    for (const EnumRow& row : rows) {
        std::string where(row.name, row.name + wcslen(row.name));
        ComPtr<ITypeInfo> info = InfoByName(lib.Get(), row.name);
        ASSERT_TRUE(info) << where;
        // A typedef may come as an alias of the enumeration.
        if (AttrOf(info.Get()).kind == TKIND_ALIAS) {
            TYPEATTR* ta = nullptr;
            info->GetTypeAttr(&ta);
            ComPtr<ITypeInfo> target;
            info->GetRefTypeInfo(ta->tdescAlias.hreftype, target.Put());
            info->ReleaseTypeAttr(ta);
            info = target;
        }
        EXPECT_EQ(TKIND_ENUM, AttrOf(info.Get()).kind) << where;
        EXPECT_EQ(row.members, EnumMembers(info.Get())) << where;
    }
}

} // namespace
} // namespace palisade::test
