#pragma once
// What the copy engine needs from the window it runs in. The run window implements it;
// tests and the benchmarks use doubles. The engine never touches a window otherwise.
#include <string>

// The buttons of the replace confirmation, by their index in the dialog.
enum class ConfirmAnswer { Yes = 0, All = 1, No = 2, Cancel = 3 };

class RunView {
public:
    static constexpr int LabelCount = 6;  // Lbl(0)..Lbl(5)

    virtual ~RunView() = default;

    // Label index gets the text; a label showing a path is fitted by the window, which keeps
    // the full path as its tip. A text equal to the one shown is not written again, so a
    // run of many small files does not spend its time repainting.
    void SetLabel(int index, const std::wstring& text) { SetLabelText(index, text, false); }
    void SetPathLabel(int index, const std::wstring& text) { SetLabelText(index, text, true); }
    void SetProgress(int percent);
    // 2 while a preparatory pass runs, 0 for the copy pass.
    void SetProgressStyle(int style);
    // After the window wrote its labels or bar by some other way.
    void ForgetShownTexts();

    // One line of the run log (the window adds the line end).
    virtual void AppendLog(const std::wstring& line) = 0;
    // One differing file of a comparison, for the main window's comparison list.
    virtual void AddComparisonLine(const std::wstring& line) = 0;
    // The marks of the first error of the run.
    virtual void ShowFirstError() = 0;
    // Lets the window handle pending input and painting; may be called very often.
    virtual void ProcessEvents() = 0;
    // Asks whether the existing copy named fileName is to be replaced.
    virtual ConfirmAnswer ConfirmReplace(const std::wstring& fileName) = 0;
    // A failure that stops the run; the window decides whether a box may be shown.
    virtual void ShowCriticalMessage(const std::wstring& text, const std::wstring& title) = 0;

protected:
    virtual void ShowLabel(int index, const std::wstring& text, bool isPath) = 0;
    virtual void ShowProgressValue(int percent) = 0;
    virtual void ShowProgressStyle(int style) = 0;

private:
    void SetLabelText(int index, const std::wstring& text, bool isPath);

    std::wstring shown_[LabelCount];
    bool known_[LabelCount] = {};
    int progress_ = -1;
    int style_ = -1;
};

// A view that shows nothing and answers "Oui": the engine's default when no window is set.
class SilentRunView : public RunView {
public:
    void AppendLog(const std::wstring&) override {}
    void AddComparisonLine(const std::wstring&) override {}
    void ShowFirstError() override {}
    void ProcessEvents() override {}
    ConfirmAnswer ConfirmReplace(const std::wstring&) override { return ConfirmAnswer::Yes; }
    void ShowCriticalMessage(const std::wstring&, const std::wstring&) override {}

protected:
    void ShowLabel(int, const std::wstring&, bool) override {}
    void ShowProgressValue(int) override {}
    void ShowProgressStyle(int) override {}
};

// The view the engine talks to.
RunView& View();
// Installs a view (nullptr: the silent one); returns the previous one.
RunView* SetRunView(RunView* view);

// Installs a view for the lifetime of the object.
class ScopedRunView {
public:
    explicit ScopedRunView(RunView& view) : previous_(SetRunView(&view)) {}
    ~ScopedRunView() { SetRunView(previous_); }
    ScopedRunView(const ScopedRunView&) = delete;
    ScopedRunView& operator=(const ScopedRunView&) = delete;

private:
    RunView* previous_;
};
