// Moving a line of the configuration up or down, from the line menu.
#include "app/Settings.h"
#include "app/Utils.h"
#include "mainwindow/BstF1.h"

#include <utility>

namespace {

std::wstring Key(const wchar_t* prefix, int i) { return prefix + std::to_wstring(i); }

bool InConfiguration(int i) {
    return i >= 0 && i <= MaxLineIndex && static_cast<size_t>(i) < Config.Sources.size() &&
           static_cast<size_t>(i) < Config.Destinations.size() && static_cast<size_t>(i) < Config.Selected.size();
}

}  // namespace

void BstF1::MoveLine(int delta, int i) {
    int j = i + delta;
    if (!InConfiguration(i) || !InConfiguration(j) || i == j) return;
    std::swap(Config.Sources[i], Config.Sources[j]);
    std::swap(Config.Destinations[i], Config.Destinations[j]);
    std::swap(Config.Selected[i], Config.Selected[j]);
    // Both lists are read before either is written.
    std::wstring exclusionsJ = GetExclusionsText(j);
    std::wstring exclusionsI = GetExclusionsText(i);
    for (int line : {i, j}) {
        WriteSetting(CurrentConfigName, Key(L"Source", line), Quote(Config.Sources[line]));
        WriteSetting(CurrentConfigName, Key(L"Destination", line), Quote(Config.Destinations[line]));
    }
    WriteSetting(CurrentConfigName, Key(L"Select", i), std::to_wstring(Config.Selected[i]));
    WriteSetting(CurrentConfigName, Key(L"Select", j), std::to_wstring(Config.Selected[j]));
    SetExclusionsFromText(exclusionsJ, i);
    SetExclusionsFromText(exclusionsI, j);
    // The display locks the view; a move keeps it as the user had it.
    bool wasLocked = locked_;
    DisplayConfiguration();
    locked_ = wasLocked;
    ShowLock();
}
