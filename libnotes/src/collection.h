// Views: finding a view's design note and building its index.
#ifndef LIBNOTES_COLLECTION_H_
#define LIBNOTES_COLLECTION_H_

#include <memory>
#include <string>
#include <vector>

#include "handles.h"
#include "store.h"
#include "view_design.h"

namespace notes {

// Finds the design note of `note_class` whose title or an alias equals
// `name` without regard to case, leaving out notes whose flags hold any
// character of `flags_pattern` ("-" then characters). kErrNoSuchView when
// none does, kErrFlagPattern for a pattern that does not start with "-".
STATUS FindDesignNote(Database* db, const std::string& name, WORD note_class,
                      const char* flags_pattern, NOTEID* id);

// One entry of a view, in order.
struct CollectionEntry {
  NOTEID id;          // NOTEID_CATEGORY set for a category row
  std::string label;  // a category row's value, as text
  int level = 0;      // a category row's level (0: outermost)
};

// Computes the index of view note `view_id`: the documents that satisfy the
// selection, sorted by the sorted and categorized columns, then by note ID,
// with a category row before each category's documents. The builder stores
// it with the database (views are indexed when the database is built).
STATUS ComputeViewIndex(const std::shared_ptr<Database>& db, NOTEID view_id,
                        std::vector<CollectionEntry>* entries);

// An open collection: a view's stored index, read when it is opened.
class Collection : public HandleObject {
 public:
  static STATUS Open(const std::shared_ptr<Database>& db, NOTEID view_id,
                     std::unique_ptr<Collection>* out);
  const std::vector<NOTEID>& entries() const { return entries_; }

 private:
  std::shared_ptr<Database> db_;
  std::vector<NOTEID> entries_;
};

}  // namespace notes

#endif  // LIBNOTES_COLLECTION_H_
