#pragma once
// Time conversions and clocks. DOS date-times are local time; FILETIME is UTC.
#include <ctime>

#include "platform/WinTypes.h"

namespace win {

VCL_API FILETIME UnixTimeToFileTime(int64_t seconds, uint32_t nanoseconds = 0);
VCL_API int64_t FileTimeToUnixTime(const FILETIME& ft);
// DOS date-time: date in the high 16 bits, time in the low 16 bits.
VCL_API int32_t UnixTimeToDosDateTime(time_t t);
VCL_API time_t DosDateTimeToUnixTime(int32_t dosDateTime);
VCL_API FILETIME GetSystemTimeAsFileTime();
// Milliseconds since an arbitrary start, wrapping at 2^32.
VCL_API DWORD GetTickCount();
VCL_API void Sleep(DWORD milliseconds);

}  // namespace win
