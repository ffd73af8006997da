#include "mainwindow/PathLabel.h"

#include "app/Form.h"
#include "app/Utils.h"
#include "mainwindow/ToolTips.h"

namespace {

bool IsDriveRoot(const std::wstring& text) { return text.size() == 3 && text[1] == L':'; }

}  // namespace

void SetPathLabel(HWND window, HWND label, const std::wstring& path) {
    std::wstring caption = CompactPath(window, label, path, DT_PATH_ELLIPSIS | DT_NOPREFIX);
    std::wstring tip;
    if (caption != path) {
        tip = path;
    } else if (IsDriveRoot(caption)) {
        tip = caption;
        caption = VolumeText(caption, true);
    }
    Form::SetText(label, caption);
    SetToolTipText(label, tip);
}

std::wstring GetPathLabel(HWND label) {
    std::wstring tip = GetToolTipText(label);
    return tip.empty() ? Form::GetText(label) : tip;
}
