#include "zip/kpStrRes.h"

#include <map>
#include <memory>

#include "platform/CodePages.h"

namespace kp {

extern const uint8_t S_Stream_Data[];
extern const uint32_t S_Stream_Size;

namespace {

const TModuleResource ModuleResources[] = {
    {"S_StringTable", "S_Stream", S_Stream_Data, S_Stream_Size},
};

// The three texts of the library's ordinary string table this unit uses.
const char* const SCannotLoadResource = "Cannot load string resource";
const char* const SCannotLockResource = "Cannot lock string resource";

struct CaseBlindLess {
  bool operator()(const AnsiString& A, const AnsiString& B) const {
    return win::AnsiCompareText(A, B) < 0;
  }
};

// One open table per name, kept until the process ends.
std::map<AnsiString, std::unique_ptr<TS_StringResource>, CaseBlindLess>& ResourceCache() {
  static std::map<AnsiString, std::unique_ptr<TS_StringResource>, CaseBlindLess> cache;
  return cache;
}

}  // namespace

const TModuleResource* FindModuleResource(const char* Type, const char* Name) {
  for (const TModuleResource& r : ModuleResources)
    if (win::AnsiSameText(r.Type, Type) && win::AnsiSameText(r.Name, Name)) return &r;
  return nullptr;
}

TS_StringResource::TS_StringResource(const AnsiString& Name) { OpenTable(Name); }

TS_StringResource::~TS_StringResource() { CloseTable(); }

void TS_StringResource::OpenTable(const AnsiString& Name) {
  const TModuleResource* found = FindModuleResource("S_StringTable", Name.c_str());
  if (found == nullptr) throw Exception(Format("No such string resource: %s", Name.c_str()));
  if (found->Data == nullptr) throw EOutOfResources(SCannotLoadResource);
  FResHandle = found;
}

void TS_StringResource::CloseTable() {
  if (FResData != nullptr) UnlockTable();
  FResHandle = nullptr;
}

void TS_StringResource::LockTable() {
  if (FResHandle == nullptr || FResHandle->Data == nullptr) throw EOutOfResources(SCannotLockResource);
  FResData = FResHandle->Data;
}

void TS_StringResource::UnlockTable() { FResData = nullptr; }

const TStringTableEntry* TS_StringResource::NextEntry(const TStringTableEntry* Entry) {
  const auto* raw = reinterpret_cast<const uint8_t*>(Entry);
  return reinterpret_cast<const TStringTableEntry*>(raw + 3 + raw[2]);
}

const TStringTableEntry* TS_StringResource::FindEntry(int Id) {
  if (FResData == nullptr) return nullptr;
  const uint8_t* end = FResData + FResHandle->Size;
  const uint8_t* p = FResData;
  // Each record is read only where its three header bytes and its text lie in
  // the table, whatever the table holds.
  while (end - p >= 3) {
    int16_t id = static_cast<int16_t>(p[0] | (p[1] << 8));
    if (id == 0) return nullptr;
    if (end - p < 3 + p[2]) return nullptr;
    if (id == Id) return reinterpret_cast<const TStringTableEntry*>(p);
    p = reinterpret_cast<const uint8_t*>(NextEntry(reinterpret_cast<const TStringTableEntry*>(p)));
  }
  return nullptr;
}

void TS_StringResource::GetString(int Id, AnsiString& Text) {
  LockTable();
  try {
    const TStringTableEntry* entry = FindEntry(Id);
    if (entry == nullptr) {
      Text.clear();
    } else {
      const auto* raw = reinterpret_cast<const uint8_t*>(entry);
      Text.assign(reinterpret_cast<const char*>(raw + 3), raw[2]);
    }
  } catch (...) {
    UnlockTable();
    throw;
  }
  UnlockTable();
}

void GetResourceString(const AnsiString& Name, int Id, AnsiString& Text) {
  auto& cache = ResourceCache();
  auto it = cache.find(Name);
  if (it == cache.end()) it = cache.emplace(Name, std::make_unique<TS_StringResource>(Name)).first;
  it->second->GetString(Id, Text);
}

}  // namespace kp
