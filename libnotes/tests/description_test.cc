// The JSON description: bad descriptions name their place and leave nothing.
#include <sys/stat.h>

#include "description.h"
#include "test_util.h"

namespace {

TEST(Description, BadDescriptionsNameThePlace) {
  const struct {
    const char* json;
    const char* error;
  } cases[] = {
      {"[1]", "description: must be an object"},
      {"{\"notes\": 3}", "notes: must be an array"},
      {"{\"notes\": [{\"id\": 6}]}", "notes[0].id: must be a multiple of 4 from 4 to 0x7FFFFFFC"},
      {"{\"notes\": [{\"id\": 4}, {\"id\": 4}]}", "notes[1].id: is used twice"},
      {"{\"notes\": [{\"items\": [{\"name\": \"a\", \"type\": \"number\", \"value\": \"x\"}]}]}",
       "notes[0].items[0].value: must be a number"},
      {"{\"notes\": [{}, {\"items\": [{}, {\"name\": \"a\", \"type\": \"blob\"}]}]}",
       "notes[1].items[0].name: is required"},
      {"{\"notes\": [{\"items\": [{\"name\": \"a\", \"type\": \"time\", \"value\": \"soon\"}]}]}",
       "notes[0].items[0].value: is not a time text (YYYY-MM-DDTHH:MM:SS.hhZ): \"soon\""},
      {"{\"notes\": [{\"unid\": \"ABC\"}]}", "notes[0].unid: must be 32 lowercase hexadecimal digits"},
      {"{\"notes\": [{\"items\": [{\"name\": \"a\", \"type\": 7}]}]}",
       "notes[0].items[0]: an item of a numeric type needs \"hex\""},
      {"{\"notes\": [{\"items\": [{\"name\": \"r\", \"type\": \"richtext\", \"value\": [{\"sig\": \"0x1234\"}]}]}]}",
       "notes[0].items[0].value[0].sig: must be 0x0000-0x00FF or 0xFF00-0xFFFF (give byte-form records as hex)"},
      {"{\"views\": [{\"title\": \"V\", \"columns\": [{\"item\": \"x\", \"sort\": \"up\"}]}]}",
       "views[0].columns[0].sort: must be \"ascending\" or \"descending\""},
      {"{\"notes\": [], \"extra\": 1}", "extra: unknown key"},
      // Found by fuzzing: a key holding a newline made the error two lines.
      {"{\"notes\": [{\"it\\nems\": []}]}", "notes[0].it\\nems: unknown key"},
      {"{\"views\": [{\"title\": \"V\", \"selection\": \"SELECT Form =\"}]}",
       "views[0].selection: Formula ends unexpectedly"},
      // Found by fuzzing: a number too large for JSON's doubles ended the process.
      {"-4e800", "description: not valid JSON: [json.exception.out_of_range.406] number overflow "
                 "parsing '-4e800'"},
  };
  const std::string out = notes_test::TempDir() + "/bad.nsf";
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(notes::BuildDatabase(c.json, ".", out, &error)) << c.json;
    EXPECT_EQ(error, c.error) << c.json;
    struct stat st;
    EXPECT_NE(stat(out.c_str(), &st), 0) << "left a file for " << c.json;
  }
}

TEST(Description, DumpBuildsTheSameDatabaseAgain) {
  const std::string first = notes_test::BuildDb(R"({"title": "T", "notes": [
    {"id": 8, "unid": "0123456789abcdef0123456789abcdef", "items": [
      {"name": "t", "type": "text", "value": "x"},
      {"name": "b", "type": "text", "hex": "ff00"},
      {"name": "l", "type": "textlist", "value": ["a", "b"]},
      {"name": "n", "type": "numberlist", "value": [1.5]},
      {"name": "d", "type": "timelist", "value": ["2026-01-01"]},
      {"name": "r", "type": "richtext", "value": [{"text": "odd"}, {"sig": "0xFFCA", "text": ""},
                                                  {"sig": "0x0040"}, {"hex": "0141"}]},
      {"name": "$FILE", "type": "attachment", "filename": "f", "host": 1792, "content": "c"},
      {"name": "$FILE", "type": "attachment", "filename": "g", "object": "missing"}]},
    {"id": 12, "deleted": true}],
    "views": [{"title": "V", "aliases": ["v2"], "columns": [{"item": "t", "categorized": true}]}]})");
  std::string once, twice, error;
  ASSERT_TRUE(notes::DumpDatabase(first, &once, &error)) << error;
  const std::string second = notes_test::TempDir() + "/again.nsf";
  ASSERT_TRUE(notes::BuildDatabase(once, ".", second, &error)) << error;
  ASSERT_TRUE(notes::DumpDatabase(second, &twice, &error)) << error;
  EXPECT_EQ(once, twice);
  EXPECT_NE(once.find("\"unid\": \"0123456789abcdef0123456789abcdef\""), std::string::npos);
}

}  // namespace
