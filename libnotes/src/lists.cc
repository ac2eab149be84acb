#include "lists.h"

#include "bytes.h"
#include "ods.h"
#include "status.h"

namespace notes {

bool EncodeTextList(const std::vector<std::string>& texts, std::string* out) {
  if (texts.size() > 0xFFFF) return false;
  PutWord(out, WORD(texts.size()));
  for (const auto& t : texts) {
    if (t.size() > 0xFFFF) return false;
    PutWord(out, WORD(t.size()));
  }
  for (const auto& t : texts) *out += t;
  return true;
}

STATUS TextListEntry(const unsigned char* data, const unsigned char* end, WORD entry,
                     const char** text, WORD* length) {
  if (end && end - data < 2) return kErrListDamaged;
  const WORD count = LoadWord(data);
  if (entry >= count) return kErrListEntry;
  const unsigned char* lengths = data + 2;
  if (end && size_t(end - lengths) < size_t(count) * 2) return kErrListDamaged;
  size_t offset = 2 + size_t(count) * 2;
  for (WORD i = 0; i < entry; ++i) offset += LoadWord(lengths + 2 * i);
  const WORD n = LoadWord(lengths + 2 * entry);
  if (end && size_t(end - data) < offset + n) return kErrListDamaged;
  *text = reinterpret_cast<const char*>(data + offset);
  *length = n;
  return kOk;
}

bool DecodeTextList(const unsigned char* data, size_t size, std::vector<std::string>* out) {
  if (size < 2) return false;
  const WORD count = LoadWord(data);
  out->clear();
  for (WORD i = 0; i < count; ++i) {
    const char* text;
    WORD length;
    if (TextListEntry(data, data + size, i, &text, &length) != kOk) return false;
    out->emplace_back(text, length);
  }
  return true;
}

void EncodeNumberList(const std::vector<double>& numbers, std::string* out) {
  PutWord(out, WORD(numbers.size()));
  PutWord(out, 0);
  for (double d : numbers) PutDouble(out, d);
}

void EncodeTimeList(const std::vector<TIMEDATE>& times, std::string* out) {
  PutWord(out, WORD(times.size()));
  PutWord(out, 0);
  for (const auto& t : times) PutTimedate(out, t);
}

namespace {

// The entry count of a number or time list whose size matches it exactly.
bool RangeCount(const unsigned char* data, size_t size, WORD* count) {
  if (size < 4 || LoadWord(data + 2) != 0) return false;
  *count = LoadWord(data);
  return size == 4 + size_t(*count) * 8;
}

}  // namespace

bool DecodeNumberList(const unsigned char* data, size_t size, std::vector<double>* out) {
  WORD count;
  if (!RangeCount(data, size, &count)) return false;
  out->clear();
  for (WORD i = 0; i < count; ++i) out->push_back(LoadDouble(data + 4 + 8 * i));
  return true;
}

bool DecodeTimeList(const unsigned char* data, size_t size, std::vector<TIMEDATE>* out) {
  WORD count;
  if (!RangeCount(data, size, &count)) return false;
  out->clear();
  for (WORD i = 0; i < count; ++i) {
    TIMEDATE t;
    t.Innards[0] = LoadDword(data + 4 + 8 * i);
    t.Innards[1] = LoadDword(data + 8 + 8 * i);
    out->push_back(t);
  }
  return true;
}

}  // namespace notes
