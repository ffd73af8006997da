// The daily schedule without a window: the stored form of moments, the next due date and
// what a tick of the timer finds.
#include <gtest/gtest.h>

#include "app/Schedule.h"
#include "app/Settings.h"
#include "tests/support/TestSupport.h"

namespace {

using moments::At;
using moments::Moment;

class ScheduleTest : public testing::Test {
protected:
    ~ScheduleTest() override {
        moments::SetClock(std::nullopt);
        NextRunDate.clear();
        Config = Configuration{};
        CurrentConfigName.clear();
    }
    TempDir dir;
};

TEST_F(ScheduleTest, StoredMomentsHaveOneFixedForm) {
    struct Case { const wchar_t* text; const wchar_t* read; } cases[] = {
        {L"09/12/2026 20:00:02", L"09/12/2026 20:00:02"},
        {L"9/1/2026 8:05", L"09/01/2026 08:05:00"},
        {L"29/02/2024 23:59:59", L"29/02/2024 23:59:59"},
        // Not a moment: read as none, whatever a locale would make of it.
        {L"29/02/2026 10:00:00", nullptr},
        {L"09/12/2026 24:00:00", nullptr},
        {L"09/12/2026 12:60:00", nullptr},
        {L"12/9/26 20:00", nullptr},
        {L"2026-12-09 20:00:00", nullptr},
        {L"09/12/2026 20:00:02 ", nullptr},
        {L"09/12/2026", nullptr},
        {L"", nullptr},
    };
    for (const auto& c : cases) {
        auto moment = moments::Parse(c.text);
        ASSERT_EQ(c.read != nullptr, moment.has_value()) << Utf8(c.text);
        if (moment) {
            EXPECT_EQ(c.read, moments::ToText(*moment));
        }
    }
}

TEST_F(ScheduleTest, LoadingAConfigurationMakesItDueTodayOrTomorrow) {
    struct Case { Moment now; const char* autoTime; const wchar_t* due; } cases[] = {
        {At(2026, 12, 9, 19, 59), "20:00", L"09/12/2026"},
        // At the very minute the moment has not passed yet.
        {At(2026, 12, 9, 20, 0, 0), "20:00", L"09/12/2026"},
        {At(2026, 12, 9, 20, 0, 30), "20:00", L"10/12/2026"},
        {At(2026, 12, 31, 23, 0), "22:30", L"01/01/2027"},
        // No time stored is midnight, which has passed.
        {At(2026, 12, 9, 0, 0, 5), "", L"10/12/2026"},
    };
    IniPath = dir / L"Bastide.ini";
    CurrentConfigName = L"Test";
    for (const auto& c : cases) {
        WriteBytes(IniPath, std::string("[Test]\r\nAutoTime=") + c.autoTime + "\r\n");
        moments::SetClock(c.now);
        LoadConfiguration();
        EXPECT_EQ(c.due, NextRunDate) << c.autoTime;
    }
    // After a firing: one day on, whatever the time.
    NextRunDate = L"28/02/2027";
    ComputeNextRunDate(true);
    EXPECT_EQ(L"01/03/2027", NextRunDate);
}

TEST_F(ScheduleTest, TickStartsTheBackupOnlyWhenNoneWasMadeSinceTheMoment) {
    const Moment now = At(2026, 12, 9, 20, 0, 5);
    struct Case { Moment now; const wchar_t* next; const wchar_t* time; const wchar_t* lastSave; bool due, start; } cases[] = {
        {now, L"09/12/2026", L"20:00", L"", true, true},
        {now, L"09/12/2026", L"20:00", L"09/12/2026 19:30:00", true, true},
        // A manual backup after the moment: nothing starts, the date still moves on.
        {now, L"09/12/2026", L"20:00", L"09/12/2026 20:00:02", true, false},
        {now, L"09/12/2026", L"20:00", L"hier soir", true, true},
        {At(2026, 12, 9, 20, 0, 0), L"09/12/2026", L"20:00", L"", false, false},
        {now, L"10/12/2026", L"20:00", L"", false, false},
        // What cannot be read is never due.
        {now, L"", L"20:00", L"", false, false},
        {now, L"32/12/2026", L"20:00", L"", false, false},
        {now, L"09/12/2026", L"2O:00", L"", false, false},
    };
    for (const auto& c : cases) {
        schedule::Tick tick = schedule::Examine(c.now, c.next, c.time, c.lastSave, std::nullopt);
        EXPECT_EQ(c.due, tick.due) << Utf8(c.next) << " " << Utf8(c.lastSave);
        EXPECT_EQ(c.start, tick.start) << Utf8(c.next) << " " << Utf8(c.lastSave);
    }
}

// The machine slept three days: each tick moves the date one day on, and one backup is made,
// whether the run records a clean "LastSave" or fails.
TEST_F(ScheduleTest, MissedDaysAreCaughtUpWithOneBackup) {
    struct Case { Moment now; bool clean; const wchar_t* next; } cases[] = {
        {At(2026, 12, 9, 8, 0), true, L"09/12/2026"},
        {At(2026, 12, 9, 21, 0), true, L"10/12/2026"},
        {At(2026, 12, 9, 8, 0), false, L"09/12/2026"},
    };
    for (const auto& c : cases) {
        NextRunDate = L"06/12/2026";
        std::wstring lastSave = L"05/12/2026 20:00:40";
        std::optional<Moment> lastAutoStart;
        int backups = 0;
        for (int i = 0; i < 10; ++i) {
            Moment now = c.now + std::chrono::seconds(10 * i);
            schedule::Tick tick = schedule::Examine(now, NextRunDate, L"20:00", lastSave, lastAutoStart);
            if (!tick.due) break;
            if (tick.start) {
                ++backups;
                lastAutoStart = now;
                if (c.clean) lastSave = moments::ToText(now + std::chrono::seconds(3));
            }
            ComputeNextRunDate(true);
        }
        EXPECT_EQ(1, backups) << Utf8(moments::ToText(c.now)) << " clean " << c.clean;
        EXPECT_EQ(c.next, NextRunDate);
    }
}

}  // namespace
