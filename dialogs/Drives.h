#pragma once
// What the drive list asks the system about the machine's drives, behind one door so that
// tests can show drives the machine does not have (an empty CD drive, a huge disk).
#include <windows.h>

#include <string>
#include <vector>

// Byte counts of a drive; both 0 when the drive cannot report them.
struct DriveSpace {
    unsigned long long total = 0;
    unsigned long long free = 0;
};

class DriveQueries {
public:
    virtual ~DriveQueries() = default;

    // The drive roots ("C:\", "D:\", ...) in the order the system lists them.
    virtual std::vector<std::wstring> Roots() = 0;
    // The volume name, "Pas de label" or "Pas de disque".
    virtual std::wstring Description(const std::wstring& root) = 0;
    virtual DriveSpace Space(const std::wstring& root) = 0;
    // The drive's icon at the given size in pixels, owned by the caller; null when none.
    virtual HICON Icon(const std::wstring& root, int size) = 0;
};

// The process-wide queries: the system's unless a test installed others.
DriveQueries& Drives();
// Installs queries (nullptr restores the system's); returns the previous ones.
DriveQueries* SetDrives(DriveQueries* queries);

// Splits the system's list of drive roots: texts ended by a NUL, the list by a second NUL.
std::vector<std::wstring> SplitDriveStrings(const std::wstring& list);
