#pragma once
// Win32 scalar types, error codes and flag values used by the stand-ins.
#include <cstdint>
#include <string>

#include "rtl/Export.h"

namespace win {

using DWORD = uint32_t;
using WORD = uint16_t;
using BYTE = uint8_t;
using HRESULT = int32_t;
using ULONG = uint32_t;
using HANDLE = intptr_t;  // a POSIX descriptor; -1 is invalid
using HMODULE = void*;
constexpr HANDLE INVALID_HANDLE_VALUE = -1;

// 100-ns intervals since 1601-01-01 UTC, as two 32-bit halves.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

enum : DWORD {
  ERROR_SUCCESS = 0,
  ERROR_FILE_NOT_FOUND = 2,
  ERROR_PATH_NOT_FOUND = 3,
  ERROR_TOO_MANY_OPEN_FILES = 4,
  ERROR_ACCESS_DENIED = 5,
  ERROR_INVALID_HANDLE = 6,
  ERROR_NOT_ENOUGH_MEMORY = 8,
  ERROR_NOT_SAME_DEVICE = 17,
  ERROR_NO_MORE_FILES = 18,
  ERROR_WRITE_FAULT = 29,
  ERROR_READ_FAULT = 30,
  ERROR_GEN_FAILURE = 31,
  ERROR_SHARING_VIOLATION = 32,
  ERROR_HANDLE_EOF = 38,
  ERROR_HANDLE_DISK_FULL = 39,
  ERROR_NOT_SUPPORTED = 50,
  ERROR_FILE_EXISTS = 80,
  ERROR_INVALID_PARAMETER = 87,
  ERROR_DISK_FULL = 112,
  ERROR_INVALID_NAME = 123,
  ERROR_MOD_NOT_FOUND = 126,
  ERROR_PROC_NOT_FOUND = 127,
  ERROR_NEGATIVE_SEEK = 131,
  ERROR_DIR_NOT_EMPTY = 145,
  ERROR_ALREADY_EXISTS = 183,
  ERROR_FILENAME_EXCED_RANGE = 206,
  ERROR_DIRECTORY = 267,
  ERROR_CANNOT_MAKE = 82,
};

enum : DWORD {
  FILE_ATTRIBUTE_READONLY = 0x01,
  FILE_ATTRIBUTE_HIDDEN = 0x02,
  FILE_ATTRIBUTE_SYSTEM = 0x04,
  FILE_ATTRIBUTE_DIRECTORY = 0x10,
  FILE_ATTRIBUTE_ARCHIVE = 0x20,
  FILE_ATTRIBUTE_NORMAL = 0x80,
};
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// The calling thread's last error, as Win32 keeps it.
VCL_API DWORD GetLastError();
VCL_API void SetLastError(DWORD Code);
// Win32 code for an errno value.
VCL_API DWORD ErrorFromErrno(int err);
// The system's text for a Win32 code, such as "Access is denied".
VCL_API std::string SysErrorMessage(DWORD Code);

}  // namespace win
