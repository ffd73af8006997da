#pragma once
// Path labels: a label shows a path shortened to fit its width, and keeps the full path
// in its tool-tip text whenever the caption differs from it. A drive root is shown by its
// volume name. The label is the only place where the displayed path is kept.
#include <windows.h>

#include <string>

// window: the window whose font measures the text.
void SetPathLabel(HWND window, HWND label, const std::wstring& path);
// The full path: the tool-tip text when there is one, else the caption.
std::wstring GetPathLabel(HWND label);
