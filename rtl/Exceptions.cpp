#include "rtl/Exceptions.h"

namespace vcl {

void Abort() { throw EAbort(); }

}  // namespace vcl
