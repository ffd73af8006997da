// The panel that shows the outcome of the last run of the mode shown.
#include "app/Clock.h"
#include "app/Settings.h"
#include "mainwindow/BstF1.h"
#include "mainwindow/ToolTips.h"

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

}  // namespace

// "ddd d mmmm yyyy à hh:nn" in the user's language; a text that is no moment stays as it is.
std::wstring FormatMoment(const std::wstring& text) {
    auto parsed = moments::Parse(text);
    if (!parsed) return text;
    SYSTEMTIME moment = moments::ToSystemTime(*parsed);
    wchar_t date[128] = {};
    if (!GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &moment, L"ddd d MMMM yyyy", date, 128, nullptr)) return text;
    wchar_t time[16] = {};
    swprintf(time, 16, L"%02u:%02u", moment.wHour, moment.wMinute);
    return std::wstring(date) + L" à " + time;
}

namespace {

bool Earlier(const std::wstring& first, const std::wstring& second) {
    auto a = moments::Parse(first);
    auto b = moments::Parse(second);
    return a && b && *a < *b;
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
