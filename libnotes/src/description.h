// The JSON description of a database: building a database from one, and
// describing a database as one. Used by the notesdb tool and by tests.
#ifndef LIBNOTES_DESCRIPTION_H_
#define LIBNOTES_DESCRIPTION_H_

#include <string>

namespace notes {

// Builds the database `out_path` from the description text `json_text`;
// relative content_file paths are taken from `base_dir`. The file is written
// beside `out_path` and moved into place only when complete, replacing what
// was there. On failure returns false with one line naming the place in
// *error (e.g. "notes[3].items[1]: ...") and leaves nothing behind.
bool BuildDatabase(const std::string& json_text, const std::string& base_dir,
                   const std::string& out_path, std::string* error);

// Describes the database at `path` as JSON text that builds it again.
bool DumpDatabase(const std::string& path, std::string* json_text, std::string* error);

}  // namespace notes

#endif  // LIBNOTES_DESCRIPTION_H_
