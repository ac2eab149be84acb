#include "note.h"

#include <algorithm>
#include <map>

#include "item_values.h"
#include "status.h"

namespace notes {
namespace {

// Open notes by the address of their arena, so that a pointer into a value
// can be bounded by the value's end.
// Never destroyed: notes still open at exit are destroyed with the handle
// table, after static objects of this file would be gone.
std::map<const unsigned char*, const OpenNote*>& Arenas() {
  static auto* arenas = new std::map<const unsigned char*, const OpenNote*>;
  return *arenas;
}

}  // namespace

STATUS OpenNote::Open(const std::shared_ptr<Database>& db, NOTEID id,
                      std::unique_ptr<OpenNote>* out) {
  std::unique_ptr<OpenNote> note(new OpenNote);
  const unsigned char* blob;
  size_t size;
  const STATUS status = db->ReadNote(id, &note->header_, &blob, &size);
  if (status != kOk) return status;
  if (!DecodeItems(blob, size, &note->items_)) return kErrDamagedData;
  note->db_ = db;
  Arenas()[note->items_.arena.get()] = note.get();
  *out = std::move(note);
  return kOk;
}

OpenNote::~OpenNote() {
  if (items_.arena) Arenas().erase(items_.arena.get());
}

int OpenNote::FindItem(const char* name, size_t length, int after) const {
  const auto& items = items_.items;
  for (size_t i = size_t(after + 1); i < items.size(); ++i)
    if (items[i].name_length == length && EqualNoCase(items[i].name, name, length))
      return int(i);
  return -1;
}

const unsigned char* ValueEnd(const void* p) {
  const unsigned char* at = static_cast<const unsigned char*>(p);
  auto& arenas = Arenas();
  auto it = arenas.upper_bound(at);
  if (it == arenas.begin()) return nullptr;
  --it;
  // Values lie in the arena in item order: the last one starting at or
  // before `at` is the only one that can hold it.
  const auto& items = it->second->items();
  auto item = std::upper_bound(items.begin(), items.end(), at,
                               [](const unsigned char* p, const ItemView& v) { return p < v.value; });
  if (item == items.begin()) return nullptr;
  --item;
  return at < item->value + item->value_length ? item->value + item->value_length : nullptr;
}

}  // namespace notes
