#include "dialogs/DriveListFrm.h"

#include <commctrl.h>

#include <vector>

#include "app/UiService.h"
#include "app/Utils.h"
#include "dialogs/Drives.h"
#include "engine/Statistics.h"

namespace {

constexpr const wchar_t* Caption = L"Choisissez un lecteur pour toutes les destinations";

// Geometry in twips (outer size of the form).
constexpr int FormWidth = 7350;
constexpr int FormHeight = 4080;
constexpr int Margin = 120;
constexpr int ListWidth = 6975;
constexpr int ListHeight = 2760;
constexpr int ButtonWidth = 1215;
constexpr int ButtonHeight = 375;
constexpr int ButtonTop = Margin + ListHeight + Margin;

constexpr int IdListDrive = 101;

struct Column {
    const wchar_t* header;
    int widthTw;
    int format;
};
constexpr Column Columns[] = {
    {L"Unité", 1000, LVCFMT_LEFT},
    {L"Description", 2500, LVCFMT_LEFT},
    {L"Taille totale", 1500, LVCFMT_RIGHT},
    {L"Espace libre", 1500, LVCFMT_RIGHT},
};

// The whole part, then the first `decimals` digits of the fraction as they are, unrounded.
std::wstring TruncatedText(unsigned long long bytes, unsigned long long divisor, int decimals) {
    unsigned long long scale = decimals == 1 ? 10 : 100;
    // The remainder is below the divisor (at most 2^40), so it can be scaled without overflow.
    unsigned long long fraction = bytes % divisor * scale / divisor;
    std::wstring digits = std::to_wstring(fraction);
    digits.insert(0, static_cast<size_t>(decimals) - digits.size(), L'0');
    return std::to_wstring(bytes / divisor) + DecimalSeparator() + digits;
}

}  // namespace

std::wstring FormatDriveSize(unsigned long long bytes) {
    if (bytes < 1024) return std::to_wstring(bytes) + (bytes <= 1 ? L" octet" : L" octets");
    constexpr unsigned long long Ko = 1024, Mo = Ko * 1024, Go = Mo * 1024, To = Go * 1024;
    unsigned long long divisor = To;
    const wchar_t* unit = L"To";
    if (bytes < 1000 * Ko) {
        divisor = Ko;
        unit = L"Ko";
    } else if (bytes < 1000 * Mo) {
        divisor = Mo;
        unit = L"Mo";
    } else if (bytes < 1000 * Go) {
        divisor = Go;
        unit = L"Go";
    }
    unsigned long long whole = bytes / divisor;
    std::wstring number;
    if (whole >= 100) {
        // Whole units, rounded half up.
        number = GroupedText(static_cast<double>(whole + (bytes % divisor >= divisor - bytes % divisor ? 1 : 0)));
    } else {
        number = TruncatedText(bytes, divisor, whole >= 10 ? 1 : 2);
    }
    return number + L" " + unit;
}

bool DriveListFrm::Load(HWND owner) {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&classes);
    if (!CreateDialogForm(owner, Caption, FormWidth, FormHeight)) return false;
    CreateControls();
    FillDriveList();
    return true;
}

void DriveListFrm::CreateControls() {
    auto controls = AddControls({
        {WC_LISTVIEWW, L"", WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, Margin, Margin,
         ListWidth, ListHeight, IdListDrive, WS_EX_CLIENTEDGE},
        {L"BUTTON", L"OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, Margin + ListWidth - 2 * ButtonWidth - Margin,
         ButtonTop, ButtonWidth, ButtonHeight, IDOK},
        {L"BUTTON", L"&Annuler", WS_VISIBLE | WS_TABSTOP, Margin + ListWidth - ButtonWidth, ButtonTop, ButtonWidth,
         ButtonHeight, IDCANCEL},
    });
    listDrive_ = controls[0];
    cmd_[0] = controls[1];
    cmd_[1] = controls[2];
    initialFocus_ = listDrive_;
    SendMessageW(listDrive_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumns();
    // Icons at the size of a small icon at the form's dpi.
    int size = MulDiv(16, Dpi(), 96);
    images_ = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 4, 4);
    SendMessageW(listDrive_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
}

void DriveListFrm::AddColumns() {
    int index = 0;
    for (const Column& column : Columns) {
        LVCOLUMNW entry{};
        entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        entry.fmt = column.format;
        entry.cx = TwipsToPixels(column.widthTw);
        entry.pszText = const_cast<wchar_t*>(column.header);
        entry.iSubItem = index;
        SendMessageW(listDrive_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&entry));
        ++index;
    }
}

void DriveListFrm::FillDriveList() {
    SendMessageW(listDrive_, LVM_DELETEALLITEMS, 0, 0);
    DriveQueries& drives = Drives();
    for (const std::wstring& root : drives.Roots()) {
        int icon = DriveIcon(root);
        std::wstring description = drives.Description(root);
        DriveSpace space = drives.Space(root);

        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = RowCount();
        item.pszText = const_cast<wchar_t*>(root.c_str());
        item.iImage = icon >= 0 ? icon : I_IMAGENONE;
        int row = static_cast<int>(SendMessageW(listDrive_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0) continue;

        // A drive that cannot tell its size (no medium, a share that does not answer)
        // reports a total of 0.
        bool known = space.total != 0;
        std::wstring cells[] = {description, known ? FormatDriveSize(space.total) : L"N.A.",
                                known ? FormatDriveSize(space.free) : L"N.A."};
        for (int column = 1; column <= 3; ++column) {
            LVITEMW cell{};
            cell.iSubItem = column;
            cell.pszText = const_cast<wchar_t*>(cells[column - 1].c_str());
            SendMessageW(listDrive_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
        }
    }
}

int DriveListFrm::DriveIcon(const std::wstring& root) {
    auto known = iconIndex_.find(root);
    if (known != iconIndex_.end()) return known->second;
    int index = -1;
    int size = 0, height = 0;
    if (images_ && ImageList_GetIconSize(images_, &size, &height)) {
        if (HICON icon = Drives().Icon(root, size)) {
            index = ImageList_AddIcon(images_, icon);
            DestroyIcon(icon);
        }
    }
    iconIndex_[root] = index;
    return index;
}

int DriveListFrm::SelectedRow() const {
    return static_cast<int>(SendMessageW(listDrive_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool DriveListFrm::HasSelectedDrive() const { return SelectedRow() >= 0; }

void DriveListFrm::SelectDrive(const std::wstring& drive) {
    std::wstring wanted = ToUpper(drive.substr(0, 2));
    for (int row = 0; row < RowCount(); ++row) {
        if (ToUpper(CellText(row, 0).substr(0, 2)) != wanted) continue;
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(listDrive_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
        SendMessageW(listDrive_, LVM_ENSUREVISIBLE, row, FALSE);
    }
}

int DriveListFrm::RowCount() const { return static_cast<int>(SendMessageW(listDrive_, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring DriveListFrm::CellText(int row, int column) const {
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = buffer.data();
    cell.cchTextMax = static_cast<int>(buffer.size());
    SendMessageW(listDrive_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
    return buffer.data();
}

int DriveListFrm::ImageCount() const { return images_ ? ImageList_GetImageCount(images_) : 0; }

bool DriveListFrm::OnOk() {
    int row = SelectedRow();
    if (row < 0) {
        Ui().ShowMessage(hwnd_, L"Sélectionnez d'abord un lecteur !", GetText(hwnd_), MB_OK | MB_ICONEXCLAMATION);
        SetFocus(listDrive_);
        return false;
    }
    value_ = CellText(row, 0);
    return true;
}

LRESULT DriveListFrm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        // A double click on a drive confirms it; on the empty part of the list it does nothing.
        if (header->hwndFrom == listDrive_ && header->code == NM_DBLCLK) {
            if (HasSelectedDrive() && OnOk()) End(Accepted);
            return 0;
        }
    }
    // OK, "Annuler", Escape and the frame's close button end the dialog; only an accepted
    // OK hands a drive back.
    return Dialog::HandleMessage(message, wParam, lParam);
}
