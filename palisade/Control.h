#pragma once
// The control: PalisadeCtl. Holds the pool of tools, the toolbars, the control's
// own properties, its events (a connection point for DPlToolBarsEvents and one
// for property change notifications) and what a container needs to site it.

#include "palisade/Events.h"
#include "palisade/Model.h"

#include "common/com/ConnectionPoint.h"

#include <olectl.h>

#include <array>

namespace palisade {

// Properties of the control itself, with their defaults.
struct ControlProperties {
    bool activeColors = true, displayContextMenu = true, enabled = true, pictureBackgroundUseMask = false;
    bool redraw = true, showShortcutsInToolTips = false, showToolTips = true, largeIcons = false, visible = true;
    OLE_COLOR backColor = kButtonFace, foreColor = kButtonText, pictureBackgroundMaskColor = 0x00C0C0C0;
    long fontSource = 0, style = 0, menuAnimations = 0, personalizedMenus = 0, pictureBackgroundStyle = 0;
    long dragFullToolBars = 0;
    short toolTipDelay = 500, floatingToolbarFadeDelay = 0;
    ComPtr<IFontDisp> font;
    ComPtr<IPictureDisp> pictureBackground;
    Variant tag;
    std::array<std::wstring, 62> customizationStrings;
};

// A new font object of the font a new control starts with.
ComPtr<IFontDisp> DefaultFont();

class Control : public ComObject<Control, TypeInfoDispatch<IPlToolBarControlImpl>, SupportsErrorInfo<>,
                                 IConnectionPointContainer, IProvideClassInfo2, IOleObject, IOleInPlaceObject,
                                 IOleInPlaceActiveObject, IViewObject2, IOleControl, IPersistStreamInit,
                                 IPersistStorage, IPersistPropertyBag, IPointerInactive> {
public:
    Control();
    ~Control() override;
    static const QiEntry* Interfaces();
    // Creation function of the class factory.
    static HRESULT Create(REFIID iid, void** out);

    ToolsCollection& Pool() { return *tools_; }
    ToolBarsCollection& Bars() { return *toolBars_; }
    const ControlProperties& Properties() const { return props_; }
    // Every placement list: each toolbar's tools and each menu tool's tools.
    std::vector<ToolsCollection*> PlacementLists();
    // Marks the control dirty, tells the container and repaints.
    void PropertyChanged(DISPID id);
    // The pool tool a placement of id stands for, made when the pool has none.
    Tool& PoolToolFor(std::wstring_view id, long type);
    // The pool tool that already uses a shortcut, other than except.
    Tool* ToolWithShortcut(long shortcut, const Tool* except) const;
    // Fires an event of the event table; arguments in the table's order.
    void Fire(Event event, std::vector<Variant> args);
    bool InsideEvent() const { return eventDepth_ > 0; }
    // Geometry of the docked bars (Layout.cpp): the client size in pixels, the
    // thickness of one row of bars, and the tool or bar at a point.
    SIZE ClientSize() const;
    short BarThickness() const;
    Tool* ToolAt(LONG x, LONG y) const;
    // Where a placement sits on its docked bar; empty when it is not shown there.
    RECT ToolRect(const Tool* tool) const;
    HWND Window() const { return window_; }

    // IPlToolBarControlImpl
    STDMETHODIMP get_ActiveColors(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_ActiveColors(VARIANT_BOOL Value) override;
    STDMETHODIMP get_BackColor(OLE_COLOR *Value) override;
    STDMETHODIMP put_BackColor(OLE_COLOR Value) override;
    STDMETHODIMP get_CustomizationStrings(Constants_CustomizationStrings Index, BSTR *Value) override;
    STDMETHODIMP put_CustomizationStrings(Constants_CustomizationStrings Index, BSTR Value) override;
    STDMETHODIMP get_DisplayContextMenu(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_DisplayContextMenu(VARIANT_BOOL Value) override;
    STDMETHODIMP get_Enabled(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_Enabled(VARIANT_BOOL Value) override;
    STDMETHODIMP get_Font(IFontDisp **Value) override;
    STDMETHODIMP put_Font(IFontDisp *Value) override;
    STDMETHODIMP putref_Font(IFontDisp *Value) override;
    STDMETHODIMP get_FontSource(Constants_FontSource *Value) override;
    STDMETHODIMP put_FontSource(Constants_FontSource Value) override;
    STDMETHODIMP get_ForeColor(OLE_COLOR *Value) override;
    STDMETHODIMP put_ForeColor(OLE_COLOR Value) override;
    STDMETHODIMP get_Style(Constants_Style *Value) override;
    STDMETHODIMP put_Style(Constants_Style Value) override;
    STDMETHODIMP get_MenuAnimations(Constants_MenuAnimations *Value) override;
    STDMETHODIMP put_MenuAnimations(Constants_MenuAnimations Value) override;
    STDMETHODIMP get_PersonalizedMenus(Constants_PersonalizedMenus *Value) override;
    STDMETHODIMP put_PersonalizedMenus(Constants_PersonalizedMenus Value) override;
    STDMETHODIMP get_PictureBackground(IPictureDisp **Value) override;
    STDMETHODIMP put_PictureBackground(IPictureDisp *Value) override;
    STDMETHODIMP putref_PictureBackground(IPictureDisp *Value) override;
    STDMETHODIMP get_PictureBackgroundMaskColor(OLE_COLOR *Value) override;
    STDMETHODIMP put_PictureBackgroundMaskColor(OLE_COLOR Value) override;
    STDMETHODIMP get_PictureBackgroundStyle(Constants_PictureBackgroundStyle *Value) override;
    STDMETHODIMP put_PictureBackgroundStyle(Constants_PictureBackgroundStyle Value) override;
    STDMETHODIMP get_PictureBackgroundUseMask(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_PictureBackgroundUseMask(VARIANT_BOOL Value) override;
    STDMETHODIMP get_Redraw(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_Redraw(VARIANT_BOOL Value) override;
    STDMETHODIMP get_ShowShortcutsInToolTips(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_ShowShortcutsInToolTips(VARIANT_BOOL Value) override;
    STDMETHODIMP get_ShowToolTips(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_ShowToolTips(VARIANT_BOOL Value) override;
    STDMETHODIMP get_LargeIcons(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_LargeIcons(VARIANT_BOOL Value) override;
    STDMETHODIMP get_TagVariant(VARIANT *Value) override;
    STDMETHODIMP put_TagVariant(VARIANT Value) override;
    STDMETHODIMP putref_TagVariant(VARIANT Value) override;
    STDMETHODIMP get_ToolBars(IPlToolBarsCollection **Value) override;
    STDMETHODIMP get_Tools(IPlToolsCollection **Value) override;
    STDMETHODIMP get_ToolTipDelay(short *Value) override;
    STDMETHODIMP put_ToolTipDelay(short Value) override;
    STDMETHODIMP get_Visible(VARIANT_BOOL *Value) override;
    STDMETHODIMP put_Visible(VARIANT_BOOL Value) override;
    STDMETHODIMP AboutBox() override;
    STDMETHODIMP Customize(VARIANT Reserved) override;
    STDMETHODIMP LoadConfigurationEx(VARIANT *Configuration) override;
    STDMETHODIMP LoadConfiguration(BSTR ConfigFile) override;
    STDMETHODIMP LoadLayout(BSTR LayoutFile) override;
    STDMETHODIMP PlaySoundFile(BSTR Sound, VARIANT SoundFlags) override;
    STDMETHODIMP PopupMenu(VARIANT *Tool, VARIANT *Flags, VARIANT *X, VARIANT *Y) override;
    STDMETHODIMP Refresh() override;
    STDMETHODIMP SaveConfiguration(BSTR ConfigFile) override;
    STDMETHODIMP SaveConfigurationEx(VARIANT *Config) override;
    STDMETHODIMP SaveLayout(BSTR ConfigFile) override;
    STDMETHODIMP ToolBarFromPosition(float X, float Y, IPlToolBar **ToolBar) override;
    STDMETHODIMP ToolFromPosition(float X, float Y, IPlTool **Tool) override;
    STDMETHODIMP WhereIs(float X, float Y, Constants_WhereIs *Where) override;
    STDMETHODIMP GetDockHeight(Constants_DockedStatus Dock, short *Height) override;
    STDMETHODIMP GetDockWidth(Constants_DockedStatus Dock, short *Width) override;
    STDMETHODIMP AttachWindow(OLE_HANDLE hWnd) override;
    STDMETHODIMP ResetUsage() override;
    STDMETHODIMP get_DragFullToolBars(Constants_DragFullToolBars *Value) override;
    STDMETHODIMP put_DragFullToolBars(Constants_DragFullToolBars Value) override;
    STDMETHODIMP get_FloatingToolbarFadeDelay(short *Value) override;
    STDMETHODIMP put_FloatingToolbarFadeDelay(short Value) override;
    STDMETHODIMP GetXPItemColor(Constants_XPItemColor Color, OLE_COLOR *Value) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;
    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** out) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* out) override;
    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** out) override;
    STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR object) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** out) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** out) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT rect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** out) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* out) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* out) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** out) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;
    // IOleWindow (of IOleInPlaceObject and IOleInPlaceActiveObject)
    STDMETHODIMP GetWindow(HWND* out) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
    // IOleInPlaceObject
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override;
    // IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc, HDC dc,
                      LPCRECTL bounds, LPCRECTL wBounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                      ULONG_PTR contArg) override;
    STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc,
                             LOGPALETTE** out) override;
    STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* cookie) override;
    STDMETHODIMP Unfreeze(DWORD cookie) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** out) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;
    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;
    // IPointerInactive: the mouse over the control before it is activated
    STDMETHODIMP GetActivationPolicy(DWORD* policy) override;
    STDMETHODIMP OnInactiveMouseMove(LPCRECT bounds, LONG x, LONG y, DWORD keys) override;
    STDMETHODIMP OnInactiveSetCursor(LPCRECT bounds, LONG x, LONG y, DWORD mouseMsg, BOOL setAlways) override;
    // IPersist, IPersistStreamInit, IPersistStorage, IPersistPropertyBag
    STDMETHODIMP GetClassID(CLSID* out) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(IStream* stream) override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage* storage) override;
    STDMETHODIMP HandsOffStorage() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

private:
    friend class Persistence;  // the persisted stream (Persist.cpp)
    template <class T, class V>
    HRESULT Set(T ControlProperties::*field, V value, DISPID id);
    void ActivateInPlace(bool uiActivate, IOleClientSite* site, HWND parent, LPCRECT rect);
    void Paint(HDC dc, const RECT& bounds) const;
    void PaintTool(HDC dc, Tool& tool, RECT r) const;
    void ClickTool(Tool& tool);
    void SendViewChange();
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    short DockThickness(long dock) const;
    long DockAt(LONG x, LONG y) const;
    ToolBar* ToolBarAt(LONG x, LONG y) const;
    void CheckFileName(BSTR file, bool mustExist) const;

    ComPtr<ToolsCollection> tools_;
    ComPtr<ToolBarsCollection> toolBars_;
    ControlProperties props_;
    bastide::com::ConnectionPoint events_, propertyNotify_;
    int eventDepth_ = 0;
    int frozenEvents_ = 0;
    bool dirty_ = false;
    bool popupShown_ = false;
    HWND attachedWindow_ = nullptr;

    // Container siting.
    ComPtr<IOleClientSite> clientSite_;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    ComPtr<IOleAdviseHolder> adviseHolder_;
    ComPtr<IAdviseSink> viewSink_;
    DWORD viewAspects_ = 0, viewAdviseFlags_ = 0;
    SIZEL extent_;  // HIMETRIC
    HWND window_ = nullptr;
    bool uiActive_ = false;
};

} // namespace palisade
