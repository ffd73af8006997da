#include "dialogs/Drives.h"

#include <shellapi.h>
#include <shlobj.h>

#include "app/Utils.h"

namespace {

// An empty floppy or card reader must read as "no medium", not bring up the system's
// "insert a disk" box while the list fills.
class NoCriticalErrorBox {
public:
    NoCriticalErrorBox() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
    ~NoCriticalErrorBox() { SetThreadErrorMode(previous_, nullptr); }
    NoCriticalErrorBox(const NoCriticalErrorBox&) = delete;
    NoCriticalErrorBox& operator=(const NoCriticalErrorBox&) = delete;

private:
    DWORD previous_ = 0;
};

class SystemDrives final : public DriveQueries {
public:
    std::vector<std::wstring> Roots() override {
        // The system says how long its list is; a drive mapped between the two calls makes
        // it longer, so the size is asked again until the list fits.
        DWORD needed = GetLogicalDriveStringsW(0, nullptr);
        for (int attempt = 0; attempt < 8 && needed > 0; ++attempt) {
            std::vector<wchar_t> buffer(static_cast<size_t>(needed) + 1, L'\0');
            DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
            if (length == 0) return {};
            if (length < buffer.size()) return SplitDriveStrings(std::wstring(buffer.data(), length));
            needed = length;
        }
        return {};
    }

    std::wstring Description(const std::wstring& root) override {
        NoCriticalErrorBox quiet;
        return VolumeText(root, false);
    }

    DriveSpace Space(const std::wstring& root) override {
        NoCriticalErrorBox quiet;
        ULARGE_INTEGER available{}, total{}, free{};
        if (!SHGetDiskFreeSpaceExW(root.c_str(), &available, &total, &free)) return {};
        return {total.QuadPart, free.QuadPart};
    }

    HICON Icon(const std::wstring& root, int size) override {
        NoCriticalErrorBox quiet;
        UINT sizeFlag = size <= GetSystemMetrics(SM_CXSMICON) ? SHGFI_SMALLICON : SHGFI_LARGEICON;
        SHFILEINFOW info{};
        if (SHGetFileInfoW(root.c_str(), 0, &info, sizeof info, SHGFI_ICON | sizeFlag) && info.hIcon) {
            return info.hIcon;
        }
        // A drive the shell cannot read gets the icon of its kind without being read.
        info = {};
        if (SHGetFileInfoW(root.c_str(), FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                           SHGFI_ICON | SHGFI_USEFILEATTRIBUTES | sizeFlag)) {
            return info.hIcon;
        }
        return nullptr;
    }
};

SystemDrives systemDrives;
DriveQueries* current = &systemDrives;

}  // namespace

DriveQueries& Drives() { return *current; }

DriveQueries* SetDrives(DriveQueries* queries) {
    DriveQueries* previous = current;
    current = queries ? queries : &systemDrives;
    return previous;
}

std::vector<std::wstring> SplitDriveStrings(const std::wstring& list) {
    std::vector<std::wstring> roots;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(L'\0', start);
        if (end == std::wstring::npos) end = list.size();
        if (end == start) break;  // the empty text that ends the list
        roots.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return roots;
}
