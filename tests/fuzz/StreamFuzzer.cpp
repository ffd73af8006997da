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
    return 0;
}
