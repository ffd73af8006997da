#include "mainwindow/ControlHost.h"

#include "common/Guard.h"
#include "common/com/Bstr.h"
#include "common/com/ComObject.h"

#include <olectl.h>

#include <vector>

using bastide::com::Bstr;
using bastide::com::ComPtr;
using bastide::com::Variant;

namespace {

// The control's class and its event interface, as its type library gives them.
const CLSID ClsidPalisadeCtl = {0x41E6DDD6, 0xFBD6, 0x4718, {0x80, 0xF7, 0x9B, 0x16, 0x05, 0x33, 0xC2, 0xF5}};
const IID DiidToolBarsEvents = {0x242757A9, 0xA5AC, 0x4F35, {0x9E, 0x75, 0x6D, 0x9D, 0x49, 0x15, 0x3B, 0x83}};

// The members the window uses, bound by DISPID.
constexpr DISPID DispidItem = 0;
constexpr DISPID DispidTools = 1024;
constexpr DISPID DispidVisible = 1025;
constexpr DISPID DispidId = 1042;
constexpr DISPID DispidEnabled = DISPID_ENABLED;
constexpr DISPID DispidPopupMenu = 1067;
constexpr DISPID DispidToolClick = 1071;

// A late-bound call; args in natural order (first argument first).
HRESULT Call(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr) {
    if (!object) return E_POINTER;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    EXCEPINFO exception{};
    UINT argumentError = 0;
    HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception, &argumentError);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
}

VARIANT BoolArgument(bool on) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = on ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

std::wstring ToolId(IDispatch* tool) {
    Variant id;
    if (FAILED(Call(tool, DispidId, DISPATCH_PROPERTYGET, {}, id.Ptr())) || id.Type() != VT_BSTR) return L"";
    return std::wstring(bastide::com::BstrView(V_BSTR(id.Ptr())));
}

// The control made from the library file itself, through its class factory, as a
// program copied without an installer (or run without the rights to register) needs.
ComPtr<IUnknown> FromLibrary(const std::wstring& folder) {
    ComPtr<IUnknown> object;
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += ControlHost::LibraryName;
    HMODULE library = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!library) return object;
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
    ComPtr<IClassFactory> factory;
    if (get && SUCCEEDED(get(ClsidPalisadeCtl, IID_IClassFactory, factory.PutVoid())) && factory) {
        factory->CreateInstance(nullptr, IID_IUnknown, object.PutVoid());
    }
    factory.Reset();
    // The library stays loaded as long as the process: its objects may outlive this call.
    if (!object) FreeLibrary(library);
    return object;
}

}  // namespace

// The container side of the control: the form's window, in-place activation allowed,
// nothing to save (the control's stream comes with the program).
class ControlHost::Site : public bastide::com::ComObject<Site, IOleClientSite, IOleInPlaceSite> {
public:
    explicit Site(HWND form) : form_(form) {}
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
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** out) override {
        if (out) *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow, IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* out) override {
        if (!out) return E_POINTER;
        *out = form_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, RECT* position,
                                  RECT* clip, OLEINPLACEFRAMEINFO* info) override {
        if (frame) *frame = nullptr;
        if (document) *document = nullptr;
        // The control has nothing to show on the form: it lies there without size.
        if (position) SetRectEmpty(position);
        if (clip) SetRectEmpty(clip);
        if (info) {
            info->fMDIApp = FALSE;
            info->hwndFrame = form_;
            info->haccel = nullptr;
            info->cAccelEntries = 0;
        }
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

private:
    HWND form_;
};

// Receives the control's events; only ToolClick matters to the window.
class ControlHost::Sink : public bastide::com::ComObject<Sink, IDispatch> {
public:
    explicit Sink(ToolClickHandler* handler) : handler_(handler) {}
    static const bastide::com::QiEntry* Interfaces() {
        static const bastide::com::QiEntry table[] = {bastide::com::QiEntry::Of<Sink, IDispatch>(IID_IDispatch),
                                                      bastide::com::QiEntry::Of<Sink, IDispatch>(DiidToolBarsEvents),
                                                      {}};
        return table;
    }
    void Disconnect() { handler_ = nullptr; }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        if (id != DispidToolClick || !params || params->cArgs < 1 || !handler_ || !*handler_) return S_OK;
        const VARIANT* argument = bastide::com::Deref(&params->rgvarg[params->cArgs - 1]);
        IDispatch* tool = V_VT(argument) == VT_DISPATCH                ? V_DISPATCH(argument)
                          : V_VT(argument) == (VT_DISPATCH | VT_BYREF) ? *V_DISPATCHREF(argument)
                                                                        : nullptr;
        if (!tool) return S_OK;
        std::wstring toolId = ToolId(tool);
        ToolClickHandler handler = *handler_;
        guard::Call<void>("ControlHost::ToolClick", [&] { handler(toolId); });
        return S_OK;
    }

private:
    ToolClickHandler* handler_;
};

ControlHost::ControlHost(HWND form, ToolClickHandler onToolClick) : form_(form), onToolClick_(std::move(onToolClick)) {
    // The control and the drag and drop of the window are OLE objects of this thread.
    oleStarted_ = SUCCEEDED(OleInitialize(nullptr));
}

ControlHost::~ControlHost() {
    Close();
    if (oleStarted_) OleUninitialize();
}

std::wstring ControlHost::ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return L"";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

bool ControlHost::Create(const std::wstring& progId, const std::wstring& folder, IStream* stream) {
    Close();
    if (!oleStarted_) return false;
    LARGE_INTEGER start{};
    CLSID clsid{};
    ComPtr<IUnknown> object;
    if (SUCCEEDED(CLSIDFromProgID(progId.c_str(), &clsid)) &&
        SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.PutVoid())) &&
        Attach(object.Get(), stream)) {
        origin_ = Origin::Registered;
        return true;
    }
    object = FromLibrary(folder);
    // Each way reads the stream from its start.
    if (stream) stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (object && Attach(object.Get(), stream)) {
        origin_ = Origin::ProgramFolder;
        return true;
    }
    return false;
}

bool ControlHost::Attach(IUnknown* object, IStream* stream) {
    ComPtr<IDispatch> control;
    ComPtr<IOleObject> ole;
    ComPtr<IPersistStreamInit> persist;
    ComPtr<IConnectionPointContainer> points;
    if (FAILED(object->QueryInterface(IID_IDispatch, control.PutVoid())) ||
        FAILED(object->QueryInterface(IID_IOleObject, ole.PutVoid())) ||
        FAILED(object->QueryInterface(IID_IPersistStreamInit, persist.PutVoid())) ||
        FAILED(object->QueryInterface(IID_IConnectionPointContainer, points.PutVoid()))) {
        return false;
    }
    ComPtr<Site> site = bastide::com::MakeObject<Site>(form_);
    ComPtr<IOleClientSite> clientSite(static_cast<IOleClientSite*>(site.Get()));
    if (FAILED(ole->SetClientSite(clientSite.Get()))) return false;
    auto undo = [&] {
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
        return false;
    };
    if (FAILED(stream ? persist->Load(stream) : persist->InitNew())) return undo();
    // Only the popup menu of the control is used; nothing of it shows on the window.
    if (FAILED(Call(control.Get(), DispidVisible, DISPATCH_PROPERTYPUT, {BoolArgument(false)}))) return undo();
    RECT none{};
    if (FAILED(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite.Get(), 0, form_, &none))) return undo();
    ComPtr<IConnectionPoint> events;
    ComPtr<Sink> sink = bastide::com::MakeObject<Sink>(&onToolClick_);
    DWORD cookie = 0;
    if (FAILED(points->FindConnectionPoint(DiidToolBarsEvents, events.Put())) ||
        FAILED(events->Advise(static_cast<IDispatch*>(sink.Get()), &cookie))) {
        return undo();
    }
    control_ = control;
    oleObject_ = ole;
    events_ = events;
    cookie_ = cookie;
    sink_ = sink;
    site_ = site;
    return true;
}

void ControlHost::Close() {
    if (events_) events_->Unadvise(cookie_);
    events_.Reset();
    cookie_ = 0;
    if (sink_) sink_->Disconnect();
    sink_.Reset();
    if (oleObject_) {
        oleObject_->Close(OLECLOSE_NOSAVE);
        oleObject_->SetClientSite(nullptr);
    }
    oleObject_.Reset();
    control_.Reset();
    site_.Reset();
    origin_ = Origin::None;
}

ComPtr<IDispatch> ControlHost::Tool(const std::wstring& id) const {
    ComPtr<IDispatch> tool;
    Variant tools;
    if (!control_ || FAILED(Call(control_.Get(), DispidTools, DISPATCH_PROPERTYGET, {}, tools.Ptr())) ||
        tools.Type() != VT_DISPATCH || !V_DISPATCH(tools.Ptr())) {
        return tool;
    }
    Variant key = Variant::FromString(id);
    Variant item;
    if (FAILED(Call(V_DISPATCH(tools.Ptr()), DispidItem, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {key.Get()},
                    item.Ptr())) ||
        item.Type() != VT_DISPATCH) {
        return tool;
    }
    tool = ComPtr<IDispatch>(V_DISPATCH(item.Ptr()));
    return tool;
}

bool ControlHost::SetToolEnabled(const std::wstring& id, bool on) {
    ComPtr<IDispatch> tool = Tool(id);
    return tool && SUCCEEDED(Call(tool.Get(), DispidEnabled, DISPATCH_PROPERTYPUT, {BoolArgument(on)}));
}

bool ControlHost::SetToolVisible(const std::wstring& id, bool on) {
    ComPtr<IDispatch> tool = Tool(id);
    return tool && SUCCEEDED(Call(tool.Get(), DispidVisible, DISPATCH_PROPERTYPUT, {BoolArgument(on)}));
}

namespace {
bool ReadBool(IDispatch* tool, DISPID id) {
    Variant value;
    return tool && SUCCEEDED(Call(tool, id, DISPATCH_PROPERTYGET, {}, value.Ptr())) && value.Type() == VT_BOOL &&
           V_BOOL(value.Ptr()) != VARIANT_FALSE;
}
}  // namespace

bool ControlHost::ToolEnabled(const std::wstring& id) const { return ReadBool(Tool(id).Get(), DispidEnabled); }

bool ControlHost::ToolVisible(const std::wstring& id) const { return ReadBool(Tool(id).Get(), DispidVisible); }

bool ControlHost::PopupMenu(const std::wstring& menuId) {
    if (!control_) return false;
    // The tool argument is passed by reference, as the method declares it; Flags, X and
    // Y are left out: the menu opens at the mouse.
    Variant menu = Variant::FromString(menuId);
    VARIANT argument;
    VariantInit(&argument);
    V_VT(&argument) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&argument) = menu.Ptr();
    ComPtr<IDispatch> keep = control_;
    return SUCCEEDED(Call(keep.Get(), DispidPopupMenu, DISPATCH_METHOD, {argument}));
}
