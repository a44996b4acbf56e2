// The plug-in's two exports; the library exports nothing else (UpDate.map).
#include <cstdint>

#include "plugin/tmpClass.h"

extern "C" {

__attribute__((visibility("default"))) void Load(int32_t Flag) { plugin::DoLoad(Flag); }

__attribute__((visibility("default"))) void UnLoad() { plugin::DoUnLoad(); }

}
