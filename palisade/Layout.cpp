#include "palisade/Layout.h"

#include "palisade/Control.h"

#include <algorithm>

namespace palisade {

namespace {

constexpr long kComboBox = 4, kEdit = 5, kLabel = 6, kSeparator = 8;
constexpr long kTextOnlyAlways = 1, kImageAndText = 3;

// Measures captions with the control's font.
class Measure {
public:
    explicit Measure(const Control& control) : dc_(GetDC(nullptr)) {
        ComPtr<IFont> font;
        HFONT handle = nullptr;
        if (control.Properties().font &&
            SUCCEEDED(control.Properties().font->QueryInterface(IID_IFont, font.PutVoid())) &&
            SUCCEEDED(font->get_hFont(&handle)) && handle)
            old_ = SelectObject(dc_, handle);
    }
    ~Measure() {
        if (old_) SelectObject(dc_, old_);
        ReleaseDC(nullptr, dc_);
    }
    LONG Width(const std::wstring& text) const {
        SIZE size = {0, 0};
        if (!text.empty()) GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

private:
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

// Length of a tool along its bar.
LONG ToolLength(Tool& tool, const Measure& measure, LONG picture) {
    const ToolDefinition& def = tool.Def();
    const ToolLook& look = tool.Look();
    if (def.type == kSeparator) return kSeparatorLength;
    if (def.type == kComboBox || def.type == kEdit) return look.ctlWidth;
    bool text = def.type == kLabel || look.displayStyle == kTextOnlyAlways || look.displayStyle == kImageAndText;
    bool image = def.type != kLabel && look.displayStyle != kTextOnlyAlways;
    LONG length = kButtonPadding;
    if (image) length += picture;
    if (text && !look.name.empty()) length += measure.Width(look.name) + (image ? kButtonPadding : 0);
    return std::max(length, picture + kButtonPadding);
}

// The distinct rows of a dock area in use by visible bars, in order.
std::vector<short> RowsOf(const Control& control, long dock) {
    std::vector<short> rows;
    for (const ComPtr<ToolBar>& bar : const_cast<Control&>(control).Bars().Items()) {
        const ToolBarState& s = bar->State();
        if (s.visible && s.dockedStatus == dock && std::find(rows.begin(), rows.end(), s.dockedRow) == rows.end())
            rows.push_back(s.dockedRow);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

} // namespace

BarLayout LayOut(const Control& control, SIZE client) {
    BarLayout layout;
    Control& c = const_cast<Control&>(control);
    const LONG thickness = control.BarThickness();
    const LONG picture = thickness - 2 * kBarFrame;
    const LONG top = static_cast<LONG>(RowsOf(control, 1).size()) * thickness;
    Measure measure(control);

    for (long dock : {1L, 2L, 4L, 8L}) {
        const bool horizontal = dock == 1 || dock == 2;
        std::vector<short> rows = RowsOf(control, dock);
        for (size_t r = 0; r < rows.size(); ++r) {
            // Where the row lies across the dock area, and where it starts along it.
            LONG across = static_cast<LONG>(r) * thickness;
            LONG band = static_cast<LONG>(rows.size()) * thickness;
            LONG rowStart = (dock == 1 || dock == 4) ? across : (dock == 2 ? client.cy : client.cx) - band + across;
            LONG along = horizontal ? 0 : top;  // side bars sit below the top area
            std::vector<ToolBar*> bars;
            for (const ComPtr<ToolBar>& bar : c.Bars().Items()) {
                const ToolBarState& s = bar->State();
                if (s.visible && s.dockedStatus == dock && s.dockedRow == rows[r]) bars.push_back(bar.Get());
            }
            std::stable_sort(bars.begin(), bars.end(), [](ToolBar* a, ToolBar* b) {
                return a->State().dockedColumn < b->State().dockedColumn;
            });
            for (ToolBar* bar : bars) {
                LONG start = along;
                along += bar->State().displayGrabHandles ? kGrabHandle : 0;
                for (const ComPtr<Tool>& tool : bar->Tools().Items()) {
                    if (!tool->Def().visible) continue;
                    LONG length = ToolLength(*tool, measure, picture);
                    RECT r = horizontal ? RECT{along, rowStart + 2, along + length, rowStart + thickness - 2}
                                        : RECT{rowStart + 2, along, rowStart + thickness - 2, along + length};
                    layout.tools.push_back({tool.Get(), r});
                    along += length;
                }
                along += kBarEnd;
                RECT r = horizontal ? RECT{start, rowStart, along, rowStart + thickness}
                                    : RECT{rowStart, start, rowStart + thickness, along};
                layout.bars.push_back({bar, dock, r});
            }
        }
    }
    return layout;
}

// ---- The control's geometry ---------------------------------------------------------------

short Control::BarThickness() const { return static_cast<short>((props_.largeIcons ? 32 : 16) + 2 * kBarFrame); }

short Control::DockThickness(long dock) const {
    return static_cast<short>(RowsOf(*this, dock).size() * BarThickness());
}

SIZE Control::ClientSize() const {
    if (window_) {
        RECT r;
        GetClientRect(window_, &r);
        return {r.right, r.bottom};
    }
    HDC dc = GetDC(nullptr);
    int dx = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96, dy = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return {MulDiv(extent_.cx, dx, 2540), MulDiv(extent_.cy, dy, 2540)};
}

long Control::DockAt(LONG x, LONG y) const {
    SIZE size = ClientSize();
    if (x < 0 || y < 0 || x >= size.cx || y >= size.cy) return 0;
    if (y < DockThickness(1)) return 1;
    if (y >= size.cy - DockThickness(2)) return 2;
    if (x < DockThickness(4)) return 4;
    if (x >= size.cx - DockThickness(8)) return 8;
    return 0;
}

ToolBar* Control::ToolBarAt(LONG x, LONG y) const {
    POINT p = {x, y};
    for (const PlacedBar& placed : LayOut(*this, ClientSize()).bars)
        if (PtInRect(&placed.rect, p)) return placed.bar;
    return nullptr;
}

Tool* Control::ToolAt(LONG x, LONG y) const {
    POINT p = {x, y};
    for (const PlacedTool& placed : LayOut(*this, ClientSize()).tools)
        if (PtInRect(&placed.rect, p)) return placed.tool;
    return nullptr;
}

RECT Control::ToolRect(const Tool* tool) const {
    for (const PlacedTool& placed : LayOut(*this, ClientSize()).tools)
        if (placed.tool == tool) return placed.rect;
    return RECT{0, 0, 0, 0};
}

} // namespace palisade
