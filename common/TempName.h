#pragma once
// Names of the program's own temporary files (a copy being written, a settings file or an
// error log being replaced). A name carries a check value computed from its other parts,
// so a leftover of an interrupted run is recognised by its name alone and a user's file
// that merely looks alike ("~bst1.tmp", "~bstnotes.tmp") is never taken for one.
//
// Form: "~bst" + 16 hex digits (process id and a counter) + "-" + 8 hex digits (check) + ".tmp",
// lower-case hex, 33 characters in all.
#include <string>

// A new name, unique within the process; another process gets other names.
std::wstring NewTemporaryName();

// Whether name (without directory) is one that NewTemporaryName can give.
bool IsTemporaryName(const std::wstring& name);
