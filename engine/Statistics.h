#pragma once
// Progress statistics of a run: readable byte sizes, and the remaining time and transfer
// rate shown during the copy pass.
#include <string>

// "512 octets", "1 octet", "1,50 Ko", "977 Ko", "12,3 Mo", "1 234 Go"; the decimal
// separator is the user's.
std::wstring FormatSize(double bytes);

// The user's decimal separator.
const std::wstring& DecimalSeparator();
// A whole number (value rounded) with its thousands set apart by spaces: "1 234 567".
std::wstring GroupedText(double value);

// Called after each copied file of the copy pass: refreshes the remaining time (label 2)
// and the transfer rate (label 5) at most once per elapsed second.
void UpdateTiming();

// The clock of the timing: seconds since midnight, with fractions. Replaceable by tests.
extern double (*TimingClock)();
double SecondsSinceMidnight();
// The clock rounded to whole seconds, as the timing's start is kept.
int WholeSecondsSinceMidnight();

// "1 seconde", "25 secondes", "1 minute(s) 30 seconde(s)", "1 heure(s) 2 minute(s)"...
std::wstring RemainingTimeText(long long seconds);
