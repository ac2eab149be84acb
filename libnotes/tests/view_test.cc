// Views: finding them, their order, categories and reading in batches.
#include <vector>

#include "test_util.h"

namespace {

const char* kViews = R"({"notes": [
  {"id": 4, "items": [{"name": "Cat", "type": "textlist", "value": ["b", "a"]},
                      {"name": "N", "type": "number", "value": 3},
                      {"name": "S", "type": "text", "value": "Pear"}]},
  {"id": 8, "items": [{"name": "Cat", "type": "text", "value": "A"},
                      {"name": "N", "type": "number", "value": 10},
                      {"name": "S", "type": "text", "value": "apple"}]},
  {"id": 12, "items": [{"name": "N", "type": "number", "value": -1},
                       {"name": "S", "type": "text", "value": "Zed"}]},
  {"id": 16, "items": [{"name": "Cat", "type": "text", "value": "b"},
                       {"name": "S", "type": "text", "value": "fig"}]}],
 "views": [
  {"title": "By Number", "aliases": ["num"], "columns": [{"item": "N", "sort": "descending"}]},
  {"title": "By Text", "columns": [{"item": "S", "sort": "ascending"}]},
  {"title": "By Cat", "selection": "SELECT S != \"Zed\"",
   "columns": [{"item": "Cat", "categorized": true}, {"item": "S", "sort": "ascending"}]},
  {"title": "Hidden", "flags": "G", "columns": []}]})";

// Reads the whole view the way the module does.
std::vector<NOTEID> ReadView(DBHANDLE db, const char* title, int* reads = nullptr,
                             bool* flags_ok = nullptr) {
  NOTEID view;
  HCOLLECTION collection;
  EXPECT_EQ(NIFFindDesignNoteExt(db, title, NOTE_CLASS_VIEW, "-G40n", &view, 0), NOERROR);
  EXPECT_EQ(NIFOpenCollection(db, db, view, 0, 0, &collection, nullptr, nullptr, nullptr, nullptr),
            NOERROR);
  COLLECTIONPOSITION position = {};
  std::vector<NOTEID> ids;
  WORD signal;
  int count = 0;
  if (flags_ok) *flags_ok = true;
  do {
    HANDLE buffer;
    DWORD skipped, returned;
    EXPECT_EQ(NIFReadEntries(collection, &position, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, 0xFFFF,
                             READ_MASK_NOTEID, &buffer, nullptr, &skipped, &returned, &signal),
              NOERROR);
    ++count;
    const NOTEID* entries = static_cast<const NOTEID*>(OSLockObject(buffer));
    ids.insert(ids.end(), entries, entries + returned);
    OSUnlockObject(buffer);
    OSMemFree(buffer);
  } while (signal & SIGNAL_MORE_TO_DO);
  if (reads) *reads = count;
  EXPECT_EQ(NIFCloseCollection(collection), NOERROR);
  return ids;
}

TEST(Views, SortedByNumbersAndTexts) {
  const std::string path = notes_test::BuildDb(kViews);
  notes_test::Runtime runtime;
  DBHANDLE db;
  ASSERT_EQ(NSFDbOpen(path.c_str(), &db), NOERROR);
  // Descending numbers: a missing value sorts first ascending, so last here.
  EXPECT_EQ(ReadView(db, "NUM"), (std::vector<NOTEID>{8, 4, 12, 16}));
  EXPECT_EQ(ReadView(db, "by text"), (std::vector<NOTEID>{8, 16, 4, 12}));
  NSFDbClose(db);
}

TEST(Views, CategoriesWithADocumentUnderEachValue) {
  const std::string path = notes_test::BuildDb(kViews);
  notes_test::Runtime runtime;
  DBHANDLE db;
  ASSERT_EQ(NSFDbOpen(path.c_str(), &db), NOERROR);
  std::vector<NOTEID> ids = ReadView(db, "By Cat");
  // category a: 8 (apple), 4 (Pear); category b: 16 (fig), 4 (Pear)
  ASSERT_EQ(ids.size(), 6u);
  EXPECT_TRUE(ids[0] & NOTEID_CATEGORY);
  EXPECT_EQ(ids[1], 8u);
  EXPECT_EQ(ids[2], 4u);
  EXPECT_TRUE(ids[3] & NOTEID_CATEGORY);
  EXPECT_EQ(ids[4], 16u);
  EXPECT_EQ(ids[5], 4u);
  NSFDbClose(db);
}

TEST(Views, ManyReadsWithTheSignalOnAllButTheLast) {
  std::string json = R"({"notes": [)";
  for (int i = 0; i < 50; ++i)
    json += std::string(i ? "," : "") + R"({"items": [{"name": "N", "type": "number", "value": )" +
            std::to_string(100 - i) + "}]}";
  json += R"(], "views": [{"title": "V", "columns": [{"item": "N", "sort": "ascending"}]}]})";
  const std::string path = notes_test::BuildDb(json);
  notes_test::Runtime runtime(nullptr, "7");
  DBHANDLE db;
  ASSERT_EQ(NSFDbOpen(path.c_str(), &db), NOERROR);
  int reads = 0;
  std::vector<NOTEID> ids = ReadView(db, "V", &reads);
  EXPECT_EQ(reads, 8);  // 7 full reads and one of 1
  ASSERT_EQ(ids.size(), 50u);
  for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(ids[i], 4u * (50 - i));
  NSFDbClose(db);
}

TEST(Views, MissingViewsFlagsAndPatterns) {
  const std::string path = notes_test::BuildDb(kViews);
  notes_test::Runtime runtime("NIFReadEntries@1=nobuffer");
  DBHANDLE db;
  NOTEID view;
  ASSERT_EQ(NSFDbOpen(path.c_str(), &db), NOERROR);
  EXPECT_EQ(notes_test::Text(NIFFindDesignNoteExt(db, "Nope", 8, "-G40n", &view, 0)),
            "View does not exist");
  EXPECT_NE(NIFFindDesignNoteExt(db, "Hidden", 8, "-G40n", &view, 0), NOERROR);
  EXPECT_EQ(NIFFindDesignNoteExt(db, "Hidden", 8, "", &view, 0), NOERROR);
  EXPECT_EQ(NIFFindDesignNoteExt(db, "By Cat", 8, "G40n", &view, 0), notes::kErrFlagPattern);
  HCOLLECTION collection;
  ASSERT_EQ(NIFOpenCollection(db, db, view, 0, 0, &collection, nullptr, nullptr, nullptr, nullptr),
            NOERROR);
  COLLECTIONPOSITION position = {};
  HANDLE buffer = 1;
  DWORD skipped, returned;
  WORD signal;
  EXPECT_EQ(NIFReadEntries(collection, &position, 1, 1, 1, 0xFFFF, 1, &buffer, nullptr, &skipped,
                           &returned, &signal),
            NOERROR);
  EXPECT_EQ(buffer, 0);
  EXPECT_EQ(NIFOpenCollection(db, db, 4, 0, 0, &collection, nullptr, nullptr, nullptr, nullptr),
            notes::kErrNoSuchView);
  NSFDbClose(db);
}

}  // namespace
