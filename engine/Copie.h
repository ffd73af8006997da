#pragma once
// The run window: shown modally, it runs a backup, a restore or a comparison of the
// selected lines on its first activation, keeps the run log, lets the user interrupt,
// and leaves the outcome in CurrentRun for the main window.
#include "app/Form.h"
#include "engine/RunHost.h"
#include "engine/RunView.h"

#include <string>

class Copie : public Form, public RunView {
public:
    // manual: the user started the run; a run of the daily timer or of "Auto" asks nothing.
    Copie(RunHost& host, bool manual);
    ~Copie() override;

    // Load: creates the window for the current RunMode. Run(): shows it modally over owner;
    // returns when it has closed.
    bool Load(HWND owner);
    void Run(HWND owner);

    // The run log, every line ended by CR LF. The log box receives new lines in batches,
    // a few times a second; FlushLog passes on what is waiting at once.
    const std::wstring& LogText() const { return logText_; }
    void FlushLog();
    bool Finished() const { return finished_; }
    std::wstring Caption() const;

    // Controls, by their names.
    HWND Lbl(int i) const { return lbl_[i]; }
    HWND ProgBar() const { return progBar_; }
    HWND ECTxt() const { return ecTxt_; }
    HWND AnalyseChk() const { return analyseChk_; }
    HWND Cmd() const { return cmd_; }
    HWND ImgAtt() const { return imgAtt_; }
    int ProgressStyle() const { return progressStyle_; }

    // Events.
    void OnCmdClick();
    void OnAnalyseChkClick();

    // RunView
    void AppendLog(const std::wstring& line) override;
    void AddComparisonLine(const std::wstring& line) override;
    void ShowFirstError() override;
    void ProcessEvents() override;
    ConfirmAnswer ConfirmReplace(const std::wstring& fileName) override;
    void ShowCriticalMessage(const std::wstring& text, const std::wstring& title) override;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    const wchar_t* ClassName() const override { return L"BastideCopie"; }
    void ShowLabel(int index, const std::wstring& text, bool isPath) override;
    void ShowProgressValue(int percent) override;
    void ShowProgressStyle(int style) override;

private:
    void CreateControls();
    void OnFirstActivation();
    void CopyRun();
    void ComparePass();
    void RunSelectedLines(bool analysisOnly, bool markDoneLines);
    void EndOfRun();
    void RecordDuration();
    void OnUnload();
    void SetSourceLabel(int index, const std::wstring& text);

    RunHost& host_;
    bool manual_;
    HWND lbl_[LabelCount] = {};
    HWND progBar_ = nullptr;
    HWND ecTxt_ = nullptr;
    HWND analyseChk_ = nullptr;
    HWND cmd_ = nullptr;
    HWND imgSens_ = nullptr;
    HWND imgAtt_ = nullptr;
    HWND imgSrc_ = nullptr;
    HWND imgDest_ = nullptr;
    HWND tips_ = nullptr;
    int progressStyle_ = 0;

    bool started_ = false;
    bool finished_ = false;
    bool unloaded_ = false;
    double startTime_ = 0;   // local date-time as days (a variant date), at load

    std::wstring logText_;
    std::wstring pendingLog_;
    DWORD lastLogFlush_ = 0;
};

// The run's duration, "hh:nn:ss", set when a run ends.
extern std::wstring RunDurationText;
