#pragma once
// Letting the user-interface thread process its pending window messages during long work.
#include <windows.h>

// Pumps the thread's queue when the last pump was more than a few tens of milliseconds
// ago: under Wine every PeekMessage is a round trip to the window server, so pumping
// after each file of a large run would cost seconds.
void ProcessPendingEvents();

// Pumps the queue now, whatever the time since the last pump.
void ProcessPendingEventsNow();
