#pragma once
// Expanding the masks of an add into the item table: one row per file or
// directory to store, in the update callback's arrays.
#include "sevenzip/WideStrings.h"

namespace sevenzip {

class TSevenZip;
class TMyArchiveUpdateCallback;

class TItemTableBuilder {
 public:
  // Reads the owner's AddRootDir, AddOptions and CancelRequested; fills the
  // arrays of Items, which owns them.
  TItemTableBuilder(TSevenZip& AOwner, TMyArchiveUpdateCallback& AItems);

  // One mask: "dir\*filter" walks dir, anything else is taken as one entry.
  void ExpandMask(const WideString& Mask);
  // Cuts the arrays to the rows in use.
  void Finish();

  uint32_t NumItems = 0;
  uint32_t ItemRoom = 0;
  int64_t TotalSize = 0;

 private:
  void AddMaskDirectory(const WideString& Dir);
  void WalkDirectory(const WideString& Dir, const WideString& Filter);
  void AddItem(const WideString& Name, const FILETIME& Time, uint32_t Attributes, int64_t Size);
  void Resize(uint32_t Rows);

  TSevenZip& FOwner;
  TMyArchiveUpdateCallback& FItems;
};

}  // namespace sevenzip
