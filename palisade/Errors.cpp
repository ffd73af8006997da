#include "palisade/Errors.h"

#include "palisade/Module.h"

namespace palisade {

unsigned StringOf(long number) {
    switch (number) {
    case kPropertyReadOnly: return 10500;
    case kNotAtDesignTime: return 10501;
    case kInvalidIndex: return 1007;
    case kCannotPerform: return 10017;
    case kNotAMenu: return 3000;
    case kOnlyOneMenuBar: return 3001;
    case kToolIdExists: return 3003;
    case kShortcutInUse: return 3004;
    case kInvalidName: return 3002;
    case kLoadInsideEvent: return 3006;
    case kInvalidDockArea: return 3010;
    case kNotAvailableForTool: return 3011;
    case kPopupAlreadyShown: return 3012;
    case kFormDisabled: return 3013;
    default: break;
    }
    // The system's numbers below 1000 keep their text at 10000 + number, the
    // library's own (42xxx) at their number.
    if (number < 1000) return number == 5 || number == 461 ? number : 10000 + number;
    return static_cast<unsigned>(number);
}

void Raise(long number) {
    throw bastide::com::AutomationError(number, LoadText(StringOf(number)), L"Palisade");
}

long CheckRange(long value, long lo, long hi) {
    if (value < lo || value > hi) Raise(kInvalidPropertyValue);
    return value;
}

} // namespace palisade
