// A view's entries as text, for `notesdb view`.
#ifndef LIBNOTES_VIEW_LISTING_H_
#define LIBNOTES_VIEW_LISTING_H_

#include <string>

namespace notes {

// One line per entry in view order: a category row as "category: VALUE"
// indented by its level, a document as its note ID.
bool ListView(const std::string& db_path, const std::string& title, std::string* text,
              std::string* error);

}  // namespace notes

#endif  // LIBNOTES_VIEW_LISTING_H_
