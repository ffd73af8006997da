#include "engine/Statistics.h"

#include <windows.h>

#include <cmath>
#include <cstdio>

#include "engine/RunState.h"
#include "engine/RunView.h"

double (*TimingClock)() = &SecondsSinceMidnight;

const std::wstring& DecimalSeparator() {
    static const std::wstring separator = [] {
        wchar_t text[8] = {};
        if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, text, 8) <= 1) return std::wstring(L".");
        return std::wstring(text);
    }();
    return separator;
}

namespace {

// value with a fixed number of decimals and the user's separator.
std::wstring FixedText(double value, int decimals) {
    char buffer[64];
    snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::wstring text;
    for (const char* p = buffer; *p; ++p) {
        if (*p == '.') text += DecimalSeparator();
        else text += static_cast<wchar_t>(*p);
    }
    return text;
}

}  // namespace

std::wstring GroupedText(double value) {
    std::wstring digits = std::to_wstring(std::llround(value));
    std::wstring text;
    int count = 0;
    for (size_t i = digits.size(); i-- > 0;) {
        if (count > 0 && count % 3 == 0 && digits[i] != L'-') text.insert(text.begin(), L' ');
        text.insert(text.begin(), digits[i]);
        ++count;
    }
    return text;
}

std::wstring FormatSize(double bytes) {
    if (bytes < 1000) {
        return std::to_wstring(std::llround(bytes)) + (bytes <= 1 ? L" octet" : L" octets");
    }
    const wchar_t* unit;
    double value;
    // The thresholds are a thousand of the smaller unit, so 1 023 999 bytes show as 1 000 Ko.
    if (bytes < 1024.0 * 1000) {
        unit = L"Ko";
        value = bytes / 1024;
    } else if (bytes < 1024.0 * 1024 * 1000) {
        unit = L"Mo";
        value = bytes / (1024.0 * 1024);
    } else {
        unit = L"Go";
        value = bytes / (1024.0 * 1024 * 1024);
    }
    std::wstring number;
    if (value < 10) number = FixedText(value, 2);
    else if (value < 100) number = FixedText(value, 1);
    else number = GroupedText(value);
    return number + L" " + unit;
}

double SecondsSinceMidnight() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
}

int WholeSecondsSinceMidnight() { return static_cast<int>(std::llround(TimingClock())); }

std::wstring RemainingTimeText(long long r) {
    if (r <= 0) return L"";
    if (r == 1) return L"1 seconde";
    if (r <= 60) return std::to_wstring(r) + L" secondes";
    if (r <= 120) {
        return std::to_wstring(r / 60) + L" minute(s) " + std::to_wstring(((r % 60) / 15) * 15) + L" seconde(s)";
    }
    if (r <= 3600) return std::to_wstring(r / 60) + L" minute(s)";
    return std::to_wstring(r / 3600) + L" heure(s) " + std::to_wstring((r - (r / 3600) * 3600) / 60) +
           L" minute(s)";
}

void UpdateTiming() {
    RunState& run = CurrentRun;
    double now = TimingClock();
    run.ElapsedSeconds = static_cast<int32_t>(std::llround(now - run.StartTimer));
    if (run.ElapsedSeconds < 0) {
        // Past midnight: start the timing again from what is already copied.
        run.RateBaseBytes = run.CopiedBytes;
        run.StartTimer = static_cast<int32_t>(std::llround(now));
        return;
    }
    if (run.ElapsedSeconds == run.LastElapsed) return;
    run.LastElapsed = run.ElapsedSeconds;
    if (run.CopiedBytes <= 0 || run.ElapsedSeconds <= 10) return;
    // Bytes copied since the timing started; none yet after a restart at midnight.
    int64_t timedBytes = run.CopiedBytes - run.RateBaseBytes;
    if (timedBytes <= 0) return;

    run.RemainingEstimate =
        static_cast<double>(run.TotalBytes - run.CopiedBytes) / static_cast<double>(timedBytes) * run.ElapsedSeconds;
    if (run.RemainingEstimate >= 2000000) return;
    long long r = std::llround(run.RemainingEstimate);
    if (r > 5) r = (r / 5) * 5;
    run.RemainingText = RemainingTimeText(r);
    if (run.RemainingText != run.ShownRemainingText) {
        run.ShownRemainingText = run.RemainingText;
        View().SetLabel(2, L"Temps restant: " + run.RemainingText);
        View().ProcessEvents();
    }
    if (r <= 0) return;
    run.RateText = FormatSize(static_cast<double>(timedBytes) / run.ElapsedSeconds);
    if (run.RateText != run.ShownRateText) {
        run.ShownRateText = run.RateText;
        View().SetLabel(5, L"Taux de transfert: " + run.RateText + L"/s");
        View().ProcessEvents();
    }
}
