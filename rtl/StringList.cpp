#include "rtl/StringList.h"

#include <algorithm>

#include "platform/CodePages.h"
#include "rtl/Streams.h"

namespace vcl {

int TStrings::Add(const AnsiString& S) {
  int index = Count();
  Insert(index, S);
  return index;
}

int TStrings::AddObject(const AnsiString& S, TObject* AObject) {
  int index = Add(S);
  PutObject(index, AObject);
  return index;
}

void TStrings::AddStrings(const TStrings& Strings) {
  for (int i = 0; i < Strings.Count(); i++) AddObject(Strings.Get(i), Strings.GetObject(i));
}

int TStrings::IndexOf(const AnsiString& S) const {
  for (int i = 0; i < Count(); i++)
    if (win::AnsiSameText(Get(i), S)) return i;
  return -1;
}

AnsiString TStrings::Names(int Index) const {
  AnsiString s = Get(Index);
  size_t eq = s.find('=');
  return eq == AnsiString::npos ? AnsiString() : s.substr(0, eq);
}

int TStrings::IndexOfName(const AnsiString& Name) const {
  for (int i = 0; i < Count(); i++) {
    AnsiString s = Get(i);
    size_t eq = s.find('=');
    if (eq != AnsiString::npos && win::AnsiSameText(std::string_view(s).substr(0, eq), Name)) return i;
  }
  return -1;
}

AnsiString TStrings::Values(const AnsiString& Name) const {
  int i = IndexOfName(Name);
  if (i < 0) return "";
  AnsiString s = Get(i);
  return s.substr(s.find('=') + 1);
}

void TStrings::SetValue(const AnsiString& Name, const AnsiString& Value) {
  int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
  } else if (i >= 0) {
    Put(i, Name + "=" + Value);
  } else {
    Add(Name + "=" + Value);
  }
}

AnsiString TStrings::Text() const {
  AnsiString text;
  for (int i = 0; i < Count(); i++) text += Get(i) + "\r\n";
  return text;
}

void TStrings::SetText(const AnsiString& Value) {
  Clear();
  size_t start = 0, n = Value.size();
  while (start < n) {
    size_t end = start;
    while (end < n && Value[end] != '\r' && Value[end] != '\n') end++;
    Add(Value.substr(start, end - start));
    if (end < n && Value[end] == '\r') end++;
    if (end < n && Value[end] == '\n') end++;
    start = end;
  }
}

void TStrings::LoadFromFile(const AnsiString& FileName) {
  TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
  AnsiString text(static_cast<size_t>(file.Size()), '\0');
  file.ReadBuffer(text.data(), static_cast<int32_t>(text.size()));
  SetText(text);
}

void TStrings::SaveToFile(const AnsiString& FileName) const {
  TFileStream file(FileName, fmCreate);
  AnsiString text = Text();
  file.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TStrings*>(Source)) {
    Clear();
    AddStrings(*other);
    return;
  }
  TPersistent::Assign(Source);
}

TStringList::~TStringList() { Clear(); }

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format("List index out of bounds (%d)", Index));
}

AnsiString TStringList::Get(int Index) const {
  CheckIndex(Index);
  return FItems[Index].S;
}

void TStringList::Put(int Index, const AnsiString& S) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  CheckIndex(Index);
  FItems[Index].S = S;
}

TObject* TStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return FItems[Index].Obj;
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  FItems[Index].Obj = AObject;
}

void TStringList::Insert(int Index, const AnsiString& S) {
  if (FSorted) throw EListError("Operation not allowed on sorted list");
  if (Index < 0 || Index > Count()) throw EListError(Format("List index out of bounds (%d)", Index));
  FItems.insert(FItems.begin() + Index, Item{S, nullptr});
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  TObject* obj = FItems[Index].Obj;
  FItems.erase(FItems.begin() + Index);
  if (FOwnsObjects) delete obj;
}

void TStringList::Clear() {
  std::vector<Item> items;
  items.swap(FItems);
  if (FOwnsObjects)
    for (Item& item : items) delete item.Obj;
}

int TStringList::Compare(const AnsiString& A, const AnsiString& B) const {
  if (FCaseSensitive) return A.compare(B) < 0 ? -1 : A == B ? 0 : 1;
  return win::AnsiCompareText(A, B);
}

int TStringList::Add(const AnsiString& S) {
  if (!FSorted) return TStrings::Add(S);
  int index;
  if (Find(S, index)) {
    if (FDuplicates == TDuplicates::dupIgnore) return index;
    if (FDuplicates == TDuplicates::dupError) throw EListError("String list does not allow duplicates");
  }
  FItems.insert(FItems.begin() + index, Item{S, nullptr});
  return index;
}

int TStringList::IndexOf(const AnsiString& S) const {
  if (!FSorted) {
    for (int i = 0; i < Count(); i++)
      if (Compare(FItems[i].S, S) == 0) return i;
    return -1;
  }
  int index;
  return Find(S, index) ? index : -1;
}

bool TStringList::Find(const AnsiString& S, int& Index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = Compare(FItems[mid].S, S);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        if (FDuplicates != TDuplicates::dupAccept) lo = mid;
      }
    }
  }
  Index = lo;
  return found;
}

void TStringList::SetSorted(bool Value) {
  if (Value && !FSorted) Sort();
  FSorted = Value;
}

void TStringList::Sort() {
  std::stable_sort(FItems.begin(), FItems.end(),
                   [this](const Item& a, const Item& b) { return Compare(a.S, b.S) < 0; });
}

}  // namespace vcl
