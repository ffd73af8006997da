#pragma once
// The main window: the lines of the current configuration, the mode tabs, the command
// buttons and the last-result panel. The program lives as long as this window.
#include "app/Dialog.h"
#include "app/Clock.h"
#include "app/Form.h"
#include "engine/RunHost.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct ConfigChoice;

// The exit code of an unattended run ("/Auto"), for the task scheduler's history.
constexpr int ExitClean = 0;       // completed without error
constexpr int ExitWithErrors = 1;  // completed, with errors
constexpr int ExitStopped = 2;     // stopped, or nothing could be run
int UnattendedExitCode();

class LineMenu;

class BstF1 : public Form, public RunHost {
public:
    BstF1();
    ~BstF1() override;

    // Initialize and Load: creates the window (hidden) and its contents, restores the
    // stored placement. Show() then shows it in the stored window state.
    bool Load();
    void Show();

    // Unload: stores the placement and the current configuration, then destroys the window.
    void Unload();

    bool WindowActivated() const { return windowActivated_; }

    // ---- Runs ----
    // A backup or restore of the selected lines; manual = 1 for the start button, 0 for the
    // daily timer and "Auto" (no question, no message, no sound).
    void StartRun(short manual);
    void StartComparison();
    void LaunchProgramAfter();
    void RecordLastResult(bool ok);
    // The daily timer: stopped while a run lasts, running exactly when AutoSave is on.
    bool Timer1Enabled() const { return timer1Enabled_; }

    // ---- Daily schedule ----
    static constexpr UINT_PTR Timer1Id = 1;
    static UINT Timer1Interval;  // 10 s; a test may shorten it
    // Starts the backup when its daily moment has passed.
    void OnTimer1();

    // RunHost: what the run window reads and marks on this window.
    std::wstring SourcePath(int i) override;
    std::wstring DestinationPath(int i) override;
    void ShowLineDone(int line) override;
    void BeginComparisonList() override;
    void AddComparisonLine(const std::wstring& line) override;
    void SetComparisonLabel(const std::wstring& text) override;
    void EndComparisonList() override;

    // ---- Lines ----
    // -1: creates the rows for the current MaxLineIndex; otherwise the configurations get
    // newMaxIndex + 1 lines (stored as "RepertMax"), with empty line arrays.
    void RebuildLines(int newMaxIndex);
    // Fills every control from the current configuration, then locks the view.
    void DisplayConfiguration();
    // DisplayConfiguration, then an empty comparison panel.
    void ResetComparisonPanel();
    // After the configurations dialog: the line count, then the configuration chosen there.
    void ApplyConfigChoice(const ConfigChoice& choice);
    void ShowConfigName();
    // After a change of line i's sides: a line with an empty side cannot be selected.
    void UpdateLineCheck(int i);
    // Copy the labels of row i back into the line and the settings file.
    void SaveSource(int i);
    void SaveDestination(int i);
    // Restore mode: stores the line whose reversed display is given.
    void SaveLineFromDisplay(const std::wstring& shownSource, const std::wstring& shownDestination, int i);
    // Empties line n after the user's confirmation.
    void ResetLine(int n);
    // The browse buttons of row n; button 2 (right) lets a file be chosen as the source.
    void CmdSClick(int n, int button);
    void CmdDClick(int n);
    // "Modif Tous": every destination moves to a drive chosen in the drive list.
    void ChangeAllDestinations();
    // Exchanges line i with line i + delta (-1 up, +1 down): paths, selection and
    // exclusions, in memory and in the file; the lock stays as it was.
    void MoveLine(int delta, int i);
    // The line menu and drag and drop of the path labels, with the control TB.
    LineMenu& LineEditing() { return *lineMenu_; }
    // The full paths shown by row i, in the direction of the run.

    // The two sides of the line i as the grid shows them in the current mode.
    void ShownLine(int i, std::wstring& shownSource, std::wstring& shownDestination) const;

    // ---- Mode, lock and program to run ----
    void ShowModeControls();
    void ShowLock();
    void EnableProgramControls(bool on);
    bool Locked() const { return locked_; }
    void SetLocked(bool locked) { locked_ = locked; }
    bool ConfigShown() const { return configShown_; }

    // ---- Place on the screen ----
    // Lays the window out for a work area: the lines frame keeps its height and the
    // window shows as much of it as the work area allows (the rest scrolls), a window
    // wider than the work area scrolls sideways, and a window that would not lie on the
    // work area is brought onto it. LayOut uses the work area of the nearest monitor.
    void FitIntoWorkArea(const RECT& work);
    // Scrolls the lines and the window so that the control is shown.
    void ShowControl(HWND control);

    // ---- Controls, by the names of the form ----
    HWND Onglet() const { return onglet_; }
    HWND Cadre(int i) const { return cadre_[i]; }
    // The part of the window that shows Cadre(0) or Cadre(3).
    HWND LinesView() const { return linesView_; }
    HWND CadrePla() const { return cadrePla_; }
    HWND Cmd(int i) const { return cmd_[i]; }
    HWND Opt(int i) const { return opt_[i]; }
    HWND ChkProg() const { return chkProg_; }
    HWND ProgToRunTxt() const { return progToRunTxt_; }
    HWND PrmToRunTxt() const { return prmToRunTxt_; }
    HWND CmdP() const { return cmdP_; }
    HWND CmdPOff() const { return cmdPOff_; }
    HWND ConfigLbl(int i) const { return configLbl_[i]; }
    HWND TxtCp() const { return txtCp_; }
    HWND LblComp() const { return lblComp_; }
    HWND LblH() const { return lblH_; }
    HWND AutoHr() const { return autoHr_; }
    HWND LastSaveLbl(int i) const { return lastSaveLbl_[i]; }
    HWND OkImg() const { return okImg_; }
    HWND ErrImg() const { return errImg_; }
    HWND NbErrImg() const { return nbErrImg_; }
    int RowCount() const { return static_cast<int>(rows_.size()); }
    HWND ImgOk(int i) const { return rows_[i].imgOk; }
    HWND Lbl(int i) const { return rows_[i].lbl; }
    HWND ChkS(int i) const { return rows_[i].chkS; }
    HWND LblS(int i) const { return rows_[i].lblS; }
    HWND CmdS(int i) const { return rows_[i].cmdS; }
    HWND Img(int i) const { return rows_[i].img; }
    HWND LblD(int i) const { return rows_[i].lblD; }
    HWND CmdD(int i) const { return rows_[i].cmdD; }
    HWND CmdEx(int i) const { return rows_[i].cmdEx; }

    // Pictures: the arrow of an unselected (0) or selected (1) line, the lock closed (0)
    // or open (1), the start button per mode.
    static HICON FlecheImg(int value);
    static HICON LockImg(int index);
    static HICON ImgB(int mode);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    const wchar_t* ClassName() const override { return L"BastideBstF1"; }
    HICON ClassIcon() const override;

private:
    struct Row {
        HWND imgOk = nullptr, lbl = nullptr, chkS = nullptr, lblS = nullptr, cmdS = nullptr, img = nullptr,
             lblD = nullptr, cmdD = nullptr, cmdEx = nullptr;
    };

    // Creation and layout
    void CreateControls();
    void CreateTopBar();
    void CreateModeTabs();
    void CreateComparisonPanel();
    void CreateProgramFrame();
    void CreateBottomFrame();
    void CreateRow(int i);
    void DestroyRow(int i);
    void LayOut();
    void CutTabHole();
    RECT NearestWorkArea() const;
    // Moves the controls of the window sideways: x is the first logical column shown.
    void ScrollClientTo(int x);
    static int FormWidthTw();
    HWND AddChild(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int leftTw,
                  int topTw, int widthTw, int heightTw, int id, DWORD exStyle = 0);
    void SetPicture(HWND control, HICON picture);

    // Events
    void OnActivate();
    void OnFirstActivation();
    void StorePlacement();
    void OnCommand(int id, int code, HWND control);
    void OnNotify(const NMHDR& header);
    void OnCmdClick(int i);
    void OnStartClick();
    void OnOngletClick();
    void OnOptClick(int i);
    void OnChkSClick(int i);
    void OnChkProgClick();
    void OnCmdPClick();
    void OnCmdPOffClick();
    void OnPrmToRunLostFocus();
    void OnCmdExClick(int n);
    void OnTaskSchedulerClick();
    void OnAutoHrGotFocus();
    void OnAutoHrKeyDown(WPARAM key);
    void OnAutoHrKeyPress(wchar_t character);
    void OnAutoHrChange();
    void OnAutoHrLostFocus();
    static LRESULT CALLBACK AutoHrProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
    void ToggleCheck(HWND box);
    void SetChkSValue(int i, int value);
    void SetModeFromTab(int tab);
    void ShowLastResult();
    static LRESULT CALLBACK ShowOnFocusProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR data);
    static LRESULT CALLBACK RightClickProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR data);

    void PutLine(int i, const std::wstring& source, const std::wstring& destination);
    int DisplayMode() const;

    void EnableTimer1(bool on);
    // Shows the run window modally for the current mode.
    void ShowRunWindow(bool manual);
    // A close asked for during a run is carried out when everything of the run is done.
    void CloseIfAskedDuringRun();
    std::wstring InterruptionDetail() const;

    bool windowActivated_ = false;
    bool timer1Enabled_ = false;
    bool runActive_ = false;      // a run window is open over this one
    bool closeAfterRun_ = false;  // the window was asked to close during the run
    size_t longestComparisonLine_ = 0;
    std::wstring longestComparisonText_;
    int storedWindowState_ = 0;
    bool unloaded_ = false;
    bool locked_ = true;
    bool configShown_ = false;
    std::wstring timeBeforeEdit_;                      // "AutoTime" when the time box got the focus
    std::optional<moments::Moment> lastAutoStart_;     // start of the last run of the daily timer
    FocusMemory focus_;

    HWND onglet_ = nullptr;
    std::array<HWND, 3> tabKeys_{};
    std::array<HWND, 4> cadre_{};
    HWND linesView_ = nullptr;
    int hScroll_ = 0;
    HWND cadrePla_ = nullptr;
    HWND optionsGroup_ = nullptr;
    std::array<HWND, 10> cmd_{};
    std::array<HWND, 3> opt_{};
    HWND chkProg_ = nullptr, progToRunTxt_ = nullptr, prmToRunTxt_ = nullptr, prmLabel_ = nullptr;
    HWND cmdP_ = nullptr, cmdPOff_ = nullptr;
    std::array<HWND, 2> configLbl_{};
    HWND txtCp_ = nullptr, lblComp_ = nullptr, lblH_ = nullptr, autoHr_ = nullptr;
    std::array<HWND, 3> lastSaveLbl_{};
    HWND okImg_ = nullptr, errImg_ = nullptr, nbErrImg_ = nullptr;
    std::vector<Row> rows_;
    std::unique_ptr<LineMenu> lineMenu_;
};

// A stored moment "dd/mm/yyyy hh:nn:ss" as "ddd d mmmm yyyy à hh:nn" in the user's language.
std::wstring FormatMoment(const std::wstring& text);

