// Menu items: finding by caption, and freeing that detaches.
#include <gtest/gtest.h>

#include "vcl/Menus.h"

using namespace vcl;

namespace {

TMenuItem* Add(TMenuItem* parent, const AnsiString& caption) {
  auto* item = new TMenuItem(parent);
  item->SetCaption(caption);
  parent->Add(item);
  return item;
}

TEST(MenuItem, FindIgnoresHotkeyMarkersAndCaseCyrillicIncluded) {
  TMenuItem root(nullptr);
  TMenuItem* file = Add(&root, "&\xD4\xE0\xE9\xEB");                  // "&Файл"
  TMenuItem* settings = Add(&root, "&\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE0");  // "&Настройка"
  TMenuItem* amp = Add(&root, "A&&B");
  struct Case {
    const char* wanted;
    TMenuItem* found;
  } cases[] = {
      {"\xD4\xE0\xE9\xEB", file},                             // "Файл"
      {"\xF4\xC0\xC9\xCB", file},                             // "фАЙЛ"
      {"&\xED\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE0", settings},    // "&настройка"
      {"\xCD\xC0\xD1\xD2\xD0\xCE\xC9&\xCA\xC0", settings},    // "НАСТРОЙ&КА"
      {"a&&b", amp},
      {"a&b", nullptr},  // "A&&B" shows as "A&B"; "a&b" as "ab"
      {"\xD4\xE0\xE9", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) EXPECT_EQ(root.Find(c.wanted), c.found) << c.wanted;
  EXPECT_EQ(StripHotkey("&&x&y&"), "&xy");
}

TEST(MenuItem, FirstMatchWins) {
  TMenuItem root(nullptr);
  TMenuItem* first = Add(&root, "&Same");
  Add(&root, "SAME");
  EXPECT_EQ(root.Find("same"), first);
}

TEST(MenuItem, FreeingAnItemDetachesItAndFreesItsChildren) {
  TMenuItem root(nullptr);
  TMenuItem* a = Add(&root, "a");
  TMenuItem* b = Add(&root, "b");
  Add(b, "b1");
  // A child owned elsewhere is freed with its parent item all the same.
  TComponent other(nullptr);
  auto* foreign = new TMenuItem(&other);
  b->Add(foreign);
  delete b;
  ASSERT_EQ(root.Count(), 1);
  EXPECT_EQ(root.Items(0), a);
  EXPECT_EQ(other.ComponentCount(), 0);
  EXPECT_EQ(root.ComponentCount(), 1);
  EXPECT_THROW(root.Items(1), EMenuError);
}

TEST(MenuItem, AddingAnItemTwiceIsRefused) {
  TMenuItem root(nullptr);
  TMenuItem* a = Add(&root, "a");
  EXPECT_THROW(root.Add(a), EMenuError);
  root.Remove(a);
  EXPECT_EQ(a->Parent(), nullptr);
  root.Insert(0, a);
  EXPECT_EQ(a->Parent(), &root);
}

}  // namespace
