#pragma once
// The window through which the lines frame is seen. It is exactly as high as the frame
// when the screen has room for it; on a screen too small for every line it shows part of
// the frame and scrolls it with a vertical scroll bar, the wheel, and the keyboard focus,
// so that the groups below the lines stay on the screen. The frames inside keep their
// whole height; only what is shown of them changes. Like a frame, it hands the
// notifications of what it holds to the top-level window, and the mouse moves too: over a
// disabled frame they reach this window, and the top-level window shows the tool tips.
#include <windows.h>

namespace linesview {

constexpr const wchar_t* ClassName = L"BastideLinesView";

// Registers the window class (once per process).
bool RegisterClass();

// The frames inside are contentHeight pixels high; the arrows of the scroll bar move by
// line pixels. Keeps the current position when it is still possible.
void SetContent(HWND view, int contentHeight, int line);

// First pixel row of the frames that is shown at the top of the view.
int Position(HWND view);
void ScrollTo(HWND view, int position);

// Scrolls the least so that the rectangle (screen coordinates) is shown; its top first
// when it is higher than the view.
void Show(HWND view, const RECT& screenRect);

}  // namespace linesview
