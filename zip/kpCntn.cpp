#include "zip/kpCntn.h"

#include <cstring>

namespace kp {

TObjectList::TObjectList() = default;

TObjectList::~TObjectList() {
  for (int32_t i = 0; i < FItemCount; ++i) FreeItem(FSlots[i]);
  Clear();
}

void TObjectList::RaiseRangeError() { throw EListError(""); }

void TObjectList::Grow() {
  int32_t delta = FItemCapacity > 8 ? 16 : (FItemCapacity > 4 ? 8 : 4);
  SetCapacity(FItemCapacity + delta);
}

void TObjectList::PutItem(int32_t Index, TObject* Item) {
  if (Index < 0 || Index >= FItemCount) RaiseRangeError();
  FSlots[Index] = Item;
}

void TObjectList::FreeItem(TObject* Item) {
  if (FOwnsItems) delete Item;
}

int32_t TObjectList::Add(TObject* Item) {
  int32_t position = FItemCount;
  TObjectList::Insert(position, Item);
  return position;
}

void TObjectList::Clear() {
  SetCount(0);
  SetCapacity(0);
}

int32_t TObjectList::IndexOf(TObject* Item) {
  for (int32_t i = 0; i < FItemCount; ++i)
    if (FSlots[i] == Item) return i;
  return -1;
}

void TObjectList::Insert(int32_t Index, TObject* Item) {
  if (Index < 0 || Index > FItemCount) RaiseRangeError();
  if (FItemCount == FItemCapacity) Grow();
  std::memmove(&FSlots[Index + 1], &FSlots[Index], sizeof(TObject*) * (FItemCount - Index));
  FSlots[Index] = Item;
  ++FItemCount;
}

TObject* TObjectList::First() { return GetItem(0); }

TObject* TObjectList::Last() { return GetItem(FItemCount - 1); }

TObject* TObjectList::Neighbour(TObject* Item, bool Forward) {
  if (Item == nullptr) return Forward ? First() : Last();
  int32_t position = IndexOf(Item);
  if (position < 0) throw EListError(Format("tObject %s not in item list", Item->ClassName().c_str()));
  position += Forward ? 1 : -1;
  if (position < 0 || position >= FItemCount) return nullptr;
  return FSlots[position];
}

TObject* TObjectList::GetItem(int32_t Index) const {
  if (Index < 0 || Index >= FItemCount) const_cast<TObjectList*>(this)->RaiseRangeError();
  return FSlots[Index];
}

void TObjectList::SetCapacity(int32_t N) {
  if (N == FItemCapacity) return;
  if (N < FItemCount || N >= MaxListItems) RaiseRangeError();
  std::unique_ptr<TObject*[]> slots;
  if (N > 0) {
    slots.reset(new TObject*[N]);
    if (FItemCount > 0) std::memcpy(slots.get(), FSlots.get(), sizeof(TObject*) * FItemCount);
  }
  FSlots = std::move(slots);
  FItemCapacity = N;
}

void TObjectList::SetCount(int32_t N) {
  if (N < 0 || N >= MaxListItems) RaiseRangeError();
  if (N > FItemCapacity) SetCapacity(N);
  for (int32_t i = FItemCount; i < N; ++i) FSlots[i] = nullptr;
  FItemCount = N;
}

TSortedObjectList::TSortedObjectList(TDuplicateMode ADuplicateMode)
    : FDuplicateMode(ADuplicateMode) {}

void TSortedObjectList::PutItem(int32_t, TObject*) {
  throw EListError("Cannot <Put> an Object in a sorted list!");
}

int32_t TSortedObjectList::Add(TObject* Item) {
  Insert(0, Item);
  return 0;
}

int32_t TSortedObjectList::IndexOf(TObject* Item) {
  int32_t position = 0;
  return Search(KeyOf(Item), position) ? position : -1;
}

void TSortedObjectList::Insert(int32_t, TObject* Item) {
  int32_t position = 0;
  if (Search(KeyOf(Item), position)) {
    if (FDuplicateMode == dmIgnore) return;
    if (FDuplicateMode == dmError) throw EListError("Duplicate Object index");
  }
  TObjectList::Insert(position, Item);
}

TObject* TSortedObjectList::KeyOf(TObject* Item) { return Item; }

int TSortedObjectList::Compare(TObject*, TObject*) {
  // A descendant that does not supply the order: the run time's abstract error.
  throw Exception("Abstract Error");
}

bool TSortedObjectList::Search(TObject* Key, int32_t& Index) {
  int32_t lo = 0;
  int32_t hi = FItemCount - 1;
  bool found = false;
  while (lo <= hi) {
    int32_t mid = static_cast<int32_t>((static_cast<uint32_t>(lo) + static_cast<uint32_t>(hi)) >> 1);
    int c = Compare(KeyOf(FSlots[mid]), Key);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (FDuplicateMode != dmAccept) lo = mid;
      }
    }
  }
  Index = lo;
  return found;
}

}  // namespace kp
