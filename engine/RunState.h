#pragma once
// The copy engine's run variables, one set for the process. The run window resets the
// outcome fields at the start of a run; the main window reads them back afterwards.
#include <cstdint>
#include <string>

struct RunState {
    bool Aborted = false;          // every loop stops at its next test
    bool AnalysisOnly = false;     // the current pass measures, copies nothing
    bool SurplusPass = false;      // the walk runs over the destination to remove surplus files

    // Byte counters are 64-bit: a float stops adding small files once the total passes a
    // few gigabytes, which would freeze the percentage and the estimate.
    int64_t TotalBytes = 0;        // bytes the copy pass will copy (built by the analysis)
    int64_t CopiedBytes = 0;       // bytes copied so far in the copy pass
    int64_t RateBaseBytes = 0;     // CopiedBytes when the timing was last restarted

    int32_t PercentDone = 0;
    int32_t FilesToCopy = 0;       // comparison: files listed as differing
    int32_t FilesDeleted = 0;      // surplus pass: files deleted
    int32_t DirsRead = 0;          // directories whose destination was looked up in this pass
    int32_t DirsCreated = 0;       // destination directories created in this pass
    int32_t ErrorCount = 0;        // failed copies (comparison: differing files)

    bool AskConfirmation = false;  // ask before replacing an existing copy
    bool CopyThisFile = false;     // decision for the current file after the question

    int32_t LastCopyError = 0;     // system error of the last failed copy; 55: no destination
    std::wstring BusyFile;         // name of the last file whose copy failed with error 32
    bool WorkStarted = false;      // the copy pass reached a line, or a destination was missing

    // Timing of the copy pass (seconds since midnight, see Statistics.h).
    int32_t StartTimer = 0;
    int32_t ElapsedSeconds = 0;
    int32_t LastElapsed = 0;
    double RemainingEstimate = 0;
    std::wstring RemainingText;
    std::wstring RateText;
    std::wstring ShownRemainingText;  // what the labels show, so unchanged texts are not rewritten
    std::wstring ShownRateText;

    int32_t CopyCancel = 0;        // cancel flag of the extended copy; cleared for each line
    std::wstring WindowsDirectory; // read at the start of each line
    std::wstring LineRoot;         // the line's read path with a trailing backslash
};

extern RunState CurrentRun;
