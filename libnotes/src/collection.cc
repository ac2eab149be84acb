#include "collection.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "formula.h"
#include "item_values.h"
#include "note.h"
#include "status.h"
#include "timedate.h"

namespace notes {
namespace {

// One column value: missing values order first, then numbers, times and
// texts (without regard to case).
struct Key {
  enum Kind { kMissing, kNumber, kTime, kText } kind = kMissing;
  double number = 0;
  uint64_t time = 0;
  std::string text;   // lower-cased, for ordering
  std::string label;  // as stored, for category rows
};

int CompareKeys(const Key& a, const Key& b) {
  if (a.kind != b.kind) return a.kind < b.kind ? -1 : 1;
  switch (a.kind) {
    case Key::kMissing: return 0;
    case Key::kNumber: return a.number < b.number ? -1 : a.number > b.number;
    case Key::kTime: return a.time < b.time ? -1 : a.time > b.time;
    case Key::kText: {
      const int c = a.text.compare(b.text);
      return c < 0 ? -1 : c > 0;
    }
  }
  return 0;
}

std::string NumberLabel(double d) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", d);
  return buf;
}

// The values of item `name` as keys: one per list entry, one missing key
// when the item is absent or empty.
std::vector<Key> ColumnKeys(const OpenNote& note, const std::string& name) {
  std::vector<Key> keys;
  const int index = note.FindItem(name.data(), name.size(), -1);
  ItemValues values;
  if (index >= 0 && DecodeItemValues(note.items()[size_t(index)], &values)) {
    for (std::string& text : values.texts) {
      if (text.empty()) continue;
      Key k;
      k.kind = Key::kText;
      k.text = LowerAscii(text);
      k.label = std::move(text);
      keys.push_back(std::move(k));
    }
    for (double v : values.numbers) {
      Key k;
      k.kind = Key::kNumber;
      k.number = v;
      k.label = NumberLabel(v);
      keys.push_back(std::move(k));
    }
    for (const TIMEDATE& t : values.times) {
      Key k;
      k.kind = Key::kTime;
      k.time = TimeKey(t);
      k.label = FormatTime(t);
      keys.push_back(std::move(k));
    }
  }
  if (keys.empty()) keys.emplace_back();
  return keys;
}

struct Row {
  NOTEID id;
  std::vector<Key> keys;  // one per sorted or categorized column
};

}  // namespace

STATUS FindDesignNote(Database* db, const std::string& name, WORD note_class,
                      const char* flags_pattern, NOTEID* id) {
  std::string excluded;
  if (flags_pattern && *flags_pattern) {
    if (flags_pattern[0] != '-') return kErrFlagPattern;
    excluded = flags_pattern + 1;
  }
  Statement s;
  if (!s.Prepare(db->sqlite(), "SELECT id, items FROM notes WHERE class = ? AND deleted = 0"
                               " ORDER BY id"))
    return kErrDatabaseRead;
  sqlite3_bind_int(s.get(), 1, note_class);
  const std::string wanted = LowerAscii(name);
  int rc;
  while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
    DecodedItems items;
    if (!DecodeItems(static_cast<const unsigned char*>(sqlite3_column_blob(s.get(), 1)),
                     size_t(sqlite3_column_bytes(s.get(), 1)), &items))
      continue;
    ViewDesign design;
    if (!ViewDesignFromItems(items.items, &design)) continue;
    bool matches = LowerAscii(design.title) == wanted;
    for (const auto& alias : design.aliases) matches = matches || LowerAscii(alias) == wanted;
    if (!matches || design.flags.find_first_of(excluded) != std::string::npos) continue;
    *id = NOTEID(sqlite3_column_int64(s.get(), 0));
    return kOk;
  }
  return rc == SQLITE_DONE ? kErrNoSuchView : kErrDatabaseRead;
}

STATUS ComputeViewIndex(const std::shared_ptr<Database>& db, NOTEID view_id,
                        std::vector<CollectionEntry>* entries) {
  std::unique_ptr<OpenNote> view_note;
  STATUS status = OpenNote::Open(db, view_id, &view_note);
  if (status != kOk) return status;
  ViewDesign design;
  if (view_note->header().note_class != NOTE_CLASS_VIEW ||
      !ViewDesignFromItems(view_note->items(), &design))
    return kErrNoSuchView;
  CompileError error;
  auto selection = CompileFormula(design.selection, &error);
  if (!selection) return error.code;

  // The columns that order the view, in order.
  std::vector<const ViewColumn*> keyed;
  for (const ViewColumn& c : design.columns)
    if (c.categorized || c.sort != ViewColumn::kNone) keyed.push_back(&c);

  std::vector<Row> rows;
  Statement s;
  if (!s.Prepare(db->sqlite(), "SELECT id FROM notes WHERE class = 1 AND deleted = 0 ORDER BY id"))
    return kErrDatabaseRead;
  int rc;
  while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
    std::unique_ptr<OpenNote> note;
    status = OpenNote::Open(db, NOTEID(sqlite3_column_int64(s.get(), 0)), &note);
    if (status != kOk) return status;
    if (!selection->Matches(*note, design.title)) continue;
    // A document stands once under each value of each categorized column.
    std::vector<std::vector<Key>> combinations(1);
    for (const ViewColumn* c : keyed) {
      std::vector<Key> keys = ColumnKeys(*note, c->item);
      if (!c->categorized) keys.resize(1);
      std::vector<std::vector<Key>> next;
      for (const auto& prefix : combinations)
        for (const Key& k : keys) {
          next.push_back(prefix);
          next.back().push_back(k);
        }
      combinations = std::move(next);
    }
    for (auto& keys : combinations) rows.push_back(Row{note->header().id, std::move(keys)});
  }
  if (rc != SQLITE_DONE) return kErrDatabaseRead;

  std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
    for (size_t i = 0; i < keyed.size(); ++i) {
      int c = CompareKeys(a.keys[i], b.keys[i]);
      if (keyed[i]->sort == ViewColumn::kDescending) c = -c;
      if (c != 0) return c < 0;
    }
    return a.id < b.id;
  });

  entries->clear();
  DWORD category_number = 0;
  const Row* previous = nullptr;
  for (const Row& row : rows) {
    // A category row for each categorized level whose value changes here.
    bool changed = previous == nullptr;
    int level = 0;
    for (size_t i = 0; i < keyed.size(); ++i) {
      if (!keyed[i]->categorized) continue;
      changed = changed || CompareKeys(previous->keys[i], row.keys[i]) != 0;
      if (changed) {
        CollectionEntry category;
        category.id = NOTEID_CATEGORY | (++category_number & 0x7FFFFFFF);
        category.label = row.keys[i].label;
        category.level = level;
        entries->push_back(std::move(category));
      }
      ++level;
    }
    CollectionEntry entry;
    entry.id = row.id;
    entry.level = level;
    entries->push_back(std::move(entry));
    previous = &row;
  }
  return kOk;
}

STATUS Collection::Open(const std::shared_ptr<Database>& db, NOTEID view_id,
                        std::unique_ptr<Collection>* out) {
  std::unique_ptr<Collection> collection(new Collection);
  collection->db_ = db;
  const STATUS status = db->ReadViewIndex(view_id, &collection->entries_);
  if (status != kOk) return status;
  *out = std::move(collection);
  return kOk;
}

}  // namespace notes
