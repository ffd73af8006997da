#include "app/Events.h"

namespace {

constexpr DWORD PumpIntervalMs = 30;
DWORD g_lastPump = 0;

void PumpQueue() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit request for the loop that owns it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageW(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    g_lastPump = GetTickCount();
}

}  // namespace

void ProcessPendingEvents() {
    if (GetTickCount() - g_lastPump < PumpIntervalMs) return;
    PumpQueue();
}

void ProcessPendingEventsNow() { PumpQueue(); }
