#pragma once
// Object lists: TObjectList keeps references in insertion order, TSortedObjectList
// keeps them in the order of its Compare. Neither knows anything about ZIP.
#include <cstdint>
#include <memory>

#include "rtl/Classes.h"

namespace kp {
using namespace vcl;

// What adding an item whose key is already present does.
enum TDuplicateMode : uint8_t { dmIgnore = 0, dmAccept = 1, dmError = 2 };

// Counts and capacities stay below this; 65535 and more raise EListError.
constexpr int32_t MaxListItems = 65535;

class TObjectList : public TPersistent {
 public:
  TObjectList();
  // Frees every item when OwnsItems (through FreeItem), then the slots.
  ~TObjectList() override;
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;

  virtual void RaiseRangeError();  // EListError with an empty message
  virtual void Grow();
  virtual void PutItem(int32_t Index, TObject* Item);
  virtual void FreeItem(TObject* Item);
  // Appends; returns the new position.
  virtual int32_t Add(TObject* Item);
  // Forgets every item without freeing any.
  virtual void Clear();
  virtual int32_t IndexOf(TObject* Item);
  virtual void Insert(int32_t Index, TObject* Item);
  virtual TObject* First();
  virtual TObject* Last();
  // The item after (Forward) or before Item, null past either end; a null Item
  // gives First or Last. EListError when Item is not in the list.
  virtual TObject* Neighbour(TObject* Item, bool Forward);

  TObject* GetItem(int32_t Index) const;
  void SetCapacity(int32_t N);
  void SetCount(int32_t N);

  int32_t ItemCount() const { return FItemCount; }
  int32_t ItemCapacity() const { return FItemCapacity; }
  bool OwnsItems() const { return FOwnsItems; }
  void SetOwnsItems(bool Value) { FOwnsItems = Value; }

 protected:
  bool FOwnsItems = true;
  std::unique_ptr<TObject*[]> FSlots;
  int32_t FItemCount = 0;
  int32_t FItemCapacity = 0;
};

class TSortedObjectList : public TObjectList {
 public:
  explicit TSortedObjectList(TDuplicateMode ADuplicateMode);

  // A sorted list decides positions itself: always EListError.
  void PutItem(int32_t Index, TObject* Item) override;
  // Inserts in key order; returns 0 (the position is not reported).
  int32_t Add(TObject* Item) override;
  // Position of an item with an equal key, -1 when there is none.
  int32_t IndexOf(TObject* Item) override;
  // Index is ignored: the item goes where its key belongs.
  void Insert(int32_t Index, TObject* Item) override;

  virtual TObject* KeyOf(TObject* Item);
  // Negative, zero or positive as Key1 sorts before, with or after Key2.
  virtual int Compare(TObject* Key1, TObject* Key2);
  // Binary search: true when an equal key is present. Index is its position
  // (the first of the equals with dmAccept) or where Key would be inserted.
  virtual bool Search(TObject* Key, int32_t& Index);

  TDuplicateMode DuplicateMode() const { return FDuplicateMode; }
  void SetDuplicateMode(TDuplicateMode Value) { FDuplicateMode = Value; }

 protected:
  TDuplicateMode FDuplicateMode;
};

}  // namespace kp
