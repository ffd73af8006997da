#pragma once
// What every control of the process shares: the list of live controls and four
// message hooks of the thread (keyboard, get-message, call-window-procedure and
// mouse), all guarded by the controls' critical section. Through the hooks the
// open menu sees the keys and clicks of the whole thread.

#include <windows.h>

namespace palisade {

class PopupHost;

// A control becomes live; the hooks are installed for the calling thread when
// they are not yet.
void JoinLiveControls(PopupHost* host);
// A control goes; with the last one the hooks are removed.
void LeaveLiveControls(PopupHost* host);
// Removes the hooks whatever remains (the library is unloaded).
void RemoveSharedHooks();

// Closes the open menus of every live control but one (null: of all).
void CloseMenusOfOtherControls(const PopupHost* except);

// A keypad digit read as the digit key while Num Lock is on.
UINT KeypadAsDigit(UINT vk);

// True for the windows the controls draw themselves (menus, bars, floating bars).
bool IsControlWindow(HWND window);

// Window procedure of the controls' hidden message windows.
LRESULT CALLBACK MessageWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
extern const wchar_t kMessageWindowClass[];

} // namespace palisade
