#include "engine/Surplus.h"

#include "app/Settings.h"
#include "app/Utils.h"
#include "engine/FileAction.h"
#include "engine/FileOps.h"
#include "engine/RunState.h"
#include "engine/RunView.h"
#include "engine/Walk.h"

namespace {

// Whether the side a line reads from is there to compare with: a file, or a folder or
// drive that can be listed. Nothing of a line is deleted otherwise: an unplugged disk, a
// drive letter that moved or a renamed folder must not wipe its backup.
bool SourceSideReadable(const std::wstring& readPath) {
    std::wstring path = readPath;
    if (!IsDriveRoot(path) && !path.empty() && path.back() == L'\\') path.pop_back();
    DWORD attributes = FileOps::GetAttributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    TargetIndex listing;
    return listing.OpenListing(AddBackslash(readPath)) == TargetIndex::State::Present;
}

void ReportMissingSource(const std::wstring& readPath) {
    View().ShowCriticalMessage(L"Répertoire source '" + AddBackslash(readPath) + L"' non trouvé.", AppTitle);
    CurrentRun.Aborted = true;
}

void CleanLine(const std::wstring& readPath, const std::wstring& writePath) {
    // The copy of a whole drive X:\ lies in the folder X of the destination, that of a
    // share \\server\share in the folder share: it is walked against the drive or share.
    if (IsDriveRoot(readPath) || IsShareRoot(readPath)) {
        WalkLineAgainst(LineTarget(readPath, writePath), readPath, true);
        return;
    }
    auto [parent, name] = SplitPath(readPath);
    std::wstring copy = name.empty() ? writePath : AddBackslash(writePath) + name;
    ProcessLine(copy, parent, true);
}

}  // namespace

void RemoveSurplusFiles(RunHost& host) {
    RunState& run = CurrentRun;
    View().SetProgressStyle(2);
    run.FilesDeleted = 0;
    View().SetLabel(1, L"Effacement des fichiers excédentaires...");
    View().SetLabel(3, L"Analyse des fichiers excédentaires sur la destination");
    run.DirsRead = 0;
    run.DirsCreated = 0;
    run.SurplusPass = true;
    for (int i = 0; i <= MaxLineIndex && !run.Aborted; ++i) {
        if (!IsLineSelected(i)) continue;
        std::wstring readPath = host.SourcePath(i);
        std::wstring writePath = host.DestinationPath(i);
        LoadExclusions(i);
        if (SourceSideReadable(readPath)) {
            CleanLine(readPath, writePath);
        } else if (!IsSpecialFolder(readPath)) {
            // The copy pass passes over the special folders in silence; any other source
            // that cannot be read stops the run as it would.
            ReportMissingSource(readPath);
            break;
        }
    }
    run.SurplusPass = false;
}
