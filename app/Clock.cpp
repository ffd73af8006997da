#include "app/Clock.h"

#include <cwchar>

namespace moments {
namespace {

using namespace std::chrono;

std::optional<Moment> g_fixed;

// Reads the text piece by piece; a piece that is not there makes the whole text no moment.
class Reader {
public:
    explicit Reader(const std::wstring& text) : text_(text) {}

    // A number of minDigits to maxDigits digits.
    std::optional<int> Number(size_t minDigits, size_t maxDigits) {
        size_t start = pos_;
        int value = 0;
        while (pos_ < text_.size() && pos_ - start < maxDigits && text_[pos_] >= L'0' && text_[pos_] <= L'9') {
            value = value * 10 + (text_[pos_++] - L'0');
        }
        if (pos_ - start < minDigits) return std::nullopt;
        return value;
    }
    bool Separator(wchar_t separator) {
        if (pos_ >= text_.size() || text_[pos_] != separator) return false;
        ++pos_;
        return true;
    }
    bool AtEnd() const { return pos_ == text_.size(); }

private:
    const std::wstring& text_;
    size_t pos_ = 0;
};

std::optional<Day> ReadDate(Reader& reader) {
    auto d = reader.Number(1, 2);
    if (!d || !reader.Separator(L'/')) return std::nullopt;
    auto m = reader.Number(1, 2);
    if (!m || !reader.Separator(L'/')) return std::nullopt;
    auto y = reader.Number(4, 4);
    if (!y) return std::nullopt;
    year_month_day date{year{*y}, month{static_cast<unsigned>(*m)}, day{static_cast<unsigned>(*d)}};
    if (!date.ok()) return std::nullopt;
    return Day{date};
}

// "h:nn", then ":ss" when withSeconds allows it.
std::optional<seconds> ReadTime(Reader& reader, bool withSeconds) {
    auto h = reader.Number(1, 2);
    if (!h || !reader.Separator(L':')) return std::nullopt;
    auto n = reader.Number(1, 2);
    if (!n) return std::nullopt;
    int s = 0;
    if (withSeconds && reader.Separator(L':')) {
        auto read = reader.Number(1, 2);
        if (!read) return std::nullopt;
        s = *read;
    }
    if (*h > 23 || *n > 59 || s > 59) return std::nullopt;
    return hours{*h} + minutes{*n} + seconds{s};
}

std::wstring TwoDigits(unsigned value) {
    wchar_t text[8];
    swprintf(text, 8, L"%02u", value % 100);
    return text;
}

}  // namespace

Moment Now() {
    if (g_fixed) return *g_fixed;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return FromSystemTime(now);
}

Day Today() { return DayOf(Now()); }

Day DayOf(Moment moment) { return floor<days>(moment); }

void SetClock(std::optional<Moment> fixed) { g_fixed = fixed; }

std::optional<Moment> Parse(const std::wstring& text) {
    Reader reader(text);
    auto date = ReadDate(reader);
    if (!date || !reader.Separator(L' ')) return std::nullopt;
    auto time = ReadTime(reader, true);
    if (!time || !reader.AtEnd()) return std::nullopt;
    return Moment{*date} + *time;
}

std::optional<Day> ParseDate(const std::wstring& text) {
    Reader reader(text);
    auto date = ReadDate(reader);
    if (!date || !reader.AtEnd()) return std::nullopt;
    return date;
}

std::optional<seconds> ParseTime(const std::wstring& text) {
    Reader reader(text);
    auto time = ReadTime(reader, false);
    if (!time || !reader.AtEnd()) return std::nullopt;
    return time;
}

std::wstring DateText(Day day) {
    year_month_day date{day};
    wchar_t text[16];
    swprintf(text, 16, L"%02u/%02u/%04d", static_cast<unsigned>(date.day()), static_cast<unsigned>(date.month()),
             static_cast<int>(date.year()));
    return text;
}

std::wstring ToText(Moment moment) {
    hh_mm_ss<seconds> time{moment - DayOf(moment)};
    return DateText(DayOf(moment)) + L" " + TwoDigits(time.hours().count()) + L":" +
           TwoDigits(time.minutes().count()) + L":" + TwoDigits(static_cast<unsigned>(time.seconds().count()));
}

SYSTEMTIME ToSystemTime(Moment moment) {
    year_month_day date{DayOf(moment)};
    hh_mm_ss<seconds> time{moment - DayOf(moment)};
    SYSTEMTIME result{};
    result.wYear = static_cast<WORD>(static_cast<int>(date.year()));
    result.wMonth = static_cast<WORD>(static_cast<unsigned>(date.month()));
    result.wDay = static_cast<WORD>(static_cast<unsigned>(date.day()));
    result.wDayOfWeek = static_cast<WORD>(weekday{DayOf(moment)}.c_encoding());
    result.wHour = static_cast<WORD>(time.hours().count());
    result.wMinute = static_cast<WORD>(time.minutes().count());
    result.wSecond = static_cast<WORD>(time.seconds().count());
    return result;
}

Moment FromSystemTime(const SYSTEMTIME& time) {
    return At(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond);
}

Moment At(int y, int m, int d, int h, int n, int s) {
    Day date{year_month_day{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}}};
    return Moment{date} + hours{h} + minutes{n} + seconds{s};
}

}  // namespace moments
