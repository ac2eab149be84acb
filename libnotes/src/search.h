// NSFSearch over a database's notes.
#ifndef LIBNOTES_SEARCH_H_
#define LIBNOTES_SEARCH_H_

#include <functional>
#include <memory>
#include <string>

#include "note.h"
#include "store.h"

namespace notes {

// Decides whether a note satisfies a search's formula.
using NoteFilter = std::function<bool(const OpenNote& note)>;

// Visits the notes of `class_mask` in ascending note-ID order, streaming.
// Deletion stubs are never visited. With a wildcard `since`, only notes that
// satisfy `filter` (all, without one) are visited, with SE_FMATCH set; with a
// since time, every note modified after it is visited and SE_FMATCH tells
// whether it satisfies the filter. A non-zero result of `action` ends the
// search and is returned.
STATUS Search(const std::shared_ptr<Database>& db, const NoteFilter& filter, WORD class_mask,
              const TIMEDATE& since, NSFSEARCHPROC action, void* parameter);

}  // namespace notes

#endif  // LIBNOTES_SEARCH_H_
