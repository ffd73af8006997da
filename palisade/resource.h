#pragma once
// Resource numbers of Palisade50.dll. The numbers are part of the library's
// vocabulary: other parts of the control and its hosts refer to them.

#define IDB_TOOLBOX 102

// Cursor groups.
#define IDC_PL_SELECT 111
#define IDC_PL_MOVE 112
#define IDC_PL_COPY 113
#define IDC_PL_NODROP 132
#define IDC_PL_SIZEWE 1060
#define IDC_PL_SIZENS 1061
#define IDC_PL_HAND 1062

#define IDD_PL_CUSTOMIZE 107
#define IDC_PL_TOOLBARLIST 1201
#define IDC_PL_TOOLBARLABEL 1202

// String numbers quoted by the library.
#define IDS_CUSTOMIZATION_FIRST 2000
#define IDS_CUSTOMIZATION_COUNT 62
#define IDS_ABOUT_TITLE 3009
