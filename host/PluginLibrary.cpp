#include "host/PluginLibrary.h"

#include <dlfcn.h>

namespace host {

TPluginLibrary::TPluginLibrary(const std::string& Path) {
  FHandle = dlopen(Path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!FHandle) {
    const char* e = dlerror();
    FError = e ? e : "cannot load " + Path;
    return;
  }
  FLoad = reinterpret_cast<void (*)(int32_t)>(dlsym(FHandle, "Load"));
  FUnLoad = reinterpret_cast<void (*)()>(dlsym(FHandle, "UnLoad"));
  if (!Loaded()) FError = Path + " does not export Load and UnLoad";
}

TPluginLibrary::~TPluginLibrary() {
  if (FHandle) dlclose(FHandle);
}

}  // namespace host
