// The C functions of views and collections.
#include <cstring>

#include "collection.h"
#include "controls.h"
#include "notes/api.h"
#include "runtime.h"

using namespace notes;

extern "C" {

STATUS NIFFindDesignNoteExt(DBHANDLE hdb, const char* name, WORD note_class,
                            const char* flags_pattern, NOTEID* ret_note_id, DWORD) {
  return Guarded([&]() -> STATUS {
    if (!Running()) return kErrNotInitialized;
    if (const STATUS s = InjectedFault(Fn::kNIFFindDesignNoteExt)) return s;
    std::shared_ptr<Database> db = DatabaseOf(hdb);
    if (!db) return kErrBadHandle;
    if (!name || !ret_note_id) return kErrBadArgument;
    return FindDesignNote(db.get(), name, note_class, flags_pattern, ret_note_id);
  });
}

STATUS NIFOpenCollection(DBHANDLE view_db, DBHANDLE data_db, NOTEID view_note_id, WORD,
                         HANDLE, HCOLLECTION* ret_collection, NOTEHANDLE* ret_view_note,
                         UNID* ret_view_unid, HANDLE* ret_collapsed_list,
                         HANDLE* ret_selected_list) {
  return Guarded([&]() -> STATUS {
    if (!ret_collection) return kErrBadArgument;
    *ret_collection = NULLHANDLE;
    if (ret_view_note) *ret_view_note = NULLHANDLE;
    if (ret_collapsed_list) *ret_collapsed_list = NULLHANDLE;
    if (ret_selected_list) *ret_selected_list = NULLHANDLE;
    if (!Running()) return kErrNotInitialized;
    if (const STATUS s = InjectedFault(Fn::kNIFOpenCollection)) return s;
    std::shared_ptr<Database> db = DatabaseOf(view_db);
    // One database holds both the view and its documents here.
    if (!db || DatabaseOf(data_db) != db) return kErrBadHandle;
    std::unique_ptr<Collection> collection;
    const STATUS status = Collection::Open(db, view_note_id, &collection);
    if (status != kOk) return status;
    if (ret_view_unid) std::memset(ret_view_unid, 0, sizeof *ret_view_unid);
    return Handles().Add(HandleKind::kCollection, std::move(collection), ret_collection);
  });
}

// The position record's first tumbler is the 1-based index of the entry
// last read (0: before the first); each read moves it to its last entry.
STATUS NIFReadEntries(HCOLLECTION h, COLLECTIONPOSITION* position, WORD skip_navigator,
                      DWORD skip_count, WORD return_navigator, DWORD return_count,
                      DWORD return_mask, HANDLE* ret_buffer, WORD* ret_buffer_length,
                      DWORD* ret_skipped, DWORD* ret_returned, WORD* ret_signal_flags) {
  return Guarded([&]() -> STATUS {
    if (ret_buffer) *ret_buffer = NULLHANDLE;
    if (ret_buffer_length) *ret_buffer_length = 0;
    if (ret_skipped) *ret_skipped = 0;
    if (ret_returned) *ret_returned = 0;
    if (ret_signal_flags) *ret_signal_flags = 0;
    bool no_buffer = false;
    if (const STATUS s = InjectedFault(Fn::kNIFReadEntries, &no_buffer)) return s;
    Collection* collection = Handles().Get<Collection>(HandleKind::kCollection, h);
    if (!collection) return kErrBadHandle;
    if (!position || skip_navigator != NAVIGATE_NEXT || return_navigator != NAVIGATE_NEXT ||
        return_mask != READ_MASK_NOTEID)
      return kErrBadArgument;
    const auto& entries = collection->entries();
    const uint64_t total = entries.size();
    const uint64_t start = position->Tumbler[0];
    // Skipping from the current entry; reading starts at the first entry at
    // the least.
    uint64_t first = std::max<uint64_t>(start + skip_count, 1);
    const uint64_t skipped = first <= total + 1 ? first - std::max<uint64_t>(start, 1) : 0;
    uint64_t count = std::min<uint64_t>({return_count, ReadMax(),
                                         first <= total ? total - first + 1 : 0});
    std::vector<unsigned char> bytes(size_t(count) * sizeof(NOTEID));
    for (uint64_t i = 0; i < count; ++i) {
      const NOTEID id = entries[size_t(first - 1 + i)];
      std::memcpy(bytes.data() + i * sizeof(NOTEID), &id, sizeof id);
    }
    if (count > 0) {
      position->Level = 0;
      position->Tumbler[0] = DWORD(first + count - 1);
    } else if (start < total) {
      position->Tumbler[0] = DWORD(total);
    }
    const bool more = count > 0 && first + count - 1 < total;
    if (!no_buffer && ret_buffer) {
      HANDLE buffer;
      const STATUS status = NewMemory(std::move(bytes), &buffer);
      if (status != kOk) return status;
      *ret_buffer = buffer;
    }
    if (ret_buffer_length) *ret_buffer_length = WORD(std::min<uint64_t>(count * 4, 0xFFFF));
    if (ret_skipped) *ret_skipped = DWORD(skipped);
    if (ret_returned) *ret_returned = DWORD(count);
    if (ret_signal_flags) *ret_signal_flags = more ? SIGNAL_MORE_TO_DO : 0;
    return kOk;
  });
}

STATUS NIFCloseCollection(HCOLLECTION h) {
  return Guarded([&]() -> STATUS {
    const STATUS fault = InjectedFault(Fn::kNIFCloseCollection);
    const bool closed = Handles().Remove(HandleKind::kCollection, h);
    return fault ? fault : closed ? kOk : kErrBadHandle;
  });
}

}  // extern "C"
