// The floors of the benchmarks: the same Notes calls as the module, with the
// same conversions into plain C++ values, and no Python at all.
//
//   floor export DB [ITEM...]     search, open, header, item scan, convert, close
//   floor formula DB FORMULA      the same over the documents a formula selects
//   floor search DB               the search alone (its memory does not grow)
//   floor open DB [FORMULA]       the search opening and closing each (matching) note
//   floor view DB TITLE           NIFFindDesignNoteExt, NIFOpenCollection, NIFReadEntries
//   floor orderby SQLITE          SQLite returning the same IDs with ORDER BY on an index
//   floor attach DB OUTDIR        the attachments' bytes copied out with plain file writes
//
// Prints one JSON line: seconds, count and peak RSS.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "notes/notes.h"

namespace {

// What a document becomes: the converted values, kept until the next note.
struct Document {
  NOTEID id = 0;
  std::string unid, modified;
  std::vector<std::pair<std::string, double>> numbers;
  std::vector<std::pair<std::string, std::string>> texts;
  std::vector<std::pair<std::string, std::vector<std::string>>> lists;
  void Clear() {
    numbers.clear();
    texts.clear();
    lists.clear();
  }
};

Document g_doc;
DBHANDLE g_db;
std::vector<std::string> g_names;
long g_count = 0;

std::string TimeText(const TIMEDATE* t) {
  char text[MAXALPHATIMEDATE + 1];
  WORD length = 0;
  ConvertTIMEDATEToText(nullptr, nullptr, t, text, MAXALPHATIMEDATE, &length);
  return std::string(text, length);
}

std::vector<std::string> RichTextRuns(const unsigned char* data, DWORD length) {
  std::vector<std::string> runs;
  DWORD at = 0;
  while (at + 4 <= length) {
    const unsigned char* start = data + at;
    void* p = const_cast<unsigned char*>(start);
    WORD first, word_length;
    DWORD record_length;
    ODSReadMemory(&p, _WORD, &first, 1);
    if ((first >> 8) == 0) {
      if (at + 6 > length) break;
      ODSReadMemory(&p, _DWORD, &record_length, 1);
    } else if ((first >> 8) == 0xFF) {
      ODSReadMemory(&p, _WORD, &word_length, 1);
      record_length = word_length;
    } else {
      record_length = first >> 8;
    }
    if (first == SIG_TEXT_RUN || first == SIG_TEXT_RUN_ALT || first == SIG_STYLED_TEXT) {
      const WORD fixed = ODSLength(first == SIG_STYLED_TEXT ? _STYLED_TEXT : _TEXT_RUN);
      if (record_length > length - at) break;
      if (record_length > fixed || first == SIG_STYLED_TEXT)
        runs.emplace_back(reinterpret_cast<const char*>(start) + fixed, record_length - fixed);
    } else if (first == SIG_COUNTED_TEXT || first == SIG_COUNTED_TEXT_ALT) {
      COUNTED_TEXT c;
      p = const_cast<unsigned char*>(start);
      ODSReadMemory(&p, _COUNTED_TEXT, &c, 1);
      if (12u + c.TextLength > length - at) break;
      runs.emplace_back(reinterpret_cast<const char*>(start) + 12, c.TextLength);
    }
    at += record_length ? record_length : ((first >> 8) == 0 ? 8 : 4);
    at += at & 1;
  }
  return runs;
}

STATUS ConvertItem(WORD, WORD, char* name, WORD name_length, void* value, DWORD value_length,
                   void*) {
  if (!g_names.empty()) {
    bool wanted = false;
    for (const auto& n : g_names)
      if (n.size() == name_length && !std::memcmp(n.data(), name, name_length)) wanted = true;
    if (!wanted) return NOERROR;
  }
  if (value_length < 2) return NOERROR;
  WORD type;
  std::memcpy(&type, value, 2);
  const unsigned char* data = static_cast<unsigned char*>(value) + 2;
  const DWORD length = value_length - 2;
  std::string key(name, name_length);
  switch (type) {
    case TYPE_NUMBER: {
      double d;
      std::memcpy(&d, data, 8);
      g_doc.numbers.emplace_back(std::move(key), d);
      break;
    }
    case TYPE_TIME:
      g_doc.texts.emplace_back(std::move(key), TimeText(reinterpret_cast<const TIMEDATE*>(data)));
      break;
    case TYPE_TEXT:
    case TYPE_HTML:
      g_doc.texts.emplace_back(std::move(key), std::string(reinterpret_cast<const char*>(data), length));
      break;
    case TYPE_TEXT_LIST: {
      WORD count;
      std::memcpy(&count, data, 2);
      std::vector<std::string> entries;
      for (WORD k = 0; k < count; ++k) {
        char* text;
        WORD n;
        if (ListGetText(data, 0, k, &text, &n) == NOERROR) entries.emplace_back(text, n);
      }
      g_doc.lists.emplace_back(std::move(key), std::move(entries));
      break;
    }
    case TYPE_COMPOSITE:
      g_doc.lists.emplace_back(std::move(key), RichTextRuns(data, length));
      break;
  }
  return NOERROR;
}

STATUS VisitNote(void*, SEARCH_MATCH* match, void*) {
  SEARCH_MATCH m;
  std::memcpy(&m, match, sizeof m);
  if (!(m.SERetFlags & SE_FMATCH)) return NOERROR;
  NOTEHANDLE note;
  if (STATUS s = NSFNoteOpenExt(g_db, m.ID.NoteID, 0, &note)) return s;
  ORIGINATORID oid;
  TIMEDATE modified;
  NSFNoteGetInfo(note, _NOTE_OID, &oid);
  NSFNoteGetInfo(note, _NOTE_ID, &g_doc.id);
  NSFNoteGetInfo(note, _NOTE_MODIFIED, &modified);
  char unid[33];
  std::snprintf(unid, sizeof unid, "%08x%08x%08x%08x", oid.Note.Innards[1], oid.Note.Innards[0],
                oid.File.Innards[1], oid.File.Innards[0]);
  g_doc.unid = unid;
  g_doc.modified = TimeText(&modified);
  NSFItemScan(note, ConvertItem, nullptr);
  NSFNoteClose(note);
  g_doc.Clear();
  ++g_count;
  return NOERROR;
}

STATUS OpenNote(void*, SEARCH_MATCH* match, void*) {
  if (!(match->SERetFlags & SE_FMATCH)) return NOERROR;
  NOTEHANDLE note;
  if (STATUS s = NSFNoteOpenExt(g_db, match->ID.NoteID, 0, &note)) return s;
  NSFNoteClose(note);
  ++g_count;
  return NOERROR;
}

STATUS CountNote(void*, SEARCH_MATCH*, void*) {
  ++g_count;
  return NOERROR;
}

// The peak resident set of this program: VmHWM, which starts afresh at exec
// (ru_maxrss would still hold the forking parent's pages).
long PeakRssKb() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  char line[256];
  long kb = -1;
  while (status && std::fgets(line, sizeof line, status))
    if (std::sscanf(line, "VmHWM: %ld kB", &kb) == 1) break;
  if (status) std::fclose(status);
  return kb;
}

int Search(const char* path, const char* formula, NSFSEARCHPROC action) {
  if (NotesInitExtended(0, nullptr) || NSFDbOpen(path, &g_db)) return 1;
  FORMULAHANDLE h = NULLHANDLE;
  if (formula) {
    WORD length, line, column, offset, error_length;
    STATUS error;
    if (NSFFormulaCompile(nullptr, 0, formula, WORD(std::strlen(formula)), &h, &length, &error,
                          &line, &column, &offset, &error_length) || error)
      return 1;
  }
  TIMEDATE since = {{TIMEDATE_NONE, TIMEDATE_NONE}};
  const STATUS s = NSFSearch(g_db, h, nullptr, 0, NOTE_CLASS_DOCUMENT, &since, action, nullptr, nullptr);
  if (h) OSMemFree(h);
  NSFDbClose(g_db);
  NotesTerm();
  return s ? 1 : 0;
}

int View(const char* path, const char* title) {
  if (NotesInitExtended(0, nullptr) || NSFDbOpen(path, &g_db)) return 1;
  NOTEID view;
  HCOLLECTION collection;
  if (NIFFindDesignNoteExt(g_db, title, NOTE_CLASS_VIEW, "-G40n", &view, 0) ||
      NIFOpenCollection(g_db, g_db, view, 0, 0, &collection, nullptr, nullptr, nullptr, nullptr))
    return 1;
  COLLECTIONPOSITION position = {};
  std::vector<NOTEID> ids;
  WORD signal;
  do {
    HANDLE buffer;
    DWORD skipped, returned;
    if (NIFReadEntries(collection, &position, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, 0xFFFF,
                       READ_MASK_NOTEID, &buffer, nullptr, &skipped, &returned, &signal) ||
        !buffer)
      return 1;
    const NOTEID* entries = static_cast<const NOTEID*>(OSLockObject(buffer));
    for (DWORD i = 0; i < returned; ++i)
      if (!(entries[i] & NOTEID_CATEGORY)) ids.push_back(entries[i]);
    OSUnlockObject(buffer);
    OSMemFree(buffer);
  } while (signal & SIGNAL_MORE_TO_DO);
  NIFCloseCollection(collection);
  NSFDbClose(g_db);
  NotesTerm();
  g_count = long(ids.size());
  return 0;
}

int OrderBy(const char* path) {
  sqlite3* db;
  sqlite3_stmt* s;
  if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr) ||
      sqlite3_prepare_v2(db, "SELECT id FROM docs ORDER BY key, id", -1, &s, nullptr))
    return 1;
  std::vector<NOTEID> ids;
  while (sqlite3_step(s) == SQLITE_ROW) ids.push_back(NOTEID(sqlite3_column_int64(s, 0)));
  sqlite3_finalize(s);
  sqlite3_close(db);
  g_count = long(ids.size());
  return 0;
}

int Attach(const char* path, const std::string& outdir) {
  sqlite3* db;
  sqlite3_stmt* s;
  if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READONLY, nullptr) ||
      sqlite3_prepare_v2(db, "SELECT id FROM objects ORDER BY id", -1, &s, nullptr))
    return 1;
  std::vector<char> buffer(1 << 20);
  while (sqlite3_step(s) == SQLITE_ROW) {
    sqlite3_blob* blob;
    const sqlite3_int64 id = sqlite3_column_int64(s, 0);
    if (sqlite3_blob_open(db, "main", "objects", "data", id, 0, &blob)) return 1;
    std::FILE* out = std::fopen((outdir + "/" + std::to_string(g_count) + ".bin").c_str(), "wb");
    if (!out) return 1;
    const int size = sqlite3_blob_bytes(blob);
    for (int at = 0; at < size;) {
      const int n = std::min(size - at, int(buffer.size()));
      sqlite3_blob_read(blob, buffer.data(), n, at);
      std::fwrite(buffer.data(), 1, size_t(n), out);
      at += n;
    }
    std::fclose(out);
    sqlite3_blob_close(blob);
    ++g_count;
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: floor export|formula|search|view|orderby|attach ARGS\n");
    return 2;
  }
  const std::string what = argv[1];
  const auto start = std::chrono::steady_clock::now();
  int rc = 2;
  if (what == "export") {
    for (int i = 3; i < argc; ++i) g_names.emplace_back(argv[i]);
    rc = Search(argv[2], nullptr, VisitNote);
  } else if (what == "formula" && argc == 4) {
    rc = Search(argv[2], argv[3], VisitNote);
  } else if (what == "open") {
    rc = Search(argv[2], argc > 3 ? argv[3] : nullptr, OpenNote);
  } else if (what == "search") {
    rc = Search(argv[2], nullptr, CountNote);
  } else if (what == "view" && argc == 4) {
    rc = View(argv[2], argv[3]);
  } else if (what == "orderby") {
    rc = OrderBy(argv[2]);
  } else if (what == "attach" && argc == 4) {
    rc = Attach(argv[2], argv[3]);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("{\"seconds\": %.6f, \"count\": %ld, \"peak_rss_kb\": %ld}\n", seconds, g_count,
              PeakRssKb());
  return rc;
}
