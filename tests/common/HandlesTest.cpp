// Owners of Win32 handles: each handle is closed exactly once, by its last owner.
#include "common/Handles.h"

#include <gtest/gtest.h>

namespace {

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(Handles, ClosedOnceByTheLastOwnerAndNeverByAMovedFromOne) {
    HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, raw);
    {
        win::Kernel first(raw);
        win::Kernel second(std::move(first));
        EXPECT_FALSE(first.Valid());
        EXPECT_TRUE(IsOpen(raw));
        win::Kernel third;
        third = std::move(second);
        EXPECT_TRUE(IsOpen(raw));
    }
    EXPECT_FALSE(IsOpen(raw));

    // Release hands the handle back unclosed; Reset closes the old one at once.
    HANDLE kept = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE replaced = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        win::Kernel owner(kept);
        EXPECT_EQ(kept, owner.Release());
        owner.Reset(replaced);
    }
    EXPECT_TRUE(IsOpen(kept));
    EXPECT_FALSE(IsOpen(replaced));
    CloseHandle(kept);
}

TEST(Handles, ScopeGuardRunsUnlessDismissed) {
    int runs = 0;
    {
        win::ScopeGuard guard([&] { ++runs; });
    }
    {
        win::ScopeGuard guard([&] { ++runs; });
        guard.Dismiss();
    }
    EXPECT_EQ(1, runs);
}

}  // namespace
