#include "app/Schedule.h"

#include "app/Settings.h"

std::wstring NextRunDate;

void ComputeNextRunDate(bool afterRun) {
    using namespace moments;
    Moment now = Now();
    std::optional<Day> next = ParseDate(NextRunDate);
    if (!afterRun || !next) next = DayOf(now);
    bool passed = false;
    if (!afterRun) {
        auto time = ParseTime(Config.AutoTime);
        passed = time && now - Moment{DayOf(now)} > *time;
    }
    if (afterRun || passed) *next += std::chrono::days{1};
    NextRunDate = DateText(*next);
}

namespace schedule {

Tick Examine(moments::Moment now, const std::wstring& nextRunDate, const std::wstring& autoTime,
             const std::wstring& lastSave, std::optional<moments::Moment> lastAutoStart) {
    Tick tick;
    auto day = moments::ParseDate(nextRunDate);
    auto time = moments::ParseTime(autoTime);
    if (!day || !time) return tick;
    moments::Moment due = moments::Moment{*day} + *time;
    if (now <= due) return tick;
    tick.due = true;
    // Measured from the due moment, not today's: catching up several missed days then
    // starts one backup, not one for each day.
    std::optional<moments::Moment> lastBackup = moments::Parse(lastSave);
    if (lastAutoStart && (!lastBackup || *lastAutoStart > *lastBackup)) lastBackup = lastAutoStart;
    tick.start = !lastBackup || due > *lastBackup;
    return tick;
}

bool IsValidTime(const std::wstring& text) {
    auto digit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
    return text.size() == 5 && digit(text[0]) && digit(text[1]) && text[2] == L':' && digit(text[3]) &&
           digit(text[4]) && moments::ParseTime(text).has_value();
}

}  // namespace schedule
