#include "timedate.h"

#include <cstdio>

#include "status.h"

namespace notes {

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = unsigned(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + int64_t(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = unsigned(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = int64_t(yoe) + era * 400 + (*m <= 2);
}

namespace {

bool IsLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(int64_t y, unsigned m) {
  static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Reads exactly `digits` decimal digits at text[*pos].
bool ReadDigits(const char* text, size_t length, size_t* pos, int digits, int* value) {
  int v = 0;
  for (int i = 0; i < digits; ++i) {
    if (*pos >= length || text[*pos] < '0' || text[*pos] > '9') return false;
    v = v * 10 + (text[*pos] - '0');
    ++*pos;
  }
  *value = v;
  return true;
}

bool Accept(const char* text, size_t length, size_t* pos, char c) {
  if (*pos < length && text[*pos] == c) {
    ++*pos;
    return true;
  }
  return false;
}

}  // namespace

bool MakeTime(int year, int month, int day, int hour, int minute, int second,
              int hundredths, TIMEDATE* out) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      unsigned(day) > DaysInMonth(year, unsigned(month)) || hour < 0 || hour > 23 ||
      minute < 0 || minute > 59 || second < 0 || second > 59 || hundredths < 0 ||
      hundredths > 99)
    return false;
  out->Innards[1] = DWORD(DaysFromCivil(year, unsigned(month), unsigned(day)) + kJulianDay1970);
  out->Innards[0] = DWORD(((hour * 60 + minute) * 60 + second) * 100 + hundredths);
  return true;
}

TIMEDATE AddSeconds(const TIMEDATE& t, int64_t seconds) {
  int64_t total = int64_t(t.Innards[1]) * kHundredthsPerDay + t.Innards[0] + seconds * 100;
  TIMEDATE r;
  r.Innards[1] = DWORD(total / kHundredthsPerDay);
  r.Innards[0] = DWORD(total % kHundredthsPerDay);
  return r;
}

namespace {

// Writes `value` as exactly `digits` decimal digits.
char* PutDigits(char* at, unsigned long long value, int digits) {
  for (int i = digits - 1; i >= 0; --i) {
    at[i] = char('0' + value % 10);
    value /= 10;
  }
  return at + digits;
}

}  // namespace

// Formatted by hand, without the heap: this runs for every date-time value
// of every export.
size_t FormatTime(const TIMEDATE& t, char* text) {
  const DWORD ticks = t.Innards[0], julian = t.Innards[1];
  char* at = text;
  if (julian != TIMEDATE_NONE) {
    int64_t y;
    unsigned m, d;
    CivilFromDays(int64_t(julian) - kJulianDay1970, &y, &m, &d);
    if (y < 0 || y > 9999) {
      at += std::snprintf(at, 32, "%lld", (long long)y);  // damaged dates still print
    } else {
      at = PutDigits(at, (unsigned long long)y, 4);
    }
    *at++ = '-';
    at = PutDigits(at, m, 2);
    *at++ = '-';
    at = PutDigits(at, d, 2);
    if (ticks != TIMEDATE_NONE) *at++ = 'T';
  }
  if (ticks != TIMEDATE_NONE) {
    // A damaged time word past the end of the day still prints, as more hours.
    const unsigned long long hours = ticks / 360000ull;
    if (hours > 99) {
      at += std::snprintf(at, 24, "%llu", hours);
    } else {
      at = PutDigits(at, hours, 2);
    }
    *at++ = ':';
    at = PutDigits(at, ticks / 6000 % 60, 2);
    *at++ = ':';
    at = PutDigits(at, ticks / 100 % 60, 2);
    *at++ = '.';
    at = PutDigits(at, ticks % 100, 2);
    *at++ = 'Z';
  }
  return size_t(at - text);
}

std::string FormatTime(const TIMEDATE& t) {
  char text[kMaxTimeText];
  return std::string(text, FormatTime(t, text));
}

STATUS ParseTime(const char* text, size_t length, TIMEDATE* out, size_t* consumed) {
  size_t pos = 0;
  int year, month, day, hour = 0, minute = 0, second = 0, hundredths = 0;
  auto fail = [&]() {
    *consumed = pos;
    return STATUS(kErrTimeText);
  };
  if (!ReadDigits(text, length, &pos, 4, &year) || !Accept(text, length, &pos, '-') ||
      !ReadDigits(text, length, &pos, 2, &month) || !Accept(text, length, &pos, '-') ||
      !ReadDigits(text, length, &pos, 2, &day))
    return fail();
  const size_t date_end = pos;
  TIMEDATE result;
  if (!MakeTime(year, month, day, 0, 0, 0, 0, &result)) {
    pos = 0;
    return fail();
  }
  if (pos == length || text[pos] == '\0') {
    result.Innards[0] = TIMEDATE_NONE;  // a date alone
    *out = result;
    *consumed = pos;
    return kOk;
  }
  if (!Accept(text, length, &pos, 'T') && !Accept(text, length, &pos, ' ')) return fail();
  if (!ReadDigits(text, length, &pos, 2, &hour) || !Accept(text, length, &pos, ':') ||
      !ReadDigits(text, length, &pos, 2, &minute))
    return fail();
  if (Accept(text, length, &pos, ':')) {
    if (!ReadDigits(text, length, &pos, 2, &second)) return fail();
    if (Accept(text, length, &pos, '.') && !ReadDigits(text, length, &pos, 2, &hundredths))
      return fail();
  }
  int offset_minutes = 0;
  if (Accept(text, length, &pos, 'Z')) {
  } else if (pos < length && (text[pos] == '+' || text[pos] == '-')) {
    const int sign = text[pos] == '+' ? 1 : -1;
    ++pos;
    int oh, om;
    if (!ReadDigits(text, length, &pos, 2, &oh) || !Accept(text, length, &pos, ':') ||
        !ReadDigits(text, length, &pos, 2, &om) || oh > 23 || om > 59)
      return fail();
    offset_minutes = sign * (oh * 60 + om);
  }
  if (pos < length && text[pos] != '\0') return fail();
  if (!MakeTime(year, month, day, hour, minute, second, hundredths, &result)) {
    pos = date_end;
    return fail();
  }
  // The text is local time at the offset; UTC is that minus the offset,
  // which must still be a date that can be written (years 1 to 9999).
  result = AddSeconds(result, -int64_t(offset_minutes) * 60);
  TIMEDATE first, last;
  MakeTime(1, 1, 1, 0, 0, 0, 0, &first);
  MakeTime(9999, 12, 31, 0, 0, 0, 0, &last);
  if (result.Innards[1] < first.Innards[1] || result.Innards[1] > last.Innards[1]) {
    pos = 0;
    return fail();
  }
  *out = result;
  *consumed = pos;
  return kOk;
}

}  // namespace notes
