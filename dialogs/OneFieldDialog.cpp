#include "dialogs/OneFieldDialog.h"

std::wstring EditBuffer;

namespace {

// Geometry in twips. The box is wide enough for a usual path to show whole.
constexpr int FormWidth = 7200;
constexpr int FormHeight = 2040;
constexpr int Margin = 180;
constexpr int LabelTop = 150;
constexpr int LabelHeight = 255;
constexpr int TxtTop = 450;
constexpr int TxtHeight = 315;
constexpr int ButtonTop = 1020;
constexpr int ButtonWidth = 1215;
constexpr int ButtonHeight = 375;
constexpr int ButtonGap = 120;

constexpr int IdTxt = 101;
constexpr int IdClear = 102;

}  // namespace

bool OneFieldDialog::CreateOneField(HWND owner, const std::wstring& caption, const std::wstring& label,
                                    const std::wstring& clearTip, const std::wstring& text) {
    if (!CreateDialogForm(owner, caption, FormWidth, FormHeight)) return false;
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int inner = PixelsToTwips(client.right) - 2 * Margin;
    const int clearLeft = Margin + inner - ButtonWidth;
    const int cancelLeft = clearLeft - ButtonGap - ButtonWidth;
    const int okLeft = cancelLeft - ButtonGap - ButtonWidth;
    auto controls = AddControls({
        {L"STATIC", label, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, Margin, LabelTop, inner, LabelHeight, -1},
        {L"EDIT", text, WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL, Margin, TxtTop, inner, TxtHeight, IdTxt,
         WS_EX_CLIENTEDGE},
        {L"BUTTON", L"OK", WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, okLeft, ButtonTop, ButtonWidth,
         ButtonHeight, IDOK},
        {L"BUTTON", L"Annuler", WS_VISIBLE | WS_TABSTOP, cancelLeft, ButtonTop, ButtonWidth, ButtonHeight, IDCANCEL},
        {L"BUTTON", L"&Effacer", WS_VISIBLE | WS_TABSTOP, clearLeft, ButtonTop, ButtonWidth, ButtonHeight, IdClear, 0,
         clearTip},
    });
    label_ = controls[0];
    txt_ = controls[1];
    for (int i = 0; i < 3; ++i) cmd_[i] = controls[2 + i];
    SendMessageW(txt_, EM_SETSEL, 0, -1);
    initialFocus_ = txt_;
    return true;
}

void OneFieldDialog::OnCmdClick(int i) {
    switch (i) {
        case 0:
            if (OnOk()) End(Accepted);
            break;
        case 1:
            End(CancelResult());
            break;
        case 2:
            SetWindowTextW(txt_, L"");
            SetFocus(txt_);
            break;
        default:
            break;
    }
}

bool OneFieldDialog::OnCommand(int id, int code, HWND) {
    if (id != IdClear) return false;
    if (code == BN_CLICKED) OnCmdClick(2);
    return true;
}
