#pragma once
// What the run window needs from the window that started the run: the paths of each line
// as its labels hold them, the per-line marks, and the comparison panel.
#include <string>

class RunHost {
public:
    virtual ~RunHost() = default;
    virtual std::wstring SourcePath(int line) = 0;       // full path behind the line's source label
    virtual std::wstring DestinationPath(int line) = 0;  // full path behind the line's destination label
    virtual void ShowLineDone(int line) = 0;             // the mark beside a line copied to the end
    // The comparison list: emptied with its label, filled, its label set, shown again.
    virtual void BeginComparisonList() = 0;
    virtual void AddComparisonLine(const std::wstring& line) = 0;
    virtual void SetComparisonLabel(const std::wstring& text) = 0;
    virtual void EndComparisonList() = 0;
};
