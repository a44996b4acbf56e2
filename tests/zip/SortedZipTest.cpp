// TSortedZip: the orders that real archives rarely show apart (sizes, rate,
// equal dates), on records filled by hand.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "zip/kpZipObj.h"

using namespace kp;

namespace {

struct Rec {
  const char* path;
  int32_t compressed, uncompressed;
  uint32_t dos;
  uint16_t disk;
  uint32_t offset;
};

// Adds the records in order to a dmAccept view of Mode; returns the paths in view order.
std::vector<std::string> Order(TZipSortMode Mode, const std::vector<Rec>& Recs) {
  std::vector<std::unique_ptr<TZipHeaderInfo>> owned;
  TSortedZip view(dmAccept);
  view.SortMode = Mode;
  view.SetOwnsItems(false);
  for (const Rec& r : Recs) {
    auto e = std::make_unique<TZipHeaderInfo>();
    std::string p = r.path;
    size_t cut = p.find_last_of('\\');
    e->SetDirectory(cut == std::string::npos ? "" : p.substr(0, cut));
    e->SetFileName(cut == std::string::npos ? p : p.substr(cut + 1));
    e->CompressedSize = r.compressed;
    e->UncompressedSize = r.uncompressed;
    e->LastModFileDateTime = r.dos;
    e->DiskNumberStart = r.disk;
    e->LocalHeaderOffset = r.offset;
    view.Add(e.get());
    owned.push_back(std::move(e));
  }
  std::vector<std::string> out;
  for (int32_t i = 0; i < view.ItemCount(); ++i) out.push_back(view.Entry(i)->Directory() + view.Entry(i)->FileName());
  return out;
}

constexpr uint32_t D2020 = 0x50210000;  // 2020-01-01 00:00
constexpr uint32_t D2021 = 0x52210000;
constexpr uint32_t Feb30 = 0x525E0000;  // 2021-02-30: no calendar date, counts as day zero

TEST(SortedZip, OrdersOfTheView) {
  const std::vector<Rec> recs = {
      {"b\\one", 10, 100, D2020, 1, 50},  // 10 %
      {"a\\two", 90, 100, D2021, 0, 900},  // 90 %
      {"c\\three", 5, 0, Feb30, 0, 20},    // size 0: 0 %
      {"four", 50, 100, D2020, 1, 10},     // 50 %, same date as one
  };
  const struct { TZipSortMode mode; std::vector<std::string> order; } cases[] = {
      {ByName, {"a\\two", "b\\one", "c\\three", "four"}},
      {ByFileName, {"four", "b\\one", "c\\three", "a\\two"}},
      {ByDirectoryName, {"four", "a\\two", "b\\one", "c\\three"}},
      {ByDate, {"a\\two", "b\\one", "four", "c\\three"}},  // equal dates keep insertion order
      {ByCompressedSize, {"a\\two", "four", "b\\one", "c\\three"}},
      {ByUnCompressedSize, {"b\\one", "a\\two", "four", "c\\three"}},
      {ByRate, {"a\\two", "four", "b\\one", "c\\three"}},
      {ByNone, {"c\\three", "a\\two", "four", "b\\one"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Order(c.mode, recs), c.order) << "mode " << int(c.mode);
}

TEST(SortedZip, DirectoryListRejectsTheSamePlaceTwice) {
  TSortedZip list(dmError);
  auto* a = new TZipHeaderInfo;
  a->LocalHeaderOffset = 7;
  list.Add(a);
  TZipHeaderInfo b;
  b.LocalHeaderOffset = 7;
  EXPECT_THROW(list.Add(&b), EListError);
  b.DiskNumberStart = 1;
  list.Add(&b);
  list.SetOwnsItems(false);
  delete a;
}

TEST(SortedZip, NameSettersKeepTheLength) {
  TZipHeaderInfo e;
  e.SetDirectory("dir\\sub");
  EXPECT_EQ(e.Directory(), "dir\\sub\\");
  e.SetFileName("f.txt");
  EXPECT_EQ(e.FileNameLength, 13);
  e.SetFileComment("note");
  EXPECT_EQ(e.FileCommentLength, 4);
  TZipHeaderInfo copy;
  copy.Assign(&e);
  EXPECT_EQ(copy.Directory() + copy.FileName(), "dir\\sub\\f.txt");
  EXPECT_STREQ(copy.FileComment(), "note");
  EXPECT_NE(copy.FileComment(), e.FileComment());  // a private copy
  e.SetFileComment(nullptr);
  EXPECT_EQ(e.FileCommentLength, 0);
  TEndCentral end, other;
  end.SetZipComment("zc");
  end.TotalEntries = 4;
  other.Assign(&end);
  EXPECT_STREQ(other.ZipComment(), "zc");
  EXPECT_EQ(other.TotalEntries, 4);
}

}  // namespace
