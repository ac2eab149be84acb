#include "view_listing.h"

#include "collection.h"
#include "status.h"

namespace notes {

bool ListView(const std::string& db_path, const std::string& title, std::string* text,
              std::string* error) {
  std::shared_ptr<Database> db;
  STATUS status = Database::Open(db_path, &db);
  NOTEID view_id = 0;
  std::unique_ptr<Collection> collection;
  if (status == kOk) status = FindDesignNote(db.get(), title, NOTE_CLASS_VIEW, "", &view_id);
  if (status == kOk) status = Collection::Open(db, view_id, &collection);
  if (status != kOk) {
    *error = db_path + ": " + title + ": " + ErrorText(status);
    return false;
  }
  text->clear();
  for (const CollectionEntry& e : collection->entries()) {
    if (e.id & NOTEID_CATEGORY) {
      *text += std::string(size_t(e.level) * 2, ' ') + "category: " + e.label + "\n";
    } else {
      *text += std::string(size_t(e.level) * 2, ' ') + std::to_string(e.id) + "\n";
    }
  }
  return true;
}

}  // namespace notes
