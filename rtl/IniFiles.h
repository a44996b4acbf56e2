#pragma once
// TIniFile: a Windows profile (INI) file. Sections and keys are found without
// regard to case; a write changes only its own line (or adds it) and keeps every
// other byte; new lines end with CR LF; content is CP1251. Each write replaces
// the file atomically (temporary file beside it, flushed, renamed over it).
#include "rtl/StringList.h"

namespace vcl {

class VCL_API TIniFile : public TObject {
 public:
  explicit TIniFile(const AnsiString& FileName);  // a Windows path; the file need not exist
  const AnsiString& FileName() const { return FFileName; }

  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident,
                        const AnsiString& Default) const;
  // Decimal, or hexadecimal with "$" or "0x"; anything else gives Default.
  int32_t ReadInteger(const AnsiString& Section, const AnsiString& Ident, int32_t Default) const;
  // Stored as an integer: 0 false, any other integer true.
  bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) const;
  // Raise EIniFileException-like Exception when the file cannot be written.
  void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value);
  void WriteInteger(const AnsiString& Section, const AnsiString& Ident, int32_t Value);
  void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);

  void ReadSection(const AnsiString& Section, TStrings* Strings) const;        // key names
  void ReadSections(TStrings* Strings) const;                                   // section names
  void ReadSectionValues(const AnsiString& Section, TStrings* Strings) const;  // "key=value"
  bool SectionExists(const AnsiString& Section) const;  // a section holding at least one key
  bool ValueExists(const AnsiString& Section, const AnsiString& Ident) const;
  void EraseSection(const AnsiString& Section);
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident);

 private:
  AnsiString FFileName;
};

}  // namespace vcl
