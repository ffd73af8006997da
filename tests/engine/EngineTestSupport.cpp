#include "tests/engine/EngineTestSupport.h"

#include <winioctl.h>

#include <cstring>
#include <stdexcept>

#include "app/Settings.h"
#include "engine/FileOps.h"
#include "engine/RunState.h"
#include "engine/Walk.h"

ConfirmAnswer RecordingView::ConfirmReplace(const std::wstring& fileName) {
    questions.push_back(fileName);
    if (answers.empty()) return ConfirmAnswer::Yes;
    ConfirmAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

int RecordingView::LabelWritesOf(int index) const {
    int count = 0;
    for (const auto& write : labelWrites)
        if (write.first == index) ++count;
    return count;
}

EngineTest::EngineTest() {
    CurrentRun = RunState{};
    Options = GeneralOptions{};
    Config = Configuration{};
    Config.Modifie = 1;
    Exclusions = LineExclusions{};
    RunMode = 0;
    ExtendedCopyAvailable = 2;
    AppTitle = L"Bastide Version 1.00";
    FileOps::ClearFaults();
    BeginEngineRun();
}

EngineTest::~EngineTest() { FileOps::ClearFaults(); }

RunTest::RunTest() {
    MaxLineIndex = 5;
    SizeLineArrays();
    host.sources.assign(6, L"");
    host.destinations.assign(6, L"");
    IniPath = temp / L"Bastide.ini";
    CurrentConfigName = L"Test";
}

void RunTest::SetLine(int i, const std::wstring& source, const std::wstring& destination) {
    Config.Sources[i] = host.sources[i] = source;
    Config.Destinations[i] = host.destinations[i] = destination;
    Config.Selected[i] = 1;
}

void EngineTest::AnalyseAndCopy(const std::wstring& readPath, const std::wstring& writeDir) {
    ProcessLine(readPath, writeDir, true);
    if (CurrentRun.Aborted || CurrentRun.TotalBytes <= 0) return;
    CurrentRun.WorkStarted = true;
    ProcessLine(readPath, writeDir, false);
}

void WriteFileAt(const std::wstring& path, const std::string& bytes, const FILETIME& lastWrite) {
    WriteBytes(path, bytes);
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot stamp " + Utf8(path));
    SetFileTime(file, nullptr, nullptr, &lastWrite);
    CloseHandle(file);
}

FILETIME TimeAt(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = static_cast<WORD>(hour);
    st.wMinute = static_cast<WORD>(minute);
    st.wSecond = static_cast<WORD>(second);
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

FILETIME LastWriteOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DWORD AttributesOf(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

std::vector<std::wstring> NamesIn(const std::wstring& directory) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((directory + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

HeldFile::HeldFile(const std::wstring& path)
    : handle_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
    if (handle_ == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot hold " + Utf8(path));
}

HeldFile::~HeldFile() { CloseHandle(handle_); }

namespace {

// Wine's mount manager interface, as its configuration tool uses it.
constexpr DWORD MountManagerType = 0x0000006D;
constexpr DWORD DefineUnixDrive =
    CTL_CODE(MountManagerType, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

struct UnixDriveRequest {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

bool DefineDrive(wchar_t letter, const char* unixPath) {
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    size_t size = sizeof(UnixDriveRequest) + (unixPath ? strlen(unixPath) + 1 : 0);
    std::vector<char> buffer(size, 0);
    auto* request = reinterpret_cast<UnixDriveRequest*>(buffer.data());
    request->size = static_cast<ULONG>(size);
    request->type = unixPath ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
    request->letter = static_cast<WCHAR>(towlower(letter));
    if (unixPath) {
        request->mountPointOffset = sizeof(UnixDriveRequest);
        strcpy(buffer.data() + sizeof(UnixDriveRequest), unixPath);
    }
    BOOL done = DeviceIoControl(manager, DefineUnixDrive, buffer.data(), static_cast<DWORD>(size), nullptr, 0,
                                nullptr, nullptr);
    CloseHandle(manager);
    return done != FALSE;
}

}  // namespace

wchar_t UnusedDriveLetter() {
    DWORD used = GetLogicalDrives();
    for (wchar_t letter = L'Y'; letter >= L'D'; --letter)
        if (!(used & (1u << (letter - L'A')))) return letter;
    return 0;
}

namespace {

// The host's name of a Windows path, or "" when there is none.
std::string HostPath(const std::wstring& path) {
    using UnixName = char*(__cdecl*)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!unixName) return {};
    char* name = unixName(path.c_str());
    if (!name) return {};
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

}  // namespace

bool MakeHostLink(const std::wstring& target, const std::wstring& link) {
    std::string to = target.find(L':') == std::wstring::npos ? Utf8(target) : HostPath(target);
    std::string from = HostPath(link);
    if (to.empty() || from.empty()) return false;
    for (char& c : to)
        if (c == '\\') c = '/';
    std::wstring command = L"/bin/ln -s \"" + std::wstring(to.begin(), to.end()) + L"\" \"" +
                           std::wstring(from.begin(), from.end()) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return false;
    }
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 50 && GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(20);
    return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}

MappedDrive::MappedDrive(const std::wstring& folder) {
    std::string path = HostPath(folder);
    wchar_t letter = UnusedDriveLetter();
    if (!path.empty() && letter && DefineDrive(letter, path.c_str())) letter_ = letter;
}

MappedDrive::~MappedDrive() {
    if (letter_) DefineDrive(letter_, nullptr);
}
