#include "palisade/Events.h"

namespace palisade {

namespace {

const EventEntry kEvents[kEventCount] = {
    {L"ToolClick", 1071, 1, {VT_DISPATCH}},
    {L"ToolDblClick", 1079, 1, {VT_DISPATCH}},
    {L"ToolEnter", 1081, 1, {VT_DISPATCH}},
    {L"ToolExit", 1082, 1, {VT_DISPATCH}},
    {L"ToolBarEnter", 1075, 1, {VT_DISPATCH}},
    {L"ToolBarExit", 1076, 1, {VT_DISPATCH}},
    {L"ToolDropDown", 1080, 3, {VT_DISPATCH, VT_I4, VT_I4}},
    {L"ToolGotFocus", 1083, 1, {VT_DISPATCH}},
    {L"ToolLostFocus", 1087, 1, {VT_DISPATCH}},
    {L"ToolKeyDown", 1084, 3, {VT_DISPATCH, VT_I2, VT_I2}},
    {L"ToolKeyPress", 1085, 2, {VT_DISPATCH, VT_DISPATCH}},
    {L"ToolKeyUp", 1086, 3, {VT_DISPATCH, VT_I2, VT_I2}},
    {L"ComboCloseUp", 1072, 1, {VT_DISPATCH}},
    {L"ComboDropDown", 1073, 1, {VT_DISPATCH}},
    {L"OnCustomize", 1074, 1, {VT_DISPATCH}},
    {L"ToolBarModified", 1077, 3, {VT_I4, VT_DISPATCH, VT_DISPATCH}},
    {L"ToolChange", 1078, 1, {VT_DISPATCH}},
    {L"CtlClick", 1118, 1, {VT_DISPATCH}},
    {L"ToolCloseUp", 1100, 1, {VT_DISPATCH}},
    {L"IconSizeChanged", 1120, 0, {}},
    {L"AfterCustomize", 1121, 0, {}},
    {L"BeforeToolKeyDown", 1138, 2, {VT_DISPATCH, VT_DISPATCH}},
    {L"Click", -600, 0, {}},
    {L"DblClick", -601, 0, {}},
    {L"MouseDown", -605, 4, {VT_I2, VT_I2, VT_I4, VT_I4}},
    {L"MouseMove", -606, 4, {VT_I2, VT_I2, VT_I4, VT_I4}},
    {L"MouseUp", -607, 4, {VT_I2, VT_I2, VT_I4, VT_I4}},
};

} // namespace

const EventEntry& EntryOf(Event e) { return kEvents[static_cast<size_t>(e)]; }

} // namespace palisade
