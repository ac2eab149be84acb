// Rich-text (TYPE_COMPOSITE) records: the encoders of the builder and the
// record reader of the dump.
//
// A record starts with a header in one of three forms, told by the high byte
// of its first WORD: 0x00 long form (signature WORD, DWORD length), 0xFF word
// form (signature WORD, WORD length), else byte form (low byte signature,
// high byte length). The length counts the whole record; a record of odd
// length is followed by one pad byte.
#ifndef LIBNOTES_RICH_TEXT_H_
#define LIBNOTES_RICH_TEXT_H_

#include <string>
#include <vector>

#include "notes/types.h"

namespace notes {

// True for the five signatures of records that carry text.
bool IsTextSignature(WORD signature);

// Appends a text record (a text signature) and its pad byte. False when the
// signature carries no text or the text does not fit a word-form record.
bool EncodeTextRecord(WORD signature, const std::string& text, std::string* out);

// Appends a record with no body: word form for 0xFF00..0xFFFF, long form for
// 0x0000..0x00FF. False for any other signature.
bool EncodeBareRecord(WORD signature, std::string* out);

// One record of a value, as the dump describes it.
struct RecordDescription {
  enum Kind { kText, kBare, kRaw } kind;
  WORD signature = 0;
  std::string bytes;  // kText: the text; kRaw: the record's bytes exactly
};

// Describes `data` as records that re-encode to exactly the same bytes.
std::vector<RecordDescription> DescribeRecords(const unsigned char* data, size_t size);

}  // namespace notes

#endif  // LIBNOTES_RICH_TEXT_H_
