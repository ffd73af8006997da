#pragma once
// Base of every window of the program. One static window procedure binds the object at
// WM_NCCREATE and forwards to HandleMessage; geometry is given in twips and converted to
// pixels here only (15 twips a pixel at 96 dpi, scaled for the screen's dpi).
#include <windows.h>

#include <string>

class Form {
public:
    Form() = default;
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    HWND Handle() const { return hwnd_; }

    // Creates the top-level window (hidden); size and position in twips. The client
    // area is sized so that the window's outer size is the one given, as a form's is.
    bool CreateForm(HWND owner, const std::wstring& caption, DWORD style, DWORD exStyle, int leftTw, int topTw,
                    int widthTw, int heightTw);

    // Shows the window modally over owner: the owner is disabled and a message loop runs
    // until this window is destroyed. Returns the value given to EndModal (0 by default).
    int ShowModal(HWND owner);
    void EndModal(int result);
    bool IsModalRunning() const { return modalRunning_; }

    // Destroys the window (an unload).
    void Close();

    // Centres the window over owner (the work area when there is none, or it is
    // minimised), kept inside the work area.
    void CenterOver(HWND owner);

    // ---- twips ----
    static int Dpi();
    // Lays windows out at another dpi than the screen's (0: the screen's again), so that
    // a layout can be checked at every scale on one machine. Windows already open keep
    // their sizes.
    static void UseDpi(int dpi);
    static int TwipsToPixels(int twips);
    static int PixelsToTwips(int pixels);
    static constexpr int TwipsPerPixelAt96 = 15;

    // The message font of the system, at the current dpi, shared by every control.
    static HFONT DefaultFont();
    static HFONT BoldFont();

    // Creates a child control; position and size in twips relative to the client area.
    HWND AddControl(const wchar_t* className, const std::wstring& text, DWORD style, int leftTw, int topTw,
                    int widthTw, int heightTw, int id, DWORD exStyle = 0);
    void MoveControl(HWND control, int leftTw, int topTw, int widthTw, int heightTw);

    // Sets a control's text only when it differs, sparing a repaint.
    static void SetText(HWND control, const std::wstring& text);
    static std::wstring GetText(HWND control);

protected:
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);

    // Window class registered for this form (one per form class name).
    virtual const wchar_t* ClassName() const = 0;
    virtual HICON ClassIcon() const { return nullptr; }

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool RegisterFormClass();

    bool modalRunning_ = false;
    int modalResult_ = 0;
};

// Registers a window class of this program once, whoever asks first: the instance, the
// structure size and the arrow cursor are filled in. Returns false when registration fails.
bool RegisterWindowClass(WNDCLASSEXW windowClass);
