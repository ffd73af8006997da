// The main window on screens of every size and scale: paths and the configuration name
// readable on one line, a stored place that no monitor shows any more, and a screen too
// small for every line.
#include "tests/mainwindow/MainWindowFixture.h"

#include <string>
#include <vector>

#include "mainwindow/PathLabel.h"
#include "mainwindow/ToolTips.h"

namespace {

std::string Lines(int count, const std::string& position = "") {
    return "[Position]\r\nConfig=Bureau\r\nRepertMax=" + std::to_string(count) + "\r\n" + position +
           "[Bureau]\r\n"
           "Source0=\"C:\\Data\\Docs\"\r\nDestination0=\"E:\\Copies\\\"\r\nSelect0=1\r\n";
}

std::string StoredAt(int leftTw, int topTw) {
    return Lines(6, "Left=" + std::to_string(leftTw) + "\r\nTop=" + std::to_string(topTw) + "\r\n");
}

// Height and width of text drawn as a left-aligned label of the given width draws it
// (words wrapped), in the control's font.
SIZE DrawnSize(HWND control, const std::wstring& text, int width) {
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT rect{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int LineHeight(HWND control) {
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return metrics.tmHeight;
}

int ClientWidth(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    return client.right;
}

RECT PrimaryWorkArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

// The part of the client area of a window (or of the lines view) that the screen shows.
RECT ShownClient(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

POINT Centre(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

}  // namespace

TEST_F(MainWindowTest, PathLabelsShowOneLineAtEveryScale) {
    const std::vector<std::wstring> paths = {
        L"C:\\Users\\Public\\Documents\\Un dossier au nom vraiment beaucoup trop long pour tenir sur une ligne",
        L"D:\\" + std::wstring(90, L'x'),
        L"E:\\Sauvegardes\\Dossiers partagés du bureau\\Archives de la comptabilité de l'année\\2026",
        L"Un nom sans aucune barre oblique mais bien trop long pour l'étiquette du chemin",
        L"C:\\Data\\Docs",
    };
    for (int dpi : {96, 144}) {
        AtDpi(dpi);
        Open(Lines(6));
        HWND label = window->LblD(0);
        for (const std::wstring& path : paths) {
            SCOPED_TRACE(testing::Message() << dpi << " dpi, " << path.size() << " characters");
            SetPathLabel(window->Handle(), label, path);
            std::wstring caption = Text(label);
            SIZE drawn = DrawnSize(label, caption, ClientWidth(label));
            EXPECT_EQ(LineHeight(label), drawn.cy);
            EXPECT_LE(drawn.cx, ClientWidth(label));
            EXPECT_EQ(path, GetPathLabel(label));
            EXPECT_EQ(caption == path ? std::wstring() : path, GetToolTipText(label));
        }
        CloseWindow();
    }
}

TEST_F(MainWindowTest, ConfigurationCaptionKeepsAGapBeforeTheName) {
    for (int dpi : {96, 144}) {
        SCOPED_TRACE(testing::Message() << dpi << " dpi");
        AtDpi(dpi);
        Open(Lines(6));
        HWND caption = window->ConfigLbl(0);
        SIZE drawn = DrawnSize(caption, Text(caption), ClientWidth(caption));
        EXPECT_EQ(LineHeight(caption), drawn.cy);  // the colon stays on the caption's line
        int captionEnd = ScreenRect(caption).left + drawn.cx;
        EXPECT_GE(ScreenRect(window->ConfigLbl(1)).left - captionEnd, 4);
        EXPECT_LE(ScreenRect(window->ConfigLbl(1)).right, ScreenRect(window->Cmd(7)).left);
        CloseWindow();
    }
}

TEST_F(MainWindowTest, StoredPlaceOffEveryMonitorComesBackOntoTheWorkArea) {
    const RECT work = PrimaryWorkArea();
    const int px = Form::PixelsToTwips(1);
    struct Case {
        const char* name;
        int left, top;  // twips
        bool kept;
    };
    const std::vector<Case> cases = {
        {"top-left corner", work.left * px, work.top * px, true},
        {"inside", (work.left + 100) * px, (work.top + 80) * px, true},
        {"half off the right edge", (work.right - 300) * px, (work.top + 50) * px, true},
        {"far right (Left=30000)", 30000 + work.right * px, 0, false},
        {"far left", -30000, work.top * px, false},
        {"below the screen", work.left * px, (work.bottom + 200) * px, false},
        {"title bar above the screen", work.left * px, (work.top - 200) * px, false},
        {"a corner of the title bar", (work.right - 10) * px, work.top * px, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open(StoredAt(c.left, c.top));
        RECT shown = ScreenRect(window->Handle());
        if (c.kept) {
            EXPECT_EQ(Form::TwipsToPixels(c.left), shown.left);
            EXPECT_EQ(Form::TwipsToPixels(c.top), shown.top);
        } else {
            EXPECT_TRUE(Inside(shown, WorkAreaOf(window->Handle())));
        }
        // The place where the user sees the window is the one stored at the end.
        window->Unload();
        EXPECT_EQ(std::to_wstring(Form::PixelsToTwips(shown.left)), ReadSetting(L"Position", L"Left"));
        EXPECT_EQ(std::to_wstring(Form::PixelsToTwips(shown.top)), ReadSetting(L"Position", L"Top"));
        CloseWindow();
    }
}

TEST_F(MainWindowTest, EveryControlCanBeReachedOnASmallScreen) {
    struct Case {
        int dpi, lines;
        RECT work;
        bool linesCut;
    };
    const std::vector<Case> cases = {
        {144, 12, {0, 0, 1024, 768}, true},
        {144, 12, {0, 0, 1024, 728}, true},  // a task bar below
        {96, 12, {0, 0, 1024, 768}, true},
        {144, 12, {1024, 40, 2048, 808}, true},  // a second monitor, on the right
        {96, 6, {0, 0, 1024, 768}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dpi << " dpi, " << c.lines << " lines, work area " << c.work.left << ","
                                        << c.work.top << " - " << c.work.right << "," << c.work.bottom);
        AtDpi(c.dpi);
        Open(Lines(c.lines));
        window->FitIntoWorkArea(c.work);
        HWND view = window->LinesView();
        int linesHeight = c.lines * 480 + 360;

        EXPECT_TRUE(Inside(ScreenRect(window->Handle()), c.work));
        // The lines keep their layout; only part of them is shown at a time.
        EXPECT_EQ(Form::TwipsToPixels(linesHeight), HeightPx(window->Cadre(0)));
        EXPECT_EQ(c.linesCut, HeightPx(view) < HeightPx(window->Cadre(0)));
        EXPECT_NEAR(HeightPx(view) + Form::TwipsToPixels(560), HeightPx(window->Onglet()), 1);

        // The start and quit buttons can be clicked as the window opens, and are shown
        // whole when the keyboard reaches them.
        RECT shown = ShownClient(window->Handle());
        for (int i : {1, 0}) {
            POINT centre = Centre(ScreenRect(window->Cmd(i)));
            EXPECT_TRUE(PtInRect(&shown, centre) && PtInRect(&c.work, centre)) << "Cmd(" << i << ")";
            SetFocus(window->Cmd(i));
            EXPECT_TRUE(Inside(ScreenRect(window->Cmd(i)), ShownClient(window->Handle()))) << "Cmd(" << i << ")";
        }

        // The last line is reached with the scroll bar and with the keyboard, the first
        // one again as well.
        int last = c.lines - 1;
        SendMessageW(view, WM_VSCROLL, SB_BOTTOM, 0);
        EXPECT_TRUE(Inside(ScreenRect(window->LblD(last)), ShownClient(view)));
        SendMessageW(view, WM_VSCROLL, SB_TOP, 0);
        EXPECT_TRUE(Inside(ScreenRect(window->LblS(0)), ShownClient(view)));
        Unlock();
        SetFocus(window->CmdEx(last));
        EXPECT_TRUE(Inside(ScreenRect(window->CmdEx(last)), ShownClient(view)));
        EXPECT_TRUE(Inside(ScreenRect(window->CmdEx(last)), ShownClient(window->Handle())));
        SetFocus(window->ChkS(0));
        EXPECT_TRUE(Inside(ScreenRect(window->ChkS(0)), ShownClient(view)));
        CloseWindow();
    }
}
