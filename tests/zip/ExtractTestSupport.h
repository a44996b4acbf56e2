#pragma once
// Shared by the extraction tests: a temporary drive C:, a TVCLUnZip whose
// events write a log, a user interface that records its boxes, and archives
// made by real tools (or, for malformed cases, by tests/fixtures/extract/rawzip.py).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/TempDrive.h"
#include "tests/zip/ZipOracle.h"
#include "zip/VCLUnZip.h"
#include "zip/ZipUI.h"

namespace extract_test {

using namespace kp;
using testing_support::RunCommand;

// Records every message box and answers with Answer.
class TRecordingUI : public TZipUI {
 public:
  int MessageBox(const AnsiString& Text, const AnsiString& Caption, unsigned Flags) override {
    Boxes.push_back(Caption + ": " + Text + ((Flags & 0x0F) == MB_YESNO ? " [Yes/No]" : ""));
    return Answer;
  }
  std::vector<std::string> Boxes;
  int Answer = IDNO;
};

class ExtractTest : public ::testing::Test {
 protected:
  ExtractTest() {
    SetZipUI(&UI);
    Zip = std::make_unique<TVCLUnZip>(nullptr);
    Zip->SetDoProcessMessages(false);
    Zip->SetDestDir("C:\\out");
  }
  ~ExtractTest() override {
    Zip.reset();
    SetZipUI(nullptr);
  }

  // Runs a shell command in the drive's root; the test fails when it fails.
  void Sh(const std::string& Command) {
    ASSERT_EQ(RunCommand("cd '" + Drive.Root() + "' && " + Command), 0) << Command;
  }
  // Runs a Python script in the drive's root with rawzip importable.
  void Py(const std::string& Script) {
    ASSERT_EQ(zip_oracle::RunPython(Drive.Root(), "import sys\nsys.path.insert(0, '" +
                                                      testing_support::SourceDir() +
                                                      "/tests/fixtures/extract')\nfrom rawzip import *\n" +
                                                      Script),
              0)
        << Script;
  }
  void Open(const std::string& ArchiveInDrive) { Zip->SetZipName("C:\\" + ArchiveInDrive); }
  std::string Out(const std::string& Relative) const { return Drive.ReadFile("out/" + Relative); }
  bool OutExists(const std::string& Relative) const { return Drive.Exists("out/" + Relative); }

  // Every event appends one line to Log.
  void LogEvents() {
    Zip->OnStartUnZipInfo = [this](TObject*, int NumFiles, Comp TotalBytes, bool&) {
      Log.push_back("info " + std::to_string(NumFiles) + " " + std::to_string(TotalBytes));
    };
    Zip->OnStartUnZip = [this](TObject*, int I, const AnsiString& F, bool&) {
      Log.push_back("start " + std::to_string(I) + " " + F);
    };
    Zip->OnEndUnZip = [this](TObject*, int I, const AnsiString& F) {
      Log.push_back("end " + std::to_string(I) + " " + F);
    };
    Zip->OnSkippingFile = [this](TObject*, TSkipReason R, const AnsiString& F, int I) {
      Log.push_back("skip " + std::to_string(R) + " " + F + " " + std::to_string(I));
    };
    Zip->OnBadCRC = [this](TObject*, int, int, int I) { Log.push_back("badcrc " + std::to_string(I)); };
  }

  testing_support::TempDrive Drive;  // first: C: must exist before the component
  TRecordingUI UI;
  std::unique_ptr<TVCLUnZip> Zip;
  std::vector<std::string> Log;
};

}  // namespace extract_test
