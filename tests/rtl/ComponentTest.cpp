#include <gtest/gtest.h>

#include "rtl/Classes.h"

using namespace vcl;

namespace {

// Counts destructions so ownership can be observed.
struct Probe : TComponent {
  Probe(TComponent* owner, const char* name, int* freed) : TComponent(owner), Freed(freed) { SetName(name); }
  ~Probe() override { ++*Freed; }
  int* Freed;
};

}  // namespace

TEST(Component, OwnedComponentsAreFreedWithTheirOwner) {
  int freed = 0;
  auto* owner = new Probe(nullptr, "Owner", &freed);
  auto* child = new Probe(owner, "Child", &freed);
  new Probe(child, "Grandchild", &freed);
  new Probe(owner, "Second", &freed);
  EXPECT_EQ(owner->ComponentCount(), 2);
  delete owner;
  EXPECT_EQ(freed, 4);
}

TEST(Component, FreeingAnOwnedComponentRemovesItFromItsOwner) {
  int freed = 0;
  Probe owner(nullptr, "Owner", &freed);
  auto* a = new Probe(&owner, "A", &freed);
  new Probe(&owner, "B", &freed);
  delete a;
  ASSERT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0)->Name(), "B");
  EXPECT_THROW(owner.Components(1), EListError);
}

TEST(Component, FindComponentIgnoresCaseIncludingCyrillic) {
  int freed = 0;
  Probe owner(nullptr, "Owner", &freed);
  new Probe(&owner, "MainFrm", &freed);
  new Probe(&owner, "\xD4\xEE\xF0\xEC\xE0", &freed);  // "Форма"
  EXPECT_NE(owner.FindComponent("mainfrm"), nullptr);
  EXPECT_NE(owner.FindComponent("\xF4\xCE\xD0\xCC\xC0"), nullptr);  // "фОРМА"
  EXPECT_EQ(owner.FindComponent("AppBuilder"), nullptr);
  EXPECT_EQ(owner.FindComponent(""), nullptr);
}

TEST(Component, ClassNameIsTheTypeNameWithoutNamespace) {
  TComponent c(nullptr);
  EXPECT_EQ(c.ClassName(), "TComponent");
}

TEST(Persistent, AssignWithoutSupportRaisesConvertError) {
  TComponent a(nullptr), b(nullptr);
  try {
    a.Assign(&b);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TComponent to a TComponent");
  }
}
