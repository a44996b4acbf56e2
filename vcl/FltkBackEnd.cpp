#include "vcl/BackEnd.h"

namespace vcl {

std::unique_ptr<TBackEnd> CreateFltkBackEnd() { throw EOutOfResources("The FLTK back end is not built yet"); }

}  // namespace vcl
