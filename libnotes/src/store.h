// The database file: one SQLite file per Notes database.
//
// Schema (format "libnotes-standin", version 1):
//   meta(key TEXT PRIMARY KEY, value)        format, version, title
//   notes(id INTEGER PRIMARY KEY, class, unid BLOB(16), modified, deleted, items BLOB)
//     indexed by (class, id), so that design notes are found without a scan
//   objects(id INTEGER PRIMARY KEY, type, class, data BLOB)
//   view_index(view INTEGER PRIMARY KEY, note_ids BLOB)   a view's entries in order
//   view_categories(view, position, level, label)         its category rows' values
// `modified` holds the TIMEDATE as TimeKey(); `items` the EncodeItems() blob;
// `unid` the 16 UNID bytes in memory order (File part, then Note part);
// `note_ids` the entries' NOTEIDs as little-endian DWORDs, category rows with
// NOTEID_CATEGORY set. Views are indexed when the database is built.
#ifndef LIBNOTES_STORE_H_
#define LIBNOTES_STORE_H_

#include <sqlite3.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "notes/types.h"

namespace notes {

struct CollectionEntry;

constexpr const char* kFormatName = "libnotes-standin";
constexpr int kFormatVersion = 1;

struct NoteHeader {
  NOTEID id = 0;
  WORD note_class = NOTE_CLASS_DOCUMENT;
  UNID unid = {};
  TIMEDATE modified = {};
  bool deleted = false;
};

// A prepared statement, finalized on destruction.
class Statement {
 public:
  Statement() = default;
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  bool Prepare(sqlite3* db, const char* sql) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    return sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) ==
           SQLITE_OK;
  }
  sqlite3_stmt* get() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// Resets a statement when a scope ends, so that its read lock ends too.
class ResetOnExit {
 public:
  explicit ResetOnExit(sqlite3_stmt* s) : s_(s) {}
  ~ResetOnExit() {
    sqlite3_reset(s_);
    sqlite3_clear_bindings(s_);
  }

 private:
  sqlite3_stmt* s_;
};

// An open database, read-only. Shared by its handle and by the notes,
// searches and collections opened in it.
class Database {
 public:
  // Opens the file at `path`. Returns kErrNoSuchFile, kErrNotADatabase or
  // kErrDatabaseVersion when it is not a database of this version.
  static STATUS Open(const std::string& path, std::shared_ptr<Database>* out);
  ~Database();

  sqlite3* sqlite() const { return db_; }
  const std::string& title() const { return title_; }

  // Reads one note's header and its items blob (a pointer valid until the
  // next call on this database).
  STATUS ReadNote(NOTEID id, NoteHeader* header, const unsigned char** items, size_t* size);

  // Reads object `id`: its type, class and size.
  STATUS ObjectInfo(DWORD id, WORD* type, WORD* object_class, DWORD* size);

  // Copies object `id`'s bytes to `out` in pieces.
  STATUS CopyObject(DWORD id, std::FILE* out);

  // The stored index of view note `view_id`: its entries' NOTEIDs in order.
  // kErrNoSuchView when the note is no view of this database.
  STATUS ReadViewIndex(NOTEID view_id, std::vector<NOTEID>* entries);

  // The values of a view's category rows, by position.
  STATUS ReadViewCategories(NOTEID view_id, std::vector<CollectionEntry>* categories);

  // Fills a header from a `notes` row whose first columns are
  // id, class, unid, modified, deleted.
  static void HeaderFromRow(sqlite3_stmt* row, NoteHeader* header);

 private:
  Database() = default;
  sqlite3* db_ = nullptr;
  std::string title_;
  Statement read_note_;
  Statement object_info_;
};

// The database file of a builder: writes a new file in one transaction.

// Writes a new database file. The builder's side of the store.
class DatabaseWriter {
 public:
  ~DatabaseWriter();
  // Creates `path` (which must not exist yet) with the schema.
  static STATUS Create(const std::string& path, const std::string& title,
                       std::unique_ptr<DatabaseWriter>* out);
  STATUS AddNote(const NoteHeader& header, const std::string& items_blob);
  // Adds an object and returns its ID in *id.
  STATUS AddObject(WORD type, WORD object_class, const std::string& data, DWORD* id);
  STATUS AddViewIndex(NOTEID view_id, const std::vector<CollectionEntry>& entries);
  // Ends the transaction; Begin starts another one.
  STATUS Commit();
  STATUS Begin();
  // Writes the finished file at `path` through to the disk.
  static STATUS FlushToDisk(const std::string& path);

 private:
  DatabaseWriter() = default;
  sqlite3* db_ = nullptr;
  Statement add_note_;
  Statement add_object_;
};

}  // namespace notes

#endif  // LIBNOTES_STORE_H_
