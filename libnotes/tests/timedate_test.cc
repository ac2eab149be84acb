#include <cstring>

#include "test_util.h"
#include "timedate.h"

namespace {

std::string RoundTrip(const char* text, STATUS* status = nullptr) {
  char buffer[100];
  std::strcpy(buffer, text);
  char* p = buffer;
  TIMEDATE t;
  const STATUS s = ConvertTextToTIMEDATE(nullptr, nullptr, &p, WORD(std::strlen(text)), &t);
  if (status) *status = s;
  if (s != NOERROR) return "error at " + std::string(p);
  EXPECT_EQ(p, buffer + std::strlen(text));
  char out[81];
  WORD length = 0;
  EXPECT_EQ(ConvertTIMEDATEToText(nullptr, nullptr, &t, out, 80, &length), NOERROR);
  return std::string(out, length);
}

TEST(TimeText, ReadsEveryForm) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"2026-03-04T05:06:07.08Z", "2026-03-04T05:06:07.08Z"},
      {"2026-03-04 05:06:07.08Z", "2026-03-04T05:06:07.08Z"},
      {"2026-03-04T05:06", "2026-03-04T05:06:00.00Z"},
      {"2026-03-04T05:06:07", "2026-03-04T05:06:07.00Z"},
      {"2026-03-04T05:06:07+02:00", "2026-03-04T03:06:07.00Z"},
      {"2026-03-04T23:30:00-01:00", "2026-03-05T00:30:00.00Z"},
      {"2026-03-04", "2026-03-04"},
      {"1970-01-01T00:00:00.00Z", "1970-01-01T00:00:00.00Z"},
      {"2024-02-29T12:00:00.99Z", "2024-02-29T12:00:00.99Z"},
      {"0001-01-01T00:00:00.00Z", "0001-01-01T00:00:00.00Z"},
  };
  for (const auto& c : cases) EXPECT_EQ(RoundTrip(c.in), c.out) << c.in;
}

TEST(TimeText, RefusesWhatItCannotRead) {
  for (const char* bad : {"", "yesterday", "2026-13-01", "2023-02-29", "2026-03-04T25:00",
                          "2026-03-04X", "2026-03-04T05:06:07.0", "2026-03-04T05:06+0200",
                          "0001-01-01T00:30+01:00", "9999-12-31T23:30-01:00"}) {
    STATUS status = NOERROR;
    RoundTrip(bad, &status);
    EXPECT_NE(status, NOERROR) << bad;
    if (*bad) EXPECT_EQ(notes_test::Text(status), "Unable to interpret time or date");
  }
}

TEST(TimeText, JulianDayAndWordsOfTheDay) {
  TIMEDATE t;
  ASSERT_TRUE(notes::MakeTime(1970, 1, 1, 0, 0, 1, 50, &t));
  EXPECT_EQ(t.Innards[1], 2440588u);
  EXPECT_EQ(t.Innards[0], 150u);
}

TEST(TimeText, ShortBufferGetsNoTerminatorAndAStatus) {
  TIMEDATE t;
  notes::MakeTime(2026, 1, 2, 3, 4, 5, 6, &t);
  char out[8];
  std::memset(out, 'x', sizeof out);
  WORD length = 0;
  EXPECT_NE(ConvertTIMEDATEToText(nullptr, nullptr, &t, out, 5, &length), NOERROR);
  EXPECT_EQ(length, 5);
  EXPECT_EQ(std::string(out, 6), "2026-x");
}

}  // namespace
