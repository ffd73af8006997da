// Program entry: start-up checks, then the main window's message loop.
#include <windows.h>
#include <ole2.h>

#include "app/Events.h"
#include "app/Instance.h"
#include "app/Settings.h"
#include "mainwindow/BstF1.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The folder browser and the control of the line menu are OLE objects of this thread.
    HRESULT ole = OleInitialize(nullptr);
    struct OleScope {
        bool active;
        ~OleScope() {
            if (active) OleUninitialize();
        }
    } oleScope{SUCCEEDED(ole)};
    const std::wstring arguments = ProcessArguments();
    if (!StartProgram(arguments)) {
        // A scheduled run refused because the program is already open did not back up.
        ParseCommandLine(arguments);
        return AutoLaunch ? ExitStopped : 0;
    }
    BstF1 mainWindow;
    if (!mainWindow.Load()) return AutoLaunch ? ExitStopped : 1;
    mainWindow.Show();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND root = GetAncestor(msg.hwnd, GA_ROOT);
        if (root && IsDialogMessageW(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return AutoLaunch ? UnattendedExitCode() : 0;
}
