#pragma once
// The three kinds of run, in one table: backup (0, "S"), restore (1, "R") and comparison
// (2, "C"). Every text and key that differs by kind comes from here.
namespace modes {

struct RunModeInfo {
    const wchar_t* letter;        // error log names, mode tabs: "S"
    const wchar_t* name;          // "Sauvegarde"
    const wchar_t* word;          // in a sentence: "sauvegarde"
    const wchar_t* caption;       // run window caption: "Sauvegarde ..."
    const wchar_t* resultKey;     // of the last-result keys "Last" + key, "Last" + key + "Err"...: "Save"
    const wchar_t* nothingToDo;   // "Rien à sauvegarder !" (comparisons have none)
    const wchar_t* interrupted;   // "Sauvegarde interrompue !"
    const wchar_t* completed;     // "Sauvegarde terminée"
    const wchar_t* noFileTo;      // "Aucun fichier à sauvegarder": the verb as a comparison uses it
};

constexpr RunModeInfo Table[3] = {
    {L"S", L"Sauvegarde", L"sauvegarde", L"Sauvegarde ...", L"Save", L"Rien à sauvegarder !",
     L"Sauvegarde interrompue !", L"Sauvegarde terminée", L"sauvegarder"},
    {L"R", L"Restauration", L"restauration", L"Restauration ...", L"Rest", L"Rien à restaurer !",
     L"Restauration interrompue !", L"Restauration terminée", L"restaurer"},
    {L"C", L"Comparaison", L"comparaison", L"Comparaison ...", L"Comp", L"", L"", L"", L""},
};

constexpr bool IsValid(int mode) { return mode >= 0 && mode <= 2; }
// An unknown mode reads as a backup, as the program always did.
constexpr const RunModeInfo& Of(int mode) { return Table[IsValid(mode) ? mode : 0]; }

}  // namespace modes
