// Creation and layout of the main window's controls.
#include "app/Settings.h"
#include "common/Handles.h"
#include "common/Guard.h"
#include "mainwindow/BstF1.h"
#include "mainwindow/Frame.h"
#include "mainwindow/Layout.h"
#include "mainwindow/LineMenu.h"
#include "mainwindow/LinesView.h"
#include "mainwindow/Pictures.h"
#include "mainwindow/ToolTips.h"
#include "res/resource.h"

#include <commctrl.h>

#include <algorithm>

namespace {

using namespace layout;

constexpr DWORD Visible = WS_VISIBLE;
constexpr DWORD PushButton = BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE;
constexpr DWORD PictureButton = BS_PUSHBUTTON | BS_ICON | WS_TABSTOP | WS_VISIBLE;
// Check boxes are ticked by the window itself, so that a click on a locked row does nothing.
constexpr DWORD CheckBox = BS_CHECKBOX | WS_TABSTOP | WS_VISIBLE;
constexpr DWORD Label = SS_LEFT | SS_NOPREFIX | WS_VISIBLE;
// A path takes one line: shortened in its middle to fit, and cut at its end when its last
// name alone is wider than the label.
constexpr DWORD PathLabel = SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS | SS_NOPREFIX | SS_NOTIFY | WS_VISIBLE;
constexpr DWORD Picture = SS_ICON | SS_CENTERIMAGE | SS_NOTIFY;
constexpr DWORD TextBox = ES_AUTOHSCROLL | WS_TABSTOP | WS_VISIBLE;
constexpr DWORD GroupFrame = frame::GroupStyle | WS_CLIPCHILDREN | WS_VISIBLE;

constexpr const wchar_t* TabKeyClass = L"BastideTabKey";

// The keyboard shortcut of a tab. The tab strip has no window text of its own, so each
// tab's "&" letter is carried by a window without size that answers as a button: the
// dialog keyboard handling clicks it, and the window clicks the tab.
LRESULT CALLBACK TabKeyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETDLGCODE:
            return DLGC_BUTTON;
        case BM_CLICK:
        case WM_SETFOCUS:
            SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), BN_CLICKED),
                         reinterpret_cast<LPARAM>(window));
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterTabKeyClass() {
    WNDCLASSEXW windowClass{};
    windowClass.lpfnWndProc = TabKeyProc;
    windowClass.lpszClassName = TabKeyClass;
    RegisterWindowClass(windowClass);
}

int LinesHeight() { return (MaxLineIndex + 1) * RowPitch + LinesBottom; }

// Width in pixels of text in the control's font.
int TextWidth(HWND control, const std::wstring& text) {
    win::WindowDc dc(control);
    if (!dc.Get()) return 0;
    win::Selection font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

}  // namespace

HWND BstF1::AddChild(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int leftTw,
                     int topTw, int widthTw, int heightTw, int id, DWORD exStyle) {
    HWND control = CreateWindowExW(exStyle, className, text.c_str(), style | WS_CHILD, TwipsToPixels(leftTw),
                                   TwipsToPixels(topTw), TwipsToPixels(widthTw), TwipsToPixels(heightTw), parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    if (!control) return control;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
    // A control reached with the keyboard is scrolled into view on a small screen.
    if (style & WS_TABSTOP) SetWindowSubclass(control, ShowOnFocusProc, 0, reinterpret_cast<DWORD_PTR>(this));
    return control;
}

LRESULT CALLBACK BstF1::ShowOnFocusProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
    LRESULT result = DefSubclassProc(control, message, wParam, lParam);
    if (message == WM_SETFOCUS) {
        try {
            reinterpret_cast<BstF1*>(data)->ShowControl(control);
        } catch (...) {
        }
    }
    return result;
}

void BstF1::SetPicture(HWND control, HICON picture) {
    wchar_t className[16] = {};
    GetClassNameW(control, className, 16);
    if (lstrcmpiW(className, WC_BUTTONW) == 0) {
        if (reinterpret_cast<HICON>(SendMessageW(control, BM_GETIMAGE, IMAGE_ICON, 0)) != picture) {
            SendMessageW(control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(picture));
        }
    } else if (reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0)) != picture) {
        SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(picture), 0);
    }
}

// The order of creation is the order of the Tab key: top bar, tabs, lines, comparison,
// program, options, scheduling, start and quit.
void BstF1::CreateControls() {
    frame::RegisterClass();
    linesview::RegisterClass();
    RegisterTabKeyClass();
    CreateTopBar();
    CreateModeTabs();
    linesView_ = AddChild(hwnd_, linesview::ClassName, L"", WS_CLIPCHILDREN | Visible, LinesLeft, LinesTop,
                          LinesWidth, LinesHeight(), ids::LinesView, WS_EX_CONTROLPARENT);
    cadre_[0] = AddChild(linesView_, frame::ClassName, L"", GroupFrame, 0, 0, LinesWidth, LinesHeight(), ids::Cadre,
                         WS_EX_CONTROLPARENT);
    rows_.clear();
    CreateRow(0);
    CreateComparisonPanel();
    CreateProgramFrame();
    CreateBottomFrame();
}

void BstF1::CreateTopBar() {
    // The caption takes the width of its text at the screen's dpi, and the name follows
    // after a gap.
    const std::wstring caption = L"Configuration :";
    configLbl_[0] = AddChild(hwnd_, WC_STATICW, caption, SS_LEFTNOWORDWRAP | SS_NOPREFIX | Visible, ConfigLeft,
                             ConfigTop, 1230, 255, ids::ConfigLbl);
    int captionWidth = PixelsToTwips(TextWidth(configLbl_[0], caption)) + 15;
    int nameLeft = ConfigLeft + captionWidth + ConfigGap;
    MoveControl(configLbl_[0], ConfigLeft, ConfigTop, captionWidth, 255);
    configLbl_[1] = AddChild(hwnd_, WC_STATICW, L"", Label | SS_NOTIFY | SS_ENDELLIPSIS, nameLeft, ConfigTop,
                             std::max(0, ConfigRight - nameLeft), 255, ids::ConfigLbl + 1);
    SendMessageW(configLbl_[1], WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont()), FALSE);
    SetToolTipText(configLbl_[1], L"Nom de la configuration sélectionnée");

    // Created left to right, the order of the Tab key.
    int right = ClientWidth - 120;
    cmd_[7] = AddChild(hwnd_, WC_BUTTONW, L"Modif Tous", PushButton, right - 4 * BarButton - 240 - 1320, BarTop,
                       1320, BarButtonHeight, ids::Cmd + 7);
    cmd_[3] = AddChild(hwnd_, WC_BUTTONW, L"", PictureButton, right - 4 * BarButton - 180, BarTop, BarButton,
                       BarButtonHeight, ids::Cmd + 3);
    cmd_[5] = AddChild(hwnd_, WC_BUTTONW, L"", PictureButton, right - 3 * BarButton - 120, BarTop, BarButton,
                       BarButtonHeight, ids::Cmd + 5);
    cmd_[6] = AddChild(hwnd_, WC_BUTTONW, L"", PictureButton, right - 2 * BarButton - 60, BarTop, BarButton,
                       BarButtonHeight, ids::Cmd + 6);
    cmd_[2] = AddChild(hwnd_, WC_BUTTONW, L"", PictureButton, right - BarButton, BarTop, BarButton, BarButtonHeight,
                       ids::Cmd + 2);
    SetPicture(cmd_[2], LoadPicture(IDI_ABOUT, 16, 16));
    SetPicture(cmd_[3], LoadPicture(IDI_CONFIG, 16, 16));
    SetPicture(cmd_[5], LoadPicture(IDI_REFRESH, 16, 16));
    SetToolTipText(cmd_[2], L"A propos de Bastide");
    SetToolTipText(cmd_[3], L"Changer de configuration en cours");
    SetToolTipText(cmd_[5], L"Actualiser l'affichage");
    SetToolTipText(cmd_[7], L"Modifier toutes les destinations");
}

void BstF1::CreateModeTabs() {
    static const wchar_t* captions[3] = {L"&Sauvegarde", L"&Restauration", L"&Comparaison"};
    static const wchar_t keys[3] = {L'S', L'R', L'C'};
    for (int k = 0; k < 3; ++k) {
        tabKeys_[k] = AddChild(hwnd_, TabKeyClass, captions[k], Visible, 0, 0, 0, 0, ids::TabKey + k);
    }
    onglet_ = AddChild(hwnd_, WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS | Visible, OngletLeft, OngletTop,
                       OngletWidth, LinesHeight() + OngletExtra, ids::Onglet);
    for (int k = 0; k < 3; ++k) {
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_PARAM;
        item.pszText = const_cast<wchar_t*>(captions[k]);
        item.lParam = keys[k];
        SendMessageW(onglet_, TCM_INSERTITEMW, k, reinterpret_cast<LPARAM>(&item));
    }
    // A little more room around the captions than the default.
    SendMessageW(onglet_, TCM_SETPADDING, 0, MAKELPARAM(TwipsToPixels(150), TwipsToPixels(45)));
}

void BstF1::CreateRow(int i) {
    HWND parent = cadre_[0];
    int top = i * RowPitch;
    int labelTop = top + RowLabelTop;
    int buttonTop = top + RowButtonTop;
    int offset = i;
    Row row;
    row.imgOk = AddChild(parent, WC_STATICW, L"", Picture, ImgOkLeft, labelTop, ImgOkWidth, RowLabelHeight,
                         ids::ImgOk + offset);
    SetPicture(row.imgOk, LoadPicture(IDI_RESULT_OK, 16, 16));
    row.lbl = AddChild(parent, WC_STATICW, std::to_wstring(i + 1) + L".", SS_RIGHT | Visible, LblLeft, labelTop,
                       LblWidth, RowLabelHeight, ids::Lbl + offset);
    row.chkS = AddChild(parent, WC_BUTTONW, L"", CheckBox, ChkSLeft, labelTop, ChkSWidth, RowLabelHeight,
                        ids::ChkS + offset);
    row.lblS = AddChild(parent, WC_STATICW, L"", PathLabel, LblSLeft, labelTop, PathWidth, RowLabelHeight,
                        ids::LblS + offset);
    row.cmdS = AddChild(parent, WC_BUTTONW, L"...", PushButton, CmdSLeft, buttonTop, RowButtonWidth,
                        RowButtonHeight, ids::CmdS + offset);
    row.img = AddChild(parent, WC_STATICW, L"", Picture | Visible, ImgLeft, labelTop, ImgWidth, RowLabelHeight,
                       ids::Img + offset);
    SetPicture(row.img, FlecheImg(0));
    row.lblD = AddChild(parent, WC_STATICW, L"", PathLabel, LblDLeft, labelTop, PathWidth, RowLabelHeight,
                        ids::LblD + offset);
    row.cmdD = AddChild(parent, WC_BUTTONW, L"...", PushButton, CmdDLeft, buttonTop, RowButtonWidth,
                        RowButtonHeight, ids::CmdD + offset);
    row.cmdEx = AddChild(parent, WC_BUTTONW, L"", PictureButton, CmdExLeft, buttonTop, RowButtonWidth,
                         RowButtonHeight, ids::CmdEx + offset);
    SetPicture(row.cmdEx, LoadPicture(IDI_EXCLUSIONS, 16, 16));
    SetToolTipText(row.cmdS, L"Choisir le répertoire source (clic droit : ou un fichier)");
    SetToolTipText(row.cmdD, L"Choisir le répertoire destination");
    SetToolTipText(row.cmdEx, L"Répertoires exclus de la sauvegarde");
    SetWindowSubclass(row.cmdS, RightClickProc, static_cast<UINT_PTR>(i), reinterpret_cast<DWORD_PTR>(this));
    for (HWND button : {row.cmdS, row.cmdD, row.cmdEx}) EnableWindow(button, !locked_);
    if (static_cast<int>(rows_.size()) <= i) rows_.resize(i + 1);
    rows_[i] = row;
    if (lineMenu_) lineMenu_->AttachRow(i);
}

void BstF1::DestroyRow(int i) {
    Row& row = rows_[i];
    if (lineMenu_) lineMenu_->DetachRow(i);
    RemoveWindowSubclass(row.cmdS, RightClickProc, static_cast<UINT_PTR>(i));
    for (HWND control : {row.imgOk, row.lbl, row.chkS, row.lblS, row.cmdS, row.img, row.lblD, row.cmdD, row.cmdEx}) {
        RemoveToolTip(control);
        DestroyWindow(control);
    }
    row = Row{};
}

// The right mouse button on a source button also lets a file be chosen.
LRESULT CALLBACK BstF1::RightClickProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data) {
    if (message == WM_RBUTTONUP) {
        RECT client{};
        GetClientRect(control, &client);
        POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        auto* window = reinterpret_cast<BstF1*>(data);
        if (PtInRect(&client, point) && IsWindowEnabled(control) && IsWindowEnabled(GetParent(control))) {
            guard::Call<void>("BstF1::RightClickProc", [&] { window->CmdSClick(static_cast<int>(id), 2); });
        }
        return 0;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

void BstF1::CreateComparisonPanel() {
    int width = LinesWidth;
    int height = LinesHeight();
    cadre_[3] = AddChild(linesView_, frame::ClassName, L"", frame::GroupStyle | WS_CLIPCHILDREN, 0, 0, width, height,
                         ids::Cadre + 3, WS_EX_CONTROLPARENT);
    int listWidth = width - 240 - CompareButtonWidth - 120;
    cmd_[4] = AddChild(cadre_[3], WC_BUTTONW, L"Comparaison Source -> Destination", PushButton,
                       width - 120 - CompareButtonWidth, TxtCpTop, CompareButtonWidth, 420, ids::Cmd + 4);
    txtCp_ = AddChild(cadre_[3], WC_LISTBOXW, L"",
                      LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | Visible, 120,
                      TxtCpTop, listWidth, height - TxtCpShorter, ids::TxtCp, WS_EX_CLIENTEDGE);
    lblComp_ = AddChild(cadre_[3], WC_STATICW, L"Aucune comparaison effectuée.", Label, 120,
                        height - TxtCpShorter + LblCompBelow, listWidth, 255, ids::LblComp);
}

void BstF1::CreateProgramFrame() {
    cadre_[1] = AddChild(hwnd_, frame::ClassName, L"Programme à exécuter après la sauvegarde", GroupFrame, FrameLeft,
                         0, FrameWidth, ProgramHeight, ids::Cadre + 1, WS_EX_CONTROLPARENT);
    HWND parent = cadre_[1];
    chkProg_ = AddChild(parent, WC_BUTTONW, L"&Programme :", CheckBox, 180, 315, 1500, 300, ids::ChkProg);
    progToRunTxt_ = AddChild(parent, WC_EDITW, L"", TextBox | ES_READONLY, 1740, 300, 7440, 330, ids::ProgToRunTxt,
                             WS_EX_CLIENTEDGE);
    cmdP_ = AddChild(parent, WC_BUTTONW, L"...", PushButton, 9240, 285, 480, 360, ids::CmdP);
    cmdPOff_ = AddChild(parent, WC_BUTTONW, L"", PictureButton, 9780, 285, 480, 360, ids::CmdPOff);
    SetPicture(cmdPOff_, LoadPicture(IDI_RESULT_ERROR, 16, 16));
    prmLabel_ = AddChild(parent, WC_STATICW, L"Paramètres :", Label, 435, 765, 1260, 255, ids::PrmLabel);
    prmToRunTxt_ = AddChild(parent, WC_EDITW, L"", TextBox, 1740, 720, 7440, 330, ids::PrmToRunTxt, WS_EX_CLIENTEDGE);
    SetToolTipText(cmdP_, L"Choisir le programme");
    SetToolTipText(cmdPOff_, L"Supprimer le programme");
}

void BstF1::CreateBottomFrame() {
    cadre_[2] = AddChild(hwnd_, frame::ClassName, L"", WS_CLIPCHILDREN | Visible, FrameLeft, 0, FrameWidth,
                         BottomHeight, ids::Cadre + 2, WS_EX_CONTROLPARENT);
    HWND parent = cadre_[2];
    int half = (FrameWidth - 180) / 2;

    optionsGroup_ = AddChild(parent, frame::ClassName, L"Options de copie", GroupFrame, 0, 60, half, 1200,
                             ids::OptionsGroup, WS_EX_CONTROLPARENT);
    opt_[0] = AddChild(optionsGroup_, WC_BUTTONW, L"&Ecrasement sans confirmation", CheckBox, 180, 330, half - 360,
                       300, ids::Opt);
    opt_[1] = AddChild(optionsGroup_, WC_BUTTONW, L"Seulement les fichiers &Modifiés", CheckBox, 180, 720,
                       half - 360, 300, ids::Opt + 1);

    cadrePla_ = AddChild(parent, frame::ClassName, L"Planifier la sauvegarde", GroupFrame, half + 180, 60, half, 1200,
                         ids::CadrePla, WS_EX_CONTROLPARENT);
    opt_[2] = AddChild(cadrePla_, WC_BUTTONW, L"Sauvegarde &Automatique :", CheckBox, 180, 330, 2500, 300, ids::Opt + 2);
    lblH_ = AddChild(cadrePla_, WC_STATICW, L"Heure de Sauvegarde :", Label, 195, 765, 2100, 255, ids::LblH);
    autoHr_ = AddChild(cadrePla_, WC_EDITW, L"00:00", TextBox | ES_CENTER, 2340, 720, 660, 330, ids::AutoHr,
                       WS_EX_CLIENTEDGE);
    SendMessageW(autoHr_, EM_LIMITTEXT, 5, 0);
    SetWindowSubclass(autoHr_, AutoHrProc, 0, reinterpret_cast<DWORD_PTR>(this));
    cmd_[8] = AddChild(cadrePla_, WC_BUTTONW, L"Planificateur de tâches", PushButton, half - 180 - 2160, 285, 2160,
                       390, ids::Cmd + 8);
    SetToolTipText(cmd_[8], L"Planificateur de Tâches Windows");

    cmd_[1] = AddChild(parent, WC_BUTTONW, L"", PushButton, FrameWidth - 3540, 1380, 3540, 600, ids::Cmd + 1);
    SendMessageW(cmd_[1], WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont()), FALSE);

    static const int pictureIds[3] = {IDI_RESULT_OK, IDI_RESULT_ERROR, IDI_RESULT_COUNT};
    HWND* images[3] = {&okImg_, &errImg_, &nbErrImg_};
    static const int imageIds[3] = {ids::OkImg, ids::ErrImg, ids::NbErrImg};
    static const wchar_t* captions[3] = {L"Dernière sauvegarde :", L"Dernière sauvegarde :", L"Erreur"};
    for (int k = 0; k < 3; ++k) {
        int top = 1440 + k * 330;
        *images[k] = AddChild(parent, WC_STATICW, L"", Picture, 120, top, 240, 240, imageIds[k]);
        SetPicture(*images[k], LoadPicture(pictureIds[k], 16, 16));
        lastSaveLbl_[k] = AddChild(parent, WC_STATICW, captions[k], Label, 450, top, k == 2 ? 1800 : 6300, 255,
                                   ids::LastSaveLbl + k);
    }
    cmd_[9] = AddChild(parent, WC_BUTTONW, L"Voir les erreurs", BS_PUSHBUTTON | WS_TABSTOP, 2310, 2040, 1800, 360,
                       ids::Cmd + 9);
    cmd_[0] = AddChild(parent, WC_BUTTONW, L"Quitter", PushButton, FrameWidth - 1500, 2100, 1500, 390, ids::Cmd);
    SetToolTipText(cmd_[0], L"Sortie du programme");
}

void BstF1::RebuildLines(int newMaxIndex) {
    if (newMaxIndex > -1) {
        // At most twelve lines: a larger count would build rows past the window's end.
        if (newMaxIndex > MaxLines - 1) newMaxIndex = MaxLines - 1;
        for (int i = RowCount() - 1; i >= 1; --i) DestroyRow(i);
        rows_.resize(1);
        MaxLineIndex = static_cast<short>(newMaxIndex);
        WriteSetting(PositionSection, L"RepertMax", std::to_wstring(newMaxIndex + 1));
        SizeLineArrays();
    }
    for (int i = RowCount(); i <= MaxLineIndex; ++i) CreateRow(i);
    LayOut();
}

void BstF1::LayOut() { FitIntoWorkArea(NearestWorkArea()); }

// The tab strip comes before the lines in the Tab order, hence above them; the part of
// it that the lines cover is cut away, so the lines show and take the mouse.
void BstF1::CutTabHole() {
    RECT tabs{}, lines{};
    GetWindowRect(onglet_, &tabs);
    GetWindowRect(linesView_, &lines);
    win::GdiObject whole(CreateRectRgn(0, 0, tabs.right - tabs.left, tabs.bottom - tabs.top));
    win::GdiObject hole(CreateRectRgn(lines.left - tabs.left, lines.top - tabs.top, lines.right - tabs.left,
                                      lines.bottom - tabs.top));
    HRGN region = static_cast<HRGN>(whole.Get());
    CombineRgn(region, region, static_cast<HRGN>(hole.Get()), RGN_DIFF);
    // Once set, the region belongs to the window.
    if (SetWindowRgn(onglet_, region, TRUE)) whole.Release();
}
