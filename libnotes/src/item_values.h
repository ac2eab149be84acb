// An item's value as typed lists, for the code that reads values inside the
// library (formulas and view columns), and ASCII case folding.
#ifndef LIBNOTES_ITEM_VALUES_H_
#define LIBNOTES_ITEM_VALUES_H_

#include <string>
#include <vector>

#include "item_codec.h"

namespace notes {

struct ItemValues {
  enum Kind { kNone, kText, kNumber, kTime } kind = kNone;
  std::vector<std::string> texts;  // rich text: its text runs joined
  std::vector<double> numbers;
  std::vector<TIMEDATE> times;
};

// Decodes texts, numbers, times, their lists and rich text; other types
// give kNone. False when the value is too short for its type or damaged.
bool DecodeItemValues(const ItemView& item, ItemValues* out);

// ASCII letters folded to lower case; other bytes as they are.
std::string LowerAscii(const std::string& s);
bool EqualNoCase(const char* a, const char* b, size_t n);

}  // namespace notes

#endif  // LIBNOTES_ITEM_VALUES_H_
