#include "sevenzip/Enumerate.h"

#include "platform/Find.h"
#include "sevenzip/SevenZipVCL.h"
#include "sevenzip/UpdateCallback.h"

namespace sevenzip {

TItemTableBuilder::TItemTableBuilder(TSevenZip& AOwner, TMyArchiveUpdateCallback& AItems)
    : FOwner(AOwner), FItems(AItems) {}

void TItemTableBuilder::ExpandMask(const WideString& Mask) {
  const size_t star = Mask.find(L'*');
  if (star != WideString::npos) {
    // Everything before the first '*' is the directory: C:\a\b*.txt walks
    // C:\a\b\ for ".txt".
    const WideString dir = WideIncludeTrailingBackslash(Mask.substr(0, star));
    const WideString filter = Mask.substr(star + 1, 8);
    AddMaskDirectory(dir);
    WalkDirectory(dir, filter);
    return;
  }
  int64_t size;
  FILETIME time;
  uint32_t attributes;
  if (WideFindFileInfo(Mask, size, time, attributes) >= 0) AddItem(Mask, time, attributes, size);
}

void TItemTableBuilder::AddMaskDirectory(const WideString& Dir) {
  WideString d = WideExcludeTrailingBackslash(Dir);
  // A directory that does not exist yields no row.
  if (!WideDirectoryExists(d)) return;
  int64_t size;
  FILETIME time;
  uint32_t attributes;
  WideFindFileInfo(d, size, time, attributes);
  // Cut by count, without comparing: the root's length, or a drive prefix.
  const size_t cut = FOwner.AddRootDir.empty() ? 3 : FOwner.AddRootDir.size();
  if (d.size() <= cut) return;
  AddItem(d.substr(cut), time, attributes, size);
}

void TItemTableBuilder::WalkDirectory(const WideString& Dir, const WideString& Filter) {
  win::WIN32_FIND_DATAW data;
  const HANDLE h = win::FindFirstFileW(Dir + L"*.*", data);
  if (h == win::INVALID_HANDLE_VALUE) return;
  const AddOpts options = FOwner.AddOptions;
  do {
    const WideString& name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const int64_t size =
        static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    if (data.dwFileAttributes & win::FILE_ATTRIBUTE_DIRECTORY) {
      // Directories are never tested against the filter.
      if (!options.Contains(AddStoreOnlyFilename))
        AddItem(Dir + name, data.ftLastWriteTime, data.dwFileAttributes, size);
      if (options.Contains(AddRecurseDirs))
        WalkDirectory(WideIncludeTrailingBackslash(Dir + name), Filter);
    } else if (Filter == L".*" || WideExtractFileExt(name) == Filter) {
      AddItem(Dir + name, data.ftLastWriteTime, data.dwFileAttributes, size);
    }
  } while (win::FindNextFileW(h, data) && !FOwner.CancelRequested);
  win::FindClose(h);
}

void TItemTableBuilder::AddItem(const WideString& Name, const FILETIME& Time, uint32_t Attributes,
                                int64_t Size) {
  if (NumItems >= ItemRoom) {
    ItemRoom += 100;
    Resize(ItemRoom);
  }
  FItems.ItemNames[NumItems] = Name;
  FItems.ItemSizes[NumItems] = Size;
  FItems.ItemTimes[NumItems] = Time;
  FItems.ItemAttrs[NumItems] = Attributes;
  TotalSize += Size;
  ++NumItems;
}

void TItemTableBuilder::Finish() { Resize(NumItems); }

void TItemTableBuilder::Resize(uint32_t Rows) {
  FItems.ItemNames.resize(Rows);
  FItems.ItemSizes.resize(Rows);
  FItems.ItemTimes.resize(Rows);
  FItems.ItemAttrs.resize(Rows);
}

}  // namespace sevenzip
