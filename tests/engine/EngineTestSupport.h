#pragma once
// Shared pieces of the engine tests: a view that records what the engine shows, a fixture
// that gives every test a clean run state and options, and file helpers.
#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "engine/RunState.h"
#include "engine/RunHost.h"
#include "engine/RunView.h"
#include "tests/support/TestSupport.h"

class RecordingView : public RunView {
public:
    std::wstring labels[LabelCount];
    std::vector<std::pair<int, std::wstring>> labelWrites;
    std::vector<std::wstring> log;
    std::vector<std::wstring> comparison;
    std::vector<std::wstring> critical;
    std::vector<std::wstring> questions;
    std::deque<ConfirmAnswer> answers;  // when empty: Yes
    std::vector<int> progress;
    std::vector<int> styles;
    int firstErrors = 0;
    int events = 0;
    std::function<void()> onEvents;     // runs inside ProcessEvents, as user input would

    void AppendLog(const std::wstring& line) override { log.push_back(line); }
    void AddComparisonLine(const std::wstring& line) override { comparison.push_back(line); }
    void ShowFirstError() override { ++firstErrors; }
    void ProcessEvents() override {
        ++events;
        if (onEvents) onEvents();
    }
    ConfirmAnswer ConfirmReplace(const std::wstring& fileName) override;
    void ShowCriticalMessage(const std::wstring& text, const std::wstring&) override { critical.push_back(text); }

    int LabelWritesOf(int index) const;

protected:
    void ShowLabel(int index, const std::wstring& text, bool) override {
        labels[index] = text;
        labelWrites.emplace_back(index, text);
    }
    void ShowProgressValue(int percent) override { progress.push_back(percent); }
    void ShowProgressStyle(int style) override { styles.push_back(style); }
};

// The window that started a run: line paths and the comparison panel, recorded.
class FakeHost : public RunHost {
public:
    std::vector<std::wstring> sources, destinations;
    std::vector<int> done;
    std::vector<std::wstring> comparison;
    std::wstring comparisonLabel;
    int begun = 0, ended = 0;

    std::wstring SourcePath(int line) override { return sources[line]; }
    std::wstring DestinationPath(int line) override { return destinations[line]; }
    void ShowLineDone(int line) override { done.push_back(line); }
    void BeginComparisonList() override {
        ++begun;
        comparison.clear();
        comparisonLabel.clear();
    }
    void AddComparisonLine(const std::wstring& line) override { comparison.push_back(line); }
    void SetComparisonLabel(const std::wstring& text) override { comparisonLabel = text; }
    void EndComparisonList() override { ++ended; }
};

// Every test starts from a fresh run state, default options (files compared, block copy)
// and no injected fault, with a recording view installed.
class EngineTest : public testing::Test {
protected:
    EngineTest();
    ~EngineTest() override;

    // What the run window does for a backup of one line: the analysis pass, then the copy
    // pass when there is something to copy.
    void AnalyseAndCopy(const std::wstring& readPath, const std::wstring& writeDir);

    TempDir temp;
    RecordingView view;
    ScopedRunView scoped{view};
};

// A run over the lines of a configuration "Test" of six lines, with its settings file in
// the test's folder and the lines' paths given by a recorded host window.
class RunTest : public EngineTest {
protected:
    RunTest();
    void SetLine(int i, const std::wstring& source, const std::wstring& destination);

    FakeHost host;
};

// ---- Files ----
void WriteFileAt(const std::wstring& path, const std::string& bytes, const FILETIME& lastWrite);
FILETIME TimeAt(int year, int month, int day, int hour, int minute, int second);
FILETIME LastWriteOf(const std::wstring& path);
bool Exists(const std::wstring& path);
DWORD AttributesOf(const std::wstring& path);
// Names in a directory (without "." and ".."), in listing order.
std::vector<std::wstring> NamesIn(const std::wstring& directory);

// Holds a file open with no sharing, as another program using it would.
class HeldFile {
public:
    explicit HeldFile(const std::wstring& path);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    HANDLE handle_;
};

// A drive letter mapped to a folder for the life of the object, through Wine's mount
// manager (the prefix's dosdevices link). Letter() is 0 when no letter could be mapped.
class MappedDrive {
public:
    explicit MappedDrive(const std::wstring& folder);
    ~MappedDrive();
    MappedDrive(const MappedDrive&) = delete;
    MappedDrive& operator=(const MappedDrive&) = delete;

    wchar_t Letter() const { return letter_; }
    std::wstring Root() const { return std::wstring(1, letter_) + L":\\"; }

private:
    wchar_t letter_ = 0;
};

// A symbolic link at link (a Windows path) to target (relative or Windows), made on the
// host side: Wine cannot make one itself, and lists it as a reparse point.
bool MakeHostLink(const std::wstring& target, const std::wstring& link);

// A letter that names no drive.
wchar_t UnusedDriveLetter();
