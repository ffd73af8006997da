#pragma once
// Picture strips: the pictures of one kind side by side, one 32 x 33 cell per
// pictured tool, as a packed device-independent bitmap (header, colour table,
// rows).

#include "palisade/format/Model.h"

#include <span>

namespace palisade::format {

// Packs a picture as a 24-bit DIB of its own size.
Bytes PackDib(const Pixels& image);

// Packs the pictures into a strip of 32 * cells.size() x 33 pixels at 24 bits,
// each drawn from the top-left corner of its cell on the background colour.
Bytes PackStrip(const std::vector<const Pixels*>& cells, std::uint32_t background);

// Checks a packed DIB (header sizes, bit depth, compression, colour table, total
// length) before touching its pixels, then cuts cell i at sizes[i]; throws
// FormatError (Damaged) when the bitmap is not a strip of that many cells.
std::vector<Pixels> UnpackStrip(std::span<const std::uint8_t> dib, const std::vector<std::pair<int, int>>& sizes);

} // namespace palisade::format
