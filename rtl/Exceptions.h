#pragma once
// The run-time library's exception classes: every failure carries a message.
#include <exception>

#include "rtl/SysUtils.h"

namespace vcl {

class VCL_API Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : FMessage(std::move(message)) {}
  const AnsiString& Message() const noexcept { return FMessage; }
  void SetMessage(AnsiString message) { FMessage = std::move(message); }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  AnsiString FMessage;
};

// The silent exception: ends an operation without a message to the operator.
class VCL_API EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
  using Exception::Exception;
};
[[noreturn]] VCL_API void Abort();

class VCL_API EListError : public Exception { using Exception::Exception; };
class VCL_API EConvertError : public Exception { using Exception::Exception; };
class VCL_API EOutOfMemory : public Exception { using Exception::Exception; };
class VCL_API EOutOfResources : public EOutOfMemory { using EOutOfMemory::EOutOfMemory; };
class VCL_API EThread : public Exception { using Exception::Exception; };

class VCL_API EStreamError : public Exception { using Exception::Exception; };
class VCL_API EFCreateError : public EStreamError { using EStreamError::EStreamError; };
class VCL_API EFOpenError : public EStreamError { using EStreamError::EStreamError; };
class VCL_API EFilerError : public EStreamError { using EStreamError::EStreamError; };
class VCL_API EReadError : public EFilerError { using EFilerError::EFilerError; };
class VCL_API EWriteError : public EFilerError { using EFilerError::EFilerError; };
class VCL_API EClassNotFound : public EFilerError { using EFilerError::EFilerError; };

}  // namespace vcl
