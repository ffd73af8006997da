#pragma once
// A container for a group of controls, standing in for a form's frame: it draws a group
// box (etched border and caption) or nothing, and hands every notification of the
// controls it holds to the top-level window, so that the form alone handles their events.
// Disabling it blocks every control inside, as a disabled frame does.
#include <windows.h>

namespace frame {

constexpr const wchar_t* ClassName = L"BastideFrame";
// Style bit of the class: draw the border and the caption of a group box.
constexpr DWORD GroupStyle = 0x0001;

// Registers the window class (once per process).
bool RegisterClass();

}  // namespace frame
