#pragma once
// Resource identifiers shared by the program and its tests.
#define IDI_BASTIDE 1

// Pictures of the main window (drawn by res/make-pictures.sh).
#define IDI_ARROW_OFF 101
#define IDI_ARROW_ON 102
#define IDI_LOCK_CLOSED 103
#define IDI_LOCK_OPEN 104
#define IDI_START_BACKUP 105
#define IDI_START_RESTORE 106
#define IDI_START_COMPARE 107
#define IDI_ABOUT 108
#define IDI_CONFIG 109
#define IDI_REFRESH 110
#define IDI_EXCLUSIONS 111
#define IDI_RESULT_OK 112
#define IDI_RESULT_ERROR 113
#define IDI_RESULT_COUNT 114

// The persisted stream of the main window's toolbar control (built by MakeMenuStream).
#define IDR_MENU_STREAM 200
