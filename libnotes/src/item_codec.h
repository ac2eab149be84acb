// The stored form of a note's items (one blob per note), and the in-memory
// layout that open notes hand to callers.
//
// Stored form, little-endian: DWORD item count, then per item WORD flags,
// WORD name length, DWORD value length, the name bytes, the value bytes (the
// value begins with its WORD data type).
#ifndef LIBNOTES_ITEM_CODEC_H_
#define LIBNOTES_ITEM_CODEC_H_

#include <memory>
#include <string>
#include <vector>

#include "notes/types.h"

namespace notes {

struct ItemRecord {
  std::string name;
  WORD flags = 0;
  std::string value;  // data type word, then the data
};

std::string EncodeItems(const std::vector<ItemRecord>& items);

// One item of a decoded note: pointers into the note's arena.
struct ItemView {
  const char* name;
  WORD name_length;
  WORD flags;
  unsigned char* value;  // starts at an even address
  DWORD value_length;    // at least 2
};

// A note's items laid out in one block of memory, each value at an even
// address, so that callers walking records by address parity agree with
// offsets inside the value.
struct DecodedItems {
  std::unique_ptr<unsigned char[]> arena;
  size_t arena_size = 0;
  std::vector<ItemView> items;
};

// False when the blob is damaged (lengths past its end, a value shorter
// than its data type word).
bool DecodeItems(const unsigned char* blob, size_t size, DecodedItems* out);

}  // namespace notes

#endif  // LIBNOTES_ITEM_CODEC_H_
