// A note of every item type, for targets that evaluate against one.
#ifndef QUENDRILAX_FUZZ_SUPPORT_H_
#define QUENDRILAX_FUZZ_SUPPORT_H_

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "description.h"
#include "note.h"

namespace fuzz {

inline const char* kSampleDescription = R"({"notes": [{"id": 4, "items": [
  {"name": "Form", "type": "text", "value": "Memo"},
  {"name": "Subject", "type": "text", "value": "Quarterly report"},
  {"name": "Tags", "type": "textlist", "value": ["a", "B", ""]},
  {"name": "Amount", "type": "number", "value": 12.5},
  {"name": "Counts", "type": "numberlist", "value": [1, 2, 3]},
  {"name": "Due", "type": "time", "value": "2026-06-01T00:00:00.00Z"},
  {"name": "Days", "type": "timelist", "value": ["2026-06-01", "2026-06-02T01:02:03Z"]},
  {"name": "Body", "type": "richtext", "value": [{"text": "run"}, {"hex": "ff0102"}]},
  {"name": "Odd", "type": 1234, "hex": "01"},
  {"name": "$FILE", "type": "attachment", "filename": "a.txt", "content": "x"}]}]})";

// Builds the sample database once and returns its path.
inline std::string SampleDatabase() {
  static const std::string path = [] {
    char pattern[] = "/tmp/quendrilax-fuzz-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    std::string error;
    if (!notes::BuildDatabase(kSampleDescription, dir, dir + "/sample.nsf", &error)) std::abort();
    return dir + "/sample.nsf";
  }();
  return path;
}

// The sample note, open for the life of the process.
inline notes::OpenNote* SampleNote() {
  std::shared_ptr<notes::Database> db;
  if (notes::Database::Open(SampleDatabase(), &db) != 0) std::abort();
  std::unique_ptr<notes::OpenNote> note;
  if (notes::OpenNote::Open(db, 4, &note) != 0) std::abort();
  return note.release();
}

}  // namespace fuzz

#endif  // QUENDRILAX_FUZZ_SUPPORT_H_
