// Date-time text: the reader never reads past its length, and what it reads
// writes back to a text that reads the same time.
#include <cstdint>
#include <cstring>
#include <vector>

#include "notes/api.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFF) return 0;
  std::vector<char> text(data, data + size);  // exactly `size` bytes, no terminator
  char* p = text.data();
  TIMEDATE t;
  if (ConvertTextToTIMEDATE(nullptr, nullptr, &p, static_cast<WORD>(size), &t) != NOERROR) return 0;
  if (p < text.data() || p > text.data() + size) __builtin_trap();
  char out[81];
  WORD length = 0;
  if (ConvertTIMEDATEToText(nullptr, nullptr, &t, out, 80, &length) != NOERROR) __builtin_trap();
  out[length] = '\0';
  char* q = out;
  TIMEDATE again;
  if (ConvertTextToTIMEDATE(nullptr, nullptr, &q, length, &again) != NOERROR ||
      std::memcmp(&again, &t, sizeof t) != 0)
    __builtin_trap();
  return 0;
}
