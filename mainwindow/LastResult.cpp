// The panel that shows the outcome of the last run of the mode shown.
#include "app/Settings.h"
#include "mainwindow/BstF1.h"
#include "mainwindow/ToolTips.h"

#include <cwctype>
#include <optional>

namespace {

struct PanelTexts {
    const wchar_t* clean;
    const wchar_t* withErrors;
    const wchar_t* countSuffix;
    const wchar_t* durationPrefix;
    const wchar_t* button;
};

const PanelTexts Texts[3] = {
    {L"Dernière sauvegarde sans erreur le ", L"Dernière sauvegarde avec erreur le ", L" erreur(s)",
     L"Durée de la sauvegarde: ", L"Voir les erreurs"},
    {L"Dernière restauration sans erreur le ", L"Dernière restauration avec erreur le ", L" erreur(s)",
     L"Durée de la restauration: ", L"Voir les erreurs"},
    {L"Dernière comparaison sans copie le ", L"Dernière comparaison avec copie le ", L" copie(s)",
     L"Durée de la comparaison: ", L"Voir les copies"},
};

// Reads a number of 1 to maxDigits digits at text[pos]; pos moves past it.
std::optional<int> ReadNumber(const std::wstring& text, size_t& pos, size_t maxDigits) {
    size_t start = pos;
    int value = 0;
    while (pos < text.size() && pos - start < maxDigits && std::iswdigit(text[pos])) value = value * 10 + (text[pos++] - L'0');
    if (pos == start) return std::nullopt;
    return value;
}

bool Expect(const std::wstring& text, size_t& pos, wchar_t separator) {
    if (pos >= text.size() || text[pos] != separator) return false;
    ++pos;
    return true;
}

// A stored moment "dd/mm/yyyy hh:nn:ss" (the seconds may be missing).
std::optional<SYSTEMTIME> ParseMoment(const std::wstring& text) {
    size_t pos = 0;
    auto day = ReadNumber(text, pos, 2);
    if (!day || !Expect(text, pos, L'/')) return std::nullopt;
    auto month = ReadNumber(text, pos, 2);
    if (!month || !Expect(text, pos, L'/')) return std::nullopt;
    auto year = ReadNumber(text, pos, 4);
    if (!year || !Expect(text, pos, L' ')) return std::nullopt;
    auto hour = ReadNumber(text, pos, 2);
    if (!hour || !Expect(text, pos, L':')) return std::nullopt;
    auto minute = ReadNumber(text, pos, 2);
    if (!minute) return std::nullopt;
    int second = 0;
    if (pos < text.size()) {
        if (!Expect(text, pos, L':')) return std::nullopt;
        auto seconds = ReadNumber(text, pos, 2);
        if (!seconds || pos != text.size()) return std::nullopt;
        second = *seconds;
    }
    SYSTEMTIME moment{};
    moment.wYear = static_cast<WORD>(*year);
    moment.wMonth = static_cast<WORD>(*month);
    moment.wDay = static_cast<WORD>(*day);
    moment.wHour = static_cast<WORD>(*hour);
    moment.wMinute = static_cast<WORD>(*minute);
    moment.wSecond = static_cast<WORD>(second);
    // The system checks the calendar (31/02 is refused) and the clock.
    FILETIME check{};
    if (*hour > 23 || *minute > 59 || second > 59 || !SystemTimeToFileTime(&moment, &check)) return std::nullopt;
    return moment;
}

}  // namespace

// "ddd d mmmm yyyy à hh:nn" in the user's language; a text that is no moment stays as it is.
std::wstring FormatMoment(const std::wstring& text) {
    auto moment = ParseMoment(text);
    if (!moment) return text;
    wchar_t date[128] = {};
    if (!GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &*moment, L"ddd d MMMM yyyy", date, 128, nullptr)) return text;
    wchar_t time[16] = {};
    swprintf(time, 16, L"%02u:%02u", moment->wHour, moment->wMinute);
    return std::wstring(date) + L" à " + time;
}

namespace {

bool Earlier(const std::wstring& first, const std::wstring& second) {
    auto a = ParseMoment(first);
    auto b = ParseMoment(second);
    if (!a || !b) return false;
    FILETIME fa{}, fb{};
    SystemTimeToFileTime(&*a, &fa);
    SystemTimeToFileTime(&*b, &fb);
    return CompareFileTime(&fa, &fb) < 0;
}

}  // namespace

void BstF1::ShowLastResult() {
    int mode = RunMode >= 0 && RunMode <= 2 ? RunMode : 0;
    const LastResult& last = Config.Last[mode];
    const PanelTexts& texts = Texts[mode];
    std::wstring clean = last.Date.empty() ? L"" : texts.clean + FormatMoment(last.Date);
    std::wstring withErrors = last.DateErr.empty() ? L"" : texts.withErrors + FormatMoment(last.DateErr);
    std::wstring count = std::to_wstring(last.NbErr) + texts.countSuffix;
    SetToolTipText(okImg_, texts.durationPrefix + last.Duration);
    SetToolTipText(errImg_, texts.durationPrefix + last.DurationErr);
    // A clean run after the failed one hides the failure.
    if (!last.Date.empty() && !last.DateErr.empty() && Earlier(last.DateErr, last.Date)) withErrors.clear();
    if (withErrors.empty()) count.clear();
    SetText(lastSaveLbl_[0], clean);
    SetText(lastSaveLbl_[1], withErrors);
    SetText(lastSaveLbl_[2], count);
    ShowWindow(okImg_, clean.empty() ? SW_HIDE : SW_SHOW);
    for (HWND control : {errImg_, nbErrImg_, cmd_[9]}) ShowWindow(control, withErrors.empty() ? SW_HIDE : SW_SHOW);
    SetText(cmd_[9], texts.button);
}
