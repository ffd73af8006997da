#pragma once
// The control's automation errors: HRESULT 0x800A0000 + number, with the text of
// the library's string table.

#include "common/com/ComError.h"

namespace palisade {

enum ErrorNumber : long {
    kInvalidProcedureCall = 5,
    kBadFileName = 52,
    kFileNotFound = 53,
    kInvalidPropertyValue = 380,
    kInvalidArrayIndex = 381,
    kPropertyReadOnly = 383,
    kNotAtDesignTime = 394,
    kFormatMismatch = 461,
    kInvalidIndex = 40002,
    kCannotPerform = 40006,
    kNotAMenu = 40007,
    kOnlyOneMenuBar = 40008,
    kToolIdExists = 40009,
    kShortcutInUse = 40010,
    kInvalidName = 40011,
    kLoadInsideEvent = 40013,
    kInvalidDockArea = 40015,
    kNotAvailableForTool = 40016,
    kPopupAlreadyShown = 40017,
    kFormDisabled = 40018,
    kObjectInUse = 42530,
    kNoLongerActive = 42805,
};

// The string-table number of an error's text.
unsigned StringOf(long number);

// Raises the automation error with its text from the string table.
[[noreturn]] void Raise(long number);

// Raises 380 unless lo <= value <= hi.
long CheckRange(long value, long lo, long hi);

} // namespace palisade
