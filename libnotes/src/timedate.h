// TIMEDATE values: text in both directions, and the order used for "since".
#ifndef LIBNOTES_TIMEDATE_H_
#define LIBNOTES_TIMEDATE_H_

#include <cstdint>
#include <string>

#include "notes/types.h"

namespace notes {

constexpr DWORD kJulianDay1970 = 2440588;
constexpr DWORD kHundredthsPerDay = 8640000;

// True for the wildcard that a search reads as "no since limit".
inline bool IsWildcard(const TIMEDATE& t) {
  return t.Innards[0] == TIMEDATE_NONE && t.Innards[1] == TIMEDATE_NONE;
}

// A number that orders TIMEDATEs by date, then time of day.
inline uint64_t TimeKey(const TIMEDATE& t) {
  return (uint64_t(t.Innards[1]) << 32) | t.Innards[0];
}
inline TIMEDATE FromTimeKey(uint64_t key) {
  TIMEDATE t;
  t.Innards[0] = DWORD(key);
  t.Innards[1] = DWORD(key >> 32);
  return t;
}

// Writes "YYYY-MM-DDTHH:MM:SS.hhZ", "YYYY-MM-DD" for a date alone,
// "HH:MM:SS.hhZ" for a time alone and "" for the wildcard.
std::string FormatTime(const TIMEDATE& t);

// The same into `text`, which holds kMaxTimeText bytes; returns the length
// (no terminator is written).
constexpr size_t kMaxTimeText = 64;
size_t FormatTime(const TIMEDATE& t, char* text);

// Reads the forms described in the library's README from text[0..length).
// On success returns 0, sets *out and *consumed (bytes read). On failure
// returns kErrTimeText and sets *consumed to where reading stopped.
STATUS ParseTime(const char* text, size_t length, TIMEDATE* out, size_t* consumed);

// The TIMEDATE of a calendar date and time in UTC; false if out of range.
bool MakeTime(int year, int month, int day, int hour, int minute, int second,
              int hundredths, TIMEDATE* out);

// The TIMEDATE for `t` plus `seconds` (carrying into the date).
TIMEDATE AddSeconds(const TIMEDATE& t, int64_t seconds);

// Days from 1970-01-01 to a civil date and back (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d);
void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d);

}  // namespace notes

#endif  // LIBNOTES_TIMEDATE_H_
