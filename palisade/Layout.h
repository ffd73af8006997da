#pragma once
// Where the docked toolbars and their tools sit in the control's window: rows
// of bars in each dock area, tools one after the other along their bar. Floating
// bars and menus are not part of it.

#include <windows.h>

#include <vector>

namespace palisade {

class Control;
class Tool;
class ToolBar;

struct PlacedBar {
    ToolBar* bar;
    long dock;
    RECT rect;
};

struct PlacedTool {
    Tool* tool;
    RECT rect;
};

struct BarLayout {
    std::vector<PlacedBar> bars;
    std::vector<PlacedTool> tools;
};

// Pixel sizes of the layout.
constexpr LONG kBarFrame = 4;       // around the tools, each side of a row
constexpr LONG kGrabHandle = 8;     // before the first tool, when shown
constexpr LONG kBarEnd = 4;         // after the last tool
constexpr LONG kSeparatorLength = 6;
constexpr LONG kButtonPadding = 7;  // around a picture or a caption

// Lays out the visible docked bars of a control inside a client area.
BarLayout LayOut(const Control& control, SIZE client);

} // namespace palisade
