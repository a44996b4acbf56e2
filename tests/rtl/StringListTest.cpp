#include <gtest/gtest.h>

#include "rtl/StringList.h"

using namespace vcl;

TEST(StringList, TextSplitsAnyLineEndAndJoinsWithCrLf) {
  TStringList l;
  l.SetText("a\r\nb\nc\rd");
  ASSERT_EQ(l.Count(), 4);
  EXPECT_EQ(l[3], "d");
  EXPECT_EQ(l.Text(), "a\r\nb\r\nc\r\nd\r\n");
}

TEST(StringList, SortedListKeepsOrderAndHonoursDuplicates) {
  TStringList l;
  l.SetSorted(true);
  l.Add("b");
  l.Add("A");
  l.Add("c");
  EXPECT_EQ(l.Add("B"), 1);  // dupIgnore: the existing index
  EXPECT_EQ(l.Count(), 3);
  EXPECT_EQ(l[0], "A");
  l.SetDuplicates(TDuplicates::dupError);
  EXPECT_THROW(l.Add("C"), EListError);
  l.SetDuplicates(TDuplicates::dupAccept);
  l.Add("c");
  EXPECT_EQ(l.Count(), 4);
  EXPECT_THROW(l.Insert(0, "x"), EListError);
}

TEST(StringList, IndexOfAndValuesIgnoreCase) {
  TStringList l;
  l.Add("Count=3");
  l.Add("\xD4\xE0\xE9\xEB=1");  // "Файл=1"
  EXPECT_EQ(l.IndexOf("count=3"), 0);
  EXPECT_EQ(l.Values("COUNT"), "3");
  EXPECT_EQ(l.Values("\xF4\xC0\xC9\xCB"), "1");  // "фАЙЛ"
  EXPECT_EQ(l.Names(1), "\xD4\xE0\xE9\xEB");
  EXPECT_THROW(l.Get(2), EListError);
}

TEST(StringList, OwnedObjectsAreFreed) {
  static int freed;
  freed = 0;
  struct Obj : TObject { ~Obj() override { freed++; } };
  {
    TStringList l;
    l.SetOwnsObjects(true);
    l.AddObject("a", new Obj);
    l.AddObject("b", new Obj);
    l.Delete(0);
    EXPECT_EQ(freed, 1);
  }
  EXPECT_EQ(freed, 2);
}
