// The control's persistence: the property stream (IPersistStreamInit, and
// IPersistStorage through its "Contents" stream), the property bag, and the
// configuration and layout files, all through the plain stream model of
// palisade/format. This file converts between that model and the object tree:
// text through code page 1252, pictures through their pixels.

#include "palisade/Persist.h"

#include "palisade/Access.h"
#include "palisade/Control.h"
#include "palisade/format/Stream.h"

#include "common/Text.h"

#include <algorithm>
#include <fstream>

namespace palisade {

namespace {

using format::Bytes;

// Text of the stream is Windows-1252, the code page of this French program,
// whatever code page the machine that reads it uses.
constexpr UINT kStreamCodePage = 1252;

std::string Narrow(std::wstring_view text) { return text::ToCodePage(std::wstring(text), kStreamCodePage); }
std::wstring Widen(const std::string& bytes) { return text::FromCodePage(bytes, kStreamCodePage); }

// Only string content of a TagVariant is kept.
std::string TagText(const Variant& tag) {
    const VARIANT& v = tag.Get();
    return V_VT(&v) == VT_BSTR ? Narrow(BstrView(V_BSTR(&v))) : std::string();
}
Variant TagOf(const std::string& text) { return text.empty() ? Variant() : Variant::FromString(Widen(text)); }

constexpr LONG kNewWidth = 100, kNewHeight = 50;  // pixels of a new control

int ScreenDpi(int axis) {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, axis) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

SIZEL NewExtent() {
    return {MulDiv(kNewWidth, 2540, ScreenDpi(LOGPIXELSX)), MulDiv(kNewHeight, 2540, ScreenDpi(LOGPIXELSY))};
}

// ---- Memory streams -----------------------------------------------------------------------

ComPtr<IStream> MemoryStream(const Bytes& bytes = {}) {
    ComPtr<IStream> stream;
    bastide::com::ThrowIfFailed(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()));
    if (!bytes.empty()) {
        ULONG written = 0;
        bastide::com::ThrowIfFailed(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written));
        LARGE_INTEGER zero = {};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    }
    return stream;
}

Bytes BytesOf(IStream* stream) {
    HGLOBAL global = nullptr;
    bastide::com::ThrowIfFailed(GetHGlobalFromStream(stream, &global));
    STATSTG stat = {};
    bastide::com::ThrowIfFailed(stream->Stat(&stat, STATFLAG_NONAME));
    const auto* data = static_cast<const std::uint8_t*>(GlobalLock(global));
    if (!data) throw bastide::com::ComError(E_OUTOFMEMORY);
    Bytes bytes(data, data + stat.cbSize.QuadPart);
    GlobalUnlock(global);
    return bytes;
}

// What remains of a stream from its current position, up to a bound far above any
// stream of this control; the position is left where it was.
constexpr ULONGLONG kMostToRead = 256ull << 20;

Bytes ReadRest(IStream* stream) {
    Bytes bytes;
    STATSTG stat = {};
    LARGE_INTEGER zero = {};
    ULARGE_INTEGER at = {};
    if (SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) && SUCCEEDED(stream->Seek(zero, STREAM_SEEK_CUR, &at)) &&
        stat.cbSize.QuadPart >= at.QuadPart)
        bytes.reserve(static_cast<size_t>(std::min(stat.cbSize.QuadPart - at.QuadPart, kMostToRead)));
    std::uint8_t chunk[16384];
    while (bytes.size() < kMostToRead) {
        ULONG got = 0;
        HRESULT hr = stream->Read(chunk, sizeof chunk, &got);
        if (FAILED(hr)) throw bastide::com::ComError(hr);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got == 0 || hr == S_FALSE) break;
    }
    return bytes;
}

// ---- Fonts and pictures ---------------------------------------------------------------------

// The font of a new control is not written: a stream without a font gets it back.
// It is recognised by what the system made of it, as a font made now would be.
bool IsDefaultFont(IFontDisp* disp) {
    struct Looks {
        bastide::com::Bstr name;
        CY size = {};
        BOOL bold = FALSE, italic = FALSE, underline = FALSE, strike = FALSE;
        short charset = 0;
        bool Read(IFontDisp* d) {
            ComPtr<IFont> font;
            if (!d || FAILED(d->QueryInterface(IID_IFont, font.PutVoid()))) return false;
            font->get_Name(name.Put());
            font->get_Size(&size);
            font->get_Bold(&bold);
            font->get_Italic(&italic);
            font->get_Underline(&underline);
            font->get_Strikethrough(&strike);
            font->get_Charset(&charset);
            return true;
        }
    } font, fresh;
    if (!font.Read(disp)) return true;
    if (!fresh.Read(DefaultFont().Get())) return false;
    return font.name.Str() == fresh.name.Str() && font.size.int64 == fresh.size.int64 && font.bold == fresh.bold &&
           font.italic == fresh.italic && font.underline == fresh.underline && font.strike == fresh.strike &&
           font.charset == fresh.charset;
}

// An OLE object's own stream form (fonts, and pictures as "lt" + length + data).
Bytes SavedForm(IUnknown* object) {
    ComPtr<IPersistStream> persist;
    bastide::com::ThrowIfFailed(object->QueryInterface(IID_IPersistStream, persist.PutVoid()));
    ComPtr<IStream> stream = MemoryStream();
    bastide::com::ThrowIfFailed(persist->Save(stream.Get(), TRUE));
    return BytesOf(stream.Get());
}

Bytes PictureForm(IPictureDisp* picture) {
    Bytes bytes = SavedForm(picture);
    if (bytes.size() >= 8 && bytes[0] == 'l' && bytes[1] == 't' && bytes[2] == 0 && bytes[3] == 0) return bytes;
    // A picture saved without its header (a bare bitmap file) gets one, as a reader expects.
    Bytes framed = {'l', 't', 0, 0};
    for (int i = 0; i < 4; ++i) framed.push_back(static_cast<std::uint8_t>(bytes.size() >> (8 * i)));
    framed.insert(framed.end(), bytes.begin(), bytes.end());
    return framed;
}

ComPtr<IPictureDisp> PictureFromForm(const Bytes& form) {
    ComPtr<IStream> stream = MemoryStream(form);
    ComPtr<IPictureDisp> picture;
    if (FAILED(OleLoadPicture(stream.Get(), static_cast<LONG>(form.size()), FALSE, IID_IPictureDisp,
                              picture.PutVoid())))
        return nullptr;
    return picture;
}

ComPtr<IFontDisp> FontFromForm(const Bytes& form) {
    ComPtr<IFontDisp> font = DefaultFont();
    ComPtr<IPersistStream> persist;
    ComPtr<IStream> stream = MemoryStream(form);
    if (!font || FAILED(font->QueryInterface(IID_IPersistStream, persist.PutVoid())) ||
        FAILED(persist->Load(stream.Get())))
        return nullptr;
    return font;
}

COLORREF Translate(OLE_COLOR c) {
    COLORREF r = 0;
    return SUCCEEDED(OleTranslateColor(c, nullptr, &r)) ? r : GetSysColor(COLOR_BTNFACE);
}

// 0x00RRGGBB, as the strips hold colours, from a COLORREF (0x00BBGGRR).
std::uint32_t Rgb(COLORREF c) { return GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

// A top-down 24-bit DIB section of w x h pixels, and where its rows are.
struct Dib {
    HBITMAP bitmap = nullptr;
    std::uint8_t* bits = nullptr;
    int stride = 0;
    Dib(int w, int h) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* p = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        if (!bitmap) throw bastide::com::ComError(E_OUTOFMEMORY);
        bits = static_cast<std::uint8_t*>(p);
        stride = (w * 3 + 3) & ~3;
    }
};

// The picture drawn at its own size (at most one strip cell) on the background.
std::optional<format::Pixels> PixelsOf(IPictureDisp* disp, COLORREF background) {
    ComPtr<IPicture> picture;
    if (!disp || FAILED(disp->QueryInterface(IID_IPicture, picture.PutVoid()))) return std::nullopt;
    short type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    picture->get_Type(&type);
    picture->get_Handle(&handle);
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture->get_Width(&hmWidth);
    picture->get_Height(&hmHeight);
    HBITMAP source = type == PICTYPE_BITMAP ? reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)) : nullptr;
    int w = MulDiv(hmWidth, 96, 2540), h = MulDiv(hmHeight, 96, 2540);
    BITMAP bm = {};
    if (source && GetObjectW(source, sizeof bm, &bm)) {
        w = bm.bmWidth;
        h = bm.bmHeight;
    }
    w = std::clamp(w, 0, format::kCellWidth);
    h = std::clamp(h, 0, format::kCellHeight);
    format::Pixels pixels;
    pixels.width = w;
    pixels.height = h;
    if (w == 0 || h == 0) return pixels;
    Dib cell(w, h);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, cell.bitmap);
    RECT all = {0, 0, w, h};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    if (source) {
        HDC from = CreateCompatibleDC(screen);
        HGDIOBJ oldFrom = SelectObject(from, source);
        BitBlt(dc, 0, 0, w, h, from, 0, 0, SRCCOPY);
        SelectObject(from, oldFrom);
        DeleteDC(from);
    } else {
        picture->Render(dc, 0, 0, w, h, 0, hmHeight, hmWidth, -hmHeight, nullptr);
    }
    GdiFlush();
    pixels.rgb.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = cell.bits + static_cast<size_t>(y) * cell.stride;
        for (int x = 0; x < w; ++x)
            pixels.rgb[static_cast<size_t>(y) * w + x] =
                static_cast<std::uint32_t>(row[3 * x + 2]) << 16 | row[3 * x + 1] << 8 | row[3 * x];
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    DeleteObject(cell.bitmap);
    return pixels;
}

ComPtr<IPictureDisp> PictureOf(const format::Pixels& pixels) {
    if (pixels.width <= 0 || pixels.height <= 0) return nullptr;
    Dib dib(pixels.width, pixels.height);
    for (int y = 0; y < pixels.height; ++y) {
        std::uint8_t* row = dib.bits + static_cast<size_t>(y) * dib.stride;
        for (int x = 0; x < pixels.width; ++x) {
            std::uint32_t rgb = pixels.rgb[static_cast<size_t>(y) * pixels.width + x];
            row[3 * x] = static_cast<std::uint8_t>(rgb);
            row[3 * x + 1] = static_cast<std::uint8_t>(rgb >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(rgb >> 16);
        }
    }
    PICTDESC desc = {sizeof(desc), PICTYPE_BITMAP};
    desc.bmp.hbitmap = dib.bitmap;
    ComPtr<IPictureDisp> picture;
    if (FAILED(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE, picture.PutVoid()))) {
        DeleteObject(dib.bitmap);
        return nullptr;
    }
    return picture;
}

// The pictures of a tool, by the strips' order of kinds.
constexpr ComPtr<IPictureDisp> ToolDefinition::*kPictureFields[format::kPictureKinds] = {
    &ToolDefinition::picture, &ToolDefinition::pictureDown, &ToolDefinition::pictureDisabled,
    &ToolDefinition::pictureDownDisabled};

// ---- The forms a control may be loaded on --------------------------------------------------

// Forms holding a loaded control, so a second one on the same form is refused.
struct LoadedControl {
    const Control* control;
    HWND form;
};
std::vector<LoadedControl>& LoadedControls() {
    static std::vector<LoadedControl> list;
    return list;
}

struct ControlsGuard {
    ControlsGuard() { EnterCriticalSection(&ControlsLock()); }
    ~ControlsGuard() { LeaveCriticalSection(&ControlsLock()); }
};

constexpr DWORD kOneControlText = 3008, kOneControlCaption = 3009;

} // namespace

// ---- Object tree to model ---------------------------------------------------------------------

namespace {

format::Placement PlacementOf(Tool& tool) {
    const ToolLook& look = tool.Look();
    format::Placement p;
    p.foreColorSource = static_cast<std::uint8_t>(look.foreColorSource);
    p.displayStyle = static_cast<std::uint8_t>(look.displayStyle);
    p.foreColor = look.foreColor;
    p.ctlWidth = look.ctlWidth;
    p.flags = look.flags;
    p.name = Narrow(look.name);
    p.id = Narrow(tool.Def().id);
    return p;
}

ToolLook LookOf(const format::Placement& p) {
    ToolLook look;
    look.name = Widen(p.name);
    look.foreColor = p.foreColor;
    look.foreColorSource = p.foreColorSource;
    look.displayStyle = p.displayStyle;
    look.ctlWidth = p.ctlWidth;
    look.flags = p.flags;
    return look;
}

// A placement that stands for no tool of the pool and is never written: the
// separator line of a stream whose pool has no separator, and the more-tools button.
bool IsStandIn(Control& control, Tool& placement) {
    return !control.Pool().PositionOf(&placement.PoolTool());
}

} // namespace

format::Stream Persistence::ModelOf(Control& control) {
    const ControlProperties& props = control.props_;
    format::Stream s;
    s.extentX = control.extent_.cx;
    s.extentY = control.extent_.cy;
    format::ControlBlock& c = s.control;
    c.backColor = props.backColor;
    c.foreColor = props.foreColor;
    c.maskColor = props.pictureBackgroundMaskColor;
    c.toolTipDelay = props.toolTipDelay;
    c.fontSource = static_cast<std::uint8_t>(props.fontSource);
    c.menuAnimations = static_cast<std::uint8_t>(props.menuAnimations);
    c.personalizedMenus = static_cast<std::uint8_t>(props.personalizedMenus);
    c.pictureBackgroundStyle = static_cast<std::uint8_t>(props.pictureBackgroundStyle);
    c.style = static_cast<std::uint8_t>(props.style);
    c.dragFullToolBars = static_cast<std::uint8_t>(props.dragFullToolBars);
    c.flags = static_cast<std::uint8_t>(props.activeColors | props.displayContextMenu << 1 | props.enabled << 2 |
                                        props.pictureBackgroundUseMask << 3 | props.showShortcutsInToolTips << 4 |
                                        props.showToolTips << 5 | props.visible << 6 | props.largeIcons << 7);
    c.fadeDelay = props.floatingToolbarFadeDelay;
    if (!IsDefaultFont(props.font.Get())) s.font = SavedForm(props.font.Get());
    if (props.pictureBackground) s.pictureBackground = PictureForm(props.pictureBackground.Get());
    s.tag = TagText(props.tag);

    const COLORREF background = Translate(props.backColor);
    for (const ComPtr<Tool>& tool : control.Pool().Items()) {
        const ToolDefinition& d = tool->Def();
        format::Tool t;
        t.look = PlacementOf(*tool);
        t.state = static_cast<std::uint8_t>(d.state);
        t.type = static_cast<std::uint8_t>(d.type);
        t.shortcut = static_cast<std::uint8_t>(d.shortcut);
        t.menuVisibility = static_cast<std::uint8_t>(d.menuVisibility);
        t.pictureSize = d.pictureSize;
        t.autoWrap = d.autoWrap;
        t.enabled = d.enabled;
        t.groupAllowAllUp = d.groupAllowAllUp;
        t.visible = d.visible;
        t.useMaskColor = d.useMaskColor;
        t.customizable = d.customizable;
        t.recentlyUsed = d.recentlyUsed;
        t.category = Narrow(d.category);
        t.description = Narrow(d.description);
        t.group = Narrow(d.group);
        t.toolTipText = Narrow(d.toolTipText);
        t.tag = TagText(d.tag);
        for (int kind = 0; kind < format::kPictureKinds; ++kind) {
            t.pictures[kind] = PixelsOf((d.*kPictureFields[kind]).Get(), background);
            if (t.pictures[kind] && !t.pictureWidth && !t.pictureHeight) {
                t.pictureWidth = static_cast<std::int16_t>(t.pictures[kind]->width);
                t.pictureHeight = static_cast<std::int16_t>(t.pictures[kind]->height);
            }
        }
        if (d.type == 4) {
            format::ComboPart part;
            if (const ComboBox* box = d.comboBox.Get()) {
                part.settings = {static_cast<std::uint8_t>(box->style_),
                                 static_cast<std::uint8_t>(box->sorted_ | box->locked_ << 1)};
                part.text = Narrow(box->text_);
                for (const ComboBox::Entry& e : box->list_) {
                    Variant data;
                    std::string dataText;
                    if (V_VT(&e.data.Get()) != VT_EMPTY &&
                        SUCCEEDED(VariantChangeType(data.Ptr(), const_cast<VARIANT*>(&e.data.Get()), 0, VT_BSTR)))
                        dataText = Narrow(BstrView(V_BSTR(data.Ptr())));
                    part.items.emplace_back(Narrow(e.text), dataText);
                }
            }
            t.combo = std::move(part);
        } else if (d.type == 5) {
            format::EditPart part;
            if (const Edit* edit = d.edit.Get()) {
                part.settings = {static_cast<std::uint8_t>(edit->locked_),
                                 static_cast<std::uint8_t>(edit->maxLength_),
                                 static_cast<std::uint8_t>(edit->maxLength_ >> 8)};
                part.text = Narrow(edit->text_);
                part.passwordChar = Narrow(edit->passwordChar_);
            }
            t.edit = std::move(part);
        } else if (d.type == 7 && d.menu) {
            for (const ComPtr<Tool>& placement : d.menu->Tools().Items())
                t.menu.push_back(PlacementOf(*placement));
        }
        s.tools.push_back(std::move(t));
    }

    for (const ComPtr<ToolBar>& bar : control.Bars().Items()) s.toolBars.push_back(RecordOf(control, *bar));
    return s;
}

format::ToolBar Persistence::RecordOf(Control& control, ToolBar& bar) {
    const ToolBarState& st = bar.state_;
    format::ToolBar b = bar.record_;  // the bytes kept as loaded
    b.captionAlignment = static_cast<std::uint8_t>(st.captionAlignment);
    b.dockedStatus = static_cast<std::uint8_t>(st.dockedStatus);
    b.font3D = static_cast<std::uint8_t>(st.font3D);
    b.style = static_cast<std::uint8_t>(st.style);
    if (st.dockedStatus == 16) {  // a floating bar reports its floating row and column
        b.floatingRow = st.dockedRow;
        b.floatingColumn = st.dockedColumn;
    } else {
        b.dockedRow = st.dockedRow;
        b.dockedColumn = st.dockedColumn;
    }
    b.dockFlags = st.dockFlags;
    b.floatingHeight = st.floatingHeight;
    b.floatingLeft = st.floatingLeft;
    b.floatingTop = st.floatingTop;
    b.floatingWidth = st.floatingWidth;
    b.allowCustomize = st.allowCustomize;
    b.allowHiding = st.allowHiding;
    b.displayGrabHandles = st.displayGrabHandles;
    b.stock = st.stock;
    b.visible = st.visible;
    b.displayMoreToolsButton = st.displayMoreToolsButton;
    b.name = Narrow(st.name);
    b.placements.clear();
    b.idList.clear();
    for (const ComPtr<Tool>& placement : bar.Tools().Items()) {
        if (IsStandIn(control, *placement) && placement->Def().id == L"moretools") continue;
        b.placements.push_back(PlacementOf(*placement));
        b.idList.push_back(b.placements.back().id);
    }
    b.tag = TagText(bar.tag_);
    return b;
}

// ---- Model to object tree ------------------------------------------------------------------------

namespace {

// Collects what a stream held that the control cannot take; the load goes on with
// the default in its place and fails at the end.
struct Damage {
    bool found = false;
    template <class T>
    T Checked(T value, long lo, long hi, T fallback) {
        if (value >= lo && value <= hi) return value;
        found = true;
        return fallback;
    }
};

} // namespace

Tool& Persistence::PoolToolFor(Control& control, const std::string& id, ComPtr<Tool>& standIn) {
    std::wstring wide = Widen(id);
    if (Tool* tool = control.Pool().Find(wide)) return *tool;
    if (wide == L"separator" || wide == L"moretools") {
        // Not a tool of the pool: shared by the placements that need it, and never written.
        if (!standIn) standIn = bastide::com::MakeObject<Tool>(&control, wide, wide == L"separator" ? 8 : 0);
        return *standIn;
    }
    return control.PoolToolFor(wide.empty() ? L"?" : wide, 0);
}

void Persistence::LoadPlacements(Control& control, ToolsCollection& list, const std::vector<format::Placement>& from,
                                 ComPtr<Tool>& separator) {
    for (const format::Placement& p : from) {
        ComPtr<Tool> placement = bastide::com::MakeObject<Tool>(&control, &PoolToolFor(control, p.id, separator));
        placement->Look() = LookOf(p);
        list.Insert(placement, SIZE_MAX);
    }
}

void Persistence::LoadToolBar(Control& control, ToolBar& bar, const format::ToolBar& b, ComPtr<Tool>& separator,
                              ComPtr<Tool>& moreTools) {
    ToolBarState& st = bar.state_;
    st.captionAlignment = std::min<long>(b.captionAlignment, 3);
    st.dockedStatus = b.dockedStatus == 1 || b.dockedStatus == 2 || b.dockedStatus == 4 || b.dockedStatus == 8 ||
                              b.dockedStatus == 16
                          ? b.dockedStatus
                          : 1;
    st.font3D = std::min<long>(b.font3D, 5);
    st.style = b.style == 1 ? 1 : 0;
    const bool floating = st.dockedStatus == 16;
    st.dockedRow = floating ? b.floatingRow : b.dockedRow;
    st.dockedColumn = floating ? b.floatingColumn : b.dockedColumn;
    st.dockFlags = b.dockFlags;
    st.floatingHeight = b.floatingHeight;
    st.floatingLeft = b.floatingLeft;
    st.floatingTop = b.floatingTop;
    st.floatingWidth = b.floatingWidth;
    st.allowCustomize = b.allowCustomize;
    st.allowHiding = b.allowHiding;
    st.displayGrabHandles = b.displayGrabHandles;
    st.stock = b.stock;
    st.visible = b.visible;
    st.displayMoreToolsButton = b.displayMoreToolsButton;
    st.name = Widen(b.name);
    bar.tag_ = TagOf(b.tag);
    bar.record_ = b;
    bar.tools_->Clear();
    LoadPlacements(control, *bar.tools_, b.placements, separator);
    // The trailing ID list only names placements of this bar, which are all loaded
    // above; an ID it names that the bar does not hold is dropped, and the writer
    // writes the list again from the bar's placements.
    st.toolIds.clear();
    st.looks.clear();
    for (const ComPtr<Tool>& placement : bar.tools_->Items()) {
        st.toolIds.push_back(placement->Def().id);
        st.looks.push_back(placement->Look());
    }
    bar.lastLoaded_ = st;
    bar.loaded_ = true;
    if (st.stock) bar.created_ = st;  // a stock bar's own state, for Reset
    if (st.style == 0 && st.displayMoreToolsButton) {
        ComPtr<Tool> more = bastide::com::MakeObject<Tool>(&control, &PoolToolFor(control, "moretools", moreTools));
        bar.tools_->Insert(more, SIZE_MAX);
    }
}

bool Persistence::Apply(Control& control, const format::Stream& s) {
    Damage damage;
    ControlProperties& props = control.props_;
    control.extent_ = {s.extentX, s.extentY};
    if (s.extentX <= 0 || s.extentY <= 0) control.extent_ = NewExtent();
    const format::ControlBlock& c = s.control;
    props.backColor = c.backColor;
    props.foreColor = c.foreColor;
    props.pictureBackgroundMaskColor = c.maskColor;
    props.toolTipDelay = damage.Checked<short>(c.toolTipDelay, 0, SHRT_MAX, 500);
    props.fontSource = damage.Checked<long>(c.fontSource, 0, 1, 0);
    props.menuAnimations = damage.Checked<long>(c.menuAnimations, 0, 5, 0);
    props.personalizedMenus = damage.Checked<long>(c.personalizedMenus, 0, 2, 0);
    props.pictureBackgroundStyle = damage.Checked<long>(c.pictureBackgroundStyle, 0, 2, 0);
    props.style = damage.Checked<long>(c.style, 0, 2, 0);
    props.dragFullToolBars = damage.Checked<long>(c.dragFullToolBars, 0, 2, 0);
    props.activeColors = c.flags & 1;
    props.displayContextMenu = c.flags & 2;
    props.enabled = c.flags & 4;
    props.pictureBackgroundUseMask = c.flags & 8;
    props.showShortcutsInToolTips = c.flags & 16;
    props.showToolTips = c.flags & 32;
    props.visible = c.flags & 64;
    props.largeIcons = c.flags & 128;
    props.floatingToolbarFadeDelay = damage.Checked<short>(c.fadeDelay, 0, SHRT_MAX, 0);
    if (s.font) {
        if (ComPtr<IFontDisp> font = FontFromForm(*s.font))
            props.font = font;
        else
            damage.found = true;
    }
    props.pictureBackground = nullptr;
    if (s.pictureBackground) {
        props.pictureBackground = PictureFromForm(*s.pictureBackground);
        if (!props.pictureBackground) damage.found = true;
    }
    props.tag = TagOf(s.tag);

    // Every pool tool first, so the placements of menus find the tools they show.
    std::vector<std::pair<Tool*, const format::Tool*>> loaded;
    for (const format::Tool& t : s.tools) {
        std::wstring id = Widen(t.look.id);
        long type = damage.Checked<long>(t.type, 0, 8, 0);
        if (id == L"separator") type = 8;
        if (type == 8) id = L"separator";
        if (id.empty() || control.Pool().Find(id)) {  // a tool needs an ID of its own
            damage.found = true;
            continue;
        }
        ComPtr<Tool> tool = bastide::com::MakeObject<Tool>(&control, id, type);
        ToolDefinition& d = tool->Def();
        tool->Look() = LookOf(t.look);
        tool->Look().foreColorSource = damage.Checked<long>(t.look.foreColorSource, 0, 1, 0);
        tool->Look().displayStyle = damage.Checked<long>(t.look.displayStyle, 0, 3, 0);
        d.state = damage.Checked<long>(t.state, 0, 1, 0);
        d.shortcut = damage.Checked<long>(t.shortcut, 0, 80, 0);
        if (d.shortcut && control.ToolWithShortcut(d.shortcut, nullptr)) {
            damage.found = true;
            d.shortcut = 0;
        }
        d.menuVisibility = damage.Checked<long>(t.menuVisibility, 0, 1, 0);
        d.pictureSize = damage.Checked<short>(t.pictureSize, 1, 256, 16);
        d.autoWrap = t.autoWrap;
        d.enabled = t.enabled;
        d.groupAllowAllUp = t.groupAllowAllUp;
        d.visible = t.visible;
        d.useMaskColor = t.useMaskColor;
        d.customizable = t.customizable;
        d.recentlyUsed = t.recentlyUsed;
        d.category = Widen(t.category);
        d.description = Widen(t.description);
        d.group = Widen(t.group);
        d.toolTipText = Widen(t.toolTipText);
        d.tag = TagOf(t.tag);
        for (int kind = 0; kind < format::kPictureKinds; ++kind) {
            ComPtr<IPictureDisp> picture;
            if (t.pictures[kind]) picture = PictureOf(*t.pictures[kind]);
            else if (t.inlinePictures[kind]) picture = PictureFromForm(*t.inlinePictures[kind]);
            if (t.HasPicture(kind) && !picture && !(t.pictures[kind] && t.pictures[kind]->rgb.empty()))
                damage.found = true;
            d.*kPictureFields[kind] = picture;
        }
        if (type == 4 && t.combo) {
            ComPtr<ComboBox> box = bastide::com::MakeObject<ComboBox>(&control);
            box->style_ = damage.Checked<long>(t.combo->settings[0], 0, 1, 0);
            box->sorted_ = t.combo->settings[1] & 1;
            box->locked_ = t.combo->settings[1] & 2;
            for (const auto& [text, data] : t.combo->items) {
                if (box->list_.size() >= SHRT_MAX) {
                    damage.found = true;
                    break;
                }
                box->list_.push_back({Widen(text), TagOf(data)});
            }
            box->text_ = Widen(t.combo->text);
            for (size_t i = 0; i < box->list_.size(); ++i)
                if (box->list_[i].text == box->text_) {
                    box->listIndex_ = static_cast<short>(i);
                    break;
                }
            d.comboBox = box;
        } else if (type == 5 && t.edit) {
            ComPtr<Edit> edit = bastide::com::MakeObject<Edit>(&control);
            edit->locked_ = t.edit->settings[0] & 1;
            edit->maxLength_ =
                damage.Checked<short>(static_cast<short>(t.edit->settings[1] | t.edit->settings[2] << 8), 0, SHRT_MAX, 0);
            edit->text_ = Widen(t.edit->text);
            edit->passwordChar_ = Widen(t.edit->passwordChar);
            if (edit->passwordChar_.size() > 1) {
                damage.found = true;
                edit->passwordChar_.resize(1);
            }
            d.edit = edit;
        }
        control.Pool().Insert(tool, SIZE_MAX);
        loaded.emplace_back(tool.Get(), &t);
    }
    ComPtr<Tool> separator, moreTools;
    for (const auto& [tool, record] : loaded) {
        if (tool->Def().type != 7) continue;
        tool->Def().menu = bastide::com::MakeObject<Menu>(&control);
        LoadPlacements(control, tool->Def().menu->Tools(), record->menu, separator);
    }

    bool menuBar = false;
    for (const format::ToolBar& b : s.toolBars) {
        ComPtr<ToolBar> bar = bastide::com::MakeObject<ToolBar>(&control, L"ToolBar", 0);
        LoadToolBar(control, *bar, b, separator, moreTools);
        if (bar->state_.style == 1) {  // only one menu bar
            if (menuBar) {
                damage.found = true;
                bar->state_.style = 0;
            }
            menuBar = true;
        }
        control.toolBars_->items_.push_back(bar);
    }
    return !damage.found;
}

void Persistence::Clear(Control& control) {
    control.tools_->Clear();
    control.toolBars_->Clear();
}

// ---- Bytes in and out ----------------------------------------------------------------------------

namespace {

HRESULT ResultOf(format::Fault fault) {
    switch (fault) {
    case format::Fault::BadHeader:
    case format::Fault::NewerVersion: return E_UNEXPECTED;
    case format::Fault::Truncated: return HRESULT_FROM_WIN32(ERROR_HANDLE_EOF);
    default: return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    }
}

} // namespace

HRESULT Persistence::Load(Control& control, std::span<const std::uint8_t> bytes, size_t* used) {
    format::Stream model;
    HRESULT result = S_OK;
    size_t consumed = bytes.size();
    try {
        consumed = format::Read(bytes, model);
    } catch (const format::FormatError& e) {
        result = ResultOf(e.fault());
        if (e.fault() == format::Fault::BadHeader || e.fault() == format::Fault::NewerVersion) return result;
    }
    if (used) *used = consumed;
    return Take(control, model, result);
}

// What was read before a fault is kept: the control stays usable with it.
HRESULT Persistence::Take(Control& control, const format::Stream& model, HRESULT result) {
    if (!MayLoadOnItsForm(control)) return OLE_E_BLANK;
    Clear(control);
    if (!Apply(control, model) && SUCCEEDED(result)) result = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    control.PropertyChanged(DISPID_UNKNOWN);
    control.dirty_ = false;
    return result;
}

format::Bytes Persistence::Save(Control& control) {
    format::WriteOptions options;
    options.stripBackground = Rgb(Translate(control.props_.backColor));
    return format::Write(ModelOf(control), options);
}

// The form a control sits on: the top window of its container's site.
HWND Persistence::FormOf(Control& control) {
    HWND window = nullptr;
    ComPtr<IOleInPlaceSite> site;
    if (control.clientSite_ &&
        SUCCEEDED(control.clientSite_->QueryInterface(IID_IOleInPlaceSite, site.PutVoid())) && site)
        site->GetWindow(&window);
    return window ? GetAncestor(window, GA_ROOT) : nullptr;
}

bool Persistence::MayLoadOnItsForm(Control& control) {
    HWND form = FormOf(control);
    if (!form) return true;
    {
        ControlsGuard guard;
        std::vector<LoadedControl>& list = LoadedControls();
        bool taken = std::any_of(list.begin(), list.end(), [&](const LoadedControl& l) {
            return l.form == form && l.control != &control;
        });
        if (!taken) {
            if (std::none_of(list.begin(), list.end(), [&](const LoadedControl& l) { return l.control == &control; }))
                list.push_back({&control, form});
            return true;
        }
    }
    MessageBoxW(form, LoadText(kOneControlText).c_str(), LoadText(kOneControlCaption).c_str(),
                MB_OK | MB_ICONINFORMATION);
    return false;
}

void Persistence::Forget(const Control& control) {
    ControlsGuard guard;
    std::vector<LoadedControl>& list = LoadedControls();
    list.erase(std::remove_if(list.begin(), list.end(), [&](const LoadedControl& l) { return l.control == &control; }),
               list.end());
}

// ---- Files -----------------------------------------------------------------------------------------

namespace {

Bytes ReadFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) Raise(kFileNotFound);
    Bytes bytes;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) && static_cast<ULONGLONG>(size.QuadPart) <= kMostToRead;
    if (ok) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) &&
                               got == bytes.size());
    }
    CloseHandle(file);
    if (!ok) Raise(kCannotPerform);
    return bytes;
}

// Written beside the target and moved over it, so a failure leaves the old file whole.
void WriteFileBytes(const std::wstring& path, const Bytes& bytes) {
    std::wstring temporary = path + L".tmp";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) Raise(kCannotPerform);
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size() && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    if (!ok || !MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        Raise(kCannotPerform);
    }
}

// A damaged file is a file the control cannot use: the caller hears 40006.
void RaiseIfFailed(HRESULT hr) {
    if (FAILED(hr)) Raise(kCannotPerform);
}

} // namespace

void Persistence::LoadConfiguration(Control& control, std::span<const std::uint8_t> bytes) {
    RaiseIfFailed(Load(control, bytes, nullptr));
}

void Persistence::SaveConfiguration(Control& control, const std::wstring& path) {
    WriteFileBytes(path, Save(control));
}

void Persistence::LoadConfigurationFile(Control& control, const std::wstring& path) {
    LoadConfiguration(control, ReadFileBytes(path));
}

// A layout file holds the toolbars only; their placements are matched to the tools
// the control already has.
void Persistence::LoadLayout(Control& control, const std::wstring& path) {
    Bytes bytes = ReadFileBytes(path);
    format::Layout layout;
    try {
        format::ReadLayout(bytes, layout);
    } catch (const format::FormatError&) {
        Raise(kCannotPerform);
    }
    control.toolBars_->Clear();
    ComPtr<Tool> separator, moreTools;
    for (const format::ToolBar& b : layout.toolBars) {
        ComPtr<ToolBar> bar = bastide::com::MakeObject<ToolBar>(&control, L"ToolBar", 0);
        LoadToolBar(control, *bar, b, separator, moreTools);
        control.toolBars_->items_.push_back(bar);
    }
    control.PropertyChanged(DISPID_UNKNOWN);
}

void Persistence::SaveLayout(Control& control, const std::wstring& path) {
    format::Layout layout;
    layout.extentX = control.extent_.cx;
    layout.extentY = control.extent_.cy;
    for (const ComPtr<ToolBar>& bar : control.Bars().Items()) layout.toolBars.push_back(RecordOf(control, *bar));
    WriteFileBytes(path, format::WriteLayout(layout));
}

// ---- Byte arrays ----------------------------------------------------------------------------------

Variant Persistence::BytesVariant(const Bytes& bytes) {
    Variant v;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array) throw bastide::com::ComError(E_OUTOFMEMORY);
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    std::copy(bytes.begin(), bytes.end(), static_cast<std::uint8_t*>(data));
    SafeArrayUnaccessData(array);
    V_VT(v.Ptr()) = VT_ARRAY | VT_UI1;
    V_ARRAY(v.Ptr()) = array;
    return v;
}

// Raises 380 for anything but a one-dimensional array of bytes.
Bytes Persistence::BytesIn(const VARIANT* value) {
    const VARIANT* v = bastide::com::Deref(value);
    if (!v || V_VT(v) != (VT_ARRAY | VT_UI1) || !V_ARRAY(v) || SafeArrayGetDim(V_ARRAY(v)) != 1)
        Raise(kInvalidPropertyValue);
    SAFEARRAY* array = V_ARRAY(v);
    void* data = nullptr;
    bastide::com::ThrowIfFailed(SafeArrayAccessData(array, &data));
    Bytes bytes(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + array->rgsabound[0].cElements);
    SafeArrayUnaccessData(array);
    return bytes;
}

// ---- The persistence interfaces of the control ---------------------------------------------------

HRESULT Control::GetClassID(CLSID* out) {
    if (!out) return E_POINTER;
    *out = CLSID_PalisadeCtl;
    return S_OK;
}

HRESULT Control::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

// A fresh control: the defaults, a 100 x 50 pixel extent, no tools, no toolbars.
HRESULT Control::InitNew() {
    return Guard([&] {
        Persistence::Clear(*this);
        ControlProperties fresh;
        fresh.font = props_.font;
        fresh.customizationStrings = props_.customizationStrings;
        props_ = std::move(fresh);
        extent_ = NewExtent();
        dirty_ = false;
    });
}
HRESULT Control::InitNew(IStorage*) { return InitNew(); }

HRESULT Control::Load(IStream* stream) {
    return Guard([&]() -> HRESULT {
        if (!stream) return E_POINTER;
        LARGE_INTEGER zero = {};
        ULARGE_INTEGER start = {};
        bool seekable = SUCCEEDED(stream->Seek(zero, STREAM_SEEK_CUR, &start));
        Bytes bytes = ReadRest(stream);
        size_t used = bytes.size();
        HRESULT hr = Persistence::Load(*this, bytes, &used);
        if (seekable) {
            // The container's data may go on after the control's own.
            LARGE_INTEGER end;
            end.QuadPart = static_cast<LONGLONG>(start.QuadPart + used);
            stream->Seek(end, STREAM_SEEK_SET, nullptr);
        }
        return hr;
    });
}

HRESULT Control::Save(IStream* stream, BOOL clearDirty) {
    return Guard([&]() -> HRESULT {
        if (!stream) return E_POINTER;
        Bytes bytes = Persistence::Save(*this);
        ULONG written = 0;
        HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
        if (FAILED(hr)) return hr;
        if (written != bytes.size()) return STG_E_MEDIUMFULL;
        if (clearDirty) dirty_ = false;
        return S_OK;
    });
}

HRESULT Control::GetSizeMax(ULARGE_INTEGER* size) {
    return GuardOut(size, [&] { size->QuadPart = Persistence::Save(*this).size(); });
}

namespace {
const wchar_t kContents[] = L"Contents";
}

HRESULT Control::Load(IStorage* storage) {
    return Guard([&]() -> HRESULT {
        if (!storage) return E_POINTER;
        ComPtr<IStream> stream;
        HRESULT hr = storage->OpenStream(kContents, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put());
        if (FAILED(hr)) return hr;
        return Load(stream.Get());
    });
}

HRESULT Control::Save(IStorage* storage, BOOL) {
    return Guard([&]() -> HRESULT {
        if (!storage) return E_POINTER;
        ComPtr<IStream> stream;
        HRESULT hr = storage->CreateStream(kContents, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                           stream.Put());
        if (FAILED(hr)) return hr;
        return Save(stream.Get(), TRUE);
    });
}

HRESULT Control::SaveCompleted(IStorage*) { return S_OK; }
HRESULT Control::HandsOffStorage() { return S_OK; }

// ---- Property bag ------------------------------------------------------------------------------------
// The control's properties under their own names; the tools and the toolbars as
// byte arrays of their records in the stream's layout ("Tools" with the strips),
// counted by "ToolsCount" and "ToolBarsCount".

namespace {

Variant BagRead(IPropertyBag* bag, const wchar_t* name, IErrorLog* log) {
    Variant v;
    if (FAILED(bag->Read(name, v.Ptr(), log))) v.Clear();
    return v;
}

template <class T>
T BagNumber(IPropertyBag* bag, const wchar_t* name, IErrorLog* log, T fallback) {
    Variant v = BagRead(bag, name, log), n;
    if (V_VT(v.Ptr()) == VT_EMPTY || FAILED(VariantChangeType(n.Ptr(), v.Ptr(), 0, VT_I4))) return fallback;
    return static_cast<T>(V_I4(n.Ptr()));
}

Bytes BagBytes(IPropertyBag* bag, const wchar_t* name, IErrorLog* log) {
    Variant v = BagRead(bag, name, log);
    return V_VT(v.Ptr()) == (VT_ARRAY | VT_UI1) ? Persistence::BytesIn(v.Ptr()) : Bytes();
}

// The saved form of an object the bag hands back (a font or a picture).
std::optional<Bytes> BagObject(IPropertyBag* bag, const wchar_t* name, IErrorLog* log, bool picture) {
    Variant v = BagRead(bag, name, log);
    if (V_VT(v.Ptr()) != VT_DISPATCH && V_VT(v.Ptr()) != VT_UNKNOWN) return std::nullopt;
    IUnknown* object = V_VT(v.Ptr()) == VT_DISPATCH ? V_DISPATCH(v.Ptr()) : V_UNKNOWN(v.Ptr());
    if (!object) return std::nullopt;
    if (!picture) return SavedForm(object);
    ComPtr<IPictureDisp> disp;
    if (FAILED(object->QueryInterface(IID_IPictureDisp, disp.PutVoid()))) return std::nullopt;
    return PictureForm(disp.Get());
}

HRESULT BagWrite(IPropertyBag* bag, const wchar_t* name, Variant value) {
    return bag->Write(name, value.Ptr());
}

Variant Bool(bool b) { return Variant::FromBool(b); }

} // namespace

HRESULT Control::Load(IPropertyBag* bag, IErrorLog* log) {
    return Guard([&]() -> HRESULT {
        if (!bag) return E_POINTER;
        format::Stream s;
        SIZEL fresh = NewExtent();
        s.extentX = BagNumber<std::int32_t>(bag, L"_ExtentX", log, fresh.cx);
        s.extentY = BagNumber<std::int32_t>(bag, L"_ExtentY", log, fresh.cy);
        s.version = BagNumber<std::uint32_t>(bag, L"_Version", log, format::kCurrentVersion);
        if (s.version > format::kCurrentVersion) return E_UNEXPECTED;
        format::ControlBlock& c = s.control;
        c.backColor = BagNumber<std::uint32_t>(bag, L"BackColor", log, c.backColor);
        c.foreColor = BagNumber<std::uint32_t>(bag, L"ForeColor", log, c.foreColor);
        c.maskColor = BagNumber<std::uint32_t>(bag, L"PictureBackgroundMaskColor", log, c.maskColor);
        c.toolTipDelay = BagNumber<std::int16_t>(bag, L"ToolTipDelay", log, c.toolTipDelay);
        c.fontSource = BagNumber<std::uint8_t>(bag, L"FontSource", log, c.fontSource);
        c.menuAnimations = BagNumber<std::uint8_t>(bag, L"MenuAnimations", log, c.menuAnimations);
        c.personalizedMenus = BagNumber<std::uint8_t>(bag, L"PersonalizedMenus", log, c.personalizedMenus);
        c.pictureBackgroundStyle = BagNumber<std::uint8_t>(bag, L"PictureBackgroundStyle", log, 0);
        c.style = BagNumber<std::uint8_t>(bag, L"Style", log, c.style);
        c.dragFullToolBars = BagNumber<std::uint8_t>(bag, L"DragFullToolBars", log, c.dragFullToolBars);
        c.fadeDelay = BagNumber<std::int16_t>(bag, L"FloatingToolbarFadeDelay", log, c.fadeDelay);
        const wchar_t* flags[] = {L"ActiveColors", L"DisplayContextMenu", L"Enabled", L"PictureBackgroundUseMask",
                                  L"ShowShortcutsInToolTips", L"ShowToolTips", L"Visible", L"LargeIcons"};
        for (int bit = 0; bit < 8; ++bit) {
            bool on = BagNumber<long>(bag, flags[bit], log, (c.flags >> bit) & 1 ? -1 : 0) != 0;
            c.flags = static_cast<std::uint8_t>((c.flags & ~(1u << bit)) | (on ? 1u << bit : 0u));
        }
        s.font = BagObject(bag, L"Font", log, false);
        s.pictureBackground = BagObject(bag, L"PictureBackground", log, true);
        Variant tag = BagRead(bag, L"TagVariant", log);
        s.tag = TagText(tag);
        HRESULT result = S_OK;
        try {
            format::ReadTools(BagBytes(bag, L"Tools", log), s.version, BagNumber<long>(bag, L"ToolsCount", log, 0),
                              s.tools);
            format::ReadToolBars(BagBytes(bag, L"ToolBars", log), s.version,
                                 BagNumber<long>(bag, L"ToolBarsCount", log, 0), s.toolBars);
        } catch (const format::FormatError& e) {
            result = ResultOf(e.fault());
        }
        return Persistence::Take(*this, s, result);
    });
}

HRESULT Control::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    return Guard([&]() -> HRESULT {
        if (!bag) return E_POINTER;
        format::Stream s = Persistence::ModelOf(*this);
        const format::ControlBlock& c = s.control;
        const std::pair<const wchar_t*, Variant> values[] = {
            {L"_ExtentX", Variant::FromLong(s.extentX)},
            {L"_ExtentY", Variant::FromLong(s.extentY)},
            {L"_Version", Variant::FromLong(static_cast<long>(format::kCurrentVersion))},
            {L"BackColor", Variant::FromLong(static_cast<long>(c.backColor))},
            {L"ForeColor", Variant::FromLong(static_cast<long>(c.foreColor))},
            {L"PictureBackgroundMaskColor", Variant::FromLong(static_cast<long>(c.maskColor))},
            {L"ToolTipDelay", Variant::FromLong(c.toolTipDelay)},
            {L"FontSource", Variant::FromLong(c.fontSource)},
            {L"MenuAnimations", Variant::FromLong(c.menuAnimations)},
            {L"PersonalizedMenus", Variant::FromLong(c.personalizedMenus)},
            {L"PictureBackgroundStyle", Variant::FromLong(c.pictureBackgroundStyle)},
            {L"Style", Variant::FromLong(c.style)},
            {L"DragFullToolBars", Variant::FromLong(c.dragFullToolBars)},
            {L"FloatingToolbarFadeDelay", Variant::FromLong(c.fadeDelay)},
            {L"ActiveColors", Bool(c.flags & 1)},
            {L"DisplayContextMenu", Bool(c.flags & 2)},
            {L"Enabled", Bool(c.flags & 4)},
            {L"PictureBackgroundUseMask", Bool(c.flags & 8)},
            {L"ShowShortcutsInToolTips", Bool(c.flags & 16)},
            {L"ShowToolTips", Bool(c.flags & 32)},
            {L"Visible", Bool(c.flags & 64)},
            {L"LargeIcons", Bool(c.flags & 128)},
            {L"TagVariant", Variant::FromString(Widen(s.tag))},
            {L"ToolsCount", Variant::FromLong(static_cast<long>(s.tools.size()))},
            {L"Tools", Persistence::BytesVariant(format::WriteTools(s.tools, format::kCurrentVersion,
                                                       {Rgb(Translate(props_.backColor))}))},
            {L"ToolBarsCount", Variant::FromLong(static_cast<long>(s.toolBars.size()))},
            {L"ToolBars", Persistence::BytesVariant(format::WriteToolBars(s.toolBars, format::kCurrentVersion))},
        };
        for (const auto& [name, value] : values) {
            HRESULT hr = BagWrite(bag, name, value);
            if (FAILED(hr)) return hr;
        }
        if (s.font) {
            HRESULT hr = BagWrite(bag, L"Font", Variant::FromDispatch(props_.font.Get()));
            if (FAILED(hr)) return hr;
        }
        if (props_.pictureBackground) {
            HRESULT hr = BagWrite(bag, L"PictureBackground", Variant::FromDispatch(props_.pictureBackground.Get()));
            if (FAILED(hr)) return hr;
        }
        if (clearDirty) dirty_ = false;
        return S_OK;
    });
}

} // namespace palisade
