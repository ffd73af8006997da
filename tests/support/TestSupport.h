#pragma once
// Helpers shared by the test executables: scratch folders, file contents, processes.
#include <windows.h>

#include <string>

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& Path() const { return path_; }          // without trailing backslash
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Whole-file helpers (bytes as they are on disk).
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
void MakeDirs(const std::wstring& path);
void RemoveTree(const std::wstring& path);

// UTF-8 of a wide text, for readable test messages.
std::string Utf8(const std::wstring& text);

// The folder of the running test executable (Bastide.exe is built beside it).
std::wstring ExeDirectory();

// Runs a program with a command line and the given current folder; waits up to
// timeoutMs. Returns the exit code, or -1 on time-out (the process is then killed).
int RunProcess(const std::wstring& exe, const std::wstring& arguments, const std::wstring& directory,
               DWORD timeoutMs);

// Pumps the thread's message queue for about the given time.
void PumpMessagesFor(DWORD milliseconds);
