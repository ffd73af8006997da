#include "app/Form.h"
#include "common/Handles.h"
#include "common/Guard.h"

#include <exception>
#include <map>
#include <vector>

namespace {
int dpiInUse = 0;  // 0: the screen's
}  // namespace

Form::~Form() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void Form::UseDpi(int dpi) { dpiInUse = dpi > 0 ? dpi : 0; }

int Form::Dpi() {
    if (dpiInUse) return dpiInUse;
    static int dpi = [] {
        win::WindowDc screen(nullptr);
        int value = GetDeviceCaps(screen.Get(), LOGPIXELSX);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

int Form::TwipsToPixels(int twips) { return MulDiv(twips, Dpi(), 1440); }

int Form::PixelsToTwips(int pixels) { return MulDiv(pixels, 1440, Dpi()); }

HFONT Form::DefaultFont() {
    static std::map<int, HFONT> fonts;
    HFONT& font = fonts[Dpi()];
    if (!font) font = [] {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        LOGFONTW logFont = metrics.lfMessageFont;
        if (logFont.lfFaceName[0] == 0) lstrcpyW(logFont.lfFaceName, L"Tahoma");
        logFont.lfHeight = -MulDiv(8, Dpi(), 72);
        return CreateFontIndirectW(&logFont);
    }();
    return font;
}

HFONT Form::BoldFont() {
    static std::map<int, HFONT> fonts;
    HFONT& font = fonts[Dpi()];
    if (!font) font = [] {
        LOGFONTW logFont{};
        GetObjectW(DefaultFont(), sizeof logFont, &logFont);
        logFont.lfWeight = FW_BOLD;
        return CreateFontIndirectW(&logFont);
    }();
    return font;
}

bool RegisterWindowClass(WNDCLASSEXW windowClass) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, windowClass.lpszClassName, &existing)) return true;
    windowClass.cbSize = sizeof windowClass;
    windowClass.hInstance = instance;
    if (!windowClass.hCursor) windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    return RegisterClassExW(&windowClass) != 0;
}

bool Form::RegisterFormClass() {
    WNDCLASSEXW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = ClassName();
    windowClass.hIcon = ClassIcon();
    windowClass.hIconSm = ClassIcon();
    return RegisterWindowClass(windowClass);
}

bool Form::CreateForm(HWND owner, const std::wstring& caption, DWORD style, DWORD exStyle, int leftTw, int topTw,
                      int widthTw, int heightTw) {
    if (!RegisterFormClass()) return false;
    HWND created = CreateWindowExW(exStyle | WS_EX_CONTROLPARENT, ClassName(), caption.c_str(), style,
                                   TwipsToPixels(leftTw), TwipsToPixels(topTw), TwipsToPixels(widthTw),
                                   TwipsToPixels(heightTw), owner, nullptr, GetModuleHandleW(nullptr), this);
    return created != nullptr;
}

int Form::ShowModal(HWND owner) {
    bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    modalRunning_ = true;
    modalResult_ = 0;
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    MSG msg;
    while (modalRunning_ && hwnd_) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    modalRunning_ = false;
    // Re-enable the owner before this window goes, so the activation returns to it.
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (hwnd_) Close();
    if (owner && IsWindow(owner)) SetActiveWindow(owner);
    return modalResult_;
}

void Form::EndModal(int result) {
    modalResult_ = result;
    modalRunning_ = false;
    PostMessageW(nullptr, WM_NULL, 0, 0);
}

void Form::Close() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void Form::CenterOver(HWND owner) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT area = work;
    if (owner && !IsIconic(owner)) GetWindowRect(owner, &area);
    RECT own{};
    GetWindowRect(hwnd_, &own);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    int left = area.left + (area.right - area.left - width) / 2;
    int top = area.top + (area.bottom - area.top - height) / 2;
    // Kept on the screen even when the owner is partly off it.
    if (left + width > work.right) left = work.right - width;
    if (top + height > work.bottom) top = work.bottom - height;
    if (left < work.left) left = work.left;
    if (top < work.top) top = work.top;
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND Form::AddControl(const wchar_t* className, const std::wstring& text, DWORD style, int leftTw, int topTw,
                      int widthTw, int heightTw, int id, DWORD exStyle) {
    HWND control = CreateWindowExW(exStyle, className, text.c_str(), style | WS_CHILD, TwipsToPixels(leftTw),
                                   TwipsToPixels(topTw), TwipsToPixels(widthTw), TwipsToPixels(heightTw), hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
    return control;
}

void Form::MoveControl(HWND control, int leftTw, int topTw, int widthTw, int heightTw) {
    MoveWindow(control, TwipsToPixels(leftTw), TwipsToPixels(topTw), TwipsToPixels(widthTw),
               TwipsToPixels(heightTw), TRUE);
}

void Form::SetText(HWND control, const std::wstring& text) {
    if (!control) return;
    if (GetText(control) != text) SetWindowTextW(control, text.c_str());
}

std::wstring Form::GetText(HWND control) {
    int length = GetWindowTextLengthW(control);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(control, buffer.data(), length + 1);
    return std::wstring(buffer.data());
}

LRESULT Form::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultHandling(message, wParam, lParam);
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Form* form = nullptr;
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        form = static_cast<Form*>(create->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    } else {
        form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    LRESULT result =
        guard::Call<LRESULT>("Form::WindowProc", [&] { return form->HandleMessage(message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->hwnd_ = nullptr;
        form->modalRunning_ = false;
    }
    return result;
}
