// First checks of the line store: lines in, lines out.
#include <gtest/gtest.h>

#include "document/src_stream.h"
#include "document/string_list.h"

namespace torvane {
namespace {

TEST(StringListSmoke, ReadsAndWritesLines) {
  TSrcEditStringList store;
  TSrcMemoryStream in(std::string("a\r\nb\r\n"));
  store.ReadFromStream(in);
  ASSERT_EQ(store.LineCount(), 2);
  EXPECT_EQ(store.GetLine(0), "a");
  EXPECT_EQ(store.GetLine(1), "b");
  EXPECT_EQ(store.FileFormat(), sffDos);
  TSrcMemoryStream out;
  store.WriteToStream(out);
  EXPECT_EQ(out.Bytes(), "a\r\nb");
}

}  // namespace
}  // namespace torvane
