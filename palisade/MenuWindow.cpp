#include "palisade/MenuWindow.h"

#include "palisade/Control.h"
#include "palisade/Module.h"
#include "palisade/PopupMenu.h"

#include <algorithm>

namespace palisade {

namespace {

constexpr long kMenuType = 7, kSeparatorType = 8;
constexpr UINT_PTR kHoverTimer = 1;
const wchar_t kMenuClass[] = L"PlMenu";
const wchar_t kMenuProp[] = L"PlMenuProp";
const wchar_t kToolsProp[] = L"plToolsProp";

// Sizes at 96 dpi, scaled with the screen's.
constexpr int kPaddingY = 2, kPaddingX = 2;   // inside the border
constexpr int kItemHeight = 22;                // at least; more for a tall font
constexpr int kSeparatorHeight = 9;
constexpr int kPictureColumn = 26;
constexpr int kTextGap = 6;                    // between the picture column and the caption
constexpr int kShortcutGap = 32;               // between the caption and its shortcut
constexpr int kArrowColumn = 24;               // room for a sub-menu's arrow on the right
constexpr int kMinimumWidth = 100;

// The light menus of today's Windows; in high contrast, the system's colours.
struct Palette {
    COLORREF back, border, hot, hotDisabled, text, hotText, grayText, separator;
};

Palette CurrentPalette() {
    HIGHCONTRASTW contrast = {sizeof(contrast)};
    if (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
        (contrast.dwFlags & HCF_HIGHCONTRASTON))
        return {GetSysColor(COLOR_MENU), GetSysColor(COLOR_MENUTEXT), GetSysColor(COLOR_HIGHLIGHT),
                GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_MENUTEXT), GetSysColor(COLOR_HIGHLIGHTTEXT),
                GetSysColor(COLOR_GRAYTEXT), GetSysColor(COLOR_MENUTEXT)};
    return {RGB(242, 242, 242), RGB(204, 204, 204), RGB(145, 201, 247), RGB(222, 222, 222),
            RGB(0, 0, 0), RGB(0, 0, 0), RGB(109, 109, 109), RGB(215, 215, 215)};
}

void Fill(HDC dc, const RECT& r, COLORREF color) {
    SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

// A 32-bit top-down bitmap whose pixels can be read and written.
struct PixelBitmap {
    win::MemoryDc dc;
    win::GdiObject bitmap;
    HGDIOBJ previous = nullptr;
    DWORD* bits = nullptr;
    int width = 0, height = 0;

    PixelBitmap(int w, int h) : width(w), height(h) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* p = nullptr;
        bitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0));
        dc.Reset(CreateCompatibleDC(nullptr));
        bits = static_cast<DWORD*>(p);
        if (bitmap && dc) previous = SelectObject(dc.Get(), bitmap.Get());
    }
    ~PixelBitmap() {
        if (previous) SelectObject(dc.Get(), previous);
    }
    bool Valid() const { return bits && dc && previous; }
    // DIB pixels are 0x00RRGGBB.
    static DWORD Of(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
};

bool RenderPicture(IPictureDisp* source, HDC dc, int width, int height) {
    ComPtr<IPicture> picture;
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    if (!source || FAILED(source->QueryInterface(IID_IPicture, picture.PutVoid())) ||
        FAILED(picture->get_Width(&w)) || FAILED(picture->get_Height(&h)))
        return false;
    return SUCCEEDED(picture->Render(dc, 0, 0, width, height, 0, h, w, -h, nullptr));
}

short PictureType(IPictureDisp* source) {
    ComPtr<IPicture> picture;
    short type = PICTYPE_NONE;
    if (source && SUCCEEDED(source->QueryInterface(IID_IPicture, picture.PutVoid()))) picture->get_Type(&type);
    return type;
}

win::GdiObject MenuFont(const Control& control) {
    const ControlProperties& props = control.Properties();
    if (props.fontSource == 1 && props.font) {
        ComPtr<IFont> font;
        HFONT handle = nullptr;
        LOGFONTW lf;
        if (SUCCEEDED(props.font->QueryInterface(IID_IFont, font.PutVoid())) && SUCCEEDED(font->get_hFont(&handle)) &&
            handle && GetObjectW(handle, sizeof(lf), &lf))
            return win::GdiObject(CreateFontIndirectW(&lf));
    }
    NONCLIENTMETRICSW metrics = {sizeof(metrics)};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return win::GdiObject(CreateFontIndirectW(&metrics.lfMenuFont));
    return win::GdiObject(CreateFontW(-MulDiv(9, ScreenDpi(), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                      CLEARTYPE_QUALITY, 0, L"Segoe UI"));
}

SIZE TextSize(HDC dc, const std::wstring& text, UINT flags) {
    RECT r = {0, 0, 0, 0};
    if (!text.empty()) DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags | DT_CALCRECT | DT_SINGLELINE);
    return {r.right - r.left, r.bottom - r.top};
}

MenuWindow* MenuOf(HWND window) {
    return window ? static_cast<MenuWindow*>(GetPropW(window, kMenuProp)) : nullptr;
}

} // namespace

int ScreenDpi() {
    win::WindowDc dc(nullptr);
    int dpi = dc.Get() ? GetDeviceCaps(dc.Get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

wchar_t AccessKeyOf(std::wstring_view caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != L'&') continue;
        if (caption[i + 1] == L'&') {
            ++i;  // "&&" is a plain "&"
            continue;
        }
        return UpperCase(caption[i + 1]);
    }
    return 0;
}

std::wstring ShortcutText(long s) {
    auto f = [](long n) { return L"F" + std::to_wstring(n); };
    if (s >= 1 && s <= 26) return std::wstring(L"Ctrl+") + static_cast<wchar_t>(L'A' + s - 1);
    if (s >= 27 && s <= 38) return f(s - 26);
    if (s >= 39 && s <= 50) return L"Ctrl+" + f(s - 38);
    if (s >= 51 && s <= 62) return L"Shift+" + f(s - 50);
    if (s >= 63 && s <= 74) return L"Shift+Ctrl+" + f(s - 62);
    switch (s) {
    case 75: return L"Ctrl+Ins";
    case 76: return L"Shift+Ins";
    case 77: return L"Del";
    case 78: return L"Shift+Del";
    case 79: return L"Alt+Bksp";
    case 80: return L"Ctrl+Down";
    default: return {};
    }
}

LRESULT CALLBACK MenuWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<MenuWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    try {
        return self->Handle(hwnd, msg, wp, lp);
    } catch (...) {
        return 0;  // nothing leaves a window procedure
    }
}

MenuWindow::MenuWindow(PopupHost& host, int depth, MenuWindow* parent)
    : host_(host), depth_(depth), parent_(parent) {}

MenuWindow::~MenuWindow() {
    if (hwnd_) {
        HWND window = hwnd_;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        RemovePropW(window, kMenuProp);
        RemovePropW(window, kToolsProp);
        hwnd_ = nullptr;
        DestroyWindow(window);
    }
}

int MenuWindow::Scaled(int pixels) const { return MulDiv(pixels, dpi_, 96); }

void MenuWindow::EnsureWindow() {
    HWND host = host_.HostWindow();
    HWND owner = host ? GetAncestor(host, GA_ROOT) : nullptr;
    if (hwnd_ && IsWindow(hwnd_) && owner == owner_) return;
    if (hwnd_ && IsWindow(hwnd_)) {
        HWND old = hwnd_;
        SetWindowLongPtrW(old, GWLP_USERDATA, 0);
        RemovePropW(old, kMenuProp);
        RemovePropW(old, kToolsProp);
        DestroyWindow(old);
    }
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kMenuClass, L"", WS_POPUP, 0, 0, 0, 0,
                            owner, nullptr, Module(), this);
    if (!hwnd_) bastide::com::ThrowIfFailed(HRESULT_FROM_WIN32(GetLastError()));
    owner_ = owner;
    SetPropW(hwnd_, kMenuProp, this);
}

void MenuWindow::Build(Tool& menuTool) {
    menuTool_ = ComPtr<Tool>(&menuTool);
    items_.clear();
    hot_ = -1;
    if (!menuTool.Def().menu) return;
    ToolsCollection& tools = menuTool.Def().menu->Tools();
    SetPropW(hwnd_, kToolsProp, &tools);
    for (const ComPtr<Tool>& placement : tools.Items()) {
        const ToolDefinition& def = placement->Def();
        if (!def.visible) continue;
        Item item;
        item.placement = placement;
        item.separator = def.type == kSeparatorType;
        if (!item.separator) {
            item.caption = placement->Look().name.empty() ? def.id : placement->Look().name;
            item.shortcut = ShortcutText(def.shortcut);
        }
        items_.push_back(std::move(item));
    }
}

SIZE MenuWindow::Measure() {
    dpi_ = ScreenDpi();
    font_ = MenuFont(host_.Owner());
    win::WindowDc screen(nullptr);
    win::Selection font(screen.Get(), font_.Get());
    TEXTMETRICW tm = {};
    GetTextMetricsW(screen.Get(), &tm);
    textHeight_ = tm.tmHeight;
    int captionWidth = 0, shortcutWidth = 0;
    for (const Item& item : items_) {
        if (item.separator) continue;
        captionWidth = std::max<int>(captionWidth, TextSize(screen.Get(), item.caption, 0).cx);
        shortcutWidth = std::max<int>(shortcutWidth, TextSize(screen.Get(), item.shortcut, DT_NOPREFIX).cx);
    }
    const int border = 1;
    int width = 2 * (border + Scaled(kPaddingX)) + Scaled(kPictureColumn) + Scaled(kTextGap) + captionWidth +
                (shortcutWidth ? Scaled(kShortcutGap) + shortcutWidth : 0) + Scaled(kArrowColumn);
    width = std::max(width, Scaled(kMinimumWidth));
    int itemHeight = std::max(Scaled(kItemHeight), textHeight_ + Scaled(8));
    int y = border + Scaled(kPaddingY);
    for (Item& item : items_) {
        int h = item.separator ? Scaled(kSeparatorHeight) : itemHeight;
        item.rect = {border + Scaled(kPaddingX), y, width - border - Scaled(kPaddingX), y + h};
        y += h;
    }
    return {width, y + Scaled(kPaddingY) + border};
}

void MenuWindow::Show(RECT where) {
    open_ = true;
    pressed_ = tracking_ = false;
    lastMouse_ = {LONG_MIN, LONG_MIN};
    SetWindowPos(hwnd_, HWND_TOPMOST, where.left, where.top, where.right - where.left, where.bottom - where.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
}

void MenuWindow::OpenAt(Tool& menuTool, POINT anchor, long align) {
    EnsureWindow();
    Build(menuTool);
    SIZE size = Measure();
    POINT pos = anchor;
    if (align & 8) pos.x -= size.cx;
    else if (align & 4) pos.x -= size.cx / 2;
    MONITORINFO monitor = {sizeof(monitor)};
    GetMonitorInfoW(MonitorFromPoint(anchor, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    // Too far right: a left-aligned menu opens to the left of the point; too low, above it.
    if (pos.x + size.cx > work.right) pos.x = (align & 12) ? work.right - size.cx : anchor.x - size.cx;
    if (pos.y + size.cy > work.bottom) pos.y = anchor.y - size.cy;
    pos.x = std::max(pos.x, work.left);
    pos.y = std::max(pos.y, work.top);
    Show({pos.x, pos.y, pos.x + size.cx, pos.y + size.cy});
}

void MenuWindow::OpenBeside(Tool& menuTool, const RECT& parentItem) {
    EnsureWindow();
    Build(menuTool);
    SIZE size = Measure();
    const int inset = 1 + Scaled(kPaddingY);
    POINT pos = {parentItem.right + Scaled(kPaddingX) + 1 - Scaled(3), parentItem.top - inset};
    MONITORINFO monitor = {sizeof(monitor)};
    GetMonitorInfoW(MonitorFromPoint(pos, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    if (pos.x + size.cx > work.right) pos.x = parentItem.left - Scaled(kPaddingX) - 1 + Scaled(3) - size.cx;
    if (pos.y + size.cy > work.bottom) pos.y = work.bottom - size.cy;
    pos.x = std::max(pos.x, work.left);
    pos.y = std::max(pos.y, work.top);
    Show({pos.x, pos.y, pos.x + size.cx, pos.y + size.cy});
}

void MenuWindow::Close() {
    if (!hwnd_) {
        open_ = false;
        return;
    }
    KillTimer(hwnd_, kHoverTimer);
    if (GetCapture() == hwnd_) ReleaseCapture();
    open_ = pressed_ = tracking_ = false;
    hot_ = -1;
    ShowWindow(hwnd_, SW_HIDE);
}

// ---- Highlight -----------------------------------------------------------------------------

Tool* MenuWindow::Highlighted() const {
    return hot_ >= 0 && hot_ < static_cast<int>(items_.size()) ? items_[static_cast<size_t>(hot_)].placement.Get()
                                                               : nullptr;
}

RECT MenuWindow::HighlightedScreenRect() const {
    if (hot_ < 0) return {};
    RECT r = items_[static_cast<size_t>(hot_)].rect;
    MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void MenuWindow::SetHot(int index) {
    if (index == hot_) return;
    hot_ = index;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void MenuWindow::MoveHighlight(int step) {
    int n = static_cast<int>(items_.size());
    int i = hot_;
    for (int tries = 0; tries < n; ++tries) {
        i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
        if (!items_[static_cast<size_t>(i)].separator) {
            SetHot(i);
            return;
        }
    }
}

void MenuWindow::HighlightFirst() {
    hot_ = -1;
    MoveHighlight(1);
    ShowHighlight();
}

void MenuWindow::HighlightLast() {
    hot_ = -1;
    MoveHighlight(-1);
    ShowHighlight();
}

void MenuWindow::ShowHighlight() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void MenuWindow::Highlight(const Tool* placement) {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].placement.Get() == placement) SetHot(static_cast<int>(i));
}

std::vector<Tool*> MenuWindow::WithAccessKey(wchar_t key) const {
    std::vector<Tool*> found;
    size_t n = items_.size();
    for (size_t k = 1; k <= n; ++k) {
        const Item& item = items_[(static_cast<size_t>(hot_ + 1) + k - 1) % n];
        if (!item.separator && item.placement->Def().enabled && AccessKeyOf(item.caption) == key)
            found.push_back(item.placement.Get());
    }
    return found;
}

int MenuWindow::ItemAt(POINT client) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (!items_[i].separator && PtInRect(&items_[i].rect, client)) return static_cast<int>(i);
    return -1;
}

// ---- Mouse ---------------------------------------------------------------------------------

void MenuWindow::OnMouseMove(POINT at) {
    if (!tracking_) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, hwnd_, 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
    }
    int index = ItemAt(at);
    if (index == hot_) return;
    SetHot(index);
    StartHoverTimer();
}

// Resting on an item opens its sub-menu, or closes the sub-menu of another item.
void MenuWindow::StartHoverTimer() {
    UINT delay = 400;
    SystemParametersInfoW(SPI_GETMENUSHOWDELAY, 0, &delay, 0);
    SetTimer(hwnd_, kHoverTimer, std::max<UINT>(delay, 1), nullptr);
}

void MenuWindow::OnHoverTimer() {
    KillTimer(hwnd_, kHoverTimer);
    Tool* hot = Highlighted();
    if (hot && hot->Def().type == kMenuType) {
        host_.OpenSubMenu(*this, *hot, false);
        return;
    }
    for (MenuWindow* m = host_.Current(); m && m != this; m = m->Parent())
        if (m->Parent() == this) {
            host_.CloseFrom(*m);
            break;
        }
}

void MenuWindow::OnButtonDown(POINT at) {
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetCapture(hwnd_);
    pressed_ = true;
    int index = ItemAt(at);
    SetHot(index);
    if (Tool* t = Highlighted(); t && t->Def().type == kMenuType) host_.OpenSubMenu(*this, *t, false);
}

void MenuWindow::OnButtonUp(POINT at) {
    if (!pressed_) return;  // a press that began elsewhere (the one that opened the menu) chooses nothing
    pressed_ = false;
    if (GetCapture() == hwnd_) ReleaseCapture();
    // Released over another of the control's menus (pressed here, dragged there): that one chooses.
    MenuWindow* target = this;
    RECT client;
    GetClientRect(hwnd_, &client);
    if (!PtInRect(&client, at)) {
        POINT screen = at;
        ClientToScreen(hwnd_, &screen);
        HWND under = WindowFromPoint(screen);
        target = host_.OwnsMenuWindow(under) ? MenuOf(under) : nullptr;
        if (!target) return;
        ScreenToClient(target->hwnd_, &screen);
        at = screen;
    }
    int index = target->ItemAt(at);
    if (index < 0) return;
    Tool& placement = *target->items_[static_cast<size_t>(index)].placement;
    if (placement.Def().type != kMenuType) host_.Choose(placement);
}

// ---- Drawing -------------------------------------------------------------------------------

void MenuWindow::PaintPicture(HDC dc, const Item& item, const RECT& cell, COLORREF back) {
    const ToolDefinition& def = item.placement->Def();
    IPictureDisp* source = def.picture.Get();
    bool grey = false;
    if (!def.enabled) {
        if (def.pictureDisabled) source = def.pictureDisabled.Get();
        else grey = true;
    }
    int w = cell.right - cell.left, h = cell.bottom - cell.top;
    if (!source || w <= 0 || h <= 0) return;
    PixelBitmap image(w, h);
    if (!image.Valid()) return;
    DWORD backPixel = PixelBitmap::Of(back);
    std::fill(image.bits, image.bits + w * h, backPixel);
    if (PictureType(source) == PICTYPE_BITMAP && def.useMaskColor) {
        // A bitmap's first pixel gives its transparent colour, as for toolbar images.
        PixelBitmap raw(w, h);
        if (!raw.Valid() || !RenderPicture(source, raw.dc.Get(), w, h)) return;
        GdiFlush();
        DWORD mask = raw.bits[0] & 0xFFFFFF;
        for (int i = 0; i < w * h; ++i)
            if ((raw.bits[i] & 0xFFFFFF) != mask) image.bits[i] = raw.bits[i] & 0xFFFFFF;
    } else if (!RenderPicture(source, image.dc.Get(), w, h)) {
        return;
    }
    GdiFlush();
    if (grey) {
        // Greyed and faded toward the background, as the system shows a disabled item's picture.
        for (int i = 0; i < w * h; ++i) {
            DWORD p = image.bits[i];
            int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
            int l = (r * 30 + g * 59 + b * 11) / 100;
            int br = (backPixel >> 16) & 0xFF, bg = (backPixel >> 8) & 0xFF, bb = backPixel & 0xFF;
            image.bits[i] = static_cast<DWORD>((((l + br * 2) / 3) << 16) | (((l + bg * 2) / 3) << 8) | ((l + bb * 2) / 3));
        }
    }
    BitBlt(dc, cell.left, cell.top, w, h, image.dc.Get(), 0, 0, SRCCOPY);
}

void MenuWindow::PaintItem(HDC dc, const Item& item, bool hot) {
    Palette palette = CurrentPalette();
    const RECT& r = item.rect;
    if (item.separator) {
        int mid = (r.top + r.bottom) / 2;
        RECT line = {r.left + Scaled(kPictureColumn), mid, r.right, mid + 1};
        Fill(dc, line, palette.separator);
        return;
    }
    const ToolDefinition& def = item.placement->Def();
    bool enabled = def.enabled;
    COLORREF back = palette.back;
    if (hot) {
        back = enabled ? palette.hot : palette.hotDisabled;
        Fill(dc, r, back);
    }
    int side = std::min(Scaled(def.pictureSize > 0 ? def.pictureSize : 16), Scaled(kPictureColumn) - Scaled(4));
    RECT cell = {r.left + (Scaled(kPictureColumn) - side) / 2, r.top + (r.bottom - r.top - side) / 2, 0, 0};
    cell.right = cell.left + side;
    cell.bottom = cell.top + side;
    COLORREF text = !enabled ? palette.grayText : hot ? palette.hotText : palette.text;
    if (def.picture || (!enabled && def.pictureDisabled)) {
        PaintPicture(dc, item, cell, back);
    } else if (def.state == 1) {
        // A checked state tool without a picture shows a check mark.
        win::GdiObject pen(CreatePen(PS_SOLID, std::max(1, MulDiv(3, dpi_, 192)), text));
        win::Selection selected(dc, pen.Get());
        auto at = [&](int x, int y) { return POINT{cell.left + MulDiv(x, side, 16), cell.top + MulDiv(y, side, 16)}; };
        POINT check[] = {at(3, 8), at(6, 11), at(13, 4)};
        Polyline(dc, check, 3);
    }
    SetTextColor(dc, text);
    RECT caption = {r.left + Scaled(kPictureColumn) + Scaled(kTextGap), r.top, r.right - Scaled(kArrowColumn), r.bottom};
    DrawTextW(dc, item.caption.c_str(), static_cast<int>(item.caption.size()), &caption,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (!item.shortcut.empty())
        DrawTextW(dc, item.shortcut.c_str(), static_cast<int>(item.shortcut.size()), &caption,
                  DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    if (def.type == kMenuType) {
        int cx = r.right - Scaled(kArrowColumn) / 2, cy = (r.top + r.bottom) / 2, a = Scaled(4);
        win::GdiObject pen(CreatePen(PS_SOLID, std::max(1, MulDiv(3, dpi_, 192)), text));
        win::Selection selected(dc, pen.Get());
        POINT arrow[] = {{cx - a / 2, cy - a}, {cx + a / 2, cy}, {cx - a / 2, cy + a}};
        Polyline(dc, arrow, 3);
    }
}

void MenuWindow::Paint(HDC target) {
    RECT client;
    GetClientRect(hwnd_, &client);
    int w = client.right, h = client.bottom;
    if (w <= 0 || h <= 0) return;
    win::MemoryDc dc(CreateCompatibleDC(target));
    win::GdiObject bitmap(CreateCompatibleBitmap(target, w, h));
    if (!dc || !bitmap) return;
    win::Selection selectedBitmap(dc.Get(), bitmap.Get());
    Palette palette = CurrentPalette();
    Fill(dc.Get(), client, palette.back);
    win::GdiObject border(CreateSolidBrush(palette.border));
    FrameRect(dc.Get(), &client, static_cast<HBRUSH>(border.Get()));
    {
        win::Selection selectedFont(dc.Get(), font_.Get());
        SetBkMode(dc.Get(), TRANSPARENT);
        for (size_t i = 0; i < items_.size(); ++i) PaintItem(dc.Get(), items_[i], static_cast<int>(i) == hot_);
    }
    BitBlt(target, 0, 0, w, h, dc.Get(), 0, 0, SRCCOPY);
}

// ---- Messages ------------------------------------------------------------------------------

LRESULT MenuWindow::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) hwnd_ = hwnd;
    bool mouse = (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || msg == WM_MOUSELEAVE;
    // A hidden menu takes no input; it can still be printed.
    if (!open_ && (mouse || msg == WM_TIMER)) return 0;
    POINT at = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    bool rightChooses = host_.RightButton();
    switch (msg) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        if (open_) Paint(dc);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wp)); return 0;
    case WM_MOUSEMOVE:
        if (at.x == lastMouse_.x && at.y == lastMouse_.y) return 0;
        lastMouse_ = at;
        OnMouseMove(at);
        return 0;
    case WM_MOUSELEAVE:
        // The highlight stays on an item whose sub-menu is open.
        tracking_ = false;
        lastMouse_ = {LONG_MIN, LONG_MIN};
        if (host_.Current() == this && !pressed_) SetHot(-1);
        return 0;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: OnButtonDown(at); return 0;
    case WM_LBUTTONUP: OnButtonUp(at); return 0;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
        if (rightChooses) OnButtonDown(at);
        else SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return 0;
    case WM_RBUTTONUP:
        if (rightChooses) OnButtonUp(at);
        return 0;
    case WM_TIMER:
        if (wp == kHoverTimer) OnHoverTimer();
        return 0;
    case WM_CANCELMODE:
        pressed_ = false;
        if (GetCapture() == hwnd_) ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != hwnd_) pressed_ = false;
        return 0;
    case WM_DESTROY:
        RemovePropW(hwnd_, kMenuProp);
        RemovePropW(hwnd_, kToolsProp);
        break;
    case WM_NCDESTROY:
        hwnd_ = nullptr;
        open_ = false;
        break;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

} // namespace palisade
