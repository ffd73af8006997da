#include "engine/FrmConfirm.h"

#include "app/Events.h"

namespace {
constexpr int CmdBaseId = 100;
const wchar_t* const Captions[frmConfirm::ButtonCount] = {L"&Oui", L"&Tous", L"&Non", L"Annuler"};
}  // namespace

bool frmConfirm::Load(HWND owner, const std::wstring& fileName) {
    if (!CreateDialogForm(owner, L"Confirmation du remplacement du fichier", 6300, 2250)) return false;
    icon_ = AddControl(L"STATIC", L"", WS_VISIBLE | SS_ICON, 240, 240, 480, 480, 90);
    SendMessageW(icon_, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_QUESTION)), 0);
    lbl_[0] = AddControl(L"STATIC", L"Ce dossier contient déjà un fichier appelé '" + fileName + L"'",
                         WS_VISIBLE | SS_LEFT | SS_PATHELLIPSIS | SS_NOPREFIX, 960, 270, 5100, 255, 91);
    lbl_[1] = AddControl(L"STATIC", L"Etes-vous sûr de vouloir remplacer ce fichier ?", WS_VISIBLE | SS_LEFT, 960,
                         630, 5100, 255, 92);
    for (int i = 0; i < ButtonCount; ++i) {
        DWORD style = WS_VISIBLE | WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON | WS_GROUP : BS_PUSHBUTTON);
        cmd_[i] = AddControl(L"BUTTON", Captions[i], style, 600 + i * 1320, 1260, 1200, 375, CmdBaseId + i);
    }
    initialFocus_ = cmd_[0];
    return true;
}

ConfirmAnswer frmConfirm::Ask(HWND owner) {
    Run(owner);
    return static_cast<ConfirmAnswer>(tag_);
}

void frmConfirm::OnCmdClick(int index) {
    tag_ = index;
    ShowWindow(hwnd_, SW_HIDE);
    End(index);
}

bool frmConfirm::OnCommand(int id, int, HWND) {
    if (id >= CmdBaseId && id < CmdBaseId + ButtonCount) {
        OnCmdClick(id - CmdBaseId);
        return true;
    }
    // Escape and the frame's close button: "Annuler", through the dialog's cancel.
    if (id == IDCANCEL) tag_ = CancelResult();
    return false;
}

ConfirmAnswer ConfirmReplace(HWND owner, const std::wstring& fileName) {
    frmConfirm form;
    if (!form.Load(owner, fileName)) return ConfirmAnswer::Cancel;
    ConfirmAnswer answer = form.Ask(owner);
    form.Close();
    ProcessPendingEventsNow();
    return answer;
}
