#include "search.h"

#include <cstring>

#include "status.h"
#include "timedate.h"

namespace notes {

STATUS Search(const std::shared_ptr<Database>& db, const NoteFilter& filter, WORD class_mask,
              const TIMEDATE& since, NSFSEARCHPROC action, void* parameter) {
  const bool all_times = IsWildcard(since);
  // A statement of its own: the action routine opens notes through the
  // database's shared statements while this one steps.
  Statement cursor;
  if (!cursor.Prepare(db->sqlite(),
                      "SELECT id, class, unid, modified, deleted FROM notes"
                      " WHERE deleted = 0 AND (class & ?1) != 0 AND modified > ?2"
                      " ORDER BY id"))
    return kErrDatabaseRead;
  sqlite3_bind_int(cursor.get(), 1, class_mask);
  sqlite3_bind_int64(cursor.get(), 2, all_times ? -1 : int64_t(TimeKey(since)));
  int rc;
  while ((rc = sqlite3_step(cursor.get())) == SQLITE_ROW) {
    NoteHeader header;
    Database::HeaderFromRow(cursor.get(), &header);
    bool match = true;
    if (filter) {
      std::unique_ptr<OpenNote> note;
      const STATUS status = OpenNote::Open(db, header.id, &note);
      if (status != kOk) return status;
      match = filter(*note);
    }
    if (!match && all_times) continue;
    SEARCH_MATCH m;
    std::memset(&m, 0, sizeof m);
    m.ID.File = header.unid.File;
    m.ID.Note = header.unid.Note;
    m.ID.NoteID = header.id;
    m.OriginatorID.File = header.unid.File;
    m.OriginatorID.Note = header.unid.Note;
    m.OriginatorID.Sequence = 1;
    m.OriginatorID.SequenceTime = header.modified;
    m.NoteClass = header.note_class;
    m.SERetFlags = match ? SE_FMATCH : 0;
    const STATUS result = action(parameter, &m, nullptr);
    if (result != kOk) return result;
  }
  return rc == SQLITE_DONE ? kOk : kErrDatabaseRead;
}

}  // namespace notes
