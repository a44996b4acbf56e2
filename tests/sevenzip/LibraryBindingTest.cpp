// What passes between TSevenZip and the library: loading and the layout
// check, the interface IDs, the property list, BSTR ownership.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "rtl/Exceptions.h"
#include "sevenzip/SevenZipIntf.h"
#include "sevenzip/SevenZipVCL.h"
#include "tests/sevenzip/SevenZipTestSupport.h"

using namespace sevenzip;
using namespace sztest;
using testing_support::TempDrive;

namespace {

std::string ConstructionError() {
  try {
    TSevenZip zip(nullptr);
  } catch (const vcl::Exception& e) {
    return e.Message();
  }
  return "(no exception)";
}

// Runs one add against the recording stand-in; returns its record.
template <class Setup>
std::string RecordedAdd(const TempDrive& drive, Setup setup) {
  const std::string record = drive.Host("record.txt");
  TEnvVar lib("SEVENZIP_LIB", StubLibrary());
  TEnvVar rec("STUB_RECORD", record);
  {
    drive.WriteFile("src/a.txt", "a");
    TSevenZip zip(nullptr);
    zip.SZFileName = L"C:\\out.7z";
    zip.AddRootDir = L"C:\\src\\";
    zip.Files.Add(L"C:\\src\\*.*");
    setup(zip);
    EXPECT_EQ(zip.Add(), 0);
  }
  return drive.ReadFile("record.txt");
}

std::string Line(const std::string& record, const std::string& prefix) {
  std::istringstream in(record);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(prefix, 0) == 0) return line;
  return "";
}

}  // namespace

TEST(LibraryBinding, MissingLibraryGivesTheTwoLineMessage) {
  TempDrive drive;
  TEnvVar lib("SEVENZIP_LIB", drive.Host("nowhere/7z.so"));
  EXPECT_EQ(ConstructionError(), "Could not load CreateObject function from 7za.dll\r\nPerhaps 7za.dll not found");
}

TEST(LibraryBinding, LibraryOfAnotherLayoutIsRefused) {
  TempDrive drive;
  {
    TEnvVar lib("SEVENZIP_LIB", StubLibraryWithoutModuleProp());
    EXPECT_NE(ConstructionError().find("no GetModuleProp"), std::string::npos);
  }
  TEnvVar lib("SEVENZIP_LIB", StubLibrary());
  TEnvVar type("STUB_INTERFACE_TYPE", "1");
  EXPECT_NE(ConstructionError().find("lays out its interfaces differently"), std::string::npos);
}

TEST(LibraryBinding, InterfaceIdsAreTheLibrarysOwn) {
  void* lib = dlopen("/usr/lib/p7zip/7z.so", RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr);
  const std::pair<const char*, IID> ids[] = {
      {"IID_IUnknown", IID_IUnknown},
      {"IID_ISequentialInStream", IID_ISequentialInStream},
      {"IID_ISequentialOutStream", IID_ISequentialOutStream},
      {"IID_IInStream", IID_IInStream},
      {"IID_IOutStream", IID_IOutStream},
      {"IID_IStreamGetSize", IID_IStreamGetSize},
      {"IID_IProgress", IID_IProgress},
      {"IID_ICryptoGetTextPassword2", IID_ICryptoGetTextPassword2},
      {"IID_ISetProperties", IID_ISetProperties},
      {"IID_IArchiveUpdateCallback", IID_IArchiveUpdateCallback},
      {"IID_IOutArchive", IID_IOutArchive},
  };
  for (const auto& [name, ours] : ids) {
    const auto* theirs = static_cast<const IID*>(dlsym(lib, name));
    ASSERT_NE(theirs, nullptr) << name;
    EXPECT_TRUE(*theirs == ours) << name;
  }
  // The real library passes the layout check.
  auto getModuleProp = reinterpret_cast<TGetModulePropFunc>(dlsym(lib, "GetModuleProp"));
  PROPVARIANT v{};
  ASSERT_EQ(getModuleProp(kModulePropInterfaceType, &v), S_OK);
  EXPECT_EQ(v.vt, VT_UI4);
  EXPECT_EQ(v.ulVal, 0u);
  dlclose(lib);
}

TEST(LibraryBinding, PropertiesSentForEachSetting) {
  TempDrive drive;
  struct Case {
    const char* What;
    std::function<void(TSevenZip&)> Setup;
    const char* Expected;
  };
  const Case cases[] = {
      {"error report", [](TSevenZip& z) { z.Password = L"914"; z.LZMACompressStrength = NORMAL; },
       "properties X=5 s='off'"},
      {"defaults", [](TSevenZip&) {}, "properties X=0 s='off'"},
      {"solid ultra", [](TSevenZip& z) { z.LZMACompressStrength = ULTRA; z.AddOptions.Include(AddSolid); },
       "properties X=9 s='on'"},
      {"PPMd", [](TSevenZip& z) { z.LZMACompressType = PPMD; z.LPPMDsize = 4; z.LPPMDmem = 20; },
       "properties 0='PPMd' o=10 mem=30"},
      {"all four",
       [](TSevenZip& z) {
         z.LZMAStrength = 20;
         z.Password = L"p";
         z.AddOptions.Include(AddEncryptFilename);
       },
       "properties X=0 s='off' d=20 he='on'"},
      {"names without password", [](TSevenZip& z) { z.AddOptions.Include(AddEncryptFilename); },
       "properties X=0 s='off'"},
  };
  for (const Case& c : cases) {
    std::remove(drive.Host("record.txt").c_str());
    const std::string record = RecordedAdd(drive, c.Setup);
    EXPECT_EQ(Line(record, "properties"), c.Expected) << c.What;
  }
}

TEST(LibraryBinding, StringsHandedOverBelongToTheLibrary) {
  TempDrive drive;
  const std::string record = RecordedAdd(drive, [](TSevenZip& z) { z.Password = L"9"; });
  // Our property strings were freed after SetProperties; the item name and the
  // password were allocated by the library's allocator and freed by it.
  EXPECT_EQ(Line(record, "update"), "update 1 live-bstrs 0");
  EXPECT_EQ(Line(record, "path"), "path a.txt");
  EXPECT_EQ(Line(record, "password"), "password -1 9");
  EXPECT_EQ(Line(record, "end"), "end live-bstrs 0");
  // The handler is released before the library goes.
  EXPECT_EQ(record.substr(record.size() - 9), "released\n");

  std::remove(drive.Host("record.txt").c_str());
  const std::string none = RecordedAdd(drive, [](TSevenZip&) {});
  EXPECT_EQ(Line(none, "password"), "password 0 (null)");
}
