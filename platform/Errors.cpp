#include <cerrno>

#include "platform/WinTypes.h"

namespace win {

namespace {
thread_local DWORD tLastError = ERROR_SUCCESS;
}

DWORD GetLastError() { return tLastError; }
void SetLastError(DWORD Code) { tLastError = Code; }

DWORD ErrorFromErrno(int err) {
  switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EMFILE: case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES: case EPERM: case EROFS: case EISDIR: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EIO: return ERROR_GEN_FAILURE;
    case EBUSY: case ETXTBSY: return ERROR_SHARING_VIOLATION;
    // A file-size limit (EFBIG, with SIGXFSZ ignored) reads like a full disk.
    case ENOSPC: case EFBIG: case EDQUOT: return ERROR_DISK_FULL;
    case EOPNOTSUPP: case ENOSYS: return ERROR_NOT_SUPPORTED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ELOOP: case EILSEQ: return ERROR_INVALID_NAME;
    default: return ERROR_GEN_FAILURE;
  }
}

// Texts as Windows words them, without the final period (the run-time
// library's SysErrorMessage trims it).
std::string SysErrorMessage(DWORD Code) {
  switch (Code) {
    case ERROR_SUCCESS: return "The operation completed successfully";
    case ERROR_FILE_NOT_FOUND: return "The system cannot find the file specified";
    case ERROR_PATH_NOT_FOUND: return "The system cannot find the path specified";
    case ERROR_TOO_MANY_OPEN_FILES: return "The system cannot open the file";
    case ERROR_ACCESS_DENIED: return "Access is denied";
    case ERROR_INVALID_HANDLE: return "The handle is invalid";
    case ERROR_NOT_ENOUGH_MEMORY: return "Not enough storage is available to process this command";
    case ERROR_NOT_SAME_DEVICE: return "The system cannot move the file to a different disk drive";
    case ERROR_NO_MORE_FILES: return "There are no more files";
    case ERROR_WRITE_FAULT: return "The system cannot write to the specified device";
    case ERROR_READ_FAULT: return "The system cannot read from the specified device";
    case ERROR_GEN_FAILURE: return "A device attached to the system is not functioning";
    case ERROR_SHARING_VIOLATION:
      return "The process cannot access the file because it is being used by another process";
    case ERROR_HANDLE_EOF: return "Reached the end of the file";
    case ERROR_HANDLE_DISK_FULL: return "The disk is full";
    case ERROR_NOT_SUPPORTED: return "The request is not supported";
    case ERROR_FILE_EXISTS: return "The file exists";
    case ERROR_CANNOT_MAKE: return "The directory or file cannot be created";
    case ERROR_INVALID_PARAMETER: return "The parameter is incorrect";
    case ERROR_DISK_FULL: return "There is not enough space on the disk";
    case ERROR_INVALID_NAME: return "The filename, directory name, or volume label syntax is incorrect";
    case ERROR_MOD_NOT_FOUND: return "The specified module could not be found";
    case ERROR_PROC_NOT_FOUND: return "The specified procedure could not be found";
    case ERROR_NEGATIVE_SEEK:
      return "An attempt was made to move the file pointer before the beginning of the file";
    case ERROR_DIR_NOT_EMPTY: return "The directory is not empty";
    case ERROR_ALREADY_EXISTS: return "Cannot create a file when that file already exists";
    case ERROR_FILENAME_EXCED_RANGE: return "The filename or extension is too long";
    case ERROR_DIRECTORY: return "The directory name is invalid";
    default: return "System error " + std::to_string(Code);
  }
}

}  // namespace win
