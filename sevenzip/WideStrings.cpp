#include "sevenzip/WideStrings.h"

#include "platform/CodePages.h"
#include "platform/Files.h"
#include "platform/Find.h"
#include "platform/Handles.h"

namespace sevenzip {

std::atomic<bool> UseWideFileApi{true};

void TWideStringList_::Add(const WideString& S) {
  Strings.push_back(S);
  Count = static_cast<int32_t>(Strings.size());
}

void TWideStringList_::Clear() {
  Strings.clear();
  Count = 0;
}

WideString WideUpperCase(const WideString& S) { return win::WideUpperCase(S); }

WideString WideIncludeTrailingBackslash(const WideString& S) {
  if (S.empty() || S.back() == L'\\') return S;
  return S + L'\\';
}

WideString WideExcludeTrailingBackslash(const WideString& S) {
  if (!S.empty() && S.back() == L'\\') return S.substr(0, S.size() - 1);
  return S;
}

int WideLastDelimiter(const WideString& Delimiters, const WideString& S) {
  const size_t p = S.find_last_of(Delimiters);
  return p == WideString::npos ? 0 : static_cast<int>(p) + 1;
}

WideString WideExtractFileExt(const WideString& S) {
  const int p = WideLastDelimiter(L".\\:", S);
  if (p > 0 && S[p - 1] == L'.') return S.substr(p - 1);
  return WideString();
}

WideString WideChangeFileExt(const WideString& S, const WideString& Extension) {
  const int p = WideLastDelimiter(L".\\:", S);
  if (p > 0 && S[p - 1] == L'.') return S.substr(0, p - 1) + Extension;
  return S + Extension;
}

void StripDirectory(WideString& S) {
  const size_t p = S.rfind(L'\\');
  if (p != WideString::npos) S.erase(0, p + 1);
}

int64_t WideFindFileInfo(const WideString& S, int64_t& Size, FILETIME& Time, uint32_t& Attributes) {
  win::WIN32_FIND_DATAW data;
  const HANDLE h = win::FindFirstFileW(S, data);
  if (h == win::INVALID_HANDLE_VALUE) {
    Size = -1;
    Attributes = 0xFFFFFFFFu;
    Time = FILETIME{0, 0};
    return -1;
  }
  win::FindClose(h);
  Size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
  Time = data.ftLastWriteTime;
  Attributes = data.dwFileAttributes;
  return Size;
}

bool WideFileExists(const WideString& S) {
  int64_t size;
  FILETIME time;
  uint32_t attributes;
  return WideFindFileInfo(S, size, time, attributes) >= 0;
}

bool WideDirectoryExists(const WideString& S) {
  const win::DWORD a = win::GetFileAttributesW(S);
  return a != win::INVALID_FILE_ATTRIBUTES && (a & win::FILE_ATTRIBUTE_DIRECTORY) != 0;
}

HANDLE WideCreateFile(const WideString& Name, uint32_t Access, uint32_t Share,
                      uint32_t Disposition, uint32_t Flags) {
  return win::CreateFileW(Name, Access, Share, Disposition, Flags);
}

uint32_t WideFileSize(const WideString& Name) {
  const HANDLE h = WideCreateFile(Name, win::GENERIC_READ, win::FILE_SHARE_READ, win::OPEN_EXISTING, 0);
  if (h == win::INVALID_HANDLE_VALUE) return 0;
  const int64_t end = win::FileSeek64(h, 0, win::FILE_END);
  win::CloseHandle(h);
  return static_cast<uint32_t>(end);
}

}  // namespace sevenzip
