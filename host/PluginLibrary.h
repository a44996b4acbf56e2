#pragma once
// The plug-in library as the host loads it: dlopen, the two exports, dlclose.
#include <cstdint>
#include <string>

namespace host {

class TPluginLibrary {
 public:
  // Loads the library; Error() says why when Loaded() is false.
  explicit TPluginLibrary(const std::string& Path);
  ~TPluginLibrary();
  TPluginLibrary(const TPluginLibrary&) = delete;
  TPluginLibrary& operator=(const TPluginLibrary&) = delete;

  bool Loaded() const { return FLoad && FUnLoad; }
  const std::string& Error() const { return FError; }
  void Load(int32_t Flag) { FLoad(Flag); }
  void UnLoad() { FUnLoad(); }

 private:
  void* FHandle = nullptr;
  void (*FLoad)(int32_t) = nullptr;
  void (*FUnLoad)() = nullptr;
  std::string FError;
};

}  // namespace host
