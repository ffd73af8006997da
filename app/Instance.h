#pragma once
#include <string>

// True when another process of the program already runs. The first call claims the
// program's name for this process until it ends.
bool AnotherInstanceRunning();

// The two-line text of the box shown to a second instance started by hand.
extern const wchar_t* const AlreadyRunningText;

// Start-up of the program before the main window: title, single instance, settings.
// Returns false when the program must end at once (a second instance).
bool StartProgram(const std::wstring& arguments);
