#pragma once
// The run-time customisation dialog of the control.

#include <windows.h>

namespace palisade {

class Control;

// Lets the user choose which toolbars are shown.
void RunCustomizeDialog(Control& control, HWND owner);

} // namespace palisade
