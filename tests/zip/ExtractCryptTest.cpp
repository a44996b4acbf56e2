// Encrypted entries through UnZip: archives from zip -P (data descriptor: the
// check byte is the time's) and 7z with ZipCrypto (the CRC's), right and
// wrong passwords, and the retry through OnBadPassword.
#include <cstring>

#include "tests/zip/ExtractTestSupport.h"
#include "zip/Crypt.h"

namespace extract_test {
namespace {

class ExtractCrypt : public ExtractTest {
 protected:
  // src/ holds text.txt (compressible) and rand.bin (incompressible, so zip
  // and 7z store it or nearly so).
  void MakeSources() {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i % 977) + "\n";
    Drive.WriteFile("src/text.txt", text);
    Sh("head -c 40000 /dev/urandom > src/rand.bin");
  }
  // Makes pkg.zip from src/ with Command and opens it to extract everything with Password.
  void OpenMadeBy(const char* Command, const char* Password) {
    Sh("rm -rf out pkg.zip && cd src && " + std::string(Command));
    Zip->SetZipName("");
    Open("pkg.zip");
    Zip->SetDoAll(true);
    Zip->SetPassword(Password);
  }
  void ExpectExtracted() {
    EXPECT_EQ(Out("text.txt"), Drive.ReadFile("src/text.txt"));
    EXPECT_EQ(Out("rand.bin"), Drive.ReadFile("src/rand.bin"));
  }
};

const struct {
  const char* Name;
  const char* Command;  // run in src/, makes ../pkg.zip
} Tools[] = {
    {"zip -P deflated", "zip -q -P 'Pa$$w' ../pkg.zip text.txt rand.bin"},
    {"zip -P stored", "zip -q -0 -P 'Pa$$w' ../pkg.zip text.txt rand.bin"},
    {"7z ZipCrypto", "7z a -bd -tzip -mem=ZipCrypto '-pPa$$w' ../pkg.zip text.txt rand.bin >/dev/null"},
    {"7z ZipCrypto stored",
     "7z a -bd -tzip -mx=0 -mem=ZipCrypto '-pPa$$w' ../pkg.zip text.txt rand.bin >/dev/null"},
};

TEST_F(ExtractCrypt, RightPasswordExtractsByteIdentical) {
  MakeSources();
  for (const auto& tool : Tools) {
    OpenMadeBy(tool.Command, "Pa$$w");
    EXPECT_EQ(Zip->UnZip(), 2) << tool.Name;
    ExpectExtracted();
  }
}

TEST_F(ExtractCrypt, WrongPasswordSkipsSilently) {
  MakeSources();
  for (const auto& tool : Tools) {
    OpenMadeBy(tool.Command, "wrong");
    LogEvents();
    Log.clear();
    // One time in 256 a wrong password passes the check byte; the CRC then
    // rejects the garbage, which ends the same way.
    EXPECT_EQ(Zip->UnZip(), 0) << tool.Name;
    const std::string total = std::to_string(40000 + Drive.ReadFile("src/text.txt").size());
    const std::string first = Zip->EntryName(0), second = Zip->EntryName(1);  // 7z sorts by name
    EXPECT_EQ(Log, (std::vector<std::string>{"info 2 " + total, "skip 0 " + first + " 0",
                                             "skip 0 " + second + " 1"}))
        << tool.Name;
    EXPECT_FALSE(OutExists("text.txt"));
    EXPECT_FALSE(OutExists("rand.bin"));
    EXPECT_TRUE(UI.Boxes.empty());
  }
}

TEST_F(ExtractCrypt, OnBadPasswordRetriesWithTheNewPassword) {
  MakeSources();
  Sh("cd src && zip -q -P 'Pa$$w' ../pkg.zip text.txt rand.bin");
  Open("pkg.zip");
  Zip->SetDoAll(true);
  Zip->SetPassword("first");
  std::vector<std::string> asked;
  Zip->OnBadPassword = [&](TObject*, int FileIndex, AnsiString& NewPassword) {
    asked.push_back(std::to_string(FileIndex) + " " + NewPassword);
    if (NewPassword == "first") NewPassword = "second";
    else if (NewPassword == "second") NewPassword = "Pa$$w";
  };
  EXPECT_EQ(Zip->UnZip(), 2);
  ExpectExtracted();
  // The new password stays: the second entry needs no question.
  EXPECT_EQ(asked, (std::vector<std::string>{"0 first", "0 second"}));
  EXPECT_EQ(Zip->Password(), "Pa$$w");

  // A handler that gives the same password back skips the entry.
  Sh("rm -rf out");
  Zip->SetPassword("bad");
  asked.clear();
  Zip->OnBadPassword = [&](TObject*, int FileIndex, AnsiString& NewPassword) {
    asked.push_back(std::to_string(FileIndex) + " " + NewPassword);
  };
  EXPECT_EQ(Zip->UnZip(), 0);
  EXPECT_EQ(asked, (std::vector<std::string>{"0 bad", "1 bad"}));
}

// The raw data of an archive's only entry, from its central record (no comment).
std::string EntryData(const std::string& zip, uint32_t& crc) {
  auto le = [&](size_t at, int width) {
    uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(zip[at + i]);
    return v;
  };
  const size_t central = le(zip.size() - 22 + 16, 4);
  crc = le(central + 16, 4);
  const size_t local = le(central + 42, 4);
  return zip.substr(local + 30 + le(local + 26, 2) + le(local + 28, 2), le(central + 20, 4));
}

TEST_F(ExtractCrypt, WrongPasswordThatPassesTheCheckByte) {
  MakeSources();
  Sh("cd src && 7z a -bd -tzip -mx=0 -mem=ZipCrypto '-pPa$$w' ../pkg.zip rand.bin >/dev/null");
  // Find a wrong password whose twelfth header byte equals the check byte
  // (the CRC's high byte without a data descriptor): about one in 256.
  uint32_t crc = 0;
  const std::string data = EntryData(Drive.ReadFile("pkg.zip"), crc);
  std::string lucky;
  for (int i = 0; lucky.empty() && i < 100000; ++i) {
    uint8_t header[EncryptionHeaderSize];
    std::memcpy(header, data.data(), sizeof header);
    TZipKeys keys;
    const std::string candidate = "try" + std::to_string(i);
    if (DecryptHeaderBytes(keys, candidate, header) == crc >> 24) lucky = candidate;
  }
  ASSERT_FALSE(lucky.empty());

  Open("pkg.zip");
  Zip->SetDoAll(true);
  Zip->SetPassword(lucky);
  LogEvents();
  // Without a handler: the garbage fails the CRC, the entry is skipped as for
  // a bad password and its file deleted.
  EXPECT_EQ(Zip->UnZip(), 0);
  EXPECT_EQ(Log.back(), "skip 0 rand.bin 0");
  EXPECT_FALSE(OutExists("rand.bin"));
  // With one: asked after the CRC test, and the whole entry is retried.
  int asked = 0;
  Zip->OnBadPassword = [&](TObject*, int, AnsiString& NewPassword) {
    ++asked;
    NewPassword = "Pa$$w";
  };
  Log.clear();
  EXPECT_EQ(Zip->UnZip(), 1);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Out("rand.bin"), Drive.ReadFile("src/rand.bin"));
  EXPECT_EQ(Log, (std::vector<std::string>{"info 1 40000", "start 0 C:\\out\\rand.bin",
                                           "start 0 C:\\out\\rand.bin", "end 0 C:\\out\\rand.bin"}));
}

}  // namespace
}  // namespace extract_test
