#include "item_codec.h"

#include <cstring>

#include "bytes.h"

namespace notes {

std::string EncodeItems(const std::vector<ItemRecord>& items) {
  std::string out;
  size_t total = 4;
  for (const auto& item : items) total += 8 + item.name.size() + item.value.size();
  out.reserve(total);
  PutDword(&out, DWORD(items.size()));
  for (const auto& item : items) {
    PutWord(&out, item.flags);
    PutWord(&out, WORD(item.name.size()));
    PutDword(&out, DWORD(item.value.size()));
    out += item.name;
    out += item.value;
  }
  return out;
}

bool DecodeItems(const unsigned char* blob, size_t size, DecodedItems* out) {
  if (size < 4) return false;
  const DWORD count = LoadDword(blob);
  // Each item needs at least its 8-byte header and a 2-byte value.
  if (count > (size - 4) / 10) return false;
  // The arena holds names and values with at most 2 pad bytes per item.
  const size_t arena_size = size + 2 * size_t(count) + 2;
  std::unique_ptr<unsigned char[]> arena(new (std::nothrow) unsigned char[arena_size]);
  if (!arena) return false;
  std::vector<ItemView> items;
  items.reserve(count);
  size_t pos = 4, at = 0;
  for (DWORD i = 0; i < count; ++i) {
    if (size - pos < 8) return false;
    const WORD flags = LoadWord(blob + pos);
    const WORD name_length = LoadWord(blob + pos + 2);
    const DWORD value_length = LoadDword(blob + pos + 4);
    pos += 8;
    if (value_length < 2 || size - pos < size_t(name_length) + value_length) return false;
    ItemView view;
    view.flags = flags;
    view.name_length = name_length;
    view.name = reinterpret_cast<const char*>(arena.get() + at);
    std::memcpy(arena.get() + at, blob + pos, name_length);
    at += name_length;
    pos += name_length;
    at += at & 1;  // each value at an even offset (the arena itself is aligned)
    view.value = arena.get() + at;
    view.value_length = value_length;
    std::memcpy(arena.get() + at, blob + pos, value_length);
    at += value_length;
    pos += value_length;
    items.push_back(view);
  }
  if (pos != size) return false;
  out->arena = std::move(arena);
  out->arena_size = at;
  out->items = std::move(items);
  return true;
}

}  // namespace notes
