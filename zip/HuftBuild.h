#pragma once
// Huffman lookup tables shared by inflate and explode. A code set becomes a
// first-level table indexed by the next N bits (least significant bit first)
// and second-level tables for the longer codes; all of them hang on one chain
// and are released together.
#include <cstdint>
#include <memory>

namespace kp {

// Operation byte of a table entry.
enum : uint8_t {
  huftEndOfBlock = 15,  // symbol 256 of inflate's literal/length set
  huftLiteral = 16,     // Value is a literal byte
  huftLink = 16,        // above this: Next is a sub-table of (Op - 16) bits
  huftInvalid = 99,     // no code leads here, or a symbol the format forbids
};
// Op 0 .. 13: Value is a length or distance base, Op the extra bits to add.

struct THuft {
  uint8_t Op;
  uint8_t Bits;  // bits this entry consumes
  union {
    uint16_t Value;
    THuft* Next;
  };
};

// Releases a table made by BuildHuffmanTables with every sub-table it links.
void FreeHuffmanTables(THuft* Table);

struct THuftRelease {
  void operator()(THuft* t) const { FreeHuffmanTables(t); }
};
using THuftTable = std::unique_ptr<THuft, THuftRelease>;

enum : int { huftComplete = 0, huftIncomplete = 1, huftOversubscribed = 2, huftNoMemory = 3 };

// Builds the tables for Count code lengths (0 = symbol unused, at most 16).
// Symbols below Simple are literals (Op 16; symbol 256 ends a block, Op 15);
// the others take Base[s - Simple] and Extra[s - Simple]. LookupWidth is the
// wanted first-level width in, the width used out (0 for an empty set, which
// gives no table and huftComplete). Returns huftIncomplete for an incomplete
// set (one 1-bit code counts as complete; the table is still built and usable),
// huftOversubscribed (no table) or huftNoMemory (no table, after the
// "*** inflate out of memory ***" box).
int BuildHuffmanTables(const uint8_t* Lengths, unsigned Count, unsigned Simple,
                       const uint16_t* Base, const uint8_t* Extra, THuftTable& Table,
                       int& LookupWidth);

}  // namespace kp
