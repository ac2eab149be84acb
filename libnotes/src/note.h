// Open notes: a note's header and items in memory while its handle is open.
#ifndef LIBNOTES_NOTE_H_
#define LIBNOTES_NOTE_H_

#include <memory>

#include "handles.h"
#include "item_codec.h"
#include "store.h"

namespace notes {

class OpenNote : public HandleObject {
 public:
  ~OpenNote() override;
  // Reads note `id` of `db`.
  static STATUS Open(const std::shared_ptr<Database>& db, NOTEID id,
                     std::unique_ptr<OpenNote>* out);

  const NoteHeader& header() const { return header_; }
  const std::vector<ItemView>& items() const { return items_.items; }
  const std::shared_ptr<Database>& database() const { return db_; }

  // The index of the first item after `after` (-1: from the start) whose
  // name equals `name` without regard to case, or -1.
  int FindItem(const char* name, size_t length, int after) const;

  // Item scans running over this note; it cannot be closed meanwhile.
  int scans = 0;

 private:
  std::shared_ptr<Database> db_;
  NoteHeader header_;
  DecodedItems items_;
};

// The end of the item value that `p` points into, when `p` lies inside an
// open note's item value; else null.
const unsigned char* ValueEnd(const void* p);

}  // namespace notes

#endif  // LIBNOTES_NOTE_H_
