// Times the copy engine on one line, as the run window drives it, without a window.
//   bench_engine unchanged <source> <destination>   tree pass + analysis (nothing to copy)
//   bench_engine analysis  <source> <destination>   the analysis pass alone
//   bench_engine full      <source> <destination>   tree pass + analysis + copy pass
// Prints the milliseconds taken and what the run counted.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/Settings.h"
#include "engine/RunState.h"
#include "engine/Walk.h"

namespace {

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
}

void TreePass(const std::wstring& source, const std::wstring& destination) {
    Options.ArbreMode = -1;
    ProcessLine(source, destination, true);
    Options.ArbreMode = 0;
    CurrentRun.TotalBytes = 0;
}

void AnalysisPass(const std::wstring& source, const std::wstring& destination) {
    ProcessLine(source, destination, true);
}

void CopyPass(const std::wstring& source, const std::wstring& destination) {
    if (CurrentRun.Aborted || CurrentRun.TotalBytes <= 0) return;
    CurrentRun.WorkStarted = true;
    ProcessLine(source, destination, false);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        fwprintf(stderr, L"usage: bench_engine unchanged|analysis|full <source> <destination>\n");
        return 2;
    }
    std::wstring mode = argv[1], source = argv[2], destination = argv[3];
    Config.Modifie = 1;
    ExtendedCopyAvailable = 2;
    RunMode = 0;

    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (mode != L"analysis") TreePass(source, destination);
    AnalysisPass(source, destination);
    if (mode == L"full") CopyPass(source, destination);
    QueryPerformanceCounter(&end);

    printf("%.1f ms  (directories %d, bytes to copy %lld, copied %lld, errors %d)\n", Milliseconds(start, end),
           CurrentRun.DirsRead, static_cast<long long>(CurrentRun.TotalBytes),
           static_cast<long long>(CurrentRun.CopiedBytes), CurrentRun.ErrorCount);
    return CurrentRun.ErrorCount == 0 && !CurrentRun.Aborted ? 0 : 1;
}
