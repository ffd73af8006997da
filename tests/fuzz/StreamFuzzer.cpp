// Fuzz target of the control's stream reader (built natively with clang, libFuzzer,
// AddressSanitizer and UndefinedBehaviorSanitizer by scripts/fuzz.sh).
//
// Any input must be read or refused with a FormatError, never crash, hang or read
// outside its bytes. What is read must be written again, and the written bytes
// must read back to the same bytes once more.

#include "palisade/format/Stream.h"

#include <cstdlib>

using namespace palisade::format;

namespace {

void MustHold(bool condition) {
    if (!condition) std::abort();
}

template <class Model, class ReadFn, class WriteFn>
void Check(std::span<const std::uint8_t> input, ReadFn read, WriteFn write) {
    Model model;
    try {
        read(input, model);
    } catch (const FormatError&) {
        return;
    }
    Bytes once = write(model);
    Model again;
    read(std::span<const std::uint8_t>(once), again);  // throws, and fails the run, if not readable
    MustHold(write(again) == once);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> input(data, size);
    Check<Stream>(
        input, [](std::span<const std::uint8_t> b, Stream& m) { Read(b, m); },
        [](const Stream& m) { return Write(m); });
    Check<Layout>(
        input, [](std::span<const std::uint8_t> b, Layout& m) { ReadLayout(b, m); },
        [](const Layout& m) { return WriteLayout(m); });
    // The tools and the toolbars alone, as a property bag keeps them: the first
    // byte chooses a layout, the next two give the count.
    if (size >= 3) {
        static const std::uint32_t versions[] = {0x00010000, kStripsFrom, kToolBarTagFrom, kControlBlock25From,
                                                 kInstanceFlagsFrom, kToolBarBlock45From, kCurrentVersion};
        const std::uint32_t version = versions[data[0] % std::size(versions)];
        const long count = static_cast<std::int16_t>(data[1] | data[2] << 8);
        auto rest = input.subspan(3);
        Check<std::vector<Tool>>(
            rest, [&](std::span<const std::uint8_t> b, std::vector<Tool>& m) { ReadTools(b, version, count, m); },
            [&](const std::vector<Tool>& m) { return WriteTools(m, version); });
        Check<std::vector<ToolBar>>(
            rest, [&](std::span<const std::uint8_t> b, std::vector<ToolBar>& m) { ReadToolBars(b, version, count, m); },
            [&](const std::vector<ToolBar>& m) { return WriteToolBars(m, version); });
    }
    return 0;
}
