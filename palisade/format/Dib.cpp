// Strips as packed DIBs. The reader accepts what a screen-depth writer produces
// (1, 4, 8, 16, 24 and 32 bits, uncompressed or with bit-field masks) and checks
// every size against the bytes it has before it reads a pixel.

#include "palisade/format/Dib.h"

#include "palisade/format/Stream.h"

#include <algorithm>
#include <cstring>

namespace palisade::format {

namespace {

constexpr std::uint32_t kBiRgb = 0, kBiBitFields = 3;

[[noreturn]] void Bad(const char* what) { throw FormatError(Fault::Damaged, what); }

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

void Put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, static_cast<std::uint16_t>(v));
    Put16(b, static_cast<std::uint16_t>(v >> 16));
}

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0, bits = 0;
    explicit Channel(std::uint32_t m) : mask(m) {
        if (!m) Bad("empty colour mask");
        while (!((m >> shift) & 1)) ++shift;
        std::uint32_t v = m >> shift;
        while (v & 1) {
            ++bits;
            v >>= 1;
        }
        if (v) Bad("colour mask with a gap");
    }
    std::uint32_t Of(std::uint32_t pixel) const {
        std::uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        return bits ? (v * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1) : 0;
    }
};

} // namespace

Bytes PackDib(const Pixels& image) {
    const std::uint32_t width = static_cast<std::uint32_t>(image.width);
    const std::uint32_t height = static_cast<std::uint32_t>(image.height);
    const std::uint32_t stride = (width * 3 + 3) & ~3u;
    Bytes dib;
    dib.reserve(40 + static_cast<std::size_t>(stride) * height);
    Put32(dib, 40);
    Put32(dib, width);
    Put32(dib, height);  // rows from the bottom, as bitmaps are usually stored
    Put16(dib, 1);
    Put16(dib, 24);
    Put32(dib, kBiRgb);
    Put32(dib, stride * height);
    for (int i = 0; i < 4; ++i) Put32(dib, 0);
    const std::size_t pixels = dib.size();
    dib.resize(pixels + static_cast<std::size_t>(stride) * height, 0);
    for (std::uint32_t y = 0; y < height; ++y) {
        std::uint8_t* row = dib.data() + pixels + static_cast<std::size_t>(height - 1 - y) * stride;
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint32_t rgb = image.rgb[static_cast<std::size_t>(y) * width + x];
            row[x * 3] = static_cast<std::uint8_t>(rgb);            // blue
            row[x * 3 + 1] = static_cast<std::uint8_t>(rgb >> 8);   // green
            row[x * 3 + 2] = static_cast<std::uint8_t>(rgb >> 16);  // red
        }
    }
    return dib;
}

Bytes PackStrip(const std::vector<const Pixels*>& cells, std::uint32_t background) {
    Pixels strip;
    strip.width = static_cast<int>(cells.size()) * kCellWidth;
    strip.height = kCellHeight;
    strip.rgb.assign(static_cast<std::size_t>(strip.width) * strip.height, background);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const Pixels* cell = cells[i];
        if (!cell) continue;
        for (int y = 0; y < std::min(cell->height, kCellHeight); ++y)
            for (int x = 0; x < std::min(cell->width, kCellWidth); ++x)
                strip.rgb[static_cast<std::size_t>(y) * strip.width + i * kCellWidth + x] =
                    cell->rgb[static_cast<std::size_t>(y) * cell->width + x];
    }
    return PackDib(strip);
}

std::vector<Pixels> UnpackStrip(std::span<const std::uint8_t> dib, const std::vector<std::pair<int, int>>& sizes) {
    if (dib.size() < 40) Bad("bitmap header cut short");
    const std::uint8_t* p = dib.data();
    const std::uint32_t headerSize = U32(p);
    if (headerSize != 40 && headerSize != 108 && headerSize != 124) Bad("unknown bitmap header");
    if (headerSize > dib.size()) Bad("bitmap header cut short");
    const std::int32_t width = static_cast<std::int32_t>(U32(p + 4));
    const std::int32_t height = static_cast<std::int32_t>(U32(p + 8));
    const std::uint16_t planes = U16(p + 12), bitCount = U16(p + 14);
    const std::uint32_t compression = U32(p + 16), colorsUsed = U32(p + 32);
    const std::uint64_t cells = sizes.size();
    if (planes != 1) Bad("bitmap planes");
    if (width <= 0 || static_cast<std::uint64_t>(width) != cells * kCellWidth) Bad("strip width");
    if (height != kCellHeight && height != -kCellHeight) Bad("strip height");
    const bool bitFields = compression == kBiBitFields;
    switch (bitCount) {
    case 1: case 4: case 8: case 24:
        if (compression != kBiRgb) Bad("compressed bitmap");
        break;
    case 16: case 32:
        if (compression != kBiRgb && !bitFields) Bad("compressed bitmap");
        break;
    default: Bad("bit depth");
    }
    std::uint64_t offset = headerSize;
    std::uint32_t masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
    if (bitCount == 16 && !bitFields) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }
    if (bitFields) {
        const std::uint8_t* at = p + 40;  // inside a larger header, or just after a small one
        if (headerSize == 40) {
            if (dib.size() < 52) Bad("colour masks cut short");
            offset += 12;
        }
        for (int i = 0; i < 3; ++i) masks[i] = U32(at + 4 * i);
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    std::uint64_t paletteSize = 0;
    if (bitCount <= 8) {
        paletteSize = colorsUsed ? colorsUsed : (1u << bitCount);
        if (paletteSize > (1u << bitCount)) Bad("colour table larger than the bit depth allows");
    } else {
        if (colorsUsed > 256) Bad("colour table");
        paletteSize = colorsUsed;  // an optional palette hint, not used for the pixels
    }
    const std::uint8_t* palette = p + offset;
    offset += paletteSize * 4;
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
    if (offset + stride * kCellHeight > dib.size()) Bad("bitmap pixels cut short");
    const std::uint8_t* bits = p + offset;

    auto pixelAt = [&](int x, int y) -> std::uint32_t {
        const std::uint8_t* row = bits + stride * static_cast<std::uint64_t>(height > 0 ? kCellHeight - 1 - y : y);
        std::uint32_t v = 0;
        switch (bitCount) {
        case 1: v = (row[x / 8] >> (7 - x % 8)) & 1; break;
        case 4: v = (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF; break;
        case 8: v = row[x]; break;
        case 16: v = U16(row + 2 * x); break;
        case 24: return static_cast<std::uint32_t>(row[3 * x + 2]) << 16 | row[3 * x + 1] << 8 | row[3 * x];
        default: v = U32(row + 4 * x); break;
        }
        if (bitCount <= 8) {
            if (v >= paletteSize) return 0;  // an index past the table: black
            const std::uint8_t* c = palette + 4 * v;
            return static_cast<std::uint32_t>(c[2]) << 16 | c[1] << 8 | c[0];
        }
        return red.Of(v) << 16 | green.Of(v) << 8 | blue.Of(v);
    };

    std::vector<Pixels> out(sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        Pixels& cell = out[i];
        cell.width = std::clamp(sizes[i].first, 0, kCellWidth);
        cell.height = std::clamp(sizes[i].second, 0, kCellHeight);
        cell.rgb.resize(static_cast<std::size_t>(cell.width) * cell.height);
        for (int y = 0; y < cell.height; ++y)
            for (int x = 0; x < cell.width; ++x)
                cell.rgb[static_cast<std::size_t>(y) * cell.width + x] =
                    pixelAt(static_cast<int>(i) * kCellWidth + x, y);
    }
    return out;
}

} // namespace palisade::format
