// The C API as a caller sees it: databases, searches, notes, items,
// objects, the test controls and bad input.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "test_util.h"

namespace {

using notes_test::BuildDb;
using notes_test::Runtime;
using notes_test::Text;

const char* kThreeNotes = R"({"notes": [
  {"id": 12, "modified": "2026-02-01T00:00:00.00Z",
   "items": [{"name": "Subject", "type": "text", "value": "twelve"},
             {"name": "$FILE", "type": "attachment", "filename": "a.bin", "content_hex": "00ff10"},
             {"name": "subject", "type": "number", "value": 2}]},
  {"id": 4, "modified": "2026-01-01T00:00:00.00Z",
   "items": [{"name": "Subject", "type": "text", "value": "four"}]},
  {"id": 8, "deleted": true},
  {"id": 16, "class": 8, "items": []},
  {"id": 20, "modified": "2026-03-01T00:00:00.00Z",
   "items": [{"name": "Subject", "type": "text", "value": "twenty"}]}]})";

struct Visit {
  NOTEID id;
  bool match;
};

STATUS Collect(void* param, SEARCH_MATCH* m, void*) {
  static_cast<std::vector<Visit>*>(param)->push_back({m->ID.NoteID, (m->SERetFlags & SE_FMATCH) != 0});
  return NOERROR;
}

std::vector<Visit> Search(DBHANDLE db, FORMULAHANDLE formula, TIMEDATE since,
                          STATUS* status = nullptr) {
  std::vector<Visit> visits;
  const STATUS s = NSFSearch(db, formula, nullptr, 0, NOTE_CLASS_DOCUMENT, &since, Collect,
                             &visits, nullptr);
  if (status) *status = s;
  else EXPECT_EQ(s, NOERROR);
  return visits;
}

TIMEDATE Wildcard() { return TIMEDATE{{TIMEDATE_NONE, TIMEDATE_NONE}}; }

TIMEDATE Time(const char* text) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s", text);
  char* p = buffer;
  TIMEDATE t;
  EXPECT_EQ(ConvertTextToTIMEDATE(nullptr, nullptr, &p, 64, &t), NOERROR);
  return t;
}

FORMULAHANDLE Compile(const char* text) {
  FORMULAHANDLE h = 0;
  WORD length, line, column, offset, error_length;
  STATUS error = 0;
  EXPECT_EQ(NSFFormulaCompile(nullptr, 0, text, WORD(strlen(text)), &h, &length, &error, &line,
                              &column, &offset, &error_length),
            NOERROR);
  EXPECT_EQ(error, NOERROR);
  return h;
}

TEST(Search, OrderClassesStubsSinceAndMatchFlag) {
  const std::string path = BuildDb(kThreeNotes);
  Runtime runtime;
  DBHANDLE db;
  ASSERT_EQ(NSFDbOpen(path.c_str(), &db), NOERROR);
  auto all = Search(db, 0, Wildcard());
  ASSERT_EQ(all.size(), 3u);  // no stub, no view note, ascending IDs
  EXPECT_EQ(all[0].id, 4u);
  EXPECT_EQ(all[1].id, 12u);
  EXPECT_EQ(all[2].id, 20u);

  FORMULAHANDLE f = Compile("SELECT Subject = \"TWENTY\" | Subject = \"four\"");
  auto matching = Search(db, f, Wildcard());
  ASSERT_EQ(matching.size(), 2u);
  EXPECT_TRUE(matching[0].match && matching[1].match);

  // With a since time: everything modified after it, the flag telling matches.
  auto since = Search(db, f, Time("2026-01-15T00:00:00Z"));
  ASSERT_EQ(since.size(), 2u);
  EXPECT_EQ(since[0].id, 12u);
  EXPECT_FALSE(since[0].match);
  EXPECT_EQ(since[1].id, 20u);
  EXPECT_TRUE(since[1].match);
  EXPECT_EQ(OSMemFree(f), NOERROR);
  EXPECT_EQ(NSFDbClose(db), NOERROR);
}

STATUS StopAtSecond(void* param, SEARCH_MATCH*, void*) {
  return ++*static_cast<int*>(param) == 2 ? STATUS(1234) : NOERROR;
}

TEST(Search, RoutineResultEndsIt) {
  const std::string path = BuildDb(kThreeNotes);
  Runtime runtime;
  DBHANDLE db;
  ASSERT_EQ(NSFDbOpen(path.c_str(), &db), NOERROR);
  int calls = 0;
  TIMEDATE since = Wildcard();
  EXPECT_EQ(NSFSearch(db, 0, nullptr, 0, 1, &since, StopAtSecond, &calls, nullptr), 1234);
  EXPECT_EQ(calls, 2);
  NSFDbClose(db);
}

TEST(Items, LookupWithoutCaseAndEndStatus) {
  const std::string path = BuildDb(kThreeNotes);
  Runtime runtime;
  DBHANDLE db;
  NOTEHANDLE note;
  ASSERT_EQ(NSFDbOpen(path.c_str(), &db), NOERROR);
  ASSERT_EQ(NSFNoteOpenExt(db, 12, 0, &note), NOERROR);
  BLOCKID first, second, third;
  WORD type;
  DWORD length;
  ASSERT_EQ(NSFItemInfo(note, "SUBJECT", 7, &first, &type, nullptr, &length), NOERROR);
  EXPECT_EQ(type, TYPE_TEXT);
  EXPECT_EQ(length, 6u);
  ASSERT_EQ(NSFItemInfoNext(note, first, "SUBJECT", 7, &second, &type, nullptr, &length), NOERROR);
  EXPECT_EQ(type, TYPE_NUMBER);
  EXPECT_EQ(NSFItemInfoNext(note, second, "SUBJECT", 7, &third, &type, nullptr, &length), 546);
  EXPECT_EQ(NSFItemInfo(note, "Subj", 4, &first, &type, nullptr, &length), 546);

  NOTEID id = 0;
  TIMEDATE modified;
  NSFNoteGetInfo(note, _NOTE_ID, &id);
  NSFNoteGetInfo(note, _NOTE_MODIFIED, &modified);
  EXPECT_EQ(id, 12u);
  char text[81];
  WORD n;
  ConvertTIMEDATEToText(nullptr, nullptr, &modified, text, 80, &n);
  EXPECT_EQ(std::string(text, n), "2026-02-01T00:00:00.00Z");
  EXPECT_EQ(NSFNoteClose(note), NOERROR);
  EXPECT_EQ(NSFNoteOpenExt(db, 8, 0, &note), notes::kErrNoteDeleted);
  EXPECT_EQ(NSFNoteOpenExt(db, 400, 0, &note), notes::kErrNoSuchNote);
  NSFDbClose(db);
}

TEST(Objects, ExtractionWritesTheStoredBytes) {
  const std::string path = BuildDb(kThreeNotes);
  Runtime runtime;
  DBHANDLE db;
  NOTEHANDLE note;
  ASSERT_EQ(NSFDbOpen(path.c_str(), &db), NOERROR);
  ASSERT_EQ(NSFNoteOpenExt(db, 12, 0, &note), NOERROR);
  BLOCKID item;
  WORD type, object_class = 0;
  DWORD length, size = 0;
  ASSERT_EQ(NSFItemInfo(note, "$File", 5, &item, &type, nullptr, &length), NOERROR);
  EXPECT_EQ(NSFDbGetObjectSize(db, 1, 0, &size, &object_class, nullptr), NOERROR);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(object_class, 1);
  const std::string out = notes_test::TempDir() + "/extracted.bin";
  ASSERT_EQ(NSFNoteExtractFile(note, item, out.c_str(), nullptr), NOERROR);
  std::ifstream in(out, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  EXPECT_EQ(bytes.str(), std::string("\x00\xff\x10", 3));
  EXPECT_NE(NSFNoteExtractFile(note, item, "/nonexistent-dir/x", nullptr), NOERROR);
  EXPECT_NE(NSFDbGetObjectSize(db, 99, 0, &size, &object_class, nullptr), NOERROR);
  NSFNoteClose(note);
  NSFDbClose(db);
}

TEST(Controls, FaultsByCallAndEveryCall) {
  const std::string path = BuildDb(kThreeNotes);
  {
    Runtime runtime("NSFDbOpen@2=0x0123, NSFNoteClose=77");
    DBHANDLE a, b, c;
    NOTEHANDLE note;
    EXPECT_EQ(NSFDbOpen(path.c_str(), &a), NOERROR);
    EXPECT_EQ(NSFDbOpen(path.c_str(), &b), 0x0123);
    EXPECT_EQ(NSFDbOpen(path.c_str(), &c), NOERROR);
    ASSERT_EQ(NSFNoteOpenExt(a, 4, 0, &note), NOERROR);
    EXPECT_EQ(NSFNoteClose(note), 77);
  }  // NotesTerm closes what is still open
  {
    Runtime runtime("NotesInitExtended=5");
    EXPECT_EQ(runtime.status(), 5);
  }
  {
    Runtime runtime("NSFDbOpen=oops");
    EXPECT_EQ(Text(runtime.status()), "NOTES_FAULTS rule does not parse: 'NSFDbOpen=oops'");
  }
}

TEST(Controls, LeakCheckNamesWhatIsStillOpen) {
  const std::string path = BuildDb(kThreeNotes);
  setenv("NOTES_LEAK_CHECK", "1", 1);
  testing::internal::CaptureStderr();
  {
    Runtime runtime;
    DBHANDLE db;
    NOTEHANDLE note;
    ASSERT_EQ(NSFDbOpen(path.c_str(), &db), NOERROR);
    ASSERT_EQ(NSFNoteOpenExt(db, 4, 0, &note), NOERROR);
  }
  const std::string err = testing::internal::GetCapturedStderr();
  unsetenv("NOTES_LEAK_CHECK");
  EXPECT_NE(err.find("NOTES LEAK: note "), std::string::npos) << err;
  EXPECT_NE(err.find("NOTES LEAK: database "), std::string::npos) << err;
}

TEST(BadInput, HandlesPathsAndFiles) {
  Runtime runtime;
  DBHANDLE db;
  NOTEHANDLE note;
  EXPECT_EQ(NSFDbClose(999), notes::kErrBadHandle);
  EXPECT_EQ(NSFNoteOpenExt(999, 4, 0, &note), notes::kErrBadHandle);
  EXPECT_EQ(NSFNoteClose(0), notes::kErrBadHandle);
  EXPECT_EQ(OSMemFree(12345), notes::kErrBadHandle);
  EXPECT_EQ(OSLockObject(12345), nullptr);
  EXPECT_EQ(NSFItemScan(777, nullptr, nullptr), notes::kErrBadHandle);

  char out[MAXPATH];
  EXPECT_EQ(OSPathNetConstruct(nullptr, "srv", "a.nsf", out), NOERROR);
  EXPECT_STREQ(out, "srv!!a.nsf");
  EXPECT_EQ(OSPathNetConstruct(nullptr, "", std::string(300, 'x').c_str(), out),
            notes::kErrPathTooLong);

  EXPECT_EQ(Text(NSFDbOpen("/nonexistent/x.nsf", &db)), "File does not exist");
  EXPECT_EQ(NSFDbOpen("nobody!!x.nsf", &db), notes::kErrUnknownServer);
  const std::string junk = notes_test::TempDir() + "/junk.nsf";
  std::ofstream(junk) << std::string(5000, 'j');
  EXPECT_EQ(Text(NSFDbOpen(junk.c_str(), &db)), "File is not a Notes database");
  // A real database cut short.
  const std::string path = BuildDb(kThreeNotes);
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string cut = notes_test::TempDir() + "/cut.nsf";
  std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  if (NSFDbOpen(cut.c_str(), &db) == NOERROR) {
    STATUS status;
    Search(db, 0, Wildcard(), &status);
    EXPECT_NE(status, NOERROR);
    NSFDbClose(db);
  }
}

TEST(Servers, MappedDirectoriesWithoutRegardToCase) {
  const std::string path = BuildDb(kThreeNotes);
  const std::string name = path.substr(path.rfind('/') + 1);
  setenv("NOTES_SERVERS", ("other=/tmp;Mail01=" + notes_test::TempDir()).c_str(), 1);
  Runtime runtime;
  DBHANDLE db;
  EXPECT_EQ(NSFDbOpen(("MAIL01!!" + name).c_str(), &db), NOERROR);
  NSFDbClose(db);
  unsetenv("NOTES_SERVERS");
}

}  // namespace
