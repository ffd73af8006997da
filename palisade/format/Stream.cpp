// The property stream, field by field, in every layout this control has written.
// All numbers are little-endian. A string is a 16-bit byte count and that many
// bytes. The reader never trusts a count: it checks that the smallest possible
// records of that number fit in what remains before it makes room for them.

#include "palisade/format/Stream.h"

#include "palisade/format/Dib.h"

#include <algorithm>

namespace palisade::format {

namespace {

constexpr std::uint32_t kHeaderSize = 8;          // what follows the signature and this size
constexpr std::uint32_t kOlePictureMagic = 0x746C;  // "lt": an OLE picture stream
constexpr std::uint8_t kOleFontVersion = 1;

// Smallest records, for the checks of counts.
constexpr std::size_t kMinString = 2;

bool Bit(std::uint8_t b, int i) { return (b >> i) & 1; }
std::uint8_t Bits(std::initializer_list<bool> bits) {
    std::uint8_t b = 0;
    int i = 0;
    for (bool on : bits) b |= static_cast<std::uint8_t>(on) << i++;
    return b;
}

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return bytes_.size() - pos_; }

    std::span<const std::uint8_t> Take(std::size_t n) {
        if (n > Remaining()) throw FormatError(Fault::Truncated, "stream ends inside a record");
        auto s = bytes_.subspan(pos_, n);
        pos_ += n;
        return s;
    }
    std::uint8_t U8() { return Take(1)[0]; }
    std::uint16_t U16() {
        auto s = Take(2);
        return static_cast<std::uint16_t>(s[0] | s[1] << 8);
    }
    std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
    std::uint32_t U32() {
        auto s = Take(4);
        return static_cast<std::uint32_t>(s[0]) | static_cast<std::uint32_t>(s[1]) << 8 |
               static_cast<std::uint32_t>(s[2]) << 16 | static_cast<std::uint32_t>(s[3]) << 24;
    }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::string String() {
        std::size_t n = U16();
        auto s = Take(n);
        return std::string(s.begin(), s.end());
    }
    // A count of records, each at least minSize bytes, that must fit in what remains.
    std::size_t Count(long count, std::size_t minSize) {
        if (count < 0) throw FormatError(Fault::Damaged, "negative count");
        if (static_cast<std::size_t>(count) > Remaining() / minSize)
            throw FormatError(Fault::Truncated, "stream ends before the records it counts");
        return static_cast<std::size_t>(count);
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

class Writer {
public:
    Bytes bytes;
    void U8(std::uint8_t v) { bytes.push_back(v); }
    void U16(std::uint16_t v) {
        U8(static_cast<std::uint8_t>(v));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void I16(std::int16_t v) { U16(static_cast<std::uint16_t>(v)); }
    void U32(std::uint32_t v) {
        U16(static_cast<std::uint16_t>(v));
        U16(static_cast<std::uint16_t>(v >> 16));
    }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void String(const std::string& s) {
        // A longer text would not fit the count: it is cut at 65535 bytes.
        std::size_t n = std::min<std::size_t>(s.size(), 0xFFFF);
        U16(static_cast<std::uint16_t>(n));
        bytes.insert(bytes.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    }
    void Raw(const Bytes& b) { bytes.insert(bytes.end(), b.begin(), b.end()); }
    // A record count is a signed 16-bit number.
    void Count(std::size_t n) {
        if (n > 0x7FFF) throw std::length_error("more than 32767 records");
        I16(static_cast<std::int16_t>(n));
    }
};

// ---- Header ---------------------------------------------------------------------------

void ReadHeader(Reader& r, std::int32_t& extentX, std::int32_t& extentY, std::uint32_t& version) {
    if (r.Remaining() < 8 || r.U32() != kSignature || r.U32() != kHeaderSize)
        throw FormatError(Fault::BadHeader, "not a stream of this control");
    extentX = r.I32();
    extentY = r.I32();
    version = r.U32();
    if (version > kCurrentVersion) throw FormatError(Fault::NewerVersion, "written by a later version");
}

void WriteHeader(Writer& w, std::int32_t extentX, std::int32_t extentY, std::uint32_t version) {
    w.U32(kSignature);
    w.U32(kHeaderSize);
    w.I32(extentX);
    w.I32(extentY);
    w.U32(version);
}

// ---- Embedded OLE objects ----------------------------------------------------------------

// An OLE picture stream: "lt", its data length, its data (a bitmap file, an icon, a metafile).
Bytes ReadOlePicture(Reader& r) {
    auto head = r.Take(8);
    if ((head[0] | head[1] << 8 | head[2] << 16 | static_cast<std::uint32_t>(head[3]) << 24) != kOlePictureMagic)
        throw FormatError(Fault::Damaged, "not an OLE picture");
    std::uint32_t size = head[4] | head[5] << 8 | head[6] << 16 | static_cast<std::uint32_t>(head[7]) << 24;
    if (size > r.Remaining()) throw FormatError(Fault::Truncated, "stream ends inside a picture");
    r.Take(size);
    const std::uint8_t* start = head.data();  // header and data lie side by side
    return Bytes(start, start + 8 + size);
}

// The OLE font's own stream: version 1, charset, attributes, weight, size, name.
Bytes ReadOleFont(Reader& r) {
    auto head = r.Take(10);
    if (head[0] != kOleFontVersion) throw FormatError(Fault::Damaged, "unknown font version");
    std::size_t nameLength = r.U8();
    r.Take(nameLength);
    const std::uint8_t* start = head.data();
    return Bytes(start, start + 11 + nameLength);
}

// ---- Control block ---------------------------------------------------------------------------

struct Counts {
    long toolBars = 0, tools = 0;
    std::uint8_t objects = 0;  // bit 0 a font follows, bit 2 a background picture
};

// 28 bytes from 0x00050000; older blocks are tighter and lack the later
// properties: 26 bytes without the fade delay, 25 without DragFullToolBars, 24
// without Style either.
Counts ReadControl(Reader& r, std::uint32_t version, ControlBlock& c) {
    Counts n;
    c.backColor = r.U32();
    c.foreColor = r.U32();
    c.maskColor = r.U32();
    n.toolBars = r.I16();
    n.tools = r.I16();
    c.toolTipDelay = r.I16();
    c.fontSource = r.U8();
    c.menuAnimations = r.U8();
    c.personalizedMenus = r.U8();
    c.pictureBackgroundStyle = r.U8();
    if (version >= kControlBlock25From) c.style = r.U8();
    if (version >= kControlBlock26From) c.dragFullToolBars = r.U8();
    c.flags = r.U8();
    n.objects = r.U8();
    if (version >= kCurrentVersion) c.fadeDelay = r.I16();
    return n;
}

void WriteControl(Writer& w, std::uint32_t version, const ControlBlock& c, std::size_t toolBars, std::size_t tools,
                  std::uint8_t objects) {
    w.U32(c.backColor);
    w.U32(c.foreColor);
    w.U32(c.maskColor);
    w.Count(toolBars);
    w.Count(tools);
    w.I16(c.toolTipDelay);
    w.U8(c.fontSource);
    w.U8(c.menuAnimations);
    w.U8(c.personalizedMenus);
    w.U8(c.pictureBackgroundStyle);
    if (version >= kControlBlock25From) w.U8(c.style);
    if (version >= kControlBlock26From) w.U8(c.dragFullToolBars);
    w.U8(c.flags);
    w.U8(objects);
    if (version >= kCurrentVersion) w.I16(c.fadeDelay);
}

// ---- Placements and tools ---------------------------------------------------------------------

std::size_t MinPlacement(std::uint32_t version) { return (version >= kInstanceFlagsFrom ? 9 : 8) + 2 * kMinString; }
std::size_t MinTool(std::uint32_t version) { return MinPlacement(version) + 12 + 5 * kMinString; }

Placement ReadPlacement(Reader& r, std::uint32_t version) {
    Placement p;
    p.foreColorSource = r.U8();
    p.displayStyle = r.U8();
    p.foreColor = r.U32();
    p.ctlWidth = r.I16();
    p.flags = version >= kInstanceFlagsFrom ? r.U8() : 1;
    p.name = r.String();
    p.id = r.String();
    return p;
}

void WritePlacement(Writer& w, std::uint32_t version, const Placement& p) {
    w.U8(p.foreColorSource);
    w.U8(p.displayStyle);
    w.U32(p.foreColor);
    w.I16(std::max<std::int16_t>(p.ctlWidth, 1));  // a placement that never had a width is written as 1
    if (version >= kInstanceFlagsFrom) w.U8(p.flags);
    w.String(p.name);
    w.String(p.id);
}

std::vector<Placement> ReadPlacements(Reader& r, std::uint32_t version, long count) {
    std::size_t n = r.Count(count, MinPlacement(version));
    std::vector<Placement> list;
    list.reserve(n);
    for (; n > 0; --n) list.push_back(ReadPlacement(r, version));
    return list;
}

// The flag bit of each picture kind: Picture, PictureDown, PictureDisabled, PictureDownDisabled.
constexpr struct {
    int byte, bit;
} kPictureBits[kPictureKinds] = {{0, 5}, {0, 7}, {0, 6}, {1, 0}};

Tool ReadTool(Reader& r, std::uint32_t version) {
    Tool t;
    t.look = ReadPlacement(r, version);
    t.state = r.U8();
    t.type = r.U8();
    t.shortcut = r.U8();
    t.menuVisibility = r.U8();
    t.pictureSize = r.I16();
    t.pictureWidth = r.I16();
    t.pictureHeight = r.I16();
    std::uint8_t flags[2] = {r.U8(), r.U8()};
    t.autoWrap = Bit(flags[0], 0);
    t.enabled = Bit(flags[0], 1);
    t.groupAllowAllUp = Bit(flags[0], 2);
    t.visible = Bit(flags[0], 3);
    t.useMaskColor = Bit(flags[0], 4);
    t.customizable = Bit(flags[1], 2);
    t.recentlyUsed = Bit(flags[1], 3);
    t.category = r.String();
    t.description = r.String();
    t.group = r.String();
    t.toolTipText = r.String();
    t.tag = r.String();
    for (int kind = 0; kind < kPictureKinds; ++kind) {
        if (!Bit(flags[kPictureBits[kind].byte], kPictureBits[kind].bit)) continue;
        if (version < kStripsFrom) {
            t.inlinePictures[kind] = ReadOlePicture(r);
        } else {
            t.pictures[kind] = Pixels{};  // filled from the strip
        }
    }
    switch (t.type) {
    case 4: {
        ComboPart c;
        c.settings[0] = r.U8();
        c.settings[1] = r.U8();
        c.text = r.String();
        std::size_t items = r.Count(r.U16(), 2 * kMinString);
        c.items.reserve(items);
        for (; items > 0; --items) {
            std::string text = r.String();
            c.items.emplace_back(std::move(text), r.String());
        }
        t.combo = std::move(c);
        break;
    }
    case 5: {
        EditPart e;
        for (std::uint8_t& b : e.settings) b = r.U8();
        e.text = r.String();
        if (version >= kInstanceFlagsFrom) e.passwordChar = r.String();
        t.edit = std::move(e);
        break;
    }
    case 7: t.menu = ReadPlacements(r, version, r.U16()); break;
    default: break;
    }
    return t;
}

void WriteTool(Writer& w, std::uint32_t version, const Tool& t) {
    WritePlacement(w, version, t.look);
    w.U8(t.state);
    w.U8(t.type);
    w.U8(t.shortcut);
    w.U8(t.menuVisibility);
    w.I16(t.pictureSize);
    w.I16(t.pictureWidth);
    w.I16(t.pictureHeight);
    std::uint8_t flags[2] = {Bits({t.autoWrap, t.enabled, t.groupAllowAllUp, t.visible, t.useMaskColor}),
                             Bits({false, false, t.customizable, t.recentlyUsed})};
    // Before strips existed only a picture stored inline can be written.
    auto has = [&](int kind) { return version < kStripsFrom ? t.inlinePictures[kind].has_value() : t.HasPicture(kind); };
    for (int kind = 0; kind < kPictureKinds; ++kind)
        if (has(kind)) flags[kPictureBits[kind].byte] |= static_cast<std::uint8_t>(1 << kPictureBits[kind].bit);
    w.U8(flags[0]);
    w.U8(flags[1]);
    w.String(t.category);
    w.String(t.description);
    w.String(t.group);
    w.String(t.toolTipText);
    w.String(t.tag);
    if (version < kStripsFrom) {
        for (int kind = 0; kind < kPictureKinds; ++kind)
            if (has(kind)) w.Raw(*t.inlinePictures[kind]);
    }
    switch (t.type) {
    case 4: {
        static const ComboPart none;
        const ComboPart& c = t.combo ? *t.combo : none;
        w.U8(c.settings[0]);
        w.U8(c.settings[1]);
        w.String(c.text);
        if (c.items.size() > 0xFFFF) throw std::length_error("too many combo-box items");
        w.U16(static_cast<std::uint16_t>(c.items.size()));
        for (const auto& [text, data] : c.items) {
            w.String(text);
            w.String(data);
        }
        break;
    }
    case 5: {
        static const EditPart none;
        const EditPart& e = t.edit ? *t.edit : none;
        for (std::uint8_t b : e.settings) w.U8(b);
        w.String(e.text);
        if (version >= kInstanceFlagsFrom) w.String(e.passwordChar);
        break;
    }
    case 7:
        if (t.menu.size() > 0xFFFF) throw std::length_error("too many menu placements");
        w.U16(static_cast<std::uint16_t>(t.menu.size()));
        for (const Placement& p : t.menu) WritePlacement(w, version, p);
        break;
    default: break;
    }
}

// ---- Strips ---------------------------------------------------------------------------------------

// Reads the strip of each kind some tool has, and gives each such tool its cell.
void ReadStrips(Reader& r, std::vector<Tool>& tools) {
    for (int kind = 0; kind < kPictureKinds; ++kind) {
        std::vector<Tool*> owners;
        std::vector<std::pair<int, int>> sizes;
        for (Tool& t : tools) {
            if (!t.pictures[kind]) continue;
            owners.push_back(&t);
            sizes.emplace_back(t.pictureWidth, t.pictureHeight);
        }
        if (owners.empty()) continue;
        std::uint32_t length = r.U32();
        if (length > r.Remaining()) throw FormatError(Fault::Truncated, "stream ends inside a strip");
        std::vector<Pixels> cells = UnpackStrip(r.Take(length), sizes);
        for (std::size_t i = 0; i < owners.size(); ++i) owners[i]->pictures[kind] = std::move(cells[i]);
    }
}

void WriteStrips(Writer& w, const std::vector<Tool>& tools, std::uint32_t background) {
    for (int kind = 0; kind < kPictureKinds; ++kind) {
        std::vector<const Pixels*> cells;
        for (const Tool& t : tools) {
            if (!t.HasPicture(kind)) continue;
            // A picture kept only in the old inline form has no pixels here: its cell stays blank.
            cells.push_back(t.pictures[kind] ? &*t.pictures[kind] : nullptr);
        }
        if (cells.empty()) continue;  // a kind no tool uses: no strip, no length
        Bytes dib = PackStrip(cells, background);
        w.U32(static_cast<std::uint32_t>(dib.size()));
        w.Raw(dib);
    }
}

// ---- Toolbars -------------------------------------------------------------------------------------

std::size_t MinToolBar(std::uint32_t version) {
    return (version >= kToolBarBlock45From ? 45 : 41) + 2 * kMinString + (version >= kToolBarTagFrom ? kMinString : 0);
}

// The 45-byte block from 0x00020008. The 41-byte block before it has no runtime
// bytes and no flags byte of its own: caption alignment and Font3D share byte 0
// (low and high nibble) and the flag bits sit above the style bit of byte 2.
ToolBar ReadToolBar(Reader& r, std::uint32_t version) {
    ToolBar b;
    std::uint8_t flags = 0;
    if (version >= kToolBarBlock45From) {
        b.captionAlignment = r.U8();
        b.dockedStatus = r.U8();
        b.font3D = r.U8();
        b.style = r.U8();
        b.runtime[0] = r.U8();
        b.runtime[1] = r.U8();
    } else {
        std::uint8_t looks = r.U8();
        b.captionAlignment = looks & 0x0F;
        b.font3D = looks >> 4;
        b.dockedStatus = r.U8();
        std::uint8_t styleAndFlags = r.U8();
        b.style = styleAndFlags & 1;
        flags = styleAndFlags >> 1;
    }
    b.dockedColumn = r.I16();
    b.dockedRow = r.I16();
    long placements = r.I16();
    b.layout[0] = r.I16();
    b.layout[1] = r.I16();
    b.floatingRow = r.I16();
    b.floatingColumn = r.I16();
    b.layoutEnd[0] = r.I16();
    b.layoutEnd[1] = r.I16();
    b.dockFlags = r.I32();
    b.floatingHeight = r.I32();
    b.floatingLeft = r.I32();
    b.floatingTop = r.I32();
    b.floatingWidth = r.I32();
    if (version >= kToolBarBlock45From) flags = r.U8();
    b.allowCustomize = Bit(flags, 0);
    b.allowHiding = Bit(flags, 1);
    b.displayGrabHandles = Bit(flags, 2);
    b.stock = Bit(flags, 3);
    b.visible = Bit(flags, 4);
    b.displayMoreToolsButton = Bit(flags, 5);
    b.name = r.String();
    b.placements = ReadPlacements(r, version, placements);
    std::size_t ids = r.Count(r.U16(), kMinString);
    b.idList.reserve(ids);
    for (; ids > 0; --ids) b.idList.push_back(r.String());
    if (version >= kToolBarTagFrom) b.tag = r.String();
    return b;
}

void WriteToolBar(Writer& w, std::uint32_t version, const ToolBar& b) {
    std::uint8_t flags = Bits({b.allowCustomize, b.allowHiding, b.displayGrabHandles, b.stock, b.visible,
                               b.displayMoreToolsButton});
    if (version >= kToolBarBlock45From) {
        w.U8(b.captionAlignment);
        w.U8(b.dockedStatus);
        w.U8(b.font3D);
        w.U8(b.style);
        w.U8(b.runtime[0]);
        w.U8(b.runtime[1]);
    } else {
        w.U8(static_cast<std::uint8_t>((b.captionAlignment & 0x0F) | b.font3D << 4));
        w.U8(b.dockedStatus);
        w.U8(static_cast<std::uint8_t>((b.style & 1) | flags << 1));
    }
    w.I16(b.dockedColumn);
    w.I16(b.dockedRow);
    w.Count(b.placements.size());
    w.I16(b.layout[0]);
    w.I16(b.layout[1]);
    w.I16(b.floatingRow);
    w.I16(b.floatingColumn);
    w.I16(b.layoutEnd[0]);
    w.I16(b.layoutEnd[1]);
    w.I32(b.dockFlags);
    w.I32(b.floatingHeight);
    w.I32(b.floatingLeft);
    w.I32(b.floatingTop);
    w.I32(b.floatingWidth);
    if (version >= kToolBarBlock45From) w.U8(flags);
    w.String(b.name);
    for (const Placement& p : b.placements) WritePlacement(w, version, p);
    if (b.idList.size() > 0xFFFF) throw std::length_error("too many IDs");
    w.U16(static_cast<std::uint16_t>(b.idList.size()));
    for (const std::string& id : b.idList) w.String(id);
    if (version >= kToolBarTagFrom) w.String(b.tag);
}

void ReadToolBarRecords(Reader& r, std::uint32_t version, long count, std::vector<ToolBar>& out) {
    std::size_t n = r.Count(count, MinToolBar(version));
    out.reserve(n);
    for (; n > 0; --n) out.push_back(ReadToolBar(r, version));
}

// Each tool is kept once its record is complete; a picture only once its strip is.
void ReadToolRecords(Reader& r, std::uint32_t version, long count, std::vector<Tool>& out) {
    std::size_t toolCount = r.Count(count, MinTool(version));
    out.reserve(out.size() + toolCount);
    try {
        for (; toolCount > 0; --toolCount) out.push_back(ReadTool(r, version));
        if (version >= kStripsFrom) ReadStrips(r, out);
    } catch (const FormatError&) {
        for (Tool& t : out)
            for (auto& p : t.pictures)
                if (p && p->width == 0 && p->height == 0) p.reset();  // its strip was never read
        throw;
    }
}

} // namespace

// ---- Whole stream -----------------------------------------------------------------------------------

std::size_t Read(std::span<const std::uint8_t> bytes, Stream& out) {
    Reader r(bytes);
    std::int32_t extentX = 0, extentY = 0;
    std::uint32_t version = 0;
    ReadHeader(r, extentX, extentY, version);
    out.extentX = extentX;
    out.extentY = extentY;
    out.version = version;
    Counts counts = ReadControl(r, version, out.control);
    if (counts.objects & 1) out.font = ReadOleFont(r);
    if (counts.objects & 4) out.pictureBackground = ReadOlePicture(r);
    out.tag = r.String();

    ReadToolRecords(r, version, counts.tools, out.tools);
    ReadToolBarRecords(r, version, counts.toolBars, out.toolBars);
    return r.Position();
}

Bytes Write(const Stream& s, const WriteOptions& options) {
    const std::uint32_t version = s.version;
    Writer w;
    WriteHeader(w, s.extentX, s.extentY, version);
    std::uint8_t objects = static_cast<std::uint8_t>((s.font ? 1 : 0) | (s.pictureBackground ? 4 : 0));
    WriteControl(w, version, s.control, s.toolBars.size(), s.tools.size(), objects);
    if (s.font) w.Raw(*s.font);
    if (s.pictureBackground) w.Raw(*s.pictureBackground);
    w.String(s.tag);
    for (const Tool& t : s.tools) WriteTool(w, version, t);
    if (version >= kStripsFrom) WriteStrips(w, s.tools, options.stripBackground);
    for (const ToolBar& b : s.toolBars) WriteToolBar(w, version, b);
    return std::move(w.bytes);
}

Bytes WriteTools(const std::vector<Tool>& tools, std::uint32_t version, const WriteOptions& options) {
    Writer w;
    for (const Tool& t : tools) WriteTool(w, version, t);
    if (version >= kStripsFrom) WriteStrips(w, tools, options.stripBackground);
    return std::move(w.bytes);
}

void ReadTools(std::span<const std::uint8_t> bytes, std::uint32_t version, long count, std::vector<Tool>& out) {
    if (version > kCurrentVersion) throw FormatError(Fault::NewerVersion, "written by a later version");
    Reader r(bytes);
    ReadToolRecords(r, version, count, out);
}

Bytes WriteToolBars(const std::vector<ToolBar>& toolBars, std::uint32_t version) {
    Writer w;
    for (const ToolBar& b : toolBars) WriteToolBar(w, version, b);
    return std::move(w.bytes);
}

void ReadToolBars(std::span<const std::uint8_t> bytes, std::uint32_t version, long count, std::vector<ToolBar>& out) {
    if (version > kCurrentVersion) throw FormatError(Fault::NewerVersion, "written by a later version");
    Reader r(bytes);
    ReadToolBarRecords(r, version, count, out);
}

std::size_t ReadLayout(std::span<const std::uint8_t> bytes, Layout& out) {
    Reader r(bytes);
    ReadHeader(r, out.extentX, out.extentY, out.version);
    ReadToolBarRecords(r, out.version, r.I16(), out.toolBars);
    return r.Position();
}

Bytes WriteLayout(const Layout& layout) {
    Writer w;
    WriteHeader(w, layout.extentX, layout.extentY, layout.version);
    w.Count(layout.toolBars.size());
    for (const ToolBar& b : layout.toolBars) WriteToolBar(w, layout.version, b);
    return std::move(w.bytes);
}

} // namespace palisade::format
