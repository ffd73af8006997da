#pragma once
// Resource identifiers shared by the program and its tests.
#define IDI_BASTIDE 1
