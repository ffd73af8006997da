#pragma once
// Identifiers and geometry (twips) of the main window's controls.

namespace ids {
constexpr int Cmd = 100;          // Cmd(0)..Cmd(9)
constexpr int Opt = 120;          // Opt(0)..Opt(2)
constexpr int ChkProg = 130;
constexpr int ProgToRunTxt = 131;
constexpr int PrmToRunTxt = 132;
constexpr int CmdP = 133;
constexpr int CmdPOff = 134;
constexpr int ConfigLbl = 140;    // ConfigLbl(0), ConfigLbl(1)
constexpr int TxtCp = 150;
constexpr int LblComp = 151;
constexpr int LblH = 152;
constexpr int AutoHr = 153;
constexpr int CadrePla = 154;
constexpr int OptionsGroup = 155;
constexpr int PrmLabel = 156;
constexpr int Onglet = 160;
constexpr int TabKey = 165;       // the keyboard shortcuts of the three tabs
constexpr int Cadre = 170;        // Cadre(0)..Cadre(3)
constexpr int LinesView = 175;
constexpr int LastSaveLbl = 180;  // LastSaveLbl(0)..(2)
constexpr int OkImg = 185;
constexpr int ErrImg = 186;
constexpr int NbErrImg = 187;

// Row controls: base + line index.
constexpr int RowStride = 100;
constexpr int ImgOk = 1000;
constexpr int Lbl = 1100;
constexpr int ChkS = 1200;
constexpr int LblS = 1300;
constexpr int CmdS = 1400;
constexpr int Img = 1500;
constexpr int LblD = 1600;
constexpr int CmdD = 1700;
constexpr int CmdEx = 1800;
constexpr int RowLast = 1899;
}  // namespace ids

namespace layout {
// The client area is this wide; the window's outer width follows from it.
constexpr int ClientWidth = 10800;

// Top bar
constexpr int BarTop = 120;
constexpr int ConfigLeft = 240;         // "Configuration :", then the name after a gap
constexpr int ConfigTop = 195;
constexpr int ConfigGap = 90;
constexpr int ConfigRight = 7170;       // the name ends before "Modif Tous"
constexpr int BarButton = 450;   // square picture buttons
constexpr int BarButtonHeight = 420;

// Mode tabs and the two frames that take turns inside them
constexpr int OngletLeft = 120;
constexpr int OngletTop = 600;
constexpr int OngletWidth = ClientWidth - 240;
constexpr int OngletExtra = 560;        // Onglet.Height = Cadre(0).Height + 560
constexpr int LinesLeft = 240;
constexpr int LinesTop = OngletTop + 440;
constexpr int LinesWidth = ClientWidth - 480;

// Rows (relative to Cadre(0)): 480 apart, labels 360 and buttons 240 below a row's start.
constexpr int RowPitch = 480;
constexpr int RowLabelTop = 360;
constexpr int RowButtonTop = 240;
constexpr int RowLabelHeight = 240;
constexpr int RowButtonHeight = 420;
constexpr int LinesBottom = 360;        // H = (MaxLineIndex + 1) * 480 + 360
constexpr int ImgOkLeft = 120, ImgOkWidth = 240;
constexpr int LblLeft = 390, LblWidth = 390;
constexpr int ChkSLeft = 840, ChkSWidth = 240;
constexpr int LblSLeft = 1140, PathWidth = 3420;
constexpr int CmdSLeft = 4590, RowButtonWidth = 420;
constexpr int ImgLeft = 5070, ImgWidth = 540;
constexpr int LblDLeft = 5670;
constexpr int CmdDLeft = 9120;
constexpr int CmdExLeft = 9600;

// Comparison panel (relative to Cadre(3))
constexpr int CompareButtonWidth = 3360;
constexpr int TxtCpTop = 120;
constexpr int TxtCpShorter = 580;       // TxtCp.Height = Cadre(3).Height - 580
constexpr int LblCompBelow = 300;       // LblComp.Top = TxtCp.Height + 300

// Program frame, then the bottom frame
constexpr int FrameLeft = 120;
constexpr int FrameWidth = ClientWidth - 240;
constexpr int ProgramTopGap = 120;      // Cadre(1).Top = Onglet bottom + 120
constexpr int ProgramHeight = 1200;
constexpr int BottomHeight = 2580;
constexpr int WindowExtra = 500;        // window height = Cadre(2) bottom + 500
}  // namespace layout
