#pragma once
// The windows the control shows: a popup menu of a menu tool, and the run-time
// customisation dialog.

#include <windows.h>

namespace palisade {

class Control;
class Tool;

// Shows the menu of a menu tool at a screen point and returns the placement
// chosen, or null when the menu was dismissed. align: Constants_PopupMenuFlags.
Tool* ShowPopupMenu(Control& control, Tool& menuTool, HWND owner, POINT at, long align);

// Lets the user choose which toolbars are shown.
void RunCustomizeDialog(Control& control, HWND owner);

} // namespace palisade
