#pragma once
// The program's clock, and the one text form of its moments. Every "now" and "today" of
// the daily schedule and of the recorded results comes from Now(), so that a test can set
// the date and time. Moments are stored as "dd/mm/yyyy hh:nn:ss" whatever the user's
// locale: the settings file must read the same on every machine.
#include <chrono>
#include <optional>
#include <string>

#include <windows.h>

namespace moments {

// A local date and time, without time zone, to the second.
using Moment = std::chrono::sys_seconds;
using Day = std::chrono::sys_days;

Moment Now();
Day Today();
Day DayOf(Moment moment);

// A test sets the clock to a fixed moment; nothing gives the system's clock back.
void SetClock(std::optional<Moment> fixed);

// "dd/mm/yyyy hh:nn:ss", the seconds optional; one or two digits for every part but the
// year, which has four. Anything else, an impossible date (31/02) or time (24:00, 12:60)
// included, is no moment.
std::optional<Moment> Parse(const std::wstring& text);
// "dd/mm/yyyy".
std::optional<Day> ParseDate(const std::wstring& text);
// "hh:nn" as the time since midnight.
std::optional<std::chrono::seconds> ParseTime(const std::wstring& text);

std::wstring ToText(Moment moment);     // "dd/mm/yyyy hh:nn:ss"
std::wstring DateText(Day day);         // "dd/mm/yyyy"

SYSTEMTIME ToSystemTime(Moment moment);
Moment FromSystemTime(const SYSTEMTIME& time);

// A moment of a test or of the system, from its parts.
Moment At(int year, int month, int day, int hour, int minute, int second = 0);

}  // namespace moments
