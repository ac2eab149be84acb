// The runtime's state shared by the C functions.
#ifndef LIBNOTES_RUNTIME_H_
#define LIBNOTES_RUNTIME_H_

#include <memory>
#include <new>

#include "handles.h"
#include "status.h"
#include "store.h"

namespace notes {

// True between a successful NotesInitExtended and its NotesTerm.
bool Running();

// A database handle's object.
class OpenDatabase : public HandleObject {
 public:
  explicit OpenDatabase(std::shared_ptr<Database> db) : db(std::move(db)) {}
  std::shared_ptr<Database> db;
};

// The database of a database handle, or null.
inline std::shared_ptr<Database> DatabaseOf(DBHANDLE handle) {
  OpenDatabase* db = Handles().Get<OpenDatabase>(HandleKind::kDatabase, handle);
  return db ? db->db : nullptr;
}

// Runs `body` (returning STATUS) so that no C++ exception leaves the library.
template <class Body>
STATUS Guarded(Body body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  } catch (...) {
    return kErrBadArgument;
  }
}

}  // namespace notes

#endif  // LIBNOTES_RUNTIME_H_
