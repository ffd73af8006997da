#pragma once
// Editing the lines from their path labels: the right mouse button opens the line menu
// (the menu tool "MenuPop" of the window's control TB) for that label, and the tool
// chosen edits the line; the left button drags the label's path out as text; a path
// dropped on a label (text, or the first file of a list) becomes that side of the line.
// Edits happen only in backup and restore mode and while the view is unlocked.
#include <windows.h>
#include <ole2.h>

#include <memory>
#include <string>

class BstF1;
class ControlHost;

class LineMenu {
public:
    explicit LineMenu(BstF1& window);
    ~LineMenu();
    LineMenu(const LineMenu&) = delete;
    LineMenu& operator=(const LineMenu&) = delete;

    // Creates the control TB (see ControlHost) and loads the window's menu into it, and
    // makes the window a drop target. Without a control the labels still take drops.
    void Create(const std::wstring& progId, const std::wstring& folder);
    // Before the window is destroyed: no more drops, the control closed.
    void Close();

    ControlHost& TB() { return *tb_; }

    // The labels of row i take the mouse from now on.
    void AttachRow(int i);
    void DetachRow(int i);

    // Side of the label the menu was last opened on (0 source, 1 destination) and its line.
    short PopupSide() const { return popupSide_; }
    short PopupLine() const { return popupLine_; }

    // A mouse button pressed on a path label (side 0: LblS, 1: LblD) at a point of the
    // label; button 2 is the right one.
    void OnLabelMouseDown(int side, int i, int button, POINT point);
    // The mouse moved over the label with the left button held since it was pressed there.
    void OnLabelDragMove(int side, int i, POINT point);
    // The tool chosen in the line menu, by its ID.
    void OnToolClick(const std::wstring& id);

    bool EditsAllowed() const;
    // Whether the menu or a drag of a path is open: each runs a modal loop of its own.
    bool Busy() const { return busy_ > 0; }

private:
    HWND Label(int side, int i) const;
    bool ValidRow(int i) const;
    // Row and side of the path label at a screen point; false when there is none.
    bool LabelAt(POINT screen, int& side, int& i) const;
    void DropPath(POINT screen, const std::wstring& path);
    void SaveSide(int side, int i);
    void EditPath();
    void ShowProperties();
    static LRESULT CALLBACK LabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data);

    BstF1& window_;
    std::unique_ptr<ControlHost> tb_;
    bool dropTarget_ = false;
    HWND pressed_ = nullptr;  // the label the left button went down on
    POINT pressedAt_{};
    short popupSide_ = 0;
    short popupLine_ = 0;
    int busy_ = 0;
};
