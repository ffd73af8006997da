#include "dialogs/VisuErrFrm.h"

#include "app/RunModes.h"
#include "app/Settings.h"
#include "app/Utils.h"
#include "engine/ErrorLog.h"

namespace {

// Geometry in twips.
constexpr int FormWidth = 10200;
constexpr int FormHeight = 6600;
constexpr int MinFormWidth = 6000;
constexpr int MinFormHeight = 3600;
constexpr int Margin = 120;
constexpr int LabelHeight = 255;
constexpr int ButtonWidth = 1215;
constexpr int ButtonHeight = 375;

constexpr int IdListeTxt = 101;

std::wstring ModeName(int mode) { return modes::IsValid(mode) ? modes::Of(mode).name : L""; }

// The key holding the error count of the mode's last run.
std::wstring ErrorCountKey(int mode) {
    return modes::IsValid(mode) ? std::wstring(L"Last") + modes::Of(mode).resultKey + L"NbErr" : L"";
}

// A comparison's log lists the files it would copy rather than failures.
std::wstring Caption(int mode) { return mode == 2 ? L"Journal des copies" : L"Journal des erreurs"; }

}  // namespace

bool VisuErrFrm::Load(HWND owner, const std::wstring& directory, const std::wstring& configName, int mode) {
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
    if (!CreateForm(owner, Caption(mode), style, WS_EX_DLGMODALFRAME, 0, 0, FormWidth, FormHeight)) return false;
    CreateControls();
    Layout();
    CenterOver(owner);
    logPath_ = ErrorLogPathIn(directory, configName, mode);
    FillTexts(configName, mode);
    ShowLogText();
    return true;
}

void VisuErrFrm::CreateControls() {
    titreLbl_ = AddControl(L"STATIC", L"", WS_VISIBLE | SS_NOPREFIX | SS_ENDELLIPSIS, 0, 0, 0, 0, -1);
    SendMessageW(titreLbl_, WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont()), FALSE);
    totalErrLbl_ = AddControl(L"STATIC", L"", WS_VISIBLE | SS_NOPREFIX, 0, 0, 0, 0, -1);
    listeTxt_ = AddControl(L"EDIT", L"",
                           WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                               ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL,
                           0, 0, 0, 0, IdListeTxt, WS_EX_CLIENTEDGE);
    // No cap of its own: a log may be far longer than the control's default 30 000 characters.
    SendMessageW(listeTxt_, EM_SETLIMITTEXT, 0, 0);
    bouton_ = AddControl(L"BUTTON", L"Fermer", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0, IDCANCEL);
    initialFocus_ = bouton_;
}

void VisuErrFrm::Layout() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    int width = PixelsToTwips(client.right);
    int height = PixelsToTwips(client.bottom);
    int inner = width - 2 * Margin;
    int listTop = Margin + 2 * LabelHeight + 2 * Margin;
    int buttonTop = height - Margin - ButtonHeight;
    MoveControl(titreLbl_, Margin, Margin, inner, LabelHeight);
    MoveControl(totalErrLbl_, Margin, Margin + LabelHeight + Margin, inner, LabelHeight);
    MoveControl(listeTxt_, Margin, listTop, inner, buttonTop - Margin - listTop);
    MoveControl(bouton_, width - Margin - ButtonWidth, buttonTop, ButtonWidth, ButtonHeight);
}

void VisuErrFrm::FillTexts(const std::wstring& configName, int mode) {
    SetText(titreLbl_, L"Configuration : " + configName + L" (" + ModeName(mode) + L")");
    std::wstring key = ErrorCountKey(mode);
    long count = key.empty() ? 0 : ReadSettingLong(configName, key);
    SetText(totalErrLbl_, L"Nombre d'erreur(s): " + std::to_wstring(count));
}

void VisuErrFrm::ShowLogText() {
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    std::wstring text = ReadErrorLog(logPath_);
    // Set at once: the control lays out its lines a single time.
    SetWindowTextW(listeTxt_, text.c_str());
    SetCursor(previous);
}

void VisuErrFrm::OnBoutonClick() { End(Accepted); }

LRESULT VisuErrFrm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED && bouton_) Layout();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = TwipsToPixels(MinFormWidth);
            info->ptMinTrackSize.y = TwipsToPixels(MinFormHeight);
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            // The log stays on the window colour although it is read-only.
            if (reinterpret_cast<HWND>(lParam) == listeTxt_) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                SetBkColor(dc, GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            break;
        default:
            break;
    }
    // Bouton (Escape), Enter and the frame's close button all close the viewer.
    return Dialog::HandleMessage(message, wParam, lParam);
}

void ShowErrorViewer(HWND owner, const std::wstring& configName, int mode) {
    VisuErrFrm viewer;
    if (!viewer.Load(owner, ProgramDirectory(), configName, mode)) return;
    viewer.Run(owner);
}
