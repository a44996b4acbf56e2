#pragma once
// Streams with the 32-bit Read/Write/Seek contract; position and size go through Seek.
#include <cstdint>
#include <vector>

#include "rtl/Classes.h"

namespace vcl {

enum : uint16_t { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

class VCL_API TStream : public TObject {
 public:
  virtual int32_t Read(void* Buffer, int32_t Count) = 0;
  virtual int32_t Write(const void* Buffer, int32_t Count) = 0;
  virtual int32_t Seek(int32_t Offset, uint16_t Origin) = 0;
  virtual void SetSize(int32_t NewSize);

  int32_t Position() { return Seek(0, soFromCurrent); }
  void SetPosition(int32_t Pos) { Seek(Pos, soFromBeginning); }
  // Seek to the end and back.
  int32_t Size();

  // All or nothing: EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* Buffer, int32_t Count);
  void WriteBuffer(const void* Buffer, int32_t Count);
  // Copies Count bytes (the whole source from its start when Count is 0).
  int32_t CopyFrom(TStream* Source, int32_t Count);
};

// File open modes and share flags; fmCreate creates or truncates.
enum : uint16_t {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFFFF,
};

// A stream over an operating-system file handle (a POSIX descriptor here).
class VCL_API THandleStream : public TStream {
 public:
  explicit THandleStream(int AHandle) : FHandle(AHandle) {}
  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int32_t Seek(int32_t Offset, uint16_t Origin) override;
  void SetSize(int32_t NewSize) override;
  int Handle() const { return FHandle; }

 protected:
  int FHandle;
};

// Opens FileName (a Windows path) with Mode; raises EFOpenError / EFCreateError
// ("Cannot open file \"%s\". reason") when it cannot. Closes the file when freed.
class VCL_API TFileStream : public THandleStream {
 public:
  TFileStream(const AnsiString& FileName, uint16_t Mode);
  ~TFileStream() override;
  const AnsiString& FileName() const { return FFileName; }

 private:
  AnsiString FFileName;
};

class VCL_API TMemoryStream : public TStream {
 public:
  int32_t Read(void* Buffer, int32_t Count) override;
  int32_t Write(const void* Buffer, int32_t Count) override;
  int32_t Seek(int32_t Offset, uint16_t Origin) override;
  void SetSize(int32_t NewSize) override;
  const uint8_t* Memory() const { return FData.data(); }
  void LoadFromFile(const AnsiString& FileName);
  void SaveToFile(const AnsiString& FileName);

 private:
  std::vector<uint8_t> FData;
  int32_t FPosition = 0;
};

}  // namespace vcl
