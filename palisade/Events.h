#pragma once
// The control's event table. The order is fixed: it is the index the control
// fires by. The mouse, Click and DblClick events are stock events outside it.

#include <windows.h>
#include <ole2.h>

#include <cstddef>

namespace palisade {

enum class Event {
    ToolClick, ToolDblClick, ToolEnter, ToolExit, ToolBarEnter, ToolBarExit, ToolDropDown, ToolGotFocus,
    ToolLostFocus, ToolKeyDown, ToolKeyPress, ToolKeyUp, ComboCloseUp, ComboDropDown, OnCustomize,
    ToolBarModified, ToolChange, CtlClick, ToolCloseUp, IconSizeChanged, AfterCustomize, BeforeToolKeyDown,
    // Stock events.
    Click, DblClick, MouseDown, MouseMove, MouseUp,
};

struct EventEntry {
    const wchar_t* name;
    DISPID dispid;
    size_t argCount;
    VARTYPE args[4];
};

constexpr size_t kEventCount = static_cast<size_t>(Event::MouseUp) + 1;

const EventEntry& EntryOf(Event e);

} // namespace palisade
