#include "palisade/Ui.h"

#include "palisade/Control.h"
#include "palisade/Module.h"
#include "palisade/resource.h"

#include <commctrl.h>

namespace palisade {

// ---- Customisation dialog -------------------------------------------------------------

namespace {

struct CustomizeState {
    Control* control;
};

std::wstring WithoutAccelerator(std::wstring text) {
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == L'&') text.erase(i, 1);
    return text;
}

std::wstring ControlText(Control& control, long index) {
    BSTR text = nullptr;
    control.get_CustomizationStrings(static_cast<Constants_CustomizationStrings>(index), &text);
    std::wstring r(bastide::com::BstrView(text));
    SysFreeString(text);
    return r;
}

void FillToolBarList(HWND list, Control& control) {
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW column = {LVCF_WIDTH};
    RECT r;
    GetClientRect(list, &r);
    column.cx = r.right - GetSystemMetrics(SM_CXVSCROLL);
    ListView_InsertColumn(list, 0, &column);
    int row = 0;
    for (const ComPtr<ToolBar>& bar : control.Bars().Items()) {
        LVITEMW item = {LVIF_TEXT};
        item.iItem = row;
        std::wstring name = bar->State().name;
        item.pszText = name.data();
        ListView_InsertItem(list, &item);
        ListView_SetCheckState(list, row, bar->State().visible);
        ++row;
    }
}

void ApplyToolBarList(HWND list, Control& control) {
    int row = 0;
    for (const ComPtr<ToolBar>& bar : control.Bars().Items()) {
        bool shown = ListView_GetCheckState(list, row++) != 0;
        if (shown != bar->State().visible) bar->put_Visible(VBool(shown));
    }
}

INT_PTR CALLBACK CustomizeProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<CustomizeState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lp);
        Control& control = *reinterpret_cast<CustomizeState*>(lp)->control;
        SetWindowTextW(dialog, WithoutAccelerator(ControlText(control, 3)).c_str());       // plCustomizerDlg
        SetDlgItemTextW(dialog, IDC_PL_TOOLBARLABEL, ControlText(control, 22).c_str());     // plToolbarsList
        SetDlgItemTextW(dialog, IDOK, ControlText(control, 2).c_str());                     // plCloseBtn
        FillToolBarList(GetDlgItem(dialog, IDC_PL_TOOLBARLIST), control);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
            if (LOWORD(wp) == IDOK) ApplyToolBarList(GetDlgItem(dialog, IDC_PL_TOOLBARLIST), *state->control);
            EndDialog(dialog, LOWORD(wp));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

void RunCustomizeDialog(Control& control, HWND owner) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    CustomizeState state{&control};
    if (DialogBoxParamW(Module(), MAKEINTRESOURCEW(IDD_PL_CUSTOMIZE), owner, CustomizeProc,
                        reinterpret_cast<LPARAM>(&state)) == -1)
        bastide::com::ThrowIfFailed(HRESULT_FROM_WIN32(GetLastError()));
}

} // namespace palisade
