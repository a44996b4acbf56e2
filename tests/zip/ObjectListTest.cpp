// TObjectList and TSortedObjectList: growth, limits, positions, duplicates, ownership.
#include <gtest/gtest.h>

#include "zip/kpCntn.h"

using namespace kp;

namespace {

// Counts live instances, so a test sees what a list freed.
struct Counted : TObject {
  explicit Counted(int AKey = 0) : Key(AKey) { ++Alive; }
  ~Counted() override { --Alive; }
  int Key;
  static int Alive;
};
int Counted::Alive = 0;

class KeyList : public TSortedObjectList {
 public:
  using TSortedObjectList::TSortedObjectList;
  int Compare(TObject* A, TObject* B) override {
    return static_cast<Counted*>(A)->Key - static_cast<Counted*>(B)->Key;
  }
};

TEST(ObjectList, AddOnAFullListGrowsByTheSpecifiedSteps) {
  const struct { int capacity, grown; } cases[] = {{0, 4}, {4, 8}, {5, 13}, {8, 16}, {9, 25}};
  for (const auto& c : cases) {
    TObjectList list;
    list.SetOwnsItems(false);
    list.SetCapacity(c.capacity);
    list.SetCount(c.capacity);
    list.Add(nullptr);
    EXPECT_EQ(list.ItemCapacity(), c.grown) << "capacity " << c.capacity;
    EXPECT_EQ(list.ItemCount(), c.capacity + 1);
  }
}

TEST(ObjectList, LimitsAreBelow65535) {
  TObjectList list;
  list.SetCapacity(65534);
  EXPECT_EQ(list.ItemCapacity(), 65534);
  EXPECT_THROW(list.SetCapacity(65535), EListError);
  EXPECT_THROW(list.SetCount(65535), EListError);
  EXPECT_THROW(list.SetCount(-1), EListError);
  list.SetCount(3);
  EXPECT_THROW(list.SetCapacity(2), EListError);  // below the count
  EXPECT_EQ(list.GetItem(2), nullptr);            // new slots are null
  list.SetCount(0);
}

TEST(ObjectList, IndexRangesAndEmptyLists) {
  TObjectList list;
  list.SetOwnsItems(false);
  Counted a, b, x;
  EXPECT_THROW(list.First(), EListError);
  EXPECT_THROW(list.Last(), EListError);
  list.Add(&a);
  list.Insert(list.ItemCount(), &b);  // appends
  EXPECT_EQ(list.Last(), &b);
  EXPECT_THROW(list.Insert(list.ItemCount() + 1, &x), EListError);
  EXPECT_THROW(list.Insert(-1, &x), EListError);
  EXPECT_THROW(list.GetItem(2), EListError);
  EXPECT_THROW(list.PutItem(2, &x), EListError);
  try {
    list.GetItem(-1);
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "");
  }
  list.PutItem(0, &x);
  EXPECT_EQ(list.IndexOf(&x), 0);
  EXPECT_EQ(list.IndexOf(&a), -1);
}

TEST(ObjectList, Neighbour) {
  TObjectList list;
  list.SetOwnsItems(false);
  Counted i0, i1, i2, stranger;
  list.Add(&i0);
  list.Add(&i1);
  list.Add(&i2);
  EXPECT_EQ(list.Neighbour(nullptr, true), &i0);
  EXPECT_EQ(list.Neighbour(nullptr, false), &i2);
  EXPECT_EQ(list.Neighbour(&i1, true), &i2);
  EXPECT_EQ(list.Neighbour(&i1, false), &i0);
  EXPECT_EQ(list.Neighbour(&i2, true), nullptr);
  EXPECT_EQ(list.Neighbour(&i0, false), nullptr);
  try {
    list.Neighbour(&stranger, true);
    FAIL() << "no exception";
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "tObject Counted not in item list");
  }
}

TEST(ObjectList, ClearKeepsItemsAliveDestructionFreesThem) {
  const int before = Counted::Alive;
  auto* a = new Counted;
  auto* b = new Counted;
  {
    TObjectList list;
    list.Add(a);
    list.Add(b);
    list.Clear();
    EXPECT_EQ(list.ItemCount(), 0);
    EXPECT_EQ(list.ItemCapacity(), 0);
    EXPECT_EQ(Counted::Alive, before + 2);
    list.Add(a);
    list.Add(b);
  }
  EXPECT_EQ(Counted::Alive, before);
}

TEST(SortedObjectList, AcceptPutsNewEqualsBeforeOldOnes) {
  KeyList list(dmAccept);
  Counted five1(5), three(3), five2(5);
  list.SetOwnsItems(false);
  EXPECT_EQ(list.Add(&five1), 0);
  EXPECT_EQ(list.Add(&three), 0);  // the position is not reported
  list.Add(&five2);
  ASSERT_EQ(list.ItemCount(), 3);
  EXPECT_EQ(list.GetItem(0), &three);
  EXPECT_EQ(list.GetItem(1), &five2);
  EXPECT_EQ(list.GetItem(2), &five1);
  EXPECT_EQ(list.IndexOf(&five1), 1);  // by key: the first of the equals
  Counted four(4);
  EXPECT_EQ(list.IndexOf(&four), -1);
  int32_t at = -1;
  EXPECT_FALSE(list.Search(&four, at));
  EXPECT_EQ(at, 1);
}

TEST(SortedObjectList, IgnoreAndErrorOnEqualKeys) {
  const int before = Counted::Alive;
  {
    KeyList ignoring(dmIgnore);
    ignoring.Add(new Counted(1));
    Counted rejected(1);
    ignoring.Add(&rejected);
    EXPECT_EQ(ignoring.ItemCount(), 1);
    EXPECT_EQ(rejected.Key, 1);  // still alive, still the caller's

    KeyList strict(dmError);
    strict.Add(new Counted(7));
    Counted duplicate(7);
    try {
      strict.Insert(5, &duplicate);
      FAIL() << "no exception";
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), "Duplicate Object index");
    }
    EXPECT_EQ(strict.ItemCount(), 1);
    try {
      strict.PutItem(0, &duplicate);
      FAIL() << "no exception";
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message(), "Cannot <Put> an Object in a sorted list!");
    }
    Counted c3(3), c9(9);
    strict.SetOwnsItems(false);
    strict.Insert(99, &c9);  // the index does not matter
    strict.Insert(0, &c3);
    EXPECT_EQ(strict.GetItem(0), &c3);
    EXPECT_EQ(strict.GetItem(2), &c9);
    delete strict.GetItem(1);
  }
  EXPECT_EQ(Counted::Alive, before);
}

}  // namespace
