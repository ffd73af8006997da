#pragma once
// Reading and writing the control's persisted property stream, and the layout
// files that hold its toolbars only. Nothing here knows COM or windows: the
// reader takes bytes that may come from anywhere (a form, a file) and checks
// every count and length against what remains before it allocates or reads.

#include "palisade/format/Model.h"

#include <cstddef>
#include <span>
#include <stdexcept>

namespace palisade::format {

enum class Fault {
    BadHeader,     // not a stream of this control (signature or header size)
    NewerVersion,  // written by a later release, whose layout is unknown here
    Truncated,     // the bytes end inside a record
    Damaged,       // a count, length or picture that cannot be right
};

class FormatError : public std::runtime_error {
public:
    FormatError(Fault fault, const char* what) : std::runtime_error(what), fault_(fault) {}
    Fault fault() const { return fault_; }
private:
    Fault fault_;
};

struct WriteOptions {
    // Colour (0x00RRGGBB) around each picture in its strip cell: the control's BackColor.
    std::uint32_t stripBackground = 0x00F0F0F0;
};

// Reads a stream from the start of bytes. On a fault it throws FormatError, and
// out keeps every record read completely before it. Returns the bytes used.
std::size_t Read(std::span<const std::uint8_t> bytes, Stream& out);

// Writes a stream in the layout of stream.version (the current version unless a
// caller asks for an older layout).
Bytes Write(const Stream& stream, const WriteOptions& options = {});

// The tools (their records, then the strips) and the toolbars on their own, as
// a property bag keeps them; the counts are kept beside them.
Bytes WriteTools(const std::vector<Tool>& tools, std::uint32_t version, const WriteOptions& options = {});
void ReadTools(std::span<const std::uint8_t> bytes, std::uint32_t version, long count, std::vector<Tool>& out);
Bytes WriteToolBars(const std::vector<ToolBar>& toolBars, std::uint32_t version);
void ReadToolBars(std::span<const std::uint8_t> bytes, std::uint32_t version, long count, std::vector<ToolBar>& out);

// A layout file: the stream header, the version, then the toolbars only.
struct Layout {
    std::int32_t extentX = 0, extentY = 0;
    std::uint32_t version = kCurrentVersion;
    std::vector<ToolBar> toolBars;
};
std::size_t ReadLayout(std::span<const std::uint8_t> bytes, Layout& out);
Bytes WriteLayout(const Layout& layout);

} // namespace palisade::format
