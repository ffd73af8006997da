// The least the platform needs for the work the engine is timed on, as a yardstick.
//   bench_floor attributes <source> <destination>   walk the source, one attribute query per copy
//   bench_floor copy       <source> <destination>   walk the source, create the directories and
//                                                    copy every file with CopyFileW
// The copy of <source> is looked for in <destination>\<last name of source>, as the engine places it.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

long long g_files = 0;
long long g_failures = 0;

bool IsDots(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

template <typename OnFile>
void Walk(const std::wstring& source, const std::wstring& target, bool createDirectories, OnFile onFile) {
    if (createDirectories) CreateDirectoryW(target.c_str(), nullptr);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW((source + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (IsDots(data.cFileName)) continue;
        std::wstring from = source + L"\\" + data.cFileName;
        std::wstring to = target + L"\\" + data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Walk(from, to, createDirectories, onFile);
        } else {
            ++g_files;
            if (!onFile(from, to)) ++g_failures;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        fwprintf(stderr, L"usage: bench_floor attributes|copy <source> <destination>\n");
        return 2;
    }
    std::wstring mode = argv[1], source = argv[2], destination = argv[3];
    std::wstring target = destination + source.substr(source.find_last_of(L'\\'));

    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (mode == L"copy") {
        Walk(source, target, true, [](const std::wstring& from, const std::wstring& to) {
            return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
        });
    } else {
        Walk(source, target, false, [](const std::wstring&, const std::wstring& to) {
            return GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES;
        });
    }
    QueryPerformanceCounter(&end);
    printf("%.1f ms  (files %lld, failures %lld)\n", Milliseconds(start, end), g_files, g_failures);
    return g_failures == 0 ? 0 : 1;
}
