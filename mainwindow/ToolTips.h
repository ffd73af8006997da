#pragma once
// Tool-tip texts of controls. Every top-level window has one tool-tip window, created on
// first use, which holds the text of each of its controls: the text shown when the mouse
// rests on the control, and the place where a path label keeps its full path.
#include <windows.h>

#include <string>

void SetToolTipText(HWND control, const std::wstring& text);
std::wstring GetToolTipText(HWND control);
// Before a control is destroyed.
void RemoveToolTip(HWND control);
// The mouse moves over a disabled container, whose controls then get no mouse messages:
// window, which gets them instead, hands them here (point in its client coordinates) and
// the tool tip of the control under the mouse shows, so a locked row still shows its paths.
void RelayHover(HWND window, HWND container, POINT point);
