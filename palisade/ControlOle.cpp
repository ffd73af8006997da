// What a container needs to site the control: OLE object, in-place activation,
// view, control, connection points, class information and the persistence
// entry points.

#include "palisade/Control.h"

#include "palisade/Access.h"
#include "palisade/Layout.h"
#include "palisade/Module.h"

#include <algorithm>

namespace palisade {

namespace {

constexpr DWORD kMiscStatus = 140689;  // 0x22591, as registered
const wchar_t kUserType[] = L"Palisade Control 5.0";

COLORREF Translate(OLE_COLOR c) {
    COLORREF r = 0;
    return SUCCEEDED(OleTranslateColor(c, nullptr, &r)) ? r : GetSysColor(COLOR_BTNFACE);
}

} // namespace

// ---- Drawing and window ------------------------------------------------------------------

void Control::Paint(HDC dc, const RECT& bounds) const {
    HBRUSH back = CreateSolidBrush(Translate(props_.backColor));
    FillRect(dc, &bounds, back);
    DeleteObject(back);
    SIZE size = {bounds.right - bounds.left, bounds.bottom - bounds.top};
    if (size.cx <= 0 || size.cy <= 0) return;
    BarLayout layout = LayOut(*this, size);
    auto moved = [&](RECT r) {
        OffsetRect(&r, bounds.left, bounds.top);
        return r;
    };
    for (const PlacedBar& placed : layout.bars) {
        RECT r = moved(placed.rect);
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
        if (placed.bar->State().displayGrabHandles) {
            bool horizontal = placed.dock == 1 || placed.dock == 2;
            RECT grip = horizontal ? RECT{r.left + 3, r.top + 3, r.left + 6, r.bottom - 3}
                                   : RECT{r.left + 3, r.top + 3, r.right - 3, r.top + 6};
            DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT);
        }
    }
    ComPtr<IFont> font;
    HFONT handle = nullptr;
    HGDIOBJ oldFont = nullptr;
    if (props_.font && SUCCEEDED(props_.font->QueryInterface(IID_IFont, font.PutVoid())) &&
        SUCCEEDED(font->get_hFont(&handle)) && handle)
        oldFont = SelectObject(dc, handle);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    for (const PlacedTool& placed : layout.tools) PaintTool(dc, *placed.tool, moved(placed.rect));
    SetBkMode(dc, oldMode);
    if (oldFont) SelectObject(dc, oldFont);
}

// One tool on its bar: a separator line, a control box, or a button with its
// picture and caption; pressed when checked, greyed when disabled.
void Control::PaintTool(HDC dc, Tool& tool, RECT r) const {
    const ToolDefinition& def = tool.Def();
    const ToolLook& look = tool.Look();
    if (def.type == 8) {
        RECT line = {r.left + 2, r.top, r.left + 4, r.bottom};
        DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
        return;
    }
    if (def.type == 4 || def.type == 5) {
        FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
        return;
    }
    if (def.state) DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    RECT inner = r;
    InflateRect(&inner, -3, -3);
    bool showImage = def.type != 6 && look.displayStyle != 1;
    if (showImage && def.picture) {
        ComPtr<IPicture> picture;
        OLE_XSIZE_HIMETRIC w = 0;
        OLE_YSIZE_HIMETRIC h = 0;
        if (SUCCEEDED(def.picture->QueryInterface(IID_IPicture, picture.PutVoid())) &&
            SUCCEEDED(picture->get_Width(&w)) && SUCCEEDED(picture->get_Height(&h))) {
            LONG side = inner.bottom - inner.top;
            picture->Render(dc, inner.left, inner.top, side, side, 0, h, w, -h, nullptr);
            inner.left += side + 3;
        }
    }
    bool showText = def.type == 6 || look.displayStyle == 1 || look.displayStyle == 3;
    if (showText && !look.name.empty()) {
        OLE_COLOR color = look.foreColorSource == 1 ? look.foreColor : props_.foreColor;
        SetTextColor(dc, def.enabled ? Translate(color) : GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, look.name.c_str(), static_cast<int>(look.name.size()), &inner,
                  DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    }
}

void Control::SendViewChange() {
    if (viewSink_ && (viewAspects_ & DVASPECT_CONTENT)) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
}

LRESULT CALLBACK Control::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<Control*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    auto mouse = [&](Event e) {
        short button = (wp & MK_LBUTTON ? 1 : 0) | (wp & MK_RBUTTON ? 2 : 0) | (wp & MK_MBUTTON ? 4 : 0);
        short shift = (wp & MK_SHIFT ? 1 : 0) | (wp & MK_CONTROL ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
        Variant b, s;
        V_VT(b.Ptr()) = VT_I2;
        V_I2(b.Ptr()) = button;
        V_VT(s.Ptr()) = VT_I2;
        V_I2(s.Ptr()) = shift;
        self->Fire(e, {b, s, Variant::FromLong(static_cast<short>(LOWORD(lp))),
                       Variant::FromLong(static_cast<short>(HIWORD(lp)))});
    };
    try {
        switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT r;
            GetClientRect(hwnd, &r);
            self->Paint(dc, r);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: mouse(Event::MouseDown); break;
        case WM_MOUSEMOVE: mouse(Event::MouseMove); break;
        case WM_LBUTTONUP:
            mouse(Event::MouseUp);
            if (Tool* tool = self->ToolAt(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))))
                self->ClickTool(*tool);
            else
                self->Fire(Event::Click, {});  // a dock area clicked
            break;
        case WM_RBUTTONUP: mouse(Event::MouseUp); break;
        case WM_LBUTTONDBLCLK: self->Fire(Event::DblClick, {}); break;
        case WM_NCDESTROY: self->window_ = nullptr; break;
        default: break;
        }
    } catch (...) {
        // Nothing leaves a window procedure.
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// A click on a tool of a bar: a state button changes state (within its group
// only one stays down), then the host hears ToolClick. Separators, labels and
// disabled tools do nothing.
void Control::ClickTool(Tool& tool) {
    ToolDefinition& def = tool.Def();
    if (!def.enabled || def.type == 8 || def.type == 6) return;
    if (def.type == 1 || def.type == 3) {  // state buttons
        bool down = def.state == 0;
        if (!down && !def.group.empty() && !def.groupAllowAllUp) down = true;  // the group keeps one down
        if (down && !def.group.empty()) {
            for (const ComPtr<Tool>& other : tools_->Items())
                if (other.Get() != &tool.PoolTool() && other->Def().group == def.group) other->Def().state = 0;
        }
        def.state = down ? 1 : 0;
        PropertyChanged(1048);
    }
    def.recentlyUsed = true;
    ComPtr<Tool> keep(&tool);
    Fire(Event::ToolClick, {Variant::FromDispatch(tool.Dispatch())});
}

// ---- IConnectionPointContainer and IProvideClassInfo2 -------------------------------------

HRESULT Control::EnumConnectionPoints(IEnumConnectionPoints** out) {
    return bastide::com::MakeConnectionPointEnum({&events_, &propertyNotify_}, out);
}

HRESULT Control::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    bastide::com::ConnectionPoint* point = iid == DIID_DPlToolBarsEvents      ? &events_
                                           : iid == IID_IPropertyNotifySink ? &propertyNotify_
                                                                             : nullptr;
    if (!point) return CONNECT_E_NOCONNECTION;
    point->AddRef();
    *out = point;
    return S_OK;
}

HRESULT Control::GetClassInfo(ITypeInfo** out) {
    return GuardOut(out, [&] {
        ITypeInfo* info = TypeInfoOf(CLSID_PalisadeCtl);
        info->AddRef();
        *out = info;
    });
}

HRESULT Control::GetGUID(DWORD kind, GUID* out) {
    if (!out) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *out = GUID_NULL;
        return E_INVALIDARG;
    }
    *out = DIID_DPlToolBarsEvents;
    return S_OK;
}

// ---- IOleObject -------------------------------------------------------------------------------

HRESULT Control::SetClientSite(IOleClientSite* site) {
    clientSite_ = ComPtr<IOleClientSite>(site);
    return S_OK;
}

HRESULT Control::GetClientSite(IOleClientSite** out) {
    if (!out) return E_POINTER;
    clientSite_.CopyTo(out);
    return S_OK;
}

HRESULT Control::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT Control::Close(DWORD) {
    InPlaceDeactivate();
    if (adviseHolder_) adviseHolder_->SendOnClose();
    return S_OK;
}

HRESULT Control::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT Control::GetMoniker(DWORD assign, DWORD which, IMoniker** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!clientSite_) return E_UNEXPECTED;
    return clientSite_->GetMoniker(assign, which, out);
}

HRESULT Control::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT Control::GetClipboardData(DWORD, IDataObject** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT Control::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) {
    return Guard([&]() -> HRESULT {
        switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_UIACTIVATE:
            ActivateInPlace(true, site, parent, rect);
            return S_OK;
        case OLEIVERB_INPLACEACTIVATE:
            ActivateInPlace(false, site, parent, rect);
            return S_OK;
        case OLEIVERB_HIDE:
            UIDeactivate();
            if (window_) ShowWindow(window_, SW_HIDE);
            return S_OK;
        case OLEIVERB_OPEN:
        case OLEIVERB_PROPERTIES:
            return E_NOTIMPL;  // the control has no window of its own to open, nor property pages
        default:
            ActivateInPlace(true, site, parent, rect);
            return OLEOBJ_S_INVALIDVERB;
        }
    });
}

void Control::ActivateInPlace(bool uiActivate, IOleClientSite* site, HWND parent, LPCRECT rect) {
    IOleClientSite* from = site ? site : clientSite_.Get();
    if (!from) throw bastide::com::ComError(E_UNEXPECTED);
    if (!inPlaceSite_) {
        ComPtr<IOleInPlaceSite> inPlace;
        if (FAILED(from->QueryInterface(IID_IOleInPlaceSite, inPlace.PutVoid())))
            throw bastide::com::ComError(E_NOINTERFACE);
        if (inPlace->CanInPlaceActivate() != S_OK) throw bastide::com::ComError(E_FAIL);
        bastide::com::ThrowIfFailed(inPlace->OnInPlaceActivate());
        inPlaceSite_ = inPlace;
    }
    if (!window_) {
        HWND host = nullptr;
        bastide::com::ThrowIfFailed(inPlaceSite_->GetWindow(&host));
        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> doc;
        RECT pos = rect ? *rect : RECT{0, 0, 0, 0}, clip = pos;
        OLEINPLACEFRAMEINFO info = {sizeof(info)};
        inPlaceSite_->GetWindowContext(frame.Put(), doc.Put(), &pos, &clip, &info);
        window_ = CreateWindowExW(0, kControlClass, L"",
                                  WS_CHILD | WS_CLIPSIBLINGS | (props_.visible ? WS_VISIBLE : 0), pos.left, pos.top,
                                  pos.right - pos.left, pos.bottom - pos.top, host ? host : parent, nullptr, Module(),
                                  this);
        if (!window_) bastide::com::ThrowIfFailed(HRESULT_FROM_WIN32(GetLastError()));
        EnableWindow(window_, props_.enabled);
    } else if (props_.visible) {
        ShowWindow(window_, SW_SHOWNA);
    }
    if (uiActivate && !uiActive_) {
        uiActive_ = true;
        inPlaceSite_->OnUIActivate();
        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> doc;
        RECT pos, clip;
        OLEINPLACEFRAMEINFO info = {sizeof(info)};
        if (SUCCEEDED(inPlaceSite_->GetWindowContext(frame.Put(), doc.Put(), &pos, &clip, &info))) {
            if (frame) frame->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), kUserType);
            if (doc) doc->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), kUserType);
        }
    }
}

HRESULT Control::EnumVerbs(IEnumOLEVERB** out) { return OleRegEnumVerbs(CLSID_PalisadeCtl, out); }
HRESULT Control::Update() { return S_OK; }
HRESULT Control::IsUpToDate() { return S_OK; }

HRESULT Control::GetUserClassID(CLSID* out) {
    if (!out) return E_POINTER;
    *out = CLSID_PalisadeCtl;
    return S_OK;
}

HRESULT Control::GetUserType(DWORD form, LPOLESTR* out) {
    if (!out) return E_POINTER;
    if (SUCCEEDED(OleRegGetUserType(CLSID_PalisadeCtl, form, out))) return S_OK;
    size_t bytes = sizeof(kUserType);
    *out = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!*out) return E_OUTOFMEMORY;
    memcpy(*out, kUserType, bytes);
    return S_OK;
}

HRESULT Control::SetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (size->cx < 0 || size->cy < 0) return E_INVALIDARG;
    extent_ = *size;
    SendViewChange();
    return S_OK;
}

HRESULT Control::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = extent_;
    return S_OK;
}

HRESULT Control::Advise(IAdviseSink* sink, DWORD* cookie) {
    if (!adviseHolder_) {
        HRESULT hr = CreateOleAdviseHolder(adviseHolder_.Put());
        if (FAILED(hr)) return hr;
    }
    return adviseHolder_->Advise(sink, cookie);
}

HRESULT Control::Unadvise(DWORD cookie) {
    return adviseHolder_ ? adviseHolder_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT Control::EnumAdvise(IEnumSTATDATA** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return adviseHolder_ ? adviseHolder_->EnumAdvise(out) : S_OK;
}

HRESULT Control::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (!status) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
    return S_OK;
}

HRESULT Control::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---- IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject ---------------------------------

HRESULT Control::GetWindow(HWND* out) {
    if (!out) return E_POINTER;
    *out = window_;
    return window_ ? S_OK : E_FAIL;
}

HRESULT Control::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

HRESULT Control::InPlaceDeactivate() {
    UIDeactivate();
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
    if (inPlaceSite_) {
        ComPtr<IOleInPlaceSite> site = inPlaceSite_;
        inPlaceSite_ = nullptr;
        site->OnInPlaceDeactivate();
    }
    return S_OK;
}

HRESULT Control::UIDeactivate() {
    if (!uiActive_) return S_OK;
    uiActive_ = false;
    if (inPlaceSite_) {
        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> doc;
        RECT pos, clip;
        OLEINPLACEFRAMEINFO info = {sizeof(info)};
        if (SUCCEEDED(inPlaceSite_->GetWindowContext(frame.Put(), doc.Put(), &pos, &clip, &info))) {
            if (doc) doc->SetActiveObject(nullptr, nullptr);
            if (frame) frame->SetActiveObject(nullptr, nullptr);
        }
        inPlaceSite_->OnUIDeactivate(FALSE);
    }
    return S_OK;
}

HRESULT Control::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    if (window_)
        MoveWindow(window_, position->left, position->top, position->right - position->left,
                   position->bottom - position->top, TRUE);
    return S_OK;
}

HRESULT Control::ReactivateAndUndo() { return INPLACE_E_NOTUNDOABLE; }
HRESULT Control::TranslateAccelerator(LPMSG) { return S_FALSE; }
HRESULT Control::OnFrameWindowActivate(BOOL) { return S_OK; }
HRESULT Control::OnDocWindowActivate(BOOL) { return S_OK; }
HRESULT Control::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
HRESULT Control::EnableModeless(BOOL) { return S_OK; }

// ---- IViewObject2 -----------------------------------------------------------------------------------

HRESULT Control::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                      BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    RECT r = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    Paint(dc, r);
    return S_OK;
}

HRESULT Control::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** out) {
    if (out) *out = nullptr;
    return S_FALSE;  // no particular palette
}

HRESULT Control::Freeze(DWORD, LONG, void*, DWORD* cookie) {
    if (cookie) *cookie = 0;
    return E_NOTIMPL;
}

HRESULT Control::Unfreeze(DWORD) { return E_NOTIMPL; }

HRESULT Control::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewAspects_ = aspects;
    viewAdviseFlags_ = flags;
    viewSink_ = ComPtr<IAdviseSink>(sink);
    return S_OK;
}

HRESULT Control::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** out) {
    if (aspects) *aspects = viewAspects_;
    if (flags) *flags = viewAdviseFlags_;
    if (out) viewSink_.CopyTo(out);
    return S_OK;
}

HRESULT Control::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) { return GetExtent(aspect, size); }

// ---- IOleControl ------------------------------------------------------------------------------------

HRESULT Control::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    if (info->cb < sizeof(CONTROLINFO)) return E_INVALIDARG;
    info->hAccel = nullptr;  // tool shortcuts are handled by the popup menus, not by the container
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT Control::OnMnemonic(MSG*) { return E_NOTIMPL; }
HRESULT Control::OnAmbientPropertyChange(DISPID) { return S_OK; }

HRESULT Control::FreezeEvents(BOOL freeze) {
    frozenEvents_ += freeze ? 1 : (frozenEvents_ > 0 ? -1 : 0);
    return S_OK;
}

// ---- IPointerInactive ------------------------------------------------------------------------------

// The control needs no activation for the mouse to pass over it.
HRESULT Control::GetActivationPolicy(DWORD* policy) {
    if (!policy) return E_POINTER;
    *policy = 0;
    return S_OK;
}

HRESULT Control::OnInactiveMouseMove(LPCRECT, LONG, LONG, DWORD) { return S_OK; }

HRESULT Control::OnInactiveSetCursor(LPCRECT, LONG, LONG, DWORD, BOOL) {
    SetCursor(ControlCursor(0));
    return S_OK;
}

// ---- Persistence: Persist.cpp -------------------------------------------------------------------

} // namespace palisade
