#include "engine/Surplus.h"

#include "app/Settings.h"
#include "app/Utils.h"
#include "engine/FileAction.h"
#include "engine/FileOps.h"
#include "engine/RunState.h"
#include "engine/RunView.h"
#include "engine/Walk.h"

namespace {

void CleanLine(const LinePaths& paths) {
    // The copy of a whole drive X:\ lies in the folder X of the destination, that of a
    // share \\server\share in the folder share: it is walked against the drive or share.
    // A restore of a whole drive walks the drive against its copy folder.
    if (paths.intoWriteDir) {
        WalkLineAgainst(paths.write, paths.read, true);
        return;
    }
    if (IsDriveRoot(paths.read) || IsShareRoot(paths.read)) {
        WalkLineAgainst(LineTarget(paths.read, paths.write), paths.read, true);
        return;
    }
    auto [parent, name] = SplitPath(paths.read);
    std::wstring copy = name.empty() ? paths.write : AddBackslash(paths.write) + name;
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
        LinePaths paths = PathsOfLine(i, host.SourcePath(i), host.DestinationPath(i));
        LoadExclusions(i);
        // Nothing of a line is deleted when the side it reads from is not there to compare
        // with: an unplugged disk, a drive letter that moved or a renamed folder must not
        // wipe its backup. The missing source is an error of the run, reported once.
        if (SourceOfLineReadable(paths)) CleanLine(paths);
        else RunLine(paths, true);
    }
    run.SurplusPass = false;
}
