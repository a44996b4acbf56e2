// Inflate against streams made by Python's zlib (raw deflate, wbits -15) and
// hand-built malformed streams.
#include "zip/Inflate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/TempDrive.h"
#include "zip/Crc32.h"
#include "zip/HuftBuild.h"

namespace {

using testing_support::TempDrive;

// Feeds a byte string to the decoder and collects its output in memory; output
// past Limit stops decoding as the entry's file would.
class TMemoryPipe : public kp::TEntryPipe {
 public:
  struct TooBig {};
  explicit TMemoryPipe(std::string input, size_t limit) : In(std::move(input)), Limit(limit) {}
  bool FillInput(kp::ExtractionWorkArea& W) override {
    const size_t n = std::min<size_t>(In.size() - Offset, kp::ExtractionWorkArea::ChunkSize);
    std::memcpy(W.InBuffer, In.data() + Offset, n);
    Offset += n;
    W.InPos = W.InBuffer;
    W.InCount = static_cast<uint16_t>(n);
    return n > 0;
  }
  void WriteOutput(kp::ExtractionWorkArea& W) override {
    if (Out.size() + W.OutCount > Limit) throw TooBig{};
    Out.append(reinterpret_cast<const char*>(W.OutBuffer), W.OutCount);
    Chunks.push_back(W.OutCount);
  }
  std::string In;
  size_t Offset = 0;
  size_t Limit;
  std::string Out;
  std::vector<int> Chunks;
};

struct TResult {
  int Code;
  std::string Out;
  std::vector<int> Chunks;
};

TResult RunInflate(const std::string& deflated, size_t limit) {
  auto work = std::make_unique<kp::ExtractionWorkArea>();
  TMemoryPipe pipe(deflated, limit);
  work->Pipe = &pipe;
  work->StartEntry(static_cast<int32_t>(deflated.size()), static_cast<int32_t>(limit));
  const int code = kp::Inflate(*work);
  return {code, pipe.Out, pipe.Chunks};
}

// Runs Python's zlib on the data that Expr (a Python expression) makes;
// returns {data, raw deflate stream}.
std::pair<std::string, std::string> PythonDeflate(const TempDrive& drive, const std::string& expr,
                                                  const std::string& options) {
  const std::string script =
      "import zlib, random, sys\n"
      "random.seed(7)\n"
      "data = " + expr + "\n"
      "c = zlib.compressobj(" + options + ")\n"
      "open(sys.argv[1] + '/data', 'wb').write(data)\n"
      "open(sys.argv[1] + '/deflated', 'wb').write(c.compress(data) + c.flush())\n";
  drive.WriteFile("make.py", script);
  EXPECT_EQ(testing_support::RunCommand("python3 " + drive.Host("make.py") + " " + drive.Root()), 0);
  return {drive.ReadFile("data"), drive.ReadFile("deflated")};
}

struct TZlibCase {
  const char* Name;
  const char* Data;     // Python expression
  const char* Options;  // zlib.compressobj arguments
};

const TZlibCase ZlibCases[] = {
    {"empty", "b''", "9, zlib.DEFLATED, -15"},
    {"text", "b'The quick brown fox jumps over the lazy dog. ' * 2000", "9, zlib.DEFLATED, -15"},
    {"exactly_one_window", "bytes(random.getrandbits(3) for _ in range(32768))",
     "6, zlib.DEFLATED, -15"},
    {"one_window_and_a_byte", "bytes(random.getrandbits(3) for _ in range(32769))",
     "6, zlib.DEFLATED, -15"},
    {"distance_1_length_258", "b'a' * 259", "9, zlib.DEFLATED, -15, 9, zlib.Z_FIXED"},
    {"long_run_dynamic", "b'x' + b'\\0' * 300000 + b'y'", "9, zlib.DEFLATED, -15"},
    {"fixed_codes", "b'abcabcabd' * 5000 + bytes(range(256)) * 4",
     "9, zlib.DEFLATED, -15, 9, zlib.Z_FIXED"},
    {"huffman_only", "bytes(random.getrandbits(5) for _ in range(70000))",
     "9, zlib.DEFLATED, -15, 9, zlib.Z_HUFFMAN_ONLY"},
    {"stored_blocks", "random.randbytes(100000)", "0, zlib.DEFLATED, -15"},
    {"incompressible", "random.randbytes(70001)", "9, zlib.DEFLATED, -15"},
    {"far_matches", "(lambda r: r + bytes(40000) + r)(random.randbytes(30000))",
     "9, zlib.DEFLATED, -15"},
    {"small_window", "b'0123456789' * 9000", "1, zlib.DEFLATED, -9, 1"},
};

class InflateZlib : public ::testing::TestWithParam<TZlibCase> {};

TEST_P(InflateZlib, DecodesByteIdentical) {
  TempDrive drive;
  auto [data, deflated] = PythonDeflate(drive, GetParam().Data, GetParam().Options);
  const TResult r = RunInflate(deflated, data.size());
  EXPECT_EQ(r.Code, kp::inflateOk);
  EXPECT_EQ(r.Out.size(), data.size());
  EXPECT_TRUE(r.Out == data);
}

INSTANTIATE_TEST_SUITE_P(Streams, InflateZlib, ::testing::ValuesIn(ZlibCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Inflate, WindowReachesOutputInWholeChunks) {
  // 32768 bytes: the full window moves once, the final flush moves nothing;
  // 32769: the full window and then one byte.
  TempDrive drive;
  for (auto [size, chunks] : {std::pair{32768, std::vector<int>{16000, 16000, 768}},
                              std::pair{32769, std::vector<int>{16000, 16000, 769}}}) {
    auto [data, deflated] =
        PythonDeflate(drive, "b'z' * " + std::to_string(size), "9, zlib.DEFLATED, -15");
    const TResult r = RunInflate(deflated, data.size());
    EXPECT_EQ(r.Code, kp::inflateOk);
    EXPECT_TRUE(r.Out == data);
    EXPECT_EQ(r.Chunks, chunks) << size;
  }
}

// Writes bits least significant first, as deflate packs them.
class TBits {
 public:
  TBits& Put(unsigned value, unsigned count) {
    for (unsigned i = 0; i < count; ++i, ++FUsed) {
      if (FUsed % 8 == 0) FBytes.push_back(0);
      if ((value >> i) & 1) FBytes.back() = static_cast<char>(FBytes.back() | (1 << (FUsed % 8)));
    }
    return *this;
  }
  // A Huffman code goes most significant bit first.
  TBits& Code(unsigned code, unsigned length) {
    for (unsigned i = length; i > 0; --i) Put((code >> (i - 1)) & 1, 1);
    return *this;
  }
  std::string Bytes() const { return FBytes; }

 private:
  std::string FBytes;
  unsigned FUsed = 0;
};

// Fixed literal/length code of a symbol (RFC 1951 3.2.6).
TBits& FixedSymbol(TBits& b, unsigned s) {
  if (s < 144) return b.Code(0x30 + s, 8);
  if (s < 256) return b.Code(0x190 + s - 144, 9);
  if (s < 280) return b.Code(s - 256, 7);
  return b.Code(0xC0 + s - 280, 8);
}

struct TMalformedCase {
  const char* Name;
  std::string Stream;
  int Code;
  std::string Out;  // what reached the output before the stop
};

std::vector<TMalformedCase> MalformedCases() {
  std::vector<TMalformedCase> cases;
  // A final stored block of length 0: no output, no error.
  cases.push_back({"empty_stored", std::string("\x01\x00\x00\xFF\xFF", 5), kp::inflateOk, ""});
  // Block type 3 does not exist.
  cases.push_back({"block_type_3", TBits().Put(1, 1).Put(3, 2).Bytes(), kp::inflateBadBlock, ""});
  // Stored block whose complement field does not match its length.
  cases.push_back({"stored_bad_complement", std::string("\x01\x03\x00\xFC\xFE" "abc", 8),
                   kp::inflateBadData, ""});
  // A stored block is fine, a second (final) one is broken: the first block's
  // bytes stay in the window and are not written.
  cases.push_back({"second_block_bad", std::string("\x00\x02\x00\xFD\xFF" "ab\x07", 8),
                   kp::inflateBadBlock, ""});
  {  // Dynamic block announcing 287 literal/length codes.
    TBits b;
    b.Put(1, 1).Put(2, 2).Put(30, 5).Put(0, 5).Put(0, 4);
    cases.push_back({"dynamic_287_literal_codes", b.Bytes(), kp::inflateBadData, ""});
  }
  {  // Code-length code with four 1-bit codes: over-subscribed.
    TBits b;
    b.Put(1, 1).Put(2, 2).Put(0, 5).Put(0, 5).Put(0, 4);
    for (int i = 0; i < 4; ++i) b.Put(1, 3);
    cases.push_back({"oversubscribed_code_length_code", b.Bytes(), kp::huftOversubscribed, ""});
  }
  {  // Fixed block using length symbol 286, which the format forbids.
    TBits b;
    b.Put(1, 1).Put(1, 2);
    FixedSymbol(b, 'q');
    FixedSymbol(b, 286);
    cases.push_back({"fixed_symbol_286", b.Bytes(), kp::inflateBadData, ""});
  }
  {  // Fixed block with the literals "hi" and its end: fine.
    TBits b;
    b.Put(1, 1).Put(1, 2);
    FixedSymbol(b, 'h');
    FixedSymbol(b, 'i');
    FixedSymbol(b, 256);
    cases.push_back({"fixed_literals", b.Bytes(), kp::inflateOk, "hi"});
  }
  // Dynamic blocks below: HLIT 257 codes (0), HDIST 1 (0), HCLEN 18 (14), the
  // code-length code giving symbols 0, 1, 16, 17, 18 ... see each case.
  auto dynamicHeader = [](TBits& b, unsigned distanceCount) {
    b.Put(1, 1).Put(2, 2).Put(0, 5).Put(distanceCount - 1, 5).Put(15, 4);  // 19 code-length codes
    // Lengths in transmission order 16 17 18 0 8 7 9 6 10 5 11 4 12 3 13 2 14 1 15:
    // 16, 17, 18, 0, 1 get 3 bits; the other 14 are unused. Codes (canonical):
    // 0 -> 000, 1 -> 001, 16 -> 010, 17 -> 011, 18 -> 100 (incomplete: 3 of 8 unused).
    const unsigned lens[19] = {3, 3, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0};
    for (unsigned l : lens) b.Put(l, 3);
  };
  {  // An incomplete code-length code ends the block.
    TBits b;
    dynamicHeader(b, 1);
    cases.push_back({"incomplete_code_length_code", b.Bytes(), kp::huftIncomplete, ""});
  }
  return cases;
}

TEST(Inflate, MalformedStreamsStopWithTheirError) {
  for (const TMalformedCase& c : MalformedCases()) {
    const TResult r = RunInflate(c.Stream, 1000);
    EXPECT_EQ(r.Code, c.Code) << c.Name;
    EXPECT_EQ(r.Out, c.Out) << c.Name;
  }
}

// A complete dynamic block built by hand: a code-length code of exactly eight
// 3-bit codes (symbols 0 1 2 8 9 16 17 18), so every case below controls the
// literal/length and distance code lengths it sends.
std::string DynamicBlock(const std::vector<std::pair<unsigned, unsigned>>& lengthSymbols,
                         unsigned literalCount, unsigned distanceCount,
                         const std::vector<std::pair<unsigned, unsigned>>& codes) {
  TBits b;
  b.Put(1, 1).Put(2, 2).Put(literalCount - 257, 5).Put(distanceCount - 1, 5).Put(15, 4);
  const unsigned order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  for (unsigned s : order) {
    const bool used = s == 0 || s == 1 || s == 2 || s == 8 || s == 9 || s >= 16;
    b.Put(used ? 3 : 0, 3);
  }
  // Canonical 3-bit codes in symbol order: 0 1 2 8 9 16 17 18 -> 0 .. 7.
  auto lengthCode = [](unsigned s) {
    const unsigned symbols[8] = {0, 1, 2, 8, 9, 16, 17, 18};
    return static_cast<unsigned>(std::find(symbols, symbols + 8, s) - symbols);
  };
  for (auto [symbol, extra] : lengthSymbols) {
    b.Code(lengthCode(symbol), 3);
    if (symbol == 16) b.Put(extra, 2);
    if (symbol == 17) b.Put(extra, 3);
    if (symbol == 18) b.Put(extra, 7);
  }
  for (auto [code, length] : codes) b.Code(code, length);
  return b.Bytes();
}

TEST(Inflate, DynamicBlockEdgeCases) {
  // Literal/length code: 'a' (97) and 256 with 1 bit each -> 'a' = 0, end = 1.
  const std::vector<std::pair<unsigned, unsigned>> aAndEnd = {
      {18, 97 - 11}, {1, 0}, {18, 127 - 11}, {18, 31 - 11}, {1, 0}};
  {  // No distance code at all (one length 0) and no match: fine.
    auto lens = aAndEnd;
    lens.push_back({0, 0});
    const TResult r = RunInflate(DynamicBlock(lens, 257, 1, {{0, 1}, {0, 1}, {1, 1}}), 100);
    EXPECT_EQ(r.Code, kp::inflateOk);
    EXPECT_EQ(r.Out, "aa");
  }
  {  // A repeat 16 before any length repeats length 0: 3 zeros, then as above
     // with 94 literals less in the first zero run.
    std::vector<std::pair<unsigned, unsigned>> lens = {{16, 0}, {18, 94 - 11}, {1, 0},
                                                       {18, 127 - 11}, {18, 31 - 11}, {1, 0},
                                                       {0, 0}};
    const TResult r = RunInflate(DynamicBlock(lens, 257, 1, {{0, 1}, {1, 1}}), 100);
    EXPECT_EQ(r.Code, kp::inflateOk);
    EXPECT_EQ(r.Out, "a");
  }
  {  // A match (symbol 257) while the block has no distance codes: error.
    // Codes: 'a' = 0 (1 bit), 256 = 10, 257 = 11.
    std::vector<std::pair<unsigned, unsigned>> lens = {{18, 97 - 11}, {1, 0}, {18, 127 - 11},
                                                       {18, 31 - 11}, {2, 0}, {2, 0}, {0, 0}};
    const TResult r = RunInflate(DynamicBlock(lens, 258, 1, {{0, 1}, {3, 2}}), 100);
    EXPECT_EQ(r.Code, kp::inflateBadData);
    EXPECT_EQ(r.Out, "");
  }
  {  // A repeat past the end of the run of lengths.
    std::vector<std::pair<unsigned, unsigned>> lens = {{18, 127}, {18, 127}, {18, 127}};
    const TResult r = RunInflate(DynamicBlock(lens, 257, 1, {}), 100);
    EXPECT_EQ(r.Code, kp::inflateBadData);
  }
  {  // An incomplete literal/length set (only 'a', 2 bits, and 256, 1 bit).
    std::vector<std::pair<unsigned, unsigned>> lens = {{18, 97 - 11}, {2, 0}, {18, 127 - 11},
                                                       {18, 31 - 11}, {1, 0}, {0, 0}};
    const TResult r = RunInflate(DynamicBlock(lens, 257, 1, {{2, 2}, {1, 1}}), 100);
    EXPECT_EQ(r.Code, kp::inflateBadData);
  }
}

TEST(Inflate, EndsOnDataThatRunsOut) {
  TempDrive drive;
  auto [data, deflated] =
      PythonDeflate(drive, "random.randbytes(5000) * 20", "9, zlib.DEFLATED, -15");
  // Cut in the middle: zero bits follow, decoding stops (output limit, error or
  // the reader's own stop) and never loops.
  for (size_t cut : {size_t{0}, size_t{1}, deflated.size() / 2, deflated.size() - 1}) {
    auto work = std::make_unique<kp::ExtractionWorkArea>();
    TMemoryPipe pipe(deflated.substr(0, cut), data.size());
    work->Pipe = &pipe;
    work->StartEntry(static_cast<int32_t>(cut), static_cast<int32_t>(data.size()));
    try {
      EXPECT_NE(kp::Inflate(*work), kp::inflateOk) << cut;
    } catch (const TMemoryPipe::TooBig&) {
    }
    EXPECT_TRUE(pipe.Out != data);
  }
}

TEST(Inflate, OutputBeyondTheEntrySizeStopsInTheOutputSide) {
  TempDrive drive;
  auto [data, deflated] = PythonDeflate(drive, "b'q' * 50000", "9, zlib.DEFLATED, -15");
  EXPECT_THROW(RunInflate(deflated, 40000), TMemoryPipe::TooBig);
}

}  // namespace
