// PalisadeCtl: the control's own properties and methods, its pool of tools and
// toolbars, and the firing of its events.

#include "palisade/Control.h"

#include "palisade/Access.h"
#include "palisade/Module.h"
#include "palisade/Persist.h"
#include "palisade/resource.h"

#include "palisade/Ui.h"

#include <mmsystem.h>

#include <algorithm>
#include <iterator>

namespace palisade {

namespace {

constexpr long kMenuType = 7;
constexpr long kLastCustomizationString = IDS_CUSTOMIZATION_COUNT - 1;

// Pixel size of the control when it is created (the container may change it).
constexpr LONG kDefaultWidth = 100, kDefaultHeight = 50;

LONG PixelsToHimetric(LONG pixels, int dpi) { return MulDiv(pixels, 2540, dpi); }

int ScreenDpi(int axis) {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, axis) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

// What GetXPItemColor answers: the system colour each element is drawn with.
constexpr int kXPItemColors[] = {
    COLOR_BTNFACE,        // toolbar
    COLOR_MENUBAR,        // menu bar
    COLOR_HIGHLIGHT,      // active highlight border
    COLOR_MENUHILIGHT,    // highlight under the mouse
    COLOR_HIGHLIGHT,      // highlight while pressed
    COLOR_BTNSHADOW,      // border of a dropped menu
    COLOR_BTNFACE,        // icon area of a menu
    COLOR_3DLIGHT,        // icon area of an expanded menu
    COLOR_MENU,           // background of a dropped menu
    COLOR_BTNSHADOW,      // floating toolbar border
    COLOR_ACTIVECAPTION,  // floating toolbar caption
    COLOR_GRAYTEXT,       // shadow of a disabled tool
    COLOR_BTNSHADOW,      // separator
    COLOR_3DLIGHT,        // pressed state button
};

} // namespace

// 8-point MS Sans Serif, the font of a new control.
ComPtr<IFontDisp> DefaultFont() {
    FONTDESC desc = {sizeof(desc)};
    desc.lpstrName = const_cast<LPOLESTR>(L"MS Sans Serif");
    desc.cySize.int64 = 80000;  // 8 points, in units of 1/10000 point
    desc.sWeight = FW_NORMAL;
    desc.sCharset = DEFAULT_CHARSET;
    ComPtr<IFontDisp> font;
    OleCreateFontIndirect(&desc, IID_IFontDisp, font.PutVoid());
    return font;
}

Control::Control()
    : tools_(bastide::com::MakeObject<ToolsCollection>(this, true)),
      toolBars_(bastide::com::MakeObject<ToolBarsCollection>(this)),
      events_(this, DIID_DPlToolBarsEvents),
      propertyNotify_(this, IID_IPropertyNotifySink) {
    SetTypeInfo(TypeInfoOf(IID_IPlToolBarControlImpl), TypeInfoOf(DIID_IPlToolBarControl));
    props_.font = DefaultFont();
    for (long i = 0; i <= kLastCustomizationString; ++i)
        props_.customizationStrings[i] = LoadText(IDS_CUSTOMIZATION_FIRST + i);
    extent_ = {PixelsToHimetric(kDefaultWidth, ScreenDpi(LOGPIXELSX)),
               PixelsToHimetric(kDefaultHeight, ScreenDpi(LOGPIXELSY))};
    RegisterControlClass(&Control::WindowProc);
}

Control::~Control() {
    Persistence::Forget(*this);
    if (window_) DestroyWindow(window_);
    // The tree may still be held by callers: cut it loose so it can free itself.
    tools_->Detach();
    toolBars_->Detach();
    events_.Clear();
    propertyNotify_.Clear();
}

const QiEntry* Control::Interfaces() {
    using C = Control;
    static const QiEntry table[] = {
        QiEntry::Of<C, IPlToolBarControlImpl>(IID_IPlToolBarControlImpl),
        QiEntry::Of<C, IPlToolBarControlImpl>(DIID_IPlToolBarControl),
        QiEntry::Of<C, IPlToolBarControlImpl>(IID_IDispatch),
        QiEntry::Of<C, ISupportErrorInfo>(IID_ISupportErrorInfo),
        QiEntry::Of<C, IConnectionPointContainer>(IID_IConnectionPointContainer),
        QiEntry::Of<C, IProvideClassInfo2>(IID_IProvideClassInfo),
        QiEntry::Of<C, IProvideClassInfo2>(IID_IProvideClassInfo2),
        QiEntry::Of<C, IOleObject>(IID_IOleObject),
        QiEntry::Of<C, IOleInPlaceObject>(IID_IOleWindow),
        QiEntry::Of<C, IOleInPlaceObject>(IID_IOleInPlaceObject),
        QiEntry::Of<C, IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject),
        QiEntry::Of<C, IViewObject2>(IID_IViewObject),
        QiEntry::Of<C, IViewObject2>(IID_IViewObject2),
        QiEntry::Of<C, IOleControl>(IID_IOleControl),
        QiEntry::Of<C, IPersistStreamInit>(IID_IPersist),
        QiEntry::Of<C, IPersistStreamInit>(IID_IPersistStreamInit),
        QiEntry::Of<C, IPersistStorage>(IID_IPersistStorage),
        QiEntry::Of<C, IPersistPropertyBag>(IID_IPersistPropertyBag),
        QiEntry::Of<C, IPointerInactive>(IID_IPointerInactive),
        {}};
    return table;
}

HRESULT Control::Create(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return bastide::com::Guard([&] {
        ComPtr<Control> control = bastide::com::MakeObject<Control>();
        return control->QueryInterface(iid, out);
    });
}

// ---- Tree services ----------------------------------------------------------------------

std::vector<ToolsCollection*> Control::PlacementLists() {
    std::vector<ToolsCollection*> lists;
    for (const ComPtr<ToolBar>& bar : toolBars_->Items()) lists.push_back(&bar->Tools());
    for (const ComPtr<Tool>& tool : tools_->Items())
        if (tool->Def().menu) lists.push_back(&tool->Def().menu->Tools());
    return lists;
}

Tool& Control::PoolToolFor(std::wstring_view id, long type) {
    std::wstring key = type == 8 ? L"separator" : std::wstring(id);
    if (Tool* existing = tools_->Find(key)) return *existing;
    if (key.empty()) Raise(kInvalidName);
    ComPtr<Tool> tool = bastide::com::MakeObject<Tool>(this, key, type);
    tools_->Insert(tool, SIZE_MAX);
    return *tool;
}

Tool* Control::ToolWithShortcut(long shortcut, const Tool* except) const {
    for (const ComPtr<Tool>& tool : tools_->Items())
        if (tool.Get() != except && tool->Def().shortcut == shortcut) return tool.Get();
    return nullptr;
}

void Control::PropertyChanged(DISPID id) {
    dirty_ = true;
    if (id != DISPID_UNKNOWN) {
        for (const ComPtr<IUnknown>& sink : propertyNotify_.Sinks()) {
            ComPtr<IPropertyNotifySink> notify;
            if (SUCCEEDED(sink.As(IID_IPropertyNotifySink, notify))) notify->OnChanged(id);
        }
    }
    if (window_ && props_.redraw) InvalidateRect(window_, nullptr, TRUE);
    SendViewChange();
}

void Control::Fire(Event event, std::vector<Variant> args) {
    const EventEntry& entry = EntryOf(event);
    if (args.size() != entry.argCount) throw bastide::com::ComError(E_INVALIDARG);
    for (size_t i = 0; i < args.size(); ++i)
        if (args[i].Type() != entry.args[i]) throw bastide::com::ComError(DISP_E_TYPEMISMATCH);
    if (frozenEvents_ > 0 || !events_.HasSinks()) return;
    ComPtr<Control> keepAlive(this);  // a handler may release the host's last reference
    ++eventDepth_;
    events_.Fire(entry.dispid, args);
    --eventDepth_;
}

template <class T, class V>
HRESULT Control::Set(T ControlProperties::*field, V value, DISPID id) {
    return bastide::com::Guard([&] {
        if (props_.*field == static_cast<T>(value)) return;
        props_.*field = static_cast<T>(value);
        PropertyChanged(id);
    });
}

// ---- Properties ---------------------------------------------------------------------------

namespace {
template <class T, class F>
HRESULT Read(T* out, F&& value) {
    return GuardOut(out, [&] { *out = value(); });
}
} // namespace

HRESULT Control::get_ActiveColors(VARIANT_BOOL* v) { return Read(v, [&] { return VBool(props_.activeColors); }); }
HRESULT Control::put_ActiveColors(VARIANT_BOOL v) { return Set(&ControlProperties::activeColors, v != 0, 1045); }
HRESULT Control::get_BackColor(OLE_COLOR* v) { return Read(v, [&] { return props_.backColor; }); }
HRESULT Control::put_BackColor(OLE_COLOR v) { return Set(&ControlProperties::backColor, v, -501); }

HRESULT Control::get_CustomizationStrings(Constants_CustomizationStrings index, BSTR* v) {
    return Read(v, [&] { return AllocBstr(props_.customizationStrings[CheckRange(index, 0, kLastCustomizationString)]); });
}
HRESULT Control::put_CustomizationStrings(Constants_CustomizationStrings index, BSTR v) {
    return Guard([&] {
        std::wstring& text = props_.customizationStrings[CheckRange(index, 0, kLastCustomizationString)];
        if (text == BstrView(v)) return;
        text = BstrView(v);
        PropertyChanged(1053);
    });
}

HRESULT Control::get_DisplayContextMenu(VARIANT_BOOL* v) { return Read(v, [&] { return VBool(props_.displayContextMenu); }); }
HRESULT Control::put_DisplayContextMenu(VARIANT_BOOL v) { return Set(&ControlProperties::displayContextMenu, v != 0, 1055); }
HRESULT Control::get_Enabled(VARIANT_BOOL* v) { return Read(v, [&] { return VBool(props_.enabled); }); }
HRESULT Control::put_Enabled(VARIANT_BOOL v) {
    HRESULT hr = Set(&ControlProperties::enabled, v != 0, -514);
    if (SUCCEEDED(hr) && window_) EnableWindow(window_, v != 0);
    return hr;
}

HRESULT Control::get_Font(IFontDisp** v) {
    return Read(v, [&] {
        IFontDisp* f = nullptr;
        props_.font.CopyTo(&f);
        return f;
    });
}
// Assigning a font by value gives the control its own copy, so later changes of
// the caller's font object do not reach the control.
HRESULT Control::put_Font(IFontDisp* v) {
    return Guard([&] {
        if (!v) Raise(kInvalidPropertyValue);
        ComPtr<IFont> font, copy;
        if (FAILED(v->QueryInterface(IID_IFont, font.PutVoid()))) Raise(kInvalidPropertyValue);
        bastide::com::ThrowIfFailed(font->Clone(copy.Put()));
        ComPtr<IFontDisp> disp;
        bastide::com::ThrowIfFailed(copy.As(IID_IFontDisp, disp));
        props_.font = disp;
        PropertyChanged(-512);
    });
}
HRESULT Control::putref_Font(IFontDisp* v) {
    return Guard([&] {
        if (!v) Raise(kInvalidPropertyValue);
        props_.font = ComPtr<IFontDisp>(v);
        PropertyChanged(-512);
    });
}

HRESULT Control::get_FontSource(Constants_FontSource* v) {
    return Read(v, [&] { return static_cast<Constants_FontSource>(props_.fontSource); });
}
HRESULT Control::put_FontSource(Constants_FontSource v) {
    return Guard([&] { return Set(&ControlProperties::fontSource, CheckRange(v, 0, 1), 1056); });
}
HRESULT Control::get_ForeColor(OLE_COLOR* v) { return Read(v, [&] { return props_.foreColor; }); }
HRESULT Control::put_ForeColor(OLE_COLOR v) { return Set(&ControlProperties::foreColor, v, -513); }

HRESULT Control::get_Style(Constants_Style* v) { return Read(v, [&] { return static_cast<Constants_Style>(props_.style); }); }
HRESULT Control::put_Style(Constants_Style v) {
    return Guard([&] { return Set(&ControlProperties::style, CheckRange(v, 0, 2), 1133); });
}
HRESULT Control::get_MenuAnimations(Constants_MenuAnimations* v) {
    return Read(v, [&] { return static_cast<Constants_MenuAnimations>(props_.menuAnimations); });
}
HRESULT Control::put_MenuAnimations(Constants_MenuAnimations v) {
    return Guard([&] { return Set(&ControlProperties::menuAnimations, CheckRange(v, 0, 5), 1057); });
}
HRESULT Control::get_PersonalizedMenus(Constants_PersonalizedMenus* v) {
    return Read(v, [&] { return static_cast<Constants_PersonalizedMenus>(props_.personalizedMenus); });
}
HRESULT Control::put_PersonalizedMenus(Constants_PersonalizedMenus v) {
    return Guard([&] { return Set(&ControlProperties::personalizedMenus, CheckRange(v, 0, 2), 1127); });
}

HRESULT Control::get_PictureBackground(IPictureDisp** v) {
    return Read(v, [&] {
        IPictureDisp* p = nullptr;
        props_.pictureBackground.CopyTo(&p);
        return p;
    });
}
HRESULT Control::put_PictureBackground(IPictureDisp* v) { return putref_PictureBackground(v); }
HRESULT Control::putref_PictureBackground(IPictureDisp* v) {
    return Guard([&] {
        if (props_.pictureBackground.Get() == v) return;
        props_.pictureBackground = ComPtr<IPictureDisp>(v);
        PropertyChanged(56);
    });
}

HRESULT Control::get_PictureBackgroundMaskColor(OLE_COLOR* v) {
    return Read(v, [&] { return props_.pictureBackgroundMaskColor; });
}
HRESULT Control::put_PictureBackgroundMaskColor(OLE_COLOR v) {
    return Set(&ControlProperties::pictureBackgroundMaskColor, v, 1036);
}
HRESULT Control::get_PictureBackgroundStyle(Constants_PictureBackgroundStyle* v) {
    return Read(v, [&] { return static_cast<Constants_PictureBackgroundStyle>(props_.pictureBackgroundStyle); });
}
HRESULT Control::put_PictureBackgroundStyle(Constants_PictureBackgroundStyle v) {
    return Guard([&] { return Set(&ControlProperties::pictureBackgroundStyle, CheckRange(v, 0, 2), 61); });
}
HRESULT Control::get_PictureBackgroundUseMask(VARIANT_BOOL* v) {
    return Read(v, [&] { return VBool(props_.pictureBackgroundUseMask); });
}
HRESULT Control::put_PictureBackgroundUseMask(VARIANT_BOOL v) {
    return Set(&ControlProperties::pictureBackgroundUseMask, v != 0, 1037);
}
HRESULT Control::get_Redraw(VARIANT_BOOL* v) { return Read(v, [&] { return VBool(props_.redraw); }); }
HRESULT Control::put_Redraw(VARIANT_BOOL v) { return Set(&ControlProperties::redraw, v != 0, 1009); }
HRESULT Control::get_ShowShortcutsInToolTips(VARIANT_BOOL* v) {
    return Read(v, [&] { return VBool(props_.showShortcutsInToolTips); });
}
HRESULT Control::put_ShowShortcutsInToolTips(VARIANT_BOOL v) {
    return Set(&ControlProperties::showShortcutsInToolTips, v != 0, 1058);
}
HRESULT Control::get_ShowToolTips(VARIANT_BOOL* v) { return Read(v, [&] { return VBool(props_.showToolTips); }); }
HRESULT Control::put_ShowToolTips(VARIANT_BOOL v) { return Set(&ControlProperties::showToolTips, v != 0, 1059); }
HRESULT Control::get_LargeIcons(VARIANT_BOOL* v) { return Read(v, [&] { return VBool(props_.largeIcons); }); }
HRESULT Control::put_LargeIcons(VARIANT_BOOL v) {
    return Guard([&] {
        bool before = props_.largeIcons;
        Set(&ControlProperties::largeIcons, v != 0, 1095);
        if (before != props_.largeIcons) Fire(Event::IconSizeChanged, {});
    });
}

HRESULT Control::get_TagVariant(VARIANT* v) { return GuardOut(v, [&] { props_.tag.CopyTo(v); }); }
HRESULT Control::put_TagVariant(VARIANT v) {
    return Guard([&] {
        props_.tag = Variant(v);
        PropertyChanged(39);
    });
}
HRESULT Control::putref_TagVariant(VARIANT v) { return put_TagVariant(v); }

HRESULT Control::get_ToolBars(IPlToolBarsCollection** v) {
    return Read(v, [&] { return Hand<IPlToolBarsCollection>(toolBars_.Get()); });
}
HRESULT Control::get_Tools(IPlToolsCollection** v) {
    return Read(v, [&] { return Hand<IPlToolsCollection>(tools_.Get()); });
}

HRESULT Control::get_ToolTipDelay(short* v) { return Read(v, [&] { return props_.toolTipDelay; }); }
HRESULT Control::put_ToolTipDelay(short v) {
    return Guard([&] { return Set(&ControlProperties::toolTipDelay, CheckRange(v, 0, SHRT_MAX), 1061); });
}
HRESULT Control::get_Visible(VARIANT_BOOL* v) { return Read(v, [&] { return VBool(props_.visible); }); }
HRESULT Control::put_Visible(VARIANT_BOOL v) {
    HRESULT hr = Set(&ControlProperties::visible, v != 0, 1025);
    if (SUCCEEDED(hr) && window_) ShowWindow(window_, v ? SW_SHOWNA : SW_HIDE);
    return hr;
}
HRESULT Control::get_DragFullToolBars(Constants_DragFullToolBars* v) {
    return Read(v, [&] { return static_cast<Constants_DragFullToolBars>(props_.dragFullToolBars); });
}
HRESULT Control::put_DragFullToolBars(Constants_DragFullToolBars v) {
    return Guard([&] { return Set(&ControlProperties::dragFullToolBars, CheckRange(v, 0, 2), 1135); });
}
HRESULT Control::get_FloatingToolbarFadeDelay(short* v) { return Read(v, [&] { return props_.floatingToolbarFadeDelay; }); }
HRESULT Control::put_FloatingToolbarFadeDelay(short v) {
    return Guard([&] { return Set(&ControlProperties::floatingToolbarFadeDelay, CheckRange(v, 0, SHRT_MAX), 1136); });
}

// ---- Methods -----------------------------------------------------------------------------

HRESULT Control::AboutBox() {
    return Guard([&] {
        std::wstring text = L"Palisade Plus control\nVersion 5.0\n\n" + bastide::com::ModulePath(Module());
        MessageBoxW(window_ ? GetAncestor(window_, GA_ROOT) : GetActiveWindow(), text.c_str(),
                    L"About Palisade", MB_OK | MB_ICONINFORMATION);
    });
}

HRESULT Control::Customize(VARIANT reserved) {
    return Guard([&] {
        ComPtr<ReturnBoolean> cancel = bastide::com::MakeObject<ReturnBoolean>(false);
        Fire(Event::OnCustomize, {Variant::FromDispatch(static_cast<IPlReturnBooleanImpl*>(cancel.Get()))});
        if (cancel->value) return;
        RunCustomizeDialog(*this, window_ ? GetAncestor(window_, GA_ROOT) : GetActiveWindow());
        Fire(Event::AfterCustomize, {});
    });
}

void Control::CheckFileName(BSTR file, bool mustExist) const {
    std::wstring name(BstrView(file));
    if (name.empty() || name.find_first_of(L"*?\"<>|") != std::wstring::npos) Raise(kBadFileName);
    if (mustExist && GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) Raise(kFileNotFound);
}

// Configurations (the whole control) and layouts (its toolbars) are files in the
// control's persisted format.
HRESULT Control::LoadConfigurationEx(VARIANT* configuration) {
    return Guard([&] {
        if (InsideEvent()) Raise(kLoadInsideEvent);
        Persistence::LoadConfiguration(*this, Persistence::BytesIn(configuration));
    });
}
HRESULT Control::LoadConfiguration(BSTR file) {
    return Guard([&] {
        if (InsideEvent()) Raise(kLoadInsideEvent);
        CheckFileName(file, true);
        Persistence::LoadConfigurationFile(*this, std::wstring(BstrView(file)));
    });
}
HRESULT Control::LoadLayout(BSTR file) {
    return Guard([&] {
        if (InsideEvent()) Raise(kLoadInsideEvent);
        CheckFileName(file, true);
        Persistence::LoadLayout(*this, std::wstring(BstrView(file)));
    });
}
HRESULT Control::SaveConfiguration(BSTR file) {
    return Guard([&] {
        CheckFileName(file, false);
        Persistence::SaveConfiguration(*this, std::wstring(BstrView(file)));
    });
}
HRESULT Control::SaveConfigurationEx(VARIANT* config) {
    return GuardOut(config, [&] { Persistence::BytesVariant(Persistence::Save(*this)).CopyTo(config); });
}
HRESULT Control::SaveLayout(BSTR file) {
    return Guard([&] {
        CheckFileName(file, false);
        Persistence::SaveLayout(*this, std::wstring(BstrView(file)));
    });
}

// Plays a wave file (or, with plPlaySystemSound, a system sound by name) through
// the system. plWaitAndPlay waits for the end; plPlayDefault falls back to the
// default sound. An empty name stops what is playing.
HRESULT Control::PlaySoundFile(BSTR sound, VARIANT flagsArg) {
    return Guard([&] {
        long flags = bastide::com::IsMissing(&flagsArg) ? 0 : V_I4(Coerce(&flagsArg, VT_I4).Ptr());
        std::wstring name(BstrView(sound));
        if (name.empty()) {
            PlaySoundW(nullptr, nullptr, 0);
            return;
        }
        DWORD how = (flags & 32) ? SND_ALIAS : SND_FILENAME;
        how |= (flags & 1) ? SND_SYNC : SND_ASYNC;
        if (!(flags & 4)) how |= SND_NODEFAULT;
        PlaySoundW(name.c_str(), nullptr, how);
    });
}

HRESULT Control::PopupMenu(VARIANT* toolArg, VARIANT* flags, VARIANT* x, VARIANT* y) {
    return Guard([&] {
        Tool* tool = tools_->Resolve(toolArg);
        if (!tool) Raise(kInvalidIndex);
        if (tool->Def().type != kMenuType) Raise(kNotAMenu);
        if (popupShown_) Raise(kPopupAlreadyShown);
        HWND host = window_ ? GetAncestor(window_, GA_ROOT) : attachedWindow_;
        if (!props_.enabled || (host && !IsWindowEnabled(host))) Raise(kFormDisabled);
        long align = bastide::com::IsMissing(bastide::com::Deref(flags)) ? 0 : V_I4(Coerce(flags, VT_I4).Ptr());
        POINT at;
        GetCursorPos(&at);
        if (!bastide::com::IsMissing(bastide::com::Deref(x)) && !bastide::com::IsMissing(bastide::com::Deref(y))) {
            at = {static_cast<LONG>(V_R4(Coerce(x, VT_R4).Ptr())), static_cast<LONG>(V_R4(Coerce(y, VT_R4).Ptr()))};
            if (window_) ClientToScreen(window_, &at);
        }
        popupShown_ = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{popupShown_};
        ComPtr<Tool> keep(tool);
        if (Tool* chosen = ShowPopupMenu(*this, *tool, host, at, align))
            Fire(Event::ToolClick, {Variant::FromDispatch(chosen->Dispatch())});
    });
}

HRESULT Control::Refresh() {
    return Guard([&] {
        if (window_) RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        SendViewChange();
    });
}

// ---- Geometry of the dock areas (the layout itself is in Layout.cpp) ------------------------

HRESULT Control::GetDockHeight(Constants_DockedStatus dock, short* out) {
    return Read(out, [&] {
        if (dock != 1 && dock != 2 && dock != 4 && dock != 8) Raise(kInvalidDockArea);
        if (dock == 1 || dock == 2) return DockThickness(dock);
        SIZE size = ClientSize();
        return static_cast<short>(std::max<LONG>(0, size.cy - DockThickness(1) - DockThickness(2)));
    });
}

HRESULT Control::GetDockWidth(Constants_DockedStatus dock, short* out) {
    return Read(out, [&] {
        if (dock != 1 && dock != 2 && dock != 4 && dock != 8) Raise(kInvalidDockArea);
        if (dock == 4 || dock == 8) return DockThickness(dock);
        return static_cast<short>(ClientSize().cx);
    });
}

HRESULT Control::WhereIs(float x, float y, Constants_WhereIs* out) {
    return Read(out, [&] {
        LONG px = static_cast<LONG>(x), py = static_cast<LONG>(y);
        if (Tool* tool = ToolAt(px, py)) return tool->Def().type == kMenuType ? plWhereIsMenu : plWhereIsTool;
        if (ToolBarAt(px, py)) return plWhereIsToolBar;
        long dock = DockAt(px, py);
        switch (dock) {
        case 1: return plWhereIsTopDock;
        case 2: return plWhereIsBottomDock;
        case 4: return plWhereIsLeftDock;
        case 8: return plWhereIsRightDock;
        default: return plWhereIsNone;
        }
    });
}

HRESULT Control::ToolBarFromPosition(float x, float y, IPlToolBar** out) {
    return Read(out, [&] { return Hand<IPlToolBar>(ToolBarAt(static_cast<LONG>(x), static_cast<LONG>(y))); });
}

HRESULT Control::ToolFromPosition(float x, float y, IPlTool** out) {
    return Read(out, [&] { return Hand<IPlTool>(ToolAt(static_cast<LONG>(x), static_cast<LONG>(y))); });
}

HRESULT Control::AttachWindow(OLE_HANDLE handle) {
    return Guard([&] {
        HWND hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle));
        if (hwnd && !IsWindow(hwnd)) Raise(kInvalidPropertyValue);
        attachedWindow_ = hwnd;
    });
}

HRESULT Control::ResetUsage() {
    return Guard([&] {
        for (const ComPtr<Tool>& tool : tools_->Items()) tool->Def().recentlyUsed = false;
        PropertyChanged(DISPID_UNKNOWN);
    });
}

HRESULT Control::GetXPItemColor(Constants_XPItemColor color, OLE_COLOR* out) {
    return Read(out, [&] {
        long i = CheckRange(color, 0, static_cast<long>(std::size(kXPItemColors)) - 1);
        return static_cast<OLE_COLOR>(0x80000000u | static_cast<unsigned>(kXPItemColors[i]));
    });
}

} // namespace palisade
