#pragma once

// Dates as programs store them: the OLE automation convention (days since 30 December
// 1899 in local time, the time of day as the fraction; 0 means "never"), and the one
// fixed text form used everywhere: "%c" is "%m/%d/%y %H:%M:%S", "%x" is "%m/%d/%y".
// All functions are thread-safe.

#include <ctime>
#include <string>
#include <string_view>

using OleDate = double;

// The local time of t, to the second.
OleDate OleDateFromTime(std::time_t t);

// The current local time, to the second.
OleDate CurrentOleDate();

// The moment an OLE date names in local time; -1 when it cannot be represented.
std::time_t TimeFromOleDate(OleDate date);

// "%c" text of the date: month/day/two-digit year, blank, 24-hour time.
std::string FormatOleDate(OleDate date);

// Reads "%c" text back (a four-digit year and a missing time are accepted as well).
// Returns false, leaving date untouched, when the text is not such a date.
bool ParseOleDate(std::string_view text, OleDate& date);

// "%x" text of a moment in local time: month/day/two-digit year.
std::string FormatShortDate(std::time_t t);
