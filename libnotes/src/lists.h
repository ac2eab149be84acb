// Text lists (TYPE_TEXT_LIST) and number and time lists (the *_RANGE types).
//
// A text list is a WORD entry count, a WORD length per entry, then the texts
// back to back. A number or time list is a WORD entry count, a WORD range
// count (always 0 here), then 8 bytes per entry.
#ifndef LIBNOTES_LISTS_H_
#define LIBNOTES_LISTS_H_

#include <string>
#include <vector>

#include "notes/types.h"

namespace notes {

// Data bytes (no data type word). False when a text is longer than 65,535
// bytes or there are more than 65,535 entries.
bool EncodeTextList(const std::vector<std::string>& texts, std::string* out);

// Entry `entry` of the text list whose data start at `data`. When `end` is
// not null, nothing at or past it is read. Returns kErrListEntry for an entry
// number out of range, kErrListDamaged when lengths run past the data.
STATUS TextListEntry(const unsigned char* data, const unsigned char* end, WORD entry,
                     const char** text, WORD* length);

// All entries; false when the list is damaged.
bool DecodeTextList(const unsigned char* data, size_t size, std::vector<std::string>* out);

void EncodeNumberList(const std::vector<double>& numbers, std::string* out);
void EncodeTimeList(const std::vector<TIMEDATE>& times, std::string* out);
bool DecodeNumberList(const unsigned char* data, size_t size, std::vector<double>* out);
bool DecodeTimeList(const unsigned char* data, size_t size, std::vector<TIMEDATE>* out);

}  // namespace notes

#endif  // LIBNOTES_LISTS_H_
