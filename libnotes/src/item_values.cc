#include "item_values.h"

#include <cstring>

#include "bytes.h"
#include "lists.h"
#include "rich_text.h"

namespace notes {

bool DecodeItemValues(const ItemView& item, ItemValues* out) {
  *out = ItemValues();
  WORD type;
  std::memcpy(&type, item.value, 2);
  const unsigned char* d = item.value + 2;
  const size_t n = item.value_length - 2;
  switch (type) {
    case TYPE_TEXT:
    case TYPE_HTML:
      out->kind = ItemValues::kText;
      out->texts.emplace_back(reinterpret_cast<const char*>(d), n);
      return true;
    case TYPE_TEXT_LIST:
      out->kind = ItemValues::kText;
      return DecodeTextList(d, n, &out->texts);
    case TYPE_COMPOSITE: {
      out->kind = ItemValues::kText;
      std::string text;
      for (const auto& r : DescribeRecords(d, n))
        if (r.kind == RecordDescription::kText) text += r.bytes;
      out->texts.push_back(std::move(text));
      return true;
    }
    case TYPE_NUMBER:
      out->kind = ItemValues::kNumber;
      if (n < 8) return false;
      out->numbers.push_back(LoadDouble(d));
      return true;
    case TYPE_NUMBER_RANGE:
      out->kind = ItemValues::kNumber;
      return DecodeNumberList(d, n, &out->numbers);
    case TYPE_TIME: {
      out->kind = ItemValues::kTime;
      if (n < 8) return false;
      TIMEDATE t;
      t.Innards[0] = LoadDword(d);
      t.Innards[1] = LoadDword(d + 4);
      out->times.push_back(t);
      return true;
    }
    case TYPE_TIME_RANGE:
      out->kind = ItemValues::kTime;
      return DecodeTimeList(d, n, &out->times);
    default:
      return true;
  }
}

std::string LowerAscii(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return r;
}

bool EqualNoCase(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

}  // namespace notes
