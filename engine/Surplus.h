#pragma once
// Removal of surplus files: before the analysis of a mirrored run, the files of each
// line's copy that the copy would not leave as they are are deleted; folders stay.
#include "engine/RunHost.h"

// Walks the copy of every selected line against its source. A line whose source cannot
// be listed is left whole and stops the run, as the copy pass would.
void RemoveSurplusFiles(RunHost& host);
