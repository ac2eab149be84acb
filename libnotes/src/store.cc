#include "store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "bytes.h"
#include "collection.h"
#include "status.h"
#include "timedate.h"

namespace notes {
namespace {

constexpr const char* kSchema =
    "PRAGMA journal_mode=DELETE;"
    "PRAGMA foreign_keys=ON;"
    // The builder writes a file of its own and moves it into place when done;
    // it is synced once, then (FlushToDisk), not at every commit.
    "PRAGMA synchronous=OFF;"
    "CREATE TABLE meta(key TEXT PRIMARY KEY, value) WITHOUT ROWID;"
    "CREATE TABLE notes(id INTEGER PRIMARY KEY, class INTEGER NOT NULL,"
    " unid BLOB NOT NULL, modified INTEGER NOT NULL, deleted INTEGER NOT NULL,"
    " items BLOB NOT NULL);"
    "CREATE INDEX notes_by_class ON notes(class, id);"
    "CREATE TABLE objects(id INTEGER PRIMARY KEY, type INTEGER NOT NULL,"
    " class INTEGER NOT NULL, data BLOB NOT NULL);"
    "CREATE TABLE view_index(view INTEGER PRIMARY KEY, note_ids BLOB NOT NULL);"
    "CREATE TABLE view_categories(view INTEGER NOT NULL, position INTEGER NOT NULL,"
    " level INTEGER NOT NULL, label TEXT NOT NULL, PRIMARY KEY(view, position)) WITHOUT ROWID;";

void UnidFromBlob(const void* blob, int size, UNID* unid) {
  std::memset(unid, 0, sizeof *unid);
  if (blob && size == 16) {
    const unsigned char* b = static_cast<const unsigned char*>(blob);
    unid->File.Innards[0] = LoadDword(b);
    unid->File.Innards[1] = LoadDword(b + 4);
    unid->Note.Innards[0] = LoadDword(b + 8);
    unid->Note.Innards[1] = LoadDword(b + 12);
  }
}

std::string UnidToBlob(const UNID& unid) {
  std::string b;
  PutDword(&b, unid.File.Innards[0]);
  PutDword(&b, unid.File.Innards[1]);
  PutDword(&b, unid.Note.Innards[0]);
  PutDword(&b, unid.Note.Innards[1]);
  return b;
}

}  // namespace

void Database::HeaderFromRow(sqlite3_stmt* row, NoteHeader* header) {
  header->id = NOTEID(sqlite3_column_int64(row, 0));
  header->note_class = WORD(sqlite3_column_int(row, 1));
  UnidFromBlob(sqlite3_column_blob(row, 2), sqlite3_column_bytes(row, 2), &header->unid);
  header->modified = FromTimeKey(uint64_t(sqlite3_column_int64(row, 3)));
  header->deleted = sqlite3_column_int(row, 4) != 0;
}

STATUS Database::Open(const std::string& path, std::shared_ptr<Database>* out) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return kErrNoSuchFile;
  if (!S_ISREG(st.st_mode)) return kErrNotADatabase;
  std::shared_ptr<Database> db(new Database);
  if (sqlite3_open_v2(path.c_str(), &db->db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK)
    return kErrNotADatabase;
  Statement meta;
  if (!meta.Prepare(db->db_, "SELECT key, value FROM meta")) return kErrNotADatabase;
  std::string format, title;
  long long version = -1;
  int rc;
  while ((rc = sqlite3_step(meta.get())) == SQLITE_ROW) {
    const char* key = reinterpret_cast<const char*>(sqlite3_column_text(meta.get(), 0));
    const char* value = reinterpret_cast<const char*>(sqlite3_column_text(meta.get(), 1));
    if (!key) continue;
    if (!std::strcmp(key, "format") && value) format = value;
    if (!std::strcmp(key, "version")) version = sqlite3_column_int64(meta.get(), 1);
    if (!std::strcmp(key, "title") && value) title = value;
  }
  if (rc != SQLITE_DONE || format != kFormatName) return kErrNotADatabase;
  if (version != kFormatVersion) return kErrDatabaseVersion;
  db->title_ = title;
  if (!db->read_note_.Prepare(
          db->db_, "SELECT id, class, unid, modified, deleted, items FROM notes WHERE id = ?") ||
      !db->object_info_.Prepare(db->db_,
                                "SELECT type, class, length(data) FROM objects WHERE id = ?"))
    return kErrNotADatabase;
  *out = std::move(db);
  return kOk;
}

Database::~Database() {
  // Statements must go before the connection.
  read_note_.Prepare(nullptr, nullptr);
  object_info_.Prepare(nullptr, nullptr);
  sqlite3_close_v2(db_);
}

STATUS Database::ReadNote(NOTEID id, NoteHeader* header, const unsigned char** items,
                          size_t* size) {
  sqlite3_stmt* s = read_note_.get();
  sqlite3_reset(s);
  sqlite3_bind_int64(s, 1, id);
  const int rc = sqlite3_step(s);
  if (rc == SQLITE_DONE) return kErrNoSuchNote;
  if (rc != SQLITE_ROW) return kErrDatabaseRead;
  HeaderFromRow(s, header);
  *items = static_cast<const unsigned char*>(sqlite3_column_blob(s, 5));
  *size = size_t(sqlite3_column_bytes(s, 5));
  return header->deleted ? kErrNoteDeleted : kOk;
}

STATUS Database::ObjectInfo(DWORD id, WORD* type, WORD* object_class, DWORD* size) {
  sqlite3_stmt* s = object_info_.get();
  ResetOnExit reset(s);
  sqlite3_bind_int64(s, 1, id);
  const int rc = sqlite3_step(s);
  if (rc == SQLITE_DONE) return kErrNoSuchObject;
  if (rc != SQLITE_ROW) return kErrDatabaseRead;
  *type = WORD(sqlite3_column_int(s, 0));
  *object_class = WORD(sqlite3_column_int(s, 1));
  *size = DWORD(sqlite3_column_int64(s, 2));
  return kOk;
}

STATUS Database::CopyObject(DWORD id, std::FILE* out) {
  sqlite3_blob* blob = nullptr;
  if (sqlite3_blob_open(db_, "main", "objects", "data", id, 0, &blob) != SQLITE_OK) {
    sqlite3_blob_close(blob);
    return kErrNoSuchObject;
  }
  const int size = sqlite3_blob_bytes(blob);
  std::vector<char> buffer(size_t(std::min(size, 1 << 20)));
  STATUS status = kOk;
  for (int at = 0; at < size;) {
    const int n = std::min(size - at, int(buffer.size()));
    if (sqlite3_blob_read(blob, buffer.data(), n, at) != SQLITE_OK) {
      status = kErrDatabaseRead;
      break;
    }
    if (std::fwrite(buffer.data(), 1, size_t(n), out) != size_t(n)) {
      status = kErrFileWrite;
      break;
    }
    at += n;
  }
  sqlite3_blob_close(blob);
  return status;
}

STATUS Database::ReadViewIndex(NOTEID view_id, std::vector<NOTEID>* entries) {
  Statement s;
  if (!s.Prepare(db_, "SELECT v.note_ids, n.class FROM notes n LEFT JOIN view_index v"
                      " ON v.view = n.id WHERE n.id = ? AND n.deleted = 0"))
    return kErrDatabaseRead;
  sqlite3_bind_int64(s.get(), 1, view_id);
  const int rc = sqlite3_step(s.get());
  if (rc == SQLITE_DONE) return kErrNoSuchView;
  if (rc != SQLITE_ROW) return kErrDatabaseRead;
  if (sqlite3_column_int(s.get(), 1) != NOTE_CLASS_VIEW) return kErrNoSuchView;
  const unsigned char* blob = static_cast<const unsigned char*>(sqlite3_column_blob(s.get(), 0));
  const size_t size = size_t(sqlite3_column_bytes(s.get(), 0));
  if (size % 4) return kErrDamagedData;
  entries->resize(size / 4);
  for (size_t i = 0; i < entries->size(); ++i) (*entries)[i] = LoadDword(blob + 4 * i);
  return kOk;
}

STATUS Database::ReadViewCategories(NOTEID view_id, std::vector<CollectionEntry>* categories) {
  Statement s;
  if (!s.Prepare(db_, "SELECT position, level, label FROM view_categories WHERE view = ?"
                      " ORDER BY position"))
    return kErrDatabaseRead;
  sqlite3_bind_int64(s.get(), 1, view_id);
  categories->clear();
  int rc;
  while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
    CollectionEntry e;
    e.id = NOTEID(sqlite3_column_int64(s.get(), 0));  // here: the position
    e.level = sqlite3_column_int(s.get(), 1);
    const unsigned char* label = sqlite3_column_text(s.get(), 2);
    e.label = label ? reinterpret_cast<const char*>(label) : "";
    categories->push_back(std::move(e));
  }
  return rc == SQLITE_DONE ? kOk : kErrDatabaseRead;
}

STATUS DatabaseWriter::Create(const std::string& path, const std::string& title,
                              std::unique_ptr<DatabaseWriter>* out) {
  std::unique_ptr<DatabaseWriter> w(new DatabaseWriter);
  if (sqlite3_open_v2(path.c_str(), &w->db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK)
    return kErrDatabaseCreate;
  if (sqlite3_exec(w->db_, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_exec(w->db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
    return kErrDatabaseCreate;
  Statement meta;
  if (!meta.Prepare(w->db_, "INSERT INTO meta(key, value) VALUES ('format', ?), "
                            "('version', ?), ('title', ?)"))
    return kErrDatabaseCreate;
  sqlite3_bind_text(meta.get(), 1, kFormatName, -1, SQLITE_STATIC);
  sqlite3_bind_int(meta.get(), 2, kFormatVersion);
  sqlite3_bind_text(meta.get(), 3, title.data(), int(title.size()), SQLITE_TRANSIENT);
  if (sqlite3_step(meta.get()) != SQLITE_DONE ||
      !w->add_note_.Prepare(w->db_, "INSERT INTO notes(id, class, unid, modified, deleted, "
                                    "items) VALUES (?, ?, ?, ?, ?, ?)") ||
      !w->add_object_.Prepare(w->db_,
                              "INSERT INTO objects(type, class, data) VALUES (?, ?, ?)"))
    return kErrDatabaseCreate;
  *out = std::move(w);
  return kOk;
}

DatabaseWriter::~DatabaseWriter() {
  add_note_.Prepare(nullptr, nullptr);
  add_object_.Prepare(nullptr, nullptr);
  sqlite3_close_v2(db_);
}

STATUS DatabaseWriter::AddNote(const NoteHeader& header, const std::string& items_blob) {
  sqlite3_stmt* s = add_note_.get();
  ResetOnExit reset(s);
  const std::string unid = UnidToBlob(header.unid);
  sqlite3_bind_int64(s, 1, header.id);
  sqlite3_bind_int(s, 2, header.note_class);
  sqlite3_bind_blob(s, 3, unid.data(), 16, SQLITE_TRANSIENT);
  sqlite3_bind_int64(s, 4, int64_t(TimeKey(header.modified)));
  sqlite3_bind_int(s, 5, header.deleted ? 1 : 0);
  sqlite3_bind_blob64(s, 6, items_blob.data(), items_blob.size(), SQLITE_STATIC);
  return sqlite3_step(s) == SQLITE_DONE ? kOk : kErrDatabaseCreate;
}

STATUS DatabaseWriter::AddObject(WORD type, WORD object_class, const std::string& data,
                                 DWORD* id) {
  sqlite3_stmt* s = add_object_.get();
  ResetOnExit reset(s);
  sqlite3_bind_int(s, 1, type);
  sqlite3_bind_int(s, 2, object_class);
  sqlite3_bind_blob64(s, 3, data.data(), data.size(), SQLITE_STATIC);
  if (sqlite3_step(s) != SQLITE_DONE) return kErrDatabaseCreate;
  *id = DWORD(sqlite3_last_insert_rowid(db_));
  return kOk;
}

STATUS DatabaseWriter::AddViewIndex(NOTEID view_id, const std::vector<CollectionEntry>& entries) {
  std::string ids;
  ids.reserve(entries.size() * 4);
  Statement category;
  if (!category.Prepare(db_, "INSERT INTO view_categories(view, position, level, label)"
                             " VALUES (?, ?, ?, ?)"))
    return kErrDatabaseCreate;
  for (size_t i = 0; i < entries.size(); ++i) {
    PutDword(&ids, entries[i].id);
    if (!(entries[i].id & NOTEID_CATEGORY)) continue;
    sqlite3_bind_int64(category.get(), 1, view_id);
    sqlite3_bind_int64(category.get(), 2, int64_t(i));
    sqlite3_bind_int(category.get(), 3, entries[i].level);
    sqlite3_bind_text(category.get(), 4, entries[i].label.data(), int(entries[i].label.size()),
                      SQLITE_TRANSIENT);
    const int rc = sqlite3_step(category.get());
    sqlite3_reset(category.get());
    if (rc != SQLITE_DONE) return kErrDatabaseCreate;
  }
  Statement index;
  if (!index.Prepare(db_, "INSERT INTO view_index(view, note_ids) VALUES (?, ?)"))
    return kErrDatabaseCreate;
  sqlite3_bind_int64(index.get(), 1, view_id);
  sqlite3_bind_blob64(index.get(), 2, ids.data(), ids.size(), SQLITE_STATIC);
  return sqlite3_step(index.get()) == SQLITE_DONE ? kOk : kErrDatabaseCreate;
}

STATUS DatabaseWriter::Begin() {
  return sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK ? kOk
                                                                            : kErrDatabaseCreate;
}

STATUS DatabaseWriter::FlushToDisk(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return kErrDatabaseCreate;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced ? kOk : kErrDatabaseCreate;
}

STATUS DatabaseWriter::Commit() {
  return sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK
             ? kOk
             : kErrDatabaseCreate;
}

}  // namespace notes
