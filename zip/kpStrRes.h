#pragma once
// Message tables stored as resources of the library (type "S_StringTable"),
// read by TS_StringResource and cached per table name for the process.
#include <cstdint>

#include "rtl/Classes.h"

namespace kp {
using namespace vcl;

// A resource built into the library: type and name compared without regard to case.
struct TModuleResource {
  const char* Type;
  const char* Name;
  const uint8_t* Data;
  uint32_t Size;
};
// Null when the library holds no such resource.
const TModuleResource* FindModuleResource(const char* Type, const char* Name);

// One record of a table: 16-bit id, length byte, that many characters.
struct TStringTableEntry {
  int16_t Id;
  uint8_t Length;
  char Text[1];
};

class TS_StringResource : public TObject {
 public:
  // Opens the table; Exception "No such string resource: %s" when absent.
  explicit TS_StringResource(const AnsiString& Name);
  ~TS_StringResource() override;
  TS_StringResource(const TS_StringResource&) = delete;
  TS_StringResource& operator=(const TS_StringResource&) = delete;

  // Text of record Id, empty when the table has none.
  void GetString(int Id, AnsiString& Text);

  virtual const TStringTableEntry* NextEntry(const TStringTableEntry* Entry);
  // Null when the end record (id 0) or the end of the data comes first.
  virtual const TStringTableEntry* FindEntry(int Id);
  virtual void OpenTable(const AnsiString& Name);
  virtual void CloseTable();
  virtual void LockTable();
  virtual void UnlockTable();

 private:
  const TModuleResource* FResHandle = nullptr;
  const uint8_t* FResData = nullptr;  // while locked
};

// Finds (opening on first use) the table Name and fetches record Id.
void GetResourceString(const AnsiString& Name, int Id, AnsiString& Text);

}  // namespace kp
