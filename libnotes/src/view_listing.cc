#include "view_listing.h"

#include "collection.h"
#include "status.h"

namespace notes {

bool ListView(const std::string& db_path, const std::string& title, std::string* text,
              std::string* error) {
  std::shared_ptr<Database> db;
  STATUS status = Database::Open(db_path, &db);
  NOTEID view_id = 0;
  std::vector<NOTEID> entries;
  std::vector<CollectionEntry> categories;
  if (status == kOk) status = FindDesignNote(db.get(), title, NOTE_CLASS_VIEW, "", &view_id);
  if (status == kOk) status = db->ReadViewIndex(view_id, &entries);
  if (status == kOk) status = db->ReadViewCategories(view_id, &categories);
  if (status != kOk) {
    *error = db_path + ": " + title + ": " + ErrorText(status);
    return false;
  }
  text->clear();
  size_t next_category = 0;
  int depth = 0;  // documents stand one level below their category
  for (size_t position = 0; position < entries.size(); ++position) {
    if (next_category < categories.size() && categories[next_category].id == position) {
      const CollectionEntry& c = categories[next_category++];
      *text += std::string(size_t(c.level) * 2, ' ') + "category: " + c.label + "\n";
      depth = c.level + 1;
    } else {
      *text += std::string(size_t(depth) * 2, ' ') + std::to_string(entries[position]) + "\n";
    }
  }
  return true;
}

}  // namespace notes
