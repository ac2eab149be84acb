#include <cstring>

#include "lists.h"
#include "test_util.h"

namespace {

TEST(Ods, Lengths) {
  const struct {
    WORD type, length;
  } cases[] = {{_WORD, 2}, {_DWORD, 4}, {_OBJECT_DESCRIPTOR, 6}, {_FILEOBJECT, 34},
               {_TEXT_RUN, 8}, {_STYLED_TEXT, 10}, {_COUNTED_TEXT, 12}, {999, 0}};
  for (const auto& c : cases) EXPECT_EQ(ODSLength(c.type), c.length) << c.type;
}

TEST(Ods, ReadsLittleEndianAndMovesOn) {
  const unsigned char bytes[34] = {0x00, 0x00, 0x78, 0x56, 0x34, 0x12,  // descriptor
                                   0x05, 0x00, 0x00, 0x07,              // name length, host
                                   0, 0, 0, 0, 0x10, 0x00, 0x00, 0x00};  // ..., size 16
  const unsigned char* p = bytes;
  FILEOBJECT f;
  ODSReadMemory(&p, _FILEOBJECT, &f, 1);
  EXPECT_EQ(p, bytes + 34);
  EXPECT_EQ(f.Header.ObjectType, 0);
  EXPECT_EQ(f.Header.RRV, 0x12345678u);
  EXPECT_EQ(f.FileNameLength, 5);
  EXPECT_EQ(f.HostType, 0x0700);
  EXPECT_EQ(f.FileSize, 16u);

  const unsigned char counted[12] = {0xCA, 0xFF, 0x0E, 0x00, 0x02, 0x00};
  p = counted;
  COUNTED_TEXT c;
  ODSReadMemory(&p, _COUNTED_TEXT, &c, 1);
  EXPECT_EQ(c.Header.Signature, 0xFFCA);
  EXPECT_EQ(c.Header.Length, 14);
  EXPECT_EQ(c.TextLength, 2);
  EXPECT_EQ(p, counted + 12);
}

TEST(TextList, EntriesAndBounds) {
  std::string list;
  ASSERT_TRUE(notes::EncodeTextList({"ab", "", "cde"}, &list));
  const auto* data = reinterpret_cast<const unsigned char*>(list.data());
  char* text;
  WORD length;
  ASSERT_EQ(ListGetText(data, 0, 2, &text, &length), NOERROR);
  EXPECT_EQ(std::string(text, length), "cde");
  ASSERT_EQ(ListGetText(data, 0, 1, &text, &length), NOERROR);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(notes_test::Text(ListGetText(data, 0, 3, &text, &length)),
            "List entry number is out of range");
  // Lengths that run past the data, with the data's end known.
  std::string damaged = list;
  damaged[6] = 100;
  const auto* d = reinterpret_cast<const unsigned char*>(damaged.data());
  EXPECT_EQ(notes::TextListEntry(d, d + damaged.size(), 2, const_cast<const char**>(&text), &length),
            notes::kErrListDamaged);
}

}  // namespace
