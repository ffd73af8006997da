#include "engine/RunView.h"

void RunView::SetLabelText(int index, const std::wstring& text, bool isPath) {
    if (index < 0 || index >= LabelCount) return;
    if (known_[index] && shown_[index] == text) return;
    shown_[index] = text;
    known_[index] = true;
    ShowLabel(index, text, isPath);
}

void RunView::SetProgress(int percent) {
    // A file that grew after the analysis could push the share past 100.
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    if (percent == progress_) return;
    progress_ = percent;
    ShowProgressValue(percent);
}

void RunView::SetProgressStyle(int style) {
    if (style == style_) return;
    style_ = style;
    ShowProgressStyle(style);
}

void RunView::ForgetShownTexts() {
    for (bool& known : known_) known = false;
    progress_ = -1;
    style_ = -1;
}

namespace {
SilentRunView g_silent;
RunView* g_view = &g_silent;
}  // namespace

RunView& View() { return *g_view; }

RunView* SetRunView(RunView* view) {
    RunView* previous = g_view;
    g_view = view ? view : &g_silent;
    return previous;
}
