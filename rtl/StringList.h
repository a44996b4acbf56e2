#pragma once
// TStrings and TStringList: lists of ANSI strings with attached objects.
#include <vector>

#include "rtl/Classes.h"

namespace vcl {

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class VCL_API TStrings : public TPersistent {
 public:
  virtual int Count() const = 0;
  virtual AnsiString Get(int Index) const = 0;
  virtual void Put(int Index, const AnsiString& S) = 0;
  virtual TObject* GetObject(int Index) const = 0;
  virtual void PutObject(int Index, TObject* AObject) = 0;
  virtual void Insert(int Index, const AnsiString& S) = 0;
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;

  AnsiString operator[](int Index) const { return Get(Index); }
  virtual int Add(const AnsiString& S);
  int AddObject(const AnsiString& S, TObject* AObject);
  void AddStrings(const TStrings& Strings);
  // Index of S compared without regard to case, or -1.
  virtual int IndexOf(const AnsiString& S) const;
  // "name=value" lines.
  AnsiString Names(int Index) const;
  AnsiString Values(const AnsiString& Name) const;
  void SetValue(const AnsiString& Name, const AnsiString& Value);
  int IndexOfName(const AnsiString& Name) const;
  // Lines joined with CR LF after each; setting splits at CR LF, LF or CR.
  AnsiString Text() const;
  void SetText(const AnsiString& Value);
  void LoadFromFile(const AnsiString& FileName);
  void SaveToFile(const AnsiString& FileName) const;
  void BeginUpdate() {}
  void EndUpdate() {}
  void Assign(TPersistent* Source) override;
};

class VCL_API TStringList : public TStrings {
 public:
  ~TStringList() override;
  int Count() const override { return static_cast<int>(FItems.size()); }
  AnsiString Get(int Index) const override;
  void Put(int Index, const AnsiString& S) override;
  TObject* GetObject(int Index) const override;
  void PutObject(int Index, TObject* AObject) override;
  void Insert(int Index, const AnsiString& S) override;
  void Delete(int Index) override;
  void Clear() override;
  int Add(const AnsiString& S) override;
  int IndexOf(const AnsiString& S) const override;

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }
  // When set, the list frees its objects on Delete, Clear and destruction.
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }
  // Binary search in a sorted list: true when found; Index is the match or the insertion point.
  bool Find(const AnsiString& S, int& Index) const;
  void Sort();

 private:
  struct Item {
    AnsiString S;
    TObject* Obj = nullptr;
  };
  int Compare(const AnsiString& A, const AnsiString& B) const;
  void CheckIndex(int Index) const;  // EListError "List index out of bounds (%d)"
  std::vector<Item> FItems;
  bool FSorted = false;
  bool FCaseSensitive = false;
  bool FOwnsObjects = false;
  TDuplicates FDuplicates = TDuplicates::dupIgnore;
};

}  // namespace vcl
