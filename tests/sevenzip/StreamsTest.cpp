// The update callback and the two streams, driven directly as the library
// would drive them.
#include <gtest/gtest.h>

#include <filesystem>

#include "rtl/Exceptions.h"
#include "sevenzip/SevenZipVCL.h"
#include "sevenzip/UpdateCallback.h"
#include "tests/sevenzip/SevenZipTestSupport.h"

using namespace sevenzip;
using namespace sztest;
using testing_support::TempDrive;
namespace fs = std::filesystem;

namespace {

// A callback with one item per name, the way an add fills it.
TComPtr<TMyArchiveUpdateCallback> CallbackFor(TSevenZip& zip, const std::vector<std::wstring>& names,
                                              const std::wstring& root) {
  TComPtr<TMyArchiveUpdateCallback> cb(NewInterfaced<TMyArchiveUpdateCallback>(&zip));
  cb->RootDir = root;
  for (const std::wstring& n : names) {
    cb->ItemNames.push_back(n);
    cb->ItemSizes.push_back(0);
    cb->ItemTimes.push_back(FILETIME{0, 0});
    cb->ItemAttrs.push_back(0x20);
  }
  return cb;
}

std::vector<uintmax_t> VolumeSizes(const TempDrive& drive, const std::string& base) {
  std::vector<uintmax_t> sizes;
  for (int n = 1; drive.Exists(base + ".00" + std::to_string(n)); ++n)
    sizes.push_back(fs::file_size(drive.Host(base + ".00" + std::to_string(n))));
  return sizes;
}

void WriteBytes(IOutStream* out, size_t count) {
  const std::string bytes(count, 'x');
  uint32_t written = 0;
  ASSERT_EQ(out->Write(bytes.data(), static_cast<uint32_t>(count), &written), S_OK);
  ASSERT_EQ(written, count);
}

}  // namespace

TEST(UpdateCallback, ArchiveNames) {
  TempDrive drive;
  struct Case {
    std::wstring Item;
    AddOpts Options;
    std::wstring Expected;
  };
  const Case cases[] = {
      {L"C:\\r\\sub\\a.txt", {}, L"sub/a.txt"},
      {L"logs", {}, L"logs"},
      {L"D:\\x.txt", {}, L"x.txt"},
      {L"D:\\x.txt", {AddIncludeDriveLetter}, L"D/x.txt"},
      {L"C:\\r\\sub\\a.txt", {AddStoreOnlyFilename}, L"a.txt"},
      {L"C:\\other\\b.txt", {}, L"other/b.txt"},
  };
  TSevenZip zip(nullptr);
  for (const Case& c : cases) {
    zip.AddOptions = c.Options;
    auto cb = CallbackFor(zip, {c.Item}, L"C:\\R\\");
    EXPECT_EQ(cb->ArchiveName(0), c.Expected) << win::WideToUtf8(c.Item);
  }
  // A handler may rename, before the drive and directory rules apply.
  zip.AddOptions = {};
  zip.OnSetAddName = [](TObject*, uint32_t index, std::wstring& name) {
    EXPECT_EQ(index, 0u);
    EXPECT_EQ(name, L"sub\\a.txt");
    name = L"E:\\new\\name.txt";
  };
  EXPECT_EQ(CallbackFor(zip, {L"C:\\r\\sub\\a.txt"}, L"C:\\R\\")->ArchiveName(0), L"new/name.txt");
}

TEST(UpdateCallback, PropertiesOfAnItem) {
  TSevenZip zip(nullptr);
  auto cb = CallbackFor(zip, {L"C:\\r\\d"}, L"");
  cb->ItemAttrs[0] = 0x10;
  cb->ItemSizes[0] = int64_t(5) << 32;
  cb->ItemTimes[0] = FILETIME{1, 2};
  PROPVARIANT v{};
  ASSERT_EQ(cb->GetProperty(0, kpidIsDir, &v), S_OK);
  EXPECT_EQ(v.vt, VT_BOOL);
  EXPECT_EQ(v.boolVal, -1);
  ASSERT_EQ(cb->GetProperty(0, kpidSize, &v), S_OK);
  EXPECT_EQ(v.vt, VT_UI8);
  EXPECT_EQ(v.uhVal, uint64_t(5) << 32);
  ASSERT_EQ(cb->GetProperty(0, kpidMTime, &v), S_OK);
  EXPECT_EQ(v.vt, VT_FILETIME);
  EXPECT_EQ(v.filetime.dwHighDateTime, 2u);
  ASSERT_EQ(cb->GetProperty(0, kpidAttrib, &v), S_OK);
  EXPECT_EQ(v.ulVal, 0x10u);
  v.vt = 99;
  EXPECT_EQ(cb->GetProperty(0, 4 /* name extension */, &v), S_FALSE);
  EXPECT_EQ(v.vt, 99);
  EXPECT_EQ(cb->GetProperty(1, kpidSize, &v), E_INVALIDARG);  // no such item
  int32_t newData = 0, newProps = 0;
  uint32_t indexInArchive = 0;
  EXPECT_EQ(cb->GetUpdateItemInfo(0, &newData, &newProps, &indexInArchive), S_OK);
  EXPECT_EQ(std::make_tuple(newData, newProps, indexInArchive), std::make_tuple(1, 1, 0xFFFFFFFFu));
}

TEST(UpdateCallback, ProgressBeforeAnyStreamAndCancellation) {
  TSevenZip zip(nullptr);
  auto cb = CallbackFor(zip, {}, L"");
  std::vector<std::pair<std::wstring, int64_t>> added;
  std::vector<int64_t> progress;
  zip.OnAddfile = [&](TObject*, const std::wstring& name, int64_t size) { added.emplace_back(name, size); };
  zip.OnProgress = [&](TObject*, const std::wstring&, int64_t arc, int64_t file) {
    progress.push_back(arc);
    progress.push_back(file);
  };
  uint64_t v = 0;
  EXPECT_EQ(cb->SetCompleted(&v), S_OK);
  v = 10;
  EXPECT_EQ(cb->SetCompleted(&v), S_OK);
  EXPECT_EQ(added, (std::vector<std::pair<std::wstring, int64_t>>{{L"", 0}, {L"", 0}}));
  EXPECT_EQ(progress, (std::vector<int64_t>{0, 0, 10, 10}));

  int32_t code = 0;
  zip.OnMessage = [&](TObject*, int32_t c, const AnsiString&, const std::wstring&) { code = c; };
  zip.Cancel();
  EXPECT_EQ(cb->SetCompleted(&v), S_FALSE);
  EXPECT_EQ(code, 6);
}

TEST(UpdateCallback, PasswordFlagAndString) {
  TSevenZip zip(nullptr);
  zip.Password = L"9";
  auto withPassword = CallbackFor(zip, {}, L"");
  int32_t defined = 0;
  BSTR text = nullptr;
  ASSERT_EQ(withPassword->CryptoGetTextPassword2(&defined, &text), S_OK);
  EXPECT_EQ(defined, -1);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::wstring(text), L"9");
  reinterpret_cast<TSysFreeStringFunc>(zip.SysFreeStringProc)(text);

  zip.Password.clear();
  auto without = CallbackFor(zip, {}, L"");
  defined = 5;
  BSTR untouched = reinterpret_cast<BSTR>(0x1);
  ASSERT_EQ(without->CryptoGetTextPassword2(&defined, &untouched), S_OK);
  EXPECT_EQ(defined, 0);
  EXPECT_EQ(untouched, reinterpret_cast<BSTR>(0x1));
}

TEST(StreamReader, ReadsSeeksAndReportsEmptyFiles) {
  TempDrive drive;
  drive.WriteFile("data.bin", "0123456789");
  drive.WriteFile("empty.bin", "");
  TSevenZip zip(nullptr);
  {
    TComPtr<TMyStreamReader> r(NewInterfaced<TMyStreamReader>(&zip, L"C:\\data.bin"));
    uint64_t size = 0, pos = 0;
    EXPECT_EQ(r->GetSize(&size), S_OK);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(r->Seek(-3, 2, &pos), S_OK);
    EXPECT_EQ(pos, 7u);
    char buf[8] = {};
    uint32_t got = 0;
    EXPECT_EQ(r->Read(buf, 8, &got), S_OK);
    EXPECT_EQ(std::string(buf, got), "789");
  }
  TComPtr<TMyStreamReader> e(NewInterfaced<TMyStreamReader>(&zip, L"C:\\empty.bin"));
  uint64_t size = 77, pos = 0;
  EXPECT_EQ(e->GetSize(&size), S_FALSE);
  EXPECT_EQ(size, 77u);
  EXPECT_EQ(e->Seek(0, 2, &pos), S_FALSE);
  e.Reset();
  EXPECT_EQ(zip.LastOSError, 0u);

  // A file that cannot be opened reads as empty; the reason reaches the component.
  TComPtr<TMyStreamReader> missing(NewInterfaced<TMyStreamReader>(&zip, L"C:\\missing.bin"));
  char buf[4];
  uint32_t got = 9;
  EXPECT_EQ(missing->Read(buf, 4, &got), S_OK);
  EXPECT_EQ(got, 0u);
  missing.Reset();
  EXPECT_EQ(zip.LastOSError, win::ERROR_FILE_NOT_FOUND);
}

TEST(StreamWriter, VolumesFollowTheBoundaryRule) {
  TempDrive drive;
  std::atomic<win::DWORD> error{0};
  {
    TComPtr<TMyStreamWriter> w(NewInterfaced<TMyStreamWriter>(&error, L"C:\\a.7z", time(nullptr), 0x20, 100, false));
    WriteBytes(w.Get(), 250);
  }
  EXPECT_EQ(VolumeSizes(drive, "a.7z"), (std::vector<uintmax_t>{100, 100, 50}));
  {
    TComPtr<TMyStreamWriter> w(NewInterfaced<TMyStreamWriter>(&error, L"C:\\b.7z", time(nullptr), 0x20, 100, false));
    WriteBytes(w.Get(), 120);
    WriteBytes(w.Get(), 80);  // ends on the boundary: the third volume is opened, empty
  }
  EXPECT_EQ(VolumeSizes(drive, "b.7z"), (std::vector<uintmax_t>{100, 100, 0}));
  {
    // Seeking back (as the library does for the start header) writes in place.
    TComPtr<TMyStreamWriter> w(NewInterfaced<TMyStreamWriter>(&error, L"C:\\c.7z", time(nullptr), 0x20, 0, false));
    WriteBytes(w.Get(), 10);
    uint64_t pos = 0;
    EXPECT_EQ(w->Seek(2, 0, &pos), S_OK);
    const uint32_t marker = 0x21212121;
    uint32_t written = 0;
    EXPECT_EQ(w->Write(&marker, 4, &written), S_OK);
    EXPECT_EQ(w->Seek(0, 2, &pos), S_OK);
    EXPECT_EQ(pos, 10u);
    EXPECT_EQ(w->SetSize(3), S_FALSE);
  }
  EXPECT_EQ(drive.ReadFile("c.7z"), "xx!!!!xxxx");
  EXPECT_EQ(error, 0u);
}

TEST(StreamWriter, AppendsBehindTheModule) {
  TempDrive drive;
  const std::string module(300, 'm');
  drive.WriteFile("rep.exe", module);
  std::atomic<win::DWORD> error{0};
  {
    TComPtr<TMyStreamWriter> w(NewInterfaced<TMyStreamWriter>(&error, L"C:\\rep.exe", time(nullptr), 0x20, 0, true));
    EXPECT_EQ(w->Position, 300);
    WriteBytes(w.Get(), 5);
  }
  EXPECT_EQ(drive.ReadFile("rep.exe"), module + "xxxxx");
  {
    // Further volumes carry the executable's name and a number from 002 on.
    TComPtr<TMyStreamWriter> w(NewInterfaced<TMyStreamWriter>(&error, L"C:\\rep.exe", time(nullptr), 0x20, 400, true));
    WriteBytes(w.Get(), 150);
  }
  EXPECT_EQ(fs::file_size(drive.Host("rep.exe")), 400u);
  EXPECT_EQ(fs::file_size(drive.Host("rep.exe.002")), 55u);
}

TEST(StreamWriter, UncreatableFileRaisesTheSilentAbort) {
  TempDrive drive;
  std::atomic<win::DWORD> error{0};
  EXPECT_THROW(NewInterfaced<TMyStreamWriter>(&error, L"C:\\no\\dir\\a.7z", time(nullptr), 0x20, 0, false), EAbort);
  EXPECT_EQ(error, win::ERROR_PATH_NOT_FOUND);
}
