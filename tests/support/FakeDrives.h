#pragma once
// Drives the machine does not have, for the drive list: installed for a scope, they answer
// in place of the system.
#include <windows.h>

#include <string>
#include <vector>

#include "dialogs/Drives.h"

struct FakeDrive {
    std::wstring root;
    std::wstring description;
    DriveSpace space;
};

class ScopedDrives : public DriveQueries {
public:
    explicit ScopedDrives(std::vector<FakeDrive> drives) : drives_(std::move(drives)), previous_(SetDrives(this)) {}
    ~ScopedDrives() override { SetDrives(previous_); }
    ScopedDrives(const ScopedDrives&) = delete;
    ScopedDrives& operator=(const ScopedDrives&) = delete;

    std::vector<std::wstring> Roots() override {
        std::vector<std::wstring> roots;
        for (const FakeDrive& drive : drives_)
            roots.push_back(drive.root);
        return roots;
    }
    std::wstring Description(const std::wstring& root) override { return Find(root).description; }
    DriveSpace Space(const std::wstring& root) override { return Find(root).space; }
    HICON Icon(const std::wstring& root, int size) override { return CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)); }

private:
    const FakeDrive& Find(const std::wstring& root) const {
        static const FakeDrive none{L"", L"Pas de disque", {}};
        for (const FakeDrive& drive : drives_) {
            if (drive.root == root) return drive;
        }
        return none;
    }

    std::vector<FakeDrive> drives_;
    DriveQueries* previous_;
};
