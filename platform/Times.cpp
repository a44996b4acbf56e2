#include "platform/Times.h"

#include <time.h>

#include <cerrno>

namespace win {

namespace {
// Seconds from 1601-01-01 to 1970-01-01, and FILETIME ticks per second.
constexpr int64_t kEpochDelta = 11644473600LL;
constexpr int64_t kTicksPerSecond = 10000000LL;

// DOS date-times cover 1980-01-01 00:00:00 to 2107-12-31 23:59:58; times
// outside are clamped to the nearest end rather than wrapped.
constexpr int32_t kDosFirst = (0 << 25) | (1 << 21) | (1 << 16);
constexpr int32_t kDosLast = static_cast<int32_t>((127u << 25) | (12u << 21) | (31u << 16) |
                                                  (23u << 11) | (59u << 5) | 29u);
}  // namespace

FILETIME UnixTimeToFileTime(int64_t seconds, uint32_t nanoseconds) {
  uint64_t ticks = static_cast<uint64_t>((seconds + kEpochDelta) * kTicksPerSecond + nanoseconds / 100);
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

int64_t FileTimeToUnixTime(const FILETIME& ft) {
  uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<int64_t>(ticks / kTicksPerSecond) - kEpochDelta;
}

int32_t UnixTimeToDosDateTime(time_t t) {
  struct tm tm {};
  if (!localtime_r(&t, &tm)) return kDosFirst;
  int year = tm.tm_year + 1900;
  if (year < 1980) return kDosFirst;
  if (year > 2107) return kDosLast;
  uint32_t date = static_cast<uint32_t>(((year - 1980) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
  uint32_t time = static_cast<uint32_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
  return static_cast<int32_t>((date << 16) | time);
}

time_t DosDateTimeToUnixTime(int32_t dosDateTime) {
  uint32_t v = static_cast<uint32_t>(dosDateTime);
  struct tm tm {};
  tm.tm_year = static_cast<int>((v >> 25) & 0x7F) + 80;
  tm.tm_mon = static_cast<int>((v >> 21) & 0x0F) - 1;
  tm.tm_mday = static_cast<int>((v >> 16) & 0x1F);
  tm.tm_hour = static_cast<int>((v >> 11) & 0x1F);
  tm.tm_min = static_cast<int>((v >> 5) & 0x3F);
  tm.tm_sec = static_cast<int>(v & 0x1F) * 2;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

FILETIME GetSystemTimeAsFileTime() {
  struct timespec ts {};
  clock_gettime(CLOCK_REALTIME, &ts);
  return UnixTimeToFileTime(ts.tv_sec, static_cast<uint32_t>(ts.tv_nsec));
}

DWORD GetTickCount() {
  struct timespec ts {};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<DWORD>(static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

void Sleep(DWORD milliseconds) {
  struct timespec ts {static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

}  // namespace win
