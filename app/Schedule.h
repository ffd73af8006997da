#pragma once
// The daily automatic backup: the date on which it is next due, and what one tick of the
// main window's timer finds. The window starts the backup; this side only decides.
#include "app/Clock.h"

#include <optional>
#include <string>

// "dd/mm/yyyy": the day on which the next automatic backup of the current configuration
// is due, at its "AutoTime". Never stored.
extern std::wstring NextRunDate;

// Before a run (afterRun false), the backup is due today, or tomorrow when today's time has
// passed: a missed moment is never caught up at load. After a firing it moves one day on.
void ComputeNextRunDate(bool afterRun);

namespace schedule {

struct Tick {
    bool due = false;    // the due moment has passed: NextRunDate moves on a day
    bool start = false;  // and the backup is to be started
};

// One tick in backup mode. A backup made since the due moment ("LastSave", or the start of
// an automatic run of this session, which records nothing when it fails) makes the
// firing start nothing. A date or time that cannot be read is never due; a "LastSave"
// that cannot be read counts as none.
Tick Examine(moments::Moment now, const std::wstring& nextRunDate, const std::wstring& autoTime,
             const std::wstring& lastSave, std::optional<moments::Moment> lastAutoStart);

// The moment typed into the time box, "hh:nn" with hours 00-23 and minutes 00-59.
bool IsValidTime(const std::wstring& text);

}  // namespace schedule
