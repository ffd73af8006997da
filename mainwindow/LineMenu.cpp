#include "mainwindow/LineMenu.h"

#include "app/Settings.h"
#include "app/Utils.h"
#include "common/Guard.h"
#include "dialogs/BstF5.h"
#include "mainwindow/BstF1.h"
#include "mainwindow/ControlHost.h"
#include "mainwindow/DragDrop.h"
#include "mainwindow/MenuStream.h"
#include "mainwindow/PathLabel.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdlib>

namespace {

// The subclass of a path label carries its side and line.
UINT_PTR LabelId(int side, int i) { return static_cast<UINT_PTR>(side) << 8 | static_cast<UINT_PTR>(i); }

// Counts a modal loop (the menu, a drag) for as long as it runs.
class BusyScope {
public:
    explicit BusyScope(int& count) : count_(count) { ++count_; }
    ~BusyScope() { --count_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    int& count_;
};

}  // namespace

LineMenu::LineMenu(BstF1& window) : window_(window) {
    tb_ = std::make_unique<ControlHost>(window.Handle(), [this](const std::wstring& id) { OnToolClick(id); });
}

LineMenu::~LineMenu() { Close(); }

void LineMenu::Create(const std::wstring& progId, const std::wstring& folder) {
    // The menu comes with the program, in the control's own stream.
    std::span<const std::uint8_t> menu = MainMenuStream();
    bastide::com::ComPtr<IStream> stream;
    if (!menu.empty()) {
        stream = bastide::com::ComPtr<IStream>::Adopt(SHCreateMemStream(menu.data(), static_cast<UINT>(menu.size())));
    }
    if (stream) tb_->Create(progId, folder, stream.Get());
    if (!dropTarget_) {
        dropTarget_ = dragdrop::Register(
            window_.Handle(), {[this](POINT at) {
                                   int side = 0, i = 0;
                                   return EditsAllowed() && LabelAt(at, side, i);
                               },
                               [this](POINT at, const std::wstring& path) { DropPath(at, path); }});
    }
}

void LineMenu::Close() {
    if (dropTarget_ && window_.Handle()) dragdrop::Revoke(window_.Handle());
    dropTarget_ = false;
    tb_->Close();
}

void LineMenu::AttachRow(int i) {
    for (int side : {0, 1}) {
        SetWindowSubclass(Label(side, i), LabelProc, LabelId(side, i), reinterpret_cast<DWORD_PTR>(this));
    }
}

void LineMenu::DetachRow(int i) {
    for (int side : {0, 1}) RemoveWindowSubclass(Label(side, i), LabelProc, LabelId(side, i));
}

HWND LineMenu::Label(int side, int i) const { return side == 0 ? window_.LblS(i) : window_.LblD(i); }

bool LineMenu::ValidRow(int i) const { return i >= 0 && i <= MaxLineIndex && i < window_.RowCount(); }

// In comparison mode the rows are hidden; a locked view takes no edit.
bool LineMenu::EditsAllowed() const { return RunMode != 2 && !window_.Locked(); }

LRESULT CALLBACK LineMenu::LabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR data) {
    auto* menu = reinterpret_cast<LineMenu*>(data);
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    int side = static_cast<int>(id >> 8), i = static_cast<int>(id & 0xFF);
    switch (message) {
        case WM_RBUTTONDOWN:
        case WM_LBUTTONDOWN:
            guard::Call<void>("LineMenu::LabelProc", [&] {
                menu->OnLabelMouseDown(side, i, message == WM_RBUTTONDOWN ? 2 : 1, at);
            });
            // The label's tool tip still hears of the button.
            break;
        case WM_MOUSEMOVE:
            if ((wParam & MK_LBUTTON) && menu->pressed_ == label) {
                guard::Call<void>("LineMenu::LabelProc", [&] { menu->OnLabelDragMove(side, i, at); });
            }
            break;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (menu->pressed_ == label) {
                menu->pressed_ = nullptr;
                if (message == WM_LBUTTONUP) ReleaseCapture();
            }
            break;
    }
    return DefSubclassProc(label, message, wParam, lParam);
}

void LineMenu::OnLabelMouseDown(int side, int i, int button, POINT point) {
    if (!EditsAllowed() || !ValidRow(i)) return;
    if (button == 2) {
        popupSide_ = static_cast<short>(side);
        popupLine_ = static_cast<short>(i);
        if (!tb_->Available()) return;
        tb_->SetToolVisible(L"ModifRepFich", side == 0);
        tb_->SetToolEnabled(L"LigneUp", i != 0);
        tb_->SetToolEnabled(L"LigneDown", i != MaxLineIndex);
        BusyScope busy(busy_);
        tb_->PopupMenu(L"MenuPop");
        return;
    }
    // A drag starts once the mouse has moved far enough with the button down; a plain
    // click does nothing.
    pressed_ = Label(side, i);
    pressedAt_ = point;
    SetCapture(pressed_);
}

void LineMenu::OnLabelDragMove(int side, int i, POINT point) {
    int dx = GetSystemMetrics(SM_CXDRAG), dy = GetSystemMetrics(SM_CYDRAG);
    if (std::abs(point.x - pressedAt_.x) <= dx && std::abs(point.y - pressedAt_.y) <= dy) return;
    pressed_ = nullptr;
    ReleaseCapture();
    // An empty label has nothing to give.
    std::wstring path = GetPathLabel(Label(side, i));
    if (path.empty() || !EditsAllowed()) return;
    BusyScope busy(busy_);
    dragdrop::DragText(path);
}

void LineMenu::OnToolClick(const std::wstring& id) {
    int i = popupLine_;
    if (!ValidRow(i)) return;
    if (id == L"ModifRep" || id == L"ModifRepFich") {
        if (popupSide_ == 1) {
            window_.CmdDClick(i);
        } else {
            window_.CmdSClick(i, id == L"ModifRep" ? 0 : 2);
        }
    } else if (id == L"Editer") {
        EditPath();
    } else if (id == L"Prop") {
        ShowProperties();
    } else if (id == L"LigneUp") {
        window_.MoveLine(-1, i);
    } else if (id == L"LigneDown") {
        window_.MoveLine(+1, i);
    } else if (id == L"DeleteLigne") {
        window_.ResetLine(i);
    }
}

// The path as text, in the edit dialog; "@" is the dialog's answer for a cancel.
void LineMenu::EditPath() {
    HWND label = Label(popupSide_, popupLine_);
    EditBuffer = (popupSide_ == 0 ? L"1" : L"2") + GetPathLabel(label);
    EditBuffer = ::EditPath(window_.Handle(), EditBuffer);
    if (EditBuffer == PathEditCancelled) return;
    SetPathLabel(window_.Handle(), label, EditBuffer);
    SaveSide(popupSide_, popupLine_);
}

void LineMenu::ShowProperties() {
    std::wstring path = GetPathLabel(Label(popupSide_, popupLine_));
    if (!path.empty()) ShowFileProperties(path, window_.Handle());
}

void LineMenu::SaveSide(int side, int i) {
    if (side == 0) {
        window_.SaveSource(i);
    } else {
        window_.SaveDestination(i);
    }
}

bool LineMenu::LabelAt(POINT screen, int& side, int& i) const {
    HWND under = WindowFromPoint(screen);
    if (!under) return false;
    int rows = std::min(window_.RowCount(), MaxLineIndex + 1);
    for (int row = 0; row < rows; ++row) {
        for (int s : {0, 1}) {
            if (Label(s, row) == under) {
                side = s;
                i = row;
                return true;
            }
        }
    }
    return false;
}

void LineMenu::DropPath(POINT screen, const std::wstring& path) {
    int side = 0, i = 0;
    if (!EditsAllowed() || !LabelAt(screen, side, i)) return;
    SetPathLabel(window_.Handle(), Label(side, i), path);
    SaveSide(side, i);
}
