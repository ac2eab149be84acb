// The C functions of searches, notes, items, lists, on-disk structures,
// objects and date-time text.
#include <cstdio>
#include <cstring>

#include "controls.h"
#include "formula_filter.h"
#include "lists.h"
#include "note.h"
#include "notes/api.h"
#include "ods.h"
#include "runtime.h"
#include "search.h"
#include "timedate.h"

namespace notes {
namespace {

OpenNote* GetNote(NOTEHANDLE h) { return Handles().Get<OpenNote>(HandleKind::kNote, h); }

BLOCKID ItemBlock(NOTEHANDLE note, int index) {
  BLOCKID id;
  id.pool = note;
  id.block = WORD(index + 1);
  return id;
}

// Fills the outputs of NSFItemInfo(Next) for item `index`.
STATUS ItemInfoResult(NOTEHANDLE h, const OpenNote& note, int index, BLOCKID* ret_item,
                      WORD* ret_data_type, BLOCKID* ret_value, DWORD* ret_value_length) {
  if (index < 0) return kErrItemNotFound;
  const ItemView& item = note.items()[size_t(index)];
  if (ret_item) *ret_item = ItemBlock(h, index);
  if (ret_data_type) std::memcpy(ret_data_type, item.value, 2);
  if (ret_value) *ret_value = ItemBlock(h, index);
  if (ret_value_length) *ret_value_length = item.value_length - 2;
  return kOk;
}

}  // namespace
}  // namespace notes

using namespace notes;

extern "C" {

STATUS NSFSearch(DBHANDLE hdb, FORMULAHANDLE formula, const char* view_title, WORD,
                 WORD note_class_mask, TIMEDATE* since, NSFSEARCHPROC action, void* parameter,
                 TIMEDATE* ret_until) {
  return Guarded([&]() -> STATUS {
    if (!Running()) return kErrNotInitialized;
    if (const STATUS s = InjectedFault(Fn::kNSFSearch)) return s;
    std::shared_ptr<Database> db = DatabaseOf(hdb);
    if (!db) return kErrBadHandle;
    if (!action) return kErrBadArgument;
    NoteFilter filter;
    if (formula != NULLHANDLE) {
      const STATUS status = MakeFormulaFilter(formula, view_title, &filter);
      if (status != kOk) return status;
    }
    TIMEDATE wildcard = {{TIMEDATE_NONE, TIMEDATE_NONE}};
    const STATUS status =
        Search(db, filter, note_class_mask, since ? *since : wildcard, action, parameter);
    if (ret_until) *ret_until = wildcard;
    return status;
  });
}

STATUS NSFNoteOpenExt(DBHANDLE hdb, NOTEID note_id, DWORD, NOTEHANDLE* ret_note) {
  return Guarded([&]() -> STATUS {
    if (!ret_note) return kErrBadArgument;
    *ret_note = NULLHANDLE;
    if (!Running()) return kErrNotInitialized;
    if (const STATUS s = InjectedFault(Fn::kNSFNoteOpenExt)) return s;
    std::shared_ptr<Database> db = DatabaseOf(hdb);
    if (!db) return kErrBadHandle;
    std::unique_ptr<OpenNote> note;
    const STATUS status = OpenNote::Open(db, note_id, &note);
    if (status != kOk) return status;
    return Handles().Add(HandleKind::kNote, std::move(note), ret_note);
  });
}

STATUS NSFNoteClose(NOTEHANDLE h) {
  return Guarded([&]() -> STATUS {
    const STATUS fault = InjectedFault(Fn::kNSFNoteClose);
    OpenNote* note = GetNote(h);
    if (!note) return fault ? fault : kErrBadHandle;
    if (note->scans > 0) return kErrHandleLocked;
    Handles().Remove(HandleKind::kNote, h);
    return fault;
  });
}

void NSFNoteGetInfo(NOTEHANDLE h, WORD selector, void* ret_value) {
  OpenNote* note = GetNote(h);
  if (!note || !ret_value) return;
  const NoteHeader& header = note->header();
  switch (selector) {
    case _NOTE_ID:
      std::memcpy(ret_value, &header.id, sizeof header.id);
      break;
    case _NOTE_OID: {
      ORIGINATORID oid;
      oid.File = header.unid.File;
      oid.Note = header.unid.Note;
      oid.Sequence = 1;
      oid.SequenceTime = header.modified;
      std::memcpy(ret_value, &oid, sizeof oid);
      break;
    }
    case _NOTE_CLASS:
      std::memcpy(ret_value, &header.note_class, sizeof header.note_class);
      break;
    case _NOTE_MODIFIED:
      std::memcpy(ret_value, &header.modified, sizeof header.modified);
      break;
    default:
      break;
  }
}

STATUS NSFItemScan(NOTEHANDLE h, NSFITEMSCANPROC action, void* parameter) {
  return Guarded([&]() -> STATUS {
    if (const STATUS s = InjectedFault(Fn::kNSFItemScan)) return s;
    OpenNote* note = GetNote(h);
    if (!note) return kErrBadHandle;
    if (!action) return kErrBadArgument;
    ++note->scans;
    STATUS result = kOk;
    for (const ItemView& item : note->items()) {
      result = action(0, item.flags, const_cast<char*>(item.name), item.name_length,
                      item.value, item.value_length, parameter);
      if (result != kOk) break;
    }
    --note->scans;
    return result;
  });
}

STATUS NSFItemInfo(NOTEHANDLE h, const char* name, WORD name_length, BLOCKID* ret_item,
                   WORD* ret_data_type, BLOCKID* ret_value, DWORD* ret_value_length) {
  return Guarded([&]() -> STATUS {
    if (const STATUS s = InjectedFault(Fn::kNSFItemInfo)) return s;
    OpenNote* note = GetNote(h);
    if (!note) return kErrBadHandle;
    if (!name) return kErrBadArgument;
    return ItemInfoResult(h, *note, note->FindItem(name, name_length, -1), ret_item,
                          ret_data_type, ret_value, ret_value_length);
  });
}

STATUS NSFItemInfoNext(NOTEHANDLE h, BLOCKID previous, const char* name, WORD name_length,
                       BLOCKID* ret_item, WORD* ret_data_type, BLOCKID* ret_value,
                       DWORD* ret_value_length) {
  return Guarded([&]() -> STATUS {
    if (const STATUS s = InjectedFault(Fn::kNSFItemInfoNext)) return s;
    OpenNote* note = GetNote(h);
    if (!note) return kErrBadHandle;
    if (!name || previous.pool != h || previous.block == 0 ||
        previous.block > note->items().size())
      return kErrBadArgument;
    return ItemInfoResult(h, *note, note->FindItem(name, name_length, previous.block - 1),
                          ret_item, ret_data_type, ret_value, ret_value_length);
  });
}

STATUS ListGetText(const void* list, BOOL prefix_data_type, WORD entry_number, char** ret_text,
                   WORD* ret_text_length) {
  return Guarded([&]() -> STATUS {
    if (const STATUS s = InjectedFault(Fn::kListGetText)) return s;
    if (!list) return kErrBadArgument;
    const unsigned char* data = static_cast<const unsigned char*>(list);
    const unsigned char* end = ValueEnd(data);
    if (prefix_data_type) {
      if (end && end - data < 2) return kErrListDamaged;
      data += 2;
    }
    const char* text;
    WORD length;
    const STATUS status = TextListEntry(data, end, entry_number, &text, &length);
    if (status != kOk) return status;
    if (ret_text) *ret_text = const_cast<char*>(text);
    if (ret_text_length) *ret_text_length = length;
    return kOk;
  });
}

void ODSReadMemory(void* source, WORD type, void* dest, WORD iterations) {
  if (!source || !dest) return;
  const unsigned char** p = static_cast<const unsigned char**>(source);
  // Host forms are no larger than 64 bytes; structures are laid out one
  // after another in dest.
  unsigned char host[64];
  size_t host_size = 0;
  switch (type) {
    case _WORD: host_size = sizeof(WORD); break;
    case _DWORD: host_size = sizeof(DWORD); break;
    case _OBJECT_DESCRIPTOR: host_size = sizeof(OBJECT_DESCRIPTOR); break;
    case _FILEOBJECT: host_size = sizeof(FILEOBJECT); break;
    case _TEXT_RUN: host_size = sizeof(TEXT_RUN); break;
    case _STYLED_TEXT: host_size = sizeof(STYLED_TEXT); break;
    case _COUNTED_TEXT: host_size = sizeof(COUNTED_TEXT); break;
    default: return;
  }
  unsigned char* out = static_cast<unsigned char*>(dest);
  for (WORD i = 0; i < iterations; ++i) {
    OdsRead(p, type, host);
    std::memcpy(out + i * host_size, host, host_size);
  }
}

WORD ODSLength(WORD type) { return OdsLength(type); }

STATUS NSFDbGetObjectSize(DBHANDLE hdb, DWORD object_id, WORD, DWORD* ret_size,
                          WORD* ret_class, WORD* ret_privileges) {
  return Guarded([&]() -> STATUS {
    if (!Running()) return kErrNotInitialized;
    if (const STATUS s = InjectedFault(Fn::kNSFDbGetObjectSize)) return s;
    std::shared_ptr<Database> db = DatabaseOf(hdb);
    if (!db) return kErrBadHandle;
    WORD type, object_class;
    DWORD size;
    const STATUS status = db->ObjectInfo(object_id, &type, &object_class, &size);
    if (status != kOk) return status;
    if (ret_size) *ret_size = size;
    if (ret_class) *ret_class = object_class;
    if (ret_privileges) *ret_privileges = 0;
    return kOk;
  });
}

STATUS NSFNoteExtractFile(NOTEHANDLE h, BLOCKID item_id, const char* file_name, void*) {
  return Guarded([&]() -> STATUS {
    if (const STATUS s = InjectedFault(Fn::kNSFNoteExtractFile)) return s;
    OpenNote* note = GetNote(h);
    if (!note) return kErrBadHandle;
    if (!file_name || item_id.pool != h || item_id.block == 0 ||
        item_id.block > note->items().size())
      return kErrBadArgument;
    const ItemView& item = note->items()[item_id.block - 1u];
    WORD type;
    std::memcpy(&type, item.value, 2);
    if (type != TYPE_OBJECT || item.value_length < 2u + OdsLength(_FILEOBJECT))
      return kErrNotFileObject;
    const unsigned char* p = item.value + 2;
    FILEOBJECT file;
    OdsRead(&p, _FILEOBJECT, &file);
    if (file.Header.ObjectType != OBJECT_FILE) return kErrNotFileObject;
    WORD object_type, object_class;
    DWORD size;
    STATUS status = note->database()->ObjectInfo(file.Header.RRV, &object_type, &object_class,
                                                 &size);
    if (status != kOk) return status;
    std::FILE* out = std::fopen(file_name, "wb");
    if (!out) return kErrFileWrite;
    status = note->database()->CopyObject(file.Header.RRV, out);
    if (std::fclose(out) != 0 && status == kOk) status = kErrFileWrite;
    if (status != kOk) std::remove(file_name);
    return status;
  });
}

STATUS ConvertTextToTIMEDATE(const void*, const void*, char** text, WORD max_length,
                             TIMEDATE* ret_time) {
  return Guarded([&]() -> STATUS {
    if (const STATUS s = InjectedFault(Fn::kConvertTextToTIMEDATE)) return s;
    if (!text || !*text || !ret_time) return kErrBadArgument;
    const size_t length = strnlen(*text, max_length);
    size_t consumed = 0;
    const STATUS status = ParseTime(*text, length, ret_time, &consumed);
    *text += consumed;
    return status;
  });
}

STATUS ConvertTIMEDATEToText(const void*, const void*, const TIMEDATE* time, char* ret_text,
                             WORD buffer_length, WORD* ret_text_length) {
  return Guarded([&]() -> STATUS {
    if (ret_text_length) *ret_text_length = 0;
    if (const STATUS s = InjectedFault(Fn::kConvertTIMEDATEToText)) return s;
    if (!time || !ret_text) return kErrBadArgument;
    char text[kMaxTimeText];
    const size_t length = FormatTime(*time, text);
    const size_t n = std::min(length, size_t(buffer_length));
    std::memcpy(ret_text, text, n);
    if (n < buffer_length) ret_text[n] = '\0';
    if (ret_text_length) *ret_text_length = WORD(n);
    return n == length ? kOk : kErrTimeBuffer;
  });
}

}  // extern "C"
