#pragma once
// Acting as the user on a modal window: the action runs from the thread's message loop
// (the window's own modal loop) once a window of the class is visible.
#include <windows.h>

#include <functional>
#include <string>

namespace when_shown {
inline std::wstring windowClass;
inline std::function<void(HWND)> action;

inline void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = FindWindowW(windowClass.c_str(), nullptr);
    if (!window || !IsWindowVisible(window)) return;
    KillTimer(nullptr, timer);
    action(window);
}
}  // namespace when_shown

inline void WhenShown(const wchar_t* windowClass, std::function<void(HWND)> action) {
    when_shown::windowClass = windowClass;
    when_shown::action = std::move(action);
    SetTimer(nullptr, 0, 20, when_shown::Tick);
}

// A click on a button of a window, as its WM_COMMAND.
inline void ClickId(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
