// "Modif Tous": when the disk that receives every backup of the configuration changes
// letter, all destinations move to the new drive, each keeping its path below the letter.
#include <algorithm>
#include <optional>
#include <vector>

#include "app/Events.h"
#include "app/Settings.h"
#include "app/UiService.h"
#include "app/Utils.h"
#include "dialogs/DriveListFrm.h"
#include "mainwindow/BstF1.h"
#include "mainwindow/PathLabel.h"

namespace {

// A path such as "E:\Sauve" names a drive; a network path ("\\serveur\partage") does not.
bool NamesDrive(const std::wstring& path) { return path.size() >= 2 && path[1] == L':'; }

std::wstring DriveOf(const std::wstring& path) { return ToUpper(path.substr(0, 2)); }

}  // namespace

void BstF1::ChangeAllDestinations() {
    ProcessPendingEventsNow();
    int lines = std::min<int>(MaxLineIndex + 1, RowCount());

    std::wstring commonDrive;
    for (int i = 0; i < lines; ++i) {
        std::wstring destination = GetPathLabel(LblD(i));
        if (!NamesDrive(destination)) continue;
        if (commonDrive.empty()) {
            commonDrive = DriveOf(destination);
        } else if (DriveOf(destination) != commonDrive) {
            Ui().ShowMessage(hwnd_, L"Toutes les sauvegardes doivent être sur la même unité disque !",
                             L"Modification de toutes les destinations", MB_OK | MB_ICONINFORMATION);
            return;
        }
    }
    if (commonDrive.empty()) return;

    DriveListFrm drives;
    if (!drives.Load(hwnd_)) return;
    drives.SelectDrive(commonDrive);
    std::optional<std::wstring> chosen = drives.Ask(hwnd_);
    if (!chosen || chosen->size() < 2) return;

    std::wstring newDrive = chosen->substr(0, 2);
    for (int i = 0; i < lines; ++i) {
        std::wstring destination = GetPathLabel(LblD(i));
        if (!NamesDrive(destination)) continue;
        SetPathLabel(hwnd_, LblD(i), newDrive + destination.substr(2));
        SaveDestination(i);
    }
}
