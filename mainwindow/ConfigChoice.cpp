// What the main window does with the choice made in the configurations dialog.
#include "app/Settings.h"
#include "dialogs/BstF3.h"
#include "mainwindow/BstF1.h"

void BstF1::ApplyConfigChoice(const ConfigChoice& choice) {
    if (choice.PendingMaxLineIndex != MaxLineIndex) {
        // The rows are rebuilt empty: the configuration is read again to fill them.
        RebuildLines(choice.PendingMaxLineIndex);
        if (choice.ChosenConfigName == CurrentConfigName) {
            LoadConfiguration();
            ResetComparisonPanel();
        }
    }
    if (choice.ChosenConfigName != CurrentConfigName) {
        // A configuration whose section is gone meanwhile loads empty, with its defaults.
        CurrentConfigName = choice.ChosenConfigName;
        LoadConfiguration();
        CompareReverse = false;
        ResetComparisonPanel();
    }
    DisplayConfiguration();
}
